// An ordered list of owned items: the party's inventory and shop shelves.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "items/item.h"

namespace orv {

class ItemList {
public:
    ItemList() = default;
    ItemList(int count, int level);            // random items of a level
    ItemList(int count, int level, int type);  // random items of a level and type

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    // The item at i, or null outside the list.
    Item* at(long i) const;
    bool hasConsumable() const;

    void add(std::unique_ptr<Item> item);
    void addByName(const std::string& name);
    // Hands the item at i to the caller (null outside the list).
    std::unique_ptr<Item> take(long i);
    void erase(long i);
    void clear() { items_.clear(); }

    // Stable sorts: sorting by level and then by type groups the items by
    // type with ascending levels inside each group.
    void sortByName();
    void sortByLevel();
    void sortByType();
    void sortByPrice();

private:
    bool inside(long i) const { return i >= 0 && static_cast<std::size_t>(i) < items_.size(); }
    std::vector<std::unique_ptr<Item>> items_;
};

}  // namespace orv
