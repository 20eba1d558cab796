#include "platform/rtl/Registry.h"

#include "platform/rtl/Files.h"
#include "platform/rtl/IniFile.h"
#include "platform/rtl/Paths.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <optional>

namespace rtl {

namespace {

constexpr char kDelimiter = '\\';

// The names of a key path. Names are trimmed (the file trims a section name, so blanks at
// the ends of a name could not be kept for the first and last name of a path); empty names
// are left out.
std::vector<std::string> SplitPath(std::string_view path)
{
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        const std::size_t end = std::min(path.find(kDelimiter, pos), path.size());
        std::string name = Trim(path.substr(pos, end - pos));
        if (!name.empty()) parts.push_back(std::move(name));
        pos = end + 1;
    }
    return parts;
}

std::string JoinPath(const std::vector<std::string>& parts)
{
    std::string path;
    for (const auto& part : parts) {
        if (!path.empty()) path += kDelimiter;
        path += part;
    }
    return path;
}

// The path of a section as a key path: names trimmed, empty ones left out.
std::string KeyPathOf(std::string_view section) { return JoinPath(SplitPath(section)); }

// True when `section` (as a key path) is `key` itself or a key below it; `key` is a key path.
bool IsAtOrBelow(std::string_view section, std::string_view key)
{
    if (key.empty()) return true;
    const std::string path = KeyPathOf(section);
    if (path.size() < key.size() || !SameText(path.substr(0, key.size()), key)) return false;
    return path.size() == key.size() || path[key.size()] == kDelimiter;
}

bool KeyExistsIn(const TIniDocument& doc, std::string_view path)
{
    if (path.empty()) return true;
    const auto sections = doc.Sections();
    return std::any_of(sections.begin(), sections.end(),
                       [&](const std::string& s) { return IsAtOrBelow(s, path); });
}

// `path` with each name spelled as the file already spells it, so that a key keeps the
// spelling it was created with.
std::string Canonical(const TIniDocument& doc, std::string_view path)
{
    std::vector<std::string> parts = SplitPath(path);
    std::vector<std::vector<std::string>> known;
    for (const auto& s : doc.Sections()) known.push_back(SplitPath(s));
    for (std::size_t i = 0; i < parts.size(); ++i) {
        for (const auto& k : known) {
            if (k.size() > i && SameText(k[i], parts[i]) &&
                std::equal(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(i), k.begin(),
                           [](const std::string& a, const std::string& b) { return SameText(a, b); })) {
                parts[i] = k[i];
                break;
            }
        }
    }
    return JoinPath(parts);
}

TIniDocument LoadForReading(const std::string& path) { return ini::LoadFile(path).value_or(TIniDocument{}); }

// The section that holds the values of key `path`: the first whose key path it is, else one
// of that name.
std::string SectionOf(const TIniDocument& doc, const std::string& path)
{
    for (const auto& s : doc.Sections())
        if (SameText(KeyPathOf(s), path)) return s;
    return path;
}

bool Save(const std::string& path, const TIniDocument& doc)
{
    try {
        SaveFileAtomically(path, doc.Text());
        return true;
    } catch (const Exception&) {
        return false;
    }
}

[[noreturn]] void InvalidDataType(std::string_view name)
{
    throw ERegistryException("Invalid data type for '" + std::string(name) + "'");
}

// The bytes a binary value's hexadecimal text stands for; nothing for other text.
std::optional<std::string> HexToBytes(std::string_view text)
{
    const auto digit = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    if (text.size() % 2 != 0) return std::nullopt;
    std::string bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = digit(text[i]), low = digit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return bytes;
}

}  // namespace

// ---- TRegistry -----------------------------------------------------------------------------

TRegistry::TRegistry() : fileName_(ConfigDir() + "registry.ini") {}

TRegistry::TRegistry(std::string fileName) : fileName_(std::move(fileName)) {}

std::string TRegistry::Resolve(std::string_view key) const
{
    std::vector<std::string> parts;
    if (!key.starts_with(kDelimiter)) parts = SplitPath(currentPath_);
    for (auto& part : SplitPath(key)) parts.push_back(std::move(part));
    return JoinPath(parts);
}

bool TRegistry::OpenKey(std::string_view key, bool canCreate)
{
    if (ini::HasLineBreak(key)) return false;
    const std::string path = Resolve(key);
    std::optional<TIniDocument> doc = ini::LoadFile(fileName_);
    const TIniDocument& known = doc ? *doc : TIniDocument{};
    if (KeyExistsIn(known, path)) {
        currentPath_ = Canonical(known, path);
        return true;
    }
    if (!canCreate || !doc) return false;
    const std::string created = Canonical(*doc, path);
    doc->AddSection(created);
    if (!Save(fileName_, *doc)) return false;
    currentPath_ = created;
    return true;
}

void TRegistry::CloseKey() { currentPath_.clear(); }

bool TRegistry::KeyExists(std::string_view key) const
{
    return !ini::HasLineBreak(key) && KeyExistsIn(LoadForReading(fileName_), Resolve(key));
}

bool TRegistry::DeleteKey(std::string_view key)
{
    if (ini::HasLineBreak(key)) return false;
    const std::string path = Resolve(key);
    if (path.empty()) return false;
    std::optional<TIniDocument> doc = ini::LoadFile(fileName_);
    if (!doc) return false;
    bool removed = false;
    for (const auto& section : doc->Sections()) {
        if (IsAtOrBelow(section, path)) removed |= doc->EraseSection(section);
    }
    if (!removed || !Save(fileName_, *doc)) return false;
    if (IsAtOrBelow(currentPath_, path)) CloseKey();
    return true;
}

std::vector<std::string> TRegistry::GetKeyNames() const
{
    std::vector<std::string> names;
    const std::size_t depth = SplitPath(currentPath_).size();
    for (const auto& section : LoadForReading(fileName_).Sections()) {
        if (!IsAtOrBelow(section, currentPath_)) continue;
        const std::vector<std::string> parts = SplitPath(section);
        if (parts.size() <= depth) continue;
        const std::string& name = parts[depth];
        if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return SameText(n, name); })) {
            names.push_back(name);
        }
    }
    return names;
}

bool TRegistry::ValueExists(std::string_view name) const
{
    const TIniDocument doc = LoadForReading(fileName_);
    return doc.Value(SectionOf(doc, currentPath_), name).has_value();
}

std::vector<std::string> TRegistry::GetValueNames() const
{
    const TIniDocument doc = LoadForReading(fileName_);
    return doc.Keys(SectionOf(doc, currentPath_));
}

bool TRegistry::DeleteValue(std::string_view name)
{
    std::optional<TIniDocument> doc = ini::LoadFile(fileName_);
    if (!doc || !doc->DeleteKey(SectionOf(*doc, currentPath_), name)) return false;
    return Save(fileName_, *doc);
}

bool TRegistry::ReadBool(std::string_view name) const { return ReadInteger(name) != 0; }

void TRegistry::WriteBool(std::string_view name, bool value) { WriteInteger(name, value ? 1 : 0); }

int TRegistry::ReadInteger(std::string_view name) const
{
    const TIniDocument doc = LoadForReading(fileName_);
    const std::optional<std::string> text = doc.Value(SectionOf(doc, currentPath_), name);
    int value = 0;
    if (!text || !TryStrToInt(*text, value)) InvalidDataType(name);
    return value;
}

void TRegistry::WriteInteger(std::string_view name, int value) { WriteString(name, IntToStr(value)); }

std::string TRegistry::ReadString(std::string_view name) const
{
    const TIniDocument doc = LoadForReading(fileName_);
    return doc.Value(SectionOf(doc, currentPath_), name).value_or("");
}

void TRegistry::WriteString(std::string_view name, std::string_view value)
{
    const auto failed = [&] { return ERegistryException("Failed to set data for '" + std::string(name) + "'"); };
    std::optional<TIniDocument> doc = ini::LoadFile(fileName_);
    if (!doc) throw failed();
    try {
        doc->SetValue(SectionOf(*doc, currentPath_), name, value);
    } catch (const EIniFileException&) {
        throw failed();
    }
    if (!Save(fileName_, *doc)) throw failed();
}

int TRegistry::GetDataSize(std::string_view name) const
{
    const TIniDocument doc = LoadForReading(fileName_);
    const std::optional<std::string> text = doc.Value(SectionOf(doc, currentPath_), name);
    if (!text) return -1;
    const std::optional<std::string> bytes = HexToBytes(*text);
    if (!bytes) InvalidDataType(name);
    return static_cast<int>(bytes->size());
}

int TRegistry::ReadBinaryData(std::string_view name, void* buffer, int size) const
{
    const TIniDocument doc = LoadForReading(fileName_);
    const std::optional<std::string> text = doc.Value(SectionOf(doc, currentPath_), name);
    if (!text) return 0;
    const std::optional<std::string> bytes = HexToBytes(*text);
    if (!bytes) InvalidDataType(name);
    const int count = std::min(std::max(size, 0), static_cast<int>(bytes->size()));
    if (count > 0) std::copy_n(bytes->data(), count, static_cast<char*>(buffer));
    return count;
}

void TRegistry::WriteBinaryData(std::string_view name, const void* buffer, int size)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    for (int i = 0; i < size; ++i) {
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 0xF]);
    }
    WriteString(name, text);
}

// ---- TRegIniFile ---------------------------------------------------------------------------

TRegIniFile::TRegIniFile(std::string rootKey) : TRegIniFile(std::move(rootKey), TRegistry().FileName()) {}

TRegIniFile::TRegIniFile(std::string rootKey, std::string registryFile)
    : TCustomIniFile(std::move(rootKey)), registryFile_(std::move(registryFile))
{
}

std::string TRegIniFile::SectionPath(std::string_view section) const
{
    std::string path = "\\" + FileName();
    if (!section.empty()) path += "\\" + std::string(section);
    return path;
}

std::string TRegIniFile::ReadString(std::string_view section, std::string_view ident,
                                    std::string_view defaultValue) const
{
    TRegistry reg(registryFile_);
    if (!reg.OpenKey(SectionPath(section), false) || !reg.ValueExists(ident)) return std::string(defaultValue);
    return reg.ReadString(ident);
}

void TRegIniFile::WriteString(std::string_view section, std::string_view ident, std::string_view value)
{
    TRegistry reg(registryFile_);
    if (!reg.OpenKey(SectionPath(section), true)) {
        throw ERegistryException("Failed to set data for '" + std::string(ident) + "'");
    }
    reg.WriteString(ident, value);
}

std::vector<std::string> TRegIniFile::ReadSection(std::string_view section) const
{
    TRegistry reg(registryFile_);
    if (!reg.OpenKey(SectionPath(section), false)) return {};
    return reg.GetValueNames();
}

std::vector<std::string> TRegIniFile::ReadSections() const
{
    TRegistry reg(registryFile_);
    if (!reg.OpenKey(SectionPath({}), false)) return {};
    return reg.GetKeyNames();
}

void TRegIniFile::EraseSection(std::string_view section)
{
    TRegistry reg(registryFile_);
    reg.DeleteKey(SectionPath(section));
}

void TRegIniFile::DeleteKey(std::string_view section, std::string_view ident)
{
    TRegistry reg(registryFile_);
    if (reg.OpenKey(SectionPath(section), false)) reg.DeleteValue(ident);
}

void TRegIniFile::ReplaceSection(std::string_view section, const TIniEntries& entries)
{
    const auto failed = [](std::string_view name) {
        return ERegistryException("Failed to set data for '" + std::string(name) + "'");
    };
    std::optional<TIniDocument> doc = ini::LoadFile(registryFile_);
    if (!doc || ini::HasLineBreak(section)) throw failed(section);
    const std::string path = KeyPathOf(SectionPath(section));
    const std::string kept = Canonical(*doc, path);
    for (const auto& name : doc->Sections()) {
        if (IsAtOrBelow(name, path)) doc->EraseSection(name);
    }
    doc->AddSection(kept);
    for (const auto& [key, value] : entries) {
        try {
            doc->SetValue(kept, key, value);
        } catch (const EIniFileException&) {
            throw failed(key);
        }
    }
    if (!Save(registryFile_, *doc)) throw failed(section);
}

bool TRegIniFile::SectionExists(std::string_view section) const
{
    return TRegistry(registryFile_).KeyExists(SectionPath(section));
}

bool TRegIniFile::ValueExists(std::string_view section, std::string_view ident) const
{
    TRegistry reg(registryFile_);
    return reg.OpenKey(SectionPath(section), false) && reg.ValueExists(ident);
}

}  // namespace rtl
