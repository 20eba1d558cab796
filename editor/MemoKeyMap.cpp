// The key tables of TTextMemo (see MemoKeyMap.h): the first entry that matches wins, so an
// entry that needs a modifier comes before the plain one of the same key.

#include "editor/MemoKeyMap.h"

#include "platform/ui/Input.h"

#include <span>

namespace editor {

namespace {

// What an entry asks of one modifier.
enum class TNeed : unsigned char { Any, Down, Up };

struct TKeyEntry {
    ui::TKey key;
    TNeed ctrl;
    TNeed shift;
    TNeed alt;
    TMemoAction action;
};

constexpr TNeed A = TNeed::Any, D = TNeed::Down, U = TNeed::Up;
using enum TMemoAction;

constexpr TKeyEntry kDisplayOnlyKeys[] = {
    {ui::VK_HOME, A, A, A, kViewHome},      {ui::VK_END, A, A, A, kViewEnd},
    {ui::VK_PRIOR, D, A, A, kViewTop},      {ui::VK_PRIOR, U, A, A, kViewPageUp},
    {ui::VK_NEXT, D, A, A, kViewBottom},    {ui::VK_NEXT, U, A, A, kViewPageDown},
    {ui::VK_UP, A, A, A, kViewLineUp},      {ui::VK_DOWN, A, A, A, kViewLineDown},
    {ui::VK_LEFT, A, A, A, kViewLeft},      {ui::VK_RIGHT, A, A, A, kViewRight},
};

constexpr TKeyEntry kHotKeys[] = {
    {'B', A, A, A, kBold},      {'I', A, A, A, kItalic},     {'U', A, A, A, kUnderline},
    {'H', A, A, A, kHighlight}, {'F', A, A, A, kAltFont},    {'T', A, A, A, kInsertTab},
    {'P', A, A, A, kPageBreak}, {'Z', A, D, A, kRedo},       {'Z', A, U, A, kUndo},
};

// Shift+Alt+arrows move the block's moving corner; Alt+arrows without Shift (only while a
// block is active) move as the plain arrows do.
constexpr TKeyEntry kColumnBlockKeys[] = {
    {ui::VK_LEFT, U, D, D, kBlockLeft}, {ui::VK_RIGHT, U, D, D, kBlockRight},
    {ui::VK_UP, U, D, D, kBlockUp},     {ui::VK_DOWN, U, D, D, kBlockDown},
    {ui::VK_LEFT, U, U, D, kCharLeft},  {ui::VK_RIGHT, U, U, D, kCharRight},
    {ui::VK_UP, U, U, D, kLineUp},      {ui::VK_DOWN, U, U, D, kLineDown},
};

// While Alt is held the moves do nothing, Tab is not the editor's, Backspace and Delete act
// as without it.
constexpr TKeyEntry kEditingKeys[] = {
    {ui::VK_LEFT, A, A, D, kIgnore},     {ui::VK_LEFT, D, A, A, kWordLeft},    {ui::VK_LEFT, A, A, A, kCharLeft},
    {ui::VK_RIGHT, A, A, D, kIgnore},    {ui::VK_RIGHT, D, A, A, kWordRight},  {ui::VK_RIGHT, A, A, A, kCharRight},
    {ui::VK_UP, A, A, D, kIgnore},       {ui::VK_UP, A, A, A, kLineUp},
    {ui::VK_DOWN, A, A, D, kIgnore},     {ui::VK_DOWN, A, A, A, kLineDown},
    {ui::VK_HOME, A, A, D, kIgnore},     {ui::VK_HOME, D, A, A, kTextStart},   {ui::VK_HOME, A, A, A, kLineStart},
    {ui::VK_END, A, A, D, kIgnore},      {ui::VK_END, D, A, A, kTextEnd},      {ui::VK_END, A, A, A, kLineEnd},
    {ui::VK_PRIOR, A, A, D, kIgnore},    {ui::VK_PRIOR, A, A, A, kPageUp},
    {ui::VK_NEXT, A, A, D, kIgnore},     {ui::VK_NEXT, A, A, A, kPageDown},
    {ui::VK_TAB, A, A, D, kNone},        {ui::VK_TAB, A, A, A, kTypeTab},
    {ui::VK_BACK, A, A, A, kBackspace},  {ui::VK_DELETE, A, A, A, kDelete},
    {ui::VK_INSERT, A, A, D, kIgnore},   {ui::VK_INSERT, D, A, A, kCopy},      {ui::VK_INSERT, A, D, A, kPaste},
    {ui::VK_INSERT, A, A, A, kToggleOverwrite},
};

bool Meets(TNeed need, bool down) noexcept { return need == TNeed::Any || (need == TNeed::Down) == down; }

std::span<const TKeyEntry> TableOf(TMemoKeyMode mode) noexcept
{
    switch (mode) {
    case TMemoKeyMode::DisplayOnly: return kDisplayOnlyKeys;
    case TMemoKeyMode::HotKeys: return kHotKeys;
    case TMemoKeyMode::ColumnBlock: return kColumnBlockKeys;
    case TMemoKeyMode::Editing: break;
    }
    return kEditingKeys;
}

}  // namespace

TMemoAction DecodeKey(TMemoKeyMode mode, ui::TKey key, ui::TShiftState shift) noexcept
{
    const bool ctrl = shift.Contains(ui::ssCtrl), sh = shift.Contains(ui::ssShift), alt = shift.Contains(ui::ssAlt);
    for (const TKeyEntry& e : TableOf(mode))
        if (e.key == key && Meets(e.ctrl, ctrl) && Meets(e.shift, sh) && Meets(e.alt, alt)) return e.action;
    return kNone;
}

}  // namespace editor
