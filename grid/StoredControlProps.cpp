#include "grid/StoredControlProps.h"

namespace grid {

const classes::TEnumInfo& BiDiModeInfo()
{
    static const classes::TEnumInfo info{
        "TBiDiMode", {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"}};
    return info;
}

const classes::TEnumInfo& ImeModeInfo()
{
    static const classes::TEnumInfo info{"TImeMode",
                                         {"imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha", "imAlpha",
                                          "imHira", "imSKata", "imKata", "imChinese", "imSHanguel", "imHanguel"}};
    return info;
}

GW_IMPLEMENT_CLASS(TgkSizeConstraints, classes::TPersistent)
{
    using C = TgkSizeConstraints;
    p.Integer("MaxHeight", &C::MaxHeight, &C::SetMaxHeight, 0);
    p.Integer("MaxWidth", &C::MaxWidth, &C::SetMaxWidth, 0);
    p.Integer("MinHeight", &C::MinHeight, &C::SetMinHeight, 0);
    p.Integer("MinWidth", &C::MinWidth, &C::SetMinWidth, 0);
}

void TgkSizeConstraints::Assign(const classes::TPersistent& source)
{
    const auto* s = dynamic_cast<const TgkSizeConstraints*>(&source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    maxHeight_ = s->maxHeight_;
    maxWidth_ = s->maxWidth_;
    minHeight_ = s->minHeight_;
    minWidth_ = s->minWidth_;
}

}  // namespace grid
