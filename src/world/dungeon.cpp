// The dungeon screen.
#include "world/dungeon.h"

#include "app/game.h"
#include "combat/battle.h"
#include "core/colors.h"
#include "core/text.h"
#include "items/inventory.h"
#include "screens/sidetalk.h"
#include "screens/sysmenu.h"
#include "world/dungeon_spell.h"
#include "world/quest.h"
#include "world/town.h"
#include "world/tutorial.h"

namespace orv {

Dungeon::Dungeon(State* parent, const std::string& planet, bool arrivedByShip, bool revealAll)
    : State(parent), map_(revealAll), planet_(planet), arrivedByShip_(arrivedByShip) {
    Game& g = game();
    map_.generate(planet, arrivedByShip);
    describeRoom(0, 0);
    revealAround();
    g.audio.playMusic("dungeon.mid");
    g.player.effective[HP] = g.player.effective[MaxHP];
    g.player.effective[MP] = g.player.effective[MaxMP];
    g.sidekick.effective[HP] = g.sidekick.effective[MaxHP];
    Tutorial::offer(this, HintDungeon);
    Screen& screen = g.screen;
    const auto before = screen.snapshot();
    screen.clearFrame();
    Draw();
    const auto after = screen.snapshot();
    screen.splitTransition(*before, *after);
}

Dungeon::~Dungeon() {
    map_.clearRooms();
    if (hasGame()) game().audio.playMusic("town.mp3");
}

void Dungeon::describeRoom(int x, int y) {
    Game& g = game();
    Room* room = map_.roomAt(x, y);
    if (!room) return;
    std::string text = colorRed + room->name + colorWhite + ": " + room->currentDescription();
    if (room->item()) text += " There is a " + colorYellow + "treasure chest" + colorWhite + " on the ground.";
    if (!room->textBefore.empty()) text += " " + colorCyan + room->textBefore + colorWhite;
    g.screen.addMessage(text);
    if (room->monster()) {
        g.screen.addMessage("A fierce " + colorMagenta + room->monster()->name + colorWhite + " attacks you!");
        g.screen.render();
        g.audio.playEffect("enter_battle.wav");
        g.audio.stopMusic();
        g.console.sleepMs(0);
        g.screen.clearMessages();
    }
}

void Dungeon::lookAt(int x, int y, const std::string& direction) {
    Room* room = map_.roomAt(x, y);
    if (!room) return;
    std::string text = "You look " + colorCyan + direction + colorWhite + " and see " + room->lookText();
    if (room->item()) text += " You spot a " + colorYellow + "treasure chest" + colorWhite + " on the ground.";
    if (room->monster())
        text += " You notice a fierce " + colorMagenta + room->monster()->name + colorWhite + " in the room.";
    game().screen.addMessage(text);
    room->resetDescription();
}

void Dungeon::revealAround() {
    map_.revealCell(x_, y_);
    map_.revealCell(x_ - 1, y_);
    map_.revealCell(x_ + 1, y_);
    map_.revealCell(x_, y_ - 1);
    map_.revealCell(x_, y_ + 1);
}

void Dungeon::Draw() {
    Game& g = game();
    Screen& screen = g.screen;
    // Back from a scene: what it completed may make another room's state
    // current, and the party should not need a trip to town to find it.
    if (sceneOpened_) {
        sceneOpened_ = false;
        map_.offerCurrentQuestEvents(planet_);
    }
    map_.setPlayerCell(x_, y_);
    map_.drawMap();
    auto has = [&](int dx, int dy) { return map_.roomAt(x_ + dx, y_ + dy) != nullptr; };
    if (has(-1, 0)) screen.addMenuOption("<1> Move left");
    if (has(1, 0)) screen.addMenuOption("<3> Move right");
    if (has(0, -1)) screen.addMenuOption("<5> Move up");
    if (has(0, 1)) screen.addMenuOption("<2> Move Down");
    if (has(0, -1)) screen.addMenuOption("<55> Look Up");
    if (has(1, 0)) screen.addMenuOption("<33> Look Right");
    if (has(-1, 0)) screen.addMenuOption("<11> Look Left");
    if (has(0, 1)) screen.addMenuOption("<22> Look Down");
    if (x_ == 0 && y_ == 0 && arrivedByShip_) screen.addMenuOption("<4> Fly back to town");
    Room* room = map_.roomAt(x_, y_);
    if (room && room->item()) screen.addMenuOption("<6> Pick up item");
    screen.addMenuOption("<7> Take a closer look");
    screen.addMenuOption("<8> Speak to " + g.sidekick.name);
    screen.addMenuOption("<.> Inventory");
    screen.addMenuOption("<-> System Menu");
    screen.addMenuOption("<*> Magic");
    if (room && !room->menuOption().empty())
        screen.addMenuOption(colorWhite + "<" + colorYellow + "+" + colorWhite + "> " + colorCyan + room->menuOption() +
                             colorWhite);
}

bool Dungeon::tryMove(const std::string& command) {
    struct Move {
        std::initializer_list<const char*> words;
        int dx, dy;
    };
    static const Move kMoves[] = {
        {{"1", "l", "left", "a"}, -1, 0},
        {{"3", "r", "right", "d"}, 1, 0},
        {{"5", "u", "up", "w"}, 0, -1},
        {{"2", "d", "down", "s"}, 0, 1},
    };
    bool moved = false;
    for (const Move& move : kMoves) {
        if (!matchesAny(command, move.words) || !map_.roomAt(x_ + move.dx, y_ + move.dy)) continue;
        map_.resetDescriptionAt(x_, y_);
        x_ += move.dx;
        y_ += move.dy;
        describeRoom(x_, y_);
        moved = true;
    }
    return moved;
}

void Dungeon::tryLooks(const std::string& command) {
    struct Look {
        std::initializer_list<const char*> words;
        int dx, dy;
        const char* direction;
    };
    static const Look kLooks[] = {
        {{"11", "ll", "look left", "aa"}, -1, 0, "left"},
        {{"33", "rr", "look right", "dd"}, 1, 0, "right"},
        {{"55", "uu", "look up", "ww"}, 0, -1, "up"},
        {{"22", "dd", "look down", "ss"}, 0, 1, "down"},
    };
    for (const Look& look : kLooks) {
        if (!matchesAny(command, look.words) || !map_.roomAt(x_ + look.dx, y_ + look.dy)) continue;
        lookAt(x_ + look.dx, y_ + look.dy, look.direction);
    }
}

void Dungeon::Update(const std::string& command) {
    Game& g = game();
    if (matchesAny(command, {"4", "fly", "f"}) && x_ == 0 && y_ == 0 && arrivedByShip_) {
        map_.clearRooms();
        setSubState(new Town(this, planet_));
        closeState();  // the town takes the dungeon's place
        return;
    }
    Room* room = map_.roomAt(x_, y_);
    if (matchesAny(command, {"take", "7", "t"}) && room) {
        room->nextDescription();
        describeRoom(x_, y_);
    }
    if (command == "-") setSubState(new Sysmenu(this));
    if (matchesAny(command, {".", "inventory", "i"})) setSubState(new Inventory(this, g.player));
    tryMove(command);
    tryLooks(command);
    room = map_.roomAt(x_, y_);
    if (matchesAny(command, {"p", "6"}) && room && room->item()) {
        g.screen.addMessage("You picked up " + colorYellow + room->item()->name + colorWhite + "!");
        g.player.inventory.add(room->takeItem());
    }
    if (command == "+" && room && !room->menuTrigger().empty()) {
        setSubState(new Quest(this, planet_, room->name));
        sceneOpened_ = true;
        room->clearQuestItem();
        room->textBefore.clear();
    }
    revealAround();
    if (room && room->monster()) {
        setSubState(new Battle(this, room->releaseMonster()));
        g.screen.setTransitionPending(true);
        g.screen.curtainTransition(2, 32);
    }
    if (matchesAny(command, {"8", "sp", "speak"})) setSubState(new Sidetalk(this, planet_));
    if (command == "*") setSubState(new DungeonSpell(this));
}

}  // namespace orv
