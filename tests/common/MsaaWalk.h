#pragma once
// Reading and driving Ventaro's window the way a screen reader does, through
// MSAA from another process: AccessibleObjectFromWindow(OBJID_CLIENT), then
// the IAccessible tree. Used by the a11y client (tools/a11y_client) and the
// end-to-end scenarios. The caller initialises COM (single-threaded).
#include <windows.h>
#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

namespace msaa {

// One object and a copy of what it said when it was read.
struct Node {
    IAccessible* object = nullptr;  // owned by the Tree
    int depth = 0;
    long role = 0;
    long state = 0;
    std::wstring name, value, action;
    HRESULT valueResult = S_OK;
    long x = 0, y = 0, width = 0, height = 0;  // screen pixels
};

inline std::wstring Take(BSTR text) {
    std::wstring out = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return out;
}

inline VARIANT Self() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

class Tree {
public:
    Tree() = default;
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;
    ~Tree() { Clear(); }

    void Clear() {
        for (Node& n : nodes)
            if (n.object) n.object->Release();
        nodes.clear();
    }
    // Reads the whole tree of window's client area; false when the window
    // gives no object.
    bool Read(HWND window) {
        Clear();
        IAccessible* root = nullptr;
        if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                              reinterpret_cast<void**>(&root))) ||
            !root)
            return false;
        Add(root, 0);
        return true;
    }
    // The first node of role (0: any) whose name is name.
    const Node* Find(const std::wstring& name, long role = 0) const {
        for (const Node& n : nodes)
            if (n.name == name && (role == 0 || n.role == role)) return &n;
        return nullptr;
    }
    const Node* FindRole(long role, int skip = 0) const {
        for (const Node& n : nodes)
            if (n.role == role && skip-- == 0) return &n;
        return nullptr;
    }
    // One line per node, indented by depth.
    std::wstring Format() const {
        std::wstring out;
        for (const Node& n : nodes) {
            wchar_t role[64] = {};
            GetRoleTextW(static_cast<DWORD>(n.role), role, 64);
            wchar_t rect[96];
            swprintf(rect, 96, L" [%ld,%ld,%ld,%ld] state=0x%lx", n.x, n.y, n.width, n.height, n.state);
            out += std::wstring(2 * n.depth, L' ') + role + L" \"" + n.name + L"\"" + rect;
            if (!n.value.empty()) out += L" value=\"" + n.value + L"\"";
            if (n.valueResult == E_ACCESSDENIED) out += L" value=(protected)";
            if (!n.action.empty()) out += L" action=" + n.action;
            out += L"\n";
        }
        return out;
    }

    std::vector<Node> nodes;

private:
    void Add(IAccessible* object, int depth) {
        Node n;
        n.object = object;
        n.depth = depth;
        VARIANT self = Self();
        BSTR text = nullptr;
        if (object->get_accName(self, &text) == S_OK) n.name = Take(text);
        text = nullptr;
        n.valueResult = object->get_accValue(self, &text);
        if (n.valueResult == S_OK) n.value = Take(text);
        text = nullptr;
        if (object->get_accDefaultAction(self, &text) == S_OK) n.action = Take(text);
        VARIANT v;
        VariantInit(&v);
        if (SUCCEEDED(object->get_accRole(self, &v)) && v.vt == VT_I4) n.role = v.lVal;
        VariantInit(&v);
        if (SUCCEEDED(object->get_accState(self, &v)) && v.vt == VT_I4) n.state = v.lVal;
        object->accLocation(&n.x, &n.y, &n.width, &n.height, self);
        long count = 0;
        object->get_accChildCount(&count);
        nodes.push_back(n);
        for (long i = 1; i <= count; ++i) {
            VARIANT id;
            VariantInit(&id);
            id.vt = VT_I4;
            id.lVal = i;
            IDispatch* child = nullptr;
            if (object->get_accChild(id, &child) != S_OK || !child) continue;
            IAccessible* accessible = nullptr;
            child->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&accessible));
            child->Release();
            if (accessible) Add(accessible, depth + 1);
        }
    }
};

// Reads the tree until ready(tree) holds or timeoutMs pass.
inline bool WaitFor(HWND window, const std::function<bool(const Tree&)>& ready, DWORD timeoutMs, Tree* tree) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (tree->Read(window) && ready(*tree)) return true;
        if (GetTickCount64() > end) return false;
        Sleep(100);
    }
}

}  // namespace msaa
