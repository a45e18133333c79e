// The space shooter's held keys on the terminal. Where the terminal speaks
// the kitty keyboard protocol it reports presses and releases, switched on
// for the mission only; elsewhere releases are guessed from auto-repeat.
// Either way the terminal's bytes are read here, not by curses.
#include "platform/terminal_console.h"

#include "platform/terminal_guard.h"

#include <curses.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>

namespace orv {
namespace {

// A lone ESC with nothing after it for this long was the Escape key.
constexpr std::uint64_t kLoneEscapeMs = 25;
constexpr std::size_t kMaxHeldEvents = 1024;
// How long key reports may still be on their way after the protocol is
// switched off (a release the player made just before).
constexpr std::uint64_t kReportsInFlightMs = 120;

}  // namespace

std::size_t TerminalConsole::readRawBytes(char* buffer, std::size_t capacity, int waitMs) const {
    pollfd ready{inFd_, POLLIN, 0};
    if (poll(&ready, 1, waitMs) <= 0 || (ready.revents & POLLIN) == 0) return 0;
    ssize_t n = read(inFd_, buffer, capacity);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

bool TerminalConsole::reportsKeyReleases() {
    awaitAnswers();
    return query_.kittyKeys();
}

void TerminalConsole::pushKittyFlags() {
    writeRaw(terminal_guard::kKittyPush);
    terminal_guard::setKittyPushed(true);
}

void TerminalConsole::popKittyFlags() {
    if (!terminal_guard::kittyPushed()) return;
    writeRaw(terminal_guard::kKittyPop);
    terminal_guard::setKittyPushed(false);
}

// Reports already on their way would otherwise reach whoever reads the
// terminal next, the next typed line as "[32;1:3u" or the shell as a
// command: read them for a moment, drop them, and drop what is left.
void TerminalConsole::dropPendingReports() {
    char buffer[512];
    const std::uint64_t start = nowMs();
    for (std::uint64_t now = start; now - start < kReportsInFlightMs; now = nowMs())
        readRawBytes(buffer, sizeof buffer, static_cast<int>(kReportsInFlightMs - (now - start)));
    tcflush(inFd_, TCIFLUSH);
}

void TerminalConsole::setHeldKeyMode(bool on) {
    if (on == heldMode_) return;
    if (on) awaitAnswers();
    flushinp();
    pending_.clear();
    if (!on) {
        popKittyFlags();
        dropPendingReports();
    }
    heldEvents_.clear();
    keyStream_ = KeyStream{};
    repeatRelease_.reset();
    if (on && query_.kittyKeys()) pushKittyFlags();
    heldMode_ = on;
}

// With the protocol on, Ctrl-C and Ctrl-Z are keys like any other: end or
// stop as the terminal would have, with the protocol off and its last
// reports gone first, so nothing of the game's keyboard mode reaches the
// shell. After a stop the mission goes on with the protocol on again.
void TerminalConsole::leaveFromKey(int signal) {
    popKittyFlags();
    dropPendingReports();
    raise(signal);
    if (signal != SIGTSTP) return;
    pushKittyFlags();
    repaint();
}

void TerminalConsole::takeStreamKey(const StreamKey& key, std::uint64_t now) {
    if (key.key < 0) return;  // a late answer to the start-up question
    const bool ctrl = (key.modifiers & 4) != 0;
    if (ctrl && key.type != StreamKey::Release && key.key == 'c') {
        leaveFromKey(SIGINT);
        return;
    }
    if (ctrl && key.type == StreamKey::Press && key.key == 'z') {
        leaveFromKey(SIGTSTP);
        return;
    }
    std::vector<KeyEvent> events;
    if (query_.kittyKeys()) events.push_back({key.key, key.type != StreamKey::Release});
    else repeatRelease_.key(key.key, now, events);
    for (const KeyEvent& event : events)
        if (heldEvents_.size() < kMaxHeldEvents) heldEvents_.push_back(event);
}

// Once a frame: the keys that came since the last one.
void TerminalConsole::pollHeldKeys() {
    catchUpWithSignals();
    const std::uint64_t now = nowMs();
    std::vector<StreamKey> keys;
    char buffer[512];
    for (std::size_t n; (n = readRawBytes(buffer, sizeof buffer, 0)) > 0;) {
        keyStream_.feed(buffer, n, keys);
        lastByteAt_ = now;
    }
    if (keyStream_.holdsPartial() && now - lastByteAt_ > kLoneEscapeMs) keyStream_.endOfBurst(keys);
    for (const StreamKey& key : keys) takeStreamKey(key, now);
    if (query_.kittyKeys()) return;
    std::vector<KeyEvent> releases;
    repeatRelease_.tick(now, releases);
    for (const KeyEvent& event : releases)
        if (heldEvents_.size() < kMaxHeldEvents) heldEvents_.push_back(event);
}

}  // namespace orv
