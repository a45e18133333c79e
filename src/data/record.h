// Tagged records: a one-line text form of an object's numbers and names,
// "|NUM|name|value|" and "|STR|name|text|" fields run together. Battles hand
// combatants and spells to their scripts in this form and read the numbers
// back from what the scripts return.
#pragma once

#include <string>

#include "data/stat_block.h"

namespace orv {

class RecordWriter {
public:
    RecordWriter& number(const std::string& name, float value);
    // A bar inside the text would split the field in two and shift every
    // field after it, so it is written as a slash (texts are never read back).
    RecordWriter& text(const std::string& name, const std::string& value);
    const std::string& str() const { return record_; }

private:
    std::string record_;
};

// Takes the value of the first field off the front of `record`. A record that
// has lost a bar gives an empty value and is emptied.
std::string nextField(std::string& record);
// The next field's value as a number (0 when it is not one).
void readFloat(std::string& record, float& out);

// What a combatant's record must look like before its numbers may be read
// into the combatant: how many fields, how many of them (from the front) are
// numbers, and where the level sits.
struct RecordShape {
    std::size_t fields;
    std::size_t numbers;
    std::size_t levelField;
};
constexpr RecordShape kProtagonistRecord{32, 31, 8};
constexpr RecordShape kMonsterRecord{18, 16, 4};

// The largest statistic a record may carry either way, and the highest level.
// Scripts can hand back anything; a value past these would make the battle's
// arithmetic overflow or the level-up count run for ever, so such a record is
// refused whole rather than read.
constexpr double kLargestRecordNumber = 1e7;
constexpr double kHighestRecordLevel = 1000;

// Why `record` cannot be read as a record of `shape` (a missing bar, a
// number that is not finite or is out of range), or "" when it can.
std::string recordProblem(const std::string& record, const RecordShape& shape);

// The groups of fields shared by the combatants' records.
void writeVitals(RecordWriter& out, const StatBlock& block, const std::string& prefix);
void writeCore(RecordWriter& out, const StatBlock& block, const std::string& prefix);
void writeResistances(RecordWriter& out, const ResistanceBlock& block, const std::string& prefix);
void readVitals(std::string& record, StatBlock& block);
// The modifier group is written without a level, so it is read without one.
void readCore(std::string& record, StatBlock& block, bool withLevel = true);
void readResistances(std::string& record, ResistanceBlock& block);

}  // namespace orv
