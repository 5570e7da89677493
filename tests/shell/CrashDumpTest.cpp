#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "CrashDumpHandler.h"
#include "TestPaths.h"

namespace {

std::wstring ProbePath() { return testpaths::BinaryDir() + L"\\tests\\shell_crash_probe.exe"; }

// Runs a program and returns its exit code, or -1 when it could not start or
// did not end within a minute.
long RunProgram(const std::wstring& program, const std::wstring& args) {
    std::wstring commandLine = L"\"" + program + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return -1;
    CloseHandle(pi.hThread);
    long result = -1;
    if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) {
        DWORD code = 0;
        if (GetExitCodeProcess(pi.hProcess, &code)) result = static_cast<long>(code);
    } else {
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hProcess);
    return result;
}

std::vector<unsigned char> ReadAll(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    GetFileSizeEx(f, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    CloseHandle(f);
    return bytes;
}

bool WriteAll(const std::wstring& path, const std::string& data) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == data.size();
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A minidump starts with the signature "MDMP" and a header of 32 bytes.
bool IsMinidump(const std::vector<unsigned char>& bytes) {
    return bytes.size() > 32 && bytes[0] == 'M' && bytes[1] == 'D' && bytes[2] == 'M' && bytes[3] == 'P';
}

// A copy of the probe in a fresh folder, so that its dump lands there.
std::wstring CopyProbe(const std::wstring& folder, const wchar_t* name = L"probe.exe") {
    const std::wstring copy = folder + name;
    if (!CopyFileW(ProbePath().c_str(), copy.c_str(), FALSE)) return {};
    return copy;
}

TEST(CrashDumpHandler, InstallNamesTheDumpAfterTheExecutable) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring path(self);

    LPTOP_LEVEL_EXCEPTION_FILTER before = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(before);
    {
        CCrashDumpHandler handler;
        EXPECT_EQ(0, handler.IsInstalled());
        EXPECT_EQ(1, handler.Install(0));
        EXPECT_EQ(1, handler.IsInstalled());
        EXPECT_EQ(path + L".dmp", handler.DumpPath());
        EXPECT_EQ(path, handler.ProgramFolder() + handler.ProgramFileName());
        EXPECT_EQ(L'\\', handler.ProgramFolder().back());
        // The dump writer is loaded now, not inside the filter, where the
        // crashing thread may hold the loader lock.
        EXPECT_EQ(1, handler.HasDumpWriter());
        EXPECT_NE(nullptr, GetModuleHandleW(L"dbghelp.dll"));
        // The handler's filter is in place now.
        LPTOP_LEVEL_EXCEPTION_FILTER current = SetUnhandledExceptionFilter(nullptr);
        EXPECT_NE(before, current);
        SetUnhandledExceptionFilter(current);
        EXPECT_EQ(1, handler.ShutDown());
        EXPECT_EQ(0, handler.IsInstalled());
    }
    // Shut down gives the previous filter back, so that a late crash never
    // reaches a deleted lock.
    LPTOP_LEVEL_EXCEPTION_FILTER after = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(after);
    EXPECT_EQ(before, after);
}

TEST(CrashDumpHandler, DestructionUninstalls) {
    LPTOP_LEVEL_EXCEPTION_FILTER before = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(before);
    {
        CCrashDumpHandler handler;
        handler.Install(0);
    }
    LPTOP_LEVEL_EXCEPTION_FILTER after = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(after);
    EXPECT_EQ(before, after);
}

TEST(CrashDump, CrashWritesMinidumpAndExitsZero) {
    const std::wstring dir = testpaths::MakeTempDir(L"crash");
    const std::wstring probe = CopyProbe(dir);
    ASSERT_FALSE(probe.empty());
    EXPECT_EQ(0, RunProgram(probe, L"crash"));
    const auto dump = ReadAll(probe + L".dmp");
    EXPECT_TRUE(IsMinidump(dump)) << "dump of " << dump.size() << " bytes";
}

TEST(CrashDump, SecondCrashReplacesTheDump) {
    const std::wstring dir = testpaths::MakeTempDir(L"crash2");
    const std::wstring probe = CopyProbe(dir, L"twice.exe");
    ASSERT_FALSE(probe.empty());
    ASSERT_EQ(0, RunProgram(probe, L"crash"));
    ASSERT_TRUE(IsMinidump(ReadAll(probe + L".dmp")));

    // An earlier file of that name, much larger than any dump: after the
    // crash nothing of it may remain.
    std::string earlier;
    for (int i = 0; i < 8 * 1024 * 1024 / 8; ++i) earlier += "GARBAGE!";
    ASSERT_TRUE(WriteAll(probe + L".dmp", earlier));
    EXPECT_EQ(0, RunProgram(probe, L"crash"));
    const auto dump = ReadAll(probe + L".dmp");
    ASSERT_TRUE(IsMinidump(dump));
    EXPECT_LT(dump.size(), earlier.size());
    const std::string tail(dump.end() - 8, dump.end());
    EXPECT_NE("GARBAGE!", tail);
}

TEST(CrashDump, TwoThreadsCrashingTogetherLeaveOneValidDump) {
    const std::wstring dir = testpaths::MakeTempDir(L"crash3");
    const std::wstring probe = CopyProbe(dir);
    ASSERT_FALSE(probe.empty());
    EXPECT_EQ(0, RunProgram(probe, L"twothreads"));
    EXPECT_TRUE(IsMinidump(ReadAll(probe + L".dmp")));
}

TEST(CrashDump, NoCrashNoDump) {
    const std::wstring dir = testpaths::MakeTempDir(L"nocrash");
    const std::wstring probe = CopyProbe(dir);
    ASSERT_FALSE(probe.empty());
    EXPECT_EQ(7, RunProgram(probe, L"nocrash"));
    EXPECT_FALSE(Exists(probe + L".dmp"));
}

// A folder nobody can write to. Wine runs as the Unix user, here possibly
// root, for whom permission bits mean nothing; the immutable attribute stops
// root too. Set and cleared with chattr, which Wine starts as a Unix program.
class CUnwritableFolder {
public:
    CUnwritableFolder() {
        unixPath_ = "/tmp/ventaro_ro_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
        windowsPath_ = testpaths::UnixToWine(unixPath_.c_str()) + L"\\";
        CreateDirectoryW(windowsPath_.c_str(), nullptr);
    }
    ~CUnwritableFolder() {
        Chattr(L"-i");
        for (int i = 0; i < 100 && !Writable(); ++i) Sleep(100);
        DeleteFileW((windowsPath_ + L"probe.exe").c_str());
        RemoveDirectoryW(windowsPath_.c_str());
    }
    const std::wstring& Path() const { return windowsPath_; }
    // 1 once the folder refuses new files.
    int Lock() {
        Chattr(L"+i");
        for (int i = 0; i < 100; ++i) {
            if (!Writable()) return 1;
            Sleep(100);
        }
        return 0;
    }

private:
    void Chattr(const wchar_t* flag) {
        std::wstring commandLine = std::wstring(L"Z:\\usr\\bin\\chattr ") + flag + L" " +
                                   std::wstring(unixPath_.begin(), unixPath_.end());
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            WaitForSingleObject(pi.hProcess, 10000);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    }
    // Whether a new file can be made (an existing one could still be opened).
    bool Writable() {
        const std::wstring probe = windowsPath_ + L"write" + std::to_wstring(++attempt_) + L".test";
        HANDLE f = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        if (f == INVALID_HANDLE_VALUE) return false;
        CloseHandle(f);
        DeleteFileW(probe.c_str());
        return true;
    }

    std::string unixPath_;
    std::wstring windowsPath_;
    int attempt_ = 0;
};

TEST(CrashDump, CrashInUnwritableFolderEndsWithZeroAndNoDump) {
    CUnwritableFolder folder;
    const std::wstring probe = CopyProbe(folder.Path());
    ASSERT_FALSE(probe.empty());
    if (!folder.Lock()) GTEST_SKIP() << "cannot make a folder unwritable here (chattr +i)";
    EXPECT_EQ(0, RunProgram(probe, L"crash"));
    EXPECT_FALSE(Exists(probe + L".dmp"));
}

}  // namespace
