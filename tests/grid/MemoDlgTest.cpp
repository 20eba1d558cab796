// The memo dialog driven through the scripted dialog service over an in-memory data set:
// editable and view-only, writing back, the close warning, a field that is not there.

#include <gtest/gtest.h>

#include "grid/Intl.h"
#include "grid/MemoDlg.h"
#include "grid/PublishedDBGrid.h"
#include "platform/classes/Streaming.h"
#include "platform/db/DbErrors.h"
#include "platform/db/Fields.h"
#include "platform/ui/Input.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/db/MemDataSet.h"

using namespace grid;

namespace {

class MemoDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::Application().Reset();
        ds.columns = {{"ID", db::ftInteger}, {"NOTES", db::ftMemo}};
        ds.AddRow({db::TVariant(1), db::TVariant("first line\r\nsecond line")});
        ds.Open();
        source.SetDataSet(&ds);
        dialog.SetDataSource(&source);
        dialog.SetDataField("NOTES");
        dialog.DlgLeft = -1;  // as the grid asks: the form's own size, centred
    }

    dbtest::TMemDataSet ds;
    db::TDataSource source{nullptr};
    TgkMemoDialog dialog{nullptr};
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope{dialogs};
};

TEST_F(MemoDlgTest, EditableOkWaitsForAChangeAndCtrlEnterWritesBackUnposted)
{
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        auto& form = dynamic_cast<TgkMemoDlg&>(f);
        form.FormShow(&form);
        EXPECT_EQ(form.Memo()->Text(), "first line\r\nsecond line");
        EXPECT_FALSE(form.OKButton()->Enabled());  // nothing changed yet
        EXPECT_TRUE(form.CancelButton()->Visible());
        form.Memo()->SetTextByUser("changed");
        EXPECT_TRUE(form.OKButton()->Enabled());
        ui::TKey key = ui::VK_RETURN;
        form.MemoKeyDown(form.Memo(), key, ui::TShiftState{ui::ssCtrl});
        return form.ModalResult();
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(ds.State(), db::dsEdit);  // written into the record, not posted
    EXPECT_EQ(ds.FieldByName("NOTES")->AsString().substr(0, 7), "changed");
    ds.Cancel();
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

TEST_F(MemoDlgTest, ViewOnlyShowsOnlyOkCentredAndWritesNothing)
{
    dialog.SetMemoAttributes(dialog.MemoAttributes() | TgkMemoAttributes{mViewOnly});
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        auto& form = dynamic_cast<TgkMemoDlg&>(f);
        form.FormShow(&form);
        EXPECT_TRUE(form.Memo()->ReadOnly());
        EXPECT_FALSE(form.CancelButton()->Visible());
        EXPECT_TRUE(form.OKButton()->Enabled());
        const ui::TMemo& memo = *form.Memo();
        const int okCentre = form.OKButton()->Left() + form.OKButton()->Width() / 2;
        EXPECT_NEAR(okCentre, memo.Left() + memo.Width() / 2, 1);
        return ui::mrOk;
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(ds.State(), db::dsBrowse);
}

TEST_F(MemoDlgTest, AFieldThatCannotTakeTheTextOpensViewOnly)
{
    // Editable, the text typed would be refused on OK; shown only, nothing is lost.
    struct Case {
        const char* what;
        bool fieldReadOnly;
        bool dataSetReadOnly;
    } cases[] = {{"read-only field", true, false}, {"data set that cannot change", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ds.FieldByName("NOTES")->SetReadOnly(c.fieldReadOnly);
        ds.readOnly = c.dataSetReadOnly;
        dialogs.AnswerModal([](ui::TCustomForm& f) {
            auto& form = dynamic_cast<TgkMemoDlg&>(f);
            form.FormShow(&form);
            EXPECT_TRUE(form.Memo()->ReadOnly());
            EXPECT_FALSE(form.CancelButton()->Visible());
            EXPECT_TRUE(form.OKButton()->Enabled());
            return ui::mrOk;
        });
        EXPECT_TRUE(dialog.Execute());
        EXPECT_EQ(ds.State(), db::dsBrowse);
        EXPECT_EQ(ds.FieldByName("NOTES")->AsString(), "first line\r\nsecond line");
    }
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

TEST_F(MemoDlgTest, ClosingAChangedMemoAsksAndNoKeepsItOpen)
{
    dialogs.AnswerModal([this](ui::TCustomForm& f) {
        auto& form = dynamic_cast<TgkMemoDlg&>(f);
        form.FormShow(&form);
        form.Memo()->SetTextByUser("changed");
        bool canClose = true;
        dialogs.AnswerMessage(ui::mrNo);
        form.FormCloseQuery(&form, canClose);
        EXPECT_FALSE(canClose);
        dialogs.AnswerMessage(ui::mrYes);
        form.FormCloseQuery(&form, canClose);
        EXPECT_TRUE(canClose);
        return form.ModalResult();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(ds.State(), db::dsBrowse);
    ASSERT_EQ(dialogs.Asked().size(), 3u);
    EXPECT_EQ(dialogs.Asked()[1].message.text, gkIntlDefault().UserMessages.MemoChangesWarning);
}

TEST_F(MemoDlgTest, AFieldThatIsNotThereRaisesBeforeAnythingShows)
{
    // Refused when named, or at the latest when the dialog would load it.
    EXPECT_THROW(
        {
            dialog.SetDataField("NOPE");
            dialog.Execute();
        },
        db::EDatabaseError);
    EXPECT_TRUE(dialogs.Asked().empty());
    EXPECT_EQ(dialog.Form(), nullptr);
}

TEST_F(MemoDlgTest, WithoutAFieldTheLinesAreEdited)
{
    dialog.SetDataSource(nullptr);
    dialog.Lines()->SetText("one\r\ntwo\r\n");
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        auto& form = dynamic_cast<TgkMemoDlg&>(f);
        form.FormShow(&form);
        form.Memo()->SetTextByUser("three");
        form.OKButton()->Click();
        return form.ModalResult();
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Lines()->Text(), "three\r\n");
}

}  // namespace

namespace {

// The dialog component's settings are published, so a form that holds one keeps them.
TEST(MemoDialogComponent, TheSettingsGoThroughTheTextForm)
{
    RegisterPublishedGridClasses();
    ui::TForm form(nullptr);
    db::TDataSource* source = new db::TDataSource(&form);
    source->SetName("src");
    classes::ReadComponentText(form, R"(object F: TForm
  object memo: TgkMemoDialog
    DataSource = src
    DataField = 'NOTES'
    Font.Name = 'Courier'
    MemoAttributes = [mWordWrap, mViewOnly]
    Caption = 'Notes'
    Lines.Strings = (
      'one'
      'two')
    DlgLeft = 5
    DlgTop = 6
    DlgWidth = 400
    DlgHeight = 300
    UserButton1Caption = 'Spell'
    UserButton2Caption = 'Clear'
  end
end
)");
    auto* dialog = dynamic_cast<TgkMemoDialog*>(form.FindComponent("memo"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->DataSource(), source);
    EXPECT_EQ(dialog->DataField(), "NOTES");
    EXPECT_EQ(dialog->Font()->Name(), "Courier");
    EXPECT_EQ(dialog->MemoAttributes(), (TgkMemoAttributes{mWordWrap, mViewOnly}));
    EXPECT_EQ(dialog->Caption, "Notes");
    EXPECT_EQ(dialog->Lines()->Count(), 2);
    EXPECT_EQ(dialog->DlgLeft + dialog->DlgTop + dialog->DlgWidth + dialog->DlgHeight, 5 + 6 + 400 + 300);
    EXPECT_EQ(dialog->UserButton2Caption, "Clear");
    for (const char* event : {"OnInitDialog", "OnCloseDialog", "OnUserButton1Click", "OnUserButton2Click"})
        EXPECT_NE(classes::FindProperty(*dialog, event), nullptr) << event;
    const std::string text = classes::WriteComponentText(form);
    for (const char* line : {"DataField = 'NOTES'", "DlgWidth = 400", "UserButton1Caption = 'Spell'",
                             "MemoAttributes = [mWordWrap, mViewOnly]"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    // At its defaults a dialog writes none of its sizes.
    TgkMemoDialog plain(nullptr);
    plain.SetName("plain");
    const std::string defaults = classes::WriteComponentText(plain);
    EXPECT_EQ(defaults.find("Dlg"), std::string::npos) << defaults;
    EXPECT_EQ(defaults.find("MemoAttributes"), std::string::npos) << defaults;
}

// The form swallows an Escape character (Escape itself closes through the memo's key-down)
// and passes other characters on.
TEST(MemoDialogForm, SwallowsTheEscapeCharacter)
{
    ui::Application().Reset();
    TgkMemoDlg form(nullptr);
    std::vector<char> seen;
    form.OnKeyPress = [&](classes::TObject*, char& key) { seen.push_back(key); };
    char escape = '\x1b';
    form.KeyPress(escape);
    EXPECT_EQ(escape, 0);
    char letter = 'a';
    form.KeyPress(letter);
    EXPECT_EQ(letter, 'a');
    EXPECT_EQ(seen, std::vector<char>{'a'});
}

}  // namespace
