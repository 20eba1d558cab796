#include "designer/ExpHtml.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/StringList.h"
#include "tests/rtl/FailingSaves.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

using namespace designer;

namespace {

class ExpHtmlFiles : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return dir_.path().toStdString() + "/" + name; }
    std::string Write(const std::string& name, const std::string& text) const
    {
        const std::string path = PathOf(name);
        rtl::WriteStringToFile(path, text);
        return path;
    }
    QTemporaryDir dir_;
};

// A scheme with a different colour on every line, as the pickers would leave it.
TExpHtml SampleScheme()
{
    TExpHtml scheme;
    const rtl::TColor colors[TExpHtml::ColorCount] = {
        rtl::clWhite, rtl::clSilver, rtl::clBlack, rtl::clNavy,   rtl::clBlue, rtl::clPurple,
        rtl::clRed,   0x00336699,    rtl::clWindow, rtl::clCream, 0x00EEEEEE, rtl::clWindowText};
    for (int k = 1; k <= TExpHtml::ColorCount; ++k) scheme.SetColor(k, colors[k - 1]);
    return scheme;
}

const char* const kSampleFile =
    "clWhite\r\nclSilver\r\nclBlack\r\nclNavy\r\nclBlue\r\nclPurple\r\nclRed\r\n$00336699\r\n"
    "clWindow\r\nclCream\r\n$00EEEEEE\r\nclWindowText\r\n";

TEST(ExpHtml, StartsBlackAndChecksIndexes)
{
    TExpHtml scheme;
    for (int k = 1; k <= TExpHtml::ColorCount; ++k) EXPECT_EQ(scheme.Color(k), rtl::clBlack);
    EXPECT_THROW(scheme.Color(0), rtl::EListError);
    EXPECT_THROW(scheme.SetColor(13, rtl::clRed), rtl::EListError);
}

TEST(ExpHtml, StringToColorIsTolerant)
{
    struct Case {
        const char* text;
        rtl::TColor color;
    };
    const Case cases[] = {
        {"$000000FF", rtl::clRed},    {"clRed", rtl::clRed},         {"CLRED", rtl::clRed},
        {"255", rtl::clRed},          {" clBlue ", rtl::clBlue},     {"clWindow", rtl::clWindow},
        {"red", rtl::clDefault},      {"", rtl::clDefault},          {"$GG", rtl::clDefault},
        {"#FF0000", rtl::clDefault},  {"clDefault", rtl::clDefault}, {"$00FF", 0xFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TExpHtml::StringToColor(c.text), c.color);
    }
}

TEST_F(ExpHtmlFiles, TwelveLinesRoundTripUnchanged)
{
    const std::string path = Write("Ocean.htf", kSampleFile);
    TExpHtml scheme;
    scheme.LoadFromFile(path);
    EXPECT_EQ(scheme.Color(pcPageBackground), rtl::clWhite);
    EXPECT_EQ(scheme.Color(pcHeaderBackground), 0x00336699);
    EXPECT_EQ(scheme.Color(pcDataText), rtl::clWindowText);

    const std::string copy = PathOf("Copy.htf");
    scheme.SaveToFile(copy);
    EXPECT_EQ(rtl::ReadFileToString(copy), kSampleFile);

    SampleScheme().SaveToFile(PathOf("Sample.htf"));
    EXPECT_EQ(rtl::ReadFileToString(PathOf("Sample.htf")), kSampleFile);
}

TEST_F(ExpHtmlFiles, ShortLongAndBadFiles)
{
    struct Case {
        const char* name;
        std::string text;
        rtl::TColor expected[TExpHtml::ColorCount];
    };
    const rtl::TColor D = rtl::clDefault;
    const Case cases[] = {
        {"five lines", "clRed\r\nclLime\r\nclBlue\r\nclWhite\r\nclBlack\r\n",
         {rtl::clRed, rtl::clLime, rtl::clBlue, rtl::clWhite, rtl::clBlack, D, D, D, D, D, D, D}},
        {"empty", "", {D, D, D, D, D, D, D, D, D, D, D, D}},
        {"fourteen lines, LF only",
         "clRed\nclRed\nclRed\nclRed\nclRed\nclRed\nclRed\nclRed\nclRed\nclRed\nclRed\nclLime\nclBlue\nclBlue\n",
         {rtl::clRed, rtl::clRed, rtl::clRed, rtl::clRed, rtl::clRed, rtl::clRed, rtl::clRed,
          rtl::clRed, rtl::clRed, rtl::clRed, rtl::clRed, rtl::clLime}},
        {"bad lines", "$000000FF\r\nred\r\n\r\n#00FF00\r\nclAqua",
         {rtl::clRed, D, D, D, rtl::clAqua, D, D, D, D, D, D, D}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TExpHtml scheme = SampleScheme();
        scheme.LoadFromFile(Write("case.htf", c.text));
        for (int k = 1; k <= TExpHtml::ColorCount; ++k) EXPECT_EQ(scheme.Color(k), c.expected[k - 1]) << "colour " << k;
    }
}

TEST_F(ExpHtmlFiles, MissingFileRaisesAndKeepsColours)
{
    TExpHtml scheme = SampleScheme();
    EXPECT_THROW(scheme.LoadFromFile(PathOf("nosuch.htf")), rtl::EFOpenError);
    EXPECT_EQ(scheme.Color(pcHeaderBackground), 0x00336699);
    EXPECT_EQ(scheme.Color(pcPageBackground), rtl::clWhite);
}

TEST_F(ExpHtmlFiles, FailedSaveRaisesAndLeavesTheOldFile)
{
    EXPECT_THROW(SampleScheme().SaveToFile(PathOf("no/such/folder/x.htf")), rtl::Exception);

    const std::string path = Write("Old.htf", kSampleFile);
    TExpHtml other;
    other.SaveToFile(path);  // replaces the file as a whole
    EXPECT_EQ(rtl::ReadFileToString(path).substr(0, 9), "clBlack\r\n");
}

// A scheme that the disk cannot take (a file-size limit, a full file system) raises and
// leaves the scheme file as it was.
TEST_F(ExpHtmlFiles, SchemeThatDoesNotFitRaisesAndKeepsTheFile)
{
    const auto save = [](const std::string& path) {
        try {
            SampleScheme().SaveToFile(path);
            return std::string("saved");
        } catch (const rtl::Exception&) {
            return std::string("raised");
        }
    };
    const std::string path = PathOf("Old.htf");
    TExpHtml().SaveToFile(path);
    const std::string before = rtl::ReadFileToString(path);
    EXPECT_EQ(gwtest::WithFileSizeLimit(0, [&] { return save(path); }), "raised");
    EXPECT_EQ(rtl::ReadFileToString(path), before);

    const std::string folder = PathOf("small");
    ASSERT_TRUE(rtl::CreateDir(folder));
    const std::string report = gwtest::InSmallFileSystem(folder, [&] {
        const std::string inside = folder + "/Old.htf";
        TExpHtml().SaveToFile(inside);
        gwtest::FillFileSystem(folder);
        return save(inside) + " " + gwtest::Contents(inside);
    });
    if (report == gwtest::kNoFileSystem) GTEST_SKIP() << "cannot mount a small file system here";
    EXPECT_EQ(report, "raised " + before);
}

TEST(ExpHtml, StringsForm)
{
    rtl::TStringList lines;
    SampleScheme().SaveToStrings(lines);
    ASSERT_EQ(lines.Count(), 12);
    EXPECT_EQ(lines.Text(), kSampleFile);

    // Appends: the caller clears first.
    SampleScheme().SaveToStrings(lines);
    EXPECT_EQ(lines.Count(), 24);

    rtl::TStringList empty;
    TExpHtml scheme = SampleScheme();
    scheme.LoadFromStrings(empty);
    ASSERT_EQ(empty.Count(), 13);
    for (int i = 0; i < 13; ++i) EXPECT_EQ(empty.Strings(i), "clDefault");
    for (int k = 1; k <= TExpHtml::ColorCount; ++k) EXPECT_EQ(scheme.Color(k), rtl::clDefault);

    rtl::TStringList full;
    full.SetText(kSampleFile);
    TExpHtml loaded;
    loaded.LoadFromStrings(full);
    EXPECT_EQ(full.Count(), 13);  // padded to 13 even when 12 were there
    for (int k = 1; k <= TExpHtml::ColorCount; ++k) EXPECT_EQ(loaded.Color(k), SampleScheme().Color(k));
}

}  // namespace
