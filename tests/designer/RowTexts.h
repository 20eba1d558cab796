#pragma once
// The row writer's texts one call at a time, for tests that change the column model between
// calls: every call writes through a writer of its own, made then, so it reads the column
// model as it is at that call.

#include <functional>
#include <string>
#include <string_view>

#include "designer/HtmlRows.h"

namespace designertest {

class TRowTexts {
public:
    TRowTexts(const designer::TColumnModel& columns, const db::TDataSet& query) : columns_(columns), query_(query) {}

    std::string BuildHeaderRow() const { return Written([](auto& w, auto& s) { w.AppendHeaderRow(s); }); }
    std::string BuildRowStyle1(int r) const { return Written([r](auto& w, auto& s) { w.AppendRowStyle1(s, r); }); }
    std::string BuildRowStyle2(int r) const { return Written([r](auto& w, auto& s) { w.AppendRowStyle2(s, r); }); }
    std::string BuildTemplateRow(int /*r: a template row has no row class*/) const
    {
        return Written([](auto& w, auto& s) { w.AppendTemplateRow(s); });
    }
    std::string BuildCell(int i, std::string_view rowClass) const
    {
        return Written([i, rowClass](auto& w, auto& s) { w.AppendCell(s, i, rowClass); });
    }
    std::string BuildCellContent(int i) const { return Written([i](auto& w, auto& s) { w.AppendCellContent(s, i); }); }
    std::string HeadingHtml(int i) const { return Written([i](auto& w, auto& s) { w.AppendHeading(s, i); }); }
    std::string CellUrl(int i) const { return Written([i](auto& w, auto& s) { w.AppendCellUrl(s, i); }); }
    std::string CellTargetAttr(int i) const { return Written([i](auto& w, auto& s) { w.AppendCellTargetAttr(s, i); }); }
    std::string CellParamQuery(int i) const { return Written([i](auto& w, auto& s) { w.AppendCellParamQuery(s, i); }); }
    std::string ReplaceFieldTags(std::string_view text, designer::TUrlPart part = designer::TUrlPart::Path) const
    {
        return Written([text, part](auto& w, auto& s) { w.AppendFieldTags(s, text, part); });
    }

    // The layout template's output, handed to every writer.
    std::function<std::string()> TemplateOutput;

private:
    template <class Write>
    std::string Written(Write write) const
    {
        designer::THtmlRowWriter writer(columns_, query_);
        writer.TemplateOutput = TemplateOutput;
        std::string s;
        write(writer, s);
        return s;
    }

    const designer::TColumnModel& columns_;
    const db::TDataSet& query_;
};

}  // namespace designertest
