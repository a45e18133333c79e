// The keyed data-file reader.
#include "data/simple_file.h"

#include <cstdlib>
#include <iterator>

#include "app/game.h"
#include "core/paths.h"

namespace orv {

namespace {
constexpr std::size_t kLongestValue = 255;
}

SimpleFile::SimpleFile(const std::string& fileName) : fileName_(fileName) {
    std::ifstream file = openDataFile(fileName, std::ios::in | std::ios::binary);
    if (file) {
        content_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        open_ = !file.bad();
    }
    if (!open_) game().screen.addMessage("ERROR: could not open " + fileName);
}

SimpleFile::SimpleFile(const SimpleFile& other) : fileName_(other.fileName_) { reportCopy(); }

SimpleFile& SimpleFile::operator=(const SimpleFile& other) {
    if (this != &other) {
        fileName_ = other.fileName_;
        content_.clear();
        position_ = 0;
        open_ = false;
        reportCopy();
    }
    return *this;
}

void SimpleFile::reportCopy() {
    game().screen.addMessage(
        "You just copied a simplefile object, which contains an open file stream.you now have the "
        "same stream open in two places. you are screwed.");
}

long SimpleFile::find(const std::string& key, bool stopAtNewline) {
    if (!open_ || key.empty()) return -1;
    std::size_t limit = content_.size();
    if (stopAtNewline) {
        const std::size_t newline = content_.find('\n', position_);
        if (newline != std::string::npos) limit = newline;
    }
    const std::size_t match = content_.find(key, position_);
    if (match == std::string::npos || match + key.size() > limit) {
        // The reader has used up the text it looked at (the newline too).
        position_ = limit < content_.size() ? limit + 1 : content_.size();
        return -1;
    }
    position_ = match + 1;
    return static_cast<long>(position_);
}

long SimpleFile::findBackward(const std::string& key, bool stopAtNewline) {
    if (!open_ || key.empty() || key.size() > position_) return -1;
    std::size_t floor = 0;
    if (stopAtNewline) {
        const std::size_t newline = content_.rfind('\n', position_ - 1);
        if (newline != std::string::npos) floor = newline + 1;
    }
    for (std::size_t start = position_ - key.size() + 1; start-- > floor;) {
        if (content_.compare(start, key.size(), key) == 0) {
            position_ = start + 1;
            return static_cast<long>(position_);
        }
    }
    position_ = floor;
    return -1;
}

std::string SimpleFile::readString() {
    if (!open_) {
        game().screen.addMessage("currentFile not found!" + fileName_);
        return "";
    }
    const std::size_t colon = content_.find(':', position_);
    if (colon == std::string::npos) {
        position_ = content_.size();
        game().screen.addMessage("ERROR: could not read string stat from " + fileName_);
        return "";
    }
    const std::size_t start = std::min(colon + 2, content_.size());
    std::size_t end = content_.find('\n', start);
    if (end == std::string::npos) end = content_.size();
    position_ = std::min(end + 1, content_.size());
    std::string value = content_.substr(start, end - start);
    if (!value.empty() && value.back() == '\r') value.pop_back();
    if (value.size() > kLongestValue) value.resize(kLongestValue);
    return value;
}

double SimpleFile::readNumber() { return std::atof(readString().c_str()); }

}  // namespace orv
