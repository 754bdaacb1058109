#include "app/RunRecorder.h"

#include "app/CVarnelApp.h"

namespace varnel {
namespace {

constexpr int kPassed = 1;

}  // namespace

RunRecorder::RunRecorder(CVarnelApp& app, RunRecord& record) : app_(app), record_(record) {
    app_.SetRunObserver(this);
}

RunRecorder::~RunRecorder() {
    record_.port = app_.model().portName;
    app_.SetRunObserver(nullptr);
}

void RunRecorder::ActionStarting(std::string_view action, const std::optional<std::string>& argument) {
    record_.actions.push_back({std::string(action), argument, false});
    errorsBeforeAction_ = record_.errors.size();
}

void RunRecorder::ActionFinished(std::optional<int> result) {
    record_.actions.back().ok = result ? *result == kPassed : record_.errors.size() == errorsBeforeAction_;
}

void RunRecorder::ErrorLogged(const std::string& text) { record_.errors.push_back(text); }

void RunRecorder::DifferenceFound(const VerifyDifference& difference) { record_.differences.push_back(difference); }

void RunRecorder::FirmwareIdentifierRead(const std::string& identifier) { record_.firmware = identifier; }

void RunRecorder::SerialNumberVerified(const std::string& serialNumber) { record_.serialNumber = serialNumber; }

}  // namespace varnel
