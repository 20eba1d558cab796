// The rich-text edit on the X server: formatted text, a web address and an embedded object's
// placeholder shown by its window, typed into and clicked with real events, saved as a
// screenshot under test-artifacts/editctrls and read back where it must show something.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

#include <string>
#include <vector>

#include "editctrls/gkDBRichEdit.h"
#include "platform/ui/FindDialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/support/WindowShot.h"

namespace {

using namespace editctrls;

const char* const kText =
    "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl ;\\red200\\green0\\blue0;\\red255\\green255\\blue0;}"
    "\\f0\\fs24 Plain, {\\b bold}, {\\i italic}, {\\ul underlined} and {\\cf1 red} text "
    "{\\highlight2 marked}.\\par"
    "\\pard\\qc Centred: see www.example.com for more.\\par"
    "\\pard{\\*\\pn\\pnlvlblt}\\li720 a bullet\\par"
    "\\pard an object {\\object\\objemb{\\*\\objclass Paint.Picture}{\\*\\objdata 0105}} here}";

// A "Rich text" form of `width` × `height` at (100, 100) holding a rich edit `editHeight` high,
// 10 pixels in from its left, top and right.
TgkDBRichEdit* RichEditOnForm(ui::TForm& form, int width, int height, int editHeight)
{
    form.SetCaption("Rich text");
    form.SetBounds(100, 100, width, height);
    auto* edit = new TgkDBRichEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(10, 10, width - 30, editHeight);
    return edit;
}

TEST(RichEditWindow, ShowsFormattedTextLinksAndObjectsAndTakesRealInput)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    RegisterRichEditClasses();
    std::vector<std::string> opened;
    const TgkCustomRichEdit::TOpener previous =
        TgkCustomRichEdit::SetURLOpener([&](const std::string& a) { opened.push_back(a); return true; });
    ui::TForm form(nullptr);
    auto* edit = RichEditOnForm(form, 520, 300, 240);
    edit->SetColor(rtl::clWhite);
    edit->StreamIn(kText);
    edit->SetAutoURLDetect(true);
    int changes = 0;
    edit->OnChange = [&](classes::TObject*) { ++changes; };
    form.Show();
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    auto* text = qobject_cast<QTextEdit*>(ui::qt::WidgetOf(*edit));
    ASSERT_NE(text, nullptr);

    // Typing at the start of the text, through the window.
    edit->SetFocus();
    QApplication::processEvents();
    edit->SetSel(0, 0);
    QApplication::processEvents();
    QTest::keyClicks(text, "Hi ");
    EXPECT_EQ(edit->Lines()->Strings(0).rfind("Hi Plain, bold", 0), 0u) << edit->Lines()->Strings(0);
    EXPECT_EQ(edit->SelStart(), 3);
    EXPECT_GT(changes, 0);
    EXPECT_TRUE(edit->Modified());

    // A click on the address opens it (as http); a click on plain text opens nothing.
    const int link = static_cast<int>(edit->PlainTextContent().find("www.example")) - 1;  // one CR LF before it
    QTextCursor at(text->document());
    at.setPosition(link + 4);
    const QPoint linkPoint = text->cursorRect(at).center();
    QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, linkPoint);
    EXPECT_EQ(opened, std::vector<std::string>{"http://www.example.com"});
    at.setPosition(5);
    QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, text->cursorRect(at).center());
    EXPECT_EQ(opened.size(), 1u);

    // Deselect so the shot shows the text's own colours.
    edit->SetSel(0, 0);
    const gwtest::TShot shot = gwtest::ShootWindow(window, "editctrls", "rich-edit");
    ASSERT_TRUE(shot.Taken());
    QWidget* view = text->viewport();
    // The link is drawn in blue; the red text in red; the marked word on yellow; the object
    // as its grey placeholder box.
    const QRect firstLine(0, 0, view->width(), text->cursorRect(at).bottom() + 2);
    at.setPosition(link);
    const QRect linkLine(0, text->cursorRect(at).top(), view->width(), text->cursorRect(at).height());
    EXPECT_GT(shot.Count(view, linkLine, rtl::RGB(0, 0, 255), 60), 20) << "no link colour";
    EXPECT_GT(shot.Count(view, firstLine, rtl::RGB(200, 0, 0), 60), 10) << "no red text";
    EXPECT_GT(shot.Count(view, firstLine, rtl::RGB(255, 255, 0), 10), 50) << "no highlight";
    EXPECT_GT(shot.Count(view, view->rect(), rtl::RGB(236, 236, 236), 2), 500) << "no object placeholder";

    // The saved text still holds the object byte for byte.
    EXPECT_NE(edit->SaveRtf().find("{\\object\\objemb{\\*\\objclass Paint.Picture}{\\*\\objdata 0105}}"), std::string::npos);
    TgkCustomRichEdit::SetURLOpener(previous);
}

TEST(RichEditWindow, TextTypedAtAParagraphsStartTakesItsFirstCharactersFormat)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    RegisterRichEditClasses();
    ui::TForm form(nullptr);
    auto* edit = RichEditOnForm(form, 420, 220, 160);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::qt::WidgetOf(form)));
    // Loaded while the window shows, as a record's field is.
    edit->StreamIn("{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}"
                   "{\\colortbl ;\\red0\\green128\\blue0;}"
                   "\\f0\\fs24{\\b bold} plain\\par{\\f1\\fs32\\i\\cf1 big} after\\par{\\ul under}\\par{\\b whole}\\par"
                   "\\plain\\f0 made\\par}");
    // The last paragraph is made bold and italic in the window first.
    edit->SetSel(edit->Document().ParagraphStart(4), 4);
    edit->ToggleStyle(0);
    edit->ToggleStyle(1);
    auto* text = qobject_cast<QTextEdit*>(ui::qt::WidgetOf(*edit));
    ASSERT_NE(text, nullptr);
    QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, QPoint(5, 5));

    // Each paragraph's start, reached and typed at through the window: the new text looks
    // like the paragraph's first character, also once the paragraph's text was deleted.
    const struct {
        int paragraph;
        bool emptied;  // its text deleted first (Shift+End, Delete)
        const char* typed;
    } cases[] = {{0, false, "Now "}, {1, false, "Very "}, {2, true, "Not"}, {3, true, "Whole"}, {4, true, "Made"},
                 {1, true, "Big"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const int start = edit->Document().ParagraphStart(c.paragraph);
        const ui::TRichCharState before = edit->Document().CharsAt(start, 1);
        QTextCursor at(text->document());
        at.setPosition(start);
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, text->cursorRect(at).center() + QPoint(1, 0));
        QTest::keyClick(text, Qt::Key_Home);
        if (c.emptied) {
            QTest::keyClick(text, Qt::Key_End, Qt::ShiftModifier);
            QTest::keyClick(text, Qt::Key_Delete);
            ASSERT_EQ(edit->Lines()->Strings(c.paragraph), "");
        }
        QTest::keyClicks(text, c.typed);
        ASSERT_EQ(edit->Lines()->Strings(c.paragraph).rfind(c.typed, 0), 0u) << edit->Lines()->Strings(c.paragraph);
        const ui::TRichCharState typed = edit->Document().CharsAt(start, 3);
        EXPECT_EQ(typed.bold, before.bold);
        EXPECT_EQ(typed.italic, before.italic);
        EXPECT_EQ(typed.underline, before.underline);
        EXPECT_EQ(typed.fontName, before.fontName);
        EXPECT_EQ(typed.halfPoints, before.halfPoints);
        EXPECT_EQ(typed.color, before.color);
    }
    const std::string saved = edit->SaveRtf();
    EXPECT_NE(saved.find("\\b Now bold"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\\ul\\cf0 Not\\par"), std::string::npos) << saved;
}

TEST(RichEditWindow, TheReplaceDialogTakesTypedTextAndReplacesInTheShownText)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    RegisterRichEditClasses();
    // The search ends with the no-more-matches message: answered here, not on screen.
    struct TAnswerOK : ui::TStandardDialogs {
        int Message(const ui::TMessageRequest&) override { return ui::mrOk; }
    } answer;
    ui::TDialogServiceScope answering(answer);
    ui::TForm form(nullptr);
    auto* edit = RichEditOnForm(form, 420, 200, 140);
    edit->StreamIn("{\\rtf1 a {\\b cat} and a cat\\par a last cat}");
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::qt::WidgetOf(form)));

    edit->SetSel(2, 3);
    edit->ReplaceDialog();
    ui::TForm* window = edit->Replacer()->Window();
    ASSERT_NE(window, nullptr);
    QWidget* dialog = ui::qt::WidgetOf(*window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    const auto widget = [&](const char* name) { return ui::qt::WidgetOf(*window->Get<ui::TWinControl>(name)); };
    auto* replaceWith = qobject_cast<QLineEdit*>(widget("ReplaceText"));
    ASSERT_NE(replaceWith, nullptr);
    EXPECT_EQ(qobject_cast<QLineEdit*>(widget("FindText"))->text(), "cat");
    QTest::mouseClick(replaceWith, Qt::LeftButton);
    QTest::keyClicks(replaceWith, "dog");
    const gwtest::TShot shot = gwtest::ShootWindow(dialog, "editctrls", "rich-edit-replace");
    ASSERT_TRUE(shot.Taken());

    QTest::mouseClick(widget("ReplaceAll"), Qt::LeftButton);
    // The bold word keeps its format; every match changed.
    EXPECT_EQ(edit->PlainTextContent(), "a dog and a dog\r\na last dog");
    EXPECT_NE(edit->SaveRtf().find("\\b dog"), std::string::npos) << edit->SaveRtf();
    QTest::mouseClick(replaceWith, Qt::LeftButton);
    QTest::keyClick(replaceWith, Qt::Key_Escape);
    EXPECT_FALSE(edit->Replacer()->Showing());
    EXPECT_FALSE(dialog->isVisible());
}


TEST(RichEditWindow, TheSelectionHidesWithoutTheFocusButShowsWhileSearching)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    RegisterRichEditClasses();
    ui::TForm form(nullptr);
    auto* edit = RichEditOnForm(form, 420, 220, 120);
    edit->StreamIn("{\\rtf1 a cat and a dog}");
    auto* other = new ui::TEdit(&form);
    other->SetParent(&form);
    other->SetBounds(10, 150, 200, 24);
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::qt::WidgetOf(form)));
    auto* text = qobject_cast<QTextEdit*>(ui::qt::WidgetOf(*edit));
    ASSERT_NE(text, nullptr);
    QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    edit->SetSel(2, 3);
    QApplication::processEvents();
    const auto shown = [&] { return text->textCursor().selectedText().toStdString(); };
    EXPECT_EQ(shown(), "cat");

    // The focus goes elsewhere: the window shows the caret's place only; the control keeps
    // its selection, and it shows again with the focus.
    QTest::mouseClick(ui::qt::WidgetOf(*other), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_TRUE(ui::qt::WidgetOf(*other)->hasFocus());
    EXPECT_EQ(shown(), "");
    EXPECT_EQ(text->textCursor().position(), 5);
    EXPECT_EQ(edit->SelText(), "cat");
    edit->SetSel(6, 3);  // set by the program meanwhile
    QApplication::processEvents();
    EXPECT_EQ(shown(), "");
    EXPECT_EQ(edit->SelText(), "and");
    QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, text->cursorRect(text->textCursor()).center());
    QApplication::processEvents();
    edit->SetSel(2, 3);
    QApplication::processEvents();
    EXPECT_EQ(shown(), "cat");

    // A search dialog shows what it finds although the focus is in the dialog; closed, the
    // selection hides again.
    edit->FindDialog();
    QWidget* dialog = ui::qt::WidgetOf(*edit->Finder()->Window());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    QTest::mouseClick(ui::qt::WidgetOf(*edit->Finder()->Window()->Get<ui::TWinControl>("FindText")), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(edit->HideSelection());
    EXPECT_EQ(shown(), "cat");
    edit->SetSel(9, 0);
    edit->FindNext("dog", {});
    QApplication::processEvents();
    EXPECT_EQ(shown(), "dog");
    const gwtest::TShot shot = gwtest::ShootWindow(ui::qt::WidgetOf(form), "editctrls", "rich-edit-found");
    ASSERT_TRUE(shot.Taken());
    QTest::mouseClick(ui::qt::WidgetOf(*edit->Finder()->Window()->Get<ui::TWinControl>("Cancel")), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(edit->HideSelection());
    QTest::mouseClick(ui::qt::WidgetOf(*other), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(shown(), "");

    // Without HideSelection the selection shows without the focus.
    edit->SetHideSelection(false);
    QApplication::processEvents();
    EXPECT_EQ(shown(), "dog");
}

TEST(RichEditWindow, AnotherVersionRemakesTheWindowKeepingTextAndState)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    RegisterRichEditClasses();
    ui::TForm form(nullptr);
    auto* edit = RichEditOnForm(form, 420, 200, 140);
    edit->StreamIn("{\\rtf1 a {\\b bold} word\\par next}");
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::qt::WidgetOf(form)));
    QWidget* before = ui::qt::WidgetOf(*edit);
    QTest::mouseClick(qobject_cast<QTextEdit*>(before)->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClicks(before, "x");
    edit->SetSel(3, 4);
    QApplication::processEvents();
    const std::string rtf = edit->SaveRtf();

    // Each step: the version asked for, and whether the window is made again.
    const struct {
        int version;
        bool remade;
    } steps[] = {{1, true}, {1, false}, {2, true}, {0, false}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.version);
        QWidget* was = ui::qt::WidgetOf(*edit);
        edit->SetRichEditVersion(step.version);
        QApplication::processEvents();
        auto* now = qobject_cast<QTextEdit*>(ui::qt::WidgetOf(*edit));
        ASSERT_NE(now, nullptr);
        EXPECT_EQ(now != was, step.remade);
        EXPECT_TRUE(now->isVisible());
        EXPECT_TRUE(now->hasFocus());
        EXPECT_EQ(now->toPlainText().toStdString(), "xa bold word\nnext");
        EXPECT_EQ(now->textCursor().selectedText().toStdString(), "bold");
        EXPECT_EQ(edit->SaveRtf(), rtf);
        EXPECT_TRUE(edit->Modified());
    }
    // The new window takes typing as the old one did.
    QTest::keyClicks(ui::qt::WidgetOf(*edit), "B");
    EXPECT_EQ(edit->Lines()->Strings(0), "xa B word");
}


// Two framed rich edits, the first with the focus: it shows the focused frame (a line on every
// side), the second the unfocused one (a line along the bottom only). After a frame setting
// changes, the window shows the new frame without a resize.
TEST(RichEditWindow, DrawsItsFrameFocusedAndUnfocused)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    RegisterRichEditClasses();
    ui::TForm form(nullptr);
    form.SetCaption("Framed rich text");
    form.SetBounds(100, 100, 360, 220);
    TgkDBRichEdit* edits[2];
    for (int i = 0; i < 2; ++i) {
        edits[i] = new TgkDBRichEdit(&form);
        edits[i]->SetParent(&form);
        edits[i]->SetBounds(20, 20 + i * 90, 320, 70);
        edits[i]->SetColor(rtl::clWhite);
        edits[i]->Frame()->SetEnabled(true);
        edits[i]->StreamIn(i == 0 ? "{\\rtf1 Focused: a line on every side.}" : "{\\rtf1 Not focused: a line below.}");
    }
    form.Show();
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    edits[0]->SetFocus();
    QApplication::processEvents();
    ASSERT_TRUE(edits[0]->Focused());

    const gwtest::TShot shot = gwtest::ShootWindow(window, "editctrls", "rich-edit-frame");
    ASSERT_TRUE(shot.Taken());
    const QWidget* focused = ui::qt::WidgetOf(*edits[0]);
    const QWidget* unfocused = ui::qt::WidgetOf(*edits[1]);
    EXPECT_TRUE(gwtest::DrawnAs(shot.At(focused, {0, 35}), rtl::clWindowFrame));
    EXPECT_TRUE(gwtest::DrawnAs(shot.At(focused, {160, 0}), rtl::clWindowFrame));
    EXPECT_TRUE(gwtest::DrawnAs(shot.At(focused, {319, 35}), rtl::clWindowFrame));
    EXPECT_TRUE(gwtest::DrawnAs(shot.At(focused, {160, 69}), rtl::clWindowFrame));
    EXPECT_TRUE(gwtest::DrawnAs(shot.At(unfocused, {0, 35}), rtl::clWhite));
    EXPECT_TRUE(gwtest::DrawnAs(shot.At(unfocused, {160, 0}), rtl::clWhite));
    EXPECT_TRUE(gwtest::DrawnAs(shot.At(unfocused, {160, 69}), rtl::clWindowFrame));

    // The unfocused frame's sides change: shown at once.
    edits[1]->Frame()->SetNonFocusBorders({efLeftBorder, efBottomBorder});
    QApplication::processEvents();
    const gwtest::TShot after = gwtest::ShootWindow(window, "editctrls", "rich-edit-frame-changed");
    ASSERT_TRUE(after.Taken());
    EXPECT_TRUE(gwtest::DrawnAs(after.At(unfocused, {0, 35}), rtl::clWindowFrame));

    // Scrolled text leaves the frame where it is, and no copy of it among the text.
    std::string many = "{\\rtf1 ";
    for (int i = 0; i < 20; ++i) many += "line " + std::to_string(i) + "\\par ";
    edits[1]->StreamIn(many + "}");
    QApplication::processEvents();
    auto* text = qobject_cast<QTextEdit*>(ui::qt::WidgetOf(*edits[1]));
    ASSERT_NE(text, nullptr);
    text->verticalScrollBar()->setValue(20);
    QApplication::processEvents();
    const gwtest::TShot scrolled = gwtest::ShootWindow(window, "editctrls", "rich-edit-frame-scrolled");
    ASSERT_TRUE(scrolled.Taken());
    EXPECT_TRUE(gwtest::DrawnAs(scrolled.At(unfocused, {160, 69}), rtl::clWindowFrame));
    EXPECT_TRUE(gwtest::DrawnAs(scrolled.At(unfocused, {1, 49}), rtl::clWhite));

    // The scroll bar lies inside the frame: focused, every side shows whole around it.
    ASSERT_TRUE(text->verticalScrollBar()->isVisible());
    edits[1]->SetFocus();
    QApplication::processEvents();
    const gwtest::TShot bar = gwtest::ShootWindow(window, "editctrls", "rich-edit-frame-scroll-bar");
    ASSERT_TRUE(bar.Taken());
    const QRect barRect(text->verticalScrollBar()->mapTo(text, QPoint(0, 0)), text->verticalScrollBar()->size());
    EXPECT_LE(barRect.right(), 317);
    EXPECT_GE(barRect.top(), 2);
    EXPECT_LE(barRect.bottom(), 67);
    for (const QPoint p : {QPoint(319, 2), QPoint(319, 35), QPoint(319, 67), QPoint(310, 0), QPoint(310, 69), QPoint(0, 35)})
        EXPECT_TRUE(gwtest::DrawnAs(bar.At(unfocused, p), rtl::clWindowFrame)) << p.x() << "," << p.y();
}

// The real pointer over an unfocused control shows the focused frame while the frame asks so.
TEST(RichEditWindow, TheMouseOverShowsTheFocusedFrame)
{
    if (!gwtest::UseXServer()) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    RegisterRichEditClasses();
    QCursor::setPos(0, 0);
    ui::TForm form(nullptr);
    form.SetBounds(100, 100, 360, 220);
    auto* other = new ui::TEdit(&form);
    other->SetParent(&form);
    other->SetBounds(20, 150, 100, 24);
    auto* edit = new TgkDBRichEdit(&form);
    edit->SetParent(&form);
    edit->SetBounds(20, 20, 320, 70);
    edit->SetColor(rtl::clWhite);
    edit->Frame()->SetEnabled(true);
    edit->Frame()->MouseEnterSameAsFocus = true;
    form.Show();
    QWidget* window = ui::qt::WidgetOf(form);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    other->SetFocus();
    QApplication::processEvents();
    const QWidget* text = ui::qt::WidgetOf(*edit);
    const auto topEdge = [&](const char* name) {
        const gwtest::TShot shot = gwtest::ShootWindow(window, "editctrls", name);
        return shot.Taken() && gwtest::DrawnAs(shot.At(text, {160, 0}), rtl::clWindowFrame);
    };
    EXPECT_FALSE(topEdge("rich-edit-mouse-away"));

    QPoint moved(-1, -1);
    edit->OnMouseMove = [&](classes::TObject*, ui::TShiftState, int x, int y) { moved = QPoint(x, y); };
    QCursor::setPos(text->mapToGlobal(QPoint(160, 35)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return edit->MouseOver(); }, 3000));
    // The frame's ring is part of the control: the pointer's place counts from its corner.
    EXPECT_TRUE(QTest::qWaitFor([&] { return moved == QPoint(160, 35); }, 3000)) << moved.x() << "," << moved.y();
    QApplication::processEvents();
    EXPECT_TRUE(topEdge("rich-edit-mouse-over"));

    QCursor::setPos(0, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !edit->MouseOver(); }, 3000));
    QApplication::processEvents();
    EXPECT_FALSE(topEdge("rich-edit-mouse-left"));
}

}  // namespace
