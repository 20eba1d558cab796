#pragma once
// TgkHistoryList: the values a user entered into a combo box, kept across runs. An ordered
// list of strings (oldest first) loaded from and saved to one binary value of the current
// user's registry (key FileName, value Section: each entry followed by CR LF) or one section
// of an INI file (file FileName, section Section: key i holds entry i), trimmed to MaxSize
// when saved. The newest MRUMaxSize entries may head the combo's list.
//
// Promises:
// - Nothing is read or written while Section or the file name is empty.
// - The file name defaults to the localisation object's IniFileName, then (INI storage, an
//   owner not being designed) to the executable's name without folder and extension
//   followed by ".ini".
// - The destructor saves only when the history is Enabled and was loaded or changed in this
//   run, so a history never filled keeps what is stored. A save that fails there goes to
//   the application's exception handler; nothing leaves the destructor. A save writes the
//   whole file at once: a failure leaves it as it was.
// - An entry holding a line break is never kept (the stored forms split at line breaks);
//   a stored history that cannot be read loads nothing.

#include <string>

#include "platform/classes/Component.h"
#include "platform/classes/Persistent.h"
#include "platform/rtl/StringList.h"

namespace editctrls {

enum TgkStorageType { stRegistry, stIniFile };
const classes::TEnumInfo& StorageTypeInfo();

class TgkHistoryList : public classes::TPersistent {
    GW_CLASS(TgkHistoryList)

public:
    // `owner`: the combo box the history belongs to (asked whether it is being designed).
    explicit TgkHistoryList(classes::TComponent* owner = nullptr);
    ~TgkHistoryList() override;
    void Assign(const classes::TPersistent& source) override;

    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool v) { enabled_ = v; }
    const std::string& Section() const noexcept { return section_; }
    void SetSection(const std::string& v) { section_ = v; }
    // The stored name, else the defaults above.
    std::string FileName() const;
    const std::string& StoredFileName() const noexcept { return fileName_; }
    void SetFileName(const std::string& v) { fileName_ = v; }
    // 0 or less keeps every entry.
    int MaxSize() const noexcept { return maxSize_; }
    void SetMaxSize(int v) { maxSize_ = v; }
    TgkStorageType StorageType() const noexcept { return storageType_; }
    void SetStorageType(TgkStorageType v) { storageType_ = v; }
    bool MRUEnabled() const noexcept { return mruEnabled_; }
    void SetMRUEnabled(bool v) { mruEnabled_ = v; }
    int MRUMaxSize() const noexcept { return mruMaxSize_; }
    void SetMRUMaxSize(int v) { mruMaxSize_ = v; }

    // The entries in memory, oldest first.
    const rtl::TStringList& Items() const noexcept { return items_; }
    // MRUMaxSize limited to the entry count while Enabled and MRUEnabled, else 0.
    int MRUCount() const;

    // Reads the stored entries (storage set) into memory, then appends to `target` every
    // entry it does not hold yet (compared exactly), in list order.
    void LoadInto(rtl::TStrings& target);
    // Writes the entries (storage set). Raises the layer's error when the file cannot be
    // written; the file then stays as it was.
    void Save();

    // Moves `value` to the end (the newest); a value holding a line break is refused.
    void Add(const std::string& value);
    void Remove(const std::string& value);
    int IndexOf(const std::string& value) const;
    void Clear();

private:
    bool HasStorage() const { return !section_.empty() && !FileName().empty(); }
    void LoadFromRegistry();
    void LoadFromIni();
    void SaveToRegistry();
    void SaveToIni();

    classes::TComponent* owner_ = nullptr;
    bool enabled_ = false;
    std::string section_;
    std::string fileName_;
    int maxSize_ = -1;
    TgkStorageType storageType_ = stIniFile;
    bool mruEnabled_ = false;
    int mruMaxSize_ = 2;
    rtl::TStringList items_;
    // Loaded or changed in this run: only then does the destructor save.
    bool touched_ = false;
};

}  // namespace editctrls
