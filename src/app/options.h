// The command line: ours, for players and for testing (the game itself
// reads no configuration).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orv {

struct Options {
    std::optional<unsigned> seed;
    std::string dataDirectory;  // empty: find gamedata/ beside the program
    bool headless = false;
    std::string inputFile;
    bool allFrames = false;
    bool checkData = false;
    std::string checkSaveFile;  // --check-save FILE: report how a slot file would load
    bool help = false;
    bool version = false;
    std::string error;  // set when the command line could not be understood
};

Options parseOptions(const std::vector<std::string>& arguments);
std::string usageText();

// The content directory to play from: the one asked for, else gamedata/
// beside the program or in the source tree it was built from.
std::string findContentDirectory(const Options& options, const std::string& programPath);

}  // namespace orv
