// Guessing releases from the end of a key's auto-repeat, and the arrow
// keys' short step on a tap.
#include "platform/repeat_release.h"

#include <algorithm>

namespace orv {

int RepeatRelease::repeatWindowMs() const { return std::clamp(intervalMs_ * 5 / 2, 60, 150); }

bool RepeatRelease::stepsOnTap(int key) {
    return key == KeyUp || key == KeyDown || key == KeyLeft || key == KeyRight;
}

void RepeatRelease::reset() {
    key_ = 0;
    shownDown_ = false;
    repeating_ = false;
    stepFramesLeft_ = -1;
}

void RepeatRelease::key(int key, std::uint64_t nowMs, std::vector<KeyEvent>& out) {
    expire(nowMs, out);
    const int gap = static_cast<int>(nowMs - lastSeen_);
    if (key != key_) {
        candidateDelayMs_ = 0;
        press(key, out);
    } else if (!stepsOnTap(key) || repeating_ || gap <= kRepeatGapMs) {
        repeat(gap, out);
    } else {
        // A second tap, or the first repeat after the terminal's delay:
        // either way one more step; a quick repeat after it means held.
        candidateDelayMs_ = gap;
        press(key, out);
    }
    lastSeen_ = nowMs;
}

void RepeatRelease::press(int key, std::vector<KeyEvent>& out) {
    if (key != key_) letGo(out);
    if (!shownDown_) out.push_back({key, true});
    key_ = key;
    shownDown_ = true;
    repeating_ = false;
    stepFramesLeft_ = stepsOnTap(key) ? kStepFrames : -1;
}

// The key came again and is held.
void RepeatRelease::repeat(int gap, std::vector<KeyEvent>& out) {
    if (gap <= kRepeatGapMs) {
        // Surely auto-repeat: the gap before it, if long, was the
        // terminal's repeat delay.
        if (candidateDelayMs_ >= kQuickestRepeatDelayMs) firstDelayMs_ = std::min(candidateDelayMs_, 1000);
        candidateDelayMs_ = 0;
        intervalMs_ = std::clamp((intervalMs_ * 3 + gap) / 4, 10, 100);
    } else {
        candidateDelayMs_ = gap;  // perhaps the first repeat: learnt once a quick one follows
    }
    repeating_ = true;
    stepFramesLeft_ = -1;
    if (!shownDown_) out.push_back({key_, true});
    shownDown_ = true;
}

void RepeatRelease::letGo(std::vector<KeyEvent>& out) {
    if (shownDown_) out.push_back({key_, false});
    shownDown_ = false;
}

void RepeatRelease::tick(std::uint64_t nowMs, std::vector<KeyEvent>& out) {
    expire(nowMs, out);
    if (stepFramesLeft_ < 0) return;
    // The step ends after its frames, but the key is still listened for:
    // its first repeat may yet come and make it held.
    if (stepFramesLeft_ == 0) {
        letGo(out);
        stepFramesLeft_ = -1;
    } else {
        --stepFramesLeft_;
    }
}

void RepeatRelease::expire(std::uint64_t nowMs, std::vector<KeyEvent>& out) {
    if (key_ == 0) return;
    const int window = repeating_ ? repeatWindowMs() : firstRepeatWindowMs();
    if (nowMs - lastSeen_ <= static_cast<std::uint64_t>(window)) return;
    letGo(out);
    reset();
}

}  // namespace orv
