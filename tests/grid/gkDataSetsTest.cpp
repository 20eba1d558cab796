// The library's query and stored procedure over real rows (a SQLite file of their own): the
// filter event's steps (counter and Escape, hourglass, options), the warning when the filter
// cannot go on, sequencing, the published defaults and the picture-mask check before a post;
// the stored procedure over a PostgreSQL set-returning function (skipped without GW_PG_PORT).

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "grid/Intl.h"
#include "grid/gkDataSets.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Streaming.h"
#include "platform/classes/TypInfo.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/Files.h"
#include "platform/ui/Forms.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/grid/GridTestSupport.h"
#include "tests/grid/PgTestServer.h"

namespace gkdatasetstest {

// A data set of another kind with the shared filter event: the steps do not depend on the
// concrete class. OnFilter accepts even IDs.
class TRunnerDataSet : public dbtest::TMemDataSet {
    GW_CLASS(TRunnerDataSet)

public:
    explicit TRunnerDataSet(grid::TgkFilterEvent::TSteps steps)
        : event(*this, steps,
                {[this](bool& accept) {
                     ++calls;
                     accept = FieldByName("ID")->AsInteger() % 2 == 0;
                     return true;
                 },
                 {}, [this] { RecordFiltersChanged(); }})
    {
        columns = {{"ID", db::ftInteger}};
        for (int i = 1; i <= 10; ++i) AddRow({db::TVariant(i)});
    }
    ~TRunnerDataSet() override { CloseOnDestroy(); }
    grid::TgkFilterOptions Options() const { return options; }
    void SetOptions(grid::TgkFilterOptions o) { options = o; }

    grid::TgkFilterOptions options{grid::ofoEnabled};
    int calls = 0;
    grid::TgkFilterEvent event;
};
GW_IMPLEMENT_CLASS(TRunnerDataSet, db::TDataSet)
{
    p.Set("OnFilterOptions", grid::gkFilterOptionInfo(), &TRunnerDataSet::Options, &TRunnerDataSet::SetOptions);
}

}  // namespace gkdatasetstest

namespace {

using grid::TgkFilterOptions;

TEST(GkFilterEvent, TheStoredProcedureStepsFilterWhateverEnabledSays)
{
    using TSteps = grid::TgkFilterEvent::TSteps;
    struct Case {
        const char* name;
        TSteps steps;
        TgkFilterOptions options;
        int shown;
    };
    const Case cases[] = {
        {"query, enabled", TSteps::Full, {grid::ofoEnabled}, 5},
        {"query, enabled removed", TSteps::Full, {}, 10},
        {"stored procedure, enabled", TSteps::HandlerOnly, {grid::ofoEnabled}, 5},
        {"stored procedure, enabled removed", TSteps::HandlerOnly, {grid::ofoCancelOnEscape}, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gkdatasetstest::TRunnerDataSet ds(c.steps);
        ds.options = c.options;
        ds.Open();
        ds.event.HandlerChanged(true, "cannot");
        int shown = 0;
        for (ds.First(); !ds.Eof(); ds.Next()) ++shown;
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(ds.calls > 0, c.shown == 5);
    }
}

// The window system's answers the filter asks for: each Escape check is recorded with the
// number of the OnFilter call it followed, and answered True on the `escapeOnAsk`th (1-based;
// 0 never); screen cursors set are recorded.
class TFilterWindowSystem : public gridtest::TFakeWindowSystem {
public:
    int* calls = nullptr;
    int escapeOnAsk = 0;
    std::vector<int> asked;
    std::vector<ui::TCursor> cursors;

    bool TakeWaitingKeyPress(ui::TKey key) override
    {
        EXPECT_EQ(key, ui::VK_ESCAPE);
        asked.push_back(calls != nullptr ? *calls : -1);
        return static_cast<int>(asked.size()) == escapeOnAsk;
    }
    void SetCursor(ui::TCursor cursor) override { cursors.push_back(cursor); }
};

// A query that can be edited, so that a post reaches the check before it; posts are counted.
class TEditableQuery : public grid::TgkQuery {
public:
    using TgkQuery::TgkQuery;
    int posts = 0;

protected:
    bool GetCanModify() const override { return true; }
    void InternalPost() override { ++posts; }
};

// Rows id 1..n, name "row <id>", code "<id>" in three digits except row 2's "12a".
class GkDataSets : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::Application().Reset();
        ui::Screen().SetCursor(ui::crDefault);
        path = std::filesystem::temp_directory_path() / ("gw_gkdatasets_" + std::to_string(::getpid()) + ".db");
        rtl::WriteStringToFile(path.string(), "");
        conn.SetLoginPrompt(false);
        conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + path.string()));
        conn.Open();
        conn.Execute("CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(20), code VARCHAR(10))");
    }
    void TearDown() override
    {
        conn.Close();
        std::filesystem::remove(path);
    }

    void Fill(int rows)
    {
        conn.Execute("INSERT INTO items WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < " +
                     std::to_string(rows) +
                     ") SELECT x, 'row ' || x, CASE WHEN x = 2 THEN '12a' ELSE substr('00' || x, -3) END FROM c");
    }
    template <class Q = grid::TgkQuery>
    std::unique_ptr<Q> Query()
    {
        auto q = std::make_unique<Q>(nullptr);
        q->SetConnection(&conn);
        q->SQL()->SetText("SELECT id, name, code FROM items ORDER BY id");
        return q;
    }
    static std::string Ids(db::TDataSet& ds, int most = 12)
    {
        std::string out;
        for (ds.First(); !ds.Eof() && most-- > 0; ds.Next()) out += ds.FieldByName("id")->AsString() + " ";
        return out;
    }

    TFilterWindowSystem ws;
    std::filesystem::path path;
    db::TADOConnection conn{nullptr};
};

TEST_F(GkDataSets, EscapeIsLookedForOnEvery100thRecordAndTheCounterWrapsAt32000)
{
    Fill(32150);
    struct Case {
        const char* name;
        int escapeOnAsk;
        int calls;          // OnFilter calls in all
        int asks;           // Escape checks
        int escapes;        // OnFilterEscape fired
        int shown;          // records showing afterwards
        std::int32_t counter;
    };
    const Case cases[] = {
        // 321 checks: calls 100, 200 ... 31900, then 32,000 (the counter back at 0), then 32,100.
        {"no Escape", 0, 32150, 321, 0, 16075, 150},
        // Escape on the third check: the filter is off from call 300 on and every record shows.
        {"Escape at call 300", 3, 300, 3, 1, 32150, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int calls = 0;
        int escapes = 0;
        ws.calls = &calls;
        ws.escapeOnAsk = c.escapeOnAsk;
        ws.asked.clear();
        auto q = Query();
        q->SetOnFilterOptions({grid::ofoEnabled, grid::ofoCancelOnEscape});
        q->OnFilterEscape = [&](db::TDataSet*) { ++escapes; };
        q->SetOnFilter([&](grid::TgkQuery* query, bool& accept) {
            ++calls;
            accept = query->FieldByName("id")->AsInteger() % 2 == 0;
        });
        q->Open();
        EXPECT_EQ(calls, c.calls);
        ASSERT_EQ(static_cast<int>(ws.asked.size()), c.asks);
        for (int i = 0; i < c.asks; ++i) EXPECT_EQ(ws.asked[i], (i + 1) * 100) << "check " << i;
        EXPECT_EQ(escapes, c.escapes);
        EXPECT_EQ(q->OnFilterOptions().Contains(grid::ofoEnabled), c.escapeOnAsk == 0);
        EXPECT_EQ(q->RecordCount(), c.shown);
        EXPECT_EQ(q->FilterEvent().Counter(), c.counter);
        // Reading the records again asks nothing more once Escape switched the filter off.
        const int before = calls;
        q->Close();
        q->Open();
        EXPECT_EQ(calls == before, c.escapeOnAsk != 0);
    }
}

TEST_F(GkDataSets, HourglassShowsOnceOnTheFirstRejectAndTheArrowComesBack)
{
    Fill(50);
    struct Case {
        const char* name;
        TgkFilterOptions options;
        int rejectFrom;  // ids from here on are rejected (0: none)
        std::vector<ui::TCursor> cursors;
    };
    const Case cases[] = {
        {"rejects", {grid::ofoEnabled, grid::ofoShowHourGlass}, 10, {ui::crHourGlass, ui::crArrow}},
        {"accepts all", {grid::ofoEnabled, grid::ofoShowHourGlass}, 0, {}},
        {"no hourglass option", {grid::ofoEnabled}, 10, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ws.cursors.clear();
        auto q = Query();
        q->SetOnFilterOptions(c.options);
        q->SetOnFilter([&](grid::TgkQuery* query, bool& accept) {
            accept = c.rejectFrom == 0 || query->FieldByName("id")->AsInteger() < c.rejectFrom;
        });
        q->Open();
        EXPECT_EQ(ws.cursors, c.cursors);
        q->Next();  // moving asks nothing of the filter here: no second hourglass
        EXPECT_EQ(ws.cursors, c.cursors);
    }
}

TEST_F(GkDataSets, RemovingEnabledShowsEveryRecordAtOnceAndSequencingFollowsOnFilter)
{
    Fill(20);
    auto q = Query();
    q->Open();
    EXPECT_TRUE(q->IsSequenced());
    q->SetOnFilter([](grid::TgkQuery* query, bool& accept) { accept = query->FieldByName("id")->AsInteger() % 3 == 0; });
    EXPECT_EQ(Ids(*q), "3 6 9 12 15 18 ");
    EXPECT_FALSE(q->IsSequenced());
    EXPECT_EQ(q->RecNo(), -1);
    q->Locate("id", db::TVariant(9));

    // ofoEnabled off: all records at once, the current one kept.
    q->SetOnFilterOptions({grid::ofoShowHourGlass});
    EXPECT_EQ(q->FieldByName("id")->AsInteger(), 9);
    EXPECT_EQ(q->RecordCount(), 20);
    // Back on: nothing is read again until the records are (as the options say).
    q->SetOnFilterOptions({grid::ofoEnabled, grid::ofoShowHourGlass});
    EXPECT_EQ(q->RecordCount(), 20);
    q->Close();
    q->Open();
    EXPECT_EQ(q->RecordCount(), 6);

    q->SetOnFilter(nullptr);
    EXPECT_EQ(q->RecordCount(), 20);
    EXPECT_TRUE(q->IsSequenced());
    EXPECT_EQ(q->RecNo(), 1);
}

TEST_F(GkDataSets, AFilterThatCannotGoOnWarnsAndLeavesTheQueryOpenAndUnfiltered)
{
    Fill(5);
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope(dialogs);
    dialogs.AnswerMessage(ui::mrOk);
    auto q = Query();
    q->Open();
    q->SetOnFilter([](grid::TgkQuery*, bool&) { throw db::EDatabaseError("the handler fails"); });
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].message.text, grid::gkLocalFilterWarning);
    EXPECT_EQ(dialogs.Asked()[0].message.type, ui::mtWarning);
    EXPECT_TRUE(q->Active());
    EXPECT_EQ(q->FilterEvent().Handle(), 0u);
    EXPECT_EQ(Ids(*q), "1 2 3 4 5 ");
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

TEST_F(GkDataSets, PublishedDefaultsOrderAndOwnedLists)
{
    grid::RegisterDataSetClasses();
    const std::vector<std::string> added = {"ControlType", "LookupFields",   "LookupLinks",     "PictureMasks",
                                            "ValidateWithMask", "OnFilter", "OnFilterEscape", "OnFilterOptions",
                                            "OnInvalidValue"};
    for (const char* className : {"TgkQuery", "TgkStoredProc"}) {
        SCOPED_TRACE(className);
        std::unique_ptr<classes::TComponent> c(classes::CreateComponent(className, nullptr));
        ASSERT_NE(c, nullptr);
        const auto& props = c->ClassInfo().Properties();
        ASSERT_GE(props.size(), added.size());
        std::vector<std::string> last;
        for (std::size_t i = props.size() - added.size(); i < props.size(); ++i) last.push_back(props[i]->Name());
        EXPECT_EQ(last, added);
        EXPECT_EQ(classes::GetBoolProp(*c, "ValidateWithMask"), true);
        auto* ds = dynamic_cast<db::TDataSet*>(c.get());
        ASSERT_NE(ds, nullptr);
        EXPECT_EQ(grid::gkGetFilterOptions(ds), (TgkFilterOptions{grid::ofoEnabled, grid::ofoShowHourGlass}));
        // Always stored, defaults or not.
        EXPECT_NE(classes::WriteComponentText(*c).find("ValidateWithMask = True"), std::string::npos);

        // The lists are the data set's own: setting one copies the items.
        rtl::TStringList masks;
        masks.Add("code\t###");
        ASSERT_TRUE(classes::SetPropValue(*c, "PictureMasks", classes::TPropValue(static_cast<rtl::TStrings*>(&masks))));
        rtl::TStrings* own = classes::GetStringsProp(*c, "PictureMasks");
        ASSERT_NE(own, nullptr);
        EXPECT_NE(own, &masks);
        masks.Clear();
        EXPECT_EQ(own->Count(), 1);
    }
    std::unique_ptr<classes::TComponent> source(classes::CreateComponent("TgkDataSource", nullptr));
    EXPECT_NE(dynamic_cast<db::TDataSource*>(source.get()), nullptr);
}

TEST_F(GkDataSets, PictureMasksAreCheckedBeforeThePostReachesTheDatabase)
{
    Fill(3);
    struct Case {
        const char* name;
        int id;
        const char* mask;
        bool validate;
        bool raises;
    };
    const Case cases[] = {
        {"matches", 1, "###", true, false},
        {"breaks the mask", 2, "###", true, true},
        {"check switched off", 2, "###", false, false},
        {"no mask", 2, "", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto q = Query<TEditableQuery>();
        if (*c.mask != '\0') q->PictureMasks()->Add(std::string("CODE\t") + c.mask);
        q->SetValidateWithMask(c.validate);
        std::vector<std::string> invalid;
        q->OnInvalidValue = [&](db::TDataSet*, db::TField* f) { invalid.push_back(f->FieldName()); };
        q->Open();
        ASSERT_TRUE(q->Locate("id", db::TVariant(c.id)));
        q->Edit();
        if (c.raises) {
            try {
                q->Post();
                ADD_FAILURE() << "no error";
            } catch (const db::EDatabaseError& e) {
                EXPECT_EQ(e.Message(), grid::gkIntlDefault().UserMessages.PictureValidateError + "code");
            }
            EXPECT_EQ(invalid, std::vector<std::string>{"code"});
            EXPECT_EQ(q->posts, 0);
            q->Cancel();
        } else {
            q->Post();
            EXPECT_TRUE(invalid.empty());
            EXPECT_EQ(q->posts, 1);
        }
    }
}

TEST_F(GkDataSets, OpeningDropsTheListEntriesOfFieldsTheResultLacks)
{
    Fill(1);
    auto q = Query();
    q->ControlType()->Add("name;CheckBox;Y;N");
    q->ControlType()->Add("gone;Combo;x");
    q->LookupFields()->Add("gone;db;table;shown;x");
    q->LookupLinks()->Add("gone;id");
    q->Open();
    EXPECT_EQ(q->ControlType()->Count(), 1);
    EXPECT_EQ(q->LookupFields()->Count(), 0);
    EXPECT_EQ(q->LookupLinks()->Count(), 0);
}

// Table and procedure names come from stored forms: only an identifier path reaches a statement;
// anything else is refused before a statement runs, so the table is still there.
TEST_F(GkDataSets, ATableOrProcedureNameThatIsNoIdentifierPathIsRefusedBeforeAnythingRuns)
{
    Fill(3);
    struct Case {
        const char* name;
        bool accepted;
    } const cases[] = {
        {"list_items", true},        {"public.list_items", true},     {"\"Odd \"\"name\"\"\".p$1", true},
        {"items(); DROP TABLE items; --", false}, {"p)", false},      {"1p", false},
        {"a..b", false},             {"\"unclosed", false},           {"p q", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        grid::TgkStoredProc proc(nullptr);
        proc.SetConnection(&conn);
        proc.SetProcedureName(c.name);
        std::string message;
        try {
            proc.Open();
        } catch (const rtl::Exception& e) {
            message = e.Message();
        }
        // SQLite has no procedures: an accepted name fails in the driver, not in the check.
        EXPECT_EQ(message.find("Invalid procedure name"), c.accepted ? std::string::npos : 0u) << message;
        EXPECT_FALSE(proc.Active());
    }
    // A table name the caller quoted is taken as written only when it is such a path too.
    for (const Case& c : {Case{"\"items\"", true}, Case{"\"items\"; DROP TABLE items; --", false}}) {
        SCOPED_TRACE(c.name);
        db::TADOTable table(nullptr);
        table.SetConnection(&conn);
        table.SetTableName(c.name);
        std::string message;
        try {
            table.Open();
        } catch (const rtl::Exception& e) {
            message = e.Message();
        }
        EXPECT_EQ(table.Active(), c.accepted) << message;
        if (!c.accepted) EXPECT_EQ(message.find("Invalid table name"), 0u) << message;
    }
    auto q = Query();
    q->Open();
    EXPECT_EQ(q->RecordCount(), 3);
}

// The stored procedure on the PostgreSQL test server: a set-returning function's rows through
// the call escape with its input parameters, filtered whatever ofoEnabled says.
TEST(GkStoredProcPg, ASetReturningFunctionGivesRowsAndFiltersWithoutEnabled)
{
    const std::optional<std::string> init = gridtest::PgTestInitString();
    if (!init) GTEST_SKIP() << "GW_PG_PORT is not set: no PostgreSQL test server";
    ui::Application().Reset();
    db::TADOConnection conn(nullptr);
    conn.SetLoginPrompt(false);
    conn.SetConnectionString(*init);
    try {
        conn.Open();
    } catch (const rtl::Exception& e) {
        GTEST_SKIP() << "PostgreSQL does not answer: " << e.Message();
    }
    const std::string fn = "gw_gk_numbers_" + std::to_string(::getpid());
    conn.Execute("CREATE OR REPLACE FUNCTION " + fn +
                 "(lo integer, prefix text) RETURNS TABLE(n integer, label text) AS $$ SELECT g, prefix || g FROM "
                 "generate_series(lo, lo + 5) g $$ LANGUAGE sql");
    struct Drop {
        db::TADOConnection& conn;
        std::string fn;
        ~Drop() { conn.Execute("DROP FUNCTION IF EXISTS " + fn + "(integer, text)"); }
    } drop{conn, fn};

    grid::TgkStoredProc proc(nullptr);
    proc.SetConnection(&conn);
    proc.SetProcedureName(fn);
    proc.SetParameter("lo", db::TVariant(10));
    proc.SetParameter("prefix", db::TVariant("n"));
    proc.Open();
    EXPECT_EQ(proc.RecordCount(), 6);
    EXPECT_EQ(proc.FieldByName("label")->AsString(), "n10");
    proc.Close();

    int calls = 0;
    proc.SetOnFilter([&](grid::TgkStoredProc* p, bool& accept) {
        ++calls;
        accept = p->FieldByName("n")->AsInteger() % 2 == 1;
    });
    struct Case {
        const char* name;
        TgkFilterOptions options;
    };
    for (const Case& c : {Case{"enabled", {grid::ofoEnabled, grid::ofoShowHourGlass}},
                          Case{"enabled removed", {grid::ofoShowHourGlass, grid::ofoCancelOnEscape}}}) {
        SCOPED_TRACE(c.name);
        proc.Close();
        proc.SetOnFilterOptions(c.options);
        calls = 0;
        proc.Open();
        EXPECT_EQ(calls, 6);
        std::string labels;
        for (proc.First(); !proc.Eof(); proc.Next()) labels += proc.FieldByName("label")->AsString() + " ";
        EXPECT_EQ(labels, "n11 n13 n15 ");
    }
}

}  // namespace
