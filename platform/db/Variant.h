#pragma once
// The value of a field, a locate key or a schema restriction: null or one typed value.
//
// Integers are 64-bit and decimals are kept as their exact decimal text, so neither is ever
// squeezed through a double. Texts are UTF-8; byte strings travel in a std::string as well
// but keep their own kind. Conversions follow the class library's variants: numbers and
// dates become text with the process-wide format settings, text becomes a number or a date
// when it reads as one (EConvertError otherwise), and null converts to nothing
// (EVariantError "Could not convert variant of type (Null) into type ...").

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"

namespace db {

enum class TVarType { Null, Boolean, Integer, Float, Decimal, DateTime, String, Bytes };

class EVariantError : public rtl::Exception {
    using Exception::Exception;
};

class TVariant {
public:
    TVariant() = default;  // null
    TVariant(bool value) : type_(TVarType::Boolean), int_(value ? 1 : 0) {}
    TVariant(int value) : type_(TVarType::Integer), int_(value) {}
    TVariant(long value) : type_(TVarType::Integer), int_(value) {}
    TVariant(long long value) : type_(TVarType::Integer), int_(static_cast<std::int64_t>(value)) {}
    TVariant(unsigned value) : type_(TVarType::Integer), int_(value) {}
    TVariant(double value) : type_(TVarType::Float), float_(value) {}
    TVariant(std::string value) : type_(TVarType::String), text_(std::move(value)) {}
    TVariant(std::string_view value) : type_(TVarType::String), text_(value) {}
    TVariant(const char* value) : type_(TVarType::String), text_(value ? value : "") {}

    static TVariant Null() { return {}; }
    static TVariant FromDateTime(rtl::TDateTime value);
    // `text` is a decimal number: optional "-", digits, optional "." and digits (a "+" sign,
    // blanks around it and leading zeros are dropped). EConvertError when it is none.
    static TVariant FromDecimal(std::string_view text);
    static TVariant FromBytes(std::string bytes);
    // A decimal whose text is already in the form FromDecimal gives (no checks).
    static TVariant FromCanonicalDecimal(std::string text);

    TVarType Type() const noexcept { return type_; }
    bool IsNull() const noexcept { return type_ == TVarType::Null; }
    bool IsNumeric() const noexcept
    {
        return type_ == TVarType::Integer || type_ == TVarType::Float || type_ == TVarType::Decimal;
    }
    // The type's name as the class library's variants call it ("Null", "Int64", "String" ...).
    std::string TypeName() const;

    bool AsBoolean() const;
    std::int64_t AsInt64() const;  // EConvertError when out of range or not integral text
    int AsInteger() const;         // the same, 32-bit
    double AsFloat() const;
    // Decimal text with "." as the separator: exact for integers and decimals. EConvertError
    // for what is no number (a decimal column's NaN or infinity).
    std::string AsDecimalText() const;
    rtl::TDateTime AsDateTime() const;
    // Null gives the empty text.
    std::string AsString() const&;
    // The same, handing over a stored text instead of copying it.
    std::string AsString() &&;
    // Text and byte strings as stored; other kinds as AsString.
    const std::string& Text() const noexcept { return text_; }

    friend bool operator==(const TVariant& a, const TVariant& b);

private:
    [[noreturn]] void CannotConvert(const char* target) const;

    TVarType type_ = TVarType::Null;
    std::int64_t int_ = 0;
    double float_ = 0;
    std::string text_;
};

// Order of two values for locating and sorting: null first, numbers by value (integers and
// decimals exactly), dates by value, texts by code point (or by CompareText when
// `caseInsensitive`), booleans False first. Values of different kinds are compared after
// converting the second to the first's kind; when that fails they compare as texts.
int CompareVariants(const TVariant& a, const TVariant& b, bool caseInsensitive = false);

// Exact comparison of two decimal texts as AsDecimalText writes them. A decimal column's
// NaN, Infinity and -Infinity (kept as the server's text) order as the server orders them:
// -Infinity, the numbers, Infinity, NaN.
int CompareDecimalText(std::string_view a, std::string_view b);

}  // namespace db
