// orvantis_balance: plays thousands of seeded fights at every destination
// of the campaign, with the party the plan expects there, through the
// game's own battle, scripts and dice, and tells which fights are too hard
// or too easy.
//
//   orvantis_balance [--fights N] [--destination NAME] [--check] [--markdown]
//                    [--bosses] [--pairings] [--data DIR] [--seed N]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "app/game.h"
#include "balance_fight.h"
#include "core/paths.h"
#include "platform/headless_console.h"

namespace orv::balance {
namespace {

struct Options {
    int fights = 200;
    std::string destination;
    bool check = false;
    bool markdown = false;
    bool bossesOnly = false;
    bool pairings = false;  // each boss row's win rate for all sixteen pairings
    std::string data = ORVANTIS_SOURCE_DATA;
    unsigned seed = 1;
};

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--check") options.check = true;
        else if (arg == "--markdown") options.markdown = true;
        else if (arg == "--bosses") options.bossesOnly = true;
        else if (arg == "--pairings") options.pairings = true;
        else if (arg == "--fights" || arg == "--destination" || arg == "--data" || arg == "--seed") {
            const char* v = value();
            if (!v) return false;
            if (arg == "--fights") options.fights = std::max(1, std::atoi(v));
            else if (arg == "--destination") options.destination = v;
            else if (arg == "--data") options.data = v;
            else options.seed = static_cast<unsigned>(std::strtoul(v, nullptr, 10));
        } else {
            return false;
        }
    }
    return true;
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string percent(double share) {
    char text[16];
    std::snprintf(text, sizeof text, "%.0f%%", 100.0 * share);
    return text;
}

std::string fixed(double value, int decimals = 1) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string pairingName(int hero, int sidekick) {
    return std::string(kClasses[hero]) + "/" + kClasses[sidekick];
}

// What the fights of one pairing against one row came to.
struct Tally {
    int fights = 0, wins = 0, rounds = 0, potions = 0, sidekickUp = 0, sidekickOutFirst = 0;
    double hpLeft = 0;
    void add(const FightResult& r) {
        ++fights;
        wins += r.won;
        rounds += r.rounds;
        potions += r.potionsUsed;
        sidekickUp += r.sidekickStanding;
        sidekickOutFirst += r.sidekickOutBeforeActing;
        if (r.won) hpLeft += r.heroHpShareLeft;
    }
    double winRate() const { return fights ? static_cast<double>(wins) / fights : 0; }
};

enum class RowKind { Monster, BossWithPotions, BossWithout };

struct Row {
    std::string name;
    std::string levels;
    RowKind kind = RowKind::Monster;
    Tally pairings[kClassCount][kClassCount];
    Tally total() const {
        Tally sum;
        for (const auto& byHero : pairings)
            for (const Tally& t : byHero) {
                sum.fights += t.fights;
                sum.wins += t.wins;
                sum.rounds += t.rounds;
                sum.potions += t.potions;
                sum.sidekickUp += t.sidekickUp;
                sum.sidekickOutFirst += t.sidekickOutFirst;
                sum.hpLeft += t.hpLeft;
            }
        return sum;
    }
    std::string worst(double& rate) const {
        rate = 2;
        std::string name;
        for (int h = 0; h < kClassCount; ++h)
            for (int s = 0; s < kClassCount; ++s)
                if (pairings[h][s].winRate() < rate) {
                    rate = pairings[h][s].winRate();
                    name = pairingName(h, s);
                }
        return name;
    }
    // Ordinary monsters: every pairing wins nine fights in ten. Bosses: the
    // pairings together win half to 85 % with potions, and no pairing
    // never wins without them.
    bool inBand() const {
        double worstRate = 0;
        worst(worstRate);
        switch (kind) {
            case RowKind::Monster: return worstRate >= 0.9;
            case RowKind::BossWithPotions: {
                const double rate = total().winRate();
                return rate >= 0.5 && rate <= 0.85;
            }
            case RowKind::BossWithout: return worstRate > 0;
        }
        return true;
    }
};

unsigned mix(unsigned a, unsigned b) {
    unsigned h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u + (a << 6) + (a >> 2));
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

struct DestinationReport {
    Destination destination;
    Progress progress;
    int predictedArrival = 1;
    int chainedArrival = 1;
    int bossPartyLevel = 1;
    long budget = 0;
    std::string arrivalKit, bossKit;
    std::vector<Row> rows;
    bool arrivalInBand() const { return std::abs(predictedArrival - destination.plannedArrival) <= 3; }
};

// The monsters of each of the four levels a destination sends.
struct MonsterSet {
    std::vector<std::vector<Opponent>> byLevel;
    std::vector<int> levels;
};

void playRow(Simulator& sim, Row& row, int h, int s, const std::vector<const Monster*>& monsters, int fights,
             unsigned seedBase, bool withPotions) {
    for (int i = 0; i < fights; ++i) {
        const Monster& monster = *monsters[static_cast<std::size_t>(i) % monsters.size()];
        row.pairings[h][s].add(sim.fight(monster, mix(seedBase, static_cast<unsigned>(i)), withPotions));
    }
}

std::string kitText(const Simulator& sim) {
    std::string text;
    for (const std::string& bought : sim.purchases()) text += (text.empty() ? "" : "; ") + bought;
    return text.empty() ? "nothing" : text;
}

DestinationReport simulate(Simulator& sim, const std::vector<Destination>& plan, int k, int chainedArrival,
                           const Options& options) {
    DestinationReport report;
    report.destination = plan[k];
    const Destination& d = plan[k];
    report.progress = progressAt(d, d.plannedArrival);
    report.predictedArrival = k == 0 ? 1 : progressAt(plan[k - 1], plan[k - 1].plannedArrival).levelAfterBoss;
    report.predictedArrival = std::min(report.predictedArrival, 100);
    report.chainedArrival = chainedArrival;
    report.bossPartyLevel = std::min(100, report.progress.levelAfterFights);
    report.budget = arrivalBudget(plan, k);

    MonsterSet set;
    const int low = lowestMonsterLevel(k, d.plannedArrival);
    for (int i = 0; i < kMonsterLevelSpread; ++i) {
        set.levels.push_back(std::max(1, low + i));
        set.byLevel.push_back(sim.planetMonsters(d.planet, set.levels.back()));
    }
    const std::size_t monsterCount = set.byLevel[0].size();
    for (std::size_t m = 0; m < monsterCount; ++m) {
        Row row;
        row.name = set.byLevel[0][m].name;
        row.levels = std::to_string(set.levels.front()) + "-" + std::to_string(set.levels.back());
        report.rows.push_back(std::move(row));
    }
    for (const std::string& bossName : d.bosses) {
        for (RowKind kind : {RowKind::BossWithPotions, RowKind::BossWithout}) {
            Row row;
            row.name = bossName + (kind == RowKind::BossWithPotions ? " (potions)" : " (no potions)");
            row.levels = std::to_string(d.bossLevel());
            row.kind = kind;
            report.rows.push_back(std::move(row));
        }
    }
    std::vector<Opponent> bosses;
    for (const std::string& bossName : d.bosses) bosses.push_back(sim.boss(bossName, d.bossLevel()));

    for (int h = 0; h < kClassCount; ++h)
        for (int s = 0; s < kClassCount; ++s) {
            const unsigned pairingSeed = mix(options.seed, static_cast<unsigned>(k * 100 + h * 10 + s));
            sim.buildParty({h, s, d.plannedArrival, k, report.budget, pairingSeed});
            if (h == 0 && s == 0) report.arrivalKit = kitText(sim);
            for (std::size_t m = 0; m < monsterCount && !options.bossesOnly; ++m) {
                std::vector<const Monster*> monsters;
                for (const auto& level : set.byLevel) monsters.push_back(&level[m].monster);
                playRow(sim, report.rows[m], h, s, monsters, options.fights, mix(pairingSeed, static_cast<unsigned>(m)),
                        true);
            }
            sim.buildParty({h, s, report.bossPartyLevel, k, report.budget, pairingSeed + 1});
            if (h == 0 && s == 0) report.bossKit = kitText(sim);
            for (std::size_t b = 0; b < bosses.size(); ++b)
                for (int withPotions = 1; withPotions >= 0; --withPotions) {
                    Row& row = report.rows[monsterCount + 2 * b + (withPotions ? 0 : 1)];
                    playRow(sim, row, h, s, {&bosses[b].monster}, options.fights,
                            mix(pairingSeed, static_cast<unsigned>(1000 + b)), withPotions != 0);
                }
        }
    return report;
}

// A boss row's win rate for every pairing, hero down, sidekick across: where
// a boss is a wall, and for whom.
void printPairings(const Row& row, std::ostream& out) {
    out << "      hero \\ sidekick";
    for (int s = 0; s < kClassCount; ++s) out << "  " << pairingName(s, s).substr(0, pairingName(s, s).find('/'));
    out << "\n";
    for (int h = 0; h < kClassCount; ++h) {
        const std::string name = pairingName(h, h);
        out << "      " << name.substr(0, name.find('/'));
        for (int s = 0; s < kClassCount; ++s) out << "  " << percent(row.pairings[h][s].winRate());
        out << "\n";
    }
}

void printReport(const DestinationReport& r, bool markdown, bool pairings, std::ostream& out) {
    const Destination& d = r.destination;
    const Progress& p = r.progress;
    if (markdown) out << "\n### " << d.index + 1 << ". " << d.station << " — " << d.planet << " (k = " << d.index
                      << ")\n\n";
    else out << "\n== " << d.index + 1 << ". " << d.station << " - " << d.planet << " (k=" << d.index << ") ==\n";
    const std::string bullet = markdown ? "- " : "  ";
    out << bullet << "Arrival level: plan " << d.plannedArrival << ", the previous destination's fights bring "
        << r.predictedArrival << " (all destinations chained from level 1: " << r.chainedArrival << ") — "
        << (r.arrivalInBand() ? "in band" : "OUT OF BAND") << "\n";
    out << bullet << "Ordinary fights at levels " << r.rows.front().levels << " with the party at level "
        << d.plannedArrival << "; bosses at level " << d.bossLevel() << " with the party at level "
        << r.bossPartyLevel << " (after fourteen fights)\n";
    out << bullet << "Fights from level " << d.plannedArrival << " to the boss's level " << d.bossLevel() << ": "
        << (p.fightsToBossLevel < 0 ? std::string("more than 200") : std::to_string(p.fightsToBossLevel))
        << "; level after fourteen fights: " << p.levelAfterFights << "; after the boss and the main quest: "
        << p.levelAfterBoss << "\n";
    out << bullet << "Experience per fight on arrival: " << fixed(p.experiencePerFightAtArrival, 0)
        << " (a level costs 10000: " << fixed(10000.0 / std::max(1.0f, p.experiencePerFightAtArrival), 1)
        << " fights a level)\n";
    out << bullet << "Purse: " << r.budget << "*; Fighter/Fighter kit on arrival: " << r.arrivalKit << "\n";
    out << bullet << "Fighter/Fighter kit at the boss: " << r.bossKit << "\n\n";
    if (markdown) {
        out << "| Opponent | Level | Win | Worst pairing | Turns | HP left | Potions | Sidekick up | Verdict |\n"
               "|---|---|---|---|---|---|---|---|---|\n";
    } else {
        char line[200];
        std::snprintf(line, sizeof line, "  %-34s %-6s %5s  %-24s %6s %7s %7s %8s  %s\n", "opponent", "level",
                      "win", "worst pairing", "turns", "HP left", "potions", "sidekick", "verdict");
        out << line;
    }
    for (const Row& row : r.rows) {
        const Tally t = row.total();
        if (t.fights == 0) continue;  // not played this time
        double worstRate = 0;
        std::string worst = row.worst(worstRate);
        worst += " " + percent(worstRate);
        const std::string verdict = row.inBand() ? "ok" : "OUT";
        const std::string turns = fixed(t.fights ? static_cast<double>(t.rounds) / t.fights : 0);
        const std::string hpLeft = percent(t.wins ? t.hpLeft / t.wins : 0);
        const std::string potions = fixed(t.fights ? static_cast<double>(t.potions) / t.fights : 0, 2);
        const std::string sidekickUp = percent(t.fights ? static_cast<double>(t.sidekickUp) / t.fights : 0);
        if (markdown) {
            out << "| " << row.name << " | " << row.levels << " | " << percent(t.winRate()) << " | " << worst
                << " | " << turns << " | " << hpLeft << " | " << potions << " | " << sidekickUp << " | "
                << (row.inBand() ? "ok" : "**out**") << " |\n";
        } else {
            char line[300];
            std::snprintf(line, sizeof line, "  %-34s %-6s %5s  %-24s %6s %7s %7s %8s  %s\n", row.name.c_str(),
                          row.levels.c_str(), percent(t.winRate()).c_str(), worst.c_str(), turns.c_str(),
                          hpLeft.c_str(), potions.c_str(), sidekickUp.c_str(), verdict.c_str());
            out << line;
            if (pairings && row.kind != RowKind::Monster) printPairings(row, out);
        }
    }
}

// The faults a first play met, measured: a frail sidekick felled before it
// acts on the first planet, and how many spells a mage knows at level 6.
void printFirstPlayFaults(Simulator& sim, const DestinationReport* first, bool markdown, std::ostream& out) {
    out << (markdown ? "\n## First play\n\n" : "\n== First play ==\n");
    const std::string bullet = markdown ? "- " : "  ";
    if (first) {
        for (int s = 0; s < kClassCount; ++s) {
            int fights = 0, out1 = 0;
            for (std::size_t m = 0; m < first->rows.size(); ++m) {
                if (first->rows[m].kind != RowKind::Monster) continue;
                for (int h = 0; h < kClassCount; ++h) {
                    fights += first->rows[m].pairings[h][s].fights;
                    out1 += first->rows[m].pairings[h][s].sidekickOutFirst;
                }
            }
            out << bullet << kClasses[s] << " sidekick knocked out before its first turn at "
                << first->destination.planet << ": " << percent(fights ? static_cast<double>(out1) / fights : 0)
                << " of " << fights << " ordinary fights\n";
        }
    }
    sim.buildParty({1, 1, 6, 0, 0, 1});
    const Player& hero = game().player;
    std::string names;
    for (const Spell& spell : hero.spells) names += (names.empty() ? "" : ", ") + spell.name;
    out << bullet << "A level-6 Mage hero (magic " << hero.stats[Magic] << ") knows " << hero.spells.size()
        << " spells: " << names << "\n";
    out << bullet << "A level-6 Mage sidekick (magic " << game().sidekick.stats[Magic] << ") knows "
        << game().sidekick.spells.size() << " spells\n";
}

int run(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::cerr << "usage: orvantis_balance [--fights N] [--destination NAME] [--check] [--markdown] "
                     "[--bosses] [--pairings] [--data DIR] [--seed N]\n";
        return 2;
    }
    std::error_code error;
    std::filesystem::current_path(options.data, error);
    if (error) {
        std::cerr << "orvantis_balance: cannot use the content directory " << options.data << "\n";
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    HeadlessConsole console;
    Game game(console);
    game.audio.init(false);
    game.screen.setQuiet(true);
    game.player.tutorialHints = 0;
    Simulator sim(game);

    const std::vector<Destination> plan = readDestinations();
    if (plan.size() != static_cast<std::size_t>(kDestinations)) {
        std::cerr << "orvantis_balance: the planet list holds " << plan.size() << " destinations, not "
                  << kDestinations << "\n";
        return 2;
    }
    std::ostream& out = std::cout;
    if (options.markdown)
        out << "Measured with `--fights " << options.fights << " --seed " << options.seed << "` ("
            << options.fights << " fights per opponent and class pairing).\n";
    bool allInBand = true;
    int chained = 1;
    std::vector<DestinationReport> reports;
    for (int k = 0; k < kDestinations; ++k) {
        const Destination& d = plan[k];
        const int chainedHere = chained;
        chained = std::min(100, progressAt(d, chained).levelAfterBoss);
        if (!options.destination.empty() && lower(options.destination) != lower(d.planet) &&
            lower(options.destination) != lower(d.station))
            continue;
        reports.push_back(simulate(sim, plan, k, chainedHere, options));
        printReport(reports.back(), options.markdown, options.pairings, out);
        out.flush();
        allInBand = allInBand && reports.back().arrivalInBand();
        for (const Row& row : reports.back().rows) allInBand = allInBand && (row.total().fights == 0 || row.inBand());
    }
    if (reports.empty()) {
        std::cerr << "orvantis_balance: no destination is called " << options.destination << "\n";
        return 2;
    }
    const DestinationReport* first = reports.front().destination.index == 0 ? &reports.front() : nullptr;
    printFirstPlayFaults(sim, first, options.markdown, out);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cerr << "orvantis_balance: " << (allInBand ? "every row in band" : "some rows out of band") << "; "
              << fixed(seconds, 1) << " s\n";
    return options.check && !allInBand ? 1 : 0;
}

}  // namespace
}  // namespace orv::balance

int main(int argc, char** argv) { return orv::balance::run(argc, argv); }
