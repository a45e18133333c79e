// Reading the terminal's answers out of its input.
#include "platform/terminal_query.h"

namespace orv {
namespace {

constexpr std::size_t kLongestAnswer = 64;

bool isFinalByte(unsigned char byte) { return byte >= 0x40 && byte <= 0x7E; }

}  // namespace

void TerminalQuery::feed(std::string_view bytes, std::string& typed) {
    for (char byte : bytes) take(static_cast<unsigned char>(byte), typed);
}

void TerminalQuery::giveUp(std::string& typed) {
    typed += partial_;
    partial_.clear();
}

// Answers all begin "ESC [ ?", which no key sends; anything else is a key.
void TerminalQuery::take(unsigned char byte, std::string& typed) {
    const std::string_view answerStart = "\x1b[?";
    if (partial_.size() < answerStart.size()) {
        if (byte == answerStart[partial_.size()]) {
            partial_ += static_cast<char>(byte);
            return;
        }
        typed += partial_;
        partial_.clear();
        if (byte == 0x1b) partial_ += static_cast<char>(byte);
        else typed += static_cast<char>(byte);
        return;
    }
    partial_ += static_cast<char>(byte);
    if (isFinalByte(byte)) {
        readAnswer(partial_.substr(answerStart.size(), partial_.size() - answerStart.size() - 1),
                   static_cast<char>(byte));
        partial_.clear();
    } else if (partial_.size() > kLongestAnswer) {
        partial_.clear();  // noise, not an answer and not a key
    }
}

// "? flags u": the keyboard protocol; "? 2026 ; N $ y": the mode's state,
// 1 (set) or 2 (reset) when the terminal knows it; "? ... c": the end.
void TerminalQuery::readAnswer(const std::string& params, char final) {
    if (final == 'u') kittyKeys_ = true;
    if (final == 'y' && (params == "2026;1$" || params == "2026;2$")) synchronizedOutput_ = true;
    if (final == 'c') answered_ = true;
}

}  // namespace orv
