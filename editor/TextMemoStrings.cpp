#include "editor/TextMemoStrings.h"

#include "editor/TextMemo.h"

#include "platform/classes/Filer.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Scope.h"

#include <istream>
#include <ostream>

namespace editor {

namespace {
// Keeps an editor update open for the life of the scope.
auto UpdateScope(TTextMemo& memo) { return rtl::MakeScope(memo, &TTextMemo::BeginUpdate, &TTextMemo::EndUpdate); }

void Select(TTextMemo& memo, int start, int stop)
{
    memo.SetSelStart(start);
    memo.SetSelLength(stop - start);
}
}  // namespace

// ---- Common -------------------------------------------------------------------------------

std::string TTextMemoStrings::Text() const { return memo_.Text(); }

void TTextMemoStrings::SetText(std::string_view text) { memo_.SetTextBuf(text); }

void TTextMemoStrings::Clear() { memo_.Clear(); }

classes::TPersistent* TTextMemoStrings::GetOwner() const { return &memo_; }

void TTextMemoStrings::Assign(const rtl::TStrings& source)
{
    if (&source == this) return;
    memo_.SetTextBuf(source.Text());
}

void TTextMemoStrings::Assign(const classes::TPersistent& source)
{
    if (const auto* strings = dynamic_cast<const rtl::TStrings*>(&source))
        Assign(*strings);
    else
        classes::TPersistent::Assign(source);
}

void TTextMemoStrings::DefineProperties(classes::TFiler& filer)
{
    classes::TPersistent::DefineProperties(filer);
    filer.DefineProperty(
        "Strings",
        [this](classes::TReader& r) {
            std::vector<std::string> pieces;
            r.ReadListBegin();
            while (!r.EndOfList()) pieces.push_back(r.ReadString());
            r.ReadListEnd();
            ReadStoredPieces(pieces);
        },
        [this](classes::TWriter& w) {
            w.WriteListBegin();
            for (std::string& piece : StoredPieces()) w.WriteString(std::move(piece));
            w.WriteListEnd();
        },
        memo_.TextLength() > 0);
}

void TTextMemoStrings::LoadFromFile(const std::string& path)
{
    std::string data = rtl::ReadFileToString(path);
    std::string_view text(data);
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    memo_.LoadFromText(text);
}

void TTextMemoStrings::SaveToFile(const std::string& path) const { rtl::SaveFileAtomically(path, memo_.SaveToText()); }

void TTextMemoStrings::LoadFromStream(std::istream& in) { memo_.LoadFromStream(in); }

void TTextMemoStrings::SaveToStream(std::ostream& out) const { memo_.SaveToStream(out); }

void TTextMemoStrings::SetUpdateState(bool updating)
{
    if (updating)
        memo_.BeginUpdate();
    else
        memo_.EndUpdate();
}

std::vector<std::string> TTextMemoStrings::StoredPieces() const
{
    std::vector<std::string> pieces;
    if (memo_.TextLength() == 0) return pieces;
    const int n = memo_.Paragraphs()->GetCount();
    for (int i = 0; i < n; ++i) AppendStringsPieces(pieces, memo_.Paragraph(i).Text);
    return pieces;
}

void TTextMemoStrings::ReadStoredPieces(const std::vector<std::string>& pieces)
{
    const int selStart = memo_.SelStart();
    const int selLength = memo_.SelLength();
    {
        auto update = UpdateScope(memo_);
        for (const std::string& paragraph : JoinStringsPieces(pieces)) {
            // Appended as it was stored, as Paragraphs.Add appends.
            const int end = memo_.TextLength();
            const bool lastEmpty = memo_.Paragraph(memo_.ParagraphCount() - 1).Length() == 0;
            memo_.ReplaceRange(end, end, lastEmpty ? paragraph + "\r\n" : "\r\n" + paragraph, true);
            memo_.SetModified(true);
        }
    }
    memo_.SetSelStart(selStart);
    memo_.SetSelLength(selLength);
}

// ---- Paragraphs ---------------------------------------------------------------------------

std::string TTextParaStrings::Get(int index) const { return memo_.Paragraph(index).Text; }

int TTextParaStrings::GetCount() const
{
    const int n = memo_.ParagraphCount();
    return memo_.Paragraph(n - 1).Length() == 0 ? n - 1 : n;
}

void TTextParaStrings::Put(int index, const std::string& s)
{
    if (index < 0) IndexError(index);
    const int caretPar = memo_.SelPar();
    const int selStart = memo_.SelStart();
    const int selLength = memo_.SelLength();
    int change = 0;
    {
        auto update = UpdateScope(memo_);
        while (memo_.ParagraphCount() <= index) {
            memo_.SetSelStart(memo_.TextLength());
            memo_.ReplaceSelection("\r\n");
        }
        const TParagraphRec& p = memo_.Paragraph(index);
        const int before = memo_.TextLength();
        Select(memo_, p.Start, p.Start + p.Length());
        memo_.ReplaceSelection(s);
        change = memo_.TextLength() - before;
    }
    memo_.SetSelStart(selStart + (index < caretPar ? change : 0));
    if (index != caretPar) memo_.SetSelLength(selLength);
}

void TTextParaStrings::Insert(int index, const std::string& s)
{
    if (index < 0) IndexError(index);
    if (index >= GetCount()) {
        Add(s);
        return;
    }
    memo_.SetSelStart(memo_.Paragraph(index).Start);
    memo_.ReplaceSelection(s + "\r\n");
}

void TTextParaStrings::Delete(int index)
{
    const TParagraphRec& p = memo_.Paragraph(index);
    const int stop = index + 1 < memo_.ParagraphCount() ? memo_.Paragraph(index + 1).Start : memo_.TextLength();
    Select(memo_, p.Start, stop);
    memo_.ReplaceSelection("");
}

int TTextParaStrings::Add(const std::string& s)
{
    const int selStart = memo_.SelStart();
    const int selLength = memo_.SelLength();
    const bool lastEmpty = memo_.Paragraph(memo_.ParagraphCount() - 1).Length() == 0;
    memo_.SetSelStart(memo_.TextLength());
    memo_.ReplaceSelection(lastEmpty ? s + "\r\n" : "\r\n" + s);
    memo_.SetSelStart(selStart);
    memo_.SetSelLength(selLength);
    return GetCount() - 1;
}

// ---- Lines --------------------------------------------------------------------------------

namespace {
struct LinePlace {
    int start;       // absolute offsets of the line
    int stop;
    bool endsParagraph;
    bool lastParagraph;
};

LinePlace PlaceOf(TTextMemo& memo, int index)
{
    if (index < 0) ListIndexError();
    memo.FormatUpToLine(index);  // formatting may add lines before the check
    if (index >= memo.LineCount()) ListIndexError();
    const int p = memo.ParagraphOfLine(index);
    TParagraphRec& rec = memo.Paragraph(p);
    TLinesList lines(rec);
    const int j = index - rec.FirstLine;
    const TLineRec& l = lines[j];
    return {rec.Start + l.Start, rec.Start + l.Stop, j + 1 == lines.Count(), p + 1 == memo.ParagraphCount()};
}
}  // namespace

std::string TTextLinesStrings::Get(int index) const
{
    const LinePlace at = PlaceOf(memo_, index);
    return memo_.GetTextPart(at.start, at.stop);
}

int TTextLinesStrings::GetCount() const
{
    const TParagraphRec& last = memo_.Paragraph(memo_.ParagraphCount() - 1);
    TLinesList lines(const_cast<TParagraphRec&>(last));
    const TLineRec& l = lines[lines.Count() - 1];
    return l.Start == l.Stop && l.Stop == last.Length() ? memo_.LineCount() - 1 : memo_.LineCount();
}

void TTextLinesStrings::Put(int index, const std::string& s)
{
    const LinePlace at = PlaceOf(memo_, index);
    Select(memo_, at.start, at.stop);
    memo_.ReplaceSelection(s);
}

void TTextLinesStrings::Insert(int index, const std::string& s)
{
    if (index < 0) IndexError(index);
    const int count = GetCount();
    if (index > count) return;
    if (index == count) {
        Add(s);
        return;
    }
    memo_.SetSelStart(PlaceOf(memo_, index).start);
    memo_.ReplaceSelection(s + "\r\n");
}

void TTextLinesStrings::Delete(int index)
{
    const LinePlace at = PlaceOf(memo_, index);
    const int stop = at.endsParagraph && !at.lastParagraph ? at.stop + 2 : at.stop;
    Select(memo_, at.start, stop);
    memo_.ReplaceSelection("");
}

int TTextLinesStrings::Add(const std::string& s)
{
    memo_.Paragraphs()->Add(s);
    memo_.SetSelStart(memo_.TextLength());
    memo_.ScrollCaretIntoView();
    return GetCount() - 1;
}

}  // namespace editor
