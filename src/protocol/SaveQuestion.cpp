#include "protocol/SaveQuestion.h"

#include <optional>
#include <string>

#include "base/UserInterface.h"
#include "model/ConfigFileWriter.h"
#include "model/ConfigModel.h"
#include "model/ModelObserver.h"
#include "protocol/ProtocolContext.h"

namespace varnel {
namespace {

constexpr const char* kConfigFileFilter = "Configuration files (*.cfg)";

bool HasConfigEnding(const std::string& path) {
    return path.find(".cfg") != std::string::npos || path.find(".CFG") != std::string::npos;
}

}  // namespace

void AskToSaveModifiedConfiguration(ProtocolContext& context) {
    ConfigModel& model = context.model;
    if (!model.modified) return;
    const std::string question = "File: " + model.configFilePath + " has changed. Save it to disk now?";
    if (!context.ui.AskYesNo("", question)) return;

    const std::optional<std::string> chosen = context.ui.ChooseSaveFile("", kConfigFileFilter, "");
    if (!chosen) return;
    model.configFilePath = *chosen;
    if (model.configFilePath.empty()) return;
    if (!HasConfigEnding(model.configFilePath)) model.configFilePath += ".cfg";
    if (WriteConfigurationFile(model, model.configFilePath, context.reporter)) model.modified = false;
    context.observer.UpdateTitle();
}

}  // namespace varnel
