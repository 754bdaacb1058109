// The verification result dialog as the user works it: the table, "Copy", closing by key.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "MainWindowInput.h"
#include "ShownDialog.h"
#include "support/ScratchDir.h"
#include "base/VerificationTable.h"
#include "ui/CVerifyResultDlg.h"
#include "ui/QtUserInterface.h"

namespace varnel {
namespace {

const std::vector<VerificationRow> kThreeDifferences = {
    {"Baud_Rate", "115200", "19200"},
    {"Big_Number", "4660", "1000"},
    {"Header_Text", "Hello", "Goodbye"},
};

std::vector<std::string> RowTexts(const QTableWidget& table) {
    std::vector<std::string> rows;
    for (int row = 0; row < table.rowCount(); ++row) {
        std::string line;
        for (int column = 0; column < table.columnCount(); ++column)
            line += (column ? " | " : "") + table.item(row, column)->text().toStdString();
        rows.push_back(line);
    }
    return rows;
}

TEST(VerifyResultDialog, ListsTheDifferencesCopiesThemAndClosesWithEscape) {
    QtUserInterface ui;
    std::vector<std::string> shown;
    std::string copied;
    bool stillShownAfterCopy = false;
    QGuiApplication::clipboard()->clear();
    test::WhenShown<CVerifyResultDlg>([&](CVerifyResultDlg& dialog) {
        shown = RowTexts(*dialog.Table());
        // Set VARNEL_SCREENSHOT_DIR to keep a picture of the dialog for the documentation.
        if (const char* dir = std::getenv("VARNEL_SCREENSHOT_DIR"))
            dialog.grab().save(QString::fromLocal8Bit(dir) + "/screenshot-verify.png");
        QTest::mouseClick(dialog.CopyButton(), Qt::LeftButton);
        copied = QGuiApplication::clipboard()->text().toStdString();
        stillShownAfterCopy = dialog.isVisible();
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    ui.ShowVerificationResult(kThreeDifferences);

    EXPECT_EQ(shown, (std::vector<std::string>{"Baud_Rate | 115200 | 19200", "Big_Number | 4660 | 1000",
                                               "Header_Text | Hello | Goodbye"}));
    EXPECT_EQ(copied,
              "Setting\tPrinter\tConfiguration file\nBaud_Rate\t115200\t19200\nBig_Number\t4660\t1000\n"
              "Header_Text\tHello\tGoodbye\n");
    EXPECT_TRUE(stillShownAfterCopy);
    EXPECT_EQ(test::ShownDialog<CVerifyResultDlg>(), nullptr);
}

TEST(VerifyResultDialog, TheCloseButtonClosesIt) {
    QtUserInterface ui;
    test::WhenShown<CVerifyResultDlg>(
        [](CVerifyResultDlg& dialog) { QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton); });
    ui.ShowVerificationResult(kThreeDifferences);
    EXPECT_EQ(test::ShownDialog<CVerifyResultDlg>(), nullptr);
}

// The name typed gets ".csv" unless it ends so already (in any case).
TEST(VerifyResultDialog, SaveAsCsvWritesTheNameTypedWithItsEnding) {
    struct Case {
        const char* typed;
        const char* written;
    } cases[] = {{"diff report (1)", "diff report (1).csv"}, {"kept.CSV", "kept.CSV"}};
    for (const Case& c : cases) {
        test::ScratchDir dir;
        QtUserInterface ui;
        test::WhenShown<CVerifyResultDlg>([&](CVerifyResultDlg& dialog) {
            test::AnswerFileDialog(dir.File(c.typed));
            QTest::mouseClick(dialog.SaveButton(), Qt::LeftButton);
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        ui.ShowVerificationResult(kThreeDifferences);

        EXPECT_EQ(test::ReadFileBytes(dir.File(c.written)), VerificationCsv(kThreeDifferences)) << c.typed;
        EXPECT_EQ(std::filesystem::exists(dir.File(c.typed)), std::string(c.typed) == c.written) << c.typed;
    }
}

}  // namespace
}  // namespace varnel
