// The content checker.
#include "check/data_checker.h"

#include <cstdlib>
#include <fstream>
#include <set>

#include "core/text.h"
#include "data/planet_table.h"

namespace orv {

namespace {

constexpr std::size_t kArtLineBuffer = 119;  // longer lines are cut and end the picture
constexpr std::size_t kArtRowsShown = 24;
constexpr std::size_t kPlanetsShownByShip = 11;
constexpr std::size_t kLongestValue = 255;

const char* const kSpellFile = "spells/spells.txt";
const char* const kRequiredSpells[] = {"Fireball", "Lesser Healing", "Greater Healing",
                                       "Greater Heal-All"};
const std::set<std::string> kElements = {"Fire", "Ice", "Dark", "Light", "Normal"};
const std::set<std::string> kTargets = {"ENEMY", "ALLY", "PARTY", "YOU"};

bool isNumber(const std::string& text) {
    if (text.empty()) return false;
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return end && *end == '\0';
}

}  // namespace

DataChecker::DataChecker(std::filesystem::path contentDirectory) : root_(std::move(contentDirectory)) {}

void DataChecker::problem(const std::string& file, int line, const std::string& message) {
    problems_.push_back({file, line, message});
}

bool DataChecker::readLines(const std::string& file, std::vector<std::string>& lines) {
    std::ifstream in(root_ / file, std::ios::binary);
    if (!in) {
        problem(file, 0, "missing or unreadable");
        return false;
    }
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return true;
}

std::vector<DataProblem> DataChecker::run() {
    problems_.clear();
    checkSplashArt();
    checkPlanetList();
    checkSpells();
    checkItems();
    checkCombat();
    checkWorld();
    return problems_;
}

int DataChecker::report(const std::vector<DataProblem>& problems, std::ostream& out) {
    for (const DataProblem& p : problems) {
        out << p.file;
        if (p.line > 0) out << ':' << p.line;
        out << ": " << p.message << '\n';
    }
    if (problems.empty()) {
        out << "Content checked: no problems found.\n";
        return 0;
    }
    out << problems.size() << (problems.size() == 1 ? " problem" : " problems") << " found.\n";
    return 1;
}

void DataChecker::checkSplashArt() {
    const std::string file = "art/splash.txt";
    std::vector<std::string> lines;
    if (!readLines(file, lines)) return;
    std::size_t shown = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) {
            if (i + 1 < lines.size()) problem(file, int(i + 1), "empty line ends the picture early (use a space)");
            break;
        }
        if (line.size() > kArtLineBuffer)
            problem(file, int(i + 1), "line of " + toText(int(line.size())) + " bytes is cut at 119 and ends the picture");
        if (displayLength(line) > 80)
            problem(file, int(i + 1), "line is wider than 80 columns");
        ++shown;
    }
    if (shown == 0) problem(file, 1, "the title picture is empty");
    if (shown > kArtRowsShown)
        problem(file, int(kArtRowsShown + 1), "only the first 24 lines of a picture are shown");
}

void DataChecker::checkPlanetList() {
    const std::string file = "planets/Planet List.txt";
    std::vector<std::string> lines;
    if (!readLines(file, lines)) return;
    std::set<std::string> stations, planets;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const int number = int(i + 1);
        const std::size_t comma = line.find(',');
        if (comma == std::string::npos) {
            problem(file, number, "no comma between station and orbited planet");
            continue;
        }
        const std::string station = line.substr(0, comma);
        const std::string planet = line.substr(comma + 1);
        if (station.empty()) problem(file, number, "empty station name");
        if (questTableIndex(planet) < 0)
            problem(file, number, "\"" + planet + "\" is not one of the eleven planets");
        if (!stations.insert(station).second) problem(file, number, "station \"" + station + "\" listed twice");
        if (!planets.insert(planet).second) problem(file, number, "planet \"" + planet + "\" listed twice");
    }
    if (lines.size() < kPlanetsShownByShip)
        problem(file, 0, "the ship shows 11 destinations but the list holds " + toText(int(lines.size())));
}

void DataChecker::checkSpells() {
    std::vector<std::string> lines;
    if (!readLines(kSpellFile, lines)) return;
    for (std::string& line : lines)
        if (!line.empty() && line.back() == '\r') line.pop_back();

    // Each record: the marker, then nine "label: value" lines in a fixed order.
    struct Field {
        const char* what;
        bool number;
    };
    static constexpr Field kFields[] = {{"name", false},        {"description", false},
                                        {"level", true},        {"power", true},
                                        {"MP cost", true},      {"battle only", false},
                                        {"element", false},     {"target", false},
                                        {"script", false}};
    std::set<std::string> required(std::begin(kRequiredSpells), std::end(kRequiredSpells));
    int records = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] != "SPELL_BEGIN") continue;
        ++records;
        std::string spellName;
        for (std::size_t f = 0; f < std::size(kFields); ++f) {
            const std::size_t at = i + 1 + f;
            const int number = int(at + 1);
            if (at >= lines.size() || lines[at] == "SPELL_BEGIN") {
                problem(kSpellFile, int(i + 1), std::string("record ends before its ") + kFields[f].what + " line");
                break;
            }
            const std::string& line = lines[at];
            const std::size_t colon = line.find(':');
            if (colon == std::string::npos || colon + 1 >= line.size() || line[colon + 1] != ' ') {
                problem(kSpellFile, number, std::string(kFields[f].what) + " line needs \"label: value\"");
                continue;
            }
            const std::string value = line.substr(colon + 2);
            if (value.size() > kLongestValue) problem(kSpellFile, number, "value longer than 255 characters");
            if (kFields[f].number && !isNumber(value))
                problem(kSpellFile, number, std::string(kFields[f].what) + " \"" + value + "\" is not a number");
            if (f == 0) {
                if (line.rfind("Name: ", 0) != 0) problem(kSpellFile, number, "name line must start with \"Name: \"");
                spellName = line.size() > 6 ? line.substr(6) : "";
            }
            if (f == 2 && line.rfind(" Level: ", 0) != 0)
                problem(kSpellFile, number, "level line must start with \" Level: \"");
            if (f == 6 && !kElements.count(value))
                problem(kSpellFile, number, "element \"" + value + "\" is none of Fire, Ice, Dark, Light, Normal");
            if (f == 7 && !kTargets.count(value))
                problem(kSpellFile, number, "target \"" + value + "\" is none of ENEMY, ALLY, PARTY, YOU");
        }
        if (spellName.empty()) continue;
        required.erase(spellName);
        // Spells are found by the first place their name's text appears.
        for (std::size_t earlier = 0; earlier <= i + 1 && earlier < lines.size(); ++earlier) {
            if (lines[earlier].find(spellName) == std::string::npos) continue;
            if (earlier != i + 1 || lines[earlier].find(spellName) != 6)
                problem(kSpellFile, int(earlier + 1),
                        "\"" + spellName + "\" appears here before its own record (line " + toText(int(i + 2)) +
                            "): the game would read the spell from here");
            break;
        }
    }
    if (records == 0) problem(kSpellFile, 0, "no SPELL_BEGIN records");
    for (const std::string& missing : required)
        problem(kSpellFile, 0, "the game needs the spell \"" + missing + "\"");
}

}  // namespace orv
