// How a parameter stores itself in a configuration file: the value part
// ("MyConverter", schema 3: network name and value text) followed by the
// parameter part ("Parameter", schema 1: caption, index, attributes, change
// flags, status). Value type and limits are never stored; they come from the
// description every time.
#pragma once

#include "model/parameter.h"
#include "platform/archive.h"

namespace tarn {

inline constexpr std::uint16_t kConverterSchema = 3;
inline constexpr std::uint16_t kParameterSchema = 1;

void storeParameter(ArchiveWriter& archive, const Parameter& parameter);

// Reads one parameter record into `parameter`. With `keepValue` the stored
// value text is read but not assigned (the program's own port settings keep
// the values loaded from the settings store). A part stored under another
// schema is not read. The stored network name is read but the description's
// name stays: the record was matched to this parameter by its name hash.
void loadParameter(ArchiveReader& archive, Parameter& parameter, bool keepValue);

}  // namespace tarn
