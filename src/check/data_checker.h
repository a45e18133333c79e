// `orvantis --check-data`: every rule the game's readers rely on, checked
// against a content directory, each problem reported with file and line.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace orv {

struct DataProblem {
    std::string file;  // relative to the content directory
    int line = 0;      // 1-based; 0 when the problem is the file as a whole
    std::string message;
};

class DataChecker {
public:
    explicit DataChecker(std::filesystem::path contentDirectory);

    std::vector<DataProblem> run();

    // Prints "file:line: message" per problem and a summary; returns the
    // process exit status (0 when all is well).
    static int report(const std::vector<DataProblem>& problems, std::ostream& out);

private:
    void checkSplashArt();
    void checkPlanetList();
    void checkSpells();
    void checkItems();
    void checkCombat();
    void checkWorld();
public:
    bool readLines(const std::string& file, std::vector<std::string>& lines);
    void problem(const std::string& file, int line, const std::string& message);
    const std::filesystem::path& root() const { return root_; }

private:

    std::filesystem::path root_;
    std::vector<DataProblem> problems_;
};

}  // namespace orv
