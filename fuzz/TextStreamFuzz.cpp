// Fuzz target of the editor's text stream: the reader that splits a file into paragraphs
// (every line-break convention, NUL replacement, trailing blanks dropped), the editor
// loading, wrapping and highlighting what it read, and the writer. The input ends in a few
// option bytes; the rest is the file.
//
// Promises checked: the paragraphs do not depend on how the text is cut into blocks and are
// those of a plain byte-by-byte split; the editor holds those paragraphs, stays consistent
// once every paragraph is wrapped and highlighted, never starts a display line inside a
// UTF-8 character, and what it writes reads back to the same paragraphs.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/TextMemo.h"
#include "editor/TextStream.h"
#include "fuzz/FuzzSupport.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/FontMeasure.h"
#include "platform/ui/MessageQueue.h"

namespace {

using namespace editor;
using Paragraphs = std::vector<std::string>;

// The plain reading of the stream rules, one byte at a time.
Paragraphs Split(std::string_view text, const TTextReadOptions& o)
{
    Paragraphs out(1);
    auto end = [&] {
        if (o.DiscardTrailingSpaces)
            while (!out.back().empty() && (out.back().back() == ' ' || out.back().back() == '\t')) out.back().pop_back();
        out.emplace_back();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n') && text[i + 1] != c) ++i;
            end();
        } else {
            out.back().push_back(c == '\0' && o.NullReplacement != '\0' ? o.NullReplacement : c);
        }
    }
    end();
    out.pop_back();
    return out;
}

// What the reader makes of the text fed in blocks of `block` bytes.
Paragraphs Read(std::string_view text, const TTextReadOptions& o, std::size_t block)
{
    Paragraphs out;
    TTextReader reader(o, [&](std::string&& p) { out.push_back(std::move(p)); });
    for (std::size_t at = 0; at < text.size(); at += block) reader.Feed(text.substr(at, block));
    reader.Finish();
    return out;
}

Paragraphs ParagraphsOf(const TTextMemo& memo)
{
    Paragraphs out;
    for (int p = 0; p < memo.ParagraphCount(); ++p) out.push_back(memo.Paragraph(p).Text);
    return out;
}

TKeywordRec Keyword(std::uint8_t options)
{
    TKeywordRec k;
    k.Options = options;
    k.Context = 1;
    k.Attr = 1;
    return k;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    static const char kNulls[] = {'\0', '.', ' ', '\x7f'};
    TTextReadOptions options;
    options.NullReplacement = provider.PickValueInArray(kNulls);
    options.DiscardTrailingSpaces = provider.ConsumeBool();
    const bool autoLineBreak = provider.ConsumeBool();
    const auto lineBreak = static_cast<TTextLineBreak>(provider.ConsumeIntegralInRange(0, 3));
    const bool staticFormat = provider.ConsumeBool();
    const std::size_t block = provider.ConsumeIntegralInRange<std::size_t>(1, 300);
    const int width = provider.ConsumeIntegralInRange(0, 400);
    const bool highlight = provider.ConsumeBool();
    const auto caseType = static_cast<TtmUpperCase>(provider.ConsumeIntegralInRange(0, 1));
    const int cut = provider.ConsumeIntegralInRange(1, 64);
    const std::string text = provider.ConsumeRemainingBytesAsString();

    // ---- The reader ----------------------------------------------------------------------
    const Paragraphs expected = Split(text, options);
    fuzz::Check(Read(text, options, text.size() + 1) == expected, "the reader splits as the rules say");
    fuzz::Check(Read(text, options, block) == expected, "blocks of any size read the same");
    {
        // Paragraphs cut at a length: never longer, whatever the blocks.
        TTextReadOptions cutting = options;
        cutting.MaxParagraphLength = cut;
        const Paragraphs pieces = Read(text, cutting, block);
        fuzz::Check(pieces == Read(text, cutting, text.size() + 1), "cut paragraphs do not depend on blocks");
        for (const std::string& p : pieces) fuzz::Check(p.size() <= static_cast<std::size_t>(cut), "no piece is longer than the cut");
    }

    // ---- The editor ----------------------------------------------------------------------
    // The window's pieces first: the editor cancels its messages when it goes.
    ui::TFixedWidthMeasure font(7, 16, 4);
    TOneFontMeasure canvas(font);
    ui::TManualMessageQueue queue;
    TTextMemo memo;
    memo.SetNullReplacement(options.NullReplacement);
    TTextMemoOptions memoOptions = memo.Options();
    memoOptions.set(tmoDiscardTrailingSpaces, options.DiscardTrailingSpaces);
    memoOptions.set(tmoAutoLineBreak, autoLineBreak);
    memo.SetOptions(memoOptions);
    memo.SetLineBreak(lineBreak);
    memo.SetStaticFormat(staticFormat);
    if (highlight) {
        memo.SetUpperCaseType(caseType);
        memo.Keywords()->AddKeyword("select", Keyword(koWholeWord));
        memo.Keywords()->AddKeyword("caf\xC3\xA9", Keyword(0));
        memo.Keywords()->AddKeyword("\xC3\xA9t\xC3\xA9", Keyword(koWholeWord | koCaseSensitive));
        memo.StartStopKeys()->Add("/*", "*/", false, 2, 5, 0, -1, -1, 0);
        memo.StartStopKeys()->Add("'", "'", true, 3, 6, 0, -1, -1, 0);
        memo.StartStopKeys()->Add("rem", "", true, 4, 7, 0, -1, -1, koWholeWord);
        memo.ResetParsing();
    }
    if (width > 0) {
        memo.SetWordWrap(true);
        memo.AttachWindow(canvas, width, 100, queue);
    }
    memo.LoadFromText(text);
    fuzz::Check(ParagraphsOf(memo) == expected, "the editor holds the paragraphs read");
    if (autoLineBreak && text.find_first_of("\r\n") == std::string::npos)
        fuzz::Check(memo.LineBreak() == lineBreak, "a text without breaks keeps the line break");
    memo.FormatRange(0, memo.ParagraphCount() - 1, true);
    queue.DeliverAll();
    try {
        memo.CheckConsistency();
    } catch (const rtl::Exception& e) {
        fuzz::Check(false, e.Message().c_str());
    }
    for (int p = 0; p < memo.ParagraphCount(); ++p) {
        TParagraphRec& rec = memo.Paragraph(p);
        if (!rtl::IsValidUtf8(rec.Text)) continue;
        TLinesList lines(rec);
        for (int j = 0; j < lines.Count(); ++j) {
            const auto start = static_cast<std::size_t>(lines[j].Start);
            fuzz::Check(start >= rec.Text.size() || rtl::Utf8CharStartAt(rec.Text, start) == start,
                        "a display line starts at a character");
        }
    }

    // ---- The writer ----------------------------------------------------------------------
    const std::string saved = memo.SaveToText();
    TTextMemo back;
    back.SetNullReplacement(options.NullReplacement);
    back.SetOptions(memoOptions);
    back.SetStaticFormat(staticFormat);
    back.SetLineBreak(memo.LineBreak());
    back.LoadFromText(saved);
    if (!staticFormat) fuzz::Check(ParagraphsOf(back) == expected, "what is written reads back");
    fuzz::Check(back.SaveToText() == saved || staticFormat, "what is written writes out the same");
    return 0;
}
