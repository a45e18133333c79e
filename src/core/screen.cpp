// Composition of the 80 x 53 frame and the screen's animations.
#include "core/screen.h"

#include <algorithm>
#include <cstring>

#include "core/colors.h"
#include "core/command_input.h"
#include "core/paths.h"
#include "core/text.h"

namespace orv {

const char* const kDisplayTooSmallMessage =
    "YOUR DISPLAY IS NOT LARGE ENOUGH TO PRINT THE GAME WINDOW. TO FIX THIS PROBLEM, "
    "INCREASE YOUR SCREEN RESOLUTION OR CHANGE THE FONT SIZE OF YOUR CONSOLE BY CLICKING "
    "THE UPPER LEFT CORNER, AND SELECTING 'PROPERTIES'. PRESS ENTER TO RELOAD THIS WINDOW";

namespace {

constexpr std::size_t kWrapColumn = 78;
constexpr int kOptionWidth = 24;
const std::string kRule(80, '=');

bool isVisible(unsigned char c) { return c >= 32 && c <= 127; }

// Bytes that take a cell when drawn: everything but newline and colour codes.
bool takesCell(unsigned char c) { return c != '\n' && !isColorCode(c); }

std::string padTo(std::string text, std::size_t width) {
    while (displayLength(text) < width) text += ' ';
    return text;
}

// The word wrap of messages as one walk along the text, so a message of any
// length wraps in time proportional to it. A line breaks once it holds 78
// counted characters: at its last space, which becomes the line break, or,
// for a word longer than the row, just before the character that overflows.
// The walk also keeps the rows the wrapped text takes in the message area,
// so the typewriter knows at once when what it types no longer fits.
class MessageWrap {
public:
    explicit MessageWrap(std::size_t expectedSize) {
        text_.reserve(expectedSize + expectedSize / kWrapColumn + 1);
    }

    void add(char c) {
        const auto byte = static_cast<unsigned char>(c);
        text_ += c;
        if (byte == '\n') {
            endLine(cellsInLine_);
            cellsInLine_ = counted_ = 0;
            lastSpace_ = kNoSpace;
            return;
        }
        if (takesCell(byte)) {
            ++cellsInLine_;
            ++cellsAfterSpace_;
        }
        if (isVisible(byte)) {
            ++counted_;
            ++countedAfterSpace_;
        }
        if (byte == ' ') {
            lastSpace_ = text_.size() - 1;
            countedAfterSpace_ = cellsAfterSpace_ = 0;
        }
        if (counted_ <= kWrapColumn) return;
        if (lastSpace_ != kNoSpace) {
            // What followed the space starts the next line.
            text_[lastSpace_] = '\n';
            endLine(cellsInLine_ - cellsAfterSpace_ - 1);
            cellsInLine_ = cellsAfterSpace_;
            counted_ = countedAfterSpace_;
            lastSpace_ = kNoSpace;
        } else {
            text_.back() = '\n';
            text_ += c;
            endLine(cellsInLine_ - 1);
            cellsInLine_ = counted_ = 1;
        }
    }

    const std::string& text() const { return text_; }
    std::string take() { return std::move(text_); }
    // The rows of the wrapped text with the line break every message ends with.
    std::size_t rows() const { return rowsBefore_ + cellsInLine_ / kRowWidth + 1; }

private:
    static constexpr std::size_t kNoSpace = std::string::npos;
    static constexpr std::size_t kRowWidth = kConsoleWidth;

    // A line of `cells` cells and its line break, counted as rowsOf counts them.
    void endLine(std::size_t cells) { rowsBefore_ += cells / kRowWidth + 1; }

    std::string text_;
    std::size_t counted_ = 0;  // counted characters on the current line
    std::size_t cellsInLine_ = 0;
    std::size_t lastSpace_ = kNoSpace;  // the current line's last space
    std::size_t countedAfterSpace_ = 0;
    std::size_t cellsAfterSpace_ = 0;
    std::size_t rowsBefore_ = 0;  // the rows of the lines already ended
};

// How much of `text`, from its start, shows as a message of its own.
std::size_t longestShownPrefix(const std::string& text) {
    MessageWrap wrap(0);
    for (std::size_t length = 0; length < text.size(); ++length) {
        wrap.add(text[length]);
        if (wrap.rows() + 1 > std::size_t(kMessageRows)) return length;
    }
    return text.size();
}

}  // namespace

Screen::Screen(Console& console, CommandInput& input) : console_(console), input_(input) {}

void Screen::clearFrame() {
    artLines_.clear();
    menuOptions_.clear();
}

void Screen::clearMessages() { messages_.clear(); }

std::string Screen::wrapMessage(const std::string& text) {
    MessageWrap wrap(text.size());
    for (const char c : text) wrap.add(c);
    return wrap.take();
}

std::size_t Screen::messageRows(const std::string& text) {
    MessageWrap wrap(0);
    for (const char c : text) wrap.add(c);
    return wrap.rows() + 1;
}

void Screen::addMessage(const std::string& text) { addWrappedMessage(wrapMessage(text)); }

void Screen::addWrappedMessage(std::string wrapped) {
    messages_.push_front(std::move(wrapped) + "\n");
    if (messages_.size() > kMaxMessages) messages_.pop_back();
}

void Screen::addArtLine(const std::string& text) {
    artLines_.push_back(displayLength(text) < 80 ? text + "\n" : text);
    if (artLines_.size() > kMaxArtLines) artLines_.pop_back();
}

void Screen::loadArt(const std::string& fileName, bool cut) {
    const std::string path = "art\\" + fileName;
    std::ifstream file = openDataFile(path, std::ios::in | std::ios::binary);
    if (!file) {
        addArtLine("Unable to open file \"" + path + "\".");
        if (!staysInContent(path)) addArtLine(kOutsideContentNote);
        return;
    }
    if (cut) sideTextCursor_ = 0;
    constexpr std::size_t kLineBuffer = 120;
    char buffer[kLineBuffer];
    while (file.getline(buffer, kLineBuffer) || file.gcount() > 0) {
        const bool lineTooLong = file.fail() && !file.eof();
        std::string line(buffer);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) break;
        if (cut) {
            std::size_t counted = 0;
            for (std::size_t i = 0; i < line.size(); ++i) {
                if (isVisible(static_cast<unsigned char>(line[i])) && ++counted == 69) {
                    line.resize(i);
                    break;
                }
            }
        }
        addArtLine(line);
        if (lineTooLong || file.eof()) break;  // a cut-off line ends the picture
    }
}

void Screen::addSideText(const std::string& text) {
    const std::size_t at = static_cast<std::size_t>(std::max(0, sideTextCursor_));
    sideTextCursor_ += 2;
    if (at >= artLines_.size()) return;  // a picture too short for the panel
    std::string& line = artLines_[at];
    if (!line.empty() && line.back() == '\n') line.pop_back();
    line += text + colorWhite;
    // Counted as drawn, glyphs included, like the rows of the frame.
    const std::size_t drawn = std::count_if(line.begin(), line.end(), [](char c) {
        return takesCell(static_cast<unsigned char>(c));
    });
    if (drawn < 80) line += '\n';
}

void Screen::addMenuOption(const std::string& text) {
    const bool hasColor = std::any_of(text.begin(), text.end(),
                                      [](char c) { return isColorCode(static_cast<unsigned char>(c)); });
    const std::size_t arrow = text.find('>');
    if (!hasColor && arrow != std::string::npos && arrow > 0) {
        menuOptions_.push_back("<" + colorGreen + text.substr(1, arrow - 1) + colorWhite +
                               text.substr(arrow));
    } else {
        menuOptions_.push_back(text);
    }
}

int Screen::rowsOf(const std::string& text) {
    int rows = 0;
    int column = 0;
    for (unsigned char c : text) {
        if (c == '\n') {
            ++rows;
            column = 0;
        } else if (takesCell(c) && ++column == 80) {
            ++rows;
            column = 0;
        }
    }
    return rows;
}

std::string Screen::composeFrameText() {
    std::string frame;
    setupConsole();

    int artRows = 0;
    for (const std::string& line : artLines_) {
        const int rows = rowsOf(line);
        if (artRows + rows > kArtRows) break;
        artRows += rows;
        frame += line;
    }
    frame.append(kArtRows - artRows, '\n');
    frame += kRule;

    std::string messageText;
    int messageRows = 0;
    for (const std::string& message : messages_) {
        const int rows = rowsOf(message) + 1;
        if (messageRows + rows > kMessageRows) break;
        messageRows += rows;
        messageText = message + "\n" + messageText;
    }
    frame.append(kMessageRows - messageRows, '\n');
    frame += messageText;
    frame += kRule;

    for (std::size_t row = 0; row < 5; ++row) {
        for (std::size_t column = 0; column < 3; ++column) {
            const std::size_t index = column * 5 + row;
            frame += padTo(index < menuOptions_.size() ? menuOptions_[index] : "", kOptionWidth);
        }
        frame += '\n';
    }
    frame += kRule;
    return frame;
}

void Screen::textToCells(const std::string& frameText, Cells& out) {
    out.fill(Cell{});
    int row = 0, column = 0;
    std::uint16_t attribute = kDefaultAttribute;
    for (unsigned char c : frameText) {
        if (isColorCode(c)) {
            attribute = colorCodeAttribute(c);
        } else if (c == '\n') {
            column = 0;
            ++row;
        } else {
            if (row < kConsoleHeight) out[row * kConsoleWidth + column] = Cell{c, attribute};
            if (++column == kConsoleWidth) {
                column = 0;
                ++row;
            }
        }
    }
}

void Screen::composeInto(Cells& out) { textToCells(composeFrameText(), out); }

void Screen::setupConsole() {
    console_.setTitle("Orvantis");
    // The notice tells how the window is now, so it stands in the log once
    // while the window is too small and leaves it as soon as the game fits.
    // A console that covers the window with the notice itself shows the
    // frame again when it fits, so the frame must not carry a copy.
    std::erase(messages_, wrapMessage(kDisplayTooSmallMessage) + "\n");
    if (console_.drawsOwnSizeNotice()) return;
    if (console_.largestHeight() < kConsoleHeight) addMessage(kDisplayTooSmallMessage);
}

void Screen::addMessageOnce(const std::string& text) {
    if (messages_.empty() || messages_.front() != wrapMessage(text) + "\n") addMessage(text);
}

void Screen::render() {
    if (quiet_) {
        transitionPending_ = false;
        return;
    }
    Cells frame;
    composeInto(frame);
    console_.writeFrame(frame);
    if (transitionPending_) {
        transitionPending_ = false;
        curtainTransition(curtainForeground_, curtainBackground_);
    }
}

std::unique_ptr<Cells> Screen::snapshot() {
    auto frame = std::make_unique<Cells>();
    composeInto(*frame);
    return frame;
}

void Screen::setCell(unsigned char character, int x, int y, int foreground, int background,
                     bool dimForeground, bool dimBackground) {
    if (x < 0 || x >= kConsoleWidth || y < 0 || y >= kConsoleHeight) return;
    int attribute = foreground | background;
    if (!dimForeground) attribute += 8;
    if (!dimBackground) attribute += 128;
    cells_[y * kConsoleWidth + x] = Cell{character, static_cast<std::uint16_t>(attribute)};
}

void Screen::clearCells() { cells_.fill(Cell{}); }
void Screen::saveConsole() { savedCells_ = console_.readBack(); }
void Screen::restoreCells() { cells_ = savedCells_; }
void Screen::writeCells() {
    if (!quiet_) console_.writeFrame(cells_);
}

void Screen::splitTransition(const Cells& oldCells, const Cells& newCells) {
    if (quiet_) return;
    constexpr int centre = 40;
    Cells frame = oldCells;
    auto at = [](int x, int y) { return y * kConsoleWidth + x; };
    for (int step = 0; step <= 38; ++step) {
        for (int y = 0; y < kConsoleHeight; ++y) {
            frame[at(centre - step, y)] = newCells[at(centre - step, y)];
            frame[at(centre + step, y)] = newCells[at(centre + step, y)];
            for (int k = step + 1; k <= 40; ++k)
                frame[at(centre - k, y)] = oldCells[at(centre - k + step, y)];
            for (int k = step + 1; k <= 39; ++k)
                frame[at(centre + k, y)] = oldCells[at(centre + k - step, y)];
        }
        console_.writeFrame(frame);
        console_.sleepMs(50);
    }
}

void Screen::curtainSweep(int attribute, bool falling, int delayMs) {
    if (quiet_) return;
    auto drawDownTo = [&](int lastRow) {
        cells_ = savedCells_;
        for (int y = 0; y <= lastRow && y < kConsoleHeight; ++y)
            for (int x = 0; x < kConsoleWidth; ++x)
                cells_[y * kConsoleWidth + x] = Cell{'#', static_cast<std::uint16_t>(attribute)};
        writeCells();
        console_.sleepMs(delayMs);
    };
    if (falling) {
        for (int n = 0; n < kConsoleHeight; ++n) drawDownTo(n);
    } else {
        for (int n = kConsoleHeight; n >= 0; --n) drawDownTo(n);
    }
}

void Screen::curtainTransition(int foreground, int background) {
    if (transitionPending_) {
        saveConsole();
        artLines_.clear();
        menuOptions_.clear();
        messages_.clear();
        curtainSweep(foreground | background, true);
        curtainForeground_ = foreground;
        curtainBackground_ = background;
    } else {
        saveConsole();
        curtainSweep(foreground | background, false);
        render();
    }
}

void Screen::narrate(const std::string& text, int charDelayMs, double waitFactor) {
    if (quiet_) {
        const std::size_t fits = longestShownPrefix(text);
        clearMessages();
        addMessage(fits < text.size() ? text.substr(0, fits) + colorWhite : text);
        return;
    }
    console_.sleepMs(150);
    console_.flushInput();
    auto waitForKeyOr = [&](double limitMs) {
        const std::uint64_t start = console_.nowMs();
        while (!input_.keyPressed(false) && double(console_.nowMs() - start) <= limitMs)
            console_.sleepMs(10);
    };
    // A text too long for the message area could never be seen whole: it is
    // told as far as it fits, and the typing ends there (in white again, as
    // a coloured text would have ended).
    const std::size_t fits = longestShownPrefix(text);
    const std::string told = fits < text.size() ? text.substr(0, fits) + colorWhite : text;
    // The typed part is wrapped as it grows, a character at a time, rather
    // than wrapped anew for every character.
    MessageWrap typed(told.size());
    for (std::size_t shown = 1; shown <= told.size(); ++shown) {
        typed.add(told[shown - 1]);
        clearMessages();
        addWrappedMessage(typed.text() + colorWhite);
        render();
        console_.sleepMs(charDelayMs);
        if (input_.keyPressed(true)) {
            clearMessages();
            addMessage(told);
            render();
            console_.sleepMs(100);
            console_.flushInput();
            waitForKeyOr(double(told.size() - shown) * waitFactor);
            console_.sleepMs(200);
            console_.flushInput();
            return;
        }
    }
    console_.sleepMs(100);
    console_.flushInput();
    waitForKeyOr(4.0 * double(told.size()) * waitFactor);
    // A space or Enter that ended the wait only meant "go on"; kept, it would
    // start the next command (" 0" matches nothing). Any other key is the
    // start of that command and stays.
    const std::vector<KeyEvent> ending = console_.peekKeys(1);
    if (!ending.empty() && (ending[0].key == KeySpace || ending[0].key == KeyEnter)) console_.consumeKeys(1);
    console_.sleepMs(200);
}

}  // namespace orv
