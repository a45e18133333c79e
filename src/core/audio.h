// The game's sound: one looping music track and one sound effect at a time,
// with music and effect volumes of 0-100. Any failure (no sound card, a
// missing file) leaves the game silent and otherwise unchanged.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

struct _Mix_Music;
struct Mix_Chunk;

namespace orv {

class Console;
class MidiSynth;

class Audio {
public:
    explicit Audio(Console& console);
    Audio(const Audio&) = delete;
    Audio& operator=(const Audio&) = delete;
    ~Audio();

    // Starts the sound. `wantDevice` false keeps every request silent but
    // still tracks what would play (tests, headless replays). The sound card
    // itself is woken only by `openDeviceIfWanted`: waking it and its
    // synthesiser takes longer than drawing the title.
    void init(bool wantDevice = true);
    // Opens the sound card asked for by `init` and starts the music asked
    // for meanwhile; does nothing after the first call. The main loop calls
    // it once a frame is on screen.
    void openDeviceIfWanted();

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
    // Whether the current track could be read (and so is playing).
    bool musicLoaded() const;
    bool effectLoaded() const { return effect_ != nullptr; }
    // The music tracks held in memory: at most the current one and the one
    // `playPreviousMusic` returns to.
    int tracksHeld() const { return static_cast<int>(tracks_.size()); }
    // How many times a sound file was read from disk: an effect once per
    // run, a track whenever it starts but is neither playing nor the one before.
    int filesRead() const { return filesRead_; }

private:
    // A music file as read: a MIDI tune for the synthesiser, or a stream
    // SDL2_mixer decodes itself (MP3 and the like). Neither when unreadable.
    struct Track {
        std::string name;
        std::vector<unsigned char> tune;
        _Mix_Music* stream = nullptr;
    };

    void openDevice();
    void closeDevice();
    void startCurrentMusic();
    void haltMusic();
    Track& heldTrack(const std::string& name);
    void readTrack(Track& track);
    void releaseTracksNotNeeded();
    void applyMusicVolume();
    void applyEffectVolume();
    Mix_Chunk* loadedEffect(const std::string& name);

    Console& console_;
    bool enabled_ = false;
    bool deviceWanted_ = false;
    bool deviceOpen_ = false;
    std::string previousMusic_;
    std::string currentMusic_;
    std::string lastEffect_;
    float effectVolume_ = 0;
    float musicVolume_ = 0;
    bool tunePlaying_ = false;
    Mix_Chunk* effect_ = nullptr;
    int effectChannel_ = -1;
    std::vector<Track> tracks_;
    // Made on the first MIDI track: one synthesiser, one sound font, a run.
    std::unique_ptr<MidiSynth> synth_;
    bool synthTried_ = false;
    int deviceRate_ = 0;
    int deviceChannels_ = 0;
    unsigned short deviceFormat_ = 0;
    // Effects are small and come back often: each is read once and kept.
    // A file that failed to load is remembered as null and not tried again.
    std::map<std::string, Mix_Chunk*> effectCache_;
    int filesRead_ = 0;
};

}  // namespace orv
