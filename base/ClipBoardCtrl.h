#pragma once
// Clipboard text for the text edit's copy and paste.
#include <string>

class CClipBoardCtrl {
public:
    virtual ~CClipBoardCtrl() = default;
    // owner: the window that opens the clipboard (may be null).
    int SetText(const std::wstring& text, void* owner = nullptr);
    int GetText(std::wstring* text, void* owner = nullptr);
};
