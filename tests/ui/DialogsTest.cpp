// The message dialog's rules, the exception box, and the dialog service answering every
// kind of question.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/rtl/Files.h"
#include "platform/rtl/Log.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/testing/TestDialogs.h"

namespace {

using namespace ui;

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Application().Reset();
        Application().SetTitle("Gridweaver");
        Application().OnException.Clear();
    }
    TScriptedDialogs dialogs;
    TDialogServiceScope scope{dialogs};
};

TEST_F(DialogsTest, ExceptionBoxAppendsAPeriodAfterCharactersSortingAfterIt)
{
    struct Case {
        std::string message;
        std::string shown;
    } cases[] = {
        {"Cannot open the file", "Cannot open the file."},
        {"Done.", "Done."},
        {"Really?", "Really?."},  // the question mark sorts after the period
        {"Stop!", "Stop!"},      // '!' sorts before '.'
        {"List index out of bounds (3)", "List index out of bounds (3)"},
        {"Value -", "Value -"},
        {"Ends in a slash/", "Ends in a slash/."},
        {"Größe", "Größe."},
        {"", ""},
    };
    for (const Case& c : cases) {
        try {
            throw rtl::Exception(c.message);
        } catch (...) {
            Application().HandleException(nullptr);
        }
    }
    ASSERT_EQ(dialogs.Asked().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const TMessageRequest& shown = dialogs.Asked()[i].message;
        EXPECT_EQ(shown.text, cases[i].shown) << cases[i].message;
        EXPECT_EQ(shown.caption, "Gridweaver");
        EXPECT_EQ(shown.type, mtError);  // the stop icon
        EXPECT_EQ(shown.buttons, TMsgDlgButtons{mbOK});
    }
}

TEST_F(DialogsTest, SilentAbortShowsNothingAndHandlersChain)
{
    try {
        rtl::Abort();
    } catch (...) {
        Application().HandleException(nullptr);
    }
    EXPECT_TRUE(dialogs.Asked().empty());

    // A handler installed over another passes on what it does not want.
    std::vector<std::string> seen;
    Application().OnException = [&](classes::TObject*, const std::exception& e) { seen.push_back(std::string("first ") + e.what()); };
    const TExceptionEvent previous = Application().OnException;
    Application().OnException = [&, previous](classes::TObject* sender, const std::exception& e) {
        if (std::string(e.what()) == "mine")
            seen.push_back("second mine");
        else
            previous(sender, e);
    };
    EXPECT_FALSE(Application().SafeCall(nullptr, [] { throw rtl::Exception("mine"); }));
    EXPECT_FALSE(Application().SafeCall(nullptr, [] { throw rtl::EConvertError("other"); }));
    EXPECT_TRUE(Application().SafeCall(nullptr, [] {}));
    EXPECT_EQ(seen, (std::vector<std::string>{"second mine", "first other"}));
    EXPECT_TRUE(dialogs.Asked().empty());

    // Put back: the box again.
    Application().OnException.Clear();
    Application().SafeCall(nullptr, [] { throw std::runtime_error("plain"); });
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].message.text, "plain.");
}

TEST_F(DialogsTest, AHandlerThatFailsItselfIsWrittenToTheLog)
{
    // The message loop's handler is the last one to ask: what it raises goes nowhere else.
    rtl::TLogCapture log;
    Application().OnException = [](classes::TObject*, const std::exception& e) {
        throw std::runtime_error(std::string("handler failed on ") + e.what());
    };
    EXPECT_FALSE(Application().SafeCall(nullptr, [] { throw rtl::Exception("click"); }));
    Application().OnException = [](classes::TObject*, const std::exception&) { throw 42; };
    EXPECT_FALSE(Application().SafeCall(nullptr, [] { throw rtl::Exception("paint"); }));
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "TApplication::HandleException, in the exception handler: handler failed on click",
                               "TApplication::HandleException, in the exception handler: unknown exception"}));
    EXPECT_TRUE(dialogs.Asked().empty());
}

TEST(MessageDialogRules, ButtonsKeepTheirFixedOrder)
{
    const auto order = MsgDlgButtonOrder(
        TMsgDlgButtons{mbHelp, mbYesToAll, mbNoToAll, mbAll, mbIgnore, mbRetry, mbAbort, mbCancel, mbOK, mbNo, mbYes});
    std::vector<std::string> captions;
    for (TMsgDlgBtn b : order) captions.push_back(MsgDlgButtonCaption(b));
    EXPECT_EQ(captions, (std::vector<std::string>{"&Yes", "&No", "OK", "Cancel", "&Abort", "&Retry", "&Ignore", "&All",
                                                  "N&o to All", "Yes to &All", "&Help"}));
    EXPECT_EQ(MsgDlgButtonOrder(TMsgDlgButtons{mbCancel, mbYes}), (std::vector<TMsgDlgBtn>{mbYes, mbCancel}));

    const struct {
        TMsgDlgBtn button;
        TModalResult result;
    } results[] = {{mbYes, mrYes},       {mbNo, mrNo},           {mbOK, mrOk},         {mbCancel, mrCancel},
                   {mbAbort, mrAbort},   {mbRetry, mrRetry},     {mbIgnore, mrIgnore}, {mbAll, mrAll},
                   {mbNoToAll, mrNoToAll}, {mbYesToAll, mrYesToAll}, {mbHelp, mrNone}};
    for (const auto& r : results) EXPECT_EQ(MsgDlgButtonResult(r.button), r.result) << MsgDlgButtonName(r.button);

    EXPECT_EQ(MsgDlgDefaultButton(mbYesNoCancel), mbYes);
    EXPECT_EQ(MsgDlgDefaultButton(mbOKCancel), mbOK);
    EXPECT_EQ(MsgDlgDefaultButton(mbAbortRetryIgnore), mbAbort);
    EXPECT_EQ(MsgDlgCancelButton(mbYesNoCancel), mbCancel);
    EXPECT_EQ(MsgDlgCancelButton(TMsgDlgButtons{mbYes, mbNo}), mbNo);
    EXPECT_EQ(MsgDlgCancelButton(TMsgDlgButtons{mbOK}), mbOK);
}

TEST(MessageDialogRules, CaptionsByKind)
{
    Application().SetTitle("Gridweaver");
    EXPECT_EQ(MsgDlgCaption(mtWarning), "Warning");
    EXPECT_EQ(MsgDlgCaption(mtError), "Error");
    EXPECT_EQ(MsgDlgCaption(mtInformation), "Information");
    EXPECT_EQ(MsgDlgCaption(mtConfirmation), "Confirm");
    EXPECT_EQ(MsgDlgCaption(mtCustom), "Gridweaver");
}

TEST(MessageDialogRules, TheDialogFormLaysButtonsOutLeftToRightInOrder)
{
    std::unique_ptr<TForm> form(CreateMessageDialog(
        TMessageRequest{"Delete it?", "Confirm", mtConfirmation, TMsgDlgButtons{mbHelp, mbCancel, mbNo, mbYes}, 270}));
    EXPECT_EQ(form->Caption(), "Confirm");
    EXPECT_EQ(form->BorderStyle(), bsDialog);
    EXPECT_EQ(form->Get<TLabel>("Message")->Caption(), "Delete it?");
    EXPECT_EQ(form->Get<TImage>("Image")->SystemIcon(), siQuestion);
    int left = -1;
    for (const char* name : {"Yes", "No", "Cancel", "Help"}) {
        auto* b = form->Get<TButton>(name);
        EXPECT_GT(b->Left(), left) << name;
        left = b->Left();
    }
    EXPECT_TRUE(form->Get<TButton>("Yes")->Default());
    EXPECT_TRUE(form->Get<TButton>("Cancel")->Cancel());
    EXPECT_EQ(form->ActiveControl(), form->Get<TButton>("Yes"));
    // Every button lies inside the dialog, below the text.
    for (const char* name : {"Yes", "Help"}) {
        auto* b = form->Get<TButton>(name);
        EXPECT_LE(b->Left() + b->Width(), form->ClientWidth());
        EXPECT_LE(b->Top() + b->Height(), form->ClientHeight());
        EXPECT_GE(b->Top(), form->Get<TLabel>("Message")->Top() + form->Get<TLabel>("Message")->Height());
    }
    // Clicking a button gives the form its result; Help shows help instead.
    int helpShown = 0;
    Application().OnHelp = [&](int context, bool& shown) {
        helpShown = context;
        shown = true;
    };
    form->Get<TButton>("Help")->Click();
    EXPECT_EQ(helpShown, 270);
    EXPECT_EQ(form->ModalResult(), mrNone);
    form->Get<TButton>("No")->Click();
    EXPECT_EQ(form->ModalResult(), mrNo);
    Application().OnHelp.Clear();
}

TEST_F(DialogsTest, MessageDlgAndInputQueryAskTheService)
{
    dialogs.AnswerMessage(mrNo);
    EXPECT_EQ(MessageDlg("Do you want to replace SQL from SQL Builder?", mtConfirmation, TMsgDlgButtons{mbYes, mbNo}),
              mrNo);
    const TMessageRequest& asked = dialogs.Asked().at(0).message;
    EXPECT_EQ(asked.caption, "Confirm");
    EXPECT_EQ(asked.buttons, (TMsgDlgButtons{mbYes, mbNo}));

    dialogs.AnswerInput(std::string("Orders"));
    std::string name = "Untitled";
    EXPECT_TRUE(InputQuery("New", "Name:", name));
    EXPECT_EQ(name, "Orders");
    EXPECT_EQ(dialogs.Asked().at(1).value, "Untitled");
    dialogs.AnswerInput(std::nullopt);
    EXPECT_EQ(InputBox("New", "Name:", "kept"), "kept");

    dialogs.AnswerMessage(mrOk);
    ShowMessage("Hello");
    EXPECT_EQ(dialogs.Asked().back().message.caption, "Gridweaver");
    EXPECT_TRUE(dialogs.Unexpected().empty());

    // A question nobody expected is answered Cancel and reported.
    EXPECT_EQ(MessageDlg("Surprise", mtWarning, TMsgDlgButtons{mbOK, mbCancel}), mrCancel);
    EXPECT_EQ(dialogs.Unexpected(), std::vector<std::string>{"message: Surprise"});
}

TEST(FileFilters, ParsedIntoDescriptionsAndPatterns)
{
    EXPECT_EQ(ParseFileFilter("Text|*.txt|All|*.*"),
              (std::vector<TFileFilter>{{"Text", {"*.txt"}}, {"All", {"*.*"}}}));
    EXPECT_EQ(ParseFileFilter("HTML files (*.html, *.htm)|*.html;*.htm|ASP files (*.asp)|*.asp"),
              (std::vector<TFileFilter>{{"HTML files (*.html, *.htm)", {"*.html", "*.htm"}},
                                        {"ASP files (*.asp)", {"*.asp"}}}));
    EXPECT_EQ(ParseFileFilter("All (*.gif;*.jpg)|*.gif;*.jpg;|Bitmaps (*.bmp)|*.bmp"),
              (std::vector<TFileFilter>{{"All (*.gif;*.jpg)", {"*.gif", "*.jpg"}}, {"Bitmaps (*.bmp)", {"*.bmp"}}}));
    EXPECT_EQ(ParseFileFilter(""), std::vector<TFileFilter>{});
    EXPECT_EQ(ParseFileFilter("Only a name"), (std::vector<TFileFilter>{{"Only a name", {"*.*"}}}));
}

TEST(FileFilters, DefaultExtensionFollowsTheChosenFilter)
{
    const auto filters = ParseFileFilter("HTML files|*.html;*.htm|ASP files|*.asp|All|*.*");
    EXPECT_EQ(ApplyDefaultExt("/p/orders", "html", filters, 1), "/p/orders.html");
    EXPECT_EQ(ApplyDefaultExt("/p/orders", "html", filters, 2), "/p/orders.asp");
    EXPECT_EQ(ApplyDefaultExt("/p/orders", "html", filters, 3), "/p/orders.html");
    EXPECT_EQ(ApplyDefaultExt("/p/orders.htm", "html", filters, 2), "/p/orders.htm");
    EXPECT_EQ(ApplyDefaultExt("/p/orders", "", filters, 2), "/p/orders");
    EXPECT_EQ(ApplyDefaultExt("/p.d/orders", "gwp", {}, 1), "/p.d/orders.gwp");
}

TEST_F(DialogsTest, FileDialogsAskAndApplyTheirSettings)
{
    TOpenDialog open(nullptr);
    open.SetFilter("Project (*.gwp)|*.gwp");
    open.SetInitialDir("/projects");
    dialogs.AnswerFile(std::string("/projects/a.gwp"));
    ASSERT_TRUE(open.Execute());
    EXPECT_EQ(open.FileName(), "/projects/a.gwp");
    const TFileDialogRequest& asked = dialogs.Asked().at(0).file;
    EXPECT_FALSE(asked.save);
    EXPECT_EQ(asked.title, "Open");
    EXPECT_EQ(asked.initialDir, "/projects");
    ASSERT_EQ(asked.filters.size(), 1u);
    dialogs.AnswerFile(std::nullopt);
    EXPECT_FALSE(open.Execute());
    EXPECT_EQ(open.FileName(), "/projects/a.gwp");

    // Saving over an existing file asks first; No asks for another name.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "gw_ui_dialogs";
    std::filesystem::create_directories(dir);
    const std::string existing = (dir / "pages.asp").string();
    rtl::WriteStringToFile(existing, "old");
    TSaveDialog save(nullptr);
    save.SetFilter("HTML files|*.html;*.htm|ASP files|*.asp");
    save.SetDefaultExt("html");
    save.SetOptions(TOpenOptions{ofOverwritePrompt});
    dialogs.AnswerFile((dir / "pages").string(), 2);
    dialogs.AnswerMessage(mrNo);
    dialogs.AnswerFile((dir / "other").string(), 1);
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName(), (dir / "other.html").string());
    EXPECT_EQ(save.FilterIndex(), 1);
    ASSERT_EQ(dialogs.Asked().size(), 5u);
    const TMessageRequest& question = dialogs.Asked()[3].message;
    EXPECT_EQ(question.text, existing + " already exists.\r\nDo you want to replace it?");
    EXPECT_EQ(question.buttons, (TMsgDlgButtons{mbYes, mbNo}));
    EXPECT_EQ(dialogs.Asked()[4].file.fileName, existing);  // asked again from the refused name

    dialogs.AnswerFile(existing, 2);
    dialogs.AnswerMessage(mrYes);
    ASSERT_TRUE(save.Execute());
    EXPECT_EQ(save.FileName(), existing);
    EXPECT_EQ(save.FilterIndex(), 2);
    EXPECT_TRUE(dialogs.Unexpected().empty());
    std::filesystem::remove_all(dir);
}

TEST_F(DialogsTest, ColourAndFontDialogs)
{
    TColorDialog colors(nullptr);
    colors.SetColor(rtl::clBtnFace);
    dialogs.AnswerColor(rtl::clRed);
    ASSERT_TRUE(colors.Execute());
    EXPECT_EQ(colors.Color(), rtl::clRed);
    EXPECT_EQ(dialogs.Asked().at(0).color, rtl::ColorToRGB(rtl::clBtnFace));  // offered as a plain colour
    dialogs.AnswerColor(std::nullopt);
    EXPECT_FALSE(colors.Execute());
    EXPECT_EQ(colors.Color(), rtl::clRed);

    TFontDialog fonts(nullptr);
    dialogs.AnswerFont([](classes::TFont& f) {
        f.SetSize(12);
        f.SetStyle(classes::TFontStyles{classes::fsBold});
        return true;
    });
    ASSERT_TRUE(fonts.Execute());
    EXPECT_EQ(fonts.Font()->Size(), 12);
    dialogs.AnswerFont([](classes::TFont& f) {
        f.SetSize(30);
        return false;
    });
    EXPECT_FALSE(fonts.Execute());
    EXPECT_EQ(fonts.Font()->Size(), 12);
}

TEST(StandardDialogs, WithoutAWindowSystemAQuestionIsAnError)
{
    ASSERT_EQ(WindowSystem(), nullptr);
    EXPECT_THROW(MessageDlg("x", mtWarning, TMsgDlgButtons{mbOK}), EInvalidOperation);
    TOpenDialog open(nullptr);
    EXPECT_THROW(open.Execute(), EInvalidOperation);
}

}  // namespace
