// Where the story stands: the current state of each quest of a planet, and
// whether a current state takes place at a given room, shop, town or ship.
#pragma once

#include <array>
#include <functional>
#include <string>

namespace orv {

class Player;

constexpr int kQuestsPerFile = 30;
using QuestStates = std::array<int, kQuestsPerFile>;

// The quest table row of a planet: the fixed planet table, where any other
// name counts as the last row (The Abominable's).
int questRowOf(const std::string& planet);

// 1 while state 1 is not completed; otherwise the highest completed state + 1.
int currentState(const Player& player, int questRow, int quest);
QuestStates currentStates(const Player& player, int questRow);

// Every line inside the block of a current state of some quest of the
// planet's quest file (its scene block left out), with its quest number. False when the file cannot be
// opened (the message "unable to open file" is then shown).
bool forEachCurrentStateLine(const std::string& planet, const QuestStates& states,
                             const std::function<void(int quest, const std::string& line)>& visit);

// The value of a "KEY:value" line: everything after the first colon.
std::string valueAfterColon(const std::string& line);

bool isQuestRoomActive(const std::string& planet, const std::string& place);

// Whether the current state taking place at `place` has a scene written for
// it. A shop holds the player until its event is played; an event with no
// scene could never be played, and must not hold anyone.
bool questSceneExists(const std::string& planet, const std::string& place);

}  // namespace orv
