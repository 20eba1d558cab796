// Fuzz target of the visual query's design text (the lines a project file stores): restored
// over a fake schema, a text must end in the conversion error or in a design, never in a
// crash, a leak or a hang; a restored design saves to lines that restore and save the same,
// and its SELECT can be generated.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "tests/vquery/VQueryTestSupport.h"

namespace {

using namespace vquery;

void FakeSchema(vqtest::QueryFixture& f)
{
    // Names from the database may spell another field's setting or hold an "=".
    f.Table("", "T", {{"a", db::adInteger}, {"b"}, {"a.CompareOperator"}, {"Calculate0.CalColExpression"}, {"b=c"}});
    f.Table("", "order details", {{"id", db::adInteger}, {"order", db::adInteger}, {"note"}});
    f.Table("Sales", "group", {{"id", db::adInteger}, {"name"}, {"born", db::adDBDate}});
    f.Q().AnsiKeywords().Add("ORDER");
    f.Q().AnsiKeywords().Add("GROUP");
}

// Restores `lines` and saves the design; false when the text is refused.
bool LoadAndSave(const rtl::TStrings& lines, rtl::TStringList& saved)
{
    vqtest::QueryFixture f;
    FakeSchema(f);
    try {
        f.Q().LoadFromStrings(lines);
    } catch (const rtl::EConvertError&) {
        return false;
    }
    f.Q().SaveToStrings(saved);
    f.Q().SQL();
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    rtl::TStringList input;
    input.SetText(std::string(reinterpret_cast<const char*>(data), size));
    rtl::TStringList once;
    if (!LoadAndSave(input, once)) return 0;
    rtl::TStringList twice;
    if (!LoadAndSave(once, twice) || once.Count() != twice.Count()) __builtin_trap();
    for (int i = 0; i < once.Count(); ++i)
        if (once.Strings(i) != twice.Strings(i)) __builtin_trap();
    return 0;
}
