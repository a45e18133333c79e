// The mission screen and the real-time loop around the shooter's rules:
// keys in, one frame of rules, the frame out, then sleep to the frame's
// deadline so a mission costs the machine next to nothing while it waits.
#include "minigame/editor.h"

#include <algorithm>
#include <fstream>

#include "app/game.h"
#include "core/colors.h"
#include "core/dice.h"
#include "core/paths.h"
#include "core/text.h"
#include "items/item.h"
#include "screens/creator.h"

namespace orv {

namespace {

constexpr int kFrameMs = 10;
constexpr int kVictoryFrameMs = 20;
constexpr int kVictoryFrames = 1000;
constexpr int kFireworkFrames = 300;
constexpr int kCurtainMs = 20;
constexpr std::size_t kKeysPerPoll = 1000;

// Beside its five items a won mission pays a twentieth of the score in
// experience and a fiftieth in money; the results page shows these sums.
double experienceFor(int score) { return score * 0.05; }
long lootFor(int score) { return static_cast<long>(score) * 2 / 100; }

}  // namespace

Editor::Editor(State* parent, int missionNumber)
    : State(parent),
      missionNumber_(missionNumber),
      state_(std::make_unique<MissionState>()),
      mission_(std::make_unique<Mission>(*state_, game().screen, &game().player)) {
    Player& player = game().player;
    for (std::string& name : rewardNames_) {
        auto item = Item::random(static_cast<int>(player.stats[Level]));
        name = item->name;
        player.inventory.add(std::move(item));
    }
    state_->reset(missionNumber_, player.name);
}

Editor::~Editor() {
    // Never leave the terminal reporting releases behind the next screen.
    if (running_ && hasGame()) game().console.setHeldKeyMode(false);
}

// ---- the screens around the mission ----

void Editor::Draw() {
    Screen& screen = game().screen;
    if (won_) {
        drawResults();
        screen.addMenuOption("<0> Exit");
    } else if (lost_) {
        screen.loadArt("\\quorix\\game_over.txt", false);
        screen.addMenuOption("<0> Exit");
    } else {
        drawBriefing();
    }
}

void Editor::drawBriefing() {
    Screen& screen = game().screen;
    screen.loadArt("\\quorix\\intro.txt", false);
    screen.clearMessages();
    screen.addMessage(
        "Welcome to the space shooter minigame. To control your ship, use the arrow keys. To fire your "
        "weapons, use the spacebar. To launch a bomb, press D.");
    if (!game().console.reportsKeyReleases())
        screen.addMessage("This terminal cannot tell when a key is let go, so tap the spacebar once to start "
                          "firing and again to stop.");
    screen.addMessage("Powerups:");
    screen.addMessage(colorRed + " Red" + colorWhite + ": Laser Upgrade\n " + colorMagenta + "Purple" +
                      colorWhite + ": Missile Upgrade\n White: Armor Restore\n " + colorGreen + "Green" +
                      colorWhite + ": Money\n " + colorYellow + "Yellow" + colorWhite + ": Score");
    screen.addMenuOption("<1> Begin the mission");
}

void Editor::drawResults() { game().screen.addArtLine(resultsPage(state_->ship.score, rewardNames_)); }

std::string Editor::resultsPage(int score, const std::array<std::string, 5>& rewardNames) {
    const std::string pad(15, ' ');
    std::string page = "\n\n" + pad + colorGreen + "All enemies have been defeated!\n\n" + colorWhite;
    page += pad + colorGreen + "Your score is: " + colorYellow + std::to_string(score) + colorWhite + "\n\n";
    for (const std::string& name : rewardNames)
        page += pad + colorGreen + "You recieve: " + colorYellow + name + colorWhite + "\n\n";
    page += pad + colorGreen + "Experience Gained: " + colorYellow + toText(experienceFor(score)) + colorWhite +
            "\n\n";
    page += pad + colorGreen + "Loot Gained: " + colorYellow + toText(lootFor(score)) + colorWhite + "\n\n";
    return page;
}

void Editor::Update(const std::string& command) {
    if (command == "1" && !started_) {
        runMission();
        return;
    }
    if (command == "0") {
        // The results page's experience may reach a new level: as after a
        // won battle, the level-up screen then takes the mission's place.
        const Player& player = game().player;
        if (won_ && player.stats[Level] >= 1 && player.levelUpPending()) setSubState(new Creator(this, true));
        closeState();  // back to the opener, from any page
    }
}

// ---- the mission ----

void Editor::runMission() {
    Game& g = game();
    started_ = running_ = true;
    g.screen.clearFrame();
    g.screen.render();
    mission_->begin(missionNumber_, g.player.name);
    g.console.setHeldKeyMode(true);
    releasesReported_ = g.console.reportsKeyReleases();
    HeldKeys keys;
    playUntilDecided(keys);
    if (!quit_ && state_->won) playVictory();
    g.console.setHeldKeyMode(false);
    running_ = false;
    if (quit_) {
        g.quitRequested = true;
        return;
    }
    won_ = state_->won;
    lost_ = !won_;
    if (won_) payResults();
    endTransition();
    // Keys still held through the curtains (a terminal repeats them) must
    // not become the start of the next typed line.
    g.console.flushInput();
}

// The results page tells the player what the win earned; it is given here,
// once, by the same roads a battle's victory pays by.
void Editor::payResults() {
    Player& player = game().player;
    player.stats[Experience] += static_cast<float>(experienceFor(state_->ship.score));
    player.changeMoney(lootFor(state_->ship.score));
}

void Editor::playUntilDecided(HeldKeys& keys) {
    Console& console = game().console;
    std::uint64_t deadline = console.nowMs();
    while (!state_->won && !state_->lost) {
        if (!pollKeys(keys)) return;
        // Behind the too-small notice the player cannot see the field:
        // nothing moves until the window fits again.
        if (!console.showsWholeFrame()) {
            game().screen.writeCells();
            pace(deadline, kFrameMs);
            continue;
        }
        mission_->fireWeapons(keys);
        mission_->moveAndDraw(keys, waveTextShown_ ? FrameMode::Play : FrameMode::WaveText);
        if (!waveTextShown_) drawWaveText();
        game().screen.writeCells();
        pace(deadline, kFrameMs);
        if (mission_->afterFrame(!waveTextShown_)) startWaveText();
    }
}

void Editor::playVictory() {
    Console& console = game().console;
    HeldKeys keys;
    std::uint64_t deadline = console.nowMs();
    for (int frame = 0; frame < kVictoryFrames; ++frame) {
        HeldKeys ignored;
        if (!pollKeys(ignored)) return;
        if (frame < kFireworkFrames && rollDice() % 100 < 10) mission_->burstAroundBoss(4, 6);
        if (frame == kFireworkFrames) mission_->burstAroundBoss(3, 1);
        keys.right = frame > kFireworkFrames;
        mission_->moveAndDraw(keys, FrameMode::Victory);
        game().screen.writeCells();
        pace(deadline, kVictoryFrameMs);
        ++state_->frame;
        if (state_->ship.x >= 81 && frame < 900) frame = 900;
    }
    state_->ship.score += state_->level.wave * 1000;
}

// Key events since the last frame. Returns false on Escape.
bool Editor::pollKeys(HeldKeys& keys) {
    Console& console = game().console;
    const std::vector<KeyEvent> events = console.peekKeys(kKeysPerPoll);
    console.consumeKeys(events.size());
    for (const KeyEvent& event : events) {
        switch (event.key) {
            case KeyEscape:
                if (event.down) {
                    quit_ = true;
                    return false;
                }
                break;
            case KeySpace:
                if (releasesReported_) keys.fire = event.down;
                else if (event.down) keys.fire = firingSwitchedOn_ = !firingSwitchedOn_;
                break;
            case KeyUp: keys.up = event.down; break;
            case KeyDown: keys.down = event.down; break;
            case KeyLeft: keys.left = event.down; break;
            case KeyRight: keys.right = event.down; break;
            // A bomb is one press: it waits for the frame even if the key
            // is already up again.
            case 'd': if (event.down) keys.bomb = true; break;
            case 'f': keys.f = false; break;
            default: break;
        }
    }
    return true;
}

// Sleep to the frame's deadline on the console's monotonic clock; the
// frame's own work counts inside its time. After a long stall (a suspend)
// the deadline starts again from now instead of racing to catch up.
void Editor::pace(std::uint64_t& deadline, int frameMs) {
    Console& console = game().console;
    deadline += static_cast<std::uint64_t>(frameMs);
    const std::uint64_t now = console.nowMs();
    if (now < deadline) console.sleepMs(static_cast<int>(deadline - now));
    else if (now > deadline + 5u * static_cast<std::uint64_t>(frameMs)) deadline = now;
}

void Editor::endTransition() {
    Screen& screen = game().screen;
    const int attribute = won_ ? (2 | 32) : (4 | 64);
    screen.saveConsole();
    screen.clearFrame();
    screen.clearMessages();
    screen.curtainSweep(attribute, true, kCurtainMs);
    Draw();
    screen.render();
    screen.saveConsole();
    screen.curtainSweep(attribute, false, kCurtainMs);
}

// ---- wave texts ----

void Editor::startWaveText() {
    waveTextShown_ = false;
    typedChars_ = 0;
    holdFrames_ = 0;
    textFrames_ = 0;
    loadPortrait();
}

void Editor::loadPortrait() {
    for (auto& frame : portrait_) frame.clear();
    const std::string& name = state_->level.wavePortrait;
    if (name.empty()) return;
    const char* files[] = {"1.txt", "2.txt", "blink.txt"};
    for (std::size_t i = 0; i < portrait_.size(); ++i) {
        std::ifstream in = openDataFile("art\\" + name + "\\" + files[i]);
        if (!in) {
            game().screen.addMessage("unable to open file");
            continue;
        }
        std::string line;
        while (portrait_[i].size() < 30 && std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            portrait_[i].push_back(line.substr(0, 50));
        }
    }
}

// The wave's text types itself over the paused field, one character every
// fourth frame, beside the speaker's face; it stays as long again as it
// has characters (plus two frames), then play resumes.
void Editor::drawWaveText() {
    Cells& cells = game().screen.cells();
    auto put = [&](int x, int y, unsigned char ch) {
        if (x >= 0 && x < kConsoleWidth && y >= 0 && y < kFieldHeight)
            cells[y * kConsoleWidth + x] = Cell{ch, 7};
    };
    const int frame = state_->frame;
    const std::size_t which = (frame / 2) % 25 == 0 ? 2 : ((frame / 2) % 2 == 0 ? 0 : 1);
    const std::vector<std::string>& face = portrait_[which];
    for (std::size_t row = 0; row < face.size(); ++row)
        for (std::size_t col = 0; col < face[row].size(); ++col)
            if (face[row][col] != ' ') put(30 + static_cast<int>(col), 5 + static_cast<int>(row), face[row][col]);

    const std::string& text = state_->level.waveText;
    int x = 20, y = 20;
    for (int i = 0; i < typedChars_ && i < static_cast<int>(text.size()); ++i) {
        const unsigned char ch = static_cast<unsigned char>(text[i]);
        if (ch == ' ' && x > 70) {
            x = 10;
            ++y;
            continue;
        }
        if (ch >= 32) put(x++, y, ch);
    }
    if (textFrames_++ % 4 == 0 && typedChars_ < static_cast<int>(text.size())) ++typedChars_;
    if (typedChars_ >= static_cast<int>(text.size()) && ++holdFrames_ >= static_cast<int>(text.size()) + 2)
        waveTextShown_ = true;
}

}  // namespace orv
