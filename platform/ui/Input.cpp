#include "platform/ui/Input.h"

#include <chrono>
#include <map>
#include <optional>

#include "platform/ui/Backend.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Messages.h"

namespace ui {

namespace {

std::map<TKey, short>& Keys()
{
    static std::map<TKey, short> keys;
    return keys;
}

TControl*& Capture()
{
    static TControl* capture = nullptr;
    return capture;
}

TCaretState& CaretData()
{
    static TCaretState caret;
    return caret;
}

int& BlinkTime()
{
    static int ms = 530;
    return ms;
}

// Repaints where the caret was and where it is now.
void CaretMoved(const TCaretState& before)
{
    const TCaretState& now = CaretData();
    if (before.Owner != nullptr && before.Owner->Peer() != nullptr && before.Drawn()) {
        const TRect r = before.Rect();
        before.Owner->Peer()->Invalidate(&r);
    }
    if (now.Owner != nullptr && now.Owner->Peer() != nullptr && now.Drawn()) {
        const TRect r = now.Rect();
        now.Owner->Peer()->Invalidate(&r);
    }
    if (IWindowSystem* ws = WindowSystem()) ws->CaretChanged();
}

}  // namespace

short GetKeyState(TKey key)
{
    const auto it = Keys().find(key);
    return it == Keys().end() ? 0 : it->second;
}

bool IsKeyDown(TKey key) { return (GetKeyState(key) & 0x8000) != 0; }

TShiftState KeyboardShiftState()
{
    TShiftState s;
    if (IsKeyDown(VK_SHIFT)) s.Include(ssShift);
    if (IsKeyDown(VK_CONTROL)) s.Include(ssCtrl);
    if (IsKeyDown(VK_MENU)) s.Include(ssAlt);
    if (IsKeyDown(VK_LBUTTON)) s.Include(ssLeft);
    if (IsKeyDown(VK_RBUTTON)) s.Include(ssRight);
    if (IsKeyDown(VK_MBUTTON)) s.Include(ssMiddle);
    return s;
}

void SetKeyState(TKey key, bool down)
{
    short& state = Keys()[key];
    const bool wasDown = (state & 0x8000) != 0;
    short toggled = static_cast<short>(state & 1);
    if (down && !wasDown) toggled ^= 1;
    state = static_cast<short>((down ? 0x8000 : 0) | toggled);
}

void ResetKeyState() { Keys().clear(); }

namespace {
TPoint& CursorPosition()
{
    static TPoint p;
    return p;
}
}  // namespace

TPoint GetCursorPos() { return CursorPosition(); }

void SetCursorPos(TPoint p) { CursorPosition() = p; }

TControl* GetCaptureControl() { return Capture(); }

void SetCaptureControl(TControl* control)
{
    TControl* old = Capture();
    if (old == control) return;
    Capture() = control;
    if (old != nullptr && old->Peer() != nullptr) old->Peer()->SetMouseCapture(false);
    if (control != nullptr && control->Peer() != nullptr) control->Peer()->SetMouseCapture(true);
    // A control in the middle of a drag learns that its capture has gone.
    if (old != nullptr) old->Perform(WM_CAPTURECHANGED, 0, 0);
}

bool CreateCaret(TWinControl* owner, int width, int height)
{
    if (owner == nullptr) return false;
    const TCaretState before = CaretData();
    TCaretState& c = CaretData();
    c.Owner = owner;
    c.Width = width > 0 ? width : 2;
    c.Height = height;
    c.Pos = {};
    c.HideCount = 1;
    c.BlinkOn = true;
    CaretMoved(before);
    return true;
}

bool DestroyCaret()
{
    if (CaretData().Owner == nullptr) return false;
    const TCaretState before = CaretData();
    CaretData() = {};
    CaretMoved(before);
    return true;
}

bool ShowCaret(TWinControl* owner)
{
    TCaretState& c = CaretData();
    if (owner == nullptr || c.Owner != owner || c.HideCount == 0) return false;
    const TCaretState before = c;
    --c.HideCount;
    c.BlinkOn = true;
    CaretMoved(before);
    return true;
}

bool HideCaret(TWinControl* owner)
{
    TCaretState& c = CaretData();
    if (owner == nullptr || c.Owner != owner) return false;
    const TCaretState before = c;
    ++c.HideCount;
    CaretMoved(before);
    return true;
}

bool SetCaretPos(int x, int y)
{
    TCaretState& c = CaretData();
    if (c.Owner == nullptr) return false;
    if (c.Pos == TPoint{x, y}) return true;
    const TCaretState before = c;
    c.Pos = {x, y};
    c.BlinkOn = true;
    CaretMoved(before);
    return true;
}

const TCaretState& Caret() { return CaretData(); }

int CaretBlinkTime() { return BlinkTime(); }

void SetCaretBlinkTime(int ms) { BlinkTime() = ms > 0 ? ms : 530; }

namespace {

std::optional<std::int64_t>& MessageTime()
{
    static std::optional<std::int64_t> ms;
    return ms;
}

int& DoubleClickTime()
{
    static int ms = 500;
    return ms;
}

}  // namespace

std::int64_t GetMessageTime()
{
    if (MessageTime()) return *MessageTime();
    static const auto started = std::chrono::steady_clock::now();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
}

void SetMessageTime(std::int64_t ms) { MessageTime() = ms; }

int GetDoubleClickTime() { return DoubleClickTime(); }

void SetDoubleClickTime(int ms) { DoubleClickTime() = ms > 0 ? ms : 500; }

void ToggleCaretBlink()
{
    TCaretState& c = CaretData();
    if (!c.Visible()) return;
    c.BlinkOn = !c.BlinkOn;
    if (c.Owner->Peer() != nullptr) {
        const TRect r = c.Rect();
        c.Owner->Peer()->Invalidate(&r);
    }
}

void ForgetControlInput(TControl* control)
{
    if (Capture() == control) Capture() = nullptr;
    if (CaretData().Owner == control) CaretData() = {};
}

bool TakeWaitingKeyPress(TKey key)
{
    IWindowSystem* system = WindowSystem();
    return system != nullptr && system->TakeWaitingKeyPress(key);
}

}  // namespace ui
