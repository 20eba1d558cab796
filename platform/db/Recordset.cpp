#include "platform/db/Recordset.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include <sys/mman.h>

#include "platform/db/DbErrors.h"
#include "platform/db/OdbcHandles.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"

namespace db {

namespace {

// Blocks grow from small (a short result stays small) to large; large blocks are aligned to
// and marked for huge pages, so that filling them does not fault in every 4 KiB page.
constexpr std::size_t kFirstBlockSize = std::size_t{64} << 10;
constexpr std::size_t kLargestBlockSize = std::size_t{4} << 20;
constexpr std::size_t kHugePageSize = std::size_t{2} << 20;

std::uint8_t* AllocateBlock(std::size_t size)
{
    void* block = nullptr;
    const bool huge = size >= kHugePageSize;
    if (posix_memalign(&block, huge ? kHugePageSize : alignof(std::max_align_t), size) != 0) throw std::bad_alloc();
    if (huge) madvise(block, size, MADV_HUGEPAGE);  // only advice: without it, plain pages
    return static_cast<std::uint8_t*>(block);
}

std::uint64_t GetVarint(const std::uint8_t*& p)
{
    std::uint64_t v = 0;
    int shift = 0;
    for (;;) {
        const std::uint8_t b = *p++;
        v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
        if ((b & 0x80) == 0) return v;
        shift += 7;
    }
}

std::uint64_t ZigZag(std::int64_t v)
{
    return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63);
}

std::int64_t UnZigZag(std::uint64_t v)
{
    return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
}

}  // namespace

TStorage StorageOf(TFieldType type)
{
    switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint: return TStorage::Integer;
    case ftBoolean: return TStorage::Boolean;
    case ftFloat:
    case ftCurrency: return TStorage::Float;
    case ftBCD: return TStorage::Decimal;
    case ftDate:
    case ftTime:
    case ftDateTime: return TStorage::DateTime;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary:
    case ftOraBlob: return TStorage::Bytes;
    default: return TStorage::Text;
    }
}

TRecordsetColumn ColumnFromOdbc(const TOdbcColumn& column, bool enableBCD)
{
    TRecordsetColumn c;
    c.name = column.name;
    c.adoType = SqlTypeToDataType(column.sqlType, column.isUnsigned);
    c.fieldType = DataTypeToFieldType(c.adoType, enableBCD);
    if (c.fieldType == ftUnknown) c.fieldType = ftString;
    c.required = !column.nullable;
    const int size = column.size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(column.size);
    switch (c.fieldType) {
    case ftString:
    case ftWideString:
    case ftFixedChar:
    case ftBytes:
    case ftVarBytes: c.size = size; break;
    case ftBCD:
        c.size = column.decimalDigits;
        c.precision = size;
        break;
    case ftFloat: c.precision = size; break;
    default: break;
    }
    c.storage = StorageOf(c.fieldType);
    c.sqlType = column.sqlType;
    c.declaredSize = column.size;
    return c;
}

// ---- Row store -----------------------------------------------------------------------------

TRowStore::TRowStore(std::vector<TStorage> columns)
    : columns_(std::move(columns)), bitmapBytes_((columns_.size() + 7) / 8)
{
    Begin();
}

void TRowStore::Begin()
{
    rowSize_ = 0;
    column_ = 0;
}

// Room for `n` more bytes of the row being added, which is written straight into the last
// block (its null bitmap first); a row that outgrows the block moves to a new one.
std::uint8_t* TRowStore::Room(std::size_t n)
{
    const std::size_t bitmap = rowSize_ == 0 ? bitmapBytes_ : 0;
    if (blocks_.empty() || blockUsed_ + rowSize_ + bitmap + n > blockSizes_.back()) {
        const std::size_t next = blocks_.empty() ? kFirstBlockSize : std::min(blockSizes_.back() * 2, kLargestBlockSize);
        const std::size_t blockSize = std::max(next, rowSize_ + bitmap + n);
        std::shared_ptr<std::uint8_t> block(AllocateBlock(blockSize), [](std::uint8_t* b) { std::free(b); });
        if (rowSize_ > 0) std::memcpy(block.get(), blocks_.back().get() + blockUsed_, rowSize_);
        blocks_.push_back(std::move(block));
        blockSizes_.push_back(blockSize);
        blockUsed_ = 0;
    }
    std::uint8_t* row = blocks_.back().get() + blockUsed_;
    if (rowSize_ == 0) {
        std::memset(row, 0, bitmapBytes_);
        rowSize_ = bitmapBytes_;
    }
    return row + rowSize_;
}

void TRowStore::AddNull()
{
    Room(0);
    blocks_.back().get()[blockUsed_ + static_cast<std::size_t>(column_) / 8] |=
        static_cast<std::uint8_t>(1u << (column_ % 8));
    ++column_;
}

namespace {

std::size_t WriteVarint(std::uint8_t* out, std::uint64_t v)
{
    std::size_t n = 0;
    while (v >= 0x80) {
        out[n++] = static_cast<std::uint8_t>(v | 0x80);
        v >>= 7;
    }
    out[n++] = static_cast<std::uint8_t>(v);
    return n;
}

constexpr std::size_t kLongestVarint = 10;

}  // namespace

void TRowStore::AddInteger(std::int64_t value)
{
    rowSize_ += WriteVarint(Room(kLongestVarint), ZigZag(value));
    ++column_;
}

void TRowStore::AddBoolean(bool value)
{
    *Room(1) = value ? 1 : 0;
    ++rowSize_;
    ++column_;
}

void TRowStore::AddFloat(double value)
{
    std::memcpy(Room(sizeof value), &value, sizeof value);
    rowSize_ += sizeof value;
    ++column_;
}

void TRowStore::AddText(std::string_view value)
{
    std::uint8_t* p = Room(kLongestVarint + value.size());
    const std::size_t n = WriteVarint(p, value.size());
    if (!value.empty()) std::memcpy(p + n, value.data(), value.size());
    rowSize_ += n + value.size();
    ++column_;
}

void TRowStore::AddValue(const TVariant& value)
{
    if (value.IsNull()) {
        AddNull();
        return;
    }
    switch (columns_[static_cast<std::size_t>(column_)]) {
    case TStorage::Integer: AddInteger(value.AsInt64()); break;
    case TStorage::Boolean: AddBoolean(value.AsBoolean()); break;
    case TStorage::Float: AddFloat(value.AsFloat()); break;
    case TStorage::DateTime: AddFloat(value.AsDateTime()); break;
    case TStorage::Decimal: AddText(value.AsDecimalText()); break;
    case TStorage::Text: AddText(value.AsString()); break;
    case TStorage::Bytes: AddText(value.Text()); break;
    }
}

void TRowStore::EndRow()
{
    if (column_ != ColumnCount()) throw std::logic_error("TRowStore: a row needs one value per column");
    std::uint8_t* row = Room(0) - rowSize_;
    blockUsed_ += rowSize_;
    rows_.push_back(row);
    Begin();
}

void TRowStore::Clear()
{
    // The last block is the largest: the rows to come fit it as well as the earlier rows did.
    if (blocks_.size() > 1) {
        std::swap(blocks_.front(), blocks_.back());
        std::swap(blockSizes_.front(), blockSizes_.back());
        blocks_.resize(1);
        blockSizes_.resize(1);
    }
    blockUsed_ = 0;
    rows_.clear();
    firstRow_ = 0;
    Begin();
}

const std::uint8_t* TRowStore::Skip(const std::uint8_t* p, TStorage storage) const
{
    switch (storage) {
    case TStorage::Integer: GetVarint(p); return p;
    case TStorage::Boolean: return p + 1;
    case TStorage::Float:
    case TStorage::DateTime: return p + sizeof(double);
    case TStorage::Decimal:
    case TStorage::Text:
    case TStorage::Bytes: {
        const std::uint64_t n = GetVarint(p);
        return p + n;
    }
    }
    return p;
}

void TRowStore::ColumnOffsets(std::size_t row, std::uint32_t* offsets) const
{
    const std::uint8_t* start = rows_[row];
    const std::uint8_t* p = start + bitmapBytes_;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        if ((start[c / 8] >> (c % 8)) & 1) {
            offsets[c] = kNull;
            continue;
        }
        offsets[c] = static_cast<std::uint32_t>(p - start);
        p = Skip(p, columns_[c]);
    }
}

TVariant TRowStore::ValueAt(std::size_t row, int column, std::uint32_t offset) const
{
    if (offset == kNull) return {};
    const std::uint8_t* p = rows_[row] + offset;
    switch (columns_[static_cast<std::size_t>(column)]) {
    case TStorage::Integer: return TVariant(static_cast<long long>(UnZigZag(GetVarint(p))));
    case TStorage::Boolean: return TVariant(*p != 0);
    case TStorage::Float: {
        double d;
        std::memcpy(&d, p, sizeof d);
        return TVariant(d);
    }
    case TStorage::DateTime: {
        double d;
        std::memcpy(&d, p, sizeof d);
        return TVariant::FromDateTime(d);
    }
    case TStorage::Decimal:
    case TStorage::Text:
    case TStorage::Bytes: {
        const std::size_t n = static_cast<std::size_t>(GetVarint(p));
        std::string text(reinterpret_cast<const char*>(p), n);
        const TStorage s = columns_[static_cast<std::size_t>(column)];
        if (s == TStorage::Decimal) return TVariant::FromCanonicalDecimal(std::move(text));
        if (s == TStorage::Bytes) return TVariant::FromBytes(std::move(text));
        return TVariant(std::move(text));
    }
    }
    return {};
}

TVariant TRowStore::Value(std::size_t row, int column) const
{
    std::vector<std::uint32_t> offsets(columns_.size());
    ColumnOffsets(row, offsets.data());
    return ValueAt(row, column, offsets[static_cast<std::size_t>(column)]);
}

std::unique_ptr<TRowStore> TRowStore::Continuation() const
{
    auto next = std::make_unique<TRowStore>(columns_);
    next->firstRow_ = RowCount();
    if (!blocks_.empty()) {
        next->blocks_.push_back(blocks_.back());
        next->blockSizes_.push_back(blockSizes_.back());
        next->blockUsed_ = blockUsed_;
    }
    return next;
}

void TRowStore::Append(TRowStore& continuation)
{
    if (continuation.firstRow_ != RowCount()) throw std::logic_error("TRowStore: rows appended out of turn");
    if (continuation.rows_.empty()) return;
    // Its first block is this store's last one when this store had any.
    const std::size_t shared = !blocks_.empty() && continuation.blocks_.front() == blocks_.back() ? 1 : 0;
    blocks_.insert(blocks_.end(), continuation.blocks_.begin() + static_cast<std::ptrdiff_t>(shared),
                   continuation.blocks_.end());
    blockSizes_.insert(blockSizes_.end(), continuation.blockSizes_.begin() + static_cast<std::ptrdiff_t>(shared),
                       continuation.blockSizes_.end());
    blockUsed_ = continuation.blockUsed_;
    rows_.insert(rows_.end(), continuation.rows_.begin(), continuation.rows_.end());
    // A row it left half added lies past blockUsed_, where the next row overwrites it.
    continuation.blocks_.clear();
    continuation.blockSizes_.clear();
    continuation.rows_.clear();
    continuation.firstRow_ = RowCount();
}

void TRecordset::CreateRows()
{
    std::vector<TStorage> storages;
    storages.reserve(columns.size());
    for (const TRecordsetColumn& c : columns) storages.push_back(c.storage);
    rows = std::make_unique<TRowStore>(std::move(storages));
}

// ---- Reading a result ----------------------------------------------------------------------

std::vector<TRecordsetColumn> DescribeColumns(TOdbcStatement& statement, bool enableBCD)
{
    const SQLSMALLINT count = statement.ColumnCount();
    if (count <= 0) throw EDatabaseError("CommandText does not return a result set");
    std::vector<TRecordsetColumn> columns;
    columns.reserve(static_cast<std::size_t>(count));
    for (SQLSMALLINT i = 1; i <= count; ++i) {
        TRecordsetColumn c = ColumnFromOdbc(statement.Describe(static_cast<SQLUSMALLINT>(i)), enableBCD);
        if (c.name.empty()) c.name = "COLUMN";
        const auto taken = [&](const std::string& name) {
            for (const TRecordsetColumn& other : columns)
                if (rtl::AnsiSameText(other.name, name)) return true;
            return false;
        };
        if (taken(c.name)) {
            const std::string base = c.name;
            for (int n = 1; taken(c.name); ++n) c.name = base + "_" + std::to_string(n);
        }
        columns.push_back(std::move(c));
    }
    return columns;
}

namespace {

std::atomic<bool> gBoundFetchAllowed{true};
std::atomic<TFetchPath> gLastFetchPath{TFetchPath::PerValue};

// Adds one value of the current row read with SQLGetData (column `i`, 0-based).
void AddWithGetData(TOdbcStatement& statement, const TRecordsetColumn& c, std::size_t i, TRowStore& rows,
                    std::string& text)
{
    const auto col = static_cast<SQLUSMALLINT>(i + 1);
    switch (c.storage) {
    case TStorage::Integer: {
        std::int64_t v = 0;
        if (statement.GetInt64(col, v))
            rows.AddInteger(v);
        else
            rows.AddNull();
        break;
    }
    case TStorage::Boolean: {
        bool v = false;
        if (statement.GetBit(col, v))
            rows.AddBoolean(v);
        else
            rows.AddNull();
        break;
    }
    case TStorage::Float: {
        double v = 0;
        if (statement.GetDouble(col, v))
            rows.AddFloat(v);
        else
            rows.AddNull();
        break;
    }
    case TStorage::Decimal:
        if (!statement.GetText(col, text)) {
            rows.AddNull();
            break;
        }
        try {
            rows.AddText(TVariant::FromDecimal(text).Text());
        } catch (const rtl::EConvertError&) {
            rows.AddText(text);  // NaN and the like keep the server's text
        }
        break;
    case TStorage::DateTime: {
        try {
            if (c.fieldType == ftDate) {
                SQL_DATE_STRUCT d{};
                if (statement.GetDate(col, d))
                    rows.AddFloat(OdbcDateToDateTime(d));
                else
                    rows.AddNull();
            } else if (c.fieldType == ftTime) {
                SQL_TIME_STRUCT t{};
                if (statement.GetTime(col, t))
                    rows.AddFloat(OdbcTimeToDateTime(t));
                else
                    rows.AddNull();
            } else {
                SQL_TIMESTAMP_STRUCT ts{};
                if (statement.GetTimestamp(col, ts))
                    rows.AddFloat(OdbcTimestampToDateTime(ts));
                else
                    rows.AddNull();
            }
        } catch (const rtl::EConvertError& e) {
            throw EDatabaseError("Column '" + c.name + "' of row " + std::to_string(rows.RowCount() + 1) +
                                 " holds a date or time outside the calendar: " + e.Message());
        }
        break;
    }
    case TStorage::Text:
        if (statement.GetText(col, text))
            rows.AddText(text);
        else
            rows.AddNull();
        break;
    case TStorage::Bytes:
        if (statement.GetBytes(col, text))
            rows.AddText(text);
        else
            rows.AddNull();
        break;
    }
}

// ---- Bound columns --------------------------------------------------------------------------

// Texts up to this many characters are bound whole; longer and unbounded ones are long
// columns, bound with a first piece of this many bytes: most of their values fit it, and a
// longer one is read again whole with SQLGetData.
constexpr std::uint64_t kLongestBoundText = 1024;
constexpr std::size_t kLongTextFirstPiece = 512;
// Bytes of bound buffers per statement, and the most rows a fetch brings.
constexpr std::size_t kFetchBufferBytes = std::size_t{1} << 20;
constexpr std::size_t kMostRowsPerFetch = 1024;

bool IsLongSqlType(int sqlType)
{
    return sqlType == SQL_LONGVARCHAR || sqlType == SQL_WLONGVARCHAR || sqlType == SQL_LONGVARBINARY;
}

struct TBinding {
    std::size_t column = 0;  // 0-based
    SQLSMALLINT cType = 0;
    std::size_t width = 0;  // bytes per row
    bool text = false;      // SQL_C_CHAR: may come back truncated
    bool asText = false;    // a number or date bound as its text, converted here
    std::vector<std::uint64_t> data;  // 8-byte aligned for the fixed types
    std::vector<SQLLEN> indicators;

    const std::uint8_t* At(std::size_t row) const
    {
        return reinterpret_cast<const std::uint8_t*>(data.data()) + row * width;
    }
};

}  // namespace

// What reading a statement's rows keeps between fetches: the bound columns and where the
// driver writes how many rows a fetch brought and their states. The driver holds their
// addresses, so the reader stays where it was made.
class TRowReader {
public:
    explicit TRowReader(std::unique_ptr<TOdbcStatement> own) : owned(std::move(own)), statement(*owned) {}
    ~TRowReader()
    {
        if (fetchPath != TFetchPath::PerValue) statement.Unbind();
    }
    TRowReader(const TRowReader&) = delete;
    TRowReader& operator=(const TRowReader&) = delete;

    // The statement goes before its link does.
    std::shared_ptr<TOdbcLink> link;
    std::unique_ptr<TOdbcStatement> owned;
    TOdbcStatement& statement;
    std::vector<TRecordsetColumn> columns;
    TFetchPath fetchPath = TFetchPath::PerValue;
    std::vector<TBinding> bindings;
    std::vector<int> bindingOf;
    std::size_t block = 1;
    SQLULEN fetched = 0;
    std::vector<SQLUSMALLINT> status;
    std::string text;
};

namespace {

bool ReadPerValue(TRowReader& rs, TRowStore& rows, std::size_t until)
{
    TOdbcStatement& statement = rs.statement;
    std::string& text = rs.text;
    while (rows.RowCount() < until) {
        if (!statement.Fetch()) return false;
        for (std::size_t i = 0; i < rs.columns.size(); ++i) AddWithGetData(statement, rs.columns[i], i, rows, text);
        rows.EndRow();
    }
    return true;
}

// The binding of a column, or none (cType 0) when it is read with SQLGetData.
TBinding BindingFor(const TRecordsetColumn& c, std::size_t i)
{
    TBinding b;
    b.column = i;
    switch (c.storage) {
    case TStorage::Integer: b.cType = SQL_C_SBIGINT; b.width = sizeof(SQLBIGINT); break;
    case TStorage::Boolean: b.cType = SQL_C_BIT; b.width = sizeof(SQLCHAR); break;
    case TStorage::Float: b.cType = SQL_C_DOUBLE; b.width = sizeof(SQLDOUBLE); break;
    case TStorage::DateTime:
        if (c.fieldType == ftDate) {
            b.cType = SQL_C_TYPE_DATE;
            b.width = sizeof(SQL_DATE_STRUCT);
        } else if (c.fieldType == ftTime) {
            b.cType = SQL_C_TYPE_TIME;
            b.width = sizeof(SQL_TIME_STRUCT);
        } else {
            b.cType = SQL_C_TYPE_TIMESTAMP;
            b.width = sizeof(SQL_TIMESTAMP_STRUCT);
        }
        break;
    case TStorage::Decimal:
        // Digits, sign, point, a leading zero and the terminator; a driver that writes more
        // (an exponent, an unconstrained numeric) has the rest read again whole.
        b.cType = SQL_C_CHAR;
        b.width = std::max<std::size_t>(static_cast<std::size_t>(std::max(c.precision, 0)) + 4, 48);
        b.text = true;
        break;
    case TStorage::Text:
        b.cType = SQL_C_CHAR;
        b.text = true;
        if (IsLongSqlType(c.sqlType) || c.declaredSize == 0 || c.declaredSize > kLongestBoundText)
            b.width = kLongTextFirstPiece;
        else  // up to four bytes per character in UTF-8, and the terminator
            b.width = static_cast<std::size_t>(std::max<std::uint64_t>(c.declaredSize, 8)) * 4 + 1;
        break;
    case TStorage::Bytes: return b;
    }
    return b;
}

// A date or time bound as text instead of its C type, for drivers that keep every value as
// text (the SQLite driver does, and the PostgreSQL one receives text): asking such a driver
// for a typed date makes it parse the text in its own far slower way (numbers it converts
// cheaply, so they stay typed). Only the plain forms are converted here; anything else is read
// again with the column's C type, so the driver's own conversion still decides every unusual
// text.
void BindAsText(TBinding& b)
{
    b.asText = true;
    b.text = true;
    b.cType = SQL_C_CHAR;
    b.width = 48;  // the longest plain form and its terminator, with room to spare
}

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

// Exactly `n` digits at `p`.
bool Digits(const char* p, int n, int& value)
{
    value = 0;
    for (int i = 0; i < n; ++i) {
        if (!IsDigitChar(p[i])) return false;
        value = value * 10 + (p[i] - '0');
    }
    return true;
}

bool ParsePlainDate(std::string_view text, rtl::TDateTime& value)
{
    // yyyy-mm-dd
    int y, m, d;
    return text.size() == 10 && text[4] == '-' && text[7] == '-' && Digits(text.data(), 4, y) &&
           Digits(text.data() + 5, 2, m) && Digits(text.data() + 8, 2, d) && y > 0 && rtl::TryEncodeDate(y, m, d, value);
}

bool ParsePlainTime(std::string_view text, int& hour, int& minute, int& second)
{
    // hh:mm:ss
    return text.size() == 8 && text[2] == ':' && text[5] == ':' && Digits(text.data(), 2, hour) &&
           Digits(text.data() + 3, 2, minute) && Digits(text.data() + 6, 2, second) && hour < 24 && minute < 60 &&
           second < 60;
}

bool ParsePlainTimestamp(std::string_view text, rtl::TDateTime& value)
{
    // yyyy-mm-dd hh:mm:ss, optionally "." and 1 to 9 digits of a second
    if (text.size() < 19 || text[10] != ' ') return false;
    SQL_TIMESTAMP_STRUCT ts{};
    int y, m, d, hour, minute, second;
    if (!Digits(text.data(), 4, y) || text[4] != '-' || text[7] != '-' || !Digits(text.data() + 5, 2, m) ||
        !Digits(text.data() + 8, 2, d) || y <= 0 || !ParsePlainTime(text.substr(11, 8), hour, minute, second))
        return false;
    std::uint32_t fraction = 0;
    if (text.size() > 19) {
        const std::string_view digits = text.substr(20);
        if (text[19] != '.' || digits.empty() || digits.size() > 9) return false;
        std::uint32_t scale = 1000000000;
        for (char ch : digits) {
            if (!IsDigitChar(ch)) return false;
            scale /= 10;
            fraction += static_cast<std::uint32_t>(ch - '0') * scale;
        }
    }
    rtl::TDateTime date;
    if (!rtl::TryEncodeDate(y, m, d, date)) return false;
    ts.year = static_cast<SQLSMALLINT>(y);
    ts.month = static_cast<SQLUSMALLINT>(m);
    ts.day = static_cast<SQLUSMALLINT>(d);
    ts.hour = static_cast<SQLUSMALLINT>(hour);
    ts.minute = static_cast<SQLUSMALLINT>(minute);
    ts.second = static_cast<SQLUSMALLINT>(second);
    ts.fraction = fraction;
    value = OdbcTimestampToDateTime(ts);
    return true;
}

// Converts a date or time bound as text; false when the text is not a plain form.
bool AddBoundText(const TRecordsetColumn& c, std::string_view text, TRowStore& rows)
{
    rtl::TDateTime v = 0;
    if (c.fieldType == ftDate) {
        if (!ParsePlainDate(text, v)) return false;
    } else if (c.fieldType == ftTime) {
        int hour, minute, second;
        if (!ParsePlainTime(text, hour, minute, second)) return false;
        v = rtl::EncodeTime(hour, minute, second, 0);
    } else if (!ParsePlainTimestamp(text, v)) {
        return false;
    }
    rows.AddFloat(v);
    return true;
}

void AddBound(const TBinding& b, const TRecordsetColumn& c, std::size_t row, TRowStore& rows)
{
    const std::uint8_t* p = b.At(row);
    switch (c.storage) {
    case TStorage::Integer: {
        SQLBIGINT v;
        std::memcpy(&v, p, sizeof v);
        rows.AddInteger(v);
        return;
    }
    case TStorage::Boolean: rows.AddBoolean(*p != 0); return;
    case TStorage::Float: {
        double v;
        std::memcpy(&v, p, sizeof v);
        rows.AddFloat(v);
        return;
    }
    case TStorage::DateTime:
        try {
            if (b.cType == SQL_C_TYPE_DATE) {
                SQL_DATE_STRUCT d;
                std::memcpy(&d, p, sizeof d);
                rows.AddFloat(OdbcDateToDateTime(d));
            } else if (b.cType == SQL_C_TYPE_TIME) {
                SQL_TIME_STRUCT t;
                std::memcpy(&t, p, sizeof t);
                rows.AddFloat(OdbcTimeToDateTime(t));
            } else {
                SQL_TIMESTAMP_STRUCT ts;
                std::memcpy(&ts, p, sizeof ts);
                rows.AddFloat(OdbcTimestampToDateTime(ts));
            }
        } catch (const rtl::EConvertError& e) {
            throw EDatabaseError("Column '" + c.name + "' of row " + std::to_string(rows.RowCount() + 1) +
                                 " holds a date or time outside the calendar: " + e.Message());
        }
        return;
    case TStorage::Decimal: {
        const std::string_view text(reinterpret_cast<const char*>(p), static_cast<std::size_t>(b.indicators[row]));
        try {
            rows.AddText(TVariant::FromDecimal(std::string(text)).Text());
        } catch (const rtl::EConvertError&) {
            rows.AddText(text);
        }
        return;
    }
    case TStorage::Text:
        rows.AddText(std::string_view(reinterpret_cast<const char*>(p), static_cast<std::size_t>(b.indicators[row])));
        return;
    case TStorage::Bytes: return;
    }
}

// Binds the result's columns for reading them a block of rows at a time; false (nothing left
// bound) when the driver refuses what that needs.
bool BindColumns(TRowReader& rs)
{
    TOdbcStatement& statement = rs.statement;
    const std::uint32_t extensions = statement.Connection().InfoUInt32(SQL_GETDATA_EXTENSIONS);
    const bool anyColumn = (extensions & SQL_GD_ANY_COLUMN) != 0;
    std::vector<TBinding>& bindings = rs.bindings;
    std::vector<int>& bindingOf = rs.bindingOf;
    bindingOf.assign(rs.columns.size(), -1);
    bool unbound = false;  // some column is read with SQLGetData
    bool getData = false;  // ... or some bound value may have to be
    for (std::size_t i = 0; i < rs.columns.size(); ++i) {
        TBinding b = BindingFor(rs.columns[i], i);
        // Without any-column reads, SQLGetData reaches only columns after the last bound one.
        if (b.cType == 0 || (unbound && !anyColumn)) {
            unbound = getData = true;
            continue;
        }
        getData = getData || b.text;
        bindingOf[i] = static_cast<int>(bindings.size());
        bindings.push_back(std::move(b));
    }
    if (bindings.empty()) return false;
    const bool boundTexts = std::any_of(bindings.begin(), bindings.end(), [](const TBinding& b) { return b.text; });
    // A truncated bound value is completed with SQLGetData on its bound column.
    if (boundTexts && (extensions & SQL_GD_BOUND) == 0) return false;
    // Dates and times come as text when an unusual text can be read again with SQLGetData
    // without costing the block: the rows come one per fetch anyway, or SQLGetData reaches a
    // row of a block.
    if ((extensions & SQL_GD_BOUND) != 0 && (getData || (extensions & SQL_GD_BLOCK) != 0)) {
        bool asText = false;
        for (TBinding& b : bindings)
            if (rs.columns[b.column].storage == TStorage::DateTime) {
                BindAsText(b);
                asText = true;
            }
        getData = getData || asText;
    }
    std::size_t rowBytes = 0;
    for (const TBinding& b : bindings) rowBytes += b.width + sizeof(SQLLEN);
    const std::size_t block = rs.block =
        getData && (extensions & SQL_GD_BLOCK) == 0
            ? 1
            : std::clamp<std::size_t>(kFetchBufferBytes / std::max<std::size_t>(rowBytes, 1), 1, kMostRowsPerFetch);

    rtl::TScopeExit unbind([&] { statement.Unbind(); });
    rs.status.assign(block, SQL_ROW_NOROW);
    if (!statement.SetRowArraySize(block) || !statement.SetFetchTargets(&rs.fetched, rs.status.data())) return false;
    for (TBinding& b : bindings) {
        b.data.assign((b.width * block + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t), 0);
        b.indicators.assign(block, 0);
        if (!statement.Bind(static_cast<SQLUSMALLINT>(b.column + 1), b.cType, b.data.data(),
                            static_cast<SQLLEN>(b.width), b.indicators.data()))
            return false;
    }
    rs.fetchPath = block > 1 ? TFetchPath::Block : TFetchPath::BoundRows;
    unbind.Release();
    return true;
}

bool ReadBound(TRowReader& rs, TRowStore& rows, std::size_t until)
{
    TOdbcStatement& statement = rs.statement;
    const std::vector<TBinding>& bindings = rs.bindings;
    const std::vector<int>& bindingOf = rs.bindingOf;
    const std::size_t block = rs.block;
    const SQLULEN& fetched = rs.fetched;
    const std::vector<SQLUSMALLINT>& status = rs.status;
    std::string& text = rs.text;
    while (rows.RowCount() < until) {
        if (!statement.Fetch()) return false;
        for (std::size_t r = 0; r < fetched; ++r) {
            if (status[r] == SQL_ROW_NOROW) continue;
            if (status[r] == SQL_ROW_ERROR)
                RaiseOdbcError(SQL_HANDLE_STMT, statement.Handle(), "Cannot fetch a row");
            bool positioned = block == 1;
            for (std::size_t i = 0; i < rs.columns.size(); ++i) {
                const TRecordsetColumn& c = rs.columns[i];
                const int bi = bindingOf[i];
                if (bi >= 0) {
                    const TBinding& b = bindings[static_cast<std::size_t>(bi)];
                    const SQLLEN indicator = b.indicators[r];
                    if (indicator == SQL_NULL_DATA) {
                        rows.AddNull();
                        continue;
                    }
                    const bool whole = indicator != SQL_NO_TOTAL && static_cast<std::size_t>(indicator) < b.width;
                    if (b.asText) {
                        if (whole &&
                            AddBoundText(c,
                                         std::string_view(reinterpret_cast<const char*>(b.At(r)),
                                                          static_cast<std::size_t>(indicator)),
                                         rows))
                            continue;
                        // Not a plain form: the driver converts it, below.
                    } else if (!b.text || whole) {
                        AddBound(b, c, r, rows);
                        continue;
                    }
                    // Longer than its buffer: read whole below.
                }
                if (!positioned) {
                    statement.Position(static_cast<SQLSETPOSIROW>(r + 1));
                    positioned = true;
                }
                AddWithGetData(statement, c, i, rows, text);
            }
            rows.EndRow();
        }
    }
    return true;
}

}  // namespace

void SetBoundFetchAllowed(bool allowed) noexcept { gBoundFetchAllowed = allowed; }

TFetchPath LastFetchPath() noexcept { return gLastFetchPath; }

namespace {

// Describes the result and chooses how its rows are read.
std::unique_ptr<TRecordset> StartReading(std::shared_ptr<TRowReader> reader, bool enableBCD)
{
    auto rs = std::make_unique<TRecordset>();
    rs->columns = DescribeColumns(reader->statement, enableBCD);
    rs->CreateRows();
    reader->columns = rs->columns;
    if (!gBoundFetchAllowed || !BindColumns(*reader)) {
        reader->fetchPath = TFetchPath::PerValue;
        reader->bindings.clear();
    }
    rs->fetchPath = reader->fetchPath;
    gLastFetchPath = rs->fetchPath;
    rs->reader = std::move(reader);
    return rs;
}

}  // namespace

bool ReadRows(TRowReader& reader, TRowStore& rows, std::size_t until)
{
    return reader.fetchPath == TFetchPath::PerValue ? ReadPerValue(reader, rows, until)
                                                    : ReadBound(reader, rows, until);
}

const TOdbcLink& ReaderLink(const TRowReader& reader) noexcept { return reader.statement.Connection(); }

std::size_t ReaderRowsPerFetch(const TRowReader& reader) noexcept { return reader.block; }

std::unique_ptr<TRecordset> OpenRecordset(std::unique_ptr<TOdbcStatement> statement, bool enableBCD,
                                          std::size_t firstRows)
{
    auto reader = std::make_shared<TRowReader>(std::move(statement));
    reader->link = reader->statement.Connection().shared_from_this();
    auto rs = StartReading(std::move(reader), enableBCD);
    if (!ReadRows(*rs->reader, *rs->rows, firstRows)) rs->reader.reset();
    return rs;
}

}  // namespace db
