#pragma once
// Test support for saves that the disk refuses: a save run in a child process under a small
// file-size limit, or on a small file system of its own that the test fills. The limit and
// the mount live and die with the child, so the test process and the machine never see them.
//
// Every helper returns the child's own report, a text the test compares: the body decides
// what it reports ("saved", "raised", the file's contents, ...). A child that dies reports
// how it died.

#include "platform/rtl/Files.h"
#include "tests/support/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace gwtest {

// What InSmallFileSystem reports when this machine cannot mount one (no permission).
inline const std::string kNoFileSystem = "no file system to fill";

// `body` in a child whose files may grow to `limit` bytes at most; a write past it fails
// with EFBIG instead of the signal that would end the child.
inline std::string WithFileSizeLimit(rlim_t limit, const std::function<std::string()>& body)
{
    return InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit r{};
        r.rlim_cur = r.rlim_max = limit;
        if (::setrlimit(RLIMIT_FSIZE, &r) != 0) return std::string("no limit");
        return body();
    });
}

// `body` in a child in a mount namespace of its own, with a 64 KiB file system mounted on the
// empty folder `folder` (which the caller made). kNoFileSystem when it cannot be mounted.
inline std::string InSmallFileSystem(const std::string& folder, const std::function<std::string()>& body)
{
    return InChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0)
            return kNoFileSystem;
        return body();
    });
}

// Fills the file system holding `folder` with the file "filler" until no byte more fits,
// then gives `spare` bytes back (rounded to the file system's pages).
inline void FillFileSystem(const std::string& folder, off_t spare = 0)
{
    const std::string filler = folder + "/filler";
    ::unlink(filler.c_str());
    const int fd = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    const std::string block(4096, 'f');
    off_t size = 0;
    for (;;) {
        const ssize_t n = ::write(fd, block.data(), block.size());
        if (n <= 0) break;
        size += n;
    }
    if (::ftruncate(fd, size > spare ? size - spare : 0) != 0) {
    }
    ::close(fd);
}

// The file's bytes, or "(missing)" when it cannot be read.
inline std::string Contents(const std::string& path)
{
    try {
        return rtl::ReadFileToString(path);
    } catch (const std::exception&) {
        return "(missing)";
    }
}

}  // namespace gwtest
