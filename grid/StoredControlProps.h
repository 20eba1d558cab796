#pragma once
// Control properties the published grid keeps only so that stored forms keep them: the
// reading direction (BiDiMode, ParentBiDiMode), the 3D look (Ctl3D, ParentCtl3D), the input
// method (ImeMode, ImeName) and the size constraints. The window layer gives them no meaning
// here; each setter only stores its value and the text form reads and writes them.
// Right-to-left painting is built into the grid (UseRightToLeftGrid) but BiDiMode does not
// reach it, so it stays unreachable from a stored form.

#include <string>

#include "platform/ui/Controls.h"
#include "platform/ui/Types.h"

namespace grid {

using ui::TBiDiMode;
using ui::TImeMode;

// The stored values, one set per published grid.
struct TgkStoredControlProps {
    TBiDiMode biDiMode = ui::bdLeftToRight;
    bool parentBiDiMode = true;
    bool ctl3D = true;
    bool parentCtl3D = true;
    TImeMode imeMode = ui::imDontCare;
    std::string imeName;
    ui::TSizeConstraints constraints;
};

}  // namespace grid
