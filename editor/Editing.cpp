// The editing side of TTextMemo: selection, replacement recorded for undo (TUndoStack),
// column blocks, the clipboard, the style commands and the caret's place.

#include "editor/TextMemo.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Input.h"

#include <algorithm>
#include <climits>

namespace editor {

namespace {
constexpr int kMaxStyledSelection = 2147483545;

std::string WithoutStyleCodes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text)
        if (!IsStyleCode(static_cast<unsigned char>(c))) out.push_back(c);
    return out;
}
}  // namespace

// ---- Characters ---------------------------------------------------------------------------

char TTextMemo::CharAt(int offset) const
{
    const TParagraphRec& rec = paragraphs_[ParagraphOfOffset(offset)];
    const int in = offset - rec.Start;
    if (in < rec.Length()) return rec.Text[static_cast<std::size_t>(in)];
    return in == rec.Length() ? '\r' : '\n';
}

int TTextMemo::NextCharOffset(int offset) const
{
    if (offset >= textLength_) return textLength_;
    const TParagraphRec& rec = paragraphs_[ParagraphOfOffset(offset)];
    const int in = offset - rec.Start;
    if (in >= rec.Length()) return std::min(rec.Start + rec.Length() + 2, textLength_);
    return rec.Start + static_cast<int>(rtl::Utf8NextCharStart(rec.Text, static_cast<std::size_t>(in)));
}

int TTextMemo::PrevCharOffset(int offset) const
{
    if (offset <= 0) return 0;
    const TParagraphRec& rec = paragraphs_[ParagraphOfOffset(offset)];
    const int in = offset - rec.Start;
    if (in == 0) return offset - 2;  // the end of the paragraph before
    return rec.Start + static_cast<int>(rtl::Utf8CharStartAt(rec.Text, static_cast<std::size_t>(in - 1)));
}

// ---- Selection ----------------------------------------------------------------------------

void TTextMemo::InvalidateSelection()
{
    if (selLength_ == 0 || !HandleAllocated()) return;
    const int a = ParagraphOfOffset(SelFrom()), b = ParagraphOfOffset(SelTo());
    InvalidateLines(paragraphs_[a].FirstLine, paragraphs_[b].FirstLine + paragraphs_[b].LineCount() - 1);
}

void TTextMemo::SetCaretPlace(int offset)
{
    InvalidateSelection();
    selStart_ = SnapOffset(offset);
    selLength_ = 0;
    columnBlock_ = false;
}

void TTextMemo::SetSelStart(int offset)
{
    SetCaretPlace(offset);
    virtualBlanks_ = 0;
    rememberedX_ = -1;
    undo_.BreakGroup();
    UpdateCaret();
}

void TTextMemo::SetSelLength(int length)
{
    InvalidateSelection();
    const std::int64_t end = std::clamp<std::int64_t>(static_cast<std::int64_t>(selStart_) + length, 0, textLength_);
    selLength_ = SnapOffset(static_cast<int>(end)) - selStart_;
    columnBlock_ = false;
    undo_.BreakGroup();
    InvalidateSelection();
}

int TTextMemo::SelPar() const { return ParagraphOfOffset(selStart_); }

void TTextMemo::SetSelPar(int paragraph)
{
    paragraph = std::clamp(paragraph, 0, paragraphs_.Count() - 1);
    SetSelStart(paragraphs_[paragraph].Start);
}

int TTextMemo::SelLine()
{
    const int p = SelPar();
    const TParagraphRec& rec = paragraphs_[p];
    return rec.FirstLine + rec.LineOfOffset(selStart_ - rec.Start);
}

void TTextMemo::SetSelLine(int line)
{
    line = std::clamp(line, 0, std::max(0, lineCount_ - 1));
    FormatUpToLine(line);
    const int p = ParagraphOfLine(line);
    TParagraphRec& rec = paragraphs_[p];
    TLinesList lines(rec);
    const int j = std::clamp(line - rec.FirstLine, 0, lines.Count() - 1);
    SetSelStart(rec.Start + lines[j].Start);
}

int TTextMemo::SelCol()
{
    const int p = SelPar();
    TParagraphRec& rec = paragraphs_[p];
    const int in = selStart_ - rec.Start;
    TLinesList lines(rec);
    const int start = std::clamp(lines[rec.LineOfOffset(in)].Start, 0, in);
    return static_cast<int>(rtl::Utf8CharCount(std::string_view(rec.Text).substr(
               static_cast<std::size_t>(start), static_cast<std::size_t>(in - start)))) +
           virtualBlanks_;
}

void TTextMemo::SetSelCol(int column)
{
    const int p = SelPar();
    TParagraphRec& rec = paragraphs_[p];
    TLinesList lines(rec);
    const int j = rec.LineOfOffset(selStart_ - rec.Start);
    const bool lastLine = j + 1 == lines.Count();
    // The end of a wrapped line is the start of the next one: stop before its last character.
    int end = std::clamp(lines[j].Stop, lines[j].Start, rec.Length());
    if (!lastLine && end > lines[j].Start) end = static_cast<int>(rtl::Utf8CharStartAt(rec.Text, static_cast<std::size_t>(end - 1)));
    int at = std::max(0, lines[j].Start);
    int n = 0;
    while (n < column && at < end) {
        at = static_cast<int>(rtl::Utf8NextCharStart(rec.Text, static_cast<std::size_t>(at)));
        ++n;
    }
    SetCaretPlace(rec.Start + at);
    undo_.BreakGroup();
    rememberedX_ = -1;
    virtualBlanks_ = (options_[tmoKeepColumnPos] && !wordWrap_ && lastLine) ? std::max(0, column - n) : 0;
    UpdateCaret();
}

std::string TTextMemo::SelText() const
{
    if (columnBlock_) return ColumnBlockText();
    return GetTextPart(SelFrom(), SelTo());
}

void TTextMemo::SetSelText(std::string_view text)
{
    if (options_[tmoPutExtraSpaces] && !columnBlock_ && virtualBlanks_ > 0) {
        std::string padded(static_cast<std::size_t>(virtualBlanks_), ' ');
        padded.append(text);
        ReplaceSelection(padded);
    } else {
        ReplaceSelection(text);
    }
}

void TTextMemo::SelectAll()
{
    SetSelStart(textLength_);
    SetSelLength(-textLength_);
    UpdateCaret();
}

void TTextMemo::SelectWord(bool toWordEnd)
{
    auto delimiter = [&](int offset) {
        if (offset >= textLength_) return true;
        const auto c = static_cast<unsigned char>(CharAt(offset));
        return c == '\r' || c == '\n' || IsSeparator(c);
    };
    int start = selStart_;
    while (start > 0 && delimiter(start)) start = PrevCharOffset(start);
    while (start > 0 && !delimiter(PrevCharOffset(start))) start = PrevCharOffset(start);
    int end = start;
    if (toWordEnd) {
        while (end < textLength_ && !delimiter(end)) end = NextCharOffset(end);
        if (options_[tmoLargeWordSelect]) {
            while (end < textLength_) {
                const char c = CharAt(end);
                if (c == '\r' || c == '\n' || !IsSeparator(static_cast<unsigned char>(c))) break;
                end = NextCharOffset(end);
            }
        }
    }
    const bool backwards = selLength_ < 0;
    InvalidateSelection();
    selStart_ = backwards ? end : start;
    selLength_ = backwards ? start - end : end - start;
    columnBlock_ = false;
    virtualBlanks_ = 0;
    undo_.BreakGroup();
    InvalidateSelection();
    UpdateCaret();
}

// ---- Column blocks ------------------------------------------------------------------------

void TTextMemo::SelectColumnBlock(int firstParagraph, int firstColumn, int lastParagraph, int lastColumn)
{
    const int count = paragraphs_.Count();
    firstParagraph = std::clamp(firstParagraph, 0, count - 1);
    lastParagraph = std::clamp(lastParagraph, 0, count - 1);
    firstColumn = std::max(0, firstColumn);
    lastColumn = std::max(0, lastColumn);
    const int anchor = paragraphs_[firstParagraph].Start + ColumnToOffset(firstParagraph, firstColumn);
    const int caret = paragraphs_[lastParagraph].Start + ColumnToOffset(lastParagraph, lastColumn);
    InvalidateSelection();
    selStart_ = caret;
    selLength_ = anchor - caret;
    columnBlock_ = true;
    blockCol1_ = firstColumn;
    blockCol2_ = lastColumn;
    virtualBlanks_ = 0;
    undo_.BreakGroup();
    InvalidateSelection();
    UpdateCaret();
}

std::string TTextMemo::ColumnBlockText() const
{
    const int first = ParagraphOfOffset(SelFrom()), last = ParagraphOfOffset(SelTo());
    const int lo = std::min(blockCol1_, blockCol2_), hi = std::max(blockCol1_, blockCol2_);
    std::string out;
    for (int p = first; p <= last; ++p) {
        const int a = ColumnToOffset(p, lo), b = ColumnToOffset(p, hi);
        if (b > a) out.append(paragraphs_[p].Text, static_cast<std::size_t>(a), static_cast<std::size_t>(b - a));
        out += "\r\n";
    }
    return out;
}

// ---- Replacement --------------------------------------------------------------------------

void TTextMemo::ReplaceSelection(std::string_view text)
{
    // Every byte takes at least one place in the store: refuse before copying the text.
    if (static_cast<std::int64_t>(textLength_) - (SelTo() - SelFrom()) + static_cast<std::int64_t>(text.size()) > kMaxTextLength)
        TextTooLongError();
    ReplaceSelectionWith(std::string(text), false);
}

void TTextMemo::ReplaceSelectionWith(std::string text, bool verbatim)
{
    OnBeforeChange(this, text);
    if (selLength_ == 0 && text.empty()) return;

    // The changes of one command are one undo step.
    auto command = rtl::MakeScope(undo_, &TUndoStack::BeginCommand, &TUndoStack::EndCommand);

    if (columnBlock_) {
        const int first = ParagraphOfOffset(SelFrom()), last = ParagraphOfOffset(SelTo());
        const int lo = std::min(blockCol1_, blockCol2_), hi = std::max(blockCol1_, blockCol2_);
        columnBlock_ = false;
        {
            auto update = rtl::MakeScope(*this, &TTextMemo::BeginUpdate, &TTextMemo::EndUpdate);
            for (int p = first; p <= last; ++p) {
                const int a = ColumnToOffset(p, lo), b = ColumnToOffset(p, hi);
                if (b <= a) continue;
                selStart_ = paragraphs_[p].Start + a;
                selLength_ = b - a;
                ReplaceSelectionWith(std::string(), false);
            }
            selStart_ = paragraphs_[first].Start + ColumnToOffset(first, lo);
            selLength_ = 0;
        }
        if (text.empty()) {
            UpdateCaret();
            ScrollCaretIntoView();
            return;
        }
    }

    virtualBlanks_ = 0;
    rememberedX_ = -1;
    const bool emptySelection = selLength_ == 0;
    int start = SelFrom();
    const int stop = SelTo();
    if (options_[tmoDiscardTrailingSpaces]) {
        const std::size_t cr = text.find('\r');
        const std::string_view first = std::string_view(text).substr(0, cr);
        const bool blankFirst = first.find_first_not_of(" \t") == std::string_view::npos;
        const int pb = ParagraphOfOffset(stop);
        const bool stopAtEnd = stop - paragraphs_[pb].Start >= paragraphs_[pb].Length();
        if (blankFirst && (cr != std::string::npos || stopAtEnd)) {
            const TParagraphRec& rec = paragraphs_[ParagraphOfOffset(start)];
            int in = start - rec.Start;
            while (in > 0 && (rec.Text[static_cast<std::size_t>(in - 1)] == ' ' || rec.Text[static_cast<std::size_t>(in - 1)] == '\t'))
                --in;
            start = rec.Start + in;
        }
    }
    std::string oldText = GetTextPart(start, stop);
    const int caret = ReplaceRange(start, stop, text, verbatim);
    modified_ = true;
    undo_.Record(start, emptySelection ? start : stop, caret, std::move(oldText));
    selStart_ = caret;
    selLength_ = 0;
    OnParse(this, start, caret);
    if (updateCount_ == 0) {
        UpdateChanges();
        UpdateCaret();
        ScrollCaretIntoView();
    }
}

// ---- Undo ---------------------------------------------------------------------------------

int TTextMemo::ReplayUndoRecord(const TUndoRecord& r, std::string& replaced)
{
    replaced = GetTextPart(r.Start, r.Stop);
    const int end = ReplaceRange(r.Start, r.Stop, r.Text, true);
    modified_ = true;
    OnParse(this, r.Start, end);
    InvalidateSelection();
    selStart_ = end;
    selLength_ = 0;
    columnBlock_ = false;
    return end;
}

void TTextMemo::ReplayUndo(bool redo)
{
    if (redo ? !CanRedo() : !CanUndo()) return;
    {
        auto replaying = rtl::MakeScope(undo_, &TUndoStack::BeginReplay, &TUndoStack::EndReplay);
        auto update = rtl::MakeScope(*this, &TTextMemo::BeginUpdate, &TTextMemo::EndUpdate);
        const TUndoStack::TReplay replay = [this](const TUndoRecord& r, std::string& replaced) {
            return ReplayUndoRecord(r, replaced);
        };
        if (redo)
            undo_.Redo(replay);
        else
            undo_.Undo(replay);
    }
    UpdateCaret();
    ScrollCaretIntoView();
}

void TTextMemo::Undo() { ReplayUndo(false); }

void TTextMemo::Redo() { ReplayUndo(true); }

// ---- Clipboard ----------------------------------------------------------------------------

void TTextMemo::CopyToClipboard()
{
    if (selLength_ == 0) return;
    ui::TClipboard& clipboard = ui::Clipboard();
    if (columnBlock_) {
        const std::string text = ColumnBlockText();
        auto open = rtl::MakeScope(clipboard, &ui::TClipboard::Open, &ui::TClipboard::Close);
        clipboard.SetAsText(text);
        std::string block = text;
        block.push_back('\0');
        clipboard.SetData(BlockClipboardFormat(), block);
        return;
    }
    const std::string text = SelText();
    clipboard.SetAsText(options_[tmoPlainClipboard] ? WithoutStyleCodes(text) : text);
}

void TTextMemo::CutToClipboard()
{
    if (selLength_ == 0) return;
    CopyToClipboard();
    ReplaceSelection(std::string_view());
}

void TTextMemo::PasteFromClipboard()
{
    ui::TClipboard& clipboard = ui::Clipboard();
    if (!clipboard.HasFormat(ui::CF_TEXT)) return;
    const std::string text = clipboard.AsText();
    const bool block = options_[tmoBlockSelection] && clipboard.HasFormat(BlockClipboardFormat());
    undo_.BreakGroup();
    if (block)
        PasteColumnBlock(text);
    else
        ReplaceSelection(text);
    undo_.BreakGroup();
}

void TTextMemo::PasteColumnBlock(std::string_view text)
{
    std::vector<std::string_view> rows;
    while (!text.empty()) {
        const std::size_t brk = text.find("\r\n");
        rows.push_back(text.substr(0, brk));
        if (brk == std::string_view::npos) break;
        text.remove_prefix(brk + 2);
    }
    if (rows.empty()) return;
    auto command = rtl::MakeScope(undo_, &TUndoStack::BeginCommand, &TUndoStack::EndCommand);
    {
        auto update = rtl::MakeScope(*this, &TTextMemo::BeginUpdate, &TTextMemo::EndUpdate);
        if (selLength_ != 0) ReplaceSelectionWith(std::string(), false);
        const int column = std::max(0, (CaretX() + HorizontalOffset() - leftMargin_) / std::max(1, avgCharWidth_));
        const int first = SelPar();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const int p = first + static_cast<int>(i);
            if (p >= paragraphs_.Count()) {
                selStart_ = textLength_;
                selLength_ = 0;
                ReplaceSelectionWith("\r\n", true);
            }
            int beyond = 0;
            const int at = ColumnToOffset(p, column, &beyond);
            selStart_ = paragraphs_[p].Start + at;
            selLength_ = 0;
            columnBlock_ = false;
            std::string row(static_cast<std::size_t>(beyond), ' ');
            row.append(rows[i]);
            if (!row.empty()) ReplaceSelectionWith(std::move(row), false);
        }
    }
    UpdateCaret();
    ScrollCaretIntoView();
}

// ---- Style commands -----------------------------------------------------------------------

void TTextMemo::StyleCommand(unsigned char code)
{
    if (!staticFormat_ || selLength_ >= kMaxStyledSelection || selLength_ <= -kMaxStyledSelection) return;
    const bool backwards = selLength_ < 0;
    const int from = SelFrom();
    const std::string selected = GetTextPart(SelFrom(), SelTo());
    std::string text(1, static_cast<char>(code));
    text += selected;
    text.push_back(static_cast<char>(code));
    columnBlock_ = false;
    ReplaceSelectionWith(std::move(text), true);
    const int length = static_cast<int>(selected.size());
    SetSelStart(backwards ? from + 1 + length : from + 1);
    if (length > 0) SetSelLength(backwards ? -length : length);
    UpdateCaret();
}

bool TTextMemo::ExecuteCommand(int code)
{
    switch (code) {
    case ecItalic: SetItalic(); return true;
    case ecBold: SetBold(); return true;
    case ecHighlight: SetHighlight(); return true;
    case ecAltFont: SetAltFont(); return true;
    case ecUnderline: SetUnderline(); return true;
    default: return false;
    }
}

// ---- Caret --------------------------------------------------------------------------------

int TTextMemo::WidthBefore(int paragraph, int line, int offsetInParagraph)
{
    TParagraphRec& rec = paragraphs_[paragraph];
    TLinesList lines(rec);
    line = std::clamp(line, 0, lines.Count() - 1);
    const std::string& text = rec.Text;
    const int from = std::clamp(lines[line].Start, 0, rec.Length());
    const int to = std::clamp(offsetInParagraph, from, rec.Length());
    const bool measure = MeasuringCanvas() != nullptr;
    std::uint8_t style = staticFormat_ ? ApplyStyleCodes(0, std::string_view(text).substr(0, static_cast<std::size_t>(from))) : 0;
    long long x = 0;
    int run = from;
    auto flush = [&](int at) {
        if (at > run) {
            const std::string_view piece = std::string_view(text).substr(static_cast<std::size_t>(run), static_cast<std::size_t>(at - run));
            x += measure ? MeasureRun(piece, style) - MetricsOf(style).overhang
                         : static_cast<long long>(rtl::Utf8CharCount(piece)) * avgCharWidth_;
        }
        run = at + 1;
    };
    for (int i = from; i < to; ++i) {
        const auto c = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
        if (staticFormat_ && IsStyleCode(c)) {
            flush(i);
            style ^= StyleBitOfCode(c);
        } else if (c == kTab) {
            flush(i);
            if (tabStops_ >= 1) {
                const long long tab = static_cast<long long>(tabStops_) * blankWidth_;
                x = (x / tab + 1) * tab;
            }
        } else if (c == ' ' && measure) {
            flush(i);
            x += MetricsOf(style).blank;
        }
    }
    flush(to);
    return static_cast<int>(std::clamp<long long>(x, 0, INT_MAX / 2));
}

void TTextMemo::UpdateCaret(bool recreate)
{
    if (updateCount_ > 0) return;
    const int p = SelPar();
    if (!paragraphs_[p].Formatted && WindowAttached()) FormatRange(p, p);
    TParagraphRec& rec = paragraphs_[p];
    const int in = selStart_ - rec.Start;
    const int line = rec.LineOfOffset(in);
    // The caret's x costs a measurement: it is taken when the caret is shown or asked for.
    caretY_ = (rec.FirstLine + line) * lineHeight_ - TopPixel();
    if (HandleAllocated() && Focused() && !displayOnly_) {
        CaretX();
        if (recreate || !caretCreated_ || (overwrite_ && options_[tmoWideOverwriteCaret])) {
            // Overwriting, the caret covers the character it would replace.
            int width = CaretWidthNow();
            if (overwrite_ && options_[tmoWideOverwriteCaret] && selLength_ == 0 && in < rec.Length()) {
                const int lineStart = TLinesList(rec)[line].Start;
                const int next = static_cast<int>(rtl::Utf8NextCharStart(rec.Text, static_cast<std::size_t>(in)));
                width = std::max(1, CharPosToX(next - lineStart, rec.FirstLine + line) - CharPosToX(in - lineStart, rec.FirstLine + line));
            }
            ui::CreateCaret(this, width, lineHeight_);
            ui::ShowCaret(this);
            caretCreated_ = true;
        }
        const int x = wordWrap_ ? std::min(caretX_, std::max(0, clientWidth_ - 1)) : caretX_;
        ui::SetCaretPos(x, caretY_);
    }
    const std::uint8_t style =
        staticFormat_ ? ApplyStyleCodes(0, std::string_view(rec.Text).substr(0, static_cast<std::size_t>(std::min(in, rec.Length())))) : 0;
    if (selStart_ != lastCaretOffset_ || virtualBlanks_ != lastVirtualBlanks_) {
        lastCaretOffset_ = selStart_;
        lastVirtualBlanks_ = virtualBlanks_;
        OnSelMove(this);
    }
    if (style != caretStyle_) {
        caretStyle_ = style;
        OnStyleChange(this);
    }
}

int TTextMemo::CaretX()
{
    const int p = SelPar();
    TParagraphRec& rec = paragraphs_[p];
    const int in = selStart_ - rec.Start;
    const int j = rec.LineOfOffset(in);
    const int lineStart = TLinesList(rec)[j].Start;
    // Where painting puts the character: alignment and justification included.
    caretX_ = static_cast<int>(std::clamp<long long>(
        static_cast<long long>(CharPosToX(in - lineStart, rec.FirstLine + j)) + static_cast<long long>(virtualBlanks_) * blankWidth_,
        INT_MIN / 2, INT_MAX / 2));
    return caretX_;
}

// ---- Scrolling ----------------------------------------------------------------------------

void TTextMemo::ScrollCaretIntoView() { scroller_->ScrollCaretIntoView(); }

void TTextMemo::ScrollTo(int topPixel, int horizontalOffset) { scroller_->ScrollTo(topPixel, horizontalOffset); }

}  // namespace editor
