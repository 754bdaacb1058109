#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "app/RunObserver.h"
#include "app/RunRecord.h"

namespace varnel {

class CVarnelApp;

// Fills a run's record while the run goes on: it hears from the application object each
// command-line action and how it went, and what else the record keeps (errors, differences,
// firmware, serial number). Lives no longer than the application object; when it goes it notes
// the port the run ended with.
class RunRecorder : public RunObserver {
public:
    RunRecorder(CVarnelApp& app, RunRecord& record);
    ~RunRecorder() override;
    RunRecorder(const RunRecorder&) = delete;
    RunRecorder& operator=(const RunRecorder&) = delete;

    // An action with a result of its own (1 passed) went as that result says; any other went
    // well when it logged no error. One that ends the process from inside stays failed.
    void ActionStarting(std::string_view action, const std::optional<std::string>& argument) override;
    void ActionFinished(std::optional<int> result) override;

    void ErrorLogged(const std::string& text) override;
    void DifferenceFound(const VerifyDifference& difference) override;
    void FirmwareIdentifierRead(const std::string& identifier) override;
    void SerialNumberVerified(const std::string& serialNumber) override;

private:
    CVarnelApp& app_;
    RunRecord& record_;
    size_t errorsBeforeAction_ = 0;
};

}  // namespace varnel
