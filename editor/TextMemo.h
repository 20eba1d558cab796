#pragma once
// TTextMemo: the multi-line text editor control. Its document side is the paragraph store
// with its navigators and string views, the text stream formats, keyword and start/stop-key
// parsing, and the formatting engine that wraps paragraphs into display lines. Its editing
// side replaces the selection with undo and redo, keeps selections and column blocks, copies
// and pastes through the layer's clipboard (column blocks also in the "IDE Block Type"
// format), applies the style commands and places the caret. Its window side answers the
// window messages (change receivers see every message first), offers the default popup menu
// and maps the command codes. Its input side turns keys and mouse actions into caret moves,
// selections, edits, text drag and drop and auto-scrolling (on a layer timer, never by pumping
// the event loop). Its painting side composes every display line in a one-line bitmap and
// copies it to the window in one step (every run on the line's baseline, keyword matches and
// spans in their own colours), and keeps scroll-bar units that hold every range below 32760
// steps. Columns, tab stops and virtual blanks count blanks of the control's font.
//
// Text always carries its length: NUL bytes pass through replacement, undo and the clipboard.
//
// The engine measures through IStyleMeasure (one font per style byte) while a window (or an
// alternative canvas) is attached; without one every paragraph is a single display line.
// Background formatting works in slices of at most 25 ms, each continued by a message the
// editor posts to itself through the window's message queue.

#include "editor/Keywords.h"
#include "editor/MemoScroller.h"
#include "editor/TextNavigator.h"
#include "editor/TextStore.h"
#include "editor/TextStream.h"
#include "editor/UndoStack.h"

#include "platform/classes/Component.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/CustomControl.h"
#include "platform/ui/FontMeasure.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Menus.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/StoredControlProps.h"
#include "platform/ui/Types.h"

#include <bitset>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace editor {

class TTextMemoStrings;
class TTextParaStrings;
class TTextLinesStrings;
class TTextHighlighter;
class TParagraphWrapper;
class TMemoRenderer;
class TMemoKeyboard;
class TMemoMouse;
class TMemoMessages;

enum TUpdateMode { umImmediate, umOnNeed, umBackground };

enum TTextMemoOption {
    tmoKeepColumnPos, tmoPutExtraSpaces, tmoWrapCaret, tmoInsertKeyActive, tmoWideOverwriteCaret,
    tmoLargeWordSelect, tmoAutoScrollBars, tmoNoDragnDrop, tmoAutoIndent, tmoBackIndent,
    tmoWindowsSelColors, tmoFullLineSelect, tmoDiscardTrailingSpaces, tmoNoFineScroll,
    tmoNoLineSelection, tmoNoDefaultPopup, tmoBlockSelection, tmoAutoLineBreak, tmoPlainClipboard,
    tmoOptionCount
};
using TTextMemoOptions = std::bitset<tmoOptionCount>;
TTextMemoOptions DefaultTextMemoOptions();

const classes::TEnumInfo& TextMemoOptionInfo();
const classes::TEnumInfo& UpdateModeInfo();
const classes::TEnumInfo& UpperCaseTypeInfo();
const classes::TEnumInfo& LineBreakInfo();

// Notifications the editor sends itself (its change receivers see them).
constexpr unsigned kViewScrolledMessage = ui::WM_USER + 2;
constexpr unsigned kContextClickMessage = ui::WM_USER + 3;
constexpr unsigned kRightContextClickMessage = ui::WM_USER + 5;

// The command codes (they are also the style codes the commands insert).
constexpr int ecItalic = 1;
constexpr int ecBold = 2;
constexpr int ecHighlight = 3;
constexpr int ecAltFont = 4;
constexpr int ecUnderline = 21;

// The program's version text (ends the consistency check's messages).
const std::string& EditorVersionText();

// A change receiver: handed every message of the editor before the editor handles it.
class ITextMemoReceiver {
public:
    virtual void TextMemoMessage(class TTextMemo& memo, ui::TMessage& message) = 0;

protected:
    ~ITextMemoReceiver() = default;
};

// The objects all editors of the process share, from the first editor's construction to the
// last one's destruction.
struct TSharedEditorObjects {
    TParagraphsList Scratch;  // stages the paragraphs of inserted text
    int LiveEditors = 0;
    ui::TCursor RightArrowCursor = 0;  // "TMRIGHTARROW"
};
// nullptr while no editor lives.
const TSharedEditorObjects* SharedEditorObjects() noexcept;
// The shared scratch list (only while an editor lives).
TParagraphsList& SharedScratchList();
// The clipboard format of column blocks, registered on first use.
ui::TClipboardFormat BlockClipboardFormat();
// The cursor id of "TMRIGHTARROW" among the screen's cursors.
constexpr ui::TCursor crTextMemoRightArrow = 0x544D;
// The cursor id of "DRAGCOPY" (a text drag that copies).
constexpr ui::TCursor crTextMemoDragCopy = 0x4443;

// The continuation message of background formatting (wParam 1: continue by posting).
constexpr unsigned kFormatContinueMessage = ui::WM_USER + 1;
// Longest background slice and shortest interval between progress events, in milliseconds.
constexpr int kFormatSliceMs = 25;
// Process-wide; initially 300.
extern int ProgressInterval;

// What the engine measures with: the font of each style byte (the highlight bit never
// changes the font).
class IStyleMeasure {
public:
    virtual ~IStyleMeasure() = default;
    virtual ui::IFontMeasure& FontOfStyle(std::uint8_t style) = 0;
};

// The same font for every style.
class TOneFontMeasure : public IStyleMeasure {
public:
    explicit TOneFontMeasure(ui::IFontMeasure& font) : font_(font) {}
    ui::IFontMeasure& FontOfStyle(std::uint8_t) override { return font_; }

private:
    ui::IFontMeasure& font_;
};

// Pixels from the top of a line `lineHeight` high to the baseline of a font with metrics `m`.
int BaselineOffsetFor(int lineHeight, const ui::TFontMetrics& m) noexcept;

class TTextMemo : public ui::TCustomControl {
    GW_CLASS(TTextMemo)

public:
    explicit TTextMemo(classes::TComponent* owner = nullptr);
    ~TTextMemo() override;

    // After reading from a form: the undo history starts afresh and parsing starts from a
    // clean state.
    void Loaded() override;

    // ---- The text ------------------------------------------------------------------------
    // Characters plus two per paragraph break.
    int TextLength() const noexcept { return textLength_; }
    int ParagraphCount() const noexcept { return paragraphs_.Count(); }
    int LineCount() const noexcept { return lineCount_; }
    const TParagraphRec& Paragraph(int index) const { return paragraphs_[index]; }
    TParagraphRec& Paragraph(int index) { return paragraphs_[index]; }
    // The paragraph holding an absolute offset / a global display line (both clamped).
    int ParagraphOfOffset(int offset) const;
    int ParagraphOfLine(int line) const;

    // The whole text, paragraphs joined by CR LF.
    std::string Text() const;
    // The characters between two offsets (clamped), CR LF at breaks; empty when start >= stop.
    std::string GetTextPart(int start, int stop) const;
    // Replaces the whole text (through the stream reader); nothing happens when both the
    // editor and the text are empty. Sets Modified.
    void SetTextBuf(std::string_view text);
    void Clear();

    // The editor's text stream format (line breaks by LineBreak, see TextStream.h).
    virtual void LoadFromStream(std::istream& in);
    virtual void SaveToStream(std::ostream& out);
    // The formatted state (text, display lines and style records; 32-bit little-endian
    // integers), so that a large text can be shown again without formatting it. Loading
    // replaces the whole store (the text stays as it was when the stream is short or
    // inconsistent: rtl::EStreamError), puts the selection and view at the top and, with
    // `restartFormatting`, formats everything again.
    virtual void SaveFormatted(std::ostream& out);
    virtual void LoadFormatted(std::istream& in, bool restartFormatting = false);
    void LoadFromText(std::string_view text);
    std::string SaveToText();

    bool Modified() const noexcept { return modified_; }
    void SetModified(bool modified) noexcept { modified_ = modified; }

    // ---- Selection ------------------------------------------------------------------------
    // The caret offset (where the selection is anchored) and the signed selection length
    // (negative when the selection runs back from the caret); both always stand at the start
    // of a character and never between a CR and its LF.
    int SelStart() const noexcept { return selStart_; }
    // Empties the selection and moves the caret (clamped); breaks undo grouping.
    void SetSelStart(int offset);
    int SelLength() const noexcept { return selLength_; }
    // Clamped to the text; ends a column block; breaks undo grouping.
    void SetSelLength(int length);
    // The selected range, lower offset first.
    int SelFrom() const noexcept { return selLength_ < 0 ? selStart_ + selLength_ : selStart_; }
    int SelTo() const noexcept { return selLength_ < 0 ? selStart_ : selStart_ + selLength_; }
    // The caret paragraph; writing puts the caret at the start of that paragraph.
    int SelPar() const;
    void SetSelPar(int paragraph);
    // The caret display line; writing formats as far as that line and puts the caret at its
    // start.
    int SelLine();
    void SetSelLine(int line);
    // Characters from the caret's display line start to the caret (a tab counts one), plus
    // the virtual blanks; writing moves within the display line.
    int SelCol();
    void SetSelCol(int column);
    // The selected text, CR LF at breaks; a column block gives its block text.
    std::string SelText() const;
    // Replaces the selection (prefixed by the virtual blanks with tmoPutExtraSpaces).
    void SetSelText(std::string_view text);
    // Replaces the selection by a text split into paragraphs at CR and CR LF (a lone LF is an
    // ordinary character); the caret ends after it. Records the change for undo.
    virtual void ReplaceSelection(std::string_view text);
    void SelectAll();
    // Selects the word at the caret (with `toWordEnd` up to the word's end, else only its
    // start).
    void SelectWord(bool toWordEnd);

    // A column block: the paragraphs from `firstParagraph` to `lastParagraph` between two
    // display columns; the caret stands at the second corner.
    void SelectColumnBlock(int firstParagraph, int firstColumn, int lastParagraph, int lastColumn);
    bool ColumnBlock() const noexcept { return columnBlock_; }
    int BlockFirstColumn() const noexcept { return blockCol1_; }
    int BlockLastColumn() const noexcept { return blockCol2_; }
    // Each row of the block followed by CR LF.
    std::string ColumnBlockText() const;
    // Blanks between the paragraph end and the caret (tmoKeepColumnPos).
    int VirtualBlanks() const noexcept { return virtualBlanks_; }

    // ---- Clipboard -------------------------------------------------------------------------
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    // Pastes `text` as a column block at the caret's column.
    void PasteColumnBlock(std::string_view text);

    // ---- Undo --------------------------------------------------------------------------------
    bool CanUndo() const noexcept { return undo_.CanUndo(); }
    bool CanRedo() const noexcept { return undo_.CanRedo(); }
    void Undo();
    void Redo();
    void ClearUndo() noexcept { undo_.Clear(); }
    // Typing after a caret move, a selection change or a paste starts a new undo step.
    void BreakUndoGroup() noexcept { undo_.BreakGroup(); }
    int UndoMaxLevel() const noexcept { return undo_.MaxLevel(); }
    // Above kMaxUndoLevel: "Undo set too high" and the old value stays.
    void SetUndoMaxLevel(int level) { undo_.SetMaxLevel(level); }
    int UndoMaxSpace() const noexcept { return undo_.MaxSpace(); }
    void SetUndoMaxSpace(int space) { undo_.SetMaxSpace(space); }
    const std::vector<TUndoRecord>& UndoRecords() const noexcept { return undo_.Records(); }
    int UndoPosition() const noexcept { return undo_.Position(); }
    std::int64_t UndoSpace() const noexcept { return undo_.Space(); }

    // ---- Style commands ---------------------------------------------------------------------
    void SetBold() { StyleCommand(tcBold); }
    void SetItalic() { StyleCommand(tcItalic); }
    void SetUnderline() { StyleCommand(tcUnderline); }
    void SetHighlight() { StyleCommand(tcHighlight); }
    void SetAltFont() { StyleCommand(tcAltFont); }
    // Runs the command of a command code (1, 2, 3, 4, 21); false for any other code.
    bool ExecuteCommand(int code);

    // ---- Caret and scrolling ------------------------------------------------------------------
    // Places the caret (recreated when asked); fires OnSelMove and OnStyleChange.
    virtual void UpdateCaret(bool recreate = false);
    virtual void ScrollCaretIntoView();
    // Scrolls the view to a top pixel and a horizontal offset.
    void ScrollTo(int topPixel, int horizontalOffset);
    void ScrollToTopPixel(int topPixel) { ScrollTo(topPixel, HorizontalOffset()); }
    void ScrollToHorizontal(int horizontalOffset) { ScrollTo(TopPixel(), horizontalOffset); }
    // The caret's pixel place in the client area (x measured when asked).
    int CaretX();
    int CaretY() const noexcept { return caretY_; }
    int TopPixel() const noexcept { return scroller_->TopPixel(); }
    int HorizontalOffset() const noexcept { return scroller_->HorizontalOffset(); }
    // Width of the text of display line `line` (of paragraph `paragraph`) before
    // `offsetInParagraph`, in pixels.
    int WidthBefore(int paragraph, int line, int offsetInParagraph);
    // The style byte in force at the caret.
    std::uint8_t CaretStyle() const noexcept { return caretStyle_; }

    // ---- Pixels and text positions ----------------------------------------------------------
    // Client y of the top of the n-th display line counted from the top line, and the display
    // line (counted from the top line) at client y; both right for negative top pixels.
    virtual int LineTop(int n) const noexcept;
    virtual int LineAtY(int y) const noexcept;
    // Client x of the byte offset `offsetInLine` (a character start) within global display
    // line `line`, with alignment, justification and tabs.
    virtual int CharPosToX(int offsetInLine, int line);
    // The character start within display line `line` nearest to client x: a click on the right
    // half of a character lands after it; with `keepTabs` a click inside a tab's span lands
    // before the tab. Style codes are characters of no width.
    virtual int XToCharPos(bool keepTabs, int x, int line);
    // Pixels per scroll-bar step (at least 1), so that no range reaches 32760 steps.
    int VertScrollUnit() const noexcept { return scroller_->VertUnit(); }
    int HorzScrollUnit() const noexcept { return scroller_->HorzUnit(); }
    // Wheel deltas times the wheel factor not yet turned into line steps.
    int WheelAccumulator() const noexcept { return scroller_->WheelAccumulator(); }

    // ---- Keyboard and mouse ----------------------------------------------------------------
    // The key and mouse handling of the control (each runs the inherited method first, which
    // fires the event). Nothing changes while an update is open; edits need a writable editor.
    void KeyDown(ui::TKey& key, ui::TShiftState shift) override;
    void KeyUp(ui::TKey& key, ui::TShiftState shift) override;
    void KeyPress(char& key) override;
    // Types a character of any code point (UTF-8 encoded into the text).
    void TypeCharacter(char32_t code);
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void DblClick() override;
    // Auto-scrolling while the button is held beyond an edge: a layer timer steps the view
    // (nothing pumps the event loop). Direction 0 none, 1 up, 2 down, 3 left, 4 right.
    static constexpr unsigned kAutoScrollTimer = 0x5441;
    int AutoScrollDirection() const noexcept;
    int AutoScrollSpeed() const noexcept;
    // Milliseconds between steps at a speed (0: none).
    static int AutoScrollDelay(int speed) noexcept;
    bool TextDragging() const noexcept;
    // The text offset at a client point (the end of the text below the last line).
    int OffsetAtPoint(int x, int y);

    // ---- Column conversion ----------------------------------------------------------------
    // Offset in paragraph `paragraph` of display column `column` (one column per character,
    // style codes none with StaticFormat, tabs to the next multiple of TabStops); `beyond`
    // receives how many columns the column lies past the paragraph's end.
    int ColumnToOffset(int paragraph, int column, int* beyond = nullptr) const;
    int OffsetToColumn(int paragraph, int offsetInParagraph) const;

    // ---- String views ---------------------------------------------------------------------
    TTextLinesStrings* Lines() const noexcept { return lines_.get(); }
    TTextParaStrings* Paragraphs() const noexcept { return paragraphsView_.get(); }

    // ---- Properties -----------------------------------------------------------------------
    TTextLineBreak LineBreak() const noexcept { return lineBreak_; }
    void SetLineBreak(TTextLineBreak lineBreak) noexcept { lineBreak_ = lineBreak; }
    char NullReplacement() const noexcept { return nullReplacement_; }
    void SetNullReplacement(char c) noexcept { nullReplacement_ = c; }
    const TTextMemoOptions& Options() const noexcept { return options_; }
    void SetOptions(const TTextMemoOptions& options);
    bool StaticFormat() const noexcept { return staticFormat_; }
    void SetStaticFormat(bool on);
    TUpdateMode UpdateMode() const noexcept { return updateMode_; }
    void SetUpdateMode(TUpdateMode mode);
    bool WordWrap() const noexcept { return wordWrap_; }
    void SetWordWrap(bool on);
    int ColumnWrap() const noexcept { return columnWrap_; }
    void SetColumnWrap(int columns);
    ui::TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(ui::TAlignment alignment);
    bool Justified() const noexcept { return justified_; }
    void SetJustified(bool on);
    int LeftMargin() const noexcept { return leftMargin_; }
    void SetLeftMargin(int pixels);
    int RightMargin() const noexcept { return rightMargin_; }
    void SetRightMargin(int pixels);
    int TabStops() const noexcept { return tabStops_; }
    void SetTabStops(int characters);

    // Display and input settings (painting and input read them).
    classes::TFont* AltFont() noexcept { return &altFont_; }
    const classes::TFont* AltFont() const noexcept { return &altFont_; }
    ui::TPicture* BackgroundBmp() noexcept { return &backgroundBmp_; }
    const ui::TPicture* BackgroundBmp() const noexcept { return &backgroundBmp_; }
    ui::TPen* EndOfTextMark() noexcept { return &endOfTextMark_; }
    const ui::TPen* EndOfTextMark() const noexcept { return &endOfTextMark_; }
    ui::TPen* RightLinePen() noexcept { return &rightLinePen_; }
    const ui::TPen* RightLinePen() const noexcept { return &rightLinePen_; }
    ui::TPen* SpecUnderline() noexcept { return &specUnderline_; }
    const ui::TPen* SpecUnderline() const noexcept { return &specUnderline_; }
    // 0: automatic (line height div 14 + 1).
    int CaretWidth() const noexcept { return caretWidth_; }
    void SetCaretWidth(int width);
    int CaretWidthNow() const noexcept { return caretWidth_ > 0 ? caretWidth_ : lineHeight_ / 14 + 1; }
    bool DisplayOnly() const noexcept { return displayOnly_; }
    void SetDisplayOnly(bool on);
    bool EnableHotKeys() const noexcept { return enableHotKeys_; }
    void SetEnableHotKeys(bool on) noexcept { enableHotKeys_ = on; }
    bool HideSelection() const noexcept { return hideSelection_; }
    void SetHideSelection(bool on);
    rtl::TColor HighlightBackgnd() const noexcept { return highlightBackgnd_; }
    void SetHighlightBackgnd(rtl::TColor color);
    rtl::TColor HighlightColor() const noexcept { return highlightColor_; }
    void SetHighlightColor(rtl::TColor color);
    // The fixed line height; while automatic the line height in force, 0 at design time (set
    // < 1 to return to automatic).
    int LineHeightSetting() const noexcept;
    void SetLineHeightSetting(int height);
    int MouseWheelFactor() const noexcept { return mouseWheelFactor_; }
    void SetMouseWheelFactor(int factor) noexcept { mouseWheelFactor_ = factor; }
    bool Overwrite() const noexcept { return overwrite_; }
    void SetOverwrite(bool on);
    bool PassOverCodes() const noexcept { return passOverCodes_; }
    void SetPassOverCodes(bool on) noexcept { passOverCodes_ = on; }
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool on) noexcept { readOnly_ = on; }
    int RightLinePos() const noexcept { return rightLinePos_; }
    void SetRightLinePos(int pos);
    rtl::TColor SelBackColor() const noexcept { return selBackColor_; }
    void SetSelBackColor(rtl::TColor color);
    rtl::TColor SelTextColor() const noexcept { return selTextColor_; }
    void SetSelTextColor(rtl::TColor color);
    bool ShowEndParSelected() const noexcept { return showEndParSelected_; }
    void SetShowEndParSelected(bool on);
    // The 3-D look: the layer draws one border, so a change only makes the window anew
    // (CM_CTL3DCHANGED); both are stored so that forms keep them.
    bool Ctl3D() const noexcept { return ctl3D_; }
    void SetCtl3D(bool on);
    bool ParentCtl3D() const noexcept { return parentCtl3D_; }
    void SetParentCtl3D(bool on) noexcept { parentCtl3D_ = on; }
    // BiDiMode, ParentBiDiMode, Constraints and DragKind: stored only, so forms keep them.
    // The memo always lays its text out left to right.
    ui::TStoredControlProps& StoredProps() noexcept { return stored_; }
    const ui::TStoredControlProps& StoredProps() const noexcept { return stored_; }
    bool WantTabs() const noexcept { return wantTabs_; }
    void SetWantTabs(bool on) noexcept { wantTabs_ = on; }
    // Sets the two scroll-bar flags (and the window's bars).
    void SetTextScrollBars(ui::TScrollStyle style);

    // Keywords and start/stop keys (changes to the lists take effect at the next parsing
    // reset: ResetParsing, or setting one of the properties below).
    TKeywordList* Keywords() noexcept { return &keywords_; }
    const TKeywordList* Keywords() const noexcept { return &keywords_; }
    TStartStopKeyList* StartStopKeys() noexcept { return &startStopKeys_; }
    const TStartStopKeyList* StartStopKeys() const noexcept { return &startStopKeys_; }
    bool ApplyKeyWords() const noexcept { return applyKeyWords_; }
    void SetApplyKeyWords(bool on);
    bool ApplyStartStopKeys() const noexcept { return applyStartStopKeys_; }
    void SetApplyStartStopKeys(bool on);
    std::string Separators() const { return CharSetText(separators_); }
    void SetSeparators(std::string_view chars);
    bool IsSeparator(unsigned char c) const noexcept { return separators_.test(c); }
    TtmUpperCase UpperCaseType() const noexcept { return upperCaseType_; }
    void SetUpperCaseType(TtmUpperCase type);
    TTextHighlighter* Highlighter() const noexcept { return highlighter_; }
    void SetHighlighter(TTextHighlighter* highlighter);
    // Every paragraph unparsed and unformatted, all sharing the first start state again.
    void ResetParsing();

    // ---- Events ---------------------------------------------------------------------------
    classes::TNotifyEvent OnChange;
    classes::TNotifyEvent OnProgress;
    // Sender, start and stop offset of the text changed.
    classes::TEvent<classes::TObject*, int, int> OnParse;
    // May replace the text about to be inserted.
    classes::TEvent<classes::TObject*, std::string&> OnBeforeChange;
    classes::TNotifyEvent OnStyleChange;
    classes::TNotifyEvent OnSelMove;
    classes::TNotifyEvent OnHScroll;
    classes::TNotifyEvent OnVScroll;
    // Sender, context, start and stop offset of the clicked run.
    classes::TEvent<classes::TObject*, int, int, int> OnContext;
    ui::TMouseEvent OnAfterMouseDown;

    // ---- Updates and formatting -----------------------------------------------------------
    void BeginUpdate() noexcept { ++updateCount_; }
    // Reaching 0 formats and shows all pending changes.
    void EndUpdate();
    int UpdateCount() const noexcept { return updateCount_; }

    // Records a pending change: paragraphs first..last, starting at display line `line`
    // of the first.
    void MarkChanged(int firstParagraph, int line, int lastParagraph);
    // Formats and shows the pending change, then announces it.
    void UpdateChanges();
    // Every paragraph unformatted; formatting restarts according to UpdateMode.
    void ReformatAll();
    // Formats paragraphs first..last at once (formatted ones only when `force`).
    void FormatRange(int first, int last, bool force = false);
    // Formats whatever is pending up to and including display line `line`.
    void FormatUpToLine(int line);
    // One slice of background formatting; `continueByPosting` posts the continuation message
    // when the range is not finished.
    void BackgroundStep(bool continueByPosting);
    // Wraps one paragraph, whole or (incrementally, after a change) from display line
    // `fromLine` on; returns the change in its number of display lines.
    virtual int WrapParagraph(int paragraph, bool full, int fromLine = 0);

    int ProgressPercent() const noexcept { return progress_; }
    bool BackgroundActive() const noexcept { return jobActive_; }
    // The background range: next paragraph to format and last one (-1: none).
    int BackgroundNext() const noexcept { return bgNext_; }
    int BackgroundLast() const noexcept { return bgLast_; }
    // The widest display line (pixels, trailing blanks included) and its paragraph (-1:
    // still to be found).
    int WidestLineWidth() const noexcept { return widest_; }
    int WidestParagraph() const noexcept { return widestPara_; }
    // The width lines are wrapped to.
    int AvailableWidth() const;

    // ---- Parsing ---------------------------------------------------------------------------
    // Start/stop keys of every paragraph up to `paragraph` (and of those after it that the
    // changed states reach).
    virtual void ParseStartStopKeys(int paragraph);
    virtual void ParseKeywords(int paragraph);

    // ---- The window as formatting sees it -------------------------------------------------
    // Attaching measures, sizes and gives the queue for the continuation messages; the font
    // metrics are read and everything is reformatted.
    void AttachWindow(IStyleMeasure& canvas, int clientWidth, int clientHeight, ui::IMessageQueue& queue);
    void DetachWindow();
    bool WindowAttached() const noexcept { return canvas_ != nullptr; }
    void SetClientSize(int clientWidth, int clientHeight);
    int ViewWidth() const noexcept { return clientWidth_; }
    int ViewHeight() const noexcept { return clientHeight_; }
    // An alternative measuring canvas (printing): used instead of the window's, with its own
    // width; nullptr removes it.
    void SetAltCanvas(IStyleMeasure* canvas, int width);
    int LineHeight() const noexcept { return lineHeight_; }
    int AverageCharWidth() const noexcept { return avgCharWidth_; }
    // The width of one blank in Font: the unit of tab stops, virtual blanks, block columns
    // and a positive RightLinePos.
    int BlankWidth() const noexcept { return blankWidth_; }
    // Pixels from a line's top to the text baseline and to the special underline.
    int BaselineOffset() const noexcept { return baselineOffset_; }
    int UnderlineOffset() const noexcept { return underlineOffset_; }
    int VisibleLines() const noexcept;
    int TopLine();
    // Scrolls so that display line `line` is at the top.
    void ScrollToLine(int line);
    // The millisecond clock of slices and progress events (tests make time stand still).
    void SetTickSource(std::function<std::int64_t()> ticks);

    // ---- Window side -----------------------------------------------------------------------
    // Every message: copied as the last message, handed to each change receiver, then
    // handled (the receivers list is packed when an entry was emptied).
    void Dispatch(ui::TMessage& message) override;
    const ui::TMessage& LastMessage() const noexcept { return lastMessage_; }
    // The WM_GETDLGCODE answer without Tab (133: arrows, characters and every other key);
    // DLGC_WANTTAB joins it with WantTabs on and DisplayOnly off.
    static constexpr int kDlgCode = ui::DLGC_WANTARROWS | ui::DLGC_WANTALLKEYS | ui::DLGC_WANTCHARS;
    bool WantsKey(ui::TKey key) const override;
    void AddReceiver(ITextMemoReceiver* receiver);
    // Empties the receiver's entry; the list is packed at the next message.
    void RemoveReceiver(ITextMemoReceiver* receiver) noexcept;
    int ReceiverCount() const noexcept { return static_cast<int>(receivers_.size()); }

    // The default popup menu, created on first need (owned by the editor); its items are
    // enabled by the state when it pops up.
    ui::TPopupMenu* DefaultPopupMenu();
    // The popup a right click shows: PopupMenu, else the default one (none with
    // tmoNoDefaultPopup).
    ui::TPopupMenu* ActivePopupMenu();
    void ContextPopup(int x, int y) override;

    // Gives the range between two offsets the style `record`. With `context` the record,
    // marked as a context, starts at `from` and the state before it returns at `to`; without,
    // a context in force at `from` ends there. Style records inside the range go, paragraphs
    // after the first start in the record's state; `repaint` records the change.
    virtual void SetStyleRange(int from, int to, bool repaint, bool context, TStyleRec record);

    // An upper-cased copy (by UpperCaseType) of `length` bytes of a paragraph from `start`,
    // kept in a cache that grows over touching requests.
    std::string_view FoldedText(int paragraph, int start, int length);
    int FoldedCacheParagraph() const noexcept { return foldParagraph_; }
    int FoldedCacheStart() const noexcept { return foldStart_; }
    int FoldedCacheLength() const noexcept { return static_cast<int>(foldText_.size()); }

    // The window came and goes: the measures and the message queue of the layer.
    virtual void CreateWnd();
    virtual void DestroyWnd();
    void CreatePeers() override;
    void DestroyPeers() override;
    // WS_VSCROLL / WS_HSCROLL and the border, as the window is made.
    bool VerticalBarFlag() const noexcept { return scroller_->VerticalBar(); }
    bool HorizontalBarFlag() const noexcept { return scroller_->HorizontalBar(); }

    // ---- Navigators -----------------------------------------------------------------------
    const std::vector<TTextNavigator*>& Navigators() const noexcept { return navigators_; }

    // Checks the store's bookkeeping; raises "Error 1" ... "Error 6 in " followed by the
    // version text on the first inconsistency of paragraph starts, display lines and counts,
    // "Error 7 in ..." for a CR inside a paragraph's text, "Error 8 in ..." for a missing
    // start state or style records out of order or outside their paragraph, "Error 9 in ..."
    // for a caret or selection end outside the text, inside a character or a break.
    void CheckConsistency() const;
    // The message CheckConsistency would raise, empty for a consistent store.
    std::string ConsistencyProblem() const;

protected:
    // Window effects of formatting; nothing without a window.
    virtual void InvalidateLines(int firstLine, int lastLine);
    virtual void UpdateVertScrollBar();
    virtual void UpdateHorzScrollBar();
    // WM_PAINT: every display line composed in a one-line bitmap and copied in one step.
    virtual void PaintLines(ui::TCanvas& target, const ui::TRect& rect, bool temporaryBitmap);
    // The one-line bitmap WM_PAINT composes each line in.
    ui::TBitmap& LineBitmap() noexcept;
    // Fills `rect` of `canvas` with Color or tiles the background picture over it.
    void PaintBackground(ui::TCanvas& canvas, const ui::TRect& rect, bool usePicture);
    // Performs CM_TEXTCHANGED when receivers are attached, then OnChange.
    virtual void Change();

    // Replaces [start, stop) by `text`; returns the offset after the inserted text. With
    // `verbatim` (style commands, stored text) no closing toggle codes are added and no
    // empty toggle pairs removed.
    int ReplaceRange(int start, int stop, std::string_view text, bool verbatim);

private:
    friend class TTextNavigator;
    friend class TTextMemoStrings;
    friend class TTextLinesStrings;
    friend class TTextParaStrings;
    friend class TParagraphWrapper;
    friend class TMemoRenderer;
    friend class TMemoKeyboard;
    friend class TMemoMouse;
    friend class TMemoMessages;
    friend class TMemoScroller;
    friend class TRangeReplacer;

    struct StyleMetrics {
        bool valid = false;
        int blank = 1;
        int overhang = 0;
    };

    void InitStore();
    void ClearStore();
    // Debug builds check the store whenever a change is complete (after an update, after a
    // load) and stop at once on an inconsistency; release builds do nothing.
    void DebugCheckStore() const;
    void LoadWith(const std::function<bool(std::string&)>& nextBlock);
    int FindParagraph(int offset, int guess) const;
    int SnapOffset(int offset) const;
    void AdjustAfterReplace(int pa, int removedParagraphs, int insertedParagraphs, int start, int stop, int delta);
    int RunFormatting(int first, int& last, bool force, bool extendRange, std::int64_t deadline);
    void ExtendBackgroundRange(int first, int last);
    void ContinueFormatting();
    void AfterFormatting();
    void NoteLineWidth(int paragraph, int width);
    void FindWidest();
    void UpdateMetrics();
    void FireProgress(int percent, bool always);
    std::int64_t Now() const;
    ui::IFontMeasure& StyleFont(std::uint8_t style);
    const StyleMetrics& MetricsOf(std::uint8_t style);
    int MeasureRun(std::string_view run, std::uint8_t style);
    IStyleMeasure* MeasuringCanvas() const noexcept { return altCanvas_ ? altCanvas_ : canvas_; }
    void ParseSpans(int paragraph);
    bool PropagateState(int paragraph);
    void PostContinuation();
    void RefreshDisplay();
    void ReloadText();
    void InvalidateSelection();
    // The replacement itself; `verbatim` for undo, redo and the style commands.
    void ReplaceSelectionWith(std::string text, bool verbatim);
    // Undo and redo: replaces a record's range by its text, the caret after it.
    int ReplayUndoRecord(const TUndoRecord& record, std::string& replaced);
    void ReplayUndo(bool redo);
    void StyleCommand(unsigned char code);
    void SetCaretPlace(int offset);
    char CharAt(int offset) const;
    int NextCharOffset(int offset) const;
    int PrevCharOffset(int offset) const;
    void OnPopupMenu(classes::TObject* sender);
    void OnPopupItem(classes::TObject* sender);
    void HandleSetFocus();
    void HandleKillFocus();
    void MoveCaretTo(int offset, bool extend);
    void FinishVerticalMove(int line, bool extend);
    bool InLeftMarginZone(int x) const noexcept;
    void SelectDisplayLines(int fromLine, int toLine);
    // Extra justification pixels of the blanks of display line `lineInPar` before `to`.
    int JustifyExtra(TParagraphRec& rec, int lineInPar, int to);
    int LineStartX(TParagraphRec& rec, int lineInPar);
    bool LineJustified(TParagraphRec& rec, int lineInPar) const;

    // Store.
    TParagraphsList paragraphs_;
    int textLength_ = 0;
    int lineCount_ = 1;
    bool modified_ = false;
    std::vector<TTextNavigator*> navigators_;

    // Selection.
    int selStart_ = 0;
    int selLength_ = 0;
    bool columnBlock_ = false;
    int blockCol1_ = 0;
    int blockCol2_ = 0;
    int virtualBlanks_ = 0;
    int rememberedX_ = -1;  // remembered caret column in pixels (-1: none)

    // Undo.
    TUndoStack undo_;

    // Caret and view.
    int caretX_ = 0;
    int caretY_ = 0;
    int lastCaretOffset_ = -1;
    int lastVirtualBlanks_ = 0;
    std::uint8_t caretStyle_ = 0;
    bool caretCreated_ = false;
    std::unique_ptr<TMemoScroller> scroller_;
    std::unique_ptr<TMemoRenderer> renderer_;

    // Input.
    std::unique_ptr<TMemoKeyboard> keyboard_;
    std::unique_ptr<TMemoMouse> mouse_;

    // Window side.
    std::unique_ptr<TMemoMessages> messages_;
    ui::TMessage lastMessage_;
    std::vector<ITextMemoReceiver*> receivers_;
    ui::TPopupMenu* defaultPopup_ = nullptr;
    int foldParagraph_ = -1;
    int foldStart_ = 0;
    std::string foldText_;
    std::unique_ptr<IStyleMeasure> peerMeasure_;
    std::unique_ptr<ui::IFontMeasure> peerFont_;

    // Display and input settings.
    classes::TFont altFont_;
    ui::TPicture backgroundBmp_;
    ui::TPen endOfTextMark_;
    ui::TPen rightLinePen_;
    ui::TPen specUnderline_;
    int caretWidth_ = 1;
    bool displayOnly_ = false;
    bool enableHotKeys_ = true;
    bool hideSelection_ = true;
    rtl::TColor highlightBackgnd_ = rtl::clWindow;
    rtl::TColor highlightColor_ = rtl::clRed;
    int fixedLineHeight_ = 0;
    int mouseWheelFactor_ = -1;
    bool overwrite_ = false;
    bool passOverCodes_ = true;
    bool readOnly_ = false;
    int rightLinePos_ = 0;
    rtl::TColor selBackColor_ = rtl::clHighlight;
    rtl::TColor selTextColor_ = rtl::clHighlightText;
    bool showEndParSelected_ = true;
    bool wantTabs_ = true;
    bool ctl3D_ = true;
    bool parentCtl3D_ = true;
    ui::TStoredControlProps stored_;

    // Views.
    std::unique_ptr<TTextLinesStrings> lines_;
    std::unique_ptr<TTextParaStrings> paragraphsView_;

    // Properties.
    TTextLineBreak lineBreak_ = pbCRLF;
    char nullReplacement_ = '\0';
    TTextMemoOptions options_;
    bool staticFormat_ = true;
    TUpdateMode updateMode_ = umBackground;
    bool wordWrap_ = true;
    int columnWrap_ = 0;
    ui::TAlignment alignment_ = ui::taLeftJustify;
    bool justified_ = false;
    int leftMargin_ = 8;
    int rightMargin_ = 8;
    int tabStops_ = 8;

    // Keywords.
    TKeywordList keywords_;
    TStartStopKeyList startStopKeys_;
    bool applyKeyWords_ = true;
    bool applyStartStopKeys_ = true;
    TCharSet separators_;
    TtmUpperCase upperCaseType_ = tmuAscii;
    TTextHighlighter* highlighter_ = nullptr;
    int keysParsedUpTo_ = -1;

    // Window and measuring.
    IStyleMeasure* canvas_ = nullptr;
    IStyleMeasure* altCanvas_ = nullptr;
    int altWidth_ = 0;
    ui::IMessageQueue* queue_ = nullptr;
    int clientWidth_ = 100;
    int clientHeight_ = 60;
    int lineHeight_ = 1;
    int avgCharWidth_ = 1;
    int blankWidth_ = 1;
    int baselineOffset_ = 0;
    int underlineOffset_ = 0;
    int maxCharsPerCall_ = 4096;
    StyleMetrics styleMetrics_[256];
    std::function<std::int64_t()> ticks_;

    // Formatting state.
    int updateCount_ = 0;
    int chgFirstLine_ = 0;
    int chgFirstPara_ = 0;
    int chgLastPara_ = -1;
    int bgNext_ = 0;
    int bgLast_ = -1;
    int bgLowest_ = kNotComputed;  // lowest paragraph the range was extended to during a run
    bool jobActive_ = false;
    bool continuationPosted_ = false;
    int progress_ = 100;
    std::int64_t lastProgress_ = 0;
    int widest_ = 0;
    int widestPara_ = -1;
};

}  // namespace editor
