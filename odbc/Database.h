#pragma once
// TdbDataBase: one ODBC connection opened on a session's environment, the query data sets
// attached to it, and the listing of the machine's data sources.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "odbc/OdbcSql.h"
#include "odbc/Session.h"
#include "platform/classes/Component.h"
#include "platform/db/FieldTypes.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Types.h"

namespace odbc {

class TdbDataBase;

enum TdbDriverCompletion { sdPrompt, sdComplete, sdCompleteReq, sdNoPrompt };
enum TdbOdbcCursors { ocUSE_IF_NEEDED, ocUSE_ODBC, ocUSE_DRIVER };
enum TdbIsolationLevels { TxnDefault, TxnDirtyRead, TxnReadCommitted, TxnRepeatableRead, TxnSerializable };

using TdbLoginEvent = classes::TEvent<TdbDataBase*>;

// The cursor shown while the database connects and disconnects.
constexpr ui::TCursor crSQLWait = -17;

// What a database needs of a query data set attached to it. A data set attaches itself
// with AddDataSet when its database is set and detaches itself with RemoveDataSet before it
// goes or changes database.
//
// A data set without a database that is inserted into the database's owner is attached to
// the database (Notification). A data set constructed with that owner is announced while it
// is still being constructed, when it cannot yet be recognised as a data set; its own
// constructor has to look for the database then.
class TdbAttachedDataSet {
public:
    // Closes the data set and frees its statement handle: the connection is closing. Must
    // not raise.
    virtual void ReleaseStatement() noexcept = 0;
    virtual TdbDataBase* Database() const = 0;
    // Attaches the data set to `database` (and detaches it from its previous one).
    virtual void SetDatabase(TdbDataBase* database) = 0;

protected:
    ~TdbAttachedDataSet() = default;
};

// The connection string of a parameter list: the lines joined with ";". A value (the text
// after a line's first "=") holding ";", "{" or "}" is enclosed in braces, each "}" in it
// doubled, unless it already is such a braced value, so that it reaches the driver whole.
std::string ParamsToConnectString(const rtl::TStrings& params);

// The SQL data type a parameter of that field type is bound as: SQL_CHAR, SQL_SMALLINT
// (booleans too), SQL_INTEGER, SQL_BIGINT (64-bit integers), SQL_DOUBLE, SQL_DECIMAL (exact
// decimals, sent as their text), the ODBC 3 date, time and timestamp types,
// SQL_LONGVARBINARY, SQL_LONGVARCHAR; 0 for the types that have none.
std::int16_t FieldTypeToSQLType(db::TFieldType type);

class TdbDataBase : public classes::TComponent {
    GW_CLASS(TdbDataBase)

public:
    explicit TdbDataBase(classes::TComponent* owner);
    ~TdbDataBase() override;

    // ---- Connection ---------------------------------------------------------------------
    // Opens the connection (nothing when connected). Raises 65130 when no connection handle
    // can be had, ESQLerror for a failed attribute or connect call ("Database not opened"
    // when the connect ends with SQL_NO_DATA); after any failure the database is
    // disconnected and holds no handle.
    void Connect();
    // Releases the statements of the attached data sets and closes the connection; the
    // data sets stay attached. Nothing when not connected.
    void Disconnect();
    bool Connected() const noexcept { return static_cast<bool>(handle_); }
    THandle Handle() const noexcept { return handle_.Get(); }
    // The completed connection string the driver returned on the last connect.
    const std::string& ConnectString() const noexcept { return connectString_; }

    // The environment of Session(), or of the default session without one.
    THandle SessionHandle();

    // Raises ESQLerror with the connection's records for any result but SQL_SUCCESS.
    void CheckResult(TSqlReturn returnCode);
    // SQLGetInfo on the connection. SQL_SUCCESS_WITH_INFO and SQL_ERROR raise ESQLerror
    // with the connection's records; SQL_INVALID_HANDLE, SQL_STILL_EXECUTING and other
    // results raise an ESQLerror named after the result, without records.
    void GetInfo(std::uint16_t infoType, void* value, std::int16_t bufferLength, std::int16_t* stringLength);

    // Replaces `list` with the names of the user and system data sources, in the driver
    // manager's order, each whole. Needs no connection; ODBC failures end the list silently.
    void GetDataSources(rtl::TStrings& list);

    // ---- Attached query data sets -----------------------------------------------------------
    // The data set's index, appending it when absent.
    int AddDataSet(TdbAttachedDataSet* dataSet);
    void RemoveDataSet(TdbAttachedDataSet* dataSet);
    int DataSetCount() const noexcept { return static_cast<int>(dataSets_.size()); }

    // ---- Wait cursor ----------------------------------------------------------------------
    // With ShowWaitCursor on, StartWait puts up WaitCursor on the screen and EndWait takes it
    // down again, restoring the cursor it replaced.
    void StartWait();
    void EndWait();

    // ---- Published properties -----------------------------------------------------------
    // Params.Values["DSN"].
    std::string DataBaseName() const;
    void SetDataBaseName(const std::string& name);
    TdbDriverCompletion DriverCompletion() const noexcept { return driverCompletion_; }
    void SetDriverCompletion(TdbDriverCompletion value) noexcept { driverCompletion_ = value; }
    TdbOdbcCursors OdbcCursors() const noexcept { return odbcCursors_; }
    void SetOdbcCursors(TdbOdbcCursors value) noexcept { odbcCursors_ = value; }
    // Connection attributes, one key=value line each.
    rtl::TStringList* Params() const noexcept { return params_.get(); }
    void SetParams(const rtl::TStrings& params);
    // nullptr: the default session. Setting it disconnects first; a session that is freed
    // is dropped (the database falls back to the default session).
    TdbSession* Session() const noexcept { return session_; }
    void SetSession(TdbSession* session);
    TdbIsolationLevels TransIsolation() const noexcept { return transIsolation_; }
    void SetTransIsolation(TdbIsolationLevels value) noexcept { transIsolation_ = value; }
    ui::TCursor WaitCursor() const noexcept { return waitCursor_; }
    void SetWaitCursor(ui::TCursor cursor) noexcept { waitCursor_ = cursor; }
    bool ShowWaitCursor() const noexcept { return showWaitCursor_; }
    void SetShowWaitCursor(bool show) noexcept { showWaitCursor_ = show; }

    // Called before the connection string is built; may still change Params.
    TdbLoginEvent OnConnect;

    void Notification(classes::TComponent* component, classes::TOperation operation) override;

private:
    TdbSession& EffectiveSession();
    void ReleaseConnection() noexcept;

    std::string connectString_;
    std::vector<TdbAttachedDataSet*> dataSets_;
    TdbDriverCompletion driverCompletion_ = sdCompleteReq;
    TOwnedHandle handle_;
    TdbSession* connectedOn_ = nullptr;
    TdbOdbcCursors odbcCursors_ = ocUSE_DRIVER;
    std::unique_ptr<rtl::TStringList> params_;
    TdbSession* session_ = nullptr;
    TdbIsolationLevels transIsolation_ = TxnDefault;
    ui::TCursor waitCursor_ = crSQLWait;
    ui::TCursor savedCursor_ = 0;
    bool showWaitCursor_ = false;
};

}  // namespace odbc
