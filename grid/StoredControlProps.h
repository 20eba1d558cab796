#pragma once
// Control properties the published grid keeps only so that stored forms keep them: the
// reading direction (BiDiMode, ParentBiDiMode), the 3D look (Ctl3D, ParentCtl3D), the input
// method (ImeMode, ImeName) and the size constraints. The window layer gives them no meaning
// here; each setter only stores its value and the text form reads and writes them.
// Right-to-left painting is built into the grid (UseRightToLeftGrid) but BiDiMode does not
// reach it, so it stays unreachable from a stored form.

#include <string>

#include "platform/classes/Persistent.h"
#include "platform/classes/TypInfo.h"

namespace grid {

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
                imSHanguel, imHanguel };
const classes::TEnumInfo& BiDiModeInfo();
const classes::TEnumInfo& ImeModeInfo();

// Minimum and maximum width and height (0: no limit).
class TgkSizeConstraints : public classes::TPersistent {
    GW_CLASS(TgkSizeConstraints)

public:
    TgkSizeConstraints() = default;
    void Assign(const classes::TPersistent& source) override;

    int MaxHeight() const noexcept { return maxHeight_; }
    void SetMaxHeight(int v) { maxHeight_ = v; }
    int MaxWidth() const noexcept { return maxWidth_; }
    void SetMaxWidth(int v) { maxWidth_ = v; }
    int MinHeight() const noexcept { return minHeight_; }
    void SetMinHeight(int v) { minHeight_ = v; }
    int MinWidth() const noexcept { return minWidth_; }
    void SetMinWidth(int v) { minWidth_ = v; }

private:
    int maxHeight_ = 0;
    int maxWidth_ = 0;
    int minHeight_ = 0;
    int minWidth_ = 0;
};

// The stored values, one set per published grid.
struct TgkStoredControlProps {
    TBiDiMode biDiMode = bdLeftToRight;
    bool parentBiDiMode = true;
    bool ctl3D = true;
    bool parentCtl3D = true;
    TImeMode imeMode = imDontCare;
    std::string imeName;
    TgkSizeConstraints constraints;
};

}  // namespace grid
