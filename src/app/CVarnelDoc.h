#pragma once

#include <string>
#include <string_view>

#include "protocol/SaveQuestion.h"

namespace varnel {

class ModelObserver;
class Reporter;
class UserInterface;
struct ConfigModel;

// The filters of the file dialogs, in the list form the file commands are known by.
inline constexpr std::string_view kConfigFileFilter = "Configuration files    (*.cfg)|*.cfg||";
inline constexpr std::string_view kMapFileFilter = "Map files    (*.map)|*.map||";

// The document: the file commands of the window (New, Open, Save, Save As, Load Map File) and
// the save question asked before a changed configuration is replaced. It holds no data of its
// own; everything it does is done to the application's configuration model.
class CVarnelDoc : public SaveQuestion {
public:
    CVarnelDoc(ConfigModel& model, UserInterface& ui, Reporter& reporter, ModelObserver& observer);

    // File New: the save question, then (unless it was cancelled) the new document.
    void New();
    // The framework's new-document step: empties the configuration unless the command line asked
    // to keep it, and that only once.
    void NewDocument();
    // File Open: the save question, then the chosen configuration file. False when cancelled or
    // when the file could not be read.
    bool Open();
    // File Save: to the configuration's own file, or as Save As when it has none. The
    // configuration stays modified unless the whole file was written.
    bool Save();
    // File Save As: the chosen name, with ".cfg" appended when it holds neither ".cfg" nor ".CFG".
    bool SaveAs();
    // Configure Load Map File.
    bool LoadMap();

    // When the configuration is modified: "File: <path> has changed. Save it to disk now?";
    // Save runs Save As, Discard leaves the changes unsaved; Cancel, or a Save As that did not
    // write the file, returns false: the command that asked does not go on.
    bool AskToSaveChanges() override;

    // The name a configuration is written under when `chosen` is picked in Save As.
    static std::string ConfigFileName(const std::string& chosen);

private:
    bool WriteTo(const std::string& path);

    ConfigModel& model_;
    UserInterface& ui_;
    Reporter& reporter_;
    ModelObserver& observer_;
};

}  // namespace varnel
