#pragma once
// Writes a minidump next to the executable when an exception reaches the top
// of any thread, then ends the process with exit code 0.
#include <string>

struct _EXCEPTION_POINTERS;

class CCrashDumpHandler {
public:
    // Called after the dump with the user data and the dump path.
    using AfterDumpCallback = void (*)(void* userData, const wchar_t* dumpPath);

    CCrashDumpHandler();
    virtual ~CCrashDumpHandler();  // uninstalls when still installed
    CCrashDumpHandler(const CCrashDumpHandler&) = delete;
    CCrashDumpHandler& operator=(const CCrashDumpHandler&) = delete;

    // Becomes the process's unhandled-exception filter. showMessages: 1 shows
    // failures in a message box, 0 (Ventaro) only builds their texts.
    int Install(int showMessages);
    // Gives the filter back and deletes the dump lock; a crash after this is
    // left to the system.
    int ShutDown();

    // Writes the dump and terminates the process. Returns (0, the system's
    // own handling continues) only when no token could be opened.
    long WriteDump(_EXCEPTION_POINTERS* exception);

    int IsInstalled() const { return installed_; }
    // 1 when the dump writer was found at install.
    int HasDumpWriter() const { return writeDump_ ? 1 : 0; }
    const std::wstring& ProgramFolder() const { return programFolder_; }  // with trailing "\"
    const std::wstring& ProgramFileName() const { return programFileName_; }
    // The executable's full path with ".dmp" appended.
    const std::wstring& DumpPath() const { return dumpPath_; }

private:
    void Format(const wchar_t* format, const wchar_t* path, unsigned long error);

    std::wstring programFolder_;
    std::wstring programFileName_;
    std::wstring dumpPath_;
    std::wstring helperInFolder_;   // program folder + "DBGHELP.DLL"
    std::wstring message_;          // reserved at install: no allocation while crashing
    // Loaded at install: loading a library inside the filter takes the
    // loader lock, which the crashing thread may already hold.
    void* dbghelp_ = nullptr;    // HMODULE, owned
    void* writeDump_ = nullptr;  // MiniDumpWriteDump in dbghelp_, or nullptr
    int showMessages_ = 0;
    int installed_ = 0;
    AfterDumpCallback afterDump_ = nullptr;
    void* afterDumpData_ = nullptr;  // borrowed, handed to afterDump_
    void* previousFilter_ = nullptr;  // the filter that was in place before Install
    unsigned char exceptionRecord_[160] = {};  // copy of the EXCEPTION_RECORD being handled
};
