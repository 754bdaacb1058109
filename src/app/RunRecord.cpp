#include "app/RunRecord.h"

#include <unistd.h>

#include <array>
#include <ctime>
#include <nlohmann/json.hpp>

#include "base/Windows1252.h"

namespace varnel {
namespace {

using Json = nlohmann::ordered_json;

Json Text(const std::string& bytes) { return TextAsUtf8(bytes); }

Json OptionalText(const std::optional<std::string>& bytes) { return bytes ? Text(*bytes) : Json(nullptr); }

Json Texts(const std::vector<std::string>& texts) {
    Json list = Json::array();
    for (const std::string& text : texts) list.push_back(Text(text));
    return list;
}

Json Action(const RecordedAction& action) {
    Json object = {{"action", action.action}};
    if (action.argument) object["argument"] = Text(*action.argument);
    object["outcome"] = action.ok ? "ok" : "failed";
    return object;
}

Json Difference(const VerifyDifference& difference) {
    return {{"setting", Text(difference.setting)},
            {"printer", Text(difference.printerValue)},
            {"configuration", Text(difference.configurationValue)}};
}

}  // namespace

std::string RunRecordLine(const RunRecord& record) {
    Json actions = Json::array();
    for (const RecordedAction& action : record.actions) actions.push_back(Action(action));
    Json differences = Json::array();
    for (const VerifyDifference& difference : record.differences) differences.push_back(Difference(difference));
    const Json line = {{"start", IsoUtcTime(record.start)},
                       {"end", IsoUtcTime(record.end)},
                       {"host", Text(record.host)},
                       {"port", Text(record.port)},
                       {"parameters", Texts(record.parameters)},
                       {"firmware", OptionalText(record.firmware)},
                       {"serialNumber", OptionalText(record.serialNumber)},
                       {"actions", actions},
                       {"differences", differences},
                       {"errors", Texts(record.errors)},
                       {"exitCode", record.exitCode}};
    return line.dump() + "\n";
}

std::string IsoUtcTime(std::chrono::system_clock::time_point moment) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(moment);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    std::array<char, 32> text{};
    std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text.data();
}

std::string HostName() {
    // POSIX host names are at most 255 bytes; the last byte of the buffer stays the terminator.
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0) return {};
    return name.data();
}

}  // namespace varnel
