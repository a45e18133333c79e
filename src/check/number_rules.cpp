// Reading numbers the way the game's readers do, and judging them.
#include "check/number_rules.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace orv::check {

namespace {
// Bounds are whole numbers; written out in full, not as 1e+06.
std::string plain(double value) {
    std::ostringstream out;
    out.precision(0);
    out << std::fixed << value;
    return out.str();
}
}  // namespace

std::optional<double> numberAsStreamReads(const std::string& text) {
    std::istringstream in(text);
    float value = 0;
    if (!(in >> value)) return std::nullopt;
    return value;
}

std::optional<double> numberAsCReads(const std::string& text) {
    const char* start = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    if (end == start) return std::nullopt;
    return value;
}

std::optional<std::string> rangeProblem(const std::string& what, const std::string& text, double value,
                                        double lowest, double highest, const std::string& why) {
    if (!std::isfinite(value))
        return what + " \"" + text + "\" is not a finite number: every sum it enters becomes meaningless";
    if (value >= lowest && value <= highest) return std::nullopt;
    return what + " \"" + text + "\" is outside " + plain(lowest) + " to " + plain(highest) + ": " + why;
}

std::string keyOf(const std::string& line) {
    std::string key = line.substr(0, line.find(':'));
    key.erase(0, key.find_first_not_of(" \t"));
    return key;
}

std::string valueOf(const std::string& line) {
    const std::size_t colon = line.find(':');
    return colon == std::string::npos ? "" : line.substr(colon + 1);
}

}  // namespace orv::check
