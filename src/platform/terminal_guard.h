// Putting the player's terminal back whichever way the game ends or stops:
// Ctrl-C, kill, a crash, a hang-up, Ctrl-Z and fg, and a resized window.
// Everything the signal handlers write is prepared beforehand, so that the
// handlers themselves only write, set the terminal's modes and raise.
#pragma once

#include <string_view>

namespace orv::terminal_guard {

// The kitty keyboard protocol: report presses, repeats and releases of
// every key as escape codes (1 + 2 + 8), and put the previous mode back.
inline constexpr std::string_view kKittyPush = "\x1b[>11u";
inline constexpr std::string_view kKittyPop = "\x1b[<u";

// Before curses starts: remember the terminal's modes, take the signals
// (curses then leaves the stop and the resize to us, and never toggles the
// stop signal around its updates, which used to swallow a Ctrl-Z), and keep
// stderr chatter off the screen. Every signal that ends the program puts the
// terminal back first and then ends it as it would have; one the player's
// shell ignores stays ignored.
void install(int ttyFd);
// Once curses has set the terminal up: the byte strings that leave and
// re-enter the game's screen, from terminfo.
void arm();
// The console is going away: give the signals and stderr back.
void remove();

// The kitty keyboard protocol is on: whatever ends or stops the program
// must switch it off first (and a resumed one switches it on again).
void setKittyPushed(bool pushed);
bool kittyPushed();

// True once after the game came back from a stop / after a resize.
bool takeResumed();
bool takeResized();
// Wait until the terminal has input or a stop, fg or resize has happened
// (with no window in which such a signal could slip by unseen).
bool waitForInputOrSignal(int inputFd);

void writeToOriginalStderr(std::string_view message);
void writeAll(int fd, std::string_view bytes);

}  // namespace orv::terminal_guard
