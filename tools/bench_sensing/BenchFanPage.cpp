// bench_fanpage: what the fan page's sensing thread costs while the page is
// on screen. Builds the engine as Ventaro does (skin from this program's
// resources, client window, all pages), shows the fan page in a layered
// window with the render thread running, gives the sensing thread a
// temperature every second (VENTARO_TEMPERATURE_FILE, automatic mode on, so
// the labels, bars and the pie change every second and the automatic step
// runs) and prints the thread's processor time per second, shown and hidden.
// No controller is attached: the fan commands' own cost is bench_device's.
// The system keeps thread times in ticks (10 ms under Wine): use long periods.
//   bench_fanpage [seconds]      each period, default 20
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "ApplicationConfigFile.h"
#include "ClientWindow.h"
#include "DUIEngine.h"
#include "FanCtrlPage.h"
#include "TemperatureSource.h"

namespace {

CDUIEngine* g_engine = nullptr;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (g_engine && g_engine->HandleWindowMessage(message, wParam, lParam, &result)) return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

double ThreadCpuMs(HANDLE thread) {
    FILETIME created, exited, kernel, user;
    if (!thread || !GetThreadTimes(thread, &created, &exited, &kernel, &user)) return -1.0;
    auto value = [](const FILETIME& t) { return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime); };
    return (value(kernel) + value(user)) / 10000.0;
}

std::wstring TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    std::wstring dir = std::wstring(base) + L"ventaro_bench_fanpage_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

void WriteTemperature(const std::wstring& path, int celsius) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    const std::string text = std::to_string(celsius) + "\r\n";
    DWORD n = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
    CloseHandle(f);
}

// Runs the message loop for ms, writing a new temperature every second.
void Run(DWORD ms, const std::wstring& temperatureFile, int* celsius) {
    const ULONGLONG end = GetTickCount64() + ms;
    ULONGLONG nextWrite = 0;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        if (now >= nextWrite) {
            *celsius = *celsius >= 75 ? 30 : *celsius + 5;
            WriteTemperature(temperatureFile, *celsius);
            nextWrite = now + 1000;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int seconds = argc > 1 ? std::max(3, _wtoi(argv[1])) : 20;
    const std::wstring folder = TempFolder();
    const std::wstring temperatureFile = folder + L"cpu.txt";
    int celsius = 25;
    WriteTemperature(temperatureFile, celsius);
    SetEnvironmentVariableW(kTemperatureFileVariable, temperatureFile.c_str());

    CApplicationConfigFile settings;
    if (!settings.Initialise(folder)) {
        std::printf("settings file could not be created in %ls\n", folder.c_str());
        return 1;
    }
    settings.SetFanAutoAdjust(1);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VentaroBenchFanPage";
    RegisterClassExW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"bench_fanpage", WS_POPUP, 0, 0, 1366, 768, nullptr, nullptr,
                                wc.hInstance, nullptr);
    if (!host) return 1;

    CDUIEngine engine;
    CDUIEngine::Parts parts;
    parts.host = host;
    parts.skinModule = GetModuleHandleW(nullptr);
    parts.services.settings = &settings;
    if (!engine.Initialize(parts)) {
        std::printf("engine could not be built (skin linked?)\n");
        return 1;
    }
    g_engine = &engine;
    engine.ClientWindow()->ShowPage(ClientPageId::Fan);
    auto* page = dynamic_cast<CFanCtrlPage*>(engine.ClientWindow()->Page(ClientPageId::Fan));
    if (!page || !page->SensingThread()) {
        std::printf("no fan page or no sensing thread (WMI unavailable?)\n");
        return 1;
    }
    engine.Start();
    ShowWindow(host, SW_SHOW);
    Run(1500, temperatureFile, &celsius);  // past the identity query and the first frames

    HANDLE thread = page->SensingThread();
    const double shown0 = ThreadCpuMs(thread);
    const ULONGLONG t0 = GetTickCount64();
    Run(static_cast<DWORD>(seconds) * 1000, temperatureFile, &celsius);
    const double shown1 = ThreadCpuMs(thread);
    const double shownS = double(GetTickCount64() - t0) / 1000.0;

    ShowWindow(host, SW_HIDE);
    Run(500, temperatureFile, &celsius);
    const double hidden0 = ThreadCpuMs(thread);
    const ULONGLONG t1 = GetTickCount64();
    Run(static_cast<DWORD>(seconds) * 1000, temperatureFile, &celsius);
    const double hidden1 = ThreadCpuMs(thread);
    const double hiddenS = double(GetTickCount64() - t1) / 1000.0;

    if (shown0 < 0) {
        std::printf("the thread's times cannot be read here\n");
    } else {
        std::printf("sensing thread, page shown:  %.3f ms CPU per second (%.1f ms over %.1f s)\n",
                    (shown1 - shown0) / shownS, shown1 - shown0, shownS);
        std::printf("sensing thread, window hidden: %.3f ms CPU per second (%.1f ms over %.1f s)\n",
                    (hidden1 - hidden0) / hiddenS, hidden1 - hidden0, hiddenS);
    }
    const ULONGLONG s0 = GetTickCount64();
    g_engine = nullptr;
    engine.Shutdown();
    std::printf("engine shutdown (sensing stopped with it): %llu ms\n", GetTickCount64() - s0);
    DestroyWindow(host);
    SetEnvironmentVariableW(kTemperatureFileVariable, nullptr);
    DeleteFileW(temperatureFile.c_str());
    DeleteFileW((folder + CApplicationConfigFile::kFileName).c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
