#include "grid/Types.h"

#include "grid/Intl.h"

namespace grid {

int gkFilterMemoSize()
{
    return gkIntlDefault().FilterMemoSize;
}

}  // namespace grid
