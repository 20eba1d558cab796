// Fuzz target of the project-file reader: the bytes are a project file, read into a window
// holding the seventy components a project stores. A project that cannot be read ends in the
// reader's error naming a line of the text, never a crash, a leak or a hang; one that is read
// has changed nothing but design content (no bounds, events or components of its choosing)
// and writes out to a text that reads back to the same.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/ProjectFile.h"
#include "app/Program.h"
#include "fuzz/FuzzSupport.h"
#include "platform/classes/Errors.h"
#include "platform/classes/Streaming.h"
#include "platform/classes/TextForm.h"
#include "tests/app/ProjectFixture.h"

namespace {

// Every component's text without its design lines: what only the form may decide.
std::string FormOnlyText(apptest::TDesignFixture& window)
{
    std::string text = std::to_string(window.ComponentCount()) + " components\n";
    for (const app::TProjectComponent& part : app::ProjectComponents()) {
        classes::TWriteOptions options;
        options.withChildren = false;
        classes::TTextObject tree = classes::WriteComponentTree(*window.FindComponent(part.name), options);
        std::erase_if(tree.properties,
                      [&part](const classes::TTextProperty& p) { return app::IsDesignProperty(part, p.name); });
        text += classes::FormatObjectText(tree);
    }
    return text;
}

// The lines a reader may name: line breaks are CR LF, LF or a CR alone.
int LineCount(std::string_view text)
{
    int lines = 1;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++lines;
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Every class of the program can be made: a component nested in the text must still be
    // refused, not created.
    static const bool registered = (app::RegisterAppClasses(), true);
    (void)registered;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    static const std::string formOnly = [] {
        apptest::TDesignFixture fresh;
        return FormOnlyText(fresh);
    }();
    apptest::TDesignFixture window;
    try {
        app::LoadProjectText(window, text);
    } catch (const classes::EReadError& e) {
        fuzz::Check(e.Line() >= 1 && e.Line() <= LineCount(text), "a read error names a line of the text");
        return 0;
    }
    fuzz::Check(FormOnlyText(window) == formOnly, "a project changes only design content");

    const std::string written = app::ProjectText(window);
    apptest::TDesignFixture again;
    try {
        app::LoadProjectText(again, written);
    } catch (const classes::EReadError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        fuzz::Check(false, "a project written reads back");
    }
    fuzz::Check(app::ProjectText(again) == written, "a project written reads back the same");
    return 0;
}
