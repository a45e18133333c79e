// The game names its files the old way, with backslashes ("art\splash.txt");
// every file open goes through here so the content directory works on Linux,
// and so no name a content file or a slot holds can reach past it.
#pragma once

#include <fstream>
#include <string>

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
// A path that would leave the content directory becomes a name under
// /dev/null instead, which nothing can read, write or make a folder of, so
// every caller fails on it as on a missing file.
std::string dataPath(const std::string& gamePath);

std::ifstream openDataFile(const std::string& gamePath,
                           std::ios::openmode mode = std::ios::in);

}  // namespace orv
