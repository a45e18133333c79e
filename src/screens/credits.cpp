// The credits roll.
#include "screens/credits.h"

#include "app/game.h"
#include "core/colors.h"
#include "screens/character_sheet.h"

namespace orv {

namespace {

constexpr int kCharDelayMs = 30;
constexpr int kPauseAfterNamesMs = 2000;
const std::string kSevenLines(7, '\n');

// The people who made the game happen, as the people of Orvantis tell it.
struct Credit {
    const char* role;
    const char* name;
};
constexpr Credit kCredits[] = {
    {"Producer: ", "Dunmore Kettle"},
    {"Technical Director: ", "Old Mag"},
    {"Designer: ", "Jaxon Smiles"},
    {"Product Manager: ", "The Parrot of the Drowned Parrot"},
};

std::string creditsPage() {
    std::string page;
    for (const Credit& credit : kCredits) {
        if (!page.empty()) page += "\n\n";
        page += colorYellow + credit.role + colorCyan + credit.name + colorWhite;
    }
    return page + "\n";
}

}  // namespace

const char* const Credits::kDisclaimer =
    "No space weasels were harmed in the making of this game. Several were mildly inconvenienced.";

void Credits::Draw() {
    Game& g = game();
    Screen& screen = g.screen;
    screen.clearMessages();
    screen.addMenuOption("PRESS ENTER TO CONTINUE");
    for (const std::string& line : finalSheet(g.player, {"YOU", "ARE", "AWESOME"})) screen.addArtLine(line);

    screen.narrate(colorGreen + "Thanks for playing ORVANTIS." + colorWhite + kSevenLines, kCharDelayMs, 5);
    screen.narrate("Congratulations " + colorCyan + g.player.name + colorWhite +
                       "!\n\n\nYou have saved the galaxy from certain doom at the hands of the space pirates and "
                       "made a small fortune in the process.\n\n\n\n\n\n\n",
                   kCharDelayMs, 5);
    screen.narrate("CREDITS\n\n\n\n\n\n", kCharDelayMs, 10);
    screen.narrate(creditsPage(), kCharDelayMs, 5);
    g.console.sleepMs(kPauseAfterNamesMs);
    screen.narrate(colorYellow + "Special thanks to:" + colorWhite + "\nJust about " + colorRed + "everybody ever" +
                       colorWhite + ".\n\n\n\n\n\n\n",
                   kCharDelayMs, 10);
    screen.narrate(std::string(kDisclaimer) + kSevenLines, kCharDelayMs, 10);
    screen.narrate("You may now continue exploring ORVANTIS and leveling up your character.\nThe extent of your "
                   "adventure is limited only by your imagination.\n\n\n\n",
                   kCharDelayMs, 0);

    screen.clearFrame();
    screen.addMenuOption(colorGreen + "Press Any Key" + colorWhite);
    screen.addMenuOption(colorGreen + "To Enter Free Play Mode" + colorWhite);
    screen.addMenuOption("<*> Repeat Credits");
}

// "*" leaves the screen as it is, so the next frame rolls it all again.
void Credits::Update(const std::string& command) {
    if (command != "*") closeState();
}

}  // namespace orv
