#pragma once
// TgkPageSetupDlg: the page-setup form (forms/gkPageSetupDlg.gwf): paper, orientation and
// the four margins in the control's unit. It shows TgkPageSetupValues and answers them.
//
// Promises:
// - The paper box lists the paper table; a code the table lacks is kept as an extra item, so
//   OK gives it back. The box is enabled only when the values allow choosing the paper.
// - OK takes margins that read as numbers from 0 to 100 units; otherwise the form stays open
//   with the offending edit focused and its text selected, without a message.
// - Shown, the form sits centred across the work area and at a third of the free height.

#include <vector>

#include "editctrls/gkRichPrint.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

namespace editctrls {

class TgkPageSetupDlg : public ui::TForm {
    GW_CLASS(TgkPageSetupDlg)

public:
    explicit TgkPageSetupDlg(classes::TComponent* owner);

    void SetValues(const TgkPageSetupValues& values);
    // What the form holds now (margins as entered; an unreadable margin keeps its value).
    TgkPageSetupValues Values() const;

private:
    void FormShow(classes::TObject* sender);
    void OKBtnClick(classes::TObject* sender);
    ui::TEdit* MarginEdit(int side) const;

    TgkPageSetupValues values_;
    std::vector<int> paperCodes_;
};

}  // namespace editctrls
