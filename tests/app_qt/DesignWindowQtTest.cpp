// The program's main window and design window through the Qt backend, offscreen: the main
// window's own close asks about a changed design before the program ends; the design window,
// a sub-window of the main window's MDI area, lays its pages out over the whole sub-window when
// maximised and over its normal size when restored by the user. Pictures of both go to
// test-artifacts/app_qt.

#include "tests/app/ShellTestSupport.h"

#include <QMdiSubWindow>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTest>
#include <QWidget>

#include <string>

#include "app/DMain.h"
#include "app/DataLinkFiles.h"
#include "app/FMain.h"
#include "app/Program.h"
#include "app/ProjectCommands.h"
#include "designer/FDesign.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/support/WindowShot.h"

namespace {

using K = ui::TScriptedDialogs::TKind;

class DesignWindowQtTest : public apptest::ShellTest {
protected:
    static void SetUpTestSuite() { ui::qt::Install(); }

    void SetUp() override
    {
        ShellTest::SetUp();
        app::CreateProgramWindows();
        app::CreateSampleDataLinks();
        // Room for the design window's own size, so that its restored size shows whole.
        app::FrmMain->SetWindowState(ui::wsNormal);
        app::FrmMain->SetBounds(0, 0, 1280, 960);
        app::FrmMain->Show();
        // The start-up dialogs (tip, welcome) are not what these tests ask about; on a loaded
        // machine their timer fired inside the tests' own waits.
        app::FrmMain->Get<ui::TTimer>("startup_timer")->SetEnabled(false);
        mainWindow = ui::qt::WidgetOf(*app::FrmMain);
        ASSERT_NE(mainWindow, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(mainWindow));
        const std::string link = app::DataLinkFileName("GridweaverSample1");
        ASSERT_TRUE(app::ReadUDLFile(link, app::FrmMain->ConnectionString));
        app::dmMain->ConnectDatabase("FILE NAME=" + link);
        design = app::OpenDesignWindow("GridweaverSample1");
        ASSERT_NE(design, nullptr);
        ASSERT_NE(ui::qt::WidgetOf(*design), nullptr);
        sub = qobject_cast<QMdiSubWindow*>(ui::qt::WidgetOf(*design)->parentWidget());
        ASSERT_NE(sub, nullptr);
        QTest::qWait(50);
    }
    void TearDown() override
    {
        if (designer::FrmDesign != nullptr) designer::FrmDesign->SavedProjectText.clear();
        app::MainWindowHooks() = {};
        ShellTest::TearDown();
    }

    // A click on the sub-window's title bar button `button` (maximise or restore), found
    // where the style puts it.
    void ClickTitleButton(QStyle::SubControl button)
    {
        QStyleOptionTitleBar title;
        title.initFrom(sub);
        title.subControls = QStyle::SC_All;
        title.titleBarFlags = sub->windowFlags();
        title.titleBarState = sub->windowState();
        // A framed sub-window's title lies inside its frame.
        const int frame = sub->isMaximized() ? 0 : sub->contentsMargins().left();
        title.rect = QRect(frame, frame, sub->width() - 2 * frame, sub->contentsMargins().top() - frame);
        const QRect r = sub->style()->subControlRect(QStyle::CC_TitleBar, &title, button, sub);
        ASSERT_FALSE(r.isEmpty());
        QTest::mouseMove(sub, r.center());
        QTest::mouseClick(sub, Qt::LeftButton, {}, r.center());
        QTest::qWait(50);
    }
    // The design window's area inside its sub-window, in the sub-window's coordinates.
    QRect ContentArea() const { return sub->contentsRect(); }
    // What the dialogs were asked, for a failure message.
    std::string AskedTexts() const
    {
        std::string texts;
        for (const auto& q : dialogs_.Asked())
            texts += "[" + q.message.text + q.caption + q.formName + "] ";
        return texts;
    }
    // Where the main page control's widget lies, in the sub-window's coordinates.
    QRect PagesOnScreen() const
    {
        QWidget* pages = ui::qt::WidgetOf(*design->C<ui::TPageControl>("pc_main"));
        return QRect(pages->mapTo(sub, QPoint(0, 0)), pages->size());
    }

    QWidget* mainWindow = nullptr;
    designer::TFrmDesign* design = nullptr;
    QMdiSubWindow* sub = nullptr;
};

TEST_F(DesignWindowQtTest, TheMainWindowsCloseAsksAboutAChangedDesign)
{
    design->C<ui::TEdit>("edHTMLTitle")->SetText("Changed title");
    // Cancel: the program goes on with the design as it was.
    dialogs_.AnswerMessage(ui::mrCancel);
    mainWindow->close();
    QTest::qWait(20);
    ASSERT_EQ(dialogs_.Asked().size(), 1u) << AskedTexts();
    EXPECT_EQ(dialogs_.Asked()[0].kind, K::Message);
    EXPECT_EQ(dialogs_.Asked()[0].message.text, "Save changes to Untitled?");
    EXPECT_FALSE(ui::Application().Terminated());
    EXPECT_TRUE(mainWindow->isVisible());
    EXPECT_EQ(designer::FrmDesign, design);
    EXPECT_EQ(design->C<ui::TEdit>("edHTMLTitle")->Text(), "Changed title");
    EXPECT_EQ(app::FrmMain->Caption(), "Gridweaver - [Untitled]");

    // No: the program ends.
    dialogs_.AnswerMessage(ui::mrNo);
    mainWindow->close();
    QTest::qWait(20);
    EXPECT_EQ(dialogs_.Asked().size(), 2u);
    EXPECT_TRUE(dialogs_.Unexpected().empty());
    EXPECT_TRUE(ui::Application().Terminated());
    EXPECT_FALSE(mainWindow->isVisible());
}

TEST_F(DesignWindowQtTest, ThePagesFillTheMaximisedAndTheRestoredSubWindow)
{
    // Shown maximised: the sub-window fills the main window's area, the pages fill it.
    ASSERT_TRUE(sub->isMaximized());
    EXPECT_EQ(design->WindowState(), ui::wsMaximized);
    EXPECT_EQ(PagesOnScreen(), ContentArea());
    EXPECT_EQ(design->ClientWidth(), ContentArea().width());
    EXPECT_EQ(design->ClientHeight(), ContentArea().height());
    auto* inner = design->C<ui::TPageControl>("pc_getdata");
    EXPECT_EQ(ui::qt::WidgetOf(*inner)->width(), ContentArea().width() - 2 * ui::TPageControl::kBorder);
    gwtest::SaveWindowShot(mainWindow, "app_qt", "DesignMaximised");

    // Restored by the user: its stored size, the pages shown over all of it.
    ClickTitleButton(QStyle::SC_TitleBarNormalButton);
    ASSERT_FALSE(sub->isMaximized());
    EXPECT_EQ(design->WindowState(), ui::wsNormal);
    EXPECT_EQ(ContentArea().size(), QSize(1000, 700));
    EXPECT_EQ(PagesOnScreen(), ContentArea());
    EXPECT_TRUE(ui::qt::WidgetOf(*inner)->isVisible());
    EXPECT_EQ(ui::qt::WidgetOf(*inner)->width(), 1000 - 2 * ui::TPageControl::kBorder);
    gwtest::SaveWindowShot(mainWindow, "app_qt", "DesignRestored");

    // Maximised again.
    ClickTitleButton(QStyle::SC_TitleBarMaxButton);
    ASSERT_TRUE(sub->isMaximized());
    EXPECT_EQ(design->WindowState(), ui::wsMaximized);
    EXPECT_EQ(PagesOnScreen(), ContentArea());
    EXPECT_EQ(ui::qt::WidgetOf(*inner)->width(), ContentArea().width() - 2 * ui::TPageControl::kBorder);
}

}  // namespace
