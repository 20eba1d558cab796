// The combo box's history: stored in an INI section (one key per entry, the list's index as
// its name) or in one binary registry value (each entry followed by CR LF), trimmed to
// MaxSize when saved, and saved when it goes only when it was used in this run.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <string>

#include "editctrls/gkHistoryList.h"
#include "grid/Intl.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Registry.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Forms.h"
#include "tests/rtl/FailingSaves.h"

namespace {

using namespace editctrls;

class HistoryListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp_.isValid());
        const char* old = std::getenv("GRIDWEAVER_HOME");
        hadHome_ = old != nullptr;
        if (hadHome_) oldHome_ = old;
        setenv("GRIDWEAVER_HOME", tmp_.path().toUtf8().constData(), 1);
        ui::Application().Reset();
    }
    void TearDown() override
    {
        if (hadHome_)
            setenv("GRIDWEAVER_HOME", oldHome_.c_str(), 1);
        else
            unsetenv("GRIDWEAVER_HOME");
        grid::gkIntlDefault().IniFileName.clear();
        ui::Application().OnException = nullptr;
    }
    std::string Path(const std::string& name) const { return tmp_.path().toStdString() + "/" + name; }
    static void Fill(TgkHistoryList& h, std::initializer_list<const char*> entries)
    {
        for (const char* e : entries) h.Add(e);
    }
    std::string RegistryData(const std::string& key, const std::string& value) const
    {
        rtl::TRegistry reg(Path("registry.ini"));
        if (!reg.OpenKey(key, false)) return "<no key>";
        const int size = reg.GetDataSize(value);
        if (size < 0) return "<no value>";
        std::string data(static_cast<std::size_t>(size), '\0');
        reg.ReadBinaryData(value, data.data(), size);
        return data;
    }

    QTemporaryDir tmp_;
    bool hadHome_ = false;
    std::string oldHome_;
};

TEST_F(HistoryListTest, MaxSizeKeepsTheNewestInBothStores)
{
    {
        TgkHistoryList ini;
        ini.SetSection("Recent");
        ini.SetFileName(Path("h.ini"));
        ini.SetMaxSize(3);
        Fill(ini, {"a", "b", "c", "d", "e"});
        ini.Save();
        EXPECT_EQ(ini.Items().Count(), 5) << "the INI save leaves the list whole";
    }
    EXPECT_EQ(rtl::ReadFileToString(Path("h.ini")), "[Recent]\n2=c\n3=d\n4=e\n");

    TgkHistoryList reg;
    reg.SetStorageType(stRegistry);
    reg.SetSection("Recent");
    reg.SetFileName("Software\\Gridweaver\\History");
    reg.SetMaxSize(3);
    Fill(reg, {"a", "b", "c", "d", "e"});
    reg.Save();
    EXPECT_EQ(RegistryData("Software\\Gridweaver\\History", "Recent"), "c\r\nd\r\ne\r\n");
    EXPECT_EQ(reg.Items().Count(), 3) << "the registry save drops the oldest from memory";

    // Both read back in order, whatever the key names.
    rtl::WriteStringToFile(Path("other.ini"), "[Recent]\nz=first\n7=second\n");
    for (TgkStorageType type : {stIniFile, stRegistry}) {
        TgkHistoryList back;
        back.SetStorageType(type);
        back.SetSection("Recent");
        back.SetFileName(type == stIniFile ? Path("other.ini") : "Software\\Gridweaver\\History");
        rtl::TStringList target;
        target.Add("d");
        back.LoadInto(target);
        EXPECT_EQ(target.CommaText(), type == stIniFile ? "d,first,second" : "d,c,e") << type;
    }
}

TEST_F(HistoryListTest, WithoutASectionNothingIsReadOrWritten)
{
    rtl::WriteStringToFile(Path("h.ini"), "[Recent]\n0=kept\n");
    TgkHistoryList h;
    h.SetEnabled(true);
    h.SetFileName(Path("h.ini"));
    Fill(h, {"x"});
    h.Save();
    rtl::TStringList target;
    h.LoadInto(target);
    EXPECT_EQ(target.CommaText(), "x") << "the entries in memory only";
    EXPECT_EQ(rtl::ReadFileToString(Path("h.ini")), "[Recent]\n0=kept\n");
}

TEST_F(HistoryListTest, DefaultFileNames)
{
    TgkHistoryList h;
    // The executable has no "." in its name: the whole name is the base.
    EXPECT_EQ(h.FileName(), "test_editctrls.ini");
    grid::gkIntlDefault().IniFileName = "shared.ini";
    EXPECT_EQ(h.FileName(), "shared.ini");
    grid::gkIntlDefault().IniFileName.clear();
    h.SetStorageType(stRegistry);
    EXPECT_EQ(h.FileName(), "") << "no default key in the registry";
    h.SetFileName("Software\\Mine");
    EXPECT_EQ(h.FileName(), "Software\\Mine");
}

TEST_F(HistoryListTest, MostRecentlyUsedCount)
{
    struct Case {
        bool enabled, mru;
        int maxSize, entries, expected;
    };
    const Case cases[] = {
        {true, true, 2, 3, 2}, {true, true, 5, 3, 3}, {true, false, 2, 3, 0},
        {false, true, 2, 3, 0}, {true, true, 2, 0, 0},
    };
    for (const Case& c : cases) {
        TgkHistoryList h;
        h.SetEnabled(c.enabled);
        h.SetMRUEnabled(c.mru);
        h.SetMRUMaxSize(c.maxSize);
        for (int i = 0; i < c.entries; ++i) h.Add(std::string(1, static_cast<char>('a' + i)));
        EXPECT_EQ(h.MRUCount(), c.expected) << c.enabled << c.mru << c.maxSize << c.entries;
    }
}

TEST_F(HistoryListTest, EntriesMoveToTheEndAndLineBreaksAreRefused)
{
    TgkHistoryList h;
    Fill(h, {"a", "b", "a", "two\nlines", "c\r"});
    EXPECT_EQ(h.Items().CommaText(), "b,a");
    h.Remove("b");
    EXPECT_EQ(h.IndexOf("a"), 0);
    EXPECT_EQ(h.IndexOf("A"), -1) << "letter case counts";
}

// The history saves as it goes only when it was filled or changed in this run; one never
// touched leaves what is stored alone, and so does a disabled one.
TEST_F(HistoryListTest, DestructionSavesOnlyAUsedEnabledHistory)
{
    const std::string stored = "[Recent]\n0=old\n";
    const auto make = [&](TgkHistoryList& h, bool enabled) {
        h.SetEnabled(enabled);
        h.SetSection("Recent");
        h.SetFileName(Path("h.ini"));
    };
    rtl::WriteStringToFile(Path("h.ini"), stored);
    { TgkHistoryList h; make(h, true); }
    EXPECT_EQ(rtl::ReadFileToString(Path("h.ini")), stored) << "never loaded nor changed";
    { TgkHistoryList h; make(h, false); Fill(h, {"new"}); }
    EXPECT_EQ(rtl::ReadFileToString(Path("h.ini")), stored) << "history off";
    {
        TgkHistoryList h;
        make(h, true);
        rtl::TStringList target;
        h.LoadInto(target);
        h.Add("new");
    }
    EXPECT_EQ(rtl::ReadFileToString(Path("h.ini")), "[Recent]\n0=old\n1=new\n");
}

// A disk that refuses the save: the history raises when asked to save, and when it goes it
// tells the application's handler instead of throwing out of its destructor; the file keeps
// what it held.
TEST_F(HistoryListTest, AnUnwritableFileIsReportedNeverThrownAndKept)
{
    const std::string file = Path("h.ini");
    rtl::WriteStringToFile(file, "[Recent]\n0=old\n");
    const std::string report = gwtest::WithFileSizeLimit(0, [&] {
        std::string reported;
        ui::Application().OnException = [&](classes::TObject*, const std::exception& e) { reported = e.what(); };
        std::string asked = "saved";
        {
            TgkHistoryList h;
            h.SetEnabled(true);
            h.SetSection("Recent");
            h.SetFileName(file);
            h.Add("new");
            try {
                h.Save();
            } catch (const std::exception&) {
                asked = "raised";
            }
        }
        return asked + "|" + reported;
    });
    EXPECT_EQ(report, "raised|Unable to write to " + file);
    EXPECT_EQ(rtl::ReadFileToString(file), "[Recent]\n0=old\n");
}

TEST_F(HistoryListTest, AnUnreadableRegistryValueLoadsNothing)
{
    {
        rtl::TRegistry reg(Path("registry.ini"));
        ASSERT_TRUE(reg.OpenKey("Software\\H", true));
        reg.WriteString("Recent", "not binary");
    }
    TgkHistoryList h;
    h.SetStorageType(stRegistry);
    h.SetSection("Recent");
    h.SetFileName("Software\\H");
    rtl::TStringList target;
    h.LoadInto(target);
    EXPECT_EQ(target.Count(), 0);
    EXPECT_EQ(h.Items().Count(), 0);
}

}  // namespace
