// Making items: random ones by level and type, and rebuilding one from its name.
#include "items/item.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/game.h"
#include "core/dice.h"
#include "core/text.h"
#include "items/item_files.h"

namespace orv {

const char* const kItemBaseFiles[ItemTypeCount] = {
    "items\\boots.txt", "items\\shields.txt", "items\\headgear.txt", "items\\guns.txt",  "items\\swords.txt",
    "items\\staffs.txt", "items\\hp.txt",     "items\\mp.txt",       "items\\hybrid.txt"};
const char* const kPrefixFile = "items\\prefix.txt";
const char* const kSuffixFile = "items\\suffix.txt";

namespace {

constexpr std::streamsize kSkipLimit = 256;

// The dice the item generator rolls: 1.8 to 2.2 in steps of 0.02.
float roll() { return 2.0f * static_cast<float>(rollDice() % 21 + 90) / 100.0f; }

// rand() % n for a range the level decides; a level low enough to make the
// range empty must not divide by zero.
int randomBelow(int n) { return n > 0 ? rollDice() % n : 0; }

// An item file may hold any number as a level (the content check names the
// absurd ones); the affix arithmetic takes it only within what the game could
// ever make, so no roll range overflows and no bonus loop runs for ever.
float affixLevel(float level) {
    constexpr float kHighestAffixLevel = 1e6f;
    if (std::isnan(level)) return 0.0f;
    return std::clamp(level, -kHighestAffixLevel, kHighestAffixLevel);
}

int randomType() {
    const int r = rollDice() % 100;
    if (r < 10) return TypeBoots;
    if (r < 20) return TypeShield;
    if (r < 30) return TypeHeadgear;
    if (r < 36) return TypeGun;
    if (r < 43) return TypeSword;
    if (r < 50) return TypeStaff;
    if (r < 70) return TypeHp;
    if (r < 90) return TypeMp;
    return TypeHybrid;
}

int elementIndex(const std::string& word) {
    if (word == "fire") return 0;
    if (word == "ice") return 1;
    if (word == "light") return 2;
    if (word == "dark") return 3;
    return 4;
}

int suffixKindIndex(const std::string& word) {
    if (word == "Attack") return 0;
    if (word == "Defense") return 1;
    if (word == "Hp") return 2;
    if (word == "Mp") return 3;
    if (word == "Magic") return 4;
    return 5;
}

void reportUnreadable(const std::string& path) { game().screen.addArtLine("Could not open file:" + path); }

std::streamoff streamLength(std::istream& in) {
    in.seekg(0, std::ios::end);
    const std::streamoff length = in.tellg();
    in.seekg(0, std::ios::beg);
    return length < 0 ? 0 : length;
}

// Seeks to an affix file's section and searches it by level.
std::string findAffix(const char* file, bool suffix, int section, float& level);

}  // namespace

namespace item_scan {

std::string readName(std::istream& in) {
    std::string name;
    in.ignore(kSkipLimit, '_');
    in.ignore(kSkipLimit, ':');
    in.ignore(1);
    if (std::getline(in, name) && !name.empty() && name.back() == '\r') name.pop_back();
    return name;
}

std::string readText(std::istream& in) {
    std::string text;
    in.ignore(kSkipLimit, ':');
    in.ignore(1);
    if (std::getline(in, text) && !text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

float readNumber(std::istream& in) {
    float value = 0;
    in.ignore(kSkipLimit, ':');
    in.ignore(1);
    in >> value;
    return value;
}

std::string findByLevel(std::istream& in, const std::string& path, float& level) {
    if (!in.good()) {
        reportUnreadable(path);
        return "";
    }
    std::string name;
    float recordLevel = 0;
    std::streampos lastRecord = -1;
    do {
        std::string candidate = readName(in);
        const float candidateLevel = readNumber(in);
        if (in.fail()) break;
        name = candidate;
        recordLevel = candidateLevel;
        lastRecord = in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in);
    } while (in.good() && level > recordLevel);
    // Running off the end of the file settles on the last record; go back to
    // it so its statistics are read like any other record's.
    if (!in.good() && lastRecord != std::streampos(-1)) {
        in.clear();
        in.seekg(lastRecord);
    }
    level = recordLevel;
    return name;
}

std::size_t findByName(std::istream& in, const std::string& path, const std::string& fullName,
                       std::size_t position) {
    if (!in.good()) {
        reportUnreadable(path);
        return position;
    }
    while (true) {
        const std::string candidate = readName(in);
        const bool read = !in.fail();
        // An empty name would match anything; it names nothing.
        if (read && !candidate.empty() && position <= fullName.size() &&
            fullName.compare(position, candidate.size(), candidate) == 0)
            return position + candidate.size() + 1;
        if (!in.good()) return position;
    }
}

}  // namespace item_scan

namespace {
std::string findAffix(const char* file, bool suffix, int section, float& level) {
    auto in = itemFiles().open(file);
    const std::streamoff length = in->good() ? streamLength(*in) : 0;
    if (in->good()) in->seekg(affixSectionOffset(length, suffix, section));
    return item_scan::findByLevel(*in, file, level);
}
}  // namespace

std::streamoff affixSectionOffset(std::streamoff length, bool suffix, int section) {
    const std::streamoff offset = suffix ? (length / 6 - 10) * section : length / 5 * section;
    return std::max<std::streamoff>(0, offset);
}

namespace {
}  // namespace

std::unique_ptr<Item> Item::random(int level) {
    auto item = std::make_unique<Item>();
    item->type = randomType();
    item->generate(level);
    return item;
}

std::unique_ptr<Item> Item::random(int level, int type) {
    auto item = std::make_unique<Item>();
    item->type = type >= 0 && type < ItemTypeCount ? type : TypeBoots;
    item->generate(level);
    return item;
}

void Item::generate(int level) {
    hasPrefix = hasSuffix = false;
    name.clear();
    stats[Level] = static_cast<float>(level - (randomBelow(level / 4 + 1) + 5));
    {
        auto in = itemFiles().open(kItemBaseFiles[type]);
        name = item_scan::findByLevel(*in, kItemBaseFiles[type], stats[Level]);
        if (in->good()) {
            description = item_scan::readText(*in);
            readStatistics(*in);
        }
    }
    if (isConsumable()) return;
    switch (rollDice() % 4) {
        case 0:
            applyPrefix(stats[Level], "");
            applySuffix(stats[Level], "");
            break;
        case 1: applyPrefix(stats[Level], ""); break;
        case 2: applySuffix(stats[Level], ""); break;
        default: break;
    }
}

void Item::readStatistics(std::istream& in) {
    const float c = roll();
    const float level = stats[Level];
    switch (type) {
        case TypeBoots: {
            stats[Speed] = item_scan::readNumber(in) * c;
            const float lowDefence = item_scan::readNumber(in);
            stats[LowDefence] = lowDefence * static_cast<float>(rollDice() % 20 + 90) / 50.0f;
            break;
        }
        case TypeShield: stats[MidDefence] = item_scan::readNumber(in) * c; break;
        case TypeHeadgear: stats[HighDefence] = item_scan::readNumber(in) * c; break;
        case TypeGun:
            stats[Attack] = item_scan::readNumber(in) * c;
            stats[Speed] = stats[Attack] / 4;
            break;
        case TypeSword: stats[Attack] = item_scan::readNumber(in) * c; break;
        case TypeStaff:
            stats[Attack] = item_scan::readNumber(in) * c;
            stats[Magic] = stats[Attack] / 4;
            break;
        case TypeHp: stats[HP] = level * 30; break;
        case TypeMp: stats[MP] = level * 25; break;
        case TypeHybrid:
            stats[HP] = level * 30 / 2;
            stats[MP] = level * 25 / 2;
            break;
        default: break;
    }
}

void Item::applyPrefix(float level, const std::string& elementWord) {
    level = affixLevel(level);
    const bool randomPrefix = elementWord.empty();
    int element = 0;
    if (randomPrefix) {
        element = rollDice() % 5;
        level -= static_cast<float>(randomBelow(static_cast<int>(std::trunc(level / 3 + 1))) + 10);
        const std::string prefix = findAffix(kPrefixFile, false, element, level);
        if (prefix.empty()) return;  // no prefix file: the item stays plain
        name = prefix + " " + name;
    } else {
        element = elementIndex(elementWord);
    }
    hasPrefix = true;
    float g = level / 3 + 8;
    const float f = 2.0f * static_cast<float>(rollDice() % 21 + 90) / 10000.0f;
    do {
        switch (element) {
            case 0:
                resistances[Fire] -= g * f;
                resistances[Ice] += g / 3 * f;
                break;
            case 1:
                resistances[Ice] -= g * f;
                resistances[Fire] += g / 3 * f;
                break;
            case 2:
                resistances[Light] -= g * f;
                resistances[Dark] += g / 3 * f;
                break;
            case 3:
                resistances[Dark] -= g * f;
                resistances[Light] += g / 3 * f;
                break;
            default: resistances[Ether] -= f * g / 2; break;
        }
        g = g / 4;
        element = rollDice() % 5;
    } while (g > 2);
}

void Item::applySuffix(float level, const std::string& kindWord) {
    level = affixLevel(level);
    const bool randomSuffix = kindWord.empty();
    int kind = 0;
    if (randomSuffix) {
        kind = rollDice() % 6;
        level -= static_cast<float>(randomBelow(static_cast<int>(std::trunc(level / 3 + 1))));
        const std::string suffix = findAffix(kSuffixFile, true, kind, level);
        if (suffix.empty()) return;  // no suffix file: the item stays plain
        name = name + " " + suffix;
    } else {
        kind = suffixKindIndex(kindWord);
    }
    hasSuffix = true;
    float g = level / 2 + 3;
    const float f = roll();
    do {
        switch (kind) {
            case 0: stats[Attack] += g * f; break;
            case 1:
                stats[HighDefence] += g / 2 * f;
                stats[MidDefence] += g / 2 * f;
                stats[LowDefence] += g / 2 * f;
                break;
            case 2: stats[MaxHP] += g * f * 30 / 7; break;
            case 3: stats[MaxMP] += g * f * 25 / 7; break;
            case 4: stats[Magic] += g * f; break;
            default: stats[Speed] += g * f; break;
        }
        g = g / 2;
        kind = rollDice() % 5;
    } while (g > 2);
}

std::unique_ptr<Item> Item::fromName(const std::string& fullName) { return rebuild(fullName, false); }

std::unique_ptr<Item> Item::fromSavedName(const std::string& fullName) { return rebuild(fullName, true); }

std::unique_ptr<Item> Item::rebuild(const std::string& fullName, bool keepUnknown) {
    auto item = std::make_unique<Item>();
    Item& it = *item;
    it.name = capitalizeWords(fullName);
    std::size_t position = 0;

    {
        auto in = itemFiles().open(kPrefixFile);
        const std::size_t after = item_scan::findByName(*in, kPrefixFile, it.name, position);
        if (after != position) {
            position = after;
            const float level = item_scan::readNumber(*in);
            const std::string element = item_scan::readText(*in);
            it.applyPrefix(level, element.empty() ? "normal" : element);
        }
    }

    bool foundBase = false;
    for (int type = 0; type < ItemTypeCount && !foundBase; ++type) {
        auto in = itemFiles().open(kItemBaseFiles[type]);
        const std::size_t after = item_scan::findByName(*in, kItemBaseFiles[type], it.name, position);
        if (after == position) continue;
        foundBase = true;
        position = after;
        it.type = type;
        it.stats[Level] = item_scan::readNumber(*in);
        it.description = item_scan::readText(*in);
        it.readStatistics(*in);
    }
    if (!foundBase && keepUnknown) {
        // A saved item is the player's own: a random one in its place could
        // be a potion that an equipped slot drinks on loading. Without its
        // base word there is no telling where a suffix starts either.
        it.type = TypeNone;
        return item;
    }
    if (!foundBase) {
        game().screen.addMessage("This is all I could find...\n");
        it.type = randomType();
        it.generate(static_cast<int>(game().player.stats[Level]));
    }

    if (position < it.name.size()) {
        auto in = itemFiles().open(kSuffixFile);
        const std::size_t after = item_scan::findByName(*in, kSuffixFile, it.name, position);
        if (after != position && in->good()) {
            const float level = item_scan::readNumber(*in);
            const std::string kind = item_scan::readText(*in);
            it.applySuffix(level, kind.empty() ? "Speed" : kind);
        } else {
            game().screen.addArtLine("Could not find suffix\n");
        }
    }
    return item;
}

int Item::shopPrice() const {
    const float level = stats[Level];
    float factor = 10;
    if (type == TypeHp || type == TypeMp) factor = 5;
    else if (type == TypeHybrid) factor = 10;
    else if (hasPrefix && hasSuffix) factor = 75;
    else if (hasPrefix || hasSuffix) factor = 25;
    // A level far beyond any the game makes (an edited item file) must not
    // price an item past what a purse can hold.
    const float price = level * level * factor;
    if (!(price > 0)) return 0;
    return price >= static_cast<float>(kHighestPrice) ? kHighestPrice : static_cast<int>(price);
}

}  // namespace orv
