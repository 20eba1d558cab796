#include "grid/gkFilterEvent.h"

#include <utility>

#include "grid/gkFilter.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

namespace grid {

const char* const gkLocalFilterWarning =
    "Local filtering is not supported on a Live-Query which contains a Where clause in the SQL string. To perform "
    "a local filter on this query, you will need to set its RequestLive property to False.";

namespace {

// The Escape check is asked on every 100th record, the count wrapping at 32,000.
constexpr std::int32_t kEscapeEvery = 100;
constexpr std::int32_t kCounterWrap = 32000;

}  // namespace

TgkFilterEvent::TgkFilterEvent(db::TDataSet& dataSet, TSteps steps, TCalls calls)
    : dataSet_(dataSet), steps_(steps), calls_(std::move(calls))
{
}

TgkFilterEvent::~TgkFilterEvent()
{
    try {
        gkDropFilter(dataSet_, handle_);
    } catch (...) {
        rtl::LogCurrentException("TgkFilterEvent: removing the record filter");
    }
    TakeBackHourGlass();
}

bool TgkFilterEvent::Opening(bool handlerAssigned)
{
    if (!handlerAssigned) return true;
    return gkSetFilterCallback([this](db::TDataSet&) { return Accept(); }, dataSet_, handle_);
}

void TgkFilterEvent::Closed()
{
    gkDropFilter(dataSet_, handle_);
    rereadPending_ = false;
    TakeBackHourGlass();
}

void TgkFilterEvent::HandlerChanged(bool assigned, const char* warning)
{
    if (!assigned) {
        if (handle_ != 0) gkSetFilterCallback(nullptr, dataSet_, handle_);
        return;
    }
    if (!dataSet_.Active()) return;
    if (!gkSetFilterCallback([this](db::TDataSet&) { return Accept(); }, dataSet_, handle_))
        ui::MessageDlg(warning, ui::mtWarning, {ui::mbOK});
}

void TgkFilterEvent::OptionsChanged(TgkFilterOptions before, bool handlerAssigned)
{
    if (!handlerAssigned || !before.Contains(ofoEnabled) || gkGetFilterOptions(&dataSet_).Contains(ofoEnabled)) return;
    Reread();
}

void TgkFilterEvent::Reread()
{
    // Records cannot be read again from inside the filter that reads them: once they are read.
    if (running_) {
        rereadPending_ = true;
        return;
    }
    if (!dataSet_.Active()) return;
    const db::TBookmark current = dataSet_.GetBookmark();
    calls_.reread();
    if (!current.empty() && dataSet_.BookmarkValid(current)) dataSet_.GotoBookmark(current);
}

void TgkFilterEvent::RecordsSettled()
{
    TakeBackHourGlass();
    if (rereadPending_ && !running_ && dataSet_.Active()) {
        rereadPending_ = false;
        Reread();
    }
}

void TgkFilterEvent::TakeBackHourGlass()
{
    // Taken back whatever the options say now: an hourglass the filter showed never stays.
    if (!std::exchange(hourGlassShown_, false)) return;
    ui::Screen().SetCursor(ui::crArrow);
}

bool TgkFilterEvent::Accept()
{
    if (running_ || dataSet_.ComponentState().Contains(classes::csDestroying)) return true;
    const bool full = steps_ == TSteps::Full;
    if (full && !gkGetFilterOptions(&dataSet_).Contains(ofoEnabled)) return true;
    // Running until the record is decided: what the handler or the Escape check changes
    // waits for the end of the records (a re-read cannot start in the middle of one).
    running_ = true;
    const rtl::TScopeExit done([this] { running_ = false; });
    // The data set's fields read the record under test already (it is in dsFilter).
    bool accept = true;
    try {
        if (!calls_.callHandler(accept)) return true;
    } catch (...) {
        // The records are not read to the end: no one else takes the hourglass back.
        TakeBackHourGlass();
        throw;
    }
    if (!full) return accept;
    const TgkFilterOptions options = gkGetFilterOptions(&dataSet_);
    if (options.Contains(ofoShowHourGlass) && !hourGlassShown_ && !accept) {
        if (ui::Screen().Cursor() != ui::crHourGlass) ui::Screen().SetCursor(ui::crHourGlass);
        hourGlassShown_ = true;
    }
    if (options.Contains(ofoCancelOnEscape)) {
        if (++counter_ == kCounterWrap) counter_ = 0;
        // gkCheckFilterEscape has switched ofoEnabled off: every later record passes.
        if (counter_ % kEscapeEvery == 0 && gkCheckFilterEscape(&dataSet_) && calls_.fireEscape) calls_.fireEscape();
    }
    return accept;
}

}  // namespace grid
