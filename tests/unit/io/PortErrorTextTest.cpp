#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "io/PortErrorText.h"

namespace varnel {
namespace {

struct WordsCase {
    int error;
    PortKind kind;
    std::string where;
    std::string words;
};

TEST(PortErrorText, EachReasonInWordsWithItsFixForTheKindOfPort) {
    const WordsCase cases[] = {
        {EACCES, PortKind::Serial, "/dev/ttyUSB0", " (/dev/ttyUSB0: permission denied; add the user to the dialout group)"},
        {EPERM, PortKind::Serial, "/dev/ttyS0", " (/dev/ttyS0: permission denied; add the user to the dialout group)"},
        {EACCES, PortKind::Device, "/dev/usb/lp0", " (/dev/usb/lp0: permission denied; add the user to the lp group)"},
        {EACCES, PortKind::Parallel, "/dev/lp0", " (/dev/lp0: permission denied; add the user to the lp group)"},
        {EACCES, PortKind::Network, "10.1.2.3:9100",
         " (10.1.2.3:9100: permission denied; a firewall rule of this computer may block it)"},
        {ENOENT, PortKind::Serial, "/dev/ttyUSB9",
         " (/dev/ttyUSB9: no such device; check the port name and that the device is plugged in)"},
        {ENOENT, PortKind::Device, "/dev/usb/lp3",
         " (/dev/usb/lp3: no such device; check the port name and that the device is plugged in)"},
        {ENODEV, PortKind::Device, "/dev/usb/lp0",
         " (/dev/usb/lp0: no such device; check that the device is plugged in and switched on)"},
        {ENXIO, PortKind::Serial, "/dev/ttyS3",
         " (/dev/ttyS3: no such device; check that the device is plugged in and switched on)"},
        {EIO, PortKind::Serial, "/dev/ttyS1",
         " (/dev/ttyS1: input/output error; check the cable and that the device is switched on)"},
        {EBUSY, PortKind::Serial, "/dev/ttyUSB0", " (/dev/ttyUSB0: device busy; another program has the port open; close it)"},
        {EBUSY, PortKind::Device, "/dev/usb/lp0",
         " (/dev/usb/lp0: device busy; another program, such as a print spooler, has it open; stop it)"},
        {EBUSY, PortKind::Parallel, "/dev/lp0",
         " (/dev/lp0: device busy; another program, such as a print spooler, has it open; stop it)"},
        {ECONNREFUSED, PortKind::Network, "127.0.0.1:9100",
         " (127.0.0.1:9100: connection refused; nothing listens on that port; check the port number and that the "
         "printer is switched on)"},
        {EHOSTUNREACH, PortKind::Network, "192.168.7.9:9100",
         " (192.168.7.9:9100: host unreachable; check the address, the network cable and that the printer is "
         "switched on)"},
        {ENETUNREACH, PortKind::Network, "[2001:db8::7]:9100",
         " ([2001:db8::7]:9100: network unreachable; check the address and this computer's network connection)"},
        {ETIMEDOUT, PortKind::Network, "10.9.9.9:9100",
         " (10.9.9.9:9100: connection timed out; check the address and that the printer is switched on and on this "
         "network)"},
        {ENOENT, PortKind::Network, "printer.invalid:9100",
         " (printer.invalid:9100: host name not found; check the name, or use the printer's IP address)"},
        // Without a fix of ours: the system's own words, in English whatever the locale.
        {EISDIR, PortKind::Device, "/tmp", " (/tmp: a folder, not a device; check the port name)"},
        {ELOOP, PortKind::Device, "/dev/loop", " (/dev/loop: too many levels of symbolic links)"},
        {ENODEV, PortKind::Network, "10.1.2.3:9100", " (10.1.2.3:9100: no such device)"},
        {987654, PortKind::Serial, "/dev/ttyS0", " (/dev/ttyS0: error 987654)"},
    };
    for (const WordsCase& c : cases)
        EXPECT_EQ(PortErrorWords(c.error, c.kind, c.where), c.words) << c.error << " " << static_cast<int>(c.kind);
}

TEST(PortErrorText, HostAndPortAsTheUserWritesThem) {
    EXPECT_EQ(HostPortText("192.168.0.9", 9100), "192.168.0.9:9100");
    EXPECT_EQ(HostPortText("printer.example", 515), "printer.example:515");
    EXPECT_EQ(HostPortText("::1", 9100), "[::1]:9100");
}

}  // namespace
}  // namespace varnel
