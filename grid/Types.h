#pragma once
// Small shared types of the grid library.

namespace grid {

// The remembered geometry of a library dialog; all 0 means "not set" (the dialog keeps its
// designed size and is centred).
struct TgkFormPosition {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;

    bool operator==(const TgkFormPosition&) const = default;
};

// Size of the data sets' filter buffers: the global TgkIntl's FilterMemoSize.
int gkFilterMemoSize();

}  // namespace grid
