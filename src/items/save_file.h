// The save slots' file format: writing a whole game as colon-separated
// lines, writing a slot so that no crash or full disk can break it, reading
// a slot's header for the slot lists, and the line interpreter that rebuilds
// a game from a slot (hand-edited ones included).
#pragma once

#include <istream>
#include <string>
#include <vector>

namespace orv {

class Game;

constexpr int kSaveSlots = 3;
// A slot line longer than this is skipped whole.
constexpr std::size_t kLongestSaveLine = 1000;

// "saves\N.txt", the slot's game path.
std::string slotGamePath(int slot);

// The text before the first ":", taken off the line with its ":"; with no
// ":" the whole line is returned and the line is left as it was.
std::string takeField(std::string& line);

// The slot list line's text ("Zed, Level 3"), or empty for an empty slot.
std::string slotHeader(const std::string& gamePath);

// The whole game in the slot format; `planet` is where a loaded game resumes.
std::string saveText(const Game& game, const std::string& planet);

// Writes `text` as the file at `gamePath` so that the old file stays whole
// until the new one is complete on disk: a temporary file in the same
// directory, flushed and synced, renamed over the slot, the directory
// synced. The directory is made when missing. Returns an empty string, or
// what went wrong (the old file is then untouched).
std::string writeWholeFile(const std::string& gamePath, const std::string& text);
// The same, telling whether the new file could be opened at all: a disk
// that fills up later is another failure than a folder that takes nothing.
std::string writeWholeFile(const std::string& gamePath, const std::string& text, bool& opened);

// What reading a slot did with lines it could not take as written.
struct SaveReadNote {
    int line = 0;
    std::string text;
};

struct SaveReadResult {
    std::string planet;  // the PLANET line's name, as written
    std::vector<SaveReadNote> notes;
    int lines = 0;
};

// Interprets the slot's lines into the game, which the caller has reset.
// Lines whose numbers cannot be used are skipped or clamped and noted; no
// line can write outside the quest table or the planet list.
SaveReadResult readSave(std::istream& in, Game& game);

// Resets both protagonists and the player's game for a load.
void resetForLoad(Game& game);

}  // namespace orv
