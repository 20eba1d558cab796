#pragma once
// A wait of the program's own thread for work that runs on another thread (a call into a
// database driver that may not answer). The thread must not go dead meanwhile: its windows
// are painted. Nothing else of the program may run inside the wait, though, since the wait
// sits inside a handler: the window layer drops the user's input that arrives meanwhile and
// keeps posted calls, posted messages and timers until the wait is over. The window layer
// provides this as the busy-wait host; without one (no windows: tests, tools) the thread just
// waits.
//
// The waiting thread holds a TBusyWait for as long as it waits and calls Wait in a loop, doing
// its own checks between the calls. The host is called only once the wait has lasted 100 ms,
// so a quick call costs no more than the wait itself; from then on the windows are painted
// every 50 ms.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace rtl {

// What the window layer does while its thread waits. The calls come from the waiting thread,
// which need not be the window layer's own; a host does nothing for another thread. Waits may
// nest (a paint handler may wait in turn): Begin and End pair up.
class IBusyWaitHost {
public:
    virtual void BeginBusyWait() = 0;
    virtual void PaintDuringBusyWait() = 0;
    virtual void EndBusyWait() = 0;

protected:
    ~IBusyWaitHost() = default;
};

// Installs the host (nullptr: none) and returns the previous one.
IBusyWaitHost* SetBusyWaitHost(IBusyWaitHost* host);

class TBusyWait {
public:
    TBusyWait();
    ~TBusyWait();
    TBusyWait(const TBusyWait&) = delete;
    TBusyWait& operator=(const TBusyWait&) = delete;

    // Waits on `signal` (`lock` holds its mutex) until `ready` answers true, at most one
    // slice of 50 ms; once the wait has lasted 100 ms the windows are painted before it
    // returns (with `lock` released meanwhile). Answers ready().
    bool Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& signal, const std::function<bool()>& ready);

private:
    std::chrono::steady_clock::time_point started_;
    IBusyWaitHost* host_ = nullptr;  // the host whose wait has begun
};

}  // namespace rtl
