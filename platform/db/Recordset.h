#pragma once
// The rows of a result held in memory: what the ADO data sets browse once a statement has run.
// A result is read a part at a time (OpenRecordset, then ReadRows as more rows are wanted),
// its statement held open between the parts.
//
// Rows are packed one after another in large blocks: a null bitmap, then each non-null value
// (integers as variable-length numbers, floats and dates as 8 bytes, texts, decimals and
// byte strings as a length and their bytes). A value is found by walking its row, or directly
// through the column offsets a record buffer keeps.
//
// Rows are read in blocks where the driver allows it: the columns are bound (column-wise)
// into buffers sized for UTF-8 and for drivers that do not enforce declared lengths, and
// SQL_ATTR_ROW_ARRAY_SIZE rows come per fetch. A value longer than its bound buffer is read
// again whole with SQLGetData; long texts are bound with a first piece of 512 bytes (the longer
// values read again whole the same way), binary columns are read with SQLGetData only. When
// the driver cannot read a single row's value with SQLGetData inside a block, a bound row comes
// per fetch instead; a driver that refuses bound columns or row arrays is read a value at a
// time with SQLGetData. Numbers are bound in their C types (integers as 64-bit, floats as
// double), so the driver hands them over as values; decimals are bound as text to stay exact.
// Dates and times are bound as text where a single value can be read again, and their plain
// forms converted here (to the millisecond): the drivers keep them as text, and their own
// date parsing costs more than the whole read of a number; any other form is read again with
// the column's C type, so the driver's own conversion decides it. The path is chosen once per
// statement, before the first fetch, from the described columns alone (nothing before the
// first fetch grows with the row count).
//
// A reader that walks a result once (the page export) empties the store between its ReadRows
// calls (Clear), so it holds one step of rows, never the whole result.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/FieldTypes.h"
#include "platform/db/Variant.h"

namespace db {

class TOdbcStatement;
class TOdbcLink;
struct TOdbcColumn;

// How a column's values are stored.
enum class TStorage : std::uint8_t { Integer, Boolean, Float, Decimal, DateTime, Text, Bytes };

// The storage of a field type.
TStorage StorageOf(TFieldType type);

struct TRecordsetColumn {
    std::string name;
    TFieldType fieldType = ftUnknown;
    int size = 0;       // characters of text, decimal places of BCD
    int precision = 0;  // digits of numerics
    bool required = false;
    int adoType = 0;
    TStorage storage = TStorage::Text;
    int sqlType = 0;                  // as the driver described it
    std::uint64_t declaredSize = 0;   // the driver's column size
};

// How a result's rows were read.
enum class TFetchPath : std::uint8_t {
    Block,      // bound columns, many rows per fetch
    BoundRows,  // bound columns, one row per fetch (SQLGetData cannot reach rows of a block)
    PerValue,   // SQLGetData for every value
};

// Lets results be read through bound columns (the default) or forces every statement onto
// the SQLGetData path, as for a driver that refuses bound columns and row arrays.
void SetBoundFetchAllowed(bool allowed) noexcept;
// The path the last result read in this process took.
TFetchPath LastFetchPath() noexcept;

// The field definition of a described result column: ADO type from its SQL type, field type
// through the ADO type table (`enableBCD` keeps exact numerics exact).
TRecordsetColumn ColumnFromOdbc(const TOdbcColumn& column, bool enableBCD);

class TRowStore {
public:
    explicit TRowStore(std::vector<TStorage> columns);
    TRowStore(const TRowStore&) = delete;
    TRowStore& operator=(const TRowStore&) = delete;

    int ColumnCount() const noexcept { return static_cast<int>(columns_.size()); }
    std::size_t RowCount() const noexcept { return firstRow_ + rows_.size(); }

    // ---- Adding a row: one call per column, in column order, then EndRow ----------------
    void AddNull();
    void AddInteger(std::int64_t value);
    void AddBoolean(bool value);
    void AddFloat(double value);  // floats and date-time values
    void AddText(std::string_view value);  // texts, decimal texts and byte strings
    void AddValue(const TVariant& value);  // converted to the column's storage
    void EndRow();
    // Drops every row (a row being added too); keeps one block for the rows to come.
    void Clear();

    // ---- Reading --------------------------------------------------------------------------
    // Offsets of every column's value inside the row (kNull for a null value).
    static constexpr std::uint32_t kNull = 0xFFFFFFFFu;
    void ColumnOffsets(std::size_t row, std::uint32_t* offsets) const;
    TVariant ValueAt(std::size_t row, int column, std::uint32_t offset) const;
    TVariant Value(std::size_t row, int column) const;

    // ---- Adding rows on another thread ----------------------------------------------------
    // A store for the rows that follow this one's: they go on in this store's last block,
    // past the bytes this store uses, and in blocks of its own, so that one thread can add
    // rows there while another reads this store. It holds only the new rows (its RowCount
    // counts this store's too, for messages naming a row); Append takes them over. This
    // store must not change until then: nothing is added to it in between.
    std::unique_ptr<TRowStore> Continuation() const;
    void Append(TRowStore& continuation);

private:
    void Begin();
    std::uint8_t* Room(std::size_t n);
    const std::uint8_t* Skip(const std::uint8_t* p, TStorage storage) const;

    std::vector<TStorage> columns_;
    std::size_t bitmapBytes_;
    // Shared with a continuation, which may still be adding rows past this store's bytes
    // when this store goes (a reading thread that was given up).
    std::vector<std::shared_ptr<std::uint8_t>> blocks_;
    std::vector<std::size_t> blockSizes_;
    std::size_t blockUsed_ = 0;
    std::vector<const std::uint8_t*> rows_;
    std::size_t rowSize_ = 0;  // bytes of the row being added, at blockUsed_ in the last block
    int column_ = 0;
    std::size_t firstRow_ = 0;  // rows before these (a continuation's)
};

// Reads the rows of an executed statement, holding it (and its connection) between reads.
class TRowReader;

// A result: its columns and rows.
struct TRecordset {
    std::vector<TRecordsetColumn> columns;
    std::unique_ptr<TRowStore> rows;
    TFetchPath fetchPath = TFetchPath::PerValue;
    // The statement of the rows still to be read; null once the result has been read to its end.
    std::shared_ptr<TRowReader> reader;

    // Makes the row store for the columns described so far.
    void CreateRows();
};

// Describes the statement's result columns (duplicate names get "_1", "_2" ...; a nameless
// column is "COLUMN") and reads its first rows: whole fetches until `firstRows` rows are
// read or the result ends; while rows are left, the result's reader holds the statement. A
// result without columns raises EDatabaseError "CommandText does not return a result set".
std::unique_ptr<TRecordset> OpenRecordset(std::unique_ptr<TOdbcStatement> statement, bool enableBCD,
                                          std::size_t firstRows);
// Reads whole fetches into `rows` until it counts `until` rows or the result ends; true while
// rows are left. Runs on the statement's connection (TOdbcConnection::Run) with `rows` a
// continuation of the result's store; the reader's link is where its statement runs.
bool ReadRows(TRowReader& reader, TRowStore& rows, std::size_t until);
// The most rows one fetch of the reader adds.
std::size_t ReaderRowsPerFetch(const TRowReader& reader) noexcept;
const TOdbcLink& ReaderLink(const TRowReader& reader) noexcept;
// Only the described columns (no rows read).
std::vector<TRecordsetColumn> DescribeColumns(TOdbcStatement& statement, bool enableBCD);

}  // namespace db
