#pragma once
// INI files: "[section]" lines followed by "key=value" lines.
//
// TIniDocument is the one reader and writer of the format; TIniFile (settings files) and
// TRegistry (the per-user "registry", one section per key path) both stand on it.
//
// Reading rules:
// - Lines end with CR LF, LF or CR; a UTF-8 byte-order mark at the start is skipped.
// - A line whose first non-blank character is "[" and that holds a "]" starts a section; its
//   name is the text between the "[" and the last "]", trimmed.
// - A line holding "=" is an entry: the key is the trimmed text before the first "=", the
//   value the trimmed text after it. One pair of matching quotes (" or ') around the whole
//   value is removed, so a value can keep blanks at its ends.
// - Lines starting with ";" or "#", blank lines, lines before the first section and broken
//   lines (no "=", or nothing before it) are ignored when reading but kept as they are
//   when the file is written again.
// - Section names and keys are compared without regard to ASCII letter case. When a name
//   appears more than once, the first entry wins and the sections of one name read as one.
//
// Writing keeps every line it does not change and its order: a changed value is rewritten
// in place, a new key goes after the last entry of its section, a new section at the end of
// the file. The file keeps the line breaks it was read with (LF for a new file).

#include "platform/rtl/Exceptions.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rtl {

// Key and value of one entry, in the order they are written.
using TIniEntries = std::vector<std::pair<std::string, std::string>>;

class TStrings;

// A settings file that cannot be written, or a key, section or value that the format
// cannot hold (a line break anywhere, a key that is empty, holds "=" or starts with "[",
// ";" or "#").
class EIniFileException : public Exception { using Exception::Exception; };

// The text of one INI file held in memory.
class TIniDocument {
public:
    TIniDocument() = default;
    explicit TIniDocument(std::string_view text) { Parse(text); }

    // Replaces the content by `text`. Never fails: what cannot be read is kept as a line.
    void Parse(std::string_view text);
    // The whole file text.
    std::string Text() const;

    // Names of the sections in file order, each once.
    std::vector<std::string> Sections() const;
    bool SectionExists(std::string_view section) const;
    // Keys of the section in file order, each once.
    std::vector<std::string> Keys(std::string_view section) const;
    // The value of the key, or nothing when the section or key is missing.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

    // Sets the value (creating the section and the key as needed). Raises EIniFileException
    // for names or values the format cannot hold; then nothing changes.
    void SetValue(std::string_view section, std::string_view key, std::string_view value);
    // Adds an empty section unless one of that name exists. Raises as SetValue does.
    void AddSection(std::string_view section);
    // Removes every section of that name with all its lines; true when there was one.
    bool EraseSection(std::string_view section);
    // Removes the key's entries from the section; true when there was one.
    bool DeleteKey(std::string_view section, std::string_view key);

private:
    struct Line {
        std::string text;     // the line as it stands in the file
        std::string key;      // entries: the trimmed key
        bool entry = false;
    };
    struct Section {
        std::string name;     // trimmed name; empty for the lines before the first section
        bool hasHeader = false;
        std::vector<Line> lines;  // the header line comes first when there is one
    };

    std::vector<Section*> Find(std::string_view section);
    std::vector<const Section*> Find(std::string_view section) const;

    std::vector<Section> sections_{Section{}};
    std::string lineBreak_ = "\n";
    bool byteOrderMark_ = false;
};

// What an INI file and the registry's INI-like view (TRegIniFile) both answer, so that a
// caller can keep its settings in either.
class TCustomIniFile {
public:
    explicit TCustomIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
    virtual ~TCustomIniFile() = default;
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;

    // The file's path (TIniFile) or the root key's path (TRegIniFile).
    const std::string& FileName() const { return fileName_; }

    virtual std::string ReadString(std::string_view section, std::string_view ident,
                                   std::string_view defaultValue) const = 0;
    virtual void WriteString(std::string_view section, std::string_view ident, std::string_view value) = 0;
    // The value read as StrToInt reads it (decimal, or hexadecimal after "$" or "0x");
    // `defaultValue` when the key is missing or its value is no integer.
    int ReadInteger(std::string_view section, std::string_view ident, int defaultValue) const;
    void WriteInteger(std::string_view section, std::string_view ident, int value);
    // ReadInteger(section, ident, defaultValue ? 1 : 0) != 0.
    bool ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const;
    // Writes "1" or "0".
    void WriteBool(std::string_view section, std::string_view ident, bool value);

    // The keys of the section in file order.
    virtual std::vector<std::string> ReadSection(std::string_view section) const = 0;
    // The section names in file order.
    virtual std::vector<std::string> ReadSections() const = 0;
    // "key=value" for every key of the section, in file order.
    virtual std::vector<std::string> ReadSectionValues(std::string_view section) const;
    // The same three, replacing the content of `strings`.
    void ReadSection(std::string_view section, TStrings& strings) const;
    void ReadSections(TStrings& strings) const;
    void ReadSectionValues(std::string_view section, TStrings& strings) const;

    // Removes the section with all its keys.
    virtual void EraseSection(std::string_view section) = 0;
    virtual void DeleteKey(std::string_view section, std::string_view ident) = 0;
    virtual bool SectionExists(std::string_view section) const = 0;
    virtual bool ValueExists(std::string_view section, std::string_view ident) const = 0;
    // The section erased and written again with `entries`, saved once: when anything fails
    // (a name or value the format cannot hold, a file that cannot be read or saved) the old
    // section stays whole. Raises as WriteString does.
    virtual void ReplaceSection(std::string_view section, const TIniEntries& entries) = 0;

    // Changes are saved as they are made; kept so that callers can say where they are done.
    virtual void UpdateFile() {}

private:
    std::string fileName_;
};

// An INI file on disk. Every call reads the file afresh, so objects on the same file see
// each other's changes, and every change is saved at once through SaveFileAtomically.
//
// A name without a folder part ("grid.ini") lives in the per-user configuration folder
// (ConfigDir()); other relative names are taken from the working folder; FileName() is the
// resolved path. A missing or unreadable file reads as empty. A change to a file that
// exists but cannot be read, or that cannot be saved, raises EIniFileException "Unable to
// write to <file>" and leaves the file as it was. An empty file name holds nothing: reads
// answer their defaults and changes raise.
class TIniFile : public TCustomIniFile {
public:
    explicit TIniFile(std::string fileName);

    using TCustomIniFile::ReadSection;
    using TCustomIniFile::ReadSections;
    using TCustomIniFile::ReadSectionValues;

    std::string ReadString(std::string_view section, std::string_view ident,
                           std::string_view defaultValue) const override;
    void WriteString(std::string_view section, std::string_view ident, std::string_view value) override;
    std::vector<std::string> ReadSection(std::string_view section) const override;
    std::vector<std::string> ReadSections() const override;
    std::vector<std::string> ReadSectionValues(std::string_view section) const override;
    void EraseSection(std::string_view section) override;
    void DeleteKey(std::string_view section, std::string_view ident) override;
    bool SectionExists(std::string_view section) const override;
    bool ValueExists(std::string_view section, std::string_view ident) const override;
    void ReplaceSection(std::string_view section, const TIniEntries& entries) override;
    // Several changes made as one: `change` edits the file's document, which is then saved
    // once; when anything fails (the change raises, or the file cannot be read or written)
    // the file stays as it was. Raises as every change does.
    void Update(const std::function<void(TIniDocument&)>& change);

private:
    TIniDocument Load() const;
    template <class Change>
    void Modify(Change&& change);
};

namespace ini {
// The document of the file at `path`: empty when the file does not exist, nothing when it
// exists but cannot be read (so that a change never writes over a file it could not read).
std::optional<TIniDocument> LoadFile(const std::string& path);
// True when `s` holds a CR or LF, which no name or value of the format can hold.
bool HasLineBreak(std::string_view s);
}  // namespace ini

}  // namespace rtl
