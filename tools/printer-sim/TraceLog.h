#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "SimTime.h"

namespace varnel::sim {

// The record of every byte received and sent. One line per 16 bytes:
//   12.345678 RX 1B 7E 72 05                                      .~r.
// time in seconds since the start, RX received / TX sent, hex, then the bytes as text; "--"
// lines note events (connects, line changes, faults). Lines are flushed as they are written.
class TraceLog {
public:
    enum class Direction { Received, Sent };

    bool Open(const std::string& path, Micros start, std::string& error);
    bool IsOpen() const { return file_ != nullptr; }

    // note, when given, follows the first line of the bytes.
    void Bytes(Direction direction, std::string_view bytes, Micros now, std::string_view note = {});
    void Event(std::string_view text, Micros now);

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::string Stamp(Micros now) const;

    std::unique_ptr<std::FILE, Closer> file_;
    Micros start_ = 0;
};

}  // namespace varnel::sim
