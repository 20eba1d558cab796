#pragma once
// Small pieces the fuzz targets share: a file that holds the current input (for readers that
// only take a file name), a scratch folder for readers that also write, and the check that
// stops a run on a broken promise.
//
// Inputs are split with LLVM's FuzzedDataProvider (options first, then the text), so a seed
// file is options bytes followed by the text; a seed that is plain text works too, only with
// other options.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include <sys/mman.h>
#include <unistd.h>

namespace fuzz {

// Stops the run (a finding) when `ok` is false, saying which promise broke.
inline void Check(bool ok, const char* what)
{
    if (ok) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// A file in memory, reachable by name through /proc, rewritten for every input: no disk
// traffic, nothing left behind.
class InputFile {
public:
    InputFile()
    {
        fd_ = ::memfd_create("gw-fuzz-input", MFD_CLOEXEC);
        Check(fd_ >= 0, "memfd_create");
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~InputFile() { ::close(fd_); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Replaces the file's bytes; answers the file's path.
    const std::string& Hold(std::string_view bytes)
    {
        Check(::ftruncate(fd_, 0) == 0, "ftruncate");
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            Check(n > 0, "pwrite");
            done += static_cast<std::size_t>(n);
        }
        return path_;
    }
    const std::string& Path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

// A folder of the process's own (in /dev/shm when there is one, so that atomic saves stay
// in memory), removed with what is in it when the process ends.
inline const std::string& ScratchFolder()
{
    struct Folder {
        std::string path;
        ~Folder()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Folder folder{[] {
        std::string pattern = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/gw-fuzz-XXXXXX");
        Check(::mkdtemp(pattern.data()) != nullptr, "mkdtemp");
        return pattern;
    }()};
    return folder.path;
}

}  // namespace fuzz
