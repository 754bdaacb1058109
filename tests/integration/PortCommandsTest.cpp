// varnel's port commands and identity strings against varnel-printer-sim, run headless as a
// production script runs them: baud-rate detection over a pseudo-terminal, and the serial
// number and description programmed and read back.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "io/CommConfig.h"
#include "io/FileSettingsStore.h"
#include "io/SettingsStore.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "support/VarnelRun.h"

namespace varnel::test {
namespace {

// The baud rate of the serial configuration varnel stored in `folder`'s settings store.
std::optional<uint32_t> StoredBaud(const ScratchDir& folder) {
    FileSettingsStore store(folder.File("registry.reg"));
    auto value = store.GetValue(kPortSettingsKey, "Comm data");
    if (!value || value->data.size() != CommConfig::kSize) return std::nullopt;
    return CommConfig::FromBytes(value->data).dcb.BaudRate;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(PortCommandsEndToEnd, AutobaudFinds38400AndStoresIt) {
    SimulatorProcess printer(SimulatorLine::Pty, {"--baud", "38400"});
    ASSERT_FALSE(printer.Port().empty());
    ScratchDir folder;

    const VarnelRun run = RunVarnel(folder.path(), {"port:" + printer.Port(), "autobaud", "exit"});
    EXPECT_EQ(run.ExitCode(), 0);
    EXPECT_EQ(StoredBaud(folder), 38400u);
    const std::string log = folder.Read("Varnel.log");
    EXPECT_FALSE(Contains(log, "Configuration Error")) << log;
    EXPECT_FALSE(Contains(run.err, "Configuration Error")) << run.err;
}

TEST(PortCommandsEndToEnd, AutobaudWithoutAnAnswerStores9600) {
    SimulatorProcess printer(SimulatorLine::Pty, {"--baud", "19200", "--fault-probe-garbage"});
    ASSERT_FALSE(printer.Port().empty());
    ScratchDir folder;

    EXPECT_EQ(RunVarnel(folder.path(), {"sa", "port:" + printer.Port(), "autobaud", "exit"}).ExitCode(), 0);
    EXPECT_EQ(StoredBaud(folder), 9600u);
    const std::string log = folder.Read("Varnel.log");
    EXPECT_TRUE(Contains(log, "Configuration Error: \r\nI/O Port Automatic baud rate detection failed.")) << log;
}

TEST(PortCommandsEndToEnd, SerialNumberIsProgrammedAndVerified) {
    ScratchDir folder;
    const std::string state = folder.File("printer.json");
    SimulatorProcess printer(SimulatorLine::Tcp, {"--state", state});
    ASSERT_FALSE(printer.Port().empty());

    EXPECT_EQ(RunVarnel(folder.path(), {"sa", "port:" + printer.Port(), "ser:SN123456789", "exit"}).ExitCode(), 0);
    const std::string log = folder.Read("Varnel.log");
    EXPECT_TRUE(Contains(log, "Configuration Message: \r\nSerial Number programmed and verified.")) << log;
    printer.Stop();
    EXPECT_TRUE(Contains(ReadFileBytes(state), "SN123456789"));
}

TEST(PortCommandsEndToEnd, PrinterKeepingTheOldTextIsNotVerified) {
    SimulatorProcess printer(SimulatorLine::Tcp, {"--text", "4=OLDSERIAL01", "--fault-stale-identity"});
    ASSERT_FALSE(printer.Port().empty());
    ScratchDir folder;

    EXPECT_EQ(RunVarnel(folder.path(), {"sa", "port:" + printer.Port(), "ser:SN123456789", "exit"}).ExitCode(), 0);
    const std::string log = folder.Read("Varnel.log");
    EXPECT_TRUE(Contains(log, "Configuration Error: \r\nSerial Number could not be verified.")) << log;
    EXPECT_FALSE(Contains(log, "programmed and verified"));
}

TEST(PortCommandsEndToEnd, DescriptionOverAPseudoTerminalAndTheLengthLimit) {
    ScratchDir folder;
    const std::string trace = folder.File("trace.txt");
    SimulatorProcess printer(SimulatorLine::Pty, {"--trace", trace});
    ASSERT_FALSE(printer.Port().empty());
    const std::string port = "port:" + printer.Port();

    EXPECT_EQ(RunVarnel(folder.path(), {"sa", port, "desc:Front counter", "exit"}).ExitCode(), 0);
    const std::string log = folder.Read("Varnel.log");
    EXPECT_TRUE(Contains(log, "Configuration Message: \r\nDescription programmed and verified.")) << log;

    const std::string before = ReadFileBytes(trace);
    EXPECT_EQ(RunVarnel(folder.path(), {"sa", port, "desc:" + std::string(49, 'D'), "exit"}).ExitCode(), 0);
    EXPECT_TRUE(Contains(folder.Read("Varnel.log"),
                         "Configuration Error: \r\nDescription must be 48 characters long or less!!!"));
    // Nothing reached the printer: its trace gained no received bytes.
    const std::string added = ReadFileBytes(trace).substr(before.size());
    EXPECT_FALSE(Contains(added, " RX ")) << added;
}

}  // namespace
}  // namespace varnel::test
