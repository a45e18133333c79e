// Reading a mission's level file: the waves, each reread from the file when
// it is due, and the boss, read once during the first pass.
#pragma once

#include <string>

#include "minigame/mission_tables.h"

namespace orv {

class Screen;

// The file of mission n: "quorix\level_<n>.txt".
std::string levelFileName(int level);

// Reads wave `wave` of level `level` into the tables: its wait, text and
// portrait into the progress, its groups spawned into the enemy table with
// their movement steps, and, while none has been read yet, the boss.
// Returns whether the wave was found (its WAVE_WAIT_AFTER: line was read).
// A file that cannot be opened adds "unable to open file" to `messages`.
bool loadWave(MissionState& state, int level, int wave, Screen* messages);

}  // namespace orv
