// Reading and scaling monsters.
#include "combat/monster.h"

#include <cstdlib>
#include <iostream>

#include "core/dice.h"
#include "data/record.h"
#include "data/simple_file.h"

namespace orv {

namespace {
const char* const kRecordMarker = "MONSTER_BEGIN";
constexpr int kPlanetDraws = 10;
constexpr int kAllDraws = 13;
}  // namespace

Monster Monster::random(int level, const std::string& planetName) {
    Monster monster;
    monster.planet = planetName;
    const int draw = rollDice() % kAllDraws;
    if (draw < kPlanetDraws) {
        SimpleFile file("monsters\\" + planetName + ".txt");
        for (int i = 0; i < draw; ++i) file.find(kRecordMarker, false);
        monster.readRecord(file);
    } else {
        SimpleFile file("monsters\\All Planets.txt");
        for (int i = 0; i < draw - kPlanetDraws; ++i) file.find(kRecordMarker, false);
        monster.readRecord(file);
    }
    monster.setLevel(static_cast<float>(level));
    return monster;
}

Monster Monster::boss(const std::string& bossName, int level) {
    Monster monster;
    // The whole name line first, so "Big" is not taken for "Big Boss"; then,
    // for files written otherwise, the name as the start of a name line.
    const std::string nameLine = std::string(kRecordMarker) + "\nName: " + bossName;
    SimpleFile file("monsters\\Bosses.txt");
    bool located = file.find(nameLine + "\n", false) >= 0;
    if (!located) {
        file.rewind();
        located = file.find(nameLine, false) >= 0;
    }
    if (!located) {
        // Kept off the game screen: the terminal belongs to the frame.
        std::cerr << "ERROR READING BOSS!" << std::endl;
        monster.found = false;
        return monster;
    }
    monster.readRecord(file);
    monster.setLevel(static_cast<float>(level));
    monster.isBoss = true;
    return monster;
}

void Monster::readRecord(SimpleFile& file) {
    name = file.readString();
    monsterType = file.readString();
    planet = file.readString();
    description = file.readString();
    for (Resistance r : {Fire, Ice, Light, Dark, Ether})
        resistances[r] = static_cast<float>(file.readNumber() / 100.0);
    stats[Speed] = static_cast<float>(file.readNumber());
    stats[Attack] = static_cast<float>(file.readNumber());
    stats[Magic] = static_cast<float>(file.readNumber());
    stats[LowDefence] = static_cast<float>(file.readNumber());
    stats[MidDefence] = static_cast<float>(file.readNumber());
    stats[HighDefence] = static_cast<float>(file.readNumber());
    lowerPart = file.readString();
    middlePart = file.readString();
    upperPart = file.readString();
    weapon = file.readString();
    weaponType = file.readString();
}

void Monster::setLevel(float level) {
    stats[Level] = level;
    stats[MaxHP] = 30 * level + 30;
    stats[MaxMP] = 10 * stats[MP] + 15;
    stats[HP] = stats[MaxHP];
    stats[MP] = stats[MaxMP];
    stats[Speed] = stats[Speed] + stats[Speed] * level * 0.2f;
    stats[Attack] = stats[Attack] + stats[Attack] * level * 0.5f;
    stats[Magic] = stats[Magic] + stats[Magic] * level * 0.2f;
    for (Stat defence : {LowDefence, MidDefence, HighDefence})
        stats[defence] = stats[defence] + 150 + stats[defence] * level * 0.0125f;
}

std::string Monster::toRecord() const {
    RecordWriter out;
    writeVitals(out, stats, "");
    writeCore(out, stats, "");
    writeResistances(out, resistances, "");
    out.text("mtype", monsterType).text("name", name);
    return out.str();
}

void Monster::fromRecord(std::string record) {
    readVitals(record, stats);
    readCore(record, stats);
    readResistances(record, resistances);
}

}  // namespace orv
