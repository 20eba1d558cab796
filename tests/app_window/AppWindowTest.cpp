// The program's windows on a real X server (Xvfb): the main window, the tip of the day and
// the help viewer at context 20, the connection dialogs, the login, the welcome dialog and the
// data-link dialog's pages, the design window's tabs and help asked for from the modal
// Column Properties dialog, each saved as a screenshot under test-artifacts/app and read
// back: the captions, the rows chosen and checked, the texts given, the buttons open and
// the pages shown. The web engine starts slowly, so everything runs in one test.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QGuiApplication>
#include <QComboBox>
#include <QImage>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScreen>
#include <QAbstractItemView>
#include <QLabel>
#include <QListView>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/DataLinkDlg.h"
#include "app/DataLinkFiles.h"
#include "app/FConnect.h"
#include "app/FLoginScreen.h"
#include "app/FMain.h"
#include "app/FStartup.h"
#include "app/HelpViewer.h"
#include "app/Program.h"
#include "app/ProjectCommands.h"
#include "app/DMain.h"
#include "designer/FDesign.h"
#include "designer/FFormatColumn.h"
#include "editor/TextMemo.h"
#include "editor/TextMemoStrings.h"
#include "platform/ui/ActnList.h"
#include "vquery/VQuery.h"
#include "app/Tips.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/WebBrowser.h"
#include "platform/ui/qt/QtUi.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/support/WindowManager.h"
#include "tests/support/WindowShot.h"
#include "platform/ui/qt/web/QtWeb.h"

namespace {

// `name` ends in ".png"; the picture goes where the other window tests put theirs.
void SaveShot(ui::TControl& control, const std::string& name)
{
    gwtest::SaveWindowShot(ui::qt::WidgetOf(control), "app", name.substr(0, name.size() - 4), 300);
}
// The widget showing `control` as a `W`; nullptr when it has none or another kind.
template <class W>
W* Peer(const ui::TControl& control)
{
    return qobject_cast<W*>(ui::qt::WidgetOf(control));
}

// The rows the list showing `control` marks selected.
std::vector<int> SelectedRows(const ui::TControl& control)
{
    std::vector<int> rows;
    auto* view = Peer<QAbstractItemView>(control);
    if (view == nullptr || view->selectionModel() == nullptr) return rows;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        if (view->selectionModel()->isSelected(view->model()->index(row, 0))) rows.push_back(row);
    return rows;
}

// The check the list showing `control` draws on `row`.
Qt::CheckState CheckShown(const ui::TControl& control, int row)
{
    auto* view = Peer<QAbstractItemView>(control);
    if (view == nullptr) return Qt::PartiallyChecked;
    return static_cast<Qt::CheckState>(view->model()->index(row, 0).data(Qt::CheckStateRole).toInt());
}

// The connection windows as their dialogs show them (here without a modal loop).
void ConnectionWindowsScreenshots()
{
    app::CreateSampleDataLinks();
    auto* connect = new app::TFrmConnect(&ui::Application());
    connect->Show();
    auto* view = connect->Get<ui::TListView>("lv_Database");
    ASSERT_GE(view->Items()->Count(), 2);
    view->SelectByUser({0}, 0);
    EXPECT_TRUE(connect->Get<ui::TButton>("okbtn")->Enabled());
    SaveShot(*connect, "ConnectDialog.png");
    EXPECT_EQ(SelectedRows(*view), std::vector<int>{0});
    EXPECT_TRUE(ui::qt::WidgetOf(*connect->Get<ui::TButton>("okbtn"))->isEnabled());
    delete connect;

    auto* admin = new app::TFrmADOAdmin(&ui::Application());
    admin->Show();
    auto* links = admin->Get<ui::TListView>("lv_Database");
    ASSERT_GE(links->Items()->Count(), 2);
    links->SelectByUser({0}, 0);
    EXPECT_GT(admin->Get<ui::TMemo>("mm_constr")->Lines()->Count(), 1);
    SaveShot(*admin, "ADOAdministrator.png");
    EXPECT_EQ(SelectedRows(*links), std::vector<int>{0});
    ASSERT_NE(Peer<QPlainTextEdit>(*admin->Get<ui::TMemo>("mm_constr")), nullptr);
    EXPECT_GT(Peer<QPlainTextEdit>(*admin->Get<ui::TMemo>("mm_constr"))->blockCount(), 1);
    delete admin;

    auto* input = new app::TFrmInputUDLFile(&ui::Application());
    input->Get<ui::TEdit>("InputUDL")->SetText("Orders");
    input->Show();
    SaveShot(*input, "NewConnection.png");
    ASSERT_NE(Peer<QLineEdit>(*input->Get<ui::TEdit>("InputUDL")), nullptr);
    EXPECT_EQ(Peer<QLineEdit>(*input->Get<ui::TEdit>("InputUDL"))->text(), "Orders");
    delete input;

    auto* login = new app::TFrmLoginScreen(&ui::Application());
    login->Get<ui::TControl>("ed_UserName")->SetText("gridweaver");
    login->Get<ui::TControl>("ed_Password")->SetText("secret");
    login->Show();
    SaveShot(*login, "Login.png");
    auto* user = Peer<QLineEdit>(*login->Get<ui::TControl>("ed_UserName"));
    auto* password = Peer<QLineEdit>(*login->Get<ui::TControl>("ed_Password"));
    ASSERT_TRUE(user != nullptr && password != nullptr);
    EXPECT_EQ(user->text(), "gridweaver");
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    EXPECT_NE(password->displayText(), "secret");
    delete login;

    auto* startup = new app::TFrmStartup(&ui::Application());
    auto* files = startup->Get<ui::TListBox>("lb_file");
    for (const std::string& line : app::WelcomeList(app::FrmMain->HistoryFile, app::FrmMain->ProjectsDir))
        files->Items()->Add(line);
    files->SetItemIndex(0);
    startup->Show();
    EXPECT_EQ(startup->Caption(), "Welcome to Gridweaver");
    SaveShot(*startup, "Welcome.png");
    EXPECT_EQ(ui::qt::WidgetOf(*startup)->windowTitle(), "Welcome to Gridweaver");
    EXPECT_EQ(SelectedRows(*files), std::vector<int>{0});
    delete startup;

    std::string sample;
    ASSERT_TRUE(app::ReadUDLFile(app::DataLinkFileName("GridweaverSample1"), sample));
    auto* link = new app::TDataLinkDlg(&ui::Application());
    link->Setup(sample);
    link->Show();
    auto* pages = link->Get<ui::TPageControl>("pc_DataLink");
    SaveShot(*link, "DataLinkConnection.png");
    EXPECT_EQ(gwtest::ShownPage(*pages), link->Get<ui::TTabSheet>("ts_Connection")->PageIndex());
    pages->SelectTabByUser(0);
    SaveShot(*link, "DataLinkProvider.png");
    EXPECT_EQ(gwtest::ShownPage(*pages), 0);
    pages->SelectTabByUser(2);
    SaveShot(*link, "DataLinkAll.png");
    EXPECT_EQ(gwtest::ShownPage(*pages), 2);
    delete link;
}

// Clicks the check box of row `row` of a list whose rows start with their box.
void ClickCheckBox(QAbstractItemView* view, int row)
{
    const QRect r = view->visualRect(view->model()->index(row, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 8, r.center().y()));
}

// Input as the window system delivers it, to a window: where a modal dialog blocks the others.
void ClickIn(ui::TControl& control, QPoint at)
{
    QWidget* widget = ui::qt::WidgetOf(control);
    QWidget* top = widget->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, widget->mapTo(top, at));
}

QPoint Middle(ui::TControl& control) { return ui::qt::WidgetOf(control)->rect().center(); }


// Help asked for from the modal Column Properties dialog, by F1 and by its Help button: the
// viewer comes up beside the dialog at the dialog's page and takes clicks (a link in the page,
// an entry of the contents) while the dialog stays open.
void HelpFromTheModalColumnProperties(designer::TFrmDesign& design)
{
    auto* columns = design.C<ui::TListView>("lv_column");
    ASSERT_GT(columns->Items()->Count(), 0);
    const std::string help = app::FrmMain->AppDir + "Help/";
    // The first column chosen, then "Column Setting..." (its dialog runs inside this click).
    auto* view = qobject_cast<QAbstractItemView*>(ui::qt::WidgetOf(*columns));
    ASSERT_NE(view, nullptr);
    ClickIn(*columns, view->viewport()->mapTo(view, view->visualRect(view->model()->index(0, 1)).center()));
    ASSERT_NE(columns->Selected(), nullptr);
    bool done = false;
    designer::TFrmFormatColumn* dialog = nullptr;
    // The dialog's part runs in its modal loop, once the dialog is up.
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (int i = 0; i < ui::Screen().FormCount() && dialog == nullptr; ++i)
            dialog = dynamic_cast<designer::TFrmFormatColumn*>(ui::Screen().Forms(i));
        if (dialog == nullptr || !dialog->Visible()) return;
        poll.stop();
        // Closing the dialog however this ends lets the modal loop return.
        auto* cancel = dialog->Get<ui::TControl>("cancelbtn");
        auto close = qScopeGuard([&] { ClickIn(*cancel, Middle(*cancel)); });
        QWidget* window = ui::qt::WidgetOf(*dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));

        QTest::keyClick(window->windowHandle(), Qt::Key_F1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return app::FrmHelpViewer != nullptr && app::FrmHelpViewer->Visible(); }, 5000));
        app::TFrmHelpViewer* viewer = app::FrmHelpViewer;
        EXPECT_EQ(viewer->TopicFile(), help + "columnproperties.html");
        auto* page = viewer->Get<ui::TWebBrowser>("wb_page");
        auto showing = [&](const char* name) {
            return QTest::qWaitFor([&] { return page->LocationURL().find(name) != std::string::npos; }, 30000);
        };
        ASSERT_TRUE(showing("columnproperties.html")) << page->LocationURL();
        // At the screen's right edge: the dialog and the help side by side in the picture.
        viewer->SetLeft(QGuiApplication::primaryScreen()->geometry().width() - viewer->Width());
        gwtest::SaveScreenShot("app", "HelpOverColumnProperties", 500);

        // The page's "Help contents" link, at the top left of the page.
        ClickIn(*page, QPoint(40, 34));
        EXPECT_TRUE(showing("index.html")) << page->LocationURL();
        // The dialog's own Help button brings its page back.
        ClickIn(*dialog->Get<ui::TControl>("helpbtn"), Middle(*dialog->Get<ui::TControl>("helpbtn")));
        EXPECT_TRUE(showing("columnproperties.html")) << page->LocationURL();
        // An entry of the contents: the first, the index.
        auto* contents = viewer->Get<ui::TListBox>("lb_contents");
        auto* list = qobject_cast<QListView*>(ui::qt::WidgetOf(*contents));
        ASSERT_NE(list, nullptr);
        const QPoint entry = list->viewport()->mapTo(list, list->visualRect(list->model()->index(0, 0)).center());
        ClickIn(*contents, entry);
        EXPECT_TRUE(QTest::qWaitFor([&] { return viewer->TopicFile() == help + "index.html"; }, 5000));
        EXPECT_TRUE(showing("index.html")) << page->LocationURL();
        EXPECT_TRUE(dialog->Visible());  // all the while open
        done = true;
    });
    poll.start();
    auto* button = design.C<ui::TControl>("bt_columnsetting");
    ClickIn(*button, Middle(*button));
    EXPECT_TRUE(done);
    app::FrmHelpViewer->Hide();
}

// The design window on the first sample through the data module's connection, a picture of
// each tab; a field and a column left out by clicks on their check boxes; the preview's Back
// and Forward after two pages; the main window, maximised under a window manager when one
// can be started, stays so when the preview shows its first page.
void DesignWindowScreenshots()
{
    // Nothing of the earlier windows in front of the pictures.
    if (app::FrmHelpViewer != nullptr) app::FrmHelpViewer->Hide();
    gwtest::TWindowManager manager;
    app::FrmMain->SetWindowState(ui::wsMaximized);
    QWidget* mainWindow = ui::qt::WidgetOf(*app::FrmMain);
    if (manager.Running()) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return mainWindow->isMaximized(); }, 3000));
    }
    app::CreateSampleDataLinks();
    app::dmMain->ConnectDatabase("FILE NAME=" + app::DataLinkFileName("GridweaverSample1"));
    designer::TFrmDesign* design = app::OpenDesignWindow("GridweaverSample1");
    ASSERT_NE(design, nullptr);
    auto* tables = design->C<ui::TListBox>("lb_tables");
    for (const char* name : {"ORDERS"}) {
        tables->SetItemIndex(tables->Items()->IndexOf(name));
        ASSERT_GE(tables->ItemIndex(), 0) << name;
        design->lb_tablesDblClick(tables);
    }
    auto* getData = design->C<ui::TPageControl>("pc_getdata");
    auto* preview = design->C<ui::TPageControl>("pc_preview");
    auto* mainPages = design->C<ui::TPageControl>("pc_main");
    SaveShot(*design, "Design1SqlBuilder.png");
    EXPECT_EQ(gwtest::ShownPage(*mainPages), 0);
    EXPECT_EQ(gwtest::ShownPage(*getData), designer::TFrmDesign::pgSqlBuilder);
    // The program's icon, not the toolkit's, on the design window.
    const QImage icon = ui::qt::WidgetOf(*design)->windowIcon().pixmap(32, 32).toImage();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixel(8, 8), app::ProgramIcon().Pixels[8 * 32 + 8]);
    // A click on a field's check box leaves the field out of the query.
    vquery::TmfVQueryTable* box = design->C<vquery::TmfVQuery>("VisualQuery")->GetTable(0);
    auto* fields = qobject_cast<QAbstractItemView*>(ui::qt::WidgetOf(*box->ListBox()));
    ASSERT_NE(fields, nullptr);
    ASSERT_EQ(box->ListBox()->Items()->Strings(1), "customer_id");
    ClickCheckBox(fields, 1);
    EXPECT_FALSE(box->ListBox()->Checked(1));
    EXPECT_TRUE(box->ListBox()->Checked(0));
    SaveShot(*box, "TableBoxFieldUnchecked.png");
    EXPECT_EQ(CheckShown(*box->ListBox(), 0), Qt::Checked);
    EXPECT_EQ(CheckShown(*box->ListBox(), 1), Qt::Unchecked);
    getData->SelectTabByUser(1);
    EXPECT_NE(design->EditorSql().find("orders"), std::string::npos);
    EXPECT_EQ(design->EditorSql().find("customer_id"), std::string::npos) << design->EditorSql();
    SaveShot(*design, "Design2ViewSql.png");
    EXPECT_EQ(gwtest::ShownPage(*getData), designer::TFrmDesign::pgViewSql);
    getData->SelectTabByUser(2);
    EXPECT_EQ(getData->ActivePageIndex(), 2);
    SaveShot(*design, "Design3ViewData.png");
    EXPECT_EQ(gwtest::ShownPage(*getData), designer::TFrmDesign::pgViewData);

    auto* browser = design->C<ui::TWebBrowser>("wm_preview");
    int loads = 0;
    browser->OnDocumentComplete = [&](classes::TObject*, const std::string&) { ++loads; };
    const WId mainId = mainWindow->winId();
    const QRect mainPlace = mainWindow->geometry();
    const bool maximised = mainWindow->isMaximized();
    getData->SelectTabByUser(3);
    EXPECT_EQ(mainPages->ActivePageIndex(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loads >= 1; }, 30000));
    QTest::qWait(300);
    EXPECT_EQ(mainWindow->winId(), mainId);
    EXPECT_EQ(mainWindow->isMaximized(), maximised);
    EXPECT_EQ(mainWindow->geometry(), mainPlace);
    SaveShot(*app::FrmMain, "MainWindowAfterPreview.png");
    SaveShot(*design, "Design4Preview.png");
    EXPECT_EQ(gwtest::ShownPage(*mainPages), 1);
    EXPECT_EQ(gwtest::ShownPage(*preview), designer::TFrmDesign::pgPreview);
    // A second page (the refresh notice), then back and forward.
    design->C<ui::TCheckBox>("cbHTMLMaxRecords")->SetChecked(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loads >= 2; }, 30000));
    SaveShot(*design, "Design5RefreshNotice.png");
    auto* back = design->C<ui::TAction>("BackAction");
    auto* forward = design->C<ui::TAction>("ForwardAction");
    EXPECT_TRUE(QTest::qWaitFor([&] { return back->Enabled(); }, 5000));
    EXPECT_FALSE(forward->Enabled());
    back->Execute();
    EXPECT_TRUE(QTest::qWaitFor([&] { return forward->Enabled(); }, 5000));
    forward->Execute();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !forward->Enabled(); }, 5000));

    preview->SelectTabByUser(1);
    SaveShot(*design, "Design6PageLayout.png");
    EXPECT_EQ(gwtest::ShownPage(*preview), designer::TFrmDesign::pgPageLayout);
    design->C<ui::TComboBox>("cb_style")->SelectByUser(3);
    SaveShot(*design, "Design7LayoutStyle.png");
    ASSERT_NE(Peer<QComboBox>(*design->C<ui::TComboBox>("cb_style")), nullptr);
    EXPECT_EQ(Peer<QComboBox>(*design->C<ui::TComboBox>("cb_style"))->currentIndex(), 3);
    preview->SelectTabByUser(2);
    design->C<editor::TTextMemo>("mmHTMLHeader")->Lines()->SetText("<h1>Orders</h1>");
    SaveShot(*design, "Design8HeaderFooter.png");
    EXPECT_EQ(gwtest::ShownPage(*preview), designer::TFrmDesign::pgHeaderFooter);
    preview->SelectTabByUser(3);
    // A click on a column's check box hides that column.
    auto* columns = qobject_cast<QAbstractItemView*>(ui::qt::WidgetOf(*design->C<ui::TListView>("lv_column")));
    ASSERT_NE(columns, nullptr);
    ASSERT_GT(design->Columns().ShowModeList.Count(), 2);
    ClickCheckBox(columns, 2);
    EXPECT_EQ(design->Columns().ShowModeList.Strings(2), "Hide");
    EXPECT_EQ(design->Columns().ShowModeList.Strings(1), "Show");
    SaveShot(*design, "Design9Columns.png");
    EXPECT_EQ(gwtest::ShownPage(*preview), designer::TFrmDesign::pgColumns);
    EXPECT_EQ(CheckShown(*design->C<ui::TListView>("lv_column"), 2), Qt::Unchecked);
    EXPECT_EQ(CheckShown(*design->C<ui::TListView>("lv_column"), 1), Qt::Checked);
    HelpFromTheModalColumnProperties(*design);
    // The design changed: its close asks first (answered here, not by a window in the way).
    ui::TScriptedDialogs answers;
    ui::TDialogServiceScope answering(answers);
    answers.AnswerMessage(ui::mrNo);
    design->Close();
    EXPECT_TRUE(answers.Unexpected().empty());
    EXPECT_EQ(answers.PendingAnswers(), 0u);
}

TEST(AppWindowTest, MainWindowTipAndHelpViewerScreenshots)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "no X server (DISPLAY is not set)";
    const auto home = std::filesystem::temp_directory_path() / ("gw-appwindow-" + std::to_string(::getpid()));
    std::filesystem::remove_all(home);
    setenv("GRIDWEAVER_HOME", home.string().c_str(), 1);
    qputenv("QT_QPA_PLATFORM", "xcb");
    ui::qt::PrepareWebBrowser();
    ui::qt::Install();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");

    app::CreateProgramWindows();
    app::TFrmMain* main = app::FrmMain;
    ASSERT_NE(main, nullptr);
    main->Show();
    main->Get<ui::TTimer>("startup_timer")->SetEnabled(false);  // no modal tip in the way
    main->SetMainCaption("Orders");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::qt::WidgetOf(*main)));
    // The mouse over Open Project: its hint goes to the status bar's first panel.
    QWidget* open = ui::qt::WidgetOf(*main->Get<ui::TToolButton>("tb_open"));
    ASSERT_NE(open, nullptr);
    // Windows of other tests on the same server may lie over it: in front first, and the
    // pointer moved off and back onto the button while no hint shows.
    QWidget* mainWidget = ui::qt::WidgetOf(*main);
    bool hinted = false;
    for (int attempt = 0; attempt < 3 && !hinted; ++attempt) {
        mainWidget->raise();
        mainWidget->activateWindow();
        QTest::qWait(100);
        QTest::mouseMove(mainWidget, QPoint(mainWidget->width() / 2, mainWidget->height() / 2));
        QTest::mouseMove(open, QPoint(10, 10));
        hinted = QTest::qWaitFor([&] { return ui::Application().Hint() == "Open Project"; }, 3000);
    }
    EXPECT_TRUE(hinted);
    EXPECT_EQ(main->Get<ui::TStatusBar>("sbar_main")->Panels()->Items(0)->Text(), "Open Project");
    SaveShot(*main, "MainWindow.png");
    EXPECT_TRUE(ui::qt::WidgetOf(*main)->windowTitle().endsWith(" - [Orders]"))
        << ui::qt::WidgetOf(*main)->windowTitle().toStdString();

    // The tip of the day, as its dialog shows it (here without a modal loop).
    auto* tip = new app::TTipForm(&ui::Application());
    tip->SetCaption(main->TipDlg()->Title());
    tip->TipList()->Assign(*main->TipDlg()->Tips());
    tip->Show();
    EXPECT_FALSE(tip->Get<ui::TLabel>("TipText")->Caption().empty());
    SaveShot(*tip, "TipOfTheDay.png");
    ASSERT_NE(Peer<QLabel>(*tip->Get<ui::TLabel>("TipText")), nullptr);
    EXPECT_EQ(Peer<QLabel>(*tip->Get<ui::TLabel>("TipText"))->text().toStdString(), tip->Get<ui::TLabel>("TipText")->Caption());
    delete tip;

    // The help viewer at context 20, once the page has loaded.
    main->ShowHelpContext(20);
    ASSERT_NE(app::FrmHelpViewer, nullptr);
    auto* browser = app::FrmHelpViewer->Get<ui::TWebBrowser>("wb_page");
    std::string loaded;
    browser->OnDocumentComplete = [&](classes::TObject*, const std::string& url) { loaded = url; };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.empty() || !browser->LocationURL().empty(); }, 30000));
    EXPECT_NE(browser->LocationURL().find("welcome.html"), std::string::npos) << browser->LocationURL();
    SaveShot(*app::FrmHelpViewer, "HelpViewer.png");

    ConnectionWindowsScreenshots();
    DesignWindowScreenshots();

    ui::Application().DestroyComponents();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
}

}  // namespace
