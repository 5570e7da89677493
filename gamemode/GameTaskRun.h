#pragma once
// Running one game mode: companion programs started or closed, pages opened,
// the light theme applied, then the game started, in that order and without
// waits. What reaches the outside world goes through IGameTaskActions, so the
// order and the skipping rules are plain logic.
#include <string>

#include "GameTaskRecord.h"

class IGameTaskActions {
public:
    virtual ~IGameTaskActions() = default;
    // Starts a program in its own folder. 1/0.
    virtual int StartProgram(const std::wstring& path) = 0;
    // Asks every running process with this image name to close. 1/0.
    virtual int CloseProgram(const std::wstring& imageName) = 0;
    // Opens a full address (with scheme) in the user's browser. 1/0.
    virtual int OpenAddress(const std::wstring& address) = 0;
    // Applies the light theme of this name. 1/0.
    virtual int ApplyLightTheme(const std::wstring& name) = 0;
};

// Runs every step the record enables; a failing step does not stop the
// following ones. Returns 1.
int RunGameTaskSteps(const GameTaskRecord& task, IGameTaskActions* actions);
