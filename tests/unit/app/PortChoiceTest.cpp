#include "app/PortChoice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordingMonitor.h"

namespace varnel {
namespace {

using Names = std::vector<std::string>;

// The discovered list, entry by entry, as port discovery hands it out.
std::function<std::string(int)> ListOf(Names names) {
    return [names](int position) {
        return static_cast<size_t>(position) < names.size() ? names[static_cast<size_t>(position)] : std::string();
    };
}

PortChoice ChoiceOf(Names discovered, const std::string& current) { return PortChoice(ListOf(discovered), current, {}); }

TEST(PortChoiceTest, ListsEachDiscoveredNameOnceRegardlessOfCaseSorted) {
    EXPECT_EQ(ChoiceOf({"LPT1:", "COM1", "com1", "COM1", "10.0.0.1:9100"}, "").Ports(),
              (Names{"10.0.0.1:9100", "COM1", "LPT1:"}));
    EXPECT_EQ(ChoiceOf({}, "").Ports(), Names{});
    // Names after the first empty one are not asked for.
    EXPECT_EQ(ChoiceOf({"COM2", "", "COM3"}, "").Ports(), Names{"COM2"});
}

TEST(PortChoiceTest, AtMostFiftyNamesAreAskedFor) {
    int asked = 0;
    PortChoice choice([&](int position) {
        ++asked;
        return "/dev/ttyS" + std::to_string(position);
    }, "", {});
    EXPECT_EQ(asked, 50);
    EXPECT_EQ(choice.Ports().size(), 50u);
}

TEST(PortChoiceTest, ThePortInUseStaysSelectedAndJoinsTheListWhenNotDiscovered) {
    struct Case {
        Names discovered;
        const char* current;
        Names listed;
        const char* selected;  // nullptr: none
    } cases[] = {
        {{"COM1", "COM10"}, "COM1", {"COM1", "COM10"}, "COM1"},
        {{"COM1:", "LPT1:"}, "com1", {"COM1:", "LPT1:"}, "COM1:"},
        {{"COM1:", "LPT1:"}, "\\\\.\\COM1", {"COM1:", "LPT1:"}, "COM1:"},
        {{"COM1:", "COM1"}, "COM1", {"COM1", "COM1:"}, "COM1"},
        // Beginning with the port's name does not make another port the same one.
        {{"COM10", "COM2"}, "COM1", {"COM1", "COM10", "COM2"}, "COM1"},
        {{"/dev/ttyS0", "/dev/ttyUSB0"}, "/dev/pts/7", {"/dev/pts/7", "/dev/ttyS0", "/dev/ttyUSB0"}, "/dev/pts/7"},
        {{"COM2:", "LPT1:"}, "10.0.0.9:9100", {"10.0.0.9:9100", "COM2:", "LPT1:"}, "10.0.0.9:9100"},
        {{}, "LPT1", {"LPT1"}, "LPT1"},
        // No port in use: the first entry is offered.
        {{"LPT1:", "COM2:"}, "", {"COM2:", "LPT1:"}, "COM2:"},
        {{}, "", {}, nullptr},
    };
    for (const Case& c : cases) {
        PortChoice choice = ChoiceOf(c.discovered, c.current);
        EXPECT_EQ(choice.Ports(), c.listed) << c.current;
        if (!c.selected) {
            EXPECT_EQ(choice.SelectedIndex(), -1) << c.current;
            continue;
        }
        ASSERT_GE(choice.SelectedIndex(), 0) << c.current;
        EXPECT_EQ(choice.Ports()[static_cast<size_t>(choice.SelectedIndex())], c.selected) << c.current;
    }
}

TEST(PortChoiceTest, SerialButtonsOnlyForComNamesAndNativeSerialPaths) {
    struct Case {
        const char* name;
        bool serial;
    } cases[] = {
        {"COM1", true},         {"\\\\.\\COM3", true},   {"com1", false},         {"LPT1:", false},
        {"/dev/ttyUSB0", true}, {"/dev/pts/3", true},    {"/dev/usb/lp0", false}, {"/dev/lp0", false},
        {"10.0.0.1:9100", false}, {"", false},
    };
    PortChoice choice = ChoiceOf({}, "");
    for (const Case& c : cases) EXPECT_EQ(choice.SerialButtonsApply(c.name), c.serial) << c.name;
}

TEST(PortChoiceTest, ASerialButtonHandsItsCommandTheTextShown) {
    std::vector<std::string> ran;
    PortChoice choice(ListOf({"COM1"}), "COM1",
                      [&](SerialButton button, const std::string& port, OperationMonitor* monitor) {
                          ran.push_back((button == SerialButton::DetectBaudRate ? "detect " : "setup ") + port +
                                        (monitor ? " watched" : ""));
                      });
    test::RecordingMonitor monitor;
    choice.RunSerialButton(SerialButton::SetupSerialPort, "COM4", nullptr);
    choice.RunSerialButton(SerialButton::DetectBaudRate, "/dev/ttyUSB0", &monitor);
    EXPECT_EQ(ran, (std::vector<std::string>{"setup COM4", "detect /dev/ttyUSB0 watched"}));
}

}  // namespace
}  // namespace varnel
