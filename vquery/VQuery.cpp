#include "vquery/VQuery.h"

#include <algorithm>
#include <climits>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Dialogs.h"
#include "vquery/Dialogs.h"
#include "vquery/Glyphs.h"

namespace vquery {

namespace {

constexpr unsigned WM_VQ_REMOVETABLE = ui::WM_USER + 1;
constexpr unsigned WM_VQ_REMOVEJOIN = ui::WM_USER + 2;

ui::TMenuItem* MenuItem(classes::TComponent* owner, const std::string& name, const std::string& caption,
                        std::function<void()> onClick = {})
{
    auto* item = new ui::TMenuItem(owner);
    if (!name.empty()) item->SetName(name);
    item->SetCaption(caption);
    if (onClick) item->OnClick = [onClick](classes::TObject*) { onClick(); };
    return item;
}

void ErrorBox(const std::string& text) { ui::MessageDlg(text, ui::mtError, {ui::mbOK}); }
void WarningBox(const std::string& text) { ui::MessageDlg(text, ui::mtWarning, {ui::mbOK}); }

}  // namespace

// ---- Fields -----------------------------------------------------------------------------------

TmfVQueryFields::TmfVQueryFields(classes::TComponent* owner) : table_(dynamic_cast<TmfVQueryTable*>(owner))
{
    if (owner == nullptr) throw rtl::EInvalidOperation("A Vfield can only be created with a parent Vtable");
    if (table_ == nullptr) throw rtl::EInvalidOperation("The parent of a VQueryField  must be type TmfVQueryTable");
}

TmfVQueryField* TmfVQueryFields::Add()
{
    items_.push_back(std::make_unique<TmfVQueryField>(table_->Query(), table_));
    return items_.back().get();
}

GW_IMPLEMENT_CLASS(TmfVQueryListBox, ui::TCheckListBox) {}

TmfVQueryListBox::TmfVQueryListBox(classes::TComponent* owner, TmfVQueryTable* table)
    : TCheckListBox(owner), table_(table)
{
    SetStyle(ui::lbOwnerDrawFixed);
    SetItemHeight(16);
}

TmfVQueryField* TmfVQueryListBox::Field(int index) const
{
    if (index < 0 || index >= items_.Count()) return nullptr;
    return items_.ObjectAs<TmfVQueryField*>(index);
}

int TmfVQueryListBox::IndexOfField(const TmfVQueryField* field) const
{
    for (int i = 0; i < items_.Count(); ++i)
        if (items_.ObjectAs<TmfVQueryField*>(i) == field) return i;
    return -1;
}

void TmfVQueryListBox::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    const int index = ItemAtPos({x, y}, true);
    TmfVQuery* query = table_->Query();
    table_->SetCurrentField(Field(index));
    query->SetCurrentField(Field(index));
    if (!table_->Selected()) query->SelectOnly(table_);
    if (button == ui::mbRight && index >= 0) SetItemIndex(index);
    TCheckListBox::MouseDown(button, shift, x, y);
    if (button == ui::mbRight && index >= 0) table_->PopupField(index, x, y);
    if (button == ui::mbLeft && index >= 0 && !shift.Contains(ui::ssDouble)) BeginDrag(false);
}

void TmfVQueryListBox::DragOver(classes::TObject* source, int x, int y, ui::TDragState state, bool& accept)
{
    TCheckListBox::DragOver(source, x, y, state, accept);
    accept = dynamic_cast<TmfVQueryListBox*>(source) != nullptr;
    if (!accept) return;
    const int index = ItemAtPos({x, y}, true);
    if (index >= 0) SetItemIndex(index);
}

void TmfVQueryListBox::DragDrop(classes::TObject* source, int x, int y)
{
    TCheckListBox::DragDrop(source, x, y);
    auto* from = dynamic_cast<TmfVQueryListBox*>(source);
    if (from == nullptr) return;
    const int target = ItemAtPos({x, y}, true);
    if (target < 0) return;
    TmfVQueryField* sourceField = from->Table()->CurrentField();
    if (sourceField == nullptr) return;
    if (from != this) {
        TmfVQueryField* destField = Field(target);
        table_->Query()->AddJoin(sourceField, destField, sourceField->DisplayName + " = " + destField->DisplayName);
        Invalidate();
        return;
    }
    const int current = IndexOfField(sourceField);
    if (current < 0 || current == target) return;
    items_.Move(current, target);
    SetItemIndex(target);
    table_->Query()->UpdateJoinLinks();
}

// A glyph drawn leaving out its pure green.
void DrawGlyph(ui::TCanvas& canvas, int x, int y, const ui::TPicture& picture)
{
    if (picture.Empty()) return;
    ui::TBitmap glyph(picture.Width(), picture.Height());
    for (int py = 0; py < picture.Height(); ++py)
        for (int px = 0; px < picture.Width(); ++px) {
            const std::uint32_t argb = picture.Pixel(px, py);
            glyph.SetPixel(px, py, static_cast<rtl::TColor>(((argb >> 16) & 0xFF) | (argb & 0xFF00) | ((argb & 0xFF) << 16)));
        }
    glyph.SetTransparent(true);
    glyph.SetTransparentColor(0x00FF00);
    canvas.StretchDraw({x, y, x + 16, y + 16}, glyph);
}

void TmfVQueryListBox::TopIndexChanged()
{
    if (table_ != nullptr && table_->Query() != nullptr) table_->Query()->UpdateJoinLinks();
}

void TmfVQueryListBox::DrawItem(int index, const ui::TRect& rect, ui::TOwnerDrawState /*state*/)
{
    ui::TCanvas& c = *Canvas();
    c.Brush()->SetStyle(ui::bsSolid);
    c.Brush()->SetColor(rtl::clWhite);
    c.FillRect(rect);
    TmfVQueryField* f = Field(index);
    if (f == nullptr) return;
    TmfVQuery& q = *table_->Query();
    c.SetFont(*q.Font());
    classes::TFontStyles style = c.Font()->Style();
    if (f->Required) style.Include(classes::fsBold);
    c.Font()->SetStyle(style);
    c.Brush()->SetStyle(ui::bsClear);
    c.TextOut(rect.Left + 2, rect.Top + 2, Items()->Strings(index));
    bool filtered = false;
    for (int i = 0; i < q.Criterias().Count(); ++i) filtered = filtered || q.Criterias().Items(i)->SourceField() == f;
    if (filtered) DrawGlyph(c, rect.Right - 42, rect.Top, *q.FilterPic());
    for (int i = 0; i < q.SortCount(); ++i)
        if (q.SortField(i) == f) {
            DrawGlyph(c, rect.Right - 16, rect.Top, f->SortDirection == 1 ? *q.SortASCPic() : *q.SortDESCPic());
            c.Font()->SetStyle({});
            c.TextOut(rect.Right - 24, rect.Top + 2, std::to_string(i + 1));
            break;
        }
    c.Brush()->SetStyle(ui::bsSolid);
}

void TmfVQueryListBox::DoEndDrag(classes::TObject* target, int x, int y)
{
    TCheckListBox::DoEndDrag(target, x, y);
    TmfVQuery* query = table_->Query();
    if (target == nullptr || target != query->SortListBox() || query->CurrentField() == nullptr) return;
    query->AddSortField(query->CurrentField(), true);
}

// ---- Table boxes -------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TmfVQueryTable, ui::TCustomControl) {}

namespace {
TmfVQuery* RequireQuery(classes::TComponent* parent)
{
    if (parent == nullptr) throw rtl::EInvalidOperation("A VTable can only be created with a parent VQuery");
    auto* query = dynamic_cast<TmfVQuery*>(parent);
    if (query == nullptr) throw rtl::EInvalidOperation("The parent of a VTable  must be type TmfVQuery");
    return query;
}
}  // namespace

TmfVQueryTable::TmfVQueryTable(classes::TComponent* parent) : TCustomControl(RequireQuery(parent)), query_(RequireQuery(parent))
{
    SetParent(query_);
    SetBounds(0, 0, kBoxWidth, kBoxHeight);
    SetCaption("");
    list_ = new TmfVQueryListBox(this, this);
    list_->SetParent(this);
    aliasStrip_ = new ui::TPanel(this);
    aliasStrip_->SetParent(this);
    aliasStrip_->SetBevelOuter(ui::bvLowered);
    aliasStrip_->SetCaption("Table Alias");
    fields_ = std::make_unique<TmfVQueryFields>(this);
    aliasStrip_->OnDblClick = [this](classes::TObject*) { EditAlias(); };
    MakePopups();
    SetBounds(Left(), Top(), Width(), Height());
}

void TmfVQueryTable::MakePopups()
{
    boxPopup_ = new ui::TPopupMenu(this);
    mnuSelectBox_ = MenuItem(this, "", "Select This Box", [this] { SetSelected(!selected_); });
    boxPopup_->Items()->Add(mnuSelectBox_);
    boxPopup_->Items()->Add(MenuItem(this, "", "Select All Items", [this] {
        for (int i = 0; i < list_->Items()->Count(); ++i) list_->SetChecked(i, true);
    }));
    boxPopup_->Items()->Add(MenuItem(this, "", "Select No Items", [this] {
        for (int i = 0; i < list_->Items()->Count(); ++i) list_->SetChecked(i, false);
    }));
    boxPopup_->Items()->Add(MenuItem(this, "", "Delete This Box", [this] { query_->PostRemoveTable(this); }));
    ui::TMenuItem* join = MenuItem(this, "", "Join Boxes");
    join->SetEnabled(false);
    boxPopup_->Items()->Add(join);

    fieldPopup_ = new ui::TPopupMenu(this);
    fieldPopup_->SetName("popup_field");
    ui::TMenuItem* sort = MenuItem(this, "mnu_sort", "Sort");
    mnuSortNone_ = MenuItem(this, "mnu_sortnone", "Sort None", [this] { SetCurrentFieldSort(0); });
    mnuSortAsc_ = MenuItem(this, "mnu_sortasc", "Sort Ascending", [this] { SetCurrentFieldSort(1); });
    mnuSortDesc_ = MenuItem(this, "mnu_sortdesc", "Sort Descending", [this] { SetCurrentFieldSort(2); });
    for (ui::TMenuItem* radio : {mnuSortNone_, mnuSortAsc_, mnuSortDesc_}) {
        radio->SetRadioItem(true);
        radio->SetGroupIndex(1);
        sort->Add(radio);
    }
    sort->Add(MenuItem(this, "", "-"));
    sort->Add(MenuItem(this, "mnu_sortorder", "Sort Order...", [this] { query_->ShowSortOrder(); }));
    fieldPopup_->Items()->Add(sort);
    fieldPopup_->Items()->Add(MenuItem(this, "mnu_rename", "Rename", [this] { RenameCurrentField(); }));
    fieldPopup_->Items()->Add(MenuItem(this, "", "-"));
    fieldPopup_->Items()->Add(MenuItem(this, "mnu_filter", "Filter", [this] {
        if (!query_->UseDefaultFilterDialog)
            query_->OnVTableShowFilterDlg(query_);
        else if (query_->ShowCriteriaDialog(currentField_))
            list_->Invalidate();
    }));
}

void TmfVQueryTable::EditAlias()
{
    std::string alias = Alias();
    if (ui::InputQuery("Table Alias Name: " + Alias(), "New Alias", alias)) SetAlias(alias);
}

void TmfVQueryTable::RenameCurrentField()
{
    TmfVQueryField* f = currentField_;
    if (f == nullptr) return;
    std::string name = f->DisplayName;
    if (!ui::InputQuery("Field Name: " + f->DisplayName + " [" + f->FieldName + "]", "New Field Name", name)) return;
    f->DisplayName = name;
    const int row = list_->IndexOfField(f);
    if (row >= 0) list_->Items()->Put(row, name);
}

void TmfVQueryTable::SetCurrentFieldSort(int direction)
{
    TmfVQueryField* f = currentField_;
    if (f == nullptr) return;
    bool inList = false;
    for (int i = 0; i < query_->SortCount(); ++i) inList = inList || query_->SortField(i) == f;
    if (direction == 0) {
        if (inList) query_->RemoveSortField(f);
    } else if (!inList) {
        if (!query_->AddSortField(f, direction == 1)) return;  // refused: the state stays
    } else {
        f->SortDirection = direction;
    }
    mnuSortNone_->SetChecked(direction == 0);
    mnuSortAsc_->SetChecked(direction == 1);
    mnuSortDesc_->SetChecked(direction == 2);
    list_->Invalidate();
}

void TmfVQueryTable::PopupField(int index, int x, int y)
{
    TmfVQueryField* f = list_->Field(index);
    if (f == nullptr) return;
    bool inList = false;
    for (int i = 0; i < query_->SortCount(); ++i) inList = inList || query_->SortField(i) == f;
    mnuSortNone_->SetChecked(!inList);
    mnuSortAsc_->SetChecked(inList && f->SortDirection == 1);
    mnuSortDesc_->SetChecked(inList && f->SortDirection != 1);
    const ui::TPoint at = list_->ClientToScreen({x + 7, y + 17});
    fieldPopup_->SetPopupComponent(list_);
    fieldPopup_->Popup(at.X, at.Y);
}

TmfVQueryTable::~TmfVQueryTable() = default;

void TmfVQueryTable::SetBounds(int left, int top, int width, int height)
{
    TCustomControl::SetBounds(left, top, width, height);
    if (list_ == nullptr || aliasStrip_ == nullptr) return;  // still being made
    const TBoxLayout layout = LayoutBox(width, height);
    list_->SetBounds(layout.list.Left, layout.list.Top, layout.list.Width(), layout.list.Height());
    aliasStrip_->SetBounds(layout.alias.Left, layout.alias.Top, layout.alias.Width(), layout.alias.Height());
    query_->UpdateJoinLinks();
    query_->UpdateScrollRange();
}

void TmfVQueryTable::Paint() { PaintBox(*Canvas(), Width(), Height(), selected_, Caption(), *Font()); }

void TmfVQueryTable::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    const TBoxZone zone = BoxHitTest(x, y, Width(), Height());
    if (button == ui::mbRight) {
        if (zone == bzClient) return;
        mnuSelectBox_->SetChecked(selected_);
        const ui::TPoint at = ClientToScreen({x, y});
        boxPopup_->SetPopupComponent(this);
        boxPopup_->Popup(at.X, at.Y);
        return;
    }
    if (button != ui::mbLeft) return;
    if (zone == bzClient) return;
    if (zone == bzCaption) {
        const bool wasSelected = selected_;
        query_->SelectOnly(nullptr);
        SetSelected(!wasSelected);
    }
    dragZone_ = zone;
    dragStart_ = ClientToScreen({x, y});
    dragBounds_ = BoundsRect();
    if (Peer() != nullptr) Peer()->SetMouseCapture(true);
}

void TmfVQueryTable::MouseMove(ui::TShiftState shift, int x, int y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (dragZone_ == bzClient) return;
    const ui::TPoint now = ClientToScreen({x, y});
    const int dx = now.X - dragStart_.X, dy = now.Y - dragStart_.Y;
    ui::TRect r = dragBounds_;
    if (dragZone_ == bzCaption) {
        r = {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
    } else {
        const bool left = dragZone_ == bzLeft || dragZone_ == bzTopLeft || dragZone_ == bzBottomLeft;
        const bool right = dragZone_ == bzRight || dragZone_ == bzTopRight || dragZone_ == bzBottomRight;
        const bool top = dragZone_ == bzTop || dragZone_ == bzTopLeft || dragZone_ == bzTopRight;
        const bool bottom = dragZone_ == bzBottom || dragZone_ == bzBottomLeft || dragZone_ == bzBottomRight;
        if (left) r.Left += dx;
        if (right) r.Right += dx;
        if (top) r.Top += dy;
        if (bottom) r.Bottom += dy;
        r = LimitBoxSize(r, dragZone_);
    }
    if (r != BoundsRect()) SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TmfVQueryTable::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    if (dragZone_ != bzClient && button == ui::mbLeft) {
        dragZone_ = bzClient;
        if (Peer() != nullptr) Peer()->SetMouseCapture(false);
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void TmfVQueryTable::SetSelected(bool selected)
{
    if (selected == selected_) return;
    selected_ = selected;
    if (mnuSelectBox_ != nullptr) mnuSelectBox_->SetChecked(selected);
    if (!selected) list_->SetItemIndex(-1);
    Invalidate();
    if (selected) query_->OnVTableSelect(this);
}

void TmfVQueryTable::SetTableName(const std::string& name)
{
    tableName_ = name;
    UpdateNames();
}

void TmfVQueryTable::SetOwnerName(const std::string& name)
{
    ownerName_ = name;
    UpdateNames();
}

void TmfVQueryTable::UpdateNames()
{
    std::string caption;
    if (!ownerName_.empty() && rtl::UpperCase(ownerName_) != "PUBLIC") {
        dbTableName_ = query_->QuoteName(ownerName_) + "." + query_->QuoteName(tableName_);
        caption = rtl::UpperCase(ownerName_ + "." + tableName_);
    } else {
        dbTableName_ = query_->QuoteName(tableName_);
        caption = rtl::UpperCase(tableName_);
    }
    if (caption != Caption()) SetCaption(caption);
}

TmfVQueryField* TmfVQueryTable::AddField(const std::string& fieldName, const std::string& displayName,
                                         db::TFieldType type, bool checked)
{
    TmfVQueryField* f = fields_->Add();
    f->FieldName = fieldName;
    f->DisplayName = displayName;
    f->DataType = type;
    const int index = list_->Items()->AddObject(displayName, f);
    list_->SetChecked(index, checked);
    return f;
}

// ---- Joins and criteria ----------------------------------------------------------------------

TmfVQueryJoin::TmfVQueryJoin(TmfVQuery* query) : Color(query->JoinDefaultColor), SelColor(query->JoinDefaultSelColor) {}

std::string TmfVQueryJoin::GetDisplayText() const
{
    return (SourceField ? SourceField->DisplayName : std::string()) + " " + CompareOperator + " " +
           (DestField ? DestField->DisplayName : std::string());
}

void TmfVQueryCriteria::SetLiteral(const std::string& literal)
{
    literal_ = literal;
    destField_ = nullptr;
}

void TmfVQueryCriteria::SetSourceField(TmfVQueryField* field)
{
    sourceField_ = field;
    sourceExpression_.clear();
}

void TmfVQueryCriteria::Assign(const TmfVQueryCriteria& source)
{
    Operator = source.Operator;
    sourceField_ = source.sourceField_;
    destField_ = source.destField_;
    literal_ = source.literal_;
    sourceExpression_ = source.sourceExpression_;
}

std::string TmfVQueryCriteria::QuoteLiteral(const std::string& text, db::TFieldType type)
{
    switch (type) {
    case db::ftString:
    case db::ftDate:
    case db::ftTime:
    case db::ftDateTime:
    case db::ftMemo:
    case db::ftFixedChar:
    case db::ftWideString: {
        std::string out = "'";
        for (char c : text) {
            out += c;
            if (c == '\'') out += '\'';
        }
        return out + "'";
    }
    default: return text;
    }
}

std::string TmfVQueryCriteria::GetText() const
{
    const TmfVQuery& q = *owner_->Query();
    const auto ref = [&](const TmfVQueryField& f) { return q.QuoteName(f.Table->Alias()) + "." + q.QuoteName(f.FieldName); };
    const std::string source = sourceField_ ? ref(*sourceField_) : sourceExpression_;
    std::string dest;
    if (destField_)
        dest = ref(*destField_);
    else if (sourceField_)
        dest = QuoteLiteral(literal_, sourceField_->DataType);
    else
        dest = literal_;
    const std::string connector = owner_->IndexOf(this) == 0 ? "" : "And";
    return connector + " ( " + source + " " + Operator + " " + dest + " ) ";
}

int TmfVQueryCriterias::IndexOf(const TmfVQueryCriteria* c) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == c) return static_cast<int>(i);
    return -1;
}

TmfVQueryCriteria* TmfVQueryCriterias::Add(TmfVQueryField* source)
{
    // A calculated column is no column of the table: a filter on it would name nothing.
    if (source != nullptr && source->Calculated) {
        ErrorBox("Calculated Field can not filter");
        return nullptr;
    }
    if (query_->MaxFilterCount >= 0 && Count() == query_->MaxFilterCount) {
        WarningBox(query_->MaxFilterMessage.empty() ? "Can not add filter more than " + std::to_string(query_->MaxFilterCount)
                                                    : query_->MaxFilterMessage);
        return nullptr;
    }
    items_.push_back(std::make_unique<TmfVQueryCriteria>(this));
    if (source != nullptr) items_.back()->SetSourceField(source);
    return items_.back().get();
}

void TmfVQueryCriterias::Delete(int index) { items_.erase(items_.begin() + index); }

std::vector<TmfVQueryCriteria> TmfVQueryCriterias::Snapshot() const
{
    std::vector<TmfVQueryCriteria> copies;
    for (const auto& c : items_) copies.push_back(*c);
    return copies;
}

void TmfVQueryCriterias::Restore(const std::vector<TmfVQueryCriteria>& copies)
{
    items_.clear();
    for (const TmfVQueryCriteria& c : copies) items_.push_back(std::make_unique<TmfVQueryCriteria>(c));
}

// ---- Join lines --------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TmfVQueryJoinLayer, ui::TCustomControl) {}

TmfVQueryJoinLayer::TmfVQueryJoinLayer(TmfVQuery* query) : TCustomControl(query), query_(query)
{
    SetParentColor(true);
    SetParent(query);
}

void TmfVQueryJoinLayer::Paint()
{
    for (int i = 0; i < query_->GetJoinCount(); ++i) {
        const TmfVQueryJoin& j = *query_->GetJoin(i);
        if (j.SourceField == nullptr || j.DestField == nullptr) continue;
        PaintJoinLine(*Canvas(), j.Line, {Left(), Top()}, j.Selected, j.Color, j.SelColor,
                      query_->ShowJoinCaptions ? j.GetDisplayText() : std::string());
    }
}

void TmfVQueryJoinLayer::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (button == ui::mbRight) query_->PopupLinkAt({x + Left(), y + Top()}, ClientToScreen({x, y}));
}

void TmfVQueryJoinLayer::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != ui::mbLeft) return;
    TmfVQueryJoin* join = query_->JoinAt({x + Left(), y + Top()});
    if (join == nullptr) return;
    query_->SelectJoin(join->Selected ? nullptr : join);
}

// ---- The query ---------------------------------------------------------------------------------

const classes::TEnumInfo& ConnectionTypeInfo()
{
    static const classes::TEnumInfo info{"TConnectionType", {"ctBDE", "ctADO"}};
    return info;
}

// Published in the order the component's users know them.
#define GW_VQ_BOOL(Name, Def)                                                                              \
    p.Boolean(#Name, [](const TmfVQuery& q) { return q.Name; }, [](TmfVQuery& q, bool v) { q.Name = v; }, Def)
#define GW_VQ_TEXT(Name, Def)                                                                                   \
    p.String(#Name, [](const TmfVQuery& q) { return q.Name; }, [](TmfVQuery& q, const std::string& v) { q.Name = v; }, \
             Def)

GW_IMPLEMENT_CLASS(TmfVQuery, ui::TScrollBox)
{
    p.Enumeration("ConnectionType", ConnectionTypeInfo(), &TmfVQuery::ConnectionType, &TmfVQuery::SetConnectionType, ctBDE);
    p.Component<db::TADOConnection>("ADOConnection", &TmfVQuery::ADOConnectionOrNull, &TmfVQuery::SetADOConnection);
    p.Component<ui::TListBox>("DBTableListBox", &TmfVQuery::DBTableListBox, &TmfVQuery::SetDBTableListBox);
    p.Component<ui::TListBox>("LoadTableListBox", &TmfVQuery::LoadTableListBox, &TmfVQuery::SetLoadTableListBox);
    p.Component<ui::TListBox>("SortListBox", &TmfVQuery::SortListBox, &TmfVQuery::SetSortListBox);
    GW_VQ_BOOL(AllowDuplicateJoins, false);
    GW_VQ_BOOL(AutoSizeTable, true);
    p.Color("JoinDefaultColor", [](const TmfVQuery& q) { return q.JoinDefaultColor; },
            [](TmfVQuery& q, rtl::TColor c) { q.JoinDefaultColor = c; }, rtl::clBlack);
    p.Color("JoinDefaultSelColor", [](const TmfVQuery& q) { return q.JoinDefaultSelColor; },
            [](TmfVQuery& q, rtl::TColor c) { q.JoinDefaultSelColor = c; }, rtl::clHighlight);
    GW_VQ_BOOL(LogicalSQLNames, false);
    GW_VQ_BOOL(SelectDistinct, false);
    GW_VQ_BOOL(ShowJoinCaptions, true);
    GW_VQ_BOOL(ShowJoinComment, false);
    GW_VQ_BOOL(AdvanceJoin, false);
    GW_VQ_BOOL(ShowSystemTables, false);
    GW_VQ_BOOL(ShowSynonyms, false);
    GW_VQ_BOOL(ShowSystemViews, false);
    GW_VQ_BOOL(ShowViews, false);
    GW_VQ_TEXT(SQLCommentStartChars, "/*");
    GW_VQ_TEXT(SQLCommentEndChars, "*/");
    p.Boolean("UseDefaultQuoteChars", &TmfVQuery::UseDefaultQuoteChars, &TmfVQuery::SetUseDefaultQuoteChars, true);
    p.String("CustomQuoteChars", &TmfVQuery::CustomQuoteChars, &TmfVQuery::SetCustomQuoteChars);
    GW_VQ_BOOL(UseDefaultFilterDialog, true);
    GW_VQ_BOOL(UseDefaultSqlViewerDialog, true);
    p.Object("FilterPic", [](const TmfVQuery& q) { return &q.filterPic_; });
    p.Object("SortASCPic", [](const TmfVQuery& q) { return &q.sortAscPic_; });
    p.Object("SortDESCPic", [](const TmfVQuery& q) { return &q.sortDescPic_; });
    p.Enumeration("BevelInner", ui::BevelCutInfo(), &TmfVQuery::BevelInner, &TmfVQuery::SetBevelInner, ui::bvRaised);
    p.Enumeration("BevelOuter", ui::BevelCutInfo(), &TmfVQuery::BevelOuter, &TmfVQuery::SetBevelOuter, ui::bvLowered);
    p.Integer("BorderWidth", &TmfVQuery::BorderWidth, &TmfVQuery::SetBorderWidth, 0);
    p.Event("OnVJoinClick", &TmfVQuery::OnVJoinClick);
    p.Event("OnVTableAdd", &TmfVQuery::OnVTableAdd);
    p.Event("OnVTableMove", &TmfVQuery::OnVTableMove);
    p.Event("OnVTableRemove", &TmfVQuery::OnVTableRemove);
    p.Event("OnVTableSelect", &TmfVQuery::OnVTableSelect);
    p.Event("OnVTableShowFilterDlg", &TmfVQuery::OnVTableShowFilterDlg);
}
#undef GW_VQ_BOOL
#undef GW_VQ_TEXT

void TmfVQuery::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TScrollBox::Notification(component, operation);
    if (operation != classes::opRemove) return;
    if (component == adoConnection_) adoConnection_ = nullptr;
    if (component == dbTableListBox_) dbTableListBox_ = nullptr;
    if (component == loadTableListBox_) loadTableListBox_ = nullptr;
    if (component == sortListBox_) sortListBox_ = nullptr;
}

TmfVQuery::TmfVQuery(classes::TComponent* owner)
    : TScrollBox(owner), JoinDefaultColor(rtl::clBlack), JoinDefaultSelColor(rtl::clHighlight), criterias_(this)
{
    tables_.reserve(20);
    joinLayer_ = new TmfVQueryJoinLayer(this);  // first child: every box lies above it
    PlaceJoinLayer();
    linkPopup_ = new ui::TPopupMenu(this);
    linkPopup_->SetName("popup_link");
    linkPopup_->Items()->Add(MenuItem(this, "mnu_dellink", "Delete Link", [this] {
        if (popupJoin_ != nullptr) PostRemoveJoin(popupJoin_);
    }));
    linkPopup_->Items()->Add(MenuItem(this, "mnu_changecompare", "Join Properties", [this] {
        if (popupJoin_ != nullptr) ShowJoinProperties(*popupJoin_);
    }));
    mainPopup_ = new ui::TPopupMenu(this);
    mainPopup_->SetName("popup_main");
    mainPopup_->Items()->Add(MenuItem(this, "mnu_addtable", "Add Table...", [this] { AddTableMenuClick(); }));
    mainPopup_->Items()->Add(MenuItem(this, "mnu_sqlviewer", "SQL Viewer...", [this] { ShowSqlViewer(); }));
    distinctItem_ = MenuItem(this, "mnu_distinct", "Distinct", [this] {
        SelectDistinct = !SelectDistinct;
        distinctItem_->SetChecked(SelectDistinct);
    });
    mainPopup_->Items()->Add(distinctItem_);
    filterPic_.LoadFromBytes(GlyphBitmap("FILTER_BMP"));
    sortAscPic_.LoadFromBytes(GlyphBitmap("SORTASC_BMP"));
    sortDescPic_.LoadFromBytes(GlyphBitmap("SORTDESC_BMP"));
    ReadSQLSettings();
}

TmfVQuery::~TmfVQuery()
{
    criterias_.Clear();
    joins_.clear();
    sortList_.clear();
}

void TmfVQuery::SetConnectionType(TConnectionType type)
{
    if (type == connectionType_) return;
    if (type == ctBDE && adoConnection_ != nullptr) {
        if (adoConnection_->Connected())
            throw rtl::EInvalidOperation("Can not change connection type, ADOConnection still connected");
        adoConnection_ = nullptr;
    }
    connectionType_ = type;
}

db::TADOConnection* TmfVQuery::ADOConnection() const
{
    if (adoConnection_ == nullptr) throw rtl::EInvalidOperation("No ADOConnection has been assigned to " + ClassName());
    return adoConnection_;
}

classes::TComponent* TmfVQuery::Database() const
{
    if (connectionType_ == ctBDE) throw rtl::EInvalidOperation("No Database has been assigned to " + ClassName());
    return nullptr;
}

void TmfVQuery::SetADOConnection(db::TADOConnection* connection)
{
    adoConnection_ = connection;
    if (connection != nullptr) connection->FreeNotification(this);
    if (connectionType_ == ctADO) SetupADOInfo();
}

void TmfVQuery::SetDBTableListBox(ui::TListBox* box)
{
    dbTableListBox_ = box;
    if (box != nullptr) box->FreeNotification(this);
}

void TmfVQuery::SetLoadTableListBox(ui::TListBox* box)
{
    loadTableListBox_ = box;
    if (box != nullptr) box->FreeNotification(this);
}

void TmfVQuery::SetSortListBox(ui::TListBox* box)
{
    sortListBox_ = box;
    if (box != nullptr) box->FreeNotification(this);
    RefillSortListBox();
}

void TmfVQuery::SetUseDefaultQuoteChars(bool on)
{
    if (on == useDefaultQuoteChars_) return;
    useDefaultQuoteChars_ = on;
    SetQuoteChars(on ? app::ado::GetQuoteChars(adoConnection_) : customQuoteChars_);
}

void TmfVQuery::SetQuoteChars(const std::string& quote)
{
    quoteChars_ = quote;
    for (TmfVQueryTable* box : tables_) box->UpdateNames();
}

void TmfVQuery::SetSpecialChars(const std::string& special)
{
    specialChars_ = special;
    for (TmfVQueryTable* box : tables_) box->UpdateNames();
}

void TmfVQuery::SetIdentifierCase(app::ado::TIdentifierCase c)
{
    identifierCase_ = c;
    for (TmfVQueryTable* box : tables_) box->UpdateNames();
}

// ---- Boxes -----------------------------------------------------------------------------------

TmfVQueryTable* TmfVQuery::AddTableFromDescriptor(ui::TPoint position, app::ado::TQADOTable* descriptor, bool checkAll)
{
    if (position.X < 0 || position.Y < 0) position = {5, 5};
    auto* box = new TmfVQueryTable(this);
    box->SetBounds(position.X, position.Y, box->Width(), box->Height());
    tables_.push_back(box);
    if (descriptor != nullptr) {
        for (int i = 0; i < descriptor->GetFieldCount(); ++i) {
            const app::ado::TQADOField* column = descriptor->GetField(i);
            box->AddField(column->GetName(), column->GetName(), db::DataTypeToFieldType(column->GetDataType(), false),
                          checkAll);
        }
        box->SetTableName(descriptor->TableName());
        box->SetOwnerName(descriptor->Schema());
        box->SetAlias(MakeUniqueAlias(descriptor->TableName()));
    }
    UpdateScrollRange();
    return box;
}

TmfVQueryTable* TmfVQuery::AddTable(const std::string& tableName, ui::TPoint position, bool checkAll)
{
    if (connectionType_ != ctADO && connectionType_ != ctBDE) throw rtl::EInvalidOperation("Invalid Connection Type");
    app::ado::TQADOTable* descriptor = nullptr;
    if (connectionType_ == ctADO) {
        const int index = tableNames_.IndexOf(rtl::UpperCase(tableName));
        if (index >= 0) descriptor = app::ado::TableOf(tableNames_, index);
    }
    return AddTableFromDescriptor(position, descriptor, checkAll);
}

ui::TPoint TmfVQuery::PlaceForNewBox(ui::TPoint wanted) const
{
    std::vector<ui::TRect> taken;
    for (const TmfVQueryTable* box : tables_) taken.push_back(box->BoundsRect());
    return FreeBoxPlace(taken, wanted, {kBoxWidth, kBoxHeight}, ClientWidth());
}

void TmfVQuery::ForgetTable(TmfVQueryTable* box)
{
    if (currentField_ != nullptr && currentField_->Table == box) currentField_ = nullptr;
    for (int j = GetJoinCount() - 1; j >= 0; --j) {
        TmfVQueryJoin* join = joins_[static_cast<std::size_t>(j)].get();
        if (join->SourceTable() == box || join->DestTable() == box) RemoveJoin(join);
    }
    for (int k = SortCount() - 1; k >= 0; --k)
        if (sortList_[static_cast<std::size_t>(k)]->Table == box) RemoveSortField(sortList_[static_cast<std::size_t>(k)]);
    for (int c = criterias_.Count() - 1; c >= 0; --c) {
        const TmfVQueryCriteria* crit = criterias_.Items(c);
        if ((crit->SourceField() && crit->SourceField()->Table == box) ||
            (crit->DestField() && crit->DestField()->Table == box))
            criterias_.Delete(c);
    }
}

void TmfVQuery::RemoveTable(TmfVQueryTable* box)
{
    const auto it = std::find(tables_.begin(), tables_.end(), box);
    if (it == tables_.end()) return;
    ForgetTable(box);
    tables_.erase(it);
    OnVTableRemove(box);
    delete box;
    UpdateScrollRange();
}

void TmfVQuery::RemoveAllTables()
{
    while (!tables_.empty()) RemoveTable(tables_.back());
}

std::string TmfVQuery::MakeUniqueAlias(const std::string& name) const
{
    std::string candidate = name;
    for (int k = 1;; ++k) {
        const bool taken = std::any_of(tables_.begin(), tables_.end(),
                                       [&](const TmfVQueryTable* b) { return b->Alias() == candidate; });
        if (!taken) return candidate;
        candidate = name + std::to_string(k);
    }
}

void TmfVQuery::UpdateScrollRange()
{
    long long right = 0, bottom = 0;
    for (const TmfVQueryTable* b : tables_) {
        right = std::max(right, static_cast<long long>(b->Left()) + b->Width());
        bottom = std::max(bottom, static_cast<long long>(b->Top()) + b->Height());
    }
    const auto clampInt = [](long long v) { return static_cast<int>(std::min<long long>(v, INT_MAX)); };
    scrollRange_ = {clampInt(right), clampInt(bottom)};
    PlaceJoinLayer();
}

void TmfVQuery::Resize()
{
    TScrollBox::Resize();
    PlaceJoinLayer();
}

void TmfVQuery::PlaceJoinLayer()
{
    if (joinLayer_ == nullptr) return;
    // As large as the boxes' extent (every line lies within it), never larger: a layer that
    // filled the client area would give the scroll box bars of its own.
    const int w = scrollRange_.X, h = scrollRange_.Y;
    if (joinLayer_->BoundsRect() != ui::TRect{0, 0, w, h}) joinLayer_->SetBounds(0, 0, w, h);
}

void TmfVQuery::UpdateJoinLinks()
{
    const auto endOf = [](const TmfVQueryField* f) {
        const TmfVQueryTable* box = f->Table;
        const TmfVQueryListBox* list = box->ListBox();
        return TJoinEnd{box->BoundsRect(), list->BoundsRect(), list->ItemRect(list->IndexOfField(f))};
    };
    for (std::size_t i = 0; i < joins_.size(); ++i) {
        TmfVQueryJoin& join = *joins_[i];
        if (join.SourceField == nullptr || join.DestField == nullptr) continue;
        PlaceJoinLine(endOf(join.SourceField), endOf(join.DestField), static_cast<int>(i), join.Line);
    }
    if (joinLayer_ != nullptr) joinLayer_->Invalidate();
}

TmfVQueryJoin* TmfVQuery::JoinAt(ui::TPoint p) const
{
    for (auto it = joins_.rbegin(); it != joins_.rend(); ++it)
        if (JoinHitRegion((*it)->Line).Contains(p)) return it->get();
    return nullptr;
}

void TmfVQuery::PostRemoveTable(TmfVQueryTable* box)
{
    PostMessage(WM_VQ_REMOVETABLE, reinterpret_cast<std::intptr_t>(box));
}

void TmfVQuery::PostRemoveJoin(TmfVQueryJoin* join)
{
    PostMessage(WM_VQ_REMOVEJOIN, reinterpret_cast<std::intptr_t>(join));
}

void TmfVQuery::Dispatch(ui::TMessage& message)
{
    // The pointers are only compared with the live boxes and joins, never followed first.
    if (message.Msg == WM_VQ_REMOVETABLE) {
        for (TmfVQueryTable* b : tables_)
            if (reinterpret_cast<std::intptr_t>(b) == message.WParam) {
                RemoveTable(b);
                break;
            }
        return;
    }
    if (message.Msg == WM_VQ_REMOVEJOIN) {
        for (const auto& j : joins_)
            if (reinterpret_cast<std::intptr_t>(j.get()) == message.WParam) {
                if (popupJoin_ == j.get()) popupJoin_ = nullptr;
                RemoveJoin(j.get());
                break;
            }
        return;
    }
    TScrollBox::Dispatch(message);
}

bool TmfVQuery::PopupLinkAt(ui::TPoint p, ui::TPoint screen)
{
    TmfVQueryJoin* join = JoinAt(p);
    if (join == nullptr) return false;
    popupJoin_ = join;
    linkPopup_->SetPopupComponent(joinLayer_);
    linkPopup_->Popup(screen.X, screen.Y);
    OnVJoinClick(joinLayer_);
    return true;
}

void TmfVQuery::SelectOnly(TmfVQueryTable* box)
{
    for (TmfVQueryTable* b : tables_)
        if (b != box) b->SetSelected(false);
    if (box != nullptr) box->SetSelected(true);
}

void TmfVQuery::SelectJoin(TmfVQueryJoin* join)
{
    for (const auto& j : joins_) j->Selected = j.get() == join;
    selectedJoin_ = join;
    if (joinLayer_ != nullptr) joinLayer_->Invalidate();
}

int TmfVQuery::GetCalculatedCount() const
{
    int n = 0;
    for (TmfVQueryTable* b : tables_)
        for (int i = 0; i < b->Fields().Count(); ++i) n += b->Fields().Items(i)->Calculated ? 1 : 0;
    return n;
}

// ---- Joins -------------------------------------------------------------------------------------

bool TmfVQuery::JoinExists(const TmfVQueryField* a, const TmfVQueryField* b) const
{
    return std::any_of(joins_.begin(), joins_.end(), [&](const auto& j) {
        return (j->SourceField == a && j->DestField == b) || (j->SourceField == b && j->DestField == a);
    });
}

TmfVQueryJoin* TmfVQuery::AddJoin(TmfVQueryField* sourceField, TmfVQueryField* destField, const std::string& caption)
{
    if (sourceField == nullptr || destField == nullptr)
        throw rtl::EInvalidOperation("A join needs a source and a destination field");
    if (!AllowDuplicateJoins && JoinExists(sourceField, destField)) {
        ErrorBox("Join already exists");
        return nullptr;
    }
    if (sourceField->Calculated || destField->Calculated) {
        ErrorBox("Calculated Field can not join");
        return nullptr;
    }
    auto join = std::make_unique<TmfVQueryJoin>(this);
    join->SourceField = sourceField;
    join->DestField = destField;
    join->Caption = caption;
    joins_.push_back(std::move(join));
    UpdateJoinLinks();
    return joins_.back().get();
}

void TmfVQuery::RemoveJoin(TmfVQueryJoin* join)
{
    if (selectedJoin_ == join) selectedJoin_ = nullptr;
    if (popupJoin_ == join) popupJoin_ = nullptr;
    std::erase_if(joins_, [&](const auto& j) { return j.get() == join; });
    UpdateJoinLinks();  // the indexes of the later joins moved
}

TmfVQueryJoin* TmfVQuery::GetJoin(int index) const
{
    if (index < 0 || index >= GetJoinCount()) return nullptr;
    return joins_[static_cast<std::size_t>(index)].get();
}

// ---- Sorting ------------------------------------------------------------------------------------

bool TmfVQuery::AddSortField(TmfVQueryField* field, bool ascending)
{
    if (field == nullptr) throw rtl::EInvalidOperation("A sort entry needs a field");
    // A calculated column is no column of the table: ORDER BY would name nothing.
    if (field->Calculated) {
        ErrorBox("Calculated Field can not sort");
        return false;
    }
    if (MaxSortCount >= 0 && SortCount() >= MaxSortCount) {
        WarningBox(MaxSortMessage.empty() ? "Can not add sort more than " + std::to_string(MaxSortCount) + " fields"
                                          : MaxSortMessage);
        return false;
    }
    sortList_.push_back(field);
    field->SortDirection = ascending ? 1 : 2;
    RefillSortListBox();
    RepaintFieldLists();
    return true;
}

void TmfVQuery::RemoveSortField(TmfVQueryField* field)
{
    field->SortDirection = 0;
    std::erase(sortList_, field);
    RefillSortListBox();
    RepaintFieldLists();
}

void TmfVQuery::RepaintFieldLists()
{
    // Every box shows the sort glyphs and positions, which a change of one entry renumbers.
    for (TmfVQueryTable* box : tables_) box->ListBox()->Invalidate();
}

void TmfVQuery::MoveSortField(int from, int to)
{
    const int n = SortCount();
    if (from < 0 || to < 0 || from >= n || to >= n || from == to) return;
    TmfVQueryField* f = sortList_[static_cast<std::size_t>(from)];
    sortList_.erase(sortList_.begin() + from);
    sortList_.insert(sortList_.begin() + to, f);
    RefillSortListBox();
    RepaintFieldLists();
}

void TmfVQuery::RestoreSortOrder(const std::vector<TmfVQueryField*>& order)
{
    if (order.size() != sortList_.size()) return;
    sortList_ = order;
    RefillSortListBox();
    RepaintFieldLists();
}

void TmfVQuery::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TScrollBox::MouseUp(button, shift, x, y);
    if (button != ui::mbRight) return;
    distinctItem_->SetChecked(SelectDistinct);
    const ui::TPoint at = ClientToScreen({x, y});
    mainPopup_->SetPopupComponent(this);
    mainPopup_->Popup(at.X, at.Y);
}

void TmfVQuery::AddTableMenuClick()
{
    TfrmAddTable dialog(this);
    ui::TListBox* list = dialog.List();
    for (int i = 0; i < tableNames_.Count(); ++i) list->Items()->Add(tableNames_.Strings(i));
    if (dialog.ShowModal() != ui::mrOk) return;
    // Each chosen table a little below and right of the one before, by its place in the list.
    std::vector<std::pair<int, std::string>> chosen;
    for (int i = 0; i < list->Items()->Count(); ++i)
        if (list->Selected(i)) chosen.emplace_back(i, list->Items()->Strings(i));
    for (const auto& [i, name] : chosen) AddTable(name, {10 + 2 * i, 12}, true);
}

void TmfVQuery::ShowSqlViewer()
{
    if (UseDefaultSqlViewerDialog) vquery::ShowSqlViewer(this, SQL()->Text());
}

bool TmfVQuery::ShowCriteriaDialog(TmfVQueryField* field)
{
    return vquery::ShowCriteriaDialog(field, criterias_);
}

void TmfVQuery::ShowSortOrder()
{
    TfrmVSort form(this);
    form.Execute();
}

void TmfVQuery::RefillSortListBox()
{
    if (sortListBox_ == nullptr) return;
    sortListBox_->Items()->Clear();
    for (TmfVQueryField* f : sortList_) sortListBox_->Items()->AddObject(f->Table->Alias() + "." + f->FieldName, f);
}

}  // namespace vquery
