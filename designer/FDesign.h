#pragma once
// The design window: the open document. One MDI child of the main window (form
// forms/FrmDesign.gwf) whose controls and hidden lists hold every setting of the project.
//
// It leads through two main tabs. "Get Data" builds the query (the visual query and its
// table list, the SQL editor, the grid of rows); "Preview && Save" shows the pages in the
// browser control and holds the page layout, the header and footer HTML and the column list.
// Changing tabs keeps the SQL editor, the query and the preview in step:
//   - the visual query's SQL is taken over into the editor (TakeOverBuilderSql), asking
//     "Do you want to replace SQL from SQL Builder?" when the editor holds other text and the
//     user changed the builder's SQL since the editor's text was last set (the visual query's
//     DesignChanged; a restored project is no change);
//   - SyncAndOpenQuery puts the editor's text into the query when it differs and opens it; a
//     failed open is a warning with the driver's message and the tab change is undone;
//   - "Preview && Save" rebuilds the column list, loads the layout style, reloads the chosen
//     colour scheme and writes the static pages into the program's Temp.html for the preview.
//
// Everything the page writers read comes from PageSettings(), a record filled from the
// controls, so the writers run without the window. Exports report their failures in a
// warning box and leave the query's controls enabled on every path.
//
// What the window needs of the program around it (folders, the status bar) comes in a
// TDesignHost, so the window runs without the main window in tests.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "designer/ColumnListView.h"
#include "designer/ColumnModel.h"
#include "designer/ExpHtml.h"
#include "designer/PageSet.h"
#include "designer/PageSettings.h"
#include "platform/ui/Forms.h"

namespace db {
class TADOQuery;
class TDataSet;
}  // namespace db
namespace ui {
class TListItem;
class TPageControl;
class TTimer;
}  // namespace ui

namespace designer {

struct TDesignHost {
    std::string appDir;           // the program folder, ending in "/"
    std::string dataDir;          // its Data folder (the refresh notice is written there)
    std::string layoutStylesDir;  // its LayoutStyles folder
    std::string tempHtmlFile;     // the preview's page
    // Panel 1 of the main window's status bar.
    std::function<void(const std::string&)> setStatus;
};

inline constexpr const char* kReplaceSqlQuestion = "Do you want to replace SQL from SQL Builder?";
inline constexpr const char* kCanNotSavePages = "Can not save pages";
inline constexpr const char* kCanNotLoadStyle = "Can not load style.";
inline constexpr const char* kRefreshNoticeFile = "warning_refresh.html";

// The column list the grid applies: per FieldList entry, in order, with the query's field
// of that key: display name TAB width TAB display name; the width is the field's size when
// it lies in 1..255, else 10. Entries without a field are left out.
std::vector<std::string> GridColumnEntries(const TColumnModel& columns, const db::TDataSet& query);

// Whether Save Pages writes server (ASP) pages into `fileName`, chosen under filter
// `filterIndex` (1 static, 2 server pages): an extension that names a kind decides (".asp";
// ".html" or ".htm" static; any letter case), else the filter.
bool WritesServerPages(const std::string& fileName, int filterIndex);

// The refresh notice page's lines.
const std::vector<std::string>& RefreshNoticeLines();

class TFrmDesign : public ui::TForm {
    GW_CLASS(TFrmDesign)

public:
    // Tab indexes of the page controls.
    enum { pgSqlBuilder = 0, pgViewSql = 1, pgViewData = 2, pgGotoPreview = 3 };
    enum { pgPreview = 0, pgPageLayout = 1, pgHeaderFooter = 2, pgColumns = 3, pgBackToGetData = 4 };

    TFrmDesign(classes::TComponent* owner, TDesignHost host);
    ~TFrmDesign() override;

    // ---- Project state (set by the project commands) -------------------------------------
    bool HasProjectFile = false;
    std::string ProjectName = "Untitled";
    std::string ProjectPath;
    db::TDataSet* QueryDataSet = nullptr;
    bool LoadingStyleList = false;
    int PreviousGetDataPage = 0;
    // Set by SyncAndOpenQuery when it replaced the query's SQL.
    bool SqlChanged = false;
    // The project text as last saved or loaded (a new project's as made), what a close
    // compares the design with; empty while the window is still being made.
    std::string SavedProjectText;

    const TDesignHost& Host() const noexcept { return host_; }
    TColumnModel& Columns() noexcept { return columns_; }
    // The colour-scheme object; nullptr before FormCreate and after FormClose.
    TExpHtml* Scheme() noexcept { return scheme_.get(); }
    db::TADOQuery* Query() const;
    std::string SchemeFolder() const;

    // ---- Query ----------------------------------------------------------------------------
    // Puts the editor's text into the query (when it differs) and opens it; false, after a
    // warning with the driver's message, when opening fails.
    bool SyncAndOpenQuery();
    // The visual query's SQL into an empty editor, or after the question into one that
    // holds other text (asked only when the user changed the builder's SQL since the last
    // take-over or restore).
    void TakeOverBuilderSql();
    // The visual query's SQL text and whether it holds a table.
    std::string BuilderSql();
    bool BuilderHasTable() const;
    std::string EditorSql() const;
    void SetDataControlsDisabled(bool disabled);
    bool DataControlsDisabled() const noexcept { return dataControlsDisabled_; }

    // ---- Pages ----------------------------------------------------------------------------
    // The settings the page writers read, from the controls.
    TPageSettings PageSettings() const;
    // Static pages into `fileName`; false (after a warning) when the query does not open or
    // a page cannot be written.
    bool ExportHtmlPages(const std::string& fileName);
    // ASP pages into `fileName`; the same failures.
    bool ExportAspPages(const std::string& fileName);
    // The preview: static pages into Temp.html, then the browser shows it.
    void RefreshPreview();
    void ShowRefreshNotice();
    // The page the preview was last sent to ("" before the first).
    const std::string& PreviewPage() const noexcept { return previewPage_; }
    // The timer that reads the rest of a large result, a part per tick (ShowRecordCount);
    // null before the first such result.
    ui::TTimer* RowTimer() const noexcept { return rowTimer_.get(); }

    // ---- Colour schemes and layout styles ---------------------------------------------------
    void LoadColorSchemeList();
    // The scheme chosen in cbxTemplate into the scheme object and the samples ("Custom":
    // nothing). A missing scheme: a warning naming it, colours kept; false.
    bool LoadChosenColorScheme();
    void ApplyColorScheme();
    // A project's colour lines (as TExpHtml reads them; the list may be padded) into the scheme
    // object; they are then what a picker change is compared with, as a chosen scheme's are.
    void LoadProjectColors(rtl::TStrings& lines);
    // Selects `name` in cbxTemplate ("Custom" or a scheme), firing nothing.
    void SelectScheme(const std::string& name);
    void LoadLayoutStyleList();
    void LoadLayoutStyle();
    // The records-per-page and frame options enabled as the split and frame check boxes say
    // (a project read sets the boxes without their clicks).
    void EnableSplitOptions();

    // ---- Columns ----------------------------------------------------------------------------
    // The column model rebuilt from the open query (mode "Update" or "Reset").
    void RebuildColumnList(const std::string& mode);
    // Exchanges columns i and j and rebuilds the grid's column list.
    void ExchangeColumns(int i, int j);
    // The grid's Selected list rebuilt from FieldList and applied.
    void RebuildGridColumns();
    // The model's lists into the form's list components (before a project is saved) and back
    // (after one is loaded).
    void StoreColumnComponents();
    void LoadColumnComponents();

    // ---- Handlers (bound by name from the stored form) --------------------------------------
    void FormCreate(classes::TObject* sender);
    void FormClose(classes::TObject* sender, ui::TCloseAction& action);
    void pc_mainChange(classes::TObject* sender);
    void pc_getdataChange(classes::TObject* sender);
    void pc_previewChange(classes::TObject* sender);
    void pc_getdataDrawTab(ui::TPageControl* control, int tabIndex, const ui::TRect& rect, bool active);
    void ado_queryAfterOpen(db::TDataSet* dataSet);
    void cmd_gensqlExecute(classes::TObject* sender);
    void cmd_clearExecute(classes::TObject* sender);
    void cmd_sqlsettingExecute(classes::TObject* sender);
    void cmd_addtableExecute(classes::TObject* sender);
    void cmd_showjoinExecute(classes::TObject* sender);
    void cmd_clearsqlExecute(classes::TObject* sender);
    void cmd_runsqlExecute(classes::TObject* sender);
    void cmd_sqlbuilderExecute(classes::TObject* sender);
    void BackActionExecute(classes::TObject* sender);
    void ForwardActionExecute(classes::TObject* sender);
    void RefreshActionExecute(classes::TObject* sender);
    void SaveActionExecute(classes::TObject* sender);
    void PreviewActionExecute(classes::TObject* sender);
    void cmd_columnsettingExecute(classes::TObject* sender);
    void cmd_columnresetExecute(classes::TObject* sender);
    void wm_previewCommandStateChange(classes::TObject* sender, int command, bool enable);
    void VisualQueryDragOver(classes::TObject* sender, classes::TObject* source, int x, int y, ui::TDragState state,
                             bool& accept);
    void VisualQueryDragDrop(classes::TObject* sender, classes::TObject* source, int x, int y);
    void lb_tablesDblClick(classes::TObject* sender);
    void lv_columnMouseDown(classes::TObject* sender, ui::TMouseButton button, ui::TShiftState shift, int x, int y);
    void lv_columnDblClick(classes::TObject* sender);
    void lv_columnDragOver(classes::TObject* sender, classes::TObject* source, int x, int y, ui::TDragState state,
                           bool& accept);
    void lv_columnDragDrop(classes::TObject* sender, classes::TObject* source, int x, int y);
    void lv_columnItemChecked(classes::TObject* sender, ui::TListItem* item);
    // Page layout (colours, schemes, navigation samples, options).
    void cbxTemplateChange(classes::TObject* sender);
    void btSaveTemplateClick(classes::TObject* sender);
    void BackPanelClick(classes::TObject* sender);
    void LinkLabelClick(classes::TObject* sender);
    void ColHeadClick(classes::TObject* sender);
    void HeadLabelClick(classes::TObject* sender);
    void RowPanelClick(classes::TObject* sender);
    void OddRowPanelClick(classes::TObject* sender);
    void DataLabelClick(classes::TObject* sender);
    void colorbox_tableChange(classes::TObject* sender);
    void colorbox_borderChange(classes::TObject* sender);
    void colorbox_tableCloseUp(classes::TObject* sender);
    void colorbox_borderCloseUp(classes::TObject* sender);
    void cb_headerChange(classes::TObject* sender);
    void cb_footerChange(classes::TObject* sender);
    void btHTMLBackGroundClick(classes::TObject* sender);
    void cbHTMLMaxRecordsClick(classes::TObject* sender);
    void cb_frameClick(classes::TObject* sender);
    void cb_frameborderClick(classes::TObject* sender);
    void seHTMLMaxRecordsChange(classes::TObject* sender);
    void mmHTMLHeaderChange(classes::TObject* sender);
    void cb_styleChange(classes::TObject* sender);

    template <class T>
    T* C(std::string_view name) const
    {
        return Get<T>(name);
    }

private:
    void RegisterHandlers();
    // A warning box with an OK button.
    static void Warn(const std::string& text);
    void TakeOverBuilderSql(const std::string& builderSql);
    // An export's frame: the query synchronised and opened ("Can not save pages" when it does
    // not open), the data controls disabled and the hourglass shown while `write` runs, its
    // record count into the status bar, a failure shown in a warning box, and the files it
    // did not copy in one warning box.
    bool RunExport(const std::function<TPageSetReport()>& write);
    // Sends the browser control to a local page.
    void ShowInPreview(const std::string& file);
    void SetStatus(const std::string& text) const;
    // The open query's record count into the status bar ("N records"). A result whose rows
    // are still being read leaves the panel empty and has the rest read in the background,
    // a part per tick of the row timer, so that its first rows show at once and the count
    // shown is always the whole result's; the count shows once the last row is read.
    void ShowRecordCount();
    void ReadRowsTick(classes::TObject* sender);
    // The page control change of the program's own (a program's page change fires nothing).
    void SetPage(const char* control, int index);
    // Asks for a colour preset to `preset`; true with the chosen colour.
    bool AskColor(rtl::TColor& color) const;
    // A colour edit's end: the scheme colour set, "Custom" chosen, the samples repainted.
    void ColorEdited(int which, rtl::TColor color, bool repaint = true);
    // Asks for a new colour of the scheme's part `which` and applies it.
    void EditSchemeColor(int which);
    void TablePickerChanged(bool border);
    void ShowNavigationSamples(const char* combo, const char* img1, const char* img2);
    // The grid's column list: the one place the window touches the grid.
    void ApplyGridColumns(const std::vector<std::string>& entries);
    void ClearGridColumns();

    TDesignHost host_;
    std::unique_ptr<TExpHtml> scheme_;
    TColumnModel columns_;
    std::unique_ptr<TColumnListViewAdapter> listAdapter_;
    bool dataControlsDisabled_ = false;
    bool newDocumentOpened_ = false;
    // The scheme whose colours the samples show (what a picker change is compared with).
    TExpHtml loadedScheme_;
    // The loaded layout style's template, exactly as read (TempStyleText shows it as lines).
    std::string styleText_;
    std::string previewPage_;
    std::unique_ptr<ui::TTimer> rowTimer_;
    // An export's count is in the status bar: the background read ending leaves it there.
    bool exportCountShown_ = false;
};

// The live design window, or nullptr.
extern TFrmDesign* FrmDesign;

// The design window's component classes for its stored form (the visual query, the editor,
// the colour pickers and the window itself).
void RegisterDesignClasses();

}  // namespace designer
