#pragma once
// Folders of the program, the per-user data folder, the debug privilege and
// the autostart entry; afterwards it carries the instance and window handles
// that every other part of the program looks up here.
#include <windows.h>

#include <string>

class CApplicationEnv {
public:
    CApplicationEnv() = default;
    virtual ~CApplicationEnv() = default;
    CApplicationEnv(const CApplicationEnv&) = delete;
    CApplicationEnv& operator=(const CApplicationEnv&) = delete;

    // Always 1: a step that fails is skipped (a missing data folder makes the
    // stores fail later, without rights the autostart value stays unwritten).
    int Initialize(HINSTANCE instance);
    // Only the folders, for a host of the pages that is not the program
    // itself (tools, the page suites): no privilege, no autostart value, no
    // recycling. Both folders with their trailing "\"; the data folder is
    // created level by level. Returns 1.
    int InitializeFolders(HINSTANCE instance, const std::wstring& programFolder, const std::wstring& dataFolder);
    // Clears the flag and both handles (teardown).
    int Reset();

    int SetWindowHandle(HWND window);
    HWND GetWindowHandle() const { return m_window; }
    HINSTANCE GetInstanceHandle() const { return m_instance; }

    std::wstring GetProgramFolder() const { return m_programFolder; }
    std::wstring GetProgramFileName() const { return m_programFileName; }
    std::wstring GetToolsFolder() const { return m_toolsFolder; }
    std::wstring GetTempFolder() const { return m_tempFolder; }
    std::wstring GetDataFolder() const { return m_dataFolder; }
    int IsInitialized() const { return m_initialized; }

    // The single steps, usable on their own.
    // Creates every missing level of folder, shortest first; 1 when it exists afterwards.
    static int CreateFolderLevels(const std::wstring& folder);
    static int EnableDebugPrivilege();
    // Writes HKLM\...\Run "Ventaro" = command; 1 when written.
    static int WriteAutostartValue(const std::wstring& command);
    // Moves folder (with or without trailing "\") to the recycle bin without
    // asking; 1 when it is gone afterwards, also when it never existed.
    static int RecycleFolder(const std::wstring& folder);

    static constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    static constexpr const wchar_t* kRunValueName = L"Ventaro";
    static constexpr const wchar_t* kPredecessorFolder = L"C:\\Program Files (x86)\\Orvane\\Quellon Assistant\\";

private:
    int m_initialized = 0;
    HINSTANCE m_instance = nullptr;
    HWND m_window = nullptr;
    std::wstring m_programFolder;
    std::wstring m_programFileName;
    std::wstring m_toolsFolder;
    std::wstring m_tempFolder;
    std::wstring m_dataFolder;
};
