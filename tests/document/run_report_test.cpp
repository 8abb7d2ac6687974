// The JSON report of an unattended run, as a calling program reads it.
#include "document/run_report.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>

#include "description/description_parser.h"
#include "model/desc_branch.h"
#include "support/recording_interaction.h"
#include "support/scratch_folder.h"

namespace tarn {
namespace {

constexpr std::string_view kDescription = R"(
parameter SP float Уставка
parameter POUt Дискретный:Аналоговый Тип_выхода
branch Выход# 2 3 3 POUt
root TARN 1 1 1 SP Выход#
)";

class RunReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree_ = buildParameterTree(kDescription, context_);
        ASSERT_NE(tree_.root, nullptr) << ui_.allTexts();
        forEachParameter(*tree_.root, [this](Parameter& p) { parameters_.push_back(&p); });
        ASSERT_EQ(parameters_.size(), 3u);  // SP, POUt:0, POUt:1
        for (Parameter* p : parameters_) {
            p->setValueText(p->networkName() == "SP" ? "30.000" : "Дискретный");
        }
    }

    // A compare that reached SP and POUt:0 and found POUt:0 different.
    RunReport compareReport() {
        RunReport report;
        report.programVersion = "2.1.0";
        report.started = QDateTime(QDate(2026, 3, 1), QTime(10, 0, 0), QTimeZone(3 * 3600));
        report.ended = report.started.addSecs(4);
        report.task = ReportTask::Compare;
        report.configurationFile = "/srv/plant/pump.tarn";
        report.port.port = "COM21";
        report.directionMode = 1;
        report.mode = 19;
        report.exitCode = 208;
        report.exitMeaning = "the module differs from the configuration file";
        report.counts = {2, 0};
        report.device.model = "TARN";
        report.device.version = "2.03";
        report.root = tree_.root.get();
        CompareOutcome sp;
        sp.parameter = parameters_[0];
        sp.networkName = "SP";
        sp.caption = "Уставка";
        sp.configurationValue = sp.moduleValue = "30.000";
        CompareOutcome output;
        output.parameter = parameters_[1];
        output.networkName = "POUt";
        output.hasLinearIndex = true;
        output.caption = "Тип выхода";
        output.configurationValue = "Дискретный";
        output.moduleValue = "Аналоговый";
        output.moduleOwnerIsFirm = true;
        output.differs = true;
        report.compared = {sp, output};
        return report;
    }

    testing::RecordingInteraction ui_;
    InstantiationContext context_{ui_};
    ParameterTree tree_;
    std::vector<Parameter*> parameters_;
    testing::ScratchFolder scratch_;
};

TEST_F(RunReportTest, TheWrittenReportHoldsTheRunAndEveryParameter) {
    const auto path = scratch_ / "report.json";
    std::string error;
    ASSERT_TRUE(writeRunReport(compareReport(), path, &error)) << error;

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromStdString(testing::readFileBytes(path)), &parseError);
    ASSERT_EQ(parseError.error, QJsonParseError::NoError) << parseError.errorString().toStdString();
    const QJsonObject report = document.object();
    EXPECT_EQ(report["schema"].toInt(), kRunReportSchema);
    EXPECT_EQ(report["started"].toString(), "2026-03-01T10:00:00.000+03:00");
    EXPECT_EQ(report["task"].toString(), "compare");
    EXPECT_FALSE(report["stopped"].toBool());
    EXPECT_EQ(report["exitCode"].toInt(), 208);
    EXPECT_EQ(report["port"].toObject()["port"].toString(), "COM21");
    EXPECT_EQ(report["port"].toObject()["direction"].toString(), "converter");
    EXPECT_EQ(report["mode"].toInt(), 19);
    EXPECT_EQ(report["device"].toObject()["ver"].toString(), "2.03");
    const QJsonObject counts = report["counts"].toObject();
    EXPECT_EQ(counts["parameters"].toInt(), 3);
    EXPECT_EQ(counts["compared"].toInt(), 2);
    EXPECT_EQ(counts["differences"].toInt(), 1);

    const QJsonArray parameters = report["parameters"].toArray();
    ASSERT_EQ(parameters.size(), 3);
    const QJsonObject sp = parameters[0].toObject();
    EXPECT_EQ(sp["name"].toString(), "SP");
    EXPECT_FALSE(sp["module"].toObject()["differs"].toBool());
    const QJsonObject differing = parameters[1].toObject();
    EXPECT_EQ(differing["index"].toInt(), 0);
    EXPECT_EQ(differing["module"].toObject()["value"].toString(), QString::fromUtf8("Аналоговый"));
    EXPECT_EQ(differing["module"].toObject()["owner"].toString(), "firm");
    EXPECT_TRUE(differing["module"].toObject()["differs"].toBool());
    EXPECT_FALSE(parameters[2].toObject().contains("module")) << "POUt:1 was not compared";
}

TEST_F(RunReportTest, AStoppedReadWithoutModuleAnswersSaysSo) {
    RunReport report;
    report.task = ReportTask::Read;
    report.stopped = true;
    report.root = tree_.root.get();
    const QJsonObject json = runReportJson(report);
    EXPECT_TRUE(json["stopped"].toBool());
    EXPECT_TRUE(json["device"].isNull());
    EXPECT_EQ(json["parameters"].toArray().size(), 3);
    EXPECT_FALSE(json["parameters"].toArray()[0].toObject().contains("module"));
}

TEST_F(RunReportTest, AReportThatCannotBeWrittenLeavesNoFile) {
    const auto path = scratch_ / "no-such-folder" / "report.json";
    std::string error;
    EXPECT_FALSE(writeRunReport(compareReport(), path, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(RunReportTest, ADifferenceLineNamesTheIndexAndBothSides) {
    const RunReport report = compareReport();
    EXPECT_EQ(differenceLine(report.compared[1]),
              "Параметер 'POUt:0' (Тип выхода) в конфигурации: значение=Дискретный,"
              "Редактируемый,принадлежит пользователю; в приборе: значение=Аналоговый,"
              "Редактируемый,принадлежит фирме.");
}

}  // namespace
}  // namespace tarn
