// Number/text conversion and the two ways of measuring shown text
// (display length for line ends and padding, visible count for wrapping).
#pragma once

#include <initializer_list>
#include <istream>
#include <optional>
#include <string>

namespace orv {

std::string toText(int value);
std::string toText(long value);
std::string toText(float value);
std::string toText(double value);

// The text read as a number the way an input stream reads it: leading
// white space skipped, the longest numeric prefix taken. Text that does not
// start with a number gives 0.
float toNumber(const std::string& text);
// The same reading, but telling whether the text started with a number at all.
std::optional<float> readNumber(const std::string& text);

// Bytes minus colour control characters.
std::size_t displayLength(const std::string& text);
// Characters with codes 32 to 127 only.
std::size_t visibleCount(const std::string& text);

std::string lowercase(std::string text);

// The world's data files (rooms, quests, towns, shops) are read a line at a
// time with room for 999 characters: a line of 1000 or more ends the
// reading of its file.
constexpr std::size_t kLongestDataLine = 999;
inline bool endsReading(const std::string& line) { return line.size() > kLongestDataLine; }

// The next line of `in` (its line break and a carriage return before it
// dropped), kept to its first `longest` bytes: the rest of a longer line is
// passed over unread, so a file with a line of any length costs no more
// than its longest kept line. False when the input has no more lines.
bool readBoundedLine(std::istream& in, std::string& line, std::size_t longest);

// Names the way the game writes them: the first letter and every letter
// after a blank or a hyphen in upper case, except where the text there
// begins with "of " or "the " ("conan of the north" -> "Conan of the North").
std::string capitalizeWords(std::string text);

// A name that carries its own article ("The Iron Bosun", "The Memorial")
// without it, for sentences that bring one: "the sinister Iron Bosun".
std::string withoutArticle(const std::string& name);

// Commands are whole lines compared with each accepted spelling.
bool matchesAny(const std::string& command, std::initializer_list<const char*> spellings);

}  // namespace orv
