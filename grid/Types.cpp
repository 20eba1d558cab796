#include "grid/Types.h"

#include "grid/Intl.h"

namespace grid {

GW_IMPLEMENT_CLASS(TgkFormPosition, classes::TPersistent)
{
    p.Integer("Left", [](const TgkFormPosition& o) { return o.Left; }, [](TgkFormPosition& o, int v) { o.Left = v; });
    p.Integer("Top", [](const TgkFormPosition& o) { return o.Top; }, [](TgkFormPosition& o, int v) { o.Top = v; });
    p.Integer("Width", [](const TgkFormPosition& o) { return o.Width; }, [](TgkFormPosition& o, int v) { o.Width = v; });
    p.Integer("Height", [](const TgkFormPosition& o) { return o.Height; },
              [](TgkFormPosition& o, int v) { o.Height = v; });
}

void TgkFormPosition::Assign(const classes::TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TgkFormPosition*>(&source)) {
        Left = other->Left;
        Top = other->Top;
        Width = other->Width;
        Height = other->Height;
        return;
    }
    TPersistent::Assign(source);
}

int gkFilterMemoSize()
{
    return gkIntlDefault().FilterMemoSize;
}

}  // namespace grid
