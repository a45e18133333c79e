// Number/text conversion and text measuring shared by every screen.
#include "core/text.h"

#include <algorithm>
#include <utility>
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

namespace {

// The accented letters of code page 437 that come in both cases, as
// (lower, upper) bytes: typed names keep their capitals right.
constexpr std::pair<unsigned char, unsigned char> kAccentedPairs[] = {
    {0x87, 0x80}, {0x81, 0x9A}, {0x82, 0x90}, {0x84, 0x8E},
    {0x86, 0x8F}, {0x91, 0x92}, {0x94, 0x99}, {0xA4, 0xA5},
};

char lowerLetter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 128) return static_cast<char>(std::tolower(byte));
    for (const auto& [lower, upper] : kAccentedPairs)
        if (byte == upper) return static_cast<char>(lower);
    return c;
}

char upperLetter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 128) return static_cast<char>(std::toupper(byte));
    for (const auto& [lower, upper] : kAccentedPairs)
        if (byte == lower) return static_cast<char>(upper);
    return c;
}

}  // namespace

bool readBoundedLine(std::istream& in, std::string& line, std::size_t longest) {
    line.clear();
    std::streambuf* const buffer = in.rdbuf();
    if (!in || buffer == nullptr) return false;
    bool anything = false;
    for (int c = buffer->sbumpc(); c != std::char_traits<char>::eof(); c = buffer->sbumpc()) {
        anything = true;
        if (c == '\n') break;
        if (line.size() < longest) line += static_cast<char>(c);
    }
    if (!anything) {
        in.setstate(std::ios::eofbit | std::ios::failbit);
        return false;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

std::string lowercase(std::string text) {
    for (char& c : text) c = lowerLetter(c);
    return text;
}

std::string withoutArticle(const std::string& name) {
    return name.rfind("The ", 0) == 0 ? name.substr(4) : name;
}

std::string capitalizeWords(std::string text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool wordStart = i == 0 || text[i - 1] == ' ' || text[i - 1] == '-';
        if (!wordStart) continue;
        if (text.compare(i, 3, "of ") == 0 || text.compare(i, 4, "the ") == 0) continue;
        text[i] = upperLetter(text[i]);
    }
    return text;
}

bool matchesAny(const std::string& command, std::initializer_list<const char*> spellings) {
    return std::any_of(spellings.begin(), spellings.end(),
                       [&](const char* spelling) { return command == spelling; });
}

}  // namespace orv
