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
