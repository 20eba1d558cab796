#include "odbc/Database.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "odbc/Messages.h"
#include "odbc/OdbcApi.h"
#include "odbc/SqlError.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/Forms.h"

namespace odbc {

namespace {

const classes::TEnumInfo& DriverCompletionInfo()
{
    static const classes::TEnumInfo info{"TdbDriverCompletion", {"sdPrompt", "sdComplete", "sdCompleteReq", "sdNoPrompt"}};
    return info;
}

const classes::TEnumInfo& OdbcCursorsInfo()
{
    static const classes::TEnumInfo info{"TdbOdbcCursors", {"ocUSE_IF_NEEDED", "ocUSE_ODBC", "ocUSE_DRIVER"}};
    return info;
}

const classes::TEnumInfo& IsolationInfo()
{
    static const classes::TEnumInfo info{
        "TdbIsolationLevels", {"TxnDefault", "TxnDirtyRead", "TxnReadCommitted", "TxnRepeatableRead", "TxnSerializable"}};
    return info;
}

SQLUSMALLINT CompletionMode(TdbDriverCompletion completion)
{
    switch (completion) {
    case sdPrompt: return SQL_DRIVER_PROMPT;
    case sdComplete: return SQL_DRIVER_COMPLETE;
    case sdCompleteReq: return SQL_DRIVER_COMPLETE_REQUIRED;
    case sdNoPrompt: break;
    }
    return SQL_DRIVER_NOPROMPT;
}

SQLULEN CursorLibraryUse(TdbOdbcCursors cursors)
{
    switch (cursors) {
    case ocUSE_IF_NEEDED: return SQL_CUR_USE_IF_NEEDED;
    case ocUSE_ODBC: return SQL_CUR_USE_ODBC;
    case ocUSE_DRIVER: break;
    }
    return SQL_CUR_USE_DRIVER;
}

SQLLEN IsolationValue(TdbIsolationLevels level)
{
    switch (level) {
    case TxnDirtyRead: return SQL_TXN_READ_UNCOMMITTED;
    case TxnReadCommitted: return SQL_TXN_READ_COMMITTED;
    case TxnRepeatableRead: return SQL_TXN_REPEATABLE_READ;
    case TxnSerializable: return SQL_TXN_SERIALIZABLE;
    case TxnDefault: break;
    }
    return 0;
}

// A value already in braces, every "}" inside them doubled.
bool IsBracedValue(std::string_view value)
{
    if (value.size() < 2 || value.front() != '{' || value.back() != '}') return false;
    const std::string_view inner = value.substr(1, value.size() - 2);
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] != '}') continue;
        if (i + 1 >= inner.size() || inner[i + 1] != '}') return false;
        ++i;
    }
    return true;
}

std::string BracedIfNeeded(std::string_view value)
{
    if (value.find_first_of(";{}") == std::string_view::npos || IsBracedValue(value)) return std::string(value);
    std::string result = "{";
    for (char c : value) {
        result += c;
        if (c == '}') result += '}';
    }
    result += '}';
    return result;
}

// The largest buffer an ODBC call with a 16-bit length can fill.
constexpr SQLSMALLINT kLargestBuffer = std::numeric_limits<SQLSMALLINT>::max();

}  // namespace

std::string ParamsToConnectString(const rtl::TStrings& params)
{
    std::string result;
    for (int i = 0; i < params.Count(); ++i) {
        if (i > 0) result += ';';
        const std::string line = params.Strings(i);
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            result += line;
        else
            result += line.substr(0, eq + 1) + BracedIfNeeded(std::string_view(line).substr(eq + 1));
    }
    return result;
}

std::int16_t FieldTypeToSQLType(db::TFieldType type)
{
    switch (type) {
    case db::ftString: return SQL_CHAR;
    case db::ftSmallint:
    case db::ftWord:
    case db::ftBoolean: return SQL_SMALLINT;
    case db::ftInteger:
    case db::ftAutoInc: return SQL_INTEGER;
    case db::ftLargeint: return SQL_BIGINT;
    case db::ftFloat:
    case db::ftCurrency: return SQL_DOUBLE;
    case db::ftBCD: return SQL_DECIMAL;
    case db::ftDate: return SQL_TYPE_DATE;
    case db::ftTime: return SQL_TYPE_TIME;
    case db::ftDateTime: return SQL_TYPE_TIMESTAMP;
    case db::ftBlob: return SQL_LONGVARBINARY;
    case db::ftMemo: return SQL_LONGVARCHAR;
    default: return 0;
    }
}

GW_IMPLEMENT_CLASS(TdbDataBase, classes::TComponent)
{
    p.String("DataBaseName", &TdbDataBase::DataBaseName, &TdbDataBase::SetDataBaseName);
    p.Enumeration("DriverCompletion", DriverCompletionInfo(), &TdbDataBase::DriverCompletion,
                  &TdbDataBase::SetDriverCompletion, sdCompleteReq);
    p.Enumeration("OdbcCursors", OdbcCursorsInfo(), &TdbDataBase::OdbcCursors, &TdbDataBase::SetOdbcCursors,
                  ocUSE_DRIVER);
    p.Event("OnConnect", &TdbDataBase::OnConnect);
    p.Strings("Params", &TdbDataBase::Params);
    p.Component<TdbSession>("Session", &TdbDataBase::Session, &TdbDataBase::SetSession);
    p.Enumeration("TransIsolation", IsolationInfo(), &TdbDataBase::TransIsolation, &TdbDataBase::SetTransIsolation,
                  TxnDefault);
    p.Integer("WaitCursor", &TdbDataBase::WaitCursor, &TdbDataBase::SetWaitCursor, crSQLWait).AlwaysStored();
    p.Boolean("ShowWaitCursor", &TdbDataBase::ShowWaitCursor, &TdbDataBase::SetShowWaitCursor, false).AlwaysStored();
}

TdbDataBase::TdbDataBase(classes::TComponent* owner)
    : TComponent(owner), params_(std::make_unique<rtl::TStringList>())
{
}

TdbDataBase::~TdbDataBase()
{
    Disconnect();
    for (TdbAttachedDataSet* dataSet : std::vector<TdbAttachedDataSet*>(dataSets_)) dataSet->SetDatabase(nullptr);
}

// ---- Properties -------------------------------------------------------------------------

std::string TdbDataBase::DataBaseName() const { return params_->Values("DSN"); }

void TdbDataBase::SetDataBaseName(const std::string& name) { params_->SetValue("DSN", name); }

void TdbDataBase::SetParams(const rtl::TStrings& params)
{
    if (&params != params_.get()) params_->Assign(params);
}

void TdbDataBase::SetSession(TdbSession* session)
{
    Disconnect();
    if (session_ == session) return;
    if (session_ != nullptr) RemoveFreeNotification(session_);
    session_ = session;
    if (session_ != nullptr) FreeNotification(session_);
}

void TdbDataBase::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == classes::opRemove) {
        // The session is being freed; its destructor has already closed our connection.
        if (component != nullptr && component == session_) session_ = nullptr;
    } else if (auto* dataSet = dynamic_cast<TdbAttachedDataSet*>(component)) {
        if (dataSet->Database() == nullptr) dataSet->SetDatabase(this);
    }
}

// ---- Connection -------------------------------------------------------------------------

TdbSession& TdbDataBase::EffectiveSession() { return session_ != nullptr ? *session_ : DefaultSession(); }

THandle TdbDataBase::SessionHandle() { return EffectiveSession().Handle(); }

void TdbDataBase::CheckResult(TSqlReturn returnCode)
{
    if (returnCode != SQL_SUCCESS) throw ESQLerror(SQL_HANDLE_DBC, returnCode, handle_.Get());
}

void TdbDataBase::Connect()
{
    if (Connected()) return;
    auto wait = rtl::MakeScope(*this, &TdbDataBase::StartWait, &TdbDataBase::EndWait);
    TdbSession& session = EffectiveSession();
    const SQLHDBC dbc = AllocHandle(SQL_HANDLE_DBC, session.Handle(), OdbcMessage(SCantAllocDbc));
    handle_ = TOwnedHandle(db::TOdbcHandleKind::Connection, dbc);
    // Any failure from here on leaves no handle (a live one is disconnected first).
    rtl::TScopeExit release([this] { ReleaseConnection(); });
    const TOdbcApi& api = Odbc();
    CheckResult(api.SQLSetConnectAttr(dbc, SQL_ATTR_ODBC_CURSORS,
                                      reinterpret_cast<SQLPOINTER>(CursorLibraryUse(odbcCursors_)), SQL_IS_UINTEGER));
    OnConnect(this);
    const std::string in = ParamsToConnectString(*params_);
    connectString_.clear();
    std::string out(static_cast<std::size_t>(kLargestBuffer), '\0');
    SQLSMALLINT outLength = 0;
    // There is no window to own a driver's dialog on this platform, so the driver gets a null
    // window handle and prompting is not offered: a driver asked to prompt fails, and the
    // completing modes complete only what the string allows.
    const SQLRETURN r =
        api.SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(in.c_str())), SQL_NTS,
                             reinterpret_cast<SQLCHAR*>(out.data()), kLargestBuffer, &outLength,
                             CompletionMode(driverCompletion_));
    // A connect that succeeds with information (a warning, a notice, an option the driver
    // changed) is a live connection like any other. A failed one is a failure whatever its
    // first record says: the driver manager reports a driver library it cannot load as
    // SQL_ERROR with a general warning (01000) first.
    if (!SQL_SUCCEEDED(r)) {
        ESQLerror error(SQL_HANDLE_DBC, r, dbc);
        if (error.ReturnCode() == SQL_NO_DATA) error.SetMessage(OdbcMessage(SDatabaseNotOpened));
        throw error;
    }
    handle_.SetConnected(true);
    out.resize(strnlen(out.data(), out.size()));
    connectString_ = std::move(out);
    if (transIsolation_ != TxnDefault)
        CheckResult(api.SQLSetConnectAttr(dbc, SQL_ATTR_TXN_ISOLATION,
                                          reinterpret_cast<SQLPOINTER>(IsolationValue(transIsolation_)),
                                          SQL_IS_INTEGER));
    release.Release();
    connectedOn_ = &session;
    session.connections_.push_back(this);
}

void TdbDataBase::ReleaseConnection() noexcept
{
    if (connectedOn_ != nullptr) {
        std::erase(connectedOn_->connections_, this);
        connectedOn_ = nullptr;
    }
    // A live connection is closed before its handle is freed; with the driver manager gone
    // there is nothing left to free.
    handle_.Reset();
}

void TdbDataBase::Disconnect()
{
    if (!Connected()) return;
    auto wait = rtl::MakeScope(*this, &TdbDataBase::StartWait, &TdbDataBase::EndWait);
    for (TdbAttachedDataSet* dataSet : std::vector<TdbAttachedDataSet*>(dataSets_)) dataSet->ReleaseStatement();
    ReleaseConnection();
}

void TdbDataBase::GetInfo(std::uint16_t infoType, void* value, std::int16_t bufferLength, std::int16_t* stringLength)
{
    // Without a connection there is no handle to ask (and maybe no driver manager yet).
    const SQLRETURN r = !handle_ ? SQL_INVALID_HANDLE
                                 : Odbc().SQLGetInfo(handle_.Get(), infoType, value, bufferLength, stringLength);
    switch (r) {
    case SQL_SUCCESS: return;
    case SQL_SUCCESS_WITH_INFO:
    case SQL_ERROR: throw ESQLerror(SQL_HANDLE_DBC, r, handle_.Get());
    case SQL_INVALID_HANDLE: throw ESQLerror("SQL_INVALID_HANDLE", r);
    case SQL_STILL_EXECUTING: throw ESQLerror("SQL_STILL_EXECUTING", r);
    default: throw ESQLerror("unknown SQL result", r);
    }
}

void TdbDataBase::GetDataSources(rtl::TStrings& list)
{
    list.Clear();
    const SQLHENV env = SessionHandle();
    const TOdbcApi& api = Odbc();
    // A name that does not fit is read again from the start with room for it: the driver
    // manager cannot go back one entry.
    std::string name(256, '\0');
    bool restart = true;
    while (restart) {
        restart = false;
        list.Clear();
        SQLUSMALLINT direction = SQL_FETCH_FIRST;
        for (;;) {
            SQLSMALLINT length = 0;
            const auto size = static_cast<SQLSMALLINT>(name.size());
            const SQLRETURN r = api.SQLDataSources(env, direction, reinterpret_cast<SQLCHAR*>(name.data()), size,
                                                   &length, nullptr, 0, nullptr);
            if (!SQL_SUCCEEDED(r)) break;
            if (r == SQL_SUCCESS_WITH_INFO && length >= size && size < kLargestBuffer) {
                name.assign(static_cast<std::size_t>(std::min<int>(length + 1, kLargestBuffer)), '\0');
                restart = true;
                break;
            }
            list.Add(std::string(name.c_str()));
            direction = SQL_FETCH_NEXT;
        }
    }
}

// ---- Attached data sets -----------------------------------------------------------------

int TdbDataBase::AddDataSet(TdbAttachedDataSet* dataSet)
{
    const auto it = std::find(dataSets_.begin(), dataSets_.end(), dataSet);
    if (it != dataSets_.end()) return static_cast<int>(it - dataSets_.begin());
    dataSets_.push_back(dataSet);
    return static_cast<int>(dataSets_.size()) - 1;
}

void TdbDataBase::RemoveDataSet(TdbAttachedDataSet* dataSet) { std::erase(dataSets_, dataSet); }

// ---- Wait cursor ------------------------------------------------------------------------

void TdbDataBase::StartWait()
{
    if (!showWaitCursor_) return;
    ui::TScreen& screen = ui::Screen();
    if (screen.Cursor() == waitCursor_) return;
    savedCursor_ = screen.Cursor();
    screen.SetCursor(waitCursor_);
}

void TdbDataBase::EndWait()
{
    if (!showWaitCursor_) return;
    ui::TScreen& screen = ui::Screen();
    if (screen.Cursor() == waitCursor_) screen.SetCursor(savedCursor_);
}

}  // namespace odbc
