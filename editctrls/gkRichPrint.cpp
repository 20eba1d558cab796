// Printing a rich edit's text: the page rectangle from its margins, paging, and the page
// setup's values.

#include "editctrls/gkRichPrint.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "editctrls/gkPageSetupDlg.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Formatting.h"

namespace editctrls {

namespace {

// One axis of the page rectangle: from the near margin to the far one, measured from the
// printable edge and kept within the printable extent.
std::pair<int, int> PrintSpan(int page, int offset, int nearMargin, int farMargin)
{
    const int printable = std::max(0, page - 2 * offset);
    const int from = std::min(std::max(0, nearMargin - offset), printable);
    const int to = std::min(std::max(page - offset - farMargin, from), printable);
    return {from, to};
}

int MarginTwips(double margin, TgkMeasurementUnits units)
{
    // Through the margin's text, as the dialogs measure.
    return TgkCustomRichEdit::MeasurementTwips(rtl::FloatToStr(margin), units);
}

int Thousandths(double margin) { return static_cast<int>(std::lround(margin * 1000)); }

}  // namespace

GW_IMPLEMENT_CLASS(TgkPrintMargins, classes::TPersistent)
{
    using C = TgkPrintMargins;
    p.Float("Top", &C::Top, &C::SetTop, 1.0);
    p.Float("Bottom", &C::Bottom, &C::SetBottom, 1.0);
    p.Float("Left", &C::Left, &C::SetLeft, 1.0);
    p.Float("Right", &C::Right, &C::SetRight, 1.0);
}

void TgkPrintMargins::Assign(const classes::TPersistent& source)
{
    const auto* other = dynamic_cast<const TgkPrintMargins*>(&source);
    if (other == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    top_ = other->top_;
    bottom_ = other->bottom_;
    left_ = other->left_;
    right_ = other->right_;
}

int gkPixelsToTwips(int pixels, int pixelsPerInch)
{
    return pixelsPerInch > 0 ? static_cast<int>(static_cast<long long>(pixels) * 1440 / pixelsPerInch) : 0;
}

int gkTwipsToPixels(int twips, int pixelsPerInch)
{
    return static_cast<int>(static_cast<long long>(twips) * pixelsPerInch / 1440);
}

ui::TRect gkPrintMarginRect(const TgkPrintMargins& margins, TgkMeasurementUnits units, const ui::TPrinterMetrics& m)
{
    const auto [left, right] =
        PrintSpan(gkPixelsToTwips(m.physicalSize.X, m.pixelsPerInchX), gkPixelsToTwips(m.offset.X, m.pixelsPerInchX),
                  MarginTwips(margins.Left(), units), MarginTwips(margins.Right(), units));
    const auto [top, bottom] =
        PrintSpan(gkPixelsToTwips(m.physicalSize.Y, m.pixelsPerInchY), gkPixelsToTwips(m.offset.Y, m.pixelsPerInchY),
                  MarginTwips(margins.Top(), units), MarginTwips(margins.Bottom(), units));
    return {left, top, right, bottom};
}

int gkPrintPages(ui::TPrinter& printer, ui::IRichDocument& document, const ui::TRect& rect)
{
    // Measuring: where the printable text ends.
    const int length = document.Length();
    int end = 0;
    for (int start = 0;;) {
        const int next = printer.FormatRange(document, start, rect, false);
        if (next == -1 || next <= start) break;
        end = start = next;
        if (next >= length) break;
    }
    // Printing: a page at a time, a new one only while text before the end is left.
    int pages = 1;
    for (int start = 0; start < end;) {
        const int next = printer.FormatRange(document, start, rect, true);
        if (next == -1 || next <= start) break;  // a page that takes nothing would repeat forever
        start = next;
        if (start < end) {
            printer.NewPage();
            ++pages;
        }
    }
    return pages;
}

void TgkCustomRichEdit::Print(const std::string& caption)
{
    ui::TPrinter& printer = ui::Printer();
    if (PrinterSizeEditing()) printer.SetPaperSize(printPageSize_);
    printer.SetTitle(caption);
    ui::TPrintJobScope job(printer);
    const ui::TPrinterMetrics m = printer.Metrics();
    const ui::TRect page = PageRect();
    ui::TRect twips;
    if (page.Width() > 0 && page.Height() > 0) {
        twips = {gkPixelsToTwips(page.Left, m.pixelsPerInchX), gkPixelsToTwips(page.Top, m.pixelsPerInchY),
                 gkPixelsToTwips(page.Right, m.pixelsPerInchX), gkPixelsToTwips(page.Bottom, m.pixelsPerInchY)};
    } else {
        twips = gkPrintMarginRect(*printMargins_, units_, m);
    }
    const ui::TRect device{gkTwipsToPixels(twips.Left, m.pixelsPerInchX), gkTwipsToPixels(twips.Top, m.pixelsPerInchY),
                           gkTwipsToPixels(twips.Right, m.pixelsPerInchX),
                           gkTwipsToPixels(twips.Bottom, m.pixelsPerInchY)};
    gkPrintPages(printer, Document(), device);
    job.Finish();
}

// ---- Page setup ------------------------------------------------------------------------------

TgkPageSetupValues gkPageSetupValues(TgkCustomRichEdit& edit)
{
    const TgkPrintMargins& margins = *edit.PrintMargins();
    TgkPageSetupValues v;
    v.inches = edit.MeasurementUnits() == muInches;
    v.left = Thousandths(margins.Left());
    v.top = Thousandths(margins.Top());
    v.right = Thousandths(margins.Right());
    v.bottom = Thousandths(margins.Bottom());
    v.paperEnabled = edit.PrinterSizeEditing();
    v.paper = v.paperEnabled ? edit.PrintPageSize() : ui::Printer().PaperSize();
    v.orientation = ui::Printer().Orientation();
    return v;
}

void gkApplyPageSetup(TgkCustomRichEdit& edit, const TgkPageSetupValues& v)
{
    TgkPrintMargins& margins = *edit.PrintMargins();
    margins.SetLeft(v.left / 1000.0);
    margins.SetTop(v.top / 1000.0);
    margins.SetRight(v.right / 1000.0);
    margins.SetBottom(v.bottom / 1000.0);
    ui::TPrinter& printer = ui::Printer();
    printer.SetOrientation(v.orientation);
    printer.SetPaperSize(v.paper);
    edit.SetPrintPageSize(v.paper);
    edit.PageSetupChanged();
}

GW_IMPLEMENT_CLASS(TgkPageSetupDialog, ui::TCommonDialog) {}

bool TgkPageSetupDialog::Execute()
{
    if (edit_ == nullptr) throw rtl::EInvalidOperation("The page setup has no rich edit to work for.");
    TgkPageSetupDlg form(nullptr);
    form.SetValues(gkPageSetupValues(*edit_));
    if (ui::DialogService().ShowModal(form) != ui::mrOk) return false;
    gkApplyPageSetup(*edit_, form.Values());
    return true;
}

}  // namespace editctrls
