// The Qt backend while the program's thread waits for work on another thread (a database
// call): the windows are painted, input is dropped, and posted calls, posted messages and
// timers wait until the wait is over. And while it looks for a waiting key press (Escape
// during a long filter): it takes that press only, the keys typed around it reach their
// control afterwards in order, and no handler runs during the look.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/rtl/BusyWait.h"
#include "platform/ui/CustomControl.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using namespace ui;
using Log = std::vector<std::string>;

class TProbe : public TCustomControl {
public:
    explicit TProbe(classes::TComponent* owner) : TCustomControl(owner) {}
    Log log;
    // The keys handed to it: letters, "~" for Escape.
    std::string keys;
    int paints = 0;

    void Dispatch(TMessage& m) override
    {
        switch (m.Msg) {
        case WM_KEYDOWN:
            log.push_back("keydown");
            keys += m.WParam == VK_ESCAPE ? '~' : static_cast<char>(m.WParam);
            break;
        case WM_LBUTTONDOWN: log.push_back("ldown"); break;
        case WM_TIMER: log.push_back("timer"); break;
        case WM_USER: log.push_back("posted"); break;
        default: break;
        }
        TCustomControl::Dispatch(m);
    }

protected:
    void Paint() override { ++paints; }
};

class QtBusyWaitTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qt::Install(); }

    void SetUp() override
    {
        Application().Reset();
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 200, 150);
        probe = new TProbe(form.get());
        probe->SetParent(form.get());
        probe->SetBounds(10, 10, 100, 80);
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(qt::WidgetOf(*form)));
        probe->SetFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return qt::WidgetOf(*probe)->hasFocus(); }));
    }

    void TearDown() override
    {
        form.reset();
        Application().ProcessMessages();
    }

    // Queues presses and releases of the keys of `typed` ("~" stands for Escape) as the
    // window system hands them to the focused control.
    void Queue(const std::string& typed)
    {
        for (char c : typed) {
            const int key = c == '~' ? Qt::Key_Escape : Qt::Key_A + (c - 'a');
            const QString text = c == '~' ? QString(QChar(27)) : QString(QChar(c));
            for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
                QCoreApplication::postEvent(qt::WidgetOf(*probe), new QKeyEvent(type, key, Qt::NoModifier, text));
        }
    }

    std::unique_ptr<TForm> form;
    TProbe* probe = nullptr;
};

TEST_F(QtBusyWaitTest, PaintsDropsInputAndHoldsPostedWorkAndTimersTillTheEnd)
{
    int ticks = 0;
    bool called = false;
    TTimer timer(nullptr);
    timer.SetInterval(10);
    timer.OnTimer = [&](classes::TObject*) { ++ticks; };
    probe->SetTimer(7, 10);
    probe->PostMessage(WM_USER, 1);
    Application().PostCall([&] { called = true; });
    QWidget* viewport = qt::PeerOf(*probe)->MouseWidget();
    QCoreApplication::postEvent(viewport, new QMouseEvent(QEvent::MouseButtonPress, QPointF(5, 5),
                                                          viewport->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                                                          Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(qt::WidgetOf(*probe), new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
    const int paintsBefore = probe->paints;
    probe->Invalidate();

    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread work([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        std::lock_guard lock(mutex);
        done = true;
        finished.notify_all();
    });
    {
        rtl::TBusyWait busy;
        std::unique_lock lock(mutex);
        while (!busy.Wait(lock, finished, [&] { return done; })) {
        }
        // Still inside the wait.
        EXPECT_GT(probe->paints, paintsBefore);
        EXPECT_EQ(probe->log, Log{});
        EXPECT_EQ(ticks, 0);
        EXPECT_FALSE(called);
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    work.join();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return called && ticks > 0; }, 2000));
    probe->KillTimer(7);
    timer.SetEnabled(false);
    // Each held thing once, the timer that came due many times among them; the input never.
    EXPECT_EQ(std::count(probe->log.begin(), probe->log.end(), "posted"), 1);
    EXPECT_GE(std::count(probe->log.begin(), probe->log.end(), "timer"), 1);
    EXPECT_EQ(std::count(probe->log.begin(), probe->log.end(), "ldown"), 0);
    EXPECT_EQ(std::count(probe->log.begin(), probe->log.end(), "keydown"), 0);
}

TEST_F(QtBusyWaitTest, LookingForAWaitingKeyTakesOnlyThatPressAndKeepsTheTypedKeysInOrder)
{
    struct Case {
        const char* typed;
        std::vector<bool> answers;  // one look per entry
        const char* delivered;
    };
    const Case cases[] = {
        {"ab~cd", {true}, "ABCD"},
        {"abc", {false}, "ABC"},
        {"", {false}, ""},
        // One press per look: the second Escape waits for the next look.
        {"~~x", {true, true, false}, "X"},
        {"~~x", {true}, "~X"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        probe->keys.clear();
        Queue(c.typed);
        for (bool answer : c.answers) {
            EXPECT_EQ(TakeWaitingKeyPress(VK_ESCAPE), answer);
            EXPECT_EQ(probe->keys, "") << "a key was handled during the look";
        }
        Application().ProcessMessages();
        EXPECT_EQ(probe->keys, c.delivered);
    }
}

TEST_F(QtBusyWaitTest, LookingForAWaitingKeyHoldsPostedWorkTillItsEnd)
{
    bool called = false;
    probe->PostMessage(WM_USER, 1);
    Application().PostCall([&] { called = true; });
    Queue("a~");
    EXPECT_TRUE(TakeWaitingKeyPress(VK_ESCAPE));
    EXPECT_EQ(probe->log, Log{});
    EXPECT_FALSE(called);
    Application().ProcessMessages();
    ASSERT_TRUE(QTest::qWaitFor([&] { return called; }, 2000));
    EXPECT_EQ(probe->log, (Log{"posted", "keydown"}));
    EXPECT_EQ(probe->keys, "A");
}

}  // namespace
