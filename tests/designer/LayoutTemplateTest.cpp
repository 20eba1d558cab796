// Layout-style templates: the tag reader, the three modes of the template engine, and the
// style folders.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <string>
#include <vector>

#include "designer/ColumnModel.h"
#include "designer/LayoutTemplate.h"
#include "platform/rtl/Files.h"

using namespace designer;
namespace fs = std::filesystem;

namespace {

TEST(LayoutTemplate, TagsAreReadWithoutRegardToCase)
{
    struct Case {
        const char* tag;
        TTemplateTag::TKind kind;
        int column;
        const char* value;  // nullptr: none
    };
    const Case cases[] = {
        {"<#t1>", TTemplateTag::Header, 1, nullptr},
        {"<#T2=Price>", TTemplateTag::Header, 2, "Price"},
        {"< #V3 >", TTemplateTag::Value, 3, nullptr},
        {"<#IMGV1=images/[CODE].jpg>", TTemplateTag::Image, 1, "images/[CODE].jpg"},
        {"<#imgv12>", TTemplateTag::Image, 12, nullptr},
        {"<a href=\"#T1\">", TTemplateTag::Header, 1, "\"#T1\""},  // an anchor that looks like a tag is one
        {"<#T0>", TTemplateTag::None, 0, nullptr},
        {"<#T>", TTemplateTag::None, 0, nullptr},
        {"<#T99999999999>", TTemplateTag::None, 0, nullptr},  // too long for a whole number: no tag
        {"<b>", TTemplateTag::None, 0, nullptr},
    };
    for (const Case& c : cases) {
        const TTemplateTag t = ReadTemplateTag(c.tag);
        EXPECT_EQ(t.kind, c.kind) << c.tag;
        if (c.kind == TTemplateTag::None) continue;
        EXPECT_EQ(t.column, c.column) << c.tag;
        EXPECT_EQ(t.value.has_value(), c.value != nullptr) << c.tag;
        if (c.value != nullptr && t.value) {
            EXPECT_EQ(*t.value, c.value) << c.tag;
        }
    }
}

class Template : public ::testing::Test {
protected:
    void SetUp() override
    {
        columns.RebuildColumnList("Reset", std::vector<TColumnField>{{"code", db::ftString}, {"price", db::ftFloat},
                                                                    {"photo", db::ftString}});
    }
    std::string Page(std::string_view text)
    {
        const TTemplateParts parts{[](int i) { return "H" + std::to_string(i); }, [](int i) { return "C" + std::to_string(i); }};
        return ApplyLayoutTemplate(text, TTemplateMode::Page, columns, parts);
    }
    TColumnModel columns;
};

TEST_F(Template, PageModeReplacesTagsAndKeepsOtherHtml)
{
    struct Case {
        const char* text;
        const char* out;
    };
    const Case cases[] = {
        {"<b><#T1></b>: <#V2>", "<b>H0</b>: C1"},
        {"<#IMGV3> and <#V9>", "C2 and "},       // a column that does not exist gives nothing
        {"a < b <#T1>", "a < b H0"},             // a "<" inside a pending tag lets it through
        {"x > y", "x > y"},
        {"<p>end <#V1", "<p>end "},              // an unclosed tag at the end is dropped
        {"<a href=\"#top\">up</a>", "<a href=\"#top\">up</a>"},
    };
    for (const Case& c : cases) EXPECT_EQ(Page(c.text), c.out) << c.text;
}

TEST_F(Template, SettingsModeWritesTheTagsSettings)
{
    columns.FieldList.SetChecked(1, true);  // price shows as a picture before the style
    ApplyLayoutTemplate("<#T1=Code No.><#V2=n/a><#IMGV3><#T2><#V1=ignored><#T7=none>", TTemplateMode::Settings, columns);
    EXPECT_EQ(columns.Heading(0), "Code No.");
    EXPECT_EQ(columns.Heading(1), "price");  // a header tag without a value keeps the heading
    EXPECT_FALSE(columns.IsImage(1));        // a value tag makes an image column text...
    EXPECT_FALSE(columns.ShowDataList.Checked(1));
    EXPECT_EQ(columns.ShowDataList.Strings(1), "n/a");  // ...showing the tag's fixed text
    EXPECT_TRUE(columns.ShowDataList.Checked(0));       // a value tag on a text column changes nothing
    EXPECT_EQ(columns.ShowDataList.Strings(0), "");
    EXPECT_TRUE(columns.IsImage(2));                    // an image tag without a value: the field itself
    EXPECT_EQ(columns.ShowDataList.Strings(2), "[PHOTO]");
    EXPECT_EQ(columns.PrefixList.Strings(2), "100");
    EXPECT_FALSE(columns.PrefixList.Checked(2));
    EXPECT_EQ(columns.SuffixList.Strings(2), "100");
    EXPECT_FALSE(columns.SuffixList.Checked(2));
}

TEST(LayoutStyles, ThePicturesATemplateNamesInItsImagesFolder)
{
    struct Case {
        const char* templateText;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"<img src=\"images/frame.jpg\" width=\"16\">", {"frame.jpg"}},
        {"<td background='images/back.gif'><img src=images/dot.png alt=\"\">", {"back.gif", "dot.png"}},
        {"<div style=\"background: url(images/tile.png)\">", {"tile.png"}},
        {"<img src=\"images/a.jpg\"><img src=\"images/a.jpg\"><img src=\"images/b.jpg\">", {"a.jpg", "b.jpg"}},
        // Decided by the data or by the column's settings: not a file the style must hold.
        {"<img src=\"images/[CODE].jpg\"><#IMGV1=images/[CODE].jpg>", {}},
        {"<img src=\"images/<#V1>.jpg\">", {}},
        // Not the style's images folder, or not a file right in it.
        {"<img src=\"myimages/x.jpg\"><img src=\"/images/y.jpg\"><img src=\"images/sub/z.jpg\">", {}},
        {"<img src=\"images/\"><#V1>", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.templateText);
        EXPECT_EQ(TemplatePictureNames(c.templateText), c.names);
    }
}

TEST(LayoutStyles, FoldersOnlyAndAMissingTemplateIsNoStyle)
{
    QTemporaryDir dir;
    const fs::path root = dir.path().toStdString();
    fs::create_directories(root / "Cards" / "images");
    rtl::WriteStringToFile((root / "Cards" / "Style.qss").string(), "<#T1>: <#V1>");
    rtl::WriteStringToFile((root / "Cards" / "Style.jpg").string(), "jpeg");
    fs::create_directories(root / "Broken");
    rtl::WriteStringToFile((root / "notes.txt").string(), "a file, not a style");
    EXPECT_EQ(LayoutStyleNames(root.string()), (std::vector<std::string>{"Broken", "Cards"}));
    const std::optional<TLayoutStyle> cards = LoadLayoutStyle(root.string(), "Cards");
    ASSERT_TRUE(cards.has_value());
    EXPECT_EQ(cards->templateText, "<#T1>: <#V1>");
    EXPECT_EQ(cards->previewPath, (root / "Cards" / "Style.jpg").string());
    EXPECT_FALSE(LoadLayoutStyle(root.string(), "Broken").has_value());
    EXPECT_FALSE(LoadLayoutStyle(root.string(), "Nowhere").has_value());
    EXPECT_TRUE(LayoutStyleNames((root / "none").string()).empty());
}

}  // namespace

namespace {

TEST(LayoutStyles, TheShippedStylesLoadWithTheirPreviews)
{
    const std::string dir = std::string(GW_SOURCE_DIR) + "/share/LayoutStyles";
    EXPECT_EQ(LayoutStyleNames(dir), (std::vector<std::string>{"Cards", "Catalog", "Compact"}));
    for (const std::string& name : LayoutStyleNames(dir)) {
        SCOPED_TRACE(name);
        const std::optional<TLayoutStyle> style = LoadLayoutStyle(dir, name);
        ASSERT_TRUE(style.has_value());
        EXPECT_FALSE(style->previewPath.empty());
        for (const std::string& picture : TemplatePictureNames(style->templateText))
            EXPECT_TRUE(fs::is_regular_file(fs::path(dir) / name / "images" / picture)) << picture;
        // Every shipped template names columns by header or value tags.
        TColumnModel columns;
        columns.RebuildColumnList("Reset", std::vector<TColumnField>{{"a", db::ftString}, {"b", db::ftString}});
        const std::string page = ExpandLayoutTemplate(style->templateText, columns,
                                                      {[](int) { return std::string("H"); }, [](int) { return std::string("V"); }});
        EXPECT_NE(page.find('V'), std::string::npos);
        EXPECT_EQ(page.find("<#"), std::string::npos);
    }
    EXPECT_TRUE(fs::is_regular_file(fs::path(dir) / "Catalog" / "images" / "frame.jpg"));
}

}  // namespace
