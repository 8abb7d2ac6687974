// The report of an unattended run: one JSON document that tells a calling
// program what the run did — when, on which line, with which configuration
// and mode, how it ended, what the module said about itself, and every
// parameter of the tree with its value (for a compare also the module's).
//
// The program fills a RunReport at the end of the run and writes it; the
// layout is described in docs/report.md.
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "comm/compare_outcome.h"
#include "comm/device_identification.h"
#include "model/parameter_exchanger.h"
#include "model/port_settings.h"

namespace tarn {

class DescBranch;

// The unattended task of the run.
enum class ReportTask { None, Read, Write, Compare, Test, Calibrate };

// "none", "read", "write", "compare", "test", "calibrate".
std::string_view reportTaskName(ReportTask task);

// The layout's version in "schema"; raised when a field changes meaning or
// goes away (new fields do not raise it).
inline constexpr int kRunReportSchema = 1;

struct RunReport {
    std::string programVersion;
    QDateTime started;
    QDateTime ended;
    ReportTask task = ReportTask::None;
    // The configuration file named on the command line; empty when none.
    std::string configurationFile;
    // The program's port settings and direction mode (SerialPort's 0: the
    // program switches the direction by RTS, 1: the converter does).
    PortSettings port;
    int directionMode = 0;
    bool offline = false;
    std::uint32_t mode = 0;
    int exitCode = 0;
    std::string exitMeaning;
    // The task was stopped before its end.
    bool stopped = false;
    // What the task's group operation counted.
    ExchangeCounts counts;
    DeviceIdentity device;
    // The tree whose parameters are listed; null lists none.
    const DescBranch* root = nullptr;
    // For a compare: every parameter compared (ExchangeEngine::compareOutcomes).
    std::vector<CompareOutcome> compared;
};

// The parameters of the compare that differ.
int differenceCount(const std::vector<CompareOutcome>& compared);

QJsonObject runReportJson(const RunReport& report);

// Writes the report as indented UTF-8 JSON, atomically: the file appears
// whole or not at all. False, with the reason in `error`, when it cannot be
// written.
bool writeRunReport(const RunReport& report, const std::filesystem::path& path,
                    std::string* error = nullptr);

// One line for a difference of a compare, for standard error:
//   "Параметер 'POUt:3' (Тип выхода) в конфигурации: значение=4-20 мА,
//   Редактируемый,принадлежит пользователю; в приборе: значение=0-10 В,
//   Редактируемый,принадлежит пользователю." (on one line), followed by
//   " Ошибка чтения: <status>" when the module's read failed.
std::string differenceLine(const CompareOutcome& outcome);

}  // namespace tarn
