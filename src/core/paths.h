// The game names its files the old way, with backslashes ("art\splash.txt");
// every file open goes through here so the content directory works on Linux,
// and so no name a content file or a slot holds can reach past it. Here too
// is where the player's own files live: the save slots, the script trace and
// the kept volumes go to the player's folders, never into the content, which
// the game only ever reads.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace orv {

// Whether a game path stays inside the content directory. Names come from
// files a player may edit or be handed (a lesson's picture, a wave's
// portrait, a town's map), so a name that climbs out with ".." would show or
// read any file of the machine. A leading slash means the content directory
// itself, as in the game's own "\quests\" names.
bool staysInContent(const std::string& gamePath);

// Said wherever the game reports a file it did not open because its name
// leads outside the content directory.
inline constexpr const char* kOutsideContentNote = "The name leads outside the game's folder, so it is never read.";

// "art\splash.txt" -> "art/splash.txt" (relative to the working directory).
// The game's "saves\" folder is the player's slot folder, wherever that is.
// A path that would leave the content directory becomes a name under
// /dev/null instead, which nothing can read, write or make a folder of, so
// every caller fails on it as on a missing file.
std::string dataPath(const std::string& gamePath);

std::ifstream openDataFile(const std::string& gamePath,
                           std::ios::openmode mode = std::ios::in);

// Where this run keeps the player's own files. Until the program settles
// them, they are where older versions kept them: saves/ and luaTrace.txt in
// the working directory (the content directory), and no kept volumes.
struct PlayerFolders {
    std::filesystem::path saves = "saves";            // the three slot files
    std::filesystem::path traceFile = "luaTrace.txt";  // what misbehaving scripts left
    std::filesystem::path settings;                    // kept volumes; empty: none kept
};

void usePlayerFolders(const PlayerFolders& folders);
const PlayerFolders& playerFolders();

// The script trace, appended to whenever a script misbehaves.
std::string traceFilePath();
// The file the system menu's volumes are kept in; empty when none can be.
std::string volumesFilePath();

// Makes `folder` and any missing folder above it, each private to the
// player (0700). Returns an empty string, or what went wrong.
std::string makePrivateFolder(const std::filesystem::path& folder);

// Reads one environment variable; empty or null when unset.
using Environment = std::function<const char*(const char*)>;

// The player's folders by the usual Linux rules: XDG_DATA_HOME,
// XDG_STATE_HOME and XDG_CONFIG_HOME when they hold an absolute path, else
// ~/.local/share, ~/.local/state and ~/.config. Without a home folder the
// game's own folder (`contentDirectory`) keeps the slots and the trace as it
// always did, and `note` says so.
PlayerFolders playerFoldersFrom(const Environment& environment, const std::filesystem::path& contentDirectory,
                                std::string& note);

// Copies slots 1 to 3 of an older version's `oldFolder` into `newFolder`,
// byte for byte; a slot already in `newFolder` is never replaced and the old
// ones are never touched. Returns how many were copied.
int copyOldSlots(const std::filesystem::path& oldFolder, const std::filesystem::path& newFolder);

// Sets this run's folders (`savesOverride`, when not empty, for the slots),
// makes the slot folder, and, the first time it is made, brings along the
// slots an older version left in the content directory's saves/. Returns
// what the player should be told once, at the title.
std::vector<std::string> settlePlayerFolders(const Environment& environment,
                                             const std::filesystem::path& contentDirectory,
                                             const std::filesystem::path& savesOverride);

}  // namespace orv
