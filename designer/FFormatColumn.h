#pragma once
// The "Column Properties" dialog: every setting of one column of the column model —
// heading, alignment, text or image cell, how the text value is built (the value between a
// prefix and a suffix, or a fixed text), the number or date format of the column's format
// kind, image source and size, and the hyperlink (type, address with [FIELD] tags,
// parameters, target) — with a sample of the first two records of the open query as the
// pages would show them.
//
// Execute fills the dialog from column i of the model, shows it modally and, only when it
// ends with OK, writes the settings back into the lists and the column's row of the list
// view. Cancel changes nothing. Filling fails (rtl::EConvertError, nothing shown, nothing
// changed) when an image column's width or height entry is not a whole number.
//
// The sample reads the query given by SetSampleQuery (it moves the query to its first and
// second record) and the page colours given by SetSampleLook; it shows texts as typed,
// unescaped, and link addresses as a browser reads them.

#include <string>

#include "platform/classes/Alignment.h"
#include "platform/rtl/Colors.h"
#include "platform/rtl/StringList.h"
#include "designer/HtmlText.h"
#include "platform/ui/Forms.h"

namespace classes {
class TFont;
}
namespace db {
class TDataSet;
}

namespace designer {

class TColumnModel;

// The colours and fonts of the design's page-layout samples that the column sample copies.
struct TColumnSampleLook {
    rtl::TColor HeaderColor = rtl::clSilver;
    rtl::TColor RowColor = rtl::clWhite;
    rtl::TColor OddRowColor = rtl::clWhite;
    rtl::TColor PageColor = rtl::clWhite;
    rtl::TColor TextColor = rtl::clBlack;
    const classes::TFont* HeaderFont = nullptr;  // nullptr: the dialog's own
    const classes::TFont* DataFont = nullptr;
};

// "Left", "Center" and "Right" give their alignment; any other text (also "Default") left.
classes::TAlignment AlignmentFromText(const std::string& text);

class TFrmFormatColumn : public ui::TForm {
    GW_CLASS(TFrmFormatColumn)

public:
    static constexpr int kHelpContext = 270;

    explicit TFrmFormatColumn(classes::TComponent* owner);

    void SetSampleQuery(db::TDataSet* query) { query_ = query; }
    void SetSampleLook(const TColumnSampleLook& look) { look_ = look; }

    // Fill, ShowModal, and on OK WriteBack; the modal result.
    int Execute(TColumnModel& model, int column);
    // The dialog's controls from column `column` of `model` (which the sample also reads).
    void Fill(TColumnModel& model, int column);
    // The dialog's settings into column `column` of `model` and its list view row.
    void WriteBack(TColumnModel& model, int column);

    // The link address the sample shows for the current record.
    std::string BuildHyperlinkUrl() const;
    std::string BuildParamQuery() const;
    // The parameter lines being edited ("name=value").
    rtl::TStringList& ColumnParamList() noexcept { return columnParamList_; }
    const rtl::TStringList& ColumnFormatList() const noexcept { return columnFormatList_; }
    // Rebuilds the sample (nothing while the dialog is still loading).
    void GenSample();
    bool Loading() const noexcept { return loading_; }

    // Handlers, bound by name from the stored form.
    void FormShow(classes::TObject* sender);
    void rb_textClick(classes::TObject* sender);
    void rb_showdataClick(classes::TObject* sender);
    void rb_prefixClick(classes::TObject* sender);
    void rb_suffixClick(classes::TObject* sender);
    void rg_hyperlinkClick(classes::TObject* sender);
    void cb_fieldsChange(classes::TObject* sender);
    void sb_insertfieldClick(classes::TObject* sender);
    void sb_insertimgfieldClick(classes::TObject* sender);
    void sb_paramsClick(classes::TObject* sender);
    void helpbtnClick(classes::TObject* sender);
    void SampleChange(classes::TObject* sender);

private:
    template <class T>
    T* C(std::string_view name) const
    {
        return Get<T>(name);
    }
    void StoreFormatControls();
    // Enables an edit or list and paints it in the window colour, or disables it in the
    // button-face colour.
    void EnableEdit(const char* name, bool enabled);
    std::string Replace(const std::string& text, TUrlPart part) const;
    // One record's sample: the cell text, the link and the image tag.
    struct TSample {
        std::string text, link, image;
    };
    TSample BuildSample() const;

    TColumnModel* model_ = nullptr;
    int column_ = -1;
    db::TDataSet* query_ = nullptr;
    TColumnSampleLook look_;
    rtl::TStringList columnFormatList_;
    rtl::TStringList columnParamList_;
    bool loading_ = true;
    // Set while Fill sets the controls, whose change notices must not act on half-filled state.
    bool filling_ = false;
};

}  // namespace designer
