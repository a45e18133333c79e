// The character sheets of the creation and level-up screens.
#pragma once

#include <string>
#include <vector>

namespace orv {

class Protagonist;

// The sheet of one protagonist beside a framed box with the given words.
std::vector<std::string> characterSheet(const Protagonist& who, const std::vector<std::string>& boxWords);
// The hero's sheet at the end of the story: live values in whole numbers.
std::vector<std::string> finalSheet(const Protagonist& who, const std::vector<std::string>& boxWords);
// Player and sidekick side by side under "LEVEL UP!".
std::vector<std::string> levelUpSheet(const Protagonist& player, const Protagonist& sidekick);
// The sidekick's card on the battle's orders screen: its live statistics,
// resistances as whole per cents, and its current plan.
std::vector<std::string> ordersSheet(const Protagonist& sidekick);
// A resistance factor as the per cent of damage it avoids: 1.05 -> "-5%".
std::string resistancePercent(float resistance);

}  // namespace orv
