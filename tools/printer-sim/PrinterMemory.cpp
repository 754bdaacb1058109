#include "PrinterMemory.h"

namespace varnel::sim {
namespace {

bool InTable(int table, int offset) {
    return PrinterMemory::IsTable(table) && offset >= 0 && offset < PrinterMemory::kTableSize;
}

}  // namespace

std::uint8_t PrinterMemory::ReadByte(int table, int offset) const {
    if (!InTable(table, offset)) return 0;
    return tables_[table][offset];
}

void PrinterMemory::MaskedWrite(int table, int offset, std::uint8_t mask, std::uint8_t value) {
    if (!InTable(table, offset)) return;
    std::uint8_t& byte = tables_[table][offset];
    byte = static_cast<std::uint8_t>((byte & ~mask) | (value & mask));
}

const std::string& PrinterMemory::Text(int table) const {
    static const std::string kEmpty;
    const auto found = texts_.find(table);
    return found == texts_.end() ? kEmpty : found->second;
}

void PrinterMemory::SetText(int table, std::string text) {
    if (text.size() > kMaxTextLength) text.resize(kMaxTextLength);
    if (text.empty()) {
        texts_.erase(table);
        return;
    }
    texts_[table] = std::move(text);
}

}  // namespace varnel::sim
