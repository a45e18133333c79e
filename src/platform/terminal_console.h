// The player's terminal as the game's console, on ncursesw: draws the 80 x 53
// frame with minimal updates, one write per frame, reads typed lines with
// editing and history, polls keys, and always leaves the terminal as it
// found it. The work is shared out by concern: terminal_console.cpp (start,
// size, drawing), terminal_input.cpp (typed lines and key polling),
// terminal_held_keys.cpp (the space shooter's held keys).
#pragma once

#include "platform/cell_styles.h"
#include "platform/console.h"
#include "platform/frame_writer.h"
#include "platform/key_stream.h"
#include "platform/line_editor.h"
#include "platform/repeat_release.h"
#include "platform/terminal_query.h"

#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

struct screen;  // ncurses' SCREEN, kept out of this header

namespace orv {

struct TerminalOptions {
    FILE* input = stdin;
    FILE* output = stdout;
    // Terminal type for terminfo; nullptr means $TERM.
    const char* termType = nullptr;
    // Own the process while the console lives: restore the terminal on
    // fatal signals, stops and hang-up, and keep stderr chatter off the
    // screen. Only one guarded console may exist at a time.
    bool guardProcess = true;
};

class TerminalConsole : public Console {
public:
    // Takes over the terminal. Throws std::runtime_error when the terminal
    // type is unknown to terminfo.
    explicit TerminalConsole(const TerminalOptions& options = {});
    ~TerminalConsole() override;
    TerminalConsole(const TerminalConsole&) = delete;
    TerminalConsole& operator=(const TerminalConsole&) = delete;

    // Whether the game can be shown here / typed into; main refuses to start
    // with a clear message when standard output is not a terminal.
    static bool stdoutIsTerminal();
    static bool stdinIsTerminal();
    // Write to the standard error the game was started with, even while the
    // console keeps stderr away from the screen.
    static void writeToOriginalStderr(std::string_view message);
    // A message (say, why the game had to stop) printed on the restored
    // terminal once the console is gone.
    void printAfterExit(std::string message);

    // Send the whole last frame again, as after a suspend or a garbled screen.
    void repaint();

    void writeFrame(const Cells& cells) override;
    const Cells& readBack() const override { return frame_; }
    bool readLine(std::string& line) override;
    std::vector<KeyEvent> peekKeys(std::size_t max) override;
    void consumeKeys(std::size_t count) override;
    void flushInput() override;
    void sleepMs(int ms) override;
    std::uint64_t nowMs() override;
    int largestHeight() override;
    bool showsWholeFrame() override;
    bool drawsOwnSizeNotice() const override { return true; }
    void setTitle(const std::string& title) override;
    void setHeldKeyMode(bool on) override;
    bool reportsKeyReleases() override;

private:
    // Start and drawing (terminal_console.cpp).
    void askTerminal();
    void requestGameSize();
    bool syncSize();
    bool tooSmall() const;
    void show();
    void drawFrame();
    void forgetRows(int firstRow, int lastRow);
    void drawNotice();
    void drawInputRow();
    void onResize();
    void catchUpWithSignals();
    void writeRaw(std::string_view bytes) const;

    // Typed lines and key polling (terminal_input.cpp).
    enum class KeyWait { Key, Signal, EndOfInput };
    KeyWait nextTypedKey(TypedKey& key);
    void awaitAnswers();
    void pollInput();
    void queueKey(const TypedKey& key);
    static KeyEvent toKeyEvent(const TypedKey& key);

    // Held keys (terminal_held_keys.cpp): this mode reads the terminal's bytes itself.
    std::size_t readRawBytes(char* buffer, std::size_t capacity, int waitMs) const;
    void pollHeldKeys();
    void takeStreamKey(const StreamKey& key, std::uint64_t now);
    void pushKittyFlags();
    void popKittyFlags();
    void dropPendingReports();
    void leaveFromKey(int signal);

    ::screen* screen_ = nullptr;
    int outFd_ = -1;
    int inFd_ = -1;
    bool guarded_ = false;
    bool unicode_ = true;
    std::unique_ptr<FrameWriter> writer_;
    CellStyles styles_;
    int shownLines_ = 0;
    int shownCols_ = 0;
    bool showingNotice_ = false;
    Cells frame_{};
    Cells inCurses_{};  // the frame cells curses holds now

    // The start-up question and its answers.
    TerminalQuery query_;
    bool asked_ = false;
    bool awaited_ = false;
    std::uint64_t askedAt_ = 0;

    std::deque<TypedKey> pending_;
    LineEditor editor_;
    bool editing_ = false;

    bool heldMode_ = false;
    KeyStream keyStream_;
    RepeatRelease repeatRelease_;
    std::deque<KeyEvent> heldEvents_;
    std::uint64_t lastByteAt_ = 0;

    std::string lastTitle_;
    std::vector<std::string> afterExit_;
};

}  // namespace orv
