#include "TraceLog.h"

#include <cerrno>
#include <cstring>

#include "HexText.h"

namespace varnel::sim {
namespace {

constexpr std::size_t kBytesPerLine = 16;
constexpr std::size_t kHexColumn = kBytesPerLine * 3;

}  // namespace

bool TraceLog::Open(const std::string& path, Micros start, std::string& error) {
    file_.reset(std::fopen(path.c_str(), "w"));
    if (!file_) {
        error = "cannot write the trace " + path + ": " + std::strerror(errno);
        return false;
    }
    start_ = start;
    std::fputs("# varnel-printer-sim trace: seconds since start, RX received / TX sent, hex, text\n", file_.get());
    std::fflush(file_.get());
    return true;
}

std::string TraceLog::Stamp(Micros now) const {
    const Micros since = now - start_;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%lld.%06lld", static_cast<long long>(since / kMicrosPerSecond),
                  static_cast<long long>(since % kMicrosPerSecond));
    return stamp;
}

void TraceLog::Bytes(Direction direction, std::string_view bytes, Micros now, std::string_view note) {
    if (!file_) return;
    const std::string prefix = Stamp(now) + (direction == Direction::Received ? " RX " : " TX ");
    for (std::size_t start = 0; start < bytes.size(); start += kBytesPerLine) {
        const std::string_view chunk = bytes.substr(start, kBytesPerLine);
        std::string hex = ToHex(chunk);
        hex.resize(kHexColumn, ' ');
        std::string line = prefix + hex + PrintableText(chunk);
        if (start == 0 && !note.empty()) line += "  (" + std::string(note) + ")";
        std::fputs((line + "\n").c_str(), file_.get());
    }
    std::fflush(file_.get());
}

void TraceLog::Event(std::string_view text, Micros now) {
    if (!file_) return;
    std::fputs((Stamp(now) + " -- " + std::string(text) + "\n").c_str(), file_.get());
    std::fflush(file_.get());
}

}  // namespace varnel::sim
