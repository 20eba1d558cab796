#pragma once
// Lookup fields of the library's data sets: a field whose value is read from another table,
// found by the values of key fields of the record.
//
// A LookupFields entry has parts separated by ";": the lookup field's name, the database
// (data link) name, the table name, the looked-up field of that table, and further parts; it
// counts only with at least five parts. With at least six parts and "N" as the last, table
// names are compared without their extension. The LookupLinks line of the same index pairs
// the fields: master field, lookup field, ... (1 to 6 pairs).
//
// Promises:
// - Lookup tables are TgkTables, read-only, one per database and table (reused by every
//   entry naming them), ordered by an index on the linked fields, or by the linked fields
//   themselves when the table has no such index.
// - A lookup field whose first key field the data set lacks is hidden and left empty.
// - A record without a match gets a null lookup value; nothing raises for it.

#include <memory>
#include <string>
#include <vector>

namespace db {
class TDataSet;
class TField;
}  // namespace db

namespace grid {

class TgkTable;

// The lookup tables a data set reads its lookup fields from: owned, one per database and
// table, freed by Clear (when the data set closes) or with the list.
class TgkLookupTables {
public:
    TgkLookupTables();
    ~TgkLookupTables();
    TgkLookupTables(const TgkLookupTables&) = delete;
    TgkLookupTables& operator=(const TgkLookupTables&) = delete;
    int Count() const noexcept { return static_cast<int>(tables_.size()); }
    TgkTable& Items(int index) const { return *tables_.at(static_cast<std::size_t>(index)); }
    TgkTable& Add(std::unique_ptr<TgkTable> table);
    void Clear();

private:
    std::vector<std::unique_ptr<TgkTable>> tables_;
};

// The field's LookupFields entry (first part equal to the field name, letter case ignored,
// at least five parts): database (part 2), table (part 3), looked-up field (part 4); links
// := the LookupLinks line of the same index (empty when there is none). Without an entry:
// database := the data set's DatabaseName, the rest empty.
void gkGetLookupInfo(db::TField& field, std::string& database, std::string& table, std::string& displayFields,
                     std::string& links);
// Positions an open lookup table on the record whose key holds the master record's values
// of the links' master fields (every other name of `links`, which must hold 2, 4, ..., 12
// names); False for other counts, a closed table or a master field that does not exist.
bool gkLocateLookupRecord(TgkTable& lookupTable, db::TDataSet& master, const std::string& links);
// For every LookupFields entry of the data set: the matching table of `tables` or a new one
// added there (opened when closed); the lookup field gets the looked-up value of the current
// record, or null when nothing matches. Runs while the data set calculates a record.
void gkUpdateLookupFields(db::TDataSet& dataSet, TgkLookupTables& tables);
// While the data set opens (its fields made, no record read yet): a lookup field, of the
// looked-up field's type, for every LookupFields entry that names no field of the data set.
// An entry whose table or field cannot be reached gets none (logged).
void gkSetupLookupFields(db::TDataSet& dataSet, TgkLookupTables& tables);
// The lookup table of one entry (parts as split from LookupFields, links its LookupLinks
// line): found in `tables` or made, added and opened.
TgkTable& gkLookupTableFor(db::TDataSet& dataSet, TgkLookupTables& tables, const std::vector<std::string>& entry,
                           const std::string& links);
// The parts of a LookupFields entry or LookupLinks line (split at ";").
std::vector<std::string> gkSplitLookupEntry(const std::string& text);

}  // namespace grid
