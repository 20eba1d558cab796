// The editor's key map: which named action each key means, by its modifiers and the editor's
// mode. One row per row of the key tables (display-only scrolling, hot keys, column-block
// corners, moves and edits), plus the Alt rules and keys that are not the editor's.

#include <gtest/gtest.h>

#include "editor/MemoKeyMap.h"

#include "platform/ui/Types.h"


namespace editor::test {
namespace {

using enum TMemoAction;
using Mode = TMemoKeyMode;

struct TKeyCase {
    Mode mode;
    ui::TKey key;
    ui::TShiftState shift;
    TMemoAction action;
    const char* what;
};

const ui::TShiftState kNoMod{};
const ui::TShiftState kCtrl{ui::ssCtrl};
const ui::TShiftState kShift{ui::ssShift};
const ui::TShiftState kAlt{ui::ssAlt};
const ui::TShiftState kCtrlShift{ui::ssCtrl, ui::ssShift};
const ui::TShiftState kShiftAlt{ui::ssShift, ui::ssAlt};
const ui::TShiftState kCtrlShiftAlt{ui::ssCtrl, ui::ssShift, ui::ssAlt};

const TKeyCase kCases[] = {
    // Display only: the keys scroll the view.
    {Mode::DisplayOnly, ui::VK_HOME, kNoMod, kViewHome, "display-only Home"},
    {Mode::DisplayOnly, ui::VK_END, kNoMod, kViewEnd, "display-only End"},
    {Mode::DisplayOnly, ui::VK_PRIOR, kNoMod, kViewPageUp, "display-only Page Up"},
    {Mode::DisplayOnly, ui::VK_PRIOR, kCtrl, kViewTop, "display-only Ctrl+Page Up"},
    {Mode::DisplayOnly, ui::VK_NEXT, kNoMod, kViewPageDown, "display-only Page Down"},
    {Mode::DisplayOnly, ui::VK_NEXT, kCtrl, kViewBottom, "display-only Ctrl+Page Down"},
    {Mode::DisplayOnly, ui::VK_UP, kNoMod, kViewLineUp, "display-only Up"},
    {Mode::DisplayOnly, ui::VK_DOWN, kNoMod, kViewLineDown, "display-only Down"},
    {Mode::DisplayOnly, ui::VK_LEFT, kNoMod, kViewLeft, "display-only Left"},
    {Mode::DisplayOnly, ui::VK_RIGHT, kNoMod, kViewRight, "display-only Right"},
    {Mode::DisplayOnly, ui::VK_BACK, kNoMod, kNone, "display-only Backspace edits nothing"},
    // Hot keys.
    {Mode::HotKeys, 'B', kCtrl, kBold, "Ctrl+B"},
    {Mode::HotKeys, 'I', kCtrl, kItalic, "Ctrl+I"},
    {Mode::HotKeys, 'U', kCtrl, kUnderline, "Ctrl+U"},
    {Mode::HotKeys, 'H', kCtrl, kHighlight, "Ctrl+H"},
    {Mode::HotKeys, 'F', kCtrl, kAltFont, "Ctrl+F"},
    {Mode::HotKeys, 'T', kCtrl, kInsertTab, "Ctrl+T"},
    {Mode::HotKeys, 'P', kCtrl, kPageBreak, "Ctrl+P"},
    {Mode::HotKeys, 'Z', kCtrl, kUndo, "Ctrl+Z"},
    {Mode::HotKeys, 'Z', kCtrlShift, kRedo, "Ctrl+Shift+Z"},
    {Mode::HotKeys, 'Q', kCtrl, kNone, "Ctrl+Q is no hot key"},
    // Shift+Alt+arrows move the moving corner of a column block.
    {Mode::ColumnBlock, ui::VK_LEFT, kShiftAlt, kBlockLeft, "block Shift+Alt+Left"},
    {Mode::ColumnBlock, ui::VK_RIGHT, kShiftAlt, kBlockRight, "block Shift+Alt+Right"},
    {Mode::ColumnBlock, ui::VK_UP, kShiftAlt, kBlockUp, "block Shift+Alt+Up"},
    {Mode::ColumnBlock, ui::VK_DOWN, kShiftAlt, kBlockDown, "block Shift+Alt+Down"},
    // Inside a block Alt+arrows move as the arrows (which ends the block); Ctrl is no block key.
    {Mode::ColumnBlock, ui::VK_LEFT, kAlt, kCharLeft, "block Alt+Left"},
    {Mode::ColumnBlock, ui::VK_RIGHT, kAlt, kCharRight, "block Alt+Right"},
    {Mode::ColumnBlock, ui::VK_UP, kAlt, kLineUp, "block Alt+Up"},
    {Mode::ColumnBlock, ui::VK_DOWN, kAlt, kLineDown, "block Alt+Down"},
    {Mode::ColumnBlock, ui::VK_LEFT, kCtrlShiftAlt, kNone, "block Ctrl+Shift+Alt+Left"},
    {Mode::ColumnBlock, ui::VK_HOME, kShiftAlt, kNone, "block Shift+Alt+Home"},
    // Moves and edits, without and with Ctrl.
    {Mode::Editing, ui::VK_LEFT, kNoMod, kCharLeft, "Left"},
    {Mode::Editing, ui::VK_LEFT, kCtrl, kWordLeft, "Ctrl+Left"},
    {Mode::Editing, ui::VK_RIGHT, kNoMod, kCharRight, "Right"},
    {Mode::Editing, ui::VK_RIGHT, kCtrl, kWordRight, "Ctrl+Right"},
    {Mode::Editing, ui::VK_UP, kNoMod, kLineUp, "Up"},
    {Mode::Editing, ui::VK_UP, kCtrl, kLineUp, "Ctrl+Up as Up"},
    {Mode::Editing, ui::VK_DOWN, kNoMod, kLineDown, "Down"},
    {Mode::Editing, ui::VK_DOWN, kCtrl, kLineDown, "Ctrl+Down as Down"},
    {Mode::Editing, ui::VK_HOME, kNoMod, kLineStart, "Home"},
    {Mode::Editing, ui::VK_HOME, kCtrl, kTextStart, "Ctrl+Home"},
    {Mode::Editing, ui::VK_END, kNoMod, kLineEnd, "End"},
    {Mode::Editing, ui::VK_END, kCtrl, kTextEnd, "Ctrl+End"},
    {Mode::Editing, ui::VK_PRIOR, kNoMod, kPageUp, "Page Up"},
    {Mode::Editing, ui::VK_PRIOR, kCtrl, kPageUp, "Ctrl+Page Up (the action leaves the view)"},
    {Mode::Editing, ui::VK_NEXT, kNoMod, kPageDown, "Page Down"},
    {Mode::Editing, ui::VK_NEXT, kCtrl, kPageDown, "Ctrl+Page Down (the action leaves the view)"},
    {Mode::Editing, ui::VK_TAB, kNoMod, kTypeTab, "Tab"},
    {Mode::Editing, ui::VK_TAB, kCtrl, kTypeTab, "Ctrl+Tab as Tab"},
    {Mode::Editing, ui::VK_BACK, kNoMod, kBackspace, "Backspace"},
    {Mode::Editing, ui::VK_BACK, kCtrl, kBackspace, "Ctrl+Backspace (the action deletes the word)"},
    {Mode::Editing, ui::VK_DELETE, kNoMod, kDelete, "Delete"},
    {Mode::Editing, ui::VK_DELETE, kCtrl, kDelete, "Ctrl+Delete (the action deletes to the line end)"},
    {Mode::Editing, ui::VK_INSERT, kNoMod, kToggleOverwrite, "Insert"},
    {Mode::Editing, ui::VK_INSERT, kShift, kPaste, "Shift+Insert"},
    {Mode::Editing, ui::VK_INSERT, kCtrl, kCopy, "Ctrl+Insert"},
    {Mode::Editing, ui::VK_LEFT, kShift, kCharLeft, "Shift+Left extends as Left moves"},
    {Mode::Editing, ui::VK_RIGHT, kShift, kCharRight, "Shift+Right extends as Right moves"},
    {Mode::Editing, ui::VK_UP, kShift, kLineUp, "Shift+Up extends"},
    {Mode::Editing, ui::VK_END, kCtrlShift, kTextEnd, "Ctrl+Shift+End extends to the end"},
    {Mode::Editing, ui::VK_DELETE, kShift, kDelete, "Shift+Delete (the action cuts or deletes back)"},
    // With Alt the moves do nothing, Tab is not the editor's, Backspace and Delete act.
    {Mode::Editing, ui::VK_LEFT, kAlt, kIgnore, "Alt+Left"},
    {Mode::Editing, ui::VK_RIGHT, kAlt, kIgnore, "Alt+Right"},
    {Mode::Editing, ui::VK_UP, kAlt, kIgnore, "Alt+Up"},
    {Mode::Editing, ui::VK_DOWN, kAlt, kIgnore, "Alt+Down"},
    {Mode::Editing, ui::VK_HOME, kAlt, kIgnore, "Alt+Home"},
    {Mode::Editing, ui::VK_END, kAlt, kIgnore, "Alt+End"},
    {Mode::Editing, ui::VK_PRIOR, kAlt, kIgnore, "Alt+Page Up"},
    {Mode::Editing, ui::VK_NEXT, kAlt, kIgnore, "Alt+Page Down"},
    {Mode::Editing, ui::VK_INSERT, kAlt, kIgnore, "Alt+Insert"},
    {Mode::Editing, ui::VK_TAB, kAlt, kNone, "Alt+Tab"},
    {Mode::Editing, ui::VK_BACK, kAlt, kBackspace, "Alt+Backspace"},
    {Mode::Editing, ui::VK_DELETE, kAlt, kDelete, "Alt+Delete"},
    // Keys without an action go back to the caller.
    {Mode::Editing, ui::VK_RETURN, kNoMod, kNone, "Enter"},
    {Mode::Editing, ui::VK_ESCAPE, kNoMod, kNone, "Escape"},
    {Mode::Editing, ui::VK_SPACE, kNoMod, kNone, "blank"},
};

TEST(KeyMap, DecodesEveryRowOfTheKeyTables)
{
    for (const TKeyCase& c : kCases)
        EXPECT_EQ(static_cast<int>(DecodeKey(c.mode, c.key, c.shift)), static_cast<int>(c.action)) << c.what;
}

}  // namespace
}  // namespace editor::test
