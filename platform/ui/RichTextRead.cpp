// The RTF reader of the rich-text model, and the code-page decoding it and plain text share.

#include <iconv.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <map>
#include <optional>

#include "platform/classes/TextForm.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/RichText.h"

namespace ui::rtf {

namespace {

// Windows-1252's characters at 0x80..0x9F; the five it leaves undefined read as Latin-1.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// A code point as UTF-8; one that is no character (a lone surrogate, past U+10FFFF) as U+FFFD.
void AppendUtf8(std::string& out, char32_t c) {
    classes::AppendUtf8(out, c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) ? char32_t{0xFFFD} : c);
}

void AppendCp1252(std::string& out, unsigned char byte) {
    AppendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : char32_t{byte});
}

std::string IconvName(int codePage) {
    switch (codePage) {
    case 10000: return "MACINTOSH";
    case 1361: return "JOHAB";
    default: return "CP" + std::to_string(codePage);
    }
}

// Converters by code page, opened on first use and closed with the decoder.
class Decoder {
public:
    Decoder() = default;
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    ~Decoder() {
        for (auto& [page, cd] : converters_)
            if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }

    void Decode(std::string_view bytes, int codePage, std::string& out) {
        iconv_t cd = codePage == 1252 || codePage <= 0 ? reinterpret_cast<iconv_t>(-1) : Converter(codePage);
        std::size_t i = 0;
        while (i < bytes.size()) {
            if (static_cast<unsigned char>(bytes[i]) < 0x80) {
                out += bytes[i++];
                continue;
            }
            if (cd == reinterpret_cast<iconv_t>(-1)) {
                AppendCp1252(out, static_cast<unsigned char>(bytes[i++]));
                continue;
            }
            i += ConvertSome(cd, bytes.substr(i), out);
        }
    }

private:
    iconv_t Converter(int codePage) {
        auto it = converters_.find(codePage);
        if (it == converters_.end())
            it = converters_.emplace(codePage, iconv_open("UTF-8", IconvName(codePage).c_str())).first;
        return it->second;
    }

    // Converts from the start of `bytes` as far as the converter goes (at least one byte:
    // one it refuses reads as Windows-1252); answers the bytes used.
    static std::size_t ConvertSome(iconv_t cd, std::string_view bytes, std::string& out) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        std::array<char, 1024> buffer{};
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        while (inLeft > 0) {
            char* o = buffer.data();
            std::size_t outLeft = buffer.size();
            const std::size_t rc = iconv(cd, &in, &inLeft, &o, &outLeft);
            out.append(buffer.data(), buffer.size() - outLeft);
            if (rc != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) continue;
            if (static_cast<std::size_t>(in - bytes.data()) == 0) {
                AppendCp1252(out, static_cast<unsigned char>(bytes[0]));
                return 1;
            }
            break;
        }
        return static_cast<std::size_t>(in - bytes.data());
    }

    std::map<int, iconv_t> converters_;
};

enum class Dest { Text, Skip, FontTable, ColorTable, Bullet };

struct State {
    Dest dest = Dest::Text;
    int fontNumber = INT_MIN;  // INT_MIN: the default font
    CharFormat chr;
    ParaFormat para;
    int unicodeSkip = 1;
};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

constexpr int kNumberLimit = 1'000'000'000;
constexpr int kMaxTwips = 31680;  // 22 inches
constexpr int kMaxHalfPoints = 3276;

int Clamp(int v, int lo, int hi) { return std::min(std::max(v, lo), hi); }

class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}

    Document Read() {
        pos_ = 0;
        while (pos_ < in_.size()) Step();
        FlushBytes();
        FinishFontEntry();
        FinishParagraph();
        ResolveTables();
        return std::move(doc_);
    }

private:
    struct Word {
        std::string_view name;
        std::optional<int> param;
    };

    void Step() {
        const char c = in_[pos_];
        if (c == '{') {
            if (cur_.dest == Dest::Text && TakeOpaque()) return;
            ++pos_;
            OpenGroup();
        } else if (c == '}') {
            ++pos_;
            CloseGroup();
        } else if (c == '\\') {
            ++pos_;
            Control();
        } else {
            ++pos_;
            if (c == '\r' || c == '\n') return;
            if (c == '\t') {
                Symbol("\t");
                return;
            }
            if (static_cast<unsigned char>(c) < 0x20) return;
            if (SkipFallback()) return;
            if (static_cast<unsigned char>(c) >= 0x80) {
                bytes_ += c;
                return;
            }
            FlushBytes();
            Text(std::string_view(&in_[pos_ - 1], 1));
        }
    }

    // An embedded object or picture group starting at pos_: kept whole, byte for byte. An
    // unterminated one is dropped (its bytes are cut anyway).
    bool TakeOpaque() {
        const std::string_view rest = in_.substr(pos_);
        const bool object = rest.starts_with("{\\object") && !IsLetterAt(pos_ + 8);
        const bool picture = rest.starts_with("{\\pict") && !IsLetterAt(pos_ + 6);
        if (!object && !picture) return false;
        FlushBytes();
        const std::size_t start = pos_;
        int depth = 0;
        while (pos_ < in_.size()) {
            const char c = in_[pos_++];
            if (c == '{') {
                ++depth;
            } else if (c == '}') {
                if (--depth == 0) {
                    AddObject(in_.substr(start, pos_ - start));
                    return true;
                }
            } else if (c == '\\' && pos_ < in_.size()) {
                if (in_.substr(pos_).starts_with("bin") && pos_ + 3 < in_.size() &&
                    (IsDigit(in_[pos_ + 3]) || in_[pos_ + 3] == '-')) {
                    pos_ += 3;
                    const Word w = ReadParam("bin");
                    const auto n = static_cast<std::size_t>(std::max(0, w.param.value_or(0)));
                    pos_ += std::min(n, in_.size() - pos_);
                } else {
                    ++pos_;
                }
            }
        }
        return true;
    }

    bool IsLetterAt(std::size_t p) const { return p < in_.size() && IsLetter(in_[p]); }

    void OpenGroup() {
        FlushBytes();
        skip_ = 0;
        ignorable_ = false;
        if (stack_.size() >= static_cast<std::size_t>(kMaxGroupDepth)) {
            ++overflow_;
            return;
        }
        stack_.push_back(cur_);
    }

    void CloseGroup() {
        FlushBytes();
        skip_ = 0;
        ignorable_ = false;
        if (overflow_ > 0) {
            --overflow_;
            return;
        }
        if (stack_.empty()) return;  // an unbalanced "}": nothing to close
        if (cur_.dest == Dest::FontTable) FinishFontEntry();
        if (stack_.size() == 1) {
            // The document's own group: its formatting is what the last paragraph ends with.
            cur_.dest = stack_.back().dest;
        } else {
            cur_ = stack_.back();
        }
        stack_.pop_back();
    }

    // Reads the parameter of a control word whose letters end at pos_.
    Word ReadParam(std::string_view name) {
        Word w{name, std::nullopt};
        bool negative = false;
        if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        if (pos_ < in_.size() && IsDigit(in_[pos_])) {
            long long v = 0;
            while (pos_ < in_.size() && IsDigit(in_[pos_])) {
                v = std::min<long long>(v * 10 + (in_[pos_] - '0'), kNumberLimit);
                ++pos_;
            }
            w.param = static_cast<int>(negative ? -v : v);
        }
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
        return w;
    }

    void Control() {
        if (pos_ >= in_.size()) return;
        const char c = in_[pos_];
        if (!IsLetter(c)) {
            ++pos_;
            ControlSymbol(c);
            return;
        }
        const std::size_t start = pos_;
        while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
        const Word w = ReadParam(in_.substr(start, std::min<std::size_t>(pos_ - start, 32)));
        if (w.name != "u") {
            // A control word ends the fallback of a "\u" rather than counting as part of it,
            // so a paragraph mark right after one is never lost.
            skip_ = 0;
            FlushBytes();
        }
        ControlWord(w);
    }

    void ControlSymbol(char c) {
        switch (c) {
        case '\'': {
            const int hi = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
            const int lo = pos_ + 1 < in_.size() ? HexValue(in_[pos_ + 1]) : -1;
            if (hi < 0 || lo < 0) {  // a cut "\'": its digits are dropped
                while (pos_ < in_.size() && HexValue(in_[pos_]) >= 0) ++pos_;
                return;
            }
            pos_ += 2;
            if (SkipFallback()) return;
            bytes_ += static_cast<char>(hi * 16 + lo);
            return;
        }
        case '*':
            ignorable_ = true;
            return;
        case '\r':
        case '\n':
            FlushBytes();
            Paragraph();
            return;
        default: break;
        }
        if (SkipFallback()) return;
        FlushBytes();
        switch (c) {
        case '\\': Text("\\"); break;
        case '{': Text("{"); break;
        case '}': Text("}"); break;
        case '~': Text("\u00A0"); break;
        case '_': Text("\u2011"); break;
        default: break;  // "\-" (optional hyphen) and unknown symbols
        }
    }

    void ControlWord(const Word& w) {
        const bool ignorable = ignorable_;
        ignorable_ = false;
        if (cur_.dest == Dest::Skip) return;
        if (ignorable) {
            cur_.dest = cur_.dest == Dest::Text && w.name == "pn" ? Dest::Bullet : Dest::Skip;
            return;
        }
        if (w.name == "u") return Unicode(w.param.value_or(0));
        if (cur_.dest == Dest::FontTable) return FontTableWord(w);
        if (cur_.dest == Dest::ColorTable) return ColorWord(w);
        if (cur_.dest == Dest::Bullet) {
            if (w.name == "pnlvlblt") {
                cur_.para.bullet = true;
                if (!stack_.empty() && overflow_ == 0) stack_.back().para.bullet = true;
            }
            return;
        }
        if (Destination(w.name)) return;
        if (CharacterWord(w)) return;
        if (ParagraphWord(w)) return;
        TextWord(w);
    }

    bool Destination(std::string_view name) {
        static constexpr std::array<std::string_view, 14> kSkipped = {
            "stylesheet", "info",    "pntext",  "listtext", "revtbl",  "header",  "headerl",
            "headerr",    "headerf", "footer",  "footerl",  "footerr", "footerf", "footnote"};
        if (name == "fonttbl") {
            cur_.dest = Dest::FontTable;
            font_.reset();
            return true;
        }
        if (name == "colortbl") {
            cur_.dest = Dest::ColorTable;
            color_ = Color{};
            return true;
        }
        if (std::find(kSkipped.begin(), kSkipped.end(), name) != kSkipped.end()) {
            cur_.dest = Dest::Skip;
            return true;
        }
        return false;
    }

    bool CharacterWord(const Word& w) {
        CharFormat& f = cur_.chr;
        const bool on = w.param.value_or(1) != 0;
        if (w.name == "plain") {
            f = CharFormat{};
            cur_.fontNumber = INT_MIN;
        } else if (w.name == "b") {
            f.bold = on;
        } else if (w.name == "i") {
            f.italic = on;
        } else if (w.name == "ul") {
            f.underline = on;
        } else if (w.name == "ulnone") {
            f.underline = false;
        } else if (w.name == "strike") {
            f.strike = on;
        } else if (w.name == "f") {
            cur_.fontNumber = w.param.value_or(0);
        } else if (w.name == "fs") {
            f.halfPoints = Clamp(w.param.value_or(24), 1, kMaxHalfPoints);
        } else if (w.name == "cf") {
            f.color = Clamp(w.param.value_or(0), 0, kNumberLimit);
        } else if (w.name == "highlight") {
            f.highlight = Clamp(w.param.value_or(0), 0, kNumberLimit);
        } else {
            return false;
        }
        return true;
    }

    bool ParagraphWord(const Word& w) {
        ParaFormat& p = cur_.para;
        const int twips = Clamp(w.param.value_or(0), -kMaxTwips, kMaxTwips);
        if (w.name == "pard") p = ParaFormat{};
        else if (w.name == "ql") p.alignment = Alignment::Left;
        else if (w.name == "qc") p.alignment = Alignment::Center;
        else if (w.name == "qr") p.alignment = Alignment::Right;
        else if (w.name == "qj") p.alignment = Alignment::Justify;
        else if (w.name == "li") p.leftIndent = twips;
        else if (w.name == "ri") p.rightIndent = twips;
        else if (w.name == "fi") p.firstIndent = twips;
        else if (w.name == "sb") p.spaceBefore = std::max(0, twips);
        else if (w.name == "sa") p.spaceAfter = std::max(0, twips);
        else if (w.name == "sl") p.lineSpacing = twips;
        else if (w.name == "slmult") p.lineMultiple = w.param.value_or(1) != 0;
        else if (w.name == "tx") {
            if (p.tabs.size() < static_cast<std::size_t>(kMaxTabs)) p.tabs.push_back(std::max(0, twips));
        } else return false;
        return true;
    }

    void TextWord(const Word& w) {
        static const std::map<std::string_view, std::string_view> kCharacters = {
            {"tab", "\t"},           {"line", "\v"},          {"emdash", "\u2014"},
            {"endash", "\u2013"},    {"bullet", "\u2022"},    {"lquote", "\u2018"},
            {"rquote", "\u2019"},    {"ldblquote", "\u201C"}, {"rdblquote", "\u201D"},
            {"emspace", "\u2003"},   {"enspace", "\u2002"}};
        if (w.name == "par") return Paragraph();
        if (w.name == "uc") {
            cur_.unicodeSkip = Clamp(w.param.value_or(1), 0, 16);
            return;
        }
        if (w.name == "ansicpg") {
            codePage_ = Clamp(w.param.value_or(1252), 0, 65535);
            return;
        }
        if (w.name == "deff") {
            defaultFont_ = w.param.value_or(0);
            return;
        }
        if (w.name == "bin") {  // binary data outside an object: skipped
            const auto n = static_cast<std::size_t>(std::max(0, w.param.value_or(0)));
            pos_ += std::min(n, in_.size() - pos_);
            return;
        }
        if (const auto it = kCharacters.find(w.name); it != kCharacters.end()) Symbol(it->second);
    }

    void Symbol(std::string_view text) {
        if (SkipFallback()) return;
        FlushBytes();
        Text(text);
    }

    void Unicode(int n) {
        FlushBytes();
        if (n < 0) n += 65536;
        if (n < 0 || n > 0xFFFF) n = 0xFFFD;
        const auto c = static_cast<char32_t>(n);
        if (c >= 0xDC00 && c <= 0xDFFF && highSurrogate_) {
            const char32_t full = 0x10000 + ((*highSurrogate_ - 0xD800) << 10) + (c - 0xDC00);
            highSurrogate_.reset();
            std::string s;
            AppendUtf8(s, full);
            Text(s);
        } else if (c >= 0xD800 && c <= 0xDBFF) {
            FlushSurrogate();
            highSurrogate_ = c;
        } else if (c >= 0x20 || c == '\t' || c == '\v') {  // other control characters are dropped
            std::string s;
            AppendUtf8(s, c);
            Text(s);
        }
        skip_ = cur_.unicodeSkip;
    }

    // True while the fallback characters of a "\u" are being passed over (counting one).
    bool SkipFallback() {
        if (skip_ <= 0) return false;
        --skip_;
        return true;
    }

    void FlushSurrogate() {
        if (!highSurrogate_) return;
        highSurrogate_.reset();
        AppendText("\uFFFD");
    }

    void FlushBytes() {
        if (bytes_.empty()) return;
        std::string s;
        decoder_.Decode(bytes_, CurrentCodePage(), s);
        bytes_.clear();
        // Control characters written as "\'hh" are not text.
        std::erase_if(s, [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; });
        Text(s);
    }

    int CurrentCodePage() const {
        int charset = -1;
        if (cur_.dest == Dest::FontTable) {
            if (font_) charset = font_->charset;
        } else if (const int i = fontNumbers_.empty() ? -1 : FontIndex(cur_.fontNumber); i >= 0) {
            charset = doc_.fonts[static_cast<std::size_t>(i)].charset;
        }
        const int page = charset >= 0 ? CharsetCodePage(charset) : 0;
        return page != 0 ? page : codePage_;
    }

    void Text(std::string_view text) {
        if (!text.empty() && highSurrogate_) FlushSurrogate();
        AppendText(text);
    }

    void AppendText(std::string_view text) {
        if (text.empty()) return;
        switch (cur_.dest) {
        case Dest::Text: break;
        case Dest::FontTable: return FontText(text);
        case Dest::ColorTable: return ColorText(text);
        default: return;
        }
        Run* last = para_.runs.empty() ? nullptr : &para_.runs.back();
        const CharFormat f = Resolved();
        if (last && last->object.empty() && last->format == f) {
            last->text += text;
        } else {
            para_.runs.push_back(Run{f, std::string(text), {}});
        }
    }

    void AddObject(std::string_view raw) {
        FlushSurrogate();
        para_.runs.push_back(Run{Resolved(), {}, std::string(raw)});
    }

    // The format as it stands, with the font still a font number: tables may come later, so
    // fonts and colours are resolved once the whole text is read.
    CharFormat Resolved() const {
        CharFormat f = cur_.chr;
        f.font = cur_.fontNumber;
        return f;
    }

    void ResolveTables() {
        const auto colors = static_cast<int>(doc_.colors.size());
        for (ui::rtf::Paragraph& p : doc_.paragraphs)
            for (Run& r : p.runs) {
                r.format.font = FontIndex(r.format.font);
                if (r.format.color >= colors) r.format.color = 0;
                if (r.format.highlight >= colors) r.format.highlight = 0;
            }
        // Font numbers that name the same font leave neighbouring runs of one format.
        for (ui::rtf::Paragraph& p : doc_.paragraphs) {
            std::vector<Run> merged;
            for (Run& r : p.runs) {
                if (!merged.empty() && r.object.empty() && merged.back().object.empty() &&
                    merged.back().format == r.format)
                    merged.back().text += r.text;
                else
                    merged.push_back(std::move(r));
            }
            p.runs = std::move(merged);
        }
    }

    // The model's index of font number `number` (INT_MIN: the default font); unknown
    // numbers give the default font, -1 when there is no font table.
    int FontIndex(int number) const {
        if (doc_.fonts.empty()) return -1;
        if (const auto it = fontNumbers_.find(number == INT_MIN ? defaultFont_ : number); it != fontNumbers_.end())
            return it->second;
        if (const auto it = fontNumbers_.find(defaultFont_); it != fontNumbers_.end()) return it->second;
        return 0;
    }

    void Paragraph() {
        if (cur_.dest != Dest::Text) return;
        FinishParagraph();
    }

    void FinishParagraph() {
        FlushSurrogate();
        para_.format = cur_.para;
        if (para_.format.lineSpacing == 0) para_.format.lineMultiple = false;  // single spacing either way
        doc_.paragraphs.push_back(std::move(para_));
        para_ = ui::rtf::Paragraph{};
    }

    void FontTableWord(const Word& w) {
        if (w.name == "f") {
            FinishFontEntry();
            font_ = Font{};
            fontNumber_ = w.param.value_or(0);
            return;
        }
        if (!font_) return;
        if (w.name == "fcharset") {
            font_->charset = Clamp(w.param.value_or(0), 0, 255);
        } else if (w.name.size() > 1 && w.name[0] == 'f' && !w.param) {
            static constexpr std::array<std::string_view, 8> kFamilies = {
                "nil", "roman", "swiss", "modern", "script", "decor", "tech", "bidi"};
            const std::string_view family = w.name.substr(1);
            if (std::find(kFamilies.begin(), kFamilies.end(), family) != kFamilies.end())
                font_->family = std::string(family);
        }
    }

    void FontText(std::string_view text) {
        if (!font_) return;
        const auto semicolon = text.find(';');
        for (const char c : text.substr(0, semicolon))
            if (static_cast<unsigned char>(c) >= 0x20) font_->name += c;  // names hold no tabs
        if (semicolon != std::string_view::npos) FinishFontEntry();
    }

    void FinishFontEntry() {
        if (!font_) return;
        if (!fontNumbers_.contains(fontNumber_)) {
            fontNumbers_[fontNumber_] = static_cast<int>(doc_.fonts.size());
            font_->name = rtl::Trim(font_->name);
            doc_.fonts.push_back(std::move(*font_));
        }
        font_.reset();
    }

    void ColorWord(const Word& w) {
        const auto component = static_cast<std::uint8_t>(Clamp(w.param.value_or(0), 0, 255));
        if (w.name == "red") color_.red = component;
        else if (w.name == "green") color_.green = component;
        else if (w.name == "blue") color_.blue = component;
        else return;
        color_.automatic = false;
    }

    void ColorText(std::string_view text) {
        for (const char c : text) {
            if (c != ';') continue;
            doc_.colors.push_back(color_);
            color_ = Color{};
        }
    }

    std::string_view in_;
    std::size_t pos_ = 0;
    Document doc_;
    ui::rtf::Paragraph para_;
    State cur_;
    std::vector<State> stack_;
    int overflow_ = 0;
    bool ignorable_ = false;
    int skip_ = 0;
    std::optional<char32_t> highSurrogate_;
    std::string bytes_;
    int codePage_ = 1252;
    int defaultFont_ = 0;
    std::map<int, int> fontNumbers_;
    std::optional<Font> font_;
    int fontNumber_ = 0;
    Color color_;
    Decoder decoder_;
};

}  // namespace

bool IsRtf(std::string_view data) noexcept { return data.starts_with("{\\rtf"); }

int CharsetCodePage(int charset) noexcept {
    switch (charset) {
    case 0: return 1252;
    case 2: return 1252;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return 0;
    }
}

std::string DecodeCodePage(std::string_view bytes, int codePage) {
    Decoder decoder;
    std::string out;
    decoder.Decode(bytes, codePage, out);
    return out;
}

Document ReadRtf(std::string_view data) {
    if (!IsRtf(data)) return PlainTextDocument(data);
    return Reader(data).Read();
}

}  // namespace ui::rtf
