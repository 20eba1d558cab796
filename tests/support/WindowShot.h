#pragma once
// Screenshots of windows on the X server, for people to look at: the window system's picture
// of a shown window, or of the whole screen, saved as <build>/test-artifacts/<area>/<name>.png.
// Nothing is asserted about the pixels. Header-only; the window tests include it.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/ui/qt/QtUi.h"

namespace gwtest {

// Puts this test process on the X server; false when there is none (DISPLAY not set).
inline bool UseXServer()
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return false;
    qputenv("QT_QPA_PLATFORM", "xcb");
    ui::qt::Install();
    return QGuiApplication::platformName() == "xcb";
}

// Saves `shot` as <build>/test-artifacts/<area>/<name>.png. The file's path; empty (and a test
// failure) when it could not be saved.
inline std::filesystem::path SaveShot(const QPixmap& shot, const std::string& area, const std::string& name)
{
    const std::filesystem::path dir = std::filesystem::path(GW_BINARY_DIR) / "test-artifacts" / area;
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / (name + ".png");
    if (shot.isNull() || !shot.save(QString::fromStdString(file.string()), "PNG") ||
        std::filesystem::file_size(file) == 0) {
        ADD_FAILURE() << "could not save " << file;
        return {};
    }
    std::printf("screenshot: %s\n", file.string().c_str());
    return file;
}

// Waits until `window` is on screen and the server has drawn it (`settleMs`), then saves its
// picture.
inline std::filesystem::path SaveWindowShot(QWidget* window, const std::string& area, const std::string& name,
                                            int settleMs = 200)
{
    if (window == nullptr || !QTest::qWaitForWindowExposed(window)) {
        ADD_FAILURE() << "the window for " << name << " is not on screen";
        return {};
    }
    QTest::qWait(settleMs);
    // A window inside another (an MDI child) is taken from its top-level window: asking for
    // its own native window would make it one, which the top-level then no longer draws.
    QWidget* top = window->window();
    const QRect part = window == top ? QRect() : QRect(window->mapTo(top, QPoint(0, 0)), window->size());
    QPixmap shot = window == top ? QGuiApplication::primaryScreen()->grabWindow(window->winId())
                                 : QGuiApplication::primaryScreen()->grabWindow(top->winId(), part.x(), part.y(),
                                                                                 part.width(), part.height());
    if (shot.isNull()) shot = window->grab();
    return SaveShot(shot, area, name);
}

// The whole screen after `settleMs`: windows seen together (a dialog and the help beside it).
inline std::filesystem::path SaveScreenShot(const std::string& area, const std::string& name, int settleMs = 200)
{
    QTest::qWait(settleMs);
    return SaveShot(QGuiApplication::primaryScreen()->grabWindow(0), area, name);
}

}  // namespace gwtest
