#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "support/FakePortBackend.h"

namespace varnel::test {

// Plays the printer's side of the configuration commands on a FakePortBackend: answers the
// firmware query, byte reads and table reads from its tables, applies masked and string writes.
// Each reply is queued as one chunk, as a printer's answer arrives in one piece.
class FakePrinter {
public:
    explicit FakePrinter(FakePortBackend& backend) {
        backend.responder = [this](FakePortBackend& port, const std::string& written) { Receive(port, written); };
    }

    std::string firmwareReply = std::string("~r\x05") + "REV:RPD1-1.00";
    std::map<int, std::array<uint8_t, 256>> tables;
    std::map<int, std::string> texts;
    // Put in front of the next replies, one byte per reply.
    std::deque<char> strayBytes;
    // The next this-many replies to byte reads come with a wrong head.
    int wrongByteHeads = 0;
    bool silent = false;
    std::vector<std::string> commands;  // every command recognised, in order

    uint8_t& Byte(int table, int offset) {
        auto found = tables.find(table);
        if (found == tables.end()) found = tables.emplace(table, std::array<uint8_t, 256>{}).first;
        return found->second[static_cast<size_t>(offset)];
    }

private:
    void Reply(FakePortBackend& port, std::string bytes) {
        if (silent) return;
        if (!strayBytes.empty()) {
            bytes.insert(bytes.begin(), strayBytes.front());
            strayBytes.pop_front();
        }
        port.QueueReply(std::move(bytes));
    }

    void Receive(FakePortBackend& port, const std::string& written) {
        pending_ += written;
        while (!pending_.empty()) {
            const size_t used = Command(port);
            if (used == 0) return;  // incomplete: wait for more bytes
            commands.push_back(pending_.substr(0, used));
            pending_.erase(0, used);
        }
    }

    // Handles the command at the start of pending_; returns its length, 0 when incomplete.
    size_t Command(FakePortBackend& port) {
        const std::string& p = pending_;
        if (p[0] != '\x1B') return 1;  // a pre-init byte or noise
        if (p.size() < 3) return 0;
        if (p[1] == 'y') return 3;
        if (p[1] != '~') return 2;
        const char what = p[2];
        if (what == 'w') {
            const size_t end = p.find('\0', 4);
            if (end == std::string::npos) return 0;
            texts[static_cast<uint8_t>(p[3])] = p.substr(4, end - 4);
            return end + 1;
        }
        const size_t lengths[] = {what == 'g' ? 6u : what == 'b' ? 7u : 4u};
        if (p.size() < lengths[0]) return 0;
        const auto table = static_cast<uint8_t>(p[3]);
        if (what == 'r' && table == 5) {
            Reply(port, firmwareReply);
        } else if (what == 'r') {
            Reply(port, std::string("~r") + char(table) + texts[table] + '\0');
        } else if (what == 'g') {
            const uint8_t data = Byte(table, static_cast<uint8_t>(p[4]));
            if (wrongByteHeads > 0) {
                --wrongByteHeads;
                Reply(port, std::string("xx\x01") + char(data));
            } else {
                Reply(port, std::string("~g\x01") + char(data));
            }
        } else if (what == 'b') {
            uint8_t& byte = Byte(table, static_cast<uint8_t>(p[4]));
            const auto mask = static_cast<uint8_t>(p[5]);
            byte = static_cast<uint8_t>((byte & ~mask) | (static_cast<uint8_t>(p[6]) & mask));
        }
        return lengths[0];
    }

    std::string pending_;
};

}  // namespace varnel::test
