#include "SystemMessage.h"

#include <windows.h>

#include <mutex>

namespace {
std::mutex g_lock;
SystemMessageHandler g_handler;  // empty: the system message box
}  // namespace

void ShowSystemMessage(const std::wstring& text, const std::wstring& caption) {
    SystemMessageHandler handler;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        handler = g_handler;
    }
    if (handler) {
        handler(text, caption);
        return;
    }
    MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

SystemMessageHandler SetSystemMessageHandler(SystemMessageHandler handler) {
    std::lock_guard<std::mutex> guard(g_lock);
    SystemMessageHandler previous = std::move(g_handler);
    g_handler = std::move(handler);
    return previous;
}
