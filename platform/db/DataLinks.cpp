#include "platform/db/DataLinks.h"

#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Paths.h"
#include "platform/rtl/SysUtils.h"

namespace db {

namespace {

constexpr const char* kHeader = "[oledb]";
constexpr const char* kComment = "; Everything after this line is an OLE DB initstring";

HRESULT FromErrno(int error)
{
    switch (error) {
    case ENOENT: return STG_E_FILENOTFOUND;
    case ENOTDIR: return STG_E_PATHNOTFOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY: return STG_E_ACCESSDENIED;
    case ENAMETOOLONG:
    case EILSEQ: return STG_E_INVALIDNAME;
    default: return E_FAIL;
    }
}

HRESULT CheckName(const std::string& fileName)
{
    if (fileName.empty()) return E_INVALIDARG;
    if (fileName.find('\0') != std::string::npos) return STG_E_INVALIDNAME;
    return S_OK;
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

HRESULT ReadWhole(const std::string& fileName, std::string& bytes)
{
    if (IsFolder(fileName)) return STG_E_ACCESSDENIED;
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return FromErrno(errno);
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            return FromErrno(error);
        }
        if (n == 0) break;
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return S_OK;
}

// The file's text as UTF-8; false when it is no text of a known encoding.
bool DecodeText(const std::string& bytes, std::string& text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
        if (bytes.size() % 2 != 0) return false;
        const bool little = byte(0) == 0xFF;
        std::u16string units;
        units.reserve(bytes.size() / 2 - 1);
        for (std::size_t i = 2; i < bytes.size(); i += 2)
            units.push_back(static_cast<char16_t>(little ? byte(i) | (byte(i + 1) << 8) : (byte(i) << 8) | byte(i + 1)));
        text = QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size())).toStdString();
        return true;
    }
    std::size_t start = 0;
    if (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) start = 3;
    text = bytes.substr(start);
    // UTF-8 that does not survive a round trip is not a data-link file.
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdString() == text;
}

}  // namespace

std::string FormatDataLinkFile(const std::string& initString)
{
    const std::string text = std::string(kHeader) + "\r\n" + kComment + "\r\n" + initString + "\r\n";
    const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    std::string bytes("\xFF\xFE", 2);
    bytes.reserve(2 + static_cast<std::size_t>(s.size()) * 2);
    for (const QChar c : s) {
        const char16_t u = c.unicode();
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

HRESULT WriteStringToStorage(const std::string& fileName, const std::string& initString, TUdlDisposition disposition)
{
    if (const HRESULT hr = CheckName(fileName); hr != S_OK) return hr;
    if (initString.find_first_of("\r\n") != std::string::npos) return E_INVALIDARG;
    if (disposition < CREATE_NEW || disposition > OPEN_ALWAYS) return E_INVALIDARG;
    if (IsFolder(fileName)) return STG_E_ACCESSDENIED;

    struct stat st {};
    const bool exists = ::stat(fileName.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) return FromErrno(errno);
    if (disposition == CREATE_NEW && exists) return STG_E_FILEALREADYEXISTS;
    if (disposition == OPEN_EXISTING && !exists) return STG_E_FILENOTFOUND;
    const std::string folder = rtl::ExtractFilePath(fileName);
    if (!folder.empty() && !rtl::DirectoryExists(folder)) return STG_E_PATHNOTFOUND;
    if (exists && ::access(fileName.c_str(), W_OK) != 0) return FromErrno(errno);

    try {
        rtl::SaveFileAtomically(fileName, FormatDataLinkFile(initString));
    } catch (const rtl::EInOutError& e) {
        return e.ErrorCode() != 0 ? FromErrno(e.ErrorCode()) : E_FAIL;
    } catch (const rtl::EFCreateError&) {
        return STG_E_ACCESSDENIED;
    } catch (const rtl::Exception&) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT LoadStringFromStorage(const std::string& fileName, std::string& initString)
{
    if (const HRESULT hr = CheckName(fileName); hr != S_OK) return hr;
    std::string bytes;
    if (const HRESULT hr = ReadWhole(fileName, bytes); hr != S_OK) return hr;
    std::string text;
    if (!DecodeText(bytes, text)) return STG_E_INVALIDHEADER;

    std::size_t pos = 0;
    bool header = false;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!header) {
            if (line.empty()) continue;
            if (!rtl::SameText(line, kHeader)) return STG_E_INVALIDHEADER;
            header = true;
            continue;
        }
        if (!line.empty() && line[0] == ';') continue;
        initString = line;
        return S_OK;
    }
    if (!header) return STG_E_INVALIDHEADER;
    initString.clear();
    return S_OK;
}

}  // namespace db

namespace db {

std::string DataLinksDir() { return rtl::IncludeTrailingPathDelimiter(rtl::CommonFilesDir()) + "System/OLE DB/Data Links"; }

std::string DataLinkFileName(const std::string& name, const std::string& folder)
{
    return rtl::IncludeTrailingPathDelimiter(folder) + name + ".udl";
}

bool IsValidLinkName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || u < 0x20 || u == 0x7F) return false;
    }
    return true;
}

}  // namespace db
