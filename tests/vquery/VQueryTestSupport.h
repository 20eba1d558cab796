#pragma once
// Shared pieces of the visual query tests: a temporary program folder (so the registry is a
// file of the test's own), a fake schema (tables described without a database) and a query
// wired to the scripted dialog service.

#include <memory>
#include <string>
#include <vector>

#include "schema/AdoSchema.h"
#include "platform/ui/testing/TestDialogs.h"
#include "vquery/VQuery.h"

namespace vqtest {

// The temporary GRIDWEAVER_HOME of this test program (created on first use).
const std::string& HomeDir();

// Removes every section of the SQL settings ("SQL Generator Global") from the test's registry.
void ClearSqlSettings();

struct Column {
    std::string name;
    int adoType = db::adVarWChar;
};

// Adds a table of the fake schema to `list` the way the table listing names it.
app::ado::TTableRef AddFakeTable(rtl::TStrings& list, const std::string& schema, const std::string& name,
                                 const std::vector<Column>& columns);

// A query over a fake schema: quote `"`, no special characters, no keyword lists, its
// messages answered by `dialogs`.
class QueryFixture {
public:
    QueryFixture();
    ~QueryFixture();
    vquery::TmfVQuery& Q() { return *query; }
    // Adds a fake table to the query's table list.
    void Table(const std::string& schema, const std::string& name, const std::vector<Column>& columns);
    vquery::TmfVQueryTable* Box(const std::string& name) { return query->AddTable(name, {10, 10}, true); }
    static vquery::TmfVQueryField* F(vquery::TmfVQueryTable* box, const std::string& fieldName);
    std::vector<std::string> Sql();

    ui::TScriptedDialogs dialogs;
    std::unique_ptr<ui::TDialogServiceScope> scope;
    std::unique_ptr<vquery::TmfVQuery> query;
};

std::vector<std::string> Lines(const rtl::TStrings& list);

}  // namespace vqtest
