// A keyed reader for the game's data files: find a marker text, then read
// "Key: value" lines after it. Missing files and values give messages and
// empty or zero values; the game goes on with them.
#pragma once

#include <string>

namespace orv {

class SimpleFile {
public:
    explicit SimpleFile(const std::string& fileName);
    // A copy shares nothing: it has no open file (and says so).
    SimpleFile(const SimpleFile& other);
    SimpleFile& operator=(const SimpleFile& other);

    bool isOpen() const { return open_; }
    const std::string& fileName() const { return fileName_; }

    // Search forward for the exact bytes of `key`; with `stopAtNewline` the
    // search gives up at the end of the current line. On success the read
    // position is one past the first character of the match, and returned.
    long find(const std::string& key, bool stopAtNewline);
    long findBackward(const std::string& key, bool stopAtNewline);

    // The value after the next colon: one character after the colon is
    // skipped (the space), the rest of that line is the value.
    std::string readString();
    double readNumber();

    long position() const { return static_cast<long>(position_); }
    void rewind() { position_ = 0; }

private:
    void reportCopy();

    std::string fileName_;
    std::string content_;
    std::size_t position_ = 0;
    bool open_ = false;
};

}  // namespace orv
