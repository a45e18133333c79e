// Orvantis: parse the command line, enter the content directory, and play
// in the terminal or headless from a script.
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "core/dice.h"
#include "app/check_save.h"
#include "app/game.h"
#include "app/options.h"
#include "app/run.h"
#include "check/data_checker.h"
#include "core/paths.h"
#include "core/state.h"
#include "platform/headless_console.h"
#include "platform/terminal_console.h"
#include "screens/splash.h"
#include "screens/sysmenu.h"

namespace {

// What the player is told once about their folders (old slots brought
// along, no home folder): shown over the title until the first typed line,
// which then goes to the title as usual.
class TitleNotice : public orv::State {
public:
    TitleNotice(orv::State* title, std::vector<std::string> notes) : State(title), notes_(std::move(notes)) {}
    void Draw() override {
        parent()->Draw();
        for (const std::string& note : notes_) orv::game().screen.addMessage(note);
    }
    void Update(const std::string& command) override {
        orv::State* title = parent();
        closeState();  // nothing of this notice may be touched from here on
        title->Update(command);
    }

private:
    std::vector<std::string> notes_;
};

int playFromTheTitle(orv::Game& game, const std::vector<std::string>& folderNotes) {
    orv::applyKeptVolumes(game.audio);
    int running = 1;
    auto* title = new orv::Splash(nullptr, &running);
    if (!folderNotes.empty()) title->setSubState(new TitleNotice(title, folderNotes));
    return orv::runChain(game, title, running);
}

int playHeadless(const orv::Options& options, const std::vector<std::string>& folderNotes) {
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
    return playFromTheTitle(game, folderNotes);
}

int playInTerminal(const std::vector<std::string>& folderNotes) {
    if (!orv::TerminalConsole::stdoutIsTerminal()) {
        std::cerr << "orvantis: standard output is not a terminal. Run it in a terminal of 80 x 53\n"
                     "or larger, or replay typed lines with --headless --input FILE.\n";
        return 2;
    }
    try {
        orv::TerminalConsole console;
        orv::Game game(console);
        game.audio.init(true);
        return playFromTheTitle(game, folderNotes);
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
    if (!resolved.savesDirectory.empty())
        resolved.savesDirectory = std::filesystem::absolute(resolved.savesDirectory).string();
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

    // The content is only read; what the player makes goes to their own folders.
    const auto environment = [](const char* name) { return std::getenv(name); };
    const std::vector<std::string> folderNotes =
        orv::settlePlayerFolders(environment, std::filesystem::current_path(error), resolved.savesDirectory);

    orv::seedDice(options.seed ? *options.seed : static_cast<unsigned>(std::time(nullptr)));
    return options.headless ? playHeadless(resolved, folderNotes) : playInTerminal(folderNotes);
}
