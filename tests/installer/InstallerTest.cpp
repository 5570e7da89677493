// End to end on a prefix of its own: build/package/VentaroSetup-<version>.exe
// installs silently, upgrades over a running Ventaro and uninstalls.
// The tests run in order; each one starts from the state the one before left.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <map>
#include <string>
#include <vector>

#include "AppCommands.h"
#include "ProgramRunner.h"
#include "SimulatedController.h"
#include "TestPaths.h"
#include "VentaroVersion.h"

using e2e::Program;

namespace {

const testing::Environment* const kController =
    testing::AddGlobalTestEnvironment(new e2e::SimulatedControllerEnvironment);

constexpr DWORD kWaitMs = 120000;  // generous: a loaded machine under Wine
const wchar_t* const kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ventaro";
const wchar_t* const kShipped[] = {L"Ventaro.exe", L"Pexilo.exe", L"LightSetConfig.dat", L"GameTaskConfig.dat"};

std::wstring Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}
std::wstring InstallDir() { return Folder(CSIDL_PROGRAM_FILES) + L"\\Ventaro"; }
std::wstring StartMenuLink() { return Folder(CSIDL_COMMON_PROGRAMS) + L"\\Ventaro.lnk"; }
std::wstring DesktopLink() { return Folder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"\\Ventaro.lnk"; }
std::wstring DataDir() { return Folder(CSIDL_LOCAL_APPDATA) + L"\\Ventaro"; }
std::wstring SetupExe() { return testpaths::BinaryDir() + L"\\package\\VentaroSetup-" VENTARO_VERSION_WTEXT L".exe"; }

std::wstring RegText(const wchar_t* key, const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS)
        return L"<none>";
    return buffer;
}

// Every file below folder, by relative path, with its bytes.
void Snapshot(const std::wstring& folder, const std::wstring& rel, std::map<std::wstring, std::string>* out) {
    WIN32_FIND_DATAW d;
    HANDLE find = FindFirstFileW((folder + L"\\" + rel + L"*").c_str(), &d);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = d.cFileName;
        if (name == L"." || name == L"..") continue;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) Snapshot(folder, rel + name + L"\\", out);
        else (*out)[rel + name] = e2e::ReadFileText(folder + L"\\" + rel + name);
    } while (FindNextFileW(find, &d));
    FindClose(find);
}
std::map<std::wstring, std::string> Snapshot(const std::wstring& folder) {
    std::map<std::wstring, std::string> files;
    Snapshot(folder, L"", &files);
    return files;
}

std::wstring LinkTarget(const std::wstring& link) {
    IShellLinkW* shell = nullptr;
    IPersistFile* file = nullptr;
    wchar_t target[MAX_PATH] = {};
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&shell)))) {
        if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            if (SUCCEEDED(file->Load(link.c_str(), STGM_READ))) shell->GetPath(target, MAX_PATH, nullptr, 0);
            file->Release();
        }
        shell->Release();
    }
    return target;
}

std::wstring VersionValue(const std::wstring& exe, const wchar_t* name, VS_FIXEDFILEINFO* fixed = nullptr) {
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(exe.c_str(), &ignored) + 1);
    if (!GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) return L"<none>";
    void* value = nullptr;
    UINT length = 0;
    if (fixed && VerQueryValueW(block.data(), L"\\", &value, &length)) *fixed = *static_cast<VS_FIXEDFILEINFO*>(value);
    const std::wstring path = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
    return VerQueryValueW(block.data(), path.c_str(), &value, &length) ? static_cast<wchar_t*>(value) : L"<none>";
}

bool StartVentaro(Program* ventaro, const wchar_t* args, int show) {
    const std::wstring exe = InstallDir() + L"\\Ventaro.exe";
    return ventaro->Start(exe, L"\"" + exe + L"\"" + args, show) && e2e::WaitForVentaroWindow(ventaro->Pid(), kWaitMs);
}

// A run that broke off earlier may have left an installation behind.
class CleanMachine : public testing::Environment {
    void SetUp() override {
        CoInitialize(nullptr);
        for (HWND w; (w = FindWindowW(L"VentaroClass", L"Ventaro")) != nullptr;) {
            PostMessageW(w, WM_COMMAND, ID_EXIT, 0);
            e2e::WaitFor([&] { return !IsWindow(w); }, kWaitMs);
        }
        for (const std::wstring& folder : {InstallDir(), DataDir()}) {
            std::wstring from = folder + L'\0';
            SHFILEOPSTRUCTW op{};
            op.wFunc = FO_DELETE;
            op.pFrom = from.c_str();
            op.fFlags = FOF_NO_UI;
            SHFileOperationW(&op);
        }
        DeleteFileW(StartMenuLink().c_str());
        DeleteFileW(DesktopLink().c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
        e2e::DeleteRunValue();
    }
};
const testing::Environment* const kClean = testing::AddGlobalTestEnvironment(new CleanMachine);

}  // namespace

TEST(Installer, SilentInstallSetsUpTheMachineAndVentaroRuns) {
    Program setup;
    ASSERT_TRUE(setup.Start(SetupExe(), L"\"" + SetupExe() + L"\" /S")) << "run scripts/package";
    ASSERT_EQ(setup.WaitExit(kWaitMs), 0);

    const std::wstring dir = InstallDir();
    for (const wchar_t* file : kShipped)
        EXPECT_EQ(e2e::ReadFileText(dir + L"\\" + file), e2e::ReadFileText(testpaths::BinaryDir() + L"\\bin\\" + file));
    EXPECT_EQ(LinkTarget(StartMenuLink()), dir + L"\\Ventaro.exe");
    EXPECT_EQ(LinkTarget(DesktopLink()), dir + L"\\Ventaro.exe");
    EXPECT_EQ(e2e::ReadRunValue(), L"\"" + dir + L"\\Ventaro.exe\" auto");

    const std::wstring uninst = L"\"" + dir + L"\\uninst.exe\"";
    const std::map<std::wstring, std::wstring> expected = {
        {L"DisplayName", L"Ventaro"}, {L"DisplayVersion", VENTARO_VERSION_WTEXT}, {L"Publisher", L"Orvane"},
        {L"DisplayIcon", dir + L"\\Ventaro.exe,0"}, {L"InstallLocation", dir}, {L"UninstallString", uninst},
        {L"QuietUninstallString", uninst + L" /S"}};
    for (const auto& [name, value] : expected) EXPECT_EQ(RegText(kUninstallKey, name.c_str()), value) << name;
    DWORD size = 0, bytes = sizeof(size);
    EXPECT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize", RRF_RT_REG_DWORD, nullptr, &size,
                           &bytes), ERROR_SUCCESS);
    EXPECT_GT(size, 1000u);  // KB: the programs alone are megabytes

    for (const wchar_t* program : {L"\\Ventaro.exe", L"\\Pexilo.exe"}) {
        VS_FIXEDFILEINFO fixed{};
        EXPECT_EQ(VersionValue(dir + program, L"FileVersion", &fixed), VENTARO_VERSION_WTEXT);
        EXPECT_EQ(VersionValue(dir + program, L"ProductVersion"), VENTARO_VERSION_WTEXT);
        EXPECT_EQ(VersionValue(dir + program, L"ProductName"), L"Ventaro");
        EXPECT_EQ(fixed.dwFileVersionMS, static_cast<DWORD>(MAKELONG(VENTARO_VERSION_MINOR, VENTARO_VERSION_MAJOR)));
        EXPECT_EQ(fixed.dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, VENTARO_VERSION_PATCH)));
    }

    Program ventaro;
    ASSERT_TRUE(StartVentaro(&ventaro, L"", SW_SHOWNORMAL));
    const HWND window = e2e::WaitForVentaroWindow(ventaro.Pid(), kWaitMs);
    EXPECT_TRUE(e2e::WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kWaitMs));
    PostMessageW(window, WM_COMMAND, ID_EXIT, 0);
    EXPECT_EQ(ventaro.WaitExit(kWaitMs), 0);
}

TEST(Installer, UpgradeAsksTheRunningVentaroToExitAndKeepsTheData) {
    const std::wstring dir = InstallDir();
    ASSERT_TRUE(e2e::FileExists(dir + L"\\uninst.exe"));
    // A file of an older version, and one of the user's own.
    simharness::WriteFileText(dir + L"\\Pexilo.exe", "older");
    simharness::WriteFileText(DataDir() + L"\\mine.ini", "kept");
    Program ventaro;
    ASSERT_TRUE(StartVentaro(&ventaro, L"", SW_SHOWNORMAL));
    Sleep(2000);  // past its start-up writes
    const auto data = Snapshot(DataDir());
    ASSERT_GT(data.size(), 3u);

    Program setup;
    ASSERT_TRUE(setup.Start(SetupExe(), L"\"" + SetupExe() + L"\" /S"));
    ASSERT_EQ(setup.WaitExit(kWaitMs), 0);
    // Ended by its own 退出 path (killing would leave another code) before the copy.
    EXPECT_EQ(ventaro.WaitExit(0), 0);
    for (const wchar_t* file : kShipped)
        EXPECT_EQ(e2e::ReadFileText(dir + L"\\" + file), e2e::ReadFileText(testpaths::BinaryDir() + L"\\bin\\" + file));
    EXPECT_TRUE(Snapshot(DataDir()) == data);
}

TEST(Installer, SilentUninstallRemovesTheProgramButNotTheData) {
    ASSERT_TRUE(e2e::FileExists(InstallDir() + L"\\uninst.exe"));
    Program ventaro;
    ASSERT_TRUE(StartVentaro(&ventaro, L" auto", SW_SHOWNORMAL));
    Sleep(2000);
    const auto data = Snapshot(DataDir());

    // As Windows runs it: the registered command, which goes on from a copy in %TEMP%.
    Program uninstall;
    ASSERT_TRUE(uninstall.Start(L"", RegText(kUninstallKey, L"QuietUninstallString")));
    EXPECT_EQ(uninstall.WaitExit(kWaitMs), 0);
    // The Uninstall key goes last.
    EXPECT_TRUE(e2e::WaitFor([] { return RegText(kUninstallKey, L"DisplayName") == L"<none>"; }, kWaitMs));
    EXPECT_EQ(ventaro.WaitExit(0), 0);
    EXPECT_FALSE(e2e::FileExists(InstallDir()));
    EXPECT_EQ(e2e::ReadRunValue(), L"<no value>");
    EXPECT_FALSE(e2e::FileExists(StartMenuLink()));
    EXPECT_FALSE(e2e::FileExists(DesktopLink()));
    EXPECT_TRUE(Snapshot(DataDir()) == data);
}
