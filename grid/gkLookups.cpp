#include "grid/gkLookups.h"

#include "grid/GridRoutines.h"
#include "grid/StringRoutines.h"
#include "grid/gkTable.h"
#include "platform/db/DataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

namespace grid {

namespace {

bool NoExtension(const std::vector<std::string>& entry) { return entry.size() >= 6 && entry.back() == "N"; }

bool EntryMatchesTable(const TgkTable& table, const std::vector<std::string>& entry)
{
    if (table.DatabaseName() != entry[1]) return false;
    if (NoExtension(entry)) return gkStripExtension(table.TableName()) == gkStripExtension(entry[2]);
    return table.TableName() == entry[2];
}

// The lookup side of each pair of the links: fields 2, 4, ...
std::string LookupKeyFields(const std::string& links)
{
    const std::vector<std::string> names = gkSplitLookupEntry(links);
    std::string fields;
    for (std::size_t i = 1; i < names.size(); i += 2) fields += (fields.empty() ? "" : ";") + names[i];
    return fields;
}

}  // namespace

TgkLookupTables::TgkLookupTables() = default;

TgkLookupTables::~TgkLookupTables() = default;

TgkTable& TgkLookupTables::Add(std::unique_ptr<TgkTable> table)
{
    tables_.push_back(std::move(table));
    return *tables_.back();
}

void TgkLookupTables::Clear() { tables_.clear(); }

std::vector<std::string> gkSplitLookupEntry(const std::string& text)
{
    rtl::TStringList parts;
    gkStringToList(text, ";", parts);
    std::vector<std::string> out;
    for (int i = 0; i < parts.Count(); ++i) out.push_back(parts.Get(i));
    if (out.size() == 1 && out[0].empty()) out.clear();
    return out;
}

void gkGetLookupInfo(db::TField& field, std::string& database, std::string& table, std::string& displayFields,
                     std::string& links)
{
    db::TDataSet* dataSet = field.DataSet();
    const rtl::TStrings* lookupFields = dataSet != nullptr ? gkGetLookupFields(dataSet) : nullptr;
    const rtl::TStrings* lookupLinks = dataSet != nullptr ? gkGetLookupLinks(dataSet) : nullptr;
    for (int i = 0; lookupFields != nullptr && i < lookupFields->Count(); ++i) {
        const std::vector<std::string> entry = gkSplitLookupEntry(lookupFields->Get(i));
        if (entry.size() < 5 || !rtl::AnsiSameText(entry[0], field.FieldName())) continue;
        database = entry[1];
        table = entry[2];
        displayFields = entry[3];
        links = lookupLinks != nullptr && i < lookupLinks->Count() ? lookupLinks->Get(i) : std::string();
        return;
    }
    database = gkGetDatabaseName(dataSet);
    table.clear();
    displayFields.clear();
    links.clear();
}

bool gkLocateLookupRecord(TgkTable& lookupTable, db::TDataSet& master, const std::string& links)
{
    if (!lookupTable.Active()) return false;
    const std::vector<std::string> names = gkSplitLookupEntry(links);
    if (names.empty() || names.size() % 2 != 0 || names.size() > 12) return false;
    std::vector<db::TVariant> values;
    for (std::size_t i = 0; i < names.size(); i += 2) {
        const db::TField* field = master.FindField(names[i]);
        if (field == nullptr) return false;
        values.push_back(field->Value());
    }
    return lookupTable.FindKeyByValues(values);
}

TgkTable& gkLookupTableFor(db::TDataSet& dataSet, TgkLookupTables& tables, const std::vector<std::string>& entry,
                           const std::string& links)
{
    TgkTable* table = nullptr;
    for (int i = 0; i < tables.Count() && table == nullptr; ++i)
        if (EntryMatchesTable(tables.Items(i), entry)) table = &tables.Items(i);
    if (table == nullptr) {
        auto made = std::make_unique<TgkTable>(nullptr);
        // A table naming its connection directly lends it to its lookups of the same database.
        const std::string database = gkGetDatabaseName(&dataSet);
        if (auto* ado = dynamic_cast<db::TCustomADODataSet*>(&dataSet);
            ado != nullptr && ado->Connection() != nullptr && rtl::AnsiSameText(database, entry[1]))
            made->SetConnection(ado->Connection());
        made->SetDatabaseName(entry[1]);
        made->SetTableName(entry[2]);
        const std::string keys = LookupKeyFields(links);
        if (!keys.empty()) {
            const std::string index = made->FindIndexForFields(keys);
            // Rows are ordered in memory: linked fields without an index of their own order them.
            if (index != "?") made->SetIndexName(index);
            else made->SetIndexFieldNames(keys);
        }
        table = &tables.Add(std::move(made));
    }
    if (!table->Active()) table->Open();
    return *table;
}

void gkSetupLookupFields(db::TDataSet& dataSet, TgkLookupTables& tables)
{
    const rtl::TStrings* lookupFields = gkGetLookupFields(&dataSet);
    const rtl::TStrings* lookupLinks = gkGetLookupLinks(&dataSet);
    for (int i = 0; lookupFields != nullptr && i < lookupFields->Count(); ++i) {
        const std::vector<std::string> entry = gkSplitLookupEntry(lookupFields->Get(i));
        if (entry.size() < 5 || dataSet.FindField(entry[0]) != nullptr) continue;
        const std::string links = lookupLinks != nullptr && i < lookupLinks->Count() ? lookupLinks->Get(i) : std::string();
        const db::TFieldDef* looked = nullptr;
        try {
            looked = &gkLookupTableFor(dataSet, tables, entry, links).FieldDefs().Find(entry[3]);
        } catch (const std::exception&) {
            // The data set opens without this lookup; its entry then names no field and goes.
            rtl::LogCurrentException("gkSetupLookupFields: the lookup table of " + entry[0]);
            continue;
        }
        db::TField* field = looked->CreateField(&dataSet, nullptr);
        field->SetFieldName(entry[0]);
        field->SetFieldKind(db::fkLookup);
        field->SetDataSet(&dataSet);
    }
}

void gkUpdateLookupFields(db::TDataSet& dataSet, TgkLookupTables& tables)
{
    const rtl::TStrings* lookupFields = gkGetLookupFields(&dataSet);
    const rtl::TStrings* lookupLinks = gkGetLookupLinks(&dataSet);
    for (int i = 0; lookupFields != nullptr && i < lookupFields->Count(); ++i) {
        const std::vector<std::string> entry = gkSplitLookupEntry(lookupFields->Get(i));
        if (entry.size() < 5) continue;
        db::TField* field = dataSet.FindField(entry[0]);
        if (field == nullptr) continue;
        const std::string links = lookupLinks != nullptr && i < lookupLinks->Count() ? lookupLinks->Get(i) : std::string();
        const std::vector<std::string> names = gkSplitLookupEntry(links);
        if (names.empty() || dataSet.FindField(names[0]) == nullptr) {
            field->SetVisible(false);
            continue;
        }
        TgkTable& table = gkLookupTableFor(dataSet, tables, entry, links);
        const db::TField* source = table.FindField(entry[3]);
        if (source != nullptr && gkLocateLookupRecord(table, dataSet, links))
            field->SetValue(source->Value());
        else
            field->Clear();
    }
}

}  // namespace grid
