#pragma once
// The ADO-like connection: an OLE DB initialisation string (or "FILE NAME=" and a data-link
// file) opened through ODBC, with the before-connect event, the provider's properties and the
// schema rowsets the visual query reads.
//
// Opening: BeforeConnect; the string (with the data-link file's string in place of
// "FILE NAME=", the rest of the given string overriding it); the login prompt when
// LoginPrompt is set and a login dialog is installed; OnWillConnect with the connection
// string, user name and password (a handler may change them, or set the status to esCancel,
// which fails the open with "The connection was cancelled by the user."); translation to an
// ODBC connection string (ConnectionString.h); SQLDriverConnect; AfterConnect. A user name
// or password that the login or the event supplies replaces the string's own.
//
// Schema rowsets have the OLE DB column names:
//   siTables         TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE, TABLE_GUID,
//                    DESCRIPTION, TABLE_PROPID, DATE_CREATED, DATE_MODIFIED
//                    restrictions: catalog, schema, table name, table type
//   siColumns        TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, COLUMN_GUID,
//                    COLUMN_PROPID, ORDINAL_POSITION, COLUMN_HASDEFAULT, COLUMN_DEFAULT,
//                    COLUMN_FLAGS, IS_NULLABLE, DATA_TYPE (ADO type), TYPE_GUID,
//                    CHARACTER_MAXIMUM_LENGTH, CHARACTER_OCTET_LENGTH, NUMERIC_PRECISION,
//                    NUMERIC_SCALE, DATETIME_PRECISION, DESCRIPTION
//                    restrictions: catalog, schema, table name, column name
//   siProviderTypes  TYPE_NAME, DATA_TYPE, COLUMN_SIZE, LITERAL_PREFIX, LITERAL_SUFFIX,
//                    CREATE_PARAMS, IS_NULLABLE, CASE_SENSITIVE, SEARCHABLE,
//                    UNSIGNED_ATTRIBUTE, FIXED_PREC_SCALE, AUTO_UNIQUE_VALUE, LOCAL_TYPE_NAME,
//                    MINIMUM_SCALE, MAXIMUM_SCALE, GUID, TYPELIB, VERSION, IS_LONG,
//                    BEST_MATCH, IS_FIXEDLENGTH
//                    restrictions: data type, best match
//   siIndexes        TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, INDEX_NAME, PRIMARY_KEY, UNIQUE,
//                    ORDINAL_POSITION, COLUMN_NAME, COLLATION (1 ascending, 2 descending)
//                    one row per column of each index, in index and column order
//                    restrictions: catalog, schema, index name, type (unused), table name;
//                    the table name is required ("The index rowset needs a table name").
//                    PRIMARY_KEY is True for the unique index whose columns are the table's
//                    primary key, where the driver names both.
//   siDBInfoLiterals LiteralName, LiteralValue, InvalidChars, InvalidStartingChars, Literal,
//                    Supported, Maxlen (only the literals the driver supports)
// Restrictions are exact values (not patterns); a null or empty one restricts nothing.
// The catalogue functions of the driver serve them.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/db/Recordset.h"
#include "platform/db/Variant.h"

namespace db {

class TADOConnection;
class TCustomADODataSet;
class TOdbcConnection;
class TOdbcLink;
class TADODataSet;

enum TConnectOption { coConnectUnspecified, coAsyncConnect };
enum TEventStatus { esOK, esErrorsOccured, esCantDeny, esCancel, esUnwantedEvent };
enum TSchemaInfo { siTables, siColumns, siProviderTypes, siDBInfoLiterals, siIndexes };

// (connection, connection string, user id, password, options, status)
using TWillConnectEvent =
    classes::TEvent<TADOConnection*, std::string&, std::string&, std::string&, TConnectOption&, TEventStatus&>;

// The login dialog of the windowing layer: (data source shown to the user, in-out user name,
// out password) → true on OK.
using TLoginDialogProc = std::function<bool(const std::string& dataSource, std::string& userName, std::string& password)>;

struct TProviderProperty {
    std::string name;
    TVariant value;
};

class TADOConnection : public classes::TComponent {
    GW_CLASS(TADOConnection)

public:
    explicit TADOConnection(classes::TComponent* owner);
    ~TADOConnection() override;

    const std::string& ConnectionString() const noexcept { return connectionString_; }
    // EDatabaseError "Cannot perform this operation on an open connection" while connected.
    void SetConnectionString(const std::string& text);
    bool LoginPrompt() const noexcept { return loginPrompt_; }
    void SetLoginPrompt(bool prompt) { loginPrompt_ = prompt; }
    // Seconds the open may take (the login timeout) and each call of a statement into the
    // driver may take (the query timeout); 0: no limit, a negative value counts as 0. A
    // database that outlasts them gives the driver's message or "The database did not answer
    // within N seconds." as a lost connection (OdbcHandles.h). The query timeout holds at
    // once, the login timeout from the next open.
    static constexpr int kDefaultConnectionTimeout = 15;
    static constexpr int kDefaultCommandTimeout = 30;
    int ConnectionTimeout() const noexcept;
    void SetConnectionTimeout(int seconds);
    int CommandTimeout() const noexcept;
    void SetCommandTimeout(int seconds);
    // The provider the string names ("MSDASQL.1"); "MSDASQL" when it names none.
    std::string Provider() const;

    bool Connected() const noexcept;
    void SetConnected(bool connected);
    void Open();
    // Opens with these credentials in place of the string's own.
    void Open(const std::string& userId, const std::string& password);
    // Closes the data sets that use the connection, then the connection.
    void Close();

    // Runs a statement that returns no rows; the number of rows it touched (-1 when the driver
    // cannot tell).
    long long Execute(const std::string& sql);

    // Fills `dataSet` (closed first) with a schema rowset and opens it.
    void OpenSchema(TSchemaInfo schema, const std::vector<TVariant>& restrictions, TADODataSet* dataSet);

    // The provider's properties: "Provider Name", "DBMS Name", "DBMS Version",
    // "Special Characters", "Data Source Name", "Driver Name", "Driver Version", "User Name",
    // "Current Catalog" and "Identifier Quote Char". Empty while closed.
    std::vector<TProviderProperty> Properties() const;
    // A property by name (ignoring case); null when absent or closed.
    TVariant PropertyValue(std::string_view name) const;

    int DataSetCount() const noexcept { return static_cast<int>(dataSets_.size()); }
    TCustomADODataSet* DataSets(int index) const { return dataSets_.at(static_cast<std::size_t>(index)); }

    // The ODBC connection below (for components that issue their own statements; its
    // interface is the data layer's private OdbcHandles.h).
    TOdbcConnection& OdbcConnection() noexcept { return *odbc_; }
    // The ODBC connection string of the last successful open.
    const std::string& OdbcConnectionString() const noexcept { return odbcString_; }

    // Installs the windowing layer's login dialog (nullptr: none; LoginPrompt then asks
    // nothing).
    static void SetLoginDialogProc(TLoginDialogProc proc);

    classes::TEvent<TADOConnection*> BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;
    TWillConnectEvent OnWillConnect;

    void Loaded() override;

private:
    friend class TCustomADODataSet;
    void RegisterDataSet(TCustomADODataSet* dataSet);
    void UnregisterDataSet(TCustomADODataSet* dataSet);
    void DoConnect(std::string userId, std::string password, bool credentialsGiven);
    // The link to the server is gone: close quietly so that the next open reconnects.
    void ConnectionLost() noexcept;
    // Read on the connection's worker (TOdbcConnection::Run): they touch nothing of the object.
    static std::unique_ptr<TRecordset> SchemaTables(TOdbcLink& link, const std::vector<TVariant>& r);
    static std::unique_ptr<TRecordset> SchemaColumns(TOdbcLink& link, const std::vector<TVariant>& r);
    static std::unique_ptr<TRecordset> SchemaIndexes(TOdbcLink& link, const std::vector<TVariant>& r);
    static std::unique_ptr<TRecordset> SchemaProviderTypes(TOdbcLink& link, const std::vector<TVariant>& r);
    std::unique_ptr<TRecordset> SchemaLiterals();

    std::string connectionString_;
    bool loginPrompt_ = true;
    bool streamedConnected_ = false;
    std::unique_ptr<TOdbcConnection> odbc_;
    std::string odbcString_;
    std::vector<TCustomADODataSet*> dataSets_;
};

// The full initialisation string of `connectionString`: when it holds "FILE NAME=", the
// data-link file's string with the string's other keys laid over it. EDatabaseError when the
// file cannot be read.
std::string ResolveDataLink(const std::string& connectionString);

}  // namespace db
