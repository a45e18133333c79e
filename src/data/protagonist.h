// What the player and the sidekick share: known spells, the effective
// statistics (base plus equipment, with current HP and MP), the item list
// and four equipment slots.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "data/entity.h"
#include "data/spell.h"
#include "items/item_list.h"

namespace orv {

enum EquipSlot : int { SlotBoots = 0, SlotShield, SlotVisor, SlotWeapon, SlotCount };

class Protagonist : public Entity {
public:
    Protagonist();
    ~Protagonist() override;
    Protagonist(const Protagonist&) = delete;
    Protagonist& operator=(const Protagonist&) = delete;

    std::vector<Spell> spells;
    StatBlock effective;
    ResistanceBlock effectiveResistances;
    ItemList inventory;
    std::string note;  // carried and saved; nothing in the game fills it yet

    // The protagonist whose list takes items coming off a slot: the
    // player's list is the party's only one.
    void setItemKeeper(Protagonist* keeper) { itemKeeper_ = keeper; }
    Protagonist& itemKeeper() { return itemKeeper_ ? *itemKeeper_ : *this; }

    Item* equipped(int slot) const;
    // Puts `item` into the slot (null empties it); the old item goes back to
    // the keeper's list and is returned.
    Item* equip(int slot, std::unique_ptr<Item> item);
    void unequip(int slot);
    void unequipAll();
    // Equips by kind, or drinks a potion. False only for no item.
    bool useOrEquip(std::unique_ptr<Item> item);

    // Base into effective: a freshly built character at full strength.
    void copyBaseToEffective();
    // Spends one level: the increments go into the base block and the
    // effective block grows with them, current HP and MP untouched.
    void applyLevel(const StatBlock& increments);

    bool knowsSpell(const std::string& spellName) const;
    // Learns every spell of the ranks a hero of `heroLevel` may know (one
    // rank more every fourteen levels), as far as magic allows: rank r wants
    // magic 15 + 2r.
    void learnSpells(int heroLevel);
    void learnSpell(const Spell& spell);

    // The 32-field record handed to the battle scripts, and reading its
    // 31 numbers back (the name is never read back).
    std::string toRecord() const;
    void fromRecord(std::string record);

    // Clears everything a new game must not inherit.
    virtual void reset();

    // The classes a hero or sidekick can be built as ("Custom" is the
    // player's own build); any other text names no class.
    static bool isClassName(const std::string& text);

protected:
    virtual std::string learnedSpellPrefix() const = 0;
    virtual bool alwaysKnows(const std::string& spellName) const {
        (void)spellName;
        return false;
    }

private:
    std::array<std::unique_ptr<Item>, SlotCount> slots_;
    Protagonist* itemKeeper_ = nullptr;
};

}  // namespace orv
