#include "platform/db/Fields.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>

#include "platform/db/DataSet.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Formatting.h"
#include "platform/rtl/SysUtils.h"

namespace db {

namespace {

const classes::TEnumInfo& FieldKindNames()
{
    static const classes::TEnumInfo info{"TFieldKind", {"fkData", "fkCalculated", "fkLookup", "fkInternalCalc"}};
    return info;
}

bool SameName(std::string_view a, std::string_view b) { return rtl::AnsiSameText(a, b); }

}  // namespace

// ---- Field definitions ---------------------------------------------------------------------

TFieldDef::TFieldDef(std::string name, TFieldType dataType, int size, bool required, int fieldNo)
    : name_(std::move(name)), dataType_(dataType), size_(size), required_(required), fieldNo_(fieldNo)
{
}

TField* TFieldDef::CreateField(classes::TComponent* owner, TDataSet* dataSet) const
{
    TField* f = nullptr;
    switch (dataType_) {
    case ftString:
    case ftFixedChar: {
        auto* s = new TStringField(owner);
        s->SetFixedChar(dataType_ == ftFixedChar);
        f = s;
        break;
    }
    case ftWideString: f = new TWideStringField(owner); break;
    case ftGuid: f = new TGuidField(owner); break;
    case ftSmallint: f = new TSmallintField(owner); break;
    case ftInteger: f = new TIntegerField(owner); break;
    case ftWord: f = new TWordField(owner); break;
    case ftAutoInc: f = new TAutoIncField(owner); break;
    case ftLargeint: f = new TLargeintField(owner); break;
    case ftFloat: f = new TFloatField(owner); break;
    case ftCurrency: f = new TCurrencyField(owner); break;
    case ftBCD: {
        auto* b = new TBCDField(owner);
        b->SetPrecision(precision_);
        f = b;
        break;
    }
    case ftBoolean: f = new TBooleanField(owner); break;
    case ftDate: f = new TDateField(owner); break;
    case ftTime: f = new TTimeField(owner); break;
    case ftDateTime: f = new TDateTimeField(owner); break;
    case ftBytes: f = new TBytesField(owner); break;
    case ftVarBytes: f = new TVarBytesField(owner); break;
    case ftMemo: f = new TMemoField(owner); break;
    case ftGraphic: f = new TGraphicField(owner); break;
    case ftBlob:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob: {
        auto* b = new TBlobField(owner);
        b->SetBlobType(dataType_);
        f = b;
        break;
    }
    case ftUnknown: DatabaseError("Field '" + name_ + "' is of an unknown type", dataSet);
    default: DatabaseError("Field '" + name_ + "' is of an unsupported type", dataSet);
    }
    // Owned here until it is set up: a field that cannot join the data set goes again.
    std::unique_ptr<TField> owned(f);
    f->SetSize(size_);
    f->SetFieldName(name_);
    f->SetRequired(required_);
    if (readOnly_) f->SetReadOnly(true);
    f->SetDataSet(dataSet);
    return owned.release();
}

TFieldDef& TFieldDefs::Items(int index) const
{
    if (index < 0 || index >= Count()) throw rtl::EListError("List index out of bounds (" + std::to_string(index) + ")");
    return *defs_[static_cast<std::size_t>(index)];
}

TFieldDef& TFieldDefs::Add(std::unique_ptr<TFieldDef> def)
{
    if (def->FieldNo() == 0) def->SetFieldNo(Count() + 1);
    defs_.push_back(std::move(def));
    updated_ = true;
    return *defs_.back();
}

TFieldDef& TFieldDefs::Add(const std::string& name, TFieldType dataType, int size, bool required)
{
    return Add(std::make_unique<TFieldDef>(name, dataType, size, required));
}

void TFieldDefs::Clear()
{
    defs_.clear();
    updated_ = false;
}

int TFieldDefs::IndexOf(std::string_view name) const
{
    for (std::size_t i = 0; i < defs_.size(); ++i)
        if (SameName(defs_[i]->Name(), name)) return static_cast<int>(i);
    return -1;
}

TFieldDef& TFieldDefs::Find(std::string_view name) const
{
    const int i = IndexOf(name);
    if (i < 0) DatabaseError("Field '" + std::string(name) + "' not found", dataSet_);
    return Items(i);
}

void TFieldDefs::Update()
{
    if (updated_ || dataSet_ == nullptr) return;
    dataSet_->InitFieldDefs();
}

// ---- Field list ----------------------------------------------------------------------------

TField* TFields::Fields(int index) const
{
    if (index < 0 || index >= Count()) throw rtl::EListError("List index out of bounds (" + std::to_string(index) + ")");
    return fields_[static_cast<std::size_t>(index)];
}

TField* TFields::FindField(std::string_view name) const
{
    for (TField* f : fields_)
        if (SameName(f->FieldName(), name)) return f;
    return nullptr;
}

TField* TFields::FieldByName(std::string_view name) const
{
    TField* f = FindField(name);
    if (f == nullptr) DatabaseError("Field '" + std::string(name) + "' not found", dataSet_);
    return f;
}

int TFields::IndexOf(const TField* field) const
{
    const auto it = std::find(fields_.begin(), fields_.end(), field);
    return it == fields_.end() ? -1 : static_cast<int>(it - fields_.begin());
}

void TFields::Add(TField* field)
{
    if (IndexOf(field) < 0) fields_.push_back(field);
}

void TFields::Remove(TField* field) { std::erase(fields_, field); }

void TFields::Move(int from, int to)
{
    if (from == to) return;
    TField* f = fields_[static_cast<std::size_t>(from)];
    fields_.erase(fields_.begin() + from);
    fields_.insert(fields_.begin() + to, f);
}

// ---- TField --------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TField, classes::TComponent)
{
    p.Enumeration("Alignment", classes::AlignmentInfo(), &TField::Alignment, &TField::SetAlignment, classes::taLeftJustify);
    p.String("DisplayLabel", &TField::StoredDisplayLabel, &TField::SetDisplayLabel);
    p.Integer("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth)
        .Stored([](const TField& f) { return f.displayWidth_ != 0; });
    p.String("EditMask", &TField::EditMask, &TField::SetEditMask);
    p.Enumeration("FieldKind", FieldKindNames(), &TField::FieldKind, &TField::SetFieldKind, fkData);
    p.String("FieldName", &TField::FieldName, &TField::SetFieldName);
    p.Boolean("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly, false);
    p.Boolean("Required", &TField::Required, &TField::SetRequired, false);
    p.Boolean("Visible", &TField::Visible, &TField::SetVisible, true);
    p.Event("OnChange", &TField::OnChange);
    p.Event("OnGetText", &TField::OnGetText);
    p.Event("OnSetText", &TField::OnSetText);
    p.Event("OnValidate", &TField::OnValidate);
}

TField::TField(classes::TComponent* owner) : TComponent(owner) {}

bool TField::IsValidChar(char32_t ch) const
{
    const auto digitOrSign = [ch] { return (ch >= U'0' && ch <= U'9') || ch == U'+' || ch == U'-'; };
    switch (dataType_) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint: return digitOrSign();
    case ftFloat:
    case ftCurrency:
    case ftBCD: {
        const std::string& sep = rtl::FormatSettings().DecimalSeparator;
        const bool isSeparator = sep.size() == 1 && ch == static_cast<unsigned char>(sep[0]);
        return digitOrSign() || isSeparator || ch == U'E' || ch == U'e';
    }
    default: return ch >= 32 && ch != 127;
    }
}

TField::~TField()
{
    if (dataSet_ != nullptr) {
        dataSet_->fields_.Remove(this);
        dataSet_ = nullptr;
    }
}

void TField::SetDataSet(TDataSet* dataSet)
{
    if (dataSet == dataSet_) return;
    if (dataSet_ != nullptr) dataSet_->CheckInactive();
    if (dataSet != nullptr) {
        dataSet->CheckInactive();
        if (!fieldName_.empty() && dataSet->FindField(fieldName_) != nullptr)
            DatabaseError("Duplicate field name '" + fieldName_ + "'", dataSet);
    }
    if (dataSet_ != nullptr) dataSet_->fields_.Remove(this);
    dataSet_ = dataSet;
    if (dataSet_ != nullptr) dataSet_->fields_.Add(this);
}

void TField::SetFieldName(const std::string& name)
{
    if (dataSet_ != nullptr) {
        dataSet_->CheckInactive();
        if (TField* other = dataSet_->FindField(name); other != nullptr && other != this)
            DatabaseError("Duplicate field name '" + name + "'", dataSet_);
    }
    fieldName_ = name;
}

void TField::SetFieldKind(TFieldKind kind)
{
    if (dataSet_ != nullptr) dataSet_->CheckInactive();
    fieldKind_ = kind;
}

void TField::SetSize(int size)
{
    if (dataSet_ != nullptr) dataSet_->CheckInactive();
    if (size < 0) DatabaseError("Invalid field size", dataSet_);
    size_ = size;
}

void TField::SetReadOnly(bool readOnly)
{
    if (readOnly_ == readOnly) return;
    readOnly_ = readOnly;
    PropertyChanged(true);
}

void TField::SetVisible(bool visible)
{
    if (visible_ == visible) return;
    visible_ = visible;
    PropertyChanged(true);
}

int TField::Index() const { return dataSet_ != nullptr ? dataSet_->fields_.IndexOf(this) : -1; }

void TField::SetIndex(int index)
{
    if (dataSet_ == nullptr) return;
    TFields& list = dataSet_->fields_;
    const int count = list.Count();
    if (count == 0) return;
    index = std::clamp(index, 0, count - 1);
    const int current = list.IndexOf(this);
    if (current < 0 || current == index) return;
    list.Move(current, index);
    PropertyChanged(true);
}

std::string TField::DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }

void TField::SetDisplayLabel(const std::string& label)
{
    // A label equal to the field name is no label of its own.
    const std::string value = label == fieldName_ ? std::string() : label;
    if (value == displayLabel_) return;
    displayLabel_ = value;
    PropertyChanged(true);
}

int TField::DisplayWidth() const { return displayWidth_ > 0 ? displayWidth_ : DefaultWidth(); }

void TField::SetDisplayWidth(int width)
{
    if (width < 0) width = 0;
    if (width == displayWidth_) return;
    displayWidth_ = width;
    PropertyChanged(true);
}

void TField::SetAlignment(classes::TAlignment alignment)
{
    if (alignment == alignment_) return;
    alignment_ = alignment;
    PropertyChanged(false);
}

void TField::PropertyChanged(bool layoutAffected)
{
    if (dataSet_ != nullptr && dataSet_->Active())
        dataSet_->DataEvent(layoutAffected ? deLayoutChange : deDataSetChange);
}

bool TField::CanModify() const
{
    if (readOnly_ || fieldKind_ != fkData || dataSet_ == nullptr) return false;
    return dataSet_->CanModify();
}

bool TField::GetData(TVariant& value) const
{
    if (dataSet_ == nullptr) DatabaseError("Field '" + DisplayName() + "' has no dataset");
    return dataSet_->GetFieldData(const_cast<TField*>(this), value);
}

void TField::SetData(const TVariant& value)
{
    if (dataSet_ == nullptr) DatabaseError("Field '" + DisplayName() + "' has no dataset");
    dataSet_->SetFieldValue(this, value);
}

bool TField::IsNull() const
{
    TVariant v;
    return !GetData(v) || v.IsNull();
}

TVariant TField::Value() const
{
    TVariant v;
    if (!GetData(v)) return {};
    return v;
}

void TField::SetValue(const TVariant& value) { SetData(value.IsNull() ? TVariant() : ToNative(value)); }

TVariant TField::ToNative(const TVariant& value) const { return value; }

std::string TField::AsString() const
{
    TVariant v = Value();
    return v.IsNull() ? std::string() : std::move(v).AsString();
}

void TField::SetAsString(const std::string& value) { SetValue(ParseText(value)); }

int TField::AsInteger() const
{
    const TVariant v = Value();
    return v.IsNull() ? 0 : v.AsInteger();
}

void TField::SetAsInteger(int value) { SetValue(TVariant(value)); }

std::int64_t TField::AsLargeInt() const
{
    const TVariant v = Value();
    return v.IsNull() ? 0 : v.AsInt64();
}

void TField::SetAsLargeInt(std::int64_t value) { SetValue(TVariant(static_cast<long long>(value))); }

double TField::AsFloat() const
{
    const TVariant v = Value();
    return v.IsNull() ? 0.0 : v.AsFloat();
}

void TField::SetAsFloat(double value) { SetValue(TVariant(value)); }

bool TField::AsBoolean() const
{
    const TVariant v = Value();
    return !v.IsNull() && v.AsBoolean();
}

void TField::SetAsBoolean(bool value) { SetValue(TVariant(value)); }

rtl::TDateTime TField::AsDateTime() const
{
    const TVariant v = Value();
    return v.IsNull() ? 0.0 : v.AsDateTime();
}

void TField::SetAsDateTime(rtl::TDateTime value) { SetValue(TVariant::FromDateTime(value)); }

std::string TField::FormatText(const TVariant& value, bool) const { return value.AsString(); }

TVariant TField::ParseText(const std::string& text) const { return TVariant(text); }

std::string TField::Text() const
{
    std::string text;
    if (OnGetText) {
        OnGetText(const_cast<TField*>(this), text, false);
        return text;
    }
    const TVariant v = Value();
    return v.IsNull() ? std::string() : FormatText(v, false);
}

std::string TField::DisplayText() const
{
    std::string text;
    if (OnGetText) {
        OnGetText(const_cast<TField*>(this), text, true);
        return text;
    }
    const TVariant v = Value();
    if (v.IsNull()) return IsBlob() ? FormatText(v, true) : std::string();
    return FormatText(v, true);
}

void TField::SetText(const std::string& text)
{
    if (OnSetText) {
        OnSetText(this, text);
        return;
    }
    if (text.empty() && !IsBlob() && DataType() != ftString && DataType() != ftWideString &&
        DataType() != ftFixedChar && DataType() != ftGuid) {
        Clear();
        return;
    }
    SetValue(ParseText(text));
}

void TField::Clear() { SetData(TVariant()); }

void TField::FocusControl()
{
    if (dataSet_ != nullptr && dataSet_->Active()) dataSet_->DataEvent(deFocusControl, this);
}

void TField::RangeError(const std::string& value, const std::string& min, const std::string& max) const
{
    DatabaseError("'" + value + "' is not a valid value for field '" + DisplayName() + "'. The allowed range is " + min +
                  " to " + max);
}

// ---- Text fields ---------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TStringField, TField)
{
    p.Boolean("FixedChar", &TStringField::FixedChar, &TStringField::SetFixedChar, false);
    p.Integer("Size", &TStringField::Size, &TStringField::SetSize, 20);
}

TStringField::TStringField(classes::TComponent* owner) : TField(owner)
{
    SetDataType(ftString);
    TField::SetSize(20);
}

TVariant TStringField::ToNative(const TVariant& value) const { return TVariant(value.AsString()); }

GW_IMPLEMENT_CLASS(TWideStringField, TStringField) {}

TWideStringField::TWideStringField(classes::TComponent* owner) : TStringField(owner) { SetDataType(ftWideString); }

GW_IMPLEMENT_CLASS(TGuidField, TStringField) {}

TGuidField::TGuidField(classes::TComponent* owner) : TStringField(owner)
{
    SetDataType(ftGuid);
    TField::SetSize(38);
}

// ---- Numbers -------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TNumericField, TField)
{
    p.Enumeration("Alignment", classes::AlignmentInfo(), &TField::Alignment, &TField::SetAlignment, classes::taRightJustify);
    p.String("DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat);
    p.String("EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat);
}

TNumericField::TNumericField(classes::TComponent* owner) : TField(owner) { SetAlignment(classes::taRightJustify); }

void TNumericField::SetDisplayFormat(const std::string& format)
{
    if (format == displayFormat_) return;
    displayFormat_ = format;
    PropertyChanged(false);
}

void TNumericField::SetEditFormat(const std::string& format)
{
    if (format == editFormat_) return;
    editFormat_ = format;
    PropertyChanged(false);
}

const std::string& TNumericField::Picture(bool displayText) const
{
    return displayText || editFormat_.empty() ? displayFormat_ : editFormat_;
}

GW_IMPLEMENT_CLASS(TIntegerField, TNumericField)
{
    p.Integer("MaxValue", &TIntegerField::MaxValue, &TIntegerField::SetMaxValue, 0);
    p.Integer("MinValue", &TIntegerField::MinValue, &TIntegerField::SetMinValue, 0);
}

TIntegerField::TIntegerField(classes::TComponent* owner) : TNumericField(owner)
{
    SetDataType(ftInteger);
    SetRange(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
}

void TIntegerField::SetRange(std::int64_t min, std::int64_t max)
{
    rangeMin_ = min;
    rangeMax_ = max;
}

TVariant TIntegerField::ToNative(const TVariant& value) const
{
    const std::int64_t v = value.AsInt64();
    std::int64_t low = rangeMin_;
    std::int64_t high = rangeMax_;
    if (minValue_ != 0 || maxValue_ != 0) {
        low = std::max(low, minValue_);
        high = std::min(high, maxValue_);
    }
    if (v < low || v > high) RangeError(std::to_string(v), std::to_string(low), std::to_string(high));
    return TVariant(static_cast<long long>(v));
}

namespace {

// A picture applied to every digit of an integer or decimal (a double keeps only about 15);
// a decimal column's NaN or infinity goes through the floating-point form.
std::string ExactPictureText(const std::string& picture, const TVariant& value)
{
    std::string exact;
    try {
        exact = value.AsDecimalText();
    } catch (const rtl::Exception&) {
        return rtl::FormatFloat(picture, value.AsFloat());
    }
    return rtl::FormatDecimal(picture, exact);
}

}  // namespace

std::string TIntegerField::FormatText(const TVariant& value, bool displayText) const
{
    const std::string& picture = Picture(displayText);
    if (picture.empty()) return std::to_string(value.AsInt64());
    return ExactPictureText(picture, value);
}

GW_IMPLEMENT_CLASS(TSmallintField, TIntegerField) {}

TSmallintField::TSmallintField(classes::TComponent* owner) : TIntegerField(owner)
{
    SetDataType(ftSmallint);
    SetRange(std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max());
}

GW_IMPLEMENT_CLASS(TWordField, TIntegerField) {}

TWordField::TWordField(classes::TComponent* owner) : TIntegerField(owner)
{
    SetDataType(ftWord);
    SetRange(0, std::numeric_limits<std::uint16_t>::max());
}

GW_IMPLEMENT_CLASS(TAutoIncField, TIntegerField) {}

TAutoIncField::TAutoIncField(classes::TComponent* owner) : TIntegerField(owner) { SetDataType(ftAutoInc); }

GW_IMPLEMENT_CLASS(TLargeintField, TIntegerField) {}

TLargeintField::TLargeintField(classes::TComponent* owner) : TIntegerField(owner)
{
    SetDataType(ftLargeint);
    SetRange(std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
}

GW_IMPLEMENT_CLASS(TFloatField, TNumericField)
{
    p.Boolean("Currency", &TFloatField::Currency, &TFloatField::SetCurrency, false);
    p.Integer("Precision", &TFloatField::Precision, &TFloatField::SetPrecision, 15);
}

TFloatField::TFloatField(classes::TComponent* owner) : TNumericField(owner) { SetDataType(ftFloat); }

void TFloatField::SetCurrency(bool currency)
{
    if (currency == currency_) return;
    currency_ = currency;
    PropertyChanged(false);
}

void TFloatField::SetPrecision(int precision)
{
    precision = std::clamp(precision, 2, 15);
    if (precision == precision_) return;
    precision_ = precision;
    PropertyChanged(false);
}

TVariant TFloatField::ToNative(const TVariant& value) const { return TVariant(value.AsFloat()); }

namespace {

// The class library's currency form: the currency sign after a grouped two-decimal number.
constexpr const char* kCurrencyPicture = "#,##0.00";
std::string CurrencyText(const std::string& number) { return number + " " + rtl::FormatSettings().CurrencyString; }

// The general format with `precision` significant digits.
std::string GeneralText(double value, int precision)
{
    if (precision >= 15) return rtl::FloatToStr(value);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", precision, value);
    return rtl::FloatToStr(std::strtod(buf, nullptr));
}

}  // namespace

std::string TFloatField::FormatText(const TVariant& value, bool displayText) const
{
    const std::string& picture = Picture(displayText);
    const double v = value.AsFloat();
    if (!picture.empty()) return rtl::FormatFloat(picture, v);
    if (currency_)
        return displayText ? CurrencyText(rtl::FormatFloat(kCurrencyPicture, v)) : rtl::FormatFloat("0.00", v);
    return GeneralText(v, precision_);
}

GW_IMPLEMENT_CLASS(TCurrencyField, TFloatField)
{
    p.Boolean("Currency", &TFloatField::Currency, &TFloatField::SetCurrency, true);
}

TCurrencyField::TCurrencyField(classes::TComponent* owner) : TFloatField(owner)
{
    SetDataType(ftCurrency);
    SetCurrency(true);
}

GW_IMPLEMENT_CLASS(TBCDField, TNumericField)
{
    p.Boolean("Currency", &TBCDField::Currency, &TBCDField::SetCurrency, false);
    p.Integer("Precision", &TBCDField::Precision, &TBCDField::SetPrecision, 0);
    p.Integer("Size", &TBCDField::Size, &TBCDField::SetSize, 4);
}

TBCDField::TBCDField(classes::TComponent* owner) : TNumericField(owner)
{
    SetDataType(ftBCD);
    TField::SetSize(4);
}

void TBCDField::SetPrecision(int precision)
{
    if (DataSet() != nullptr) DataSet()->CheckInactive();
    precision_ = std::max(precision, 0);
}

void TBCDField::SetCurrency(bool currency)
{
    if (currency == currency_) return;
    currency_ = currency;
    PropertyChanged(false);
}

TVariant TBCDField::ToNative(const TVariant& value) const { return TVariant::FromDecimal(value.AsDecimalText()); }

std::string TBCDField::FormatText(const TVariant& value, bool displayText) const
{
    const std::string& picture = Picture(displayText);
    if (!picture.empty()) return ExactPictureText(picture, value);
    if (currency_ && displayText)
        return CurrencyText(ExactPictureText(kCurrencyPicture, value));
    return value.AsString();  // every digit, with the decimal separator of the settings
}

// ---- Booleans ------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TBooleanField, TField)
{
    p.String("DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues, "True;False");
}

TBooleanField::TBooleanField(classes::TComponent* owner) : TField(owner) { SetDataType(ftBoolean); }

void TBooleanField::SetDisplayValues(const std::string& values)
{
    const auto sep = values.find(';');
    displayValues_ = values;
    trueText_ = values.substr(0, sep);
    falseText_ = sep == std::string::npos ? std::string() : values.substr(sep + 1);
    PropertyChanged(true);
}

TVariant TBooleanField::ToNative(const TVariant& value) const
{
    if (value.Type() == TVarType::String) return ParseText(value.Text());
    return TVariant(value.AsBoolean());
}

std::string TBooleanField::FormatText(const TVariant& value, bool) const
{
    return value.AsBoolean() ? trueText_ : falseText_;
}

TVariant TBooleanField::ParseText(const std::string& text) const
{
    const std::string t = rtl::Trim(text);
    if (rtl::AnsiSameText(t, trueText_)) return TVariant(true);
    if (rtl::AnsiSameText(t, falseText_)) return TVariant(false);
    if (rtl::SameText(t, "True") || t == "1") return TVariant(true);
    if (rtl::SameText(t, "False") || t == "0") return TVariant(false);
    if (t.empty()) return {};
    DatabaseError("'" + text + "' is not a valid boolean value for field '" + DisplayName() + "'", DataSet());
}

int TBooleanField::DefaultWidth() const
{
    return static_cast<int>(std::max(rtl::Utf8CharCount(trueText_), rtl::Utf8CharCount(falseText_)));
}

// ---- Dates and times -----------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TDateTimeField, TField)
{
    p.String("DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat);
}

TDateTimeField::TDateTimeField(classes::TComponent* owner) : TField(owner) { SetDataType(ftDateTime); }

void TDateTimeField::SetDisplayFormat(const std::string& format)
{
    if (format == displayFormat_) return;
    displayFormat_ = format;
    PropertyChanged(false);
}

TVariant TDateTimeField::ToNative(const TVariant& value) const
{
    rtl::TDateTime v = value.AsDateTime();
    if (DataType() == ftDate) v = static_cast<double>(static_cast<long long>(v));
    if (DataType() == ftTime) v = v - static_cast<double>(static_cast<long long>(v));
    return TVariant::FromDateTime(v);
}

std::string_view TDateTimeField::FormatFor(bool displayText) const
{
    if (displayText && !displayFormat_.empty()) return displayFormat_;
    switch (DataType()) {
    case ftDate: return rtl::FormatSettings().ShortDateFormat;
    case ftTime: return rtl::FormatSettings().LongTimeFormat;
    default: return "c";
    }
}

std::string TDateTimeField::FormatText(const TVariant& value, bool displayText) const
{
    return rtl::FormatDateTime(FormatFor(displayText), value.AsDateTime());
}

TDisplayTexts::TDisplayTexts(const TField& field) : field_(&field)
{
    // An OnGetText handler decides every text itself.
    if (const auto* dates = dynamic_cast<const TDateTimeField*>(&field); dates != nullptr && !field.OnGetText)
        date_.emplace(dates->FormatFor(true));
}

std::string TDisplayTexts::Text() const
{
    if (!date_) return field_->DisplayText();
    const TVariant v = field_->Value();
    std::string text;
    if (!v.IsNull()) date_->Append(text, v.AsDateTime());
    return text;
}

TVariant TDateTimeField::ParseText(const std::string& text) const
{
    switch (DataType()) {
    case ftDate: return TVariant::FromDateTime(rtl::StrToDate(text));
    case ftTime: return TVariant::FromDateTime(rtl::StrToTime(text));
    default: return TVariant::FromDateTime(rtl::StrToDateTime(text));
    }
}

GW_IMPLEMENT_CLASS(TDateField, TDateTimeField) {}

TDateField::TDateField(classes::TComponent* owner) : TDateTimeField(owner) { SetDataType(ftDate); }

GW_IMPLEMENT_CLASS(TTimeField, TDateTimeField) {}

TTimeField::TTimeField(classes::TComponent* owner) : TDateTimeField(owner) { SetDataType(ftTime); }

// ---- Binary values -------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TBinaryField, TField)
{
    p.Integer("Size", &TBinaryField::Size, &TBinaryField::SetSize, 16);
}

TBinaryField::TBinaryField(classes::TComponent* owner) : TField(owner) { TField::SetSize(16); }

TVariant TBinaryField::ToNative(const TVariant& value) const
{
    return TVariant::FromBytes(value.Type() == TVarType::Bytes || value.Type() == TVarType::String ? value.Text()
                                                                                                   : value.AsString());
}

std::string TBinaryField::FormatText(const TVariant&, bool) const { return "(" + FieldTypeDisplayName(DataType()) + ")"; }

GW_IMPLEMENT_CLASS(TBytesField, TBinaryField) {}

TBytesField::TBytesField(classes::TComponent* owner) : TBinaryField(owner) { SetDataType(ftBytes); }

GW_IMPLEMENT_CLASS(TVarBytesField, TBinaryField) {}

TVarBytesField::TVarBytesField(classes::TComponent* owner) : TBinaryField(owner) { SetDataType(ftVarBytes); }

GW_IMPLEMENT_CLASS(TBlobField, TField)
{
    p.Enumeration("BlobType", FieldTypeInfo(), &TBlobField::BlobType, &TBlobField::SetBlobType, ftBlob);
    p.Integer("Size", &TBlobField::Size, &TBlobField::SetSize, 0);
}

TBlobField::TBlobField(classes::TComponent* owner) : TField(owner) { SetDataType(ftBlob); }

void TBlobField::SetBlobType(TFieldType type)
{
    if (type < ftBlob || (type > ftTypedBinary && type != ftOraBlob && type != ftOraClob))
        DatabaseError("Invalid blob type for field '" + DisplayName() + "'", DataSet());
    if (DataSet() != nullptr) DataSet()->CheckInactive();
    SetDataType(type);
}

TVariant TBlobField::ToNative(const TVariant& value) const
{
    if (DataType() == ftMemo || DataType() == ftFmtMemo || DataType() == ftOraClob) return TVariant(value.AsString());
    return TVariant::FromBytes(value.Type() == TVarType::Bytes || value.Type() == TVarType::String ? value.Text()
                                                                                                   : value.AsString());
}

std::string TBlobField::FormatText(const TVariant& value, bool displayText) const
{
    if (!displayText && (DataType() == ftMemo || DataType() == ftFmtMemo || DataType() == ftOraClob))
        return value.AsString();
    const std::string name = "(" + FieldTypeDisplayName(DataType()) + ")";
    return value.IsNull() ? name : rtl::UpperCase(name);
}

GW_IMPLEMENT_CLASS(TMemoField, TBlobField)
{
    p.Enumeration("BlobType", FieldTypeInfo(), &TBlobField::BlobType, &TBlobField::SetBlobType, ftMemo);
}

TMemoField::TMemoField(classes::TComponent* owner) : TBlobField(owner) { SetDataType(ftMemo); }

TVariant TMemoField::ToNative(const TVariant& value) const { return TVariant(value.AsString()); }

std::string TMemoField::FormatText(const TVariant& value, bool displayText) const
{
    return TBlobField::FormatText(value, displayText);
}

GW_IMPLEMENT_CLASS(TGraphicField, TBlobField)
{
    p.Enumeration("BlobType", FieldTypeInfo(), &TBlobField::BlobType, &TBlobField::SetBlobType, ftGraphic);
}

TGraphicField::TGraphicField(classes::TComponent* owner) : TBlobField(owner) { SetDataType(ftGraphic); }

}  // namespace db
