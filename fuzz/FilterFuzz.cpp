// Fuzz target of filter texts: the input after a byte that chooses the regional settings is a
// filter text, compiled over a data set with a field of each type and installed on it.
//
// Promises checked: any text compiles or gives no tree without a crash or a hang; a tree
// installs or raises the library's conversion or database error (nothing else); installed, it
// shows a part of the records, the same part when installed again; dropped, all of them.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "fuzz/Settings.h"
#include "grid/gkFilter.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/Dialogs.h"
#include "tests/db/MemDataSet.h"

namespace {

// Answers the field warning with its OK button; no other question is asked.
class OkDialogs : public ui::IDialogService {
public:
    int Message(const ui::TMessageRequest&) override { return ui::mrOk; }
    bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
    bool FileDialog(ui::TFileDialogRequest&) override { return false; }
    bool ColorDialog(rtl::TColor&) override { return false; }
    bool FontDialog(classes::TFont&) override { return false; }
    int ShowModal(ui::TCustomForm&) override { return ui::mrNone; }
};

constexpr int kRecords = 4;

dbtest::TMemDataSet& Records()
{
    static dbtest::TMemDataSet* mem = [] {
        using namespace db;
        auto* ds = new dbtest::TMemDataSet;
        ds->columns = {{"ID", ftInteger},      {"Name", ftString},     {"Qty", ftInteger},     {"Small", ftSmallint},
                       {"Big", ftLargeint},    {"Price", ftFloat},     {"Amount", ftBCD, 2},   {"Born", ftDate},
                       {"At", ftTime},         {"Stamp", ftDateTime},  {"Active", ftBoolean},  {"Code", ftFixedChar, 4},
                       {"Wide", ftWideString}, {"Notes", ftMemo},      {"First Name", ftString}, {"Größe", ftWord}};
        const TVariant null;
        const auto when = [](int y, int m, int d, int h) {
            return TVariant::FromDateTime(rtl::EncodeDate(y, m, d) + rtl::EncodeTime(h, 0, 0, 0));
        };
        ds->AddRow({1, "Smith", 1, 4464, 70000LL, 1.5, TVariant::FromDecimal("10.25"), when(2023, 1, 5, 0),
                    when(1899, 12, 30, 9), when(2023, 1, 5, 10), true, "AB", "Ünïcode", "text", "Ann", 3});
        ds->AddRow({2, "smith", 70000, -2, -9000000000LL, -20.0, TVariant::FromDecimal("-0.10"), when(2023, 2, 1, 0),
                    when(1899, 12, 30, 14), when(2023, 2, 1, 0), false, "CD", "", null, "", 4});
        ds->AddRow({3, null, null, null, null, null, null, null, null, null, null, null, null, null, null, null});
        ds->AddRow({4, "Smith OR City", 5, 0, 0LL, 0.0, TVariant::FromDecimal("0"), when(1, 1, 1, 0),
                    when(1899, 12, 30, 0), when(9999, 12, 31, 23), true, "", "zz", "x", "Ann", 65535});
        ds->Open();
        return ds;
    }();
    return *mem;
}

int Shown(db::TDataSet& ds)
{
    int n = 0;
    for (ds.First(); !ds.Eof(); ds.Next()) ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    rtl::FormatSettings() = fuzz::SettingsNumber(provider.ConsumeIntegralInRange(0, fuzz::kSettingsCount - 1));
    const std::string text = provider.ConsumeRemainingBytesAsString();
    static OkDialogs dialogs;
    ui::TDialogServiceScope scope(dialogs);
    dbtest::TMemDataSet& ds = Records();

    (void)grid::gkFilterCompile(text, ds);
    db::TRecordFilterHandle handle = 0;
    bool installed = false;
    try {
        installed = grid::gkApplyFilterText(text, ds, handle, false);
    } catch (const rtl::Exception&) {
        fuzz::Check(handle == 0 && !ds.HasRecordFilters(), "a failed installation leaves no filter");
        return 0;
    }
    fuzz::Check(installed == (handle != 0 || text.empty()), "the handle names what was installed");
    const int shown = Shown(ds);
    fuzz::Check(shown >= 0 && shown <= kRecords, "a filter shows a part of the records");
    if (handle != 0) {
        fuzz::Check(grid::gkApplyFilterText(text, ds, handle, false), "the same text installs again");
        fuzz::Check(Shown(ds) == shown, "the same text shows the same records");
    }
    grid::gkDropFilter(ds, handle);
    fuzz::Check(handle == 0 && !ds.HasRecordFilters(), "dropped, no filter is left");
    fuzz::Check(Shown(ds) == kRecords, "dropped, every record shows");
    return 0;
}
