#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MainWindowInput.h"
#include "ShownDialog.h"
#include "app/CVarnelApp.h"
#include "app/EditConfiguration.h"
#include "app/EditPages.h"
#include "model/ConfigFileReader.h"
#include "model/MapFile.h"
#include "model/OptionsFile.h"
#include "support/DemoModel.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/MemorySettingsStore.h"
#include "support/NullModelObserver.h"
#include "support/RecordingReporter.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"
#include "ui/CEditSettingsDlg.h"
#include "ui/QtUserInterface.h"

namespace varnel {
namespace {

// ---- Real input on the shown dialog

void ClickGroup(CEditSettingsDlg& dialog, const QString& group) {
    QListWidget* list = dialog.GroupList();
    const QList<QListWidgetItem*> items = list->findItems(group, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << group.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items[0]).center());
    ASSERT_EQ(list->currentItem(), items[0]);
    // The new page is laid out before the user sees it.
    QApplication::processEvents();
}

// Presses Tab on whatever has the focus until `target` has it.
void TabTo(QWidget* target) {
    for (int presses = 0; presses < 100 && QApplication::focusWidget() != target; ++presses)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), target);
}

void TypeInto(QLineEdit* edit, const QString& text) {
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
}

void ClickButton(CEditSettingsDlg& dialog, QDialogButtonBox::StandardButton which) {
    QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(which), Qt::LeftButton);
}

// A turn of the mouse wheel over `widget`, delivered as the window system delivers it.
void Wheel(QWidget* widget, int notches) {
    const QPointF at = QRectF(widget->rect()).center();
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    // Only a wheel event from the window system goes on to the parents a widget leaves it to;
    // QTest delivers its own key and mouse events the same way.
    QSpontaneKeyEvent::setSpontaneous(&event);
    QApplication::instance()->notify(widget, &event);
}

int RowOf(const CEditSettingsDlg& dialog, const QString& label) {
    for (int i = 0; i < dialog.RowCount(); ++i)
        if (dialog.RowLabel(i)->isVisibleTo(&dialog) && dialog.RowLabel(i)->text() == label) return i;
    ADD_FAILURE() << "no row " << label.toStdString();
    return 0;
}

// Whether `widget` lies wholly inside the part of the page the scroll area shows.
bool InView(const CEditSettingsDlg& dialog, const QWidget* widget) {
    const QWidget* viewport = dialog.RowArea()->viewport();
    const QRect shown(widget->mapTo(viewport, QPoint(0, 0)), widget->size());
    return viewport->rect().contains(shown);
}

void ShowAndActivate(QWidget& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// The demo model's configuration, options and map, loaded as a user loads them, in a folder
// that holds no help page.
class EditDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::CopyDemoModel(dir_.path());
        test::NullModelObserver observer;
        ASSERT_TRUE(ReadConfigurationFile(model_, dir_.File("rpdemo.cfg"), reporter_, observer));
        ASSERT_TRUE(LocateOptionsFile(model_, "RP-DEMO", reporter_, dir_.path()));
        ASSERT_TRUE(ReadMapFile(model_, model_.mapEntries, dir_.File("rpdemo_101.map"), false, reporter_));
        // The read-only settings a file does not keep, as a read from the printer adds them.
        for (const char* readOnly : {"Density_Compensate", "Head_Dot_Count"}) {
            auto empty = std::find_if(model_.settings.begin(), model_.settings.end(),
                                      [](const SettingRow& row) { return row.IsEmpty(); });
            ASSERT_NE(empty, model_.settings.end());
            *empty = SettingRow{readOnly, 0, "", "", ""};
        }
        model_.startDirectory = dir_.path();
        reporter_.entries.clear();
        pages_ = std::make_unique<EditPages>(model_, reporter_, nullptr);
        pages_->Open();
    }

    test::ScratchDir dir_;
    ConfigModel model_;
    test::RecordingReporter reporter_;
    std::unique_ptr<EditPages> pages_;
    test::RecordingUserInterface ui_;
};

TEST_F(EditDialogTest, OpensOnGeneralSettingsWithItsCaptionsAndTheCurrentValues) {
    CEditSettingsDlg dialog(*pages_, ui_);
    ShowAndActivate(dialog);
    EXPECT_EQ(dialog.windowTitle(), "Configuration Edit");
    bool captioned = false;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        captioned |= label->isVisible() && label->text() == "Configuration Catagory";
    EXPECT_TRUE(captioned);
    QStringList groups;
    for (int i = 0; i < dialog.GroupList()->count(); ++i) groups << dialog.GroupList()->item(i)->text();
    EXPECT_EQ(groups, (QStringList{"Barcode Settings", "General Settings", "Identity", "Paper Handling",
                                   "Print Setup", "Serial Interface"}));
    EXPECT_EQ(dialog.GroupList()->currentItem()->text(), "General Settings");
    EXPECT_EQ(dialog.RowLabel(0)->text(), "Print Mode");
    EXPECT_EQ(dialog.RowList(0)->currentText(), "Standard");
    EXPECT_EQ(dialog.RowList(RowOf(dialog, "Buzzer Volume"))->currentText(), "Level 2");  // 2 of the range 1-3
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    EXPECT_EQ(buttons->button(QDialogButtonBox::Ok)->text().remove('&'), "OK");
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text().remove('&'), "Cancel");
    EXPECT_TRUE(reporter_.Errors().empty());
}

TEST_F(EditDialogTest, ChoosingAnotherGroupKeepsTheDialogsSizeAndItsRowsInPlace) {
    CEditSettingsDlg dialog(*pages_, ui_);
    ShowAndActivate(dialog);
    const QSize size = dialog.size();
    auto rowTop = [&](int row) { return dialog.RowLabel(row)->mapTo(&dialog, QPoint(0, 0)).y(); };
    const int secondRow = rowTop(1);
    const int thirdRow = rowTop(2);
    for (const char* group : {"Identity", "Print Setup", "Serial Interface", "General Settings"}) {
        SCOPED_TRACE(group);
        ClickGroup(dialog, group);
        EXPECT_EQ(dialog.size(), size);
        EXPECT_EQ(rowTop(1), secondRow);
        EXPECT_EQ(rowTop(2), thirdRow);
    }
    // The "?" buttons are small squares beside lists that take the column's width.
    EXPECT_EQ(dialog.RowHelp(0)->width(), dialog.RowHelp(0)->height());
    EXPECT_LT(dialog.RowHelp(0)->width() * 4, dialog.RowList(0)->width());
}

TEST_F(EditDialogTest, TextBoxesShowTheirWholeTextAndNotWritableSettingsAreDisabled) {
    CEditSettingsDlg dialog(*pages_, ui_);
    ShowAndActivate(dialog);
    ClickGroup(dialog, "Identity");
    QLineEdit* header = dialog.RowEdit(RowOf(dialog, "Header Text"));
    QLineEdit* firmware = dialog.RowEdit(RowOf(dialog, "Firmware ID"));
    ASSERT_TRUE(header->isVisible());
    EXPECT_FALSE(dialog.RowList(RowOf(dialog, "Header Text"))->isVisible());
    EXPECT_EQ(header->text(), "WELCOME TO THE DEMO STORE");
    EXPECT_EQ(header->maxLength(), 40);  // the map's width of Header_Text
    EXPECT_LT(header->fontMetrics().horizontalAdvance(header->text()), header->contentsRect().width());
    // A field of 40 characters has room for 40 characters, within the value column.
    EXPECT_GE(header->width(), header->fontMetrics().horizontalAdvance(QString(40, 'a')));
    EXPECT_LE(header->width(), dialog.RowList(0)->width());
    EXPECT_TRUE(header->isEnabled());
    EXPECT_FALSE(firmware->isEnabled());

    ClickGroup(dialog, "Print Setup");
    EXPECT_FALSE(dialog.RowList(RowOf(dialog, "Head Dot Count"))->isEnabled());
    EXPECT_TRUE(dialog.RowList(RowOf(dialog, "Print Quality"))->isEnabled());
}

TEST_F(EditDialogTest, TheLastSettingsOfALargeGroupAreReachedWithTheMouse) {
    CEditSettingsDlg dialog(*pages_, ui_);
    ShowAndActivate(dialog);
    ClickGroup(dialog, "Print Setup");
    ASSERT_EQ(dialog.RowCount(), 26);
    const int last = RowOf(dialog, "Head Dot Count");
    EXPECT_EQ(last, 25);
    EXPECT_FALSE(InView(dialog, dialog.RowHelp(last)));

    // The wheel over a list that has no focus scrolls the page and leaves the setting alone.
    QComboBox* density = dialog.RowList(0);
    const QString densityBefore = density->currentText();
    for (int turn = 0; turn < 10 && !InView(dialog, dialog.RowHelp(last)); ++turn) Wheel(density, -3);
    EXPECT_EQ(density->currentText(), densityBefore);
    ASSERT_TRUE(InView(dialog, dialog.RowHelp(last)));
    EXPECT_EQ(dialog.RowList(last)->currentText(), "576 dots");

    QTest::mouseClick(dialog.RowHelp(last), Qt::LeftButton);
    EXPECT_EQ(ui_.helpPages, std::vector<std::string>{dir_.path() + "/Varnel.html#Head_Dot_Count"});
    // A group that fits shows from its top again.
    ClickGroup(dialog, "General Settings");
    EXPECT_TRUE(InView(dialog, dialog.RowList(0)));
}

TEST_F(EditDialogTest, AHelpPageThatCannotBeOpenedIsSaidInABoxWithItsPath) {
    QtUserInterface ui;
    QString boxText;
    test::WhenShown<CEditSettingsDlg>([&](CEditSettingsDlg& dialog) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        QTimer::singleShot(0, [&] {
            QMessageBox* box = test::ShownDialog<QMessageBox>();
            ASSERT_NE(box, nullptr);
            boxText = box->text();
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        QTest::mouseClick(dialog.RowHelp(0), Qt::LeftButton);
        ClickButton(dialog, QDialogButtonBox::Cancel);
    });
    EXPECT_FALSE(ui.EditConfiguration(*pages_));
    EXPECT_TRUE(boxText.contains(QString::fromStdString(dir_.path() + "/Varnel.html"))) << boxText.toStdString();
}

// The Edit Configuration command with the Qt user interface, in a working folder holding the
// demo model's files, as a user starts the program there.
class EditCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::CopyDemoModel(dir_.path());
        dir_.Enter();
        app_.model().startDirectory = dir_.path();
        test::NullModelObserver observer;
        ASSERT_TRUE(ReadConfigurationFile(app_.model(), "rpdemo.cfg", app_, observer));
        app_.model().modified = false;
    }

    // Runs the command while `act` works its dialog; a dialog `act` leaves open fails the test.
    bool Run(const std::function<void(CEditSettingsDlg&)>& act) {
        test::WhenShown<CEditSettingsDlg>([act](CEditSettingsDlg& dialog) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
            act(dialog);
            if (!dialog.isVisible()) return;
            ADD_FAILURE() << "the dialog was left open";
            dialog.reject();
        });
        return RunEditConfiguration(app_);
    }
    int32_t Value(std::string_view name) const {
        const SettingsTable& settings = app_.model().settings;
        return settings[static_cast<size_t>(FindSetting(settings, name))].value;
    }
    std::string Text(std::string_view name) const {
        const SettingsTable& settings = app_.model().settings;
        return settings[static_cast<size_t>(FindSetting(settings, name))].text;
    }

    test::ScratchDir dir_;
    test::MemorySettingsStore store_;
    test::FakeClock clock_;
    QtUserInterface ui_;
    CVarnelApp app_{store_, clock_, ui_, nullptr, std::make_unique<test::FakePortBackend>()};
};

// The same keyboard and mouse edits on two pages, ended with Cancel and then with OK.
struct Ending {
    QDialogButtonBox::StandardButton button;
    bool accepted;
    int32_t printMode;
    const char* headerText;
};

TEST_F(EditCommandTest, EditsOnTwoPagesAreDroppedOnCancelAndStoredOnOk) {
    const Ending endings[] = {
        {QDialogButtonBox::Cancel, false, 0, "WELCOME TO THE DEMO STORE"},
        {QDialogButtonBox::Ok, true, 2, "HELLO THERE"},
    };
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.accepted ? "OK" : "Cancel");
        EXPECT_EQ(Run([&ending](CEditSettingsDlg& dialog) {
                      ClickGroup(dialog, "General Settings");
                      TabTo(dialog.RowList(0));
                      QTest::keyClicks(dialog.RowList(0), "L");  // "Label Mode"
                      ClickGroup(dialog, "Identity");
                      TypeInto(dialog.RowEdit(RowOf(dialog, "Header Text")), "HELLO THERE");
                      ClickButton(dialog, ending.button);
                  }),
                  ending.accepted);
        EXPECT_EQ(Value("Print_Mode"), ending.printMode);
        EXPECT_EQ(Text("Header_Text"), ending.headerText);
        EXPECT_EQ(app_.model().modified, ending.accepted);
    }
}

// Types `text` key by key, also characters no key of the test's keyboard carries (as an input
// method hands them over).
void TypeCharacters(QLineEdit* edit, const QString& text) {
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    for (QChar character : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(character), Qt::NoModifier);
}

// A text goes to the printer in its code page: typed characters become Windows-1252 bytes, one
// per character, as many as the field holds; a character the code page lacks is refused and
// the dialog says which.
TEST_F(EditCommandTest, TextsAreKeptInThePrintersCodePageAndOtherCharactersRefused) {
    QString reason;
    QString shown;
    QString reasonAfterNextKey;
    EXPECT_TRUE(Run([&](CEditSettingsDlg& dialog) {
        ClickGroup(dialog, "Identity");
        QLineEdit* header = dialog.RowEdit(RowOf(dialog, "Header Text"));
        TypeCharacters(header, QString::fromUtf8("Caf\u00e9 \u00fcn\u00efcode \u20acuro \u0151"));
        reason = dialog.findChild<QLabel*>("reason")->text();
        shown = header->text();
        QTest::keyClicks(header, QString::fromUtf8("!"));
        reasonAfterNextKey = dialog.findChild<QLabel*>("reason")->text();
        ClickButton(dialog, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(reason.toStdString(),
              "\"\u0151\" cannot be sent: the printer's code page (Windows-1252) has no such character.");
    EXPECT_EQ(shown.toStdString(), "Caf\u00e9 \u00fcn\u00efcode \u20acuro ");
    EXPECT_TRUE(reasonAfterNextKey.isEmpty());
    EXPECT_EQ(Text("Header_Text"), "Caf\xE9 \xFCn\xEF" "code \x80uro !");

    // The field's 40 bytes: 40 characters of one byte each, however they look on screen.
    EXPECT_TRUE(Run([](CEditSettingsDlg& dialog) {
        ClickGroup(dialog, "Identity");
        TypeCharacters(dialog.RowEdit(RowOf(dialog, "Header Text")), QString(45, QChar(0x00E9)));
        ClickButton(dialog, QDialogButtonBox::Ok);
    }));
    EXPECT_EQ(Text("Header_Text"), std::string(40, '\xE9'));
}

// A blank printer's value that no option lists: one report, the value shown as the printer's,
// and OK keeps it while a setting the user changed is stored.
TEST_F(EditCommandTest, APrinterValueNotInTheOptionsIsShownAsSuchAndKept) {
    SettingsTable& settings = app_.model().settings;
    settings[static_cast<size_t>(FindSetting(settings, "Print_Mode"))].value = 77;
    settings[static_cast<size_t>(FindSetting(settings, "Emulation"))].value = 78;
    std::vector<std::string> boxes;
    QString shown;
    test::EveryBoxAnswered answered;
    // The report comes as the pages open, before the dialog shows.
    test::WhenShownAfterWaits<CEditSettingsDlg>([&](CEditSettingsDlg& dialog) {
        test::Activate(dialog);
        ClickGroup(dialog, "General Settings");
        shown = dialog.RowList(RowOf(dialog, "Print Mode"))->currentText();
        // Set VARNEL_SCREENSHOT_DIR to keep a picture of the dialog.
        if (const char* dir = std::getenv("VARNEL_SCREENSHOT_DIR"))
            dialog.grab().save(QString::fromLocal8Bit(dir) + "/edit-unlisted-value.png");
        QComboBox* emulation = dialog.RowList(RowOf(dialog, "Emulation"));
        TabTo(emulation);
        QTest::keyClick(emulation, Qt::Key_Home);
        ClickButton(dialog, QDialogButtonBox::Ok);
    });
    EXPECT_TRUE(RunEditConfiguration(app_));
    EXPECT_EQ(shown, "(printer value 77: not in the options)");
    EXPECT_EQ(answered.texts.size(), 1u);
    ASSERT_FALSE(answered.texts.empty());
    EXPECT_NE(answered.texts[0].find("Print_Mode, Emulation"), std::string::npos) << answered.texts[0];
    EXPECT_EQ(Value("Print_Mode"), 77);
    EXPECT_EQ(Value("Emulation"), 0);
}

TEST_F(EditCommandTest, ASettingBeyondTheEighteenthIsReachedByTabAndStored) {
    EXPECT_TRUE(Run([](CEditSettingsDlg& dialog) {
        ClickGroup(dialog, "Print Setup");
        QComboBox* quality = dialog.RowList(RowOf(dialog, "Print Quality"));
        ASSERT_GE(RowOf(dialog, "Print Quality"), CEditSettingsDlg::kVisibleRows);
        EXPECT_FALSE(InView(dialog, quality));
        TabTo(quality);
        EXPECT_TRUE(InView(dialog, quality));
        QTest::keyClick(quality, Qt::Key_Down);
        EXPECT_EQ(quality->currentText(), "High Quality");
        // Enter on a list takes the dialog's default button, OK.
        QTest::keyClick(quality, Qt::Key_Return);
    }));
    EXPECT_EQ(Value("Print_Quality"), 2);
    EXPECT_TRUE(app_.model().modified);
}

}  // namespace
}  // namespace varnel
