#include "platform/rtl/FormatSettings.h"

#include <QLocale>
#include <QString>

namespace rtl {

namespace {

bool IsAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

// A character that can serve as a separator between the fields of a date or time.
bool IsSeparatorChar(QChar c)
{
    return (c.isPunct() || c.isSymbol()) && c.category() != QChar::Other_Format;
}

// The separator a locale puts after the first of `fields` (letters of the locale's format) in a
// date or time format: the first punctuation character between that field and the next, else a
// blank when only blanks stand there, else `fallback`.
QString FindSeparator(const QString& format, QStringView fields, QString fallback)
{
    qsizetype i = 0;
    bool inQuote = false;
    while (i < format.size() && (inQuote || !fields.contains(format[i]))) {
        if (format[i] == u'\'')
            inQuote = !inQuote;
        ++i;
    }
    if (i == format.size())
        return fallback;
    const QChar field = format[i];
    while (i < format.size() && format[i] == field)
        ++i;
    bool onlyBlanks = true;
    bool any = false;
    for (; i < format.size() && !IsAsciiLetter(format[i]) && format[i] != u'\''; ++i) {
        if (IsSeparatorChar(format[i]))
            return QString(format[i]);
        any = true;
        if (format[i] != u' ')
            onlyBlanks = false;
    }
    if (any && onlyBlanks)
        return QStringLiteral(" ");
    return fallback;
}

void AppendLiteral(std::string& out, const QString& text)
{
    if (text.isEmpty())
        return;
    const char quote = text.contains(u'\'') ? '"' : '\'';
    out += quote;
    out += text.toStdString();
    out += quote;
}

// Translates a locale's date or time format into the class library's tokens. Characters that
// equal the date (or time) separator become "/" (or ":"); other punctuation that has a meaning
// of its own here, and every Latin letter that is not a field, is quoted. Time-zone fields have
// no counterpart and are dropped with the brackets and blanks around them.
std::string TranslateLocaleFormat(const QString& format, const QString& dateSep, const QString& timeSep)
{
    std::string out;
    QString literal;
    auto flush = [&] {
        AppendLiteral(out, literal);
        literal.clear();
    };
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = format[i];
        if (c == u'\'') {
            // Quoted text; two quotes stand for one.
            if (i + 1 < n && format[i + 1] == u'\'') {
                literal += u'\'';
                i += 2;
                continue;
            }
            ++i;
            while (i < n) {
                if (format[i] == u'\'') {
                    if (i + 1 < n && format[i + 1] == u'\'') {
                        literal += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal += format[i++];
            }
            continue;
        }
        if (!IsAsciiLetter(c)) {
            if (c == u' ') {
                // A blank stays a blank, also where it is the date separator.
                flush();
                out += ' ';
            } else if (QString(c) == dateSep && !dateSep.isEmpty()) {
                flush();
                out += '/';
            } else if (QString(c) == timeSep && !timeSep.isEmpty()) {
                flush();
                out += ':';
            } else if (c == u'/' || c == u':' || c == u'"') {
                literal += c;
            } else {
                flush();
                out += QString(c).toStdString();
            }
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < n && format[i + run] == c)
            ++run;
        const char16_t u = c.unicode();
        std::string token;
        bool known = true;
        switch (u) {
        case 'd': token.assign(std::min<qsizetype>(run, 4), 'd'); break;
        case 'M': token.assign(std::min<qsizetype>(run, 4), 'm'); break;
        case 'y': token = run >= 3 ? "yyyy" : "yy"; break;
        case 'h':
        case 'H': token = run == 1 ? "h" : "hh"; break;
        case 'm': token = run == 1 ? "n" : "nn"; break;
        case 's': token = run == 1 ? "s" : "ss"; break;
        case 'z': token = run == 1 ? "z" : "zzz"; break;
        case 'a':
        case 'A':
            token = "ampm";
            run = (i + 1 < n && (format[i + 1] == u'p' || format[i + 1] == u'P')) ? 2 : 1;
            break;
        case 't': token.clear(); break;
        default: known = false; break;
        }
        if (!known) {
            literal += format.mid(i, run);
            i += run;
            continue;
        }
        flush();
        if (u == 't') {
            // "(t)" disappears with its brackets.
            if (!out.empty() && out.back() == '(' && i + run < n && format[i + run] == u')') {
                out.pop_back();
                ++run;
            }
        }
        out += token;
        i += run;
    }
    flush();
    // Blanks left at either end or doubled where a field was dropped.
    std::string tidy;
    for (char ch : out) {
        if (ch == ' ' && (tidy.empty() || tidy.back() == ' '))
            continue;
        tidy += ch;
    }
    while (!tidy.empty() && tidy.back() == ' ')
        tidy.pop_back();
    return tidy;
}

}  // namespace

TFormatSettings TFormatSettings::UsEnglish()
{
    return TFormatSettings{};
}

TFormatSettings TFormatSettings::FromLocale()
{
    return FromLocale(QLocale::system());
}

TFormatSettings TFormatSettings::FromLocale(const QLocale& locale)
{
    TFormatSettings s;
    s.DecimalSeparator = locale.decimalPoint().toStdString();
    s.ThousandSeparator = locale.groupSeparator().toStdString();
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const QString longDate = locale.dateFormat(QLocale::LongFormat);
    const QString shortTime = locale.timeFormat(QLocale::ShortFormat);
    const QString longTime = locale.timeFormat(QLocale::LongFormat);
    const QString dateSep = FindSeparator(shortDate, u"dMy", QStringLiteral("/"));
    const QString timeSep = FindSeparator(longTime, u"hH", QStringLiteral(":"));
    s.DateSeparator = dateSep.toStdString();
    s.TimeSeparator = timeSep.toStdString();
    s.ShortDateFormat = TranslateLocaleFormat(shortDate, dateSep, QString());
    s.LongDateFormat = TranslateLocaleFormat(longDate, dateSep, QString());
    s.ShortTimeFormat = TranslateLocaleFormat(shortTime, QString(), timeSep);
    s.LongTimeFormat = TranslateLocaleFormat(longTime, QString(), timeSep);
    s.TimeAMString = locale.amText().toStdString();
    s.TimePMString = locale.pmText().toStdString();
    for (int m = 1; m <= 12; ++m) {
        s.ShortMonthNames[m - 1] = locale.monthName(m, QLocale::ShortFormat).toStdString();
        s.LongMonthNames[m - 1] = locale.monthName(m, QLocale::LongFormat).toStdString();
    }
    for (int d = 0; d < 7; ++d) {
        const int qtDay = d == 0 ? 7 : d;  // Qt counts from Monday = 1
        s.ShortDayNames[d] = locale.dayName(qtDay, QLocale::ShortFormat).toStdString();
        s.LongDayNames[d] = locale.dayName(qtDay, QLocale::LongFormat).toStdString();
    }
    s.CurrencyString = locale.currencySymbol().toStdString();
    s.FirstDayOfWeek = static_cast<int>(locale.firstDayOfWeek()) - 1;  // Qt counts Monday = 1
    return s;
}

TFormatSettings& FormatSettings()
{
    static TFormatSettings settings = TFormatSettings::UsEnglish();
    return settings;
}

TDateOrder GetDateOrder(std::string_view dateFormat)
{
    bool inQuote = false;
    char quote = 0;
    for (char c : dateFormat) {
        if (inQuote) {
            if (c == quote)
                inQuote = false;
            continue;
        }
        switch (c) {
        case '\'':
        case '"':
            inQuote = true;
            quote = c;
            break;
        case 'd':
        case 'D': return doDMY;
        case 'm':
        case 'M': return doMDY;
        case 'y':
        case 'Y': return doYMD;
        default: break;
        }
    }
    return doMDY;
}

}  // namespace rtl
