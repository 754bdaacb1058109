// A port that cannot be opened, as a production script meets it: the log names the port and
// the reason in words, after the error number that scripts look for.
#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "base/UniqueFd.h"
#include "support/ChildProcess.h"
#include "support/ScratchDir.h"
#include "support/TestPaths.h"
#include "support/VarnelRun.h"

namespace varnel {
namespace {

using test::ChildProcess;
using test::RunVarnel;
using test::ScratchDir;

constexpr std::string_view kOpenFailed = "IOComm::Open() failed, GetLastError() returned: ";

// The log without the CR of its line ends.
std::string LogOf(const ScratchDir& dir) {
    std::string log = dir.Read("Varnel.log");
    std::erase(log, '\r');
    return log;
}

// A loopback port that nothing listens on: bound for a moment, then let go.
std::string RefusingLoopbackPort() {
    UniqueFd s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(s.Get(), reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(s.Get(), reinterpret_cast<sockaddr*>(&address), &length);
    return "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
}

TEST(PortErrors, AMissingSerialNodeIsNamedWithTheReason) {
    ScratchDir dir;
    ASSERT_NE(::access("/dev/ttyUSB9", F_OK), 0) << "this machine has a /dev/ttyUSB9";
    EXPECT_EQ(RunVarnel(dir.path(), {"sa", "port:/dev/ttyUSB9", "readcfg", "exit"}).ExitCode(), 0);
    const std::string log = LogOf(dir);
    EXPECT_NE(log.find("Configuration Message: \n" + std::string(kOpenFailed) +
                       "2 (/dev/ttyUSB9: no such device; check the port name and that the device is plugged in)\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Closing communications Port due to an Error. Communications request Failed."),
              std::string::npos);
}

TEST(PortErrors, ARefusedConnectionNamesHostAndPort) {
    ScratchDir dir;
    const std::string target = RefusingLoopbackPort();
    EXPECT_EQ(RunVarnel(dir.path(), {"sa", "port:" + target, "readcfg", "exit"}).ExitCode(), 0);
    const std::string log = LogOf(dir);
    EXPECT_NE(log.find("Configuration Message: \n" + std::string(kOpenFailed) + "111 (" + target +
                       ": connection refused; nothing listens on that port; check the port number and that the "
                       "printer is switched on)\n"),
              std::string::npos)
        << log;
}

// A pseudo-terminal standing in for a serial line; the test keeps its master side.
class Line {
public:
    Line() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (master_.Valid() && ::grantpt(master_.Get()) == 0 && ::unlockpt(master_.Get()) == 0)
            path_ = ::ptsname(master_.Get());
    }
    const std::string& Path() const { return path_; }

private:
    UniqueFd master_;
    std::string path_;
};

TEST(PortErrors, ASerialLineHeldByAnotherProgramIsBusy) {
    ScratchDir dir;
    Line serial;
    const std::string& line = serial.Path();
    ASSERT_FALSE(line.empty());
    // A terminal program holding the line, as picocom and tio lock it.
    UniqueFd holder(::open(line.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    ASSERT_EQ(::flock(holder.Get(), LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(RunVarnel(dir.path(), {"sa", "port:" + line, "readcfg", "exit"}).ExitCode(), 0);
    const std::string log = LogOf(dir);
    EXPECT_NE(log.find(std::string(kOpenFailed) + "16 (" + line +
                       ": device busy; another program has the port open; close it)\n"),
              std::string::npos)
        << log;
}

// A user outside the dialout group, as a fresh desktop account is: root runs varnel as nobody.
TEST(PortErrors, AUserWithoutAccessIsToldWhichGroupToJoin) {
    constexpr const char* kSetpriv = "/usr/bin/setpriv";
    if (::geteuid() != 0 || ::access(kSetpriv, X_OK) != 0) GTEST_SKIP() << "needs root and setpriv";
    const group* dialout = ::getgrnam("dialout");
    if (!dialout) GTEST_SKIP() << "no dialout group";
    ScratchDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);  // the log and the settings store are nobody's
    Line serial;
    ASSERT_FALSE(serial.Path().empty());
    // Owned as /dev/ttyUSB0 is on Debian.
    ASSERT_EQ(::chown(serial.Path().c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(serial.Path().c_str(), 0660), 0);

    ChildProcess varnel(kSetpriv,
                        {"--reuid=65534", "--regid=65534", "--clear-groups", test::VarnelExe(), "sa",
                         "port:" + serial.Path(), "readcfg", "exit"},
                        test::HeadlessEnvironment(dir.File("registry.reg")), dir.path());
    test::ExitStatus status = varnel.Wait(test::kVarnelRunLimit);
    ASSERT_TRUE(status.exited);
    EXPECT_EQ(status.code, 0);
    const std::string log = LogOf(dir);
    EXPECT_NE(log.find(std::string(kOpenFailed) + "13 (" + serial.Path() +
                       ": permission denied; add the user to the dialout group)\n"),
              std::string::npos)
        << log;
}

}  // namespace
}  // namespace varnel
