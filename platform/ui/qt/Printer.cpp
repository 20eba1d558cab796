// The window system's printers over QPrinter, and laying rich text out on their pages.

#include "platform/ui/qt/Printer.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>

#include <cmath>
#include <memory>

#include "platform/rtl/Log.h"
#include "platform/ui/qt/QtCanvas.h"
#include "platform/ui/qt/RichDocument.h"

namespace ui::qt {

namespace {

bool IsPdf(const TPrinterSetup& setup) { return setup.printer == kPdfPrinterName; }

void Configure(QPrinter& printer, const TPrinterSetup& setup)
{
    if (IsPdf(setup)) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(setup.fileName));
    } else {
        printer.setOutputFormat(QPrinter::NativeFormat);
        printer.setPrinterName(QString::fromStdString(setup.printer));
    }
    const TPaperSize& paper = PaperOfCode(setup.paper);
    printer.setPageSize(QPageSize(QSizeF(paper.widthMm, paper.heightMm), QPageSize::Millimeter,
                                  QString::fromLatin1(paper.name), QPageSize::ExactMatch));
    printer.setPageOrientation(setup.orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    if (IsPdf(setup)) {
        // A file has no edge a printer cannot reach: the page is the whole sheet.
        printer.setFullPage(true);
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    }
    printer.setDocName(QString::fromStdString(setup.title));
}

TPrinterMetrics MetricsOf(QPrinter& printer)
{
    TPrinterMetrics m;
    m.pixelsPerInchX = printer.logicalDpiX();
    m.pixelsPerInchY = printer.logicalDpiY();
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    m.physicalSize = {static_cast<int>(std::lround(paper.width())), static_cast<int>(std::lround(paper.height()))};
    m.offset = {static_cast<int>(std::lround(page.left() - paper.left())),
                static_cast<int>(std::lround(page.top() - paper.top()))};
    m.pageSize = {static_cast<int>(std::lround(page.width())), static_cast<int>(std::lround(page.height()))};
    return m;
}

// A document laid out at one width with the printer's fonts; kept while the text and the
// width stay the same, since a job lays out every page twice.
struct TLayout {
    const QTextDocument* source = nullptr;
    int revision = -1;
    int width = -1;
    std::unique_ptr<QTextDocument> document;
};

class TQtPrintJob : public IPrintJob {
public:
    explicit TQtPrintJob(const TPrinterSetup& setup) : setup_(setup), printer_(QPrinter::HighResolution)
    {
        Configure(printer_, setup);
        if (IsPdf(setup) && setup.fileName.empty()) throw EPrinter("The PDF printer has no file to write to.");
        if (!painter_.begin(&printer_))
            throw EPrinter("The printer \"" + setup.printer + "\" could not start printing.");
        device_ = std::make_unique<TQtDevice>(painter_);
    }
    ~TQtPrintJob() override
    {
        if (painter_.isActive()) Abort();
    }

    ICanvasDevice& Device() override { return *device_; }

    void NewPage() override
    {
        if (!printer_.newPage()) throw EPrinter("The printer \"" + setup_.printer + "\" could not start a page.");
    }

    void End() override
    {
        if (!painter_.end()) throw EPrinter("The printer \"" + setup_.printer + "\" could not finish the job.");
    }

    void Abort() override
    {
        printer_.abort();
        if (painter_.isActive()) painter_.end();
        // No half-written file stays behind.
        if (IsPdf(setup_) && QFile::exists(printer_.outputFileName())) QFile::remove(printer_.outputFileName());
    }

    int FormatRange(IRichDocument& document, int start, const TRect& rect, bool render) override;

private:
    QTextDocument* LaidOut(const QTextDocument& source, int width);

    TPrinterSetup setup_;
    QPrinter printer_;
    QPainter painter_;
    std::unique_ptr<TQtDevice> device_;
    TLayout layout_;
};

QTextDocument* TQtPrintJob::LaidOut(const QTextDocument& source, int width)
{
    if (layout_.source == &source && layout_.revision == source.revision() && layout_.width == width)
        return layout_.document.get();
    std::unique_ptr<QTextDocument> copy(source.clone());
    copy->documentLayout()->setPaintDevice(&printer_);
    copy->setDocumentMargin(0);
    // The window's edit margins are no part of a printed page.
    QTextFrameFormat frame = copy->rootFrame()->frameFormat();
    frame.setMargin(0);
    frame.setPadding(0);
    copy->rootFrame()->setFrameFormat(frame);
    copy->setTextWidth(width);
    layout_ = {&source, source.revision(), width, std::move(copy)};
    return layout_.document.get();
}

int TQtPrintJob::FormatRange(IRichDocument& document, int start, const TRect& rect, bool render)
{
    auto* rich = dynamic_cast<TQtRichDocument*>(&document);
    const int width = rect.Right - rect.Left, height = rect.Bottom - rect.Top;
    if (rich == nullptr || width <= 0 || height <= 0) return start;
    QTextDocument* doc = LaidOut(rich->Document(), width);
    const int length = doc->characterCount() - 1;
    if (start >= length) return length;
    QTextBlock block = doc->findBlock(std::max(start, 0));
    const QTextLayout* first = block.layout();
    const QTextLine firstLine = first->lineForTextPosition(std::max(start, 0) - block.position());
    if (!firstLine.isValid()) return start;
    const double top = first->position().y() + firstLine.y();
    double bottom = top;
    int next = length;
    int lineIndex = firstLine.lineNumber();
    for (bool full = false; block.isValid() && !full; block = block.next(), lineIndex = 0) {
        const QTextLayout* layout = block.layout();
        for (; lineIndex < layout->lineCount(); ++lineIndex) {
            const QTextLine line = layout->lineAt(lineIndex);
            const double lineBottom = layout->position().y() + line.y() + line.height();
            if (lineBottom - top > height + 0.5) {
                next = block.position() + line.textStart();
                full = true;
                break;
            }
            bottom = lineBottom;
        }
    }
    if (render && bottom > top) {
        painter_.save();
        painter_.setClipRect(QRectF(rect.Left, rect.Top, width, bottom - top));
        painter_.translate(rect.Left, rect.Top - top);
        QAbstractTextDocumentLayout::PaintContext context;
        // Inside the lines by a pixel: a line touching the edge would be drawn too, and text
        // clipped from sight still counts as printed text in a file.
        context.clip = QRectF(0, top + 1, width, bottom - top - 2);
        context.palette.setColor(QPalette::Text, Qt::black);
        doc->documentLayout()->draw(&painter_, context);
        painter_.restore();
    }
    return std::max(next, start);
}

class TQtPrinters : public IPrinterBackend {
public:
    std::vector<std::string> PrinterNames() override
    {
        std::vector<std::string> names;
        for (const QString& name : QPrinterInfo::availablePrinterNames()) names.push_back(name.toStdString());
        names.emplace_back(kPdfPrinterName);
        return names;
    }

    int DefaultPrinter() override
    {
        const std::vector<std::string> names = PrinterNames();
        const std::string preferred = QPrinterInfo::defaultPrinterName().toStdString();
        for (std::size_t i = 0; i < names.size(); ++i)
            if (!preferred.empty() && names[i] == preferred) return static_cast<int>(i);
        // Without a default the first system printer, else the PDF printer.
        return 0;
    }

    TPrinterMetrics Metrics(const TPrinterSetup& setup) override
    {
        QPrinter printer(QPrinter::HighResolution);
        Configure(printer, setup);
        return MetricsOf(printer);
    }

    std::unique_ptr<IPrintJob> BeginDoc(const TPrinterSetup& setup) override
    {
        return std::make_unique<TQtPrintJob>(setup);
    }
};

}  // namespace

IPrinterBackend& QtPrinters()
{
    static TQtPrinters printers;
    return printers;
}

}  // namespace ui::qt
