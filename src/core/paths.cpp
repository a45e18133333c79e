// Path conversion for every file the game opens, and the one rule that
// keeps those files inside the content directory.
#include "core/paths.h"

#include <algorithm>

namespace orv {

namespace {

// Under a device that is not a folder: opening, creating or listing it fails.
constexpr const char* kRefusedPath = "/dev/null/outside-the-game-folder";

std::string withSlashes(const std::string& gamePath) {
    std::string path = gamePath;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

}  // namespace

bool staysInContent(const std::string& gamePath) {
    const std::string path = withSlashes(gamePath);
    // A name part ".." climbs one folder; nothing else the system reads does.
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        if (path.compare(start, end - start, "..") == 0) return false;
        start = end + 1;
    }
    return true;
}

std::string dataPath(const std::string& gamePath) {
    if (!staysInContent(gamePath)) return kRefusedPath;
    std::string path = withSlashes(gamePath);
    // "\quests\" style names would otherwise point at the root directory.
    path.erase(0, std::min(path.find_first_not_of('/'), path.size()));
    return path;
}

std::ifstream openDataFile(const std::string& gamePath, std::ios::openmode mode) {
    return std::ifstream(dataPath(gamePath), mode);
}

}  // namespace orv
