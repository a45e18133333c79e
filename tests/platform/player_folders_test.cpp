// The player's own folders: slots, the script trace and the kept volumes go
// there and never into the game's folder, which may be read-only; slots an
// older version left in the game's folder come along once, untouched.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "app/options.h"
#include "combat/lua_script.h"
#include "core/audio.h"
#include "core/paths.h"
#include "screens/sysmenu.h"
#include "support/test_world.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

// An environment of the test's own making, and this run's folders put back
// as they were afterwards.
struct Folders {
    test::ScratchDirectory scratch;
    PlayerFolders previous = playerFolders();
    std::map<std::string, std::string> variables;
    ~Folders() { usePlayerFolders(previous); }

    Environment environment() const {
        return [this](const char* name) -> const char* {
            const auto found = variables.find(name);
            return found == variables.end() ? nullptr : found->second.c_str();
        };
    }
    std::vector<std::string> start(const fs::path& savesOverride = {}) {
        return settlePlayerFolders(environment(), scratch.path() / "game", savesOverride);
    }
};

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

unsigned modeOf(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

TEST(PlayerFolders, AnOlderVersionsSlotsAreCopiedOnceByteForByteAndNeverOverASlot) {
    Folders f;
    const std::string first = "PLAYER:NAME:Zed\nPLAYER:DESC:\xB0 a hero\r\n";
    const std::string third = "PLAYER:NAME:Bob\n";
    f.scratch.write("game/saves/1.txt", first);
    f.scratch.write("game/saves/3.txt", third);
    f.scratch.write("secret.txt", "not a slot");
    fs::create_symlink(f.scratch.path() / "secret.txt", f.scratch.path() / "game/saves/2.txt");
    f.variables["HOME"] = (f.scratch.path() / "home").string();
    f.variables["XDG_DATA_HOME"] = (f.scratch.path() / "data").string();
    const fs::path saves = f.scratch.path() / "data/orvantis/saves";

    const std::vector<std::string> notes = f.start();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], "Your saved games from the game's folder were copied to " + saves.string() + ".");
    EXPECT_EQ(bytesOf(saves / "1.txt"), first);
    EXPECT_EQ(bytesOf(saves / "3.txt"), third);
    EXPECT_FALSE(fs::exists(fs::symlink_status(saves / "2.txt"))) << "a link is no saved game";
    EXPECT_EQ(bytesOf(f.scratch.path() / "game/saves/1.txt"), first) << "the originals stay";
    EXPECT_EQ(bytesOf(f.scratch.path() / "game/saves/3.txt"), third);
    EXPECT_EQ(std::distance(fs::directory_iterator(saves), {}), 2) << "no temporary left behind";

    // A second start copies nothing, even a slot the player has since removed.
    fs::remove(saves / "3.txt");
    EXPECT_TRUE(f.start().empty());
    EXPECT_FALSE(fs::exists(saves / "3.txt"));

    // Should two games copy at once, the slot already there wins.
    std::ofstream(saves / "1.txt", std::ios::binary | std::ios::trunc) << "PLAYER:NAME:Newer\n";
    EXPECT_EQ(copyOldSlots(f.scratch.path() / "game/saves", saves), 1);
    EXPECT_EQ(bytesOf(saves / "1.txt"), "PLAYER:NAME:Newer\n");
    EXPECT_EQ(bytesOf(saves / "3.txt"), third);

    // --saves picks a folder of the player's own: nothing is brought into it.
    EXPECT_TRUE(f.start(f.scratch.path() / "profile").empty());
    EXPECT_TRUE(fs::is_empty(f.scratch.path() / "profile"));
    EXPECT_EQ(dataPath("saves\\2.txt"), (f.scratch.path() / "profile" / "2.txt").string());
}

TEST(PlayerFolders, TheLinuxFolderVariablesAreHonouredAndARelativeOneIsIgnored) {
    Folders f;
    std::string note;
    f.variables = {{"HOME", "/home/zed"}, {"XDG_DATA_HOME", "/srv/data"}, {"XDG_STATE_HOME", "state"},
                   {"XDG_CONFIG_HOME", ""}};
    PlayerFolders folders = playerFoldersFrom(f.environment(), "/usr/share/games/orvantis", note);
    EXPECT_EQ(folders.saves, "/srv/data/orvantis/saves");
    EXPECT_EQ(folders.traceFile, "/home/zed/.local/state/orvantis/luaTrace.txt");
    EXPECT_EQ(folders.settings, "/home/zed/.config/orvantis");
    EXPECT_EQ(note, "");

    // No home at all (a relative one is none either): the game's own folder, as before, and the player is told.
    f.variables = {{"HOME", "zed"}};
    folders = playerFoldersFrom(f.environment(), "/opt/orvantis", note);
    EXPECT_EQ(folders.saves, "/opt/orvantis/saves");
    EXPECT_EQ(folders.traceFile, "/opt/orvantis/luaTrace.txt");
    EXPECT_TRUE(folders.settings.empty());
    EXPECT_NE(note.find("saved games and script trace stay in the game's folder, /opt/orvantis."),
              std::string::npos);
    EXPECT_NE(note.find("volumes you set are not kept"), std::string::npos);
}

TEST(PlayerFolders, FoldersAreMadePrivateAndTheTraceLandsInTheStateFolder) {
    Folders f;
    test::TestWorld world;
    f.variables = {{"HOME", (f.scratch.path() / "home").string()}};
    EXPECT_TRUE(f.start().empty());
    const fs::path home = f.scratch.path() / "home";
    for (const char* folder : {".local", ".local/share", ".local/share/orvantis", ".local/share/orvantis/saves"})
        EXPECT_EQ(modeOf(home / folder), 0700u) << folder;

    trace("attempt to call a nil value");
    EXPECT_EQ(bytesOf(home / ".local/state/orvantis/luaTrace.txt"), "attempt to call a nil value\n");
    EXPECT_EQ(modeOf(home / ".local/state/orvantis"), 0700u);
    EXPECT_FALSE(fs::exists(f.scratch.path() / "game")) << "nothing is made in the game's folder";
}

TEST(PlayerFolders, TheVolumesAreKeptForTheNextGameAndAMangledLineChangesNothing) {
    Folders f;
    test::TestWorld world;
    PlayerFolders folders;
    folders.settings = f.scratch.path() / "config/orvantis";
    usePlayerFolders(folders);
    world.game.audio.setMusicVolume(40);
    world.game.audio.setEffectVolume(15);
    ASSERT_EQ(keepVolumes(world.game.audio), "");
    EXPECT_EQ(modeOf(folders.settings), 0700u);
    EXPECT_EQ(bytesOf(folders.settings / "volumes.txt"), "FMOD:MUSIC_VOLUME:40\nFMOD:SOUND_VOLUME:15\n")
        << "written as the player typed them";

    test::TestWorld next;
    applyKeptVolumes(next.game.audio);
    EXPECT_EQ(next.game.audio.getMusicVolume(), 40.0f);
    EXPECT_EQ(next.game.audio.getEffectVolume(), world.game.audio.getEffectVolume());

    std::ofstream(folders.settings / "volumes.txt") << "FMOD:MUSIC_VOLUME:loud\nFMOD:SOUND_VOLUME:\n";
    applyKeptVolumes(next.game.audio);
    EXPECT_EQ(next.game.audio.getMusicVolume(), 40.0f);
    EXPECT_EQ(next.game.audio.getEffectVolume(), world.game.audio.getEffectVolume());
}

TEST(PlayerFolders, AnInstalledProgramFindsItsContentUnderItsOwnPrefix) {
    test::ScratchDirectory scratch;
    scratch.write("prefix/games/orvantis", "#!\n");
    fs::create_directories(scratch.path() / "prefix/share/games/orvantis/art");
    fs::create_directory_symlink(scratch.path() / "prefix", scratch.path() / "linked");
    const std::string wanted = (fs::canonical(scratch.path()) / "prefix/share/games/orvantis").string();
    EXPECT_EQ(findContentDirectory(Options{}, (scratch.path() / "prefix/games/orvantis").string()), wanted);
    EXPECT_EQ(findContentDirectory(Options{}, (scratch.path() / "linked/games/orvantis").string()), wanted);
}

// The program's output for these arguments.
std::string runProgram(const std::string& environment, const std::string& arguments) {
    const std::string command = "SDL_AUDIODRIVER=dummy " + environment + " '" + ORVANTIS_BINARY + "' " + arguments;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "";
    std::string output;
    char buffer[4096];
    while (const std::size_t got = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, got);
    pclose(pipe);
    return output;
}

// What a folder holds, every file with its bytes and mode, to see it unchanged.
std::string everything(const fs::path& folder) {
    std::ostringstream seen;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        seen << entry.path().string() << ' ' << modeOf(entry.path()) << '\n';
        if (entry.is_regular_file()) seen << bytesOf(entry.path());
    }
    return seen.str();
}

TEST(PlayerFolders, AGameFromAReadOnlyCopyOfTheContentSavesAndLoads) {
    test::ScratchDirectory scratch;
    const fs::path content = scratch.path() / "content";
    fs::copy(ORVANTIS_TEST_DATA, content, fs::copy_options::recursive);
    fs::remove_all(content / "saves");
    fs::remove(content / "luaTrace.txt");
    for (const auto& entry : fs::recursive_directory_iterator(content))
        fs::permissions(entry.path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    fs::permissions(content, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const std::string before = everything(content);

    // A new game (the first lesson skipped) to the first inn, saved in slot 1.
    scratch.write("play.txt", "1\n0\nzed\nf\nc\nbob\nr\nc\n\n1\n\n\n\n\n3\n0\n5\n1\n0\n0\n*\n");
    scratch.write("load.txt", "2\n1\n0\n0\nexit\n");
    const std::string environment = "XDG_DATA_HOME='" + (scratch.path() / "data").string() + "' XDG_STATE_HOME='" +
                                    (scratch.path() / "state").string() + "'";
    const std::string arguments = "--headless --seed 3 --data '" + content.string() + "' --input ";
    const std::string played = runProgram(environment, arguments + "play.txt");
    EXPECT_NE(played.find("Game saved in slot 1"), std::string::npos) << played.substr(played.size() - 5000);
    EXPECT_TRUE(fs::is_regular_file(scratch.path() / "data/orvantis/saves/1.txt"));
    const std::string loaded = runProgram(environment, arguments + "load.txt");
    EXPECT_NE(loaded.find("Game loaded."), std::string::npos);
    EXPECT_EQ(everything(content), before) << "the game's folder is only read";
    fs::permissions(content, fs::perms::owner_all, fs::perm_options::add);
    for (const auto& entry : fs::recursive_directory_iterator(content))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace
}  // namespace orv
