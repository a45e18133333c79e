// What `--check-save` prints about a slot.
#include "app/check_save.h"

#include <langinfo.h>

#include <cstring>
#include <fstream>
#include <iostream>

#include "app/game.h"
#include "core/text.h"
#include "data/planet_table.h"
#include "items/save_file.h"
#include "items/slot_file.h"
#include "platform/cp437.h"
#include "platform/headless_console.h"

namespace orv {

int reportSaveCheck(std::istream& slot, const std::string& fileName, std::ostream& out, bool unicode) {
    HeadlessConsole console;
    Game game(console);
    resetForLoad(game);
    const SaveReadResult read = readSave(slot, game);
    // Names and notes quote the slot's own bytes: shown as the game shows
    // them, never as raw code-page bytes a terminal cannot read.
    auto shown = [unicode](const std::string& text) { return cp437ToTerminalText(text, unicode); };
    // A note about the whole file (line 0) names the file alone.
    for (const SaveReadNote& note : read.notes) {
        out << fileName;
        if (note.line > 0) out << ":" << note.line;
        out << ": " << shown(note.text) << '\n';
    }
    out << read.lines << " lines: " << shown(game.player.name) << ", level " << toText(game.player.stats[Level])
        << ", " << game.player.inventory.size() << " items, " << game.player.money << " money, resumes at \""
        << shown(read.planet) << "\"";
    if (questTableIndex(read.planet) < 0) out << " (no such town: the first destination's inn instead)";
    out << '\n';
    if (read.notes.empty()) out << "Every line is read as written.\n";
    return read.notes.empty() ? 0 : 1;
}

int checkSave(const std::string& fileName) {
    // Opened as the load screen opens a slot: a folder, a pipe or a link is
    // named for what it is, never read (a pipe or /dev/zero would never end).
    SlotInput slot(fileName);
    if (slot.kind() == SlotInput::Kind::Missing) {
        std::cerr << "orvantis: cannot read the save file \"" << fileName << "\"\n";
        return 2;
    }
    if (slot.kind() == SlotInput::Kind::Unreadable) {
        std::cout << fileName << ": " << slot.problem() << "; the load screen shows it as unreadable and loads nothing\n";
        return 1;
    }
    // The same test the terminal screen makes: the locale set at start-up.
    const bool unicode = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    return reportSaveCheck(slot, fileName, std::cout, unicode);
}

}  // namespace orv
