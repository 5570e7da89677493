// MSAA: one IAccessible per node, answering from the live tree at each call.
// A node that left the tree answers E_FAIL; one whose window is gone
// answers RPC_E_DISCONNECTED.
#include <memory>

#include "accessibility/DUI_AccessShared.h"
#include "accessibility/DUI_KeyboardFocus.h"
#include "scene/DUI_UIScene.h"

namespace {

LONG RoleOf(DUI_AccessRole role) {
    switch (role) {
    case DUI_AccessRole::Client: return ROLE_SYSTEM_CLIENT;
    case DUI_AccessRole::Pane: return ROLE_SYSTEM_PANE;
    case DUI_AccessRole::Dialog: return ROLE_SYSTEM_DIALOG;
    case DUI_AccessRole::Button: return ROLE_SYSTEM_PUSHBUTTON;
    case DUI_AccessRole::CheckBox: return ROLE_SYSTEM_CHECKBUTTON;
    case DUI_AccessRole::RadioButton: return ROLE_SYSTEM_RADIOBUTTON;
    case DUI_AccessRole::TabItem: return ROLE_SYSTEM_PAGETAB;
    case DUI_AccessRole::Edit: return ROLE_SYSTEM_TEXT;
    case DUI_AccessRole::Slider: return ROLE_SYSTEM_SLIDER;
    case DUI_AccessRole::List: return ROLE_SYSTEM_LIST;
    case DUI_AccessRole::ListItem: return ROLE_SYSTEM_LISTITEM;
    case DUI_AccessRole::ComboBox: return ROLE_SYSTEM_COMBOBOX;
    case DUI_AccessRole::Progress: return ROLE_SYSTEM_PROGRESSBAR;
    case DUI_AccessRole::Text: return ROLE_SYSTEM_STATICTEXT;
    }
    return ROLE_SYSTEM_CLIENT;
}

LONG StateOf(uint32_t state) {
    LONG out = 0;
    if (state & kAccessFocusable) out |= STATE_SYSTEM_FOCUSABLE;
    if (state & kAccessFocused) out |= STATE_SYSTEM_FOCUSED;
    if (state & kAccessDisabled) out |= STATE_SYSTEM_UNAVAILABLE;
    if (state & kAccessChecked) out |= STATE_SYSTEM_CHECKED;
    if (state & kAccessSelected) out |= STATE_SYSTEM_SELECTED;
    if (state & kAccessSelectable) out |= STATE_SYSTEM_SELECTABLE;
    if (state & kAccessInvisible) out |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
    if (state & kAccessPassword) out |= STATE_SYSTEM_PROTECTED;
    if (state & kAccessReadOnly) out |= STATE_SYSTEM_READONLY;
    if (state & kAccessExpanded) out |= STATE_SYSTEM_EXPANDED;
    if (state & kAccessCollapsed) out |= STATE_SYSTEM_COLLAPSED;
    return out;
}

HRESULT Text(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

class CAccessibleNode final : public IAccessible {
public:
    CAccessibleNode(std::shared_ptr<DUI_AccessShared> shared, CDUI_UIControl* control, int32_t item)
        : shared_(std::move(shared)), control_(control), item_(item) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }

    // IDispatch: the MSAA clients here call the vtable; no type library.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Lookup look(this, ChildSelf());
        if (look.error) return look.error;
        const int parent = look.Node().parent;
        if (parent < 0) {
            // The scene's parent is the window itself.
            return CreateStdAccessibleObject(shared_->host, OBJID_WINDOW, __uuidof(IDispatch), reinterpret_cast<void**>(out));
        }
        *out = Make(look.tree.nodes[parent]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* out) override {
        if (!out) return E_POINTER;
        *out = 0;
        Lookup look(this, ChildSelf());
        if (look.error) return look.error;
        *out = static_cast<LONG>(look.Node().children.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Lookup look(this, child);
        if (look.error) return look.error;
        if (look.node == look.self) return E_INVALIDARG;
        *out = Make(look.Node());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        Lookup look(this, child);
        if (look.error) return look.error;
        return Text(look.Node().name, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        Lookup look(this, child);
        if (look.error) return look.error;
        // A password field has a value but tells nothing of it.
        if (look.Node().state & kAccessPassword) {
            if (out) *out = nullptr;
            return E_ACCESSDENIED;
        }
        return Text(look.Node().value, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        Lookup look(this, child);
        if (look.error) return look.error;
        return Text(L"", out);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        Lookup look(this, child);
        if (look.error) return look.error;
        out->vt = VT_I4;
        out->lVal = RoleOf(look.Node().role);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        Lookup look(this, child);
        if (look.error) return look.error;
        out->vt = VT_I4;
        out->lVal = StateOf(look.Node().state);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* out) override { return Text(L"", out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* out) override { return Text(L"", out); }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        Lookup look(this, ChildSelf());
        if (look.error) return look.error;
        for (size_t i = 0; i < look.tree.nodes.size(); ++i) {
            if (!(look.tree.nodes[i].state & kAccessFocused)) continue;
            if (static_cast<int>(i) == look.self) {
                out->vt = VT_I4;
                out->lVal = CHILDID_SELF;
                return S_OK;
            }
            for (int up = look.tree.nodes[i].parent; up >= 0; up = look.tree.nodes[up].parent) {
                if (up != look.self) continue;
                out->vt = VT_DISPATCH;
                out->pdispVal = Make(look.tree.nodes[i]);
                return S_OK;
            }
        }
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (out) VariantInit(out);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        Lookup look(this, child);
        if (look.error) return look.error;
        return Text(look.Node().action, out);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        Lookup look(this, child);
        if (look.error) return look.error;
        const DUI_AccessNode& node = look.Node();
        if (flags & SELFLAG_TAKEFOCUS) {
            if (!(node.state & kAccessFocusable)) return S_FALSE;
            shared_->Post({DUI_AccessAction::kFocus, node.control, node.item, L"", 0});
        }
        if (flags & (SELFLAG_TAKESELECTION | SELFLAG_ADDSELECTION)) {
            if (!(node.state & kAccessSelectable)) return S_FALSE;
            if (!(node.state & kAccessSelected))
                shared_->Post({DUI_AccessAction::kPress, node.control, node.item, L"", 0});
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        Lookup look(this, child);
        if (look.error) return look.error;
        const RECT r = shared_->ScreenRect(look.Node().rect);
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        Lookup look(this, start);
        if (look.error) return look.error;
        const DUI_AccessNode& node = look.Node();
        int to = -1;
        if (direction == NAVDIR_FIRSTCHILD && !node.children.empty()) to = node.children.front();
        if (direction == NAVDIR_LASTCHILD && !node.children.empty()) to = node.children.back();
        if ((direction == NAVDIR_NEXT || direction == NAVDIR_PREVIOUS) && node.parent >= 0) {
            const std::vector<int>& siblings = look.tree.nodes[node.parent].children;
            for (size_t i = 0; i < siblings.size(); ++i) {
                if (siblings[i] != look.node) continue;
                if (direction == NAVDIR_NEXT && i + 1 < siblings.size()) to = siblings[i + 1];
                if (direction == NAVDIR_PREVIOUS && i > 0) to = siblings[i - 1];
            }
        }
        if (to < 0) return S_FALSE;
        out->vt = VT_DISPATCH;
        out->pdispVal = Make(look.tree.nodes[to]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        Lookup look(this, ChildSelf());
        if (look.error) return look.error;
        // The deepest visible node under the point, below this one.
        auto inside = [&](int i) {
            const RECT r = shared_->ScreenRect(look.tree.nodes[i].rect);
            return !(look.tree.nodes[i].state & kAccessInvisible) && x >= r.left && x < r.right && y >= r.top &&
                   y < r.bottom;
        };
        if (!inside(look.self)) return S_FALSE;
        int at = look.self;
        for (bool deeper = true; deeper;) {
            deeper = false;
            const std::vector<int>& kids = look.tree.nodes[at].children;
            for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
                if (inside(*it)) {
                    at = *it;
                    deeper = true;
                    break;
                }
            }
        }
        if (at == look.self) {
            out->vt = VT_I4;
            out->lVal = CHILDID_SELF;
        } else {
            out->vt = VT_DISPATCH;
            out->pdispVal = Make(look.tree.nodes[at]);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        Lookup look(this, child);
        if (look.error) return look.error;
        const DUI_AccessNode& node = look.Node();
        if (node.action.empty() || (node.state & kAccessDisabled)) return DISP_E_MEMBERNOTFOUND;
        DUI_AccessAction action{DUI_AccessAction::kPress, node.control, node.item, L"", 0};
        if (node.role == DUI_AccessRole::ComboBox)
            action.kind = (node.state & kAccessExpanded) ? DUI_AccessAction::kCollapse : DUI_AccessAction::kExpand;
        return shared_->Post(action) ? S_OK : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        Lookup look(this, child);
        if (look.error) return look.error;
        const DUI_AccessNode& node = look.Node();
        const std::wstring text = value ? std::wstring(value, SysStringLen(value)) : std::wstring();
        if (node.role == DUI_AccessRole::Edit && !(node.state & (kAccessReadOnly | kAccessDisabled)))
            return shared_->Post({DUI_AccessAction::kSetValue, node.control, -1, text, 0}) ? S_OK : E_FAIL;
        if (node.role == DUI_AccessRole::Slider && !(node.state & kAccessDisabled)) {
            wchar_t* end = nullptr;
            const double number = wcstod(text.c_str(), &end);
            if (text.empty() || (end && *end) || number < node.rangeMinimum || number > node.rangeMaximum)
                return E_INVALIDARG;
            return shared_->Post({DUI_AccessAction::kSetRange, node.control, -1, L"", number}) ? S_OK : E_FAIL;
        }
        return E_NOTIMPL;
    }

private:
    static VARIANT ChildSelf() {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = CHILDID_SELF;
        return v;
    }

    // The tree of this moment and where this node (and a child id) are in it.
    struct Lookup {
        DUI_AccessTree tree;
        int self = -1;
        int node = -1;
        HRESULT error = S_OK;
        Lookup(CAccessibleNode* owner, const VARIANT& child) {
            {
                std::lock_guard<std::mutex> hold(owner->shared_->lock);
                if (!owner->shared_->scene) {
                    error = RPC_E_DISCONNECTED;
                    return;
                }
            }
            tree = owner->shared_->Snapshot();
            self = tree.Find(owner->control_, owner->item_);
            if (self < 0) {
                error = E_FAIL;  // the control left the view
                return;
            }
            if (child.vt != VT_I4) {
                error = E_INVALIDARG;
                return;
            }
            const LONG id = child.lVal;
            const std::vector<int>& kids = tree.nodes[self].children;
            if (id == CHILDID_SELF) {
                node = self;
            } else if (id > 0 && id <= static_cast<LONG>(kids.size())) {
                node = kids[id - 1];
            } else if (id < 0) {
                // An event's id, as AccessibleObjectFromEvent hands it to the root.
                const CDUI_UIControl* control = nullptr;
                int32_t item = -1;
                if (owner->shared_->FromId(-id, &control, &item)) node = tree.Find(control, item);
            }
            if (node < 0) error = E_INVALIDARG;
        }
        const DUI_AccessNode& Node() const { return tree.nodes[node]; }
    };

    IDispatch* Make(const DUI_AccessNode& node) { return DUI_NewAccessible(shared_, node.control, node.item); }

    LONG refs_ = 1;
    std::shared_ptr<DUI_AccessShared> shared_;
    CDUI_UIControl* control_;  // identity only
    int32_t item_;
};

}  // namespace

IAccessible* DUI_NewAccessible(const std::shared_ptr<DUI_AccessShared>& shared, CDUI_UIControl* control,
                               int32_t item) {
    return new CAccessibleNode(shared, control, item);
}
