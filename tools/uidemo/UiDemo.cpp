// Shows the UI engine in a layered window, or measures it.
//   UiDemo [--seconds N]   the demo window (Esc closes it; so does the end of N seconds)
//   UiDemo --bench [--rounds N] [--scale S]
//                                 repaint times per stage against this machine's floors,
//                                 idle CPU and working set (medians of N rounds, default 5);
//                                 --scale draws the frame at S pixels per unit (the floors
//                                 are then measured at that frame size)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include "core/DUI_ControlBuilders.h"
#include "graphics/GdiplusInclude.h"
#include "graphics/RenderStats.h"
#include "scene/DUIDevManage.h"
#include "scene/DUIDevRender.h"
#include "scene/DUI_UIScene.h"
#include "scene/DUI_Window.h"
#include "skin/DUI_UIResource.h"

namespace {

constexpr UINT kEventMessage = 2026;

// Draws one skin rectangle stretched over the control (an image).
class DemoImage : public CDUI_UIControl {
public:
    DemoImage(CDUI_UIResource* r, CDUI_UIControlStyle* style, DUI_SkinRect source) : CDUI_UIControl(r, style) {
        source_ = {source.x, source.y, source.width, source.height};
        SetTransparent(1);
        SetBorder(0);
    }
    void ReleaseResources() override {}
    void Paint(Gdiplus::Graphics* g) override {
        DUI_Rect a = GetAbsoluteRect();
        resource_->DrawSkinRect(g, {a.x, a.y, a.width, a.height}, {source_.x, source_.y, source_.width, source_.height},
                                1);
    }
};

// Text only.
class DemoLabel : public CDUI_UIControl {
public:
    DemoLabel(CDUI_UIResource* r, CDUI_UIControlStyle* style) : CDUI_UIControl(r, style) {
        SetTransparent(1);
        SetBorder(0);
        SetTextColor(0xFFFFFFFF);
    }
    void ReleaseResources() override {}
    void Paint(Gdiplus::Graphics* g) override { DrawText(g, text_, GetAbsoluteRect()); }
};

// A skin button: the state picks the skin rectangle; the text goes on top.
class DemoButton : public CDUI_UIControl {
public:
    DemoButton(CDUI_UIResource* r, CDUI_UIControlStyle* style) : CDUI_UIControl(r, style) {
        SetBorder(0);
        SetTransparent(1);
        SetAlignment(18);
        SetTextColor(0xFFFFFFFF);
    }
    void ReleaseResources() override {}
    void Paint(Gdiplus::Graphics* g) override {
        auto* s = static_cast<CDUI_Button_Style*>(style_);
        const DUI_SkinRect& src = state_ == DUI_STATE_PRESSED ? s->pressed
                                  : (state_ == DUI_STATE_HOVER || state_ == DUI_STATE_RELEASED) ? s->active
                                                                                                : s->normal;
        DUI_Rect a = GetAbsoluteRect();
        resource_->DrawSkinRect(g, {a.x, a.y, a.width, a.height}, src, 1);
        DrawText(g, text_, a);
    }
};

template <class C>
CDUI_UIControl* Build(CDUI_UIResource* r, const wchar_t* kind, const std::wstring& style, int32_t id,
                      const std::wstring& text, int32_t x, int32_t y, int32_t w, int32_t h) {
    return r->BuildFromStyle(kind, style, [&](CDUI_UIControlStyle* record) -> CDUI_UIControl* {
        CDUI_UIControl* c;
        if constexpr (std::is_same_v<C, DemoImage>)
            c = new DemoImage(r, record, static_cast<CDUI_Image_Style*>(record)->sourceRect);
        else
            c = new C(r, record);
        (void)id;
        c->SetText(text);
        c->SetPosition(x, y);
        c->SetSize(w, h);
        return c;
    });
}

const int kRegistered = DUI_RegisterControlBuilder(
    L"Button", [](CDUI_UIResource* r, const std::wstring& s, int32_t id, const std::wstring& t, int32_t x, int32_t y,
                  int32_t w, int32_t h) { return Build<DemoButton>(r, L"Button", s, id, t, x, y, w, h); }) +
    DUI_RegisterControlBuilder(L"Label", [](CDUI_UIResource* r, const std::wstring& s, int32_t id,
                                            const std::wstring& t, int32_t x, int32_t y, int32_t w, int32_t h) {
        return Build<DemoLabel>(r, L"Label", s, id, t, x, y, w, h);
    }) +
    DUI_RegisterControlBuilder(L"Image", [](CDUI_UIResource* r, const std::wstring& s, int32_t id,
                                            const std::wstring& t, int32_t x, int32_t y, int32_t w, int32_t h) {
        return Build<DemoImage>(r, L"Image", s, id, t, x, y, w, h);
    });

CDUIDevManage* g_manager = nullptr;

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN) SetCapture(hwnd);
    if (message == WM_LBUTTONUP) ReleaseCapture();
    if (message == WM_DESTROY) PostQuitMessage(0);
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (g_manager && g_manager->ForwardMessage(message, wParam, lParam)) return 0;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakeHost(int width, int height, bool visible) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"VentaroUiDemo";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, L"VentaroUiDemo", L"UiDemo", WS_POPUP, 100, 100, width, height, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (visible) ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

CDUI_UIControl* AddImage(CDUI_UIResource& skin, CDUI_UICollection* parent, DUI_SkinRect source, int32_t x,
                         int32_t y, int32_t w, int32_t h) {
    CDUI_UIControl* image =
        new DemoImage(&skin, skin.FindStyle(L"Image", L"OVImage"), source);
    image->SetPosition(x, y);
    image->SetSize(w, h);
    parent->AddChild(image);
    return image;
}

CDUI_UIControl* AddLabel(CDUI_UIResource& skin, CDUI_UICollection* parent, const wchar_t* text, int32_t x, int32_t y,
                         int32_t w, int32_t h, uint32_t color = 0xFFFFFFFF) {
    CDUI_UIControl* label = DUI_BuildControl(&skin, L"Label", L"OVLabel", 0, text, x, y, w, h);
    if (!label) return nullptr;
    label->SetTextColor(color);
    label->SetFont(skin.FindFont(L"yahei12"));
    parent->AddChild(label);
    return label;
}

// The test skin's close button is one pixel wide (a parsing edge case the
// suites need): give the demo's a size a user can see and hit, and a mark.
void MakeCloseButtonUsable(CDUI_Window* window) {
    CDUI_UIControl* close = window->GetCloseButton();
    if (!close) return;
    close->SetText(L"×");
    close->SetSize(20, 20);
    window->UpdateLayout();
}

void BuildDemoScene(CDUI_UIResource& skin, CDUI_UIScene* scene) {
    CDUI_Window* window = skin.CreateWindow(1, L"OVWindow2", L"引擎演示窗口", 40, 30, 520, 340);
    if (!window) return;
    window->SetShowMax(0);
    window->SetShowMin(0);
    window->SetConfine(1);
    window->SetTextColor(0xFFFFFFFF);
    MakeCloseButtonUsable(window);
    scene->AddChild(window);
    AddImage(skin, window, {0, 0, 100, 100}, 20, 50, 80, 80);     // red
    AddImage(skin, window, {100, 0, 100, 100}, 120, 50, 80, 80);  // half-transparent green
    AddImage(skin, window, {0, 100, 100, 100}, 220, 50, 80, 80);  // blue
    AddLabel(skin, window, L"你好，世界！中文文字在这里显示。", 20, 150, 460, 40);
    AddLabel(skin, window, L"风扇 灯光 游戏模式 账户 更新", 20, 200, 460, 40, 0xFFFFD700);
    CDUI_UIControl* button = DUI_BuildControl(&skin, L"Button", L"OVButton", 5, L"确定", 380, 270, 100, 40);
    if (button) window->AddChild(button);
    // A second, half-faded window behind: the layered window shows through it.
    CDUI_Window* back = skin.CreateWindow(2, L"OVWindow", L"透明背景", 600, 120, 160, 200);
    if (back) {
        back->SetShowIcon(0);
        back->SetShowMax(0);
        back->SetShowMin(0);
        back->SetBackColor(0x80204060);
        back->SetTextColor(0xFFFFFFFF);
        MakeCloseButtonUsable(back);
        back->SetLayer(-1);
        scene->AddChild(back);
    }
}

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

uint64_t ProcessCpu100ns() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto v = [](FILETIME f) { return (uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return v(kernel) + v(user);
}

void PrintMemory(const char* what) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    std::printf("%-44s %8.1f MB (peak %.1f MB)\n", what, counters.WorkingSetSize / 1048576.0,
                counters.PeakWorkingSetSize / 1048576.0);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

template <class F>
double TimeMs(int count, F&& f) {
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) f();
    return Milliseconds(std::chrono::steady_clock::now() - t0) / count;
}

// The floors: what this machine needs for the least a frame can cost.
struct Floors {
    double drawToDC = 0;      // one GDI+ draw of a full-size PARGB bitmap onto the frame's DC
    double drawToPixels = 0;  // the same onto a GDI+ bitmap over the frame's pixels
    double present = 0;       // one UpdateLayeredWindow of the whole frame
    double copy = 0;          // memcpy of the whole frame
    double Draw() const { return std::min(drawToDC, drawToPixels); }
};

Floors MeasureFloors(HWND host, CDUIDevRender* render, int rounds) {
    const int32_t W = render->GetWidth(), H = render->GetHeight();
    Floors f;
    Gdiplus::Bitmap picture(W, H, PixelFormat32bppPARGB);
    {
        Gdiplus::Graphics g(&picture);
        Gdiplus::SolidBrush brush(Gdiplus::Color(0xC0305070));
        g.FillRectangle(&brush, 0, 0, W, H);
    }
    HDC memory = render->GetMemoryDC();
    auto* bits = const_cast<uint32_t*>(render->GetPixels());
    std::vector<double> dc, px, present, copy;
    std::vector<uint32_t> scratch(size_t(W) * H);
    for (int r = 0; r < rounds; ++r) {
        dc.push_back(TimeMs(5, [&] {
            Gdiplus::Graphics g(memory);
            g.SetPageUnit(Gdiplus::UnitPixel);
            g.DrawImage(&picture, 0, 0, W, H);
        }));
        px.push_back(TimeMs(5, [&] {
            GdiFlush();
            Gdiplus::Bitmap over(W, H, -W * 4, PixelFormat32bppPARGB,
                                 reinterpret_cast<BYTE*>(bits + size_t(H - 1) * W));
            Gdiplus::Graphics g(&over);
            g.SetPageUnit(Gdiplus::UnitPixel);
            g.DrawImage(&picture, 0, 0, W, H);
        }));
        present.push_back(TimeMs(5, [&] {
            HDC windowDC = GetDC(host);
            SIZE size{W, H};
            POINT source{0, 0};
            BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            UpdateLayeredWindow(host, windowDC, nullptr, &size, memory, &source, 0, &blend, ULW_ALPHA);
            ReleaseDC(host, windowDC);
        }));
        copy.push_back(TimeMs(20, [&] {
            std::memcpy(scratch.data(), bits, scratch.size() * 4);
            std::memcpy(bits, scratch.data(), scratch.size() * 4);
        }) / 2);
    }
    f.drawToDC = Median(dc);
    f.drawToPixels = Median(px);
    f.present = Median(present);
    f.copy = Median(copy);
    return f;
}

const char* const kStageNames[] = {"skin pieces", "text", "fills (clear, backgrounds, borders)", "final copy",
                                   "present"};

void PrintRatio(const char* what, double ms, double floor, const char* floorName) {
    std::printf("  %-44s %8.2f ms  = %6.2f x %s\n", what, ms, floor > 0 ? ms / floor : 0.0, floorName);
}

int RunBench(int rounds, double scale) {
    const int32_t W = 1366, H = 768;
    // Shown, as the product's window is: presenting to a hidden window costs less.
    HWND host = MakeHost(int(W * scale + 0.5), int(H * scale + 0.5), true);
    Pump();
    PROCESS_MEMORY_COUNTERS bare{};
    bare.cb = sizeof bare;
    GetProcessMemoryInfo(GetCurrentProcess(), &bare, sizeof bare);  // the process before the engine exists
    CDUIDevManage manager;
    g_manager = &manager;
    manager.Init(1, host, 1);
    CDUI_UIResource skin;
    skin.Create(&manager, GetModuleHandleW(nullptr), 131);
    manager.CreateScene(kEventMessage, H, W);
    manager.SetScale(scale);
    CDUI_UIScene* scene = manager.GetScene();
    // About 100 controls: 60 skin images, 30 labels, 10 buttons in a window.
    CDUI_Window* window = skin.CreateWindow(1, L"OVWindow2", L"基准", 0, 0, W, H);
    scene->AddChild(window);
    CDUI_UIControl* small = nullptr;
    for (int i = 0; i < 60; ++i)
        AddImage(skin, window, {(i % 2) * 100, 0, 100, 100}, 10 + (i % 10) * 130, 40 + (i / 10) * 60, 120, 50);
    for (int i = 0; i < 30; ++i)
        AddLabel(skin, window, L"标签文字 Label text", 10 + (i % 6) * 220, 420 + (i / 6) * 50, 200, 40);
    for (int i = 0; i < 10; ++i) {
        CDUI_UIControl* b = DUI_BuildControl(&skin, L"Button", L"OVButton", i, L"按钮", 10 + i * 130, 690, 80, 30);
        if (b) window->AddChild(b);
        if (!small) small = b;
    }
    CDUIDevRender* render = manager.GetRender();
    render->CreateImage();
    render->RenderFrame();  // warm-up: fonts and the skin image get decoded
    Pump();

    DUI_RenderStats& stats = DUI_RenderStats::Instance();
    const int frames = 5, smallFrames = 100;
    std::vector<double> fullPaint, full, onePaint, one, onePresent, stage[int(DUI_RenderStage::Count)];
    for (int r = 0; r < rounds; ++r) {
        fullPaint.push_back(TimeMs(frames, [&] {
            scene->InvalidateRect({0, 0, W, H});
            scene->PaintFrame(render->GetMemoryDC());
        }));
        stats.Reset();
        stats.SetCollecting(true);
        full.push_back(TimeMs(frames, [&] {
            scene->InvalidateRect({0, 0, W, H});
            render->RenderFrame();
        }));
        stats.SetCollecting(false);
        for (int s = 0; s < int(DUI_RenderStage::Count); ++s)
            stage[s].push_back(stats.Get(DUI_RenderStage(s)).nanoseconds / 1e6 / frames);
        onePaint.push_back(TimeMs(smallFrames, [&] {
            small->Invalidate();
            scene->PaintFrame(render->GetMemoryDC());
        }));
        stats.Reset();
        stats.SetCollecting(true);
        one.push_back(TimeMs(smallFrames, [&] {
            small->Invalidate();
            render->RenderFrame();
        }));
        stats.SetCollecting(false);
        onePresent.push_back(stats.Get(DUI_RenderStage::Present).nanoseconds / 1e6 / smallFrames);
        Pump();
    }
    const Floors floors = MeasureFloors(host, render, rounds);
    Pump();

    std::printf("UI engine benchmark: 1366 x 768 at scale %.4g (%d x %d pixels), %zu controls, medians of %d rounds\n",
                scale, render->GetWidth(), render->GetHeight(), window->GetChildCount() + 1, rounds);
    std::printf("floors on this machine:\n");
    std::printf("  %-44s %8.2f ms\n", "GDI+ draw of a full-size PARGB bitmap (DC)", floors.drawToDC);
    std::printf("  %-44s %8.2f ms\n", "GDI+ draw of a full-size PARGB bitmap (pixels)", floors.drawToPixels);
    std::printf("  %-44s %8.2f ms\n", "present of the full frame", floors.present);
    std::printf("  %-44s %8.3f ms\n", "memory copy of the full frame", floors.copy);
    std::printf("full repaint:\n");
    PrintRatio("painting only", Median(fullPaint), floors.Draw(), "draw floor (goal <= 3 x, < 30 ms)");
    PrintRatio("painting and present", Median(full), floors.Draw() + floors.present, "draw + present floors");
    std::printf("  per stage (painting and present):\n");
    double staged = 0;
    for (int s = 0; s < int(DUI_RenderStage::Count); ++s) {
        const double ms = Median(stage[s]);
        staged += ms;
        if (DUI_RenderStage(s) == DUI_RenderStage::Present)
            PrintRatio(kStageNames[s], ms, floors.present, "present floor");
        else if (DUI_RenderStage(s) == DUI_RenderStage::FinalCopy)
            PrintRatio(kStageNames[s], ms, floors.copy, "copy floor");
        else
            PrintRatio(kStageNames[s], ms, floors.Draw(), "draw floor");
    }
    PrintRatio("rest (tree walk, clips, graphics set-up)", std::max(0.0, Median(full) - staged), floors.Draw(),
               "draw floor");
    std::printf("one 80 x 30 control:\n");
    // Against the full-frame floors: what share of a whole frame's least
    // cost one small control still takes.
    PrintRatio("painting only", Median(onePaint), floors.Draw(), "draw floor");
    PrintRatio("repaint and present", Median(one), floors.Draw() + floors.present,
               "draw + present floors (goal < 3 ms)");
    PrintRatio("of which the present", Median(onePresent), floors.present, "present floor");
    std::printf("%-44s %8.1f MB\n", "working set of the bare window (no engine)", bare.WorkingSetSize / 1048576.0);
    PrintMemory("working set after building and painting");

    manager.StartRender(30, 2025);
    for (int i = 0; i < 10; ++i) {
        Pump();
        Sleep(50);
    }
    const uint64_t framesBefore = render->GetFramesPresented();
    const uint64_t idleTicksBefore = render->GetTicksIdle();
    const uint64_t cpuBefore = ProcessCpu100ns();
    auto idleStart = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - idleStart < std::chrono::seconds(10)) {
        Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
    }
    const double cpuMs = (ProcessCpu100ns() - cpuBefore) / 10000.0;
    std::printf("idle 10 s: CPU used by the process            %8.1f ms (%.3f %% of one core; goal < 0.2 %%)\n",
                cpuMs, cpuMs / 100.0);
    std::printf("idle 10 s: frames presented, ticks idle       %8llu, %llu\n",
                (unsigned long long)(render->GetFramesPresented() - framesBefore),
                (unsigned long long)(render->GetTicksIdle() - idleTicksBefore));
    PrintMemory("working set after idling (goal < 25 MB)");
    manager.StopRender();
    manager.DestroyScene();
    skin.Destroy();
    manager.Shutdown();
    g_manager = nullptr;
    DestroyWindow(host);
    return 0;
}

int RunDemo(int seconds) {
    const int32_t W = 800, H = 420;
    HWND host = MakeHost(W, H, true);
    CDUIDevManage manager;
    g_manager = &manager;
    if (!manager.Init(1, host, 1)) return 1;
    CDUI_UIResource skin;
    skin.Create(&manager, GetModuleHandleW(nullptr), 131);
    if (!manager.CreateScene(kEventMessage, H, W)) return 1;
    BuildDemoScene(skin, manager.GetScene());
    manager.StartRender(30, 2025);
    if (seconds > 0) SetTimer(host, 1, seconds * 1000, [](HWND h, UINT, UINT_PTR, DWORD) { DestroyWindow(h); });
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    PrintMemory("demo working set");
    manager.StopRender();
    manager.DestroyScene();
    skin.Destroy();
    manager.Shutdown();
    g_manager = nullptr;
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    (void)kRegistered;
    int seconds = 0;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--bench") {
            int rounds = 5;
            double scale = 1.0;
            for (int j = i + 1; j + 1 < argc; j += 2) {
                if (std::wstring(argv[j]) == L"--rounds") rounds = std::max(1, _wtoi(argv[j + 1]));
                if (std::wstring(argv[j]) == L"--scale") scale = std::clamp(_wtof(argv[j + 1]), 0.5, 4.0);
            }
            return RunBench(rounds, scale);
        }
        if (a == L"--seconds" && i + 1 < argc) seconds = _wtoi(argv[++i]);
    }
    return RunDemo(seconds);
}
