#pragma once
// A query read once, from its first row to its last: for a writer that walks a whole result
// and must not hold it (the page export), while the browsing data sets keep theirs.
//
// Promises: it holds the rows of one reading step at most (ReadRows into a row store
// that is emptied before each step, at most RowsPerRead rows), so its memory does not grow with
// the result. The fields, their types and values are those an ADO query of the same statement
// and EnableBCD shows (the same description and the same reading of the rows). It moves
// forward only: Next reads on; First goes back to the first row, running the statement again
// once rows have been dropped; Prior, Last and bookmarks are not served
// ("Operation not allowed on a unidirectional dataset"). RecordCount is -1 (it cannot tell
// before the end); CountRecords asks the server for the count of the statement's rows.
// Read-only, like the ADO data sets.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/db/AdoConnection.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/StringList.h"

namespace db {

class TForwardQuery : public TDataSet {
    GW_CLASS(TForwardQuery)

public:
    explicit TForwardQuery(classes::TComponent* owner);
    ~TForwardQuery() override;

    TADOConnection* Connection() const noexcept { return connection_; }
    void SetConnection(TADOConnection* connection);
    bool EnableBCD() const noexcept { return enableBCD_; }
    void SetEnableBCD(bool enable);
    // The statement's lines; changing them closes the query.
    rtl::TStringList* SQL() const noexcept { return sql_.get(); }

    // The rows the statement answers: "SELECT COUNT(*)" over it on the server; where the
    // server will not take the statement inside another one, a second reading of it counted
    // row by row. Does not move this query.
    long long CountRecords();

    // The most rows one reading step brings, and the rows held now (never more). Each step is
    // a call through the connection's thread, whose hand-over costs more than the fetches of a
    // few rows on a busy machine.
    static constexpr std::size_t RowsPerRead = 8192;
    std::size_t RowsHeld() const noexcept;

    void Notification(classes::TComponent* component, classes::TOperation operation) override;

protected:
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& buffer) override;
    TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override;
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() const override { return cursor_ != nullptr; }
    void InternalInitFieldDefs() override;
    void InternalFirst() override;
    void InternalLast() override;
    void InternalGotoBookmark(const TBookmark& bookmark) override;
    using TDataSet::GetFieldData;
    bool GetFieldData(TField* field, TRecordBuffer buffer, TVariant& value) const override;
    bool GetCanModify() const override { return false; }

private:
    struct TCursor;
    std::string CommandText() const;
    // Runs the statement and describes its result; nothing read yet.
    std::shared_ptr<TCursor> Execute() const;
    // Empties the row store and reads the next step's rows; false when none came.
    bool ReadStep();
    void Release() noexcept;

    TADOConnection* connection_ = nullptr;
    bool enableBCD_ = true;
    std::unique_ptr<rtl::TStringList> sql_;
    std::shared_ptr<TCursor> cursor_;
    std::size_t next_ = 0;       // the row of the store the next record comes from
    bool storeFromStart_ = true;  // the store still holds the result's first row
};

}  // namespace db
