// Throughput of the firmware update's stream: a 256 KiB boot file into the printer simulator's
// boot loader over a pseudo-terminal paced at 115200 baud, and over loopback TCP next to a plain
// copy of the file to the same kind of socket. The figures are taken between the first and the
// last progress report, so the update's fixed pauses are left out.
//
// Usage: flash_bench [path of varnel-printer-sim]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/Reporter.h"
#include "flash/UpdateFirmware.h"
#include "io/IOComm.h"
#include "io/SettingsStore.h"
#include "model/ConfigModel.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"
#include "support/SimulatorProcess.h"

namespace {

using namespace varnel;
using test::SimulatorLine;
using test::SimulatorProcess;

constexpr size_t kImageSize = 256 * 1024;
// 115200 baud, one start bit, 8 data bits, 2 stop bits.
constexpr double kLineBytesPerSecond = 115200.0 / 11.0;

double Seconds(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Notes when the stream's progress reports come, in wall and processor time.
class TimingReporter : public Reporter {
public:
    int ReportError(const std::string& text, int, int) override {
        std::fprintf(stderr, "error: %s\n", text.c_str());
        return 1;
    }
    int ReportMessage(const std::string& text, int, int) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return 0;
    }
    int ShowStatus(const std::string& text, int, int) override {
        if (text.rfind("Flashing: ", 0) != 0) return 1;
        if (!first) first = Now();
        last = Now();
        lastSent = std::strtoll(text.c_str() + 10, nullptr, 10);
        if (!firstSent) firstSent = lastSent;
        return 1;
    }
    void BeginQuietProbing() override {}
    void EndQuietProbing() override {}

    struct Stamp {
        double wall;
        double cpu;
    };
    static Stamp Now() { return {Seconds(CLOCK_MONOTONIC), Seconds(CLOCK_PROCESS_CPUTIME_ID)}; }

    std::optional<Stamp> first, last;
    std::optional<long long> firstSent;
    long long lastSent = 0;
};

std::string SimulatorPath(int argc, char** argv) {
    if (argc > 1) return argv[1];
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    return (self.parent_path().parent_path() / "tools/printer-sim/varnel-printer-sim").string();
}

struct StreamFigures {
    bool ok = false;
    double bytesPerSecond = 0;
    double cpuShare = 0;
    bool identical = false;
};

StreamFigures Flash(const std::string& portName, const std::string& prefix, const std::string& image,
                    const std::string& receivedPath) {
    test::MemorySettingsStore store;  // the benchmark must not touch the user's store
    SystemClock clock;
    TimingReporter reporter;
    // Nothing to show and nobody to ask: boxes count as OK, questions as No, dialogs as cancelled.
    test::RecordingUserInterface ui;
    ui.hasStatusLine = false;
    auto model = std::make_unique<ConfigModel>();
    model->settings[0].name = "Firmware_ID";
    model->settings[0].text = "PB15_1*";
    model->portName = portName;
    FlashContext context{*model, reporter, clock, ui, [&] {
                             return std::make_unique<IOComm>(store, clock, reporter);
                         }};
    StreamFigures figures;
    figures.ok = UpdateFirmware(context, prefix, true) == 1;
    if (reporter.first && reporter.last && reporter.last->wall > reporter.first->wall) {
        double wall = reporter.last->wall - reporter.first->wall;
        figures.bytesPerSecond = static_cast<double>(reporter.lastSent - *reporter.firstSent) / wall;
        figures.cpuShare = (reporter.last->cpu - reporter.first->cpu) / wall;
    }
    figures.identical = test::ReadFileBytes(receivedPath) == image;
    return figures;
}

double PlainCopy(const std::string& address, const std::string& image) {
    size_t colon = address.rfind(':');
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<uint16_t>(std::atoi(address.c_str() + colon + 1)));
    inet_pton(AF_INET, address.substr(0, colon).c_str(), &peer.sin_addr);
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof peer) != 0) return 0;
    double start = Seconds(CLOCK_MONOTONIC);
    size_t sent = 0;
    while (sent < image.size()) {
        ssize_t n = send(fd, image.data() + sent, image.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
    }
    shutdown(fd, SHUT_WR);
    char drain[256];
    while (recv(fd, drain, sizeof drain, 0) > 0) {
    }
    double wall = Seconds(CLOCK_MONOTONIC) - start;
    close(fd);
    return static_cast<double>(sent) / wall;
}

void Print(const char* what, const StreamFigures& f, const char* reference, double referenceRate) {
    std::printf("%-26s %s, image %s: %9.0f bytes/s = %5.1f%% of %s (%.0f bytes/s); CPU %.1f%% of wall\n", what,
                f.ok ? "ok" : "FAILED", f.identical ? "identical" : "DIFFERS", f.bytesPerSecond,
                100.0 * f.bytesPerSecond / referenceRate, reference, referenceRate, 100.0 * f.cpuShare);
}

}  // namespace

int main(int argc, char** argv) {
    std::string sim = SimulatorPath(argc, argv);
    const test::ScratchDir scratch;
    const std::string& dir = scratch.path();
    std::mt19937 random(20240229);
    std::string image(kImageSize, '\0');
    for (char& c : image) c = static_cast<char>(random() & 0xFF);
    scratch.Write("PB15_101.BOT", image);
    std::string prefix = dir + "/";
    std::vector<std::string> bootLoader{"--boot", "--boot-loader", "PB15-BL", "--firmware", "PB15-1.00"};

    std::printf("flash_bench: %zu-byte boot file\n", image.size());
    {
        std::vector<std::string> args{"--baud", "19200", "--line-rate", "--boot-image", dir + "/serial.img"};
        args.insert(args.end(), bootLoader.begin(), bootLoader.end());
        SimulatorProcess printer(sim, SimulatorLine::Pty, args);
        StreamFigures f = Flash(printer.Port(), prefix, image, dir + "/serial.img");
        Print("serial line at 115200", f, "line rate", kLineBytesPerSecond);
    }
    double copyRate = 0;
    {
        std::vector<std::string> args{"--boot-image", dir + "/copy.img"};
        args.insert(args.end(), bootLoader.begin(), bootLoader.end());
        SimulatorProcess printer(sim, SimulatorLine::Tcp, args);
        copyRate = PlainCopy(printer.Port(), image);
    }
    {
        std::vector<std::string> args{"--boot-image", dir + "/tcp.img"};
        args.insert(args.end(), bootLoader.begin(), bootLoader.end());
        SimulatorProcess printer(sim, SimulatorLine::Tcp, args);
        StreamFigures f = Flash(printer.Port(), prefix, image, dir + "/tcp.img");
        Print("loopback TCP", f, "plain copy", copyRate);
    }
    return 0;
}
