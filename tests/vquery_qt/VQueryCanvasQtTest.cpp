// The query canvas on the Qt backend (offscreen), driven with real mouse events: boxes moved
// by the caption and sized by a corner, fields dragged onto each other (a join, a reorder, a
// refused join), join lines selected by clicks on them; and what boxes and lines paint, by
// pixels, the join captions standing clear of their lines.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QListView>
#include <QScrollBar>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/ui/Bitmap.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/vquery/VQueryTestSupport.h"
#include "vquery/Canvas.h"
#include "vquery/VQuery.h"

namespace {

using namespace vquery;

QPoint Global(QWidget* w, QPoint p) { return w->mapToGlobal(p); }
// The widget a custom-painted control takes the mouse on.
QWidget* MouseWidget(const ui::TControl& c) { return ui::qt::PeerOf(c)->MouseWidget(); }

class CanvasQtTest : public ::testing::Test, public vqtest::QueryFixture {
protected:
    static void SetUpTestSuite() { ui::qt::Install(); }

    void SetUp() override
    {
        Table("", "A", {{"id"}, {"b_id"}, {"note"}});
        Table("", "B", {{"id"}, {"name"}});
        form = std::make_unique<ui::TForm>(nullptr);
        // No frame: offscreen windows have no decorations, so the layer's screen coordinates
        // (which allow for a frame) meet the window system's only without one.
        form->SetBorderStyle(ui::bsNone);
        form->SetBounds(100, 100, 560, 460);
        Q().SetParent(form.get());
        Q().SetBounds(0, 0, 540, 440);
        a = Q().AddTable("A", {10, 10}, true);
        b = Q().AddTable("B", {200, 50}, true);
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::qt::WidgetOf(*form)));
    }
    void TearDown() override
    {
        query.reset();
        form.reset();
        ui::Application().ProcessMessages();
    }
    QListView* List(TmfVQueryTable* box) { return qobject_cast<QListView*>(ui::qt::WidgetOf(*box->ListBox())); }
    // Drags row `from` of one box's list onto row `to` of another's (or the same) list.
    void DragRow(TmfVQueryTable* source, int from, TmfVQueryTable* target, int to)
    {
        QListView* s = List(source);
        QListView* t = List(target);
        ASSERT_NE(s, nullptr);
        ASSERT_NE(t, nullptr);
        QWidget* vs = s->viewport();
        const QPoint start = s->visualRect(s->model()->index(from, 0)).center();
        const QPoint over = vs->mapFromGlobal(t->viewport()->mapToGlobal(t->visualRect(t->model()->index(to, 0)).center()));
        QTest::mousePress(vs, Qt::LeftButton, {}, start);
        QTest::mouseMove(vs, over - QPoint(0, 8));
        QTest::mouseMove(vs, over);
        QTest::mouseRelease(vs, Qt::LeftButton, {}, over);
    }

    std::unique_ptr<ui::TForm> form;
    TmfVQueryTable* a = nullptr;
    TmfVQueryTable* b = nullptr;
};

TEST_F(CanvasQtTest, TheCaptionMovesAndSelectsTheBoxACornerSizesItDownToTheSmallest)
{
    QWidget* w = MouseWidget(*a);
    ASSERT_NE(w, nullptr);
    const QPoint pressAt = Global(w, QPoint(60, 12));
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(60, 12));
    QTest::mouseMove(w, w->mapFromGlobal(pressAt + QPoint(15, 10)));
    QTest::mouseMove(w, w->mapFromGlobal(pressAt + QPoint(30, 20)));
    QTest::mouseRelease(w, Qt::LeftButton, {}, w->mapFromGlobal(pressAt + QPoint(30, 20)));
    EXPECT_EQ(a->BoundsRect(), (ui::TRect{40, 30, 160, 230}));
    EXPECT_EQ(ui::qt::WidgetOf(*a)->geometry(), QRect(40, 30, 120, 200));
    EXPECT_TRUE(a->Selected());

    // A press on the other caption deselects this box.
    QWidget* wb = MouseWidget(*b);
    QTest::mouseClick(wb, Qt::LeftButton, {}, QPoint(60, 12));
    EXPECT_TRUE(b->Selected());
    EXPECT_FALSE(a->Selected());
    EXPECT_EQ(b->BoundsRect(), (ui::TRect{200, 50, 320, 250}));  // a click moves nothing

    const QPoint corner = Global(w, QPoint(118, 198));
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(118, 198));
    QTest::mouseMove(w, w->mapFromGlobal(corner - QPoint(40, 40)));
    EXPECT_EQ(a->Width(), 80);
    EXPECT_EQ(a->Height(), 160);
    QTest::mouseMove(w, w->mapFromGlobal(corner - QPoint(100, 190)));
    QTest::mouseRelease(w, Qt::LeftButton, {}, w->mapFromGlobal(corner - QPoint(100, 190)));
    EXPECT_EQ(a->BoundsRect(), (ui::TRect{40, 30, 40 + kMinBoxWidth, 30 + kMinBoxHeight}));
    EXPECT_EQ(a->ListBox()->Height(), 0);
}

TEST_F(CanvasQtTest, DraggingFieldsJoinsReordersOrIsRefused)
{
    DragRow(a, 1, b, 0);
    ASSERT_EQ(Q().GetJoinCount(), 1);
    EXPECT_EQ(Q().GetJoin(0)->Caption, "b_id = id");
    EXPECT_EQ(Q().GetJoin(0)->SourceField, F(a, "b_id"));
    EXPECT_EQ(Q().GetJoin(0)->DestField, F(b, "id"));
    EXPECT_TRUE(dialogs.Asked().empty());

    // Within one list: a reorder, no join.
    DragRow(a, 2, a, 0);
    EXPECT_EQ(Q().GetJoinCount(), 1);
    EXPECT_EQ(a->ListBox()->Items()->Strings(0), "note");
    EXPECT_EQ(a->ListBox()->Items()->Strings(1), "id");
    EXPECT_EQ(a->ListBox()->Field(0), F(a, "note"));

    // Onto a calculated field: refused with its message, the joins as they were.
    F(b, "name")->Calculated = true;
    dialogs.AnswerMessage(ui::mrOk);
    DragRow(a, 1, b, 1);
    EXPECT_EQ(Q().GetJoinCount(), 1);
    ASSERT_EQ(dialogs.Asked().size(), 1u);
    EXPECT_EQ(dialogs.Asked()[0].message.text, "Calculated Field can not join");
}

TEST_F(CanvasQtTest, ClicksInsideALineToggleItsSelectionClicksOutsideDoNot)
{
    TmfVQueryJoin* j = Q().AddJoin(F(a, "b_id"), F(b, "id"), "b_id = id");
    ASSERT_NE(j, nullptr);
    QWidget* layer = MouseWidget(*Q().JoinLayer());
    ASSERT_NE(layer, nullptr);
    const ui::TPoint mid{(j->Line.p[1].X + j->Line.p[2].X) / 2, (j->Line.p[1].Y + j->Line.p[2].Y) / 2};
    QTest::mouseClick(layer, Qt::LeftButton, {}, QPoint(mid.X, mid.Y));
    EXPECT_TRUE(j->Selected);
    EXPECT_EQ(Q().SelectedJoin(), j);
    QTest::mouseClick(layer, Qt::LeftButton, {}, QPoint(mid.X, mid.Y + 30));  // outside: nothing
    EXPECT_TRUE(j->Selected);
    QTest::mouseClick(layer, Qt::LeftButton, {}, QPoint(mid.X, mid.Y));
    EXPECT_FALSE(j->Selected);
    EXPECT_EQ(Q().SelectedJoin(), nullptr);
}

TEST_F(CanvasQtTest, ScrollingAFieldListMovesItsJoinLineAtOnce)
{
    // Enough fields for A's list to scroll, the join on the last one.
    a->SetBounds(a->Left(), a->Top(), 120, 90);
    TmfVQueryJoin* j = Q().AddJoin(F(a, "note"), F(b, "id"), "note = id");
    ASSERT_NE(j, nullptr);
    const TJoinLine before = j->Line;
    QListView* list = List(a);
    ASSERT_NE(list, nullptr);
    // The user scrolls the list: its rows move up, and so does the end of the line at once.
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
    QApplication::processEvents();
    ASSERT_GT(a->ListBox()->TopIndex(), 0);
    EXPECT_NE(j->Line.p[0].Y, before.p[0].Y);
    EXPECT_EQ(j->Line.p[3].Y, before.p[3].Y);  // B's end stays
}

TEST_F(CanvasQtTest, BoxPaintsItsFrameAndCaptionBar)
{
    ui::TBitmap bmp(120, 200);
    a->PaintTo(*bmp.Canvas());
    EXPECT_EQ(bmp.Pixel(10, 10), rtl::clGray);  // not selected
    EXPECT_EQ(bmp.Pixel(119, 100), rtl::clBlack);
    EXPECT_EQ(bmp.Pixel(60, 199), rtl::clBlack);
    EXPECT_EQ(bmp.Pixel(118, 100), rtl::clGray);
    EXPECT_EQ(bmp.Pixel(60, 198), rtl::clGray);
    EXPECT_EQ(bmp.Pixel(1, 100), rtl::clWhite);
    EXPECT_EQ(bmp.Pixel(60, 1), rtl::clWhite);
    EXPECT_EQ(bmp.Pixel(0, 100), rtl::clSilver);
    EXPECT_EQ(bmp.Pixel(2, 100), rtl::clSilver);
    int white = 0;  // the caption's letters on the bar
    for (int y = 3; y < 23; ++y)
        for (int x = 3; x < 117; ++x) white += bmp.Pixel(x, y) == rtl::clWhite ? 1 : 0;
    EXPECT_GT(white, 10);

    a->SetSelected(true);
    a->PaintTo(*bmp.Canvas());
    EXPECT_EQ(bmp.Pixel(10, 10), rtl::clNavy);
    // And on the screen.
    QApplication::processEvents();
    const QImage shot = MouseWidget(*a)->grab().toImage();
    EXPECT_EQ(shot.pixelColor(10, 10), QColor(0, 0, 0x80));
}

// Rows of column x painted in `color`.
int RowsIn(const ui::TBitmap& bmp, int x, rtl::TColor color)
{
    int n = 0;
    for (int y = 0; y < bmp.Height(); ++y) n += bmp.Pixel(x, y) == color ? 1 : 0;
    return n;
}

TEST_F(CanvasQtTest, ASelectedLineIsTwoPixelsInItsSelectedColour)
{
    TmfVQueryJoin* j = Q().AddJoin(F(a, "b_id"), F(b, "id"), "b_id = id");
    ASSERT_NE(j, nullptr);
    j->SelColor = rtl::clRed;
    const int x = j->Line.p[0].X + 4;  // on P1-P2
    ui::TBitmap bmp(340, 260);
    bmp.Fill(rtl::clWhite);
    PaintJoinLine(*bmp.Canvas(), j->Line, {0, 0}, false, j->Color, j->SelColor, "");
    EXPECT_EQ(RowsIn(bmp, x, rtl::clBlack), 1);
    EXPECT_EQ(bmp.Pixel(x, j->Line.p[0].Y), rtl::clBlack);
    bmp.Fill(rtl::clWhite);
    PaintJoinLine(*bmp.Canvas(), j->Line, {0, 0}, true, j->Color, j->SelColor, "");
    EXPECT_EQ(RowsIn(bmp, x, rtl::clRed), 2);
    EXPECT_EQ(RowsIn(bmp, x, rtl::clBlack), 0);
}

// The caption stands clear of its line wherever the boxes are: side by side at rows of
// different height, far apart, stacked, overlapping; given room, it stays off the boxes.
TEST_F(CanvasQtTest, AJoinCaptionIsNotStruckThroughByItsLine)
{
    TmfVQueryJoin* j = Q().AddJoin(F(a, "note"), F(b, "id"), "note = id");
    ASSERT_NE(j, nullptr);
    const struct {
        const char* what;
        ui::TRect box;  // b's bounds
        bool roomy;     // the boxes leave the caption room between them
    } cases[] = {
        {"side by side, the line rising gently", {210, 10, 330, 210}, true},
        {"side by side, the line rising", {200, 100, 320, 300}, false},
        {"side by side, the line falling", {160, -20, 280, 180}, false},
        {"far apart, the line rising", {400, 100, 520, 300}, true},
        {"far apart, the line falling", {400, -40, 520, 160}, true},
        {"stacked", {30, 240, 150, 440}, false},
        {"stacked and shifted", {140, 260, 260, 460}, false},
        {"overlapping", {80, 150, 200, 350}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        b->SetBounds(c.box.Left, c.box.Top, c.box.Width(), c.box.Height());
        Q().UpdateJoinLinks();
        ui::TBitmap bmp(600, 600);
        const ui::TPoint origin{-50, -50};  // room for lines above the canvas's top
        bmp.Fill(rtl::clWhite);
        PaintJoinLine(*bmp.Canvas(), j->Line, origin, false, rtl::clRed, rtl::clRed, "");
        std::vector<std::pair<int, int>> line;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x)
                if (bmp.Pixel(x, y) == rtl::clRed) line.emplace_back(x, y);
        ASSERT_FALSE(line.empty());
        bmp.Fill(rtl::clWhite);
        bmp.Canvas()->Font()->SetColor(rtl::clBlack);
        PaintJoinLine(*bmp.Canvas(), j->Line, origin, false, rtl::clRed, rtl::clRed, j->GetDisplayText());
        int left = bmp.Width(), top = bmp.Height(), right = -1, bottom = -1;
        for (int y = 0; y < bmp.Height(); ++y)
            for (int x = 0; x < bmp.Width(); ++x)
                if (bmp.Pixel(x, y) != rtl::clWhite && bmp.Pixel(x, y) != rtl::clRed) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
        ASSERT_GE(right, left) << "the caption is painted";
        int struck = 0;
        for (const auto& [x, y] : line) struck += x >= left - 1 && x <= right + 1 && y >= top - 1 && y <= bottom + 1;
        EXPECT_EQ(struck, 0) << "caption " << left << "," << top << " - " << right << "," << bottom;
        // With room between the boxes, not hidden under one, which is painted over the lines.
        if (!c.roomy) continue;
        const ui::TRect caption{left + origin.X, top + origin.Y, right + 1 + origin.X, bottom + 1 + origin.Y};
        for (TmfVQueryTable* box : {a, b}) {
            const ui::TRect r = box->BoundsRect();
            const bool under = caption.Left < r.Right && r.Left < caption.Right && caption.Top < r.Bottom &&
                               r.Top < caption.Bottom;
            EXPECT_FALSE(under) << "under " << box->TableName();
        }
        // Still beside the middle of its segment.
        const int mx = (j->Line.p[1].X + j->Line.p[2].X) / 2 - origin.X;
        const int my = (j->Line.p[1].Y + j->Line.p[2].Y) / 2 - origin.Y;
        const int dx = std::max({left - mx, mx - right, 0});
        const int dy = std::max({top - my, my - bottom, 0});
        EXPECT_LE(dx + dy, 24) << "middle " << mx << "," << my << ", caption " << left << "," << top;
    }
}

}  // namespace

namespace {

// Pixels of `image` in `r` that are not white.
int Inked(const QImage& image, QRect r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += image.pixelColor(x, y) != QColor(Qt::white) ? 1 : 0;
    return n;
}

// Counts the paint events of a widget and its children (a list paints on its viewport).
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* w)
    {
        w->installEventFilter(this);
        for (QWidget* child : w->findChildren<QWidget*>()) child->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) ++count;
        return false;
    }
};

// Adding or removing a sort entry renumbers the entries of every box: each field list is
// painted again without anyone asking.
TEST_F(CanvasQtTest, SortChangesRepaintEveryBoxsFieldList)
{
    const std::function<void()> steps[] = {
        [this] { ASSERT_TRUE(Q().AddSortField(F(a, "note"), true)); },
        [this] { ASSERT_TRUE(Q().AddSortField(F(b, "name"), false)); },
        [this] { Q().RemoveSortField(F(a, "note")); },
    };
    int i = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(i++);
        QApplication::processEvents();
        PaintCounter inA(List(a)), inB(List(b));
        step();
        QApplication::processEvents();
        EXPECT_GT(inA.count, 0);
        EXPECT_GT(inB.count, 0);
    }
}

TEST_F(CanvasQtTest, FieldRowsShowTheSortGlyphAndPositionOnWhite)
{
    QListView* list = List(a);
    ASSERT_NE(list, nullptr);
    const QRect row = list->visualRect(list->model()->index(2, 0));  // "note"
    const QRect glyph(row.right() - 15, row.top(), 16, 16);
    QApplication::processEvents();
    EXPECT_EQ(Inked(list->viewport()->grab().toImage(), glyph), 0);
    ASSERT_TRUE(Q().AddSortField(F(a, "note"), true));
    a->ListBox()->Invalidate();
    QApplication::processEvents();
    const QImage after = list->viewport()->grab().toImage();
    EXPECT_GT(Inked(after, glyph), 10);
    EXPECT_GT(Inked(after, QRect(row.right() - 23, row.top() + 2, 7, 12)), 0);  // the position "1"
}

}  // namespace

namespace {

// The user's clicks and keys on a table box's field list: a click on a field's check box or
// Space on the focused field takes the field out of (or back into) the query's SQL, while a
// press that moves on drags the field.
TEST_F(CanvasQtTest, AFieldsCheckBoxTogglesByClickAndBySpace)
{
    QListView* list = List(a);
    ASSERT_NE(list, nullptr);
    QWidget* vp = list->viewport();
    const auto row = [&](int i) { return list->visualRect(list->model()->index(i, 0)); };
    const auto box = [&](int i) { return QPoint(row(i).left() + 6, row(i).center().y()); };
    const auto text = [&](int i) { return QPoint(row(i).left() + 40, row(i).center().y()); };
    const auto checks = [&] {
        std::string s;
        for (int i = 0; i < 3; ++i) s += a->ListBox()->Checked(i) ? '1' : '0';
        return s;
    };
    ASSERT_EQ(checks(), "111");
    const std::vector<std::string> all = Sql();

    QTest::mouseClick(vp, Qt::LeftButton, {}, box(2));  // "note"
    EXPECT_EQ(checks(), "110");
    QTest::mouseClick(vp, Qt::LeftButton, {}, text(0));  // "id" focused, not toggled
    EXPECT_EQ(checks(), "110");
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(checks(), "010");
    const std::vector<std::string> fewer = Sql();
    bool hasNote = false, hasBId = false;
    for (const std::string& line : fewer) {
        hasNote = hasNote || line.find("note") != std::string::npos;
        hasBId = hasBId || line.find("b_id") != std::string::npos;
    }
    EXPECT_FALSE(hasNote);
    EXPECT_TRUE(hasBId);
    QTest::keyClick(list, Qt::Key_Space);
    QTest::mouseClick(vp, Qt::LeftButton, {}, box(2));
    EXPECT_EQ(checks(), "111");
    EXPECT_EQ(Sql(), all);
    EXPECT_EQ(Q().GetJoinCount(), 0);
}

}  // namespace
