// The item files' rules: level order, the 256-character skips, name lines,
// names that can be taken apart again, and the byte-offset affix sections,
// checked by running the game's own reader.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "app/game.h"
#include "check/data_checker.h"
#include "check/number_rules.h"
#include "core/text.h"
#include "items/item.h"
#include "platform/headless_console.h"

namespace orv {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kSkipLimit = 256;
constexpr int kLowestSearchedLevel = -20;
constexpr int kHighestWantedLevel = 100;
// Money is an int: the dearest shop price (level x level x 75 for equipment
// with two affixes) stays far enough below its limit that a player can sell
// a shopful of such items and still count the money.
constexpr double kDearestPrice = 10'000'000;
// Levels beyond this are typing slips; heroes stop at level 100.
constexpr double kHighestItemLevel = 1000;
// Bonuses are rolled up to 2.2 times and added to the wearer's statistics.
constexpr double kLargestBonus = 10000;

struct ItemRecord {
    int line = 0;  // the name line
    std::string name;
    std::vector<std::pair<int, std::string>> values;  // line number and value of each later line
};

struct ItemFile {
    std::string path;  // relative to the content directory
    std::string content;
    std::vector<ItemRecord> records;
};

// What each file's records hold after the name line.
struct Layout {
    std::vector<bool> numeric;  // per later line: a number?
};

// What a shop asks per level squared at most: equipment with both affixes
// costs the most; affix files price nothing by themselves.
double dearestPriceFactor(const std::string& file) {
    if (file == "hp.txt" || file == "mp.txt") return 5;
    if (file == "hybrid.txt") return 10;
    if (file == "prefix.txt" || file == "suffix.txt") return 0;
    return 75;
}

Layout layoutOf(const std::string& file) {
    if (file == "boots.txt") return {{true, false, true, true}};
    if (file == "shields.txt" || file == "headgear.txt" || file == "guns.txt" || file == "swords.txt" ||
        file == "staffs.txt")
        return {{true, false, true}};
    if (file == "hp.txt" || file == "mp.txt" || file == "hybrid.txt") return {{true, false}};
    return {{true, false}};  // prefix and suffix: level and a word
}

bool isNumber(const std::string& text) {
    std::istringstream in(text);
    float value;
    return static_cast<bool>(in >> value);
}

std::string gamePathOf(const std::string& relative) {
    std::string path = relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

class ItemChecker {
public:
    explicit ItemChecker(DataChecker& checker) : checker_(checker) {}

    void run() {
        std::vector<ItemFile> bases;
        for (const char* gamePath : kItemBaseFiles) {
            ItemFile file;
            if (load(gamePath, file)) bases.push_back(std::move(file));
        }
        ItemFile prefixes, suffixes;
        const bool havePrefixes = load(kPrefixFile, prefixes);
        const bool haveSuffixes = load(kSuffixFile, suffixes);
        for (const ItemFile& file : bases) checkLevelOrder(file, file.records, "");
        if (havePrefixes) checkSections(prefixes, {"fire", "ice", "light", "dark", "normal"}, false);
        if (haveSuffixes) checkSections(suffixes, {"Attack", "Defense", "Hp", "Mp", "Magic", "Speed"}, true);
        checkNames(bases, havePrefixes ? &prefixes : nullptr, haveSuffixes ? &suffixes : nullptr);
    }

private:
    std::string relative(const std::string& gamePath) {
        std::string path = gamePath;
        std::replace(path.begin(), path.end(), '\\', '/');
        return path;
    }

    bool load(const std::string& gamePath, ItemFile& file) {
        file.path = relative(gamePath);
        if (!checker_.readText(file.path, file.content)) return false;
        parse(file);
        return true;
    }

    // Splits the file into records and checks each line against the skips.
    void parse(ItemFile& file) {
        const std::string fileName = fs::path(file.path).filename().string();
        const Layout layout = layoutOf(fileName);
        std::istringstream in(file.content);
        std::string line;
        int number = 0;
        std::size_t offset = 0, lastReadEnd = 0;
        ItemRecord* current = nullptr;
        while (std::getline(in, line)) {
            ++number;
            const std::size_t lineStart = offset;
            offset += line.size() + 1;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::size_t colon = line.find(':');
            const std::size_t underscore = line.find('_');
            const bool stillExpected = current && current->values.size() < layout.numeric.size();
            if (stillExpected && underscore != std::string::npos && (colon == std::string::npos || underscore < colon)) {
                checker_.problem(file.path, number,
                                 "an underscore before the colon of a later line: the reader would take it for a "
                                 "name line");
            } else if (underscore != std::string::npos && colon != std::string::npos && underscore < colon) {
                if (lineStart + underscore - lastReadEnd >= kSkipLimit)
                    checker_.problem(file.path, number, "more than 256 characters before this record's \"_\"");
                if (colon - underscore >= kSkipLimit)
                    checker_.problem(file.path, number, "more than 256 characters from \"_\" to \":\"");
                file.records.push_back({number, valueOf(line, colon), {}});
                current = &file.records.back();
                lastReadEnd = offset;
                continue;
            }
            if (!current) {
                if (!line.empty()) checker_.problem(file.path, number, "text before the first record");
                continue;
            }
            if (underscore != std::string::npos && !stillExpected)
                checker_.problem(file.path, number, "an underscore in a record's text would be taken for a name line");
            if (colon == std::string::npos) {
                if (!line.empty()) checker_.problem(file.path, number, "line without \"label: value\"");
                continue;
            }
            const std::size_t field = current->values.size();
            if (field < layout.numeric.size() && lineStart + colon - lastReadEnd >= kSkipLimit)
                checker_.problem(file.path, number, "more than 256 characters to this line's \":\"");
            if (colon + 1 >= line.size() || line[colon + 1] != ' ')
                checker_.problem(file.path, number, "needs one blank after the colon");
            const std::string value = valueOf(line, colon);
            if (field < layout.numeric.size() && layout.numeric[field]) {
                if (!isNumber(value)) checker_.problem(file.path, number, "\"" + value + "\" is not a number");
                else checkNumber(file.path, fileName, field, value, number);
            }
            current->values.push_back({number, value});
            if (field < layout.numeric.size()) lastReadEnd = offset;
        }
        for (const ItemRecord& record : file.records)
            if (record.values.size() < layout.numeric.size())
                checker_.problem(file.path, record.line, "record \"" + record.name + "\" is missing lines");
        if (file.records.empty()) checker_.problem(file.path, 0, "no records");
    }

    void checkNumber(const std::string& path, const std::string& fileName, std::size_t field,
                     const std::string& value, int line) {
        const double number = *check::numberAsStreamReads(value);
        if (field != 0) {
            if (auto why = check::rangeProblem("bonus", value, number, -kLargestBonus, kLargestBonus,
                                               "it is rolled up to 2.2 times onto the wearer's statistics"))
                checker_.problem(path, line, *why);
            return;
        }
        if (auto why = check::rangeProblem("level", value, number, 0, kHighestItemLevel,
                                           "a potion's strength and a shop's price grow with the level"))
            checker_.problem(path, line, *why);
        else if (number * number * dearestPriceFactor(fileName) > kDearestPrice)
            checker_.problem(path, line,
                             "level \"" + value + "\" prices the item at " +
                                 toText(static_cast<long>(number * number * dearestPriceFactor(fileName))) +
                                 ", beyond the 10000000 a shop may ask without the player's money overflowing");
    }

    static std::string valueOf(const std::string& line, std::size_t colon) {
        return colon + 2 <= line.size() ? line.substr(colon + 2) : "";
    }

    static float levelOf(const ItemRecord& record) {
        return record.values.empty() ? 0 : static_cast<float>(std::atof(record.values[0].second.c_str()));
    }

    void checkLevelOrder(const ItemFile& file, const std::vector<const ItemRecord*>& records, const std::string& what) {
        for (std::size_t i = 1; i < records.size(); ++i) {
            if (levelOf(*records[i]) < levelOf(*records[i - 1]))
                checker_.problem(file.path, records[i]->values.empty() ? records[i]->line : records[i]->values[0].first,
                                 what + "level " + toText(levelOf(*records[i])) + " comes after level " +
                                     toText(levelOf(*records[i - 1])) + ": records must rise in level");
        }
        if (!records.empty() && levelOf(*records.back()) < kHighestWantedLevel)
            checker_.problem(file.path, records.back()->line,
                             what + "records end at level " + toText(levelOf(*records.back())) +
                                 ": levels up to 100 would find no fitting record");
    }

    void checkLevelOrder(const ItemFile& file, const std::vector<ItemRecord>& records, const std::string& what) {
        std::vector<const ItemRecord*> pointers;
        for (const ItemRecord& record : records) pointers.push_back(&record);
        checkLevelOrder(file, pointers, what);
    }

    // Runs the game's search from every section's seek point for every level.
    void checkSections(const ItemFile& file, const std::vector<std::string>& words, bool suffix) {
        std::map<std::string, std::size_t> sectionOf;
        std::vector<std::vector<const ItemRecord*>> sections(words.size());
        for (std::size_t s = 0; s < words.size(); ++s) {
            std::vector<const ItemRecord*> section;
            for (const ItemRecord& record : file.records) {
                const std::string word = record.values.size() > 1 ? record.values[1].second : "";
                const bool belongs = s + 1 == words.size()
                                         ? std::find(words.begin(), words.end() - 1, word) == words.end() - 1
                                         : word == words[s];
                if (!belongs) continue;
                section.push_back(&record);
                if (!sectionOf.emplace(record.name, s).second)
                    checker_.problem(file.path, record.line, "\"" + record.name + "\" is named twice");
            }
            checkLevelOrder(file, section, words[s] + " section: ");
            sections[s] = section;
        }
        const std::streamoff length = static_cast<std::streamoff>(file.content.size());
        HeadlessConsole console;
        Game scratch(console);
        std::istringstream in(file.content);
        for (std::size_t s = 0; s < words.size(); ++s) {
            const std::streamoff seek = affixSectionOffset(length, suffix, int(s));
            for (int level = kLowestSearchedLevel; level <= kHighestWantedLevel + 10; ++level) {
                in.clear();
                in.seekg(seek);
                float found = static_cast<float>(level);
                const std::string name = item_scan::findByLevel(in, gamePathOf(file.path), found);
                // What a search from the section's own first record finds.
                const ItemRecord* expected = sections[s].empty() ? nullptr : sections[s].back();
                for (const ItemRecord* record : sections[s])
                    if (levelOf(*record) >= float(level)) {
                        expected = record;
                        break;
                    }
                if (expected && name == expected->name) continue;
                const auto where = sectionOf.find(name);
                const bool inside = where != sectionOf.end() && where->second == s;
                checker_.problem(file.path, 0,
                                 "the " + words[s] + " section, searched for level " + toText(level) + " (from byte " +
                                     toText(long(seek)) + ") finds \"" + name + "\"" +
                                     (inside ? ", skipping the start of its section" : ", outside its section"));
                break;
            }
        }
    }

    void checkNames(const std::vector<ItemFile>& bases, const ItemFile* prefixes, const ItemFile* suffixes) {
        struct Named {
            const ItemFile* file;
            const ItemRecord* record;
        };
        std::vector<Named> baseNames, prefixNames, suffixNames;
        for (const ItemFile& file : bases)
            for (const ItemRecord& record : file.records) baseNames.push_back({&file, &record});
        if (prefixes)
            for (const ItemRecord& record : prefixes->records) prefixNames.push_back({prefixes, &record});
        if (suffixes)
            for (const ItemRecord& record : suffixes->records) suffixNames.push_back({suffixes, &record});

        auto titleCase = [&](const std::vector<Named>& names) {
            for (const Named& n : names)
                if (n.record->name.empty() || capitalizeWords(lowercase(n.record->name)) != n.record->name)
                    checker_.problem(n.file->path, n.record->line,
                                     "\"" + n.record->name + "\" is not written the way names are capitalised, "
                                     "so an item of that name could not be found again");
        };
        // A name that is the start of another is found first and splits the longer one wrongly.
        auto startsOf = [&](const std::vector<Named>& shorter, const std::vector<Named>& longer, const char* what) {
            for (const Named& s : shorter)
                for (const Named& l : longer) {
                    if (s.record == l.record || s.record->name.empty()) continue;
                    if (l.record->name.compare(0, s.record->name.size(), s.record->name) == 0)
                        checker_.problem(l.file->path, l.record->line,
                                         "\"" + l.record->name + "\" begins with the " + what + " \"" +
                                             s.record->name + "\" (" + s.file->path + ":" +
                                             toText(s.record->line) + ")");
                }
        };
        titleCase(baseNames);
        titleCase(prefixNames);
        titleCase(suffixNames);
        startsOf(prefixNames, baseNames, "prefix");
        startsOf(prefixNames, prefixNames, "prefix");
        startsOf(baseNames, baseNames, "item name");
        startsOf(suffixNames, suffixNames, "suffix");
    }

    DataChecker& checker_;
};

}  // namespace

void DataChecker::checkItems() { ItemChecker(*this).run(); }

}  // namespace orv
