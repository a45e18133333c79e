// Character creation and level-up.
#include "screens/creator.h"

#include "app/game.h"
#include "core/colors.h"
#include "core/text.h"
#include "data/level_up.h"
#include "screens/character_sheet.h"
#include "world/quest.h"
#include "world/tutorial.h"

namespace orv {

namespace {

constexpr std::size_t kLongestName = 12;
constexpr int kCustomPoints = 20;

struct ClassBuild {
    const char* name;
    float maxHP, maxMP, attack, magic, speed, defence, resistance;
};

constexpr ClassBuild kPlayerClasses[] = {
    {"Fighter", 80, 10, 35, 5, 10, 30, 1.05f}, {"Mage", 30, 45, 5, 45, 10, 10, 0.9f},
    {"Rogue", 60, 10, 20, 5, 40, 15, 0.95f},   {"Outlaw", 50, 25, 20, 20, 20, 20, 1.0f},
    {"Custom", 50, 25, 0, 0, 0, 0, 1.0f},
};
constexpr ClassBuild kSidekickClasses[] = {
    {"Fighter", 40, 5, 20, 3, 5, 15, 1.05f},
    {"Mage", 15, 23, 3, 23, 5, 5, 0.9f},
    {"Rogue", 30, 5, 10, 3, 20, 9, 0.95f},
    {"Outlaw", 25, 15, 10, 10, 10, 10, 1.0f},
};

// The five improvements, shared by custom points and level-ups.
struct Improvement {
    std::initializer_list<const char*> commands;
    LevelChoice choice;
    const char* before;
    const char* word;
};

const Improvement kImprovements[] = {
    {{"d", "deadlier", "1"}, LevelChoice::Deadlier, "You feel yourself become", " deadlier..."},
    {{"q", "quicker", "2"}, LevelChoice::Quicker, "You feel yourself get", " faster..."},
    {{"w", "wiser", "3"}, LevelChoice::Wiser, "You feel yourself get a little", " smarter..."},
    {{"t", "tougher", "4"}, LevelChoice::Tougher, "You feel your skin get a little", " tougher..."},
    {{"b", "better", "5"}, LevelChoice::Better, "You feel yourself become a better", " fighter..."},
};

const Improvement* findImprovement(const std::string& command) {
    for (const Improvement& improvement : kImprovements)
        if (matchesAny(command, improvement.commands)) return &improvement;
    return nullptr;
}

std::string improvementMessage(const Improvement& improvement) {
    return improvement.before + colorYellow + improvement.word + colorWhite;
}

// A custom point goes into the base build only.
StatBlock customPoint(LevelChoice choice) {
    StatBlock up;
    auto defences = [&](float amount) {
        up[LowDefence] = up[MidDefence] = up[HighDefence] = amount;
    };
    switch (choice) {
        case LevelChoice::Deadlier: up[Attack] = 4; break;
        case LevelChoice::Quicker: up[Speed] = 4; break;
        case LevelChoice::Wiser: up[Magic] = 4; break;
        case LevelChoice::Tougher: defences(4); break;
        case LevelChoice::Better:
            up[Attack] = up[Magic] = up[Speed] = 1.5f;
            defences(1.5f);
            break;
    }
    return up;
}

std::string classOption(const std::string& key, const std::string& text) {
    return "<" + colorGreen + key + colorWhite + text;
}

std::string createOption(const std::string& text) {
    return colorGreen + "<" + colorYellow + "C" + colorGreen + text + colorWhite;
}

struct ClassCommand {
    std::initializer_list<const char*> commands;
    const char* className;
};

}  // namespace

bool applyClass(Protagonist& who, const std::string& className, bool forPlayer) {
    const ClassBuild* begin = forPlayer ? std::begin(kPlayerClasses) : std::begin(kSidekickClasses);
    const ClassBuild* end = forPlayer ? std::end(kPlayerClasses) : std::end(kSidekickClasses);
    for (const ClassBuild* build = begin; build != end; ++build) {
        if (className != build->name) continue;
        who.stats.clear();
        who.stats[Level] = 1;
        who.stats[MaxHP] = who.stats[HP] = build->maxHP;
        who.stats[MaxMP] = who.stats[MP] = build->maxMP;
        who.stats[Attack] = build->attack;
        who.stats[Magic] = build->magic;
        who.stats[Speed] = build->speed;
        who.stats[LowDefence] = who.stats[MidDefence] = who.stats[HighDefence] = build->defence;
        for (std::size_t i = 0; i < ResistanceCount; ++i) who.resistances[i] = build->resistance;
        who.className = build->name;
        who.copyBaseToEffective();
        return true;
    }
    return false;
}

Creator::Creator(State* parent, bool levelUpMode) : State(parent), levelUpMode_(levelUpMode) {
    Game& g = game();
    g.audio.playMusic("levelup.mp3");
    g.screen.clearMessages();
    if (g.player.levelUpPending()) {
        levelsLeft_ = g.player.countGainedLevels();
        g.screen.addMessage(colorGreen + "You went up " + colorMagenta + toText(levelsLeft_) + colorGreen +
                            " levels." + colorWhite);
    }
    g.screen.addMessage(colorWhite);
    awaitingName_ = !levelUpMode_;
    if (!levelUpMode_) Tutorial::offer(this, HintIntro);
}

void Creator::Draw() {
    Game& g = game();
    Screen& screen = g.screen;
    auto addSheet = [&](const std::vector<std::string>& lines) {
        for (const std::string& line : lines) screen.addArtLine(line);
    };
    if (levelUpMode_ && !awaitingName_ && !customActive_) {
        addSheet(levelUpSheet(g.player, g.sidekick));
        if (levelsLeft_ > 0) drawPointOptions(true);
        screen.addMenuOption("<0> Exit");
        return;
    }
    if (playerPhase_) addSheet(characterSheet(g.player, {"CREATE", "YOUR", "CHARACTER"}));
    else addSheet(characterSheet(g.sidekick, {"CREATE", "YOUR", "SIDEKICK"}));

    if (awaitingName_) {
        screen.addMenuOption(colorGreen + (playerPhase_ ? "ENTER PLAYER NAME" : "ENTER SIDEKICK NAME") + colorWhite);
    } else if (customActive_) {
        drawPointOptions(false);
    } else {
        drawClassOptions(playerPhase_);
    }
}

void Creator::drawClassOptions(bool forPlayer) {
    Screen& screen = game().screen;
    screen.addMenuOption(classOption("F", "> Fighter"));
    screen.addMenuOption(classOption("M", "> Mage"));
    screen.addMenuOption(classOption("R", "> Rogue"));
    screen.addMenuOption(classOption("O", "> Outlaw (balanced)"));
    if (forPlayer) screen.addMenuOption(classOption("CU", "> Make Custom"));
    screen.addMenuOption(classOption("S", "> Set New Name"));
    if (forPlayer && playerNamed_ && playerClassChosen_) screen.addMenuOption(createOption("> Create My Character"));
    if (!forPlayer && sidekickNamed_ && sidekickClassChosen_) screen.addMenuOption(createOption("> Create My Sidekick"));
}

void Creator::drawPointOptions(bool numberedKeys) {
    static const char* const letters[] = {"D", "Q", "W", "T", "B"};
    static const char* const texts[] = {"> Deadlier", "> Quicker", "> Wiser", "> Tougher", "> Better all around"};
    for (int i = 0; i < 5; ++i) {
        const std::string key = numberedKeys ? toText(i + 1) : letters[i];
        game().screen.addMenuOption("Make me <" + colorGreen + key + colorWhite + texts[i]);
    }
}

void Creator::Update(const std::string& command) {
    if (playerPhase_) updatePlayerPhase(command);
    else if (sidekickPhase_) updateSidekickPhase(command);
}

// Why a typed name cannot be used, or nothing when it can. A name travels
// everywhere: into the story, onto every screen, and inside the "|"-separated
// records the battle scripts read, so a bar, a control byte (the game's
// colour codes among them, and the escape that starts a terminal sequence)
// or a letter the game cannot show would break all of those.
static const char* nameRefusal(const std::string& name) {
    if (name.find_first_not_of(' ') == std::string::npos)
        return "Sorry, a name cannot be blank. Please select another one.";
    if (name.size() > kLongestName) return "Sorry, that name is too long. Please select another one.";
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127 || c == '|')
            return "Sorry, that name has a character I cannot use. Please select another one.";
    }
    return nullptr;
}

bool Creator::takeName(const std::string& line, Protagonist& who) {
    const std::size_t first = line.find_first_not_of(' ');
    const std::string name =
        first == std::string::npos ? std::string() : line.substr(first, line.find_last_not_of(' ') - first + 1);
    if (const char* refusal = nameRefusal(name)) {
        game().screen.clearMessages();
        game().screen.addMessage(refusal);
        return false;
    }
    who.name = capitalizeWords(name);
    awaitingName_ = false;
    return true;
}

void Creator::updatePlayerPhase(const std::string& command) {
    Game& g = game();
    if (awaitingName_) {
        if (takeName(command, g.player)) playerNamed_ = true;
        return;
    }
    if (levelUpMode_ && !customActive_) {
        spendLevel(command);  // may close this screen: nothing after it
        return;
    }
    if (customActive_) {
        spendCustomPoint(command);
        return;
    }
    static const ClassCommand kCommands[] = {
        {{"f", "fighter", "1"}, "Fighter"}, {{"m", "mage", "2"}, "Mage"},       {{"r", "rogue", "3"}, "Rogue"},
        {{"o", "outlaw", "4"}, "Outlaw"},   {{"cu", "custom", "5"}, "Custom"},
    };
    if (matchesAny(command, {"c", "create", "create character", "7"})) {
        if (playerNamed_ && playerClassChosen_) startSidekick();
        return;
    }
    for (const ClassCommand& entry : kCommands) {
        if (!matchesAny(command, entry.commands)) continue;
        applyClass(g.player, entry.className, true);
        playerClassChosen_ = true;
        if (std::string(entry.className) == "Custom") {
            customActive_ = true;
            choicesLeft_ = kCustomPoints;
        }
        return;
    }
    if (matchesAny(command, {"s", "set", "set name", "s name", "6"})) awaitingName_ = true;
}

void Creator::spendLevel(const std::string& command) {
    Game& g = game();
    if (levelsLeft_ < 1) {
        if (matchesAny(command, {"e", "exit", "0"})) {
            g.audio.playPreviousMusic();
            closeState();
        }
        return;
    }
    g.screen.clearMessages();
    const Improvement* improvement = findImprovement(command);
    if (!improvement) return;
    g.player.applyLevel(playerLevelIncrements(improvement->choice));
    g.screen.addMessage(improvementMessage(*improvement));
    --levelsLeft_;
    g.sidekick.applyLevel(sidekickLevelIncrements(g.sidekick.className));
    g.screen.addMessage("You have " + colorGreen + toText(levelsLeft_) + colorWhite + " levels left.");
    const int level = static_cast<int>(g.player.stats[Level]);
    g.player.learnSpells(level);
    g.sidekick.learnSpells(level);
}

void Creator::spendCustomPoint(const std::string& command) {
    Game& g = game();
    g.screen.clearMessages();
    const Improvement* improvement = findImprovement(command);
    if (!improvement || choicesLeft_ <= 0) return;
    g.player.stats.add(customPoint(improvement->choice));
    g.screen.addMessage(improvementMessage(*improvement));
    --choicesLeft_;
    g.screen.addMessage("You have " + colorMagenta + toText(choicesLeft_) + colorWhite + " choices left.");
    if (choicesLeft_ == 0) {
        g.player.copyBaseToEffective();
        customActive_ = false;
    }
}

void Creator::startSidekick() {
    Screen& screen = game().screen;
    playerPhase_ = false;
    sidekickPhase_ = true;
    awaitingName_ = true;
    const auto oldFrame = screen.snapshot();
    screen.clearFrame();
    screen.clearMessages();
    Draw();
    const auto newFrame = screen.snapshot();
    screen.splitTransition(*oldFrame, *newFrame);
}

void Creator::updateSidekickPhase(const std::string& command) {
    Game& g = game();
    if (awaitingName_) {
        if (takeName(command, g.sidekick)) sidekickNamed_ = true;
        return;
    }
    static const ClassCommand kCommands[] = {
        {{"f", "fighter", "1"}, "Fighter"},
        {{"m", "mage", "2"}, "Mage"},
        {{"r", "rogue", "3"}, "Rogue"},
        {{"o", "outlaw", "4"}, "Outlaw"},
    };
    if (matchesAny(command, {"c", "create", "create character", "6"})) {
        if (!sidekickNamed_ || !sidekickClassChosen_) return;
        // Both know the spells their new builds allow before the story starts.
        g.player.learnSpells(1);
        g.sidekick.learnSpells(1);
        setSubState(new Quest(this, "begin", "begin"));
        g.console.sleepMs(100);
        closeState();  // the opening story takes this screen's place
        return;
    }
    for (const ClassCommand& entry : kCommands) {
        if (!matchesAny(command, entry.commands)) continue;
        applyClass(g.sidekick, entry.className, false);
        sidekickClassChosen_ = true;
        return;
    }
    if (matchesAny(command, {"s", "set", "set name", "s name", "5"})) awaitingName_ = true;
}

}  // namespace orv
