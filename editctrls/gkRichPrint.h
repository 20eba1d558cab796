#pragma once
// Printing a rich edit's text on Printer() and the page setup that edits its margins, paper
// and orientation.
//
// Promises:
// - gkPrintMarginRect places the text inside the margins in twips, measured from the
//   printable area's corner: a margin narrower than the printer's unprintable edge prints at
//   that edge (never before it), and margins past the page leave an empty rectangle inside
//   the printable area, never a reversed one.
// - gkPrintPages pages a text by two passes: a measuring pass finds where the printable text
//   ends; the printing pass starts a new page only while text before that end is left, and
//   stops at a page that takes nothing, so no text prints twice and no job runs forever.
// - Page setup passes margins as thousandths of an inch or hundredths of a millimetre (the
//   margin in the control's unit × 1000, to the nearest), so an unchanged setup gives back
//   the margins it was given. The paper is offered only under printer-size editing.
//   Cancel changes nothing.

#include <string>

#include "editctrls/gkRichEdit.h"
#include "platform/classes/Persistent.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Printer.h"
#include "platform/ui/RichDocument.h"

namespace editctrls {

// Top, bottom, left and right margins in the control's measurement unit; 1.0 each at first.
class TgkPrintMargins : public classes::TPersistent {
    GW_CLASS(TgkPrintMargins)

public:
    TgkPrintMargins() = default;
    void Assign(const classes::TPersistent& source) override;

    double Top() const noexcept { return top_; }
    void SetTop(double v) noexcept { top_ = v; }
    double Bottom() const noexcept { return bottom_; }
    void SetBottom(double v) noexcept { bottom_ = v; }
    double Left() const noexcept { return left_; }
    void SetLeft(double v) noexcept { left_ = v; }
    double Right() const noexcept { return right_; }
    void SetRight(double v) noexcept { right_ = v; }

private:
    double top_ = 1.0, bottom_ = 1.0, left_ = 1.0, right_ = 1.0;
};

// The rectangle inside the margins (twips, from the printable area's corner) on a printer
// reporting `metrics`.
ui::TRect gkPrintMarginRect(const TgkPrintMargins& margins, TgkMeasurementUnits units,
                            const ui::TPrinterMetrics& metrics);
// Twips of `pixels` at `pixelsPerInch`, and back.
int gkPixelsToTwips(int pixels, int pixelsPerInch);
int gkTwipsToPixels(int twips, int pixelsPerInch);
// Prints `document` in `rect` (device pixels) on the printer's open job; answers the pages
// the job holds.
int gkPrintPages(ui::TPrinter& printer, ui::IRichDocument& document, const ui::TRect& rect);

// What the page setup shows and answers.
struct TgkPageSetupValues {
    // Thousandths of an inch (inches) or hundredths of a millimetre.
    int left = 0, top = 0, right = 0, bottom = 0;
    bool inches = true;
    int paper = ui::kPaperLetter;
    bool paperEnabled = false;
    ui::TPrinterOrientation orientation = ui::poPortrait;
};
TgkPageSetupValues gkPageSetupValues(TgkCustomRichEdit& edit);
// OK: the margins, the orientation and the paper go to the control and the printer.
void gkApplyPageSetup(TgkCustomRichEdit& edit, const TgkPageSetupValues& values);

// The page-setup dialog of a rich edit: the form "gkPageSetupDlg" run by the dialog service.
class TgkPageSetupDialog : public ui::TCommonDialog {
    GW_CLASS(TgkPageSetupDialog)

public:
    explicit TgkPageSetupDialog(classes::TComponent* owner) : TCommonDialog(owner) {}
    TgkCustomRichEdit* RichEdit() const noexcept { return edit_; }
    void SetRichEdit(TgkCustomRichEdit* edit) noexcept { edit_ = edit; }
    // True on OK, the settings then taken.
    bool Execute() override;

private:
    TgkCustomRichEdit* edit_ = nullptr;
};

}  // namespace editctrls
