#pragma once
// One component to and from its text form. The project file is the concatenation of such
// texts, one per design-window component.

#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/Component.h"

namespace app {

// The text form of the component alone (components nested in it are not included): the
// line "object " + name + ": " + class, one line per stored property indented two blanks,
// then "end"; every line ends with CR LF.
std::string ComponentToText(classes::TComponent& component);
// The same with the properties named in `alwaysStored` ("Items", "Font.Color") written even
// where they hold their defaults.
std::string ComponentToText(classes::TComponent& component, const std::vector<std::string>& alwaysStored);

// Reads the text form of one component into the existing component: the properties the
// text names are set, the others keep their values; property lines the component does not
// know are skipped; events are bound to the handlers of the component's form. Malformed
// text raises classes::EReadError naming the line.
void TextToComponent(std::string_view text, classes::TComponent& component);

}  // namespace app
