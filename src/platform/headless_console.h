// A console without a terminal: typed lines and key presses come from a
// script, the clock is virtual (sleeping advances it at once) and every
// frame written is kept, so tests and replays never wait or need a screen.
#pragma once

#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/console.h"

namespace orv {

class HeadlessConsole : public Console {
public:
    // One scripted input: a typed line or a single key event.
    struct Input {
        bool isKey = false;
        std::string line;
        KeyEvent key;
        int delayMs = 0;  // a key is pressed this long after the input before it was taken
    };

    // A scripted key is pressed a little after the game took the input
    // before it, so it lands inside the animation that input started.
    static constexpr int kDefaultKeyDelayMs = 200;

    HeadlessConsole() = default;

    // Script lines: "#key NAME [MS]" (NAME = space, escape, enter, up, down,
    // left, right or one character; "#keyup NAME [MS]" for a release) queues
    // a key event pressed MS virtual milliseconds (default 200) after the
    // input before it was taken; every other line is a typed line.
    void addScriptLine(const std::string& scriptLine);
    void addLine(const std::string& line);
    void addKey(int key, bool down = true, int delayMs = kDefaultKeyDelayMs);
    void loadScript(std::istream& in);

    // Where frames go as they are captured (optional).
    enum class FrameOutput { None, PerTypedLine, Every };
    void printFramesTo(std::ostream* out, FrameOutput mode);

    void setLargestHeight(int rows) { largest_ = rows; }

    // A player at the keys while held keys are on (the test pilot): asked
    // once for every frame written, with that frame; its keys arrive at once.
    using Pilot = std::function<std::vector<KeyEvent>(const Cells&)>;
    void setPilot(Pilot pilot) { pilot_ = std::move(pilot); }

    void writeFrame(const Cells& cells) override;
    const Cells& readBack() const override { return current_; }
    bool readLine(std::string& line) override;
    std::vector<KeyEvent> peekKeys(std::size_t max) override;
    void consumeKeys(std::size_t count) override;
    void flushInput() override;
    void sleepMs(int ms) override;
    std::uint64_t nowMs() override { return clock_; }
    int largestHeight() override { return largest_; }
    void setTitle(const std::string& title) override { title_ = title; }
    void setHeldKeyMode(bool on) override { heldKeyMode_ = on; }
    bool reportsKeyReleases() override { return true; }
    bool heldKeyMode() const { return heldKeyMode_; }

    const std::string& title() const { return title_; }
    std::size_t framesWritten() const { return framesWritten_; }
    std::size_t linesRead() const { return linesRead_; }
    std::size_t pendingInputs() const { return script_.size(); }

    // The last frame as 53 lines of text (code page 437 shown as UTF-8,
    // trailing blanks trimmed), and one row of it.
    std::string frameText() const;
    std::string rowText(int row) const;
    std::uint16_t attributeAt(int x, int y) const;

    static std::string cellsToText(const Cells& cells, const std::string& inputRow = "");

private:
    bool keyArrived(const Input& input) const;
    // Held keys are on, nobody pilots, and the script has nothing left.
    bool inputEnded() const;
    void takeFront();

    std::deque<Input> script_;
    std::uint64_t frontSince_ = 0;
    Cells current_{};
    std::uint64_t clock_ = 0;
    int largest_ = kConsoleHeight;
    std::string title_;
    bool heldKeyMode_ = false;
    Pilot pilot_;
    std::size_t pilotFrame_ = 0;
    std::deque<KeyEvent> pilotKeys_;
    int carriedDelayMs_ = 0;  // a "#wait" waiting for the next key
    std::size_t framesWritten_ = 0;
    std::size_t linesRead_ = 0;
    std::ostream* frameOut_ = nullptr;
    FrameOutput frameMode_ = FrameOutput::None;
};

}  // namespace orv
