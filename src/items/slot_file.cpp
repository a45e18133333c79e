// Opening and writing save slots so that nothing planted in the saves
// folder can hang the game, show another file as a slot, or be written to.
#include "items/slot_file.h"

#include "core/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace orv {

namespace fs = std::filesystem;

namespace {

// Reads an open slot file through the standard stream interface.
class DescriptorBuffer : public std::streambuf {
public:
    explicit DescriptorBuffer(int fd) : fd_(fd) {}
    ~DescriptorBuffer() override { ::close(fd_); }
    DescriptorBuffer(const DescriptorBuffer&) = delete;
    DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        ssize_t got;
        do got = ::read(fd_, bytes_.data(), bytes_.size());
        while (got < 0 && errno == EINTR);
        // A read error ends the slot where it happened, as a short file would.
        if (got <= 0) return traits_type::eof();
        setg(bytes_.data(), bytes_.data(), bytes_.data() + got);
        return traits_type::to_int_type(*gptr());
    }

private:
    int fd_;
    std::array<char, 8192> bytes_{};
};

// What the thing at a slot's place is, when it is not a plain file.
std::string notAPlainFile(mode_t mode) {
    if (S_ISDIR(mode)) return "is a folder, not a saved game";
    if (S_ISFIFO(mode)) return "is a pipe, not a saved game";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a saved game";
    return "is not a plain file, so not a saved game";
}

// The suffix of a save's temporary file: ".new." and six letters or digits.
// Saves of older versions used ".new" alone, and a killed one left it behind.
constexpr const char* kTemporaryMark = ".new";
constexpr std::size_t kTemporaryLetters = 6;

bool isTemporaryOf(const std::string& slotName, const std::string& fileName) {
    const std::string stem = slotName + kTemporaryMark;
    if (fileName.compare(0, stem.size(), stem) != 0) return false;
    const std::string rest = fileName.substr(stem.size());
    if (rest.empty()) return true;
    if (rest.size() != kTemporaryLetters + 1 || rest[0] != '.') return false;
    for (std::size_t i = 1; i < rest.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(rest[i]))) return false;
    return true;
}

// Six letters or digits no one can guess, so a link cannot be planted at
// the name beforehand. Never from the game's dice: a save must not change
// what a seed replays.
std::string unguessableLetters() {
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::array<unsigned char, kTemporaryLetters> noise{};
    if (::getrandom(noise.data(), noise.size(), GRND_NONBLOCK) != static_cast<ssize_t>(noise.size())) {
        static unsigned long long counter = 0;
        unsigned long long mixed = static_cast<unsigned long long>(
                                       std::chrono::steady_clock::now().time_since_epoch().count()) ^
                                   (static_cast<unsigned long long>(::getpid()) << 32) ^ (++counter * 0x9E3779B97F4A7C15ULL);
        for (unsigned char& byte : noise) byte = static_cast<unsigned char>(mixed >>= 8);
    }
    std::string letters;
    for (const unsigned char byte : noise) letters += kLetters[byte % (sizeof kLetters - 1)];
    return letters;
}

// A folder's entries to the disk: a new file or folder in it survives a
// power cut only once its folder is synced.
void syncFolder(const fs::path& folder) {
    if (const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The slot folder is the player's own: made private, like the folders above
// it that were missing too.
std::string makeFolder(const fs::path& folder) {
    std::error_code error;
    const bool missing = !fs::exists(fs::symlink_status(folder, error));
    if (std::string problem = makePrivateFolder(folder); !problem.empty()) return problem;
    if (missing) syncFolder(folder.has_parent_path() ? folder.parent_path() : fs::path("."));
    return "";
}

// The saves folder, open and locked for one save. Every game takes the
// lock before touching the folder, so a second game saving at the same
// moment waits its turn instead of mixing its slot with ours, and the
// temporaries found in the folder belong to no save in progress.
class LockedFolder {
public:
    explicit LockedFolder(const fs::path& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ < 0) return;
        // A file system without locks still saves, as the game always did.
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~LockedFolder() {
        if (fd_ >= 0) ::close(fd_);  // closing lets the lock go
    }
    LockedFolder(const LockedFolder&) = delete;
    LockedFolder& operator=(const LockedFolder&) = delete;

    int fd() const { return fd_; }

    // Removes what a killed save of this slot left behind. Only plain files
    // go: a folder or a link of that name was put there by someone else.
    void removeStaleTemporaries(const std::string& slotName) const {
        const int listing = ::dup(fd_);
        if (listing < 0) return;
        DIR* entries = ::fdopendir(listing);
        if (!entries) {
            ::close(listing);
            return;
        }
        ::rewinddir(entries);
        while (const dirent* entry = ::readdir(entries)) {
            struct stat info {};
            if (isTemporaryOf(slotName, entry->d_name) &&
                ::fstatat(fd_, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
                ::unlinkat(fd_, entry->d_name, 0);
        }
        ::closedir(entries);
    }

    // A new file beside the slot, made by this save alone: never one that
    // was already there, never through a link.
    int createTemporary(const std::string& slotName, std::string& name) const {
        for (int attempt = 0; attempt < 100; ++attempt) {
            name = slotName + kTemporaryMark + "." + unguessableLetters();
            const int fd = ::openat(fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
            if (fd >= 0 || errno != EEXIST) return fd;
        }
        return -1;
    }

private:
    int fd_;
};

std::string writeAll(int fd, const std::string& text) {
    for (std::size_t written = 0; written < text.size();) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return std::strerror(n < 0 ? errno : ENOSPC);
        written += static_cast<std::size_t>(n);
    }
    return "";
}

}  // namespace

SlotInput::SlotInput(const fs::path& path) : std::istream(nullptr) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return;  // no slot there
        kind_ = Kind::Unreadable;
        problem_ = errno == ELOOP ? "is a link, which the game never follows"
                                  : std::string("cannot be opened (") + std::strerror(errno) + ")";
        setstate(std::ios::badbit);
        return;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        kind_ = Kind::Unreadable;
        problem_ = notAPlainFile(info.st_mode);
        ::close(fd);
        setstate(std::ios::badbit);
        return;
    }
    // A plain file is read as usual from here on.
    if (const int flags = ::fcntl(fd, F_GETFL); flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    kind_ = Kind::SaveFile;
    buffer_ = std::make_unique<DescriptorBuffer>(fd);
    rdbuf(buffer_.get());
}

SlotInput::~SlotInput() = default;

std::string writeSlotFile(const fs::path& path, const std::string& text, bool& opened) {
    opened = false;
    const fs::path folderPath = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (std::string problem = makeFolder(folderPath); !problem.empty()) return problem;
    const LockedFolder folder(folderPath);
    if (folder.fd() < 0) return "cannot open the folder " + folderPath.string() + ": " + std::strerror(errno);
    const std::string slotName = path.filename().string();
    folder.removeStaleTemporaries(slotName);

    std::string temporary;
    const int fd = folder.createTemporary(slotName, temporary);
    if (fd < 0) return "cannot write " + (folderPath / temporary).string() + ": " + std::strerror(errno);
    opened = true;
    std::string problem = writeAll(fd, text);
    if (problem.empty() && ::fsync(fd) != 0) problem = std::strerror(errno);
    if (::close(fd) != 0 && problem.empty()) problem = std::strerror(errno);
    if (problem.empty() && ::renameat(folder.fd(), temporary.c_str(), folder.fd(), slotName.c_str()) != 0)
        problem = std::strerror(errno);
    if (!problem.empty()) {
        ::unlinkat(folder.fd(), temporary.c_str(), 0);
        return "cannot write " + path.string() + ": " + problem;
    }
    // The rename itself must reach the disk too, or a power cut could bring
    // back the old slot (or none) after the game said it was saved.
    ::fsync(folder.fd());
    return "";
}

}  // namespace orv
