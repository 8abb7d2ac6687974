// The bus monitor's exports: rows as text (tab-separated, as in the trace
// file) or CSV, written through QSaveFile, and the text of copied rows.
#pragma once

#include <QString>
#include <vector>

#include "comm/frame_record.h"

namespace tarn {

enum class FrameExportFormat { Text, Csv };

// The format a file name asks for: ".csv" (any case) is CSV, else text.
FrameExportFormat exportFormatFor(const QString& path);
// The rows, with the titles' line first, each line ended by "\n".
QByteArray frameRowsText(const std::vector<const FrameRecord*>& rows, FrameExportFormat format);
// Writes the rows in UTF-8; the previous file stays intact until the new one
// is complete. False, with the reason in `error`, when it cannot.
bool writeFrameRows(const QString& path, const std::vector<const FrameRecord*>& rows,
                    FrameExportFormat format, QString* error = nullptr);

}  // namespace tarn
