// The design window as its stored form (the one built into the program) sets it up: the SQL
// and HTML editors' settings, the visual query's (outer joins in Join Properties, views in the
// table list) and the table-colour pickers' (a "Default" entry of its own, so that black is a
// colour like any other). The outer join runs on SQLite and on the PostgreSQL test server
// (skipped when GW_PG_PORT is unset or the server does not answer).

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include <unistd.h>

#include "designer/FDesign.h"
#include "tests/designer/DesignWindowFixture.h"
#include "designer/ColorSchemes.h"
#include "editor/TextMemo.h"
#include "editor/TextMemoStrings.h"
#include "framedctrls/FcCmboBx.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/DbClasses.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/testing/TestDialogs.h"
#include "vquery/VQuery.h"

using namespace designer;
namespace fs = std::filesystem;

namespace {

using test_support::kShare;

class DesignFormSettings : public test_support::DesignWindowFixture {
protected:
    TFrmDesign& Open(db::TADOConnection* conn = nullptr) { return DesignWindowFixture::Open(conn); }
};

TEST_F(DesignFormSettings, TheEditorsTakeTheFormsSettings)
{
    Open();
    const struct {
        const char* name;
        std::string separators;
        bool largeWordSelect;
        int caretWidth;
        ui::TScrollStyle scrollBars;
        int helpContext;
    } cases[] = {
        {"mm_sql", "\t ,.:;", true, 2, ui::ssBoth, 0},
        {"mmHTMLHeader", "\t $%&,./:;<=>", false, 1, ui::ssVertical, 250},
        {"mmHTMLFooter", "\t $%&,./:;<=>", false, 1, ui::ssVertical, 260},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto* memo = w_->C<editor::TTextMemo>(c.name);
        EXPECT_EQ(memo->Separators(), c.separators);
        EXPECT_EQ(memo->Options()[editor::tmoLargeWordSelect], c.largeWordSelect);
        EXPECT_EQ(memo->CaretWidth(), c.caretWidth);
        EXPECT_EQ(memo->ScrollBars(), c.scrollBars);
        EXPECT_EQ(memo->HelpContext(), c.helpContext);
        EXPECT_EQ(memo->UndoMaxSpace(), 65536);
        EXPECT_EQ(memo->Keywords()->Count(), 0);
        EXPECT_EQ(memo->Highlighter(), nullptr);
    }
}

TEST_F(DesignFormSettings, TheVisualQueryTakesTheProgramsSettings)
{
    Open();
    auto* vq = w_->C<vquery::TmfVQuery>("VisualQuery");
    EXPECT_EQ(vq->ConnectionType(), vquery::ctADO);
    EXPECT_EQ(vq->DBTableListBox(), w_->C<ui::TListBox>("lb_tables"));
    EXPECT_TRUE(vq->AdvanceJoin);
    EXPECT_TRUE(vq->ShowViews);
    EXPECT_TRUE(vq->ShowSynonyms);
    EXPECT_TRUE(vq->LogicalSQLNames);
    EXPECT_FALSE(vq->ShowSystemTables);
    EXPECT_FALSE(vq->ShowSystemViews);
    EXPECT_FALSE(vq->AllowDuplicateJoins);
    EXPECT_FALSE(vq->ShowJoinComment);
    EXPECT_EQ(vq->JoinDefaultColor, rtl::clBlack);
    EXPECT_EQ(vq->JoinDefaultSelColor, rtl::TColor{0x9F5000});
    EXPECT_EQ(vq->HelpContext(), 60);
}

// The navigation samples are pictures of the two bar kinds, the same for header and footer.
TEST_F(DesignFormSettings, NavigationSamplesArePicturesOfTheTwoBarKinds)
{
    Open();
    const ui::TPicture* pictures[2][2] = {};
    const char* const names[2][2] = {{"header_img1", "header_img2"}, {"footer_img1", "footer_img2"}};
    for (int side = 0; side < 2; ++side)
        for (int kind = 0; kind < 2; ++kind) {
            SCOPED_TRACE(names[side][kind]);
            auto* image = dynamic_cast<ui::TImage*>(w_->FindComponent(names[side][kind]));
            ASSERT_NE(image, nullptr);
            EXPECT_EQ(image->Picture()->Width(), image->Width());
            EXPECT_EQ(image->Picture()->Height(), image->Height());
            pictures[side][kind] = image->Picture();
        }
    EXPECT_NE(pictures[0][0]->Bytes(), pictures[0][1]->Bytes());
    EXPECT_EQ(pictures[0][0]->Bytes(), pictures[1][0]->Bytes());
    EXPECT_EQ(pictures[0][1]->Bytes(), pictures[1][1]->Bytes());
    // Navy marks on white: the sample shows the links' colour.
    bool navy = false;
    for (const std::uint32_t pixel : pictures[0][0]->Pixels()) navy = navy || (pixel & 0xFFFFFF) == 0x000080;
    EXPECT_TRUE(navy);
}

// The pickers hold "Default", the 16 basic colours and "Custom"; black is the basic entry, so
// a scheme (or a user) choosing black writes it into the pages like any other colour.
TEST_F(DesignFormSettings, ColourPickersHoldDefaultBasicAndCustomAndBlackReachesThePage)
{
    const std::string dbFile = root_ + "/t.db";
    rtl::WriteStringToFile(dbFile, "");
    db::TADOConnection conn(nullptr);
    conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + dbFile));
    conn.SetLoginPrompt(false);
    conn.Open();
    conn.Execute("CREATE TABLE t (id INTEGER)");
    conn.Execute("INSERT INTO t VALUES (1)");
    Open(&conn);
    for (const char* name : {"colorbox_table", "colorbox_border"}) {
        SCOPED_TRACE(name);
        auto* picker = w_->C<framedctrls::TFcColorComboBox>(name);
        ASSERT_EQ(picker->Items()->Count(), 18);
        EXPECT_EQ(picker->Items()->Strings(0), "Default");
        EXPECT_EQ(picker->Items()->Strings(1), "Black");
        EXPECT_EQ(picker->Items()->Strings(17), "Custom");
        EXPECT_EQ(picker->DefaultColor(), rtl::clDefault);
        EXPECT_EQ(picker->GetSelectedColor(), rtl::clDefault);
        EXPECT_EQ(picker->ItemIndex(), 0);
        EXPECT_FALSE(picker->ShowSysColors());
        EXPECT_EQ(picker->ComboColor(), rtl::clWhite);
        EXPECT_EQ(picker->ItemHeight(), 16);
    }

    w_->C<editor::TTextMemo>("mm_sql")->Lines()->SetText("SELECT id FROM t");
    ASSERT_TRUE(w_->SyncAndOpenQuery());
    w_->Scheme()->SetColor(pcTableBackground, rtl::clBlack);
    w_->Scheme()->SetColor(pcTableBorder, rtl::clBlack);
    w_->ApplyColorScheme();
    EXPECT_EQ(w_->C<framedctrls::TFcColorComboBox>("colorbox_table")->Items()->Strings(
                  w_->C<framedctrls::TFcColorComboBox>("colorbox_table")->ItemIndex()),
              "Black");
    const TPageSettings s = w_->PageSettings();
    ASSERT_TRUE(s.tableColor.has_value());
    EXPECT_EQ(*s.tableColor, rtl::clBlack);
    EXPECT_EQ(s.borderColor, rtl::clBlack);
    w_->RefreshPreview();
    std::string pages;  // the frame set and the pages it shows
    for (const auto& entry : fs::directory_iterator(root_ + "/Temp")) pages += rtl::ReadFileToString(entry.path().string());
    EXPECT_NE(pages.find("BgColor=\"#000000\""), std::string::npos) << pages;
}

// ---- Outer joins on real databases --------------------------------------------------------------

struct Backend {
    std::string init;    // connection string; empty: skipped
    std::string prefix;  // of the table names, so that parallel runs keep apart
    std::string skip;
};

Backend MakeBackend(const std::string& which, const std::string& root)
{
    Backend b;
    if (which == "SQLite") {
        rtl::WriteStringToFile(root + "/join.db", "");
        b.init = db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + root + "/join.db");
        b.prefix = "gw";
        return b;
    }
    const char* port = std::getenv("GW_PG_PORT");
    if (port == nullptr || *port == '\0') {
        b.skip = "GW_PG_PORT is not set";
        return b;
    }
    b.init = db::FormatInitString({{"Provider", "MSDASQL.1"},
                                   {"User ID", "gridweaver"},
                                   {"Password", "gridweaver"},
                                   {"Extended Properties", "DRIVER={PostgreSQL Unicode};Server=127.0.0.1;Port=" +
                                                               std::string(port) + ";Database=gridweaver_test"}});
    b.prefix = "gwd" + std::to_string(getpid());
    return b;
}

class DesignFormOuterJoin : public DesignFormSettings, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        DesignFormSettings::SetUp();
        be_ = MakeBackend(GetParam(), root_);
        if (!be_.skip.empty()) GTEST_SKIP() << be_.skip;
        conn_ = std::make_unique<db::TADOConnection>(nullptr);
        conn_->SetLoginPrompt(false);
        conn_->SetConnectionString(be_.init);
        try {
            conn_->Open();
        } catch (const rtl::Exception& e) {
            GTEST_SKIP() << GetParam() << " does not answer: " << e.Message();
        }
        Drop();
        Exec("CREATE TABLE " + Name("dept") + " (id INTEGER PRIMARY KEY, dname VARCHAR(20))");
        Exec("CREATE TABLE " + Name("emp") + " (id INTEGER PRIMARY KEY, dept_id INTEGER, ename VARCHAR(20))");
        Exec("CREATE VIEW " + Name("staff") + " AS SELECT ename FROM " + Name("emp"));
        Exec("INSERT INTO " + Name("dept") + " VALUES (1, 'Sales')");
        Exec("INSERT INTO " + Name("emp") + " VALUES (1, 1, 'Ann')");
        Exec("INSERT INTO " + Name("emp") + " VALUES (2, 9, 'Bob')");  // in no department
    }
    void TearDown() override
    {
        if (conn_ && conn_->Connected()) {
            delete w_;  // the window's query holds the connection's tables open
            w_ = nullptr;
            Drop();
        }
        DesignFormSettings::TearDown();
    }
    std::string Name(const std::string& table) const { return be_.prefix + "_" + table; }
    void Exec(const std::string& sql) { conn_->Execute(sql); }
    void Drop()
    {
        const std::pair<const char*, const char*> drops[] = {
            {"DROP VIEW IF EXISTS ", "staff"}, {"DROP TABLE IF EXISTS ", "emp"}, {"DROP TABLE IF EXISTS ", "dept"}};
        for (const auto& [sql, table] : drops) {
            try {
                Exec(sql + Name(table));
            } catch (const rtl::Exception& e) {
                ADD_FAILURE() << e.Message();
            }
        }
    }
    vquery::TmfVQueryTable* AddTable(const std::string& table)
    {
        auto* tables = w_->C<ui::TListBox>("lb_tables");
        tables->SetItemIndex(tables->Items()->IndexOf(rtl::UpperCase(Name(table))));
        EXPECT_GE(tables->ItemIndex(), 0) << table;
        w_->lb_tablesDblClick(tables);
        auto* vq = w_->C<vquery::TmfVQuery>("VisualQuery");
        return vq->GetTable(vq->GetTableCount() - 1);
    }
    // A canvas point where a right click finds `join`'s line.
    static ui::TPoint PointOn(const vquery::TmfVQuery& vq, const vquery::TmfVQueryJoin* join)
    {
        for (int y = 0; y < vq.Height(); ++y)
            for (int x = 0; x < vq.Width(); ++x)
                if (vq.JoinAt({x, y}) == join) return {x, y};
        ADD_FAILURE() << "the line takes no click";
        return {-1, -1};
    }
    static vquery::TmfVQueryField* Field(vquery::TmfVQueryTable* box, const std::string& name)
    {
        for (int i = 0; i < box->Fields().Count(); ++i)
            if (box->Fields().Items(i)->FieldName == name) return box->Fields().Items(i);
        return nullptr;
    }

    Backend be_;
    std::unique_ptr<db::TADOConnection> conn_;
};

// Views are listed; Join Properties (opened from the line's popup) offers the outer joins; a
// left outer join chosen there keeps the employee without a department when the query runs.
TEST_P(DesignFormOuterJoin, ALeftJoinChosenInJoinPropertiesKeepsTheUnmatchedRow)
{
    Open(conn_.get());
    auto* vq = w_->C<vquery::TmfVQuery>("VisualQuery");
    EXPECT_GE(w_->C<ui::TListBox>("lb_tables")->Items()->IndexOf(rtl::UpperCase(Name("staff"))), 0);
    vquery::TmfVQueryTable* emp = AddTable("emp");
    vquery::TmfVQueryTable* dept = AddTable("dept");
    ASSERT_NE(Field(emp, "dept_id"), nullptr);
    ASSERT_NE(Field(dept, "id"), nullptr);
    vquery::TmfVQueryJoin* join = vq->AddJoin(Field(emp, "dept_id"), Field(dept, "id"), "");
    ASSERT_NE(join, nullptr);

    ASSERT_TRUE(vq->PopupLinkAt(PointOn(*vq, join), {0, 0}));
    bool leftEnabled = false;
    dialogs_.AnswerModal([&](ui::TCustomForm& f) {
        auto* left = f.Get<ui::TRadioButton>("rb_left");
        leftEnabled = left->Enabled();
        left->SetChecked(true);
        return ui::mrOk;
    });
    vq->FindComponent<ui::TMenuItem>("mnu_changecompare")->Click();
    EXPECT_TRUE(leftEnabled);
    EXPECT_EQ(join->JoinType, 1);

    const std::string sql = vq->SQL()->Text();
    EXPECT_NE(rtl::UpperCase(sql).find("LEFT OUTER JOIN"), std::string::npos) << sql;
    w_->C<ui::TPageControl>("pc_getdata")->SelectTabByUser(2);  // View Data runs it
    db::TADOQuery* q = w_->Query();
    ASSERT_TRUE(q->Active()) << sql;
    EXPECT_EQ(q->RecordCount(), 2) << sql;
    bool bobWithoutDepartment = false;
    for (q->First(); !q->Eof(); q->Next())
        if (q->FieldByName("ename")->AsString() == "Bob") bobWithoutDepartment = q->FieldByName("dname")->IsNull();
    EXPECT_TRUE(bobWithoutDepartment);
}

INSTANTIATE_TEST_SUITE_P(Backends, DesignFormOuterJoin, ::testing::Values("SQLite", "PostgreSQL"));

}  // namespace
