// The game's sound: one looping music track and one sound effect at a time,
// with music and effect volumes of 0-100. Any failure (no sound card, a
// missing file) leaves the game silent and otherwise unchanged.
#pragma once

#include <map>
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
    // How many times a sound file was read from disk: each track and effect
    // once per run, however often it plays.
    int filesRead() const { return filesRead_; }

private:
    void openDevice();
    void closeDevice();
    void applyMusicVolume();
    void applyEffectVolume();
    _Mix_Music* loadedMusic(const std::string& name);
    Mix_Chunk* loadedEffect(const std::string& name);

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
    // Every sound is read once and kept for the run: a MIDI track reads the
    // whole sound font each time it is opened, the most of start-up time.
    // A file that failed to load is remembered as null and not tried again.
    std::map<std::string, _Mix_Music*> musicCache_;
    std::map<std::string, Mix_Chunk*> effectCache_;
    int filesRead_ = 0;
};

}  // namespace orv
