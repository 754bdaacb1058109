#include "protocol/Identification.h"

#include <array>
#include <cstring>
#include <vector>

#include "base/Clock.h"
#include "base/Reporter.h"
#include "io/ClosePortOnFailure.h"
#include "io/IOComm.h"
#include "model/ConfigModel.h"
#include "model/MakerInfo.h"
#include "model/MapFile.h"
#include "model/SettingNames.h"
#include "model/ModelSearchPath.h"
#include "protocol/ExchangeOpening.h"
#include "protocol/PreInit.h"
#include "protocol/PrinterCommands.h"
#include "protocol/ProtocolContext.h"

namespace varnel {
namespace {

constexpr size_t kReplyBufferSize = 300;
constexpr size_t kFirmwareReadLength = 30;
constexpr int kReplyWaitMs = 2000;
constexpr int kRetryPauseMs = 3000;
constexpr uint32_t kIdentifyTimeoutMs = 600;
constexpr uint32_t kIdentifyTimeoutPerByteMs = 30;
constexpr size_t kFirmwarePrefixLength = 6;
constexpr int kMaxMapCandidates = 10000;
constexpr std::string_view kMapPattern = "*.map";

constexpr std::string_view kFirmwareReadError = "Unable to read Firmware field/number from printer \"REV:\"";
constexpr std::string_view kNoModelInMap = "Model field not found in Map file";
constexpr std::string_view kNoFirmwareInMap = "Firmware field not found in Map file";
constexpr std::string_view kModelMismatch =
    "Model specification in Map file does not match model number read out of printer. \nLocating suitable map file.";
constexpr std::string_view kFirmwareMismatch =
    "Firmware specification in Map file does not match firmware ID read out of printer. Locating suitable map file.";

// The reply buffer: zeroed before each read, and every read asks for fewer bytes than it holds,
// so what arrived is always followed by a zero byte and reads as a text string.
class ReplyBuffer {
public:
    void Zero() { bytes_.fill('\0'); }
    // Reads into the start of the buffer; false when nothing arrived.
    bool ReadFrom(IOComm& port, size_t maxBytes) { return port.Input(bytes_.data(), maxBytes) > 0; }
    void DropFirstByte() { std::memmove(bytes_.data(), bytes_.data() + 1, bytes_.size() - 1); bytes_.back() = '\0'; }
    std::string_view Text() const { return std::string_view(bytes_.data()); }

private:
    std::array<char, kReplyBufferSize> bytes_{};
};

bool StartsWith(std::string_view text, std::string_view head) { return text.substr(0, head.size()) == head; }

enum class QueryResult { Reply, PortFailed };

// The printer's side of the wait: one stray leading byte is dropped; a reply with the wrong head
// earns one more query after the line has settled.
QueryResult AwaitFirmwareReply(ProtocolContext& context, ReplyBuffer& reply) {
    IOComm& port = context.port;
    // The port's own failure texts during the wait are neither logged nor shown.
    QuietProbe quiet(context.reporter);
    reply.Zero();
    port.WaitOutput(kReplyWaitMs);
    if (!reply.ReadFrom(port, kFirmwareReadLength)) return QueryResult::PortFailed;
    // A reply that starts with a zero byte reads as an empty text: there is no second byte.
    const std::string_view text = reply.Text();
    if (!text.empty() && StartsWith(text.substr(1), cmd::kFirmwareReplyHead)) reply.DropFirstByte();
    if (StartsWith(reply.Text(), cmd::kFirmwareReplyHead)) return QueryResult::Reply;

    std::array<char, kReplyBufferSize> discard{};
    port.Input(discard.data(), kFirmwareReadLength);
    context.clock.Sleep(kRetryPauseMs);
    if (!port.OutputString(cmd::kFirmwareQuery)) return QueryResult::PortFailed;
    reply.Zero();
    if (!reply.ReadFrom(port, kFirmwareReadLength)) return QueryResult::PortFailed;
    return QueryResult::Reply;
}

// The firmware query with its pauses. Returns the reply text, or nothing after a port failure
// (reported through ClosePortOnFailure, port closed).
std::optional<std::string> QueryFirmware(ProtocolContext& context, bool setIdentifyTimeouts) {
    IOComm& port = context.port;
    Clock& clock = context.clock;
    auto portFailed = [&]() -> std::optional<std::string> {
        ClosePortOnFailure(port, context.reporter, 0);
        return std::nullopt;
    };

    if (setIdentifyTimeouts && !port.SetTimeouts(kIdentifyTimeoutMs, kIdentifyTimeoutPerByteMs)) return portFailed();
    if (!port.Open(context.model.portName, "", SaveCommSetup::Yes)) return portFailed();
    if (!SendPreInitSequence(port, clock, context.preInitSequence)) return portFailed();
    clock.Sleep(kExchangePauseMs);
    if (!port.OutputString(cmd::kPreamble)) return portFailed();
    clock.Sleep(kExchangePauseMs);
    if (!port.Close() || !port.Open()) return portFailed();
    clock.Sleep(kExchangePauseMs);
    if (!port.OutputString(cmd::kFirmwareQuery)) return portFailed();

    ReplyBuffer reply;
    if (AwaitFirmwareReply(context, reply) == QueryResult::PortFailed) return portFailed();
    if (!CloseExchange(context, "")) return portFailed();
    return std::string(reply.Text());
}

// The printer's firmware identifier, or nothing after a reported failure. firmwareRevision is
// left empty.
std::optional<std::string> ReadFirmwareIdentifier(ProtocolContext& context, bool setIdentifyTimeouts) {
    const std::optional<std::string> reply = QueryFirmware(context, setIdentifyTimeouts);
    if (!reply) return std::nullopt;
    context.model.firmwareRevision.clear();
    std::optional<std::string> identifier = FirmwareIdentifierFromReply(*reply);
    if (!identifier) context.reporter.ReportError(std::string(kFirmwareReadError), event::kGeneral, kSeverityError);
    return identifier;
}

const MapEntry* FindMapEntry(const MapTable& table, std::string_view name) {
    const int row = FindMapRow(table, name);
    return row < 0 ? nullptr : &table[row];
}

std::string NoSuitableMapText(std::string_view what, std::string_view key) {
    std::string text = "Could not find suitable map file for ";
    text.append(what).append(": ").append(key);
    text.append(" \nVisit ").append(kMakerWebAddress).append(" for an update.");
    return text;
}

enum class MapCheck { Matches, Search, Failed };

MapCheck CheckLoadedMap(ProtocolContext& context, const std::string& identifier) {
    ConfigModel& model = context.model;
    Reporter& reporter = context.reporter;
    if (model.mapFilePath.empty()) return MapCheck::Search;

    bool matched = true;
    const MapEntry* modelEntry = FindMapEntry(model.mapEntries, kModelName);
    if (!modelEntry) {
        reporter.ReportError(std::string(kNoModelInMap), event::kGeneral, kSeverityError);
        ClosePortOnFailure(context.port, reporter, -1);
        return MapCheck::Failed;
    }
    if (modelEntry->text != model.model) {
        reporter.ShowStatus(std::string(kModelMismatch), event::kGeneral, kSeverityMessage);
        matched = false;
    }
    const MapEntry* firmwareEntry = FindMapEntry(model.mapEntries, kFirmwareName);
    if (!firmwareEntry) {
        reporter.ReportError(std::string(kNoFirmwareInMap), event::kGeneral, kSeverityError);
        ClosePortOnFailure(context.port, reporter, -1);
        return MapCheck::Failed;
    }
    if (firmwareEntry->text != identifier) {
        reporter.ShowStatus(std::string(kFirmwareMismatch), event::kGeneral, kSeverityMessage);
        matched = false;
    }
    return matched ? MapCheck::Matches : MapCheck::Search;
}

// Loads the first map whose "Firmware" entry is the identifier, the working folder's first.
bool SearchMapByFirmware(ProtocolContext& context, const std::string& identifier) {
    ConfigModel& model = context.model;
    Reporter& reporter = context.reporter;
    int examined = 0;
    for (const std::string& name : ModelSearchPath::Current().MatchingFiles(kMapPattern)) {
        if (examined >= kMaxMapCandidates) break;
        if (!ReadMapFile(model, model.candidateMapEntries, name, false, reporter)) continue;
        ++examined;
        const MapEntry* firmware = FindMapEntry(model.candidateMapEntries, kFirmwareName);
        if (!firmware) {
            reporter.ReportError("Could not find Firmware field in file: " + name, event::kGeneral, kSeverityError);
            return false;
        }
        if (firmware->text != identifier) continue;
        if (!ReadMapFile(model, model.mapEntries, name, false, reporter)) {
            reporter.ReportError("While locating map file, Could not read map file: " + name, event::kGeneral,
                                 kSeverityError);
            continue;
        }
        model.mapFilePath = name;
        return true;
    }
    reporter.ReportError(NoSuitableMapText("Model/Firmware", model.model + " / " + identifier), event::kGeneral,
                         kSeverityError);
    model.mapFilePath.clear();
    return false;
}

// Loads the first map whose "Model" entry is the configuration's model, the working folder's first.
bool SearchMapByModel(ProtocolContext& context) {
    ConfigModel& model = context.model;
    Reporter& reporter = context.reporter;
    int examined = 0;
    for (const std::string& name : ModelSearchPath::Current().MatchingFiles(kMapPattern)) {
        if (examined >= kMaxMapCandidates) break;
        if (!ReadMapFile(model, model.candidateMapEntries, name, false, reporter)) continue;
        ++examined;
        const MapEntry* candidateModel = FindMapEntry(model.candidateMapEntries, kModelName);
        if (!candidateModel) {
            reporter.ReportError("Could not find Model field in file: " + name, event::kGeneral, kSeverityError);
            continue;
        }
        if (candidateModel->text != model.model) continue;
        if (!ReadMapFile(model, model.mapEntries, name, false, reporter)) {
            reporter.ReportError("While locating map file, Could not read map file: " + name, event::kGeneral,
                                 kSeverityError);
            return false;
        }
        model.mapFilePath = name;
        return true;
    }
    reporter.ReportError(NoSuitableMapText("Model", model.model), event::kGeneral, kSeverityError);
    model.mapFilePath.clear();
    return false;
}

}  // namespace

std::optional<std::string> FirmwareIdentifierFromReply(std::string_view reply) {
    reply = reply.substr(0, reply.find('\0'));
    constexpr std::string_view kReplyPrefix = "~r";
    if (!StartsWith(reply, kReplyPrefix)) return std::nullopt;
    const size_t colon = reply.find(':');
    constexpr size_t kTextStart = 3;
    std::string_view identifier;
    if (colon != std::string_view::npos)
        identifier = reply.substr(colon + 1);
    else if (reply.size() > kTextStart)
        identifier = reply.substr(kTextStart);
    if (identifier.empty()) return std::nullopt;
    return std::string(identifier);
}

int IdentifyPrinter(ProtocolContext& context) {
    ConfigModel& model = context.model;
    UpdatePreInitSequence(model.settings, context.preInitSequence);
    const bool mapWasLoaded = !model.mapFilePath.empty();

    const std::optional<std::string> identifier = ReadFirmwareIdentifier(context, true);
    if (!identifier) return 0;
    model.firmwareRevision = *identifier;

    switch (CheckLoadedMap(context, *identifier)) {
        case MapCheck::Failed:
            return 0;
        case MapCheck::Search:
            if (!SearchMapByFirmware(context, *identifier)) return 0;
            break;
        case MapCheck::Matches:
            break;
    }

    if (const MapEntry* mapModel = FindMapEntry(model.mapEntries, kModelName))
        model.model = mapModel->text;
    else
        context.reporter.ReportError(std::string(kNoModelInMap), event::kModelOrMap, kSeverityError);
    if (!mapWasLoaded)
        context.reporter.ShowStatus("No Map file loaded, found compatible map file: " + model.mapFilePath +
                                        "\n\nUsing : " + model.mapFilePath,
                                    event::kGeneral, kSeverityMessage);
    return 1;
}

int MatchMapToModel(ProtocolContext& context) {
    ConfigModel& model = context.model;
    Reporter& reporter = context.reporter;
    bool matched = !model.mapFilePath.empty();
    if (matched) {
        const MapEntry* mapModel = FindMapEntry(model.mapEntries, kModelName);
        if (!mapModel) {
            // Without a model to compare, the loaded map cannot be trusted: look for a better one.
            reporter.ReportError(std::string(kNoModelInMap), event::kModelOrMap, kSeverityError);
            matched = false;
        } else if (mapModel->text != model.model) {
            reporter.ShowStatus(std::string(kModelMismatch), event::kGeneral, kSeverityMessage);
            matched = false;
        }
    }
    if (matched) return 1;
    return SearchMapByModel(context) ? 1 : 0;
}

int CheckFirmwarePrefix(ProtocolContext& context, std::string_view expected, std::string* identifierRead) {
    const std::optional<std::string> identifier = ReadFirmwareIdentifier(context, false);
    if (!identifier) return 0;
    if (identifierRead) *identifierRead = *identifier;
    const std::string_view actual(*identifier);
    return actual.substr(0, kFirmwarePrefixLength) == expected.substr(0, kFirmwarePrefixLength) ? 1 : 0;
}

int CheckFirmwareRevision(ProtocolContext& context, std::string_view expected) {
    const std::optional<std::string> identifier = ReadFirmwareIdentifier(context, false);
    if (!identifier) return 0;
    context.model.firmwareRevision = *identifier;
    return *identifier == expected ? 1 : 0;
}

}  // namespace varnel
