// Reads Ventaro's window as a screen reader does (MSAA from another
// process) and prints or drives it:
//   a11y_client --dump             the tree of the view shown now, UTF-8
//   a11y_client --press NAME       the default action of the first node named NAME
//   a11y_client --focus NAME       the keyboard focus to it
//   a11y_client --set NAME VALUE   an edit's text or a slider's value
//   a11y_client --uia              what UI Automation's flat client API
//                                  reads of the window's root (name, type)
// Exit code 0 on success, 1 when the window or the node is not there, 2 on
// a refused action.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <string>

#include "MsaaWalk.h"

namespace {

void Print(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

// UI Automation's flat client functions, from uiautomationcore.dll at run time.
int ReadUia(HWND window) {
    using NodeFromHandleFn = HRESULT(WINAPI*)(HWND, void**);
    using GetPropertyFn = HRESULT(WINAPI*)(void*, int, VARIANT*);
    using NodeReleaseFn = BOOL(WINAPI*)(void*);
    HMODULE dll = LoadLibraryW(L"uiautomationcore.dll");
    auto fromHandle = dll ? reinterpret_cast<NodeFromHandleFn>(GetProcAddress(dll, "UiaNodeFromHandle")) : nullptr;
    auto property = dll ? reinterpret_cast<GetPropertyFn>(GetProcAddress(dll, "UiaGetPropertyValue")) : nullptr;
    auto release = dll ? reinterpret_cast<NodeReleaseFn>(GetProcAddress(dll, "UiaNodeRelease")) : nullptr;
    if (!fromHandle || !property) {
        Print(L"uia: no client functions\n");
        return 1;
    }
    wchar_t line[160];
    // Whether the window hands out a provider of its own (UiaRootObjectId).
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_GETOBJECT, 0, static_cast<LPARAM>(-25), SMTO_ABORTIFHUNG, 5000, &answer);
    swprintf(line, 160, L"uia: WM_GETOBJECT(UiaRootObjectId) -> %ls\n", answer ? L"a provider" : L"nothing");
    Print(line);
    void* node = nullptr;
    HRESULT hr = fromHandle(window, &node);
    swprintf(line, 160, L"uia: UiaNodeFromHandle 0x%08lx\n", static_cast<unsigned long>(hr));
    Print(line);
    if (FAILED(hr) || !node) return 1;
    for (int id : {30005 /* name */, 30003 /* control type */, 30011 /* automation id */}) {
        VARIANT v;
        VariantInit(&v);
        hr = property(node, id, &v);
        std::wstring shown = v.vt == VT_BSTR && v.bstrVal ? std::wstring(v.bstrVal)
                             : v.vt == VT_I4               ? std::to_wstring(v.lVal)
                                                           : L"(vt " + std::to_wstring(v.vt) + L")";
        swprintf(line, 160, L"uia: property %d -> 0x%08lx ", id, static_cast<unsigned long>(hr));
        Print(line + shown + L"\n");
        VariantClear(&v);
    }
    if (release) release(node);
    return 0;
}

int Run(int argc, wchar_t** argv) {
    if (argc < 2) {
        Print(L"usage: a11y_client --dump | --press NAME | --focus NAME | --set NAME VALUE\n");
        return 1;
    }
    const std::wstring verb = argv[1];
    HWND window = FindWindowW(L"VentaroClass", L"Ventaro");
    if (!window) {
        Print(L"no Ventaro window\n");
        return 1;
    }
    if (verb == L"--uia") return ReadUia(window);
    msaa::Tree tree;
    if (!tree.Read(window)) {
        Print(L"the window gives no accessible object\n");
        return 1;
    }
    if (verb == L"--dump") {
        Print(tree.Format());
        return 0;
    }
    if (argc < 3) return 1;
    const msaa::Node* node = tree.Find(argv[2]);
    if (!node) {
        Print(L"no node named " + std::wstring(argv[2]) + L"\n");
        return 1;
    }
    HRESULT hr = E_INVALIDARG;
    if (verb == L"--press") hr = node->object->accDoDefaultAction(msaa::Self());
    if (verb == L"--focus") hr = node->object->accSelect(SELFLAG_TAKEFOCUS, msaa::Self());
    if (verb == L"--set" && argc >= 4) {
        BSTR value = SysAllocString(argv[3]);
        hr = node->object->put_accValue(msaa::Self(), value);
        SysFreeString(value);
    }
    return hr == S_OK ? 0 : 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int code = Run(argc, argv);
    CoUninitialize();
    return code;
}
