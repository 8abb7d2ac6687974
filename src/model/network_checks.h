// The combinations of line settings a module cannot work with, checked when
// the user edits the module's network settings (not the program's own).
#pragma once

#include <string_view>

#include "model/object_with_parameters.h"

namespace tarn {

// Shown (caption kNetworkRulesCaption) when a check refuses an edit.
inline constexpr std::string_view kNetworkRulesMessage =
    "Запрещенные комбинации сетевых параметров:\n"
    "1) Нельзя чтобы адрес был >255 если длина адреса 8 бит;\n"
    "2) Нельзя чтобы была установлена четность (Четность или Нечетность) и размер данных был 8 "
    "бит\n"
    "и количество стоп-бит было равно 2!\n"
    "3) При работе прибора на протоколах, отличных от \"BRIX\", адрес не должен быть больше 255.";
inline constexpr std::string_view kNetworkRulesCaption = "Неудалось изменить значение";

inline constexpr std::string_view kAddressStepMessage = "Значение адреса должно быть кратно 8!";
inline constexpr std::string_view kAddressStepCaption =
    "Неудалось изменить значение сетевого адреса";

// Whether setting `networkName` of `group` to `newValue` keeps the address
// rules: an address above 255 needs the 11-bit address length and the first
// protocol ("Prot" item 0; a group without "Prot" counts as item 0). Names
// other than "Addr", "A.Len" and "Prot" are always allowed.
bool addressChangeAllowed(const ObjectWithParameters& group, std::string_view networkName,
                          std::string_view newValue);

// Whether the group's parity, word length and stop bits make a possible
// frame: a parity with 8 data bits and 2 stop bits (twelve bits) is not.
// With `editedName` given, that parameter is judged with `newValue` instead
// of its current value.
bool framingAllowed(const ObjectWithParameters& group, std::string_view editedName = {},
                    std::string_view newValue = {});

// Whether a base address text is a multiple of 8 (a text that is not a number
// counts as 0).
bool addressStepAllowed(std::string_view newValue);

}  // namespace tarn
