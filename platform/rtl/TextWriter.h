#pragma once
// Line-by-line writer for generated text files (pages, style sheets).
//
// It writes straight into the named file, not through a temporary file: what it writes is
// output the program can generate again, not a document the user keeps. Every write is
// checked: a failure raises EInOutError (with the system's error number) at the write that
// met it, or at Close for bytes still buffered, so a failed generation is never reported as
// a success. The file left behind by a failure is incomplete; files written before stay.
// Files that must replace others only whole go through TFileSetTransaction (FileSet.h),
// which writes with this writer into temporary files.

#include <string>
#include <string_view>

namespace rtl {

class TTextFileWriter {
public:
    TTextFileWriter() = default;
    // Opens `path` at once (see Open).
    explicit TTextFileWriter(const std::string& path);
    // Closes an open file quietly; call Close to learn whether the last bytes were written.
    // An atomic writer is discarded instead: only Close puts its file in place.
    ~TTextFileWriter();

    TTextFileWriter(const TTextFileWriter&) = delete;
    TTextFileWriter& operator=(const TTextFileWriter&) = delete;

    // Creates the file, or empties an existing one. An open file is closed first.
    // EFCreateError "Cannot create file "<name>". <reason>" when it cannot be created.
    void Open(const std::string& path);
    // Creates `path`, which must not exist yet, for the content of `shownName` (the file it
    // will become): every error names `shownName`. EFCreateError when it cannot be created.
    void OpenNew(const std::string& path, const std::string& shownName);
    // Writes into a temporary file beside `path`; Close renames it over `path` once every
    // byte is flushed to the disk, so `path` is either the old file or the whole new one.
    // Dropping the writer without Close, Discard, or a failing Close removes the temporary
    // file and leaves `path` as it was. Where the file system allows, the temporary file has
    // no name until Close gives it one ("<name>.XXXXXX") just before the rename, so a
    // process killed while writing leaves nothing behind. EFCreateError naming `path` when
    // the temporary file cannot be created (a folder that cannot be written).
    void OpenAtomic(const std::string& path);
    // Opens a scratch file in `folder` that no name reaches (removed as soon as it is made),
    // so it is gone with the writer or the process whatever ends them; errors name
    // `shownName`. Its bytes go on with AppendTo.
    void OpenScratch(const std::string& folder, const std::string& shownName);
    // Writes everything this scratch writer holds into `target`, then closes it.
    void AppendTo(TTextFileWriter& target);
    // Closes without keeping anything: an atomic writer's temporary file is removed (the
    // target untouched); a plain file keeps what was flushed so far.
    void Discard() noexcept;
    // Writes `text` as it is.
    void Write(std::string_view text);
    // Writes `text` followed by CR LF.
    void WriteLine(std::string_view text = {});
    // Writes what is buffered and closes the file; EInOutError on failure (the file is
    // closed all the same). Does nothing when no file is open.
    void Close();

    bool IsOpen() const noexcept { return fd_ >= 0; }
    const std::string& FileName() const noexcept { return fileName_; }

private:
    void OpenWith(const std::string& path, int flags, const std::string& shownName);
    void Adopt(int fd, std::string fileName, std::string shownName);
    void NameTemporary();
    void Flush();
    [[noreturn]] void Fail(int error);

    int fd_ = -1;
    std::string fileName_;
    std::string shownName_;  // the name errors give
    std::string buffer_;
    std::string target_;  // the file an atomic writer replaces at Close; empty otherwise
    bool unnamed_ = false;  // an atomic writer's file has no name before Close
};

}  // namespace rtl
