// Finding a record by a field's value: over an in-memory data set and over an ADO query on a
// SQLite file, by the scan and by the data set's Locate.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "grid/FindMatch.h"
#include "grid/GridRoutines.h"
#include "grid/Intl.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Files.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/db/MemDataSet.h"
#include "tests/grid/StandInCellControls.h"

namespace {

using grid::mtExactMatch;
using grid::mtPartialMatchAny;
using grid::mtPartialMatchStart;

const std::string kBig1 = "12345678901234567890123456789012345678";
const std::string kBig4 = "12345678901234567890123456789012345679";  // the same double as kBig1
const std::string kLongMemo = std::string(40000, 'x') + "needle";

struct Row {
    int id;
    const char* name;
    double price;
    std::string note;
    std::string big;
};
const std::vector<Row> kRows = {
    {1, "Bern", 12.5, "short note", kBig1},
    {2, "basel", 7.25, kLongMemo, "99"},
    {3, "Bergen", 12.5, "Another NOTE", "1"},
    {4, "Oslo", 3, "", kBig4},
};

struct Case {
    const char* what;
    int startId;
    bool fromBeginning;
    const char* field;
    std::string text;
    std::uint8_t matchType;
    bool caseSensitive;
    bool found;
    int endId;
};

// What both data sets answer alike.
const std::vector<Case> kCases = {
    {"exact, case ignored", 4, true, "NAME", "BASEL", mtExactMatch, false, true, 2},
    {"exact, case counts", 4, true, "NAME", "Basel", mtExactMatch, true, false, 4},
    {"exact is whole", 4, true, "NAME", "Ber", mtExactMatch, false, false, 4},
    {"start", 4, true, "NAME", "ber", mtPartialMatchStart, false, true, 1},
    {"start, case counts", 1, true, "NAME", "ber", mtPartialMatchStart, true, false, 1},
    {"anywhere", 1, true, "NAME", "LO", mtPartialMatchAny, false, true, 4},
    {"next start match", 1, false, "NAME", "BER", mtPartialMatchStart, false, true, 3},
    {"no further match", 3, false, "NAME", "BER", mtPartialMatchStart, false, false, 3},
    {"unknown match type", 1, true, "NAME", "BERN", 3, false, false, 1},
    {"12.50 finds 12.5", 4, true, "PRICE", "12.50", mtExactMatch, false, true, 1},
    {"12.50 steps on", 1, false, "PRICE", "12.50", mtExactMatch, false, true, 3},
    {"12.50 no further", 3, false, "PRICE", "12.50", mtExactMatch, false, false, 3},
    {"38 digits, last differs", 1, true, "BIG", kBig4, mtExactMatch, false, true, 4},
    {"38 digits", 4, true, "BIG", kBig1, mtExactMatch, false, true, 1},
    {"memo anywhere", 1, true, "NOTE", "NEEDLE", mtPartialMatchAny, false, true, 2},
    {"memo compared whole", 1, true, "NOTE", std::string(300, 'x') + "needle", mtPartialMatchAny, false, true, 2},
    {"memo, case counts", 1, true, "NOTE", "note", mtPartialMatchAny, true, true, 1},
    {"memo exact", 1, true, "NOTE", "another note", mtExactMatch, false, true, 3},
    {"empty text starts every value", 3, true, "NAME", "", mtPartialMatchStart, false, true, 1},
};

int CurrentId(db::TDataSet& ds) { return ds.FieldByName("ID")->AsInteger(); }

void MoveTo(db::TDataSet& ds, int id)
{
    ds.First();
    while (!ds.Eof() && CurrentId(ds) != id) ds.Next();
}

// Runs the cases on an open data set; with `locate` the data set's own Locate answers what
// it may.
void RunCases(db::TDataSet& ds, bool locate)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        MoveTo(ds, c.startId);
        EXPECT_EQ(grid::gkFindMatch(c.fromBeginning, ds, c.field, c.text, c.matchType, c.caseSensitive, locate),
                  c.found);
        EXPECT_EQ(CurrentId(ds), c.endId);
        EXPECT_EQ(ds.State(), db::dsBrowse);
    }
}

class FindMatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mem.columns = {{"ID", db::ftInteger},
                       {"NAME", db::ftString, 20},
                       {"PRICE", db::ftFloat},
                       {"NOTE", db::ftMemo},
                       {"BIG", db::ftBCD, 0}};
        for (const Row& r : kRows)
            mem.AddRow({db::TVariant(r.id), db::TVariant(r.name), db::TVariant(r.price), db::TVariant(r.note),
                        db::TVariant::FromDecimal(r.big)});
        mem.Open();
    }

    dbtest::TMemDataSet mem;
};

TEST_F(FindMatchTest, ScanAndLocateAgreeOnMemoryData)
{
    for (const bool locate : {false, true}) {
        SCOPED_TRACE(locate ? "Locate" : "scan");
        RunCases(mem, locate);
    }
}

TEST_F(FindMatchTest, UnknownFieldWarnsAndStays)
{
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope(dialogs);
    MoveTo(mem, 3);
    EXPECT_FALSE(grid::gkFindMatch(true, mem, "NOPE", "x", mtExactMatch, false, false));
    EXPECT_EQ(CurrentId(mem), 3);
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].message.text, "Field NOPE not found.");
}

// The current record answers at once; otherwise the search runs from the first record.
TEST_F(FindMatchTest, FindMatchInFieldStaysOnAMatchingRecord)
{
    struct InField {
        int startId;
        const char* text;
        bool caseSensitive;
        std::uint8_t matchType;
        bool found;
        int endId;
    };
    const InField cases[] = {
        {3, "BERGEN", false, mtExactMatch, true, 3},
        {3, "BERGEN", true, mtExactMatch, false, 3},
        {3, "Ber", false, mtPartialMatchStart, true, 1},
        {2, "slo", false, mtPartialMatchAny, true, 4},
    };
    for (const InField& c : cases) {
        SCOPED_TRACE(c.text);
        MoveTo(mem, c.startId);
        EXPECT_EQ(grid::gkFindMatchInField(mem, c.text, "NAME", c.caseSensitive, c.matchType), c.found);
        EXPECT_EQ(CurrentId(mem), c.endId);
    }
}

// A memo in rich text is searched in its plain text, read by a hidden reader made for the
// search; without one it is compared as stored.
TEST_F(FindMatchTest, RichTextMemoSearchedInItsPlainText)
{
    mem.Close();
    mem.AddRow({db::TVariant(5), db::TVariant("Rome"), db::TVariant(1.0), db::TVariant("{\\rtf1 \\b bold\\b0  plain}"),
                db::TVariant::FromDecimal("5")});
    mem.Open();
    for (const bool reader : {false, true}) {
        SCOPED_TRACE(reader);
        std::optional<gridtest::TRichReaderScope> scope;
        if (reader) scope.emplace();
        MoveTo(mem, 5);  // the search asks the current record whether the memo holds rich text
        EXPECT_EQ(grid::gkFindMatch(true, mem, "NOTE", "BOLD PLAIN", mtExactMatch, false, false), reader);
        EXPECT_EQ(CurrentId(mem), 5);
        MoveTo(mem, 4);
        EXPECT_EQ(grid::gkFindMatch(true, mem, "NOTE", "Another NOTE", mtExactMatch, true, false), true);
        EXPECT_EQ(CurrentId(mem), 3);
    }
}

// The same cases over an ADO query on a SQLite file: by the scan, and with the query's own
// Locate for what it answers (a search from the first record for an exact or start match).
TEST(FindMatchAdo, ScanAndLocateAgreeOnAnAdoQuery)
{
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("gw_find_match_" + std::to_string(::getpid()) + ".db");
    rtl::WriteStringToFile(path.string(), "");
    {
        db::TADOConnection conn(nullptr);
        conn.SetLoginPrompt(false);
        conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + path.string()));
        conn.Open();
        conn.Execute("CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(20), price REAL, note TEXT, "
                     "big VARCHAR(40))");
        for (const Row& r : kRows) {
            conn.Execute("INSERT INTO items VALUES (" + std::to_string(r.id) + ", '" + r.name + "', " +
                         std::to_string(r.price) + ", '" + r.note + "', '" + r.big + "')");
        }
        db::TADOQuery query(nullptr);
        query.SetConnection(&conn);
        query.SQL()->SetText("SELECT id AS ID, name AS NAME, price AS PRICE, note AS NOTE, big AS BIG FROM items "
                             "ORDER BY id");
        query.Open();
        bool& useLocate = grid::gkIntlDefault().ADO.UseLocateWhenFindingValue;
        const bool saved = useLocate;
        for (const bool locate : {false, true}) {
            SCOPED_TRACE(locate ? "Locate" : "scan");
            useLocate = locate;
            RunCases(query, false);
        }
        useLocate = saved;
        query.Close();
        conn.Close();
    }
    std::filesystem::remove(path);
}

}  // namespace
