#include "platform/ui/Types.h"

#include <string>

#include "platform/rtl/Exceptions.h"

namespace ui {

void ListIndexError(int index)
{
    throw rtl::EListError("List index out of bounds (" + std::to_string(index) + ")");
}

const classes::TEnumInfo& AlignInfo()
{
    static const classes::TEnumInfo info{"TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}};
    return info;
}

const classes::TEnumInfo& AnchorInfo()
{
    static const classes::TEnumInfo info{"TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"}};
    return info;
}

const classes::TEnumInfo& TextLayoutInfo()
{
    static const classes::TEnumInfo info{"TTextLayout", {"tlTop", "tlCenter", "tlBottom"}};
    return info;
}

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

const classes::TEnumInfo& DragKindInfo()
{
    static const classes::TEnumInfo info{"TDragKind", {"dkDrag", "dkDock"}};
    return info;
}

}  // namespace ui
