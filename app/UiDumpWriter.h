#pragma once
// The inspection dump for tests and for diagnosing a user's window: with the
// environment variable VENTARO_UI_DUMP naming a file, the control tree is
// written there (format: UiDumpFormat.h) after frames that changed
// something, at most five times a second, whole, through a temporary file
// and a rename, so a reader never sees half a dump. Without the variable no
// writer exists and nothing is computed.
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "UiDumpFormat.h"
#include "WinHandles.h"

class CDUI_UIControl;
class CDUI_UIScene;

constexpr const wchar_t* kUiDumpVariable = L"VENTARO_UI_DUMP";
constexpr DWORD kUiDumpMinIntervalMs = 200;

// The rows of the tree below root (root itself not included), depth first
// in painting order. Password edits give their text as "*" per character.
std::vector<UiDumpRow> CollectDumpRows(CDUI_UIControl* root);

class CUiDumpWriter {
public:
    // scene: borrowed, must outlive the writer.
    CUiDumpWriter(CDUI_UIScene* scene, std::wstring path);
    virtual ~CUiDumpWriter();  // stops the writer thread
    CUiDumpWriter(const CUiDumpWriter&) = delete;
    CUiDumpWriter& operator=(const CUiDumpWriter&) = delete;

    // A writer for scene when VENTARO_UI_DUMP is set, else nullptr.
    static std::unique_ptr<CUiDumpWriter> FromEnvironment(CDUI_UIScene* scene);

    // A frame that changed something was presented (any thread).
    void NotifyFrame();
    // Writes the dump now (the writer thread does this on its own). 1/0.
    int WriteNow();
    int Start();
    void Stop();
    uint32_t WriteCount() const { return m_writes; }

private:
    static DWORD WINAPI ThreadMain(void* param);
    void Run();

    CDUI_UIScene* m_scene;  // borrowed
    std::wstring m_path;
    win::CUniqueHandle m_changed;  // auto-reset: a frame changed something
    win::CUniqueHandle m_stop;     // manual-reset
    win::CUniqueHandle m_thread;
    std::atomic<uint32_t> m_writes{0};
};
