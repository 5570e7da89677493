#include "LaunchProxy.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cwctype>

#include "PathUtil.h"
#include "ProcessOps.h"

namespace {

std::wstring Lowered(std::wstring_view text) {
    std::wstring out(text);
    for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(c));
    return out;
}

class CSnapshot {
public:
    CSnapshot() : m_h(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)) {}
    ~CSnapshot() {
        if (m_h != INVALID_HANDLE_VALUE) CloseHandle(m_h);
    }
    CSnapshot(const CSnapshot&) = delete;
    CSnapshot& operator=(const CSnapshot&) = delete;
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h;
};

}  // namespace

bool ContainsProgramName(const std::vector<std::wstring>& names, std::wstring_view program) {
    const std::wstring wanted = Lowered(program);
    for (const std::wstring& name : names) {
        if (Lowered(name) == wanted) return true;
    }
    return false;
}

std::vector<std::wstring> RunningProgramNames() {
    std::vector<std::wstring> names;
    CSnapshot snapshot;
    if (snapshot.Get() == INVALID_HANDLE_VALUE) return names;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!Process32FirstW(snapshot.Get(), &entry)) return names;
    do {
        names.emplace_back(entry.szExeFile);
    } while (Process32NextW(snapshot.Get(), &entry));
    return names;
}

std::wstring OwnFolder() {
    return FolderOfPath(ModuleFilePath());
}

void* FindVentaroWindow() { return FindWindowW(kVentaroWindowClass, kVentaroWindowTitle); }

int SendHandOver(void* window, const std::wstring& text, unsigned int timeoutMs) {
    HWND target = static_cast<HWND>(window);
    if (!target || text.empty()) return 0;
    COPYDATASTRUCT data{};
    data.dwData = GAMEMODE_COPYDATA_TAG;
    data.cbData = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(text.data());
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(target), reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &answer)
               ? 1
               : 0;
}

int RunLaunchProxy(const wchar_t* argument, const LaunchTiming& timing) {
    if (HWND console = GetConsoleWindow()) ShowWindow(console, SW_HIDE);
    const std::wstring folder = OwnFolder();

    if (!ContainsProgramName(RunningProgramNames(), kVentaroProgramName)) {
        // The program's start-up code takes the first word of its command line
        // for the program name; a bare "auto" would be taken for it and never
        // reach Ventaro, so the quoted path goes first.
        const std::wstring program = folder + kVentaroProgramName;
        StartProcess(program, L"\"" + program + L"\" auto", 0);
    }

    Sleep(timing.startWaitMs);
    const std::wstring text = argument ? argument : L"";
    void* window = FindVentaroWindow();
    // A cold start can take longer than the first wait; keep looking for a
    // while rather than dropping the request.
    if (!text.empty()) {
        // A zero step would never use up the retry time.
        const unsigned int step = timing.retryEveryMs ? timing.retryEveryMs : 1;
        for (unsigned int waited = 0; !window && waited < timing.retryForMs; waited += step) {
            Sleep(step);
            window = FindVentaroWindow();
        }
    }
    if (window) SendHandOver(window, text);
    return 0;
}
