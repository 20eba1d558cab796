#pragma once
// One "Save Pages" as a whole, for the static and the server-side page writers alike.
//
// Every file of the set (pages, index and frameset, the style sheet, the pictures copied
// beside them) is written into a temporary file beside its target through one
// rtl::TFileSetTransaction and replaces the file of an earlier export only once all are
// written. An error while the set is written leaves the earlier files as they were, removes
// the temporary files, and raises EPageExport: the error's own message (the file and the
// system's reason) and a line saying that nothing was replaced.
//
// A project, and a layout style, may come from someone else: a picture is copied beside the
// pages only when its content is a picture (JPEG, PNG, GIF or BMP, known by its first bytes)
// and it is either the background picture the design names, which the user chose, or a file
// of the layout style's "images" folder that lies inside the style's own folder once symbolic
// links are resolved. Every other file stays where it is, and the report carries a warning
// naming it; so does a picture the pages name that is not there to copy.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileSet.h"

namespace designer {

class EPageExport : public rtl::Exception {
    using Exception::Exception;
};

// The second line of the message of a page set that could not be written.
inline constexpr const char* kPagesNotReplaced = "No page was replaced: the files already in the folder are as they were.";

// What one export did: the records it wrote and a warning for each file it did not copy.
struct TPageSetReport {
    int records = 0;
    std::vector<std::string> warnings;
};

// The lines of one file of the set, each followed by CR LF, or text as it is.
class TPageLines {
public:
    TPageLines(rtl::TFileSetTransaction& set, const std::string& path) : writer_(set.Create(path)) {}
    TPageLines& operator<<(std::string_view line)
    {
        writer_.WriteLine(line);
        return *this;
    }
    // Text as it is, its lines already ended.
    void Write(std::string_view text) { writer_.Write(text); }
    void Close() { writer_.Close(); }

private:
    rtl::TTextFileWriter& writer_;
};

// Runs `write` (which answers the records written) over a new set and commits the set.
using TPageSetWrite = std::function<int(rtl::TFileSetTransaction& set, std::vector<std::string>& warnings)>;
TPageSetReport WritePageSet(const TPageSetWrite& write);

// True when `bytes` begin a JPEG, PNG, GIF or BMP picture.
bool IsPictureData(std::string_view bytes);

// The layout style's "images" folder (layoutStylesDir/styleName/images), copied into the
// folder "images" beside `fileName`; nothing when the style has no such folder. A picture
// that `templateText` names in that folder (TemplatePictureNames) and the folder lacks gets a
// warning: the pages would show it broken.
void CopyStyleImages(rtl::TFileSetTransaction& set, const std::string& layoutStylesDir, const std::string& styleName,
                     std::string_view templateText, const std::string& fileName, std::vector<std::string>& warnings);
// The background picture, copied beside `fileName` under its own name; nothing when none is
// set or when it is there already. A file that does not exist gets a warning (the style sheet
// names it all the same).
void CopyBackgroundImage(rtl::TFileSetTransaction& set, const std::string& backgroundImage, const std::string& fileName,
                         std::vector<std::string>& warnings);

}  // namespace designer
