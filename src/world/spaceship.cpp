// The spaceship screen.
#include "world/spaceship.h"

#include <cstdlib>

#include "app/game.h"
#include "core/colors.h"
#include "core/text.h"
#include "world/quest.h"
#include "world/quest_log.h"
#include "world/town.h"

namespace orv {

namespace {

constexpr int kDestinationsShown = 11;

// Two stations have names too long for a menu cell.
std::string shortName(const std::string& station) {
    if (station == "Research Station Gamma") return "Research Station";
    if (station == "Abandoned Space Colony JX6") return "Space Colony";
    return station;
}

}  // namespace

Spaceship::Spaceship(State* parent, const std::string& planet)
    : State(parent), planet_(planet), fromStory_(planet.empty()) {}

void Spaceship::Draw() {
    Game& g = game();
    Screen& screen = g.screen;
    screen.addMessageOnce("Select your destination");
    screen.addArtLine("Available Destinations:\n");
    screen.addArtLine("       Station                                         Orbited Planet\n");
    const auto& planets = g.player.planets;
    for (int n = 1; n <= kDestinationsShown; ++n) {
        std::string line = toText(n) + (n <= 9 ? ".  " : ". ");
        const bool listed = n <= static_cast<int>(planets.size());
        if (!listed || !planets[n - 1].unlocked) {
            screen.addArtLine(line + "???????????????????");
            continue;
        }
        const PlanetEntry& entry = planets[n - 1];
        line += colorGreen + entry.name + colorWhite;
        while (line.size() <= 32) line += ' ';
        line += "-----------------------  " + colorGreen + entry.orbited + colorWhite;
        screen.addArtLine(line);
        screen.addMenuOption("<" + toText(n) + "> " + shortName(entry.name));
    }
    if (!fromStory_) screen.addMenuOption("<0> Leave");
}

void Spaceship::Update(const std::string& command) {
    Game& g = game();
    if (!fromStory_ && matchesAny(command, {"0", "l"})) {
        setSubState(new Town(this, planet_));
        closeState();
        return;
    }
    const int n = std::atoi(command.c_str());
    const auto& planets = g.player.planets;
    if (n < 1 || n > kDestinationsShown || n > static_cast<int>(planets.size()) || !planets[n - 1].unlocked) return;
    const std::string destination = planets[n - 1].orbited;
    g.screen.clearMessages();
    if (isQuestRoomActive(destination, "spaceship")) setSubState(new Quest(this, destination, "spaceship"));
    else setSubState(new Town(this, destination));
    closeState();
}

}  // namespace orv
