#include "platform/rtl/FileSet.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace rtl {

namespace {

// A name no other file beside the target has: random, so that temporary files a kill left
// behind never stand in the way of the next set.
std::string TemporaryNameBeside(const std::string& target)
{
    thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char hex[] = "0123456789abcdef";
    std::uint64_t n = random();
    std::string name = ".gw-";
    for (int i = 0; i < 16; ++i, n >>= 4) name += hex[n & 0x0F];
    return ExtractFilePath(target) + name + ".tmp";
}

}  // namespace

TFileSetTransaction::~TFileSetTransaction()
{
    if (!done_) RollBack();
}

TTextFileWriter& TFileSetTransaction::Create(const std::string& target)
{
    // A set of thousands of pages looks a target up by name, not by walking every entry.
    if (targets_.count(target) != 0) {
        const auto same = std::find_if(entries_.begin(), entries_.end(), [&](const TEntry& e) { return e.target == target; });
        same->writer.reset();
        ::unlink(same->temp.c_str());
        entries_.erase(same);
        targets_.erase(target);
    }
    auto writer = std::make_unique<TTextFileWriter>();
    const std::string temp = TemporaryNameBeside(target);
    writer->OpenNew(temp, target);
    entries_.push_back({target, temp, std::move(writer)});
    targets_.insert(target);
    return *entries_.back().writer;
}

void TFileSetTransaction::ForceFolder(const std::string& path)
{
    if (DirectoryExists(path)) return;
    if (!CreateDir(path)) throw EFCreateError("Cannot create folder \"" + path + "\". " + SysErrorMessage(errno));
    madeFolders_.push_back(path);
}

void TFileSetTransaction::Commit()
{
    for (TEntry& e : entries_) e.writer->Close();
    for (const TEntry& e : entries_) {
        struct stat st {};
        if (::lstat(e.target.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            throw EInOutError("Cannot save file \"" + e.target + "\". " + SysErrorMessage(EISDIR), EISDIR);
    }
    for (TEntry& e : entries_) {
        // A file replaced keeps its permissions, as one written over in place does.
        struct stat st {};
        if (::stat(e.target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::chmod(e.temp.c_str(), st.st_mode & 07777);
        if (::rename(e.temp.c_str(), e.target.c_str()) != 0) {
            const int error = errno;
            throw EInOutError("Cannot save file \"" + e.target + "\". " + SysErrorMessage(error), error);
        }
        e.temp.clear();
    }
    done_ = true;
}

void TFileSetTransaction::RollBack() noexcept
{
    for (TEntry& e : entries_) {
        e.writer.reset();  // closed quietly: its content is dropped
        if (!e.temp.empty()) ::unlink(e.temp.c_str());
    }
    entries_.clear();
    targets_.clear();
    for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it) ::rmdir(it->c_str());
    madeFolders_.clear();
}

}  // namespace rtl
