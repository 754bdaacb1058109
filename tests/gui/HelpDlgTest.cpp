#include <gtest/gtest.h>

#include <QUrl>

#include "ui/Help.h"

namespace varnel {
namespace {

TEST(HelpDlgTest, TheHelpPageAndASettingsAnchorInTheStartDirectory) {
    EXPECT_EQ(HelpPageUrl("/opt/varnel").toString(), "file:///opt/varnel/Varnel.html");
    EXPECT_EQ(HelpPageUrl("/opt/varnel", "Print_Mode").toString(), "file:///opt/varnel/Varnel.html#Print_Mode");
}

}  // namespace
}  // namespace varnel
