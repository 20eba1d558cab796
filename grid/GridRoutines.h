#pragma once
// The grid library's common routines that the grid, its cell controls and the data-aware
// controls share: class tests by name, the placement of controls, per-field lists read by
// published property name (so any class that publishes the list takes part), the column
// list ("Selected") entries, small integer and rectangle helpers, and the drawing of text,
// ellipsis and drop-down buttons and the focus frame.
//
// None keeps state. Routines that read a property by name answer nil, empty, False or the
// stated default when the object does not publish it; none raises for a missing property.
// Field-name comparisons follow each routine's own rule (stated per routine).

#include <functional>
#include <string>
#include <vector>
#include <string_view>

#include "platform/classes/Component.h"
#include "platform/classes/Sets.h"
#include "platform/classes/Alignment.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Controls.h"

namespace rtl {
class TStrings;
}
namespace db {
class TDataSet;
class TDataSource;
class TField;
}  // namespace db
namespace ui {
class TControl;
class TWinControl;
}  // namespace ui

namespace grid {

// ---- Classes and placement -------------------------------------------------------------------

// True when the object's class or one of its ancestors is named `className` (letter case
// ignored); False for nil.
bool gkIsClass(const classes::TObject* object, std::string_view className);
// The control's parent is (or descends from) a "TCustomGrid".
bool gkIsInGrid(const ui::TControl* control);
// csPaintCopy is in the state; the control's parent is a "TCustomGrid" and the control
// paints a copy of itself into one of its cells.
bool gkIsPaintCopy(ui::TControl::TControlState state);
bool gkIsPaintCopyInGrid(const ui::TControl* control);
// No data inspector exists in this system: both answer False.
bool gkIsInDataInspector(const ui::TControl* control);
bool gkIsPaintCopyInDataInspector(const ui::TControl* control);
// csDesigning in the parent form's state, or the control's own when it has no form.
bool gkIsDesigning(const ui::TControl* control);
// The first form or frame up the owner chain, the component itself included; nil when none.
classes::TComponent* gkGetOwnerForm(classes::TComponent* component);
// A visible windowed child whose top-left corner lies outside the control's client area
// (an open drop-down); False for nil.
bool gkChildOutsideClient(const ui::TWinControl* control);
// "CustomEdit", "LookupCombo", "Combo", "RichEdit" (letter case ignored).
bool gkIsCustomEditType(std::string_view controlType);
bool gkIsCalcOrLookupField(const db::TField* field);
// Calculated or lookup, or its data set is no "TBDEDataSet".
bool gkIsCalcLookupOrNonBDEField(const db::TField* field);
// Keys that change text: Backspace, Space, Delete, 48..111, and above 145.
bool gkIsEditKey(int key);

// ---- Published lists and references by name ---------------------------------------------------

// The object's published "ControlType" / "PictureMasks" list; nil when absent.
rtl::TStrings* gkGetControlTypeList(classes::TPersistent* object);
rtl::TStrings* gkGetPictureMasks(classes::TPersistent* object);
// The published "DataSource" / "MasterSource"; nil when absent.
db::TDataSource* gkGetDataSource(classes::TPersistent* object);
db::TDataSource* gkGetMasterSource(classes::TPersistent* object);
// Writes "BorderStyle" (bsSingle for True, bsNone for False); False when absent.
bool gkSetBorderStyle(classes::TPersistent* control, bool hasBorder);
// True when "BorderStyle" is not bsNone; False when absent.
bool gkGetBorderStyle(classes::TPersistent* control);
// The published "OnInvalidValue" event (its handler and name); empty when absent or unassigned.
classes::TEventValue gkGetOnInvalidValue(classes::TPersistent* object);
// True for a data set of the library's table class ("TgkTable") whose "Query" list has lines.
bool gkTableHasQuery(classes::TPersistent* dataSet);
// The picture a library table's own definition gives the field; such tables do not exist
// here, so always empty.
inline std::string gkGetTablePictureMask(classes::TPersistent*, std::string_view) { return {}; }
// "PictureMaskFromDataSet"; True when absent.
bool gkGetPictureMaskFromDataSet(classes::TPersistent* object);
// "LookupFields", "LookupLinks"; nil when absent.
rtl::TStrings* gkGetLookupFields(classes::TPersistent* object);
rtl::TStrings* gkGetLookupLinks(classes::TPersistent* object);
// "DatabaseName"; empty when absent.
std::string gkGetDatabaseName(classes::TPersistent* object);
// "WantReturns"; False when absent.
bool gkGetWantReturns(classes::TPersistent* control);

// How the library's data sets run their filter callbacks: at all, with the hourglass shown,
// and switched off by an Escape key.
enum TgkFilterOption { ofoEnabled, ofoShowHourGlass, ofoCancelOnEscape };
using TgkFilterOptions = classes::TSet<TgkFilterOption>;
// The names "ofoEnabled" ..., for publishing the options.
const classes::TEnumInfo& gkFilterOptionInfo();
// The data set's "OnFilterOptions"; when absent, [ofoEnabled] if its Filtered is set, else [].
// [] for nil.
TgkFilterOptions gkGetFilterOptions(db::TDataSet* dataSet);
// Sets or clears ofoEnabled in "OnFilterOptions" (the other options kept); nothing when the
// data set does not publish them.
void gkSetFilterEnabled(db::TDataSet* dataSet, bool enabled);
// Asked while a filter runs over many records: when an Escape press waits in the input queue,
// takes that press (only it: keys typed meanwhile stay queued, in order), switches the
// filter off (gkSetFilterEnabled False) and answers True.
bool gkCheckFilterEscape(db::TDataSet* dataSet);
// Only for a windowed control whose "DataSource" takes a data source / whose "DataField" is
// a string: True when set.
bool gkSetDataSource(ui::TControl* control, db::TDataSource* source);
bool gkSetDataField(ui::TControl* control, const std::string& fieldName);
// A windowed control's "DataField"; empty otherwise.
std::string gkGetDataField(ui::TControl* control);
// The object whose picture masks apply: with no data set given, the control's DataSource's
// data set; the control itself when its PictureMaskFromDataSet is False; else the data set
// when it has a PictureMasks list, else the control.
classes::TPersistent* gkGetPictureMaskSource(classes::TPersistent* control, db::TDataSet* dataSet);

// ---- Column lists and control types --------------------------------------------------------------

// The first `Selected` entry whose text before the first TAB equals `fieldName` once both
// are upper-cased; False (index unchanged) when none, or for a nil list.
bool gkFindSelected(const rtl::TStrings* list, std::string_view fieldName, int& index);
// The TAB-separated parts of a column entry (one empty part for an empty text).
std::vector<std::string> gkSplitTabs(std::string_view text);
// The control type of a field from the data set's "ControlType" list: over every entry
// whose first ";" part equals the field name exactly (letter case counts), type := the
// second part and parameters := the rest after the second part's ";" (at most 255
// characters, never a split UTF-8 sequence); the last matching entry wins. Both empty
// without an entry.
void gkGetControlType(classes::TPersistent* dataSet, std::string_view fieldName, std::string& controlType,
                      std::string& parameters);
// The same over a list given directly.
void gkGetControlTypeFromList(const rtl::TStrings* list, std::string_view fieldName, std::string& controlType,
                              std::string& parameters);
// False unless a data set: a field whose name equals `name` once both are upper-cased.
bool gkDataSetHasField(const db::TDataSet* dataSet, std::string_view name);
// Clears `list`, then one entry per visible field in field order: name TAB DisplayWidth
// TAB DisplayLabel.
void gkFieldsToSelected(db::TDataSet& dataSet, rtl::TStrings& list);
// Applies a column list to the data set's fields, with the data set's controls held: every
// field is hidden, then per entry i naming a field (upper-cased comparison) DisplayWidth,
// DisplayLabel (the title part), Index := i and Visible. Every entry is checked first:
// EConvertError for a width that is no whole number, EListError for an entry with fewer than
// three parts, and then no field has changed.
void gkApplySelectedToFields(db::TDataSet& dataSet, const rtl::TStrings& selected);
// Deletes every LookupFields entry whose first ";" part names no field of the data set (with
// the LookupLinks line of the same index), then every such ControlType entry. Lists may be nil.
void gkRemoveStaleControlInfo(const db::TDataSet& dataSet, rtl::TStrings* lookupFields, rtl::TStrings* lookupLinks,
                              rtl::TStrings* controlType);
// The picture-mask entry of a field in `source`'s "PictureMasks" (field names lower-cased):
// mask = part 2, the flags part 3 and part 4 equal to "T" (True when absent). Without a list or
// an entry: empty mask, both flags True. The library's table data sets, whose own table
// pictures would win, do not exist here.
void gkGetPictureMaskEntry(classes::TPersistent* source, std::string_view fieldName, bool& autoFill, bool& second,
                           std::string& mask);
// Adds, replaces or (for an empty mask) deletes the field's entry, written as field TAB mask
// TAB "T"/"F" TAB "T"/"F"; `keepFlags` keeps both flags of an existing entry.
void gkSetPictureMaskEntry(classes::TPersistent* source, std::string_view fieldName, const std::string& mask,
                           bool keepFlags, bool autoFill, bool second);
// True for a blob field whose data set's ControlType list has an entry beginning with the
// field name and ";RichEdit" (letter case counts); else, with `checkData`, when the value
// starts with "{\rtf".
bool gkIsRichTextField(db::TField* field, bool checkData);
// The strings joined by a blank (or CR LF), no separator after the last.
std::string gkStringsToText(const rtl::TStrings& list, bool blankSeparated);
// The desktop's available area.
ui::TRect gkGetWorkArea();
// Posts a key press and release of `key` to `control` with `shiftKey` (VK_SHIFT, VK_CONTROL or
// VK_MENU) held for them; the keyboard state is as it was afterwards.
void gkPostKeyWithShift(ui::TControl& control, ui::TKey key, ui::TKey shiftKey);
// Always False: the locate routine disables the data set's controls.
inline bool gkSkipDisableControls() { return false; }
// "T" or "F".
std::string gkBoolToTF(bool value);
// The text before the first "." (the whole name without one).
std::string gkStripExtension(std::string_view name);
// True at once when the field's text already equals `value` (letter case counting with
// `caseSensitive`, else ignored); otherwise the data set locates the first record whose field
// equals `value` (or starts with it with `partial`) through gkFindMatchInField and answers
// whether it found one. False, without a message, when the data set has no such field.
bool gkLocateIfChanged(db::TDataSet& dataSet, const std::string& fieldName, const std::string& value,
                       bool caseSensitive, bool partial);
// The data set's CompareBookmarks.
int gkCompareBookmarks(const db::TDataSet& dataSet, const std::vector<std::uint8_t>& a,
                       const std::vector<std::uint8_t>& b);

// One part of a column entry (parts TAB-separated: 0 field name, 1 width, 2 title, 3
// read-only flag "T"/"F", 4 group name). GetColumnEntryPart finds the entry by field name
// (letter case ignored) and sets `value` to part `selector`, a missing read-only flag
// reading "F" and other missing parts empty; `value` stays when no entry names the field.
void GetColumnEntryPart(const rtl::TStrings& list, std::string_view fieldName, int selector, std::string& value);
// Replaces part `selector` (1..4) of the entry at `index`, or when `index` is -1 of the
// entry found by field name (nothing when none): the entry becomes name, width, title and
// flag joined by TAB ("F" for a missing flag), then TAB and the group name when that is
// not empty.
void SetColumnEntryPart(rtl::TStrings& list, std::string_view fieldName, const std::string& value, int index,
                        int selector);

// ---- Numbers and rectangles ----------------------------------------------------------------------

inline int gkMax(int a, int b) { return a > b ? a : b; }
inline int gkMin(int a, int b) { return a < b ? a : b; }
inline int gkClamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }
inline int gkRectWidth(const ui::TRect& r) { return r.Right - r.Left; }
inline int gkRectHeight(const ui::TRect& r) { return r.Bottom - r.Top; }
// value × pixelsPerInch div 96.
inline int gkScaleToPPI(int value, int pixelsPerInch) { return value * pixelsPerInch / 96; }

// ---- Drawing ---------------------------------------------------------------------------------------

// Options of gkDrawControlText and the grid's WriteText.
constexpr int gkdtAllowPrefix = 1;    // "&" marks an accelerator (DT_NOPREFIX off)
constexpr int gkdtEndEllipsis = 2;    // DT_END_ELLIPSIS; never wraps
constexpr int gkdtWordWrap = 4;       // DT_WORDBREAK unless the rectangle holds one line only
constexpr int gkdtKeepBackground = 16;  // no fill
constexpr int gkdtSingleLineVCenter = 32;  // DT_SINGLELINE | DT_VCENTER

// The DrawText flags of an alignment: DT_NOPREFIX | DT_EXPANDTABS with DT_LEFT, DT_RIGHT
// or DT_CENTER.
unsigned gkAlignmentFlags(classes::TAlignment alignment);
// True when `rect` is not taller than one line: the height of " " measured with DrawText
// (`flags` plus DT_CALCRECT) + 3 + twice the border height (1).
bool gkIsSingleLineRect(ui::TCanvas& canvas, const ui::TRect& rect, unsigned flags);
// Writes `text` into `rect` with the canvas's font and brush (see the grid's WriteText
// for the placement): the text rectangle starts `dx` in (left alignment), ends 2 before
// the right edge (right alignment) or spans the rectangle from 0 (`dx` below 3) or 2
// (centred); its top is `dy` down and its bottom one pixel above the rectangle's. The
// brush is made solid and fills `rect` unless gkdtKeepBackground; the text is drawn
// transparently. On a right-to-left canvas the alignment is mirrored and the measured text
// placed from the other edge.
void gkDrawControlText(ui::TCanvas& canvas, const ui::TRect& rect, int dx, int options,
                       classes::TAlignment alignment, std::string_view text, int dy, bool rightToLeft = false);
// An ellipsis button face: unless `noEdge` a raised edge (flat when `down` and not a paint
// copy; the middle filled unless `transparent`), then three black squares of side
// max(1, (width + 1) div 8) in a row across the middle, two sides apart, one pixel further
// up and left when not down.
void gkDrawEllipsisButton(ui::TCanvas& canvas, const ui::TRect& rect, bool down, bool paintCopy, bool transparent,
                          bool noEdge);
// The combo-box arrow button: inactive when not enabled, flat and pushed when pressed,
// enabled and not a paint copy.
void gkDrawDropDownButton(ui::TCanvas& canvas, const ui::TRect& rect, bool pressed, bool paintCopy, bool enabled);
// The current cell's focus frame: the outline in clHighlight with a clear brush, the text
// colour clHighlight, brush style and pen colour restored, then the dotted focus
// rectangle. Left and right are swapped first on a right-to-left canvas.
void gkDrawFocusFrame(ui::TCanvas& canvas, const ui::TRect& rect, bool rightToLeft = false);

// True for every data set there is.
bool gkIsCompatibleDataSet(const db::TDataSet* dataSet);
// True for an empty picture, else when a picture validator (no auto-fill) finds `text` whole.
bool gkMatchesPicture(const std::string& text, const std::string& picture);
using TgkValidateCallback = std::function<void(db::TDataSet&, db::TField&)>;
// For the first field whose text breaks its picture mask: its control takes the focus (unless
// the field is read-only), the callback runs, and db::EDatabaseError with PictureValidateError
// and the field's display name is raised.
void gkValidatePictureMasks(db::TDataSet& dataSet, const TgkValidateCallback& callback = {});
// A paint copy inside a TgkCustomDBGrid.
bool gkIsPaintCopyInDBGrid(const ui::TControl* control);
// Kept for the library's callers: forms are not designed in this program, and child windows
// never paint over their parent, so both do nothing.
void gkNotifyDesigner(classes::TComponent* component);
void gkClearClipChildren(ui::TControl* control);
// gkStringsToText under the library's older name.
std::string gkStringsToPChar(const rtl::TStrings& list, bool blankSeparated);

}  // namespace grid
