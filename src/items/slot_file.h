// Save slots on disk, treated as files a player may have shared, edited or
// replaced: a slot is read only when it is a plain file (never a folder, a
// pipe, a device or a link), and a save goes into a fresh temporary file
// that no planted link can redirect, under a lock that keeps two games
// saving into the same folder from mixing up their slots.
#pragma once

#include <filesystem>
#include <istream>
#include <memory>
#include <streambuf>
#include <string>

namespace orv {

// A slot file opened for reading. Opening never waits (a pipe with no
// writer would hold the game for ever) and never follows a link (a slot
// linked to /etc/passwd or /dev/zero is no saved game).
class SlotInput : public std::istream {
public:
    enum class Kind {
        Missing,     // nothing there: an empty slot
        SaveFile,    // a plain file, open for reading
        Unreadable,  // something there that is not a readable plain file
    };

    explicit SlotInput(const std::filesystem::path& path);
    ~SlotInput() override;
    SlotInput(const SlotInput&) = delete;
    SlotInput& operator=(const SlotInput&) = delete;

    Kind kind() const { return kind_; }
    // Why an unreadable slot is not read, to follow "the slot" or the file's
    // name: "is a folder, not a saved game".
    const std::string& problem() const { return problem_; }

private:
    std::unique_ptr<std::streambuf> buffer_;
    Kind kind_ = Kind::Missing;
    std::string problem_;
};

// Writes `text` as the slot file at `path` so that the old slot stays whole
// until the new one is complete on disk, whatever else runs: the folder is
// made when missing and locked while the save runs; temporaries a killed
// save left behind are removed (only plain files of the game's own naming);
// the text goes into a new temporary file of a name no one can guess,
// synced, renamed over the slot, and the folder synced. Returns an empty
// string, or what went wrong; `opened` tells whether the new file could be
// made at all.
std::string writeSlotFile(const std::filesystem::path& path, const std::string& text, bool& opened);

}  // namespace orv
