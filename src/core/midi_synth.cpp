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
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "core/paths.h"

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

// Every instrument any of our tunes plays, or nothing when a tune among them
// cannot be read through (the whole font then plays it as it always did).
std::optional<std::set<SoundFontPreset>> presetsOfOurTunes() {
    std::set<SoundFontPreset> asked;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dataPath("music\\"), error)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (bytes.size() < 4 || std::memcmp(bytes.data(), "MThd", 4) != 0) continue;  // not a tune of ours
        const auto presets = presetsAskedBy(bytes);
        if (!presets) return std::nullopt;
        asked.insert(presets->begin(), presets->end());
    }
    if (error) return std::nullopt;
    return asked;
}

// FluidSynth opens a font by name, and opens it again whenever a tune picks
// an instrument whose samples it has not read yet; a cut font is found again
// by the name it was given under.
std::mutex cutFontsLock;
std::map<std::string, std::shared_ptr<const SoundFontSubset>> cutFonts;
int cutFontsMade = 0;

struct CutFontFile {
    std::shared_ptr<const SoundFontSubset> font;
    std::FILE* realFont = nullptr;
    std::uint64_t at = 0;
};

void* openCutFont(const char* name) {
    std::shared_ptr<const SoundFontSubset> font;
    {
        std::lock_guard guard(cutFontsLock);
        const auto found = cutFonts.find(name);
        if (found == cutFonts.end()) return nullptr;
        font = found->second;
    }
    std::FILE* realFont = std::fopen(font->fontPath().c_str(), "rb");
    if (!realFont) return nullptr;
    // A font replaced while the game runs no longer has its samples where
    // the cut font says.
    if (fseeko(realFont, 0, SEEK_END) != 0 || ftello(realFont) != static_cast<off_t>(font->fontSize())) {
        std::fclose(realFont);
        return nullptr;
    }
    return new CutFontFile{std::move(font), realFont, 0};
}

int readCutFont(void* buffer, fluid_long_long_t count, void* handle) {
    auto* file = static_cast<CutFontFile*>(handle);
    if (count < 0 || !file->font->read(file->realFont, file->at, static_cast<unsigned char*>(buffer), count))
        return FLUID_FAILED;
    file->at += count;
    return FLUID_OK;
}

int seekCutFont(void* handle, fluid_long_long_t offset, int origin) {
    auto* file = static_cast<CutFontFile*>(handle);
    const auto size = static_cast<fluid_long_long_t>(file->font->size());
    fluid_long_long_t base = 0;
    if (origin == SEEK_CUR)
        base = static_cast<fluid_long_long_t>(file->at);
    else if (origin == SEEK_END)
        base = size;
    else if (origin != SEEK_SET)
        return FLUID_FAILED;
    if ((offset < 0 && -offset > base) || (offset > 0 && offset > size - base)) return FLUID_FAILED;
    file->at = static_cast<std::uint64_t>(base + offset);
    return FLUID_OK;
}

fluid_long_long_t tellCutFont(void* handle) { return static_cast<fluid_long_long_t>(static_cast<CutFontFile*>(handle)->at); }

int closeCutFont(void* handle) {
    auto* file = static_cast<CutFontFile*>(handle);
    std::fclose(file->realFont);
    delete file;
    return FLUID_OK;
}

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
    forgetCutFont();
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
    // Any trouble with the cut font leaves the whole one, as heard before.
    if (!loadCutFont(font) && fluid_synth_sfload(synth_, font.c_str(), 1) == FLUID_FAILED) {
        delete_fluid_synth(synth_);
        synth_ = nullptr;
        return false;
    }
    return true;
}

// FluidSynth would hold the zones of every instrument of the font (7.7 MB
// of them for the usual General MIDI font), while our tunes play a dozen.
bool MidiSynth::loadCutFont(const std::string& font) {
    const auto asked = presetsOfOurTunes();
    if (!asked) return false;
    auto cut = SoundFontSubset::cut(font, *asked);
    if (!cut) return false;
    {
        std::lock_guard guard(cutFontsLock);
        cutFontName_ = font + " (our tunes' instruments, " + std::to_string(++cutFontsMade) + ")";
        cutFonts.emplace(cutFontName_, std::move(cut));
    }
    // The loader reads samples only when a tune first asks for an
    // instrument, as the synthesiser's own would; the synthesiser owns it.
    fluid_sfloader_t* loader = new_fluid_defsfloader(settings_);
    if (loader && fluid_sfloader_set_callbacks(loader, openCutFont, readCutFont, seekCutFont, tellCutFont,
                                               closeCutFont) == FLUID_OK) {
        fluid_synth_add_sfloader(synth_, loader);
        if (fluid_synth_sfload(synth_, cutFontName_.c_str(), 1) != FLUID_FAILED) return true;
    } else if (loader) {
        delete_fluid_sfloader(loader);
    }
    forgetCutFont();
    return false;
}

void MidiSynth::forgetCutFont() {
    if (cutFontName_.empty()) return;
    std::lock_guard guard(cutFontsLock);
    cutFonts.erase(cutFontName_);
    cutFontName_.clear();
}

std::set<SoundFontPreset> MidiSynth::presets() const {
    std::set<SoundFontPreset> presets;
    if (!synth_) return presets;
    for (int index = 0; index < fluid_synth_sfcount(synth_); ++index) {
        fluid_sfont_t* font = fluid_synth_get_sfont(synth_, index);
        fluid_sfont_iteration_start(font);
        while (fluid_preset_t* preset = fluid_sfont_iteration_next(font))
            presets.insert({fluid_preset_get_banknum(preset), fluid_preset_get_num(preset)});
    }
    return presets;
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
