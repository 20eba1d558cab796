#include "designer/LayoutTemplate.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "designer/ColumnModel.h"
#include "platform/rtl/Files.h"

namespace designer {

namespace fs = std::filesystem;

namespace {

std::string Upper(std::string_view s)
{
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// The run of digits at `pos`; 0 when there is none or it is too long for a whole number.
int NumberAt(std::string_view s, std::size_t pos)
{
    long long n = 0;
    std::size_t i = pos;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        n = n * 10 + (s[i] - '0');
        if (n > 2147483647LL) return 0;
    }
    return i == pos ? 0 : static_cast<int>(n);
}

}  // namespace

TTemplateTag ReadTemplateTag(std::string_view tag)
{
    std::string_view inner = tag;
    while (!inner.empty() && (inner.front() == ' ' || inner.front() == '\t')) inner.remove_prefix(1);
    while (!inner.empty() && (inner.back() == ' ' || inner.back() == '\t')) inner.remove_suffix(1);
    if (!inner.empty() && inner.front() == '<') inner.remove_prefix(1);
    if (!inner.empty() && inner.back() == '>') inner.remove_suffix(1);
    const std::string upper = Upper(inner);
    TTemplateTag t;
    const std::size_t eq = inner.find('=');
    if (eq != std::string_view::npos) t.value = std::string(inner.substr(eq + 1));
    struct Marker {
        const char* text;
        TTemplateTag::TKind kind;
    };
    for (const Marker& m : {Marker{"#T", TTemplateTag::Header}, Marker{"#V", TTemplateTag::Value},
                            Marker{"#IMGV", TTemplateTag::Image}}) {
        const std::size_t at = upper.find(m.text);
        if (at == std::string::npos) continue;
        const int n = NumberAt(upper, at + std::char_traits<char>::length(m.text));
        if (n < 1) continue;
        t.kind = m.kind;
        t.column = n;
        return t;
    }
    t.kind = TTemplateTag::None;
    return t;
}

namespace {

void ApplyTagSettings(const TTemplateTag& t, TColumnModel& columns)
{
    if (t.kind == TTemplateTag::None || t.column > columns.ColumnCount()) return;
    const int i = t.column - 1;
    switch (t.kind) {
    case TTemplateTag::Header:
        if (t.value) columns.SetHeading(i, *t.value);
        break;
    case TTemplateTag::Value:
        if (!columns.IsImage(i)) break;
        columns.FieldList.SetChecked(i, false);
        if (t.value) {
            columns.ShowDataList.SetChecked(i, false);
            columns.ShowDataList.Put(i, *t.value);
        }
        break;
    case TTemplateTag::Image:
        if (columns.IsImage(i)) break;
        columns.FieldList.SetChecked(i, true);
        columns.PrefixList.SetChecked(i, false);
        columns.PrefixList.Put(i, "100");
        columns.SuffixList.SetChecked(i, false);
        columns.SuffixList.Put(i, "100");
        columns.ShowDataList.SetChecked(i, true);
        columns.ShowDataList.Put(i, t.value ? *t.value : "[" + columns.Key(i) + "]");
        break;
    default: break;
    }
}

}  // namespace

namespace {

// The scan all modes share: `tag` gets every complete "<...>" and answers what goes out.
template <class TTag>
std::string ScanTemplate(std::string_view text, TTag tag)
{
    std::string out;
    std::string pending;
    bool open = false;
    for (char c : text) {
        if (c == '<') {
            if (open) out += pending;
            pending = "<";
            open = true;
        } else if (c == '>' && open) {
            pending += '>';
            out += tag(pending);
            pending.clear();
            open = false;
        } else if (open) {
            pending += c;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string ExpandLayoutTemplate(std::string_view text, const TColumnModel& columns, const TTemplateParts& parts)
{
    return ScanTemplate(text, [&](const std::string& tag) -> std::string {
        const TTemplateTag t = ReadTemplateTag(tag);
        if (t.kind == TTemplateTag::None) return tag;
        if (t.column > columns.ColumnCount()) return {};
        if (t.kind == TTemplateTag::Header) return parts.heading ? parts.heading(t.column - 1) : std::string();
        return parts.content ? parts.content(t.column - 1) : std::string();
    });
}

std::string ApplyLayoutTemplate(std::string_view text, TTemplateMode mode, TColumnModel& columns,
                                const TTemplateParts& parts)
{
    if (mode != TTemplateMode::Settings) return ExpandLayoutTemplate(text, columns, parts);
    return ScanTemplate(text, [&](const std::string& tag) {
        ApplyTagSettings(ReadTemplateTag(tag), columns);
        return std::string();
    });
}

std::vector<std::string> TemplatePictureNames(std::string_view templateText)
{
    static constexpr std::string_view kFolder = "images/";
    static constexpr std::string_view kOpens = "\"'=( \t\r\n";
    static constexpr std::string_view kEnds = "\"'>) \t\r\n";
    std::vector<std::string> names;
    for (std::size_t at = templateText.find(kFolder); at != std::string_view::npos;
         at = templateText.find(kFolder, at + 1)) {
        if (at > 0 && kOpens.find(templateText[at - 1]) == std::string_view::npos) continue;
        const std::size_t start = at + kFolder.size();
        std::size_t end = templateText.find_first_of(kEnds, start);
        if (end == std::string_view::npos) end = templateText.size();
        const std::string name(templateText.substr(start, end - start));
        if (name.empty() || name.find_first_of("[]<%/\\?#&") != std::string::npos) continue;
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
    }
    return names;
}

std::vector<std::string> LayoutStyleNames(const std::string& layoutStylesDir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(layoutStylesDir, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec)) names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<TLayoutStyle> LoadLayoutStyle(const std::string& layoutStylesDir, const std::string& name)
{
    const fs::path folder = fs::path(layoutStylesDir) / name;
    TLayoutStyle style;
    try {
        style.templateText = rtl::ReadFileToString((folder / "Style.qss").string());
    } catch (const std::exception&) {
        return std::nullopt;
    }
    std::error_code ec;
    if (fs::is_regular_file(folder / "Style.jpg", ec)) style.previewPath = (folder / "Style.jpg").string();
    return style;
}

}  // namespace designer
