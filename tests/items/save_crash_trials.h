// Kills the game in the middle of saving, again and again, and looks at what
// the slot holds afterwards. A player whose game dies mid-save must find one
// whole game in the slot: the one saved before, or the one being saved.
// Shared by the crash test and the thousand-trial run in bench/.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "app/game.h"
#include "core/paths.h"
#include "items/save_file.h"

namespace orv::crash {

// Makes the game a hero of its own and returns its slot text. The quest
// table is filled in so the text runs to tens of kilobytes and a save takes
// long enough for a kill to land inside it.
inline std::string distinctGame(Game& game, const std::string& name, int money, int questValue) {
    game.player.name = name;
    game.player.money = money;
    game.sidekick.name = name + "'s sidekick";
    for (auto& planet : game.player.questProgress)
        for (auto& quest : planet)
            for (int& state : quest) state = questValue;
    return saveText(game, "Guelf");
}

inline std::string fileBytes(const std::string& gamePath) {
    std::ifstream file(dataPath(gamePath), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

struct CrashTrials {
    int trials = 0;
    int failures = 0;         // kills after which the slot held neither game whole
    long finishedSaves = 0;   // saves the killed games completed
    int found[2] = {};        // how often each game was what the slot held
    std::string firstFailure;
};

// Saves `first` and `second` into the slot by turns in a child process and
// kills it with SIGKILL, each time after it finished 0 to 2 saves and then
// a random part of the time one save takes. The slot starts as `first`.
// `save` is the game's slot writer, or another one to see the trials fail.
using SlotWriter = std::string (*)(const std::string& gamePath, const std::string& text);
inline CrashTrials killWhileSaving(int slot, const std::string& first, const std::string& second, int trials,
                                   unsigned seed, SlotWriter save = writeWholeFile) {
    CrashTrials result;
    const std::string slotPath = slotGamePath(slot);
    const auto start = std::chrono::steady_clock::now();
    if (const std::string problem = writeWholeFile(slotPath, first); !problem.empty()) {
        result.failures = 1;
        result.firstFailure = "the first save failed: " + problem;
        return result;
    }
    const auto oneSave = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    std::mt19937 dice(seed);
    std::uniform_int_distribution<long> pause(0, std::max(200L, static_cast<long>(oneSave.count() * 3 / 2)));

    for (int trial = 0; trial < trials; ++trial) {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0) break;
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeEnds[0]);
            for (long n = 0;; ++n) {
                if (!save(slotPath, n % 2 ? first : second).empty()) ::_exit(1);
                const char saved = 1;
                if (::write(pipeEnds[1], &saved, 1) != 1) ::_exit(2);
            }
        }
        ::close(pipeEnds[1]);
        // Wait for a few finished saves so kills also land after renames.
        char saved;
        for (unsigned wanted = dice() % 3; wanted > 0 && ::read(pipeEnds[0], &saved, 1) == 1; --wanted)
            ++result.finishedSaves;
        ::usleep(static_cast<useconds_t>(pause(dice)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        while (::read(pipeEnds[0], &saved, 1) == 1) ++result.finishedSaves;
        ::close(pipeEnds[0]);

        ++result.trials;
        const std::string held = fileBytes(slotPath);
        std::string problem;
        if (!WIFSIGNALED(status)) problem = "the saving game stopped by itself (a save failed)";
        else if (held == first) ++result.found[0];
        else if (held == second) ++result.found[1];
        else problem = "the slot held " + std::to_string(held.size()) + " bytes that are neither game";
        if (!problem.empty() && result.failures++ == 0)
            result.firstFailure = "trial " + std::to_string(trial) + ": " + problem;
    }
    return result;
}

}  // namespace orv::crash
