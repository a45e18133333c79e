// Walking a planet's dungeon: the map, the moves open from the current room,
// looking next door, chests, quest events, and the battles that start the
// moment the player walks in on a monster.
#pragma once

#include <string>

#include "core/state.h"
#include "world/map.h"

namespace orv {

class Dungeon : public State {
public:
    Dungeon(State* parent, const std::string& planet, bool arrivedByShip, bool revealAll);
    ~Dungeon() override;
    void Draw() override;
    void Update(const std::string& command) override;

    const Map& map() const { return map_; }
    Map& map() { return map_; }
    int playerX() const { return x_; }
    int playerY() const { return y_; }
    const std::string& planet() const { return planet_; }

    void describeRoom(int x, int y);
    void lookAt(int x, int y, const std::string& direction);
    void revealAround();

private:
    bool tryMove(const std::string& command);
    void tryLooks(const std::string& command);

    Map map_;
    bool sceneOpened_ = false;  // a quest scene was opened from here
    int x_ = 0, y_ = 0;
    std::string planet_;
    bool arrivedByShip_;
};

}  // namespace orv
