// Ventaro's own start-up, message loop and hand-over, with a game page that
// only writes down which game mode it was asked for (one id per line in
// "handover.log" beside the program, and the command line it was given in
// "commandline.log"). Copied as Ventaro.exe next to Pexilo by the proxy
// suite. VENTARO_PROBE_DELAY_MS delays the start like a slow machine.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "AppHooks.h"
#include "MainWindow.h"
#include "PathUtil.h"
#include "PublicModule.h"
#include "VentaroApp.h"

namespace {

class CLoggingGamePage : public IGameTaskRunner {
public:
    explicit CLoggingGamePage(std::wstring path) : m_path(std::move(path)) {}
    int RunGameTaskById(unsigned int id) override {
        if (FILE* f = _wfopen(m_path.c_str(), L"ab")) {
            std::fprintf(f, "%u\n", id);
            std::fclose(f);
        }
        return 1;
    }

private:
    std::wstring m_path;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand) {
    if (const char* delay = std::getenv("VENTARO_PROBE_DELAY_MS")) Sleep(static_cast<DWORD>(std::atoi(delay)));
    wchar_t self[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring folder = FolderOfPath(self);
    // The command line as Ventaro's start-up sees it (after the program name).
    if (FILE* f = _wfopen((folder + L"commandline.log").c_str(), L"ab")) {
        const std::wstring text = commandLine ? commandLine : L"";
        std::fprintf(f, "[%ls]\n", text.c_str());
        std::fclose(f);
    }
    CLoggingGamePage page(folder + L"handover.log");
    // In place of the game page from the start, so that a hand-over taken in
    // during the start-up reaches the log too.
    return RunVentaro(instance, commandLine, showCommand,
                      [&](CPublicModule& module) { module.SetGameTaskRunner(&page); });
}
