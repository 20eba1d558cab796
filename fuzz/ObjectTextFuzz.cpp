// Fuzz target of the component text form: the parser, and the reader into components of
// every property kind. Malformed text must end in the reader's error, never a crash, a
// leak or a hang; text that is read must write and read again to the same text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Streaming.h"
#include "platform/classes/TextForm.h"
#include "tests/classes/TestComponents.h"

namespace {

using namespace classes;

// Reads `text` into a fresh form and writes the form; empty when the text cannot be read.
bool ReadAndWrite(std::string_view text, std::string& written)
{
    test::TTestForm form(nullptr);
    try {
        ReadComponentText(form, text);
    } catch (const EReadError&) {
        return false;
    }
    written = WriteComponentText(form);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool registered = (test::RegisterTestClasses(), true);
    (void)registered;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // The syntax alone: what parses formats to text that parses and formats the same.
    try {
        const std::string once = FormatObjectText(ParseObjectText(text));
        const std::string twice = FormatObjectText(ParseObjectText(once));
        if (once != twice) __builtin_trap();
    } catch (const EParserError&) {
    }

    // Into components: what is read writes out to text that reads back to the same.
    std::string first;
    if (ReadAndWrite(text, first)) {
        std::string second;
        if (!ReadAndWrite(first, second) || first != second) __builtin_trap();
    }
    return 0;
}
