// Decoding the shooter's key bytes.
#include "platform/key_stream.h"

#include <cstdlib>

#include "platform/console.h"

namespace orv {

namespace {

constexpr std::size_t kLongestSequence = 64;  // longer "sequences" are noise

int plainKey(unsigned char byte) {
    if (byte == '\r' || byte == '\n') return KeyEnter;
    if (byte == 127 || byte == 8) return 8;
    if (byte >= 'A' && byte <= 'Z') return byte - 'A' + 'a';
    if (byte >= 32 && byte < 127) return byte;
    if (byte == 27) return KeyEscape;
    return KeyOther;
}

int arrowKey(char final) {
    switch (final) {
        case 'A': return KeyUp;
        case 'B': return KeyDown;
        case 'C': return KeyRight;
        case 'D': return KeyLeft;
        default: return 0;
    }
}

// "mods:event" of a parameter list's second field.
void readModifiers(const std::string& field, StreamKey& key) {
    const char* text = field.c_str();
    char* end = nullptr;
    long mods = std::strtol(text, &end, 10);
    if (end != text && mods >= 1) key.modifiers = static_cast<int>(mods - 1);
    if (end && *end == ':') {
        long event = std::strtol(end + 1, nullptr, 10);
        if (event >= StreamKey::Press && event <= StreamKey::Release) key.type = static_cast<int>(event);
    }
}

}  // namespace

void KeyStream::feed(const char* bytes, std::size_t length, std::vector<StreamKey>& out) {
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char byte = static_cast<unsigned char>(bytes[i]);
        if (discarding_) {  // the rest of an overlong sequence, up to its end
            discarding_ = !(byte >= 0x40 && byte <= 0x7E);
            continue;
        }
        if (partial_.empty()) {
            if (byte == 27) partial_ += static_cast<char>(byte);
            else if (byte < 0x80) out.push_back({plainKey(byte)});
            else if (byte >= 0xC0) out.push_back({KeyOther});  // the lead byte of a letter we have no use for
            continue;
        }
        if (partial_.size() == 1) {
            if (byte == '[' || byte == 'O') {
                partial_ += static_cast<char>(byte);
                continue;
            }
            // ESC and a key: Escape pressed, then that key (or Alt and it).
            partial_.clear();
            out.push_back({KeyEscape});
            --i;
            continue;
        }
        partial_ += static_cast<char>(byte);
        if (partial_[1] == 'O') {  // "ESC O A": arrows in application mode
            const int arrow = arrowKey(static_cast<char>(byte));
            out.push_back({arrow ? arrow : KeyOther});
            partial_.clear();
        } else if (byte >= 0x40 && byte <= 0x7E) {
            decodeCsi(partial_.substr(2, partial_.size() - 3), static_cast<char>(byte), out);
            partial_.clear();
        } else if (partial_.size() > kLongestSequence) {
            partial_.clear();
            discarding_ = true;
        }
    }
}

void KeyStream::endOfBurst(std::vector<StreamKey>& out) {
    if (partial_ == "\x1b") out.push_back({KeyEscape});
    if (partial_.size() <= 1) partial_.clear();
}

void KeyStream::decodeCsi(const std::string& params, char final, std::vector<StreamKey>& out) {
    if (!params.empty() && params[0] == '?') {
        if (final == 'u') out.push_back({StreamKey::kFlagsReply});
        else if (final == 'c') out.push_back({StreamKey::kAttributesReply});
        return;
    }
    StreamKey key;
    const std::size_t semicolon = params.find(';');
    const std::string first = params.substr(0, semicolon);
    if (semicolon != std::string::npos) readModifiers(params.substr(semicolon + 1), key);
    if (final == 'u') {
        // The key's code; an alternate code after ':' is not needed.
        const long code = std::strtol(first.c_str(), nullptr, 10);
        key.key = code >= 'A' && code <= 'Z' ? static_cast<int>(code - 'A' + 'a')
                  : code > 0 && code < 127   ? plainKey(static_cast<unsigned char>(code))
                                             : KeyOther;
    } else if (int arrow = arrowKey(final)) {
        key.key = arrow;
    } else {
        key.key = KeyOther;
    }
    out.push_back(key);
}

}  // namespace orv
