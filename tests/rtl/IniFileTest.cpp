#include "platform/rtl/Files.h"
#include "platform/rtl/IniFile.h"
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

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tmp_.isValid()); }
    std::string Path(const std::string& name) const { return tmp_.path().toStdString() + "/" + name; }

    QTemporaryDir tmp_;
};

TEST_F(IniFileTest, ValuesSurviveAReload)
{
    const std::string path = Path("settings.ini");
    {
        TIniFile ini(path);
        ini.WriteString("Grid", "Title", "Customer name");
        ini.WriteString("Grid", "Padded", "  two blanks each side  ");
        ini.WriteString("Grid", "Quoted", "\"in quotes\"");
        ini.WriteString("Grid", "Quote", "\"");
        ini.WriteString("Grid", "Empty", "");
        ini.WriteString("Grid", "Expression", "a=b;c=d");
        ini.WriteString("Paths", "Folder", "C:\\Data\\Sub");
        ini.WriteInteger("Grid", "Width", -42);
        ini.WriteBool("Grid", "Visible", true);
        ini.WriteBool("Grid", "ReadOnly", false);
        ini.UpdateFile();
    }
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Grid", "Title", "x"), "Customer name");
    EXPECT_EQ(ini.ReadString("Grid", "Padded", "x"), "  two blanks each side  ");
    EXPECT_EQ(ini.ReadString("Grid", "Quoted", "x"), "\"in quotes\"");
    EXPECT_EQ(ini.ReadString("Grid", "Quote", "x"), "\"");
    EXPECT_EQ(ini.ReadString("Grid", "Empty", "x"), "");
    EXPECT_EQ(ini.ReadString("Grid", "Expression", "x"), "a=b;c=d");
    EXPECT_EQ(ini.ReadString("Paths", "Folder", "x"), "C:\\Data\\Sub");
    EXPECT_EQ(ini.ReadInteger("Grid", "Width", 0), -42);
    EXPECT_TRUE(ini.ReadBool("Grid", "Visible", false));
    EXPECT_FALSE(ini.ReadBool("Grid", "ReadOnly", true));
    EXPECT_EQ(ini.ReadString("Grid", "Missing", "default"), "default");
    EXPECT_EQ(ini.ReadString("Nowhere", "Title", "default"), "default");
    EXPECT_TRUE(ini.ReadBool("Grid", "Missing", true));
}

TEST_F(IniFileTest, KeysAndSectionsKeepFileOrder)
{
    const std::string path = Path("order.ini");
    WriteStringToFile(path, "[Second]\nzeta=1\nalpha=2\n\n; about the first\n[First]\nmiddle=3\n");
    TIniFile ini(path);
    ini.WriteString("Second", "beta", "4");
    ini.WriteString("Second", "ZETA", "5");  // keys are compared without regard to case
    ini.WriteString("Third", "only", "6");

    EXPECT_EQ(ini.ReadSections(), (Names{"Second", "First", "Third"}));
    EXPECT_EQ(ini.ReadSection("second"), (Names{"zeta", "alpha", "beta"}));
    EXPECT_EQ(ini.ReadSectionValues("Second"), (Names{"zeta=5", "alpha=2", "beta=4"}));
    // The new key went after the section's last entry; the blank line and the comment stay
    // in front of the next section.
    EXPECT_EQ(ReadFileToString(path),
              "[Second]\nzeta=5\nalpha=2\nbeta=4\n\n; about the first\n[First]\nmiddle=3\n[Third]\nonly=6\n");
}

TEST_F(IniFileTest, BrokenLinesAreToleratedAndKept)
{
    const std::string path = Path("broken.ini");
    const std::string text =
        "\xEF\xBB\xBF"
        "stray=before any section\r\n"
        "[Grid]\r\n"
        "this line has no equals sign\r\n"
        "=no key\r\n"
        "[not a section\r\n"
        "  Name = 10;;Customer name;;F  \r\n"
        "# a comment=with equals\r\n"
        "Quoted='kept blanks '\r\n"
        "[Grid]\r\n"
        "Name=shadowed\r\n"
        "Later=from the second block\r\n";
    WriteStringToFile(path, text);

    TIniFile ini(path);
    EXPECT_EQ(ini.ReadSections(), Names{"Grid"});
    EXPECT_EQ(ini.ReadSectionValues("Grid"),
              (Names{"Name=10;;Customer name;;F", "Quoted=kept blanks ", "Later=from the second block"}));
    EXPECT_FALSE(ini.ValueExists("Grid", "# a comment"));

    // A change rewrites only its own line; everything else, CR LF and the mark included,
    // stays as it was.
    ini.WriteString("Grid", "Later", "changed");
    std::string expected = text;
    expected.replace(expected.find("Later=from the second block"), 27, "Later=changed");
    EXPECT_EQ(ReadFileToString(path), expected);
}

TEST_F(IniFileTest, EraseAndDelete)
{
    const std::string path = Path("erase.ini");
    TIniFile ini(path);
    ini.EraseSection("Nothing");
    ini.DeleteKey("Nothing", "x");
    EXPECT_FALSE(FileExists(path)) << "no change, no file";

    ini.WriteString("A", "one", "1");
    ini.WriteString("A", "two", "2");
    ini.WriteString("B", "three", "3");
    EXPECT_TRUE(ini.SectionExists("a"));
    EXPECT_TRUE(ini.ValueExists("A", "TWO"));

    ini.DeleteKey("A", "one");
    EXPECT_FALSE(ini.ValueExists("A", "one"));
    EXPECT_EQ(ini.ReadSection("A"), Names{"two"});

    ini.EraseSection("A");
    EXPECT_FALSE(ini.SectionExists("A"));
    EXPECT_EQ(TIniFile(path).ReadSections(), Names{"B"});
}

TEST_F(IniFileTest, ObjectsOnTheSameFileSeeEachOthersChanges)
{
    const std::string path = Path("shared.ini");
    TIniFile first(path);
    TIniFile second(path);
    first.WriteString("S", "a", "1");
    second.WriteString("S", "b", "2");
    EXPECT_EQ(first.ReadSectionValues("S"), (Names{"a=1", "b=2"}));
}

TEST_F(IniFileTest, IntegersReadAsStrToIntReadsThem)
{
    const std::string path = Path("numbers.ini");
    WriteStringToFile(path, "[N]\nhex=$1F\ncHex=0x10\nbad=12abc\nbig=99999999999\nyes=1\nword=true\n");
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("N", "hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger("N", "cHex", 0), 16);
    EXPECT_EQ(ini.ReadInteger("N", "bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger("N", "big", 7), 7);
    EXPECT_TRUE(ini.ReadBool("N", "yes", false));
    EXPECT_FALSE(ini.ReadBool("N", "word", false));  // not a number: the default
}

TEST_F(IniFileTest, WhatTheFormatCannotHoldIsRefusedAndTheFileKept)
{
    const std::string path = Path("refuse.ini");
    TIniFile ini(path);
    ini.WriteString("S", "k", "v");
    const std::string before = ReadFileToString(path);
    EXPECT_THROW(ini.WriteString("S", "k", "two\nlines"), EIniFileException);
    EXPECT_THROW(ini.WriteString("S", "a=b", "v"), EIniFileException);
    EXPECT_THROW(ini.WriteString("S", "", "v"), EIniFileException);
    EXPECT_THROW(ini.WriteString("S", "[k]", "v"), EIniFileException);
    EXPECT_THROW(ini.WriteString("S", ";k", "v"), EIniFileException);
    EXPECT_THROW(ini.WriteString("S\r\n[T]", "k", "v"), EIniFileException);
    EXPECT_EQ(ReadFileToString(path), before);
}

TEST_F(IniFileTest, UnwritableFileRaises)
{
    WriteStringToFile(Path("plain"), "a file, not a folder");
    TIniFile ini(Path("plain/settings.ini"));
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
    try {
        ini.WriteString("S", "k", "v");
        FAIL();
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + Path("plain/settings.ini"));
    }
    TIniFile unnamed("");
    EXPECT_EQ(unnamed.ReadInteger("S", "k", 3), 3);
    EXPECT_THROW(unnamed.WriteInteger("S", "k", 1), EIniFileException);
}

// A settings change that the disk cannot take (a file-size limit, a full file system) raises
// and leaves the settings file as it was.
TEST_F(IniFileTest, ChangeThatDoesNotFitRaisesAndKeepsTheFile)
{
    const auto change = [](const std::string& path) {
        TIniFile ini(path);
        try {
            ini.WriteString("Grid", "Title", "A longer title than before");
            return std::string("saved");
        } catch (const EIniFileException&) {
            return std::string("raised");
        }
    };
    const std::string path = Path("settings.ini");
    TIniFile(path).WriteString("Grid", "Title", "Name");
    const std::string before = ReadFileToString(path);
    EXPECT_EQ(gwtest::WithFileSizeLimit(0, [&] { return change(path); }), "raised");
    EXPECT_EQ(ReadFileToString(path), before);

    const std::string folder = Path("small");
    ASSERT_TRUE(CreateDir(folder));
    const std::string report = gwtest::InSmallFileSystem(folder, [&] {
        const std::string inside = folder + "/settings.ini";
        TIniFile(inside).WriteString("Grid", "Title", "Name");
        gwtest::FillFileSystem(folder);
        return change(inside) + " " + gwtest::Contents(inside);
    });
    if (report == gwtest::kNoFileSystem) GTEST_SKIP() << "cannot mount a small file system here";
    EXPECT_EQ(report, "raised " + before);
}

TEST_F(IniFileTest, SectionIntoStringList)
{
    const std::string path = Path("grid.ini");
    TIniFile ini(path);
    ini.WriteString("FormMainGrid1", "Name", "10;;Customer name;;F");
    ini.WriteString("FormMainGrid1", "City", "8;;City;;T");
    TStringList list;
    list.Add("old entry");
    ini.ReadSectionValues("FormMainGrid1", list);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.Get(0), "Name=10;;Customer name;;F");
    EXPECT_EQ(list.Values("City"), "8;;City;;T");
    ini.ReadSection("FormMainGrid1", list);
    EXPECT_EQ(list.Text(), "Name\r\nCity\r\n");
    ini.ReadSections(list);
    EXPECT_EQ(list.Text(), "FormMainGrid1\r\n");
}

TEST_F(IniFileTest, NameWithoutFolderLivesInTheConfigFolder)
{
    const char* old = std::getenv("GRIDWEAVER_HOME");
    const std::string saved = old ? old : "";
    setenv("GRIDWEAVER_HOME", tmp_.path().toUtf8().constData(), 1);
    TIniFile ini("grid.ini");
    if (old) {
        setenv("GRIDWEAVER_HOME", saved.c_str(), 1);
    } else {
        unsetenv("GRIDWEAVER_HOME");
    }
    EXPECT_EQ(ini.FileName(), Path("grid.ini"));
    EXPECT_EQ(TIniFile("sub/grid.ini").FileName(), "sub/grid.ini");
}

}  // namespace
