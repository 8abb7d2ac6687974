// Texts between the program's UTF-8 strings and Qt's QString, for the
// layers that use Qt.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tarn {

inline QString qstr(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

}  // namespace tarn
