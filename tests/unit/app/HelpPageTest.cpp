#include "app/HelpPage.h"

#include <gtest/gtest.h>

#include "support/ModelFolders.h"

namespace varnel {
namespace {

TEST(HelpPageTest, WithNoPageAnywhereItIsTheStartDirectorysSoTheBoxNamesIt) {
    test::ModelFolders folders;
    EXPECT_EQ(HelpPagePath(folders.Work()), folders.Work() + "/Varnel.html");
}

TEST(HelpPageTest, AStartDirectoryWithoutThePageTakesTheOneOfTheModelFolders) {
    test::ModelFolders folders;
    const std::string installed = test::ModelFolders::Put(folders.Share2(), "Varnel.html", "<html></html>");
    EXPECT_EQ(HelpPagePath(folders.Work()), installed);

    // The start directory's own page wins.
    const std::string own = test::ModelFolders::Put(folders.Work(), "Varnel.html", "<html></html>");
    EXPECT_EQ(HelpPagePath(folders.Work()), own);
}

}  // namespace
}  // namespace varnel
