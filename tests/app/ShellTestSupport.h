#pragma once
// What the application-shell tests share: a temporary program folder (GRIDWEAVER_HOME), the
// scripted dialog service, and stand-ins for programs in PATH (the desktop's opener, the
// ODBC administrator, odbcinst) that record how they were called.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "app/Program.h"
#include "platform/rtl/Files.h"
#include "platform/ui/Forms.h"
#include "platform/ui/testing/TestDialogs.h"

namespace apptest {

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = std::filesystem::temp_directory_path() /
                ("gw-shell-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "home");
        std::filesystem::create_directories(root_ / "bin");
        const char* home = std::getenv("GRIDWEAVER_HOME");
        if (home != nullptr) oldHome_ = home;
        setenv("GRIDWEAVER_HOME", Home().c_str(), 1);
        oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        ui::Application().Reset();
        ui::Application().SetTitle("Gridweaver");
        app::RegisterAppClasses();
    }
    void TearDown() override
    {
        ui::Application().DestroyComponents();
        ui::Application().OnHelp.Clear();
        ui::Application().Reset();
        setenv("PATH", oldPath_.c_str(), 1);
        if (oldHome_)
            setenv("GRIDWEAVER_HOME", oldHome_->c_str(), 1);
        else
            unsetenv("GRIDWEAVER_HOME");
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    std::string Home() const { return (root_ / "home").string(); }
    std::string Path(const std::string& name) const { return (root_ / name).string(); }

    // A script in the test's bin folder that records its arguments in `<name>.called`.
    void FakeProgram(const std::string& name, const std::string& extra = "")
    {
        const std::string mark = Path(name + ".called");
        // Shell built-ins only: PATH may hold nothing but the test's bin folder.
        rtl::WriteStringToFile(Path("bin/" + name),
                               "#!/bin/sh\n" + extra + "{ printf '%s|' \"$@\"; echo; } > \"" + mark + "\"\n");
        chmod(Path("bin/" + name).c_str(), 0755);
    }
    // PATH: the test's bin folder first (with `keepSystem`, then the system's).
    void UsePath(bool keepSystem)
    {
        setenv("PATH", (Path("bin") + (keepSystem ? ":" + oldPath_ : std::string())).c_str(), 1);
    }
    // What the fake program was called with ("" when it was not called within the time).
    std::string Called(const std::string& name, int waitMs = 20000) const
    {
        const std::string mark = Path(name + ".called");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        while (std::chrono::steady_clock::now() < deadline) {
            if (rtl::FileExists(mark)) {
                const std::string text = rtl::ReadFileToString(mark);
                if (!text.empty() && text.back() == '\n') return text;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return {};
    }

    ui::TScriptedDialogs dialogs_;
    ui::TDialogServiceScope scope_{dialogs_};
    std::filesystem::path root_;
    std::optional<std::string> oldHome_;
    std::string oldPath_;
    static inline int counter_ = 0;
};

}  // namespace apptest
