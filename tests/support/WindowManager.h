#pragma once
// A window manager for window tests on the X server: openbox, started for as long as the
// object lives, when it is installed and no other window manager runs (it then leaves at
// once). Header-only; the window tests include it.

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace gwtest {

class TWindowManager {
public:
    TWindowManager()
    {
        const QString openbox = QStandardPaths::findExecutable("openbox");
        if (openbox.isEmpty()) return;
        process_.start(openbox, {"--sm-disable"});
        if (!process_.waitForStarted(3000)) return;
        QTest::qWait(500);
        running_ = process_.state() == QProcess::Running;
    }
    ~TWindowManager()
    {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(3000)) process_.kill();
        process_.waitForFinished(1000);
    }
    TWindowManager(const TWindowManager&) = delete;
    TWindowManager& operator=(const TWindowManager&) = delete;
    // True while the window manager this object started runs.
    bool Running() const { return running_ && process_.state() == QProcess::Running; }

private:
    QProcess process_;
    bool running_ = false;
};

}  // namespace gwtest
