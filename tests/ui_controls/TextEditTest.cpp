// The text edit driven through the scene: characters, keys, clipboard commands,
// the input method's composition window.
#include <gtest/gtest.h>

#include <windows.h>
#include <imm.h>

#include "ClipBoardCtrl.h"
#include "ControlsTestSupport.h"
#include "controls/DUI_TextEdit.h"

using namespace ctltest;

namespace {

struct EditFixture : Fixture {
    CDUI_TextEdit* edit = nullptr;
    int changes = 0;
    EditFixture() {
        edit = resource->CreateTextEdit(1, L"OVTextEdit", L"", 10, 10, 200, 24);
        scene->AddChild(edit);
        edit->SetTextCallback([](CDUI_UIControl*, int32_t, void* user) { ++*static_cast<int*>(user); }, &changes);
        Click(20, 20);  // focus
    }
    void Type(const std::wstring& text, bool ime = false) {
        for (wchar_t ch : text) Key(ime ? WM_IME_CHAR : WM_CHAR, ch);
    }
};

}  // namespace

TEST(TextEdit, MaximumLengthAndCharacterRules) {
    EditFixture f;
    ASSERT_NE(f.edit, nullptr);
    EXPECT_EQ(f.edit->GetFocus(), 1);
    f.edit->SetMaxLength(4);
    f.Type(L"abcd");
    f.Type(L"e");
    EXPECT_EQ(f.edit->GetText(), L"abcd");
    EXPECT_EQ(f.changes, 4);
    f.edit->SetText(L"");
    f.Type(L"\x4E2D");  // WM_CHAR: not ASCII, refused
    EXPECT_EQ(f.edit->GetText(), L"");
    f.Type(L"\x4E2D", true);
    EXPECT_EQ(f.edit->GetText(), L"\x4E2D");
    f.Key(WM_CHAR, 13);
    f.Key(WM_CHAR, 27);
    EXPECT_EQ(f.edit->GetText(), L"\x4E2D");
}

TEST(TextEdit, PasswordRefusesChineseFromTheInputMethod) {
    EditFixture f;
    f.edit->SetPassword(1);
    f.Type(L"\x5BC6", true);
    EXPECT_EQ(f.edit->GetText(), L"");
    f.Type(L"pw", true);
    EXPECT_EQ(f.edit->GetText(), L"pw");
}

TEST(TextEdit, BackspaceAndDeleteWithAndWithoutSelection) {
    EditFixture f;
    f.Type(L"hello");
    f.Key(WM_CHAR, 8);
    EXPECT_EQ(f.edit->GetText(), L"hell");
    f.Key(WM_KEYDOWN, VK_HOME);
    f.Key(WM_KEYDOWN, VK_DELETE);
    EXPECT_EQ(f.edit->GetText(), L"ell");
    f.Command(kDuiCmdSelectAll);
    f.Key(WM_CHAR, 8);
    EXPECT_EQ(f.edit->GetText(), L"");
    f.Type(L"xyz");
    f.Command(kDuiCmdSelectAll);
    f.Key(WM_KEYDOWN, VK_DELETE);
    EXPECT_EQ(f.edit->GetText(), L"");
}

TEST(TextEdit, CopyPasteSelectAllThroughAccelerators) {
    EditFixture f;
    CClipBoardCtrl clipboard;
    f.Type(L"copy me");
    f.Command(kDuiCmdSelectAll);
    f.Command(kDuiCmdCopy);
    std::wstring got;
    ASSERT_EQ(clipboard.GetText(&got), 1);
    EXPECT_EQ(got, L"copy me");
    ASSERT_EQ(clipboard.SetText(L"\x7C98\x8D34 pasted"), 1);
    f.Command(kDuiCmdSelectAll);
    f.Command(kDuiCmdPaste);
    EXPECT_EQ(f.edit->GetText(), L"\x7C98\x8D34 pasted");
    f.edit->SetPassword(1);
    clipboard.SetText(L"unchanged");
    f.Command(kDuiCmdCopy);  // never from a password edit
    clipboard.GetText(&got);
    EXPECT_EQ(got, L"unchanged");
    f.edit->SetReadOnly(1);
    f.Command(kDuiCmdPaste);
    f.Type(L"q");
    EXPECT_EQ(f.edit->GetText(), L"\x7C98\x8D34 pasted");
}

TEST(TextEdit, DraggingTheMouseSelects) {
    EditFixture f;
    f.Type(L"abcdefgh");
    const int32_t left = f.edit->GetAbsoluteRect().x + 3;
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, left + 1, 20);
    f.Send(WM_MOUSEMOVE, MK_LBUTTON, left + 200, 20);
    f.Send(WM_LBUTTONUP, 0, left + 200, 20);
    EXPECT_EQ(f.edit->Model().SelectionStart(), 0);
    EXPECT_EQ(f.edit->Model().SelectionEnd(), 8);
    f.Key(WM_CHAR, L'z');
    EXPECT_EQ(f.edit->GetText(), L"z");
}

TEST(TextEdit, UnfocusedEditIgnoresKeysAndPaintsCaretWhenFocused) {
    EditFixture f;
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, 300, 200);  // elsewhere: the scene has no other child
    f.edit->SetFocus(0);
    f.Type(L"abc");
    EXPECT_EQ(f.edit->GetText(), L"");
    f.edit->SetFocus(1);
    f.edit->SetTextColor(0xFF000000);
    f.Type(L"W");
    auto s = f.Paint();
    // Text and caret in black on the white field.
    int dark = 0;
    for (int x = 12; x < 40; ++x)
        for (int y = 12; y < 32; ++y)
            if ((s->Pixel(x, y) & 0x00FFFFFF) < 0x404040) ++dark;
    EXPECT_GT(dark, 10);
}

TEST(TextEdit, CompositionWindowGoesBelowTheFocusedEdit) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VentaroImeHost";
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, L"VentaroImeHost", L"host", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    HIMC context = ImmGetContext(host);
    if (!context) {
        DestroyWindow(host);
        GTEST_SKIP() << "no input context on this system";
    }
    auto resource = std::make_unique<CDUI_UIResource>();
    resource->Create(nullptr, GetModuleHandleW(nullptr), 131);
    CDUI_UIScene* scene = resource->CreateScene(host, 400, 300, 2026);
    ASSERT_NE(scene, nullptr);
    CDUI_TextEdit* edit = resource->CreateTextEdit(1, L"OVTextEdit", L"", 30, 40, 120, 24);
    scene->AddChild(edit);

    COMPOSITIONFORM before{};
    before.dwStyle = CFS_FORCE_POSITION;
    before.ptCurrentPos = {1, 1};
    ImmSetCompositionWindow(context, &before);
    scene->ForwardMessage(WM_IME_COMPOSITION, 0, 0);  // not focused: left alone
    COMPOSITIONFORM form{};
    ImmGetCompositionWindow(context, &form);
    EXPECT_EQ(form.ptCurrentPos.x, 1);

    scene->ForwardMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 50));
    scene->ForwardMessage(WM_LBUTTONUP, 0, MAKELPARAM(40, 50));
    ASSERT_EQ(edit->GetFocus(), 1);
    scene->ForwardMessage(WM_IME_COMPOSITION, 0, 0);
    ImmGetCompositionWindow(context, &form);
    EXPECT_EQ(form.dwStyle, DWORD(CFS_FORCE_POSITION));
    EXPECT_EQ(form.ptCurrentPos.x, 30);
    EXPECT_EQ(form.ptCurrentPos.y, 64);  // just below the bottom edge

    ImmReleaseContext(host, context);
    scene->ReleaseResources();
    delete scene;
    DestroyWindow(host);
}
