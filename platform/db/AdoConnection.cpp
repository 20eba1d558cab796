#include "platform/db/AdoConnection.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string_view>
#include <mutex>

#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/DataLinks.h"
#include "platform/db/OdbcHandles.h"
#include "platform/rtl/SysUtils.h"

namespace db {

namespace {

// The SQLite driver in step mode (how the data layer connects to it, so that rows are read as
// they are wanted) takes a statement that starts with WITH for a query and runs it only as its
// rows are fetched: one that changes data and answers no rows is never run, and the driver
// reports success. Such a statement is refused with this message instead.
constexpr const char* kNotRunInStepMode =
    "The SQLite driver does not run a statement that starts with WITH and returns no rows; it was not run. "
    "Write the WITH clause after INSERT, or use a subquery.";

bool StepsStatements(const std::string& odbcString)
{
    const std::optional<std::string> step = FindParam(ParseOdbcString(odbcString), "StepAPI");
    return step && rtl::Trim(*step) != "0";
}

// Whether the first word of `sql`, past blanks and comments, is WITH.
bool LeadsWithWith(std::string_view sql)
{
    std::size_t i = 0;
    while (i < sql.size()) {
        if (std::isspace(static_cast<unsigned char>(sql[i]))) {
            ++i;
        } else if (sql.substr(i, 2) == "--") {
            const std::size_t end = sql.find('\n', i);
            i = end == std::string_view::npos ? sql.size() : end + 1;
        } else if (sql.substr(i, 2) == "/*") {
            const std::size_t end = sql.find("*/", i + 2);
            i = end == std::string_view::npos ? sql.size() : end + 2;
        } else {
            break;
        }
    }
    const std::string_view rest = sql.substr(i);
    if (rest.size() < 4 || !rtl::SameText(rest.substr(0, 4), "WITH")) return false;
    return rest.size() == 4 || !(std::isalnum(static_cast<unsigned char>(rest[4])) || rest[4] == '_');
}

const char* const kCancelled = "The connection was cancelled by the user.";

std::mutex& LoginMutex()
{
    static std::mutex m;
    return m;
}

TLoginDialogProc& LoginProc()
{
    static TLoginDialogProc proc;
    return proc;
}

std::string DataLinkError(const std::string& file, HRESULT hr)
{
    switch (hr) {
    case STG_E_FILENOTFOUND: return "The data link file \"" + file + "\" was not found.";
    case STG_E_PATHNOTFOUND: return "The folder of the data link file \"" + file + "\" was not found.";
    case STG_E_ACCESSDENIED: return "The data link file \"" + file + "\" cannot be opened: permission denied.";
    case STG_E_INVALIDHEADER: return "\"" + file + "\" is not a data link file.";
    case STG_E_INVALIDNAME:
    case E_INVALIDARG: return "\"" + file + "\" is no valid data link file name.";
    default: return "The data link file \"" + file + "\" cannot be read.";
    }
}

// One schema column: its name and field type (sizes for texts are unbounded).
TRecordsetColumn Col(const char* name, TFieldType type)
{
    TRecordsetColumn c;
    c.name = name;
    c.fieldType = type;
    c.adoType = FieldTypeToDataType(type);
    if (type == ftWideString) {
        c.adoType = adVarWChar;
        c.size = 128;
    }
    c.storage = StorageOf(type);
    return c;
}

std::unique_ptr<TRecordset> MakeRowset(std::vector<TRecordsetColumn> columns)
{
    auto rs = std::make_unique<TRecordset>();
    rs->columns = std::move(columns);
    rs->CreateRows();
    return rs;
}

void AddRow(TRecordset& rs, const std::vector<TVariant>& values)
{
    for (const TVariant& v : values) rs.rows->AddValue(v);
    rs.rows->EndRow();
}

// A restriction as an exact value; nullopt for none.
std::optional<std::string> Restriction(const std::vector<TVariant>& r, std::size_t i)
{
    if (i >= r.size() || r[i].IsNull()) return std::nullopt;
    std::string s = r[i].AsString();
    if (s.empty()) return std::nullopt;
    return s;
}

TVariant TextOrNull(const std::optional<std::string>& s) { return s ? TVariant(*s) : TVariant(); }

// Remarks the driver leaves empty are no description.
TVariant Description(const std::optional<std::string>& s) { return s && !s->empty() ? TVariant(*s) : TVariant(); }

TVariant IntOrNull(const std::optional<std::int64_t>& v)
{
    if (!v) return {};
    return TVariant(static_cast<long long>(std::clamp<std::int64_t>(*v, INT32_MIN, INT32_MAX)));
}

bool IsCharType(int sqlType)
{
    return sqlType == SQL_CHAR || sqlType == SQL_VARCHAR || sqlType == SQL_LONGVARCHAR || sqlType == SQL_WCHAR ||
           sqlType == SQL_WVARCHAR || sqlType == SQL_WLONGVARCHAR || sqlType == SQL_BINARY ||
           sqlType == SQL_VARBINARY || sqlType == SQL_LONGVARBINARY;
}

bool IsNumericType(int sqlType)
{
    switch (sqlType) {
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_BIT: return true;
    default: return false;
    }
}

bool IsDateTimeType(int sqlType)
{
    return sqlType == SQL_TYPE_TIMESTAMP || sqlType == SQL_TIMESTAMP || sqlType == SQL_TYPE_TIME ||
           sqlType == SQL_TIME || sqlType == SQL_TYPE_DATE || sqlType == SQL_DATE;
}

// The driver's text for a column, or nullopt for NULL.
std::optional<std::string> TextCol(TOdbcStatement& st, SQLUSMALLINT col)
{
    std::string s;
    if (!st.GetText(col, s)) return std::nullopt;
    return s;
}

bool SameValue(const std::optional<std::string>& restriction, const std::optional<std::string>& value)
{
    return !restriction || (value && *value == *restriction);
}

}  // namespace

std::string ResolveDataLink(const std::string& connectionString)
{
    TConnectionParams params = ParseInitString(connectionString);
    const std::optional<std::string> file = FindParam(params, "File Name");
    if (!file) return connectionString;
    std::string init;
    const HRESULT hr = LoadStringFromStorage(*file, init);
    if (hr != S_OK) throw EDatabaseError(DataLinkError(*file, hr));
    TConnectionParams merged = ParseInitString(init);
    for (const TConnectionParam& p : params)
        if (!rtl::SameText(p.key, "File Name")) SetParam(merged, p.key, p.value);
    return FormatInitString(merged);
}

// ---- Connection ----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TADOConnection, classes::TComponent)
{
    p.Integer("CommandTimeout", &TADOConnection::CommandTimeout, &TADOConnection::SetCommandTimeout,
              kDefaultCommandTimeout);
    p.Boolean("Connected", &TADOConnection::Connected, &TADOConnection::SetConnected, false);
    p.String("ConnectionString", &TADOConnection::ConnectionString, &TADOConnection::SetConnectionString);
    p.Integer("ConnectionTimeout", &TADOConnection::ConnectionTimeout, &TADOConnection::SetConnectionTimeout,
              kDefaultConnectionTimeout);
    p.Boolean("LoginPrompt", &TADOConnection::LoginPrompt, &TADOConnection::SetLoginPrompt, true);
    p.Event("AfterConnect", &TADOConnection::AfterConnect);
    p.Event("AfterDisconnect", &TADOConnection::AfterDisconnect);
    p.Event("BeforeConnect", &TADOConnection::BeforeConnect);
    p.Event("BeforeDisconnect", &TADOConnection::BeforeDisconnect);
    p.Event("OnWillConnect", &TADOConnection::OnWillConnect);
}

TADOConnection::TADOConnection(classes::TComponent* owner)
    : TComponent(owner), odbc_(std::make_unique<TOdbcConnection>())
{
    odbc_->SetTimeouts({kDefaultConnectionTimeout, kDefaultCommandTimeout});
}

int TADOConnection::ConnectionTimeout() const noexcept { return odbc_->Timeouts().login; }

void TADOConnection::SetConnectionTimeout(int seconds)
{
    odbc_->SetTimeouts({std::max(seconds, 0), odbc_->Timeouts().query});
}

int TADOConnection::CommandTimeout() const noexcept { return odbc_->Timeouts().query; }

void TADOConnection::SetCommandTimeout(int seconds)
{
    odbc_->SetTimeouts({odbc_->Timeouts().login, std::max(seconds, 0)});
}

bool TADOConnection::Connected() const noexcept { return odbc_->Connected(); }

TADOConnection::~TADOConnection()
{
    for (TCustomADODataSet* ds : dataSets_) ds->connection_ = nullptr;
    dataSets_.clear();
    odbc_->Disconnect();
}

void TADOConnection::SetLoginDialogProc(TLoginDialogProc proc)
{
    std::lock_guard lock(LoginMutex());
    LoginProc() = std::move(proc);
}

void TADOConnection::Loaded()
{
    TComponent::Loaded();
    if (streamedConnected_) SetConnected(true);
}

void TADOConnection::SetConnectionString(const std::string& text)
{
    if (text == connectionString_) return;
    if (Connected()) throw EDatabaseError("Cannot perform this operation on an open connection");
    connectionString_ = text;
}

std::string TADOConnection::Provider() const
{
    try {
        return ProviderOf(ResolveDataLink(connectionString_));
    } catch (const rtl::Exception&) {
        return ProviderOf(connectionString_);
    }
}

void TADOConnection::SetConnected(bool connected)
{
    const auto state = ComponentState();
    if (state.Contains(classes::csLoading) || state.Contains(classes::csReading)) {
        streamedConnected_ = connected;
        return;
    }
    if (connected)
        Open();
    else
        Close();
}

void TADOConnection::Open()
{
    if (!Connected()) DoConnect({}, {}, false);
}

void TADOConnection::Open(const std::string& userId, const std::string& password)
{
    if (!Connected()) DoConnect(userId, password, true);
}

void TADOConnection::DoConnect(std::string userId, std::string password, bool credentialsGiven)
{
    BeforeConnect(this);
    std::string init = ResolveDataLink(connectionString_);
    const TConnectionParams params = ParseInitString(init);
    if (!credentialsGiven) userId = FindParam(params, "User ID").value_or("");

    if (loginPrompt_) {
        TLoginDialogProc proc;
        {
            std::lock_guard lock(LoginMutex());
            proc = LoginProc();
        }
        if (proc) {
            std::string source = FindParam(params, "Data Source").value_or("");
            if (source.empty()) source = FindParam(params, "Extended Properties").value_or("");
            if (!proc(source, userId, password)) throw EDatabaseError(kCancelled);
            credentialsGiven = true;
        }
    }

    std::string eventString = init;
    std::string eventUser = userId;
    std::string eventPassword = credentialsGiven ? password : std::string();
    TConnectOption options = coConnectUnspecified;
    TEventStatus status = esOK;
    OnWillConnect(this, eventString, eventUser, eventPassword, options, status);
    if (status == esCancel) throw EDatabaseError(kCancelled);

    // Credentials given to Open, typed at the login prompt or set by the event replace the
    // string's own; an untouched event leaves the string's credentials in force.
    std::optional<std::string> user;
    std::optional<std::string> pwd;
    if (credentialsGiven || eventUser != userId || !eventPassword.empty()) {
        user = eventUser;
        pwd = eventPassword;
    }
    const std::string odbcString = OleDbToOdbc(eventString, user, pwd);
    odbc_->Connect(odbcString);
    odbcString_ = odbcString;
    AfterConnect(this);
}

void TADOConnection::Close()
{
    if (!Connected()) return;
    BeforeDisconnect(this);
    const std::vector<TCustomADODataSet*> sets = dataSets_;
    for (TCustomADODataSet* ds : sets) ds->Close();
    odbc_->Disconnect();
    AfterDisconnect(this);
}

void TADOConnection::ConnectionLost() noexcept { odbc_->Disconnect(); }

long long TADOConnection::Execute(const std::string& sql)
{
    Open();
    try {
        const bool deferred = StepsStatements(odbcString_) && LeadsWithWith(sql);
        return odbc_->Run([sql, deferred](TOdbcLink& link) {
            TOdbcStatement st(link);
            st.ExecDirect(sql);
            if (deferred && st.ColumnCount() == 0) throw EDatabaseError(kNotRunInStepMode);
            return static_cast<long long>(st.RowCount());
        });
    } catch (const EADOError& e) {
        if (e.ConnectionLost()) ConnectionLost();
        throw;
    }
}

void TADOConnection::RegisterDataSet(TCustomADODataSet* dataSet)
{
    if (std::find(dataSets_.begin(), dataSets_.end(), dataSet) == dataSets_.end()) dataSets_.push_back(dataSet);
}

void TADOConnection::UnregisterDataSet(TCustomADODataSet* dataSet) { std::erase(dataSets_, dataSet); }

// ---- Provider properties -------------------------------------------------------------------

std::vector<TProviderProperty> TADOConnection::Properties() const
{
    std::vector<TProviderProperty> list;
    if (!Connected()) return list;
    std::string quote = odbc_->InfoText(SQL_IDENTIFIER_QUOTE_CHAR);
    if (quote == " ") quote.clear();
    list.push_back({"Provider Name", TVariant(Provider())});
    list.push_back({"DBMS Name", TVariant(odbc_->InfoText(SQL_DBMS_NAME))});
    list.push_back({"DBMS Version", TVariant(odbc_->InfoText(SQL_DBMS_VER))});
    list.push_back({"Special Characters", TVariant(odbc_->InfoText(SQL_SPECIAL_CHARACTERS))});
    list.push_back({"Data Source Name", TVariant(odbc_->InfoText(SQL_DATA_SOURCE_NAME))});
    list.push_back({"Driver Name", TVariant(odbc_->InfoText(SQL_DRIVER_NAME))});
    list.push_back({"Driver Version", TVariant(odbc_->InfoText(SQL_DRIVER_VER))});
    list.push_back({"User Name", TVariant(odbc_->InfoText(SQL_USER_NAME))});
    list.push_back({"Current Catalog", TVariant(odbc_->InfoText(SQL_DATABASE_NAME))});
    list.push_back({"Identifier Quote Char", TVariant(quote)});
    // The driver's SQL_IDENTIFIER_CASE code: how the database folds bare names.
    list.push_back({"Identifier Case Sensitivity", TVariant(static_cast<int>(odbc_->InfoUInt16(SQL_IDENTIFIER_CASE)))});
    return list;
}

TVariant TADOConnection::PropertyValue(std::string_view name) const
{
    for (const TProviderProperty& p : Properties())
        if (rtl::SameText(p.name, name)) return p.value;
    return {};
}

// ---- Schema rowsets ------------------------------------------------------------------------

void TADOConnection::OpenSchema(TSchemaInfo schema, const std::vector<TVariant>& restrictions, TADODataSet* dataSet)
{
    if (dataSet == nullptr) throw EDatabaseError("OpenSchema needs a data set");
    if (!Connected()) throw EDatabaseError("Operation is not allowed when the connection is closed.");
    std::unique_ptr<TRecordset> rs;
    try {
        switch (schema) {
        case siTables: rs = odbc_->Run([restrictions](TOdbcLink& link) { return SchemaTables(link, restrictions); }); break;
        case siColumns:
            rs = odbc_->Run([restrictions](TOdbcLink& link) { return SchemaColumns(link, restrictions); });
            break;
        case siProviderTypes:
            rs = odbc_->Run([restrictions](TOdbcLink& link) { return SchemaProviderTypes(link, restrictions); });
            break;
        case siDBInfoLiterals: rs = SchemaLiterals(); break;
        case siIndexes:
            rs = odbc_->Run([restrictions](TOdbcLink& link) { return SchemaIndexes(link, restrictions); });
            break;
        }
    } catch (const EADOError& e) {
        if (e.ConnectionLost()) ConnectionLost();
        throw;
    }
    if (!rs) throw EDatabaseError("Schema rowset not supported");
    dataSet->OpenRecordset(std::move(rs));
}

std::unique_ptr<TRecordset> TADOConnection::SchemaTables(TOdbcLink& link, const std::vector<TVariant>& r)
{
    auto rs = MakeRowset({Col("TABLE_CATALOG", ftWideString), Col("TABLE_SCHEMA", ftWideString),
                          Col("TABLE_NAME", ftWideString), Col("TABLE_TYPE", ftWideString), Col("TABLE_GUID", ftGuid),
                          Col("DESCRIPTION", ftWideString), Col("TABLE_PROPID", ftInteger),
                          Col("DATE_CREATED", ftDateTime), Col("DATE_MODIFIED", ftDateTime)});
    const auto catalog = Restriction(r, 0);
    const auto schema = Restriction(r, 1);
    const auto table = Restriction(r, 2);
    const auto type = Restriction(r, 3);
    TOdbcStatement st(link);
    st.Tables(catalog, schema, table, type ? std::optional<std::string>("'" + *type + "'") : std::nullopt);
    while (st.Fetch()) {
        const auto cat = TextCol(st, 1);
        const auto sch = TextCol(st, 2);
        const auto name = TextCol(st, 3);
        const auto kind = TextCol(st, 4);
        const auto remarks = TextCol(st, 5);
        if (!SameValue(catalog, cat) || !SameValue(schema, sch) || !SameValue(table, name) ||
            (type && !(kind && rtl::SameText(*kind, *type))))
            continue;
        AddRow(*rs, {TextOrNull(cat), TextOrNull(sch),
                     TextOrNull(name), TextOrNull(kind), {},
                     Description(remarks), {}, {}, {}});
    }
    return rs;
}

std::unique_ptr<TRecordset> TADOConnection::SchemaColumns(TOdbcLink& link, const std::vector<TVariant>& r)
{
    auto rs = MakeRowset(
        {Col("TABLE_CATALOG", ftWideString), Col("TABLE_SCHEMA", ftWideString), Col("TABLE_NAME", ftWideString),
         Col("COLUMN_NAME", ftWideString), Col("COLUMN_GUID", ftGuid), Col("COLUMN_PROPID", ftInteger),
         Col("ORDINAL_POSITION", ftInteger), Col("COLUMN_HASDEFAULT", ftBoolean), Col("COLUMN_DEFAULT", ftWideString),
         Col("COLUMN_FLAGS", ftInteger), Col("IS_NULLABLE", ftBoolean), Col("DATA_TYPE", ftWord),
         Col("TYPE_GUID", ftGuid), Col("CHARACTER_MAXIMUM_LENGTH", ftInteger), Col("CHARACTER_OCTET_LENGTH", ftInteger),
         Col("NUMERIC_PRECISION", ftWord), Col("NUMERIC_SCALE", ftSmallint), Col("DATETIME_PRECISION", ftInteger),
         Col("DESCRIPTION", ftWideString)});
    const auto catalog = Restriction(r, 0);
    const auto schema = Restriction(r, 1);
    const auto table = Restriction(r, 2);
    const auto column = Restriction(r, 3);
    TOdbcStatement st(link);
    st.Columns(catalog, schema, table, column);
    int ordinal = 0;
    std::string lastTable;
    while (st.Fetch()) {
        const auto cat = TextCol(st, 1);
        const auto sch = TextCol(st, 2);
        const auto tab = TextCol(st, 3);
        const auto name = TextCol(st, 4);
        const int sqlType = static_cast<int>(st.IntOf(5).value_or(0));
        const std::string typeName = st.TextOf(6);
        const auto size = st.IntOf(7);
        st.IntOf(8);  // buffer length
        const auto digits = st.IntOf(9);
        st.IntOf(10);  // radix
        const auto nullable = st.IntOf(11);
        const auto remarks = TextCol(st, 12);
        const auto def = TextCol(st, 13);
        st.IntOf(14);
        st.IntOf(15);
        const auto octets = st.IntOf(16);
        const auto position = st.IntOf(17);
        if (!SameValue(catalog, cat) || !SameValue(schema, sch) || !SameValue(table, tab) || !SameValue(column, name))
            continue;
        const std::string tableKey = cat.value_or("") + '\x1f' + sch.value_or("") + '\x1f' + tab.value_or("");
        ordinal = tableKey == lastTable ? ordinal + 1 : 1;
        lastTable = tableKey;
        const bool isUnsigned = rtl::Pos("UNSIGNED", rtl::UpperCase(typeName)) > 0;
        AddRow(*rs, {TextOrNull(cat), TextOrNull(sch),
                     TextOrNull(tab), TextOrNull(name), {}, {},
                     TVariant(static_cast<long long>(position.value_or(ordinal))), TVariant(def.has_value()),
                     TextOrNull(def), {}, TVariant(nullable.value_or(SQL_NULLABLE) != SQL_NO_NULLS),
                     TVariant(SqlTypeToDataType(sqlType, isUnsigned)), {},
                     IsCharType(sqlType) ? IntOrNull(size) : TVariant(),
                     IsCharType(sqlType) ? IntOrNull(octets ? octets : size) : TVariant(),
                     IsNumericType(sqlType) ? IntOrNull(size) : TVariant(),
                     (sqlType == SQL_DECIMAL || sqlType == SQL_NUMERIC) ? IntOrNull(digits) : TVariant(),
                     IsDateTimeType(sqlType) ? IntOrNull(digits ? digits : std::optional<std::int64_t>(0)) : TVariant(),
                     Description(remarks)});
    }
    return rs;
}

std::unique_ptr<TRecordset> TADOConnection::SchemaIndexes(TOdbcLink& link, const std::vector<TVariant>& r)
{
    auto rs = MakeRowset({Col("TABLE_CATALOG", ftWideString), Col("TABLE_SCHEMA", ftWideString),
                          Col("TABLE_NAME", ftWideString), Col("INDEX_NAME", ftWideString), Col("PRIMARY_KEY", ftBoolean),
                          Col("UNIQUE", ftBoolean), Col("ORDINAL_POSITION", ftInteger), Col("COLUMN_NAME", ftWideString),
                          Col("COLLATION", ftSmallint)});
    const auto catalog = Restriction(r, 0);
    const auto schema = Restriction(r, 1);
    const auto index = Restriction(r, 2);
    const auto table = Restriction(r, 4);
    if (!table) throw EDatabaseError("The index rowset needs a table name");

    std::vector<std::pair<std::int64_t, std::string>> keyColumns;
    {
        TOdbcStatement st(link);
        st.PrimaryKeys(catalog, schema, *table);
        while (st.Fetch()) keyColumns.emplace_back(st.IntOf(5).value_or(0), st.TextOf(4));
    }
    std::sort(keyColumns.begin(), keyColumns.end());

    struct Row {
        std::optional<std::string> cat, sch, tab, name, column;
        bool unique;
        std::int64_t ordinal;
        TVariant collation;
    };
    std::vector<Row> rows;
    TOdbcStatement st(link);
    st.Statistics(catalog, schema, *table);
    while (st.Fetch()) {
        Row row;
        row.cat = TextCol(st, 1);
        row.sch = TextCol(st, 2);
        row.tab = TextCol(st, 3);
        const auto nonUnique = st.IntOf(4);
        row.name = TextCol(st, 6);
        const auto type = st.IntOf(7);
        row.ordinal = st.IntOf(8).value_or(0);
        row.column = TextCol(st, 9);
        const std::string order = st.TextOf(10);
        if (type.value_or(SQL_TABLE_STAT) == SQL_TABLE_STAT || !row.name || !row.column) continue;
        if (!SameValue(catalog, row.cat) || !SameValue(schema, row.sch) || !SameValue(table, row.tab) ||
            !SameValue(index, row.name))
            continue;
        row.unique = nonUnique.value_or(1) == 0;
        row.collation = order == "A" ? TVariant(1LL) : order == "D" ? TVariant(2LL) : TVariant();
        rows.push_back(std::move(row));
    }
    // Drivers list the indexes grouped; keep each one's columns together in key order.
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return *a.name != *b.name ? *a.name < *b.name : a.ordinal < b.ordinal;
    });
    for (std::size_t first = 0; first < rows.size();) {
        std::size_t end = first;
        while (end < rows.size() && *rows[end].name == *rows[first].name) ++end;
        bool primary = !keyColumns.empty() && end - first == keyColumns.size() && rows[first].unique;
        for (std::size_t i = first; primary && i < end; ++i)
            primary = rtl::AnsiSameText(*rows[i].column, keyColumns[i - first].second);
        for (std::size_t i = first; i < end; ++i) {
            const Row& row = rows[i];
            AddRow(*rs, {TextOrNull(row.cat), TextOrNull(row.sch), TextOrNull(row.tab), TextOrNull(row.name),
                         TVariant(primary), TVariant(row.unique), TVariant(static_cast<long long>(row.ordinal)),
                         TextOrNull(row.column), row.collation});
        }
        first = end;
    }
    return rs;
}

std::unique_ptr<TRecordset> TADOConnection::SchemaProviderTypes(TOdbcLink& link, const std::vector<TVariant>& r)
{
    auto rs = MakeRowset(
        {Col("TYPE_NAME", ftWideString), Col("DATA_TYPE", ftWord), Col("COLUMN_SIZE", ftInteger),
         Col("LITERAL_PREFIX", ftWideString), Col("LITERAL_SUFFIX", ftWideString), Col("CREATE_PARAMS", ftWideString),
         Col("IS_NULLABLE", ftBoolean), Col("CASE_SENSITIVE", ftBoolean), Col("SEARCHABLE", ftInteger),
         Col("UNSIGNED_ATTRIBUTE", ftBoolean), Col("FIXED_PREC_SCALE", ftBoolean), Col("AUTO_UNIQUE_VALUE", ftBoolean),
         Col("LOCAL_TYPE_NAME", ftWideString), Col("MINIMUM_SCALE", ftSmallint), Col("MAXIMUM_SCALE", ftSmallint),
         Col("GUID", ftGuid), Col("TYPELIB", ftWideString), Col("VERSION", ftWideString), Col("IS_LONG", ftBoolean),
         Col("BEST_MATCH", ftBoolean), Col("IS_FIXEDLENGTH", ftBoolean)});
    const bool byType = r.size() > 0 && !r[0].IsNull();
    const std::int64_t wantType = byType ? r[0].AsInt64() : 0;
    const bool byBest = r.size() > 1 && !r[1].IsNull();
    const bool wantBest = byBest && r[1].AsBoolean();
    TOdbcStatement st(link);
    st.TypeInfo();
    std::vector<int> seen;
    while (st.Fetch()) {
        const auto name = TextCol(st, 1);
        const int sqlType = static_cast<int>(st.IntOf(2).value_or(0));
        const auto size = st.IntOf(3);
        const auto prefix = TextCol(st, 4);
        const auto suffix = TextCol(st, 5);
        const auto params = TextCol(st, 6);
        const auto nullable = st.IntOf(7);
        const auto caseSensitive = st.IntOf(8);
        const auto searchable = st.IntOf(9);
        const auto isUnsigned = st.IntOf(10);
        const auto fixedScale = st.IntOf(11);
        const auto autoUnique = st.IntOf(12);
        const auto localName = TextCol(st, 13);
        const auto minScale = st.IntOf(14);
        const auto maxScale = st.IntOf(15);
        const int adoType = SqlTypeToDataType(sqlType, isUnsigned.value_or(0) == SQL_TRUE);
        // The driver lists the closest type first for each SQL type.
        const bool best = std::find(seen.begin(), seen.end(), sqlType) == seen.end();
        if (best) seen.push_back(sqlType);
        if ((byType && wantType != adoType) || (byBest && wantBest != best)) continue;
        const bool isLong = sqlType == SQL_LONGVARCHAR || sqlType == SQL_WLONGVARCHAR || sqlType == SQL_LONGVARBINARY;
        const bool variable = isLong || sqlType == SQL_VARCHAR || sqlType == SQL_WVARCHAR || sqlType == SQL_VARBINARY;
        const auto flag = [](const std::optional<std::int64_t>& v) { return v ? TVariant(*v == SQL_TRUE) : TVariant(); };
        AddRow(*rs, {TextOrNull(name), TVariant(adoType), IntOrNull(size),
                     TextOrNull(prefix), TextOrNull(suffix),
                     TextOrNull(params), TVariant(nullable.value_or(SQL_NULLABLE) != SQL_NO_NULLS),
                     flag(caseSensitive), IntOrNull(searchable), flag(isUnsigned), flag(fixedScale), flag(autoUnique),
                     TextOrNull(localName), IntOrNull(minScale), IntOrNull(maxScale), {}, {}, {},
                     TVariant(isLong), TVariant(best), TVariant(!variable)});
    }
    return rs;
}

std::unique_ptr<TRecordset> TADOConnection::SchemaLiterals()
{
    auto rs = MakeRowset({Col("LiteralName", ftWideString), Col("LiteralValue", ftWideString),
                          Col("InvalidChars", ftWideString), Col("InvalidStartingChars", ftWideString),
                          Col("Literal", ftInteger), Col("Supported", ftBoolean), Col("Maxlen", ftInteger)});
    const auto add = [&](const char* name, int code, const std::string& value, std::uint32_t maxLength = 0) {
        AddRow(*rs, {TVariant(name), TVariant(value), {}, {}, TVariant(code), TVariant(true),
                     maxLength > 0 ? TVariant(static_cast<long long>(maxLength)) : TVariant()});
    };
    std::string quote = odbc_->InfoText(SQL_IDENTIFIER_QUOTE_CHAR);
    const std::string separator = odbc_->InfoText(SQL_CATALOG_NAME_SEPARATOR);
    const std::string escape = odbc_->InfoText(SQL_SEARCH_PATTERN_ESCAPE);
    add("CATALOG_NAME", 2, "", odbc_->InfoUInt16(SQL_MAX_CATALOG_NAME_LEN));
    if (!separator.empty()) add("CATALOG_SEPARATOR", 3, separator);
    add("COLUMN_ALIAS", 5, "", odbc_->InfoUInt16(SQL_MAX_COLUMN_NAME_LEN));
    add("COLUMN_NAME", 6, "", odbc_->InfoUInt16(SQL_MAX_COLUMN_NAME_LEN));
    add("CORRELATION_NAME", 7, "", odbc_->InfoUInt16(SQL_MAX_TABLE_NAME_LEN));
    add("CURSOR_NAME", 8, "", odbc_->InfoUInt16(SQL_MAX_CURSOR_NAME_LEN));
    if (!escape.empty()) {
        add("ESCAPE_PERCENT_PREFIX", 9, escape);
        add("ESCAPE_UNDERSCORE_PREFIX", 10, escape);
    }
    add("LIKE_PERCENT", 12, "%");
    add("LIKE_UNDERSCORE", 13, "_");
    add("PROCEDURE_NAME", 14, "", odbc_->InfoUInt16(SQL_MAX_PROCEDURE_NAME_LEN));
    if (!quote.empty() && quote != " ") add("QUOTE", 15, quote);
    add("SCHEMA_NAME", 16, "", odbc_->InfoUInt16(SQL_MAX_SCHEMA_NAME_LEN));
    add("TABLE_NAME", 17, "", odbc_->InfoUInt16(SQL_MAX_TABLE_NAME_LEN));
    add("TEXT_COMMAND", 18, "");
    add("USER_NAME", 19, "", odbc_->InfoUInt16(SQL_MAX_USER_NAME_LEN));
    add("VIEW_NAME", 20, "", odbc_->InfoUInt16(SQL_MAX_TABLE_NAME_LEN));
    if (odbc_->InfoUInt32(SQL_SCHEMA_USAGE) != 0) add("SCHEMA_SEPARATOR", 27, ".");
    if (!quote.empty() && quote != " ") add("QUOTE_SUFFIX", 28, quote);
    return rs;
}

}  // namespace db
