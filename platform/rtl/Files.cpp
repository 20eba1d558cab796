#include "platform/rtl/Files.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TextWriter.h"

#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace rtl {

namespace {

fs::file_status StatusOf(const std::string& path)
{
    std::error_code ec;
    return path.empty() ? fs::file_status(fs::file_type::not_found) : fs::status(path, ec);
}

// Start of the name part: just after the last "/".
std::size_t NameStart(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// Position of the extension's dot in the name part, or npos.
std::size_t ExtDot(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    return (dot == std::string_view::npos || dot < NameStart(path)) ? std::string_view::npos : dot;
}

}  // namespace

void SaveFileAtomically(const std::string& path, std::string_view data)
{
    QSaveFile file(QString::fromStdString(path));
    // Unbuffered: every byte has reached the file when write returns, so a full disk or a
    // file-size limit fails the write that meets it. A buffered tail would only be written by
    // the flush inside commit, whose failure commit does not always notice; it would then
    // rename a short file over the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw EFCreateError("Cannot create file \"" + path + "\". " + file.errorString().toStdString());
    }
    // A short write is not yet a failure; the write after it reports the system's reason
    // (a file-size limit, a full disk).
    while (!data.empty()) {
        errno = 0;
        const qint64 put = file.write(data.data(), static_cast<qint64>(data.size()));
        if (put <= 0) {
            const int error = errno;
            const std::string reason = file.errorString().toStdString();
            file.cancelWriting();
            throw EInOutError("Cannot write file \"" + path + "\". " + reason, error);
        }
        data.remove_prefix(static_cast<std::size_t>(put));
    }
    errno = 0;
    if (!file.flush() || !file.commit()) {
        const int error = errno;
        const std::string reason = file.errorString().toStdString();
        file.cancelWriting();
        throw EInOutError("Cannot save file \"" + path + "\". " + reason, error);
    }
}

void RemoveStaleSaveTemporaries(const std::string& path)
{
    // QSaveFile writes to "<name>.XXXXXX" beside the file, the X letters or digits, and
    // renames that over the file once everything is written.
    const std::string prefix = ExtractFileName(path) + ".";
    const std::string folder = ExtractFilePath(path);
    for (const std::string& name : ListDirectory(folder.empty() ? "." : folder, prefix + "??????", TListFilter::Files)) {
        if (name.size() != prefix.size() + 6 || !name.starts_with(prefix)) continue;  // the mask ignores case
        const bool random = std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        });
        std::error_code ec;
        if (random && fs::is_regular_file(fs::symlink_status(folder + name, ec))) DeleteFile(folder + name);
    }
}

bool FileExists(const std::string& path)
{
    const fs::file_status st = StatusOf(path);
    return fs::exists(st) && !fs::is_directory(st);
}

bool DirectoryExists(const std::string& path)
{
    return fs::is_directory(StatusOf(path));
}

bool ForceDirectories(const std::string& path)
{
    const std::string folder = ExcludeTrailingPathDelimiter(path);
    if (folder.empty()) {
        return false;
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    return DirectoryExists(folder);
}

bool CreateDir(const std::string& path)
{
    return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
}

bool DeleteFile(const std::string& path)
{
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
        return false;
    }
    return ::unlink(path.c_str()) == 0;
}

bool CopyFile(const std::string& from, const std::string& to, bool overwrite)
{
    if (!FileExists(from) || to.empty()) {
        return false;
    }
    std::error_code ec;
    const auto options = overwrite ? fs::copy_options::overwrite_existing : fs::copy_options::none;
    return fs::copy_file(from, to, options, ec) && !ec;
}

bool MatchesMask(std::string_view name, std::string_view mask)
{
    if (mask == "*" || mask == "*.*") {
        return true;
    }
    // Greedy match with one back-track point: the last "*" seen.
    std::size_t n = 0;
    std::size_t m = 0;
    std::size_t starMask = std::string_view::npos;
    std::size_t starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && mask[m] == '?') {
            n = Utf8NextCharStart(name, n);
            ++m;
        } else if (m < mask.size() && AsciiLower(mask[m]) == AsciiLower(name[n])) {
            ++n;
            ++m;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            starName = Utf8NextCharStart(name, starName);
            n = starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') {
        ++m;
    }
    return m == mask.size();
}

std::vector<std::string> ListDirectory(const std::string& folder, std::string_view mask, TListFilter filter)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? std::string(".") : folder, ec);
    if (ec) {
        return names;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) {
            break;
        }
        std::string name = it->path().filename().string();
        if (!MatchesMask(name, mask)) {
            continue;
        }
        std::error_code kindError;
        const bool isFolder = it->is_directory(kindError);
        if ((filter == TListFilter::Files && isFolder) || (filter == TListFilter::Folders && !isFolder)) {
            continue;
        }
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ExtractFilePath(std::string_view path)
{
    return std::string(path.substr(0, NameStart(path)));
}

std::string ExtractFileName(std::string_view path)
{
    return std::string(path.substr(NameStart(path)));
}

std::string ExtractFileExt(std::string_view path)
{
    const std::size_t dot = ExtDot(path);
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext)
{
    const std::size_t dot = ExtDot(path);
    std::string result(path.substr(0, dot == std::string_view::npos ? path.size() : dot));
    result += ext;
    return result;
}

std::string IncludeTrailingPathDelimiter(std::string_view path)
{
    std::string result(path);
    if (!result.empty() && result.back() != '/') {
        result += '/';
    }
    return result;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path)
{
    std::string result(path);
    if (result.size() > 1 && result.back() == '/') {
        result.pop_back();
    }
    return result;
}

namespace {

// The file's first `limit` bytes; raises when it holds more than `maxBytes`.
std::string ReadFileBytes(const std::string& path, std::size_t limit, std::size_t maxBytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw EFOpenError("Cannot open file \"" + path + "\". " + SysErrorMessage(errno));
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw EFOpenError("Cannot open file \"" + path + "\". " + SysErrorMessage(EISDIR));
    }
    // Closes the file and answers the error of one that holds more than asked for.
    const auto tooLong = [&] {
        ::close(fd);
        return EInOutError("Cannot read file \"" + path + "\". " + SysErrorMessage(EFBIG) + " (more than " +
                               std::to_string(maxBytes) + " bytes)",
                           EFBIG);
    };
    std::string data;
    if (S_ISREG(st.st_mode) && st.st_size > 0) {
        if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) throw tooLong();
        data.reserve(std::min(static_cast<std::size_t>(st.st_size), limit));
    }
    char chunk[65536];
    while (data.size() < limit) {
        const ssize_t got = ::read(fd, chunk, std::min(sizeof chunk, limit - data.size()));
        if (got > 0) {
            if (static_cast<std::size_t>(got) > maxBytes - data.size()) throw tooLong();
            data.append(chunk, static_cast<std::size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            const int error = errno;
            ::close(fd);
            throw EInOutError("Cannot read file \"" + path + "\". " + SysErrorMessage(error), error);
        }
    }
    ::close(fd);
    return data;
}

}  // namespace

std::string ReadFileToString(const std::string& path, std::size_t maxBytes)
{
    return ReadFileBytes(path, std::string::npos, maxBytes);
}

std::string ReadFileHead(const std::string& path, std::size_t limit)
{
    return ReadFileBytes(path, limit, std::string::npos);
}

void WriteStringToFile(const std::string& path, std::string_view data)
{
    TTextFileWriter writer(path);
    writer.Write(data);
    writer.Close();
}

}  // namespace rtl
