#pragma once
// Notices of a list control's items to whoever shows them (a window's item model): items
// inserted, removed or changed one at a time, or all of them to be read again. The control
// keeps the items; an observer reads them back by index, and only those it shows.
//
// A notice is sent after the change it reports, exactly once per change, and never for a
// setter that found its value unchanged. Changes made inside a BeginUpdate/EndUpdate reach
// the observers once, at the outermost EndUpdate: one ItemsChanged over the rows touched
// when only items' contents changed, else one ItemsReset.

#include <vector>

namespace ui {

class IItemObserver {
public:
    virtual ~IItemObserver() = default;
    // The item now at `index` is new (the items from there on moved down by one).
    virtual void ItemInserted(int index) = 0;
    // The item that was at `index` is gone (the ones after it moved up by one).
    virtual void ItemRemoved(int index) = 0;
    // The items first..last (inclusive) changed in place: text, flags or image.
    virtual void ItemsChanged(int first, int last) = 0;
    // Anything else (cleared, sorted, moved, changed inside an update): read them all again.
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
    void Inserted(int index, bool updating);
    void Removed(int index, bool updating);
    void Changed(int index, bool updating);
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
