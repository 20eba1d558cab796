#include "platform/rtl/Files.h"
#include "platform/rtl/Process.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>

namespace {

// Waits for a detached program to leave its mark (it runs on its own, so give it time).
std::string WaitForFile(const std::string& path)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (rtl::FileExists(path)) {
            const std::string text = rtl::ReadFileToString(path);
            if (!text.empty() && text.back() == '\n') {
                return text;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::string();
}

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tmp_.isValid()); }
    void TearDown() override
    {
        if (oldPath_) {
            setenv("PATH", oldPath_->c_str(), 1);
        }
    }
    std::string Path(const std::string& name) const { return tmp_.path().toStdString() + "/" + name; }

    // Puts a stand-in for the desktop's opener first in PATH; it records its arguments.
    void FakeDesktopOpener()
    {
        rtl::WriteStringToFile(Path("bin/xdg-open"),
                               "#!/bin/sh\nprintf '%s|' \"$@\" > \"" + Path("opened.tmp") + "\"\n"
                               "echo >> \"" + Path("opened.tmp") + "\"\nmv \"" + Path("opened.tmp") +
                                   "\" \"" + Path("opened") + "\"\n");
        chmod(Path("bin/xdg-open").c_str(), 0755);
        oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", (Path("bin") + ":" + *oldPath_).c_str(), 1);
    }

    QTemporaryDir tmp_;
    std::optional<std::string> oldPath_;
};

TEST_F(ProcessTest, StartDetachedRunsWithoutWaitingAndReportsFailure)
{
    EXPECT_TRUE(rtl::StartDetached("sh", {"-c", "echo started \"$0\" > \"$1\"", "a b", Path("mark")}));
    EXPECT_EQ(WaitForFile(Path("mark")), "started a b\n");

    EXPECT_FALSE(rtl::StartDetached(Path("no-such-program")));
    EXPECT_FALSE(rtl::StartDetached("gridweaver-no-such-program-in-path"));
    EXPECT_FALSE(rtl::StartDetached(""));
    rtl::WriteStringToFile(Path("not-executable"), "#!/bin/sh\n");
    EXPECT_FALSE(rtl::StartDetached(Path("not-executable")));
}

TEST_F(ProcessTest, OpenWithDesktopPassesAddressesAsTheyAreAndFilesAbsolute)
{
    ASSERT_TRUE(rtl::CreateDir(Path("bin")));
    FakeDesktopOpener();

    EXPECT_TRUE(rtl::OpenWithDesktop("https://example.org/a b?x=1&y=2"));
    EXPECT_EQ(WaitForFile(Path("opened")), "https://example.org/a b?x=1&y=2|\n");
    ASSERT_TRUE(rtl::DeleteFile(Path("opened")));

    // A relative name, even one that looks like an option, reaches the opener as an absolute path.
    rtl::WriteStringToFile(Path("-Temp.html"), "<HTML>");
    const std::string cwd = std::filesystem::current_path().string();
    std::filesystem::current_path(tmp_.path().toStdString());
    const bool opened = rtl::OpenWithDesktop("-Temp.html");
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(opened);
    EXPECT_EQ(WaitForFile(Path("opened")), Path("-Temp.html") + "|\n");

    EXPECT_FALSE(rtl::OpenWithDesktop(""));
    EXPECT_FALSE(rtl::OpenWithDesktop(Path("missing.html")));
}

TEST_F(ProcessTest, OpenWithDesktopWithoutAnOpenerFails)
{
    oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", Path("empty").c_str(), 1);
    EXPECT_FALSE(rtl::OpenWithDesktop("https://example.org/"));
}

TEST_F(ProcessTest, FindExecutableAndRunAndCapture)
{
    EXPECT_FALSE(rtl::FindExecutable("sh").empty());
    EXPECT_EQ(rtl::FindExecutable("gridweaver-no-such-program-in-path"), "");
    EXPECT_EQ(rtl::FindExecutable(""), "");
    rtl::WriteStringToFile(Path("not-executable"), "#!/bin/sh\n");
    EXPECT_EQ(rtl::FindExecutable(Path("not-executable")), "");
    rtl::WriteStringToFile(Path("tool"), "#!/bin/sh\necho \"out $1\"\necho err >&2\nexit ${2:-0}\n");
    chmod(Path("tool").c_str(), 0755);
    EXPECT_EQ(rtl::FindExecutable(Path("tool")), Path("tool"));

    std::string out = "old";
    EXPECT_TRUE(rtl::RunAndCapture(Path("tool"), {"a b"}, out));
    EXPECT_EQ(out, "out a b\n");  // standard error is not mixed in
    EXPECT_FALSE(rtl::RunAndCapture(Path("tool"), {"x", "3"}, out));
    EXPECT_FALSE(rtl::RunAndCapture(Path("no-such-program"), {}, out));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(rtl::RunAndCapture("sh", {"-c", "sleep 5"}, out, 200));  // killed after the time given
}

}  // namespace
