#include "platform/classes/Collection.h"

#include "platform/rtl/Scope.h"

#include <algorithm>

namespace classes {

GW_IMPLEMENT_CLASS(TCollectionItem, TPersistent) {}

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* collection)
{
    if (collection == collection_) return;
    if (collection_ != nullptr) collection_->RemoveItem(this);
    if (collection != nullptr) collection->InsertItem(this);
}

int TCollectionItem::Index() const
{
    if (collection_ == nullptr) return -1;
    const auto& items = collection_->items_;
    return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int index)
{
    const int current = Index();
    if (current < 0 || index == current) return;
    auto& items = collection_->items_;
    index = std::clamp(index, 0, static_cast<int>(items.size()) - 1);
    items.erase(items.begin() + current);
    items.insert(items.begin() + index, this);
    Changed(true);
}

std::string TCollectionItem::DisplayName() const { return ClassName(); }

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

void TCollectionItem::Changed(bool allItems)
{
    if (collection_ != nullptr && collection_->updateCount_ == 0) collection_->Update(allItems ? nullptr : this);
}

GW_IMPLEMENT_CLASS(TCollection, TPersistent) {}

TCollection::TCollection(const TClassInfo& itemClass, TPersistent* owner) : itemClass_(&itemClass), owner_(owner) {}

TCollection::~TCollection()
{
    updateCount_ = 1;  // no notifications while going
    while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::Items(int index) const
{
    if (index < 0 || index >= Count()) throw rtl::EListError("List index out of bounds (" + std::to_string(index) + ")");
    return items_[static_cast<std::size_t>(index)];
}

TCollectionItem* TCollection::Add()
{
    TCollectionItem* item = itemClass_->CreateItem(this);
    // An item class whose constructor did not join the collection.
    if (item->collection_ != this) item->SetCollection(this);
    return item;
}

TCollectionItem* TCollection::Insert(int index)
{
    auto update = rtl::MakeScope(*this, &TCollection::BeginUpdate, &TCollection::EndUpdate);
    TCollectionItem* item = Add();
    item->SetIndex(index);
    return item;
}

void TCollection::Delete(int index) { delete Items(index); }

void TCollection::Clear()
{
    if (items_.empty()) return;
    auto update = rtl::MakeScope(*this, &TCollection::BeginUpdate, &TCollection::EndUpdate);
    while (!items_.empty()) delete items_.back();
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Assign(const TPersistent& source)
{
    const auto* other = dynamic_cast<const TCollection*>(&source);
    if (other == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this) return;
    auto update = rtl::MakeScope(*this, &TCollection::BeginUpdate, &TCollection::EndUpdate);
    Clear();
    for (TCollectionItem* item : other->items_) Add()->Assign(*item);
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Changed()
{
    if (updateCount_ == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item)
{
    items_.push_back(item);
    item->collection_ = this;
    item->id_ = nextId_++;
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
    item->collection_ = nullptr;
    Changed();
}

}  // namespace classes
