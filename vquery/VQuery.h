#pragma once
// The visual query: database tables placed as boxes on a scrolling canvas, their fields
// checked for output, joined, filtered, sorted and extended by calculated columns. From this
// model the component writes one SELECT statement (SQL), and it saves and restores its whole
// design as "key=value" lines (SaveToStrings, LoadFromStrings).
//
// The model works without any window: boxes are panels, their field lists check-list boxes,
// all of them plain components. Refused user actions (a duplicate join, a join, sort or filter
// on a calculated field, a sort or filter maximum) and the unjoined-query warning are message
// boxes asked through the dialog service, and leave the model unchanged; wrong use by a
// programmer raises an exception.
//
// Identifiers are written bare or quoted (QuoteName): quoted when the database would misread
// them bare (blanks, reserved words of the keyword lists, the connection's special
// characters, letters the database folds to another case, characters outside letters,
// digits and "_", a leading digit). Without a quote string a name holding characters outside
// letters, digits and "_" is written in double quotes all the same: no name from the catalogue
// reaches the statement outside quotes or a comment. Literals of text and date types are
// written in apostrophes with inner apostrophes doubled.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "schema/AdoSchema.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/FieldTypes.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Forms.h"
#include "platform/ui/CustomControl.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "vquery/Canvas.h"

namespace vquery {

enum TConnectionType { ctBDE, ctADO };
const classes::TEnumInfo& ConnectionTypeInfo();

// The registry section of a provider's SQL settings: the provider less a final ".1", so every
// ODBC connection ("MSDASQL.1") shares "MSDASQL".
std::string SettingsSection(const std::string& provider);

// `text` made fit to stand between the comment marks `start` and `end`: line breaks become
// blanks, and every "/*", "*/", `start` and `end` in it is broken by a blank before its last
// character (a mark of one character becomes a blank), so that nothing in it ends the comment
// or opens a nested one.
std::string CommentText(const std::string& text, const std::string& start, const std::string& end);

class TmfVQuery;
class TmfVQueryTable;

// One field of a box (or a calculated column).
class TmfVQueryField {
public:
    TmfVQueryField(TmfVQuery* query, TmfVQueryTable* table) : Query(query), Table(table) {}

    std::string FieldName;
    std::string DisplayName;
    TmfVQuery* Query;
    TmfVQueryTable* Table;
    int SortDirection = 0;  // 0 none, 1 ascending, 2 descending
    bool Required = false;
    db::TFieldType DataType = db::ftUnknown;
    bool Calculated = false;
    std::string CalOperator, CalColumnsource, CalColDestination, CalColExpression;
};

// The field entries of one box. Created only with a box as owner.
class TmfVQueryFields {
public:
    // EInvalidOperation "A Vfield can only be created with a parent Vtable" without an owner,
    // "The parent of a VQueryField  must be type TmfVQueryTable" with another owner.
    explicit TmfVQueryFields(classes::TComponent* owner);
    int Count() const { return static_cast<int>(items_.size()); }
    TmfVQueryField* Items(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
    TmfVQueryField* Add();

private:
    TmfVQueryTable* table_;
    std::vector<std::unique_ptr<TmfVQueryField>> items_;
};

// The field check list of a box: item texts are display names, objects the field entries
// (TmfVQueryField*).
class TmfVQueryListBox : public ui::TCheckListBox {
    GW_CLASS(TmfVQueryListBox)

public:
    TmfVQueryListBox(classes::TComponent* owner, TmfVQueryTable* table);
    TmfVQueryTable* Table() const { return table_; }
    TmfVQueryField* Field(int index) const;
    // The row of `field`, -1 when it has none.
    int IndexOfField(const TmfVQueryField* field) const;

    // A press makes the row under the pointer the current field of the box and the query and
    // selects the box; a left press starts dragging the list.
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    // Field lists accept each other's drags; the row under the pointer is selected.
    void DragOver(classes::TObject* source, int x, int y, ui::TDragState state, bool& accept) override;
    // From another box: a join of the dragged field with the field under the pointer (with
    // AddJoin's refusals). From this list: the current row moves to the pointer's row. On
    // nothing or on the dragged row nothing changes.
    void DragDrop(classes::TObject* source, int x, int y) override;
    // Ended on the query's sort list: the current field becomes an ascending sort entry.
    void DoEndDrag(classes::TObject* target, int x, int y) override;
    // A row on white: the display name (bold for a required field), the filter glyph when a
    // criterion starts at the field, the sort glyph and the 1-based sort position.
    void DrawItem(int index, const ui::TRect& rect, ui::TOwnerDrawState state) override;
    // Scrolled, the join lines follow their rows at once.
    void TopIndexChanged() override;

private:
    TmfVQueryTable* table_;
};

// One table box: a small window painted by the box itself (caption bar, raised frame), moved
// by its caption and sized by its edges and corners with the mouse.
class TmfVQueryTable : public ui::TCustomControl {
    GW_CLASS(TmfVQueryTable)

public:
    // `parent` must be the query: EInvalidOperation "A VTable can only be created with a
    // parent VQuery" without one, "The parent of a VTable  must be type TmfVQuery" otherwise.
    explicit TmfVQueryTable(classes::TComponent* parent);
    ~TmfVQueryTable() override;

    TmfVQuery* Query() const { return query_; }
    const std::string& TableName() const { return tableName_; }
    void SetTableName(const std::string& name);
    const std::string& OwnerName() const { return ownerName_; }
    void SetOwnerName(const std::string& name);
    // The table reference for FROM: quoted owner "." quoted table name (no owner when it is
    // empty or PUBLIC).
    const std::string& DBTableName() const { return dbTableName_; }
    // The alias strip's text ("Table Alias" until a table is chosen).
    std::string Alias() const { return aliasStrip_->Caption(); }
    void SetAlias(const std::string& alias) { aliasStrip_->SetCaption(alias); }
    TmfVQueryListBox* ListBox() const { return list_; }
    TmfVQueryFields& Fields() { return *fields_; }
    // Appends a field entry with its list item.
    TmfVQueryField* AddField(const std::string& fieldName, const std::string& displayName, db::TFieldType type,
                             bool checked);
    // Recomputes DBTableName and the caption (after the quoting state changed).
    void UpdateNames();

    // The field under the last press in the list (nullptr: none).
    TmfVQueryField* CurrentField() const { return currentField_; }
    void SetCurrentField(TmfVQueryField* field) { currentField_ = field; }

    // Selecting fires the query's OnVTableSelect; deselecting clears the list's item index.
    bool Selected() const { return selected_; }
    void SetSelected(bool selected);
    // Every size change lays out the list and the alias strip, then moves the join lines and
    // lets the query renew its scroll range.
    void SetBounds(int left, int top, int width, int height) override;

    // The box popup ("Select This Box", "Select All Items", "Select No Items", "Delete This
    // Box", "Join Boxes" — the last without an action, so disabled) and the field popup
    // "popup_field" (the "Sort" submenu of radio items, "Sort Order...", "Rename", "Filter").
    ui::TPopupMenu* BoxPopup() const { return boxPopup_; }
    ui::TPopupMenu* FieldPopup() const { return fieldPopup_; }
    // The alias prompt (a double click on the alias strip): OK sets the alias.
    void EditAlias();
    // Rename of the current field: OK sets its display name and its row's text.
    void RenameCurrentField();
    // The sort state of the current field: 0 none, 1 ascending, 2 descending. Adding goes
    // through AddSortField with its refusals; the matching "Sort" item is checked.
    void SetCurrentFieldSort(int direction);
    // Opens the field popup for row `index` at client point (x, y) of the list, its "Sort"
    // item matching the field's state.
    void PopupField(int index, int x, int y);

protected:
    void Paint() override;
    // A left press on the caption deselects the other boxes, toggles this one and starts a
    // move; on an edge or corner it starts sizing; the mouse is held until the release.
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;

private:
    TmfVQuery* query_;
    std::string tableName_, ownerName_, dbTableName_;
    TmfVQueryListBox* list_ = nullptr;
    ui::TPanel* aliasStrip_ = nullptr;
    std::unique_ptr<TmfVQueryFields> fields_;
    bool selected_ = false;
    TmfVQueryField* currentField_ = nullptr;
    ui::TPopupMenu* boxPopup_ = nullptr;
    ui::TPopupMenu* fieldPopup_ = nullptr;
    ui::TMenuItem* mnuSelectBox_ = nullptr;
    ui::TMenuItem* mnuSortNone_ = nullptr;
    ui::TMenuItem* mnuSortAsc_ = nullptr;
    ui::TMenuItem* mnuSortDesc_ = nullptr;
    void MakePopups();
    // The drag under way: the zone pressed (bzClient: none), the screen point and the bounds
    // at the press.
    TBoxZone dragZone_ = bzClient;
    ui::TPoint dragStart_;
    ui::TRect dragBounds_;
};

class TmfVQueryJoin {
public:
    explicit TmfVQueryJoin(TmfVQuery* query);
    std::string Caption = "-";
    rtl::TColor Color;
    rtl::TColor SelColor;
    std::string CompareOperator = "=";
    int JoinType = 0;  // 0 inner, 1 left outer, 2 right outer
    bool Selected = false;
    TmfVQueryField* SourceField = nullptr;
    TmfVQueryField* DestField = nullptr;
    bool Placed = false;  // used while the FROM clause is built
    TJoinLine Line;       // where the line runs on the canvas (UpdateJoinLinks)

    TmfVQueryTable* SourceTable() const { return SourceField ? SourceField->Table : nullptr; }
    TmfVQueryTable* DestTable() const { return DestField ? DestField->Table : nullptr; }
    // Source display name, operator and destination display name.
    std::string GetDisplayText() const;
};

// The join lines of a query: one control under all boxes, as large as the canvas, that paints
// every line and takes the clicks the boxes above it leave. A left press inside a line's
// region toggles that join's selection (deselecting the others); presses elsewhere change
// nothing.
class TmfVQueryJoinLayer : public ui::TCustomControl {
    GW_CLASS(TmfVQueryJoinLayer)

public:
    explicit TmfVQueryJoinLayer(TmfVQuery* query);

protected:
    void Paint() override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;

private:
    TmfVQuery* query_;
};

class TmfVQueryCriterias;

class TmfVQueryCriteria {
public:
    explicit TmfVQueryCriteria(TmfVQueryCriterias* owner) : owner_(owner) {}
    std::string Operator = "=";
    const std::string& Literal() const { return literal_; }
    // Clears the destination field.
    void SetLiteral(const std::string& literal);
    TmfVQueryField* DestField() const { return destField_; }
    void SetDestField(TmfVQueryField* field) { destField_ = field; }
    TmfVQueryField* SourceField() const { return sourceField_; }
    // Clears the source expression.
    void SetSourceField(TmfVQueryField* field);
    const std::string& SourceExpression() const { return sourceExpression_; }
    void SetSourceExpression(const std::string& text) { sourceExpression_ = text; }
    void Assign(const TmfVQueryCriteria& source);

    // The condition as the WHERE clause writes it (connector "And" after the first).
    std::string GetText() const;
    // Text and date types in apostrophes, inner apostrophes doubled; other types as typed.
    static std::string QuoteLiteral(const std::string& text, db::TFieldType type);

private:
    TmfVQueryCriterias* owner_;
    TmfVQueryField* sourceField_ = nullptr;
    TmfVQueryField* destField_ = nullptr;
    std::string literal_;
    std::string sourceExpression_;
};

class TmfVQueryCriterias {
public:
    explicit TmfVQueryCriterias(TmfVQuery* query) : query_(query) {}
    int Count() const { return static_cast<int>(items_.size()); }
    TmfVQueryCriteria* Items(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
    int IndexOf(const TmfVQueryCriteria* c) const;
    // A new criterion on `source` (may be nullptr). Refused (nullptr, a message box) when the
    // maximum is reached or `source` is calculated.
    TmfVQueryCriteria* Add(TmfVQueryField* source = nullptr);
    void Delete(int index);
    void Clear() { items_.clear(); }
    // Copies of every criterion, and the collection put back to such copies exactly (no
    // refusals: it held them before).
    std::vector<TmfVQueryCriteria> Snapshot() const;
    void Restore(const std::vector<TmfVQueryCriteria>& copies);
    TmfVQuery* Query() const { return query_; }

private:
    TmfVQuery* query_;
    std::vector<std::unique_ptr<TmfVQueryCriteria>> items_;
};

// The SQL Settings dialog, installed by the dialogs' library: shown modally for the driver's
// registry section; on OK it has written the registry and answers the comment start and end
// characters and the quote characters; nullopt on Cancel.
struct TSQLSettings {
    std::string commentStart, commentEnd, quoteChars;
};
using TSQLSettingsDialog =
    std::function<std::optional<TSQLSettings>(TmfVQuery& query, const std::string& driver, TConnectionType type)>;

class TmfVQuery : public ui::TScrollBox {
    GW_CLASS(TmfVQuery)

public:
    explicit TmfVQuery(classes::TComponent* owner);
    ~TmfVQuery() override;

    void Notification(classes::TComponent* component, classes::TOperation operation) override;

    // ---- Properties (published in the class registry) ------------------------------------
    TConnectionType ConnectionType() const { return connectionType_; }
    void SetConnectionType(TConnectionType type);
    // EInvalidOperation "No ADOConnection has been assigned to TmfVQuery" when none.
    db::TADOConnection* ADOConnection() const;
    db::TADOConnection* ADOConnectionOrNull() const { return adoConnection_; }
    void SetADOConnection(db::TADOConnection* connection);
    // No desktop database engine here: EInvalidOperation "No Database has been assigned to
    // TmfVQuery" while the type is ctBDE.
    classes::TComponent* Database() const;
    ui::TListBox* DBTableListBox() const { return dbTableListBox_; }
    void SetDBTableListBox(ui::TListBox* box);
    ui::TListBox* LoadTableListBox() const { return loadTableListBox_; }
    void SetLoadTableListBox(ui::TListBox* box);
    ui::TListBox* SortListBox() const { return sortListBox_; }
    void SetSortListBox(ui::TListBox* box);

    bool AllowDuplicateJoins = false;
    bool AutoSizeTable = true;
    rtl::TColor JoinDefaultColor;
    rtl::TColor JoinDefaultSelColor;
    bool LogicalSQLNames = false;
    bool SelectDistinct = false;
    bool ShowJoinCaptions = true;
    bool ShowJoinComment = false;
    bool AdvanceJoin = false;
    bool ShowSystemTables = false, ShowSynonyms = false, ShowSystemViews = false, ShowViews = false;
    std::string SQLCommentStartChars, SQLCommentEndChars;
    bool UseDefaultFilterDialog = true, UseDefaultSqlViewerDialog = true;
    // The field list's glyphs, our own bitmaps until a program assigns others.
    ui::TPicture* FilterPic() { return &filterPic_; }
    ui::TPicture* SortASCPic() { return &sortAscPic_; }
    ui::TPicture* SortDESCPic() { return &sortDescPic_; }

    // Published so that stored forms keep them; the canvas draws no bevel of its own and
    // its client area does not shrink by BorderWidth.
    ui::TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(ui::TBevelCut b) { bevelInner_ = b; }
    ui::TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(ui::TBevelCut b) { bevelOuter_ = b; }
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int w) { borderWidth_ = w; }

    bool UseDefaultQuoteChars() const { return useDefaultQuoteChars_; }
    void SetUseDefaultQuoteChars(bool on);
    const std::string& CustomQuoteChars() const { return customQuoteChars_; }
    void SetCustomQuoteChars(const std::string& quote) { customQuoteChars_ = quote; }
    // The quoting state in use.
    const std::string& QuoteChars() const { return quoteChars_; }
    void SetQuoteChars(const std::string& quote);
    const std::string& SpecialChars() const { return specialChars_; }
    void SetSpecialChars(const std::string& special);
    app::ado::TIdentifierCase IdentifierCase() const { return identifierCase_; }
    void SetIdentifierCase(app::ado::TIdentifierCase c);
    const std::string& DriverName() const { return driverName_; }
    void SetDriverName(const std::string& name) { driverName_ = name; }
    // Maximum sort entries and criteria (-1 unlimited) with optional custom refusal texts.
    int MaxSortCount = -1;
    int MaxFilterCount = -1;
    std::string MaxSortMessage, MaxFilterMessage;

    // The generated statement, regenerated on every read.
    rtl::TStrings* SQL();
    // Whether the statement the design makes differs from the one it made when it was
    // restored (LoadFromStrings) or last marked: the user changed the query since. Asks
    // nothing, unlike SQL.
    bool DesignChanged() const;
    // Takes the statement the design makes now as the unchanged one.
    void MarkDesignUnchanged();

    // Notifications; OnVTableRemove is told of a box just before it is freed. OnVTableAdd and
    // OnVTableMove are kept for forms that bind them; no operation fires them.
    ui::TNotifyEvent OnVJoinClick, OnVTableAdd, OnVTableMove, OnVTableRemove, OnVTableSelect, OnVTableShowFilterDlg;

    // ---- Model --------------------------------------------------------------------------
    TmfVQueryTable* AddTable(const std::string& tableName, ui::TPoint position, bool checkAll);
    // Where a new box goes to cover none of the boxes there (FreeBoxPlace from `wanted`, rows
    // as wide as the canvas shows).
    ui::TPoint PlaceForNewBox(ui::TPoint wanted) const;
    TmfVQueryTable* AddTableFromDescriptor(ui::TPoint position, app::ado::TQADOTable* descriptor, bool checkAll);
    void RemoveTable(TmfVQueryTable* box);
    void RemoveAllTables();
    int GetTableCount() const { return static_cast<int>(tables_.size()); }
    TmfVQueryTable* GetTable(int index) const { return tables_.at(static_cast<std::size_t>(index)); }

    TmfVQueryJoin* AddJoin(TmfVQueryField* sourceField, TmfVQueryField* destField, const std::string& caption);
    void RemoveJoin(TmfVQueryJoin* join);
    bool JoinExists(const TmfVQueryField* a, const TmfVQueryField* b) const;
    int GetJoinCount() const { return static_cast<int>(joins_.size()); }
    TmfVQueryJoin* GetJoin(int index) const;
    TmfVQueryJoin* SelectedJoin() const { return selectedJoin_; }
    // The join whose line takes a click at canvas point p (the last one drawn wins), nullptr
    // when none.
    TmfVQueryJoin* JoinAt(ui::TPoint p) const;
    // The field under the last press in any box's list.
    TmfVQueryField* CurrentField() const { return currentField_; }
    void SetCurrentField(TmfVQueryField* field) { currentField_ = field; }
    // Makes `box` the only selected box.
    void SelectOnly(TmfVQueryTable* box);

    bool AddSortField(TmfVQueryField* field, bool ascending);
    void RemoveSortField(TmfVQueryField* field);
    int SortCount() const { return static_cast<int>(sortList_.size()); }
    // Moves the sort entry at `from` to `to` (both valid indexes; otherwise nothing moves).
    void MoveSortField(int from, int to);
    // Puts the sort list back in `order`, which must hold the same entries.
    void RestoreSortOrder(const std::vector<TmfVQueryField*>& order);
    const std::vector<TmfVQueryField*>& SortList() const { return sortList_; }
    // The Sort dialog over the sort list: Cancel puts back the order it opened with.
    void ShowSortOrder();
    // The SQL Viewer over SQL, not blocking (with UseDefaultSqlViewerDialog; else nothing).
    void ShowSqlViewer();
    // The Add Table dialog over the table names; on OK every chosen table gets a box, the
    // one at list index i at (10 + 2i, 12).
    void AddTableMenuClick();
    // The canvas popup ("Add Table...", "SQL Viewer...", "Distinct"), opened by a right click
    // on the canvas.
    ui::TPopupMenu* MainPopup() const { return mainPopup_; }
    // The Filter list of `field` over the criteria; False when it was not shown.
    bool ShowCriteriaDialog(TmfVQueryField* field);
    TmfVQueryField* SortField(int index) const { return sortList_.at(static_cast<std::size_t>(index)); }

    TmfVQueryCriterias& Criterias() { return criterias_; }
    int GetCalculatedCount() const;
    std::string MakeUniqueAlias(const std::string& name) const;
    void UpdateScrollRange();
    // Recomputes the line of every join from its boxes, lists and field rows.
    void UpdateJoinLinks();
    // Selects `join` (nullptr: none); every other join is deselected.
    void SelectJoin(TmfVQueryJoin* join);
    // Frees `box` / removes `join` once the message loop runs again, so a menu handler never
    // frees what it runs on; nothing happens when it is gone by then.
    void PostRemoveTable(TmfVQueryTable* box);
    void PostRemoveJoin(TmfVQueryJoin* join);
    void Dispatch(ui::TMessage& message) override;
    // The link popup "popup_link" ("Delete Link", "Join Properties") for the join that was
    // clicked last (JoinUnderPopup).
    ui::TPopupMenu* LinkPopup() const { return linkPopup_; }
    TmfVQueryJoin* JoinUnderPopup() const { return popupJoin_; }
    // A right click at canvas point p: on a line, the link popup at screen point `screen`,
    // then OnVJoinClick with the layer as sender. False when p is on no line.
    bool PopupLinkAt(ui::TPoint p, ui::TPoint screen);
    // The control that draws the lines (under every box).
    TmfVQueryJoinLayer* JoinLayer() const { return joinLayer_; }
    ui::TPoint ScrollRange() const { return scrollRange_; }

    // ---- SQL settings, keyword lists, quoting ---------------------------------------------
    // The registry section of the current connection: its provider less a final ".1";
    // empty without an open connection.
    std::string CurrentDriver() const;
    void ReadSQLSettings();
    void SetupADOInfo();
    bool LoadKeywordFiles(const std::string& folder);
    rtl::TStringList& AnsiKeywords() { return ansiWords_; }
    rtl::TStringList& OdbcKeywords() { return odbcWords_; }
    rtl::TStringList& DriverKeywords() { return driverWords_; }
    // The table-name list (texts with std::shared_ptr<TQADOTable> objects).
    rtl::TStringList& TableNames() { return tableNames_; }
    std::string QuoteName(const std::string& name) const;
    // Refuses without a connection (a message box, False); else shows the SQL Settings dialog
    // (TfrmSettings, or the one installed instead) and takes its results on OK. True when shown.
    bool ShowSQLSettings();
    static void SetSQLSettingsDialog(TSQLSettingsDialog dialog);
    // The desktop engine's drivers: there is no such engine here, so the list is emptied.
    static void GetBDEDriverNames(rtl::TStrings& list) { list.Clear(); }

    // ---- Design text ----------------------------------------------------------------------
    void SaveToStrings(rtl::TStrings& list) const;
    // Restores the design, which is then unchanged (DesignChanged). EConvertError naming key
    // and value for a non-numeric number.
    bool LoadFromStrings(const rtl::TStrings& list);

    static std::string JoinKeyword(int joinType);
    static int MirrorJoinType(int joinType);

protected:
    void Resize() override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;

private:
    friend class TmfVQueryTable;
    void PlaceJoinLayer();
    // The statement of the model into `s` (SQL without its warning).
    void BuildSql(rtl::TStrings& s) const;
    std::string BuildJoinedFrom() const;
    std::string JoinCondition(const TmfVQueryJoin& join) const;
    std::string FieldRef(const TmfVQueryField& field) const;
    bool BoxPlaced(const TmfVQueryTable* box) const;
    void RefillSortListBox();
    void RepaintFieldLists();
    void ForgetTable(TmfVQueryTable* box);

    TConnectionType connectionType_ = ctBDE;
    db::TADOConnection* adoConnection_ = nullptr;
    ui::TListBox* dbTableListBox_ = nullptr;
    ui::TListBox* loadTableListBox_ = nullptr;
    ui::TListBox* sortListBox_ = nullptr;
    bool useDefaultQuoteChars_ = true;
    std::string customQuoteChars_;
    std::string quoteChars_;
    std::string specialChars_;
    app::ado::TIdentifierCase identifierCase_ = app::ado::TIdentifierCase::Unknown;
    std::string driverName_;

    std::vector<TmfVQueryTable*> tables_;
    std::vector<std::unique_ptr<TmfVQueryJoin>> joins_;
    TmfVQueryCriterias criterias_;
    std::vector<TmfVQueryField*> sortList_;
    rtl::TStringList sql_;
    std::string markedSql_;  // the statement at the last restore or mark
    rtl::TStringList tableNames_;
    rtl::TStringList ansiWords_, odbcWords_, driverWords_;
    TmfVQueryJoin* selectedJoin_ = nullptr;
    TmfVQueryField* currentField_ = nullptr;
    TmfVQueryJoinLayer* joinLayer_ = nullptr;
    ui::TPopupMenu* mainPopup_ = nullptr;
    ui::TMenuItem* distinctItem_ = nullptr;
    ui::TPopupMenu* linkPopup_ = nullptr;
    TmfVQueryJoin* popupJoin_ = nullptr;
    ui::TPoint scrollRange_{0, 0};
    ui::TPicture filterPic_, sortAscPic_, sortDescPic_;
    ui::TBevelCut bevelInner_ = ui::bvRaised;
    ui::TBevelCut bevelOuter_ = ui::bvLowered;
    int borderWidth_ = 0;
};

}  // namespace vquery
