// libFuzzer target for everything that reads text a player can edit or a
// script can return: data files through the keyed reader, tagged records,
// art files, messages and the frame composition, room and quest files laid
// out as a dungeon, and a town read from its files.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/game.h"
#include "data/record.h"
#include "data/simple_file.h"
#include "data/spell.h"
#include "platform/headless_console.h"
#include "world/map.h"
#include "world/quest_log.h"
#include "world/town.h"

namespace {

struct Workspace {
    Workspace() {
        const auto dir = std::filesystem::temp_directory_path() / "orvantis-fuzz";
        std::filesystem::create_directories(dir / "art");
        std::filesystem::create_directories(dir / "spells");
        std::filesystem::create_directories(dir / "dungeons");
        std::filesystem::create_directories(dir / "quests");
        std::filesystem::create_directories(dir / "towns");
        std::filesystem::current_path(dir);
    }
};

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Workspace workspace;
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    orv::HeadlessConsole console;
    orv::Game game(console);
    switch (data[0] % 6) {
        case 0: {  // the spell file, read by name and by the learning scan
            writeFile("spells/spells.txt", text);
            orv::Spell spell(text.substr(0, text.find('\n')));
            game.player.stats[orv::Magic] = 45;
            game.player.learnSpells(100);
            orv::SimpleFile file("spells/spells.txt");
            while (file.find(":", false) >= 0) file.readString();
            file.findBackward("SPELL", true);
            break;
        }
        case 1: {  // a record coming back from a script
            game.player.fromRecord(text);
            std::string record = text;
            while (!record.empty()) orv::nextField(record);
            break;
        }
        case 2:  // an art file
            writeFile("art/fuzz.txt", text);
            game.screen.loadArt("fuzz.txt", true);
            game.screen.loadArt("fuzz.txt", false);
            game.screen.render();
            break;
        case 4: {  // a dungeon's room file and its quest file, laid out
            const std::size_t half = text.size() / 2;
            writeFile("dungeons/Fuzzland.txt", text.substr(0, half));
            writeFile("quests/Fuzzland.txt", text.substr(half));
            orv::Map map(data[0] & 0x80);
            map.generate("Fuzzland", true);
            map.drawMap();
            orv::isQuestRoomActive("Fuzzland", "town");
            break;
        }
        case 5: {  // the towns file and a quest file, read by a town and a shop
            const std::size_t half = text.size() / 2;
            writeFile("towns/towns.txt", text.substr(0, half));
            writeFile("quests/Guelf.txt", text.substr(half));
            orv::Town town(nullptr, "Guelf");
            game.screen.clearFrame();
            town.Draw();
            game.screen.render();
            orv::destroyChain(town.subState());  // a scene the files started
            break;
        }
        default:  // text shown as messages and options
            game.screen.addMessage(text);
            game.screen.addMenuOption(text);
            game.screen.addArtLine(text);
            game.screen.render();
            break;
    }
    return 0;
}
