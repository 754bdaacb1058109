#include "model/ConfigModel.h"

#include "model/ModelObserver.h"

namespace varnel {

int FindMapRow(const MapTable& table, std::string_view name) {
    for (int i = 0; i < kMaxMapRows; ++i)
        if (table[i].name == name) return i;
    return -1;
}

int FindSetting(const SettingsTable& settings, std::string_view name) {
    for (int i = 0; i < kMaxSettings; ++i)
        if (settings[i].name == name) return i;
    return -1;
}

int FindOption(const OptionsTable& options, std::string_view name, int32_t number) {
    for (int i = 0; i < kMaxOptions; ++i) {
        const OptionEntry& row = options[i];
        if (row.IsAttributeRow() || row.name != name) continue;
        if (number == -1 || row.value == number || (row.low <= number && number <= row.high)) return i;
    }
    return -1;
}

int FindOptionByText(const OptionsTable& options, std::string_view name, std::string_view choiceText) {
    for (int i = 0; i < kMaxOptions; ++i) {
        const OptionEntry& row = options[i];
        if (row.IsAttributeRow() || row.name != name) continue;
        if (choiceText.empty() || row.text == choiceText) return i;
    }
    return -1;
}

bool IsWritable(const OptionsTable& options, std::string_view name) {
    for (const OptionEntry& row : options) {
        if (!row.IsAttributeRow() || row.name != name) continue;
        if (!row.valueText.empty() && (row.valueText[0] == 'Y' || row.valueText[0] == 'y')) return true;
    }
    return false;
}

int32_t CharSum(std::string_view text) {
    int32_t sum = 0;
    size_t count = text.size() < kCharSumLength ? text.size() : kCharSumLength;
    for (size_t i = 0; i < count; ++i) sum += static_cast<signed char>(text[i]);
    return sum;
}

void ClearSettings(SettingsTable& settings) {
    for (SettingRow& row : settings) row.Clear();
}

void ClearMapTable(MapTable& table) {
    for (MapEntry& row : table) row.Clear();
}

void ClearOptionsTable(OptionsTable& options) {
    for (OptionEntry& row : options) row.Clear();
}

void UnloadDescriptions(ConfigModel& model, ModelObserver& observer) {
    model.configFilePath.clear();
    observer.UpdateTitle();
    observer.SetFlashButtonVisible(false);
    ClearOptionsTable(model.options);
    model.mapFilePath.clear();
    model.optionsModel.clear();
    ClearMapTable(model.mapEntries);
    observer.InvalidateView();
}

void NewConfiguration(ConfigModel& model, ModelObserver& observer) {
    UnloadDescriptions(model, observer);
    ClearSettings(model.settings);
    model.model.clear();
}

}  // namespace varnel
