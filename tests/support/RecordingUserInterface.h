#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "base/UserInterface.h"

namespace varnel::test {

// Records what the core shows and answers its questions from queues set up by the test.
class RecordingUserInterface : public UserInterface {
public:
    int MessageBox(const std::string& caption, const std::string& text) override {
        boxes.push_back(caption + ": " + text);
        return 1;
    }
    bool AskYesNo(const std::string& caption, const std::string& text) override {
        questions.push_back(caption + ": " + text);
        if (yesNoAnswers.empty()) return false;
        bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }
    bool SetStatusText(const std::string& text) override {
        statusTexts.push_back(text);
        return hasStatusLine;
    }
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&, const std::string&) override {
        return NextFile();
    }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&, const std::string&) override {
        return NextFile();
    }
    bool EditSerialConfiguration(const std::string& portName, std::string& commConfig) override {
        serialDialogs.push_back(portName);
        if (!serialDialogResult) return false;
        commConfig = *serialDialogResult;
        return true;
    }

    // Help pages
    bool OpenHelpPage(const std::string& path, const std::string& anchor) override {
        helpPages.push_back(anchor.empty() ? path : path + "#" + anchor);
        return helpPageOpens;
    }
    void ShowAboutBox() override { ++aboutBoxes; }

    std::vector<std::string> boxes;
    std::vector<std::string> questions;
    std::vector<std::string> statusTexts;
    std::vector<std::string> serialDialogs;
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<std::string>> fileAnswers;
    std::optional<std::string> serialDialogResult;
    bool hasStatusLine = true;
    // Help pages shown ("path#anchor"), and whether a browser opens them.
    std::vector<std::string> helpPages;
    bool helpPageOpens = true;
    int aboutBoxes = 0;

private:
    std::optional<std::string> NextFile() {
        if (fileAnswers.empty()) return std::nullopt;
        auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};

}  // namespace varnel::test
