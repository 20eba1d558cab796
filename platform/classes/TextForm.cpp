#include "platform/classes/TextForm.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/classes/Errors.h"
#include "platform/rtl/SysUtils.h"

namespace classes {

TTextValue::TTextValue() = default;
TTextValue::TTextValue(const TTextValue&) = default;
TTextValue::TTextValue(TTextValue&&) noexcept = default;
TTextValue& TTextValue::operator=(const TTextValue&) = default;
TTextValue& TTextValue::operator=(TTextValue&&) noexcept = default;
TTextValue::~TTextValue() = default;

namespace {
TTextValue OfKind(TTextValue::Kind kind)
{
    TTextValue r;
    r.kind = kind;
    return r;
}
}  // namespace

TTextValue TTextValue::MakeInteger(std::int64_t v)
{
    TTextValue r = OfKind(Kind::Integer);
    r.integer = v;
    return r;
}

TTextValue TTextValue::MakeFloat(double v)
{
    TTextValue r = OfKind(Kind::Float);
    r.number = v;
    return r;
}

TTextValue TTextValue::MakeString(std::string v)
{
    TTextValue r = OfKind(Kind::String);
    r.text = std::move(v);
    return r;
}

TTextValue TTextValue::MakeIdent(std::string v)
{
    TTextValue r = OfKind(Kind::Ident);
    r.text = std::move(v);
    return r;
}

TTextValue TTextValue::MakeSet(std::vector<std::string> v)
{
    TTextValue r = OfKind(Kind::Set);
    r.elements = std::move(v);
    return r;
}

TTextValue TTextValue::MakeList() { return OfKind(Kind::List); }

TTextValue TTextValue::MakeList(std::vector<TTextValue> v)
{
    TTextValue r = OfKind(Kind::List);
    r.list = std::move(v);
    return r;
}

TTextValue TTextValue::MakeBinary(std::string bytes)
{
    TTextValue r = OfKind(Kind::Binary);
    r.text = std::move(bytes);
    return r;
}


TTextValue TTextValue::MakeCollection(std::vector<TTextItem> v)
{
    TTextValue r = OfKind(Kind::Collection);
    r.items = std::move(v);
    return r;
}

namespace {

// ---- Scanner -----------------------------------------------------------------------------

enum class Tok { End, Ident, Integer, Float, String, Binary, Symbol };

struct Token {
    Tok kind = Tok::End;
    std::string text;  // Ident, String, Binary
    std::int64_t integer = 0;
    double number = 0.0;
    char symbol = 0;
    int line = 1;
};

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
int HexValue(char c)
{
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

class Scanner {
public:
    explicit Scanner(std::string_view text) : s_(text) {}

    Token Next()
    {
        SkipBlanks();
        Token t;
        t.line = line_;
        if (pos_ >= s_.size()) return t;
        const char c = s_[pos_];
        if (IsLetter(c)) {
            t.kind = Tok::Ident;
            t.text = ScanIdent();
        } else if (IsDigit(c) || c == '$' || ((c == '-' || c == '+') && pos_ + 1 < s_.size() &&
                                              (IsDigit(s_[pos_ + 1]) || s_[pos_ + 1] == '$'))) {
            ScanNumber(t);
        } else if (c == '\'' || c == '#') {
            t.kind = Tok::String;
            t.text = ScanString();
        } else if (c == '{') {
            t.kind = Tok::Binary;
            t.text = ScanBinary();
        } else if (std::string_view("=:[]()<>,+-").find(c) != std::string_view::npos) {
            t.kind = Tok::Symbol;
            t.symbol = c;
            ++pos_;
        } else {
            Fail("Invalid character");
        }
        return t;
    }

    [[noreturn]] void Fail(const std::string& reason) const { throw EParserError(reason, line_); }

private:
    void SkipBlanks()
    {
        while (pos_ < s_.size()) {
            const char c = s_[pos_];
            if (c == ' ' || c == '\t' || c == '\f' || c == '\v') {
                ++pos_;
            } else if (c == '\r') {
                ++line_;
                ++pos_;
                if (pos_ < s_.size() && s_[pos_] == '\n') ++pos_;
            } else if (c == '\n') {
                ++line_;
                ++pos_;
            } else {
                break;
            }
        }
    }

    std::string ScanIdent()
    {
        std::string out;
        for (;;) {
            while (pos_ < s_.size() && (IsLetter(s_[pos_]) || IsDigit(s_[pos_]))) out += s_[pos_++];
            if (pos_ < s_.size() && s_[pos_] == '.') {
                ++pos_;
                if (pos_ >= s_.size() || !IsLetter(s_[pos_])) Fail("Identifier expected");
                out += '.';
                continue;
            }
            return out;
        }
    }

    void ScanNumber(Token& t)
    {
        const std::size_t start = pos_;
        bool negative = false;
        if (s_[pos_] == '-' || s_[pos_] == '+') negative = s_[pos_++] == '-';
        if (s_[pos_] == '$') {
            ++pos_;
            const std::size_t digits = pos_;
            std::uint64_t value = 0;
            while (pos_ < s_.size() && IsHexDigit(s_[pos_])) {
                if (pos_ - digits >= 16) BadNumber(start);
                value = value * 16 + static_cast<std::uint64_t>(HexValue(s_[pos_++]));
            }
            if (pos_ == digits) BadNumber(start);
            CheckNumberEnd(start);
            // Up to eight digits name a 32-bit value ("$FFFFFFFF" is -1), as the class
            // library reads them.
            const std::int64_t n = pos_ - digits <= 8 ? static_cast<std::int32_t>(static_cast<std::uint32_t>(value))
                                                      : static_cast<std::int64_t>(value);
            t.kind = Tok::Integer;
            // Negated as a bit pattern: "-$8000000000000000" is the lowest 64-bit value, not
            // an overflow.
            t.integer = negative ? static_cast<std::int64_t>(std::uint64_t{0} - static_cast<std::uint64_t>(n)) : n;
            return;
        }
        bool isFloat = false;
        while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
        if (pos_ + 1 < s_.size() && s_[pos_] == '.' && IsDigit(s_[pos_ + 1])) {
            isFloat = true;
            ++pos_;
            while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            std::size_t p = pos_ + 1;
            if (p < s_.size() && (s_[p] == '+' || s_[p] == '-')) ++p;
            if (p < s_.size() && IsDigit(s_[p])) {
                isFloat = true;
                pos_ = p;
                while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
            }
        }
        CheckNumberEnd(start);
        std::string_view digits = s_.substr(start, pos_ - start);
        if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
        if (isFloat) {
            double v = 0;
            const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v);
            if (r.ec != std::errc() || r.ptr != digits.data() + digits.size() || !std::isfinite(v)) BadNumber(start);
            t.kind = Tok::Float;
            t.number = v;
        } else {
            std::int64_t v = 0;
            const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v);
            if (r.ec != std::errc() || r.ptr != digits.data() + digits.size()) BadNumber(start);
            t.kind = Tok::Integer;
            t.integer = v;
        }
    }

    void CheckNumberEnd(std::size_t start)
    {
        if (pos_ < s_.size() && (IsLetter(s_[pos_]) || IsDigit(s_[pos_]) || s_[pos_] == '.' || s_[pos_] == '$')) {
            while (pos_ < s_.size() && (IsLetter(s_[pos_]) || IsDigit(s_[pos_]) || s_[pos_] == '.')) ++pos_;
            BadNumber(start);
        }
    }

    [[noreturn]] void BadNumber(std::size_t start)
    {
        std::size_t end = pos_;
        while (end < s_.size() && (IsLetter(s_[end]) || IsDigit(s_[end]) || s_[end] == '.')) ++end;
        std::string shown(s_.substr(start, std::min<std::size_t>(end - start, 40)));
        Fail("Invalid number '" + shown + "'");
    }

    std::string ScanString()
    {
        std::string out;
        while (pos_ < s_.size() && (s_[pos_] == '\'' || s_[pos_] == '#')) {
            if (s_[pos_] == '\'') {
                ++pos_;
                for (;;) {
                    if (pos_ >= s_.size() || s_[pos_] == '\r' || s_[pos_] == '\n') Fail("Unterminated string");
                    const char c = s_[pos_++];
                    if (c == '\'') {
                        if (pos_ < s_.size() && s_[pos_] == '\'') {
                            out += '\'';
                            ++pos_;
                            continue;
                        }
                        break;
                    }
                    out += c;
                }
            } else {
                ++pos_;
                std::uint32_t code = 0;
                std::size_t digits = 0;
                const bool hex = pos_ < s_.size() && s_[pos_] == '$';
                if (hex) ++pos_;
                while (pos_ < s_.size() && (hex ? IsHexDigit(s_[pos_]) : IsDigit(s_[pos_]))) {
                    code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(HexValue(s_[pos_++]));
                    if (code > 0x10FFFF) Fail("Invalid character code");
                    ++digits;
                }
                if (digits == 0 || (code >= 0xD800 && code <= 0xDFFF)) Fail("Invalid character code");
                AppendUtf8(out, static_cast<char32_t>(code));
            }
        }
        return out;
    }

    std::string ScanBinary()
    {
        const int startLine = line_;
        ++pos_;  // "{"
        std::string bytes;
        int pending = -1;
        for (;;) {
            SkipBlanks();
            if (pos_ >= s_.size()) throw EParserError("Unterminated binary value", startLine);
            const char c = s_[pos_++];
            if (c == '}') break;
            if (!IsHexDigit(c)) Fail("Invalid binary value");
            if (pending < 0) {
                pending = HexValue(c);
            } else {
                bytes += static_cast<char>(pending * 16 + HexValue(c));
                pending = -1;
            }
        }
        if (pending >= 0) throw EParserError("Binary value of odd length", startLine);
        return bytes;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    int line_ = 1;
};

// ---- Parser ------------------------------------------------------------------------------

class Parser {
public:
    explicit Parser(std::string_view text) : scanner_(text) { Advance(); }

    TTextObject ParseRoot()
    {
        TTextObject object = ParseObject(1);
        if (tok_.kind != Tok::End) Fail("End of text expected");
        return object;
    }

private:
    void Advance() { tok_ = scanner_.Next(); }

    [[noreturn]] void Fail(const std::string& reason) const { throw EParserError(reason, tok_.line); }
    [[noreturn]] void Expected(const std::string& what) const
    {
        Fail(tok_.kind == Tok::End ? what + " expected but end of text found" : what + " expected");
    }

    bool IsKeyword(std::string_view keyword) const
    {
        return tok_.kind == Tok::Ident && rtl::SameText(tok_.text, keyword);
    }
    bool IsSymbol(char symbol) const { return tok_.kind == Tok::Symbol && tok_.symbol == symbol; }

    void ExpectSymbol(char symbol)
    {
        if (!IsSymbol(symbol)) Expected(std::string("'") + symbol + "'");
        Advance();
    }

    std::string ExpectPlainIdent()
    {
        if (tok_.kind != Tok::Ident || tok_.text.find('.') != std::string::npos) Expected("Identifier");
        std::string s = tok_.text;
        Advance();
        return s;
    }

    static void CheckDepth(int depth, int line)
    {
        if (depth > kMaxTextNesting) throw EParserError("Nesting too deep", line);
    }

    TTextObject ParseObject(int depth)
    {
        CheckDepth(depth, tok_.line);
        if (!IsKeyword("object")) Expected("'object'");
        TTextObject object;
        object.line = tok_.line;
        Advance();
        std::string first = ExpectPlainIdent();
        if (IsSymbol(':')) {
            Advance();
            object.name = std::move(first);
            object.className = ExpectPlainIdent();
        } else {
            object.className = std::move(first);
        }
        while (!IsKeyword("end") && !IsKeyword("object")) object.properties.push_back(ParseProperty(depth));
        while (!IsKeyword("end")) {
            if (!IsKeyword("object")) Expected("'end'");
            object.children.push_back(ParseObject(depth + 1));
        }
        Advance();
        return object;
    }

    TTextProperty ParseProperty(int depth)
    {
        if (tok_.kind != Tok::Ident) Expected("'end'");
        TTextProperty prop;
        prop.name = tok_.text;
        prop.line = tok_.line;
        Advance();
        ExpectSymbol('=');
        prop.value = ParseValue(depth);
        return prop;
    }

    TTextValue ParseValue(int depth)
    {
        const int line = tok_.line;
        TTextValue value;
        switch (tok_.kind) {
        case Tok::Integer:
            value = TTextValue::MakeInteger(tok_.integer);
            Advance();
            break;
        case Tok::Float:
            value = TTextValue::MakeFloat(tok_.number);
            Advance();
            break;
        case Tok::Ident:
            value = TTextValue::MakeIdent(tok_.text);
            Advance();
            break;
        case Tok::Binary:
            value = TTextValue::MakeBinary(std::move(tok_.text));
            Advance();
            break;
        case Tok::String: {
            std::string text = std::move(tok_.text);
            Advance();
            while (IsSymbol('+')) {
                Advance();
                if (tok_.kind != Tok::String) Expected("String");
                text += tok_.text;
                Advance();
            }
            value = TTextValue::MakeString(std::move(text));
            break;
        }
        case Tok::Symbol:
            if (IsSymbol('[')) {
                Advance();
                std::vector<std::string> elements;
                if (!IsSymbol(']')) {
                    for (;;) {
                        elements.push_back(ExpectPlainIdent());
                        if (!IsSymbol(',')) break;
                        Advance();
                    }
                }
                ExpectSymbol(']');
                value = TTextValue::MakeSet(std::move(elements));
            } else if (IsSymbol('(')) {
                CheckDepth(depth + 1, line);
                Advance();
                std::vector<TTextValue> list;
                while (!IsSymbol(')')) {
                    if (tok_.kind == Tok::End) Expected("')'");
                    list.push_back(ParseValue(depth + 1));
                }
                Advance();
                value = TTextValue::MakeList(std::move(list));
            } else if (IsSymbol('<')) {
                CheckDepth(depth + 1, line);
                Advance();
                std::vector<TTextItem> items;
                while (!IsSymbol('>')) {
                    if (!IsKeyword("item")) Expected("'item'");
                    TTextItem item;
                    item.line = tok_.line;
                    Advance();
                    while (!IsKeyword("end")) item.properties.push_back(ParseProperty(depth + 1));
                    Advance();
                    items.push_back(std::move(item));
                }
                Advance();
                value = TTextValue::MakeCollection(std::move(items));
            } else if (IsSymbol('-')) {
                Advance();
                if (!IsKeyword("INF")) Fail("Invalid property value");
                Advance();
                value = TTextValue::MakeFloat(-std::numeric_limits<double>::infinity());
            } else {
                Fail("Invalid property value");
            }
            break;
        case Tok::End:
            Expected("Property value");
        }
        value.line = line;
        return value;
    }

    Scanner scanner_;
    Token tok_;
};

// ---- Formatter ---------------------------------------------------------------------------

constexpr std::size_t kStringPieceChars = 64;
constexpr std::size_t kBinaryLineBytes = 32;

class Formatter {
public:
    std::string Result() { return std::move(out_); }

    void WriteObject(const TTextObject& object, int indent)
    {
        Indent(indent);
        out_ += "object ";
        if (!object.name.empty()) out_ += object.name + ": ";
        out_ += object.className;
        out_ += "\r\n";
        for (const TTextProperty& prop : object.properties) {
            Indent(indent + 2);
            WriteProperty(prop, indent + 2);
            out_ += "\r\n";
        }
        for (const TTextObject& child : object.children) WriteObject(child, indent + 2);
        Indent(indent);
        out_ += "end\r\n";
    }

private:
    void Indent(int indent) { out_.append(static_cast<std::size_t>(indent), ' '); }
    void NewLine(int indent)
    {
        out_ += "\r\n";
        Indent(indent);
    }

    void WriteProperty(const TTextProperty& prop, int indent)
    {
        out_ += prop.name;
        out_ += " = ";
        WriteValue(prop.value, indent);
    }

    void WriteValue(const TTextValue& value, int indent)
    {
        switch (value.kind) {
        case TTextValue::Kind::Integer:
            out_ += std::to_string(value.integer);
            break;
        case TTextValue::Kind::Float:
            WriteFloat(value.number);
            break;
        case TTextValue::Kind::String:
            WriteString(value.text, indent);
            break;
        case TTextValue::Kind::Ident:
            out_ += value.text;
            break;
        case TTextValue::Kind::Set:
            out_ += '[';
            for (std::size_t i = 0; i < value.elements.size(); ++i) {
                if (i > 0) out_ += ", ";
                out_ += value.elements[i];
            }
            out_ += ']';
            break;
        case TTextValue::Kind::List:
            out_ += '(';
            for (const TTextValue& item : value.list) {
                NewLine(indent + 2);
                WriteValue(item, indent + 2);
            }
            out_ += ')';
            break;
        case TTextValue::Kind::Binary: {
            static const char kHex[] = "0123456789ABCDEF";
            out_ += '{';
            for (std::size_t i = 0; i < value.text.size(); ++i) {
                if (i % kBinaryLineBytes == 0) NewLine(indent + 2);
                const auto b = static_cast<unsigned char>(value.text[i]);
                out_ += kHex[b >> 4];
                out_ += kHex[b & 15];
            }
            out_ += '}';
            break;
        }
        case TTextValue::Kind::Collection:
            out_ += '<';
            for (const TTextItem& item : value.items) {
                NewLine(indent + 2);
                out_ += "item";
                for (const TTextProperty& prop : item.properties) {
                    NewLine(indent + 4);
                    WriteProperty(prop, indent + 4);
                }
                NewLine(indent + 2);
                out_ += "end";
            }
            out_ += '>';
            break;
        }
    }

    void WriteFloat(double v)
    {
        if (std::isnan(v)) {
            out_ += "NAN";
            return;
        }
        if (std::isinf(v)) {
            out_ += v < 0 ? "-INF" : "INF";
            return;
        }
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        std::string s(buf, r.ptr);
        if (s.find_first_of(".e") == std::string::npos) s += ".0";
        out_ += s;
    }

    // Quoted runs, control characters as "#" codes; long texts in pieces of 64 characters
    // joined by "+" at the end of a line.
    void WriteString(const std::string& text, int indent)
    {
        if (text.empty()) {
            out_ += "''";
            return;
        }
        std::size_t pos = 0;
        bool first = true;
        while (pos < text.size()) {
            std::size_t end = pos;
            for (std::size_t n = 0; n < kStringPieceChars && end < text.size(); ++n)
                end = rtl::Utf8NextCharStart(text, end);
            if (!first) {
                out_ += " +";
                NewLine(indent + 2);
            }
            WritePiece(std::string_view(text).substr(pos, end - pos));
            first = false;
            pos = end;
        }
    }

    void WritePiece(std::string_view piece)
    {
        bool quoted = false;
        for (const char c : piece) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 32 || b == 127) {
                if (quoted) out_ += '\'';
                quoted = false;
                out_ += '#';
                out_ += std::to_string(b);
            } else {
                if (!quoted) out_ += '\'';
                quoted = true;
                if (c == '\'') out_ += '\'';
                out_ += c;
            }
        }
        if (quoted) out_ += '\'';
    }

    std::string out_;
};

}  // namespace

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool DecodeSingleUtf8(std::string_view text, char32_t& codePoint)
{
    if (text.empty() || !rtl::IsValidUtf8(text) || rtl::Utf8CharLen(text, 0) != text.size()) return false;
    const auto b0 = static_cast<unsigned char>(text[0]);
    if (text.size() == 1) {
        codePoint = b0;
        return true;
    }
    char32_t cp = b0 & (0x7F >> text.size());
    for (std::size_t i = 1; i < text.size(); ++i) cp = (cp << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    codePoint = cp;
    return true;
}

TTextObject ParseObjectText(std::string_view text)
{
    Parser parser(text);
    return parser.ParseRoot();
}

std::string FormatObjectText(const TTextObject& object)
{
    Formatter f;
    f.WriteObject(object, 0);
    return f.Result();
}

}  // namespace classes
