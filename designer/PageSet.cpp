#include "designer/PageSet.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "designer/LayoutTemplate.h"
#include "designer/PageSettings.h"
#include "platform/rtl/Files.h"
#include "platform/ui/Graphics.h"

namespace designer {

namespace fs = std::filesystem;

namespace {

// Bytes enough to know any of the pictures IsPictureData knows.
constexpr std::size_t kPictureHeadSize = 32;

std::string NotCopied(const fs::path& file, const std::string& why)
{
    return "\"" + file.string() + "\" is not copied beside the pages: " + why + ".";
}

// True when `path` (canonical) is `folder` (canonical) or lies below it.
bool LiesInside(const fs::path& path, const fs::path& folder)
{
    const fs::path relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

std::uint32_t LittleEndian32(std::string_view bytes, std::size_t at)
{
    std::uint32_t n = 0;
    for (std::size_t i = 4; i-- > 0;) n = (n << 8) | static_cast<unsigned char>(bytes[at + i]);
    return n;
}

// `source` copied to `target` through the set when it is a picture file; else a warning
// naming `shown`.
void CopyPicture(rtl::TFileSetTransaction& set, const fs::path& source, const fs::path& shown, const fs::path& target,
                 std::vector<std::string>& warnings)
{
    std::error_code ec;
    // Only a regular file is read: a device or a pipe could block or never end.
    if (!fs::is_regular_file(source, ec)) {
        warnings.push_back(NotCopied(shown, "it is not a picture"));
        return;
    }
    std::string bytes;
    try {
        // The head first: a large file that is no picture is never read whole.
        if (IsPictureData(rtl::ReadFileHead(source.string(), kPictureHeadSize))) bytes = rtl::ReadFileToString(source.string());
    } catch (const rtl::Exception& e) {
        warnings.push_back(NotCopied(shown, e.Message()));
        return;
    }
    if (!IsPictureData(bytes)) {
        warnings.push_back(NotCopied(shown, "it is not a picture"));
        return;
    }
    rtl::TTextFileWriter& copy = set.Create(target.string());
    copy.Write(bytes);
    copy.Close();
}

// True for the size a bitmap's info header has, which follows the 14-byte file header.
bool IsBitmapInfoHeader(std::string_view bytes)
{
    if (bytes.size() < 18) return false;
    switch (LittleEndian32(bytes, 14)) {
    case 12: case 40: case 52: case 56: case 64: case 108: case 124: return true;
    default: return false;
    }
}

}  // namespace

TPageSetReport WritePageSet(const TPageSetWrite& write)
{
    rtl::TFileSetTransaction set;
    TPageSetReport report;
    try {
        report.records = write(set, report.warnings);
    } catch (const rtl::EAbort&) {
        throw;
    } catch (const rtl::Exception& e) {
        // The set's temporary files go with it; the earlier files were never touched.
        throw EPageExport(e.Message() + "\r\n" + kPagesNotReplaced);
    }
    set.Commit();
    return report;
}

bool IsPictureData(std::string_view bytes)
{
    switch (ui::SniffPictureFormat(bytes)) {
    case ui::TPictureFormat::Jpeg:
    case ui::TPictureFormat::Png: return true;
    // "BM" alone starts many a text.
    case ui::TPictureFormat::Bmp: return IsBitmapInfoHeader(bytes);
    case ui::TPictureFormat::None: break;
    }
    return bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a");
}

void CopyStyleImages(rtl::TFileSetTransaction& set, const std::string& layoutStylesDir, const std::string& styleName,
                     std::string_view templateText, const std::string& fileName, std::vector<std::string>& warnings)
{
    std::error_code ec;
    const fs::path style = fs::path(layoutStylesDir) / styleName;
    const fs::path source = style / "images";
    // A link counts as there: where it leads is judged when it is copied.
    for (const std::string& name : TemplatePictureNames(templateText))
        if (!fs::exists(fs::symlink_status(source / name, ec))) warnings.push_back(NotCopied(source / name, "it does not exist"));
    if (!fs::is_directory(source, ec)) return;
    const fs::path home = fs::canonical(style, ec);
    if (ec) return;
    const fs::path folder = fs::canonical(source, ec);
    if (ec || !LiesInside(folder, home)) {
        warnings.push_back(NotCopied(source, "it lies outside the layout style's folder"));
        return;
    }
    const fs::path target = fs::path(OutputFolder(fileName)) / "images";
    set.ForceFolder(target.string());
    // Files only: a folder inside is not copied, as the file copy of the style's images never did.
    for (const std::string& name : rtl::ListDirectory(folder.string(), "*", rtl::TListFilter::Files)) {
        const fs::path file = source / name;
        // A link that leads nowhere resolves as far as it goes: outside, or to no picture.
        const fs::path real = fs::weakly_canonical(file, ec);
        if (ec || !LiesInside(real, home)) {
            warnings.push_back(NotCopied(file, "it lies outside the layout style's folder"));
            continue;
        }
        CopyPicture(set, real, file, target / name, warnings);
    }
}

void CopyBackgroundImage(rtl::TFileSetTransaction& set, const std::string& backgroundImage, const std::string& fileName,
                         std::vector<std::string>& warnings)
{
    std::error_code ec;
    if (backgroundImage.empty()) return;
    const fs::path source(backgroundImage);
    if (!fs::exists(source, ec)) {
        warnings.push_back(NotCopied(source, "it does not exist"));
        return;
    }
    const fs::path target = fs::path(OutputFolder(fileName)) / source.filename();
    if (fs::equivalent(source, target, ec)) return;
    CopyPicture(set, source, source, target, warnings);
}

}  // namespace designer
