#include "protocol/ConfigurationReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <utility>

#include "base/CancelledText.h"
#include "base/Clock.h"
#include "base/Reporter.h"
#include "io/ClosePortOnFailure.h"
#include "io/IOComm.h"
#include "model/ConfigModel.h"
#include "model/MapFile.h"
#include "model/ModelObserver.h"
#include "model/OptionsFile.h"
#include "model/SafeFormat.h"
#include "model/SettingNames.h"
#include "protocol/ExchangeOpening.h"
#include "protocol/FieldCodec.h"
#include "protocol/Identification.h"
#include "protocol/PrinterCommands.h"
#include "protocol/ProtocolContext.h"
#include "protocol/SaveQuestion.h"

namespace varnel {
namespace {

constexpr size_t kReplyBufferSize = 300;
constexpr int kMaxReadFailures = 10;
constexpr int kRetryPauseMs = 50;
constexpr int kReplyWaitMs = 2000;
constexpr size_t kByteReadLength = cmd::kByteReadReplyLength;
constexpr size_t kByteReadLengthAfterFailure = 20;
constexpr size_t kStringReplyOverhead = 4;  // "~r", the table byte and the closing zero
constexpr size_t kStringReplyTextStart = 3;
constexpr size_t kByteReplyDataIndex = 3;
constexpr size_t kDiscardAfterWrongStringHead = 20;
constexpr size_t kDiscardAfterWrongByteHead = 10;
constexpr size_t kDiscardAfterWrongSecondByteHead = 20;
// Text settings are read with short time-outs on device ports.
constexpr uint32_t kTextTimeoutMs = 60, kTextTimeoutPerByteMs = 3;
constexpr uint32_t kNormalTimeoutMs = 600, kNormalTimeoutPerByteMs = 30;

constexpr std::string_view kMissingPort = "I/O Port not specified, or I/O Port not specified before verify parameter.";
constexpr std::string_view kTooManyFailures = "Read failures exceeded 10, aborting.";
constexpr std::string_view kTableOutOfRange =
    "Internal error reading configuration from printer. Table# out of range.";
constexpr std::string_view kOffsetOutOfRange =
    "Internal error reading configuration from printer. Offset out of range.";
constexpr std::string_view kVerificationFailed =
    "Verification of printer's configuration has failed, see \"Varnel.log\" for log history.";
constexpr std::string_view kStringReplyHead = "~r";
constexpr std::string_view kUndeterminedValue = "Undetermined value";
constexpr std::string_view kReadCancelledConsequence = "the configuration is kept as it was before the read.";
constexpr std::string_view kVerifyCancelledConsequence = "the settings after them were not compared.";

std::string SeriesMismatchText(const std::string& configured, const std::string& printer) {
    return "Configuration for Series: " + configured + " does not match attached printer, Series " + printer +
           ".  Load correct configuration for this printer from file or by reading it from the attached printer.";
}

// One reply, read into the start of a zeroed buffer that always keeps a zero byte after it.
class Reply {
public:
    void Zero() {
        bytes_.fill('\0');
        size_ = 0;
    }
    bool ReadFrom(IOComm& port, size_t maxBytes) {
        Zero();
        return Append(port, maxBytes);
    }
    // Reads more bytes behind those already held; false when none arrived.
    bool Append(IOComm& port, size_t maxBytes) {
        maxBytes = std::min(maxBytes, kReplyBufferSize - 1 - size_);
        if (maxBytes == 0) return false;
        const int got = port.Input(bytes_.data() + size_, maxBytes);
        if (got <= 0) return false;
        size_ += static_cast<size_t>(got);
        return true;
    }
    bool StartsWith(std::string_view head) const { return std::string_view(bytes_.data(), size_).substr(0, head.size()) == head; }
    void DropFirstByte() {
        std::memmove(bytes_.data(), bytes_.data() + 1, kReplyBufferSize - 1);
        bytes_.back() = '\0';
        if (size_ > 0) --size_;
    }
    size_t size() const { return size_; }
    uint8_t Byte(size_t index) const { return static_cast<uint8_t>(bytes_[index]); }
    // The text from `start` up to the first zero byte.
    std::string TextFrom(size_t start) const { return std::string(bytes_.data() + start); }
    bool HasZeroAfter(size_t start) const {
        return start < size_ && std::memchr(bytes_.data() + start, '\0', size_ - start) != nullptr;
    }

private:
    std::array<char, kReplyBufferSize> bytes_{};
    size_t size_ = 0;
};

enum class Outcome { Done, Again, PortFailed };

class ConfigurationRun {
public:
    ConfigurationRun(ProtocolContext& context, ReadMode mode, VerifyDifferenceSink differences = {})
        : context_(context), model_(context.model), reporter_(context.reporter), port_(context.port),
          verify_(mode == ReadMode::Verify), differences_(std::move(differences)) {}

    int Run() {
        const std::string modelBefore = model_.model;
        const std::string commentBefore = model_.comment;
        const int result = Exchange();
        // A run that fails before anything of the printer's reached the configuration leaves it as
        // it was: the model and comment emptied for the identification come back.
        if (result == 0 && !valuesArrived_) {
            model_.model = modelBefore;
            model_.comment = commentBefore;
        }
        return result;
    }

private:
    int Exchange() {
        if (!Prepare()) return 0;
        if (!OpenExchange(context_)) return ClosePortOnFailure(port_, reporter_, 0);
        const int total = CountExchangedEntries();
        int done = 0;
        for (int row = 0; row < kMaxMapRows;) {
            if (reporter_.CancelRequested()) return Cancelled(done, total);
            if (failures_ > kMaxReadFailures) {
                reporter_.ReportError(std::string(kTooManyFailures), event::kExchangeEnd, kSeverityError);
                return ClosePortOnFailure(port_, reporter_, -1);
            }
            const MapEntry& entry = model_.mapEntries[row];
            const Outcome outcome = ReadEntry(entry);
            if (outcome == Outcome::PortFailed) return ClosePortOnFailure(port_, reporter_, 0);
            if (outcome != Outcome::Done) continue;
            if (IsExchanged(entry)) reporter_.ShowProgress({}, ++done, total);
            ++row;
        }
        return Finish();
    }

    int CountExchangedEntries() const {
        int total = 0;
        for (const MapEntry& entry : model_.mapEntries)
            if (IsExchanged(entry)) ++total;
        return total;
    }

    // Stops between two settings: the port is closed as after a failure, and the report says how
    // far the run came.
    int Cancelled(int done, int total) {
        const std::string_view consequence = verify_ ? kVerifyCancelledConsequence : kReadCancelledConsequence;
        reporter_.ReportMessage(CancelledText(verify_ ? "Verify" : "Read", done, total, "settings", consequence),
                                event::kExchangeEnd, kSeverityMessage);
        return ClosePortOnFailure(port_, reporter_, -1);
    }

    bool Prepare() {
        progress_ = verify_ ? "Verifing" : "Reading";
        // A verification changes nothing of the configuration, its comment included.
        if (!verify_) model_.comment.clear();
        model_.model.clear();
        reporter_.ShowStatus(verify_ ? "Begining Configuration Verification." : "Begining Configuration Reading.",
                             event::kConfigExchange, kSeverityMessage);
        if (!RequirePortName(context_, kMissingPort, event::kGeneral)) return false;
        if (!ReloadMapFile(model_, reporter_)) return false;
        if (!IdentifyPrinter(context_)) return false;

        const int modelRow = FindSetting(model_.settings, kModelName);
        const std::string configuredModel = modelRow < 0 ? std::string() : model_.settings[modelRow].text;
        if (configuredModel != model_.model) {
            if (verify_) {
                reporter_.ReportError(SeriesMismatchText(configuredModel, model_.model), event::kGeneral,
                                      kSeverityError);
                return false;
            }
            if (!StartNewConfiguration()) return false;
        }
        if (model_.options[0].name.empty()) LocateOptionsFile(model_, model_.model, reporter_);
        reporter_.ShowStatus(progress_, event::kGeneral, kSeverityMessage);
        return true;
    }

    // The printer holds another model's configuration: start from an empty one for it, unless
    // the user cancels the save question (the read then stops with the configuration as it was).
    bool StartNewConfiguration() {
        if (!context_.saveQuestion.AskToSaveChanges()) return false;
        // Emptied as a new configuration for this printer: a later failure does not bring it back.
        valuesArrived_ = true;
        ClearSettings(model_.settings);
        model_.configFilePath.clear();
        context_.observer.UpdateTitle();
        // Without a configuration file there is no time stamp to show.
        model_.configFileTime.clear();
        model_.comment.clear();
        LocateOptionsFile(model_, model_.model, reporter_);
        model_.configFilePath.clear();
        return true;
    }

    // Whether the value of a map row is asked of the printer.
    bool IsExchanged(const MapEntry& entry) const {
        const std::string& name = entry.name;
        if (name.empty() || name == kFileCommentName || name == kModelName) return false;
        if (name == kFirmwareName || name == kSetupName) return false;
        const int existing = FindSetting(model_.settings, name);
        // Only settings that may be written are compared.
        if (verify_ && existing >= 0 && !IsWritable(model_.options, name)) return false;
        return FindOption(model_.options, name, -1) >= 0;
    }

    Outcome ReadEntry(const MapEntry& entry) {
        if (entry.name == kModelName) {
            if (!verify_) StoreModelText(entry);
            return Outcome::Done;
        }
        if (!IsExchanged(entry)) return Outcome::Done;
        const int target = TargetRow(entry.name);
        if (target < 0) return Outcome::Done;
        const int choice = FindOption(model_.options, entry.name, -1);
        return model_.options[choice].MarksTextSetting() ? ReadText(entry, target) : ReadNumber(entry, target);
    }

    // The settings row a value goes into; in read mode a new row when the setting has none.
    int TargetRow(const std::string& name) {
        const int existing = FindSetting(model_.settings, name);
        if (existing >= 0 || verify_) return existing;
        const int free = FindSetting(model_.settings, "");
        if (free < 0) ReportNoFreeRow(name);
        return free;
    }

    void ReportNoFreeRow(const std::string& name) {
        reporter_.ReportError(name + " not read from printer, the configuration has no free row.", event::kGeneral,
                              kSeverityError);
    }

    void StoreModelText(const MapEntry& entry) {
        int row = FindSetting(model_.settings, kModelName);
        if (row < 0) row = FindSetting(model_.settings, "");
        if (row < 0) return ReportNoFreeRow(entry.name);
        valuesArrived_ = true;
        model_.settings[row].name = entry.name;
        model_.settings[row].text = entry.text;
    }

    void AnnounceRequest() {
        progress_ += '*';
        reporter_.ShowStatus(progress_, event::kGeneral, kSeverityMessage);
    }

    void CountWrongHead(size_t discardBytes) {
        std::array<char, kReplyBufferSize> discard{};
        port_.Input(discard.data(), discardBytes);
        ++failures_;
        pauseMs_ = kRetryPauseMs;
    }

    // Sends a request and reads its reply; false when the port failed or nothing arrived.
    bool Request(const std::string& command, size_t readLength) {
        if (!port_.OutputString(command)) return false;
        if (pauseMs_ > 0) context_.clock.Sleep(pauseMs_);
        port_.WaitOutput(kReplyWaitMs);
        return reply_.ReadFrom(port_, readLength);
    }

    Outcome ReadText(const MapEntry& entry, int target) {
        const auto table = static_cast<uint8_t>(entry.table);
        AnnounceRequest();
        const bool device = port_.GetPortType() == PortKind::Device;
        if (device && !port_.SetTimeouts(kTextTimeoutMs, kTextTimeoutPerByteMs)) return Outcome::PortFailed;

        // A text as wide as the buffer is read as far as the buffer holds it, with its zero byte.
        const int64_t wanted = int64_t{entry.width} + int64_t{kStringReplyOverhead};
        const size_t readLength = static_cast<size_t>(std::clamp<int64_t>(wanted, 1, kReplyBufferSize - 1));
        if (!Request(cmd::TableRead(table), readLength)) return Outcome::PortFailed;
        if (!reply_.StartsWith(kStringReplyHead)) {
            reply_.DropFirstByte();
            if (!reply_.StartsWith(kStringReplyHead)) {
                CountWrongHead(kDiscardAfterWrongStringHead);
                return Outcome::Again;
            }
            // The stray byte took the place of the reply's last byte, which is still on its way.
            if (!reply_.HasZeroAfter(kStringReplyTextStart) && reply_.size() < readLength)
                reply_.Append(port_, readLength - reply_.size());
        }

        const std::string text = reply_.TextFrom(kStringReplyTextStart);
        valuesArrived_ = true;
        SettingRow& row = model_.settings[target];
        if (verify_ && text != row.text) {
            reporter_.ReportMessage("String does not verify: \"" + text + "\" vs. \"" + row.text +
                                        "\"\nContinuing verification.",
                                    event::kSettingNotWritten, kSeverityMessage);
            HandOn({entry.name, text, row.text});
            ++differencesFound_;
        } else {
            row.name = entry.name;
            row.text = text;
        }
        if (device && !port_.SetTimeouts(kNormalTimeoutMs, kNormalTimeoutPerByteMs)) return Outcome::PortFailed;
        return Outcome::Done;
    }

    enum class ByteResult { Data, WrongHead, PortFailed };

    // One byte read: the data byte of the reply, or why there is none.
    ByteResult ReadByte(uint8_t table, uint8_t offset, size_t discardOnWrongHead, uint8_t& data) {
        const size_t readLength = pauseMs_ > 0 ? kByteReadLengthAfterFailure : kByteReadLength;
        if (!Request(cmd::ByteRead(table, offset), readLength)) return ByteResult::PortFailed;
        if (!reply_.StartsWith(cmd::kByteReadReplyHead)) {
            reply_.DropFirstByte();
            // The stray byte took the place of the data byte, which is still on its way.
            if (reply_.StartsWith(cmd::kByteReadReplyHead) && reply_.size() < kByteReadLength)
                reply_.Append(port_, kByteReadLength - reply_.size());
        }
        // A reply without its data byte is no answer: the buffer's zero there is not the printer's.
        if (!reply_.StartsWith(cmd::kByteReadReplyHead) || reply_.size() < kByteReadLength) {
            CountWrongHead(discardOnWrongHead);
            return ByteResult::WrongHead;
        }
        data = reply_.Byte(kByteReplyDataIndex);
        return ByteResult::Data;
    }

    Outcome ReadNumber(const MapEntry& entry, int target) {
        AnnounceRequest();
        const FieldLocation field = DecodeField(entry);
        const int32_t expected = model_.settings[target].value;
        if (entry.table > kMaxConfigTable || entry.table < 0) {
            reporter_.ReportError(std::string(kTableOutOfRange), event::kGeneral, kSeverityError);
            return Outcome::Done;
        }
        const int lastOffset = field.offset + (field.SpansTwoBytes() ? 1 : 0);
        if (!field.OffsetFits() || lastOffset > kMaxTableOffset) {
            reporter_.ReportError(std::string(kOffsetOutOfRange), event::kGeneral, kSeverityError);
            return Outcome::Done;
        }

        uint8_t data = 0;
        switch (ReadByte(field.table, static_cast<uint8_t>(field.offset), kDiscardAfterWrongByteHead, data)) {
            case ByteResult::PortFailed: return Outcome::PortFailed;
            case ByteResult::WrongHead: return Outcome::Again;
            case ByteResult::Data: break;
        }
        valuesArrived_ = true;
        int32_t value = DecodeByteField(field, data);
        if (field.SpansTwoBytes()) {
            uint8_t low = 0;
            switch (ReadByte(field.table, static_cast<uint8_t>(field.offset + 1), kDiscardAfterWrongSecondByteHead,
                             low)) {
                case ByteResult::PortFailed: return Outcome::PortFailed;
                case ByteResult::WrongHead: return Outcome::Again;
                case ByteResult::Data: break;
            }
            value = DecodeWordField(field, data, low);
        }

        if (!verify_) {
            SettingRow& row = model_.settings[target];
            row.name = entry.name;
            row.value = value;
            failures_ = 0;
            return Outcome::Done;
        }
        if (value != expected && expected != -1) ReportDifference(entry.name, field, value, expected);
        return Outcome::Done;
    }

    // As the view shows the number: a range option's text formatted with it.
    std::string OptionText(const std::string& name, int32_t number) const {
        const int row = FindOption(model_.options, name, number);
        return row < 0 ? std::string(kUndeterminedValue) : OptionShownText(model_.options[row], number);
    }

    void ReportDifference(const std::string& name, const FieldLocation& field, int32_t value, int32_t expected) {
        const VerifyDifference difference =
            field.SpansTwoBytes() ? VerifyDifference{name, std::to_string(value), std::to_string(expected)}
                                  : VerifyDifference{name, OptionText(name, value), OptionText(name, expected)};
        const std::string detail = "\nPrinter:  \"" + difference.printerValue + "\"  vs. Configuration file:  \"" +
                                   difference.configurationValue + "\"";
        reporter_.ReportMessage("\"" + name + "\" does not verify." + detail + "\nContinuing verification.",
                                event::kSettingNotWritten, kSeverityMessage);
        HandOn(difference);
        ++differencesFound_;
    }

    void HandOn(const VerifyDifference& difference) const {
        if (differences_) differences_(difference);
    }

    int Finish() {
        if (!CloseExchange(context_, "")) return ClosePortOnFailure(port_, reporter_, 0);
        if (verify_ && (failures_ > 0 || differencesFound_ > 0)) {
            reporter_.ReportError(std::string(kVerificationFailed), event::kGeneral, kSeverityError);
            return 0;
        }
        reporter_.ShowStatus(verify_ ? std::string(kVerificationOkText) : "End Reading Configuration.",
                             event::kExchangeEnd, kSeverityMessage);
        model_.modified = true;
        context_.observer.InvalidateView();
        return 1;
    }

    ProtocolContext& context_;
    ConfigModel& model_;
    Reporter& reporter_;
    IOComm& port_;
    const bool verify_;
    const VerifyDifferenceSink differences_;
    std::string progress_;
    // Wrong reply heads: more than ten end the run. Differences are counted apart, so a
    // verification lists every one of them.
    int failures_ = 0;
    int differencesFound_ = 0;
    int pauseMs_ = 0;
    // Set once the printer's first value (or a new configuration for it) is in the model.
    bool valuesArrived_ = false;
    Reply reply_;
};

}  // namespace

int ReadConfiguration(ProtocolContext& context, ReadMode mode) {
    ConfigurationRun run(context, mode);
    return run.Run();
}

int VerifyConfiguration(ProtocolContext& context, const VerifyDifferenceSink& differences) {
    ConfigurationRun run(context, ReadMode::Verify, differences);
    return run.Run();
}

}  // namespace varnel
