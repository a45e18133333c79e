// Writing and reading tagged records.
#include "data/record.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "core/text.h"

namespace orv {

RecordWriter& RecordWriter::number(const std::string& name, float value) {
    record_ += "|NUM|" + name + "|" + toText(value) + "|";
    return *this;
}

RecordWriter& RecordWriter::text(const std::string& name, const std::string& value) {
    std::string safe = value;
    std::replace(safe.begin(), safe.end(), '|', '/');
    record_ += "|STR|" + name + "|" + safe + "|";
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

std::string recordProblem(const std::string& record, const RecordShape& shape) {
    const auto bars = static_cast<std::size_t>(std::count(record.begin(), record.end(), '|'));
    if (record.empty() || record.front() != '|' || record.back() != '|' || bars != 4 * shape.fields)
        return "it is not a record of " + toText(static_cast<long>(shape.fields)) + " fields";
    std::string rest = record;
    for (std::size_t field = 0; field < shape.numbers; ++field) {
        // Read exactly as readFloat reads it, so what is checked is what
        // the combatant would receive.
        const std::string text = nextField(rest);
        const double value = std::atof(text.c_str());
        const double largest = field == shape.levelField ? kHighestRecordLevel : kLargestRecordNumber;
        const double smallest = field == shape.levelField ? 0 : -kLargestRecordNumber;
        if (!std::isfinite(value) || value > largest || value < smallest)
            return "field " + toText(static_cast<long>(field + 1)) + " holds \"" + text.substr(0, 40) +
                   "\", which no statistic can be";
    }
    return "";
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
