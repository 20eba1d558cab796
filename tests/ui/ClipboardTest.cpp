// The clipboard over its memory store: formats by name, several formats in one
// open-and-close, and each Set outside Open replacing the contents.

#include <gtest/gtest.h>

#include "platform/ui/Clipbrd.h"

namespace {

using namespace ui;

TEST(ClipboardTest, FormatsHaveNumbersAndMimeTypes)
{
    const TClipboardFormat block = RegisterClipboardFormat("IDE Block Type");
    EXPECT_GE(block, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormat("IDE Block Type"), block);
    EXPECT_NE(RegisterClipboardFormat("SYLK"), block);
    EXPECT_EQ(ClipboardFormatName(block), "IDE Block Type");
    EXPECT_EQ(ClipboardMimeType(block), "application/x-gridweaver-ide-block-type");
    EXPECT_EQ(ClipboardMimeType(RegisterClipboardFormat("HTML Format")), "text/html");
    EXPECT_EQ(ClipboardMimeType(CF_TEXT), "text/plain");
    EXPECT_EQ(ClipboardMimeType(77), "");
}

TEST(ClipboardTest, SeveralFormatsGoTogetherBetweenOpenAndClose)
{
    const TClipboardFormat block = RegisterClipboardFormat("IDE Block Type");
    TClipboard& c = Clipboard();
    c.SetAsText("old");
    c.Open();
    c.SetAsText("col\xC3\xA9");
    c.SetData(block, std::string("\x02\x00", 2));
    EXPECT_TRUE(c.HasFormat(block));  // what is put there counts while open
    c.Close();
    EXPECT_EQ(c.AsText(), "col\xC3\xA9");
    ASSERT_TRUE(c.GetData(block).has_value());
    EXPECT_EQ(*c.GetData(block), std::string("\x02\x00", 2));

    // Outside Open every Set replaces the whole contents.
    c.SetAsText("plain");
    EXPECT_FALSE(c.HasFormat(block));
    EXPECT_EQ(c.AsText(), "plain");
    c.Clear();
    EXPECT_FALSE(c.HasFormat(CF_TEXT));
    EXPECT_EQ(c.AsText(), "");
}

}  // namespace
