// Sends reports through DbusMonitorNotifier the way varnel does: no QCoreApplication, no event
// loop. Usage: monitor_probe (<eventCode> <severity> <text file>)...
// Prints, for each report, the milliseconds Notify took.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "ui/DbusMonitorNotifier.h"

int main(int argc, char* argv[]) {
    if (argc < 4 || (argc - 1) % 3 != 0) {
        std::fputs("usage: monitor_probe (<eventCode> <severity> <text file>)...\n", stderr);
        return 2;
    }
    varnel::DbusMonitorNotifier notifier;
    for (int i = 1; i + 2 < argc; i += 3) {
        std::ifstream in(argv[i + 2], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "monitor_probe: cannot read %s\n", argv[i + 2]);
            return 2;
        }
        std::ostringstream text;
        text << in.rdbuf();
        const auto start = std::chrono::steady_clock::now();
        notifier.Notify(text.str(), std::atoi(argv[i]), std::atoi(argv[i + 1]));
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        std::printf("%lld\n", static_cast<long long>(took.count()));
    }
    return 0;
}
