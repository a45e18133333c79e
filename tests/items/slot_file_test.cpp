// Save slots as a player may find them after sharing saves or running two
// games: slots that are folders, pipes or links, links planted where a save
// writes, leftovers of killed saves, and two games saving one slot at once.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <stdexcept>
#include <vector>

#include "items/loadscreen.h"
#include "items/save_crash_trials.h"
#include "support/game_driver.h"
#include "support/test_world.h"
#include "world/shop.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

// Runs `play` in a child process given `seconds`, and returns what it found
// wrong, or that it did not finish: a slot that hangs or kills the game
// fails the test instead of hanging or killing the test program.
std::string faultsInChild(const std::function<std::string()>& play, unsigned seconds) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        ::alarm(seconds);
        std::string faults;
        try {
            faults = play();
        } catch (const std::exception& error) {  // the game would have ended here
            faults = std::string("the game ended on an exception: ") + error.what();
        }
        ::_exit(::write(pipeEnds[1], faults.data(), faults.size()) == static_cast<ssize_t>(faults.size()) ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    std::string faults;
    std::array<char, 4096> buffer;
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer.data(), buffer.size())) > 0;) faults.append(buffer.data(), n);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status))
        return faults + "the game was ended by signal " + std::to_string(WTERMSIG(status)) +
               (WTERMSIG(status) == SIGALRM ? " (it hung)" : "");
    return faults;
}

struct Checked {
    int status = -1;
    std::string output;
};

// `orvantis --check-save` on a file, given ten seconds.
Checked checkSaveOf(const fs::path& file) {
    Checked checked;
    const std::string command =
        std::string("timeout 10 '") + ORVANTIS_BINARY + "' --check-save '" + file.string() + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return checked;
    std::array<char, 4096> buffer;
    for (std::size_t got; (got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        checked.output.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    checked.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return checked;
}

std::set<std::string> folderNames(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

TEST(SlotFiles, SlotsThatAreNoPlainFileShowAsUnreadableAndTheOtherSlotsStillLoad) {
    struct Hostile {
        const char* what;
        std::function<void(const fs::path&)> plant;
        const char* reason;
    };
    const std::vector<Hostile> hostiles = {
        {"a folder", [](const fs::path& p) { fs::create_directories(p / "kept"); }, "is a folder"},
        {"a pipe", [](const fs::path& p) { ::mkfifo(p.c_str(), 0644); }, "is a pipe"},
        {"a link to /dev/zero", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }, "is a link"},
        {"a link to /etc/passwd", [](const fs::path& p) { fs::create_symlink("/etc/passwd", p); }, "is a link"},
    };
    for (std::size_t pair = 0; pair < hostiles.size(); pair += 2) {
        const Hostile& first = hostiles[pair];
        const Hostile& second = hostiles[pair + 1];
        SCOPED_TRACE(std::string(first.what) + " and " + second.what);
        const std::string faults = faultsInChild(
            [&] {
                std::string faults;
                auto expect = [&faults](bool good, const std::string& what) {
                    if (!good) faults += what + "\n";
                };
                test::GameDriver d;
                d.g.player.name = "Aldra";
                writeWholeFile(slotGamePath(3), saveText(d.g, "Guelf"));
                d.g.player.name = "Keeper";
                first.plant("saves/1.txt");
                second.plant("saves/2.txt");

                const std::string menu = d.type("2");
                expect(menu.find("Slot 1: UNREADABLE") != std::string::npos, "slot 1 not unreadable:\n" + menu);
                expect(menu.find("Slot 2: UNREADABLE") != std::string::npos, "slot 2 not unreadable:\n" + menu);
                expect(menu.find("root") == std::string::npos, "a file outside the game is shown:\n" + menu);
                expect(menu.find("Slot 3: Aldra, Level") != std::string::npos, "slot 3 not shown:\n" + menu);
                expect(menu.find("<3> Load Game 3") != std::string::npos, "slot 3 not offered:\n" + menu);
                expect(menu.find("Load Game 1") == std::string::npos && menu.find("Load Game 2") == std::string::npos,
                       "an unreadable slot is offered:\n" + menu);

                for (const char* slot : {"1", "2"}) {
                    const std::string refused = d.type(slot);
                    expect(d.at<Loadscreen>() != nullptr && d.g.player.name == "Keeper",
                           std::string("typing ") + slot + " left the load screen or changed the game:\n" + refused);
                }
                d.type("3");
                expect(d.at<Shop>() != nullptr && d.g.player.name == "Aldra", "slot 3 did not load");
                return faults;
            },
            20);
        EXPECT_EQ(faults, "");

        // The checker opens the slot as loading does, and says why it reads nothing.
        test::ScratchDirectory scratch;
        fs::create_directories("saves");
        for (const int n : {1, 2}) {
            const Hostile* hostile = n == 1 ? &first : &second;
            const fs::path slot = scratch.path() / "saves" / (std::to_string(n) + ".txt");
            hostile->plant(slot);
            const Checked checked = checkSaveOf(slot);
            EXPECT_EQ(checked.status, 1) << hostile->what << "\n" << checked.output;
            EXPECT_NE(checked.output.find(hostile->reason), std::string::npos) << hostile->what << "\n" << checked.output;
            EXPECT_EQ(checked.output.find("root"), std::string::npos) << checked.output;
        }
    }
}

TEST(SlotFiles, ASaveNeverWritesThroughALinkPlantedBesideTheSlot) {
    test::ScratchDirectory scratch;
    test::TestWorld world;
    scratch.write("decoy.txt", "somebody else's file");
    fs::create_directories("saves");
    fs::create_symlink(scratch.path() / "decoy.txt", "saves/1.txt.new");
    fs::create_symlink(scratch.path() / "made-by-a-save", "saves/2.txt.new");  // leads nowhere yet
    const std::string text = crash::distinctGame(world.game, "Aldra", 1234, 1);

    for (const int slot : {1, 2}) {
        EXPECT_EQ(writeWholeFile(slotGamePath(slot), text), "") << slot;
        EXPECT_FALSE(fs::is_symlink(dataPath(slotGamePath(slot)))) << slot;
        EXPECT_TRUE(crash::fileBytes(slotGamePath(slot)) == text) << "slot " << slot << " holds another text";
    }
    EXPECT_TRUE(crash::fileBytes("decoy.txt") == "somebody else's file") << "the save wrote through the link";
    EXPECT_FALSE(fs::exists("made-by-a-save"));
    // The planted links are not the game's to remove.
    std::error_code error;
    EXPECT_EQ(fs::read_symlink("saves/1.txt.new", error), scratch.path() / "decoy.txt");
    EXPECT_EQ(fs::read_symlink("saves/2.txt.new", error), scratch.path() / "made-by-a-save");
}

TEST(SlotFiles, ASaveClearsOnlyThePlainFilesAKilledSaveOfThatSlotLeftBehind) {
    test::ScratchDirectory scratch;
    test::TestWorld world;
    scratch.write("decoy.txt", "somebody else's file");
    scratch.write("saves/1.txt.new", "PLAYER:NAME:half a game");          // an older game's leftover
    scratch.write("saves/1.txt.new.k1ll3d", "PLAYER:NAME:half a game");   // a killed save's
    fs::create_directories("saves/1.txt.new.Folder/kept");
    fs::create_symlink(scratch.path() / "decoy.txt", "saves/1.txt.new.aLink1");
    scratch.write("saves/1.txt.newer", "a player's own file");
    scratch.write("saves/1.txt.new.notmine", "a player's own file");
    scratch.write("saves/2.txt.new.k1ll3d", "another slot's leftover, for its own next save");

    const std::string text = crash::distinctGame(world.game, "Aldra", 1234, 1);
    ASSERT_EQ(writeWholeFile(slotGamePath(1), text), "");
    EXPECT_EQ(crash::fileBytes(slotGamePath(1)), text);
    EXPECT_EQ(folderNames("saves"), (std::set<std::string>{"1.txt", "1.txt.new.Folder", "1.txt.new.aLink1", "1.txt.newer",
                                                           "1.txt.new.notmine", "2.txt.new.k1ll3d"}));
    EXPECT_TRUE(fs::exists("saves/1.txt.new.Folder/kept"));
    EXPECT_EQ(crash::fileBytes("decoy.txt"), "somebody else's file");
}

TEST(SlotFiles, TwoGamesSavingOneSlotAtOnceLeaveOneWholeGameAtEveryRead) {
    test::ScratchDirectory scratch;
    test::TestWorld world;
    const std::array<std::string, 2> games = {crash::distinctGame(world.game, "Aldra", 1234, 1),
                                              crash::distinctGame(world.game, "Borin", 98765, 2)};
    ASSERT_EQ(writeWholeFile(slotGamePath(1), games[0]), "");
    constexpr int kSaves = 150;
    std::array<pid_t, 2> savers{};
    for (std::size_t i = 0; i < savers.size(); ++i) {
        savers[i] = ::fork();
        if (savers[i] == 0) {
            int failed = 0;
            for (int n = 0; n < kSaves; ++n) failed += !writeWholeFile(slotGamePath(1), games[i]).empty();
            ::_exit(failed == 0 ? 0 : 1);
        }
    }
    // A third game reads the slot all the while, as a load screen would.
    int reads = 0, broken = 0, running = 2;
    while (running > 0) {
        const std::string held = crash::fileBytes(slotGamePath(1));
        ++reads;
        broken += held != games[0] && held != games[1];
        for (pid_t& saver : savers) {
            int status = 0;
            if (saver > 0 && ::waitpid(saver, &status, WNOHANG) == saver) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save failed";
                saver = 0;
                --running;
            }
        }
    }
    EXPECT_EQ(broken, 0) << "of " << reads << " reads";
    const std::string last = crash::fileBytes(slotGamePath(1));
    EXPECT_TRUE(last == games[0] || last == games[1]) << last.size() << " bytes";
    EXPECT_EQ(folderNames("saves"), std::set<std::string>{"1.txt"}) << "no temporary left behind";
}

}  // namespace
}  // namespace orv
