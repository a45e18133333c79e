// Writing, reading and safely replacing save slots.
#include "items/save_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "app/game.h"
#include "core/paths.h"
#include "core/text.h"
#include "data/planet_table.h"
#include "items/item.h"
#include "items/slot_file.h"

namespace orv {

namespace {

// The statistics of an entity block, in the order the file writes them.
struct StatName {
    const char* key;
    bool resistance;
    std::size_t index;
};
constexpr std::array<StatName, 18> kStatNames = {{
    {"LV", false, Level},      {"HP", false, HP},        {"MAXHP", false, MaxHP},
    {"MP", false, MP},         {"MAXMP", false, MaxMP},  {"SPD", false, Speed},
    {"STR", false, Strength},  {"ATK", false, Attack},   {"MAG", false, Magic},
    {"EXP", false, Experience}, {"DEF0", false, LowDefence}, {"DEF1", false, MidDefence},
    {"DEF2", false, HighDefence}, {"FIRE", true, Fire},  {"ICE", true, Ice},
    {"LIGHT", true, Light},    {"DARK", true, Dark},     {"NORMAL", true, Ether},
}};

// Numbers a hand-edited slot may hold that the game can still live with.
constexpr float kLargestStatistic = 1e7f;
constexpr float kLargestItemLevel = 1000;
constexpr float kLargestMood = 99;

// A text line as the reader will take it back: a text too long for the
// line (a hand-edited name, written back behind a longer owner such as
// "ITEM:SIDEKICKEQUIPPED") is cut rather than make a line the reader skips.
std::string textLine(const std::string& head, const std::string& text) {
    const std::size_t room = kLongestSaveLine > head.size() ? kLongestSaveLine - head.size() : 0;
    return head + text.substr(0, room) + "\n";
}

void writeEntity(std::string& out, const std::string& owner, const Entity& entity) {
    out += textLine(owner + ":NAME:", entity.name);
    out += textLine(owner + ":DESC:", entity.description);
    for (const StatName& stat : kStatNames) {
        const float value = stat.resistance ? entity.resistances[stat.index] : entity.stats[stat.index];
        out += owner + ":STATS:" + stat.key + ":" + toText(value) + "\n";
    }
}

// A hero's or sidekick's block, with its class after the statistics: a
// reader that knows no TYPE skips the line, and the slot lists' first three
// lines stay the name, the description and the level.
void writeProtagonist(std::string& out, const std::string& owner, const Protagonist& who) {
    writeEntity(out, owner, who);
    out += textLine(owner + ":TYPE:", who.className);
}

void writeEquipped(std::string& out, const std::string& owner, const Protagonist& who) {
    for (int slot = 0; slot < SlotCount; ++slot)
        if (const Item* item = who.equipped(slot)) writeEntity(out, owner, *item);
}

// Reads one line of at most kLongestSaveLine characters without ever holding
// more: a longer line is read to its end and reported, not kept.
bool readBoundedLine(std::istream& in, std::string& line, bool& tooLong) {
    line.clear();
    tooLong = false;
    std::streambuf* buffer = in.rdbuf();
    if (!buffer) return false;
    bool any = false;
    for (;;) {
        const int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            return any;
        }
        any = true;
        if (c == '\n') break;
        if (line.size() < kLongestSaveLine) line += static_cast<char>(c);
        else tooLong = true;
    }
    if (!line.empty() && line.back() == '\r' && !tooLong) line.pop_back();
    return true;
}

// A whole number from text, or nothing when the text is not one. A number
// too long for the type reads as the largest one of its sign, for the
// caller to clamp.
std::optional<long long> wholeNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str()) return std::nullopt;
    return value;
}

class SaveReader {
public:
    SaveReader(Game& game, SaveReadResult& result) : game_(game), result_(result), entity_(&game.player) {}

    void interpret(std::string line, int lineNumber) {
        number_ = lineNumber;
        const std::string key = takeField(line);
        if (key == "PLAYER") entity_ = &game_.player;
        else if (key == "SIDEKICK") entity_ = &game_.sidekick;
        else if (key == "PLANET") result_.planet = line;
        else if (key == "SHIP") unlockPlanet(takeField(line));
        else if (key == "TUTORIAL") setHints(takeField(line));
        itemLine_ = key == "ITEM";
        if (itemLine_) owner_ = takeField(line);

        const std::string second = takeField(line);
        if (second == "STATS") setStatistic(line);
        else if (second == "MONEY") setMoney(line);
        else if (second == "NAME") setName(line);
        else if (second == "DESC") entity_->description = line;
        else if (second == "MOOD") setMood(line);
        else if (second == "MUSIC_VOLUME") game_.audio.setMusicVolume(number(line, 0, 100));
        else if (second == "SOUND_VOLUME") game_.audio.setEffectVolume(number(line, 0, 100));
        else if (second == "QUESTS") setQuest(line);
        else if (second == "TYPE") setClass(line);
    }

    void finish() {
        if (item_) note("the last item has no NORMAL line: it was not finished and is left out");
    }

private:
    void note(const std::string& text) { result_.notes.push_back({number_, text}); }

    // A whole number as the game has always read one: text that is not a
    // number reads as 0. The checker still names it, since a hand edit
    // that went wrong is what it looks like.
    long long wholeOrZero(const std::string& text) {
        if (const auto value = wholeNumber(text)) return *value;
        note("\"" + text + "\" is not a number; read as 0");
        return 0;
    }

    void unlockPlanet(const std::string& field) {
        const long long index = wholeOrZero(field);
        auto& planets = game_.player.planets;
        if (index < 0 || index >= static_cast<long long>(planets.size())) {
            note("SHIP \"" + field + "\" names no destination of the planet list; skipped");
            return;
        }
        planets[static_cast<std::size_t>(index)].unlocked = true;
    }

    // Written signed (-4), and read in the unsigned form earlier slots
    // have (4294967292) too: both are the same 32 hints.
    void setHints(const std::string& field) {
        const long long hints = wholeOrZero(field);
        if (hints < -0x80000000LL || hints > 0xFFFFFFFFLL) {
            note("TUTORIAL \"" + field + "\" is not a set of 32 hints; skipped");
            return;
        }
        game_.player.tutorialHints = static_cast<std::uint32_t>(hints);
    }

    // A number as the file holds it, held between `lowest` and `highest`;
    // text that is not a number reads as 0, as the game always has.
    float number(const std::string& text, float lowest, float highest) {
        const auto read = readNumber(text);
        const bool isNumber = read && !std::isnan(*read);
        if (!isNumber) note("\"" + text + "\" is not a number; read as 0");
        const float value = isNumber ? *read : 0.0f;
        if (value < lowest || value > highest) {
            const float kept = value < lowest ? lowest : highest;
            note("\"" + text + "\" is outside " + toText(lowest) + " to " + toText(highest) + "; " + toText(kept) +
                 " is kept");
            return kept;
        }
        return value;
    }

    void setStatistic(std::string line) {
        const std::string key = takeField(line);
        const StatName* stat = nullptr;
        for (const StatName& candidate : kStatNames)
            if (key == candidate.key) stat = &candidate;
        if (!stat) return;  // an unknown statistic, ignored like an unknown key
        float lowest = -kLargestStatistic, highest = kLargestStatistic;
        if (stat->index == Level && !stat->resistance) {
            lowest = 0;
            highest = entity_ == &game_.player || entity_ == &game_.sidekick ? static_cast<float>(kMaxLevel)
                                                                             : kLargestItemLevel;
        }
        (stat->resistance ? entity_->resistances[stat->index] : entity_->stats[stat->index]) =
            number(line, lowest, highest);
        if (stat->resistance && stat->index == Ether && itemLine_) placeItem();
    }

    void placeItem() {
        if (!item_) return;
        std::unique_ptr<Item> item = std::move(item_);
        // The item now belongs to a list or a slot (or was drunk): stray
        // statistic lines after it go nowhere.
        entity_ = &nobody_;
        if (owner_ == "PLAYER") game_.player.inventory.add(std::move(item));
        else if (owner_ == "PLAYEREQUIPPED") game_.player.useOrEquip(std::move(item));
        else if (owner_ == "SIDEKICKEQUIPPED") game_.sidekick.useOrEquip(std::move(item));
        else note("an item of \"" + owner_ + "\", who is nobody; left out");
    }

    // Money is a whole number, read as one: a float would change a rich
    // hero's purse above 16 777 216.
    void setMoney(const std::string& text) {
        long long money = wholeOrZero(text);
        if (money < -Player::kMoneyLimit || money > Player::kMoneyLimit) {
            money = money < 0 ? -Player::kMoneyLimit : Player::kMoneyLimit;
            note("\"" + text + "\" is outside the purse; " + toText(static_cast<long>(money)) + " is kept");
        }
        game_.player.money = static_cast<int>(money);
        game_.player.copyBaseToEffective();
        game_.sidekick.copyBaseToEffective();
    }

    void setName(const std::string& name) {
        if (itemLine_) {
            if (item_) note("an item begins before the last one was finished; the unfinished one is left out");
            item_ = Item::fromName(name);
            entity_ = item_.get();
        }
        entity_->name = name;
    }

    void setMood(const std::string& text) {
        game_.sidekick.mood = number(text, 0, kLargestMood);
    }

    void setQuest(std::string line) {
        const long long planet = wholeOrZero(takeField(line));
        const long long quest = wholeOrZero(takeField(line));
        const long long state = wholeOrZero(takeField(line));
        const long long value = wholeOrZero(line);
        auto within = [](long long n, long long count) { return n >= 0 && n < count; };
        auto& table = game_.player.questProgress;
        if (!within(planet, static_cast<long long>(table.size())) || !within(quest, kQuestsPerPlanet) ||
            !within(state, kStatesPerQuest) || value < -1000000 || value > 1000000) {
            note("QUESTS names no place in the quest table (planets 0-10, quests 0-29, states 0-9); skipped");
            return;
        }
        table[static_cast<std::size_t>(planet)][static_cast<std::size_t>(quest)][static_cast<std::size_t>(state)] =
            static_cast<int>(value);
    }

    // Only the hero and the sidekick have a class, and only one the game
    // knows: the sidekick grows by it and the level-up sheet shows it.
    void setClass(const std::string& text) {
        auto* who = dynamic_cast<Protagonist*>(entity_);
        if (!who) {
            note("TYPE belongs to the hero or the sidekick; skipped");
        } else if (!text.empty() && !Protagonist::isClassName(text)) {
            note("\"" + text + "\" is no class (Fighter, Mage, Rogue, Outlaw, Custom); skipped");
        } else {
            who->className = text;
        }
    }

    Game& game_;
    SaveReadResult& result_;
    Entity* entity_;
    Entity nobody_;
    std::unique_ptr<Item> item_;  // the item whose block is being read
    std::string owner_;
    bool itemLine_ = false;
    int number_ = 0;
};

}  // namespace

std::string slotGamePath(int slot) { return "saves\\" + toText(slot) + ".txt"; }

std::string takeField(std::string& line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) return line;
    std::string field = line.substr(0, colon);
    line.erase(0, colon + 1);
    return field;
}

std::string slotHeader(const std::string& gamePath) {
    SlotInput file(dataPath(gamePath));
    if (file.kind() != SlotInput::Kind::SaveFile) return "";
    std::string lines[3];
    bool tooLong = false;
    for (std::string& line : lines) readBoundedLine(file, line, tooLong);
    if (lines[0].empty()) return "";
    takeField(lines[0]);
    takeField(lines[0]);
    for (int i = 0; i < 3; ++i) takeField(lines[2]);
    // A header is shown on the screen: bytes that would colour or move it go.
    std::string header = lines[0] + ", Level " + lines[2];
    for (char& c : header)
        if (static_cast<unsigned char>(c) < 32) c = ' ';
    return header;
}

std::string saveText(const Game& game, const std::string& planet) {
    const Player& player = game.player;
    std::string out;
    writeProtagonist(out, "PLAYER", player);
    writeProtagonist(out, "SIDEKICK", game.sidekick);
    out += "PLAYER:MONEY:" + toText(player.money) + "\n";
    out += "SIDEKICK:MOOD:" + toText(game.sidekick.mood) + "\n";
    // The hints are a signed integer in the file: all lessons still to come is -1.
    out += "TUTORIAL:" + toText(static_cast<int>(static_cast<std::int32_t>(player.tutorialHints))) + ":\n";
    for (std::size_t p = 0; p < player.questProgress.size(); ++p)
        for (std::size_t q = 0; q < player.questProgress[p].size(); ++q)
            for (std::size_t s = 0; s < player.questProgress[p][q].size(); ++s)
                if (const int value = player.questProgress[p][q][s]; value != 0)
                    out += "PLAYER:QUESTS:" + std::to_string(p) + ":" + std::to_string(q) + ":" + std::to_string(s) +
                           ":" + toText(value) + "\n";
    for (std::size_t i = 0; i < player.planets.size(); ++i)
        if (player.planets[i].unlocked) out += "SHIP:" + std::to_string(i) + ":\n";
    for (std::size_t i = 0; i < player.inventory.size(); ++i)
        writeEntity(out, "ITEM:PLAYER", *player.inventory.at(static_cast<long>(i)));
    writeEquipped(out, "ITEM:PLAYEREQUIPPED", player);
    writeEquipped(out, "ITEM:SIDEKICKEQUIPPED", game.sidekick);
    out += textLine("PLANET:", planet);
    out += "FMOD:MUSIC_VOLUME:" + toText(game.audio.getMusicVolume()) + "\n";
    out += "FMOD:SOUND_VOLUME:" + toText(game.audio.getEffectVolume()) + "\n";
    return out;
}

std::string writeWholeFile(const std::string& gamePath, const std::string& text) {
    bool opened = false;
    return writeWholeFile(gamePath, text, opened);
}

std::string writeWholeFile(const std::string& gamePath, const std::string& text, bool& opened) {
    return writeSlotFile(dataPath(gamePath), text, opened);
}

void resetForLoad(Game& game) {
    game.player.reset();
    game.sidekick.reset();
    game.player.resetGame();
}

SaveReadResult readSave(std::istream& in, Game& game) {
    SaveReadResult result;
    SaveReader reader(game, result);
    std::string line;
    bool tooLong = false;
    while (readBoundedLine(in, line, tooLong)) {
        ++result.lines;
        if (tooLong) {
            result.notes.push_back({result.lines, "longer than " + toText(static_cast<long>(kLongestSaveLine)) +
                                                      " characters; skipped whole"});
            continue;
        }
        reader.interpret(line, result.lines);
    }
    reader.finish();
    return result;
}

}  // namespace orv
