#pragma once
// Posted messages: a component that must continue some work later, on the GUI thread and
// after the input already waiting, posts itself a message instead of pumping the event loop
// from inside a handler. The windowing layer delivers posted messages from its event loop;
// TManualMessageQueue delivers them when asked, for headless tests.

#include <cstdint>
#include <deque>

namespace ui {

// A window message: code, two parameters and the handler's result.
struct TMessage {
    unsigned Msg = 0;
    std::intptr_t WParam = 0;
    std::intptr_t LParam = 0;
    std::intptr_t Result = 0;
};

// First code free for a control's own messages.
constexpr unsigned WM_USER = 0x0400;

// Whatever receives messages (a control's window).
class IMessageTarget {
public:
    virtual void Dispatch(TMessage& message) = 0;

protected:
    ~IMessageTarget() = default;
};

class IMessageQueue {
public:
    virtual ~IMessageQueue() = default;
    // Queues `message` for `target`. It is delivered later, after everything posted before it.
    virtual void Post(IMessageTarget& target, const TMessage& message) = 0;
    // Drops the undelivered messages of `target` (a target that goes away calls it).
    virtual void Cancel(const IMessageTarget& target) = 0;
    // True once the application is shutting down: no new work should be continued.
    virtual bool Terminating() const { return false; }
};

// A queue delivered by hand.
class TManualMessageQueue : public IMessageQueue {
public:
    void Post(IMessageTarget& target, const TMessage& message) override
    {
        queue_.push_back({&target, message});
    }

    void Cancel(const IMessageTarget& target) override
    {
        std::erase_if(queue_, [&](const Entry& e) { return e.target == &target; });
    }

    bool Terminating() const override { return terminating_; }
    void SetTerminating(bool terminating) { terminating_ = terminating; }

    std::size_t Pending() const noexcept { return queue_.size(); }

    // Delivers the oldest message; false when there was none.
    bool DeliverOne()
    {
        if (queue_.empty()) return false;
        Entry e = queue_.front();
        queue_.pop_front();
        e.target->Dispatch(e.message);
        return true;
    }

    // Delivers messages (those posted meanwhile included) until the queue is empty or
    // `limit` were delivered; returns how many were.
    int DeliverAll(int limit = 1 << 30)
    {
        int n = 0;
        while (n < limit && DeliverOne()) ++n;
        return n;
    }

private:
    struct Entry {
        IMessageTarget* target;
        TMessage message;
    };
    std::deque<Entry> queue_;
    bool terminating_ = false;
};

}  // namespace ui
