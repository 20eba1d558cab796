#pragma once
// Golden folders of generated pages: the files a writer put into a folder, by name and text,
// against tests/designer/golden/<kind>/<case>. With GW_UPDATE_GOLDEN set in the environment the
// golden folder is written anew from what was generated (then read the diff before committing).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "platform/rtl/Files.h"

namespace designertest {

// The regular files of `folder`, by name.
inline std::map<std::string, std::string> FilesOf(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& f : std::filesystem::directory_iterator(folder))
        if (f.is_regular_file()) files[f.path().filename().string()] = rtl::ReadFileToString(f.path().string());
    return files;
}

inline void CompareWithGolden(const std::map<std::string, std::string>& files, const std::string& kind,
                              const std::string& name)
{
    const std::filesystem::path golden = std::filesystem::path(GW_SOURCE_DIR) / "tests" / "designer" / "golden" / kind / name;
    if (std::getenv("GW_UPDATE_GOLDEN") != nullptr) {
        std::filesystem::remove_all(golden);
        std::filesystem::create_directories(golden);
        for (const auto& [file, text] : files) rtl::WriteStringToFile((golden / file).string(), text);
        return;
    }
    EXPECT_EQ(files, FilesOf(golden)) << kind << "/" << name;
}

}  // namespace designertest
