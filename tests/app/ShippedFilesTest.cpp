// What the program folder ships names no place of the machine it was made on: every text file
// under share/ (data links read as the data layer reads them) is searched for absolute paths,
// with the rule itself shown on a table of texts that are and are not one.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "platform/db/DataLinks.h"
#include "platform/rtl/Files.h"

namespace {

namespace fs = std::filesystem;

// The absolute paths `text` holds outside the system's own folders. A path is absolute when it
// starts a token with "/" and a name (after a blank, a quote, "=", "(", ",", ";" or the ">" of
// a tag), with a drive letter, as a network share "\\host\", or as a file address. Addresses
// ("http://host/a"), relative paths ("images/a.jpg"), the home shorthand ("~/.local"), a
// placeholder ("&lt;prefix&gt;/share") and closing tags ("</b>") are none. Paths below /etc/
// and /usr/ are the same on every machine (a help page may name a driver's configuration).
std::vector<std::string> AbsolutePaths(const std::string& text)
{
    static const std::regex rules[] = {
        std::regex(R"([\s"'=(,;>](/[A-Za-z0-9_.~-][^\s"'<>]*))"),
        std::regex(R"([^A-Za-z0-9]([A-Za-z]:[\\/][^\s"'<>]*))"),
        std::regex(R"([^\\](\\\\[A-Za-z0-9_.$-]+\\[^\s"'<>]*))"),
        std::regex(R"(()(file:/[^\s"'<>]*))", std::regex::icase),
    };
    // The component text form cuts long strings into pieces joined by "+" at line ends.
    static const std::regex joint(R"('[ \t]*\+[ \t]*\r?\n[ \t]*')");
    // A quote written as a reference still opens a token; other references are text.
    static const std::regex quote(R"(&(quot|#34|#39|apos);)");
    static const std::regex reference(R"(&(#[0-9]+|#x[0-9A-Fa-f]+|[A-Za-z]+);)");
    std::string joined = std::regex_replace(text, joint, "");
    joined = " " + std::regex_replace(std::regex_replace(joined, quote, "\""), reference, "x");
    std::vector<std::string> found;
    for (const std::regex& rule : rules)
        for (std::sregex_iterator it(joined.begin(), joined.end(), rule), end; it != end; ++it) {
            const std::string path = (*it)[it->size() - 1].str();
            if (!path.starts_with("/etc/") && !path.starts_with("/usr/")) found.push_back(path);
        }
    return found;
}

TEST(ShippedFiles, TheAbsolutePathRule)
{
    struct Case {
        const char* text;
        std::vector<std::string> paths;
    };
    const Case cases[] = {
        {"Database=/tmp/gw-1/home/Data/DBSamples/Sample1.db\"", {"/tmp/gw-1/home/Data/DBSamples/Sample1.db"}},
        {"'FILE NAME=/root/common/Sample1.udl'", {"/root/common/Sample1.udl"}},
        {"<img src=\"/home/me/pic.png\">", {"/home/me/pic.png"}},
        {"<code>/work/main/share</code>", {"/work/main/share"}},
        {"'Extended Properties=\"DRIVER=SQLite3;Database=/wo' +\r\n      'rk/x.db\"'", {"/work/x.db"}},
        {"Data Source=C:\\Data\\x.mdb", {"C:\\Data\\x.mdb"}},
        {"at d:/pages", {"d:/pages"}},
        {"at \\\\server\\share\\x", {"\\\\server\\share\\x"}},
        {"<a href=\"file:///srv/x.html\">", {"file:///srv/x.html"}},
        {"<p>&quot;/var/tmp/x.db&quot;</p>", {"/var/tmp/x.db"}},
        {"<p>a</p><br />images/frame.jpg Data/DBSamples ~/.local/share/gridweaver 1/2 AND/OR", {}},
        {"<a href=\"http://example.com/a/b\">https://example.org/c</a> mailto:x@example.com", {}},
        {"$GRIDWEAVER_HOME/Data &lt;prefix&gt;/share/gridweaver", {}},
        {"<code>/etc/odbcinst.ini</code> Driver=/usr/lib/odbc/libsqlite3odbc.so", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(AbsolutePaths(c.text), c.paths);
    }
}

// The text of a shipped file; nothing for a picture or a database (a NUL byte).
std::optional<std::string> ShippedText(const fs::path& file)
{
    if (file.extension() == ".udl") {
        std::string init;
        if (db::LoadStringFromStorage(file.string(), init) != db::S_OK) return "unreadable data link";
        return init;
    }
    std::string bytes = rtl::ReadFileToString(file.string());
    if (bytes.find('\0') != std::string::npos) return std::nullopt;
    return bytes;
}

TEST(ShippedFiles, NoneNamesAnAbsolutePath)
{
    const fs::path share = fs::path(GW_SOURCE_DIR) / "share";
    int texts = 0;
    for (const auto& entry : fs::recursive_directory_iterator(share)) {
        if (!entry.is_regular_file()) continue;
        const std::optional<std::string> text = ShippedText(entry.path());
        if (!text) continue;
        ++texts;
        EXPECT_EQ(AbsolutePaths(*text), std::vector<std::string>{}) << entry.path().string();
    }
    EXPECT_GT(texts, 10);
}

}  // namespace
