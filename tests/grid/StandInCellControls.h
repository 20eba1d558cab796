#pragma once
// Small stand-ins, under test class names, for the controls that live in grid cells: an edit
// that may show the field's own text, a radio group with captions for values, and a hidden
// rich-text reader that strips control words.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "grid/CellControls.h"
#include "platform/db/Fields.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StdCtrls.h"

namespace gridtest {

class TTestCellEdit : public ui::TEdit, public grid::IgkGridCellControl {
public:
    using ui::TEdit::TEdit;
    bool showOwnText = false;
    // Characters and key presses that reached the edit: "char x", "key 40 alt".
    std::vector<std::string> received;
    void Dispatch(ui::TMessage& m) override
    {
        if (m.Msg == ui::WM_CHAR) received.push_back("char " + std::string(1, static_cast<char>(m.WParam)));
        if (m.Msg == ui::WM_KEYDOWN) {
            const bool alt = ui::TShiftState::FromBits(static_cast<std::uint64_t>(m.LParam)).Contains(ui::ssAlt);
            received.push_back("key " + std::to_string(m.WParam) + (alt ? " alt" : ""));
        }
        ui::TEdit::Dispatch(m);
    }
    std::optional<std::string> GridCellText(const db::TField& field) const override
    {
        if (!showOwnText) return std::nullopt;
        return field.AsString();
    }
};

class TTestRadioGroup : public ui::TWinControl, public grid::IgkGridCellControl {
public:
    using ui::TWinControl::TWinControl;
    std::map<std::string, std::string> captions;  // value -> caption
    std::optional<std::string> GridCellText(const db::TField& field) const override
    {
        const auto it = captions.find(field.AsString());
        return it != captions.end() ? it->second : std::string();
    }
};

class TTestRichReader : public ui::TWinControl, public grid::IgkRichTextReader {
public:
    using ui::TWinControl::TWinControl;
    int reads = 0;
    bool lastLoadAll = false;
    // "{\rtf1 \b bold\b0  plain}" reads "bold plain": braces and control words go.
    std::string PlainTextOf(db::TField& field, bool loadAll) override
    {
        ++reads;
        lastLoadAll = loadAll;
        const std::string text = field.AsString();
        if (!text.starts_with("{\\rtf")) return text;
        std::string plain;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '{' || text[i] == '}') continue;
            if (text[i] == '\\') {
                while (i + 1 < text.size() && text[i + 1] != ' ' && text[i + 1] != '\\' && text[i + 1] != '}') ++i;
                if (i + 1 < text.size() && text[i + 1] == ' ') ++i;
                continue;
            }
            plain += text[i];
        }
        return plain;
    }
};

// Installs a creator of TTestRichReader for its lifetime.
class TRichReaderScope {
public:
    TRichReaderScope()
        : previous_(grid::SetRichTextReaderCreator(
              [](classes::TComponent* owner) -> ui::TWinControl* { return new TTestRichReader(owner); }))
    {
    }
    ~TRichReaderScope() { grid::SetRichTextReaderCreator(previous_); }
    TRichReaderScope(const TRichReaderScope&) = delete;
    TRichReaderScope& operator=(const TRichReaderScope&) = delete;

private:
    grid::TgkRichTextReaderCreator previous_;
};

}  // namespace gridtest
