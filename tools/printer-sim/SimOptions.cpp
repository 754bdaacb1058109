#include "SimOptions.h"

#include <functional>
#include <map>
#include <string_view>

#include "SimNumbers.h"

namespace varnel::sim {
namespace {

constexpr long kMaxPort = 65535;
constexpr long kMaxBaud = 4000000;
constexpr long kMaxMillis = 3600 * 1000;
constexpr long kMaxCount = 1000000000;
constexpr std::string_view kEndOfOptions = "--";
constexpr std::size_t kMaxFirmwareLength = 22;  // what fits a 30-byte read after "~r" 0x05 "REV:"

class ArgumentReader {
public:
    explicit ArgumentReader(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    bool Done() const { return next_ >= arguments_.size(); }
    std::string Next() { return arguments_[next_++]; }

    // The value of an option: "--name=value" or "--name value".
    std::optional<std::string> Value(const std::string& option, const std::optional<std::string>& inlineValue) {
        if (inlineValue) return inlineValue;
        if (Done()) {
            error_ = option + " needs a value";
            return std::nullopt;
        }
        return Next();
    }

    std::string& Error() { return error_; }

private:
    const std::vector<std::string>& arguments_;
    std::size_t next_ = 0;
    std::string error_;
};

std::optional<long> Number(const std::string& option, const std::string& text, long low, long high,
                           std::string& error) {
    const auto value = StrictInt(text, low, high);
    if (!value) error = option + ": \"" + text + "\" is not a number from " + std::to_string(low) + " to " +
                        std::to_string(high);
    return value;
}

bool ParseTcp(const std::string& text, SimOptions& options, std::string& error) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return error = "--tcp wants ADDRESS:PORT, as 127.0.0.1:9100", false;
    const auto port = Number("--tcp", text.substr(colon + 1), 0, kMaxPort, error);
    if (!port) return false;
    options.tcpHost = text.substr(0, colon);
    options.tcpPort = static_cast<int>(*port);
    return true;
}

bool ParseTextPreset(const std::string& text, SimOptions& options, std::string& error) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) return error = "--text wants TABLE=TEXT", false;
    const auto table = Number("--text", text.substr(0, equals), 0, 255, error);
    if (!table) return false;
    options.texts.push_back(TextPreset{static_cast<int>(*table), text.substr(equals + 1)});
    return true;
}

std::optional<std::uint8_t> ParseByte(const std::string& text) {
    std::string digits = text;
    if (digits.rfind("0x", 0) == 0 || digits.rfind("0X", 0) == 0) digits = digits.substr(2);
    if (digits.empty() || digits.size() > 2) return std::nullopt;
    long value = 0;
    for (char c : digits) {
        const int digit = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                                            : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                                                     : -1;
        if (digit < 0) return std::nullopt;
        value = value * 16 + digit;
    }
    return static_cast<std::uint8_t>(value);
}

using Handler = std::function<bool(SimOptions&, const std::string& option, ArgumentReader&,
                                   const std::optional<std::string>& inlineValue)>;

Handler Flag(bool SimOptions::*member) {
    return [member](SimOptions& options, const std::string& option, ArgumentReader& reader,
                    const std::optional<std::string>& inlineValue) {
        if (inlineValue) return reader.Error() = option + " takes no value", false;
        options.*member = true;
        return true;
    };
}

Handler Text(std::function<bool(SimOptions&, const std::string&, std::string&)> apply) {
    return [apply](SimOptions& options, const std::string& option, ArgumentReader& reader,
                   const std::optional<std::string>& inlineValue) {
        const auto value = reader.Value(option, inlineValue);
        return value && apply(options, *value, reader.Error());
    };
}

Handler Path(std::string SimOptions::*member) {
    return Text([member](SimOptions& options, const std::string& value, std::string& error) {
        if (value.empty()) return error = "an empty file name", false;
        options.*member = value;
        return true;
    });
}

Handler Millis(Micros FaultPlan::*member, const char* option) {
    return Text([member, option](SimOptions& options, const std::string& value, std::string& error) {
        const auto ms = Number(option, value, 1, kMaxMillis, error);
        if (ms) options.faults.*member = varnel::sim::Millis(*ms);
        return ms.has_value();
    });
}

const std::map<std::string, Handler>& Handlers() {
    static const std::map<std::string, Handler> handlers{
        {"--help", Flag(&SimOptions::help)},
        {"-h", Flag(&SimOptions::help)},
        {"--version", Flag(&SimOptions::version)},
        {"--pty", Flag(&SimOptions::usePty)},
        {"--tcp", Text([](SimOptions& o, const std::string& v, std::string& e) { return ParseTcp(v, o, e); })},
        {"--baud", Text([](SimOptions& o, const std::string& v, std::string& e) {
             const auto baud = Number("--baud", v, 50, kMaxBaud, e);
             if (baud) o.baud = static_cast<unsigned>(*baud);
             return baud.has_value();
         })},
        {"--line-rate", Flag(&SimOptions::lineRate)},
        {"--firmware", Text([](SimOptions& o, const std::string& v, std::string& e) {
             if (v.empty() || v.size() > kMaxFirmwareLength)
                 return e = "--firmware wants 1 to " + std::to_string(kMaxFirmwareLength) + " characters", false;
             o.firmware = v;
             return true;
         })},
        {"--map", Path(&SimOptions::mapPath)},
        {"--cfg", Path(&SimOptions::cfgPath)},
        {"--state", Path(&SimOptions::statePath)},
        {"--trace", Path(&SimOptions::tracePath)},
        {"--text", Text([](SimOptions& o, const std::string& v, std::string& e) { return ParseTextPreset(v, o, e); })},
        {"--boot", Flag(&SimOptions::boot)},
        {"--boot-image", Path(&SimOptions::bootImagePath)},
        {"--boot-loader", Text([](SimOptions& o, const std::string& v, std::string&) { return o.bootLoaderRevision = v, true; })},
        {"--flash-id", Text([](SimOptions& o, const std::string& v, std::string&) { return o.flashId = v, true; })},
        {"--flashed-firmware", Text([](SimOptions& o, const std::string& v, std::string& e) {
             if (v.empty() || v.size() > kMaxFirmwareLength) return e = "--flashed-firmware: bad length", false;
             o.flashedFirmware = v;
             return true;
         })},
        {"--fault-stray-byte", [](SimOptions& o, const std::string&, ArgumentReader& reader,
                                  const std::optional<std::string>& inlineValue) {
             o.faults.strayByte = FaultPlan::kDefaultStrayByte;
             if (!inlineValue) return true;
             o.faults.strayByte = ParseByte(*inlineValue);
             return o.faults.strayByte ? true : (reader.Error() = "--fault-stray-byte wants a hex byte", false);
         }},
        {"--fault-wrong-head", Text([](SimOptions& o, const std::string& v, std::string& e) {
             const auto count = Number("--fault-wrong-head", v, 1, kMaxCount, e);
             if (count) o.faults.wrongHeads = static_cast<int>(*count);
             return count.has_value();
         })},
        {"--fault-silent", Text([](SimOptions& o, const std::string& v, std::string& e) {
             std::size_t start = 0;
             while (start <= v.size()) {
                 const std::size_t comma = std::min(v.find(',', start), v.size());
                 const std::string faultText = v.substr(start, comma - start);
                 if (!AddSilence(o.faults, faultText))
                     return e = "--fault-silent: \"" + faultText + "\" is not REPLY or REPLY:COUNT; replies: " +
                                ReplyKindNames(),
                            false;
                 start = comma + 1;
             }
             return true;
         })},
        {"--fault-drop-after", Text([](SimOptions& o, const std::string& v, std::string& e) {
             const auto count = Number("--fault-drop-after", v, 1, kMaxCount, e);
             if (count) o.faults.dropAfterBytes = *count;
             return count.has_value();
         })},
        {"--fault-slow", Millis(&FaultPlan::slowReply, "--fault-slow")},
        {"--split-replies", Millis(&FaultPlan::splitGap, "--split-replies")},
        {"--fault-busy", Millis(&FaultPlan::busyPeriod, "--fault-busy")},
        {"--fault-stale-identity", [](SimOptions& o, const std::string& option, ArgumentReader& reader,
                                      const std::optional<std::string>& inlineValue) {
             if (inlineValue) return reader.Error() = option + " takes no value", false;
             return o.faults.staleIdentity = true;
         }},
        {"--fault-probe-garbage", [](SimOptions& o, const std::string& option, ArgumentReader& reader,
                                     const std::optional<std::string>& inlineValue) {
             if (inlineValue) return reader.Error() = option + " takes no value", false;
             return o.faults.probeGarbage = true;
         }},
    };
    return handlers;
}

bool CheckCombination(const SimOptions& options, std::string& error) {
    if (options.help || options.version) return true;
    const bool tcp = options.tcpPort >= 0;
    if (tcp == options.usePty) return error = "give exactly one of --tcp ADDRESS:PORT and --pty", false;
    if (options.lineRate && !options.usePty && options.baud == 0)
        return error = "--line-rate over TCP needs --baud to know the rate", false;
    if (!options.cfgPath.empty() && options.mapPath.empty())
        return error = "--cfg needs --map to know where the settings live", false;
    return true;
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& arguments) {
    ParsedOptions result;
    SimOptions options;
    ArgumentReader reader(arguments);
    while (!reader.Done()) {
        const std::string argument = reader.Next();
        // "--" ends the options; the simulator takes no other arguments.
        if (argument == kEndOfOptions) {
            if (reader.Done()) break;
            result.error = "unexpected argument \"" + reader.Next() + "\"";
            return result;
        }
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const std::optional<std::string> inlineValue =
            equals == std::string::npos ? std::nullopt : std::optional<std::string>(argument.substr(equals + 1));
        const auto handler = Handlers().find(name);
        if (handler == Handlers().end()) {
            result.error = "unknown argument \"" + argument + "\"";
            return result;
        }
        if (!handler->second(options, name, reader, inlineValue)) {
            result.error = reader.Error().empty() ? name + ": bad value" : reader.Error();
            return result;
        }
    }
    if (!CheckCombination(options, result.error)) return result;
    result.options = std::move(options);
    return result;
}

std::string UsageText() {
    return R"(Usage: varnel-printer-sim (--tcp ADDRESS:PORT | --pty) [options] [--]
       varnel-printer-sim -h | --help | --version

An emulated receipt printer for Varnel: configuration tables, identity texts, firmware
query, baud probe, file store and boot loader, over TCP or a pseudo-terminal.
The first line on standard output names the port to use: "PORT <name>".

Transport:
  --tcp ADDRESS:PORT      listen on ADDRESS:PORT (port 0 picks a free one)
  --pty                   create a pseudo-terminal; its path is the port name
  --baud RATE             answer only while the line is set to RATE (pseudo-terminal)
  --line-rate             send and take bytes no faster than the line's rate

Printer:
  --firmware TEXT         firmware identifier (default: the map's "Firmware", else SIM-1.00)
  --map FILE --cfg FILE   fill the tables with this configuration of the model of this map
  --state FILE            load the printer from FILE and save it there on every change
  --text TABLE=TEXT       put TEXT into text table TABLE (2, 3, 4, 13: identity strings)
  --trace FILE            record every byte received and sent, with time, as hex

Boot loader:
  --boot                  start in boot-loader mode
  --boot-image FILE       write the boot file the boot loader receives to FILE
  --boot-loader TEXT      boot loader revision (default VSBL-1.05)
  --flash-id TEXT         flash identifier (default SIM-29F040)
  --flashed-firmware TEXT firmware identifier after a boot file was received

Faults:
  --fault-stray-byte[=HH] send byte HH (default 11) before every configuration reply
  --fault-wrong-head N    give the first N configuration replies a wrong head ("~?")
  --fault-silent R[:N],.. leave reply R out (the first N times, else always); R is one of
                          )" + ReplyKindNames() + R"(
  --fault-drop-after N    drop the line once N bytes were received (TCP: close the
                          connection; pseudo-terminal: the printer goes dead)
  --fault-slow MS         hold every reply back MS milliseconds
  --split-replies MS      send every reply in two pieces, the second MS milliseconds
                          after the first (two TCP segments)
  --fault-busy MS         take no data for MS ms after a connect, reset, delete or flash
  --fault-stale-identity  string writes to tables 2, 3, 4, 13 are lost
  --fault-probe-garbage   answer at every baud rate, never with the probe reply

  -h, --help              show this text and end
  --version               show the version and end
  --                      end of the options (nothing may follow it)
Exit codes: 0 after SIGINT or SIGTERM (state saved), 1 on a run-time failure,
2 for bad arguments.
)";
}

}  // namespace varnel::sim
