#include "grid/GridRoutines.h"

#include "grid/FindMatch.h"
#include "grid/Intl.h"
#include "grid/PictureValidator.h"
#include "platform/db/DbErrors.h"

#include <algorithm>
#include <vector>

#include "grid/StringRoutines.h"
#include "platform/classes/TypInfo.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Controls.h"
#include "platform/ui/FrameControls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Input.h"
#include "platform/ui/Messages.h"

namespace grid {

namespace {

const classes::TPropInfo* FindProp(const classes::TPersistent* object, std::string_view name, classes::TPropKind kind)
{
    if (object == nullptr) return nullptr;
    const classes::TPropInfo* p = object->ClassInfo().FindProperty(name);
    return p != nullptr && p->Kind() == kind ? p : nullptr;
}

// The parts of `text` between `separator`s (a trailing separator gives no empty last part).
std::vector<std::string> Parts(std::string_view text, char separator)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            if (start < text.size() || out.empty()) out.emplace_back(text.substr(start));
            break;
        }
        out.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
    return out;
}

}  // namespace

// ---- Classes and placement -------------------------------------------------------------------

bool gkIsClass(const classes::TObject* object, std::string_view className)
{
    return object != nullptr && object->InheritsFrom(className);
}

bool gkIsInGrid(const ui::TControl* control)
{
    return control != nullptr && gkIsClass(control->Parent(), "TCustomGrid");
}

bool gkIsInDataInspector(const ui::TControl* control)
{
    return control != nullptr && gkIsClass(control->Parent(), "TgkDataInspector");
}

bool gkIsPaintCopyInDataInspector(const ui::TControl*) { return false; }

bool gkIsPaintCopy(ui::TControl::TControlState state) { return state.Contains(ui::TControl::csPaintCopy); }

bool gkIsPaintCopyInGrid(const ui::TControl* control)
{
    return gkIsInGrid(control) && gkIsPaintCopy(control->ControlState());
}

bool gkIsDesigning(const ui::TControl* control)
{
    if (control == nullptr) return false;
    const ui::TCustomForm* form = ui::GetParentForm(control);
    const classes::TComponent* subject = form != nullptr ? static_cast<const classes::TComponent*>(form) : control;
    return subject->ComponentState().Contains(classes::csDesigning);
}

classes::TComponent* gkGetOwnerForm(classes::TComponent* component)
{
    for (classes::TComponent* c = component; c != nullptr; c = c->Owner())
        if (gkIsClass(c, "TCustomForm") || gkIsClass(c, "TCustomFrame")) return c;
    return nullptr;
}

bool gkChildOutsideClient(const ui::TWinControl* control)
{
    if (control == nullptr) return false;
    const ui::TRect client = control->ClientRect();
    for (int i = 0; i < control->ControlCount(); ++i) {
        const auto* child = dynamic_cast<const ui::TWinControl*>(control->Controls(i));
        if (child != nullptr && child->Visible() && !client.Contains({child->Left(), child->Top()})) return true;
    }
    return false;
}

bool gkIsCustomEditType(std::string_view controlType)
{
    for (std::string_view t : {"CustomEdit", "LookupCombo", "Combo", "RichEdit"})
        if (rtl::SameText(controlType, t)) return true;
    return false;
}

bool gkIsCalcOrLookupField(const db::TField* field)
{
    return field != nullptr && (field->FieldKind() == db::fkCalculated || field->FieldKind() == db::fkLookup);
}

bool gkIsCalcLookupOrNonBDEField(const db::TField* field)
{
    if (field == nullptr) return false;
    return gkIsCalcOrLookupField(field) || !gkIsClass(field->DataSet(), "TBDEDataSet");
}

bool gkIsEditKey(int key) { return key == 8 || key == 32 || key == 46 || (key >= 48 && key <= 111) || key > 145; }

// ---- Published lists and references by name ---------------------------------------------------

rtl::TStrings* gkGetControlTypeList(classes::TPersistent* object)
{
    const classes::TPropInfo* p = FindProp(object, "ControlType", classes::TPropKind::Strings);
    return p != nullptr ? std::get<rtl::TStrings*>(p->Get(*object)) : nullptr;
}

rtl::TStrings* gkGetPictureMasks(classes::TPersistent* object)
{
    const classes::TPropInfo* p = FindProp(object, "PictureMasks", classes::TPropKind::Strings);
    return p != nullptr ? std::get<rtl::TStrings*>(p->Get(*object)) : nullptr;
}

namespace {
db::TDataSource* SourceProperty(classes::TPersistent* object, std::string_view name)
{
    const classes::TPropInfo* p = FindProp(object, name, classes::TPropKind::Component);
    if (p == nullptr) return nullptr;
    return dynamic_cast<db::TDataSource*>(std::get<classes::TPersistent*>(p->Get(*object)));
}
}  // namespace

db::TDataSource* gkGetDataSource(classes::TPersistent* object) { return SourceProperty(object, "DataSource"); }

db::TDataSource* gkGetMasterSource(classes::TPersistent* object) { return SourceProperty(object, "MasterSource"); }

bool gkSetBorderStyle(classes::TPersistent* control, bool hasBorder)
{
    const classes::TPropInfo* p = FindProp(control, "BorderStyle", classes::TPropKind::Enumeration);
    if (p == nullptr) return false;
    p->Set(*control, classes::TPropValue(std::int64_t{hasBorder ? 1 : 0}));
    return true;
}

bool gkGetBorderStyle(classes::TPersistent* control)
{
    const classes::TPropInfo* p = FindProp(control, "BorderStyle", classes::TPropKind::Enumeration);
    return p != nullptr && std::get<std::int64_t>(p->Get(*control)) != 0;
}

classes::TEventValue gkGetOnInvalidValue(classes::TPersistent* object)
{
    const classes::TPropInfo* p = FindProp(object, "OnInvalidValue", classes::TPropKind::Event);
    return p != nullptr ? std::get<classes::TEventValue>(p->Get(*object)) : classes::TEventValue{};
}

bool gkTableHasQuery(classes::TPersistent* dataSet)
{
    if (!gkIsClass(dataSet, "TgkTable")) return false;
    const classes::TPropInfo* p = FindProp(dataSet, "Query", classes::TPropKind::Strings);
    const rtl::TStrings* query = p != nullptr ? std::get<rtl::TStrings*>(p->Get(*dataSet)) : nullptr;
    return query != nullptr && query->Count() > 0;
}

bool gkGetPictureMaskFromDataSet(classes::TPersistent* object)
{
    const classes::TPropInfo* p = FindProp(object, "PictureMaskFromDataSet", classes::TPropKind::Boolean);
    return p == nullptr || std::get<bool>(p->Get(*object));
}

rtl::TStrings* gkGetLookupFields(classes::TPersistent* object)
{
    const classes::TPropInfo* p = FindProp(object, "LookupFields", classes::TPropKind::Strings);
    return p != nullptr ? std::get<rtl::TStrings*>(p->Get(*object)) : nullptr;
}

rtl::TStrings* gkGetLookupLinks(classes::TPersistent* object)
{
    const classes::TPropInfo* p = FindProp(object, "LookupLinks", classes::TPropKind::Strings);
    return p != nullptr ? std::get<rtl::TStrings*>(p->Get(*object)) : nullptr;
}

std::string gkGetDatabaseName(classes::TPersistent* object)
{
    const classes::TPropInfo* p = FindProp(object, "DatabaseName", classes::TPropKind::String);
    return p != nullptr ? std::get<std::string>(p->Get(*object)) : std::string();
}

bool gkGetWantReturns(classes::TPersistent* control)
{
    const classes::TPropInfo* p = FindProp(control, "WantReturns", classes::TPropKind::Boolean);
    return p != nullptr && std::get<bool>(p->Get(*control));
}

const classes::TEnumInfo& gkFilterOptionInfo()
{
    static const classes::TEnumInfo info{"TgkFilterOption", {"ofoEnabled", "ofoShowHourGlass", "ofoCancelOnEscape"}};
    return info;
}

TgkFilterOptions gkGetFilterOptions(db::TDataSet* dataSet)
{
    if (dataSet == nullptr) return {};
    const classes::TPropInfo* p = FindProp(dataSet, "OnFilterOptions", classes::TPropKind::Set);
    if (p == nullptr) return dataSet->Filtered() ? TgkFilterOptions{ofoEnabled} : TgkFilterOptions{};
    return TgkFilterOptions::FromBits(std::get<classes::TSetBits>(p->Get(*dataSet)).bits);
}

void gkSetFilterEnabled(db::TDataSet* dataSet, bool enabled)
{
    const classes::TPropInfo* p = FindProp(dataSet, "OnFilterOptions", classes::TPropKind::Set);
    if (p == nullptr) return;
    TgkFilterOptions options = gkGetFilterOptions(dataSet);
    if (enabled)
        options.Include(ofoEnabled);
    else
        options.Exclude(ofoEnabled);
    p->Set(*dataSet, classes::TPropValue(classes::TSetBits{options.Bits()}));
}

bool gkCheckFilterEscape(db::TDataSet* dataSet)
{
    if (!ui::TakeWaitingKeyPress(ui::VK_ESCAPE)) return false;
    gkSetFilterEnabled(dataSet, false);
    return true;
}

bool gkSetDataSource(ui::TControl* control, db::TDataSource* source)
{
    if (dynamic_cast<ui::TWinControl*>(control) == nullptr) return false;
    const classes::TPropInfo* p = FindProp(control, "DataSource", classes::TPropKind::Component);
    if (p == nullptr) return false;
    p->Set(*control, classes::TPropValue(static_cast<classes::TPersistent*>(source)));
    return true;
}

bool gkSetDataField(ui::TControl* control, const std::string& fieldName)
{
    if (dynamic_cast<ui::TWinControl*>(control) == nullptr) return false;
    const classes::TPropInfo* p = FindProp(control, "DataField", classes::TPropKind::String);
    if (p == nullptr) return false;
    p->Set(*control, classes::TPropValue(fieldName));
    return true;
}

std::string gkGetDataField(ui::TControl* control)
{
    if (dynamic_cast<ui::TWinControl*>(control) == nullptr) return {};
    const classes::TPropInfo* p = FindProp(control, "DataField", classes::TPropKind::String);
    return p != nullptr ? std::get<std::string>(p->Get(*control)) : std::string();
}

classes::TPersistent* gkGetPictureMaskSource(classes::TPersistent* control, db::TDataSet* dataSet)
{
    if (dataSet == nullptr)
        if (db::TDataSource* source = gkGetDataSource(control)) dataSet = source->DataSet();
    if (!gkGetPictureMaskFromDataSet(control)) return control;
    if (dataSet != nullptr && gkGetPictureMasks(dataSet) != nullptr) return dataSet;
    return control;
}

// ---- Column lists and control types --------------------------------------------------------------

bool gkFindSelected(const rtl::TStrings* list, std::string_view fieldName, int& index)
{
    if (list == nullptr) return false;
    const std::string wanted = rtl::AnsiUpperCase(fieldName);
    for (int i = 0; i < list->Count(); ++i) {
        const std::string entry = list->Strings(i);
        const std::string name = entry.substr(0, entry.find('\t'));
        if (rtl::AnsiUpperCase(name) == wanted) {
            index = i;
            return true;
        }
    }
    return false;
}

void gkGetControlTypeFromList(const rtl::TStrings* list, std::string_view fieldName, std::string& controlType,
                              std::string& parameters)
{
    controlType.clear();
    parameters.clear();
    if (list == nullptr) return;
    for (int i = 0; i < list->Count(); ++i) {
        const std::string entry = list->Strings(i);
        const std::size_t first = entry.find(';');
        if (entry.substr(0, first) != fieldName || first == std::string::npos) continue;
        const std::size_t second = entry.find(';', first + 1);
        controlType = entry.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
        parameters.clear();
        if (second != std::string::npos) {
            std::string rest = entry.substr(second + 1);
            if (rest.size() > 255) rest.resize(rtl::Utf8CharStartAt(rest, 255));
            parameters = std::move(rest);
        }
    }
}

void gkGetControlType(classes::TPersistent* dataSet, std::string_view fieldName, std::string& controlType,
                      std::string& parameters)
{
    gkGetControlTypeFromList(gkGetControlTypeList(dataSet), fieldName, controlType, parameters);
}

bool gkDataSetHasField(const db::TDataSet* dataSet, std::string_view name)
{
    if (dataSet == nullptr) return false;
    const std::string wanted = rtl::AnsiUpperCase(name);
    for (int i = 0; i < dataSet->FieldCount(); ++i)
        if (rtl::AnsiUpperCase(dataSet->Fields()[i]->FieldName()) == wanted) return true;
    return false;
}

void gkFieldsToSelected(db::TDataSet& dataSet, rtl::TStrings& list)
{
    list.Clear();
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        const db::TField* f = dataSet.Fields()[i];
        if (!f->Visible()) continue;
        list.Add(f->FieldName() + "\t" + std::to_string(f->DisplayWidth()) + "\t" + f->DisplayLabel());
    }
}

void gkApplySelectedToFields(db::TDataSet& dataSet, const rtl::TStrings& selected)
{
    // Every entry is read before any field changes: a bad entry part-way would otherwise leave
    // fields hidden.
    struct TEntry {
        db::TField* field;
        int width;
        std::string label;
    };
    std::vector<TEntry> entries;
    for (int i = 0; i < selected.Count(); ++i) {
        const std::vector<std::string> parts = Parts(selected.Strings(i), '\t');
        db::TField* field = nullptr;
        const std::string wanted = rtl::AnsiUpperCase(parts[0]);
        for (int f = 0; f < dataSet.FieldCount() && field == nullptr; ++f)
            if (rtl::AnsiUpperCase(dataSet.Fields()[f]->FieldName()) == wanted) field = dataSet.Fields()[f];
        if (field == nullptr) {
            entries.push_back({nullptr, 0, {}});
            continue;
        }
        if (parts.size() < 3) throw rtl::EListError("List index out of bounds (" + std::to_string(parts.size()) + ")");
        entries.push_back({field, rtl::StrToInt(parts[1]), parts[2]});
    }
    dataSet.DisableControls();
    const rtl::TScopeExit enable([&dataSet] { dataSet.EnableControls(); });
    for (int i = 0; i < dataSet.FieldCount(); ++i) dataSet.Fields()[i]->SetVisible(false);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TEntry& e = entries[i];
        if (e.field == nullptr) continue;
        e.field->SetDisplayWidth(e.width);
        e.field->SetDisplayLabel(e.label);
        e.field->SetIndex(std::min(static_cast<int>(i), dataSet.FieldCount() - 1));
        e.field->SetVisible(true);
    }
}

void gkRemoveStaleControlInfo(const db::TDataSet& dataSet, rtl::TStrings* lookupFields, rtl::TStrings* lookupLinks,
                              rtl::TStrings* controlType)
{
    const auto stale = [&dataSet](const std::string& entry) {
        return dataSet.FindField(entry.substr(0, entry.find(';'))) == nullptr;
    };
    if (lookupFields != nullptr)
        for (int i = lookupFields->Count() - 1; i >= 0; --i)
            if (stale(lookupFields->Strings(i))) {
                lookupFields->Delete(i);
                if (lookupLinks != nullptr && i < lookupLinks->Count()) lookupLinks->Delete(i);
            }
    if (controlType != nullptr)
        for (int i = controlType->Count() - 1; i >= 0; --i)
            if (stale(controlType->Strings(i))) controlType->Delete(i);
}

namespace {
int FindMaskEntry(const rtl::TStrings& list, std::string_view fieldName)
{
    const std::string wanted = rtl::AnsiLowerCase(fieldName);
    for (int i = 0; i < list.Count(); ++i) {
        const std::string entry = list.Strings(i);
        if (rtl::AnsiLowerCase(entry.substr(0, entry.find('\t'))) == wanted) return i;
    }
    return -1;
}
}  // namespace

void gkGetPictureMaskEntry(classes::TPersistent* source, std::string_view fieldName, bool& autoFill, bool& second,
                           std::string& mask)
{
    autoFill = true;
    second = true;
    mask.clear();
    const rtl::TStrings* list = gkGetPictureMasks(source);
    if (list == nullptr) return;
    const int at = FindMaskEntry(*list, fieldName);
    if (at < 0) return;
    const std::vector<std::string> parts = Parts(list->Strings(at), '\t');
    if (parts.size() > 1) mask = parts[1];
    if (parts.size() > 2) autoFill = parts[2] == "T";
    if (parts.size() > 3) second = parts[3] == "T";
}

void gkSetPictureMaskEntry(classes::TPersistent* source, std::string_view fieldName, const std::string& mask,
                           bool keepFlags, bool autoFill, bool second)
{
    rtl::TStrings* list = gkGetPictureMasks(source);
    if (list == nullptr) return;
    const int at = FindMaskEntry(*list, fieldName);
    if (mask.empty()) {
        if (at >= 0) list->Delete(at);
        return;
    }
    if (keepFlags && at >= 0) {
        std::string oldMask;
        gkGetPictureMaskEntry(source, fieldName, autoFill, second, oldMask);
    }
    const std::string entry =
        std::string(fieldName) + "\t" + mask + "\t" + gkBoolToTF(autoFill) + "\t" + gkBoolToTF(second);
    if (at >= 0)
        list->Put(at, entry);
    else
        list->Add(entry);
}

bool gkIsRichTextField(db::TField* field, bool checkData)
{
    if (dynamic_cast<db::TBlobField*>(field) == nullptr) return false;
    if (const rtl::TStrings* types = gkGetControlTypeList(field->DataSet())) {
        const std::string prefix = field->FieldName() + ";RichEdit";
        for (int i = 0; i < types->Count(); ++i)
            if (types->Strings(i).rfind(prefix, 0) == 0) return true;
    }
    if (!checkData || field->DataSet() == nullptr || !field->DataSet()->Active()) return false;
    std::string head = field->AsString().substr(0, 5);
    head.resize(5, ' ');
    return head == "{\\rtf";
}

std::string gkStringsToText(const rtl::TStrings& list, bool blankSeparated)
{
    std::string text;
    for (int i = 0; i < list.Count(); ++i) {
        if (i > 0) text += blankSeparated ? " " : "\r\n";
        text += list.Strings(i);
    }
    return text;
}

ui::TRect gkGetWorkArea()
{
    if (ui::IWindowSystem* ws = ui::WindowSystem()) return ws->WorkArea();
    return {0, 0, ui::Screen().Width(), ui::Screen().Height()};
}

void gkPostKeyWithShift(ui::TControl& control, ui::TKey key, ui::TKey shiftKey)
{
    const bool keyWasDown = ui::IsKeyDown(key), shiftWasDown = ui::IsKeyDown(shiftKey);
    ui::SetKeyState(key, true);
    ui::SetKeyState(shiftKey, true);
    ui::TShiftState shift;
    if (shiftKey == ui::VK_SHIFT) shift.Include(ui::ssShift);
    if (shiftKey == ui::VK_CONTROL) shift.Include(ui::ssCtrl);
    if (shiftKey == ui::VK_MENU) shift.Include(ui::ssAlt);
    const auto bits = static_cast<std::intptr_t>(shift.Bits());
    control.PostMessage(ui::WM_KEYDOWN, key, bits);
    control.PostMessage(ui::WM_KEYUP, key, bits);
    ui::SetKeyState(key, keyWasDown);
    ui::SetKeyState(shiftKey, shiftWasDown);
}

std::string gkBoolToTF(bool value) { return value ? "T" : "F"; }

std::string gkStripExtension(std::string_view name) { return std::string(name.substr(0, name.find('.'))); }

bool gkLocateIfChanged(db::TDataSet& dataSet, const std::string& fieldName, const std::string& value,
                       bool caseSensitive, bool partial)
{
    const db::TField* field = dataSet.FindField(fieldName);
    if (field == nullptr) return false;
    return gkFindMatchInField(dataSet, value, fieldName, caseSensitive, partial ? mtPartialMatchStart : mtExactMatch);
}

int gkCompareBookmarks(const db::TDataSet& dataSet, const std::vector<std::uint8_t>& a,
                       const std::vector<std::uint8_t>& b)
{
    return dataSet.CompareBookmarks(a, b);
}

void GetColumnEntryPart(const rtl::TStrings& list, std::string_view fieldName, int selector, std::string& value)
{
    for (int i = 0; i < list.Count(); ++i) {
        const std::vector<std::string> parts = Parts(list.Strings(i), '\t');
        if (!gkEqualText(parts[0], fieldName)) continue;
        if (selector >= 0 && static_cast<std::size_t>(selector) < parts.size())
            value = parts[static_cast<std::size_t>(selector)];
        else
            value = selector == 3 ? "F" : "";
        return;
    }
}

void SetColumnEntryPart(rtl::TStrings& list, std::string_view fieldName, const std::string& value, int index,
                        int selector)
{
    if (index == -1) {
        for (int i = 0; i < list.Count() && index == -1; ++i) {
            const std::string entry = list.Strings(i);
            if (gkEqualText(entry.substr(0, entry.find('\t')), fieldName)) index = i;
        }
        if (index == -1) return;
    }
    if (index < 0 || index >= list.Count() || selector < 1 || selector > 4) return;
    std::vector<std::string> parts = Parts(list.Strings(index), '\t');
    parts.resize(std::max<std::size_t>(parts.size(), 5));
    if (parts[3].empty()) parts[3] = "F";
    parts[static_cast<std::size_t>(selector)] = value;
    std::string entry = parts[0] + "\t" + parts[1] + "\t" + parts[2] + "\t" + parts[3];
    if (!parts[4].empty()) entry += "\t" + parts[4];
    list.Put(index, entry);
}

// ---- Drawing ---------------------------------------------------------------------------------------

unsigned gkAlignmentFlags(classes::TAlignment alignment)
{
    const unsigned base = ui::DT_NOPREFIX | ui::DT_EXPANDTABS;
    switch (alignment) {
    case classes::taRightJustify: return base | ui::DT_RIGHT;
    case classes::taCenter: return base | ui::DT_CENTER;
    default: return base | ui::DT_LEFT;
    }
}

bool gkIsSingleLineRect(ui::TCanvas& canvas, const ui::TRect& rect, unsigned flags)
{
    ui::TRect measure{0, 0, std::max(rect.Right - rect.Left, 1), 0};
    canvas.DrawText(" ", measure, flags | ui::DT_CALCRECT);
    const int line = measure.Bottom - measure.Top + 3 + 2;
    return rect.Bottom - rect.Top <= line;
}

void gkDrawControlText(ui::TCanvas& canvas, const ui::TRect& rect, int dx, int options,
                       classes::TAlignment alignment, std::string_view text, int dy, bool rightToLeft)
{
    if (rightToLeft) {
        if (alignment == classes::taLeftJustify)
            alignment = classes::taRightJustify;
        else if (alignment == classes::taRightJustify)
            alignment = classes::taLeftJustify;
    }
    const int width = rect.Right - rect.Left;
    const int height = rect.Bottom - rect.Top;
    ui::TRect r;
    switch (alignment) {
    case classes::taRightJustify: r = {dx, dy, width - 2, height - 1}; break;
    case classes::taCenter: r = {dx < 3 ? 0 : 2, dy, width, height - 1}; break;
    default: r = {dx, dy, width, height - 1}; break;
    }
    r = {r.Left + rect.Left, r.Top + rect.Top, r.Right + rect.Left, r.Bottom + rect.Top};
    canvas.Brush()->SetStyle(ui::bsSolid);
    if (!(options & gkdtKeepBackground)) canvas.FillRect(rect);
    canvas.Brush()->SetStyle(ui::bsClear);  // the text leaves the background as it is
    unsigned flags = gkAlignmentFlags(alignment);
    if (options & gkdtAllowPrefix) flags &= ~ui::DT_NOPREFIX;
    if (rightToLeft) {
        // The text is measured and placed from the other edge.
        ui::TRect m = r;
        canvas.DrawText(text, m, flags | ui::DT_CALCRECT);
        const int w = m.Right - m.Left;
        if (alignment == classes::taRightJustify) {
            r.Left = rect.Right - w - dx;
            r.Right = rect.Right;
        } else if (alignment == classes::taLeftJustify) {
            r.Left = rect.Left + 2;
            r.Right = std::min(r.Left + w, rect.Right - 2);
        }
    }
    if (options & gkdtWordWrap) flags |= ui::DT_WORDBREAK;
    if ((options & gkdtEndEllipsis) || ((flags & ui::DT_WORDBREAK) && gkIsSingleLineRect(canvas, r, flags)))
        flags &= ~ui::DT_WORDBREAK;
    if (options & gkdtSingleLineVCenter) flags |= ui::DT_SINGLELINE | ui::DT_VCENTER;
    if (options & gkdtEndEllipsis) flags |= ui::DT_END_ELLIPSIS;
    canvas.DrawText(text, r, flags);
    canvas.Brush()->SetStyle(ui::bsSolid);
}

void gkDrawEllipsisButton(ui::TCanvas& canvas, const ui::TRect& rect, bool down, bool paintCopy, bool transparent,
                          bool noEdge)
{
    if (!noEdge) {
        ui::TRect r = rect;
        unsigned flags = ui::BF_RECT;
        if (!transparent) flags |= ui::BF_MIDDLE;
        if (down && !paintCopy) flags |= ui::BF_FLAT;
        ui::DrawEdge(canvas, r, ui::EDGE_RAISED, flags);
    }
    const int side = std::max(1, (rect.Right - rect.Left + 1) / 8);
    const int shift = down ? 0 : 1;
    const int cx = (rect.Left + rect.Right) / 2 - shift;
    const int cy = (rect.Top + rect.Bottom) / 2 - shift;
    const int step = 2 * side;
    for (int i = -1; i <= 1; ++i) {
        const int x = cx + i * step - side / 2;
        canvas.PatBlt({x, cy - side / 2, x + side, cy - side / 2 + side}, ui::cmBlackness);
    }
}

void gkDrawDropDownButton(ui::TCanvas& canvas, const ui::TRect& rect, bool pressed, bool paintCopy, bool enabled)
{
    unsigned state = ui::DFCS_SCROLLCOMBOBOX;
    if (!enabled) state |= ui::DFCS_INACTIVE;
    if (enabled && pressed && !paintCopy) state |= ui::DFCS_FLAT | ui::DFCS_PUSHED;
    ui::DrawFrameControl(canvas, rect, ui::DFC_SCROLL, state);
}

void gkDrawFocusFrame(ui::TCanvas& canvas, const ui::TRect& rect, bool rightToLeft)
{
    ui::TRect r = rect;
    if (rightToLeft) std::swap(r.Left, r.Right);
    const ui::TBrushStyle style = canvas.Brush()->Style();
    const rtl::TColor pen = canvas.Pen()->Color();
    canvas.Brush()->SetStyle(ui::bsClear);
    canvas.Pen()->SetColor(rtl::clHighlight);
    canvas.Rectangle(r);
    canvas.Font()->SetColor(rtl::clHighlight);
    canvas.Brush()->SetStyle(style);
    canvas.Pen()->SetColor(pen);
    canvas.DrawFocusRect(r);
}

bool gkIsCompatibleDataSet(const db::TDataSet* dataSet) { return dataSet != nullptr; }

bool gkMatchesPicture(const std::string& text, const std::string& picture)
{
    if (picture.empty()) return true;
    TgkPictureValidator validator(picture, false);
    return validator.IsValid(text);
}

void gkValidatePictureMasks(db::TDataSet& dataSet, const TgkValidateCallback& callback)
{
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        db::TField* field = dataSet.Fields()[i];
        bool autoFill = true, second = true;
        std::string mask;
        gkGetPictureMaskEntry(&dataSet, field->FieldName(), autoFill, second, mask);
        if (mask.empty() || gkMatchesPicture(field->AsString(), mask)) continue;
        if (!field->ReadOnly()) field->FocusControl();
        if (callback) callback(dataSet, *field);
        throw db::EDatabaseError(gkIntlDefault().UserMessages.PictureValidateError + field->DisplayName());
    }
}

bool gkIsPaintCopyInDBGrid(const ui::TControl* control)
{
    return control != nullptr && gkIsClass(control->Parent(), "TgkCustomDBGrid") && gkIsPaintCopy(control->ControlState());
}

// Forms are not designed inside the program, so there is no designer to tell.
void gkNotifyDesigner(classes::TComponent*) {}

// Child windows never paint over their parent here: nothing to clear.
void gkClearClipChildren(ui::TControl*) {}

std::string gkStringsToPChar(const rtl::TStrings& list, bool blankSeparated) { return gkStringsToText(list, blankSeparated); }

std::vector<std::string> gkSplitTabs(std::string_view text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find('\t', start);
        parts.emplace_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) break;
        start = at + 1;
    }
    return parts;
}

}  // namespace grid
