#pragma once
// Field types in the class library's order, and the ADO type tables that map between ADO
// data-type codes and field types.

#include <string>

#include "platform/classes/TypInfo.h"

namespace db {

// The order is the class library's; code and stored texts rely on it.
enum TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate,
    ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo,
    ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT,
    ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid
};

// "ftUnknown" ... "ftGuid", for published properties and messages.
const classes::TEnumInfo& FieldTypeInfo();
// The display name of a type as the class library's messages use it ("String", "Integer",
// "Memo", "DateTime" ...).
std::string FieldTypeDisplayName(TFieldType type);

// ---- ADO data types (DataTypeEnum) --------------------------------------------------------
enum TAdoDataType : int {
    adEmpty = 0, adSmallInt = 2, adInteger = 3, adSingle = 4, adDouble = 5, adCurrency = 6, adDate = 7,
    adBSTR = 8, adIDispatch = 9, adError = 10, adBoolean = 11, adVariant = 12, adIUnknown = 13,
    adDecimal = 14, adTinyInt = 16, adUnsignedTinyInt = 17, adUnsignedSmallInt = 18,
    adUnsignedInt = 19, adBigInt = 20, adUnsignedBigInt = 21, adFileTime = 64, adGUID = 72,
    adBinary = 128, adChar = 129, adWChar = 130, adNumeric = 131, adUserDefined = 132, adDBDate = 133,
    adDBTime = 134, adDBTimeStamp = 135, adChapter = 136, adPropVariant = 138, adVarNumeric = 139,
    adVarChar = 200, adLongVarChar = 201, adVarWChar = 202, adLongVarWChar = 203, adVarBinary = 204,
    adLongVarBinary = 205
};

// ADO type code → field type; `enableBCD` decides whether exact numerics (14, 131, 139)
// become ftBCD or ftFloat.
TFieldType DataTypeToFieldType(int adoType, bool enableBCD);
// Field type → ADO type code (0 when none).
int FieldTypeToDataType(TFieldType type);
// The short type names of the visual query's column descriptions ("string", "integer" ...).
std::string FieldTypeName(TFieldType type);

// ODBC SQL type (as SQLDescribeCol and the catalogue functions report it) → the ADO type the
// OLE DB provider for ODBC gives it. Unsigned integers take the next wider type, so that no
// value falls outside its field's range; unknown types are read as variable-length text.
int SqlTypeToDataType(int sqlType, bool isUnsigned);

}  // namespace db
