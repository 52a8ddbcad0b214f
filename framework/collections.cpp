#include "framework/collections.h"

#include <algorithm>

namespace quorvane {

const TClassInfo& TCollectionItem::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TCollectionItem", &TPersistent::StaticClass());
    return info;
}

int TCollectionItem::Index() const
{
    return collection_ ? collection_->IndexOf(this) : -1;
}

void TCollectionItem::SetIndex(int index)
{
    if (collection_) collection_->Move(Index(), index);
}

void TCollectionItem::Changed()
{
    if (collection_) collection_->Changed(this);
}

const TClassInfo& TCollection::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TCollection>("TCollection", &TPersistent::StaticClass(), [](PropRegistrar<TCollection>& p) {
            p.Integer("Count", &TCollection::Count, nullptr);
        });
    return info;
}

TCollection::TCollection(ItemFactory factory, std::function<void(TCollectionItem*)> update)
    : factory_(std::move(factory)), update_(std::move(update))
{
}

TCollection::~TCollection()
{
    // Items outlive no owner: nothing is told while the owner goes.
    update_ = nullptr;
    items_.clear();
}

TCollectionItem* TCollection::Items(int index) const
{
    if (index < 0 || index >= Count()) return nullptr;
    return items_[static_cast<size_t>(index)].get();
}

TCollectionItem* TCollection::AddItem()
{
    return InsertItem(Count());
}

TCollectionItem* TCollection::InsertItem(int index)
{
    index = std::clamp(index, 0, Count());
    auto item = factory_(this);
    TCollectionItem* added = item.get();
    items_.insert(items_.begin() + index, std::move(item));
    Changed(nullptr);
    return added;
}

void TCollection::Delete(int index)
{
    if (index < 0 || index >= Count()) return;
    std::unique_ptr<TCollectionItem> gone = std::move(items_[static_cast<size_t>(index)]);
    items_.erase(items_.begin() + index);
    gone->collection_ = nullptr;
    Changed(nullptr);
}

void TCollection::Clear()
{
    if (items_.empty()) return;
    for (auto& item : items_) item->collection_ = nullptr;
    items_.clear();
    Changed(nullptr);
}

int TCollection::IndexOf(const TCollectionItem* item) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item) return static_cast<int>(i);
    return -1;
}

void TCollection::Move(int from, int to)
{
    if (from < 0 || from >= Count()) return;
    to = std::clamp(to, 0, Count() - 1);
    if (from == to) return;
    auto item = std::move(items_[static_cast<size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(item));
    Changed(nullptr);
}

void TCollection::EndUpdate()
{
    if (updateCount_ == 0 || --updateCount_ > 0 || !pending_) return;
    pending_ = false;
    if (update_) update_(nullptr);
}

void TCollection::Changed(TCollectionItem* item)
{
    if (updateCount_ > 0) {
        pending_ = true;
        return;
    }
    if (update_) update_(item);
}

}  // namespace quorvane
