#pragma once
// Where the program and its per-user folders are. Every folder is returned with a trailing "/".
//
// The program folder (AppDir) is $GRIDWEAVER_HOME when that is set, else
// $XDG_DATA_HOME/gridweaver (by default ~/.local/share/gridweaver). On first start it is
// filled from the data the program ships (the share/ folder beside the executable in the
// build tree, or <prefix>/share/gridweaver when installed).

#include <string>

namespace rtl {

// The running executable's full path ("" when it cannot be found).
std::string ExecutablePath();
// The executable's folder.
std::string ExecutableDir();

// The program folder, seeded from the shipped data when its seed marker is missing; its
// sub-folders Data, LayoutStyles, ColorSchemes, Projects, Temp, Help and Tutorials exist
// afterwards as far as they can be created. Never raises: a folder that cannot be made
// shows up later as a failure of whatever uses it.
std::string AppDir();
// The program folder's path as AppDir resolves it, without creating or seeding anything.
std::string AppDirPath();
// The folder of the per-user settings file: $GRIDWEAVER_HOME when set, else
// $XDG_CONFIG_HOME/gridweaver (by default ~/.config/gridweaver); created when missing.
std::string ConfigDir();
// The common-files folder under the program folder (AppDir + "common/"); not created here.
std::string CommonFilesDir();

// The shipped data folder: <exe dir>/../share when it holds the shipped data (build tree),
// else <exe dir>/../share/gridweaver (installed); "" when neither exists.
std::string ShippedDataDir();

// Fills `target` from `source`: copies every file and folder of `source` that `target`
// does not have yet (files the user has are never overwritten), creates the standard
// sub-folders, and writes the seed marker when `source` was copied completely. An empty
// or missing `source` only creates the sub-folders. True when everything succeeded.
bool SeedAppDir(const std::string& source, const std::string& target);
// True when `folder` carries the seed marker.
bool IsAppDirSeeded(const std::string& folder);

}  // namespace rtl
