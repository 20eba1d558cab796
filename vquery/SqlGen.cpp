// The SELECT statement of the visual query's model.

#include "platform/ui/Dialogs.h"
#include "vquery/VQuery.h"

namespace vquery {

namespace {

// Where the last character of `mark` begins (a whole UTF-8 sequence is one character).
std::size_t LastCharStart(const std::string& mark)
{
    std::size_t at = mark.size() - 1;
    while (at > 0 && (static_cast<unsigned char>(mark[at]) & 0xC0) == 0x80) --at;
    return at;
}

}  // namespace

std::string CommentText(const std::string& text, const std::string& start, const std::string& end)
{
    // Whatever marks the user chose, the database ends a block comment at "*/" and, on
    // PostgreSQL, opens a nested one at "/*" that would swallow the rest of the statement; a
    // line break ends a line comment.
    const std::string marks[] = {"/*", "*/", start, end};
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c == '\r' || c == '\n' ? ' ' : c;
        for (const std::string& mark : marks) {
            if (mark.empty() || !out.ends_with(mark)) continue;
            const std::size_t last = LastCharStart(mark);
            if (last == 0)
                out.replace(out.size() - mark.size(), mark.size(), " ");
            else
                out.insert(out.size() - (mark.size() - last), 1, ' ');
        }
    }
    return out;
}

std::string TmfVQuery::JoinKeyword(int joinType)
{
    switch (joinType) {
    case 1: return " LEFT OUTER JOIN ";
    case 2: return " RIGHT OUTER JOIN ";
    default: return " INNER JOIN ";
    }
}

int TmfVQuery::MirrorJoinType(int joinType) { return joinType == 1 ? 2 : joinType == 2 ? 1 : 0; }

std::string TmfVQuery::FieldRef(const TmfVQueryField& field) const
{
    return QuoteName(field.Table->Alias()) + "." + QuoteName(field.FieldName);
}

std::string TmfVQuery::JoinCondition(const TmfVQueryJoin& join) const
{
    return FieldRef(*join.SourceField) + " " + join.CompareOperator + " " + FieldRef(*join.DestField);
}

bool TmfVQuery::BoxPlaced(const TmfVQueryTable* box) const
{
    for (const auto& j : joins_)
        if (j->Placed && (j->SourceTable() == box || j->DestTable() == box)) return true;
    return false;
}

std::string TmfVQuery::BuildJoinedFrom() const
{
    std::string text;
    const auto firstUnplaced = [&](auto accept) -> TmfVQueryJoin* {
        for (const auto& j : joins_)
            if (!j->Placed && accept(*j)) return j.get();
        return nullptr;
    };
    const auto closeGroup = [&] {
        while (TmfVQueryJoin* j = firstUnplaced([&](const TmfVQueryJoin& c) {
                   return BoxPlaced(c.SourceTable()) && BoxPlaced(c.DestTable());
               })) {
            j->Placed = true;
            text += " AND (" + JoinCondition(*j) + ")";
        }
    };
    while (TmfVQueryJoin* first = firstUnplaced([](const TmfVQueryJoin&) { return true; })) {
        first->Placed = true;
        if (!text.empty()) text += " , ";
        text += first->SourceTable()->DBTableName() + " " + QuoteName(first->SourceTable()->Alias()) +
                JoinKeyword(first->JoinType) + first->DestTable()->DBTableName() + " " +
                QuoteName(first->DestTable()->Alias()) + " ON (" + JoinCondition(*first) + ")";
        closeGroup();
        while (TmfVQueryJoin* next = firstUnplaced([&](const TmfVQueryJoin& c) {
                   return BoxPlaced(c.SourceTable()) != BoxPlaced(c.DestTable());
               })) {
            const bool sourcePlaced = BoxPlaced(next->SourceTable());
            next->Placed = true;
            text = "(" + text + ")";
            if (sourcePlaced)
                text += JoinKeyword(next->JoinType) + next->DestTable()->DBTableName() + " " +
                        QuoteName(next->DestTable()->Alias());
            else
                text += JoinKeyword(MirrorJoinType(next->JoinType)) + next->SourceTable()->DBTableName() + " " +
                        QuoteName(next->SourceTable()->Alias());
            text += " ON (" + JoinCondition(*next) + ")";
            closeGroup();
        }
    }
    for (const TmfVQueryTable* box : tables_) {
        const bool referred = std::any_of(joins_.begin(), joins_.end(), [&](const auto& j) {
            return j->SourceTable() == box || j->DestTable() == box;
        });
        if (!referred) text += " , " + box->DBTableName() + "   " + QuoteName(box->Alias());
    }
    return text;
}

rtl::TStrings* TmfVQuery::SQL()
{
    if (tables_.size() >= 2)
        for (std::size_t i = 1; i < tables_.size(); ++i)
            if (joins_.empty()) ui::MessageDlg("You have an unjoined query.", ui::mtWarning, {ui::mbOK});
    BuildSql(sql_);
    return &sql_;
}

bool TmfVQuery::DesignChanged() const
{
    rtl::TStringList sql;
    BuildSql(sql);
    return sql.Text() != markedSql_;
}

void TmfVQuery::MarkDesignUnchanged()
{
    rtl::TStringList sql;
    BuildSql(sql);
    markedSql_ = sql.Text();
}

void TmfVQuery::BuildSql(rtl::TStrings& s) const
{
    s.Clear();
    s.Add(SelectDistinct ? "Select Distinct" : "Select");
    const auto appendComma = [&] {
        if (s.Count() > 1) s.Put(s.Count() - 1, s.Strings(s.Count() - 1) + ",");
    };
    const bool anyCalculated = GetCalculatedCount() > 0;
    int checked = 0, checkedCalculated = 0;
    for (const TmfVQueryTable* box : tables_) {
        TmfVQueryListBox* list = box->ListBox();
        for (int i = 0; i < list->Items()->Count(); ++i) {
            if (!list->Checked(i)) continue;
            const TmfVQueryField* f = list->Field(i);
            if (f == nullptr) continue;
            ++checked;
            if (!f->Calculated) {
                appendComma();
                s.Add("    " + FieldRef(*f) + (f->DisplayName != f->FieldName ? " As " + QuoteName(f->DisplayName) : ""));
            } else {
                ++checkedCalculated;
                if (anyCalculated) {
                    appendComma();
                    s.Add("    " + f->CalColExpression + "   As " + QuoteName(f->DisplayName));
                }
            }
        }
    }

    s.Add("From");
    bool ansi = false;
    for (const auto& j : joins_) {
        j->Placed = false;
        ansi = ansi || j->JoinType > 0;
    }
    bool whereUsed = false;
    if (ansi) {
        s.Add(BuildJoinedFrom());
    } else {
        for (std::size_t i = 0; i < tables_.size(); ++i)
            s.Add("    " + tables_[i]->DBTableName() + "   " + QuoteName(tables_[i]->Alias()) +
                  (i + 1 < tables_.size() ? "," : ""));
        if (!joins_.empty()) {
            s.Add("Where (");
            for (std::size_t i = 0; i < joins_.size(); ++i) {
                const TmfVQueryJoin& j = *joins_[i];
                if (ShowJoinComment) {
                    // Names keep their quoting here as in the statement: drivers that look for
                    // parameter marks and statement ends do not know comments.
                    const std::string text = j.SourceTable()->DBTableName() + "    " +
                                             QuoteName(j.SourceField->DisplayName) + " " + j.CompareOperator + " " +
                                             QuoteName(j.DestField->DisplayName) + "    " +
                                             j.DestTable()->DBTableName();
                    s.Add("        " + SQLCommentStartChars + "    " +
                          CommentText(text, SQLCommentStartChars, SQLCommentEndChars) + "    " + SQLCommentEndChars);
                }
                s.Add((i == 0 ? "            " : "    And    ") + JoinCondition(j));
            }
            s.Add(")");
            whereUsed = true;
        }
    }

    if (criterias_.Count() > 0) {
        s.Add(whereUsed ? " " : "Where ");
        const bool andBlock = !ansi && !joins_.empty();
        if (andBlock) s.Add("And (");
        for (int i = 0; i < criterias_.Count(); ++i) s.Add("    " + criterias_.Items(i)->GetText());
        if (andBlock) s.Add("    )");
    }

    if (checkedCalculated >= 1 && checked >= 2) {
        s.Add("Group by");
        bool first = true;
        for (const TmfVQueryTable* box : tables_) {
            TmfVQueryListBox* list = box->ListBox();
            for (int i = 0; i < list->Items()->Count(); ++i) {
                const TmfVQueryField* f = list->Field(i);
                if (!list->Checked(i) || f == nullptr || f->Calculated) continue;
                s.Add((first ? "" : ",") + FieldRef(*f));
                first = false;
            }
        }
    }

    if (!sortList_.empty()) {
        s.Add("Order by");
        for (std::size_t k = 0; k < sortList_.size(); ++k)
            s.Add("    " + FieldRef(*sortList_[k]) + (sortList_[k]->SortDirection == 1 ? " Asc" : " Desc") +
                  (k + 1 < sortList_.size() ? "," : ""));
    }

    if (tables_.empty()) s.Clear();
}

}  // namespace vquery
