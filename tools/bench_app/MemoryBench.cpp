// bench_app's memory figures: private bytes beside the working set, a bare
// Wine window process (and one with GDI+ started) to compare with, the
// breakdown of Ventaro.exe's start-up from its memory log
// (VENTARO_MEMORY_LOG), and the time from a show from the tray to the first
// frame. Under Wine the private bytes are the resident anonymous memory of
// the Unix process (RssAnon): what is committed and touched. Memory that is
// committed but never touched counts on Windows and not here.
#include <windows.h>
#include <psapi.h>

#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "MemoryBench.h"

namespace {

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, n);
}

LRESULT CALLBACK BareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

std::string ReadFileText(const std::wstring& path) {
    std::string text;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

double StatusMb(const std::wstring& procDir, const char* field) {
    const std::string status = ReadFileText(procDir + L"status");
    const size_t at = status.find(field);
    if (at == std::string::npos) return -1;
    return std::atof(status.c_str() + at + std::strlen(field)) / 1024.0;
}

std::wstring UnixProcessDir(const std::string& marker) {
    std::wstring dir;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &data);
    if (find == INVALID_HANDLE_VALUE) return dir;
    do {
        const std::wstring name = data.cFileName;
        if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        const std::string commandLine = ReadFileText(L"Z:\\proc\\" + name + L"\\cmdline");
        // Wine's loader process carries the same command line: the one with
        // a status of its own and the larger resident set is the program.
        if (commandLine.find(marker) != std::string::npos &&
            StatusMb(L"Z:\\proc\\" + name + L"\\", "VmRSS:") > (dir.empty() ? -1 : StatusMb(dir, "VmRSS:")))
            dir = L"Z:\\proc\\" + name + L"\\";
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return dir;
}

MemoryReading ReadMemory(HANDLE process, const std::wstring& procDir) {
    MemoryReading r;
    if (!procDir.empty()) {
        r.privateMb = StatusMb(procDir, "RssAnon:");
        r.workingSetMb = StatusMb(procDir, "VmRSS:");
        r.sharedMb = StatusMb(procDir, "RssShmem:");
        return r;
    }
    PROCESS_MEMORY_COUNTERS_EX c{};
    c.cb = sizeof c;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&c), sizeof c)) {
        r.privateMb = double(c.PrivateUsage ? c.PrivateUsage : c.PagefileUsage) / (1024.0 * 1024.0);
        r.workingSetMb = double(c.WorkingSetSize) / (1024.0 * 1024.0);
    }
    return r;
}

int RunBareWindow(bool withGdiplus) {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (withGdiplus && Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return 1;
    WNDCLASSW wc{};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BenchBareWindow";
    RegisterClassW(&wc);
    CreateWindowExW(0, wc.lpszClassName, L"bare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                    wc.hInstance, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    if (token) Gdiplus::GdiplusShutdown(token);
    return 0;
}

MemoryReading MeasureBareWindow(bool withGdiplus) {
    const std::wstring exe = ProgramPath();
    const std::wstring tag = L"bench_bare_" + std::to_wstring(GetCurrentProcessId()) + (withGdiplus ? L"_g" : L"_w");
    std::wstring cmd = L"\"" + exe + L"\" " + (withGdiplus ? L"--bare-gdiplus " : L"--bare-window ") + tag;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    MemoryReading r;
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return r;
    WaitForInputIdle(pi.hProcess, 10000);
    Sleep(3000);
    r = ReadMemory(pi.hProcess, UnixProcessDir(std::string(tag.begin(), tag.end())));
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return r;
}

void PrintMemoryStages(const std::wstring& logPath, const MemoryReading& bare, const MemoryReading& bareGdiplus) {
    std::printf("memory by component (MB; private = committed and touched, ws = working set;\n"
                "  ms = when Ventaro reached the step, from its process creation):\n");
    std::printf("  %-34s %8s %8s %8s %8s %6s\n", "", "private", "+", "ws", "+", "ms");
    std::printf("  %-34s %8.1f %8s %8.1f %8s\n", "bare Wine window process", bare.privateMb, "", bare.workingSetMb, "");
    std::printf("  %-34s %8.1f %8.1f %8.1f %8.1f\n", "bare window with GDI+ started", bareGdiplus.privateMb,
                bareGdiplus.privateMb - bare.privateMb, bareGdiplus.workingSetMb,
                bareGdiplus.workingSetMb - bare.workingSetMb);
    const std::string text = ReadFileText(logPath);
    double lastPrivate = -1, lastWs = -1;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        const size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
        if (tab1 == std::string::npos || tab2 == std::string::npos) continue;
        const double priv = std::atof(line.c_str() + tab1 + 1) / (1024.0 * 1024.0);
        const double ws = std::atof(line.c_str() + tab2 + 1) / (1024.0 * 1024.0);
        const size_t tab3 = line.find('\t', tab2 + 1);
        const long ms = tab3 == std::string::npos ? -1 : std::atol(line.c_str() + tab3 + 1);
        const std::string name = "Ventaro: " + line.substr(0, tab1);
        if (lastPrivate < 0)
            std::printf("  %-34s %8.1f %8s %8.1f %8s %6ld\n", name.c_str(), priv, "", ws, "", ms);
        else
            std::printf("  %-34s %8.1f %8.1f %8.1f %8.1f %6ld\n", name.c_str(), priv, priv - lastPrivate, ws,
                        ws - lastWs, ms);
        lastPrivate = priv;
        lastWs = ws;
    }
}

double ShowToFirstFrameMs(HWND window, const std::wstring& dump) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG asked = ((ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    const ULONGLONG askedTick = GetTickCount64();
    PostMessageW(window, WM_COMMAND, 7001, 0);  // ID_SHOWWINDOW, as the tray's double-click
    for (int i = 0; i < 5000; ++i, Sleep(1)) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(dump.c_str(), GetFileExInfoStandard, &data)) continue;
        const ULONGLONG written = (ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
        if (written >= asked) return double(GetTickCount64() - askedTick);
    }
    return -1;
}
