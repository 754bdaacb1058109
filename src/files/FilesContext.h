#pragma once

namespace varnel {

class Clock;
class IOComm;
class Reporter;
struct ConfigModel;

// What the file manager keeps for the whole process.
struct FileManagerState {
    // Set by every list read that found an entry; Delete clears it and waits for it to come back.
    int fileListSeen = 0;
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
