// Where the item generator reads its eleven files from. Items are made
// often (a shop shelf, every chest, every victory), so the files are kept in
// memory by default; reading them straight from disk each time is kept for
// comparison, and both hand out ordinary input streams so the scanning rules
// are one and the same code.
#pragma once

#include <istream>
#include <map>
#include <memory>
#include <string>

namespace orv {

class ItemFileSource {
public:
    virtual ~ItemFileSource() = default;
    // A stream over the file (game path such as "items\boots.txt"); a stream
    // that is not good when the file cannot be read.
    virtual std::unique_ptr<std::istream> open(const std::string& gamePath) = 0;
};

class DiskItemFiles : public ItemFileSource {
public:
    std::unique_ptr<std::istream> open(const std::string& gamePath) override;
};

class CachedItemFiles : public ItemFileSource {
public:
    std::unique_ptr<std::istream> open(const std::string& gamePath) override;
    void forget() { files_.clear(); }

private:
    struct Entry {
        bool readable = false;
        std::string content;
    };
    std::map<std::string, Entry> files_;
};

// The source every item is made from (cached unless a test says otherwise).
ItemFileSource& itemFiles();
void setItemFileSource(ItemFileSource* source);  // null restores the cache

}  // namespace orv
