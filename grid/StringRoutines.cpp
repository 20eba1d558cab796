#include "grid/StringRoutines.h"

#include "platform/rtl/Files.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>

namespace grid {

std::string gkGetFileNameBase(std::string_view fileName)
{
    const std::string name = rtl::ExtractFileName(fileName);
    const std::size_t dot = name.find('.');
    if (dot == std::string::npos) return {};
    return name.substr(0, dot);
}

std::string gkGetToken(std::string_view text, std::string_view delimiter, int& pos)
{
    if (pos <= 0) return {};
    if (pos > static_cast<int>(text.size())) {
        pos = -1;
        return {};
    }

    int found;
    int skip;
    if (rtl::Utf8CharCount(delimiter) == 1) {
        found = rtl::Pos(delimiter, text, pos);
        skip = static_cast<int>(delimiter.size());
    } else {
        // A word delimiter such as AND: matched as a whole word, whatever its case. ASCII
        // upper-casing keeps byte positions, so the found position applies to `text`.
        const std::string word = " " + rtl::UpperCase(delimiter) + " ";
        found = rtl::Pos(word, rtl::UpperCase(text), pos);
        skip = static_cast<int>(word.size());
    }

    if (found == 0) {
        std::string rest(text.substr(static_cast<std::size_t>(pos - 1)));
        pos = -1;
        return rest;
    }
    std::string token(text.substr(static_cast<std::size_t>(pos - 1),
                                  static_cast<std::size_t>(found - pos)));
    pos = found + skip;
    return token;
}

void gkStringToList(std::string_view text, std::string_view delimiter, rtl::TStrings& list)
{
    struct UpdateGuard {
        rtl::TStrings& list;
        explicit UpdateGuard(rtl::TStrings& l) : list(l) { list.BeginUpdate(); }
        ~UpdateGuard() { list.EndUpdate(); }
    } guard(list);

    list.Clear();
    if (!delimiter.empty()) {
        std::size_t found;
        while ((found = text.find(delimiter)) != std::string_view::npos) {
            list.Add(std::string(text.substr(0, found)));
            // Past the whole delimiter, so that no part of a longer one starts the next item.
            text.remove_prefix(found + delimiter.size());
        }
    }
    list.Add(std::string(text));
}

void gkStripTrailing(std::string& text, std::string_view charSet)
{
    while (!text.empty()) {
        const std::size_t start = rtl::Utf8PrevCharStart(text, text.size());
        const std::string_view last = std::string_view(text).substr(start);
        // Only a whole character of the set counts, never a byte inside another one.
        bool inSet = false;
        for (std::size_t i = 0; i < charSet.size(); i = rtl::Utf8NextCharStart(charSet, i)) {
            if (charSet.substr(i, rtl::Utf8CharLen(charSet, i)) == last) {
                inSet = true;
                break;
            }
        }
        if (!inSet) break;
        text.erase(start);
    }
}

std::string gkReplaceChar(std::string_view text, char oldChar, char newChar)
{
    std::string result(text);
    std::replace(result.begin(), result.end(), oldChar, newChar);
    return result;
}

std::string gkReplaceCharWithStr(std::string_view text, char ch, std::string_view replacement)
{
    return rtl::StringReplace(text, std::string_view(&ch, 1), replacement, {rtl::rfReplaceAll});
}

bool gkEqualText(std::string_view a, std::string_view b)
{
    return rtl::AnsiSameText(a, b);
}

int gkCountChar(std::string_view text, char ch)
{
    return static_cast<int>(std::count(text.begin(), text.end(), ch));
}

std::string gkTextAfterChar(std::string_view text, char ch)
{
    const std::size_t found = text.find(ch);
    if (found == std::string_view::npos) return {};
    return std::string(text.substr(found + 1));
}

std::string gkTextBeforeChar(std::string_view text, char ch)
{
    const std::size_t found = text.find(ch);
    if (found == std::string_view::npos) return {};
    return std::string(text.substr(0, found));
}

}  // namespace grid
