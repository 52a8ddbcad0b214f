// Collections: ordered lists of items with published properties that a
// control owns (status panels, header sections, list columns, cool bands).
// The control hears of every change and mirrors it into its window.
#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "framework/component.h"

namespace quorvane {

class TCollection;

class TCollectionItem : public TPersistent {
    QUORVANE_CLASS(TCollectionItem)
public:
    explicit TCollectionItem(TCollection* collection) : collection_(collection) {}

    TCollection* Collection() const { return collection_; }
    // Position in the collection, -1 once removed.
    int Index() const;
    void SetIndex(int index);

protected:
    // Tells the collection (and so its owner) that this item changed.
    void Changed();

private:
    friend class TCollection;
    TCollection* collection_;
};

class TCollection : public TPersistent {
    QUORVANE_CLASS(TCollection)
public:
    using ItemFactory = std::function<std::unique_ptr<TCollectionItem>(TCollection*)>;
    // `update` runs after every change with the item that changed, or null
    // when the list itself changed (items added, removed or moved).
    TCollection(ItemFactory factory, std::function<void(TCollectionItem*)> update);
    ~TCollection() override;

    int Count() const { return static_cast<int>(items_.size()); }
    TCollectionItem* Items(int index) const;
    TCollectionItem* AddItem();
    TCollectionItem* InsertItem(int index);
    void Delete(int index);
    void Clear();
    int IndexOf(const TCollectionItem* item) const;
    void Move(int from, int to);

    // Changes inside BeginUpdate/EndUpdate are told once, at the end.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

private:
    friend class TCollectionItem;
    void Changed(TCollectionItem* item);

    ItemFactory factory_;
    std::function<void(TCollectionItem*)> update_;
    std::vector<std::unique_ptr<TCollectionItem>> items_;
    int updateCount_ = 0;
    bool pending_ = false;
};

// A collection of one item type: Add() and Items() answer that type.
template <class Item>
class TOwnedCollection : public TCollection {
public:
    explicit TOwnedCollection(std::function<void(TCollectionItem*)> update)
        : TCollection([](TCollection* c) { return std::make_unique<Item>(c); }, std::move(update))
    {
    }
    Item* Add() { return static_cast<Item*>(AddItem()); }
    Item* Insert(int index) { return static_cast<Item*>(InsertItem(index)); }
    Item* operator[](int index) const { return static_cast<Item*>(Items(index)); }
    Item* At(int index) const { return static_cast<Item*>(Items(index)); }
};

}  // namespace quorvane
