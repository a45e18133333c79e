// The content check's rules for the lessons and for the sidekick's faces
// and lines.
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "check/data_checker.h"
#include "core/screen.h"
#include "core/text.h"
#include "screens/sidetalk.h"
#include "world/tutorial.h"

namespace orv {

namespace {

constexpr std::size_t kFaceLines = 3;
// The face stands beside the statistics, from column 30 of the screen.
constexpr std::size_t kWidestFace = 50;
constexpr std::size_t kResponseLineKept = 299;

bool closesBlock(const std::string& line) { return !line.empty() && line[0] == ':'; }

// The step a marker line "_12" names; -1 for any other line.
int markerOf(const std::string& line) {
    if (line.size() < 2 || line.size() > 6 || line[0] != '_') return -1;
    for (std::size_t i = 1; i < line.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return -1;
    return std::stoi(line.substr(1));
}

// A step's explanation is told as one message; one taller than the message
// area is never seen whole.
std::optional<std::string> explanationTooTall(int step, const std::string& text) {
    const std::size_t rows = Screen::messageRows(text);
    if (rows <= std::size_t(kMessageRows)) return std::nullopt;
    return "step " + toText(step) + "'s explanation takes " + toText(long(rows)) + " of the " + toText(kMessageRows) +
           " rows of the message area (its blank row included): it could never be shown whole";
}

}  // namespace

// A lesson is read step by step: the reader finds a step by going from
// one "_" to the next, and each block runs to a line starting with ":".
void DataChecker::checkLessons() {
    for (int lesson = 0; lesson < kLessonCount; ++lesson) {
        const std::string file = std::string("tutorial/") + lessonName(lesson) + ".txt";
        std::vector<std::string> lines;
        if (!readLines(file, lines)) continue;
        const std::optional<float> count = lines.empty() ? std::nullopt : readNumber(lines[0]);
        if (!count || *count < 1 || *count != float(int(*count))) {
            problem(file, 1, "the first line must be the number of steps");
            continue;
        }
        const int steps = int(*count);
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].size() > kLongestLessonLine)
                problem(file, int(i + 1), "a line over " + toText(int(kLongestLessonLine)) +
                                              " characters is cut there: no message could show it whole");
        // The reader goes from one "_" to the next, wherever it stands.
        for (std::size_t i = 1; i < lines.size(); ++i)
            if (lines[i].find('_') != std::string::npos && markerOf(lines[i]) < 0)
                problem(file, int(i + 1), "\"_\" is kept for step markers: the reader would take this line for one");
        int markers = 0;
        std::size_t i = 1;
        while (i < lines.size()) {
            const int number = int(i + 1);
            if (markerOf(lines[i]) != markers + 1) {
                if (lines[i].find('_') == std::string::npos || markerOf(lines[i]) >= 0)
                    problem(file, number, "step " + toText(markers + 1) + "'s marker \"_" + toText(markers + 1) +
                                              "\" expected here");
                ++i;
                continue;
            }
            ++markers;
            ++i;
            // The picture line.
            if (i < lines.size()) {
                const std::string& picture = lines[i];
                if (!picture.empty() && picture != "~" && markerOf(picture) < 0)
                    checkPicture("art/tutorial/" + picture, "the picture of step " + toText(markers));
                ++i;
            }
            static const char* const kBlocks[] = {"options", "answer", "explanation"};
            for (const char* block : kBlocks) {
                std::string text;
                const std::size_t start = i;
                // Joined as the reader joins them: an empty line is a paragraph break.
                for (; i < lines.size() && !closesBlock(lines[i]) && markerOf(lines[i]) < 0; ++i)
                    text += lines[i].empty() ? "\n\n" : lines[i];
                if (i >= lines.size() || !closesBlock(lines[i])) {
                    problem(file, int(start + 1), "step " + toText(markers) + "'s " + block +
                                                      " must be closed by a line starting with \":\"");
                    break;
                }
                ++i;
                if (std::string(block) == "explanation")
                    if (const auto tooTall = explanationTooTall(markers, text)) problem(file, int(start + 1), *tooTall);
                if (std::string(block) != "answer" || markers == steps) continue;
                // The last step closes on any line, so its answer is never asked for.
                if (text == "0" || text == "+")
                    problem(file, int(start + 1),
                            "the answer \"" + text + "\" skips or repeats the lesson: it can never be given");
                for (const char c : text)
                    if (std::isupper(static_cast<unsigned char>(c))) {
                        problem(file, int(start + 1), "typed lines arrive in lower case: \"" + text +
                                                          "\" can never be given");
                        break;
                    }
            }
        }
        if (markers != steps)
            problem(file, 1, "the file says " + toText(steps) + " steps but holds " + toText(markers));
    }
}

void DataChecker::checkSidekick() {
    for (const char* name : kMoodFaces) {
        const std::string file = std::string("art/sidekick/") + name + ".txt";
        std::vector<std::string> lines;
        if (!readLines(file, lines)) continue;
        if (lines.size() < kFaceLines) problem(file, 0, "a face has three lines; this one has " + toText(int(lines.size())));
        for (std::size_t i = 0; i < lines.size() && i < kFaceLines; ++i)
            if (displayLength(lines[i]) > kWidestFace)
                problem(file, int(i + 1), "wider than the 50 columns beside the sidekick's statistics");
    }
    std::vector<std::string> files = {"sidekick/responses.txt"};
    for (const std::string& planet : listedPlanets()) files.push_back("sidekick/" + planet + ".txt");
    for (const std::string& file : files) {
        std::vector<std::string> lines;
        if (!readLines(file, lines)) continue;
        if (lines.empty()) problem(file, 0, "the sidekick has nothing to say: the file is empty");
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].empty()) problem(file, int(i + 1), "an empty line gives the sidekick nothing to say");
            if (lines[i].size() > kResponseLineKept)
                problem(file, int(i + 1), "a line over 299 characters is cut there and ends the file");
        }
    }
}

}  // namespace orv
