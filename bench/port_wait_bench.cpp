// How much processor time the port layer spends while it waits: a serial read that waits out a
// 2 s time-out, and WaitOutput(2000). Waiting must sleep in poll, not spin, so the CPU/wall
// ratio should be close to zero.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>

#include "base/Clock.h"
#include "base/Reporter.h"
#include "io/IOComm.h"
#include "io/SettingsStore.h"
#include "support/MemorySettingsStore.h"

namespace {

using namespace varnel;

class SilentReporter : public Reporter {
public:
    int ReportError(const std::string& text, int, int) override { return Print(text); }
    int ReportMessage(const std::string& text, int, int) override { return Print(text); }
    int ShowStatus(const std::string&, int, int) override { return 0; }
    void BeginQuietProbing() override {}
    void EndQuietProbing() override {}

private:
    static int Print(const std::string& text) {
        std::fprintf(stderr, "port: %s\n", text.c_str());
        return 0;
    }
};

double Seconds(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void Measure(const char* what, const std::function<void()>& action) {
    double wall0 = Seconds(CLOCK_MONOTONIC);
    double cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    action();
    double wall = Seconds(CLOCK_MONOTONIC) - wall0;
    double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
    std::printf("%-40s wall %8.1f ms   cpu %7.3f ms   cpu/wall %.5f\n", what, wall * 1e3, cpu * 1e3,
                wall > 0 ? cpu / wall : 0.0);
}

}  // namespace

int main() {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    char slave[64] = {};
    ptsname_r(master, slave, sizeof slave);

    // Settings held in memory, with a serial configuration: the benchmark must not touch the
    // user's store, nor ask for a configuration.
    test::MemorySettingsStore store;
    store.SetValue(kPortSettingsKey, "Comm Data", RegValue::Binary(std::string(CommConfig::kSize, '\0')));
    SystemClock clock;
    SilentReporter reporter;
    IOComm port(store, clock, reporter);
    if (!port.Open(slave, "baud=9600 parity=N data=8 stop=1", SaveCommSetup::No)) {
        std::fprintf(stderr, "cannot open %s\n", slave);
        return 1;
    }
    port.SetTimeouts(2000, 0);  // a read of nothing waits the whole 2000 ms

    char buffer[16];
    Measure("serial Input, 2000 ms time-out", [&] { port.Input(buffer, sizeof buffer); });
    // A pseudo-terminal never holds output back, so the serial drain ends at once; a printer
    // node first waits t/100 ms.
    Measure("serial WaitOutput(2000)", [&] { port.WaitOutput(2000); });
    port.Close();
    std::string node = std::string("/tmp/varnel-bench-printer-") + std::to_string(getpid());
    if (symlink(slave, node.c_str()) == 0) {
        IOComm device(store, clock, reporter);
        if (device.Open(node, "", SaveCommSetup::No)) {
            Measure("printer node WaitOutput(2000)", [&] { device.WaitOutput(2000); });
            device.Close();
        }
        unlink(node.c_str());
    }
    close(master);
    return 0;
}
