// The editor's key rules through the real control: each case sets a text, options and a
// selection, presses one key and expects the caret, the signed selection length and the
// virtual blanks after it. The key map itself (which action a key means) is KeyMapTest.

#include "EditorTestUtil.h"

#include "platform/ui/Input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace editor::test {
namespace {

struct TKeyRule {
    const char* what;
    std::string text;
    std::vector<TTextMemoOption> on;
    std::vector<TTextMemoOption> off;
    int caret;
    int selLength;
    ui::TKey key;
    ui::TShiftState shift;
    int expectCaret;
    int expectLength;
    int expectBlanks = 0;
};

const ui::TShiftState kNone{};
const ui::TShiftState kShift{ui::ssShift};

const TKeyRule kRules[] = {
    // A plain Left or Right empties the selection, then steps one character from the caret.
    {"Left from a backward selection", "abcdef", {}, {}, 4, -2, ui::VK_LEFT, kNone, 3, 0},
    {"Left from a forward selection", "abcdef", {}, {}, 2, 2, ui::VK_LEFT, kNone, 1, 0},
    {"Right from a forward selection", "abcdef", {}, {}, 2, 2, ui::VK_RIGHT, kNone, 3, 0},
    {"Right from a backward selection", "abcdef", {}, {}, 4, -2, ui::VK_RIGHT, kNone, 5, 0},
    {"Shift+Left keeps the far end", "abcdef", {}, {}, 4, -2, ui::VK_LEFT, kShift, 3, -1},
    {"Left at a paragraph start goes over the break", "ab\r\ncd", {}, {}, 4, 0, ui::VK_LEFT, kNone, 2, 0},
    {"Right at a paragraph end goes over the break", "ab\r\ncd", {}, {}, 2, 0, ui::VK_RIGHT, kNone, 4, 0},
    // Style codes: passed over, and a step that ends on one is no step.
    {"Left passes over codes", "a\x02" "b\x02" "c", {}, {}, 4, 0, ui::VK_LEFT, kNone, 2, 0},
    {"Left onto a code at the paragraph start goes over the break", "ab\r\n\x02" "cd\x02", {}, {}, 5, 0, ui::VK_LEFT, kNone, 2, 0},
    {"Right passes over codes", "a\x02" "b\x02" "c", {}, {}, 1, 0, ui::VK_RIGHT, kNone, 3, 0},
    // Trailing blanks are no place for the caret with tmoDiscardTrailingSpaces.
    {"Left over the break stops after the last character", "ab  \r\ncd", {tmoDiscardTrailingSpaces}, {}, 6, 0, ui::VK_LEFT,
     kNone, 2, 0},
    {"Right over trailing blanks reaches the next paragraph", "ab  \r\ncd", {tmoDiscardTrailingSpaces}, {}, 2, 0, ui::VK_RIGHT,
     kNone, 6, 0},
    {"Right before inner blanks steps one", "ab  x", {tmoDiscardTrailingSpaces}, {}, 2, 0, ui::VK_RIGHT, kNone, 3, 0},
    {"Right over trailing blanks at the text end", "ab  ", {tmoDiscardTrailingSpaces}, {}, 2, 0, ui::VK_RIGHT, kNone, 4, 0},
    {"without the option blanks are characters", "ab  \r\ncd", {}, {}, 2, 0, ui::VK_RIGHT, kNone, 3, 0},
    // Keeping columns: Right at the paragraph end adds a virtual blank, Left takes it back.
    {"Right at the end keeps a column", "ab", {tmoKeepColumnPos}, {tmoWrapCaret}, 2, 0, ui::VK_RIGHT, kNone, 2, 0, 1},
    {"with tmoWrapCaret the caret wraps", "ab\r\ncd", {tmoKeepColumnPos}, {}, 2, 0, ui::VK_RIGHT, kNone, 4, 0, 0},
};

// Text with trailing blanks goes in by replacement: loading would drop them under
// tmoDiscardTrailingSpaces.
void Prepare(TTextMemo& memo, const TKeyRule& r)
{
    TTextMemoOptions o = memo.Options();
    for (TTextMemoOption on : r.on) o.set(on);
    for (TTextMemoOption off : r.off) o.reset(off);
    memo.SetOptions(o);
    memo.SetSelText(r.text);
    memo.SetSelStart(r.caret);
    memo.SetSelLength(r.selLength);
}

TEST(KeyRules, EachRuleThroughTheControl)
{
    for (const TKeyRule& r : kRules) {
        FakeWindow window;
        TTextMemo memo;
        memo.SetUpdateMode(umImmediate);
        memo.SetWordWrap(false);
        window.Attach(memo, 400);
        Prepare(memo, r);
        ASSERT_EQ(memo.Text(), r.text) << r.what;
        ui::TKey key = r.key;
        memo.KeyDown(key, r.shift);
        EXPECT_EQ(memo.SelStart(), r.expectCaret) << r.what;
        EXPECT_EQ(memo.SelLength(), r.expectLength) << r.what;
        EXPECT_EQ(memo.VirtualBlanks(), r.expectBlanks) << r.what;
        EXPECT_EQ(key, 0) << r.what;
    }
}

// Inside a column block Alt+arrows move as the arrows do (a move without Shift ends the
// block); without a block Alt+arrows do nothing.
TEST(KeyRules, AltArrowsActOnlyInAColumnBlock)
{
    FakeWindow window;
    TTextMemo memo;
    memo.SetUpdateMode(umImmediate);
    memo.SetWordWrap(false);
    TTextMemoOptions o = memo.Options();
    o.set(tmoBlockSelection);
    memo.SetOptions(o);
    window.Attach(memo, 400);
    memo.SetTextBuf("abcdef\r\nghijkl");
    memo.SetSelStart(2);
    ui::TKey key = ui::VK_LEFT;
    memo.KeyDown(key, ui::TShiftState{ui::ssAlt});
    EXPECT_EQ(memo.SelStart(), 2);
    memo.SelectColumnBlock(0, 1, 1, 3);
    ASSERT_TRUE(memo.ColumnBlock());
    const int corner = memo.SelStart();
    key = ui::VK_LEFT;
    memo.KeyDown(key, ui::TShiftState{ui::ssAlt});
    EXPECT_FALSE(memo.ColumnBlock());
    EXPECT_EQ(memo.SelStart(), corner - 1);
    EXPECT_EQ(memo.SelLength(), 0);
    // Shift+Alt+arrows open a block at the caret and move its corner.
    key = ui::VK_DOWN;
    memo.KeyDown(key, ui::TShiftState{ui::ssShift, ui::ssAlt});
    EXPECT_TRUE(memo.ColumnBlock());
    key = ui::VK_UP;
    memo.KeyDown(key, ui::TShiftState{ui::ssAlt});
    EXPECT_FALSE(memo.ColumnBlock());
}

// The mouse in the left margin: a press leaves the caret at the start of the line it
// selects; a right-button release gives back the cursor hovering changed.
TEST(MouseRules, AMarginClickPutsTheCaretAtTheLineStart)
{
    FakeWindow window;
    TTextMemo memo;
    memo.SetUpdateMode(umImmediate);
    window.Attach(memo, 400);
    memo.SetTextBuf("one\r\ntwo\r\nsix");
    const int y = memo.LineHeight() + 3;  // line 1
    memo.MouseDown(ui::mbLeft, ui::TShiftState{ui::ssLeft}, 2, y);
    memo.MouseUp(ui::mbLeft, {}, 2, y);
    EXPECT_EQ(memo.SelStart(), 5);
    EXPECT_EQ(memo.SelLength(), 5);  // the line and its break
    memo.MouseDown(ui::mbLeft, ui::TShiftState{ui::ssLeft}, 2, 2 * memo.LineHeight() + 3);
    memo.MouseUp(ui::mbLeft, {}, 2, 2 * memo.LineHeight() + 3);
    EXPECT_EQ(memo.SelStart(), 10);
    EXPECT_EQ(memo.SelLength(), 3);  // the last paragraph has no break
}

TEST(MouseRules, ARightButtonReleaseRestoresTheCursor)
{
    FakeWindow window;
    TTextMemo memo;
    memo.SetUpdateMode(umImmediate);
    window.Attach(memo, 400);
    memo.SetTextBuf("one two three");
    memo.SetSelStart(4);
    memo.SetSelLength(3);
    const ui::TCursor before = memo.Cursor();
    const int x = memo.CharPosToX(5, 0);
    memo.MouseMove({}, x, 5);
    ASSERT_EQ(memo.Cursor(), ui::crArrow);  // over the selection: it could be dragged
    memo.MouseDown(ui::mbRight, ui::TShiftState{ui::ssRight}, x, 5);
    memo.MouseUp(ui::mbRight, {}, x, 5);
    EXPECT_EQ(memo.Cursor(), before);
}

}  // namespace
}  // namespace editor::test

namespace editor::test {
namespace {

// Keeping columns, the caret keeps its place on the screen: Delete at a paragraph end with
// virtual blanks pulls the next paragraph up but leaves the caret's column, and a vertical
// move onto a tab or a shorter paragraph keeps the remembered x as virtual blanks.
TEST(KeyRules, KeepingColumnsTheCaretKeepsItsScreenColumn)
{
    FakeWindow window;
    TTextMemo memo;
    memo.SetUpdateMode(umImmediate);
    memo.SetWordWrap(false);
    TTextMemoOptions o = memo.Options();
    o.set(tmoKeepColumnPos);
    o.reset(tmoWrapCaret);
    memo.SetOptions(o);
    window.Attach(memo, 400);
    auto press = [&memo](ui::TKey k, ui::TShiftState shift = {}) { memo.KeyDown(k, shift); };

    memo.SetTextBuf("ab\r\ncd");
    memo.SetSelStart(2);
    press(ui::VK_RIGHT);
    press(ui::VK_RIGHT);
    ASSERT_EQ(memo.VirtualBlanks(), 2);
    press(ui::VK_DELETE);
    EXPECT_EQ(memo.Text(), "abcd");
    EXPECT_EQ(memo.SelStart(), 2);
    EXPECT_EQ(memo.VirtualBlanks(), 2);

    // Down from column 3 onto a tab at column 1: the caret stands before the tab, 2 blanks on.
    memo.SetTextBuf("abcd\r\nx\ty");
    memo.SetSelStart(3);
    press(ui::VK_DOWN);
    EXPECT_EQ(memo.SelStart(), 7);
    EXPECT_EQ(memo.VirtualBlanks(), 2);
    // With Shift the selection ends at the character: no virtual blanks.
    memo.SetSelStart(3);
    press(ui::VK_DOWN, ui::TShiftState{ui::ssShift});
    EXPECT_EQ(memo.VirtualBlanks(), 0);
}

}  // namespace
}  // namespace editor::test
