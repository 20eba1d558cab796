#pragma once
// TgkCustomRichEdit: the library's rich-text edit control. Its formatted text is a document
// the window system makes (ui::IRichDocument; no window is needed), stored as RTF: in blob
// fields, in stored forms (the defined properties "RichEditVersion" and "Data") and on the
// clipboard. TgkRichEditStrings is its `Lines` view: one line per paragraph, never per
// wrapped line.
//
// Promises:
// - Text and Lines join paragraphs with CR LF. Lines[i] is the whole paragraph; Insert at
//   Count appends a line (into an empty last paragraph when there is one), so Add keeps its
//   text.
// - StreamIn reads RTF, and data that is not RTF as plain text; with PlainText on it reads
//   plain text. Nothing read ever fails: broken RTF keeps its text.
// - "Data" is a 32-bit little-endian byte count and the RTF; a count larger than the bytes
//   present is a read error naming the property. Forms without "RichEditVersion" load as
//   version 1. A control bound to a field ignores stored Data.
// - Positions (SelStart, SelLength, search results) count characters as the document does.
// - A link click opens only http, https, ftp and mailto addresses (www. as http), after
//   OnURLOpen, through the replaceable opener.
// - No embedded-object editing: the control acts as with reoDisableOLE; objects read from RTF
//   are kept and written back unchanged.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "editctrls/gkFrame.h"
#include "grid/Types.h"
#include "platform/classes/Sets.h"
#include "platform/db/Variant.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/FindDialogs.h"
#include "platform/ui/Menus.h"
#include "platform/ui/RichEdit.h"

namespace ui {
class TForm;
class TSpeedButton;
}

namespace editctrls {

class TgkCustomRichEdit;
class TgkPrintMargins;

enum TgkMeasurementUnits { muInches, muCentimeters };
enum TgkRichEditWidth { rewWindowSize, rewPrinterSize };
enum TgkRichEditPopupOption {
    rpoPopupEdit, rpoPopupCut, rpoPopupCopy, rpoPopupPaste, rpoPopupBold, rpoPopupItalic, rpoPopupUnderline,
    rpoPopupFont, rpoPopupBullet, rpoPopupParagraph, rpoPopupTabs, rpoPopupFind, rpoPopupReplace,
    rpoPopupInsertObject, rpoPopupMSWordSpellCheck
};
using TgkRichEditPopupOptions = classes::TSet<TgkRichEditPopupOption>;
enum TgkRichEditOleOption { reoAdjustPopupMenu, reoDisableOLE };
using TgkRichEditOleOptions = classes::TSet<TgkRichEditOleOption>;
const classes::TEnumInfo& RichEditPopupOptionInfo();
const classes::TEnumInfo& RichEditOleOptionInfo();
const classes::TEnumInfo& MeasurementUnitsInfo();
const classes::TEnumInfo& RichEditWidthInfo();
// What the editor window shows and how it behaves (EditorOptions).
enum TgkRichEditOption {
    reoShowLoad, reoShowSaveAs, reoShowSaveExit, reoShowPrint, reoShowPageSetup, reoShowFormatBar,
    reoShowToolBar, reoShowStatusBar, reoShowHints, reoShowRuler, reoShowInsertObject, reoCloseOnEscape,
    reoFlatButtons, reoShowSpellCheck, reoShowMainMenuIcons, reoShowJustifyButton, reoUseBackColor,
    reoNoConfirmation
};
using TgkRichEditOptions = classes::TSet<TgkRichEditOption>;
const classes::TEnumInfo& RichEditOptionInfo();
// The editor window's place and size (EditorPosition): the library's stored dialog geometry.
using grid::TgkFormPosition;

// Search options of FindTextEx and the find and replace dialogs.
enum TgkSearchType { stMatchCase, stWholeWord };
using TgkSearchTypes = classes::TSet<TgkSearchType>;

// The Lines view: paragraphs as lines.
class TgkRichEditStrings : public rtl::TStrings {
public:
    explicit TgkRichEditStrings(TgkCustomRichEdit& edit) : edit_(edit) {}
    std::string Get(int index) const override;
    // The paragraphs, less one when the last is empty.
    int GetCount() const override;
    void Put(int index, const std::string& s) override;
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;
    void SetText(std::string_view text) override;

private:
    TgkCustomRichEdit& edit_;
};

// Items of the context menu, in menu order (separators included, as nullopt).
struct TgkRichEditMenuItem {
    std::optional<TgkRichEditPopupOption> option;  // nullopt: a separator
    bool visible = false;
    bool enabled = true;
    bool checked = false;
    std::string caption;
};

class TgkCustomRichEdit : public ui::TCustomRichEdit {
    GW_CLASS(TgkCustomRichEdit)

public:
    explicit TgkCustomRichEdit(classes::TComponent* owner);
    ~TgkCustomRichEdit() override;

    TgkRichEditStrings* Lines() noexcept { return &lines_; }

    // ---- Text and streams ----------------------------------------------------------------
    // The plain text, paragraphs joined with CR LF.
    std::string PlainTextContent();
    void SetPlainTextContent(const std::string& text);
    bool PlainText() const noexcept { return plainText_; }
    void SetPlainText(bool on) { plainText_ = on; }
    // The whole text as RTF (the stored form).
    std::string SaveRtf();
    // Replaces the whole text, or only the selection, by `data`: RTF, else plain text; plain
    // text only while PlainText is on.
    void StreamIn(std::string_view data, bool selectionOnly = false);
    // The selection as RTF.
    std::string SelectionRtf();
    // Copies the source's text into the target (the editor window's both ways): as RTF, or
    // as plain text while the source is in plain-text mode; in memory either way.
    static void CopyRichText(TgkCustomRichEdit& source, TgkCustomRichEdit& target);
    // The stored-format version: 2 after construction, 1 for forms written without it.
    int RichEditVersion() const noexcept { return version_; }
    // Version 1 (or switch 1): the selection has no background colour and paragraphs no
    // spacing (space before, space after, line spacing).
    bool ActsAsVersion1() const { return version_ < 2 || Switch(1); }
    // A changed version remakes a shown window; text, selection and focus stay.
    void SetRichEditVersion(int version);
    void DefineProperties(classes::TFiler& filer) override;
    void Loaded() override;

    // ---- Selection -----------------------------------------------------------------------
    std::string SelText();
    bool HasSelection() { return !SelText().empty(); }

    // ---- Formatting ----------------------------------------------------------------------
    // The selection's background: a colour, or nullopt for none (version 2 only).
    void SetSelBackground(std::optional<rtl::TColor> color);
    // The selection's background: clWindow for none, clWhite when acting as version 1.
    rtl::TColor SelBackground();
    // Clears the selection's background (the "\highlight" words of its RTF).
    virtual void RemoveHighlight();
    // Toggles bold (0), italic (1), underline (2) or strike-out (3) on the selection.
    void ToggleStyle(int index);
    bool SelectionHasStyle(int index);
    // The paragraph operation: mask bits 0-8 (alignment, numbering, offset, right indent,
    // start indent, tab stops, space before, space after, line spacing); alignment by its
    // localised text; rule 1 and 2 are 1.5 and double spacing; at most 32 tabs. Twips.
    struct ParagraphSettings {
        unsigned mask = 0;
        std::string alignment;
        int rule = 0, spacing = 0, spaceAfter = 0, spaceBefore = 0;
        std::vector<int> tabs;
        int startIndent = 0, rightIndent = 0, offset = 0;
        bool bullet = false;
    };
    void SetParagraph(const ParagraphSettings& settings);
    // The change SetParagraph makes of `settings`.
    static ui::TRichParaChange ParagraphChange(const ParagraphSettings& settings);
    void SetBullet(bool on);
    // The font dialog on the selection's attributes (name, size, colour, style); OK applies
    // them to the selection, the colour only when it changed. True on OK.
    bool FontDialog();

    // ---- Searching -----------------------------------------------------------------------
    // The first match of `text` in [start, start + length); -1 for none.
    int FindTextEx(const std::string& text, int start, TgkSearchTypes options, int length);
    // Starts a search session at the caret (what the find and replace dialogs do on opening).
    void BeginSearch();
    // Finds the next match after the caret, wrapping once past the session's start; selects
    // it, or shows LocateNoMoreMatches and ends the session. True when found.
    bool FindNext(const std::string& text, TgkSearchTypes options);
    // Replaces the selection when it is the found text, then finds the next; `all` repeats
    // until no match is left. Answers the replacements made.
    int Replace(const std::string& text, const std::string& replacement, TgkSearchTypes options, bool all);
    // Replaces the first match of `text` after the caret (no wrap, no message); true when one
    // was found.
    bool FindReplace(const std::string& text, const std::string& replacement, TgkSearchTypes options);
    // Show the modeless find or replace dialog, its text being the selection when that is
    // non-empty and on one line, else the last search text; a search session starts at the
    // caret. The dialogs' buttons run FindNext and Replace. HideSelection is off until the
    // dialogs are closed, so what they find shows.
    void FindDialog();
    void ReplaceDialog();
    ui::TFindDialog* Finder() const noexcept { return finder_; }
    ui::TReplaceDialog* Replacer() const noexcept { return replacer_; }

    // ---- Links ---------------------------------------------------------------------------
    bool AutoURLDetect() const noexcept { return autoURLDetect_; }
    void SetAutoURLDetect(bool on);
    // The web address at `position`, empty when none.
    std::string LinkAt(int position);
    // A click at `position`: opens the link there (OnURLOpen first); true when one opened.
    bool ClickLink(int position) override;
    // Who opens addresses (rtl::OpenWithDesktop unless replaced; nullptr restores it).
    using TOpener = std::function<bool(const std::string&)>;
    static TOpener SetURLOpener(TOpener opener);
    classes::TEvent<classes::TObject*, const std::string&, bool&> OnURLOpen;
    virtual void DoURLOpen(const std::string& url, bool& openDefault);

    // ---- Clipboard -----------------------------------------------------------------------
    // Copy puts the selection as RTF (text/rtf) and as text; paste takes RTF, else text.
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    bool CanPaste();

    // ---- Context menu --------------------------------------------------------------------
    TgkRichEditPopupOptions PopupOptions() const noexcept { return popupOptions_; }
    void SetPopupOptions(TgkRichEditPopupOptions o) { popupOptions_ = o; }
    TgkRichEditOleOptions OleOptions() const noexcept { return oleOptions_; }
    void SetOleOptions(TgkRichEditOleOptions o) { oleOptions_ = o; }
    // The items as the menu shows them when it pops up now.
    std::vector<TgkRichEditMenuItem> PopupItems();
    // The control's own context menu (its PopupMenu unless another was assigned): items in
    // PopupItems order, brought up to date each time it pops up.
    ui::TPopupMenu* OwnPopupMenu() const noexcept { return menu_; }

    // ---- Measurement ---------------------------------------------------------------------
    TgkMeasurementUnits MeasurementUnits() const noexcept { return units_; }
    void SetMeasurementUnits(TgkMeasurementUnits u) { units_ = u; }
    static std::string MeasurementText(int twips, TgkMeasurementUnits units);
    static int MeasurementTwips(const std::string& text, TgkMeasurementUnits units);

    // ---- Edit rectangle ------------------------------------------------------------------
    TgkRichEditWidth EditWidth() const noexcept { return editWidth_; }
    void SetEditWidth(TgkRichEditWidth width);
    // Printer-size editing: asked for, with a printer installed (Printer()).
    bool PrinterSizeEditing() const;
    // Where the text goes, in the control's pixels. Under printer-size editing: left
    // GutterWidth + 10, top 0, right the printer page's width less the left and right print
    // margins at the screen's pixels per inch, plus GutterWidth + 4, bottom the printer page's
    // height at the screen's pixels per inch; the text then wraps at that right edge, however
    // wide the window. Otherwise right = client width - 2, bottom = the height; without a
    // border in a data inspector top 0 and left GutterWidth - 2, in a grid top 1 and left
    // GutterWidth - 1; elsewhere bottom 2 less and, without a frame, top 2 and left
    // GutterWidth - 2, with one the frame's margins with GutterWidth - 2 added to the left
    // (top one less while the window is transparent). The document keeps the rest clear as
    // its margins.
    ui::TRect EditRect() const;
    // The edit frame (off unless enabled; never inside a grid). The edit rectangle follows it
    // at once when a setting changes, and when the control is resized, loaded, entered or
    // left. The window draws it over its own painting: the focused look while the control
    // has the focus.
    TgkEditFrame* Frame() noexcept { return &frame_; }
    int FrameRingWidth() const override;
    bool PaintsOver() const override;
    void PaintOver(ui::TCanvas& canvas) override;
    void SetParent(ui::TWinControl* parent) override;
    // True while the mouse is over the window; the frame's MouseEnterSameAsFocus then shows
    // the focused look.
    bool MouseOver() const noexcept { return mouseOver_; }
    void Dispatch(ui::TMessage& message) override;
    // Without the focus an enabled frame's NonFocusColor is the control's Color, the own one
    // kept aside (from the window's making and each leaving) and given back on entering; not
    // while transparent or painting a copy for a grid.
    void CreatePeers() override;

    // ---- Printing (gkRichPrint.h) ----------------------------------------------------------
    // Margins in the measurement unit, 1.0 on every side at first.
    TgkPrintMargins* PrintMargins() const noexcept { return printMargins_.get(); }
    // The paper's stored code (1 Letter); under printer-size editing setting it sets the
    // printer's paper and lays the text out again.
    int PrintPageSize() const noexcept { return printPageSize_; }
    void SetPrintPageSize(int code);
    // The job name the editor window prints with: the application's title at creation.
    std::string PrintJobName() const { return printJobName_; }
    void SetPrintJobName(const std::string& s) { printJobName_ = s; }
    // Prints the whole text on Printer() as one job named `caption`, inside PageRect when it
    // is not empty, else inside the margins. EPrinter (no job left open) when the printer
    // cannot print.
    virtual void Print(const std::string& caption);
    // Lays the text out again after the margins, paper or printer changed.
    void PageSetupChanged() { UpdateEditRect(); }

    // ---- Behaviour switches --------------------------------------------------------------
    // Entries 0-6 (TgkDBRichEdit makes them: Boolean False, entry 5 Integer 0); entry 1 True
    // makes the control act as version 1. A missing entry counts as False.
    std::vector<db::TVariant>& Switches() noexcept { return switches_; }
    bool Switch(int index) const;

    // ---- Published values kept for stored forms ------------------------------------------
    rtl::TColor HighlightColor() const noexcept { return highlightColor_; }
    void SetHighlightColor(rtl::TColor c) { highlightColor_ = c; }
    int GutterWidth() const noexcept { return gutterWidth_; }
    void SetGutterWidth(int w);
    std::string EditorCaption() const { return editorCaption_; }
    void SetEditorCaption(const std::string& s) { editorCaption_ = s; }
    std::string Title() const { return title_; }
    void SetTitle(const std::string& s) { title_ = s; }
    bool WantReturns() const noexcept { return wantReturns_; }
    void SetWantReturns(bool v) { wantReturns_ = v; }

    // ---- The editor window and the paragraph and tab dialogs ---------------------------------
    // (gkRichEditForm.cpp, gkRichParagraphDlg.cpp)
    TgkRichEditOptions EditorOptions() const noexcept { return editorOptions_; }
    void SetEditorOptions(TgkRichEditOptions o) { editorOptions_ = o; }
    TgkFormPosition& EditorPosition() noexcept { return editorPosition_; }
    // Opens the editor window on a copy of the text; true when it closed with OK, the text
    // then being written back (into the field of a bound control).
    virtual bool Execute();
    // The window while Execute runs, else nullptr.
    ui::TForm* EditorForm() const noexcept { return editorForm_; }
    // The paragraph and tab dialogs for the current paragraph; true on OK.
    virtual bool ParagraphDialog();
    virtual bool TabDialog();
    // No embedded objects can be made or edited here: both answer false.
    virtual bool InsertObject() { return false; }
    virtual bool ObjectProperties() { return false; }
    // No class here checks spelling: nothing to do.
    virtual bool SpellCheck() { return true; }
    // There is no word processor to print through: says so, answers false.
    virtual bool PrintWithWordProcessor();
    virtual void DoInitDialog(ui::TForm* form) { OnInitDialog(form); }
    virtual void DoCloseDialog(ui::TForm* form) { OnCloseDialog(form); }
    virtual void DoCreateDialog(ui::TForm* form) { OnCreateDialog(form); }
    classes::TEvent<ui::TForm*> OnInitDialog, OnCloseDialog, OnCreateDialog;
    // Editor-window menu events: (sender, the editor's rich edit, Done); Done starts True.
    using TgkRichEditMenuEvent = classes::TEvent<classes::TObject*, TgkCustomRichEdit*, bool&>;
    TgkRichEditMenuEvent OnMenuLoadClick, OnMenuPrintClick, OnMenuSaveAsClick, OnMenuSaveAndExitClick;
    // Buttons the editor window shows in its tool bar while it is open; assigning one hides
    // it where it is.
    ui::TSpeedButton* UserSpeedButton1() const noexcept { return userButtons_[0]; }
    ui::TSpeedButton* UserSpeedButton2() const noexcept { return userButtons_[1]; }
    void SetUserSpeedButton1(ui::TSpeedButton* b) { SetUserSpeedButton(0, b); }
    void SetUserSpeedButton2(ui::TSpeedButton* b) { SetUserSpeedButton(1, b); }
    void Notification(classes::TComponent* component, classes::TOperation operation) override;

protected:
    void Resize() override;
    void DoEnter() override;
    void DoExit() override;
    // Loads a bound field that has not been loaded yet (nothing here).
    virtual void LoadField() {}
    virtual void DoEdit() {}
    virtual bool DataBound() const { return false; }
    friend class TgkRichEditStrings;

private:
    void CreatePopupMenu();
    void CreateDialogs();
    // Hands the edit rectangle to the document as its margins.
    void UpdateEditRect();
    // A frame setting changed: the text placed again, the window told and repainted.
    void FrameChanged();
    // Shows the frame's NonFocusColor (keeping Color aside) or gives the kept Color back.
    void ShowNonFocusColor(bool show);
    void OpenSearchDialog(ui::TFindDialog& dialog);
    void UpdatePopupMenu();
    void ReadData(std::string_view bytes);
    void DocumentChanged();
    int Caret() const { return SelStart() + SelLength(); }

    TgkRichEditStrings lines_{*this};
    TgkEditFrame frame_{this};
    ui::TPopupMenu* menu_ = nullptr;
    ui::TFindDialog* finder_ = nullptr;
    ui::TReplaceDialog* replacer_ = nullptr;
    std::string lastSearch_;
    // HideSelection as it was before a search dialog opened, while one is open.
    std::optional<bool> savedHideSelection_;
    bool plainText_ = false;
    bool mouseOver_ = false;
    // Color while NonFocusColor shows in its place; clNone when nothing is kept.
    rtl::TColor savedColor_ = rtl::clNone;
    int version_ = 2;
    bool versionRead_ = false;
    bool dataRead_ = false;
    bool autoURLDetect_ = false;
    bool wantReturns_ = true;
    TgkRichEditPopupOptions popupOptions_;
    TgkRichEditOleOptions oleOptions_;
    TgkMeasurementUnits units_ = muInches;
    rtl::TColor highlightColor_ = rtl::clYellow;
    int gutterWidth_ = 3;
    TgkRichEditWidth editWidth_ = rewWindowSize;
    std::vector<db::TVariant> switches_;
    std::string editorCaption_ = "Edit Rich Text";
    std::unique_ptr<TgkPrintMargins> printMargins_;
    int printPageSize_ = 1;
    std::string printJobName_;
    std::string title_;
    // The search session: where it started and whether it wrapped.
    int searchStart_ = 0;
    bool searchWrapped_ = false;
    TgkRichEditOptions editorOptions_ = TgkRichEditOptions::FromBits(0x7FFC);
    TgkFormPosition editorPosition_;
    ui::TForm* editorForm_ = nullptr;
    ui::TSpeedButton* userButtons_[2] = {nullptr, nullptr};
    void SetUserSpeedButton(int index, ui::TSpeedButton* button);
    friend class TgkRichEditForm;
};

}  // namespace editctrls
