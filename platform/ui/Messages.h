#pragma once
// Window messages as controls receive them through Dispatch (see TControl::Dispatch): the
// codes, the parameter conventions and small helpers to pack and unpack them. The numbering
// follows the old desktop's, so that code written against it reads the same.
//
// Parameters (x, y are client coordinates; a TShiftState travels as its bits):
//   WM_PAINT, WM_ERASEBKGND   wParam: TCanvas* to paint into, 0 = the control's window
//                             (WM_PAINT then paints the invalid area: BeginPaint tells it)
//   WM_SIZE                   lParam: MakeLParam(client width, client height)
//   WM_KEYDOWN, WM_KEYUP      wParam: key code (TKey); lParam: shift state bits
//   WM_CHAR                   wParam: the character typed, as a Unicode code point
//   mouse buttons, WM_MOUSEMOVE  wParam: MK_ flags; lParam: MakeLParam(x, y)
//   WM_MOUSEWHEEL             wParam: MakeWParam(MK_ flags, delta in 120ths); lParam: screen point
//   WM_SETFOCUS, WM_KILLFOCUS wParam: the other control (TControl*), 0 when none or unknown
//   WM_VSCROLL, WM_HSCROLL    wParam: MakeWParam(SB_ code, position for the thumb codes)
//   WM_TIMER                  wParam: the timer's id
//   WM_SETCURSOR              wParam: the control under the mouse (TControl*);
//                             lParam: MakeLParam(hit-test code, mouse message)
//   WM_GETDLGCODE             result: DLGC_ bits
//   CM_DRAG*                  see TControl's drag and drop

#include <cstdint>
#include <string_view>

#include "platform/ui/MessageQueue.h"

namespace ui {

constexpr unsigned WM_NULL = 0x0000;
constexpr unsigned WM_SIZE = 0x0005;
constexpr unsigned WM_SETFOCUS = 0x0007;
constexpr unsigned WM_KILLFOCUS = 0x0008;
constexpr unsigned WM_ENABLE = 0x000A;
constexpr unsigned WM_SETREDRAW = 0x000B;
constexpr unsigned WM_PAINT = 0x000F;
constexpr unsigned WM_ERASEBKGND = 0x0014;
constexpr unsigned WM_SETCURSOR = 0x0020;
constexpr unsigned WM_GETDLGCODE = 0x0087;
constexpr unsigned WM_KEYDOWN = 0x0100;
constexpr unsigned WM_KEYUP = 0x0101;
constexpr unsigned WM_CHAR = 0x0102;
constexpr unsigned WM_TIMER = 0x0113;
constexpr unsigned WM_HSCROLL = 0x0114;
constexpr unsigned WM_VSCROLL = 0x0115;
// The control that held the mouse capture lost it (another took it, or it was released).
constexpr unsigned WM_CAPTURECHANGED = 0x0215;
constexpr unsigned WM_MOUSEMOVE = 0x0200;
constexpr unsigned WM_LBUTTONDOWN = 0x0201;
constexpr unsigned WM_LBUTTONUP = 0x0202;
constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
constexpr unsigned WM_RBUTTONDOWN = 0x0204;
constexpr unsigned WM_RBUTTONUP = 0x0205;
constexpr unsigned WM_RBUTTONDBLCLK = 0x0206;
constexpr unsigned WM_MBUTTONDOWN = 0x0207;
constexpr unsigned WM_MBUTTONUP = 0x0208;
constexpr unsigned WM_MBUTTONDBLCLK = 0x0209;
constexpr unsigned WM_MOUSEWHEEL = 0x020A;
constexpr unsigned WM_CUT = 0x0300;
constexpr unsigned WM_COPY = 0x0301;
constexpr unsigned WM_PASTE = 0x0302;
constexpr unsigned WM_CLEAR = 0x0303;
constexpr unsigned WM_UNDO = 0x0304;

// Notifications of the class library (sent by a control to itself).
constexpr unsigned CM_BASE = 0xB000;
constexpr unsigned CM_ENABLEDCHANGED = CM_BASE + 3;
constexpr unsigned CM_FONTCHANGED = CM_BASE + 8;
constexpr unsigned CM_COLORCHANGED = CM_BASE + 9;
constexpr unsigned CM_MOUSEENTER = CM_BASE + 19;
constexpr unsigned CM_MOUSELEAVE = CM_BASE + 20;
constexpr unsigned CM_TEXTCHANGED = CM_BASE + 18;
constexpr unsigned CM_ENTER = CM_BASE + 27;
constexpr unsigned CM_EXIT = CM_BASE + 28;
constexpr unsigned CM_CTL3DCHANGED = CM_BASE + 15;
constexpr unsigned CM_VISIBLECHANGED = CM_BASE + 11;
// Sent to each windowed control whose Showing changed because it or a parent was shown or
// hidden (after the change).
constexpr unsigned CM_SHOWINGCHANGED = CM_BASE + 57;

// Scroll-bar codes (low word of wParam of WM_VSCROLL / WM_HSCROLL).
constexpr int SB_LINEUP = 0;
constexpr int SB_LINELEFT = 0;
constexpr int SB_LINEDOWN = 1;
constexpr int SB_LINERIGHT = 1;
constexpr int SB_PAGEUP = 2;
constexpr int SB_PAGELEFT = 2;
constexpr int SB_PAGEDOWN = 3;
constexpr int SB_PAGERIGHT = 3;
constexpr int SB_THUMBPOSITION = 4;
constexpr int SB_THUMBTRACK = 5;
constexpr int SB_TOP = 6;
constexpr int SB_LEFT = 6;
constexpr int SB_BOTTOM = 7;
constexpr int SB_RIGHT = 7;
constexpr int SB_ENDSCROLL = 8;

// Which scroll bar.
enum TScrollBarKind { sbHorizontal, sbVertical };

// WM_GETDLGCODE answers.
constexpr int DLGC_WANTARROWS = 0x0001;
constexpr int DLGC_WANTTAB = 0x0002;
constexpr int DLGC_WANTALLKEYS = 0x0004;
constexpr int DLGC_HASSETSEL = 0x0008;
constexpr int DLGC_WANTCHARS = 0x0080;

// Mouse message key flags.
constexpr int MK_LBUTTON = 0x0001;
constexpr int MK_RBUTTON = 0x0002;
constexpr int MK_SHIFT = 0x0004;
constexpr int MK_CONTROL = 0x0008;
constexpr int MK_MBUTTON = 0x0010;

// Hit-test codes of WM_SETCURSOR.
constexpr int HTCLIENT = 1;

// One notch of the mouse wheel.
constexpr int WHEEL_DELTA = 120;

// ---- Registered messages -----------------------------------------------------------------
// A message number given out by name (RegisterWindowMessage), for messages that components
// of different libraries agree on by name alone. The same name (letter case ignored) always
// gets the same number, from 0xC000 up; an empty name gets 0, which is no message.
constexpr unsigned WM_FIRST_REGISTERED = 0xC000;
unsigned RegisterWindowMessage(std::string_view name);

// ---- Packing -----------------------------------------------------------------------------

constexpr std::intptr_t MakeLParam(int low, int high)
{
    return static_cast<std::intptr_t>(static_cast<std::int32_t>(
        (static_cast<std::uint32_t>(static_cast<std::uint16_t>(low))) |
        (static_cast<std::uint32_t>(static_cast<std::uint16_t>(high)) << 16)));
}
constexpr std::intptr_t MakeWParam(int low, int high) { return MakeLParam(low, high); }
// The low and high words, as unsigned and as signed values (coordinates are signed).
constexpr int LoWord(std::intptr_t v) { return static_cast<int>(static_cast<std::uint16_t>(v & 0xFFFF)); }
constexpr int HiWord(std::intptr_t v) { return static_cast<int>(static_cast<std::uint16_t>((v >> 16) & 0xFFFF)); }
constexpr int SignedLoWord(std::intptr_t v) { return static_cast<int>(static_cast<std::int16_t>(v & 0xFFFF)); }
constexpr int SignedHiWord(std::intptr_t v) { return static_cast<int>(static_cast<std::int16_t>((v >> 16) & 0xFFFF)); }

inline TMessage MakeMessage(unsigned msg, std::intptr_t wParam = 0, std::intptr_t lParam = 0)
{
    TMessage m;
    m.Msg = msg;
    m.WParam = wParam;
    m.LParam = lParam;
    return m;
}

}  // namespace ui
