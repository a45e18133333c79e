// Number/text conversion and text measuring shared by every screen.
#include "core/text.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <sstream>

#include "core/colors.h"

namespace orv {

namespace {
template <typename T>
std::string streamText(T value) {
    std::ostringstream out;
    out << value;
    return out.str();
}
}  // namespace

std::string toText(int value) { return streamText(value); }
std::string toText(long value) { return streamText(value); }
std::string toText(float value) { return streamText(value); }
std::string toText(double value) { return streamText(value); }

std::optional<float> readNumber(const std::string& text) {
    std::istringstream in(text);
    float value = 0;
    in >> value;
    // Out of range still reads as a number: the stream gives the largest value.
    const bool overflow = in.fail() && (value == std::numeric_limits<float>::max() ||
                                        value == -std::numeric_limits<float>::max());
    if (in.fail() && !overflow) return std::nullopt;
    return value;
}

float toNumber(const std::string& text) { return readNumber(text).value_or(0.0f); }

std::size_t displayLength(const std::string& text) {
    return text.size() - std::count_if(text.begin(), text.end(),
                                       [](char c) { return isColorCode(static_cast<unsigned char>(c)); });
}

std::size_t visibleCount(const std::string& text) {
    return std::count_if(text.begin(), text.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u >= 32 && u <= 127;
    });
}

std::string lowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string capitalizeWords(std::string text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool wordStart = i == 0 || text[i - 1] == ' ' || text[i - 1] == '-';
        if (!wordStart) continue;
        if (text.compare(i, 3, "of ") == 0 || text.compare(i, 4, "the ") == 0) continue;
        text[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
    }
    return text;
}

bool matchesAny(const std::string& command, std::initializer_list<const char*> spellings) {
    return std::any_of(spellings.begin(), spellings.end(),
                       [&](const char* spelling) { return command == spelling; });
}

}  // namespace orv
