#include "ui/bus_monitor_export.h"

#include <QSaveFile>

#include "comm/frame_text.h"

namespace tarn {

FrameExportFormat exportFormatFor(const QString& path) {
    return path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ? FrameExportFormat::Csv
                                                                      : FrameExportFormat::Text;
}

QByteArray frameRowsText(const std::vector<const FrameRecord*>& rows, FrameExportFormat format) {
    const bool csv = format == FrameExportFormat::Csv;
    std::string text = csv ? frameCsvHeader() : frameTextHeader();
    text.push_back('\n');
    for (const FrameRecord* row : rows) {
        text += csv ? frameCsvLine(*row) : frameTextLine(*row);
        text.push_back('\n');
    }
    return QByteArray::fromStdString(text);
}

bool writeFrameRows(const QString& path, const std::vector<const FrameRecord*>& rows,
                    FrameExportFormat format, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        return false;
    }
    file.write(frameRowsText(rows, format));
    if (!file.commit()) {
        if (error != nullptr) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}

}  // namespace tarn
