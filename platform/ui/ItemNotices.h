#pragma once
// Notices of a list control's items to whoever shows them (a window's item model): items
// inserted, removed or changed one at a time, or all of them to be read again. The control
// keeps the items; an observer reads them back by index, and only those it shows.
//
// An insertion, a removal and a reset are told twice: before the items change (the observer
// still reads the old items) and after. A change in place is told once, after it. No notice
// is sent for a setter that found its value unchanged. Changes made inside a
// BeginUpdate/EndUpdate reach the observers once, at the outermost EndUpdate: one
// ItemsChanged over the rows touched when only items' contents changed, else one reset.

#include <vector>

namespace ui {

class IItemObserver {
public:
    virtual ~IItemObserver() = default;
    // An item is about to be inserted at `index`; the items are still the old ones.
    virtual void ItemInserting(int /*index*/) {}
    // The item now at `index` is new (the items from there on moved down by one).
    virtual void ItemInserted(int index) = 0;
    // The item at `index` is about to go; the items are still the old ones.
    virtual void ItemRemoving(int /*index*/) {}
    // The item that was at `index` is gone (the ones after it moved up by one).
    virtual void ItemRemoved(int index) = 0;
    // The items first..last (inclusive) changed in place: text, flags or image.
    virtual void ItemsChanged(int first, int last) = 0;
    // Anything else (cleared, sorted, moved, changed inside an update) is about to happen
    // (inside an update: has happened), then has happened: read them all again.
    virtual void ItemsResetting() {}
    virtual void ItemsReset() = 0;
};

// The observers of one list of items, and the notices held back during an update.
class TItemNotifier {
public:
    TItemNotifier() = default;
    TItemNotifier(const TItemNotifier&) = delete;
    TItemNotifier& operator=(const TItemNotifier&) = delete;

    void Attach(IItemObserver* observer);
    void Detach(IItemObserver* observer);
    bool Observed() const noexcept { return !observers_.empty(); }

    // While `updating` (the list's BeginUpdate is in force) these only remember what changed.
    // Each ...ing comes before the change, its partner after it.
    void Inserting(int index, bool updating);
    void Inserted(int index, bool updating);
    void Removing(int index, bool updating);
    void Removed(int index, bool updating);
    void Changed(int index, bool updating);
    void Resetting(bool updating);
    void Reset(bool updating);
    // The outermost EndUpdate: sends what was held back.
    void EndUpdate();

private:
    template <class F>
    void Send(F&& f);

    std::vector<IItemObserver*> observers_;
    bool pendingReset_ = false;
    int pendingFirst_ = -1;
    int pendingLast_ = -1;
};

}  // namespace ui
