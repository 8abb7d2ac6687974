// Texts of failed exchanges: the module's error codes (the first data byte
// of an n.Err answer), the results of a probe, and the texts the
// transaction and the parameter exchange produce themselves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "comm/probe_framing.h"

namespace tarn {

// Transaction texts.
inline constexpr std::string_view kTextCannotHash = "Не могу зашифровать посылку (ф-я hash_buffer)";
inline constexpr std::string_view kTextCannotEncode =
    "Не могу зашифровать посылку (ф-я encode_buffer)";
inline constexpr std::string_view kTextTimeout = "Таймаут при передаче данных (нет связи)";
inline constexpr std::string_view kTextBadPortSettings = "Неверны настройки порта.";
inline constexpr std::string_view kTextLostStart = "Потеря начала посылки.";
inline constexpr std::string_view kTextAnswerHashFailed =
    "Ошибка в ф-ции hash_buffer при декодировании ответа\n";
inline constexpr std::string_view kTextBadAnswerChecksum = "Ошибка в контрольной сумме ответа";
inline constexpr std::string_view kTextOtherCommand =
    "Пришла посылка с кодом команды, отличным от посланной и от n.Err.\n";

// Parameter exchange texts.
inline constexpr std::string_view kTextAttributeSize =
    "Ошибка атрибутов; размер ответа не совпадает с ожидаемым.\n";
inline constexpr std::string_view kTextCannotDecode = "Не могу раскодировать ответ";
inline constexpr std::string_view kTextBadValue =
    "Неверное значение (неудается закодировать данные)";
inline constexpr std::string_view kTextStrangeConversion =
    "Предупреждение: странный ответ от ConvertToData(...)";
inline constexpr std::string_view kTextBadNameCode =
    "Недопустимый код символа в сетевом имени (CHAr)";
inline constexpr std::string_view kTextNameEmpty = "Сетевое имя пусто (CHAr)";
inline constexpr std::string_view kTextNameTooLong = "Сетевое имя слишком длинное (CHAr)";
inline constexpr std::string_view kTextBadNameCharacter =
    "Недопустимый символ в сетевом имени (CHAr)";

// The text of the module's error code (taken as a signed byte) into `text`;
// returns 1. With no data (length 0 or less) the text is left as it is and
// 0 is returned.
int DeviceErrorText(const std::uint8_t* data, int length, std::string& text);

// The text of a failed probe's result into `text`, returning true; Answered
// and NotPossible give the empty text and false.
bool LinkErrorText(ProbeResult result, std::string& text);

}  // namespace tarn
