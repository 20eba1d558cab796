#include "platform/ui/ItemNotices.h"

#include <algorithm>

namespace ui {

void TItemNotifier::Attach(IItemObserver* observer)
{
    if (observer != nullptr && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void TItemNotifier::Detach(IItemObserver* observer) { std::erase(observers_, observer); }

template <class F>
void TItemNotifier::Send(F&& f)
{
    // An observer may detach (or attach another) while it is told.
    const std::vector<IItemObserver*> observers = observers_;
    for (IItemObserver* o : observers)
        if (std::find(observers_.begin(), observers_.end(), o) != observers_.end()) f(*o);
}

void TItemNotifier::Inserting(int index, bool updating)
{
    if (!updating) Send([&](IItemObserver& o) { o.ItemInserting(index); });
}

void TItemNotifier::Removing(int index, bool updating)
{
    if (!updating) Send([&](IItemObserver& o) { o.ItemRemoving(index); });
}

void TItemNotifier::Resetting(bool updating)
{
    if (!updating) Send([](IItemObserver& o) { o.ItemsResetting(); });
}

void TItemNotifier::Inserted(int index, bool updating)
{
    if (updating)
        pendingReset_ = true;
    else
        Send([&](IItemObserver& o) { o.ItemInserted(index); });
}

void TItemNotifier::Removed(int index, bool updating)
{
    if (updating)
        pendingReset_ = true;
    else
        Send([&](IItemObserver& o) { o.ItemRemoved(index); });
}

void TItemNotifier::Changed(int index, bool updating)
{
    if (!updating) {
        Send([&](IItemObserver& o) { o.ItemsChanged(index, index); });
        return;
    }
    pendingFirst_ = pendingFirst_ < 0 ? index : std::min(pendingFirst_, index);
    pendingLast_ = std::max(pendingLast_, index);
}

void TItemNotifier::Reset(bool updating)
{
    if (updating)
        pendingReset_ = true;
    else
        Send([](IItemObserver& o) { o.ItemsReset(); });
}

void TItemNotifier::EndUpdate()
{
    const bool reset = pendingReset_;
    const int first = pendingFirst_;
    const int last = pendingLast_;
    pendingReset_ = false;
    pendingFirst_ = pendingLast_ = -1;
    if (reset) {
        Send([](IItemObserver& o) { o.ItemsResetting(); });
        Send([](IItemObserver& o) { o.ItemsReset(); });
    }
    else if (first >= 0)
        Send([&](IItemObserver& o) { o.ItemsChanged(first, last); });
}

}  // namespace ui
