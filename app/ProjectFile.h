#pragma once
// The project file and the recent-projects list.
//
// A project file ("*.gwp") is the concatenation of the text forms of the design window's
// seventy components, in one fixed order (ProjectComponents), nothing before, between or
// after them; every line ends with CR LF. Each component's design content (its items,
// colour, value, text, checked state) is always written, so that it comes back as it was
// saved and never as the form that reads it happens to say. A component's text ends at
// its own last line, the one that is exactly "end" in column 0: nested items' "end" lines
// are indented, and quoted texts never stand alone on a line.
//
// Loading reads the components one by one into the existing window, each only its design
// content: the other lines the writer stores (bounds, tags, event bindings, ...) are the
// form's own and skipped, since a project may come from someone else. A text that is cut
// short, a component missing or in another place, a component nested in one, or a design
// property that cannot be read raises classes::EReadError with the line of the file where it
// happened. The caller decides what the window shows then: a failed load must never leave a
// half-read window that a later save could write over the good file.
//
// Saves are atomic: the project file and history.dat are each either replaced whole or
// left as they were.

#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/Component.h"

namespace app {

struct TProjectComponent {
    std::string name;
    // The properties that carry the design, always written, and the only ones read.
    std::vector<std::string> design;
};

// The seventy components in file order.
const std::vector<TProjectComponent>& ProjectComponents();
// True for a property line that carries `part`'s design content, the only lines read: one of
// its design names, or a part of one ("Items.Strings" of "Items"), ignoring case as the
// component reader does.
bool IsDesignProperty(const TProjectComponent& part, std::string_view name);

// The text up to and including the first line that is exactly "end" (with its CR LF, or
// at the very end of the text); `remaining` continues after it. `firstLine` (1-based) is the
// line `remaining` starts on and moves past the chunk. EReadError when no such line is left.
std::string TakeProjectChunk(std::string_view& remaining, int& firstLine);

// The project text of `design`, whose components are found by name among those it owns.
// A component that is missing raises classes::EComponentError.
std::string ProjectText(const classes::TComponent& design);

// Reads `text` into the components of `design`. EReadError naming the line of `text`.
void LoadProjectText(classes::TComponent& design, std::string_view text);

// Writes the project text to `path` atomically (rtl errors on failure, the old file kept).
void SaveProjectFile(const classes::TComponent& design, const std::string& path);

// The option lines of a project (the first component's items): 0 the data link's name, 1 its
// connection string (a fallback: the link's own file wins on open), then the page options,
// flags written "TRUE"/"FALSE" and read as true exactly when the upper-cased text is "TRUE".
struct TProjectOptions {
    std::string linkName;
    std::string connectionString;
    int headerNavigation = 0;  // 2
    int footerNavigation = 0;  // 3
    std::string colorScheme;   // 4: its name
    int fontIndex = 0;         // 5
    std::string layoutStyle;   // 6: its name
    bool split = false;        // 7
    int recordsPerPage = 0;    // 8
    bool frames = false;       // 9
    bool frameBorder = false;  // 10
};

// A new project's twelve lines: name, connection string and ten "0".
std::vector<std::string> NewProjectOptionLines(const std::string& linkName, const std::string& connectionString);
// Lines 2 to 10 replaced in place; rtl::EListError for a list shorter than eleven lines, which
// is then left as it was.
void StoreProjectOptions(const TProjectOptions& options, std::vector<std::string>& lines);
// The options of the lines; rtl::EConvertError for a number that is none, rtl::EListError for
// a list shorter than eleven lines.
TProjectOptions ReadProjectOptions(const std::vector<std::string>& lines);

// Moves `path` to the top of the recent-projects file (one path per line, newest first,
// compared ignoring letter case), keeping at most ten lines after the insert; atomic.
void AddRecentProject(const std::string& historyFile, const std::string& path);

}  // namespace app
