// Typed lines and key polling on the terminal: curses reads the keys, the
// line editor shapes the line on the input row.
#include "platform/terminal_console.h"

#include "platform/terminal_guard.h"

#include <curses.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cwchar>

namespace orv {
namespace {

constexpr std::size_t kMaxPendingKeys = 1024;
// How long the terminal may take to answer the start-up question.
constexpr std::uint64_t kAnswerMs = 500;

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

}  // namespace

// Before curses reads the first key: take the terminal's answers out of its
// input, and hand whatever was typed meanwhile back to curses.
void TerminalConsole::awaitAnswers() {
    if (!asked_ || awaited_) return;
    awaited_ = true;
    std::string typed;
    char buffer[256];
    while (!query_.answered()) {
        const std::uint64_t now = nowMs();
        if (now >= askedAt_ + kAnswerMs) break;
        const int wait = static_cast<int>(std::min<std::uint64_t>(askedAt_ + kAnswerMs - now, 50));
        if (std::size_t n = readRawBytes(buffer, sizeof buffer, wait)) query_.feed({buffer, n}, typed);
    }
    query_.giveUp(typed);
    writer_->setSynchronized(query_.synchronizedOutput());
    for (auto byte = typed.rbegin(); byte != typed.rend(); ++byte) ungetch(static_cast<unsigned char>(*byte));
}

// The next key typed, waiting for it; a stop, fg or resize meanwhile
// wakes the wait so the frame is redrawn at once.
TerminalConsole::KeyWait TerminalConsole::nextTypedKey(TypedKey& key) {
    wint_t code = 0;
    wtimeout(stdscr, 0);  // first what curses already holds
    int kind = wget_wch(stdscr, &code);
    wtimeout(stdscr, -1);
    if (kind == ERR) {
        if (!terminal_guard::waitForInputOrSignal(inFd_)) return KeyWait::Signal;
        errno = 0;
        kind = wget_wch(stdscr, &code);
        if (kind == ERR) return errno == EINTR ? KeyWait::Signal : KeyWait::EndOfInput;
    }
    key = {kind, static_cast<unsigned int>(code)};
    return KeyWait::Key;
}

bool TerminalConsole::readLine(std::string& line) {
    awaitAnswers();
    editor_.start();
    editing_ = true;
    // Only keys already peeked at count here; what is still unread in the
    // terminal (an Enter typed ahead, say) goes through the editor below.
    for (const TypedKey& key : pending_)
        if (isPrintableKey(key)) editor_.apply(key);
    pending_.clear();
    show();

    bool ended = false;
    for (;;) {
        catchUpWithSignals();
        TypedKey key;
        const KeyWait got = nextTypedKey(key);
        if (got == KeyWait::EndOfInput) {
            ended = true;
            break;
        }
        if (got == KeyWait::Signal) continue;
        if (key.kind == KEY_CODE_YES && key.code == KEY_RESIZE) {
            onResize();
            continue;
        }
        if (!editor_.apply(key)) break;
        show();
    }
    editing_ = false;
    show();  // the input row goes back to the frame's own cells
    if (ended) {
        editor_.start();
        return false;
    }
    line = toMultibyte(editor_.finish());
    return true;
}

void TerminalConsole::pollInput() {
    awaitAnswers();
    catchUpWithSignals();
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

void TerminalConsole::queueKey(const TypedKey& key) {
    if (pending_.size() < kMaxPendingKeys) pending_.push_back(key);
}

KeyEvent TerminalConsole::toKeyEvent(const TypedKey& key) {
    if (isEnterKey(key)) return {KeyEnter, true};
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
    for (std::size_t i = 0; i < pending_.size() && i < max; ++i) events.push_back(toKeyEvent(pending_[i]));
    return events;
}

void TerminalConsole::consumeKeys(std::size_t count) {
    if (heldMode_) {
        heldEvents_.erase(heldEvents_.begin(), heldEvents_.begin() + static_cast<long>(std::min(count, heldEvents_.size())));
        return;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(std::min(count, pending_.size())));
}

void TerminalConsole::flushInput() {
    flushinp();
    pending_.clear();
    heldEvents_.clear();
}

}  // namespace orv
