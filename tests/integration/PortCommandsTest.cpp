// varnel's port commands and identity strings against varnel-printer-sim, run headless as a
// production script runs them: baud-rate detection over a pseudo-terminal, and the serial
// number and description programmed and read back.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "io/CommConfig.h"
#include "io/FileSettingsStore.h"
#include "io/SettingsStore.h"
#include "support/TestPaths.h"

namespace varnel::test {
namespace {

// A running varnel-printer-sim, stopped with SIGTERM (which saves its state) when it goes away.
class PortSimulator {
public:
    explicit PortSimulator(std::vector<std::string> arguments) {
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
    ~PortSimulator() { Stop(); }
    PortSimulator(const PortSimulator&) = delete;
    PortSimulator& operator=(const PortSimulator&) = delete;

    void Stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        close(out_);
        pid_ = -1;
    }
    const std::string& Port() const { return port_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string port_;
};

// A working folder with its own settings store, where varnel runs without a display.
class ScriptFolder {
public:
    struct Result {
        int exitCode = -1;
        std::string err;
    };

    Result Run(const std::vector<std::string>& parameters) const {
        const std::string exe = VarnelExe();
        const std::string errPath = dir_.File("stderr.txt");
        pid_t pid = fork();
        if (pid == 0) {
            if (chdir(dir_.path().c_str()) != 0) _exit(127);
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            unsetenv("QT_QPA_PLATFORM");
            setenv("VARNEL_SETTINGS", dir_.File("registry.reg").c_str(), 1);
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (err >= 0) dup2(err, STDERR_FILENO);
            std::vector<std::string> copies = parameters;
            std::vector<char*> argv{const_cast<char*>(exe.c_str())};
            for (std::string& parameter : copies) argv.push_back(parameter.data());
            argv.push_back(nullptr);
            execv(exe.c_str(), argv.data());
            _exit(127);
        }
        Result result;
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid) return result;
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.err = ReadFileBytes(errPath);
        return result;
    }

    std::string Log() const { return ReadFileBytes(dir_.File("Varnel.log")); }
    std::string File(const std::string& name) const { return dir_.File(name); }

    std::optional<uint32_t> StoredBaud() const {
        FileSettingsStore store(dir_.File("registry.reg"));
        auto value = store.GetValue(kPortSettingsKey, "Comm data");
        if (!value || value->data.size() != CommConfig::kSize) return std::nullopt;
        return CommConfig::FromBytes(value->data).dcb.BaudRate;
    }

private:
    TempDir dir_;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(PortCommandsEndToEnd, AutobaudFinds38400AndStoresIt) {
    PortSimulator printer({"--pty", "--baud", "38400"});
    ASSERT_FALSE(printer.Port().empty());
    ScriptFolder folder;

    const auto run = folder.Run({"port:" + printer.Port(), "autobaud", "exit"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(folder.StoredBaud(), 38400u);
    EXPECT_FALSE(Contains(folder.Log(), "Configuration Error")) << folder.Log();
    EXPECT_FALSE(Contains(run.err, "Configuration Error")) << run.err;
}

TEST(PortCommandsEndToEnd, AutobaudWithoutAnAnswerStores9600) {
    PortSimulator printer({"--pty", "--baud", "19200", "--fault-probe-garbage"});
    ASSERT_FALSE(printer.Port().empty());
    ScriptFolder folder;

    const auto run = folder.Run({"sa", "port:" + printer.Port(), "autobaud", "exit"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(folder.StoredBaud(), 9600u);
    EXPECT_TRUE(Contains(folder.Log(), "Configuration Error: \r\nI/O Port Automatic baud rate detection failed."))
        << folder.Log();
}

TEST(PortCommandsEndToEnd, SerialNumberIsProgrammedAndVerified) {
    ScriptFolder folder;
    const std::string state = folder.File("printer.json");
    PortSimulator printer({"--tcp", "127.0.0.1:0", "--state", state});
    ASSERT_FALSE(printer.Port().empty());

    EXPECT_EQ(folder.Run({"sa", "port:" + printer.Port(), "ser:SN123456789", "exit"}).exitCode, 0);
    EXPECT_TRUE(Contains(folder.Log(), "Configuration Message: \r\nSerial Number programmed and verified."))
        << folder.Log();
    printer.Stop();
    EXPECT_TRUE(Contains(ReadFileBytes(state), "SN123456789"));
}

TEST(PortCommandsEndToEnd, PrinterKeepingTheOldTextIsNotVerified) {
    PortSimulator printer({"--tcp", "127.0.0.1:0", "--text", "4=OLDSERIAL01", "--fault-stale-identity"});
    ASSERT_FALSE(printer.Port().empty());
    ScriptFolder folder;

    EXPECT_EQ(folder.Run({"sa", "port:" + printer.Port(), "ser:SN123456789", "exit"}).exitCode, 0);
    EXPECT_TRUE(Contains(folder.Log(), "Configuration Error: \r\nSerial Number could not be verified."))
        << folder.Log();
    EXPECT_FALSE(Contains(folder.Log(), "programmed and verified"));
}

TEST(PortCommandsEndToEnd, DescriptionOverAPseudoTerminalAndTheLengthLimit) {
    ScriptFolder folder;
    const std::string trace = folder.File("trace.txt");
    PortSimulator printer({"--pty", "--trace", trace});
    ASSERT_FALSE(printer.Port().empty());
    const std::string port = "port:" + printer.Port();

    EXPECT_EQ(folder.Run({"sa", port, "desc:Front counter", "exit"}).exitCode, 0);
    EXPECT_TRUE(Contains(folder.Log(), "Configuration Message: \r\nDescription programmed and verified."))
        << folder.Log();

    const std::string before = ReadFileBytes(trace);
    EXPECT_EQ(folder.Run({"sa", port, "desc:" + std::string(49, 'D'), "exit"}).exitCode, 0);
    EXPECT_TRUE(Contains(folder.Log(), "Configuration Error: \r\nDescription must be 48 characters long or less!!!"));
    // Nothing reached the printer: its trace gained no received bytes.
    const std::string added = ReadFileBytes(trace).substr(before.size());
    EXPECT_FALSE(Contains(added, " RX ")) << added;
}

}  // namespace
}  // namespace varnel::test
