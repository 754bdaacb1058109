#include "CommandParser.h"

#include <algorithm>

#include "PrinterBytes.h"

namespace varnel::sim {
namespace {

using namespace bytes;

std::uint8_t At(std::string_view input, std::size_t index) { return static_cast<std::uint8_t>(input[index]); }

Command Incomplete() { return Command{}; }

Command Fixed(CommandKind kind, std::size_t length) {
    Command command;
    command.kind = kind;
    command.length = length;
    return command;
}

// A text from start up to its zero byte; the command ends after that byte.
Command Terminated(CommandKind kind, std::string_view input, std::size_t start) {
    if (input.size() <= start) return Incomplete();
    const std::string_view rest = input.substr(start, kMaxTerminatedText + 1);
    const std::size_t zero = rest.find(kNul);
    Command command;
    command.kind = kind;
    if (zero != std::string_view::npos) {
        command.text = std::string(rest.substr(0, zero));
        command.length = start + zero + 1;
        return command;
    }
    if (rest.size() <= kMaxTerminatedText) return Incomplete();
    command.text = std::string(rest.substr(0, kMaxTerminatedText));
    command.length = start + kMaxTerminatedText;
    return command;
}

Command ParseConfigCommand(std::string_view input) {
    if (input.size() < 3) return Incomplete();
    const char code = input[2];
    auto needs = [&](std::size_t length) { return input.size() >= length; };
    Command command;
    switch (code) {
        case kSession:
        case kReset:
        case kTableRead:
            if (!needs(4)) return Incomplete();
            command = Fixed(code == kSession ? CommandKind::Session
                            : code == kReset ? CommandKind::Reset
                                             : CommandKind::TableRead,
                            4);
            command.table = At(input, 3);
            command.value = At(input, 3);
            return command;
        case kByteRead:
            if (!needs(6)) return Incomplete();
            command = Fixed(CommandKind::ByteRead, 6);
            command.table = At(input, 3);
            command.offset = At(input, 4);
            command.value = At(input, 5);
            return command;
        case kMaskedWrite:
            if (!needs(7)) return Incomplete();
            command = Fixed(CommandKind::MaskedWrite, 7);
            command.table = At(input, 3);
            command.offset = At(input, 4);
            command.mask = At(input, 5);
            command.value = At(input, 6);
            return command;
        case kStringWrite:
            if (!needs(4)) return Incomplete();
            command = Terminated(CommandKind::StringWrite, input, 4);
            command.table = At(input, 3);
            return command;
        default:
            return Fixed(CommandKind::Ignored, 3);
    }
}

Command ParseFileOpen(std::string_view input) {
    if (input.size() < 4) return Incomplete();
    const char direction = input[3];
    if (direction != kFileOpenWrite && direction != kFileOpenRead) return Fixed(CommandKind::Ignored, 4);
    if (input.size() < 5) return Incomplete();
    // The name follows one blank; a sender that leaves the blank out still names its file.
    const std::size_t nameStart = input[4] == ' ' ? 5 : 4;
    return Terminated(direction == kFileOpenWrite ? CommandKind::FileOpenWrite : CommandKind::FileOpenRead, input,
                      nameStart);
}

Command ParseFileCommand(std::string_view input) {
    if (input.size() < 3) return Incomplete();
    switch (input[2]) {
        case kFileList: return Fixed(CommandKind::FileList, 3);
        case kFileClose: return Fixed(CommandKind::FileClose, 3);
        case kFileDeleteAll: return Fixed(CommandKind::FileDeleteAll, 3);
        case kFileReset: return Fixed(CommandKind::FileReset, 3);
        case kFileDelete: return Terminated(CommandKind::FileDelete, input, 3);
        case kFileOpen: return ParseFileOpen(input);
        case kFileRead: {
            if (input.size() < 5) return Incomplete();
            Command command = Fixed(CommandKind::FileReadBlock, 5);
            command.count = At(input, 3) + 256u * At(input, 4);
            return command;
        }
        case kFileWrite: {
            if (input.size() < 5) return Incomplete();
            const std::size_t count = At(input, 3) + 256u * At(input, 4);
            if (input.size() < 5 + count) return Incomplete();
            Command command = Fixed(CommandKind::FileWrite, 5 + count);
            command.count = count;
            command.text = std::string(input.substr(5, count));
            return command;
        }
        default: return Fixed(CommandKind::Ignored, 3);
    }
}

}  // namespace

Command ParseCommand(std::string_view input) {
    if (input.empty()) return Incomplete();
    if (input[0] != kEsc) {
        const std::size_t end = std::min(input.find(kEsc), input.size());
        return Fixed(CommandKind::PrintData, end);
    }
    if (input.size() < 2) return Incomplete();
    switch (input[1]) {
        case kConfigPrefix: return ParseConfigCommand(input);
        case kFilePrefix: return ParseFileCommand(input);
        case kModeSelect: return input.size() < 3 ? Incomplete() : Fixed(CommandKind::Ignored, 3);
        default: return Fixed(CommandKind::Ignored, 2);  // ESC @ and escapes the printer does not know
    }
}

}  // namespace varnel::sim
