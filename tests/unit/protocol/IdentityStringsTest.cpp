#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProtocolFixture.h"
#include "protocol/IdentityStrings.h"

namespace varnel::test {
namespace {

using Kind = RecordingReporter::Kind;

// A report one identity row gives for one outcome.
struct RowReport {
    const IdentityRow* row;
    std::string text;
    int eventCode;
};

// The fake printer of the fixture keeps every string write and answers table reads from it.
class IdentityStringsTest : public ProtocolFixture {
protected:
    // A printer whose identity writes are lost: table reads show what it held before.
    void KeepOldText(uint8_t table, const std::string& old) {
        backend.responder = [table, old](FakePortBackend& port, const std::string& written) {
            if (written == std::string{'\x1B', '~', 'r', static_cast<char>(table)})
                port.QueueReply(std::string{'~', 'r', static_cast<char>(table)} + old + '\0');
        };
    }

    const RecordingReporter::Entry& Last() const { return reporter.entries.back(); }
};

TEST_F(IdentityStringsTest, LengthRulesAtTheirBoundaries) {
    struct Case {
        const IdentityRow* row;
        size_t length;
        bool accepted;
        std::string refusal;
        int refusalCode;
    };
    const std::string serialRefusal = "Serial Number must be 11 characters long!!!";
    const std::string manuRefusal = "Manufacture ID must be 12 characters long or less!!!";
    const std::string descRefusal = "Description must be 48 characters long or less!!!";
    const Case cases[] = {
        {&kSerialNumberRow, 10, false, serialRefusal, 0},
        {&kSerialNumberRow, 11, true, "", 0},
        {&kSerialNumberRow, 12, false, serialRefusal, 0},
        {&kManufactureIdRow, 12, true, "", 0},
        {&kManufactureIdRow, 13, false, manuRefusal, 8},
        {&kDescriptionRow, 48, true, "", 0},
        {&kDescriptionRow, 49, false, descRefusal, 0},
        {&kSerialNumber2Row, 0, true, "", 0},
        {&kSerialNumber2Row, 200, true, "", 0},
    };
    for (const Case& c : cases) {
        reporter.entries.clear();
        backend.allWritten.clear();
        const std::string text(c.length, 'A');
        const int result = ProgramIdentityString(context, *c.row, text);
        EXPECT_EQ(model.get()->*(c.row->field), text);
        if (c.accepted) {
            EXPECT_EQ(result, 1) << c.length;
            EXPECT_FALSE(backend.allWritten.empty());
            continue;
        }
        EXPECT_EQ(result, 0) << c.length;
        EXPECT_TRUE(backend.allWritten.empty()) << c.length;
        ASSERT_EQ(reporter.entries.size(), 1u);
        EXPECT_EQ(Last().text, c.refusal);
        EXPECT_EQ(Last().eventCode, c.refusalCode);
        EXPECT_EQ(Last().severity, 10);
    }
}

TEST_F(IdentityStringsTest, GtSerWritesAndReadsTable13ByteForByte) {
    preInit = "\x1B@";
    const std::string text = "SN-20-CHARACTERS-OK!";
    ASSERT_EQ(text.size(), 20u);
    ASSERT_EQ(ProgramIdentityString(context, kSerialNumber2Row, text), 1);

    ASSERT_EQ(backend.writesPerOpen.size(), 2u);
    EXPECT_EQ(Hex(backend.writesPerOpen[0]), "1B 40 1B 79 02 1B 79 08 1B 7E 7E 01");
    EXPECT_EQ(Hex(backend.writesPerOpen[1]),
              "1B 7E 77 0D 53 4E 2D 32 30 2D 43 48 41 52 41 43 54 45 52 53 2D 4F 4B 21 00 "  // write
              "1B 7E 72 0D "                                                                // read
              "1B 7E 7E FF");                                                               // closing
    EXPECT_EQ(printer.texts[13], text);
    EXPECT_FALSE(backend.IsOpen());
    EXPECT_EQ(Last().kind, Kind::Message);
    EXPECT_EQ(Last().text, "Serial Number programmed and verified.");
    EXPECT_EQ(Last().eventCode, 7);
    EXPECT_EQ(Last().severity, 5);
    // After the pre-init, after the preamble and after the closing command.
    std::vector<int64_t> pauses;
    for (int64_t ms : clock.sleeps)
        if (ms == 500) pauses.push_back(ms);
    EXPECT_EQ(pauses, (std::vector<int64_t>{500, 500, 500}));
}

TEST_F(IdentityStringsTest, EachRowHasItsTableAndTexts) {
    struct Case {
        const IdentityRow* row;
        std::string text;
        std::string writeHead;
        std::string success;
        int eventCode;
    };
    const Case cases[] = {
        {&kSerialNumberRow, "12345678901", "1B 7E 77 04", "Serial Number programmed and verified.", 7},
        {&kManufactureIdRow, "PELLAM", "1B 7E 77 02", "Manufacture ID programmed and verified.", 8},
        {&kDescriptionRow, "Front counter", "1B 7E 77 03", "Description programmed and verified.", 9},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(ProgramIdentityString(context, *c.row, c.text), 1) << c.success;
        EXPECT_EQ(Hex(backend.writesPerOpen.back().substr(0, 4)), c.writeHead);
        EXPECT_EQ(Last().text, c.success);
        EXPECT_EQ(Last().eventCode, c.eventCode);
    }
}

TEST_F(IdentityStringsTest, ReadBackOfTheOldTextIsTheRowsFailure) {
    const RowReport failures[] = {
        {&kSerialNumberRow, "Serial Number could not be verified.", 7},
        {&kSerialNumber2Row, "Serial Number could not be verified.", 7},
        {&kManufactureIdRow, "Manufacture ID could not be verified.", 8},
        {&kDescriptionRow, "Description could not be verified.", 9},
    };
    for (const RowReport& c : failures) {
        KeepOldText(c.row->table, "OLD-TEXT-00");
        EXPECT_EQ(ProgramIdentityString(context, *c.row, "NEW-TEXT-01"), 0);
        EXPECT_EQ(Last().kind, Kind::Error);
        EXPECT_EQ(Last().text, c.text);
        EXPECT_EQ(Last().eventCode, c.eventCode);
        EXPECT_EQ(Hex(backend.writesPerOpen.back().substr(backend.writesPerOpen.back().size() - 4)), "1B 7E 7E FF");
        EXPECT_FALSE(backend.IsOpen());
    }
}

TEST_F(IdentityStringsTest, LongerReadBackIsNotTakenForTheText) {
    KeepOldText(kDescriptionRow.table, "Front counter 2");
    EXPECT_EQ(ProgramIdentityString(context, kDescriptionRow, "Front counter"), 0);
    EXPECT_EQ(Last().text, "Description could not be verified.");
}

TEST_F(IdentityStringsTest, NoReadBackClosesThePortWithTheCommunicationsError) {
    for (const IdentityRow* row : {&kSerialNumberRow, &kSerialNumber2Row, &kManufactureIdRow, &kDescriptionRow}) {
        printer.silent = true;
        reporter.entries.clear();
        EXPECT_EQ(ProgramIdentityString(context, *row, "12345678901"), 0);
        EXPECT_TRUE(HasEntry(Kind::Error, kClosingPortError));
        EXPECT_FALSE(backend.IsOpen());
        // Nothing after the identity read: no closing command.
        const std::string& all = backend.allWritten;
        ASSERT_GE(all.size(), 4u);
        EXPECT_EQ(Hex(all.substr(all.size() - 4)), Hex(std::string{'\x1B', '~', 'r', static_cast<char>(row->table)}));
    }
}

TEST_F(IdentityStringsTest, BytesWaitingBeforeTheReadAreDrainedFirst) {
    // The printer chatters after the write, and its answer lacks the zero byte: the drained
    // chatter must not trail the answer in the buffer.
    backend.responder = [this](FakePortBackend& port, const std::string& written) {
        if (written.starts_with("\x1B~w")) {
            printer.texts[3] = written.substr(4, written.size() - 5);
            port.QueueReply(std::string(40, '\x11'));
        } else if (written == "\x1B~r\x03") {
            port.QueueReply(std::string("~r\x03") + printer.texts[3]);  // no zero byte at the end
        }
    };
    ASSERT_EQ(ProgramIdentityString(context, kDescriptionRow, "Front counter"), 1);
    EXPECT_EQ(Last().text, "Description programmed and verified.");
}

TEST_F(IdentityStringsTest, MissingPortUsesTheRowsTextAndCode) {
    const RowReport missingPort[] = {
        {&kSerialNumberRow, "I/O Port not specified, or I/O Port not specified before Serial Number.", 0},
        {&kSerialNumber2Row, "I/O Port not specified, or I/O Port not specified before Serial Number.", 0},
        {&kManufactureIdRow, "I/O Port not specified, or I/O Port not specified before Manufacture ID.", 8},
        {&kDescriptionRow, "I/O Port not specified, or I/O Port not specified before Description.", 0},
    };
    model->portName.clear();
    for (const RowReport& c : missingPort) {
        EXPECT_EQ(ProgramIdentityString(context, *c.row, "12345678901"), 0);
        EXPECT_EQ(Last().text, c.text);
        EXPECT_EQ(Last().eventCode, c.eventCode);
        EXPECT_EQ(Last().severity, 10);
    }
    EXPECT_EQ(backend.openCalls, 0);
}

TEST_F(IdentityStringsTest, PortThatCannotBeOpenedEndsWithTheCommunicationsError) {
    backend.failOpen.Always();
    EXPECT_EQ(ProgramIdentityString(context, kDescriptionRow, "Front counter"), 0);
    EXPECT_TRUE(HasEntry(Kind::Error, kClosingPortError));
    EXPECT_TRUE(backend.allWritten.empty());
}

}  // namespace
}  // namespace varnel::test
