// Fuzz target of the recent-projects list (history.dat): the bytes are the file, after an
// absolute path of one line. Any file gives a welcome list of paths without line breaks, "More
// Files..." first; a save moves the path to its top, keeps the other paths in their order
// (less the path, letter case aside) and writes a file that lists the same.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "app/ProjectFile.h"
#include "app/Welcome.h"
#include "fuzz/FuzzSupport.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/SysUtils.h"

namespace {

// The welcome list's paths (without "More Files...").
std::vector<std::string> Paths(const std::string& history)
{
    std::vector<std::string> list = app::WelcomeList(history, fuzz::ScratchFolder());
    fuzz::Check(!list.empty() && list.front() == app::kMoreFiles, "the welcome list starts with More Files...");
    list.erase(list.begin());
    for (const std::string& path : list)
        fuzz::Check(path.find_first_of("\r\n") == std::string::npos, "a path holds no line break");
    return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    std::string path = input.ConsumeRandomLengthString(64);
    // An absolute path (as the save dialog gives) of one line: the list is one path a line.
    if (path.find_first_of("\r\n") != std::string::npos) path = "Project.gwp";
    if (!path.starts_with("/")) path.insert(0, "/");
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    const std::string history = fuzz::ScratchFolder() + "/history.dat";
    rtl::WriteStringToFile(history, bytes);
    const std::vector<std::string> before = Paths(history);

    app::AddRecentProject(history, path);
    const std::vector<std::string> after = Paths(history);
    fuzz::Check(!after.empty() && after.front() == path, "the path saved comes first");
    std::vector<std::string> others;
    for (const std::string& p : before)
        if (!rtl::AnsiSameText(p, path)) others.push_back(p);
    fuzz::Check(after.size() - 1 <= others.size(), "no path is added but the one saved");
    for (std::size_t i = 1; i < after.size(); ++i)
        fuzz::Check(after[i] == others[i - 1], "the other paths keep their order");
    return 0;
}
