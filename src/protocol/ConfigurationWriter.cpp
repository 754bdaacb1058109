#include "protocol/ConfigurationWriter.h"

#include <array>
#include <string>
#include <string_view>

#include "base/CancelledText.h"
#include "base/Reporter.h"
#include "io/ClosePortOnFailure.h"
#include "io/IOComm.h"
#include "model/ConfigModel.h"
#include "model/MapFile.h"
#include "model/OptionsFile.h"
#include "model/SettingNames.h"
#include "protocol/ExchangeOpening.h"
#include "protocol/FieldCodec.h"
#include "protocol/Identification.h"
#include "protocol/PrinterCommands.h"
#include "protocol/ProtocolContext.h"

namespace varnel {
namespace {

constexpr std::string_view kMixtureConsequence = "the printer holds a mixture; write again or verify";
constexpr std::string_view kCancelledBeforeAnyText =
    "Write cancelled before any setting was sent: the printer holds what it held before.";
constexpr std::string_view kMissingPort =
    "I/O Port not specified, or I/O Port not specified before configure parameter.";

// Settings that describe the configuration or the printer rather than live in its tables.
constexpr std::array<std::string_view, 6> kNeverSent = {kFileCommentName,    kFirmwareIdName,      kM80FirmwareIdName,
                                                        kM80FirmwareFileName, kM80FirmwareLoaderName, kPreInitCommandName};

bool IsNeverSent(std::string_view name) {
    for (std::string_view skipped : kNeverSent)
        if (name == skipped) return true;
    return false;
}

std::string SeriesMismatchText(const std::string& configured, const std::string& printer) {
    return "Configuration for Series: " + configured + " does not match attached printer, Series " + printer +
           ".  Load correct configuration for this printer from file or by reading it from the attached printer.";
}

class WriteRun {
public:
    explicit WriteRun(ProtocolContext& context)
        : context_(context), model_(context.model), reporter_(context.reporter), port_(context.port) {}

    int Run() {
        if (!Prepare()) return 0;
        if (!OpenExchange(context_)) return ClosePortOnFailure(port_, reporter_, 0);
        const int total = CountSent();
        int done = 0;
        for (const SettingRow& row : model_.settings) {
            if (!IsSent(row)) continue;
            if (reporter_.CancelRequested()) return Cancelled(done, total);
            if (!WriteSetting(row)) return ClosePortOnFailure(port_, reporter_, 0);
            reporter_.ShowProgress({}, ++done, total);
        }
        if (!CloseExchange(context_, cmd::kClosing)) return ClosePortOnFailure(port_, reporter_, 0);
        reporter_.ShowStatus("End Configuration.", event::kExchangeEnd, kSeverityMessage);
        return 1;
    }

private:
    bool Prepare() {
        progress_ = "Configurating";
        if (!RequirePortName(context_, kMissingPort, event::kGeneral)) return false;
        reporter_.ShowStatus("Begining Configuration.", event::kConfigExchange, kSeverityMessage);
        if (!ReloadMapFile(model_, reporter_)) return false;
        if (!IdentifyPrinter(context_)) return false;

        const int mapModelRow = FindMapRow(model_.mapEntries, kModelName);
        const std::string mapModel = mapModelRow < 0 ? std::string() : model_.mapEntries[mapModelRow].text;
        if (mapModel.empty()) {
            reporter_.ReportError("Model not found in map file during configuration.", event::kGeneral,
                                  kSeverityError);
            return false;
        }
        if (!LocateOptionsFile(model_, mapModel, reporter_)) {
            reporter_.ReportError("Unable to locate correct Options file.", event::kGeneral, kSeverityError);
            return false;
        }
        const int modelRow = FindSetting(model_.settings, kModelName);
        const std::string configuredModel = modelRow < 0 ? std::string() : model_.settings[modelRow].text;
        if (configuredModel != model_.model) {
            reporter_.ReportError(SeriesMismatchText(configuredModel, model_.model), event::kGeneral, kSeverityError);
            return false;
        }
        return true;
    }

    static bool IsSent(const SettingRow& row) { return !row.name.empty() && !IsNeverSent(row.name); }

    int CountSent() const {
        int total = 0;
        for (const SettingRow& row : model_.settings)
            if (IsSent(row)) ++total;
        return total;
    }

    // Stops between two settings: the port is closed as after a failure, without the closing
    // command, and the report says what the printer now holds.
    int Cancelled(int done, int total) {
        const std::string text = done == 0 ? std::string(kCancelledBeforeAnyText)
                                           : CancelledText("Write", done, total, "settings", kMixtureConsequence);
        reporter_.ReportMessage(text, event::kExchangeEnd, kSeverityMessage);
        return ClosePortOnFailure(port_, reporter_, -1);
    }

    void AnnounceWrite() {
        progress_ += '*';
        reporter_.ShowStatus(progress_, event::kGeneral, kSeverityMessage);
    }

    // False only when the port failed; refusals are reported and the run goes on.
    bool WriteSetting(const SettingRow& row) {
        const int mapRow = FindMapRow(model_.mapEntries, row.name);
        if (mapRow < 0) {
            reporter_.ReportError(row.name + " not programmed into printer, " + row.name + " not found in map file.",
                                  event::kSettingNotWritten, kSeverityError);
            return true;
        }
        const MapEntry& entry = model_.mapEntries[mapRow];
        // A table byte that wrapped would write into some other table.
        if (entry.table < 0 || entry.table > kMaxConfigTable) {
            reporter_.ReportError("Internal error writing configuration to printer. Table# out of range. " + row.name,
                                  event::kGeneral, kSeverityError);
            return true;
        }
        if (row.value == -1) {
            // The printer would keep only the start of a longer text: it is not sent, and said.
            if (entry.width > 0 && row.text.size() > static_cast<size_t>(entry.width)) {
                reporter_.ReportError(row.name + " not programmed into printer, its text is " +
                                          std::to_string(row.text.size()) + " bytes long and the printer holds " +
                                          std::to_string(entry.width) + ".",
                                      event::kSettingNotWritten, kSeverityError);
                return true;
            }
            AnnounceWrite();
            return port_.OutputString(cmd::StringWrite(static_cast<uint8_t>(entry.table), row.text)) != 0;
        }
        return WriteNumber(row, entry);
    }

    bool WriteNumber(const SettingRow& row, const MapEntry& entry) {
        AnnounceWrite();
        const FieldLocation field = DecodeField(entry);
        if (FindOption(model_.options, row.name, row.value) < 0) {
            reporter_.ReportError("Configuration setting not found in options list. " + row.name + " = " +
                                      std::to_string(row.value) + "\nContinuing Configuration.",
                                  event::kGeneral, kSeverityError);
            return true;
        }
        if (!IsWritable(model_.options, row.name)) return true;
        if (field.width > kByteFieldWidth && field.width != kWordFieldWidth) {
            reporter_.ReportError("Field/Bit width greater than 8 must be equal to 16. " + row.name, event::kGeneral,
                                  kSeverityError);
            return true;
        }
        // A wrapped offset byte would change some other setting.
        const int lastOffset = field.offset + (field.width == kWordFieldWidth ? 1 : 0);
        if (!field.OffsetFits() || lastOffset > kMaxTableOffset) {
            reporter_.ReportError("Internal error writing configuration to printer. Offset out of range. " + row.name,
                                  event::kGeneral, kSeverityError);
            return true;
        }
        return port_.OutputString(EncodeFieldWrite(field, row.value)) != 0;
    }

    ProtocolContext& context_;
    ConfigModel& model_;
    Reporter& reporter_;
    IOComm& port_;
    std::string progress_;
};

}  // namespace

int WriteConfiguration(ProtocolContext& context) {
    WriteRun run(context);
    return run.Run();
}

}  // namespace varnel
