// Something a protagonist can carry, wear or drink. The kind decides where it
// goes: 0 boots, 1 shield, 2 headgear, 3 gun, 4 sword, 5 staff, 6 HP potion,
// 7 MP potion, 8 hybrid potion.
#pragma once

#include "data/entity.h"

namespace orv {

enum ItemKind : int {
    KindBoots = 0,
    KindShield,
    KindHeadgear,
    KindGun,
    KindSword,
    KindStaff,
    KindHpPotion,
    KindMpPotion,
    KindHybridPotion,
};

class Item : public Entity {
public:
    Item() = default;
    explicit Item(int itemKind) : kind(itemKind) {}

    int kind = 0;
};

}  // namespace orv
