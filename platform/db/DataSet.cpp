#include "platform/db/DataSet.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <stdexcept>

#include "platform/classes/Actions.h"
#include "platform/rtl/Log.h"
#include "platform/rtl/Scope.h"
#include "platform/rtl/SysUtils.h"

// Debug builds check the record window after every move and change, naming what broke.
#ifdef NDEBUG
#define GW_ASSERT_CONSISTENT() ((void)0)
#else
#define GW_ASSERT_CONSISTENT()                                                              \
    do {                                                                                    \
        const std::string fault_ = ConsistencyFault();                                      \
        if (!fault_.empty()) rtl::LogLine("record window", fault_);                        \
        assert(fault_.empty());                                                             \
    } while (false)
#endif

namespace db {

namespace {

bool InEditMode(TDataSetState s) { return s == dsEdit || s == dsInsert || s == dsSetKey; }


}  // namespace

// ---- Blob stream ---------------------------------------------------------------------------

std::string TBlobStream::ReadAll()
{
    std::string out;
    char buf[8192];
    for (;;) {
        const std::size_t n = Read(buf, sizeof buf);
        if (n == 0) break;
        out.append(buf, n);
    }
    return out;
}

namespace {

// The default blob stream: the field's value held in memory, stored back when written.
class TMemoryBlobStream : public TBlobStream {
public:
    TMemoryBlobStream(TField* field, TBlobStreamMode mode) : field_(field), mode_(mode)
    {
        if (mode != bmWrite) data_ = field->Value().Text();
    }
    ~TMemoryBlobStream() override
    {
        if (!modified_) return;
        try {
            field_->SetValue(field_->DataType() == ftMemo || field_->DataType() == ftFmtMemo ||
                                     field_->DataType() == ftOraClob
                                 ? TVariant(data_)
                                 : TVariant::FromBytes(data_));
        } catch (...) {
            // A destructor cannot raise; the value stays as it was.
            rtl::LogCurrentException("TMemoryBlobStream: storing the written value");
        }
    }
    std::size_t Read(void* buffer, std::size_t count) override
    {
        if (position_ >= data_.size()) return 0;
        const std::size_t n = std::min(count, data_.size() - position_);
        std::memcpy(buffer, data_.data() + position_, n);
        position_ += n;
        return n;
    }
    std::size_t Write(const void* buffer, std::size_t count) override
    {
        if (mode_ == bmRead) throw rtl::EStreamError("Cannot write to a read-only blob stream");
        if (data_.size() < position_ + count) data_.resize(position_ + count);
        std::memcpy(data_.data() + position_, buffer, count);
        position_ += count;
        modified_ = true;
        return count;
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override
    {
        std::int64_t base = 0;
        if (origin == soCurrent) base = static_cast<std::int64_t>(position_);
        if (origin == soEnd) base = static_cast<std::int64_t>(data_.size());
        const std::int64_t p = base + offset;
        if (p < 0) throw rtl::EStreamError("Invalid stream operation");
        position_ = static_cast<std::size_t>(p);
        return p;
    }
    std::int64_t Size() const override { return static_cast<std::int64_t>(data_.size()); }

private:
    TField* field_;
    TBlobStreamMode mode_;
    std::string data_;
    std::size_t position_ = 0;
    bool modified_ = false;
};

}  // namespace

// ---- Data set ------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TDataSet, classes::TComponent)
{
    p.Boolean("Active", &TDataSet::Active, &TDataSet::SetActive, false);
    p.String("Filter", &TDataSet::Filter, &TDataSet::SetFilterText);
    p.Boolean("Filtered", &TDataSet::Filtered, &TDataSet::SetFiltered, false);
    p.Event("BeforeOpen", &TDataSet::BeforeOpen);
    p.Event("AfterOpen", &TDataSet::AfterOpen);
    p.Event("BeforeClose", &TDataSet::BeforeClose);
    p.Event("AfterClose", &TDataSet::AfterClose);
    p.Event("BeforeInsert", &TDataSet::BeforeInsert);
    p.Event("AfterInsert", &TDataSet::AfterInsert);
    p.Event("BeforeEdit", &TDataSet::BeforeEdit);
    p.Event("AfterEdit", &TDataSet::AfterEdit);
    p.Event("BeforePost", &TDataSet::BeforePost);
    p.Event("AfterPost", &TDataSet::AfterPost);
    p.Event("BeforeCancel", &TDataSet::BeforeCancel);
    p.Event("AfterCancel", &TDataSet::AfterCancel);
    p.Event("BeforeDelete", &TDataSet::BeforeDelete);
    p.Event("AfterDelete", &TDataSet::AfterDelete);
    p.Event("BeforeScroll", &TDataSet::BeforeScroll);
    p.Event("AfterScroll", &TDataSet::AfterScroll);
    p.Event("OnFilterRecord", &TDataSet::OnFilterRecord);
    p.Event("OnNewRecord", &TDataSet::OnNewRecord);
}

TDataSet::TDataSet(classes::TComponent* owner) : TComponent(owner), fields_(this), fieldDefs_(this) {}

TDataSet::~TDataSet()
{
    // A descendant has closed the data set (CloseOnDestroy); what is left is the links.
    while (!dataSources_.empty()) {
        TDataSource* source = dataSources_.back();
        dataSources_.pop_back();
        source->dataSet_ = nullptr;
        source->UpdateState();
    }
    for (TField* f : fields_) f->dataSet_ = nullptr;
    fields_.Clear();
}

void TDataSet::CloseOnDestroy()
{
    destroying_ = true;
    if (state_ != dsInactive || IsCursorOpen()) {
        SetState(dsInactive);
        CloseCursor();
    }
}

void TDataSet::Loaded()
{
    TComponent::Loaded();
    if (streamedActive_) SetActive(true);
}

void TDataSet::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TComponent::Notification(component, operation);
}

// ---- Opening and closing -------------------------------------------------------------------

void TDataSet::SetActive(bool active)
{
    const auto state = ComponentState();
    if (state.Contains(classes::csLoading) || state.Contains(classes::csReading)) {
        streamedActive_ = active;
        return;
    }
    if (Active() == active) return;
    const bool quiet = destroying_ || state.Contains(classes::csDestroying);
    if (active) {
        BeforeOpen(this);
        OpenCursor();
        SetState(dsBrowse);
        GW_ASSERT_CONSISTENT();
        RecordsSettled();
        AfterOpen(this);
        if (!IsEmpty()) AfterScroll(this);
    } else {
        if (!quiet) BeforeClose(this);
        SetState(dsInactive);
        CloseCursor();
        if (!quiet) AfterClose(this);
    }
}

void TDataSet::OpenCursor()
{
    CheckInactive();
    defaultFields_ = fields_.Count() == 0;
    // Opening is a state of its own, so that what must be in place before the first records
    // are read (a record filter) can tell it from closed. The links hear nothing of it: to
    // them the data set is closed until it is open.
    state_ = dsOpening;
    rtl::TScopeExit undo([this] {
        state_ = dsInactive;  // the links never heard it was opening
        CloseCursor();
        // Fields made for this open go too, even when the descendant failed before it
        // counted as open.
        if (defaultFields_) DestroyFields();
        BindFields(false);
    });
    InternalOpen();
    internalOpenComplete_ = true;
    UpdateBufferCount();
    ClearBuffers();
    InternalFirst();
    GetNextRecords();
    bof_ = true;
    undo.Release();
}

void TDataSet::CloseCursor()
{
    internalOpenComplete_ = false;
    calcValues_.clear();
    ClearBuffers();
    SetBufferCount(0);
    if (IsCursorOpen()) InternalClose();
}

void TDataSet::InitFieldDefs() { InternalInitFieldDefs(); }

void TDataSet::CheckActive() const
{
    if (!Active()) DatabaseError("Cannot perform this operation on a closed dataset", this);
}

void TDataSet::CheckInactive() const
{
    if (Active()) DatabaseError("Cannot perform this operation on an open dataset", this);
}

void TDataSet::CheckCanModify() const
{
    if (!GetCanModify()) DatabaseError("Cannot modify a read-only dataset", this);
}

void TDataSet::SetState(TDataSetState state)
{
    if (state_ == state) return;
    state_ = state;
    modified_ = false;
    DataEvent(deUpdateState);
}

// ---- Record buffers ------------------------------------------------------------------------

TRecordBuffer TDataSet::AllocRecordBuffer()
{
    const int size = std::max(GetRecordSize(), 1);
    auto* buffer = new std::uint8_t[static_cast<std::size_t>(size)];
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    return buffer;
}

void TDataSet::FreeRecordBuffer(TRecordBuffer& buffer)
{
    delete[] buffer;
    buffer = nullptr;
}

void TDataSet::InitRecord(TRecordBuffer buffer)
{
    calcValues_.erase(buffer);
    InternalInitRecord(buffer);
    SetBookmarkFlag(buffer, bfInserted);
}

void TDataSet::InternalInitRecord(TRecordBuffer buffer)
{
    std::memset(buffer, 0, static_cast<std::size_t>(std::max(GetRecordSize(), 1)));
}

void TDataSet::InternalSetToRecord(TRecordBuffer buffer)
{
    TBookmark bookmark;
    GetBookmarkData(buffer, bookmark);
    InternalGotoBookmark(bookmark);
}

void TDataSet::GetBookmarkData(TRecordBuffer, TBookmark& bookmark) const { bookmark.clear(); }
void TDataSet::SetBookmarkData(TRecordBuffer, const TBookmark&) {}
TBookmarkFlag TDataSet::GetBookmarkFlag(TRecordBuffer) const { return bfCurrent; }
void TDataSet::SetBookmarkFlag(TRecordBuffer, TBookmarkFlag) {}
void TDataSet::InternalGotoBookmark(const TBookmark&) {}

void TDataSet::SetFieldData(TField*, const TVariant&) { DatabaseError("Cannot modify a read-only dataset", this); }

void TDataSet::InternalPost()
{
    if (state_ == dsInsert) InternalAddRecord(ActiveBuffer(), GetBookmarkFlag(ActiveBuffer()) == bfEOF);
}

void TDataSet::InternalDelete() { DatabaseError("Cannot modify a read-only dataset", this); }

void TDataSet::InternalAddRecord(TRecordBuffer, bool) { DatabaseError("Cannot modify a read-only dataset", this); }

void TDataSet::SetBufferCount(int count)
{
    count = std::clamp(count, 0, 1024);
    if (count == bufferCount_) return;
    if (count > bufferCount_) {
        while (static_cast<int>(buffers_.size()) < count + 1) buffers_.push_back(AllocRecordBuffer());
        bufferCount_ = count;
        if (internalOpenComplete_ && recordCount_ > 0) {
            GetNextRecords();
            if (recordCount_ < bufferCount_) AdjustFirstRecords(GetPriorRecords());
        }
        return;
    }
    if (count > 0 && activeRecord_ >= count) {
        // Drop records from the front so that the current one stays in the window.
        const int delta = activeRecord_ - count + 1;
        std::rotate(buffers_.begin(), buffers_.begin() + delta, buffers_.end());
        recordCount_ -= delta;
        activeRecord_ -= delta;
        currentRecord_ = currentRecord_ >= delta ? currentRecord_ - delta : -1;
        AdjustFirstRecords(-delta);
    }
    if (recordCount_ > count) recordCount_ = count;
    if (currentRecord_ >= count) currentRecord_ = -1;
    while (static_cast<int>(buffers_.size()) > (count > 0 ? count + 1 : 0)) {
        calcValues_.erase(buffers_.back());
        FreeRecordBuffer(buffers_.back());
        buffers_.pop_back();
    }
    bufferCount_ = count;
    if (count == 0) ClearBuffers();
}

void TDataSet::UpdateBufferCount()
{
    if (!IsCursorOpen()) return;
    int count = 1;
    for (const TDataSource* source : dataSources_)
        for (const TDataLink* link : source->links_) count = std::max(count, link->bufferCount_);
    SetBufferCount(count);
}

void TDataSet::AdjustFirstRecords(int delta)
{
    if (delta == 0) return;
    for (TDataSource* source : dataSources_)
        for (TDataLink* link : source->links_)
            if (link->active_) link->firstRecord_ = std::max(0, link->firstRecord_ + delta);
}

void TDataSet::ClearBuffers()
{
    recordCount_ = 0;
    activeRecord_ = 0;
    currentRecord_ = -1;
    bof_ = true;
    eof_ = true;
}

void TDataSet::ActivateBuffers()
{
    recordCount_ = 1;
    activeRecord_ = 0;
    currentRecord_ = 0;
    bof_ = false;
    eof_ = false;
}

void TDataSet::MoveBuffer(int from, int to)
{
    if (from == to) return;
    auto b = buffers_.begin();
    if (from < to)
        std::rotate(b + from, b + from + 1, b + to + 1);
    else
        std::rotate(b + to, b + from, b + from + 1);
}

void TDataSet::SetCurrentRecord(int index)
{
    if (currentRecord_ == index) return;
    TRecordBuffer buffer = buffers_[static_cast<std::size_t>(index)];
    switch (GetBookmarkFlag(buffer)) {
    case bfCurrent:
    case bfInserted: InternalSetToRecord(buffer); break;
    case bfBOF: InternalFirst(); break;
    case bfEOF: InternalLast(); break;
    }
    currentRecord_ = index;
}

void TDataSet::UpdateCursorPos()
{
    if (recordCount_ > 0) SetCurrentRecord(activeRecord_);
}

bool TDataSet::GetNextRecord()
{
    TGetMode mode = gmNext;
    if (recordCount_ > 0) {
        SetCurrentRecord(recordCount_ - 1);
        if (state_ == dsInsert && currentRecord_ == activeRecord_ && GetBookmarkFlag(ActiveBuffer()) == bfCurrent)
            mode = gmCurrent;
    }
    const bool ok = FetchRecord(buffers_[static_cast<std::size_t>(recordCount_)], mode, true) == grOK;
    if (!ok) {
        CursorPosChanged();
        return false;
    }
    if (recordCount_ == 0)
        ActivateBuffers();
    else if (recordCount_ < bufferCount_)
        ++recordCount_;
    else
        MoveBuffer(0, recordCount_);
    currentRecord_ = recordCount_ - 1;
    return true;
}

bool TDataSet::GetPriorRecord()
{
    if (recordCount_ > 0) SetCurrentRecord(0);
    const bool ok = FetchRecord(buffers_[static_cast<std::size_t>(recordCount_)], gmPrior, true) == grOK;
    if (!ok) {
        CursorPosChanged();
        return false;
    }
    if (recordCount_ == 0) {
        ActivateBuffers();
    } else {
        MoveBuffer(recordCount_, 0);
        if (recordCount_ < bufferCount_) {
            ++recordCount_;
            ++activeRecord_;
        }
    }
    currentRecord_ = 0;
    return true;
}

int TDataSet::GetNextRecords()
{
    int n = 0;
    while (recordCount_ < bufferCount_ && GetNextRecord()) ++n;
    return n;
}

int TDataSet::GetPriorRecords()
{
    int n = 0;
    while (recordCount_ < bufferCount_ && GetPriorRecord()) ++n;
    return n;
}

void TDataSet::Resync(TResyncMode mode)
{
    TRecordBuffer scratch = buffers_[static_cast<std::size_t>(recordCount_)];
    if (mode.Contains(rmExact)) {
        CursorPosChanged();
        if (FetchRecord(scratch, gmCurrent, true) != grOK)
            DatabaseError("Record not found or changed by another user", this);
    } else if (FetchRecord(scratch, gmCurrent, false) != grOK && FetchRecord(scratch, gmNext, false) != grOK &&
               FetchRecord(scratch, gmPrior, false) != grOK) {
        ClearBuffers();
        DataEvent(deDataSetChange);
        RecordsSettled();
        return;
    }
    int count = mode.Contains(rmCenter) ? (bufferCount_ - 1) / 2 : activeRecord_;
    MoveBuffer(recordCount_, 0);
    ActivateBuffers();
    // The links hear of the new window however the refill ends.
    rtl::TScopeExit notify([this] { DataEvent(deDataSetChange); });
    while (count > 0 && GetPriorRecord()) --count;
    GetNextRecords();
    GetPriorRecords();
    GW_ASSERT_CONSISTENT();
    notify.Release();
    DataEvent(deDataSetChange);
    RecordsSettled();
}

TRecordBuffer TDataSet::ActiveBuffer() const
{
    return buffers_.empty() ? nullptr : buffers_[static_cast<std::size_t>(activeRecord_)];
}

TRecordBuffer TDataSet::GetActiveRecordBuffer() const
{
    switch (state_) {
    case dsBrowse: return IsEmpty() ? nullptr : ActiveBuffer();
    case dsEdit:
    case dsInsert:
    case dsSetKey: return ActiveBuffer();
    case dsFilter: return filterBuffer_;
    case dsCalcFields: return calcBuffer_;
    case dsOldValue: return GetOldValueBuffer();
    default: return nullptr;
    }
}

bool TDataSet::GetFieldData(TField* field, TVariant& value) const
{
    TRecordBuffer buffer = GetActiveRecordBuffer();
    if (buffer == nullptr) return false;
    if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup) {
        const auto found = calcValues_.find(buffer);
        if (found == calcValues_.end()) return false;
        for (const auto& [f, v] : found->second)
            if (f == field) {
                value = v;
                return !v.IsNull();
            }
        return false;
    }
    return GetFieldData(field, buffer, value);
}

// ---- Navigation ----------------------------------------------------------------------------

void TDataSet::First()
{
    CheckBrowseMode();
    BeforeScroll(this);
    ClearBuffers();
    {
        rtl::TScopeExit notify([this] {
            bof_ = true;
            DataEvent(deDataSetChange);
        });
        InternalFirst();
        GetNextRecords();
    }
    GW_ASSERT_CONSISTENT();
    RecordsSettled();
    AfterScroll(this);
}

void TDataSet::Last()
{
    CheckBrowseMode();
    BeforeScroll(this);
    ClearBuffers();
    {
        rtl::TScopeExit notify([this] {
            eof_ = true;
            DataEvent(deDataSetChange);
        });
        InternalLast();
        GetPriorRecords();
    }
    GW_ASSERT_CONSISTENT();
    RecordsSettled();
    AfterScroll(this);
}

int TDataSet::MoveBy(int distance)
{
    CheckBrowseMode();
    int moved = 0;
    if (!((distance > 0 && !eof_) || (distance < 0 && !bof_))) return 0;
    BeforeScroll(this);
    bof_ = false;
    eof_ = false;
    int shift = 0;  // how far the window's contents moved (for the links)
    {
        rtl::TScopeExit notify([&] { DataEvent(deDataSetScroll, nullptr, shift); });
        while (distance > 0) {
            if (activeRecord_ < recordCount_ - 1) {
                ++activeRecord_;
            } else {
                const bool full = recordCount_ == bufferCount_;
                if (!GetNextRecord()) {
                    eof_ = true;
                    break;
                }
                if (full)
                    --shift;
                else
                    ++activeRecord_;
            }
            --distance;
            ++moved;
        }
        while (distance < 0) {
            if (activeRecord_ > 0) {
                --activeRecord_;
            } else {
                const bool full = recordCount_ == bufferCount_;
                if (!GetPriorRecord()) {
                    bof_ = true;
                    break;
                }
                ++shift;
                if (!full) --activeRecord_;
            }
            ++distance;
            --moved;
        }
    }
    GW_ASSERT_CONSISTENT();
    RecordsSettled();
    AfterScroll(this);
    return moved;
}

int TDataSet::RecordCount() const { return Active() ? GetRecordCount() : 0; }

int TDataSet::RecordsRead() const { return Active() ? GetRecordsRead() : 0; }

int TDataSet::RecNo() const { return Active() ? GetRecNo() : -1; }

void TDataSet::SetRecNo(int recNo)
{
    CheckBrowseMode();
    const int current = RecNo();
    if (current > 0 && recNo != current) MoveBy(recNo - current);
}

// ---- Bookmarks and locate ------------------------------------------------------------------

TBookmark TDataSet::GetBookmark() const
{
    TBookmark bookmark;
    if (!Active() || IsEmpty() || state_ == dsInsert) return bookmark;
    TRecordBuffer buffer = ActiveBuffer();
    if (buffer != nullptr && GetBookmarkFlag(buffer) == bfCurrent) GetBookmarkData(buffer, bookmark);
    return bookmark;
}

void TDataSet::GotoBookmark(const TBookmark& bookmark)
{
    if (bookmark.empty()) return;
    CheckBrowseMode();
    BeforeScroll(this);
    InternalGotoBookmark(bookmark);
    Resync({rmExact, rmCenter});
    AfterScroll(this);
}

bool TDataSet::BookmarkValid(const TBookmark& bookmark) const { return !bookmark.empty(); }

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const
{
    if (a.empty() || b.empty()) return a.empty() == b.empty() ? 0 : (a.empty() ? -1 : 1);
    const int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (c != 0) return c < 0 ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool TDataSet::Locate(const std::string& keyFields, const std::vector<TVariant>& values, TLocateOptions options)
{
    CheckBrowseMode();
    BeforeScroll(this);
    if (!LocateRecord(keyFields, values, options, true)) return false;
    Resync({rmExact, rmCenter});
    AfterScroll(this);
    return true;
}

bool TDataSet::LocateRecord(const std::string& keyFields, const std::vector<TVariant>& values, TLocateOptions options,
                            bool syncCursor)
{
    std::vector<TField*> keys;
    std::size_t start = 0;
    while (start <= keyFields.size()) {
        std::size_t end = keyFields.find(';', start);
        if (end == std::string::npos) end = keyFields.size();
        const std::string name = rtl::Trim(std::string_view(keyFields).substr(start, end - start));
        if (!name.empty()) keys.push_back(FieldByName(name));
        start = end + 1;
    }
    if (keys.empty() || keys.size() != values.size()) DatabaseError("Invalid number of locate values", this);

    const bool caseInsensitive = options.Contains(loCaseInsensitive);
    const bool partial = options.Contains(loPartialKey);
    const auto matches = [&]() {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const TVariant value = keys[i]->Value();
            const TVariant& key = values[i];
            if (partial && key.Type() == TVarType::String && !value.IsNull()) {
                const std::string text = value.AsString();
                if (text.size() < key.Text().size()) return false;
                const std::string head = text.substr(0, key.Text().size());
                if (caseInsensitive ? !rtl::AnsiSameText(head, key.Text()) : head != key.Text()) return false;
            } else if (CompareVariants(value, key, caseInsensitive) != 0) {
                return false;
            }
        }
        return true;
    };

    // Walk the records with the cursor, reading each into the scratch buffer.
    TRecordBuffer scratch = buffers_[static_cast<std::size_t>(recordCount_)];
    const TDataSetState saved = state_;
    TRecordBuffer savedFilter = filterBuffer_;
    bool found = false;
    {
        rtl::TScopeExit restore([&] {
            state_ = saved;
            filterBuffer_ = savedFilter;
        });
        state_ = dsFilter;
        filterBuffer_ = scratch;
        CursorPosChanged();
        InternalFirst();
        while (GetRecord(scratch, gmNext, true) == grOK) {
            if (matches()) {
                found = true;
                break;
            }
        }
    }
    if (!found || !syncCursor) {
        CursorPosChanged();
        UpdateCursorPos();
    }
    return found;
}

// ---- Editing -------------------------------------------------------------------------------

void TDataSet::Edit()
{
    if (InEditMode(state_)) return;
    if (recordCount_ == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    BeforeEdit(this);
    UpdateCursorPos();
    InternalEdit();
    SetState(dsEdit);
    DataEvent(deRecordChange);
    AfterEdit(this);
}

void TDataSet::BeginInsertAppend()
{
    CheckBrowseMode();
    CheckCanModify();
    BeforeInsert(this);
    BeforeScroll(this);
}

void TDataSet::EndInsertAppend()
{
    SetState(dsInsert);
    {
        // A handler that raises leaves no half-made record behind.
        rtl::TScopeExit undo([this] {
            UpdateCursorPos();
            InternalCancel();
            SetState(dsBrowse);
            Resync({});
        });
        OnNewRecord(this);
        undo.Release();
    }
    modified_ = false;
    DataEvent(deDataSetChange);
    GW_ASSERT_CONSISTENT();
    AfterInsert(this);
    AfterScroll(this);
}

void TDataSet::Insert()
{
    BeginInsertAppend();
    const TBookmark current = GetBookmark();
    MoveBuffer(recordCount_, activeRecord_);
    TRecordBuffer buffer = ActiveBuffer();
    InitRecord(buffer);
    if (recordCount_ == 0)
        SetBookmarkFlag(buffer, bfBOF);
    else
        SetBookmarkData(buffer, current);
    if (recordCount_ < bufferCount_) ++recordCount_;
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::Append()
{
    BeginInsertAppend();
    ClearBuffers();
    TRecordBuffer buffer = buffers_[0];
    InitRecord(buffer);
    SetBookmarkFlag(buffer, bfEOF);
    recordCount_ = 1;
    bof_ = false;
    GetPriorRecords();
    InternalInsert();
    EndInsertAppend();
}

void TDataSet::Post()
{
    UpdateRecord();
    if (state_ != dsEdit && state_ != dsInsert) return;
    DataEvent(deCheckBrowseMode);
    DoBeforePost();
    for (TField* f : fields_)
        if (f->FieldKind() == fkData && f->Required() && !f->ReadOnly() && f->IsNull())
            DatabaseError("Field '" + f->DisplayName() + "' must have a value", this);
    InternalPost();
    SetState(dsBrowse);
    Resync({});
    GW_ASSERT_CONSISTENT();
    AfterPost(this);
}

void TDataSet::Cancel()
{
    if (state_ != dsEdit && state_ != dsInsert) return;
    DataEvent(deCheckBrowseMode);
    BeforeCancel(this);
    const bool scrolls = state_ == dsInsert;
    if (scrolls) BeforeScroll(this);
    UpdateCursorPos();
    InternalCancel();
    SetState(dsBrowse);
    Resync({});
    GW_ASSERT_CONSISTENT();
    AfterCancel(this);
    if (scrolls) AfterScroll(this);
}

void TDataSet::Delete()
{
    CheckActive();
    if (state_ == dsInsert || state_ == dsSetKey) {
        Cancel();
        return;
    }
    if (recordCount_ == 0) DatabaseError("Cannot perform this operation on an empty dataset", this);
    DataEvent(deCheckBrowseMode);
    BeforeDelete(this);
    BeforeScroll(this);
    UpdateCursorPos();
    InternalDelete();
    SetState(dsBrowse);
    Resync({});
    GW_ASSERT_CONSISTENT();
    AfterDelete(this);
    AfterScroll(this);
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    DataEvent(deCheckBrowseMode);
    if (state_ == dsEdit || state_ == dsInsert) {
        UpdateRecord();
        if (modified_)
            Post();
        else
            Cancel();
    }
}

void TDataSet::UpdateRecord()
{
    if (!InEditMode(state_)) DatabaseError("Dataset not in edit or insert mode", this);
    DataEvent(deUpdateRecord);
}

bool TDataSet::HasCalcFields() const
{
    for (const TField* f : fields_)
        if (f->FieldKind() == fkCalculated || f->FieldKind() == fkLookup) return true;
    return false;
}

TGetResult TDataSet::FetchRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck)
{
    const TGetResult result = GetRecord(buffer, mode, doCheck);
    if (result == grOK) GetCalcFields(buffer);
    return result;
}

void TDataSet::GetCalcFields(TRecordBuffer buffer)
{
    calcValues_.erase(buffer);
    if (!HasCalcFields()) return;
    const TDataSetState saved = state_;
    TRecordBuffer savedBuffer = calcBuffer_;
    const rtl::TScopeExit restore([&] {
        state_ = saved;
        calcBuffer_ = savedBuffer;
    });
    state_ = dsCalcFields;
    calcBuffer_ = buffer;
    CalculateFields();
}

void TDataSet::SetFieldValue(TField* field, const TVariant& value)
{
    if (field->FieldKind() == fkCalculated || field->FieldKind() == fkLookup) {
        if (state_ != dsCalcFields && !InEditMode(state_)) DatabaseError("Dataset not in edit or insert mode", this);
        auto& values = calcValues_[GetActiveRecordBuffer()];
        auto it = std::find_if(values.begin(), values.end(), [&](const auto& v) { return v.first == field; });
        if (it == values.end()) values.emplace_back(field, value);
        else it->second = value;
        if (state_ == dsCalcFields) return;
        DataEvent(deFieldChange, field);
        field->OnChange(field);
        return;
    }
    if (!InEditMode(state_)) DatabaseError("Dataset not in edit or insert mode", this);
    if (field->ReadOnly() || field->FieldKind() != fkData)
        DatabaseError("Field '" + field->DisplayName() + "' cannot be modified", this);
    TVariant old;
    const bool hadValue = GetFieldData(field, old);
    SetFieldData(field, value);
    if (field->OnValidate) {
        rtl::TScopeExit undo([&] { SetFieldData(field, hadValue ? old : TVariant()); });
        field->OnValidate(field);
        undo.Release();
    }
    DataEvent(deFieldChange, field);
    field->OnChange(field);
}

// ---- Fields --------------------------------------------------------------------------------

void TDataSet::CreateFields()
{
    for (int i = 0; i < fieldDefs_.Count(); ++i) fieldDefs_.Items(i).CreateField(this, this);
}

void TDataSet::DestroyFields()
{
    std::vector<TField*> list(fields_.begin(), fields_.end());
    fields_.Clear();
    for (TField* f : list) {
        f->dataSet_ = nullptr;
        delete f;
    }
}

void TDataSet::BindFields(bool binding)
{
    for (TField* f : fields_) {
        if (!binding || f->FieldKind() != fkData) {
            f->Bind(0);
            continue;
        }
        const int i = fieldDefs_.IndexOf(f->FieldName());
        if (i < 0) DatabaseError("Field '" + f->FieldName() + "' not found", this);
        const TFieldDef& def = fieldDefs_.Items(i);
        if (def.DataType() != f->DataType() &&
            !(f->DataType() == ftString && (def.DataType() == ftWideString || def.DataType() == ftFixedChar)))
            DatabaseError("Type mismatch for field '" + f->DisplayName() + "', expecting: " +
                              FieldTypeDisplayName(f->DataType()) + " actual: " + FieldTypeDisplayName(def.DataType()),
                          this);
        f->Bind(def.FieldNo());
    }
}

// ---- Invariants ----------------------------------------------------------------------------

std::string TDataSet::ConsistencyFault() const
{
    if (state_ == dsInactive) return recordCount_ == 0 ? std::string() : "a closed data set holds buffered records";
    if (bufferCount_ < 1) return "an open data set has no record buffers";
    if (buffers_.size() != static_cast<std::size_t>(bufferCount_) + 1)
        return "the buffer list does not hold one buffer per record plus the scratch buffer";
    if (recordCount_ < 0 || recordCount_ > bufferCount_) return "more buffered records than buffers";
    if (recordCount_ == 0 ? activeRecord_ != 0 : (activeRecord_ < 0 || activeRecord_ >= recordCount_))
        return "the active record is outside the buffered records";
    if (currentRecord_ < -1 || currentRecord_ >= std::max(recordCount_, 1))
        return "the descendant's cursor stands outside the buffered records";
    std::vector<TRecordBuffer> sorted(buffers_);
    std::sort(sorted.begin(), sorted.end());
    if (sorted.front() == nullptr) return "a record buffer is missing";
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return "two slots share one record buffer";
    if (state_ == dsBrowse) {
        // Counted without reading further: records still to be read lie past a full window.
        const int total = GetRecordsRead();
        const int expected = GetAllRecordsRead() ? std::min(total, bufferCount_) : bufferCount_;
        if (total >= 0 && recordCount_ != expected)
            return "the window holds " + std::to_string(recordCount_) + " records of " + std::to_string(total) +
                   (GetAllRecordsRead() ? "" : " read so far") + " with room for " + std::to_string(bufferCount_);
        std::vector<TBookmark> bookmarks;
        for (int i = 0; i < recordCount_; ++i) {
            TRecordBuffer buffer = buffers_[static_cast<std::size_t>(i)];
            if (GetBookmarkFlag(buffer) != bfCurrent) return "a browsed record is not marked as a current record";
            TBookmark bookmark;
            GetBookmarkData(buffer, bookmark);
            if (bookmark.empty()) continue;
            for (const TBookmark& other : bookmarks)
                if (CompareBookmarks(other, bookmark) == 0)
                    return "record " + std::to_string(i) + " is buffered twice";
            bookmarks.push_back(std::move(bookmark));
        }
    }
    for (int i = 0; i < recordCount_; ++i) {
        TRecordBuffer buffer = buffers_[static_cast<std::size_t>(i)];
        if (GetBookmarkFlag(buffer) != bfCurrent) continue;
        std::string fault = RecordBufferFault(buffer);
        if (!fault.empty()) return "buffered record " + std::to_string(i) + ": " + fault;
    }
    return {};
}

void TDataSet::CheckConsistency() const
{
    const std::string fault = ConsistencyFault();
    if (!fault.empty()) throw std::logic_error((Name().empty() ? std::string("TDataSet") : Name()) + ": " + fault);
}

// ---- Controls ------------------------------------------------------------------------------

void TDataSet::DisableControls()
{
    if (disableCount_ == 0) {
        disableState_ = state_;
        enableEvent_ = deDataSetChange;
    }
    ++disableCount_;
}

void TDataSet::EnableControls()
{
    if (disableCount_ == 0) return;
    if (--disableCount_ != 0) return;
    if (disableState_ != state_) DataEvent(deUpdateState);
    if (disableState_ != dsInactive && state_ != dsInactive) DataEvent(enableEvent_);
}

void TDataSet::DataEvent(TDataEvent event, TField* field, int distance)
{
    if (event == deFieldChange && field != nullptr &&
        (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc))
        modified_ = true;
    if (event == dePropertyChange) fieldDefs_.SetUpdated(false);
    if (ControlsDisabled() || state_ == dsBlockRead) {
        if ((event == deUpdateState && state_ == dsInactive) || event == deLayoutChange) enableEvent_ = deLayoutChange;
        return;
    }
    const std::vector<TDataSource*> sources = dataSources_;
    for (TDataSource* source : sources) source->DataEvent(event, field, distance);
}

void TDataSet::AddDataSource(TDataSource* source)
{
    if (std::find(dataSources_.begin(), dataSources_.end(), source) == dataSources_.end())
        dataSources_.push_back(source);
    UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* source)
{
    std::erase(dataSources_, source);
    UpdateBufferCount();
}

// ---- Filtering and blobs -------------------------------------------------------------------

void TDataSet::SetFiltered(bool filtered) { filtered_ = filtered; }

void TDataSet::SetFilterText(const std::string& text) { filterText_ = text; }

bool TDataSet::FilterAccepts(TRecordBuffer buffer)
{
    if (!FilterAsksRecords()) return true;
    const TDataSetState saved = state_;
    TRecordBuffer savedBuffer = filterBuffer_;
    rtl::TScopeExit restore([&] {
        state_ = saved;
        filterBuffer_ = savedBuffer;
    });
    state_ = dsFilter;
    filterBuffer_ = buffer;
    if (filtered_ && OnFilterRecord) {
        bool accept = true;
        OnFilterRecord(this, accept);
        if (!accept) return false;
    }
    ++askingFilters_;
    rtl::TScopeExit asked([this] { --askingFilters_; });
    // A filter may remove itself (or another) while asked: ask from a copy.
    if (recordFilters_.size() == 1) {
        const auto filter = recordFilters_.front().second;
        return (*filter)(*this);
    }
    const auto filters = recordFilters_;
    for (const auto& [handle, filter] : filters)
        if (!(*filter)(*this)) return false;
    return true;
}

TRecordFilterHandle TDataSet::AddRecordFilter(TRecordFilter filter)
{
    if (!filter) throw std::invalid_argument("AddRecordFilter: no filter");
    const TRecordFilterHandle handle = ++lastFilterHandle_ == 0 ? ++lastFilterHandle_ : lastFilterHandle_;
    recordFilters_.emplace_back(handle, std::make_shared<const TRecordFilter>(std::move(filter)));
    rtl::TScopeExit undo([&] {
        std::erase_if(recordFilters_, [handle](const auto& f) { return f.first == handle; });
        RecordFiltersChanged();
    });
    RecordFiltersChanged();
    undo.Release();
    return handle;
}

bool TDataSet::RemoveRecordFilter(TRecordFilterHandle handle)
{
    const auto it = std::find_if(recordFilters_.begin(), recordFilters_.end(),
                                 [handle](const auto& f) { return f.first == handle; });
    if (handle == 0 || it == recordFilters_.end()) return false;
    recordFilters_.erase(it);
    RecordFiltersChanged();
    return true;
}

void TDataSet::RecordFiltersChanged()
{
    if (!Active() || askingFilters_ != 0) return;
    CheckBrowseMode();
    First();
}

std::unique_ptr<TBlobStream> TDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode)
{
    if (mode != bmRead && !InEditMode(state_)) DatabaseError("Dataset not in edit or insert mode", this);
    return std::make_unique<TMemoryBlobStream>(field, mode);
}

// ---- Data source ---------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TDataSource, classes::TComponent)
{
    p.Boolean("AutoEdit", &TDataSource::AutoEdit, &TDataSource::SetAutoEdit, true);
    p.Component<TDataSet>("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet);
    p.Boolean("Enabled", &TDataSource::Enabled, &TDataSource::SetEnabled, true);
    p.Event("OnStateChange", &TDataSource::OnStateChange);
    p.Event("OnDataChange", &TDataSource::OnDataChange);
    p.Event("OnUpdateData", &TDataSource::OnUpdateData);
}

TDataSource::TDataSource(classes::TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource()
{
    while (!links_.empty()) links_.back()->SetDataSource(nullptr);
    SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* dataSet)
{
    if (dataSet == dataSet_) return;
    if (dataSet_ != nullptr) {
        dataSet_->RemoveDataSource(this);
        RemoveFreeNotification(dataSet_);
    }
    dataSet_ = dataSet;
    if (dataSet_ != nullptr) {
        dataSet_->AddDataSource(this);
        FreeNotification(dataSet_);
    }
    UpdateState();
}

void TDataSource::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    UpdateState();
}

void TDataSource::Edit()
{
    if (autoEdit_ && state_ == dsBrowse && dataSet_ != nullptr) dataSet_->Edit();
}

void TDataSource::Notification(classes::TComponent* component, classes::TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == classes::opRemove && component == dataSet_) {
        dataSet_->RemoveDataSource(this);
        dataSet_ = nullptr;
        UpdateState();
    }
}

void TDataSource::UpdateState()
{
    TDataSetState state = enabled_ && dataSet_ != nullptr ? dataSet_->State() : dsInactive;
    if (state == dsOpening) state = dsInactive;  // the links see it once it is open
    if (state == state_) return;
    state_ = state;
    NotifyLinks(deUpdateState, nullptr, 0);
    OnStateChange(this);
}

void TDataSource::DataEvent(TDataEvent event, TField* field, int distance)
{
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (state_ == dsInactive) return;
    NotifyLinks(event, field, distance);
    switch (event) {
    case deFieldChange:
    case deRecordChange: OnDataChange(this, field); break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: OnDataChange(this, nullptr); break;
    case deUpdateRecord: OnUpdateData(this); break;
    default: break;
    }
}

void TDataSource::NotifyLinks(TDataEvent event, TField* field, int distance)
{
    const std::vector<TDataLink*> links = links_;
    for (TDataLink* link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->DataEvent(event, field, distance);
}

void TDataSource::AddLink(TDataLink* link)
{
    links_.push_back(link);
    if (dataSet_ != nullptr) dataSet_->UpdateBufferCount();
}

void TDataSource::RemoveLink(TDataLink* link)
{
    std::erase(links_, link);
    if (dataSet_ != nullptr) dataSet_->UpdateBufferCount();
}

// ---- Data links ----------------------------------------------------------------------------

TDataLink::TDataLink() = default;

TDataLink::~TDataLink()
{
    if (dataSource_ != nullptr) dataSource_->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* source)
{
    if (source == dataSource_) return;
    if (dataSource_ != nullptr) dataSource_->RemoveLink(this);
    dataSource_ = source;
    if (dataSource_ != nullptr) dataSource_->AddLink(this);
    UpdateState();
}

TDataSet* TDataLink::DataSet() const { return dataSource_ != nullptr ? dataSource_->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool readOnly)
{
    if (readOnly_ == readOnly) return;
    readOnly_ = readOnly;
    UpdateState();
}

void TDataLink::SetBufferCount(int count)
{
    count = std::max(count, 1);
    if (count == bufferCount_) return;
    bufferCount_ = count;
    if (TDataSet* ds = DataSet(); ds != nullptr && active_) {
        UpdateRange();
        ds->UpdateBufferCount();
        UpdateRange();
    }
}

void TDataLink::UpdateRange()
{
    const TDataSet* ds = DataSet();
    if (ds == nullptr) return;
    // The current record stays among this link's records, which start as early as the data
    // set's window allows.
    const int active = ds->activeRecord_;
    const int low = std::max(active - bufferCount_ + 1, 0);
    const int high = std::clamp(std::max(ds->recordCount_, ds->bufferCount_) - bufferCount_, 0, active);
    firstRecord_ = std::clamp(firstRecord_, low, std::max(low, high));
}

int TDataLink::RecordCount() const
{
    const TDataSet* ds = DataSet();
    if (ds == nullptr || !active_) return 0;
    return std::clamp(ds->recordCount_ - firstRecord_, 0, bufferCount_);
}

int TDataLink::ActiveRecord() const
{
    const TDataSet* ds = DataSet();
    if (ds == nullptr || !active_ || ds->state_ == dsSetKey) return 0;
    return ds->activeRecord_ - firstRecord_;
}

void TDataLink::SetActiveRecord(int index)
{
    TDataSet* ds = DataSet();
    if (ds == nullptr || !active_ || ds->state_ == dsSetKey) return;
    const int record = index + firstRecord_;
    if (record < 0 || record >= std::max(ds->recordCount_, 1)) return;
    ds->activeRecord_ = record;
}

bool TDataLink::Edit()
{
    if (!readOnly_ && dataSource_ != nullptr) dataSource_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord()
{
    updating_ = true;
    rtl::TScopeExit done([this] { updating_ = false; });
    UpdateData();
}

bool TDataLink::ExecuteAction(classes::TBasicAction* action) { return classes::ExecuteActionOn(action, dataSource_); }

bool TDataLink::UpdateAction(classes::TBasicAction* action) { return classes::UpdateActionOn(action, dataSource_); }

void TDataLink::UpdateState()
{
    const TDataSetState state = dataSource_ != nullptr ? dataSource_->State() : dsInactive;
    SetActive(state != dsInactive);
    SetEditing(InEditMode(state) && !readOnly_);
}

void TDataLink::SetActive(bool active)
{
    if (active_ == active) return;
    active_ = active;
    firstRecord_ = 0;
    if (active) UpdateRange();
    ActiveChanged();
}

void TDataLink::SetEditing(bool editing)
{
    if (editing_ == editing) return;
    editing_ = editing;
    EditingChanged();
}

void TDataLink::DataEvent(TDataEvent event, TField* field, int distance)
{
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!active_) return;
    switch (event) {
    case deFieldChange:
    case deRecordChange:
        if (!updating_) RecordChanged(field);
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
        int count = 0;
        if (TDataSet* ds = DataSet(); ds != nullptr && ds->state_ != dsSetKey) {
            const int active = ds->activeRecord_;
            const int first = firstRecord_ + distance;
            const int last = first + bufferCount_ - 1;
            if (active > last)
                count = active - last;
            else if (active < first)
                count = active - first;
            firstRecord_ = std::max(first + count, 0);
        }
        if (event == deDataSetChange)
            DataSetChanged();
        else if (event == deDataSetScroll)
            DataSetScrolled(count);
        else
            LayoutChanged();
        break;
    }
    case deUpdateRecord: UpdateRecord(); break;
    case deCheckBrowseMode: CheckBrowseMode(); break;
    case deRecordCountChange: RecordCountChanged(); break;
    case deFocusControl: {
        TField* f = field;
        FocusControl(f);
        break;
    }
    default: break;
    }
}

// ---- Field data link -----------------------------------------------------------------------

void TFieldDataLink::SetFieldName(const std::string& name)
{
    if (fieldName_ == name) return;
    fieldName_ = name;
    UpdateField();
}

void TFieldDataLink::UpdateField()
{
    TField* field = nullptr;
    if (Active() && !fieldName_.empty()) field = DataSet()->FieldByName(fieldName_);
    if (field != field_) {
        field_ = field;
        RecordChanged(nullptr);
    }
}

bool TFieldDataLink::CanModify() const { return !ReadOnly() && field_ != nullptr && field_->CanModify(); }

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

void TFieldDataLink::ActiveChanged()
{
    UpdateField();
    OnActiveChange(this);
}

void TFieldDataLink::EditingChanged() { OnEditingChange(this); }

void TFieldDataLink::FocusControl(TField*& field)
{
    if (field != nullptr && field == field_ && control_ != nullptr) {
        field = nullptr;
        OnFocusRequest(this);
    }
}

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* field)
{
    if (field == nullptr || field == field_) {
        modified_ = false;
        OnDataChange(this);
    }
}

void TFieldDataLink::UpdateData()
{
    if (!modified_) return;
    if (field_ != nullptr) OnUpdateData(this);
    modified_ = false;
}

}  // namespace db
