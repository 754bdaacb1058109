// varnel against varnel-printer-sim: the production flow of reading, writing and verifying a
// configuration, and the firmware checks, over a pseudo-terminal and loopback TCP. Every run
// costs the protocol's own pauses (a few seconds), so the cases are few.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/DemoModel.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "support/VarnelRun.h"

namespace varnel::test {
namespace {

// Runs varnel headless in `folder`; returns its exit code.
int RunIn(const ScratchDir& folder, const std::vector<std::string>& parameters) {
    return RunVarnel(folder.path(), parameters).ExitCode();
}

TEST(ProtocolTest, ProductionFlowOverAPseudoTerminal) {
    SimulatorProcess printer(SimulatorLine::Pty, DemoPrinterSwitches());
    ASSERT_FALSE(printer.Port().empty());
    const std::string port = "port:" + printer.Port();
    ScratchDir folder;
    CopyDemoModel(folder.path());
    ASSERT_TRUE(WriteChangedDemoConfiguration(folder.path()));

    EXPECT_EQ(RunIn(folder, {"sa", port, "isfwr:RPD1-1.01"}), 1);
    EXPECT_EQ(RunIn(folder, {"sa", port, "isfwr:RPD1-1.00"}), 0);

    // The printer's configuration into a file: the simulator was loaded with rpdemo.cfg.
    ASSERT_EQ(RunIn(folder, {"sa", port, "readcfg", "writefile:read.cfg", "exit"}), 0);
    const std::string read = folder.Read("read.cfg");
    EXPECT_NE(read.find("Print_Speed           5"), std::string::npos) << read;
    EXPECT_NE(read.find("Sleep_Timeout         300"), std::string::npos);
    EXPECT_NE(read.find("\"WELCOME TO THE DEMO STORE\""), std::string::npos);

    // A prepared configuration into the printer, then verified.
    ASSERT_EQ(RunIn(folder, {"sa", port, "readfile:changed.cfg", "writecfg", "exit"}), 0);
    EXPECT_EQ(RunIn(folder, {"sa", port, "readfile:changed.cfg", "verify"}), 1);
    EXPECT_EQ(folder.Read("Varnel.log").find("does not verify."), std::string::npos);

    // The printer changes behind the configuration's back: verification fails and says where.
    ASSERT_EQ(RunIn(folder, {"sa", port, "readfile:rpdemo.cfg", "writecfg", "exit"}), 0);
    EXPECT_EQ(RunIn(folder, {"sa", port, "readfile:changed.cfg", "verify"}), 0);
    const std::string log = folder.Read("Varnel.log");
    EXPECT_NE(log.find("\"Print_Speed\" does not verify."), std::string::npos) << log;
}

// The demo printer as the demo and the documentation start it, for each firmware, and after an
// update from 1.00 to 1.01 (its tables placed through the 1.00 map, its firmware 1.01): what is
// read from it is written back, saved and verified without a single error.
struct DemoPrinterCase {
    const char* name;
    const char* map;
    std::vector<std::string> more;
};

void PrintTo(const DemoPrinterCase& c, std::ostream* out) { *out << c.name; }

class DemoPrinterTest : public ::testing::TestWithParam<DemoPrinterCase> {};

TEST_P(DemoPrinterTest, ReadWriteSaveAndVerifyReportNoError) {
    const DemoPrinterCase& c = GetParam();
    std::vector<std::string> switches = DemoPrinterSwitches(c.map);
    switches.insert(switches.end(), c.more.begin(), c.more.end());
    SimulatorProcess printer(SimulatorLine::Pty, switches);
    ASSERT_FALSE(printer.Port().empty());
    const std::string port = "port:" + printer.Port();
    ScratchDir folder;
    CopyDemoModel(folder.path());

    // Read into memory and written back at once, the settings that may not be written included.
    EXPECT_EQ(RunVarnel(folder.path(), {"sa", port, "readcfg", "writecfg", "writefile:read.cfg", "exit"}).ExitCode(), 0);
    EXPECT_EQ(RunVarnel(folder.path(), {"sa", port, "readfile:read.cfg", "verify"}).ExitCode(), 1);

    const std::string log = folder.Read("Varnel.log");
    EXPECT_EQ(log.find("Configuration Error"), std::string::npos) << log;
    const std::string read = ReadFileBytes(folder.File("read.cfg"));
    EXPECT_EQ(read.find("Internal error"), std::string::npos) << read;
    EXPECT_NE(read.find("Model                 \"RP-DEMO\""), std::string::npos) << read;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, DemoPrinterTest,
    ::testing::Values(DemoPrinterCase{"Firmware101", "rpdemo_101.map", {}},
                      DemoPrinterCase{"Firmware100", "rpdemo_100.map", {}},
                      DemoPrinterCase{"UpdatedFrom100To101", "rpdemo_100.map", {"--firmware", "RPD1-1.01"}}),
    [](const ::testing::TestParamInfo<DemoPrinterCase>& info) { return std::string(info.param.name); });

TEST(ProtocolTest, FirmwareChecksOverTcpAndAnUnreachablePrinter) {
    SimulatorProcess printer(SimulatorLine::Tcp, {"--firmware", "ABCDEF12"});
    ASSERT_FALSE(printer.Port().empty());
    const std::string port = "port:" + printer.Port();
    ScratchDir folder;
    CopyDemoModel(folder.path());
    EXPECT_EQ(RunIn(folder, {"sa", port, "isfw:ABCDEFxyz"}), 1);
    EXPECT_EQ(RunIn(folder, {"sa", port, "isfwr:ABCDEF"}), 0);
    EXPECT_EQ(RunIn(folder, {"sa", port, "isfwr:ABCDEF12"}), 1);

    const std::string nobody = "port:127.0.0.1:1";
    EXPECT_EQ(RunIn(folder, {"sa", nobody, "isfw:ABCDEF"}), 0);
    EXPECT_EQ(RunIn(folder, {"sa", nobody, "readfile:rpdemo.cfg", "verify"}), 0);
}

}  // namespace
}  // namespace varnel::test
