// Line and key reading through the console.
#include "core/command_input.h"

#include "platform/console.h"
#include "platform/cp437.h"

namespace orv {

bool CommandInput::readLine(std::string& line) {
    line.clear();
    if (endOfInput_) return false;
    if (!console_.readLine(line)) {
        line.clear();
        endOfInput_ = true;
        return false;
    }
    // Terminals (and input files) speak UTF-8; the game's text is code
    // page 437, one byte per letter, so "Zoë" is three letters on screen.
    line = typedToCp437(line);
    return true;
}

bool CommandInput::keyPressed(bool consume) {
    if (console_.peekKeys(kPeekRecords).empty()) return false;
    if (consume) {
        console_.consumeKeys(kPeekRecords);
        console_.flushInput();
    }
    return true;
}

}  // namespace orv
