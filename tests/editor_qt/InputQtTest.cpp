// The editor's keys and mouse on the Qt backend (offscreen): each script is a table of real key
// and mouse events with the text, selection and caret place expected after each. Also a pixel
// check of a painted line.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/TextMemo.h"

#include "platform/ui/Bitmap.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtUi.h"

namespace editor {
namespace {

using namespace ui;

struct Step {
    std::string what;
    std::function<void()> act;
    std::string text;
    int selStart;
    int selLength;
};

class EditorInputTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qt::Install(); }

    void SetUp() override
    {
        Application().Reset();
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 420, 300);
        memo = new TTextMemo(form.get());
        memo->SetParent(form.get());
        memo->SetBounds(10, 10, 300, 200);
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(qt::WidgetOf(*form)));
        memo->SetFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return qt::WidgetOf(*memo)->hasFocus(); }));
    }

    void TearDown() override
    {
        form.reset();
        Application().ProcessMessages();
    }

    QWidget* Keys() { return qt::WidgetOf(*memo); }
    QWidget* Mouse() { return qt::PeerOf(*memo)->MouseWidget(); }

    std::function<void()> Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        return [this, key, mods] { QTest::keyClick(Keys(), key, mods); };
    }
    std::function<void()> Char(char32_t c)
    {
        return [this, c] {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUcs4(&c, 1));
            QApplication::sendEvent(Keys(), &press);
        };
    }
    // The client point in the middle height of the character at `offset`, `dx` pixels right
    // of its left edge.
    QPoint At(int offset, int dx = 1)
    {
        const int p = memo->ParagraphOfOffset(offset);
        TParagraphRec& rec = memo->Paragraph(p);
        const int in = offset - rec.Start;
        const int j = rec.LineOfOffset(in);
        const int line = rec.FirstLine + j;
        const int x = memo->CharPosToX(in - TLinesList(rec)[j].Start, line);
        return {x + dx, memo->LineTop(line - memo->TopLine()) + memo->LineHeight() / 2};
    }
    void SendMouse(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
                   Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QMouseEvent e(type, QPointF(p), QPointF(Mouse()->mapToGlobal(p)), button, buttons, mods);
        QApplication::sendEvent(Mouse(), &e);
    }
    std::function<void()> Click(int offset, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        return [this, offset, mods] {
            const QPoint p = At(offset);
            SendMouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, mods);
            SendMouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton, mods);
        };
    }
    std::function<void()> DoubleClick(int offset)
    {
        return [this, offset] {
            const QPoint p = At(offset);
            SendMouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
            SendMouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
            SendMouse(QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
            SendMouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
        };
    }
    // Press at one offset, move to another with the button held, release there.
    std::function<void()> Drag(int fromOffset, int toOffset, int dx = 1, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        return [this, fromOffset, toOffset, dx, mods] {
            const QPoint from = At(fromOffset, dx), to = At(toOffset, dx);
            SendMouse(QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton, mods);
            SendMouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, mods);
            SendMouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton, mods);
            SendMouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, mods);
            SendMouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, mods);
        };
    }
    std::function<void()> Do(std::function<void()> f) { return f; }

    void Run(const std::vector<Step>& steps)
    {
        for (const Step& s : steps) {
            s.act();
            QApplication::processEvents();
            EXPECT_EQ(memo->Text(), s.text) << s.what;
            EXPECT_EQ(memo->SelStart(), s.selStart) << s.what;
            EXPECT_EQ(memo->SelLength(), s.selLength) << s.what;
            // The caret stands where painting puts the character.
            EXPECT_EQ(Caret().Owner, memo) << s.what;
            EXPECT_EQ(Caret().Pos.X, std::min(memo->CaretX(), memo->ViewWidth() - 1)) << s.what;
            EXPECT_EQ(Caret().Pos.Y, memo->CaretY()) << s.what;
            memo->CheckConsistency();
        }
    }

    std::unique_ptr<TForm> form;
    TTextMemo* memo = nullptr;
};

TEST_F(EditorInputTest, MovingDeletingAndTheUndoKey)
{
    auto set = [this](std::string text, int caret) {
        return [this, text, caret] {
            memo->SetTextBuf(text);
            memo->ClearUndo();
            memo->SetSelStart(caret);
        };
    };
    Run({
        {"text", set("one two\r\nthree", 9), "one two\r\nthree", 9, 0},
        {"Ctrl+Left at a paragraph start", Key(Qt::Key_Left, Qt::ControlModifier), "one two\r\nthree", 7, 0},
        {"Ctrl+Left", Key(Qt::Key_Left, Qt::ControlModifier), "one two\r\nthree", 4, 0},
        {"Ctrl+Right", Key(Qt::Key_Right, Qt::ControlModifier), "one two\r\nthree", 7, 0},
        {"Shift+Right over the break", Key(Qt::Key_Right, Qt::ShiftModifier), "one two\r\nthree", 9, -2},
        {"Left empties the selection and steps back from the caret", Key(Qt::Key_Left), "one two\r\nthree", 7, 0},
        {"End", Key(Qt::Key_End), "one two\r\nthree", 7, 0},
        {"Ctrl+Home", Key(Qt::Key_Home, Qt::ControlModifier), "one two\r\nthree", 0, 0},
        {"Down", Key(Qt::Key_Down), "one two\r\nthree", 9, 0},
        {"Up on line 0 stays", Do([this] {
             QTest::keyClick(Keys(), Qt::Key_Up);
             QTest::keyClick(Keys(), Qt::Key_Up);
         }),
         "one two\r\nthree", 0, 0},
        {"Backspace joins", Do([this] {
             memo->SetSelStart(9);
             QTest::keyClick(Keys(), Qt::Key_Backspace);
         }),
         "one twothree", 7, 0},
        {"Ctrl+Z undoes", Key(Qt::Key_Z, Qt::ControlModifier), "one two\r\nthree", 9, 0},
        {"style codes", set("a\x02\x02" "bc", 1), "a\x02\x02" "bc", 1, 0},
        {"Delete on style codes takes them and the character after them", Key(Qt::Key_Delete), "ac", 1, 0},
        {"Shift+Delete without a selection", set("abc", 2), "abc", 2, 0},
        {"", Key(Qt::Key_Delete, Qt::ShiftModifier), "ac", 1, 0},
        {"Ctrl+Delete to the line end", Key(Qt::Key_Delete, Qt::ControlModifier), "a", 1, 0},
        {"Ctrl+Backspace a word", set("one two", 7), "one two", 7, 0},
        {"", Key(Qt::Key_Backspace, Qt::ControlModifier), "one ", 4, 0},
    });
}

TEST_F(EditorInputTest, CharactersAndHotKeys)
{
    Run({
        {"Ctrl+P in an empty editor", Key(Qt::Key_P, Qt::ControlModifier), "\r\n\x10\r\n", 5, 0},
        {"character 31 goes in", Char(31), "\r\n\x10\r\n\x1f", 6, 0},
        {"character 30 does not", Char(30), "\r\n\x10\r\n\x1f", 6, 0},
        {"multi-byte text", Do([this] {
             memo->SetTextBuf("a\xC3\xA9\xE2\x82\xAC" "b");
             memo->SetSelStart(0);
             QTest::keyClick(Keys(), Qt::Key_Right);
             QTest::keyClick(Keys(), Qt::Key_Right);
         }),
         "a\xC3\xA9\xE2\x82\xAC" "b", 3, 0},
        {"typing a code point", Char(0xFC), "a\xC3\xA9\xC3\xBC\xE2\x82\xAC" "b", 5, 0},
        {"Backspace takes the whole sequence", Key(Qt::Key_Backspace), "a\xC3\xA9\xE2\x82\xAC" "b", 3, 0},
        {"Shift+Right selects one sequence", Key(Qt::Key_Right, Qt::ShiftModifier), "a\xC3\xA9\xE2\x82\xAC" "b", 6, -3},
        {"Ctrl+Z with hot keys off does nothing", Do([this] {
             memo->SetEnableHotKeys(false);
             QTest::keyClick(Keys(), Qt::Key_Z, Qt::ControlModifier);
         }),
         "a\xC3\xA9\xE2\x82\xAC" "b", 6, -3},
        {"Ctrl+C copies from a read-only editor", Do([this] {
             memo->SetEnableHotKeys(true);
             memo->SetReadOnly(true);
             Clipboard().SetAsText("before");
             QTest::keyClick(Keys(), Qt::Key_C, Qt::ControlModifier);
             EXPECT_EQ(Clipboard().AsText(), "\xE2\x82\xAC");
             QTest::keyClicks(Keys(), "xyz");
             QTest::keyClick(Keys(), Qt::Key_Delete);
             QTest::keyClick(Keys(), Qt::Key_Z, Qt::ControlModifier);
             QTest::keyClick(Keys(), Qt::Key_V, Qt::ControlModifier);
         }),
         "a\xC3\xA9\xE2\x82\xAC" "b", 6, -3},
        {"Ctrl+X cuts when writable", Do([this] {
             memo->SetReadOnly(false);
             QTest::keyClick(Keys(), Qt::Key_X, Qt::ControlModifier);
         }),
         "a\xC3\xA9" "b", 3, 0},
        {"Ctrl+V pastes", Key(Qt::Key_V, Qt::ControlModifier), "a\xC3\xA9\xE2\x82\xAC" "b", 6, 0},
        {"nothing while an update is open", Do([this] {
             memo->BeginUpdate();
             QTest::keyClicks(Keys(), "q");
             QTest::keyClick(Keys(), Qt::Key_Backspace);
             memo->EndUpdate();
         }),
         "a\xC3\xA9\xE2\x82\xAC" "b", 6, 0},
    });
}

TEST_F(EditorInputTest, ADisplayOnlyEditorScrollsButNeverChanges)
{
    std::string text;
    for (int i = 0; i < 60; ++i) text += "line " + std::to_string(i) + "\r\n";
    memo->SetTextBuf(text);
    memo->SetSelStart(0);
    memo->SetDisplayOnly(true);
    QTest::keyClicks(Keys(), "abc");
    QTest::keyClick(Keys(), Qt::Key_Delete);
    QTest::keyClick(Keys(), Qt::Key_Return);
    QTest::keyClick(Keys(), Qt::Key_V, Qt::ControlModifier);
    Click(10)();
    EXPECT_EQ(memo->Text(), text);
    EXPECT_EQ(memo->SelStart(), 0);
    QTest::keyClick(Keys(), Qt::Key_Down);
    EXPECT_EQ(memo->TopLine(), 1);  // the keys scroll the view only
    QTest::keyClick(Keys(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(memo->TopLine(), 61 - memo->VisibleLines() + 1);
    EXPECT_EQ(memo->SelStart(), 0);
}

TEST_F(EditorInputTest, BackIndentAndTheWideOverwriteCaret)
{
    TTextMemoOptions o = memo->Options();
    o.set(tmoBackIndent);
    memo->SetOptions(o);
    Run({
        {"text", Do([this] { memo->SetTextBuf("a\r\n  b\r\n      c"); memo->SetSelStart(14); }), "a\r\n  b\r\n      c", 14, 0},
        {"back to the indent above", Key(Qt::Key_Backspace), "a\r\n  b\r\n  c", 10, 0},
        {"and to the one above that", Key(Qt::Key_Backspace), "a\r\n  b\r\nc", 8, 0},
    });
    // Enter with auto-indent: the indent of the line above, as blanks or (discarding trailing
    // blanks) as virtual blanks.
    o.set(tmoAutoIndent);
    memo->SetOptions(o);
    memo->SetTextBuf("  ab");
    memo->SetSelStart(3);
    QTest::keyClick(Keys(), Qt::Key_Return);
    EXPECT_EQ(memo->Text(), "  a\r\n  b");
    EXPECT_EQ(memo->SelStart(), 7);
    o.set(tmoDiscardTrailingSpaces);
    memo->SetOptions(o);
    memo->SetSelStart(memo->TextLength());
    QTest::keyClick(Keys(), Qt::Key_Return);
    EXPECT_EQ(memo->Text(), "  a\r\n  b\r\n");
    EXPECT_EQ(memo->VirtualBlanks(), 2);
    o.reset(tmoDiscardTrailingSpaces);
    o.reset(tmoAutoIndent);

    // Keeping columns, a click right of the paragraph end keeps the distance in blanks.
    o.set(tmoKeepColumnPos);
    memo->SetOptions(o);
    memo->SetTextBuf("ab");
    const int blank = memo->BlankWidth();
    const QPoint end = At(2, 3 * blank + 1);
    SendMouse(QEvent::MouseButtonPress, end, Qt::LeftButton, Qt::LeftButton);
    SendMouse(QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(memo->SelStart(), 2);
    EXPECT_EQ(memo->VirtualBlanks(), 3);
    EXPECT_EQ(Caret().Pos.X, memo->CharPosToX(2, 0) + 3 * blank);

    memo->SetTextBuf("wide");
    memo->SetSelStart(0);
    memo->SetOverwrite(true);
    memo->UpdateCaret();
    EXPECT_EQ(Caret().Width, memo->CharPosToX(1, 0) - memo->CharPosToX(0, 0));
    memo->SetSelStart(4);  // at the paragraph end: the plain width
    EXPECT_EQ(Caret().Width, memo->CaretWidthNow());
    QTest::keyClicks(Keys(), "xy");
    memo->SetSelStart(0);
    QTest::keyClicks(Keys(), "W");
    EXPECT_EQ(memo->Text(), "Wide" "xy");
}

TEST_F(EditorInputTest, ClicksWordsAndDragAndDrop)
{
    memo->SetSeparators("\t ,.:;");
    memo->SetTextBuf("ab, cd");
    Run({
        {"double-click the second word", DoubleClick(4), "ab, cd", 4, 2},
        {"click", Click(1), "ab, cd", 1, 0},
        {"large word select takes the separators", Do([this] {
             TTextMemoOptions o = memo->Options();
             o.set(tmoLargeWordSelect);
             memo->SetOptions(o);
             DoubleClick(0)();
         }),
         "ab, cd", 0, 4},
        {"Shift+click extends", Do([this] {
             Click(1)();
             Click(5, Qt::ShiftModifier)();
         }),
         "ab, cd", 5, -4},
        {"text", Do([this] {
             memo->SetTextBuf("one two three");
             memo->ClearUndo();
             memo->SetSelStart(4);
             memo->SetSelLength(3);
         }),
         "one two three", 4, 3},
        {"an arrow over the selection", Do([this] {
             SendMouse(QEvent::MouseMove, At(5), Qt::NoButton, Qt::NoButton);
             EXPECT_EQ(memo->Cursor(), crArrow);
             SendMouse(QEvent::MouseMove, At(9), Qt::NoButton, Qt::NoButton);
             EXPECT_EQ(memo->Cursor(), crIBeam);
         }),
         "one two three", 4, 3},
        {"the caret shows the drop point while the text is dragged", Do([this] {
             const QPoint from = At(5), to = At(10);
             SendMouse(QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton);
             SendMouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
             EXPECT_EQ(Caret().Pos.X, memo->CharPosToX(5, 0));
             SendMouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
             EXPECT_EQ(Caret().Pos.X, memo->CharPosToX(10, 0));
             EXPECT_EQ(memo->SelStart(), 4);  // the selection stays until the drop
             SendMouse(QEvent::MouseMove, from, Qt::NoButton, Qt::LeftButton);
             SendMouse(QEvent::MouseButtonRelease, from, Qt::LeftButton, Qt::NoButton);
         }),
         "one two three", 5, 0},
        {"select again", Do([this] {
             memo->SetSelStart(4);
             memo->SetSelLength(3);
             SendMouse(QEvent::MouseMove, At(5), Qt::NoButton, Qt::NoButton);
         }),
         "one two three", 4, 3},
        {"drag the selection to the end", Drag(5, 13), "one  threetwo", 13, -3},
        {"one Ctrl+Z undoes the move", Key(Qt::Key_Z, Qt::ControlModifier), "one two three", 7, 0},
        {"select again", Do([this] {
             memo->SetSelStart(4);
             memo->SetSelLength(3);
         }),
         "one two three", 4, 3},
        {"a drop inside the selection moves the caret", Do([this] {
             bool moved = false;
             memo->OnSelMove = [&moved](classes::TObject*) { moved = true; };
             Drag(4, 6, 2)();
             memo->OnSelMove = nullptr;
             EXPECT_TRUE(moved);
         }),
         "one two three", 6, 0},
        {"a drag that ends outside the control leaves everything", Do([this] {
             memo->SetSelStart(4);
             memo->SetSelLength(3);
             const QPoint from = At(5);
             SendMouse(QEvent::MouseMove, from, Qt::NoButton, Qt::NoButton);
             SendMouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
             SendMouse(QEvent::MouseMove, QPoint(from.x(), -60), Qt::NoButton, Qt::LeftButton);
             SendMouse(QEvent::MouseButtonRelease, QPoint(from.x(), -60), Qt::LeftButton, Qt::NoButton);
         }),
         "one two three", 4, 3},
    });
}

TEST_F(EditorInputTest, PagesScrollBarsAndColumnBlocks)
{
    std::string text;
    for (int i = 0; i < 100; ++i) text += "line " + std::to_string(i) + "\r\n";
    memo->SetTextBuf(text);
    memo->SetSelStart(0);
    const int V = memo->VisibleLines();
    auto lineStart = [&](int line) { return memo->Paragraph(line).Start; };
    Run({
        {"Page Down", Key(Qt::Key_PageDown), text, lineStart(V - 1), 0},
        {"Page Down again", Key(Qt::Key_PageDown), text, lineStart(2 * V - 2), 0},
        {"Page Up", Key(Qt::Key_PageUp), text, lineStart(V - 1), 0},
    });
    EXPECT_EQ(memo->TopLine(), V - 1);

    // A click below the thumb pages the view down; the bar keeps its position in units.
    QScrollBar* bar = nullptr;
    for (QScrollBar* b : Keys()->findChildren<QScrollBar*>())
        if (b->orientation() == Qt::Vertical && b->isVisible()) bar = b;
    ASSERT_NE(bar, nullptr);
    const int before = memo->TopLine();
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 25));
    EXPECT_EQ(memo->TopLine(), before + V - 1);
    EXPECT_EQ(memo->GetScrollPos(sbVertical), memo->TopPixel() / memo->VertScrollUnit());
    EXPECT_EQ(bar->value(), memo->GetScrollPos(sbVertical));

    TTextMemoOptions o = memo->Options();
    o.set(tmoBlockSelection);
    memo->SetOptions(o);
    memo->SetWordWrap(false);
    memo->SetTextBuf("abcdef\r\nghijkl\r\nmnopqr");
    memo->SetSelStart(1);
    const Qt::KeyboardModifiers block = Qt::ShiftModifier | Qt::AltModifier;
    Run({
        {"Shift+Alt+Right", Key(Qt::Key_Right, block), "abcdef\r\nghijkl\r\nmnopqr", 2, -1},
        {"Shift+Alt+Right", Key(Qt::Key_Right, block), "abcdef\r\nghijkl\r\nmnopqr", 3, -2},
        {"Shift+Alt+Down", Key(Qt::Key_Down, block), "abcdef\r\nghijkl\r\nmnopqr", 11, -10},
    });
    EXPECT_TRUE(memo->ColumnBlock());
    EXPECT_EQ(memo->SelText(), "bc\r\nhi\r\n");
}

TEST_F(EditorInputTest, AltClickAndDragMakeAColumnBlock)
{
    TTextMemoOptions o = memo->Options();
    o.set(tmoBlockSelection);
    memo->SetOptions(o);
    memo->SetWordWrap(false);
    memo->SetTextBuf("abcdef\r\nghijkl\r\nmnopqr");
    Drag(1, 19, 1, Qt::AltModifier)();
    EXPECT_TRUE(memo->ColumnBlock());
    const int column = (At(1).x() - memo->LeftMargin()) / memo->BlankWidth();
    EXPECT_EQ(memo->BlockFirstColumn(), column);
    EXPECT_EQ(memo->BlockLastColumn(), (At(19).x() - memo->LeftMargin()) / memo->BlankWidth());
    EXPECT_EQ(memo->ParagraphOfOffset(memo->SelFrom()), 0);
    EXPECT_EQ(memo->ParagraphOfOffset(memo->SelTo()), 2);
    // A plain click ends it.
    Click(2)();
    EXPECT_FALSE(memo->ColumnBlock());
    EXPECT_EQ(memo->SelLength(), 0);
}

TEST_F(EditorInputTest, AClickOnAContextRunNamesTheRun)
{
    struct Receiver : ITextMemoReceiver {
        std::vector<std::string> runs;
        void TextMemoMessage(TTextMemo&, TMessage& m) override
        {
            if (m.Msg == kContextClickMessage) runs.push_back(*reinterpret_cast<const std::string*>(m.LParam));
        }
    } receiver;
    memo->SetTextBuf("one two three");
    TStyleRec context;
    context.Context = 7;
    memo->SetStyleRange(4, 7, true, true, context);
    int seen = 0, from = -1, to = -1;
    memo->OnContext = [&](classes::TObject*, int c, int a, int b) {
        seen = c;
        from = a;
        to = b;
    };
    memo->AddReceiver(&receiver);
    // Over a context run with a cursor number the cursor is the run's, elsewhere the editor's.
    TStyleRec hand = context;
    hand.Attr16 = static_cast<std::int16_t>(crHandPoint);
    memo->SetStyleRange(8, 13, true, true, hand);
    SendMouse(QEvent::MouseMove, At(10), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(memo->Cursor(), crHandPoint);
    SendMouse(QEvent::MouseMove, At(1), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(memo->Cursor(), crIBeam);
    Click(5)();
    EXPECT_EQ(seen, 7);
    EXPECT_EQ(from, 4);
    EXPECT_EQ(to, 7);
    EXPECT_EQ(receiver.runs, std::vector<std::string>{"two"});
    seen = 0;
    Click(1)();  // outside the run
    EXPECT_EQ(seen, 0);
    memo->RemoveReceiver(&receiver);
    memo->OnContext = nullptr;
}

TEST_F(EditorInputTest, HoldingTheButtonBelowTheEdgeScrollsOnATimer)
{
    std::string text;
    for (int i = 0; i < 100; ++i) text += "line " + std::to_string(i) + "\r\n";
    memo->SetTextBuf(text);
    memo->SetSelStart(0);
    const QPoint start = At(memo->Paragraph(2).Start);
    SendMouse(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    // 30 pixels below: speed 10, no delay between steps.
    SendMouse(QEvent::MouseMove, QPoint(start.x(), memo->ViewHeight() + 30), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(memo->AutoScrollDirection(), 2);
    EXPECT_EQ(memo->AutoScrollSpeed(), 10);
    EXPECT_EQ(memo->TopLine(), 1);  // the first step at once
    ASSERT_TRUE(QTest::qWaitFor([&] { return memo->TopLine() >= 10; }, 3000));
    EXPECT_LT(memo->SelLength(), 0);
    EXPECT_EQ(memo->SelStart() + memo->SelLength(), memo->Paragraph(2).Start);
    SendMouse(QEvent::MouseButtonRelease, QPoint(start.x(), memo->ViewHeight() + 30), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(memo->AutoScrollDirection(), 0);
    const int stopped = memo->TopLine();
    QTest::qWait(100);
    EXPECT_EQ(memo->TopLine(), stopped);
    memo->CheckConsistency();
}

TEST_F(EditorInputTest, APaintedLineShowsHighlightSelectionAndMarks)
{
    memo->SetHideSelection(false);
    memo->SetHighlightColor(rtl::clRed);
    memo->SetHighlightBackgnd(rtl::clYellow);
    memo->SetRightLinePos(20);
    memo->SetTextBuf("ab \x03HIGH\x03 plain selected");
    memo->SetSelStart(15);
    memo->SetSelLength(8);  // "selected"
    const int lh = memo->LineHeight();
    TBitmap shot(memo->ViewWidth(), memo->ViewHeight());
    shot.Canvas()->SetBounds({0, 0, memo->ViewWidth(), memo->ViewHeight()});
    memo->PaintTo(*shot.Canvas());
    auto count = [&](int x1, int x2, int y1, int y2, auto&& pred) {
        int n = 0;
        for (int y = y1; y < y2; ++y)
            for (int x = x1; x < x2; ++x)
                if (pred(shot.Pixel(x, y))) ++n;
        return n;
    };
    auto r = [](rtl::TColor c) { return static_cast<int>(c & 0xFF); };
    auto g = [](rtl::TColor c) { return static_cast<int>((c >> 8) & 0xFF); };
    auto b = [](rtl::TColor c) { return static_cast<int>((c >> 16) & 0xFF); };
    const int hx1 = memo->CharPosToX(4, 0), hx2 = memo->CharPosToX(8, 0);
    const int area = (hx2 - hx1) * lh;
    // The highlighted run: yellow behind, red letters.
    EXPECT_GT(count(hx1, hx2, 0, lh, [](rtl::TColor c) { return c == rtl::clYellow; }), area / 3);
    EXPECT_GT(count(hx1, hx2, 0, lh, [&](rtl::TColor c) { return r(c) > 180 && g(c) < 90 && b(c) < 90; }), 5);
    // The selection inverted: black behind, light letters.
    const int sx1 = memo->CharPosToX(15, 0), sx2 = memo->CharPosToX(23, 0);
    EXPECT_GT(count(sx1, sx2, 0, lh, [](rtl::TColor c) { return c == rtl::clBlack; }), (sx2 - sx1) * lh / 2);
    EXPECT_EQ(shot.Pixel(sx1 - 3, 1), rtl::clWhite);
    // The end-of-text mark along the bottom of the last line, red.
    EXPECT_EQ(shot.Pixel(memo->ViewWidth() / 2, lh), rtl::clRed);
    // The right line: grey dots 20 blanks right of the margin.
    const int rx = memo->LeftMargin() + 20 * memo->BlankWidth();
    const int grey = count(rx, rx + 1, lh + 2, memo->ViewHeight(), [](rtl::TColor c) { return c == 0x808080; });
    EXPECT_GT(grey, 5);
    EXPECT_LT(grey, memo->ViewHeight() - lh - 2);
}

}  // namespace
}  // namespace editor
