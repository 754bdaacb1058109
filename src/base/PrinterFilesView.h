#pragma once

#include <string>
#include <vector>

namespace varnel {

// The view's refresh timer's period.
inline constexpr int kRefreshTimerPeriodMs = 2;

// The file manager's window as its operations see it: the list, the progress bar, the caption,
// the boxes it owns and its message handling. The Qt dialog implements it; tests record.
class PrinterFilesView {
public:
    virtual ~PrinterFilesView() = default;

    // The list: entries as the printer sent them; columns at tab stops (dialog units).
    virtual void SetTabStops(const std::vector<int>& stops) = 0;
    virtual void ClearList() = 0;
    virtual void AddEntry(const std::string& entry) = 0;
    // The selected entries, in list order.
    virtual std::vector<std::string> SelectedEntries() const = 0;

    // A range of 0 to 0 shows a busy bar: work goes on, its amount is not known.
    virtual void SetProgressRange(int low, int high) = 0;
    virtual void SetProgress(int position) = 0;
    // The Cancel button of a file transfer: offered while one runs, withdrawn when it ends.
    // Offering it forgets a request made during an earlier transfer.
    virtual void OfferCancel(bool offered) = 0;
    // Whether the user asked the offered Cancel. Looked at between two blocks, never inside one.
    virtual bool CancelRequested() = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // Repaint at once, not at the next idle time.
    virtual void Repaint() = 0;

    // Starts the refresh timer (one timer: a running one is started again). When it fires, the
    // view stops it and calls the file manager's RefreshTimerFired.
    virtual void ScheduleRefresh() = 0;
    // Handles every pending window message (the refresh timer among them).
    virtual void PumpMessages() = 0;

    // Plain boxes owned by the dialog. The questions' default answer is No: each guards
    // something that cannot be undone.
    virtual void MessageBox(const std::string& caption, const std::string& text) = 0;
    virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
    // The local files the user picks for an upload, several at once; empty when cancelled.
    virtual std::vector<std::string> ChooseFilesToUpload() = 0;
};

}  // namespace varnel
