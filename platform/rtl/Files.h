#pragma once
// Files and folders. Paths are UTF-8 and use "/" as the folder delimiter.
//
// The tests and operations that the class library answered with a boolean answer the same
// way here and never raise; reading and writing whole files raise the stream errors of
// Exceptions.h.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rtl {

// Replaces the file at `path` with `data` so that a reader never sees a half-written file:
// the bytes go to a temporary file beside it, which is renamed over the old one only once
// everything is written and flushed. On any failure the old file is left as it was and
// EFCreateError (cannot create the temporary file) or EInOutError (write, flush or rename;
// with the system's error number where there is one, ENOSPC or EFBIG for a full disk or a
// file-size limit) is raised. A save that reports success has put every byte in the file.
void SaveFileAtomically(const std::string& path, std::string_view data);
// Deletes the temporary files a save of `path` that was killed before its rename may have
// left beside it: regular files named as the save names them, the file's name, ".", and six
// letters or digits. For start-up, before any save of the file runs.
void RemoveStaleSaveTemporaries(const std::string& path);

// ---- Tests -------------------------------------------------------------------------------

// True when `path` names a file that is not a folder (symbolic links are followed).
bool FileExists(const std::string& path);
// True when `path` names a folder (symbolic links are followed); a trailing "/" is allowed.
bool DirectoryExists(const std::string& path);

// ---- Changes (true on success, false otherwise; never raise) -----------------------------

// Creates the folder and every missing parent. True when the folder exists afterwards;
// false for an empty path or when something in the way is a file.
bool ForceDirectories(const std::string& path);
// Creates one folder whose parent must exist. False when it exists already or fails.
bool CreateDir(const std::string& path);
// Deletes a file (never a folder).
bool DeleteFile(const std::string& path);
// Copies a file's content. With `overwrite` false an existing target makes it fail and
// stay unchanged.
bool CopyFile(const std::string& from, const std::string& to, bool overwrite);

// ---- Listing -----------------------------------------------------------------------------

enum class TListFilter {
    Any,      // files and folders
    Files,    // everything that is not a folder
    Folders,  // folders only
};

// Names (without folder) of the entries of `folder` whose names match `mask` ("*" any run,
// "?" one character, letters compared without regard to ASCII case, as "*.udl" is meant),
// filtered by kind; "." and ".." never appear. Sorted by character code. Empty when the
// folder cannot be read.
std::vector<std::string> ListDirectory(const std::string& folder, std::string_view mask = "*",
                                       TListFilter filter = TListFilter::Any);
// True when `name` matches the wildcard `mask` as ListDirectory matches it.
bool MatchesMask(std::string_view name, std::string_view mask);

// ---- Path parts --------------------------------------------------------------------------

// The folder part including its trailing "/" ("a/b/c.txt" -> "a/b/"; "c.txt" -> "").
std::string ExtractFilePath(std::string_view path);
// The part after the last "/".
std::string ExtractFileName(std::string_view path);
// The extension of the name part with its dot ("a/b.tar.gz" -> ".gz"); "" without a dot.
std::string ExtractFileExt(std::string_view path);
// The path with the name part's extension replaced by `ext` (which carries its dot, or is
// empty to remove the extension); a name without a dot gets `ext` appended.
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// `path` ending in "/" (one is added when missing). An empty path stays empty, so that it
// never turns into the root folder.
std::string IncludeTrailingPathDelimiter(std::string_view path);
// `path` without its trailing "/" (one is removed), except that "/" itself stays.
std::string ExcludeTrailingPathDelimiter(std::string_view path);

// ---- Whole files -------------------------------------------------------------------------

// The file's bytes. EFOpenError "Cannot open file "<name>". <reason>" when it cannot be
// opened; EInOutError when reading fails, and when the file holds more than `maxBytes`
// (a regular file is refused before anything is read, a device or pipe once it has given
// that much).
std::string ReadFileToString(const std::string& path, std::size_t maxBytes = SIZE_MAX);
// The file's first `limit` bytes (all of it when it is shorter), with the errors of
// ReadFileToString: enough to tell a file's kind without reading a large one whole.
std::string ReadFileHead(const std::string& path, std::size_t limit);
// Creates or truncates the file and writes `data` straight into it (not atomically: files the
// user keeps go through SaveFileAtomically). EFCreateError when it cannot be created,
// EInOutError when a write fails.
void WriteStringToFile(const std::string& path, std::string_view data);

}  // namespace rtl
