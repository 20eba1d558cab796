#include "platform/rtl/IniFile.h"

#include "platform/rtl/Files.h"
#include "platform/rtl/Paths.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>

namespace rtl {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsQuote(char ch) { return ch == '"' || ch == '\''; }

// A value as the reader gives it back: trimmed, one pair of matching quotes removed.
std::string DecodeValue(std::string_view raw)
{
    std::string value = Trim(raw);
    if (value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// A value as it must be written so that DecodeValue gives it back unchanged.
std::string EncodeValue(std::string_view value)
{
    const bool blankAtEnd = !value.empty() && (static_cast<unsigned char>(value.front()) <= ' ' ||
                                               static_cast<unsigned char>(value.back()) <= ' ');
    const bool looksQuoted = value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front();
    if (blankAtEnd || looksQuoted) return "\"" + std::string(value) + "\"";
    return std::string(value);
}

std::string_view EntryValueText(std::string_view line) { return line.substr(line.find('=') + 1); }

void AddUnique(std::vector<std::string>& names, const std::string& name)
{
    const bool known = std::any_of(names.begin(), names.end(),
                                   [&](const std::string& n) { return SameText(n, name); });
    if (!known) names.push_back(name);
}

std::string CheckedSectionName(std::string_view section)
{
    if (ini::HasLineBreak(section)) {
        throw EIniFileException("Section name \"" + std::string(section) + "\" holds a line break");
    }
    return Trim(section);
}

std::string CheckedKey(std::string_view key)
{
    std::string name = Trim(key);
    if (name.empty() || ini::HasLineBreak(name) || name.find('=') != std::string::npos || name.front() == '[' ||
        name.front() == ';' || name.front() == '#') {
        throw EIniFileException("Invalid key name \"" + std::string(key) + "\"");
    }
    return name;
}

void AssignStrings(TStrings& strings, const std::vector<std::string>& items)
{
    auto update = MakeScope(strings, &TStrings::BeginUpdate, &TStrings::EndUpdate);
    strings.Clear();
    for (const auto& item : items) strings.Add(item);
}

}  // namespace

// ---- TIniDocument --------------------------------------------------------------------------

void TIniDocument::Parse(std::string_view text)
{
    sections_.assign(1, Section{});
    byteOrderMark_ = text.starts_with(kByteOrderMark);
    if (byteOrderMark_) text.remove_prefix(kByteOrderMark.size());
    const std::size_t firstBreak = text.find_first_of("\r\n");
    lineBreak_ = (firstBreak != std::string_view::npos && text.substr(firstBreak, 2) == "\r\n") ? "\r\n" : "\n";

    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
        const std::string_view raw = text.substr(pos, end - pos);
        pos = end;
        if (pos < text.size()) pos += text.substr(pos, 2) == "\r\n" ? 2 : 1;

        Line line{std::string(raw), {}, false};
        const std::string trimmed = Trim(raw);
        const std::size_t close = trimmed.rfind(']');
        if (!trimmed.empty() && trimmed.front() == '[' && close != std::string::npos) {
            sections_.push_back(Section{Trim(std::string_view(trimmed).substr(1, close - 1)), true, {line}});
            continue;
        }
        const std::size_t eq = trimmed.find('=');
        if (!trimmed.empty() && trimmed.front() != ';' && trimmed.front() != '#' && eq != std::string::npos) {
            line.key = Trim(std::string_view(trimmed).substr(0, eq));
            line.entry = !line.key.empty();
        }
        sections_.back().lines.push_back(std::move(line));
    }
}

std::string TIniDocument::Text() const
{
    std::string text = byteOrderMark_ ? std::string(kByteOrderMark) : std::string();
    for (const auto& section : sections_) {
        for (const auto& line : section.lines) {
            text += line.text;
            text += lineBreak_;
        }
    }
    return text;
}

std::vector<TIniDocument::Section*> TIniDocument::Find(std::string_view section)
{
    std::vector<Section*> found;
    for (auto& s : sections_) {
        if (s.hasHeader && SameText(s.name, section)) found.push_back(&s);
    }
    return found;
}

std::vector<const TIniDocument::Section*> TIniDocument::Find(std::string_view section) const
{
    std::vector<const Section*> found;
    for (const auto& s : sections_) {
        if (s.hasHeader && SameText(s.name, section)) found.push_back(&s);
    }
    return found;
}

std::vector<std::string> TIniDocument::Sections() const
{
    std::vector<std::string> names;
    for (const auto& s : sections_) {
        if (s.hasHeader) AddUnique(names, s.name);
    }
    return names;
}

bool TIniDocument::SectionExists(std::string_view section) const { return !Find(Trim(section)).empty(); }

std::vector<std::string> TIniDocument::Keys(std::string_view section) const
{
    std::vector<std::string> keys;
    for (const Section* s : Find(Trim(section))) {
        for (const auto& line : s->lines) {
            if (line.entry) AddUnique(keys, line.key);
        }
    }
    return keys;
}

std::optional<std::string> TIniDocument::Value(std::string_view section, std::string_view key) const
{
    const std::string name = Trim(key);
    for (const Section* s : Find(Trim(section))) {
        for (const auto& line : s->lines) {
            if (line.entry && SameText(line.key, name)) return DecodeValue(EntryValueText(line.text));
        }
    }
    return std::nullopt;
}

void TIniDocument::SetValue(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string sectionName = CheckedSectionName(section);
    const std::string name = CheckedKey(key);
    if (ini::HasLineBreak(value)) {
        throw EIniFileException("The value of \"" + name + "\" holds a line break");
    }
    const std::string encoded = EncodeValue(value);

    std::vector<Section*> found = Find(sectionName);
    for (Section* s : found) {
        for (auto& line : s->lines) {
            if (line.entry && SameText(line.key, name)) {
                line.text = line.key + "=" + encoded;
                return;
            }
        }
    }
    if (found.empty()) {
        AddSection(sectionName);
        found = Find(sectionName);
    }
    auto& lines = found.front()->lines;
    // After the section's last entry, so that comments and blank lines before the next
    // section stay where they are.
    auto after = lines.begin() + 1;
    for (auto it = lines.begin() + 1; it != lines.end(); ++it) {
        if (it->entry) after = it + 1;
    }
    lines.insert(after, Line{name + "=" + encoded, name, true});
}

void TIniDocument::AddSection(std::string_view section)
{
    const std::string sectionName = CheckedSectionName(section);
    if (!Find(sectionName).empty()) return;
    sections_.push_back(Section{sectionName, true, {Line{"[" + sectionName + "]", {}, false}}});
}

bool TIniDocument::EraseSection(std::string_view section)
{
    const std::string sectionName = Trim(section);
    const auto removed = std::erase_if(
        sections_, [&](const Section& s) { return s.hasHeader && SameText(s.name, sectionName); });
    return removed > 0;
}

bool TIniDocument::DeleteKey(std::string_view section, std::string_view key)
{
    const std::string name = Trim(key);
    bool removed = false;
    for (Section* s : Find(Trim(section))) {
        removed |= std::erase_if(s->lines, [&](const Line& l) { return l.entry && SameText(l.key, name); }) > 0;
    }
    return removed;
}

// ---- Shared helpers -------------------------------------------------------------------------

std::optional<TIniDocument> ini::LoadFile(const std::string& path)
{
    if (!FileExists(path)) return TIniDocument{};
    try {
        return TIniDocument(ReadFileToString(path));
    } catch (const Exception&) {
        return std::nullopt;
    }
}

bool ini::HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// ---- TCustomIniFile ------------------------------------------------------------------------

int TCustomIniFile::ReadInteger(std::string_view section, std::string_view ident, int defaultValue) const
{
    return StrToIntDef(ReadString(section, ident, ""), defaultValue);
}

void TCustomIniFile::WriteInteger(std::string_view section, std::string_view ident, int value)
{
    WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(std::string_view section, std::string_view ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

std::vector<std::string> TCustomIniFile::ReadSectionValues(std::string_view section) const
{
    std::vector<std::string> lines;
    for (const auto& key : ReadSection(section)) lines.push_back(key + "=" + ReadString(section, key, ""));
    return lines;
}

void TCustomIniFile::ReadSection(std::string_view section, TStrings& strings) const
{
    AssignStrings(strings, ReadSection(section));
}

void TCustomIniFile::ReadSections(TStrings& strings) const { AssignStrings(strings, ReadSections()); }

void TCustomIniFile::ReadSectionValues(std::string_view section, TStrings& strings) const
{
    AssignStrings(strings, ReadSectionValues(section));
}

// ---- TIniFile ------------------------------------------------------------------------------

TIniFile::TIniFile(std::string fileName)
    : TCustomIniFile(!fileName.empty() && fileName.find('/') == std::string::npos ? ConfigDir() + fileName
                                                                                   : std::move(fileName))
{
}

TIniDocument TIniFile::Load() const
{
    if (FileName().empty()) return TIniDocument{};
    return ini::LoadFile(FileName()).value_or(TIniDocument{});
}

template <class Change>
void TIniFile::Modify(Change&& change)
{
    const std::string failure = "Unable to write to " + FileName();
    if (FileName().empty()) throw EIniFileException(failure);
    std::optional<TIniDocument> doc = ini::LoadFile(FileName());
    if (!doc) throw EIniFileException(failure);
    const std::string before = doc->Text();
    change(*doc);
    const std::string after = doc->Text();
    if (after == before) return;
    try {
        SaveFileAtomically(FileName(), after);
    } catch (const Exception&) {
        throw EIniFileException(failure);
    }
}

void TIniFile::Update(const std::function<void(TIniDocument&)>& change) { Modify(change); }

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 std::string_view defaultValue) const
{
    return Load().Value(section, ident).value_or(std::string(defaultValue));
}

void TIniFile::WriteString(std::string_view section, std::string_view ident, std::string_view value)
{
    Modify([&](TIniDocument& doc) { doc.SetValue(section, ident, value); });
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const { return Load().Keys(section); }

std::vector<std::string> TIniFile::ReadSections() const { return Load().Sections(); }

std::vector<std::string> TIniFile::ReadSectionValues(std::string_view section) const
{
    const TIniDocument doc = Load();
    std::vector<std::string> lines;
    for (const auto& key : doc.Keys(section)) lines.push_back(key + "=" + doc.Value(section, key).value_or(""));
    return lines;
}

void TIniFile::EraseSection(std::string_view section)
{
    Modify([&](TIniDocument& doc) { doc.EraseSection(section); });
}

void TIniFile::ReplaceSection(std::string_view section, const TIniEntries& entries)
{
    Modify([&](TIniDocument& doc) {
        doc.EraseSection(section);
        doc.AddSection(section);
        for (const auto& [key, value] : entries) doc.SetValue(section, key, value);
    });
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident)
{
    Modify([&](TIniDocument& doc) { doc.DeleteKey(section, ident); });
}

bool TIniFile::SectionExists(std::string_view section) const { return Load().SectionExists(section); }

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) const
{
    return Load().Value(section, ident).has_value();
}

}  // namespace rtl
