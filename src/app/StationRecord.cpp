#include "app/StationRecord.h"

#include <nlohmann/json.hpp>

#include "app/RunRecord.h"
#include "base/Windows1252.h"

namespace varnel {

std::string StationRecordLine(const StationPrinter& printer) {
    using Json = nlohmann::ordered_json;
    Json runs = Json::array();
    for (const std::string& line : printer.runRecords) {
        Json record = Json::parse(line, nullptr, false);
        if (!record.is_discarded()) runs.push_back(std::move(record));
    }
    const bool passed = printer.status == PrinterStatus::Passed;
    const Json line = {{"port", TextAsUtf8(printer.port)},
                       {"passed", passed},
                       {"start", IsoUtcTime(printer.start)},
                       {"end", IsoUtcTime(printer.end)},
                       {"error", passed ? Json(nullptr) : Json(TextAsUtf8(printer.error))},
                       {"runs", runs}};
    return line.dump() + "\n";
}

}  // namespace varnel
