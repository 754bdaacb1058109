#include "app/CVarnelDoc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/ConfigModel.h"
#include "support/CountingModelObserver.h"
#include "support/DemoModel.h"
#include "support/RecordingReporter.h"
#include "support/RecordingUserInterface.h"
#include "support/ScratchDir.h"

namespace varnel {
namespace {

constexpr const char* kDemoQuestion = "Varnel: File: rpdemo.cfg has changed. Save it to disk now?";

// The document over a model of its own, in a copy of the examples folder; the file dialogs and
// questions are answered by the test.
class DocTest : public ::testing::Test {
protected:
    // rpdemo.cfg read through File Open, then changed.
    void OpenChangedDemo() {
        ui_.fileAnswers.push_back("rpdemo.cfg");
        ASSERT_TRUE(doc_.Open());
        model_->modified = true;
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir_.File(name)); }
    size_t FilesInFolder() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir_.path()), {}));
    }

    test::ScratchDir dir_ = test::ExamplesWorkingFolder();
    std::unique_ptr<ConfigModel> model_ = std::make_unique<ConfigModel>();
    test::RecordingUserInterface ui_;
    test::RecordingReporter reporter_;
    test::CountingModelObserver observer_;
    CVarnelDoc doc_{*model_, ui_, reporter_, observer_};
};

TEST_F(DocTest, SaveAsAppendsCfgOnlyWhenTheNameHasNoCfgAnywhere) {
    struct Case {
        const char* chosen;
        const char* written;
    } cases[] = {{"test", "test.cfg"}, {"TEST.CFG", "TEST.CFG"}, {"x.cfg.bak", "x.cfg.bak"}, {"a.Cfg", "a.Cfg.cfg"}};
    OpenChangedDemo();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        model_->modified = true;
        const int titles = observer_.titles;
        ui_.fileAnswers.push_back(dir_.File(c.chosen));
        EXPECT_TRUE(doc_.SaveAs());
        EXPECT_TRUE(Exists(c.written));
        EXPECT_EQ(model_->configFilePath, dir_.File(c.written));
        EXPECT_FALSE(model_->modified);
        EXPECT_EQ(observer_.titles, titles + 1);
    }
    EXPECT_FALSE(Exists("TEST.CFG.cfg"));
}

TEST_F(DocTest, SaveWithoutAFileNameAsksForOneAndSaveWithOneWritesThere) {
    OpenChangedDemo();
    model_->configFilePath.clear();
    ui_.fileAnswers.push_back(dir_.File("fresh"));
    EXPECT_TRUE(doc_.Save());
    EXPECT_TRUE(Exists("fresh.cfg"));

    std::filesystem::remove(dir_.File("fresh.cfg"));
    model_->modified = true;
    EXPECT_TRUE(doc_.Save());  // no dialog this time: the queue is empty and the file comes back
    EXPECT_TRUE(Exists("fresh.cfg"));
    EXPECT_FALSE(model_->modified);
}

TEST_F(DocTest, ASaveThatLeavesALineOutKeepsTheConfigurationModified) {
    OpenChangedDemo();
    // As long as the comment dialog once let a comment be.
    model_->comment = std::string(570, 'c');
    EXPECT_FALSE(doc_.Save());
    EXPECT_TRUE(model_->modified);
    EXPECT_EQ(reporter_.Errors(), std::vector<std::string>{"Configuration line too long, not written: File_Comment"});

    // So the question comes when the configuration is replaced.
    doc_.New();
    EXPECT_EQ(ui_.questions, std::vector<std::string>{kDemoQuestion});
}

TEST_F(DocTest, TheSaveQuestionComesOnlyForAChangedConfigurationAndSaveRunsSaveAs) {
    struct Case {
        const char* what;
        bool modified;
        std::vector<SaveAnswer> answers;
        std::optional<std::string> chosen;
        bool asked;
        bool written;
        bool goesOn;
    } cases[] = {
        {"unchanged", false, {}, std::nullopt, false, false, true},
        {"Discard", true, {SaveAnswer::Discard}, std::nullopt, true, false, true},
        {"Cancel", true, {SaveAnswer::Cancel}, "kept", true, false, false},
        {"Save, then a name", true, {SaveAnswer::Save}, "kept", true, true, true},
        {"Save, then cancelled", true, {SaveAnswer::Save}, std::nullopt, true, false, false},
    };
    OpenChangedDemo();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui_.questions.clear();
        model_->modified = c.modified;
        ui_.saveAnswers.assign(c.answers.begin(), c.answers.end());
        ui_.fileAnswers = {c.chosen ? std::optional<std::string>(dir_.File(*c.chosen)) : std::nullopt};
        EXPECT_EQ(doc_.AskToSaveChanges(), c.goesOn);
        EXPECT_EQ(ui_.questions, c.asked ? std::vector<std::string>{kDemoQuestion} : std::vector<std::string>{});
        EXPECT_EQ(Exists("kept.cfg"), c.written);
        EXPECT_EQ(model_->modified, c.modified && !c.written);
        if (c.written) std::filesystem::remove(dir_.File("kept.cfg"));
        model_->configFilePath = "rpdemo.cfg";
    }
}

TEST_F(DocTest, NewAsksAboutChangesThenEmptiesTheConfiguration) {
    OpenChangedDemo();
    ui_.saveAnswers = {SaveAnswer::Discard};
    const size_t files = FilesInFolder();
    doc_.New();
    EXPECT_EQ(ui_.questions, std::vector<std::string>{kDemoQuestion});
    EXPECT_EQ(FilesInFolder(), files) << "No saves nothing";
    EXPECT_EQ(model_->model, "");
    EXPECT_EQ(model_->settings[0].name, "");
    EXPECT_EQ(model_->configFilePath, "");
    EXPECT_FALSE(model_->modified);

    doc_.New();  // nothing left to save: no second question
    EXPECT_EQ(ui_.questions.size(), 1u);
}

TEST_F(DocTest, NewAndOpenCancelledAtTheSaveQuestionKeepTheChangedConfiguration) {
    OpenChangedDemo();
    ui_.saveAnswers = {SaveAnswer::Cancel, SaveAnswer::Cancel};
    ui_.fileAnswers = {"master.cfg"};
    doc_.New();
    EXPECT_FALSE(doc_.Open());
    EXPECT_EQ(ui_.questions, (std::vector<std::string>{kDemoQuestion, kDemoQuestion}));
    EXPECT_EQ(ui_.fileAnswers.size(), 1u) << "no file dialog after Cancel";
    EXPECT_EQ(model_->model, "RP-DEMO");
    EXPECT_EQ(model_->configFilePath, "rpdemo.cfg");
    EXPECT_TRUE(model_->modified);
}

TEST_F(DocTest, NewKeepsAConfigurationTheCommandLineAskedToKeepOnce) {
    OpenChangedDemo();
    model_->modified = false;
    model_->keepSettingsOnNew = true;
    doc_.New();
    EXPECT_EQ(model_->model, "RP-DEMO");
    EXPECT_FALSE(model_->keepSettingsOnNew);
    doc_.New();
    EXPECT_EQ(model_->model, "");
}

TEST_F(DocTest, OpenAnsweredDiscardKeepsChangesUnsavedAndGoesOnToTheFileDialog) {
    OpenChangedDemo();
    ui_.saveAnswers = {SaveAnswer::Discard};
    ui_.fileAnswers = {"master.cfg"};
    EXPECT_TRUE(doc_.Open());
    EXPECT_EQ(ui_.questions, std::vector<std::string>{kDemoQuestion});
    EXPECT_EQ(model_->configFilePath, "master.cfg");
    EXPECT_FALSE(model_->modified);
}

TEST_F(DocTest, CancelledDialogsChangeNothing) {
    OpenChangedDemo();
    model_->modified = false;
    EXPECT_FALSE(doc_.Open());
    EXPECT_FALSE(doc_.SaveAs());
    EXPECT_FALSE(doc_.LoadMap());
    EXPECT_EQ(model_->configFilePath, "rpdemo.cfg");
    EXPECT_EQ(model_->model, "RP-DEMO");
    EXPECT_EQ(model_->mapFilePath, "");
    EXPECT_TRUE(reporter_.entries.empty());
}

TEST_F(DocTest, LoadMapFileReadsTheChosenMap) {
    ui_.fileAnswers.push_back("rpdemo_101.map");
    EXPECT_TRUE(doc_.LoadMap());
    EXPECT_EQ(model_->mapFilePath, "rpdemo_101.map");
    EXPECT_EQ(model_->mapEntries[FindMapRow(model_->mapEntries, "Model")].text, "RP-DEMO");
    EXPECT_GT(observer_.invalidations, 0) << "the view follows the new map";
}

}  // namespace
}  // namespace varnel
