// The game names its files the old way, with backslashes ("art\splash.txt");
// every file open goes through here so the content directory works on Linux.
#pragma once

#include <fstream>
#include <string>

namespace orv {

// "art\splash.txt" -> "art/splash.txt" (relative to the working directory).
std::string dataPath(const std::string& gamePath);

std::ifstream openDataFile(const std::string& gamePath,
                           std::ios::openmode mode = std::ios::in);

}  // namespace orv
