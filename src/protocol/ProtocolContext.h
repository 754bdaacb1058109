#pragma once

#include <string>

namespace varnel {

class Clock;
class IOComm;
class ModelObserver;
class Reporter;
class SaveQuestion;
class UserInterface;
struct ConfigModel;

// Everything a printer operation works with, handed in by the application object that owns it.
struct ProtocolContext {
    ConfigModel& model;
    IOComm& port;
    Reporter& reporter;
    Clock& clock;
    UserInterface& ui;
    ModelObserver& observer;
    // Sent at the start of every printer exchange; built from the "Pre_Init_Command" setting and
    // kept for the rest of the run.
    std::string& preInitSequence;
    // Before a read replaces a modified configuration.
    SaveQuestion& saveQuestion;
};

}  // namespace varnel
