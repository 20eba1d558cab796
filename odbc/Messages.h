#pragma once
// The ODBC components' string table: every message they show, under its number. The texts
// are the components' own and are used exactly as they stand.

namespace odbc {

enum TOdbcMessageId {
    SMoreThanOneRowAffected = 65104,
    SInternalInsertNotSupported = 65105,
    SInternalUpdateNotSupported = 65106,
    SInternalDeleteNotSupported = 65107,
    SCantSetEnvAttribute = 65108,
    SDatabaseNotOpened = 65109,
    SParameterNotFound = 65123,
    SParameterTooLarge = 65124,
    SUnableToLoadParams = 65125,
    SFieldUnknownType = 65126,
    SFieldUnsupportedType = 65127,
    SDataSourceNotDefined = 65128,
    SCantAllocEnv = 65129,
    SCantAllocDbc = 65130,
    SRecordNumberUnknown = 65131,
    SAbsoluteNotSupported = 65132,
    STypeNotSupportedForUpdate = 65133,
    SStatementNotDefined = 65134,
    SNoRowsAffected = 65135,
};

// The text of a message; empty for a number the table does not hold.
const char* OdbcMessage(TOdbcMessageId id);

}  // namespace odbc
