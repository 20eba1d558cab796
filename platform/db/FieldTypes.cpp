#include "platform/db/FieldTypes.h"

#include <sql.h>
#include <sqlext.h>

#include <array>

namespace db {

namespace {

constexpr int kFieldTypeCount = ftGuid + 1;

}  // namespace

const classes::TEnumInfo& FieldTypeInfo()
{
    static const classes::TEnumInfo info{
        "TFieldType",
        {"ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean", "ftFloat", "ftCurrency", "ftBCD",
         "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes", "ftAutoInc", "ftBlob", "ftMemo", "ftGraphic",
         "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary", "ftCursor", "ftFixedChar", "ftWideString",
         "ftLargeint", "ftADT", "ftArray", "ftReference", "ftDataSet", "ftOraBlob", "ftOraClob", "ftVariant",
         "ftInterface", "ftIDispatch", "ftGuid"}};
    return info;
}

std::string FieldTypeDisplayName(TFieldType type)
{
    static const std::array<const char*, kFieldTypeCount> names{
        "Unknown", "String", "SmallInt", "Integer", "Word", "Boolean", "Float", "Currency", "BCD", "Date",
        "Time", "DateTime", "Bytes", "VarBytes", "AutoInc", "Blob", "Memo", "Graphic", "FmtMemo", "ParadoxOle",
        "dBaseOle", "TypedBinary", "Cursor", "FixedChar", "WideString", "LargeInt", "ADT", "Array",
        "Reference", "DataSet", "OraBlob", "OraClob", "Variant", "Interface", "IDispatch", "Guid"};
    const int i = static_cast<int>(type);
    return i >= 0 && i < kFieldTypeCount ? names[static_cast<std::size_t>(i)] : "Unknown";
}

TFieldType DataTypeToFieldType(int adoType, bool enableBCD)
{
    switch (adoType) {
    case adSmallInt:
    case adTinyInt: return ftSmallint;
    case adInteger:
    case adError:
    case adUnsignedInt: return ftInteger;
    case adSingle:
    case adDouble: return ftFloat;
    case adCurrency: return ftBCD;
    case adDate:
    case adFileTime:
    case adDBTimeStamp:
    case 137: return ftDateTime;
    case adBSTR:
    case adWChar:
    case adVarWChar: return ftWideString;
    case adIDispatch: return ftIDispatch;
    case adBoolean: return ftBoolean;
    case adVariant:
    case adPropVariant: return ftVariant;
    case adIUnknown: return ftInterface;
    case adDecimal:
    case adNumeric:
    case adVarNumeric: return enableBCD ? ftBCD : ftFloat;
    case adUnsignedTinyInt:
    case adUnsignedSmallInt: return ftWord;
    case adBigInt:
    case adUnsignedBigInt: return ftLargeint;
    case adGUID: return ftGuid;
    case adBinary: return ftBytes;
    case adChar: return ftFixedChar;
    case adDBDate: return ftDate;
    case adDBTime: return ftTime;
    case adChapter: return ftDataSet;
    case adVarChar: return ftString;
    case adLongVarChar:
    case adLongVarWChar: return ftMemo;
    case adVarBinary: return ftVarBytes;
    case adLongVarBinary: return ftBlob;
    default: return ftUnknown;
    }
}

int FieldTypeToDataType(TFieldType type)
{
    switch (type) {
    case ftString:
    case ftWideString: return adVarChar;
    case ftSmallint: return adSmallInt;
    case ftInteger:
    case ftAutoInc: return adInteger;
    case ftWord: return adUnsignedSmallInt;
    case ftBoolean: return adBoolean;
    case ftFloat: return adDouble;
    case ftCurrency:
    case ftBCD: return adCurrency;
    case ftDate: return adDBDate;
    case ftTime: return adDBTime;
    case ftDateTime: return adDBTimeStamp;
    case ftBytes: return adBinary;
    case ftVarBytes: return adVarBinary;
    case ftBlob:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary: return adLongVarBinary;
    case ftMemo: return adLongVarChar;
    case ftFixedChar: return adChar;
    case ftLargeint: return adBigInt;
    case ftVariant: return adVariant;
    case ftInterface: return adIUnknown;
    case ftIDispatch: return adIDispatch;
    case ftGuid: return adGUID;
    default: return adEmpty;
    }
}

std::string FieldTypeName(TFieldType type)
{
    // "curreny" is the text the column descriptions have always shown.
    static const std::array<const char*, kFieldTypeCount> names{
        "Unknown", "string",   "smallint",   "integer",  "word",       "boolean",  "real",     "curreny",
        "BCD",     "date",     "time",       "datetime", "byte",       "varbyte",  "auto",     "blob",
        "memo",    "bitmap",   "rtf",        "paradoxOLE", "dbaseOLE", "binary",   "cursor",   "char",
        "widestring", "largeint", "abstract", "array",   "ref",        "dataset",  "oraBLOB",  "oraCLOB",
        "variant", "IUnknown", "IDispatch",  "GUID"};
    const int i = static_cast<int>(type);
    return i >= 0 && i < kFieldTypeCount ? names[static_cast<std::size_t>(i)] : "Unknown";
}

int SqlTypeToDataType(int sqlType, bool isUnsigned)
{
    switch (sqlType) {
    case SQL_CHAR: return adChar;
    case SQL_VARCHAR: return adVarChar;
    case SQL_LONGVARCHAR: return adLongVarChar;
    case SQL_WCHAR: return adWChar;
    case SQL_WVARCHAR: return adVarWChar;
    case SQL_WLONGVARCHAR: return adLongVarWChar;
    case SQL_DECIMAL:
    case SQL_NUMERIC: return adNumeric;
    case SQL_BIT: return adBoolean;
    case SQL_TINYINT: return isUnsigned ? adUnsignedTinyInt : adTinyInt;
    case SQL_SMALLINT: return isUnsigned ? adUnsignedSmallInt : adSmallInt;
    // An unsigned 32-bit value does not fit a 32-bit field; an unsigned 64-bit one keeps
    // every digit as an exact numeric.
    case SQL_INTEGER: return isUnsigned ? adBigInt : adInteger;
    case SQL_BIGINT: return isUnsigned ? adNumeric : adBigInt;
    case SQL_REAL: return adSingle;
    case SQL_FLOAT:
    case SQL_DOUBLE: return adDouble;
    case SQL_DATE:
    case SQL_TYPE_DATE: return adDBDate;
    case SQL_TIME:
    case SQL_TYPE_TIME: return adDBTime;
    case SQL_TIMESTAMP:
    case SQL_TYPE_TIMESTAMP: return adDBTimeStamp;
    case SQL_BINARY: return adBinary;
    case SQL_VARBINARY: return adVarBinary;
    case SQL_LONGVARBINARY: return adLongVarBinary;
    case SQL_GUID: return adGUID;
    default: return adVarChar;
    }
}

}  // namespace db
