#pragma once
// TMemoRenderer: paints a TTextMemo. Every display line is composed in a one-line bitmap as
// wide as the client area (background, selection, text runs with their colours, the special
// underline, the end-of-paragraph box) and copied to the window in one step, so nothing is
// erased first and no line flickers; below the text come the background, the end-of-text
// mark and the right line. Coordinates are worked out in 64 bits and clamped before they
// reach a drawing call.
//
// The renderer owns the line bitmap; it reads the editor's store, selection and display
// settings and changes nothing but the formatting of the lines it is about to show.

#include "editor/TextStore.h"

#include "platform/ui/Bitmap.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Types.h"

#include <cstdint>
#include <string_view>

namespace ui {
class TCanvas;
}

namespace editor {

class TTextMemo;

class TMemoRenderer {
public:
    explicit TMemoRenderer(TTextMemo& memo) : memo_(memo) {}

    // Paints the client rectangle `rect` of `target`; with `temporaryBitmap` the lines are
    // composed in a bitmap of this call instead of the kept one.
    void Paint(ui::TCanvas& target, const ui::TRect& rect, bool temporaryBitmap);
    ui::TBitmap& LineBitmap() noexcept { return lineBitmap_; }
    // Fills `rect` of `canvas` with the control's colour or tiles the background picture.
    void PaintBackground(ui::TCanvas& canvas, const ui::TRect& rect, bool usePicture);

private:
    // What holds for every line of one paint.
    struct TFrame {
        ui::TCanvas* bitmap = nullptr;
        int cw = 1;
        int lh = 1;
        bool usePicture = false;
        bool winSel = false;
        bool showSel = false;
        int selFrom = 0;
        int selTo = 0;
        int blockParA = 0;
        int blockParB = -1;
        int zigStep = 1;
        int underTop = 0;
    };
    // The line being composed.
    struct TLine {
        int number = 0;
        int paragraph = 0;
        TParagraphRec* rec = nullptr;
        TLineRec ln;
        int index = 0;
        bool lastOfPar = false;
        std::string_view text;
        bool span = false;
        int spanL = 0;
        int spanR = 0;
        int selA = -1;  // the selected part of the line, as paragraph offsets
        int selB = -1;
    };
    // The pen while the runs of a line are drawn.
    struct TPen {
        long long x = 0;
        long long xStart = 0;
        int drawEnd = 0;
        std::uint8_t style = 0;
        int currentFont = -1;
        bool justified = false;
        long long justEach = 0;
        long long justRest = 0;
        long long blanksSeen = 0;
    };
    struct TRunColours {
        std::uint8_t style = 0;
        rtl::TColor fg = 0;
        rtl::TColor bg = 0;
    };

    void FormatShown(int top, int last);
    void SetUpFrame(ui::TCanvas& bitmap, int cw, int lh);
    void PaintLine(ui::TCanvas& target, int L, int top);
    void LineBackground();
    void FindSelectionSpan();
    void ColumnBlockSpan(long long& xs, long long& xe);
    void TextRuns();
    void StartPen();
    int DrawItem(int i);
    TRunColours RunColours(int i) const;
    void DrawBlank(int i, const TRunColours& colours);
    int DrawWord(int i, const TRunColours& colours);
    int WordRunEnd(int i) const;
    void SpecialUnderline(long long from, long long to);
    void SelectionAfterText();
    void PaintFooter(ui::TCanvas& target, const ui::TRect& rect, int first, int painted, int top);
    void SelectRunFont(ui::TCanvas& canvas, std::uint8_t style);

    TTextMemo& memo_;
    ui::TBitmap lineBitmap_;
    TFrame frame_;
    TLine line_;
    TPen pen_;
};

}  // namespace editor
