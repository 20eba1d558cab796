// The grid's column settings kept in an INI file or the per-user registry, in a temporary
// GRIDWEAVER_HOME.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "grid/Intl.h"
#include "grid/PublishedDBGrid.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Paths.h"
#include "platform/rtl/Registry.h"
#include "platform/ui/testing/TestDialogs.h"
#include "tests/grid/GridTestSupport.h"
#include "tests/rtl/FailingSaves.h"

namespace {

using Lines = std::vector<std::string>;

// A folder of its own under the system's temporary folder, removed with everything in it.
class TTemporaryFolder {
public:
    TTemporaryFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "gw-settings-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TTemporaryFolder()
    {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TTemporaryFolder(const TTemporaryFolder&) = delete;
    TTemporaryFolder& operator=(const TTemporaryFolder&) = delete;
    bool isValid() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

class GridSettingsTest : public gridtest::TGridFixture<grid::TgkDBGrid> {
public:
    // Every case of a table starts again with SetUp: a fresh home folder and fresh dialogs.
    void SetUp() override
    {
        home_ = std::make_unique<TTemporaryFolder>();
        ASSERT_TRUE(home_->isValid());
        if (!homeSaved_) {
            homeSaved_ = true;
            if (const char* old = std::getenv("GRIDWEAVER_HOME")) savedHome_ = old;
        }
        setenv("GRIDWEAVER_HOME", home_->Path().c_str(), 1);
        TGridFixture::SetUp();
        form->SetName("FormMain");
        grid->SetName("Grid1");
        grid->IniAttributes()->ParentFormName = "FormMain";
        scope_.reset();
        dialogs = std::make_unique<ui::TScriptedDialogs>();
        scope_ = std::make_unique<ui::TDialogServiceScope>(*dialogs);
    }
    void TearDown() override
    {
        TGridFixture::TearDown();
        scope_.reset();
        if (savedHome_.empty())
            unsetenv("GRIDWEAVER_HOME");
        else
            setenv("GRIDWEAVER_HOME", savedHome_.c_str(), 1);
    }

    std::string Home() const { return home_->Path() + "/"; }
    // Turns the settings on for the grid made by SetUp (an INI file "grid.ini" by default).
    void Enable(bool useTFields, bool registry = false)
    {
        grid->SetUseTFields(useTFields);
        grid->IniAttributes()->SetEnabled(true);
        grid->IniAttributes()->SetSaveToRegistry(registry);
        grid->IniAttributes()->SetFileName(registry ? "Software\\Grids" : "grid.ini");
    }
    Lines Stored(bool registry = false) const
    {
        if (registry) return rtl::TRegIniFile("Software\\Grids").ReadSectionValues("FormMainGrid1");
        return rtl::TIniFile("grid.ini").ReadSectionValues("FormMainGrid1");
    }
    Lines Messages() const
    {
        Lines texts;
        for (const auto& q : dialogs->Asked()) texts.push_back(q.message.text);
        return texts;
    }
    static Lines ListOf(const rtl::TStringList& list)
    {
        Lines lines;
        for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
        return lines;
    }
    // Destroys the grid (its form stays), which saves its settings.
    void DestroyGrid()
    {
        delete grid;
        grid = nullptr;
    }

    std::unique_ptr<ui::TScriptedDialogs> dialogs;

private:
    std::unique_ptr<TTemporaryFolder> home_;
    bool homeSaved_ = false;
    std::string savedHome_;
    std::unique_ptr<ui::TDialogServiceScope> scope_;
};

// The stored format, both ways, in an INI file and in the registry: the column list without
// UseTFields (fifth parts kept; a delimiter inside free text saved as a blank), the shown
// fields with it.
TEST_F(GridSettingsTest, ColumnsSavedAtDestructionAndLoadedAtFirstWindow)
{
    struct Case {
        const char* what;
        bool useTFields;
        Lines selected;
        Lines stored;
        Lines loaded;
    };
    const std::vector<Case> cases = {
        {"column list",
         false,
         {"NAME\t10\tCustomer name\tF", "CITY\t8\tCity;;Town\tT\tPlace;;Group"},
         {"NAME=10;;Customer name;;F", "CITY=8;;City Town;;T;;Place Group"},
         {"NAME\t10\tCustomer name\tF", "CITY\t8\tCity Town\tT\tPlace Group"}},
        {"column list without flag",
         false,
         {"ID\t4\tNo.", "NAME\t12\tName\tF\t"},
         {"ID=4;;No.;;F", "NAME=12;;Name;;F"},
         {"ID\t4\tNo.\tF", "NAME\t12\tName\tF"}},
        {"shown fields",
         true,
         {"ID\t4\tNo.\tF", "NAME\t12\tCustomer;;name\tT"},
         {"ID=4;;No.;;F", "NAME=12;;Customer name;;T"},
         {"ID\t4\tNo.\tF", "NAME\t12\tCustomer name\tT"}},
    };
    for (const bool registry : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (registry ? " (registry)" : " (INI)"));
            SetUp();
            MakeData(2);
            Enable(c.useTFields, registry);
            ShowAndOpen();
            grid->Selected()->SetText("");
            for (const auto& line : c.selected) grid->Selected()->Add(line);
            grid->ApplySelected();
            DestroyGrid();
            EXPECT_EQ(Stored(registry), c.stored);

            grid = new grid::TgkDBGrid(form.get());
            grid->SetName("Grid1");
            grid->IniAttributes()->ParentFormName = "FormMain";
            Enable(c.useTFields, registry);
            grid->SetParent(form.get());
            grid->SetDataSource(source.get());
            EXPECT_EQ(ListOf(*grid->Selected()), c.loaded);
            if (c.useTFields) {
                EXPECT_EQ(ds->FieldByName("NAME")->DisplayLabel(), "Customer name");
            }
            EXPECT_EQ(Messages(), Lines{});
            TearDown();
        }
    }
}

// A form going away frees the data set after the grid's siblings: the grid saves the shown
// fields when its link goes inactive, and its own destruction does not write again.
TEST_F(GridSettingsTest, FormDestructionSavesTheShownFieldsOnce)
{
    auto* owned = new dbtest::TMemDataSet(form.get());
    owned->columns = {{"ID", db::ftInteger}, {"NAME", db::ftString, 20}};
    owned->AddRow({db::TVariant(1), db::TVariant("one")});
    source->SetDataSet(owned);
    Enable(true);
    grid->SetDataSource(source.get());
    form->Show();
    owned->Open();
    owned->FieldByName("NAME")->SetDisplayWidth(12);
    owned->FieldByName("NAME")->SetDisplayLabel("Name");
    rtl::TLogCapture log;
    form.reset();
    grid = nullptr;
    EXPECT_EQ(Stored(), (Lines{"ID=11;;ID;;F", "NAME=12;;Name;;F"}));
    EXPECT_EQ(log.Lines(), Lines{});
}

TEST_F(GridSettingsTest, StoredLineLoadsAsColumnEntry)
{
    rtl::TIniFile("grid.ini").WriteString("FormMainGrid1", "Name", "10;;Customer name;;F");
    MakeData(1);
    Enable(false);
    grid->Selected()->Add("CITY\t8\tCity\tF");
    ShowAndOpen();
    EXPECT_EQ(ListOf(*grid->Selected()), (Lines{"Name\t10\tCustomer name\tF"}));
    EXPECT_EQ(ListOf(grid->DesignSelected()), (Lines{"CITY\t8\tCity\tF"}));
}

// A field added to the design-time list after the settings were saved comes at the end.
TEST_F(GridSettingsTest, CheckNewFieldsAppendsMissingColumns)
{
    for (const bool check : {false, true}) {
        SCOPED_TRACE(check);
        SetUp();
        rtl::TIniFile("grid.ini").ReplaceSection("FormMainGrid1", {{"NAME", "10;;Name;;F"}, {"ID", "4;;No.;;F"}});
        MakeData(1);
        Enable(false);
        grid->IniAttributes()->SetCheckNewFields(check);
        for (const char* line : {"ID\t3\tId\tF", "CITY\t8\tCity\tF", "name\t9\tn\tF"}) grid->Selected()->Add(line);
        ShowAndOpen();
        Lines expected = {"NAME\t10\tName\tF", "ID\t4\tNo.\tF"};
        if (check) expected.push_back("CITY\t8\tCity\tF");
        EXPECT_EQ(ListOf(*grid->Selected()), expected);
        TearDown();
    }
}

// What stops a load or a save, and what the user is told; while destroying the missing
// name and folder stay silent, everything else is said. The stored settings never change.
TEST_F(GridSettingsTest, FailuresWarnAndKeepTheStoredSettings)
{
    struct Case {
        const char* what;
        bool registry;
        std::string fileName;
        std::string delimiter;
        std::string fieldName;
        Lines atLoad;
        Lines atDestruction;
    };
    const std::string missing = "no-such-folder/grid.ini";
    const std::vector<Case> cases = {
        {"registry without name", true, "", ";;", "NAME", {"FileName required when saving to registry"}, {}},
        {"missing folder", false, "", ";;", "NAME", {"Directory does not exist"}, {}},
        {"empty delimiter", false, "grid.ini", "", "NAME", {"Key delimiter required"}, {"Key delimiter required"}},
        {"key with =", false, "grid.ini", ";;", "NA=ME", {}, {"Invalid key name \"NA=ME\""}},
        {"key starting with #", false, "grid.ini", ";;", "#NAME", {}, {"Invalid key name \"#NAME\""}},
        {"registry key with line break", true, "Software\\Grids", ";;", "NA\nME", {},
         {"Failed to set data for 'NA\nME'"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        Enable(false, c.registry);
        const std::string fileName = c.fileName.empty() && !c.registry ? Home() + missing : c.fileName;
        grid->IniAttributes()->SetFileName(fileName);
        grid->IniAttributes()->SetDelimiter(c.delimiter);
        grid->Selected()->Add(c.fieldName + "\t10\tName\tF");
        form->Show();
        if (!c.registry) rtl::TIniFile("grid.ini").WriteString("FormMainGrid1", "OLD", "1;;Old;;F");
        Lines atLoad = Messages();
        EXPECT_EQ(atLoad, c.atLoad);
        rtl::TLogCapture log;
        EXPECT_NO_THROW(DestroyGrid());
        Lines atDestruction = Messages();
        atDestruction.erase(atDestruction.begin(), atDestruction.begin() + static_cast<long>(atLoad.size()));
        EXPECT_EQ(atDestruction, c.atDestruction);
        if (!c.registry) {
            EXPECT_EQ(Stored(), (Lines{"OLD=1;;Old;;F"}));
        } else if (!c.fileName.empty()) {
            EXPECT_EQ(Stored(true), Lines{});
        }
        TearDown();
    }
}

// A broken value ends the load: the list is kept without UseTFields, emptied with it, and
// nothing raises out of the window's creation.
TEST_F(GridSettingsTest, BrokenStoredValueEndsTheLoad)
{
    struct Case {
        const char* what;
        std::string value;
        bool useTFields;
        std::string message;
        Lines selected;
    };
    const Lines design = {"ID\t4\tNo.\tF"};
    const std::vector<Case> cases = {
        {"no delimiter", "10 Name F", false, "Key Delimiter Not Found", design},
        {"no delimiter, shown fields", "10 Name F", true, "Key Delimiter Not Found", {}},
        {"width no number", "ten;;Name;;F", false, "Column width of NAME is not a whole number", design},
        {"width no number, shown fields", "1.5;;Name;;F", true, "Column width of NAME is not a whole number", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        rtl::TIniFile("grid.ini").ReplaceSection("FormMainGrid1", {{"ID", "4;;No.;;F"}, {"NAME", c.value}});
        MakeData(1);
        Enable(c.useTFields);
        grid->Selected()->Add(design[0]);
        EXPECT_NO_THROW(ShowAndOpen());
        EXPECT_EQ(Messages(), Lines{c.message});
        EXPECT_EQ(ListOf(*grid->Selected()), c.selected);
        grid->IniAttributes()->SetEnabled(false);
        TearDown();
    }
}

// An empty or missing section, or a file that cannot be read, changes nothing.
TEST_F(GridSettingsTest, NothingToLoadChangesNothing)
{
    for (const bool unreadable : {false, true}) {
        SCOPED_TRACE(unreadable);
        SetUp();
        if (unreadable) rtl::CreateDir(Home() + "grid.ini");
        Enable(false);
        grid->Selected()->Add("ID\t4\tNo.\tF");
        form->Show();
        EXPECT_EQ(ListOf(*grid->Selected()), (Lines{"ID\t4\tNo.\tF"}));
        EXPECT_EQ(Messages(), Lines{});
        grid->IniAttributes()->SetEnabled(false);
        TearDown();
    }
}

TEST_F(GridSettingsTest, DefaultNames)
{
    grid::TgkIniAttributes& a = *grid->IniAttributes();
    EXPECT_EQ(a.EffectiveSectionName(), "FormMainGrid1");
    EXPECT_EQ(a.EffectiveFileName(), rtl::ExtractFileName(rtl::ExecutablePath()) + ".ini");
    a.SetSaveToRegistry(true);
    EXPECT_EQ(a.EffectiveFileName(), "");
    a.SetFileName("Software\\Grids");
    a.SetSectionName("Columns");
    EXPECT_EQ(a.EffectiveFileName(), "Software\\Grids");
    EXPECT_EQ(a.EffectiveSectionName(), "Columns");
}

// A save the disk refuses leaves the old section whole.
TEST_F(GridSettingsTest, SaveCutByAFileSizeLimitKeepsTheOldSection)
{
    const std::string path = Home() + "grid.ini";
    rtl::TIniFile(path).ReplaceSection("FormMainGrid1", {{"ID", "4;;No.;;F"}, {"NAME", "10;;Name;;F"}});
    const std::string before = rtl::ReadFileToString(path);
    Enable(false);
    grid->IniAttributes()->SetEnabled(false);
    form->Show();
    grid->IniAttributes()->SetEnabled(true);
    for (int i = 0; i < 50; ++i) grid->Selected()->Add("FIELD" + std::to_string(i) + "\t10\tA long title\tF");
    const std::string report = gwtest::WithFileSizeLimit(before.size() + 10, [&] {
        grid->SaveToIniFile();
        return Messages().empty() ? std::string("silent") : Messages().back();
    });
    EXPECT_EQ(report, "Unable to write to " + path);
    EXPECT_EQ(rtl::ReadFileToString(path), before);
    grid->IniAttributes()->SetEnabled(false);
}

}  // namespace
