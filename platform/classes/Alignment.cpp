#include "platform/classes/Alignment.h"

namespace classes {

const TEnumInfo& AlignmentInfo()
{
    static const TEnumInfo info{"TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}};
    return info;
}

}  // namespace classes
