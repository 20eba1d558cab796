#include "editor/TextStream.h"

#include "editor/TextStore.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <cstring>

namespace editor {

std::string_view LineBreakText(TTextLineBreak lineBreak) noexcept
{
    switch (lineBreak) {
    case pbLFCR: return "\n\r";
    case pbCR: return "\r";
    case pbLF: return "\n";
    case pbCRLF: break;
    }
    return "\r\n";
}

TTextReader::TTextReader(TTextReadOptions options, ParagraphSink sink)
    : options_(options), sink_(std::move(sink))
{
    if (options_.MaxParagraphLength < 1) options_.MaxParagraphLength = 1;
}

void TTextReader::Append(std::string_view run)
{
    while (!run.empty()) {
        const std::size_t room = static_cast<std::size_t>(options_.MaxParagraphLength) - current_.size();
        const std::size_t take = std::min(room, run.size());
        const std::size_t at = current_.size();
        current_.append(run.data(), take);
        if (options_.NullReplacement != '\0')
            std::replace(current_.begin() + static_cast<std::ptrdiff_t>(at), current_.end(), '\0',
                         options_.NullReplacement);
        run.remove_prefix(take);
        if (current_.size() >= static_cast<std::size_t>(options_.MaxParagraphLength)) EndParagraph();
    }
}

void TTextReader::EndParagraph()
{
    if (options_.DiscardTrailingSpaces) {
        std::size_t n = current_.size();
        while (n > 0 && (current_[n - 1] == ' ' || current_[n - 1] == '\t')) --n;
        current_.resize(n);
    }
    std::string done;
    done.reserve(current_.size() + current_.size() / 64);
    done.assign(current_);
    current_.clear();
    sink_(std::move(done));
}

// The break character `pending_` ended a paragraph; `next` (0 at the end of the text) follows.
void TTextReader::ResolvePending(char next)
{
    anyBreak_ = true;
    if (pending_ == '\r')
        lastBreak_ = next == '\n' ? pbCRLF : pbCR;
    else
        lastBreak_ = next == '\r' ? pbLFCR : pbLF;
    pending_ = 0;
}

void TTextReader::Feed(std::string_view block)
{
    std::size_t i = 0;
    while (i < block.size()) {
        if (pending_ != 0) {
            const char first = pending_;
            const char c = block[i];
            ResolvePending(c);
            if ((first == '\r' && c == '\n') || (first == '\n' && c == '\r')) {
                ++i;  // the second half of the pair
                continue;
            }
        }
        // The run up to the next break character.
        const char* start = block.data() + i;
        const std::size_t left = block.size() - i;
        const void* cr = std::memchr(start, '\r', left);
        const void* lf = std::memchr(start, '\n', left);
        const char* stop = start + left;
        if (cr) stop = static_cast<const char*>(cr);
        if (lf && static_cast<const char*>(lf) < stop) stop = static_cast<const char*>(lf);
        Append(std::string_view(start, static_cast<std::size_t>(stop - start)));
        i += static_cast<std::size_t>(stop - start);
        if (i < block.size()) {
            pending_ = block[i];
            ++i;
            EndParagraph();
        }
    }
}

void TTextReader::Finish()
{
    if (pending_ != 0) ResolvePending('\0');
    EndParagraph();
}

std::string ParagraphForSave(std::string_view paragraph, bool staticFormat, bool discardTrailingSpaces)
{
    std::string out = staticFormat ? TidyStyleCodes(paragraph) : std::string(paragraph);
    if (discardTrailingSpaces) {
        std::size_t n = out.size();
        while (n > 0 && (out[n - 1] == ' ' || out[n - 1] == '\t')) --n;
        out.resize(n);
    }
    return out;
}

namespace {
constexpr char kContinued = '\x05';
constexpr std::size_t kPieceMax = 255;
constexpr std::size_t kPieceBody = 254;
}  // namespace

void AppendStringsPieces(std::vector<std::string>& pieces, std::string_view paragraph)
{
    const bool endsIn5 = !paragraph.empty() && paragraph.back() == kContinued;
    while (paragraph.size() > kPieceMax || (endsIn5 && !paragraph.empty())) {
        std::size_t take = std::min(kPieceBody, paragraph.size());
        // A piece never ends inside a UTF-8 sequence, so that every piece is valid text.
        if (take < paragraph.size()) {
            const std::size_t t = rtl::Utf8CharStartAt(paragraph, take);
            if (t > 0) take = t;
        }
        std::string piece(paragraph.substr(0, take));
        piece.push_back(kContinued);
        pieces.push_back(std::move(piece));
        paragraph.remove_prefix(take);
    }
    pieces.emplace_back(paragraph);
}

std::vector<std::string> JoinStringsPieces(const std::vector<std::string>& pieces)
{
    std::vector<std::string> paragraphs;
    std::string current;
    bool open = false;
    for (const std::string& piece : pieces) {
        open = true;
        if (!piece.empty() && piece.back() == kContinued) {
            current.append(piece, 0, piece.size() - 1);
            continue;
        }
        current += piece;
        paragraphs.push_back(std::move(current));
        current.clear();
        open = false;
    }
    if (open) paragraphs.push_back(std::move(current));
    return paragraphs;
}

}  // namespace editor
