#include "platform/db/ConnectionString.h"

#include <algorithm>
#include <array>

#include "platform/db/DbErrors.h"
#include "platform/rtl/SysUtils.h"

namespace db {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view TrimView(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Reads "key=" from `text` at `pos`; "==" stands for "=" when `doubledEquals`. False when the
// segment ends before an "=".
bool ReadKey(std::string_view text, std::size_t& pos, bool doubledEquals, std::string& key)
{
    key.clear();
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == ';') return false;
        if (c == '=') {
            if (doubledEquals && pos + 1 < text.size() && text[pos + 1] == '=') {
                key += '=';
                pos += 2;
                continue;
            }
            ++pos;
            key = std::string(TrimView(key));
            return true;
        }
        key += c;
        ++pos;
    }
    return false;
}

void SkipToNextPair(std::string_view text, std::size_t& pos)
{
    while (pos < text.size() && text[pos] != ';') ++pos;
    if (pos < text.size()) ++pos;
}

// Reads a value up to ";" (or a quoted / braced value, then up to ";").
std::string ReadValue(std::string_view text, std::size_t& pos, std::string_view openers)
{
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    std::string value;
    if (pos < text.size() && openers.find(text[pos]) != std::string_view::npos) {
        const char open = text[pos++];
        const char close = open == '{' ? '}' : open;
        while (pos < text.size()) {
            const char c = text[pos++];
            if (c == close) {
                if (pos < text.size() && text[pos] == close) {
                    value += close;
                    ++pos;
                    continue;
                }
                break;
            }
            value += c;
        }
        SkipToNextPair(text, pos);
        return value;
    }
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] != ';') ++pos;
    value = std::string(TrimView(text.substr(start, pos - start)));
    if (pos < text.size()) ++pos;
    return value;
}

TConnectionParams Parse(std::string_view text, bool doubledEquals, std::string_view openers)
{
    TConnectionParams params;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && (IsBlank(text[pos]) || text[pos] == ';')) ++pos;
        if (pos >= text.size()) break;
        std::string key;
        if (!ReadKey(text, pos, doubledEquals, key)) {
            SkipToNextPair(text, pos);  // a segment without "=" carries nothing
            continue;
        }
        std::string value = ReadValue(text, pos, openers);
        if (!key.empty()) params.push_back({std::move(key), std::move(value)});
    }
    return params;
}

bool NeedsEnclosing(const std::string& value, std::string_view specials)
{
    if (value.empty()) return false;
    if (IsBlank(value.front()) || IsBlank(value.back())) return true;
    return value.find_first_of(specials) != std::string::npos;
}

std::string Doubled(const std::string& value, char quote)
{
    std::string out;
    for (char c : value) {
        out += c;
        if (c == quote) out += c;
    }
    return out;
}

// Properties of the OLE DB initialisation string that the provider itself consumes.
constexpr std::array<std::string_view, 22> kOleDbProperties{
    "Provider", "Data Source", "Extended Properties", "User ID", "Password", "Initial Catalog",
    "Persist Security Info", "Prompt", "Mode", "Connect Timeout", "General Timeout", "Location",
    "Locale Identifier", "OLE DB Services", "Window Handle", "Cache Authentication", "Encrypt Password",
    "Mask Password", "Impersonation Level", "Protection Level", "Integrated Security", "File Name"};

bool IsOleDbProperty(std::string_view key)
{
    return std::any_of(kOleDbProperties.begin(), kOleDbProperties.end(),
                       [&](std::string_view p) { return rtl::SameText(p, key); });
}

}  // namespace

TConnectionParams ParseInitString(std::string_view text) { return Parse(text, true, "\"'"); }

std::string FormatInitString(const TConnectionParams& params)
{
    std::string out;
    for (const TConnectionParam& p : params) {
        if (!out.empty()) out += ';';
        std::string key;
        for (char c : p.key) {
            key += c;
            if (c == '=') key += '=';
        }
        out += key + '=';
        if (NeedsEnclosing(p.value, ";\"'") || (!p.value.empty() && (p.value[0] == '"' || p.value[0] == '\''))) {
            const char quote = p.value.find('"') != std::string::npos && p.value.find('\'') == std::string::npos ? '\''
                                                                                                             : '"';
            out += quote + Doubled(p.value, quote) + quote;
        } else {
            out += p.value;
        }
    }
    return out;
}

TConnectionParams ParseOdbcString(std::string_view text) { return Parse(text, false, "{"); }

std::string FormatOdbcString(const TConnectionParams& params)
{
    std::string out;
    for (const TConnectionParam& p : params) {
        if (!out.empty()) out += ';';
        out += p.key + '=';
        const bool brace = NeedsEnclosing(p.value, ";{}") ||
                           (rtl::SameText(p.key, "DRIVER") && p.value.find(' ') != std::string::npos);
        out += brace ? "{" + Doubled(p.value, '}') + "}" : p.value;
    }
    return out;
}

std::optional<std::string> FindParam(const TConnectionParams& params, std::string_view key)
{
    for (auto it = params.rbegin(); it != params.rend(); ++it)
        if (rtl::SameText(it->key, key)) return it->value;
    return std::nullopt;
}

void SetParam(TConnectionParams& params, std::string_view key, std::string value)
{
    RemoveParam(params, key);
    params.push_back({std::string(key), std::move(value)});
}

void RemoveParam(TConnectionParams& params, std::string_view key)
{
    std::erase_if(params, [&](const TConnectionParam& p) { return rtl::SameText(p.key, key); });
}

const std::vector<TProviderInfo>& InstalledProviders()
{
    static const std::vector<TProviderInfo> providers{
        {"MSDASQL.1", "ODBC data sources"},
        {"Microsoft.Jet.OLEDB.4.0", "Desktop database file"},
        {"SQLOLEDB.1", "Database server"},
        {"MSDAORA.1", "Database server"},
    };
    return providers;
}

std::string ProviderOf(std::string_view initString)
{
    const std::optional<std::string> provider = FindParam(ParseInitString(initString), "Provider");
    return provider && !provider->empty() ? *provider : std::string("MSDASQL");
}

bool IsOdbcProvider(std::string_view provider)
{
    const std::string_view p = TrimView(provider);
    if (p.size() < 7 || !rtl::SameText(p.substr(0, 7), "MSDASQL")) return false;
    return p.size() == 7 || p[7] == '.';
}

std::string OleDbToOdbc(std::string_view initString, const std::optional<std::string>& userId,
                        const std::optional<std::string>& password)
{
    const TConnectionParams params = ParseInitString(initString);
    const std::optional<std::string> provider = FindParam(params, "Provider");
    if (provider && !provider->empty() && !IsOdbcProvider(*provider))
        throw EDatabaseError("Provider \"" + *provider +
                             "\" is not supported: connections are opened through the OLE DB provider for ODBC "
                             "(MSDASQL) only.");

    TConnectionParams odbc = ParseOdbcString(FindParam(params, "Extended Properties").value_or(""));
    const bool namesSource =
        FindParam(odbc, "DSN") || FindParam(odbc, "FILEDSN") || FindParam(odbc, "DRIVER");
    if (const auto source = FindParam(params, "Data Source"); source && !source->empty() && !namesSource)
        odbc.insert(odbc.begin(), {"DSN", *source});
    if (const auto catalog = FindParam(params, "Initial Catalog"); catalog && !catalog->empty())
        SetParam(odbc, "DATABASE", *catalog);
    if (const auto user = userId ? userId : FindParam(params, "User ID"); user) SetParam(odbc, "UID", *user);
    if (const auto pwd = password ? password : FindParam(params, "Password"); pwd) SetParam(odbc, "PWD", *pwd);
    for (const TConnectionParam& p : params)
        if (!IsOleDbProperty(p.key)) SetParam(odbc, p.key, p.value);

    const std::optional<std::string> driver = FindParam(odbc, "DRIVER");
    const std::optional<std::string> dsn = FindParam(odbc, "DSN");
    if (driver && !dsn && rtl::Pos("SQLITE", rtl::UpperCase(*driver)) > 0) {
        if (!FindParam(odbc, "NoCreat")) odbc.push_back({"NoCreat", "1"});
        if (!FindParam(odbc, "StepAPI")) odbc.push_back({"StepAPI", "1"});
    }
    // A PostgreSQL server that vanishes with the network is noticed after about two minutes
    // of silence (30 s, then 9 probes 10 s apart) instead of the system's two hours.
    const std::string driverName = rtl::UpperCase(dsn ? DataSourceDriver(*dsn) : driver.value_or(""));
    if (rtl::Pos("POSTGRES", driverName) > 0 || rtl::Pos("PSQLODBC", driverName) > 0) {
        if (!FindParam(odbc, "KeepaliveTime")) odbc.push_back({"KeepaliveTime", "30"});
        if (!FindParam(odbc, "KeepaliveInterval")) odbc.push_back({"KeepaliveInterval", "10"});
    }
    return FormatOdbcString(odbc);
}

std::string MakeOdbcInitString(std::string_view odbcConnectionString)
{
    return FormatInitString({{"Provider", "MSDASQL.1"},
                             {"Persist Security Info", "False"},
                             {"Extended Properties", std::string(odbcConnectionString)}});
}

}  // namespace db
