// The sound font cut down to our tunes' instruments: what a tune asks for,
// what the synthesiser is given, and the whole font whenever the cut fails.
#include <gtest/gtest.h>

#include <SDL2/SDL_audio.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "core/midi_synth.h"
#include "core/sound_font_subset.h"
#include "support/test_world.h"

namespace orv {

void PrintTo(const SoundFontPreset& preset, std::ostream* out) { *out << preset.bank << ':' << preset.program; }

namespace {

using Bytes = std::vector<unsigned char>;

void put16(Bytes& out, unsigned value) {
    out.push_back(value & 0xFF);
    out.push_back(value >> 8 & 0xFF);
}
void put32(Bytes& out, unsigned value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}
void putName(Bytes& out, const std::string& name) {
    std::string padded = name;
    padded.resize(20, '\0');
    out.insert(out.end(), padded.begin(), padded.end());
}
Bytes chunk(const char* id, const Bytes& body) {
    Bytes out(id, id + 4);
    put32(out, static_cast<unsigned>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}
Bytes list(const char* type, const std::vector<Bytes>& chunks) {
    Bytes body(type, type + 4);
    for (const Bytes& part : chunks) body.insert(body.end(), part.begin(), part.end());
    return chunk("LIST", body);
}

// A sound font of our own: each preset plays an instrument of its own, each
// instrument a looped tone of its own, pitched by its number so that a wrong
// instrument or a sample read from the wrong place is heard.
Bytes tinyFont(const std::vector<SoundFontPreset>& presets) {
    const unsigned count = static_cast<unsigned>(presets.size());
    constexpr unsigned kToneLength = 400, kGap = 46;
    Bytes samples, phdr, pbag, pgen, inst, ibag, igen, shdr;
    for (unsigned index = 0; index < count; ++index) {
        const unsigned period = 20 + 3 * index;
        for (unsigned at = 0; at < kToneLength; ++at) put16(samples, at % period < period / 2 ? 12000 : -12000 & 0xFFFF);
        for (unsigned at = 0; at < kGap; ++at) put16(samples, 0);
        putName(phdr, "preset " + std::to_string(index));
        put16(phdr, presets[index].program);
        put16(phdr, presets[index].bank);
        put16(phdr, index);
        put32(phdr, 0), put32(phdr, 0), put32(phdr, 0);
        put16(pbag, index), put16(pbag, 0);
        put16(pgen, 41), put16(pgen, index);  // its instrument
        putName(inst, "instrument " + std::to_string(index));
        put16(inst, index);
        put16(ibag, 2 * index), put16(ibag, 0);
        put16(igen, 54), put16(igen, 1);      // looped
        put16(igen, 53), put16(igen, index);  // its tone
        const unsigned start = index * (kToneLength + kGap);
        putName(shdr, "tone " + std::to_string(index));
        put32(shdr, start), put32(shdr, start + kToneLength);
        put32(shdr, start + 8 * period), put32(shdr, start + 16 * period);
        put32(shdr, 22050);
        shdr.push_back(60), shdr.push_back(0);
        put16(shdr, 0), put16(shdr, 1);  // no partner; mono
    }
    putName(phdr, "EOP"), put16(phdr, 0), put16(phdr, 0), put16(phdr, count), put32(phdr, 0), put32(phdr, 0), put32(phdr, 0);
    put16(pbag, count), put16(pbag, 0);
    putName(inst, "EOI"), put16(inst, count);
    put16(ibag, 2 * count), put16(ibag, 0);
    put32(pgen, 0), put32(igen, 0);
    putName(shdr, "EOS");
    shdr.resize(shdr.size() + 26, 0);
    const Bytes noModulator(10, 0);
    Bytes version;
    put16(version, 2), put16(version, 1);
    Bytes riffBody{'s', 'f', 'b', 'k'};
    for (const Bytes& part : {list("INFO", {chunk("ifil", version), chunk("INAM", Bytes{'t', 'i', 'n', 'y', 0, 0})}),
                              list("sdta", {chunk("smpl", samples)}),
                              list("pdta", {chunk("phdr", phdr), chunk("pbag", pbag), chunk("pmod", noModulator),
                                            chunk("pgen", pgen), chunk("inst", inst), chunk("ibag", ibag),
                                            chunk("imod", noModulator), chunk("igen", igen), chunk("shdr", shdr)})})
        riffBody.insert(riffBody.end(), part.begin(), part.end());
    return chunk("RIFF", riffBody);
}

std::string text(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

Bytes fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The synthesiser's first two seconds of a tune, as 16-bit stereo.
std::vector<std::int16_t> render(MidiSynth& synth, const Bytes& tune) {
    std::vector<std::int16_t> sound(2 * 88200);
    if (!synth.play(tune)) return {};
    synth.fill(reinterpret_cast<unsigned char*>(sound.data()), static_cast<int>(sound.size() * 2));
    return sound;
}

// Points the synthesiser at another font for the test's life.
struct ChosenSoundFont {
    std::string previous;
    bool hadOne = false;
    explicit ChosenSoundFont(const std::string& path) {
        if (const char* chosen = std::getenv("SDL_SOUNDFONTS")) previous = chosen, hadOne = true;
        setenv("SDL_SOUNDFONTS", path.c_str(), 1);
    }
    ~ChosenSoundFont() { hadOne ? setenv("SDL_SOUNDFONTS", previous.c_str(), 1) : unsetenv("SDL_SOUNDFONTS"); }
};

TEST(SoundFontSubset, TheSynthesiserIsGivenOnlyTheInstrumentsOurTunesPlayAndSoundsAsWithTheWholeFont) {
    // What a tune asks for: program changes in the bank selected on their
    // channel, channel 10 on the drum kits, and the starting instrument of
    // a channel that plays before choosing one.
    const Bytes track = {0x00, 0xC0, 5,          0x00, 0x90, 60, 100, 0x00, 0x99, 36, 100, 0x00, 0x91, 64, 90,
                         0x00, 0xB2, 0,  1,      0x00, 0xC2, 7,  0x00, 0xC1, 9,  0x00, 0xFF, 0x2F, 0x00};
    Bytes tune = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0,
                  static_cast<unsigned char>(track.size())};
    tune.insert(tune.end(), track.begin(), track.end());
    const std::set<SoundFontPreset> askedByTune = {{0, 5}, {128, 0}, {0, 0}, {1, 7}, {0, 9}};
    EXPECT_EQ(presetsAskedBy(tune), askedByTune);

    const Bytes title = fileBytes(std::string(ORVANTIS_TEST_DATA) + "/music/title.mid");
    const auto asked = presetsAskedBy(title);
    ASSERT_TRUE(asked && asked->contains({128, 0}));
    std::vector<SoundFontPreset> inFont = {{0, 0}, {8, 1}};  // two more than the title plays
    inFont.insert(inFont.begin() + 1, asked->begin(), asked->end());
    test::ScratchDirectory scratch;
    scratch.write("font.sf2", text(tinyFont(inFont)));
    scratch.write("music/title.mid", text(title));
    ChosenSoundFont chosen((scratch.path() / "font.sf2").string());

    MidiSynth cut;
    ASSERT_TRUE(cut.open(44100, 2, AUDIO_S16SYS));
    EXPECT_EQ(cut.presets(), *asked);
    // A tune that cannot be read through leaves the whole font, which must
    // sound just as the cut one: same instruments, same samples.
    const char cutShort[] = "MThd\0\0\0\6\0\1\0\1\0\x60MTrk\0\0\0\x40\0\x90";
    scratch.write("music/broken.mid", std::string(cutShort, sizeof cutShort - 1));
    MidiSynth whole;
    ASSERT_TRUE(whole.open(44100, 2, AUDIO_S16SYS));
    EXPECT_EQ(whole.presets(), std::set<SoundFontPreset>(inFont.begin(), inFont.end()));
    const auto cutSound = render(cut, title);
    ASSERT_FALSE(cutSound.empty());
    EXPECT_GT(*std::max_element(cutSound.begin(), cutSound.end()), 1000);
    EXPECT_TRUE(cutSound == render(whole, title)) << "the cut font sounds different";
}

TEST(SoundFontSubset, AFontCutShortOrMisnumberedOrWithoutAnInstrumentIsLeftWhole) {
    test::ScratchDirectory scratch;
    const std::set<SoundFontPreset> wanted = {{0, 5}, {128, 0}};
    const Bytes font = tinyFont({{0, 0}, {0, 5}, {128, 0}});
    scratch.write("good.sf2", text(font));
    const auto good = SoundFontSubset::cut("good.sf2", wanted);
    ASSERT_NE(good, nullptr);
    EXPECT_LT(good->size(), font.size());
    EXPECT_EQ(SoundFontSubset::cut("good.sf2", {{0, 5}, {0, 6}}), nullptr) << "a preset the font lacks";
    EXPECT_EQ(SoundFontSubset::cut("missing.sf2", wanted), nullptr);

    // Every way of cutting the file short.
    for (std::size_t length = 0; length < font.size(); ++length) {
        scratch.write("short.sf2", text(Bytes(font.begin(), font.begin() + length)));
        EXPECT_EQ(SoundFontSubset::cut("short.sf2", wanted), nullptr) << length << " bytes";
    }
    // Sizes and indexes that point outside their tables.
    const std::string whole = text(font);
    auto at = [&](const char* id) { return whole.find(id) + 8; };  // a table's first record
    const std::vector<std::pair<std::size_t, unsigned char>> damage = {
        {4, 0xFF},                        // the RIFF size
        {whole.find("pdta") - 4, 0xF0},   // the preset data list's size
        {at("phdr") - 4, 0x25},           // a table not a whole number of records
        {at("phdr") + 38 + 24, 0x40},     // a preset's first zone past the zone table
        {at("pbag") + 4, 0x30},           // a zone's generators past their table
        {at("pgen") + 4 + 2, 0x03},       // an instrument that is the closing record
        {at("igen") + 8 + 6, 0x09},       // a sample past the sample table
        {at("ibag") + 4 + 2, 0x07},       // a zone's modulators past their table
    };
    for (const auto& [offset, value] : damage) {
        Bytes broken = font;
        broken.at(offset) = value;
        scratch.write("broken.sf2", text(broken));
        EXPECT_EQ(SoundFontSubset::cut("broken.sf2", wanted), nullptr) << "byte " << offset;
    }
    // And what is read of a good cut stays within it.
    std::vector<unsigned char> buffer(good->size() + 1);
    EXPECT_FALSE(good->read(nullptr, 1, buffer.data(), good->size()));
    EXPECT_FALSE(good->read(nullptr, good->size() + 1, buffer.data(), 0));
}

}  // namespace
}  // namespace orv
