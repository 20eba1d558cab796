// The program's printer over the window system's printers, and the print dialog.

#include "platform/ui/Printer.h"

#include <algorithm>
#include <utility>

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace ui {

namespace {

IPrinterBackend*& InstalledBackend()
{
    static IPrinterBackend* backend = nullptr;
    return backend;
}

}  // namespace

const std::vector<TPaperSize>& PaperSizes()
{
    static const std::vector<TPaperSize> papers{
        {1, "Letter", 215.9, 279.4},        {2, "Letter Small", 215.9, 279.4}, {3, "Tabloid", 279.4, 431.8},
        {4, "Ledger", 431.8, 279.4},        {5, "Legal", 215.9, 355.6},        {6, "Statement", 139.7, 215.9},
        {7, "Executive", 184.15, 266.7},    {8, "A3", 297, 420},               {9, "A4", 210, 297},
        {10, "A4 Small", 210, 297},         {11, "A5", 148, 210},              {12, "B4 (JIS)", 250, 354},
        {13, "B5 (JIS)", 182, 257},         {14, "Folio", 215.9, 330.2},       {15, "Quarto", 215, 275},
        {16, "10x14", 254, 355.6},          {17, "11x17", 279.4, 431.8},       {18, "Note", 215.9, 279.4},
        {19, "Envelope #9", 98.425, 225.425}, {20, "Envelope #10", 104.775, 241.3},
        {27, "Envelope DL", 110, 220},      {28, "Envelope C5", 162, 229},     {30, "Envelope C4", 229, 324},
        {31, "Envelope C6", 114, 162},      {34, "Envelope B5", 176, 250},
    };
    return papers;
}

const TPaperSize& PaperOfCode(int code)
{
    const std::vector<TPaperSize>& papers = PaperSizes();
    const auto found = std::find_if(papers.begin(), papers.end(), [code](const TPaperSize& p) { return p.code == code; });
    return found != papers.end() ? *found : papers.front();
}

IPrinterBackend* SetPrinterBackend(IPrinterBackend* backend)
{
    IPrinterBackend* previous = std::exchange(InstalledBackend(), backend);
    Printer().Reset();
    return previous;
}

// ---- TPrinter --------------------------------------------------------------------------------

TPrinter::TPrinter() = default;

TPrinter::~TPrinter()
{
    if (job_ != nullptr) Abort();
}

IPrinterBackend* TPrinter::Backend() const { return InstalledBackend(); }

void TPrinter::Reset()
{
    if (job_ != nullptr) Abort();
    index_ = -1;
}

std::vector<std::string> TPrinter::Printers() const
{
    IPrinterBackend* backend = Backend();
    return backend != nullptr ? backend->PrinterNames() : std::vector<std::string>{};
}

int TPrinter::PrinterIndex() const
{
    IPrinterBackend* backend = Backend();
    if (backend == nullptr) return -1;
    const int count = static_cast<int>(backend->PrinterNames().size());
    if (index_ >= 0 && index_ < count) return index_;
    const int fallback = backend->DefaultPrinter();
    return fallback < count ? fallback : -1;
}

void TPrinter::SetPrinterIndex(int index)
{
    if (job_ != nullptr) throw EPrinter("Printing in progress.");
    const int count = static_cast<int>(Printers().size());
    if (index < -1 || index >= count) throw EPrinter("Printer selected is not valid.");
    index_ = index;
}

std::string TPrinter::PrinterName() const
{
    const int index = PrinterIndex();
    return index < 0 ? std::string() : Printers()[static_cast<std::size_t>(index)];
}

void TPrinter::SetOrientation(TPrinterOrientation orientation)
{
    if (job_ != nullptr) throw EPrinter("Printing in progress.");
    setup_.orientation = orientation;
}

void TPrinter::SetPaperSize(int code)
{
    if (job_ != nullptr) throw EPrinter("Printing in progress.");
    setup_.paper = code;
}

TPrinterSetup TPrinter::Setup() const
{
    TPrinterSetup setup = setup_;
    setup.printer = PrinterName();
    return setup;
}

TPrinterMetrics TPrinter::Metrics() const
{
    IPrinterBackend* backend = Backend();
    if (backend == nullptr || PrinterIndex() < 0) return {};
    return backend->Metrics(Setup());
}

void TPrinter::CheckPrinting(const char* what) const
{
    if (job_ == nullptr) throw EPrinter(std::string("Printer is not printing: cannot ") + what + ".");
}

void TPrinter::BeginDoc()
{
    if (job_ != nullptr) throw EPrinter("Printing in progress.");
    IPrinterBackend* backend = Backend();
    if (backend == nullptr || PrinterIndex() < 0) throw EPrinter("There is no printer installed.");
    job_ = backend->BeginDoc(Setup());
    if (job_ == nullptr) throw EPrinter("The printer \"" + PrinterName() + "\" did not start the job.");
    pageNumber_ = 1;
    canvas_.SetDevice(&job_->Device());
}

void TPrinter::NewPage()
{
    CheckPrinting("start a page");
    job_->NewPage();
    ++pageNumber_;
}

void TPrinter::EndDoc()
{
    CheckPrinting("end the job");
    canvas_.SetDevice(nullptr);
    // The job is gone whether or not its output could be completed.
    std::unique_ptr<IPrintJob> job = std::move(job_);
    pageNumber_ = 0;
    job->End();
}

void TPrinter::Abort()
{
    if (job_ == nullptr) return;
    canvas_.SetDevice(nullptr);
    std::unique_ptr<IPrintJob> job = std::move(job_);
    pageNumber_ = 0;
    job->Abort();
}

int TPrinter::FormatRange(IRichDocument& document, int start, const TRect& rect, bool render)
{
    CheckPrinting("lay out text");
    return job_->FormatRange(document, start, rect, render);
}

TPrinter& Printer()
{
    static TPrinter printer;
    return printer;
}

TPrintJobScope::~TPrintJobScope()
{
    if (!finished_) printer_.Abort();
}

void TPrintJobScope::Finish()
{
    finished_ = true;
    printer_.EndDoc();
}

// ---- TPrintDialog ----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TPrintDialog, TCommonDialog) {}

bool TPrintDialog::Execute()
{
    TPrinter& printer = Printer();
    const std::vector<std::string> names = printer.Printers();
    constexpr int kWidth = 300, kButtonWidth = 75, kButtonHeight = 25;
    std::unique_ptr<TForm> form(new TForm(&Application()));
    form->SetName("PrintDialog");
    form->SetCaption("Print");
    form->SetBorderStyle(bsDialog);
    form->SetBorderIcons(TBorderIcons{biSystemMenu});
    form->SetPosition(poScreenCenter);
    const auto label = [&](const char* name, const char* caption, int top) {
        auto* l = new TLabel(form.get());
        l->SetName(name);
        l->SetParent(form.get());
        l->SetCaption(caption);
        l->SetBounds(8, top, kWidth, 13);
        return l;
    };
    label("PrintersLabel", "&Printer:", 8);
    auto* box = new TComboBox(form.get());
    box->SetName("Printers");
    box->SetParent(form.get());
    box->SetStyle(csDropDownList);
    box->SetBounds(8, 26, kWidth, 21);
    for (const std::string& name : names) box->Items()->Add(name);
    box->SetItemIndex(printer.PrinterIndex());
    label("FileNameLabel", "PDF &file:", 56);
    auto* file = new TEdit(form.get());
    file->SetName("FileName");
    file->SetParent(form.get());
    file->SetBounds(8, 74, kWidth, 21);
    file->SetText(printer.FileName());
    const struct {
        const char* name;
        const char* caption;
        TModalResult result;
    } buttons[] = {{"OK", "OK", mrOk}, {"Cancel", "Cancel", mrCancel}};
    int left = 8 + kWidth - 2 * kButtonWidth - 6;
    for (const auto& b : buttons) {
        auto* button = new TButton(form.get());
        button->SetName(b.name);
        button->SetParent(form.get());
        button->SetCaption(b.caption);
        button->SetModalResult(b.result);
        button->SetBounds(left, 108, kButtonWidth, kButtonHeight);
        button->SetDefault(b.result == mrOk);
        button->SetCancel(b.result == mrCancel);
        left += kButtonWidth + 6;
    }
    form->SetClientWidth(kWidth + 16);
    form->SetClientHeight(108 + kButtonHeight + 8);
    form->SetActiveControl(box);
    if (DialogService().ShowModal(*form) != mrOk) return false;
    if (box->ItemIndex() >= 0) printer.SetPrinterIndex(box->ItemIndex());
    printer.SetFileName(file->Text());
    return true;
}

}  // namespace ui
