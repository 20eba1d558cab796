#include "editctrls/gkHistoryList.h"

#include <algorithm>

#include "grid/GridRoutines.h"
#include "grid/Intl.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/IniFile.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Paths.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"

namespace editctrls {

const classes::TEnumInfo& StorageTypeInfo()
{
    static const classes::TEnumInfo info{"TgkStorageType", {"stRegistry", "stIniFile"}};
    return info;
}

GW_IMPLEMENT_CLASS(TgkHistoryList, classes::TPersistent)
{
    using C = TgkHistoryList;
    p.Boolean("Enabled", &C::Enabled, &C::SetEnabled, false);
    p.String("Section", &C::Section, &C::SetSection);
    p.String("FileName", &C::StoredFileName, &C::SetFileName);
    p.Integer("MaxSize", &C::MaxSize, &C::SetMaxSize, -1);
    p.Enumeration("StorageType", StorageTypeInfo(), &C::StorageType, &C::SetStorageType, stIniFile);
    p.Boolean("MRUEnabled", &C::MRUEnabled, &C::SetMRUEnabled, false);
    p.Integer("MRUMaxSize", &C::MRUMaxSize, &C::SetMRUMaxSize, 2);
}

namespace {

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

}  // namespace

TgkHistoryList::TgkHistoryList(classes::TComponent* owner) : owner_(owner) {}

TgkHistoryList::~TgkHistoryList()
{
    if (!enabled_ || !touched_) return;
    if (const auto* control = dynamic_cast<const ui::TControl*>(owner_); control != nullptr && grid::gkIsDesigning(control))
        return;
    try {
        Save();
    } catch (const std::exception& e) {
        // The history goes with its combo: the failure is told, never thrown on.
        rtl::LogCurrentException("TgkHistoryList: saving at destruction");
        ui::Application().HandleException(owner_, e);
    }
}

void TgkHistoryList::Assign(const classes::TPersistent& source)
{
    const auto* other = dynamic_cast<const TgkHistoryList*>(&source);
    if (other == nullptr) return TPersistent::Assign(source);
    enabled_ = other->enabled_;
    section_ = other->section_;
    fileName_ = other->fileName_;
    maxSize_ = other->maxSize_;
    storageType_ = other->storageType_;
    mruEnabled_ = other->mruEnabled_;
    mruMaxSize_ = other->mruMaxSize_;
}

std::string TgkHistoryList::FileName() const
{
    if (!fileName_.empty()) return fileName_;
    const std::string& global = grid::gkIntlDefault().IniFileName;
    if (!global.empty()) return global;
    if (storageType_ != stIniFile) return {};
    if (const auto* control = dynamic_cast<const ui::TControl*>(owner_); control != nullptr && grid::gkIsDesigning(control))
        return {};
    // The executable's name may hold no "." at all (it has none here): the whole name is the
    // base then.
    const std::string base = grid::gkStripExtension(rtl::ExtractFileName(rtl::ExecutablePath()));
    return base.empty() ? std::string() : base + ".ini";
}

int TgkHistoryList::MRUCount() const
{
    if (!enabled_ || !mruEnabled_) return 0;
    return std::clamp(mruMaxSize_, 0, items_.Count());
}

// ---- Loading ------------------------------------------------------------------------------

void TgkHistoryList::LoadInto(rtl::TStrings& target)
{
    if (HasStorage()) {
        try {
            if (storageType_ == stRegistry)
                LoadFromRegistry();
            else
                LoadFromIni();
        } catch (const std::exception&) {
            // What cannot be read is no history: the list starts empty.
            rtl::LogCurrentException("TgkHistoryList: loading");
            items_.Clear();
        }
        touched_ = true;
    }
    for (int i = 0; i < items_.Count(); ++i) {
        const std::string item = items_.Strings(i);
        bool found = false;
        for (int j = 0; j < target.Count() && !found; ++j) found = target.Strings(j) == item;
        if (!found) target.Add(item);
    }
}

void TgkHistoryList::LoadFromRegistry()
{
    rtl::TRegistry reg;
    items_.Clear();
    if (!reg.OpenKey(FileName(), true) || !reg.ValueExists(section_)) return;
    const int size = reg.GetDataSize(section_);
    std::string data(static_cast<std::size_t>(std::max(size, 0)), '\0');
    data.resize(static_cast<std::size_t>(reg.ReadBinaryData(section_, data.data(), size)));
    reg.CloseKey();
    items_.SetText(data);
}

void TgkHistoryList::LoadFromIni()
{
    items_.Clear();
    const rtl::TIniFile ini(FileName());
    for (const std::string& key : ini.ReadSection(section_)) {
        const std::string value = ini.ReadString(section_, key, "");
        if (!HasLineBreak(value)) items_.Add(value);
    }
}

// ---- Saving -------------------------------------------------------------------------------

void TgkHistoryList::Save()
{
    if (!HasStorage()) return;
    if (storageType_ == stRegistry)
        SaveToRegistry();
    else
        SaveToIni();
}

void TgkHistoryList::SaveToRegistry()
{
    if (maxSize_ > 0)
        while (items_.Count() > maxSize_) items_.Delete(0);
    const std::string data = items_.Text();
    rtl::TRegistry reg;
    if (!reg.OpenKey(FileName(), true))
        throw rtl::ERegistryException("Failed to set data for '" + section_ + "'");
    reg.WriteBinaryData(section_, data.data(), static_cast<int>(data.size()));
    reg.CloseKey();
}

void TgkHistoryList::SaveToIni()
{
    const int count = items_.Count();
    const int first = maxSize_ > 0 ? std::max(0, count - maxSize_) : 0;
    rtl::TIniFile ini(FileName());
    ini.Update([&](rtl::TIniDocument& doc) {
        doc.EraseSection(section_);
        for (int i = first; i < count; ++i) doc.SetValue(section_, rtl::IntToStr(i), items_.Strings(i));
    });
}

// ---- Entries ------------------------------------------------------------------------------

int TgkHistoryList::IndexOf(const std::string& value) const
{
    for (int i = 0; i < items_.Count(); ++i)
        if (items_.Strings(i) == value) return i;
    return -1;
}

void TgkHistoryList::Add(const std::string& value)
{
    if (HasLineBreak(value)) return;
    if (const int at = IndexOf(value); at >= 0) items_.Delete(at);
    items_.Add(value);
    touched_ = true;
}

void TgkHistoryList::Remove(const std::string& value)
{
    if (const int at = IndexOf(value); at >= 0) {
        items_.Delete(at);
        touched_ = true;
    }
}

void TgkHistoryList::Clear()
{
    items_.Clear();
    touched_ = true;
}

}  // namespace editctrls
