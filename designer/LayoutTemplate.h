#pragma once
// Layout styles: a folder per style under the program's "LayoutStyles" folder, holding the
// template "Style.qss" (an HTML fragment written once per record inside one table cell), an
// optional preview "Style.jpg" and an optional "images" folder copied beside the pages.
//
// Template tags are "<...>" pieces naming a column by number (counting from 1), found
// without regard to letter case: "#T" n its heading, "#V" n its cell content, "#IMGV" n the
// same as a value tag in the pages (the column's own settings decide text or picture). Text
// after the tag's first "=" is its value, used only when a style's settings are applied to
// the columns. A tag whose number is 0, missing or too long for a whole number is no template
// tag; every other "<...>" comes back as it was.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace designer {

class TColumnModel;

struct TTemplateTag {
    enum TKind { None, Header, Value, Image };
    TKind kind = None;
    int column = 0;                    // 1-based
    std::optional<std::string> value;  // after the first "="
};

// What the tag text (from "<" to ">", both included) names.
TTemplateTag ReadTemplateTag(std::string_view tag);

enum class TTemplateMode { Page, Script, Settings };

// What the page and script modes put in place of a column's tags (0-based column index).
struct TTemplateParts {
    std::function<std::string(int)> heading;
    std::function<std::string(int)> content;
};

// The template with its tags handled by `mode`: in page and script mode the tags of columns
// that exist give `parts`, tags of other columns nothing, other "<...>" themselves; a "<"
// inside a pending tag lets the pending text through unchanged; a tag still open at the end is
// dropped. Settings mode writes the tags' settings into `columns` and answers nothing useful.
std::string ApplyLayoutTemplate(std::string_view text, TTemplateMode mode, TColumnModel& columns,
                                const TTemplateParts& parts = {});
// The page and script modes, which only read the columns.
std::string ExpandLayoutTemplate(std::string_view text, const TColumnModel& columns, const TTemplateParts& parts);

// The style folders under `layoutStylesDir` (folders only; a plain file is no style), in name
// order.
std::vector<std::string> LayoutStyleNames(const std::string& layoutStylesDir);

// The files of the style's "images" folder that the template's markup names: each address
// that starts with "images/" right after a quote, a blank, "=" or "(", up to its closing quote,
// blank, ">" or ")", once each in the order first named. An address whose name holds a field
// tag, a template tag, a further folder or an escape is left out: what it names is decided
// elsewhere.
std::vector<std::string> TemplatePictureNames(std::string_view templateText);

// A loaded style: its template text and the path of its preview picture (empty when it has
// none).
struct TLayoutStyle {
    std::string templateText;
    std::string previewPath;
};
// Reads style `name`; nullopt when its "Style.qss" is missing or unreadable.
std::optional<TLayoutStyle> LoadLayoutStyle(const std::string& layoutStylesDir, const std::string& name);

}  // namespace designer
