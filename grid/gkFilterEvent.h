#pragma once
// The record filter behind the OnFilter event of the library's data sets (query, stored
// procedure, table): one runner per data set, knowing the data set, its options (read and
// written through its published "OnFilterOptions", gkGetFilterOptions) and two calls the
// concrete class hands in: its OnFilter handler and its OnFilterEscape event.
//
// Asked for a record (the data set's fields read the record under test then), the filter
//   1. accepts without asking anything while the data set is being destroyed, when OnFilter
//      is not assigned, when it is already running (no re-entry) and, for all but stored
//      procedures, when ofoEnabled is off;
//   2. calls OnFilter with Accept True;
//   3. with ofoShowHourGlass, on the first rejected record shows the hourglass (once; the
//      arrow comes back once the records are read: RecordsSettled);
//   4. with ofoCancelOnEscape, counts the records (0 .. 31999, wrapping at 32,000) and on
//      every 100th asks whether Escape was pressed (gkCheckFilterEscape); when it was,
//      ofoEnabled is removed, so every later record passes, and OnFilterEscape fires;
//   5. answers Accept.
// Stored procedures run steps 1 (without ofoEnabled), 2 and 5 only.
//
// Removing ofoEnabled while the data set is open and OnFilter assigned re-reads the records,
// so all of them show at once and the current record stays current; removed while the filter
// runs (by Escape), the re-read waits until the records are read.

#include <cstdint>
#include <functional>

#include "grid/GridRoutines.h"
#include "platform/db/DataSet.h"

namespace grid {

// The warning shown when the filter cannot be installed on an open query or stored procedure.
extern const char* const gkLocalFilterWarning;

class TgkFilterEvent {
public:
    enum class TSteps { Full, HandlerOnly };
    // What the concrete data set hands in.
    struct TCalls {
        // Calls OnFilter with the Accept flag; false (Accept untouched) when it is unassigned.
        std::function<bool(bool& accept)> callHandler;
        // Fires OnFilterEscape.
        std::function<void()> fireEscape;
        // Reads the records again through every filter (the data set moves to the first).
        std::function<void()> reread;
    };

    TgkFilterEvent(db::TDataSet& dataSet, TSteps steps, TCalls calls);
    // Removes the filter; the data set closes itself first, so nothing is re-read.
    ~TgkFilterEvent();
    TgkFilterEvent(const TgkFilterEvent&) = delete;
    TgkFilterEvent& operator=(const TgkFilterEvent&) = delete;

    // The data set opens its storage (before the first records are read): the filter goes on
    // when OnFilter is assigned. False when it could not.
    bool Opening(bool handlerAssigned);
    // The data set has closed: the filter goes with its records.
    void Closed();
    // OnFilter was set (already stored): assigned on an open data set installs the filter,
    // with the warning `warning` when that fails (the data set stays open and unfiltered);
    // cleared removes it and shows every record.
    void HandlerChanged(bool assigned, const char* warning);
    // OnFilterOptions was set (already stored) from `before`.
    void OptionsChanged(TgkFilterOptions before, bool handlerAssigned);
    // The data set's records are read and its cursor placed (db::TDataSet::RecordsSettled).
    void RecordsSettled();

    // The record filter itself: whether the record under test shows.
    bool Accept();

    db::TRecordFilterHandle Handle() const noexcept { return handle_; }
    // The records counted for the Escape check so far (0 .. 31999).
    std::int32_t Counter() const noexcept { return counter_; }

private:
    void Reread();
    void TakeBackHourGlass();

    db::TDataSet& dataSet_;
    TSteps steps_;
    TCalls calls_;
    db::TRecordFilterHandle handle_ = 0;
    bool running_ = false;
    bool hourGlassShown_ = false;
    bool rereadPending_ = false;
    std::int32_t counter_ = 0;
};

}  // namespace grid
