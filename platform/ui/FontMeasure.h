#pragma once
// Measuring text in one font, for layout code that has to run without a display: line
// wrapping, caret placement and hit tests ask an IFontMeasure instead of a canvas. The
// windowing layer measures real fonts through it; TFixedWidthMeasure stands in for a font in
// headless tests.

#include "platform/rtl/SysUtils.h"

#include <string_view>

namespace ui {

// The metrics of a font, in pixels.
struct TFontMetrics {
    int Height = 0;           // ascent + descent
    int Ascent = 0;
    int Descent = 0;
    int InternalLeading = 0;
    int AveCharWidth = 0;
    int MaxCharWidth = 0;
};

class IFontMeasure {
public:
    virtual ~IFontMeasure() = default;
    // Width of a run of UTF-8 text drawn in one call. A tab is measured as any other
    // character: tab stops are the caller's business.
    virtual int TextWidth(std::string_view utf8) = 0;
    virtual TFontMetrics Metrics() = 0;
};

// A font in which every character (every UTF-8 sequence, tabs and control characters
// included) is `charWidth` pixels wide. It counts what it was asked, so tests can check how
// much text a layout pass measured.
class TFixedWidthMeasure : public IFontMeasure {
public:
    explicit TFixedWidthMeasure(int charWidth = 8, int height = 16, int descent = 4)
        : charWidth_(charWidth), height_(height), descent_(descent) {}

    int TextWidth(std::string_view utf8) override
    {
        ++calls_;
        const auto chars = static_cast<long long>(rtl::Utf8CharCount(utf8));
        measuredChars_ += chars;
        return static_cast<int>(chars * charWidth_);
    }

    TFontMetrics Metrics() override
    {
        TFontMetrics m;
        m.Height = height_;
        m.Descent = descent_;
        m.Ascent = height_ - descent_;
        m.AveCharWidth = charWidth_;
        m.MaxCharWidth = charWidth_;
        return m;
    }

    int CharWidth() const noexcept { return charWidth_; }
    long long Calls() const noexcept { return calls_; }
    long long MeasuredChars() const noexcept { return measuredChars_; }
    void ResetCounters() noexcept { calls_ = 0; measuredChars_ = 0; }

private:
    int charWidth_;
    int height_;
    int descent_;
    long long calls_ = 0;
    long long measuredChars_ = 0;
};

}  // namespace ui
