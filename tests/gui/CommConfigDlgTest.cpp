#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QTest>

#include "ShownDialog.h"
#include "ui/QtUserInterface.h"

namespace varnel {
namespace {

constexpr SerialLineSettings kLine9600N81{9600, 8, SerialParity::None, SerialStopBits::One, SerialFlowControl::None};

QComboBox* Box(QDialog& dialog, const char* name) { return dialog.findChild<QComboBox*>(name); }

// Opens the dialog the way the port layer does; `act` works it while it is shown.
std::optional<SerialLineSettings> RunDialog(const SerialLineSettings& current, const std::function<void(QDialog&)>& act) {
    QtUserInterface ui;
    test::WhenShown<QDialog>(act, "CommConfigDialog");
    return ui.EditSerialLine("COM1", current);
}

TEST(CommConfigDlgTest, TheKeyboardChoosesAnyBaudRateAndTheLineAndEnterTakesThem) {
    std::optional<SerialLineSettings> chosen = RunDialog(kLine9600N81, [](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "COM1 Properties");
        EXPECT_EQ(Box(dialog, "baud")->currentText(), "9600");
        EXPECT_EQ(Box(dialog, "dataBits")->currentText(), "8");
        EXPECT_EQ(Box(dialog, "parity")->currentText(), "None");
        EXPECT_EQ(Box(dialog, "stopBits")->currentText(), "1");
        EXPECT_EQ(Box(dialog, "flow")->currentText(), "None");
        QLineEdit* baud = Box(dialog, "baud")->lineEdit();
        QTest::keyClick(baud, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(baud, "250000");
        QTest::keyClick(Box(dialog, "dataBits"), Qt::Key_Up);
        QTest::keyClicks(Box(dialog, "parity"), "E");
        QTest::keyClick(Box(dialog, "stopBits"), Qt::Key_End);
        QTest::keyClicks(Box(dialog, "flow"), "H");
        QTest::keyClick(Box(dialog, "flow"), Qt::Key_Return);
    });
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, (SerialLineSettings{250000, 7, SerialParity::Even, SerialStopBits::Two,
                                           SerialFlowControl::Hardware}));
}

TEST(CommConfigDlgTest, EscapeChoosesNothing) {
    EXPECT_EQ(RunDialog(kLine9600N81,
                        [](QDialog& dialog) {
                            QTest::keyClick(Box(dialog, "dataBits"), Qt::Key_Up);
                            QTest::keyClick(&dialog, Qt::Key_Escape);
                        }),
              std::nullopt);
}

TEST(CommConfigDlgTest, ItOpensOnTheLineItIsGiven) {
    const SerialLineSettings line{57600, 7, SerialParity::Mark, SerialStopBits::OneAndHalf, SerialFlowControl::XonXoff};
    std::optional<SerialLineSettings> chosen = RunDialog(line, [](QDialog& dialog) {
        EXPECT_EQ(Box(dialog, "baud")->currentText(), "57600");
        EXPECT_EQ(Box(dialog, "dataBits")->currentText(), "7");
        EXPECT_EQ(Box(dialog, "parity")->currentText(), "Mark");
        EXPECT_EQ(Box(dialog, "stopBits")->currentText(), "1.5");
        EXPECT_EQ(Box(dialog, "flow")->currentText(), "Xon / Xoff");
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    EXPECT_EQ(chosen, line);
}

}  // namespace
}  // namespace varnel
