#pragma once

namespace varnel {

class Clock;
class IOComm;
class Reporter;
struct ConfigModel;

// What the file manager keeps for the whole process.
struct FileManagerState {
    // Set by every list read the printer answered, also with an empty list; Delete clears it and
    // waits for it to come back.
    int listAnswered = 0;
};

// Everything the file manager works with, handed in by the application object that owns it.
struct FilesContext {
    ConfigModel& model;  // portName
    IOComm& port;
    Reporter& reporter;
    Clock& clock;
    FileManagerState& state;
};

}  // namespace varnel
