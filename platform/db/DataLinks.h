#pragma once
// Data-link files (".udl"): the storage of one OLE DB initialisation string, read and written
// the way the platform's data-link service does, answering with its result codes.
//
// A file is written as UTF-16LE with a byte-order mark: the line "[oledb]", the line
// "; Everything after this line is an OLE DB initstring", then the initialisation string, each
// line ending in CR LF. Writes replace the file atomically. Reading accepts that form and
// UTF-8 (with or without a byte-order mark, lines ending in CR LF or LF): after the "[oledb]"
// line, comment lines start with ";" and the first other line is the string.

#include <cstdint>
#include <string>
#include <string_view>

namespace db {

using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT STG_E_FILENOTFOUND = static_cast<HRESULT>(0x80030002u);
constexpr HRESULT STG_E_PATHNOTFOUND = static_cast<HRESULT>(0x80030003u);
constexpr HRESULT STG_E_ACCESSDENIED = static_cast<HRESULT>(0x80030005u);
constexpr HRESULT STG_E_FILEALREADYEXISTS = static_cast<HRESULT>(0x80030050u);
constexpr HRESULT STG_E_INVALIDHEADER = static_cast<HRESULT>(0x800300FBu);
constexpr HRESULT STG_E_INVALIDNAME = static_cast<HRESULT>(0x800300FCu);

// How WriteStringToStorage treats an existing file.
enum TUdlDisposition : std::uint32_t {
    CREATE_NEW = 1,     // the file must not exist (STG_E_FILEALREADYEXISTS, file unchanged)
    CREATE_ALWAYS = 2,  // create or replace
    OPEN_EXISTING = 3,  // the file must exist (STG_E_FILENOTFOUND)
    OPEN_ALWAYS = 4,    // create or replace
};

// Result codes, besides S_OK:
//   E_INVALIDARG         empty file name, or a string holding a line break
//   STG_E_INVALIDNAME    a name holding a zero byte or too long for the file system
//   STG_E_FILENOTFOUND   no such file (reading; writing with OPEN_EXISTING)
//   STG_E_PATHNOTFOUND   the folder does not exist (writing)
//   STG_E_ACCESSDENIED   no permission, or the name is a folder
//   STG_E_INVALIDHEADER  the file is not a data-link file (no "[oledb]" first line, or text
//                        that is neither UTF-16 nor UTF-8)
//   E_FAIL               any other failure
HRESULT WriteStringToStorage(const std::string& fileName, const std::string& initString, TUdlDisposition disposition);
// On failure `initString` is left unchanged.
HRESULT LoadStringFromStorage(const std::string& fileName, std::string& initString);

// The data-links folder (rtl::CommonFilesDir() + "System/OLE DB/Data Links"), without a
// trailing "/"; not created here.
std::string DataLinksDir();
// The link file of `name` in `folder` (default: the data-links folder).
std::string DataLinkFileName(const std::string& name, const std::string& folder = DataLinksDir());
// True for a name that may become a link file name: not empty, not "." or "..", no "/",
// "\" or control character. Every name that reaches a link file passes it, so that a name
// from a project or a component never reaches outside the folder.
bool IsValidLinkName(std::string_view name);

// The bytes of a data-link file holding `initString`.
std::string FormatDataLinkFile(const std::string& initString);

}  // namespace db
