#include "app/EditConfiguration.h"

#include <string>
#include <string_view>

#include "app/CVarnelApp.h"
#include "app/EditPages.h"
#include "base/UserInterface.h"
#include "model/OptionsFile.h"
#include "protocol/Identification.h"

namespace varnel {
namespace {

constexpr std::string_view kNoModelError =
    "Unable to edit configuration. Must load a configuration file, or read configuration from printer first.";
constexpr std::string_view kNoOptionsError = "Unable to locate correct Options file.";

}  // namespace

bool RunEditConfiguration(CVarnelApp& app) {
    ConfigModel& model = app.model();
    const std::string modelName = EditModelName(model);
    if (modelName.empty()) {
        app.ReportError(std::string(kNoModelError), event::kGeneral);
        return false;
    }
    if (!LocateOptionsFile(model, modelName, app)) {
        app.ReportError(std::string(kNoOptionsError), event::kGeneral);
        return false;
    }
    EditPages pages(model, app, [&app] {
        ProtocolContext context = app.Context();
        MatchMapToModel(context);
    });
    pages.Open();
    const bool accepted = app.ui().EditConfiguration(pages);
    if (accepted) {
        pages.StorePage();
        CopyBackEditSettings(pages.EditSettings(), model.settings);
        model.modified = true;
    }
    app.InvalidateView();
    return accepted;
}

}  // namespace varnel
