#include "LineSettings.h"

// The kernel's termios2 carries the rate as a number, so any rate a host sets (BOTHER) can be
// read back. Its header cannot be mixed with <termios.h>, hence this file includes neither
// <termios.h> nor <sys/ioctl.h>.
#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

namespace varnel::sim {
namespace {

// The printer's own reading of the line; like PrinterBytes.h, kept apart from the program it tests.
unsigned DataBits(tcflag_t cflag) {
    switch (cflag & CSIZE) {
        case CS5: return 5;
        case CS6: return 6;
        case CS7: return 7;
        default: return 8;
    }
}

}  // namespace

std::optional<LineState> ReadLineState(int fd) {
    termios2 settings{};
    if (ioctl(fd, TCGETS2, &settings) != 0) return std::nullopt;
    LineState line;
    line.rate = settings.c_ospeed;
    line.bitsPerCharacter = 1 + DataBits(settings.c_cflag) + ((settings.c_cflag & PARENB) ? 1 : 0) +
                            ((settings.c_cflag & CSTOPB) ? 2 : 1);
    return line;
}

bool MakeRawLine(int fd, unsigned rate) {
    termios2 settings{};
    if (ioctl(fd, TCGETS2, &settings) != 0) return false;
    settings.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
    settings.c_oflag &= ~OPOST;
    settings.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~(CSIZE | PARENB);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (rate != 0) {
        settings.c_cflag &= ~CBAUD;
        settings.c_cflag |= BOTHER;
        settings.c_ispeed = rate;
        settings.c_ospeed = rate;
    }
    return ioctl(fd, TCSETS2, &settings) == 0;
}

}  // namespace varnel::sim
