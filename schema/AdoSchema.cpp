#include "schema/AdoSchema.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <sqlext.h>

#include "platform/db/AdoDataSet.h"
#include "platform/db/Fields.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"

namespace app::ado {

namespace {

bool IsOpen(const db::TADOConnection* connection) { return connection != nullptr && connection->Connected(); }

std::string Text(const db::TDataSet& ds, std::string_view column)
{
    const db::TField* f = ds.FindField(column);
    return f == nullptr || f->IsNull() ? std::string() : f->AsString();
}

long long Number(const db::TDataSet& ds, std::string_view column)
{
    const db::TField* f = ds.FindField(column);
    if (f == nullptr || f->IsNull()) return 0;
    try {
        return f->Value().AsInt64();
    } catch (const std::exception&) {
        return 0;
    }
}

bool Flag(const db::TDataSet& ds, std::string_view column)
{
    const db::TField* f = ds.FindField(column);
    return f != nullptr && !f->IsNull() && f->AsBoolean();
}

int ToInt(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

// ---- Fields and tables -----------------------------------------------------------------------

TQADOField::TQADOField(TQADOTable* parentTable) : parent(parentTable)
{
    if (parentTable == nullptr) throw rtl::EInvalidOperation("An ADO field parent table cannot be null.");
}

TQADOTable::TQADOTable(db::TADOConnection* connection, std::string schema, std::string tableName, std::string tableType)
    : connection_(connection), schema_(std::move(schema)), tableName_(std::move(tableName)), tableType_(std::move(tableType))
{
}

TQADOField* TQADOTable::GetField(int index)
{
    if (!columnsLoaded_) LoadColumns();
    if (index < 0 || index >= static_cast<int>(fields_.size()))
        throw rtl::EListError("List index out of bounds (" + std::to_string(index) + ")");
    return fields_[static_cast<std::size_t>(index)].get();
}

int TQADOTable::GetFieldCount()
{
    if (!columnsLoaded_) LoadColumns();
    return static_cast<int>(fields_.size());
}

void TQADOTable::ReadFieldDefs()
{
    for (int i = 0; i < fieldDefs_.Count(); ++i) {
        const db::TFieldDef& def = fieldDefs_.Items(i);
        auto f = std::make_unique<TQADOField>(this);
        f->name = def.Name();
        f->ordinal = def.FieldNo();
        f->nullable = !def.Required();
        f->dataType = FieldTypeToDataType(def.DataType());
        f->typeSize = def.Size();
        f->numericPrecision = def.Precision();
        f->typeName = FieldTypeName(def.DataType());
        f->baseTypeName = f->typeName;
        fields_.push_back(std::move(f));
    }
}

TQADOField* TQADOTable::AddField()
{
    columnsLoaded_ = true;
    fields_.push_back(std::make_unique<TQADOField>(this));
    return fields_.back().get();
}

void TQADOTable::LoadColumns()
{
    columnsLoaded_ = true;
    if (freeOnReload_) fields_.clear();
    if (connection_ == nullptr) {
        ReadFieldDefs();
        return;
    }
    if (!IsOpen(connection_)) return;
    std::vector<std::unique_ptr<TQADOField>> read;
    try {
        // The schema always restricts the rows, "public" included: a table of the same name in
        // another schema must not lend its columns.
        std::vector<db::TVariant> restrictions{db::TVariant(),
                                               schema_.empty() ? db::TVariant() : db::TVariant(schema_),
                                               db::TVariant(tableName_), db::TVariant()};
        db::TADODataSet ds(nullptr);
        connection_->OpenSchema(db::siColumns, restrictions, &ds);
        const std::vector<TProviderTypeRow> types = ReadProviderTypes(connection_);
        for (ds.First(); !ds.Eof(); ds.Next()) {
            auto f = std::make_unique<TQADOField>(this);
            f->name = Text(ds, "COLUMN_NAME");
            f->ordinal = ToInt(Number(ds, "ORDINAL_POSITION"));
            f->hasDefault = Flag(ds, "COLUMN_HASDEFAULT");
            f->defaultValue = Text(ds, "COLUMN_DEFAULT");
            f->nullable = Flag(ds, "IS_NULLABLE");
            f->dataType = ToInt(Number(ds, "DATA_TYPE"));
            f->maximumLength = ToInt(Number(ds, "CHARACTER_MAXIMUM_LENGTH"));
            f->octetLength = ToInt(Number(ds, "CHARACTER_OCTET_LENGTH"));
            f->numericPrecision = ToInt(Number(ds, "NUMERIC_PRECISION"));
            f->dateTimePrecision = ToInt(Number(ds, "DATETIME_PRECISION"));
            const TProviderTypeChoice choice =
                GetProviderTypeName(types, f->dataType, f->maximumLength, f->dateTimePrecision, f->numericPrecision);
            f->typeName = choice.typeName;
            f->baseTypeName = choice.typeName;
            f->typeSize = choice.typeSize;
            read.push_back(std::move(f));
        }
    } catch (const std::exception&) {
        return;
    }
    std::stable_sort(read.begin(), read.end(), [](const auto& a, const auto& b) { return a->ordinal < b->ordinal; });
    for (auto& f : read) fields_.push_back(std::move(f));
}

TQADOTable* TableOf(const rtl::TStrings& list, int index)
{
    if (index < 0 || index >= list.Count()) return nullptr;
    return list.ObjectAs<TTableRef>(index).get();
}

// ---- Table lists -----------------------------------------------------------------------------

bool ListTablesOfType(db::TADOConnection* connection, const std::string& type, rtl::TStrings& list)
{
    if (!IsOpen(connection)) return false;
    try {
        db::TADODataSet ds(nullptr);
        connection->OpenSchema(db::siTables, {db::TVariant(), db::TVariant(), db::TVariant(), db::TVariant(type)}, &ds);
        for (ds.First(); !ds.Eof(); ds.Next()) {
            if (Text(ds, "TABLE_TYPE") != type) continue;
            const std::string schemaRead = Text(ds, "TABLE_SCHEMA");
            std::string prefix = rtl::UpperCase(schemaRead);
            if (prefix == "PUBLIC") prefix.clear();
            if (!rtl::Trim(prefix).empty()) prefix += ".";
            const std::string name = Text(ds, "TABLE_NAME");
            list.AddObject(prefix + rtl::UpperCase(name),
                           std::make_shared<TQADOTable>(connection, schemaRead, name, type));
        }
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void GetTableNames(db::TADOConnection* connection, bool systemTables, bool systemViews, bool views, bool sequences,
                   bool synonyms, rtl::TStrings& list)
{
    list.Clear();
    if (!ListTablesOfType(connection, "TABLE", list)) return;
    const std::pair<bool, const char*> steps[] = {{systemTables, "SYSTEM TABLE"},
                                                  {sequences, "SEQUENCE"},
                                                  {synonyms, "SYNONYM"},
                                                  {systemViews, "SYSTEM VIEW"},
                                                  {views, "VIEW"}};
    for (const auto& [wanted, type] : steps)
        if (wanted && !ListTablesOfType(connection, type, list)) return;
}

// ---- Provider types --------------------------------------------------------------------------

std::vector<TProviderTypeRow> ReadProviderTypes(db::TADOConnection* connection)
{
    std::vector<TProviderTypeRow> rows;
    if (!IsOpen(connection)) return rows;
    try {
        db::TADODataSet ds(nullptr);
        connection->OpenSchema(db::siProviderTypes, {}, &ds);
        for (ds.First(); !ds.Eof(); ds.Next())
            rows.push_back({Text(ds, "TYPE_NAME"), ToInt(Number(ds, "DATA_TYPE")), Number(ds, "COLUMN_SIZE")});
    } catch (const std::exception&) {
        rows.clear();
    }
    return rows;
}

TProviderTypeChoice GetProviderTypeName(const std::vector<TProviderTypeRow>& providerTypes, int dataType,
                                        int maximumLength, int dateTimePrecision, int numericPrecision)
{
    const long long need = static_cast<long long>(maximumLength) + numericPrecision + dateTimePrecision;
    // One pass over the rows whose type is among `codes`: the smallest size that covers the
    // need (first of equals), else the largest (last of equals).
    const auto pass = [&](std::initializer_list<int> codes) -> const TProviderTypeRow* {
        const TProviderTypeRow* fit = nullptr;
        const TProviderTypeRow* fallback = nullptr;
        for (const TProviderTypeRow& row : providerTypes) {
            if (std::find(codes.begin(), codes.end(), row.dataType) == codes.end()) continue;
            if (row.columnSize >= need) {
                if (fit == nullptr || row.columnSize < fit->columnSize) fit = &row;
            } else if (fallback == nullptr || row.columnSize >= fallback->columnSize) {
                fallback = &row;
            }
        }
        return fit != nullptr ? fit : fallback;
    };
    const TProviderTypeRow* found = pass({dataType});
    if (found == nullptr) {
        const bool dateType = dataType == 7 || (dataType >= 133 && dataType <= 135);
        if (maximumLength >= 1)
            found = pass({129, 200, 201, 130, 202, 203});
        else if (numericPrecision < 1) {
            if (dateTimePrecision >= 1 || dateType) found = pass({7, 133, 134, 135});
        } else
            found = pass({16, 2, 3, 20, 17, 18, 19, 21, 4, 5, 6, 14, 131});
    }
    if (found == nullptr) return {"unknown", 0, 0};
    return {rtl::LowerCase(found->typeName), ToInt(found->columnSize), found->dataType};
}

// ---- Quote characters and properties ----------------------------------------------------------

std::string GetConnectionProperty(db::TADOConnection* connection, std::string_view name)
{
    if (!IsOpen(connection)) return {};
    try {
        const db::TVariant value = connection->PropertyValue(name);
        return value.IsNull() ? std::string() : value.AsString();
    } catch (const std::exception&) {
        return {};
    }
}

std::string GetQuoteChars(db::TADOConnection* connection)
{
    if (!IsOpen(connection)) return {};
    std::string value;
    try {
        db::TADODataSet ds(nullptr);
        connection->OpenSchema(db::siDBInfoLiterals, {}, &ds);
        for (ds.First(); !ds.Eof() && value.empty(); ds.Next()) {
            const std::string literal = rtl::UpperCase(Text(ds, "LiteralName"));
            if (literal == "QUOTE" || literal == "QUOTE_SUFFIX") value = Text(ds, "LiteralValue");
        }
    } catch (const std::exception&) {
        value.clear();
    }
    if (value.empty() && rtl::UpperCase(GetConnectionProperty(connection, "DBMS Name")) == "MYSQL") value = "`";
    return value;
}

std::string GetSpecialCharacters(db::TADOConnection* connection)
{
    const std::string special = GetConnectionProperty(connection, "Special Characters");
    if (special.empty()) {
        const std::string dbms = rtl::UpperCase(GetConnectionProperty(connection, "DBMS Name"));
        if (dbms.find("ACCESS") != std::string::npos || dbms.find("MS JET") != std::string::npos)
            return "~@#$%^&*-+=\\}{\"';:?/><,.![]|";
    }
    return special;
}

TIdentifierCase GetIdentifierCase(db::TADOConnection* connection)
{
    if (!IsOpen(connection)) return TIdentifierCase::Unknown;
    const std::string property = GetConnectionProperty(connection, "Identifier Case Sensitivity");
    const long long code = property.empty() ? 0 : std::atoll(property.c_str());
    switch (code) {
    case SQL_IC_UPPER: return TIdentifierCase::Upper;
    case SQL_IC_LOWER: return TIdentifierCase::Lower;
    case SQL_IC_SENSITIVE: return TIdentifierCase::Sensitive;
    case SQL_IC_MIXED: return TIdentifierCase::Mixed;
    default: return TIdentifierCase::Unknown;
    }
}

// ---- Quoting ---------------------------------------------------------------------------------

std::string EncloseIdentifier(const std::string& name, const std::string& quote)
{
    if (quote.empty()) return name;
    const std::string closing = quote == "[" ? "]" : quote;
    std::string inner;
    for (std::size_t i = 0; i < name.size();) {
        if (name.compare(i, closing.size(), closing) == 0) {
            inner += closing;
            inner += closing;
            i += closing.size();
        } else {
            inner += name[i++];
        }
    }
    return quote + inner + closing;
}

std::string QuoteIdentifier(const std::string& name, const std::string& quote, const std::string& special,
                            const rtl::TStrings* listA, const rtl::TStrings* listB, const rtl::TStrings* listC)
{
    const auto inList = [&](const rtl::TStrings* list) {
        if (list == nullptr) return false;
        for (int i = 0; i < list->Count(); ++i)
            if (rtl::SameText(list->Strings(i), name)) return true;
        return false;
    };
    const bool needs = name.find(' ') != std::string::npos ||
                       (!special.empty() && name.find_first_of(special) != std::string::npos) || inList(listA) ||
                       inList(listB) || inList(listC);
    return needs ? EncloseIdentifier(name, quote) : name;
}

}  // namespace app::ado
