// Equipment and consumables. An item's name is made of up to three words
// from the item files (a prefix, a base item, a suffix) and its numbers are
// rolled afresh, with random factors, every time it is made.
#pragma once

#include <istream>
#include <memory>
#include <string>

#include "data/entity.h"

namespace orv {

// The base file an item came from; it decides the equipment slot. An item
// of no kind is one a slot kept under a name the item files do not know:
// it can be carried and sold, but neither worn nor used.
enum ItemType : int {
    TypeNone = -1,
    TypeBoots = 0,
    TypeShield,
    TypeHeadgear,
    TypeGun,
    TypeSword,
    TypeStaff,
    TypeHp,
    TypeMp,
    TypeHybrid,
    ItemTypeCount
};

class Item : public Entity {
public:
    Item() = default;

    // A random item of a level: random type, then generated.
    static std::unique_ptr<Item> random(int level);
    // A random item of a level and a given type.
    static std::unique_ptr<Item> random(int level, int type);
    // An item rebuilt from its full display name (quest rewards): a name the
    // item files do not know gives a random item of the hero's level.
    static std::unique_ptr<Item> fromName(const std::string& fullName);
    // An item as a slot stored it, rebuilt from its name the same way; but a
    // name the item files do not know (a hand edit, other item files) keeps
    // the item, of no kind, for the slot's numbers to be put back on.
    static std::unique_ptr<Item> fromSavedName(const std::string& fullName);

    int type = 0;
    int price = 0;
    bool hasPrefix = false;
    bool hasSuffix = false;

    bool isConsumable() const { return type >= TypeHp && type <= TypeHybrid; }
    bool hasKind() const { return type >= TypeBoots && type < ItemTypeCount; }
    // What a shop asks for it, by level and by how many affixes it carries.
    int shopPrice() const;
    // No item costs more, whatever its level.
    static constexpr int kHighestPrice = 1'000'000'000;

private:
    void generate(int level);
    void readStatistics(std::istream& in);
    void applyPrefix(float level, const std::string& element);
    void applySuffix(float level, const std::string& kind);
    static std::unique_ptr<Item> rebuild(const std::string& fullName, bool keepUnknown);
};

// The eleven item files, by their game paths.
extern const char* const kItemBaseFiles[ItemTypeCount];
extern const char* const kPrefixFile;
extern const char* const kSuffixFile;

// Where the search for an affix of element or kind `section` starts in an
// affix file of `length` bytes: the prefix file is cut into five equal
// sections, the suffix file into six, each found ten bytes a section early.
std::streamoff affixSectionOffset(std::streamoff length, bool suffix, int section);

// The reader's scanning steps, shared with the content checker.
namespace item_scan {
// Skips to the next record's name line and reads its name.
std::string readName(std::istream& in);
// Skips to the next colon and one character; the rest of the line / a number.
std::string readText(std::istream& in);
float readNumber(std::istream& in);
// The first record at or after the stream position whose level is at least
// `level` (the last record when none is); `level` becomes its level. The
// stream is left after that record's level line.
std::string findByLevel(std::istream& in, const std::string& path, float& level);
// Finds the first record whose name stands in `fullName` at `position`;
// returns the position after it and its blank, or `position` unchanged.
std::size_t findByName(std::istream& in, const std::string& path, const std::string& fullName,
                       std::size_t position);
}  // namespace item_scan

}  // namespace orv
