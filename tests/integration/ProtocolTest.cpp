// varnel against varnel-printer-sim: the production flow of reading, writing and verifying a
// configuration, and the firmware checks, over a pseudo-terminal and loopback TCP. Every run
// costs the protocol's own pauses (a few seconds), so the cases are few.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/TestPaths.h"

namespace varnel::test {
namespace {

// A running varnel-printer-sim with the demo model; stopped with SIGTERM when it goes away.
class Simulator {
public:
    explicit Simulator(std::vector<std::string> arguments) {
        int out[2];
        if (pipe(out) != 0) throw std::runtime_error("pipe");
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            const std::string exe = SimulatorExe();
            std::vector<char*> argv{const_cast<char*>(exe.c_str())};
            for (std::string& argument : arguments) argv.push_back(argument.data());
            argv.push_back(nullptr);
            execv(exe.c_str(), argv.data());
            _exit(127);
        }
        close(out[1]);
        out_ = out[0];
        std::string line;
        char c = 0;
        while (read(out_, &c, 1) == 1 && c != '\n') line += c;
        if (line.rfind("PORT ", 0) == 0) port_ = line.substr(5);
    }
    ~Simulator() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        close(out_);
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;
    const std::string& Port() const { return port_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string port_;
};

// A working folder holding the demo model's description files, where varnel runs headless.
class DemoFolder {
public:
    DemoFolder() {
        for (const char* name : {"rpdemo.opt", "rpdemo_100.map", "rpdemo_101.map", "rpdemo.cfg"})
            std::filesystem::copy_file(ExamplesDir() + "/" + name, dir_.File(name));
    }
    std::string File(const std::string& name) const { return dir_.File(name); }

    // Runs varnel with `parameters`; returns its exit code.
    int Run(const std::vector<std::string>& parameters) const {
        const std::string exe = VarnelExe();
        const std::string errPath = dir_.File("stderr.txt");
        pid_t pid = fork();
        if (pid == 0) {
            if (chdir(dir_.path().c_str()) != 0) _exit(127);
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            unsetenv("QT_QPA_PLATFORM");
            setenv("VARNEL_SETTINGS", dir_.File("registry.reg").c_str(), 1);
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (err >= 0) dup2(err, STDERR_FILENO);
            std::vector<std::string> copies = parameters;
            std::vector<char*> argv{const_cast<char*>(exe.c_str())};
            for (std::string& parameter : copies) argv.push_back(parameter.data());
            argv.push_back(nullptr);
            execv(exe.c_str(), argv.data());
            _exit(127);
        }
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Log() const { return ReadFileBytes(dir_.File("Varnel.log")); }

private:
    TempDir dir_;
};

std::vector<std::string> DemoSimulatorArguments(const char* transport) {
    return {transport, "--map", ExamplesDir() + "/rpdemo_101.map", "--cfg", ExamplesDir() + "/rpdemo.cfg"};
}

// The demo configuration with Print_Speed 3 instead of the printer's 5.
void WriteChangedConfiguration(const DemoFolder& folder) {
    std::string text = ReadFileBytes(folder.File("rpdemo.cfg"));
    const std::string from = "Print_Speed           5";
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, from.size(), "Print_Speed           3");
    WriteFileBytes(folder.File("changed.cfg"), text);
}

TEST(ProtocolTest, ProductionFlowOverAPseudoTerminal) {
    Simulator printer(DemoSimulatorArguments("--pty"));
    ASSERT_FALSE(printer.Port().empty());
    const std::string port = "port:" + printer.Port();
    DemoFolder folder;
    WriteChangedConfiguration(folder);

    EXPECT_EQ(folder.Run({"sa", port, "isfwr:RPD1-1.01"}), 1);
    EXPECT_EQ(folder.Run({"sa", port, "isfwr:RPD1-1.00"}), 0);

    // The printer's configuration into a file: the simulator was loaded with rpdemo.cfg.
    ASSERT_EQ(folder.Run({"sa", port, "readcfg", "writefile:read.cfg", "exit"}), 0);
    const std::string read = ReadFileBytes(folder.File("read.cfg"));
    EXPECT_NE(read.find("Print_Speed           5"), std::string::npos) << read;
    EXPECT_NE(read.find("Sleep_Timeout         300"), std::string::npos);
    EXPECT_NE(read.find("\"WELCOME TO THE DEMO STORE\""), std::string::npos);

    // A prepared configuration into the printer, then verified.
    ASSERT_EQ(folder.Run({"sa", port, "readfile:changed.cfg", "writecfg", "exit"}), 0);
    EXPECT_EQ(folder.Run({"sa", port, "readfile:changed.cfg", "verify"}), 1);
    EXPECT_EQ(folder.Log().find("does not verify."), std::string::npos);

    // The printer changes behind the configuration's back: verification fails and says where.
    ASSERT_EQ(folder.Run({"sa", port, "readfile:rpdemo.cfg", "writecfg", "exit"}), 0);
    EXPECT_EQ(folder.Run({"sa", port, "readfile:changed.cfg", "verify"}), 0);
    EXPECT_NE(folder.Log().find("\"Print_Speed\" does not verify."), std::string::npos) << folder.Log();
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
    std::vector<std::string> arguments{"--pty", "--map", ExamplesDir() + "/" + c.map,
                                       "--cfg", ExamplesDir() + "/rpdemo.cfg"};
    arguments.insert(arguments.end(), c.more.begin(), c.more.end());
    Simulator printer(arguments);
    ASSERT_FALSE(printer.Port().empty());
    const std::string port = "port:" + printer.Port();
    DemoFolder folder;

    // Read into memory and written back at once, the settings that may not be written included.
    EXPECT_EQ(folder.Run({"sa", port, "readcfg", "writecfg", "writefile:read.cfg", "exit"}), 0);
    EXPECT_EQ(folder.Run({"sa", port, "readfile:read.cfg", "verify"}), 1);

    const std::string log = folder.Log();
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
    Simulator printer({"--tcp", "127.0.0.1:0", "--firmware", "ABCDEF12"});
    ASSERT_FALSE(printer.Port().empty());
    const std::string port = "port:" + printer.Port();
    DemoFolder folder;
    EXPECT_EQ(folder.Run({"sa", port, "isfw:ABCDEFxyz"}), 1);
    EXPECT_EQ(folder.Run({"sa", port, "isfwr:ABCDEF"}), 0);
    EXPECT_EQ(folder.Run({"sa", port, "isfwr:ABCDEF12"}), 1);

    const std::string nobody = "port:127.0.0.1:1";
    EXPECT_EQ(folder.Run({"sa", nobody, "isfw:ABCDEF"}), 0);
    EXPECT_EQ(folder.Run({"sa", nobody, "readfile:rpdemo.cfg", "verify"}), 0);
}

}  // namespace
}  // namespace varnel::test
