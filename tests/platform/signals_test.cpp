// The game in a terminal, signalled as the system or the player signals it:
// whatever ends it hands the terminal back first, a "continue" that follows
// no stop only repaints, and Ctrl-Z in a mission always stops it.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <termios.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/terminal_console.h"
#include "support/pty_game.h"

namespace orv {
namespace {

using test::PtyGame;

// The game itself, started from a shell, leaving no core file behind.
int playAsFromAShell() {
    rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    execl(ORVANTIS_BINARY, "orvantis", "--data", ORVANTIS_TEST_DATA, "--seed", "1", static_cast<char*>(nullptr));
    return 127;
}

constexpr const char* kTitle = "Start a new game";
constexpr int kStartMs = 20000;  // the first start may wait for the sound synthesiser

// Of a sequence and its opposite, `wanted` is the one the terminal got last.
bool sentLast(const std::string& output, const std::string& wanted, const std::string& opposite) {
    const std::size_t at = output.rfind(wanted);
    const std::size_t against = output.rfind(opposite);
    return at != std::string::npos && (against == std::string::npos || against < at);
}

// The terminal's modes as the shell needs them: whole lines, echoed, with
// Ctrl-C and friends, and newlines written as newlines.
bool lineModeBack(int terminal) {
    termios modes{};
    if (tcgetattr(terminal, &modes) != 0) return false;
    const tcflag_t local = ICANON | ECHO | ISIG;
    return (modes.c_lflag & local) == local && (modes.c_iflag & ICRNL) && (modes.c_oflag & OPOST);
}

// Whether the text drawn since `from` comes to hold `text` (typed keys are
// echoed one by one, with cursor moves between them).
bool showsSoon(PtyGame& game, const std::string& text, std::size_t from) {
    for (int waited = 0; waited < 3000; waited += 50) {
        if (test::visibleText(game.output.substr(from)).find(text) != std::string::npos) return true;
        game.waitFor(test::marker("never"), 50, from);  // takes in what arrives meanwhile
    }
    return false;
}

bool stillRunning(PtyGame& game) { return game.waitExit(300) == -1; }

TEST(Signals, EverySignalThatEndsTheGameGivesTheTerminalBackFirst) {
    // SIGXFSZ is missing: the game ignores it, so a save too big for the
    // player's file-size limit fails with a message instead.
    for (int sig : {SIGQUIT, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGHUP, SIGINT, SIGXCPU, SIGVTALRM, SIGPROF,
                    SIGIO, SIGPWR, SIGSTKFLT, SIGRTMIN, SIGRTMAX, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP,
                    SIGSYS}) {
        SCOPED_TRACE(strsignal(sig));
        PtyGame game(53, 80, playAsFromAShell);
        ASSERT_TRUE(game.waitFor(kTitle, kStartMs));
        kill(game.pid(), sig);
        const int status = game.waitExit();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << "ends as the signal would: " << status;
        EXPECT_TRUE(sentLast(game.output, "\x1b[?1049l", "\x1b[?1049h")) << "the shell's screen is back";
        EXPECT_TRUE(sentLast(game.output, "\x1b[?25h", "\x1b[?25l")) << "the cursor is shown";
        EXPECT_TRUE(lineModeBack(game.master()));
    }
}

// A runaway recursion: it runs out of stack long before the depth check.
int runAway(int depth) {
    volatile char frame[1024];
    frame[depth % sizeof frame] = static_cast<char>(depth);
    if (depth > (1 << 30)) return 0;
    return runAway(depth + 1) + frame[0];
}

TEST(Signals, ACrashWithNoStackLeftStillGivesTheTerminalBack) {
    PtyGame game(53, 80, [] {
        TerminalConsole console;
        console.writeFrame(Cells{});
        test::note("ready");
        return runAway(0);
    });
    ASSERT_TRUE(game.waitFor(test::marker("ready")));
    const int status = game.waitExit(10000);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV) << status;
    EXPECT_TRUE(sentLast(game.output, "\x1b[?1049l", "\x1b[?1049h"));
    EXPECT_TRUE(lineModeBack(game.master()));
}

TEST(Signals, AContinueWithoutAStopRepaintsAndTheGameGoesOn) {
    PtyGame game(53, 80, playAsFromAShell);
    ASSERT_TRUE(game.waitFor(kTitle, kStartMs));
    std::size_t before = game.output.size();
    kill(game.pid(), SIGCONT);
    EXPECT_TRUE(game.waitFor(kTitle, 3000, before)) << "the title is drawn again";
    ASSERT_TRUE(stillRunning(game)) << "and waits for a line";

    // Halfway through a typed line: the line is shown again and kept.
    game.type("edi");
    ASSERT_TRUE(showsSoon(game, "edi", before));
    before = game.output.size();
    kill(game.pid(), SIGCONT);
    EXPECT_TRUE(showsSoon(game, "edi", before)) << "the typed part is drawn again";
    ASSERT_TRUE(stillRunning(game));
    game.type("tor\r");
    EXPECT_TRUE(game.waitFor("Begin the mission", 5000, before)) << "the whole line was read";
}

// Whether the game throws a Ctrl-Z away at this instant (it ignores the stop).
bool ignoresStop(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("SigIgn:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTSTP - 1)) & 1;
    return false;
}

TEST(Signals, CtrlZInAMissionIsNeverLost) {
    PtyGame game(53, 80, [] { return test::runAsForegroundJob(playAsFromAShell); });
    ASSERT_TRUE(game.waitFor(kTitle, kStartMs));
    const pid_t job = test::foregroundJob(game);
    ASSERT_GT(job, 0);
    game.type("editor\r");
    ASSERT_TRUE(game.waitFor("Begin the mission"));
    std::size_t from = game.output.size();
    game.type("1\r");
    ASSERT_TRUE(game.waitFor("Score:", 5000, from)) << "the mission runs";

    // A second of play, looked at as often as we can: a stop is never ignored,
    // not even for the instant of a screen update.
    int ignoredLooks = 0, looks = 0;
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1); std::chrono::steady_clock::now() < end;
         ++looks)
        ignoredLooks += ignoresStop(job);
    EXPECT_EQ(ignoredLooks, 0) << "of " << looks << " looks";

    // Ctrl-Z then fg, again and again: each stops it, each fg redraws it.
    int lost = 0;
    for (int i = 0; i < 20; ++i) {
        from = game.output.size();
        game.type("\x1a");
        if (!game.waitFor(test::marker("stopped"), 1000, from)) {
            ++lost;
            continue;
        }
        from = game.output.size();
        kill(-job, SIGCONT);
        ASSERT_TRUE(game.waitFor("Score:", 3000, from)) << "the mission is drawn again after stop " << i;
    }
    EXPECT_EQ(lost, 0);
    game.type("\x1b");  // Escape ends the game
    EXPECT_TRUE(test::exitedWith(game.waitExit(), 0));
}

}  // namespace
}  // namespace orv
