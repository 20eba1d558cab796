#pragma once
// Small value types and codes shared by every part of the windowing layer: points and
// rectangles, alignment and anchors, mouse buttons and shift states, key codes, cursors and
// the modal results of forms and dialogs.

#include <cstdint>

#include "platform/classes/Alignment.h"
#include "platform/classes/Sets.h"
#include "platform/classes/TypInfo.h"

namespace ui {

struct TPoint {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const noexcept { return Right - Left; }
    int Height() const noexcept { return Bottom - Top; }
    bool Contains(TPoint p) const noexcept { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Bounds(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

// Where a control sticks inside its parent.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = classes::TSet<TAnchorKind>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = classes::TSet<TShiftStateFlag>;

using classes::TAlignment;
using classes::taLeftJustify;
using classes::taRightJustify;
using classes::taCenter;
enum TTextLayout { tlTop, tlCenter, tlBottom };

// Cursor shapes (the class library's numbering).
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// Modal results of forms, buttons and the message dialog.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

// Virtual key codes as keyboard events carry them (letters and digits are their upper-case
// ASCII codes).
using TKey = unsigned short;
constexpr TKey VK_BACK = 0x08;
constexpr TKey VK_TAB = 0x09;
constexpr TKey VK_RETURN = 0x0D;
constexpr TKey VK_SHIFT = 0x10;
constexpr TKey VK_CONTROL = 0x11;
constexpr TKey VK_MENU = 0x12;
constexpr TKey VK_ESCAPE = 0x1B;
constexpr TKey VK_SPACE = 0x20;
constexpr TKey VK_PRIOR = 0x21;
constexpr TKey VK_NEXT = 0x22;
constexpr TKey VK_END = 0x23;
constexpr TKey VK_HOME = 0x24;
constexpr TKey VK_LEFT = 0x25;
constexpr TKey VK_UP = 0x26;
constexpr TKey VK_RIGHT = 0x27;
constexpr TKey VK_DOWN = 0x28;
constexpr TKey VK_INSERT = 0x2D;
constexpr TKey VK_DELETE = 0x2E;
constexpr TKey VK_F1 = 0x70;
constexpr TKey VK_F2 = 0x71;
constexpr TKey VK_F3 = 0x72;
constexpr TKey VK_F4 = 0x73;
constexpr TKey VK_F5 = 0x74;
constexpr TKey VK_F6 = 0x75;
constexpr TKey VK_F7 = 0x76;
constexpr TKey VK_F8 = 0x77;
constexpr TKey VK_F9 = 0x78;
constexpr TKey VK_F10 = 0x79;
constexpr TKey VK_F11 = 0x7A;
constexpr TKey VK_F12 = 0x7B;

// A menu or action shortcut: a key code plus the modifier bits below.
using TShortCut = int;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

// Events common to many controls. Handlers are methods of the form taking these
// arguments, bound by name from the form description.
using classes::TNotifyEvent;
using TMouseEvent = classes::TEvent<classes::TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = classes::TEvent<classes::TObject*, TShiftState, int, int>;
using TKeyEvent = classes::TEvent<classes::TObject*, TKey&, TShiftState>;
using TKeyPressEvent = classes::TEvent<classes::TObject*, char&>;

// Raises EListError "List index out of bounds (<index>)", as every list of this layer does.
[[noreturn]] void ListIndexError(int index);

// Reading order and input-method modes. The layer lays every text out left to right and has
// no input-method control, so these are kept only for what stored forms hold: a control
// publishes them so a form reads and writes back unchanged.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
                imSHanguel, imHanguel };

// Enumeration name tables of the types above, for published properties.
const classes::TEnumInfo& AlignInfo();
const classes::TEnumInfo& AnchorInfo();
using classes::AlignmentInfo;
const classes::TEnumInfo& TextLayoutInfo();
const classes::TEnumInfo& BiDiModeInfo();
const classes::TEnumInfo& ImeModeInfo();
// Dragging a control moves data (dkDrag) or docks the control (dkDock; kept, not acted on).
enum TDragKind { dkDrag, dkDock };
const classes::TEnumInfo& DragKindInfo();

}  // namespace ui
