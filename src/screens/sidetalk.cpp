// The conversation with the sidekick.
#include "screens/sidetalk.h"

#include <cmath>
#include <fstream>
#include <iterator>

#include "app/game.h"
#include "core/colors.h"
#include "core/dice.h"
#include "core/paths.h"
#include "core/text.h"
#include "items/inventory.h"
#include "items/stat_rows.h"
#include "world/tutorial.h"

namespace orv {

namespace {

constexpr int kStatisticsRows = 21;  // the name, the statistics and the resistances
constexpr std::size_t kStatisticsWidth = 24;
constexpr int kFaceRow = 3;          // the face sits beside HP to Max MP
constexpr std::size_t kFaceLines = 3;
constexpr std::size_t kPictureLineBuffer = 120;
constexpr std::size_t kResponseLineBuffer = 300;
constexpr float kSlap = -10;

// A line the way a fixed buffer of `buffer` characters reads it: a longer
// line is cut and is the last one read.
bool readBufferedLine(std::ifstream& file, std::string& line, std::size_t buffer, bool& lastLine) {
    if (!std::getline(file, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lastLine = line.size() > buffer - 1;
    if (lastLine) line.resize(buffer - 1);
    return true;
}

}  // namespace

std::string Sidetalk::responseFile(const std::string& responseName) {
    return responseName.empty() ? "sidekick\\responses.txt" : "sidekick\\" + responseName + ".txt";
}

Sidetalk::Sidetalk(State* parent, const std::string& responseName)
    : State(parent),
      faces_{{{"Angry", &colorRed, {}},
              {"Sad", &colorMagenta, {}},
              {"Indifferent", &colorYellow, {}},
              {"Happy", &colorCyan, {}},
              {"Blissful", &colorGreen, {}}}} {
    Game& g = game();
    for (std::size_t level = 0; level < faces_.size(); ++level) {
        MoodFace& face = faces_[level];
        const std::string path = std::string("art\\sidekick\\") + kMoodFaces[level] + ".txt";
        std::ifstream file = openDataFile(path, std::ios::in | std::ios::binary);
        if (!file) {
            g.screen.addMessage("Unable to open file \"" + path + "\".");
            continue;
        }
        std::string line;
        bool lastLine = false;
        while (face.picture.size() < kFaceLines && !lastLine &&
               readBufferedLine(file, line, kPictureLineBuffer, lastLine))
            face.picture.push_back(line);
    }
    readResponses(responseName);
    Tutorial::offer(this, HintSidekick);
}

// Every line is one thing the sidekick may say, an empty one included: the
// sidekick sometimes just opens its mouth and says nothing at all. So the
// file's text is cut at each line break, and a file that ends with one ends
// with such a silence. A line too long for the reader's buffer is cut and
// is the last one read.
void Sidetalk::readResponses(const std::string& responseName) {
    std::ifstream file = openDataFile(responseFile(responseName), std::ios::in | std::ios::binary);
    if (!file) return;
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const bool cut = line.size() > kResponseLineBuffer - 1;
        if (cut) line.resize(kResponseLineBuffer - 1);
        responses_.push_back(line);
        if (cut || end == text.size()) return;
        start = end + 1;
    }
}

void Sidetalk::Draw() {
    Game& g = game();
    Screen& screen = g.screen;
    const Sidekick& sidekick = g.sidekick;
    const int level = sidekick.moodLevel();
    const MoodFace* face = level >= 0 && level < int(faces_.size()) ? &faces_[std::size_t(level)] : nullptr;
    for (int row = 0; row < kStatisticsRows; ++row) {
        std::string line = statRow(row, sidekick, sidekick.effective, sidekick.effectiveResistances,
                                   RowSubject::Protagonist, noChanges_, noResistanceChanges_, kStatisticsWidth) +
                           "||    ";
        const int faceLine = row - kFaceRow;
        if (face && faceLine >= 0 && std::size_t(faceLine) < face->picture.size())
            line += *face->colour + face->picture[std::size_t(faceLine)] + colorWhite;
        else if (face && faceLine == int(kFaceLines) + 1)
            line += *face->colour + face->name + colorWhite;
        screen.addArtLine(line);
    }
    screen.addArtLine("");
    screen.addArtLine(sidekick.name + "'s mood is currently: " + sidekick.moodName());

    switch (mode_) {
        case MainMenu:
            screen.addMenuOption("<1> Chat");
            screen.addMenuOption("<2> Give Money (increase mood)");
            screen.addMenuOption("<3> Slap (decrease mood)");
            screen.addMenuOption("<4> Set AI");
            screen.addMenuOption("<.> Access Sidekick Inventory");
            screen.addMenuOption("<0> Stop talking");
            break;
        case WaitingForMoney:
            screen.addMenuOption("<0> Don't give");
            break;
        case ChoosingBattleMode:
            screen.addMenuOption("<1> Attack");
            screen.addMenuOption("<2> Fire Magic");
            screen.addMenuOption("<3> Ice Magic");
            screen.addMenuOption("<4> Dark Magic");
            screen.addMenuOption("<5> Light Magic");
            screen.addMenuOption("<6> Ether Magic");
            break;
    }
}

void Sidetalk::Update(const std::string& command) {
    switch (mode_) {
        case ChoosingBattleMode: return chooseBattleMode(command);
        case WaitingForMoney: return giveMoney(command);
        case MainMenu: return updateMainMenu(command);
    }
}

void Sidetalk::chooseBattleMode(const std::string& command) {
    static const char* const kModes[] = {"attack", "fire magic", "ice magic", "dark magic", "light magic", "ether magic"};
    for (int i = 0; i < 6; ++i) {
        if (command != toText(i + 1)) continue;
        game().sidekick.battleMode = kModes[i];
        game().screen.addMessage(colorRed + "Script selected: " + colorWhite + kModes[i]);
        mode_ = MainMenu;
        return;
    }
}

// Whatever is typed is an amount: a word reads as 0 and fractions are cut
// off before the purse is asked, so "100.5" from a purse of 100 pays 100.
// A gift of nothing still cheers the sidekick up, as far as it can tell.
void Sidetalk::giveMoney(const std::string& command) {
    Game& g = game();
    const float typed = toNumber(command);
    const float amount = std::isnan(typed) ? 0.0f : std::trunc(typed);
    if (amount < 0) {
        g.screen.addMessage("Invalid amount.");
    } else if (amount > float(g.player.money)) {
        g.screen.addMessage("You don't have that much money.");
    } else {
        const int paid = static_cast<int>(amount);
        g.player.changeMoney(-paid);
        // A sidekick below level 1 (only a hand-edited save makes one) counts
        // as level 1, so a gift never divides by nothing.
        const float level = std::max(1.0f, g.sidekick.stats[Level]);
        g.sidekick.changeMood(float(paid) / level * 1.0f);
        g.screen.addMessage(g.sidekick.name + " became happier!");
        mode_ = MainMenu;
    }
    if (command == "0") mode_ = MainMenu;
}

void Sidetalk::chat() {
    if (responses_.empty()) return;
    const std::string& line = responses_[std::size_t(rollDice()) % responses_.size()];
    game().screen.addMessage(colorYellow + game().sidekick.name + ": " + colorWhite + line);
}

void Sidetalk::updateMainMenu(const std::string& command) {
    Game& g = game();
    if (matchesAny(command, {"s", "stop", "0"})) {
        closeState();
    } else if (matchesAny(command, {"u", "2"})) {
        g.screen.addMessage("Enter the amount of money to give (0 to cancel).");
        mode_ = WaitingForMoney;
    } else if (matchesAny(command, {"d", "3"})) {
        g.screen.addMessage(colorRed + "*SLAP*" + colorWhite + " -- You slap " + g.sidekick.name + "! Ouch!");
        g.sidekick.changeMood(kSlap);
    } else if (command == "4") {
        g.screen.addMessage("Select an attack mode.");
        mode_ = ChoosingBattleMode;
    } else if (command == ".") {
        setSubState(new Inventory(this, g.sidekick));
    } else if (matchesAny(command, {"c", "1"})) {
        chat();
    }
}

}  // namespace orv
