#include "SimServer.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <vector>

#include "StateFile.h"
#include "base/AtomicFile.h"

namespace varnel::sim {
namespace {

constexpr std::size_t kReadChunk = 4096;
// A host that never reads its replies must not make the printer hoard them without end.
constexpr std::size_t kMaxUnsentBytes = 1 << 20;
constexpr int kMaxPollMillis = 1000;

// The printer keeps running when a file cannot be written; the operator is told why.
bool ReplaceFileOrComplain(const std::string& path, std::string_view bytes) {
    const std::error_code error = ReplaceFileAtomically(path, bytes);
    if (error) std::cerr << "varnel-printer-sim: cannot write " << path << ": " << error.message() << "\n";
    return !error;
}

}  // namespace

SimServer::SimServer(Channel& channel, PrinterEngine& engine, const PrinterState& state, TraceLog& trace,
                     ServerSettings settings)
    : channel_(channel), engine_(engine), state_(state), trace_(trace), settings_(std::move(settings)) {}

int SimServer::Run(int stopFd) {
    const Micros start = MonotonicNow();
    if (channel_.ListenFd() < 0) engine_.ConnectionOpened(start);  // a serial line is up from the start
    UpdatePacing();
    while (!failed_) {
        Micros now = MonotonicNow();
        Pump(now);
        std::vector<pollfd> fds{{stopFd, POLLIN, 0}};
        if (channel_.ListenFd() >= 0) fds.push_back({channel_.ListenFd(), POLLIN, 0});
        const int dataFd = channel_.DataFd();
        if (dataFd >= 0) {
            short events = 0;
            if (!engine_.Busy(now) && inputPacer_.Allowance(now) > 0) events |= POLLIN;
            if (!output_.empty() && outputPacer_.Allowance(now) > 0) events |= POLLOUT;
            fds.push_back({dataFd, events, 0});
        }
        if (poll(fds.data(), fds.size(), PollTimeout(now)) < 0 && errno != EINTR) {
            std::cerr << "varnel-printer-sim: poll failed: " << std::strerror(errno) << "\n";
            return 1;
        }
        now = MonotonicNow();
        if (fds[0].revents & POLLIN) break;
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if (fds[i].revents == 0) continue;
            if (fds[i].fd == channel_.ListenFd()) {
                std::string who;
                if (channel_.AcceptHost(who)) {
                    trace_.Event("connection from " + who, now);
                    engine_.ConnectionOpened(now);
                }
            } else if (fds[i].fd == channel_.DataFd()) {
                if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) ReadInput(now);
                if (fds[i].revents & POLLOUT) Flush(now);
            }
        }
    }
    trace_.Event("stopped", MonotonicNow());
    return failed_ ? 1 : 0;
}

bool SimServer::SaveState() {
    if (settings_.statePath.empty()) return true;
    return ReplaceFileOrComplain(settings_.statePath, StateToJson(state_));
}

void SimServer::Pump(Micros now) {
    std::string replies = engine_.TakeReplies(now);
    if (channel_.DataFd() >= 0 && !lineDead_) output_ += replies;
    if (output_.size() > kMaxUnsentBytes) {
        trace_.Event("host does not read; unsent replies dropped", now);
        output_.clear();
    }
    if (auto image = engine_.TakeFlashedImage()) {
        trace_.Event("boot file of " + std::to_string(image->size()) + " bytes received; printer restarts", now);
        if (!settings_.bootImagePath.empty()) ReplaceFileOrComplain(settings_.bootImagePath, *image);
    }
    if (engine_.TakeStateChanged()) SaveState();
    UpdatePacing();
    Flush(now);
}

void SimServer::ReadInput(Micros now) {
    std::array<char, kReadChunk> buffer;
    const std::size_t want = std::min(buffer.size(), inputPacer_.Allowance(now));
    if (want == 0) return;
    const ssize_t got = read(channel_.DataFd(), buffer.data(), want);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (got <= 0) {
        if (!channel_.IsSerial()) return HostGone(got == 0 ? "host closed the connection" : std::strerror(errno), now);
        std::cerr << "varnel-printer-sim: the pseudo-terminal failed: " << std::strerror(errno) << "\n";
        failed_ = true;
        return;
    }
    inputPacer_.Consume(static_cast<std::size_t>(got), now);
    std::string_view bytes(buffer.data(), static_cast<std::size_t>(got));
    if (lineDead_) return trace_.Bytes(TraceLog::Direction::Received, bytes, now, "line dead, ignored");
    if (settings_.dropAfterBytes >= 0 && !dropped_ && received_ + got >= settings_.dropAfterBytes) {
        const auto keep = static_cast<std::size_t>(settings_.dropAfterBytes - received_);
        received_ += static_cast<long>(keep);
        Deliver(bytes.substr(0, keep), now);
        if (keep < bytes.size())
            trace_.Bytes(TraceLog::Direction::Received, bytes.substr(keep), now, "after the drop, ignored");
        return DropLine(now);
    }
    received_ += got;
    Deliver(bytes, now);
}

void SimServer::Deliver(std::string_view bytes, Micros now) {
    if (bytes.empty()) return;
    const unsigned expected = ExpectedRate();
    const auto line = channel_.Line();
    if (line && line->rate != lastTracedRate_) {
        lastTracedRate_ = line->rate;
        trace_.Event("line set to " + std::to_string(line->rate) + " baud", now);
    }
    if (expected != 0 && line && line->rate != expected) {
        trace_.Bytes(TraceLog::Direction::Received, bytes, now,
                     "line at " + std::to_string(line->rate) + " baud, printer at " + std::to_string(expected) +
                         ": garbage");
        engine_.ReceiveGarbled(bytes, now);
        return;
    }
    trace_.Bytes(TraceLog::Direction::Received, bytes, now);
    engine_.Receive(bytes, now);
}

void SimServer::Flush(Micros now) {
    const int fd = channel_.DataFd();
    while (!output_.empty() && fd >= 0) {
        const std::size_t allowed = std::min(output_.size(), outputPacer_.Allowance(now));
        if (allowed == 0) return;
        const ssize_t sent = write(fd, output_.data(), allowed);
        if (sent < 0 && (errno == EAGAIN || errno == EINTR)) return;
        if (sent < 0) {
            if (!channel_.IsSerial()) return HostGone(std::strerror(errno), now);
            output_.clear();  // nobody holds the line open to read it
            return;
        }
        outputPacer_.Consume(static_cast<std::size_t>(sent), now);
        trace_.Bytes(TraceLog::Direction::Sent, std::string_view(output_).substr(0, static_cast<std::size_t>(sent)),
                     now);
        output_.erase(0, static_cast<std::size_t>(sent));
    }
}

void SimServer::HostGone(const std::string& why, Micros now) {
    trace_.Event("disconnected: " + why, now);
    channel_.DropHost();
    engine_.ConnectionClosed(now);
    output_.clear();
}

void SimServer::DropLine(Micros now) {
    dropped_ = true;
    if (channel_.IsSerial()) {
        // A serial printer cannot close the line; it goes dead as if its power failed.
        trace_.Event("fault: line dropped, printer dead", now);
        lineDead_ = true;
        engine_.ConnectionClosed(now);
        output_.clear();
        return;
    }
    HostGone("fault: connection dropped after " + std::to_string(settings_.dropAfterBytes) + " bytes", now);
}

int SimServer::PollTimeout(Micros now) const {
    std::optional<Micros> wake = engine_.NextWake();
    auto consider = [&wake](std::optional<Micros> when) {
        if (when) wake = wake ? std::min(*wake, *when) : *when;
    };
    if (engine_.Busy(now)) consider(engine_.BusyUntil());
    consider(inputPacer_.NextAllowed(now));
    if (!output_.empty()) consider(outputPacer_.NextAllowed(now));
    if (!wake) return kMaxPollMillis;
    const Micros wait = std::max<Micros>(0, *wake - now);
    return static_cast<int>(std::min<Micros>(kMaxPollMillis, (wait + kMicrosPerMilli - 1) / kMicrosPerMilli));
}

unsigned SimServer::ExpectedRate() const {
    const unsigned bootRate = engine_.BootLineRate();
    return bootRate != 0 ? bootRate : settings_.baud;
}

void SimServer::UpdatePacing() {
    if (!settings_.lineRate) return;
    unsigned rate = settings_.baud;
    unsigned bits = 10;
    if (const auto line = channel_.Line()) {
        rate = line->rate;
        bits = line->bitsPerCharacter;
    }
    if (rate != lastSeenRate_) {
        lastSeenRate_ = rate;
        const double bytesPerSecond = rate == 0 ? 0.0 : static_cast<double>(rate) / bits;
        inputPacer_.SetRate(bytesPerSecond);
        outputPacer_.SetRate(bytesPerSecond);
    }
}

}  // namespace varnel::sim
