#pragma once
// TTextMemo: the text editor control's document side: the paragraph store with its
// navigators and string views, the text stream formats, keyword and start/stop-key parsing,
// and the formatting engine that wraps paragraphs into display lines.
//
// The engine measures through IStyleMeasure (one font per style byte) while a window (or an
// alternative canvas) is attached; without one every paragraph is a single display line.
// Background formatting works in slices of at most 25 ms, each continued by a message the
// editor posts to itself through the window's message queue.

#include "editor/Keywords.h"
#include "editor/TextNavigator.h"
#include "editor/TextStore.h"
#include "editor/TextStream.h"

#include "platform/classes/Component.h"
#include "platform/ui/FontMeasure.h"
#include "platform/ui/MessageQueue.h"
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

class TTextMemo : public classes::TComponent, public ui::IMessageTarget {
    GW_CLASS(TTextMemo)

public:
    explicit TTextMemo(classes::TComponent* owner = nullptr);
    ~TTextMemo() override;

    // After reading from a form: the parsing state is reset when keywords or start/stop keys
    // are to be applied.
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
    void LoadFromText(std::string_view text);
    std::string SaveToText();

    bool Modified() const noexcept { return modified_; }
    void SetModified(bool modified) noexcept { modified_ = modified; }

    // ---- Selection ------------------------------------------------------------------------
    // The caret (anchor) offset and the signed selection length; both always stand at the
    // start of a character and never between a CR and its LF.
    int SelStart() const noexcept { return selStart_; }
    void SetSelStart(int offset);
    int SelLength() const noexcept { return selLength_; }
    void SetSelLength(int length);
    // The caret paragraph; writing puts the caret at the start of that paragraph.
    int SelPar() const;
    void SetSelPar(int paragraph);
    std::string SelText() const;
    // Replaces the selection by a text split into paragraphs at CR and CR LF (a lone LF is an
    // ordinary character); the caret ends after it.
    virtual void ReplaceSelection(std::string_view text);

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
    void SetJustified(bool on) noexcept { justified_ = on; }
    int LeftMargin() const noexcept { return leftMargin_; }
    void SetLeftMargin(int pixels);
    int RightMargin() const noexcept { return rightMargin_; }
    void SetRightMargin(int pixels);
    int TabStops() const noexcept { return tabStops_; }
    void SetTabStops(int characters);

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
    bool HandleAllocated() const noexcept { return canvas_ != nullptr; }
    void SetClientSize(int clientWidth, int clientHeight);
    int ClientWidth() const noexcept { return clientWidth_; }
    int ClientHeight() const noexcept { return clientHeight_; }
    // An alternative measuring canvas (printing): used instead of the window's, with its own
    // width; nullptr removes it.
    void SetAltCanvas(IStyleMeasure* canvas, int width);
    int LineHeight() const noexcept { return lineHeight_; }
    int AverageCharWidth() const noexcept { return avgCharWidth_; }
    int VisibleLines() const noexcept;
    int TopLine();
    // Scrolls so that display line `line` is at the top.
    void ScrollToLine(int line);
    // The millisecond clock of slices and progress events (tests make time stand still).
    void SetTickSource(std::function<std::int64_t()> ticks);

    void Dispatch(ui::TMessage& message) override;

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
    virtual void UpdateCaret();
    virtual void ScrollCaretIntoView();
    // OnChange.
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
    ui::IFontMeasure& Font(std::uint8_t style);
    const StyleMetrics& MetricsOf(std::uint8_t style);
    int MeasureRun(std::string_view run, std::uint8_t style);
    IStyleMeasure* MeasuringCanvas() const noexcept { return altCanvas_ ? altCanvas_ : canvas_; }
    void ParseSpans(int paragraph);
    bool PropagateState(int paragraph);
    void PostContinuation();
    void RefreshDisplay();
    void ReloadText();

    // Store.
    TParagraphsList paragraphs_;
    int textLength_ = 0;
    int lineCount_ = 1;
    bool modified_ = false;
    std::vector<TTextNavigator*> navigators_;

    // Selection.
    int selStart_ = 0;
    int selLength_ = 0;

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
    int maxCharsPerCall_ = 4096;
    StyleMetrics styleMetrics_[256];
    std::unique_ptr<TTextNavigator> topLine_;
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
