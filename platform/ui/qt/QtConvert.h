#pragma once
// Conversions between the layer's values and the toolkit's: text, colours, fonts, images,
// alignment, keys, shortcuts, mouse buttons and cursors. Pure functions of their arguments
// (CursorOf also reads the screen's cursor images); no widget is made or touched here.

#include <QColor>
#include <QCursor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QKeySequence>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/classes/Font.h"
#include "platform/rtl/Colors.h"
#include "platform/ui/Types.h"

namespace ui {
class TImageList;
class TPicture;
}  // namespace ui

namespace ui::qt {

// UTF-8 text to and from the toolkit's strings.
inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline std::string S(const QString& s) { return s.toStdString(); }

// Memo text keeps CR LF; the toolkit's editors use LF.
QString ToEditorText(const std::string& s);
std::string FromEditorText(const QString& q);

// An image of ARGB pixels (row by row); a null image when the pixels do not fill it.
QImage ToQImage(int width, int height, const std::vector<std::uint32_t>& pixels);
// Image `index` of the list; a null icon when there is none.
QIcon IconOf(const TImageList* list, int index);
QIcon IconOf(const TPicture& picture);

Qt::Alignment ToQAlign(TAlignment a);

// Converts between TColor and QColor (system colours resolved to fixed colours).
QColor ToQColor(rtl::TColor color);
rtl::TColor FromQColor(const QColor& color);
QFont ToQFont(const classes::TFont& font);
void FromQFont(const QFont& qfont, classes::TFont& font);

// Key and mouse conversions.
TShiftState ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons = {});
TMouseButton ButtonOf(Qt::MouseButton b);
TKey KeyOf(int key);
// A menu shortcut's key sequence; empty for keys the toolkit cannot show.
QKeySequence ToKeySequence(TShortCut sc);
// The screen's image of `cursor` when it has one, else the toolkit's shape.
QCursor CursorOf(TCursor cursor);

}  // namespace ui::qt
