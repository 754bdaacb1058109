// varnel flashing the demo boot file into varnel-printer-sim's boot loader, headless, over a
// pseudo-terminal and loopback TCP. Each run waits out the update's restart pauses (6 s, and
// 8 s more on TCP), so the cases are few.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/DemoModel.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"
#include "support/TestPaths.h"
#include "support/VarnelRun.h"

namespace varnel::test {
namespace {

constexpr size_t kLargeImageSize = 32768;
constexpr auto kReceiveLimit = std::chrono::seconds(60);
constexpr auto kReceivePoll = std::chrono::milliseconds(50);

class FlashTest : public ::testing::Test {
protected:
    // A boot loader of the demo model, keeping what it is sent in ReceivedPath().
    std::vector<std::string> BootLoaderSwitches(std::vector<std::string> more = {}) const {
        std::vector<std::string> args = DemoPrinterSwitches("rpdemo_100.map");
        args.insert(args.begin(), "--boot");
        args.insert(args.end(), {"--boot-image", ReceivedPath()});
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

    // Runs varnel headless in the test's folder; returns its exit code.
    int Run(const std::vector<std::string>& parameters, int errFd = -1) const {
        return RunVarnel(dir.path(), parameters, kVarnelRunLimit, errFd).ExitCode();
    }
    std::string Log() const { return dir.Read("Varnel.log"); }
    // The simulator keeps the image once its paced line has taken the last byte, which on a loaded
    // machine can come after varnel has ended; stopping it earlier would lose the image.
    static void StopAfterReceiving(SimulatorProcess& printer, const std::string& path, size_t size) {
        const auto deadline = std::chrono::steady_clock::now() + kReceiveLimit;
        while (ReadFileBytes(path).size() < size && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(kReceivePoll);
        printer.Stop();
    }
    // Byte for byte, without printing kilobytes of binary on a mismatch.
    void ExpectReceived(const std::string& image) const {
        std::string received = ReadFileBytes(ReceivedPath());
        EXPECT_EQ(received.size(), image.size());
        EXPECT_TRUE(received == image) << "the received image differs from the boot file";
    }

    ScratchDir dir;
};

TEST_F(FlashTest, FlashesTheDemoBootFileOverAPseudoTerminal) {
    // The boot loader listens at 19200 baud; the update switches the line to 57600 for the stream.
    SimulatorProcess printer(SimulatorLine::Pty, BootLoaderSwitches({"--baud", "19200"}));
    ASSERT_FALSE(printer.Port().empty());

    EXPECT_EQ(Run(FlashScript(printer.Port(), true)), 0);
    StopAfterReceiving(printer, ReceivedPath(), BootFile().size());

    ExpectReceived(BootFile());
    EXPECT_EQ(Log().find("Configuration Error"), std::string::npos) << Log();
    EXPECT_EQ(dir.Read("stderr.txt"), "");
}

TEST_F(FlashTest, FlashesTheDemoBootFileOverTcp) {
    SimulatorProcess printer(SimulatorLine::Tcp, BootLoaderSwitches());
    ASSERT_FALSE(printer.Port().empty());

    EXPECT_EQ(Run(FlashScript(printer.Port(), true)), 0);
    StopAfterReceiving(printer, ReceivedPath(), BootFile().size());

    ExpectReceived(BootFile());
    EXPECT_EQ(Log().find("Configuration Error"), std::string::npos) << Log();
}

TEST_F(FlashTest, AnUpToDatePrinterOnlyLeavesBootMode) {
    SimulatorProcess printer(SimulatorLine::Tcp, BootLoaderSwitches({"--firmware", "RPD1-1.01"}));
    ASSERT_FALSE(printer.Port().empty());

    EXPECT_EQ(Run(FlashScript(printer.Port(), true)), 0);
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
    SimulatorProcess printer(SimulatorLine::Pty, BootLoaderSwitches({"--baud", "19200", "--line-rate"}));
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
    StopAfterReceiving(printer, ReceivedPath(), image.size());

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
