// Item lists.
#include "items/item_list.h"

#include <algorithm>

namespace orv {

ItemList::ItemList(int count, int level) {
    for (int i = 0; i < count; ++i) items_.push_back(Item::random(level));
}

ItemList::ItemList(int count, int level, int type) {
    for (int i = 0; i < count; ++i) items_.push_back(Item::random(level, type));
}

Item* ItemList::at(long i) const { return inside(i) ? items_[i].get() : nullptr; }

bool ItemList::hasConsumable() const {
    return std::any_of(items_.begin(), items_.end(), [](const auto& item) { return item->isConsumable(); });
}

void ItemList::add(std::unique_ptr<Item> item) {
    if (item) items_.push_back(std::move(item));
}

void ItemList::addByName(const std::string& name) { add(Item::fromName(name)); }

std::unique_ptr<Item> ItemList::take(long i) {
    if (!inside(i)) return nullptr;
    std::unique_ptr<Item> item = std::move(items_[i]);
    items_.erase(items_.begin() + i);
    return item;
}

void ItemList::erase(long i) {
    if (inside(i)) items_.erase(items_.begin() + i);
}

namespace {
template <typename Key>
void stableSortBy(std::vector<std::unique_ptr<Item>>& items, Key key) {
    std::stable_sort(items.begin(), items.end(), [&](const auto& a, const auto& b) { return key(*a) < key(*b); });
}
}  // namespace

void ItemList::sortByName() { stableSortBy(items_, [](const Item& i) { return i.name; }); }
void ItemList::sortByLevel() { stableSortBy(items_, [](const Item& i) { return i.stats[Level]; }); }
void ItemList::sortByType() { stableSortBy(items_, [](const Item& i) { return i.type; }); }
void ItemList::sortByPrice() { stableSortBy(items_, [](const Item& i) { return i.price; }); }

}  // namespace orv
