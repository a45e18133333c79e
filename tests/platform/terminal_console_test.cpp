// The terminal backend seen from the player's side: the game runs in a child
// process on a pseudo-terminal, and we read what reaches the "screen".
#include "platform/cp437.h"
#include "platform/terminal_console.h"
#include "platform/terminal_query.h"
#include "support/pty_game.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <csignal>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace orv {
namespace {

using test::exitedWith;
using test::marker;
using test::note;
using test::PtyGame;
using test::visibleText;

Cells frameWithText(int row, int col, const std::string& text, std::uint16_t attr = 0x0F) {
    Cells cells{};
    for (std::size_t i = 0; i < text.size(); ++i)
        cells[row * kConsoleWidth + col + static_cast<int>(i)] = {
            static_cast<unsigned char>(text[i]), attr};
    return cells;
}

void putText(Cells& cells, int row, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        cells[row * kConsoleWidth + static_cast<int>(i)] = {static_cast<unsigned char>(text[i]),
                                                            0x0F};
}


TEST(Cp437, MapsArtBytesToTheirGlyphsAndEveryByteToSomethingPrintable) {
    EXPECT_EQ(cp437ToUnicode(0xC9), U'\u2554');
    EXPECT_EQ(cp437ToUnicode(0xCD), U'\u2550');
    EXPECT_EQ(cp437ToUnicode(0xC4), U'\u2500');
    EXPECT_EQ(cp437ToUnicode(0xBC), U'\u255D');
    EXPECT_EQ(cp437ToUnicode(0xB0), U'\u2591');
    EXPECT_EQ(cp437ToUnicode(0xB2), U'\u2593');
    EXPECT_EQ(cp437ToUnicode(0xDB), U'\u2588');
    EXPECT_EQ(cp437ToUnicode(0xE9), U'\u0398');
    EXPECT_EQ(cp437ToUnicode(0), U' ');
    EXPECT_EQ(cp437ToAscii(0xCD), '=');
    EXPECT_EQ(cp437ToAscii(0xC4), '-');
    EXPECT_EQ(cp437ToAscii(0xBA), '|');

    std::set<char32_t> highGlyphs;
    for (int byte = 0; byte < 256; ++byte) {
        auto b = static_cast<unsigned char>(byte);
        if (byte >= 32 && byte < 127) {
            EXPECT_EQ(cp437ToUnicode(b), static_cast<char32_t>(byte));
            EXPECT_EQ(cp437ToAscii(b), static_cast<char>(byte));
        }
        EXPECT_GE(cp437ToUnicode(b), U' ') << byte;  // no control codes reach curses
        EXPECT_TRUE(cp437ToAscii(b) >= 32 && cp437ToAscii(b) < 127) << byte;
        if (byte >= 128) highGlyphs.insert(cp437ToUnicode(b));
    }
    EXPECT_EQ(highGlyphs.size(), 128u) << "two bytes share a glyph: a slip in the table";
}

TEST(TerminalConsole, SendsGlyphsInColourAndOnlyWhatChanged) {
    PtyGame game(53, 80, [] {
        TerminalConsole console;
        Cells cells = frameWithText(1, 1, "\xC9\xCD\xBB", 0x1E);  // yellow on blue
        putText(cells, 2, "HELLO TRAVELLER");
        console.writeFrame(cells);
        note("first");
        console.writeFrame(cells);
        note("unchanged");
        putText(cells, 44, "The spore beast hits you for 7 damage.");
        console.writeFrame(cells);
        note("message");
        console.repaint();
        note("repaint");
        console.setTitle("Orvantis");
        console.setTitle("Orvantis");  // the game sets it with every frame
        note("title");
        return console.readBack() == cells ? 0 : 1;
    });
    ASSERT_TRUE(game.waitFor(marker("repaint")));
    EXPECT_TRUE(exitedWith(game.waitExit(), 0));

    std::string start = game.output.substr(0, game.output.find(marker("first")));
    EXPECT_NE(start.find("\x1b[?1049h"), std::string::npos) << "alternate screen";
    EXPECT_NE(start.find("\x1b[?25l"), std::string::npos) << "hidden cursor";
    EXPECT_NE(start.find("\u2554\u2550\u2557"), std::string::npos);
    EXPECT_NE(start.find("\x1b[93m"), std::string::npos) << "bright yellow foreground";
    EXPECT_NE(start.find("\x1b[44m"), std::string::npos) << "blue background";
    EXPECT_NE(start.find("HELLO TRAVELLER"), std::string::npos);

    EXPECT_LT(game.between("first", "unchanged").size(), 8u);
    std::string message = game.between("unchanged", "message");
    EXPECT_NE(message.find("The spore beast hits you for 7 damage."), std::string::npos);
    EXPECT_LT(message.size(), 120u);
    std::string repaint = visibleText(game.between("message", "repaint"));
    EXPECT_NE(repaint.find("HELLO TRAVELLER"), std::string::npos) << "a repaint resends all";
    EXPECT_NE(repaint.find("The spore beast"), std::string::npos);

    std::string title = game.between("repaint", "title");
    EXPECT_EQ(title, "\x1b]2;Orvantis\x07") << "sent once, only when it changes";

    std::string end = game.after("title");
    EXPECT_NE(end.find("\x1b[?1049l"), std::string::npos) << "left the alternate screen";
    EXPECT_NE(end.find("\x1b[?25h"), std::string::npos) << "cursor shown again";
}

TEST(TerminalConsole, EightColourTerminalsShowBrightAsBoldAndKeepTextReadable) {
    PtyGame game(
        53, 80,
        [] {
            TerminalConsole console;
            Cells cells = frameWithText(1, 1, "YB", 0x1E);  // bright yellow on blue
            cells[2 * kConsoleWidth + 1] = {'D', 0x91};     // dark blue on bright blue
            console.writeFrame(cells);
            note("drawn");
            return 0;
        },
        "xterm");
    ASSERT_TRUE(game.waitFor(marker("drawn")));
    EXPECT_TRUE(exitedWith(game.waitExit(), 0));
    std::string frame = game.output.substr(0, game.output.find(marker("drawn")));
    EXPECT_NE(frame.find("1m\x1b[33m\x1b[44mYB"), std::string::npos) << "bold yellow on blue";
    EXPECT_NE(frame.find("\x1b[34m\x1b[40mD"), std::string::npos)
        << "blue text on a bright blue it cannot show moves to black, not blue on blue";
}

// What a terminal would draw with: the background of the printed cells and
// of erased areas, read by following the colour sequences in the output.
// -1 is the terminal's own default background (white in an xterm as it
// ships), which is not black.
struct BackgroundTrace {
    int violations = 0;
    int blackCellsSeen = 0;
    std::string firstViolation;

    void follow(const std::string& output) {
        int fg = -1, bg = -1;
        bool reverse = false;
        auto effective = [&] { return reverse ? (fg == -1 ? 0 : fg) : bg; };
        auto check = [&](std::size_t at, char what) {
            ++blackCellsSeen;
            const int shown = effective();
            if (shown == 0) return;
            if (violations++ == 0)
                firstViolation = std::string(1, what) + " with background " + std::to_string(shown) +
                                 " at byte " + std::to_string(at);
        };
        for (std::size_t i = 0; i < output.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(output[i]);
            if (c == 0x1b && i + 1 < output.size() && output[i + 1] == '[') {
                std::size_t end = i + 2;
                while (end < output.size() && !(output[end] >= 0x40 && output[end] <= 0x7E)) ++end;
                if (end >= output.size()) break;
                const std::string params = output.substr(i + 2, end - i - 2);
                const char final = output[end];
                if (final == 'm') applySgr(params, fg, bg, reverse);
                else if (final == 'K' || final == 'J' || final == 'X') check(i, final);
                i = end;
            } else if (c == 0x1b && i + 1 < output.size() && output[i + 1] == ']') {
                while (i < output.size() && output[i] != '\x07') ++i;
            } else if (c == 0x1b) {
                i += 2;
            } else if (c >= 0x20 && (c < 0x80 || c >= 0xC0)) {
                check(i, static_cast<char>(c));  // one printed glyph (UTF-8 lead byte)
            }
        }
    }

    static void applySgr(const std::string& params, int& fg, int& bg, bool& reverse) {
        std::vector<int> codes;
        std::string number;
        for (char ch : params + ";") {
            if (ch == ';' || ch == ':') {
                codes.push_back(number.empty() ? 0 : std::stoi(number));
                number.clear();
            } else if (ch >= '0' && ch <= '9') {
                number += ch;
            }
        }
        for (std::size_t k = 0; k < codes.size(); ++k) {
            const int code = codes[k];
            if (code == 0) fg = bg = -1, reverse = false;
            else if (code == 7) reverse = true;
            else if (code == 27) reverse = false;
            else if (code >= 30 && code <= 37) fg = code - 30;
            else if (code >= 90 && code <= 97) fg = code - 90 + 8;
            else if (code == 39) fg = -1;
            else if (code >= 40 && code <= 47) bg = code - 40;
            else if (code >= 100 && code <= 107) bg = code - 100 + 8;
            else if (code == 49) bg = -1;
            else if ((code == 38 || code == 48) && k + 2 < codes.size() && codes[k + 1] == 5) {
                (code == 38 ? fg : bg) = codes[k + 2];
                k += 2;
            }
        }
    }
};

// A starfield, every text colour and blanks, all on black, as the title shows.
Cells blackBackgroundFrame(int shift) {
    Cells cells{};
    const int count = static_cast<int>(cells.size());
    for (int i = 0; i < count; ++i) cells[i] = {' ', static_cast<std::uint16_t>(i % 16)};
    for (int i = shift; i < count; i += 37) cells[i] = {'.', 0x08};
    for (int fg = 0; fg < 16; ++fg)
        for (int k = 0; k < 3; ++k) cells[(10 + fg) * kConsoleWidth + shift + k] = {'A', static_cast<std::uint16_t>(fg)};
    return cells;
}

TEST(TerminalConsole, BlackBackgroundsStayBlackWithEightOr256Colours) {
    for (const char* term : {"xterm", "xterm-256color"}) {
        SCOPED_TRACE(term);
        PtyGame game(
            53, 80,
            [] {
                TerminalConsole console;
                note("start");
                console.writeFrame(blackBackgroundFrame(0));
                note("first");
                Cells coloured = blackBackgroundFrame(1);
                for (int i = 20 * kConsoleWidth; i < 30 * kConsoleWidth; ++i) coloured[i] = {'#', 0x7E};
                for (int i = 30 * kConsoleWidth; i < 31 * kConsoleWidth; ++i) coloured[i] = {' ', 0x80};
                console.writeFrame(coloured);
                note("coloured");
                console.writeFrame(blackBackgroundFrame(2));
                note("end");
                return 0;
            },
            term);
        ASSERT_TRUE(game.waitFor(marker("end")));
        EXPECT_TRUE(exitedWith(game.waitExit(), 0));
        // The first frame and the way back from a coloured one: every cell
        // and every erase of an all-black frame is sent on black.
        for (const auto& [from, to] : {std::pair{"start", "first"}, std::pair{"coloured", "end"}}) {
            BackgroundTrace trace;
            trace.follow(game.between(from, to));
            EXPECT_GT(trace.blackCellsSeen, 0) << from;
            EXPECT_EQ(trace.violations, 0) << from << ": " << trace.firstViolation;
        }
    }
}

TEST(TerminalConsole, ReadLineEditsAndRecallsEarlierLines) {
    PtyGame game(53, 80, [] {
        TerminalConsole console;
        console.writeFrame(Cells{});
        note("ready");
        std::string line;
        for (int i = 0; console.readLine(line); ++i) note("line" + std::to_string(i) + "=" + line);
        return 0;
    });
    ASSERT_TRUE(game.waitFor(marker("ready")));
    struct Step {
        std::string keys;
        std::string line;
    };
    const std::string left = "\x1bOD", up = "\x1bOA", down = "\x1bOB", home = "\x1bOH",
                      end = "\x1bOF", del = "\x1b[3~";
    const std::string longLine = std::string(95, 'x') + "\xC3\xA9nd";  // scrolls sideways
    const Step steps[] = {
        {"abc\x7f" "d\r", "abd"},
        {"xy" + left + left + "Z" + end + "!\r", "Zxy!"},
        {up + up + down + "\r", "Zxy!"},
        {"12345" + home + del + "\r", "2345"},
        {up + up + up + "\r", "abd"},
        {longLine + "\r", longLine},
        {"1\r", "1"},
        {up + "\r", "1"},
        {up + "\r", "1"},
        {"\r", ""},
    };
    int index = 0;
    for (const Step& step : steps) {
        game.type(step.keys);
        std::string expected = marker("line" + std::to_string(index++) + "=" + step.line);
        EXPECT_TRUE(game.waitFor(expected)) << "after typing " << step.keys;
    }
    EXPECT_NE(visibleText(game.between("ready", "line0=abd")).find("abc"), std::string::npos)
        << "typed keys echo on the input row";
    game.closeTerminal();
    const int status = game.waitExit();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGHUP) << "a hung-up terminal ends the game: " << status;
}

std::string describe(const std::vector<KeyEvent>& keys) {
    std::string text;
    for (const KeyEvent& key : keys) text += std::to_string(key.key) + (key.down ? "," : "^,");
    return text;
}

TEST(TerminalConsole, PeekedKeysStayPendingUntilConsumedOrFlushed) {
    PtyGame game(53, 80, [] {
        TerminalConsole console;
        console.writeFrame(Cells{});
        auto waitKeys = [&](std::size_t count) {
            std::vector<KeyEvent> keys;
            for (int i = 0; i < 400 && keys.size() < count; ++i) {
                keys = console.peekKeys(16);
                if (keys.size() < count) console.sleepMs(5);
            }
            return keys;
        };
        note("ready");
        note("peek=" + describe(waitKeys(1)));
        note("again=" + describe(console.peekKeys(16)));
        std::string line;
        console.readLine(line);
        note("line=" + line);
        note("keys=" + describe(waitKeys(4)));
        console.consumeKeys(1);
        note("consumed=" + describe(console.peekKeys(16)));
        console.flushInput();
        note("flushed=" + describe(console.peekKeys(16)));
        console.readLine(line);
        note("line=" + line);
        return 0;
    });
    ASSERT_TRUE(game.waitFor(marker("ready")));
    game.type("Q");
    EXPECT_TRUE(game.waitFor(marker("peek=113,")));
    EXPECT_TRUE(game.waitFor(marker("again=113,")));
    game.type("uit\r");
    EXPECT_TRUE(game.waitFor(marker("line=Quit"))) << "the peeked key starts the line";

    game.type("\x1bOA\r \x1b");
    EXPECT_TRUE(game.waitFor(marker("keys=4097,13,32,27,")));
    EXPECT_TRUE(game.waitFor(marker("consumed=13,32,27,")));
    EXPECT_TRUE(game.waitFor(marker("flushed=")));
    game.type("ok\r");
    EXPECT_TRUE(game.waitFor(marker("line=ok")));
    EXPECT_TRUE(exitedWith(game.waitExit(), 0));
}

TEST(TerminalConsole, EndOfInputEndsReadLineWithoutWaiting) {
    PtyGame game(53, 80, [] {
        int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        TerminalConsole console;
        console.writeFrame(Cells{});
        std::string line;
        return console.readLine(line) ? 1 : 42;
    });
    EXPECT_TRUE(exitedWith(game.waitExit(), 42));
}

TEST(TerminalConsole, SignalsLeaveTheTerminalAsItWas) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGSEGV}) {
        SCOPED_TRACE(sig);
        PtyGame game(53, 80, [] {
            TerminalConsole console;
            console.writeFrame(frameWithText(0, 0, "HELLO"));
            note("ready");
            std::string line;
            console.readLine(line);
            return 3;
        });
        ASSERT_TRUE(game.waitFor(marker("ready")));
        termios modes{};
        ASSERT_EQ(tcgetattr(game.master(), &modes), 0);
        EXPECT_FALSE(modes.c_lflag & ICANON) << "the game reads keys one by one";
        kill(game.pid(), sig);
        int status = game.waitExit();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
        std::string end = game.after("ready");
        EXPECT_NE(end.find("\x1b[?1049l"), std::string::npos);
        EXPECT_NE(end.find("\x1b[?25h"), std::string::npos);
        ASSERT_EQ(tcgetattr(game.master(), &modes), 0);
        EXPECT_TRUE((modes.c_lflag & ICANON) && (modes.c_lflag & ECHO)) << "line mode back";
    }
}

TEST(TerminalConsole, SuspendLeavesTheGameScreenAndResumeRedrawsIt) {
    PtyGame game(53, 80, [] {
        return test::runAsForegroundJob([] {
            TerminalConsole console;
            console.writeFrame(frameWithText(5, 5, "HELLO TRAVELLER"));
            note("ready");
            std::string line;
            bool typed = console.readLine(line);
            note("line=" + line);
            return typed ? 0 : 1;
        });
    });
    ASSERT_TRUE(game.waitFor(marker("ready")));
    const pid_t job = test::foregroundJob(game);
    ASSERT_GT(job, 0);

    // On a loaded machine the first Ctrl-Z can land before curses has its
    // handler ready for it; a player would simply press it again.
    bool stopped = false;
    for (int attempt = 0; attempt < 3 && !stopped; ++attempt) {
        kill(-job, SIGTSTP);
        stopped = game.waitFor(marker("stopped"), 2000);
    }
    ASSERT_TRUE(stopped) << "Ctrl-Z stops the game";
    EXPECT_NE(game.after("ready").find("\x1b[?1049l"), std::string::npos)
        << "and gives the shell its screen back";
    std::size_t stoppedAt = game.output.size();
    kill(-job, SIGCONT);
    EXPECT_TRUE(game.waitFor("HELLO TRAVELLER", 2000, stoppedAt)) << "the frame is back";
    EXPECT_NE(game.output.find("\x1b[?1049h", stoppedAt), std::string::npos);
    EXPECT_NE(game.output.find("\x1b[?1h", stoppedAt), std::string::npos)
        << "the arrow keys are switched back to the codes the game reads";
    game.type("g\x1bOD\x1bOD" "o\r");
    EXPECT_TRUE(game.waitFor(marker("line=og")));
    EXPECT_TRUE(exitedWith(game.waitExit(), 0));
}

TEST(TerminalConsole, SmallTerminalShowsNoticeUntilResizedThenTheFrame) {
    PtyGame game(24, 80, [] {
        TerminalConsole console;
        console.writeFrame(frameWithText(3, 10, "HELLO TRAVELLER"));
        note("drawn height=" + std::to_string(console.largestHeight()));
        std::string line;
        bool typed = console.readLine(line);
        note("line height=" + std::to_string(console.largestHeight()));
        return typed ? 0 : 1;
    });
    ASSERT_TRUE(game.waitFor(marker("drawn height=24")));
    EXPECT_NE(game.output.find("\x1b[8;53;80t"), std::string::npos) << "asked to grow";
    EXPECT_NE(visibleText(game.output).find("YOUR DISPLAY IS NOT LARGE ENOUGH"), std::string::npos);
    EXPECT_EQ(game.output.find("HELLO TRAVELLER"), std::string::npos);

    winsize size{53, 80, 0, 0};
    ASSERT_EQ(ioctl(game.master(), TIOCSWINSZ, &size), 0);
    EXPECT_TRUE(game.waitFor("HELLO TRAVELLER")) << "redrawn while waiting for a line";
    game.type("\r");
    EXPECT_TRUE(game.waitFor(marker("line height=53")));
    EXPECT_TRUE(exitedWith(game.waitExit(), 0));
}

// The space shooter's held keys on a real terminal: the kitty protocol is
// asked for, switched on for the mission and off after it; a terminal that
// does not speak it gets releases guessed from the end of auto-repeat.
TEST(TerminalConsole, HeldKeysUseTheKittyProtocolWhereAnsweredAndGuessElsewhere) {
    auto play = [] {
        TerminalConsole console;
        console.writeFrame(Cells{});
        note("ready");
        note(console.reportsKeyReleases() ? "kitty" : "plain");
        console.setHeldKeyMode(true);
        note("held");
        std::vector<KeyEvent> keys;
        for (int i = 0; i < 400 && keys.size() < 3; ++i) {
            const auto more = console.peekKeys(16);
            console.consumeKeys(more.size());
            keys.insert(keys.end(), more.begin(), more.end());
            console.sleepMs(5);
        }
        note("keys=" + describe(keys));
        console.setHeldKeyMode(false);
        note("off");
        return 0;
    };
    {
        PtyGame game(53, 80, play);
        ASSERT_TRUE(game.waitFor(marker("ready")));
        ASSERT_TRUE(game.waitFor(std::string(TerminalQuery::kQuestion)));
        game.type("\x1b[?0u\x1b[?62;22c");
        ASSERT_TRUE(game.waitFor(marker("held")));
        EXPECT_NE(game.between("kitty", "held").find("\x1b[>11u"), std::string::npos);
        game.type("\x1b[32u\x1b[1;1:2");  // a sequence split across reads
        game.type("A\x1b[32;1:3u");
        EXPECT_TRUE(game.waitFor(marker("keys=32,4097,32^,")));
        ASSERT_TRUE(game.waitFor(marker("off")));
        EXPECT_NE(game.between("keys=32,4097,32^,", "off").find("\x1b[<u"), std::string::npos);
        EXPECT_TRUE(exitedWith(game.waitExit(), 0));
    }
    {
        PtyGame game(53, 80, play);
        ASSERT_TRUE(game.waitFor(marker("ready")));
        ASSERT_TRUE(game.waitFor(std::string(TerminalQuery::kQuestion)));
        game.type("\x1b[?62;22c");
        ASSERT_TRUE(game.waitFor(marker("held")));
        EXPECT_NE(game.output.find(marker("plain")), std::string::npos);
        game.type("dd");  // a press and its first repeat, then silence
        game.type("\x1b");
        EXPECT_TRUE(game.waitFor(marker("keys=100,100^,27,")));
        EXPECT_EQ(game.output.find("\x1b[>11u"), std::string::npos);
        EXPECT_TRUE(exitedWith(game.waitExit(), 0));
    }
}

// Ctrl-C in a mission under the kitty protocol: the release of "c" may
// still be on its way when the game switches the protocol off and ends. It
// must not reach the shell, which would run it as a command.
TEST(TerminalConsole, CtrlCInAMissionLeavesNoKeyReportForTheShell) {
    PtyGame game(53, 80, [] {
        pid_t pid = fork();
        if (pid == 0) {
            TerminalConsole console;
            console.writeFrame(Cells{});
            console.setHeldKeyMode(true);
            note("held");
            for (int i = 0; i < 1000; ++i) {
                console.consumeKeys(console.peekKeys(16).size());
                console.sleepMs(5);
            }
            _exit(3);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        note(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT ? "interrupted" : "went on");
        // The shell reads what is left for it, as `cat -v` would.
        termios modes{};
        tcgetattr(STDIN_FILENO, &modes);
        modes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        modes.c_cc[VMIN] = 0;
        modes.c_cc[VTIME] = 3;
        tcsetattr(STDIN_FILENO, TCSANOW, &modes);
        std::string left;
        char buffer[64];
        for (ssize_t n; (n = read(STDIN_FILENO, buffer, sizeof buffer)) > 0;)
            for (ssize_t i = 0; i < n; ++i) left += buffer[i] == '\x1b' ? std::string("^[") : std::string(1, buffer[i]);
        note("shell got=" + left);
        return 0;
    });
    ASSERT_TRUE(game.waitFor("\x1b[?u"));  // the protocol asked for
    game.type("\x1b[?0u\x1b[?62;22c");
    ASSERT_TRUE(game.waitFor(marker("held")));
    game.type("\x1b[99;5u");  // Ctrl-C pressed...
    usleep(40000);
    game.type("\x1b[99;5:3u");  // ... and let go just as the game leaves
    ASSERT_TRUE(game.waitFor(marker("interrupted")));
    ASSERT_TRUE(game.waitFor("shell got="));
    ASSERT_TRUE(game.waitFor("\x07", 5000, game.output.find("shell got=")));
    EXPECT_NE(game.output.find(marker("shell got=")), std::string::npos)
        << game.output.substr(game.output.find("shell got="));
    EXPECT_TRUE(exitedWith(game.waitExit(), 0));
}

// How many write() calls this process has made.
long writesSoFar() {
    std::ifstream io("/proc/self/io");
    std::string name;
    long value = 0;
    while (io >> name >> value)
        if (name == "syscw:") return value;
    return -1;
}

// A frame goes out whole: one write, and where the terminal answers that
// it draws synchronized output, bracketed so it shows the frame at once.
TEST(TerminalConsole, EachFrameLeavesInOneWriteBracketedWhereTheTerminalCan) {
    struct Case {
        std::string answer;
        bool bracketed;
    };
    for (const Case& c : {Case{"\x1b[?2026;2$y", true}, Case{"\x1b[?2026;1$y", true},
                          Case{"\x1b[?2026;0$y", false}, Case{"", false}}) {
        SCOPED_TRACE(c.answer);
        PtyGame game(53, 80, [] {
            TerminalConsole console;
            console.writeFrame(Cells{});
            note("ready");
            std::string line;
            console.readLine(line);
            note("line");
            Cells cells{};
            for (int row = 0; row < 50; row += 2)  // changes all over the field, as in a mission
                for (int col = row % 7; col < 80; col += 9) cells[row * kConsoleWidth + col] = {'*', static_cast<std::uint16_t>(1 + row % 14)};
            const long before = writesSoFar();
            console.writeFrame(cells);
            const long writes = writesSoFar() - before;
            note("writes=" + std::to_string(writes));
            return 0;
        });
        ASSERT_TRUE(game.waitFor(marker("ready")));
        ASSERT_TRUE(game.waitFor("\x1b[?2026$p\x1b[c")) << "asked, before the device attributes";
        game.type(c.answer + "\x1b[?62;22c" + "go\r");
        ASSERT_TRUE(game.waitFor(marker("line")));
        ASSERT_TRUE(game.waitFor("\x1b]7777;writes="));
        // Curses collects the frame in memory (one write there) and the
        // terminal receives it in one write.
        const int writes = std::atoi(game.output.c_str() + game.output.find("writes=") + 7);
#ifndef ORVANTIS_SANITIZED_BUILD
        EXPECT_LE(writes, 2);  // the sanitizers probe memory through writes of their own
#else
        (void)writes;
#endif
        const std::string frame = game.after("line").substr(0, game.after("line").find("\x1b]7777;writes"));
        EXPECT_NE(frame.find('*'), std::string::npos);
        if (c.bracketed) {
            EXPECT_EQ(frame.rfind("\x1b[?2026h", 0), 0u) << "the frame begins the synchronized update";
            EXPECT_TRUE(frame.ends_with("\x1b[?2026l")) << "and ends it";
        } else {
            EXPECT_EQ(frame.find("\x1b[?2026"), std::string::npos);
        }
        EXPECT_TRUE(exitedWith(game.waitExit(), 0));
    }
}

}  // namespace
}  // namespace orv
