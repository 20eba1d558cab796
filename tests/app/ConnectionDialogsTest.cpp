// The connection dialogs driven through the scripted dialog service, without a display: the
// connection chooser's enabling, OK, remove and new-link refusals; the new-link dialog with
// "Others" and a refused provider; Configure with OK and Cancel; the administrator's memo;
// the welcome dialog; the data-link dialog's pages and Test Connection.

#include "tests/app/ShellTestSupport.h"

#include "app/DataLinkDlg.h"
#include "app/DataLinkFiles.h"
#include "app/FConnect.h"
#include "app/FMain.h"
#include "app/FStartup.h"
#include "app/HelpSystem.h"
#include "app/HelpViewer.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/Paths.h"
#include "platform/rtl/Registry.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

namespace {

using apptest::ShellTest;
using K = ui::TScriptedDialogs::TKind;

class ConnectionDialogsTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        app::CreateProgramWindows();
        main_ = app::FrmMain;
        sample1_ = main_->DataDir + "/DBSamples/Sample1.db";
    }
    void TearDown() override
    {
        app::MainWindowHooks() = {};
        ShellTest::TearDown();
    }
    static std::string SqliteInit(const std::string& file)
    {
        return db::MakeOdbcInitString(db::FormatOdbcString({{"DRIVER", "SQLite3"}, {"Database", file}}));
    }
    std::string Link(const std::string& name) const { return app::DataLinkFileName(name); }
    void MakeLink(const std::string& name, const std::string& init)
    {
        ASSERT_TRUE(app::ForceDataLinksDir());
        ASSERT_EQ(db::WriteStringToStorage(Link(name), init, db::CREATE_NEW), db::S_OK);
    }
    std::string Read(const std::string& name) const
    {
        std::string init;
        EXPECT_EQ(db::LoadStringFromStorage(Link(name), init), db::S_OK) << name;
        return init;
    }
    static std::vector<std::string> Captions(ui::TListView& view)
    {
        std::vector<std::string> names;
        for (int i = 0; i < view.Items()->Count(); ++i) names.push_back(view.Items()->Item(i)->Caption());
        return names;
    }
    static void Select(ui::TListView& view, const std::string& caption)
    {
        for (int i = 0; i < view.Items()->Count(); ++i)
            if (view.Items()->Item(i)->Caption() == caption) view.SelectByUser({i}, i);
    }
    const ui::TScriptedDialogs::TQuestion& LastAsked() const { return dialogs_.Asked().back(); }

    app::TFrmMain* main_ = nullptr;
    std::string sample1_;
};

TEST_F(ConnectionDialogsTest, ConnectDialogEnablingOkAndRemove)
{
    MakeLink("Extra", SqliteInit(sample1_));
    dialogs_.AnswerModal([&](ui::TCustomForm& form) {
        EXPECT_EQ(form.Caption(), "Select Database Connection");
        auto* view = form.Get<ui::TListView>("lv_Database");
        EXPECT_EQ(Captions(*view), (std::vector<std::string>{"Extra", "GridweaverSample1", "GridweaverSample2"}));
        EXPECT_EQ(view->Items()->Item(0)->ImageIndex(), 0);
        // Nothing selected: OK, Remove and Configure are off.
        EXPECT_FALSE(form.Get<ui::TButton>("okbtn")->Enabled());
        EXPECT_FALSE(form.Get<ui::TButton>("removebtn")->Enabled());
        EXPECT_FALSE(form.Get<ui::TButton>("editbtn")->Enabled());
        EXPECT_TRUE(form.Get<ui::TButton>("newbtn")->Enabled());
        Select(*view, "Extra");
        EXPECT_TRUE(form.Get<ui::TButton>("okbtn")->Enabled());
        EXPECT_TRUE(form.Get<ui::TButton>("removebtn")->Enabled());
        EXPECT_TRUE(form.Get<ui::TButton>("editbtn")->Enabled());
        // Remove: No keeps it, Yes deletes it and the list is filled again.
        form.Get<ui::TButton>("removebtn")->Click();
        EXPECT_TRUE(rtl::FileExists(Link("Extra")));
        EXPECT_FALSE(form.Get<ui::TButton>("removebtn")->Enabled());  // the list was filled again
        Select(*view, "Extra");
        form.Get<ui::TButton>("removebtn")->Click();
        EXPECT_FALSE(rtl::FileExists(Link("Extra")));
        EXPECT_EQ(Captions(*view), (std::vector<std::string>{"GridweaverSample1", "GridweaverSample2"}));
        EXPECT_FALSE(form.Get<ui::TButton>("okbtn")->Enabled());
        // OK with nothing selected stays open; with a link, it takes the link's string.
        form.Get<ui::TButton>("okbtn")->Click();
        EXPECT_EQ(form.ModalResult(), ui::mrNone);
        Select(*view, "GridweaverSample2");
        form.Get<ui::TButton>("okbtn")->Click();
        return ui::mrNone;
    });
    dialogs_.AnswerMessage(ui::mrNo);
    dialogs_.AnswerMessage(ui::mrYes);
    app::TFrmConnect dialog(&ui::Application());
    EXPECT_EQ(dialog.ShowModal(), ui::mrOk);
    EXPECT_EQ(dialog.SelectedLink(), "GridweaverSample2");
    EXPECT_EQ(main_->ConnectionString, SqliteInit(main_->DataDir + "/DBSamples/Sample2.db"));
    ASSERT_EQ(dialogs_.Asked().size(), 3u);
    EXPECT_EQ(dialogs_.Asked()[1].message.text, "Are you sure you want to delete Extra?");
    EXPECT_EQ(dialogs_.Asked()[1].message.type, ui::mtConfirmation);
    EXPECT_TRUE(dialogs_.Unexpected().empty());
}

TEST_F(ConnectionDialogsTest, NewLinkRefusalsOthersAndRefusedProvider)
{
    app::CreateSampleDataLinks();
    const std::string init = "Provider=MSDASQL.1;Persist Security Info=False;Extended Properties=\"" +
                             db::FormatOdbcString({{"DRIVER", "SQLite3"}, {"Database", sample1_}}) + "\"";
    dialogs_.AnswerModal([&](ui::TCustomForm& form) {
        EXPECT_EQ(form.Caption(), "New Connection");
        auto* types = form.Get<ui::TRadioGroup>("rb_dbtype");
        EXPECT_EQ(types->ItemIndex(), 0);
        EXPECT_EQ(types->Items()->Strings(0), "Desktop database file");
        EXPECT_EQ(types->Items()->Strings(4), "Others");
        auto* name = form.Get<ui::TEdit>("InputUDL");
        auto* ok = form.Get<ui::TButton>("okbtn");
        for (const char* refused : {"", "..", "../escape", "GridweaverSample1"}) {
            name->SetText(refused);
            ok->Click();
            EXPECT_EQ(form.ModalResult(), ui::mrNone) << refused;
        }
        // A provider the data layer refuses: its message, and the data-link dialog stays.
        name->SetText("Desktop");
        types->SetItemIndex(0);
        ok->Click();
        EXPECT_EQ(form.ModalResult(), ui::mrOk);  // closes even though nothing was written
        form.SetModalResult(ui::mrNone);
        // Others: the data-link dialog opens with no provider chosen.
        name->SetText("Fresh");
        types->SetItemIndex(4);
        ok->Click();
        return ui::mrNone;
    });
    for (int i = 0; i < 4; ++i) dialogs_.AnswerMessage(ui::mrOk);
    dialogs_.AnswerModal([&](ui::TCustomForm& form) {
        EXPECT_EQ(form.Get<ui::TPageControl>("pc_DataLink")->ActivePage()->Name(), "ts_Connection");
        EXPECT_EQ(form.Get<ui::TListBox>("lb_Provider")->ItemIndex(), 1);
        form.Get<ui::TButton>("okbtn")->Click();  // refused: the layer's message
        EXPECT_EQ(form.ModalResult(), ui::mrNone);
        return ui::mrCancel;
    });
    dialogs_.AnswerMessage(ui::mrOk);
    dialogs_.AnswerModal([&](ui::TCustomForm& form) {
        auto* pages = form.Get<ui::TPageControl>("pc_DataLink");
        EXPECT_EQ(pages->ActivePage()->Name(), "ts_Provider");
        auto* providers = form.Get<ui::TListBox>("lb_Provider");
        EXPECT_EQ(providers->ItemIndex(), -1);
        form.Get<ui::TButton>("okbtn")->Click();  // no provider: refused
        EXPECT_EQ(form.ModalResult(), ui::mrNone);
        providers->SelectByUser(0);
        pages->SelectTabByUser(1);
        form.Get<ui::TRadioButton>("rb_ConnString")->Click();
        form.Get<ui::TEdit>("ed_ConnString")->SetText(db::FormatOdbcString({{"DRIVER", "SQLite3"}, {"Database", sample1_}}));
        form.Get<ui::TButton>("okbtn")->Click();
        return ui::mrNone;
    });
    dialogs_.AnswerMessage(ui::mrOk);
    EXPECT_TRUE(app::NewDataLink());
    EXPECT_FALSE(rtl::FileExists(Link("Desktop")));
    EXPECT_EQ(Read("Fresh"), init);

    std::vector<std::string> messages;
    for (const auto& q : dialogs_.Asked())
        if (q.kind == K::Message) messages.push_back(q.message.text);
    ASSERT_EQ(messages.size(), 6u);
    EXPECT_EQ(messages[0], "Please input Connection Name");
    EXPECT_NE(messages[1].find("can not be"), std::string::npos);
    EXPECT_EQ(messages[2], messages[1]);
    EXPECT_EQ(messages[3], "Connection Name already exists, please choose another name.");
    EXPECT_NE(messages[4].find("Microsoft.Jet.OLEDB.4.0"), std::string::npos) << messages[4];
    EXPECT_EQ(messages[5], "Please select a provider.");
    EXPECT_TRUE(dialogs_.Unexpected().empty());
}

TEST_F(ConnectionDialogsTest, ConfigureWritesBackOnlyOnOk)
{
    MakeLink("Edit", SqliteInit(sample1_));
    const std::string before = rtl::ReadFileToString(Link("Edit"));
    dialogs_.AnswerModal([](ui::TCustomForm& form) {
        form.Get<ui::TEdit>("ed_User")->SetText("changed but cancelled");
        return ui::mrCancel;
    });
    EXPECT_EQ(app::ConfigureDataLink(nullptr, "Edit"), "");
    EXPECT_EQ(rtl::ReadFileToString(Link("Edit")), before);  // byte for byte

    dialogs_.AnswerModal([](ui::TCustomForm& form) {
        form.Get<ui::TEdit>("ed_User")->SetText("ann");
        form.Get<ui::TButton>("okbtn")->Click();
        return ui::mrNone;
    });
    const std::string written = app::ConfigureDataLink(nullptr, "Edit");
    EXPECT_EQ(written, Read("Edit"));
    EXPECT_EQ(db::FindParam(db::ParseInitString(written), "User ID"), std::optional<std::string>("ann"));
    EXPECT_EQ(db::FindParam(db::ParseInitString(written), "Password"), std::nullopt);  // not saved
    EXPECT_TRUE(dialogs_.Unexpected().empty());
}

TEST_F(ConnectionDialogsTest, AdministratorShowsTheLinksStringAndEdits)
{
    MakeLink("Edit", "Provider=MSDASQL.1;Persist Security Info=False;Extended Properties=\"DRIVER=SQLite3;Database=" +
                         sample1_ + "\"");
    dialogs_.AnswerModal([&](ui::TCustomForm& form) {
        EXPECT_EQ(form.Caption(), "ADO Administrator");
        EXPECT_EQ(form.Get<ui::TAction>("add_ado")->Hint(), "Add new ADO Datalink");
        auto* view = form.Get<ui::TListView>("lv_Database");
        EXPECT_EQ(Captions(*view), (std::vector<std::string>{"Edit"}));  // no samples here
        EXPECT_EQ(view->Items()->Item(0)->ImageIndex(), 5);
        auto* popup = form.Get<ui::TPopupMenu>("udplist_popup");
        popup->Popup(0, 0);
        EXPECT_FALSE(form.Get<ui::TMenuItem>("mnu_edit")->Enabled());
        auto* memo = form.Get<ui::TMemo>("mm_constr");
        EXPECT_EQ(memo->Lines()->Count(), 0);
        Select(*view, "Edit");
        popup->Popup(0, 0);
        EXPECT_TRUE(form.Get<ui::TMenuItem>("mnu_edit")->Enabled());
        EXPECT_EQ(memo->Lines()->Count(), 4);
        EXPECT_EQ(memo->Lines()->Strings(0), "Provider=MSDASQL.1;");
        EXPECT_EQ(memo->Lines()->Strings(1), "Persist Security Info=False;");
        EXPECT_EQ(memo->Lines()->Strings(2), "Extended Properties=\"DRIVER=SQLite3;");  // split as text
        EXPECT_EQ(memo->Lines()->Strings(3), "Database=" + sample1_ + "\"");
        // Edit cancelled: the memo shows what the file holds, unchanged.
        const std::string before = rtl::ReadFileToString(Link("Edit"));
        memo->Lines()->Clear();
        form.Get<ui::TAction>("edit_ado")->Execute();
        EXPECT_EQ(rtl::ReadFileToString(Link("Edit")), before);
        EXPECT_EQ(memo->Lines()->Count(), 4);
        // Delete with Yes: gone from the folder and the list.
        form.Get<ui::TAction>("delete_ado")->Execute();
        EXPECT_TRUE(Captions(*view).empty());
        return ui::mrCancel;
    });
    dialogs_.AnswerModal([](ui::TCustomForm&) { return ui::mrCancel; });
    dialogs_.AnswerMessage(ui::mrYes);
    main_->Get<ui::TAction>("cmd_adoadmin")->Execute();
    EXPECT_FALSE(rtl::FileExists(Link("Edit")));
    EXPECT_EQ(app::FrmADOAdmin, nullptr);
    EXPECT_TRUE(dialogs_.Unexpected().empty());
}

TEST_F(ConnectionDialogsTest, WelcomeDialogEndsTheStartup)
{
    {
        rtl::TRegistry registry;
        ASSERT_TRUE(registry.OpenKey("Software\\GWTips", true));
        registry.WriteBool("ShowAtStart", false);
    }
    std::vector<std::string> opened;
    app::MainWindowHooks().openProject = [&](const std::string& f) { opened.push_back(f); };
    dialogs_.AnswerModal([&](ui::TCustomForm& form) {
        EXPECT_EQ(form.Caption(), "Welcome to Gridweaver");
        auto* newProject = form.Get<ui::TRadioButton>("rb_new");
        auto* open = form.Get<ui::TRadioButton>("rb_open");
        auto* files = form.Get<ui::TListBox>("lb_file");
        EXPECT_TRUE(newProject->Checked());
        EXPECT_FALSE(files->Enabled());
        EXPECT_EQ(files->Items()->Count(), 4);
        EXPECT_EQ(files->Items()->Strings(0), "More Files...");
        EXPECT_EQ(files->ItemIndex(), 0);
        open->Click();
        EXPECT_TRUE(files->Enabled());
        newProject->Click();
        EXPECT_FALSE(files->Enabled());
        files->SelectByUser(2);
        files->DblClick();  // opens the line: rb_open checked, OK
        EXPECT_TRUE(open->Checked());
        return ui::mrNone;
    });
    main_->RunStartupSequence();
    EXPECT_EQ(opened, (std::vector<std::string>{main_->ProjectsDir + "/GridweaverSample2.gwp"}));
    // Creating the dialog made the sample links.
    EXPECT_TRUE(rtl::FileExists(Link("GridweaverSample1")));
    EXPECT_TRUE(rtl::FileExists(Link("GridweaverSample2")));
    EXPECT_EQ(app::FrmStartup, nullptr);

    // Cancel does nothing.
    dialogs_.AnswerModal([](ui::TCustomForm&) { return ui::mrCancel; });
    const app::TWelcomeAnswer answer = app::RunWelcomeDialog({"More Files..."});
    EXPECT_FALSE(answer.ok);
    EXPECT_TRUE(dialogs_.Unexpected().empty());
}

TEST_F(ConnectionDialogsTest, DataLinkDialogPagesAndTestConnection)
{
    const std::string odbc = db::FormatOdbcString({{"DRIVER", "SQLite3"}, {"Database", sample1_}});
    const std::string wrong = db::FormatOdbcString({{"DRIVER", "SQLite3"}, {"Database", main_->DataDir + "/nowhere/x.db"}});
    dialogs_.AnswerModal([&](ui::TCustomForm& form) {
        auto* pages = form.Get<ui::TPageControl>("pc_DataLink");
        EXPECT_EQ(pages->ActivePage()->Name(), "ts_Connection");
        EXPECT_EQ(form.Get<ui::TListBox>("lb_Provider")->ItemIndex(), 0);
        EXPECT_EQ(form.Get<ui::TListBox>("lb_Provider")->Items()->Count(), 4);
        EXPECT_TRUE(form.Get<ui::TRadioButton>("rb_ConnString")->Checked());
        EXPECT_FALSE(form.Get<ui::TComboBox>("cb_DataSource")->Enabled());
        auto* conn = form.Get<ui::TEdit>("ed_ConnString");
        EXPECT_EQ(conn->Text(), odbc);
        form.Get<ui::TButton>("btn_Test")->Click();
        conn->SetText(wrong);
        form.Get<ui::TButton>("btn_Test")->Click();
        conn->SetText(odbc);
        // A refused provider chosen on the provider page: the layer's message names it.
        form.Get<ui::TListBox>("lb_Provider")->SelectByUser(2);
        form.Get<ui::TListBox>("lb_Provider")->SelectByUser(0);
        // The All page: every property; a value edited there reaches the connection page.
        pages->SelectTabByUser(2);
        auto* all = form.Get<ui::TListView>("lv_All");
        EXPECT_EQ(Captions(*all), (std::vector<std::string>{"Provider", "Persist Security Info", "Extended Properties"}));
        all->SelectByUser({1}, 1);
        form.Get<ui::TButton>("btn_EditValue")->Click();
        EXPECT_EQ(all->Items()->Item(1)->SubItems()->Strings(0), "True");
        pages->SelectTabByUser(1);
        EXPECT_TRUE(form.Get<ui::TCheckBox>("cb_SavePassword")->Checked());
        form.Get<ui::TButton>("okbtn")->Click();
        return ui::mrNone;
    });
    dialogs_.AnswerMessage(ui::mrOk);
    dialogs_.AnswerMessage(ui::mrOk);
    dialogs_.AnswerMessage(ui::mrOk);
    dialogs_.AnswerInput(std::string("True"));
    const std::string result = app::PromptDataSource(nullptr, db::MakeOdbcInitString(odbc));
    const auto& asked = dialogs_.Asked();
    ASSERT_GE(asked.size(), 5u);
    EXPECT_EQ(asked[1].message.text, "Test connection succeeded.");
    EXPECT_EQ(asked[1].message.type, ui::mtInformation);
    EXPECT_EQ(asked[2].message.type, ui::mtWarning);
    EXPECT_EQ(asked[2].message.text.rfind("Test connection failed:", 0), 0u) << asked[2].message.text;
    EXPECT_GT(asked[2].message.text.size(), std::string("Test connection failed:\r\n").size());
    EXPECT_NE(asked[3].message.text.find("SQLOLEDB.1"), std::string::npos) << asked[3].message.text;
    EXPECT_EQ(asked[4].caption, "Edit Property Value");
    EXPECT_EQ(db::FindParam(db::ParseInitString(result), "Persist Security Info"), std::optional<std::string>("True"));
    EXPECT_EQ(db::FindParam(db::ParseInitString(result), "Extended Properties"), std::optional<std::string>(odbc));

    // Cancel answers nothing.
    dialogs_.AnswerModal([](ui::TCustomForm&) { return ui::mrCancel; });
    EXPECT_EQ(app::PromptDataSource(nullptr, db::MakeOdbcInitString(odbc)), "");
    EXPECT_TRUE(dialogs_.Unexpected().empty());
}

TEST_F(ConnectionDialogsTest, HelpOfTheConnectionDialogsIsContext40)
{
    EXPECT_EQ(app::ContextPage(main_->HelpFile, 40), "connect.html");
    dialogs_.AnswerModal([](ui::TCustomForm& form) {
        form.Get<ui::TButton>("helpbtn")->Click();
        return ui::mrCancel;
    });
    app::TFrmConnect dialog(&ui::Application());
    dialog.ShowModal();
    ASSERT_NE(app::FrmHelpViewer, nullptr);
    EXPECT_EQ(app::FrmHelpViewer->TopicFile(), rtl::ExtractFilePath(main_->HelpFile) + "connect.html");
    EXPECT_TRUE(dialogs_.Unexpected().empty());
}

TEST(DataLinkSettings, ReadAndWrittenBack)
{
    struct Row {
        const char* in;
        bool withPassword;
        const char* out;
    } rows[] = {
        // The password goes only where it is to be saved, or into a test connection.
        {"Provider=MSDASQL.1;Persist Security Info=False;User ID=ann;Password=pw;Data Source=Sales", false,
         "Provider=MSDASQL.1;Persist Security Info=False;User ID=ann;Data Source=Sales"},
        {"Provider=MSDASQL.1;Persist Security Info=False;User ID=ann;Password=pw;Data Source=Sales", true,
         "Provider=MSDASQL.1;Persist Security Info=False;User ID=ann;Password=pw;Data Source=Sales"},
        {"Provider=MSDASQL.1;Persist Security Info=True;Password=;Data Source=S", false,
         "Provider=MSDASQL.1;Persist Security Info=True;Password=\"\";Data Source=S"},
        // Unknown properties are kept.
        {"Provider=MSDASQL.1;Mode=Read;Data Source=S", false, "Provider=MSDASQL.1;Mode=Read;Data Source=S;Persist Security Info=False"},
    };
    for (const Row& r : rows) {
        db::TConnectionParams params = db::ParseInitString(r.in);
        const app::TDataLinkSettings s = app::DataLinkSettingsOf(params);
        app::ApplyDataLinkSettings(s, params, r.withPassword);
        db::TConnectionParams expected = db::ParseInitString(r.out);
        const auto byKey = [](const db::TConnectionParam& a, const db::TConnectionParam& b) { return a.key < b.key; };
        std::sort(params.begin(), params.end(), byKey);
        std::sort(expected.begin(), expected.end(), byKey);
        EXPECT_EQ(db::FormatInitString(params), db::FormatInitString(expected)) << r.in;
    }
    EXPECT_EQ(app::ProviderRefusal("MSDASQL"), "");
    EXPECT_NE(app::ProviderRefusal("MSDAORA.1").find("MSDAORA.1"), std::string::npos);
}

}  // namespace
