// Character creation and level-up, played through the title screen.
#include <gtest/gtest.h>

#include "app/run.h"
#include "core/colors.h"
#include "core/text.h"
#include "data/level_up.h"
#include "screens/character_sheet.h"
#include "screens/creator.h"
#include "support/test_root.h"
#include "support/test_world.h"

namespace orv {
namespace {

using test::InGameData;
using test::TestWorld;

struct Played {
    InGameData data;
    TestWorld world;
    std::ostringstream frames;
    // A new game's first line is followed by "0": the lesson that opens over
    // creation is skipped, as a player who knows the game would.
    explicit Played(const std::vector<std::string>& lines) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            world.console.addScriptLine(lines[i]);
            if (i == 0 && lines[i] == "1") world.console.addScriptLine("0");
        }
        runGame(world.game);
    }
    const std::string screen() { return world.console.frameText(); }
};

TEST(Creation, NamesClassesAndSplitsToTheSidekick) {
    Played run({"1", "al of the x", "f", "c", "mary-jane", "m"});
    const Game& g = run.world.game;
    EXPECT_EQ(g.player.name, "Al of the X");
    EXPECT_EQ(g.player.className, "Fighter");
    EXPECT_EQ(g.player.effective[MaxHP], 80.0f);
    EXPECT_EQ(g.player.effective[HP], 80.0f);
    EXPECT_FLOAT_EQ(g.player.resistances[Fire], 1.05f);
    EXPECT_EQ(g.sidekick.name, "Mary-Jane");
    EXPECT_EQ(g.sidekick.className, "Mage");
    EXPECT_EQ(g.sidekick.effective[Magic], 23.0f);
    EXPECT_EQ(g.player.money, 300);
    EXPECT_EQ(g.audio.currentMusic(), "levelup.mp3");
    // The party is ready: the sidekick sheet offers to create it.
    const std::string screen = run.world.console.frameText();
    EXPECT_NE(screen.find("SIDEKICK"), std::string::npos);
    EXPECT_NE(screen.find("<C> Create My Sidekick"), std::string::npos);
    EXPECT_NE(screen.find("Type: Mage"), std::string::npos);
    // The player already knows the two spells every hero starts with.
    ASSERT_EQ(g.player.spells.size(), 2u);
}

TEST(Creation, TheSplitTransitionPlaysWhenThePlayerIsCreated) {
    Played before({"1", "zed", "r"});
    Played after({"1", "zed", "r", "c"});
    // 39 steps of 50 ms between the two sheets, on the virtual clock.
    EXPECT_EQ(after.world.console.framesWritten() - before.world.console.framesWritten(), 39u + 1u);
    EXPECT_EQ(after.world.console.nowMs() - before.world.console.nowMs(), 39u * 50u);
    EXPECT_NE(after.screen().find("ENTER SIDEKICK NAME"), std::string::npos);
}

TEST(Creation, NamesLongerThanTwelveAreRefused) {
    Played run({"1", "abcdefghijklm"});
    EXPECT_EQ(run.world.game.player.name, "Player");
    EXPECT_NE(run.screen().find("Sorry, that name is too long. Please select another one."), std::string::npos);
    EXPECT_NE(run.screen().find("ENTER PLAYER NAME"), std::string::npos);
    Played twelve({"1", "abcdefghijkl"});
    EXPECT_EQ(twelve.world.game.player.name, "Abcdefghijkl");
}

TEST(Creation, NamesThatWouldBreakTheStoryOrTheScriptsAreRefused) {
    const std::string blank = "Sorry, a name cannot be blank. Please select another one.";
    const std::string character = "Sorry, that name has a character I cannot use. Please select another one.";
    const std::pair<std::string, std::string> refused[] = {
        {"", blank},
        {"   ", blank},
        {"bo|b", character},            // the scripts' record separator
        {"a\x1b[31mb", character},      // a terminal escape sequence
        {"x\x1by", character},          // a colour code of the game's own
        {"zo\xe2\x9c\x93", character},  // a sign code page 437 lacks
        {"zo\xc3", character},          // broken UTF-8
    };
    for (const auto& [name, message] : refused) {
        SCOPED_TRACE(name);
        Played run({"1", name});
        EXPECT_EQ(run.world.game.player.name, "Player");
        EXPECT_NE(run.screen().find(message), std::string::npos);
        EXPECT_NE(run.screen().find("ENTER PLAYER NAME"), std::string::npos);
    }
}

TEST(Creation, LettersCodePage437HasAreOneCharacterEachAndKeepTheirCapitals) {
    Played run({"1", "zo\xc3\xab", "f", "c", "\xc3\x89mile  ", "m"});
    EXPECT_EQ(run.world.game.player.name, "Zo\x89");         // ë is byte 0x89
    EXPECT_EQ(run.world.game.sidekick.name, "\x90mile");     // É, trimmed
    // Twelve accented letters fit: the length counts letters, not UTF-8 bytes.
    std::string twelve;
    for (int i = 0; i < 12; ++i) twelve += "\xc3\xb1";  // ñ
    Played full({"1", twelve});
    EXPECT_EQ(full.world.game.player.name, "\xa5" + std::string(11, '\xa4'));
    EXPECT_NE(full.screen().find("Name: \u00d1\u00f1\u00f1"), std::string::npos) << "shown as the glyphs";
}

TEST(Creation, CreateNeedsANameAndAClass) {
    Played run({"1", "zed", "c"});
    EXPECT_NE(run.screen().find("CHARACTER"), std::string::npos);  // still the player's sheet
    EXPECT_EQ(run.screen().find("Create My Character"), std::string::npos);
}

TEST(Creation, TwentyCustomPointsOneByOneThenTheClassesAgain) {
    std::vector<std::string> lines = {"1", "zed", "cu"};
    for (int i = 0; i < 10; ++i) lines.push_back("d");
    lines.push_back("nonsense");
    for (int i = 0; i < 9; ++i) lines.push_back("b");
    Played almost(lines);
    EXPECT_NE(almost.screen().find("Make me <D> Deadlier"), std::string::npos);
    EXPECT_NE(almost.screen().find("You have 1 choices left."), std::string::npos);

    lines.push_back("t");
    Played run(lines);
    const Player& player = run.world.game.player;
    EXPECT_EQ(player.stats[Attack], 40 + 9 * 1.5f);
    EXPECT_EQ(player.stats[LowDefence], 4 + 9 * 1.5f);
    EXPECT_EQ(player.effective[Attack], player.stats[Attack]);  // copied when the last point is spent
    EXPECT_NE(run.screen().find("You have 0 choices left."), std::string::npos);
    EXPECT_NE(run.screen().find("<F> Fighter"), std::string::npos);
    EXPECT_NE(run.screen().find("<C> Create My Character"), std::string::npos);
    EXPECT_NE(run.screen().find("Type: Custom"), std::string::npos);
}

TEST(LevelUp, ThreeLevelsFrom40000ExperienceAndTheSidekickGrows) {
    InGameData data;
    TestWorld w;
    Game& g = w.game;
    applyClass(g.player, "Fighter", true);
    applyClass(g.sidekick, "Rogue", false);
    g.player.stats[Experience] = 40000;
    g.audio.playMusic("dungeon.mid");
    int running = 1;
    test::TestRoot opener;
    auto* creator = new Creator(&opener, true);
    opener.setSubState(creator);
    (void)running;
    EXPECT_EQ(creator->levelsLeft(), 3);
    EXPECT_EQ(g.screen.messages()[1], colorGreen + "You went up " + colorMagenta + "3" + colorGreen + " levels." +
                                          colorWhite + "\n");
    const float sidekickAttack = g.sidekick.stats[Attack];
    opener.updateCurrent("1");
    opener.updateCurrent("exit");  // refused while levels are left
    ASSERT_EQ(opener.subState(), creator);
    opener.updateCurrent("b");
    opener.updateCurrent("wiser");
    EXPECT_EQ(creator->levelsLeft(), 0);
    EXPECT_EQ(g.player.stats[Level], 4.0f);
    EXPECT_EQ(g.player.stats[Attack], 35 + 4 + 1.5f);
    EXPECT_EQ(g.player.stats[Magic], 5 + 1.5f + 4);
    EXPECT_EQ(g.player.stats[MaxHP], 80 + 30 + 27.5f + 20);
    EXPECT_EQ(g.sidekick.stats[Level], 4.0f);
    EXPECT_EQ(g.sidekick.stats[Attack], sidekickAttack + 3 * 1.5f);
    EXPECT_EQ(g.sidekick.stats[MaxHP], 30 + 3 * (7.5f + 10));
    EXPECT_EQ(g.player.effective[HP], 80.0f);  // levelling does not heal
    EXPECT_NE(g.screen.messages()[0].find("levels left."), std::string::npos);
    EXPECT_NE(g.screen.messages()[0].find("0"), std::string::npos);

    g.screen.clearFrame();
    opener.drawCurrent();
    ASSERT_EQ(g.screen.menuOptions().size(), 1u);
    EXPECT_EQ(g.screen.menuOptions()[0], "<" + colorGreen + "0" + colorWhite + "> Exit");
    opener.updateCurrent("0");
    EXPECT_EQ(opener.subState(), nullptr);
    EXPECT_EQ(g.audio.currentMusic(), "dungeon.mid");  // the music before it resumes
}

TEST(CharacterSheet, ResistancesShowAsThePercentAvoided) {
    EXPECT_EQ(resistancePercent(1.05f), "-5%");
    EXPECT_EQ(resistancePercent(0.9f), "10%");
    EXPECT_EQ(resistancePercent(1.0f), "0%");
    TestWorld w;
    applyClass(w.game.player, "Mage", true);
    w.game.player.name = "Zed";
    const auto sheet = characterSheet(w.game.player, {"CREATE", "YOUR", "CHARACTER"});
    for (const std::string& line : sheet) {
        EXPECT_LE(displayLength(line), 79u);
        EXPECT_EQ(displayLength(line.substr(0, line.find("||"))), 18u);
    }
    EXPECT_FALSE(applyClass(w.game.player, "Wizard", true));
}

}  // namespace
}  // namespace orv
