// A planet's dungeon: the rooms of its dungeon file and quest file placed on
// a grid 6 cells high, the entrance at the top left, the first quest room at
// the end of a winding corridor in the lower right, the rest branching off.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "data/entity.h"
#include "world/room.h"

namespace orv {

constexpr int kMapHeight = 6;
constexpr int kMaxMapWidth = 15;

// The zero-based line of the planet list whose station name is `name`; the
// number of lines when none is (0 when the list cannot be read).
int planetIndexOf(const std::string& name);

class Map : public Entity {
public:
    explicit Map(bool revealAll) : revealAll_(revealAll) {}

    void generate(const std::string& planetName, bool arrivedByShip);
    void loadRoomFile(const std::string& path);

    Room* roomAt(int x, int y) const;
    void setPlayerCell(int x, int y) {
        playerX_ = x;
        playerY_ = y;
    }
    void revealCell(int x, int y);
    void resetDescriptionAt(int x, int y);
    void clearRooms();
    // After a scene: each quest room offers its event when its state is
    // current now (and it has not fired this visit), and stops when not.
    void offerCurrentQuestEvents(const std::string& planetName);
    void drawMap() const;

    int width() const { return width_; }
    int height() const { return static_cast<int>(grid_.empty() ? 0 : kMapHeight); }
    int roomCount() const;
    // Set when the room files break the layout (too few or too many rooms).
    const std::string& layoutProblem() const { return layoutProblem_; }

private:
    void makeGrid();
    void place(std::unique_ptr<Room> room, int x, int y);
    std::unique_ptr<Room> takeNextRoom();
    void stopGeneration(const std::string& problem);

    bool revealAll_;
    bool loadingQuestFile_ = false;
    bool arrivedByShip_ = false;
    int playerX_ = 0, playerY_ = 0;
    int planetIndex_ = 0;
    std::vector<std::vector<std::unique_ptr<Room>>> grid_;  // [x][y]
    std::deque<std::unique_ptr<Room>> pendingRooms_;
    std::deque<std::unique_ptr<Room>> pendingQuestRooms_;
    int width_ = 0;
    std::string layoutProblem_;
};

}  // namespace orv
