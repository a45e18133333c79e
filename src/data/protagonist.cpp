// Equipment, level arithmetic and spell learning of the two protagonists.
#include "data/protagonist.h"

#include <cmath>
#include <fstream>

#include "app/game.h"
#include "core/colors.h"
#include "core/paths.h"
#include "data/level_up.h"
#include "data/record.h"
#include "items/item.h"

namespace orv {

Protagonist::Protagonist() {
    for (std::size_t i = 0; i < ResistanceCount; ++i) resistances[i] = 1.0f;
    stats[Level] = 1.0f;
}

Protagonist::~Protagonist() = default;

Item* Protagonist::equipped(int slot) const {
    if (slot < 0 || slot >= SlotCount) return nullptr;
    return slots_[slot].get();
}

Item* Protagonist::equip(int slot, std::unique_ptr<Item> item) {
    if (slot < 0 || slot >= SlotCount) return nullptr;
    Item* old = slots_[slot].get();
    if (old) {
        effective.subtract(old->stats);
        effectiveResistances.subtract(old->resistances);
        itemKeeper().inventory.add(std::move(slots_[slot]));
    }
    if (item) {
        effective.add(item->stats);
        effectiveResistances.add(item->resistances);
    }
    slots_[slot] = std::move(item);
    return old;
}

void Protagonist::unequip(int slot) { equip(slot, nullptr); }

void Protagonist::unequipAll() {
    for (int slot = 0; slot < SlotCount; ++slot)
        if (slots_[slot]) unequip(slot);
}

bool Protagonist::useOrEquip(std::unique_ptr<Item> item) {
    if (!item) return false;
    const int type = item->type;
    if (type >= TypeBoots && type <= TypeHeadgear) {
        equip(type, std::move(item));
    } else if (type >= TypeGun && type <= TypeStaff) {
        equip(SlotWeapon, std::move(item));
    } else if (type >= TypeHp && type <= TypeHybrid) {
        effective.add(item->stats);
        if (effective[HP] > effective[MaxHP]) effective[HP] = effective[MaxHP];
        if (effective[MP] > effective[MaxMP]) effective[MP] = effective[MaxMP];
    } else {
        // Nothing to do with it: keep it rather than let it vanish.
        itemKeeper().inventory.add(std::move(item));
    }
    return true;
}

void Protagonist::copyBaseToEffective() {
    effective.copy(stats);
    effectiveResistances.copy(resistances);
}

void Protagonist::applyLevel(const StatBlock& increments) {
    // The build's own hit and magic points are its full ones, as creation
    // leaves them: they grow with their maxima, or a loaded game (which
    // starts from the build) would wake up with a level-1 hero's HP.
    StatBlock growth = increments;
    growth[HP] += increments[MaxHP];
    growth[MP] += increments[MaxMP];
    // A level does not heal: the hero fights on with the points they had.
    const float currentHP = effective[HP];
    const float currentMP = effective[MP];
    effective[Level] -= stats[Level];
    effective.subtract(stats);
    effectiveResistances.subtract(resistances);
    stats.add(growth);
    stats[Level] += 1;
    effective.add(stats);
    effectiveResistances.add(resistances);
    effective[Level] += stats[Level];
    effective[HP] = currentHP;
    effective[MP] = currentMP;
}

bool Protagonist::knowsSpell(const std::string& spellName) const {
    for (const Spell& spell : spells)
        if (spell.name == spellName) return true;
    return false;
}

void Protagonist::learnSpell(const Spell& spell) {
    if (knowsSpell(spell.name)) return;
    spells.push_back(spell);
    game().screen.addMessage(colorYellow + learnedSpellPrefix() + colorRed + spell.name + colorYellow +
                             "- !" + colorWhite);
}

void Protagonist::learnSpells(int heroLevel) {
    int maxLevel = spellRankForLevel(heroLevel);
    const int cap = static_cast<int>(std::trunc((stats[Magic] - 15.0f) / 2.0f));
    if (cap < maxLevel) maxLevel = cap;
    std::ifstream file = openDataFile("spells\\spells.txt");
    std::string line;
    std::string spellName;
    enum { Seeking, ReadName, SeekingLevel } step = Seeking;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "SPELL_BEGIN") {
            step = ReadName;
        } else if (step == ReadName) {
            spellName = line.size() > 6 ? line.substr(6) : "";
            step = SeekingLevel;
        } else if (step == SeekingLevel && line.rfind(" Level: ", 0) == 0) {
            step = Seeking;
            const float level = static_cast<float>(std::atof(line.c_str() + 8));
            if (level <= maxLevel || alwaysKnows(spellName)) learnSpell(Spell(spellName));
        }
    }
}

std::string Protagonist::toRecord() const {
    RecordWriter out;
    writeVitals(out, stats, "");
    writeVitals(out, effective, "mod");
    writeCore(out, stats, "");
    writeCore(out, effective, "mod");
    writeResistances(out, resistances, "");
    writeResistances(out, effectiveResistances, "mod");
    out.text("name", name);
    return out.str();
}

void Protagonist::fromRecord(std::string record) {
    readVitals(record, stats);
    readVitals(record, effective);
    readCore(record, stats);
    readCore(record, effective, false);
    readResistances(record, resistances);
    readResistances(record, effectiveResistances);
}

void Protagonist::reset() {
    stats.clear();
    resistances.clear();
    effective.clear();
    effectiveResistances.clear();
    spells.clear();
    inventory.clear();
    for (auto& slot : slots_) slot.reset();
    note.clear();
    className.clear();
}

bool Protagonist::isClassName(const std::string& text) {
    for (const char* known : {"Fighter", "Mage", "Rogue", "Outlaw", "Custom"})
        if (text == known) return true;
    return false;
}

}  // namespace orv
