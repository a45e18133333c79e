// Held keys for terminals that never say when a key is let go: a key counts
// as held from its press until its auto-repeat stops. The first repeat comes
// only after the terminal's repeat delay, so that gap is bridged; after
// that, silence for a few repeat intervals means the key is up. Terminals
// repeat only the last key pressed, so a new key lets the previous one go.
// Both gaps are learnt from the terminal's own repeats.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/console.h"

namespace orv {

class RepeatRelease {
public:
    // A key arrived at `nowMs` (a press or one of its repeats).
    void key(int key, std::uint64_t nowMs, std::vector<KeyEvent>& out);
    // Time passed: a key whose repeats have stopped goes up.
    void tick(std::uint64_t nowMs, std::vector<KeyEvent>& out);
    // Let go of everything (the mission ended).
    void reset() { held_ = 0; }

    int heldKey() const { return held_; }
    // How long a key is kept held without hearing from it.
    int firstRepeatWindowMs() const { return firstDelayMs_ + kMarginMs; }
    int repeatWindowMs() const;

private:
    static constexpr int kMarginMs = 80;
    int held_ = 0;
    bool repeating_ = false;
    std::uint64_t lastSeen_ = 0;
    // Learnt from the terminal; the defaults cover the usual 250-660 ms
    // delay and 25-50 ms interval.
    int firstDelayMs_ = 600;
    int intervalMs_ = 40;
    int candidateDelayMs_ = 0;
};

}  // namespace orv
