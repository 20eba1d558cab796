// Self-painting controls on the Qt backend (offscreen): painting through the canvas into the
// window and into bitmaps, input arriving as messages in order, scroll bars, timers, posted
// messages, the caret, the clipboard and drag and drop between controls.

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QListView>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Bitmap.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/CustomControl.h"
#include "platform/ui/Input.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using namespace ui;
using Log = std::vector<std::string>;

QColor ColorAt(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

class TProbe : public TCustomControl {
public:
    explicit TProbe(classes::TComponent* owner) : TCustomControl(owner) {}
    Log log;
    bool logMoves = false;

    void Dispatch(TMessage& m) override
    {
        switch (m.Msg) {
        case WM_KEYDOWN: log.push_back("keydown " + std::to_string(m.WParam)); break;
        case WM_KEYUP: log.push_back("keyup " + std::to_string(m.WParam)); break;
        case WM_CHAR: log.push_back("char " + std::to_string(m.WParam)); break;
        case WM_LBUTTONDOWN:
            log.push_back("ldown " + std::to_string(LoWord(m.LParam)) + "," + std::to_string(HiWord(m.LParam)));
            break;
        case WM_LBUTTONUP: log.push_back("lup"); break;
        case WM_LBUTTONDBLCLK: log.push_back("ldblclk"); break;
        case WM_MOUSEMOVE:
            if (logMoves) log.push_back("move");
            break;
        case WM_MOUSEWHEEL: log.push_back("wheel " + std::to_string(SignedHiWord(m.WParam))); break;
        case WM_SETFOCUS: log.push_back("setfocus"); break;
        case WM_KILLFOCUS: log.push_back("killfocus"); break;
        case CM_ENTER: log.push_back("enter"); break;
        case CM_EXIT: log.push_back("exit"); break;
        case WM_TIMER: log.push_back("timer " + std::to_string(m.WParam)); break;
        case WM_USER: log.push_back("posted " + std::to_string(m.WParam)); break;
        case WM_VSCROLL: {
            const int code = LoWord(m.WParam);
            log.push_back("vscroll " + std::to_string(code));
            if (code == SB_LINEDOWN) SetScrollPos(sbVertical, GetScrollPos(sbVertical) + 1);
            if (code == SB_PAGEDOWN) SetScrollPos(sbVertical, GetScrollPos(sbVertical) + 7);  // not Qt's page
            break;
        }
        case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; return;
        default: break;
        }
        TCustomControl::Dispatch(m);
    }

protected:
    void Paint() override
    {
        TCanvas& c = *Canvas();
        c.Pen()->SetMode(pmCopy);  // the canvas keeps its pen between paints
        c.Brush()->SetColor(rtl::clRed);
        c.FillRect({10, 10, 30, 20});
        c.Pen()->SetColor(rtl::clBlue);
        c.Rectangle(40, 10, 60, 30);  // blue outline, red inside, right and bottom edges left out
        c.Pen()->SetMode(pmNot);
        c.MoveTo(0, 40);
        c.LineTo(20, 40);  // inverts the background: the last point stays out
    }
};

class QtCustomControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qt::Install(); }

    void SetUp() override
    {
        Application().Reset();
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(100, 100, 300, 220);
        probe = new TProbe(form.get());
        probe->SetParent(form.get());
        probe->SetBounds(10, 10, 120, 100);
        probe->SetColor(rtl::clWhite);
        other = new TProbe(form.get());
        other->SetParent(form.get());
        other->SetBounds(150, 10, 100, 100);
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(qt::WidgetOf(*form)));
        viewport = qt::PeerOf(*probe)->MouseWidget();
        ASSERT_NE(viewport, nullptr);
    }

    void TearDown() override
    {
        form.reset();
        Application().ProcessMessages();
        QCursor::setPos(0, 0);  // the next tests expect no pointer over their windows
    }

    std::unique_ptr<TForm> form;
    TProbe* probe = nullptr;
    TProbe* other = nullptr;
    QWidget* viewport = nullptr;
};

TEST_F(QtCustomControlTest, PaintsThroughTheCanvasIntoTheWindow)
{
    const QImage shot = viewport->grab().toImage();
    EXPECT_EQ(ColorAt(shot, 5, 5), QColor(Qt::white));  // erased in the control's colour
    EXPECT_EQ(ColorAt(shot, 10, 10), QColor(Qt::red));
    EXPECT_EQ(ColorAt(shot, 29, 19), QColor(Qt::red));
    EXPECT_EQ(ColorAt(shot, 30, 19), QColor(Qt::white));
    EXPECT_EQ(ColorAt(shot, 40, 10), QColor(Qt::blue));
    EXPECT_EQ(ColorAt(shot, 59, 29), QColor(Qt::blue));
    EXPECT_EQ(ColorAt(shot, 60, 29), QColor(Qt::white));
    EXPECT_EQ(ColorAt(shot, 50, 20), QColor(Qt::red));
    EXPECT_EQ(ColorAt(shot, 0, 40), QColor(Qt::black));   // white inverted
    EXPECT_EQ(ColorAt(shot, 19, 40), QColor(Qt::black));
    EXPECT_EQ(ColorAt(shot, 20, 40), QColor(Qt::white));  // LineTo leaves its end point
}

TEST_F(QtCustomControlTest, BitmapCanvasesDrawIntoThePixels)
{
    TBitmap bitmap(40, 20);
    TCanvas& c = *bitmap.Canvas();
    c.Brush()->SetColor(rtl::clNavy);
    c.FillRect({0, 0, 20, 20});
    c.Pen()->SetColor(rtl::clWhite);
    c.Pen()->SetMode(pmXor);
    c.MoveTo(0, 5);
    c.LineTo(40, 5);  // navy xor white is yellow-ish, white xor white is black
    EXPECT_EQ(bitmap.Pixel(3, 5), rtl::RGB(0xFF, 0xFF, 0x7F));
    EXPECT_EQ(bitmap.Pixel(30, 5), rtl::clBlack);
    c.DrawFocusRect({2, 8, 12, 18});
    c.DrawFocusRect({2, 8, 12, 18});  // twice: gone again
    EXPECT_EQ(bitmap.Pixel(2, 8), rtl::clNavy);
    c.InvertRect({30, 10, 32, 12});
    EXPECT_EQ(bitmap.Pixel(30, 10), rtl::clBlack);
    c.SetPixel(39, 19, rtl::clLime);
    EXPECT_EQ(c.Pixel(39, 19), rtl::clLime);

    // Copies between canvases, and text that the measure agrees with.
    TBitmap copy(40, 20);
    copy.Canvas()->CopyRect({0, 0, 40, 20}, c, {0, 0, 40, 20});
    EXPECT_EQ(copy.Pixel(3, 5), bitmap.Pixel(3, 5));
    TBitmap text(200, 30);
    TCanvas& t = *text.Canvas();
    t.Font()->SetColor(rtl::clBlack);
    t.TextOut(0, 0, "MMMM");
    const int width = t.TextWidth("MMMM");
    EXPECT_GT(width, 10);
    int right = -1;
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 30; ++y)
            if (text.Pixel(x, y) != rtl::clWhite) right = x;
    EXPECT_LE(right, width + 1);
    EXPECT_GE(right, width - 4);
    const TFontMetrics m = t.TextMetrics();
    EXPECT_EQ(m.Height, m.Ascent + m.Descent);
    EXPECT_GT(m.AveCharWidth, 0);
    EXPECT_EQ(MeasureFont(*t.Font()).TextWidth("MMMM"), width);
}

TEST_F(QtCustomControlTest, InputArrivesAsMessagesInOrder)
{
    QWidget* frame = qt::WidgetOf(*probe);
    other->SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return qt::WidgetOf(*other)->hasFocus(); }));
    probe->log.clear();
    other->log.clear();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(7, 9));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->hasFocus(); }));
    QTest::keyClick(frame, Qt::Key_A);
    QTest::keyClick(frame, Qt::Key_Down);
    QWheelEvent wheel(QPointF(5, 5), viewport->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    other->SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->hasFocus(); }));
    // The toolkit gives the focus before it delivers the press.
    EXPECT_EQ(probe->log, (Log{"setfocus", "enter", "ldown 7,9", "lup", "keydown 65", "char 97", "keyup 65",
                               "keydown 40", "keyup 40", "wheel -120", "killfocus", "exit"}));
    EXPECT_EQ(other->log, (Log{"killfocus", "exit", "setfocus", "enter"}));
}

TEST_F(QtCustomControlTest, ScrollBarsMirrorTheControlWhichDecidesThePosition)
{
    probe->SetScrollBars(ssVertical);
    TScrollInfo info;
    info.Max = 99;
    info.Page = 20;
    info.Pos = 10;
    probe->SetScrollInfo(sbVertical, info);
    QScrollBar* bar = nullptr;
    for (QScrollBar* b : qt::WidgetOf(*probe)->findChildren<QScrollBar*>())
        if (b->orientation() == Qt::Vertical) bar = b;
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), 80);
    EXPECT_EQ(bar->pageStep(), 20);
    EXPECT_EQ(bar->value(), 10);
    EXPECT_EQ(viewport->width(), 120 - bar->width());

    probe->log.clear();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);  // the control ignores this one
    EXPECT_EQ(probe->log, (Log{"vscroll 1", "vscroll 3", "vscroll 0"}));
    EXPECT_EQ(probe->GetScrollPos(sbVertical), 18);
    EXPECT_EQ(bar->value(), 18);

    info.Page = 100;  // all of it fits: the bar goes and the client area grows
    probe->SetScrollInfo(sbVertical, info, SIF_PAGE);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(viewport->width(), 120);
}

TEST_F(QtCustomControlTest, TimersAndPostedMessagesRunOnTheEventLoop)
{
    probe->log.clear();
    probe->SetTimer(7, 10);
    ASSERT_TRUE(QTest::qWaitFor([&] { return probe->log.size() >= 2; }, 2000));
    probe->KillTimer(7);
    EXPECT_EQ(probe->log[0], "timer 7");
    QTest::qWait(30);
    probe->log.clear();
    QTest::qWait(40);
    EXPECT_TRUE(probe->log.empty());

    for (int i = 1; i <= 5; ++i) probe->PostMessage(WM_USER, i);
    other->PostMessage(WM_USER, 99);
    EXPECT_TRUE(probe->log.empty());  // nothing runs before the loop does
    ASSERT_TRUE(QTest::qWaitFor([&] { return probe->log.size() == 5; }, 2000));
    EXPECT_EQ(probe->log, (Log{"posted 1", "posted 2", "posted 3", "posted 4", "posted 5"}));
    EXPECT_EQ(other->log.back(), "posted 99");
}

TEST_F(QtCustomControlTest, TheCaretIsDrawnInvertedAndGoesWithTheFocus)
{
    probe->SetFocus();
    QWidget* frame = qt::WidgetOf(*probe);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->hasFocus(); }));
    CreateCaret(probe, 2, 12);
    SetCaretPos(80, 50);
    ShowCaret(probe);
    QImage shot = viewport->grab().toImage();
    EXPECT_EQ(ColorAt(shot, 80, 50), QColor(Qt::black));
    EXPECT_EQ(ColorAt(shot, 81, 61), QColor(Qt::black));
    EXPECT_EQ(ColorAt(shot, 82, 50), QColor(Qt::white));
    HideCaret(probe);
    shot = viewport->grab().toImage();
    EXPECT_EQ(ColorAt(shot, 80, 50), QColor(Qt::white));
    ShowCaret(probe);
    other->SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame->hasFocus(); }));
    EXPECT_EQ(Caret().Owner, nullptr);
}

TEST_F(QtCustomControlTest, CursorsFromPictures)
{
    // A 2 x 2 BMP picture made on the fly.
    QImage image(2, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    TPicture picture;
    picture.LoadFromBytes(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    Screen().SetCursorImage(5, picture, {1, 1});
    probe->SetCursor(5);
    QTest::mouseMove(viewport, QPoint(20, 20));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !viewport->cursor().pixmap().isNull(); }, 1000));
    EXPECT_EQ(viewport->cursor().hotSpot(), QPoint(1, 1));
}

TEST_F(QtCustomControlTest, ClipboardCarriesARegisteredFormatBesideText)
{
    const TClipboardFormat block = RegisterClipboardFormat("IDE Block Type");
    Clipboard().Open();
    Clipboard().SetAsText("select *\r\nfrom t");
    Clipboard().SetData(block, std::string("\x01\x00\x02", 3));
    Clipboard().Close();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), "select *\r\nfrom t");
    EXPECT_TRUE(data->hasFormat("application/x-gridweaver-ide-block-type"));
    EXPECT_TRUE(Clipboard().HasFormat(CF_TEXT));
    EXPECT_EQ(Clipboard().AsText(), "select *\r\nfrom t");
    EXPECT_EQ(Clipboard().GetData(block).value_or(""), std::string("\x01\x00\x02", 3));

    // Text put there by another program holds no block.
    QGuiApplication::clipboard()->setText("plain");
    EXPECT_EQ(Clipboard().AsText(), "plain");
    EXPECT_FALSE(Clipboard().HasFormat(block));
}

TEST_F(QtCustomControlTest, DragAndDropBetweenListBoxes)
{
    auto* source = new TListBox(form.get());
    source->SetParent(form.get());
    source->SetBounds(10, 115, 100, 80);
    source->Items()->SetCommaText("a,b,c");
    auto* target = new TListBox(form.get());
    target->SetParent(form.get());
    target->SetBounds(150, 115, 100, 80);
    Log log;
    source->OnMouseDown = [&](classes::TObject*, TMouseButton, TShiftState, int, int) { source->BeginDrag(false); };
    target->OnDragOver = [&](classes::TObject*, classes::TObject* src, int, int, TDragState, bool& accept) {
        accept = dynamic_cast<TListBox*>(src) != nullptr;
    };
    target->OnDragDrop = [&](classes::TObject*, classes::TObject* src, int x, int y) {
        log.push_back(std::string("drop from ") + (src == source ? "source" : "?") + " at " + std::to_string(x) + "," +
                      std::to_string(y) + " item " + std::to_string(source->ItemIndex()));
    };
    source->OnEndDrag = [&](classes::TObject*, classes::TObject* t, int, int) {
        log.push_back(t == target ? "end on target" : "end elsewhere");
    };
    auto* sourceList = qobject_cast<QListView*>(qt::WidgetOf(*source));
    auto* targetList = qobject_cast<QListView*>(qt::WidgetOf(*target));
    ASSERT_NE(sourceList, nullptr);
    ASSERT_NE(targetList, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return targetList->isVisible(); }));
    QWidget* from = sourceList->viewport();
    const QPoint start = sourceList->visualRect(sourceList->model()->index(1, 0)).center();
    // Positions over the target, in the coordinates of the pressed widget (it has the mouse).
    const QPoint over = from->mapFromGlobal(targetList->viewport()->mapToGlobal(QPoint(20, 10)));
    QTest::mousePress(from, Qt::LeftButton, {}, start);
    EXPECT_TRUE(source->Dragging());
    QTest::mouseMove(from, over - QPoint(3, 0));
    QTest::mouseMove(from, over);
    QTest::mouseRelease(from, Qt::LeftButton, {}, over);
    EXPECT_FALSE(source->Dragging());
    const TPoint inTarget = target->ScreenToClient(
        {targetList->viewport()->mapToGlobal(QPoint(20, 10)).x(), targetList->viewport()->mapToGlobal(QPoint(20, 10)).y()});
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "drop from source at " + std::to_string(inTarget.X) + "," + std::to_string(inTarget.Y) + " item 1");
    EXPECT_EQ(log[1], "end on target");
}

}  // namespace

namespace {

using namespace ui;

class QtOwnerDrawTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { qt::Install(); }
    void TearDown() override { Application().ProcessMessages(); }
};

TEST_F(QtOwnerDrawTest, ListBoxItemsAndPageTabsAreDrawnByTheirOwner)
{
    TForm form(nullptr);
    form.SetBounds(50, 50, 400, 300);
    auto* list = new TCheckListBox(&form);
    list->SetParent(&form);
    list->SetBounds(10, 10, 150, 120);
    list->SetStyle(lbOwnerDrawFixed);
    list->Items()->SetCommaText("red,green,blue");
    std::vector<int> drawn;
    list->OnDrawItem = [&](TWinControl*, int index, const TRect& rect, TOwnerDrawState) {
        drawn.push_back(index);
        static const rtl::TColor colors[] = {rtl::clRed, rtl::clLime, rtl::clBlue};
        list->Canvas()->Brush()->SetColor(colors[index]);
        list->Canvas()->FillRect(rect);
    };
    auto* pages = new TPageControl(&form);
    pages->SetParent(&form);
    pages->SetBounds(180, 10, 200, 150);
    auto* sheet = new TTabSheet(&form);
    sheet->SetPageControl(pages);
    sheet->SetCaption("Tab");
    pages->SetOwnerDraw(true);
    std::vector<std::string> tabs;
    pages->OnDrawTab = [&](TPageControl* pc, int index, const TRect& rect, bool active) {
        tabs.push_back(std::to_string(index) + (active ? " active" : ""));
        pc->Canvas()->Brush()->SetColor(rtl::clFuchsia);
        pc->Canvas()->FillRect(rect);
    };
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(qt::WidgetOf(form)));

    auto* widget = qobject_cast<QListView*>(qt::WidgetOf(*list));
    ASSERT_NE(widget, nullptr);
    const QImage shot = widget->viewport()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(30, 8), QColor(Qt::red));  // row 0 right of the check strip
    EXPECT_EQ(shot.pixelColor(30, 16 + 8), QColor(Qt::green));
    EXPECT_EQ(shot.pixelColor(30, 32 + 8), QColor(Qt::blue));
    EXPECT_NE(shot.pixelColor(3, 8), QColor(Qt::red));  // the strip holds the check box
    EXPECT_FALSE(drawn.empty());

    // A click in the strip toggles the item.
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, QPoint(5, 16 + 8));
    EXPECT_TRUE(list->Checked(1));

    QWidget* pageWidget = qt::WidgetOf(*pages);
    const QImage tabShot = pageWidget->grab().toImage();
    bool fuchsia = false;
    for (int y = 0; y < TPageControl::kTabHeight && !fuchsia; ++y)
        for (int x = 0; x < 100 && !fuchsia; ++x) fuchsia = tabShot.pixelColor(x, y) == QColor(Qt::magenta);
    EXPECT_TRUE(fuchsia);
    ASSERT_FALSE(tabs.empty());
    EXPECT_EQ(tabs.back(), "0 active");
}

}  // namespace
