#pragma once
// Files and folders.

#include <string>
#include <string_view>

namespace rtl {

// Replaces the file at `path` with `data` so that a reader never sees a half-written file:
// the bytes go to a temporary file beside it, which is renamed over the old one only once
// everything is written and flushed. On any failure the old file is left as it was and
// EFCreateError (cannot create the temporary file) or EInOutError (write, flush or rename)
// is raised.
void SaveFileAtomically(const std::string& path, std::string_view data);

}  // namespace rtl
