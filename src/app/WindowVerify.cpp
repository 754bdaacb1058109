// The window's Verify command: the differences of one verification in one table.
#include "app/CVarnelApp.h"
#include "base/UserInterface.h"
#include "base/VerificationTable.h"
#include "protocol/ConfigurationReader.h"

namespace varnel {

class CVarnelApp::DifferenceBoxHold {
public:
    explicit DifferenceBoxHold(CVarnelApp& app) : app_(app) { ++app_.differenceBoxesHeld_; }
    ~DifferenceBoxHold() { --app_.differenceBoxesHeld_; }
    DifferenceBoxHold(const DifferenceBoxHold&) = delete;
    DifferenceBoxHold& operator=(const DifferenceBoxHold&) = delete;

private:
    CVarnelApp& app_;
};

int CVarnelApp::VerifyInWindow() {
    std::vector<VerificationRow> rows;
    int result = 0;
    {
        DifferenceBoxHold hold(*this);
        result = VerifyConfiguration([&rows](const VerifyDifference& difference) {
            rows.push_back({difference.setting, difference.printerValue, difference.configurationValue});
        });
    }
    // The table and the box stand in for message boxes: a silent mode that hides those hides them.
    if (state_.silentMode != 0) return result;
    if (!rows.empty()) ui_.ShowVerificationResult(rows);
    if (result == 1) ShowBox(kMessageCaption, std::string(kVerificationOkText));
    return result;
}

}  // namespace varnel
