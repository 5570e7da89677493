#pragma once
// The stand-ins of the game-mode suites, per test: a scratch folder with
// copies of the stub program under the names a test asks for, the stub and
// browser logs (their variables are set for this process, so every program
// it starts inherits them), and waiting for windows and log lines.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestPaths.h"

namespace gamestandins {

struct StubLine {
    std::wstring event;  // "start" or "close"
    std::wstring path;
    std::wstring commandLine;
    std::wstring folder;
};

inline std::string Narrow(const std::wstring& w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
    return s;
}

inline std::wstring TrimSlash(std::wstring s) {
    while (!s.empty() && s.back() == L'\\') s.pop_back();
    return s;
}

inline std::vector<std::wstring> ReadUtf8Lines(const std::wstring& file) {
    std::vector<std::wstring> lines;
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return lines;
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD got = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(h);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) break;  // a line still being written
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::wstring w(line.size(), L'\0');
        w.resize(MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), w.data(),
                                     static_cast<int>(w.size())));
        lines.push_back(w);
        start = end + 1;
    }
    return lines;
}

inline const StubLine* FindStart(const std::vector<StubLine>& lines, const std::wstring& path) {
    for (const auto& l : lines)
        if (l.event == L"start" && _wcsicmp(l.path.c_str(), path.c_str()) == 0) return &l;
    return nullptr;
}

inline size_t CountEvents(const std::vector<StubLine>& lines, const std::wstring& event) {
    return static_cast<size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const StubLine& l) { return l.event == event; }));
}

template <class F>
bool WaitFor(F done, int ms = 10000) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (done()) return true;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(50);
    }
    return done();
}

class StandIns {
public:
    StandIns() {
        root_ = testpaths::MakeTempDir(L"game");
        programs_ = root_ + L"Program Files\\游戏 目录\\";
        CreateDirectoryW((root_ + L"Program Files").c_str(), nullptr);
        CreateDirectoryW(programs_.c_str(), nullptr);
        SetEnvironmentVariableW(L"VENTARO_STUB_LOG", StubLogPath().c_str());
        SetEnvironmentVariableW(L"VENTARO_BROWSER_LOG", BrowserLogPath().c_str());
    }
    ~StandIns() { CloseAll(); }

    const std::wstring& Root() const { return root_; }
    const std::wstring& ProgramFolder() const { return programs_; }
    std::wstring StubLogPath() const { return root_ + L"stub.log"; }
    std::wstring BrowserLogPath() const { return root_ + L"browser.log"; }
    static std::wstring BinFolder() { return testpaths::BinaryDir() + L"\\bin\\"; }

    // A copy of the stub program under this file name in ProgramFolder().
    std::wstring CopyStub(const std::wstring& name) {
        const std::wstring path = programs_ + name;
        CopyFileW((BinFolder() + L"StubProgram.exe").c_str(), path.c_str(), FALSE);
        names_.push_back(name);
        return path;
    }

    std::vector<StubLine> StubLog() const {
        std::vector<StubLine> out;
        for (const auto& line : ReadUtf8Lines(StubLogPath())) {
            StubLine l;
            std::vector<std::wstring> parts;
            size_t start = 0, bar;
            while ((bar = line.find(L'|', start)) != std::wstring::npos) {
                parts.push_back(line.substr(start, bar - start));
                start = bar + 1;
            }
            parts.push_back(line.substr(start));
            l.event = parts[0];
            if (parts.size() > 1) l.path = parts[1];
            if (parts.size() > 2) l.commandLine = parts[2];
            if (parts.size() > 3) l.folder = parts[3];
            out.push_back(l);
        }
        return out;
    }
    std::vector<std::wstring> BrowserLog() const { return ReadUtf8Lines(BrowserLogPath()); }
    // Each opened address is its own browser process, so the lines arrive in
    // whatever order the processes happen to start in.
    std::vector<std::wstring> SortedBrowserLog() const {
        auto lines = BrowserLog();
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    bool WaitForLogLines(size_t n, int ms = 10000) const {
        return WaitFor([&] { return StubLog().size() >= n; }, ms);
    }
    bool WaitForBrowserLines(size_t n, int ms = 10000) const {
        return WaitFor([&] { return BrowserLog().size() >= n; }, ms);
    }
    static bool WaitForWindow(const std::wstring& title, int ms = 10000) {
        return WaitFor([&] { return FindWindowW(nullptr, title.c_str()) != nullptr; }, ms);
    }
    static bool WaitForWindowGone(const std::wstring& title, int ms = 10000) {
        return WaitFor([&] { return FindWindowW(nullptr, title.c_str()) == nullptr; }, ms);
    }

    // Ends every stub this test copied that still has a window.
    void CloseAll() {
        for (const auto& name : names_) {
            for (int i = 0; i < 10; ++i) {
                HWND w = FindWindowW(nullptr, name.c_str());
                if (!w) break;
                PostMessageW(w, WM_CLOSE, 0, 0);
                WaitForWindowGone(name, 2000);
            }
        }
    }

private:
    std::wstring root_, programs_;
    std::vector<std::wstring> names_;
};

}  // namespace gamestandins
