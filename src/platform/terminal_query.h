// The one question the console asks the terminal when it starts: does it
// speak the kitty keyboard protocol (held keys with real releases), and
// does it draw synchronized output (DEC mode 2026, whole frames at once)?
// The device-attributes request goes last: every terminal answers it, so
// its reply means no other answer is coming. Keys typed meanwhile are kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orv {

class TerminalQuery {
public:
    static constexpr std::string_view kQuestion = "\x1b[?u\x1b[?2026$p\x1b[c";

    // Take the terminal's bytes: answers are read, every other byte (keys
    // typed meanwhile) is appended to `typed`.
    void feed(std::string_view bytes, std::string& typed);
    // Time is up: whatever was held back as a possible answer was typed.
    void giveUp(std::string& typed);

    bool answered() const { return answered_; }
    bool kittyKeys() const { return kittyKeys_; }
    bool synchronizedOutput() const { return synchronizedOutput_; }

private:
    void take(unsigned char byte, std::string& typed);
    void readAnswer(const std::string& params, char final);

    std::string partial_;
    bool answered_ = false;
    bool kittyKeys_ = false;
    bool synchronizedOutput_ = false;
};

}  // namespace orv
