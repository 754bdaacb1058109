#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>

#include "ShownDialog.h"
#include "io/CommConfig.h"
#include "ui/CommConfigDialog.h"

namespace varnel {
namespace {

CommConfig Line9600N81() {
    CommConfig config;
    config.dwSize = CommConfig::kSize;
    config.dcb.DCBlength = 28;
    config.dcb.BaudRate = 9600;
    config.dcb.ByteSize = 8;
    config.dcb.Parity = dcb::kNoParity;
    config.dcb.StopBits = dcb::kOneStopBit;
    return config;
}

// Runs the dialog on `record`; `act` works it while it is shown.
bool RunDialog(std::string& record, const std::function<void(QDialog&)>& act) {
    test::WhenShown<QDialog>(act, "CommConfigDialog");
    return EditCommConfigDialog(nullptr, "/dev/ttyS0", record);
}

QComboBox* Box(QDialog& dialog, const char* name) { return dialog.findChild<QComboBox*>(name); }

TEST(CommConfigDlgTest, OkStoresAnyBaudRateAndTheLineSettingsInTheRecord) {
    std::string record = Line9600N81().ToBytes();
    ASSERT_TRUE(RunDialog(record, [](QDialog& dialog) {
        EXPECT_EQ(Box(dialog, "baud")->currentText(), "9600");
        EXPECT_EQ(Box(dialog, "dataBits")->currentText(), "8");
        EXPECT_EQ(Box(dialog, "parity")->currentText(), "None");
        Box(dialog, "baud")->setCurrentText("250000");
        Box(dialog, "dataBits")->setCurrentText("7");
        Box(dialog, "parity")->setCurrentText("Even");
        Box(dialog, "stopBits")->setCurrentText("2");
        Box(dialog, "flow")->setCurrentText("Hardware");
        dialog.accept();
    }));
    ASSERT_EQ(record.size(), CommConfig::kSize);
    Dcb dcb = CommConfig::FromBytes(record).dcb;
    EXPECT_EQ(dcb.BaudRate, 250000u);
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.Parity, dcb::kEvenParity);
    EXPECT_TRUE(dcb.Has(dcb::fParity));
    EXPECT_EQ(dcb.StopBits, dcb::kTwoStopBits);
    EXPECT_TRUE(dcb.Has(dcb::fOutxCtsFlow));
    EXPECT_EQ(dcb.RtsControl(), dcb::kRtsControlHandshake);
    EXPECT_FALSE(dcb.Has(dcb::fOutX));
}

TEST(CommConfigDlgTest, CancelKeepsTheRecord) {
    const std::string before = Line9600N81().ToBytes();
    std::string record = before;
    EXPECT_FALSE(RunDialog(record, [](QDialog& dialog) {
        Box(dialog, "baud")->setCurrentText("19200");
        dialog.reject();
    }));
    EXPECT_EQ(record, before);
}

TEST(CommConfigDlgTest, AnEmptyRecordShowsAWorkingLineRatherThanFiveDataBits) {
    std::string record(CommConfig::kSize, '\0');
    ASSERT_TRUE(RunDialog(record, [](QDialog& dialog) {
        EXPECT_EQ(Box(dialog, "baud")->currentText(), "9600");
        EXPECT_EQ(Box(dialog, "dataBits")->currentText(), "8");
        dialog.accept();
    }));
    Dcb dcb = CommConfig::FromBytes(record).dcb;
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.ByteSize, 8);
}

}  // namespace
}  // namespace varnel
