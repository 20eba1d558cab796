#pragma once
// A small editable data set over rows held in memory: a descendant of TDataSet written the way
// the ODBC query data set will be (record buffers with a bookmark and flag, a cursor, posting
// and deleting), so the base's contract is tested without a database.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/db/DataSet.h"

namespace dbtest {

struct MemColumn {
    std::string name;
    db::TFieldType type;
    int size = 0;
    bool required = false;
};

class TMemDataSet : public db::TDataSet {
public:
    explicit TMemDataSet(classes::TComponent* owner = nullptr) : TDataSet(owner) {}
    ~TMemDataSet() override { CloseOnDestroy(); }

    std::vector<MemColumn> columns;
    bool readOnly = false;

    void AddRow(std::vector<db::TVariant> values)
    {
        ids_.push_back(nextId_);
        rows_.push_back({nextId_++, std::move(values)});
    }
    // Rows in record order, as stored.
    std::vector<std::vector<db::TVariant>> Rows() const
    {
        std::vector<std::vector<db::TVariant>> out;
        for (long long id : ids_) out.push_back(Find(id)->values);
        return out;
    }
    int Position() const { return cursor_; }

protected:
    struct Header {
        long long id;
        int flag;
    };

    int GetRecordSize() const override { return sizeof(Header); }
    db::TGetResult GetRecord(db::TRecordBuffer buffer, db::TGetMode mode, bool) override
    {
        const int count = static_cast<int>(ids_.size());
        for (;;) {
            if (mode == db::gmNext) {
                if (cursor_ >= count - 1) {
                    cursor_ = count;
                    return db::grEOF;
                }
                ++cursor_;
            } else if (mode == db::gmPrior) {
                if (cursor_ <= 0) {
                    cursor_ = -1;
                    return db::grBOF;
                }
                --cursor_;
            } else if (cursor_ < 0 || cursor_ >= count) {
                return cursor_ < 0 ? db::grBOF : db::grEOF;
            }
            auto* h = reinterpret_cast<Header*>(buffer);
            h->id = ids_[static_cast<std::size_t>(cursor_)];
            h->flag = db::bfCurrent;
            if (FilterAccepts(buffer)) return db::grOK;
            if (mode == db::gmCurrent) mode = db::gmNext;
        }
    }
    void InternalOpen() override
    {
        InternalInitFieldDefs();
        if (DefaultFields()) CreateFields();
        BindFields(true);
        open_ = true;
        cursor_ = -1;
    }
    void InternalClose() override
    {
        BindFields(false);
        if (DefaultFields()) DestroyFields();
        open_ = false;
    }
    bool IsCursorOpen() const override { return open_; }
    void InternalInitFieldDefs() override
    {
        FieldDefs().Clear();
        for (const MemColumn& c : columns) FieldDefs().Add(c.name, c.type, c.size, c.required);
    }
    void InternalFirst() override { cursor_ = -1; }
    void InternalLast() override { cursor_ = static_cast<int>(ids_.size()); }
    void GetBookmarkData(db::TRecordBuffer buffer, db::TBookmark& bookmark) const override
    {
        const auto* h = reinterpret_cast<const Header*>(buffer);
        bookmark.resize(sizeof h->id);
        std::memcpy(bookmark.data(), &h->id, sizeof h->id);
    }
    void SetBookmarkData(db::TRecordBuffer buffer, const db::TBookmark& bookmark) override
    {
        std::memcpy(&reinterpret_cast<Header*>(buffer)->id, bookmark.data(), sizeof(long long));
    }
    db::TBookmarkFlag GetBookmarkFlag(db::TRecordBuffer buffer) const override
    {
        return static_cast<db::TBookmarkFlag>(reinterpret_cast<const Header*>(buffer)->flag);
    }
    void SetBookmarkFlag(db::TRecordBuffer buffer, db::TBookmarkFlag flag) override
    {
        reinterpret_cast<Header*>(buffer)->flag = flag;
    }
    void InternalGotoBookmark(const db::TBookmark& bookmark) override
    {
        long long id = 0;
        std::memcpy(&id, bookmark.data(), sizeof id);
        const auto it = std::find(ids_.begin(), ids_.end(), id);
        cursor_ = it == ids_.end() ? static_cast<int>(ids_.size()) : static_cast<int>(it - ids_.begin());
    }
    using TDataSet::GetFieldData;
    bool GetFieldData(db::TField* field, db::TRecordBuffer buffer, db::TVariant& value) const override
    {
        const auto* h = reinterpret_cast<const Header*>(buffer);
        const std::size_t col = static_cast<std::size_t>(field->FieldNo() - 1);
        if ((State() == db::dsEdit || State() == db::dsInsert) && buffer == ActiveBuffer()) {
            value = edit_[col];
        } else {
            if (h->flag != db::bfCurrent) return false;
            const Row* row = Find(h->id);
            if (row == nullptr) return false;
            value = row->values[col];
        }
        return !value.IsNull();
    }
    void SetFieldData(db::TField* field, const db::TVariant& value) override
    {
        edit_[static_cast<std::size_t>(field->FieldNo() - 1)] = value;
    }
    bool GetCanModify() const override { return !readOnly; }
    int GetRecordCount() const override { return static_cast<int>(ids_.size()); }
    int GetRecNo() const override
    {
        const db::TRecordBuffer b = GetActiveRecordBuffer();
        if (b == nullptr) return -1;
        const auto* h = reinterpret_cast<const Header*>(b);
        const auto it = std::find(ids_.begin(), ids_.end(), h->id);
        return it == ids_.end() ? -1 : static_cast<int>(it - ids_.begin()) + 1;
    }
    void InternalInitRecord(db::TRecordBuffer buffer) override
    {
        TDataSet::InternalInitRecord(buffer);
        edit_.assign(columns.size(), db::TVariant());
    }
    void InternalEdit() override { edit_ = Find(reinterpret_cast<const Header*>(ActiveBuffer())->id)->values; }
    void InternalPost() override
    {
        auto* h = reinterpret_cast<Header*>(ActiveBuffer());
        if (State() == db::dsEdit) {
            const_cast<Row*>(Find(h->id))->values = edit_;
            return;
        }
        const long long id = nextId_++;
        rows_.push_back({id, edit_});
        std::size_t at = ids_.size();
        if (h->flag == db::bfBOF) at = 0;
        if (h->flag == db::bfInserted) {
            const auto it = std::find(ids_.begin(), ids_.end(), h->id);
            at = static_cast<std::size_t>(it - ids_.begin());
        }
        ids_.insert(ids_.begin() + static_cast<long>(at), id);
        cursor_ = static_cast<int>(at);
    }
    void InternalDelete() override
    {
        const long long id = reinterpret_cast<const Header*>(ActiveBuffer())->id;
        std::erase(ids_, id);
        std::erase_if(rows_, [&](const Row& r) { return r.id == id; });
        if (cursor_ >= static_cast<int>(ids_.size())) cursor_ = static_cast<int>(ids_.size()) - 1;
    }

private:
    struct Row {
        long long id;
        std::vector<db::TVariant> values;
    };
    const Row* Find(long long id) const
    {
        for (const Row& r : rows_)
            if (r.id == id) return &r;
        return nullptr;
    }

    std::vector<Row> rows_;
    std::vector<long long> ids_;
    std::vector<db::TVariant> edit_;
    long long nextId_ = 1;
    int cursor_ = -1;
    bool open_ = false;
};

// A link that records what it was told, like a grid or an edit control would react.
class TRecordingLink : public db::TDataLink {
public:
    std::vector<std::string> events;
    int scrolled = 0;

protected:
    void ActiveChanged() override { events.push_back(Active() ? "active" : "inactive"); }
    void DataSetChanged() override { events.push_back("changed"); }
    void DataSetScrolled(int distance) override
    {
        scrolled += distance;
        events.push_back("scrolled");
    }
    void LayoutChanged() override { events.push_back("layout"); }
    void RecordChanged(db::TField* field) override
    {
        events.push_back(field != nullptr ? "field:" + field->FieldName() : "record");
    }
    void EditingChanged() override { events.push_back(Editing() ? "editing" : "browsing"); }
    void UpdateData() override { events.push_back("update"); }
};

}  // namespace dbtest
