// Gallery of the standard controls: one layered window whose scene holds one
// control of every kind. Ctrl+C, Ctrl+V and Ctrl+A reach the focused text
// edit as the commands 0x7001, 0x7002 and 0x7003.
//   gallery.exe                 the controls' test skin (read from
//                               gallery-skin\ControlsSkin.xml beside the program)
//   gallery.exe --skin product  the shipped skin from the program's resources:
//                               every kind, and every named button style in
//                               each of its looks, on one screen
//   gallery.exe --skin product --pictures   the page pictures at their size
//   gallery.exe ... --scale S   drawn at S pixels per unit (as at S x 96 DPI)
//   VENTARO_GALLERY_SECONDS=n   ends by itself after n seconds (Esc closes)
//   VENTARO_GALLERY_MESSAGE=1   opens a message box over the page at start
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>

#include "controls/DUI_Button.h"
#include "controls/DUI_ColorSelect.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_KindCommon.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_ListBox.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_NavigationBar.h"
#include "controls/DUI_Panel.h"
#include "controls/DUI_PieChart.h"
#include "controls/DUI_Progress.h"
#include "controls/DUI_ScrollBar.h"
#include "controls/DUI_SliderBar.h"
#include "controls/DUI_StandardControls.h"
#include "controls/DUI_TextEdit.h"
#include "graphics/GdiplusInclude.h"
#include "graphics/UIGraphicsEngine.h"
#include "scene/DUI_UIScene.h"
#include "skin/DUI_UIResource.h"
#include "scene/DUI_Window.h"

void BuildProductScene(CDUI_UIResource* resource, CDUI_UIScene* scene, int width, int height, bool pictures);

namespace {

int kWidth = 1000;
int kHeight = 640;
constexpr UINT kEventMessage = 2026;
constexpr UINT_PTR kFrameTimer = 1;

// The off-screen 32-bit image the scene paints into.
class FrameImage {
public:
    FrameImage(int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~FrameImage() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    FrameImage(const FrameImage&) = delete;
    FrameImage& operator=(const FrameImage&) = delete;
    HDC dc() const { return dc_; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

struct Gallery {
    HWND window = nullptr;
    std::unique_ptr<CDUI_UIResource> resource;
    CDUI_UIScene* scene = nullptr;  // owned; deleted in Teardown
    std::unique_ptr<FrameImage> frame;
    CDUI_Label* status = nullptr;   // owned by the scene
    CDUI_Progress* progress = nullptr;
    CDUI_Label* sliderValue = nullptr;
    CDUI_MessageBox* box = nullptr;
};

Gallery g_gallery;

void SetStatus(const std::wstring& text) {
    if (g_gallery.status) g_gallery.status->SetText(text);
}

template <typename T>
T* Add(CDUI_UICollection* parent, T* control) {
    if (parent && control) parent->AddChild(control);
    return control;
}

CDUI_Label* AddLabel(CDUI_UICollection* parent, const std::wstring& text, int x, int y, int w, int h,
                     uint32_t color = 0xFFFFFFFF) {
    CDUI_Label* label = Add(parent, g_gallery.resource->CreateLabel(0, L"OVLabel", text, x, y, w, h));
    if (label) {
        label->SetTransparent(1);
        label->SetBorder(0);
        label->SetTextColor(color);
        label->SetHitEnable(0);
    }
    return label;
}

void BuildScene() {
    CDUI_UIResource* r = g_gallery.resource.get();
    CDUI_UIScene* scene = g_gallery.scene;
    CDUI_Panel* back = Add(scene, r->CreatePanel(1, L"OVPanel", L"", 0, 0, kWidth, kHeight));
    if (!back) return;
    back->SetTabStop(1);
    AddLabel(back, L"控件一览 — Ventaro UI gallery", 20, 8, 500, 28);
    g_gallery.status = AddLabel(back, L"点击任意控件试试", 520, 8, 460, 28, 0xFFFFFF80);

    // Buttons.
    AddLabel(back, L"按钮", 20, 44, 120, 20, 0xFFC0C0C0);
    if (auto* b = Add(back, r->CreateButton(10, L"OVButton", L"确定", 20, 66, 90, 30))) {
        b->SetTextColor(0xFFFFFFFF);
        b->SetAlignment(18);
        b->SetEventCallback(DUI_EVT_CLICKED, [](CDUI_UIControl*, const CDUI_EventRecord*, void*) { SetStatus(L"按钮：确定 被点击"); }, nullptr);
    }
    if (auto* p = Add(back, r->CreatePushButton(11, L"OVPushButton", L"自动", 120, 66, 90, 30))) {
        p->SetAlignment(18);
        p->SetPushCallback([](CDUI_UIControl*, int32_t v, void*) { SetStatus(v ? L"自动：开" : L"自动：关"); }, nullptr);
    }
    const wchar_t* options[] = {L"灯光", L"风扇", L"游戏"};
    for (int i = 0; i < 3; ++i) {
        if (auto* o = Add(back, r->CreateOptionButton(20 + i, L"OVOptionButton", options[i], 220 + i * 80, 66, 75, 30))) {
            o->SetGroup(1);
            o->SetTextColor(0xFFFFFFFF);
            o->SetTextPlacement(1);
            if (i == 0) o->SetChecked(1);
        }
    }
    if (auto* c = Add(back, r->CreateCheckBox(30, L"OVCheckBox", L"自动登录", 470, 70, 120, 20))) {
        c->SetTextColor(0xFFFFFFFF);
        c->SetCheckCallback([](CDUI_UIControl*, int32_t v, void*) { SetStatus(v ? L"自动登录：勾选" : L"自动登录：取消"); }, nullptr);
    }

    // Label and images.
    AddLabel(back, L"标签：风扇转速 1200 RPM，温度 45 ℃", 20, 106, 400, 24, 0xFF80FFFF);
    AddLabel(back, L"图片（皮肤、PNG、GIF 动画）", 20, 134, 300, 20, 0xFFC0C0C0);
    if (auto* img = Add(back, r->CreateImage(40, L"OVImage", L"", 20, 156, 160, 40))) img->SetBorder(0);
    if (auto* img = Add(back, r->CreateImage(41, L"OVImage", L"", 190, 156, 40, 40))) {
        img->SetBorder(0);
        img->SetImageFromResource(GetModuleHandleW(nullptr), 201);
    }
    if (auto* img = Add(back, r->CreateImage(42, L"OVImage", L"", 240, 156, 40, 40))) {
        img->SetBorder(0);
        img->SetImageFromResource(GetModuleHandleW(nullptr), 202);
    }

    // Text edits.
    AddLabel(back, L"文本框（Ctrl+C / Ctrl+V / Ctrl+A）与密码框", 20, 206, 400, 20, 0xFFC0C0C0);
    if (auto* e = Add(back, r->CreateTextEdit(50, L"OVTextEdit", L"可以输入文字", 20, 228, 220, 26))) {
        e->SetTextCallback([](CDUI_UIControl* c, int32_t, void*) { SetStatus(L"文本：" + c->GetText()); }, nullptr);
    }
    if (auto* e = Add(back, r->CreateTextEdit(51, L"OVTextEdit", L"secret", 250, 228, 150, 26))) e->SetPassword(1);

    // Slider, progress.
    AddLabel(back, L"滑块与进度条", 20, 264, 200, 20, 0xFFC0C0C0);
    g_gallery.sliderValue = AddLabel(back, L"60", 230, 286, 60, 20);
    if (auto* s = Add(back, r->CreateSliderBar(60, L"OVSliderBar", L"", 20, 290, 200, 10, 0, 100, 60))) {
        s->SetShowFore(1);
        s->SetSliderCallback(
            [](CDUI_UIControl* c, int32_t v, void*) {
                auto* slider = static_cast<CDUI_SliderBar*>(c);
                v = slider->GetSliderValue();
                if (g_gallery.sliderValue) g_gallery.sliderValue->SetText(std::to_wstring(v));
                if (g_gallery.progress) {
                    g_gallery.progress->SetProgress(static_cast<uint32_t>(v));
                    g_gallery.progress->SetText(std::to_wstring(v) + L"%");
                }
            },
            nullptr);
    }
    if (auto* s = Add(back, r->CreateSliderBar(61, L"OVSliderBar", L"", 300, 270, 10, 120, 1, 100, 30))) s->SetShowFore(1);
    g_gallery.progress = Add(back, r->CreateProgress(62, L"OVProgress", L"60%", 20, 316, 260, 18));
    if (g_gallery.progress) {
        g_gallery.progress->SetProgress(60);
        g_gallery.progress->SetTextColor(0xFFFFFFFF);
    }

    // Lists.
    AddLabel(back, L"下拉框与列表框", 20, 346, 200, 20, 0xFFC0C0C0);
    if (auto* list = Add(back, r->CreateListBox(71, L"OVListBox", L"", 20, 400, 200, 120))) {
        const wchar_t* names[] = {L"静态常亮", L"呼吸", L"彩虹", L"闪烁", L"渐变", L"音乐律动", L"自定义一", L"自定义二", L"自定义三"};
        int i = 0;
        for (const wchar_t* n : names) list->AddItem(n, i++, L"");
        list->SetSelectCallback([](CDUI_UIControl* c, int32_t index, void*) {
            std::wstring text;
            static_cast<CDUI_ListBox*>(c)->GetItem(index, &text, nullptr, nullptr);
            SetStatus(L"列表：" + text);
        }, nullptr);
    }
    if (auto* combo = Add(back, r->CreateComboBox(70, L"OVComboBox", L"", 20, 368, 200, 24))) {
        combo->AddItem(L"红色", 1, L"");
        combo->AddItem(L"绿色", 2, L"");
        combo->AddItem(L"蓝色", 3, L"");
        combo->SelectByValue(2);
        combo->SetSelectCallback([](CDUI_UIControl* c, int32_t, void*) { SetStatus(L"下拉框：" + c->GetText()); }, nullptr);
    }

    // Colour select.
    AddLabel(back, L"颜色选择", 420, 106, 200, 20, 0xFFC0C0C0);
    if (auto* picker = Add(back, r->CreateColorSelect(80, L"OVColorSelect", L"", 420, 128, 240, 170))) {
        picker->SetColorCallback([](CDUI_UIControl*, int32_t argb, void*) {
            wchar_t text[64];
            swprintf(text, 64, L"颜色：0x%08X", static_cast<unsigned>(argb));
            SetStatus(text);
        }, nullptr);
        picker->SetHSV(200, 0.7f, 0.9f);
    }

    // Navigation bar: 20 rows in a bar for about 8; the wheel or the bar scrolls.
    AddLabel(back, L"导航栏（20 行，可滚动）", 680, 106, 300, 20, 0xFFC0C0C0);
    if (auto* nav = Add(back, r->CreateNavigationBar(90, L"OVNavigationBar", L"", 680, 128, 180, 170))) {
        nav->SetNodeFonts(r->FindFont(L"yahei12"), r->FindFont(L"default"));
        nav->SetNodeTextColors(0xFF000000, 0xFFFFFFFF);
        NavigationNode* themes = nav->AddNode(L"灯光主题", nullptr, 1, 0, 0, 1);
        const wchar_t* themeNames[] = {L"静态常亮", L"呼吸", L"彩虹", L"闪烁", L"渐变", L"音乐律动", L"自定义一", L"自定义二"};
        int id = 10;
        for (const wchar_t* name : themeNames) {
            nav->AddNode(name, themes, id, 100 + id, 0);  // the value stands for a stored record
            ++id;
        }
        NavigationNode* games = nav->AddNode(L"游戏模式", nullptr, 2, 0, 0, 1);
        for (int i = 1; i <= 8; ++i, ++id) nav->AddNode(L"游戏 " + std::to_wstring(i), games, id, 200 + i, 0);
        nav->AddNode(L"风扇控制", nullptr, 3, 0, 0);
        nav->AddNode(L"空的分组", nullptr, 4, 0, 0, 1);  // a group with nothing in it yet
        nav->SetNodeOpen(1, 1);
        nav->SetNodeOpen(2, 1);
        nav->SelectNode(11);
        nav->SetSelectCallback([](CDUI_NavigationBar*, int32_t id, const std::wstring& text, int32_t value, NavigationNode*, int, void*) {
            SetStatus(L"导航：" + text + L"（编号 " + std::to_wstring(id) + L"，记录 " + std::to_wstring(value) + L"）");
        }, nullptr);
        nav->SetToggleCallback([](CDUI_NavigationBar*, int32_t, const std::wstring& text, int32_t, NavigationNode*, int open, void*) { SetStatus(text + (open ? L" 展开" : L" 收起")); }, nullptr);
    }
    // A disabled button explains itself when the pointer rests on it.
    if (auto* b = Add(back, r->CreateButton(95, L"OVButton", L"固件升级", 870, 128, 110, 30))) {
        b->SetTextColor(0xFFFFFFFF);
        b->SetAlignment(18);
        b->SetHint(0, L"未连接控制器，无法升级");
        b->SetEnabled(0);
    }

    // Pie charts.
    AddLabel(back, L"饼图（模式 1 与模式 0）", 420, 310, 250, 20, 0xFFC0C0C0);
    if (auto* pie = Add(back, r->CreatePieChart(100, L"OVPieChart", L"", 420, 334, 120, 120))) {
        pie->AddItem(0xFF2060C0, 0xFF80C0FF, 360);
        pie->AddItem(0xFFC04020, 0xFFFFC080, 240);
        pie->AddItem(0xFF20A040, 0xFFA0FFA0, 120);
    }
    if (auto* pie = Add(back, r->CreatePieChart(101, L"OVPieChart", L"", 560, 334, 120, 120))) {
        pie->SetDrawMode(0);
        pie->AddItem(0xFFE04040, 0xFFFF9090, 150);
        pie->AddItem(0xFF4040E0, 0xFF9090FF, 120);
        pie->AddItem(0xFF40C040, 0xFF90FF90, 90);
    }

    // Scroll bar and a scrolling panel.
    AddLabel(back, L"滚动条与可滚动面板", 700, 310, 250, 20, 0xFFC0C0C0);
    if (auto* bar = Add(back, r->CreateScrollBar(110, L"OVScrollBar", L"", 700, 334, 14, 150))) bar->SetRange(1000, 150, 25);
    if (auto* panel = Add(back, r->CreatePanel(111, L"OVPanel", L"", 730, 334, 220, 150))) {
        panel->SetScrolling(1, 220, 420);
        for (int i = 0; i < 10; ++i) {
            if (auto* b = Add(panel, r->CreateButton(200 + i, L"OVButton", L"面板按钮 " + std::to_wstring(i + 1), 10, 10 + i * 40, 170, 30))) {
                b->SetTextColor(0xFFFFFFFF);
                b->SetAlignment(18);
            }
        }
    }
    // Message box: a button shows it; its result goes to the status line.
    AddLabel(back, L"消息框", 20, 540, 200, 20, 0xFFC0C0C0);
    for (int type = 1; type <= 6; ++type) {
        if (auto* b = Add(back, r->CreateButton(300 + type, L"OVButton", L"类型 " + std::to_wstring(type), 20 + (type - 1) * 95, 564, 90, 28))) {
            b->SetTextColor(0xFFFFFFFF);
            b->SetAlignment(18);
            b->SetEventCallback(DUI_EVT_CLICKED, [](CDUI_UIControl* c, const CDUI_EventRecord*, void*) {
                const int type = c->GetId() - 300;
                if (g_gallery.box) g_gallery.box->ShowMessage(L"这是按钮类型 " + std::to_wstring(type) + L" 的消息框。", type, type);
            }, nullptr);
        }
    }
    g_gallery.box = Add(static_cast<CDUI_UICollection*>(scene), r->CreateMessageBox(400, L"OVMessageBox", L"信息", 0, 0, 300, 150));
    if (g_gallery.box) {
        g_gallery.box->SetResultCallback([](CDUI_UIControl*, int32_t result, void*) {
            SetStatus(std::wstring(L"消息框结果：") + std::to_wstring(result) + L"（" + MessageBoxButtonText(result) + L"）");
        }, nullptr);
    }
}

double g_scale = 1.0;

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

int Scaled(int logical) { return static_cast<int>(logical * g_scale + 0.5); }

void Present() {
    if (!g_gallery.scene || !g_gallery.frame) return;
    if (!g_gallery.scene->PaintFrame(g_gallery.frame->dc())) return;
    HDC screen = GetDC(nullptr);
    SIZE size{Scaled(kWidth), Scaled(kHeight)};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(g_gallery.window, screen, nullptr, &size, g_gallery.frame->dc(), &source, 0, &blend, ULW_ALPHA);
    ReleaseDC(nullptr, screen);
}

// The product screen shows every look at once; the pointer would set them
// all back to normal (any mouse message resets the states from the root).
bool g_stillLooks = false;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool mouse = (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_MOUSELEAVE;
    if (g_gallery.scene && !(g_stillLooks && mouse) && g_gallery.scene->ForwardMessage(message, wParam, lParam))
        return 0;
    switch (message) {
    case WM_TIMER:
        if (wParam == kFrameTimer) Present();
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const bool product = commandLine && std::wstring(commandLine).find(L"--skin product") != std::wstring::npos;
    if (const wchar_t* at = commandLine ? std::wcsstr(commandLine, L"--scale ") : nullptr)
        g_scale = std::min(4.0, std::max(0.5, _wtof(at + 8)));
    if (product) {
        g_stillLooks = true;
        kWidth = 2520;
        kHeight = 1400;
    }
    CDUI_UIGraphicsEngine graphics;
    if (!graphics.Startup(1)) return 1;
    DUI_RegisterStandardControls();

    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"VentaroGallery";
    RegisterClassW(&wc);
    g_gallery.window = CreateWindowExW(WS_EX_LAYERED, L"VentaroGallery", L"Ventaro Gallery", WS_POPUP, product ? 10 : 40,
                                       product ? 10 : 40, Scaled(kWidth),
                                       Scaled(kHeight), nullptr, nullptr, instance, nullptr);
    if (!g_gallery.window) return 1;

    g_gallery.resource = std::make_unique<CDUI_UIResource>();
    if (product) {
        g_gallery.resource->Create(nullptr, instance, 131);
    } else {
        g_gallery.resource->CreateFromFile(nullptr, ProgramFolder() + L"gallery-skin\\ControlsSkin.xml");
    }
    g_gallery.scene = g_gallery.resource->CreateScene(g_gallery.window, kWidth, kHeight, kEventMessage);
    if (!g_gallery.scene) return 1;
    g_gallery.scene->SetScale(g_scale);
    g_gallery.frame = std::make_unique<FrameImage>(Scaled(kWidth), Scaled(kHeight));
    if (product)
        BuildProductScene(g_gallery.resource.get(), g_gallery.scene, kWidth, kHeight,
                          std::wstring(commandLine).find(L"--pictures") != std::wstring::npos);
    else
        BuildScene();
    if (const char* message = std::getenv("VENTARO_GALLERY_MESSAGE"); message && *message == '1' && g_gallery.box)
        g_gallery.box->ShowMessage(L"确认删除主题“彩虹”？删除后无法恢复。", 4, 3);

    ShowWindow(g_gallery.window, SW_SHOW);
    SetTimer(g_gallery.window, kFrameTimer, 30, nullptr);
    if (const char* seconds = std::getenv("VENTARO_GALLERY_SECONDS"))
        SetTimer(nullptr, 0, static_cast<UINT>(std::atoi(seconds)) * 1000u,
                 [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });

    // Copy, paste and select all for the focused text edit.
    ACCEL keys[] = {{FCONTROL | FVIRTKEY, 'C', 0x7001}, {FCONTROL | FVIRTKEY, 'V', 0x7002},
                    {FCONTROL | FVIRTKEY, 'A', 0x7003}};
    HACCEL accelerators = CreateAcceleratorTableW(keys, 3);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (accelerators && TranslateAcceleratorW(g_gallery.window, accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (accelerators) DestroyAcceleratorTable(accelerators);
    KillTimer(g_gallery.window, kFrameTimer);

    // Controls and the scene go before the resource, all before GDI+.
    g_gallery.frame.reset();
    CDUI_UIScene* scene = g_gallery.scene;
    g_gallery.scene = nullptr;
    scene->ReleaseResources();
    delete scene;
    g_gallery.resource.reset();
    if (IsWindow(g_gallery.window)) DestroyWindow(g_gallery.window);
    return 0;
}
