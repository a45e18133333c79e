// The one console display: the art area, the message log and the option
// grid composed into the 80 x 53 frame, plus cell drawing, snapshots, the
// split and curtain transitions and typewriter narration.
#pragma once

#include <deque>
#include <memory>
#include <string>

#include "platform/console.h"

namespace orv {

class CommandInput;

constexpr int kArtRows = 24;
constexpr int kMessageRows = 20;
constexpr std::size_t kMaxMessages = 10;
constexpr std::size_t kMaxArtLines = 24;
constexpr std::size_t kShownOptions = 15;

extern const char* const kDisplayTooSmallMessage;

class Screen {
public:
    Screen(Console& console, CommandInput& input);
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    // Frame content.
    void clearFrame();
    void clearMessages();
    void addMessage(const std::string& text);
    // A screen that announces itself on every Draw says it once: the text is
    // added only when it is not already the newest message.
    void addMessageOnce(const std::string& text);
    void addArtLine(const std::string& text);
    void loadArt(const std::string& fileName, bool cut);
    void addMenuOption(const std::string& text);
    void clearMenuOptions() { menuOptions_.clear(); }
    void render();

    // The town's hot-spot panel: `text` goes at the end of the art line at
    // the cursor, which then moves down two lines.
    void addSideText(const std::string& text);
    // The town's hot-spot panel writes beside the map art from here.
    int sideTextCursor() const { return sideTextCursor_; }
    void setSideTextCursor(int line) { sideTextCursor_ = line; }

    // Cell drawing.
    void setCell(unsigned char character, int x, int y, int foreground, int background,
                 bool dimForeground, bool dimBackground);
    void clearCells();
    void saveConsole();
    void restoreCells();
    void writeCells();
    Cells& cells() { return cells_; }

    // Snapshots and transitions.
    std::unique_ptr<Cells> snapshot();
    void splitTransition(const Cells& oldCells, const Cells& newCells);
    void setTransitionPending(bool pending) { transitionPending_ = pending; }
    bool transitionPending() const { return transitionPending_; }
    void curtainTransition(int foreground, int background);
    // Rows 0..n of the saved cells covered by '#' in `attribute`, for n
    // growing (falling) or shrinking, `delayMs` apart.
    void curtainSweep(int attribute, bool falling, int delayMs = 7);
    void narrate(const std::string& text, int charDelayMs, double waitFactor);

    // Quiet play, for the balance simulation and the fuzz runs that play
    // thousands of fights and lessons nobody watches: frames are composed
    // only when asked for (snapshot), nothing is written to the console,
    // narration puts its whole text in the messages at once, and curtains
    // and splits take no time. The messages, art and options are kept as
    // they would be, so what a screen says can still be read.
    void setQuiet(bool quiet) { quiet_ = quiet; }
    bool quiet() const { return quiet_; }

    const std::deque<std::string>& messages() const { return messages_; }
    const std::deque<std::string>& artLines() const { return artLines_; }
    const std::deque<std::string>& menuOptions() const { return menuOptions_; }

    // Helpers the composition rests on, open for the screens and tests.
    static std::string wrapMessage(const std::string& text);
    // The rows of the message area `text` takes as a message, its blank row
    // included: more than kMessageRows and it is never shown.
    static std::size_t messageRows(const std::string& text);
    static int rowsOf(const std::string& text);
    static void textToCells(const std::string& frameText, Cells& out);
    std::string composeFrameText();

private:
    void setupConsole();
    void addWrappedMessage(std::string wrapped);
    void composeInto(Cells& out);

    Console& console_;
    CommandInput& input_;
    bool transitionPending_ = false;
    bool quiet_ = false;
    std::deque<std::string> messages_;
    std::deque<std::string> artLines_;
    std::deque<std::string> menuOptions_;
    Cells cells_{};
    Cells savedCells_{};
    int curtainForeground_ = 0;
    int curtainBackground_ = 0;
    int sideTextCursor_ = 0;
};

}  // namespace orv
