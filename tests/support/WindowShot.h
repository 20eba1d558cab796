#pragma once
// Screenshots of windows on the X server: the window system's picture of a shown window, or
// of the whole screen, saved as <build>/test-artifacts/<area>/<name>.png for people to look
// at, and kept for the test to read back what the server drew (a colour at a known place of
// a widget). Beside them, what the controls' widgets show: the focused widget, the visible
// page of a page control. Header-only; the window tests include it.

#include <gtest/gtest.h>

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTabBar>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "platform/rtl/Colors.h"
#include "platform/ui/ComCtrls.h"
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

// A picture the server drew, to read back: `origin` is where the picture's top left lies on
// the screen, so a widget anywhere on it is found by its own coordinates.
class TShot {
public:
    TShot() = default;
    TShot(QImage image, QPoint origin, std::filesystem::path file)
        : image_(std::move(image)), origin_(origin), file_(std::move(file))
    {
    }

    bool Taken() const { return !image_.isNull(); }
    const QImage& Image() const { return image_; }
    // Where the picture was saved.
    const std::filesystem::path& File() const { return file_; }
    // The colour drawn at `at` of `part` (in `part`'s coordinates); an invalid colour when
    // that place is not on the picture.
    QColor At(const QWidget* part, QPoint at) const
    {
        const QPoint p = part->mapToGlobal(at) - origin_;
        if (!image_.valid(p)) return {};
        return image_.pixelColor(p);
    }
    // The middle of `part`: for a widget filled with one colour.
    QColor Middle(const QWidget* part) const { return At(part, part->rect().center()); }
    // How many pixels of `area` of `part` are drawn near `colour` (within `tolerance` on each
    // channel): a line or text of that colour crossing the area.
    int Count(const QWidget* part, QRect area, rtl::TColor colour, int tolerance = 24) const
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x) n += Near(At(part, {x, y}), colour, tolerance) ? 1 : 0;
        return n;
    }

    // True when `seen` is the plain colour that `colour` is drawn with, within `tolerance` on
    // each channel (the server may dither, the style may blend an edge).
    static bool Near(const QColor& seen, rtl::TColor colour, int tolerance)
    {
        if (!seen.isValid()) return false;
        const rtl::TColor c = rtl::ColorToRGB(colour);
        return std::abs(seen.red() - rtl::GetRValue(c)) <= tolerance &&
               std::abs(seen.green() - rtl::GetGValue(c)) <= tolerance &&
               std::abs(seen.blue() - rtl::GetBValue(c)) <= tolerance;
    }

private:
    QImage image_;
    QPoint origin_;
    std::filesystem::path file_;
};

// For EXPECT_TRUE: `seen` (a colour read from a shot) is drawn as `colour`.
inline ::testing::AssertionResult DrawnAs(const QColor& seen, rtl::TColor colour, int tolerance = 24)
{
    if (TShot::Near(seen, colour, tolerance)) return ::testing::AssertionSuccess();
    std::ostringstream os;
    os << "drawn as " << (seen.isValid() ? seen.name().toStdString() : std::string("nothing")) << ", not "
       << rtl::ColorToHtml(colour);
    return ::testing::AssertionFailure() << os.str();
}

// For EXPECT_TRUE: `seen` is drawn like `like`, another colour read from a shot (two places
// painted alike, whatever colours the style chose).
inline ::testing::AssertionResult DrawnAs(const QColor& seen, const QColor& like, int tolerance = 24)
{
    if (!like.isValid()) return ::testing::AssertionFailure() << "nothing to compare with";
    return DrawnAs(seen, rtl::RGB(like.red(), like.green(), like.blue()), tolerance);
}

// Waits until `window` is on screen and the server has drawn it (`settleMs`), saves its
// picture and hands it back. A window inside another (an MDI child) is taken from its
// top-level window.
inline TShot ShootWindow(QWidget* window, const std::string& area, const std::string& name, int settleMs = 200)
{
    if (window == nullptr || !QTest::qWaitForWindowExposed(window)) {
        ADD_FAILURE() << "the window for " << name << " is not on screen";
        return {};
    }
    QTest::qWait(settleMs);
    // Asking for an inner window's own native window would make it one, which the top-level
    // then no longer draws.
    QWidget* top = window->window();
    const QRect part = window == top ? QRect() : QRect(window->mapTo(top, QPoint(0, 0)), window->size());
    QPixmap shot = window == top ? QGuiApplication::primaryScreen()->grabWindow(window->winId())
                                 : QGuiApplication::primaryScreen()->grabWindow(top->winId(), part.x(), part.y(),
                                                                                 part.width(), part.height());
    if (shot.isNull()) shot = window->grab();
    std::filesystem::path file = SaveShot(shot, area, name);
    if (file.empty()) return {};
    return TShot(shot.toImage(), window->mapToGlobal(QPoint(0, 0)), std::move(file));
}

// As ShootWindow, for callers that only keep the file.
inline std::filesystem::path SaveWindowShot(QWidget* window, const std::string& area, const std::string& name,
                                            int settleMs = 200)
{
    return ShootWindow(window, area, name, settleMs).File();
}

// The whole screen after `settleMs`: windows seen together (a dialog and the help beside it).
inline TShot ShootScreen(const std::string& area, const std::string& name, int settleMs = 200)
{
    QTest::qWait(settleMs);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    std::filesystem::path file = SaveShot(shot, area, name);
    if (file.empty()) return {};
    return TShot(shot.toImage(), QGuiApplication::primaryScreen()->geometry().topLeft(), std::move(file));
}
inline std::filesystem::path SaveScreenShot(const std::string& area, const std::string& name, int settleMs = 200)
{
    return ShootScreen(area, name, settleMs).File();
}

// ---- What the controls' widgets show ---------------------------------------------------------

// True when the keyboard focus of `control`'s window is in `control`'s widget (or a widget
// inside it, as the line edit of a combo box). The window's own focus, not the application's:
// another program's window made active on the same server does not move it.
inline bool HasFocus(const ui::TControl& control)
{
    const QWidget* widget = ui::qt::WidgetOf(control);
    const QWidget* focus = widget != nullptr ? widget->window()->focusWidget() : nullptr;
    return focus != nullptr && (focus == widget || widget->isAncestorOf(focus));
}

// True when `control` has a widget that is shown (it and every parent visible).
inline bool Shown(const ui::TControl& control)
{
    const QWidget* widget = ui::qt::WidgetOf(control);
    return widget != nullptr && widget->isVisible();
}

// The page of `pages` the window shows: the index of its only shown page whose tab is the
// current tab of the control's tab bar; -1 when no page is shown, when more than one is, or
// when the tab bar marks another.
inline int ShownPage(const ui::TPageControl& pages)
{
    int shown = -1;
    for (int i = 0; i < pages.PageCount(); ++i) {
        if (!Shown(*pages.Pages(i))) continue;
        if (shown >= 0) return -1;
        shown = i;
    }
    const QWidget* widget = ui::qt::WidgetOf(pages);
    const QTabBar* tabs = widget != nullptr ? widget->findChild<QTabBar*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (shown < 0 || tabs == nullptr || tabs->currentIndex() != pages.Pages(shown)->TabIndex()) return -1;
    return shown;
}

}  // namespace gwtest
