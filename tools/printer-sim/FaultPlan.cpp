#include "FaultPlan.h"

#include <array>
#include <utility>

#include "SimNumbers.h"

namespace varnel::sim {
namespace {

constexpr std::array<std::pair<ReplyKind, std::string_view>, 9> kNames{{
    {ReplyKind::Firmware, "firmware"},
    {ReplyKind::Probe, "probe"},
    {ReplyKind::ByteRead, "byte-read"},
    {ReplyKind::TableRead, "table-read"},
    {ReplyKind::FileList, "file-list"},
    {ReplyKind::FileRead, "file-read"},
    {ReplyKind::BootQuery, "boot-query"},
    {ReplyKind::FlashId, "flash-id"},
    {ReplyKind::BootFirmware, "boot-firmware"},
}};

constexpr long kMaxFaultCount = 1000000;

// Counts down a counter that may also be kAlways; true while the fault still applies.
bool TakeOne(int& remaining) {
    if (remaining == FaultPlan::kAlways) return true;
    if (remaining <= 0) return false;
    --remaining;
    return true;
}

}  // namespace

std::optional<ReplyKind> ReplyKindFromName(std::string_view name) {
    for (const auto& [kind, text] : kNames)
        if (text == name) return kind;
    return std::nullopt;
}

std::string_view ReplyKindName(ReplyKind kind) {
    for (const auto& [each, text] : kNames)
        if (each == kind) return text;
    return "?";
}

std::string ReplyKindNames() {
    std::string names;
    for (const auto& [kind, text] : kNames) {
        if (!names.empty()) names += ", ";
        names += text;
    }
    return names;
}

bool FaultPlan::TakeSilence(ReplyKind kind) {
    const auto found = silent.find(kind);
    return found != silent.end() && TakeOne(found->second);
}

bool FaultPlan::TakeWrongHead() { return TakeOne(wrongHeads); }

bool AddSilence(FaultPlan& plan, std::string_view faultText) {
    const std::size_t colon = faultText.find(':');
    const auto kind = ReplyKindFromName(faultText.substr(0, colon));
    if (!kind) return false;
    if (colon == std::string_view::npos) {
        plan.silent[*kind] = FaultPlan::kAlways;
        return true;
    }
    const auto count = StrictInt(faultText.substr(colon + 1), 1, kMaxFaultCount);
    if (!count) return false;
    plan.silent[*kind] = static_cast<int>(*count);
    return true;
}

}  // namespace varnel::sim
