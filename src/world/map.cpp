// Reading room files, laying out the grid and drawing the map.
#include "world/map.h"

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "app/game.h"
#include "core/colors.h"
#include "core/dice.h"
#include "core/paths.h"
#include "core/text.h"
#include "world/quest_log.h"

namespace orv {

namespace {

constexpr int kLegendColumn = 63;

struct KeyValue {
    std::string key;
    std::string value;
};

// The key is the text before the first colon, leading blanks removed; the
// value is everything after it, exactly as written.
KeyValue splitKeyValue(const std::string& line) {
    const std::size_t colon = line.find(':');
    std::string key = line.substr(0, colon);
    key.erase(0, key.find_first_not_of(" \t"));
    return {key, colon == std::string::npos ? "" : line.substr(colon + 1)};
}

// One room block as read, before it becomes a room.
struct RoomBlock {
    std::string name;
    std::vector<std::string> descriptions;
    std::string look, menuOption, menuTrigger, textBefore;
    bool questRoom = false;
    void clear() { *this = RoomBlock{}; }
};

}  // namespace

int planetIndexOf(const std::string& name) {
    std::ifstream file = openDataFile("planets\\Planet List.txt", std::ios::in | std::ios::binary);
    if (!file) return 0;
    std::string line;
    int index = 0;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t comma = line.find(',');
        // The list names stations and, after the comma, the planets whose
        // dungeons these are: either one finds the planet's place.
        if (line.substr(0, comma) == name) return index;
        if (comma != std::string::npos && line.substr(comma + 1) == name) return index;
        ++index;
    }
    return index;
}

void Map::loadRoomFile(const std::string& path) {
    planetIndex_ = planetIndexOf(name);
    std::ifstream file = openDataFile(path, std::ios::in | std::ios::binary);
    if (!file) {
        game().screen.addMessage("Unable to open file \"" + path + "\".");
        return;
    }
    const float playerLevel = game().player.stats[Level];
    RoomBlock block;
    std::string line;
    int lineNumber = 0;
    while (std::getline(file, line)) {
        ++lineNumber;
        if (endsReading(line)) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const KeyValue kv = splitKeyValue(line);
        if (kv.key == "ROOM_BEGIN") {
            block.clear();
        } else if (kv.key == "LOCATION_NAME" || kv.key == "NAME") {
            block.name = kv.value;
        } else if (kv.key.compare(0, 4, "DESC") == 0) {
            block.descriptions.push_back(kv.value);
        } else if (kv.key == "LOOK") {
            block.look = kv.value;
        } else if (kv.key == "QUEST_ITEM_MENU_OPTION") {
            block.menuOption = kv.value;
            block.questRoom = true;
        } else if (kv.key == "QUEST_ITEM_MENU_TRIGGER") {
            block.menuTrigger = kv.value;
            block.questRoom = true;
        } else if (kv.key == "QUEST_ROOM_TEXT_BEFORE") {
            block.textBefore = kv.value;
            block.questRoom = true;
        } else if (kv.key == "ROOM_END") {
            std::unique_ptr<Item> item;
            std::unique_ptr<Monster> monster;
            if (!loadingQuestFile_) {
                const int base = planetIndex_ * 7 + static_cast<int>(std::trunc(playerLevel / 8));
                if (rollDice() % 100 <= 20) item = Item::random(std::max(1, base + rollDice() % 11 - 5));
                if (rollDice() % 100 <= 40)
                    monster = std::make_unique<Monster>(Monster::random(std::max(1, base + rollDice() % 4 - 1), name));
                if (pendingRooms_.empty()) {
                    item.reset();  // the entrance is always safe and bare
                    monster.reset();
                }
            }
            if (block.descriptions.empty()) {
                game().screen.addMessage("Unable to use room \"" + block.name + "\" of " + path + " (line " +
                                         toText(lineNumber) + "): it has no DESC line.");
                continue;
            }
            std::unique_ptr<Room> room;
            if (block.questRoom) {
                const bool active = isQuestRoomActive(name, block.name);
                room = std::make_unique<Room>(block.name, block.descriptions[0], block.look, nullptr, nullptr,
                                              active ? block.menuOption : "", active ? block.menuTrigger : "",
                                              revealAll_);
                if (active) room->textBefore = block.textBefore;
                room->keepQuestEvent(block.menuOption, block.menuTrigger, block.textBefore);
            } else {
                room = std::make_unique<Room>(block.name, block.descriptions[0], block.look, std::move(monster),
                                              std::move(item), block.menuOption, block.menuTrigger, revealAll_);
            }
            for (std::size_t i = 1; i < block.descriptions.size(); ++i) room->addDescription(block.descriptions[i]);
            (block.questRoom ? pendingQuestRooms_ : pendingRooms_).push_back(std::move(room));
        }
    }
}

void Map::offerCurrentQuestEvents(const std::string& planetName) {
    for (auto& column : grid_)
        for (auto& room : column)
            if (room) room->offerQuestEvent(isQuestRoomActive(planetName, room->name));
}

void Map::clearRooms() {
    grid_.clear();
    pendingRooms_.clear();
    pendingQuestRooms_.clear();
    width_ = 0;
}

void Map::makeGrid() {
    grid_.clear();
    grid_.resize(width_);
    for (auto& column : grid_) column.resize(kMapHeight);
}

void Map::place(std::unique_ptr<Room> room, int x, int y) { grid_[x][y] = std::move(room); }

std::unique_ptr<Room> Map::takeNextRoom() {
    std::deque<std::unique_ptr<Room>>& queue = pendingRooms_.empty() ? pendingQuestRooms_ : pendingRooms_;
    std::unique_ptr<Room> room = std::move(queue.front());
    queue.pop_front();
    return room;
}

void Map::stopGeneration(const std::string& problem) {
    layoutProblem_ = problem;
    game().screen.addMessage(problem);
    pendingRooms_.clear();
    pendingQuestRooms_.clear();
}

void Map::generate(const std::string& planetName, bool arrivedByShip) {
    arrivedByShip_ = arrivedByShip;
    name = planetName;
    layoutProblem_.clear();
    clearRooms();
    const std::string dungeonFile = "dungeons\\" + planetName + ".txt";
    loadingQuestFile_ = false;
    loadRoomFile(dungeonFile);
    loadingQuestFile_ = true;
    loadRoomFile("quests\\" + planetName + ".txt");
    loadingQuestFile_ = false;

    width_ = std::min(kMaxMapWidth, static_cast<int>(pendingRooms_.size() * 4) / 6);
    if (pendingRooms_.empty() || width_ < 2) {
        width_ = std::max(width_, pendingRooms_.empty() ? 0 : 1);
        makeGrid();
        if (!pendingRooms_.empty()) place(takeNextRoom(), 0, 0);
        stopGeneration("The dungeon of " + planetName + " (" + dungeonFile + ") has too few rooms to be laid out.");
        return;
    }
    makeGrid();
    place(takeNextRoom(), 0, 0);

    // The first quest room waits at the far end, the bottom-right cell twice as likely.
    std::vector<std::pair<int, int>> candidates;
    for (int x = static_cast<int>(width_ * 0.75); x < width_; ++x) candidates.push_back({x, kMapHeight - 1});
    for (int y = 2; y < kMapHeight; ++y) candidates.push_back({width_ - 1, y});
    const auto [targetX, targetY] = candidates[rollDice() % candidates.size()];
    if (!pendingQuestRooms_.empty()) {
        place(std::move(pendingQuestRooms_.front()), targetX, targetY);
        pendingQuestRooms_.pop_front();
    } else {
        game().screen.addMessage("The dungeon of " + planetName + " has no quest room to lead to.");
    }

    // A winding corridor from the entrance to it.
    std::vector<std::pair<int, int>> growth;
    int x = 0, y = 0;
    while (true) {
        if (x < targetX) {
            if (y < targetY && rollDice() % 2 != 0) ++y;
            else ++x;
        } else {
            if (y == targetY) break;
            ++y;
        }
        if (x == targetX && y == targetY) break;
        if (pendingRooms_.empty()) {
            stopGeneration("The dungeon of " + planetName + " (" + dungeonFile +
                           ") has too few rooms for the corridor to its goal.");
            return;
        }
        place(takeNextRoom(), x, y);
        growth.push_back({x, y});
    }

    // The rest branch off the corridor and off each other.
    while (!pendingRooms_.empty() || !pendingQuestRooms_.empty()) {
        if (growth.empty()) {
            stopGeneration("The dungeon of " + planetName + " (" + dungeonFile + ") has more rooms than cells.");
            return;
        }
        const std::size_t pick = static_cast<std::size_t>(rollDice()) % growth.size();
        const auto [cx, cy] = growth[pick];
        std::vector<std::pair<int, int>> free;
        for (const auto& [nx, ny] : {std::pair{cx - 1, cy}, std::pair{cx + 1, cy}, std::pair{cx, cy - 1},
                                     std::pair{cx, cy + 1}})
            if (nx >= 0 && nx < width_ && ny >= 0 && ny < kMapHeight && !grid_[nx][ny]) free.push_back({nx, ny});
        if (free.empty()) {
            growth.erase(growth.begin() + static_cast<long>(pick));
            continue;
        }
        const auto cell = free[rollDice() % free.size()];
        place(takeNextRoom(), cell.first, cell.second);
        growth.push_back(cell);
    }
}

Room* Map::roomAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= kMapHeight || x >= static_cast<int>(grid_.size())) return nullptr;
    return grid_[x][y].get();
}

int Map::roomCount() const {
    int count = 0;
    for (int x = 0; x < width_; ++x)
        for (int y = 0; y < kMapHeight; ++y) count += roomAt(x, y) != nullptr;
    return count;
}

void Map::revealCell(int x, int y) {
    if (Room* room = roomAt(x, y)) room->reveal();
}

void Map::resetDescriptionAt(int x, int y) {
    if (Room* room = roomAt(x, y)) room->resetDescription();
}

void Map::drawMap() const {
    static const std::string legend[] = {
        "=================",
        "|" + colorGreen + "P" + colorWhite + " - Your player|",
        "|" + colorMagenta + "M" + colorWhite + " - A monster  |",
        "|" + colorYellow + "I" + colorWhite + " - An item    |",
        "|" + colorRed + "S" + colorWhite + " - Your ship  |",
        "|" + colorCyan + "?" + colorWhite + " - Special    |",
        "=================",
    };
    auto mark = [](const std::string& colour, char letter) { return colour + letter + colorWhite; };
    Screen& screen = game().screen;
    for (int y = 0; y < kMapHeight; ++y) {
        std::string lines[4];
        for (int x = 0; x < width_; ++x) {
            const Room* room = roomAt(x, y);
            if (!room || !room->isVisible()) {
                for (std::string& line : lines) line += "    ";
                continue;
            }
            lines[0] += roomAt(x, y - 1) ? "# ##" : "####";
            lines[1] += (x == 0 || !roomAt(x - 1, y)) ? "#" : " ";
            lines[1] += (x == playerX_ && y == playerY_) ? mark(colorGreen, 'P') : " ";
            lines[1] += room->item() ? mark(colorYellow, 'I') : " ";
            lines[1] += roomAt(x + 1, y) ? " " : "#";
            lines[2] += "#";
            lines[2] += room->monster() ? mark(colorMagenta, 'M') : " ";
            if (!room->menuTrigger().empty()) lines[2] += mark(colorCyan, '?');
            else if (x == 0 && y == 0 && arrivedByShip_) lines[2] += mark(colorRed, 'S');
            else lines[2] += " ";
            lines[2] += "#";
            lines[3] += roomAt(x, y + 1) ? "# ##" : "####";
        }
        for (int i = 0; i < 4; ++i) {
            const int pictureLine = y * 4 + i;
            std::string line = lines[i];
            if (pictureLine < 7) {
                while (displayLength(line) < kLegendColumn) line += ' ';
                line += legend[pictureLine];
            }
            screen.addArtLine(line);
        }
    }
}

}  // namespace orv
