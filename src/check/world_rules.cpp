// The world's content: every destination has its town block, dungeon, quest
// file and monsters; room files keep to the layout limits; town pictures are
// tall enough for the hot-spot panel; every picture a town or shop names
// exists; every quest location names a place that exists.
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "check/data_checker.h"
#include "check/number_rules.h"
#include "core/text.h"
#include "world/map.h"

namespace orv {

namespace {

using check::keyOf;
using check::valueOf;

namespace fs = std::filesystem;

constexpr int kPanelLines = 23;  // the panel writes on art lines 0, 2, ... 22
constexpr int kMapRows = 6;

struct RoomEntry {
    std::string name;
    int line = 0;
    bool quest = false;
};

class WorldChecker {
public:
    explicit WorldChecker(DataChecker& checker) : checker_(checker) {}

    void run() {
        readTowns();
        for (const std::string& planet : checker_.listedPlanets()) {
            if (!towns_.count(planet)) checker_.problem("towns/towns.txt", 0, "no town block for " + planet);
            const std::vector<RoomEntry> dungeonRooms = readRooms("dungeons/" + planet + ".txt");
            const std::vector<RoomEntry> questRooms = readRooms("quests/" + planet + ".txt");
            checkLayout(planet, dungeonRooms, questRooms);
            checkLocations(planet, dungeonRooms, questRooms);
            if (!checker_.fileExists("monsters/" + planet + ".txt"))
                checker_.problem("monsters/" + planet + ".txt", 0, "missing: every destination needs its monsters");
        }
    }

private:
    struct TownInfo {
        int line = 0;
        std::string map, uniqueName, uniqueArt;
    };

    void readTowns() {
        std::vector<std::string> lines;
        if (!checker_.readLines("towns/towns.txt", lines)) return;
        for (std::string& line : lines)
            if (!line.empty() && line.back() == '\r') line.pop_back();
        for (const std::string& planet : checker_.listedPlanets()) {
            // A town's block starts at the first line naming it, as the town reads it.
            std::size_t start = 0;
            while (start < lines.size() && lines[start].find(planet) == std::string::npos) ++start;
            if (start == lines.size()) continue;
            TownInfo info;
            info.line = int(start + 1);
            for (std::size_t i = start; i < lines.size() && lines[i] != "TOWN_END:"; ++i) {
                const std::string& line = lines[i];
                if (line.find("MAP:") != std::string::npos && line.find("UNIQUE_M") == std::string::npos)
                    info.map = valueOf(line);
                else if (line.find("UNIQUE_N:") != std::string::npos) info.uniqueName = valueOf(line);
                else if (line.find("UNIQUE_M:") != std::string::npos) info.uniqueArt = valueOf(line);
            }
            towns_[planet] = info;
            checkTownArt(planet, info);
        }
    }

    int artLines(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        if (!in) return -1;
        std::string line;
        int count = 0;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty() || line.size() > 119) break;
            ++count;
        }
        return count;
    }

    void checkTownArt(const std::string& planet, const TownInfo& info) {
        const std::string map = "art/towns/" + info.map;
        const int lines = info.map.empty() ? -1 : artLines(checker_.root() / map);
        if (lines < 0) checker_.problem("towns/towns.txt", info.line, planet + ": the town picture \"" + map + "\" is missing");
        else if (lines < kPanelLines)
            checker_.problem(map, lines + 1, "the town picture has " + toText(lines) +
                                                  " lines; the hot-spot panel needs " + toText(kPanelLines));
        const std::string common = "art/shops/" + planet + "/commonarea.txt";
        if (artLines(checker_.root() / common) <= 0) checker_.problem(common, 0, "missing: the common area's picture");
        if (!info.uniqueName.empty()) {
            const std::string unique = "art/shops/" + planet + "/" + info.uniqueArt;
            if (info.uniqueArt.empty() || artLines(checker_.root() / unique) <= 0)
                checker_.problem(unique, 0, "missing: the picture of " + info.uniqueName);
        }
    }

    std::vector<RoomEntry> readRooms(const std::string& file) {
        std::vector<RoomEntry> rooms;
        std::vector<std::string> lines;
        if (!checker_.readLines(file, lines)) return rooms;
        RoomEntry current;
        int descriptions = 0;
        bool open = false;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::string line = lines[i];
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (endsReading(line)) checker_.problem(file, int(i + 1), "line of 1000 characters or more ends the reading");
            if (line.empty()) continue;
            const std::string key = keyOf(line);
            if (key == "ROOM_BEGIN") {
                current = RoomEntry{};
                current.line = int(i + 1);
                descriptions = 0;
                open = true;
            } else if (key == "NAME" || key == "LOCATION_NAME") {
                current.name = valueOf(line);
            } else if (key.compare(0, 4, "DESC") == 0) {
                ++descriptions;
            } else if (key == "QUEST_ITEM_MENU_OPTION" || key == "QUEST_ITEM_MENU_TRIGGER" ||
                       key == "QUEST_ROOM_TEXT_BEFORE") {
                current.quest = true;
            } else if (key == "ROOM_END" && open) {
                open = false;
                if (descriptions == 0) {
                    checker_.problem(file, current.line, "room \"" + current.name + "\" has no DESC line");
                    continue;
                }
                rooms.push_back(current);
            }
        }
        return rooms;
    }

    void checkLayout(const std::string& planet, const std::vector<RoomEntry>& dungeon,
                     const std::vector<RoomEntry>& quest) {
        const std::string file = "dungeons/" + planet + ".txt";
        int normal = 0, questRooms = 0;
        for (const RoomEntry& room : dungeon) (room.quest ? questRooms : normal)++;
        for (const RoomEntry& room : quest) questRooms += room.quest ? 1 : 0;
        if (!dungeon.empty() && dungeon.front().quest)
            checker_.problem(file, dungeon.front().line, "the first room is the entrance and cannot be a quest room");
        const int width = std::min(kMaxMapWidth, normal * 4 / 6);
        // The corridor to the farthest goal cell takes width + 3 rooms besides the entrance.
        if (normal - 1 < width + 3)
            checker_.problem(file, 0, toText(normal) + " rooms are too few: the corridor can need " +
                                          toText(width + 3) + " besides the entrance");
        if (questRooms == 0) checker_.problem("quests/" + planet + ".txt", 0, "no quest room for the dungeon's goal");
        if (normal + questRooms > width * kMapRows)
            checker_.problem(file, 0, toText(normal + questRooms) + " rooms do not fit a grid of " + toText(width) +
                                          " x 6");
    }

    void checkLocations(const std::string& planet, const std::vector<RoomEntry>& dungeon,
                        const std::vector<RoomEntry>& quest) {
        std::set<std::string> places = {"town", "spaceship", "Armor", "Weapon", "Inn", "common area"};
        for (const RoomEntry& room : dungeon) places.insert(room.name);
        for (const RoomEntry& room : quest) places.insert(room.name);
        if (towns_.count(planet) && !towns_[planet].uniqueName.empty()) places.insert(towns_[planet].uniqueName);
        const std::string file = "quests/" + planet + ".txt";
        std::ifstream in(checker_.root() / file, std::ios::binary);
        std::string line;
        int number = 0;
        while (std::getline(in, line)) {
            ++number;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.find("LOCATION_NAME:") == std::string::npos) continue;
            if (line.find("ROOM_BEGIN") != std::string::npos) continue;
            const std::string place = valueOf(line);
            if (!places.count(place))
                checker_.problem(file, number, "LOCATION_NAME \"" + place + "\" names no room, shop, town or ship");
        }
    }

    DataChecker& checker_;
    std::map<std::string, TownInfo> towns_;
};

}  // namespace

void DataChecker::checkWorld() { WorldChecker(*this).run(); }

}  // namespace orv
