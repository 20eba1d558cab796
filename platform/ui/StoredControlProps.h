#pragma once
// Control properties kept only so that stored forms keep them: the reading direction
// (BiDiMode, ParentBiDiMode), the 3D look (Ctl3D, ParentCtl3D), the input method (ImeMode,
// ImeName), the size constraints and the drag kind (dragging to dock). The window layer
// gives them no meaning here; a control holding a TStoredControlProps publishes the ones its
// class lists through PublishStored, and the text form reads and writes them. Controls that
// paint right to left do so only when asked directly: BiDiMode from a stored form never
// reaches their painting.

#include <string>

#include "platform/classes/TypInfo.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Types.h"

namespace ui {

// The stored values, one set per control.
struct TStoredControlProps {
    TBiDiMode biDiMode = bdLeftToRight;
    bool parentBiDiMode = true;
    bool ctl3D = true;
    bool parentCtl3D = true;
    TImeMode imeMode = imDontCare;
    std::string imeName;
    TSizeConstraints constraints;
    TDragKind dragKind = dkDrag;
};

// One stored property (with its Parent... partner where it has one).
enum class TStoredProp {
    BiDiMode,     // BiDiMode, ParentBiDiMode
    Ctl3D,        // Ctl3D, ParentCtl3D
    ImeMode,      // ImeMode, ImeName
    Constraints,  // Constraints
    DragKind,     // DragKind
};

// Publishes `which` for class C, which answers StoredProps() (const and not) with its
// TStoredControlProps. Called where the class's published order places the property.
template <class C>
void PublishStored(classes::TPublisher<C>& p, TStoredProp which)
{
    auto get = [](const C& c) -> const TStoredControlProps& { return c.StoredProps(); };
    auto set = [](C& c) -> TStoredControlProps& { return c.StoredProps(); };
    switch (which) {
    case TStoredProp::BiDiMode:
        p.Enumeration(
            "BiDiMode", BiDiModeInfo(), [get](const C& c) { return get(c).biDiMode; },
            [set](C& c, TBiDiMode v) { set(c).biDiMode = v; }, bdLeftToRight);
        p.Boolean(
            "ParentBiDiMode", [get](const C& c) { return get(c).parentBiDiMode; },
            [set](C& c, bool v) { set(c).parentBiDiMode = v; }, true);
        break;
    case TStoredProp::Ctl3D:
        p.Boolean(
            "Ctl3D", [get](const C& c) { return get(c).ctl3D; }, [set](C& c, bool v) { set(c).ctl3D = v; }, true);
        p.Boolean(
            "ParentCtl3D", [get](const C& c) { return get(c).parentCtl3D; },
            [set](C& c, bool v) { set(c).parentCtl3D = v; }, true);
        break;
    case TStoredProp::ImeMode:
        p.Enumeration(
            "ImeMode", ImeModeInfo(), [get](const C& c) { return get(c).imeMode; },
            [set](C& c, TImeMode v) { set(c).imeMode = v; }, imDontCare);
        p.String(
            "ImeName", [get](const C& c) { return get(c).imeName; },
            [set](C& c, const std::string& v) { set(c).imeName = v; });
        break;
    case TStoredProp::Constraints:
        p.Object("Constraints", [](const C& c) { return &const_cast<C&>(c).StoredProps().constraints; });
        break;
    case TStoredProp::DragKind:
        p.Enumeration(
            "DragKind", DragKindInfo(), [get](const C& c) { return get(c).dragKind; },
            [set](C& c, TDragKind v) { set(c).dragKind = v; }, dkDrag);
        break;
    }
}

}  // namespace ui
