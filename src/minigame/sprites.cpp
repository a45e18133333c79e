// Our own figures for the shooter's ships and shots. They face left, the
// way the enemies fly, and keep to plain characters so every terminal can
// show them.
#include "minigame/sprites.h"

#include <array>

#include "minigame/mission_tables.h"

namespace orv {

namespace {

using Rows = std::string_view;

constexpr Rows kBall[] = {"O"};
constexpr Rows kScout[] = {"<o"};
constexpr Rows kFighter[] = {" /-", "<=|", " \\-"};
constexpr Rows kDrone[] = {"-o-"};
constexpr Rows kGunboat[] = {" __ ", "<==]", " \\/ "};
constexpr Rows kTransport[] = {" ___ ", "<[_]]", " o o "};
constexpr Rows kBattery[] = {"=[#", "/_\\"};
constexpr Rows kHeavy[] = {" /==\\", "<=[##", " \\==/"};
constexpr Rows kMine[] = {"*"};
constexpr Rows kBoarder[] = {"<}"};

constexpr Figure kEnemyFigures[] = {
    {kBall, 1, 0},    {kScout, 1, 0},     {kFighter, 3, -1}, {kDrone, 1, 0},  {kGunboat, 3, -1},
    {kTransport, 3, -1}, {kBattery, 2, -1}, {kHeavy, 3, -1},   {kMine, 1, 0},  {kBoarder, 1, 0},
};

constexpr Rows kHulk[] = {"  ________  ", " /        \\ ", "<  ======  |", "<==========|",
                          "<  ======  |", " \\________/ ", "            "};
constexpr Rows kSnagtooth[] = {"    ____    ", "  _/ oo \\__ ", " <  SNAG  =|", "<VVVVVVVVVV|",
                               " <________=|", "   \\_/ \\_/  ", "            "};
constexpr Rows kIcebreaker[] = {"   /\\  /\\   ", "  /**\\/**\\  ", " <|=ICE===|>", "<<|========|",
                                " <|========|", "  \\**/\\**/  ", "   \\/  \\/   "};
constexpr Rows kFrigate[] = {"     |      ", "  ___|___   ", " / o o o \\__", "<==[DRILL]==",
                             " \\_______/  ", "   |   |    ", "  TARGET!   "};
constexpr Rows kBertha[] = {" _________  ", "|  BIG    |_", "| BERTHA  | |", "<=========|_|",
                            "|[][][][] |  ", "|_________|  ", "  O  O  O   "};
constexpr Rows kCourier[] = {"    ___     ", "  _/ @ \\_   ", " <  ~~~  >  ", "<===(O)===> ",
                             " <  ~~~  >  ", "  \\_   _/   ", "    ---     "};
constexpr Rows kBarge[] = {"  ..::::..  ", " /  ____  \\ ", "< [NIGHT] ==", "<==========|",
                           "< [ JAR  ] ==", " \\________/ ", "  '  ''  '  "};
constexpr Rows kDreadnought[] = {"=====#======", "<[##]==[##]|", "<==========|", "<[##]==[##]|",
                                 "<==========|", "<[##]==[##]|", "=====#======"};
constexpr Rows kMaw[] = {" /\\/\\/\\/\\/\\ ", "<          |", "< \\/\\/\\/\\/ |", "<  THE MAW |",
                         "< /\\/\\/\\/\\ |", "<          |", " \\/\\/\\/\\/\\/ "};

constexpr Figure kBossFigures[] = {
    {kHulk, 7, 0},   {kSnagtooth, 7, 0}, {kIcebreaker, 7, 0}, {kFrigate, 7, 0},   {kBertha, 7, 0},
    {kCourier, 7, 0}, {kBarge, 7, 0},    {kDreadnought, 7, 0}, {kMaw, 7, 0},
};

}  // namespace

Figure enemyFigure(int type) {
    if (type < 0 || type >= static_cast<int>(std::size(kEnemyFigures))) type = 0;
    return kEnemyFigures[type];
}

Figure bossFigure(int type) {
    if (type < 0 || type >= static_cast<int>(std::size(kBossFigures))) type = 0;
    return kBossFigures[type];
}

unsigned char shotGlyph(int type, int owner, bool particle) {
    if (particle) {
        switch (type) {
            case ShotExhaust: return '.';
            case ShotSpark: return '*';
            case ShotStar: return '.';
            case ShotDustCloud: return '~';
            default: return 0;
        }
    }
    if (owner == kOwnerEnemy) {
        static constexpr unsigned char enemyShots[] = {'-', '*', 'o', '=', '~'};
        return type >= 0 && type < 5 ? enemyShots[type] : '.';
    }
    switch (type) {
        case ShotGauss: return '-';
        case ShotMissile: return '>';
        case ShotCharge: return 'o';
        case ShotBomb: return '@';
        case ShotSuperMissile: return 175;  // a double chevron
        case ShotLaser: return '-';
        case ShotUltraLaser: return '=';
        case ShotDestroyer: return 'D';
        default: return '-';
    }
}

}  // namespace orv
