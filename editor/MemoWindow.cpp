// The window side of TTextMemo: the message handling with its change receivers, the window's
// coming and going, the default popup menu, style ranges and the case-folded text cache.

#include "editor/TextMemo.h"

#include "editor/MemoMessages.h"

#include "platform/rtl/Log.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Clipbrd.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Input.h"

#include <algorithm>

namespace editor {

namespace {

// The window's fonts: the control's font for the plain styles, AltFont (at the control
// font's size) with the alternative font bit, each with the bold, italic and underline bits
// of the style.
class TControlStyleMeasure : public IStyleMeasure {
public:
    TControlStyleMeasure(const classes::TFont& font, const classes::TFont& altFont) : font_(font), altFont_(altFont) {}

    ui::IFontMeasure& FontOfStyle(std::uint8_t style) override
    {
        work_.Assign((style & fsAltFont) ? altFont_ : font_);
        work_.SetSize(font_.Size());  // AltFont gives the face; every run has the line's height
        classes::TFontStyles s = work_.Style();
        if (style & fsBold) s.Include(classes::fsBold);
        if (style & fsItalic) s.Include(classes::fsItalic);
        if (style & fsUnderline) s.Include(classes::fsUnderline);
        work_.SetStyle(s);
        return ui::MeasureFont(work_);
    }

private:
    const classes::TFont& font_;
    const classes::TFont& altFont_;
    classes::TFont work_;
};

const char* const kPopupCaptions[] = {"&Undo", "&Redo", "-", "Cu&t", "&Copy", "&Paste", "-", "&Select all"};

}  // namespace

// ---- Messages -----------------------------------------------------------------------------

void TTextMemo::AddReceiver(ITextMemoReceiver* receiver)
{
    if (receiver && std::find(receivers_.begin(), receivers_.end(), receiver) == receivers_.end())
        receivers_.push_back(receiver);
}

void TTextMemo::RemoveReceiver(ITextMemoReceiver* receiver) noexcept
{
    for (ITextMemoReceiver*& r : receivers_)
        if (r == receiver) r = nullptr;
}

void TTextMemo::Dispatch(ui::TMessage& m)
{
    lastMessage_ = m;
    bool emptied = false;
    for (std::size_t i = 0; i < receivers_.size(); ++i) {
        if (receivers_[i] == nullptr) {
            emptied = true;
            continue;
        }
        receivers_[i]->TextMemoMessage(*this, m);
    }
    if (emptied) std::erase(receivers_, nullptr);

    messages_->Handle(m);
}

bool TTextMemo::WantsKey(ui::TKey key) const
{
    // Every key stays in the editor (Enter breaks a paragraph), but Tab only as the answer
    // says: without WantTabs it moves the focus on.
    if (key == ui::VK_TAB) return (const_cast<TTextMemo*>(this)->Perform(ui::WM_GETDLGCODE) & ui::DLGC_WANTTAB) != 0;
    return ui::TCustomControl::WantsKey(key);
}

void TTextMemo::HandleSetFocus()
{
    if (!displayOnly_) {
        ui::CreateCaret(this, CaretWidthNow(), lineHeight_);
        caretCreated_ = true;
        UpdateCaret();
        ui::SetCaretPos(CaretX(), caretY_);
        ui::ShowCaret(this);
    }
    if (hideSelection_ && selLength_ != 0 && updateCount_ == 0) InvalidateSelection();
}

void TTextMemo::HandleKillFocus()
{
    if (!displayOnly_ && ui::Caret().Owner == this) ui::DestroyCaret();
    caretCreated_ = false;
    if (hideSelection_ && selLength_ != 0) InvalidateSelection();
}

void TTextMemo::Change()
{
    if (!receivers_.empty()) Perform(ui::CM_TEXTCHANGED, 0, 0);
    OnChange(this);
}

// ---- The window ---------------------------------------------------------------------------

void TTextMemo::CreatePeers()
{
    ui::TCustomControl::CreatePeers();
    if (HandleAllocated() && !peerMeasure_) CreateWnd();
}

void TTextMemo::DestroyPeers()
{
    if (peerMeasure_) DestroyWnd();
    ui::TCustomControl::DestroyPeers();
}

void TTextMemo::CreateWnd()
{
    peerMeasure_ = std::make_unique<TControlStyleMeasure>(*Font(), altFont_);
    virtualBlanks_ = 0;
    rememberedX_ = -1;
    AttachWindow(*peerMeasure_, ui::TControl::ClientWidth(), ui::TControl::ClientHeight(), ui::PostQueue());
    try {
        Perform(ui::CM_FONTCHANGED);
    } catch (...) {
        // A control always gets its window; the metrics stay as they were.
        rtl::LogCurrentException("TTextMemo::CreateWnd font change");
    }
}

void TTextMemo::DestroyWnd()
{
    if (ui::Caret().Owner == this) ui::DestroyCaret();
    caretCreated_ = false;
    DetachWindow();
    peerMeasure_.reset();
}

// ---- Popup menu ---------------------------------------------------------------------------

ui::TPopupMenu* TTextMemo::DefaultPopupMenu()
{
    if (defaultPopup_) return defaultPopup_;
    defaultPopup_ = new ui::TPopupMenu(this);
    defaultPopup_->OnPopup = [this](classes::TObject* sender) { OnPopupMenu(sender); };
    for (const char* caption : kPopupCaptions) {
        auto* item = new ui::TMenuItem(defaultPopup_);
        item->SetCaption(caption);
        item->OnClick = [this](classes::TObject* sender) { OnPopupItem(sender); };
        defaultPopup_->Items()->Add(item);
    }
    return defaultPopup_;
}

ui::TPopupMenu* TTextMemo::ActivePopupMenu()
{
    if (PopupMenu()) return PopupMenu();
    if (options_[tmoNoDefaultPopup]) return nullptr;
    return DefaultPopupMenu();
}

void TTextMemo::ContextPopup(int x, int y)
{
    if (PopupMenu() || options_[tmoNoDefaultPopup]) {
        ui::TCustomControl::ContextPopup(x, y);
        return;
    }
    ui::TPopupMenu* menu = DefaultPopupMenu();
    const ui::TPoint p = ClientToScreen({x, y});
    menu->SetPopupComponent(this);
    menu->Popup(p.X, p.Y);
}

// Undo and Redo change the text as Cut and Paste do: none of them in an editor the user
// may only read.
void TTextMemo::OnPopupMenu(classes::TObject*)
{
    ui::TMenuItem* items = defaultPopup_->Items();
    const bool writable = !readOnly_ && !displayOnly_;
    items->Items(0)->SetEnabled(CanUndo() && writable);
    items->Items(1)->SetEnabled(CanRedo() && writable);
    items->Items(3)->SetEnabled(selLength_ != 0 && writable);
    items->Items(4)->SetEnabled(selLength_ != 0);
    items->Items(5)->SetEnabled(ui::Clipboard().HasFormat(ui::CF_TEXT) && writable);
    items->Items(7)->SetEnabled(true);
}

void TTextMemo::OnPopupItem(classes::TObject* sender)
{
    auto* item = dynamic_cast<ui::TMenuItem*>(sender);
    if (!item) return;
    switch (item->MenuIndex()) {
    case 0: Undo(); break;
    case 1: Redo(); break;
    case 3: CutToClipboard(); break;
    case 4: CopyToClipboard(); break;
    case 5: PasteFromClipboard(); break;
    case 7: SelectAll(); break;
    default: break;
    }
}

// ---- Style ranges -------------------------------------------------------------------------

void TTextMemo::SetStyleRange(int from, int to, bool repaint, bool context, TStyleRec record)
{
    if (from > to) std::swap(from, to);
    from = std::clamp(from, 0, textLength_);
    to = std::clamp(to, 0, textLength_);
    const int pa = ParagraphOfOffset(from), pb = ParagraphOfOffset(to);
    if (repaint) MarkChanged(pa, 0, pb);
    TParagraphRec& A = paragraphs_[pa];
    const TStyleRec before = A.StyleAt(from - A.Start);
    const TStyleRec endState = paragraphs_[pb].StyleAt(to - paragraphs_[pb].Start);
    if (context)
        record.Flags |= srContext;
    else
        record.Flags = 0;
    TStyleRec shared = record;
    shared.Offset = 0;
    const TStyleState start = std::make_shared<TStyleRec>(shared);
    for (int p = pa; p <= pb; ++p) {
        TParagraphRec& rec = paragraphs_[p];
        rec.Formatted = false;
        std::erase_if(rec.Styles, [&](const TStyleRec& r) {
            const int at = rec.Start + r.Offset;
            return at >= from && at < to;
        });
        if (p > pa) rec.StartState = start;
    }
    auto insert = [](TParagraphRec& rec, TStyleRec r) {
        auto at = std::upper_bound(rec.Styles.begin(), rec.Styles.end(), r.Offset,
                                   [](int o, const TStyleRec& s) { return o < s.Offset; });
        rec.Styles.insert(at, r);
    };
    if (context || (before.Flags & srContext)) {
        record.Offset = from - A.Start;
        insert(A, record);
    }
    if (to < textLength_ && (context || (endState.Flags & srContext))) {
        TStyleRec back = endState;
        back.Offset = to - paragraphs_[pb].Start;
        insert(paragraphs_[pb], back);
    }
    for (TTextNavigator* n : navigators_) n->DropCaches();
}

// ---- Case-folded text ---------------------------------------------------------------------

std::string_view TTextMemo::FoldedText(int paragraph, int start, int length)
{
    const std::string& text = paragraphs_[paragraph].Text;
    const int size = static_cast<int>(text.size());
    start = std::clamp(start, 0, size);
    length = std::clamp(length, 0, size - start);
    const int end = start + length;
    const int cachedEnd = foldStart_ + static_cast<int>(foldText_.size());
    auto folded = [&](int a, int b) {
        std::string part = text.substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a));
        FoldCase(upperCaseType_, part);
        return part;
    };
    if (foldParagraph_ == paragraph && start <= cachedEnd && end >= foldStart_) {
        std::string wide;
        if (start < foldStart_) wide = folded(start, foldStart_);
        wide += foldText_;
        if (end > cachedEnd) wide += folded(cachedEnd, end);
        foldStart_ = std::min(start, foldStart_);
        foldText_ = std::move(wide);
    } else {
        foldParagraph_ = paragraph;
        foldStart_ = start;
        foldText_ = folded(start, end);
    }
    return std::string_view(foldText_).substr(static_cast<std::size_t>(start - foldStart_), static_cast<std::size_t>(length));
}

}  // namespace editor
