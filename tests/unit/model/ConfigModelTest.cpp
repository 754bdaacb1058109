#include <string>

#include <gtest/gtest.h>

#include "model/ConfigModel.h"
#include "model/ModelObserver.h"
#include "support/CountingModelObserver.h"

namespace varnel {
namespace {

OptionEntry Choice(const std::string& name, int value, const std::string& text) {
    OptionEntry row;
    row.name = name;
    row.value = value;
    row.valueText = std::to_string(value);
    row.text = text;
    return row;
}

OptionEntry Range(const std::string& name, int low, int high) {
    OptionEntry row;
    row.name = name;
    row.low = low;
    row.high = high;
    row.text = "%i sec";
    return row;
}

OptionEntry Attribute(const std::string& name, const std::string& yesNo, int value = -1) {
    OptionEntry row;
    row.name = name;
    row.value = value;
    row.valueText = yesNo;
    row.text = std::string(kCanBeWritten);
    return row;
}

class LookupTest : public ::testing::Test {
protected:
    OptionsTable options;
};

TEST_F(LookupTest, FindOptionPrefersTheFirstMatchingRowRangeOrValue) {
    options[0] = Attribute("Timeout", "Y", 5);
    options[1] = Range("Timeout", 1, 10);
    options[2] = Choice("Timeout", 5, "five");
    EXPECT_EQ(FindOption(options, "Timeout", 5), 1);   // the range comes first, attribute skipped
    EXPECT_EQ(FindOption(options, "Timeout", -1), 1);  // first choice row
    EXPECT_EQ(FindOption(options, "Timeout", 11), -1);
    EXPECT_EQ(FindOption(options, "timeout", 5), -1);  // case-sensitive
}

TEST_F(LookupTest, FindOptionByText) {
    options[0] = Attribute("Font", "Y");
    options[1] = Choice("Font", 0, "Font A");
    options[2] = Choice("Font", 1, "Font B");
    EXPECT_EQ(FindOptionByText(options, "Font", "Font B"), 2);
    EXPECT_EQ(FindOptionByText(options, "Font", ""), 1);
    EXPECT_EQ(FindOptionByText(options, "Font", "Font C"), -1);
}

TEST_F(LookupTest, IsWritableNeedsAnAttributeRowSayingYes) {
    options[0] = Attribute("A", "Y");
    options[1] = Attribute("B", "yes");
    options[2] = Attribute("C", "N");
    options[3] = Choice("D", 1, "one");
    EXPECT_TRUE(IsWritable(options, "A"));
    EXPECT_TRUE(IsWritable(options, "B"));
    EXPECT_FALSE(IsWritable(options, "C"));
    EXPECT_FALSE(IsWritable(options, "D"));
    EXPECT_FALSE(IsWritable(options, "E"));
}

TEST(TextSettingTest, AValueTokenStartingWithSMarksText) {
    struct Case {
        const char* valueText;
        bool text;
    };
    const Case cases[] = {{"S", true}, {"s", true}, {"Str", true}, {"", false}, {"0", false},
                          {"10-20", false}, {"Y", false}, {" S", false}};
    for (const Case& c : cases) {
        OptionEntry row;
        row.name = "Header";
        row.valueText = c.valueText;
        EXPECT_EQ(row.MarksTextSetting(), c.text) << '"' << c.valueText << '"';
    }
}

TEST(CharSumTest, CountsSignedCharactersOfTheFirstHundred) {
    EXPECT_EQ(CharSum(""), 0);
    EXPECT_EQ(CharSum("AB"), 65 + 66);
    EXPECT_EQ(CharSum(std::string(150, 'a')), 100 * 97);
    EXPECT_EQ(CharSum("\xE9"), -23);
}

TEST(ModelTest, UnloadKeepsSettingsAndNewClearsThem) {
    ConfigModel model;
    model.settings[0].name = "Font";
    model.settings[0].value = 1;
    model.model = "RP-DEMO";
    model.configFilePath = "a.cfg";
    model.mapFilePath = "a.map";
    model.mapEntries[0].name = "Model";
    model.mapEntries[0].text = "RP-DEMO";
    model.options[0] = Choice("Font", 1, "Font B");
    test::CountingModelObserver observer;

    UnloadDescriptions(model, observer);
    EXPECT_EQ(model.settings[0].name, "Font");
    EXPECT_EQ(model.model, "RP-DEMO");
    EXPECT_TRUE(model.configFilePath.empty());
    EXPECT_TRUE(model.mapFilePath.empty());
    EXPECT_TRUE(model.mapEntries[0].name.empty());
    EXPECT_EQ(model.mapEntries[0].text, "RP-DEMO");  // a cleared map row keeps its text
    EXPECT_TRUE(model.options[0].name.empty());
    EXPECT_EQ(model.options[0].valueText, "1");      // a cleared options row keeps its valueText
    EXPECT_EQ(observer.flashVisible, false);
    EXPECT_EQ(observer.titles, 1);
    EXPECT_EQ(observer.invalidations, 1);

    NewConfiguration(model, observer);
    EXPECT_TRUE(model.settings[0].IsEmpty());
    EXPECT_TRUE(model.model.empty());
}

}  // namespace
}  // namespace varnel
