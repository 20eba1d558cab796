#include "editor/UndoStack.h"

#include "editor/TextStore.h"

#include "platform/rtl/Exceptions.h"

#include <algorithm>

namespace editor {

void TUndoStack::Clear() noexcept
{
    records_.clear();
    pos_ = 0;
    space_ = 0;
}

void TUndoStack::EndReplay() noexcept
{
    running_ = false;
    groupBroken_ = true;
}

void TUndoStack::BeginCommand() noexcept
{
    ++commandDepth_;
    if (commandDepth_ == 1) commandRecords_ = 0;
}

void TUndoStack::Record(int start, int stop, int end, std::string oldText)
{
    if (running_) return;
    while (static_cast<int>(records_.size()) > pos_) DeleteRecord(static_cast<int>(records_.size()) - 1);
    const bool grouped = commandDepth_ > 0 && commandRecords_++ > 0;
    // Typing on where the last change ended extends that change.
    if (start == stop && oldText.empty() && pos_ > 0 && !groupBroken_) {
        TUndoRecord& last = records_[static_cast<std::size_t>(pos_ - 1)];
        if (last.Stop == start && last.Start != start) {
            last.Stop = end;
            return;
        }
    }
    if (oldText.size() > static_cast<std::size_t>(kMaxTextLength)) {
        Clear();
        oldText.resize(static_cast<std::size_t>(kMaxTextLength));
    }
    TUndoRecord r;
    r.Start = start;
    r.Stop = end;
    r.Group = grouped;
    r.Text = std::move(oldText);
    space_ += r.Size();
    records_.push_back(std::move(r));
    ++pos_;
    groupBroken_ = false;
    Trim();
}

void TUndoStack::ReplayRecord(TUndoRecord& r, const TReplay& replay)
{
    std::string old;
    const int end = replay(r, old);
    space_ += static_cast<std::int64_t>(old.size()) - static_cast<std::int64_t>(r.Text.size());
    r.Text = std::move(old);
    r.Stop = end;
}

void TUndoStack::Undo(const TReplay& replay)
{
    if (!CanUndo()) return;
    for (;;) {
        TUndoRecord& r = records_[static_cast<std::size_t>(pos_ - 1)];
        ReplayRecord(r, replay);
        --pos_;
        if (!r.Group || pos_ == 0) break;
    }
}

void TUndoStack::Redo(const TReplay& replay)
{
    if (!CanRedo()) return;
    for (;;) {
        ReplayRecord(records_[static_cast<std::size_t>(pos_)], replay);
        ++pos_;
        if (pos_ >= static_cast<int>(records_.size()) || !records_[static_cast<std::size_t>(pos_)].Group) break;
    }
}

// Redo records go first, then the oldest; the newest record stays whatever its size, so the
// change just made can always be undone.
void TUndoStack::Trim()
{
    DropRedoRecords(maxSpace_);
    while (space_ > maxSpace_ && pos_ > 1) DeleteRecord(0);
    while (pos_ > std::max(maxLevel_, 0)) DeleteRecord(0);
}

void TUndoStack::DropRedoRecords(std::int64_t space) noexcept
{
    while (space_ > space && static_cast<int>(records_.size()) > pos_) DeleteRecord(static_cast<int>(records_.size()) - 1);
}

void TUndoStack::DeleteRecord(int index) noexcept
{
    space_ -= records_[static_cast<std::size_t>(index)].Size();
    if (index < pos_) --pos_;
    records_.erase(records_.begin() + index);
    // A group that lost its first record starts at the next one.
    if (index == 0 && !records_.empty()) records_.front().Group = false;
}

void TUndoStack::SetMaxLevel(int level)
{
    if (level > kMaxUndoLevel) throw rtl::Exception("Undo set too high");
    maxLevel_ = level;
    const int keep = std::max(pos_, std::max(level, 0));
    while (static_cast<int>(records_.size()) > keep) DeleteRecord(static_cast<int>(records_.size()) - 1);
    while (pos_ > std::max(level, 0)) DeleteRecord(0);
}

void TUndoStack::SetMaxSpace(int space)
{
    maxSpace_ = space;
    DropRedoRecords(space);
    while (space_ > space && !records_.empty()) DeleteRecord(0);
}

}  // namespace editor
