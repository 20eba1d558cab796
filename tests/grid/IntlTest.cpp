#include "grid/DialogButton.h"
#include "grid/Intl.h"
#include "grid/Types.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Errors.h"
#include "platform/classes/Streaming.h"
#include "platform/classes/TypInfo.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Screen.h"
#include "platform/ui/StdCtrls.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace grid;
using classes::fsBold;
using classes::fsItalic;
using classes::TFontStyles;

namespace {

// Puts the global object and the screen back the way the tests found them.
class IntlTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        TgkIntl fresh;
        fresh.SetConnected(true);  // copies the defaults back
        TgkIntl& global = gkIntlDefault();
        global.OKCancelBitmapped = false;
        global.ADO.UseLocateWhenFindingValue = true;
        ui::SetScreenPixelsPerInch(96);
        ui::SetBeepHandler(nullptr);
    }
};

}  // namespace

TEST_F(IntlTest, DefaultsOfSettingsAndSampleTexts)
{
    const TgkIntl intl;
    EXPECT_TRUE(intl.ADO.UseLocateWhenFindingValue);
    EXPECT_FALSE(intl.OKCancelBitmapped);
    EXPECT_EQ(intl.BtnOKCaption, "&OK");
    EXPECT_EQ(intl.BtnCancelCaption, "Cancel");
    EXPECT_EQ(intl.CheckBoxInGridStyle(), cbStyleAuto);
    EXPECT_EQ(intl.LibraryVersion(), "2.0.1");
    EXPECT_EQ(intl.FilterMemoSize, 65536);
    EXPECT_EQ(intl.IniFileName, "");
    EXPECT_TRUE(intl.UseLocateMethodForSearch);
    EXPECT_TRUE(intl.DialogFontStyle.Empty());
    EXPECT_EQ(intl.DefaultEpochYear, 1950);
    EXPECT_FALSE(intl.Connected());
    EXPECT_FALSE(intl.IsDefault());

    EXPECT_EQ(intl.Navigator.Hints.PriorPageHint, "Move backward %d records");
    EXPECT_EQ(intl.UserMessages.MemoChangesWarning,
              "Changes have been made!  Are you sure you wish to cancel?");
    EXPECT_EQ(intl.FilterDialog.SummaryCaption, "");
    EXPECT_EQ(intl.RichEdit.MenuLabels.HelpCaption, "Help");
    EXPECT_EQ(intl.RichEdit.PopupMenuLabels.SpellCheckCaption, "Check &Spelling");
    EXPECT_EQ(intl.RichEdit.ParagraphDialog.AlignJustify, "Justify");
    EXPECT_EQ(intl.RichEdit.TabDialog.ClearAllButtonHint, "Clear all the tabs");

    EXPECT_TRUE(gkIntlDefault().IsDefault());
    EXPECT_EQ(&gkIntlDefault(), &gkIntlDefault());
}

TEST_F(IntlTest, PublishesItsSettingsInOrderWithTheirDefaults)
{
    const classes::TClassInfo& info = TgkIntl::StaticClassInfo();
    std::vector<std::string> names;
    for (const classes::TPropInfo* prop : info.Properties()) names.push_back(prop->Name());
    const std::vector<std::string> expected = {
        "Name", "Tag", "ADO", "Navigator", "SearchDialog", "LocateDialog", "MonthCalendar",
        "FilterDialog", "UserMessages", "RichEdit", "OKCancelBitmapped", "BtnOKCaption",
        "BtnCancelCaption", "CheckBoxInGridStyle", "LibraryVersion", "FilterMemoSize",
        "IniFileName", "UseLocateMethodForSearch", "DialogFontStyle", "DefaultEpochYear",
        "OnValidationErrorUsingMask", "Connected"};
    EXPECT_EQ(names, expected);

    TgkIntl intl;
    EXPECT_EQ(classes::GetStrProp(intl, "Navigator.Hints.LastHint"), "Move to last record");
    EXPECT_EQ(classes::GetStrProp(intl, "RichEdit.MenuLabels.FileCaption"), "&File");
    EXPECT_TRUE(classes::GetBoolProp(intl, "ADO.UseLocateWhenFindingValue"));
    EXPECT_EQ(classes::GetOrdProp(intl, "DefaultEpochYear"), 1950);
    EXPECT_EQ(classes::GetEnumProp(intl, "CheckBoxInGridStyle"), "cbStyleAuto");
    const classes::TPropInfo* prop = classes::FindProperty(intl, "UserMessages.LocateNoMatches");
    ASSERT_NE(prop, nullptr);
    ASSERT_TRUE(prop->Default().has_value());
    EXPECT_TRUE(classes::SamePropValue(*prop->Default(), classes::TPropValue(std::string("No matches found"))));

    // Texts and settings are set by name, as a stored form sets them.
    EXPECT_TRUE(classes::SetPropValue(intl, "LocateDialog.BtnNext", std::string("&Weiter")));
    EXPECT_EQ(intl.LocateDialog.BtnNext, "&Weiter");
    EXPECT_TRUE(classes::SetEnumProp(intl, "CheckBoxInGridStyle", "cbStyleXmark"));
    EXPECT_EQ(intl.CheckBoxInGridStyle(), cbStyleXmark);
    // The version is fixed.
    EXPECT_TRUE(classes::SetPropValue(intl, "LibraryVersion", std::string("9.9")));
    EXPECT_EQ(intl.LibraryVersion(), "2.0.1");
}

TEST_F(IntlTest, AStoredConnectedObjectCopiesOnceLoaded)
{
    RegisterIntlClasses();
    classes::TComponent form(nullptr);
    form.SetName("Form1");
    classes::ReadComponentText(form,
                               "object Form1: TComponent\r\n"
                               "  object Intl1: TgkIntl\r\n"
                               "    Connected = True\r\n"  // before the texts it copies
                               "    BtnOKCaption = '&Ja'\r\n"
                               "    UserMessages.LocateNoMatches = 'Keine Treffer'\r\n"
                               "    IniFileName = 'myapp'\r\n"
                               "    DialogFontStyle = [fsBold]\r\n"
                               "  end\r\n"
                               "end\r\n",
                               classes::TReadOptions{true});
    auto* intl = form.FindComponent<TgkIntl>("Intl1");
    ASSERT_NE(intl, nullptr);
    EXPECT_TRUE(intl->Connected());

    const TgkIntl& global = gkIntlDefault();
    EXPECT_EQ(global.BtnOKCaption, "&Ja");
    EXPECT_EQ(global.UserMessages.LocateNoMatches, "Keine Treffer");
    EXPECT_EQ(global.IniFileName, "myapp.ini");
    EXPECT_EQ(global.DialogFontStyle, TFontStyles{fsBold});
}

TEST_F(IntlTest, EpochYearIsAYearADateCanHold)
{
    TgkIntl intl;
    for (const int year : {1, 1930, 9999}) {
        EXPECT_TRUE(classes::SetPropValue(intl, "DefaultEpochYear", std::int64_t{year}));
        EXPECT_EQ(intl.DefaultEpochYear, year);
    }
    for (const std::int64_t year : {std::int64_t{0}, std::int64_t{-1950}, std::int64_t{10000},
                                    std::int64_t{std::numeric_limits<int>::max()}}) {
        SCOPED_TRACE(year);
        EXPECT_THROW(classes::SetPropValue(intl, "DefaultEpochYear", year), classes::EPropertyError);
        EXPECT_EQ(intl.DefaultEpochYear, 9999);
    }

    // A stored form with such a year does not load.
    RegisterIntlClasses();
    classes::TComponent form(nullptr);
    form.SetName("Form1");
    EXPECT_THROW(classes::ReadComponentText(form,
                                            "object Form1: TComponent\r\n"
                                            "  object Intl1: TgkIntl\r\n"
                                            "    DefaultEpochYear = 2147483647\r\n"
                                            "  end\r\n"
                                            "end\r\n",
                                            classes::TReadOptions{true}),
                 rtl::Exception);
}

TEST_F(IntlTest, AFreshObjectWritesNoSettings)
{
    TgkIntl intl;
    intl.SetName("Intl1");
    EXPECT_EQ(classes::WriteComponentText(intl), "object Intl1: TgkIntl\r\nend\r\n");
    intl.RichEdit.TabDialog.SetTabButtonCaption = "Setzen";
    intl.DefaultEpochYear = 1930;
    EXPECT_EQ(classes::WriteComponentText(intl),
              "object Intl1: TgkIntl\r\n"
              "  RichEdit.TabDialog.SetTabButtonCaption = 'Setzen'\r\n"
              "  DefaultEpochYear = 1930\r\n"
              "end\r\n");
}

TEST_F(IntlTest, GroupsAssignEveryPublishedValue)
{
    TgkIntl a, b;
    a.RichEdit.TabDialog.HelpContext = 12;
    a.RichEdit.ParagraphDialog.AlignLeft = "Links";
    a.ADO.UseLocateWhenFindingValue = false;
    b.RichEdit.Assign(a.RichEdit);
    b.ADO.Assign(a.ADO);
    EXPECT_EQ(b.RichEdit.TabDialog.HelpContext, 12);
    EXPECT_EQ(b.RichEdit.ParagraphDialog.AlignLeft, "Links");
    EXPECT_FALSE(b.ADO.UseLocateWhenFindingValue);
    EXPECT_THROW(b.ADO.Assign(a.RichEdit), rtl::EConvertError);
}

TEST_F(IntlTest, ConnectingCopiesTextsAndTheListedSettingsIntoTheGlobalObject)
{
    TgkIntl local;
    local.Navigator.ConfirmDeleteMessage = "Datensatz löschen?";
    local.Navigator.Hints.FirstHint = "Zum ersten Datensatz";
    local.UserMessages.LocateNoMatches = "Nichts gefunden";
    local.RichEdit.TabDialog.TabDlgCaption = "Tabulator";
    local.BtnOKCaption = "&Ja";
    local.BtnCancelCaption = "Abbrechen";
    local.SetCheckBoxInGridStyle(cbStyleXmark);
    local.DialogFontStyle = {fsBold};
    local.UseLocateMethodForSearch = false;
    local.DefaultEpochYear = 1930;
    local.FilterMemoSize = 1024;
    local.IniFileName = "myapp";
    local.OnValidationErrorUsingMask = [](classes::TComponent*, db::TField*, bool& show,
                                          std::string&) { show = false; };
    // Not copied: the ADO group and the bitmapped-buttons switch.
    local.ADO.UseLocateWhenFindingValue = false;
    local.OKCancelBitmapped = true;

    // Changes made before connecting are not seen until then.
    EXPECT_EQ(gkIntlDefault().BtnOKCaption, "&OK");
    local.SetConnected(true);

    const TgkIntl& global = gkIntlDefault();
    EXPECT_EQ(global.Navigator.ConfirmDeleteMessage, "Datensatz löschen?");
    EXPECT_EQ(global.Navigator.Hints.FirstHint, "Zum ersten Datensatz");
    EXPECT_EQ(global.UserMessages.LocateNoMatches, "Nichts gefunden");
    EXPECT_EQ(global.RichEdit.TabDialog.TabDlgCaption, "Tabulator");
    EXPECT_EQ(global.BtnOKCaption, "&Ja");
    EXPECT_EQ(global.BtnCancelCaption, "Abbrechen");
    EXPECT_EQ(global.CheckBoxInGridStyle(), cbStyleXmark);
    EXPECT_EQ(global.DialogFontStyle, TFontStyles{fsBold});
    EXPECT_FALSE(global.UseLocateMethodForSearch);
    EXPECT_EQ(global.DefaultEpochYear, 1930);
    EXPECT_EQ(global.FilterMemoSize, 1024);
    EXPECT_EQ(gkFilterMemoSize(), 1024);
    EXPECT_EQ(global.IniFileName, "myapp.ini");
    EXPECT_TRUE(static_cast<bool>(global.OnValidationErrorUsingMask));
    EXPECT_TRUE(global.ADO.UseLocateWhenFindingValue);
    EXPECT_FALSE(global.OKCancelBitmapped);
    EXPECT_FALSE(global.Connected());

    // Later changes wait for the next connect, except the check-box style, whose setter
    // passes it on at once.
    local.BtnOKCaption = "&Gut";
    local.SetCheckBoxInGridStyle(cbStyleCheckmarkFlat);
    EXPECT_EQ(global.BtnOKCaption, "&Ja");
    EXPECT_EQ(global.CheckBoxInGridStyle(), cbStyleCheckmarkFlat);
    local.SetConnected(true);
    EXPECT_EQ(global.BtnOKCaption, "&Gut");
}

TEST_F(IntlTest, UnconnectedObjectsLeaveTheGlobalObjectAlone)
{
    TgkIntl local;
    local.BtnOKCaption = "&Ja";
    local.SetCheckBoxInGridStyle(cbStyleXmark);
    local.Loaded();
    local.SetConnected(false);
    EXPECT_EQ(gkIntlDefault().BtnOKCaption, "&OK");
    EXPECT_EQ(gkIntlDefault().CheckBoxInGridStyle(), cbStyleAuto);
}

TEST_F(IntlTest, LoadedCopiesWhenConnected)
{
    TgkIntl local;
    local.SetConnected(true);
    local.UserMessages.LocateNoMoreMatches = "Keine weiteren";
    EXPECT_EQ(gkIntlDefault().UserMessages.LocateNoMoreMatches, "No more matches found");
    local.Loaded();
    EXPECT_EQ(gkIntlDefault().UserMessages.LocateNoMoreMatches, "Keine weiteren");
}

TEST_F(IntlTest, IniFileNameGetsItsExtensionOrIsCleared)
{
    struct Case {
        const char* name;
        const char* global;
    };
    const Case cases[] = {{"settings", "settings.ini"}, {"", ""}, {".ini", ""}};
    for (const Case& c : cases) {
        gkIntlDefault().IniFileName = "previous.ini";
        TgkIntl local;
        local.IniFileName = c.name;
        local.SetConnected(true);
        EXPECT_EQ(gkIntlDefault().IniFileName, c.global) << c.name;
    }
}

TEST_F(IntlTest, TheGlobalObjectCopiesNothingOntoItself)
{
    TgkIntl& global = gkIntlDefault();
    global.IniFileName = "kept";
    global.SetConnected(true);
    EXPECT_EQ(global.IniFileName, "kept");
    global.SetConnected(false);
}

TEST_F(IntlTest, ValidationErrorBeepsAndRaisesUnlessTheHandlerDeclines)
{
    int beeps = 0;
    ui::SetBeepHandler([&] { ++beeps; });
    TgkIntl intl;

    try {
        intl.ValidationErrorUsingMask(nullptr, nullptr);
        FAIL() << "no exception";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Invalid input value.  Use escape key to abandon changes");
    }
    EXPECT_EQ(beeps, 1);

    // The handler sees the arguments and may change the message.
    auto* control = reinterpret_cast<classes::TComponent*>(0x10);
    auto* field = reinterpret_cast<db::TField*>(0x20);
    intl.OnValidationErrorUsingMask = [&](classes::TComponent* c, db::TField* f, bool& show,
                                          std::string& message) {
        EXPECT_EQ(c, control);
        EXPECT_EQ(f, field);
        EXPECT_TRUE(show);
        message = "Nur Ziffern";
    };
    try {
        intl.ValidationErrorUsingMask(control, field);
        FAIL() << "no exception";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Nur Ziffern");
    }
    EXPECT_EQ(beeps, 2);

    intl.OnValidationErrorUsingMask = [](classes::TComponent*, db::TField*, bool& show,
                                         std::string&) { show = false; };
    EXPECT_NO_THROW(intl.ValidationErrorUsingMask(nullptr, nullptr));
    EXPECT_EQ(beeps, 2);
}

TEST_F(IntlTest, DialogButtonsTakeCaptionsAndResultsFromTheGlobalObject)
{
    gkIntlDefault().BtnOKCaption = "&Ja";
    const TgkDialogButton ok = gkDialogButtonSettings(TgkDialogButtonKind::OK);
    EXPECT_EQ(ok.Caption, "&Ja");
    EXPECT_EQ(ok.ModalResult, TgkDialogButton::mrOk);
    EXPECT_FALSE(ok.Cancel);
    EXPECT_FALSE(ok.Visible);
    EXPECT_FALSE(ok.Bitmap.has_value());

    const TgkDialogButton cancel = gkDialogButtonSettings(TgkDialogButtonKind::Cancel);
    EXPECT_EQ(cancel.Caption, "Cancel");
    EXPECT_EQ(cancel.ModalResult, TgkDialogButton::mrCancel);
    EXPECT_TRUE(cancel.Cancel);

    const TgkDialogButton help = gkDialogButtonSettings(TgkDialogButtonKind::Help);
    EXPECT_EQ(help.Caption, "Help");
    EXPECT_EQ(help.ModalResult, TgkDialogButton::mrNone);
    EXPECT_FALSE(help.Cancel);
}

TEST_F(IntlTest, DialogButtonSizesScaleWithThePixelsPerInch)
{
    struct Case {
        bool bitmapped;
        int pixelsPerInch;
        int width;
        int height;
    };
    const Case cases[] = {
        {false, 96, 77, 24},
        {false, 120, 96, 30},
        {false, 144, 115, 36},
        {true, 96, 77, 27},
        {true, 120, 96, 33},
        {true, 72, 57, 20},  // integer division rounds down
    };
    for (const Case& c : cases) {
        gkIntlDefault().OKCancelBitmapped = c.bitmapped;
        ui::SetScreenPixelsPerInch(c.pixelsPerInch);
        const TgkDialogButton button = gkDialogButtonSettings(TgkDialogButtonKind::OK);
        EXPECT_EQ(button.Width, c.width) << c.pixelsPerInch << (c.bitmapped ? " bitmapped" : "");
        EXPECT_EQ(button.Height, c.height) << c.pixelsPerInch << (c.bitmapped ? " bitmapped" : "");
    }
}

TEST_F(IntlTest, BitmapButtonsCarryTheirLook)
{
    gkIntlDefault().OKCancelBitmapped = true;
    gkIntlDefault().DialogFontStyle = {fsBold, fsItalic};
    const TgkDialogButton button = gkDialogButtonSettings(TgkDialogButtonKind::Cancel);
    ASSERT_TRUE(button.Bitmap.has_value());
    EXPECT_EQ(button.Bitmap->Margin, 2);
    EXPECT_TRUE(button.Bitmap->GlyphLeft);
    EXPECT_EQ(button.Bitmap->NumGlyphs, 2);
    EXPECT_EQ(button.Bitmap->Spacing, -1);
    EXPECT_EQ(button.Bitmap->FontColor, rtl::clBtnText);
    EXPECT_EQ(button.Bitmap->FontHeight, -11);
    EXPECT_EQ(button.Bitmap->FontName, "MS Sans Serif");
    EXPECT_EQ(button.Bitmap->FontStyle, (TFontStyles{fsBold, fsItalic}));
    EXPECT_EQ(button.Caption, "Cancel");
    EXPECT_TRUE(button.Cancel);
}


TEST_F(IntlTest, DialogButtonFactoryCreatesHiddenButtonsParentedToTheDialog)
{
    ui::TForm dialog(nullptr);

    ui::TButton* ok = gkCreateDialogButton(dialog, TgkDialogButtonKind::OK);
    EXPECT_EQ(ok->ClassName(), "TButton");
    EXPECT_EQ(ok->Owner(), &dialog);
    EXPECT_EQ(ok->Parent(), &dialog);
    EXPECT_FALSE(ok->Visible());
    EXPECT_EQ(ok->Caption(), gkIntlDefault().BtnOKCaption);
    EXPECT_EQ(ok->ModalResult(), ui::mrOk);
    EXPECT_EQ(ok->Width(), 77);
    EXPECT_EQ(ok->Height(), 24);

    gkIntlDefault().OKCancelBitmapped = true;
    gkIntlDefault().BtnCancelCaption = "&Abbrechen";
    ui::SetScreenPixelsPerInch(120);
    ui::TButton* cancel = gkCreateDialogButton(dialog, TgkDialogButtonKind::Cancel);
    ASSERT_EQ(cancel->ClassName(), "TBitBtn");
    EXPECT_EQ(cancel->Caption(), "&Abbrechen");  // the localised caption wins over the kind's own
    EXPECT_EQ(cancel->ModalResult(), ui::mrCancel);
    EXPECT_TRUE(cancel->Cancel());
    EXPECT_EQ(cancel->Width(), 96);
    EXPECT_EQ(cancel->Height(), 33);
    EXPECT_EQ(static_cast<ui::TBitBtn*>(cancel)->Kind(), ui::bkCancel);
    EXPECT_EQ(cancel->Font()->Name(), "MS Sans Serif");
    EXPECT_EQ(cancel->Font()->Size(), 8);
}

TEST(FormPosition, IsStoredThroughItsPublishedProperties)
{
    TgkFormPosition position(10, 20, 300, 200);
    TgkFormPosition copy;
    for (const classes::TPropInfo* prop : position.ClassInfo().Properties()) prop->Set(copy, prop->Get(position));
    EXPECT_EQ(copy, position);

    TgkFormPosition assigned;
    assigned.Assign(position);
    EXPECT_EQ(assigned, position);
}
