// Path conversion for every file the game opens.
#include "core/paths.h"

#include <algorithm>

namespace orv {

std::string dataPath(const std::string& gamePath) {
    std::string path = gamePath;
    std::replace(path.begin(), path.end(), '\\', '/');
    // "\quests\" style names would otherwise point at the root directory.
    while (!path.empty() && path.front() == '/') path.erase(path.begin());
    return path;
}

std::ifstream openDataFile(const std::string& gamePath, std::ios::openmode mode) {
    return std::ifstream(dataPath(gamePath), mode);
}

}  // namespace orv
