#include "platform/rtl/BusyWait.h"

#include <atomic>
#include <utility>

namespace rtl {

namespace {

constexpr std::chrono::milliseconds kQuietStart{100};
constexpr std::chrono::milliseconds kSlice{50};

std::atomic<IBusyWaitHost*>& Host()
{
    static std::atomic<IBusyWaitHost*> host{nullptr};
    return host;
}

}  // namespace

IBusyWaitHost* SetBusyWaitHost(IBusyWaitHost* host) { return Host().exchange(host); }

TBusyWait::TBusyWait() : started_(std::chrono::steady_clock::now()) {}

TBusyWait::~TBusyWait()
{
    if (host_ != nullptr) host_->EndBusyWait();
}

bool TBusyWait::Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& signal,
                     const std::function<bool()>& ready)
{
    if (signal.wait_for(lock, kSlice, ready)) return true;
    if (std::chrono::steady_clock::now() - started_ < kQuietStart) return false;
    if (host_ == nullptr) {
        host_ = Host().load();
        if (host_ == nullptr) return false;
        host_->BeginBusyWait();
    }
    lock.unlock();
    host_->PaintDuringBusyWait();
    lock.lock();
    return ready();
}

}  // namespace rtl
