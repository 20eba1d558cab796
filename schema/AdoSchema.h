#pragma once
// Schema and identifier helpers over an open ADO connection, for the visual query: the
// tables and views of a database with their columns (read lazily, in ordinal order, with the
// provider's type names), the identifier quote characters and the characters that force
// quoting, provider properties by name, and the quoting of one identifier.
//
// Every routine answers empty (or False) for a missing or closed connection instead of
// raising; schema reads that fail end a listing early with what was listed so far. Nothing
// here needs a window.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/AdoConnection.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/Fields.h"
#include "platform/rtl/StringList.h"

namespace app::ado {

class TQADOTable;

// One column of a table, as the COLUMNS rowset describes it.
class TQADOField {
public:
    // Adds itself to `parent`'s field list. EInvalidOperation
    // "An ADO field parent table cannot be null." without a parent.
    explicit TQADOField(TQADOTable* parent);

    const std::string& GetName() const { return name; }
    int GetOrdinal() const { return ordinal; }
    int GetDataType() const { return dataType; }
    const std::string& GetTypeName() const { return typeName; }
    TQADOTable* GetParent() const { return parent; }

    std::string name;
    int ordinal = 0;
    bool hasDefault = false;
    std::string defaultValue;
    bool nullable = true;
    int dataType = 0;           // ADO type code
    int typeSize = 0;           // COLUMN_SIZE of the provider type chosen
    std::string typeName;       // lower-cased provider type name ("unknown" when none fits)
    std::string baseTypeName;   // the same text
    int maximumLength = 0;
    int octetLength = 0;
    int numericPrecision = 0;
    int dateTimePrecision = 0;

private:
    TQADOTable* parent = nullptr;
};

// One table or view of the database. Its columns are read on the first access to them.
class TQADOTable {
public:
    TQADOTable(db::TADOConnection* connection, std::string schema, std::string tableName, std::string tableType);
    TQADOTable(const TQADOTable&) = delete;
    TQADOTable& operator=(const TQADOTable&) = delete;

    db::TADOConnection* Connection() const { return connection_; }
    const std::string& Schema() const { return schema_; }
    const std::string& TableName() const { return tableName_; }
    const std::string& TableType() const { return tableType_; }
    bool ColumnsLoaded() const { return columnsLoaded_; }
    bool FreeOnReload() const { return freeOnReload_; }
    void SetFreeOnReload(bool v) { freeOnReload_ = v; }

    // The columns, loaded on first use. GetField raises EListError outside 0..count-1.
    TQADOField* GetField(int index);
    int GetFieldCount();
    // Reads the columns again. A table without a connection reads them from its field
    // definitions (FieldDefs) instead; a closed connection or a failed read leaves the list
    // empty (or as it was, when FreeOnReload is off).
    void LoadColumns();
    // The columns a table without a connection has: name, number, required flag, type, size
    // and precision of each.
    db::TFieldDefs& FieldDefs() { return fieldDefs_; }
    // Appends a column described by the caller and marks the columns loaded: the table list
    // of a design read without a database is built this way.
    TQADOField* AddField();

private:
    friend class TQADOField;
    db::TADOConnection* connection_;
    std::string schema_, tableName_, tableType_;
    bool columnsLoaded_ = false;
    bool freeOnReload_ = true;
    std::vector<std::unique_ptr<TQADOField>> fields_;
    db::TFieldDefs fieldDefs_{nullptr};
    void ReadFieldDefs();
};

// A table list: item texts ("SCHEMA.NAME" upper-cased, no prefix for public) with the
// descriptors as objects (std::shared_ptr<TQADOTable>), so copies of the list share them.
using TTableRef = std::shared_ptr<TQADOTable>;
// The descriptor of item `index` of a table list (nullptr when it holds none).
TQADOTable* TableOf(const rtl::TStrings& list, int index);

// Clears `list`, then adds the tables of type "TABLE" and, as the flags ask and while every
// step before succeeded, "SYSTEM TABLE", "SEQUENCE", "SYNONYM", "SYSTEM VIEW", "VIEW".
void GetTableNames(db::TADOConnection* connection, bool systemTables, bool systemViews, bool views,
                   bool sequences, bool synonyms, rtl::TStrings& list);
// Adds the tables of one type; False when the rowset cannot be read.
bool ListTablesOfType(db::TADOConnection* connection, const std::string& type, rtl::TStrings& list);

// The provider type that fits a column: among the PROVIDER_TYPES rows of the column's type
// the smallest whose COLUMN_SIZE covers maximum length + numeric + date-time precision,
// else the largest; when the type has no rows, a family of related types is searched
// (character, date or numeric). The name is lower-cased, "unknown" when nothing fits.
struct TProviderTypeChoice {
    std::string typeName;
    int typeSize = 0;
    int dataType = 0;
};
struct TProviderTypeRow {
    std::string typeName;
    int dataType = 0;
    long long columnSize = 0;
};
TProviderTypeChoice GetProviderTypeName(const std::vector<TProviderTypeRow>& providerTypes, int dataType,
                                        int maximumLength, int dateTimePrecision, int numericPrecision);
// The PROVIDER_TYPES rowset of a connection in the form above (empty when it cannot be read).
std::vector<TProviderTypeRow> ReadProviderTypes(db::TADOConnection* connection);

// The identifier quote: the DBINFOLITERALS value of QUOTE or QUOTE_SUFFIX; "`" for a MySQL
// server that reports none; else empty.
std::string GetQuoteChars(db::TADOConnection* connection);
// The provider's "Special Characters" (with the fixed set of desktop Access databases).
std::string GetSpecialCharacters(db::TADOConnection* connection);
// A provider property as text (name compared ignoring case); empty when absent or closed.
std::string GetConnectionProperty(db::TADOConnection* connection, std::string_view name);

// How the database folds identifiers written bare: the provider property "Identifier Case
// Sensitivity" when the data layer answers it, else the driver's SQL_IDENTIFIER_CASE.
enum class TIdentifierCase { Unknown, Upper, Lower, Sensitive, Mixed };
TIdentifierCase GetIdentifierCase(db::TADOConnection* connection);

// `name` enclosed in `quote` when it holds a blank or one of `special`, or is found in one of
// the lists (ignoring case); else `name` unchanged. The quote "[" closes with "]"; a closing
// quote character inside the name is doubled, so the result always reads back as `name`. An
// empty quote leaves every name bare.
std::string QuoteIdentifier(const std::string& name, const std::string& quote, const std::string& special,
                            const rtl::TStrings* listA, const rtl::TStrings* listB, const rtl::TStrings* listC);
// `name` enclosed in `quote` as QuoteIdentifier encloses it (no test whether it needs it).
std::string EncloseIdentifier(const std::string& name, const std::string& quote);

// The ADO type tables are the data layer's; they are named here for the visual query.
using db::DataTypeToFieldType;
using db::FieldTypeName;
using db::FieldTypeToDataType;

}  // namespace app::ado
