// The RTF writer of the rich-text model, plain text as a document and a document's text.

#include <string>

#include "platform/classes/TextForm.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/RichText.h"

namespace ui::rtf {

namespace {

// The code point of the UTF-8 sequence at `pos` (U+FFFD for a broken one) and its length.
std::pair<char32_t, std::size_t> DecodeAt(std::string_view s, std::size_t pos) {
    const std::size_t len = rtl::Utf8CharLen(s, pos);
    char32_t c = 0;
    if (len > 1 && classes::DecodeSingleUtf8(s.substr(pos, len), c)) return {c, len};
    return {0xFFFD, 1};
}

void AppendUnicode(std::string& out, char32_t unit) {
    const int n = unit > 0x7FFF ? static_cast<int>(unit) - 65536 : static_cast<int>(unit);
    out += "\\u" + std::to_string(n) + "?";
}

// `text` escaped for RTF: tabs and line breaks as control words, non-ASCII as "\uN?".
void AppendEscaped(std::string& out, std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            const auto [code, len] = DecodeAt(text, i);
            i += len;
            if (code > 0xFFFF) {
                AppendUnicode(out, 0xD800 + ((code - 0x10000) >> 10));
                AppendUnicode(out, 0xDC00 + ((code - 0x10000) & 0x3FF));
            } else {
                AppendUnicode(out, code);
            }
            continue;
        }
        ++i;
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '{': out += "\\{"; break;
        case '}': out += "\\}"; break;
        case '\t': out += "\\tab "; break;
        case '\v': out += "\\line "; break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20) out += c;
            break;
        }
    }
}

void AppendWord(std::string& out, std::string_view word, int value) {
    out += '\\';
    out += word;
    out += std::to_string(value);
}

// The control words taking the character format from `from` to `to`.
std::string CharTransition(const CharFormat& from, const CharFormat& to) {
    std::string out;
    if (to.font != from.font && to.font >= 0) AppendWord(out, "f", to.font);
    if (to.halfPoints != from.halfPoints) AppendWord(out, "fs", to.halfPoints);
    if (to.bold != from.bold) out += to.bold ? "\\b" : "\\b0";
    if (to.italic != from.italic) out += to.italic ? "\\i" : "\\i0";
    if (to.underline != from.underline) out += to.underline ? "\\ul" : "\\ulnone";
    if (to.strike != from.strike) out += to.strike ? "\\strike" : "\\strike0";
    if (to.color != from.color) AppendWord(out, "cf", to.color);
    if (to.highlight != from.highlight) AppendWord(out, "highlight", to.highlight);
    return out;
}

void AppendParaFormat(std::string& out, const ParaFormat& p) {
    out += "\\pard";
    switch (p.alignment) {
    case Alignment::Left: break;
    case Alignment::Center: out += "\\qc"; break;
    case Alignment::Right: out += "\\qr"; break;
    case Alignment::Justify: out += "\\qj"; break;
    }
    if (p.bullet) out += "{\\pntext\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'B7}}";
    const std::pair<std::string_view, int> distances[] = {
        {"fi", p.firstIndent}, {"li", p.leftIndent}, {"ri", p.rightIndent},
        {"sb", p.spaceBefore}, {"sa", p.spaceAfter}};
    for (const auto& [word, value] : distances)
        if (value != 0) AppendWord(out, word, value);
    if (p.lineSpacing != 0) {
        AppendWord(out, "sl", p.lineSpacing);
        AppendWord(out, "slmult", p.lineMultiple ? 1 : 0);
    }
    for (const int tab : p.tabs) AppendWord(out, "tx", tab);
    if (out.back() != '}') out += ' ';  // ends the last control word; after a group it would be text
}

void AppendFontTable(std::string& out, const std::vector<Font>& fonts) {
    if (fonts.empty()) return;
    out += "{\\fonttbl";
    for (std::size_t i = 0; i < fonts.size(); ++i) {
        out += "{";
        AppendWord(out, "f", static_cast<int>(i));
        out += "\\f" + fonts[i].family;
        AppendWord(out, "fcharset", fonts[i].charset);
        out += ' ';
        // ";" ends a name in the table: a name holding one is written without it.
        std::string name = fonts[i].name;
        std::erase(name, ';');
        AppendEscaped(out, name);
        out += ";}";
    }
    out += "}\r\n";
}

void AppendColorTable(std::string& out, const std::vector<Color>& colors) {
    if (colors.empty()) return;
    out += "{\\colortbl ";
    for (const Color& c : colors) {
        if (!c.automatic) {
            AppendWord(out, "red", c.red);
            AppendWord(out, "green", c.green);
            AppendWord(out, "blue", c.blue);
        }
        out += ';';
    }
    out += "}\r\n";
}

}  // namespace

std::string WriteRtf(const Document& document) {
    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1";
    AppendFontTable(out, document.fonts);
    AppendColorTable(out, document.colors);
    CharFormat current;
    current.font = document.fonts.empty() ? -1 : 0;
    for (std::size_t i = 0; i < document.paragraphs.size(); ++i) {
        const Paragraph& para = document.paragraphs[i];
        AppendParaFormat(out, para.format);
        for (const Run& run : para.runs) {
            const std::string words = CharTransition(current, run.format);
            current = run.format;
            if (!run.object.empty()) {
                out += words;
                out += run.object;
                continue;
            }
            if (!words.empty()) out += words + ' ';
            AppendEscaped(out, run.text);
        }
        if (i + 1 < document.paragraphs.size()) out += "\\par\r\n";
    }
    out += "}\r\n";
    return out;
}

Document PlainTextDocument(std::string_view text) {
    const std::string utf8 = rtl::IsValidUtf8(text) ? std::string(text) : DecodeCodePage(text, 1252);
    Document doc;
    CharFormat format;
    format.font = -1;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = utf8.find_first_of("\r\n", start);
        Paragraph para;
        const std::string_view line = std::string_view(utf8).substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty()) para.runs.push_back(Run{format, std::string(line), {}});
        doc.paragraphs.push_back(std::move(para));
        if (end == std::string::npos) break;
        start = end + (utf8.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return doc;
}

std::string Document::PlainText() const {
    std::string out;
    for (std::size_t i = 0; i < paragraphs.size(); ++i) {
        if (i > 0) out += "\r\n";
        for (const Run& run : paragraphs[i].runs) out += run.text;
    }
    return out;
}

}  // namespace ui::rtf
