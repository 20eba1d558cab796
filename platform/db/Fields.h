#pragma once
// Fields and field definitions of a data set.
//
// A field definition describes one column of a data set's result (name, type, size,
// precision, required). A field is the component through which a column of the current
// record is read and written: its value and the As... accessors, its text (for editing) and
// display text (formatted for showing), and the display properties that grids and page
// generators read (display label and width, visibility, index, alignment). Fields are
// created from the definitions when a data set opens without persistent fields, and freed
// when it closes.
//
// Values travel as TVariant; each field keeps its column's kind (integers as 64-bit
// integers, decimals as exact text, dates as date-time values). Reading a null field gives
// the empty text, 0, False or date 0 through the As... accessors.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/Variant.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Formatting.h"
#include "platform/classes/Alignment.h"

namespace db {

class TDataSet;
class TField;

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

using TFieldNotifyEvent = classes::TEvent<TField*>;
// (field, text, displayText): fills in the text shown (displayText) or edited.
using TFieldGetTextEvent = classes::TEvent<TField*, std::string&, bool>;
using TFieldSetTextEvent = classes::TEvent<TField*, const std::string&>;

// ---- Field definitions --------------------------------------------------------------------

class TFieldDef {
public:
    TFieldDef(std::string name, TFieldType dataType, int size = 0, bool required = false, int fieldNo = 0);
    virtual ~TFieldDef() = default;

    const std::string& Name() const noexcept { return name_; }
    TFieldType DataType() const noexcept { return dataType_; }
    // Characters of a text column, decimal places of a BCD column, 0 otherwise.
    int Size() const noexcept { return size_; }
    void SetSize(int size) noexcept { size_ = size; }
    // Total digits of a numeric column.
    int Precision() const noexcept { return precision_; }
    void SetPrecision(int precision) noexcept { precision_ = precision; }
    bool Required() const noexcept { return required_; }
    void SetRequired(bool required) noexcept { required_ = required; }
    // 1-based column number.
    int FieldNo() const noexcept { return fieldNo_; }
    void SetFieldNo(int fieldNo) noexcept { fieldNo_ = fieldNo; }
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool readOnly) noexcept { readOnly_ = readOnly; }

    // A new field of the class for this type, owned by `owner`, bound to `dataSet`.
    // EDatabaseError "Field 'X' is of an unknown type" / "... an unsupported type".
    TField* CreateField(classes::TComponent* owner, TDataSet* dataSet) const;

private:
    std::string name_;
    TFieldType dataType_;
    int size_;
    int precision_ = 0;
    bool required_;
    int fieldNo_;
    bool readOnly_ = false;
};

class TFieldDefs {
public:
    explicit TFieldDefs(TDataSet* dataSet) : dataSet_(dataSet) {}

    int Count() const noexcept { return static_cast<int>(defs_.size()); }
    TFieldDef& Items(int index) const;
    // Adds a definition (its FieldNo becomes its position when 0) and returns it.
    TFieldDef& Add(std::unique_ptr<TFieldDef> def);
    TFieldDef& Add(const std::string& name, TFieldType dataType, int size = 0, bool required = false);
    void Clear();
    // Position by name (letter case ignored), -1 when none.
    int IndexOf(std::string_view name) const;
    // By name; EDatabaseError "Field 'X' not found" when none.
    TFieldDef& Find(std::string_view name) const;
    // Reads the definitions from the data set's source when they are out of date.
    void Update();
    bool Updated() const noexcept { return updated_; }
    void SetUpdated(bool updated) noexcept { updated_ = updated; }

private:
    TDataSet* dataSet_;
    std::vector<std::unique_ptr<TFieldDef>> defs_;
    bool updated_ = false;
};

// ---- Fields -------------------------------------------------------------------------------

class TField : public classes::TComponent {
    GW_CLASS(TField)

public:
    explicit TField(classes::TComponent* owner);
    ~TField() override;

    TDataSet* DataSet() const noexcept { return dataSet_; }
    // Adds the field to the data set's field list (removing it from the old one). The data
    // set must be closed.
    void SetDataSet(TDataSet* dataSet);

    const std::string& FieldName() const noexcept { return fieldName_; }
    void SetFieldName(const std::string& name);
    // 1-based column number once bound, 0 otherwise.
    int FieldNo() const noexcept { return fieldNo_; }
    TFieldType DataType() const noexcept { return dataType_; }
    TFieldKind FieldKind() const noexcept { return fieldKind_; }
    void SetFieldKind(TFieldKind kind);
    int Size() const noexcept { return size_; }
    virtual void SetSize(int size);

    bool Required() const noexcept { return required_; }
    void SetRequired(bool required) { required_ = required; }
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible);
    // Position in the data set's field list; setting it moves the field there.
    int Index() const;
    void SetIndex(int index);

    // The label, or the field name when no label is set.
    std::string DisplayLabel() const;
    void SetDisplayLabel(const std::string& label);
    // The label as set (empty when none).
    const std::string& StoredDisplayLabel() const noexcept { return displayLabel_; }
    std::string DisplayName() const { return DisplayLabel(); }
    // Width in characters; the type's default until set.
    int DisplayWidth() const;
    void SetDisplayWidth(int width);
    classes::TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(classes::TAlignment alignment);
    // The picture an editing control checks typed text against (empty: none).
    const std::string& EditMask() const noexcept { return editMask_; }
    void SetEditMask(const std::string& mask) { editMask_ = mask; }
    // Whether `ch` (a code point) may be typed into the field's text: numbers take digits,
    // signs and, when not whole, the decimal separator and an exponent; other fields any
    // printable character.
    bool IsValidChar(char32_t ch) const;

    bool IsNull() const;
    virtual bool IsBlob() const { return false; }
    // True when the field can be written now: not read-only, a data field, and the data set
    // allows changes.
    bool CanModify() const;

    // The value of the current record (null when the data set has no record).
    TVariant Value() const;
    void SetValue(const TVariant& value);
    TVariant AsVariant() const { return Value(); }
    void SetAsVariant(const TVariant& value) { SetValue(value); }

    std::string AsString() const;
    void SetAsString(const std::string& value);
    int AsInteger() const;
    void SetAsInteger(int value);
    std::int64_t AsLargeInt() const;
    void SetAsLargeInt(std::int64_t value);
    double AsFloat() const;
    void SetAsFloat(double value);
    double AsCurrency() const { return AsFloat(); }
    void SetAsCurrency(double value) { SetAsFloat(value); }
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    rtl::TDateTime AsDateTime() const;
    void SetAsDateTime(rtl::TDateTime value);

    // The text for editing, and the text for showing (formatted with the display format).
    std::string Text() const;
    void SetText(const std::string& text);
    std::string DisplayText() const;

    // Sets the value to null.
    void Clear();
    // Asks the data-aware control showing this field to take the focus.
    void FocusControl();

    TFieldNotifyEvent OnChange;
    TFieldNotifyEvent OnValidate;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

protected:
    void SetDataType(TFieldType type) noexcept { dataType_ = type; }
    // The stored value converted to the field's kind; EConvertError / EVariantError when it
    // does not convert, EDatabaseError when it lies outside the field's range.
    virtual TVariant ToNative(const TVariant& value) const;
    // The text of `value` (never null), for showing or for editing.
    virtual std::string FormatText(const TVariant& value, bool displayText) const;
    // The value a typed text stands for.
    virtual TVariant ParseText(const std::string& text) const;
    virtual int DefaultWidth() const { return 10; }
    // Property changes that concern data-aware controls.
    void PropertyChanged(bool layoutAffected);
    [[noreturn]] void RangeError(const std::string& value, const std::string& min, const std::string& max) const;

private:
    friend class TDataSet;
    friend class TFields;
    bool GetData(TVariant& value) const;
    void SetData(const TVariant& value);
    void Bind(int fieldNo) noexcept { fieldNo_ = fieldNo; }

    TDataSet* dataSet_ = nullptr;
    std::string fieldName_;
    int fieldNo_ = 0;
    TFieldType dataType_ = ftUnknown;
    TFieldKind fieldKind_ = fkData;
    int size_ = 0;
    bool required_ = false;
    bool readOnly_ = false;
    bool visible_ = true;
    std::string displayLabel_;
    int displayWidth_ = 0;  // 0: the type's default
    classes::TAlignment alignment_ = classes::taLeftJustify;
    std::string editMask_;
};

// Text columns. Size is the declared length in characters; values are not cut to it.
class TStringField : public TField {
    GW_CLASS(TStringField)

public:
    explicit TStringField(classes::TComponent* owner);
    bool FixedChar() const noexcept { return fixedChar_; }
    void SetFixedChar(bool fixedChar) { fixedChar_ = fixedChar; }

protected:
    TVariant ToNative(const TVariant& value) const override;
    int DefaultWidth() const override { return Size() > 0 ? Size() : 10; }

private:
    bool fixedChar_ = false;
};

class TWideStringField : public TStringField {
    GW_CLASS(TWideStringField)

public:
    explicit TWideStringField(classes::TComponent* owner);
};

class TGuidField : public TStringField {
    GW_CLASS(TGuidField)

public:
    explicit TGuidField(classes::TComponent* owner);
};

// Numbers: right-aligned, with a display format (FormatFloat picture) and an edit format.
class TNumericField : public TField {
    GW_CLASS(TNumericField)

public:
    explicit TNumericField(classes::TComponent* owner);
    const std::string& DisplayFormat() const noexcept { return displayFormat_; }
    void SetDisplayFormat(const std::string& format);
    const std::string& EditFormat() const noexcept { return editFormat_; }
    void SetEditFormat(const std::string& format);

protected:
    // The picture to use: the display format for showing, the edit format (or else the
    // display format) for editing.
    const std::string& Picture(bool displayText) const;

private:
    std::string displayFormat_;
    std::string editFormat_;
};

// 64-bit integers exactly; TIntegerField and its kin hold 32-bit, 16-bit and unsigned 16-bit
// values and refuse values outside (EDatabaseError "'v' is not a valid value for field 'X'.
// The allowed range is a to b").
class TIntegerField : public TNumericField {
    GW_CLASS(TIntegerField)

public:
    explicit TIntegerField(classes::TComponent* owner);
    std::int64_t MinValue() const noexcept { return minValue_; }
    std::int64_t MaxValue() const noexcept { return maxValue_; }
    void SetMinValue(std::int64_t v) { minValue_ = v; }
    void SetMaxValue(std::int64_t v) { maxValue_ = v; }

protected:
    TVariant ToNative(const TVariant& value) const override;
    std::string FormatText(const TVariant& value, bool displayText) const override;
    int DefaultWidth() const override { return 11; }
    void SetRange(std::int64_t min, std::int64_t max);

private:
    std::int64_t rangeMin_;
    std::int64_t rangeMax_;
    std::int64_t minValue_ = 0;  // both 0: no limits of the user's
    std::int64_t maxValue_ = 0;
};

class TSmallintField : public TIntegerField {
    GW_CLASS(TSmallintField)

public:
    explicit TSmallintField(classes::TComponent* owner);

protected:
    int DefaultWidth() const override { return 6; }
};

class TWordField : public TIntegerField {
    GW_CLASS(TWordField)

public:
    explicit TWordField(classes::TComponent* owner);

protected:
    int DefaultWidth() const override { return 6; }
};

class TAutoIncField : public TIntegerField {
    GW_CLASS(TAutoIncField)

public:
    explicit TAutoIncField(classes::TComponent* owner);
};

class TLargeintField : public TIntegerField {
    GW_CLASS(TLargeintField)

public:
    explicit TLargeintField(classes::TComponent* owner);

protected:
    int DefaultWidth() const override { return 15; }
};

class TFloatField : public TNumericField {
    GW_CLASS(TFloatField)

public:
    explicit TFloatField(classes::TComponent* owner);
    bool Currency() const noexcept { return currency_; }
    void SetCurrency(bool currency);
    // Significant digits of the general format (15 by default).
    int Precision() const noexcept { return precision_; }
    void SetPrecision(int precision);

protected:
    TVariant ToNative(const TVariant& value) const override;
    std::string FormatText(const TVariant& value, bool displayText) const override;

private:
    bool currency_ = false;
    int precision_ = 15;
};

class TCurrencyField : public TFloatField {
    GW_CLASS(TCurrencyField)

public:
    explicit TCurrencyField(classes::TComponent* owner);
};

// Exact decimals: the value keeps every digit; Size is the number of decimal places,
// Precision the total digits.
class TBCDField : public TNumericField {
    GW_CLASS(TBCDField)

public:
    explicit TBCDField(classes::TComponent* owner);
    int Precision() const noexcept { return precision_; }
    void SetPrecision(int precision);
    bool Currency() const noexcept { return currency_; }
    void SetCurrency(bool currency);

protected:
    TVariant ToNative(const TVariant& value) const override;
    std::string FormatText(const TVariant& value, bool displayText) const override;
    int DefaultWidth() const override { return precision_ > 0 ? precision_ + 1 : 10; }

private:
    int precision_ = 0;
    bool currency_ = false;
};

class TBooleanField : public TField {
    GW_CLASS(TBooleanField)

public:
    explicit TBooleanField(classes::TComponent* owner);
    // "True text;False text" ("True;False" by default).
    const std::string& DisplayValues() const noexcept { return displayValues_; }
    void SetDisplayValues(const std::string& values);

protected:
    TVariant ToNative(const TVariant& value) const override;
    std::string FormatText(const TVariant& value, bool displayText) const override;
    TVariant ParseText(const std::string& text) const override;
    int DefaultWidth() const override;

private:
    std::string displayValues_ = "True;False";
    std::string trueText_ = "True";
    std::string falseText_ = "False";
};

// Date and time values; TDateField and TTimeField descend from it.
class TDateTimeField : public TField {
    GW_CLASS(TDateTimeField)

public:
    explicit TDateTimeField(classes::TComponent* owner);
    // A FormatDateTime picture for showing; empty: the short date, long time or "c" form.
    const std::string& DisplayFormat() const noexcept { return displayFormat_; }
    void SetDisplayFormat(const std::string& format);
    // The FormatDateTime format of the text for showing (`displayText`) or for editing.
    std::string_view FormatFor(bool displayText) const;

protected:
    TVariant ToNative(const TVariant& value) const override;
    std::string FormatText(const TVariant& value, bool displayText) const override;
    TVariant ParseText(const std::string& text) const override;
    int DefaultWidth() const override { return 18; }

private:
    std::string displayFormat_;
};

// The display texts of one field over many records (an export writes every record's), its
// date format read once: Text() is exactly the field's DisplayText() for the current record
// while the field's display format, its OnGetText and the process-wide format settings stay as
// they were when this was made.
class TDisplayTexts {
public:
    explicit TDisplayTexts(const TField& field);
    std::string Text() const;

private:
    const TField* field_;
    std::optional<rtl::TDateTimePicture> date_;  // a date-time field's format, read once
};

class TDateField : public TDateTimeField {
    GW_CLASS(TDateField)

public:
    explicit TDateField(classes::TComponent* owner);

protected:
    int DefaultWidth() const override { return 10; }
};

class TTimeField : public TDateTimeField {
    GW_CLASS(TTimeField)

public:
    explicit TTimeField(classes::TComponent* owner);

protected:
    int DefaultWidth() const override { return 10; }
};

// Fixed and variable byte strings (shown as "(Bytes)" / "(VarBytes)").
class TBinaryField : public TField {
    GW_CLASS(TBinaryField)

public:
    explicit TBinaryField(classes::TComponent* owner);

protected:
    TVariant ToNative(const TVariant& value) const override;
    std::string FormatText(const TVariant& value, bool displayText) const override;
};

class TBytesField : public TBinaryField {
    GW_CLASS(TBytesField)

public:
    explicit TBytesField(classes::TComponent* owner);
};

class TVarBytesField : public TBinaryField {
    GW_CLASS(TVarBytesField)

public:
    explicit TVarBytesField(classes::TComponent* owner);
};

// Large values read and written whole or through a blob stream. The display text is the
// type's name in brackets, upper-cased when the field holds a value: "(MEMO)", "(Memo)".
class TBlobField : public TField {
    GW_CLASS(TBlobField)

public:
    explicit TBlobField(classes::TComponent* owner);
    bool IsBlob() const override { return true; }
    TFieldType BlobType() const noexcept { return DataType(); }
    void SetBlobType(TFieldType type);

protected:
    TVariant ToNative(const TVariant& value) const override;
    std::string FormatText(const TVariant& value, bool displayText) const override;
    int DefaultWidth() const override { return 10; }
};

// Text of any length; Text gives the text itself for editing.
class TMemoField : public TBlobField {
    GW_CLASS(TMemoField)

public:
    explicit TMemoField(classes::TComponent* owner);

protected:
    TVariant ToNative(const TVariant& value) const override;
    std::string FormatText(const TVariant& value, bool displayText) const override;
};

class TGraphicField : public TBlobField {
    GW_CLASS(TGraphicField)

public:
    explicit TGraphicField(classes::TComponent* owner);
};

// ---- The field list of a data set ----------------------------------------------------------

class TFields {
public:
    explicit TFields(TDataSet* dataSet) : dataSet_(dataSet) {}

    int Count() const noexcept { return static_cast<int>(fields_.size()); }
    // EListError "List index out of bounds (N)" outside the list.
    TField* Fields(int index) const;
    TField* operator[](int index) const { return Fields(index); }
    // By name (letter case ignored); nullptr when none.
    TField* FindField(std::string_view name) const;
    // By name; EDatabaseError "Field 'X' not found" when none.
    TField* FieldByName(std::string_view name) const;
    int IndexOf(const TField* field) const;

    std::vector<TField*>::const_iterator begin() const { return fields_.begin(); }
    std::vector<TField*>::const_iterator end() const { return fields_.end(); }

private:
    friend class TField;
    friend class TDataSet;
    void Add(TField* field);
    void Remove(TField* field);
    void Clear() { fields_.clear(); }
    void Move(int from, int to);

    TDataSet* dataSet_;
    std::vector<TField*> fields_;
};

}  // namespace db
