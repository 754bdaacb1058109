#include "app/CVarnelDoc.h"

#include <optional>

#include "base/UserInterface.h"
#include "flash/FileDialogFilter.h"
#include "model/ConfigFileReader.h"
#include "model/ConfigFileWriter.h"
#include "model/ConfigModel.h"
#include "model/MapFile.h"
#include "model/ModelObserver.h"

namespace varnel {
namespace {

constexpr const char* kOpenTitle = "Open";
constexpr const char* kSaveAsTitle = "Save As";
constexpr const char* kConfigEnding = ".cfg";
constexpr const char* kConfigEndingUpper = ".CFG";
// The save question carries the application's name, as every box of the program does.
constexpr const char* kSaveQuestionCaption = "Varnel";

}  // namespace

CVarnelDoc::CVarnelDoc(ConfigModel& model, UserInterface& ui, Reporter& reporter, ModelObserver& observer)
    : model_(model), ui_(ui), reporter_(reporter), observer_(observer) {}

std::string CVarnelDoc::ConfigFileName(const std::string& chosen) {
    const bool hasEnding =
        chosen.find(kConfigEnding) != std::string::npos || chosen.find(kConfigEndingUpper) != std::string::npos;
    return hasEnding ? chosen : chosen + kConfigEnding;
}

bool CVarnelDoc::AskToSaveChanges() {
    if (!model_.modified) return true;
    const std::string question = "File: " + model_.configFilePath + " has changed. Save it to disk now?";
    switch (ui_.AskSaveChanges(kSaveQuestionCaption, question)) {
    case SaveAnswer::Save: return SaveAs();
    case SaveAnswer::Discard: return true;
    case SaveAnswer::Cancel: return false;
    }
    return false;
}

void CVarnelDoc::NewDocument() {
    if (!model_.keepSettingsOnNew) {
        NewConfiguration(model_, observer_);
        // An emptied configuration has nothing left to save.
        model_.modified = false;
    }
    model_.keepSettingsOnNew = false;
}

void CVarnelDoc::New() {
    if (!AskToSaveChanges()) return;
    NewDocument();
}

bool CVarnelDoc::Open() {
    if (!AskToSaveChanges()) return false;
    const std::optional<std::string> path =
        ui_.ChooseOpenFile(kOpenTitle, QtFileFilter(kConfigFileFilter), model_.configFilePath);
    if (!path) return false;
    const bool read = ReadConfigurationFile(model_, *path, reporter_, observer_);
    observer_.UpdateTitle();
    return read;
}

bool CVarnelDoc::WriteTo(const std::string& path) {
    // The writer reports what it left out; a file that lacks a line is not the saved configuration.
    if (!WriteConfigurationFile(model_, path, reporter_)) return false;
    model_.modified = false;
    return true;
}

bool CVarnelDoc::Save() {
    if (model_.configFilePath.empty()) return SaveAs();
    const bool written = WriteTo(model_.configFilePath);
    // The header shows the file's time stamp.
    observer_.InvalidateView();
    return written;
}

bool CVarnelDoc::SaveAs() {
    // The save dialog asks itself before an existing file is replaced.
    const std::optional<std::string> path =
        ui_.ChooseSaveFile(kSaveAsTitle, QtFileFilter(kConfigFileFilter), model_.configFilePath);
    if (!path || path->empty()) return false;
    model_.configFilePath = ConfigFileName(*path);
    const bool written = WriteTo(model_.configFilePath);
    observer_.UpdateTitle();
    observer_.InvalidateView();
    return written;
}

bool CVarnelDoc::LoadMap() {
    const std::optional<std::string> path =
        ui_.ChooseOpenFile(kOpenTitle, QtFileFilter(kMapFileFilter), model_.mapFilePath);
    if (!path) return false;
    const bool loaded = LoadMapFile(model_, *path, false, reporter_);
    observer_.InvalidateView();
    return loaded;
}

}  // namespace varnel
