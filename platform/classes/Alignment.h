#pragma once
// Text alignment, shared by the windowing layer (labels, list columns, status panels) and the
// data layer (a field's alignment): one enumeration and one list of names for the text form,
// kept below both so that neither has to include the other.

#include "platform/classes/TypInfo.h"

namespace classes {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// "taLeftJustify", "taRightJustify", "taCenter", as stored forms write them.
const TEnumInfo& AlignmentInfo();

}  // namespace classes
