// What the pages lean on besides the navigation bar: values shown from a
// stored record without being reported back, pictures from files and bitmaps
// (and nothing at all when a picture fails), the modal message box, the
// combo drop-down above its panel, the wheel under the pointer, the drag
// threshold, the disabled control's hint and the text edit's caret.
#include <gtest/gtest.h>

#include <fstream>

#include "ControlsTestSupport.h"
#include "controls/DUI_Button.h"
#include "controls/DUI_ColorSelect.h"
#include "controls/DUI_Image.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_ListBox.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_Panel.h"
#include "controls/DUI_Progress.h"
#include "controls/DUI_SliderBar.h"
#include "controls/DUI_StandardControls.h"
#include "controls/DUI_TextEdit.h"
#include "core/DUI_FontType.h"
#include "graphics/GraphicsCtrl.h"

using namespace ctltest;

namespace {

// Every report any control sends, in order.
std::vector<std::pair<int, int32_t>> g_reports;
void OnKind(CDUI_UIControl*, int32_t value, void* code) {
    g_reports.emplace_back(static_cast<int>(reinterpret_cast<intptr_t>(code)), value);
}
void OnList(CDUI_UIControl*, int32_t index, void*) { g_reports.emplace_back(2201, index); }
void OnCommon(CDUI_UIControl*, const CDUI_EventRecord* e, void*) { g_reports.emplace_back(e->code, e->arg[0]); }
void* Code(int code) { return reinterpret_cast<void*>(static_cast<intptr_t>(code)); }

bool IsDark(DWORD p) { return ((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60; }

std::wstring Env(const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
    return (n > 0 && n < 1024) ? std::wstring(buffer, n) : std::wstring();
}

}  // namespace

TEST(SilentSetters, ShowingAStoredRecordReportsNothingAndKeepsItExact) {
    Fixture f;
    auto* check = f.resource->CreateCheckBox(1, L"OVCheckBox", L"", 0, 0, 60, 10);
    auto* push = f.resource->CreatePushButton(2, L"OVPushButton", L"", 0, 20, 60, 10);
    auto* slider = f.resource->CreateSliderBar(3, L"OVSliderBar", L"", 0, 40, 200, 10, 0, 100, 0);
    auto* picker = f.resource->CreateColorSelect(4, L"OVColorSelect", L"", 0, 60, 200, 120);
    auto* list = f.resource->CreateListBox(5, L"OVListBox", L"", 220, 0, 100, 80);
    auto* combo = f.resource->CreateComboBox(6, L"OVComboBox", L"", 220, 100, 100, 20);
    auto* progress = f.resource->CreateProgress(7, L"OVProgress", L"", 220, 140, 100, 10);
    ASSERT_TRUE(check && push && slider && picker && list && combo && progress);
    for (CDUI_UIControl* c : std::initializer_list<CDUI_UIControl*>{check, push, slider, picker, list, combo, progress})
        f.scene->AddChild(c);
    check->SetCheckCallback(OnKind, Code(601));
    push->SetPushCallback(OnKind, Code(4701));
    slider->SetSliderCallback(OnKind, Code(1301));
    picker->SetColorCallback(OnKind, Code(4401));
    list->SetSelectCallback(OnList, nullptr);
    combo->SetSelectCallback(OnList, nullptr);
    for (int i = 0; i < 3; ++i) {
        list->AddItem(L"项" + std::to_wstring(i), 10 + i, L"");
        combo->AddItem(L"模式" + std::to_wstring(i), 20 + i, L"");
    }
    g_reports.clear();

    // The page shows a stored record: every value set, nothing reported.
    ASSERT_EQ(check->SetChecked(1, 0), 1);
    ASSERT_EQ(push->SetChecked(1, 0), 1);
    ASSERT_EQ(slider->SetSliderValue(73, 0), 1);
    ASSERT_EQ(picker->SetColor(0xFF8C00FF, 0), 1);
    ASSERT_EQ(list->SelectByValue(12, 0), 1);
    ASSERT_EQ(combo->SelectByValue(21, 0), 1);
    ASSERT_EQ(progress->SetProgress(40, 0), 1);
    EXPECT_TRUE(g_reports.empty());
    EXPECT_EQ(check->GetChecked(), 1);
    EXPECT_EQ(push->GetChecked(), 1);
    EXPECT_EQ(slider->GetSliderValue(), 73);
    EXPECT_EQ(list->GetSelectedIndex(), 2);
    EXPECT_EQ(combo->GetSelectedIndex(), 1);
    EXPECT_EQ(combo->GetText(), L"模式1");  // shown in the edit even without a report
    EXPECT_EQ(progress->GetProgress(), 40u);
    // The stored colour comes back exactly (the float round trip would give 8B00FF).
    EXPECT_EQ(picker->GetColor(), 0xFF8C00FFu);
    float h = 0, s = 0, v = 0;
    picker->GetHSV(&h, &s, &v);
    EXPECT_NEAR(h, 273.0f, 1.0f);
    EXPECT_NEAR(v, 1.0f, 0.01f);
    ASSERT_EQ(picker->SetHSV(120, 1, 1, 0), 1);
    EXPECT_EQ(picker->GetColor(), 0xFF00FF00u);
    EXPECT_TRUE(g_reports.empty());

    // The default is still the reporting setter, as before.
    check->SetChecked(0);
    slider->SetSliderValue(10);
    picker->SetHSV(0, 1, 1);
    list->SelectByValue(10);
    push->SetChecked(0);
    const std::vector<std::pair<int, int32_t>> expected = {
        {601, 0}, {1301, 10}, {4401, static_cast<int32_t>(0xFFFF0000u)}, {2201, 0}, {4701, 0}};
    EXPECT_EQ(g_reports, expected);
    // A user's change is still reported.
    g_reports.clear();
    const DUI_Rect box = check->GetAbsoluteRect();
    f.Click(box.x + 2, box.y + 2);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0], (std::pair<int, int32_t>{601, 1}));
}

TEST(ListCallbacks, AClickIsReportedOutsideTheParameterLock) {
    // Posted mode: the click's report runs when the host delivers it, after
    // the dispatch let go of the lock; another thread can take the lock
    // inside the callback without waiting for the UI thread.
    auto resource = std::make_unique<CDUI_UIResource>();
    resource->Create(nullptr, GetModuleHandleW(nullptr), 131);
    struct Host {
        HWND hwnd = nullptr;
        Host() {
            WNDCLASSW wc{};
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"VentaroListCallbackHost";
            RegisterClassW(&wc);
            hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                   wc.hInstance, nullptr);
        }
        ~Host() { DestroyWindow(hwnd); }
    } host;
    CDUI_UIScene* scene = resource->CreateScene(host.hwnd, 400, 300, 2026);
    ASSERT_NE(scene, nullptr);
    CDUI_ListBox* list = resource->CreateListBox(1, L"OVListBox", L"", 0, 0, 100, 100);
    scene->AddChild(list);
    list->AddItem(L"甲", 1, L"");
    list->AddItem(L"乙", 2, L"");
    static int otherThreadGotTheLock = -1;
    otherThreadGotTheLock = -1;
    list->SetSelectCallback(
        [](CDUI_UIControl* control, int32_t, void*) {
            // A worker changing the list meanwhile must not be held up.
            auto* l = static_cast<CDUI_ListBox*>(control);
            HANDLE t = CreateThread(
                nullptr, 0, [](void* p) -> DWORD { return static_cast<CDUI_ListBox*>(p)->GetItemCount(); }, l, 0,
                nullptr);
            otherThreadGotTheLock = WaitForSingleObject(t, 2000) == WAIT_OBJECT_0 ? 1 : 0;
            CloseHandle(t);
        },
        nullptr);
    const int32_t row = list->GetRowHeight();
    scene->ForwardMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 2 + row + row / 2));
    scene->ForwardMessage(WM_LBUTTONUP, 0, MAKELPARAM(10, 2 + row + row / 2));
    EXPECT_EQ(list->GetSelectedIndex(), 1);
    EXPECT_EQ(otherThreadGotTheLock, -1);  // not yet: it is queued
    MSG msg;
    while (PeekMessageW(&msg, host.hwnd, 0, 0, PM_REMOVE)) scene->ForwardMessage(msg.message, msg.wParam, msg.lParam);
    EXPECT_EQ(otherThreadGotTheLock, 1);
    scene->ReleaseResources();
    delete scene;
}

TEST(ImagePictures, AFailedLoadDrawsNothingNotAPieceOfTheSkin) {
    Fixture f;
    CDUI_Image* image = f.resource->CreateImage(1, L"OVImage", L"", 10, 10, 40, 10);
    ASSERT_NE(image, nullptr);
    image->SetBorder(0);
    image->SetTransparent(1);
    f.scene->AddChild(image);
    ASSERT_EQ(image->SetSkinRect(0, 10, 40, 10), 1);
    EXPECT_EQ(f.Paint()->Pixel(15, 15), kRed);  // the skin sheet, as set
    ASSERT_EQ(image->SetImageFromResource(GetModuleHandleW(nullptr), 201), 1);
    EXPECT_EQ(f.Paint()->Pixel(10, 10), kRed);  // the picture's red column

    auto nothingPainted = [&] {
        auto s = f.Paint();
        int painted = 0;
        for (int y = 10; y < 20; ++y)
            for (int x = 10; x < 50; ++x)
                if (s->Pixel(x, y) != 0) ++painted;
        return painted == 0;
    };
    EXPECT_EQ(image->SetImageFromResource(GetModuleHandleW(nullptr), 999), 0);
    EXPECT_TRUE(nothingPainted());
    EXPECT_EQ(image->LoadFailed(), 1);
    image->SetSkinRect(0, 10, 40, 10);
    EXPECT_FALSE(nothingPainted());
    EXPECT_EQ(image->SetImageFromFile(L"no-such-folder\\no-such-picture.png"), 0);
    EXPECT_TRUE(nothingPainted());
    image->SetSkinRect(0, 10, 40, 10);
    EXPECT_EQ(image->SetImageFromBitmap(nullptr), 0);
    EXPECT_TRUE(nothingPainted());
    // A file that is no picture at all.
    wchar_t dir[MAX_PATH] = {}, path[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"vti", 0, path);
    {
        HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(h, "not a picture", 13, &written, nullptr);
        CloseHandle(h);
    }
    image->SetSkinRect(0, 10, 40, 10);
    EXPECT_EQ(image->SetImageFromFile(path), 0);
    EXPECT_TRUE(nothingPainted());
    DeleteFileW(path);
}

TEST(ImagePictures, FromAFileThatStaysFreeAndFromABitmapWithAlpha) {
    Fixture f;
    CDUI_Image* image = f.resource->CreateImage(1, L"OVImage", L"", 0, 0, 8, 8);
    ASSERT_NE(image, nullptr);
    image->SetBorder(0);
    image->SetTransparent(1);
    f.scene->AddChild(image);
    // A copy of the test picture in the temporary folder.
    const std::wstring source = Env(L"VENTARO_SOURCE_DIR");
    ASSERT_FALSE(source.empty()) << "run through scripts/test";
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    // Named per process: the suite's two code-page entries may run at once.
    const std::wstring copy =
        std::wstring(dir) + L"ventaro-image-test-" + std::to_wstring(GetCurrentProcessId()) + L".png";
    // The source dir is a Unix path; Wine maps it through drive Z:.
    std::wstring from = L"Z:" + source + L"/tests/ui_graphics/data/skin.png";
    for (auto& c : from)
        if (c == L'/') c = L'\\';
    ASSERT_TRUE(CopyFileW(from.c_str(), copy.c_str(), FALSE));
    ASSERT_EQ(image->SetImageFromFile(copy), 1);
    EXPECT_EQ(image->HasOwnImage(), 1);
    // Not held open: the page may replace or delete the file at once.
    EXPECT_TRUE(DeleteFileW(copy.c_str()));
    auto s = f.Paint();
    EXPECT_EQ(s->Pixel(0, 0), kRed);
    EXPECT_EQ(s->Pixel(4, 4), kBlue);

    // A 32-bit bitmap with alpha: the left half opaque green, the right half
    // half-transparent red. Straight alpha in, premultiplied out on the DIB.
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 8, -8, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    uint32_t* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) bits[y * 8 + x] = x < 4 ? 0xFF00FF00u : 0x80FF0000u;
    ASSERT_EQ(image->SetImageFromBitmap(bitmap), 1);
    DeleteObject(bitmap);  // the control keeps its own copy
    s = f.Paint();
    EXPECT_EQ(s->Pixel(1, 1), kGreen);
    const DWORD half = s->Pixel(6, 6);
    EXPECT_NEAR(static_cast<int>(half >> 24), 0x80, 2);
    EXPECT_NEAR(static_cast<int>((half >> 16) & 0xFF), 0x80, 2);
    EXPECT_EQ(half & 0xFFFF, 0u);
    // A bitmap GDI drew into carries no alpha: shown opaque.
    HDC screen = GetDC(nullptr);
    HBITMAP plain = CreateCompatibleBitmap(screen, 8, 8);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, plain);
    RECT all{0, 0, 8, 8};
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(dc, &all, blue);
    SelectObject(dc, old);
    DeleteObject(blue);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(image->SetImageFromBitmap(plain), 1);
    DeleteObject(plain);
    EXPECT_EQ(f.Paint()->Pixel(3, 3), kBlue);
}

TEST(ModalMessageBox, OnTopDimmedBehindAndThePageTakesNoInputUntilItCloses) {
    Fixture f;
    DUI_RegisterStandardControls();
    // The page: a delete button and a text edit, then the box, then a
    // control the page adds later (it must not cover the box).
    CDUI_Button* del = f.resource->CreateButton(1, L"OVButton", L"删除", 10, 10, 60, 20);
    CDUI_TextEdit* edit = f.resource->CreateTextEdit(2, L"OVTextEdit", L"", 10, 40, 100, 20);
    CDUI_MessageBox* box = f.resource->CreateMessageBox(3, L"OVMessageBox", L"信息", 0, 0, 300, 150);
    ASSERT_TRUE(del && edit && box);
    f.scene->AddChild(del);
    f.scene->AddChild(edit);
    f.scene->AddChild(box);
    CDUI_Label* later = f.resource->CreateLabel(4, L"OVLabel", L"", 0, 0, 400, 300);
    later->SetBackColor(0xFFFFFF00);
    later->SetLayer(100);
    int clicks = 0;
    del->SetEventCallback(DUI_EVT_CLICKED, [](CDUI_UIControl*, const CDUI_EventRecord*, void* n) { ++*static_cast<int*>(n); },
                          &clicks);
    box->SetResultCallback(OnKind, Code(2501));
    g_reports.clear();

    const DWORD before = f.Paint()->Pixel(15, 15);
    EXPECT_EQ(f.Paint()->Pixel(390, 290), 0u);
    ASSERT_EQ(box->ShowMessage(L"确认删除该主题？", 4, 3), 1);
    f.scene->AddChild(later);
    EXPECT_EQ(f.scene->GetModal(), box);
    const DUI_Rect r = box->GetAbsoluteRect();
    ASSERT_FALSE(r.Contains(15, 15));  // the delete button lies outside the box

    // Painted: the box over everything, the page behind dimmed.
    auto s = f.Paint();
    const DWORD behind = s->Pixel(390, 290);  // the later yellow label, under the dimming
    EXPECT_LT((behind >> 16) & 0xFF, 0x80u);
    EXPECT_LT((behind >> 8) & 0xFF, 0x80u);
    EXPECT_GT((behind >> 16) & 0xFF, 0x20u);  // dimmed, not blacked out
    EXPECT_NE(s->Pixel(15, 15), before);
    CDUI_Button* ok = box->GetButton(kMsgOk);
    const DUI_Rect okRect = ok->GetAbsoluteRect();
    EXPECT_EQ(s->Pixel(okRect.x + 1, okRect.y + 1), kRed);  // the button's normal look, undimmed, on top

    // Clicks and keys meant for the page go nowhere.
    f.Click(15, 15);
    EXPECT_EQ(clicks, 0);
    edit->SetFocus(1);
    f.Key(WM_CHAR, 'x');
    EXPECT_EQ(edit->GetText(), L"");
    EXPECT_TRUE(g_reports.empty());

    // The box's own button works and ends the block.
    f.Click(okRect.x + okRect.width / 2, okRect.y + okRect.height / 2);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0], (std::pair<int, int32_t>{2501, kMsgOk}));
    EXPECT_EQ(f.scene->GetModal(), nullptr);
    later->SetVisible(0);
    f.Click(15, 15);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(f.Paint()->Pixel(390, 290), 0u);  // no dimming left on the empty scene

    // Hidden by the page, or deleted while shown: the block ends too.
    box->ShowMessage(L"x", 0, 2);
    box->Hide();
    EXPECT_EQ(f.scene->GetModal(), nullptr);
    box->ShowMessage(L"x", 0, 2);
    ASSERT_EQ(box->Destroy(), 1);
    EXPECT_EQ(f.scene->GetModal(), nullptr);
    f.Click(15, 15);
    EXPECT_EQ(clicks, 2);
}

TEST(ModalMessageBox, ABoxInAHiddenPageNeitherBlocksNorDims) {
    Fixture f;
    DUI_RegisterStandardControls();
    CDUI_Panel* page = f.resource->CreatePanel(1, L"OVPanel", L"", 0, 0, 400, 300);
    CDUI_Button* other = f.resource->CreateButton(2, L"OVButton", L"", 350, 10, 40, 20);  // another page's button
    ASSERT_TRUE(page && other);
    f.scene->AddChild(page);
    f.scene->AddChild(other);
    other->SetLayer(5);
    CDUI_MessageBox* box = f.resource->CreateMessageBox(3, L"OVMessageBox", L"信息", 0, 0, 200, 100);
    page->AddChild(box);
    int clicks = 0;
    other->SetEventCallback(DUI_EVT_CLICKED,
                            [](CDUI_UIControl*, const CDUI_EventRecord*, void* n) { ++*static_cast<int*>(n); }, &clicks);
    ASSERT_EQ(box->ShowMessage(L"保存成功", 3, 2), 1);
    f.Click(360, 15);
    EXPECT_EQ(clicks, 0);
    // The page goes away with its box still open: the rest of the program works.
    page->SetShown(0);
    EXPECT_EQ(f.scene->GetModal(), nullptr);
    f.Click(360, 15);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(f.Paint()->Pixel(200, 290), 0u);  // nothing dimmed, nothing of the box
    // Back again: the box rules again.
    page->SetShown(1);
    EXPECT_EQ(f.scene->GetModal(), box);
    f.Click(360, 15);
    EXPECT_EQ(clicks, 1);
}

TEST(ComboDropDown, OpensAboveItsPanelAndTakesClicksThere) {
    Fixture f;
    CDUI_Panel* panel = f.resource->CreatePanel(1, L"OVPanel", L"", 10, 10, 120, 40);
    CDUI_ComboBox* combo = f.resource->CreateComboBox(2, L"OVComboBox", L"", 5, 5, 100, 20);
    ASSERT_TRUE(panel && combo);
    f.scene->AddChild(panel);
    panel->AddChild(combo);
    CDUI_Button* below = f.resource->CreateButton(3, L"OVButton", L"", 10, 60, 120, 60);  // under the list
    f.scene->AddChild(below);
    int clicks = 0;
    below->SetEventCallback(DUI_EVT_CLICKED,
                            [](CDUI_UIControl*, const CDUI_EventRecord*, void* n) { ++*static_cast<int*>(n); }, &clicks);
    for (int i = 0; i < 4; ++i) combo->AddItem(L"选项" + std::to_wstring(i), i, L"");
    combo->SetSelectCallback(OnList, nullptr);
    g_reports.clear();
    f.Click(15 + 95, 15 + 10);  // the drop button
    ASSERT_EQ(combo->IsDropped(), 1);
    CDUI_ListBox* list = combo->GetList();
    const DUI_Rect lr = list->GetAbsoluteRect();
    ASSERT_GT(lr.y + lr.height, 50);  // reaches past the panel's bottom
    // Painted outside the panel, over the button below.
    auto s = f.Paint();
    const DWORD listBack = s->Pixel(lr.x + 5, lr.y + lr.height - 4);  // the list's light back, not the red button
    EXPECT_GT((listBack >> 8) & 0xFF, 0xE0u);
    // A click on a row outside the panel selects it, not the button below.
    const int32_t row = list->GetRowHeight();
    f.Click(lr.x + 10, lr.y + 2 + 3 * row + row / 2);
    EXPECT_EQ(clicks, 0);
    ASSERT_FALSE(g_reports.empty());
    EXPECT_EQ(g_reports.back(), (std::pair<int, int32_t>{2201, 3}));
    EXPECT_EQ(combo->IsDropped(), 0);
    EXPECT_EQ(combo->GetText(), L"选项3");
    // Opened again, a press anywhere else closes it.
    f.Click(15 + 95, 15 + 10);
    ASSERT_EQ(combo->IsDropped(), 1);
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 300, 250);
    f.Send(WM_LBUTTONUP, 0, 300, 250);
    EXPECT_EQ(combo->IsDropped(), 0);
}

TEST(WheelRouting, TheWheelScrollsThePanelUnderThePointerAndSmallDeltasAddUp) {
    // A real host window away from the screen origin: the wheel's screen
    // coordinates must be turned into the scene's.
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VentaroWheelHost";
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 200, 150, 400, 300, nullptr, nullptr,
                                wc.hInstance, nullptr);
    ASSERT_NE(host, nullptr);
    auto resource = std::make_unique<CDUI_UIResource>();
    resource->Create(nullptr, GetModuleHandleW(nullptr), 131);
    CDUI_UIScene* scene = resource->CreateScene(host, 400, 300, 2026);
    ASSERT_NE(scene, nullptr);
    scene->SetDirectDelivery(1);
    CDUI_Panel* left = resource->CreatePanel(1, L"OVPanel", L"", 0, 0, 100, 100);
    CDUI_Panel* right = resource->CreatePanel(2, L"OVPanel", L"", 150, 0, 100, 100);
    scene->AddChild(left);
    scene->AddChild(right);
    left->SetScrolling(1, 100, 1000);
    right->SetScrolling(1, 100, 1000);
    POINT origin{0, 0};
    ClientToScreen(host, &origin);
    auto wheel = [&](int delta, int x, int y) {
        return scene->ForwardMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(origin.x + x, origin.y + y));
    };
    auto offset = [](CDUI_Panel* p) {
        int32_t x = 0, y = 0;
        p->GetScrollOffset(&x, &y);
        return y;
    };
    // Over the right panel: only it scrolls, one notch = 40 pixels.
    EXPECT_EQ(wheel(-120, 200, 50), 1);
    EXPECT_EQ(offset(right), 40);
    EXPECT_EQ(offset(left), 0);
    // Over the left one.
    wheel(-120, 50, 50);
    EXPECT_EQ(offset(left), 40);
    EXPECT_EQ(offset(right), 40);
    // Between them: nobody scrolls.
    wheel(-120, 125, 50);
    EXPECT_EQ(offset(left), 40);
    EXPECT_EQ(offset(right), 40);
    // A precise wheel's small deltas are not lost: 12 x 10 = one notch.
    for (int i = 0; i < 12; ++i) wheel(-10, 200, 50);
    EXPECT_EQ(offset(right), 80);
    for (int i = 0; i < 3; ++i) wheel(40, 200, 50);
    EXPECT_EQ(offset(right), 40);
    scene->ReleaseResources();
    delete scene;
    DestroyWindow(host);
}

TEST(DragThreshold, AWobbleIsAClickAndOnlyAMovePastTheDragRectangleDrags) {
    Fixture f;
    CDUI_Button* b = f.resource->CreateButton(1, L"OVButton", L"", 50, 50, 40, 20);
    f.scene->AddChild(b);
    b->SetDragEnable(1);
    g_reports.clear();
    b->SetEventCallback(DUI_EVT_CLICKED, OnCommon, nullptr);
    b->SetEventCallback(DUI_EVT_DRAGSTART, OnCommon, nullptr);
    const int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
    ASSERT_GT(cx, 1);
    // A press with a pixel of wobble inside the drag rectangle: a click.
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 60, 60);
    f.Send(WM_MOUSEMOVE, MK_LBUTTON, 61, 60);
    f.Send(WM_MOUSEMOVE, MK_LBUTTON, 60 + cx / 2, 60 - cy / 2);
    f.Send(WM_LBUTTONUP, 0, 60 + cx / 2, 60 - cy / 2);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0].first, DUI_EVT_CLICKED);
    EXPECT_EQ(b->IsDragging(), 0);
    // Past it: a drag, and no click.
    g_reports.clear();
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 60, 60);
    f.Send(WM_MOUSEMOVE, MK_LBUTTON, 60 + cx / 2 + 1, 60);
    EXPECT_EQ(b->IsDragging(), 1);
    f.Send(WM_MOUSEMOVE, MK_LBUTTON, 70, 62);
    f.Send(WM_LBUTTONUP, 0, 70, 62);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_EQ(g_reports[0].first, DUI_EVT_DRAGSTART);
    // The rule itself, vertical too.
    EXPECT_FALSE(DUI_PastDragThreshold(2, -2, 4, 4));
    EXPECT_TRUE(DUI_PastDragThreshold(0, -3, 4, 4));
    EXPECT_TRUE(DUI_PastDragThreshold(3, 0, 4, 4));
}

TEST(DisabledHint, ADisabledControlExplainsItselfNextToThePointer) {
    Fixture f;
    CDUI_Button* b = f.resource->CreateButton(1, L"OVButton", L"固件升级", 20, 20, 80, 20);
    f.scene->AddChild(b);
    b->SetHint(0, L"未连接控制器");
    b->SetEnabled(0);
    int clicks = 0;
    b->SetEventCallback(DUI_EVT_CLICKED, [](CDUI_UIControl*, const CDUI_EventRecord*, void* n) { ++*static_cast<int*>(n); },
                        &clicks);
    f.Send(WM_MOUSEMOVE, 0, 30, 25);
    EXPECT_EQ(f.scene->GetHintText(), L"未连接控制器");
    EXPECT_EQ(f.scene->GetHintOwner(), b);
    const DUI_Rect hint = f.scene->GetHintRect();
    ASSERT_FALSE(hint.IsEmpty());
    EXPECT_FALSE(hint.Contains(30, 25));  // beside the pointer, not under it
    auto s = f.Paint();
    EXPECT_EQ(s->Pixel(hint.x, hint.y), 0xFF263042u);  // its frame
    // A frame whose dirty area cuts through the hint leaves the rest of it alone.
    const DWORD ground = s->Pixel(hint.x + 2, hint.y + 2);
    f.scene->PaintControl(s->Graphics(), DUI_Rect{hint.x + hint.width / 2, hint.y, hint.width, hint.height});
    EXPECT_EQ(s->Pixel(hint.x + 2, hint.y + 2), ground) << "the hint was blended twice outside the dirty area";
    f.Click(30, 25);
    EXPECT_EQ(clicks, 0);  // still disabled
    f.Send(WM_MOUSEMOVE, 0, 300, 250);
    EXPECT_EQ(f.scene->GetHintText(), L"");
    EXPECT_NE(f.Paint()->Pixel(hint.x, hint.y), 0xFF263042u);
}

TEST(TextEditCaret, TheCaretSitsAtTheEndOfTheDrawnGlyphs) {
    Fixture f;
    CDUI_TextEdit* edit = f.resource->CreateTextEdit(1, L"OVTextEdit", L"", 10, 10, 300, 24);
    ASSERT_NE(edit, nullptr);
    f.scene->AddChild(edit);
    edit->SetBorder(0);
    edit->SetBackColor(0xFFFFFFFF);
    edit->SetTextColor(0xFF000000);
    edit->SetInputFlag(1);
    // Narrow and wide glyphs, where an average width drifts most.
    for (const std::wstring text : {L"iiiiiiiiiiii", L"WWWWWWWW", L"灯光风扇Wi"}) {
        edit->SetText(text);
        edit->SetFocus(0);
        auto s = f.Paint();
        // The rightmost inked column of the drawn text.
        int inkRight = -1;
        for (int x = 10; x < 310; ++x)
            for (int y = 12; y < 32; ++y)
                if (IsDark(s->Pixel(x, y))) inkRight = x;
        ASSERT_GT(inkRight, 10) << "nothing drawn";
        const int caretX = 10 + 3 + edit->Model().OffsetOf(static_cast<int>(text.size()));
        EXPECT_NEAR(caretX, inkRight + 1, 2) << "caret drifts from the glyphs";
        // A click just right of the last glyph puts the caret at the end.
        edit->SetFocus(1);
        f.Click(inkRight + 1, 20);
        EXPECT_EQ(edit->Model().Caret(), static_cast<int>(text.size()));
    }
}
