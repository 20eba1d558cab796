#pragma once
// Input state shared by all controls: the keyboard state, the mouse capture and the caret.
// The window system reports keys and draws the caret; without one the state is kept all the
// same, so input logic can be tested headless.

#include <cstdint>

#include "platform/ui/Types.h"

namespace ui {

class TControl;
class TWinControl;

// Mouse buttons as keys of GetKeyState.
constexpr TKey VK_LBUTTON = 0x01;
constexpr TKey VK_RBUTTON = 0x02;
constexpr TKey VK_MBUTTON = 0x04;

// ---- Keyboard state ------------------------------------------------------------------------
// Bit 0x8000 set while the key is down, bit 1 toggled on every press (as the old desktop).
short GetKeyState(TKey key);
bool IsKeyDown(TKey key);
// Shift, Ctrl, Alt and the mouse buttons held now.
TShiftState KeyboardShiftState();
// The window system (or a test) reports a key or button going down or up.
void SetKeyState(TKey key, bool down);
void ResetKeyState();

// The mouse position on the screen as last reported by the window system (or a test).
TPoint GetCursorPos();
void SetCursorPos(TPoint p);

// ---- Mouse capture -------------------------------------------------------------------------
// While a control holds the capture, every mouse event goes to it.
TControl* GetCaptureControl();
// nullptr releases the capture.
void SetCaptureControl(TControl* control);
inline void ReleaseCapture() { SetCaptureControl(nullptr); }

// ---- Caret ---------------------------------------------------------------------------------
// One caret for the application, owned by one control. It starts hidden: each ShowCaret
// undoes one HideCaret (CreateCaret counts as one hide). It blinks while visible.
struct TCaretState {
    TWinControl* Owner = nullptr;
    int Width = 0;
    int Height = 0;
    TPoint Pos;
    int HideCount = 0;
    bool BlinkOn = true;
    TRect Rect() const { return Bounds(Pos.X, Pos.Y, Width, Height); }
    bool Visible() const { return Owner != nullptr && HideCount == 0; }
    // Drawn now (visible and in the bright phase of the blink).
    bool Drawn() const { return Visible() && BlinkOn; }
};

// A new caret for `owner` (the old one, whoever owns it, goes); width 0 means 2 pixels.
bool CreateCaret(TWinControl* owner, int width, int height);
bool DestroyCaret();
// Only the owner may show or hide it; false otherwise.
bool ShowCaret(TWinControl* owner);
bool HideCaret(TWinControl* owner);
bool SetCaretPos(int x, int y);
const TCaretState& Caret();
// Half a blink period in milliseconds (default 530); the window system's timer calls
// ToggleCaretBlink that often.
int CaretBlinkTime();
void SetCaretBlinkTime(int ms);
void ToggleCaretBlink();

// ---- Input time ----------------------------------------------------------------------------
// When the input being handled happened, in milliseconds (the origin means nothing): as the
// window system reported it with the event; without a report, the time since the program
// started.
std::int64_t GetMessageTime();
void SetMessageTime(std::int64_t ms);
// The longest time between the presses of a double click, in milliseconds: the desktop's as
// the window system reports it, else 500.
int GetDoubleClickTime();
void SetDoubleClickTime(int ms);

// ---- Waiting keys --------------------------------------------------------------------------
// Whether a press of `key` waits in the input queue, asked from inside a long piece of work
// (a filter over many records) that the user may want to stop. Takes out that one press (the
// first waiting) and nothing else: every other waiting key, click or repaint stays, in its
// order, and no handler of the program runs meanwhile. False without a window system.
bool TakeWaitingKeyPress(TKey key);

// A control goes away: it loses the capture and the caret.
void ForgetControlInput(TControl* control);

}  // namespace ui
