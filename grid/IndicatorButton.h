#pragma once
// TgkIButton: the speed button placed on the grid's top-left fixed cell (over the indicator
// column's title). It keeps to that corner and, when its size changes, makes the grid's
// indicator column one pixel narrower than itself.

#include "platform/ui/StdCtrls.h"

namespace grid {

class TgkIButton : public ui::TSpeedButton {
    GW_CLASS(TgkIButton)

public:
    explicit TgkIButton(classes::TComponent* owner);
    void Loaded() override;
    // Left and top are cut to at most 0; in a right-to-left grid the button sits at the
    // right end.
    void SetBounds(int left, int top, int width, int height) override;
};

void RegisterIndicatorButtonClass();

}  // namespace grid
