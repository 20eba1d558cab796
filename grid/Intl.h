#pragma once
// The grid library's texts and library-wide settings.
//
// Every caption, hint and message of the library's dialogs and controls lives in one TgkIntl
// object, gkIntlDefault(), which every library unit reads. An application localises the
// library by placing its own TgkIntl on a form with Connected set: it then copies its texts
// into the global object when it is loaded and whenever Connected becomes true.

#include "platform/classes/Component.h"
#include "platform/classes/Font.h"
#include "platform/rtl/Exceptions.h"

#include <string>
#include <string_view>

namespace db {
class TField;
}

namespace grid {

using rtl::EInvalidOperation;

// How check-box cells are drawn.
enum TgkCheckBoxInGridStyle { cbStyleAuto, cbStyleCheckmark, cbStyleXmark, cbStyleCheckmarkFlat };
const classes::TEnumInfo& CheckBoxInGridStyleInfo();

// Called before a picture-mask error is reported, with the control and the field the check
// was for. Clearing `showError` suppresses the beep and the exception; `message` may be
// changed.
using TgkPictureValidationError =
    classes::TEvent<classes::TComponent* /*control*/, db::TField* /*field*/, bool& /*showError*/,
                    std::string& /*message*/>;

// ---- Groups of texts -------------------------------------------------------------------------
// Each group is a published sub-object of TgkIntl; its members are its published properties,
// in publish order. Assign copies every published property, nested groups included.

class TgkIntlGroup : public classes::TPersistent {
    GW_CLASS(TgkIntlGroup)

public:
    void Assign(const classes::TPersistent& source) override;
};

class TgkADOIntl : public TgkIntlGroup {
    GW_CLASS(TgkADOIntl)

public:
    bool UseLocateWhenFindingValue = true;
};

class TgkDBNavigatorIntlHints : public TgkIntlGroup {
    GW_CLASS(TgkDBNavigatorIntlHints)

public:
    std::string FirstHint = "Move to first record";
    std::string PriorHint = "Move to prior record";
    std::string NextHint = "Move to next record";
    std::string LastHint = "Move to last record";
    std::string InsertHint = "Insert new record";
    std::string DeleteHint = "Delete current record";
    std::string EditHint = "Edit current record";
    std::string PostHint = "Post changes of current record";
    std::string CancelHint = "Cancel changes made to current record";
    std::string RefreshHint = "Refresh the contents of the dataset";
    std::string PriorPageHint = "Move backward %d records";
    std::string NextPageHint = "Move forward %d records";
    std::string SaveBookmarkHint = "Bookmark current record";
    std::string RestoreBookmarkHint = "Go back to saved bookmark";
    std::string RecordViewDialogHint = "View current record";
    std::string LocateDialogHint = "Locate a specific record";
    std::string FilterDialogHint = "Filter the dataset";
    std::string SearchDialogHint = "Search the dataset";
};

class TgkDBNavigatorIntl : public TgkIntlGroup {
    GW_CLASS(TgkDBNavigatorIntl)

public:
    std::string ConfirmDeleteMessage = "Delete record?";
    TgkDBNavigatorIntlHints Hints;
};

class TgkSearchDialogIntl : public TgkIntlGroup {
    GW_CLASS(TgkSearchDialogIntl)

public:
    std::string SearchCharLabel = "&Search Characters";
    std::string SearchCharShortLabel = "&Search Char";
    std::string SearchByLabel = "Search &By";
    std::string StatusRecLabel = "Rec #";
    std::string StatusOfLabel = "of";
    std::string SearchCharHint = "Enter characters for incremental search";
    std::string SearchByHint = "Incremental searching and sorting order";
};

class TgkLocateDialogIntl : public TgkIntlGroup {
    GW_CLASS(TgkLocateDialogIntl)

public:
    std::string FieldValueLabel = "Field &Value";
    std::string SearchTypeLabel = "&Search Type";
    std::string CaseSensitiveLabel = "&Case-sensitive";
    std::string MatchExactLabel = "&Exact Match";
    std::string MatchStartLabel = "&Partial Match at Beginning";
    std::string MatchAnyLabel = "Partial Match &Anywhere";
    std::string FieldsLabel = "&Fields";
    std::string BtnFirst = "Fi&rst";
    std::string BtnNext = "&Next";
    std::string BtnCancel = "Cancel";
    std::string BtnClose = "Close";
    std::string FieldValueHint = "Enter field's search value";
    std::string CaseSensitiveHint = "Searching is case-sensitive";
    std::string MatchExactHint = "Match occurs only if there is an exact match";
    std::string MatchStartHint = "Match occurs if the start of the field's value matches";
    std::string MatchAnyHint = "Match occurs if any part of the field matches";
    std::string BtnFirstHint = "Find first match";
    std::string BtnNextHint = "Find next match from current record";
    std::string FieldNameHint = "Select the field to search on";
};

class TgkMonthCalendarIntl : public TgkIntlGroup {
    GW_CLASS(TgkMonthCalendarIntl)

public:
    std::string PopupYearLabel = "Edit Year";
    std::string EnterYearPrompt = "Enter Valid Year";
};

class TgkFilterDialogIntl : public TgkIntlGroup {
    GW_CLASS(TgkFilterDialogIntl)

public:
    std::string BtnViewSummary = "View Su&mmary";
    std::string BtnViewSummaryHint = "View summary of current search criteria";
    std::string ViewSummaryNotText = "NOT";
    std::string BtnNewSearch = "&New Search";
    std::string BtnNewSearchHint = "Start a new search";
    std::string FieldOrderLabel = "Field Order";
    std::string FieldOrderHint = "Sort field list alphabetically or in their natural logical order";
    std::string AlphabeticLabel = "Alpha&betic";
    std::string LogicalLabel = "&Logical";
    std::string AllFieldsLabel = "&All";
    std::string SearchedFieldsLabel = "&Searched";
    std::string StartingRangeLabel = "&Starting Range";
    std::string EndingRangeLabel = "En&ding Range";
    std::string StartingRangeHint = "Enter starting range for field";
    std::string EndingRangeHint = "Enter ending range for field";
    std::string BtnClearMin = "&Clear";
    std::string BtnClearMax = "Cl&ear";
    std::string BtnClearFilterValue = "&Clear";
    std::string BtnClearMinHint = "Clear starting range for field";
    std::string BtnClearMaxHint = "Clear ending range for field";
    std::string BtnClearFilterValueHint = "Clear the current field's search value";
    std::string ByValueLabel = "By &Value";
    std::string ByRangeLabel = "By &Range";
    std::string FieldValueLabel = "Field &Value";
    std::string FieldValueHint = "Enter field's search value";
    std::string SearchTypeLabel = "Search Type";
    std::string SearchTypeHint = "Specify how the Field Value should be compared";
    std::string MatchExactLabel = "&Exact Match";
    std::string MatchStartLabel = "&Partial Match at Beginning";
    std::string MatchAnyLabel = "Partial Match Any&where";
    std::string CaseSensitiveLabel = "Case Sensi&tive";
    std::string CaseSensitiveHint = "Searching is case-sensitive";
    std::string NonMatchingLabel = "N&on-matching records";
    std::string NonMatchingHint = "Show records that do not match the field value criteria";
    std::string SummaryFieldLabel = "Field";
    std::string SummarySearchLabel = "Search Type";
    std::string SummaryValueLabel = "Value";
    std::string SummaryCaption;
    std::string FieldsLabel = "&Fields";
    std::string ValueRangeTabHint = "Search fields by value or by range";
    std::string AllSearchedTabHint = "Show all fields or only currently searched fields";
};

class TgkUserMessagesIntl : public TgkIntlGroup {
    GW_CLASS(TgkUserMessagesIntl)

public:
    std::string gkDBGridDiscardChanges = "Discard changes to this record?";
    std::string PictureValidateError = "Invalid characters. Field : ";
    std::string LocateNoMatches = "No matches found";
    std::string LocateNoMoreMatches = "No more matches found";
    std::string MemoChangesWarning = "Changes have been made!  Are you sure you wish to cancel?";
    std::string RichEditExitWarning = "Changes have been made!  Do you wish to save your changes?";
    std::string RecordViewExitWarning = "Changes have been made!  Do you wish to save your changes?";
    std::string RichEditClearWarning = "Clear entire text?";
    std::string RichEditSpellCheckComplete = "The spell check is complete.";
    std::string RichEditMSWordNotFound = "Unable to start Microsoft Word's Spell Checker.";
    std::string FilterDlgNoCriteria = "You have not selected any search criteria";
};

// Captions of the rich-text editor window's main menu. RedoCaption is empty by default; the
// window then reads "&Redo".
class TgkRichEditMenuLabelsIntl : public TgkIntlGroup {
    GW_CLASS(TgkRichEditMenuLabelsIntl)

public:
    std::string FileCaption = "&File";
    std::string LoadCaption = "&Load";
    std::string SaveAsCaption = "Save &As";
    std::string SaveAndExitCaption = "&Save and Exit";
    std::string PrintCaption = "&Print";
    std::string PageSetupCaption = "Page Set&up";
    std::string ExitCaption = "E&xit";
    std::string EditCaption = "&Edit";
    std::string UndoCaption = "&Undo";
    std::string RedoCaption;
    std::string CutCaption = "Cu&t";
    std::string CopyCaption = "&Copy";
    std::string PasteCaption = "&Paste";
    std::string ClearCaption = "Cle&ar";
    std::string SelectAllCaption = "Select A&ll";
    std::string FindCaption = "&Find";
    std::string FindNextCaption = "Find &Next";
    std::string ReplaceCaption = "R&eplace";
    std::string InsertObjectCaption = "&Object...";
    std::string SpellCheckCaption = "Check &Spelling";
    std::string InsertCaption = "&Insert";
    std::string RulerCaption = "&Ruler";
    std::string ViewCaption = "&View";
    std::string ToolbarCaption = "&Toolbar";
    std::string FormatBarCaption = "&Format Bar";
    std::string StatusBarCaption = "&Status Bar";
    std::string OptionsCaption = "&Options";
    std::string FormatCaption = "F&ormat";
    std::string FontCaption = "&Font";
    std::string BulletStyleCaption = "&Bullet Style";
    std::string ParagraphCaption = "&Paragraph";
    std::string TabsCaption = "&Tabs";
    std::string ToolsCaption = "&Tools";
    std::string HelpCaption = "Help";
};

// Captions of the rich-text control's context menu (ViewCaption stands for EditCaption on a
// read-only control).
class TgkRichEditPopupMenuLabelsIntl : public TgkIntlGroup {
    GW_CLASS(TgkRichEditPopupMenuLabelsIntl)

public:
    std::string EditCaption = "&Edit";
    std::string ViewCaption = "&View";
    std::string CutCaption = "Cu&t";
    std::string CopyCaption = "&Copy";
    std::string PasteCaption = "&Paste";
    std::string FontCaption = "&Font";
    std::string BulletStyleCaption = "&Bullet Style";
    std::string BoldCaption = "B&old";
    std::string ItalicCaption = "&Italic";
    std::string UnderlineCaption = "&Underline";
    std::string ParagraphCaption = "P&aragraph";
    std::string TabsCaption = "&Tabs";
    std::string FindCaption = "Fin&d";
    std::string ReplaceCaption = "&Replace";
    std::string InsertObjectCaption = "Insert &Object...";
    std::string ObjectPropertiesCaption = "Object P&roperties";
    std::string SpellCheckCaption = "Check &Spelling";
};

// The paragraph dialog. The line-spacing items are empty by default; the dialog then reads
// "Single", "1.5 Lines", "Double", "At least", "Exactly" and "Multiple".
class TgkRichEditParagraphDialogIntl : public TgkIntlGroup {
    GW_CLASS(TgkRichEditParagraphDialogIntl)

public:
    std::string ParagraphDlgCaption = "Paragraph";
    std::string IndentationGroupBoxCaption = "Indentation";
    std::string LeftEditCaption = "Left:";
    std::string RightEditCaption = "Right:";
    std::string FirstLineEditCaption = "First line:";
    std::string AlignmentCaption = "Alignment";
    std::string SpacingGroupCaption = "Spacing";
    std::string BeforeParagraphCaption = "&Before";
    std::string AfterParagraphCaption = "Aft&er";
    std::string WithinParagraphCaption = "Li&ne Spacing";
    std::string WithinParagraphAtCaption = "&At";
    std::string LeftEditHint = "Left Indentation";
    std::string RightEditHint = "Right Indentation";
    std::string FirstLineEditHint = "First Line of Paragraph Indentation";
    std::string AlignmentHint = "Changes Alignment of Paragraph";
    std::string AlignLeft = "Left";
    std::string AlignRight = "Right";
    std::string AlignCenter = "Center";
    std::string AlignJustify = "Justify";
    std::string SpacingSingle;
    std::string Spacing1_5;
    std::string SpacingDouble;
    std::string SpacingAtLeast;
    std::string SpacingExactly;
    std::string SpacingMultiple;
    int HelpContext = 0;
};

class TgkRichEditTabDialogIntl : public TgkIntlGroup {
    GW_CLASS(TgkRichEditTabDialogIntl)

public:
    std::string TabDlgCaption = "Tab";
    std::string TabGroupBoxCaption = "&Tab Stop Position";
    std::string SetTabButtonCaption = "Set";
    std::string ClearTabButtonCaption = "Clear";
    std::string ClearAllButtonCaption = "Clear All";
    std::string TabPositionEditHint = "Tab Position Edit Box";
    std::string ListBoxHint = "List of tabs and their positions";
    std::string SetButtonHint = "Set a new tab position";
    std::string ClearButtonHint = "Clear the selected tab position";
    std::string ClearAllButtonHint = "Clear all the tabs";
    int HelpContext = 0;
};

class TgkDBRichEditIntl : public TgkIntlGroup {
    GW_CLASS(TgkDBRichEditIntl)

public:
    std::string FontNameComboHint = "Font | Changes the font of the selection";
    std::string FontSizeComboHint = "Font Size | Changes the font size of the selection";
    std::string NewButtonHint = "New | Creates a new document";
    std::string LoadButtonHint = "Load | Load from file";
    std::string SaveAsButtonHint = "Save As | Save to file";
    std::string PrintButtonHint = "Print | Prints the active document";
    std::string FindButtonHint = "Find | Finds the specified text";
    std::string CutButtonHint = "Cut | Cuts the selection and puts it on the Clipboard";
    std::string CopyButtonHint = "Copy | Copies the selection and puts it on the Clipboard";
    std::string UndoButtonHint = "Undo | Reverses the last action";
    std::string RedoButtonHint = "Redo | Reverses the last undo action";
    std::string PasteButtonHint = "Paste | Inserts Clipboard contents";
    std::string BoldButtonHint = "Bold | Makes the selection bold (toggle)";
    std::string ColorButtonHint = "Color | Formats the selection with a color";
    std::string UnderlineButtonHint =
        "Underline | Formats the selection with a continuous underline (toggle)";
    std::string ItalicButtonHint = "Italic | Makes the selection italic (toggle)";
    std::string LeftButtonHint = "Align Left | Left-justifies paragraph (toggle)";
    std::string CenterButtonHint = "Center | Center-justifies paragraph (toggle)";
    std::string RightButtonHint = "Align Right | Right-justifies paragraph (toggle)";
    std::string JustifyButtonHint = "Justify | Full Justification for paragraph (toggle)";
    std::string BulletButtonHint = "Bullets | Inserts a bullet on this line (toggle)";
    std::string HighlightButtonHint = "Highlight Text | Makes the selection highlighted";
    std::string SaveExitHint = "Save And Exit | Saves changes and exits editor";
    std::string PageSetupHint = "Page Setup | Changes page layout settings";
    std::string ExitHint = "Exit";
    std::string ClearHint = "Erases the Selection";
    std::string SelectAllHint = "Selects all of the text";
    std::string FindNextHint = "Repeats the last find";
    std::string ReplaceHint = "Replaces specific text with different text";
    std::string InsertObjectHint = "Inserts new embedded object";
    std::string SpellCheckHint = "Check spelling";
    std::string ToolbarHint = "Shows or hides the toolbar";
    std::string FormatBarHint = "Shows or hides the format bar";
    std::string ViewStatusBarHint = "Shows or hides the status bar";
    std::string OptionsHint = "Sets options";
    std::string FontHint = "Selects font for current selection";
    std::string ParagraphHint = "Formats current or selected paragraph(s)";
    std::string TabsHint = "Sets tabs";
    std::string CAPLockCaption = "CAP";
    std::string NUMLockCaption = "NUM";
    TgkRichEditMenuLabelsIntl MenuLabels;
    TgkRichEditPopupMenuLabelsIntl PopupMenuLabels;
    TgkRichEditParagraphDialogIntl ParagraphDialog;
    TgkRichEditTabDialogIntl TabDialog;
};

// ---- The localisation object ---------------------------------------------------------------
// A component: a form may hold one, set Connected and so localise the whole library.

class TgkIntl : public classes::TComponent {
    GW_CLASS(TgkIntl)

public:
    explicit TgkIntl(classes::TComponent* owner = nullptr) : TComponent(owner) {}

    // Published, in this order.
    TgkADOIntl ADO;
    TgkDBNavigatorIntl Navigator;
    TgkSearchDialogIntl SearchDialog;
    TgkLocateDialogIntl LocateDialog;
    TgkMonthCalendarIntl MonthCalendar;
    TgkFilterDialogIntl FilterDialog;
    TgkUserMessagesIntl UserMessages;
    TgkDBRichEditIntl RichEdit;
    // Dialog buttons with glyphs (see gkDialogButtonSettings).
    bool OKCancelBitmapped = false;
    std::string BtnOKCaption = "&OK";
    std::string BtnCancelCaption = "Cancel";
    TgkCheckBoxInGridStyle CheckBoxInGridStyle() const noexcept { return checkBoxInGridStyle_; }
    void SetCheckBoxInGridStyle(TgkCheckBoxInGridStyle value);
    // Fixed; a write (a stored form may hold one) is ignored.
    std::string LibraryVersion() const { return "2.0.1"; }
    void SetLibraryVersion(std::string_view) {}
    // Size of the data sets' filter buffers.
    int FilterMemoSize = 65536;
    // Default settings file of history lists and grid settings.
    std::string IniFileName;
    bool UseLocateMethodForSearch = true;
    classes::TFontStyles DialogFontStyle;
    // First year of the hundred-year window that two-digit years are read into; the property
    // refuses a year outside 1 to 9999 (EPropertyError).
    int DefaultEpochYear = 1950;
    TgkPictureValidationError OnValidationErrorUsingMask;
    bool Connected() const noexcept { return connected_; }
    // Storing true copies this object's texts into the global one (once loaded).
    void SetConnected(bool value);

    // Copies into the global object when Connected was read as true.
    void Loaded() override;

    // Copies the texts of every group, the button captions, CheckBoxInGridStyle,
    // OnValidationErrorUsingMask, DialogFontStyle, UseLocateMethodForSearch,
    // DefaultEpochYear and FilterMemoSize into the global object; IniFileName goes over
    // with ".ini" appended (an empty name, or ".ini" itself, clears the global one).
    // Nothing happens when this is the global object.
    void CopyToDefault();

    // Reports a text that does not fit its picture mask: offers the message "Invalid input
    // value.  Use escape key to abandon changes" to OnValidationErrorUsingMask, and unless
    // the handler cleared the flag, beeps and raises EInvalidOperation with the message.
    void ValidationErrorUsingMask(classes::TComponent* control, db::TField* field);

    bool IsDefault() const noexcept { return isDefault_; }

private:
    friend TgkIntl& gkIntlDefault();
    struct DefaultTag {};
    explicit TgkIntl(DefaultTag) : TComponent(nullptr), isDefault_(true) {}

    TgkCheckBoxInGridStyle checkBoxInGridStyle_ = cbStyleAuto;
    bool connected_ = false;
    bool isDefault_ = false;
};

// The library's global TgkIntl, created on first use and alive for the whole run.
TgkIntl& gkIntlDefault();

// Registers TgkIntl, so that a stored form can hold one.
void RegisterIntlClasses();

}  // namespace grid
