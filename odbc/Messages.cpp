#include "odbc/Messages.h"

namespace odbc {

const char* OdbcMessage(TOdbcMessageId id)
{
    switch (id) {
    case SMoreThanOneRowAffected: return "More then one rows affected";
    case SInternalInsertNotSupported: return "Internal insert is not supported by the driver";
    case SInternalUpdateNotSupported: return "Internal update is not supported by the driver";
    case SInternalDeleteNotSupported: return "Internal delete is not supported by the driver";
    case SCantSetEnvAttribute: return "Can`t set enviroument attribute";
    case SDatabaseNotOpened: return "Database not opened";
    case SParameterNotFound: return "Parameter '%s' not found";
    case SParameterTooLarge: return "Parameter '%s', cannot save data larger than %d bytes";
    case SUnableToLoadParams: return "Unable to load bind parameters";
    case SFieldUnknownType: return "Field '%s' is of unknown type";
    case SFieldUnsupportedType: return "Field '%s' is of an unsupported type";
    case SDataSourceNotDefined: return "ODBC datasource not defined";
    case SCantAllocEnv: return "Can`t allocate enviroument handle";
    case SCantAllocDbc: return "Can`t allocate HDBC handle";
    case SRecordNumberUnknown: return "Record Number can't be determined by driver";
    case SAbsoluteNotSupported: return "Absolute set to record is not supported by driver";
    case STypeNotSupportedForUpdate:
        return "Sorry :(  but this type not supported for update. Look SetFieldData function";
    case SStatementNotDefined: return "sql statement not defined";
    case SNoRowsAffected: return "No rows affected";
    }
    return "";
}

}  // namespace odbc
