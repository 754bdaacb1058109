#include "app/HeadlessUserInterface.h"
#include "app/PortChoice.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace varnel {
namespace {

// Both ends of a pipe or of a pseudo-terminal, closed at the end.
struct Channel {
    int writeEnd = -1;
    int readEnd = -1;
    ~Channel() {
        if (writeEnd >= 0) ::close(writeEnd);
        if (readEnd >= 0) ::close(readEnd);
    }
    std::string Drain() const {
        std::string bytes;
        char buffer[256];
        ssize_t n;
        while ((n = ::read(readEnd, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<size_t>(n));
        return bytes;
    }
};

void OpenPipe(Channel& channel) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK), 0);
    channel.readEnd = fds[0];
    channel.writeEnd = fds[1];
}

// A terminal whose raw output we can read back: the line discipline leaves bytes alone.
void OpenTerminal(Channel& channel) {
    channel.readEnd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(channel.readEnd, 0);
    ASSERT_EQ(::grantpt(channel.readEnd), 0);
    ASSERT_EQ(::unlockpt(channel.readEnd), 0);
    channel.writeEnd = ::open(::ptsname(channel.readEnd), O_RDWR | O_NOCTTY);
    ASSERT_GE(channel.writeEnd, 0);
    termios settings{};
    ASSERT_EQ(::tcgetattr(channel.writeEnd, &settings), 0);
    ::cfmakeraw(&settings);
    ASSERT_EQ(::tcsetattr(channel.writeEnd, TCSANOW, &settings), 0);
}

TEST(HeadlessUserInterface, BoxesGoToTheStreamAsCaptionAndTextAndCountAsOk) {
    Channel channel;
    OpenPipe(channel);
    HeadlessUserInterface ui(channel.writeEnd);
    EXPECT_EQ(ui.MessageBox("Configuration Message", "Exiting Printer Configuration."), 1);
    EXPECT_EQ(channel.Drain(), "Configuration Message: Exiting Printer Configuration.\n");
}

TEST(HeadlessUserInterface, QuestionsAreNoTheSaveQuestionDiscardsAndDialogsAreCancelled) {
    Channel channel;
    OpenPipe(channel);
    HeadlessUserInterface ui(channel.writeEnd);
    EXPECT_FALSE(ui.AskYesNo("Varnel", "Save changes?"));
    // A script goes on as it did when this question was a Yes/No one answered No.
    EXPECT_EQ(ui.AskSaveChanges("Varnel", "File: a.cfg has changed. Save it to disk now?"), SaveAnswer::Discard);
    EXPECT_EQ(ui.ChooseOpenFile("Open", "Config Files (*.cfg)", "."), std::nullopt);
    EXPECT_EQ(ui.ChooseSaveFile("Save", "Config Files (*.cfg)", "."), std::nullopt);
    EXPECT_EQ(ui.EditSerialLine("COM1", SerialLineSettings{}), std::nullopt);
    bool serialCommandRan = false;
    PortChoice ports([](int position) { return position == 0 ? std::string("COM1") : std::string(); }, "COM1",
                     [&](SerialButton, const std::string&, OperationMonitor*) { serialCommandRan = true; });
    EXPECT_EQ(ui.SelectPort(ports), std::nullopt);
    EXPECT_FALSE(serialCommandRan);
    EXPECT_EQ(ui.EditComment("Demo store", 200), std::nullopt);
    EXPECT_EQ(ui.ChooseFlashAction(FlashDialogTexts{}), FlashChoice::Cancel);
    EXPECT_EQ(channel.Drain(), "Varnel: Save changes? [answered No]\n"
                               "Varnel: File: a.cfg has changed. Save it to disk now? [answered Discard]\n");
}

TEST(HeadlessUserInterface, NoStatusLineWhenTheStreamIsNoTerminal) {
    Channel channel;
    OpenPipe(channel);
    HeadlessUserInterface ui(channel.writeEnd);
    EXPECT_FALSE(ui.SetStatusText("Reading table 3"));
    EXPECT_EQ(channel.Drain(), "");
}

TEST(HeadlessUserInterface, StatusLineRewritesItselfAndEndsBeforeOtherOutput) {
    Channel channel;
    OpenTerminal(channel);
    {
        HeadlessUserInterface ui(channel.writeEnd);
        EXPECT_TRUE(ui.SetStatusText("Reading table 3"));
        EXPECT_TRUE(ui.SetStatusText("Configuration Error: Bad\nreply"));
        ui.MessageBox("Configuration Error", "Bad");
        EXPECT_TRUE(ui.SetStatusText("Done"));
    }
    EXPECT_EQ(channel.Drain(),
              "\rReading table 3\x1b[K"
              "\rConfiguration Error: Bad reply\x1b[K"
              "\nConfiguration Error: Bad\n"
              "\rDone\x1b[K\n");
}

}  // namespace
}  // namespace varnel
