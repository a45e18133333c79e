// Scripted console for tests, replays and `--headless`.
#include "platform/headless_console.h"

#include <algorithm>
#include <cstdlib>
#include <istream>
#include <sstream>

#include "platform/cp437.h"

namespace orv {

namespace {

bool parseKeyName(const std::string& name, int& key) {
    if (name == "space") key = KeySpace;
    else if (name == "escape" || name == "esc") key = KeyEscape;
    else if (name == "enter") key = KeyEnter;
    else if (name == "up") key = KeyUp;
    else if (name == "down") key = KeyDown;
    else if (name == "left") key = KeyLeft;
    else if (name == "right") key = KeyRight;
    else if (name.size() == 1) key = static_cast<unsigned char>(name[0]);
    else return false;
    return true;
}

bool isTypable(int key) { return key >= 32 && key < 127; }

}  // namespace

void HeadlessConsole::addScriptLine(const std::string& scriptLine) {
    // The space shooter's keys: "#down NAME" and "#up NAME" at once after
    // the input before them, "#wait N" puts N frames (10 ms each) between.
    if (scriptLine.rfind("#wait ", 0) == 0) {
        carriedDelayMs_ += std::clamp(std::atoi(scriptLine.c_str() + 6), 0, 1000000) * 10;
        return;
    }
    for (const std::string prefix : {"#down ", "#up "}) {
        if (scriptLine.rfind(prefix, 0) != 0) continue;
        int key = 0;
        std::istringstream words(scriptLine.substr(prefix.size()));
        std::string name;
        words >> name;
        if (parseKeyName(name, key)) {
            addKey(key, prefix == "#down ", carriedDelayMs_);
            carriedDelayMs_ = 0;
            return;
        }
    }
    for (const std::string prefix : {"#key ", "#keyup "}) {
        if (scriptLine.rfind(prefix, 0) != 0) continue;
        std::istringstream words(scriptLine.substr(prefix.size()));
        std::string name;
        int delay = kDefaultKeyDelayMs;
        int key = 0;
        words >> name;
        if (!(words >> delay)) delay = kDefaultKeyDelayMs;
        if (parseKeyName(name, key)) {
            addKey(key, prefix == "#key ", std::max(0, delay));
            return;
        }
    }
    addLine(scriptLine);
}

void HeadlessConsole::addLine(const std::string& line) {
    Input input;
    input.line = line;
    script_.push_back(input);
}

void HeadlessConsole::addKey(int key, bool down, int delayMs) {
    Input input;
    input.isKey = true;
    input.key = {key, down};
    input.delayMs = delayMs;
    script_.push_back(input);
}

bool HeadlessConsole::keyArrived(const Input& input) const {
    return input.isKey && clock_ >= frontSince_ + static_cast<std::uint64_t>(input.delayMs);
}

void HeadlessConsole::takeFront() {
    script_.pop_front();
    frontSince_ = clock_;
}

void HeadlessConsole::loadScript(std::istream& in) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        addScriptLine(line);
    }
}

void HeadlessConsole::printFramesTo(std::ostream* out, FrameOutput mode) {
    frameOut_ = out;
    frameMode_ = mode;
}

void HeadlessConsole::writeFrame(const Cells& cells) {
    current_ = cells;
    ++framesWritten_;
    if (frameOut_ && frameMode_ == FrameOutput::Every) *frameOut_ << cellsToText(current_);
}

bool HeadlessConsole::readLine(std::string& line) {
    // Keys nobody consumed become the start of the line, as at a terminal.
    // Waiting for the line lets scripted keys arrive; nobody consumed them,
    // so the typable ones become the start of the line.
    std::string typedAhead;
    while (!script_.empty() && script_.front().isKey) {
        const Input& front = script_.front();
        clock_ = std::max(clock_, frontSince_ + static_cast<std::uint64_t>(front.delayMs));
        if (front.key.down && isTypable(front.key.key)) typedAhead += static_cast<char>(front.key.key);
        takeFront();
    }
    const bool ended = script_.empty();
    line = ended ? typedAhead : typedAhead + script_.front().line;
    if (frameOut_ && frameMode_ == FrameOutput::PerTypedLine)
        *frameOut_ << cellsToText(current_, ended ? "" : line);
    if (ended) return false;
    takeFront();
    ++linesRead_;
    return true;
}

std::vector<KeyEvent> HeadlessConsole::peekKeys(std::size_t max) {
    if (heldKeyMode_ && pilot_ && pilotFrame_ != framesWritten_) {
        pilotFrame_ = framesWritten_;
        for (const KeyEvent& key : pilot_(current_)) pilotKeys_.push_back(key);
    }
    std::vector<KeyEvent> keys(pilotKeys_.begin(), pilotKeys_.begin() + static_cast<long>(std::min(max, pilotKeys_.size())));
    // Keys arrive one after another: only the first can have arrived
    // before the ones behind it start their own delay, and those that
    // follow it with no delay of their own arrive with it.
    bool first = true;
    for (const Input& input : script_) {
        if (keys.size() >= max || !input.isKey) break;
        if (first ? !keyArrived(input) : input.delayMs != 0) break;
        keys.push_back(input.key);
        first = false;
    }
    // A replay whose keys and lines are all used up has no one left at the
    // controls: once its last wait has passed, it lets go of the mission as
    // a player's Escape would, instead of flying on unattended for ever.
    if (inputEnded() && keys.size() < max) keys.push_back({KeyEscape, true});
    return keys;
}

bool HeadlessConsole::inputEnded() const {
    return heldKeyMode_ && !pilot_ && script_.empty() &&
           clock_ >= frontSince_ + static_cast<std::uint64_t>(carriedDelayMs_);
}

void HeadlessConsole::consumeKeys(std::size_t count) {
    count = std::min(count, peekKeys(count).size());
    for (; count > 0 && !pilotKeys_.empty(); --count) pilotKeys_.pop_front();
    for (; count > 0 && !script_.empty(); --count) takeFront();
}

void HeadlessConsole::flushInput() {
    // Only keys already pressed go; scripted lines and later keys stay.
    pilotKeys_.clear();
    consumeKeys(script_.size());
}

void HeadlessConsole::sleepMs(int ms) {
    if (ms > 0) clock_ += static_cast<std::uint64_t>(ms);
}

std::string HeadlessConsole::cellsToText(const Cells& cells, const std::string& inputRow) {
    std::string text;
    for (int y = 0; y < kConsoleHeight; ++y) {
        std::string row;
        if (y == kInputRow && !inputRow.empty()) {
            row = inputRow;
        } else {
            for (int x = 0; x < kConsoleWidth; ++x) {
                unsigned char ch = cells[y * kConsoleWidth + x].ch;
                appendUtf8(row, ch < 32 ? U' ' : cp437ToUnicode(ch));
            }
            while (!row.empty() && row.back() == ' ') row.pop_back();
        }
        text += row;
        text += '\n';
    }
    return text;
}

std::string HeadlessConsole::frameText() const { return cellsToText(current_); }

std::string HeadlessConsole::rowText(int row) const {
    std::string text = frameText();
    std::size_t start = 0;
    for (int i = 0; i < row; ++i) start = text.find('\n', start) + 1;
    return text.substr(start, text.find('\n', start) - start);
}

std::uint16_t HeadlessConsole::attributeAt(int x, int y) const {
    return current_[y * kConsoleWidth + x].attr;
}

}  // namespace orv
