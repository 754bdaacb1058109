#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/PrinterFilesView.h"

namespace varnel::test {

// The dialog's widgets as plain records. A started refresh timer fires (onTimer) when messages
// are pumped, as the dialog's timer would.
class RecordingFilesView : public PrinterFilesView {
public:
    void SetTabStops(const std::vector<int>& stops) override { tabStops = stops; }
    void ClearList() override { entries.clear(); }
    void AddEntry(const std::string& entry) override { entries.push_back(entry); }
    std::vector<std::string> SelectedEntries() const override {
        std::vector<std::string> out;
        for (size_t i : selected)
            if (i < entries.size()) out.push_back(entries[i]);
        return out;
    }
    void SetProgressRange(int low, int high) override { ranges.emplace_back(low, high); }
    void SetProgress(int position) override { progress.push_back(position); }
    void OfferCancel(bool offered) override {
        cancelOffers.push_back(offered);
        if (offered) cancelled = false;
    }
    // The user's Cancel: clicked once `cancelWhen` holds, and it stays clicked.
    bool CancelRequested() override {
        ++cancelChecks;
        if (!cancelled && cancelWhen) cancelled = cancelWhen();
        return cancelled;
    }
    void SetCaption(const std::string& caption) override { captions.push_back(caption); }
    void Repaint() override { ++repaints; }
    void ScheduleRefresh() override {
        ++refreshesScheduled;
        timerRunning = true;
    }
    void PumpMessages() override {
        ++pumps;
        FireTimer();
    }
    void MessageBox(const std::string& caption, const std::string& text) override {
        boxes.push_back(caption + ": " + text);
    }
    bool AskYesNo(const std::string& caption, const std::string& text) override {
        questions.push_back(caption + ": " + text);
        return answerYes;
    }
    std::vector<std::string> ChooseFilesToUpload() override {
        ++choosers;
        return chosenFiles;
    }
    // Fires the timer if it runs, as a pause of the GUI's clock hands out the timer message.
    void FireTimer() {
        if (!timerRunning || !onTimer) return;
        timerRunning = false;
        onTimer();
    }

    std::vector<int> tabStops;
    std::vector<std::string> entries;
    std::vector<size_t> selected;
    std::vector<std::pair<int, int>> ranges;
    std::vector<int> progress;
    std::vector<bool> cancelOffers;
    std::function<bool()> cancelWhen;
    bool cancelled = false;
    int cancelChecks = 0;
    std::vector<std::string> captions;
    std::vector<std::string> boxes;
    std::vector<std::string> questions;
    bool answerYes = false;
    std::vector<std::string> chosenFiles;  // what the upload chooser returns; empty: cancelled
    int choosers = 0;
    int repaints = 0;
    int refreshesScheduled = 0;
    int pumps = 0;
    bool timerRunning = false;
    std::function<void()> onTimer;
};

}  // namespace varnel::test
