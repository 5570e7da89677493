// Thousands of page rebuilds while the render thread paints: every way a
// control leaves the tree (Destroy, DestroyChild, delete, RemoveAllChildren)
// and every kind the pages rebuild, with a worker thread replacing a picture
// meanwhile. No crash, no hang, and no GDI objects left behind.
#include <gtest/gtest.h>

#include <atomic>
#include <iostream>
#include <thread>

#include "../ui/UiTestSupport.h"

#include <psapi.h>  // after windows.h

#include "controls/DUI_Button.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_ListBox.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_NavigationBar.h"
#include "controls/DUI_Panel.h"
#include "controls/DUI_StandardControls.h"
#include "scene/DUIDevManage.h"
#include "scene/DUIDevRender.h"

namespace {

HBITMAP MakeBitmap(uint32_t argb) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    uint32_t* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    if (bitmap)
        for (int i = 0; i < 16 * 16; ++i) bits[i] = argb;
    return bitmap;
}

DWORD GdiObjects() { return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS); }
DWORD UserObjects() { return GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS); }
// Wine answers GetGuiResources with 0; the process's private memory is the
// leak measure that works everywhere.
size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof(counters)))
        return 0;
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}
int Rounds() {
    // VENTARO_TEARDOWN_ROUNDS shortens a local run; the suite runs thousands.
    wchar_t buffer[16] = {};
    if (GetEnvironmentVariableW(L"VENTARO_TEARDOWN_ROUNDS", buffer, 16)) return std::max(10, _wtoi(buffer));
    return 2000;  // pages of some 25 controls each: some 50000 controls
}

class Teardown : public testing::Test {
protected:
    void SetUp() override {
        DUI_RegisterStandardControls();
        ASSERT_EQ(manager.Init(1, host.hwnd(), 1), 1);
        ASSERT_EQ(skin.Create(&manager, GetModuleHandleW(nullptr), 131), 1);
        ASSERT_EQ(manager.CreateScene(uitest::kEventMessage, 300, 400), 1);
        scene = manager.GetScene();
        host.SetScene(scene);
        manager.GetRender()->SetPresentCallbacks(nullptr, nullptr, &Teardown::AfterPresent, this);
        ASSERT_EQ(manager.StartRender(30, 2025), 1);  // the program's frame period
    }
    void TearDown() override {
        host.SetScene(nullptr);
        manager.StopRender();
        manager.DestroyScene();
        skin.Destroy();
        manager.Shutdown();
    }
    static void AfterPresent(HWND, HDC, HDC, const RECT*, void* user) { ++static_cast<Teardown*>(user)->frames; }

    // One page as the pages build it: a panel holding the kinds they rebuild.
    CDUI_Panel* BuildPage(int round, HBITMAP picture) {
        CDUI_Panel* page = skin.CreatePanel(1000 + round, L"OVPanel", L"", round % 50, round % 30, 300, 240);
        if (!page) return nullptr;
        scene->AddChild(page);  // attached first: everything below is built under the painter's eyes
        for (int i = 0; i < 4; ++i) {
            CDUI_Button* b = skin.CreateButton(i + 1, L"OVButton", L"保存", 10 + 60 * i, 10, 50, 20);
            if (b) page->AddChild(b);
        }
        if (CDUI_Image* image = skin.CreateImage(10, L"OVImage", L"", 10, 40, 16, 16)) {
            page->AddChild(image);
            image->SetImageFromBitmap(picture);
        }
        if (CDUI_Label* label = skin.CreateLabel(11, L"OVLabel", L"灯光主题", 40, 40, 100, 20)) page->AddChild(label);
        if (CDUI_ListBox* list = skin.CreateListBox(12, L"OVListBox", L"", 10, 70, 100, 60)) {
            page->AddChild(list);
            for (int i = 0; i < 8; ++i) list->AddItem(L"项目" + std::to_wstring(i), i, L"");
            list->SelectByValue(round % 8, 0);
        }
        if (CDUI_NavigationBar* nav = skin.CreateNavigationBar(13, L"OVNavigationBar", L"", 120, 70, 160, 80)) {
            page->AddChild(nav);
            NavigationNode* group = nav->AddNode(L"游戏", nullptr, 1, 0, 0, 1);
            for (int i = 0; i < 6; ++i) nav->AddNode(L"游戏" + std::to_wstring(i), group, 10 + i, i, 0);
            nav->SetNodeOpen(1, 1);
            nav->RemoveNode(10 + round % 6);
            nav->InsertNodeBefore(L"新游戏", 10 + (round + 1) % 6, 99, 0, 0);
            if (round % 5 == 0) nav->ClearNodes();
        }
        if (CDUI_ComboBox* combo = skin.CreateComboBox(14, L"OVComboBox", L"", 10, 150, 100, 20)) {
            page->AddChild(combo);
            combo->AddItem(L"模式一", 1, L"");
            combo->AddItem(L"模式二", 2, L"");
            if (round % 3 == 0) combo->Drop(1);  // an open drop-down is a scene pop-up
        }
        if (round % 10 == 0) {
            if (CDUI_MessageBox* box = skin.CreateMessageBox(15, L"OVMessageBox", L"信息", 0, 0, 200, 100)) {
                page->AddChild(box);
                box->ShowMessage(L"确认删除该主题？", 4, 3);  // modal while the page goes away
            }
        }
        return page;
    }

    void TearDownPage(CDUI_Panel* page, int round) {
        switch (round % 4) {
        case 0:
            ASSERT_EQ(page->Destroy(), 1);
            break;
        case 1:
            ASSERT_EQ(scene->DestroyChild(page), 1);
            break;
        case 2:
            delete page;  // by a page that never heard of Destroy
            break;
        default:
            page->RemoveAllChildren(1);
            ASSERT_EQ(page->Destroy(), 1);
            break;
        }
    }

    uitest::HostWindow host;
    CDUIDevManage manager;
    CDUI_UIResource skin;
    CDUI_UIScene* scene = nullptr;
    std::atomic<int> frames{0};
};

}  // namespace

TEST_F(Teardown, ThousandsOfRebuildsWhileTheRenderThreadPaints) {
    HBITMAP red = MakeBitmap(0xFFFF0000), blue = MakeBitmap(0x800000FF);
    ASSERT_TRUE(red && blue);
    // A picture that lives on while a worker keeps replacing it.
    CDUI_Image* shared = skin.CreateImage(1, L"OVImage", L"", 380, 280, 16, 16);
    ASSERT_NE(shared, nullptr);
    scene->AddChild(shared);
    std::atomic<bool> stop{false};
    std::atomic<int> replaced{0};
    std::thread worker([&] {
        for (int i = 0; !stop; ++i) {
            shared->SetImageFromBitmap(i % 2 ? red : blue);
            if (i % 10 == 0) shared->SetImageFromResource(GetModuleHandleW(nullptr), i % 20 ? 201 : 999);
            ++replaced;
            Sleep(1);  // a page replaces pictures now and then, not in a busy loop
        }
    });

    // Warm-up: fonts, brushes and the render image exist before counting.
    for (int round = 0; round < 20; ++round) TearDownPage(BuildPage(round, red), round);
    host.Drain();
    const DWORD gdiBefore = GdiObjects(), userBefore = UserObjects();
    const size_t memoryBefore = PrivateBytes();
    const int framesBefore = frames;
    const DWORD started = GetTickCount();

    const int kRounds = Rounds();
    for (int round = 0; round < kRounds; ++round) {
        CDUI_Panel* page = BuildPage(round, round % 2 ? red : blue);
        ASSERT_NE(page, nullptr);
        // A click while the page exists: its events are posted and may
        // arrive after it is gone.
        manager.ForwardMessage(WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
        manager.ForwardMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
        manager.ForwardMessage(WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
        TearDownPage(page, round);
        if (HasFatalFailure()) break;
        if (round % 25 == 0) host.Drain();
    }
    stop = true;
    worker.join();
    host.Drain();
    // Let the painter show the final state, and free what it frees.
    host.PumpUntil([&] { return false; }, 200);
    const DWORD gdiAfter = GdiObjects(), userAfter = UserObjects();
    const size_t memoryAfter = PrivateBytes();
    const int painted = frames - framesBefore;
    std::cout << "[ teardown ] " << kRounds << " rebuilds in " << (GetTickCount() - started) << " ms, " << painted
              << " frames painted meanwhile, " << replaced << " picture swaps; GetGuiResources GDI objects before "
              << gdiBefore << ", after " << gdiAfter << "; USER objects before " << userBefore << ", after "
              << userAfter << "; private bytes before " << memoryBefore << ", after " << memoryAfter << std::endl;
    RecordProperty("gdi_before", static_cast<int>(gdiBefore));
    RecordProperty("gdi_after", static_cast<int>(gdiAfter));
    EXPECT_GT(painted, 50) << "the render thread must have painted during the rebuilds";
    EXPECT_GT(replaced.load(), 100);
    EXPECT_LE(gdiAfter, gdiBefore + 10) << "GDI objects leak with each rebuild";
    EXPECT_LE(userAfter, userBefore + 10);
    // A page that leaked even its smallest part would add far more than this.
    EXPECT_LE(memoryAfter, memoryBefore + 12u * 1024 * 1024) << "memory grows with each rebuild";
    EXPECT_EQ(scene->GetModal(), nullptr);
    EXPECT_EQ(scene->GetChildCount(), 1u);  // only the shared picture is left
    DeleteObject(red);
    DeleteObject(blue);
}
