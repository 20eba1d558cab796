#include "platform/ui/qt/QtConvert.h"

#include <QApplication>
#include <QPixmap>

#include "platform/ui/ActnList.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Forms.h"

namespace ui::qt {

QString ToEditorText(const std::string& s)
{
    QString q = Q(s);
    q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return q;
}

std::string FromEditorText(const QString& q)
{
    QString s = q;
    s.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return S(s);
}

QImage ToQImage(int width, int height, const std::vector<std::uint32_t>& pixels)
{
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return {};
    return QImage(reinterpret_cast<const uchar*>(pixels.data()), width, height, QImage::Format_ARGB32).copy();
}

QIcon IconOf(const TImageList* list, int index)
{
    if (list == nullptr || index < 0 || index >= list->Count()) return {};
    return QIcon(QPixmap::fromImage(ToQImage(list->Width(), list->Height(), list->Image(index))));
}

QIcon IconOf(const TPicture& picture)
{
    if (picture.Empty()) return {};
    return QIcon(QPixmap::fromImage(ToQImage(picture.Width(), picture.Height(), picture.Pixels())));
}

Qt::Alignment ToQAlign(TAlignment a)
{
    switch (a) {
    case taRightJustify: return Qt::AlignRight;
    case taCenter: return Qt::AlignHCenter;
    case taLeftJustify: break;
    }
    return Qt::AlignLeft;
}

TShiftState ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons)
{
    TShiftState s;
    if (mods & Qt::ShiftModifier) s.Include(ssShift);
    if (mods & Qt::ControlModifier) s.Include(ssCtrl);
    if (mods & Qt::AltModifier) s.Include(ssAlt);
    if (buttons & Qt::LeftButton) s.Include(ssLeft);
    if (buttons & Qt::RightButton) s.Include(ssRight);
    if (buttons & Qt::MiddleButton) s.Include(ssMiddle);
    return s;
}

TMouseButton ButtonOf(Qt::MouseButton b)
{
    if (b == Qt::RightButton) return mbRight;
    if (b == Qt::MiddleButton) return mbMiddle;
    return mbLeft;
}

TKey KeyOf(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<TKey>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<TKey>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return static_cast<TKey>(VK_F1 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    default: return 0;
    }
}

QKeySequence ToKeySequence(TShortCut sc)
{
    if (sc == 0) return {};
    const int key = sc & 0xFF;
    int qkey = 0;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        qkey = key;
    else if (key >= VK_F1 && key <= VK_F12)
        qkey = Qt::Key_F1 + (key - VK_F1);
    else if (key == VK_DELETE)
        qkey = Qt::Key_Delete;
    else if (key == VK_INSERT)
        qkey = Qt::Key_Insert;
    else if (key == VK_RETURN)
        qkey = Qt::Key_Return;
    else
        return {};
    int mods = 0;
    if (sc & scShift) mods |= Qt::SHIFT;
    if (sc & scCtrl) mods |= Qt::CTRL;
    if (sc & scAlt) mods |= Qt::ALT;
    return QKeySequence(qkey | mods);
}

QColor ToQColor(rtl::TColor color)
{
    const rtl::TColor c = rtl::ColorToRGB(color);
    return QColor(rtl::GetRValue(c), rtl::GetGValue(c), rtl::GetBValue(c));
}

rtl::TColor FromQColor(const QColor& color)
{
    return rtl::RGB(static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
                    static_cast<std::uint8_t>(color.blue()));
}

QFont ToQFont(const classes::TFont& font)
{
    QFont f = QApplication::font();
    // The faces of the old desktop stand for the toolkit's own face.
    if (font.Name() != classes::TFont::kDefaultName && font.Name() != "MS Sans Serif" && !font.Name().empty())
        f.setFamily(Q(font.Name()));
    if (font.Size() > 0) f.setPointSize(font.Size());
    f.setBold(font.Style().Contains(classes::fsBold));
    f.setItalic(font.Style().Contains(classes::fsItalic));
    f.setUnderline(font.Style().Contains(classes::fsUnderline));
    f.setStrikeOut(font.Style().Contains(classes::fsStrikeOut));
    return f;
}

void FromQFont(const QFont& qfont, classes::TFont& font)
{
    font.SetName(S(qfont.family()));
    if (qfont.pointSize() > 0) font.SetSize(qfont.pointSize());
    classes::TFontStyles style;
    if (qfont.bold()) style.Include(classes::fsBold);
    if (qfont.italic()) style.Include(classes::fsItalic);
    if (qfont.underline()) style.Include(classes::fsUnderline);
    if (qfont.strikeOut()) style.Include(classes::fsStrikeOut);
    font.SetStyle(style);
}

namespace {

Qt::CursorShape ShapeOf(TCursor cursor)
{
    switch (cursor) {
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crDrag: return Qt::DragMoveCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    case crNone: return Qt::BlankCursor;
    default: return Qt::ArrowCursor;
    }
}

}  // namespace

QCursor CursorOf(TCursor cursor)
{
    if (const TCursorImage* image = Screen().CursorImage(cursor)) {
        const QImage q(reinterpret_cast<const uchar*>(image->Pixels.data()), image->Width, image->Height,
                       image->Width * 4, QImage::Format_ARGB32);
        return QCursor(QPixmap::fromImage(q.copy()), image->HotSpot.X, image->HotSpot.Y);
    }
    return QCursor(ShapeOf(cursor));
}

}  // namespace ui::qt
