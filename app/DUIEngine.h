#pragma once
// The UI engine bound to the top-level window: the device manager (layered
// window, GDI+, render thread), the skin from the program's resources, the
// scene, and the client window with all pages. It sees every message of the
// top-level window first (IWindowMessageFilter) and adds what a desktop
// window needs around the engine's dispatch: mouse capture while a button is
// held, leave and hover tracking, the arrow cursor, and Ctrl+C / Ctrl+V /
// Ctrl+A for the focused text edit.
#include <windows.h>

#include <memory>

#include "AppHooks.h"
#include "ClientPageSlots.h"
#include "ClientPages.h"
#include "WinHandles.h"

class CClientTaskBar;
class CDUI_AccessHost;
class CClientWindow;
class CDUIDevManage;
class CDUI_UIResource;
class CDUI_UIScene;
class CUiDumpWriter;

// Resource id of the skin description in the program module.
constexpr UINT kSkinResourceId = 131;
// The message that carries posted engine events to the host window.
constexpr UINT kEngineEventMessage = 2026;
constexpr int32_t kEngineFramePeriodMs = 30;
constexpr int32_t kEngineFrameValue = 2025;
// Posted to the host when it was shown or hidden; the render thread then
// starts or stops outside any handler that may hold the scene's lock.
constexpr UINT kEngineVisibilityMessage = 0x8000 + 0x25;  // WM_APP + 0x25
// The host window's timer that lets the decoded skin go once the window has
// been hidden this long.
constexpr UINT_PTR kEngineReleaseTimer = 0x2027;
constexpr UINT kEngineReleaseAfterMs = 5000;

class CDUIEngine : public IWindowMessageFilter {
public:
    struct Parts {
        HWND host = nullptr;                // the top-level window
        HINSTANCE skinModule = nullptr;     // holds skin 131 and the pictures
        CClientTaskBar* taskBar = nullptr;  // borrowed, may be null
        ClientServices services;
        ClientPageFactories pages = ProductPageFactories();
    };

    CDUIEngine();
    ~CDUIEngine() override;
    CDUIEngine(const CDUIEngine&) = delete;
    CDUIEngine& operator=(const CDUIEngine&) = delete;

    // Binds the engine to the host (which becomes layered), loads the skin,
    // creates the scene and builds the client window. 0 when any of it fails;
    // nothing is shown then.
    int Initialize(const Parts& parts);
    // Starts the render thread (30 ms frames). While the host window is
    // hidden (in the tray, or an "auto" start) nothing is drawn: the thread
    // and its frame image wait until the window is shown.
    int Start();
    int Stop();
    // Shuts the client window down (pages, controller, tray icon), then
    // destroys the scene, the skin and the device manager.
    void Shutdown();

    int IsRunning() const { return m_running; }
    CClientWindow* ClientWindow() const { return m_client.get(); }
    CDUIDevManage* DevManage() const { return m_manager.get(); }
    CDUI_UIResource* Resource() const { return m_resource.get(); }
    CDUI_UIScene* Scene() const;
    // The inspection dump's writer; null unless VENTARO_UI_DUMP is set.
    CUiDumpWriter* DumpWriter() const { return m_dump.get(); }
    // Screen readers, automation tools and the keyboard focus.
    CDUI_AccessHost* Access() const { return m_access.get(); }

    // IWindowMessageFilter: the engine first, for every top-level message.
    int HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // The frame is drawn at this many pixels per logical unit from now on.
    void SetDrawScale(double scale) override;

private:
    void TrackMouse(HWND host);
    // Renders while the host is visible and the engine started, else not.
    void FollowVisibility();
    // The pages whose work depends on being seen (the fan page's readings).
    void TellPagesShown(int visible);
    static void OnFramePresented(HWND host, HDC windowDC, HDC memoryDC, const RECT* rect, void* user);

    int m_running = 0;
    int m_started = 0;  // Start() was called and Stop() not since
    int m_framesSeen = 0;  // render thread only: frames the dump was told of
    std::unique_ptr<CClientWindow> m_client;      // owned
    win::CUniqueHandle m_mutex;                   // taken at shutdown
    std::unique_ptr<CDUIDevManage> m_manager;     // owned; owns the scene
    std::unique_ptr<CDUI_UIResource> m_resource;  // owned: the skin
    std::unique_ptr<CUiDumpWriter> m_dump;        // only with VENTARO_UI_DUMP
    std::unique_ptr<CDUI_AccessHost> m_access;    // owned; before the scene goes
    int m_tracking = 0;                           // TrackMouseEvent armed for leave and hover
    int m_hoverArmed = 0;
    double m_scale = 1.0;  // the window's last word, kept for an engine built later
};
