// varnel flashing the demo boot file into varnel-printer-sim's boot loader, headless, over a
// pseudo-terminal and loopback TCP. Each run waits out the update's restart pauses (6 s, and
// 8 s more on TCP), so the cases are few.

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
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

// A running varnel-printer-sim; stopped with SIGTERM when it goes away.
class BootLoaderSimulator {
public:
    explicit BootLoaderSimulator(std::vector<std::string> arguments) {
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
    ~BootLoaderSimulator() { Stop(); }
    BootLoaderSimulator(const BootLoaderSimulator&) = delete;
    BootLoaderSimulator& operator=(const BootLoaderSimulator&) = delete;

    const std::string& Port() const { return port_; }
    void Stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        close(out_);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string port_;
};

constexpr size_t kLargeImageSize = 32768;

class FlashTest : public ::testing::Test {
protected:
    // `transport` is "--pty" or "--tcp" with its address.
    std::vector<std::string> SimulatorArguments(std::vector<std::string> transport,
                                                std::vector<std::string> more = {}) {
        std::vector<std::string> args = transport;
        std::vector<std::string> bootLoader{"--boot",
                                      "--map",
                                      ExamplesDir() + "/rpdemo_100.map",
                                      "--cfg",
                                      ExamplesDir() + "/rpdemo.cfg",
                                      "--boot-image",
                                      ReceivedPath()};
        args.insert(args.end(), bootLoader.begin(), bootLoader.end());
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    std::string ReceivedPath() const { return dir.File("received.img"); }
    std::string BootFile() const { return ReadFileBytes(ExamplesDir() + "/RPD1_101.BOT"); }

    // The script line of a production station: read the demo configuration, flash, leave.
    std::vector<std::string> FlashScript(const std::string& port, bool silent,
                                         const std::string& bootFolder = ExamplesDir()) const {
        std::vector<std::string> script{"port:" + port, "readfile:" + ExamplesDir() + "/rpdemo.cfg",
                                        "flash:" + bootFolder + "/", "exit"};
        if (silent) script.insert(script.begin(), "sa");
        return script;
    }

    // Runs varnel headless in the test's folder with its standard error on `errFd`.
    int Run(const std::vector<std::string>& parameters, int errFd) const {
        const std::string exe = VarnelExe();
        pid_t pid = fork();
        if (pid == 0) {
            if (chdir(dir.path().c_str()) != 0) _exit(127);
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            unsetenv("QT_QPA_PLATFORM");
            setenv("VARNEL_SETTINGS", dir.File("registry.reg").c_str(), 1);
            dup2(errFd, STDERR_FILENO);
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
    int RunToFile(const std::vector<std::string>& parameters) const {
        int err = open(dir.File("stderr.txt").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        int code = Run(parameters, err);
        close(err);
        return code;
    }
    std::string Log() const { return ReadFileBytes(dir.File("Varnel.log")); }
    // Byte for byte, without printing kilobytes of binary on a mismatch.
    void ExpectReceived(const std::string& image) const {
        std::string received = ReadFileBytes(ReceivedPath());
        EXPECT_EQ(received.size(), image.size());
        EXPECT_TRUE(received == image) << "the received image differs from the boot file";
    }

    TempDir dir;
};

TEST_F(FlashTest, FlashesTheDemoBootFileOverAPseudoTerminal) {
    // The boot loader listens at 19200 baud; the update switches the line to 57600 for the stream.
    BootLoaderSimulator printer(SimulatorArguments({"--pty"}, {"--baud", "19200"}));
    ASSERT_FALSE(printer.Port().empty());

    EXPECT_EQ(RunToFile(FlashScript(printer.Port(), true)), 0);
    printer.Stop();

    ExpectReceived(BootFile());
    EXPECT_EQ(Log().find("Configuration Error"), std::string::npos) << Log();
    EXPECT_EQ(ReadFileBytes(dir.File("stderr.txt")), "");
}

TEST_F(FlashTest, FlashesTheDemoBootFileOverTcp) {
    BootLoaderSimulator printer(SimulatorArguments({"--tcp", "127.0.0.1:0"}));
    ASSERT_FALSE(printer.Port().empty());

    EXPECT_EQ(RunToFile(FlashScript(printer.Port(), true)), 0);
    printer.Stop();

    ExpectReceived(BootFile());
    EXPECT_EQ(Log().find("Configuration Error"), std::string::npos) << Log();
}

TEST_F(FlashTest, AnUpToDatePrinterOnlyLeavesBootMode) {
    BootLoaderSimulator printer(SimulatorArguments({"--tcp", "127.0.0.1:0"}, {"--firmware", "RPD1-1.01"}));
    ASSERT_FALSE(printer.Port().empty());

    EXPECT_EQ(RunToFile(FlashScript(printer.Port(), true)), 0);
    printer.Stop();

    EXPECT_EQ(ReadFileBytes(ReceivedPath()), "");
    EXPECT_EQ(Log().find("Configuration Error"), std::string::npos) << Log();
}

TEST_F(FlashTest, ATerminalSeesTheProgressLineMove) {
    // A boot file large enough to outlast the terminal's buffering: paced at the line's rate it
    // takes a few seconds at 57600 baud.
    std::filesystem::create_directory(dir.File("boot"));
    std::string image(kLargeImageSize, '\0');
    // The simulator's boot loader takes zero bytes before a boot file as filler, so this one
    // starts with another byte.
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>((i * 131 + i / 977 + 1) & 0xFF);
    WriteFileBytes(dir.File("boot/RPD1_101.BOT"), image);
    BootLoaderSimulator printer(SimulatorArguments({"--pty"}, {"--baud", "19200", "--line-rate"}));
    ASSERT_FALSE(printer.Port().empty());
    int terminal = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(grantpt(terminal), 0);
    ASSERT_EQ(unlockpt(terminal), 0);
    int errSide = open(ptsname(terminal), O_RDWR | O_NOCTTY);
    ASSERT_GE(errSide, 0);

    EXPECT_EQ(Run(FlashScript(printer.Port(), false, dir.File("boot")), errSide), 0);
    close(errSide);
    std::string shown;
    char buffer[4096];
    for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) > 0;) shown.append(buffer, static_cast<size_t>(n));
    close(terminal);
    printer.Stop();

    size_t progressLines = 0;
    for (size_t at = shown.find("Flashing: "); at != std::string::npos; at = shown.find("Flashing: ", at + 1))
        ++progressLines;
    EXPECT_GE(progressLines, 3u) << shown;
    EXPECT_NE(shown.find("Flashing: 32768 of 32768 bytes (100%)"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Flash Updated"), std::string::npos) << shown;
    ExpectReceived(image);
}

}  // namespace
}  // namespace varnel::test
