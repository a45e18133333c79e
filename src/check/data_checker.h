// `orvantis --check-data`: every rule the game's readers rely on, checked
// against a content directory, each problem reported with file and line.
// The content may be anything a player wrote or was handed, so the checker
// itself never gives up on it: whatever it cannot read becomes a problem.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace orv {

struct DataProblem {
    std::string file;  // relative to the content directory
    int line = 0;      // 1-based; 0 when the problem is the file as a whole
    std::string message;
};

// The parts of the check that can run alone (the fuzzer runs one at a time).
enum class CheckPart { Pictures, PlanetList, Spells, Items, Combat, World, Quests, Minigame, Lessons, Sidekick, Paths };

class DataChecker {
public:
    explicit DataChecker(std::filesystem::path contentDirectory);

    std::vector<DataProblem> run();
    std::vector<DataProblem> runPart(CheckPart part);

    // Prints "file:line: message" per problem and a summary; returns the
    // process exit status (0 when all is well).
    static int report(const std::vector<DataProblem>& problems, std::ostream& out);

    // The file's lines (a carriage return before each line end removed);
    // false, with the problem reported, when it is missing, not a file or
    // unreadable.
    bool readLines(const std::string& file, std::vector<std::string>& lines);
    // The file's bytes, as readLines.
    bool readText(const std::string& file, std::string& content);
    // Whether the file is there as a readable file; never throws, whatever
    // the name.
    bool fileExists(const std::string& file) const;
    // The ".txt" files of a folder of the content, sorted ("quests/Guelf.txt");
    // none when the folder is missing or cannot be listed.
    std::vector<std::string> textFilesIn(const std::string& folder) const;
    // The planets named by the planet list that can also name files (the
    // others are reported at their line of the list).
    std::vector<std::string> listedPlanets();

    void problem(const std::string& file, int line, const std::string& message);
    const std::filesystem::path& root() const { return root_; }

    // Why a planet's name cannot be part of a file name ("monsters\" + name
    // + ".txt"), or nothing when it can.
    static std::optional<std::string> fileNameProblem(const std::string& name);
    // The text with every byte outside plain ASCII written as \xNN, cut
    // when it runs long.
    static std::string printable(const std::string& text);

    // A whole picture drawn with the art reader: it must be there, and
    // every line must reach the screen and fit on it.
    void checkPicture(const std::string& file, const std::string& what);

private:
    using Step = void (DataChecker::*)();
    static const Step kParts[];
    void runGuarded(Step step);
    void checkPlanetList();
    void checkSpells();
    void checkSpellNumber(int field, const std::string& value, int line);
    void checkItems();
    void checkCombat();
    void checkWorld();
    void checkQuests();
    void checkPictures();
    void checkMinigame();
    void checkLessons();
    void checkSidekick();
    void checkPaths();

    std::filesystem::path root_;
    std::vector<DataProblem> problems_;
    std::string currentFile_;  // the file being read, named if a check fails midway
};

}  // namespace orv
