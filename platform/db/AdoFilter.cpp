#include "platform/db/AdoFilter.h"

#include <algorithm>

#include "platform/db/DbErrors.h"
#include "platform/rtl/Formatting.h"
#include "platform/rtl/SysUtils.h"

namespace db {

namespace {

enum class Tok { End, Name, Number, Text, Date, Op, LParen, RParen, Comma };

struct Token {
    Tok kind = Tok::End;
    std::string text;
};

bool IsNameChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
           u >= 0x80;
}

class Lexer {
public:
    explicit Lexer(std::string_view text) : text_(text) {}

    Token Next()
    {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r' ||
                                       text_[pos_] == '\n'))
            ++pos_;
        if (pos_ >= text_.size()) return {Tok::End, {}};
        const char c = text_[pos_];
        if (c == '(') return ++pos_, Token{Tok::LParen, "("};
        if (c == ')') return ++pos_, Token{Tok::RParen, ")"};
        if (c == ',') return ++pos_, Token{Tok::Comma, ","};
        if (c == '=' ) return ++pos_, Token{Tok::Op, "="};
        if (c == '<' || c == '>') {
            std::string op(1, c);
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '=' || (c == '<' && text_[pos_] == '>'))) op += text_[pos_++];
            return {Tok::Op, op};
        }
        if (c == '\'') return {Tok::Text, Quoted('\'')};
        if (c == '#') {
            ++pos_;
            const std::size_t end = text_.find('#', pos_);
            if (end == std::string_view::npos) Fail();
            Token t{Tok::Date, std::string(text_.substr(pos_, end - pos_))};
            pos_ = end + 1;
            return t;
        }
        if (c == '[') {
            ++pos_;
            const std::size_t end = text_.find(']', pos_);
            if (end == std::string_view::npos) Fail();
            Token t{Tok::Name, std::string(text_.substr(pos_, end - pos_))};
            pos_ = end + 1;
            return t;
        }
        if ((c >= '0' && c <= '9') || c == '.' || ((c == '-' || c == '+') && pos_ + 1 < text_.size() &&
                                                   ((text_[pos_ + 1] >= '0' && text_[pos_ + 1] <= '9') ||
                                                    text_[pos_ + 1] == '.'))) {
            const std::size_t start = pos_++;
            while (pos_ < text_.size() && ((text_[pos_] >= '0' && text_[pos_] <= '9') || text_[pos_] == '.' ||
                                           text_[pos_] == 'e' || text_[pos_] == 'E' ||
                                           ((text_[pos_] == '-' || text_[pos_] == '+') &&
                                            (text_[pos_ - 1] == 'e' || text_[pos_ - 1] == 'E'))))
                ++pos_;
            return {Tok::Number, std::string(text_.substr(start, pos_ - start))};
        }
        if (IsNameChar(c)) {
            const std::size_t start = pos_;
            while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
            return {Tok::Name, std::string(text_.substr(start, pos_ - start))};
        }
        Fail();
    }

    [[noreturn]] void Fail() const
    {
        throw EDatabaseError("Invalid filter or sort expression: \"" + std::string(text_) + "\"");
    }

private:
    std::string Quoted(char quote)
    {
        ++pos_;
        std::string out;
        for (;;) {
            if (pos_ >= text_.size()) Fail();
            const char c = text_[pos_++];
            if (c == quote) {
                if (pos_ < text_.size() && text_[pos_] == quote) {
                    out += quote;
                    ++pos_;
                    continue;
                }
                return out;
            }
            out += c;
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

TVariant NumberValue(const std::string& text)
{
    std::int64_t i = 0;
    if (rtl::TryStrToInt64(text, i)) return TVariant(static_cast<long long>(i));
    if (text.find_first_of("eE") == std::string::npos) return TVariant::FromDecimal(text);
    double d = 0;
    if (!rtl::TryStrToFloat(text, d, rtl::TFormatSettings::UsEnglish()))
        throw EDatabaseError("Invalid number in filter: " + text);
    return TVariant(d);
}

TVariant DateValue(const std::string& text)
{
    rtl::TDateTime d = 0;
    if (rtl::TryStrToDateTime(text, d, rtl::TFormatSettings::UsEnglish())) return TVariant::FromDateTime(d);
    rtl::TFormatSettings iso = rtl::TFormatSettings::UsEnglish();
    iso.ShortDateFormat = "yyyy-mm-dd";
    iso.DateSeparator = "-";
    if (rtl::TryStrToDateTime(text, d, iso)) return TVariant::FromDateTime(d);
    throw EDatabaseError("Invalid date in filter: #" + text + "#");
}

bool LikeFrom(std::string_view t, std::size_t ti, std::string_view p, std::size_t pi)
{
    while (pi < p.size()) {
        const char c = p[pi];
        if (c == '*' || c == '%') {
            while (pi < p.size() && (p[pi] == '*' || p[pi] == '%')) ++pi;
            if (pi == p.size()) return true;
            for (std::size_t k = ti; k <= t.size(); k = k < t.size() ? rtl::Utf8NextCharStart(t, k) : k + 1)
                if (LikeFrom(t, k, p, pi)) return true;
            return false;
        }
        if (ti >= t.size()) return false;
        if (c == '_') {
            ti = rtl::Utf8NextCharStart(t, ti);
            ++pi;
            continue;
        }
        if (t[ti] != c) return false;
        ++ti;
        ++pi;
    }
    return ti == t.size();
}

}  // namespace

bool MatchesLike(std::string_view text, std::string_view pattern)
{
    const std::string t = rtl::AnsiUpperCase(text);
    const std::string p = rtl::AnsiUpperCase(pattern);
    return LikeFrom(t, 0, p, 0);
}

struct TFilterExpression::Node {
    enum Kind { And, Or, Not, Compare } kind = Compare;
    std::unique_ptr<Node> left;
    std::unique_ptr<Node> right;
    int column = -1;
    std::string op;
    TVariant value;  // null for "= NULL"
};

namespace {

class Parser {
public:
    Parser(std::string_view text, const TColumnLookup& lookup, std::vector<int>& columns)
        : lexer_(text), lookup_(lookup), columns_(columns)
    {
        Advance();
    }

    std::unique_ptr<TFilterExpression::Node> Parse()
    {
        auto node = Or();
        if (token_.kind != Tok::End) lexer_.Fail();
        return node;
    }

private:
    using Node = TFilterExpression::Node;

    void Advance() { token_ = lexer_.Next(); }
    bool IsKeyword(const char* word) const { return token_.kind == Tok::Name && rtl::SameText(token_.text, word); }

    std::unique_ptr<Node> Or()
    {
        auto left = And();
        while (IsKeyword("OR")) {
            Advance();
            auto node = std::make_unique<Node>();
            node->kind = Node::Or;
            node->left = std::move(left);
            node->right = And();
            left = std::move(node);
        }
        return left;
    }

    std::unique_ptr<Node> And()
    {
        auto left = Unary();
        while (IsKeyword("AND")) {
            Advance();
            auto node = std::make_unique<Node>();
            node->kind = Node::And;
            node->left = std::move(left);
            node->right = Unary();
            left = std::move(node);
        }
        return left;
    }

    std::unique_ptr<Node> Unary()
    {
        if (IsKeyword("NOT")) {
            Advance();
            auto node = std::make_unique<Node>();
            node->kind = Node::Not;
            node->left = Unary();
            return node;
        }
        if (token_.kind == Tok::LParen) {
            Advance();
            auto node = Or();
            if (token_.kind != Tok::RParen) lexer_.Fail();
            Advance();
            return node;
        }
        return Comparison();
    }

    std::unique_ptr<Node> Comparison()
    {
        if (token_.kind != Tok::Name) lexer_.Fail();
        auto node = std::make_unique<Node>();
        node->column = lookup_(token_.text);
        if (node->column < 0) throw EDatabaseError("Field '" + token_.text + "' not found");
        columns_.push_back(node->column);
        Advance();
        if (token_.kind == Tok::Op) {
            node->op = token_.text;
        } else if (IsKeyword("LIKE")) {
            node->op = "LIKE";
        } else {
            lexer_.Fail();
        }
        Advance();
        switch (token_.kind) {
        case Tok::Number: node->value = NumberValue(token_.text); break;
        case Tok::Text: node->value = TVariant(token_.text); break;
        case Tok::Date: node->value = DateValue(token_.text); break;
        case Tok::Name:
            if (!rtl::SameText(token_.text, "NULL") || (node->op != "=" && node->op != "<>")) lexer_.Fail();
            break;
        default: lexer_.Fail();
        }
        if (node->op == "LIKE" && node->value.Type() != TVarType::String) lexer_.Fail();
        Advance();
        return node;
    }

    Lexer lexer_;
    const TColumnLookup& lookup_;
    std::vector<int>& columns_;
    Token token_;
};

bool Evaluate(const TFilterExpression::Node& n, const TColumnValue& valueOf)
{
    using Node = TFilterExpression::Node;
    switch (n.kind) {
    case Node::And: return Evaluate(*n.left, valueOf) && Evaluate(*n.right, valueOf);
    case Node::Or: return Evaluate(*n.left, valueOf) || Evaluate(*n.right, valueOf);
    case Node::Not: return !Evaluate(*n.left, valueOf);
    case Node::Compare: break;
    }
    const TVariant v = valueOf(n.column);
    if (n.value.IsNull()) return n.op == "=" ? v.IsNull() : !v.IsNull();
    if (v.IsNull()) return false;
    if (n.op == "LIKE") return MatchesLike(v.AsString(), n.value.Text());
    const int c = CompareVariants(v, n.value, true);
    if (n.op == "=") return c == 0;
    if (n.op == "<>") return c != 0;
    if (n.op == "<") return c < 0;
    if (n.op == ">") return c > 0;
    if (n.op == "<=") return c <= 0;
    return c >= 0;
}

}  // namespace

TFilterExpression::~TFilterExpression() = default;

std::unique_ptr<TFilterExpression> TFilterExpression::Parse(std::string_view text, const TColumnLookup& lookup)
{
    std::unique_ptr<TFilterExpression> e(new TFilterExpression());
    Parser parser(text, lookup, e->columns_);
    e->root_ = parser.Parse();
    return e;
}

bool TFilterExpression::Matches(const TColumnValue& valueOf) const { return Evaluate(*root_, valueOf); }

std::vector<TSortKey> ParseSortText(std::string_view text, const TColumnLookup& lookup)
{
    std::vector<TSortKey> keys;
    Lexer lexer(text);
    Token t = lexer.Next();
    while (t.kind != Tok::End) {
        if (t.kind != Tok::Name) lexer.Fail();
        TSortKey key;
        key.column = lookup(t.text);
        if (key.column < 0) throw EDatabaseError("Field '" + t.text + "' not found");
        t = lexer.Next();
        if (t.kind == Tok::Name && (rtl::SameText(t.text, "ASC") || rtl::SameText(t.text, "DESC"))) {
            key.descending = rtl::SameText(t.text, "DESC");
            t = lexer.Next();
        }
        keys.push_back(key);
        if (t.kind == Tok::Comma) {
            t = lexer.Next();
            if (t.kind == Tok::End) lexer.Fail();
        } else if (t.kind != Tok::End) {
            lexer.Fail();
        }
    }
    return keys;
}

}  // namespace db
