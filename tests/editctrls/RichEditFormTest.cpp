// The rich-text editor window and its paragraph and tab dialogs (offscreen): the ruler's
// scale and marker arithmetic, what the options show, the dialogs' validation, and the window
// driven through Execute over a bound and an unbound control.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTest>
#include <QTextEdit>
#include <QWidget>

#include <filesystem>
#include <memory>
#include <string>

#include "editctrls/gkRichEditForm.h"
#include "editctrls/gkRichParagraphDlg.h"
#include "grid/Intl.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Files.h"
#include "platform/ui/Input.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Printer.h"
#include "platform/ui/qt/QtUi.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/db/MemDataSet.h"

namespace {

using namespace editctrls;
namespace rtf = ui::rtf;

// ---- Ruler ------------------------------------------------------------------------------------

TEST(RichEditRuler, TicksAndNumbersPerUnit)
{
    const ui::TRect rect{6, 4, 600, 21};
    struct Case {
        int ppi;
        TgkMeasurementUnits units;
        int unitCount;
        std::size_t ticks;
        std::vector<TgkRulerTick> firstTicks;  // of the first unit
        std::vector<TgkRulerNumber> numbers;
    } const cases[] = {
        // 8 parts an inch: 7 ticks, the fourth (the middle) reaching lower and starting higher.
        {96, muInches, 2, 14,
         {{18, 12, 14}, {30, 12, 14}, {42, 12, 14}, {54, 11, 16}, {66, 12, 14}, {78, 12, 14}, {90, 12, 14}},
         {{102, "1"}, {198, "2"}}},
        {120, muInches, 1, 7,
         {{21, 12, 14}, {36, 12, 14}, {51, 12, 14}, {66, 11, 16}, {81, 12, 14}, {96, 12, 14}, {111, 12, 14}},
         {{126, "1"}}},
        // 4 parts a centimetre (37.8 pixels at 96).
        {96, muCentimeters, 2, 6, {{15, 12, 14}, {25, 11, 16}, {34, 12, 14}}, {{44, "1"}, {82, "2"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.ppi) + (c.units == muInches ? " in" : " cm"));
        const TgkRulerScale s = gkRulerScale(rect, c.ppi, c.units, c.unitCount);
        ASSERT_EQ(s.ticks.size(), c.ticks);
        EXPECT_EQ(std::vector<TgkRulerTick>(s.ticks.begin(), s.ticks.begin() + static_cast<long>(c.firstTicks.size())),
                  c.firstTicks);
        EXPECT_EQ(s.numbers, c.numbers);
    }
    // Units: the panel less 12 pixels, whole units only.
    EXPECT_EQ(gkRulerUnits(611, 96, muInches), 6);
    EXPECT_EQ(gkRulerUnits(611, 96, muCentimeters), 15);
    EXPECT_EQ(gkRulerUnits(611, 120, muInches), 4);
}

TEST(RichEditRuler, MarkersToTwipsAndBackKeepingTheirSeparation)
{
    struct Case {
        int ppi;
        TgkMarkerPositions markers;
        TgkMarker dragged;
        TgkMarkerPositions kept;
        unsigned mask;
        int start, offset, right;
    } const cases[] = {
        // 15 twips a pixel at 96, 12 at 120; left-side markers measured from MinValue 1.
        {96, {49, 1, 500}, TgkMarker::Left, {49, 1, 500}, 0x14, 0, 720, 0},
        {96, {1, 49, 500}, TgkMarker::First, {1, 49, 500}, 0x14, 720, -720, 0},
        {120, {61, 31, 500}, TgkMarker::Left, {61, 31, 500}, 0x14, 360, 360, 0},
        // Dragged too close to the right marker: held 48 pixels left of it.
        {96, {480, 1, 500}, TgkMarker::Left, {452, 1, 500}, 0x14, 0, 6765, 0},
        // The right marker: width 595 - gutter 6 - 4 - left + half the marker (5) pixels.
        {96, {1, 1, 542}, TgkMarker::Right, {1, 1, 542}, 0x08, 0, 0, 720},
        {120, {1, 1, 542}, TgkMarker::Right, {1, 1, 542}, 0x08, 0, 0, 576},
        {96, {300, 1, 320}, TgkMarker::Right, {300, 1, 348}, 0x08, 0, 0, 3630},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ppi);
        TgkRulerGeometry g;
        g.pixelsPerInch = c.ppi;
        g.leftMin = 1;
        g.markerWidth = 11;
        g.editorWidth = 595;
        g.gutterWidth = 6;
        const TgkMarkerPositions kept = gkKeepMarkersApart(c.markers, c.dragged);
        EXPECT_EQ(kept, c.kept);
        const TgkCustomRichEdit::ParagraphSettings s = gkMarkerParagraph(kept, c.dragged, g);
        EXPECT_EQ(s.mask, c.mask);
        if (c.dragged == TgkMarker::Right) {
            EXPECT_EQ(s.rightIndent, c.right);
            EXPECT_EQ(gkMarkersForParagraph(0, 0, s.rightIndent, g).right, kept.right);
        } else {
            EXPECT_EQ(s.startIndent, c.start);
            EXPECT_EQ(s.offset, c.offset);
            // Back: the left indent is start + offset, the first line start.
            const TgkMarkerPositions back = gkMarkersForParagraph(s.startIndent + s.offset, s.startIndent, 0, g);
            EXPECT_EQ(back.left, kept.left);
            EXPECT_EQ(back.first, kept.first);
        }
    }
}

TEST(RichEditRuler, MarkerBitmapsAreOurOwnWithATransparentBottomLeft)
{
    for (const char* name : {"gkRulerUp", "gkRulerDown"}) {
        SCOPED_TRACE(name);
        ui::TBitmap b;
        ASSERT_TRUE(gkRulerBitmap(name, b));
        EXPECT_EQ(b.Width(), 11);
        EXPECT_EQ(b.EffectiveTransparentColor(), b.Pixel(0, b.Height() - 1));
        EXPECT_EQ(b.Pixel(5, 4), rtl::clSilver);  // the body is drawn, not transparent
        EXPECT_NE(b.Pixel(5, 4), b.EffectiveTransparentColor());
    }
    ui::TBitmap none;
    EXPECT_FALSE(gkRulerBitmap("other", none));
    EXPECT_TRUE(none.Empty());
}

// ---- Options ----------------------------------------------------------------------------------

TEST(RichEditFormLayout, OptionsDecideWhatShows)
{
    const TgkRichEditOptions defaults = TgkRichEditOptions::FromBits(0x7FFC);
    const TgkRichEditOptions all = TgkRichEditOptions::FromBits(0x3FFFF);
    struct Case {
        const char* what;
        TgkRichEditOptions options;
        bool readOnly;
        TgkEditorLayout expected;
    };
    TgkEditorLayout editable;
    editable.saveExit = editable.print = editable.pageSetup = true;
    editable.fileSep1 = editable.fileSep2 = true;
    editable.statusBar = editable.formatBar = editable.toolBar = editable.ruler = true;
    editable.viewMenu = editable.formatMenu = editable.newButton = true;
    TgkEditorLayout everything = editable;
    everything.load = everything.saveAs = everything.justify = true;
    TgkEditorLayout viewer;
    viewer.print = viewer.pageSetup = viewer.fileSep2 = true;
    TgkEditorLayout bare;
    bare.viewMenu = bare.formatMenu = bare.newButton = true;
    TgkEditorLayout loadOnly = bare;
    loadOnly.load = loadOnly.fileSep1 = true;
    const Case cases[] = {
        {"defaults", defaults, false, editable},
        // Objects and spell checking never show: no OLE, no spelling checker.
        {"every option", all, false, everything},
        {"read-only viewer", all, true, viewer},
        {"nothing", {}, false, bare},
        {"load only: its separator", TgkRichEditOptions{reoShowLoad}, false, loadOnly},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TgkRichEditOptions kept = gkEditorOptionsKept(c.options, c.readOnly, false);
        EXPECT_EQ(gkEditorLayout(kept, c.readOnly, true), c.expected);
    }
    // A spelling checker's class keeps the option when editable.
    EXPECT_TRUE(gkEditorOptionsKept(all, false, true).Contains(reoShowSpellCheck));
    EXPECT_FALSE(gkEditorOptionsKept(all, true, true).Contains(reoShowSpellCheck));
}

// ---- Measurements -----------------------------------------------------------------------------

TEST(RichDialogMeasurements, RangesAndRounding)
{
    struct Case {
        std::string text;
        TgkMeasurementUnits units;
        int lo, hi;
        std::optional<int> twips;
    } const cases[] = {
        {"22''", muInches, -kMaxMeasurementTwips, kMaxMeasurementTwips, 31680},
        {"22", muInches, -kMaxMeasurementTwips, kMaxMeasurementTwips, 31680},
        {"22.01''", muInches, -kMaxMeasurementTwips, kMaxMeasurementTwips, std::nullopt},
        {"-22", muInches, -kMaxMeasurementTwips, kMaxMeasurementTwips, -31680},
        {"-0.5", muInches, 0, kMaxMeasurementTwips, std::nullopt},  // Set refuses negative tabs
        {"2.54 cm", muCentimeters, 0, kMaxMeasurementTwips, 1440},
        {"abc", muInches, 0, kMaxMeasurementTwips, std::nullopt},
        {"", muInches, 0, kMaxMeasurementTwips, std::nullopt},
        {"''", muInches, 0, kMaxMeasurementTwips, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(gkMeasurementInRange(c.text, c.units, c.lo, c.hi), c.twips);
    }
    struct Shown {
        int twips;
        TgkMeasurementUnits units;
        bool spacing;
        std::string text;
    } const shown[] = {
        {720, muInches, false, "0.5''"},
        {700, muInches, false, "0.5''"},    // to the nearest 1/8 inch
        {-700, muInches, false, "-0.5''"},  // away from zero too
        {1440, muCentimeters, false, "2.55 cm"},
        {240, muInches, true, "0.17''"},
        {0, muCentimeters, true, "0 cm"},
    };
    for (const Shown& s : shown) {
        SCOPED_TRACE(s.twips);
        EXPECT_EQ(gkDialogMeasurement(s.twips, s.units, s.spacing), s.text);
    }
}

// ---- Windows, offscreen -----------------------------------------------------------------------

class RichEditFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ui::qt::Install();
        RegisterRichEditClasses();
    }
    void SetUp() override
    {
        host = std::make_unique<ui::TForm>(nullptr);
        edit = new TgkDBRichEdit(host.get());
        edit->SetParent(host.get());
        edit->SetBounds(0, 0, 300, 200);
        edit->StreamIn("{\\rtf1 {\\b first} line\\par second line}");
    }
    void TearDown() override
    {
        host.reset();
        EXPECT_TRUE(dialogs.Unexpected().empty()) << dialogs.Unexpected().front();
    }
    // Runs Execute with `answer` driving the shown window.
    bool Run(const std::function<ui::TModalResult(TgkRichEditForm&)>& answer)
    {
        dialogs.AnswerModal([answer](ui::TCustomForm& f) {
            auto& form = dynamic_cast<TgkRichEditForm&>(f);
            form.FormShow(&form);
            return answer(form);
        });
        return edit->Execute();
    }
    static QTextEdit* TextOf(TgkRichEditForm& form)
    {
        return qobject_cast<QTextEdit*>(ui::qt::WidgetOf(*form.Editor()));
    }
    template <class T>
    static T* Part(TgkRichEditForm& form, const char* name)
    {
        return form.Get<T>(name);
    }

    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope{dialogs};
    std::unique_ptr<ui::TForm> host;
    TgkDBRichEdit* edit = nullptr;
};

TEST_F(RichEditFormTest, OkWritesTheEditBackCancelDropsIt)
{
    struct Case {
        ui::TModalResult result;
        bool writes;
    } const cases[] = {{ui::mrOk, true}, {ui::mrCancel, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        edit->StreamIn("{\\rtf1 {\\b first} line\\par second line}");
        edit->SetModified(false);
        const bool ok = Run([&](TgkRichEditForm& form) {
            EXPECT_EQ(form.Editor()->PlainTextContent(), "first line\r\nsecond line");
            EXPECT_TRUE(form.Editor()->SelectionHasStyle(0));  // formatting came along
            form.Editor()->SetSel(0, 0);
            QTest::keyClicks(TextOf(form), "new ");
            EXPECT_TRUE(form.Editor()->Modified());
            if (c.result == ui::mrOk) {
                Part<ui::TMenuItem>(form, "SaveExit1")->Click();
            } else {
                dialogs.AnswerMessage(ui::mrNo);  // Exit on a changed text asks; No drops it
                Part<ui::TMenuItem>(form, "Exit1")->Click();
            }
            return ui::mrNone;
        });
        EXPECT_EQ(ok, c.result == ui::mrOk);
        EXPECT_EQ(edit->PlainTextContent(), c.writes ? "new first line\r\nsecond line" : "first line\r\nsecond line");
        EXPECT_EQ(edit->Modified(), c.writes);
        EXPECT_EQ(edit->EditorForm(), nullptr);
    }
}

TEST_F(RichEditFormTest, TheEditorWindowTakesItsPlaceAndSizeFromEditorPosition)
{
    struct Case {
        TgkFormPosition position;
        ui::TPosition placed;
        int left, top, width, height;  // -1: not checked
    } const cases[] = {
        {TgkFormPosition(0, 0, 0, 0), ui::poScreenCenter, -1, -1, -1, -1},  // centred, designed size
        {TgkFormPosition(0, 0, 700, 500), ui::poScreenCenter, -1, -1, 700, 500},
        {TgkFormPosition(40, 30, 640, 480), ui::poDesigned, 40, 30, 640, 480},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position.Width);
        edit->EditorPosition().Assign(c.position);
        Run([&](TgkRichEditForm& form) {
            EXPECT_EQ(form.Position(), c.placed);
            if (c.left >= 0) EXPECT_EQ(form.Left(), c.left);
            if (c.top >= 0) EXPECT_EQ(form.Top(), c.top);
            if (c.width >= 0) EXPECT_EQ(form.Width(), c.width);
            if (c.height >= 0) EXPECT_EQ(form.Height(), c.height);
            return ui::mrCancel;
        });
    }
}

TEST_F(RichEditFormTest, BoundBlobTakesTheEditorsTextOnOkOnly)
{
    dbtest::TMemDataSet ds(nullptr);
    ds.columns = {{"Notes", db::ftBlob}};
    ds.AddRow({db::TVariant(std::string("{\\rtf1 stored {\\i text}}"))});
    ds.Open();
    db::TDataSource source(nullptr);
    source.SetDataSet(&ds);
    edit->SetDataSource(&source);
    edit->SetDataField("Notes");
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok);
        EXPECT_EQ(Run([&](TgkRichEditForm& form) {
                      EXPECT_EQ(form.Editor()->PlainTextContent(), "stored text");
                      form.Editor()->SetSel(form.Editor()->Document().Length(), 0);
                      QTest::keyClicks(TextOf(form), " added");
                      if (!ok) dialogs.AnswerMessage(ui::mrNo);
                      return ok ? ui::mrOk : ui::mrCancel;
                  }),
                  ok);
    }
    EXPECT_EQ(ds.State(), db::dsEdit);
    const rtf::Document stored = rtf::ReadRtf(ds.FieldByName("Notes")->AsString());
    EXPECT_EQ(stored.PlainText(), "stored text added");
    EXPECT_EQ(edit->PlainTextContent(), "stored text added");
    edit->SetDataSource(nullptr);
}

TEST_F(RichEditFormTest, AnObjectInTheFieldKeepsItsBytesThroughAnEditElsewhere)
{
    const std::string object = "{\\object\\objemb{\\*\\objclass Paint.Picture}{\\*\\objdata 0105ABCDEF}}";
    dbtest::TMemDataSet ds(nullptr);
    ds.columns = {{"Notes", db::ftBlob}};
    ds.AddRow({db::TVariant("{\\rtf1 before " + object + " after}")});
    ds.Open();
    db::TDataSource source(nullptr);
    source.SetDataSet(&ds);
    edit->SetDataSource(&source);
    edit->SetDataField("Notes");
    EXPECT_TRUE(Run([&](TgkRichEditForm& form) {
        // No way to insert objects anywhere.
        EXPECT_FALSE(Part<ui::TMenuItem>(form, "InsertObject1")->Visible());
        EXPECT_FALSE(Part<ui::TMenuItem>(form, "Insert1")->Visible());
        EXPECT_FALSE(form.Editor()->InsertObject());
        EXPECT_FALSE(form.Editor()->ObjectProperties());
        form.Editor()->SetSel(0, 0);
        QTest::keyClicks(TextOf(form), "edited ");
        return ui::mrOk;
    }));
    const std::string stored = ds.FieldByName("Notes")->AsString();
    EXPECT_NE(stored.find(object), std::string::npos) << stored;
    EXPECT_EQ(rtf::ReadRtf(stored).PlainText(), "edited before  after");
    for (const TgkRichEditMenuItem& item : edit->PopupItems()) {
        if (item.option == rpoPopupInsertObject) {
            EXPECT_FALSE(item.visible);
        }
    }
    edit->SetDataSource(nullptr);
}

TEST_F(RichEditFormTest, AReadOnlyControlOpensAViewerThatNeverAsks)
{
    edit->SetDBReadOnly(true);
    EXPECT_FALSE(Run([&](TgkRichEditForm& form) {
        EXPECT_TRUE(form.Editor()->GetReadOnly());
        for (const char* hidden : {"Toolbar", "FormatBar", "StatusBar"})
            EXPECT_FALSE(Part<ui::TControl>(form, hidden)->Visible()) << hidden;
        EXPECT_FALSE(form.Ruler()->Visible());
        for (const char* hidden : {"View1", "Format1", "Load1", "SaveAs1", "SaveExit1", "Tools1"})
            EXPECT_FALSE(Part<ui::TMenuItem>(form, hidden)->Visible()) << hidden;
        EXPECT_TRUE(Part<ui::TMenuItem>(form, "Exit1")->Visible());
        // Escape closes a viewer whatever the options.
        QTest::keyClick(TextOf(form), Qt::Key_Escape);
        return ui::mrNone;
    }));
    EXPECT_EQ(dialogs.Asked().size(), 1u);  // the window only
}

TEST_F(RichEditFormTest, TheCloseBoxOfAChangedEditorAsks)
{
    struct Case {
        ui::TModalResult answer;
        bool writes;
    } const cases[] = {{ui::mrYes, true}, {ui::mrNo, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        edit->SetPlainTextContent("text");
        const bool ok = Run([&](TgkRichEditForm& form) {
            QTest::keyClicks(TextOf(form), "more ");
            dialogs.AnswerMessage(c.answer);
            ui::qt::WidgetOf(form)->close();
            return ui::mrNone;
        });
        EXPECT_EQ(ok, c.writes);
        EXPECT_EQ(edit->PlainTextContent(), c.writes ? "more text" : "text");
        EXPECT_EQ(dialogs.Asked().back().message.text, grid::gkIntlDefault().UserMessages.RichEditExitWarning);
    }
    // Cancel keeps the window open; unchanged, the close box asks nothing.
    edit->SetPlainTextContent("text");
    EXPECT_FALSE(Run([&](TgkRichEditForm& form) {
        QTest::keyClicks(TextOf(form), "x");
        dialogs.AnswerMessage(ui::mrCancel);
        bool canClose = true;
        form.FormCloseQuery(&form, canClose);
        EXPECT_FALSE(canClose);
        form.Editor()->SetModified(false);
        ui::qt::WidgetOf(form)->close();
        return ui::mrNone;
    }));
}

TEST_F(RichEditFormTest, WithoutConfirmationOnlyTheCloseBoxWritesBack)
{
    // Exit and Escape stay Cancel: the edits could not be dropped otherwise.
    struct Case {
        const char* how;
        std::function<void(TgkRichEditForm&)> close;
        bool writes;
    } const cases[] = {
        {"close box", [](TgkRichEditForm& f) { ui::qt::WidgetOf(f)->close(); }, true},
        {"Exit", [](TgkRichEditForm& f) { f.Get<ui::TMenuItem>("Exit1")->Click(); }, false},
        {"Escape", [](TgkRichEditForm& f) { QTest::keyClick(TextOf(f), Qt::Key_Escape); }, false},
    };
    edit->SetEditorOptions(edit->EditorOptions() | TgkRichEditOptions{reoNoConfirmation});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        edit->SetPlainTextContent("text");
        const bool ok = Run([&](TgkRichEditForm& form) {
            QTest::keyClicks(TextOf(form), "more ");
            c.close(form);
            return ui::mrNone;
        });
        EXPECT_EQ(ok, c.writes);
        EXPECT_EQ(edit->PlainTextContent(), c.writes ? "more text" : "text");
    }
    EXPECT_EQ(dialogs.Asked().size(), 3u);  // the windows only, never a question
}

TEST_F(RichEditFormTest, CtrlKeysColoursHighlightAndFontCombosFormatTheSelection)
{
    edit->SetPlainTextContent("word and more");
    EXPECT_TRUE(Run([&](TgkRichEditForm& form) {
        TgkDBRichEdit& e = *form.Editor();
        QTextEdit* text = TextOf(form);
        e.SetSel(0, 4);
        QApplication::processEvents();
        for (const auto& [key, style, button] : {std::tuple{Qt::Key_B, 0, "BoldButton"},
                                                 std::tuple{Qt::Key_I, 1, "ItalicButton"},
                                                 std::tuple{Qt::Key_U, 2, "UnderlineButton"}}) {
            SCOPED_TRACE(button);
            QTest::keyClick(text, key, Qt::ControlModifier);
            EXPECT_TRUE(e.SelectionHasStyle(style));
            EXPECT_TRUE(Part<ui::TSpeedButton>(form, button)->Down());
            QTest::keyClick(text, key, Qt::ControlModifier);
            EXPECT_FALSE(e.SelectionHasStyle(style));
        }
        // The colour menu: swatches as item images, the tag's colour applied.
        auto* colours = Part<ui::TPopupMenu>(form, "PopupMenu1");
        EXPECT_EQ(colours->Items()->Count(), 17);
        EXPECT_NE(colours->Images(), nullptr);
        ui::TMenuItem* red = colours->Items()->Items(9);
        EXPECT_EQ(red->Caption(), "Red");
        EXPECT_EQ(colours->Images()->Image(red->ImageIndex())[8 * 16 + 8], ui::PixelOfColor(rtl::clRed));
        red->Click();
        EXPECT_EQ(e.Document().CharsAt(0, 4).color, 0xFF0000u);
        EXPECT_EQ(e.Document().CharsAt(5, 3).color, 0u);
        // Highlight: down puts HighlightColor behind the selection, up takes it away.
        Part<ui::TSpeedButton>(form, "HighlightButton")->Click();
        EXPECT_EQ(e.Document().CharsAt(0, 4).background, std::optional<std::uint32_t>(0xFFFF00u));
        Part<ui::TSpeedButton>(form, "HighlightButton")->Click();
        EXPECT_EQ(e.Document().CharsAt(0, 4).background, std::nullopt);
        // Font name and size on closing their lists.
        auto* names = Part<TgkDBComboBox>(form, "FontNameCombo");
        EXPECT_GT(names->Items()->Count(), 0);
        const std::string face = names->Items()->Strings(0);
        names->SetText(face);
        form.FontNameCloseUp(names, true);
        EXPECT_EQ(e.Document().CharsAt(0, 4).fontName, face);
        auto* sizes = Part<TgkDBComboBox>(form, "FontSizeCombo");
        sizes->SetText("18");
        form.FontSizeCloseUp(sizes, true);
        EXPECT_EQ(e.Document().CharsAt(0, 4).halfPoints, 36);
        sizes->SetText("");
        form.FontSizeCloseUp(sizes, true);  // empty: nothing
        EXPECT_EQ(e.Document().CharsAt(0, 4).halfPoints, 36);
        return ui::mrOk;
    }));
}

TEST_F(RichEditFormTest, ViewItemsToggleTheBarsAndHintsGoToTheStatusBar)
{
    Run([&](TgkRichEditForm& form) {
        TgkDBRichEdit& e = *form.Editor();
        const int top = e.Top();
        const int height = e.Height();
        struct Step {
            const char* item;
            ui::TControl* bar;
        } const steps[] = {
            {"Toolbar1", Part<ui::TControl>(form, "Toolbar")},
            {"FormatBar1", Part<ui::TControl>(form, "FormatBar")},
            {"Ruler1", form.Ruler()},
        };
        int gained = 0;
        for (const Step& s : steps) {
            SCOPED_TRACE(s.item);
            auto* item = Part<ui::TMenuItem>(form, s.item);
            EXPECT_TRUE(item->Checked());
            gained += s.bar->Height() + 2;
            item->Click();
            EXPECT_FALSE(item->Checked());
            EXPECT_FALSE(s.bar->Visible());
            EXPECT_EQ(e.Top(), top - gained);  // the editor moves up into the room
        }
        auto* status = Part<ui::TStatusBar>(form, "StatusBar");
        Part<ui::TMenuItem>(form, "StatusBar1")->Click();
        EXPECT_FALSE(status->Visible());
        EXPECT_EQ(e.Height(), height + gained + status->Height());
        Part<ui::TMenuItem>(form, "StatusBar1")->Click();
        ui::Application().SetHint("Bold | Makes the selection bold");
        EXPECT_EQ(status->Panels()->Items(0)->Text(), ui::Application().Hint());
        return ui::mrCancel;
    });
    // Closed, the application's hints go where they went before.
    ui::Application().SetHint("elsewhere");
}

TEST_F(RichEditFormTest, EscapeUndoesUnlessItCloses)
{
    edit->SetEditorOptions(edit->EditorOptions() - TgkRichEditOptions{reoCloseOnEscape});
    edit->SetPlainTextContent("text");
    EXPECT_TRUE(Run([&](TgkRichEditForm& form) {
        QTest::keyClicks(TextOf(form), "ab");
        EXPECT_EQ(form.Editor()->PlainTextContent(), "abtext");
        QTest::keyClick(TextOf(form), Qt::Key_Escape);
        EXPECT_EQ(form.ModalResult(), ui::mrNone);  // still open
        EXPECT_NE(form.Editor()->PlainTextContent(), "abtext");
        return ui::mrOk;
    }));
}

TEST_F(RichEditFormTest, NewClearsOnlyAfterTheWarning)
{
    for (const ui::TModalResult answer : {ui::mrCancel, ui::mrOk}) {
        SCOPED_TRACE(answer);
        edit->SetPlainTextContent("keep me");
        Run([&](TgkRichEditForm& form) {
            dialogs.AnswerMessage(answer);
            Part<ui::TSpeedButton>(form, "NewButton")->Click();
            EXPECT_EQ(form.Editor()->PlainTextContent(), answer == ui::mrOk ? "" : "keep me");
            EXPECT_EQ(form.Editor()->Modified(), answer == ui::mrOk);
            if (answer == ui::mrOk) dialogs.AnswerMessage(ui::mrNo);
            return ui::mrCancel;
        });
        EXPECT_EQ(dialogs.Asked()[answer == ui::mrOk ? 3 : 1].message.text,
                  grid::gkIntlDefault().UserMessages.RichEditClearWarning);
    }
}

TEST_F(RichEditFormTest, SaveAsAsksBeforeReplacingAndLoadReadsRtfElseText)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "gw-richform-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "out.rtf").string();
    rtl::SaveFileAtomically(file, "old contents");
    edit->SetPlainTextContent("saved text");
    Run([&](TgkRichEditForm& form) {
        // No: the old file stays.
        dialogs.AnswerFile(file);
        dialogs.AnswerMessage(ui::mrNo);
        Part<ui::TMenuItem>(form, "SaveAs1")->Click();
        EXPECT_EQ(rtl::ReadFileToString(file), "old contents");
        EXPECT_EQ(dialogs.Asked().back().message.text, "OK to overwrite " + file);
        // Yes: RTF replaces it.
        dialogs.AnswerFile(file);
        dialogs.AnswerMessage(ui::mrYes);
        Part<ui::TMenuItem>(form, "SaveAs1")->Click();
        EXPECT_EQ(rtf::ReadRtf(rtl::ReadFileToString(file)).PlainText(), "saved text");
        // The second filter: plain text.
        const std::string plain = (dir / "out.txt").string();
        dialogs.AnswerFile(plain, 2);
        Part<ui::TMenuItem>(form, "SaveAs1")->Click();
        EXPECT_EQ(rtl::ReadFileToString(plain), "saved text");
        // A save that fails says so.
        dialogs.AnswerFile((dir / "no folder" / "x.rtf").string());
        dialogs.AnswerMessage(ui::mrOk);
        Part<ui::TMenuItem>(form, "SaveAs1")->Click();
        EXPECT_EQ(dialogs.Asked().back().message.type, ui::mtError);
        // Load: RTF, text, and a file that is not there leaves the text.
        dialogs.AnswerFile(file);
        Part<ui::TMenuItem>(form, "Load1")->Click();
        EXPECT_EQ(form.Editor()->PlainTextContent(), "saved text");
        dialogs.AnswerFile((dir / "missing.rtf").string());
        dialogs.AnswerMessage(ui::mrOk);
        Part<ui::TMenuItem>(form, "Load1")->Click();
        EXPECT_EQ(form.Editor()->PlainTextContent(), "saved text");
        EXPECT_EQ(dialogs.Asked().back().message.type, ui::mtError);
        dialogs.AnswerMessage(ui::mrNo);
        return ui::mrCancel;
    });
    std::filesystem::remove_all(dir);
}

TEST_F(RichEditFormTest, DraggingMarkersSetsTheIndents)
{
    Run([&](TgkRichEditForm& form) {
        QApplication::processEvents();
        TgkRulerPanel& ruler = *form.Ruler();
        const auto drag = [](TgkTrackIcon& marker, int dx) {
            QWidget* w = ui::qt::WidgetOf(marker);
            ASSERT_NE(w, nullptr);
            const QPoint at(5, 4);
            QTest::mousePress(w, Qt::LeftButton, {}, at);
            EXPECT_TRUE(marker.Dragging());
            QTest::mouseMove(w, at + QPoint(dx, 0));
            QTest::mouseRelease(w, Qt::LeftButton, {}, at + QPoint(dx, 0));
            EXPECT_FALSE(marker.Dragging());
        };
        const int ppi = ruler.PixelsPerInch();
        // The left-indent marker one inch right: the lines after the first start there.
        drag(*ruler.LeftMarker(), ppi);
        rtf::ParaFormat p = form.Editor()->Document().ParagraphFormat(0);
        EXPECT_EQ(p.leftIndent, 1440);
        EXPECT_EQ(p.firstIndent, -1440);
        // The first-line marker half an inch right.
        drag(*ruler.FirstMarker(), ppi / 2);
        p = form.Editor()->Document().ParagraphFormat(0);
        EXPECT_EQ(p.leftIndent + p.firstIndent, 720);
        EXPECT_EQ(p.leftIndent, 1440);
        // The right marker one inch left.
        drag(*ruler.RightMarker(), -ppi);
        p = form.Editor()->Document().ParagraphFormat(0);
        EXPECT_NEAR(p.rightIndent, 1440, 15 * 2);
        EXPECT_TRUE(form.Editor()->Modified());
        // Losing the capture ends a drag, the marker back where it was, nothing applied.
        TgkTrackIcon& left = *ruler.LeftMarker();
        const int before = left.Left();
        QWidget* w = ui::qt::WidgetOf(left);
        QTest::mousePress(w, Qt::LeftButton, {}, QPoint(5, 4));
        QTest::mouseMove(w, QPoint(40, 4));
        ui::ReleaseCapture();
        EXPECT_FALSE(left.Dragging());
        EXPECT_EQ(left.Left(), before);
        EXPECT_EQ(form.Editor()->Document().ParagraphFormat(0).leftIndent, 1440);
        dialogs.AnswerMessage(ui::mrNo);
        return ui::mrCancel;
    });
}

TEST_F(RichEditFormTest, ParagraphDialogShowsValidatesAndApplies)
{
    edit->SetPlainTextContent("para");
    TgkCustomRichEdit::ParagraphSettings start;
    start.mask = (1u << 2) | (1u << 3) | (1u << 4) | (1u << 8);
    start.startIndent = 720;
    start.offset = 360;
    start.rightIndent = 1440;
    start.rule = 3;
    start.spacing = 240;
    edit->SetParagraph(start);
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        auto& d = dynamic_cast<TgkRichParagraphDialog&>(f);
        EXPECT_EQ(d.LeftEdit()->Text(), "0.75''");
        EXPECT_EQ(d.FirstLineEdit()->Text(), "-0.25''");
        EXPECT_EQ(d.RightEdit()->Text(), "1''");
        EXPECT_EQ(d.LineSpacingCombo()->ItemIndex(), 3);
        EXPECT_EQ(d.WithinEdit()->Text(), "0.17''");
        // A bad value keeps the dialog open on it, without a message.
        d.RightEdit()->SetTextByUser("23");
        d.OKBtn()->Click();
        EXPECT_EQ(d.ModalResult(), ui::mrNone);
        EXPECT_EQ(d.ActiveControl(), d.RightEdit());
        d.RightEdit()->SetTextByUser("0.5");
        // Typing a number under single spacing switches to Multiple; empty Multiple is single.
        d.LineSpacingCombo()->SelectByUser(0);
        EXPECT_EQ(d.WithinEdit()->Text(), "");
        d.WithinEdit()->SetTextByUser("2");
        EXPECT_EQ(d.LineSpacingCombo()->ItemIndex(), 5);
        d.LeftEdit()->SetTextByUser("1");
        d.FirstLineEdit()->SetTextByUser("-2");  // a start left of the margin counts as 0
        d.OKBtn()->Click();
        return ui::mrNone;
    });
    EXPECT_TRUE(edit->ParagraphDialog());
    const rtf::ParaFormat p = edit->Document().ParagraphFormat(0);
    EXPECT_EQ(p.leftIndent, 1440);
    EXPECT_EQ(p.firstIndent, -1440);
    EXPECT_EQ(p.rightIndent, 720);
    EXPECT_EQ(p.lineSpacing, 480);  // "2" lines
    EXPECT_TRUE(p.lineMultiple);
}

TEST_F(RichEditFormTest, ParagraphDialogSpacingDefaultsAndTabOrder)
{
    edit->SetMeasurementUnits(muCentimeters);
    struct Case {
        int item;
        std::string within;
    } const cases[] = {{3, "0.42 cm"}, {4, "0.42 cm"}, {5, "1"}, {2, ""}};
    dialogs.AnswerModal([&](ui::TCustomForm& f) {
        auto& d = dynamic_cast<TgkRichParagraphDialog&>(f);
        for (const Case& c : cases) {
            d.LineSpacingCombo()->SelectByUser(c.item);
            EXPECT_EQ(d.WithinEdit()->Text(), c.within) << c.item;
        }
        // Multiple left empty applies single spacing.
        d.LineSpacingCombo()->SelectByUser(5);
        d.WithinEdit()->SetTextByUser("");
        EXPECT_EQ(d.Settings().spacing, 20);
        std::vector<std::string> order;
        for (ui::TWinControl* c : d.TabOrderList()) order.push_back(c->Name());
        const std::vector<std::string> expected = {"LeftEdit", "RightEdit", "FirstLineEdit",
                                                   "BeforeParagraphEdit", "AfterParagraphEdit",
                                                   "LineSpacingComboBox", "WithinParagraphEdit", "AlignmentCombo",
                                                   "OKBtn", "CancelBtn"};
        EXPECT_EQ(order, expected);
        return ui::mrCancel;
    });
    EXPECT_FALSE(edit->ParagraphDialog());
    EXPECT_EQ(edit->Document().ParagraphFormat(0).lineSpacing, 0);  // cancelled: unchanged
}

TEST_F(RichEditFormTest, TabDialogSetsClearsAndApplies)
{
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        auto& d = dynamic_cast<TgkRichTabDialog&>(f);
        EXPECT_EQ(d.List()->Items()->Count(), 0);
        std::vector<std::string> order;
        for (ui::TWinControl* c : d.TabOrderList()) order.push_back(c->Name());
        EXPECT_EQ(order, (std::vector<std::string>{"Edit1", "ListBox1", "Button1", "Button2", "OKButton", "Button3",
                                                   "Button4"}));
        struct Step {
            std::string text;
            bool taken;
        } const steps[] = {{"2", true}, {"0.5", true}, {"2", true}, {"22", true}, {"22.01", false}, {"-1", false},
                           {"x", false}, {"1", true}};
        for (const Step& s : steps) {
            d.PositionEdit()->SetTextByUser(s.text);
            EXPECT_EQ(d.SetTab(), s.taken) << s.text;
        }
        EXPECT_EQ(d.Tabs(), (std::vector<int>{720, 1440, 2880, 31680}));
        d.List()->SetSelected(3, true);
        d.ClearTab();
        EXPECT_EQ(d.Tabs(), (std::vector<int>{720, 1440, 2880}));
        // OK with a position typed: validated and set first; Enter in the empty edit is OK.
        d.PositionEdit()->SetTextByUser("3");
        ui::TKey enter = ui::VK_RETURN;
        d.Edit1KeyDown(d.PositionEdit(), enter, {});
        EXPECT_EQ(d.ModalResult(), ui::mrNone);
        ui::TKey again = ui::VK_RETURN;
        d.Edit1KeyDown(d.PositionEdit(), again, {});
        EXPECT_EQ(d.ModalResult(), ui::mrOk);
        return ui::mrNone;
    });
    EXPECT_TRUE(edit->TabDialog());
    EXPECT_EQ(edit->Document().ParagraphFormat(0).tabs, (std::vector<int>{720, 1440, 2880, 4320}));
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        auto& d = dynamic_cast<TgkRichTabDialog&>(f);
        EXPECT_EQ(d.List()->Items()->Count(), 4);
        EXPECT_EQ(d.List()->Items()->Strings(0), "0.5''");
        d.ClearAll();
        d.PositionEdit()->SetTextByUser("23");
        d.OKButton()->Click();
        EXPECT_EQ(d.ModalResult(), ui::mrNone);  // kept open on the bad position
        EXPECT_EQ(d.ActiveControl(), d.PositionEdit());
        d.PositionEdit()->SetTextByUser("");
        d.OKButton()->Click();
        return ui::mrNone;
    });
    EXPECT_TRUE(edit->TabDialog());
    EXPECT_TRUE(edit->Document().ParagraphFormat(0).tabs.empty());
}

TEST_F(RichEditFormTest, F2AndTheContextMenuOpenTheEditor)
{
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        EXPECT_NE(dynamic_cast<TgkRichEditForm*>(&f), nullptr);
        return ui::mrCancel;
    });
    ui::TKey f2 = ui::VK_F2;
    edit->KeyDown(f2, {});
    EXPECT_EQ(f2, 0);
    dialogs.AnswerModal([](ui::TCustomForm&) { return ui::mrCancel; });
    edit->OwnPopupMenu()->Items()->Items(0)->Click();
    EXPECT_EQ(dialogs.Asked().size(), 2u);
    EXPECT_EQ(dialogs.Asked()[0].caption, "Edit Rich Text");
    // Without the Edit item's option F2 stays in the control.
    edit->SetPopupOptions(edit->PopupOptions() - TgkRichEditPopupOptions{rpoPopupEdit});
    ui::TKey again = ui::VK_F2;
    edit->KeyDown(again, {});
    EXPECT_EQ(dialogs.Asked().size(), 2u);
}

TEST_F(RichEditFormTest, DroppedTextCopiesWithCtrlElseMovesAndNeverLinks)
{
    struct Case {
        const char* what;
        Qt::KeyboardModifiers keys;
        Qt::DropActions offered;
        bool accepted;
        Qt::DropAction action;
    } const cases[] = {
        {"plain drop moves", Qt::NoModifier, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, true, Qt::MoveAction},
        {"Ctrl copies", Qt::ControlModifier, Qt::CopyAction | Qt::MoveAction, true, Qt::CopyAction},
        {"Ctrl+Shift copies, no link", Qt::ControlModifier | Qt::ShiftModifier, Qt::CopyAction | Qt::LinkAction, true,
         Qt::CopyAction},
        {"a move the source refuses", Qt::NoModifier, Qt::CopyAction | Qt::LinkAction, false, Qt::IgnoreAction},
        {"a copy the source refuses", Qt::ControlModifier, Qt::MoveAction, false, Qt::IgnoreAction},
    };
    host->Show();
    auto* text = qobject_cast<QTextEdit*>(ui::qt::WidgetOf(*edit));
    ASSERT_NE(text, nullptr);
    QMimeData data;
    data.setText("dropped ");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        edit->SetPlainTextContent("target");
        QApplication::processEvents();
        const QPointF at = text->cursorRect(QTextCursor(text->document())).center();
        QDragEnterEvent enter(at.toPoint(), c.offered, &data, Qt::LeftButton, c.keys);
        QCoreApplication::sendEvent(text->viewport(), &enter);
        QDragMoveEvent move(at.toPoint(), c.offered, &data, Qt::LeftButton, c.keys);
        QCoreApplication::sendEvent(text->viewport(), &move);
        QDropEvent drop(at, c.offered, &data, Qt::LeftButton, c.keys);
        QCoreApplication::sendEvent(text->viewport(), &drop);
        EXPECT_EQ(drop.isAccepted(), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(drop.dropAction(), c.action);
        }
        EXPECT_EQ(edit->PlainTextContent(), c.accepted ? "dropped target" : "target");
    }
    host->Hide();
}

TEST_F(RichEditFormTest, UserSpeedButtonsShowInTheToolBarWhileTheEditorIsOpen)
{
    auto* button = new ui::TSpeedButton(host.get());
    button->SetParent(host.get());
    button->SetBounds(0, 0, 23, 22);
    edit->SetUserSpeedButton1(button);
    EXPECT_FALSE(button->Visible());  // hidden on its own form
    Run([&](TgkRichEditForm& form) {
        EXPECT_EQ(button->Parent(), Part<ui::TPanel>(form, "Toolbar"));
        EXPECT_TRUE(button->Visible());
        EXPECT_GT(button->Left(), Part<ui::TShape>(form, "UserButtonBevel")->Left());
        return ui::mrCancel;
    });
    EXPECT_EQ(button->Parent(), host.get());
    EXPECT_FALSE(button->Visible());
    delete button;  // the control forgets it
    EXPECT_EQ(edit->UserSpeedButton1(), nullptr);
}

TEST_F(RichEditFormTest, PrintAndPageSetupGoThroughTheirDialogsAndTheMarginsComeBackOnOk)
{
    const std::filesystem::path pdf = std::filesystem::temp_directory_path() / "gw-richform-print.pdf";
    std::filesystem::remove(pdf);
    edit->SetPlainTextContent("printed text");
    edit->SetPrintJobName("Notes");
    const auto pick = [&](ui::TCustomForm& f) {
        auto* printers = f.Get<ui::TComboBox>("Printers");
        for (int i = 0; i < printers->Items()->Count(); ++i)
            if (printers->Items()->Strings(i) == ui::kPdfPrinterName) printers->SetItemIndex(i);
        f.Get<ui::TEdit>("FileName")->SetText(pdf.string());
        return ui::mrOk;
    };
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok);
        Run([&](TgkRichEditForm& form) {
            EXPECT_TRUE(Part<ui::TMenuItem>(form, "Print1")->Visible());
            EXPECT_TRUE(Part<ui::TMenuItem>(form, "PageSetup1")->Visible());
            dialogs.AnswerModal(pick);
            Part<ui::TMenuItem>(form, "Print1")->Click();
            EXPECT_TRUE(std::filesystem::exists(pdf));
            EXPECT_GT(std::filesystem::exists(pdf) ? std::filesystem::file_size(pdf) : 0u, 0u);
            dialogs.AnswerModal([](ui::TCustomForm& f) {
                f.Get<ui::TEdit>("LeftEdit")->SetText("2");
                f.Get<ui::TButton>("OKBtn")->Click();
                return ui::mrNone;
            });
            Part<ui::TMenuItem>(form, "PageSetup1")->Click();
            EXPECT_EQ(form.Editor()->PrintMargins()->Left(), 2.0);
            return ok ? ui::mrOk : ui::mrCancel;
        });
        EXPECT_EQ(edit->PrintMargins()->Left(), ok ? 2.0 : 1.0);
        std::filesystem::remove(pdf);
    }
    ui::Printer().SetPrinterIndex(-1);
    ui::Printer().SetFileName("");
}

TEST_F(RichEditFormTest, PrintingThroughAWordProcessorSaysItCannot)
{
    dialogs.AnswerMessage(ui::mrOk);
    EXPECT_FALSE(edit->PrintWithWordProcessor());
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].message.text, grid::gkIntlDefault().UserMessages.RichEditMSWordNotFound);
    EXPECT_EQ(dialogs.Asked()[0].message.type, ui::mtInformation);
}

}  // namespace
