// UI Automation: one provider per node, a fragment root on the scene,
// answering from the live tree at each call like the MSAA objects. The
// functions of uiautomationcore.dll are taken at run time: MinGW has no
// import library for it.
#include "accessibility/DUI_AccessUia.h"

#include <ole2.h>
#include <uiautomationclient.h>
#include <uiautomationcore.h>

#include "accessibility/DUI_AccessShared.h"
#include "scene/DUI_UIScene.h"

namespace {

// What MinGW's UI Automation headers leave out: control types, events,
// the pattern providers' interfaces and their enumerations.
enum : long {
    kButton = 50000, kCheckBox = 50002, kComboBox = 50003, kEdit = 50004, kListItem = 50007, kList = 50008,
    kProgressBar = 50012, kRadioButton = 50013, kSlider = 50015, kTabItem = 50019, kText = 50020,
    kWindow = 50032, kPane = 50033,
};
constexpr long kFocusChangedEvent = 20005;  // UIA_AutomationFocusChangedEventId
constexpr long kWindowOpenedEvent = 20016;  // UIA_Window_WindowOpenedEventId
constexpr int kAppendRuntimeId = 3;         // UiaAppendRuntimeId
constexpr HRESULT UIA_E_ELEMENTNOTENABLED = HRESULT(0x80040200);
constexpr HRESULT UIA_E_ELEMENTNOTAVAILABLE = HRESULT(0x80040201);
constexpr HRESULT UIA_E_INVALIDOPERATION = HRESULT(0x80131509);
enum ToggleStateValue { kToggleOff = 0, kToggleOn = 1 };
enum ExpandStateValue { kCollapsed = 0, kExpanded = 1 };

struct __attribute__((uuid("54fcb24b-e18e-47a2-b4d3-eccbe77599a2"))) IInvokeProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke() = 0;
};
struct __attribute__((uuid("56d00bd0-c4f4-433c-a836-1a52a57e0892"))) IToggleProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Toggle() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ToggleState(int* state) = 0;
};
struct __attribute__((uuid("2acad808-b2d4-452d-a407-91ff1ad167b2"))) ISelectionItemProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Select() = 0;
    virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* selected) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** container) = 0;
};
struct __attribute__((uuid("c7935180-6fb3-4201-b174-7df73adbf64a"))) IValueProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* readOnly) = 0;
};
struct __attribute__((uuid("36dc7aef-33e6-4691-afe1-2be7274b3d33"))) IRangeValueProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetValue(double value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Value(double* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* readOnly) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Maximum(double* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Minimum(double* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LargeChange(double* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SmallChange(double* value) = 0;
};
struct __attribute__((uuid("d847d3a5-cab0-4a98-8c32-ecb45c59ad24"))) IExpandCollapseProvider : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Expand() = 0;
    virtual HRESULT STDMETHODCALLTYPE Collapse() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ExpandCollapseState(int* state) = 0;
};

// uiautomationcore.dll, loaded once; every entry may be missing.
struct UiaApi {
    using ReturnFn = LRESULT(WINAPI*)(HWND, WPARAM, LPARAM, IRawElementProviderSimple*);
    using HostFn = HRESULT(WINAPI*)(HWND, IRawElementProviderSimple**);
    using RaiseFn = HRESULT(WINAPI*)(IRawElementProviderSimple*, long);
    using ListeningFn = BOOL(WINAPI*)();
    ReturnFn returnProvider = nullptr;
    HostFn hostProvider = nullptr;
    RaiseFn raiseEvent = nullptr;
    ListeningFn listening = nullptr;
    static const UiaApi& Get() {
        static const UiaApi api = [] {
            UiaApi a;
            if (HMODULE dll = LoadLibraryW(L"uiautomationcore.dll")) {
                a.returnProvider = reinterpret_cast<ReturnFn>(GetProcAddress(dll, "UiaReturnRawElementProvider"));
                a.hostProvider = reinterpret_cast<HostFn>(GetProcAddress(dll, "UiaHostProviderFromHwnd"));
                a.raiseEvent = reinterpret_cast<RaiseFn>(GetProcAddress(dll, "UiaRaiseAutomationEvent"));
                a.listening = reinterpret_cast<ListeningFn>(GetProcAddress(dll, "UiaClientsAreListening"));
            }
            return a;
        }();
        return api;
    }
};

long ControlTypeOf(DUI_AccessRole role) {
    switch (role) {
    case DUI_AccessRole::Client: return kPane;
    case DUI_AccessRole::Pane: return kPane;
    case DUI_AccessRole::Dialog: return kWindow;
    case DUI_AccessRole::Button: return kButton;
    case DUI_AccessRole::CheckBox: return kCheckBox;
    case DUI_AccessRole::RadioButton: return kRadioButton;
    case DUI_AccessRole::TabItem: return kTabItem;
    case DUI_AccessRole::Edit: return kEdit;
    case DUI_AccessRole::Slider: return kSlider;
    case DUI_AccessRole::List: return kList;
    case DUI_AccessRole::ListItem: return kListItem;
    case DUI_AccessRole::ComboBox: return kComboBox;
    case DUI_AccessRole::Progress: return kProgressBar;
    case DUI_AccessRole::Text: return kText;
    }
    return kPane;
}

class CUiaNode final : public IRawElementProviderSimple,
                       public IRawElementProviderFragment,
                       public IRawElementProviderFragmentRoot,
                       public IInvokeProvider,
                       public IToggleProvider,
                       public ISelectionItemProvider,
                       public IValueProvider,
                       public IRangeValueProvider,
                       public IExpandCollapseProvider {
public:
    CUiaNode(std::shared_ptr<DUI_AccessShared> shared, CDUI_UIControl* control, int32_t item)
        : shared_(std::move(shared)), control_(control), item_(item) {}

    // ---- IUnknown ----
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IRawElementProviderSimple))
            *out = static_cast<IRawElementProviderSimple*>(this);
        else if (riid == __uuidof(IRawElementProviderFragment))
            *out = static_cast<IRawElementProviderFragment*>(this);
        else if (riid == __uuidof(IRawElementProviderFragmentRoot) && IsRoot())
            *out = static_cast<IRawElementProviderFragmentRoot*>(this);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return left;
    }

    // ---- IRawElementProviderSimple ----
    HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* out) override {
        if (!out) return E_POINTER;
        *out = static_cast<ProviderOptions>(ProviderOptions_ServerSideProvider | ProviderOptions_UseComThreading);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Lookup look(this);
        if (look.error) return look.error;
        const DUI_AccessRole role = look.Node().role;
        IUnknown* provider = nullptr;
        switch (pattern) {
        case UIA_InvokePatternId:
            if (role == DUI_AccessRole::Button) provider = static_cast<IInvokeProvider*>(this);
            break;
        case UIA_TogglePatternId:
            if (role == DUI_AccessRole::CheckBox) provider = static_cast<IToggleProvider*>(this);
            break;
        case UIA_SelectionItemPatternId:
            if (look.Node().state & kAccessSelectable) provider = static_cast<ISelectionItemProvider*>(this);
            break;
        case UIA_ValuePatternId:
            if (role == DUI_AccessRole::Edit || role == DUI_AccessRole::ComboBox)
                provider = static_cast<IValueProvider*>(this);
            break;
        case UIA_RangeValuePatternId:
            if (look.Node().hasRange) provider = static_cast<IRangeValueProvider*>(this);
            break;
        case UIA_ExpandCollapsePatternId:
            if (role == DUI_AccessRole::ComboBox) provider = static_cast<IExpandCollapseProvider*>(this);
            break;
        default:
            break;
        }
        if (provider) {
            provider->AddRef();
            *out = provider;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* out) override {
        if (!out) return E_POINTER;
        VariantInit(out);
        Lookup look(this);
        if (look.error) return look.error;
        const DUI_AccessNode& n = look.Node();
        auto flag = [out](bool value) {
            out->vt = VT_BOOL;
            out->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        };
        auto text = [out](const std::wstring& value) {
            out->vt = VT_BSTR;
            out->bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
        };
        switch (property) {
        case UIA_NamePropertyId:
            if (!n.name.empty()) text(n.name);
            break;
        case UIA_ControlTypePropertyId:
            out->vt = VT_I4;
            out->lVal = ControlTypeOf(n.role);
            break;
        case UIA_AutomationIdPropertyId:
            if (!n.style.empty() && !IsRoot())
                text(n.item >= 0 ? n.style + L"." + std::to_wstring(n.item) : n.style + L"." + std::to_wstring(n.id));
            break;
        case UIA_IsKeyboardFocusablePropertyId:
            flag(n.state & kAccessFocusable);
            break;
        case UIA_HasKeyboardFocusPropertyId:
            flag(n.state & kAccessFocused);
            break;
        case UIA_IsEnabledPropertyId:
            flag(!(n.state & kAccessDisabled));
            break;
        case UIA_IsOffscreenPropertyId:
            flag(n.state & kAccessInvisible);
            break;
        case UIA_IsPasswordPropertyId:
            flag(n.state & kAccessPassword);
            break;
        default:
            break;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        // The root stands for the window's client: the window's own provider
        // adds what the system knows of it.
        if (!IsRoot() || !UiaApi::Get().hostProvider) return S_OK;
        return UiaApi::Get().hostProvider(shared_->host, out);
    }

    // ---- IRawElementProviderFragment ----
    HRESULT STDMETHODCALLTYPE Navigate(NavigateDirection direction, IRawElementProviderFragment** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Lookup look(this);
        if (look.error) return look.error;
        const DUI_AccessNode& n = look.Node();
        int to = -1;
        if (direction == NavigateDirection_Parent) to = n.parent;
        if (direction == NavigateDirection_FirstChild && !n.children.empty()) to = n.children.front();
        if (direction == NavigateDirection_LastChild && !n.children.empty()) to = n.children.back();
        if ((direction == NavigateDirection_NextSibling || direction == NavigateDirection_PreviousSibling) &&
            n.parent >= 0) {
            const std::vector<int>& siblings = look.tree.nodes[n.parent].children;
            for (size_t i = 0; i < siblings.size(); ++i) {
                if (siblings[i] != look.node) continue;
                if (direction == NavigateDirection_NextSibling && i + 1 < siblings.size()) to = siblings[i + 1];
                if (direction == NavigateDirection_PreviousSibling && i > 0) to = siblings[i - 1];
            }
        }
        if (to >= 0) *out = Make(look.tree.nodes[to]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsRoot()) return S_OK;  // the host window's id stands for the root
        Lookup look(this);
        if (look.error) return look.error;
        *out = SafeArrayCreateVector(VT_I4, 0, 2);
        if (!*out) return E_OUTOFMEMORY;
        LONG values[2] = {kAppendRuntimeId, shared_->IdOf(control_, item_)};
        for (LONG i = 0; i < 2; ++i) SafeArrayPutElement(*out, &i, &values[i]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_BoundingRectangle(UiaRect* out) override {
        if (!out) return E_POINTER;
        *out = UiaRect{};
        Lookup look(this);
        if (look.error) return look.error;
        if (look.Node().state & kAccessInvisible) return S_OK;
        const RECT r = shared_->ScreenRect(look.Node().rect);
        *out = UiaRect{double(r.left), double(r.top), double(r.right - r.left), double(r.bottom - r.top)};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetEmbeddedFragmentRoots(SAFEARRAY** out) override {
        if (out) *out = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetFocus() override { return Act(DUI_AccessAction::kFocus); }
    HRESULT STDMETHODCALLTYPE get_FragmentRoot(IRawElementProviderFragmentRoot** out) override {
        if (!out) return E_POINTER;
        *out = new CUiaNode(shared_, shared_->scene, -1);
        return S_OK;
    }

    // ---- IRawElementProviderFragmentRoot ----
    HRESULT STDMETHODCALLTYPE ElementProviderFromPoint(double x, double y, IRawElementProviderFragment** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Lookup look(this);
        if (look.error) return look.error;
        auto inside = [&](int i) {
            const RECT r = shared_->ScreenRect(look.tree.nodes[i].rect);
            return !(look.tree.nodes[i].state & kAccessInvisible) && x >= r.left && x < r.right && y >= r.top &&
                   y < r.bottom;
        };
        int at = look.node;
        for (bool deeper = true; deeper;) {
            deeper = false;
            const std::vector<int>& kids = look.tree.nodes[at].children;
            for (auto it = kids.rbegin(); it != kids.rend() && !deeper; ++it)
                if (inside(*it)) at = *it, deeper = true;
        }
        *out = Make(look.tree.nodes[at]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFocus(IRawElementProviderFragment** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Lookup look(this);
        if (look.error) return look.error;
        for (const DUI_AccessNode& n : look.tree.nodes)
            if ((n.state & kAccessFocused) && n.parent >= 0) *out = Make(n);
        return S_OK;
    }

    // ---- patterns ----
    HRESULT STDMETHODCALLTYPE Invoke() override { return Act(DUI_AccessAction::kPress); }
    HRESULT STDMETHODCALLTYPE Toggle() override { return Act(DUI_AccessAction::kPress); }
    HRESULT STDMETHODCALLTYPE get_ToggleState(int* out) override {
        return Read([&](const DUI_AccessNode& n) { *out = (n.state & kAccessChecked) ? kToggleOn : kToggleOff; }, out);
    }
    HRESULT STDMETHODCALLTYPE Select() override {
        Lookup look(this);
        if (look.error) return look.error;
        if (look.Node().state & kAccessSelected) return S_OK;
        return Act(DUI_AccessAction::kPress);
    }
    HRESULT STDMETHODCALLTYPE AddToSelection() override { return Select(); }
    HRESULT STDMETHODCALLTYPE RemoveFromSelection() override { return UIA_E_INVALIDOPERATION; }
    HRESULT STDMETHODCALLTYPE get_IsSelected(BOOL* out) override {
        return Read([&](const DUI_AccessNode& n) { *out = (n.state & kAccessSelected) ? TRUE : FALSE; }, out);
    }
    HRESULT STDMETHODCALLTYPE get_SelectionContainer(IRawElementProviderSimple** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Lookup look(this);
        if (look.error) return look.error;
        const int parent = look.Node().parent;
        if (parent >= 0) *out = new CUiaNode(shared_, look.tree.nodes[parent].control, look.tree.nodes[parent].item);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) override {
        Lookup look(this);
        if (look.error) return look.error;
        const DUI_AccessNode& n = look.Node();
        if (n.role != DUI_AccessRole::Edit || (n.state & (kAccessReadOnly | kAccessDisabled)))
            return UIA_E_ELEMENTNOTENABLED;
        return shared_->Post({DUI_AccessAction::kSetValue, control_, -1, value ? value : L"", 0})
                   ? S_OK
                   : UIA_E_ELEMENTNOTAVAILABLE;
    }
    HRESULT STDMETHODCALLTYPE get_Value(BSTR* out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Lookup look(this);
        if (look.error) return look.error;
        // A password field tells nothing of what it holds.
        if (look.Node().state & kAccessPassword) return E_ACCESSDENIED;
        const std::wstring& v = look.Node().value;
        *out = SysAllocStringLen(v.data(), static_cast<UINT>(v.size()));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* out) override {
        return Read([&](const DUI_AccessNode& n) {
            *out = (n.state & (kAccessReadOnly | kAccessDisabled)) || n.role == DUI_AccessRole::Progress ||
                   n.role == DUI_AccessRole::ComboBox;
        }, out);
    }
    HRESULT STDMETHODCALLTYPE SetValue(double value) override {
        Lookup look(this);
        if (look.error) return look.error;
        const DUI_AccessNode& n = look.Node();
        if (n.role != DUI_AccessRole::Slider || (n.state & kAccessDisabled)) return UIA_E_ELEMENTNOTENABLED;
        if (value < n.rangeMinimum || value > n.rangeMaximum) return E_INVALIDARG;
        DUI_AccessAction action{DUI_AccessAction::kSetRange, control_, -1, L"", value};
        return shared_->Post(action) ? S_OK : UIA_E_ELEMENTNOTAVAILABLE;
    }
    HRESULT STDMETHODCALLTYPE get_Value(double* out) override {
        return Read([&](const DUI_AccessNode& n) { *out = n.rangeValue; }, out);
    }
    HRESULT STDMETHODCALLTYPE get_Maximum(double* out) override {
        return Read([&](const DUI_AccessNode& n) { *out = n.rangeMaximum; }, out);
    }
    HRESULT STDMETHODCALLTYPE get_Minimum(double* out) override {
        return Read([&](const DUI_AccessNode& n) { *out = n.rangeMinimum; }, out);
    }
    HRESULT STDMETHODCALLTYPE get_LargeChange(double* out) override {
        return Read([&](const DUI_AccessNode& n) { *out = n.rangeMaximum / 10; }, out);
    }
    HRESULT STDMETHODCALLTYPE get_SmallChange(double* out) override {
        return Read([&](const DUI_AccessNode&) { *out = 1; }, out);
    }
    HRESULT STDMETHODCALLTYPE Expand() override { return Act(DUI_AccessAction::kExpand); }
    HRESULT STDMETHODCALLTYPE Collapse() override { return Act(DUI_AccessAction::kCollapse); }
    HRESULT STDMETHODCALLTYPE get_ExpandCollapseState(int* out) override {
        return Read([&](const DUI_AccessNode& n) { *out = (n.state & kAccessExpanded) ? kExpanded : kCollapsed; },
                    out);
    }

private:
    struct Lookup {
        DUI_AccessTree tree;
        int node = -1;
        HRESULT error = S_OK;
        explicit Lookup(CUiaNode* owner) {
            {
                std::lock_guard<std::mutex> hold(owner->shared_->lock);
                if (!owner->shared_->scene) {
                    error = UIA_E_ELEMENTNOTAVAILABLE;
                    return;
                }
            }
            tree = owner->shared_->Snapshot();
            node = tree.Find(owner->control_, owner->item_);
            if (node < 0) error = UIA_E_ELEMENTNOTAVAILABLE;
        }
        const DUI_AccessNode& Node() const { return tree.nodes[node]; }
    };

    bool IsRoot() const {
        std::lock_guard<std::mutex> hold(shared_->lock);
        return control_ == shared_->scene && item_ < 0;
    }
    template <typename Fill, typename Out>
    HRESULT Read(Fill fill, Out* out) {
        if (!out) return E_POINTER;
        Lookup look(this);
        if (look.error) return look.error;
        fill(look.Node());
        return S_OK;
    }
    HRESULT Act(DUI_AccessAction::Kind kind) {
        Lookup look(this);
        if (look.error) return look.error;
        if (look.Node().state & kAccessDisabled) return UIA_E_ELEMENTNOTENABLED;
        return shared_->Post({kind, control_, item_, L"", 0}) ? S_OK : UIA_E_ELEMENTNOTAVAILABLE;
    }
    IRawElementProviderFragment* Make(const DUI_AccessNode& n) { return new CUiaNode(shared_, n.control, n.item); }

    LONG refs_ = 1;
    std::shared_ptr<DUI_AccessShared> shared_;
    CDUI_UIControl* control_;  // identity only
    int32_t item_;
};

}  // namespace

int DUI_UiaAnswer(const std::shared_ptr<DUI_AccessShared>& shared, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const UiaApi& api = UiaApi::Get();
    if (!api.returnProvider || !shared->scene) return 0;
    auto* root = new CUiaNode(shared, shared->scene, -1);
    *result = api.returnProvider(shared->host, wParam, lParam, static_cast<IRawElementProviderSimple*>(root));
    root->Release();
    return 1;
}

void DUI_UiaRaise(const std::shared_ptr<DUI_AccessShared>& shared, CDUI_UIControl* control, int32_t item,
                  DUI_UiaEvent event) {
    const UiaApi& api = UiaApi::Get();
    if (!api.raiseEvent || (api.listening && !api.listening())) return;
    auto* node = new CUiaNode(shared, control, item);
    api.raiseEvent(static_cast<IRawElementProviderSimple*>(node),
                   event == DUI_UiaEvent::kFocus ? kFocusChangedEvent : kWindowOpenedEvent);
    node->Release();
}

void DUI_UiaDisconnect(HWND host) {
    // Tells UI Automation the window's providers are gone.
    if (const UiaApi& api = UiaApi::Get(); api.returnProvider) api.returnProvider(host, 0, 0, nullptr);
}
