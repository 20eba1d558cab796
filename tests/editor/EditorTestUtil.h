#pragma once
// Shared pieces of the editor tests: a headless window (fixed-width font, hand-delivered
// message queue, a clock that only moves when told) and text helpers.

#include "editor/TextMemo.h"
#include "editor/TextMemoStrings.h"

#include "platform/ui/FontMeasure.h"
#include "platform/ui/MessageQueue.h"

#include <string>
#include <vector>

namespace editor::test {

// Every character 8 pixels wide, lines 16 + 1 pixels high.
struct FakeWindow {
    ui::TFixedWidthMeasure font{8, 16, 4};
    TOneFontMeasure canvas{font};
    ui::TManualMessageQueue queue;
    std::int64_t now = 0;

    // Attaches `memo` with a client area `width` pixels wide (margins included) and a clock
    // that advances `msPerTick` milliseconds every time it is read.
    void Attach(TTextMemo& memo, int width, int height = 170, int msPerTick = 0)
    {
        memo.SetTickSource([this, msPerTick] { return now += msPerTick; });
        memo.AttachWindow(canvas, width, height, queue);
    }
};

// The display lines of paragraph `p` as texts.
inline std::vector<std::string> LinesOf(TTextMemo& memo, int p)
{
    std::vector<std::string> out;
    TParagraphRec& rec = memo.Paragraph(p);
    TLinesList lines(rec);
    for (int j = 0; j < lines.Count(); ++j)
        out.push_back(rec.Text.substr(static_cast<std::size_t>(lines[j].Start),
                                      static_cast<std::size_t>(lines[j].Stop - lines[j].Start)));
    return out;
}

inline std::vector<std::string> ParagraphTexts(TTextMemo& memo)
{
    std::vector<std::string> out;
    for (int p = 0; p < memo.ParagraphCount(); ++p) out.push_back(memo.Paragraph(p).Text);
    return out;
}

using Strings = std::vector<std::string>;

}  // namespace editor::test
