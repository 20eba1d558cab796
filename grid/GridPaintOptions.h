#pragma once
// TgkGridPaintOptions: the grid's PaintOptions. It holds the background picture and how it
// is laid on the grid, the colours of alternating rows and of the active record, which
// areas take the picture, and the fast-scrolling switch; from these it prepares, once per
// change, a grid-sized background (in the grid's off-screen bitmap) and up to four tinted
// copies, which the grid's painting copies rectangles out of.
//
// Promises:
// - Setters store only changed values, mark the images out of date and invalidate the grid
//   (AlternatingRowRegions invalidates without marking; BackgroundOptions without a grid
//   only stores; BackgroundBitmap always marks, even for the same picture).
// - UpdateBackground rebuilds once per mark (or when forced) and clears the mark even when
//   the drawing raises. A picture counts only when both its width and its height are above
//   0; without one the background is plain white and every image is released.
// - Tinting (TintColor, gkBitmap.h) works on the pixels: each channel c of a pixel becomes
//   clamp(c - 128 + round(k / 2)) with k the colour's channel and halves rounded to even,
//   so white leaves a picture as it is and black darkens it by 128.
// - Screens count as 24 bits, so the images are always built when their options ask.

#include <memory>

#include "grid/gkBitmap.h"
#include "platform/classes/Persistent.h"
#include "platform/classes/Sets.h"
#include "platform/rtl/Colors.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Graphics.h"

namespace ui {
class TCustomGrid;
}

namespace grid {

enum TgkBackgroundDrawStyle { bdsTile, bdsStretch, bdsTopLeft, bdsCenter };
enum TgkAlternatingRowRegion { arrFixedColumns, arrDataColumns, arrActiveDataColumn };
using TgkAlternatingRowRegions = classes::TSet<TgkAlternatingRowRegion>;
enum TgkBackgroundOption { coFillDataCells, coBlendFixedRow, coBlendFixedColumn, coBlendActiveRecord, coBlendAlternatingRow };
using TgkBackgroundOptions = classes::TSet<TgkBackgroundOption>;

const classes::TEnumInfo& BackgroundDrawStyleInfo();
const classes::TEnumInfo& AlternatingRowRegionInfo();
const classes::TEnumInfo& BackgroundOptionInfo();

class TgkGridPaintOptions : public classes::TPersistent {
    GW_CLASS(TgkGridPaintOptions)

public:
    // `grid` may be nil (the options then only store); `gridBitmap` is the grid's off-screen
    // bitmap, which receives the grid-sized background.
    TgkGridPaintOptions(ui::TCustomGrid* grid, ui::TBitmap* gridBitmap);
    ~TgkGridPaintOptions() override;
    void Assign(const classes::TPersistent& source) override;
    classes::TPersistent* GetOwner() const override;

    rtl::TColor AlternatingRowColor() const noexcept { return alternatingRowColor_; }
    virtual void SetAlternatingRowColor(rtl::TColor color);
    rtl::TColor ActiveRecordColor() const noexcept { return activeRecordColor_; }
    virtual void SetActiveRecordColor(rtl::TColor color);
    TgkBackgroundOptions BackgroundOptions() const noexcept { return backgroundOptions_; }
    virtual void SetBackgroundOptions(TgkBackgroundOptions options);
    const ui::TPicture* BackgroundBitmap() const noexcept { return &picture_; }
    ui::TPicture* BackgroundBitmap() noexcept { return &picture_; }
    virtual void SetBackgroundBitmap(const ui::TPicture& picture);
    TgkBackgroundDrawStyle BackgroundDrawStyle() const noexcept { return drawStyle_; }
    virtual void SetBackgroundDrawStyle(TgkBackgroundDrawStyle style);
    TgkAlternatingRowRegions AlternatingRowRegions() const noexcept { return regions_; }
    virtual void SetAlternatingRowRegions(TgkAlternatingRowRegions regions);
    bool FastRecordScrolling = true;

    // Written by the grid from its TitleColor at every re-layout (no mark, no repaint).
    void SetFixedTints(rtl::TColor fixedColumnTint, rtl::TColor titleRowTint)
    {
        fixedColumnTint_ = fixedColumnTint;
        titleRowTint_ = titleRowTint;
    }
    bool OutOfDate() const noexcept { return outOfDate_; }
    void MarkOutOfDate() noexcept { outOfDate_ = true; }

    // Rebuilds the background and the images when marked (or always with `force`).
    void UpdateBackground(bool force);
    // The canvas of the grid's bitmap.
    virtual ui::TCanvas* GetCanvas();
    // The background copy exists and coFillDataCells is set.
    virtual bool FillsDataCells() const;
    // True when the picture counts: both sides above 0.
    bool HasPicture() const noexcept { return picture_.Width() > 0 && picture_.Height() > 0; }

    // The prepared images; nil when not in use.
    const ui::TBitmap* BackgroundCopy() const noexcept { return backgroundCopy_.get(); }
    const ui::TBitmap* AlternatingRowImage() const noexcept { return alternatingImage_.get(); }
    const ui::TBitmap* ActiveRecordImage() const noexcept { return activeImage_.get(); }
    const ui::TBitmap* FixedColumnImage() const noexcept { return fixedColumnImage_.get(); }
    const ui::TBitmap* TitleRowImage() const noexcept { return titleRowImage_.get(); }

private:
    void Touch();
    void DrawPicture(int controlWidth, int controlHeight);

    ui::TCustomGrid* grid_;
    ui::TBitmap* gridBitmap_;
    rtl::TColor alternatingRowColor_ = rtl::clNone;
    rtl::TColor activeRecordColor_ = rtl::clNone;
    TgkBackgroundOptions backgroundOptions_;
    ui::TPicture picture_;
    TgkBackgroundDrawStyle drawStyle_ = bdsTile;
    TgkAlternatingRowRegions regions_{arrFixedColumns, arrDataColumns, arrActiveDataColumn};
    bool outOfDate_ = false;
    rtl::TColor fixedColumnTint_ = rtl::clBtnFace;
    rtl::TColor titleRowTint_ = rtl::clBtnFace;
    std::unique_ptr<ui::TBitmap> backgroundCopy_;
    std::unique_ptr<ui::TBitmap> alternatingImage_;
    std::unique_ptr<ui::TBitmap> activeImage_;
    std::unique_ptr<ui::TBitmap> fixedColumnImage_;
    std::unique_ptr<ui::TBitmap> titleRowImage_;
};

}  // namespace grid
