// Shared test helpers: a fresh game on a headless console, and a scratch
// content directory the test stands in while it runs.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "app/game.h"
#include "core/paths.h"
#include "platform/headless_console.h"

namespace orv::test {

// A whole game world on a scripted console; silent sound that still tracks
// what would play. Its player has met every lesson already, so a screen
// built by hand shows itself; a new game started in the test brings the
// lessons back, as it does for a player.
struct TestWorld {
    HeadlessConsole console;
    Game game{console};
    TestWorld() {
        game.audio.init(false);
        game.player.tutorialHints = 0;
    }
};

// Makes a temporary directory the working directory for the test's life.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    void write(const std::string& relativePath, const std::string& content);
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

// Stands in the game's own content directory for the test's life.
class InGameData {
public:
    InGameData();
    ~InGameData();

private:
    std::filesystem::path previous_;
};

// The game's own content, seen from a scratch directory of links to it, so a
// test can save and load without touching the player's slots (or another
// test's). The slots start empty, in saves/ of the scratch directory, and
// the script trace is its luaTrace.txt.
class GameDataWithOwnSaves {
public:
    GameDataWithOwnSaves();
    ~GameDataWithOwnSaves();
    GameDataWithOwnSaves(const GameDataWithOwnSaves&) = delete;
    GameDataWithOwnSaves& operator=(const GameDataWithOwnSaves&) = delete;
    const std::filesystem::path& path() const { return scratch_.path(); }

private:
    ScratchDirectory scratch_;
    PlayerFolders previous_;
};

}  // namespace orv::test
