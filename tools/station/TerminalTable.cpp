#include "TerminalTable.h"

#include <sys/ioctl.h>

#include "StationTable.h"
#include "app/Station.h"

namespace varnel {
namespace {

constexpr int64_t kRedrawMs = 1000;
constexpr size_t kFallbackWidth = 80;
constexpr const char* kLineUp = "\x1b[A";
constexpr const char* kClearLine = "\r\x1b[2K";

size_t TerminalWidth(int fd) {
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return kFallbackWidth;
    // One column short: a line that fills the last column would leave the cursor hanging there.
    return static_cast<size_t>(size.ws_col) - 1;
}

}  // namespace

TerminalTable::TerminalTable(std::ostream& out, const Station& station, int terminalFd)
    : out_(out), station_(station), terminalFd_(terminalFd) {}

void TerminalTable::StationProblem(const std::string& text) {
    problems_.push_back(text);
    changed_ = true;
}

void TerminalTable::Refresh() {
    if (!changed_ && station_.NowMs() - drawnAtMs_ < kRedrawMs) return;
    Draw();
}

void TerminalTable::Finish() {
    Draw();
    for (const std::string& problem : problems_) out_ << "varnel-station: " << problem << '\n';
    out_.flush();
}

void TerminalTable::Draw() {
    const std::vector<std::string> lines =
        StationTableLines(station_.Printers(), station_.NowMs(), TerminalWidth(terminalFd_));
    std::string text;
    for (size_t up = 0; up < linesDrawn_; ++up) text += kLineUp;
    for (const std::string& line : lines) text += kClearLine + line + "\n";
    out_ << text;
    out_.flush();
    linesDrawn_ = lines.size();
    drawnAtMs_ = station_.NowMs();
    changed_ = false;
}

}  // namespace varnel
