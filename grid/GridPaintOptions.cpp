#include "grid/GridPaintOptions.h"

#include <algorithm>
#include <cstdint>

#include "platform/classes/TypInfo.h"
#include "platform/ui/Grids.h"

namespace grid {

const classes::TEnumInfo& BackgroundDrawStyleInfo()
{
    static const classes::TEnumInfo info{"TgkBackgroundDrawStyle", {"bdsTile", "bdsStretch", "bdsTopLeft", "bdsCenter"}};
    return info;
}

const classes::TEnumInfo& AlternatingRowRegionInfo()
{
    static const classes::TEnumInfo info{"TgkAlternatingRowRegion",
                                         {"arrFixedColumns", "arrDataColumns", "arrActiveDataColumn"}};
    return info;
}

const classes::TEnumInfo& BackgroundOptionInfo()
{
    static const classes::TEnumInfo info{
        "TgkBackgroundOption",
        {"coFillDataCells", "coBlendFixedRow", "coBlendFixedColumn", "coBlendActiveRecord", "coBlendAlternatingRow"}};
    return info;
}

GW_IMPLEMENT_CLASS(TgkGridPaintOptions, classes::TPersistent)
{
    p.Object("BackgroundBitmap", [](const TgkGridPaintOptions& o) { return o.BackgroundBitmap(); });
    p.Enumeration("BackgroundDrawStyle", BackgroundDrawStyleInfo(), &TgkGridPaintOptions::BackgroundDrawStyle,
                  &TgkGridPaintOptions::SetBackgroundDrawStyle, bdsTile);
    p.Set("AlternatingRowRegions", AlternatingRowRegionInfo(), &TgkGridPaintOptions::AlternatingRowRegions,
          &TgkGridPaintOptions::SetAlternatingRowRegions,
          TgkAlternatingRowRegions{arrFixedColumns, arrDataColumns, arrActiveDataColumn});
    p.Boolean(
        "FastRecordScrolling", [](const TgkGridPaintOptions& o) { return o.FastRecordScrolling; },
        [](TgkGridPaintOptions& o, bool v) { o.FastRecordScrolling = v; }, true);
    p.Color("AlternatingRowColor", &TgkGridPaintOptions::AlternatingRowColor,
            &TgkGridPaintOptions::SetAlternatingRowColor, rtl::clNone);
    p.Color("ActiveRecordColor", &TgkGridPaintOptions::ActiveRecordColor, &TgkGridPaintOptions::SetActiveRecordColor,
            rtl::clNone);
    p.Set("BackgroundOptions", BackgroundOptionInfo(), &TgkGridPaintOptions::BackgroundOptions,
          &TgkGridPaintOptions::SetBackgroundOptions);
}

TgkGridPaintOptions::TgkGridPaintOptions(ui::TCustomGrid* grid, ui::TBitmap* gridBitmap)
    : grid_(grid), gridBitmap_(gridBitmap)
{
    // A picture loaded in place takes effect at the next rebuild something else starts.
    picture_.OnChange = [] {};
}

TgkGridPaintOptions::~TgkGridPaintOptions() = default;

classes::TPersistent* TgkGridPaintOptions::GetOwner() const { return grid_; }

void TgkGridPaintOptions::Assign(const classes::TPersistent& source)
{
    const auto* s = dynamic_cast<const TgkGridPaintOptions*>(&source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetBackgroundBitmap(s->picture_);
    SetBackgroundDrawStyle(s->drawStyle_);
    SetAlternatingRowRegions(s->regions_);
    FastRecordScrolling = s->FastRecordScrolling;
    SetAlternatingRowColor(s->alternatingRowColor_);
    SetActiveRecordColor(s->activeRecordColor_);
    SetBackgroundOptions(s->backgroundOptions_);
}

void TgkGridPaintOptions::Touch()
{
    outOfDate_ = true;
    if (grid_ != nullptr) grid_->Invalidate();
}

void TgkGridPaintOptions::SetAlternatingRowColor(rtl::TColor color)
{
    if (color == alternatingRowColor_) return;
    alternatingRowColor_ = color;
    Touch();
}

void TgkGridPaintOptions::SetActiveRecordColor(rtl::TColor color)
{
    if (color == activeRecordColor_) return;
    activeRecordColor_ = color;
    Touch();
}

void TgkGridPaintOptions::SetBackgroundDrawStyle(TgkBackgroundDrawStyle style)
{
    if (style == drawStyle_) return;
    drawStyle_ = style;
    Touch();
}

void TgkGridPaintOptions::SetBackgroundOptions(TgkBackgroundOptions options)
{
    if (options == backgroundOptions_) return;
    backgroundOptions_ = options;
    if (grid_ != nullptr) Touch();
}

void TgkGridPaintOptions::SetBackgroundBitmap(const ui::TPicture& picture)
{
    if (&picture != &picture_) picture_.Assign(picture);
    if (grid_ != nullptr) Touch();
}

void TgkGridPaintOptions::SetAlternatingRowRegions(TgkAlternatingRowRegions regions)
{
    if (regions == regions_) return;
    regions_ = regions;
    if (grid_ != nullptr) grid_->Invalidate();
}

ui::TCanvas* TgkGridPaintOptions::GetCanvas() { return gridBitmap_ != nullptr ? gridBitmap_->Canvas() : nullptr; }

bool TgkGridPaintOptions::FillsDataCells() const
{
    return backgroundCopy_ != nullptr && backgroundOptions_.Contains(coFillDataCells);
}

void TgkGridPaintOptions::DrawPicture(int controlWidth, int controlHeight)
{
    ui::TBitmap& target = *gridBitmap_;
    const int w = picture_.Width(), h = picture_.Height();
    // The picture's pixels at (x, y), scaled from w x h to dw x dh (nearest pixel).
    const auto put = [&](int x0, int y0, int dw, int dh) {
        for (int dy = 0; dy < dh; ++dy) {
            const int ty = y0 + dy;
            if (ty < 0 || ty >= target.Height()) continue;
            std::uint32_t* row = target.ScanLine(ty);
            const int sy = static_cast<int>(static_cast<long long>(dy) * h / dh);
            for (int dx = 0; dx < dw; ++dx) {
                const int tx = x0 + dx;
                if (tx < 0 || tx >= target.Width()) continue;
                const int sx = static_cast<int>(static_cast<long long>(dx) * w / dw);
                const std::uint32_t p = picture_.Pixel(sx, sy);
                if ((p >> 24) >= 0x80) row[tx] = p | 0xFF000000u;
            }
        }
    };
    switch (drawStyle_) {
    case bdsTile:
        for (int i = 0; i <= controlWidth / w; ++i)
            for (int j = 0; j <= controlHeight / h; ++j) put(i * w, j * h, w, h);
        break;
    case bdsStretch: put(0, 0, target.Width(), target.Height()); break;
    case bdsTopLeft: put(0, 0, w, h); break;
    case bdsCenter: put((controlWidth - w) / 2, (controlHeight - h) / 2, w, h); break;
    }
}

void TgkGridPaintOptions::UpdateBackground(bool force)
{
    if (!force && !outOfDate_) return;
    struct TClearMark {
        bool& mark;
        ~TClearMark() { mark = false; }
    } clearMark{outOfDate_};
    if (grid_ == nullptr || gridBitmap_ == nullptr) return;
    const int width = grid_->ClientWidth(), height = grid_->ClientHeight();
    gridBitmap_->SetSize(width, height);
    gridBitmap_->Canvas()->Brush()->SetColor(rtl::clWhite);
    gridBitmap_->Fill(rtl::clWhite);
    const bool present = HasPicture();
    if (present && width > 0 && height > 0) DrawPicture(grid_->Width(), grid_->Height());

    const auto copyOf = [this](int w, int h) {
        auto image = std::make_unique<ui::TBitmap>(w, h);
        for (int y = 0; y < h && y < gridBitmap_->Height(); ++y)
            std::copy_n(gridBitmap_->ScanLine(y), std::min(w, gridBitmap_->Width()), image->ScanLine(y));
        return image;
    };
    backgroundCopy_ = present ? copyOf(width, height) : nullptr;
    if (activeRecordColor_ != rtl::clNone && present && backgroundOptions_.Contains(coBlendActiveRecord)) {
        activeImage_ = copyOf(width, height);
        TintColor(*activeImage_, activeRecordColor_);
    } else {
        activeImage_.reset();
    }
    if (alternatingRowColor_ != rtl::clNone && !regions_.Empty() && present &&
        backgroundOptions_.Contains(coBlendAlternatingRow)) {
        alternatingImage_ = copyOf(width, height);
        TintColor(*alternatingImage_, alternatingRowColor_);
    } else {
        alternatingImage_.reset();
    }
    if (present && backgroundOptions_.Contains(coBlendFixedRow)) {
        titleRowImage_ = copyOf(width, grid_->RowHeights(0));
        TintColor(*titleRowImage_, titleRowTint_);
    } else {
        titleRowImage_.reset();
    }
    if (present && backgroundOptions_.Contains(coBlendFixedColumn)) {
        fixedColumnImage_ = copyOf(width, height);
        if (grid_->FixedColor() != rtl::clNone) TintColor(*fixedColumnImage_, fixedColumnTint_);
    } else {
        fixedColumnImage_.reset();
    }
}

}  // namespace grid
