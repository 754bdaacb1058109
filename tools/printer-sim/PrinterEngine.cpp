#include "PrinterEngine.h"

#include <algorithm>
#include <utility>

#include "BootCommandParser.h"
#include "PrinterBytes.h"
#include "StandardRates.h"

namespace varnel::sim {
namespace {

using namespace bytes;

// The tables that hold the identity strings: serial numbers, manufacture id, description.
bool IsIdentityTable(int table) { return table == 2 || table == 3 || table == 4 || table == 13; }

// The probe reply carries a short text after its head; a host looks only at the head.
constexpr std::string_view kProbeText = "OK";
constexpr std::string_view kFirmwareLabel = "REV:";
constexpr unsigned kRateUnit = 1000;

std::string Head(char command, std::uint8_t table) {
    std::string head{kReplyHead, command};
    head += static_cast<char>(table);
    return head;
}

}  // namespace

PrinterEngine::PrinterEngine(PrinterState& state, FaultPlan& faults, EngineSettings settings)
    : state_(state), faults_(faults), settings_(std::move(settings)), bootMode_(settings_.startInBootMode) {}

void PrinterEngine::Receive(std::string_view bytes, Micros now) {
    if (receivingImage_) {
        image_.append(bytes);
        lastImageByte_ = now;
        return;
    }
    input_.append(bytes);
    ProcessInput(now);
}

void PrinterEngine::ReceiveGarbled(std::string_view bytes, Micros now) {
    if (bytes.empty() || !faults_.probeGarbage) return;
    Queue(std::string(1, kNak), now);
}

void PrinterEngine::ConnectionOpened(Micros now) { StartBusy(now); }

void PrinterEngine::ConnectionClosed(Micros now) {
    input_.clear();
    replies_.clear();
    if (receivingImage_) FinishImage(now);
}

void PrinterEngine::Advance(Micros now) {
    if (receivingImage_ && now - lastImageByte_ >= kImageQuietTime) FinishImage(now);
    ProcessInput(now);
}

std::string PrinterEngine::TakeReplies(Micros now) {
    Advance(now);
    std::string out;
    // Replies leave in order: a held-back reply holds back the ones behind it.
    while (!replies_.empty() && replies_.front().due <= now) {
        out += replies_.front().bytes;
        replies_.pop_front();
    }
    return out;
}

std::optional<Micros> PrinterEngine::NextWake() const {
    std::optional<Micros> wake;
    auto consider = [&wake](Micros when) { wake = wake ? std::min(*wake, when) : when; };
    if (!replies_.empty()) consider(replies_.front().due);
    if (heldByBusy_) consider(busyUntil_);
    if (receivingImage_) consider(lastImageByte_ + kImageQuietTime);
    return wake;
}

bool PrinterEngine::TakeStateChanged() { return std::exchange(stateChanged_, false); }

std::optional<std::string> PrinterEngine::TakeFlashedImage() { return std::exchange(flashedImage_, std::nullopt); }

void PrinterEngine::ProcessInput(Micros now) {
    heldByBusy_ = false;
    while (!input_.empty() && !receivingImage_) {
        if (Busy(now)) {
            heldByBusy_ = true;
            return;
        }
        if (bootMode_) {
            if (!ProcessBootStep(now)) return;
            continue;
        }
        const Command command = ParseCommand(input_);
        if (command.kind == CommandKind::Incomplete) return;
        input_.erase(0, command.length);
        Execute(command, now);
    }
}

bool PrinterEngine::ProcessBootStep(Micros now) {
    const BootCommand command = ParseBootCommand(input_);
    switch (command.kind) {
        case BootCommandKind::Incomplete: return false;
        case BootCommandKind::ImageStart:
            receivingImage_ = true;
            image_ = std::move(input_);
            input_.clear();
            lastImageByte_ = now;
            return true;
        case BootCommandKind::Query:
            Reply(ReplyKind::BootQuery, settings_.bootLoaderRevision + kBootReplyEnd, now);
            break;
        case BootCommandKind::FlashId: Reply(ReplyKind::FlashId, settings_.flashId + kBootReplyEnd, now); break;
        case BootCommandKind::Firmware:
            Reply(ReplyKind::BootFirmware, state_.memory.Firmware() + kBootReplyEnd, now);
            break;
        case BootCommandKind::Exit:
            bootMode_ = false;
            bootLineRate_ = 0;
            break;
        case BootCommandKind::Baud:
            if (command.argument > 0) bootLineRate_ = NearestStandardRate(command.argument * kRateUnit);
            break;
        case BootCommandKind::Filler:
        case BootCommandKind::Escape: break;
    }
    input_.erase(0, command.length);
    return true;
}

void PrinterEngine::Execute(const Command& command, Micros now) {
    switch (command.kind) {
        case CommandKind::TableRead: ExecuteTableRead(command, now); return;
        case CommandKind::ByteRead: ExecuteByteRead(command, now); return;
        case CommandKind::MaskedWrite:
            if (!PrinterMemory::IsTable(command.table)) return;
            state_.memory.MaskedWrite(command.table, command.offset, command.mask, command.value);
            stateChanged_ = true;
            return;
        case CommandKind::StringWrite: ExecuteStringWrite(command); return;
        case CommandKind::Reset: Restart(now); return;
        case CommandKind::Incomplete:
        case CommandKind::PrintData:
        case CommandKind::Ignored:
        case CommandKind::Session: return;
        case CommandKind::FileList:
        case CommandKind::FileOpenWrite:
        case CommandKind::FileOpenRead:
        case CommandKind::FileWrite:
        case CommandKind::FileClose:
        case CommandKind::FileReadBlock:
        case CommandKind::FileDelete:
        case CommandKind::FileDeleteAll:
        case CommandKind::FileReset: ExecuteFileCommand(command, now); return;
    }
}

void PrinterEngine::ExecuteTableRead(const Command& command, Micros now) {
    std::string reply = Head(kTableRead, command.table);
    if (command.table == kProbeTable) {
        if (faults_.probeGarbage) {
            if (!faults_.TakeSilence(ReplyKind::Probe)) Queue(std::string(1, kNak), now);
            return;
        }
        ConfigReply(ReplyKind::Probe, reply.append(kProbeText) + kNul, now);
        return;
    }
    if (command.table == kFirmwareTable) {
        reply.append(kFirmwareLabel).append(state_.memory.Firmware());
        ConfigReply(ReplyKind::Firmware, reply + kNul, now);
        return;
    }
    ConfigReply(ReplyKind::TableRead, reply.append(state_.memory.Text(command.table)) + kNul, now);
}

void PrinterEngine::ExecuteByteRead(const Command& command, Micros now) {
    // A table the printer does not have gets no answer.
    if (!PrinterMemory::IsTable(command.table)) return;
    // The last byte of the request is a count; the reply carries that many data bytes (at least
    // one) after a byte that repeats the table number.
    const int count = std::clamp<int>(command.value, 1, PrinterMemory::kTableSize - command.offset);
    std::string reply = Head(kByteRead, command.table);
    for (int i = 0; i < count; ++i)
        reply += static_cast<char>(state_.memory.ReadByte(command.table, command.offset + i));
    ConfigReply(ReplyKind::ByteRead, std::move(reply), now);
}

void PrinterEngine::ExecuteStringWrite(const Command& command) {
    if (command.table == kFirmwareTable || command.table == kProbeTable) return;
    if (faults_.staleIdentity && IsIdentityTable(command.table)) return;
    state_.memory.SetText(command.table, command.text);
    stateChanged_ = true;
}

void PrinterEngine::ExecuteFileCommand(const Command& command, Micros now) {
    FileStore& files = state_.files;
    switch (command.kind) {
        case CommandKind::FileList: Reply(ReplyKind::FileList, files.ListText(), now); return;
        case CommandKind::FileOpenWrite:
            if (files.OpenForWriting(command.text)) stateChanged_ = true;
            return;
        case CommandKind::FileOpenRead: files.OpenForReading(command.text); return;
        case CommandKind::FileWrite:
            files.Append(command.text);
            stateChanged_ = true;
            return;
        case CommandKind::FileClose: files.Close(); return;
        case CommandKind::FileReadBlock: {
            std::string chunk = files.ReadNext(command.count);
            if (!chunk.empty()) Reply(ReplyKind::FileRead, std::move(chunk), now);
            return;
        }
        case CommandKind::FileDelete:
            if (files.Delete(command.text)) stateChanged_ = true;
            StartBusy(now);
            return;
        case CommandKind::FileDeleteAll:
            files.DeleteAll();
            stateChanged_ = true;
            StartBusy(now);
            return;
        case CommandKind::FileReset: Restart(now); return;
        // Not file commands: Execute takes them.
        case CommandKind::Incomplete:
        case CommandKind::PrintData:
        case CommandKind::Ignored:
        case CommandKind::Session:
        case CommandKind::TableRead:
        case CommandKind::ByteRead:
        case CommandKind::MaskedWrite:
        case CommandKind::StringWrite:
        case CommandKind::Reset: return;
    }
}

void PrinterEngine::FinishImage(Micros now) {
    receivingImage_ = false;
    flashedImage_ = std::move(image_);
    image_.clear();
    if (!settings_.flashedFirmware.empty()) state_.memory.SetFirmware(settings_.flashedFirmware);
    stateChanged_ = true;
    // The new firmware starts at once; the line goes back to its configured rate.
    bootMode_ = false;
    bootLineRate_ = 0;
    Restart(now);
}

void PrinterEngine::Restart(Micros now) {
    state_.files.Close();
    StartBusy(now);
}

void PrinterEngine::StartBusy(Micros now) {
    if (faults_.busyPeriod > 0) busyUntil_ = now + faults_.busyPeriod;
}

void PrinterEngine::ConfigReply(ReplyKind kind, std::string reply, Micros now) {
    if (faults_.TakeSilence(kind)) return;
    // A wrong head that survives the host dropping one stray byte: "~" followed by "?".
    if (faults_.TakeWrongHead()) reply[1] = '?';
    if (faults_.strayByte) reply.insert(reply.begin(), static_cast<char>(*faults_.strayByte));
    Queue(std::move(reply), now);
}

void PrinterEngine::Reply(ReplyKind kind, std::string reply, Micros now) {
    if (faults_.TakeSilence(kind)) return;
    Queue(std::move(reply), now);
}

void PrinterEngine::Queue(std::string reply, Micros now) {
    const Micros due = now + faults_.slowReply;
    // A reply in two pieces: the first half now, the rest after the gap, as a network stack or a
    // print server may hand it on.
    if (faults_.splitGap > 0 && reply.size() > 1) {
        std::string rest = reply.substr(reply.size() / 2);
        reply.resize(reply.size() / 2);
        replies_.push_back(PendingReply{due, std::move(reply)});
        replies_.push_back(PendingReply{due + faults_.splitGap, std::move(rest)});
        return;
    }
    replies_.push_back(PendingReply{due, std::move(reply)});
}

}  // namespace varnel::sim
