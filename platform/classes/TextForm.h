#pragma once
// The component text form as text: its syntax tree, the parser and the formatter. Nothing
// here knows components; Streaming.h maps components onto the tree.
//
//   object Name: TClass               (or "object TClass" for an unnamed component)
//     Left = 8                         integers in decimal (the reader also takes "$" hex)
//     Width = 1.5                      floating-point numbers
//     Caption = 'It''s'#13#10'two'     texts: quoted runs and "#" character codes
//     Hint = 'a long text ...' +       long texts continue over lines joined by "+"
//       'continued'
//     Visible = False                  identifiers (enumeration names, booleans, colours,
//     OnClick = btnOkClick               handler and component names)
//     Font.Style = [fsBold, fsItalic]  sets; dotted names reach sub-objects
//     Items.Strings = (                lists, one item per line
//       'one'
//       'two')
//     Data = {                         binary data as hexadecimal
//       0A0B0C}
//     Columns = <                      collections
//       item
//         Width = 20
//       end>
//     object Child: TClass             nested components
//     end
//   end
//
// Every line the formatter writes ends with CR LF. The parser accepts CR LF, LF or CR, and
// any blanks between tokens. Texts are UTF-8, written as they are (control characters as
// "#" codes); "#" codes above 127 are read as Unicode code points.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace classes {

struct TTextItem;

struct TTextValue {
    enum class Kind { Integer, Float, String, Ident, Set, List, Binary, Collection };

    Kind kind = Kind::Integer;
    int line = 0;                        // where the value starts
    std::int64_t integer = 0;            // Integer
    double number = 0.0;                 // Float
    std::string text;                    // String (UTF-8), Ident, Binary (the bytes)
    std::vector<std::string> elements;   // Set
    std::vector<TTextValue> list;        // List
    std::vector<TTextItem> items;        // Collection

    // Defined where TTextItem is complete.
    TTextValue();
    TTextValue(const TTextValue&);
    TTextValue(TTextValue&&) noexcept;
    TTextValue& operator=(const TTextValue&);
    TTextValue& operator=(TTextValue&&) noexcept;
    ~TTextValue();

    static TTextValue MakeInteger(std::int64_t v);
    static TTextValue MakeFloat(double v);
    static TTextValue MakeString(std::string v);
    static TTextValue MakeIdent(std::string v);
    static TTextValue MakeSet(std::vector<std::string> v);
    static TTextValue MakeList();
    static TTextValue MakeList(std::vector<TTextValue> v);
    static TTextValue MakeBinary(std::string bytes);
    static TTextValue MakeCollection(std::vector<TTextItem> v);
};

struct TTextProperty {
    std::string name;  // possibly dotted: "Font.Color", "Items.Strings"
    TTextValue value;
    int line = 0;
};

struct TTextItem {
    std::vector<TTextProperty> properties;
    int line = 0;
};

struct TTextObject {
    std::string name;  // empty for an unnamed component
    std::string className;
    int line = 0;
    std::vector<TTextProperty> properties;
    std::vector<TTextObject> children;
};

// Nesting of objects, lists and collections beyond this depth is refused.
inline constexpr int kMaxTextNesting = 64;

// Parses exactly one object (blanks may follow it). Raises EParserError naming the line
// for anything malformed: an unterminated text, a bad number or character code, a missing
// "end", hexadecimal data of odd length, nesting too deep, text after the object.
TTextObject ParseObjectText(std::string_view text);

// The object in the text form, every line ending with CR LF.
std::string FormatObjectText(const TTextObject& object);

// UTF-8 of one code point (characters of texts and "#" codes).
void AppendUtf8(std::string& out, char32_t codePoint);
// The code point of a text holding exactly one valid UTF-8 character.
bool DecodeSingleUtf8(std::string_view text, char32_t& codePoint);

}  // namespace classes
