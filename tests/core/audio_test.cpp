// Sound requests: track names, volumes and the silent fallback.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/test_world.h"

namespace orv {
namespace {

using test::InGameData;
using test::TestWorld;

TEST(Audio, BeforeInitNothingPlays) {
    HeadlessConsole console;
    Game game(console);
    game.audio.playMusic("title.mid");
    EXPECT_EQ(game.audio.currentMusic(), "");
    game.audio.setMusicVolume(150);  // volumes work whatever the state
    EXPECT_EQ(game.audio.getMusicVolume(), 100.0f);
    game.audio.setEffectVolume(-5);
    EXPECT_EQ(game.audio.getEffectVolume(), 0.0f);
}

TEST(Audio, PreviousMusicSwapsBackAndForth) {
    TestWorld w;
    Audio& audio = w.game.audio;
    EXPECT_FLOAT_EQ(audio.getMusicVolume(), 15.0f);
    EXPECT_FLOAT_EQ(audio.getEffectVolume(), 15.0f);
    audio.playMusic("dungeon.mid");
    audio.playMusic("battle.mp3");
    audio.playPreviousMusic();
    EXPECT_EQ(audio.currentMusic(), "dungeon.mid");
    audio.playPreviousMusic();
    EXPECT_EQ(audio.currentMusic(), "battle.mp3");
    audio.playMusic("battle.mp3");  // the same track again restarts it
    EXPECT_EQ(audio.previousMusic(), "battle.mp3");
}

TEST(Audio, AnEffectDiscardsKeysTypedBeforeIt) {
    TestWorld w;
    w.console.addKey('x', true, 0);
    w.console.addLine("typed later");
    ASSERT_EQ(w.console.peekKeys(8).size(), 1u);
    w.game.audio.playEffect("sword.wav");
    EXPECT_TRUE(w.console.peekKeys(8).empty());
    EXPECT_EQ(w.console.pendingInputs(), 1u);
    EXPECT_EQ(w.game.audio.lastEffect(), "sword.wav");
}

TEST(Audio, RealDeviceLoadsOurFilesAndStaysQuietOnMissingOnes) {
    // The dummy driver mixes without a sound card.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    InGameData data;
    HeadlessConsole console;
    Game game(console);
    game.audio.init(true);
    if (!game.audio.deviceOpen()) GTEST_SKIP() << "SDL could not open even the dummy audio driver";
    game.audio.playMusic("town.mp3");
    EXPECT_TRUE(game.audio.musicLoaded());
    game.audio.playEffect("shot.wav");
    EXPECT_TRUE(game.audio.effectLoaded());
    game.audio.playMusic("no such track.mp3");
    EXPECT_FALSE(game.audio.musicLoaded());
    EXPECT_EQ(game.audio.currentMusic(), "no such track.mp3");
    game.audio.playEffect("missing.wav");
    EXPECT_FALSE(game.audio.effectLoaded());
    game.audio.setMusicVolume(50);
    EXPECT_EQ(game.audio.getMusicVolume(), 50.0f);
    // Each file is read once however often it plays, missing ones included;
    // the effect still discards keys typed before it.
    const int read = game.audio.filesRead();
    for (int i = 0; i < 3; ++i) {
        game.audio.playMusic("town.mp3");
        game.audio.playMusic("no such track.mp3");
        console.addKey('x', true, 0);
        game.audio.playEffect("shot.wav");
        EXPECT_TRUE(console.peekKeys(8).empty());
    }
    EXPECT_EQ(game.audio.filesRead(), read);
    game.audio.playMusic("town.mp3");
    EXPECT_TRUE(game.audio.musicLoaded());
    EXPECT_TRUE(game.audio.effectLoaded());
}

}  // namespace
}  // namespace orv
