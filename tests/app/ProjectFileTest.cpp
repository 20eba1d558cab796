// The project file over a window holding the seventy design components of their real
// classes: byte-for-byte round trips, the chunk rule, damaged files, atomic saves and the
// recent-projects list.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <string>

#include "app/ProjectFile.h"
#include "app/Program.h"
#include "editor/TextMemo.h"
#include "editor/TextMemoStrings.h"
#include "platform/classes/Errors.h"
#include "platform/classes/Font.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "tests/app/ProjectFixture.h"
#include "tests/rtl/FailingSaves.h"

namespace {

using app::ProjectComponents;
using apptest::TDesignFixture;

// Design content of every kind, in the places a project holds it.
void FillDesign(TDesignFixture& d)
{
    d.C<ui::TListBox>("optionlist")->Items()->SetText(
        "Sample\r\nProvider=MSDASQL.1;Extended Properties=\"DSN=x;PWD='a'\"\r\n1\r\n2\r\nCustom\r\n0\r\nStyle A\r\n"
        "TRUE\r\n20\r\nFALSE\r\nTRUE\r\n0\r\n");
    d.C<ui::TListBox>("vquery_proplist")->Items()->SetText("end\r\n  end\r\nthe end\r\nend\r\n");
    d.C<ui::TListBox>("ColorScheme")->Items()->Clear();  // emptied: must come back empty
    d.C<editor::TTextMemo>("mm_sql")->Lines()->SetText("SELECT name AS \"Näme\", 'it''s'\r\nFROM orders -- the end\r\nend");
    d.C<editor::TTextMemo>("mmHTMLHeader")->Lines()->SetText("<h1 class=\"t\">Zürich & 'Köln'</h1>");
    d.C<editor::TTextMemo>("mmHTMLFooter")->Lines()->SetText("");
    d.C<ui::TComboBox>("cb_header")->Items()->SetText("None\r\nText\r\nButtons\r\n");
    d.C<ui::TPanel>("BackPanel")->SetColor(rtl::clWhite);
    d.C<ui::TPanel>("Row3")->SetColor(rtl::clBtnFace);  // the panel's own default
    d.C<ui::TLabel>("Data7")->Font()->SetColor(rtl::clWindowText);
    d.C<ui::TSpinEdit>("seHTMLTableCellPadding")->SetValue(0);
    d.C<ui::TSpinEdit>("seHTMLTableCellSpacing")->SetValue(0);
    d.C<ui::TEdit>("edHTMLTitle")->SetText("");
    d.C<ui::TEdit>("edHTMLBackGround")->SetText("bg/Ünïcode pic.jpg");
    d.C<ui::TCheckBox>("cbHTMLMaxRecords")->SetChecked(false);
    d.C<ui::TCheckListBox>("FieldList")->Items()->SetText("ID=Nr.\r\nNAME=Name 'quoted' end\r\nEND=end\r\n");
    d.C<ui::TListBox>("CheckFieldList")->Items()->SetText("1\r\n0\r\n1\r\n");
    d.C<ui::TListBox>("ParamList")->Items()->SetText("\"a=[ID]\",b=end\r\n\r\n\r\n");
}

std::string Text(const TDesignFixture& d) { return app::ProjectText(d); }

TEST(ProjectFile, SavedOpenedAndSavedAgainByteForByte)
{
    TDesignFixture first;
    FillDesign(first);
    const std::string saved = Text(first);
    // One component text after another, every line ending in CR LF.
    EXPECT_TRUE(saved.starts_with("object optionlist: TListBox\r\n"));
    EXPECT_TRUE(saved.ends_with("object CheckSuffixList: TListBox\r\n  Items.Strings = ()\r\nend\r\n") ||
                saved.ends_with("end\r\n"));
    EXPECT_EQ(saved.find("\n", 0) - 1, saved.find("\r\n", 0));

    TDesignFixture second;
    app::LoadProjectText(second, saved);
    EXPECT_EQ(Text(second), saved);
    // Design content comes back as saved, not as the reading form's values.
    EXPECT_EQ(second.C<ui::TSpinEdit>("seHTMLTableCellPadding")->Value(), 0);
    EXPECT_EQ(second.C<ui::TEdit>("edHTMLTitle")->Text(), "");
    EXPECT_EQ(second.C<ui::TListBox>("ColorScheme")->Items()->Count(), 0);
    EXPECT_EQ(second.C<ui::TPanel>("Row3")->Color(), rtl::clBtnFace);
    EXPECT_EQ(second.C<ui::TLabel>("Data7")->Font()->Color(), rtl::clWindowText);
    EXPECT_FALSE(second.C<ui::TCheckBox>("cbHTMLMaxRecords")->Checked());
    EXPECT_EQ(second.C<ui::TListBox>("vquery_proplist")->Items()->Text(), "end\r\n  end\r\nthe end\r\nend\r\n");
    // The editor reads its stored lines as added paragraphs, each with its break.
    EXPECT_EQ(second.C<editor::TTextMemo>("mmHTMLHeader")->Lines()->Text(), "<h1 class=\"t\">Zürich & 'Köln'</h1>\r\n");
    EXPECT_EQ(second.C<ui::TCheckListBox>("FieldList")->Items()->Strings(2), "END=end");

    // Through a file as well.
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/Project.gwp";
    app::SaveProjectFile(second, path);
    EXPECT_EQ(rtl::ReadFileToString(path), saved);
    TDesignFixture third;
    app::LoadProjectText(third, rtl::ReadFileToString(path));
    EXPECT_EQ(Text(third), saved);
}

TEST(ProjectFile, ChunksEndAtTheirOwnEndLine)
{
    struct Case {
        std::string text;
        std::string chunk;  // "!" + line: raises on that line
        int nextLine;
    };
    const Case cases[] = {
        {"object a: T\r\nend\r\nobject b: T\r\nend\r\n", "object a: T\r\nend\r\n", 3},
        {"object a: T\r\n  X = 'the end'\r\nend\r\nrest", "object a: T\r\n  X = 'the end'\r\nend\r\n", 4},
        {"object a: T\r\n  Items = <\r\n    item\r\n    end>\r\n  end\r\nend\r\n",
         "object a: T\r\n  Items = <\r\n    item\r\n    end>\r\n  end\r\nend\r\n", 7},
        {"object a: T\r\n  Items.Strings = (\r\n    'end'\r\n    'x end')\r\nend", 
         "object a: T\r\n  Items.Strings = (\r\n    'end'\r\n    'x end')\r\nend", 5},
        {"object a: T\nend\n", "object a: T\nend\n", 3},
        {"object a: T\r\n  Tag = 1\r\nendless\r\n", "!4", 0},
        {"", "!1", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string_view rest = c.text;
        int line = 1;
        if (c.chunk.starts_with("!")) {
            try {
                app::TakeProjectChunk(rest, line);
                ADD_FAILURE() << "no error";
            } catch (const classes::EReadError& e) {
                EXPECT_EQ(std::to_string(e.Line()), c.chunk.substr(1));
            }
            continue;
        }
        EXPECT_EQ(app::TakeProjectChunk(rest, line), c.chunk);
        EXPECT_EQ(line, c.nextLine);
        EXPECT_EQ(std::string(rest), c.text.substr(c.chunk.size()));
    }
}

TEST(ProjectFile, DamagedProjectsRaiseWithTheirLine)
{
    TDesignFixture good;
    FillDesign(good);
    const std::string saved = Text(good);
    const std::size_t sqlAt = saved.find("object mm_sql:");
    const std::size_t headerAt = saved.find("object cb_header:");
    const auto lineOf = [&](std::size_t pos) {
        return 1 + static_cast<int>(std::count(saved.begin(), saved.begin() + static_cast<long>(pos), '\n'));
    };
    struct Case {
        const char* what;
        std::string text;
        int line;  // 0: any
    };
    std::string badValue = saved;
    badValue.insert(saved.find("  ", saved.find("object seHTMLTableBorder:")), "  Value = 'wide'\r\n");
    std::string unknownProperty = saved;
    unknownProperty.insert(saved.find("  ", sqlAt), "  NoSuchProperty = 12\r\n");
    const Case cases[] = {
        {"cut off", saved.substr(0, saved.size() / 2), 0},
        {"component missing", saved.substr(0, sqlAt) + saved.substr(headerAt), lineOf(sqlAt)},
        {"bad value", badValue, 0},
        {"empty", "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDesignFixture d;
        try {
            app::LoadProjectText(d, c.text);
            ADD_FAILURE() << "no error";
        } catch (const classes::EReadError& e) {
            if (c.line != 0) {
                EXPECT_EQ(e.Line(), c.line) << e.what();
            }
            EXPECT_GT(e.Line(), 0);
        }
    }
    // A property the reader does not know is skipped.
    TDesignFixture d;
    app::LoadProjectText(d, unknownProperty);
    EXPECT_EQ(Text(d), saved);
}

// A window whose form binds a handler that a hand-edited project could name.
class THandlerFixture : public TDesignFixture {
public:
    THandlerFixture() { RegisterHandler("FormClose", this, &THandlerFixture::FormClose); }
    void FormClose(classes::TObject*) {}
};

// Lines a hand-edited project adds to one component: only the design content is read, the
// form keeps everything else; a component nested in one is an error on its line.
TEST(ProjectFile, OnlyTheDesignContentIsRead)
{
    app::RegisterAppClasses();
    THandlerFixture good;
    FillDesign(good);
    const std::string saved = Text(good);
    struct Case {
        const char* component;
        std::string lines;  // put before the component's last line
        bool raises;
    };
    const Case cases[] = {
        {"optionlist", "  OnClick = FormClose\r\n", false},
        {"cb_header", "  OnChange = FormClose\r\n  OnDropDown = FormClose\r\n", false},
        {"BackPanel", "  Left = 500\r\n  Width = 999\r\n  Visible = False\r\n", false},
        {"edHTMLTitle", "  Tag = 7\r\n  ReadOnly = True\r\n", false},
        {"lbHTMLLink", "  Font.Name = 'Hijacked'\r\n  Caption = 'x'\r\n", false},
        {"cbHTMLMaxRecords", "  Enabled = False\r\n  OnClick = FormClose\r\n", false},
        {"mmHTMLFooter", "  object Sneaky: TTimer\r\n    Interval = 1\r\n    OnTimer = FormClose\r\n  end\r\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.component);
        std::string text = saved;
        const std::size_t at = text.find("\r\nend\r\n", text.find(std::string("object ") + c.component + ":")) + 2;
        text.insert(at, c.lines);
        THandlerFixture d;
        if (!c.raises) {
            app::LoadProjectText(d, text);
            EXPECT_EQ(Text(d), saved);
            continue;
        }
        try {
            app::LoadProjectText(d, text);
            ADD_FAILURE() << "no error";
        } catch (const classes::EReadError& e) {
            EXPECT_EQ(e.Line(), 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(at), '\n')))
                << e.what();
        }
        EXPECT_EQ(d.FindComponent("Sneaky"), nullptr);
    }
}

TEST(ProjectFile, CutOffSavesLeaveProjectAndHistoryAsTheyWere)
{
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/Project.gwp";
    const std::string history = dir.path().toStdString() + "/history.dat";
    rtl::WriteStringToFile(path, "the good project\r\n");
    rtl::WriteStringToFile(history, "/old/one.gwp\r\n");
    const std::string report = gwtest::WithFileSizeLimit(4096, [&] {
        TDesignFixture d;
        FillDesign(d);
        d.C<editor::TTextMemo>("mm_sql")->Lines()->SetText(std::string(20000, 'x'));
        try {
            app::SaveProjectFile(d, path);
            app::AddRecentProject(history, path);
            return std::string("saved");
        } catch (const std::exception&) {
            return std::string("raised");
        }
    });
    EXPECT_EQ(report, "raised");
    EXPECT_EQ(rtl::ReadFileToString(path), "the good project\r\n");
    EXPECT_EQ(rtl::ReadFileToString(history), "/old/one.gwp\r\n");
}

TEST(RecentProjects, NewestFirstOnceAndAtMostTen)
{
    QTemporaryDir dir;
    const std::string history = dir.path().toStdString() + "/history.dat";
    const auto lines = [&] {
        rtl::TStringList list;
        list.LoadFromFile(history);
        return list.Text();
    };
    app::AddRecentProject(history, "/p/A.gwp");
    app::AddRecentProject(history, "/p/B.gwp");
    app::AddRecentProject(history, "/P/a.GWP");  // the same project, letter case aside
    EXPECT_EQ(lines(), "/P/a.GWP\r\n/p/B.gwp\r\n");
    for (int i = 1; i <= 10; ++i) app::AddRecentProject(history, "/p/" + std::to_string(i) + ".gwp");
    rtl::TStringList list;
    list.LoadFromFile(history);
    EXPECT_EQ(list.Count(), 10);
    EXPECT_EQ(list.Strings(0), "/p/10.gwp");
    EXPECT_EQ(list.Strings(9), "/p/1.gwp");  // A and B pushed out
    // A list edited by hand to fifteen lines loses one a save.
    std::string fifteen;
    for (int i = 1; i <= 15; ++i) fifteen += "/h/" + std::to_string(i) + ".gwp\r\n";
    rtl::WriteStringToFile(history, fifteen);
    app::AddRecentProject(history, "/p/new.gwp");
    list.LoadFromFile(history);
    EXPECT_EQ(list.Count(), 15);
    EXPECT_EQ(list.Strings(0), "/p/new.gwp");
    EXPECT_EQ(list.Strings(14), "/h/14.gwp");
}

}  // namespace

namespace {

TEST(ProjectOptions, NewLinesStoredAndReadBack)
{
    std::vector<std::string> lines = app::NewProjectOptionLines("Sample", "Provider=MSDASQL.1;Extended Properties=\"DSN=x\"");
    EXPECT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[11], "0");
    app::TProjectOptions o;
    o.headerNavigation = 1;
    o.footerNavigation = 2;
    o.colorScheme = "Ocean";
    o.fontIndex = 3;
    o.layoutStyle = "Cards";
    o.split = true;
    o.recordsPerPage = 45;
    o.frames = false;
    o.frameBorder = true;
    app::StoreProjectOptions(o, lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"Sample", "Provider=MSDASQL.1;Extended Properties=\"DSN=x\"", "1", "2",
                                               "Ocean", "3", "Cards", "TRUE", "45", "FALSE", "TRUE", "0"}));
    const app::TProjectOptions back = app::ReadProjectOptions(lines);
    EXPECT_EQ(back.linkName, "Sample");
    EXPECT_EQ(back.recordsPerPage, 45);
    EXPECT_TRUE(back.split);
    EXPECT_FALSE(back.frames);
    EXPECT_EQ(back.layoutStyle, "Cards");
    // Flags are true exactly for "TRUE" in any case, untrimmed.
    lines[7] = "true";
    lines[9] = " TRUE";
    EXPECT_TRUE(app::ReadProjectOptions(lines).split);
    EXPECT_FALSE(app::ReadProjectOptions(lines).frames);
}

TEST(ProjectOptions, BadOptionLinesAreReadErrors)
{
    std::vector<std::string> lines = app::NewProjectOptionLines("S", "c");
    lines[8] = "many";
    EXPECT_THROW(app::ReadProjectOptions(lines), rtl::EConvertError);
    std::vector<std::string> shortList{"S", "c", "0"};
    EXPECT_THROW(app::ReadProjectOptions(shortList), rtl::EListError);
    EXPECT_THROW(app::StoreProjectOptions({}, shortList), rtl::EListError);
    EXPECT_EQ(shortList.size(), 3u);  // left as it was
}

}  // namespace
