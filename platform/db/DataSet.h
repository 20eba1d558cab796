#pragma once
// Data sets, data sources and data links: the class library's model of a cursor over records
// that data-aware controls show and edit.
//
// TDataSet keeps a window of record buffers around the current record (as many as its
// largest data link asks for) and moves through the records of its descendant, which owns
// the storage: a descendant implements the record-buffer operations (allocate, fill from
// its cursor, bookmarks), field data, and, when it can be changed, posting and deleting.
// Controls see the data set through a TDataSource and their own TDataLink, which is told of
// scrolling, changed records and fields, layout and state changes; DisableControls holds
// these notices back (nested) until the matching EnableControls.
//
// Error texts are the class library's ("Cannot perform this operation on a closed dataset",
// "Dataset not in edit or insert mode", "Field 'X' not found" ...), prefixed with the data
// set's name when it has one.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/Sets.h"
#include "platform/db/DbErrors.h"
#include "platform/db/Fields.h"
#include "platform/db/Variant.h"

namespace db {

class TDataSource;
class TDataLink;

enum TDataSetState {
    dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue, dsOldValue,
    dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};

enum TDataEvent {
    deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange, deUpdateRecord,
    deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange, deFocusControl,
    // More records were read in (RecordsRead grew) without the current record moving.
    deRecordCountChange
};

enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TResyncModeFlag { rmExact, rmCenter };
using TResyncMode = classes::TSet<TResyncModeFlag>;
enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = classes::TSet<TLocateOption>;
enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };
enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// Opaque bytes identifying a record of a data set; empty when there is none.
using TBookmark = std::vector<std::uint8_t>;
using TRecordBuffer = std::uint8_t*;

using TDataSetNotifyEvent = classes::TEvent<TDataSet*>;
using TFilterRecordEvent = classes::TEvent<TDataSet*, bool&>;
// A record filter installed on a data set: answers whether the record the fields read now
// (the one being tested) shows.
using TRecordFilter = std::function<bool(TDataSet&)>;
// Names an installed record filter; 0 names none.
using TRecordFilterHandle = std::uint32_t;

// A stream over one blob field's value. Destroying a stream that was written stores the new
// value in the field.
class TBlobStream {
public:
    virtual ~TBlobStream() = default;
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    // The new position; EStreamError "Invalid stream operation" before the start.
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual std::int64_t Size() const = 0;
    std::int64_t Position() { return Seek(0, soCurrent); }
    // The whole value from the current position on.
    std::string ReadAll();
};

class TDataSet : public classes::TComponent {
    GW_CLASS(TDataSet)

public:
    explicit TDataSet(classes::TComponent* owner);
    ~TDataSet() override;

    // ---- Opening and state --------------------------------------------------------------
    // dsOpening while the descendant opens its storage and reads the first records.
    bool Active() const noexcept { return state_ != dsInactive && state_ != dsOpening; }
    void SetActive(bool active);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TDataSetState State() const noexcept { return state_; }
    bool Modified() const noexcept { return modified_; }
    bool CanModify() const { return GetCanModify(); }
    // EDatabaseError "Cannot perform this operation on a closed / an open dataset".
    void CheckActive() const;
    void CheckInactive() const;

    // ---- Navigation ---------------------------------------------------------------------
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves up to `distance` records; answers how many it moved (negative backwards).
    int MoveBy(int distance);
    bool Bof() const noexcept { return bof_; }
    bool Eof() const noexcept { return eof_; }
    bool IsEmpty() const noexcept { return recordCount_ == 0 && state_ != dsInsert; }
    // The exact number of records, as the descendant knows it (-1 when it cannot tell). A
    // descendant that reads its records as they are wanted reads the rest first.
    int RecordCount() const;
    // The records counted without reading any further: RecordCount once the descendant has
    // read every record, those read so far before (what a scroll bar can show without
    // waiting for the rest; it grows as they are read).
    int RecordsRead() const;
    // 1-based number of the current record, -1 when unknown.
    int RecNo() const;
    void SetRecNo(int recNo);
    // Whether RecNo and RecordCount are meaningful (record numbers a scroll bar can use);
    // false unless the descendant keeps its records in a known order it can count.
    virtual bool IsSequenced() const { return false; }

    // ---- Bookmarks ----------------------------------------------------------------------
    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark& bookmark);
    // Bookmarks are values; freeing one is a no-op kept for callers that pair it.
    void FreeBookmark(TBookmark& bookmark) const { bookmark.clear(); }
    virtual bool BookmarkValid(const TBookmark& bookmark) const;
    // <0, 0, >0 in record order; empty bookmarks sort first.
    virtual int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;

    // Moves to the first record whose key fields (names separated by ";") hold `values`
    // (one per key field); stays where it was and answers false when none does.
    bool Locate(const std::string& keyFields, const std::vector<TVariant>& values, TLocateOptions options = {});
    bool Locate(const std::string& keyField, const TVariant& value, TLocateOptions options = {})
    {
        return Locate(keyField, std::vector<TVariant>{value}, options);
    }

    // ---- Editing ------------------------------------------------------------------------
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    // Posts or cancels a pending edit; raises when the data set is closed.
    void CheckBrowseMode();
    // Lets the data-aware controls write their pending input into the fields.
    void UpdateRecord();
    // Re-reads the window around the cursor (after a post, delete or reorder).
    void Resync(TResyncMode mode);
    // Brings the descendant's cursor onto the active record (before asking it for RecNo).
    void UpdateCursorPos();

    // ---- Fields -------------------------------------------------------------------------
    TFields& Fields() noexcept { return fields_; }
    const TFields& Fields() const noexcept { return fields_; }
    int FieldCount() const noexcept { return fields_.Count(); }
    TFieldDefs& FieldDefs() noexcept { return fieldDefs_; }
    TField* FindField(std::string_view name) const { return fields_.FindField(name); }
    TField* FieldByName(std::string_view name) const { return fields_.FieldByName(name); }
    bool DefaultFields() const noexcept { return defaultFields_; }

    // ---- Data-aware controls ------------------------------------------------------------
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const noexcept { return disableCount_ != 0; }

    // ---- Invariants ---------------------------------------------------------------------
    // Checks the window of record buffers: counts within bounds, one distinct buffer per
    // slot, the active record inside the window, no record buffered twice (by bookmark) and,
    // while browsing, the window as full as the records allow; then each buffered record as
    // the descendant sees it. Raises std::logic_error naming the first
    // broken rule. Debug builds check this after every move and change; tests call it after
    // their random walks and edits.
    void CheckConsistency() const;

    // ---- Filtering ----------------------------------------------------------------------
    bool Filtered() const noexcept { return filtered_; }
    virtual void SetFiltered(bool filtered);
    const std::string& Filter() const noexcept { return filterText_; }
    virtual void SetFilterText(const std::string& text);
    // Record filters belong to the cursor rather than to Filtered: every installed one is
    // asked for every record, beside Filter and OnFilterRecord, whether Filtered is set or
    // not; a record shows when all of them accept it. Installing or removing one re-reads the
    // records (from the first). A filter that raises while the records are re-read is not
    // installed and the error goes on to the caller; a removed filter stays removed. Installed
    // or removed by a filter while it is asked, the change holds from the next record on and
    // nothing is re-read.
    TRecordFilterHandle AddRecordFilter(TRecordFilter filter);
    // False when no installed filter has that handle (0 included).
    bool RemoveRecordFilter(TRecordFilterHandle handle);
    bool HasRecordFilters() const noexcept { return !recordFilters_.empty(); }

    // ---- Blobs --------------------------------------------------------------------------
    // A stream over the field's value in the current record.
    virtual std::unique_ptr<TBlobStream> CreateBlobStream(TField* field, TBlobStreamMode mode);

    // ---- Events -------------------------------------------------------------------------
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord;
    TFilterRecordEvent OnFilterRecord;

    void Loaded() override;
    void Notification(classes::TComponent* component, classes::TOperation operation) override;

    // Values as the data set holds them in the current record buffer (false: null).
    // Calculated and lookup fields read the value their record was given when it was fetched.
    bool GetFieldData(TField* field, TVariant& value) const;

    // Calculated and lookup fields: each record read into a buffer gets its own values, set
    // by CalculateFields (OnCalcFields) with the data set in the dsCalcFields state, where
    // only those fields can be written and the others read the record being calculated.
    // They can be written in edit and insert mode too; writing them never marks the record
    // modified. A record that is not recalculated keeps them null.
    TDataSetNotifyEvent OnCalcFields;

    // Tells the data sources and their links about a change.
    void DataEvent(TDataEvent event, TField* field = nullptr, int distance = 0);

protected:
    // ---- What a descendant implements -----------------------------------------------------
    virtual TRecordBuffer AllocRecordBuffer();
    virtual void FreeRecordBuffer(TRecordBuffer& buffer);
    virtual int GetRecordSize() const { return 0; }
    virtual void InitRecord(TRecordBuffer buffer);
    // Moves the descendant's cursor (gmNext, gmPrior) or stays (gmCurrent) and fills
    // `buffer` with that record. grBOF / grEOF when the cursor left the records; with
    // `doCheck`, failures other than those raise.
    virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) = 0;
    // Opens the storage and leaves the cursor before the first record. A descendant reads its
    // field definitions, calls CreateFields when DefaultFields(), then BindFields(true).
    virtual void InternalOpen() = 0;
    // Closes the storage; a descendant calls BindFields(false) and, when DefaultFields(),
    // DestroyFields().
    virtual void InternalClose() = 0;
    virtual bool IsCursorOpen() const = 0;
    virtual void InternalInitFieldDefs() = 0;
    // Cursor before the first record / after the last one.
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    // Cursor onto the record held in `buffer`.
    virtual void InternalSetToRecord(TRecordBuffer buffer);
    virtual void GetBookmarkData(TRecordBuffer buffer, TBookmark& bookmark) const;
    virtual void SetBookmarkData(TRecordBuffer buffer, const TBookmark& bookmark);
    virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) const;
    virtual void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag);
    virtual void InternalGotoBookmark(const TBookmark& bookmark);
    virtual bool GetFieldData(TField* field, TRecordBuffer buffer, TVariant& value) const = 0;
    // Stores the (already checked and converted) value in the active buffer.
    virtual void SetFieldData(TField* field, const TVariant& value);
    virtual TRecordBuffer GetOldValueBuffer() const { return nullptr; }
    virtual bool GetCanModify() const { return true; }
    virtual int GetRecordCount() const { return -1; }
    virtual int GetRecordsRead() const { return GetRecordCount(); }
    virtual bool GetAllRecordsRead() const { return true; }
    virtual int GetRecNo() const { return -1; }
    virtual void InternalInitRecord(TRecordBuffer buffer);
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    virtual void InternalCancel() {}
    virtual void InternalPost();
    virtual void InternalDelete();
    // Adds the record of `buffer` (appended, or inserted before the cursor).
    virtual void InternalAddRecord(TRecordBuffer buffer, bool append);
    // Locate as a descendant does it faster; the default walks the records.
    virtual bool LocateRecord(const std::string& keyFields, const std::vector<TVariant>& values,
                              TLocateOptions options, bool syncCursor);
    // Fills the calculated and lookup fields of the record being calculated; the default
    // fires OnCalcFields.
    virtual void CalculateFields() { OnCalcFields(this); }
    // What is wrong with a buffered record as the descendant holds it; empty when nothing is.
    virtual std::string RecordBufferFault(TRecordBuffer /*buffer*/) const { return {}; }

    // ---- Helpers for descendants ----------------------------------------------------------
    // Creates a field per definition, owned by this data set.
    void CreateFields();
    void DestroyFields();
    // Gives every field its column number (binding true) or unbinds them; a persistent
    // field without a matching definition raises "Field 'X' not found".
    void BindFields(bool binding);
    // The buffer of the record the fields read now (depends on the state).
    virtual TRecordBuffer GetActiveRecordBuffer() const;
    TRecordBuffer ActiveBuffer() const;
    int ActiveRecord() const noexcept { return activeRecord_; }
    int BufferCount() const noexcept { return bufferCount_; }
    int BufferedRecordCount() const noexcept { return recordCount_; }
    TRecordBuffer Buffer(int index) const { return buffers_[static_cast<std::size_t>(index)]; }
    void CursorPosChanged() noexcept { currentRecord_ = -1; }
    void SetState(TDataSetState state);
    void SetModified(bool modified) noexcept { modified_ = modified; }
    // Whether the record in `buffer` shows: OnFilterRecord when Filtered is set, then every
    // record filter, with the fields reading that buffer in the filter state. A descendant
    // that filters its own text asks this after the text accepted the record.
    bool FilterAccepts(TRecordBuffer buffer);
    // Whether FilterAccepts has anything to ask.
    bool FilterAsksRecords() const noexcept { return (filtered_ && OnFilterRecord) || !recordFilters_.empty(); }
    // Re-reads the records after the record filters changed (never while a filter is being
    // asked); the default moves to the first.
    virtual void RecordFiltersChanged();
    // Called once records have been read and the cursor placed: after the open (in dsBrowse,
    // before AfterOpen) and after First, Last, MoveBy and Resync (before AfterScroll). A
    // descendant takes back what it showed while its record filters were asked (a wait
    // cursor) and does what had to wait until no filter was being asked.
    virtual void RecordsSettled() {}
    // The step before a post reaches the descendant: fires BeforePost. A descendant that
    // checks the record first calls it, then checks.
    virtual void DoBeforePost() { BeforePost(this); }
    bool AskingFilters() const noexcept { return askingFilters_ != 0; }
    void ClearBuffers();
    // Closes the data set without its close events; a descendant's destructor calls it
    // (a closed data set's storage is the descendant's, which the base cannot free).
    void CloseOnDestroy();

private:
    friend class TField;
    friend class TFieldDefs;
    friend class TFields;
    friend class TDataLink;
    friend class TDataSource;

    void OpenCursor();
    void CloseCursor();
    void SetBufferCount(int count);
    void UpdateBufferCount();
    void ActivateBuffers();
    bool GetNextRecord();
    bool GetPriorRecord();
    int GetNextRecords();
    int GetPriorRecords();
    void SetCurrentRecord(int index);
    void MoveBuffer(int from, int to);
    void BeginInsertAppend();
    void EndInsertAppend();
    void CheckCanModify() const;
    void SetFieldValue(TField* field, const TVariant& value);
    bool HasCalcFields() const;
    // Fills the calculated fields of a buffer just read (nothing without such fields).
    void GetCalcFields(TRecordBuffer buffer);
    TGetResult FetchRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck);
    void AddDataSource(TDataSource* source);
    void RemoveDataSource(TDataSource* source);
    void AdjustFirstRecords(int delta);
    void InitFieldDefs();
    std::string ConsistencyFault() const;

    TDataSetState state_ = dsInactive;
    TFields fields_;
    TFieldDefs fieldDefs_;
    std::vector<TDataSource*> dataSources_;
    std::vector<TRecordBuffer> buffers_;  // bufferCount_ + 1 buffers; the last one is scratch
    int bufferCount_ = 0;
    int recordCount_ = 0;
    int activeRecord_ = 0;
    int currentRecord_ = -1;
    bool bof_ = true;
    bool eof_ = true;
    bool modified_ = false;
    bool defaultFields_ = false;
    bool streamedActive_ = false;
    bool internalOpenComplete_ = false;
    int disableCount_ = 0;
    TDataSetState disableState_ = dsInactive;
    TDataEvent enableEvent_ = deDataSetChange;
    bool filtered_ = false;
    std::string filterText_;
    TRecordBuffer filterBuffer_ = nullptr;
    TRecordBuffer calcBuffer_ = nullptr;
    // The calculated fields' values of each buffer that holds any.
    std::map<const std::uint8_t*, std::vector<std::pair<const TField*, TVariant>>> calcValues_;
    // Shared, so that a filter removed while it is asked lives until its call returns.
    std::vector<std::pair<TRecordFilterHandle, std::shared_ptr<const TRecordFilter>>> recordFilters_;
    TRecordFilterHandle lastFilterHandle_ = 0;
    int askingFilters_ = 0;
    bool destroying_ = false;
};

// Connects data-aware controls (through their data links) to a data set.
class TDataSource : public classes::TComponent {
    GW_CLASS(TDataSource)

public:
    explicit TDataSource(classes::TComponent* owner);
    ~TDataSource() override;

    TDataSet* DataSet() const noexcept { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled);
    bool AutoEdit() const noexcept { return autoEdit_; }
    void SetAutoEdit(bool autoEdit) { autoEdit_ = autoEdit; }
    // The data set's state, dsInactive when disabled or without a data set.
    TDataSetState State() const noexcept { return state_; }
    // Puts the data set into edit mode when AutoEdit allows it.
    void Edit();
    int LinkCount() const noexcept { return static_cast<int>(links_.size()); }

    classes::TEvent<TDataSource*> OnStateChange;
    // (source, field): the field that changed, or nullptr when the record or the data set did.
    classes::TEvent<TDataSource*, TField*> OnDataChange;
    classes::TEvent<TDataSource*> OnUpdateData;

    void Notification(classes::TComponent* component, classes::TOperation operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;
    void DataEvent(TDataEvent event, TField* field, int distance);
    void NotifyLinks(TDataEvent event, TField* field, int distance);
    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);
    void UpdateState();

    TDataSet* dataSet_ = nullptr;
    bool enabled_ = true;
    bool autoEdit_ = true;
    TDataSetState state_ = dsInactive;
    std::vector<TDataLink*> links_;
};

// A control's view of a data source: the records it shows (BufferCount of them, from
// FirstRecord on in the data set's window) and notices of every change.
class TDataLink {
public:
    TDataLink();
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const noexcept { return dataSource_; }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const;
    bool Active() const noexcept { return active_; }
    bool Editing() const noexcept { return editing_; }
    bool ReadOnly() const noexcept { return readOnly_; }
    void SetReadOnly(bool readOnly);

    int BufferCount() const noexcept { return bufferCount_; }
    void SetBufferCount(int count);
    // Records of the window this link sees (at most BufferCount).
    int RecordCount() const;
    // Which of the link's records the fields read (0-based); setting it lets a grid read
    // the fields of each row it paints.
    int ActiveRecord() const;
    void SetActiveRecord(int index);
    // Offset of the link's first record in the data set's window.
    int FirstRecord() const noexcept { return firstRecord_; }
    // Puts the data set into edit mode; false when it cannot.
    bool Edit();
    void UpdateRecord();

    // Offers `action` to the linked data source: true when the action handles it and acted
    // (a data-set action on the data set of the control this link belongs to).
    bool ExecuteAction(classes::TBasicAction* action);
    bool UpdateAction(classes::TBasicAction* action);

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int /*distance*/) { DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void FocusControl(TField*& /*field*/) {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* /*field*/) {}
    virtual void RecordCountChanged() {}
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    friend class TDataSet;
    void DataEvent(TDataEvent event, TField* field, int distance);
    void UpdateState();
    void UpdateRange();
    void SetActive(bool active);
    void SetEditing(bool editing);

    TDataSource* dataSource_ = nullptr;
    bool active_ = false;
    bool editing_ = false;
    bool readOnly_ = false;
    bool updating_ = false;
    int bufferCount_ = 1;
    int firstRecord_ = 0;
};

// The link of a control that shows one field.
class TFieldDataLink : public TDataLink {
public:
    TFieldDataLink() = default;

    const std::string& FieldName() const noexcept { return fieldName_; }
    void SetFieldName(const std::string& name);
    // The field of that name in the active data set, or nullptr.
    TField* Field() const noexcept { return field_; }
    // The control this link belongs to (for focus requests).
    classes::TComponent* Control() const noexcept { return control_; }
    void SetControl(classes::TComponent* control) { control_ = control; }
    bool CanModify() const;
    bool Modified() const noexcept { return modified_; }
    // Marks the control's value as changed (the control will write it on UpdateRecord).
    void SetModified() noexcept { modified_ = true; }
    // Throws the control's pending change away and shows the field's value again.
    void Reset();

    classes::TEvent<TFieldDataLink*> OnDataChange;
    classes::TEvent<TFieldDataLink*> OnEditingChange;
    classes::TEvent<TFieldDataLink*> OnUpdateData;
    classes::TEvent<TFieldDataLink*> OnActiveChange;
    classes::TEvent<TFieldDataLink*> OnFocusRequest;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void FocusControl(TField*& field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;

private:
    void UpdateField();

    std::string fieldName_;
    TField* field_ = nullptr;
    classes::TComponent* control_ = nullptr;
    bool modified_ = false;
};

}  // namespace db
