// Sound through SDL2_mixer.
#include "core/audio.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <cstdlib>
#include <filesystem>

#include "core/paths.h"
#include "platform/console.h"

namespace orv {

namespace {

constexpr float kStartVolume = 0.15f;

// Small General MIDI sound fonts first: the .mid tracks need one to play.
const char* const kSoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

float clampVolume(float volume) {
    if (volume < 0) return 0;
    if (volume > 100) return 100;
    return volume;
}

int mixerVolume(float fraction) { return static_cast<int>(fraction * MIX_MAX_VOLUME + 0.5f); }

}  // namespace

Audio::~Audio() { closeDevice(); }

void Audio::init(bool wantDevice) {
    enabled_ = true;
    effectVolume_ = kStartVolume;
    musicVolume_ = kStartVolume;
    if (wantDevice) openDevice();
}

void Audio::openDevice() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_MID | MIX_INIT_OGG);
    if (!std::getenv("SDL_SOUNDFONTS")) {
        for (const char* font : kSoundFonts) {
            std::error_code error;
            if (std::filesystem::exists(font, error)) {
                Mix_SetSoundFonts(font);
                break;
            }
        }
    }
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    Mix_AllocateChannels(16);
    deviceOpen_ = true;
}

void Audio::closeDevice() {
    if (!deviceOpen_) return;
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    for (auto& [name, music] : musicCache_)
        if (music) Mix_FreeMusic(music);
    for (auto& [name, chunk] : effectCache_)
        if (chunk) Mix_FreeChunk(chunk);
    musicCache_.clear();
    effectCache_.clear();
    music_ = nullptr;
    effect_ = nullptr;
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    deviceOpen_ = false;
}

void Audio::playMusic(const std::string& name) {
    if (!enabled_) return;
    if (deviceOpen_) {
        Mix_HaltMusic();
        music_ = loadedMusic(name);
        if (music_) Mix_PlayMusic(music_, -1);
    }
    previousMusic_ = currentMusic_;
    currentMusic_ = name;
    setMusicVolume(getMusicVolume());
}

void Audio::playPreviousMusic() { playMusic(std::string(previousMusic_)); }

void Audio::stopMusic() {
    if (enabled_ && deviceOpen_) Mix_HaltMusic();
}

void Audio::playEffect(const std::string& name) {
    if (!enabled_) return;
    if (deviceOpen_) {
        if (effectChannel_ >= 0) Mix_HaltChannel(effectChannel_);
        effect_ = loadedEffect(name);
        effectChannel_ = effect_ ? Mix_PlayChannel(-1, effect_, 0) : -1;
    }
    lastEffect_ = name;
    // Keys hammered while a blow lands must not end up in the next command.
    console_.flushInput();
    setEffectVolume(getEffectVolume());
}

_Mix_Music* Audio::loadedMusic(const std::string& name) {
    auto [entry, isNew] = musicCache_.try_emplace(name, nullptr);
    if (isNew) {
        ++filesRead_;
        entry->second = Mix_LoadMUS(dataPath("music\\" + name).c_str());
    }
    return entry->second;
}

Mix_Chunk* Audio::loadedEffect(const std::string& name) {
    auto [entry, isNew] = effectCache_.try_emplace(name, nullptr);
    if (isNew) {
        ++filesRead_;
        entry->second = Mix_LoadWAV(dataPath("effects\\" + name).c_str());
    }
    return entry->second;
}

void Audio::setMusicVolume(float volume) {
    musicVolume_ = clampVolume(volume) / 100.0f;
    applyMusicVolume();
}

void Audio::setEffectVolume(float volume) {
    effectVolume_ = clampVolume(volume) / 100.0f;
    applyEffectVolume();
}

float Audio::getMusicVolume() const { return musicVolume_ * 100.0f; }
float Audio::getEffectVolume() const { return effectVolume_ * 100.0f; }

void Audio::applyMusicVolume() {
    if (deviceOpen_) Mix_VolumeMusic(mixerVolume(musicVolume_));
}

void Audio::applyEffectVolume() {
    if (deviceOpen_ && effectChannel_ >= 0) Mix_Volume(effectChannel_, mixerVolume(effectVolume_));
}

}  // namespace orv
