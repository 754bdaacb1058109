#pragma once

#include <cstddef>
#include <deque>
#include <functional>
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
    // The save question is recorded with the other questions; without an answer queued it is
    // answered Discard, as headless.
    SaveAnswer AskSaveChanges(const std::string& caption, const std::string& text) override {
        questions.push_back(caption + ": " + text);
        if (saveAnswers.empty()) return SaveAnswer::Discard;
        SaveAnswer answer = saveAnswers.front();
        saveAnswers.pop_front();
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

    // Configuration edit dialog
    // The script plays the user on the opened pages and answers OK (true) or Cancel; without one
    // the dialog is cancelled.
    bool EditConfiguration(EditPages& pages) override {
        ++editDialogs;
        return editScript ? editScript(pages) : false;
    }
    bool OpenHelpPage(const std::string& path, const std::string& anchor) override {
        helpPages.push_back(anchor.empty() ? path : path + "#" + anchor);
        return helpPageOpens;
    }

    // Verification result dialog
    void ShowVerificationResult(const std::vector<VerificationRow>& rows) override {
        verificationResults.push_back(rows);
    }

    // Printer file manager: shown by `printerFilesDialog` when a test gives one (the Qt dialog),
    // else counted as not shown.
    bool ShowPrinterFiles(const PrinterFilesOpener& open) override {
        ++printerFilesShown;
        if (!printerFilesDialog) return false;
        printerFilesDialog(open);
        return true;
    }

    // About box
    void ShowAboutBox() override { ++aboutBoxes; }

    std::vector<std::string> boxes;
    std::vector<std::string> questions;
    std::vector<std::string> statusTexts;
    std::deque<bool> yesNoAnswers;
    std::deque<SaveAnswer> saveAnswers;
    std::deque<std::optional<std::string>> fileAnswers;
    bool hasStatusLine = true;
    int editDialogs = 0;
    std::function<bool(EditPages&)> editScript;
    std::vector<std::string> helpPages;  // path + "#" + anchor
    bool helpPageOpens = true;
    std::vector<std::vector<VerificationRow>> verificationResults;
    int aboutBoxes = 0;
    int printerFilesShown = 0;
    std::function<void(const PrinterFilesOpener&)> printerFilesDialog;

private:
    std::optional<std::string> NextFile() {
        if (fileAnswers.empty()) return std::nullopt;
        auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }

public:
    // Port, comment and firmware dialogs
    struct PortDialog {
        std::vector<std::string> ports;
        int selected;
    };
    struct CommentDialog {
        std::string comment;
        size_t maxLength;
    };
    std::optional<std::string> SelectPort(PortDialogModel& choice) override {
        portDialogs.push_back({choice.Ports(), choice.SelectedIndex()});
        return portDialogAnswer ? portDialogAnswer(choice) : std::nullopt;
    }
    std::optional<std::string> EditComment(const std::string& comment, size_t maxLength) override {
        commentDialogs.push_back({comment, maxLength});
        return commentAnswer;
    }
    FlashChoice ChooseFlashAction(const FlashDialogTexts& texts) override {
        flashDialogs.push_back(texts);
        if (flashChoices.empty()) return flashChoice;
        FlashChoice choice = flashChoices.front();
        flashChoices.pop_front();
        return choice;
    }
    void ShowFlashProgress(const FlashDialogTexts& texts, const FlashProgressView& progress) override {
        flashProgress.push_back(progress);
        flashProgressTexts.push_back(texts);
        if (flashProgressSeen) flashProgressSeen(progress);
    }
    std::optional<SerialLineSettings> EditSerialLine(const std::string& portName,
                                                     const SerialLineSettings& current) override {
        serialDialogs.push_back(portName);
        serialDialogStarts.push_back(current);
        return serialDialogResult;
    }

    std::vector<PortDialog> portDialogs;
    // Works the port dialog as a user would (the serial buttons included); none: Cancel.
    std::function<std::optional<std::string>(PortDialogModel&)> portDialogAnswer;
    std::vector<CommentDialog> commentDialogs;
    std::optional<std::string> commentAnswer;
    std::vector<FlashDialogTexts> flashDialogs;
    // The answers to the firmware dialog in turn; once they are used up, `flashChoice` every time.
    std::deque<FlashChoice> flashChoices;
    FlashChoice flashChoice = FlashChoice::Cancel;
    std::vector<FlashProgressView> flashProgress;
    std::vector<FlashDialogTexts> flashProgressTexts;  // what the dialog showed with each of them
    // Told of each as it is shown, to see what else had happened by then.
    std::function<void(const FlashProgressView&)> flashProgressSeen;
    std::vector<std::string> serialDialogs;
    std::vector<SerialLineSettings> serialDialogStarts;
    std::optional<SerialLineSettings> serialDialogResult;
};

}  // namespace varnel::test
