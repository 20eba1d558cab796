#include "platform/rtl/Files.h"
#include "platform/rtl/IniFile.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/StringList.h"
#include "tests/rtl/FailingSaves.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace rtl;
using Names = std::vector<std::string>;

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tmp_.isValid()); }
    std::string Path(const std::string& name) const { return tmp_.path().toStdString() + "/" + name; }

    QTemporaryDir tmp_;
    const std::string file_ = Path("registry.ini");
};

TEST_F(RegistryTest, DefaultFileIsRegistryIniInTheConfigFolder)
{
    const char* old = std::getenv("GRIDWEAVER_HOME");
    const std::string saved = old ? old : "";
    setenv("GRIDWEAVER_HOME", tmp_.path().toUtf8().constData(), 1);
    const std::string name = TRegistry().FileName();
    if (old) {
        setenv("GRIDWEAVER_HOME", saved.c_str(), 1);
    } else {
        unsetenv("GRIDWEAVER_HOME");
    }
    EXPECT_EQ(name, file_);
}

// The tip dialog's use: read without creating, write creating the key.
TEST_F(RegistryTest, ShowAtStartSurvivesAReload)
{
    {
        TRegistry reg(file_);
        EXPECT_FALSE(reg.OpenKey("Software\\GWTips", false));
        EXPECT_FALSE(FileExists(file_)) << "opening without creating writes nothing";
        ASSERT_TRUE(reg.OpenKey("Software\\GWTips", true));
        EXPECT_FALSE(reg.ValueExists("ShowAtStart"));
        reg.WriteBool("ShowAtStart", false);
        reg.CloseKey();
    }
    TRegistry reg(file_);
    ASSERT_TRUE(reg.OpenKey("Software\\GWTips", false));
    EXPECT_TRUE(reg.ValueExists("ShowAtStart"));
    EXPECT_FALSE(reg.ReadBool("ShowAtStart"));
    EXPECT_EQ(ReadFileToString(file_), "[Software\\GWTips]\nShowAtStart=0\n");
}

TEST_F(RegistryTest, ValuesOfEveryKindSurviveAReload)
{
    {
        TRegistry reg(file_);
        ASSERT_TRUE(reg.OpenKey("\\Software\\Gridweaver\\Paths", true));
        reg.WriteString("Folder", "C:\\Program Files\\Gridweaver\\");
        reg.WriteString("Comment", " -- ");
        reg.WriteString("Quote", "\"");
        reg.WriteInteger("Count", -7);
        reg.WriteBool("Flag", true);
    }
    TRegistry reg(file_);
    ASSERT_TRUE(reg.OpenKey("software\\GRIDWEAVER\\paths", false));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Gridweaver\\Paths") << "keys keep their first spelling";
    EXPECT_EQ(reg.ReadString("Folder"), "C:\\Program Files\\Gridweaver\\");
    EXPECT_EQ(reg.ReadString("Comment"), " -- ");
    EXPECT_EQ(reg.ReadString("Quote"), "\"");
    EXPECT_EQ(reg.ReadInteger("Count"), -7);
    EXPECT_TRUE(reg.ReadBool("Flag"));
    EXPECT_EQ(reg.GetValueNames(), (Names{"Folder", "Comment", "Quote", "Count", "Flag"}));
}

TEST_F(RegistryTest, MissingOrWrongValues)
{
    TRegistry reg(file_);
    ASSERT_TRUE(reg.OpenKey("Software\\GWTips", true));
    reg.WriteString("Text", "not a number");
    EXPECT_EQ(reg.ReadString("Missing"), "");
    for (const char* name : {"Missing", "Text"}) {
        try {
            reg.ReadInteger(name);
            FAIL() << name;
        } catch (const ERegistryException& e) {
            EXPECT_EQ(e.Message(), "Invalid data type for '" + std::string(name) + "'");
        }
        EXPECT_THROW(reg.ReadBool(name), ERegistryException);
    }
    EXPECT_THROW(reg.WriteString("Text", "two\nlines"), ERegistryException);
    EXPECT_THROW(reg.WriteString("", "no name"), ERegistryException);
    EXPECT_EQ(reg.ReadString("Text"), "not a number");
}

TEST_F(RegistryTest, KeysBelowKeys)
{
    TRegistry reg(file_);
    ASSERT_TRUE(reg.OpenKey("Software\\Grid\\Columns", true));
    reg.WriteString("Name", "10");
    ASSERT_TRUE(reg.OpenKey("\\Software\\Grid\\History", true));
    reg.WriteString("1", "first");
    ASSERT_TRUE(reg.OpenKey("\\Software\\GWTips", true));

    EXPECT_TRUE(reg.KeyExists("\\Software"));
    EXPECT_TRUE(reg.KeyExists("\\Software\\Grid"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Gri"));
    reg.CloseKey();
    EXPECT_EQ(reg.GetKeyNames(), Names{"Software"});
    ASSERT_TRUE(reg.OpenKey("Software", false));
    EXPECT_EQ(reg.GetKeyNames(), (Names{"Grid", "GWTips"}));
    ASSERT_TRUE(reg.OpenKey("Grid", false)) << "a relative path goes below the open key";
    EXPECT_EQ(reg.CurrentPath(), "Software\\Grid");
    EXPECT_EQ(reg.GetKeyNames(), (Names{"Columns", "History"}));
    EXPECT_TRUE(reg.GetValueNames().empty());

    EXPECT_TRUE(reg.DeleteKey("\\Software\\Grid"));
    EXPECT_EQ(reg.CurrentPath(), "") << "the deleted open key is closed";
    EXPECT_FALSE(reg.KeyExists("Software\\Grid\\Columns"));
    EXPECT_FALSE(reg.DeleteKey("Software\\Grid"));
    EXPECT_TRUE(TRegistry(file_).KeyExists("Software\\GWTips"));
}

// Found by fuzzing: the file trims section names, so a key created with blanks at the ends
// of its path could not be opened again by that name, and a name listed from a section with
// blanks inside its path (" a \\b") was not found. Names are trimmed everywhere.
TEST_F(RegistryTest, BlanksAtTheEndsOfKeyNamesAreDropped)
{
    SaveFileAtomically(file_, "; comment first\r\n[Grid \\ Columns ]\r\nWidth = 640\r\n");
    TRegistry reg(file_);
    ASSERT_TRUE(reg.OpenKey(" a ", true));
    EXPECT_EQ(reg.CurrentPath(), "a");
    reg.WriteString("Name", "kept");

    TRegistry again(file_);
    ASSERT_TRUE(again.OpenKey(" a ", false)) << "the key opens by the name it was created with";
    EXPECT_EQ(again.ReadString("Name"), "kept");
    EXPECT_EQ(TRegIniFile(" a ", file_).ReadString("", "Name", "lost"), "kept");

    again.CloseKey();
    EXPECT_EQ(again.GetKeyNames(), (Names{"Grid", "a"}));
    EXPECT_TRUE(again.KeyExists("Grid")) << "a listed name exists";
    ASSERT_TRUE(again.OpenKey("Grid\\Columns", false));
    EXPECT_EQ(again.ReadString("Width"), "640") << "the values of the file's own section";
    again.WriteString("Width", "800");
    EXPECT_EQ(ReadFileToString(file_), "; comment first\r\n[Grid \\ Columns ]\r\nWidth=800\r\n[a]\r\nName=kept\r\n");
}

TEST_F(RegistryTest, DeleteValue)
{
    TRegistry reg(file_);
    ASSERT_TRUE(reg.OpenKey("K", true));
    reg.WriteInteger("a", 1);
    reg.WriteInteger("b", 2);
    EXPECT_TRUE(reg.DeleteValue("A"));
    EXPECT_FALSE(reg.DeleteValue("a"));
    EXPECT_EQ(reg.GetValueNames(), Names{"b"});
}

TEST_F(RegistryTest, UnsavableFileFailsAndReadsAsEmpty)
{
    WriteStringToFile(Path("plain"), "a file, not a folder");
    TRegistry reg(Path("plain/registry.ini"));
    EXPECT_FALSE(reg.OpenKey("Software\\GWTips", true));
    EXPECT_TRUE(reg.OpenKey("", false)) << "the root always exists";
    try {
        reg.WriteString("x", "y");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'x'");
    }
    EXPECT_EQ(reg.ReadString("x"), "");
}

// A value that the disk cannot take (a file-size limit, a full file system) raises and
// leaves the file with the values it had.
TEST_F(RegistryTest, ValueThatDoesNotFitRaisesAndKeepsTheFile)
{
    const auto change = [](const std::string& path) {
        TRegistry reg(path);
        if (!reg.OpenKey("Software\\GWTips", false)) return std::string("no key");
        try {
            reg.WriteString("Last", "A longer value than before");
            return std::string("saved");
        } catch (const ERegistryException&) {
            return std::string("raised");
        }
    };
    const auto first = [](const std::string& path) {
        TRegistry reg(path);
        ASSERT_TRUE(reg.OpenKey("Software\\GWTips", true));
        reg.WriteString("Last", "one");
    };
    first(file_);
    const std::string before = ReadFileToString(file_);
    EXPECT_EQ(gwtest::WithFileSizeLimit(0, [&] { return change(file_); }), "raised");
    EXPECT_EQ(ReadFileToString(file_), before);

    const std::string folder = Path("small");
    ASSERT_TRUE(CreateDir(folder));
    const std::string report = gwtest::InSmallFileSystem(folder, [&] {
        const std::string inside = folder + "/registry.ini";
        first(inside);
        gwtest::FillFileSystem(folder);
        return change(inside) + " " + gwtest::Contents(inside);
    });
    if (report == gwtest::kNoFileSystem) GTEST_SKIP() << "cannot mount a small file system here";
    EXPECT_EQ(report, "raised " + before);
}

// The visual query's SQL settings: sections below one root key, read with defaults.
TEST_F(RegistryTest, RegIniFileSectionsBelowARootKey)
{
    {
        const TRegIniFile settings("SQL Generator Global", file_);
        EXPECT_EQ(settings.ReadString("DriverName", "Last", "STANDARD"), "STANDARD");
        EXPECT_EQ(settings.ReadString("STANDARD", "CommentStart", "/*"), "/*");
        EXPECT_FALSE(FileExists(file_)) << "reading writes nothing";
    }
    {
        TRegIniFile settings("SQL Generator Global", file_);
        settings.WriteString("DriverName", "Last", "MSDASQL");
        settings.WriteString("MSDASQL", "CommentStart", "--");
        settings.WriteString("MSDASQL", "QuoteChar", "\"");
        settings.WriteInteger("MSDASQL", "Width", 12);
        settings.WriteBool("MSDASQL", "On", true);
    }
    const TRegIniFile settings("SQL Generator Global", file_);
    EXPECT_EQ(settings.ReadString("DriverName", "Last", "STANDARD"), "MSDASQL");
    EXPECT_EQ(settings.ReadString("msdasql", "CommentStart", "/*"), "--");
    EXPECT_EQ(settings.ReadString("MSDASQL", "CommentEnd", "*/"), "*/");
    EXPECT_EQ(settings.ReadString("MSDASQL", "QuoteChar", ""), "\"");
    EXPECT_EQ(settings.ReadInteger("MSDASQL", "Width", 0), 12);
    EXPECT_EQ(settings.ReadInteger("MSDASQL", "QuoteChar", -1), -1);
    EXPECT_TRUE(settings.ReadBool("MSDASQL", "On", false));
    EXPECT_EQ(settings.ReadSections(), (Names{"DriverName", "MSDASQL"}));
    EXPECT_EQ(settings.ReadSection("MSDASQL"), (Names{"CommentStart", "QuoteChar", "Width", "On"}));

    TRegistry reg(file_);
    ASSERT_TRUE(reg.OpenKey("SQL Generator Global\\MSDASQL", false));
    EXPECT_EQ(reg.ReadString("CommentStart"), "--");
}

// The grid's settings kept in the registry: erase the section, write the columns, read
// them back in order.
TEST_F(RegistryTest, RegIniFileEraseAndRewriteASection)
{
    TRegIniFile grid("Software\\Grids", file_);
    grid.WriteString("FormMainGrid1", "Old", "1;;Old;;F");
    grid.WriteString("FormMainGrid1\\Nested", "x", "y");
    grid.EraseSection("FormMainGrid1");
    EXPECT_FALSE(TRegistry(file_).KeyExists("Software\\Grids\\FormMainGrid1\\Nested"));
    grid.WriteString("FormMainGrid1", "Name", "10;;Customer name;;F");
    grid.WriteString("FormMainGrid1", "City", "8;;City;;T");
    grid.DeleteKey("FormMainGrid1", "Missing");

    TStringList list;
    TRegIniFile("Software\\Grids", file_).ReadSectionValues("FormMainGrid1", list);
    EXPECT_EQ(list.Text(), "Name=10;;Customer name;;F\r\nCity=8;;City;;T\r\n");
    grid.DeleteKey("FormMainGrid1", "Name");
    EXPECT_EQ(grid.ReadSectionValues("FormMainGrid1"), Names{"City=8;;City;;T"});
}

// A caller that keeps its settings "in an INI file or the registry" sees one interface.
TEST_F(RegistryTest, IniFileAndRegIniFileServeThroughOneInterface)
{
    TIniFile ini(Path("grid.ini"));
    TRegIniFile reg("Software\\Grids", file_);
    for (TCustomIniFile* settings : {static_cast<TCustomIniFile*>(&ini), static_cast<TCustomIniFile*>(&reg)}) {
        SCOPED_TRACE(settings->FileName());
        EXPECT_FALSE(settings->SectionExists("Grid1"));
        settings->WriteString("Grid1", "Name", "10;;Customer name;;F");
        settings->WriteBool("Grid1", "Flag", true);
        EXPECT_TRUE(settings->SectionExists("GRID1"));
        EXPECT_TRUE(settings->ValueExists("Grid1", "name"));
        EXPECT_FALSE(settings->ValueExists("Grid1", "Title"));
        EXPECT_TRUE(settings->ReadBool("Grid1", "Flag", false));
        EXPECT_EQ(settings->ReadSectionValues("Grid1"), (Names{"Name=10;;Customer name;;F", "Flag=1"}));
        settings->EraseSection("Grid1");
        EXPECT_FALSE(settings->SectionExists("Grid1"));
    }
}

// Replacing a section saves once: the new entries stand alone in the section (keys below it
// gone in the registry), other sections stay, and an entry the format cannot hold or a save
// the disk refuses leaves the old section whole.
TEST_F(RegistryTest, ReplaceSectionIsOneSave)
{
    struct Case {
        const char* what;
        TIniEntries entries;
        bool raises;
    };
    const std::vector<Case> cases = {
        {"two entries", {{"Name", "10;;Customer name;;F"}, {"City", "8;;City;;T"}}, false},
        {"key with =", {{"Name", "1;;A;;F"}, {"a=b", "2;;B;;F"}}, true},
        {"key starting with [", {{"[x", "2;;B;;F"}}, true},
        {"line break in value", {{"Name", "1;;A\nB;;F"}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string iniPath = Path(std::string("grid-") + std::to_string(&c - cases.data()) + ".ini");
        const std::string regPath = Path(std::string("reg-") + std::to_string(&c - cases.data()) + ".ini");
        TIniFile ini(iniPath);
        TRegIniFile reg("Software\\Grids", regPath);
        reg.WriteString("Grid1\\Below", "x", "y");
        for (TCustomIniFile* settings : {static_cast<TCustomIniFile*>(&ini), static_cast<TCustomIniFile*>(&reg)}) {
            SCOPED_TRACE(settings->FileName());
            settings->WriteString("Grid1", "Old", "5;;Old;;F");
            settings->WriteString("Other", "Keep", "1");
            Names expected = {"Old=5;;Old;;F"};
            if (c.raises) {
                EXPECT_ANY_THROW(settings->ReplaceSection("Grid1", c.entries));
            } else {
                settings->ReplaceSection("Grid1", c.entries);
                expected.clear();
                for (const auto& [k, v] : c.entries) expected.push_back(k + "=" + v);
            }
            EXPECT_EQ(settings->ReadSectionValues("Grid1"), expected);
            EXPECT_EQ(settings->ReadString("Other", "Keep", ""), "1");
        }
        EXPECT_EQ(TRegistry(regPath).KeyExists("Software\\Grids\\Grid1\\Below"), c.raises);
    }

    const std::string path = Path("limited.ini");
    TIniFile(path).WriteString("Grid1", "Old", "5;;Old;;F");
    TRegIniFile("Software\\Grids", file_).WriteString("Grid1", "Old", "5;;Old;;F");
    const std::string iniBefore = ReadFileToString(path), regBefore = ReadFileToString(file_);
    const std::string report = gwtest::WithFileSizeLimit(0, [&] {
        std::string said;
        TIniFile ini(path);
        TRegIniFile reg("Software\\Grids", file_);
        for (TCustomIniFile* settings : {static_cast<TCustomIniFile*>(&ini), static_cast<TCustomIniFile*>(&reg)}) {
            try {
                settings->ReplaceSection("Grid1", {{"Name", "10;;Customer name;;F"}});
                said += "saved ";
            } catch (const Exception&) {
                said += "raised ";
            }
        }
        return said;
    });
    EXPECT_EQ(report, "raised raised ");
    EXPECT_EQ(ReadFileToString(path), iniBefore);
    EXPECT_EQ(ReadFileToString(file_), regBefore);
}

}  // namespace

namespace {

// Binary values: hexadecimal text in the file, read back byte for byte; text that is no such
// digits is refused as a wrong type, and a short buffer takes what fits.
TEST_F(RegistryTest, BinaryValuesAsHexadecimalText)
{
    TRegistry reg(file_);
    ASSERT_TRUE(reg.OpenKey("Software\\History", true));
    const std::string bytes("c\r\nd\r\n\0\xFF", 8);
    reg.WriteBinaryData("Recent", bytes.data(), static_cast<int>(bytes.size()));
    reg.WriteBinaryData("Empty", nullptr, 0);
    EXPECT_EQ(reg.ReadString("Recent"), "630D0A640D0A00FF");
    EXPECT_EQ(reg.GetDataSize("Recent"), 8);
    EXPECT_EQ(reg.GetDataSize("Empty"), 0);
    EXPECT_EQ(reg.GetDataSize("Missing"), -1);
    std::string back(8, '?');
    EXPECT_EQ(reg.ReadBinaryData("Recent", back.data(), 8), 8);
    EXPECT_EQ(back, bytes);
    std::string shortBuffer(3, '?');
    EXPECT_EQ(reg.ReadBinaryData("Recent", shortBuffer.data(), 3), 3);
    EXPECT_EQ(shortBuffer, "c\r\n");
    EXPECT_EQ(reg.ReadBinaryData("Missing", back.data(), 8), 0);
    reg.WriteString("Lower", "0a0b");
    EXPECT_EQ(reg.GetDataSize("Lower"), 2);
    for (const char* text : {"not hex", "ABC", "12 34"}) {
        reg.WriteString("Text", text);
        EXPECT_THROW(reg.GetDataSize("Text"), ERegistryException) << text;
        try {
            reg.ReadBinaryData("Text", back.data(), 8);
            FAIL() << text;
        } catch (const ERegistryException& e) {
            EXPECT_EQ(e.Message(), "Invalid data type for 'Text'");
        }
    }
}

}  // namespace
