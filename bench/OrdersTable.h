// The orders-like table the grid benchmarks read (integers, texts, dates, decimals, a third of
// the notes null) and the statement both sides of a benchmark run on it.
//
// Promises: BuildOrdersTable writes a new SQLite file at `path` holding `rows` rows with ids
// 1..rows, the same rows for the same count; on a failure it prints why and ends the process.
#pragma once

#include <string>

namespace bench {

inline constexpr const char* kOrdersSelect =
    "SELECT order_id, customer_id, status, order_date, amount, note FROM orders ORDER BY order_id";

void BuildOrdersTable(const std::string& path, long long rows);

}  // namespace bench
