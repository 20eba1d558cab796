#include "platform/db/Recordset.h"

#include <cstring>
#include <stdexcept>

#include "platform/db/DbErrors.h"
#include "platform/db/OdbcHandles.h"
#include "platform/rtl/SysUtils.h"

namespace db {

namespace {

constexpr std::size_t kBlockSize = std::size_t{1} << 20;

void PutVarint(std::vector<std::uint8_t>& out, std::uint64_t v)
{
    while (v >= 0x80) {
        out.push_back(static_cast<std::uint8_t>(v | 0x80));
        v >>= 7;
    }
    out.push_back(static_cast<std::uint8_t>(v));
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
    pending_.assign(bitmapBytes_, 0);
    column_ = 0;
}

void TRowStore::AddNull()
{
    pending_[static_cast<std::size_t>(column_) / 8] |= static_cast<std::uint8_t>(1u << (column_ % 8));
    ++column_;
}

void TRowStore::AddInteger(std::int64_t value)
{
    PutVarint(pending_, ZigZag(value));
    ++column_;
}

void TRowStore::AddBoolean(bool value)
{
    pending_.push_back(value ? 1 : 0);
    ++column_;
}

void TRowStore::AddFloat(double value)
{
    std::uint8_t bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    pending_.insert(pending_.end(), bytes, bytes + sizeof value);
    ++column_;
}

void TRowStore::AddText(std::string_view value)
{
    PutVarint(pending_, value.size());
    pending_.insert(pending_.end(), value.begin(), value.end());
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
    const std::size_t size = pending_.size();
    if (blocks_.empty() || blockUsed_ + size > blockSizes_.back()) {
        const std::size_t blockSize = std::max(kBlockSize, size);
        blocks_.push_back(std::make_unique<std::uint8_t[]>(blockSize));
        blockSizes_.push_back(blockSize);
        blockUsed_ = 0;
    }
    std::uint8_t* row = blocks_.back().get() + blockUsed_;
    std::memcpy(row, pending_.data(), size);
    blockUsed_ += size;
    rows_.push_back(row);
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

std::size_t TRowStore::MemoryUsed() const noexcept
{
    std::size_t total = rows_.capacity() * sizeof(const std::uint8_t*);
    for (std::size_t s : blockSizes_) total += s;
    return total;
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

std::unique_ptr<TRecordset> FetchRecordset(TOdbcStatement& statement, bool enableBCD)
{
    auto rs = std::make_unique<TRecordset>();
    rs->columns = DescribeColumns(statement, enableBCD);
    rs->CreateRows();
    TRowStore& rows = *rs->rows;
    std::string text;
    while (statement.Fetch()) {
        for (std::size_t i = 0; i < rs->columns.size(); ++i) {
            const TRecordsetColumn& c = rs->columns[i];
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
        rows.EndRow();
    }
    return rs;
}

}  // namespace db
