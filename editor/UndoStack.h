#pragma once
// TUndoStack: the undo and redo history of a TTextMemo. Each record holds a range as a change
// left it and the text the range held before; undoing swaps the two, so the same record then
// redoes the change. A record marked Group is undone and redone with the one before it: the
// changes of one command (a column block, a drop, a paste of rows) are one step.
//
// The history is bounded by a number of records and by a bookkeeping size; trimming drops the
// redo records first, then the oldest ones, and never the newest record, so the change just
// made can always be undone. Typing on where the last change ended extends that change
// unless the group was broken (a caret move, a selection change, a paste).
//
// The stack knows nothing of the text: replaying a record is the editor's (TReplay).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace editor {

// The largest UndoMaxLevel.
constexpr int kMaxUndoLevel = 134217727;

// One undo record: the range [Start, Stop) as the change left it and the text it held before.
// Group: undone and redone together with the record before it.
struct TUndoRecord {
    int Start = 0;
    int Stop = 0;
    bool Group = false;
    std::string Text;
    // The bookkeeping size of the record.
    std::int64_t Size() const noexcept { return 13 + static_cast<std::int64_t>(Text.size()); }
};

class TUndoStack {
public:
    // Replaces the record's range by its text; returns the offset after the inserted text and
    // gives back, in `replaced`, what the range held.
    using TReplay = std::function<int(const TUndoRecord& record, std::string& replaced)>;

    bool CanUndo() const noexcept { return pos_ >= 1; }
    bool CanRedo() const noexcept { return pos_ < static_cast<int>(records_.size()); }
    void Clear() noexcept;
    void BreakGroup() noexcept { groupBroken_ = true; }

    // A change replaced [start, stop) (stop == start: an insertion) by text ending at `end`;
    // `oldText` is what the range held. Nothing is recorded while a record is replayed.
    void Record(int start, int stop, int end, std::string oldText);
    // While the editor replays (BeginReplay to EndReplay, the editor's own update included)
    // nothing is recorded; after it, typing starts a new step.
    void BeginReplay() noexcept { running_ = true; }
    void EndReplay() noexcept;
    // Replays the newest step (every record of its group), newest record first.
    void Undo(const TReplay& replay);
    // Replays the next step to redo with every record grouped with it.
    void Redo(const TReplay& replay);

    // The changes between BeginCommand and EndCommand are one step (pairs nest; use
    // rtl::MakeScope).
    void BeginCommand() noexcept;
    void EndCommand() noexcept { --commandDepth_; }

    int MaxLevel() const noexcept { return maxLevel_; }
    // Above kMaxUndoLevel: "Undo set too high" and the old value stays.
    void SetMaxLevel(int level);
    int MaxSpace() const noexcept { return maxSpace_; }
    void SetMaxSpace(int space);

    const std::vector<TUndoRecord>& Records() const noexcept { return records_; }
    int Position() const noexcept { return pos_; }
    std::int64_t Space() const noexcept { return space_; }

private:
    // Swaps the record with what its range holds now.
    void ReplayRecord(TUndoRecord& record, const TReplay& replay);
    void Trim();
    void DeleteRecord(int index) noexcept;
    // Drops redo records, newest first, while the history takes more than `space`.
    void DropRedoRecords(std::int64_t space) noexcept;

    std::vector<TUndoRecord> records_;
    int pos_ = 0;
    std::int64_t space_ = 0;
    int maxLevel_ = 256;
    int maxSpace_ = 65536;
    bool running_ = false;
    bool groupBroken_ = true;
    int commandDepth_ = 0;    // inside a command: records after the first are grouped
    int commandRecords_ = 0;
};

}  // namespace editor
