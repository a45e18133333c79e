// Writing and reading tagged records.
#include "data/record.h"

#include <cctype>
#include <cstdlib>

#include "core/text.h"

namespace orv {

RecordWriter& RecordWriter::number(const std::string& name, float value) {
    record_ += "|NUM|" + name + "|" + toText(value) + "|";
    return *this;
}

RecordWriter& RecordWriter::text(const std::string& name, const std::string& value) {
    record_ += "|STR|" + name + "|" + value + "|";
    return *this;
}

std::string nextField(std::string& record) {
    const std::size_t afterTag = record.find('|', 1);
    const std::size_t afterName = afterTag == std::string::npos ? afterTag : record.find('|', afterTag + 1);
    const std::size_t afterValue = afterName == std::string::npos ? afterName : record.find('|', afterName + 1);
    if (afterValue == std::string::npos) {
        record.clear();
        return "";
    }
    std::string value = record.substr(afterName + 1, afterValue - afterName - 1);
    record.erase(0, afterValue + 1);
    return value;
}

void readFloat(std::string& record, float& out) {
    out = static_cast<float>(std::atof(nextField(record).c_str()));
}

namespace {
constexpr const char* kVitalNames[] = {"HP", "maxHP", "MP", "maxMP"};
constexpr Stat kVitalStats[] = {HP, MaxHP, MP, MaxMP};
constexpr const char* kCoreNames[] = {"lv", "spd", "atk", "mag", "lowDef", "midDef", "hiDef"};
constexpr Stat kCoreStats[] = {Level, Speed, Attack, Magic, LowDefence, MidDefence, HighDefence};
constexpr const char* kResistanceNames[] = {"fire", "ice", "light", "dark", "normal"};

// "maxHP" with prefix "mod" is "modMaxHP".
std::string prefixed(const std::string& prefix, std::string name) {
    if (prefix.empty()) return name;
    name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    return prefix + name;
}
}  // namespace

void writeVitals(RecordWriter& out, const StatBlock& block, const std::string& prefix) {
    for (std::size_t i = 0; i < 4; ++i) out.number(prefixed(prefix, kVitalNames[i]), block[kVitalStats[i]]);
}

void writeCore(RecordWriter& out, const StatBlock& block, const std::string& prefix) {
    for (std::size_t i = 0; i < 7; ++i) {
        // The modifier group has no level of its own.
        if (!prefix.empty() && kCoreStats[i] == Level) continue;
        out.number(prefixed(prefix, kCoreNames[i]), block[kCoreStats[i]]);
    }
}

void writeResistances(RecordWriter& out, const ResistanceBlock& block, const std::string& prefix) {
    for (std::size_t i = 0; i < ResistanceCount; ++i) out.number(prefixed(prefix, kResistanceNames[i]), block[i]);
}

void readVitals(std::string& record, StatBlock& block) {
    for (Stat stat : kVitalStats) readFloat(record, block[stat]);
}

void readCore(std::string& record, StatBlock& block, bool withLevel) {
    for (Stat stat : kCoreStats)
        if (withLevel || stat != Level) readFloat(record, block[stat]);
}

void readResistances(std::string& record, ResistanceBlock& block) {
    for (std::size_t i = 0; i < ResistanceCount; ++i) readFloat(record, block[i]);
}

}  // namespace orv
