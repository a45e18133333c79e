// The statistics rows.
#include "items/stat_rows.h"

#include <cmath>

#include "core/colors.h"
#include "core/text.h"
#include "data/entity.h"

namespace orv {

namespace {

constexpr std::size_t kNameColumns = 17;
constexpr std::size_t kLongestValue = 5;

struct RowKind {
    const char* label;
    enum { None, Name, Stat, Resist } what;
    std::size_t index;
};

RowKind rowKind(int row) {
    switch (row) {
        case 0: return {"", RowKind::Name, 0};
        case 2: return {"  Level   :", RowKind::Stat, Level};
        case 3: return {"  HP      :", RowKind::Stat, HP};
        case 4: return {"  Max HP  :", RowKind::Stat, MaxHP};
        case 5: return {"  MP      :", RowKind::Stat, MP};
        case 6: return {"  Max MP  :", RowKind::Stat, MaxMP};
        case 8: return {"  Atk     :", RowKind::Stat, Attack};
        case 9: return {"  Mag     :", RowKind::Stat, Magic};
        case 10: return {"  Speed   :", RowKind::Stat, Speed};
        case 11: return {"  LowDef  :", RowKind::Stat, LowDefence};
        case 12: return {"  MidDef  :", RowKind::Stat, MidDefence};
        case 13: return {"  HighDef :", RowKind::Stat, HighDefence};
        case 15: return {" Elemental", RowKind::None, 0};
        case 16: return {"  Fire    :", RowKind::Resist, Fire};
        case 17: return {"  Ice     :", RowKind::Resist, Ice};
        case 18: return {"  Dark    :", RowKind::Resist, Dark};
        case 19: return {"  Light   :", RowKind::Resist, Light};
        case 20: return {"  Ether   :", RowKind::Resist, Ether};
        default: return {"", RowKind::None, 0};
    }
}

std::string wholeNumber(float value) {
    std::string text = toText(static_cast<long>(std::floor(value + 0.5f)));
    if (text.size() > kLongestValue) text.resize(kLongestValue);
    return text;
}

std::string padTo(std::string text, std::size_t width) {
    while (displayLength(text) < width) text += ' ';
    return text;
}

}  // namespace

const std::string& changeColor(float change) {
    if (change > 0) return colorGreen;
    if (change < 0) return colorRed;
    return colorWhite;
}

std::string statRow(int row, const Entity& who, const StatBlock& stats, const ResistanceBlock& resistances,
                     RowSubject subject, const StatBlock& changes, const ResistanceBlock& resistanceChanges,
                     std::size_t width) {
    const RowKind kind = rowKind(row);
    std::string text = kind.label;
    switch (kind.what) {
        case RowKind::Name:
            if (subject == RowSubject::Protagonist) {
                const std::size_t left = who.name.size() < kNameColumns ? (kNameColumns - who.name.size()) / 2 : 0;
                text = std::string(left, ' ') + who.name + colorWhite;
            }
            break;
        case RowKind::Stat: {
            const float change = kind.index == Level ? 0.0f : changes[kind.index];
            text += " " + changeColor(change) + wholeNumber(stats[kind.index]) + colorWhite;
            break;
        }
        case RowKind::Resist: {
            const float value = resistances[kind.index];
            const float shown = subject == RowSubject::Protagonist ? (1 - value) * 100 : -value * 100;
            text += " " + changeColor(-resistanceChanges[kind.index]) + wholeNumber(shown) + colorWhite;
            break;
        }
        case RowKind::None: break;
    }
    return padTo(text, width);
}

}  // namespace orv
