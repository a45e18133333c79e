// Talking with the sidekick outside a fight: chat, pay it to cheer it up,
// slap it, pick what it does in battle, or open its equipment. Its face
// for the current mood sits beside its statistics.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/state.h"
#include "data/stat_block.h"

namespace orv {

// The faces for mood levels 0 to 4: "art\sidekick\" + name + ".txt".
constexpr const char* kMoodFaces[] = {"angry", "sad", "indifferent", "happy", "blissful"};

class Sidetalk : public State {
public:
    // `responseName` names the sidekick's lines about a planet (the dungeon
    // passes its planet); empty means the general ones (the town).
    Sidetalk(State* parent, const std::string& responseName);
    void Draw() override;
    void Update(const std::string& command) override;

    enum Mode { ChoosingBattleMode = 0, MainMenu = 1, WaitingForMoney = 2 };
    Mode mode() const { return mode_; }
    const std::vector<std::string>& responses() const { return responses_; }

    // "sidekick\" + name + ".txt", or the general file for an empty name.
    static std::string responseFile(const std::string& responseName);

private:
    struct MoodFace {
        const char* name;
        const std::string* colour;
        std::vector<std::string> picture;
    };

    void readResponses(const std::string& responseName);
    void updateMainMenu(const std::string& command);
    void giveMoney(const std::string& command);
    void chooseBattleMode(const std::string& command);
    void chat();

    std::array<MoodFace, 5> faces_;
    StatBlock noChanges_;
    ResistanceBlock noResistanceChanges_;
    std::vector<std::string> responses_;
    Mode mode_ = MainMenu;
};

}  // namespace orv
