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

// The groups of fields shared by the combatants' records.
void writeVitals(RecordWriter& out, const StatBlock& block, const std::string& prefix);
void writeCore(RecordWriter& out, const StatBlock& block, const std::string& prefix);
void writeResistances(RecordWriter& out, const ResistanceBlock& block, const std::string& prefix);
void readVitals(std::string& record, StatBlock& block);
// The modifier group is written without a level, so it is read without one.
void readCore(std::string& record, StatBlock& block, bool withLevel = true);
void readResistances(std::string& record, ResistanceBlock& block);

}  // namespace orv
