// The content checker: reading the content safely, the planet list, the
// spell file and the pictures drawn whole (title, opening story).
#include "check/data_checker.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "check/number_rules.h"
#include "core/paths.h"
#include "core/text.h"
#include "data/planet_table.h"

namespace orv {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kArtLineBuffer = 119;  // longer lines are cut and end the picture
constexpr std::size_t kArtRowsShown = 24;
constexpr std::size_t kScreenWidth = 80;
constexpr std::size_t kPlanetsShownByShip = 11;
constexpr std::size_t kLongestValue = 255;
// The ship's reader keeps 499 characters of a planet list line.
constexpr std::size_t kPlanetLineKept = 499;
// The longest file name the system takes, in bytes.
constexpr std::size_t kLongestFileName = 255;

// The opening story's animation: frames 24 to 56, a pause, then 80 to 102.
constexpr int kFirstIntroFrame = 24, kHeldIntroFrame = 56, kResumedIntroFrame = 80, kLastIntroFrame = 102;

const char* const kSpellFile = "spells/spells.txt";
const char* const kRequiredSpells[] = {"Fireball", "Lesser Healing", "Greater Healing",
                                       "Greater Heal-All"};
const std::set<std::string> kElements = {"Fire", "Ice", "Dark", "Light", "Normal"};
const std::set<std::string> kTargets = {"ENEMY", "ALLY", "PARTY", "YOU"};

// Spell ranks start at 1 and a hero stops at level 100, so no higher rank is
// ever learned; damage is power x the caster's magic; costs are paid from MP.
constexpr double kLowestSpellLevel = 1, kHighestSpellLevel = 100;
constexpr double kLargestSpellPower = 1000;
constexpr double kLargestSpellCost = 10000;

bool isNumber(const std::string& text) {
    if (text.empty()) return false;
    char* end = nullptr;
    std::strtod(text.c_str(), &end);
    return end && *end == '\0';
}

void dropCarriageReturn(std::string& line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

}  // namespace

DataChecker::DataChecker(fs::path contentDirectory) : root_(std::move(contentDirectory)) {}

// Reports quote what the files hold, which may be anything: bytes a
// terminal would act on are written out, and a runaway quote is cut.
std::string DataChecker::printable(const std::string& text) {
    constexpr std::size_t kLongestShown = 400;
    static const char kHex[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(std::min(text.size(), kLongestShown) + 8);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 32 && byte < 127) {
            shown += c;
        } else {
            const char escaped[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
            shown.append(escaped, 4);
        }
        if (shown.size() >= kLongestShown) return shown + "...";
    }
    return shown;
}

void DataChecker::problem(const std::string& file, int line, const std::string& message) {
    problems_.push_back({printable(file), line, printable(message)});
}

bool DataChecker::fileExists(const std::string& file) const {
    if (!staysInContent(file)) return false;
    std::error_code error;
    return fs::is_regular_file(root_ / file, error);
}

bool DataChecker::readText(const std::string& file, std::string& content) {
    currentFile_ = file;
    // The check reads only what the game would: nothing outside its folder.
    if (!staysInContent(file)) {
        problem(file, 0, "leads outside the game's folder and is never read");
        return false;
    }
    std::error_code error;
    const fs::path path = root_ / file;
    const fs::file_status status = fs::status(path, error);
    if (!fs::exists(status)) {
        // A name too long for the system, say, is an error of its own.
        problem(file, 0, error ? "missing or unreadable (" + error.message() + ")" : "missing or unreadable");
        return false;
    }
    if (status.type() != fs::file_type::regular) {
        problem(file, 0, "is not a file (a directory or something else stands in its place)");
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem(file, 0, "missing or unreadable");
        return false;
    }
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        problem(file, 0, "could not be read to the end");
        return false;
    }
    return true;
}

bool DataChecker::readLines(const std::string& file, std::vector<std::string>& lines) {
    std::string content;
    if (!readText(file, content)) return false;
    std::istringstream in(content);
    std::string line;
    while (std::getline(in, line)) {
        dropCarriageReturn(line);
        lines.push_back(line);
    }
    return true;
}

std::optional<std::string> DataChecker::fileNameProblem(const std::string& name) {
    if (name.empty()) return "an empty name names no file";
    // Its longest file is "dungeons\" + name + ".txt"; the name part is what must fit.
    if (name.size() + 4 > kLongestFileName)
        return "a name of " + toText(int(name.size())) + " bytes is too long for its files (\"" + name.substr(0, 20) +
               "...\" + \".txt\" is over " + toText(int(kLongestFileName)) + " bytes)";
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\') return "a name with a slash would point into another directory";
        if (byte < 32 || byte == 127) return "a control character cannot stand in a file name";
    }
    if (name == "." || name == "..") return "\"" + name + "\" names a directory, not a planet";
    return std::nullopt;
}

std::vector<std::string> DataChecker::textFilesIn(const std::string& folder) const {
    std::vector<std::string> files;
    std::error_code error;
    fs::directory_iterator entry(root_ / folder, error), end;
    for (; !error && entry != end; entry.increment(error))
        if (entry->path().extension() == ".txt") files.push_back(folder + "/" + entry->path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> DataChecker::listedPlanets() {
    std::vector<std::string> planets;
    std::error_code error;
    if (!fs::is_regular_file(root_ / "planets" / "Planet List.txt", error)) return planets;
    std::ifstream in(root_ / "planets" / "Planet List.txt", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        dropCarriageReturn(line);
        const std::size_t comma = line.find(',');
        if (comma == std::string::npos) continue;
        const std::string planet = line.substr(comma + 1);
        if (!fileNameProblem(planet)) planets.push_back(planet);
    }
    return planets;
}

// Every part of the check, in the order of CheckPart.
const DataChecker::Step DataChecker::kParts[] = {
    &DataChecker::checkPictures, &DataChecker::checkPlanetList, &DataChecker::checkSpells,
    &DataChecker::checkItems,    &DataChecker::checkCombat,     &DataChecker::checkWorld,
    &DataChecker::checkQuests,   &DataChecker::checkMinigame,   &DataChecker::checkLessons,
    &DataChecker::checkSidekick, &DataChecker::checkPaths};

std::vector<DataProblem> DataChecker::run() {
    problems_.clear();
    for (const Step step : kParts) runGuarded(step);
    return problems_;
}

std::vector<DataProblem> DataChecker::runPart(CheckPart part) {
    problems_.clear();
    runGuarded(kParts[static_cast<int>(part)]);
    return problems_;
}

// Whatever a hostile file does to one step, the others still run and the
// run still ends with a report.
void DataChecker::runGuarded(Step step) {
    currentFile_.clear();
    try {
        (this->*step)();
    } catch (const std::exception& error) {
        problem(currentFile_.empty() ? "." : currentFile_, 0,
                std::string("could not be checked to the end: ") + error.what());
    }
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

void DataChecker::checkPicture(const std::string& file, const std::string& what) {
    std::vector<std::string> lines;
    if (!readLines(file, lines)) {
        problems_.back().message += ": " + what;
        return;
    }
    std::size_t shown = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty()) {
            if (i + 1 < lines.size()) problem(file, int(i + 1), "empty line ends the picture early (use a space)");
            break;
        }
        ++shown;
        if (line.size() > kArtLineBuffer) {
            problem(file, int(i + 1),
                    "line of " + toText(int(line.size())) + " bytes is cut at 119 and ends the picture");
            break;
        }
        if (displayLength(line) > kScreenWidth) problem(file, int(i + 1), "line is wider than 80 columns");
    }
    if (shown == 0) problem(file, 1, what + " is empty");
    if (shown > kArtRowsShown)
        problem(file, int(kArtRowsShown + 1), "only the first 24 lines of a picture are shown");
}

void DataChecker::checkPictures() {
    checkPicture("art/splash.txt", "the title picture");
    for (int frame = kFirstIntroFrame; frame <= kLastIntroFrame; ++frame) {
        if (frame == kHeldIntroFrame + 1) frame = kResumedIntroFrame;
        checkPicture("art/animations/" + toText(frame) + ".txt",
                     "frame " + toText(frame) + " of the opening story's animation");
    }
    checkPicture("art/introstatic.txt", "the opening story's picture");
}

void DataChecker::checkPlanetList() {
    const std::string file = "planets/Planet List.txt";
    std::vector<std::string> lines;
    if (!readLines(file, lines)) return;
    std::set<std::string> stations, planets;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const int number = int(i + 1);
        if (line.size() > kPlanetLineKept)
            problem(file, number, "line of " + toText(int(line.size())) + " bytes: the ship keeps only 499 of it");
        const std::size_t comma = line.find(',');
        if (comma == std::string::npos) {
            problem(file, number, "no comma between station and orbited planet");
            continue;
        }
        const std::string station = line.substr(0, comma);
        const std::string planet = line.substr(comma + 1);
        if (station.empty()) problem(file, number, "empty station name");
        if (const auto why = fileNameProblem(planet)) problem(file, number, "planet name: " + *why);
        else if (questTableIndex(planet) < 0)
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
            else if (kFields[f].number)
                checkSpellNumber(int(f), value, number);
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

void DataChecker::checkSpellNumber(int field, const std::string& value, int line) {
    const double number = check::numberAsCReads(value).value_or(0);
    std::optional<std::string> why;
    if (field == 2)
        why = check::rangeProblem("level", value, number, kLowestSpellLevel, kHighestSpellLevel,
                                  "ranks start at 1, and no hero passes level 100 to learn a higher one");
    else if (field == 3)
        why = check::rangeProblem("power", value, number, -kLargestSpellPower, kLargestSpellPower,
                                  "a cast deals power x the caster's magic, and this much ends any fight at once");
    else if (field == 4)
        why = check::rangeProblem("MP cost", value, number, 0, kLargestSpellCost,
                                  "a negative cost gives MP with every cast, and a cost this large is never paid");
    if (why) problem(kSpellFile, line, *why);
}

}  // namespace orv
