#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <memory>

#include "ShownDialog.h"
#include "app/CVarnelApp.h"
#include "model/ConfigFileReader.h"
#include "model/ConfigFileWriter.h"
#include "model/OptionsFile.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/MemorySettingsStore.h"
#include "support/NullModelObserver.h"
#include "support/RecordingReporter.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"
#include "support/TestPaths.h"
#include "ui/CAboutDlg.h"
#include "ui/CEditCommentDlg.h"

namespace varnel {
namespace {

class EditCommentCommand : public ::testing::Test {
protected:
    bool Run(const std::function<void(CEditCommentDlg&)>& act) {
        test::WhenShown<CEditCommentDlg>([&](CEditCommentDlg& dialog) {
            shown = dialog.CommentEdit()->text().toStdString();
            act(dialog);
        });
        return RunEditComment(app, nullptr);
    }

    test::MemorySettingsStore store;
    test::FakeClock clock;
    test::RecordingUserInterface ui;
    CVarnelApp app{store, clock, ui, nullptr, std::make_unique<test::FakePortBackend>()};
    std::string shown;
};

TEST_F(EditCommentCommand, OkTakesTheTextCancelKeepsTheComment) {
    app.model().comment = "Demo store";
    EXPECT_FALSE(Run([](CEditCommentDlg& dialog) {
        dialog.CommentEdit()->setText("changed");
        dialog.reject();
    }));
    EXPECT_EQ(shown, "Demo store");
    EXPECT_EQ(app.model().comment, "Demo store");

    EXPECT_TRUE(Run([](CEditCommentDlg& dialog) {
        dialog.CommentEdit()->setText("Counter 2");
        dialog.accept();
    }));
    EXPECT_EQ(app.model().comment, "Counter 2");
}

TEST_F(EditCommentCommand, AnUntouchedCommentKeepsItsBytes) {
    app.model().comment = "Caf\xE9";  // Windows-1252, not UTF-8
    EXPECT_TRUE(Run([](CEditCommentDlg& dialog) { dialog.accept(); }));
    EXPECT_EQ(shown, "Café");
    EXPECT_EQ(app.model().comment, "Caf\xE9");
}

TEST_F(EditCommentCommand, ACommentOfMasterSavedMakesTheFileAMasterForOverlays) {
    test::ScratchDir dir;
    test::RecordingReporter reporter;
    test::NullModelObserver observer;
    ConfigModel& model = app.model();
    ASSERT_TRUE(ReadConfigurationFile(model, test::ExamplesDir() + "/rpdemo.cfg", reporter, observer));
    ASSERT_TRUE(LocateOptionsFile(model, "RP-DEMO", reporter, test::ExamplesDir()));
    ASSERT_TRUE(Run([](CEditCommentDlg& dialog) {
        dialog.CommentEdit()->setText("MASTER");
        dialog.accept();
    }));
    ASSERT_TRUE(WriteConfigurationFile(model, dir.File("master.cfg"), reporter));

    ConfigModel fresh;
    ASSERT_TRUE(ReadConfigurationFile(fresh, dir.File("master.cfg"), reporter, observer));
    EXPECT_EQ(fresh.comment, "MASTER");
    ASSERT_TRUE(ReadConfigurationFile(fresh, test::ExamplesDir() + "/overlay.cfg", reporter, observer));
    // The overlay changed what it names and left the rest of the master.
    auto value = [&](std::string_view name) { return fresh.settings[static_cast<size_t>(FindSetting(fresh.settings, name))].value; };
    EXPECT_EQ(value("Customer_Code"), 12);
    EXPECT_EQ(value("Sleep_Timeout"), 300);
    EXPECT_TRUE(reporter.Errors().empty());
}

TEST(AboutDlgTest, ShowsTheVersionTwoMakerLinesAndAnIcon) {
    CAboutDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), "About Varnel");
    auto* version = dialog.findChild<QLabel*>("version");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), "Varnel Version 2.26");
    for (const char* name : {"maker", "web"}) {
        auto* line = dialog.findChild<QLabel*>(name);
        ASSERT_NE(line, nullptr);
        EXPECT_FALSE(line->text().isEmpty());
    }
    auto* icon = dialog.findChild<QLabel*>("icon");
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
}

}  // namespace
}  // namespace varnel
