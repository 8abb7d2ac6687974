// The error log: one line per failed exchange, appended to the file named
// on the command line ("elog"), in CP1251.
#pragma once

#include <string>

namespace tarn {

class Parameter;

// The line of a failed exchange: the network name, ":" and the linear index
// when the parameter has one, " - ", the status text and a line feed.
std::string errorLogLine(const Parameter& parameter);

// Appends the parameter's line to the file at `path`. The file is opened and
// closed for each line, so the log is complete whenever the program stops.
// Returns false when the file cannot be written (nothing else is done about
// it: the log must never stop an exchange).
bool appendErrorLogLine(const std::string& path, const Parameter& parameter);

}  // namespace tarn
