// Writing, reading and safely replacing save slots.
#include "items/save_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
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

// A number as a slot keeps it: the shortest text that reads back as the
// very same float, so experience in the millions or a rolled bonus such as
// 23.760002 comes back to the last bit (the screens round for the eye; a
// save must not).
std::string exactText(float value) {
    std::array<char, 32> text{};
    const auto written = std::to_chars(text.data(), text.data() + text.size(), value);
    return std::string(text.data(), written.ptr);
}

// A volume as the player set it. The sound keeps a fraction, which comes
// back as a percentage such as 15.000001: the slot writes the fewest digits
// that set the very same fraction again when read ("15").
std::string volumeText(float percent) {
    for (int digits = 1; digits <= 9; ++digits) {
        std::array<char, 32> text{};
        const auto written =
            std::to_chars(text.data(), text.data() + text.size(), percent, std::chars_format::general, digits);
        std::string shortest(text.data(), written.ptr);
        if (toNumber(shortest) / 100.0f == percent / 100.0f) return shortest;
    }
    return exactText(percent);
}

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
        out += owner + ":STATS:" + stat.key + ":" + exactText(value) + "\n";
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

// A whole number from the start of the text, or nothing when the text does
// not start with one; `plain` tells whether the text was that number and
// nothing more. A number too long for the type reads as the largest one of
// its sign, for the caller to clamp.
std::optional<long long> wholeNumber(const std::string& text, bool& plain) {
    plain = false;
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str()) return std::nullopt;
    plain = *end == '\0' && !std::isspace(static_cast<unsigned char>(text[0]));
    return value;
}

// Whether the text is a decimal number and nothing more (a sign may lead):
// then the number the game reads is the one the player wrote. Hexadecimal
// forms such as "0x1p3" read as their leading 0, and are not.
bool isPlainDecimal(const std::string& text) {
    const char* first = text.data();
    const char* const last = first + text.size();
    if (first != last && *first == '+') ++first;
    float value = 0;
    const auto read = std::from_chars(first, last, value, std::chars_format::general);
    return read.ec != std::errc::invalid_argument && read.ptr == last && first != last;
}

// The start of a line as a note quotes it: a long or binary line stays short.
std::string quoted(const std::string& text) {
    constexpr std::size_t kShown = 60;
    return "\"" + (text.size() > kShown ? text.substr(0, kShown) + "..." : text) + "\"";
}

class SaveReader {
public:
    SaveReader(Game& game, SaveReadResult& result) : game_(game), result_(result), entity_(&game.player) {}

    void interpret(std::string line, int lineNumber) {
        number_ = lineNumber;
        if (line.empty()) return;  // nothing written, nothing to read
        const std::string written = line;
        const std::string key = takeField(line);
        // PLANET, SHIP and TUTORIAL lines carry their value after the key.
        const bool valueAfterKey = key == "PLANET" || key == "SHIP" || key == "TUTORIAL";
        if (key == "PLAYER") entity_ = &game_.player;
        else if (key == "SIDEKICK") entity_ = &game_.sidekick;
        else if (key == "PLANET") result_.planet = line;
        else if (key == "SHIP") unlockPlanet(takeLastField(line));
        else if (key == "TUTORIAL") setHints(takeLastField(line));
        itemLine_ = key == "ITEM";
        if (itemLine_) owner_ = takeField(line);

        const std::string second = takeField(line);
        if (second == "STATS") setStatistic(line);
        else if (second == "MONEY") setMoney(line);
        else if (second == "NAME") setName(line);
        else if (second == "DESC") target().description = line;
        else if (second == "MOOD") setMood(line);
        else if (second == "MUSIC_VOLUME") game_.audio.setMusicVolume(number(line, 0, 100));
        else if (second == "SOUND_VOLUME") game_.audio.setEffectVolume(number(line, 0, 100));
        else if (second == "QUESTS") setQuest(line);
        else if (second == "TYPE") setClass(line);
        else if (valueAfterKey && key != "PLANET" && !second.empty()) note("the text after the number is ignored");
        else if (!valueAfterKey) {
            note(quoted(written) + " is no line of a saved game; ignored");
            return;
        }
        ++linesRead_;
    }

    void finish() {
        if (item_) note("the last item has no NORMAL line: it was not finished and is left out");
        if (linesRead_ == 0) {
            number_ = 0;
            note("nothing in it is a saved game");
        }
    }

private:
    void note(const std::string& text) { result_.notes.push_back({number_, text}); }

    // The last field of a SHIP or TUTORIAL line, which the game writes with
    // a ":" after it; without one the whole rest is the field.
    static std::string takeLastField(std::string& line) {
        const bool colon = line.find(':') != std::string::npos;
        std::string field = takeField(line);
        if (!colon) line.clear();
        return field;
    }

    // What the line's statistics, name or description belong to. After an
    // item is complete that is nobody until a line names someone: such a
    // line is lost, and the checker says so.
    Entity& target() {
        if (entity_ == &nobody_) note("belongs to nobody: the item before it is complete; ignored");
        return *entity_;
    }

    // A whole number as the game has always read one: text that is not a
    // number reads as 0, and text with more after the number (a slip of a
    // hand edit, "2xyz" or "1e308") reads as the number it starts with. The
    // checker names both, since the game does not read what was written.
    long long wholeOrZero(const std::string& text) {
        bool plain = false;
        const auto value = wholeNumber(text, plain);
        if (!value) note(quoted(text) + " is not a number; read as 0");
        else if (!plain) note(quoted(text) + " is not a plain number; read as " + std::to_string(*value));
        return value.value_or(0);
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
        if (!isNumber) note(quoted(text) + " is not a number; read as 0");
        else if (!isPlainDecimal(text)) note(quoted(text) + " is not a plain number; read as " + toText(*read));
        const float value = isNumber ? *read : 0.0f;
        if (value < lowest || value > highest) {
            const float kept = value < lowest ? lowest : highest;
            note(quoted(text) + " is outside " + toText(lowest) + " to " + toText(highest) + "; " + toText(kept) +
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
        if (!stat) {
            note(quoted(key) + " is no statistic; ignored");
            return;
        }
        float lowest = -kLargestStatistic, highest = kLargestStatistic;
        if (stat->index == Level && !stat->resistance) {
            lowest = 0;
            highest = entity_ == &game_.player || entity_ == &game_.sidekick ? static_cast<float>(kMaxLevel)
                                                                             : kLargestItemLevel;
        }
        Entity& who = target();
        (stat->resistance ? who.resistances[stat->index] : who.stats[stat->index]) = number(line, lowest, highest);
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
            note(quoted(text) + " is outside the purse; " + toText(static_cast<long>(money)) + " is kept");
        }
        game_.player.money = static_cast<int>(money);
        game_.player.copyBaseToEffective();
        game_.sidekick.copyBaseToEffective();
    }

    void setName(const std::string& name) {
        if (itemLine_) {
            if (item_) note("an item begins before the last one was finished; the unfinished one is left out");
            item_ = Item::fromSavedName(name);
            entity_ = item_.get();
            if (!item_->hasKind())
                note(quoted(name) + " is in none of the item files: kept with its stored numbers, but it can be"
                     " neither worn nor used" + (owner_ == "PLAYER" ? "" : ", so it waits in the bag"));
        }
        target().name = name;
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
            note(quoted(text) + " is no class (Fighter, Mage, Rogue, Outlaw, Custom); skipped");
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
    int linesRead_ = 0;  // lines that were a slot's lines
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
    out += "SIDEKICK:MOOD:" + exactText(game.sidekick.mood) + "\n";
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
    out += "FMOD:MUSIC_VOLUME:" + volumeText(game.audio.getMusicVolume()) + "\n";
    out += "FMOD:SOUND_VOLUME:" + volumeText(game.audio.getEffectVolume()) + "\n";
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
