// The "ODBC Error" dialog, driven without a display through a dialog service of the test's
// own, and the start-up and shutdown routine that installs it.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "odbc/ErrorDialog.h"
#include "odbc/OdbcApi.h"
#include "odbc/Session.h"
#include "odbc/SqlError.h"
#include "odbc/Startup.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

namespace {

using namespace odbc;

// Answers message boxes by recording them and runs modal forms through a script of steps,
// one per turn of the modal loop.
class TScriptedDialogs : public ui::TStandardDialogs {
public:
    std::vector<ui::TMessageRequest> messages;
    std::vector<ui::TCustomForm*> modalForms;
    std::vector<std::function<void(ui::TCustomForm&)>> steps;

    int Message(const ui::TMessageRequest& request) override
    {
        messages.push_back(request);
        return ui::mrOk;
    }
    int ShowModal(ui::TCustomForm& form) override
    {
        modalForms.push_back(&form);
        std::size_t next = 0;
        return form.ExecuteModal([&] {
            if (next < steps.size())
                steps[next++](form);
            else
                form.SetModalResult(ui::mrCancel);
        });
    }
};

struct TPage {
    bool back;
    bool next;
    std::string text;
    friend bool operator==(const TPage&, const TPage&) = default;
};

std::ostream& operator<<(std::ostream& out, const TPage& p)
{
    return out << "{back " << p.back << ", next " << p.next << ", \"" << p.text << "\"}";
}

TPage PageOf(ui::TCustomForm& form)
{
    return {form.Get<ui::TButton>("BackBtn")->Enabled(), form.Get<ui::TButton>("NextBtn")->Enabled(),
            form.Get<ui::TLabel>("ErrorLabel")->Caption()};
}

class ErrorDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::Application().Reset();
        ui::Application().SetTitle("Gridweaver");
        StartUpOdbc();
        ASSERT_NE(ODBCErrorDialog(), nullptr);
    }
    void TearDown() override
    {
        ShutDownOdbc();
        ui::Application().OnException.Clear();
        ui::Application().Reset();
    }

    TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope{dialogs};
};

const ESQLerror kThreeRecords(SQL_ERROR, std::vector<TDiagRecord>{
                                             {"01000", 1, "[drv]first"}, {"42S02", 2, "[drv]second"}, {"HY000", 3, "[drv]third"}});

TEST_F(ErrorDialogTest, ShowsAnEscapedESQLerrorRecordByRecord)
{
    std::vector<TPage> pages;
    const auto look = [&](ui::TCustomForm& form) { pages.push_back(PageOf(form)); };
    const auto click = [&](const char* button) {
        return [&, button](ui::TCustomForm& form) {
            form.Get<ui::TButton>(button)->Click();
            pages.push_back(PageOf(form));
        };
    };
    dialogs.steps = {look, click("NextBtn"), click("NextBtn"), click("NextBtn"), click("BackBtn"), click("OKBtn")};

    ui::Application().HandleException(nullptr, kThreeRecords);

    ASSERT_EQ(dialogs.modalForms.size(), 1u);
    EXPECT_EQ(dialogs.modalForms[0], ODBCErrorDialog());
    EXPECT_TRUE(dialogs.messages.empty());
    const std::vector<TPage> expected{
        {false, true, "01000:[drv]first"},  {true, true, "42S02:[drv]second"}, {true, false, "HY000:[drv]third"},
        {true, false, "HY000:[drv]third"},  {true, true, "42S02:[drv]second"}, {true, true, "42S02:[drv]second"},
    };
    EXPECT_EQ(pages, expected);
    EXPECT_EQ(ODBCErrorDialog()->ModalResult(), ui::mrOk);
    EXPECT_EQ(ODBCErrorDialog()->ShownException(), nullptr);
    EXPECT_FALSE(ODBCErrorDialog()->Visible());

    // Shown again, it starts from the first record.
    pages.clear();
    dialogs.steps = {look, click("OKBtn")};
    ui::Application().HandleException(nullptr, kThreeRecords);
    ASSERT_FALSE(pages.empty());
    EXPECT_EQ(pages[0], (TPage{false, true, "01000:[drv]first"}));
}

TEST_F(ErrorDialogTest, AnErrorWithoutRecordsShowsItsMessage)
{
    std::vector<TPage> pages;
    dialogs.steps = {[&](ui::TCustomForm& form) {
        pages.push_back(PageOf(form));
        form.SetModalResult(ui::mrOk);
    }};
    EXPECT_EQ(ODBCErrorDialog()->ShowError(ESQLerror(SQL_HANDLE_DBC, SQL_NO_DATA, SQL_NULL_HANDLE)), ui::mrOk);
    EXPECT_EQ(pages, (std::vector<TPage>{{false, false, "SQL_NO_DATA"}}));
}

TEST_F(ErrorDialogTest, OtherExceptionsGetTheStandardBox)
{
    ui::Application().HandleException(nullptr, rtl::Exception("Disk full"));
    EXPECT_TRUE(dialogs.modalForms.empty());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Disk full.");
    EXPECT_EQ(dialogs.messages[0].caption, "Gridweaver");
    EXPECT_EQ(dialogs.messages[0].type, ui::mtError);
}

TEST_F(ErrorDialogTest, ASecondErrorWhileOneIsShownAndErrorsWhileEndingGetTheStandardBox)
{
    const ESQLerror second("HY000:[drv]while shown");
    dialogs.steps = {[&](ui::TCustomForm& form) {
        ui::Application().HandleException(nullptr, second);
        form.SetModalResult(ui::mrOk);
    }};
    ui::Application().HandleException(nullptr, kThreeRecords);
    EXPECT_EQ(dialogs.modalForms.size(), 1u);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "HY000:[drv]while shown.");

    ui::Application().Terminate();
    ui::Application().HandleException(nullptr, kThreeRecords);
    EXPECT_EQ(dialogs.modalForms.size(), 1u);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text, "01000:[drv]first.");
}

TEST(ErrorDialogChain, OtherExceptionsGoToTheHandlerInstalledBeforeAndItIsPutBack)
{
    ui::Application().Reset();
    TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope{dialogs};
    std::vector<std::string> earlier;
    ui::Application().OnException = [&](classes::TObject*, const std::exception& e) { earlier.push_back(e.what()); };

    StartUpOdbc();
    dialogs.steps = {[](ui::TCustomForm& form) { form.SetModalResult(ui::mrOk); }};
    ui::Application().HandleException(nullptr, rtl::Exception("not ODBC"));
    ui::Application().HandleException(nullptr, kThreeRecords);
    EXPECT_EQ(earlier, std::vector<std::string>{"not ODBC"});
    EXPECT_EQ(dialogs.modalForms.size(), 1u);

    ShutDownOdbc();
    EXPECT_EQ(ODBCErrorDialog(), nullptr);
    ui::Application().HandleException(nullptr, kThreeRecords);
    EXPECT_EQ(earlier, (std::vector<std::string>{"not ODBC", "01000:[drv]first"}));
    EXPECT_TRUE(dialogs.messages.empty());
    ui::Application().OnException.Clear();
}

TEST_F(ErrorDialogTest, TheStoredDescription)
{
    TdbODBCErrorDlg& dialog = *ODBCErrorDialog();
    EXPECT_EQ(dialog.Owner(), &ui::Application());
    EXPECT_FALSE(dialog.Visible());
    EXPECT_EQ(dialog.Caption(), "ODBC Error");
    EXPECT_EQ(dialog.Width(), 320);
    EXPECT_EQ(dialog.Height(), 170);
    EXPECT_EQ(dialog.FormStyle(), ui::fsStayOnTop);
    EXPECT_EQ(dialog.Position(), ui::poScreenCenter);
    EXPECT_EQ(dialog.BorderIcons(), ui::TBorderIcons{ui::biSystemMenu});
    EXPECT_EQ(dialog.ActiveControl(), dialog.Get<ui::TButton>("OKBtn"));
    EXPECT_EQ(dialog.Get<ui::TPanel>("BottomPanel")->Height(), 39);
    EXPECT_EQ(dialog.Get<ui::TPanel>("LeftPanel")->Width(), 55);
    auto* ok = dialog.Get<ui::TButton>("OKBtn");
    EXPECT_EQ(ok->Caption(), "OK");
    EXPECT_TRUE(ok->Cancel());
    EXPECT_EQ(ok->ModalResult(), ui::mrOk);
    EXPECT_EQ(dialog.Get<ui::TButton>("BackBtn")->Caption(), "< &Back");
    EXPECT_EQ(dialog.Get<ui::TButton>("NextBtn")->Caption(), "Next >");
    EXPECT_TRUE(dialog.Get<ui::TButton>("NextBtn")->Default());
    EXPECT_TRUE(dialog.Get<ui::TLabel>("ErrorLabel")->WordWrap());
    auto* icon = dialog.Get<ui::TImage>("IconImage");
    EXPECT_EQ(icon->Picture()->Width(), 34);
    EXPECT_EQ(icon->Picture()->Height(), 34);
}

TEST(OdbcShutdown, FreesTheDialogAndTheSessionThenUnloadsTheDriverManager)
{
    ui::Application().Reset();
    StartUpOdbc();
    TdbSession* session = &DefaultSession();
    EXPECT_FALSE(session->HandleAllocated());  // no environment until first use
    session->Handle();
    EXPECT_TRUE(ODBCLoaded());

    ShutDownOdbc();
    EXPECT_EQ(ODBCErrorDialog(), nullptr);
    EXPECT_FALSE(ODBCLoaded());
    EXPECT_FALSE(ui::Application().OnException);
    // A later start begins afresh.
    EXPECT_FALSE(DefaultSession().HandleAllocated());
    FreeDefaultSession();
}

}  // namespace
