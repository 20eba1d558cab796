#pragma once
// Filter texts of the library's data sets: a field compared with a literal, joined by AND and
// OR, compiled into a typed tree and installed on a data set as one of its record filters.
//
// Language (tokens keep their case; keywords are matched ignoring it):
//   filter := L, and nothing may follow it (text left over fails the whole filter)
//   L := R { ("AND" | "OR") R }     AND and OR bind alike and group from the left
//   R := E [ ("<" | ">" | "<=" | ">=" | "=" | "<>") E ]
//   E := T { ("+" | "-") T }
//   T := P { ("*" | "/") T }
//   P := "(" L ")" | operand
// An operand is an identifier (a letter, "_", "!", "#", "$", "*", "+", "-", "/", "@", "`" or
// any non-ASCII character, then those, digits and blanks: field names may hold blanks), a
// number (optional "-", digits, the locale's decimal separator and digits) or a text between
// double quotes (no quote inside). The left side of every operator must name a field of the
// data set (a warning says so otherwise, and the text gives no tree); the right side of a
// comparison with a field is a literal of that field's type, quoted or not: Name = Smith and
// Name = "Smith" are the same. Nesting deeper than 256 levels gives no tree.
//
// Installed, literals are converted once to the field's type: texts as written, integers
// whole (64-bit), floats and dates with the locale's formats, decimals exactly, Booleans True
// when the text begins with "T". Comparisons use CompareVariants, texts by code point; a
// null on either side fails every comparison, as in a WHERE clause.
//
// Failed installations leave no filter on the data set and the handle 0.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/DataSet.h"

namespace grid {

enum class TgkFilterNodeKind : std::uint8_t { Comparison = 0, Logical = 1, Arithmetic = 2, Operand = 3 };

// The type of an operand: how a literal is read, or a field reference.
enum class TgkFilterOperandType : std::uint8_t {
    Field = 0, String = 1, Float = 2, DateTime = 3, Date = 4, Time = 5, Boolean = 6, Integer = 7, BCD = 8,
    SmallInt = 9
};

// One node of a compiled filter. Operator nodes own both children; operands own none.
struct TgkFilterNode {
    TgkFilterNode() = default;
    TgkFilterNode(const TgkFilterNode&) = delete;
    TgkFilterNode& operator=(const TgkFilterNode&) = delete;
    // Frees long chains without recursing once per node.
    ~TgkFilterNode();

    TgkFilterNodeKind kind = TgkFilterNodeKind::Operand;
    TgkFilterOperandType operandType = TgkFilterOperandType::Field;
    // Decimal places of a BCD literal: the field's.
    int decimals = 0;
    // The operator or operand token as written (an operator's in the case typed).
    std::string text;
    std::unique_ptr<TgkFilterNode> left;
    std::unique_ptr<TgkFilterNode> right;
};

// The operand type of a field of that type; Field for the types a literal cannot be read as.
TgkFilterOperandType gkFieldTypeToFilterType(db::TFieldType type);

// The typed tree of `text` over the fields of `dataSet`, or nullptr when the text does not
// parse. A left side naming no field shows the warning "<name>\rField not found in Table. ".
std::unique_ptr<TgkFilterNode> gkFilterCompile(std::string_view text, db::TDataSet& dataSet);

// A compiled filter with its literals converted and its fields found, ready to test records.
class TgkFilterProgram {
public:
    // Raises the conversion error of the first literal that does not read as its field's
    // type, and "Field 'X' not found" for a field reference naming none.
    TgkFilterProgram(std::unique_ptr<TgkFilterNode> tree, db::TDataSet& dataSet);
    ~TgkFilterProgram();
    TgkFilterProgram(const TgkFilterProgram&) = delete;
    TgkFilterProgram& operator=(const TgkFilterProgram&) = delete;
    // Whether the record the data set's fields read now passes. Fields are found by name
    // again when the data set made new ones (closed and opened); one that is gone raises
    // "Field 'X' not found".
    bool Accepts(db::TDataSet& dataSet) const;

private:
    struct Step;
    std::unique_ptr<TgkFilterNode> tree_;
    std::vector<Step> steps_;
    mutable std::vector<db::TVariant> values_;
};

// Installs `text` on the data set as a record filter, replacing the one `handle` names.
// A closed data set without `force`: drops the previous filter, handle 0, True. An empty text:
// drops the previous filter, True. A text that gives no tree: no filter, False. A literal that
// does not convert: no filter, and its error goes on to the caller.
bool gkApplyFilterText(std::string_view text, db::TDataSet& dataSet, db::TRecordFilterHandle& handle,
                       bool force);

// Removes the filter `handle` names (nothing when 0) and sets the handle to 0.
void gkDropFilter(db::TDataSet& dataSet, db::TRecordFilterHandle& handle);

// Replaces the filter `handle` names by `callback`, asked for every record with the data set
// in the filter state. An empty callback only drops the previous filter (True). False, handle
// 0, when the data set is neither open nor opening or the records could not be re-read.
bool gkSetFilterCallback(db::TRecordFilter callback, db::TDataSet& dataSet, db::TRecordFilterHandle& handle);

}  // namespace grid
