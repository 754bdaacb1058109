#include "app/EditCommentCommand.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/CVarnelApp.h"
#include "app/MainWindowPort.h"
#include "model/ConfigFileReader.h"
#include "model/ConfigFileWriter.h"
#include "model/SettingNames.h"
#include "support/FakeClock.h"
#include "support/FakePortBackend.h"
#include "support/MemorySettingsStore.h"
#include "support/NullModelObserver.h"
#include "support/RecordingReporter.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

class RedrawCounter : public MainWindowPort {
public:
    void UpdateTitle(const std::string&) override {}
    void SetFlashButtonVisible(bool) override {}
    void Invalidate() override { ++redraws; }
    int redraws = 0;
};

class EditCommentCommandTest : public ::testing::Test {
protected:
    EditCommentCommandTest() {
        dir.Enter();
        app.SetMainWindow(&window);
    }
    ~EditCommentCommandTest() override { app.SetMainWindow(nullptr); }

    // Writes the configuration to a file; returns the writer's result.
    bool Save() { return WriteConfigurationFile(app.model(), dir.File("saved.cfg"), reporter); }
    ConfigModel ReadBack() {
        ConfigModel fresh;
        EXPECT_TRUE(ReadConfigurationFile(fresh, dir.File("saved.cfg"), reporter, observer));
        return fresh;
    }

    test::ScratchDir dir;
    test::MemorySettingsStore store;
    test::FakeClock clock;
    test::RecordingUserInterface ui;
    CVarnelApp app{store, clock, ui, nullptr, std::make_unique<test::FakePortBackend>()};
    RedrawCounter window;
    test::RecordingReporter reporter;
    test::NullModelObserver observer;
};

TEST_F(EditCommentCommandTest, OkTakesTheEditedTextAndRedrawsCancelChangesNothing) {
    app.model().comment = "Demo store";

    EXPECT_FALSE(EditComment(app));
    EXPECT_EQ(app.model().comment, "Demo store");
    EXPECT_EQ(window.redraws, 0);

    ui.commentAnswer = "Counter 2";
    EXPECT_TRUE(EditComment(app));
    EXPECT_EQ(app.model().comment, "Counter 2");
    EXPECT_EQ(window.redraws, 1);
    ASSERT_EQ(ui.commentDialogs.size(), 2u);
    EXPECT_EQ(ui.commentDialogs[0].comment, "Demo store");
    EXPECT_EQ(ui.commentDialogs[0].maxLength, MaxFileCommentLength());
}

// The limit is the same whatever row carries the comment; a note on that row that leaves no room
// moves to a line of its own and comes back.
TEST_F(EditCommentCommandTest, TheLongestCommentAcceptedIsWrittenAndReadBackWhole) {
    struct Case {
        const char* name;
        SettingRow row;  // row 0; the rest of the table is empty
    } cases[] = {
        {"a File_Comment row", SettingRow{std::string(kFileCommentName), -1, "old", "", ""}},
        {"one with a trailing comment", SettingRow{std::string(kFileCommentName), -1, "old", ";kept note", ""}},
        {"no File_Comment row", SettingRow{}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reporter.entries.clear();
        app.model() = ConfigModel{};
        app.model().settings[0] = c.row;
        ui.commentAnswer = std::string(1000, 'x');

        ASSERT_TRUE(EditComment(app));

        size_t limit = ui.commentDialogs.back().maxLength;
        EXPECT_EQ(limit, ui.commentDialogs.front().maxLength);
        EXPECT_EQ(app.model().comment, std::string(limit, 'x'));
        EXPECT_TRUE(Save());
        EXPECT_TRUE(reporter.Errors().empty()) << reporter.Errors().front();
        ConfigModel readBack = ReadBack();
        EXPECT_EQ(readBack.comment, app.model().comment);
        if (!c.row.comment.empty()) {
            bool noteKept = false;
            for (const SettingRow& row : readBack.settings) noteKept = noteKept || row.comment == c.row.comment;
            EXPECT_TRUE(noteKept);
        }

        // The limit is the line's own: one more byte and the writer refuses the line.
        app.model().comment += 'x';
        EXPECT_FALSE(Save());
        EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Configuration line too long, not written: File_Comment"});
    }
}

TEST_F(EditCommentCommandTest, AChangedCommentMarksTheConfigurationModifiedAnUnchangedOneDoesNot) {
    app.model().comment = "Demo store";
    ui.commentAnswer = "Demo store";
    EXPECT_TRUE(EditComment(app));
    EXPECT_FALSE(app.model().modified);
    ui.commentAnswer = "Counter 2";
    EXPECT_TRUE(EditComment(app));
    EXPECT_TRUE(app.model().modified);
}

TEST_F(EditCommentCommandTest, ACommentWithADoubleQuoteIsRefusedWithTheReason) {
    app.model().comment = "Demo store";
    ui.commentAnswer = "Store \"12\" ; test";
    EXPECT_FALSE(EditComment(app));
    EXPECT_EQ(app.model().comment, "Demo store");
    EXPECT_FALSE(app.model().modified);
    EXPECT_EQ(ui.boxes, std::vector<std::string>{"Configuration Error: " + std::string(kCommentQuoteRefused)});
    EXPECT_EQ(CommentRefusal("Store 12", 8), std::nullopt);
    EXPECT_EQ(CommentRefusal("Store 12", 7), "A comment holds at most 7 bytes in the configuration file.");
}

TEST_F(EditCommentCommandTest, ACommentAlreadyTooLongOpensCutToWhatASaveKeeps) {
    size_t limit = MaxFileCommentLength();
    app.model().comment = std::string(limit + 20, 'y');
    EXPECT_FALSE(EditComment(app));
    ASSERT_EQ(ui.commentDialogs.size(), 1u);
    EXPECT_EQ(ui.commentDialogs[0].comment, std::string(limit, 'y'));
    EXPECT_EQ(app.model().comment, std::string(limit + 20, 'y')) << "Cancel leaves the comment as it was";
}

TEST(CutToLengthTest, CutsAtTheLimitButNotInsideAUtf8Character) {
    struct Case {
        std::string text;
        size_t limit;
        std::string expected;
    } cases[] = {
        {"Counter 2", 20, "Counter 2"},
        {"Counter 2", 7, "Counter"},
        {"Caf\xC3\xA9 au lait", 4, "Caf"},            // "é" is two bytes; the cut falls inside it
        {"Caf\xC3\xA9 au lait", 5, "Caf\xC3\xA9"},
        {"\xE2\x82\xAC\xE2\x82\xAC", 4, "\xE2\x82\xAC"},  // "€€", three bytes each
        {"Caf\xE9 au lait", 4, "Caf\xE9"},            // Windows-1252: one byte a character
        {"\xC9\xE9\xE9\xE9\xE9", 2, "\xC9\xE9"},
        {"", 0, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(CutToLength(c.text, c.limit), c.expected) << c.text << " / " << c.limit;
}

}  // namespace
}  // namespace varnel
