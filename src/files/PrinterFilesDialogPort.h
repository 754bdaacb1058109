#pragma once

namespace varnel {

struct FilesContext;

// Opens the printer file manager. The Qt layer shows the dialog modally, with the main window
// hidden while it runs; the application reaches it only through this interface.
class PrinterFilesDialogPort {
public:
    virtual ~PrinterFilesDialogPort() = default;
    // Returns when the user has closed the dialog.
    virtual void ShowPrinterFilesDialog(const FilesContext& context) = 0;
};

}  // namespace varnel
