// Reading spells from the spell file.
#include "data/spell.h"

#include <iostream>

#include "core/colors.h"
#include "data/record.h"
#include "data/simple_file.h"

namespace orv {

Spell::Spell(const std::string& spellName) {
    SimpleFile file("spells\\spells.txt");
    if (file.find(spellName, false) < 0) {
        // Kept off the game screen: the terminal belongs to the frame.
        std::cerr << "ERROR spell not found!" << std::endl;
        return;
    }
    found = true;
    name = spellName;
    description = file.readString();
    level = static_cast<float>(file.readNumber());
    power = static_cast<float>(file.readNumber());
    mpCost = static_cast<float>(file.readNumber());
    battleOnly = file.readString() != "No";
    element = file.readString();
    target = file.readString();
    script = file.readString();
}

std::string Spell::toRecord() const {
    RecordWriter out;
    out.number("level", level)
        .number("power", power)
        .number("MPCost", mpCost)
        .number("battleOnly", battleOnly ? 1.0f : 0.0f)
        .text("element", element)
        .text("target", target)
        .text("script", script);
    return out.str();
}

const std::string& elementColor(const std::string& element) {
    if (element == "Fire") return colorRed;
    if (element == "Dark") return colorMagenta;
    if (element == "Ice") return colorCyan;
    if (element == "Light") return colorYellow;
    if (element == "Normal") return colorGreen;
    return colorWhite;
}

}  // namespace orv
