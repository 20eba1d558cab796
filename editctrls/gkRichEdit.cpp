// The rich-text edit control: its document, Lines view, stored form, formatting, searching,
// links, clipboard and context-menu state.

#include "editctrls/gkRichEdit.h"
#include "editctrls/gkRichPrint.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "grid/GridRoutines.h"
#include "grid/Intl.h"
#include "grid/StringRoutines.h"
#include "platform/classes/Errors.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Font.h"
#include "platform/rtl/Formatting.h"
#include "platform/rtl/Process.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Messages.h"
#include "platform/ui/Printer.h"
#include "platform/ui/Screen.h"

namespace editctrls {

namespace rtf = ui::rtf;

namespace {

constexpr int kMaxDataBytes = 64 * 1024 * 1024;  // a stored text larger than this is refused

ui::TClipboardFormat RtfFormat()
{
    static const ui::TClipboardFormat format = ui::RegisterClipboardFormat("Rich Text Format");
    return format;
}

TgkCustomRichEdit::TOpener& Opener()
{
    static TgkCustomRichEdit::TOpener opener;
    return opener;
}

std::uint32_t ToRgb(rtl::TColor c)
{
    const auto v = static_cast<std::uint32_t>(rtl::ColorToRGB(c));
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

// Characters a document counts for `text` (supplementary planes count two).
int CharCount(std::string_view text)
{
    int n = 0;
    for (const unsigned char c : text) n += c >= 0xF0 ? 2 : ((c & 0xC0) == 0x80 ? 0 : 1);
    return n;
}

}  // namespace

const classes::TEnumInfo& RichEditPopupOptionInfo()
{
    static const classes::TEnumInfo info{
        "TgkRichEditPopupOptions",
        {"rpoPopupEdit", "rpoPopupCut", "rpoPopupCopy", "rpoPopupPaste", "rpoPopupBold", "rpoPopupItalic",
         "rpoPopupUnderline", "rpoPopupFont", "rpoPopupBullet", "rpoPopupParagraph", "rpoPopupTabs",
         "rpoPopupFind", "rpoPopupReplace", "rpoPopupInsertObject", "rpoPopupMSWordSpellCheck"}};
    return info;
}

const classes::TEnumInfo& RichEditOleOptionInfo()
{
    static const classes::TEnumInfo info{"TgkRichEditOleOptions", {"reoAdjustPopupMenu", "reoDisableOLE"}};
    return info;
}

const classes::TEnumInfo& MeasurementUnitsInfo()
{
    static const classes::TEnumInfo info{"TgkMeasurementUnits", {"muInches", "muCentimeters"}};
    return info;
}

const classes::TEnumInfo& RichEditWidthInfo()
{
    static const classes::TEnumInfo info{"TgkRichEditWidth", {"rewWindowSize", "rewPrinterSize"}};
    return info;
}

const classes::TEnumInfo& RichEditOptionInfo()
{
    static const classes::TEnumInfo info{
        "TgkRichEditOptions",
        {"reoShowLoad", "reoShowSaveAs", "reoShowSaveExit", "reoShowPrint", "reoShowPageSetup", "reoShowFormatBar",
         "reoShowToolBar", "reoShowStatusBar", "reoShowHints", "reoShowRuler", "reoShowInsertObject",
         "reoCloseOnEscape", "reoFlatButtons", "reoShowSpellCheck", "reoShowMainMenuIcons", "reoShowJustifyButton",
         "reoUseBackColor", "reoNoConfirmation"}};
    return info;
}

bool TgkCustomRichEdit::PrintWithWordProcessor()
{
    ui::MessageDlg(grid::gkIntlDefault().UserMessages.RichEditMSWordNotFound, ui::mtInformation, {ui::mbOK});
    return false;
}

// ---- Lines -----------------------------------------------------------------------------------

std::string TgkRichEditStrings::Get(int index) const
{
    if (index < 0 || index >= GetCount()) IndexError(index);
    return edit_.Document().Paragraph(index);
}

int TgkRichEditStrings::GetCount() const
{
    ui::IRichDocument& doc = edit_.Document();
    const int paragraphs = doc.ParagraphCount();
    return doc.Paragraph(paragraphs - 1).empty() ? paragraphs - 1 : paragraphs;
}

void TgkRichEditStrings::Put(int index, const std::string& s)
{
    ui::IRichDocument& doc = edit_.Document();
    const int start = doc.ParagraphStart(index);
    const int length = doc.ParagraphStart(index + 1) - 1 - start;
    edit_.DoEdit();
    doc.ReplaceText(start, length, s);
}

void TgkRichEditStrings::Insert(int index, const std::string& s)
{
    ui::IRichDocument& doc = edit_.Document();
    edit_.DoEdit();
    const int count = GetCount();
    if (index < count) {
        doc.ReplaceText(doc.ParagraphStart(index), 0, s + "\r\n");
    } else if (count < doc.ParagraphCount()) {
        // An empty last paragraph takes the line.
        doc.ReplaceText(doc.ParagraphStart(count), 0, s);
    } else {
        doc.ReplaceText(doc.Length(), 0, "\r\n" + s);
    }
}

void TgkRichEditStrings::Delete(int index)
{
    ui::IRichDocument& doc = edit_.Document();
    if (index < 0 || index >= GetCount()) return;
    edit_.DoEdit();
    const int start = doc.ParagraphStart(index);
    const int next = doc.ParagraphStart(index + 1);
    if (next <= doc.Length()) doc.ReplaceText(start, next - start, "");
    else if (start > 0) doc.ReplaceText(start - 1, next - start, "");  // the last: with the end before it
    else doc.ReplaceText(0, doc.Length(), "");
}

void TgkRichEditStrings::Clear() { edit_.Document().Load(rtf::PlainTextDocument("")); }

void TgkRichEditStrings::SetText(std::string_view text) { edit_.SetPlainTextContent(std::string(text)); }

// ---- The control -----------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TgkCustomRichEdit, ui::TCustomRichEdit)
{
    p.Strings("Lines", [](const TgkCustomRichEdit& e) { return const_cast<TgkCustomRichEdit&>(e).Lines(); });
}

TgkCustomRichEdit::TgkCustomRichEdit(classes::TComponent* owner) : TCustomRichEdit(owner)
{
    popupOptions_ = TgkRichEditPopupOptions::FromBits(0x7F8F);
    printMargins_ = std::make_unique<TgkPrintMargins>();
    printJobName_ = ui::Application().Title();
    frame_.OnChange = [this](classes::TObject*) { FrameChanged(); };
    CreateDialogs();
}

void TgkCustomRichEdit::CreateDialogs()
{
    const auto searchTypes = [](ui::TFindOptions o) {
        TgkSearchTypes types;
        if (o.Contains(ui::frMatchCase)) types.Include(stMatchCase);
        if (o.Contains(ui::frWholeWord)) types.Include(stWholeWord);
        return types;
    };
    finder_ = new ui::TFindDialog(this);
    finder_->SetOptions({ui::frDown, ui::frHideMatchCase, ui::frHideWholeWord, ui::frHideUpDown});
    finder_->OnFind = [this, searchTypes](classes::TObject*) {
        lastSearch_ = finder_->FindText();
        FindNext(lastSearch_, searchTypes(finder_->Options()));
    };
    replacer_ = new ui::TReplaceDialog(this);
    replacer_->SetOptions({ui::frDown, ui::frHideMatchCase, ui::frHideWholeWord});
    replacer_->OnFind = [this, searchTypes](classes::TObject*) {
        lastSearch_ = replacer_->FindText();
        FindNext(lastSearch_, searchTypes(replacer_->Options()));
    };
    replacer_->OnReplace = [this, searchTypes](classes::TObject*) {
        lastSearch_ = replacer_->FindText();
        Replace(lastSearch_, replacer_->ReplaceText(), searchTypes(replacer_->Options()),
                replacer_->Options().Contains(ui::frReplaceAll));
    };
    // The found text shows while a search dialog is open; HideSelection returns when the
    // last one closes.
    const auto closed = [this](classes::TObject* sender) {
        const bool otherOpen = (sender != finder_ && finder_->Showing()) || (sender != replacer_ && replacer_->Showing());
        if (!savedHideSelection_ || otherOpen) return;
        SetHideSelection(*savedHideSelection_);
        savedHideSelection_.reset();
    };
    finder_->OnClose = closed;
    replacer_->OnClose = closed;
    CreatePopupMenu();
}

void TgkCustomRichEdit::CreatePopupMenu()
{
    menu_ = new ui::TPopupMenu(this);
    for (const TgkRichEditMenuItem& entry : PopupItems()) {
        auto* item = new ui::TMenuItem(menu_);
        item->SetCaption(entry.caption);
        if (entry.option) {
            switch (*entry.option) {
            case rpoPopupCut: item->OnClick = [this](classes::TObject*) { CutToClipboard(); }; break;
            case rpoPopupCopy: item->OnClick = [this](classes::TObject*) { CopyToClipboard(); }; break;
            case rpoPopupPaste: item->OnClick = [this](classes::TObject*) { PasteFromClipboard(); }; break;
            case rpoPopupBold:
            case rpoPopupItalic:
            case rpoPopupUnderline: {
                const int style = static_cast<int>(*entry.option) - rpoPopupBold;
                item->OnClick = [this, style](classes::TObject*) { ToggleStyle(style); };
                break;
            }
            case rpoPopupFont: item->OnClick = [this](classes::TObject*) { FontDialog(); }; break;
            case rpoPopupBullet:
                item->OnClick = [this](classes::TObject*) { SetBullet(!Document().ParagraphFormat(SelStart()).bullet); };
                break;
            case rpoPopupFind: item->OnClick = [this](classes::TObject*) { FindDialog(); }; break;
            case rpoPopupEdit: item->OnClick = [this](classes::TObject*) { Execute(); }; break;
            case rpoPopupParagraph: item->OnClick = [this](classes::TObject*) { ParagraphDialog(); }; break;
            case rpoPopupTabs: item->OnClick = [this](classes::TObject*) { TabDialog(); }; break;
            case rpoPopupReplace: item->OnClick = [this](classes::TObject*) { ReplaceDialog(); }; break;
            default: break;  // no embedded objects, no spelling checker
            }
        }
        menu_->Items()->Add(item);
    }
    menu_->OnPopup = [this](classes::TObject*) { UpdatePopupMenu(); };
    if (PopupMenu() == nullptr) SetPopupMenu(menu_);
}

void TgkCustomRichEdit::UpdatePopupMenu()
{
    const std::vector<TgkRichEditMenuItem> items = PopupItems();
    ui::TMenuItem* root = menu_->Items();
    for (int i = 0; i < root->Count() && static_cast<std::size_t>(i) < items.size(); ++i) {
        const TgkRichEditMenuItem& state = items[static_cast<std::size_t>(i)];
        ui::TMenuItem* item = root->Items(i);
        item->SetCaption(state.caption);
        item->SetVisible(state.visible);
        item->SetEnabled(state.enabled);
        item->SetChecked(state.checked);
    }
}

TgkCustomRichEdit::~TgkCustomRichEdit() = default;

std::string TgkCustomRichEdit::PlainTextContent() { return Document().Text(); }

void TgkCustomRichEdit::SetPlainTextContent(const std::string& text)
{
    Document().Load(rtf::PlainTextDocument(text));
    TextReplaced();
    DocumentChanged();
}

std::string TgkCustomRichEdit::SaveRtf() { return rtf::WriteRtf(Document().Save()); }

void TgkCustomRichEdit::StreamIn(std::string_view data, bool selectionOnly)
{
    const rtf::Document model = plainText_ ? rtf::PlainTextDocument(data) : rtf::ReadRtf(data);
    if (selectionOnly) {
        SetSel(Document().ReplaceRange(SelStart(), SelLength(), model), 0);
    } else {
        Document().Load(model);
        TextReplaced();
    }
    DocumentChanged();
}

void TgkCustomRichEdit::CopyRichText(TgkCustomRichEdit& source, TgkCustomRichEdit& target)
{
    source.LoadField();
    // Plain text goes through memory too: a temporary file that could not be made used to
    // leave the target empty.
    if (source.PlainText()) {
        target.SetPlainTextContent(source.PlainTextContent());
        return;
    }
    const bool plain = target.plainText_;
    target.plainText_ = false;
    rtl::TScopeExit restore([&] { target.plainText_ = plain; });
    target.StreamIn(source.SaveRtf());
}

std::string TgkCustomRichEdit::SelectionRtf() { return rtf::WriteRtf(Document().SaveRange(SelStart(), SelLength())); }

void TgkCustomRichEdit::SetRichEditVersion(int version)
{
    const int wanted = version == 1 ? 1 : 2;
    if (wanted == version_) return;
    version_ = wanted;
    if (!HandleAllocated()) return;
    // The window is made again for the other version. The text is the control's document,
    // not the window's, so it stays as it is, and so do the selection and the modified flag.
    const bool focused = Focused();
    DestroyPeers();
    CreatePeers();
    if (focused && CanFocus()) SetFocus();
}

void TgkCustomRichEdit::DefineProperties(classes::TFiler& filer)
{
    TCustomRichEdit::DefineProperties(filer);
    filer.DefineProperty(
        "RichEditVersion",
        [this](classes::TReader& r) {
            SetRichEditVersion(static_cast<int>(r.ReadInteger()));
            versionRead_ = true;
        },
        [this](classes::TWriter& w) {
            version_ = 2;
            w.WriteInteger(2);
        },
        true);
    filer.DefineBinaryProperty(
        "Data", [this](std::string_view bytes) { ReadData(bytes); },
        [this] {
            const std::string rtf = SaveRtf();
            const auto n = static_cast<std::uint32_t>(rtf.size());
            std::string out(4, '\0');
            for (int i = 0; i < 4; ++i) out[static_cast<std::size_t>(i)] = static_cast<char>((n >> (8 * i)) & 0xFF);
            return out + rtf;
        },
        !DataBound());
}

void TgkCustomRichEdit::ReadData(std::string_view bytes)
{
    if (bytes.size() < 4) throw rtl::EStreamError("Error reading " + Name() + ".Data: the byte count is missing");
    std::uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    if (n > bytes.size() - 4 || n > static_cast<std::uint32_t>(kMaxDataBytes))
        throw rtl::EStreamError("Error reading " + Name() + ".Data: " + std::to_string(n) + " bytes counted, " +
                                  std::to_string(bytes.size() - 4) + " present");
    dataRead_ = true;
    if (DataBound() || n == 0) return;
    const bool plain = plainText_;
    plainText_ = false;
    StreamIn(bytes.substr(4, n));
    plainText_ = plain;
}

void TgkCustomRichEdit::Loaded()
{
    TCustomRichEdit::Loaded();
    if (!versionRead_) version_ = 1;
    // Without Data the form's text is plain lines: read as RTF when it is RTF.
    if (!dataRead_ && !DataBound()) {
        const std::string text = PlainTextContent();
        if (rtf::IsRtf(text)) StreamIn(text);
    }
    versionRead_ = dataRead_ = false;
    UpdateEditRect();  // the frame read with the form places the text
}

std::string TgkCustomRichEdit::SelText() { return Document().TextRange(SelStart(), SelLength()); }

void TgkCustomRichEdit::DocumentChanged()
{
    if (autoURLDetect_) Document().MarkLinks(true);
}

void TgkCustomRichEdit::SetSelBackground(std::optional<rtl::TColor> color)
{
    if (ActsAsVersion1()) return;  // version 1 windows have no background
    ui::TRichCharChange change;
    change.background = color ? std::optional<std::uint32_t>(ToRgb(*color)) : std::nullopt;
    DoEdit();
    Document().ApplyChars(SelStart(), SelLength(), change);
}

rtl::TColor TgkCustomRichEdit::SelBackground()
{
    if (ActsAsVersion1()) return rtl::clWhite;
    const std::optional<std::uint32_t> rgb = Document().CharsAt(SelStart(), SelLength()).background;
    if (!rgb) return rtl::clWindow;
    return rtl::RGB(static_cast<std::uint8_t>(*rgb >> 16), static_cast<std::uint8_t>(*rgb >> 8),
                    static_cast<std::uint8_t>(*rgb));
}

void TgkCustomRichEdit::RemoveHighlight() { SetSelBackground(std::nullopt); }

void TgkCustomRichEdit::ToggleStyle(int index)
{
    const bool on = !SelectionHasStyle(index);
    ui::TRichCharChange change;
    switch (index) {
    case 0: change.bold = on; break;
    case 1: change.italic = on; break;
    case 2: change.underline = on; break;
    case 3: change.strike = on; break;
    default: return;
    }
    DoEdit();
    Document().ApplyChars(SelStart(), SelLength(), change);
}

bool TgkCustomRichEdit::SelectionHasStyle(int index)
{
    const ui::TRichCharState s = Document().CharsAt(SelStart(), SelLength());
    switch (index) {
    case 0: return s.bold;
    case 1: return s.italic;
    case 2: return s.underline;
    case 3: return s.strike;
    default: return false;
    }
}

ui::TRichParaChange TgkCustomRichEdit::ParagraphChange(const ParagraphSettings& s)
{
    const grid::TgkRichEditParagraphDialogIntl& texts = grid::gkIntlDefault().RichEdit.ParagraphDialog;
    ui::TRichParaChange c;
    const auto has = [&](int bit) { return (s.mask & (1u << bit)) != 0; };
    if (has(0)) {
        c.alignment = s.alignment == texts.AlignLeft      ? rtf::Alignment::Left
                      : s.alignment == texts.AlignRight   ? rtf::Alignment::Right
                      : s.alignment == texts.AlignJustify ? rtf::Alignment::Justify
                                                          : rtf::Alignment::Center;
    }
    if (has(1)) c.bullet = s.bullet;
    if (has(2)) c.firstIndent = -s.offset;
    if (has(3)) c.rightIndent = s.rightIndent;
    if (has(4)) c.leftIndent = s.startIndent + s.offset;
    if (has(5)) {
        std::vector<int> tabs(s.tabs.begin(), s.tabs.begin() + std::min<std::size_t>(s.tabs.size(), rtf::kMaxTabs));
        c.tabs = std::move(tabs);
    }
    if (has(6)) c.spaceBefore = s.spaceBefore;
    if (has(7)) c.spaceAfter = s.spaceAfter;
    if (has(8)) {
        // Rules 1 and 2 are 1.5 and double spacing, in 240ths of a line; 3 and 4 at least and
        // exactly (twips), 5 a multiple (240ths); 0 single.
        switch (s.rule) {
        case 1: c.lineSpacing = 360; c.lineMultiple = true; break;
        case 2: c.lineSpacing = 480; c.lineMultiple = true; break;
        case 3: c.lineSpacing = std::abs(s.spacing); break;
        case 4: c.lineSpacing = -std::abs(s.spacing); break;
        // Rule 5 counts twentieths of a line (20 = single).
        case 5: c.lineSpacing = s.spacing * 12; c.lineMultiple = true; break;
        default: c.lineSpacing = 0; break;
        }
    }
    return c;
}

void TgkCustomRichEdit::SetParagraph(const ParagraphSettings& settings)
{
    ParagraphSettings taken = settings;
    // A version 1 paragraph has no spacing: space before, space after and line spacing go.
    if (ActsAsVersion1()) taken.mask &= ~((1u << 6) | (1u << 7) | (1u << 8));
    DoEdit();
    Document().ApplyParagraphs(SelStart(), SelLength(), ParagraphChange(taken));
}

void TgkCustomRichEdit::SetBullet(bool on)
{
    ParagraphSettings s;
    s.mask = on ? (1u << 1) | (1u << 2) | (1u << 4) : (1u << 1);
    s.bullet = on;
    s.offset = 720;
    s.startIndent = Document().ParagraphFormat(SelStart()).leftIndent + Document().ParagraphFormat(SelStart()).firstIndent;
    if (!on) {
        DoEdit();
        Document().ApplyParagraphs(SelStart(), SelLength(), ParagraphChange(s));
        return;
    }
    SetParagraph(s);
}

bool TgkCustomRichEdit::FontDialog()
{
    const ui::TRichCharState state = Document().CharsAt(SelStart(), SelLength());
    const auto toColor = [](std::uint32_t rgb) {
        return rtl::RGB(static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                        static_cast<std::uint8_t>(rgb));
    };
    classes::TFont font;
    font.SetName(state.fontName);
    if (state.halfPoints > 0) font.SetSize(state.halfPoints / 2);
    font.SetColor(toColor(state.color));
    classes::TFontStyles styles;
    if (state.bold) styles.Include(classes::fsBold);
    if (state.italic) styles.Include(classes::fsItalic);
    if (state.underline) styles.Include(classes::fsUnderline);
    if (state.strike) styles.Include(classes::fsStrikeOut);
    font.SetStyle(styles);
    if (!ui::DialogService().FontDialog(font)) return false;
    ui::TRichCharChange change;
    change.fontName = font.Name();
    change.halfPoints = font.Size() * 2;
    change.bold = font.Style().Contains(classes::fsBold);
    change.italic = font.Style().Contains(classes::fsItalic);
    change.underline = font.Style().Contains(classes::fsUnderline);
    change.strike = font.Style().Contains(classes::fsStrikeOut);
    if (rtl::ColorToRGB(font.Color()) != toColor(state.color)) change.color = ToRgb(font.Color());
    DoEdit();
    Document().ApplyChars(SelStart(), SelLength(), change);
    Change();
    return true;
}

// ---- Searching -------------------------------------------------------------------------------

int TgkCustomRichEdit::FindTextEx(const std::string& text, int start, TgkSearchTypes options, int length)
{
    const int end = length < 0 ? -1 : start + length;
    return Document().Find(text, start, end, options.Contains(stMatchCase), options.Contains(stWholeWord));
}

void TgkCustomRichEdit::BeginSearch()
{
    searchStart_ = Caret();
    searchWrapped_ = false;
}

bool TgkCustomRichEdit::FindNext(const std::string& text, TgkSearchTypes options)
{
    const int from = SelLength() > 0 ? SelStart() + 1 : SelStart();
    int found = FindTextEx(text, from, options, -1);
    if (searchWrapped_ && found >= searchStart_) found = -1;  // past the start once wrapped
    if (found < 0 && !searchWrapped_ && from > 0) {
        searchWrapped_ = true;
        found = FindTextEx(text, 0, options, searchStart_);
    }
    if (found < 0) {
        ui::MessageDlg(grid::gkIntlDefault().UserMessages.LocateNoMoreMatches, ui::mtInformation, {ui::mbOK});
        BeginSearch();
        return false;
    }
    SetSel(found, CharCount(text));
    return true;
}

int TgkCustomRichEdit::Replace(const std::string& text, const std::string& replacement, TgkSearchTypes options, bool all)
{
    int replaced = 0;
    const bool matchCase = options.Contains(stMatchCase);
    for (;;) {
        const std::string selected = SelText();
        if (SelLength() > 0 && (matchCase ? selected == text : rtl::AnsiSameText(selected, text))) {
            DoEdit();
            const int end = Document().ReplaceText(SelStart(), SelLength(), replacement);
            // The wrap limit moves with the text before it.
            if (searchWrapped_) searchStart_ += CharCount(replacement) - SelLength();
            SetSel(end, 0);
            ++replaced;
            Change();
        }
        if (!FindNext(text, options) || !all) break;
    }
    return replaced;
}

bool TgkCustomRichEdit::FindReplace(const std::string& text, const std::string& replacement, TgkSearchTypes options)
{
    const int found = FindTextEx(text, Caret(), options, -1);
    if (found < 0) return false;
    DoEdit();
    SetSel(Document().ReplaceText(found, CharCount(text), replacement), 0);
    Change();
    return true;
}

void TgkCustomRichEdit::OpenSearchDialog(ui::TFindDialog& dialog)
{
    const std::string selected = SelText();
    const bool oneLine = selected.find_first_of("\r\n") == std::string::npos;
    dialog.SetFindText(!selected.empty() && oneLine ? selected : lastSearch_);
    BeginSearch();
    if (!savedHideSelection_) savedHideSelection_ = HideSelection();
    SetHideSelection(false);
    dialog.Execute();
}

void TgkCustomRichEdit::FindDialog() { OpenSearchDialog(*finder_); }

void TgkCustomRichEdit::ReplaceDialog() { OpenSearchDialog(*replacer_); }

// ---- Edit rectangle and switches ------------------------------------------------------------

void TgkCustomRichEdit::SetEditWidth(TgkRichEditWidth width)
{
    editWidth_ = width;
    UpdateEditRect();
}

bool TgkCustomRichEdit::PrinterSizeEditing() const
{
    return editWidth_ == rewPrinterSize && !ui::Printer().Printers().empty();
}

ui::TRect TgkCustomRichEdit::EditRect() const
{
    if (PrinterSizeEditing()) {
        const ui::TPrinterMetrics m = ui::Printer().Metrics();
        const double inchesPer = units_ == muCentimeters ? 1 / 2.54 : 1.0;
        const int screen = ui::ScreenPixelsPerInch();
        const double pageInches = m.pixelsPerInchX > 0 ? static_cast<double>(m.physicalSize.X) / m.pixelsPerInchX : 0;
        const double textInches = pageInches - (printMargins_->Left() + printMargins_->Right()) * inchesPer;
        const int bottom = m.pixelsPerInchY > 0 ? m.pageSize.Y * screen / m.pixelsPerInchY : Height();
        return {gutterWidth_ + 10, 0, static_cast<int>(textInches * screen) + gutterWidth_ + 4, bottom};
    }
    ui::TRect r{0, 0, ClientWidth() - 2, Height()};
    const bool borderless = !grid::gkGetBorderStyle(const_cast<TgkCustomRichEdit*>(this));
    if (borderless && grid::gkIsInDataInspector(this)) {
        r.Left = gutterWidth_ - 2;
    } else if (borderless && grid::gkIsInGrid(this)) {
        r.Top = 1;
        r.Left = gutterWidth_ - 1;
    } else if (!frame_.IsFrameEnabled()) {
        r.Top = 2;
        r.Left = gutterWidth_ - 2;
        r.Bottom -= 2;
    } else {
        frame_.GetEditRectMargins(r);
        r.Left += gutterWidth_ - 2;
        r.Bottom -= 2;
        if (gkIsWindowTransparent(*this)) --r.Top;
    }
    return r;
}

void TgkCustomRichEdit::UpdateEditRect()
{
    if (ui::WindowSystem() == nullptr) return;  // no document to place yet
    const ui::TRect r = EditRect();
    // The window keeps the frame's ring around its text area: the margins count from inside it.
    const int ring = FrameRingWidth();
    if (PrinterSizeEditing()) {
        // The page's width, not the window's, decides where lines break.
        Document().SetMargins(r.Left - ring, r.Top - ring, 0, 0);
        SetWrapWidth(r.Right - ring);
        return;
    }
    SetWrapWidth(0);
    Document().SetMargins(r.Left - ring, r.Top - ring, ClientWidth() - r.Right - ring, Height() - r.Bottom - ring);
}

void TgkCustomRichEdit::FrameChanged()
{
    UpdateEditRect();
    Changed();
    Invalidate();
}

int TgkCustomRichEdit::FrameRingWidth() const { return frame_.IsFrameEnabled() ? 2 : 0; }

bool TgkCustomRichEdit::PaintsOver() const { return frame_.IsFrameEnabled(); }

void TgkCustomRichEdit::PaintOver(ui::TCanvas& canvas)
{
    gkPaintNonClientFrame(frame_, Focused() || (frame_.MouseEnterSameAsFocus && mouseOver_), false, canvas);
}

void TgkCustomRichEdit::Dispatch(ui::TMessage& message)
{
    TCustomRichEdit::Dispatch(message);
    if (message.Msg != ui::CM_MOUSEENTER && message.Msg != ui::CM_MOUSELEAVE) return;
    mouseOver_ = message.Msg == ui::CM_MOUSEENTER;
    // Only the unfocused look follows the mouse.
    if (frame_.IsFrameEnabled() && !Focused() && frame_.MouseEnterSameAsFocus) Invalidate();
}

void TgkCustomRichEdit::SetPrintPageSize(int code)
{
    printPageSize_ = code;
    if (!PrinterSizeEditing()) return;
    ui::Printer().SetPaperSize(code);
    UpdateEditRect();
}

void TgkCustomRichEdit::SetGutterWidth(int w)
{
    gutterWidth_ = w;
    UpdateEditRect();
}

void TgkCustomRichEdit::Resize()
{
    if (!PrinterSizeEditing()) UpdateEditRect();
    TCustomRichEdit::Resize();
}

void TgkCustomRichEdit::ShowNonFocusColor(bool show)
{
    if (ControlState().Contains(csPaintCopy)) return;
    if (!show) {
        if (savedColor_ == rtl::clNone) return;
        const rtl::TColor kept = savedColor_;
        savedColor_ = rtl::clNone;
        SetColor(kept);
        return;
    }
    // A transparent control shows its parent, not a colour of its own.
    if (!frame_.IsFrameEnabled() || frame_.Transparent() || frame_.NonFocusColor == rtl::clNone ||
        savedColor_ != rtl::clNone)
        return;
    savedColor_ = Color();
    SetColor(frame_.NonFocusColor);
}

void TgkCustomRichEdit::CreatePeers()
{
    TCustomRichEdit::CreatePeers();
    if (HandleAllocated() && !Focused()) ShowNonFocusColor(true);
}

void TgkCustomRichEdit::DoEnter()
{
    ShowNonFocusColor(false);
    // A transparent window is opaque while it has the focus; the text moves with that.
    if (frame_.Transparent() && frame_.IsFrameEnabled() && !grid::gkIsDesigning(this)) frame_.CreateTransparent = false;
    UpdateEditRect();
    if (frame_.IsFrameEnabled()) Invalidate();  // the focused frame
    TCustomRichEdit::DoEnter();
}

void TgkCustomRichEdit::DoExit()
{
    TCustomRichEdit::DoExit();
    ShowNonFocusColor(true);
    if (frame_.Transparent() && frame_.IsFrameEnabled() && !grid::gkIsDesigning(this)) frame_.CreateTransparent = true;
    UpdateEditRect();
    if (frame_.IsFrameEnabled()) Invalidate();  // the unfocused frame
}

void TgkCustomRichEdit::SetParent(ui::TWinControl* parent)
{
    TCustomRichEdit::SetParent(parent);
    UpdateEditRect();  // a grid places the text otherwise
}

bool TgkCustomRichEdit::Switch(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= switches_.size()) return false;
    const db::TVariant& v = switches_[static_cast<std::size_t>(index)];
    return v.Type() == db::TVarType::Boolean && v.AsBoolean();
}

// ---- Links -----------------------------------------------------------------------------------

void TgkCustomRichEdit::SetAutoURLDetect(bool on)
{
    if (on == autoURLDetect_) return;
    autoURLDetect_ = on;
    Document().MarkLinks(on);
}

std::string TgkCustomRichEdit::LinkAt(int position)
{
    ui::IRichDocument& doc = Document();
    const int paragraph = doc.ParagraphAt(position);
    const int offset = position - doc.ParagraphStart(paragraph);
    for (const ui::TWebAddressRange& r : ui::FindWebAddresses(doc.Paragraph(paragraph)))
        if (offset >= r.start && offset < r.start + r.length) return r.address;
    return {};
}

bool TgkCustomRichEdit::ClickLink(int position)
{
    if (!autoURLDetect_) return false;
    const std::string address = LinkAt(position);
    if (address.empty()) return false;
    bool openDefault = true;
    DoURLOpen(address, openDefault);
    if (!openDefault) return false;
    const std::optional<std::string> target = ui::LinkTarget(address);
    if (!target) return false;
    const TOpener& opener = Opener();
    return opener ? opener(*target) : rtl::OpenWithDesktop(*target);
}

TgkCustomRichEdit::TOpener TgkCustomRichEdit::SetURLOpener(TOpener opener)
{
    TOpener previous = std::move(Opener());
    Opener() = std::move(opener);
    return previous;
}

void TgkCustomRichEdit::DoURLOpen(const std::string& url, bool& openDefault) { OnURLOpen(this, url, openDefault); }

// ---- Clipboard -------------------------------------------------------------------------------

void TgkCustomRichEdit::CopyToClipboard()
{
    if (SelLength() <= 0) return;
    ui::TClipboard& clipboard = ui::Clipboard();
    clipboard.Open();
    rtl::TScopeExit close([&] { clipboard.Close(); });
    clipboard.SetData(RtfFormat(), SelectionRtf());
    clipboard.SetAsText(SelText());
}

void TgkCustomRichEdit::CutToClipboard()
{
    if (GetReadOnly() || SelLength() <= 0) return;
    CopyToClipboard();
    DoEdit();
    SetSel(Document().ReplaceText(SelStart(), SelLength(), ""), 0);
    Change();
}

bool TgkCustomRichEdit::CanPaste()
{
    ui::TClipboard& clipboard = ui::Clipboard();
    return clipboard.HasFormat(RtfFormat()) || clipboard.HasFormat(ui::CF_TEXT);
}

void TgkCustomRichEdit::PasteFromClipboard()
{
    if (GetReadOnly()) return;
    ui::TClipboard& clipboard = ui::Clipboard();
    // RTF first, then text; HTML never (a page's markup is not this control's format).
    std::optional<std::string> data = clipboard.GetData(RtfFormat());
    if (!data || !rtf::IsRtf(*data)) {
        if (!clipboard.HasFormat(ui::CF_TEXT)) return;
        data = rtf::WriteRtf(rtf::PlainTextDocument(clipboard.AsText()));
    }
    DoEdit();
    const bool plain = plainText_;
    plainText_ = false;
    StreamIn(*data, true);
    plainText_ = plain;
    Change();
}

// ---- Context menu ----------------------------------------------------------------------------

std::vector<TgkRichEditMenuItem> TgkCustomRichEdit::PopupItems()
{
    const grid::TgkRichEditPopupMenuLabelsIntl& l = grid::gkIntlDefault().RichEdit.PopupMenuLabels;
    const bool readOnly = GetReadOnly();
    const bool selection = SelLength() > 0;
    struct Entry {
        std::optional<TgkRichEditPopupOption> option;
        std::string caption;
    };
    const Entry entries[] = {
        {rpoPopupEdit, readOnly ? l.ViewCaption : l.EditCaption}, {std::nullopt, "-"},
        {rpoPopupCut, l.CutCaption}, {rpoPopupCopy, l.CopyCaption}, {rpoPopupPaste, l.PasteCaption}, {std::nullopt, "-"},
        {rpoPopupBold, l.BoldCaption}, {rpoPopupItalic, l.ItalicCaption}, {rpoPopupUnderline, l.UnderlineCaption},
        {std::nullopt, "-"},
        {rpoPopupFont, l.FontCaption}, {rpoPopupBullet, l.BulletStyleCaption}, {rpoPopupParagraph, l.ParagraphCaption},
        {rpoPopupTabs, l.TabsCaption}, {std::nullopt, "-"},
        {rpoPopupFind, l.FindCaption}, {rpoPopupReplace, l.ReplaceCaption}, {std::nullopt, "-"},
        {rpoPopupInsertObject, l.InsertObjectCaption}, {rpoPopupMSWordSpellCheck, l.SpellCheckCaption},
    };
    static const TgkRichEditPopupOptions kReadOnlyKept{rpoPopupEdit, rpoPopupCut, rpoPopupCopy, rpoPopupPaste, rpoPopupFind};
    std::vector<TgkRichEditMenuItem> items;
    for (const Entry& e : entries) {
        TgkRichEditMenuItem item{e.option, false, true, false, e.caption};
        if (e.option) {
            const TgkRichEditPopupOption o = *e.option;
            item.visible = popupOptions_.Contains(o) && (!readOnly || kReadOnlyKept.Contains(o));
            // Embedded objects cannot be inserted here, nor is there a spelling checker.
            if (o == rpoPopupInsertObject || o == rpoPopupMSWordSpellCheck) item.visible = false;
            if (o == rpoPopupCut) item.enabled = selection && !readOnly;
            if (o == rpoPopupCopy) item.enabled = selection;
            if (o == rpoPopupPaste) item.enabled = !readOnly && CanPaste();
            if (o >= rpoPopupBold && o <= rpoPopupUnderline) item.checked = SelectionHasStyle(static_cast<int>(o) - rpoPopupBold);
            if (o == rpoPopupBullet) item.checked = Document().ParagraphFormat(SelStart()).bullet;
        }
        items.push_back(std::move(item));
    }
    // A separator shows between two shown items, once.
    bool itemBefore = false;
    TgkRichEditMenuItem* separator = nullptr;
    for (TgkRichEditMenuItem& item : items) {
        if (!item.option) {
            if (itemBefore && separator == nullptr) separator = &item;
            continue;
        }
        if (!item.visible) continue;
        if (separator != nullptr) separator->visible = true;
        separator = nullptr;
        itemBefore = true;
    }
    return items;
}

// ---- Measurement -----------------------------------------------------------------------------

std::string TgkCustomRichEdit::MeasurementText(int twips, TgkMeasurementUnits units)
{
    double value = twips / 1440.0;
    if (units == muCentimeters) value *= 2.54;
    value = std::round(value * 100) / 100;
    return rtl::FloatToStr(value) + (units == muInches ? "''" : " cm");
}

int TgkCustomRichEdit::MeasurementTwips(const std::string& text, TgkMeasurementUnits units)
{
    std::string number = text;
    grid::gkStripTrailing(number, " 'CMcm");
    double value = rtl::StrToFloat(number) * 1440;
    if (units == muCentimeters) value /= 2.54;
    return static_cast<int>(std::trunc(value));
}

}  // namespace editctrls
