#include "app/command_line.h"

#include <gtest/gtest.h>

#include "app/exit_code.h"
#include "platform/build_info.h"

namespace tarn {
namespace {

using CL = CommandLine;

TEST(CommandLine, TraditionalArgumentsAreLowerCasedAndCutAtSlashes) {
    const CommandLine line = parseCommandLine({"/READ/Close", "/port:3/SILENT", "conf.tarn"});
    EXPECT_TRUE(line.unattended());
    EXPECT_TRUE(line.hasB(CL::kRead));
    EXPECT_TRUE(line.hasB(CL::kClose));
    EXPECT_EQ(line.port, 3);
    EXPECT_TRUE(line.hasB(CL::kNetworkSettings));
    EXPECT_TRUE(line.silent());
    EXPECT_TRUE(line.has(CL::kAutoreadOff));
    EXPECT_EQ(line.fileName, "conf.tarn");
}

TEST(CommandLine, AbsolutePathsAreFileNamesUnlessTheyStartWithAnOption) {
    CommandLine line = parseCommandLine({"-read", "/home/user/Конфиг.tarn"});
    EXPECT_EQ(line.fileName, "/home/user/Конфиг.tarn");
    line = parseCommandLine({"/port/x.tarn"});  // "port" is an option name
    EXPECT_TRUE(line.unattended());
    EXPECT_EQ(line.fileName, "");
    line = parseCommandLine({"/tmp/a.tarn", "/tmp/b.tarn"});
    EXPECT_EQ(line.fileName, "/tmp/a.tarn") << "the first file name counts";
    EXPECT_FALSE(line.unattended()) << "a file name alone is an interactive start";
}

TEST(CommandLine, DashOptionsCarryOneOptionAndKeepPathsAsTyped) {
    const CommandLine line = parseCommandLine(
        {"-WRITE", "-elog:\"/tmp/Errors/Log.TXT\"", "-exitevent:MyStop", "-port:0x0A", "-bps:19200",
         "-ALen:011", "-unknown:1", "-Trace:/tmp/Bus Trace/Line.LOG"});
    EXPECT_TRUE(line.hasB(CL::kWrite));
    EXPECT_EQ(line.errorLogPath, "/tmp/Errors/Log.TXT");
    EXPECT_EQ(line.tracePath, "/tmp/Bus Trace/Line.LOG");
    EXPECT_EQ(line.exitEventName, "MyStop");
    EXPECT_EQ(line.port, 10);
    EXPECT_EQ(line.baudRate, 19200u);
    EXPECT_EQ(line.addressLength, 9) << "a leading 0 reads octal";
}

TEST(CommandLine, CompareAndTheReportPathAsTyped) {
    CommandLine line =
        parseCommandLine({"-port:3", "-COMPARE", "-Report:\"Отчёты/Run 1.JSON\"", "conf.tarn"});
    EXPECT_TRUE(line.hasB(CL::kCompare));
    EXPECT_FALSE(line.hasB(CL::kRead) || line.hasB(CL::kWrite));
    EXPECT_EQ(line.reportPath, "Отчёты/Run 1.JSON");
    line.clearTaskSettings();
    EXPECT_FALSE(line.hasB(CL::kCompare)) << "the task ends with the other task settings";
    EXPECT_EQ(line.reportPath, "Отчёты/Run 1.JSON") << "the report is written after the task";

    // The traditional form cuts at every "/" and lower-cases: a bare name.
    line = parseCommandLine({"/port:3/compare/report:Run.json"});
    EXPECT_TRUE(line.hasB(CL::kCompare));
    EXPECT_EQ(line.reportPath, "run.json");
    EXPECT_EQ(line.fileName, "");
}

TEST(CommandLine, ValuesThatDoNotFitOrDoNotReadChangeNothing) {
    CommandLine line = parseCommandLine({"-addr:123456", "-sbit:12345", "-bps:fast", "-len:"});
    EXPECT_EQ(line.address, "");
    EXPECT_EQ(line.stopBits, "");
    EXPECT_EQ(line.baudRate, 0u);
    EXPECT_EQ(line.dataBits, 0);
    EXPECT_FALSE(line.hasB(CL::kNetworkSettings));
    EXPECT_TRUE(line.unattended()) << "any option, known or not, switches it on";

    line = parseCommandLine({"-addr:24", "-sbit:2"});
    EXPECT_EQ(line.address, "24");
    EXPECT_EQ(line.stopBits, "2");
    EXPECT_TRUE(line.hasB(CL::kNetworkSettings));
}

TEST(CommandLine, ParityAndItsWithdrawal) {
    EXPECT_EQ(parseCommandLine({"-prty:EVEN"}).parity, Parity::Even);
    EXPECT_EQ(parseCommandLine({"-prty:odd"}).parity, Parity::Odd);
    EXPECT_EQ(parseCommandLine({"-prty:no"}).parity, Parity::None);
    const CommandLine line = parseCommandLine({"/port:2/bps:9600/prty:none"});
    EXPECT_FALSE(line.hasB(CL::kNetworkSettings)) << "an unknown parity withdraws the mark";
    EXPECT_EQ(line.port, 2);
}

TEST(CommandLine, NewNetParamClearsAndThenIgnoresThePort) {
    CommandLine line = parseCommandLine({"-port:3", "-newnetparam", "-port:4", "-bps:9600"});
    EXPECT_TRUE(line.has(CL::kNewNetParam));
    EXPECT_EQ(line.port, 0);
    EXPECT_EQ(line.baudRate, 9600u);
}

TEST(CommandLine, WindowConverterAndAutoread) {
    CommandLine line = parseCommandLine({"/x:10/y:20/w:800/h:600", "-rs485:off", "-autoread:on"});
    EXPECT_EQ(line.flagsC, CL::kXGiven | CL::kYGiven | CL::kWGiven | CL::kHGiven);
    EXPECT_EQ(line.w, 800);
    EXPECT_EQ(line.converter, CL::kConverterOff);
    EXPECT_TRUE(line.has(CL::kAutoreadOn));
    line = parseCommandLine({"-autoread:on", "-silent"});
    EXPECT_FALSE(line.has(CL::kAutoreadOn));
    EXPECT_TRUE(line.has(CL::kAutoreadOff));

    line.clearTaskSettings();
    EXPECT_TRUE(line.unattended()) << "the run stays unattended";
    EXPECT_TRUE(line.silent());
}

TEST(CommandLine, HelpIsNotAnOption) {
    for (const char* help : {"-help", "-?", "--help"}) {
        const CommandLine line = parseCommandLine({help});
        EXPECT_TRUE(line.helpRequested) << help;
        EXPECT_FALSE(line.unattended()) << help;
    }
    EXPECT_NE(usageText().find("206"), std::string::npos);
    for (const char* option : {"-compare", "-report:FILE", "208"}) {
        EXPECT_NE(usageText().find(option), std::string::npos) << option;
    }
}

TEST(CommandLine, VersionIsNotAnOptionAndHtmlKeepsItsPath) {
    for (const char* version : {"-version", "--version"}) {
        const CommandLine line = parseCommandLine({version});
        EXPECT_TRUE(line.versionRequested) << version;
        EXPECT_FALSE(line.unattended()) << version;
    }
    EXPECT_NE(versionText().find(build::kVersion), std::string::npos);
    EXPECT_NE(versionText().find(build::kCopyright), std::string::npos);

    CommandLine line = parseCommandLine({"-HTML:\"Docs/Список.HTML\"", "Conf.tarn"});
    EXPECT_TRUE(line.htmlRequested);
    EXPECT_EQ(line.htmlPath, "Docs/Список.HTML");
    EXPECT_EQ(line.fileName, "Conf.tarn");
    // The traditional form would cut a path at its slashes: "/html" is a
    // file name there.
    line = parseCommandLine({"/html:list.html"});
    EXPECT_FALSE(line.htmlRequested);
    EXPECT_EQ(line.fileName, "/html:list.html");
    EXPECT_NE(usageText().find("-html:FILE"), std::string::npos);
}

TEST(ExitCode, TheLowestBitDecides) {
    EXPECT_EQ(exitCodeFor(0), 0);
    EXPECT_EQ(exitCodeFor(0, 3), 3);
    EXPECT_EQ(exitCodeFor(0x01), 200);
    EXPECT_EQ(exitCodeFor(0x02), 201);
    EXPECT_EQ(exitCodeFor(0x04), 202);
    EXPECT_EQ(exitCodeFor(0x08), 203);
    EXPECT_EQ(exitCodeFor(0x20), 205);
    EXPECT_EQ(exitCodeFor(0x40), 206);
    EXPECT_EQ(exitCodeFor(0x60), 205);
    EXPECT_EQ(exitCodeFor(0x0A), 201);
}

TEST(ExitCode, ACompareDiffersOnlyWhenTheLineDidNotFail) {
    EXPECT_EQ(compareExitCode(0, 0), 0);
    EXPECT_EQ(compareExitCode(0, 3), kExitModuleDiffers);
    // Reads that timed out leave differences; the time-out is the cause.
    EXPECT_EQ(compareExitCode(0x04, 300), 202);
    EXPECT_EQ(compareExitCode(0x20, 1), 205);
    EXPECT_EQ(exitCodeMeaning(208), "the module differs from the configuration file");
    EXPECT_EQ(exitCodeMeaning(202), "an exchange timed out (no connection)");
}

}  // namespace
}  // namespace tarn
