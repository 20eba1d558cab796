#include "app/ProjectFile.h"

#include "app/Component_Utils.h"
#include "app/String_Utils.h"
#include "platform/classes/Errors.h"
#include "platform/classes/Streaming.h"
#include "platform/classes/TextForm.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

namespace app {

namespace {

constexpr std::size_t kMaxRecentProjects = 10;

std::vector<TProjectComponent> BuildProjectComponents()
{
    std::vector<TProjectComponent> list;
    const auto add = [&list](std::string name, std::vector<std::string> design) {
        list.push_back({std::move(name), std::move(design)});
    };
    add("optionlist", {"Items"});
    add("vquery_proplist", {"Items"});
    add("ColorScheme", {"Items"});
    add("mm_sql", {"Lines"});
    add("cb_header", {"Items"});
    add("cb_footer", {"Items"});
    add("BackPanel", {"Color"});
    add("TablePanel", {"Color"});
    for (const char* label : {"lbHTMLDefaultText", "lbHTMLLink", "lbHTMLVLink", "lbHTMLALink"}) add(label, {"Font.Color"});
    for (int i = 1; i <= 3; ++i) add("ColHead" + std::to_string(i), {"Color"});
    for (int i = 1; i <= 6; ++i) add("Row" + std::to_string(i), {"Color"});
    for (int i = 1; i <= 6; ++i) add("oddRow" + std::to_string(i), {"Color"});
    for (int i = 1; i <= 3; ++i) add("Head" + std::to_string(i), {"Font.Color"});
    for (int i = 1; i <= 12; ++i) add("Data" + std::to_string(i), {"Font.Color"});
    add("cbxTemplate", {"Items"});
    add("HTMLDefaultFont", {"Items"});
    add("HTMLDefaultFontSize", {"Value"});
    add("edHTMLBackGround", {"Text"});
    add("seHTMLTableCellPadding", {"Value"});
    add("seHTMLTableCellSpacing", {"Value"});
    add("seHTMLTableBorder", {"Value"});
    add("edHTMLTitle", {"Text"});
    add("mmHTMLHeader", {"Lines"});
    add("mmHTMLFooter", {"Lines"});
    add("cbHTMLMaxRecords", {"Checked"});
    add("seHTMLMaxRecords", {"Value"});
    for (const char* name : {"DstList", "FieldList", "ShowModeList", "AlignmentList", "ShowDataList", "PrefixList",
                             "SuffixList", "FormatList", "HyperlinkTypeList", "UrlList", "ParamList", "TargetList",
                             "CheckFieldList", "CheckShowDataList", "CheckPrefixList", "CheckSuffixList"})
        add(name, {"Items"});
    return list;
}

classes::TComponent& Find(const classes::TComponent& design, const std::string& name)
{
    classes::TComponent* c = design.FindComponent(name);
    if (c == nullptr) throw classes::EComponentError("Component " + name + " not found");
    return *c;
}

int CountLines(std::string_view text)
{
    int n = 0;
    for (char ch : text)
        if (ch == '\n') ++n;
    return n;
}

// Reads the design content of one component's text into it. The text also holds what the
// form itself decides (bounds, tags, event bindings, ...): the writer stores every published
// property, but a project may come from someone else, and only its design is taken from it.
// Those lines are skipped as the form's own; a component nested in the text is an error.
void ReadDesignContent(std::string_view chunk, const TProjectComponent& part, classes::TComponent& component)
{
    classes::TTextObject tree = classes::ParseObjectText(chunk);
    if (!tree.children.empty())
        throw classes::EReadError("Component " + part.name + " holds no components", tree.children.front().line);
    std::erase_if(tree.properties,
                  [&part](const classes::TTextProperty& p) { return !IsDesignProperty(part, p.name); });
    classes::ReadComponentTree(component, tree);
}

}  // namespace

const std::vector<TProjectComponent>& ProjectComponents()
{
    static const std::vector<TProjectComponent> list = BuildProjectComponents();
    return list;
}

bool IsDesignProperty(const TProjectComponent& part, std::string_view name)
{
    for (const std::string& design : part.design) {
        if (rtl::SameText(name, design)) return true;
        if (name.size() > design.size() && name[design.size()] == '.' && rtl::SameText(name.substr(0, design.size()), design))
            return true;
    }
    return false;
}

std::string TakeProjectChunk(std::string_view& remaining, int& firstLine)
{
    std::size_t pos = 0;
    while (pos < remaining.size()) {
        std::size_t eol = remaining.find('\n', pos);
        const std::size_t next = eol == std::string_view::npos ? remaining.size() : eol + 1;
        std::string_view line = remaining.substr(pos, (eol == std::string_view::npos ? remaining.size() : eol) - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line == "end") {
            std::string chunk(remaining.substr(0, next));
            remaining.remove_prefix(next);
            firstLine += CountLines(chunk);
            return chunk;
        }
        pos = next;
    }
    throw classes::EReadError("Unexpected end of file", firstLine + CountLines(remaining));
}

std::string ProjectText(const classes::TComponent& design)
{
    std::string text;
    for (const TProjectComponent& part : ProjectComponents()) {
        text += ComponentToText(Find(design, part.name), part.design);
    }
    return text;
}

void LoadProjectText(classes::TComponent& design, std::string_view text)
{
    std::string_view remaining = text;
    int line = 1;
    for (const TProjectComponent& part : ProjectComponents()) {
        classes::TComponent& component = Find(design, part.name);
        const int chunkLine = line;
        const std::string chunk = TakeProjectChunk(remaining, line);
        // The chunk must be the component's own: a project with a component missing or moved
        // would otherwise read one component's content into another.
        const std::string head = "object " + part.name + ":";
        const std::size_t start = chunk.find_first_not_of(" \t\r\n");
        if (start == std::string::npos || chunk.compare(start, head.size(), head) != 0 ||
            (chunk.size() > start + head.size() && chunk[start + head.size()] != ' '))
            throw classes::EReadError("Component " + part.name + " expected",
                                      chunkLine + CountLines(std::string_view(chunk).substr(0, start == std::string::npos ? 0 : start)));
        // A list the project holds replaces what the window had: an editor's lines read from
        // a text are appended to its text, which on a second load would double it.
        for (const std::string& name : part.design)
            if (rtl::TStrings* strings = classes::GetStringsProp(component, name)) strings->Clear();
        try {
            ReadDesignContent(chunk, part, component);
        } catch (const classes::EReadError& e) {
            throw classes::EReadError(e.Reason(), chunkLine - 1 + e.Line());
        }
    }
}

void SaveProjectFile(const classes::TComponent& design, const std::string& path)
{
    rtl::SaveFileAtomically(path, ProjectText(design));
}

std::vector<std::string> NewProjectOptionLines(const std::string& linkName, const std::string& connectionString)
{
    std::vector<std::string> lines{linkName, connectionString};
    lines.resize(12, "0");
    return lines;
}

namespace {

void CheckOptionCount(const std::vector<std::string>& lines)
{
    if (lines.size() < 11) throw rtl::EListError("List index out of bounds (" + std::to_string(lines.size()) + ")");
}

}  // namespace

void StoreProjectOptions(const TProjectOptions& o, std::vector<std::string>& lines)
{
    CheckOptionCount(lines);
    lines[2] = std::to_string(o.headerNavigation);
    lines[3] = std::to_string(o.footerNavigation);
    lines[4] = o.colorScheme;
    lines[5] = std::to_string(o.fontIndex);
    lines[6] = o.layoutStyle;
    lines[7] = BoolToText(o.split);
    lines[8] = std::to_string(o.recordsPerPage);
    lines[9] = BoolToText(o.frames);
    lines[10] = BoolToText(o.frameBorder);
}

TProjectOptions ReadProjectOptions(const std::vector<std::string>& lines)
{
    CheckOptionCount(lines);
    TProjectOptions o;
    o.linkName = lines[0];
    o.connectionString = lines[1];
    o.headerNavigation = rtl::StrToInt(lines[2]);
    o.footerNavigation = rtl::StrToInt(lines[3]);
    o.colorScheme = lines[4];
    o.fontIndex = rtl::StrToInt(lines[5]);
    o.layoutStyle = lines[6];
    o.split = IsTrueText(lines[7]);
    o.recordsPerPage = rtl::StrToInt(lines[8]);
    o.frames = IsTrueText(lines[9]);
    o.frameBorder = IsTrueText(lines[10]);
    return o;
}

void AddRecentProject(const std::string& historyFile, const std::string& path)
{
    rtl::TStringList list;
    if (rtl::FileExists(historyFile)) list.LoadFromFile(historyFile);
    for (int i = list.Count() - 1; i >= 0; --i)
        if (rtl::AnsiSameText(list.Strings(i), path)) list.Delete(i);
    list.Insert(0, path);
    // One over the limit after the insert loses its last line; a longer hand-edited list
    // shrinks by one a save.
    if (static_cast<std::size_t>(list.Count()) > kMaxRecentProjects) list.Delete(list.Count() - 1);
    list.SaveToFile(historyFile);
}

}  // namespace app
