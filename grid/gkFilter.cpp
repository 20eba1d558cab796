#include "grid/gkFilter.h"

#include <utility>
#include <vector>

#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Formatting.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"

namespace grid {

namespace {

using Node = TgkFilterNode;
using Kind = TgkFilterNodeKind;
using OperandType = TgkFilterOperandType;

constexpr int kMaxNesting = 256;

bool IsIdentifierStart(unsigned char c)
{
    // Every byte of a multi-byte character counts, so a non-ASCII character is taken whole.
    if (c >= 0x80) return true;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    switch (c) {
    case '_': case '!': case '#': case '$': case '*': case '+': case '-': case '/': case '@': case '`':
        return true;
    default:
        return false;
    }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsComparisonChar(char c) { return c == '<' || c == '=' || c == '>'; }

// Starts-with, ignoring the case of ASCII letters.
bool StartsWithKeyword(std::string_view text, std::string_view keyword)
{
    if (text.size() < keyword.size()) return false;
    for (std::size_t i = 0; i < keyword.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != keyword[i]) return false;
    }
    return true;
}

std::size_t NumberLength(std::string_view text)
{
    std::size_t n = 0;
    if (n < text.size() && text[n] == '-') ++n;
    const std::size_t digitsAt = n;
    while (n < text.size() && IsDigit(text[n])) ++n;
    if (n == digitsAt) return 0;
    const std::string& separator = rtl::FormatSettings().DecimalSeparator;
    if (!separator.empty() && text.substr(n).starts_with(separator)) {
        n += separator.size();
        while (n < text.size() && IsDigit(text[n])) ++n;
    }
    return n;
}

class Parser {
public:
    Parser(std::string_view text, db::TDataSet& dataSet) : rest_(text), dataSet_(dataSet) {}

    std::unique_ptr<Node> Run()
    {
        if (!ParseL()) return nullptr;
        // Nothing may follow the whole filter: "A = 1 AN B = 2" is no filter on A alone.
        if (rest_.find_first_not_of(" \t\r\n") != std::string_view::npos) return nullptr;
        if (nodes_.size() != 1) return nullptr;
        return std::move(nodes_.back());
    }

private:
    // The next token without consuming it; its length (with the blanks before it) in `length`.
    std::string_view Peek(bool logicalMayCome, std::size_t& length)
    {
        const std::size_t start = std::min(rest_.find_first_not_of(" \t"), rest_.size());
        const std::string_view text = rest_.substr(start);
        std::size_t n = 0;
        if (text.empty()) {
            n = 0;
        } else if (text[0] == '(' || text[0] == ')') {
            n = 1;
        } else if (IsComparisonChar(text[0])) {
            n = text.size() > 1 && IsComparisonChar(text[1]) ? 2 : 1;
        } else if (logicalMayCome && StartsWithKeyword(text, "AND")) {
            n = 3;
        } else if (logicalMayCome && StartsWithKeyword(text, "OR")) {
            n = 2;
        } else if (text[0] == '-' && text.size() > 1 && IsDigit(text[1])) {
            // A negative number is read whole: as an identifier it would end at the decimal
            // separator and leave the fraction behind.
            n = NumberLength(text);
        } else if (IsIdentifierStart(static_cast<unsigned char>(text[0]))) {
            n = 1;
            while (n < text.size() &&
                   (IsIdentifierStart(static_cast<unsigned char>(text[n])) || IsDigit(text[n]) || text[n] == ' '))
                ++n;
        } else if (IsDigit(text[0])) {
            n = NumberLength(text);
        } else if (text[0] == '"') {
            const std::size_t close = text.find('"', 1);
            n = close == std::string_view::npos ? 0 : close + 1;
        }
        std::string_view token = text.substr(0, n);
        while (!token.empty() && token.back() == ' ') token.remove_suffix(1);
        length = start + n;
        return token;
    }

    std::string_view Take(std::size_t length)
    {
        const std::string_view taken = rest_.substr(0, length);
        rest_.remove_prefix(length);
        return taken;
    }

    // A scope for one more level of nesting; false past the limit.
    struct Nesting {
        explicit Nesting(int& depth) : depth_(depth) { ++depth_; }
        ~Nesting() { --depth_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;
        bool TooDeep() const { return depth_ > kMaxNesting; }
        int& depth_;
    };

    bool ParseL()
    {
        if (!ParseR()) return false;
        for (;;) {
            std::size_t length = 0;
            const std::string_view token = Peek(true, length);
            if (!StartsWithKeyword(token, "AND") && !StartsWithKeyword(token, "OR")) return true;
            if (token.size() != 3 && token.size() != 2) return true;
            const std::string op(token);
            Take(length);
            if (!ParseR() || !AddNode(Kind::Logical, op)) return false;
        }
    }

    bool ParseR()
    {
        if (!ParseE()) return false;
        std::size_t length = 0;
        const std::string_view token = Peek(false, length);
        if (token.empty() || !IsComparisonChar(token[0])) return true;
        static constexpr std::string_view kComparisons[] = {"<", ">", "<=", ">=", "=", "<>"};
        bool known = false;
        for (std::string_view c : kComparisons) known = known || token == c;
        if (!known) return true;
        const std::string op(token);
        Take(length);
        return ParseE() && AddNode(Kind::Comparison, op);
    }

    bool ParseE()
    {
        if (!ParseT()) return false;
        for (;;) {
            std::size_t length = 0;
            const std::string_view token = Peek(false, length);
            if (token != "+" && token != "-") return true;
            const std::string op(token);
            Take(length);
            if (!ParseT() || !AddNode(Kind::Arithmetic, op)) return false;
        }
    }

    bool ParseT()
    {
        if (!ParseP()) return false;
        std::size_t length = 0;
        const std::string_view token = Peek(false, length);
        if (token != "*" && token != "/") return true;
        const std::string op(token);
        Take(length);
        const Nesting nesting(depth_);
        if (nesting.TooDeep()) return false;
        return ParseT() && AddNode(Kind::Arithmetic, op);
    }

    bool ParseP()
    {
        std::size_t length = 0;
        const std::string_view token = Peek(false, length);
        if (token.empty() || token == ")" || IsComparisonChar(token[0])) return false;
        Take(length);
        if (token == "(") {
            const Nesting nesting(depth_);
            if (nesting.TooDeep() || !ParseL()) return false;
            if (Peek(false, length) != ")") return false;
            Take(length);
            return true;
        }
        auto operand = std::make_unique<Node>();
        operand->text = std::string(token);
        nodes_.push_back(std::move(operand));
        return true;
    }

    bool AddNode(Kind kind, const std::string& op)
    {
        if (nodes_.size() < 2) return false;
        std::unique_ptr<Node> right = std::move(nodes_.back());
        nodes_.pop_back();
        std::unique_ptr<Node> left = std::move(nodes_.back());
        nodes_.pop_back();
        if (left->kind == Kind::Operand) {
            db::TField* field = dataSet_.FindField(left->text);
            if (field == nullptr) {
                ui::MessageDlg(left->text + "\rField not found in Table. ", ui::mtWarning, {ui::mbOK});
                return false;
            }
            if (right->kind == Kind::Operand) {
                right->operandType = gkFieldTypeToFilterType(field->DataType());
                if (field->DataType() == db::ftBCD) right->decimals = field->Size();
            }
        }
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->text = op;
        node->left = std::move(left);
        node->right = std::move(right);
        nodes_.push_back(std::move(node));
        return true;
    }

    std::string_view rest_;
    db::TDataSet& dataSet_;
    std::vector<std::unique_ptr<Node>> nodes_;
    int depth_ = 0;
};

// ---- Literals ------------------------------------------------------------------------------

std::string Unquoted(const std::string& text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    return text;
}

// The decimal text rounded half away from zero to `decimals` places.
std::string RoundDecimalText(const std::string& text, int decimals)
{
    const std::size_t point = text.find('.');
    if (point == std::string::npos || text.size() - point - 1 <= static_cast<std::size_t>(decimals)) return text;
    const bool up = text[point + 1 + static_cast<std::size_t>(decimals)] >= '5';
    std::string kept = text.substr(0, decimals > 0 ? point + 1 + static_cast<std::size_t>(decimals) : point);
    if (up) {
        std::size_t i = kept.size();
        while (i > 0) {
            --i;
            char& c = kept[i];
            if (c == '.') continue;
            if (c == '-') {
                kept.insert(i + 1, "1");
                break;
            }
            if (c != '9') {
                ++c;
                break;
            }
            c = '0';
            if (i == 0) kept.insert(0, "1");
        }
    }
    return kept;
}

db::TVariant ConvertLiteral(const Node& node)
{
    const std::string& text = node.text;
    switch (node.operandType) {
    case OperandType::String: return db::TVariant(Unquoted(text));
    case OperandType::Boolean: {
        const std::string value = Unquoted(text);
        return db::TVariant(!value.empty() && (value[0] == 'T' || value[0] == 't'));
    }
    case OperandType::Date: return db::TVariant::FromDateTime(rtl::StrToDate(Unquoted(text)));
    case OperandType::Time: return db::TVariant::FromDateTime(rtl::StrToTime(Unquoted(text)));
    case OperandType::DateTime: {
        const std::string value = Unquoted(text);
        return db::TVariant::FromDateTime(value.find(' ') != std::string::npos ? rtl::StrToDateTime(value)
                                                                             : rtl::StrToDate(value));
    }
    case OperandType::Float: return db::TVariant(rtl::StrToFloat(text));
    case OperandType::Integer:
    case OperandType::SmallInt: return db::TVariant(static_cast<long long>(rtl::StrToInt64(text)));
    case OperandType::BCD: {
        // Read exactly, so that no digit goes through a double; the float reading only gives
        // the usual error for what is no number.
        const double asFloat = rtl::StrToFloat(text);
        std::string decimal = text;
        const std::string& separator = rtl::FormatSettings().DecimalSeparator;
        if (const std::size_t at = decimal.find(separator); !separator.empty() && at != std::string::npos)
            decimal.replace(at, separator.size(), ".");
        try {
            const db::TVariant exact = db::TVariant::FromDecimal(decimal);
            return db::TVariant::FromDecimal(RoundDecimalText(exact.AsDecimalText(), node.decimals));
        } catch (const rtl::EConvertError&) {
            return db::TVariant(asFloat);  // a form only the float reading takes (an exponent)
        }
    }
    case OperandType::Field: break;
    }
    return {};
}

// ---- Evaluation ----------------------------------------------------------------------------

bool Truth(const db::TVariant& value)
{
    switch (value.Type()) {
    case db::TVarType::Boolean: return value.AsBoolean();
    case db::TVarType::Integer: return value.AsInt64() != 0;
    case db::TVarType::Float: return value.AsFloat() != 0;
    default: return false;
    }
}

bool Compare(const std::string& op, const db::TVariant& a, const db::TVariant& b)
{
    if (a.IsNull() || b.IsNull()) return false;
    const int c = db::CompareVariants(a, b, false);
    if (op == "=") return c == 0;
    if (op == "<>") return c != 0;
    if (op == "<") return c < 0;
    if (op == ">") return c > 0;
    if (op == "<=") return c <= 0;
    return c >= 0;
}

db::TVariant Arithmetic(const std::string& op, const db::TVariant& a, const db::TVariant& b)
{
    if (!a.IsNumeric() || !b.IsNumeric()) return {};
    if (a.Type() == db::TVarType::Integer && b.Type() == db::TVarType::Integer && op != "/") {
        long long result = 0;
        const long long x = a.AsInt64();
        const long long y = b.AsInt64();
        const bool overflow = op == "+"   ? __builtin_add_overflow(x, y, &result)
                              : op == "-" ? __builtin_sub_overflow(x, y, &result)
                                          : __builtin_mul_overflow(x, y, &result);
        if (!overflow) return db::TVariant(result);
    }
    const double x = a.AsFloat();
    const double y = b.AsFloat();
    if (op == "+") return db::TVariant(x + y);
    if (op == "-") return db::TVariant(x - y);
    if (op == "*") return db::TVariant(x * y);
    if (y == 0) return {};
    return db::TVariant(x / y);
}

}  // namespace

TgkFilterNode::~TgkFilterNode()
{
    std::vector<std::unique_ptr<TgkFilterNode>> pending;
    if (left) pending.push_back(std::move(left));
    if (right) pending.push_back(std::move(right));
    while (!pending.empty()) {
        std::unique_ptr<TgkFilterNode> node = std::move(pending.back());
        pending.pop_back();
        if (node->left) pending.push_back(std::move(node->left));
        if (node->right) pending.push_back(std::move(node->right));
    }
}

TgkFilterOperandType gkFieldTypeToFilterType(db::TFieldType type)
{
    switch (type) {
    case db::ftString:
    case db::ftFixedChar:
    case db::ftWideString: return OperandType::String;
    case db::ftSmallint:
    case db::ftWord: return OperandType::SmallInt;
    case db::ftInteger:
    case db::ftAutoInc:
    case db::ftLargeint: return OperandType::Integer;
    case db::ftBoolean: return OperandType::Boolean;
    case db::ftFloat:
    case db::ftCurrency: return OperandType::Float;
    case db::ftBCD: return OperandType::BCD;
    case db::ftDate: return OperandType::Date;
    case db::ftTime: return OperandType::Time;
    case db::ftDateTime: return OperandType::DateTime;
    default: return OperandType::Field;
    }
}

std::unique_ptr<TgkFilterNode> gkFilterCompile(std::string_view text, db::TDataSet& dataSet)
{
    return Parser(text, dataSet).Run();
}

// ---- Installed filters ---------------------------------------------------------------------

// One step of the filter in post-order: operands push their value, operators combine the
// two values before them. Walking a list keeps long AND and OR chains off the call stack.
struct TgkFilterProgram::Step {
    const Node* node = nullptr;
    // For a field reference: where the field stood when last found. The filter outlives the
    // data set's fields (closing frees default fields), so it is found again by name whenever
    // the field at that place no longer has it.
    mutable int fieldIndex = -1;
    db::TVariant literal;
};

namespace {

db::TField* FieldOf(const Node& node, int& index, db::TDataSet& dataSet)
{
    const db::TFields& fields = dataSet.Fields();
    if (index >= 0 && index < fields.Count() && rtl::AnsiSameText(fields[index]->FieldName(), node.text))
        return fields[index];
    db::TField* field = dataSet.FieldByName(node.text);
    index = fields.IndexOf(field);
    return field;
}

}  // namespace

TgkFilterProgram::TgkFilterProgram(std::unique_ptr<TgkFilterNode> tree, db::TDataSet& dataSet)
    : tree_(std::move(tree))
{
    if (!tree_) throw std::invalid_argument("TgkFilterProgram: no tree");
    std::vector<std::pair<const Node*, bool>> pending{{tree_.get(), false}};
    while (!pending.empty()) {
        const auto [node, childrenDone] = pending.back();
        pending.pop_back();
        if (node->kind != Kind::Operand && !childrenDone) {
            pending.emplace_back(node, true);
            pending.emplace_back(node->right.get(), false);
            pending.emplace_back(node->left.get(), false);
            continue;
        }
        Step step;
        step.node = node;
        if (node->kind == Kind::Operand) {
            if (node->operandType == OperandType::Field)
                (void)FieldOf(*node, step.fieldIndex, dataSet);
            else
                step.literal = ConvertLiteral(*node);
        }
        steps_.push_back(std::move(step));
    }
}

TgkFilterProgram::~TgkFilterProgram() = default;

bool TgkFilterProgram::Accepts(db::TDataSet& dataSet) const
{
    values_.clear();
    for (const Step& step : steps_) {
        const Node& node = *step.node;
        if (node.kind == Kind::Operand) {
            values_.push_back(node.operandType == OperandType::Field ? FieldOf(node, step.fieldIndex, dataSet)->Value()
                                                                      : step.literal);
            continue;
        }
        const db::TVariant b = std::move(values_.back());
        values_.pop_back();
        db::TVariant& a = values_.back();
        switch (node.kind) {
        case Kind::Comparison: a = db::TVariant(Compare(node.text, a, b)); break;
        case Kind::Logical:
            a = db::TVariant(StartsWithKeyword(node.text, "AND") ? Truth(a) && Truth(b) : Truth(a) || Truth(b));
            break;
        default: a = Arithmetic(node.text, a, b); break;
        }
    }
    return values_.size() == 1 && Truth(values_.back());
}

// ---- Installing on a data set --------------------------------------------------------------

void gkDropFilter(db::TDataSet& dataSet, db::TRecordFilterHandle& handle)
{
    if (handle == 0) return;
    const db::TRecordFilterHandle dropped = std::exchange(handle, 0);
    dataSet.RemoveRecordFilter(dropped);
}

bool gkApplyFilterText(std::string_view text, db::TDataSet& dataSet, db::TRecordFilterHandle& handle, bool force)
{
    if (!dataSet.Active() && !force) {
        // The layer's filters outlive closing: one left behind here would filter the next open
        // with nothing naming it.
        gkDropFilter(dataSet, handle);
        return true;
    }
    if (text.empty()) {
        gkDropFilter(dataSet, handle);
        return true;
    }
    std::unique_ptr<TgkFilterNode> tree = gkFilterCompile(text, dataSet);
    if (!tree) {
        gkDropFilter(dataSet, handle);
        return false;
    }
    std::shared_ptr<TgkFilterProgram> program;
    {
        // A literal that does not convert installs nothing, and no older filter stays behind.
        struct DropUnlessDone {
            db::TDataSet& dataSet;
            db::TRecordFilterHandle& handle;
            bool done = false;
            ~DropUnlessDone()
            {
                if (done) return;
                try {
                    gkDropFilter(dataSet, handle);
                } catch (...) {
                    rtl::LogCurrentException("gkApplyFilterText: dropping the previous filter");
                }
            }
        } dropOnFailure{dataSet, handle};
        program = std::make_shared<TgkFilterProgram>(std::move(tree), dataSet);
        dropOnFailure.done = true;
    }
    gkDropFilter(dataSet, handle);
    handle = dataSet.AddRecordFilter([program](db::TDataSet& ds) { return program->Accepts(ds); });
    return true;
}

bool gkSetFilterCallback(db::TRecordFilter callback, db::TDataSet& dataSet, db::TRecordFilterHandle& handle)
{
    gkDropFilter(dataSet, handle);
    if (!callback) return true;
    if (!dataSet.Active() && dataSet.State() != db::dsOpening) return false;
    try {
        handle = dataSet.AddRecordFilter(std::move(callback));
    } catch (...) {
        rtl::LogCurrentException("gkSetFilterCallback");
        handle = 0;
        return false;
    }
    return true;
}

}  // namespace grid
