// Sound through SDL2_mixer; MIDI tunes through the run's one synthesiser,
// fed to the mixer as its music.
#include "core/audio.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "core/midi_synth.h"
#include "core/paths.h"
#include "platform/console.h"

namespace orv {

namespace {

constexpr float kStartVolume = 0.15f;

float clampVolume(float volume) {
    if (volume < 0) return 0;
    if (volume > 100) return 100;
    return volume;
}

int mixerVolume(float fraction) { return static_cast<int>(fraction * MIX_MAX_VOLUME + 0.5f); }

bool isMidiFile(const std::string& path) {
    char header[4] = {};
    std::ifstream file(path, std::ios::binary);
    return file.read(header, sizeof header) && std::memcmp(header, "MThd", sizeof header) == 0;
}

std::vector<unsigned char> fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The mixer asks for the music on the sound card's thread.
void feedTune(void* synth, Uint8* stream, int bytes) { static_cast<MidiSynth*>(synth)->fill(stream, bytes); }

}  // namespace

Audio::Audio(Console& console) : console_(console) {}

Audio::~Audio() { closeDevice(); }

void Audio::init(bool wantDevice) {
    enabled_ = true;
    effectVolume_ = kStartVolume;
    musicVolume_ = kStartVolume;
    deviceWanted_ = wantDevice;
}

void Audio::openDeviceIfWanted() {
    if (!deviceWanted_ || deviceOpen_) return;
    deviceWanted_ = false;  // one try: a card that failed stays silent
    openDevice();
    if (!deviceOpen_) return;
    if (!currentMusic_.empty()) startCurrentMusic();
    applyMusicVolume();
}

void Audio::openDevice() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    Mix_Init(MIX_INIT_MP3 | MIX_INIT_OGG);
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    Mix_QuerySpec(&deviceRate_, &deviceFormat_, &deviceChannels_);
    Mix_AllocateChannels(16);
    deviceOpen_ = true;
}

void Audio::closeDevice() {
    if (!deviceOpen_) return;
    Mix_HaltChannel(-1);
    haltMusic();
    for (Track& track : tracks_)
        if (track.stream) Mix_FreeMusic(track.stream);
    tracks_.clear();
    for (auto& [name, chunk] : effectCache_)
        if (chunk) Mix_FreeChunk(chunk);
    effectCache_.clear();
    effect_ = nullptr;
    Mix_CloseAudio();
    synth_.reset();  // the card's thread, its only other user, has stopped
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    deviceOpen_ = false;
}

void Audio::playMusic(const std::string& name) {
    if (!enabled_) return;
    previousMusic_ = currentMusic_;
    currentMusic_ = name;
    if (deviceOpen_) startCurrentMusic();
    setMusicVolume(getMusicVolume());
}

void Audio::playPreviousMusic() { playMusic(std::string(previousMusic_)); }

void Audio::stopMusic() {
    if (enabled_ && deviceOpen_) haltMusic();
}

// Always from the start, also when the track was already playing.
void Audio::startCurrentMusic() {
    haltMusic();
    Track& track = heldTrack(currentMusic_);
    if (track.stream) {
        Mix_PlayMusic(track.stream, -1);
    } else if (!track.tune.empty() && synth_ && synth_->play(track.tune)) {
        Mix_HookMusic(feedTune, synth_.get());
        tunePlaying_ = true;
    }
    releaseTracksNotNeeded();
}

void Audio::haltMusic() {
    Mix_HaltMusic();
    if (!tunePlaying_) return;
    Mix_HookMusic(nullptr, nullptr);  // the mixer's own music player again
    synth_->stop();
    tunePlaying_ = false;
}

Audio::Track& Audio::heldTrack(const std::string& name) {
    for (Track& track : tracks_)
        if (track.name == name) return track;
    tracks_.push_back(Track{name, {}, nullptr});
    readTrack(tracks_.back());
    return tracks_.back();
}

void Audio::readTrack(Track& track) {
    ++filesRead_;
    const std::string path = dataPath("music\\" + track.name);
    if (!isMidiFile(path)) {
        track.stream = Mix_LoadMUS(path.c_str());
        return;
    }
    track.tune = fileBytes(path);
    if (!synthTried_) {
        synthTried_ = true;
        synth_ = std::make_unique<MidiSynth>();
        if (!synth_->open(deviceRate_, deviceChannels_, deviceFormat_)) synth_.reset();
    }
}

// The music rules only ever go back one track (`playPreviousMusic`), so
// anything older is let go.
void Audio::releaseTracksNotNeeded() {
    std::erase_if(tracks_, [this](Track& track) {
        if (track.name == currentMusic_ || track.name == previousMusic_) return false;
        if (track.stream) Mix_FreeMusic(track.stream);
        return true;
    });
}

bool Audio::musicLoaded() const {
    for (const Track& track : tracks_)
        if (track.name == currentMusic_) return track.stream || (!track.tune.empty() && synth_);
    return false;
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
    if (!deviceOpen_) return;
    Mix_VolumeMusic(mixerVolume(musicVolume_));
    if (synth_) synth_->setVolume(musicVolume_);
}

void Audio::applyEffectVolume() {
    if (deviceOpen_ && effectChannel_ >= 0) Mix_Volume(effectChannel_, mixerVolume(effectVolume_));
}

}  // namespace orv
