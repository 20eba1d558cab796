// The editor's formatted-state stream: the store as it stands, display lines and style
// records included.

#include "editor/TextMemo.h"

#include "platform/classes/Errors.h"
#include "platform/rtl/Exceptions.h"

#include <cstring>
#include <istream>
#include <ostream>

namespace editor {

namespace {

void PutInt(std::string& out, std::int64_t v)
{
    const auto u = static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

void PutInt16(std::string& out, std::int64_t v)
{
    const auto u = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
}

[[noreturn]] void BadState() { throw rtl::EStreamError("Invalid formatted text state"); }

class TReader {
public:
    explicit TReader(std::istream& in) : in_(in) {}

    void Bytes(char* to, std::size_t n)
    {
        in_.read(to, static_cast<std::streamsize>(n));
        if (static_cast<std::size_t>(in_.gcount()) != n) BadState();
    }
    std::int32_t Int()
    {
        unsigned char b[4];
        Bytes(reinterpret_cast<char*>(b), 4);
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                         (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24));
    }
    std::int16_t Int16()
    {
        unsigned char b[2];
        Bytes(reinterpret_cast<char*>(b), 2);
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] | (b[1] << 8)));
    }
    std::uint8_t Byte()
    {
        char c;
        Bytes(&c, 1);
        return static_cast<std::uint8_t>(c);
    }
    // A count that the stream can hold: never more than `limit`.
    int Count(int limit)
    {
        const std::int32_t n = Int();
        if (n < 0 || n > limit) BadState();
        return n;
    }

private:
    std::istream& in_;
};

// 36 bytes.
void PutLine(std::string& out, const TLineRec& l)
{
    PutInt(out, l.Start);
    PutInt(out, l.Stop);
    PutInt(out, l.Width);
    PutInt(out, l.FullWidth);
    PutInt(out, 0);
    PutInt(out, l.Blanks);
    PutInt(out, l.JustifyStart);
    PutInt(out, l.Style);
    PutInt(out, l.StyleIndex);
}

TLineRec GetLine(TReader& r)
{
    TLineRec l;
    l.Start = r.Int();
    l.Stop = r.Int();
    l.Width = r.Int();
    l.FullWidth = r.Int();
    r.Int();
    l.Blanks = r.Int();
    l.JustifyStart = r.Int();
    l.Style = static_cast<std::uint8_t>(r.Int());
    l.StyleIndex = r.Int();
    return l;
}

// 60 bytes.
void PutStyle(std::string& out, const TStyleRec& s)
{
    PutInt(out, s.Offset);
    out.push_back(static_cast<char>(s.Flags));
    out.push_back(static_cast<char>(s.Attr));
    out.push_back(static_cast<char>(s.Style));
    out.push_back(static_cast<char>(s.Level));
    PutInt(out, s.Context);
    PutInt16(out, s.Attr16);
    PutInt16(out, 0);
    PutInt(out, s.TextColor);
    PutInt(out, s.BackColor);
    PutInt(out, s.Keyword);
    for (const std::int16_t k : s.Keys) PutInt16(out, k);
    PutInt16(out, 0);
}

TStyleRec GetStyle(TReader& r)
{
    TStyleRec s;
    s.Offset = r.Int();
    s.Flags = r.Byte();
    s.Attr = r.Byte();
    s.Style = r.Byte();
    s.Level = static_cast<std::int8_t>(r.Byte());
    s.Context = r.Int();
    s.Attr16 = r.Int16();
    r.Int16();
    s.TextColor = r.Int();
    s.BackColor = r.Int();
    s.Keyword = r.Int();
    for (std::int16_t& k : s.Keys) k = r.Int16();
    r.Int16();
    if (s.Level < -1 || s.Level >= kMaxSpanLevels) BadState();
    return s;
}

}  // namespace

void TTextMemo::SaveFormatted(std::ostream& out)
{
    std::string buffer;
    PutInt(buffer, textLength_);
    PutInt(buffer, lineCount_);
    PutInt(buffer, widest_);
    PutInt(buffer, paragraphs_.Count());
    for (int p = 0; p < paragraphs_.Count(); ++p) {
        const TParagraphRec& rec = paragraphs_[p];
        PutInt(buffer, rec.Length());
        PutInt(buffer, rec.FirstLine);
        PutInt(buffer, rec.Start);
        PutInt(buffer, static_cast<std::int64_t>(rec.Styles.size()));
        PutInt(buffer, rec.LineCount());
        PutLine(buffer, rec.Line0);
        for (const TLineRec& l : rec.MoreLines) PutLine(buffer, l);
        for (const TStyleRec& s : rec.Styles) PutStyle(buffer, s);
        buffer += rec.Text;
        if (buffer.size() >= kReadBlockSize) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    }
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (!out) throw rtl::EStreamError("Stream write error");
}

void TTextMemo::LoadFormatted(std::istream& in, bool restartFormatting)
{
    // Read whole into a list of its own first: a stream that breaks off leaves the text.
    TReader r(in);
    const int textLength = r.Count(kMaxTextLength);
    const int lineCount = r.Count(kMaxTextLength);
    const int widest = r.Int();
    const int count = r.Count(kMaxTextLength);
    if (count < 1) BadState();
    std::vector<TParagraphRec> read;
    std::int64_t offset = 0, lines = 0;
    for (int p = 0; p < count; ++p) {
        TParagraphRec rec;
        const int length = r.Count(kMaxTextLength);
        rec.FirstLine = r.Int();
        rec.Start = r.Int();
        const int styles = r.Count(kMaxTextLength);
        const int lineRecords = r.Count(kMaxTextLength);
        if (lineRecords < 1 || rec.FirstLine != lines || rec.Start != offset) BadState();
        rec.Line0 = GetLine(r);
        for (int j = 1; j < lineRecords; ++j) rec.MoreLines.push_back(GetLine(r));
        for (int j = 0; j < styles; ++j) rec.Styles.push_back(GetStyle(r));
        rec.Text.resize(static_cast<std::size_t>(length));
        r.Bytes(rec.Text.data(), rec.Text.size());
        // The lines must cover the paragraph in order, as the consistency check wants.
        int at = 0;
        for (int j = 0; j < lineRecords; ++j) {
            const TLineRec& l = j == 0 ? rec.Line0 : rec.MoreLines[static_cast<std::size_t>(j - 1)];
            if (l.Start != at || l.Stop < l.Start) BadState();
            at = l.Stop;
        }
        if (at != length) BadState();
        rec.Formatted = true;
        rec.KeysParsed = true;
        rec.KeywordsParsed = true;
        offset += length + 2;
        lines += lineRecords;
        read.push_back(std::move(rec));
    }
    if (offset - 2 != textLength || lines != lineCount) BadState();

    ClearStore();
    TStyleState state = std::make_shared<TStyleRec>();
    for (TParagraphRec& rec : read) {
        rec.StartState = state;
        if (!rec.Styles.empty()) {
            TStyleRec last = rec.Styles.back();
            last.Offset = 0;
            state = std::make_shared<TStyleRec>(last);
        }
        paragraphs_.Add(std::move(rec));
    }
    textLength_ = textLength;
    lineCount_ = lineCount;
    widest_ = widest;
    widestPara_ = -1;
    keysParsedUpTo_ = paragraphs_.Count() - 1;
    bgNext_ = paragraphs_.Count();
    bgLast_ = -1;
    modified_ = true;
    scroller_->ResetView(true);
    if (restartFormatting) ReformatAll();
    UpdateCaret();
    Change();
}

}  // namespace editor
