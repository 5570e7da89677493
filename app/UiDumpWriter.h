#pragma once
// The inspection dump for tests and for diagnosing a user's window: with the
// environment variable VENTARO_UI_DUMP naming a file, the control tree is
// written there (format: UiDumpFormat.h) when a presented frame changed it,
// at most five times a second, whole, through a temporary file and a
// rename, so a reader never sees half a dump. The tree is read right after
// each frame is presented, so the dump shows what is on screen, and its
// second line "# frame N T" names the first frame that showed it: its
// number and when its present ended (system time in ms, as
// GetSystemTimeAsFileTime / 10000). Without the variable no writer exists
// and nothing is computed. The writer thread ends after a while without
// changes (a still or hidden window) and the next change starts it again.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
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

    // A frame was painted: called on the render thread under the parameter
    // lock (CDUI_UIScene::SetPaintedHook), reads the tree as painted.
    void NotifyPainted();
    // That frame was presented: called on the render thread right after the
    // present. A dump whose rows it changed is stamped with it.
    void NotifyFrame();
    // The window was shown from the tray: the next frame is stamped even if
    // its rows are those of the frame before the window was hidden, so a
    // reader sees when it is back.
    void NotifyShown() { m_stampNext = true; }
    // Writes the latest dump now (the writer thread does this on its own).
    // 1/0; 0 also before the first frame.
    int WriteNow();
    // Makes the writer ready; its thread starts with the first change.
    int Start();
    void Stop();
    uint32_t WriteCount() const { return m_writes; }

private:
    static DWORD WINAPI ThreadMain(void* param);
    void Run();
    int Unwritten();  // a dump not yet in the file
    int StartThread();  // render thread (or Start), m_live just set
    static constexpr DWORD kRetryMs = 20;
    static constexpr DWORD kIdleEndMs = 2000;

    CDUI_UIScene* m_scene;  // borrowed
    std::wstring m_path;
    // The render thread's view: the rows last read and the first frame that showed them.
    std::string m_painted;  // the rows of the frame being presented
    std::string m_rows;     // the rows of the dump
    uint64_t m_frames = 0;
    uint64_t m_shownFrame = 0;
    uint64_t m_shownAtMs = 0;
    std::atomic<bool> m_stampNext{false};
    // What the writer thread takes.
    std::mutex m_textLock;
    std::string m_text;    // the latest whole dump
    uint64_t m_version = 0;  // bumped when m_text changes
    uint64_t m_written = 0;  // the version last written
    win::CUniqueHandle m_changed;  // auto-reset: a frame changed something
    win::CUniqueHandle m_stop;     // manual-reset
    win::CUniqueHandle m_thread;
    bool m_live = false;  // under m_textLock: the thread runs and will see a change
    std::atomic<uint32_t> m_writes{0};
};
