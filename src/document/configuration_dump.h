// A configuration as stable text and as JSON: what tarn-dump prints.
//
// The text is one header line with the operating mode, then one line per
// parameter in tree order (see entryLine). Nothing in it depends on the
// time, the locale or the machine, so two dumps of one file are identical
// and a change of one value changes one line: git can use it as the text
// form of a .tarn file.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <cstdint>
#include <string>
#include <vector>

#include "document/configuration_entries.h"

namespace tarn {

// "# Конфигурация TARN, режим 19 (caption)" and the entries' lines, each
// ended by a line feed.
std::string dumpText(std::uint32_t mode, const std::vector<ConfigurationEntry>& entries);

// {"mode": 19, "modeCaption": "…", "parameters": [entry, …]}.
QJsonObject dumpJson(std::uint32_t mode, const std::vector<ConfigurationEntry>& entries);

// The entries as a JSON array (the report's "parameters").
QJsonArray entriesJson(const std::vector<ConfigurationEntry>& entries);

// "19 (caption)", or "19" for a mode without a tree.
std::string modeText(std::uint32_t mode);

}  // namespace tarn
