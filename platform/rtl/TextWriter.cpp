#include "platform/rtl/TextWriter.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/SysUtils.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace rtl {

namespace {

// Bytes gathered before they go to the file; a page is written in a few system calls.
constexpr std::size_t kBufferSize = 64 * 1024;

}  // namespace

TTextFileWriter::TTextFileWriter(const std::string& path)
{
    Open(path);
}

TTextFileWriter::~TTextFileWriter()
{
    if (fd_ >= 0 && !target_.empty()) {
        // Unwinding past an atomic writer: the half-written file never replaces the old one.
        Discard();
    } else if (fd_ >= 0) {
        try {
            Close();
        } catch (const Exception&) {
            // Whoever wanted to know called Close; a writer dropped unclosed (a failure
            // unwinding past it) may have lost its last lines, which only the log can say.
            LogCurrentException("TTextFileWriter: closing on destruction");
        }
    }
}

void TTextFileWriter::Open(const std::string& path)
{
    OpenWith(path, O_TRUNC, path);
}

void TTextFileWriter::OpenNew(const std::string& path, const std::string& shownName)
{
    // Never an existing file, nor one a symbolic link names.
    OpenWith(path, O_EXCL, shownName);
}

void TTextFileWriter::OpenAtomic(const std::string& path)
{
    Close();
    // The new file keeps the old one's permissions; a new one gets the usual ones.
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    // An unnamed file is linked in only at Close, which needs /proc to reach it by descriptor.
    const std::string folder = ExtractFilePath(path).empty() ? "." : ExtractFilePath(path);
    int fd = ::access("/proc/self/fd", X_OK) == 0 ? ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600) : -1;
    std::string temporary;
    if (fd < 0) {
        // File systems without unnamed files: the name the program's other atomic saves give
        // their temporaries, so that the clean-up of stale ones finds these too.
        temporary = path + ".XXXXXX";
        fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd < 0) {
            throw EFCreateError("Cannot create file \"" + path + "\". " + SysErrorMessage(errno));
        }
    }
    if (::fchmod(fd, mode) != 0) {
        LogLine("TTextFileWriter", "cannot set the mode of the file replacing " + path + ": " + SysErrorMessage(errno));
    }
    Adopt(fd, temporary, path);
    target_ = path;
    unnamed_ = temporary.empty();
}

void TTextFileWriter::OpenScratch(const std::string& folder, const std::string& shownName)
{
    Close();
    const std::string where = folder.empty() ? "." : folder;
    int fd = ::open(where.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::string name = IncludeTrailingPathDelimiter(where) + ".gw-scratch.XXXXXX";
        fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd >= 0) ::unlink(name.c_str());
    }
    if (fd < 0) {
        throw EFCreateError("Cannot create file \"" + shownName + "\". " + SysErrorMessage(errno));
    }
    Adopt(fd, std::string(), shownName);
}

void TTextFileWriter::AppendTo(TTextFileWriter& target)
{
    if (fd_ < 0) {
        throw EInOutError("File not open", EBADF);
    }
    Flush();
    std::string chunk(kBufferSize, '\0');
    for (off_t at = 0;;) {
        const ssize_t got = ::pread(fd_, chunk.data(), chunk.size(), at);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail(errno);
        if (got == 0) break;
        target.Write(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
        at += got;
    }
    Close();
}

void TTextFileWriter::Adopt(int fd, std::string fileName, std::string shownName)
{
    fd_ = fd;
    fileName_ = std::move(fileName);
    shownName_ = std::move(shownName);
    buffer_.reserve(kBufferSize);
}

void TTextFileWriter::NameTemporary()
{
    // linkat cannot replace a file, so the unnamed file gets a fresh name of its own first.
    const std::string link = "/proc/self/fd/" + std::to_string(fd_);
    std::random_device random;
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = target_ + ".";
        for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
        if (::linkat(AT_FDCWD, link.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            fileName_ = std::move(name);
            unnamed_ = false;
            return;
        }
        if (errno != EEXIST) Fail(errno);
    }
    Fail(EEXIST);
}

void TTextFileWriter::Discard() noexcept
{
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
    std::string().swap(buffer_);
    if (!target_.empty()) {
        if (!unnamed_) ::unlink(fileName_.c_str());
        target_.clear();
        unnamed_ = false;
    }
}

void TTextFileWriter::OpenWith(const std::string& path, int flags, const std::string& shownName)
{
    Close();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0666);
    if (fd < 0) {
        throw EFCreateError("Cannot create file \"" + shownName + "\". " + SysErrorMessage(errno));
    }
    Adopt(fd, path, shownName);
}

void TTextFileWriter::Write(std::string_view text)
{
    if (fd_ < 0) {
        throw EInOutError("File not open", EBADF);
    }
    buffer_.append(text);
    if (buffer_.size() >= kBufferSize) {
        Flush();
    }
}

void TTextFileWriter::WriteLine(std::string_view text)
{
    Write(text);
    Write("\r\n");
}

void TTextFileWriter::Close()
{
    if (fd_ < 0) {
        return;
    }
    int error = 0;
    try {
        Flush();
    } catch (const EInOutError& e) {
        error = e.ErrorCode();
    }
    // An atomic file must be on the disk before its name replaces the old file's.
    if (!target_.empty() && error == 0 && ::fsync(fd_) != 0) {
        error = errno;
    }
    if (unnamed_ && error == 0) {
        try {
            NameTemporary();
        } catch (const EInOutError& e) {
            error = e.ErrorCode();
        }
    }
    unnamed_ = false;
    if (::close(fd_) != 0 && error == 0 && errno != EINTR) {
        error = errno;
    }
    fd_ = -1;
    // A closed writer holds no buffer: a set keeps the writers of all its files until it ends.
    std::string().swap(buffer_);
    if (!target_.empty()) {
        if (error == 0 && ::rename(fileName_.c_str(), target_.c_str()) != 0) {
            error = errno;
        }
        if (error != 0 && !fileName_.empty()) {
            ::unlink(fileName_.c_str());
        }
        target_.clear();
    }
    if (error != 0) {
        throw EInOutError("Cannot write file \"" + shownName_ + "\". " + SysErrorMessage(error), error);
    }
}

void TTextFileWriter::Flush()
{
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t put = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
        } else if (put < 0 && errno == EINTR) {
            continue;
        } else {
            // A write of nothing would loop for ever; report it as a full device.
            Fail(put < 0 ? errno : ENOSPC);
        }
    }
    buffer_.clear();
}

void TTextFileWriter::Fail(int error)
{
    // The bytes that could not be written are dropped, so that closing does not try them again.
    buffer_.clear();
    throw EInOutError("Cannot write file \"" + shownName_ + "\". " + SysErrorMessage(error), error);
}

}  // namespace rtl
