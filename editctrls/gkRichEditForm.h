#pragma once
// The rich-text control's full-window editor (forms/gkRichEditForm.gwf): main menu, tool bar,
// format bar, ruler, status bar and its own rich edit "RichEdit1", editing a copy of the
// control's text. TgkCustomRichEdit::Execute runs it modally and writes the text back on OK.
//
// Promises:
// - What shows follows the control's EditorOptions (gkEditorLayout); a read-only control
//   opens a viewer without bars, ruler, View or Format menu, and closing it never asks.
// - Closing with OK (Save and Exit) writes back; Exit and Escape close as Cancel. The close
//   box of a changed editor asks RichEditExitWarning (Yes writes back, No drops the edits,
//   Cancel stays); with reoNoConfirmation the close box writes back without asking, while
//   Exit and Escape stay Cancel.
// - Save As writes atomically (RTF, or plain text for the second filter) and asks
//   "OK to overwrite %s" before replacing a file; Load reads RTF, else text, and leaves the
//   text alone when the file cannot be read.
// - No embedded objects, no spelling checker: their items stay hidden.

#include <string>
#include <utility>
#include <vector>

#include "editctrls/gkDBComb.h"
#include "editctrls/gkDBRichEdit.h"
#include "editctrls/gkPageSetupDlg.h"
#include "editctrls/gkRichEditRuler.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

namespace editctrls {

// Which parts of the editor window show.
struct TgkEditorLayout {
    bool load = false, saveAs = false, saveExit = false, print = false, pageSetup = false;
    bool fileSep1 = false, fileSep2 = false;
    bool spellCheck = false, justify = false, insertMenu = false, insertObject = false;
    bool statusBar = false, formatBar = false, toolBar = false, ruler = false;
    bool viewMenu = false, formatMenu = false, newButton = false;
    bool operator==(const TgkEditorLayout&) const = default;
};
// The options an editor keeps: a read-only one drops loading, saving, the bars, the ruler
// and spell checking; one without a spelling checker drops spell checking.
TgkRichEditOptions gkEditorOptionsKept(TgkRichEditOptions options, bool readOnly, bool spellChecker);
// The layout for options already passed through gkEditorOptionsKept. Objects need OLE,
// which this platform does not have (`oleDisabled` is always true here).
TgkEditorLayout gkEditorLayout(TgkRichEditOptions options, bool readOnly, bool oleDisabled);

// The colour menu: captions and colours, Automatic last (its colour is the editor's font's).
struct TgkColorItem {
    const char* caption;
    rtl::TColor color;
};
const std::vector<TgkColorItem>& gkColorItems();

class TgkRichEditForm : public ui::TForm {
    GW_CLASS(TgkRichEditForm)

public:
    explicit TgkRichEditForm(classes::TComponent* owner);
    ~TgkRichEditForm() override;

    // Copies what the editor takes from `source` (Execute's step 3) and sizes the window.
    void Setup(TgkCustomRichEdit& source);
    TgkDBRichEdit* Editor() const noexcept { return editor_; }
    TgkRulerPanel* Ruler() const noexcept { return ruler_; }
    TgkRichEditOptions Options() const noexcept { return options_; }

    // Brings the buttons, combos, menu items and ruler up to date with the selection.
    void UpdateSelection();
    // Writes the text to `path` (RTF, or plain text with `plain`), atomically.
    void SaveToFile(const std::string& path, bool plain);
    // Reads `path`: RTF, else plain text; a clear message and the text unchanged when it
    // cannot be read. True when read.
    bool LoadFromFile(const std::string& path);

    // ---- Handlers (bound by name in the stored form) ------------------------------------
    void FormShow(classes::TObject* sender);
    void FormResize(classes::TObject* sender);
    void FormCloseQuery(classes::TObject* sender, bool& canClose);
    void FormKeyDown(classes::TObject* sender, ui::TKey& key, ui::TShiftState shift);
    void FormKeyUp(classes::TObject* sender, ui::TKey& key, ui::TShiftState shift);
    void NewClick(classes::TObject* sender);
    void LoadClick(classes::TObject* sender);
    void SaveAsClick(classes::TObject* sender);
    void SaveExitClick(classes::TObject* sender);
    void PrintClick(classes::TObject* sender);
    void PageSetupClick(classes::TObject* sender);
    void ExitClick(classes::TObject* sender);
    void UndoClick(classes::TObject* sender);
    void RedoClick(classes::TObject* sender);
    void CutClick(classes::TObject* sender);
    void CopyClick(classes::TObject* sender);
    void PasteClick(classes::TObject* sender);
    void ClearClick(classes::TObject* sender);
    void SelectAllClick(classes::TObject* sender);
    void FindClick(classes::TObject* sender);
    void FindNextClick(classes::TObject* sender);
    void ReplaceClick(classes::TObject* sender);
    void BarToggleClick(classes::TObject* sender);
    void DateTimeClick(classes::TObject* sender);
    void InsertObjectClick(classes::TObject* sender);
    void FontClick(classes::TObject* sender);
    void BulletClick(classes::TObject* sender);
    void ParagraphClick(classes::TObject* sender);
    void TabsClick(classes::TObject* sender);
    void SpellingClick(classes::TObject* sender);
    void StyleButtonClick(classes::TObject* sender);
    void AlignButtonClick(classes::TObject* sender);
    void ColorButtonClick(classes::TObject* sender);
    void ColorItemClick(classes::TObject* sender);
    void HighlightButtonClick(classes::TObject* sender);
    void FontNameCloseUp(classes::TObject* sender, bool accepted);
    void FontSizeCloseUp(classes::TObject* sender, bool accepted);
    void MarkerEndDrag(classes::TObject* sender);
    void Notification(classes::TComponent* component, classes::TOperation operation) override;

private:
    void ApplyLayout();
    void LayToolbar();
    void ShowUserButtons();
    void MakeImages();
    void PlaceMarkers();
    TgkRulerGeometry Geometry() const;
    void Command();
    void UpdateLockPanels();

    TgkCustomRichEdit* source_ = nullptr;
    TgkDBRichEdit* editor_ = nullptr;
    TgkRulerPanel* ruler_ = nullptr;
    ui::TImageList* colorImages_ = nullptr;
    TgkRichEditOptions options_;
    bool shown_ = false;
    // Exit and Escape close as Cancel whatever the options say.
    bool cancelCommand_ = false;
    classes::TNotifyEvent savedHint_;
    // The user's speed buttons shown in the tool bar, with the parents they came from.
    std::vector<std::pair<ui::TSpeedButton*, ui::TWinControl*>> userButtons_;
};

}  // namespace editctrls
