// How the readers take the numbers of the content files, and the ranges the
// game's arithmetic can live with. Two readers exist: the item files are
// read by an input stream into a float (which refuses "nan", "inf" and
// anything beyond a float), every other file by the C library's text-to-
// number conversion (which takes them all, and hex besides).
#pragma once

#include <optional>
#include <string>

namespace orv::check {

// The number at the start of the text as an input stream reads it into a
// float; nothing when the stream fails (no number, or beyond a float).
std::optional<double> numberAsStreamReads(const std::string& text);

// The number at the start of the text as the C conversion reads it;
// nothing when the text does not start with a number (the reader then
// silently takes 0).
std::optional<double> numberAsCReads(const std::string& text);

// Why `value` (read from `text`) does not suit: not finite, or outside
// lowest..highest, with `why` telling what goes wrong in the game. Nothing
// when the value is fine.
std::optional<std::string> rangeProblem(const std::string& what, const std::string& text, double value,
                                        double lowest, double highest, const std::string& why);

// A data line's key (before the first colon, leading blanks dropped) and
// value (after it; empty without a colon), as the world's readers split it.
std::string keyOf(const std::string& line);
std::string valueOf(const std::string& line);

}  // namespace orv::check
