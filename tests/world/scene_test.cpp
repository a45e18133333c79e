// Quest scenes, the town and the ship on a small world written for each
// test: the question after a boss, a level-up earned in a scene, instant
// town scenes, messages said once, and the readers' line limit.
#include <gtest/gtest.h>

#include <sstream>

#include "combat/battle.h"
#include "core/dice.h"
#include "core/text.h"
#include "items/inventory.h"
#include "screens/creator.h"
#include "support/test_root.h"
#include "support/test_world.h"
#include "world/quest.h"
#include "world/quest_log.h"
#include "world/shop.h"
#include "world/spaceship.h"
#include "world/town.h"

namespace orv {
namespace {

using test::ScratchDirectory;
using test::TestWorld;

const std::string kBoss =
    "MONSTER_BEGIN\nName: Soft Boss\nType: None\nPlanet: Guelf\nDescription: d\nFire: 100\nIce: 100\nLight: 100\n"
    "Dark: 100\nEther: 100\nSpeed: 1\nAttack: 1\nMagic: 1\nLowDef: 1\nMidDef: 1\nHighDef: 1\nLower: a\nMiddle: b\n"
    "Upper: c\nWeapon: w\nWeaponType: sword\n";

// Guelf with one quest whose first state plays `scene` at `place`.
struct SceneWorld {
    ScratchDirectory dir;
    TestWorld world;
    Game& g = world.game;
    test::TestRoot root;

    SceneWorld(const std::string& place, const std::string& scene, const std::string& stateExtra = "") {
        dir.write("quests/Guelf.txt", "BEGIN_QUEST:1\nBEGIN_STATE:1\nLOCATION_NAME:" + place + "\n" + stateExtra +
                                          "BEGIN_QUEST_ROOM:1\nQUEST_ROOM_MAP:x.txt\n" + scene +
                                          "END_QUEST_ROOM\nEND_STATE:\nEND_QUEST:\n");
        dir.write("quests/Guelf/x.txt", "a scene\n");
        dir.write("planets/Planet List.txt", "Customs Bastion,Guelf\n");
        dir.write("monsters/Bosses.txt", kBoss);
        dir.write("towns/towns.txt", "TOWN:Guelf\nNAME:Guelf Port\nPLANET:Guelf\nMAP:map.txt\nTOWN_END:\n");
        dir.write("towns/map.txt", std::string(30, '\n'));
        g.player.loadPlanetList();
        g.player.effective[Attack] = g.player.stats[Attack] = 500;
        g.player.effective[HP] = g.player.effective[MaxHP] = 500;
    }
    // One pass of the main loop.
    std::string type(const std::string& line) {
        g.screen.clearFrame();
        root.drawCurrent();
        g.screen.render();
        root.updateCurrent(lowercase(line));
        g.screen.clearFrame();
        root.drawCurrent();
        g.screen.render();
        return world.console.frameText();
    }
    template <typename T>
    T* at() {
        return dynamic_cast<T*>(root.current());
    }
};

TEST(QuestScene, TheQuestionAfterABossTakesYAndNAndRefusesAnythingElseCleanly) {
    for (const char* answer : {"y", "n"}) {
        SCOPED_TRACE(answer);
        SceneWorld w("Vault", "QUEST_ROOM_MENU_OPTION:Fight\nQUEST_ROOM_BOSS_BATTLE:Soft Boss\n"
                              "QUEST_ROOM_RETURN_TO_TOWN:true\nQUEST_ROOM_SKIP_TO_DUNGEON:false\n");
        seedDice(1);
        w.root.setSubState(new Quest(&w.root, "Guelf", "Vault"));
        w.type("+");
        ASSERT_NE(w.at<Battle>(), nullptr);
        for (int round = 0; round < 100 && !w.at<Quest>(); ++round) {
            if (auto* levelUp = w.at<Creator>()) w.type(levelUp->levelsLeft() > 0 ? "1" : "0");
            else w.type(w.at<Battle>() ? "1" : "");
        }
        ASSERT_NE(w.at<Quest>(), nullptr);
        std::string screen = w.type("0");
        EXPECT_NE(screen.find("transported directly to town? Y/N"), std::string::npos);
        screen = w.type("abc");
        EXPECT_NE(screen.find("transported directly to town? Y/N"), std::string::npos) << "still asking";
        EXPECT_EQ(w.world.console.rowText(52).find("abc"), std::string::npos) << "a refused answer leaves the input row";
        w.type(answer);
        EXPECT_EQ(w.at<Town>() != nullptr, std::string(answer) == "y");
        EXPECT_EQ(w.at<Quest>(), nullptr) << "the scene is over either way";
    }
}

TEST(QuestScene, ALevelEarnedInASceneComesFirstAndTheCommandStillActs) {
    SceneWorld w("Vault", "QUEST_ROOM_MENU_OPTION:Open\nQUEST_ROOM_DESC_BEFORE:A dusty vault.\n");
    w.root.setSubState(new Quest(&w.root, "Guelf", "Vault"));
    w.g.player.stats[Experience] = 20000;
    w.type("1");  // look around, with a level waiting
    ASSERT_NE(w.at<Creator>(), nullptr);
    EXPECT_NE(w.world.console.frameText().find("A dusty vault."), std::string::npos);
    // A command that opens a screen of its own puts it behind the level-up.
    w.g.player.stats[Experience] = 40000;
    w.at<Creator>()->closeState();
    w.type(".");
    ASSERT_NE(w.at<Creator>(), nullptr);
    w.at<Creator>()->closeState();
    EXPECT_NE(dynamic_cast<Inventory*>(w.root.current()), nullptr);
}

// After the event the closing text and the rewards stay on screen to be
// read; all that while the player is told how to go on, and once they are
// read the scene's own choices come back.
TEST(QuestScene, WhileTheClosingTextIsReadThePlayerIsToldHowToGoOn) {
    SceneWorld w("Vault", "QUEST_ROOM_MENU_OPTION:Open\nQUEST_ROOM_MENU_TRIGGER:open\n"
                          "QUEST_ROOM_QUEST_TEXT_AFTER:The vault was empty.\nQUEST_ROOM_GET_MONEY:5\n");
    w.root.setSubState(new Quest(&w.root, "Guelf", "Vault"));
    std::ostringstream frames;
    w.world.console.printFramesTo(&frames, HeadlessConsole::FrameOutput::Every);
    const long long money = w.g.player.money;
    const std::string last = w.type("open");
    const std::size_t told = frames.str().find("The vault was empty.");
    ASSERT_NE(told, std::string::npos);
    EXPECT_NE(frames.str().find("Press enter to continue.", told), std::string::npos);
    EXPECT_EQ(last.find("Press enter to continue."), std::string::npos);
    EXPECT_NE(last.find("<0> Leave"), std::string::npos);
    EXPECT_EQ(w.g.player.money, money + 5);
}

TEST(QuestScene, AnInstantTownSceneTakesTheTownsPlace) {
    SceneWorld w("town", "QUEST_ROOM_MENU_OPTION:Listen\nQUEST_ROOM_LOAD_PLANET:Guelf\n",
                 "QUEST_ITEM_MENU_OPTION:instant\n");
    w.root.setSubState(new Town(&w.root, "Guelf"));
    ASSERT_NE(w.at<Quest>(), nullptr) << "the scene starts on arrival";
    // Should the scene close with its state still current, the town hands
    // its place to the scene again instead of staying beneath it.
    w.at<Quest>()->closeState();
    w.type("");
    ASSERT_NE(w.at<Quest>(), nullptr);
    EXPECT_EQ(w.root.subState(), w.at<Quest>()) << "no town left waiting underneath";
    w.type("+");
    w.type("0");
    ASSERT_NE(w.at<Town>(), nullptr) << "the scene sends the player to the town it names";
    EXPECT_EQ(w.g.player.questProgress[questRowOf("Guelf")][1][1], 2);
    w.type("7");
    EXPECT_NE(w.at<Town>(), nullptr) << "with the state done, the town stays";
}

// After the last text of the opening story or of a cutscene, the page's own
// prompt waits for the player: the Enter pressed then is left for the line
// that moves on, not swallowed by a pause that shows the same page again.
TEST(QuestScene, TheEnterAfterTheLastNarrationMovesOn) {
    {
        SCOPED_TRACE("the arrival at a station");
        SceneWorld w("spaceship", "QUEST_ITEM_NAME:spaceship\nQUEST_ROOM_QUEST_TEXT_BEFORE:Docking.\n"
                                  "QUEST_ROOM_QUEST_TEXT_AFTER:Welcome.\n");
        // Each Enter comes once its text has typed out (well under a second).
        w.world.console.addKey(KeyEnter, true, 1000);
        w.world.console.addKey(KeyEnter, true, 1500);
        w.root.setSubState(new Quest(&w.root, "Guelf", "spaceship"));
        EXPECT_EQ(w.world.console.pendingInputs(), 1u) << "the second Enter is the line that moves on";
        w.type("");
        EXPECT_NE(w.at<Town>(), nullptr);
    }
    {
        SCOPED_TRACE("the opening story");
        SceneWorld w("town", "");
        // The story types out in well under a minute.
        w.world.console.addKey(KeyEnter, true, 60000);
        w.root.setSubState(new Quest(&w.root, "begin", ""));
        w.g.screen.clearFrame();
        w.root.drawCurrent();
        w.g.screen.render();
        const std::string screen = w.world.console.frameText();
        EXPECT_NE(screen.find("on the way to Empyreon VI."), std::string::npos);
        EXPECT_EQ(screen.find("Press enter to begin game."), screen.rfind("Press enter to begin game."))
            << "the prompt is shown once";
        EXPECT_EQ(w.world.console.pendingInputs(), 1u) << "the Enter is the line that boards the ship";
        w.root.updateCurrent("");
        EXPECT_NE(w.at<Spaceship>(), nullptr);
    }
}

TEST(RepeatedMessages, TheShipAndAWaitingShopEventSayTheirTextOnce) {
    SceneWorld w("Armor", "QUEST_ROOM_MENU_OPTION:Ring\n",
                 "QUEST_ITEM_NAME:bell\nQUEST_ITEM_MENU_OPTION:Ring the bell\n"
                 "QUEST_ROOM_TEXT_BEFORE:A bell waits on the counter.\n");
    auto count = [&](const std::string& text) {
        int n = 0;
        for (const std::string& message : w.g.screen.messages()) n += message.find(text) != std::string::npos;
        return n;
    };
    w.root.setSubState(new Shop(&w.root, ArmorShop, "Guelf", "Armor"));
    for (int i = 0; i < 4; ++i) w.type("look around");
    EXPECT_EQ(count("A bell waits on the counter."), 1);

    destroyChain(w.root.subState());
    w.root.setSubState(new Spaceship(&w.root, "Guelf"));
    for (int i = 0; i < 4; ++i) w.type("9");
    EXPECT_EQ(count("Select your destination"), 1);
}

TEST(DataLines, A999CharacterLineIsReadAndA1000CharacterLineEndsTheFile) {
    for (std::size_t length : {999u, 1000u}) {
        SCOPED_TRACE(length);
        SceneWorld w("Vault", "QUEST_ROOM_MENU_OPTION:Open\n");
        w.dir.write("quests/Guelf.txt", "BEGIN_QUEST:1\nBEGIN_STATE:1\nNOTE:" + std::string(length - 5, 'x') +
                                            "\nLOCATION_NAME:Vault\nEND_STATE:\nEND_QUEST:\n");
        EXPECT_EQ(isQuestRoomActive("Guelf", "Vault"), length == 999);
    }
}

}  // namespace
}  // namespace orv
