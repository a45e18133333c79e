// Turns the bytes a terminal sends while the space shooter runs into key
// events: the kitty keyboard protocol's press, repeat and release reports,
// the plain keys and arrow sequences of every other terminal, and the
// replies to the protocol query. A sequence split across reads is kept
// until its end arrives.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orv {

struct StreamKey {
    enum Type { Press = 1, Repeat = 2, Release = 3 };
    // Not keys: the terminal's answers to the protocol query.
    static constexpr int kFlagsReply = -1;       // "ESC [ ? flags u": it speaks the protocol
    static constexpr int kAttributesReply = -2;  // "ESC [ ? ... c": it has answered everything

    int key = 0;     // a console Key (KeyUp, KeySpace, 'a', ...)
    int type = Press;
    int modifiers = 0;  // shift 1, alt 2, ctrl 4
    bool operator==(const StreamKey&) const = default;
};

class KeyStream {
public:
    // Decode `bytes`, appending complete keys to `out`.
    void feed(const char* bytes, std::size_t length, std::vector<StreamKey>& out);
    // Nothing more came after a lone ESC: it was the Escape key.
    void endOfBurst(std::vector<StreamKey>& out);
    bool holdsPartial() const { return !partial_.empty(); }

private:
    void decodeCsi(const std::string& params, char final, std::vector<StreamKey>& out);
    std::string partial_;
    bool discarding_ = false;
};

}  // namespace orv
