#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "SimTime.h"

namespace varnel::sim {

// The replies a fault can silence, named on the command line.
enum class ReplyKind { Firmware, Probe, ByteRead, TableRead, FileList, FileRead, BootQuery, FlashId, BootFirmware };

std::optional<ReplyKind> ReplyKindFromName(std::string_view name);
std::string_view ReplyKindName(ReplyKind kind);
std::string ReplyKindNames();  // for help and error texts

// The faults switched on for a run. Counters count down as faults are used.
struct FaultPlan {
    static constexpr int kAlways = -1;
    static constexpr std::uint8_t kDefaultStrayByte = 0x11;  // XON: what a serial line often leaves

    std::optional<std::uint8_t> strayByte;  // sent before every configuration reply
    int wrongHeads = 0;                     // so many configuration replies get a wrong head
    std::map<ReplyKind, int> silent;        // replies left out: a count, or kAlways
    long dropAfterBytes = -1;               // the line drops once so many bytes were received
    Micros slowReply = 0;                   // every reply is held back so long
    Micros splitGap = 0;                    // every reply goes in two pieces this far apart
    Micros busyPeriod = 0;                  // no data is taken so long after a (re)start
    bool staleIdentity = false;             // string writes to the identity tables are lost
    bool probeGarbage = false;              // every rate answers, never with the probe reply

    // True when this reply is to be left out (and counts it).
    bool TakeSilence(ReplyKind kind);
    // True when this configuration reply is to get a wrong head (and counts it).
    bool TakeWrongHead();
};

// "byte-read" or "byte-read:3" into the plan. False for an unknown name or a bad count.
bool AddSilence(FaultPlan& plan, std::string_view faultText);

}  // namespace varnel::sim
