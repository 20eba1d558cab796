#include "editctrls/gkDTFormat.h"

#include "platform/rtl/Formatting.h"

#include <cstdlib>

namespace editctrls {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsQuote(char c) { return c == '\'' || c == '"'; }
// Letters A to Y (either case) begin tokens; Z and beyond are literals.
bool IsTokenLetter(char c)
{
    const char u = Upper(c);
    return u >= 'A' && u <= 'Y';
}

bool SameLetters(std::string_view format, int pos, std::string_view word)
{
    if (pos < 0 || static_cast<std::size_t>(pos) + word.size() > format.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (Lower(format[pos + i]) != word[i]) return false;
    return true;
}

std::string Number(int value, int digits)
{
    std::string s = std::to_string(value);
    while (static_cast<int>(s.size()) < digits) s.insert(s.begin(), '0');
    return s;
}

struct TDecoded {
    int year = 0, month = 0, day = 0, hour = 0, min = 0, sec = 0, msec = 0, dow = 1;
};

TDecoded Decode(rtl::TDateTime value)
{
    TDecoded d;
    rtl::DecodeDateTime(value, d.year, d.month, d.day, d.hour, d.min, d.sec, d.msec);
    d.dow = rtl::DayOfWeek(value);
    return d;
}

// What a token shows for the value; `original` is its text in the format's own case.
std::string ShownText(std::string_view token, std::string_view original, const TDecoded& v, bool twelveHour,
                      const rtl::TFormatSettings& s)
{
    const int count = static_cast<int>(token.size());
    switch (token[0]) {
    case 'd':
        if (count <= 2) return Number(v.day, count);
        return count == 3 ? s.ShortDayNames[v.dow - 1] : s.LongDayNames[v.dow - 1];
    case 'm':
        if (count <= 2) return Number(v.month, count);
        return count == 3 ? s.ShortMonthNames[v.month - 1] : s.LongMonthNames[v.month - 1];
    case 'y': return count <= 2 ? Number(v.year % 100, 2) : Number(v.year, 4);
    case 'h': {
        int hour = v.hour;
        if (twelveHour) {
            hour %= 12;
            if (hour == 0) hour = 12;
        }
        return Number(hour, count == 1 ? 1 : 2);
    }
    case 'n': return Number(v.min, count == 1 ? 1 : 2);
    case 's': return Number(v.sec, count == 1 ? 1 : 2);
    case 'a': {
        const bool pm = v.hour >= 12;
        if (count == 4) return pm ? s.TimePMString : s.TimeAMString;
        if (count == 5) return std::string(original.substr(pm ? 3 : 0, 2));
        return std::string(1, original[pm ? 2 : 0]);
    }
    default: return std::string(original);
    }
}

// Calls `visit(token, original, shownLiteral)` for every token and literal of an expanded
// format, in order; a literal comes with an empty token. Stops when visit returns false.
template <class Visit>
void WalkFormat(std::string_view f, const rtl::TFormatSettings& s, Visit visit)
{
    int i = 0;
    const int n = static_cast<int>(f.size());
    while (i < n) {
        const char c = f[i];
        if (IsQuote(c)) {
            const std::size_t close = f.find(c, i + 1);
            const int end = close == std::string_view::npos ? n : static_cast<int>(close);
            if (!visit(std::string_view{}, std::string_view{}, f.substr(i + 1, end - i - 1))) return;
            i = close == std::string_view::npos ? n : end + 1;
            continue;
        }
        if (c == '/' || c == ':') {
            if (!visit(std::string_view{}, std::string_view{}, c == '/' ? s.DateSeparator : s.TimeSeparator)) return;
            ++i;
            continue;
        }
        if (IsTokenLetter(c)) {
            int pos = i;
            const std::string token = NextFormatToken(Lower(c), f, pos);
            if (!token.empty()) {
                if (!visit(std::string_view(token), f.substr(i, pos - i + 1), std::string_view{})) return;
                i = pos + 1;
                continue;
            }
        }
        if (!visit(std::string_view{}, std::string_view{}, f.substr(i, 1))) return;
        ++i;
    }
}

}  // namespace

std::string ExpandNamedFormats(std::string_view format, const rtl::TFormatSettings& settings)
{
    // The replacements run one after another over the whole text, as the named formats nest
    // ("c" brings a long time that may hold a "t"-free picture); each pass skips quoted text.
    const auto replace = [](const std::string& text, std::string_view name, const std::string& by) {
        std::string out;
        std::size_t i = 0;
        while (i < text.size()) {
            if (IsQuote(text[i])) {
                const std::size_t close = text.find(text[i], i + 1);
                const std::size_t end = close == std::string::npos ? text.size() : close + 1;
                out.append(text, i, end - i);
                i = end;
                continue;
            }
            if (text.compare(i, name.size(), name) == 0) {
                out += by;
                i += name.size();
                continue;
            }
            out += text[i++];
        }
        return out;
    };
    std::string f(format);
    f = replace(f, "c", settings.ShortDateFormat + " " + settings.LongTimeFormat);
    f = replace(f, "dddddd", settings.LongDateFormat);
    f = replace(f, "ddddd", settings.ShortDateFormat);
    f = replace(f, "tt", settings.LongTimeFormat);
    f = replace(f, "t", settings.ShortTimeFormat);
    return f;
}

std::string NextFormatToken(char letter, std::string_view format, int& pos)
{
    if (letter == 'a') {
        if (SameLetters(format, pos, "a/p")) {
            const std::string token(format.substr(pos, 3));
            pos += 2;
            return token;
        }
        if (SameLetters(format, pos, "am/pm")) {
            const std::string token(format.substr(pos, 5));
            pos += 4;
            return token;
        }
        if (SameLetters(format, pos, "ampm")) {
            pos += 3;
            return "ampm";
        }
        return {};
    }
    const int start = pos;
    std::string token(1, letter);
    while (static_cast<std::size_t>(pos) + 1 < format.size() && Lower(format[pos + 1]) == letter) {
        ++pos;
        token += letter;
    }
    // h, a separator, then m: the minutes.
    if (letter == 'm' && token.size() <= 2 && start >= 2 && Lower(format[start - 2]) == 'h')
        token.assign(token.size(), 'n');
    return token;
}

TDTPartType PartTypeOf(std::string_view token)
{
    if (token.empty()) return TDTPartType::None;
    switch (token[0]) {
    case 'd': return token.size() <= 2 ? TDTPartType::Day : TDTPartType::Weekday;
    case 'm': return token.size() <= 2 ? TDTPartType::Month : TDTPartType::MonthName;
    case 'y': return TDTPartType::Year;
    case 'h': return TDTPartType::Hour;
    case 'n': return TDTPartType::Minute;
    case 's': return TDTPartType::Second;
    case 'a':
    case 'A': return token.size() >= 3 ? TDTPartType::AmPm : TDTPartType::None;
    default: return TDTPartType::None;
    }
}

bool IsDatePartType(TDTPartType t)
{
    return t == TDTPartType::Day || t == TDTPartType::Weekday || t == TDTPartType::Month ||
           t == TDTPartType::MonthName || t == TDTPartType::Year;
}

bool IsTimePartType(TDTPartType t)
{
    return t == TDTPartType::Hour || t == TDTPartType::Minute || t == TDTPartType::Second || t == TDTPartType::AmPm;
}

bool IsEditablePart(std::string_view token, const TDTKind& kind)
{
    const TDTPartType t = PartTypeOf(token);
    if (IsDatePartType(t)) return kind.DateTime || kind.Date;
    if (IsTimePartType(t)) return kind.DateTime || kind.TimeOnly;
    return false;
}

namespace {

template <class Test>
bool AnyToken(std::string_view expanded, Test test)
{
    bool found = false;
    WalkFormat(expanded, rtl::FormatSettings(), [&](std::string_view token, std::string_view, std::string_view) {
        if (!token.empty() && test(PartTypeOf(token))) found = true;
        return !found;
    });
    return found;
}

}  // namespace

bool FormatHasDatePart(std::string_view expanded) { return AnyToken(expanded, IsDatePartType); }
bool FormatHasTimePart(std::string_view expanded) { return AnyToken(expanded, IsTimePartType); }
bool FormatHasAmPm(std::string_view expanded)
{
    return AnyToken(expanded, [](TDTPartType t) { return t == TDTPartType::AmPm; });
}

int CountFormatParts(std::string_view expanded, const TDTKind& kind)
{
    int count = 0;
    WalkFormat(expanded, rtl::FormatSettings(), [&](std::string_view token, std::string_view, std::string_view) {
        if (!token.empty() && IsEditablePart(token, kind)) ++count;
        return true;
    });
    return count;
}

bool LocatePart(int n, std::string_view expanded, rtl::TDateTime value, const TDTKind& kind,
                const rtl::TFormatSettings& settings, TDTPart& part)
{
    part = TDTPart{};
    const TDecoded v = Decode(value);
    const bool twelveHour = FormatHasAmPm(expanded);
    std::string running;
    int index = 0;
    bool found = false;
    WalkFormat(expanded, settings, [&](std::string_view token, std::string_view original, std::string_view literal) {
        if (token.empty()) {
            running += literal;
            return true;
        }
        const std::string shown = ShownText(token, original, v, twelveHour, settings);
        if (IsEditablePart(token, kind) && ++index == n) {
            part.Start = static_cast<int>(running.size());
            part.Length = static_cast<int>(shown.size());
            part.Token = std::string(token);
            running += shown;
            part.Text = running;
            found = true;
            return false;
        }
        running += shown;
        return true;
    });
    return found;
}

rtl::TDateTime AddMonths(rtl::TDateTime value, int count)
{
    int year, month, day;
    rtl::DecodeDate(value, year, month, day);
    year += count / 12;
    month += count % 12;
    if (month < 1 || month > 12) {
        year += count > 0 ? 1 : -1;
        month += count > 0 ? -12 : 12;
    }
    if (year > 9999 || year < 1) return value;
    day = std::min(day, rtl::DaysInAMonth(year, month));
    const rtl::TDateTime date = rtl::EncodeDate(year, month, day);
    return rtl::ComposeDateTime(date, rtl::TimeOf(value));
}

int ExpandTwoDigitYear(int twoDigits, int epoch)
{
    return (epoch / 100 + (twoDigits < epoch % 100 ? 1 : 0)) * 100 + twoDigits;
}

bool DateNotBefore(rtl::TDateTime a, rtl::TDateTime b)
{
    return static_cast<long long>(a < 0 ? a - 0.5 : a + 0.5) >= static_cast<long long>(b < 0 ? b - 0.5 : b + 0.5);
}

}  // namespace editctrls
