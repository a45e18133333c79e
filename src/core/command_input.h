// The single keyboard reader: one typed line per pass of the main loop, and
// a non-blocking "was a key pressed?" for animations that wait for a key.
#pragma once

#include <string>

namespace orv {

class Console;

class CommandInput {
public:
    explicit CommandInput(Console& console) : console_(console) {}

    // Blocks until a line is typed. Returns false at end of input, with the
    // line left empty, so the game can end instead of spinning on nothing.
    bool readLine(std::string& line);

    // True if any key event (down or up) is pending. With `consume` the
    // pending keys are taken out so they do not reach the next typed line.
    bool keyPressed(bool consume);

    bool endOfInput() const { return endOfInput_; }

private:
    static constexpr std::size_t kPeekRecords = 128;
    Console& console_;
    bool endOfInput_ = false;
};

}  // namespace orv
