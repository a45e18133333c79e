// `--check-save`: reads a slot file the way the load screen does and tells,
// line by line, what it made of it, for players who edit their saves.
#pragma once

#include <istream>
#include <ostream>
#include <string>

namespace orv {

// Reports on the slot read from `slot`, naming it `fileName`; the slot's
// text is written as the game would show it (UTF-8 glyphs when `unicode`,
// ASCII look-alikes otherwise). Returns 0 when every line is read as
// written, 1 otherwise.
int reportSaveCheck(std::istream& slot, const std::string& fileName, std::ostream& out, bool unicode);

// The whole command: opens the file and reports in the terminal's encoding;
// 2 when the file cannot be read.
int checkSave(const std::string& fileName);

}  // namespace orv
