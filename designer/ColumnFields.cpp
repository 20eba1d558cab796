// The column model's view of a data set's fields (kept apart so that the model itself can be
// used without the data layer).

#include "designer/ColumnModel.h"
#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"

namespace designer {

std::vector<TColumnField> ColumnFields(const db::TDataSet& query)
{
    std::vector<TColumnField> fields;
    for (const db::TField* field : query.Fields()) fields.push_back({field->DisplayName(), field->DataType()});
    return fields;
}

void TColumnModel::RebuildColumnList(std::string_view mode, const db::TDataSet& query)
{
    RebuildColumnList(mode, ColumnFields(query));
}

}  // namespace designer
