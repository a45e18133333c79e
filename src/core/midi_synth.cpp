// The run's General MIDI synthesiser, on FluidSynth.
#include "core/midi_synth.h"

#include <SDL2/SDL_audio.h>
#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace orv {

namespace {

// Small General MIDI sound fonts first.
const char* const kSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

// Our tunes sound the same on 32 voices as on the library's default of 256,
// which would sit in memory unused (16 already cuts notes of the dungeon's).
constexpr int kVoices = 32;
// The library's own default loudness, which SDL2_mixer scales up to 1.2 at
// full music volume: the .mid tracks keep the loudness they always had.
constexpr float kFullVolumeGain = 1.2f;
// Frames rendered at a time into a buffer on the stack of the card's thread.
constexpr int kChunkFrames = 256;

std::atomic<int> fontLoadCount{0};

bool isFile(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

// FluidSynth reports to standard error, which would land on the game's screen.
void quiet(int, const char*, void*) {}

}  // namespace

std::string findSoundFont() {
    // A player's own choice, the way SDL2_mixer reads it (paths split by ':' or ';').
    if (const char* chosen = std::getenv("SDL_SOUNDFONTS")) {
        std::stringstream paths(chosen);
        std::string path;
        while (std::getline(paths, path, ':')) {
            std::stringstream parts(path);
            std::string part;
            while (std::getline(parts, part, ';'))
                if (isFile(part)) return part;
        }
    }
    for (const char* font : kSoundFonts)
        if (isFile(font)) return font;
    return "";
}

MidiSynth::~MidiSynth() {
    dropPlayer();
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
}

bool MidiSynth::open(int sampleRate, int channels, unsigned short format) {
    if (synth_) return true;
    if (channels < 1 || (format != AUDIO_S16SYS && format != AUDIO_F32SYS)) return false;
    channels_ = channels;
    format_ = format;
    const std::string font = findSoundFont();
    if (font.empty()) return false;
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, quiet, nullptr);
    settings_ = new_fluid_settings();
    if (!settings_) return false;
    fluid_settings_setnum(settings_, "synth.sample-rate", sampleRate);
    fluid_settings_setint(settings_, "synth.polyphony", kVoices);
    // An instrument's sound is read from the font when a tune first asks for
    // it: our tunes use a handful of the font's 128 instruments.
    fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
    // The tunes advance with the sound rendered, on the card's own thread:
    // no timer thread of the library's.
    fluid_settings_setstr(settings_, "player.timing-source", "sample");
    synth_ = new_fluid_synth(settings_);
    if (!synth_) return false;
    ++fontLoadCount;
    if (fluid_synth_sfload(synth_, font.c_str(), 1) == FLUID_FAILED) {
        delete_fluid_synth(synth_);
        synth_ = nullptr;
        return false;
    }
    return true;
}

bool MidiSynth::play(const std::vector<unsigned char>& midiFile) {
    std::lock_guard guard(lock_);
    dropPlayer();
    if (!synth_ || midiFile.empty()) return false;
    // Notes still ringing from the last tune and its instrument choices go.
    fluid_synth_system_reset(synth_);
    player_ = new_fluid_player(synth_);
    if (!player_) return false;
    if (fluid_player_add_mem(player_, midiFile.data(), midiFile.size()) != FLUID_OK) {
        dropPlayer();
        return false;
    }
    fluid_player_set_loop(player_, -1);
    fluid_player_play(player_);
    return true;
}

void MidiSynth::stop() {
    std::lock_guard guard(lock_);
    dropPlayer();
    if (synth_) fluid_synth_system_reset(synth_);
}

void MidiSynth::setVolume(float fraction) {
    if (synth_) fluid_synth_set_gain(synth_, std::clamp(fraction, 0.0f, 1.0f) * kFullVolumeGain);
}

void MidiSynth::fill(unsigned char* stream, int bytes) {
    const int frameBytes = channels_ * (format_ == AUDIO_F32SYS ? 4 : 2);
    std::lock_guard guard(lock_);
    if (!synth_ || !player_) {
        std::fill(stream, stream + bytes, 0);
        return;
    }
    for (int frames = bytes / frameBytes; frames > 0;) {
        const int now = std::min(frames, kChunkFrames);
        writeFrames(stream, now);
        stream += now * frameBytes;
        frames -= now;
    }
}

// Renders stereo and lays it out as the card wants it: a mono card gets the
// two sides mixed, a card of more channels the two sides and silence.
void MidiSynth::writeFrames(unsigned char* out, int frames) {
    std::array<float, 2 * kChunkFrames> stereo;
    fluid_synth_write_float(synth_, frames, stereo.data(), 0, 2, stereo.data(), 1, 2);
    for (int frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < channels_; ++channel) {
            float value = 0;
            if (channels_ == 1)
                value = (stereo[2 * frame] + stereo[2 * frame + 1]) / 2;
            else if (channel < 2)
                value = stereo[2 * frame + channel];
            value = std::clamp(value, -1.0f, 1.0f);
            if (format_ == AUDIO_F32SYS) {
                std::memcpy(out, &value, sizeof value);
                out += sizeof value;
            } else {
                const auto sample = static_cast<std::int16_t>(value * 32767);
                std::memcpy(out, &sample, sizeof sample);
                out += sizeof sample;
            }
        }
    }
}

int MidiSynth::fontLoads() { return fontLoadCount; }

void MidiSynth::dropPlayer() {
    if (!player_) return;
    fluid_player_stop(player_);
    delete_fluid_player(player_);
    player_ = nullptr;
}

}  // namespace orv
