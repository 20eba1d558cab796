#pragma once
// Collections: an owned, ordered list of items of one class, published as one property and
// written "Name = < item ... end >".

#include <string>
#include <vector>

#include "platform/classes/Persistent.h"

namespace classes {

class TCollection;

class TCollectionItem : public TPersistent {
    GW_CLASS(TCollectionItem)

public:
    // Adds itself to `collection` (when given).
    explicit TCollectionItem(TCollection* collection);
    // Leaves its collection.
    ~TCollectionItem() override;

    TCollection* Collection() const noexcept { return collection_; }
    // Moves the item to another collection (nullptr: to none).
    void SetCollection(TCollection* collection);
    // Position in the collection, -1 without one.
    int Index() const;
    void SetIndex(int index);
    // Unique within the collection, never reused.
    int ID() const noexcept { return id_; }
    // The name shown for the item; the class name by default.
    virtual std::string DisplayName() const;

    TPersistent* GetOwner() const override;

protected:
    // Tells the collection that this item (or, with allItems, every item) changed.
    void Changed(bool allItems);

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int id_ = 0;
};

class TCollection : public TPersistent {
    GW_CLASS(TCollection)

public:
    // A collection of items of class `itemClass` (which must be creatable from a
    // TCollection*), belonging to `owner`.
    explicit TCollection(const TClassInfo& itemClass, TPersistent* owner = nullptr);
    ~TCollection() override;

    const TClassInfo& ItemClass() const noexcept { return *itemClass_; }
    TPersistent* GetOwner() const override { return owner_; }

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    // EListError "List index out of bounds (N)" outside 0..Count-1.
    TCollectionItem* Items(int index) const;
    TCollectionItem* Add();
    TCollectionItem* Insert(int index);
    void Delete(int index);
    void Clear();

    // Changes inside an update are reported once, by the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const noexcept { return updateCount_; }

    // Replaces the items by copies of the source collection's items (each item's Assign).
    void Assign(const TPersistent& source) override;

protected:
    // An item (nullptr: the whole collection) changed. The default does nothing.
    virtual void Update(TCollectionItem* item);
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* item);
    void RemoveItem(TCollectionItem* item);

    const TClassInfo* itemClass_;
    TPersistent* owner_;
    std::vector<TCollectionItem*> items_;
    int nextId_ = 0;
    int updateCount_ = 0;
};

}  // namespace classes
