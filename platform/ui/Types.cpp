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

}  // namespace ui
