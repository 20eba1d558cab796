#include "platform/rtl/Paths.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace rtl {

namespace {

// Written into the program folder once it has been filled from the shipped data.
constexpr const char* kSeedMarker = ".gridweaver-seeded";

constexpr const char* kSubFolders[] = {"Data", "LayoutStyles", "ColorSchemes", "Projects", "Temp", "Help", "Tutorials"};

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string Absolute(const std::string& path)
{
    std::error_code ec;
    const fs::path absolute = fs::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

// $<variable> when it holds an absolute path (relative ones are ignored, as the XDG rules
// say), else the home folder + `fallback`; then "/gridweaver/".
std::string XdgFolder(const char* variable, const char* fallback)
{
    std::string base = Env(variable);
    if (base.empty() || base.front() != '/') {
        base = IncludeTrailingPathDelimiter(QDir::homePath().toStdString()) + fallback;
    }
    return IncludeTrailingPathDelimiter(base) + "gridweaver/";
}

// $GRIDWEAVER_HOME as a folder, or "" when it is not set.
std::string HomeOverride()
{
    const std::string home = Env("GRIDWEAVER_HOME");
    return home.empty() ? std::string() : IncludeTrailingPathDelimiter(Absolute(home));
}

void CreateSubFolders(const std::string& folder, bool& ok)
{
    for (const char* sub : kSubFolders) {
        ok = ForceDirectories(folder + sub) && ok;
    }
}

// Copies what `target` lacks of `source`, folder by folder. Whatever is already there,
// file or folder, is left alone.
void CopyMissing(const fs::path& source, const fs::path& target, bool& ok)
{
    std::error_code ec;
    fs::directory_iterator it(source, ec);
    if (ec) {
        ok = false;
        return;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) {
            ok = false;
            return;
        }
        const fs::path to = target / it->path().filename();
        std::error_code kindError;
        if (it->is_directory(kindError)) {
            if (!fs::exists(to, kindError)) {
                fs::create_directory(to, kindError);
            }
            if (fs::is_directory(to, kindError)) {
                CopyMissing(it->path(), to, ok);
            }
        } else if (it->is_regular_file(kindError) && !fs::exists(fs::symlink_status(to, kindError))) {
            ok = CopyFile(it->path().string(), to.string(), false) && ok;
        }
    }
}

}  // namespace

std::string ExecutablePath()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        return exe.string();
    }
    if (QCoreApplication::instance()) {
        return QCoreApplication::applicationFilePath().toStdString();
    }
    return std::string();
}

std::string ExecutableDir()
{
    return ExtractFilePath(ExecutablePath());
}

std::string AppDirPath()
{
    const std::string home = HomeOverride();
    return home.empty() ? XdgFolder("XDG_DATA_HOME", ".local/share") : home;
}

std::string AppDir()
{
    const std::string folder = AppDirPath();
    if (!IsAppDirSeeded(folder)) {
        SeedAppDir(ShippedDataDir(), folder);
    } else {
        bool ok = true;
        CreateSubFolders(folder, ok);
    }
    return folder;
}

std::string ConfigDir()
{
    const std::string home = HomeOverride();
    const std::string folder = home.empty() ? XdgFolder("XDG_CONFIG_HOME", ".config") : home;
    ForceDirectories(folder);
    return folder;
}

std::string CommonFilesDir()
{
    return AppDirPath() + "common/";
}

std::string ShippedDataDir()
{
    const std::string exeDir = ExecutableDir();
    if (exeDir.empty()) {
        return std::string();
    }
    const std::string prefix = Absolute(exeDir + "..");
    // The build tree: the build copies share/ to <build>/share and the programs live one
    // folder below <build>. CMake's cache tells a build tree from an installed prefix, whose
    // share/ belongs to every program installed there.
    if (FileExists(prefix + "/CMakeCache.txt") && DirectoryExists(prefix + "/share")) {
        return prefix + "/share/";
    }
    if (DirectoryExists(prefix + "/share/gridweaver")) {
        return prefix + "/share/gridweaver/";
    }
    return std::string();
}

bool SeedAppDir(const std::string& source, const std::string& target)
{
    const std::string folder = IncludeTrailingPathDelimiter(target);
    if (!ForceDirectories(folder)) {
        return false;
    }
    bool ok = true;
    const bool haveSource = !source.empty() && DirectoryExists(source);
    if (haveSource) {
        CopyMissing(fs::path(source), fs::path(folder), ok);
    }
    CreateSubFolders(folder, ok);
    if (haveSource && ok) {
        try {
            WriteStringToFile(folder + kSeedMarker, "");
        } catch (const Exception&) {
            ok = false;
        }
    }
    return ok;
}

bool IsAppDirSeeded(const std::string& folder)
{
    return FileExists(IncludeTrailingPathDelimiter(folder) + kSeedMarker);
}

}  // namespace rtl
