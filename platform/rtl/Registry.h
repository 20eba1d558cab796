#pragma once
// The current user's "registry": one settings file, registry.ini in ConfigDir(), holding one
// INI section per key path ("[Software\GWTips]") with the key's values as entries. Key
// paths are made of names joined with "\"; they are compared without regard to ASCII letter
// case and keep the spelling they were created with. Blanks at the ends of a name are
// dropped (the file drops them from a section name), so " Tips " and "Tips" are one key. A key exists when it has a section or
// when a key below it does, so "Software" exists once "Software\GWTips" does.
//
// Every call reads the file afresh and every change is saved at once through
// SaveFileAtomically, so several objects share the file and see each other's changes (the
// file is not locked: two programs changing it at the same moment can lose one change).
// A missing or unreadable file reads as empty; a change to a file that exists but cannot be
// read, or that cannot be saved, fails and leaves the file as it was.
//
// Values are texts in the file. Integers and booleans are written as decimal numbers
// (booleans as 1 and 0). Reading an integer or boolean that is missing or that is no
// integer text raises ERegistryException "Invalid data type for '<name>'", as the class
// library does for a value of the wrong type; reading a missing string answers "".
// Values and names cannot hold line breaks (ERegistryException when written); a key path
// with one is never opened. Binary values are written as hexadecimal text, two upper-case
// digits a byte ("630D0A"); reading a value as binary whose text is not such digits (an odd
// count, another character) raises "Invalid data type for '<name>'".

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/IniFile.h"

#include <string>
#include <string_view>
#include <vector>

namespace rtl {

class ERegistryException : public Exception { using Exception::Exception; };

class TRegistry {
public:
    // The per-user registry file (ConfigDir() + "registry.ini").
    TRegistry();
    // Another file of the same format.
    explicit TRegistry(std::string fileName);

    const std::string& FileName() const { return fileName_; }
    // The open key's path ("" when no key is open: the values then belong to the root).
    const std::string& CurrentPath() const { return currentPath_; }

    // Opens `key`: a path below the open key, or below the root when it starts with "\" or
    // no key is open. With `canCreate` a missing key is created (and saved). False when the
    // key is missing and may not be created, or cannot be created.
    bool OpenKey(std::string_view key, bool canCreate);
    void CloseKey();
    // Whether `key` (resolved as OpenKey resolves it) exists.
    bool KeyExists(std::string_view key) const;
    // Deletes `key` with all keys below it. The open key is closed when it was among them.
    // False when the key did not exist or the file could not be saved.
    bool DeleteKey(std::string_view key);
    // Names of the keys directly below the open key, in file order.
    std::vector<std::string> GetKeyNames() const;

    // Values of the open key.
    bool ValueExists(std::string_view name) const;
    std::vector<std::string> GetValueNames() const;
    // False when the value did not exist or the file could not be saved.
    bool DeleteValue(std::string_view name);

    bool ReadBool(std::string_view name) const;
    void WriteBool(std::string_view name, bool value);
    int ReadInteger(std::string_view name) const;
    void WriteInteger(std::string_view name, int value);
    std::string ReadString(std::string_view name) const;
    // Raises ERegistryException "Failed to set data for '<name>'" when the value cannot be
    // saved.
    void WriteString(std::string_view name, std::string_view value);
    // The byte count of a binary value; -1 when the value is missing.
    int GetDataSize(std::string_view name) const;
    // Copies at most `size` bytes of the binary value into `buffer` and answers how many it
    // copied (0 for a missing value).
    int ReadBinaryData(std::string_view name, void* buffer, int size) const;
    // Raises as WriteString does.
    void WriteBinaryData(std::string_view name, const void* buffer, int size);

private:
    std::string Resolve(std::string_view key) const;

    std::string fileName_;
    std::string currentPath_;
};

// Settings kept as "sections" (the keys directly below a root key) of INI-like entries,
// over TRegistry. The root key ("SQL Generator Global", a path below the registry's root) is
// created by the first change only, so reading never writes. An empty section names the
// root key itself. FileName() is the root key's path. A change that cannot be saved raises
// ERegistryException "Failed to set data for '<name>'".
class TRegIniFile : public TCustomIniFile {
public:
    explicit TRegIniFile(std::string rootKey);
    // Below the root of another registry file.
    TRegIniFile(std::string rootKey, std::string registryFile);

    using TCustomIniFile::ReadSection;
    using TCustomIniFile::ReadSections;
    using TCustomIniFile::ReadSectionValues;

    std::string ReadString(std::string_view section, std::string_view ident,
                           std::string_view defaultValue) const override;
    void WriteString(std::string_view section, std::string_view ident, std::string_view value) override;
    // The value names of the section, in file order.
    std::vector<std::string> ReadSection(std::string_view section) const override;
    // The keys directly below the root key, in file order.
    std::vector<std::string> ReadSections() const override;
    // Deletes the section's key with everything below it.
    void EraseSection(std::string_view section) override;
    void DeleteKey(std::string_view section, std::string_view ident) override;
    bool SectionExists(std::string_view section) const override;
    bool ValueExists(std::string_view section, std::string_view ident) const override;
    // The section's key (keys below it included) replaced by one holding `entries`; raises
    // ERegistryException "Failed to set data for '<name>'" naming the first entry that
    // cannot be held, or the section when the file cannot be read or saved.
    void ReplaceSection(std::string_view section, const TIniEntries& entries) override;

private:
    std::string SectionPath(std::string_view section) const;

    std::string registryFile_;
};

}  // namespace rtl
