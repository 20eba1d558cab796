#include "grid/PictureValidator.h"

#include <cstdint>
#include <limits>

#include "platform/rtl/SysUtils.h"

namespace grid {

namespace {

std::vector<std::string> SplitChars(std::string_view s)
{
    std::vector<std::string> out;
    for (std::size_t k = 0; k < s.size();) {
        const std::size_t next = rtl::Utf8NextCharStart(s, k);
        out.emplace_back(s.substr(k, next - k));
        k = next;
    }
    return out;
}

std::string Join(const std::vector<std::string>& chars)
{
    std::string out;
    for (const std::string& c : chars) out += c;
    return out;
}

bool IsDigitChar(const std::string& c) { return c.size() == 1 && c[0] >= '0' && c[0] <= '9'; }

// A-Z, a-z, or any character above ASCII.
bool IsLetterChar(const std::string& c)
{
    if (c.empty()) return false;
    const unsigned char b = static_cast<unsigned char>(c[0]);
    if (b >= 0x80) return true;
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

// The case forms of one character; a form of another length (German sharp s) is not one.
std::string Upper(const std::string& c)
{
    std::string u = rtl::AnsiUpperCase(c);
    return rtl::Utf8CharCount(u) == 1 ? u : c;
}

std::string Lower(const std::string& c)
{
    std::string l = rtl::AnsiLowerCase(c);
    return rtl::Utf8CharCount(l) == 1 ? l : c;
}

bool IsComplete(TPicResult r) { return r == prComplete || r == prAmbiguous; }
bool IsIncomplete(TPicResult r) { return r == prIncomplete || r == prIncompNoFill; }

// The characters that are not literals when the text is filled in.
bool IsSpecial(const std::string& c)
{
    if (c.size() != 1) return false;
    switch (c[0]) {
    case '\0':
    case '!':
    case '#':
    case '&':
    case '*':
    case ',':
    case '?':
    case '@':
    case '[':
    case ']':
    case '{':
    case '}':
    case '~': return true;
    default: return false;
    }
}

const std::string kNone;

}  // namespace

TgkPictureValidator::TgkPictureValidator(std::string_view picture, bool autoFill)
    : fill_(autoFill), picture_(picture), pic_(SplitChars(picture))
{
    std::string empty;
    if (Picture(empty, false) != prEmpty) status_ = 1;
}

const std::string& TgkPictureValidator::P(int i) const
{
    return i >= 0 && i < static_cast<int>(pic_.size()) ? pic_[static_cast<std::size_t>(i)] : kNone;
}

bool TgkPictureValidator::SyntaxCheck() const
{
    const int n = static_cast<int>(pic_.size());
    if (n == 0 || PIs(n - 1, ';') || (PIs(n - 1, '*') && !PIs(n - 2, ';'))) return false;
    int brk = 0, brc = 0;
    for (int i = 0; i < n; ++i) {
        if (PIs(i, '['))
            ++brk;
        else if (PIs(i, ']'))
            --brk;
        else if (PIs(i, '{'))
            ++brc;
        else if (PIs(i, '}'))
            --brc;
        else if (PIs(i, ';'))
            ++i;
        else if (PIs(i, '*')) {
            // A repetition count beyond 32 bits is a bad picture, not a wrapped number.
            std::int64_t count = 0;
            for (int k = i + 1; k < n && IsDigitChar(P(k)); ++k) {
                count = count * 10 + (P(k)[0] - '0');
                if (count > std::numeric_limits<std::int32_t>::max()) return false;
            }
        }
    }
    return brk == 0 && brc == 0;
}

void TgkPictureValidator::ToGroupEnd(int& i, int termCh) const
{
    int brk = 0, brc = 0;
    do {
        if (i >= termCh) return;
        if (PIs(i, '['))
            ++brk;
        else if (PIs(i, ']'))
            --brk;
        else if (PIs(i, '{'))
            ++brc;
        else if (PIs(i, '}'))
            --brc;
        else if (PIs(i, ';'))
            ++i;
        else if (PIs(i, '*')) {
            ++i;
            while (IsDigitChar(P(i))) ++i;
            ToGroupEnd(i, termCh);
            continue;
        }
        ++i;
    } while (brk != 0 || brc != 0);
}

bool TgkPictureValidator::SkipToComma(int termCh)
{
    do
        ToGroupEnd(i_, termCh);
    while (i_ < termCh && !PIs(i_, ','));
    if (PIs(i_, ',') && i_ < termCh) ++i_;
    return i_ < termCh;
}

int TgkPictureValidator::CalcTerm(int termCh) const
{
    int k = i_;
    ToGroupEnd(k, termCh);
    return k;
}

void TgkPictureValidator::Consume(const std::string& ch)
{
    input_[static_cast<std::size_t>(j_)] = ch;
    ++i_;
    ++j_;
}

TPicResult TgkPictureValidator::Iteration(int termCh)
{
    ++i_;  // the '*'
    std::int64_t count = 0;
    while (IsDigitChar(P(i_))) {
        count = count * 10 + (P(i_)[0] - '0');
        // A count beyond 32 bits is a bad picture, not a wrapped number.
        if (count > std::numeric_limits<std::int32_t>::max()) return prSyntax;
        ++i_;
    }
    if (i_ > termCh) return prSyntax;
    const int k = i_;
    const int newTerm = CalcTerm(termCh);
    TPicResult r = prEmpty;
    if (count != 0) {
        for (std::int64_t pass = 0; pass < count; ++pass) {
            i_ = k;
            r = Process(newTerm);
            if (!IsComplete(r)) {
                // Every pass is required: an empty one is still to come.
                if (r == prEmpty) r = PIs(i_, '[') ? prComplete : prIncomplete;
                return r;
            }
        }
    } else {
        for (;;) {
            i_ = k;
            const int before = j_;
            r = Process(newTerm);
            if (!IsComplete(r) || j_ == before) break;
        }
        if (r == prEmpty || r == prError) {
            ++i_;
            r = prAmbiguous;
        }
    }
    i_ = newTerm;
    return r;
}

TPicResult TgkPictureValidator::Group(int termCh)
{
    const int groupTerm = CalcTerm(termCh);
    ++i_;
    const TPicResult r = Process(groupTerm - 1);
    if (!IsIncomplete(r)) i_ = groupTerm;
    return r;
}

// Steps `k` over parts that may be left out; True when it reached `termCh`.
bool TgkPictureValidator::SkipOptional(int& k, int termCh) const
{
    for (;;) {
        if (k >= termCh) return true;
        if (PIs(k, '[')) {
            ToGroupEnd(k, termCh);
        } else if (PIs(k, '*')) {
            if (!IsDigitChar(P(k + 1))) {
                ++k;
                ToGroupEnd(k, termCh);
            } else if (!IsDigitChar(P(k + 2)) && PIs(k + 2, '[')) {
                k += 2;
                ToGroupEnd(k, termCh);
            } else {
                return false;
            }
        } else if (PIs(k, '{')) {
            int end = k;
            ToGroupEnd(end, termCh);
            // One alternative made only of parts that may be left out is enough.
            bool any = false;
            int a = k + 1;
            while (a < end - 1 && !any) {
                int stop = a;
                while (stop < end - 1 && !PIs(stop, ',')) {
                    const int from = stop;
                    ToGroupEnd(stop, end - 1);
                    if (stop == from) ++stop;
                }
                int t = a;
                if (SkipOptional(t, stop) && t >= stop) any = true;
                a = stop + 1;
            }
            if (!any) return false;
            k = end;
        } else if (PIs(k, ',')) {
            k = termCh;
        } else {
            return false;
        }
    }
}

TPicResult TgkPictureValidator::CheckComplete(TPicResult r, int termCh)
{
    if (!IsIncomplete(r)) return r;
    int k = i_;
    if (SkipOptional(k, termCh)) return prAmbiguous;
    return r;
}

// One character of the input against a character class of the picture ("#", "?", "&",
// "~", "!", "@"); False when the input does not fit.
bool TgkPictureValidator::ScanClass(char pc, const std::string& ch)
{
    switch (pc) {
    case '#':
        if (!IsDigitChar(ch)) return false;
        Consume(ch);
        return true;
    case '?':
        if (!IsLetterChar(ch)) return false;
        Consume(ch);
        return true;
    case '&':
        if (!IsLetterChar(ch)) return false;
        Consume(Upper(ch));
        return true;
    case '~':
        if (!IsLetterChar(ch)) return false;
        Consume(Lower(ch));
        return true;
    case '!': Consume(Upper(ch)); return true;
    default: Consume(ch); return true;  // "@"
    }
}

// One character of the input against a literal of the picture (";" quotes the next one).
bool TgkPictureValidator::ScanLiteral(const std::string& ch)
{
    if (PIs(i_, ';')) ++i_;
    const std::string& literal = P(i_);
    if (Upper(literal) != Upper(ch)) {
        // A blank typed last where the picture wants a literal becomes that literal.
        const bool last = j_ == static_cast<int>(input_.size()) - 1;
        if (ch != " " || !last) return false;
    }
    Consume(literal);
    return true;
}

TPicResult TgkPictureValidator::Scan(int termCh)
{
    static constexpr std::string_view kClasses = "#?&~!@";
    TPicResult r = prEmpty;
    while (i_ < termCh && !PIs(i_, ',')) {
        if (j_ >= static_cast<int>(input_.size())) return CheckComplete(r, termCh);
        const std::string ch = input_[static_cast<std::size_t>(j_)];
        const std::string& p = P(i_);
        const char pc = p.size() == 1 ? p[0] : '\x01';
        if (kClasses.find(pc) != std::string_view::npos) {
            if (!ScanClass(pc, ch)) return prError;
        } else if (pc == '*') {
            r = Iteration(termCh);
            if (!IsComplete(r)) return r;
        } else if (pc == '{') {
            r = Group(termCh);
            if (!IsComplete(r)) return r;
        } else if (pc == '[') {
            r = Group(termCh);
            if (IsIncomplete(r)) return r;
            if (r == prError) r = prAmbiguous;
        } else if (!ScanLiteral(ch)) {
            return prError;
        }
        r = r == prAmbiguous ? prIncompNoFill : prIncomplete;
    }
    return r == prIncompNoFill ? prAmbiguous : prComplete;
}

TPicResult TgkPictureValidator::Process(int termCh)
{
    bool incomp = false;
    int incompI = 0, incompJ = 0;
    int initI = i_, initJ = j_;
    TPicResult r;
    do {
        r = Scan(termCh);
        // A complete alternative counts only when it got further than an incomplete one.
        if (IsComplete(r) && incomp && j_ < incompJ) {
            r = prIncomplete;
            j_ = incompJ;
        }
        if (r == prError || r == prIncomplete) {
            if (!incomp && r == prIncomplete) {
                incomp = true;
                incompI = i_;
                incompJ = j_;
            }
            i_ = initI;
            j_ = initJ;
            if (!SkipToComma(termCh)) {
                if (incomp) {
                    i_ = incompI;
                    j_ = incompJ;
                    return prIncomplete;
                }
                return r;
            }
            initI = i_;
        }
    } while (r == prError || r == prIncomplete);
    return r == prComplete && incomp ? prAmbiguous : r;
}

TPicResult TgkPictureValidator::Picture(std::string& input, bool autoFill)
{
    if (!SyntaxCheck()) return prSyntax;
    if (input.empty()) return prEmpty;
    const std::string kept = input;
    input_ = SplitChars(input);
    const int n = static_cast<int>(pic_.size());
    i_ = 0;
    j_ = 0;
    TPicResult r = Process(n);
    if (r != prError && r != prSyntax && j_ < static_cast<int>(input_.size())) r = prError;
    if (r == prIncomplete && autoFill) {
        bool reprocess = false;
        while (i_ < n && !IsSpecial(P(i_))) {
            if (PIs(i_, ';')) ++i_;
            if (i_ >= n) break;
            input_.push_back(P(i_));
            ++i_;
            reprocess = true;
        }
        i_ = 0;
        j_ = 0;
        if (reprocess) {
            r = Process(n);
            if (r != prError && r != prSyntax && j_ < static_cast<int>(input_.size())) r = prError;
            if (r == prError) {
                input = kept;
                return prIncomplete;
            }
        }
    }
    input = Join(input_);
    if (r == prAmbiguous) return prComplete;
    if (r == prIncompNoFill) return prIncomplete;
    return r;
}

bool TgkPictureValidator::IsValidInput(std::string& s, bool suppressFill)
{
    if (picture_.empty()) return true;
    return Picture(s, fill_ && !suppressFill) != prError;
}

bool TgkPictureValidator::IsValid(const std::string& s)
{
    if (picture_.empty()) return true;
    std::string copy = s;
    const TPicResult r = Picture(copy, false);
    return r == prComplete || r == prEmpty;
}

}  // namespace grid
