#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/ConfigModel.h"
#include "model/ModelSearchPath.h"
#include "model/OptionsFile.h"
#include "support/LockedDescription.h"
#include "support/ModelFolders.h"
#include "support/RecordingReporter.h"

namespace varnel {
namespace {

using test::ModelFolders;

struct EnvironmentCase {
    std::map<std::string, std::string> variables;
    std::vector<std::string> folders;
};

TEST(ModelSearchPath, DataFoldersFollowTheXdgRules) {
    const EnvironmentCase cases[] = {
        {{{"HOME", "/home/ann"}},
         {"/home/ann/.local/share/varnel/models", "/usr/local/share/varnel/models", "/usr/share/varnel/models"}},
        {{{"HOME", "/home/ann"}, {"XDG_DATA_HOME", ""}, {"XDG_DATA_DIRS", ""}},
         {"/home/ann/.local/share/varnel/models", "/usr/local/share/varnel/models", "/usr/share/varnel/models"}},
        {{{"HOME", "/home/ann"}, {"XDG_DATA_HOME", "/data"}, {"XDG_DATA_DIRS", "/opt/a:/opt/b/"}},
         {"/data/varnel/models", "/opt/a/varnel/models", "/opt/b/varnel/models"}},
        // Relative and empty entries are ignored; a relative data home falls back to the default.
        {{{"HOME", "/home/ann"}, {"XDG_DATA_HOME", "data"}, {"XDG_DATA_DIRS", "share::/opt/a"}},
         {"/home/ann/.local/share/varnel/models", "/opt/a/varnel/models"}},
        // A folder named twice is searched once, in its first place.
        {{{"HOME", "/home/ann"}, {"XDG_DATA_HOME", "/usr/share"}},
         {"/usr/share/varnel/models", "/usr/local/share/varnel/models"}},
    };
    for (const EnvironmentCase& c : cases) {
        auto lookup = [&](const char* name) -> std::optional<std::string> {
            auto it = c.variables.find(name);
            if (it == c.variables.end()) return std::nullopt;
            return it->second;
        };
        ModelSearchPath path = ModelSearchPath::FromEnvironment(lookup);
        EXPECT_EQ(path.DataFolders(), c.folders);
        std::vector<std::string> all{"."};
        all.insert(all.end(), c.folders.begin(), c.folders.end());
        EXPECT_EQ(path.Folders(), all);
    }
}

// Where copies of the model's files lie, and which one the searches take.
struct OrderCase {
    const char* what;
    std::vector<std::string> holding;  // of "work", "home", "share1", "share2"
    std::string expected;              // one of them, or "" for none
};

std::string FolderOf(const ModelFolders& folders, const std::string& which) {
    if (which == "work") return folders.Work();
    if (which == "home") return folders.Home();
    if (which == "share1") return folders.Share1();
    return folders.Share2();
}

// An options file of `model` and a help page, each saying where it lies.
void PutModel(const std::string& folder, const std::string& which, const std::string& model = "RP-DEMO") {
    ModelFolders::Put(folder, "demo.opt", test::WithOptionsLock("Model Printer " + model + "\nWhere G 0 " + which + "\n"));
    ModelFolders::Put(folder, "Varnel.html", which);
}

std::string LoadedFrom(const ConfigModel& model) {
    int row = FindOption(model.options, "Where", -1);
    return row < 0 ? "" : model.options[row].text;
}

TEST(ModelSearchOrder, TheWorkingFolderFirstThenDataHomeThenTheDataDirsInOrder) {
    const OrderCase cases[] = {
        {"all four", {"work", "home", "share1", "share2"}, "work"},
        {"no working copy", {"home", "share1", "share2"}, "home"},
        {"data dirs only", {"share1", "share2"}, "share1"},
        {"last data dir only", {"share2"}, "share2"},
        {"none", {}, ""},
    };
    for (const OrderCase& c : cases) {
        ModelFolders folders;
        for (const std::string& which : c.holding) PutModel(FolderOf(folders, which), which);

        auto model = std::make_unique<ConfigModel>();
        test::RecordingReporter reporter;
        EXPECT_EQ(LocateOptionsFile(*model, "RP-DEMO", reporter), !c.expected.empty()) << c.what;
        const std::optional<std::string> page = ModelSearchPath::Current().FindFile(folders.Work(), "Varnel.html");
        if (!c.expected.empty()) {
            EXPECT_EQ(LoadedFrom(*model), c.expected) << c.what;
            EXPECT_TRUE(reporter.Errors().empty()) << c.what;
            ASSERT_TRUE(page) << c.what;
            EXPECT_EQ(test::ReadFileBytes(*page), c.expected) << c.what;
        } else {
            // Nothing found anywhere reports as it always did.
            EXPECT_EQ(reporter.Errors(), std::vector<std::string>{"Model name missmatch or missing in options file."});
            EXPECT_FALSE(page);
        }
    }
}

TEST(ModelSearchOrder, AWorkingFolderWithoutAMatchingFileLetsTheSearchGoOn) {
    ModelFolders folders;
    PutModel(folders.Work(), "work", "RP-OTHER");
    PutModel(folders.Share2(), "share2");
    auto model = std::make_unique<ConfigModel>();
    test::RecordingReporter reporter;
    ASSERT_TRUE(LocateOptionsFile(*model, "RP-DEMO", reporter));
    EXPECT_EQ(LoadedFrom(*model), "share2");
    // Files of the working folder keep their bare names; the others are named by their path.
    EXPECT_EQ(ModelSearchPath::Current().MatchingFiles("*.OPT"),
              (std::vector<std::string>{"demo.opt", folders.Share2() + "/demo.opt"}));
}

}  // namespace
}  // namespace varnel
