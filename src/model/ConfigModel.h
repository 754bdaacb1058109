#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace varnel {

inline constexpr int kMaxSettings = 200;
inline constexpr int kMaxMapRows = 200;
inline constexpr int kMaxOptions = 1000;
inline constexpr int kCharSumLength = 100;

// Attribute rows of an options file carry this text; their value says whether the setting may
// be written into the printer.
inline constexpr std::string_view kCanBeWritten = "CanBeWritten";

// One line of a configuration file: a setting, a comment or a custom comment.
struct SettingRow {
    std::string name;
    int32_t value = -1;
    std::string text;
    std::string comment;
    std::string customComment;

    bool IsEmpty() const {
        return name.empty() && value == -1 && text.empty() && comment.empty() && customComment.empty();
    }
    void Clear() { *this = SettingRow{}; }
    bool operator==(const SettingRow&) const = default;
};

// One line of a map file: where a setting lives in the printer's tables.
struct MapEntry {
    std::string name;
    double location = -1.0;  // byte offset, bit number as first decimal; "Setup": the lock value
    int32_t width = 0;       // bits
    int32_t table = 0;       // configuration table 0..15
    std::string text;        // "Model" and "Firmware" rows: the value text
    std::string comment;

    // A cleared row keeps its text, as the map reader relies on.
    void Clear() {
        name.clear();
        comment.clear();
        location = -1.0;
        width = 0;
        table = 0;
    }
};

// One line of an options file: a choice (or range) of a setting, or its attribute row.
struct OptionEntry {
    std::string name;
    std::string group;
    int32_t value = -1;
    std::string valueText;
    std::string text;
    int32_t low = -1;
    int32_t high = -1;

    bool IsAttributeRow() const { return text == kCanBeWritten; }
    // A value token starting with "S" or "s" marks a setting that holds text, not a number. The
    // configuration read, the edit dialog and the view all decide by this one rule.
    bool MarksTextSetting() const { return !valueText.empty() && (valueText[0] == 'S' || valueText[0] == 's'); }
    // A cleared row keeps its valueText.
    void Clear() {
        name.clear();
        group.clear();
        text.clear();
        value = -1;
        low = -1;
        high = -1;
    }
};

using SettingsTable = std::array<SettingRow, kMaxSettings>;
using MapTable = std::array<MapEntry, kMaxMapRows>;
using OptionsTable = std::array<OptionEntry, kMaxOptions>;

// The configuration in memory with the description files that explain it. The application
// object owns exactly one.
struct ConfigModel {
    SettingsTable settings;
    MapTable mapEntries;
    MapTable candidateMapEntries;
    OptionsTable options;

    std::string mapFilePath;
    double mapLockValue = 0.0;
    std::string configFilePath;
    std::string configFileTime;
    std::string comment;
    std::string model;
    std::string optionsModel;
    std::string firmwareRevision;
    std::string serialNumber;
    std::string manufactureId;
    std::string description;
    std::string portName;
    std::string flashBaud;
    std::string startDirectory;
    int32_t detectedBaud = 0;
    bool modified = false;
    bool keepSettingsOnNew = false;
    bool lockOverride = false;
};

// Lookups: the first matching row scanning from row 0, or -1. Names compare exactly.
int FindMapRow(const MapTable& table, std::string_view name);
int FindSetting(const SettingsTable& settings, std::string_view name);
// `number` -1 finds the first choice row of the setting; otherwise a row whose value equals
// it or whose range holds it. Attribute rows are never returned.
int FindOption(const OptionsTable& options, std::string_view name, int32_t number);
// An empty choice text matches the first choice row of the setting.
int FindOptionByText(const OptionsTable& options, std::string_view name, std::string_view choiceText);
bool IsWritable(const OptionsTable& options, std::string_view name);
// Sum of the first 100 characters, each as a signed 8-bit value.
int32_t CharSum(std::string_view text);

class ModelObserver;

void ClearSettings(SettingsTable& settings);
void ClearMapTable(MapTable& table);
void ClearOptionsTable(OptionsTable& options);

// Drops the map and options files and the configuration file name; settings, comment and model
// stay.
void UnloadDescriptions(ConfigModel& model, ModelObserver& observer);
// UnloadDescriptions, and the settings and the model name as well.
void NewConfiguration(ConfigModel& model, ModelObserver& observer);

}  // namespace varnel
