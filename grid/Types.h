#pragma once
// Small shared types of the grid library.

#include "platform/classes/Persistent.h"

namespace grid {

// The remembered geometry of a library dialog; all 0 means "not set" (the dialog keeps its
// designed size and is centred). Published so that the controls owning one store it.
class TgkFormPosition : public classes::TPersistent {
    GW_CLASS(TgkFormPosition)

public:
    TgkFormPosition() = default;
    TgkFormPosition(int left, int top, int width, int height)
        : Left(left), Top(top), Width(width), Height(height) {}

    void Assign(const classes::TPersistent& source) override;
    bool operator==(const TgkFormPosition& other) const
    {
        return Left == other.Left && Top == other.Top && Width == other.Width && Height == other.Height;
    }

    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// Size of the data sets' filter buffers: the global TgkIntl's FilterMemoSize.
int gkFilterMemoSize();

}  // namespace grid
