#include "MemoryStages.h"

#include <windows.h>
#include <psapi.h>

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

MemoryFigures OwnMemoryFigures() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    MemoryFigures figures;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return figures;
    figures.privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    figures.workingSet = counters.WorkingSetSize;
    return figures;
}

namespace {

const std::wstring& LogPath() {
    static const std::wstring path = [] {
        wchar_t buffer[MAX_PATH];
        const DWORD n = GetEnvironmentVariableW(L"VENTARO_MEMORY_LOG", buffer, MAX_PATH);
        return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : std::wstring();
    }();
    return path;
}

}  // namespace

void MemoryStage(const wchar_t* name) {
    if (LogPath().empty() || !name) return;
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    const MemoryFigures figures = OwnMemoryFigures();
    // When the step was reached: the start-up's timeline beside its memory.
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    const uint64_t sinceStartMs = ticks(now) > ticks(created) ? (ticks(now) - ticks(created)) / 10000 : 0;
    if (FILE* f = _wfopen(LogPath().c_str(), L"ab")) {
        // UTF-8 names: the reader is a plain byte reader.
        char utf8[256] = {};
        WideCharToMultiByte(CP_UTF8, 0, name, -1, utf8, sizeof utf8 - 1, nullptr, nullptr);
        std::fprintf(f, "%s\t%llu\t%llu\t%llu\n", utf8, static_cast<unsigned long long>(figures.privateBytes),
                     static_cast<unsigned long long>(figures.workingSet),
                     static_cast<unsigned long long>(sinceStartMs));
        std::fclose(f);
    }
}
