// Zentaflash stand-in: the firmware flashing tool. It logs (ZENTAFLASH_LOG)
// its raw command line, the firmware file named after " silence reset " with
// its size and FNV-1a hash, and how many connections the controller
// simulator had open (ZENTAFLASH_SIM_STATE, the simulator's state file).
// Then, steered by the environment:
//   ZENTAFLASH_DELAY_MS      wait this long first (default 0)
//   ZENTAFLASH_LINGER=1      start the helper Flit.exe and leave it running
//   ZENTAFLASH_EXIT          exit code (default 1, success)
//   ZENTAFLASH_SIM_CONTROL   with ZENTAFLASH_NEW_VERSION: on success, append
//   ZENTAFLASH_NEW_VERSION   "version=TEXT" to the simulator's control file,
//                            so the controller reports the flashed version
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "ProcessOps.h"
#include "StandInLog.h"

namespace {

std::wstring FirmwarePathOf(const std::wstring& commandLine) {
    static const std::wstring kWords = L" silence reset ";
    const size_t at = commandLine.find(kWords);
    if (at == std::wstring::npos) return {};
    std::wstring path = commandLine.substr(at + kWords.size());
    if (!path.empty() && path.front() == L'"') {
        const size_t close = path.find(L'"', 1);
        path = path.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
    }
    return path;
}

// Size and FNV-1a (64 bits) of the file; 0 when it cannot be read.
int HashFile(const std::wstring& path, uint64_t* size, uint64_t* hash) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return 0;
    *size = 0;
    *hash = 14695981039346656037ull;
    unsigned char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) {
        for (size_t i = 0; i < n; ++i) *hash = (*hash ^ chunk[i]) * 1099511628211ull;
        *size += n;
    }
    std::fclose(f);
    return 1;
}

// The value of "key=" in the simulator's state file, or "?".
std::wstring StateValue(const std::wstring& file, const std::string& key) {
    FILE* f = file.empty() ? nullptr : _wfopen(file.c_str(), L"rb");
    if (!f) return L"?";
    std::string text;
    char chunk[1024];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
    std::fclose(f);
    const size_t at = text.find("\n" + key + "=");
    const size_t start = text.rfind(key + "=", 0) == 0 ? 0 : (at == std::string::npos ? std::string::npos : at + 1);
    if (start == std::string::npos) return L"?";
    const size_t from = start + key.size() + 1;
    return textconv::Utf8ToWide(text.substr(from, text.find('\n', from) - from));
}

std::wstring OwnFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

}  // namespace

int wmain(int, wchar_t**) {
    const std::wstring log = standin::Env(L"ZENTAFLASH_LOG");
    const std::wstring commandLine = GetCommandLineW();
    standin::AppendLine(log, L"cmdline=" + commandLine);
    const std::wstring firmware = FirmwarePathOf(commandLine);
    standin::AppendLine(log, L"file=" + firmware);
    uint64_t size = 0, hash = 0;
    if (HashFile(firmware, &size, &hash)) {
        wchar_t text[64];
        std::swprintf(text, 64, L"%016llx", static_cast<unsigned long long>(hash));
        standin::AppendLine(log, L"size=" + std::to_wstring(size));
        standin::AppendLine(log, L"fnv=" + std::wstring(text));
    } else {
        standin::AppendLine(log, L"size=missing");
    }
    standin::AppendLine(log, L"connections=" + StateValue(standin::Env(L"ZENTAFLASH_SIM_STATE"), "connections"));

    if (standin::Env(L"ZENTAFLASH_LINGER") == L"1") {
        StartedProcess helper;
        if (StartProcess(OwnFolder() + L"Flit.exe", L"Flit.exe", 0, &helper)) {
            standin::AppendLine(log, L"helper=" + std::to_wstring(helper.processId));
            CloseHandle(helper.process);
            CloseHandle(helper.thread);
        }
    }
    const std::wstring delay = standin::Env(L"ZENTAFLASH_DELAY_MS");
    if (!delay.empty()) Sleep(static_cast<DWORD>(std::wcstoul(delay.c_str(), nullptr, 10)));

    const std::wstring exitText = standin::Env(L"ZENTAFLASH_EXIT");
    const int exitCode = exitText.empty() ? 1 : static_cast<int>(std::wcstol(exitText.c_str(), nullptr, 10));
    const std::wstring control = standin::Env(L"ZENTAFLASH_SIM_CONTROL");
    const std::wstring flashed = standin::Env(L"ZENTAFLASH_NEW_VERSION");
    if (exitCode == 1 && !control.empty() && !flashed.empty()) standin::AppendLine(control, L"version=" + flashed);
    standin::AppendLine(log, L"exit=" + std::to_wstring(exitCode));
    return exitCode;
}
