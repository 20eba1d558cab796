#include "odbc/Params.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "odbc/Messages.h"
#include "odbc/SqlError.h"
#include "platform/db/Fields.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Graphics.h"

namespace odbc {

using namespace db;

namespace {

// Days from 1 January 0001 (day 1) to 30 December 1899 (date-time 0).
constexpr std::int32_t kDateDelta = 693594;
constexpr double kMSecsPerDay = 86400000.0;

[[noreturn]] void Raise(TOdbcMessageId id, const std::string& name)
{
    throw ESQLerror(rtl::Format(OdbcMessage(id), name));
}

// The type a parameter keeps for a type it is given.
TFieldType NormalType(TFieldType type)
{
    switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString: return ftString;
    case ftSmallint:
    case ftWord: return ftSmallint;
    case ftInteger:
    case ftAutoInc: return ftInteger;
    case ftFloat:
    case ftCurrency: return ftFloat;
    case ftBoolean:
    case ftLargeint:
    case ftBCD:
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftMemo: return type;
    case ftFmtMemo: return ftMemo;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary: return ftBlob;
    case ftCursor: return ftCursor;
    default: return ftUnknown;
    }
}

template <class T>
void PutLE(std::string& out, T value)
{
    for (std::size_t i = 0; i < sizeof(T); ++i) out += static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF);
}

}  // namespace

// ---- Time stamps ----------------------------------------------------------------------------

std::int32_t DateTimeToDayNumber(rtl::TDateTime value)
{
    int y = 0, m = 0, d = 0;
    rtl::DecodeDate(value, y, m, d);
    return static_cast<std::int32_t>(std::llround(rtl::EncodeDate(y, m, d))) + kDateDelta;
}

std::int32_t DateTimeToDayMSecs(rtl::TDateTime value)
{
    int h = 0, mi = 0, s = 0, ms = 0;
    rtl::DecodeTime(value, h, mi, s, ms);
    return ((h * 60 + mi) * 60 + s) * 1000 + ms;
}

rtl::TDateTime DayNumberToDateTime(std::int32_t day) { return static_cast<double>(day - kDateDelta); }

double DateTimeToMSecs(rtl::TDateTime value)
{
    return static_cast<double>(DateTimeToDayNumber(value)) * kMSecsPerDay + DateTimeToDayMSecs(value);
}

rtl::TDateTime MSecsToDateTime(double msecs)
{
    const double rounded = std::round(msecs);
    const double days = std::floor(rounded / kMSecsPerDay);
    const double time = (rounded - days * kMSecsPerDay) / kMSecsPerDay;
    return rtl::ComposeDateTime(days - kDateDelta, time);
}

// ---- TdbParam -------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TdbParam, classes::TPersistent) {}

TdbParam::TdbParam(TdbParams* owner, std::string name, TParamType kind)
    : owner_(owner), name_(std::move(name)), kind_(kind)
{
    if (owner_ != nullptr) owner_->items_.push_back(this);
}

TdbParam::~TdbParam()
{
    if (owner_ != nullptr) std::erase(owner_->items_, this);
}

void TdbParam::SetDataType(TFieldType type)
{
    dataType_ = NormalType(type);
    Clear();
}

void TdbParam::Clear()
{
    value_ = TVariant();
    isNull_ = true;
}

void TdbParam::SetTypedValue(TFieldType type, TVariant value)
{
    dataType_ = NormalType(type);
    value_ = std::move(value);
    isNull_ = value_.IsNull();
    bound_ = true;
}

void TdbParam::SetValue(const TVariant& value)
{
    if (dataType_ != ftUnknown) {
        SetTypedValue(dataType_, value);
        return;
    }
    TFieldType type = ftUnknown;
    switch (value.Type()) {
    case TVarType::Null: break;
    case TVarType::Boolean: type = ftBoolean; break;
    case TVarType::Integer:
        type = value.AsInt64() >= INT32_MIN && value.AsInt64() <= INT32_MAX ? ftInteger : ftLargeint;
        break;
    case TVarType::Float: type = ftFloat; break;
    case TVarType::Decimal: type = ftBCD; break;
    case TVarType::DateTime: type = ftDateTime; break;
    case TVarType::String: type = ftString; break;
    case TVarType::Bytes: type = ftBlob; break;
    }
    SetTypedValue(type, value);
}

void TdbParam::SetAsString(const std::string& value) { SetTypedValue(ftString, TVariant(value)); }
void TdbParam::SetAsMemo(const std::string& value) { SetTypedValue(ftMemo, TVariant(value)); }
void TdbParam::SetAsSmallInt(int value) { SetTypedValue(ftSmallint, TVariant(value)); }
void TdbParam::SetAsWord(int value) { SetTypedValue(ftWord, TVariant(value)); }
void TdbParam::SetAsInteger(int value) { SetTypedValue(ftInteger, TVariant(value)); }
void TdbParam::SetAsLargeInt(std::int64_t value) { SetTypedValue(ftLargeint, TVariant(static_cast<long long>(value))); }
void TdbParam::SetAsBoolean(bool value) { SetTypedValue(ftBoolean, TVariant(value)); }
void TdbParam::SetAsFloat(double value) { SetTypedValue(ftFloat, TVariant(value)); }
void TdbParam::SetAsCurrency(double value) { SetTypedValue(ftCurrency, TVariant(value)); }
void TdbParam::SetAsBCD(std::string_view decimalText) { SetTypedValue(ftBCD, TVariant::FromDecimal(decimalText)); }
void TdbParam::SetAsDate(rtl::TDateTime value) { SetTypedValue(ftDate, TVariant::FromDateTime(std::floor(value))); }
void TdbParam::SetAsTime(rtl::TDateTime value) { SetTypedValue(ftTime, TVariant::FromDateTime(value)); }
void TdbParam::SetAsDateTime(rtl::TDateTime value) { SetTypedValue(ftDateTime, TVariant::FromDateTime(value)); }
void TdbParam::SetAsBlob(std::string bytes) { SetTypedValue(ftBlob, TVariant::FromBytes(std::move(bytes))); }

void TdbParam::Assign(const classes::TPersistent& source)
{
    if (const auto* param = dynamic_cast<const TdbParam*>(&source)) {
        AssignParam(*param);
    } else if (const auto* field = dynamic_cast<const TField*>(&source)) {
        AssignField(*field);
    } else if (const auto* bitmap = dynamic_cast<const ui::TBitmap*>(&source)) {
        AssignBitmap(*bitmap);
    } else if (const auto* picture = dynamic_cast<const ui::TPicture*>(&source); picture != nullptr && !picture->Empty()) {
        AssignPicture(*picture);
    } else {
        TPersistent::Assign(source);
    }
}

void TdbParam::Assign(const rtl::TStrings& source) { SetAsMemo(source.Text()); }

void TdbParam::AssignBitmap(const ui::TBitmap& bitmap) { SetTypedValue(ftGraphic, TVariant::FromBytes(ui::EncodeBmp(bitmap))); }

void TdbParam::AssignPicture(const ui::TPicture& picture)
{
    SetTypedValue(ftGraphic, TVariant::FromBytes(picture.Bytes()));
}

void TdbParam::AssignParam(const TdbParam& source)
{
    if (&source == this) return;
    dataType_ = source.dataType_;
    value_ = source.value_;
    isNull_ = source.isNull_;
    bound_ = source.bound_;
    name_ = source.name_;
    if (kind_ == ptUnknown) kind_ = source.kind_;
}

void TdbParam::AssignFieldValue(const TField& field, const TVariant& value)
{
    TFieldType type = field.DataType();
    if (type == ftMemo && field.Size() > 255) type = ftString;
    dataType_ = NormalType(type);
    value_ = value;
    isNull_ = value.IsNull();
    bound_ = true;
}

void TdbParam::AssignField(const TField& field)
{
    AssignFieldValue(field, field.Value());
    name_ = field.FieldName();
}

void TdbParam::AssignTo(classes::TPersistent& dest) const
{
    if (auto* field = dynamic_cast<TField*>(&dest))
        field->SetValue(isNull_ ? TVariant() : value_);
    else
        TPersistent::AssignTo(dest);
}

[[noreturn]] void TdbParam::TypeError() const
{
    Raise(dataType_ == ftUnknown ? SFieldUnknownType : SFieldUnsupportedType, name_);
}

int TdbParam::GetDataSize() const
{
    switch (dataType_) {
    case ftString:
    case ftMemo: return static_cast<int>(value_.AsString().size()) + 1;
    case ftBCD: return isNull_ ? 1 : static_cast<int>(value_.AsDecimalText().size()) + 1;
    case ftSmallint:
    case ftBoolean: return 2;
    case ftInteger:
    case ftDate:
    case ftTime: return 4;
    case ftLargeint:
    case ftFloat:
    case ftDateTime: return 8;
    case ftBlob: return static_cast<int>(value_.Text().size());
    case ftCursor: return 0;
    default: TypeError();
    }
}

void TdbParam::GetData(void* buffer) const
{
    auto put = [buffer](const auto& v) { std::memcpy(buffer, &v, sizeof v); };
    switch (dataType_) {
    case ftString:
    case ftMemo: {
        const std::string text = value_.AsString();
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        break;
    }
    case ftBCD: {
        const std::string text = isNull_ ? std::string() : value_.AsDecimalText();
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        break;
    }
    case ftSmallint: put(static_cast<std::int16_t>(isNull_ ? 0 : value_.AsInteger())); break;
    case ftBoolean: put(static_cast<std::int16_t>(!isNull_ && value_.AsBoolean() ? 1 : 0)); break;
    case ftInteger: put(static_cast<std::int32_t>(isNull_ ? 0 : value_.AsInteger())); break;
    case ftLargeint: put(static_cast<std::int64_t>(isNull_ ? 0 : value_.AsInt64())); break;
    case ftDate: put(isNull_ ? 0 : DateTimeToDayNumber(value_.AsDateTime())); break;
    case ftTime: put(isNull_ ? 0 : DateTimeToDayMSecs(value_.AsDateTime())); break;
    case ftFloat: put(isNull_ ? 0.0 : value_.AsFloat()); break;
    case ftDateTime: put(isNull_ ? 0.0 : DateTimeToMSecs(value_.AsDateTime())); break;
    case ftBlob: std::memcpy(buffer, value_.Text().data(), value_.Text().size()); break;
    case ftCursor: break;
    default: TypeError();
    }
}

void TdbParam::SetData(const void* buffer, int size)
{
    const auto* bytes = static_cast<const char*>(buffer);
    auto get = [&](auto v) {
        if (size < static_cast<int>(sizeof v)) Raise(SUnableToLoadParams, name_);
        std::memcpy(&v, bytes, sizeof v);
        return v;
    };
    const auto text = [&] { return std::string(bytes, strnlen(bytes, static_cast<std::size_t>(size))); };
    switch (dataType_) {
    case ftString:
    case ftMemo: value_ = TVariant(text()); break;
    case ftBCD: value_ = TVariant::FromDecimal(text()); break;
    case ftSmallint: value_ = TVariant(static_cast<int>(get(std::int16_t{}))); break;
    case ftBoolean: value_ = TVariant(get(std::int16_t{}) != 0); break;
    case ftInteger: value_ = TVariant(static_cast<int>(get(std::int32_t{}))); break;
    case ftLargeint: value_ = TVariant(static_cast<long long>(get(std::int64_t{}))); break;
    case ftDate: value_ = TVariant::FromDateTime(DayNumberToDateTime(get(std::int32_t{}))); break;
    case ftTime: value_ = TVariant::FromDateTime(get(std::int32_t{}) / kMSecsPerDay); break;
    case ftFloat: value_ = TVariant(get(double{})); break;
    case ftDateTime: value_ = TVariant::FromDateTime(MSecsToDateTime(get(double{}))); break;
    case ftBlob: value_ = TVariant::FromBytes(std::string(bytes, static_cast<std::size_t>(size))); break;
    case ftCursor: value_ = TVariant(); break;
    default: TypeError();
    }
    isNull_ = false;
    bound_ = true;
}

bool operator==(const TdbParam& a, const TdbParam& b)
{
    return a.value_ == b.value_ && a.name_ == b.name_ && a.dataType_ == b.dataType_ && a.isNull_ == b.isNull_ &&
           a.bound_ == b.bound_ && a.kind_ == b.kind_;
}

// ---- TdbParams ------------------------------------------------------------------------------

TdbParams::~TdbParams() { Clear(); }

TdbParam& TdbParams::Items(int index) const
{
    if (index < 0 || index >= Count()) throw rtl::Exception("List index out of bounds (" + std::to_string(index) + ")");
    return *items_[static_cast<std::size_t>(index)];
}

TdbParam& TdbParams::CreateParam(TFieldType type, const std::string& name, TParamType kind)
{
    auto* param = new TdbParam(this, name, kind);
    param->dataType_ = NormalType(type);
    return *param;
}

TdbParam* TdbParams::FindParam(std::string_view name) const
{
    for (TdbParam* p : items_)
        if (rtl::AnsiSameText(p->Name(), name)) return p;
    return nullptr;
}

TdbParam& TdbParams::ParamByName(std::string_view name) const
{
    TdbParam* p = FindParam(name);
    if (p == nullptr) Raise(SParameterNotFound, std::string(name));
    return *p;
}

void TdbParams::Clear()
{
    while (!items_.empty()) delete items_.back();
}

void TdbParams::AssignValues(const TdbParams& source)
{
    for (TdbParam* own : items_)
        for (const TdbParam* other : source.items_)
            if (other != own && other->Name() == own->Name()) own->AssignParam(*other);
}

void TdbParams::Assign(const TdbParams& source)
{
    if (&source == this) return;
    Clear();
    for (const TdbParam* other : source.items_) {
        auto* p = new TdbParam(this, other->Name(), other->ParamType());
        p->AssignParam(*other);
    }
}

bool operator==(const TdbParams& a, const TdbParams& b)
{
    if (a.Count() != b.Count()) return false;
    for (int i = 0; i < a.Count(); ++i)
        if (!(a.Items(i) == b.Items(i))) return false;
    return true;
}

// ---- Stored form ----------------------------------------------------------------------------

namespace {

// Reads little-endian integers and byte runs, never past the end.
class TDataReader {
public:
    explicit TDataReader(std::string_view data) : data_(data) {}
    template <class T>
    T Get()
    {
        Need(sizeof(T));
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) v |= static_cast<std::uint64_t>(static_cast<unsigned char>(data_[pos_ + i])) << (8 * i);
        pos_ += sizeof(T);
        return static_cast<T>(v);
    }
    std::string_view Bytes(std::uint64_t count)
    {
        Need(count);
        std::string_view r = data_.substr(pos_, static_cast<std::size_t>(count));
        pos_ += static_cast<std::size_t>(count);
        return r;
    }
    bool AtEnd() const noexcept { return pos_ == data_.size(); }

private:
    void Need(std::uint64_t count) const
    {
        if (count > data_.size() - pos_) throw ESQLerror(OdbcMessage(SUnableToLoadParams));
    }
    std::string_view data_;
    std::size_t pos_ = 0;
};

}  // namespace

std::string TdbParams::WriteData() const
{
    std::string out;
    PutLE<std::uint16_t>(out, 1);
    PutLE<std::uint16_t>(out, static_cast<std::uint16_t>(Count()));
    for (const TdbParam* p : items_) {
        if (p->Name().size() > static_cast<std::size_t>(kMaxStoredParamName))
            throw ESQLerror(rtl::Format(OdbcMessage(SParameterTooLarge), p->Name(), kMaxStoredParamName));
        PutLE<std::uint8_t>(out, static_cast<std::uint8_t>(p->Name().size()));
        out += p->Name();
        PutLE<std::uint8_t>(out, static_cast<std::uint8_t>(p->ParamType()));
        PutLE<std::uint8_t>(out, static_cast<std::uint8_t>(p->DataType()));
        if (p->DataType() != ftUnknown) {
            const int size = p->GetDataSize();
            if (size > kMaxStoredParamSize)
                throw ESQLerror(rtl::Format(OdbcMessage(SParameterTooLarge), p->Name(), kMaxStoredParamSize));
            PutLE<std::uint16_t>(out, static_cast<std::uint16_t>(size));
            std::string value(static_cast<std::size_t>(size), '\0');
            if (size > 0) p->GetData(value.data());
            out += value;
        }
        PutLE<std::uint8_t>(out, p->IsNull() ? 1 : 0);
        PutLE<std::uint8_t>(out, p->Bound() ? 1 : 0);
    }
    return out;
}

void TdbParams::ReadData(std::string_view data)
{
    Clear();
    try {
        TDataReader r(data);
        const auto version = r.Get<std::uint16_t>();
        if (version < 1 || version > 2) throw ESQLerror(OdbcMessage(SUnableToLoadParams));
        const std::uint32_t count = version == 1 ? r.Get<std::uint16_t>() : r.Get<std::uint32_t>();
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t nameLength = version == 1 ? r.Get<std::uint8_t>() : r.Get<std::uint32_t>();
            std::string name(r.Bytes(nameLength));
            const auto kind = r.Get<std::uint8_t>();
            const auto type = r.Get<std::uint8_t>();
            if (kind > ptResult || type > ftGuid) throw ESQLerror(OdbcMessage(SUnableToLoadParams));
            auto* p = new TdbParam(this, std::move(name), static_cast<TParamType>(kind));
            p->dataType_ = NormalType(static_cast<TFieldType>(type));
            if (static_cast<TFieldType>(type) != ftUnknown) {
                if (p->dataType_ == ftUnknown) throw ESQLerror(OdbcMessage(SUnableToLoadParams));
                const std::uint32_t size = version == 1 ? r.Get<std::uint16_t>() : r.Get<std::uint32_t>();
                const std::string_view value = r.Bytes(size);
                p->SetData(value.data(), static_cast<int>(size));
            }
            p->isNull_ = r.Get<std::uint8_t>() != 0;
            p->bound_ = r.Get<std::uint8_t>() != 0;
            if (p->isNull_) p->value_ = TVariant();
        }
        if (!r.AtEnd()) throw ESQLerror(OdbcMessage(SUnableToLoadParams));
    } catch (const rtl::Exception&) {
        Clear();
        throw ESQLerror(OdbcMessage(SUnableToLoadParams));
    }
}

// ---- Markers --------------------------------------------------------------------------------

namespace {

bool EndsName(char c) { return c == '\n' || c == '\r' || c == ' ' || c == ')' || c == ',' || c == ';'; }

std::string Parse(std::string_view sql, std::vector<std::string>* names)
{
    std::string out;
    out.reserve(sql.size());
    char quote = 0;
    std::size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
            out += c;
            ++i;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            out += c;
            ++i;
            continue;
        }
        if (c != ':') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < sql.size() && sql[i + 1] == ':') {
            out += ':';
            i += 2;
            continue;
        }
        // A marker.
        std::size_t start = i + 1;
        std::string name;
        if (start < sql.size() && (sql[start] == '\'' || sql[start] == '"')) {
            const char q = sql[start];
            const std::size_t close = sql.find(q, start + 1);
            const std::size_t end = close == std::string_view::npos ? sql.size() : close;
            name = std::string(sql.substr(start + 1, end - start - 1));
            i = close == std::string_view::npos ? sql.size() : close + 1;
        } else {
            std::size_t end = start;
            while (end < sql.size() && !EndsName(sql[end])) ++end;
            name = std::string(sql.substr(start, end - start));
            i = end;
        }
        out += '?';
        if (names != nullptr) names->push_back(std::move(name));
    }
    return out;
}

}  // namespace

std::vector<std::string> ParamNames(std::string_view sql)
{
    std::vector<std::string> names;
    Parse(sql, &names);
    return names;
}

std::string ParseSQL(std::string_view sql, TdbParams* params)
{
    std::vector<std::string> names;
    std::string parsed = Parse(sql, &names);
    if (params != nullptr) {
        TdbParams old;
        old.Assign(*params);
        params->Clear();
        for (const std::string& name : names) params->CreateParam(ftUnknown, name, ptInput);
        params->AssignValues(old);
    }
    return parsed;
}

}  // namespace odbc
