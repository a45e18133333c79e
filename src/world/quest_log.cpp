// Quest progress queries.
#include "world/quest_log.h"

#include <fstream>

#include "app/game.h"
#include "core/paths.h"
#include "core/text.h"
#include "data/planet_table.h"

namespace orv {

namespace {
constexpr int kLastAddressableState = 9;

int digitAfterColon(const std::string& line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || colon + 1 >= line.size()) return -1;
    const char digit = line[colon + 1];
    return digit >= '0' && digit <= '9' ? digit - '0' : -1;
}
}  // namespace

int questRowOf(const std::string& planet) {
    const int row = questTableIndex(planet);
    return row < 0 ? static_cast<int>(kPlanetTable.size()) - 1 : row;
}

int currentState(const Player& player, int questRow, int quest) {
    if (questRow < 0 || questRow >= kQuestPlanets || quest < 0 || quest >= kQuestsPerPlanet) return 1;
    const auto& states = player.questProgress[questRow][quest];
    if (states[1] != 2) return 1;
    int highest = 1;
    for (int state = 1; state <= kLastAddressableState; ++state)
        if (states[state] == 2) highest = state;
    return highest + 1;
}

QuestStates currentStates(const Player& player, int questRow) {
    QuestStates states{};
    for (int quest = 0; quest < kQuestsPerFile; ++quest) states[quest] = currentState(player, questRow, quest);
    return states;
}

std::string valueAfterColon(const std::string& line) {
    const std::size_t colon = line.find(':');
    return colon == std::string::npos ? "" : line.substr(colon + 1);
}

bool forEachCurrentStateLine(const std::string& planet, const QuestStates& states,
                             const std::function<void(int, const std::string&)>& visit) {
    std::ifstream file = openDataFile("quests\\" + planet + ".txt", std::ios::in | std::ios::binary);
    if (!file) {
        game().screen.addMessage("unable to open file");
        return false;
    }
    std::string line;
    int quest = -1;
    bool inCurrentState = false, inScene = false;
    while (std::getline(file, line)) {
        if (endsReading(line)) break;  // the reader's line buffer ends here
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // A state's scene is the quest scene's to read, not the town's or a shop's.
        if (line.find("BEGIN_QUEST_ROOM") != std::string::npos) {
            inScene = true;
            continue;
        }
        if (line.find("END_QUEST_ROOM") != std::string::npos) {
            inScene = false;
            continue;
        }
        if (inScene) continue;
        if (line.find("BEGIN_QUEST") != std::string::npos) {
            quest = digitAfterColon(line);
            inCurrentState = false;
            continue;
        } else if (line.find("BEGIN_STATE") != std::string::npos) {
            const int state = digitAfterColon(line);
            inCurrentState = quest >= 0 && quest < kQuestsPerFile && state == states[quest];
            continue;
        } else if (line.find("END_STATE") != std::string::npos || line.find("END_QUEST") != std::string::npos) {
            inCurrentState = false;
            continue;
        }
        if (inCurrentState) visit(quest, line);
    }
    return true;
}

bool questSceneExists(const std::string& planet, const std::string& place) {
    const QuestStates states = currentStates(game().player, questRowOf(planet));
    std::ifstream file = openDataFile("quests\\" + planet + ".txt", std::ios::in | std::ios::binary);
    std::string line;
    int quest = -1, state = -1;
    bool atPlace = false;
    while (std::getline(file, line)) {
        if (endsReading(line)) break;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find("BEGIN_QUEST_ROOM") != std::string::npos) {
            if (atPlace && quest >= 0 && quest < kQuestsPerFile && digitAfterColon(line) == states[quest]) return true;
        } else if (line.find("BEGIN_QUEST") != std::string::npos) {
            quest = digitAfterColon(line);
            atPlace = false;
        } else if (line.find("BEGIN_STATE") != std::string::npos) {
            state = digitAfterColon(line);
        } else if (line.find("END_STATE") != std::string::npos) {
            atPlace = false;
        } else if (line.find("LOCATION_NAME:") != std::string::npos) {
            atPlace = valueAfterColon(line) == place && quest >= 0 && quest < kQuestsPerFile && state == states[quest];
        }
    }
    return false;
}

bool isQuestRoomActive(const std::string& planet, const std::string& place) {
    const QuestStates states = currentStates(game().player, questRowOf(planet));
    bool active = false;
    forEachCurrentStateLine(planet, states, [&](int, const std::string& line) {
        if (line.find("LOCATION_NAME:") != std::string::npos && valueAfterColon(line) == place) active = true;
    });
    return active;
}

}  // namespace orv
