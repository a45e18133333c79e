// The one-time lessons. A lesson file holds its step count, then each step
// after a marker line "_" + number: the picture ("~" for the real screen
// underneath, nothing for none), the options shown, the answer that moves
// on and the explanation, each block closed by a line starting with ":".
#include "world/tutorial.h"

#include <algorithm>

#include <sstream>

#include "app/game.h"
#include "core/colors.h"
#include "core/paths.h"
#include "core/text.h"

namespace orv {

namespace {

const char* const kLessonNames[kLessonCount] = {"intro", "shop", "dungeon", "sidekick", "inventory", "battle"};
const char* const kRealScreen = "~";

bool closesBlock(const std::string& line) { return !line.empty() && line[0] == ':'; }

// The number a marker line "_12" stands for; -1 for any other line.
int markerNumber(const std::string& line) {
    if (line.size() < 2 || line[0] != '_') return -1;
    int number = 0;
    for (std::size_t i = 1; i < line.size() && i < 9; ++i) {
        if (line[i] < '0' || line[i] > '9') return i == 1 ? -1 : number;
        number = number * 10 + (line[i] - '0');
    }
    return number;
}

}  // namespace

const char* lessonName(int lesson) { return lesson >= 0 && lesson < kLessonCount ? kLessonNames[lesson] : ""; }

std::string lessonFile(int lesson) {
    const std::string name = lessonName(lesson);
    return name.empty() ? "" : "tutorial\\" + name + ".txt";
}

Tutorial::Tutorial(State* parent, int lesson)
    : State(parent), lesson_(lesson), openerMessages_(game().screen.messages()) {
    std::ifstream file = openDataFile(lessonFile(lesson), std::ios::in | std::ios::binary);
    std::string line;
    while (readBoundedLine(file, line, kLongestLessonLine)) lines_.push_back(line);
    // A file that cannot be read has no steps: any line closes it.
    // A step count no lesson could have (huge, negative, not a number) is
    // held to what the file's own lines could hold.
    if (!lines_.empty()) {
        const float count = toNumber(lines_[0]);
        stepCount_ = count == count ? static_cast<int>(std::clamp(count, 0.0f, float(lines_.size()))) : 0;
    }
    seekStep(1);
}

bool Tutorial::offer(State* opener, int lesson) {
    if (!game().player.takeTutorial(lesson)) return false;
    opener->setSubState(new Tutorial(opener, lesson));
    return true;
}

// Finds the step by its marker; a step the file does not hold reads as the
// end of the file, so it shows its error rather than searching for ever.
void Tutorial::seekStep(int step) {
    next_ = lines_.size();
    for (std::size_t i = 1; i < lines_.size(); ++i) {
        if (markerNumber(lines_[i]) == step) {
            next_ = i + 1;
            break;
        }
    }
    stepStart_ = next_;
    // The answer is known before the step is drawn, so a line typed at once
    // is judged against it.
    if (!atEnd()) ++next_;  // the picture line
    while (!atEnd() && !closesBlock(lines_[next_])) ++next_;
    if (!atEnd()) ++next_;
    expected_ = readTextBlock().text;
}

Tutorial::Block Tutorial::readTextBlock() {
    Block block;
    while (!atEnd()) {
        const std::string& line = lines_[next_++];
        if (closesBlock(line)) {
            block.readable = true;
            return block;
        }
        block.text += line.empty() ? "\n\n" : line;
    }
    return block;
}

void Tutorial::Draw() {
    Screen& screen = game().screen;
    next_ = stepStart_;
    const std::string picture = atEnd() ? "" : lines_[next_++];
    const bool realScreen = picture == kRealScreen;
    if (realScreen) {
        if (parent()) parent()->Draw();
    } else if (!picture.empty()) {
        screen.loadArt("tutorial\\" + picture, false);
    }
    while (!atEnd()) {
        const std::string& line = lines_[next_++];
        if (closesBlock(line)) break;
        screen.addMenuOption(line);
    }
    if (!readTextBlock().readable) screen.addArtLine("Error Reading File!");
    if (!realScreen) {
        screen.addMenuOption("<+> Repeat");
        screen.addMenuOption("<0> Skip Tutorial");
    }
    if (answered_) {
        // Told once: the explanation then stays in the message log.
        answered_ = false;
        const Block explanation = readTextBlock();
        if (!explanation.readable) screen.addArtLine("Error Reading File!");
        else screen.narrate(colorYellow + explanation.text + colorWhite, 30, 1.0);
    }
    // A lesson whose last step shows the real screen hands it back by itself.
    if (realScreen && step_ >= stepCount_) handBack();
}

void Tutorial::Update(const std::string& command) {
    if (command == "0" || step_ >= stepCount_) {
        handBack();
        return;
    }
    // Like any line, "+" counts as an answer first: it goes back a step in
    // silence, and only a step that takes any line at all is told again.
    answered_ = expected_.empty() || command == expected_;
    if (command == "+") {
        if (step_ >= 2) --step_;
        seekStep(step_);
    } else if (!answered_) {
        game().screen.addMessage("Let's try that again...");
        seekStep(step_);
    } else {
        ++step_;
        seekStep(step_);
    }
}

// The lesson only lent the screen: its opener gets back the messages it had
// when the lesson came (a dungeon's first room, a shop's welcome).
void Tutorial::handBack() {
    Screen& screen = game().screen;
    screen.clearMessages();
    for (auto message = openerMessages_.rbegin(); message != openerMessages_.rend(); ++message)
        screen.addMessage(message->substr(0, message->size() - 1));  // each was kept with its line break
    closeState();
}

}  // namespace orv
