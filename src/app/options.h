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
    std::string savesDirectory;  // empty: the player's own data folder
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
// beside the program, share/games/orvantis of the prefix it is installed in,
// or the source tree it was built from. `programPath` is how the program was
// started (argv[0]); one without a folder was found on the PATH, and the
// program's own file is asked of the system instead.
std::string findContentDirectory(const Options& options, const std::string& programPath);

}  // namespace orv
