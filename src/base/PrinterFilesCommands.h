#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/PrinterFilesView.h"

namespace varnel {

// What the file manager's dialog asks of the file manager: its buttons, its drop target and its
// refresh timer. The dialog only shows and asks; these do the printer work.
class PrinterFilesCommands {
public:
    virtual ~PrinterFilesCommands() = default;

    // Dialog start: caption and a scheduled refresh.
    virtual void Initialise() = 0;
    // Refresh List: a refresh asked for while one runs is that one.
    virtual void ScheduleRefresh() = 0;
    // The view's refresh timer fired.
    virtual void RefreshTimerFired() = 0;
    // Whether an operation, a list read among them, is running.
    virtual bool Busy() const = 0;
    // Uploads local files (a drop on the list); "Upload..." asks the view for them first.
    virtual int Upload(const std::vector<std::string>& paths) = 0;
    virtual int UploadChosen() = 0;
    virtual int SaveToDisk() = 0;
    virtual int Delete() = 0;
    virtual int DeleteAll() = 0;
    virtual int ResetPrinter() = 0;
    // "Comm Port": the program's port selection; only when CanSelectPort.
    virtual void CommPort() = 0;
    virtual bool CanSelectPort() const = 0;
};

// Makes the file manager's commands for the dialog that shows them.
using PrinterFilesOpener = std::function<std::unique_ptr<PrinterFilesCommands>(PrinterFilesView& view)>;

}  // namespace varnel
