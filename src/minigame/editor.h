// The space shooter's screen: the mission briefing, the real-time mission
// itself (keys held, 100 frames a second), then the results page or the
// game-over picture, from which "0" goes back to whoever opened it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/state.h"
#include "minigame/engine.h"
#include "minigame/mission_tables.h"

namespace orv {

class Editor : public State {
public:
    // Five reward items of the player's level go into the player's items at
    // once, whatever becomes of the mission.
    Editor(State* parent, int missionNumber);
    ~Editor() override;

    void Draw() override;
    void Update(const std::string& command) override;

    const std::array<std::string, 5>& rewardNames() const { return rewardNames_; }
    // The results page of a won mission, as one block of art; its
    // experience and loot are paid when the mission is won.
    static std::string resultsPage(int score, const std::array<std::string, 5>& rewardNames);
    bool won() const { return won_; }
    bool lost() const { return lost_; }
    int score() const { return state_->ship.score; }
    // The tables, for tests and the test pilot.
    MissionState& tables() { return *state_; }

private:
    void drawBriefing();
    void drawResults();
    void runMission();
    bool pollKeys(HeldKeys& keys);
    void playUntilDecided(HeldKeys& keys);
    void playVictory();
    void payResults();
    void endTransition();
    void pace(std::uint64_t& deadline, int frameMs);
    void startWaveText();
    void drawWaveText();
    void loadPortrait();

    int missionNumber_;
    std::array<std::string, 5> rewardNames_;
    std::unique_ptr<MissionState> state_;
    std::unique_ptr<Mission> mission_;
    bool started_ = false;
    bool running_ = false;
    bool won_ = false;
    bool lost_ = false;
    bool quit_ = false;
    // Where the terminal cannot report releases, space switches firing on
    // and off instead of being held.
    bool releasesReported_ = true;
    bool firingSwitchedOn_ = false;
    bool waveTextShown_ = true;
    int typedChars_ = 0;
    int holdFrames_ = 0;
    int textFrames_ = 0;
    std::array<std::vector<std::string>, 3> portrait_;  // 1.txt, 2.txt, blink.txt
};

}  // namespace orv
