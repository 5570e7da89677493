#pragma once
// The one way below the skinned interface to tell the user something: the
// system message box (caption "信息"). Tests and tools replace the handler so
// that nothing blocks on a modal box.
#include <functional>
#include <string>

using SystemMessageHandler = std::function<void(const std::wstring& text, const std::wstring& caption)>;

// Shows text in a system message box, or hands it to the installed handler.
void ShowSystemMessage(const std::wstring& text, const std::wstring& caption = L"信息");
// Installs a handler (empty restores the message box); returns the previous one.
SystemMessageHandler SetSystemMessageHandler(SystemMessageHandler handler);
