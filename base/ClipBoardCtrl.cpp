#include "ClipBoardCtrl.h"

#include <windows.h>

#include <cstring>

namespace {
// The clipboard is a shared resource; another program may hold it briefly.
bool OpenClipboardRetrying(HWND owner) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(10);
    }
    return false;
}

struct ClipboardSession {
    bool open;
    explicit ClipboardSession(HWND owner) : open(OpenClipboardRetrying(owner)) {}
    ~ClipboardSession() {
        if (open) CloseClipboard();
    }
};
}  // namespace

int CClipBoardCtrl::SetText(const std::wstring& text, void* owner) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!mem) return 0;
    void* dst = GlobalLock(mem);
    if (!dst) {
        GlobalFree(mem);
        return 0;
    }
    std::memcpy(dst, text.c_str(), bytes);
    GlobalUnlock(mem);

    ClipboardSession session(static_cast<HWND>(owner));
    if (!session.open || !EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, mem)) {
        GlobalFree(mem);  // ownership passes to the system only on success
        return 0;
    }
    return 1;
}

int CClipBoardCtrl::GetText(std::wstring* text, void* owner) {
    if (!text) return 0;
    text->clear();
    ClipboardSession session(static_cast<HWND>(owner));
    if (!session.open) return 0;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return 0;
    const wchar_t* src = static_cast<const wchar_t*>(GlobalLock(data));
    if (!src) return 0;
    // Bounded by the block size: clipboard data from another program need not be terminated.
    const size_t cap = GlobalSize(data) / sizeof(wchar_t);
    size_t n = 0;
    while (n < cap && src[n] != L'\0') ++n;
    text->assign(src, n);
    GlobalUnlock(data);
    return 1;
}
