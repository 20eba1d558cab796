// Keyboard and mouse input of TTextMemo: caret moves and selections by keys, the editing and
// hot keys, characters, clicks, word and line selection, text drag and drop inside the control
// and auto-scrolling while the button is held beyond an edge. Every one-character step is one
// UTF-8 sequence (or a whole paragraph break). Auto-scrolling runs on a layer timer that the
// control owns: nothing here waits or pumps the event loop, so a handler that frees the editor
// cannot leave a loop running on in freed memory.

#include "editor/TextMemo.h"

#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Screen.h"

#include <algorithm>
#include <climits>

namespace editor {

namespace {

bool Has(ui::TShiftState s, ui::TShiftStateFlag f) { return s.Contains(f); }

std::string Utf8Of(char32_t c)
{
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        if (c >= 0xD800 && c < 0xE000) return {};
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x110000) {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

}  // namespace

int TTextMemo::AutoScrollDelay(int speed) noexcept
{
    static constexpr int kDelays[] = {0, 400, 300, 200, 130, 78, 48, 30};
    return speed >= 0 && speed <= 7 ? kDelays[speed] : 0;
}

// ---- Positions --------------------------------------------------------------------------------

int TTextMemo::OffsetAtPoint(int x, int y)
{
    const long long line = static_cast<long long>(TopLine()) + LineAtY(y);
    if (line < 0) return 0;
    FormatUpToLine(static_cast<int>(std::min<long long>(line, INT_MAX - 1)));
    if (line >= lineCount_) return textLength_;
    const int l = static_cast<int>(line);
    TParagraphRec& rec = paragraphs_[ParagraphOfLine(l)];
    TLinesList lines(rec);
    const int j = std::clamp(l - rec.FirstLine, 0, lines.Count() - 1);
    return rec.Start + lines[j].Start + XToCharPos(options_[tmoKeepColumnPos], x, l);
}

bool TTextMemo::InLeftMarginZone(int x) const noexcept
{
    return !options_[tmoNoLineSelection] && static_cast<long long>(x) < static_cast<long long>(leftMargin_) - 2 - hOffset_;
}

// Moves the caret; with `extend` the far end of the selection stays where it was.
void TTextMemo::MoveCaretTo(int offset, bool extend)
{
    offset = SnapOffset(std::clamp(offset, 0, textLength_));
    InvalidateSelection();
    if (extend) {
        const int far = selStart_ + selLength_;
        selStart_ = offset;
        selLength_ = far - offset;
    } else {
        selStart_ = offset;
        selLength_ = 0;
        columnBlock_ = false;
    }
    undoGroupBroken_ = true;
    InvalidateSelection();
}

void TTextMemo::FinishVerticalMove(int line, bool extend)
{
    virtualBlanks_ = 0;
    line = std::clamp(line, 0, lineCount_ - 1);
    if (rememberedX_ < 0 || (!wordWrap_ && options_[tmoPutExtraSpaces] && !options_[tmoKeepColumnPos])) rememberedX_ = std::max(0, CaretX());
    TParagraphRec& rec = paragraphs_[ParagraphOfLine(line)];
    TLinesList lines(rec);
    const int j = std::clamp(line - rec.FirstLine, 0, lines.Count() - 1);
    const int offset = rec.Start + lines[j].Start + XToCharPos(options_[tmoKeepColumnPos], rememberedX_, line);
    const int keep = rememberedX_;
    MoveCaretTo(offset, extend);
    rememberedX_ = keep;
    if (options_[tmoKeepColumnPos] && !extend && selStart_ == rec.Start + rec.Length()) {
        const int x = CharPosToX(selStart_ - rec.Start - lines[j].Start, line);
        if (x < rememberedX_) virtualBlanks_ = (rememberedX_ - x) / std::max(1, avgCharWidth_);
    }
}

// ---- Keys -------------------------------------------------------------------------------------

void TTextMemo::KeyDown(ui::TKey& key, ui::TShiftState shift)
{
    ui::TCustomControl::KeyDown(key, shift);
    if (key == 0 || updateCount_ > 0) return;
    const bool ctrl = Has(shift, ui::ssCtrl), alt = Has(shift, ui::ssAlt), sh = Has(shift, ui::ssShift);
    if (textDrag_) {
        if (key == ui::VK_CONTROL) ShowCursorNow(crTextMemoDragCopy);
        return;
    }
    const int lh = std::max(1, lineHeight_);
    if (displayOnly_) {
        const int T = TopLine(), V = VisibleLines(), N = lineCount_;
        const int widestEnd = std::max(0, widest_ - clientWidth_ + rightMargin_);
        switch (key) {
        case ui::VK_HOME: ScrollToHorizontal(0); break;
        case ui::VK_END: ScrollToHorizontal(widestEnd); break;
        case ui::VK_PRIOR: ScrollToLine(ctrl ? 0 : std::max(0, T - V + 1)); break;
        case ui::VK_NEXT: ScrollToLine(ctrl ? std::max(0, N - V + 1) : std::min(T + V - 1, std::max(0, N - V + 1))); break;
        case ui::VK_UP: ScrollToLine(std::max(0, T - 1)); break;
        case ui::VK_DOWN: ScrollToLine(std::min(T + 1, std::max(0, N - V + 1))); break;
        case ui::VK_LEFT: ScrollToHorizontal(std::max(0, hOffset_ - clientWidth_ / 5 - 1)); break;
        case ui::VK_RIGHT: ScrollToHorizontal(std::min(hOffset_ + clientWidth_ / 5 + 1, widestEnd)); break;
        default: return;
        }
        key = 0;
        return;
    }
    if (ctrl && !alt) {
        bool hot = true;
        if (!enableHotKeys_ || readOnly_) {
            hot = false;
        } else {
            switch (key) {
            case 'B': SetBold(); break;
            case 'I': SetItalic(); break;
            case 'U': SetUnderline(); break;
            case 'H': SetHighlight(); break;
            case 'F': SetAltFont(); break;
            case 'T': SetSelText("\t"); break;
            case 'P': SetSelText("\r\n\x10\r\n"); break;
            case 'Z':
                if (sh)
                    Redo();
                else
                    Undo();
                break;
            default: hot = false; break;
            }
        }
        if (hot) {
            key = 0;
            ScrollCaretIntoView();
            return;
        }
    }
    if (key >= 48) return;

    const int p = SelPar();
    if (!paragraphs_[p].Formatted) FormatRange(p, p);
    // Shift+Alt+arrows open or stretch a column block (its moving corner follows the keys).
    const bool arrow = key == ui::VK_LEFT || key == ui::VK_RIGHT || key == ui::VK_UP || key == ui::VK_DOWN;
    if (arrow && sh && alt && !ctrl && options_[tmoBlockSelection] && !wordWrap_) {
        int anchorPar = p, anchorCol, par = p, col;
        if (columnBlock_) {
            anchorPar = ParagraphOfOffset(selStart_ + selLength_);
            anchorCol = blockCol1_;
            col = blockCol2_;
        } else {
            anchorCol = col = OffsetToColumn(p, selStart_ - paragraphs_[p].Start) + virtualBlanks_;
        }
        switch (key) {
        case ui::VK_LEFT: col = std::max(0, col - 1); break;
        case ui::VK_RIGHT: ++col; break;
        case ui::VK_UP: par = std::max(0, par - 1); break;
        default: par = std::min(paragraphs_.Count() - 1, par + 1); break;
        }
        SelectColumnBlock(anchorPar, anchorCol, par, col);
        int beyond = 0;
        ColumnToOffset(par, col, &beyond);
        virtualBlanks_ = beyond;
        key = 0;
        UpdateCaret();
        ScrollCaretIntoView();
        return;
    }
    const int caretLine = SelLine();
    bool handled = true;
    switch (key) {
    case ui::VK_LEFT:
        if (alt) break;
        rememberedX_ = -1;
        if (!ctrl && virtualBlanks_ > 0 && !sh) {
            --virtualBlanks_;
            break;
        }
        if (!sh && selLength_ != 0 && !ctrl) {
            MoveCaretTo(selStart_, false);
            virtualBlanks_ = 0;
            break;
        }
        if (selStart_ == 0 && virtualBlanks_ == 0) {
            handled = false;  // nowhere to go: the key stays the caller's
            break;
        }
        virtualBlanks_ = 0;
        if (ctrl) {
            int pos = PrevCharOffset(selStart_);
            while (pos > 0 && IsSeparator(static_cast<unsigned char>(CharAt(pos)))) pos = PrevCharOffset(pos);
            if (CharAt(pos) != '\n' && CharAt(pos) != '\r') {
                while (pos > 0) {
                    const char c = CharAt(PrevCharOffset(pos));
                    if (c == '\r' || c == '\n' || IsSeparator(static_cast<unsigned char>(c))) break;
                    pos = PrevCharOffset(pos);
                }
            } else if (CharAt(pos) == '\n') {
                pos = std::max(0, pos - 1);
            }
            MoveCaretTo(pos, sh);
        } else {
            const TParagraphRec& rec = paragraphs_[p];
            int pos = selStart_;
            if (pos > rec.Start) {
                pos = PrevCharOffset(pos);
                if (passOverCodes_ && staticFormat_)
                    while (pos > rec.Start && IsStyleCode(static_cast<unsigned char>(CharAt(pos)))) pos = PrevCharOffset(pos);
            } else {
                pos = PrevCharOffset(pos);  // over the paragraph break
            }
            MoveCaretTo(pos, sh);
        }
        break;
    case ui::VK_RIGHT: {
        if (alt) break;
        rememberedX_ = -1;
        if (!sh && selLength_ != 0 && !ctrl) {
            MoveCaretTo(selStart_ + selLength_, false);
            virtualBlanks_ = 0;
            break;
        }
        const TParagraphRec& rec = paragraphs_[p];
        if (!ctrl && selStart_ == rec.Start + rec.Length() && options_[tmoKeepColumnPos] && !options_[tmoWrapCaret]) {
            ++virtualBlanks_;
            break;
        }
        virtualBlanks_ = 0;
        if (selStart_ >= textLength_) break;
        int pos = selStart_;
        if (ctrl) {
            auto breakChar = [&](int o) {
                const char c = CharAt(o);
                return c == '\r' || c == '\n' || IsSeparator(static_cast<unsigned char>(c));
            };
            if (CharAt(pos) == '\r') {
                pos = NextCharOffset(pos);
            } else {
                while (pos < textLength_ && !breakChar(pos)) pos = NextCharOffset(pos);
                if (pos == selStart_ && CharAt(pos) == '\r') {
                    pos = NextCharOffset(pos);
                } else {
                    while (pos < textLength_ && CharAt(pos) != '\r' && IsSeparator(static_cast<unsigned char>(CharAt(pos))))
                        pos = NextCharOffset(pos);
                }
            }
        } else {
            if (staticFormat_ && passOverCodes_)
                while (pos < textLength_ && IsStyleCode(static_cast<unsigned char>(CharAt(pos)))) pos = NextCharOffset(pos);
            pos = NextCharOffset(pos);
        }
        MoveCaretTo(pos, sh);
        break;
    }
    case ui::VK_UP:
        if (alt) break;
        if (caretLine == 0) {
            handled = false;
            break;
        }
        if (caretLine == paragraphs_[p].FirstLine && p > 0 && !paragraphs_[p - 1].Formatted) FormatRange(p - 1, p - 1);
        FinishVerticalMove(SelLine() - 1, sh);
        break;
    case ui::VK_DOWN:
        if (alt) break;
        if (p + 1 < paragraphs_.Count() && !paragraphs_[p + 1].Formatted) FormatRange(p + 1, p + 1);
        if (caretLine < lineCount_ - 1) FinishVerticalMove(caretLine + 1, sh);
        break;
    case ui::VK_HOME:
    case ui::VK_END: {
        if (alt) break;
        columnBlock_ = false;
        virtualBlanks_ = 0;
        rememberedX_ = -1;
        int pos;
        if (ctrl) {
            pos = key == ui::VK_HOME ? 0 : textLength_;
        } else {
            TParagraphRec& rec = paragraphs_[p];
            TLinesList lines(rec);
            const int j = std::clamp(caretLine - rec.FirstLine, 0, lines.Count() - 1);
            if (key == ui::VK_HOME) {
                pos = rec.Start + lines[j].Start;
            } else if (j == lines.Count() - 1) {
                pos = rec.Start + rec.Length();
            } else {
                // The end of a wrapped line is the next line's start: stop before its last
                // character (the blank it broke at).
                pos = rec.Start + static_cast<int>(rtl::Utf8CharStartAt(rec.Text, static_cast<std::size_t>(std::max(lines[j].Start, lines[j].Stop - 1))));
            }
        }
        MoveCaretTo(pos, sh);
        break;
    }
    case ui::VK_PRIOR: {
        if (alt) break;
        const int V = VisibleLines();
        const int target = std::max(0, caretLine - V + 1);
        FormatRange(ParagraphOfLine(target), p);
        if (!ctrl) ScrollToTopPixel(std::max(0, topPixel_ - (V - 1) * lh));
        FinishVerticalMove(std::max(0, SelLine() - V + 1), sh);
        break;
    }
    case ui::VK_NEXT: {
        if (alt) break;
        const int V = VisibleLines();
        FormatUpToLine(caretLine + 2 * V);
        const int N = lineCount_;
        if (!ctrl) ScrollToTopPixel(static_cast<int>(std::min<long long>(static_cast<long long>(N - 1) * lh, static_cast<long long>(topPixel_) + (V - 1) * lh)));
        FinishVerticalMove(std::min(caretLine + V - 1, N - 1), sh);
        break;
    }
    case ui::VK_TAB:
        if (alt) {
            handled = false;
            break;
        }
        if (!readOnly_) SetSelText("\t");
        break;
    case ui::VK_BACK:
    case ui::VK_DELETE: DeleteKey(key, ctrl, sh); break;
    case ui::VK_INSERT:
        if (alt) break;
        if (ctrl) {
            CopyToClipboard();
        } else if (sh) {
            if (!readOnly_) PasteFromClipboard();
        } else if (options_[tmoInsertKeyActive]) {
            SetOverwrite(!overwrite_);
            OnStyleChange(this);
        }
        break;
    default: handled = false; break;
    }
    if (!handled) return;
    key = 0;
    UpdateCaret();
    ScrollCaretIntoView();
    if (HandleAllocated()) Update();
}

void TTextMemo::DeleteKey(ui::TKey key, bool ctrl, bool shift)
{
    if (readOnly_) return;
    const int p = SelPar();
    TParagraphRec& rec = paragraphs_[p];
    if (key == ui::VK_DELETE && shift && !ctrl) {
        if (selLength_ != 0) {
            CutToClipboard();
            return;
        }
        key = ui::VK_BACK;  // the character before the caret goes
    }
    if (key == ui::VK_DELETE && ctrl) {
        const int line = SelLine();
        TLinesList lines(rec);
        const int j = std::clamp(line - rec.FirstLine, 0, lines.Count() - 1);
        const int lineEnd = rec.Start + (j == lines.Count() - 1 ? rec.Length() : lines[j].Stop);
        if (ParagraphOfOffset(SelTo()) == p && SelTo() <= lineEnd && SelFrom() >= rec.Start + lines[j].Start) {
            const int from = SelFrom();
            MoveCaretTo(from, false);
            selLength_ = lineEnd - from;
        }
        ReplaceSelection("");
        return;
    }
    if (selLength_ == 0) {
        if (key == ui::VK_BACK) {
            if (virtualBlanks_ > 0) {
                --virtualBlanks_;
                return;
            }
            if (selStart_ == 0) return;
            if (ctrl) {
                int pos = selStart_;
                auto breakChar = [&](int o) {
                    const char c = CharAt(o);
                    return IsSeparator(static_cast<unsigned char>(c));
                };
                while (pos > rec.Start && breakChar(PrevCharOffset(pos))) pos = PrevCharOffset(pos);
                while (pos > rec.Start && !breakChar(PrevCharOffset(pos))) pos = PrevCharOffset(pos);
                selLength_ = pos - selStart_;
            } else {
                int pos = PrevCharOffset(selStart_);
                while (pos > 0 && staticFormat_ && IsStyleCode(static_cast<unsigned char>(CharAt(pos)))) pos = PrevCharOffset(pos);
                selLength_ = pos - selStart_;
                // Back-indent: at the end of a line's indent, back to the indent of the nearest
                // line above that is indented less.
                const int col = selStart_ > rec.Start ? SelCol() : 0;
                if (options_[tmoBackIndent] && col > 0) {
                    auto leading = [this](int line) {
                        TParagraphRec& r = paragraphs_[ParagraphOfLine(line)];
                        TLinesList lines(r);
                        const TLineRec& ln = lines[std::clamp(line - r.FirstLine, 0, lines.Count() - 1)];
                        int n = 0;
                        while (ln.Start + n < r.Length() && (r.Text[static_cast<std::size_t>(ln.Start + n)] == ' ' || r.Text[static_cast<std::size_t>(ln.Start + n)] == '\t'))
                            ++n;
                        return n;
                    };
                    const int line = SelLine();
                    if (leading(line) == col) {
                        int target = 0;
                        for (int l = line - 1; l >= 0; --l) {
                            const int c = leading(l);
                            if (c < col) {
                                target = c;
                                break;
                            }
                        }
                        selLength_ = target - col;
                    }
                }
            }
        } else {
            if (selStart_ >= textLength_) return;
            int pos = selStart_;
            if (staticFormat_)
                while (pos < textLength_ && IsStyleCode(static_cast<unsigned char>(CharAt(pos)))) pos = NextCharOffset(pos);
            pos = NextCharOffset(pos);
            selLength_ = pos - selStart_;
        }
        if (selLength_ == 0) return;
    }
    ReplaceSelection("");
}

void TTextMemo::KeyUp(ui::TKey& key, ui::TShiftState shift)
{
    keyReleased_ = true;
    ui::TCustomControl::KeyUp(key, shift);
    if (textDrag_ && key == ui::VK_CONTROL && !dragOutside_) ShowCursorNow(ui::crDrag);
}

void TTextMemo::KeyPress(char& key)
{
    ui::TCustomControl::KeyPress(key);
    if (key == 0) return;
    TypeCharacter(static_cast<unsigned char>(key));
}

void TTextMemo::TypeCharacter(char32_t c)
{
    if (updateCount_ > 0 || textDrag_ || displayOnly_) return;
    if (readOnly_ && c != 3) return;
    if (c < 31 || c == 127) {
        switch (c) {
        case 3: CopyToClipboard(); break;
        case 5:
            if (HandleAllocated()) Repaint();
            CheckConsistency();
            break;
        case 22: PasteFromClipboard(); break;
        case 24: CutToClipboard(); break;
        case 13: {
            if (overwrite_ && selLength_ == 0) {
                const int line = SelLine();
                if (line < lineCount_ - 1) {
                    SetSelLine(line + 1);
                    ScrollCaretIntoView();
                } else {
                    SetSelStart(textLength_);
                    TypeText("\r\n");
                }
                break;
            }
            std::string indent;
            if (options_[tmoAutoIndent] && selLength_ == 0) {
                const int col = SelCol();
                for (int line = SelLine(); line >= 0; --line) {
                    TParagraphRec& rec = paragraphs_[ParagraphOfLine(line)];
                    TLinesList lines(rec);
                    const TLineRec& ln = lines[std::clamp(line - rec.FirstLine, 0, lines.Count() - 1)];
                    const int end = line - rec.FirstLine == lines.Count() - 1 ? rec.Length() : ln.Stop;
                    if (end <= ln.Start) continue;
                    for (int i = ln.Start; i < end && static_cast<int>(indent.size()) < col; ++i) {
                        const char ch = rec.Text[static_cast<std::size_t>(i)];
                        if (ch != ' ' && ch != '\t') break;
                        indent += ch;
                    }
                    break;
                }
            }
            const TParagraphRec& here = paragraphs_[SelPar()];
            if (!indent.empty() && options_[tmoDiscardTrailingSpaces] && selLength_ == 0 && selStart_ == here.Start + here.Length()) {
                // A blank line keeps no blanks: the indent waits as virtual blanks.
                int blanks = 0;
                for (const char ch : indent) blanks += ch == '\t' ? std::max(1, tabStops_) : 1;
                TypeText("\r\n");
                virtualBlanks_ = blanks;
                UpdateCaret();
                ScrollCaretIntoView();
            } else {
                TypeText("\r\n" + indent);
            }
            break;
        }
        default: break;
        }
    } else {
        const std::string text = Utf8Of(c);
        if (text.empty()) return;
        const TParagraphRec& rec = paragraphs_[SelPar()];
        if (c == ' ' && selLength_ == 0 && selStart_ == rec.Start + rec.Length() && options_[tmoDiscardTrailingSpaces] &&
            options_[tmoKeepColumnPos]) {
            ++virtualBlanks_;
            UpdateCaret();
            ScrollCaretIntoView();
            return;
        }
        if (overwrite_ && selLength_ == 0 && selStart_ < rec.Start + rec.Length()) selLength_ = NextCharOffset(selStart_) - selStart_;
        TypeText(text);
    }
    if (!keyReleased_ && HandleAllocated()) Update();
    keyReleased_ = false;
}

void TTextMemo::TypeText(const std::string& text)
{
    SetSelText(text);
    UpdateCaret();
    ScrollCaretIntoView();
}

// ---- Mouse ------------------------------------------------------------------------------------

void TTextMemo::SelectDisplayLines(int fromLine, int toLine)
{
    auto lineStart = [&](int line) {
        if (line >= lineCount_) return textLength_;
        TParagraphRec& rec = paragraphs_[ParagraphOfLine(line)];
        TLinesList lines(rec);
        return rec.Start + lines[std::clamp(line - rec.FirstLine, 0, lines.Count() - 1)].Start;
    };
    const int a = lineStart(std::min(fromLine, toLine));
    const int b = lineStart(std::max(fromLine, toLine) + 1);
    InvalidateSelection();
    if (toLine < fromLine) {
        selStart_ = a;
        selLength_ = b - a;
    } else {
        selStart_ = b;
        selLength_ = a - b;
    }
    selStart_ = SnapOffset(selStart_);
    InvalidateSelection();
}

void TTextMemo::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    ui::TCustomControl::MouseDown(button, shift, x, y);
    if (updateCount_ > 0) return;
    bool acted = false;
    if (button == ui::mbLeft) {
        columnBlock_ = false;
        rememberedX_ = -1;
        clickedOffset_ = OffsetAtPoint(x, y);
        if (!displayOnly_) {
            mouseDown_ = true;
            if (!wordSelecting_) {
                acted = true;
                virtualBlanks_ = 0;
                overSelection_ = !options_[tmoNoDragnDrop] && !readOnly_ && selLength_ != 0 && !columnBlock_ &&
                                 !InLeftMarginZone(x) && clickedOffset_ >= SelFrom() && clickedOffset_ < SelTo();
                if (overSelection_ && !Has(shift, ui::ssShift)) {
                    textDrag_ = true;
                    dragOutside_ = false;
                    dropOffset_ = clickedOffset_;
                    ShowCursorNow(ui::crDrag);
                } else if (InLeftMarginZone(x) && lineCount_ > 0) {
                    const long long line = std::min<long long>(static_cast<long long>(TopLine()) + LineAtY(y), lineCount_ - 1);
                    lineSelLine_ = static_cast<int>(std::max<long long>(0, line));
                    SelectDisplayLines(lineSelLine_, lineSelLine_);
                } else if (shift == ui::TShiftState{ui::ssAlt, ui::ssLeft} && options_[tmoBlockSelection] && !wordWrap_) {
                    // Alt+click starts a column block at the clicked column.
                    lineSelLine_ = -1;
                    const int par = ParagraphOfOffset(clickedOffset_);
                    const int col = static_cast<int>(std::max<long long>(0, (static_cast<long long>(x) + hOffset_ - leftMargin_) / std::max(1, avgCharWidth_)));
                    SelectColumnBlock(par, col, par, col);
                } else {
                    lineSelLine_ = -1;
                    MoveCaretTo(clickedOffset_, Has(shift, ui::ssShift));
                    // Keeping columns: a click beyond the paragraph end or inside a tab's
                    // span keeps the distance as virtual blanks.
                    const TParagraphRec& rec = paragraphs_[SelPar()];
                    const int in = selStart_ - rec.Start;
                    if (options_[tmoKeepColumnPos] && (in == rec.Length() || rec.Text[static_cast<std::size_t>(in)] == kTab)) {
                        const int line = SelLine();
                        const int lineStart = TLinesList(paragraphs_[SelPar()])[rec.LineOfOffset(in)].Start;
                        virtualBlanks_ = std::max(0, x - CharPosToX(in - lineStart, line)) / std::max(1, avgCharWidth_);
                    }
                }
                UpdateCaret();
            }
        }
    }
    (void)acted;
    if (HandleAllocated() && !Focused() && CanFocus()) SetFocus();
    OnAfterMouseDown(this, button, shift, x, y);
}

void TTextMemo::MouseMove(ui::TShiftState shift, int x, int y)
{
    lastMouseX_ = x;
    lastMouseY_ = y;
    if (updateCount_ > 0) {
        ui::TCustomControl::MouseMove(shift, x, y);
        return;
    }
    const int pos = OffsetAtPoint(x, std::min(y, std::max(0, LineTop(lineCount_ - TopLine()) - 1)));
    if (!mouseDown_) {
        overSelection_ = !options_[tmoNoDragnDrop] && selLength_ != 0 && !columnBlock_ && !readOnly_ && !displayOnly_ &&
                         pos >= SelFrom() && pos < SelTo() && !InLeftMarginZone(x);
        lineSelLine_ = InLeftMarginZone(x) ? TopLine() + LineAtY(y) : -1;
        // The cursor tells what a press would do: an arrow over a selection that can be
        // dragged, a context run's own cursor over it, else the control's cursor.
        ui::TCursor wanted = 0;
        if (overSelection_) {
            wanted = ui::crArrow;
        } else if (lineSelLine_ < 0 && pos < textLength_) {
            const TParagraphRec& rec = paragraphs_[ParagraphOfOffset(pos)];
            const int in = pos - rec.Start;
            const TStyleRec& sr = rec.StyleAt(in + 1);
            if (in < rec.Length() && (sr.Flags & srContext) && sr.Attr16 != 0) wanted = sr.Attr16;
        }
        if (wanted != 0) {
            if (!cursorChanged_) savedCursor_ = Cursor();
            cursorChanged_ = true;
            if (Cursor() != wanted) SetCursor(wanted);
        } else if (cursorChanged_) {
            cursorChanged_ = false;
            SetCursor(savedCursor_);
        }
    } else if (Has(shift, ui::ssLeft)) {
        // Which way to scroll, the last match winning.
        int dir = 0;
        if (x < 0 && (!textDrag_ || x > -24)) dir = 3;
        if (x > clientWidth_ && (!textDrag_ || x < clientWidth_ + 24)) dir = 4;
        if (y < -3 && (!textDrag_ || y > -27)) dir = 1;
        if (y > clientHeight_ && (!textDrag_ || y < clientHeight_ + 24)) dir = 2;
        if (textDrag_ && (dir == 1 || dir == 2) && (x < -3 || x > clientWidth_ + 3)) dir = 0;
        switch (dir) {
        case 1: autoSpeed_ = -y / 3; break;
        case 2: autoSpeed_ = (y - clientHeight_) / 3; break;
        case 3: autoSpeed_ = -x / 3; break;
        case 4: autoSpeed_ = (x - clientWidth_) / 3; break;
        default: autoSpeed_ = 0; break;
        }
        const int previous = autoDir_;
        autoDir_ = dir;
        if (dir == 0) {
            StopAutoScroll();
        }

        if (textDrag_) {
            if (x >= 1 && x < clientWidth_ && y >= 1 && y < clientHeight_) {
                if (dragOutside_) ShowCursorNow(ui::IsKeyDown(ui::VK_CONTROL) ? crTextMemoDragCopy : ui::crDrag);
                dragOutside_ = false;
                dropOffset_ = pos;
            } else if (dir == 0) {
                ShowCursorNow(ui::crNoDrop);
                dragOutside_ = true;
            }
        } else if (columnBlock_) {
            const int par = ParagraphOfOffset(pos);
            const int col = static_cast<int>(std::max<long long>(0, (static_cast<long long>(x) + hOffset_ - leftMargin_) / std::max(1, avgCharWidth_)));
            if (par != SelPar() || col != blockCol2_) SelectColumnBlock(ParagraphOfOffset(selStart_ + selLength_), blockCol1_, par, col);
        } else if (lineSelLine_ >= 0) {
            const int line = std::clamp(TopLine() + LineAtY(y), 0, lineCount_ - 1);
            SelectDisplayLines(lineSelLine_, line);
            UpdateCaret();
        } else if (pos != selStart_) {
            MoveCaretTo(pos, true);
            if (wordSelecting_) {
                // Whole words from the clicked one to the one under the mouse.
                const int a = std::min(pos, clickedOffset_), b = std::max(pos, clickedOffset_);
                selStart_ = a;
                selLength_ = 0;
                SelectWord(false);
                const int start = selStart_;
                selStart_ = b;
                selLength_ = 0;
                SelectWord(true);
                const int end = SelTo();
                InvalidateSelection();
                if (pos >= clickedOffset_) {
                    selStart_ = end;
                    selLength_ = start - end;
                } else {
                    selStart_ = start;
                    selLength_ = end - start;
                }
                InvalidateSelection();
            }
            UpdateCaret();
        }
        if (dir != 0 && dir != previous && !autoStepping_) {
            AutoScrollStep();
            return;  // the step moved the mouse itself
        }
    }
    ui::TCustomControl::MouseMove(shift, x, y);
}

// One auto-scroll step: the view moves one line (or a twentieth of the width), the mouse is
// taken as standing beyond the edge, and the next step is timed by the speed.
void TTextMemo::AutoScrollStep()
{
    if (autoDir_ == 0 || !mouseDown_) {
        StopAutoScroll();
        return;
    }
    const int dir = autoDir_;
    int x = lastMouseX_, y = lastMouseY_;
    switch (dir) {
    case 1:
        if (TopLine() > 0) Perform(ui::WM_VSCROLL, ui::SB_LINEUP);
        y = -3 * autoSpeed_;
        break;
    case 2:
        if (TopLine() <= lineCount_ - VisibleLines()) Perform(ui::WM_VSCROLL, ui::SB_LINEDOWN);
        y = clientHeight_ + 3 * autoSpeed_;
        break;
    case 3:
        if (hOffset_ > 0) Perform(ui::WM_HSCROLL, ui::SB_LINELEFT);
        x = -3 * autoSpeed_;
        break;
    default:
        if (static_cast<long long>(widest_) - clientWidth_ > hOffset_) Perform(ui::WM_HSCROLL, ui::SB_LINERIGHT);
        x = clientWidth_ + 3 * autoSpeed_;
        break;
    }
    autoStepping_ = true;
    {
        rtl::TScopeExit done([this] { autoStepping_ = false; });
        MouseMove(ui::TShiftState{ui::ssLeft}, x, y);
    }
    if (autoDir_ == 0 || !mouseDown_)
        StopAutoScroll();
    else
        SetTimer(kAutoScrollTimer, AutoScrollDelay(autoSpeed_));
}

void TTextMemo::StopAutoScroll()
{
    autoDir_ = 0;
    KillTimer(kAutoScrollTimer);
}

void TTextMemo::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    if (wordSelecting_) UpdateCaret();
    mouseDown_ = false;
    wordSelecting_ = false;
    StopAutoScroll();
    if (button == ui::mbRight) overSelection_ = false;
    lastMouseX_ = x;
    lastMouseY_ = y;
    if (!textDrag_) {
        // A click on a context run tells the receivers and OnContext which run it was.
        const int pos = OffsetAtPoint(x, y);
        if ((pos == clickedOffset_ || button == ui::mbRight) && pos < textLength_ && updateCount_ == 0 &&
            (OnContext || !receivers_.empty() || highlighter_)) {
            const TParagraphRec& rec = paragraphs_[ParagraphOfOffset(pos)];
            const int in = pos - rec.Start;
            const int index = rec.StyleIndexAt(in + 1);
            const TStyleRec& sr = rec.StyleAt(in + 1);
            if (in < rec.Length() && (sr.Flags & srContext) && sr.Context != 0) {
                const int start = rec.Start + (index >= 0 ? rec.Styles[static_cast<std::size_t>(index)].Offset : 0);
                const int stop = rec.Start + (index + 1 < static_cast<int>(rec.Styles.size()) ? rec.Styles[static_cast<std::size_t>(index + 1)].Offset : rec.Length());
                const int context = sr.Context;
                if (!receivers_.empty() || highlighter_) {
                    std::string run = GetTextPart(start, stop);
                    Perform(button == ui::mbRight ? kRightContextClickMessage : kContextClickMessage, context,
                            reinterpret_cast<std::intptr_t>(&run));
                }
                OnContext(this, context, start, stop);
                contextClicked_ = button == ui::mbRight;  // no popup menu after it
                ui::TCustomControl::MouseUp(button, shift, x, y);
                lineSelLine_ = -1;
                return;
            }
        }
        ui::TCustomControl::MouseUp(button, shift, x, y);
        lineSelLine_ = -1;
        if (!displayOnly_ && button == ui::mbLeft) ScrollCaretIntoView();
        return;
    }
    textDrag_ = false;
    ShowCursorNow(Cursor());
    if (!dragOutside_ && updateCount_ == 0) {
        const int from = SelFrom(), to = SelTo();
        if (dropOffset_ < from || dropOffset_ > to) {
            const std::string text = SelText();
            const bool copy = Has(shift, ui::ssCtrl);
            ++undoGroupDepth_;
            if (undoGroupDepth_ == 1) undoGroupRecords_ = 0;
            {
                rtl::TScopeExit endGroup([this] { --undoGroupDepth_; });
                int drop = dropOffset_;
                if (!copy) {
                    ReplaceSelection("");
                    if (drop > to) drop -= to - from;
                }
                MoveCaretTo(drop, false);
                undoGroupBroken_ = true;
                ReplaceSelection(text);
                const int end = selStart_;
                MoveCaretTo(drop, false);
                MoveCaretTo(end, true);
            }
        } else {
            MoveCaretTo(dropOffset_, false);
            OnSelMove(this);
        }
        UpdateCaret();
        ScrollCaretIntoView();
    }
    overSelection_ = false;
    ui::TCustomControl::MouseUp(button, shift, x, y);
}

void TTextMemo::DblClick()
{
    if (!displayOnly_ && updateCount_ == 0) {
        wordSelecting_ = true;
        SelectWord(true);
        UpdateCaret();
    }
    ui::TCustomControl::DblClick();
}

}  // namespace editor
