// Orvantis: parse the command line, enter the content directory, and play
// in the terminal or headless from a script.
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "core/dice.h"
#include "app/check_save.h"
#include "app/game.h"
#include "app/options.h"
#include "app/run.h"
#include "check/data_checker.h"
#include "platform/headless_console.h"
#include "platform/terminal_console.h"

namespace {

int playHeadless(const orv::Options& options) {
    std::ifstream script(options.inputFile, std::ios::binary);
    if (!script) {
        std::cerr << "orvantis: cannot read the input file \"" << options.inputFile << "\"\n";
        return 2;
    }
    orv::HeadlessConsole console;
    console.loadScript(script);
    console.printFramesTo(&std::cout, options.allFrames ? orv::HeadlessConsole::FrameOutput::Every
                                                        : orv::HeadlessConsole::FrameOutput::PerTypedLine);
    orv::Game game(console);
    game.audio.init(false);  // a replay is silent, but tracks what would play
    return orv::runGame(game);
}

int playInTerminal() {
    if (!orv::TerminalConsole::stdoutIsTerminal()) {
        std::cerr << "orvantis: standard output is not a terminal. Run it in a terminal of 80 x 53\n"
                     "or larger, or replay typed lines with --headless --input FILE.\n";
        return 2;
    }
    try {
        orv::TerminalConsole console;
        orv::Game game(console);
        game.audio.init(true);
        return orv::runGame(game);
    } catch (const std::exception& error) {
        std::cerr << "orvantis: " << error.what() << '\n';
        return 2;
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    const orv::Options options = orv::parseOptions({argv + 1, argv + argc});
    if (!options.error.empty()) {
        std::cerr << "orvantis: " << options.error << "\n\n" << orv::usageText();
        return 2;
    }
    if (options.help) {
        std::cout << orv::usageText();
        return 0;
    }
    if (options.version) {
        std::cout << "orvantis " << ORVANTIS_VERSION << '\n';
        return 0;
    }

    // The input file is named relative to where the player stands, so find
    // it before moving into the content directory.
    orv::Options resolved = options;
    if (!resolved.inputFile.empty())
        resolved.inputFile = std::filesystem::absolute(resolved.inputFile).string();
    if (!resolved.checkSaveFile.empty())
        resolved.checkSaveFile = std::filesystem::absolute(resolved.checkSaveFile).string();
    // A file-size limit must make a save fail with a message, not end the game.
    std::signal(SIGXFSZ, SIG_IGN);

    const std::string content = orv::findContentDirectory(options, argv[0]);
    std::error_code error;
    std::filesystem::current_path(content, error);
    if (error) {
        std::cerr << "orvantis: cannot enter the content directory \"" << content << "\": " << error.message()
                  << '\n';
        return 2;
    }

    if (options.checkData) {
        orv::DataChecker checker(".");
        return orv::DataChecker::report(checker.run(), std::cout);
    }

    if (!resolved.checkSaveFile.empty()) return orv::checkSave(resolved.checkSaveFile);

    orv::seedDice(options.seed ? *options.seed : static_cast<unsigned>(std::time(nullptr)));
    return options.headless ? playHeadless(resolved) : playInTerminal();
}
