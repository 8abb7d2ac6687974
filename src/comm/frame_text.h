// The texts of a FrameRecord: the monitor's columns, the trace file's line
// and the monitor's text and CSV export are all made here, so they agree.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "comm/frame_record.h"

namespace tarn {

enum FrameColumn : int {
    kFrameColumnTime,
    kFrameColumnSinceRequest,
    kFrameColumnDirection,
    kFrameColumnSource,
    kFrameColumnWire,
    kFrameColumnName,
    kFrameColumnHash,
    kFrameColumnAddress,
    kFrameColumnIndex,
    kFrameColumnData,
    kFrameColumnValue,
    kFrameColumnOutcome,
    kFrameColumnCount,
};

// The columns' titles.
std::string_view frameColumnTitle(int column);
// One column's text: "hh:mm:ss.mmm" (local time), the milliseconds since
// the request, "->" or "<-", the source, the frame (printable, the carriage
// return as "↵", other control characters as \xHH, a binary framing in
// hexadecimal), command name, "%04X" hash, address, index, data bytes in
// hexadecimal, value text, outcome. Fields a frame does not have are empty.
std::string frameColumnText(const FrameRecord& record, int column);
// All columns separated by tabs: a line of the trace file and of the
// monitor's text export.
std::string frameTextLine(const FrameRecord& record);
// The titles, tab-separated.
std::string frameTextHeader();
// All columns as one CSV line (RFC 4180 quoting, no line end).
std::string frameCsvLine(const FrameRecord& record);
std::string frameCsvHeader();

}  // namespace tarn
