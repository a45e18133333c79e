// Held keys for terminals that never say when a key is let go. Such a
// terminal sends a key once, waits its repeat delay, then repeats it until
// the key is let go; only the last key pressed repeats.
//
// The arrow keys work as the cursor keys of a text editor: a press alone is
// a short step (down for a few frames, then up), and only the arrival of
// auto-repeat makes the key held, for as long as the repeats go on. Other
// keys count as held from their press until their repeats stop. The
// terminal's repeat delay and interval are learnt from its own repeats.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/console.h"

namespace orv {

class RepeatRelease {
public:
    // How many frames a tap of an arrow key holds it down: a few cells.
    static constexpr int kStepFrames = 3;

    // A key arrived at `nowMs` (a press or one of its repeats).
    void key(int key, std::uint64_t nowMs, std::vector<KeyEvent>& out);
    // Once a frame: a step that has lasted its frames ends, and a key whose
    // repeats have stopped goes up.
    void tick(std::uint64_t nowMs, std::vector<KeyEvent>& out);
    // Let go of everything (the mission ended).
    void reset();

    int heldKey() const { return shownDown_ ? key_ : 0; }
    // How long a key is kept held without hearing from it.
    int firstRepeatWindowMs() const { return firstDelayMs_ + kMarginMs; }
    int repeatWindowMs() const;

private:
    static constexpr int kMarginMs = 80;
    // No terminal waits less than this before it starts repeating...
    static constexpr int kQuickestRepeatDelayMs = 200;
    // ... nor repeats more slowly than this once it has started: an arrow
    // that comes back sooner is held; later, it is tapped again.
    static constexpr int kRepeatGapMs = 100;

    static bool stepsOnTap(int key);
    void press(int key, std::vector<KeyEvent>& out);
    void repeat(int gap, std::vector<KeyEvent>& out);
    void letGo(std::vector<KeyEvent>& out);
    void expire(std::uint64_t nowMs, std::vector<KeyEvent>& out);

    int key_ = 0;             // the key whose repeats we listen for
    bool shownDown_ = false;  // the game has been told it is down
    bool repeating_ = false;
    int stepFramesLeft_ = -1;  // frames left of a tap's step; -1 when none runs
    std::uint64_t lastSeen_ = 0;
    // Learnt from the terminal; the defaults cover the usual 250-660 ms
    // delay and 25-50 ms interval.
    int firstDelayMs_ = 600;
    int intervalMs_ = 40;
    int candidateDelayMs_ = 0;
};

}  // namespace orv
