#include "grid/IndicatorButton.h"

#include <algorithm>

#include "grid/DBGrid.h"
#include "platform/classes/ClassRegistry.h"

namespace grid {

GW_IMPLEMENT_CLASS(TgkIButton, ui::TSpeedButton) {}

TgkIButton::TgkIButton(classes::TComponent* owner) : TSpeedButton(owner) {}

void TgkIButton::Loaded()
{
    TSpeedButton::Loaded();
    if (auto* grid = dynamic_cast<TgkCustomDBGrid*>(Parent())) {
        grid->SetIndicatorButton(this);
        grid->SetIndicatorWidth(Width() - 1);
    }
}

void TgkIButton::SetBounds(int left, int top, int width, int height)
{
    left = std::min(left, 0);
    top = std::min(top, 0);
    auto* grid = dynamic_cast<TgkCustomDBGrid*>(Parent());
    if (grid != nullptr && grid->UseRightToLeftGrid()) left = grid->ClientWidth() - width + 1;
    const bool resized = width != Width() || height != Height();
    TSpeedButton::SetBounds(left, top, width, height);
    if (resized && grid != nullptr && !Loading()) grid->SetIndicatorWidth(Width() - 1);
}

void RegisterIndicatorButtonClass() { classes::RegisterClasses<TgkIButton>(); }

}  // namespace grid
