// The quest files as the quest readers walk them. Progress is kept per quest
// (one digit, 1 to 9) and per state (one digit, 1 to 9); a state is current
// when the one before it is done, so a quest whose states are not numbered
// 1, 2, 3 ... without a gap, or whose blocks are not opened and closed where
// the readers look for it, silently stops and the story with it.
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "check/data_checker.h"
#include "check/number_rules.h"
#include "core/colors.h"
#include "core/screen.h"
#include "core/text.h"

namespace orv {

namespace {

using check::keyOf;
using check::valueOf;

constexpr double kLargestReward = 1'000'000;
// The town's hot-spot panel beside a 24-line picture is this narrow, and the
// option grid's columns this wide (a little more than 24 spills over neatly).
constexpr std::size_t kLongestLogLine = 14;
constexpr std::size_t kLongestOption = 28;

// The markers, in the order the readers test for them: a line is taken for
// the first one it contains anywhere.
enum class Mark { None, SceneBegin, SceneEnd, QuestBegin, StateBegin, StateEnd, QuestEnd };

Mark markOf(const std::string& line) {
    static const std::pair<const char*, Mark> kMarks[] = {
        {"BEGIN_QUEST_ROOM", Mark::SceneBegin}, {"END_QUEST_ROOM", Mark::SceneEnd},
        {"BEGIN_QUEST", Mark::QuestBegin},      {"BEGIN_STATE", Mark::StateBegin},
        {"END_STATE", Mark::StateEnd},          {"END_QUEST", Mark::QuestEnd}};
    for (const auto& [text, mark] : kMarks)
        if (line.find(text) != std::string::npos) return mark;
    return Mark::None;
}

// The number the readers take after a marker's colon: its first character,
// when that is a digit.
std::optional<int> digitRead(const std::string& value) {
    if (value.empty() || value[0] < '0' || value[0] > '9') return std::nullopt;
    return value[0] - '0';
}

class QuestFileChecker {
public:
    QuestFileChecker(DataChecker& checker, std::string file, std::vector<std::string> planets)
        : checker_(checker), file_(std::move(file)), planets_(std::move(planets)) {
        // "quests/Guelf.txt" is Guelf's.
        planet_ = file_.substr(file_.find('/') + 1);
        planet_ = planet_.substr(0, planet_.size() - 4);
    }

    void run() {
        std::vector<std::string> lines;
        if (!checker_.readLines(file_, lines)) return;
        for (std::size_t i = 0; i < lines.size() && !endsReading(lines[i]); ++i) visit(lines[i], int(i + 1));
        if (scene_) problem(*scene_, "the scene has no END_QUEST_ROOM before the end of the file");
        closeQuest("the end of the file", false);
        checkPlaces();
    }

private:
    struct State {
        int line = 0;
        int number = -1;
        bool hasPlace = false;
        std::string place;
        int placeLine = 0;
        int sceneLine = 0;  // its BEGIN_QUEST_ROOM, when it has a scene
        bool dungeonKey = false, shipKey = false;
    };
    struct Quest {
        int line = 0;
        int number = -1;
        std::map<int, int> states;     // state number -> line of its BEGIN_STATE
        std::map<int, int> placeless;  // the same, for states no place offers
        std::vector<State> written;    // every state read whole, in file order
    };

    void problem(int line, const std::string& message) { checker_.problem(file_, line, message); }

    static std::string nameOf(const State& state) {
        return state.number >= 0 ? "state " + toText(state.number) : "the state of line " + toText(state.line);
    }
    // A quest whose number cannot be read is named by its line.
    static std::string nameOf(const Quest& quest) {
        return quest.number >= 0 ? "quest " + toText(quest.number) : "the quest of line " + toText(quest.line);
    }

    void visit(const std::string& line, int number) {
        const Mark mark = markOf(line);
        if (scene_) {
            if (mark == Mark::SceneEnd) {
                scene_.reset();
                return;
            }
            if (mark == Mark::None) {
                checkSceneLine(line, number);
                return;
            }
            // The readers would skip on to the next END_QUEST_ROOM, swallowing
            // this marker; read on as the writer meant, so one slip is one problem.
            problem(*scene_, "the scene has no END_QUEST_ROOM before line " + toText(number) +
                                 ": the readers skip everything up to the next one");
            scene_.reset();
        }
        switch (mark) {
            case Mark::SceneBegin: beginScene(line, number); break;
            case Mark::SceneEnd: problem(number, "END_QUEST_ROOM without a BEGIN_QUEST_ROOM"); break;
            case Mark::QuestBegin: beginQuest(line, number); break;
            case Mark::StateBegin: beginState(line, number); break;
            case Mark::StateEnd:
                if (!state_) problem(number, "END_STATE without a BEGIN_STATE");
                closeState();
                break;
            case Mark::QuestEnd:
                if (!quest_) problem(number, "END_QUEST without a BEGIN_QUEST");
                closeQuest("END_QUEST at line " + toText(number), true);
                break;
            case Mark::None: plainLine(line, number); break;
        }
    }

    void plainLine(const std::string& line, int number) {
        const std::string key = keyOf(line);
        if (key == "ROOM_BEGIN") inRoom_ = true;
        if (key == "ROOM_END") inRoom_ = false;
        if (line.empty() || inRoom_ || key == "ROOM_END") return;
        if (state_) {
            if (line.find("LOCATION_NAME:") != std::string::npos) {
                state_->hasPlace = true;
                state_->place = valueOf(line);
                state_->placeLine = number;
            }
            if (line.find("TOWN_ENABLE_DUNGEON:") != std::string::npos) state_->dungeonKey = true;
            if (line.find("TOWN_ENABLE_SPACESHIP:") != std::string::npos) state_->shipKey = true;
            if (line.find("TOWN_QUEST_LOG_TEXT:") != std::string::npos &&
                displayLength(valueOf(line)) > kLongestLogLine)
                problem(number, "the log line \"" + valueOf(line) + "\" is longer than " +
                                    toText(int(kLongestLogLine)) + " characters: the town's panel cuts it");
            if (line.find("QUEST_ITEM_MENU_OPTION:") != std::string::npos) checkOption(line, number);
            if (line.find("QUEST_ROOM_TEXT_BEFORE:") != std::string::npos) checkShown(line, number, colorYellow);
            return;
        }
        if (quest_ && !orphanReported_) {
            problem(number, "this line of " + nameOf(*quest_) +
                                " stands in no state: its BEGIN_STATE is missing, so the readers never see it");
            orphanReported_ = true;
        } else if (!quest_ && !orphanReported_) {
            problem(number, "this line belongs to no quest and no room: a BEGIN_QUEST or ROOM_BEGIN is missing");
            orphanReported_ = true;
        }
    }

    void beginQuest(const std::string& line, int number) {
        closeQuest("the next BEGIN_QUEST (line " + toText(number) + ")", false);
        quest_ = Quest{number, -1, {}, {}, {}};
        const std::string value = valueOf(line);
        const std::optional<int> digit = digitRead(value);
        if (!digit) {
            problem(number, "quest number \"" + value +
                                "\" is not a digit 1 to 9: the readers never find this quest, so it never starts");
            return;
        }
        if (*digit == 0) problem(number, "quest number 0: quests are numbered 1 to 9");
        else if (value.size() > 1)
            problem(number, "quest number \"" + value + "\" is read as quest " + toText(*digit) +
                                ": quest numbers are one digit, 1 to 9");
        quest_->number = *digit;
        const auto [earlier, fresh] = questLines_.emplace(*digit, number);
        if (!fresh)
            problem(number, "quest " + toText(*digit) + " is begun again (first at line " + toText(earlier->second) +
                                "): both would share one record of progress");
    }

    void beginState(const std::string& line, int number) {
        if (!quest_) {
            problem(number, "BEGIN_STATE outside any quest: its BEGIN_QUEST is missing");
            return;
        }
        if (state_) {
            problem(state_->line, nameOf(*state_) + " of " + nameOf(*quest_) +
                                      " has no END_STATE before the next BEGIN_STATE (line " + toText(number) + ")");
            closeState();
        }
        state_ = State{number, -1, false, {}, 0, 0, false, false};
        const std::string value = valueOf(line);
        const std::optional<int> digit = digitRead(value);
        if (!digit) {
            problem(number, "state \"" + value + "\" is not a digit 1 to 9: this state is never current");
            return;
        }
        if (*digit == 0) {
            problem(number, "state 0 is never current: states count from 1");
            return;
        }
        if (value.size() > 1)
            problem(number, "state \"" + value + "\" is read as state " + toText(*digit) +
                                ": states are one digit, 1 to 9");
        state_->number = *digit;
        const auto [earlier, fresh] = quest_->states.emplace(*digit, number);
        if (!fresh)
            problem(number, "state " + toText(*digit) + " of " + nameOf(*quest_) +
                                " is written twice (first at line " + toText(earlier->second) + ")");
    }

    void beginScene(const std::string& line, int number) {
        scene_ = number;
        if (state_) state_->sceneLine = number;
        if (!state_) {
            problem(number, "a scene (BEGIN_QUEST_ROOM) outside any state is never played");
            return;
        }
        const std::string value = valueOf(line);
        const std::optional<int> digit = digitRead(value);
        if (state_->number > 0 && digit != state_->number)
            problem(number, "the scene is numbered \"" + value + "\" inside state " + toText(state_->number) +
                                ": a state's scene carries the state's own number, or it is never played");
    }

    void checkOption(const std::string& line, int number) {
        if (displayLength(valueOf(line)) > kLongestOption)
            problem(number, "the option \"" + valueOf(line) + "\" is longer than " + toText(int(kLongestOption)) +
                                " characters: it runs into the next column of the option grid");
    }

    // A text shown as one message must fit the message area whole, or its
    // end is never seen.
    void checkShown(const std::string& line, int number, const std::string& colour) {
        if (Screen::messageRows(colour + valueOf(line) + colorWhite) > std::size_t(kMessageRows))
            problem(number, "the text is too long for the message area: its end is never shown");
    }

    // The names a scene hands on to other files, each of which must exist.
    void checkSceneNames(const std::string& line, int number) {
        const std::string value = valueOf(line);
        if (line.find("QUEST_ROOM_MAP:") != std::string::npos) {
            if (value.empty()) problem(number, "the scene has an empty picture: it shows \"This is not a valid quest.\"");
            else if (!scenePicture(value).empty())
                checker_.checkPicture(scenePicture(value), "the scene's picture (line " + toText(number) + " of " +
                                                                file_ + ")");
            return;
        }
        for (const char* key : {"QUEST_ROOM_ENABLE_PLANET:", "QUEST_ROOM_LOAD_PLANET:"})
            if (line.find(key) != std::string::npos && !value.empty() &&
                std::find(planets_.begin(), planets_.end(), value) == planets_.end())
                problem(number, "\"" + value + "\" is no destination of the planet list: no ship can take you there");
        for (const char* key : {"QUEST_ROOM_QUEST_TEXT_BEFORE:", "QUEST_ROOM_QUEST_TEXT_AFTER:"})
            if (line.find(key) != std::string::npos) checkShown(line, number, colorCyan);
        for (const char* key : {"QUEST_ITEM_DESC_BEFORE:", "QUEST_ITEM_DESC_AFTER:", "QUEST_ROOM_DESC_BEFORE:",
                                "QUEST_ROOM_DESC_AFTER:"})
            if (line.find(key) != std::string::npos) checkShown(line, number, colorYellow);
        if (line.find("QUEST_ROOM_MENU_OPTION:") != std::string::npos) checkOption(line, number);
    }

    // Where a scene's picture is drawn from (nothing when the planet's own
    // name cannot make a folder; the planet list reports that).
    std::string scenePicture(const std::string& map) const {
        if (DataChecker::fileNameProblem(planet_) || DataChecker::fileNameProblem(map)) return "";
        return "art/quests/" + planet_ + "/" + map;
    }

    // The rewards a scene hands out are counted as integers.
    void checkSceneLine(const std::string& line, int number) {
        checkSceneNames(line, number);
        for (const char* key : {"QUEST_ROOM_GET_MONEY:", "QUEST_ROOM_GET_EXP:"}) {
            const std::size_t at = line.find(key);
            if (at == std::string::npos) continue;
            const std::string value = valueOf(line);
            const std::optional<double> amount = check::numberAsCReads(value);
            const std::string what = std::string(key).substr(0, std::string(key).size() - 1);
            if (!amount) {
                problem(number, what + " \"" + value + "\" is not a number: the reward would be 0");
            } else if (auto why = check::rangeProblem(what, value, *amount, 0, kLargestReward,
                                                      "rewards are added to the player's money and experience, "
                                                      "which must not overflow")) {
                problem(number, *why);
            } else if (*amount != std::trunc(*amount)) {
                problem(number, what + " \"" + value + "\" is not a whole number: only its whole part is given");
            }
            return;
        }
    }

    void closeState() {
        if (state_ && quest_ && state_->number > 0 && !state_->hasPlace)
            quest_->placeless.emplace(state_->number, state_->line);
        if (state_ && quest_ && state_->number > 0) quest_->written.push_back(*state_);
        state_.reset();
        orphanReported_ = false;
    }

    void closeQuest(const std::string& where, bool closedByEndQuest) {
        if (state_) {
            problem(state_->line, nameOf(*state_) + " of " +
                                      (quest_ ? nameOf(*quest_) : std::string("no quest")) +
                                      " has no END_STATE before " + where);
            closeState();
        }
        if (!quest_) return;
        if (!closedByEndQuest) problem(quest_->line, nameOf(*quest_) + " has no END_QUEST before " + where);
        if (quest_->number >= 0) {
            checkStateSequence(*quest_);
            checkStory(*quest_);
            quests_.push_back(*quest_);
        }
        quest_.reset();
        orphanReported_ = false;
    }

    void checkStateSequence(const Quest& quest) {
        const std::string name = nameOf(quest);
        if (quest.states.empty() || quest.states.begin()->first != 1) {
            problem(quest.line, name + " has no state 1: it never starts");
            return;
        }
        for (int state = 2; state <= quest.states.rbegin()->first; ++state)
            if (!quest.states.count(state)) {
                problem(quest.line, name + " has no state " + toText(state) + ": it stops after state " +
                                        toText(state - 1));
                return;
            }
        // The last state may have no place: it is the quest's closing entry
        // in the town's log. Any earlier one would never be completed.
        for (const auto& [state, line] : quest.placeless)
            if (state < quest.states.rbegin()->first)
                problem(line, "state " + toText(state) + " of " + name +
                                  " has no LOCATION_NAME: no place offers it, so the quest stops there");
    }

    // What a player meets along the quest: every state but the last is
    // played at its place, and the last one rests there for ever.
    void checkStory(const Quest& quest) {
        if (quest.written.empty()) return;
        const std::string name = nameOf(quest);
        const State* last = &quest.written.front();
        for (const State& state : quest.written)
            if (state.number > last->number) last = &state;
        if (last->hasPlace || last->sceneLine)
            problem(last->line, "the last state of " + name +
                                    " is played, so nothing is left to rest in: a finished quest ends in a "
                                    "state with no place and no scene, which keeps its log line");
        for (const State& state : quest.written) {
            // The main quest decides what the town offers, in every state.
            if (quest.number == 1 && (!state.dungeonKey || !state.shipKey))
                problem(state.line, nameOf(state) + " of the main quest does not say whether the town offers " +
                                        (!state.dungeonKey ? "the dungeon" : "the ship") +
                                        " (TOWN_ENABLE_" + (!state.dungeonKey ? "DUNGEON" : "SPACESHIP") + ")");
            if (state.hasPlace && !state.sceneLine && &state != last) unplayed_.push_back({state.line, name, state});
        }
    }

    // Quests run side by side, and a place offers one event at a time: two
    // quests met at one place would hide one of them.
    void checkPlaces() {
        std::map<std::string, std::pair<const Quest*, const State*>> firstAt;
        for (const Quest& quest : quests_)
            for (const State& state : quest.written) {
                if (!state.hasPlace) continue;
                const auto [earlier, fresh] = firstAt.emplace(state.place, std::make_pair(&quest, &state));
                if (!fresh && earlier->second.first->number != quest.number)
                    problem(state.placeLine, "\"" + state.place + "\" is the place of " + nameOf(*earlier->second.first) +
                                            " too (line " + toText(earlier->second.second->line) +
                                            "): both may be current at once, and the place offers one event");
            }
        // Every state a player can reach is played at its place: one
        // without a scene stops the story on "This is not a valid quest."
        for (const Unplayed& state : unplayed_)
            problem(state.state.line, nameOf(state.state) + " of " + state.quest + " at \"" + state.state.place +
                                          "\" has no scene: a player there sees \"This is not a valid quest.\"");
    }

    struct Unplayed {
        int line;
        std::string quest;
        State state;
    };

    DataChecker& checker_;
    std::string file_;
    std::string planet_;
    std::vector<std::string> planets_;
    std::vector<Quest> quests_;
    std::vector<Unplayed> unplayed_;
    std::optional<Quest> quest_;
    std::optional<State> state_;
    std::optional<int> scene_;  // line of the open scene's BEGIN_QUEST_ROOM
    std::map<int, int> questLines_;
    bool inRoom_ = false;
    bool orphanReported_ = false;
};

}  // namespace

void DataChecker::checkQuests() {
    const std::vector<std::string> planets = listedPlanets();
    for (const std::string& file : textFilesIn("quests")) QuestFileChecker(*this, file, planets).run();
}

}  // namespace orv
