// The rich-text control's editor window and the control's Execute.

#include "editctrls/gkRichEditForm.h"

#include <algorithm>
#include <cstdio>

#include "grid/Intl.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Formatting.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Input.h"
#include "platform/ui/Printer.h"
#include "platform/ui/Screen.h"

namespace editctrls {

namespace {

const grid::TgkDBRichEditIntl& Texts() { return grid::gkIntlDefault().RichEdit; }

constexpr ui::TKey kNumLock = 0x90;
constexpr ui::TKey kCapsLock = 0x14;
constexpr int kStatusLockWidth = 50;  // each lock panel at 96 pixels per inch

std::string OrDefault(const std::string& label, const char* fallback) { return label.empty() ? fallback : label; }

int Scaled(int pixels) { return pixels * ui::ScreenPixelsPerInch() / 96; }

// Our own 16 x 16 button images, drawn from a few strokes. Each is a list of rows with '#'
// for ink ('r' red, 'b' blue, 'y' yellow); anything else is left transparent.
struct TGlyph {
    const char* name;
    const char* rows[16];
};

const TGlyph kGlyphs[] = {
    {"New", {"                ", "   ########     ", "   #      ##    ", "   #      # #   ", "   #      ####  ",
             "   #         #  ", "   #         #  ", "   #         #  ", "   #         #  ", "   #         #  ",
             "   #         #  ", "   #         #  ", "   #         #  ", "   ###########  ", "                ",
             "                "}},
    {"Load", {"                ", "                ", "         bbb    ", "        b   b b ", "             bb ",
              " ###        bbb ", "#   #######     ", "#         #     ", "#  ##########   ", "# #         #   ",
              "##         #    ", "#         #     ", "##########      ", "                ", "                ",
              "                "}},
    {"Save", {"                ", " ############## ", " #b#        #b# ", " #b#        #b# ", " #b#        #b# ",
              " #b##########b# ", " #bbbbbbbbbbbb# ", " #bb########bb# ", " #bb#  ##  #bb# ", " #bb#  ##  #bb# ",
              " #bb#      #bb# ", "  ############# ", "                ", "                ", "                ",
              "                "}},
    {"Print", {"                ", "    ########    ", "    #      #    ", "    #      #    ", "  ############  ",
               " #            # ", " #          yy# ", " #            # ", " ############## ", "  #          #  ",
               "  ############  ", "                ", "                ", "                ", "                ",
               "                "}},
    {"Find", {"                ", "   ####         ", "  #    #        ", " #  bb  #       ", " # b    #       ",
              " #      #       ", "  #    #        ", "   #####        ", "       ##       ", "        ##      ",
              "         ##     ", "          ##    ", "           #    ", "                ", "                ",
              "                "}},
    {"Cut", {"                ", "   #       #    ", "   #       #    ", "    #     #     ", "    #     #     ",
             "     #   #      ", "      # #       ", "       #        ", "      # #       ", "   rrr   rrr    ",
             "  r   r r   r   ", "  r   r r   r   ", "   rrr   rrr    ", "                ", "                ",
             "                "}},
    {"Copy", {"                ", " ######         ", " #    #         ", " #  #######     ", " #  #     #     ",
              " #  # ### #     ", " #  #     #     ", " ####  ## #     ", "    # ### #     ", "    #     #     ",
              "    #######     ", "                ", "                ", "                ", "                ",
              "                "}},
    {"Undo", {"                ", "                ", "    b           ", "   bb           ", "  bbbbbbbb      ",
              "   bb     b     ", "    b      b    ", "           b    ", "           b    ", "          b     ",
              "       bbb      ", "                ", "                ", "                ", "                ",
              "                "}},
    {"Paste", {"                ", "     ####       ", "  ###    ###    ", "  #  ####  #    ", "  #        #    ",
               "  #   ########  ", "  #   #      #  ", "  #   # #### #  ", "  #   #      #  ", "  #   # #### #  ",
               "  #####      #  ", "      ########  ", "                ", "                ", "                ",
               "                "}},
    {"Redo", {"                ", "                ", "           b    ", "           bb   ", "      bbbbbbbb  ",
              "     b     bb   ", "    b      b    ", "    b           ", "    b           ", "     b          ",
              "      bbb       ", "                ", "                ", "                ", "                ",
              "                "}},
    {"Spell", {"                ", "   #    ###     ", "  # #   #  #    ", "  ###   ###     ", "  # #   #  #    ",
               "  # #   ###     ", "                ", "            r   ", "           r    ", "    r     r     ",
               "     r   r      ", "      r r       ", "       r        ", "                ", "                ",
               "                "}},
    {"Bold", {"                ", "                ", "   #######      ", "    ##   ##     ", "    ##   ##     ",
              "    ##   ##     ", "    ######      ", "    ##    ##    ", "    ##    ##    ", "    ##    ##    ",
              "    ##    ##    ", "   ########     ", "                ", "                ", "                ",
              "                "}},
    {"Italic", {"                ", "                ", "      #####     ", "        #       ", "        #       ",
                "       #        ", "       #        ", "      #         ", "      #         ", "     #          ",
                "     #          ", "   #####        ", "                ", "                ", "                ",
                "                "}},
    {"Underline", {"                ", "                ", "   ###   ###    ", "    #     #     ", "    #     #     ",
                   "    #     #     ", "    #     #     ", "    #     #     ", "    #     #     ", "     #####      ",
                   "                ", "   #########    ", "                ", "                ", "                ",
                   "                "}},
    {"Color", {"                ", "      ###       ", "    ##   ##     ", "   #  r    #    ", "  #  rrr b  #   ",
               "  #   r bbb #   ", "  #  y   b   #  ", "  # yyy      #  ", "  #  y    ##  # ", "   #      ##  # ",
               "    ##      ##  ", "      ######    ", "                ", "                ", "                ",
               "                "}},
    {"Highlight", {"                ", "          ##    ", "         #  #   ", "        #  #    ", "       #  #     ",
                   "      #  #      ", "     #  #       ", "    #  #        ", "    ###         ", "   ##           ",
                   "                ", " yyyyyyyyyyyyy  ", " yyyyyyyyyyyyy  ", "                ", "                ",
                   "                "}},
    {"Left", {"                ", "                ", " ############   ", "                ", " ########       ",
              "                ", " ############   ", "                ", " ########       ", "                ",
              " ############   ", "                ", " ########       ", "                ", "                ",
              "                "}},
    {"Center", {"                ", "                ", "  ############  ", "                ", "    ########    ",
                "                ", "  ############  ", "                ", "    ########    ", "                ",
                "  ############  ", "                ", "    ########    ", "                ", "                ",
                "                "}},
    {"Right", {"                ", "                ", "   ############ ", "                ", "       ######## ",
               "                ", "   ############ ", "                ", "       ######## ", "                ",
               "   ############ ", "                ", "       ######## ", "                ", "                ",
               "                "}},
    {"Justify", {"                ", "                ", " ############## ", "                ", " ############## ",
                 "                ", " ############## ", "                ", " ############## ", "                ",
                 " ############## ", "                ", " ############## ", "                ", "                ",
                 "                "}},
    {"Bullet", {"                ", "                ", " ##  ########## ", " ##             ", "                ",
                "                ", " ##  ########## ", " ##             ", "                ", "                ",
                " ##  ########## ", " ##             ", "                ", "                ", "                ",
                "                "}},
};

std::vector<std::uint32_t> GlyphPixels(const TGlyph& glyph)
{
    std::vector<std::uint32_t> pixels(16 * 16, 0);  // transparent
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            rtl::TColor c = rtl::clNone;
            switch (glyph.rows[y][x]) {
            case '#': c = rtl::clBlack; break;
            case 'r': c = rtl::clRed; break;
            case 'b': c = rtl::clNavy; break;
            case 'y': c = rtl::clYellow; break;
            default: continue;
            }
            pixels[static_cast<std::size_t>(y * 16 + x)] = ui::PixelOfColor(c);
        }
    return pixels;
}

// A speed button's glyph: the stored picture form of the image, its blank pixels (the
// bottom-left one always among them) in the button's face colour, which a glyph shows opaque.
void SetGlyph(ui::TSpeedButton& button, const std::vector<std::uint32_t>& pixels)
{
    ui::TBitmap b(16, 16);
    b.Fill(rtl::clBtnFace);
    for (int i = 0; i < 16 * 16; ++i)
        if (const std::uint32_t p = pixels[static_cast<std::size_t>(i)]; p != 0) b.Pixels()[static_cast<std::size_t>(i)] = p;
    try {
        button.Glyph()->LoadFromBytes(ui::EncodeBmp(b));
    } catch (const std::exception&) {
        rtl::LogCurrentException("rich-text editor button image");
    }
}

bool HasSpellChecker(const classes::TPersistent& edit) { return edit.InheritsFrom("TgkDBRichEditMSWord"); }

}  // namespace

TgkRichEditOptions gkEditorOptionsKept(TgkRichEditOptions options, bool readOnly, bool spellChecker)
{
    if (readOnly)
        options = options - TgkRichEditOptions{reoShowLoad, reoShowSaveAs, reoShowSaveExit, reoShowFormatBar,
                                               reoShowToolBar, reoShowStatusBar, reoShowRuler, reoShowSpellCheck};
    if (!spellChecker) options.Exclude(reoShowSpellCheck);
    return options;
}

TgkEditorLayout gkEditorLayout(TgkRichEditOptions o, bool readOnly, bool oleDisabled)
{
    TgkEditorLayout l;
    l.load = o.Contains(reoShowLoad);
    l.saveAs = o.Contains(reoShowSaveAs);
    l.print = o.Contains(reoShowPrint);
    l.saveExit = o.Contains(reoShowSaveExit);
    l.pageSetup = o.Contains(reoShowPageSetup);
    l.spellCheck = o.Contains(reoShowSpellCheck) && !readOnly;
    l.justify = o.Contains(reoShowJustifyButton) && !readOnly;
    l.insertObject = o.Contains(reoShowInsertObject) && !oleDisabled && !readOnly;
    l.insertMenu = l.insertObject;
    // The separator after the file group goes with the file items, the one before Exit with
    // printing.
    l.fileSep1 = l.load || l.saveExit;
    l.fileSep2 = l.print || l.pageSetup;
    l.statusBar = o.Contains(reoShowStatusBar);
    l.formatBar = o.Contains(reoShowFormatBar);
    l.toolBar = o.Contains(reoShowToolBar);
    l.ruler = o.Contains(reoShowRuler);
    l.viewMenu = l.formatMenu = l.newButton = !readOnly;
    return l;
}

const std::vector<TgkColorItem>& gkColorItems()
{
    static const std::vector<TgkColorItem> items = {
        {"Black", rtl::clBlack},   {"Maroon", rtl::clMaroon}, {"Green", rtl::clGreen},     {"Olive", rtl::clOlive},
        {"Navy", rtl::clNavy},     {"Purple", rtl::clPurple}, {"Teal", rtl::clTeal},       {"Gray", rtl::clGray},
        {"Silver", rtl::clSilver}, {"Red", rtl::clRed},       {"Lime", rtl::clLime},       {"Yellow", rtl::clYellow},
        {"Blue", rtl::clBlue},     {"Fuchsia", rtl::clFuchsia}, {"Aqua", rtl::clAqua},     {"White", rtl::clWhite},
        {"Automatic", rtl::clWindowText},
    };
    return items;
}

// ---- The form ---------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkRichEditForm, ui::TForm) {}

TgkRichEditForm::TgkRichEditForm(classes::TComponent* owner) : TForm(owner)
{
    using F = TgkRichEditForm;
    const std::pair<const char*, void (F::*)(classes::TObject*)> handlers[] = {
        {"FormShow", &F::FormShow}, {"FormResize", &F::FormResize}, {"NewClick", &F::NewClick},
        {"LoadClick", &F::LoadClick}, {"SaveAsClick", &F::SaveAsClick}, {"SaveExitClick", &F::SaveExitClick},
        {"PrintClick", &F::PrintClick}, {"PageSetupClick", &F::PageSetupClick}, {"ExitClick", &F::ExitClick},
        {"UndoClick", &F::UndoClick}, {"RedoClick", &F::RedoClick}, {"CutClick", &F::CutClick},
        {"CopyClick", &F::CopyClick}, {"PasteClick", &F::PasteClick}, {"ClearClick", &F::ClearClick},
        {"SelectAllClick", &F::SelectAllClick}, {"FindClick", &F::FindClick}, {"FindNextClick", &F::FindNextClick},
        {"ReplaceClick", &F::ReplaceClick}, {"BarToggleClick", &F::BarToggleClick},
        {"DateTimeClick", &F::DateTimeClick}, {"InsertObjectClick", &F::InsertObjectClick},
        {"FontClick", &F::FontClick}, {"BulletClick", &F::BulletClick}, {"ParagraphClick", &F::ParagraphClick},
        {"TabsClick", &F::TabsClick}, {"SpellingClick", &F::SpellingClick},
        {"StyleButtonClick", &F::StyleButtonClick}, {"AlignButtonClick", &F::AlignButtonClick},
        {"ColorButtonClick", &F::ColorButtonClick}, {"ColorItemClick", &F::ColorItemClick},
        {"HighlightButtonClick", &F::HighlightButtonClick},
    };
    for (const auto& [name, handler] : handlers) RegisterHandler(name, this, handler);
    RegisterHandler("FormCloseQuery", this, &F::FormCloseQuery);
    RegisterHandler("FormKeyDown", this, &F::FormKeyDown);
    RegisterHandler("FormKeyUp", this, &F::FormKeyUp);
    RegisterHandler("FontNameCloseUp", this, &F::FontNameCloseUp);
    RegisterHandler("FontSizeCloseUp", this, &F::FontSizeCloseUp);
    LoadDescription("gkRichEditForm");

    // The ruler below the format bar, then the editor below the ruler.
    auto* formatBar = Get<ui::TPanel>("FormatBar");
    ruler_ = new TgkRulerPanel(this);
    ruler_->SetName("Ruler");
    ruler_->SetParent(this);
    ruler_->SetBounds(0, formatBar->Top() + formatBar->Height() + 2, ClientWidth(), ui::ScreenPixelsPerInch() > 96 ? 27 : 25);
    ruler_->SetPixelsPerInch(ui::ScreenPixelsPerInch());
    for (TgkTrackIcon* marker : {ruler_->LeftMarker(), ruler_->FirstMarker(), ruler_->RightMarker()})
        marker->OnEndDrag = [this](classes::TObject* s) { MarkerEndDrag(s); };
    editor_ = new TgkDBRichEdit(this);
    editor_->SetName("RichEdit1");
    editor_->SetParent(this);
    editor_->SetBounds(0, ruler_->Top() + ruler_->Height() + 62, 595, 330);
    editor_->SetTabOrder(3);
    editor_->SetColor(rtl::clWindow);
    editor_->OnSelectionChange = [this](classes::TObject*) { UpdateSelection(); };
    editor_->OnChange = [this](classes::TObject*) { UpdateSelection(); };

    const std::vector<TgkColorItem>& colors = gkColorItems();
    ui::TMenuItem* colorItems = Get<ui::TPopupMenu>("PopupMenu1")->Items();
    for (int i = 0; i < colorItems->Count() && static_cast<std::size_t>(i) < colors.size(); ++i)
        colorItems->Items(i)->SetTag(static_cast<int>(colors[static_cast<std::size_t>(i)].color));
    auto* sizes = Get<TgkDBComboBox>("FontSizeCombo");
    for (const char* s : {"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36", "48", "72"})
        sizes->Items()->Add(s);
    MakeImages();
}

TgkRichEditForm::~TgkRichEditForm()
{
    if (shown_) ui::Application().OnHint = savedHint_;
    // The user's buttons go back where they came from, hidden again.
    for (const auto& [button, parent] : userButtons_) {
        button->SetVisible(false);
        button->SetParent(parent);
    }
}

void TgkRichEditForm::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TForm::Notification(component, operation);
    if (operation == classes::opRemove)
        std::erase_if(userButtons_, [component](const auto& entry) { return entry.first == component; });
}

void TgkRichEditForm::ShowUserButtons()
{
    auto* toolbar = Get<ui::TPanel>("Toolbar");
    auto* bevel = Get<ui::TShape>("UserButtonBevel");
    int x = bevel->Left() + bevel->Width() + 3;
    for (ui::TSpeedButton* button : {source_->UserSpeedButton1(), source_->UserSpeedButton2()}) {
        if (button == nullptr) continue;
        userButtons_.emplace_back(button, button->Parent());
        button->FreeNotification(this);
        button->SetParent(toolbar);
        button->SetBounds(x, 3, button->Width(), button->Height());
        button->SetFlat(options_.Contains(reoFlatButtons));
        button->SetVisible(true);
        x += button->Width();
    }
    if (!userButtons_.empty()) bevel->SetVisible(true);
}

void TgkRichEditForm::MakeImages()
{
    auto* images = Get<ui::TImageList>("ImageList1");
    const auto glyph = [](std::string_view name) -> const TGlyph& {
        for (const TGlyph& g : kGlyphs)
            if (name == g.name) return g;
        return kGlyphs[0];
    };
    const std::pair<const char*, const char*> buttons[] = {
        {"NewButton", "New"},     {"LoadButton1", "Load"},         {"SaveAsButton", "Save"},
        {"PrintButton", "Print"}, {"FindButton", "Find"},          {"CutButton", "Cut"},
        {"CopyButton", "Copy"},   {"UndoButton", "Undo"},          {"PasteButton", "Paste"},
        {"RedoButton", "Redo"},   {"SpellButton", "Spell"},        {"BoldButton", "Bold"},
        {"ItalicButton", "Italic"}, {"UnderlineButton", "Underline"}, {"ColorButton", "Color"},
        {"HighlightButton", "Highlight"}, {"LeftButton", "Left"},  {"CenterButton", "Center"},
        {"RightButton", "Right"}, {"JustifyButton", "Justify"},    {"BulletButton", "Bullet"},
    };
    for (const auto& [button, name] : buttons) SetGlyph(*Get<ui::TSpeedButton>(button), GlyphPixels(glyph(name)));
    // The main menu's icons: the images of the buttons doing the same.
    const std::pair<const char*, const char*> items[] = {
        {"Load1", "Load"},   {"SaveAs1", "Save"},   {"Print1", "Print"}, {"Undo1", "Undo"}, {"Redo1", "Redo"},
        {"Cut1", "Cut"},     {"Copy1", "Copy"},     {"Paste1", "Paste"}, {"Find1", "Find"}, {"BulletStyle1", "Bullet"},
        {"Spelling1", "Spell"},
    };
    for (const auto& [item, name] : items) Get<ui::TMenuItem>(item)->SetImageIndex(images->AddPixels(GlyphPixels(glyph(name))));

    // The colour menu shows each colour's swatch as its item's image.
    colorImages_ = new ui::TImageList(this);
    colorImages_->SetWidth(16);
    colorImages_->SetHeight(16);
    auto* popup = Get<ui::TPopupMenu>("PopupMenu1");
    popup->SetImages(colorImages_);
    for (int i = 0; i < popup->Items()->Count(); ++i) {
        ui::TMenuItem* item = popup->Items()->Items(i);
        std::vector<std::uint32_t> swatch(16 * 16, ui::PixelOfColor(rtl::ColorToRGB(item->Tag())));
        for (int k = 0; k < 16; ++k) {
            const auto edge = ui::PixelOfColor(rtl::clGray);
            swatch[static_cast<std::size_t>(k)] = swatch[static_cast<std::size_t>(15 * 16 + k)] = edge;
            swatch[static_cast<std::size_t>(k * 16)] = swatch[static_cast<std::size_t>(k * 16 + 15)] = edge;
        }
        item->SetImageIndex(colorImages_->AddPixels(swatch));
    }
}

void TgkRichEditForm::Setup(TgkCustomRichEdit& source)
{
    source_ = &source;
    TgkDBRichEdit& e = *editor_;
    e.SetOleOptions(source.OleOptions());
    e.SetWordWrap(source.WordWrap());
    e.SetEditorCaption("Edit Rich Text");
    e.SetMeasurementUnits(source.MeasurementUnits());
    ruler_->SetUnits(source.MeasurementUnits());
    e.OnURLOpen = source.OnURLOpen;
    e.SetEditWidth(source.EditWidth());
    e.SetHighlightColor(source.HighlightColor());
    e.PrintMargins()->Assign(*source.PrintMargins());
    e.SetPrintPageSize(source.PrintPageSize());
    TgkRichEditOptions options = source.EditorOptions();
    const bool designing = source.ComponentState().Contains(classes::csDesigning);
    if (designing) options = options | TgkRichEditOptions::FromBits(0xFFFF);
    if (options.Contains(reoUseBackColor)) e.SetColor(source.Color());
    e.SetEditorOptions(options);
    e.SetDBReadOnly(designing ? false : source.GetReadOnly());
    e.Font()->Assign(*source.Font());
    e.SetAutoURLDetect(source.AutoURLDetect());
    SetCaption(source.EditorCaption());
    // The window's place and size.
    TgkFormPosition& pos = source.EditorPosition();
    if (pos.Width > 0) SetWidth(pos.Width);
    if (pos.Height > 0) SetHeight(pos.Height);
    if (pos.Left > 0 || pos.Top > 0) {
        SetPosition(ui::poDesigned);
        SetLeft(std::max(pos.Left, 0));
        SetTop(std::max(pos.Top, 0));
    } else {
        SetPosition(ui::poScreenCenter);
    }
}

void TgkRichEditForm::FormShow(classes::TObject*)
{
    if (shown_ || source_ == nullptr) return;
    shown_ = true;
    TgkDBRichEdit& e = *editor_;
    // Automatic is the editor's font colour.
    ui::TMenuItem* colorItems = Get<ui::TPopupMenu>("PopupMenu1")->Items();
    colorItems->Items(colorItems->Count() - 1)->SetTag(static_cast<int>(e.Font()->Color()));
    savedHint_ = ui::Application().OnHint;
    ui::Application().OnHint = [this](classes::TObject*) {
        Get<ui::TStatusBar>("StatusBar")->Panels()->Items(0)->SetText(ui::Application().Hint());
    };
    TgkCustomRichEdit::CopyRichText(*source_, e);
    e.SetGutterWidth(6);
    auto* names = Get<TgkDBComboBox>("FontNameCombo");
    names->Items()->Assign(ui::Screen().Fonts());
    const bool readOnly = e.GetReadOnly();
    options_ = gkEditorOptionsKept(e.EditorOptions(), readOnly, HasSpellChecker(e));
    ApplyLayout();
    ShowUserButtons();
    e.SetModified(false);
    UpdateSelection();
    UpdateLockPanels();
    source_->DoInitDialog(this);
    FormResize(this);
    if (e.CanFocus()) e.SetFocus();
    SetActiveControl(&e);
}

void TgkRichEditForm::ApplyLayout()
{
    const bool readOnly = editor_->GetReadOnly();
    const TgkEditorLayout l = gkEditorLayout(options_, readOnly, true);
    const auto show = [this](const char* name, bool on) {
        if (auto* c = dynamic_cast<ui::TControl*>(FindComponent(name)))
            c->SetVisible(on);
        else
            Get<ui::TMenuItem>(name)->SetVisible(on);
    };
    const std::pair<const char*, bool> parts[] = {
        {"Load1", l.load}, {"LoadButton1", l.load}, {"SaveAs1", l.saveAs}, {"SaveAsButton", l.saveAs},
        {"Print1", l.print}, {"PrintButton", l.print}, {"SaveExit1", l.saveExit}, {"PageSetup1", l.pageSetup},
        {"FileSep1", l.fileSep1}, {"FileSep2", l.fileSep2}, {"Spelling1", l.spellCheck}, {"Tools1", l.spellCheck},
        {"SpellButton", l.spellCheck}, {"JustifyButton", l.justify}, {"Insert1", l.insertMenu},
        {"InsertObject1", l.insertObject}, {"StatusBar", l.statusBar}, {"FormatBar", l.formatBar},
        {"FormatBarBevel", l.formatBar}, {"Toolbar", l.toolBar}, {"ToolBarBevel", l.toolBar},
        {"RulerBevel", l.ruler}, {"View1", l.viewMenu}, {"Format1", l.formatMenu}, {"NewButton", l.newButton},
    };
    for (const auto& [name, on] : parts) show(name, on);
    ruler_->SetVisible(l.ruler);
    Get<ui::TMenuItem>("Toolbar1")->SetChecked(l.toolBar);
    Get<ui::TMenuItem>("FormatBar1")->SetChecked(l.formatBar);
    Get<ui::TMenuItem>("StatusBar1")->SetChecked(l.statusBar);
    Get<ui::TMenuItem>("Ruler1")->SetChecked(l.ruler);

    // Flat buttons, or raised ones without the bars' bevels.
    const bool flat = options_.Contains(reoFlatButtons);
    for (const char* bar : {"Toolbar", "FormatBar"}) {
        auto* panel = Get<ui::TPanel>(bar);
        for (int i = 0; i < panel->ControlCount(); ++i) {
            if (auto* b = dynamic_cast<ui::TSpeedButton*>(panel->Controls(i))) b->SetFlat(flat);
            if (auto* bevel = dynamic_cast<ui::TShape*>(panel->Controls(i)); bevel != nullptr && !flat)
                bevel->SetVisible(false);
        }
    }
    // Hints and captions.
    const grid::TgkDBRichEditIntl& t = Texts();
    const bool hints = options_.Contains(reoShowHints);
    SetShowHint(hints);
    const std::pair<const char*, const std::string*> hintTexts[] = {
        {"FontNameCombo", &t.FontNameComboHint}, {"FontSizeCombo", &t.FontSizeComboHint},
        {"NewButton", &t.NewButtonHint},         {"LoadButton1", &t.LoadButtonHint},
        {"SaveAsButton", &t.SaveAsButtonHint},   {"PrintButton", &t.PrintButtonHint},
        {"FindButton", &t.FindButtonHint},       {"CutButton", &t.CutButtonHint},
        {"CopyButton", &t.CopyButtonHint},       {"UndoButton", &t.UndoButtonHint},
        {"PasteButton", &t.PasteButtonHint},     {"BoldButton", &t.BoldButtonHint},
        {"ItalicButton", &t.ItalicButtonHint},   {"UnderlineButton", &t.UnderlineButtonHint},
        {"ColorButton", &t.ColorButtonHint},     {"HighlightButton", &t.HighlightButtonHint},
        {"LeftButton", &t.LeftButtonHint},       {"CenterButton", &t.CenterButtonHint},
        {"RightButton", &t.RightButtonHint},     {"JustifyButton", &t.JustifyButtonHint},
        {"BulletButton", &t.BulletButtonHint},   {"SpellButton", &t.SpellCheckHint},
    };
    for (const auto& [name, text] : hintTexts)
        Get<ui::TControl>(name)->SetHint(hints ? *text : std::string());
    Get<ui::TControl>("RedoButton")->SetHint(hints ? OrDefault(t.RedoButtonHint, "Redo | Reverses the last undo action") : "");
    const grid::TgkRichEditMenuLabelsIntl& m = t.MenuLabels;
    const std::pair<const char*, std::string> captions[] = {
        {"File1", m.FileCaption},        {"Load1", m.LoadCaption},         {"SaveAs1", m.SaveAsCaption},
        {"SaveExit1", m.SaveAndExitCaption}, {"Print1", m.PrintCaption},   {"PageSetup1", m.PageSetupCaption},
        {"Exit1", m.ExitCaption},        {"Edit1", m.EditCaption},         {"Undo1", m.UndoCaption},
        {"Redo1", OrDefault(m.RedoCaption, "&Redo")}, {"Cut1", m.CutCaption}, {"Copy1", m.CopyCaption},
        {"Paste1", m.PasteCaption},      {"Clear1", m.ClearCaption},       {"SelectAll1", m.SelectAllCaption},
        {"Find1", m.FindCaption},        {"FindNext1", m.FindNextCaption}, {"Replace1", m.ReplaceCaption},
        {"View1", m.ViewCaption},        {"Toolbar1", m.ToolbarCaption},   {"FormatBar1", m.FormatBarCaption},
        {"StatusBar1", m.StatusBarCaption}, {"Ruler1", OrDefault(m.RulerCaption, "&Ruler")},
        {"Options1", m.OptionsCaption},  {"Insert1", OrDefault(m.InsertCaption, "&Insert")},
        {"InsertObject1", m.InsertObjectCaption}, {"Format1", m.FormatCaption}, {"Font1", m.FontCaption},
        {"BulletStyle1", m.BulletStyleCaption}, {"Paragraph1", m.ParagraphCaption}, {"Tabs1", m.TabsCaption},
        {"Tools1", m.ToolsCaption},      {"Spelling1", m.SpellCheckCaption}, {"Help1", m.HelpCaption},
    };
    for (const auto& [name, caption] : captions) Get<ui::TMenuItem>(name)->SetCaption(caption);
    if (!options_.Contains(reoShowMainMenuIcons)) Get<ui::TMainMenu>("MainMenu1")->SetImages(nullptr);
    auto* panels = Get<ui::TStatusBar>("StatusBar")->Panels();
    panels->Items(1)->SetWidth(Scaled(kStatusLockWidth));
    panels->Items(2)->SetWidth(Scaled(kStatusLockWidth));
    LayToolbar();
}

void TgkRichEditForm::LayToolbar()
{
    // Groups left to right, hidden buttons skipped, a bevel and 5 pixels between groups.
    const std::vector<std::pair<std::vector<const char*>, const char*>> groups = {
        {{"NewButton", "LoadButton1", "SaveAsButton", "PrintButton", "FindButton"}, "ToolbarBevel1"},
        {{"CutButton", "CopyButton", "PasteButton"}, "Bevel1"},
        {{"UndoButton", "RedoButton"}, "Bevel2"},
        {{"SpellButton"}, "UserButtonBevel"},
    };
    int x = 4;
    for (const auto& [buttons, bevel] : groups) {
        bool any = false;
        for (const char* name : buttons) {
            auto* b = Get<ui::TSpeedButton>(name);
            if (!b->Visible()) continue;
            b->SetLeft(x);
            x += b->Width();
            any = true;
        }
        auto* line = Get<ui::TShape>(bevel);
        line->SetVisible(any && options_.Contains(reoFlatButtons));
        if (any) {
            line->SetLeft(x + 2);
            x += 5 + line->Width();
        }
    }
    // The format bar: combos, the style buttons, colours, alignment, bullets.
    const std::vector<std::pair<std::vector<const char*>, const char*>> formatGroups = {
        {{"BoldButton", "ItalicButton", "UnderlineButton", "ColorButton", "HighlightButton"}, "Bevel3"},
        {{"LeftButton", "CenterButton", "RightButton", "JustifyButton"}, "Bevel4"},
        {{"BulletButton"}, nullptr},
    };
    auto* sizes = Get<ui::TControl>("FontSizeCombo");
    x = sizes->Left() + sizes->Width() + 5;
    for (const auto& [buttons, bevel] : formatGroups) {
        for (const char* name : buttons) {
            auto* b = Get<ui::TSpeedButton>(name);
            if (!b->Visible()) continue;
            b->SetLeft(x);
            x += b->Width();
        }
        if (bevel != nullptr) {
            auto* line = Get<ui::TShape>(bevel);
            line->SetLeft(x + 2);
            x += 5 + line->Width();
        }
    }
}

void TgkRichEditForm::UpdateSelection()
{
    TgkDBRichEdit& e = *editor_;
    const bool readOnly = e.GetReadOnly();
    const bool selection = e.SelLength() > 0;
    Get<ui::TSpeedButton>("BoldButton")->SetDown(e.SelectionHasStyle(0));
    Get<ui::TSpeedButton>("ItalicButton")->SetDown(e.SelectionHasStyle(1));
    Get<ui::TSpeedButton>("UnderlineButton")->SetDown(e.SelectionHasStyle(2));
    const ui::TRichCharState chars = e.Document().CharsAt(e.SelStart(), e.SelLength());
    auto* names = Get<TgkDBComboBox>("FontNameCombo");
    names->SetText(chars.fontName);
    names->Font()->SetColor(chars.fontName.empty() || names->Items()->IndexOf(chars.fontName) >= 0 ? rtl::clWindowText
                                                                                                    : rtl::clRed);
    Get<TgkDBComboBox>("FontSizeCombo")->SetText(chars.halfPoints > 0 ? std::to_string(chars.halfPoints / 2) : "");
    const ui::rtf::ParaFormat para = e.Document().ParagraphFormat(e.SelStart());
    Get<ui::TSpeedButton>("BulletButton")->SetDown(para.bullet);
    Get<ui::TSpeedButton>("HighlightButton")->SetDown(e.SelBackground() != rtl::clWindow && !e.ActsAsVersion1());
    Get<ui::TSpeedButton>("LeftButton")->SetDown(para.alignment == ui::rtf::Alignment::Left);
    Get<ui::TSpeedButton>("CenterButton")->SetDown(para.alignment == ui::rtf::Alignment::Center);
    Get<ui::TSpeedButton>("RightButton")->SetDown(para.alignment == ui::rtf::Alignment::Right);
    Get<ui::TSpeedButton>("JustifyButton")->SetDown(para.alignment == ui::rtf::Alignment::Justify);
    const bool canPaste = e.CanPaste() && !readOnly;
    const bool hasText = e.Document().Length() > 0;
    const std::pair<const char*, bool> enabling[] = {
        {"Paste1", canPaste},          {"PasteButton", canPaste},
        {"Undo1", e.Document().CanUndo()}, {"UndoButton", e.Document().CanUndo()},
        {"Redo1", e.Document().CanRedo()}, {"RedoButton", e.Document().CanRedo()},
        {"Cut1", selection && !readOnly}, {"CutButton", selection && !readOnly},
        {"Clear1", selection && !readOnly}, {"Copy1", selection}, {"CopyButton", selection},
        {"SelectAll1", hasText},       {"Find1", hasText}, {"FindButton", hasText},
        {"FindNext1", e.Finder() != nullptr && !e.Finder()->FindText().empty()},
        {"Replace1", hasText && !readOnly},
    };
    for (const auto& [name, on] : enabling) {
        if (auto* c = dynamic_cast<ui::TControl*>(FindComponent(name)))
            c->SetEnabled(on);
        else
            Get<ui::TMenuItem>(name)->SetEnabled(on);
    }
    PlaceMarkers();
}

TgkRulerGeometry TgkRichEditForm::Geometry() const
{
    TgkRulerGeometry g;
    g.pixelsPerInch = ruler_->PixelsPerInch();
    g.leftMin = ruler_->LeftMarker()->MinValue();
    g.markerWidth = ruler_->LeftMarker()->Width();
    g.editorWidth = editor_->Width();
    g.gutterWidth = editor_->GutterWidth();
    return g;
}

void TgkRichEditForm::PlaceMarkers()
{
    const ui::rtf::ParaFormat p = editor_->Document().ParagraphFormat(editor_->SelStart());
    ruler_->PlaceMarkers({});  // the markers' bounds first: the geometry reads them
    ruler_->PlaceMarkers(gkMarkersForParagraph(p.leftIndent, p.leftIndent + p.firstIndent, p.rightIndent, Geometry()));
}

void TgkRichEditForm::MarkerEndDrag(classes::TObject* sender)
{
    const TgkMarker dragged = sender == ruler_->RightMarker() ? TgkMarker::Right
                              : sender == ruler_->FirstMarker() ? TgkMarker::First
                                                                : TgkMarker::Left;
    const TgkMarkerPositions kept = gkKeepMarkersApart(ruler_->Markers(), dragged);
    editor_->SetParagraph(gkMarkerParagraph(kept, dragged, Geometry()));
    editor_->Change();
    Command();
}

void TgkRichEditForm::Command()
{
    UpdateSelection();
    if (editor_->CanFocus()) editor_->SetFocus();
}

void TgkRichEditForm::FormResize(classes::TObject*)
{
    if (editor_ == nullptr || ruler_ == nullptr) return;
    const int width = ClientWidth();
    ruler_->SetWidth(width);
    for (const char* name : {"Toolbar", "FormatBar", "ToolBarBevel", "FormatBarBevel", "RulerBevel"})
        Get<ui::TControl>(name)->SetWidth(width);
    auto* status = Get<ui::TStatusBar>("StatusBar");
    status->Panels()->Items(0)->SetWidth(std::max(0, width - 2 * Scaled(kStatusLockWidth)));
    // The visible bars stack from the top; the editor takes the rest.
    int top = 0;
    for (ui::TControl* bar : {Get<ui::TControl>("Toolbar"), Get<ui::TControl>("FormatBar"),
                              static_cast<ui::TControl*>(ruler_)}) {
        if (!bar->Visible()) continue;
        bar->SetTop(top);
        top += bar->Height() + 2;
    }
    Get<ui::TControl>("ToolBarBevel")->SetTop(Get<ui::TControl>("Toolbar")->Top() + Get<ui::TControl>("Toolbar")->Height());
    Get<ui::TControl>("FormatBarBevel")->SetTop(Get<ui::TControl>("FormatBar")->Top() + Get<ui::TControl>("FormatBar")->Height());
    Get<ui::TControl>("RulerBevel")->SetTop(ruler_->Top() + ruler_->Height());
    const int statusHeight = status->Visible() ? status->Height() : 0;
    editor_->SetBounds(4, top, std::max(width - 8, 10), std::max(ClientHeight() - top - statusHeight, 10));
    PlaceMarkers();
}

// ---- Closing ----------------------------------------------------------------------------------

void TgkRichEditForm::FormCloseQuery(classes::TObject*, bool& canClose)
{
    canClose = true;
    const bool command = cancelCommand_;
    cancelCommand_ = false;
    if (ModalResult() == ui::mrOk) return;
    if (options_.Contains(reoNoConfirmation)) {
        // Only the close box saves without asking: Exit and Escape stay Cancel.
        if (!command) SetModalResult(ui::mrOk);
        return;
    }
    if (!editor_->Modified() || editor_->GetReadOnly()) return;
    switch (ui::MessageDlg(grid::gkIntlDefault().UserMessages.RichEditExitWarning, ui::mtConfirmation,
                           {ui::mbYes, ui::mbNo, ui::mbCancel})) {
    case ui::mrYes: SetModalResult(ui::mrOk); break;
    case ui::mrNo: SetModalResult(ui::mrCancel); break;
    default: canClose = false; break;
    }
}

void TgkRichEditForm::ExitClick(classes::TObject*)
{
    cancelCommand_ = true;
    SetModalResult(ui::mrCancel);
}

void TgkRichEditForm::SaveExitClick(classes::TObject*)
{
    bool done = true;
    source_->OnMenuSaveAndExitClick(this, editor_, done);
    if (done) SetModalResult(ui::mrOk);
}

void TgkRichEditForm::FormKeyDown(classes::TObject*, ui::TKey& key, ui::TShiftState shift)
{
    if (key == ui::VK_ESCAPE) {
        key = 0;
        if (options_.Contains(reoCloseOnEscape) || editor_->GetReadOnly()) {
            cancelCommand_ = true;
            SetModalResult(ui::mrCancel);
        } else {
            UndoClick(this);
        }
        return;
    }
    if (!shift.Contains(ui::ssCtrl) || editor_->GetReadOnly()) return;
    const char* button = key == 'B' ? "BoldButton" : key == 'U' ? "UnderlineButton" : key == 'I' ? "ItalicButton" : nullptr;
    if (button == nullptr) return;
    key = 0;
    Get<ui::TSpeedButton>(button)->Click();
}

void TgkRichEditForm::FormKeyUp(classes::TObject*, ui::TKey&, ui::TShiftState) { UpdateLockPanels(); }

void TgkRichEditForm::UpdateLockPanels()
{
    const grid::TgkDBRichEditIntl& t = Texts();
    auto* panels = Get<ui::TStatusBar>("StatusBar")->Panels();
    panels->Items(1)->SetText((ui::GetKeyState(kNumLock) & 1) != 0 ? t.NUMLockCaption : std::string());
    panels->Items(2)->SetText((ui::GetKeyState(kCapsLock) & 1) != 0 ? t.CAPLockCaption : std::string());
}

// ---- File commands ----------------------------------------------------------------------------

void TgkRichEditForm::NewClick(classes::TObject*)
{
    if (ui::MessageDlg(grid::gkIntlDefault().UserMessages.RichEditClearWarning, ui::mtConfirmation,
                       {ui::mbOK, ui::mbCancel}) != ui::mrOk)
        return;
    editor_->SetPlainTextContent("");
    editor_->Change();
    Command();
}

bool TgkRichEditForm::LoadFromFile(const std::string& path)
{
    std::string data;
    try {
        data = rtl::ReadFileToString(path);
    } catch (const std::exception& e) {
        rtl::LogCurrentException("rich-text editor load");
        ui::MessageDlg(e.what(), ui::mtError, {ui::mbOK});
        return false;
    }
    editor_->StreamIn(data);
    editor_->Change();
    return true;
}

void TgkRichEditForm::SaveToFile(const std::string& path, bool plain)
{
    rtl::SaveFileAtomically(path, plain ? editor_->PlainTextContent() : editor_->SaveRtf());
}

void TgkRichEditForm::LoadClick(classes::TObject*)
{
    bool done = true;
    source_->OnMenuLoadClick(this, editor_, done);
    auto* dialog = Get<ui::TOpenDialog>("OpenDialog1");
    if (done && dialog->Execute()) LoadFromFile(dialog->FileName());
    Command();
}

void TgkRichEditForm::SaveAsClick(classes::TObject*)
{
    bool done = true;
    source_->OnMenuSaveAsClick(this, editor_, done);
    auto* dialog = Get<ui::TSaveDialog>("SaveDialog1");
    if (!done || !dialog->Execute()) return;
    const std::string path = dialog->FileName();
    if (rtl::FileExists(path)) {
        char question[1024];
        std::snprintf(question, sizeof question, "OK to overwrite %s", path.c_str());
        if (ui::MessageDlg(question, ui::mtConfirmation, {ui::mbYes, ui::mbNo, ui::mbCancel}) != ui::mrYes) return;
    }
    try {
        SaveToFile(path, dialog->FilterIndex() == 2);
    } catch (const std::exception& e) {
        rtl::LogCurrentException("rich-text editor save");
        ui::MessageDlg(e.what(), ui::mtError, {ui::mbOK});
    }
}

void TgkRichEditForm::PrintClick(classes::TObject*)
{
    bool done = true;
    source_->OnMenuPrintClick(this, editor_, done);
    ui::TPrintDialog dialog(nullptr);
    if (!done || !dialog.Execute()) return;
    try {
        editor_->Print(source_->PrintJobName());
    } catch (const std::exception& e) {
        rtl::LogCurrentException("rich-text editor print");
        ui::MessageDlg(e.what(), ui::mtError, {ui::mbOK});
    }
}

void TgkRichEditForm::PageSetupClick(classes::TObject*)
{
    TgkPageSetupDialog dialog(nullptr);
    dialog.SetRichEdit(editor_);
    if (dialog.Execute()) FormResize(this);
}

// ---- Edit commands ----------------------------------------------------------------------------

void TgkRichEditForm::UndoClick(classes::TObject*)
{
    if (editor_->Document().CanUndo()) editor_->Document().Undo();
    Command();
}

void TgkRichEditForm::RedoClick(classes::TObject*)
{
    if (editor_->Document().CanRedo()) editor_->Document().Redo();
    Command();
}

void TgkRichEditForm::CutClick(classes::TObject*)
{
    editor_->CutToClipboard();
    Command();
}

void TgkRichEditForm::CopyClick(classes::TObject*)
{
    editor_->CopyToClipboard();
    Command();
}

void TgkRichEditForm::PasteClick(classes::TObject*)
{
    editor_->PasteFromClipboard();
    Command();
}

void TgkRichEditForm::ClearClick(classes::TObject*)
{
    if (editor_->GetReadOnly() || editor_->SelLength() <= 0) return;
    editor_->SetSel(editor_->Document().ReplaceText(editor_->SelStart(), editor_->SelLength(), ""), 0);
    editor_->Change();
    Command();
}

void TgkRichEditForm::SelectAllClick(classes::TObject*)
{
    editor_->SetSel(0, editor_->Document().Length());
    Command();
}

void TgkRichEditForm::FindClick(classes::TObject*) { editor_->FindDialog(); }

void TgkRichEditForm::FindNextClick(classes::TObject*)
{
    if (editor_->Finder() != nullptr && !editor_->Finder()->FindText().empty())
        editor_->FindNext(editor_->Finder()->FindText(), {});
    Command();
}

void TgkRichEditForm::ReplaceClick(classes::TObject*) { editor_->ReplaceDialog(); }

void TgkRichEditForm::BarToggleClick(classes::TObject* sender)
{
    auto* item = dynamic_cast<ui::TMenuItem*>(sender);
    if (item == nullptr) return;
    const std::string& name = item->Name();
    const bool on = !item->Checked();
    item->SetChecked(on);
    if (name == "Ruler1") {
        ruler_->SetVisible(on);
        Get<ui::TControl>("RulerBevel")->SetVisible(on);
    } else if (name == "Toolbar1") {
        Get<ui::TControl>("Toolbar")->SetVisible(on);
        Get<ui::TControl>("ToolBarBevel")->SetVisible(on);
    } else if (name == "FormatBar1") {
        Get<ui::TControl>("FormatBar")->SetVisible(on);
        Get<ui::TControl>("FormatBarBevel")->SetVisible(on);
    } else if (name == "StatusBar1") {
        Get<ui::TControl>("StatusBar")->SetVisible(on);
    }
    FormResize(this);
}

void TgkRichEditForm::DateTimeClick(classes::TObject*)
{
    if (editor_->GetReadOnly()) return;
    const std::string now = rtl::FormatDateTime("c", rtl::Now());
    editor_->SetSel(editor_->Document().ReplaceText(editor_->SelStart(), editor_->SelLength(), now), 0);
    editor_->Change();
    Command();
}

void TgkRichEditForm::InsertObjectClick(classes::TObject*) { editor_->InsertObject(); }

void TgkRichEditForm::FontClick(classes::TObject*)
{
    editor_->FontDialog();
    Command();
}

void TgkRichEditForm::BulletClick(classes::TObject*)
{
    editor_->SetBullet(!editor_->Document().ParagraphFormat(editor_->SelStart()).bullet);
    editor_->Change();
    Command();
}

void TgkRichEditForm::ParagraphClick(classes::TObject*)
{
    editor_->ParagraphDialog();
    Command();
}

void TgkRichEditForm::TabsClick(classes::TObject*)
{
    editor_->TabDialog();
    Command();
}

void TgkRichEditForm::SpellingClick(classes::TObject*) { editor_->SpellCheck(); }

// ---- Format commands --------------------------------------------------------------------------

void TgkRichEditForm::StyleButtonClick(classes::TObject* sender)
{
    if (editor_->GetReadOnly()) return;
    const int style = sender == FindComponent("BoldButton")       ? 0
                      : sender == FindComponent("ItalicButton")   ? 1
                      : sender == FindComponent("UnderlineButton") ? 2
                                                                  : -1;
    if (style < 0) return;
    editor_->ToggleStyle(style);
    editor_->Change();
    Command();
}

void TgkRichEditForm::AlignButtonClick(classes::TObject* sender)
{
    if (editor_->GetReadOnly()) return;
    const grid::TgkRichEditParagraphDialogIntl& t = Texts().ParagraphDialog;
    TgkCustomRichEdit::ParagraphSettings s;
    s.mask = 1u << 0;
    s.alignment = sender == FindComponent("LeftButton")      ? t.AlignLeft
                  : sender == FindComponent("RightButton")   ? t.AlignRight
                  : sender == FindComponent("JustifyButton") ? t.AlignJustify
                                                             : t.AlignCenter;
    editor_->SetParagraph(s);
    editor_->Change();
    Command();
}

void TgkRichEditForm::ColorButtonClick(classes::TObject*)
{
    auto* button = Get<ui::TControl>("ColorButton");
    const ui::TPoint at = button->ClientToScreen({0, button->Height()});
    Get<ui::TPopupMenu>("PopupMenu1")->Popup(at.X, at.Y);
}

void TgkRichEditForm::ColorItemClick(classes::TObject* sender)
{
    auto* item = dynamic_cast<ui::TMenuItem*>(sender);
    if (item == nullptr || editor_->GetReadOnly()) return;
    ui::TRichCharChange change;
    const auto rgb = static_cast<std::uint32_t>(rtl::ColorToRGB(item->Tag()));
    change.color = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
    editor_->Document().ApplyChars(editor_->SelStart(), editor_->SelLength(), change);
    editor_->Change();
    Command();
}

void TgkRichEditForm::HighlightButtonClick(classes::TObject*)
{
    if (editor_->GetReadOnly()) return;
    const bool down = Get<ui::TSpeedButton>("HighlightButton")->Down();
    editor_->SetSelBackground(down ? std::optional<rtl::TColor>(editor_->HighlightColor()) : std::nullopt);
    editor_->Change();
    Command();
}

void TgkRichEditForm::FontNameCloseUp(classes::TObject*, bool accepted)
{
    auto* names = Get<TgkDBComboBox>("FontNameCombo");
    const std::string face = names->Text();
    if (!accepted || face.empty() || editor_->GetReadOnly()) return;
    if (face == editor_->Document().CharsAt(editor_->SelStart(), editor_->SelLength()).fontName) return;
    ui::TRichCharChange change;
    change.fontName = face;
    editor_->Document().ApplyChars(editor_->SelStart(), editor_->SelLength(), change);
    editor_->Change();
    Command();
}

void TgkRichEditForm::FontSizeCloseUp(classes::TObject*, bool accepted)
{
    const std::string text = Get<TgkDBComboBox>("FontSizeCombo")->Text();
    int points = 0;
    if (!accepted || text.empty() || editor_->GetReadOnly() || !rtl::TryStrToInt(text, points) || points <= 0 ||
        points > 1638)
        return;
    ui::TRichCharChange change;
    change.halfPoints = points * 2;
    editor_->Document().ApplyChars(editor_->SelStart(), editor_->SelLength(), change);
    editor_->Change();
    Command();
}

// ---- Execute ----------------------------------------------------------------------------------

bool TgkCustomRichEdit::Execute()
{
    TgkRichEditForm form(nullptr);
    editorForm_ = &form;
    const ui::TCursor saved = ui::Screen().Cursor();
    ui::Screen().SetCursor(ui::crHourGlass);
    rtl::TScopeExit end([&] {
        editorForm_ = nullptr;
        ui::Screen().SetCursor(saved);
    });
    LoadField();
    form.Setup(*this);
    ui::Screen().SetCursor(saved);
    DoCreateDialog(&form);
    const bool ok = form.ShowModal() == ui::mrOk;
    TgkDBRichEdit& editor = *form.Editor();
    if (ok && editor.Modified()) {
        DoEdit();
        auto* bound = dynamic_cast<TgkDBRichEdit*>(this);
        db::TField* field = bound != nullptr ? bound->Field() : nullptr;
        if (field != nullptr && field->IsBlob()) {
            field->SetAsString(editor.SaveRtf());
        } else {
            CopyRichText(editor, *this);
        }
        DoCloseDialog(&form);
        SetModified(true);
    } else {
        DoCloseDialog(&form);
    }
    if (ok) {
        PrintMargins()->Assign(*editor.PrintMargins());
        SetPrintPageSize(editor.PrintPageSize());
    }
    editor.SetPlainTextContent("");
    return ok;
}

void TgkCustomRichEdit::SetUserSpeedButton(int index, ui::TSpeedButton* button)
{
    ui::SetReference(*this, userButtons_[index], button);
    if (button != nullptr && !ComponentState().Contains(classes::csDesigning)) button->SetVisible(false);
}

void TgkCustomRichEdit::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TCustomRichEdit::Notification(component, operation);
    if (operation != classes::opRemove) return;
    for (ui::TSpeedButton*& b : userButtons_)
        if (b == component) b = nullptr;
}

}  // namespace editctrls
