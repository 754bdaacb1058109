#include <gtest/gtest.h>

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/CFlashDlg.h"

namespace varnel {
namespace {

FlashDialogTexts SampleTexts() {
    return FlashDialogTexts{"VSBL-1.05", "RPD1-1.00", "RPD1_1*", "FLASH 29F040", "examples/RPD1_101.BOT",
                            "RPD1-1.01"};
}

TEST(FlashDialogTest, ShowsTheSixTextsReadOnlyUnderTheirLabels) {
    CFlashDlg dialog(SampleTexts());
    EXPECT_EQ(dialog.windowTitle(), "Dialog");

    struct Field {
        int id;
        const char* label;
        const char* text;
    } fields[] = {
        {1056, "Boot Loader Rev.", "VSBL-1.05"}, {1057, "Firmware Rev.", "RPD1-1.00"},
        {1061, "Firmware ID", "RPD1_1*"},        {1065, "Flash ID", "FLASH 29F040"},
        {1062, "File Selected", "examples/RPD1_101.BOT"}, {1063, "File Rev.", "RPD1-1.01"},
    };
    for (const Field& f : fields) {
        QLineEdit* edit = dialog.Field(f.id);
        ASSERT_NE(edit, nullptr) << f.id;
        EXPECT_EQ(edit->text(), f.text);
        EXPECT_TRUE(edit->isReadOnly());
        auto* form = dialog.findChild<QFormLayout*>();
        ASSERT_NE(form, nullptr);
        auto* label = qobject_cast<QLabel*>(form->labelForField(edit));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), f.label);
    }
}

TEST(FlashDialogTest, EachButtonEndsTheDialogWithItsId) {
    struct Case {
        const char* button;
        const char* text;
        int result;
        FlashChoice choice;
    } cases[] = {
        {"ok", "OK", 1, FlashChoice::Flash},
        {"cancel", "Cancel", 2, FlashChoice::Cancel},
        {"exitBoot", "EXIT BOOT", 1060, FlashChoice::ExitBoot},
        {"selectFile", "SELECT FILE", 1064, FlashChoice::SelectFile},
    };
    for (const Case& c : cases) {
        CFlashDlg dialog(SampleTexts());
        auto* button = dialog.findChild<QPushButton*>(c.button);
        ASSERT_NE(button, nullptr) << c.button;
        EXPECT_EQ(button->text(), c.text);
        QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
        int result = dialog.exec();
        EXPECT_EQ(result, c.result) << c.button;
        EXPECT_EQ(CFlashDlg::ChoiceFromResult(result), c.choice) << c.button;
    }
}

TEST(FlashDialogTest, EscapeCancels) {
    CFlashDlg dialog(SampleTexts());
    QTimer::singleShot(0, &dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(CFlashDlg::ChoiceFromResult(dialog.exec()), FlashChoice::Cancel);
}

}  // namespace
}  // namespace varnel
