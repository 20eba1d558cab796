// The grid's column settings kept between runs in an INI file or the per-user registry.

#include <algorithm>
#include <memory>

#include "grid/GridRoutines.h"
#include "grid/PublishedDBGrid.h"
#include "grid/StringRoutines.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"

namespace grid {

namespace {

constexpr const char* kNoFileName = "FileName required when saving to registry";
constexpr const char* kNoDirectory = "Directory does not exist";
constexpr const char* kNoDelimiter = "Key delimiter required";
constexpr const char* kDelimiterNotFound = "Key Delimiter Not Found";

// A delimiter inside a free text would split it when read back: each becomes a blank.
std::string WithoutDelimiter(std::string text, const std::string& delimiter)
{
    for (std::size_t at = text.find(delimiter); at != std::string::npos; at = text.find(delimiter, at))
        text.replace(at, delimiter.size(), " ");
    return text;
}

std::unique_ptr<rtl::TCustomIniFile> OpenSettings(const TgkIniAttributes& attributes)
{
    if (attributes.SaveToRegistry()) return std::make_unique<rtl::TRegIniFile>(attributes.EffectiveFileName());
    return std::make_unique<rtl::TIniFile>(attributes.EffectiveFileName());
}

bool FolderMissing(const TgkIniAttributes& attributes)
{
    if (attributes.SaveToRegistry()) return false;
    const std::string folder = rtl::ExtractFilePath(attributes.EffectiveFileName());
    return !folder.empty() && !rtl::DirectoryExists(folder);
}

std::string FieldNameOf(const std::string& entry) { return entry.substr(0, entry.find('\t')); }

}  // namespace

bool TgkDBGrid::IsDestroying() const
{
    return destroying_ || ComponentState().Contains(classes::csDestroying);
}

void TgkDBGrid::SettingsWarning(const std::string& text, bool silentWhileDestroying) const
{
    if (silentWhileDestroying && IsDestroying()) return;
    ui::MessageDlg(text, ui::mtWarning, {ui::mbOK});
}

void TgkDBGrid::SaveSettingsOnce() noexcept
{
    if (settingsSaved_ || !iniAttributes_->Enabled()) return;
    settingsSaved_ = true;
    try {
        SaveToIniFile();
    } catch (...) {
        rtl::LogCurrentException("TgkDBGrid settings save");
    }
}

rtl::TIniEntries TgkDBGrid::SettingsEntries(const std::string& delimiter)
{
    rtl::TIniEntries entries;
    if (UseTFields()) {
        for (int i = 0; i < DataLink().FieldCount(); ++i) {
            const db::TField* field = DataLink().GetMappedField(i);
            if (field == nullptr) continue;
            const bool readOnly = field->ReadOnly() || ColumnReadOnly(i);
            entries.emplace_back(field->FieldName(), std::to_string(field->DisplayWidth()) + delimiter +
                                                         WithoutDelimiter(field->DisplayLabel(), delimiter) +
                                                         delimiter + (readOnly ? "T" : "F"));
        }
        return entries;
    }
    for (int i = 0; i < Selected()->Count(); ++i) {
        const std::vector<std::string> parts = gkSplitTabs(Selected()->Strings(i));
        const auto part = [&parts](std::size_t n) { return n < parts.size() ? parts[n] : std::string(); };
        std::string value = part(1) + delimiter + WithoutDelimiter(part(2), delimiter) + delimiter +
                            (parts.size() >= 4 ? parts[3] : std::string("F"));
        if (!part(4).empty()) value += delimiter + WithoutDelimiter(part(4), delimiter);
        entries.emplace_back(parts[0], value);
    }
    return entries;
}

void TgkDBGrid::SaveToIniFile()
{
    const TgkIniAttributes& attributes = *iniAttributes_;
    if (gkIsDesigning(this)) return;
    if (attributes.SaveToRegistry() && attributes.EffectiveFileName().empty()) {
        SettingsWarning(kNoFileName, true);
        return;
    }
    if (FolderMissing(attributes)) {
        SettingsWarning(kNoDirectory, true);
        return;
    }
    if (attributes.Delimiter().empty()) {
        SettingsWarning(kNoDelimiter, false);
        return;
    }
    const rtl::TIniEntries entries = SettingsEntries(attributes.Delimiter());
    if (entries.empty()) return;
    try {
        OpenSettings(attributes)->ReplaceSection(attributes.EffectiveSectionName(), entries);
    } catch (const rtl::Exception& e) {
        rtl::LogLine("TgkDBGrid::SaveToIniFile", e.Message());
        SettingsWarning(e.Message(), false);
    }
}

void TgkDBGrid::LoadFromIniFile()
{
    const TgkIniAttributes& attributes = *iniAttributes_;
    if (gkIsDesigning(this)) return;
    designSelected_.Assign(*Selected());
    if (attributes.SaveToRegistry() && attributes.EffectiveFileName().empty()) {
        SettingsWarning(kNoFileName, false);
        return;
    }
    const std::string& delimiter = attributes.Delimiter();
    if (delimiter.empty()) {
        SettingsWarning(kNoDelimiter, false);
        return;
    }
    if (FolderMissing(attributes)) {
        SettingsWarning(kNoDirectory, false);
        return;
    }
    rtl::TStringList previous;
    previous.Assign(*Selected());
    const std::vector<std::string> lines =
        OpenSettings(attributes)->ReadSectionValues(attributes.EffectiveSectionName());
    if (lines.empty()) return;
    rtl::TStringList& selected = *Selected();
    selected.Clear();
    for (const std::string& line : lines) {
        const std::size_t eq = line.find('=');
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        const std::size_t firstDelimiter = value.find(delimiter);
        int width = 0;
        const bool hasDelimiter = firstDelimiter != std::string::npos;
        if (!hasDelimiter || !rtl::TryStrToInt(value.substr(0, firstDelimiter), width)) {
            SettingsWarning(hasDelimiter ? "Column width of " + key + " is not a whole number" : kDelimiterNotFound,
                            false);
            selected.Clear();
            if (!UseTFields()) selected.Assign(previous);
            return;
        }
        selected.Add(key + "\t" + rtl::StringReplace(value, delimiter, "\t", {rtl::rfReplaceAll}));
    }
    if (attributes.CheckNewFields()) {
        for (int i = 0; i < previous.Count(); ++i) {
            const std::string name = FieldNameOf(previous.Strings(i));
            int at = 0;
            if (!gkFindSelected(&selected, name, at)) selected.Add(previous.Strings(i));
        }
    }
    ApplySelected();
}

void TgkDBGrid::CreatePeers()
{
    const bool had = HandleAllocated();
    TgkCustomDBGrid::CreatePeers();
    if (had || !HandleAllocated() || settingsLoaded_) return;
    settingsLoaded_ = true;
    if (iniAttributes_->Enabled()) LoadFromIniFile();
}

}  // namespace grid
