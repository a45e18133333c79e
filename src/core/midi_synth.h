// The one General MIDI synthesiser of a run: the sound font is given to it
// once, and every .mid track plays on it in turn, so changing from the title
// to the dungeon costs a new tune, not a new copy of the instruments.
#pragma once

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "core/sound_font_subset.h"

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_player_t;

namespace orv {

class MidiSynth {
public:
    MidiSynth() = default;
    MidiSynth(const MidiSynth&) = delete;
    MidiSynth& operator=(const MidiSynth&) = delete;
    ~MidiSynth();

    // Builds the synthesiser for the sound card's rate, channels and sample
    // format (SDL's AUDIO_S16SYS or AUDIO_F32SYS) and gives it the first
    // sound font found (SDL_SOUNDFONTS, then the usual Debian fonts), cut
    // down to the instruments the tunes in music\ play when it can be. False
    // without a font: the .mid tracks are then silent, as with no sound card.
    bool open(int sampleRate, int channels, unsigned short format);

    // Starts the tune from its beginning, looping for ever; false if the
    // bytes are not a tune the synthesiser can read.
    bool play(const std::vector<unsigned char>& midiFile);
    void stop();
    // Music volume as a fraction 0..1.
    void setVolume(float fraction);

    // Called on the sound card's own thread: fills `bytes` of the card's
    // buffer with the tune, or with silence when nothing plays.
    void fill(unsigned char* stream, int bytes);

    // How many times a sound font was handed to a synthesiser in this
    // process: once a run is the point of this class.
    static int fontLoads();
    // The instruments the synthesiser was given.
    std::set<SoundFontPreset> presets() const;

private:
    bool loadCutFont(const std::string& font);
    void forgetCutFont();
    void dropPlayer();
    void writeFrames(unsigned char* out, int frames);

    int channels_ = 2;
    unsigned short format_ = 0;

    std::mutex lock_;  // the game thread changes tunes while the card plays
    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
    _fluid_player_t* player_ = nullptr;
    std::string cutFontName_;  // empty when the whole font was given
};

// The sound font a synthesiser would use, or "" when none is installed.
std::string findSoundFont();

}  // namespace orv
