// Path conversion for every file the game opens, the one rule that keeps
// those files inside the content directory, and the player's own folders
// that the slots, the script trace and the kept volumes live in.
#include "core/paths.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace orv {

namespace fs = std::filesystem;

namespace {

// Under a device that is not a folder: opening, creating or listing it fails.
constexpr const char* kRefusedPath = "/dev/null/outside-the-game-folder";

// The game's own name for the slot folder, as its paths write it.
constexpr const char* kSlotFolderName = "saves";

PlayerFolders& currentFolders() {
    static PlayerFolders folders;
    return folders;
}

std::string withSlashes(const std::string& gamePath) {
    std::string path = gamePath;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

void dropLeadingSlashes(std::string& path) { path.erase(0, std::min(path.find_first_not_of('/'), path.size())); }

// A whole slot file read through a descriptor that never follows a link
// nor waits on a pipe: only a plain file is an older version's saved game.
bool readPlainFile(const fs::path& path, std::string& bytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool plain = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    char buffer[8192];
    while (plain) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) plain = false;
        if (got <= 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return plain;
}

bool writeAndSync(int fd, const std::string& bytes) {
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return ::fsync(fd) == 0;
}

// Puts the finished copy at the slot's name unless a slot is already there:
// a hard link cannot replace a file, and where the file system has none,
// a rename that refuses to replace one does the same.
bool placeWithoutReplacing(const fs::path& temporary, const fs::path& slot) {
    if (::link(temporary.c_str(), slot.c_str()) == 0) return true;
    if (errno == EEXIST) return false;
    return ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, slot.c_str(), RENAME_NOREPLACE) == 0;
}

// A copy's temporary name in the slot folder, of the form a save uses, so
// a copy cut short is cleared away by the next save into that slot.
fs::path temporaryBeside(const fs::path& slot) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned long mixed = static_cast<unsigned long>(::getpid()) * 2654435761UL;
    std::string letters;
    for (int i = 0; i < 6; ++i, mixed /= 36) letters += kLetters[mixed % 36];
    return slot.parent_path() / (slot.filename().string() + ".new." + letters);
}

// An environment variable's folder when it names one absolutely; a
// relative or empty one is ignored, as the Linux folder rules ask.
fs::path absoluteFolder(const Environment& environment, const char* name) {
    const char* value = environment(name);
    if (!value || !*value) return {};
    const fs::path folder(value);
    return folder.is_absolute() ? folder : fs::path();
}

fs::path playerFolder(const Environment& environment, const char* variable, const char* underHome) {
    if (fs::path folder = absoluteFolder(environment, variable); !folder.empty()) return folder;
    if (fs::path home = absoluteFolder(environment, "HOME"); !home.empty()) return home / underHome;
    return {};
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
    dropLeadingSlashes(path);
    // The slots are the player's, kept in the player's own folder.
    const std::size_t nameEnd = std::min(path.find('/'), path.size());
    if (path.compare(0, nameEnd, kSlotFolderName) == 0) {
        std::string rest = path.substr(nameEnd);
        dropLeadingSlashes(rest);
        const std::string folder = currentFolders().saves.string();
        return rest.empty() ? folder : folder + "/" + rest;
    }
    return path;
}

std::ifstream openDataFile(const std::string& gamePath, std::ios::openmode mode) {
    return std::ifstream(dataPath(gamePath), mode);
}

void usePlayerFolders(const PlayerFolders& folders) { currentFolders() = folders; }

const PlayerFolders& playerFolders() { return currentFolders(); }

std::string traceFilePath() { return currentFolders().traceFile.string(); }

std::string volumesFilePath() {
    const fs::path& settings = currentFolders().settings;
    return settings.empty() ? std::string() : (settings / "volumes.txt").string();
}

std::string makePrivateFolder(const fs::path& folder) {
    fs::path made;
    for (const fs::path& part : folder) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST)
            return "cannot make the folder " + made.string() + ": " + std::strerror(errno);
    }
    std::error_code error;
    if (!fs::is_directory(folder, error)) return "cannot make the folder " + folder.string() + ": it is not a folder";
    return "";
}

PlayerFolders playerFoldersFrom(const Environment& environment, const fs::path& contentDirectory, std::string& note) {
    PlayerFolders folders;
    const fs::path data = playerFolder(environment, "XDG_DATA_HOME", ".local/share");
    const fs::path state = playerFolder(environment, "XDG_STATE_HOME", ".local/state");
    const fs::path config = playerFolder(environment, "XDG_CONFIG_HOME", ".config");
    folders.saves = data.empty() ? contentDirectory / kSlotFolderName : data / "orvantis" / kSlotFolderName;
    folders.traceFile = (state.empty() ? contentDirectory : state / "orvantis") / "luaTrace.txt";
    if (!config.empty()) folders.settings = config / "orvantis";

    std::vector<std::string> staying;
    if (data.empty()) staying.push_back("saved games");
    if (state.empty()) staying.push_back("script trace");
    note.clear();
    if (!staying.empty()) {
        note = "No home folder is set (HOME), so your " + staying[0] + (staying.size() > 1 ? " and " + staying[1] : "") +
               " stay in the game's folder, " + contentDirectory.string() + ".";
    }
    if (config.empty()) {
        note += std::string(note.empty() ? "No home folder is set (HOME), so" : " The") +
                " volumes you set are not kept for the next game.";
    }
    return folders;
}

int copyOldSlots(const fs::path& oldFolder, const fs::path& newFolder) {
    int copied = 0;
    for (int slot = 1; slot <= 3; ++slot) {
        const std::string name = std::to_string(slot) + ".txt";
        std::string bytes;
        if (!readPlainFile(oldFolder / name, bytes)) continue;
        const fs::path target = newFolder / name;
        const fs::path temporary = temporaryBeside(target);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) continue;
        const bool written = writeAndSync(fd, bytes);
        ::close(fd);
        if (written && placeWithoutReplacing(temporary, target)) ++copied;
        ::unlink(temporary.c_str());
    }
    if (copied > 0) {
        if (const int fd = ::open(newFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }
    return copied;
}

std::vector<std::string> settlePlayerFolders(const Environment& environment, const fs::path& contentDirectory,
                                             const fs::path& savesOverride) {
    std::vector<std::string> notes;
    std::string note;
    PlayerFolders folders = playerFoldersFrom(environment, contentDirectory, note);
    if (!note.empty()) notes.push_back(note);
    if (!savesOverride.empty()) folders.saves = savesOverride;
    usePlayerFolders(folders);

    std::error_code error;
    if (fs::exists(fs::symlink_status(folders.saves, error))) return notes;
    if (const std::string problem = makePrivateFolder(folders.saves); !problem.empty()) {
        notes.push_back("Your games cannot be saved: " + problem + ".");
        return notes;
    }
    // The first start with the new folder brings along what an older
    // version saved in the game's folder; those slots stay where they are.
    const fs::path oldSlots = contentDirectory / kSlotFolderName;
    if (savesOverride.empty() && !fs::equivalent(oldSlots, folders.saves, error) &&
        copyOldSlots(oldSlots, folders.saves) > 0)
        notes.push_back("Your saved games from the game's folder were copied to " + folders.saves.string() + ".");
    return notes;
}

}  // namespace orv
