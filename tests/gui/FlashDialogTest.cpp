#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "FlashChoiceInput.h"
#include "MainWindowInput.h"
#include "ShownDialog.h"
#include "flash/UpdateFirmware.h"
#include "io/IOComm.h"
#include "io/Reconnect.h"
#include "model/ConfigModel.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/MemorySettingsStore.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"
#include "ui/CFlashDlg.h"
#include "ui/QtUserInterface.h"

namespace varnel {
namespace {

using namespace std::string_literals;

FlashDialogTexts SampleTexts() {
    return FlashDialogTexts{"VSBL-1.05", "RPD1-1.00", "RPD1_1*", "FLASH 29F040", "examples/RPD1_101.BOT",
                            "RPD1-1.01"};
}

QLineEdit* Field(QDialog& dialog, int id) { return dialog.findChild<QLineEdit*>(QStringLiteral("field%1").arg(id)); }

// The colour a line edit shows inside its frame, to the right of its text.
QColor Inside(QLineEdit& edit) {
    QImage image = edit.grab().toImage();
    return image.pixelColor(image.width() - 8, image.height() / 2);
}

TEST(FlashDialogTest, ShowsTheSixTextsUnderTheirLabelsInFieldsThatLookReadOnly) {
    CFlashDlg dialog(SampleTexts());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Firmware Update");
    QLineEdit editable;
    editable.show();

    struct FieldCase {
        int id;
        const char* label;
        const char* text;
    } fields[] = {
        {1056, "Boot Loader Rev.", "VSBL-1.05"}, {1057, "Firmware Rev.", "RPD1-1.00"},
        {1061, "Firmware ID", "RPD1_1*"},        {1065, "Flash ID", "FLASH 29F040"},
        {1062, "File Selected", "examples/RPD1_101.BOT"}, {1063, "File Rev.", "RPD1-1.01"},
    };
    auto* form = dialog.findChild<QFormLayout*>();
    ASSERT_NE(form, nullptr);
    for (const FieldCase& f : fields) {
        QLineEdit* edit = Field(dialog, f.id);
        ASSERT_NE(edit, nullptr) << f.id;
        EXPECT_EQ(edit->text(), f.text);
        EXPECT_TRUE(edit->isReadOnly());
        auto* label = qobject_cast<QLabel*>(form->labelForField(edit));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), f.label);
        // Drawn in the dialog's own colour, unlike a box that takes typing.
        EXPECT_EQ(Inside(*edit), dialog.palette().color(QPalette::Window)) << f.id;
        EXPECT_NE(Inside(*edit), Inside(editable)) << f.id;
        QTest::keyClicks(edit, "typed");
        EXPECT_EQ(edit->text(), f.text);
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

// The dialog shown while the boot loader is asked says so, takes no choice yet, shows the answers
// as they come and then becomes the choice itself, in place.
TEST(FlashDialogTest, WhileTheBootLoaderIsAskedTheDialogShowsItAndBecomesTheChoice) {
    QtUserInterface ui;
    FlashDialogTexts texts;
    texts.firmwareId = "PB15_1*";
    const FlashProgressView asking{FlashProgressView::Stage::Asking, 0, "Asking the printer's boot loader..."};
    ui.ShowFlashProgress(texts, asking);

    QPointer<CFlashDlg> dialog = test::ShownDialog<CFlashDlg>();
    ASSERT_NE(dialog, nullptr);
    test::Activate(*dialog);
    auto* line = dialog->findChild<QLabel*>("progressText");
    EXPECT_TRUE(line->isVisible());
    EXPECT_EQ(line->text(), "Asking the printer's boot loader...");
    EXPECT_EQ(dialog->findChild<QProgressBar*>("progress")->maximum(), 0) << "busy, no amount known";
    EXPECT_FALSE(dialog->findChild<QLabel*>("noCancelNote")->isVisible());
    EXPECT_EQ(Field(*dialog, 1061)->text(), "PB15_1*");
    EXPECT_EQ(Field(*dialog, 1056)->text(), "");
    for (const char* name : {"ok", "cancel", "exitBoot", "selectFile"}) {
        auto* button = dialog->findChild<QPushButton*>(name);
        EXPECT_TRUE(button->isVisible()) << name;
        EXPECT_FALSE(button->isEnabled()) << name;
    }
    QTest::keyClick(dialog, Qt::Key_Escape);
    QTest::keyClick(dialog, Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible()) << "nothing to cancel or choose yet";

    texts.bootLoaderRev = "PB15 BL 1.2";
    ui.ShowFlashProgress(texts, asking);
    EXPECT_EQ(test::ShownDialog<CFlashDlg>(), dialog.data()) << "the same dialog, filled in";
    EXPECT_EQ(Field(*dialog, 1056)->text(), "PB15 BL 1.2");

    texts = SampleTexts();
    bool sameDialog = false;
    test::WhenFlashChoiceOffered([&sameDialog, dialog](CFlashDlg& choice) {
        sameDialog = &choice == dialog.data();
        EXPECT_FALSE(choice.findChild<QLabel*>("progressText")->isVisible());
        EXPECT_FALSE(choice.findChild<QProgressBar*>("progress")->isVisible());
        test::Activate(choice);
        QTest::mouseClick(choice.findChild<QPushButton*>("exitBoot"), Qt::LeftButton);
    });
    EXPECT_EQ(ui.ChooseFlashAction(texts), FlashChoice::ExitBoot);
    EXPECT_TRUE(sameDialog);
    EXPECT_EQ(test::ShownDialog<CFlashDlg>(), nullptr);
    EXPECT_TRUE(dialog.isNull()) << "gone with the choice";
}

// A configuration that allows flashing, on a USB printer port (no baud switch).
ConfigModel FlashableModel() {
    ConfigModel model;
    model.settings[0].name = "Firmware_ID";
    model.settings[0].text = "PB15_1*";
    model.portName = "USB001";
    return model;
}

// What the firmware dialog showed at one moment of an update.
struct Seen {
    QString text;
    int value;
    int maximum;
    bool buttonsShown;
    QString title;
    QString note;  // the line under the progress, when shown
};

const QString kNoCancelNote = QStringLiteral("The update cannot be cancelled: a printer left half-flashed cannot start.");

std::optional<Seen> SeeProgress() {
    CFlashDlg* dialog = test::ShownDialog<CFlashDlg>();
    if (!dialog) return std::nullopt;
    auto* bar = dialog->findChild<QProgressBar*>("progress");
    auto* note = dialog->findChild<QLabel*>("noCancelNote");
    return Seen{dialog->findChild<QLabel*>("progressText")->text(), bar->value(), bar->maximum(),
                dialog->findChild<QDialogButtonBox*>()->isVisible(), dialog->windowTitle(),
                note->isVisible() ? note->text() : QString()};
}

// A clock that looks at the dialog whenever the update waits.
class WatchingClock : public test::FakeClock {
public:
    void Sleep(int64_t ms) override {
        if (std::optional<Seen> seen = SeeProgress()) seenWhileWaiting.push_back(*seen);
        FakeClock::Sleep(ms);
    }
    std::vector<Seen> seenWhileWaiting;
};

// An interactive update on the fake port: a boot loader that answers its queries and takes the
// boot file a thousand bytes per 100 ms; the dialog is watched at every block.
TEST(FlashDialogTest, DuringAnUpdateTheDialogShowsProgressRatesAndThePrintersRestart) {
    ResetRetryStates();
    test::ScratchDir dir;
    dir.Write("PB15_101.BOT", std::string(20000, 'B'));
    ConfigModel model = FlashableModel();
    test::MemorySettingsStore store;
    WatchingClock clock;
    test::RecordingReporter reporter;
    QtUserInterface ui;
    test::FakePortBackend backend;
    std::vector<Seen> seenWhileStreaming;
    bool streaming = false;
    backend.responder = [&](test::FakePortBackend& port, const std::string& written) {
        if (written == "\x00\x02\x42"s) port.QueueReply("PB15 BL 1.2\r");
        if (written == "\x02\x45"s) port.QueueReply("FLASH 29F040\r");
        if (written == "\x02\x4B"s) {
            port.QueueReply("PB15-1.00\r");
            streaming = true;
            return;
        }
        if (!streaming) return;
        if (std::optional<Seen> seen = SeeProgress()) seenWhileStreaming.push_back(*seen);
        clock.Advance(100);
    };
    test::WhenFlashChoiceOffered([&dir](CFlashDlg& dialog) {
        EXPECT_EQ(Field(dialog, 1062)->text(), QString::fromStdString(dir.File("PB15_101.BOT")));
        EXPECT_EQ(Field(dialog, 1063)->text(), "PB15-1.01");
        QTest::mouseClick(dialog.findChild<QPushButton*>("ok"), Qt::LeftButton);
    });
    FlashContext context{model, reporter, clock, ui, [&] { return std::make_unique<IOComm>(store, clock, reporter, backend); }};

    ASSERT_EQ(UpdateFirmware(context, dir.path() + "/", false), 1);

    ASSERT_EQ(seenWhileStreaming.size(), 20u);
    const QRegularExpression progressText(R"(^Flashing: \d+ of 20000 bytes \(\d+%\)(, \d+\.\d KB/s)?$)");
    bool rateSeen = false;
    for (const Seen& seen : seenWhileStreaming) {
        EXPECT_EQ(seen.title, "Firmware Update");
        EXPECT_FALSE(seen.buttonsShown) << "the update cannot be stopped half-way";
        EXPECT_EQ(seen.note, kNoCancelNote);
        EXPECT_TRUE(progressText.match(seen.text).hasMatch()) << seen.text.toStdString();
        EXPECT_EQ(seen.maximum, 100);
        if (seen.text == "Flashing: 18000 of 20000 bytes (90%), 9.8 KB/s") {
            rateSeen = true;
            EXPECT_EQ(seen.value, 90);
        }
    }
    EXPECT_TRUE(rateSeen);

    QStringList waits;
    int askingWaits = 0;
    for (const Seen& seen : clock.seenWhileWaiting) {
        if (seen.text == "Asking the printer's boot loader...") {
            // The pauses between the boot loader's questions, before the choice.
            ++askingWaits;
            EXPECT_TRUE(seen.buttonsShown);
            EXPECT_TRUE(seen.note.isEmpty());
            continue;
        }
        EXPECT_EQ(seen.maximum, 0) << "a busy bar while the printer restarts";
        EXPECT_EQ(seen.note, kNoCancelNote);
        waits << seen.text;
    }
    EXPECT_EQ(waits, (QStringList{"Waiting for the printer to restart: 6 s", "Waiting for the printer to restart: 5 s",
                                  "Waiting for the printer to restart: 4 s", "Waiting for the printer to restart: 3 s",
                                  "Waiting for the printer to restart: 2 s", "Waiting for the printer to restart: 1 s"}));
    EXPECT_GT(askingWaits, 0);
    EXPECT_EQ(test::ShownDialog<CFlashDlg>(), nullptr) << "the dialog closes when the update is done";
    EXPECT_EQ(reporter.Statuses().back(), "Flash Updated");
}

// "SELECT FILE", then Escape in the file chooser: the firmware dialog comes back with the file it
// showed, and Cancel there ends the update without a report or a byte streamed.
TEST(FlashDialogTest, ACancelledFileChooserReturnsToTheDialogUnchanged) {
    ResetRetryStates();
    test::ScratchDir dir;
    dir.Write("PB15_101.BOT", std::string(3000, 'B'));
    ConfigModel model = FlashableModel();
    test::MemorySettingsStore store;
    test::FakeClock clock;
    test::RecordingReporter reporter;
    QtUserInterface ui;
    test::FakePortBackend backend;
    backend.responder = [](test::FakePortBackend& port, const std::string& written) {
        if (written == "\x00\x02\x42"s) port.QueueReply("PB15 BL 1.2\r");
        if (written == "\x02\x45"s) port.QueueReply("FLASH 29F040\r");
        if (written == "\x02\x4B"s) port.QueueReply("PB15-1.00\r");
    };
    QString firstShown;
    QString secondShown;
    test::WhenFlashChoiceOffered([&firstShown](CFlashDlg& dialog) {
        firstShown = Field(dialog, 1062)->text();
        QTest::mouseClick(dialog.findChild<QPushButton*>("selectFile"), Qt::LeftButton);
    });
    test::WhenShownAfterWaits<QFileDialog>([](QFileDialog& chooser) {
        test::Activate(chooser);
        QTest::keyClick(&chooser, Qt::Key_Escape);
    });
    test::WhenFlashChoiceOffered([&secondShown](CFlashDlg& dialog) {
        secondShown = Field(dialog, 1062)->text();
        QTest::mouseClick(dialog.findChild<QPushButton*>("cancel"), Qt::LeftButton);
    });
    FlashContext context{model, reporter, clock, ui, [&] { return std::make_unique<IOComm>(store, clock, reporter, backend); }};

    EXPECT_EQ(UpdateFirmware(context, dir.path() + "/", false), 0);

    EXPECT_EQ(firstShown, QString::fromStdString(dir.File("PB15_101.BOT")));
    EXPECT_EQ(secondShown, firstShown);
    EXPECT_TRUE(reporter.Errors().empty());
    EXPECT_EQ(backend.writeCalls.back(), "\x02\x4B"s) << "nothing streamed after the firmware query";
}

}  // namespace
}  // namespace varnel
