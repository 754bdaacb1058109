// The printer's configuration, from the menu, the toolbar and the command line: firmware checks,
// reading, verifying and writing the configuration.
#include "app/CVarnelApp.h"
#include "app/RunObserver.h"
#include "protocol/ConfigurationReader.h"
#include "protocol/ConfigurationWriter.h"
#include "protocol/Identification.h"
#include "protocol/ProtocolContext.h"

namespace varnel {
namespace {

constexpr std::string_view kReadIncompleteText =
    "The configuration was not read completely from the printer; it is kept as it was before the read.";

// Tells the run's observer the firmware identifier an operation leaves in the model, on every
// way out of it (a refused options file ends the process from inside the operation).
class FirmwareNote {
public:
    FirmwareNote(const ConfigModel& model, RunObserver* observer) : model_(model), observer_(observer) {}
    ~FirmwareNote() {
        if (observer_ && !model_.firmwareRevision.empty()) observer_->FirmwareIdentifierRead(model_.firmwareRevision);
    }
    FirmwareNote(const FirmwareNote&) = delete;
    FirmwareNote& operator=(const FirmwareNote&) = delete;

private:
    const ConfigModel& model_;
    RunObserver* observer_;
};

}  // namespace

int CVarnelApp::RunReadConfiguration() {
    PrinterOperation operation(*this);
    // The printer's values go into a copy, taken over only when the read is complete: a read that
    // fails half-way leaves no mixture of the printer's values and the ones before.
    ConfigModel reading = model_;
    int result = 0;
    {
        FirmwareNote note(reading, runObserver_);
        ProtocolContext context = Context();
        ProtocolContext onCopy{reading,   context.port,     context.reporter,        context.clock,
                               context.ui, context.observer, context.preInitSequence, context.saveQuestion};
        result = ReadConfiguration(onCopy, ReadMode::Read);
    }
    if (result) {
        // The save question may have saved the configuration meanwhile; the read replaces it all.
        model_ = std::move(reading);
        UpdateTitle();
        InvalidateView();
        return result;
    }
    if (reading.settings != model_.settings)
        ReportError(std::string(kReadIncompleteText), event::kGeneral);
    return result;
}

int CVarnelApp::RunVerifyConfiguration() { return VerifyConfiguration({}); }

int CVarnelApp::VerifyConfiguration(const VerifyDifferenceSink& differences) {
    FirmwareNote note(model_, runObserver_);
    PrinterOperation operation(*this);
    ProtocolContext context = Context();
    return varnel::VerifyConfiguration(context, [this, &differences](const VerifyDifference& difference) {
        if (runObserver_) runObserver_->DifferenceFound(difference);
        if (differences) differences(difference);
    });
}

int CVarnelApp::RunWriteConfiguration() {
    FirmwareNote note(model_, runObserver_);
    PrinterOperation operation(*this);
    ProtocolContext context = Context();
    return WriteConfiguration(context);
}

int CVarnelApp::CmdVerify() { return RunVerifyConfiguration(); }

int CVarnelApp::CmdIsFw(const std::string& firmwareId) {
    ProtocolContext context = Context();
    std::string identifier;
    const int result = CheckFirmwarePrefix(context, firmwareId, &identifier);
    if (runObserver_ && !identifier.empty()) runObserver_->FirmwareIdentifierRead(identifier);
    return result;
}

int CVarnelApp::CmdIsFwr(const std::string& firmwareId) {
    FirmwareNote note(model_, runObserver_);
    ProtocolContext context = Context();
    return CheckFirmwareRevision(context, firmwareId);
}

void CVarnelApp::CmdReadCfg() { RunReadConfiguration(); }

void CVarnelApp::CmdWriteCfg() { RunWriteConfiguration(); }

}  // namespace varnel
