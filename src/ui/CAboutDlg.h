#pragma once

#include <QDialog>
#include <string_view>

namespace varnel {

inline constexpr std::string_view kAboutVersionText = "Varnel Version 2.26";

// "About Varnel": the program's icon and version and two lines about the maker.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace varnel
