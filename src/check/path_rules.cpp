// The content check's rule for names that become file paths: a lesson's
// pictures, a wave's portrait, a town's map and its unique place's picture,
// a quest scene's picture. The game never opens a name that leads outside
// its folder, so the check names each one where it is written.
#include <cctype>
#include <string>
#include <vector>

#include "check/data_checker.h"
#include "check/number_rules.h"
#include "core/paths.h"
#include "world/tutorial.h"

namespace orv {

namespace {

// A lesson's step marker ("_3"): the line after it names the step's picture.
bool isStepMarker(const std::string& line) {
    if (line.size() < 2 || line[0] != '_') return false;
    for (std::size_t i = 1; i < line.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
    return true;
}

bool has(const std::string& line, const char* key) { return line.find(key) != std::string::npos; }

}  // namespace

void DataChecker::checkPaths() {
    auto checkName = [this](const std::string& file, std::size_t index, const std::string& what,
                            const std::string& name) {
        if (!staysInContent(name))
            problem(file, int(index + 1),
                    what + " \"" + name + "\" climbs out of the game's folder with \"..\": the game never opens it");
    };
    // Each file is read only when it is there: a missing one is the other parts' to report.
    auto linesOf = [this](const std::string& file) {
        std::vector<std::string> lines;
        if (fileExists(file)) readLines(file, lines);
        return lines;
    };

    for (int lesson = 0; lesson < kLessonCount; ++lesson) {
        const std::string file = std::string("tutorial/") + lessonName(lesson) + ".txt";
        const std::vector<std::string> lines = linesOf(file);
        for (std::size_t i = 1; i < lines.size(); ++i)
            if (isStepMarker(lines[i - 1])) checkName(file, i, "the step's picture", lines[i]);
    }
    for (const std::string& file : textFilesIn("quorix")) {
        const std::vector<std::string> lines = linesOf(file);
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (has(lines[i], "WAVE_PORTRAIT:")) checkName(file, i, "the portrait", check::valueOf(lines[i]));
    }
    const std::string towns = "towns/towns.txt";
    const std::vector<std::string> townLines = linesOf(towns);
    for (std::size_t i = 0; i < townLines.size(); ++i)
        if (has(townLines[i], "MAP:") || has(townLines[i], "UNIQUE_M:"))
            checkName(towns, i, "the picture", check::valueOf(townLines[i]));
    for (const std::string& file : textFilesIn("quests")) {
        const std::vector<std::string> lines = linesOf(file);
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (has(lines[i], "QUEST_ROOM_MAP:")) checkName(file, i, "the scene's picture", check::valueOf(lines[i]));
    }
}

}  // namespace orv
