// libFuzzer target for everything that reads text a player can edit or a
// script can return: data files through the keyed reader, tagged records,
// art files, messages and the frame composition, room and quest files laid
// out as a dungeon, a town read from its files, the item files, the monster
// and boss files, the planet list, the content check run over a small
// content directory with one of its files replaced by the input, and a save
// slot as the load screen and the slot lists read it, and a lesson file
// played through beside the sidekick's lines.
//
// The first byte picks the area (byte % 13); the item and check areas take
// a second byte to pick the file. Set ORVANTIS_FUZZ_AREA=n to hold every
// input to area n (for a long run of one area); the executions each area
// received are printed when the run ends.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "app/game.h"
#include "check/data_checker.h"
#include "minigame/engine.h"
#include "combat/monster.h"
#include "core/dice.h"
#include "core/text.h"
#include "data/record.h"
#include "data/simple_file.h"
#include "data/spell.h"
#include "items/item.h"
#include "items/item_files.h"
#include "items/save_file.h"
#include "platform/headless_console.h"
#include "screens/sidetalk.h"
#include "world/map.h"
#include "world/quest_log.h"
#include "world/spaceship.h"
#include "world/town.h"
#include "world/tutorial.h"

namespace {

namespace fs = std::filesystem;

constexpr int kAreas = 13;
const char* const kAreaNames[kAreas] = {"spell file",   "script record", "art file",      "messages",
                                        "room files",   "town",          "item files",    "monster files",
                                        "planet list",  "content check", "save slot", "mission file",
                                        "lesson file"};
long executions[kAreas] = {};
// Whether the planet list is the save slot area's own (the planet list area
// writes anything there).
bool ownPlanetList = false;

void writeFile(const fs::path& path, const std::string& content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void printExecutions() {
    for (int area = 0; area < kAreas; ++area)
        if (executions[area] > 0) std::fprintf(stderr, "area %d (%s): %ld executions\n", area, kAreaNames[area], executions[area]);
}

// A small content directory for the check: one planet, short files. It
// need not be clean; the check must only come through it whole.
const char* const kCheckFiles[][2] = {
    {"planets/Planet List.txt", "Customs Bastion,Guelf\n"},
    {"spells/spells.txt",
     "SPELL_BEGIN\nName: Fireball\nDescription: hot\n Level: 1\nPower: 2\nMP Cost: 20\nBattle Only: No\n"
     "Element: Fire\nTarget: ENEMY\nScript: None\n"},
    {"items/swords.txt", "_Name: Stick\nLevel: 1\nDescription: a stick\nAttack: 2\n"
                         "_Name: Long Stick\nLevel: 120\nDescription: longer\nAttack: 90\n"},
    {"items/prefix.txt", "_Name: Sooty\nLevel: 1\nElement: fire\n_Name: Frosty\nLevel: 1\nElement: ice\n"},
    {"items/suffix.txt", "_Name: of Might\nLevel: 1\nKind: Attack\n_Name: of Walls\nLevel: 1\nKind: Defense\n"},
    {"monsters/Guelf.txt",
     "MONSTER_BEGIN\nName: Bog Clerk\nType: None\nPlanet: Guelf\nDescription: d\nFire: 100\nIce: 100\n"
     "Light: 150\nDark: 50\nEther: 100\nSpeed: 12\nAttack: 6\nMagic: 4\nLowDef: 9\nMidDef: 9\nHighDef: 9\n"
     "Lower: shoes\nMiddle: coat\nUpper: visor\nWeapon: stamp\nWeaponType: staff\n"},
    {"monsters/Bosses.txt",
     "MONSTER_BEGIN\nName: Queen\nType: None\nPlanet: Guelf\nDescription: d\nFire: 100\nIce: 100\n"
     "Light: 100\nDark: 100\nEther: 100\nSpeed: 12\nAttack: 6\nMagic: 4\nLowDef: 9\nMidDef: 9\nHighDef: 9\n"
     "Lower: legs\nMiddle: body\nUpper: head\nWeapon: teeth\nWeaponType: claw\n"},
    {"quests/Guelf.txt",
     "ROOM_BEGIN\nNAME:Vault\nDESC:A vault.\nQUEST_ITEM_MENU_OPTION:Open\nROOM_END\nBEGIN_QUEST:1\n"
     "BEGIN_STATE:1\nLOCATION_NAME:Vault\nBEGIN_QUEST_ROOM:1\nQUEST_ROOM_MAP:vault.txt\n"
     "QUEST_ROOM_BOSS_BATTLE:Queen\nQUEST_ROOM_GET_MONEY:300\nEND_QUEST_ROOM\nEND_STATE:\nEND_QUEST:\n"},
    {"dungeons/Guelf.txt", "ROOM_BEGIN\nNAME:Gate\nDESC:A gate.\nLOOK:a gate\nROOM_END\n"},
    {"towns/towns.txt", "Guelf\nMAP:guelf.txt\nUNIQUE_N:Archive\nUNIQUE_M:archive.txt\nTOWN_END:\n"},
    {"art/splash.txt", "  ORVANTIS\n"},
    {"art/introstatic.txt", "  *  .  *\n"},
    {"scripts/spell_cast.lua", "SpellEffects = {}\nfunction SpellCast() end\n"},
    {"scripts/enemy_ai.lua", "MonsterActions = {}\nfunction MonsterAI() end\n"},
    {"quorix/level_1.txt",
     "LEVEL_BEGIN:1\n# note\nWAVE_BEGIN:1\nWAVE_WAIT_AFTER:10\nWAVE_PORTRAIT:p\nGROUP_BEGIN:\n"
     "GROUP_SHIP_NUMBER:2\nGROUP_END:\nSTART_AI:\nAI_MOVE:9\nEND_AI:\nEND_AI_SET:\nWAVE_END:\nEND_ALL_WAVES:\n"
     "BOSS_BEGIN:\nREAD_BOSS_STATS:\nBOSS_HEALTH:100\nBEGIN_FIRING_LOCATIONS:\n# note\nFIRING_X:0\n"
     "FIRING_Y:1\nEND_FIRING_LOCATIONS:\nBEGIN_AI_SET:\nAI_AFTER_TIMER:50\nAI_FIRING_LOCATION:0\nEND_AI:\n"
     "END_AI_SET:\nBOSS_END:\n"},
};
constexpr std::size_t kCheckFileCount = std::size(kCheckFiles);

struct Workspace {
    fs::path dir;
    orv::DiskItemFiles diskItems;  // the input changes under the same name every run
    Workspace() {
        // One directory per process, so parallel runs never share files.
        dir = fs::temp_directory_path() / ("orvantis-fuzz-" + std::to_string(getpid()));
        for (const char* folder : {"art", "spells", "dungeons", "quests", "towns", "monsters", "planets", "quorix"})
            fs::create_directories(dir / folder);
        fs::copy(fs::path(ORVANTIS_SOURCE_DATA) / "items", dir / "items", fs::copy_options::recursive |
                                                                              fs::copy_options::overwrite_existing);
        for (const auto& [file, text] : kCheckFiles) writeFile(dir / "check" / file, text);
        fs::current_path(dir);
        orv::setItemFileSource(&diskItems);
        if (const char* area = std::getenv("ORVANTIS_FUZZ_AREA")) pinnedArea = std::atoi(area) % kAreas;
        std::atexit(printExecutions);
    }
    int pinnedArea = -1;
};

void fuzzItems(std::uint8_t selector, const std::string& text) {
    // Every item file in turn; the others stay the game's own.
    const char* const files[] = {"boots.txt", "shields.txt", "headgear.txt", "guns.txt",   "swords.txt", "staffs.txt",
                                 "hp.txt",    "mp.txt",      "hybrid.txt",   "prefix.txt", "suffix.txt"};
    const fs::path file = fs::path("items") / files[selector % std::size(files)];
    const std::string original = readFile(file);
    writeFile(file, text);
    orv::seedDice(selector);
    for (int level : {-3, 1, 5, 40, 130}) {
        auto item = orv::Item::random(level);
        item->price = item->shopPrice();
        orv::Item::random(level, selector % orv::ItemTypeCount);
    }
    // A name made of the input's first line, and one the files hold.
    orv::Item::fromName(text.substr(0, text.find('\n')));
    orv::Item::fromName("sooty work boots of might");
    writeFile(file, original);
}

void fuzzMonsters(std::uint8_t selector, const std::string& text) {
    const std::size_t half = text.size() / 2;
    writeFile("monsters/Fuzzland.txt", text.substr(0, half));
    writeFile("monsters/All Planets.txt", text.substr(half));
    writeFile("monsters/Bosses.txt", text);
    orv::seedDice(selector);
    for (int draw = 0; draw < 13; ++draw) {
        orv::Monster monster = orv::Monster::random(draw * 7, "Fuzzland");
        monster.fromRecord(monster.toRecord());
    }
    const std::size_t name = text.find("Name: ");
    const std::string boss = name == std::string::npos ? text : text.substr(name + 6, text.find('\n', name) - name - 6);
    orv::Monster::boss(boss, 93);
    orv::Monster::boss("Nobody", 3);
}

void fuzzPlanetList(orv::Game& game, const std::string& text) {
    writeFile("planets/Planet List.txt", text);
    ownPlanetList = false;
    game.player.resetGame();
    orv::planetIndexOf(text.substr(0, text.find('\n')));
    orv::planetIndexOf("Guelf");
    for (auto& planet : game.player.planets) planet.unlocked = true;
    orv::Spaceship ship(nullptr, "");
    game.screen.clearFrame();
    ship.Draw();
    game.screen.render();
    orv::destroyChain(ship.subState());
}

// The part of the check that reads each of those files.
constexpr orv::CheckPart kCheckPartOf[] = {
    orv::CheckPart::PlanetList, orv::CheckPart::Spells, orv::CheckPart::Items,  orv::CheckPart::Items,
    orv::CheckPart::Items,      orv::CheckPart::Combat, orv::CheckPart::Combat, orv::CheckPart::Quests,
    orv::CheckPart::World,      orv::CheckPart::World,  orv::CheckPart::Pictures, orv::CheckPart::Pictures,
    orv::CheckPart::Combat,     orv::CheckPart::Combat,   orv::CheckPart::Minigame,
};
static_assert(std::size(kCheckPartOf) == kCheckFileCount);

// One file of a small content directory replaced by the input, then the part
// of the check that reads it (every part, one input in sixteen).
void fuzzCheck(std::uint8_t selector, const std::string& text) {
    const char* file = kCheckFiles[selector % kCheckFileCount][0];
    writeFile(fs::path("check") / file, text);
    std::ostringstream out;
    orv::DataChecker checker("check");
    orv::DataChecker::report(selector % 16 == 0 ? checker.run() : checker.runPart(kCheckPartOf[selector % kCheckFileCount]), out);
    writeFile(fs::path("check") / file, kCheckFiles[selector % kCheckFileCount][1]);
}

// A save slot: its header for the slot lists, then the whole slot read into
// a reset game, and that game saved and read once more, so the writer meets
// whatever a hand-edited slot let into the game.
void fuzzSaveSlot(orv::Game& game, orv::ItemFileSource& diskItems, const std::string& text) {
    // The planet list bounds the SHIP lines.
    if (!ownPlanetList)
        writeFile("planets/Planet List.txt", "Customs Bastion,Guelf\nRelay Nine,Pellum\nThe Abominable,Void\n");
    ownPlanetList = true;
    // Items are rebuilt from their names; the item files are the game's own
    // here, so they are read once rather than for every item.
    static orv::CachedItemFiles cachedItems;
    orv::setItemFileSource(&cachedItems);
    writeFile("saves/1.txt", text);
    orv::slotHeader("saves\\1.txt");
    orv::resetForLoad(game);
    std::istringstream slot(text);
    const orv::SaveReadResult read = orv::readSave(slot, game);
    std::istringstream again(orv::saveText(game, read.planet));
    orv::resetForLoad(game);
    orv::readSave(again, game);
    orv::setItemFileSource(&diskItems);
}

// A mission file: its waves read one after another as a mission does, its
// boss with them, and a few seconds of the mission flown with every weapon.
// Every sixth frame the field is swept clear, so the next wave is read
// without flying it down: what is under test is the file, and sixty frames
// reach ten waves and the boss.
void fuzzMission(orv::Game& game, const std::string& text) {
    writeFile("quorix/level_1.txt", text);
    static orv::MissionState state;
    orv::Mission mission(state, game.screen, &game.player);
    mission.begin(1, "Fuzz");
    orv::HeldKeys keys;
    keys.fire = true;
    for (int frame = 0; frame < 60 && !state.won && !state.lost; ++frame) {
        state.primaryWeapon = frame / 12 % 5;
        state.secondaryWeapon = 5 + frame / 6 % 6;
        keys.bomb = frame % 25 == 0;
        mission.fireWeapons(keys);
        mission.moveAndDraw(keys, orv::FrameMode::Play);
        if (frame % 6 == 5) {
            for (auto& enemy : state.enemies) enemy = orv::Enemy{};
            state.liveEnemies = 0;
        }
        // No waits: the next wave comes as soon as the field is clear.
        state.level.waveWait = 0;
        mission.afterFrame(false);
    }
}

// A screen for a lesson to lie over; it draws nothing of its own.
struct LessonOpener : orv::State {
    LessonOpener() : State(nullptr) {}
    void Draw() override {}
    void Update(const std::string&) override {}
};

// The input as a lesson, answered with its own lines (so written answers
// are met as often as wrong ones), and as the sidekick's lines.
void fuzzLesson(orv::Game& game, const std::string& text) {
    writeFile("tutorial/shop.txt", text);
    writeFile("sidekick/Fuzzland.txt", text);
    LessonOpener opener;
    opener.setSubState(new orv::Tutorial(&opener, orv::HintShop));
    std::istringstream lines(text);
    std::string line;
    // Quiet: the explanation goes into the messages whole, not a frame a
    // letter (the typewriter is the messages area's to fuzz); one frame
    // is still composed at the end.
    game.screen.setQuiet(true);
    for (int i = 0; i < 64 && opener.subState() && std::getline(lines, line); ++i) {
        if (i % 16 == 0) {
            game.screen.clearFrame();
            opener.drawCurrent();
        }
        if (opener.subState()) opener.updateCurrent(orv::lowercase(line));
    }
    game.screen.setQuiet(false);
    game.screen.render();
    orv::destroyChain(opener.subState());
    game.player.tutorialHints = 0;
    orv::Sidetalk talk(nullptr, "Fuzzland");
    // Never "0" on the main menu: that closes the screen, which is not the
    // chain's to destroy here.
    for (const char* command : {"1", "1", "2", "1e30", "-0", "3", "4", "6", "."}) talk.Update(command);
    game.screen.clearFrame();
    talk.Draw();
    game.screen.render();
    orv::destroyChain(talk.subState());  // the sidekick's equipment screen
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Workspace workspace;
    if (size == 0) return 0;
    const int area = workspace.pinnedArea >= 0 ? workspace.pinnedArea : data[0] % kAreas;
    const std::uint8_t selector = size > 1 ? data[1] : 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    ++executions[area];
    orv::HeadlessConsole console;
    orv::Game game(console);
    switch (area) {
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
        case 6: fuzzItems(selector, text.size() > 1 ? text.substr(1) : ""); break;
        case 7: fuzzMonsters(selector, text); break;
        case 8: fuzzPlanetList(game, text); break;
        case 9: fuzzCheck(selector, text.size() > 1 ? text.substr(1) : ""); break;
        case 10: fuzzSaveSlot(game, workspace.diskItems, text); break;
        case 11: fuzzMission(game, text); break;
        case 12: fuzzLesson(game, text); break;
        default:  // text shown as messages and options
            game.screen.addMessage(text);
            game.screen.addMenuOption(text);
            game.screen.addArtLine(text);
            game.screen.render();
            break;
    }
    return 0;
}
