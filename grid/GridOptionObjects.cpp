#include "grid/GridOptionObjects.h"

#include "grid/DBGrid.h"
#include "grid/GridRoutines.h"
#include "grid/Intl.h"
#include "grid/StringRoutines.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Paths.h"

namespace grid {

GW_IMPLEMENT_CLASS(TgkIniAttributes, classes::TPersistent)
{
    using A = TgkIniAttributes;
    p.Boolean("Enabled", &A::Enabled, &A::SetEnabled, false);
    p.Boolean("SaveToRegistry", &A::SaveToRegistry, &A::SetSaveToRegistry, false);
    p.String("FileName", &A::FileName, &A::SetFileName);
    p.String("SectionName", &A::SectionName, &A::SetSectionName);
    // Forms write the delimiter they rely on, also the usual one.
    p.String("Delimiter", &A::Delimiter, &A::SetDelimiter, ";;").AlwaysStored();
    p.Boolean("CheckNewFields", &A::CheckNewFields, &A::SetCheckNewFields, false);
}

void TgkIniAttributes::Assign(const classes::TPersistent& source)
{
    const auto* s = dynamic_cast<const TgkIniAttributes*>(&source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    enabled_ = s->enabled_;
    saveToRegistry_ = s->saveToRegistry_;
    fileName_ = s->fileName_;
    sectionName_ = s->sectionName_;
    delimiter_ = s->delimiter_;
    checkNewFields_ = s->checkNewFields_;
}

classes::TPersistent* TgkIniAttributes::GetOwner() const { return grid_; }

std::string TgkIniAttributes::EffectiveFileName() const
{
    if (!fileName_.empty()) return fileName_;
    const TgkIntl& texts = gkIntlDefault();
    if (texts.Connected() && !texts.IniFileName.empty()) return texts.IniFileName;
    if ((grid_ != nullptr && gkIsDesigning(grid_)) || saveToRegistry_) return {};
    // An executable name without "." (the usual case here) keeps its whole name.
    const std::string exe = rtl::ExtractFileName(rtl::ExecutablePath());
    const std::string base = gkGetFileNameBase(exe);
    return (base.empty() ? exe : base) + ".ini";
}

std::string TgkIniAttributes::EffectiveSectionName() const
{
    if (!sectionName_.empty()) return sectionName_;
    if (grid_ == nullptr || gkIsDesigning(grid_)) return {};
    return ParentFormName + grid_->Name();
}

const classes::TEnumInfo& GridExportTypeInfo()
{
    static const classes::TEnumInfo info{"TgkGridExportType", {"gkgetTxt", "gkgetHTML", "gkgetSYLK", "gkgetXML"}};
    return info;
}

const classes::TEnumInfo& ExportSaveOptionInfo()
{
    static const classes::TEnumInfo info{
        "TgkExportSaveOption",
        {"esoShowHeader", "esoShowFooter", "esoDynamicColors", "esoShowTitle", "esoDblQuoteFields",
         "esoSaveSelectedOnly", "esoAddControls", "esoBestColFit", "esoShowRecordNo", "esoEmbedURL",
         "esoShowAlternating", "esoTransparentGrid", "esoClipboard"}};
    return info;
}

GW_IMPLEMENT_CLASS(TgkExportOptions, classes::TPersistent)
{
    using E = TgkExportOptions;
    p.String("FileName", &E::FileName, &E::SetFileName);
    p.Enumeration("ExportType", GridExportTypeInfo(), &E::ExportType, &E::SetExportType, gkgetTxt);
    p.String("Delimiter", &E::Delimiter, &E::SetDelimiter, ",");
    p.Set("Options", ExportSaveOptionInfo(), &E::Options, &E::SetOptions, kDefaultExportSaveOptions);
    p.String("TitleName", &E::TitleName, &E::SetTitleName);
    p.Integer("OutputWidthinTwips", &E::OutputWidthinTwips, &E::SetOutputWidthinTwips, 0);
    p.Integer("HTMLBorderWidth", &E::HTMLBorderWidth, &E::SetHTMLBorderWidth, 1);
}

void TgkExportOptions::Assign(const classes::TPersistent& source)
{
    const auto* s = dynamic_cast<const TgkExportOptions*>(&source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    fileName_ = s->fileName_;
    exportType_ = s->exportType_;
    delimiter_ = s->delimiter_;
    options_ = s->options_;
    titleName_ = s->titleName_;
    outputWidthinTwips_ = s->outputWidthinTwips_;
    htmlBorderWidth_ = s->htmlBorderWidth_;
}

classes::TPersistent* TgkExportOptions::GetOwner() const { return grid_; }

}  // namespace grid
