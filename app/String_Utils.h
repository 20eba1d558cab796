#pragma once
// Small text routines shared by the project file, the page generators and the layout
// templates. (The page colour text, ColorToHtml, lives beside the other colour texts in
// platform/rtl/Colors.h.)

#include <string>
#include <string_view>

namespace app {

// The number formed by the run of digits "0".."9" that starts at the 1-based `position`
// (no sign, no blanks): for "T12=abc" 12 at 2, 2 at 3. 0 when the character there is no
// digit or the position lies outside the text. A run too big for a 32-bit integer raises
// rtl::EConvertError.
int ReadNumberAt(int position, std::string_view text);

// "TRUE" or "FALSE".
std::string BoolToText(bool flag);
// True exactly when the text, upper-cased (ASCII letters), is "TRUE"; no trimming, so
// " TRUE" and "1" are false.
bool IsTrueText(std::string_view text);

// Opens a file or web address with the desktop's handler (rtl::OpenWithDesktop). False when
// nothing could be started for it (empty text, missing file, no handler).
bool ShellOpenFile(const std::string& file);

}  // namespace app
