// The player's terminal as the game's console, on ncursesw: draws the 80 x 53
// frame with minimal updates, reads typed lines with editing and history,
// polls keys, and always leaves the terminal as it found it.
#pragma once

#include "platform/console.h"
#include "platform/key_stream.h"
#include "platform/repeat_release.h"

#include <cstdio>
#include <deque>
#include <optional>
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
    // fatal signals and hang-up, and keep stderr chatter off the screen.
    // Only one guarded console may exist at a time.
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
    void setTitle(const std::string& title) override;
    void setHeldKeyMode(bool on) override;
    bool reportsKeyReleases() override;

private:
    // One raw key from curses: wget_wch's return code and its value.
    struct RawKey {
        int kind = 0;
        unsigned int code = 0;
    };
    // The line being typed on the input row.
    struct LineEdit {
        std::wstring text;
        std::size_t cursor = 0;
        std::size_t scroll = 0;
        std::size_t historyPos = 0;
        std::wstring draft;  // the unfinished line while browsing history
    };

    void setUpColours();
    void buildGlyphs();
    void requestGameSize();
    bool syncSize();
    bool tooSmall() const;
    void show();
    void drawFrame();
    void forgetRows(int firstRow, int lastRow);
    void drawNotice();
    void drawInputRow();
    void putCell(int row, int col, unsigned char ch, unsigned char attr);
    void putWide(int row, int col, wchar_t glyph, unsigned char attr);
    void onResize();
    void checkResumed();
    void pollInput();
    void queueKey(const RawKey& key);
    static KeyEvent toKeyEvent(const RawKey& key);
    bool applyEditKey(const RawKey& key);  // false when the key ends the line
    void recallHistory(int step);
    void writeRaw(std::string_view bytes) const;
    // Held-key mode reads the terminal's bytes itself.
    std::size_t readRawBytes(char* buffer, std::size_t capacity, int waitMs) const;
    void pollHeldKeys();
    void takeStreamKey(const StreamKey& key, std::uint64_t now);
    void pushKittyFlags();
    void popKittyFlags();
    void suspendFromKey();

    ::screen* screen_ = nullptr;
    int outFd_ = -1;
    bool guarded_ = false;
    bool unicode_ = true;
    bool sixteenColours_ = false;
    bool eightColours_ = false;
    int shownLines_ = 0;
    int shownCols_ = 0;
    bool showingNotice_ = false;
    Cells frame_{};
    Cells inCurses_{};  // the frame cells curses holds now
    std::array<wchar_t, 256> glyphs_{};
    std::array<short, 256> pairs_{};
    std::array<unsigned int, 256> styles_{};
    std::array<bool, 256> blanked_{};  // drawn as a blank: the text cannot show
    std::deque<RawKey> pending_;
    int inFd_ = -1;
    bool heldMode_ = false;
    int kittySupport_ = -1;  // -1 not asked yet, 0 no, 1 yes
    KeyStream keyStream_;
    RepeatRelease repeatRelease_;
    std::deque<KeyEvent> heldEvents_;
    std::uint64_t lastByteAt_ = 0;
    std::vector<std::wstring> history_;
    std::optional<LineEdit> editing_;
    std::string lastTitle_;
    std::vector<std::string> afterExit_;
};

}  // namespace orv
