// Editors stored in a form description: the design window's three editors and one with every
// stored property changed, read and written back byte for byte, always-stored properties
// written at their defaults; a bad value fails the read with its line and leaves nothing.

#include <gtest/gtest.h>

#include "EditorTestUtil.h"

#include "editor/TextHighlighter.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Errors.h"
#include "platform/classes/Streaming.h"
#include "platform/ui/Forms.h"

namespace editor::test {
namespace {

const char* const kDesignForm = R"(object DesignForm: TForm
  Width = 320
  Height = 240
  object mm_sql: TTextMemo
    Width = 100
    Height = 60
    TabOrder = 0
    Alignment = taLeftJustify
    CaretWidth = 2
    ColumnWrap = 0
    DisplayOnly = False
    EndOfTextMark.Color = clRed
    Justified = False
    LineHeight = 0
    Lines.Strings = (
      'select *'
      'from t')
    NullReplacement = #0
    Options = [tmoWrapCaret, tmoInsertKeyActive, tmoWideOverwriteCaret, tmoLargeWordSelect, tmoAutoScrollBars]
    Overwrite = False
    RightLinePen.Color = clGray
    RightLinePen.Style = psDot
    ScrollBars = ssBoth
    SelBackColor = clHighlight
    SelTextColor = clHighlightText
    Separators = #9' ,.:;'
    SpecUnderline.Color = clRed
    UndoMaxSpace = 65536
  end
  object mmHTMLHeader: TTextMemo
    Width = 100
    Height = 60
    HelpContext = 250
    TabOrder = 1
    Alignment = taLeftJustify
    CaretWidth = 1
    ColumnWrap = 0
    DisplayOnly = False
    EndOfTextMark.Color = clRed
    Justified = False
    LineHeight = 0
    NullReplacement = #0
    Options = [tmoWrapCaret, tmoInsertKeyActive, tmoWideOverwriteCaret, tmoAutoScrollBars]
    Overwrite = False
    RightLinePen.Color = clGray
    RightLinePen.Style = psDot
    ScrollBars = ssVertical
    SelBackColor = clHighlight
    SelTextColor = clHighlightText
    Separators = #9' $%&,./:;<=>'
    SpecUnderline.Color = clRed
    UndoMaxSpace = 65536
  end
  object mmHTMLFooter: TTextMemo
    Width = 100
    Height = 60
    HelpContext = 260
    TabOrder = 2
    Alignment = taLeftJustify
    CaretWidth = 1
    ColumnWrap = 0
    DisplayOnly = False
    EndOfTextMark.Color = clRed
    Justified = False
    LineHeight = 0
    NullReplacement = #0
    Options = [tmoWrapCaret, tmoInsertKeyActive, tmoWideOverwriteCaret, tmoAutoScrollBars]
    Overwrite = False
    RightLinePen.Color = clGray
    RightLinePen.Style = psDot
    ScrollBars = ssVertical
    SelBackColor = clHighlight
    SelTextColor = clHighlightText
    Separators = #9' $%&,./:;<=>'
    SpecUnderline.Color = clRed
    UndoMaxSpace = 65536
  end
  object mmAll: TTextMemo
    Left = 8
    Top = 100
    Width = 300
    Height = 120
    Color = clInfoBk
    PopupMenu = EditMenu
    TabOrder = 3
    TabStop = False
    Alignment = taCenter
    AltFont.Name = 'Mono'
    ApplyKeyWords = False
    ApplyStartStopKeys = False
    BorderStyle = bsNone
    CaretWidth = 0
    ColumnWrap = 72
    DisplayOnly = True
    EnableHotKeys = False
    EndOfTextMark.Color = clBlue
    HideSelection = False
    HighlightBackgnd = clYellow
    HighlightColor = clNavy
    Highlighter = Marker
    Justified = True
    Keywords.Strings = (
      'SELECT'
      0
      0
      1
      0
      -1
      -1)
    LeftMargin = 4
    LineBreak = pbLF
    LineHeight = 18
    Lines.Strings = (
      'a'
      ''
      'b')
    MouseWheelFactor = 3
    NullReplacement = '?'
    Options = [tmoKeepColumnPos, tmoBlockSelection, tmoPlainClipboard]
    Overwrite = True
    PassOverCodes = False
    ReadOnly = True
    RightLinePen.Color = clSilver
    RightLinePen.Style = psDot
    RightLinePos = 80
    RightMargin = 2
    ScrollBars = ssNone
    SelBackColor = clBlack
    SelTextColor = clWhite
    Separators = ' ;'
    ShowEndParSelected = False
    SpecUnderline.Color = clRed
    SpecUnderline.Width = 2
    StartStopKeys.Keys = (
      '/*'
      '*/'
      0
      0
      1
      0
      -1
      -1
      False)
    StaticFormat = False
    TabStops = 4
    UndoMaxLevel = 10
    UndoMaxSpace = 1000
    UpdateMode = umImmediate
    UpperCaseType = tmuAnsi
    WantTabs = False
    WordWrap = False
  end
  object Marker: TTextHighlighter
  end
  object EditMenu: TPopupMenu
  end
end
)";

// The writer ends its lines with CR LF.
std::string Crlf(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

class StoredFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ui::RegisterUiClasses();
        classes::RegisterClasses<TTextMemo, TTextHighlighter>();
    }
};

TEST_F(StoredFormTest, EditorsReadAndWriteBackByteForByte)
{
    ui::TForm form(nullptr);
    classes::ReadComponentText(form, kDesignForm, {.strict = true});
    EXPECT_EQ(classes::WriteComponentText(form), Crlf(kDesignForm));

    auto* sql = dynamic_cast<TTextMemo*>(form.FindComponent("mm_sql"));
    ASSERT_NE(sql, nullptr);
    EXPECT_EQ(sql->Paragraphs()->Count(), 2);  // each stored paragraph is added with its break
    EXPECT_EQ(sql->Text(), "select *\r\nfrom t\r\n");
    EXPECT_EQ(sql->Separators(), "\t ,.:;");
    EXPECT_TRUE(sql->Options()[tmoLargeWordSelect]);
    EXPECT_EQ(sql->ScrollBars(), ui::ssBoth);
    EXPECT_FALSE(sql->CanUndo());  // Loaded starts the history afresh

    auto* all = dynamic_cast<TTextMemo*>(form.FindComponent("mmAll"));
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all->Highlighter(), form.FindComponent("Marker"));
    EXPECT_EQ(all->PopupMenu(), form.FindComponent("EditMenu"));
    EXPECT_EQ(all->Keywords()->Count(), 1);
    EXPECT_EQ(all->StartStopKeys()->Count(), 1);
    EXPECT_EQ(all->NullReplacement(), '?');
    EXPECT_EQ(all->UndoMaxSpace(), 1000);
    EXPECT_EQ(all->Paragraphs()->Count(), 3);

    // A new editor writes exactly the always-stored properties (and the pens' colours).
    ui::TForm fresh(nullptr);
    fresh.SetName("Fresh");
    auto* memo = new TTextMemo(&fresh);
    memo->SetName("mm");
    const std::string text = classes::WriteComponentText(*memo);
    EXPECT_EQ(text, Crlf("object mm: TTextMemo\n"
                    "  Width = 100\n"
                    "  Height = 60\n"
                    "  Alignment = taLeftJustify\n"
                    "  CaretWidth = 1\n"
                    "  ColumnWrap = 0\n"
                    "  DisplayOnly = False\n"
                    "  EndOfTextMark.Color = clRed\n"
                    "  Justified = False\n"
                    "  LineHeight = 0\n"
                    "  NullReplacement = #0\n"
                    "  Options = [tmoWrapCaret, tmoInsertKeyActive, tmoWideOverwriteCaret, tmoAutoScrollBars]\n"
                    "  Overwrite = False\n"
                    "  RightLinePen.Color = clGray\n"
                    "  RightLinePen.Style = psDot\n"
                    "  ScrollBars = ssVertical\n"
                    "  SelBackColor = clHighlight\n"
                    "  SelTextColor = clHighlightText\n"
                    "  Separators = #9' $%&,./:;<=>'\n"
                    "  SpecUnderline.Color = clRed\n"
                    "  UndoMaxSpace = 65536\n"
                    "end\n"));
}

TEST_F(StoredFormTest, ABadValueFailsWithItsLineAndLeavesNoEditor)
{
    const char* const bad = R"(object DesignForm: TForm
  object mm_sql: TTextMemo
    Width = 100
    UndoMaxLevel = 200000000
  end
end
)";
    ui::TForm form(nullptr);
    try {
        classes::ReadComponentText(form, bad);
        ADD_FAILURE() << "no error";
    } catch (const classes::EReadError& e) {
        EXPECT_EQ(e.Line(), 4);
        EXPECT_NE(std::string(e.what()).find("Undo set too high"), std::string::npos) << e.what();
    }
    EXPECT_EQ(form.ComponentCount(), 0);
    EXPECT_EQ(form.ControlCount(), 0);
}

}  // namespace
}  // namespace editor::test
