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

}  // namespace

std::string fitColumn(const std::string& text, std::size_t width) {
    if (width == 0) return "";
    std::string fitted;
    std::size_t cells = 0;
    for (char c : text) {
        // Colour codes past the cut are kept, so a cut value's colour still
        // ends where it was meant to.
        const bool takesCell = !isColorCode(static_cast<unsigned char>(c));
        if (takesCell && cells == width - 1) continue;
        cells += takesCell;
        fitted += c;
    }
    return fitted + std::string(width - cells, ' ');
}

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
    std::string value;
    switch (kind.what) {
        case RowKind::Name:
            if (subject == RowSubject::Protagonist) {
                const std::size_t left = who.name.size() < kNameColumns ? (kNameColumns - who.name.size()) / 2 : 0;
                text = std::string(left, ' ') + who.name + colorWhite;
            }
            break;
        case RowKind::Stat: {
            const float change = kind.index == Level ? 0.0f : changes[kind.index];
            value = changeColor(change) + wholeNumber(stats[kind.index]) + colorWhite;
            break;
        }
        case RowKind::Resist: {
            const float resistance = resistances[kind.index];
            const float shown = subject == RowSubject::Protagonist ? (1 - resistance) * 100 : -resistance * 100;
            value = changeColor(-resistanceChanges[kind.index]) + wholeNumber(shown) + colorWhite;
            break;
        }
        case RowKind::None: break;
    }
    if (width == 0) return value.empty() ? text : text + " " + value;
    if (value.empty()) return fitColumn(text, width);
    // A long value first gives up the blank after the colon, and is cut
    // only when even that is not enough.
    const bool roomForBlank = displayLength(text) + 1 + displayLength(value) < width;
    return fitColumn(text + (roomForBlank ? " " : "") + value, width);
}

}  // namespace orv
