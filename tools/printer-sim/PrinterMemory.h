#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace varnel::sim {

// The printer's configuration memory: sixteen byte tables reached by the byte read and the
// masked byte write, and a text per table number reached by the string write and the table
// read. The two are kept apart, as a printer keeps its strings apart from its settings bytes:
// the identity strings live in text tables 2, 3, 4 and 13 while byte tables of the same
// numbers hold settings.
class PrinterMemory {
public:
    static constexpr int kTableCount = 16;
    static constexpr int kTableSize = 256;
    static constexpr std::size_t kMaxTextLength = 255;

    using Table = std::array<std::uint8_t, kTableSize>;

    static bool IsTable(int table) { return table >= 0 && table < kTableCount; }

    // Bytes outside the tables read as zero.
    std::uint8_t ReadByte(int table, int offset) const;
    // Only the bits of mask change; a write outside the tables is ignored.
    void MaskedWrite(int table, int offset, std::uint8_t mask, std::uint8_t value);

    const std::string& Text(int table) const;
    // Texts longer than a table holds are cut.
    void SetText(int table, std::string text);

    const Table& TableBytes(int table) const { return tables_[table]; }
    const std::map<int, std::string>& Texts() const { return texts_; }

    const std::string& Firmware() const { return firmware_; }
    void SetFirmware(std::string firmware) { firmware_ = std::move(firmware); }

private:
    std::array<Table, kTableCount> tables_{};
    std::map<int, std::string> texts_;
    std::string firmware_;
};

}  // namespace varnel::sim
