#include "ApplicationEnv.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "PathUtil.h"
#include "ProcessOps.h"
#include "WinHandles.h"

int CApplicationEnv::Initialize(HINSTANCE instance) {
    const std::wstring programPath = ModuleFilePath();

    std::wstring dataFolder;
    wchar_t localAppData[MAX_PATH + 1] = {};
    if (SHGetSpecialFolderPathW(nullptr, localAppData, CSIDL_LOCAL_APPDATA, TRUE))
        dataFolder = std::wstring(localAppData) + L"\\Ventaro\\";
    InitializeFolders(instance, FolderOfPath(programPath), dataFolder);
    m_programFileName = FileNameOfPath(programPath);

    EnableDebugPrivilege();
    WriteAutostartValue(AutostartCommand(m_programFolder + m_programFileName));
    RecycleFolder(kPredecessorFolder);
    return 1;
}

int CApplicationEnv::InitializeFolders(HINSTANCE instance, const std::wstring& programFolder,
                                       const std::wstring& dataFolder) {
    m_instance = instance;
    m_programFolder = programFolder;
    m_toolsFolder = m_programFolder + L"Tools\\";
    m_tempFolder = m_programFolder + L"Temp\\";
    m_dataFolder = dataFolder;
    if (!m_dataFolder.empty()) CreateFolderLevels(m_dataFolder);
    m_initialized = 1;
    return 1;
}

int CApplicationEnv::Reset() {
    m_initialized = 0;
    m_instance = nullptr;
    m_window = nullptr;
    return 1;
}

int CApplicationEnv::SetWindowHandle(HWND window) {
    m_window = window;
    return 1;
}

int CApplicationEnv::CreateFolderLevels(const std::wstring& folder) {
    for (const std::wstring& level : FolderLevels(folder)) {
        if (GetFileAttributesW(level.c_str()) == INVALID_FILE_ATTRIBUTES) CreateDirectoryW(level.c_str(), nullptr);
    }
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int CApplicationEnv::EnableDebugPrivilege() {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken)) return 0;
    win::CUniqueHandle token(rawToken);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &privileges.Privileges[0].Luid)) return 0;
    if (!AdjustTokenPrivileges(token.Get(), FALSE, &privileges, sizeof(privileges), nullptr, nullptr)) return 0;
    return GetLastError() == ERROR_SUCCESS ? 1 : 0;
}

int CApplicationEnv::WriteAutostartValue(const std::wstring& command) {
    win::CUniqueRegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, key.Receive()) != ERROR_SUCCESS) return 0;
    // Stored with its terminator, as readers of REG_SZ expect.
    const DWORD bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
    const LONG rc = RegSetValueExW(key.Get(), kRunValueName, 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(command.c_str()), bytes);
    return rc == ERROR_SUCCESS ? 1 : 0;
}

int CApplicationEnv::RecycleFolder(const std::wstring& folder) {
    std::wstring target = folder;
    while (target.size() > 3 && target.back() == L'\\') target.pop_back();
    if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) return 1;
    // The shell wants a list ending in two zeros.
    std::vector<wchar_t> from(target.begin(), target.end());
    from.push_back(L'\0');
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.data();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationW(&operation);
    return GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES ? 1 : 0;
}
