// Item file sources.
#include "items/item_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <streambuf>

#include "core/paths.h"

namespace orv {

namespace fs = std::filesystem;

namespace {

// A read-only stream buffer over text kept in memory, with seeking.
class MemoryBuffer : public std::streambuf {
public:
    explicit MemoryBuffer(const std::string& text) {
        char* begin = const_cast<char*>(text.data());  // never written through
        setg(begin, begin, begin + text.size());
    }

protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir direction, std::ios_base::openmode) override {
        off_type base = 0;
        if (direction == std::ios_base::cur) base = gptr() - eback();
        else if (direction == std::ios_base::end) base = egptr() - eback();
        return seekpos(pos_type(base + offset), std::ios_base::in);
    }
    pos_type seekpos(pos_type position, std::ios_base::openmode) override {
        const off_type at = off_type(position);
        if (at < 0 || at > egptr() - eback()) return pos_type(off_type(-1));
        setg(eback(), eback() + at, egptr());
        return position;
    }
};

class MemoryStream : public std::istream {
public:
    explicit MemoryStream(const std::string& text) : std::istream(nullptr), buffer_(text) { rdbuf(&buffer_); }

private:
    MemoryBuffer buffer_;
};

CachedItemFiles defaultCache;
ItemFileSource* currentSource = &defaultCache;

}  // namespace

std::unique_ptr<std::istream> DiskItemFiles::open(const std::string& gamePath) {
    return std::make_unique<std::ifstream>(dataPath(gamePath), std::ios::in | std::ios::binary);
}

std::unique_ptr<std::istream> CachedItemFiles::open(const std::string& gamePath) {
    // Content does not change while the game runs; the key holds the working
    // directory so another content directory (a test's) gets its own copy.
    std::error_code error;
    const fs::path path = fs::absolute(dataPath(gamePath), error);
    Entry& entry = files_[path.string()];
    if (!entry.readable) {
        std::ifstream file(path, std::ios::in | std::ios::binary);
        entry.readable = static_cast<bool>(file);
        entry.content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    auto stream = std::make_unique<MemoryStream>(entry.content);
    if (!entry.readable) stream->setstate(std::ios::failbit);
    return stream;
}

ItemFileSource& itemFiles() { return *currentSource; }

void setItemFileSource(ItemFileSource* source) { currentSource = source ? source : &defaultCache; }

}  // namespace orv
