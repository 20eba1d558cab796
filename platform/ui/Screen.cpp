#include "platform/ui/Screen.h"

#include <cstdlib>
#include <utility>

namespace ui {

namespace {

constexpr int DefaultPixelsPerInch = 96;

std::function<void()>& BeepHandler()
{
    static std::function<void()> handler;
    return handler;
}

int& PixelsPerInch()
{
    static int pixelsPerInch = DefaultPixelsPerInch;
    return pixelsPerInch;
}

int& ScrollBarPixels()
{
    static int pixels = 16;
    return pixels;
}

int& WheelLines()
{
    static int lines = 3;
    return lines;
}

}  // namespace

int WheelScrollLines() { return WheelLines(); }

int SetWheelScrollLines(int lines) { return std::exchange(WheelLines(), lines != 0 ? lines : 3); }

int ScrollBarExtent() { return ScrollBarPixels(); }

int SetScrollBarExtent(int pixels) { return std::exchange(ScrollBarPixels(), pixels >= 1 ? pixels : 16); }

void Beep()
{
    if (const auto& handler = BeepHandler()) handler();
}

int FontPixelHeight(int pointSize)
{
    const long long scaled = static_cast<long long>(std::abs(pointSize)) * ScreenPixelsPerInch();
    return static_cast<int>((scaled + 36) / 72);
}

int ScreenPixelsPerInch()
{
    return PixelsPerInch();
}

std::function<void()> SetBeepHandler(std::function<void()> handler)
{
    return std::exchange(BeepHandler(), std::move(handler));
}

int SetScreenPixelsPerInch(int pixelsPerInch)
{
    return std::exchange(PixelsPerInch(), pixelsPerInch >= 1 ? pixelsPerInch : DefaultPixelsPerInch);
}

}  // namespace ui
