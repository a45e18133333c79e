// The system menu.
#include "screens/sysmenu.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "app/game.h"
#include "core/colors.h"
#include "core/paths.h"
#include "core/text.h"
#include "items/slot_file.h"

namespace orv {

namespace {

constexpr const char* kMusicKey = "FMOD:MUSIC_VOLUME:";
constexpr const char* kEffectKey = "FMOD:SOUND_VOLUME:";

// The shortest text that sets the same volume again ("15", not the
// "15.000001" the sound keeps as a fraction).
std::string exactVolume(float volume) {
    char text[32];
    for (int decimals = 0; decimals <= 9; ++decimals) {
        const auto written = std::to_chars(text, text + sizeof text, volume, std::chars_format::fixed, decimals);
        const std::string shortest(text, written.ptr);
        if (std::strtof(shortest.c_str(), nullptr) / 100.0f == volume / 100.0f) return shortest;
    }
    return std::string(text, std::to_chars(text, text + sizeof text, volume).ptr);
}

// A kept volume only when the whole rest of the line is a number: a file
// the player mangled must not silence the game.
bool readVolume(const std::string& line, const std::string& key, float& volume) {
    if (line.compare(0, key.size(), key) != 0) return false;
    const std::string number = line.substr(key.size());
    char* end = nullptr;
    const float value = std::strtof(number.c_str(), &end);
    if (number.empty() || end != number.c_str() + number.size() || !std::isfinite(value)) return false;
    volume = value;
    return true;
}

// Kept after each change, so the next game starts where this one was set.
void keepOrSayWhy(Game& g) {
    if (const std::string problem = keepVolumes(g.audio); !problem.empty())
        g.screen.addMessage(colorRed + "The volumes are not kept for the next game" + colorWhite + " (" + problem +
                            ").");
}

}  // namespace

void applyKeptVolumes(Audio& audio) {
    const std::string path = volumesFilePath();
    if (path.empty()) return;
    SlotInput file(path);
    std::string line;
    for (int lines = 0; lines < 16 && std::getline(file, line); ++lines) {
        float volume = 0;
        if (readVolume(line, kMusicKey, volume)) audio.setMusicVolume(volume);
        else if (readVolume(line, kEffectKey, volume)) audio.setEffectVolume(volume);
    }
}

std::string keepVolumes(const Audio& audio) {
    const std::string path = volumesFilePath();
    if (path.empty()) return "";
    const std::string text = std::string(kMusicKey) + exactVolume(audio.getMusicVolume()) + "\n" + kEffectKey +
                             exactVolume(audio.getEffectVolume()) + "\n";
    bool opened = false;
    return writeSlotFile(path, text, opened);
}

Sysmenu::Sysmenu(State* parent) : State(parent) { game().screen.clearMessages(); }

void Sysmenu::Draw() {
    Game& g = game();
    g.screen.addArtLine("Music Volume: " + toText(g.audio.getMusicVolume()));
    g.screen.addArtLine("Sound Effect Volume: " + toText(g.audio.getEffectVolume()));
    if (mode_ != ShowingMenu) return;
    g.screen.addMenuOption("<1> Set Music Volume");
    g.screen.addMenuOption("<2> Set Sound Effect Volume");
    g.screen.addMenuOption("<0> Exit");
}

void Sysmenu::Update(const std::string& command) {
    Game& g = game();
    switch (mode_) {
        case ShowingMenu:
            if (command == "0") {
                closeState();
            } else if (command == "1") {
                g.screen.clearMessages();
                mode_ = WaitingForMusicVolume;
                g.screen.addMessage("Enter music volume (0 - 100).");
            } else if (command == "2") {
                g.screen.clearMessages();
                mode_ = WaitingForEffectVolume;
                g.screen.addMessage("Enter sound volume (0 - 100).");
            }
            break;
        // Any line is a volume here, "0" included, and a word reads as the
        // number 0 like it does everywhere else. The question is answered, so
        // it goes with the answer instead of lingering over the menu.
        case WaitingForMusicVolume:
            g.audio.setMusicVolume(toNumber(command));
            g.screen.clearMessages();
            keepOrSayWhy(g);
            mode_ = ShowingMenu;
            break;
        case WaitingForEffectVolume:
            g.audio.setEffectVolume(toNumber(command));
            g.screen.clearMessages();
            keepOrSayWhy(g);
            mode_ = ShowingMenu;
            break;
    }
}

}  // namespace orv
