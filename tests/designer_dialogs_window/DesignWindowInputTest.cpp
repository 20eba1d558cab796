// The design window's page layout on the X server, driven with real mouse events: a click on
// a colour sample asks once, for the element clicked, and leaving the page while a colour
// picker shows "Custom" asks nothing. The page under the Night scheme is saved as a
// screenshot under test-artifacts/designer.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "designer/FDesign.h"
#include "framedctrls/FcCmboBx.h"
#include "platform/classes/Font.h"
#include "platform/db/DbClasses.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/QtUi.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/support/WindowShot.h"

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
    gwtest::SaveWindowShot(ui::qt::WidgetOf(*frame_), "designer", "PageLayoutNightAfterReturning");
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

}  // namespace
