#include "document/run_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <unordered_map>

#include "description/tree_modes.h"
#include "document/configuration_entries.h"
#include "model/desc_branch.h"
#include "platform/qt_strings.h"

namespace tarn {
namespace {

// With the offset from UTC, so that the moment is unambiguous.
QString timeText(const QDateTime& time) {
    if (!time.isValid()) {
        return {};
    }
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QJsonObject portJson(const RunReport& report) {
    const PortSettings& port = report.port;
    return QJsonObject{
        {"port", qstr(port.port)},
        {"baudRate", port.baudRate},
        {"address", port.address},
        {"addressLength", port.addressLength},
        {"dataBits", port.dataBits},
        {"stopBits", port.stopBits},
        {"parity",
         port.parity ? QJsonValue(qstr(std::string(parityText(*port.parity)))) : QJsonValue()},
        {"directionMode", report.directionMode},
        {"direction", report.directionMode == 0 ? "rts" : "converter"},
    };
}

QJsonValue deviceJson(const DeviceIdentity& device) {
    if (!device.model && !device.version) {
        return QJsonValue();
    }
    QJsonObject object;
    object["dev"] = device.model ? QJsonValue(qstr(*device.model)) : QJsonValue();
    object["ver"] = device.version ? QJsonValue(qstr(*device.version)) : QJsonValue();
    return object;
}

QJsonObject moduleJson(const CompareOutcome& outcome) {
    return QJsonObject{
        {"value", qstr(outcome.moduleValue)},
        {"editable", outcome.moduleEditable},
        {"owner", outcome.moduleOwnerIsFirm ? "firm" : "user"},
        {"status", qstr(outcome.moduleStatus)},
        {"differs", outcome.differs},
    };
}

std::string editableWord(bool editable) {
    return editable ? "Редактируемый" : "Не редактируемый";
}

std::string ownerWord(bool firm) {
    return firm ? "фирме" : "пользователю";
}

}  // namespace

std::string_view reportTaskName(ReportTask task) {
    switch (task) {
        case ReportTask::None:
            return "none";
        case ReportTask::Read:
            return "read";
        case ReportTask::Write:
            return "write";
        case ReportTask::Compare:
            return "compare";
        case ReportTask::Test:
            return "test";
        case ReportTask::Calibrate:
            return "calibrate";
    }
    return "none";
}

int differenceCount(const std::vector<CompareOutcome>& compared) {
    int count = 0;
    for (const CompareOutcome& outcome : compared) {
        count += outcome.differs ? 1 : 0;
    }
    return count;
}

QJsonObject runReportJson(const RunReport& report) {
    QJsonObject object;
    object["schema"] = kRunReportSchema;
    object["program"] = QJsonObject{{"name", "tarn"}, {"version", qstr(report.programVersion)}};
    object["started"] = timeText(report.started);
    object["ended"] = timeText(report.ended);
    object["task"] = qstr(std::string(reportTaskName(report.task)));
    object["configurationFile"] = qstr(report.configurationFile);
    object["stopped"] = report.stopped;
    object["exitCode"] = report.exitCode;
    object["exitMeaning"] = qstr(report.exitMeaning);
    object["port"] = portJson(report);
    object["offline"] = report.offline;
    object["mode"] = static_cast<qint64>(report.mode);
    object["modeCaption"] = qstr(treeFileForMode(report.mode).caption);
    object["device"] = deviceJson(report.device);

    std::unordered_map<const Parameter*, const CompareOutcome*> byParameter;
    for (const CompareOutcome& outcome : report.compared) {
        byParameter[outcome.parameter] = &outcome;
    }
    QJsonArray parameters;
    if (report.root != nullptr) {
        for (const ConfigurationEntry& entry : configurationEntries(*report.root)) {
            QJsonObject json = entryJson(entry);
            if (const auto found = byParameter.find(entry.parameter); found != byParameter.end()) {
                json["module"] = moduleJson(*found->second);
            }
            parameters.append(json);
        }
    }
    object["counts"] = QJsonObject{
        {"parameters", static_cast<qint64>(parameters.size())},
        {"handled", report.counts.handled},
        {"failed", report.counts.failed},
        {"compared", static_cast<qint64>(report.compared.size())},
        {"differences", differenceCount(report.compared)},
    };
    object["parameters"] = parameters;
    return object;
}

bool writeRunReport(const RunReport& report, const std::filesystem::path& path,
                    std::string* error) {
    const QByteArray bytes = QJsonDocument(runReportJson(report)).toJson(QJsonDocument::Indented);
    QSaveFile file(QString::fromStdString(path.string()));
    bool ok = file.open(QIODevice::WriteOnly);
    ok = ok && file.write(bytes) == bytes.size();
    ok = ok && file.commit();
    if (!ok) {
        if (error != nullptr) {
            *error = file.errorString().toStdString();
        }
        file.cancelWriting();
    }
    return ok;
}

std::string differenceLine(const CompareOutcome& outcome) {
    std::string label = outcome.networkName;
    if (outcome.hasLinearIndex) {
        label += ":" + std::to_string(outcome.linearIndex);
    }
    std::string line = "Параметер '" + label + "' (" + outcome.caption +
                       ") в конфигурации: значение=" + outcome.configurationValue + "," +
                       editableWord(outcome.configurationEditable) + ",принадлежит " +
                       ownerWord(outcome.configurationOwnerIsFirm) +
                       "; в приборе: значение=" + outcome.moduleValue + "," +
                       editableWord(outcome.moduleEditable) + ",принадлежит " +
                       ownerWord(outcome.moduleOwnerIsFirm) + ".";
    if (outcome.result != ExchangeResult::Ok && !outcome.moduleStatus.empty()) {
        line += " Ошибка чтения: " + outcome.moduleStatus;
    }
    return escapeControls(line);
}

}  // namespace tarn
