#include "FirmwareFlash.h"

#include <windows.h>
#include <tlhelp32.h>

#include <memory>

#include "HTTPClientWTPCtrl.h"
#include "HttpText.h"
#include "PaceSetting.h"
#include "ProcessOps.h"
#include "UpdateRules.h"
#include "WebHosts.h"
#include "WinHandles.h"

namespace {
constexpr int32_t kFlashConnectTimeoutMs = 10000;
constexpr int32_t kFlashReadTimeoutMs = 30000;

// The downloaded file is what the tool gets: only a whole Intel HEX file of
// a sane size. Anything else is removed, so it is never flashed later either.
int IsFlashableFile(const std::wstring& path) {
    std::string bytes;
    {
        win::CUniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size{};
        if (file && GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 &&
            size.QuadPart <= updaterules::kFirmwareMaxBytes) {
            bytes.resize(static_cast<size_t>(size.QuadPart));
            DWORD read = 0;
            if (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                read != bytes.size())
                bytes.clear();
        }
    }
    if (updaterules::IsFlashableFirmware(bytes)) return 1;
    DeleteFileW(path.c_str());
    return 0;
}
}  // namespace

int FlashFirmware(const std::wstring& address, const FlashFiles& files, IFlashHost* host) {
    if (!host) return 0;
    auto client = std::make_unique<CHTTPClientWTPCtrl>();
    // Exit waits for the flash, so a stalled download must end by itself;
    // each read may take a while, the file is a few hundred kilobytes.
    if (!client->Open() || !client->SetTimeouts(kFlashConnectTimeoutMs, kFlashConnectTimeoutMs, kFlashReadTimeoutMs))
        return 0;
    client->SetDownloadLimit(updaterules::kFirmwareMaxBytes);
    std::wstring hostText, path;
    httptext::SplitServedAddress(address, &hostText, &path);
    const httptext::HostPort server = webhosts::ServedHost(hostText);
    // Until the file has been checked, the controller stays the program's.
    if (server.host.empty() || !client->Connect(server.host, server.port) ||
        !client->DownloadToFile(path, files.firmwareFile, 0) || !IsFlashableFile(files.firmwareFile) ||
        host->Cancelled()) {
        client->CloseConnection();
        client->Close();
        return 0;
    }

    host->SetProgress(20);
    host->CloseController();  // the tool opens the controller itself
    for (uint32_t progress = 30; progress <= 90 && !host->Cancelled(); progress += 10) {
        host->Wait(pace::SecondMs());
        host->SetProgress(progress);
    }

    // The program ending before the tool started: it is not started at all.
    int ok = 0;
    if (!host->Cancelled()) {
        StartedProcess tool;
        if (StartProcess(files.toolFile, updaterules::FlashCommandLine(files.firmwareFile), 0, &tool)) {
            win::CUniqueHandle process(tool.process), thread(tool.thread);
            // A tool that never ends would keep the controller and the program for ever.
            DWORD exitCode = 0;
            if (WaitForSingleObject(process.Get(), files.toolTimeoutMs) == WAIT_OBJECT_0 &&
                GetExitCodeProcess(process.Get(), &exitCode))
                ok = exitCode == 1 ? 1 : 0;
            else
                TerminateProcess(process.Get(), 1);
        }
        if (!ok)
            for (const wchar_t* image : updaterules::kFlashToolImages) EndProcessesByImageName(image);
    }

    host->SetProgress(100);
    host->Wait(pace::SecondMs());
    host->OpenController();
    client->CloseConnection();
    client->Close();
    return ok;
}

int EndProcessesByImageName(const std::wstring& name) {
    if (name.empty()) return 0;
    win::CUniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    int ended = 0;
    const DWORD self = GetCurrentProcessId();
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        // Some systems report a whole path here; the image name is its last part.
        const wchar_t* image = entry.szExeFile;
        for (const wchar_t* p = entry.szExeFile; *p; ++p)
            if (*p == L'\\' || *p == L'/') image = p + 1;
        if (entry.th32ProcessID == self || lstrcmpiW(image, name.c_str()) != 0) continue;
        win::CUniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (!process || !TerminateProcess(process.Get(), 1)) continue;
        // Gone before the controller is taken back.
        WaitForSingleObject(process.Get(), 5000);
        ++ended;
    }
    return ended;
}
