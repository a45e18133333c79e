// A one-time lesson laid over a screen the first time the player reaches it:
// a picture (or the real screen), the menu the player would see there, a
// narrated explanation and the command the player types to go on.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/state.h"
#include "data/player.h"

namespace orv {

// The lessons are numbered as the player's hints (HintIntro to HintBattle).
constexpr int kLessonCount = HintBattle + 1;
const char* lessonName(int lesson);
// The longest lesson line the reader keeps; the rest of a longer one is
// passed over. A message shows at most 1 519 cells (19 rows of 80, the last
// leaving room for its line break), so even a text coloured letter by
// letter fits in a line of this length.
constexpr std::size_t kLongestLessonLine = 4095;
// "tutorial\" + name + ".txt"; empty for a number that is no lesson.
std::string lessonFile(int lesson);

class Tutorial : public State {
public:
    Tutorial(State* parent, int lesson);
    void Draw() override;
    void Update(const std::string& command) override;

    int step() const { return step_; }
    int stepCount() const { return stepCount_; }
    int lesson() const { return lesson_; }
    const std::string& expectedAnswer() const { return expected_; }

    // Opens lesson `lesson` over `opener` if the player has not met it yet
    // in this game; true when it opened.
    static bool offer(State* opener, int lesson);

private:
    // One block of a step; `readable` is false when the file ended first.
    struct Block {
        std::string text;
        bool readable = false;
    };
    void seekStep(int step);
    Block readTextBlock();
    bool atEnd() const { return next_ >= lines_.size(); }
    void handBack();

    int lesson_;
    int step_ = 1;
    int stepCount_ = 0;
    std::vector<std::string> lines_;
    std::size_t next_ = 0;       // the next line of the file to read
    std::size_t stepStart_ = 0;  // the line after the current step's marker
    std::string expected_;
    // A lesson opens with its first explanation told, like every step after
    // a right answer; wrong answers show the step again in silence.
    bool answered_ = true;
    std::deque<std::string> openerMessages_;
};

}  // namespace orv
