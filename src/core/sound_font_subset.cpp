// Cutting a sound font down to the instruments our tunes play.
#include "core/sound_font_subset.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>

namespace orv {

namespace {

// ---- Reading a tune -------------------------------------------------------

constexpr int kDrumChannel = 9;  // channel 10, as players count
constexpr int kDrumBank = 128;

std::uint32_t bigEndian32(const unsigned char* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

// A MIDI variable-length number (at most four bytes), or nothing past `end`.
std::optional<std::uint32_t> variableLength(const unsigned char*& at, const unsigned char* end) {
    std::uint32_t value = 0;
    for (int length = 0; length < 4 && at < end; ++length) {
        const unsigned char byte = *at++;
        value = value << 7 | (byte & 0x7F);
        if (!(byte & 0x80)) return value;
    }
    return std::nullopt;
}

// Adds the presets one track plays on to `asked`; false when the track is
// cut short or holds what we would rather leave to the whole font.
bool scanTrack(const unsigned char* at, const unsigned char* end, std::set<SoundFontPreset>& asked) {
    std::array<int, 16> bank{};
    std::array<bool, 16> programChosen{};
    unsigned char running = 0;
    while (at < end) {
        if (!variableLength(at, end) || at == end) return false;
        unsigned char status = *at;
        if (status & 0x80)
            ++at;
        else if (running)
            status = running;
        else
            return false;
        if (status == 0xFF) {  // meta event: tempo, names, end of track
            if (at == end) return false;
            const unsigned char type = *at++;
            const auto length = variableLength(at, end);
            if (!length || *length > static_cast<std::uint64_t>(end - at)) return false;
            at += *length;
            if (type == 0x2F) return true;
            running = 0;
            continue;
        }
        if (status >= 0xF0) return false;  // system exclusive and the like
        running = status;
        const int kind = status & 0xF0;
        const int channel = status & 0x0F;
        const int dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
        if (end - at < dataBytes) return false;
        const unsigned char first = at[0];
        const unsigned char second = dataBytes == 2 ? at[1] : 0;
        if ((first | second) & 0x80) return false;
        at += dataBytes;
        const int channelBank = channel == kDrumChannel ? kDrumBank : bank[channel];
        if (kind == 0xB0 && first == 0) {  // bank select
            if (channel == kDrumChannel) return false;
            bank[channel] = second;
        } else if (kind == 0xC0) {
            asked.insert({channelBank, first});
            programChosen[channel] = true;
        } else if (kind == 0x90 && second > 0 && !programChosen[channel]) {
            asked.insert({channelBank, 0});
        }
    }
    return true;
}

// ---- Reading a sound font -------------------------------------------------

// No General MIDI font comes near these; a file claiming more is not one.
constexpr std::uint32_t kInfoLimit = 1 << 20;
constexpr std::uint32_t kPresetDataLimit = 32 << 20;

// Generators that name the level below: a preset zone's instrument, an
// instrument zone's sample.
constexpr std::uint16_t kInstrumentGenerator = 41;
constexpr std::uint16_t kSampleGenerator = 53;
// Sample types that name a partner sample (right, left, linked).
constexpr std::uint16_t kLinkedSampleTypes[] = {2, 4, 8};

std::uint16_t little16(const unsigned char* bytes) { return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8); }
std::uint32_t little32(const unsigned char* bytes) {
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
}
void setLittle16(unsigned char* bytes, std::uint32_t value) {
    bytes[0] = value & 0xFF;
    bytes[1] = value >> 8 & 0xFF;
}
void appendLittle32(std::vector<unsigned char>& out, std::uint64_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(value >> shift & 0xFF);
}
void appendId(std::vector<unsigned char>& out, const char* id) { out.insert(out.end(), id, id + 4); }

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool readAt(std::FILE* file, std::uint64_t offset, unsigned char* out, std::uint64_t count) {
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
    if (fseeko(file, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
    return std::fread(out, 1, count, file) == count;
}

// One sub-chunk of the preset data: a table of fixed-size records, the last
// of which only closes the table.
struct Table {
    const unsigned char* data = nullptr;
    std::uint32_t count = 0;
    std::uint32_t recordSize = 0;
    const unsigned char* record(std::uint32_t index) const { return data + std::size_t{index} * recordSize; }
};

// The nine tables of the preset data, in the order a font must hold them.
struct PresetData {
    enum { kPresets, kPresetZones, kPresetModulators, kPresetGenerators, kInstruments, kInstrumentZones,
           kInstrumentModulators, kInstrumentGenerators, kSamples, kTables };
    std::array<Table, kTables> tables;
};
constexpr std::array<const char*, PresetData::kTables> kTableIds = {"phdr", "pbag", "pmod", "pgen", "inst",
                                                                    "ibag", "imod", "igen", "shdr"};
constexpr std::array<std::uint32_t, PresetData::kTables> kRecordSizes = {38, 4, 10, 4, 22, 4, 10, 4, 46};

std::optional<PresetData> readTables(const std::vector<unsigned char>& list) {
    PresetData data;
    std::size_t at = 4;  // past "pdta"
    for (int index = 0; index < PresetData::kTables; ++index) {
        if (list.size() - at < 8 || std::memcmp(&list[at], kTableIds[index], 4) != 0) return std::nullopt;
        const std::uint32_t size = little32(&list[at + 4]);
        at += 8;
        if (size > list.size() - at || size % kRecordSizes[index] != 0 || size == 0) return std::nullopt;
        data.tables[index] = {&list[at], size / kRecordSizes[index], kRecordSizes[index]};
        at += size;
    }
    return data;
}

// One level of the font: presets and their zones naming instruments, or
// instruments and their zones naming samples.
struct Level {
    const Table& headers;
    std::size_t zoneIndexAt;  // where a header holds its first zone
    const Table& zones;
    const Table& modulators;
    const Table& generators;
    std::uint16_t linkGenerator;
};

// The items of the level below named by the `kept` headers, or nothing when
// a header, zone or generator points outside its table.
std::optional<std::set<std::uint32_t>> namedBelow(const Level& level, const std::vector<std::uint32_t>& kept,
                                                  std::uint32_t itemsBelow) {
    std::set<std::uint32_t> named;
    for (std::uint32_t header : kept) {
        const std::uint32_t firstZone = little16(level.headers.record(header) + level.zoneIndexAt);
        const std::uint32_t endZone = little16(level.headers.record(header + 1) + level.zoneIndexAt);
        if (firstZone > endZone || endZone >= level.zones.count) return std::nullopt;
        for (std::uint32_t zone = firstZone; zone < endZone; ++zone) {
            const unsigned char* here = level.zones.record(zone);
            const unsigned char* next = level.zones.record(zone + 1);
            if (little16(here) > little16(next) || little16(next) > level.generators.count) return std::nullopt;
            if (little16(here + 2) > little16(next + 2) || little16(next + 2) > level.modulators.count) return std::nullopt;
            for (std::uint32_t generator = little16(here); generator < little16(next); ++generator) {
                const unsigned char* record = level.generators.record(generator);
                if (little16(record) != level.linkGenerator) continue;
                if (little16(record + 2) + 1u >= itemsBelow) return std::nullopt;  // the closing record is no item
                named.insert(little16(record + 2));
            }
        }
    }
    return named;
}

struct LevelOutput {
    std::vector<unsigned char> headers, zones, modulators, generators;
};

void appendRecord(std::vector<unsigned char>& out, const Table& table, std::uint32_t index) {
    out.insert(out.end(), table.record(index), table.record(index) + table.recordSize);
}

// Writes the kept headers with their zones, renumbering the zones and the
// items they name below, then each table's closing record. False when a
// table would outgrow its 16-bit indexes.
bool writeLevel(const Level& level, const std::vector<std::uint32_t>& kept,
                const std::map<std::uint32_t, std::uint32_t>& newIndexBelow, LevelOutput& out) {
    std::uint32_t zones = 0, modulators = 0, generators = 0;
    auto addZone = [&] {
        out.zones.resize(out.zones.size() + 4);
        setLittle16(&out.zones[out.zones.size() - 4], generators);
        setLittle16(&out.zones[out.zones.size() - 2], modulators);
    };
    for (std::uint32_t header : kept) {
        appendRecord(out.headers, level.headers, header);
        setLittle16(&out.headers[out.headers.size() - level.headers.recordSize + level.zoneIndexAt], zones);
        const std::uint32_t firstZone = little16(level.headers.record(header) + level.zoneIndexAt);
        const std::uint32_t endZone = little16(level.headers.record(header + 1) + level.zoneIndexAt);
        for (std::uint32_t zone = firstZone; zone < endZone; ++zone, ++zones) {
            addZone();
            const unsigned char* here = level.zones.record(zone);
            const unsigned char* next = level.zones.record(zone + 1);
            for (std::uint32_t generator = little16(here); generator < little16(next); ++generator, ++generators) {
                appendRecord(out.generators, level.generators, generator);
                unsigned char* record = &out.generators[out.generators.size() - 4];
                if (little16(record) == level.linkGenerator) setLittle16(record + 2, newIndexBelow.at(little16(record + 2)));
            }
            for (std::uint32_t modulator = little16(here + 2); modulator < little16(next + 2); ++modulator, ++modulators)
                appendRecord(out.modulators, level.modulators, modulator);
        }
        if (zones > 0xFFFF || generators > 0xFFFF || modulators > 0xFFFF) return false;
    }
    appendRecord(out.headers, level.headers, level.headers.count - 1);
    setLittle16(&out.headers[out.headers.size() - level.headers.recordSize + level.zoneIndexAt], zones);
    addZone();
    out.modulators.resize(out.modulators.size() + level.modulators.recordSize, 0);
    out.generators.resize(out.generators.size() + level.generators.recordSize, 0);
    return true;
}

std::map<std::uint32_t, std::uint32_t> renumbered(const std::set<std::uint32_t>& kept) {
    std::map<std::uint32_t, std::uint32_t> newIndex;
    for (std::uint32_t old : kept) newIndex.emplace(old, static_cast<std::uint32_t>(newIndex.size()));
    return newIndex;
}

// The samples named, with the partners of stereo and linked ones, or nothing
// when a partner lies outside the table.
std::optional<std::set<std::uint32_t>> withPartners(std::set<std::uint32_t> samples, const Table& headers) {
    std::vector<std::uint32_t> toVisit(samples.begin(), samples.end());
    while (!toVisit.empty()) {
        const unsigned char* header = headers.record(toVisit.back());
        toVisit.pop_back();
        const std::uint16_t type = little16(header + 44);
        if (std::find(std::begin(kLinkedSampleTypes), std::end(kLinkedSampleTypes), type) == std::end(kLinkedSampleTypes))
            continue;
        const std::uint32_t partner = little16(header + 42);
        if (partner + 1 >= headers.count) return std::nullopt;
        if (samples.insert(partner).second) toVisit.push_back(partner);
    }
    return samples;
}

void appendChunk(std::vector<unsigned char>& out, const char* id, const std::vector<unsigned char>& body) {
    appendId(out, id);
    appendLittle32(out, body.size());
    out.insert(out.end(), body.begin(), body.end());
}

// The preset data list holding only the `kept` presets and what they use.
std::optional<std::vector<unsigned char>> cutPresetData(const PresetData& data, const std::vector<std::uint32_t>& kept) {
    const auto& tables = data.tables;
    const Level presets{tables[PresetData::kPresets], 24, tables[PresetData::kPresetZones],
                        tables[PresetData::kPresetModulators], tables[PresetData::kPresetGenerators],
                        kInstrumentGenerator};
    const Level instruments{tables[PresetData::kInstruments], 20, tables[PresetData::kInstrumentZones],
                            tables[PresetData::kInstrumentModulators], tables[PresetData::kInstrumentGenerators],
                            kSampleGenerator};
    const Table& samples = tables[PresetData::kSamples];

    const auto instrumentsUsed = namedBelow(presets, kept, instruments.headers.count);
    if (!instrumentsUsed) return std::nullopt;
    const std::vector<std::uint32_t> keptInstruments(instrumentsUsed->begin(), instrumentsUsed->end());
    const auto samplesNamed = namedBelow(instruments, keptInstruments, samples.count);
    if (!samplesNamed) return std::nullopt;
    const auto samplesUsed = withPartners(*samplesNamed, samples);
    if (!samplesUsed) return std::nullopt;

    LevelOutput presetOut, instrumentOut;
    const auto newSampleIndex = renumbered(*samplesUsed);
    if (!writeLevel(presets, kept, renumbered(*instrumentsUsed), presetOut) ||
        !writeLevel(instruments, keptInstruments, newSampleIndex, instrumentOut))
        return std::nullopt;
    std::vector<unsigned char> sampleOut;
    for (std::uint32_t sample : *samplesUsed) {
        appendRecord(sampleOut, samples, sample);
        unsigned char* partner = &sampleOut[sampleOut.size() - samples.recordSize + 42];
        const auto found = newSampleIndex.find(little16(partner));
        setLittle16(partner, found != newSampleIndex.end() ? found->second : 0);
    }
    appendRecord(sampleOut, samples, samples.count - 1);

    std::vector<unsigned char> list;
    appendId(list, "pdta");
    for (const auto& [id, body] :
         {std::pair{"phdr", &presetOut.headers}, {"pbag", &presetOut.zones}, {"pmod", &presetOut.modulators},
          {"pgen", &presetOut.generators}, {"inst", &instrumentOut.headers}, {"ibag", &instrumentOut.zones},
          {"imod", &instrumentOut.modulators}, {"igen", &instrumentOut.generators}, {"shdr", &sampleOut}})
        appendChunk(list, id, *body);
    return list;
}

// Every preset header matching a preset asked for (a font may hold one twice:
// keeping both leaves the synthesiser the same choice as before), or nothing
// when one asked for is missing.
std::optional<std::vector<std::uint32_t>> presetsKept(const Table& headers, const std::set<SoundFontPreset>& wanted) {
    std::vector<std::uint32_t> kept;
    std::set<SoundFontPreset> found;
    for (std::uint32_t index = 0; index + 1 < headers.count; ++index) {
        const unsigned char* header = headers.record(index);
        const SoundFontPreset preset{little16(header + 22), little16(header + 20)};
        if (!wanted.contains(preset)) continue;
        kept.push_back(index);
        found.insert(preset);
    }
    if (found != wanted) return std::nullopt;
    return kept;
}

struct ListHeader {
    std::uint64_t at = 0;  // where the "LIST" starts
    std::uint32_t size = 0;
};

// The three lists of a sound font (INFO, sdta, pdta), in that order and
// filling the file exactly.
std::optional<std::array<ListHeader, 3>> readLists(std::FILE* file, std::uint64_t fileSize) {
    unsigned char riff[12];
    if (fileSize < sizeof riff || !readAt(file, 0, riff, sizeof riff)) return std::nullopt;
    if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "sfbk", 4) != 0) return std::nullopt;
    if (little32(riff + 4) + std::uint64_t{8} != fileSize) return std::nullopt;
    std::array<ListHeader, 3> lists;
    std::uint64_t at = sizeof riff;
    constexpr const char* kTypes[] = {"INFO", "sdta", "pdta"};
    for (std::size_t index = 0; index < lists.size(); ++index) {
        const char* type = kTypes[index];
        unsigned char header[12];
        if (fileSize - at < sizeof header || !readAt(file, at, header, sizeof header)) return std::nullopt;
        const std::uint32_t size = little32(header + 4);
        if (std::memcmp(header, "LIST", 4) != 0 || std::memcmp(header + 8, type, 4) != 0) return std::nullopt;
        if (size < 4 || size % 2 != 0 || size > fileSize - at - 8) return std::nullopt;
        lists[index] = {at, size};
        at += 8 + std::uint64_t{size};
    }
    if (at != fileSize) return std::nullopt;
    return lists;
}

}  // namespace

std::optional<std::set<SoundFontPreset>> presetsAskedBy(const std::vector<unsigned char>& midiFile) {
    if (midiFile.size() < 14 || std::memcmp(midiFile.data(), "MThd", 4) != 0) return std::nullopt;
    const std::uint32_t headerSize = bigEndian32(&midiFile[4]);
    if (headerSize < 6 || headerSize > midiFile.size() - 8) return std::nullopt;
    std::set<SoundFontPreset> asked;
    std::size_t at = 8 + headerSize;
    while (midiFile.size() - at >= 8) {
        const std::uint32_t size = bigEndian32(&midiFile[at + 4]);
        if (size > midiFile.size() - at - 8) return std::nullopt;
        const unsigned char* body = &midiFile[at + 8];
        if (std::memcmp(&midiFile[at], "MTrk", 4) == 0 && !scanTrack(body, body + size, asked)) return std::nullopt;
        at += 8 + std::size_t{size};
    }
    return asked;
}

std::shared_ptr<const SoundFontSubset> SoundFontSubset::cut(const std::string& fontPath,
                                                            const std::set<SoundFontPreset>& wanted) {
    if (wanted.empty()) return nullptr;
    File file(std::fopen(fontPath.c_str(), "rb"));
    if (!file || fseeko(file.get(), 0, SEEK_END) != 0) return nullptr;
    const off_t fileSize = ftello(file.get());
    if (fileSize <= 0) return nullptr;
    const auto lists = readLists(file.get(), static_cast<std::uint64_t>(fileSize));
    if (!lists) return nullptr;
    const auto& [info, sampleList, presetList] = *lists;
    if (info.size > kInfoLimit || presetList.size > kPresetDataLimit) return nullptr;

    auto subset = std::make_shared<SoundFontSubset>();
    subset->fontPath_ = fontPath;
    subset->fontSize_ = static_cast<std::uint64_t>(fileSize);
    // The head is the real one up to the sample data, whose size stays.
    subset->head_.resize(12 + 8 + info.size + 12);
    if (!readAt(file.get(), 0, subset->head_.data(), 12 + 8 + info.size) ||
        !readAt(file.get(), sampleList.at, &subset->head_[12 + 8 + info.size], 12))
        return nullptr;
    subset->samplesAt_ = sampleList.at + 12;
    subset->sampleBytes_ = sampleList.size - 4;

    std::vector<unsigned char> presetData(presetList.size);
    if (!readAt(file.get(), presetList.at + 8, presetData.data(), presetData.size())) return nullptr;
    const auto tables = readTables(presetData);
    if (!tables) return nullptr;
    const auto kept = presetsKept(tables->tables[PresetData::kPresets], wanted);
    if (!kept) return nullptr;
    const auto cutList = cutPresetData(*tables, *kept);
    if (!cutList) return nullptr;
    appendChunk(subset->tail_, "LIST", *cutList);

    const std::uint64_t riffSize = subset->size() - 8;
    if (riffSize > UINT32_MAX) return nullptr;
    subset->head_[4] = riffSize & 0xFF;
    subset->head_[5] = riffSize >> 8 & 0xFF;
    subset->head_[6] = riffSize >> 16 & 0xFF;
    subset->head_[7] = riffSize >> 24 & 0xFF;
    return subset;
}

bool SoundFontSubset::read(std::FILE* font, std::uint64_t offset, unsigned char* out, std::uint64_t count) const {
    if (offset > size() || count > size() - offset) return false;
    const std::uint64_t samplesEnd = head_.size() + sampleBytes_;
    while (count > 0) {
        std::uint64_t now = 0;
        if (offset < head_.size()) {
            now = std::min(count, head_.size() - offset);
            std::memcpy(out, &head_[offset], now);
        } else if (offset < samplesEnd) {
            now = std::min(count, samplesEnd - offset);
            if (!font || !readAt(font, samplesAt_ + (offset - head_.size()), out, now)) return false;
        } else {
            now = count;
            std::memcpy(out, &tail_[offset - samplesEnd], now);
        }
        out += now;
        offset += now;
        count -= now;
    }
    return true;
}

}  // namespace orv
