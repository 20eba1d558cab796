#pragma once
// The colour schemes of the page layout: one ".htf" file per scheme in the program's
// "ColorSchemes" folder (twelve colour lines, see ExpHtml.h), listed after "Custom", which
// stands for colours edited by hand.

#include <string>
#include <vector>

#include "designer/ExpHtml.h"

namespace designer {

inline constexpr const char* kCustomScheme = "Custom";

// "Custom" and the name of every ".htf" file in `folder` (extension compared ignoring
// letter case), sorted ignoring letter case; empty when the folder holds no scheme.
std::vector<std::string> ColorSchemeNames(const std::string& folder);

// Loads scheme `name` from `folder` into `colors`. A missing or unreadable scheme leaves the
// colours as they were and shows the warning "Can not load colour scheme <file>."; false then.
bool LoadColorScheme(const std::string& folder, const std::string& name, TExpHtml& colors);

}  // namespace designer
