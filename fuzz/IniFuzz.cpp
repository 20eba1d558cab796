// Fuzz target of the INI reader and writer (TIniDocument), of TIniFile reading a file and of
// the per-user registry (TRegistry) standing on the same format. The input ends in a few
// bytes that pick changes (names from the file itself and from a list of awkward ones); the
// rest is the file.
//
// Promises checked: the text written reads back to the same sections, keys and values and
// writes out the same again; a file with one line-break convention and a final break is
// written back byte for byte; a value set is the value read, also after the text is read
// again; a registry key opened with canCreate exists, and a value written reads back.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/rtl/IniFile.h"
#include "platform/rtl/Registry.h"

namespace {

using rtl::TIniDocument;

// Names and values that stress the format: blanks at the ends, quotes, "=", brackets, case,
// comment starts, UTF-8, line breaks (refused).
const char* const kAwkward[] = {
    "", " ", "a", "A", " a ", "x=y", "[q", "a]b", "]", ";c", "#h", "'v'", "\"w\"", "\" q", "\xC3\xA9t\xC3\xA9",
    "k\r", "k\nv", "\\", "a\\b", "\\a\\ b", "Software\\GWTips", "\t", "=", "  \"x\"  ", "9"};

std::string Pick(const std::vector<std::string>& own, std::uint8_t index)
{
    const std::size_t awkward = std::size(kAwkward);
    if (own.empty() || index < awkward * 2) return kAwkward[index % awkward];
    return own[index % own.size()];
}

// Sections and keys read the same from both documents.
void CheckSameContent(const TIniDocument& a, const TIniDocument& b)
{
    const std::vector<std::string> sections = a.Sections();
    fuzz::Check(sections == b.Sections(), "sections read back");
    for (const std::string& s : sections) {
        const std::vector<std::string> keys = a.Keys(s);
        fuzz::Check(keys == b.Keys(s), "keys read back");
        for (const std::string& k : keys) fuzz::Check(a.Value(s, k) == b.Value(s, k), "values read back");
    }
}

void CheckRereads(const TIniDocument& doc)
{
    const std::string text = doc.Text();
    const TIniDocument again(text);
    CheckSameContent(doc, again);
    fuzz::Check(again.Text() == text, "a written text writes out the same again");
}

// True when `text` keeps to one line-break convention (the first one met) and ends with it.
bool OneConvention(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    if (text.empty()) return true;
    const std::size_t first = text.find_first_of("\r\n");
    if (first == std::string_view::npos) return false;
    const std::string_view brk = text.substr(first, 2) == "\r\n" ? "\r\n" : "\n";
    if (!text.ends_with(brk)) return false;
    for (std::size_t i = text.find_first_of("\r\n"); i != std::string_view::npos; i = text.find_first_of("\r\n", i)) {
        if (text.substr(i, brk.size()) != brk) return false;
        i += brk.size();
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzz::InputFile input;
    FuzzedDataProvider provider(data, size);
    struct Change {
        std::uint8_t kind, section, key, value;
    };
    std::vector<Change> changes(provider.ConsumeIntegralInRange<std::size_t>(0, 6));
    for (Change& c : changes) {
        c.kind = provider.ConsumeIntegral<std::uint8_t>();
        c.section = provider.ConsumeIntegral<std::uint8_t>();
        c.key = provider.ConsumeIntegral<std::uint8_t>();
        c.value = provider.ConsumeIntegral<std::uint8_t>();
    }
    const std::string text = provider.ConsumeRemainingBytesAsString();

    // ---- The document --------------------------------------------------------------------
    TIniDocument doc(text);
    CheckRereads(doc);
    if (OneConvention(text)) fuzz::Check(doc.Text() == text, "a file of one convention is written back as read");

    std::vector<std::string> sections = doc.Sections();
    std::vector<std::string> keys;
    for (const std::string& s : sections)
        for (const std::string& k : doc.Keys(s)) keys.push_back(k);

    for (const Change& c : changes) {
        const std::string section = Pick(sections, c.section);
        const std::string key = Pick(keys, c.key);
        const std::string value = Pick(keys, c.value);
        switch (c.kind % 4) {
        case 0:
        case 1: {
            const std::string before = doc.Text();
            try {
                doc.SetValue(section, key, value);
            } catch (const rtl::EIniFileException&) {
                fuzz::Check(doc.Text() == before, "a refused change changes nothing");
                break;
            }
            fuzz::Check(doc.Value(section, key) == value, "a value set is the value read");
            fuzz::Check(TIniDocument(doc.Text()).Value(section, key) == value, "a value set is read from the file");
            break;
        }
        case 2:
            doc.DeleteKey(section, key);
            fuzz::Check(!doc.Value(section, key), "a deleted key is gone");
            break;
        case 3:
            doc.EraseSection(section);
            fuzz::Check(!doc.SectionExists(section), "an erased section is gone");
            break;
        }
        CheckRereads(doc);
    }

    // ---- TIniFile reading the file -------------------------------------------------------
    const TIniDocument read(text);
    rtl::TIniFile ini(input.Hold(text));
    fuzz::Check(ini.ReadSections() == read.Sections(), "TIniFile reads the sections");
    for (const std::string& s : read.Sections()) {
        fuzz::Check(ini.ReadSection(s) == read.Keys(s), "TIniFile reads the keys");
        for (const std::string& k : read.Keys(s))
            fuzz::Check(ini.ReadString(s, k, "") == read.Value(s, k).value_or(""), "TIniFile reads the values");
    }

    // ---- The registry on the same text ---------------------------------------------------
    const std::string registryFile = fuzz::ScratchFolder() + "/registry.ini";
    {
        std::ofstream out(registryFile, std::ios::binary | std::ios::trunc);
        out << text;
    }
    rtl::TRegistry reg(registryFile);
    for (const Change& c : changes) {
        const std::string key = Pick(sections, c.section);
        const std::string name = Pick(keys, c.key);
        const std::string value = Pick(keys, c.value);
        switch (c.kind / 4 % 4) {
        case 0:
            if (reg.OpenKey(key, (c.kind & 0x40) != 0)) {
                fuzz::Check(reg.KeyExists("\\" + reg.CurrentPath()), "an opened key exists");
                rtl::TRegistry other(registryFile);
                fuzz::Check(other.OpenKey("\\" + reg.CurrentPath(), false), "an opened key opens again");
            }
            break;
        case 1:
            try {
                reg.WriteString(name, value);
            } catch (const rtl::ERegistryException&) {
                break;
            }
            fuzz::Check(reg.ValueExists(name) && reg.ReadString(name) == value, "a value written reads back");
            break;
        case 2: {
            const std::string absolute = key.starts_with('\\') ? key : "\\" + reg.CurrentPath() + "\\" + key;
            if (reg.DeleteKey(key)) fuzz::Check(!reg.KeyExists(absolute), "a deleted key is gone");
            break;
        }
        case 3:
            for (const std::string& sub : reg.GetKeyNames()) fuzz::Check(reg.KeyExists(sub), "a listed key exists");
            for (const std::string& v : reg.GetValueNames()) fuzz::Check(reg.ValueExists(v), "a listed value exists");
            break;
        }
    }
    return 0;
}
