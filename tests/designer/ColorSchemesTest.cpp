// The colour-scheme list and loading a scheme, over a temporary folder and the shipped schemes.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <string>

#include "designer/ColorSchemes.h"
#include "platform/rtl/Files.h"
#include "platform/ui/testing/TestDialogs.h"

using namespace designer;
namespace fs = std::filesystem;

namespace {

TEST(ColorSchemes, TheListIsCustomAndTheSchemeFilesSorted)
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    EXPECT_TRUE(ColorSchemeNames(root.string()).empty());  // no scheme: nothing, not even Custom
    for (const char* f : {"zeta.htf", "Alpha.HTF", "notes.txt", "beta.htf"}) rtl::WriteStringToFile((root / f).string(), "");
    fs::create_directories(root / "folder.htf");
    EXPECT_EQ(ColorSchemeNames(root.string()), (std::vector<std::string>{"Alpha", "beta", "Custom", "zeta"}));
}

TEST(ColorSchemes, ShippedSchemesLoadAndAMissingOneWarnsAndKeepsTheColours)
{
    const std::string folder = std::string(GW_SOURCE_DIR) + "/share/ColorSchemes";
    EXPECT_EQ(ColorSchemeNames(folder), (std::vector<std::string>{"Custom", "Night", "Ocean", "Sand", "Simple"}));
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope scope(dialogs);
    TExpHtml colors;
    ASSERT_TRUE(LoadColorScheme(folder, "Simple", colors));
    EXPECT_EQ(colors.Color(pcPageBackground), rtl::clWhite);
    EXPECT_EQ(colors.Color(pcLink), rtl::clBlue);
    ASSERT_TRUE(LoadColorScheme(folder, "Night", colors));
    const rtl::TColor nightText = colors.Color(pcText);
    EXPECT_NE(nightText, rtl::clBlack);
    dialogs.AnswerMessage(ui::mrOk);
    EXPECT_FALSE(LoadColorScheme(folder, "Deleted", colors));
    EXPECT_EQ(colors.Color(pcText), nightText);
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].message.text, "Can not load colour scheme " + folder + "/Deleted.htf.");
}

}  // namespace
