// The one doorway between the game and the machine: the 80 x 53 cell frame,
// typed lines, key events and the clock. Backends: a real terminal and a
// scripted headless console for tests and replays.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orv {

constexpr int kConsoleWidth = 80;
constexpr int kConsoleHeight = 53;
constexpr int kInputRow = 52;

// One character cell: a code page 437 byte and a console attribute
// (foreground in the low 4 bits, background in the next 4; 1 blue,
// 2 green, 4 red, 8 bright).
struct Cell {
    unsigned char ch = 0;
    std::uint16_t attr = 0;
    bool operator==(const Cell&) const = default;
};

using Cells = std::array<Cell, kConsoleWidth * kConsoleHeight>;

// Keys the game asks about by name; every other key carries its character code.
enum Key : int {
    KeyEnter = 13,
    KeyEscape = 27,
    KeySpace = 32,
    KeyUp = 0x1001,
    KeyDown,
    KeyLeft,
    KeyRight,
    KeyOther,  // a key we do not name (function keys and the like)
};

struct KeyEvent {
    int key = 0;
    bool down = true;  // false when the key went up
    bool operator==(const KeyEvent&) const = default;
};

class Console {
public:
    virtual ~Console() = default;

    // Write a whole frame in one call and remember it for readBack.
    virtual void writeFrame(const Cells& cells) = 0;
    // The cells last written (what the player sees now).
    virtual const Cells& readBack() const = 0;

    // Block until a line is typed (echoed on the input row). Returns false at
    // end of input (closed pipe, hung-up terminal, end of a script).
    virtual bool readLine(std::string& line) = 0;

    // Pending key events, oldest first, without removing them.
    virtual std::vector<KeyEvent> peekKeys(std::size_t max) = 0;
    // Remove up to `count` pending key events.
    virtual void consumeKeys(std::size_t count) = 0;
    // Discard everything typed but not yet read.
    virtual void flushInput() = 0;

    virtual void sleepMs(int ms) = 0;
    // Monotonic milliseconds since an arbitrary start.
    virtual std::uint64_t nowMs() = 0;

    // The tallest window the display allows (the game needs 53 rows).
    virtual int largestHeight() = 0;
    // Whether the window shows the whole frame now: a mission waits while
    // it does not, since the player cannot see the field.
    virtual bool showsWholeFrame() { return largestHeight() >= kConsoleHeight; }
    // A console that covers a too-small window with its own notice (instead
    // of the frame) needs no copy of it in the game's messages.
    virtual bool drawsOwnSizeNotice() const { return false; }
    virtual void setTitle(const std::string& title) = 0;

    // Held keys (the space shooter): while on, key events say when a key
    // goes down and when it comes up again. Where the terminal cannot say
    // when a key is let go, the release is guessed from the end of the
    // key's auto-repeat; `reportsKeyReleases` tells which (asking the
    // terminal the first time).
    virtual void setHeldKeyMode(bool on) { (void)on; }
    virtual bool reportsKeyReleases() { return false; }
};

}  // namespace orv
