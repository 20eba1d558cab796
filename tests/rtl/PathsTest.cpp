#include "platform/rtl/Files.h"
#include "platform/rtl/Paths.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace {

const char* const kSubFolders[] = {"Data", "LayoutStyles", "ColorSchemes", "Projects", "Temp", "Help", "Tutorials"};

// Sets environment variables for one test and puts the old values back afterwards.
class PathsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tmp_.isValid()); }
    void TearDown() override
    {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }
    void SetEnv(const std::string& name, const std::optional<std::string>& value)
    {
        if (!saved_.count(name)) {
            const char* old = std::getenv(name.c_str());
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    std::string Path(const std::string& name) const { return tmp_.path().toStdString() + "/" + name; }

    QTemporaryDir tmp_;
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(PathsTest, ExecutableIsTheRunningTest)
{
    EXPECT_EQ(rtl::ExtractFileName(rtl::ExecutablePath()), "test_rtl");
    EXPECT_EQ(rtl::ExecutableDir(), rtl::ExtractFilePath(rtl::ExecutablePath()));
    EXPECT_EQ(rtl::ExecutableDir().back(), '/');
}

TEST_F(PathsTest, ShippedDataIsTheBuildTreesShareFolder)
{
    const std::string shipped = rtl::ShippedDataDir();
    const std::string buildShare = std::string(GW_BINARY_DIR) + "/share";
    if (rtl::DirectoryExists(buildShare)) {
        ASSERT_FALSE(shipped.empty());
        EXPECT_EQ(shipped.back(), '/');
        EXPECT_TRUE(std::filesystem::equivalent(shipped, buildShare));
    } else {
        EXPECT_EQ(shipped, "");
    }
}

TEST_F(PathsTest, FolderResolution)
{
    SetEnv("HOME", Path("home"));

    SetEnv("GRIDWEAVER_HOME", std::nullopt);
    SetEnv("XDG_DATA_HOME", std::nullopt);
    SetEnv("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(rtl::AppDirPath(), Path("home/.local/share/gridweaver/"));
    EXPECT_EQ(rtl::ConfigDir(), Path("home/.config/gridweaver/"));
    EXPECT_TRUE(rtl::DirectoryExists(Path("home/.config/gridweaver")));
    EXPECT_EQ(rtl::CommonFilesDir(), Path("home/.local/share/gridweaver/common/"));

    SetEnv("XDG_DATA_HOME", Path("data"));
    SetEnv("XDG_CONFIG_HOME", Path("config/"));
    EXPECT_EQ(rtl::AppDirPath(), Path("data/gridweaver/"));
    EXPECT_EQ(rtl::ConfigDir(), Path("config/gridweaver/"));

    // Relative XDG folders are ignored.
    SetEnv("XDG_DATA_HOME", "relative");
    EXPECT_EQ(rtl::AppDirPath(), Path("home/.local/share/gridweaver/"));

    SetEnv("GRIDWEAVER_HOME", Path("gw"));
    EXPECT_EQ(rtl::AppDirPath(), Path("gw/"));
    EXPECT_EQ(rtl::ConfigDir(), Path("gw/"));
    EXPECT_EQ(rtl::CommonFilesDir(), Path("gw/common/"));

    const std::string cwd = std::filesystem::current_path().string();
    SetEnv("GRIDWEAVER_HOME", "rel/gw");
    EXPECT_EQ(rtl::AppDirPath(), cwd + "/rel/gw/");
}

TEST_F(PathsTest, SeedingCopiesWhatIsMissingAndKeepsUserFiles)
{
    const std::string source = Path("share/");
    const std::string target = Path("app");
    ASSERT_TRUE(rtl::ForceDirectories(source + "Data/SqlData"));
    ASSERT_TRUE(rtl::ForceDirectories(source + "ColorSchemes"));
    ASSERT_TRUE(rtl::ForceDirectories(source + "Projects"));
    rtl::WriteStringToFile(source + "Data/SqlData/Keywords.txt", "SELECT\r\n");
    rtl::WriteStringToFile(source + "ColorSchemes/Ocean.ini", "shipped ocean");
    rtl::WriteStringToFile(source + "ColorSchemes/Forest.ini", "shipped forest");
    rtl::WriteStringToFile(source + "Projects/GridweaverSample1.gwp", "sample");

    ASSERT_TRUE(rtl::ForceDirectories(target + "/ColorSchemes"));
    ASSERT_TRUE(rtl::ForceDirectories(target + "/Projects"));
    rtl::WriteStringToFile(target + "/ColorSchemes/Ocean.ini", "my ocean");
    rtl::WriteStringToFile(target + "/Projects/Mine.gwp", "mine");
    rtl::WriteStringToFile(target + "/Projects/GridweaverSample1.gwp", "my edited sample");

    EXPECT_FALSE(rtl::IsAppDirSeeded(target));
    EXPECT_TRUE(rtl::SeedAppDir(source, target));
    EXPECT_TRUE(rtl::IsAppDirSeeded(target));

    EXPECT_EQ(rtl::ReadFileToString(target + "/ColorSchemes/Ocean.ini"), "my ocean");
    EXPECT_EQ(rtl::ReadFileToString(target + "/Projects/GridweaverSample1.gwp"), "my edited sample");
    EXPECT_EQ(rtl::ReadFileToString(target + "/Projects/Mine.gwp"), "mine");
    EXPECT_EQ(rtl::ReadFileToString(target + "/ColorSchemes/Forest.ini"), "shipped forest");
    EXPECT_EQ(rtl::ReadFileToString(target + "/Data/SqlData/Keywords.txt"), "SELECT\r\n");
    for (const char* sub : kSubFolders) {
        EXPECT_TRUE(rtl::DirectoryExists(target + "/" + sub)) << sub;
    }
}

TEST_F(PathsTest, SeedingWithoutShippedDataOnlyMakesFolders)
{
    EXPECT_TRUE(rtl::SeedAppDir("", Path("a")));
    EXPECT_TRUE(rtl::SeedAppDir(Path("missing"), Path("b")));
    for (const char* folder : {"a", "b"}) {
        EXPECT_FALSE(rtl::IsAppDirSeeded(Path(folder)));
        for (const char* sub : kSubFolders) {
            EXPECT_TRUE(rtl::DirectoryExists(Path(folder) + "/" + sub)) << sub;
        }
    }
    rtl::WriteStringToFile(Path("file"), "x");
    EXPECT_FALSE(rtl::SeedAppDir("", Path("file")));
}

TEST_F(PathsTest, AppDirSeedsOnceAndKeepsItsFolders)
{
    SetEnv("GRIDWEAVER_HOME", Path("gw"));
    EXPECT_EQ(rtl::AppDir(), Path("gw/"));
    for (const char* sub : kSubFolders) {
        EXPECT_TRUE(rtl::DirectoryExists(Path("gw/") + sub)) << sub;
    }
    EXPECT_EQ(rtl::IsAppDirSeeded(Path("gw")), !rtl::ShippedDataDir().empty());

    rtl::WriteStringToFile(Path("gw/Data/history.dat"), "mine\r\n");
    ASSERT_TRUE(std::filesystem::remove(Path("gw/Temp")));
    EXPECT_EQ(rtl::AppDir(), Path("gw/"));
    EXPECT_TRUE(rtl::DirectoryExists(Path("gw/Temp")));
    EXPECT_EQ(rtl::ReadFileToString(Path("gw/Data/history.dat")), "mine\r\n");
}

TEST_F(PathsTest, AppDirThatCannotBeMadeIsStillAnswered)
{
    rtl::WriteStringToFile(Path("file"), "x");
    SetEnv("GRIDWEAVER_HOME", Path("file/gw"));
    EXPECT_EQ(rtl::AppDir(), Path("file/gw/"));
}

}  // namespace
