// The known world for fights.
#include "combat/combat_content.h"

namespace orv::test {

std::string monsterRecord(const std::string& name, const std::string& type, int speed, int attack, int defence,
                          int fireResistance) {
    const std::string d = std::to_string(defence);
    return "MONSTER_BEGIN\nName: " + name + "\nType: " + type + "\nPlanet: Testland\nDescription: A " + name +
           " that lives in the tests and bites.\nFire: " + std::to_string(fireResistance) +
           "\nIce: 100\nLight: 100\nDark: 100\nEther: 100\nSpeed: " + std::to_string(speed) +
           "\nAttack: " + std::to_string(attack) + "\nMagic: 5\nLowDef: " + d + "\nMidDef: " + d + "\nHighDef: " + d +
           "\nLower: tail\nMiddle: belly\nUpper: snout\nWeapon: rusty fork\nWeaponType: sword\n";
}

std::string spellRecord(const std::string& name, int level, float power, int cost, const std::string& element,
                        const std::string& target, const std::string& script) {
    return "SPELL_BEGIN\nName: " + name + "\nDescription: words\n Level: " + std::to_string(level) +
           "\nPower: " + std::to_string(power) + "\nMP Cost: " + std::to_string(cost) +
           "\nBattle Only: No\nElement: " + element + "\nTarget: " + target + "\nScript: " + script + "\n";
}

CombatContent::CombatContent() {
    dir.write("spells/spells.txt", spellRecord("Fireball", 1, 1.0f, 5, "Fire", "ENEMY") +
                                       spellRecord("Lesser Healing", 1, -2.0f, 4, "Light", "YOU") +
                                       spellRecord("Frostbite", 1, 1.5f, 6, "Ice", "ENEMY") +
                                       spellRecord("Rage", 1, 0.0f, 3, "Fire", "YOU", "Rage"));
    std::string planet;
    for (int i = 1; i <= 9; ++i) planet += monsterRecord("Beast" + std::to_string(i));
    dir.write("monsters/Testland.txt", planet);
    dir.write("monsters/All Planets.txt", monsterRecord("Wanderer1") + monsterRecord("Wanderer2"));
    dir.write("monsters/Bosses.txt", monsterRecord("Big Boss", "Boss", 20, 30, 20) + monsterRecord("Big", "None"));
    dir.write("art/gameover.txt", "GAME OVER\n");
    dir.write("planets/Planet List.txt", "Test Dock,Testland\n");
    // Spells: "Rage" raises the caster's attack for the battle.
    writeSpellScript(R"(
function SpellCast(player, sidekick, monster, spell, caster)
  if string.find(spell, "|STR|script|Rage|", 1, true) then
    player = string.gsub(player, "|NUM|modAtk|([%d%.%-e]+)|", function(v) return "|NUM|modAtk|" .. (tonumber(v) + 50) .. "|" end)
    DisplayAddMessage("Rage!")
  end
  return player, sidekick, monster
end
)");
    writeAiScript(R"(
function MonsterAI(player, sidekick, monster)
  return player, sidekick, monster, 0
end
)");
}

}  // namespace orv::test
