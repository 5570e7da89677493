#pragma once
// The whole run of Ventaro behind its entry point: single instance, module
// start-up, message loop, teardown.
#include <windows.h>

#include <functional>

class CPublicModule;

// Serialises the start of copies: held from before the search for a running
// copy until the top-level window exists, so two starts in the same instant
// cannot both miss each other's window.
constexpr const wchar_t* kStartUpLockName = L"Local\\Ventaro.StartUpLock";

// The exit code of a start that failed (after telling the user what failed).
constexpr int kStartUpFailedExitCode = 1;

// Returns the process exit code: 0 for a second copy and for a start the
// remote switch stopped, kStartUpFailedExitCode for a failed start-up, else
// the message loop's. beforeStartUp, when given, sees the module before its
// start-up steps run (to hand it its parts).
int RunVentaro(HINSTANCE instance, const wchar_t* commandLine, int showCommand,
               const std::function<void(CPublicModule&)>& beforeStartUp = {});
