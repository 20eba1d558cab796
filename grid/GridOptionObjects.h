#pragma once
// The option objects the published grid (TgkDBGrid) owns and publishes: TgkIniAttributes,
// where the grid keeps its column settings between runs, and TgkExportOptions, how the grid
// writes its records out. They carry their published properties and defaults, so that stored
// forms read and write them; the grid loads and saves its settings (DBGridSettings.cpp) and
// writes its records out (Save, in GridExport.cpp).
//
// Promises:
// - The setters only store their value.
// - EffectiveFileName / EffectiveSectionName answer where the settings go when the stored
//   texts are empty (see there).
// - Both keep a reference back to their grid (nil for a free-standing object).

#include <string>

#include "platform/classes/Persistent.h"
#include "platform/classes/Sets.h"
#include "platform/classes/TypInfo.h"

namespace grid {

class TgkCustomDBGrid;

class TgkIniAttributes : public classes::TPersistent {
    GW_CLASS(TgkIniAttributes)

public:
    explicit TgkIniAttributes(TgkCustomDBGrid* grid = nullptr) : grid_(grid) {}
    void Assign(const classes::TPersistent& source) override;
    classes::TPersistent* GetOwner() const override;

    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool v) { enabled_ = v; }
    bool SaveToRegistry() const noexcept { return saveToRegistry_; }
    void SetSaveToRegistry(bool v) { saveToRegistry_ = v; }
    // The stored texts (what a form holds).
    const std::string& FileName() const noexcept { return fileName_; }
    void SetFileName(const std::string& v) { fileName_ = v; }
    const std::string& SectionName() const noexcept { return sectionName_; }
    void SetSectionName(const std::string& v) { sectionName_ = v; }
    const std::string& Delimiter() const noexcept { return delimiter_; }
    void SetDelimiter(const std::string& v) { delimiter_ = v; }
    bool CheckNewFields() const noexcept { return checkNewFields_; }
    void SetCheckNewFields(bool v) { checkNewFields_ = v; }
    // The stored FileName; when empty, the global texts' IniFileName when they are Connected
    // and it is not empty, else (outside design time, INI only) the executable's name without folder
    // and extension + ".ini" ("gridweaver.ini"); else empty.
    std::string EffectiveFileName() const;
    // The stored SectionName; when empty, outside design time the parent form's name followed
    // by the grid's name; else empty.
    std::string EffectiveSectionName() const;
    // The grid's parent form's name, taken when the grid is loaded.
    std::string ParentFormName;
    TgkCustomDBGrid* Grid() const noexcept { return grid_; }

private:
    TgkCustomDBGrid* grid_;
    bool enabled_ = false;
    bool saveToRegistry_ = false;
    std::string fileName_;
    std::string sectionName_;
    std::string delimiter_ = ";;";
    bool checkNewFields_ = false;
};

enum TgkGridExportType { gkgetTxt, gkgetHTML, gkgetSYLK, gkgetXML };
enum TgkExportSaveOption {
    esoShowHeader, esoShowFooter, esoDynamicColors, esoShowTitle, esoDblQuoteFields, esoSaveSelectedOnly,
    esoAddControls, esoBestColFit, esoShowRecordNo, esoEmbedURL, esoShowAlternating, esoTransparentGrid,
    esoClipboard
};
using TgkExportSaveOptions = classes::TSet<TgkExportSaveOption>;
inline constexpr TgkExportSaveOptions kDefaultExportSaveOptions{esoShowHeader, esoShowTitle, esoDblQuoteFields,
                                                                esoShowAlternating};
const classes::TEnumInfo& GridExportTypeInfo();
const classes::TEnumInfo& ExportSaveOptionInfo();

class TgkExportOptions : public classes::TPersistent {
    GW_CLASS(TgkExportOptions)

public:
    explicit TgkExportOptions(TgkCustomDBGrid* grid = nullptr) : grid_(grid) {}
    void Assign(const classes::TPersistent& source) override;
    classes::TPersistent* GetOwner() const override;

    const std::string& FileName() const noexcept { return fileName_; }
    void SetFileName(const std::string& v) { fileName_ = v; }
    TgkGridExportType ExportType() const noexcept { return exportType_; }
    void SetExportType(TgkGridExportType v) { exportType_ = v; }
    const std::string& Delimiter() const noexcept { return delimiter_; }
    void SetDelimiter(const std::string& v) { delimiter_ = v; }
    TgkExportSaveOptions Options() const noexcept { return options_; }
    void SetOptions(TgkExportSaveOptions v) { options_ = v; }
    const std::string& TitleName() const noexcept { return titleName_; }
    void SetTitleName(const std::string& v) { titleName_ = v; }
    int OutputWidthinTwips() const noexcept { return outputWidthinTwips_; }
    void SetOutputWidthinTwips(int v) { outputWidthinTwips_ = v; }
    int HTMLBorderWidth() const noexcept { return htmlBorderWidth_; }
    void SetHTMLBorderWidth(int v) { htmlBorderWidth_ = v; }
    TgkCustomDBGrid* Grid() const noexcept { return grid_; }

    // With esoDblQuoteFields `value` between double quotes (inner quotes doubled), except that
    // an empty value stays empty when a delimiter is set or the type is not text; without
    // the option `value` as it is.
    virtual std::string QuoteValue(const std::string& value) const;
    // Writes the grid's records (see GridExport.h) into FileName, or onto the clipboard with
    // esoClipboard. The file is replaced only by a complete export: EFCreateError when it
    // cannot be created, EInOutError when it cannot be written, the old file kept either
    // way. Nothing happens for gkgetXML or while the grid's data link is inactive. The grid's
    // record, row and controls are as before on every exit; no window messages are handled
    // meanwhile.
    virtual void Save();
    // FileName, or when it is empty the program's name before its first "." + ".txt".
    std::string OutputFileName() const;

private:
    TgkCustomDBGrid* grid_;
    std::string fileName_;
    TgkGridExportType exportType_ = gkgetTxt;
    std::string delimiter_ = ",";
    TgkExportSaveOptions options_ = kDefaultExportSaveOptions;
    std::string titleName_;
    int outputWidthinTwips_ = 0;
    int htmlBorderWidth_ = 1;
};

}  // namespace grid
