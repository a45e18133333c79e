// A player who follows the story on the game's own content: it reads each
// destination's quest file as a player reads the town's log, goes where the
// current state of every quest happens, plays its scene, wins the fights on
// the way (attacks, drinks a potion when low, walks back to town to rest),
// lets the test pilot fly the missions, and flies on once every quest of
// the destination rests. Everything it does is a typed line; what it saw
// go wrong is kept in `trouble`.
#pragma once

#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "combat/battle.h"
#include "data/level_up.h"
#include "items/inventory.h"
#include "items/loadscreen.h"
#include "items/save.h"
#include "items/item.h"
#include "minigame/editor.h"
#include "screens/creator.h"
#include "screens/credits.h"
#include "support/game_driver.h"
#include "support/test_pilot.h"
#include "world/dungeon.h"
#include "world/quest.h"
#include "world/quest_log.h"
#include "world/shop.h"
#include "world/spaceship.h"
#include "world/town.h"

namespace orv::test {

// Where each state of a destination's quests happens, from its quest file:
// per quest number, per state number, the place ("" for a resting state).
using StoryPlaces = std::map<int, std::map<int, std::string>>;

inline StoryPlaces readStoryPlaces(const std::string& planet) {
    StoryPlaces places;
    std::ifstream in("quests/" + planet + ".txt", std::ios::binary);
    std::string line;
    int quest = 0, state = 0;
    auto value = [&] { return line.substr(line.find(':') + 1); };
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("BEGIN_QUEST:", 0) == 0) quest = std::atoi(value().c_str());
        else if (line.rfind("BEGIN_STATE:", 0) == 0 && quest > 0) places[quest][state = std::atoi(value().c_str())];
        else if (line.rfind("LOCATION_NAME:", 0) == 0 && quest > 0 && state > 0) places[quest][state] = value();
        else if (line.rfind("END_STATE", 0) == 0) state = 0;
    }
    return places;
}

// The states of a destination's quests that launch a mission from a shop
// (QUEST_ITEM_QUORIX), as {quest, state}.
inline std::set<std::pair<int, int>> readMissionStates(const std::string& planet) {
    std::set<std::pair<int, int>> states;
    std::ifstream in("quests/" + planet + ".txt", std::ios::binary);
    std::string line;
    int quest = 0, state = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("BEGIN_QUEST:", 0) == 0) quest = std::atoi(line.substr(12).c_str());
        else if (line.rfind("BEGIN_STATE:", 0) == 0) state = std::atoi(line.substr(12).c_str());
        else if (line.rfind("QUEST_ITEM_QUORIX:true", 0) == 0) states.insert({quest, state});
    }
    return states;
}

// The orbited planets of the planet list, in campaign order.
inline std::vector<std::string> campaignPlanets() {
    std::vector<std::string> planets;
    std::ifstream in("planets/Planet List.txt", std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (const std::size_t comma = line.find(','); comma != std::string::npos)
            planets.push_back(line.substr(comma + 1));
    }
    return planets;
}

// The name of a planet's unique place, from the towns file ("" if none).
inline std::string uniquePlaceOf(const std::string& planet) {
    std::ifstream in("towns/towns.txt", std::ios::binary);
    std::string line;
    bool inTown = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("TOWN:", 0) == 0) inTown = line.substr(5) == planet;
        if (inTown && line.rfind("UNIQUE_N:", 0) == 0) return line.substr(9);
    }
    return "";
}

class CampaignBot : public GameDriver {
public:
    std::vector<std::string> trouble;  // what went wrong, each with where
    int fights = 0, retreats = 0, potions = 0, missionsWon = 0, missionsLost = 0, missionsRetried = 0, defeats = 0;
    int creditsRolled = 0, fled = 0;
    std::vector<std::string> bossesBeaten;
    std::vector<std::string> defeatedBy;
    std::set<std::string> scenesPlayed;  // "planet quest.state"

    explicit CampaignBot(std::string heroClass = "f", std::string sidekickClass = "f")
        : heroClass_(std::move(heroClass)), sidekickClass_(std::move(sidekickClass)) {
        // Nobody watches: narration and frames cost nothing, except while a
        // mission flies (the pilot reads the screen).
        world.console.printFramesTo(nullptr, HeadlessConsole::FrameOutput::None);
        g.screen.setQuiet(true);
        planets_ = campaignPlanets();
    }

    // A new game, typed as a player would, standing in Rustwater.
    void startNewGame() {
        for (const std::string& line : {std::string("1"), std::string("tess"), heroClass_, std::string("c"),
                                        std::string("bob"), sidekickClass_, std::string("c"), std::string(""),
                                        std::string("1")})
            type(line);
        if (at<Quest>()) type("");
    }

    // A party as the story would have made it by destination `k`: every
    // destination before it finished, the party at `level` with the choices
    // this bot makes, each slot filled with an item of that level, a few
    // potions; standing in the town of the destination before (the ship is
    // then the way in, arrival scene and all).
    void prepareFor(int k, int level) {
        startNewGame();
        for (int p = 0; p < k; ++p) {
            for (const auto& [quest, states] : readStoryPlaces(planets_[p]))
                for (const auto& [state, place] : states)
                    if (state < states.rbegin()->first) g.player.questProgress[p][quest][state] = 2;
        }
        for (int p = 0; p <= k && p < int(g.player.planets.size()); ++p) g.player.planets[p].unlocked = true;
        while (g.player.stats[Level] < level) spendLevel();
        g.player.stats[Experience] = float(level) * 10000;
        g.player.learnSpells(level);
        g.sidekick.learnSpells(level);
        const int weapon = heroClass_ == "m" ? TypeStaff : heroClass_ == "r" ? TypeGun : TypeSword;
        for (int type : {int(TypeBoots), int(TypeShield), int(TypeHeadgear), weapon})
            g.player.useOrEquip(Item::random(level, type));
        for (int i = 0; i < 4; ++i) g.player.inventory.add(Item::random(level, TypeHp));
        // The town heals the party the moment it stands in it.
        if (k > 0) {
            Town* town = at<Town>();
            town->setSubState(new Town(town, planets_[k - 1]));
            town->closeState();
        }
    }

    // Plays destination `k` until every quest there rests and the next
    // destination has been reached (or `steps` lines are spent). Returns the
    // party's level on arrival at the destination.
    std::optional<int> playDestination(int k, int steps = 20000) {
        goal_ = k;
        fightsHere_ = 0;
        fightsAtSave_ = 0;
        defeatsBefore_ = defeats;
        plannedFights_ = kPlannedFights;
        arrivalLevel_.reset();
        for (int step = 0; step < steps; ++step) {
            if (arrivedAt(k + 1)) return arrivalLevel_;
            const std::string line = nextLine();
            if (!trouble.empty()) return arrivalLevel_;
            if (line == lastLine_ && current() == lastScreen_) {
                if (++sameInARow_ > 60) {
                    problem("stuck typing \"" + line + "\"");
                    return arrivalLevel_;
                }
            } else {
                sameInARow_ = 0;
            }
            lastLine_ = line;
            lastScreen_ = current();
            std::string vitals;
            if (const Battle* battle = at<Battle>(); battle && battle->monster())
                vitals = " [" + std::to_string(int(g.player.effective[HP])) + "/" +
                         std::to_string(int(g.player.effective[MaxHP])) + " vs " + battle->monster()->name + " L" +
                         std::to_string(int(battle->monster()->stats[Level])) + " " +
                         std::to_string(int(battle->monster()->stats[HP])) + "]";
            history_.push_back(std::string(typeid(*current()).name()) + vitals + " <- \"" + line + "\"" +
                               (g.screen.messages().empty() ? "" : "   | " + g.screen.messages().back().substr(0, 90)));
            if (history_.size() > 24) history_.pop_front();
            type(line);
            if (arrivedAt(k + 1)) return arrivalLevel_;
            noteWhatShows();
        }
        problem("destination " + planets_[k] + " not finished in " + std::to_string(steps) + " lines");
        return arrivalLevel_;
    }

    // Whether the ship has brought the party to destination `k`'s town.
    bool arrivedAt(int k) {
        if (k >= int(planets_.size())) return allResting(k - 1);
        // The town, or the arrival scene the ship plays before it.
        const Town* town = at<Town>();
        const Quest* arrival = at<Quest>();
        const bool there = (town && town->planet() == planets_[k]) || (arrival && arrival->planet() == planets_[k]);
        return there && allResting(k - 1);
    }

    bool allResting(int k) {
        for (const auto& [quest, states] : readStoryPlaces(planets_[k]))
            if (currentState(g.player, k, quest) < states.rbegin()->first) return false;
        return true;
    }

    // Walks the dungeon the party is in to the room `name` (fighting on the
    // way), as far as `steps` lines; true once standing in it.
    bool walkTo(const std::string& name, int steps = 500) {
        walkingTo_ = name;
        for (int step = 0; step < steps && trouble.empty(); ++step) {
            const Dungeon* dungeon = at<Dungeon>();
            if (dungeon) {
                const Room* here = dungeon->map().roomAt(dungeon->playerX(), dungeon->playerY());
                if (here && here->name == name) break;
            }
            type(nextLine());
        }
        walkingTo_.reset();
        const Dungeon* dungeon = at<Dungeon>();
        const Room* here = dungeon ? dungeon->map().roomAt(dungeon->playerX(), dungeon->playerY()) : nullptr;
        return here && here->name == name;
    }

    const std::vector<std::string>& planets() const { return planets_; }
    int level() const { return int(g.player.stats[Level]); }

private:
    void problem(const std::string& what) {
        std::string where = current() ? typeid(*current()).name() : "nothing";
        std::string recent;
        for (const std::string& step : history_) recent += "\n    " + step;
        trouble.push_back(what + " (on " + where + ", level " + std::to_string(level()) + "); the last lines:" +
                          recent);
    }

    void noteWhatShows() {
        for (const std::string& line : g.screen.artLines())
            if (line.find("This is not a valid quest.") != std::string::npos) problem("an invalid scene");
        // A name with its own article (The Iron Bosun) in a sentence that
        // brings one: "the The", "the sinister The".
        auto articleTwice = [this](const std::string& text) {
            std::string plain;
            for (char c : text)
                if (static_cast<unsigned char>(c) >= 32) plain += c;
            for (const char* twice : {"The The ", "the The ", "sinister The "})
                if (const std::size_t at = plain.find(twice); at != std::string::npos)
                    problem("a sentence says \"" + plain.substr(at < 30 ? 0 : at - 30, 80) + "\"");
        };
        for (const std::string& message : g.screen.messages()) articleTwice(message);
        for (const std::string& line : g.screen.artLines()) articleTwice(line);
        if (at<Splash>() && defeats - defeatsBefore_ >= kMostDefeats)
            problem("back on the title screen: the party fell " + std::to_string(defeats - defeatsBefore_) +
                    " times at " + planets_[goal_]);
        if (const Town* town = at<Town>(); town && goal_ < int(planets_.size()) && town->planet() == planets_[goal_] &&
                                           !arrivalLevel_)
            arrivalLevel_ = level();
    }

    // The levels this bot takes: a fighter hits harder and grows tougher,
    // a mage grows wiser, a rogue quicker, an outlaw better all round; each
    // keeps some pace with the monsters, whose speed grows with their level.
    std::string levelChoice() {
        static const std::map<std::string, std::vector<std::string>> kChoices = {
            {"f", {"d", "t", "q"}}, {"m", {"w", "t", "q"}}, {"r", {"q", "d", "t"}}, {"o", {"b"}}};
        const auto& choices = kChoices.at(heroClass_);
        return choices[choicesMade_++ % choices.size()];
    }
    void spendLevel() {
        const std::string choice = levelChoice();
        static const std::map<std::string, LevelChoice> kByWord = {{"d", LevelChoice::Deadlier},
                                                                   {"q", LevelChoice::Quicker},
                                                                   {"w", LevelChoice::Wiser},
                                                                   {"t", LevelChoice::Tougher},
                                                                   {"b", LevelChoice::Better}};
        g.player.applyLevel(playerLevelIncrements(kByWord.at(choice)));
        g.sidekick.applyLevel(sidekickLevelIncrements(g.sidekick.className));
    }

    // The next place the story wants the party at, on the goal destination:
    // the first quest whose current state has a place that can be reached.
    std::optional<std::string> nextPlace(bool dungeonOpen) {
        if (walkingTo_) return walkingTo_;
        const StoryPlaces story = readStoryPlaces(planets_[goal_]);
        std::optional<std::string> inDungeon;
        for (const auto& [quest, states] : story) {
            const int state = currentState(g.player, goal_, quest);
            const auto found = states.find(state);
            if (found == states.end() || found->second.empty() || found->second == "spaceship") continue;
            if (!isTownPlace(found->second)) {
                if (!inDungeon && dungeonOpen) inDungeon = found->second;
                continue;
            }
            return found->second;
        }
        return inDungeon;
    }

    bool isTownPlace(const std::string& place) {
        static const std::set<std::string> kShops = {"Armor", "Weapon", "Inn", "common area", "town"};
        return kShops.count(place) || place == uniquePlace_;
    }

    std::string nextLine() {
        State* screen = current();
        if (auto* quest = dynamic_cast<Quest*>(screen)) return sceneLine(*quest);
        if (auto* battle = dynamic_cast<Battle*>(screen)) return battleLine(*battle);
        if (auto* creator = dynamic_cast<Creator*>(screen)) return creator->levelsLeft() > 0 ? levelChoice() : "0";
        if (auto* mission = dynamic_cast<Editor*>(screen)) return missionLine(*mission);
        if (dynamic_cast<Inventory*>(screen)) {
            if (pendingUse_.empty()) return "0";
            const std::string line = pendingUse_.front();
            pendingUse_.pop_front();
            return line;
        }
        if (dynamic_cast<Save*>(screen)) {
            if (!saving_) return "0";
            saving_ = false;
            fightsAtSave_ = fightsHere_;
            return "1";
        }
        // A fallen party is a game to load again, as a player would.
        if (dynamic_cast<Splash*>(screen)) {
            if (retryMission_) {
                retryMission_ = false;
                return "2";
            }
            ++defeats;
            shoppedFor_ = -1;  // the loaded game shops again
            defeatedBy.push_back(lastFoe_ + " (level " + std::to_string(level()) + ")");
            // Beaten by a boss, a player grows stronger before the next try.
            if (lastFoeWasBoss_) plannedFights_ = fightsHere_ + kFightsAfterABossWins;
            return "2";
        }
        if (dynamic_cast<Loadscreen*>(screen)) return "1";
        if (auto* town = dynamic_cast<Town*>(screen)) return townLine(*town);
        if (auto* shop = dynamic_cast<Shop*>(screen)) return shopLine(*shop);
        if (auto* dungeon = dynamic_cast<Dungeon*>(screen)) return dungeonLine(*dungeon);
        if (dynamic_cast<Spaceship*>(screen)) return std::to_string(goalShipNumber());
        // The end of the story: the credits roll once, then free play.
        // The end of the story: the credits roll, "*" rolls them again, and
        // the next line goes on into free play.
        if (dynamic_cast<Credits*>(screen)) {
            if (std::find(bossesBeaten.begin(), bossesBeaten.end(), "Admiral Morwen Kesh") == bossesBeaten.end())
                problem("the credits before the Admiral has fallen");
            return ++creditsRolled == 1 ? "*" : "";
        }
        problem("a screen the bot does not know");
        return "0";
    }

    int goalShipNumber() {
        // Back home first if the goal's quests are done: the next one waits.
        const int k = allResting(goal_) ? goal_ + 1 : goal_;
        return std::min(k, int(planets_.size()) - 1) + 1;
    }

    std::string sceneLine(Quest& quest) {
        if (quest.introMode() || quest.cutscene()) return "";
        if (quest.questionShown()) return "1";  // straight to town after a boss: rest there
        if (!quest.eventDone()) {
            scenesPlayed.insert(planets_[goal_] + " " + std::to_string(quest.questNumber()) + "." +
                                std::to_string(quest.stateNumber()));
            return "+";
        }
        return "0";
    }

    std::string missionLine(Editor& mission) {
        if (mission.won() || mission.lost()) {
            if (!missionCounted_) {
                missionCounted_ = true;
                // A lost mission still moves the story on; a player who
                // saved before it may load and fly it again, as this bot does.
                if (mission.lost() && missionRetries_ < kMostMissionRetries) {
                    ++missionRetries_;
                    ++missionsRetried;
                    retryMission_ = true;
                } else {
                    (mission.won() ? missionsWon : missionsLost)++;
                    missionRetries_ = 0;
                }
            }
            g.screen.setQuiet(true);
            return "0";
        }
        missionCounted_ = false;
        g.screen.setQuiet(false);
        world.console.setPilot(TestPilot{});
        return "1";
    }

    std::string battleLine(Battle& battle) {
        if (battle.monster()) {
            lastFoe_ = battle.monster()->name;
            lastFoeWasBoss_ = battle.monster()->isBoss;
        }
        if (!battle.battleOn()) {
            if (battle.playerAlive()) {
                ++fights;
                ++fightsHere_;
                if (battle.monster() && battle.monster()->isBoss) bossesBeaten.push_back(battle.monster()->name);
            }
            return "";
        }
        // The planned fights done, the party runs from whatever else the
        // walk meets (never from a boss), as a player hurrying to the story.
        if (battle.monster() && !battle.monster()->isBoss && fightsHere_ >= plannedFights_ && !walkingTo_) {
            ++fled;
            return "7";
        }
        const Protagonist& hero = g.player;
        if (hero.effective[HP] < hero.effective[MaxHP] * 0.35f) {
            // In a fight the bag shows its potions only, numbered from 1.
            int shown = 0;
            for (std::size_t i = 0; i < g.player.inventory.size(); ++i) {
                const Item* item = g.player.inventory.at(long(i));
                if (!item || !item->isConsumable()) continue;
                ++shown;
                if (item->type == TypeHp || item->type == TypeHybrid) {
                    ++potions;
                    // A bag of more than a page shows the potion on a later page.
                    pendingUse_.assign(std::size_t((shown - 1) / kItemsPerPage), "+");
                    pendingUse_.push_back("1 " + std::to_string(shown));
                    return ".";
                }
            }
        }
        return "1";
    }

    std::string townLine(Town& town) {
        staleDungeon_ = nullptr;  // the next trip down lays the dungeon out anew
        if (retryMission_) {
            // To the title, past the question about leaving unsaved, and
            // the game saved before the mission loaded again.
            if (leaving_) return "1";
            leaving_ = true;
            return "*";
        }
        leaving_ = false;
        uniquePlace_ = uniquePlaceOf(town.planet());
        if (town.planet() != planets_[goal_] || allResting(goal_)) {
            if (town.shipAvailable()) return "4";
            problem("the ship is not available in " + town.planet());
            return "4";
        }
        if (shoppedFor_ != goal_) {
            shoppedFor_ = goal_;
            goShopping();
            return "7";
        }
        const std::optional<std::string> place = nextPlace(town.canGoDown());
        if (!place) {
            problem("nothing to do in " + town.planet() + " and the story is not over");
            return "7";
        }
        // Down to the dungeon with a few potions in the bag, bought at the
        // inn when they run low, and only with the game saved there.
        if (!isTownPlace(*place) && hpPotions() < 3 && g.player.money > 0) {
            buyFrom("3", {int(TypeHp)}, double(g.player.money) * 0.05, 4 - hpPotions());
            if (!at<Town>()) return "0";
        }
        if ((!isTownPlace(*place) || launchesMission(*place)) && gameHasUnsavedChanges()) {
            saving_ = true;
            return "3";
        }
        if (*place == "Armor") return "1";
        if (*place == "Weapon") return "2";
        if (*place == "Inn") return "3";
        if (*place == "common area") return "6";
        if (*place == "town") return "7";  // an instant scene plays as the town is drawn
        if (*place == uniquePlace_) return "+";
        return "5";  // down into the dungeon
    }


    // Whether the current state of some quest at `place` launches a mission.
    bool launchesMission(const std::string& place) {
        const std::set<std::pair<int, int>> missions = readMissionStates(planets_[goal_]);
        for (const auto& [quest, states] : readStoryPlaces(planets_[goal_])) {
            const int state = currentState(g.player, goal_, quest);
            const auto found = states.find(state);
            if (found != states.end() && found->second == place && missions.count({quest, state})) return true;
        }
        return false;
    }

    int hpPotions() const {
        int count = 0;
        for (std::size_t i = 0; i < g.player.inventory.size(); ++i)
            if (const Item* item = g.player.inventory.at(long(i)); item && (item->type == TypeHp || item->type == TypeHybrid))
                ++count;
        return count;
    }

    // What an item is worth to a wearer of class `cls` in its slot, as
    // this bot judges.
    static double worth(const Item& item, const std::string& cls) {
        const StatBlock& st = item.stats;
        if (item.type >= TypeGun && item.type <= TypeStaff)
            return cls == "m" ? st[Magic] + 0.3 * st[Attack] : st[Attack] + 0.5 * st[Speed] + 0.2 * st[Magic];
        return st[LowDefence] + st[MidDefence] + st[HighDefence] + 0.3 * st[MaxHP] + 0.5 * st[Speed];
    }
    static int slotOf(int type) { return type >= TypeGun && type <= TypeStaff ? int(SlotWeapon) : type; }

    // On first reaching a destination's town, and after a fall, a sensible
    // player spends what it has: most of it on the hero's weapon and armour,
    // some on the sidekick's, and a fifth on the inn's strongest hit-point
    // potions. Bought items are worn at once.
    void goShopping() {
        const double purse = double(g.player.money);
        const std::vector<int> weapons = {int(TypeGun), int(TypeSword), int(TypeStaff)};
        for (bool sidekick : {false, true}) {
            const double share = sidekick ? 0.4 : 1.0;
            buyFrom("2", weapons, purse * 0.2 * share, 1, sidekick);
            for (int type : {int(TypeBoots), int(TypeShield), int(TypeHeadgear)})
                buyFrom("1", {type}, purse * 0.12 * share, 1, sidekick);
        }
        // Worn from the town, where the bag opens.
        for (const auto& [name, sidekick] : bought_)
            if (at<Town>()) wear(name, sidekick);
        bought_.clear();
        buyFrom("3", {int(TypeHp)}, purse * 0.2 / 3, 3);
    }

    void buyFrom(const std::string& shopCommand, const std::vector<int>& types, double budget, int count,
                 bool forSidekick = false) {
        type(shopCommand);
        const Protagonist& wearer = forSidekick ? static_cast<const Protagonist&>(g.sidekick) : g.player;
        const std::string& cls = forSidekick ? sidekickClass_ : heroClass_;
        for (int bought = 0; bought < count; ++bought) {
            Shop* shop = at<Shop>();
            if (!shop || shop->questWaiting()) break;  // the shop's own event comes first
            int best = 0;
            double bestWorth = 0;
            for (int number = 1; number <= 15; ++number) {
                const Item* item = shop->shownItem(number);
                if (!item || item->price > budget || item->price > g.player.money) continue;
                if (std::find(types.begin(), types.end(), item->type) == types.end()) continue;
                double value = item->type == TypeHp ? item->stats[HP] : worth(*item, cls);
                if (item->type != TypeHp) {
                    const Item* worn = wearer.equipped(slotOf(item->type));
                    if (worn && value <= worth(*worn, cls)) continue;
                }
                if (value > bestWorth) {
                    bestWorth = value;
                    best = number;
                }
            }
            if (best == 0) break;
            const std::string name = shop->shownItem(best)->name;
            typeThenAnswer("1", std::to_string(best));
            if (types.front() != TypeHp) bought_.emplace_back(name, forSidekick);
        }
        if (at<Shop>() && !at<Shop>()->questWaiting()) type("0");
    }

    // An item just bought, put on through the inventory screen (which
    // sorts the bag as it opens, so the item is looked for by name then);
    // "." turns the screen to the sidekick.
    void wear(const std::string& name, bool onSidekick) {
        type(".");
        if (onSidekick) type(".");
        int index = -1;
        for (std::size_t i = 0; i < g.player.inventory.size(); ++i)
            if (const Item* item = g.player.inventory.at(long(i)); item && item->name == name) index = int(i);
        if (index >= 0 && at<Inventory>()) {
            for (int page = 0; page < index / kItemsPerPage; ++page) type("+");
            type("1 " + std::to_string(index + 1));
        }
        if (at<Inventory>()) type("0");
    }

    std::string shopLine(Shop& shop) {
        if (saving_ && shop.shopName() == "Inn" && !shop.questWaiting()) return "5";
        if (shop.questWaiting() && &shop != triedShop_) {
            triedShop_ = &shop;
            return "+";
        }
        triedShop_ = nullptr;
        return "0";
    }

    std::string dungeonLine(Dungeon& dungeon) {
        const Map& map = dungeon.map();
        const int x = dungeon.playerX(), y = dungeon.playerY();
        const bool weak = g.player.effective[HP] < g.player.effective[MaxHP] * 0.5f;
        std::optional<std::string> place = weak ? std::nullopt : nextPlace(true);
        if (place && isTownPlace(*place)) place.reset();
        if (place) {
            const Room* here = map.roomAt(x, y);
            if (here && here->name == *place) {
                if (!here->menuTrigger().empty()) return "+";
                // The dungeon offers a room's event only if it was current
                // when the dungeon was laid out: one that became current
                // down here waits for the next trip from town.
                staleDungeon_ = &dungeon;
            }
            if (staleDungeon_ == &dungeon) place.reset();
            // After a fall, the extra fights done and the story's room
            // next: home first, to rest and save, so another fall there
            // costs nothing the fights won.
            if (plannedFights_ > kPlannedFights && fightsHere_ >= plannedFights_ && fightsAtSave_ < plannedFights_ &&
                !walkingTo_)
                place.reset();
        }
        // As the plan paces a destination, about fourteen fights come before
        // the story's rooms: the monsters still in the dungeon are met first.
        std::pair<int, int> target = place ? findRoom(map, *place) : std::pair{0, 0};
        if (place && fightsHere_ < plannedFights_ && !walkingTo_)
            if (const auto monster = nearestMonster(map, x, y)) target = *monster;
        // Walk one room nearer the goal room, or the entrance to fly home.
        const auto [tx, ty] = target;
        if (tx < 0) {
            problem("no room \"" + *place + "\" in the dungeon of " + dungeon.planet());
            return "4";
        }
        if (x == tx && y == ty) {
            if (!place && weak) ++retreats;
            return "4";  // at the entrance: fly back to town
        }
        // Past the planned fights, and on the way home, the walk goes round
        // the monsters it can.
        if (fightsHere_ >= plannedFights_ || !place)
            if (std::string step = stepToward(map, x, y, tx, ty, true); step != "4") return step;
        return stepToward(map, x, y, tx, ty, false);
    }

    static std::optional<std::pair<int, int>> nearestMonster(const Map& map, int x, int y) {
        std::optional<std::pair<int, int>> best;
        int bestDistance = 1 << 20;
        for (int mx = 0; mx < map.width(); ++mx)
            for (int my = 0; my < map.height(); ++my)
                if (const Room* room = map.roomAt(mx, my); room && room->monster()) {
                    const int distance = std::abs(mx - x) + std::abs(my - y);
                    if (distance < bestDistance) {
                        bestDistance = distance;
                        best = std::pair{mx, my};
                    }
                }
        return best;
    }

    static std::pair<int, int> findRoom(const Map& map, const std::string& name) {
        for (int x = 0; x < map.width(); ++x)
            for (int y = 0; y < map.height(); ++y)
                if (const Room* room = map.roomAt(x, y); room && room->name == name) return {x, y};
        return {-1, -1};
    }

    // The first move of a shortest walk through the rooms.
    static std::string stepToward(const Map& map, int x, int y, int tx, int ty, bool avoidMonsters) {
        static const std::pair<int, int> kSteps[] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        static const char* const kWords[] = {"1", "3", "5", "2"};
        std::map<std::pair<int, int>, int> firstMove;
        std::deque<std::pair<int, int>> queue{{x, y}};
        firstMove[{x, y}] = -1;
        while (!queue.empty()) {
            const auto [cx, cy] = queue.front();
            queue.pop_front();
            if (cx == tx && cy == ty) return kWords[firstMove[{cx, cy}]];
            for (int m = 0; m < 4; ++m) {
                const std::pair<int, int> next{cx + kSteps[m].first, cy + kSteps[m].second};
                const Room* room = map.roomAt(next.first, next.second);
                if (firstMove.count(next) || !room) continue;
                if (avoidMonsters && room->monster() && next != std::pair{tx, ty}) continue;
                firstMove[next] = firstMove[{cx, cy}] < 0 ? m : firstMove[{cx, cy}];
                queue.push_back(next);
            }
        }
        return "4";
    }

    std::string heroClass_, sidekickClass_;
    std::vector<std::string> planets_;
    int goal_ = 0;
    int choicesMade_ = 0;
    static constexpr int kPlannedFights = 14;
    static constexpr int kFightsAfterABossWins = 6;
    int plannedFights_ = kPlannedFights;
    int fightsHere_ = 0;
    int fightsAtSave_ = 0;
    int defeatsBefore_ = 0;  // falls before the destination being played
    bool lastFoeWasBoss_ = false;
    std::optional<int> arrivalLevel_;
    std::string uniquePlace_;
    std::deque<std::string> pendingUse_;
    std::string lastLine_;
    State* lastScreen_ = nullptr;
    int sameInARow_ = 0;
    std::deque<std::string> history_;
    bool missionCounted_ = false;
    bool saving_ = false;
    std::optional<std::string> walkingTo_;
    const Dungeon* staleDungeon_ = nullptr;
    int shoppedFor_ = -1;
    bool retryMission_ = false, leaving_ = false;
    int missionRetries_ = 0;
    static constexpr int kMostMissionRetries = 10;
    std::vector<std::pair<std::string, bool>> bought_;  // name, for the sidekick
    std::string lastFoe_;
    static constexpr int kMostDefeats = 10;
    const Shop* triedShop_ = nullptr;
};

}  // namespace orv::test
