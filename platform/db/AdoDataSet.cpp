#include "platform/db/AdoDataSet.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <numeric>

#include "platform/db/OdbcHandles.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"

namespace db {

// The record buffer: which row it holds, where that row stands in the view, its bookmark
// flag, then one offset per column into the row (so a field's value is found directly).
struct TCustomADODataSet::RecordHeader {
    std::uint64_t row;
    std::int32_t position;
    std::uint8_t flag;
};

namespace {

// Bytes before the column offsets (the header, padded to keep the offsets aligned).
constexpr std::size_t kHeaderSize = 16;

// Rows read at the open: a screenful and more, in a millisecond or two. Moving past the rows
// read reads as many again as are held, up to a limit: a walk through the whole result costs
// few round trips, and no single step waits long.
constexpr std::size_t kRowsPerRead = 1024;
constexpr std::size_t kMostRowsPerRead = 65536;

}  // namespace

GW_IMPLEMENT_CLASS(TCustomADODataSet, TDataSet)
{
    p.Component<TADOConnection>("Connection", &TCustomADODataSet::Connection, &TCustomADODataSet::SetConnection);
    p.Boolean("EnableBCD", &TCustomADODataSet::EnableBCD, &TCustomADODataSet::SetEnableBCD, true);
    p.String("Sort", &TCustomADODataSet::Sort, &TCustomADODataSet::SetSort);
}

TCustomADODataSet::TCustomADODataSet(classes::TComponent* owner) : TDataSet(owner) {}

TCustomADODataSet::~TCustomADODataSet()
{
    CloseOnDestroy();
    if (connection_ != nullptr) connection_->UnregisterDataSet(this);
}

void TCustomADODataSet::SetConnection(TADOConnection* connection)
{
    if (connection == connection_) return;
    CheckInactive();
    if (connection_ != nullptr) {
        connection_->UnregisterDataSet(this);
        RemoveFreeNotification(connection_);
    }
    connection_ = connection;
    if (connection_ != nullptr) {
        connection_->RegisterDataSet(this);
        FreeNotification(connection_);
    }
    FieldDefs().SetUpdated(false);
}

void TCustomADODataSet::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TDataSet::Notification(component, operation);
    if (operation == classes::opRemove && component == connection_) {
        if (Active()) Close();
        connection_ = nullptr;
    }
}

void TCustomADODataSet::SetEnableBCD(bool enable)
{
    if (enable == enableBCD_) return;
    CheckInactive();
    enableBCD_ = enable;
    FieldDefs().SetUpdated(false);
}

void TCustomADODataSet::SetSort(const std::string& sort)
{
    if (sort == sort_) return;
    const std::string old = sort_;
    sort_ = sort;
    if (!Active()) return;
    rtl::TScopeExit undo([&] {
        sort_ = old;
        ApplyViewChange();
    });
    ApplyViewChange();
    undo.Release();
}

void TCustomADODataSet::SetFiltered(bool filtered)
{
    if (filtered == Filtered()) return;
    TDataSet::SetFiltered(filtered);
    if (!Active()) return;
    rtl::TScopeExit undo([&] {
        TDataSet::SetFiltered(!filtered);
        ApplyViewChange();
    });
    ApplyViewChange();
    undo.Release();
}

void TCustomADODataSet::SetFilterText(const std::string& text)
{
    if (text == Filter()) return;
    const std::string old = Filter();
    TDataSet::SetFilterText(text);
    if (!Active() || !Filtered()) return;
    rtl::TScopeExit undo([&] {
        TDataSet::SetFilterText(old);
        ApplyViewChange();
    });
    ApplyViewChange();
    undo.Release();
}

// ---- Opening -------------------------------------------------------------------------------

std::unique_ptr<TRecordset> TCustomADODataSet::Execute()
{
    if (connection_ == nullptr) DatabaseError("Missing Connection or ConnectionString", this);
    const std::string sql = CommandText();
    if (rtl::Trim(sql).empty()) DatabaseError("CommandText does not return a result set", this);
    connection_->Open();
    try {
        return connection_->OdbcConnection().Run([sql, inputs = CommandInputs(), enableBCD = enableBCD_](TOdbcLink& link) {
            auto statement = std::make_unique<TOdbcStatement>(link);
            statement->BindInputs(inputs);
            statement->ExecDirect(sql);
            return OpenRecordset(std::move(statement), enableBCD, kRowsPerRead);
        });
    } catch (const EADOError& e) {
        if (e.ConnectionLost()) connection_->ConnectionLost();
        throw;
    }
}

void TCustomADODataSet::SetRecordset(std::unique_ptr<TRecordset> recordset)
{
    StopReading();
    recordset_ = std::move(recordset);
}

// ---- Reading the rest ----------------------------------------------------------------------

// Rows read ahead: the worker reads them into a continuation of the store, which this thread
// goes on reading meanwhile; the store itself changes only when they are taken.
struct TCustomADODataSet::TReadAhead {
    std::shared_ptr<TRowStore> more;
    bool left = false;         // rows are left after these
    std::exception_ptr error;  // what stopped the reading
};

namespace {

// Reads the result's rows up to `until` into `more`; false when the result has ended.
bool ReadOnLink(TOdbcLink& link, TRowReader& reader, TRowStore& more, std::size_t until)
{
    // A connection opened again since the statement ran has no cursor of it.
    if (&link != &ReaderLink(reader))
        throw EDatabaseError("The connection was lost: the rest of the rows cannot be read");
    return db::ReadRows(reader, more, until);
}

}  // namespace

void TCustomADODataSet::ReadRows(std::size_t until) const
{
    if (!recordset_ || recordset_->rows->RowCount() >= until) return;
    TakeReadAhead();
    if (recordset_->reader && recordset_->rows->RowCount() < until) {
        TRecordset& rs = *recordset_;
        // The rows go into a continuation of the store, which a paint during the wait may read,
        // and which a read given up after a timeout must not touch any more.
        std::shared_ptr<TRowStore> more(rs.rows->Continuation());
        std::shared_ptr<TRowReader> reader = rs.reader;
        bool left = false;
        try {
            if (connection_ == nullptr || !connection_->Connected())
                DatabaseError("The connection is closed: the rest of the rows cannot be read", this);
            left = connection_->OdbcConnection().Run(
                [reader, more, until](TOdbcLink& link) { return ReadOnLink(link, *reader, *more, until); });
        } catch (const EADOError& e) {
            rs.reader.reset();
            if (e.ConnectionLost()) connection_->ConnectionLost();
            throw;
        } catch (...) {
            rs.reader.reset();
            throw;
        }
        rs.rows->Append(*more);
        if (!left) rs.reader.reset();
    }
    StartReadAhead();
}

void TCustomADODataSet::StartReadAhead() const
{
    if (readAhead_ || !recordset_ || !recordset_->reader || connection_ == nullptr || !connection_->Connected())
        return;
    TRecordset& rs = *recordset_;
    const std::size_t held = rs.rows->RowCount();
    const std::size_t until = held + std::clamp(held, kRowsPerRead, kMostRowsPerRead);
    auto ahead = std::make_shared<TReadAhead>();
    ahead->more = rs.rows->Continuation();
    std::shared_ptr<TRowReader> reader = rs.reader;
    const bool started = connection_->OdbcConnection().Start([ahead, reader, until](TOdbcLink& link) {
        try {
            ahead->left = ReadOnLink(link, *reader, *ahead->more, until);
        } catch (...) {
            ahead->error = std::current_exception();
        }
    });
    if (started) readAhead_ = std::move(ahead);
}

void TCustomADODataSet::TakeReadAhead() const
{
    if (!readAhead_) return;
    const std::shared_ptr<TReadAhead> ahead = std::move(readAhead_);
    TRecordset& rs = *recordset_;
    try {
        if (connection_ != nullptr) connection_->OdbcConnection().Settle();
        if (ahead->error) std::rethrow_exception(ahead->error);
    } catch (const EADOError& e) {
        rs.reader.reset();
        if (e.ConnectionLost() && connection_ != nullptr) connection_->ConnectionLost();
        throw;
    } catch (...) {
        rs.reader.reset();
        throw;
    }
    rs.rows->Append(*ahead->more);
    if (!ahead->left) rs.reader.reset();
}

void TCustomADODataSet::StopReading() noexcept
{
    // A part being read ahead is dropped; the worker finishes it before the statement goes.
    readAhead_.reset();
    if (!recordset_ || !recordset_->reader) return;
    std::shared_ptr<TRowReader> reader = std::move(recordset_->reader);
    if (connection_ == nullptr || !connection_->Connected()) return;
    try {
        // Freeing the statement may wait on the server: the worker frees it, watched.
        connection_->OdbcConnection().Run([reader = std::move(reader)](TOdbcLink&) mutable { reader.reset(); });
    } catch (...) {
        rtl::LogCurrentException("TCustomADODataSet: freeing the statement of the rows left unread");
    }
}

void TCustomADODataSet::ReadMoreRows(int count)
{
    if (!Active() || AllRowsRead() || count <= 0) return;
    const int before = ViewCount();
    rtl::TScopeExit notify([&] {
        if (ViewCount() != before) DataEvent(deRecordCountChange);
    });
    ReadRows(recordset_->rows->RowCount() + static_cast<std::size_t>(count));
}

int TCustomADODataSet::GetRecordCount() const
{
    ReadAllRows();
    return ViewCount();
}

void TCustomADODataSet::InternalLast()
{
    ReadAllRows();
    cursor_ = ViewCount();
}

void TCustomADODataSet::InternalInitFieldDefs()
{
    FieldDefs().Clear();
    std::vector<TRecordsetColumn> columns;
    if (recordset_) {
        columns = recordset_->columns;
    } else {
        // Closed: describe the statement's result without reading it.
        if (connection_ == nullptr) DatabaseError("Missing Connection or ConnectionString", this);
        const std::string sql = DescribeText();
        if (rtl::Trim(sql).empty()) DatabaseError("CommandText does not return a result set", this);
        connection_->Open();
        try {
            columns = connection_->OdbcConnection().Run([sql, inputs = CommandInputs(), enableBCD = enableBCD_](TOdbcLink& link) {
                TOdbcStatement statement(link);
                statement.BindInputs(inputs);
                statement.Prepare(sql);
                return DescribeColumns(statement, enableBCD);
            });
        } catch (const EADOError& e) {
            if (e.ConnectionLost()) connection_->ConnectionLost();
            throw;
        }
    }
    for (const TRecordsetColumn& c : columns) {
        auto def = std::make_unique<TFieldDef>(c.name, c.fieldType, c.size, c.required);
        def->SetPrecision(c.precision);
        FieldDefs().Add(std::move(def));
    }
}

void TCustomADODataSet::InternalOpen()
{
    if (!recordset_) recordset_ = Execute();
    {
        // Not open: the rows read go, so that the next open runs the statement again rather
        // than showing this result under a changed statement.
        rtl::TScopeExit forget([this] {
            StopReading();
            recordset_.reset();
        });
        InternalInitFieldDefs();
        if (DefaultFields()) CreateFields();
        BindFields(true);
        forget.Release();
    }
    open_ = true;
    cursor_ = -1;
    // A filter or sort that does not fit the result: show the rows as they came.
    rtl::TScopeExit asCame([this] {
        identityView_ = true;
        view_.clear();
    });
    BuildView();
    asCame.Release();
    StartReadAhead();
}

void TCustomADODataSet::InternalClose()
{
    BindFields(false);
    if (DefaultFields()) DestroyFields();
    open_ = false;
    StopReading();
    recordset_.reset();
    view_.clear();
    view_.shrink_to_fit();
    position_.clear();
    position_.shrink_to_fit();
    identityView_ = true;
    cursor_ = -1;
}

// ---- The view: which rows show, in which order ---------------------------------------------

int TCustomADODataSet::ColumnIndex(std::string_view name) const
{
    if (!recordset_) return -1;
    for (std::size_t i = 0; i < recordset_->columns.size(); ++i)
        if (rtl::AnsiSameText(recordset_->columns[i].name, name)) return static_cast<int>(i);
    return -1;
}

int TCustomADODataSet::ViewCount() const
{
    if (!recordset_) return 0;
    return identityView_ ? static_cast<int>(recordset_->rows->RowCount()) : static_cast<int>(view_.size());
}

std::size_t TCustomADODataSet::RowAt(int position) const
{
    return identityView_ ? static_cast<std::size_t>(position) : view_[static_cast<std::size_t>(position)];
}

int TCustomADODataSet::PositionOfRow(std::size_t row) const
{
    if (!recordset_ || row >= recordset_->rows->RowCount()) return -1;
    if (identityView_) return static_cast<int>(row);
    if (position_.empty()) {
        position_.assign(recordset_->rows->RowCount(), -1);
        for (std::size_t i = 0; i < view_.size(); ++i) position_[view_[i]] = static_cast<std::int32_t>(i);
    }
    return position_[row];
}

void TCustomADODataSet::BuildView()
{
    identityView_ = true;
    view_.clear();
    position_.clear();
    if (!recordset_) return;
    const TRowStore& rows = *recordset_->rows;
    const auto lookup = [this](std::string_view name) { return ColumnIndex(name); };
    const bool byText = Filtered() && !rtl::Trim(Filter()).empty();
    const TViewShape shape = ViewShape();
    const bool filtering = byText || FilterAsksRecords() || shape.accepts;
    const std::vector<TSortKey> keys = rtl::Trim(sort_).empty() ? std::vector<TSortKey>{} : ParseSortText(sort_, lookup);
    if (!filtering && keys.empty() && shape.order.empty()) return;
    ReadAllRows();

    std::vector<std::uint32_t> view;
    if (filtering) {
        std::unique_ptr<TFilterExpression> expression;
        if (byText) expression = TFilterExpression::Parse(Filter(), lookup);
        std::vector<std::uint32_t> offsets(static_cast<std::size_t>(rows.ColumnCount()));
        TRecordBuffer buffer = FilterAsksRecords() ? AllocRecordBuffer() : nullptr;
        rtl::TScopeExit freeBuffer([&] {
            if (buffer != nullptr) FreeRecordBuffer(buffer);
        });
        {
            for (std::size_t r = 0; r < rows.RowCount(); ++r) {
                if (shape.accepts && !shape.accepts(rows, r)) continue;
                if (expression) {
                    rows.ColumnOffsets(r, offsets.data());
                    const bool match = expression->Matches([&](int c) {
                        return rows.ValueAt(r, c, offsets[static_cast<std::size_t>(c)]);
                    });
                    if (!match) continue;
                }
                if (buffer != nullptr) {
                    auto* h = reinterpret_cast<RecordHeader*>(buffer);
                    h->row = r;
                    h->position = -1;
                    h->flag = bfCurrent;
                    rows.ColumnOffsets(r, reinterpret_cast<std::uint32_t*>(buffer + kHeaderSize));
                    if (!FilterAccepts(buffer)) continue;
                }
                view.push_back(static_cast<std::uint32_t>(r));
            }
        }
    } else {
        view.resize(rows.RowCount());
        std::iota(view.begin(), view.end(), 0u);
    }
    if (!keys.empty() || !shape.order.empty()) {
        std::stable_sort(view.begin(), view.end(), [&](std::uint32_t a, std::uint32_t b) {
            for (const TSortKey& k : shape.order) {
                const int c = CompareVariants(rows.Value(a, k.column), rows.Value(b, k.column), false);
                if (c != 0) return k.descending ? c > 0 : c < 0;
            }
            for (const TSortKey& k : keys) {
                const int c = CompareVariants(rows.Value(a, k.column), rows.Value(b, k.column), true);
                if (c != 0) return k.descending ? c > 0 : c < 0;
            }
            return false;
        });
    }
    view_ = std::move(view);
    identityView_ = false;
}

void TCustomADODataSet::RecordFiltersChanged()
{
    if (AskingFilters()) return;
    if (Active())
        ApplyViewChange();
    else if (open_)
        BuildView();  // installed while opening: the first records read are filtered already
}

void TCustomADODataSet::RefreshView()
{
    if (Active()) ApplyViewChange();
}

void TCustomADODataSet::GotoPosition(int position)
{
    const std::uint64_t row = RowAt(position);
    TBookmark bookmark(sizeof row);
    std::memcpy(bookmark.data(), &row, sizeof row);
    GotoBookmark(bookmark);
}

void TCustomADODataSet::ApplyViewChange()
{
    CheckBrowseMode();
    BuildView();
    First();
}

// ---- Record buffers ------------------------------------------------------------------------

int TCustomADODataSet::GetRecordSize() const
{
    static_assert(sizeof(RecordHeader) <= kHeaderSize);
    const std::size_t columns = recordset_ ? recordset_->columns.size() : 0;
    return static_cast<int>(kHeaderSize + columns * sizeof(std::uint32_t));
}

TRecordBuffer TCustomADODataSet::AllocRecordBuffer()
{
    const std::size_t size = static_cast<std::size_t>(GetRecordSize());
    auto* buffer = new std::uint64_t[(size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t)];
    auto* bytes = reinterpret_cast<TRecordBuffer>(buffer);
    std::memset(bytes, 0, size);
    auto* h = reinterpret_cast<RecordHeader*>(bytes);
    h->position = -1;
    return bytes;
}

void TCustomADODataSet::FreeRecordBuffer(TRecordBuffer& buffer)
{
    delete[] reinterpret_cast<std::uint64_t*>(buffer);
    buffer = nullptr;
}

void TCustomADODataSet::FillBuffer(TRecordBuffer buffer, int position) const
{
    auto* h = reinterpret_cast<RecordHeader*>(buffer);
    h->row = RowAt(position);
    h->position = position;
    h->flag = bfCurrent;
    recordset_->rows->ColumnOffsets(h->row, reinterpret_cast<std::uint32_t*>(buffer + kHeaderSize));
}

TGetResult TCustomADODataSet::GetRecord(TRecordBuffer buffer, TGetMode mode, bool)
{
    int count = ViewCount();
    switch (mode) {
    case gmCurrent:
        if (cursor_ < 0) return grBOF;
        if (cursor_ >= count) return grEOF;
        break;
    case gmNext:
        if (cursor_ >= count - 1 && !AllRowsRead()) {
            const std::size_t held = recordset_->rows->RowCount();
            ReadRows(static_cast<std::size_t>(cursor_ + 1) + std::clamp(held, kRowsPerRead, kMostRowsPerRead));
            count = ViewCount();
        }
        if (cursor_ >= count - 1) {
            cursor_ = count;
            return grEOF;
        }
        ++cursor_;
        break;
    case gmPrior:
        if (cursor_ <= 0) {
            cursor_ = -1;
            return grBOF;
        }
        --cursor_;
        break;
    }
    FillBuffer(buffer, cursor_);
    return grOK;
}

void TCustomADODataSet::InternalSetToRecord(TRecordBuffer buffer)
{
    const auto* h = reinterpret_cast<const RecordHeader*>(buffer);
    cursor_ = h->position >= 0 ? h->position : PositionOfRow(h->row);
}

void TCustomADODataSet::GetBookmarkData(TRecordBuffer buffer, TBookmark& bookmark) const
{
    const auto* h = reinterpret_cast<const RecordHeader*>(buffer);
    bookmark.resize(sizeof h->row);
    std::memcpy(bookmark.data(), &h->row, sizeof h->row);
}

void TCustomADODataSet::SetBookmarkData(TRecordBuffer buffer, const TBookmark& bookmark)
{
    auto* h = reinterpret_cast<RecordHeader*>(buffer);
    if (bookmark.size() != sizeof h->row) return;
    std::memcpy(&h->row, bookmark.data(), sizeof h->row);
    h->position = -1;
}

TBookmarkFlag TCustomADODataSet::GetBookmarkFlag(TRecordBuffer buffer) const
{
    return static_cast<TBookmarkFlag>(reinterpret_cast<const RecordHeader*>(buffer)->flag);
}

void TCustomADODataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag)
{
    reinterpret_cast<RecordHeader*>(buffer)->flag = static_cast<std::uint8_t>(flag);
}

void TCustomADODataSet::InternalGotoBookmark(const TBookmark& bookmark)
{
    std::uint64_t row = 0;
    if (bookmark.size() == sizeof row) std::memcpy(&row, bookmark.data(), sizeof row);
    const int position = bookmark.size() == sizeof row ? PositionOfRow(static_cast<std::size_t>(row)) : -1;
    // An unknown bookmark leaves the cursor off the records; the resync then says so.
    cursor_ = position >= 0 ? position : ViewCount();
}

bool TCustomADODataSet::BookmarkValid(const TBookmark& bookmark) const
{
    std::uint64_t row = 0;
    if (bookmark.size() != sizeof row || !recordset_) return false;
    std::memcpy(&row, bookmark.data(), sizeof row);
    return PositionOfRow(static_cast<std::size_t>(row)) >= 0;
}

int TCustomADODataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const
{
    if (a.empty() || b.empty()) return TDataSet::CompareBookmarks(a, b);
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    if (a.size() == sizeof x) std::memcpy(&x, a.data(), sizeof x);
    if (b.size() == sizeof y) std::memcpy(&y, b.data(), sizeof y);
    const int px = PositionOfRow(static_cast<std::size_t>(x));
    const int py = PositionOfRow(static_cast<std::size_t>(y));
    return px < py ? -1 : (px > py ? 1 : 0);
}

bool TCustomADODataSet::GetFieldData(TField* field, TRecordBuffer buffer, TVariant& value) const
{
    if (!recordset_ || buffer == nullptr) return false;
    const auto* h = reinterpret_cast<const RecordHeader*>(buffer);
    if (h->flag != bfCurrent) return false;
    const int column = field->FieldNo() - 1;
    if (column < 0 || column >= recordset_->rows->ColumnCount()) return false;
    const auto* offsets = reinterpret_cast<const std::uint32_t*>(buffer + kHeaderSize);
    value = recordset_->rows->ValueAt(h->row, column, offsets[column]);
    return !value.IsNull();
}

int TCustomADODataSet::GetRecNo() const
{
    TRecordBuffer buffer = GetActiveRecordBuffer();
    if (buffer == nullptr) return -1;
    const auto* h = reinterpret_cast<const RecordHeader*>(buffer);
    if (h->flag != bfCurrent) return -1;
    const int position = h->position >= 0 ? h->position : PositionOfRow(h->row);
    return position >= 0 ? position + 1 : -1;
}

std::string TCustomADODataSet::RecordBufferFault(TRecordBuffer buffer) const
{
    if (!recordset_) return "a record is buffered without rows";
    const auto* h = reinterpret_cast<const RecordHeader*>(buffer);
    const TRowStore& rows = *recordset_->rows;
    if (h->row >= rows.RowCount()) return "its row " + std::to_string(h->row) + " is past the rows";
    const int position = PositionOfRow(static_cast<std::size_t>(h->row));
    if (position < 0) return "its row is not in the view";
    if (h->position >= 0 && h->position != position) return "its view position is stale";
    std::vector<std::uint32_t> offsets(static_cast<std::size_t>(rows.ColumnCount()));
    rows.ColumnOffsets(static_cast<std::size_t>(h->row), offsets.data());
    if (std::memcmp(offsets.data(), buffer + kHeaderSize, offsets.size() * sizeof(std::uint32_t)) != 0)
        return "its column offsets do not match its row";
    return {};
}

// ---- Schema data set -----------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TADODataSet, TCustomADODataSet) {}

TADODataSet::TADODataSet(classes::TComponent* owner) : TCustomADODataSet(owner) {}

TADODataSet::~TADODataSet() { CloseOnDestroy(); }

void TADODataSet::OpenRecordset(std::unique_ptr<TRecordset> recordset)
{
    Close();
    SetRecordset(std::move(recordset));
    rtl::TScopeExit forget([this] { SetRecordset(nullptr); });
    Open();
    forget.Release();
}

// ---- Query ---------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TADOQuery, TCustomADODataSet)
{
    p.Strings("SQL", &TADOQuery::SQL);
}

TADOQuery::TADOQuery(classes::TComponent* owner) : TCustomADODataSet(owner), sql_(std::make_unique<rtl::TStringList>())
{
    sql_->OnChange = [this](rtl::TStringList&) {
        if (Active()) Close();
        FieldDefs().SetUpdated(false);
    };
}

TADOQuery::~TADOQuery()
{
    CloseOnDestroy();
    sql_->OnChange = nullptr;
}

std::string TADOQuery::CommandText() const
{
    std::string text;
    for (int i = 0; i < sql_->Count(); ++i) {
        if (i > 0) text += "\r\n";
        text += sql_->Get(i);
    }
    return text;
}

long long TADOQuery::ExecSQL()
{
    CheckInactive();
    if (Connection() == nullptr) DatabaseError("Missing Connection or ConnectionString", this);
    rowsAffected_ = Connection()->Execute(CommandText());
    return rowsAffected_;
}

// ---- Table ---------------------------------------------------------------------------------

namespace {

std::vector<std::string> SplitFieldNames(const std::string& names)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= names.size()) {
        std::size_t end = names.find(';', start);
        if (end == std::string::npos) end = names.size();
        std::string part = rtl::Trim(names.substr(start, end - start));
        if (!part.empty()) out.push_back(std::move(part));
        start = end + 1;
    }
    return out;
}

// <0, 0, >0: the row's first key columns against `values` (as many as there are values).
int CompareKey(const TRowStore& rows, std::size_t row, const std::vector<int>& columns,
               const std::vector<TVariant>& values)
{
    for (std::size_t i = 0; i < values.size() && i < columns.size(); ++i) {
        const int c = CompareVariants(rows.Value(row, columns[i]), values[i], false);
        if (c != 0) return c;
    }
    return 0;
}

}  // namespace

// Follows the master data set: its record changes re-shape the detail's rows.
class TADOTable::TMasterLink : public TDataLink {
public:
    explicit TMasterLink(TADOTable& table) : table_(table) {}

protected:
    void ActiveChanged() override { table_.ShapeChanged(); }
    void RecordChanged(TField* field) override
    {
        if (field == nullptr) table_.ShapeChanged();
    }
    void DataSetScrolled(int) override { table_.ShapeChanged(); }

private:
    TADOTable& table_;
};

int TIndexDefs::IndexOf(std::string_view name) const
{
    for (std::size_t i = 0; i < defs_.size(); ++i)
        if (rtl::AnsiSameText(defs_[i].name, name)) return static_cast<int>(i);
    return -1;
}

void TIndexDefs::Update()
{
    defs_.clear();
    TADOConnection* connection = table_->Connection();
    if (connection == nullptr || table_->TableName().empty()) return;
    std::string schema;
    std::string table = table_->TableName();
    if (const std::size_t dot = table.rfind('.'); dot != std::string::npos) {
        schema = table.substr(0, dot);
        table = table.substr(dot + 1);
    }
    TADODataSet rowset(nullptr);
    connection->Open();
    connection->OpenSchema(siIndexes,
                           {TVariant(), schema.empty() ? TVariant() : TVariant(schema), TVariant(), TVariant(),
                            TVariant(table)},
                           &rowset);
    TField* name = rowset.FieldByName("INDEX_NAME");
    TField* column = rowset.FieldByName("COLUMN_NAME");
    TField* primary = rowset.FieldByName("PRIMARY_KEY");
    TField* unique = rowset.FieldByName("UNIQUE");
    TField* collation = rowset.FieldByName("COLLATION");
    bool allDescending = true;
    for (rowset.First(); !rowset.Eof(); rowset.Next()) {
        if (defs_.empty() || defs_.back().name != name->AsString()) {
            if (!defs_.empty() && allDescending) defs_.back().options.Include(ixDescending);
            allDescending = true;
            TIndexDef def;
            def.name = name->AsString();
            if (primary->AsBoolean()) def.options.Include(ixPrimary);
            if (unique->AsBoolean()) def.options.Include(ixUnique);
            defs_.push_back(std::move(def));
        } else {
            defs_.back().fields += ';';
        }
        defs_.back().fields += column->AsString();
        allDescending = allDescending && collation->AsInteger() == 2;
    }
    if (!defs_.empty() && allDescending) defs_.back().options.Include(ixDescending);
}

GW_IMPLEMENT_CLASS(TADOTable, TCustomADODataSet)
{
    p.String("TableName", &TADOTable::TableName, &TADOTable::SetTableName);
    p.String("IndexName", &TADOTable::IndexName, &TADOTable::SetIndexName);
    p.String("IndexFieldNames", &TADOTable::IndexFieldNames, &TADOTable::SetIndexFieldNames);
    p.String("MasterFields", &TADOTable::MasterFields, &TADOTable::SetMasterFields);
    p.Component<TDataSource>("MasterSource", &TADOTable::MasterSource, &TADOTable::SetMasterSource);
}

TADOTable::TADOTable(classes::TComponent* owner) : TCustomADODataSet(owner) {}

TADOTable::~TADOTable()
{
    CloseOnDestroy();
    masterLink_.reset();
}

void TADOTable::SetTableName(const std::string& name)
{
    if (name == tableName_) return;
    CheckInactive();
    tableName_ = name;
    indexDefs_.Clear();
    FieldDefs().SetUpdated(false);
}

void TADOTable::SetIndexName(const std::string& name)
{
    if (name == indexName_ && indexFieldNames_.empty()) return;
    if (!name.empty()) {
        if (indexDefs_.Count() == 0) indexDefs_.Update();
        if (indexDefs_.IndexOf(name) < 0) DatabaseError("Index '" + name + "' not found", this);
    }
    indexName_ = name;
    indexFieldNames_.clear();
    ShapeChanged();
}

void TADOTable::SetIndexFieldNames(const std::string& names)
{
    if (names == indexFieldNames_ && indexName_.empty()) return;
    indexFieldNames_ = names;
    indexName_.clear();
    ShapeChanged();
}

std::vector<std::string> TADOTable::IndexFieldNameList() const
{
    if (!indexFieldNames_.empty()) return SplitFieldNames(indexFieldNames_);
    if (indexName_.empty()) return {};
    const int i = indexDefs_.IndexOf(indexName_);
    return i < 0 ? std::vector<std::string>{} : SplitFieldNames(indexDefs_.Items(i).fields);
}

TField* TADOTable::IndexFields(int index) const
{
    const std::vector<std::string> names = IndexFieldNameList();
    if (index < 0 || index >= static_cast<int>(names.size())) DatabaseError("Index field out of range", this);
    return FieldByName(names[static_cast<std::size_t>(index)]);
}

std::vector<int> TADOTable::KeyColumns() const
{
    std::vector<int> columns;
    for (const std::string& name : IndexFieldNameList()) {
        const int column = ColumnIndex(name);
        if (column < 0) DatabaseError("Field '" + name + "' not found", this);
        columns.push_back(column);
    }
    return columns;
}

TDataSource* TADOTable::MasterSource() const noexcept { return masterLink_ ? masterLink_->DataSource() : nullptr; }

void TADOTable::SetMasterSource(TDataSource* source)
{
    if (source == MasterSource()) return;
    if (TDataSource* old = MasterSource()) RemoveFreeNotification(old);
    if (source == nullptr) {
        masterLink_.reset();
    } else {
        if (source->DataSet() == this) DatabaseError("Circular datalinks are not allowed", this);
        if (!masterLink_) masterLink_ = std::make_unique<TMasterLink>(*this);
        FreeNotification(source);
        masterLink_->SetDataSource(source);
    }
    ShapeChanged();
}

void TADOTable::SetMasterFields(const std::string& fields)
{
    if (fields == masterFields_) return;
    masterFields_ = fields;
    ShapeChanged();
}

void TADOTable::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TCustomADODataSet::Notification(component, operation);
    if (operation == classes::opRemove && masterLink_ && component == masterLink_->DataSource()) {
        masterLink_.reset();
        ShapeChanged();
    }
}

std::vector<TVariant> TADOTable::MasterValues() const
{
    std::vector<TVariant> values;
    TDataSet* master = masterLink_ ? masterLink_->DataSet() : nullptr;
    if (master == nullptr || !master->Active()) return values;
    for (const std::string& name : SplitFieldNames(masterFields_)) values.push_back(master->FieldByName(name)->Value());
    return values;
}

TCustomADODataSet::TViewShape TADOTable::ViewShape() const
{
    TViewShape shape;
    const std::vector<int> columns = KeyColumns();
    const bool descending = !indexName_.empty() && indexDefs_.IndexOf(indexName_) >= 0 &&
                            indexDefs_.Items(indexDefs_.IndexOf(indexName_)).options.Contains(ixDescending);
    for (int column : columns) shape.order.push_back(TSortKey{column, descending});
    std::vector<TVariant> master = MasterValues();
    const bool linked = !master.empty() && !masterFields_.empty();
    if (linked && columns.empty())
        DatabaseError("IndexName or IndexFieldNames must be set for a master-detail link", this);
    if (!rangeActive_ && !linked) return shape;
    shape.accepts = [columns, master = std::move(master), linked, ranged = rangeActive_, start = rangeStart_,
                     end = rangeEnd_](const TRowStore& rows, std::size_t row) {
        // Nulls never equal a master's value, as in a join.
        if (linked) {
            for (std::size_t i = 0; i < master.size() && i < columns.size(); ++i)
                if (master[i].IsNull() || CompareVariants(rows.Value(row, columns[i]), master[i], false) != 0)
                    return false;
        }
        if (!ranged) return true;
        return CompareKey(rows, row, columns, start) >= 0 && CompareKey(rows, row, columns, end) <= 0;
    };
    return shape;
}

void TADOTable::ShapeChanged()
{
    if (Active()) RefreshView();
}

void TADOTable::InternalOpen()
{
    if (!indexName_.empty() && indexDefs_.Count() == 0) indexDefs_.Update();
    TCustomADODataSet::InternalOpen();
}

int TADOTable::KeyBound(const std::vector<TVariant>& values, bool after) const
{
    const std::vector<int> columns = KeyColumns();
    if (values.size() > columns.size())
        DatabaseError("Too many key values: the index has " + std::to_string(columns.size()) + " fields", this);
    ReadAllRows();
    const TRowStore& rows = *Rows();
    int low = 0;
    int high = ViewCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const int c = CompareKey(rows, RowAt(middle), columns, values);
        if (c < 0 || (after && c == 0)) low = middle + 1;
        else high = middle;
    }
    return low;
}

bool TADOTable::FindKey(const std::vector<TVariant>& values)
{
    CheckBrowseMode();
    if (KeyColumns().empty()) DatabaseError("No index is set: FindKey needs IndexName or IndexFieldNames", this);
    const int position = KeyBound(values, false);
    if (position >= ViewCount() || CompareKey(*Rows(), RowAt(position), KeyColumns(), values) != 0) return false;
    GotoPosition(position);
    return true;
}

void TADOTable::FindNearest(const std::vector<TVariant>& values)
{
    CheckBrowseMode();
    if (KeyColumns().empty()) DatabaseError("No index is set: FindNearest needs IndexName or IndexFieldNames", this);
    const int position = KeyBound(values, false);
    if (position < ViewCount()) GotoPosition(position);
    else Last();
}

void TADOTable::SetRangeStart(const std::vector<TVariant>& values) { pendingStart_ = values; }

void TADOTable::SetRangeEnd(const std::vector<TVariant>& values) { pendingEnd_ = values; }

void TADOTable::ApplyRange()
{
    rangeStart_ = pendingStart_;
    rangeEnd_ = pendingEnd_;
    rangeActive_ = true;
    ShapeChanged();
}

void TADOTable::SetRange(const std::vector<TVariant>& start, const std::vector<TVariant>& end)
{
    SetRangeStart(start);
    SetRangeEnd(end);
    ApplyRange();
}

void TADOTable::CancelRange()
{
    pendingStart_.clear();
    pendingEnd_.clear();
    if (!rangeActive_) return;
    rangeActive_ = false;
    rangeStart_.clear();
    rangeEnd_.clear();
    ShapeChanged();
}

namespace {

// A table or procedure name as a statement takes it: parts separated by ".", each a plain identifier
// (letters, digits, "_" and "$", not starting with a digit; any non-ASCII character) or a quoted
// one with inner quotes doubled. Names come from stored forms and project lists, so nothing else
// may reach a statement.
bool IsIdentifierPath(std::string_view name, char quote = '"')
{
    std::size_t i = 0;
    while (true) {
        if (i < name.size() && name[i] == quote) {
            for (++i;; ++i) {
                if (i >= name.size()) return false;
                if (name[i] != quote) continue;
                if (i + 1 < name.size() && name[i + 1] == quote) {
                    ++i;
                    continue;
                }
                break;
            }
            ++i;
        } else {
            const std::size_t start = i;
            for (; i < name.size(); ++i) {
                const auto c = static_cast<unsigned char>(name[i]);
                const bool word = std::isalnum(c) != 0 || c == '_' || c == '$' || c >= 0x80;
                if (!word || (i == start && std::isdigit(c) != 0)) break;
            }
            if (i == start) return false;
        }
        if (i == name.size()) return true;
        if (name[i] != '.') return false;
        ++i;
    }
}

}  // namespace

std::string TADOTable::QuotedName() const
{
    std::string quote;
    if (Connection() != nullptr && Connection()->Connected())
        quote = Connection()->OdbcConnection().InfoText(SQL_IDENTIFIER_QUOTE_CHAR);
    if (quote.empty() || quote == " ") return tableName_;
    if (rtl::Pos(quote, tableName_) == 1) {  // quoted by the caller
        if (!IsIdentifierPath(tableName_, quote[0])) DatabaseError("Invalid table name: " + tableName_, this);
        return tableName_;
    }
    // Each part of schema.table quoted on its own.
    std::string out;
    std::size_t start = 0;
    while (start <= tableName_.size()) {
        std::size_t end = tableName_.find('.', start);
        if (end == std::string::npos) end = tableName_.size();
        if (!out.empty()) out += '.';
        out += quote + rtl::StringReplace(tableName_.substr(start, end - start), quote, quote + quote,
                                          {rtl::rfReplaceAll}) +
               quote;
        start = end + 1;
    }
    return out;
}

std::string TADOTable::CommandText() const
{
    if (tableName_.empty()) return {};
    if (Connection() != nullptr) Connection()->Open();
    return "SELECT * FROM " + QuotedName();
}

std::string TADOTable::DescribeText() const
{
    const std::string select = CommandText();
    return select.empty() ? select : select + " WHERE 1=0";
}

// ---- Stored procedure ----------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TADOStoredProc, TCustomADODataSet)
{
    p.String("ProcedureName", &TADOStoredProc::ProcedureName, &TADOStoredProc::SetProcedureName);
}

TADOStoredProc::TADOStoredProc(classes::TComponent* owner) : TCustomADODataSet(owner) {}

TADOStoredProc::~TADOStoredProc() { CloseOnDestroy(); }

void TADOStoredProc::SetProcedureName(const std::string& name)
{
    if (name == procedureName_) return;
    if (Active()) Close();
    procedureName_ = name;
    FieldDefs().SetUpdated(false);
}

void TADOStoredProc::SetParameter(const std::string& name, const TVariant& value)
{
    for (auto& [n, v] : parameters_) {
        if (rtl::AnsiSameText(n, name)) {
            v = value;
            return;
        }
    }
    parameters_.emplace_back(name, value);
}

std::string TADOStoredProc::CommandText() const
{
    if (rtl::Trim(procedureName_).empty()) return {};
    if (!IsIdentifierPath(procedureName_)) DatabaseError("Invalid procedure name: " + procedureName_, this);
    std::string markers;
    for (std::size_t i = 0; i < parameters_.size(); ++i) markers += i == 0 ? "?" : ",?";
    // The driver's call escape: on PostgreSQL it runs a set-returning function as
    // SELECT * FROM name(...), so its rows come back as a result.
    return "{call " + procedureName_ + "(" + markers + ")}";
}

std::vector<TVariant> TADOStoredProc::CommandInputs() const
{
    std::vector<TVariant> values;
    values.reserve(parameters_.size());
    for (const auto& [name, value] : parameters_) values.push_back(value);
    return values;
}

}  // namespace db
