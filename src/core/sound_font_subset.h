// A General MIDI sound font cut down to the instruments our tunes play: the
// synthesiser would otherwise keep the zone tables of all 128 instruments and
// the drum kits in memory, while the title and the dungeon use a dozen.
#pragma once

#include <compare>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orv {

// An instrument of a sound font: 128 is the bank of the drum kits.
struct SoundFontPreset {
    int bank = 0;
    int program = 0;
    auto operator<=>(const SoundFontPreset&) const = default;
};

// The presets a Standard MIDI File plays its notes on: each program change,
// in the bank selected on its channel, channel 10 on the drum kits, and a
// channel's starting instrument (program 0) when it sounds a note before any
// program change. Nothing when the file cannot be read to its end or sends
// system-exclusive messages (which may turn another channel into drums):
// such a tune is best played on the whole font.
std::optional<std::set<SoundFontPreset>> presetsAskedBy(const std::vector<unsigned char>& midiFile);

// The font as the synthesiser sees it: the real file's header and sample
// data, but only the presets asked for, the instruments they play and the
// sample descriptions those use, renumbered. It is read like a file of its
// own: the headers come from memory, the samples from the real font.
class SoundFontSubset {
public:
    // Nothing when the font cannot be read, is not laid out as a sound font
    // should be (every count and index is checked, the file being anybody's),
    // or lacks a preset asked for: the whole font is then the safe choice.
    static std::shared_ptr<const SoundFontSubset> cut(const std::string& fontPath,
                                                      const std::set<SoundFontPreset>& wanted);

    const std::string& fontPath() const { return fontPath_; }
    // The size of the real font when it was cut: a font replaced since no
    // longer matches the sample positions.
    std::uint64_t fontSize() const { return fontSize_; }
    std::uint64_t size() const { return head_.size() + sampleBytes_ + tail_.size(); }
    // Copies `count` bytes from `offset` of the cut font into `out`, taking
    // the sample data from `font` (the real file, opened by the caller).
    // False when the range runs past the end or the real file falls short.
    bool read(std::FILE* font, std::uint64_t offset, unsigned char* out, std::uint64_t count) const;

private:
    std::string fontPath_;
    std::uint64_t fontSize_ = 0;
    std::vector<unsigned char> head_;  // RIFF header, INFO list, the sample list's header
    std::uint64_t samplesAt_ = 0;      // where the sample data starts in the real font
    std::uint64_t sampleBytes_ = 0;
    std::vector<unsigned char> tail_;  // the trimmed preset data list
};

}  // namespace orv
