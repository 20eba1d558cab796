#pragma once
// The filter and sort texts of the ADO data sets.
//
// Filter: comparisons "Field op value" joined by AND and OR (AND binds tighter), NOT, and
// parentheses. op is =, <>, <, >, <=, >= or LIKE; a value is a number, a text in single
// quotes (a quote doubled inside), a date between "#" signs, or NULL ("= NULL", "<> NULL"
// test for null). Field names may be enclosed in square brackets. Texts compare ignoring
// case; LIKE patterns use "*" or "%" for any run of characters and "_" for one.
// Sort: field names separated by commas, each optionally followed by ASC or DESC.
// A malformed text or an unknown field raises EDatabaseError naming the text.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/Variant.h"

namespace db {

// Column index of a field name, -1 when the data set has none.
using TColumnLookup = std::function<int(std::string_view name)>;
// The value of a column in the row being tested.
using TColumnValue = std::function<TVariant(int column)>;

class TFilterExpression {
public:
    struct Node;
    static std::unique_ptr<TFilterExpression> Parse(std::string_view text, const TColumnLookup& lookup);
    ~TFilterExpression();
    bool Matches(const TColumnValue& valueOf) const;
    // Columns the expression reads.
    const std::vector<int>& Columns() const noexcept { return columns_; }

private:
    TFilterExpression() = default;
    std::unique_ptr<Node> root_;
    std::vector<int> columns_;
};

struct TSortKey {
    int column = 0;
    bool descending = false;
};
std::vector<TSortKey> ParseSortText(std::string_view text, const TColumnLookup& lookup);

// True when `text` matches the LIKE pattern (ignoring case).
bool MatchesLike(std::string_view text, std::string_view pattern);

}  // namespace db
