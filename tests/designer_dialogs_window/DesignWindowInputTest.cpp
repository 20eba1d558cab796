// The design window's page layout on the X server, driven with real mouse events: a click on
// a colour sample asks once, for the element clicked, leaving the page while a colour
// picker shows "Custom" asks nothing, and tables double-clicked into the visual query land
// apart. The page under the Night scheme and the visual query with a join are saved as
// screenshots under test-artifacts/designer and read back: the pages shown, the sample drawn
// in the scheme's colours, the boxes apart on screen and the join's line between them.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "designer/FDesign.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "framedctrls/FcCmboBx.h"
#include "platform/classes/Font.h"
#include "platform/db/DbClasses.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/QtUi.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/support/WindowShot.h"
#include "vquery/VQuery.h"

namespace {

namespace fs = std::filesystem;
using designer::TFrmDesign;

class DesignWindowInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
        // After the window system's start, which installs its own dialogs.
        scope_.emplace(dialogs_);
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path().toStdString();
        setenv("GRIDWEAVER_HOME", root_.c_str(), 1);
        const std::string share = std::string(GW_BINARY_DIR) + "/share";
        for (const char* sub : {"ColorSchemes", "LayoutStyles"})
            fs::copy(share + "/" + sub, root_ + "/" + sub, fs::copy_options::recursive);
        fs::create_directories(root_ + "/Data");
        ui::RegisterUiClasses();
        db::RegisterDbClasses();
        designer::RegisterDesignClasses();
        frame_ = new ui::TForm(&ui::Application());
        frame_->SetFormStyle(ui::fsMDIForm);
        frame_->SetBounds(20, 20, 1000, 820);
        ui::Application().SetMainForm(frame_);
        frame_->Show();
        designer::TDesignHost host;
        host.appDir = root_ + "/";
        host.dataDir = root_ + "/Data";
        host.layoutStylesDir = root_ + "/LayoutStyles";
        w_ = new TFrmDesign(nullptr, host);
        w_->Show();
        w_->C<ui::TPageControl>("pc_main")->SetActivePageIndex(1);
        w_->C<ui::TPageControl>("pc_preview")->SetActivePageIndex(TFrmDesign::pgPageLayout);
        auto* schemes = w_->C<ui::TComboBox>("cbxTemplate");
        schemes->SelectByUser(schemes->Items()->IndexOf("Night"));
        Settle();
    }
    void TearDown() override
    {
        for (const std::string& u : dialogs_.Unexpected()) ADD_FAILURE() << "unexpected: " << u;
        delete w_;
        delete frame_;
        unsetenv("GRIDWEAVER_HOME");
    }
    static void Settle()
    {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        QTest::qWait(20);
    }
    std::size_t ColourRequests() const
    {
        std::size_t n = 0;
        for (const auto& q : dialogs_.Asked()) n += q.kind == ui::TScriptedDialogs::TKind::Color ? 1 : 0;
        return n;
    }
    // A real left click at client point (x, y) of `control`'s window.
    static void Click(ui::TControl& control, int x, int y)
    {
        QWidget* widget = ui::qt::WidgetOf(control);
        ASSERT_NE(widget, nullptr) << control.Name();
        ASSERT_TRUE(widget->isVisible()) << control.Name();
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(x, y));
        Settle();
    }

    QTemporaryDir dir_;
    std::string root_;
    ui::TScriptedDialogs dialogs_;
    std::optional<ui::TDialogServiceScope> scope_;
    db::TADOConnection conn_{nullptr};
    ui::TForm* frame_ = nullptr;
    TFrmDesign* w_ = nullptr;
};

TEST_F(DesignWindowInput, LeavingThePageLayoutWithCustomPickersAsksNothing)
{
    auto* table = w_->C<framedctrls::TFcColorComboBox>("colorbox_table");
    const int custom = table->Items()->Count() - 1;
    ASSERT_EQ(table->ItemIndex(), custom) << "Night's table colour is none of the named ones";
    auto* pages = w_->C<ui::TPageControl>("pc_preview");
    for (int visit = 0; visit < 2; ++visit) {
        pages->SelectTabByUser(TFrmDesign::pgHeaderFooter);
        Settle();
        pages->SelectTabByUser(TFrmDesign::pgPageLayout);
        Settle();
    }
    EXPECT_EQ(ColourRequests(), 0u);
    EXPECT_EQ(table->ItemIndex(), custom);
    EXPECT_EQ(w_->C<ui::TComboBox>("cbxTemplate")->Text(), "Night");
    const gwtest::TShot shot = gwtest::ShootWindow(ui::qt::WidgetOf(*frame_), "designer", "PageLayoutNightAfterReturning");
    ASSERT_TRUE(shot.Taken());
    EXPECT_EQ(gwtest::ShownPage(*w_->C<ui::TPageControl>("pc_main")), 1);
    EXPECT_EQ(gwtest::ShownPage(*pages), TFrmDesign::pgPageLayout);
    auto* schemes = qobject_cast<QComboBox*>(ui::qt::WidgetOf(*w_->C<ui::TControl>("cbxTemplate")));
    ASSERT_NE(schemes, nullptr);
    EXPECT_EQ(schemes->currentText(), "Night");
    QWidget* tableBox = ui::qt::WidgetOf(*table);
    auto* tableCombo = qobject_cast<QComboBox*>(tableBox);
    ASSERT_NE(tableCombo, nullptr);
    EXPECT_EQ(tableCombo->currentIndex(), custom);
    // The sample in Night's colours (its rows differ by 8 in each channel), each read at an
    // end of its panel clear of any text; the custom table colour in the picker's swatch.
    const struct {
        const char* panel;
        int part;
    } samples[] = {{"BackPanel", designer::pcPageBackground},
                   {"TablePanel", designer::pcTableBackground},
                   {"ColHead3", designer::pcHeaderBackground},
                   {"Row2", designer::pcRowBackground},
                   {"OddRow2", designer::pcOddRowBackground}};
    for (const auto& s : samples) {
        QWidget* panel = ui::qt::WidgetOf(*w_->C<ui::TControl>(s.panel));
        ASSERT_NE(panel, nullptr) << s.panel;
        EXPECT_TRUE(gwtest::DrawnAs(shot.At(panel, {panel->width() - 3, panel->height() - 3}), w_->Scheme()->Color(s.part), 2))
            << s.panel;
    }
    EXPECT_GT(shot.Count(tableBox, QRect(2, 2, 24, tableBox->height() - 4), w_->Scheme()->Color(designer::pcTableBackground), 8),
              40);
}

TEST_F(DesignWindowInput, AClickOnASampleAsksOnceForTheElementClicked)
{
    struct Case {
        const char* control;  // what is clicked
        int x, y;             // where, in its client area
        int part;             // the scheme colour it edits
    };
    const Case cases[] = {
        {"Data1", 3, 3, designer::pcDataText},
        {"Head2", 3, 3, designer::pcHeaderText},
        {"lbHTMLLink", 3, 3, designer::pcLink},
        {"Row2", 90, 18, designer::pcRowBackground},
        {"ColHead3", 90, 18, designer::pcHeaderBackground},
        {"BackPanel", 450, 190, designer::pcPageBackground},
    };
    rtl::TColor answer = 0x010203;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control);
        designer::TExpHtml before;
        for (int n = 1; n <= designer::TExpHtml::ColorCount; ++n) before.SetColor(n, w_->Scheme()->Color(n));
        const std::size_t asked = ColourRequests();
        dialogs_.AnswerColor(answer);
        Click(*w_->C<ui::TControl>(c.control), c.x, c.y);
        EXPECT_EQ(ColourRequests(), asked + 1);
        EXPECT_EQ(dialogs_.Asked().back().color, before.Color(c.part));
        for (int n = 1; n <= designer::TExpHtml::ColorCount; ++n)
            EXPECT_EQ(w_->Scheme()->Color(n), n == c.part ? answer : before.Color(n)) << "colour " << n;
        answer += 0x010101;
    }
}

TEST_F(DesignWindowInput, TablesDoubleClickedIntoTheQueryLandApart)
{
    fs::copy_file(std::string(GW_BINARY_DIR) + "/share/Data/DBSamples/Sample1.db", root_ + "/Sample1.db");
    conn_.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + root_ + "/Sample1.db"));
    conn_.SetLoginPrompt(false);
    conn_.Open();
    w_->Query()->SetConnection(&conn_);
    auto* vq = w_->C<vquery::TmfVQuery>("VisualQuery");
    vq->SetADOConnection(&conn_);
    vq->SetupADOInfo();
    w_->C<ui::TPageControl>("pc_main")->SetActivePageIndex(0);
    w_->C<ui::TPageControl>("pc_getdata")->SetActivePageIndex(TFrmDesign::pgSqlBuilder);
    Settle();
    auto* tables = w_->C<ui::TListBox>("lb_tables");
    auto* view = qobject_cast<QAbstractItemView*>(ui::qt::WidgetOf(*tables));
    ASSERT_NE(view, nullptr);
    for (const char* name : {"ORDERS", "CUSTOMERS"}) {
        const int row = tables->Items()->IndexOf(name);
        ASSERT_GE(row, 0) << name;
        const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
        // Chosen first: a press on this list also starts dragging the table, which leaves the
        // row unselected until the button is up.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        Settle();
        QTest::qWait(QApplication::doubleClickInterval() + 50);
    }
    ASSERT_EQ(vq->GetTableCount(), 2);
    const ui::TRect a = vq->GetTable(0)->BoundsRect(), b = vq->GetTable(1)->BoundsRect();
    EXPECT_TRUE(a.Right <= b.Left || b.Right <= a.Left || a.Bottom <= b.Top || b.Bottom <= a.Top);
    const auto field = [](vquery::TmfVQueryTable* box, const std::string& name) -> vquery::TmfVQueryField* {
        for (int i = 0; i < box->Fields().Count(); ++i)
            if (box->Fields().Items(i)->FieldName == name) return box->Fields().Items(i);
        return nullptr;
    };
    vquery::TmfVQueryJoin* join = vq->AddJoin(field(vq->GetTable(0), "customer_id"),
                                              field(vq->GetTable(1), "customer_id"), "customer_id = customer_id");
    ASSERT_NE(join, nullptr);
    // Moved apart as a user does to read the join's caption between the boxes.
    vquery::TmfVQueryTable* moved = vq->GetTable(1);
    moved->SetBounds(moved->Left() + 160, moved->Top() + 60, moved->Width(), moved->Height());
    vq->ShowJoinCaptions = true;
    vq->UpdateJoinLinks();
    vq->JoinLayer()->Invalidate();
    const gwtest::TShot shot = gwtest::ShootWindow(ui::qt::WidgetOf(*frame_), "designer", "VisualQueryTwoTablesAndAJoin");
    ASSERT_TRUE(shot.Taken());
    EXPECT_EQ(gwtest::ShownPage(*w_->C<ui::TPageControl>("pc_main")), 0);
    EXPECT_EQ(gwtest::ShownPage(*w_->C<ui::TPageControl>("pc_getdata")), TFrmDesign::pgSqlBuilder);
    // The boxes apart where the window draws them, the join's line leaving the first box.
    QWidget* first = ui::qt::WidgetOf(*vq->GetTable(0));
    QWidget* second = ui::qt::WidgetOf(*vq->GetTable(1));
    ASSERT_TRUE(first != nullptr && second != nullptr);
    EXPECT_TRUE(first->isVisible() && second->isVisible());
    EXPECT_FALSE(QRect(first->mapToGlobal(QPoint(0, 0)), first->size())
                     .intersects(QRect(second->mapToGlobal(QPoint(0, 0)), second->size())));
    QWidget* layer = ui::qt::WidgetOf(*vq->JoinLayer());
    ASSERT_NE(layer, nullptr);
    const ui::TPoint from = join->Line.p[0], bend = join->Line.p[1];
    const QPoint leg((from.X + bend.X) / 2 - vq->JoinLayer()->Left(), (from.Y + bend.Y) / 2 - vq->JoinLayer()->Top());
    EXPECT_GE(shot.Count(layer, QRect(leg - QPoint(1, 1), QSize(3, 3)), join->Color, 8), 1);
    EXPECT_TRUE(dialogs_.Unexpected().empty());
}

}  // namespace
