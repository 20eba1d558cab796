#pragma once
// The "Parameters" dialog: edits the name/value parameters a hyperlink column appends to
// its address. The column properties dialog fills it from the column's parameter lines
// ("name=value"), shows it modally and reads the lines back; each entry is edited in the
// small value dialog, whose value list offers a "[FIELD]" tag for every column of the open
// design so that a value can be taken from the record.
//
// Both are stored forms (forms/FrmParams.gwf, forms/FrmParamValue.gwf) with their
// handlers bound by name. Move Up, Move Down, Modify and Remove act on the selected entry
// only and are enabled as that selection allows after every click and change.

#include <string>
#include <vector>

#include "platform/ui/Forms.h"

namespace ui {
class TListView;
}

namespace designer {

// One parameter: the address gets "name=value".
struct TLinkParam {
    std::string name;
    std::string value;
    bool operator==(const TLinkParam&) const = default;
};

// Splits "name=value" at the first "="; a line without one is a name with an empty value.
TLinkParam SplitParamLine(const std::string& line);
std::string JoinParamLine(const TLinkParam& param);

class TFrmParamValue : public ui::TForm {
    GW_CLASS(TFrmParamValue)

public:
    explicit TFrmParamValue(classes::TComponent* owner);
};

class TFrmParams : public ui::TForm {
    GW_CLASS(TFrmParams)

public:
    explicit TFrmParams(classes::TComponent* owner);

    // The column names of the open design; the value dialog offers "[" + name + "]" for each.
    void SetFieldNames(std::vector<std::string> names) { fieldNames_ = std::move(names); }
    void SetParams(const std::vector<TLinkParam>& params);
    std::vector<TLinkParam> Params() const;
    void SetParamLines(const std::vector<std::string>& lines);
    std::vector<std::string> ParamLines() const;

    ui::TListView* List() const noexcept { return list_; }
    void UpdateParamActions();

    // Handlers, bound by name from the stored form.
    void lv_paramsClick(classes::TObject* sender);
    void cmd_addExecute(classes::TObject* sender);
    void cmd_modifyExecute(classes::TObject* sender);
    void cmd_removeExecute(classes::TObject* sender);
    void cmd_clearExecute(classes::TObject* sender);
    void cmd_moveupExecute(classes::TObject* sender);
    void cmd_movedownExecute(classes::TObject* sender);

private:
    // Shows the value dialog captioned `caption` over `param`; true (and `param` changed)
    // on OK.
    bool EditParam(const std::string& caption, TLinkParam& param);
    void Move(int delta);

    ui::TListView* list_ = nullptr;
    std::vector<std::string> fieldNames_;
};

}  // namespace designer
