// Sound requests: track names, volumes and the silent fallback.
#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <SDL2/SDL_audio.h>

#include "app/run.h"
#include "core/midi_synth.h"
#include "support/test_world.h"

namespace orv {
namespace {

using test::InGameData;
using test::TestWorld;

// Bytes the game holds from the C library's allocator (0 under the
// sanitizers, which keep their own books).
long heapInUse() {
    const struct mallinfo2 heap = mallinfo2();
    return static_cast<long>(heap.uordblks + heap.hblkhd);
}

std::vector<unsigned char> musicFile(const std::string& name) {
    std::ifstream file("music/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The loudest sample of `seconds` of the synthesiser's output, as 16-bit stereo.
int loudest(MidiSynth& synth, double seconds) {
    std::vector<std::int16_t> buffer(2 * 1024);
    int peak = 0;
    for (int block = 0; block < seconds * 44100 / 1024; ++block) {
        synth.fill(reinterpret_cast<unsigned char*>(buffer.data()), static_cast<int>(buffer.size() * 2));
        for (std::int16_t sample : buffer) peak = std::max(peak, std::abs(static_cast<int>(sample)));
    }
    return peak;
}

// Notes whether the sound card was awake when each frame was written, and
// whether the music was playing when each line was asked for.
struct WatchingConsole : HeadlessConsole {
    const Audio* audio = nullptr;
    std::vector<bool> cardAwakeAtFrame;
    std::vector<bool> musicAtLine;
    void writeFrame(const Cells& cells) override {
        cardAwakeAtFrame.push_back(audio->deviceOpen());
        HeadlessConsole::writeFrame(cells);
    }
    bool readLine(std::string& line) override {
        musicAtLine.push_back(audio->musicLoaded());
        return HeadlessConsole::readLine(line);
    }
};

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
    game.audio.openDeviceIfWanted();
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

TEST(Audio, TheTitleIsDrawnBeforeTheSoundCardWakesAndItsMusicPlaysBeforeTheFirstLine) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    InGameData data;
    WatchingConsole console;
    console.addLine("0");
    Game game(console);
    console.audio = &game.audio;
    game.audio.init(true);
    runGame(game);
    ASSERT_FALSE(console.cardAwakeAtFrame.empty());
    EXPECT_FALSE(console.cardAwakeAtFrame.front()) << "the title waited for the sound card";
    if (!game.audio.deviceOpen()) GTEST_SKIP() << "SDL could not open even the dummy audio driver";
    if (findSoundFont().empty()) GTEST_SKIP() << "no General MIDI sound font for the title's tune";
    ASSERT_FALSE(console.musicAtLine.empty());
    EXPECT_TRUE(console.musicAtLine.front()) << "the title's tune had not started when the first line was read";
}

TEST(Audio, EveryTunePlaysOnOneSoundFontAndOnlyTheTracksTheMusicRulesNeedAreKept) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    InGameData data;
    if (findSoundFont().empty()) GTEST_SKIP() << "no General MIDI sound font";
    HeadlessConsole console;
    Game game(console);
    Audio& audio = game.audio;
    audio.init(true);
    audio.openDeviceIfWanted();
    if (!audio.deviceOpen()) GTEST_SKIP() << "SDL could not open even the dummy audio driver";
    const int fontsBefore = MidiSynth::fontLoads();
    audio.playMusic("title.mid");
    ASSERT_TRUE(audio.musicLoaded());
    const long withOneTune = heapInUse();
    // Twice through a game's changes of music: creation, town, dungeon, a
    // battle and back to the dungeon's tune, and the title after a defeat.
    for (int round = 0; round < 2; ++round) {
        for (const char* track : {"levelup.mp3", "town.mp3", "dungeon.mid", "battle.mp3"}) {
            audio.playMusic(track);
            EXPECT_TRUE(audio.musicLoaded()) << track;
            EXPECT_LE(audio.tracksHeld(), 2) << track;
        }
        audio.playPreviousMusic();
        EXPECT_EQ(audio.currentMusic(), "dungeon.mid");
        EXPECT_TRUE(audio.musicLoaded());
        audio.playMusic("title.mid");
    }
    // A second tune used to cost a whole new copy of the sound font's
    // instruments (4.5 MB of them kept, more read and let go).
    if (withOneTune > 0) {
        EXPECT_LT(heapInUse() - withOneTune, 1'000'000);
    }
    EXPECT_EQ(MidiSynth::fontLoads() - fontsBefore, 1);

    // And one synthesiser is heard through tune after tune.
    MidiSynth synth;
    ASSERT_TRUE(synth.open(44100, 2, AUDIO_S16SYS));
    for (const char* tune : {"title.mid", "dungeon.mid", "title.mid"}) {
        ASSERT_TRUE(synth.play(musicFile(tune))) << tune;
        EXPECT_GT(loudest(synth, 2.0), 300) << tune;
    }
    synth.stop();
    EXPECT_EQ(loudest(synth, 0.1), 0);
}

}  // namespace
}  // namespace orv
