// The ncursesw backend of the console: taking the terminal over and giving
// it back, its size, and drawing the frame (or the too-small notice).
#include "platform/terminal_console.h"

#include "platform/terminal_guard.h"

#include <curses.h>
#include <langinfo.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <ctime>
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
// An attribute no frame uses: marks a cell curses does not hold.
constexpr std::uint16_t kNotDrawn = 0xFFFF;

bool termLikelyHasTitle() {
    const char* term = std::getenv("TERM");
    if (term == nullptr) return false;
    for (const char* family : {"xterm", "tmux", "screen", "kitty", "alacritty", "foot", "rxvt",
                               "wezterm", "ghostty", "konsole", "gnome", "vte", "st-"}) {
        if (std::strstr(term, family) != nullptr) return true;
    }
    return false;
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
        // Before newterm, so ncurses leaves the signals to us.
        terminal_guard::install(outFd_);
        guarded_ = true;
    }
    set_escdelay(25);  // a lone Escape must not stall the minigame
    writer_ = std::make_unique<FrameWriter>(outFd_);
    screen_ = newterm(options.termType, writer_->cursesOutput(), options.input);
    if (screen_ == nullptr) {
        if (guarded_) terminal_guard::remove();
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
    // Until curses has once left and re-entered its screen it flushes its
    // output at every cursor move (a dozen writes for one mission frame);
    // from then on a frame leaves in one piece.
    endwin();
    doupdate();
    if (guarded_) terminal_guard::arm();
    styles_.setUp(unicode_);
    forgetRows(0, kConsoleHeight - 1);
    askTerminal();
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
    writer_.reset();
    if (guarded_) terminal_guard::remove();
    for (const std::string& message : afterExit_) writeToOriginalStderr(message);
}

bool TerminalConsole::stdoutIsTerminal() { return isatty(STDOUT_FILENO) == 1; }
bool TerminalConsole::stdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }

void TerminalConsole::writeToOriginalStderr(std::string_view message) {
    terminal_guard::writeToOriginalStderr(message);
}

void TerminalConsole::printAfterExit(std::string message) { afterExit_.push_back(std::move(message)); }

// Ask once what the terminal can do; the answers are read before the
// first key is (terminal_input.cpp), so the title shows without waiting.
void TerminalConsole::askTerminal() {
    if (isatty(inFd_) != 1 || isatty(outFd_) != 1) return;
    writeRaw(TerminalQuery::kQuestion);
    asked_ = true;
    askedAt_ = nowMs();
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

// Catch up with a size change: the window's size is read from the
// terminal itself. True when it changed.
bool TerminalConsole::syncSize() {
    winsize size{};
    if (ioctl(outFd_, TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0) return false;
    if (size.ws_row == LINES && size.ws_col == COLS) return false;
    resizeterm(size.ws_row, size.ws_col);
    return true;
}

bool TerminalConsole::tooSmall() const { return LINES < kConsoleHeight || COLS < kConsoleWidth; }

int TerminalConsole::largestHeight() {
    syncSize();
    return LINES;
}

bool TerminalConsole::showsWholeFrame() {
    catchUpWithSignals();
    syncSize();
    return !tooSmall();
}

void TerminalConsole::onResize() {
    syncSize();
    clearok(curscr, TRUE);  // the terminal may have reflowed what it showed
    show();
}

// A stop and fg, or a resized window, since we last looked.
void TerminalConsole::catchUpWithSignals() {
    if (terminal_guard::takeResumed()) {
        // The terminal came back with the cursor hidden; curses must know.
        if (editing_) curs_set(0);
        repaint();
    }
    if (terminal_guard::takeResized()) onResize();
}

// ---- drawing ----

void TerminalConsole::writeFrame(const Cells& cells) {
    frame_ = cells;
    catchUpWithSignals();
    if (syncSize()) clearok(curscr, TRUE);
    show();
}

void TerminalConsole::repaint() {
    clearok(curscr, TRUE);
    show();
}

// Put what the player should see now into curses and send the difference,
// in one write.
void TerminalConsole::show() {
    bool notice = tooSmall();
    if (notice != showingNotice_ || LINES != shownLines_ || COLS != shownCols_) {
        werase(stdscr);
        forgetRows(0, kConsoleHeight - 1);
    }
    showingNotice_ = notice;
    shownLines_ = LINES;
    shownCols_ = COLS;
    writer_->begin();
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
    writer_->end();
}

// Only cells that differ from what curses already holds are handed over;
// curses then works out what the terminal needs.
void TerminalConsole::drawFrame() {
    for (std::size_t i = 0; i < frame_.size(); ++i) {
        const Cell& cell = frame_[i];
        if (cell == inCurses_[i]) continue;
        styles_.put(static_cast<int>(i) / kConsoleWidth, static_cast<int>(i) % kConsoleWidth, cell.ch,
                    static_cast<unsigned char>(cell.attr & 0xFF));
        inCurses_[i] = cell;
    }
}

// Mark rows as holding something else than the frame (the typed line, the
// notice, a cleared screen) so the next frame draws them again.
void TerminalConsole::forgetRows(int firstRow, int lastRow) {
    for (int i = firstRow * kConsoleWidth; i < (lastRow + 1) * kConsoleWidth; ++i) inCurses_[i].attr = kNotDrawn;
}

void TerminalConsole::drawNotice() {
    int width = std::max(1, COLS - 2);
    std::vector<std::string> lines = wrapWords(kTooSmallNotice, static_cast<std::size_t>(width));
    int top = std::max(0, (LINES - static_cast<int>(lines.size())) / 2);
    for (std::size_t i = 0; i < lines.size() && top + static_cast<int>(i) < LINES; ++i) {
        int left = std::max(0, (COLS - static_cast<int>(lines[i].size())) / 2);
        for (std::size_t j = 0; j < lines[i].size(); ++j)
            styles_.put(top + static_cast<int>(i), left + static_cast<int>(j), static_cast<unsigned char>(lines[i][j]),
                        kInputAttr);
    }
    wmove(stdscr, std::max(0, LINES - 1), 0);
}

// The typed line on the input row, scrolled sideways to keep the cursor in
// view when it is longer than the screen is wide.
void TerminalConsole::drawInputRow() {
    const std::size_t width = kConsoleWidth;
    const std::size_t scroll = editor_.scrollFor(width);
    const std::wstring& text = editor_.text();
    for (std::size_t col = 0; col < width; ++col) {
        std::size_t index = scroll + col;
        wchar_t ch = index < text.size() ? text[index] : L' ';
        if (wcwidth(ch) != 1) ch = L'?';  // keep one typed character per cell
        styles_.putGlyph(kInputRow, static_cast<int>(col), ch, kInputAttr);
    }
    forgetRows(kInputRow, kInputRow);
    wmove(stdscr, kInputRow, static_cast<int>(editor_.cursor() - scroll));
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
    return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
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

void TerminalConsole::writeRaw(std::string_view bytes) const { terminal_guard::writeAll(outFd_, bytes); }

}  // namespace orv
