#include "designer/FDesign.h"

#include <algorithm>
#include <filesystem>

#include "designer/ColorSchemes.h"
#include "designer/ExpAsp.h"
#include "designer/ExpStatic.h"
#include "designer/FFormatColumn.h"
#include "designer/FParams.h"
#include "designer/Formats_Utils.h"
#include "designer/HtmlText.h"
#include "designer/LayoutTemplate.h"
#include "editor/TextMemo.h"
#include "editor/TextMemoStrings.h"
#include "framedctrls/FcClasses.h"
#include "framedctrls/FcCmboBx.h"
#include "grid/PublishedDBGrid.h"
#include "platform/classes/ClassRegistry.h"
#include "platform/db/AdoConnection.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/Fields.h"
#include "platform/db/ForwardQuery.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Process.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/WebBrowser.h"
#include "vquery/VQuery.h"

namespace designer {

TFrmDesign* FrmDesign = nullptr;

namespace {

// SQL texts compared as the user reads them: line breaks at the end do not count.
std::string TrimSql(std::string text)
{
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    return text;
}
bool SameSql(const std::string& a, const std::string& b) { return TrimSql(a) == TrimSql(b); }

}  // namespace

std::vector<std::string> GridColumnEntries(const TColumnModel& columns, const db::TDataSet& query)
{
    std::vector<std::string> entries;
    for (int i = 0; i < columns.ColumnCount(); ++i) {
        const db::TField* field = nullptr;
        const std::string key = columns.Key(i);
        for (int k = 0; k < query.FieldCount() && field == nullptr; ++k) {
            const db::TField* f = query.Fields().Fields(k);
            if (ColumnKey(f->DisplayName()) == key) field = f;
        }
        if (field == nullptr) continue;
        const int size = field->Size();
        const int width = size >= 1 && size <= 255 ? size : 10;
        entries.push_back(field->DisplayName() + "\t" + std::to_string(width) + "\t" + field->DisplayName());
    }
    return entries;
}

const std::vector<std::string>& RefreshNoticeLines()
{
    static const std::vector<std::string> lines = {
        "<html>",
        "<head>",
        kUtf8Meta,
        "<title>Please click refresh button to see your changes</title>",
        "<style type=\"text/css\">",
        "<!--",
        ".Default {  font-family: Arial, Helvetica, sans-serif; font-size: 14px; color: #1559D0}",
        "-->",
        "</style>",
        "</head>",
        "<body bgcolor=\"#FFFFFF\" text=\"#000000\">",
        "<table width=\"100%\" border=\"0\" height=\"100%\">",
        "<tr>",
        "<td align=\"center\" valign=\"middle\" class=\"Default\"><b class=\"Default\">Please click refresh button to "
        "see your changes</b></td>",
        "</tr>",
        "</table>",
        "</body>",
        "</html>",
    };
    return lines;
}

// ---- Life ------------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TFrmDesign, ui::TForm) {}

TFrmDesign::TFrmDesign(classes::TComponent* owner, TDesignHost host) : TForm(owner), host_(std::move(host))
{
    FrmDesign = this;
    RegisterHandlers();
    LoadDescription("FrmDesign");
}

TFrmDesign::~TFrmDesign()
{
    rowTimer_.reset();
    columns_.SetListView(nullptr);
    if (FrmDesign == this) FrmDesign = nullptr;
}

void TFrmDesign::RegisterHandlers()
{
#define GW_HANDLER(name) RegisterHandler(#name, this, &TFrmDesign::name)
    GW_HANDLER(FormCreate);
    GW_HANDLER(FormClose);
    GW_HANDLER(pc_mainChange);
    GW_HANDLER(pc_getdataChange);
    GW_HANDLER(pc_previewChange);
    GW_HANDLER(pc_getdataDrawTab);
    GW_HANDLER(ado_queryAfterOpen);
    GW_HANDLER(cmd_gensqlExecute);
    GW_HANDLER(cmd_clearExecute);
    GW_HANDLER(cmd_sqlsettingExecute);
    GW_HANDLER(cmd_addtableExecute);
    GW_HANDLER(cmd_showjoinExecute);
    GW_HANDLER(cmd_clearsqlExecute);
    GW_HANDLER(cmd_runsqlExecute);
    GW_HANDLER(cmd_sqlbuilderExecute);
    GW_HANDLER(BackActionExecute);
    GW_HANDLER(ForwardActionExecute);
    GW_HANDLER(RefreshActionExecute);
    GW_HANDLER(SaveActionExecute);
    GW_HANDLER(PreviewActionExecute);
    GW_HANDLER(cmd_columnsettingExecute);
    GW_HANDLER(cmd_columnresetExecute);
    GW_HANDLER(wm_previewCommandStateChange);
    GW_HANDLER(VisualQueryDragOver);
    GW_HANDLER(VisualQueryDragDrop);
    GW_HANDLER(lb_tablesDblClick);
    GW_HANDLER(lv_columnMouseDown);
    GW_HANDLER(lv_columnDblClick);
    GW_HANDLER(lv_columnDragOver);
    GW_HANDLER(lv_columnDragDrop);
    GW_HANDLER(lv_columnItemChecked);
    GW_HANDLER(cbxTemplateChange);
    GW_HANDLER(btSaveTemplateClick);
    GW_HANDLER(BackPanelClick);
    GW_HANDLER(LinkLabelClick);
    GW_HANDLER(ColHeadClick);
    GW_HANDLER(HeadLabelClick);
    GW_HANDLER(RowPanelClick);
    GW_HANDLER(OddRowPanelClick);
    GW_HANDLER(DataLabelClick);
    GW_HANDLER(colorbox_tableChange);
    GW_HANDLER(colorbox_borderChange);
    GW_HANDLER(colorbox_tableCloseUp);
    GW_HANDLER(colorbox_borderCloseUp);
    GW_HANDLER(cb_headerChange);
    GW_HANDLER(cb_footerChange);
    GW_HANDLER(btHTMLBackGroundClick);
    GW_HANDLER(cbHTMLMaxRecordsClick);
    GW_HANDLER(cb_frameClick);
    GW_HANDLER(cb_frameborderClick);
    GW_HANDLER(seHTMLMaxRecordsChange);
    GW_HANDLER(mmHTMLHeaderChange);
    GW_HANDLER(cb_styleChange);
#undef GW_HANDLER
}

void TFrmDesign::FormCreate(classes::TObject*)
{
    scheme_ = std::make_unique<TExpHtml>();
    SqlChanged = false;
    LoadingStyleList = false;
    PreviousGetDataPage = 0;
    ProjectPath = rtl::IncludeTrailingPathDelimiter(host_.appDir) + "Projects/Untitled.gwp";
    QueryDataSet = Query();
    listAdapter_ = std::make_unique<TColumnListViewAdapter>(*C<ui::TListView>("lv_column"));
    columns_.SetListView(listAdapter_.get());
    C<ui::TComboBox>("cb_header")->SetItemIndex(1);
    C<ui::TComboBox>("cb_footer")->SetItemIndex(1);
    C<ui::TComboBox>("cb_style")->SetItemIndex(0);
    C<ui::TPageControl>("pc_layout")->SetActivePageIndex(0);
    C<ui::TOpenDialog>("odTemplate")->SetInitialDir(SchemeFolder());
    C<ui::TSaveDialog>("sdTemplate")->SetInitialDir(SchemeFolder());
    LoadColorSchemeList();
    LoadLayoutStyleList();
    cb_headerChange(this);
    cb_footerChange(this);
    EnableSplitOptions();
}

void TFrmDesign::FormClose(classes::TObject*, ui::TCloseAction& action)
{
    scheme_.reset();
    action = ui::caFree;
    if (FrmDesign == this) FrmDesign = nullptr;
}

void TFrmDesign::Warn(const std::string& text) { ui::MessageDlg(text, ui::mtWarning, ui::TMsgDlgButtons{ui::mbOK}); }

db::TADOQuery* TFrmDesign::Query() const { return C<db::TADOQuery>("ado_query"); }

std::string TFrmDesign::SchemeFolder() const { return rtl::IncludeTrailingPathDelimiter(host_.appDir) + "ColorSchemes"; }

void TFrmDesign::SetStatus(const std::string& text) const
{
    if (host_.setStatus) host_.setStatus(text);
}

namespace {

// Rows read per tick of the row timer: a few milliseconds' reading, so the window stays
// responsive while a large result comes in.
constexpr int kRowsPerTick = 16384;

}  // namespace

void TFrmDesign::ShowRecordCount()
{
    db::TADOQuery* query = Query();
    if (!query->Active()) return;
    if (query->AllRowsRead()) {
        if (rowTimer_) rowTimer_->SetEnabled(false);
        SetStatus(std::to_string(query->RecordCount()) + " records");
        return;
    }
    SetStatus("");
    exportCountShown_ = false;
    if (!rowTimer_) {
        rowTimer_ = std::make_unique<ui::TTimer>(nullptr);
        rowTimer_->SetInterval(1);
        rowTimer_->OnTimer = [this](classes::TObject* sender) { ReadRowsTick(sender); };
    }
    rowTimer_->SetEnabled(true);
}

void TFrmDesign::ReadRowsTick(classes::TObject*)
{
    // Stopped first: a read that fails ends the reading, the application shows its message,
    // and no count shows for a result that was not read whole. An export meanwhile (which
    // reads the statement on its own, or the rest of this result) leaves its own count in the
    // status bar.
    rowTimer_->SetEnabled(false);
    db::TADOQuery* query = Query();
    if (!query->Active() || query->AllRowsRead()) return;
    query->ReadMoreRows(kRowsPerTick);
    if (!query->AllRowsRead())
        rowTimer_->SetEnabled(true);
    else if (!exportCountShown_)
        ShowRecordCount();
}

void TFrmDesign::SetPage(const char* control, int index) { C<ui::TPageControl>(control)->SetActivePageIndex(index); }

// ---- Query -----------------------------------------------------------------------------------

std::string TFrmDesign::EditorSql() const { return C<editor::TTextMemo>("mm_sql")->Lines()->Text(); }

std::string TFrmDesign::BuilderSql() { return C<vquery::TmfVQuery>("VisualQuery")->SQL()->Text(); }

bool TFrmDesign::BuilderHasTable() const { return C<vquery::TmfVQuery>("VisualQuery")->GetTableCount() > 0; }

void TFrmDesign::TakeOverBuilderSql()
{
    if (BuilderHasTable()) TakeOverBuilderSql(BuilderSql());
}

void TFrmDesign::TakeOverBuilderSql(const std::string& builder)
{
    if (!BuilderHasTable()) return;
    auto* query = C<vquery::TmfVQuery>("VisualQuery");
    auto* memo = C<editor::TTextMemo>("mm_sql");
    if (TrimSql(EditorSql()).empty()) {
        memo->Lines()->Clear();
        memo->Lines()->SetText(builder);
    } else if (query->DesignChanged() && !SameSql(EditorSql(), builder)) {
        // Only the user's own change in the builder may offer to replace the text; a restored
        // design never does, so a typed query survives a reopened project.
        if (ui::MessageDlg(kReplaceSqlQuestion, ui::mtConfirmation, ui::TMsgDlgButtons{ui::mbYes, ui::mbNo}) == ui::mrYes)
            memo->Lines()->SetText(builder);
    }
    query->MarkDesignUnchanged();
}

bool TFrmDesign::SyncAndOpenQuery()
{
    auto* memo = C<editor::TTextMemo>("mm_sql");
    if (TrimSql(EditorSql()).empty()) memo->Lines()->SetText(BuilderSql());
    db::TADOQuery* query = Query();
    const std::string sql = EditorSql();
    SqlChanged = !SameSql(query->SQL()->Text(), sql);
    if (SqlChanged) {
        if (query->Active()) query->Close();
        query->SQL()->SetText(sql);
        ClearGridColumns();
    }
    if (!query->Active()) {
        try {
            query->Open();
        } catch (const rtl::EAbort&) {
            throw;
        } catch (const std::exception& e) {
            Warn(e.what());
            return false;
        }
    }
    return true;
}

void TFrmDesign::SetDataControlsDisabled(bool disabled)
{
    if (disabled == dataControlsDisabled_) return;
    dataControlsDisabled_ = disabled;
    if (QueryDataSet == nullptr) return;
    if (disabled)
        QueryDataSet->DisableControls();
    else
        QueryDataSet->EnableControls();
}

void TFrmDesign::ado_queryAfterOpen(db::TDataSet*)
{
    // Only a new document's first open sets the font list and the starting scheme: a later
    // open (after the SQL changed) keeps the user's colours and font. No font is chosen, so
    // the pages fall back to the style sheet's default until the user picks one.
    if (!HasProjectFile && !newDocumentOpened_) {
        newDocumentOpened_ = true;
        C<ui::TComboBox>("HTMLDefaultFont")->Items()->Assign(ui::Screen().Fonts());
        SelectScheme("Simple");
        LoadChosenColorScheme();
    }
    auto* exportDialog = C<ui::TSaveDialog>("sdExportFile");
    exportDialog->SetFilter("HTML files (*.html, *.htm)|*.html;*.htm");
    exportDialog->SetDefaultExt("html");
    SetDataControlsDisabled(false);
    ShowRecordCount();
}

// ---- Tabs ------------------------------------------------------------------------------------

void TFrmDesign::pc_mainChange(classes::TObject*)
{
    auto* main = C<ui::TPageControl>("pc_main");
    if (main->ActivePageIndex() != 1) return;
    db::TADOQuery* query = Query();
    // The builder's SQL is read once: reading it may warn (an unjoined query).
    const std::string builder = BuilderSql();
    if (!SameSql(EditorSql(), builder) || !query->Active()) {
        TakeOverBuilderSql(builder);
        SyncAndOpenQuery();
    }
    if (query->Active()) {
        RebuildColumnList("Update");
        LoadLayoutStyle();
        LoadChosenColorScheme();
        RefreshPreview();
    } else {
        main->SetActivePageIndex(0);
    }
}

void TFrmDesign::pc_getdataChange(classes::TObject*)
{
    auto* pages = C<ui::TPageControl>("pc_getdata");
    switch (pages->ActivePageIndex()) {
    case pgViewSql: TakeOverBuilderSql(); break;
    case pgViewData: {
        if (PreviousGetDataPage == pgSqlBuilder) TakeOverBuilderSql();
        if (SyncAndOpenQuery() && Query()->Active())
            ShowRecordCount();
        else
            pages->SetActivePageIndex(PreviousGetDataPage);
        break;
    }
    case pgGotoPreview:
        SetPage("pc_preview", pgPreview);
        SetPage("pc_main", 1);
        pc_mainChange(this);
        pages->SetActivePageIndex(pgSqlBuilder);
        break;
    default:
        break;
    }
    PreviousGetDataPage = pages->ActivePageIndex();
}

void TFrmDesign::pc_previewChange(classes::TObject*)
{
    auto* pages = C<ui::TPageControl>("pc_preview");
    if (pages->ActivePageIndex() == pgPreview) {
        RefreshPreview();
    } else if (pages->ActivePageIndex() == pgBackToGetData) {
        SetPage("pc_getdata", pgSqlBuilder);
        PreviousGetDataPage = pgSqlBuilder;
        SetPage("pc_main", 0);
        pc_mainChange(this);
        pages->SetActivePageIndex(pgPreview);
    }
}

void TFrmDesign::pc_getdataDrawTab(ui::TPageControl* control, int tabIndex, const ui::TRect& rect, bool active)
{
    ui::TCanvas* canvas = control->Canvas();
    canvas->Brush()->SetColor(rtl::clBtnFace);
    canvas->FillRect(rect);
    ui::TTabSheet* page = control->PageOfTab(tabIndex);
    if (page == nullptr) return;
    canvas->Font()->SetStyle(active ? classes::TFontStyles{classes::fsBold} : classes::TFontStyles{});
    const int offset = active ? 12 : 8;
    // Drawn as written: an "&" of these captions is text, not a hotkey mark.
    canvas->TextOut(rect.Left + offset, rect.Top + offset, page->Caption());
}

// ---- SQL and builder commands ------------------------------------------------------------------

void TFrmDesign::cmd_gensqlExecute(classes::TObject*)
{
    auto* memo = C<editor::TTextMemo>("mm_sql");
    memo->Lines()->Clear();
    memo->Lines()->SetText(BuilderSql());
    C<vquery::TmfVQuery>("VisualQuery")->MarkDesignUnchanged();
    SetPage("pc_getdata", pgViewSql);
    PreviousGetDataPage = pgViewSql;
}

void TFrmDesign::cmd_clearExecute(classes::TObject*) { C<vquery::TmfVQuery>("VisualQuery")->RemoveAllTables(); }

void TFrmDesign::cmd_sqlsettingExecute(classes::TObject*) { C<vquery::TmfVQuery>("VisualQuery")->ShowSQLSettings(); }

void TFrmDesign::cmd_addtableExecute(classes::TObject*) { C<vquery::TmfVQuery>("VisualQuery")->AddTableMenuClick(); }

void TFrmDesign::cmd_showjoinExecute(classes::TObject*)
{
    auto* query = C<vquery::TmfVQuery>("VisualQuery");
    auto* button = C<ui::TSpeedButton>("tb_showjoin");
    query->ShowJoinCaptions = button->Down();
    C<ui::TAction>("cmd_showjoin")->SetChecked(button->Down());
    query->UpdateJoinLinks();
    query->JoinLayer()->Invalidate();
}

void TFrmDesign::cmd_clearsqlExecute(classes::TObject*) { C<editor::TTextMemo>("mm_sql")->Lines()->Clear(); }

void TFrmDesign::cmd_runsqlExecute(classes::TObject*)
{
    SetPage("pc_getdata", pgViewData);
    pc_getdataChange(this);
}

void TFrmDesign::cmd_sqlbuilderExecute(classes::TObject*)
{
    SetPage("pc_getdata", pgSqlBuilder);
    PreviousGetDataPage = pgSqlBuilder;
}

void TFrmDesign::VisualQueryDragOver(classes::TObject*, classes::TObject* source, int, int, ui::TDragState, bool& accept)
{
    accept = dynamic_cast<ui::TListBox*>(source) != nullptr;
}

void TFrmDesign::VisualQueryDragDrop(classes::TObject*, classes::TObject*, int x, int y)
{
    auto* tables = C<ui::TListBox>("lb_tables");
    const int index = tables->ItemIndex();
    if (index < 0) return;
    C<vquery::TmfVQuery>("VisualQuery")->AddTable(tables->Items()->Strings(index), ui::TPoint{x, y}, true);
}

void TFrmDesign::lb_tablesDblClick(classes::TObject*)
{
    auto* tables = C<ui::TListBox>("lb_tables");
    const int index = tables->ItemIndex();
    if (index < 0) return;
    // Clear of the boxes already there: each new table can be seen and grabbed at once.
    auto* query = C<vquery::TmfVQuery>("VisualQuery");
    query->AddTable(tables->Items()->Strings(index), query->PlaceForNewBox({10 + 2 * index, 10 + 2 * index}), true);
}

// ---- Preview and saving -----------------------------------------------------------------------

TPageSettings TFrmDesign::PageSettings() const
{
    TPageSettings s;
    s.split = C<ui::TCheckBox>("cbHTMLMaxRecords")->Checked();
    s.recordsPerPage = C<ui::TSpinEdit>("seHTMLMaxRecords")->Value();
    s.frames = C<ui::TCheckBox>("cb_frame")->Checked();
    s.frameBorder = C<ui::TCheckBox>("cb_frameborder")->Checked();
    s.title = C<ui::TEdit>("edHTMLTitle")->Text();
    s.header = C<editor::TTextMemo>("mmHTMLHeader")->Lines()->Text();
    s.footer = C<editor::TTextMemo>("mmHTMLFooter")->Lines()->Text();
    s.border = C<ui::TSpinEdit>("seHTMLTableBorder")->Value();
    s.padding = C<ui::TSpinEdit>("seHTMLTableCellPadding")->Value();
    s.spacing = C<ui::TSpinEdit>("seHTMLTableCellSpacing")->Value();
    auto* table = C<framedctrls::TFcColorComboBox>("colorbox_table");
    auto* border = C<framedctrls::TFcColorComboBox>("colorbox_border");
    if (table->ItemIndex() > 0) s.tableColor = table->GetSelectedColor();
    if (border->ItemIndex() > 0) s.borderColor = border->GetSelectedColor();
    s.headerNavigation = std::max(C<ui::TComboBox>("cb_header")->ItemIndex(), 0);
    s.footerNavigation = std::max(C<ui::TComboBox>("cb_footer")->ItemIndex(), 0);
    auto* style = C<ui::TComboBox>("cb_style");
    s.style = std::max(style->ItemIndex(), 0);
    if (s.style > 1) {
        s.styleName = style->Items()->Strings(s.style);
        s.templateText = styleText_;
    }
    s.fontName = C<ui::TComboBox>("HTMLDefaultFont")->Text();
    s.fontSize = std::to_string(C<ui::TSpinEdit>("HTMLDefaultFontSize")->Value());
    s.backgroundImage = C<ui::TEdit>("edHTMLBackGround")->Text();
    // The colours as the samples show them (a project restores the samples, not the scheme).
    TExpHtml& c = s.colors;
    c.SetColor(pcPageBackground, C<ui::TPanel>("BackPanel")->Color());
    c.SetColor(pcTableBackground, C<ui::TPanel>("TablePanel")->Color());
    c.SetColor(pcTableBorder, border->GetSelectedColor());
    c.SetColor(pcText, C<ui::TLabel>("lbHTMLDefaultText")->Font()->Color());
    c.SetColor(pcLink, C<ui::TLabel>("lbHTMLLink")->Font()->Color());
    c.SetColor(pcVisitedLink, C<ui::TLabel>("lbHTMLVLink")->Font()->Color());
    c.SetColor(pcActiveLink, C<ui::TLabel>("lbHTMLALink")->Font()->Color());
    c.SetColor(pcHeaderBackground, C<ui::TPanel>("ColHead1")->Color());
    c.SetColor(pcHeaderText, C<ui::TLabel>("Head1")->Font()->Color());
    c.SetColor(pcRowBackground, C<ui::TPanel>("Row1")->Color());
    c.SetColor(pcOddRowBackground, C<ui::TPanel>("oddRow1")->Color());
    c.SetColor(pcDataText, C<ui::TLabel>("Data1")->Font()->Color());
    return s;
}

bool TFrmDesign::RunExport(const std::function<TPageSetReport()>& write)
{
    SetDataControlsDisabled(true);
    const rtl::TScopeExit enable([this] { SetDataControlsDisabled(false); });
    // A query that does not open has shown the driver's message: nothing is written over an
    // unknown result.
    if (!SyncAndOpenQuery()) {
        Warn(kCanNotSavePages);
        return false;
    }
    // An open just now ran AfterOpen, which enables the controls again: the writers walk every
    // row, and the grid must not follow each one.
    SetDataControlsDisabled(true);
    ui::Screen().SetCursor(ui::crHourGlass);
    const rtl::TScopeExit cursor([] { ui::Screen().SetCursor(ui::crDefault); });
    C<ui::TAction>("BackAction")->SetEnabled(false);
    C<ui::TAction>("ForwardAction")->SetEnabled(false);
    try {
        const TPageSetReport report = write();
        SetStatus(std::to_string(report.records) + " records are exported!");
        exportCountShown_ = true;
        if (!report.warnings.empty()) {
            std::string text;
            for (const std::string& w : report.warnings) text += (text.empty() ? "" : "\r\n") + w;
            Warn(text);
        }
        return true;
    } catch (const rtl::EAbort&) {
        throw;
    } catch (const std::exception& ex) {
        Warn(ex.what());
        return false;
    }
}

bool TFrmDesign::ExportHtmlPages(const std::string& fileName)
{
    return RunExport([&] {
        const TPageSettings settings = PageSettings();
        // The grid keeps its rows for browsing; the pages read the statement once more, forward
        // only, so that writing them holds no rows however many there are.
        const std::unique_ptr<db::TForwardQuery> reading = OpenForwardReading(*Query());
        if (!reading) return designer::ExportHtmlPages({settings, columns_, *Query(), {}, host_.layoutStylesDir}, fileName);
        THtmlExport e{settings, columns_, *reading, {}, host_.layoutStylesDir, [&] { return reading->CountRecords(); }};
        return designer::ExportHtmlPages(e, fileName);
    });
}

bool TFrmDesign::ExportAspPages(const std::string& fileName)
{
    return RunExport([&] {
        TAspPageSettings settings;
        static_cast<TPageSettings&>(settings) = PageSettings();
        // The pages open the database this window is connected to: the link's string as it is
        // now, not the one a project stored from the machine it was made on.
        if (const db::TADOConnection* connection = Query()->Connection())
            settings.connectionString = db::ResolveDataLink(connection->ConnectionString());
        const rtl::TStrings* sql = Query()->SQL();
        for (int i = 0; i < sql->Count(); ++i) settings.sqlLines.push_back(sql->Strings(i));
        return designer::ExportAspPages(settings, columns_, *Query(), fileName, host_.layoutStylesDir);
    });
}

void TFrmDesign::RefreshPreview()
{
    if (host_.tempHtmlFile.empty()) return;
    if (ExportHtmlPages(host_.tempHtmlFile) && rtl::FileExists(host_.tempHtmlFile))
        ShowInPreview(host_.tempHtmlFile);
}

void TFrmDesign::ShowRefreshNotice()
{
    const std::string file = rtl::IncludeTrailingPathDelimiter(host_.dataDir) + kRefreshNoticeFile;
    if (!rtl::FileExists(file)) {
        std::string text;
        const auto& lines = RefreshNoticeLines();
        // An empty line follows each line from "<head>" to the table's "</tr>".
        for (std::size_t i = 0; i < lines.size(); ++i) {
            text += lines[i] + "\r\n";
            if (i >= 1 && i <= 14) text += "\r\n";
        }
        // Written once and then only shown: a write cut short must not leave a broken page
        // that is never written again.
        try {
            rtl::SaveFileAtomically(file, text);
        } catch (const std::exception& e) {
            // The notice is a hint; a Data folder that cannot be written leaves the preview as is.
            Warn(e.what());
            return;
        }
    }
    ShowInPreview(file);
}

void TFrmDesign::ShowInPreview(const std::string& file)
{
    previewPage_ = file;
    C<ui::TWebBrowser>("wm_preview")->Navigate(file);
}

void TFrmDesign::BackActionExecute(classes::TObject*) { C<ui::TWebBrowser>("wm_preview")->GoBack(); }

void TFrmDesign::ForwardActionExecute(classes::TObject*) { C<ui::TWebBrowser>("wm_preview")->GoForward(); }

void TFrmDesign::RefreshActionExecute(classes::TObject*) { RefreshPreview(); }

void TFrmDesign::PreviewActionExecute(classes::TObject*)
{
    if (!rtl::OpenWithDesktop(host_.tempHtmlFile)) Warn("Can not open " + host_.tempHtmlFile + ".");
}

void TFrmDesign::wm_previewCommandStateChange(classes::TObject*, int command, bool enable)
{
    if (command == ui::CSC_NAVIGATEFORWARD) C<ui::TAction>("ForwardAction")->SetEnabled(enable);
    if (command == ui::CSC_NAVIGATEBACK) C<ui::TAction>("BackAction")->SetEnabled(enable);
}

bool WritesServerPages(const std::string& fileName, int filterIndex)
{
    const std::string ext = rtl::ExtractFileExt(fileName);
    if (rtl::SameText(ext, ".asp")) return true;
    if (rtl::SameText(ext, ".html") || rtl::SameText(ext, ".htm")) return false;
    return filterIndex == 2;
}

void TFrmDesign::SaveActionExecute(classes::TObject*)
{
    auto* dialog = C<ui::TSaveDialog>("design_savedlg");
    if (!dialog->Execute()) return;
    if (WritesServerPages(dialog->FileName(), dialog->FilterIndex()))
        ExportAspPages(dialog->FileName());
    else
        ExportHtmlPages(dialog->FileName());
}

// ---- Columns -----------------------------------------------------------------------------------

void TFrmDesign::RebuildColumnList(const std::string& mode)
{
    if (!Query()->Active()) return;
    columns_.RebuildColumnList(mode, *Query());
}

void TFrmDesign::ExchangeColumns(int i, int j)
{
    columns_.ExchangeColumns(i, j);
    RebuildGridColumns();
}

void TFrmDesign::RebuildGridColumns()
{
    if (!Query()->Active()) return;
    ApplyGridColumns(GridColumnEntries(columns_, *Query()));
}

void TFrmDesign::ApplyGridColumns(const std::vector<std::string>& entries)
{
    auto* grid = C<grid::TgkDBGrid>("data_grid");
    rtl::TStrings* selected = grid->Selected();
    selected->Clear();
    for (const std::string& entry : entries) selected->Add(entry);
    grid->ApplySelected();
}

void TFrmDesign::ClearGridColumns() { C<grid::TgkDBGrid>("data_grid")->Selected()->Clear(); }

namespace {

// The project's per-column list boxes by name, each with the column model's list it holds.
template <class F>
void ForEachColumnComponent(TColumnModel& m, F&& f)
{
    f("FieldList", m.FieldList);
    f("ShowModeList", m.ShowModeList);
    f("AlignmentList", m.AlignmentList);
    f("ShowDataList", m.ShowDataList);
    f("PrefixList", m.PrefixList);
    f("SuffixList", m.SuffixList);
    f("FormatList", m.FormatList);
    f("HyperlinkTypeList", m.HyperlinkTypeList);
    f("UrlList", m.UrlList);
    f("ParamList", m.ParamList);
    f("TargetList", m.TargetList);
    f("CheckFieldList", m.CheckFieldList);
    f("CheckShowDataList", m.CheckShowDataList);
    f("CheckPrefixList", m.CheckPrefixList);
    f("CheckSuffixList", m.CheckSuffixList);
}

}  // namespace

void TFrmDesign::StoreColumnComponents()
{
    columns_.StoreCheckLists();
    ForEachColumnComponent(columns_, [this](const char* name, const rtl::TStrings& from) {
        C<ui::TListBox>(name)->Items()->Assign(from);
    });
}

void TFrmDesign::LoadColumnComponents()
{
    ForEachColumnComponent(columns_,
                           [this](const char* name, rtl::TStrings& to) { to.Assign(*C<ui::TListBox>(name)->Items()); });
    columns_.LoadCheckFlags();
    columns_.RebuildListView();
}

void TFrmDesign::lv_columnMouseDown(classes::TObject*, ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    auto* view = C<ui::TListView>("lv_column");
    C<ui::TAction>("cmd_columnsetting")->SetEnabled(view->Selected() != nullptr);
    if (button != ui::mbLeft || shift.Contains(ui::ssDouble)) return;
    ui::TListItem* item = view->GetItemAt(x, y);
    if (item == nullptr) return;
    if (item->Index() < columns_.ShowModeList.Count())
        columns_.ShowModeList.Put(item->Index(), item->Checked() ? "Show" : "Hide");
    view->BeginDrag(false);
}

void TFrmDesign::lv_columnItemChecked(classes::TObject*, ui::TListItem* item)
{
    // Mouse or keyboard: the check is the column's shown state.
    if (item == nullptr || item->Index() >= columns_.ShowModeList.Count()) return;
    columns_.ShowModeList.Put(item->Index(), item->Checked() ? "Show" : "Hide");
}

void TFrmDesign::lv_columnDblClick(classes::TObject*)
{
    auto* view = C<ui::TListView>("lv_column");
    C<ui::TAction>("cmd_columnsetting")->SetEnabled(view->Selected() != nullptr);
    if (view->Selected() != nullptr) cmd_columnsettingExecute(this);
}

void TFrmDesign::lv_columnDragOver(classes::TObject* sender, classes::TObject* source, int x, int y, ui::TDragState,
                                   bool& accept)
{
    auto* target = dynamic_cast<ui::TListView*>(sender);
    accept = target != nullptr && dynamic_cast<ui::TListView*>(source) != nullptr && target->GetItemAt(x, y) != nullptr;
}

void TFrmDesign::lv_columnDragDrop(classes::TObject* sender, classes::TObject* source, int x, int y)
{
    auto* view = dynamic_cast<ui::TListView*>(sender);
    if (view == nullptr || source != sender) return;
    ui::TListItem* target = view->GetItemAt(x, y);
    ui::TListItem* dragged = view->Selected();
    if (target == nullptr || dragged == nullptr) return;
    ExchangeColumns(dragged->Index(), target->Index());
}

void TFrmDesign::cmd_columnsettingExecute(classes::TObject*)
{
    auto* view = C<ui::TListView>("lv_column");
    if (view->Selected() == nullptr) return;
    const int column = view->Selected()->Index();
    if (column >= columns_.ColumnCount()) return;
    std::unique_ptr<TFrmFormatColumn> dialog(new TFrmFormatColumn(&ui::Application()));
    dialog->SetSampleQuery(Query());
    TColumnSampleLook look;
    look.HeaderColor = C<ui::TPanel>("ColHead1")->Color();
    look.RowColor = C<ui::TPanel>("Row1")->Color();
    look.OddRowColor = C<ui::TPanel>("oddRow1")->Color();
    look.PageColor = C<ui::TPanel>("BackPanel")->Color();
    look.TextColor = C<ui::TLabel>("lbHTMLDefaultText")->Font()->Color();
    look.HeaderFont = C<ui::TLabel>("Head1")->Font();
    look.DataFont = C<ui::TLabel>("Data1")->Font();
    dialog->SetSampleLook(look);
    dialog->Execute(columns_, column);
}

void TFrmDesign::cmd_columnresetExecute(classes::TObject*)
{
    RebuildColumnList("Reset");
    if (C<ui::TComboBox>("cb_style")->ItemIndex() > 1) LoadLayoutStyle();
}

// ---- Registration ------------------------------------------------------------------------------

void RegisterDesignClasses()
{
    framedctrls::RegisterFramedClasses();
    grid::RegisterPublishedGridClasses();
    classes::RegisterClasses<vquery::TmfVQuery, editor::TTextMemo>();
}

}  // namespace designer
