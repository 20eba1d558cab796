// Printing rich text: the page rectangle, the paper map, paging over a scripted printer, the
// printer's errors, printer-size editing, the page setup driven offscreen, and real PDF
// files read back with poppler's tools.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editctrls/gkDBRichEdit.h"
#include "editctrls/gkPageSetupDlg.h"
#include "editctrls/gkRichPrint.h"
#include "platform/classes/Streaming.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Printer.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/qt/QtUi.h"
#include "platform/ui/testing/TestDialogs.h"

namespace {

using namespace editctrls;

// Letter at 600 pixels per inch with a quarter inch the printer cannot reach on every side.
ui::TPrinterMetrics LetterAt600()
{
    ui::TPrinterMetrics m;
    m.pixelsPerInchX = m.pixelsPerInchY = 600;
    m.physicalSize = {5100, 6600};
    m.offset = {150, 150};
    m.pageSize = {4800, 6300};
    return m;
}

// A printer that records what a job did; its layout answers come from `layout`.
class TScriptedPrinters : public ui::IPrinterBackend {
public:
    struct TCall {
        int start;
        bool render;
        ui::TRect rect;
    };
    std::vector<std::string> names{"Office"};
    ui::TPrinterMetrics metrics = LetterAt600();
    std::function<int(int start, bool render)> layout = [](int start, bool) { return start; };
    std::optional<std::string> refuse;  // BeginDoc fails with this
    std::vector<TCall> calls;
    int newPages = 0, ended = 0, aborted = 0, begun = 0;
    ui::TPrinterSetup lastSetup;

    std::vector<std::string> PrinterNames() override { return names; }
    int DefaultPrinter() override { return names.empty() ? -1 : 0; }
    ui::TPrinterMetrics Metrics(const ui::TPrinterSetup&) override { return metrics; }
    std::unique_ptr<ui::IPrintJob> BeginDoc(const ui::TPrinterSetup& setup) override
    {
        if (refuse) throw ui::EPrinter(*refuse);
        ++begun;
        lastSetup = setup;
        return std::make_unique<TJob>(*this);
    }

private:
    class TJob : public ui::IPrintJob {
    public:
        explicit TJob(TScriptedPrinters& owner) : owner_(owner) {}
        ui::ICanvasDevice& Device() override { return device_; }
        void NewPage() override { ++owner_.newPages; }
        void End() override { ++owner_.ended; }
        void Abort() override { ++owner_.aborted; }
        int FormatRange(ui::IRichDocument&, int start, const ui::TRect& rect, bool render) override
        {
            owner_.calls.push_back({start, render, rect});
            return owner_.layout(start, render);
        }

    private:
        TScriptedPrinters& owner_;
        ui::TRecordingDevice device_;
    };
};

class RichPrintTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ui::qt::Install();
        RegisterRichEditClasses();
    }
    void SetUp() override
    {
        form = std::make_unique<ui::TForm>(nullptr);
        edit = new TgkDBRichEdit(form.get());
        edit->SetParent(form.get());
        edit->SetBounds(0, 0, 300, 200);
        ui::Printer().SetOrientation(ui::poPortrait);
        ui::Printer().SetPaperSize(ui::kPaperLetter);
    }
    void TearDown() override
    {
        ui::Printer().SetOrientation(ui::poPortrait);
        ui::Printer().SetPaperSize(ui::kPaperLetter);
    }

    std::unique_ptr<ui::TForm> form;
    TgkDBRichEdit* edit = nullptr;
};

TEST_F(RichPrintTest, ThePageRectangleKeepsInsideThePrintableAreaWhateverTheMargins)
{
    struct Case {
        const char* what;
        double left, top, right, bottom;
        TgkMeasurementUnits units;
        ui::TPoint offset;
        ui::TRect expected;  // twips from the printable corner
    };
    // Letter is 12240 x 15840 twips; the offset of 150 pixels is 360 twips.
    const Case cases[] = {
        {"an inch each", 1, 1, 1, 1, muInches, {150, 150}, {1080, 1080, 10440, 14040}},
        {"no unprintable edge", 1, 1, 1, 1, muInches, {0, 0}, {1440, 1440, 10800, 14400}},
        {"margins inside the offset print at it", 0.1, 0.1, 0.1, 0.1, muInches, {150, 150}, {0, 0, 11520, 15120}},
        {"no margins", 0, 0, 0, 0, muInches, {150, 150}, {0, 0, 11520, 15120}},
        {"two centimetres", 2, 2, 2, 2, muCentimeters, {150, 150}, {773, 773, 10747, 14347}},
        {"left margin past the page", 10, 1, 0, 1, muInches, {150, 150}, {11520, 1080, 11520, 14040}},
        {"margins crossing each other", 5, 6, 5, 6, muInches, {150, 150}, {6840, 8280, 6840, 8280}},
        {"bottom margin past the page", 1, 1, 1, 20, muInches, {150, 150}, {1080, 1080, 10440, 1080}},
    };
    for (const Case& c : cases) {
        TgkPrintMargins margins;
        margins.SetLeft(c.left);
        margins.SetTop(c.top);
        margins.SetRight(c.right);
        margins.SetBottom(c.bottom);
        ui::TPrinterMetrics m = LetterAt600();
        m.offset = c.offset;
        EXPECT_EQ(gkPrintMarginRect(margins, c.units, m), c.expected) << c.what;
    }
}

TEST_F(RichPrintTest, PaperCodesMapToTheirSheetsAndAnUnknownCodeIsKeptOnLetter)
{
    struct Case {
        int code;
        const char* name;
        double width, height;
    };
    const Case cases[] = {
        {1, "Letter", 215.9, 279.4}, {5, "Legal", 215.9, 355.6}, {8, "A3", 297, 420},
        {9, "A4", 210, 297},         {11, "A5", 148, 210},        {999, "Letter", 215.9, 279.4},
    };
    ui::TPrinter& printer = ui::Printer();
    const std::vector<std::string> names = printer.Printers();
    const auto pdf = std::find(names.begin(), names.end(), ui::kPdfPrinterName);
    ASSERT_NE(pdf, names.end()) << "the window system offers the PDF printer";
    printer.SetPrinterIndex(static_cast<int>(pdf - names.begin()));
    for (const Case& c : cases) {
        const ui::TPaperSize& paper = ui::PaperOfCode(c.code);
        EXPECT_STREQ(paper.name, c.name) << c.code;
        EXPECT_DOUBLE_EQ(paper.widthMm, c.width) << c.code;
        EXPECT_DOUBLE_EQ(paper.heightMm, c.height) << c.code;
        // The printer keeps the code and lays its page out on the sheet.
        printer.SetPaperSize(c.code);
        EXPECT_EQ(printer.PaperSize(), c.code);
        const ui::TPrinterMetrics m = printer.Metrics();
        // Sheets are kept to whole points.
        EXPECT_NEAR(m.physicalSize.X, c.width / 25.4 * m.pixelsPerInchX, m.pixelsPerInchX / 72.0 + 1) << c.code;
        EXPECT_NEAR(m.physicalSize.Y, c.height / 25.4 * m.pixelsPerInchY, m.pixelsPerInchY / 72.0 + 1) << c.code;
    }
    printer.SetPaperSize(9);
    printer.SetOrientation(ui::poLandscape);
    const ui::TPrinterMetrics landscape = printer.Metrics();
    EXPECT_GT(landscape.physicalSize.X, landscape.physicalSize.Y);
    printer.SetPrinterIndex(-1);
}

TEST_F(RichPrintTest, PagingMeasuresFirstThenPrintsEachPageOnceAndStopsWhereNothingFits)
{
    struct Case {
        const char* what;
        std::function<int(int, bool)> layout;
        int pages;
        std::vector<int> printedStarts;
    };
    // The text is 100 characters long.
    const Case cases[] = {
        {"forty a page", [](int s, bool) { return std::min(s + 40, 100); }, 3, {0, 40, 80}},
        {"all on one page", [](int, bool) { return 100; }, 1, {0}},
        {"nothing fits", [](int s, bool) { return s; }, 1, {}},
        {"the layout fails", [](int, bool) { return -1; }, 1, {}},
        {"the second page takes nothing",
         [](int s, bool render) { return render && s == 40 ? 40 : std::min(s + 40, 100); }, 2, {0, 40}},
        {"measuring ends early", [](int s, bool render) { return render ? std::min(s + 40, 100) : 40; },
         1, {0}},
    };
    edit->SetPlainTextContent(std::string(100, 'x'));
    for (const Case& c : cases) {
        TScriptedPrinters printers;
        printers.layout = c.layout;
        ui::TPrinterBackendScope scope(&printers);
        edit->Print("Job");
        std::vector<int> printed;
        for (const auto& call : printers.calls)
            if (call.render) printed.push_back(call.start);
        EXPECT_EQ(printers.newPages + 1, c.pages) << c.what;
        EXPECT_EQ(printed, c.printedStarts) << c.what;
        EXPECT_EQ(printers.ended, 1) << c.what;
        EXPECT_EQ(printers.aborted, 0) << c.what;
        EXPECT_EQ(printers.lastSetup.title, "Job") << c.what;
        EXPECT_FALSE(ui::Printer().Printing()) << c.what;
    }
}

TEST_F(RichPrintTest, ThePageRectOrTheMarginsGiveTheRectangleInPrinterPixels)
{
    edit->SetPlainTextContent("text");
    TScriptedPrinters printers;
    printers.layout = [](int, bool) { return 4; };
    ui::TPrinterBackendScope scope(&printers);
    edit->Print("Margins");
    ASSERT_FALSE(printers.calls.empty());
    // An inch less the quarter-inch offset, at 600 pixels per inch.
    EXPECT_EQ(printers.calls.front().rect, (ui::TRect{450, 450, 4350, 5850}));
    printers.calls.clear();
    edit->SetPageRect({600, 1200, 3000, 4800});
    edit->Print("PageRect");
    ASSERT_FALSE(printers.calls.empty());
    EXPECT_EQ(printers.calls.front().rect, (ui::TRect{600, 1200, 3000, 4800}));
}

TEST_F(RichPrintTest, PrintingWithoutAPrinterRaisesThePrintersErrorAndLeavesNoJobOpen)
{
    edit->SetPlainTextContent("text");
    TScriptedPrinters none;
    none.names.clear();
    {
        ui::TPrinterBackendScope scope(&none);
        try {
            edit->Print("Nothing");
            ADD_FAILURE() << "printed without a printer";
        } catch (const ui::EPrinter& e) {
            EXPECT_STREQ(e.what(), "There is no printer installed.");
        }
        EXPECT_FALSE(ui::Printer().Printing());
    }
    TScriptedPrinters refusing;
    refusing.refuse = "The printer is offline.";
    {
        ui::TPrinterBackendScope scope(&refusing);
        EXPECT_THROW(edit->Print("Offline"), ui::EPrinter);
        EXPECT_FALSE(ui::Printer().Printing());
    }
    // A failure in the middle of the job aborts it.
    TScriptedPrinters failing;
    failing.layout = [](int s, bool render) -> int {
        if (render) throw ui::EPrinter("Out of paper.");
        return s + 4;
    };
    ui::TPrinterBackendScope scope(&failing);
    EXPECT_THROW(edit->Print("Jam"), ui::EPrinter);
    EXPECT_EQ(failing.aborted, 1);
    EXPECT_EQ(failing.ended, 0);
    EXPECT_FALSE(ui::Printer().Printing());
    // And the printer takes the next job.
    failing.layout = [](int, bool) { return 4; };
    edit->Print("Again");
    EXPECT_EQ(failing.ended, 1);
}

TEST_F(RichPrintTest, JobCallsOutsideAJobAreRefused)
{
    TScriptedPrinters printers;
    ui::TPrinterBackendScope scope(&printers);
    ui::TPrinter& printer = ui::Printer();
    EXPECT_THROW(printer.NewPage(), ui::EPrinter);
    EXPECT_THROW(printer.EndDoc(), ui::EPrinter);
    {
        ui::TPrintJobScope job(printer);
        EXPECT_TRUE(printer.Printing());
        EXPECT_THROW(printer.BeginDoc(), ui::EPrinter);
        EXPECT_THROW(printer.SetPaperSize(9), ui::EPrinter);
    }  // left without Finish: aborted
    EXPECT_EQ(printers.aborted, 1);
    EXPECT_FALSE(printer.Printing());
}

TEST_F(RichPrintTest, PrinterSizeEditingFollowsThePrinterPageOnlyWithAPrinter)
{
    edit->SetGutterWidth(3);
    edit->SetEditWidth(rewPrinterSize);
    TScriptedPrinters printers;
    {
        ui::TPrinterBackendScope scope(&printers);
        edit->SetEditWidth(rewPrinterSize);
        EXPECT_TRUE(edit->PrinterSizeEditing());
        // 8.5 in less two 1-in margins at 96 pixels per inch, plus the gutter and 4; the
        // page's height of 6300 printer pixels at 96.
        EXPECT_EQ(edit->EditRect(), (ui::TRect{13, 0, 631, 1008}));
        EXPECT_EQ(edit->WrapWidth(), 631);
        edit->PrintMargins()->SetLeft(2);
        edit->PageSetupChanged();
        EXPECT_EQ(edit->WrapWidth(), 535);
        // The paper goes to the printer.
        edit->SetPrintPageSize(9);
        EXPECT_EQ(ui::Printer().PaperSize(), 9);
    }
    TScriptedPrinters none;
    none.names.clear();
    ui::TPrinterBackendScope scope(&none);
    edit->SetEditWidth(rewPrinterSize);
    EXPECT_FALSE(edit->PrinterSizeEditing());
    EXPECT_EQ(edit->EditRect(), (ui::TRect{1, 2, 298, 198}));
    EXPECT_EQ(edit->WrapWidth(), 0);
}

TEST_F(RichPrintTest, PageSetupPassesMarginsInThousandthsOfTheUnit)
{
    struct Case {
        TgkMeasurementUnits units;
        double left, top, right, bottom;
        TgkPageSetupValues expected;
    };
    const Case cases[] = {
        {muInches, 1, 1, 1, 1, {1000, 1000, 1000, 1000, true}},
        {muCentimeters, 1, 1, 1, 1, {1000, 1000, 1000, 1000, false}},
        {muInches, 0.29, 0.5, 1.25, 0, {290, 500, 1250, 0, true}},
        {muCentimeters, 2.54, 0.1, 3.3, 2, {2540, 100, 3300, 2000, false}},
    };
    TScriptedPrinters printers;
    ui::TPrinterBackendScope scope(&printers);
    for (const Case& c : cases) {
        edit->SetMeasurementUnits(c.units);
        edit->PrintMargins()->SetLeft(c.left);
        edit->PrintMargins()->SetTop(c.top);
        edit->PrintMargins()->SetRight(c.right);
        edit->PrintMargins()->SetBottom(c.bottom);
        const TgkPageSetupValues v = gkPageSetupValues(*edit);
        EXPECT_EQ(v.left, c.expected.left) << c.left;
        EXPECT_EQ(v.top, c.expected.top) << c.top;
        EXPECT_EQ(v.right, c.expected.right) << c.right;
        EXPECT_EQ(v.bottom, c.expected.bottom) << c.bottom;
        EXPECT_EQ(v.inches, c.expected.inches);
        // An unchanged setup gives the margins back as they were.
        gkApplyPageSetup(*edit, v);
        EXPECT_DOUBLE_EQ(edit->PrintMargins()->Left(), c.left);
        EXPECT_DOUBLE_EQ(edit->PrintMargins()->Top(), c.top);
        EXPECT_DOUBLE_EQ(edit->PrintMargins()->Right(), c.right);
        EXPECT_DOUBLE_EQ(edit->PrintMargins()->Bottom(), c.bottom);
    }
}

TEST_F(RichPrintTest, ThePageSetupFormIsDrivenThroughTheDialogService)
{
    TScriptedPrinters printers;
    ui::TPrinterBackendScope scope(&printers);
    TgkPageSetupDialog dialog(form.get());
    dialog.SetRichEdit(edit);
    edit->SetMeasurementUnits(muCentimeters);

    // Window-size editing: the paper is not offered; OK takes typed margins and orientation.
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope answering(dialogs);
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        EXPECT_FALSE(f.Get<ui::TComboBox>("PaperBox")->Enabled());
        EXPECT_EQ(f.Get<ui::TGroupBox>("MarginsGroup")->Caption(), "Margins (centimeters)");
        EXPECT_EQ(f.Get<ui::TEdit>("LeftEdit")->Text(), "1");
        f.Get<ui::TEdit>("LeftEdit")->SetText("2.5");
        f.Get<ui::TEdit>("BottomEdit")->SetText(" 0 ");
        f.Get<ui::TRadioGroup>("OrientationGroup")->SetItemIndex(1);
        f.Get<ui::TButton>("OKBtn")->Click();
        return ui::mrNone;
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_DOUBLE_EQ(edit->PrintMargins()->Left(), 2.5);
    EXPECT_DOUBLE_EQ(edit->PrintMargins()->Bottom(), 0);
    EXPECT_DOUBLE_EQ(edit->PrintMargins()->Top(), 1);
    EXPECT_EQ(ui::Printer().Orientation(), ui::poLandscape);

    // A margin that is no number keeps the form open on its edit; Cancel then changes nothing.
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        auto* right = f.Get<ui::TEdit>("RightEdit");
        right->SetText("wide");
        f.Get<ui::TEdit>("TopEdit")->SetText("4");
        f.Get<ui::TRadioGroup>("OrientationGroup")->SetItemIndex(0);
        f.Get<ui::TButton>("OKBtn")->Click();
        EXPECT_EQ(f.ModalResult(), ui::mrNone);
        EXPECT_EQ(f.ActiveControl(), right);
        f.Get<ui::TButton>("CancelBtn")->Click();
        return ui::mrNone;
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_DOUBLE_EQ(edit->PrintMargins()->Top(), 1);
    EXPECT_EQ(ui::Printer().Orientation(), ui::poLandscape);

    // Under printer-size editing the paper is offered, starting from the control's own.
    edit->SetEditWidth(rewPrinterSize);
    edit->SetPrintPageSize(9);
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        auto* paper = f.Get<ui::TComboBox>("PaperBox");
        EXPECT_TRUE(paper->Enabled());
        EXPECT_EQ(paper->Items()->Strings(paper->ItemIndex()), "A4");
        paper->SetItemIndex(paper->Items()->IndexOf("A5"));
        f.Get<ui::TButton>("OKBtn")->Click();
        return ui::mrNone;
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(edit->PrintPageSize(), 11);
    EXPECT_EQ(ui::Printer().PaperSize(), 11);
    // A code the table lacks comes back unchanged.
    edit->SetPrintPageSize(256);
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        f.Get<ui::TButton>("OKBtn")->Click();
        return ui::mrNone;
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(edit->PrintPageSize(), 256);
    EXPECT_TRUE(dialogs.Unexpected().empty());
}

TEST_F(RichPrintTest, ThePrintDialogChoosesThePrinterAndTheFileOnlyOnOK)
{
    TScriptedPrinters printers;
    printers.names = {"Office", "Hall", ui::kPdfPrinterName};
    ui::TPrinterBackendScope scope(&printers);
    ui::TPrintDialog dialog(form.get());
    ui::TScriptedDialogs dialogs;
    ui::TDialogServiceScope answering(dialogs);
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        auto* box = f.Get<ui::TComboBox>("Printers");
        EXPECT_EQ(box->Items()->Count(), 3);
        EXPECT_EQ(box->ItemIndex(), 0);
        box->SetItemIndex(2);
        f.Get<ui::TEdit>("FileName")->SetText("/tmp/out.pdf");
        return ui::mrOk;
    });
    dialogs.AnswerModal([](ui::TCustomForm& f) {
        f.Get<ui::TComboBox>("Printers")->SetItemIndex(1);
        f.Get<ui::TEdit>("FileName")->SetText("/tmp/other.pdf");
        return ui::mrCancel;
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(ui::Printer().PrinterName(), ui::kPdfPrinterName);
    EXPECT_EQ(ui::Printer().FileName(), "/tmp/out.pdf");
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(ui::Printer().PrinterName(), ui::kPdfPrinterName);
    EXPECT_EQ(ui::Printer().FileName(), "/tmp/out.pdf");
    EXPECT_TRUE(dialogs.Unexpected().empty());
    ui::Printer().SetFileName("");
}

TEST_F(RichPrintTest, PrintMarginsPageSizeJobNameAndEditorPositionAreStored)
{
    edit->SetName("notes");
    edit->EditorPosition().Assign(TgkFormPosition(40, 0, 640, 480));
    edit->PrintMargins()->SetLeft(0.5);
    edit->PrintMargins()->SetBottom(2.25);
    edit->SetPrintPageSize(9);
    edit->SetPrintJobName("Notes");
    const std::string written = classes::WriteComponentText(*form);
    EXPECT_NE(written.find("PrintMargins.Left = 0.5"), std::string::npos) << written;
    EXPECT_EQ(written.find("PrintMargins.Top"), std::string::npos) << written;
    ui::TForm target(nullptr);
    classes::ReadComponentText(target, written);
    auto* read = dynamic_cast<TgkDBRichEdit*>(target.FindComponent("notes"));
    ASSERT_NE(read, nullptr);
    EXPECT_DOUBLE_EQ(read->PrintMargins()->Left(), 0.5);
    EXPECT_DOUBLE_EQ(read->PrintMargins()->Bottom(), 2.25);
    EXPECT_DOUBLE_EQ(read->PrintMargins()->Top(), 1);
    EXPECT_EQ(read->PrintPageSize(), 9);
    EXPECT_EQ(read->PrintJobName(), "Notes");
    EXPECT_TRUE(read->EditorPosition() == TgkFormPosition(40, 0, 640, 480));
    EXPECT_NE(written.find("EditorPosition.Width = 640"), std::string::npos) << written;
    EXPECT_EQ(written.find("EditorPosition.Top"), std::string::npos) << written;
}

// ---- Real PDF files ----------------------------------------------------------------------

struct TRendered {
    int pages = 0;
    QImage first;  // page 1 at 72 pixels per inch
    std::string text;
};

std::optional<std::string> Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed (is poppler-utils installed?): "
                      << process.readAllStandardError().toStdString();
        return std::nullopt;
    }
    return process.readAllStandardOutput().toStdString();
}

TRendered Render(const QString& pdf, const QTemporaryDir& dir)
{
    TRendered r;
    if (const auto info = Run("pdfinfo", {pdf})) {
        const std::size_t at = info->find("Pages:");
        if (at != std::string::npos) r.pages = std::stoi(info->substr(at + 6));
    }
    if (Run("pdftoppm", {"-r", "72", "-f", "1", "-l", "1", "-png", "-singlefile", pdf, dir.filePath("page")}))
        r.first.load(dir.filePath("page.png"));
    if (const auto text = Run("pdftotext", {"-layout", pdf, "-"})) r.text = *text;
    return r;
}

// The top left of the first non-white pixel: the topmost row with ink, its leftmost column
// over the whole page.
std::pair<int, int> FirstInk(const QImage& image)
{
    int top = -1, left = image.width();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                if (top < 0) top = y;
                left = std::min(left, x);
            }
    return {left, top};
}

std::string Lines(int count)
{
    std::string rtf = "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs24 ";
    for (int i = 1; i <= count; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "Line %03d\\par ", i);
        rtf += line;
    }
    return rtf + "}";
}

void ExpectEveryLineOnceInOrder(const std::string& text, int count)
{
    std::size_t from = 0;
    for (int i = 1; i <= count; ++i) {
        char line[16];
        std::snprintf(line, sizeof line, "Line %03d", i);
        const std::size_t at = text.find(line);
        ASSERT_NE(at, std::string::npos) << line << " missing";
        EXPECT_GE(at, from) << line << " out of order";
        EXPECT_EQ(text.find(line, at + 1), std::string::npos) << line << " printed twice";
        from = at;
    }
}

class RichPrintPdfTest : public RichPrintTest {
protected:
    void SetUp() override
    {
        RichPrintTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        const std::vector<std::string> names = ui::Printer().Printers();
        const auto pdf = std::find(names.begin(), names.end(), ui::kPdfPrinterName);
        ASSERT_NE(pdf, names.end());
        ui::Printer().SetPrinterIndex(static_cast<int>(pdf - names.begin()));
    }
    void TearDown() override
    {
        ui::Printer().SetPrinterIndex(-1);
        ui::Printer().SetFileName("");
        RichPrintTest::TearDown();
    }
    TRendered PrintToPdf(const std::string& name)
    {
        const QString file = dir.filePath(QString::fromStdString(name + ".pdf"));
        ui::Printer().SetFileName(file.toStdString());
        edit->Print(name);
        EXPECT_FALSE(ui::Printer().Printing());
        return Render(file, dir);
    }
    QTemporaryDir dir;
};

TEST_F(RichPrintPdfTest, PrintsPagesWithTheFirstInkInsideTheMarginsAndEveryLineOnce)
{
    struct Case {
        const char* what;
        int lines;
        TgkMeasurementUnits units;
        double margin;
        ui::TRect pageRect;  // printer pixels; empty: the margins
        int pages;
        double inkLeft, inkTop;  // inches
    };
    const Case cases[] = {
        {"one page, 1 in", 10, muInches, 1, {}, 1, 1, 1},
        {"three pages, 1 in", 100, muInches, 1, {}, 3, 1, 1},
        {"one page, 2 cm", 10, muCentimeters, 2, {}, 1, 2 / 2.54, 2 / 2.54},
        {"a page rectangle", 10, muInches, 1, {2400, 3600, 8400, 9600}, 1, 2, 3},
    };
    for (const Case& c : cases) {
        edit->StreamIn(Lines(c.lines));
        edit->SetMeasurementUnits(c.units);
        for (auto set : {&TgkPrintMargins::SetLeft, &TgkPrintMargins::SetTop, &TgkPrintMargins::SetRight,
                         &TgkPrintMargins::SetBottom})
            (edit->PrintMargins()->*set)(c.margin);
        edit->SetPageRect(c.pageRect);
        const TRendered r = PrintToPdf(std::string("print-") + std::to_string(&c - cases));
        EXPECT_EQ(r.pages, c.pages) << c.what;
        ASSERT_FALSE(r.first.isNull()) << c.what;
        const auto [left, top] = FirstInk(r.first);
        // At 72 pixels per inch: ink starts at the margin, within a glyph's bearing and the
        // line's leading.
        EXPECT_GE(left, c.inkLeft * 72 - 1) << c.what;
        EXPECT_LE(left, c.inkLeft * 72 + 6) << c.what;
        EXPECT_GE(top, c.inkTop * 72 - 1) << c.what;
        EXPECT_LE(top, c.inkTop * 72 + 12) << c.what;
        ExpectEveryLineOnceInOrder(r.text, c.lines);
    }
}

TEST_F(RichPrintPdfTest, ThePdfPrinterWithoutAFileRefusesAndLeavesNoJob)
{
    edit->SetPlainTextContent("text");
    ui::Printer().SetFileName("");
    EXPECT_THROW(edit->Print("No file"), ui::EPrinter);
    EXPECT_FALSE(ui::Printer().Printing());
}

}  // namespace
