#pragma once
// A set of generated files that replaces the files of an earlier set as a whole (a page set:
// its pages, style sheet and pictures).
//
// Every file of the set is written into a new temporary file beside its target (a hidden
// ".gw-<random>.tmp"), and only Commit, once every one is written, moves each over its
// target. Until then the earlier files stay as they were: a failure while the set is written
// (a full disk, a file-size limit, a folder that cannot be written, a kill) leaves all of
// them whole. Leaving the scope without Commit removes the temporary files and the folders
// the set made, when they are still empty. A kill leaves the hidden temporary files behind,
// never a target cut short.
//
// Commit first closes every file (a write error raises before anything is moved) and checks
// that no target is a folder; a move that still fails after that (which renaming a file
// beside its temporary does not do on a local file system) raises with the files moved
// before it in place and removes the rest.
//
//   rtl::TFileSetTransaction set;
//   rtl::TTextFileWriter& page = set.Create(folder + "Sales01.html");
//   page.WriteLine("<HTML>");
//   ...
//   set.Commit();

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/rtl/TextWriter.h"

namespace rtl {

class TFileSetTransaction {
public:
    TFileSetTransaction() = default;
    // Without Commit: removes the temporary files and the empty folders the set made.
    ~TFileSetTransaction();

    TFileSetTransaction(const TFileSetTransaction&) = delete;
    TFileSetTransaction& operator=(const TFileSetTransaction&) = delete;

    // A writer on a new temporary file that takes `target`'s place at Commit; its errors name
    // `target`. The writer belongs to the set and lives until the set ends. A second file
    // for the same target replaces the first. EFCreateError "Cannot create file "<target>".
    // <reason>" when the temporary file cannot be created.
    TTextFileWriter& Create(const std::string& target);
    // Makes the folder `path` when it does not exist (its parent must), so that files can be
    // created in it. EFCreateError "Cannot create folder "<path>". <reason>" when it cannot.
    void ForceFolder(const std::string& path);

    // Moves every file into place (see above). EInOutError "Cannot write file "<target>".
    // <reason>" or "Cannot save file "<target>". <reason>" with the system's error number.
    void Commit();

private:
    struct TEntry {
        std::string target;
        std::string temp;  // empty once moved into place
        std::unique_ptr<TTextFileWriter> writer;
    };
    void RollBack() noexcept;

    std::vector<TEntry> entries_;
    std::unordered_set<std::string> targets_;  // the targets of entries_
    std::vector<std::string> madeFolders_;
    bool done_ = false;
};

}  // namespace rtl
