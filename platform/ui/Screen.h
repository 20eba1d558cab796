#pragma once
// The screen and the system sound as the component libraries reach them. The windowing
// backend installs the real answers when it starts; until then, and in tests that install
// their own, a beep makes no sound and the screen reports 96 pixels per inch.

#include <functional>

namespace ui {

// The default system sound (MessageBeep(0)).
void Beep();
// Logical pixels per inch of the screen; 96 is 100 % scaling.
int ScreenPixelsPerInch();

// The pixel height of a font of `pointSize` points on the screen (the magnitude of a font's
// Height): points × pixels per inch ÷ 72, rounded.
int FontPixelHeight(int pointSize);

// Width of a vertical scroll bar (height of a horizontal one) in pixels; 16 until the
// backend tells.
int ScrollBarExtent();

// Lines one wheel notch scrolls, the system's setting (-1: a page a notch); 3 until the
// backend tells.
int WheelScrollLines();

// Replaceable answers for the backend and for tests; each setter returns the previous one.
// An empty handler makes Beep silent; a value below 1 restores the default of 96.
std::function<void()> SetBeepHandler(std::function<void()> handler);
int SetScreenPixelsPerInch(int pixelsPerInch);
int SetScrollBarExtent(int pixels);
// 0 restores the default of 3.
int SetWheelScrollLines(int lines);

}  // namespace ui
