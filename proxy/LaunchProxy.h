#pragma once
// Pexilo: the program every game-mode desktop shortcut starts. It makes sure
// Ventaro runs (starting it hidden when it does not) and hands the shortcut's
// argument to Ventaro's top-level window.
#include <string>
#include <string_view>
#include <vector>

constexpr unsigned long GAMEMODE_COPYDATA_TAG = 456852;
constexpr const wchar_t* kVentaroProgramName = L"Ventaro.exe";
constexpr const wchar_t* kVentaroWindowTitle = L"Ventaro";
constexpr const wchar_t* kVentaroWindowClass = L"VentaroClass";
// A Ventaro that does not take the request within this long is hung; the
// proxy gives up rather than hang with it.
constexpr unsigned int kHandOverTimeoutMs = 5000;

// True when names holds program, compared without regard to case.
bool ContainsProgramName(const std::vector<std::wstring>& names, std::wstring_view program);

struct LaunchTiming {
    unsigned int startWaitMs = 1000;   // always waited before the first look
    unsigned int retryEveryMs = 250;   // a cold start may need longer for its window
    unsigned int retryForMs = 15000;
};

// Executable file names of all running processes (empty when the snapshot
// cannot be read).
std::vector<std::wstring> RunningProgramNames();
// The own module's folder with its trailing "\".
std::wstring OwnFolder();
// Ventaro's top-level window: its own class with its title, so that another
// program's window of that title (an Explorer window on a folder named
// Ventaro) never takes the request.
void* FindVentaroWindow();
// Sends text (UTF-16, no terminator) with the hand-over tag, synchronously,
// waiting at most timeoutMs; 0 when it was not delivered.
int SendHandOver(void* window, const std::wstring& text, unsigned int timeoutMs = kHandOverTimeoutMs);

// The whole run; argument is argument 1 or nullptr. Always returns 0.
int RunLaunchProxy(const wchar_t* argument, const LaunchTiming& timing = {});
