// Fuzz target of the column lists a project file stores (the eleven per-column settings and
// the four lists of checked flags), read back as opening a project reads them: the flags
// taken, the column list view built, the data grid's columns chosen, the lists brought up to
// date with the open query's fields, and every row of the pages built from them. Lists of any
// content and length must end in pages, never in a crash, a leak, a hang or a list left out
// of step with the others.
//
// The input is the lists one after another, one entry a line; a line holding only "|" starts
// the next list (FieldList, ShowModeList, AlignmentList, ShowDataList, PrefixList,
// SuffixList, FormatList, HyperlinkTypeList, UrlList, ParamList, TargetList, CheckFieldList,
// CheckShowDataList, CheckPrefixList, CheckSuffixList).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "designer/ColumnModel.h"
#include "designer/FDesign.h"
#include "designer/HtmlRows.h"
#include "fuzz/FuzzSupport.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

namespace {

// A query over a few rows of every kind of column the pages format, values hostile and null
// among them; opened once for the whole run.
db::TADOQuery& Query()
{
    static db::TADOConnection connection(nullptr);
    static db::TADOQuery query(nullptr);
    if (query.Active()) return query;
    const std::string file = fuzz::ScratchFolder() + "/rows.db";
    rtl::WriteStringToFile(file, "");
    connection.SetLoginPrompt(false);
    connection.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + file));
    connection.Open();
    connection.Execute(
        "CREATE TABLE item (id INTEGER, name VARCHAR(60), price DOUBLE, amount DECIMAL(12,4), added DATE, "
        "stamp TIMESTAMP, link VARCHAR(80), photo VARCHAR(60))");
    connection.Execute(
        "INSERT INTO item VALUES (1, 'Tom & Jerry <b>', 1234.5, 1234.5678, '1994-06-19', '1994-06-19 17:34:23', "
        "'http://example.com/a b?x=[NAME]', 'a.gif')");
    connection.Execute(
        "INSERT INTO item VALUES (-9223372036854775808, '[LINK]%>\"''', -1e308, -99999999.9999, NULL, NULL, "
        "'javascript:alert(1)', 'x\" onerror=\"alert(1).gif')");
    connection.Execute("INSERT INTO item VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
    query.SetConnection(&connection);
    query.SQL()->SetText("SELECT * FROM item");
    query.Open();
    return query;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    db::TADOQuery& query = Query();
    rtl::TStringList input;
    input.SetText(std::string(reinterpret_cast<const char*>(data), size));

    designer::TColumnModel model;
    std::vector<rtl::TStrings*> lists;
    model.ForEachList([&lists](rtl::TStrings& list) { lists.push_back(&list); });
    for (rtl::TStrings* check :
         {&model.CheckFieldList, &model.CheckShowDataList, &model.CheckPrefixList, &model.CheckSuffixList})
        lists.push_back(check);
    std::size_t current = 0;
    for (int i = 0; i < input.Count(); ++i) {
        if (input.Strings(i) == "|") {
            if (++current == lists.size()) break;
            continue;
        }
        lists[current]->Add(input.Strings(i));
    }

    // Opening the project.
    model.LoadCheckFlags();
    model.RebuildListView();
    fuzz::Check(model.ListView().Count() == model.ColumnCount(), "the list view has a row per column");
    designer::GridColumnEntries(model, query);

    // The query's fields: every list as long as the fields, each column the key of its field
    // (keys are matched ignoring case, so a hand-edited key may keep its letters).
    model.RebuildColumnList("Update", query);
    const int fields = query.FieldCount();
    model.ForEachList([fields](rtl::TStrings& list) {
        fuzz::Check(list.Count() == fields, "every list has an entry per field");
    });
    fuzz::Check(model.ListView().Count() == fields, "the list view has a row per field");
    for (int i = 0; i < fields; ++i)
        fuzz::Check(rtl::AnsiSameText(model.Key(i), designer::ColumnKey(query.Fields().Fields(i)->DisplayName())),
                    "column i is the column of field i");

    // The pages; a format entry that is no format is the page writer's error.
    designer::THtmlRowWriter rows(model, query);
    try {
        std::string page;
        rows.AppendHeaderRow(page);
        int r = 0;
        for (query.First(); !query.Eof(); query.Next(), ++r) {
            rows.AppendRowStyle1(page, r);
            rows.AppendRowStyle2(page, r);
            for (int i = 0; i < fields; ++i) rows.AppendCellContent(page, i);
        }
    } catch (const rtl::EConvertError&) {
    } catch (const rtl::EListError&) {
    }
    return 0;
}
