#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <vector>

#include "ShownDialog.h"
#include "app/CVarnelApp.h"
#include "app/EditCommentCommand.h"
#include "model/ConfigFileReader.h"
#include "model/ConfigFileWriter.h"
#include "model/OptionsFile.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/MemorySettingsStore.h"
#include "support/NullModelObserver.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"
#include "support/TestPaths.h"
#include "ui/CAboutDlg.h"
#include "ui/CEditCommentDlg.h"
#include "ui/QtUserInterface.h"

namespace varnel {
namespace {

QLineEdit* CommentEdit(QDialog& dialog) { return dialog.findChild<QLineEdit*>("id1051"); }

void ReplaceText(QLineEdit& edit, const QString& text) {
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&edit, text);
}

class EditCommentCommandTest : public ::testing::Test {
protected:
    EditCommentCommandTest() { dir.Enter(); }

    // Runs the command; `act` works the dialog while it is shown and must close it.
    bool Run(const std::function<void(CEditCommentDlg&)>& act) {
        test::WhenShown<CEditCommentDlg>([&](CEditCommentDlg& dialog) {
            shown = CommentEdit(dialog)->text();
            act(dialog);
        });
        return EditComment(app);
    }

    test::ScratchDir dir;
    test::MemorySettingsStore store;
    test::FakeClock clock;
    QtUserInterface ui;
    CVarnelApp app{store, clock, ui, nullptr, std::make_unique<test::FakePortBackend>()};
    QString shown;
};

TEST_F(EditCommentCommandTest, TypedTextAndOkBecomeTheCommentEscapeKeepsIt) {
    app.model().comment = "Demo store";
    EXPECT_FALSE(Run([](CEditCommentDlg& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Edit Comment");
        ReplaceText(*CommentEdit(dialog), "changed");
        QTest::keyClick(&dialog, Qt::Key_Escape);
    }));
    EXPECT_EQ(shown, "Demo store");
    EXPECT_EQ(app.model().comment, "Demo store");

    EXPECT_TRUE(Run([](CEditCommentDlg& dialog) {
        ReplaceText(*CommentEdit(dialog), "Counter 2");
        QTest::mouseClick(dialog.findChild<QPushButton*>("ok"), Qt::LeftButton);
    }));
    EXPECT_EQ(app.model().comment, "Counter 2");
}

TEST_F(EditCommentCommandTest, ALongTypedCommentStopsWhereTheFileLineEndsAndSavesWhole) {
    const size_t limit = MaxFileCommentLength();
    ASSERT_GT(limit, 200u);
    QString count;
    ASSERT_TRUE(Run([&](CEditCommentDlg& dialog) {
        QTest::keyClicks(CommentEdit(dialog), QString(static_cast<qsizetype>(limit) + 100, QChar('x')));
        count = dialog.findChild<QLabel*>("count")->text();
        QTest::keyClick(CommentEdit(dialog), Qt::Key_Return);
    }));
    EXPECT_EQ(app.model().comment, std::string(limit, 'x'));
    EXPECT_EQ(count, QStringLiteral("%1 of %1 characters").arg(limit));

    test::RecordingReporter reporter;
    test::NullModelObserver observer;
    ASSERT_TRUE(WriteConfigurationFile(app.model(), dir.File("long.cfg"), reporter));
    ConfigModel readBack;
    ASSERT_TRUE(ReadConfigurationFile(readBack, dir.File("long.cfg"), reporter, observer));
    EXPECT_EQ(readBack.comment, app.model().comment);
    EXPECT_TRUE(reporter.Errors().empty());
}

// The double quote, which the file cannot carry inside a comment, is refused as it is typed, and
// the dialog says why; the rest of the text is taken and marks the configuration modified.
TEST_F(EditCommentCommandTest, ADoubleQuoteIsRefusedWithTheReasonShown) {
    app.model().comment = "Demo store";
    QString reason;
    QString reasonAfterNextKey;
    ASSERT_TRUE(Run([&](CEditCommentDlg& dialog) {
        ReplaceText(*CommentEdit(dialog), "Store \"");
        reason = dialog.findChild<QLabel*>("reason")->text();
        QTest::keyClicks(CommentEdit(dialog), "12\" ; test");
        reasonAfterNextKey = dialog.findChild<QLabel*>("reason")->text();
        QTest::keyClick(CommentEdit(dialog), Qt::Key_Return);
    }));
    EXPECT_EQ(reason.toStdString(), kCommentQuoteRefused);
    EXPECT_TRUE(reasonAfterNextKey.isEmpty());
    EXPECT_EQ(app.model().comment, "Store 12 ; test");
    EXPECT_TRUE(app.model().modified);
}

// What the dialog allows does not depend on the row that will carry the comment.
TEST_F(EditCommentCommandTest, TheLimitShownIsTheSameEveryTime) {
    std::vector<QString> counts;
    for (const char* note : {"", "; a note of twenty-five ch"}) {
        app.model().settings[0] = SettingRow{};
        app.model().settings[0].comment = note;
        ASSERT_TRUE(Run([&](CEditCommentDlg& dialog) {
            ReplaceText(*CommentEdit(dialog), "abc");
            counts.push_back(dialog.findChild<QLabel*>("count")->text());
            QTest::keyClick(CommentEdit(dialog), Qt::Key_Return);
        }));
    }
    EXPECT_EQ(counts, (std::vector<QString>{QStringLiteral("3 of %1 characters").arg(MaxFileCommentLength()),
                                            QStringLiteral("3 of %1 characters").arg(MaxFileCommentLength())}));
    EXPECT_EQ(MaxFileCommentLength(), 267u);
}

TEST_F(EditCommentCommandTest, CharactersOfTwoBytesCountTwiceAgainstTheLimit) {
    const size_t limit = MaxFileCommentLength();
    ASSERT_TRUE(Run([&](CEditCommentDlg& dialog) {
        // The key of "é", as a French keyboard sends it.
        for (size_t i = 0; i < limit; ++i)
            QTest::sendKeyEvent(QTest::Click, CommentEdit(dialog), Qt::Key_Eacute, QString(QChar(0xE9)), Qt::NoModifier);
        QTest::keyClick(CommentEdit(dialog), Qt::Key_Return);
    }));
    std::string expected;
    for (size_t i = 0; i < limit / 2; ++i) expected += "\xC3\xA9";
    EXPECT_EQ(app.model().comment, expected);
}

TEST_F(EditCommentCommandTest, AnUntouchedCommentKeepsItsBytes) {
    app.model().comment = "Caf\xE9";  // Windows-1252, not UTF-8
    EXPECT_TRUE(Run([](CEditCommentDlg& dialog) { QTest::keyClick(CommentEdit(dialog), Qt::Key_Return); }));
    EXPECT_EQ(shown, "Café");
    EXPECT_EQ(app.model().comment, "Caf\xE9");
}

TEST_F(EditCommentCommandTest, ACommentOfMasterSavedMakesTheFileAMasterForOverlays) {
    test::RecordingReporter reporter;
    test::NullModelObserver observer;
    ConfigModel& model = app.model();
    ASSERT_TRUE(ReadConfigurationFile(model, test::ExamplesDir() + "/rpdemo.cfg", reporter, observer));
    ASSERT_TRUE(LocateOptionsFile(model, "RP-DEMO", reporter, test::ExamplesDir()));
    ASSERT_TRUE(Run([](CEditCommentDlg& dialog) {
        ReplaceText(*CommentEdit(dialog), "MASTER");
        QTest::keyClick(CommentEdit(dialog), Qt::Key_Return);
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
