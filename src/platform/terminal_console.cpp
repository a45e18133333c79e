// The ncursesw backend of the console: the frame, line input, key polling,
// and putting the terminal back whichever way the game ends.
#include "platform/terminal_console.h"

#include "platform/cp437.h"

#include <curses.h>
#include <fcntl.h>
#include <poll.h>
#include <langinfo.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <iterator>
#include <stdexcept>

namespace orv {
namespace {

constexpr const char* kTooSmallNotice =
    "YOUR DISPLAY IS NOT LARGE ENOUGH TO PRINT THE GAME WINDOW. TO FIX THIS PROBLEM, "
    "INCREASE YOUR SCREEN RESOLUTION OR CHANGE THE FONT SIZE OF YOUR CONSOLE BY CLICKING "
    "THE UPPER LEFT CORNER, AND SELECTING 'PROPERTIES'. PRESS ENTER TO RELOAD THIS WINDOW";
// xterm's "resize the text area to 53 rows by 80 columns".
constexpr std::string_view kResizeRequest = "\x1b[8;53;80t";
// The typed line is shown in the game's usual bright white.
constexpr unsigned char kInputAttr = 0x0F;
constexpr std::size_t kMaxPendingKeys = 1024;
// An attribute no frame uses: marks a cell curses does not hold.
constexpr std::uint16_t kNotDrawn = 0xFFFF;

// Everything the signal handlers need, prepared while it is safe to
// allocate, so that the handlers themselves only write and tcsetattr.
struct ProcessGuard {
    volatile sig_atomic_t active = 0;
    int ttyFd = -1;
    char restore[512] = {};
    std::size_t restoreLength = 0;
    char resume[64] = {};
    std::size_t resumeLength = 0;
    termios savedModes{};
    // The space shooter switched the kitty keyboard protocol on: whatever
    // ends the program must switch it off first.
    volatile sig_atomic_t kittyPushed = 0;
    bool haveSavedModes = false;
    int originalStderr = -1;
};
ProcessGuard guard;
// The kitty keyboard protocol: report presses, repeats and releases of
// every key as escape codes (1 + 2 + 8), and put the previous mode back.
constexpr char kKittyPush[] = "\x1b[>11u";
constexpr char kKittyPop[] = "\x1b[<u";
// Ask for the protocol's flags, then for the device attributes, which
// every terminal answers: a flags reply before it means the protocol works.
constexpr char kKittyQuery[] = "\x1b[?u\x1b[c";
constexpr int kKittyAnswerMs = 500;
// A lone ESC with nothing after it for this long was the Escape key.
constexpr std::uint64_t kLoneEscapeMs = 25;
constexpr std::size_t kMaxHeldEvents = 1024;
volatile sig_atomic_t resumedFromSuspend = 0;

constexpr int kFatalSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGSEGV, SIGABRT, SIGBUS, SIGFPE};
struct sigaction previousActions[std::size(kFatalSignals)];
struct sigaction previousContinue;

void writeFromHandler(const char* bytes, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        ssize_t n = write(guard.ttyFd, bytes + done, length - done);
        if (n <= 0 && errno != EINTR) break;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
}

void restoreTerminalNow() {
    if (guard.ttyFd < 0) return;
    int savedErrno = errno;
    if (guard.kittyPushed) writeFromHandler(kKittyPop, sizeof kKittyPop - 1);
    guard.kittyPushed = 0;
    writeFromHandler(guard.restore, guard.restoreLength);
    if (guard.haveSavedModes) tcsetattr(guard.ttyFd, TCSANOW, &guard.savedModes);
    errno = savedErrno;
}

// Ctrl-C, kill, crashes: put the terminal back, then die of the same signal
// so the shell still learns why (the handler is reset to default first).
void onDeadlySignal(int sig) {
    if (guard.active) restoreTerminalNow();
    guard.active = 0;
    raise(sig);
}

// The terminal went away: nobody can play on, so end quietly and cleanly.
void onHangUp(int) {
    if (guard.active) restoreTerminalNow();
    _exit(0);
}

// Back from Ctrl-Z. Curses repaints and restores the terminal modes itself,
// but switches the keypad codes back on only at its next key read; a line
// already being typed would see arrow keys it cannot decode until then.
void onContinue(int) {
    resumedFromSuspend = 1;
    if (!guard.active) return;
    int savedErrno = errno;
    writeFromHandler(guard.resume, guard.resumeLength);
    errno = savedErrno;
}

void restoreAtExit() {
    if (guard.active) restoreTerminalNow();
}

void installHandlers() {
    for (std::size_t i = 0; i < std::size(kFatalSignals); ++i) {
        struct sigaction action {};
        action.sa_handler = kFatalSignals[i] == SIGHUP ? onHangUp : onDeadlySignal;
        action.sa_flags = SA_RESETHAND | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        sigaction(kFatalSignals[i], &action, &previousActions[i]);
    }
    // No SA_RESTART: a blocked read wakes up and the frame is redrawn.
    struct sigaction action {};
    action.sa_handler = onContinue;
    sigemptyset(&action.sa_mask);
    sigaction(SIGCONT, &action, &previousContinue);
    static bool atExitRegistered = false;
    if (!atExitRegistered) atExitRegistered = std::atexit(restoreAtExit) == 0;
}

void removeHandlers() {
    for (std::size_t i = 0; i < std::size(kFatalSignals); ++i)
        sigaction(kFatalSignals[i], &previousActions[i], nullptr);
    sigaction(SIGCONT, &previousContinue, nullptr);
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

void keepStderrOffScreen() {
    guard.originalStderr = dup(STDERR_FILENO);
    int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devNull >= 0) {
        dup2(devNull, STDERR_FILENO);
        close(devNull);
    }
}

void giveStderrBack() {
    if (guard.originalStderr < 0) return;
    dup2(guard.originalStderr, STDERR_FILENO);
    close(guard.originalStderr);
    guard.originalStderr = -1;
}

void writeAllTo(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// Windows orders colour bits blue, green, red; curses red, green, blue.
short toCursesColour(int windowsColour) {
    int colour = (windowsColour & 2) | ((windowsColour & 1) << 2) | ((windowsColour & 4) >> 2);
    return static_cast<short>(colour | (windowsColour & 8));
}

// With 64 pairs, pair 0 is the terminal's own default colours (black on
// white in an xterm as it ships), so the game's white on black must have a
// pair of its own. Black on black takes slot 63, the slot of grey on grey,
// which the game never needs (see setUpColours).
short eightColourPair(int fg, int bg) {
    if (fg == 0 && bg == 0) return 63;
    return static_cast<short>(bg * 8 + fg);
}

bool termLikelyHasTitle() {
    const char* term = std::getenv("TERM");
    if (term == nullptr) return false;
    for (const char* family : {"xterm", "tmux", "screen", "kitty", "alacritty", "foot", "rxvt",
                               "wezterm", "ghostty", "konsole", "gnome", "vte", "st-"}) {
        if (std::strstr(term, family) != nullptr) return true;
    }
    return false;
}

bool isEnterKey(int kind, unsigned int code) {
    if (kind == KEY_CODE_YES) return code == KEY_ENTER;
    return code == '\r' || code == '\n';
}

bool isPrintable(int kind, unsigned int code) {
    return kind == OK && code >= 32 && code != 127 && !(code >= 0x80 && code < 0xA0);
}

std::string toMultibyte(const std::wstring& text) {
    std::string out;
    std::mbstate_t state{};
    char buffer[MB_LEN_MAX];
    for (wchar_t ch : text) {
        std::size_t n = std::wcrtomb(buffer, ch, &state);
        if (n == static_cast<std::size_t>(-1)) {
            state = std::mbstate_t{};
            if (static_cast<unsigned int>(ch) < 256) out += static_cast<char>(ch);
            continue;
        }
        out.append(buffer, n);
    }
    return out;
}

// Split the notice into lines no wider than `width`, breaking at spaces.
std::vector<std::string> wrapWords(std::string_view text, std::size_t width) {
    std::vector<std::string> lines;
    std::string line;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view word = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            lines.push_back(line);
            line.clear();
        }
        if (!line.empty()) line += ' ';
        line += word;
        while (line.size() > width) {  // a word longer than the screen
            lines.push_back(line.substr(0, width));
            line.erase(0, width);
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace

TerminalConsole::TerminalConsole(const TerminalOptions& options)
    : outFd_(fileno(options.output)), inFd_(fileno(options.input)) {
    if (std::strcmp(std::setlocale(LC_CTYPE, nullptr), "C") == 0) std::setlocale(LC_ALL, "");
    unicode_ = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;

    if (options.guardProcess) {
        guard.haveSavedModes = tcgetattr(outFd_, &guard.savedModes) == 0;
        // Before newterm, so ncurses leaves INT/TERM to us and keeps its own
        // suspend and resize handling.
        installHandlers();
        keepStderrOffScreen();
        guarded_ = true;
    }
    set_escdelay(25);  // a lone Escape must not stall the minigame
    screen_ = newterm(options.termType, options.output, options.input);
    if (screen_ == nullptr) {
        if (guarded_) {
            removeHandlers();
            giveStderrBack();
        }
        throw std::runtime_error("this terminal type is unknown; check the TERM variable");
    }
    set_term(screen_);
    cbreak();
    noecho();
    nonl();
    intrflush(stdscr, FALSE);
    keypad(stdscr, TRUE);
    typeahead(-1);
    curs_set(0);
    if (guarded_) {
        guard.ttyFd = outFd_;
        guard.restoreLength = 0;
        for (const char* cap : {"sgr0", "cnorm", "rmkx", "rmcup"})
            appendCapability(cap, guard.restore, sizeof guard.restore, guard.restoreLength);
        guard.resumeLength = 0;
        appendCapability("smkx", guard.resume, sizeof guard.resume, guard.resumeLength);
        guard.active = 1;
    }
    setUpColours();
    buildGlyphs();
    forgetRows(0, kConsoleHeight - 1);
    requestGameSize();
    shownLines_ = LINES;
    shownCols_ = COLS;
    show();
}

TerminalConsole::~TerminalConsole() {
    setHeldKeyMode(false);
    set_term(screen_);
    curs_set(1);
    endwin();
    delscreen(screen_);
    if (guarded_) {
        guard.active = 0;
        guard.ttyFd = -1;
        removeHandlers();
        giveStderrBack();
    }
    for (const std::string& message : afterExit_) writeToOriginalStderr(message);
}

bool TerminalConsole::stdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }
bool TerminalConsole::stdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }

void TerminalConsole::writeToOriginalStderr(std::string_view message) {
    writeAllTo(guard.originalStderr >= 0 ? guard.originalStderr : STDERR_FILENO, message);
}

void TerminalConsole::printAfterExit(std::string message) {
    afterExit_.push_back(std::move(message));
}

// ---- colours and glyphs ----

void TerminalConsole::setUpColours() {
    if (!has_colors() || start_color() == ERR) return;
    if (COLORS >= 16 && COLOR_PAIRS > 256) {
        sixteenColours_ = true;
        for (int bg = 0; bg < 16; ++bg)
            for (int fg = 0; fg < 16; ++fg)
                init_pair(static_cast<short>(1 + bg * 16 + fg), toCursesColour(fg),
                          toCursesColour(bg));
    } else if (COLORS >= 8 && COLOR_PAIRS >= 64) {
        eightColours_ = true;
        for (int bg = 0; bg < 8; ++bg)
            for (int fg = 0; fg < 8; ++fg)
                if (short pair = eightColourPair(fg, bg); pair != 0 && !(fg == 7 && bg == 7))
                    init_pair(pair, toCursesColour(fg), toCursesColour(bg));
    }
    for (int attr = 0; attr < 256; ++attr) {
        int fg = attr & 15;
        int bg = attr >> 4;
        attr_t style = A_NORMAL;
        short pair = 0;
        bool blank = false;
        if (sixteenColours_) {
            pair = static_cast<short>(1 + bg * 16 + fg);
        } else if (eightColours_) {
            // Bright foregrounds are bold, as these terminals show them (dark
            // grey is bold black on the cell's own background, never a grey
            // block). Bright backgrounds cannot be shown and fall back to
            // their dark colour; a dark text on the bright form of its own
            // colour would then vanish, so only that background moves.
            const bool bold = (fg & 8) != 0;
            int fgBase = fg & 7;
            int bgBase = bg & 7;
            if (!bold && fg != bg && fgBase == bgBase) bgBase = fgBase == 0 ? 7 : 0;
            if (bold) style |= A_BOLD;
            if (fgBase == 7 && bgBase == 7) {
                // Grey on grey has no pair: white text there reads as black
                // on grey, and grey text (invisible anyway) as a blank.
                blank = !bold;
                style = A_NORMAL;
                fgBase = 0;
            }
            pair = eightColourPair(fgBase, bgBase);
        } else {
            if (fg & 8) style |= A_BOLD;
            if ((bg & 7) != 0 && (fg & 7) == 0) style |= A_REVERSE;
        }
        pairs_[attr] = pair;
        styles_[attr] = style;
        blanked_[attr] = blank;
    }
}

void TerminalConsole::buildGlyphs() {
    for (int byte = 0; byte < 256; ++byte) {
        auto ch = static_cast<unsigned char>(byte);
        glyphs_[byte] = unicode_ ? static_cast<wchar_t>(cp437ToUnicode(ch))
                                 : static_cast<wchar_t>(cp437ToAscii(ch));
    }
}

// ---- size ----

void TerminalConsole::requestGameSize() {
    if (!tooSmall() || isatty(outFd_) != 1) return;
    writeRaw(kResizeRequest);
    // A terminal that obeys answers within a few milliseconds; one that
    // does not is told about it by the notice instead.
    for (int tries = 0; tries < 10 && tooSmall(); ++tries) {
        sleepMs(10);
        syncSize();
    }
}

// Catch up with a size change that curses has not read yet (a resize
// during an animation, before any key is read). True when it changed.
bool TerminalConsole::syncSize() {
    winsize size{};
    if (ioctl(outFd_, TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0)
        return false;
    if (size.ws_row == LINES && size.ws_col == COLS) return false;
    resizeterm(size.ws_row, size.ws_col);
    return true;
}

bool TerminalConsole::tooSmall() const { return LINES < kConsoleHeight || COLS < kConsoleWidth; }

int TerminalConsole::largestHeight() {
    syncSize();
    return LINES;
}

// ---- drawing ----

void TerminalConsole::writeFrame(const Cells& cells) {
    frame_ = cells;
    checkResumed();
    if (syncSize()) clearok(curscr, TRUE);
    show();
}

void TerminalConsole::repaint() {
    clearok(curscr, TRUE);
    show();
}

// Put what the player should see now into curses and send the difference.
void TerminalConsole::show() {
    bool notice = tooSmall();
    if (notice != showingNotice_ || LINES != shownLines_ || COLS != shownCols_) {
        werase(stdscr);
        forgetRows(0, kConsoleHeight - 1);
    }
    showingNotice_ = notice;
    shownLines_ = LINES;
    shownCols_ = COLS;
    if (notice) {
        drawNotice();
        curs_set(0);
    } else {
        drawFrame();
        if (editing_) drawInputRow();
        else wmove(stdscr, kInputRow, 0);
        curs_set(editing_ ? 1 : 0);
    }
    wnoutrefresh(stdscr);
    doupdate();
}

// Only cells that differ from what curses already holds are handed over;
// curses then works out what the terminal needs.
void TerminalConsole::drawFrame() {
    for (std::size_t i = 0; i < frame_.size(); ++i) {
        const Cell& cell = frame_[i];
        if (cell == inCurses_[i]) continue;
        putCell(static_cast<int>(i) / kConsoleWidth, static_cast<int>(i) % kConsoleWidth, cell.ch,
                static_cast<unsigned char>(cell.attr & 0xFF));
        inCurses_[i] = cell;
    }
}

// Mark rows as holding something else than the frame (the typed line, the
// notice, a cleared screen) so the next frame draws them again.
void TerminalConsole::forgetRows(int firstRow, int lastRow) {
    for (int i = firstRow * kConsoleWidth; i < (lastRow + 1) * kConsoleWidth; ++i)
        inCurses_[i].attr = kNotDrawn;
}

void TerminalConsole::putCell(int row, int col, unsigned char ch, unsigned char attr) {
    putWide(row, col, blanked_[attr] ? L' ' : glyphs_[ch], attr);
}

void TerminalConsole::putWide(int row, int col, wchar_t glyph, unsigned char attr) {
    wchar_t text[2] = {glyph, L'\0'};
    cchar_t cell;
    setcchar(&cell, text, styles_[attr], pairs_[attr], nullptr);
    mvwadd_wch(stdscr, row, col, &cell);
}

void TerminalConsole::drawNotice() {
    int width = std::max(1, COLS - 2);
    std::vector<std::string> lines = wrapWords(kTooSmallNotice, static_cast<std::size_t>(width));
    int top = std::max(0, (LINES - static_cast<int>(lines.size())) / 2);
    for (std::size_t i = 0; i < lines.size() && top + static_cast<int>(i) < LINES; ++i) {
        int left = std::max(0, (COLS - static_cast<int>(lines[i].size())) / 2);
        for (std::size_t j = 0; j < lines[i].size(); ++j)
            putCell(top + static_cast<int>(i), left + static_cast<int>(j),
                    static_cast<unsigned char>(lines[i][j]), kInputAttr);
    }
    wmove(stdscr, std::max(0, LINES - 1), 0);
}

// The typed line on the input row, scrolled sideways to keep the cursor in
// view when it is longer than the screen is wide.
void TerminalConsole::drawInputRow() {
    LineEdit& edit = *editing_;
    const std::size_t width = kConsoleWidth;
    if (edit.cursor < edit.scroll) edit.scroll = edit.cursor;
    if (edit.cursor >= edit.scroll + width) edit.scroll = edit.cursor - width + 1;
    for (std::size_t col = 0; col < width; ++col) {
        std::size_t index = edit.scroll + col;
        wchar_t ch = index < edit.text.size() ? edit.text[index] : L' ';
        if (wcwidth(ch) != 1) ch = L'?';  // keep one typed character per cell
        putWide(kInputRow, static_cast<int>(col), ch, kInputAttr);
    }
    forgetRows(kInputRow, kInputRow);
    wmove(stdscr, kInputRow, static_cast<int>(edit.cursor - edit.scroll));
}

void TerminalConsole::onResize() {
    syncSize();
    clearok(curscr, TRUE);  // the terminal may have reflowed what it showed
    show();
}

// Curses repaints what it knew after Ctrl-Z and fg; send the game's frame
// again as well, in case something else drew on the terminal meanwhile.
void TerminalConsole::checkResumed() {
    if (!resumedFromSuspend) return;
    resumedFromSuspend = 0;
    repaint();
}

// ---- line input ----

bool TerminalConsole::readLine(std::string& line) {
    editing_ = LineEdit{};
    editing_->historyPos = history_.size();
    // Only keys already peeked at count here; what is still unread in the
    // terminal (an Enter typed ahead, say) goes through the editor below.
    for (const RawKey& key : pending_)
        if (isPrintable(key.kind, key.code)) applyEditKey(key);
    pending_.clear();
    show();

    bool ended = false;
    for (;;) {
        wint_t code = 0;
        errno = 0;
        int kind = wget_wch(stdscr, &code);
        if (kind == ERR) {
            if (errno == EINTR) {  // a signal we handle; not the end of input
                checkResumed();
                continue;
            }
            ended = true;
            break;
        }
        if (kind == KEY_CODE_YES && code == KEY_RESIZE) {
            onResize();
            continue;
        }
        if (!applyEditKey({kind, static_cast<unsigned int>(code)})) break;
        show();
    }
    std::wstring text = std::move(editing_->text);
    editing_.reset();
    show();  // the input row goes back to the frame's own cells
    if (ended) return false;
    if (!text.empty() && (history_.empty() || history_.back() != text)) history_.push_back(text);
    line = toMultibyte(text);
    return true;
}

bool TerminalConsole::applyEditKey(const RawKey& key) {
    LineEdit& edit = *editing_;
    if (isEnterKey(key.kind, key.code)) return false;
    if (isPrintable(key.kind, key.code)) {
        edit.text.insert(edit.cursor++, 1, static_cast<wchar_t>(key.code));
        return true;
    }
    bool named = key.kind == KEY_CODE_YES;  // a key curses decoded for us
    if ((named && key.code == KEY_BACKSPACE) || (!named && (key.code == 127 || key.code == 8))) {
        if (edit.cursor > 0) edit.text.erase(--edit.cursor, 1);
    } else if (named && key.code == KEY_DC) {
        if (edit.cursor < edit.text.size()) edit.text.erase(edit.cursor, 1);
    } else if (named && key.code == KEY_LEFT) {
        if (edit.cursor > 0) --edit.cursor;
    } else if (named && key.code == KEY_RIGHT) {
        if (edit.cursor < edit.text.size()) ++edit.cursor;
    } else if (named && key.code == KEY_HOME) {
        edit.cursor = 0;
    } else if (named && key.code == KEY_END) {
        edit.cursor = edit.text.size();
    } else if (named && key.code == KEY_UP) {
        recallHistory(-1);
    } else if (named && key.code == KEY_DOWN) {
        recallHistory(+1);
    }
    return true;
}

// Up goes back to earlier lines, down forward again and finally to the
// line that was being typed, as in a shell.
void TerminalConsole::recallHistory(int step) {
    LineEdit& edit = *editing_;
    if (step < 0 && edit.historyPos == 0) return;
    if (step > 0 && edit.historyPos >= history_.size()) return;
    if (edit.historyPos == history_.size()) edit.draft = edit.text;
    edit.historyPos = step < 0 ? edit.historyPos - 1 : edit.historyPos + 1;
    edit.text = edit.historyPos == history_.size() ? edit.draft : history_[edit.historyPos];
    edit.cursor = edit.text.size();
}

// ---- key polling ----

void TerminalConsole::pollInput() {
    checkResumed();
    wtimeout(stdscr, 0);
    for (;;) {
        wint_t code = 0;
        int kind = wget_wch(stdscr, &code);
        if (kind == ERR) break;
        if (kind == KEY_CODE_YES && code == KEY_RESIZE) {
            onResize();
            continue;
        }
        queueKey({kind, static_cast<unsigned int>(code)});
    }
    wtimeout(stdscr, -1);
}

void TerminalConsole::queueKey(const RawKey& key) {
    if (pending_.size() < kMaxPendingKeys) pending_.push_back(key);
}

KeyEvent TerminalConsole::toKeyEvent(const RawKey& key) {
    if (isEnterKey(key.kind, key.code)) return {KeyEnter, true};
    if (key.kind == KEY_CODE_YES) {
        switch (key.code) {
            case KEY_UP: return {KeyUp, true};
            case KEY_DOWN: return {KeyDown, true};
            case KEY_LEFT: return {KeyLeft, true};
            case KEY_RIGHT: return {KeyRight, true};
            case KEY_BACKSPACE: return {8, true};
            default: return {KeyOther, true};
        }
    }
    int code = static_cast<int>(key.code);
    if (code >= 'A' && code <= 'Z') code += 'a' - 'A';
    if (code == 127) code = 8;  // the backspace key
    return {code, true};
}

std::vector<KeyEvent> TerminalConsole::peekKeys(std::size_t max) {
    if (heldMode_) {
        pollHeldKeys();
        return {heldEvents_.begin(), heldEvents_.begin() + static_cast<long>(std::min(max, heldEvents_.size()))};
    }
    pollInput();
    std::vector<KeyEvent> events;
    for (std::size_t i = 0; i < pending_.size() && i < max; ++i)
        events.push_back(toKeyEvent(pending_[i]));
    return events;
}

void TerminalConsole::consumeKeys(std::size_t count) {
    if (heldMode_) {
        heldEvents_.erase(heldEvents_.begin(),
                          heldEvents_.begin() + static_cast<long>(std::min(count, heldEvents_.size())));
        return;
    }
    pending_.erase(pending_.begin(),
                   pending_.begin() + static_cast<long>(std::min(count, pending_.size())));
}

void TerminalConsole::flushInput() {
    flushinp();
    pending_.clear();
    heldEvents_.clear();
}

// ---- held keys (the space shooter) ----

std::size_t TerminalConsole::readRawBytes(char* buffer, std::size_t capacity, int waitMs) const {
    pollfd ready{inFd_, POLLIN, 0};
    if (poll(&ready, 1, waitMs) <= 0 || (ready.revents & POLLIN) == 0) return 0;
    ssize_t n = read(inFd_, buffer, capacity);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

bool TerminalConsole::reportsKeyReleases() {
    if (kittySupport_ >= 0) return kittySupport_ == 1;
    kittySupport_ = 0;
    if (isatty(inFd_) != 1 || isatty(outFd_) != 1) return false;
    flushinp();
    pending_.clear();
    writeRaw(kKittyQuery);
    KeyStream replies;
    std::vector<StreamKey> keys;
    char buffer[256];
    const std::uint64_t start = nowMs();
    while (nowMs() - start < static_cast<std::uint64_t>(kKittyAnswerMs)) {
        replies.feed(buffer, readRawBytes(buffer, sizeof buffer, 50), keys);
        for (const StreamKey& key : keys) {
            if (key.key == StreamKey::kFlagsReply) kittySupport_ = 1;
            if (key.key == StreamKey::kAttributesReply) return kittySupport_ == 1;
        }
        keys.clear();
    }
    return kittySupport_ == 1;
}

void TerminalConsole::pushKittyFlags() {
    writeRaw(kKittyPush);
    guard.kittyPushed = 1;
}

void TerminalConsole::popKittyFlags() {
    if (!guard.kittyPushed) return;
    writeRaw(kKittyPop);
    guard.kittyPushed = 0;
}

void TerminalConsole::setHeldKeyMode(bool on) {
    if (on == heldMode_) return;
    if (on) reportsKeyReleases();
    flushinp();
    pending_.clear();
    if (!on) {
        if (kittySupport_ == 1) popKittyFlags();
        // Reports already on their way would otherwise be typed into the
        // next line as "[32;1:3u": wait for the terminal to fall silent.
        // A key still held keeps the terminal talking, so the wait is short;
        // what comes later is plain keys, flushed after the mission's end.
        char buffer[512];
        const std::uint64_t start = nowMs();
        while (nowMs() - start < 150 && readRawBytes(buffer, sizeof buffer, 30) > 0) {
        }
    }
    heldEvents_.clear();
    keyStream_ = KeyStream{};
    repeatRelease_.reset();
    if (on && kittySupport_ == 1) pushKittyFlags();
    heldMode_ = on;
}

// With the protocol on, Ctrl-Z is a key like any other: stop as the
// terminal would have, with the protocol off while we are away.
void TerminalConsole::suspendFromKey() {
    popKittyFlags();
    raise(SIGTSTP);
    pushKittyFlags();
    repaint();
}

void TerminalConsole::takeStreamKey(const StreamKey& key, std::uint64_t now) {
    if (key.key < 0) return;  // a late answer to the protocol query
    const bool ctrl = (key.modifiers & 4) != 0;
    if (ctrl && key.type != StreamKey::Release && key.key == 'c') {
        popKittyFlags();
        raise(SIGINT);
        return;
    }
    if (ctrl && key.type == StreamKey::Press && key.key == 'z') {
        suspendFromKey();
        return;
    }
    std::vector<KeyEvent> events;
    if (kittySupport_ == 1) events.push_back({key.key, key.type != StreamKey::Release});
    else repeatRelease_.key(key.key, now, events);
    for (const KeyEvent& event : events)
        if (heldEvents_.size() < kMaxHeldEvents) heldEvents_.push_back(event);
}

void TerminalConsole::pollHeldKeys() {
    checkResumed();
    const std::uint64_t now = nowMs();
    std::vector<StreamKey> keys;
    char buffer[512];
    for (std::size_t n; (n = readRawBytes(buffer, sizeof buffer, 0)) > 0;) {
        keyStream_.feed(buffer, n, keys);
        lastByteAt_ = now;
    }
    if (keyStream_.holdsPartial() && now - lastByteAt_ > kLoneEscapeMs) keyStream_.endOfBurst(keys);
    for (const StreamKey& key : keys) takeStreamKey(key, now);
    if (kittySupport_ == 1) return;
    std::vector<KeyEvent> releases;
    repeatRelease_.tick(now, releases);
    for (const KeyEvent& event : releases)
        if (heldEvents_.size() < kMaxHeldEvents) heldEvents_.push_back(event);
}

// ---- time and title ----

void TerminalConsole::sleepMs(int ms) {
    if (ms <= 0) return;
    timespec wait{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

std::uint64_t TerminalConsole::nowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

// The game sets its title with every frame; only a change is sent. Terminals
// of the xterm family put the old title back when the game leaves.
void TerminalConsole::setTitle(const std::string& title) {
    if (title == lastTitle_ || isatty(outFd_) != 1 || !termLikelyHasTitle()) return;
    lastTitle_ = title;
    std::string sequence = "\x1b]2;";
    for (char ch : title)
        if (static_cast<unsigned char>(ch) >= 32 && ch != 127) sequence += ch;
    sequence += '\x07';
    writeRaw(sequence);
}

void TerminalConsole::writeRaw(std::string_view bytes) const { writeAllTo(outFd_, bytes); }

}  // namespace orv
