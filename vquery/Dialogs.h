#pragma once
// The visual query's dialogs, each a stored form (forms/<class>.gwf) with its handlers bound
// by name. Questions and warnings go through the dialog service, so every dialog is driven
// without a window in the tests.
//
// TfrmVSort, the Sort dialog: the query's sort entries in order ("alias.field" with the
// direction glyph and the 1-based position); dragging an entry onto another moves it there in
// the list and in the query's sort list at once, so the boxes show the new positions. Cancel
// puts back the order the dialog opened with; OK keeps the new one.
//
// TfrmFilter, one criterion: the operator and the literal; OK with an empty literal warns
// "No literal value" and stays open.
//
// Tfrmcriteria, the Filter list of one field: its criteria, added, edited, deleted and
// swapped by dragging one onto another. It is modal, so no box can be deleted under it, and
// Cancel puts the whole criteria collection back exactly as it was.

#include <optional>
#include <string>
#include <vector>

#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "vquery/VQuery.h"

namespace vquery {

class TmfVQuery;
class TmfVQueryField;
class TmfVQueryCriteria;
class TmfVQueryJoin;
class TmfVQueryCriterias;

class TfrmVSort : public ui::TForm {
    GW_CLASS(TfrmVSort)

public:
    explicit TfrmVSort(TmfVQuery* query);

    ui::TListBox* List() const { return list_; }
    // Fills the list from the sort list and shows the dialog modally; the modal result.
    int Execute();

    // The drop of the entry pressed last onto the row at client point (x, y) of the list.
    void lbVSortsDragDrop(classes::TObject* sender, classes::TObject* source, int x, int y);
    // The glyph a row of that sort direction shows: the dialog's own pair, whatever pictures
    // the query's field lists were given.
    static const ui::TPicture& Glyph(int direction);

private:
    void lbVSortsDrawItem(ui::TWinControl* control, int index, const ui::TRect& rect, ui::TOwnerDrawState state);
    void lbVSortsMouseDown(classes::TObject* sender, ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    void lbVSortsDragOver(classes::TObject* sender, classes::TObject* source, int x, int y, ui::TDragState state,
                          bool& accept);
    void lbVSortsDblClick(classes::TObject* sender);

    TmfVQuery* query_;
    ui::TListBox* list_ = nullptr;
    int dragSource_ = -1;
};

// TfrmCompare, Join Properties: the two sides, the compare operator and (with the query's
// AdvanceJoin) the join type, each type explained in words for the operator chosen.
class TfrmCompare : public ui::TForm {
    GW_CLASS(TfrmCompare)

public:
    TfrmCompare(classes::TComponent* owner, const std::string& sourceAlias, const std::string& destAlias,
                const std::string& sourceName, const std::string& destName);
    // The item of an operator: "=", "<>", "<", ">", "<=", ">=" (also "= ", "< ", "> "); any
    // other text gives the first.
    static int OperatorItem(const std::string& op);
    // Shows the two sides and explains the join types for the chosen operator.
    void UpdateTexts();

private:
    void FormShow(classes::TObject* sender);
    void rdoCompareClick(classes::TObject* sender);
    std::string sourceAlias_, destAlias_, sourceName_, destName_;
};

// Shows Join Properties for `join`; on OK the join takes the operator and the join type
// (inner whenever the query's AdvanceJoin is off). True on OK.
bool ShowJoinProperties(TmfVQueryJoin& join);

// TFrmSqlviewer, the SQL Viewer: a sizeable tool window, never narrower than 90 pixels, that
// does not block; its OK button stays centred. One at a time: opening one closes the old.
class TFrmSqlviewer : public ui::TForm {
    GW_CLASS(TFrmSqlviewer)

public:
    explicit TFrmSqlviewer(classes::TComponent* owner);
    ~TFrmSqlviewer() override;
    // The viewer open now, nullptr when none.
    static TFrmSqlviewer* Current();
    void FormResize(classes::TObject* sender);

private:
    void FormClose(classes::TObject* sender, ui::TCloseAction& action);
    void okbtnClick(classes::TObject* sender);
};

// Closes the old viewer and shows `sql` in a new one, owned by `owner`, without blocking.
TFrmSqlviewer* ShowSqlViewer(classes::TComponent* owner, const std::string& sql);

// Shows the Filter dialog with `title`; on OK `op` is the chosen operator's symbol and
// `literal` the text typed; True on OK.
bool ShowFilterDialog(const std::string& title, std::string& op, std::string& literal);

// Shows the Filter list of `field` over `criterias` modally; "No Field Selected" (False)
// when the field has no name or no display name.
bool ShowCriteriaDialog(TmfVQueryField* field, TmfVQueryCriterias& criterias);

// TfrmAddTable, "Add Table": the table names in a multi-select list; "Add" or a double click
// closes with OK and the caller adds every selected table.
class TfrmAddTable : public ui::TForm {
    GW_CLASS(TfrmAddTable)

public:
    explicit TfrmAddTable(classes::TComponent* owner);
    ui::TListBox* List() const { return list_; }
    void lbTableListDblClick(classes::TObject* sender);

private:
    ui::TListBox* list_ = nullptr;
};

// TfrmSettings, "SQL Settings": the comment characters and the schema quote character of
// each driver, kept in the registry section of the driver under "SQL Generator Global". The
// driver list is the data layer's providers less a final ".1"; switching drivers with
// unsaved changes asks "Save changes to <driver>?". OK saves, remembers the driver as the
// last one and gives the three results.
class TfrmSettings : public ui::TForm {
    GW_CLASS(TfrmSettings)

public:
    TfrmSettings(classes::TComponent* owner, std::string driver);
    // Shows the dialog modally; the results on OK.
    std::optional<TSQLSettings> Execute();

    std::string Driver() const { return driver_; }
    bool Modified() const { return modified_; }
    // The quote characters the choice stands for: "'", a double quote, or the edit's text.
    std::string QuoteChars() const;

    void FormShow(classes::TObject* sender);
    void cboDriversChange(classes::TObject* sender);
    void SettingChange(classes::TObject* sender);
    void rdoSchemaQuoteClick(classes::TObject* sender);
    void btnOKClick(classes::TObject* sender);

private:
    void LoadDriver(const std::string& driver);
    void SaveDriver(const std::string& driver);

    std::string driver_;
    bool modified_ = false;
    bool loading_ = false;
};

class TfrmFilter : public ui::TForm {
    GW_CLASS(TfrmFilter)

public:
    explicit TfrmFilter(classes::TComponent* owner);

private:
    void btnOKClick(classes::TObject* sender);
};

class Tfrmcriteria : public ui::TForm {
    GW_CLASS(Tfrmcriteria)

public:
    Tfrmcriteria(classes::TComponent* owner, TmfVQueryField* field, TmfVQueryCriterias& criterias);

    ui::TListBox* List() const { return list_; }
    // Fills the list and shows the form modally; Cancel restores the criteria.
    int Execute();

    void sb_addClick(classes::TObject* sender);
    void sb_editClick(classes::TObject* sender);
    void sb_deleteClick(classes::TObject* sender);
    // Item at client point (x, y) dropped onto the item there: the two criteria swap their
    // field, operator and literal.
    void SwapItems(int source, int target);

private:
    void lbFilterMouseDown(classes::TObject* sender, ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    void lbFilterDragOver(classes::TObject* sender, classes::TObject* source, int x, int y, ui::TDragState state,
                          bool& accept);
    void lbFilterDragDrop(classes::TObject* sender, classes::TObject* source, int x, int y);
    std::string ItemText(const TmfVQueryCriteria& c) const;
    void UpdateButtons();

    TmfVQueryField* field_;
    TmfVQueryCriterias& criterias_;
    ui::TListBox* list_ = nullptr;
    int dragSource_ = -1;
};

}  // namespace vquery
