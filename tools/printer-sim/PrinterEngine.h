#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "CommandParser.h"
#include "FaultPlan.h"
#include "PrinterState.h"
#include "SimTime.h"

namespace varnel::sim {

struct EngineSettings {
    std::string bootLoaderRevision = "VSBL-1.05";
    std::string flashId = "SIM-29F040";
    // The firmware the printer runs after it has taken a boot file; empty keeps the old one.
    std::string flashedFirmware;
    bool startInBootMode = false;
};

// The printer's side of the command set, without any transport: bytes go in, reply bytes come
// out. Time is handed in with every call, so replies that a fault delays, busy periods and the
// end of a boot file (the line going quiet) are decided without a real clock.
class PrinterEngine {
public:
    // A boot file is complete once the line has been quiet this long.
    static constexpr Micros kImageQuietTime = Millis(3000);

    PrinterEngine(PrinterState& state, FaultPlan& faults, EngineSettings settings);

    // Bytes received at the right line settings.
    void Receive(std::string_view bytes, Micros now);
    // Bytes received at a rate the printer is not set to: garbage to the printer.
    void ReceiveGarbled(std::string_view bytes, Micros now);
    // A host connected (TCP) or the line came up (pseudo-terminal).
    void ConnectionOpened(Micros now);
    // The host went away: a half-received command and unsent replies are dropped, and a boot
    // file that was coming in is taken as complete.
    void ConnectionClosed(Micros now);

    // Processes input held during a busy period and ends a boot file after the quiet time.
    void Advance(Micros now);
    // The reply bytes due by now, in order.
    std::string TakeReplies(Micros now);
    // The next time something happens without new input, if any.
    std::optional<Micros> NextWake() const;
    // While busy the printer takes no data off the line.
    bool Busy(Micros now) const { return now < busyUntil_; }
    Micros BusyUntil() const { return busyUntil_; }

    // True once after every change of what the state file holds.
    bool TakeStateChanged();
    // A boot file the boot loader has completed, once.
    std::optional<std::string> TakeFlashedImage();

    bool InBootMode() const { return bootMode_; }
    // The rate the boot loader switched the line to, or 0 for the configured rate.
    unsigned BootLineRate() const { return bootLineRate_; }

private:
    void ProcessInput(Micros now);
    bool ProcessBootStep(Micros now);
    void Execute(const Command& command, Micros now);
    void ExecuteTableRead(const Command& command, Micros now);
    void ExecuteByteRead(const Command& command, Micros now);
    void ExecuteStringWrite(const Command& command);
    void ExecuteFileCommand(const Command& command, Micros now);
    void FinishImage(Micros now);
    void Restart(Micros now);
    void StartBusy(Micros now);

    // A reply of the configuration command set ("~" head): stray byte and wrong head apply.
    void ConfigReply(ReplyKind kind, std::string reply, Micros now);
    void Reply(ReplyKind kind, std::string reply, Micros now);
    void Queue(std::string reply, Micros now);

    struct PendingReply {
        Micros due;
        std::string bytes;
    };

    PrinterState& state_;
    FaultPlan& faults_;
    EngineSettings settings_;
    std::string input_;
    std::deque<PendingReply> replies_;
    Micros busyUntil_ = 0;
    bool heldByBusy_ = false;
    bool stateChanged_ = false;
    bool bootMode_ = false;
    unsigned bootLineRate_ = 0;
    bool receivingImage_ = false;
    std::string image_;
    Micros lastImageByte_ = 0;
    std::optional<std::string> flashedImage_;
};

}  // namespace varnel::sim
