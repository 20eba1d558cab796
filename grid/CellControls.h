#pragma once
// What the grid asks of the controls that live in its cells without knowing their classes:
// the data-aware edit controls, radio groups and the rich-text control are found by name and
// class name and set through published properties; for the cell texts they answer through
// these two small interfaces, which they implement.
//
// Promises:
// - A control that implements neither shows the field's display text in its cells.
// - The rich-text reader is made through the installed creator, else as a registered
//   "TgkDBRichEdit" when the class registry has one and it implements the reader; without
//   one a rich-text cell follows the memo cells' rules.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace classes {
class TComponent;
}
namespace db {
class TField;
}
namespace ui {
class TWinControl;
}

namespace grid {

// A control placed over grid cells that shows a field its own way.
class IgkGridCellControl {
public:
    virtual ~IgkGridCellControl() = default;
    // The text a cell shows for the field's current value (an edit showing the field's own
    // text, a radio group the caption of the button for the value); nothing: the field's
    // display text.
    virtual std::optional<std::string> GridCellText(const db::TField& field) const = 0;
};

// A control that turns a blob into plain text: rich text ("{\rtf" ...) whole with `loadAll`,
// else through the blob stream; any other blob as plain lines.
class IgkRichTextReader {
public:
    virtual ~IgkRichTextReader() = default;
    virtual std::string PlainTextOf(db::TField& field, bool loadAll) = 0;
};

// A rich-text control placed over a cell tells the press that placed it from a later one:
// the grid hands it the time (ui::GetMessageTime) of the press that placed it.
class IgkGridPressTime {
public:
    virtual ~IgkGridPressTime() = default;
    virtual void SetGridPressTime(std::int64_t ms) = 0;
};

// Makes a hidden rich-text reader owned by `owner` (nil: the caller owns it); nil when none.
using TgkRichTextReaderCreator = std::function<ui::TWinControl*(classes::TComponent* owner)>;
// Installs `creator` (empty: the registered class) and returns the previous one.
TgkRichTextReaderCreator SetRichTextReaderCreator(TgkRichTextReaderCreator creator);
// A hidden reader made as above; nil when none can be made.
ui::TWinControl* gkCreateRichTextReader(classes::TComponent* owner);

}  // namespace grid
