#pragma once
// The items of a list control (list box, combo box, radio group, memo lines): a string list
// whose items also carry the control's per-item flags (checked, selected), so the flags stay
// with their items when items are inserted, deleted, moved or sorted. The owning control
// hears of every change through OnChange; a window showing the items hears of each one
// through Notifier(). Setting a value an item already has changes nothing and tells nobody.

#include <any>
#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/StringList.h"
#include "platform/ui/ItemNotices.h"

namespace ui {

class TItemStrings : public rtl::TStrings {
public:
    TItemStrings() = default;

    std::string Get(int index) const override;
    int GetCount() const override;
    void Put(int index, const std::string& s) override;
    std::any GetObject(int index) const override;
    void PutObject(int index, std::any object) override;
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;
    int Add(const std::string& s) override;
    void Exchange(int index1, int index2) override;
    void Move(int curIndex, int newIndex) override;

    // Sorted lists insert at their sorted place (letter case ignored) and refuse Insert,
    // Put, Exchange and Move with EListError "Operation not allowed on sorted list".
    bool Sorted() const noexcept { return sorted_; }
    void SetSorted(bool sorted);

    bool Checked(int index) const;
    void SetChecked(int index, bool checked);
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    int SelCount() const;

    // Fired after every change, unless an update is under way (then once by EndUpdate).
    std::function<void()> OnChange;
    // Item notices, sent before OnChange.
    TItemNotifier& Notifier() noexcept { return notifier_; }

protected:
    void SetUpdateState(bool updating) override;

private:
    struct Item {
        std::string text;
        std::any object;
        bool checked = false;
        bool selected = false;
    };
    void Check(int index) const;
    void CheckNotSorted() const;
    void Changed();

    bool Updating() const { return UpdateCount() > 0; }

    std::vector<Item> items_;
    bool sorted_ = false;
    TItemNotifier notifier_;
};

}  // namespace ui
