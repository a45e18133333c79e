// Guessing releases from the end of a key's auto-repeat.
#include "platform/repeat_release.h"

#include <algorithm>

namespace orv {

int RepeatRelease::repeatWindowMs() const { return std::clamp(intervalMs_ * 5 / 2, 60, 150); }

void RepeatRelease::key(int key, std::uint64_t nowMs, std::vector<KeyEvent>& out) {
    tick(nowMs, out);
    if (key == held_) {
        const int gap = static_cast<int>(nowMs - lastSeen_);
        if (!repeating_) {
            // Perhaps the first repeat, perhaps a quick second tap: the gap is
            // taken as this terminal's delay only once a quick repeat follows.
            candidateDelayMs_ = gap;
            repeating_ = true;
        } else {
            if (candidateDelayMs_ >= 200 && gap <= 100) firstDelayMs_ = std::min(candidateDelayMs_, 1000);
            candidateDelayMs_ = 0;
            intervalMs_ = std::clamp((intervalMs_ * 3 + gap) / 4, 10, 100);
        }
        lastSeen_ = nowMs;
        return;
    }
    if (held_ != 0) out.push_back({held_, false});
    out.push_back({key, true});
    held_ = key;
    repeating_ = false;
    lastSeen_ = nowMs;
}

void RepeatRelease::tick(std::uint64_t nowMs, std::vector<KeyEvent>& out) {
    if (held_ == 0) return;
    const int window = repeating_ ? repeatWindowMs() : firstRepeatWindowMs();
    if (nowMs - lastSeen_ <= static_cast<std::uint64_t>(window)) return;
    out.push_back({held_, false});
    held_ = 0;
}

}  // namespace orv
