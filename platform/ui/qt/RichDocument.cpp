// The rich-text document over QTextDocument, and the window system's maker of it.

#include "platform/ui/qt/RichDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPainter>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextList>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace ui::qt {

namespace {

using rtf::Alignment;

// Exact model values kept beside Qt's own (pixels and points lose them).
enum Property : int {
    kRtfFamily = QTextFormat::UserProperty + 1,
    kRtfCharset,
    kHalfPoints,
    kObjectBytes,
    kLeftTwips,
    kRightTwips,
    kFirstTwips,
    kBeforeTwips,
    kAfterTwips,
    kLineSpacing,
    kLineMultiple,
    kTabsTwips,
};

constexpr double kTwipsPerPixel = 15.0;  // 1440 twips an inch, 96 pixels an inch
const QString kObjectBox = QStringLiteral("gw-object:box");

QString ToQString(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Document text as the model has it: line breaks '\v', paragraph ends CR LF, objects left out.
std::string ModelText(QString text)
{
    text.replace(QChar::LineSeparator, QLatin1Char('\v'));
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.remove(QChar::ObjectReplacementCharacter);
    return text.toStdString();
}

QString DocumentText(std::string_view text)
{
    QString s = ToQString(text);
    s.replace(QLatin1Char('\v'), QChar::LineSeparator);
    return s;
}

QColor ToQColor(const rtf::Color& c) { return QColor(c.red, c.green, c.blue); }
QColor ToQColor(std::uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }
std::uint32_t ToRgb(const QColor& c)
{
    return (static_cast<std::uint32_t>(c.red()) << 16) | (static_cast<std::uint32_t>(c.green()) << 8) |
           static_cast<std::uint32_t>(c.blue());
}

QImage ObjectBoxImage()
{
    QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(236, 236, 236));
    QPainter p(&image);
    p.setPen(QColor(96, 96, 96));
    p.drawRect(0, 0, image.width() - 1, image.height() - 1);
    p.drawLine(0, 0, image.width() - 1, image.height() - 1);
    p.drawLine(0, image.height() - 1, image.width() - 1, 0);
    return image;
}

QTextCharFormat ToQt(const rtf::CharFormat& f, const std::vector<rtf::Font>& fonts, const std::vector<rtf::Color>& colors)
{
    QTextCharFormat q;
    if (f.font >= 0 && static_cast<std::size_t>(f.font) < fonts.size()) {
        const rtf::Font& font = fonts[static_cast<std::size_t>(f.font)];
        q.setFontFamilies(QStringList{ToQString(font.name)});
        q.setProperty(kRtfFamily, ToQString(font.family));
        q.setProperty(kRtfCharset, font.charset);
    }
    q.setFontPointSize(f.halfPoints / 2.0);
    q.setProperty(kHalfPoints, f.halfPoints);
    q.setFontWeight(f.bold ? QFont::Bold : QFont::Normal);
    q.setFontItalic(f.italic);
    q.setFontUnderline(f.underline);
    q.setFontStrikeOut(f.strike);
    const auto at = [&](int i) -> const rtf::Color* {
        return i > 0 && static_cast<std::size_t>(i) < colors.size() && !colors[static_cast<std::size_t>(i)].automatic
                   ? &colors[static_cast<std::size_t>(i)] : nullptr;
    };
    if (const rtf::Color* c = at(f.color)) q.setForeground(ToQColor(*c));
    if (const rtf::Color* c = at(f.highlight)) q.setBackground(ToQColor(*c));
    return q;
}

int ColorIndex(std::vector<rtf::Color>& colors, const QColor& c)
{
    if (colors.empty()) colors.push_back(rtf::Color{});
    const rtf::Color wanted{false, static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                            static_cast<std::uint8_t>(c.blue())};
    for (std::size_t i = 1; i < colors.size(); ++i)
        if (colors[i] == wanted) return static_cast<int>(i);
    colors.push_back(wanted);
    return static_cast<int>(colors.size() - 1);
}

int FontIndex(std::vector<rtf::Font>& fonts, const QTextCharFormat& q)
{
    const QStringList families = q.fontFamilies().toStringList();
    if (families.isEmpty()) return fonts.empty() ? -1 : 0;
    rtf::Font wanted{families.front().toStdString(),
                     q.hasProperty(kRtfFamily) ? q.stringProperty(kRtfFamily).toStdString() : "nil",
                     q.hasProperty(kRtfCharset) ? q.intProperty(kRtfCharset) : 0};
    for (std::size_t i = 0; i < fonts.size(); ++i)
        if (fonts[i] == wanted) return static_cast<int>(i);
    for (std::size_t i = 0; i < fonts.size(); ++i)
        if (fonts[i].name == wanted.name && !q.hasProperty(kRtfFamily)) return static_cast<int>(i);
    fonts.push_back(wanted);
    return static_cast<int>(fonts.size() - 1);
}

rtf::CharFormat FromQt(const QTextCharFormat& q, std::vector<rtf::Font>& fonts, std::vector<rtf::Color>& colors)
{
    rtf::CharFormat f;
    f.font = FontIndex(fonts, q);
    const int shown = static_cast<int>(std::lround(q.fontPointSize() * 2));
    f.halfPoints = q.hasProperty(kHalfPoints) && (shown == 0 || q.intProperty(kHalfPoints) == shown)
                       ? q.intProperty(kHalfPoints) : (shown > 0 ? shown : 24);
    f.bold = q.fontWeight() >= QFont::DemiBold;
    f.italic = q.fontItalic();
    f.underline = q.fontUnderline();
    f.strike = q.fontStrikeOut();
    if (q.foreground().style() != Qt::NoBrush) f.color = ColorIndex(colors, q.foreground().color());
    if (q.background().style() != Qt::NoBrush) f.highlight = ColorIndex(colors, q.background().color());
    return f;
}

QTextBlockFormat ToQt(const rtf::ParaFormat& p)
{
    QTextBlockFormat q;
    switch (p.alignment) {
    case Alignment::Left: q.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); break;
    case Alignment::Center: q.setAlignment(Qt::AlignHCenter); break;
    case Alignment::Right: q.setAlignment(Qt::AlignRight | Qt::AlignAbsolute); break;
    case Alignment::Justify: q.setAlignment(Qt::AlignJustify); break;
    }
    q.setLeftMargin(p.leftIndent / kTwipsPerPixel);
    q.setRightMargin(p.rightIndent / kTwipsPerPixel);
    q.setTextIndent(p.firstIndent / kTwipsPerPixel);
    q.setTopMargin(p.spaceBefore / kTwipsPerPixel);
    q.setBottomMargin(p.spaceAfter / kTwipsPerPixel);
    if (p.lineSpacing != 0 && p.lineMultiple)
        q.setLineHeight(p.lineSpacing * 100.0 / 240, QTextBlockFormat::ProportionalHeight);
    else if (p.lineSpacing > 0)
        q.setLineHeight(p.lineSpacing / kTwipsPerPixel, QTextBlockFormat::MinimumHeight);
    else if (p.lineSpacing < 0)
        q.setLineHeight(-p.lineSpacing / kTwipsPerPixel, QTextBlockFormat::FixedHeight);
    QList<QTextOption::Tab> tabs;
    QVariantList exact;
    for (const int t : p.tabs) {
        tabs.append(QTextOption::Tab(t / kTwipsPerPixel, QTextOption::LeftTab));
        exact.append(t);
    }
    q.setTabPositions(tabs);
    q.setProperty(kLeftTwips, p.leftIndent);
    q.setProperty(kRightTwips, p.rightIndent);
    q.setProperty(kFirstTwips, p.firstIndent);
    q.setProperty(kBeforeTwips, p.spaceBefore);
    q.setProperty(kAfterTwips, p.spaceAfter);
    q.setProperty(kLineSpacing, p.lineSpacing);
    q.setProperty(kLineMultiple, p.lineMultiple);
    q.setProperty(kTabsTwips, exact);
    return q;
}

// A model distance: the exact value when it still matches what shows, else what shows.
int Twips(const QTextBlockFormat& q, int property, double pixels)
{
    const int shown = static_cast<int>(std::lround(pixels * kTwipsPerPixel));
    if (q.hasProperty(property) && std::abs(q.intProperty(property) - shown) <= 1) return q.intProperty(property);
    return shown;
}

rtf::ParaFormat FromQt(const QTextBlock& block)
{
    const QTextBlockFormat q = block.blockFormat();
    rtf::ParaFormat p;
    const Qt::Alignment a = q.alignment();
    if (a & Qt::AlignHCenter) p.alignment = Alignment::Center;
    else if (a & Qt::AlignJustify) p.alignment = Alignment::Justify;
    else if (a & Qt::AlignRight) p.alignment = Alignment::Right;
    p.leftIndent = Twips(q, kLeftTwips, q.leftMargin());
    p.rightIndent = Twips(q, kRightTwips, q.rightMargin());
    p.firstIndent = Twips(q, kFirstTwips, q.textIndent());
    p.spaceBefore = Twips(q, kBeforeTwips, q.topMargin());
    p.spaceAfter = Twips(q, kAfterTwips, q.bottomMargin());
    if (q.hasProperty(kLineSpacing)) {
        p.lineSpacing = q.intProperty(kLineSpacing);
        p.lineMultiple = p.lineSpacing != 0 && q.boolProperty(kLineMultiple);
    }
    const QVariantList exact = q.property(kTabsTwips).toList();
    const QList<QTextOption::Tab> tabs = q.tabPositions();
    for (qsizetype i = 0; i < tabs.size() && p.tabs.size() < static_cast<std::size_t>(rtf::kMaxTabs); ++i)
        p.tabs.push_back(i < exact.size() ? exact[i].toInt() : static_cast<int>(std::lround(tabs[i].position * kTwipsPerPixel)));
    p.bullet = block.textList() != nullptr;
    return p;
}

// Gives the cursor's paragraph format `p`. A paragraph belongs to a list through its
// format's object index, so a bullet paragraph keeps (or joins) `list`, the list of the
// bullet paragraph before it, and any other leaves its list.
void SetParagraph(QTextCursor& c, const rtf::ParaFormat& p, QTextList*& list)
{
    QTextBlockFormat f = ToQt(p);
    if (!p.bullet) {
        c.setBlockFormat(f);
        list = nullptr;
        return;
    }
    if (QTextList* own = c.block().textList(); own != nullptr && list == nullptr) list = own;
    if (list == nullptr) {
        c.setBlockFormat(f);
        QTextListFormat lf;
        lf.setStyle(QTextListFormat::ListDisc);
        lf.setIndent(0);
        list = c.createList(lf);
    }
    f.setObjectIndex(list->objectIndex());
    c.setBlockFormat(f);
}

// Shows web addresses as links without storing that in the text.
class TLinkHighlighter : public QSyntaxHighlighter {
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;

protected:
    void highlightBlock(const QString& text) override
    {
        QTextCharFormat link;
        link.setForeground(QColor(0, 0, 255));
        link.setFontUnderline(true);
        for (const TWebAddressRange& r : FindWebAddresses(text.toStdString())) setFormat(r.start, r.length, link);
    }
};

}  // namespace

TQtRichDocument::TQtRichDocument()
{
    doc_.addResource(QTextDocument::ImageResource, QUrl(kObjectBox), ObjectBoxImage());
    doc_.setDocumentMargin(0);
}

void TQtRichDocument::SetMargins(int left, int top, int right, int bottom)
{
    margins_[0] = std::max(left, 0);
    margins_[1] = std::max(top, 0);
    margins_[2] = std::max(right, 0);
    margins_[3] = std::max(bottom, 0);
    QTextFrameFormat format = doc_.rootFrame()->frameFormat();
    if (format.leftMargin() == margins_[0] && format.topMargin() == margins_[1] &&
        format.rightMargin() == margins_[2] && format.bottomMargin() == margins_[3])
        return;
    format.setLeftMargin(margins_[0]);
    format.setTopMargin(margins_[1]);
    format.setRightMargin(margins_[2]);
    format.setBottomMargin(margins_[3]);
    // Qt records a frame's format change as an edit; margins are no edit of the user's, so
    // a history that was empty stays empty.
    const bool hadHistory = doc_.isUndoAvailable();
    doc_.rootFrame()->setFrameFormat(format);
    if (!hadHistory) doc_.clearUndoRedoStacks(QTextDocument::UndoStack);
}

int TQtRichDocument::Clip(int position) const { return std::clamp(position, 0, Length()); }

int TQtRichDocument::Length() const { return doc_.characterCount() - 1; }

void TQtRichDocument::Load(const rtf::Document& document)
{
    const bool undo = doc_.isUndoRedoEnabled();
    doc_.setUndoRedoEnabled(false);
    doc_.clear();
    doc_.addResource(QTextDocument::ImageResource, QUrl(kObjectBox), ObjectBoxImage());
    fonts_ = document.fonts;
    colors_ = document.colors;
    Insert(0, document, true);
    // Clearing made a new root frame without the margins.
    SetMargins(margins_[0], margins_[1], margins_[2], margins_[3]);
    doc_.setUndoRedoEnabled(undo);
    doc_.setModified(false);
}

int TQtRichDocument::Insert(int at, const rtf::Document& document, bool firstIntoCurrent)
{
    QTextCursor c(&doc_);
    c.setPosition(at);
    c.beginEditBlock();
    QTextList* list = nullptr;
    // What text typed into an emptied paragraph looks like: its first character's format
    // (an empty paragraph: the format the text before it ended in).
    const rtf::CharFormat* mark = nullptr;
    for (std::size_t i = 0; i < document.paragraphs.size(); ++i) {
        const rtf::Paragraph& para = document.paragraphs[i];
        if (i > 0) c.insertBlock();
        if (!para.runs.empty()) mark = &para.runs.front().format;
        if (i > 0 || firstIntoCurrent) {
            SetParagraph(c, para.format, list);
            if (mark != nullptr) c.setBlockCharFormat(ToQt(*mark, document.fonts, document.colors));
        }
        if (!para.runs.empty()) mark = &para.runs.back().format;
        for (const rtf::Run& run : para.runs) {
            if (!run.object.empty()) {
                QTextImageFormat image;
                image.merge(ToQt(run.format, document.fonts, document.colors));
                image.setName(kObjectBox);
                image.setProperty(kObjectBytes, QByteArray(run.object.data(), static_cast<qsizetype>(run.object.size())));
                c.insertImage(image);
            } else {
                c.insertText(DocumentText(run.text), ToQt(run.format, document.fonts, document.colors));
            }
        }
    }
    c.endEditBlock();
    return c.position();
}

rtf::Document TQtRichDocument::Save() const { return SaveBetween(0, Length()); }

rtf::Document TQtRichDocument::SaveRange(int start, int length) const
{
    const int from = Clip(start);
    return SaveBetween(from, Clip(from + std::max(0, length)));
}

rtf::Document TQtRichDocument::SaveBetween(int start, int end) const
{
    rtf::Document out;
    out.fonts = fonts_;
    out.colors = colors_;
    for (QTextBlock block = doc_.findBlock(start); block.isValid() && block.position() <= end; block = block.next()) {
        rtf::Paragraph para;
        para.format = FromQt(block);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int from = std::max(fragment.position(), start);
            const int to = std::min(fragment.position() + fragment.length(), end);
            if (from >= to) continue;
            const QTextCharFormat format = fragment.charFormat();
            const rtf::CharFormat f = FromQt(format, out.fonts, out.colors);
            if (format.hasProperty(kObjectBytes)) {
                const QByteArray bytes = format.property(kObjectBytes).toByteArray();
                for (int n = from; n < to; ++n) para.runs.push_back(rtf::Run{f, {}, bytes.toStdString()});
                continue;
            }
            std::string text = ModelText(fragment.text().mid(from - fragment.position(), to - from));
            if (text.empty()) continue;
            if (!para.runs.empty() && para.runs.back().object.empty() && para.runs.back().format == f)
                para.runs.back().text += text;
            else
                para.runs.push_back(rtf::Run{f, std::move(text), {}});
        }
        out.paragraphs.push_back(std::move(para));
        if (block.position() + block.length() > end) break;
    }
    if (out.paragraphs.empty()) out.paragraphs.emplace_back();
    return out;
}

int TQtRichDocument::ReplaceRange(int start, int length, const rtf::Document& document)
{
    const int from = Clip(start);
    QTextCursor c(&doc_);
    c.setPosition(from);
    c.setPosition(Clip(from + std::max(0, length)), QTextCursor::KeepAnchor);
    c.beginEditBlock();
    c.removeSelectedText();
    const bool atParagraphStart = c.atBlockStart();
    const int end = Insert(c.position(), document, atParagraphStart);
    c.endEditBlock();
    return end;
}

int TQtRichDocument::ReplaceText(int start, int length, const std::string& text)
{
    const int from = Clip(start);
    QTextCursor c(&doc_);
    c.setPosition(from);
    c.setPosition(Clip(from + std::max(0, length)), QTextCursor::KeepAnchor);
    QString s = DocumentText(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    c.insertText(s);
    return c.position();
}

std::string TQtRichDocument::Text() const { return TextRange(0, Length()); }

std::string TQtRichDocument::TextRange(int start, int length) const
{
    QTextCursor c(&doc_);
    const int from = Clip(start);
    c.setPosition(from);
    c.setPosition(Clip(from + std::max(0, length)), QTextCursor::KeepAnchor);
    return ModelText(c.selectedText());
}

int TQtRichDocument::ParagraphCount() const { return doc_.blockCount(); }

std::string TQtRichDocument::Paragraph(int index) const
{
    const QTextBlock block = doc_.findBlockByNumber(index);
    return block.isValid() ? ModelText(block.text()) : std::string();
}

int TQtRichDocument::ParagraphStart(int index) const
{
    const QTextBlock block = doc_.findBlockByNumber(index);
    return block.isValid() ? block.position() : Length() + 1;
}

int TQtRichDocument::ParagraphAt(int position) const { return doc_.findBlock(Clip(position)).blockNumber(); }

int TQtRichDocument::Find(const std::string& text, int start, int end, bool matchCase, bool wholeWord) const
{
    if (text.empty()) return -1;
    QTextDocument::FindFlags flags;
    if (matchCase) flags |= QTextDocument::FindCaseSensitively;
    if (wholeWord) flags |= QTextDocument::FindWholeWords;
    const QTextCursor found = doc_.find(DocumentText(text), Clip(start), flags);
    if (found.isNull()) return -1;
    const int at = found.selectionStart();
    return end >= 0 && at >= end ? -1 : at;
}

void TQtRichDocument::ApplyChars(int start, int length, const TRichCharChange& change)
{
    const int from = Clip(start);
    const int to = Clip(from + std::max(0, length));
    QTextCursor c(&doc_);
    c.beginEditBlock();
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    QTextCharFormat q;
    if (change.bold) q.setFontWeight(*change.bold ? QFont::Bold : QFont::Normal);
    if (change.italic) q.setFontItalic(*change.italic);
    if (change.underline) q.setFontUnderline(*change.underline);
    if (change.strike) q.setFontStrikeOut(*change.strike);
    if (change.fontName) {
        q.setFontFamilies(QStringList{ToQString(*change.fontName)});
        q.setProperty(kRtfFamily, QStringLiteral("nil"));
        q.setProperty(kRtfCharset, 0);
    }
    if (change.halfPoints) {
        q.setFontPointSize(*change.halfPoints / 2.0);
        q.setProperty(kHalfPoints, *change.halfPoints);
    }
    if (change.color) q.setForeground(ToQColor(*change.color));
    if (change.background && *change.background) q.setBackground(ToQColor(**change.background));
    if (from == to) {
        c.mergeCharFormat(q);
    } else {
        c.mergeCharFormat(q);
        if (change.background && !*change.background) {
            // Merging cannot take a property away: each fragment loses its background itself.
            for (QTextBlock block = doc_.findBlock(from); block.isValid() && block.position() < to; block = block.next())
                for (auto it = block.begin(); !it.atEnd(); ++it) {
                    const QTextFragment fragment = it.fragment();
                    const int a = std::max(fragment.position(), from);
                    const int b = std::min(fragment.position() + fragment.length(), to);
                    if (a >= b) continue;
                    QTextCharFormat f = fragment.charFormat();
                    f.clearBackground();
                    QTextCursor part(&doc_);
                    part.setPosition(a);
                    part.setPosition(b, QTextCursor::KeepAnchor);
                    part.setCharFormat(f);
                }
        }
        // A paragraph whose start changed format is typed into, once emptied, in the new one.
        for (QTextBlock block = doc_.findBlock(from); block.isValid() && block.position() < to; block = block.next()) {
            if (block.position() < from || block.length() <= 1) continue;
            QTextCursor mark(block);
            mark.setBlockCharFormat(block.begin().fragment().charFormat());
        }
    }
    c.endEditBlock();
}

TRichCharState TQtRichDocument::CharsAt(int start, int length) const
{
    const int from = Clip(start);
    const int to = Clip(from + std::max(0, length));
    std::vector<QTextCharFormat> formats;
    if (from == to) {
        QTextCursor c(&doc_);
        c.setPosition(from);
        formats.push_back(c.charFormat());
    } else {
        for (QTextBlock block = doc_.findBlock(from); block.isValid() && block.position() < to; block = block.next())
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                if (std::max(fragment.position(), from) < std::min(fragment.position() + fragment.length(), to))
                    formats.push_back(fragment.charFormat());
            }
        if (formats.empty()) formats.push_back(QTextCharFormat());
    }
    TRichCharState s;
    const QTextCharFormat& first = formats.front();
    s.bold = s.italic = s.underline = s.strike = true;
    for (const QTextCharFormat& f : formats) {
        s.bold = s.bold && f.fontWeight() >= QFont::DemiBold;
        s.italic = s.italic && f.fontItalic();
        s.underline = s.underline && f.fontUnderline();
        s.strike = s.strike && f.fontStrikeOut();
    }
    const QStringList families = first.fontFamilies().toStringList();
    s.fontName = families.isEmpty() ? doc_.defaultFont().family().toStdString() : families.front().toStdString();
    s.halfPoints = first.hasProperty(kHalfPoints) ? first.intProperty(kHalfPoints)
                                                  : static_cast<int>(std::lround(first.fontPointSize() * 2));
    if (first.foreground().style() != Qt::NoBrush) s.color = ToRgb(first.foreground().color());
    if (first.background().style() != Qt::NoBrush) s.background = ToRgb(first.background().color());
    return s;
}

void TQtRichDocument::ApplyParagraphs(int start, int length, const TRichParaChange& change)
{
    const int from = Clip(start);
    const int to = Clip(from + std::max(0, length));
    QTextCursor c(&doc_);
    c.beginEditBlock();
    QTextList* list = nullptr;
    for (QTextBlock block = doc_.findBlock(from); block.isValid() && (block.position() <= to); block = block.next()) {
        rtf::ParaFormat p = FromQt(block);
        if (change.alignment) p.alignment = *change.alignment;
        if (change.leftIndent) p.leftIndent = *change.leftIndent;
        if (change.rightIndent) p.rightIndent = *change.rightIndent;
        if (change.firstIndent) p.firstIndent = *change.firstIndent;
        if (change.spaceBefore) p.spaceBefore = *change.spaceBefore;
        if (change.spaceAfter) p.spaceAfter = *change.spaceAfter;
        if (change.lineSpacing) {
            p.lineSpacing = *change.lineSpacing;
            p.lineMultiple = change.lineMultiple && p.lineSpacing != 0;
        }
        if (change.tabs) {
            p.tabs = *change.tabs;
            if (p.tabs.size() > static_cast<std::size_t>(rtf::kMaxTabs)) p.tabs.resize(rtf::kMaxTabs);
        }
        if (change.bullet) p.bullet = *change.bullet;
        c.setPosition(block.position());
        if (!p.bullet || !change.bullet) list = p.bullet ? block.textList() : nullptr;
        SetParagraph(c, p, list);
        if (block.position() + block.length() > to) break;
    }
    c.endEditBlock();
}

rtf::ParaFormat TQtRichDocument::ParagraphFormat(int position) const { return FromQt(doc_.findBlock(Clip(position))); }

void TQtRichDocument::MarkLinks(bool on)
{
    if (on == links_) return;
    links_ = on;
    if (on) {
        new TLinkHighlighter(&doc_);
    } else {
        for (QSyntaxHighlighter* h : doc_.findChildren<QSyntaxHighlighter*>()) {
            h->setDocument(nullptr);
            delete h;
        }
    }
}

}  // namespace ui::qt
