// The game's sound: one looping music track and one sound effect at a time,
// with music and effect volumes of 0-100. Any failure (no sound card, a
// missing file) leaves the game silent and otherwise unchanged.
#pragma once

#include <string>

struct _Mix_Music;
struct Mix_Chunk;

namespace orv {

class Console;

class Audio {
public:
    explicit Audio(Console& console) : console_(console) {}
    Audio(const Audio&) = delete;
    Audio& operator=(const Audio&) = delete;
    ~Audio();

    // Opens the sound device. `openDevice` false keeps every request silent
    // but still tracks what would play (tests, headless replays).
    void init(bool openDevice = true);

    void playMusic(const std::string& name);
    void playPreviousMusic();
    void stopMusic();
    void playEffect(const std::string& name);

    void setMusicVolume(float volume);
    void setEffectVolume(float volume);
    float getMusicVolume() const;
    float getEffectVolume() const;

    bool enabled() const { return enabled_; }
    bool deviceOpen() const { return deviceOpen_; }
    const std::string& currentMusic() const { return currentMusic_; }
    const std::string& previousMusic() const { return previousMusic_; }
    const std::string& lastEffect() const { return lastEffect_; }
    bool musicLoaded() const { return music_ != nullptr; }
    bool effectLoaded() const { return effect_ != nullptr; }

private:
    void openDevice();
    void closeDevice();
    void applyMusicVolume();
    void applyEffectVolume();

    Console& console_;
    bool enabled_ = false;
    bool deviceOpen_ = false;
    std::string previousMusic_;
    std::string currentMusic_;
    std::string lastEffect_;
    float effectVolume_ = 0;
    float musicVolume_ = 0;
    _Mix_Music* music_ = nullptr;
    Mix_Chunk* effect_ = nullptr;
    int effectChannel_ = -1;
};

}  // namespace orv
