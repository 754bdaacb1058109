#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Reporter.h"

namespace varnel::test {

// Keeps every report in order, so a test can check texts, event codes and severities.
class RecordingReporter : public Reporter {
public:
    enum class Kind { Error, Message, Status };
    struct Entry {
        Kind kind;
        std::string text;
        int eventCode;
        int severity;
        bool quiet;  // made while quiet probing was on
    };

    int ReportError(const std::string& text, int eventCode, int severity) override {
        entries.push_back({Kind::Error, text, eventCode, severity, quietDepth > 0});
        return 1;
    }
    int ReportMessage(const std::string& text, int eventCode, int severity) override {
        entries.push_back({Kind::Message, text, eventCode, severity, quietDepth > 0});
        return 0;
    }
    int ShowStatus(const std::string& text, int eventCode, int severity) override {
        entries.push_back({Kind::Status, text, eventCode, severity, quietDepth > 0});
        return 1;
    }
    void BeginQuietProbing() override { ++quietDepth; }
    void EndQuietProbing() override { --quietDepth; }
    void ShowProgress(const std::string& step, int64_t done, int64_t total) override {
        progress.push_back({step, done, total});
    }
    // The user's Cancel, once the operation has told this much progress.
    bool CancelRequested() const override {
        return cancelAfterProgress && progress.size() >= *cancelAfterProgress;
    }

    std::vector<std::string> Texts(Kind kind) const {
        std::vector<std::string> out;
        for (const Entry& e : entries)
            if (e.kind == kind) out.push_back(e.text);
        return out;
    }
    std::vector<std::string> Errors() const { return Texts(Kind::Error); }
    std::vector<std::string> Messages() const { return Texts(Kind::Message); }
    std::vector<std::string> Statuses() const { return Texts(Kind::Status); }

    struct Progress {
        std::string step;
        int64_t done;
        int64_t total;
    };

    std::vector<Entry> entries;
    std::vector<Progress> progress;
    std::optional<size_t> cancelAfterProgress;
    int quietDepth = 0;
};

}  // namespace varnel::test
