#pragma once
// The key map of TTextMemo: which named action a key press means, by the key, the state of
// Ctrl, Shift and Alt, and the mode the editor is in. The keyboard handler decodes a key here
// and runs the action's own function (TMemoKeyboard); nothing else decides what a key does.
//
// A key without an entry is not the editor's (kNone): it goes back to the caller unchanged.
// kIgnore consumes a key that does nothing in that state (Alt with Home, say).

#include "platform/ui/Types.h"

namespace editor {

enum class TMemoKeyMode {
    DisplayOnly,  // the keys scroll the view only
    HotKeys,      // Ctrl held without Alt, hot keys enabled, not read-only
    ColumnBlock,  // arrows with Shift+Alt (or Alt in a block), block selection on, no word wrap
    Editing,      // moves and edits (keys below 48)
};

enum class TMemoAction {
    kNone,
    kIgnore,
    // Display only.
    kViewHome, kViewEnd, kViewTop, kViewPageUp, kViewBottom, kViewPageDown, kViewLineUp, kViewLineDown,
    kViewLeft, kViewRight,
    // Hot keys.
    kBold, kItalic, kUnderline, kHighlight, kAltFont, kInsertTab, kPageBreak, kUndo, kRedo,
    // Column block corners.
    kBlockLeft, kBlockRight, kBlockUp, kBlockDown,
    // Moves.
    kCharLeft, kWordLeft, kCharRight, kWordRight, kLineUp, kLineDown, kLineStart, kLineEnd, kTextStart,
    kTextEnd, kPageUp, kPageDown,
    // Edits and the clipboard.
    kTypeTab, kBackspace, kDelete, kCopy, kPaste, kToggleOverwrite,
};

// The action of `key` with `shift` in `mode`.
TMemoAction DecodeKey(TMemoKeyMode mode, ui::TKey key, ui::TShiftState shift) noexcept;

}  // namespace editor
