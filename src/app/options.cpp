// Command-line parsing and finding the content directory.
#include "app/options.h"

#include <filesystem>

namespace orv {

namespace fs = std::filesystem;

Options parseOptions(const std::vector<std::string>& arguments) {
    Options options;
    auto needValue = [&](std::size_t& i, const std::string& flag) -> std::optional<std::string> {
        if (i + 1 >= arguments.size()) {
            options.error = flag + " needs a value";
            return std::nullopt;
        }
        return arguments[++i];
    };
    for (std::size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--seed") {
            if (auto value = needValue(i, argument)) {
                try {
                    std::size_t used = 0;
                    const unsigned long seed = std::stoul(*value, &used);
                    if (used != value->size()) throw std::invalid_argument("trailing text");
                    options.seed = static_cast<unsigned>(seed);
                } catch (const std::exception&) {
                    options.error = "--seed needs a whole number, not \"" + *value + "\"";
                }
            }
        } else if (argument == "--data") {
            if (auto value = needValue(i, argument)) options.dataDirectory = *value;
        } else if (argument == "--saves") {
            if (auto value = needValue(i, argument)) {
                options.savesDirectory = *value;
                if (value->empty()) options.error = "--saves needs a folder";
            }
        } else if (argument == "--input") {
            if (auto value = needValue(i, argument)) options.inputFile = *value;
        } else if (argument == "--frames") {
            if (auto value = needValue(i, argument)) {
                if (*value == "all") options.allFrames = true;
                else if (*value != "typed") options.error = "--frames takes \"all\" or \"typed\"";
            }
        } else if (argument == "--headless") {
            options.headless = true;
        } else if (argument == "--check-data") {
            options.checkData = true;
        } else if (argument == "--check-save") {
            if (auto value = needValue(i, argument)) options.checkSaveFile = *value;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else {
            options.error = "unknown option \"" + argument + "\"";
        }
    }
    if (options.error.empty() && options.headless && options.inputFile.empty())
        options.error = "--headless needs --input FILE";
    return options;
}

std::string usageText() {
    return "Usage: orvantis [options]\n"
           "Play Orvantis in this terminal (80 x 53 or larger).\n"
           "\n"
           "  --seed N             seed the dice with N: the same seed and the same typed\n"
           "                       lines replay the same game\n"
           "  --data DIR           play from the content directory DIR\n"
           "  --saves DIR          keep the save slots in DIR\n"
           "  --headless --input FILE\n"
           "                       play the lines of FILE without a terminal and print\n"
           "                       the frame drawn for each line (53 lines of text each);\n"
           "                       a line \"#key NAME\" presses a key (space, escape, up...)\n"
           "  --frames all         with --headless: print every frame written,\n"
           "                       animations included\n"
           "  --check-data         check the content directory and report every problem\n"
           "  --check-save FILE    read a save slot (saves/1.txt...) as loading would and\n"
           "                       report every line it would skip or clamp\n"
           "  --help               show this help\n"
           "  --version            show the version\n"
           "\n"
           "Saved games live in $XDG_DATA_HOME/orvantis/saves/ (by default\n"
           "~/.local/share/orvantis/saves/), the script trace luaTrace.txt in\n"
           "$XDG_STATE_HOME/orvantis/ (~/.local/state/orvantis/), and the volumes set\n"
           "in the system menu in $XDG_CONFIG_HOME/orvantis/ (~/.config/orvantis/).\n";
}

std::string findContentDirectory(const Options& options, const std::string& programPath) {
    if (!options.dataDirectory.empty()) return options.dataDirectory;
    std::error_code error;
    // Found on the PATH, argv[0] is a bare name: the system knows the file.
    const bool bareName = programPath.find('/') == std::string::npos;
    const fs::path program = fs::canonical(bareName ? "/proc/self/exe" : programPath, error);
    if (!error) {
        const fs::path folder = program.parent_path();
        // Beside a build, or under the prefix it was installed to (the
        // program in P/games, its content in P/share/games/orvantis).
        for (const fs::path& candidate : {folder / "gamedata", folder.parent_path() / "gamedata",
                                          folder.parent_path() / "share" / "games" / "orvantis"}) {
            if (fs::is_directory(candidate, error)) return candidate.string();
        }
    }
#ifdef ORVANTIS_SOURCE_DATA
    if (fs::is_directory(ORVANTIS_SOURCE_DATA, error)) return ORVANTIS_SOURCE_DATA;
#endif
    return "gamedata";
}

}  // namespace orv
