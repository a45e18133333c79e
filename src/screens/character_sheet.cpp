// Character sheets.
#include "screens/character_sheet.h"

#include "items/stat_rows.h"

#include "core/colors.h"
#include "core/text.h"
#include "data/protagonist.h"
#include "data/sidekick.h"

namespace orv {

namespace {

constexpr std::size_t kBoxWidth = 18;

struct SheetLine {
    std::string label;  // coloured label, empty for a blank line
    std::string value;
};

// What a sheet shows: the base build (creation, level-up) or the live
// statistics of a fight with a plan instead of a class.
struct SheetStyle {
    bool live = false;
    bool plan = false;          // the last line is the battle plan, not the type
    bool wholeNumbers = false;  // the final sheet drops the fractions
};

std::vector<SheetLine> sheetLines(const Protagonist& who, SheetStyle style = {}) {
    auto stat = [&](const char* label, float value) {
        return SheetLine{colorMagenta + label + colorWhite,
                         style.wholeNumbers ? toText(static_cast<long>(value)) : toText(value)};
    };
    auto resist = [&](const char* label, float value) {
        const std::string shown =
            style.plan ? toText(static_cast<long>((1.0f - value) * 100.0f)) + "%" : resistancePercent(value);
        return SheetLine{"  " + colorMagenta + label + colorWhite, shown};
    };
    auto defence = [&](const char* label, float value) {
        return SheetLine{"  " + colorMagenta + label + colorWhite, toText(value)};
    };
    StatBlock s = style.live ? who.effective : who.stats;
    if (!style.wholeNumbers) s[Level] = who.stats[Level];
    const ResistanceBlock& r = style.live ? who.effectiveResistances : who.resistances;
    const SheetLine last = style.plan ? SheetLine{colorRed + "Current Plan: " + colorWhite, who.className}
                                      : SheetLine{colorRed + "Type: " + colorWhite, who.className};
    return {
        {colorYellow + "Name: " + colorWhite, who.name},
        {"", ""},
        stat("Level: ", s[Level]),
        stat("HP: ", s[HP]),
        stat("MP: ", s[MP]),
        stat("ATK: ", s[Attack]),
        stat("MAG: ", s[Magic]),
        stat("SPD: ", s[Speed]),
        {"", ""},
        {colorYellow + "Defenses:" + colorWhite, ""},
        defence("LowDef: ", s[LowDefence]),
        defence("MidDef: ", s[MidDefence]),
        defence("Hi Def: ", s[HighDefence]),
        {"", ""},
        {colorYellow + "Resistances:" + colorWhite, ""},
        resist("Ice: ", r[Ice]),
        resist("Fire: ", r[Fire]),
        resist("Dark: ", r[Dark]),
        resist("Light: ", r[Light]),
        resist("Ether: ", r[Ether]),
        {"", ""},
        last,
    };
}

std::vector<std::string> boxColumn(const std::vector<std::string>& words, std::size_t rows) {
    std::vector<std::string> column(rows, std::string(kBoxWidth, ' '));
    const std::string edge = " " + std::string(kBoxWidth - 2, '=') + " ";
    column[0] = edge;
    const std::size_t inside = words.size() + 2;
    for (std::size_t i = 1; i <= inside && i < rows; ++i) {
        std::string middle(kBoxWidth - 4, ' ');
        if (i >= 2 && i - 2 < words.size()) {
            const std::string& word = words[i - 2];
            const std::size_t left = (middle.size() - std::min(word.size(), middle.size())) / 2;
            middle = std::string(left, ' ') + colorGreen + word + colorWhite +
                     std::string(middle.size() - left - std::min(word.size(), middle.size()), ' ');
        }
        column[i] = " |" + middle + "| ";
    }
    if (inside + 1 < rows) column[inside + 1] = edge;
    return column;
}

std::vector<std::string> sheetWithBox(const std::vector<SheetLine>& lines, const std::vector<std::string>& boxWords) {
    const std::vector<std::string> box = boxColumn(boxWords, lines.size());
    std::vector<std::string> sheet;
    for (std::size_t i = 0; i < lines.size(); ++i)
        sheet.push_back(box[i] + "||  " + lines[i].label + lines[i].value);
    return sheet;
}

}  // namespace

std::string resistancePercent(float resistance) { return toText((1.0f - resistance) * 100.0f) + "%"; }

std::vector<std::string> characterSheet(const Protagonist& who, const std::vector<std::string>& boxWords) {
    return sheetWithBox(sheetLines(who), boxWords);
}

std::vector<std::string> finalSheet(const Protagonist& who, const std::vector<std::string>& boxWords) {
    return sheetWithBox(sheetLines(who, SheetStyle{true, false, true}), boxWords);
}

std::vector<std::string> ordersSheet(const Protagonist& sidekick) {
    std::vector<SheetLine> lines = sheetLines(sidekick, SheetStyle{true, true, false});
    lines.back().value = static_cast<const Sidekick&>(sidekick).battleMode;
    const std::vector<std::string> box = boxColumn({"ORDER", "YOUR", "SIDEKICK"}, lines.size());
    std::vector<std::string> sheet;
    for (std::size_t i = 0; i < lines.size(); ++i)
        sheet.push_back(box[i] + "||  " + lines[i].label + lines[i].value);
    return sheet;
}

std::vector<std::string> levelUpSheet(const Protagonist& player, const Protagonist& sidekick) {
    const std::vector<SheetLine> left = sheetLines(player);
    const std::vector<SheetLine> right = sheetLines(sidekick);
    std::vector<std::string> sheet = {"", std::string(33, ' ') + colorGreen + "LEVEL UP!" + colorWhite};
    for (std::size_t i = 0; i < left.size(); ++i) {
        const std::string playerText = fitColumn("   " + left[i].label + left[i].value, 38);
        sheet.push_back(playerText + "||  " + right[i].label + right[i].value);
    }
    return sheet;
}

}  // namespace orv
