// The signal handlers that keep the player's terminal usable.
#include "platform/terminal_guard.h"

#include <curses.h>
#include <term.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>

namespace orv::terminal_guard {
namespace {

struct Guard {
    volatile sig_atomic_t active = 0;
    int ttyFd = -1;
    char restore[512] = {};
    std::size_t restoreLength = 0;
    char resume[512] = {};
    std::size_t resumeLength = 0;
    termios savedModes{};
    bool haveSavedModes = false;
    volatile sig_atomic_t kittyPushed = 0;
    int originalStderr = -1;
};
Guard guard;
volatile sig_atomic_t resumed = 0;
volatile sig_atomic_t resized = 0;

// Every signal that would end the game as it stands (SIGKILL aside, which
// nothing can catch). The real-time signals end it too; they are added at
// run time, their numbers being known only then.
constexpr int kEndingSignals[] = {
    SIGHUP,  SIGINT,  SIGQUIT, SIGILL,    SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV, SIGUSR2,
    SIGPIPE, SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSYS};
// A fault in the game itself: the terminal must come back even if some
// other part of the program (a sanitizer, say) wanted the crash first.
constexpr int kCrashSignals[] = {SIGILL, SIGTRAP, SIGABRT, SIGBUS, SIGFPE, SIGSEGV, SIGSYS};

// Which signals the guard has taken, and what they did before.
struct sigaction previousAction[NSIG];
bool taken[NSIG] = {};
struct sigaction previousContinue, previousStop, previousResize;

// A crash from a runaway recursion has no stack left to put the terminal
// back with; the handlers run on this one instead.
alignas(16) char crashStack[64 * 1024];
stack_t previousCrashStack{};
bool crashStackSet = false;

void writeFromHandler(const char* bytes, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        ssize_t n = write(guard.ttyFd, bytes + done, length - done);
        if (n <= 0 && errno != EINTR) break;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
}

// Leave the game's screen and put the terminal's own modes back.
void leaveScreen() {
    if (guard.kittyPushed) writeFromHandler(kKittyPop.data(), kKittyPop.size());
    writeFromHandler(guard.restore, guard.restoreLength);
    if (guard.haveSavedModes) tcsetattr(guard.ttyFd, TCSADRAIN, &guard.savedModes);
}

void restoreTerminalNow() {
    if (!guard.active || guard.ttyFd < 0) return;
    int savedErrno = errno;
    leaveScreen();
    guard.kittyPushed = 0;
    errno = savedErrno;
}

// Ctrl-C, Ctrl-\, kill, a hang-up, crashes: put the terminal back, then die
// of the same signal so the shell still learns why (the handler was reset to
// the default action on the way in).
void onEndingSignal(int sig) {
    restoreTerminalNow();
    guard.active = 0;
    raise(sig);
}

void onStop(int);

void catchStop() {
    struct sigaction action {};
    action.sa_handler = onStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTSTP, &action, nullptr);
}

// Ctrl-Z: give the shell its screen and modes, stop, and on fg take the
// terminal back as the game left it; the frame is redrawn by the console.
void onStop(int) {
    int savedErrno = errno;
    termios gameModes{};
    const bool haveGameModes = guard.active && tcgetattr(guard.ttyFd, &gameModes) == 0;
    if (guard.active) leaveScreen();
    signal(SIGTSTP, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    raise(SIGTSTP);
    // fg
    catchStop();
    if (guard.active) {
        if (haveGameModes) tcsetattr(guard.ttyFd, TCSADRAIN, &gameModes);
        writeFromHandler(guard.resume, guard.resumeLength);
        if (guard.kittyPushed) writeFromHandler(kKittyPush.data(), kKittyPush.size());
    }
    resumed = 1;
    errno = savedErrno;
}

// Continued after a stop we did not see (kill -STOP): only a redraw is due.
void onContinue(int) { resumed = 1; }

void onResize(int) { resized = 1; }

void restoreAtExit() { restoreTerminalNow(); }

bool isCrashSignal(int sig) {
    return std::find(std::begin(kCrashSignals), std::end(kCrashSignals), sig) != std::end(kCrashSignals);
}

// A signal the player's shell (or the game itself) chose to ignore stays
// ignored, and one that something else already handles stays with it,
// crashes aside.
void takeEndingSignal(int sig) {
    struct sigaction current {};
    if (sigaction(sig, nullptr, &current) != 0) return;
    const bool ignored = !(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_IGN;
    const bool defaulted = !(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_DFL;
    if (ignored || (!defaulted && !isCrashSignal(sig))) return;
    struct sigaction action {};
    action.sa_handler = onEndingSignal;
    action.sa_flags = SA_RESETHAND | SA_NODEFER | (crashStackSet ? SA_ONSTACK : 0);
    sigemptyset(&action.sa_mask);
    taken[sig] = sigaction(sig, &action, &previousAction[sig]) == 0;
}

void setCrashStack() {
    stack_t stack{};
    stack.ss_sp = crashStack;
    stack.ss_size = sizeof crashStack;
    crashStackSet = sigaltstack(&stack, &previousCrashStack) == 0;
}

void installHandlers() {
    setCrashStack();
    for (int sig : kEndingSignals) takeEndingSignal(sig);
    for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) takeEndingSignal(sig);
    // No SA_RESTART: a blocked read wakes up and the frame is redrawn.
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = onContinue;
    sigaction(SIGCONT, &action, &previousContinue);
    action.sa_handler = onResize;
    sigaction(SIGWINCH, &action, &previousResize);
    action.sa_handler = onStop;
    sigaction(SIGTSTP, &action, &previousStop);
    static bool atExitRegistered = false;
    if (!atExitRegistered) atExitRegistered = std::atexit(restoreAtExit) == 0;
}

// Append a terminfo string to a prebuilt sequence, without the $<..>
// padding marks that only tputs understands.
void appendCapability(const char* name, char* buffer, std::size_t capacity, std::size_t& length) {
    const char* cap = tigetstr(name);
    if (cap == nullptr || cap == reinterpret_cast<const char*>(-1)) return;
    for (const char* p = cap; *p != '\0'; ++p) {
        if (p[0] == '$' && p[1] == '<') {
            const char* end = std::strchr(p, '>');
            if (end != nullptr) {
                p = end;
                continue;
            }
        }
        if (length + 1 >= capacity) return;
        buffer[length++] = *p;
    }
}

}  // namespace

void install(int ttyFd) {
    guard.ttyFd = ttyFd;
    guard.haveSavedModes = tcgetattr(ttyFd, &guard.savedModes) == 0;
    installHandlers();
    guard.originalStderr = dup(STDERR_FILENO);
    int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devNull >= 0) {
        dup2(devNull, STDERR_FILENO);
        close(devNull);
    }
}

void arm() {
    guard.restoreLength = 0;
    // A signal can land in the middle of a frame sent as one synchronized
    // update: end the update first, or the terminal keeps waiting for it.
    // Terminals that never heard of the mode ignore the request.
    for (const char c : std::string_view("\x1b[?2026l")) guard.restore[guard.restoreLength++] = c;
    for (const char* cap : {"sgr0", "cnorm", "rmkx", "rmcup"})
        appendCapability(cap, guard.restore, sizeof guard.restore, guard.restoreLength);
    guard.resumeLength = 0;
    for (const char* cap : {"smcup", "smkx", "civis"})
        appendCapability(cap, guard.resume, sizeof guard.resume, guard.resumeLength);
    guard.active = 1;
}

void remove() {
    guard.active = 0;
    guard.ttyFd = -1;
    for (int sig = 1; sig < NSIG; ++sig) {
        if (taken[sig]) sigaction(sig, &previousAction[sig], nullptr);
        taken[sig] = false;
    }
    if (crashStackSet) sigaltstack(&previousCrashStack, nullptr);
    crashStackSet = false;
    sigaction(SIGCONT, &previousContinue, nullptr);
    sigaction(SIGWINCH, &previousResize, nullptr);
    sigaction(SIGTSTP, &previousStop, nullptr);
    if (guard.originalStderr >= 0) {
        dup2(guard.originalStderr, STDERR_FILENO);
        close(guard.originalStderr);
        guard.originalStderr = -1;
    }
}

void setKittyPushed(bool pushed) { guard.kittyPushed = pushed ? 1 : 0; }
bool kittyPushed() { return guard.kittyPushed != 0; }

bool takeResumed() {
    if (!resumed) return false;
    resumed = 0;
    return true;
}

bool takeResized() {
    if (!resized) return false;
    resized = 0;
    return true;
}

bool waitForInputOrSignal(int inputFd) {
    sigset_t watched, previous;
    sigemptyset(&watched);
    for (int sig : {SIGWINCH, SIGCONT, SIGTSTP}) sigaddset(&watched, sig);
    sigprocmask(SIG_BLOCK, &watched, &previous);
    int ready = 0;
    if (!resumed && !resized) {
        pollfd input{inputFd, POLLIN, 0};
        ready = ppoll(&input, 1, nullptr, &previous);
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return ready > 0;
}

void writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void writeToOriginalStderr(std::string_view message) {
    writeAll(guard.originalStderr >= 0 ? guard.originalStderr : STDERR_FILENO, message);
}

}  // namespace orv::terminal_guard
