#include "StopSignal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace varnel::sim {
namespace {

// A signal handler can only reach process-wide data; this is the write end of the pipe.
int gStopWriteFd = -1;

void OnStopSignal(int) {
    const int saved = errno;
    const char byte = 's';
    [[maybe_unused]] const ssize_t ignored = write(gStopWriteFd, &byte, 1);
    errno = saved;
}

}  // namespace

int InstallStopSignals() {
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return -1;
    gStopWriteFd = fds[1];
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);  // a host that goes away is noticed by the write's result
    return fds[0];
}

}  // namespace varnel::sim
