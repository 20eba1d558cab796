#pragma once
// TPrinter: the printers the window system offers (its system printers and a printer that
// writes PDF files), the one chosen, its paper and orientation, and one print job at a time.
// Printer() is the program's printer; TPrintDialog chooses it through the dialog service.
//
// Promises:
// - With no printers installed (SetPrinterBackend) or none offered, Printers() is empty and
//   BeginDoc raises EPrinter ("There is no printer installed.") with no job left open.
// - BeginDoc, NewPage, EndDoc: one job at a time. BeginDoc inside a job raises "Printing in
//   progress."; NewPage, EndDoc and FormatRange outside one raise "Printer is not
//   printing: ...".
//   A job that fails to start leaves Printing() false; Abort drops the job. TPrintJobScope
//   begins a job and aborts it when left without Finish, so no job outlives an exception.
// - Metrics (resolution, the physical page, the printable offset and page) follow the chosen
//   printer, paper and orientation, in device pixels; they read the same inside a job.
// - Paper goes by its stored code (1 Letter, 5 Legal, 8 A3, 9 A4, 11 A5 ...). A code the
//   table lacks is kept as it is and laid out on Letter.
// - FormatRange lays a rich document out from a character in a rectangle of the page (device
//   pixels), draws it when asked, and answers the first character that did not fit: the
//   start itself when not even one line fits, the document's length when all did.

#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/rtl/Exceptions.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Types.h"

namespace ui {

class IRichDocument;

class EPrinter : public rtl::Exception {
    using rtl::Exception::Exception;
};

enum TPrinterOrientation { poPortrait, poLandscape };

// One paper of the table: its stored code, its name and its portrait size in millimetres.
struct TPaperSize {
    int code = 0;
    const char* name = "";
    double widthMm = 0;
    double heightMm = 0;
};
// The papers known, by code.
const std::vector<TPaperSize>& PaperSizes();
// The paper of `code`; Letter for a code the table lacks.
const TPaperSize& PaperOfCode(int code);
inline constexpr int kPaperLetter = 1;

// What a printer reports of its page (device pixels).
struct TPrinterMetrics {
    int pixelsPerInchX = 0;
    int pixelsPerInchY = 0;
    TPoint physicalSize;  // the whole sheet
    TPoint offset;        // where the printable area starts
    TPoint pageSize;      // the printable area
};

// The settings a job is printed with.
struct TPrinterSetup {
    std::string printer;
    int paper = kPaperLetter;
    TPrinterOrientation orientation = poPortrait;
    std::string title;
    std::string fileName;  // where the PDF printer writes
};

// One job, as the backend runs it.
class IPrintJob {
public:
    virtual ~IPrintJob() = default;
    virtual ICanvasDevice& Device() = 0;
    virtual void NewPage() = 0;
    // Finishes the job (EPrinter when the output cannot be completed).
    virtual void End() = 0;
    virtual void Abort() = 0;
    virtual int FormatRange(IRichDocument& document, int start, const TRect& rect, bool render) = 0;
};

// The printers of a window system; the Qt backend installs its own when it starts.
class IPrinterBackend {
public:
    virtual ~IPrinterBackend() = default;
    virtual std::vector<std::string> PrinterNames() = 0;
    // The index of the default printer in PrinterNames, -1 when there is none.
    virtual int DefaultPrinter() = 0;
    virtual TPrinterMetrics Metrics(const TPrinterSetup& setup) = 0;
    // Starts a job; EPrinter when it cannot.
    virtual std::unique_ptr<IPrintJob> BeginDoc(const TPrinterSetup& setup) = 0;
};

// The name of the printer that writes PDF files (its FileName).
inline constexpr const char* kPdfPrinterName = "PDF file";

// Installs the printers (nullptr: none) and answers the previous ones; the printer starts
// over on the default printer.
IPrinterBackend* SetPrinterBackend(IPrinterBackend* backend);
class TPrinterBackendScope {
public:
    explicit TPrinterBackendScope(IPrinterBackend* backend) : previous_(SetPrinterBackend(backend)) {}
    ~TPrinterBackendScope() { SetPrinterBackend(previous_); }
    TPrinterBackendScope(const TPrinterBackendScope&) = delete;
    TPrinterBackendScope& operator=(const TPrinterBackendScope&) = delete;

private:
    IPrinterBackend* previous_;
};

class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    std::vector<std::string> Printers() const;
    // The printer chosen; -1 chooses the default one.
    int PrinterIndex() const;
    void SetPrinterIndex(int index);
    std::string PrinterName() const;

    const std::string& Title() const noexcept { return setup_.title; }
    void SetTitle(const std::string& title) { setup_.title = title; }
    const std::string& FileName() const noexcept { return setup_.fileName; }
    void SetFileName(const std::string& fileName) { setup_.fileName = fileName; }
    TPrinterOrientation Orientation() const noexcept { return setup_.orientation; }
    void SetOrientation(TPrinterOrientation orientation);
    int PaperSize() const noexcept { return setup_.paper; }
    void SetPaperSize(int code);

    TPrinterMetrics Metrics() const;
    int PageWidth() const { return Metrics().pageSize.X; }
    int PageHeight() const { return Metrics().pageSize.Y; }

    void BeginDoc();
    void NewPage();
    void EndDoc();
    void Abort();
    bool Printing() const noexcept { return job_ != nullptr; }
    int PageNumber() const noexcept { return pageNumber_; }
    // Draws on the job's page; without a job it draws nowhere.
    TCanvas* Canvas() noexcept { return &canvas_; }
    int FormatRange(IRichDocument& document, int start, const TRect& rect, bool render);

    // The backend changed: back to the default printer.
    void Reset();

private:
    IPrinterBackend* Backend() const;
    TPrinterSetup Setup() const;
    void CheckPrinting(const char* what) const;

    TPrinterSetup setup_;
    int index_ = -1;
    std::unique_ptr<IPrintJob> job_;
    int pageNumber_ = 0;
    TCanvas canvas_;
};

TPrinter& Printer();

// A job for the length of a scope: begun on construction, ended by Finish, aborted when the
// scope is left without it.
class TPrintJobScope {
public:
    explicit TPrintJobScope(TPrinter& printer) : printer_(printer) { printer_.BeginDoc(); }
    ~TPrintJobScope();
    TPrintJobScope(const TPrintJobScope&) = delete;
    TPrintJobScope& operator=(const TPrintJobScope&) = delete;
    void Finish();

private:
    TPrinter& printer_;
    bool finished_ = false;
};

// Chooses the printer (and the PDF printer's file) in a form run by the dialog service: the
// combo box "Printers", the edit "FileName", buttons "OK" and "Cancel". OK makes the choice
// Printer()'s.
class TPrintDialog : public TCommonDialog {
    GW_CLASS(TPrintDialog)

public:
    explicit TPrintDialog(classes::TComponent* owner) : TCommonDialog(owner) {}
    bool Execute() override;
};

}  // namespace ui
