#pragma once
// TdbParam, TdbParams: the named parameters of an ODBC query data set, their values and
// types, the byte layout a value takes in a binding buffer, and the stored form of a list
// (the binary property "Data" of the component text form).
//
// A parameter holds one value (db::TVariant) with a field type. 64-bit integers (ftLargeint)
// stay 64-bit and decimals (ftBCD) stay exact decimal text; nothing goes through a double on
// the way to the driver.
//
// Markers in SQL text: ":name" outside quotes is a parameter and becomes "?". "::" outside
// quotes stands for one ":" in the text sent, so a PostgreSQL cast is written
// CAST(x AS int) or x::::int. A quoted name (:"my name" or :'my name') runs to its closing
// quote; an unquoted one ends at the end of the text, a line break, blank, ")", "," or ";".
// Text inside single or double quotes is left as it is; an unbalanced quote runs to the end.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/Persistent.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/Variant.h"
#include "platform/rtl/DateTime.h"

namespace db {
class TField;
}
namespace rtl {
class TStrings;
}
namespace ui {
class TBitmap;
class TPicture;
}

namespace odbc {

class TdbParams;

// Parameter kinds, in the stored order.
enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

// The largest value "Data" stores for one parameter.
constexpr int kMaxStoredParamSize = 2048;
// The longest name "Data" stores (its length takes one byte).
constexpr int kMaxStoredParamName = 255;

class TdbParam : public classes::TPersistent {
    GW_CLASS(TdbParam)

public:
    // Adds itself to `owner` (when given); removes itself when destroyed.
    TdbParam(TdbParams* owner, std::string name = {}, TParamType kind = ptUnknown);
    ~TdbParam() override;

    TdbParams* Owner() const noexcept { return owner_; }
    const std::string& Name() const noexcept { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    // The field type. ftWord reads back as ftSmallint, ftCurrency as ftFloat, ftAutoInc as
    // ftInteger, the binary types as ftBlob; ftCursor is kept (a cursor has no value to bind:
    // it takes no bytes and a statement refuses it); any other type with no binding becomes
    // ftUnknown. Setting it clears the value.
    db::TFieldType DataType() const noexcept { return dataType_; }
    void SetDataType(db::TFieldType type);
    TParamType ParamType() const noexcept { return kind_; }
    void SetParamType(TParamType kind) noexcept { kind_ = kind; }
    bool IsNull() const noexcept { return isNull_; }
    bool Bound() const noexcept { return bound_; }
    void SetBound(bool bound) noexcept { bound_ = bound; }
    const db::TVariant& Value() const noexcept { return value_; }
    // Keeps the data type (ftUnknown takes the value's own kind).
    void SetValue(const db::TVariant& value);
    // Null value, IsNull true.
    void Clear();

    void SetAsString(const std::string& value);
    void SetAsMemo(const std::string& value);
    void SetAsSmallInt(int value);
    void SetAsWord(int value);
    void SetAsInteger(int value);
    void SetAsLargeInt(std::int64_t value);
    void SetAsBoolean(bool value);
    void SetAsFloat(double value);
    void SetAsCurrency(double value);
    // Exact decimal text (EConvertError when it is none).
    void SetAsBCD(std::string_view decimalText);
    void SetAsDate(rtl::TDateTime value);
    void SetAsTime(rtl::TDateTime value);
    void SetAsDateTime(rtl::TDateTime value);
    void SetAsBlob(std::string bytes);

    std::string AsString() const { return value_.AsString(); }
    // 0 for a null parameter.
    rtl::TDateTime AsDateTime() const { return isNull_ ? 0.0 : value_.AsDateTime(); }

    // From another parameter: type, value or null, Bound and name; its kind when this one's
    // is unknown. From a field: AssignField. From a bitmap: the bitmap saved as a BMP file,
    // as a binary value. From a picture that holds an image: the picture's file bytes (what a
    // form stores), as a binary value. Anything else, an empty picture included, raises
    // EConvertError "Cannot assign a <class> to a TdbParam".
    void Assign(const classes::TPersistent& source) override;
    // The list's text as a memo value.
    void Assign(const rtl::TStrings& source);
    // Type from the field (a memo longer than 255 characters as ftString), value, Bound, name.
    void AssignField(const db::TField& field);
    void AssignFieldValue(const db::TField& field, const db::TVariant& value);

    // ---- Binding-buffer layout ----------------------------------------------------------
    // Size of the value in the layout below; 65126 for ftUnknown, 65127 for a type without
    // one. Text: its bytes + 1 (zero-terminated); 16-bit small integers and booleans; 32-bit
    // integers, dates (day number of the time stamp) and times (milliseconds of the day);
    // 64-bit integers; doubles for floats and date-times (milliseconds of the time stamp);
    // decimals as their text, zero-terminated; binary values as their bytes.
    int GetDataSize() const;
    // Writes the value (GetDataSize bytes) to `buffer`.
    void GetData(void* buffer) const;
    // Reads a value of this type from `buffer` of `size` bytes.
    void SetData(const void* buffer, int size);

    friend bool operator==(const TdbParam& a, const TdbParam& b);

protected:
    // A field given a parameter (Field.Assign(Param)) takes its value, or null.
    void AssignTo(classes::TPersistent& dest) const override;

private:
    friend class TdbParams;
    void AssignParam(const TdbParam& source);
    void AssignPicture(const ui::TPicture& picture);
    void AssignBitmap(const ui::TBitmap& bitmap);
    void SetTypedValue(db::TFieldType type, db::TVariant value);
    [[noreturn]] void TypeError() const;

    TdbParams* owner_ = nullptr;
    db::TVariant value_;
    std::string name_;
    db::TFieldType dataType_ = db::ftUnknown;
    TParamType kind_ = ptUnknown;
    bool isNull_ = true;
    bool bound_ = false;
};

class TdbParams {
public:
    TdbParams() = default;
    ~TdbParams();
    TdbParams(const TdbParams&) = delete;
    TdbParams& operator=(const TdbParams&) = delete;

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    TdbParam& Items(int index) const;
    TdbParam& operator[](int index) const { return Items(index); }
    TdbParam& CreateParam(db::TFieldType type, const std::string& name, TParamType kind);
    // Letter case ignored; nullptr when none.
    TdbParam* FindParam(std::string_view name) const;
    // 65123 "Parameter 'X' not found" when none.
    TdbParam& ParamByName(std::string_view name) const;
    void Clear();
    // Every parameter of `source` named exactly like one of these is assigned to it.
    void AssignValues(const TdbParams& source);
    // A copy of every parameter of `source`.
    void Assign(const TdbParams& source);
    friend bool operator==(const TdbParams& a, const TdbParams& b);

    // ---- Stored form ("Data") -----------------------------------------------------------
    // Version 1. Raises 65124 "Parameter '<name>', cannot save data larger than <n> bytes"
    // for a value above kMaxStoredParamSize bytes (n = 2048) and for a name longer than
    // kMaxStoredParamName bytes (n = 255).
    std::string WriteData() const;
    // Versions 1 and 2. Clears the list first; a stream that is short, corrupt or of another
    // version raises 65125 "Unable to load bind parameters" and leaves the list empty.
    void ReadData(std::string_view data);

private:
    friend class TdbParam;
    std::vector<TdbParam*> items_;
};

// Replaces the parameter markers of `sql` with "?" and "::" with ":" (see above). With
// `params`, the list is rebuilt from the markers (ftUnknown, input), keeping the values of
// the parameters the old list had under the same names.
std::string ParseSQL(std::string_view sql, TdbParams* params);
// The names of the markers in order (a name used twice is listed twice).
std::vector<std::string> ParamNames(std::string_view sql);

// The class library's time stamp of a date-time value: day number (1 = 1 January 0001) and
// milliseconds of the day; and back.
std::int32_t DateTimeToDayNumber(rtl::TDateTime value);
std::int32_t DateTimeToDayMSecs(rtl::TDateTime value);
rtl::TDateTime DayNumberToDateTime(std::int32_t day);
double DateTimeToMSecs(rtl::TDateTime value);
rtl::TDateTime MSecsToDateTime(double msecs);

}  // namespace odbc
