#include "VQueryTestSupport.h"

#include "platform/rtl/Registry.h"

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

namespace vqtest {

const std::string& HomeDir()
{
    static const std::string dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "gw_vquery_XXXXXX").string();
        const char* made = mkdtemp(pattern.data());
        const std::string path = made ? made : "";
        setenv("GRIDWEAVER_HOME", path.c_str(), 1);
        return path;
    }();
    return dir;
}

namespace {
// Set before any test runs: every query reads its settings from the registry when made.
const bool kHomeSet = !HomeDir().empty();

struct HomeCleanup {
    ~HomeCleanup()
    {
        std::error_code ec;
        if (kHomeSet) std::filesystem::remove_all(HomeDir(), ec);
    }
} homeCleanup;
}  // namespace

app::ado::TTableRef AddFakeTable(rtl::TStrings& list, const std::string& schema, const std::string& name,
                                 const std::vector<Column>& columns)
{
    auto table = std::make_shared<app::ado::TQADOTable>(nullptr, schema, name, "TABLE");
    int ordinal = 0;
    for (const Column& c : columns) {
        app::ado::TQADOField* f = table->AddField();
        f->name = c.name;
        f->dataType = c.adoType;
        f->ordinal = ++ordinal;
    }
    std::string prefix = rtl::UpperCase(schema);
    if (prefix == "PUBLIC") prefix.clear();
    if (!prefix.empty()) prefix += ".";
    list.AddObject(prefix + rtl::UpperCase(name), table);
    return table;
}

QueryFixture::QueryFixture()
{
    scope = std::make_unique<ui::TDialogServiceScope>(dialogs);
    query = std::make_unique<vquery::TmfVQuery>(nullptr);
    query->SetConnectionType(vquery::ctADO);
    query->SetQuoteChars("\"");
}

QueryFixture::~QueryFixture()
{
    query.reset();
    scope.reset();
}

void QueryFixture::Table(const std::string& schema, const std::string& name, const std::vector<Column>& columns)
{
    AddFakeTable(query->TableNames(), schema, name, columns);
}

vquery::TmfVQueryField* QueryFixture::F(vquery::TmfVQueryTable* box, const std::string& fieldName)
{
    for (int i = 0; i < box->Fields().Count(); ++i)
        if (box->Fields().Items(i)->FieldName == fieldName) return box->Fields().Items(i);
    return nullptr;
}

std::vector<std::string> QueryFixture::Sql() { return Lines(*query->SQL()); }

std::vector<std::string> Lines(const rtl::TStrings& list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Strings(i));
    return out;
}

void ClearSqlSettings()
{
    rtl::TRegIniFile ini("SQL Generator Global");
    for (const std::string& s : ini.ReadSections()) ini.EraseSection(s);
}

}  // namespace vqtest
