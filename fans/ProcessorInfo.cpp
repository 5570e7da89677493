#include "ProcessorInfo.h"

#include <windows.h>
#include <oleauto.h>
#include <wbemidl.h>

#include "WinHandles.h"

using win::CComRef;

namespace {

const CLSID kClsidWbemLocator = {0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const IID kIidWbemLocator = {0xDC12A687, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};

class CBstr {
public:
    explicit CBstr(const wchar_t* text) : s_(SysAllocString(text)) {}
    CBstr() = default;
    ~CBstr() { SysFreeString(s_); }
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    BSTR Get() const { return s_; }
    BSTR* Out() {
        SysFreeString(s_);
        s_ = nullptr;
        return &s_;
    }

private:
    BSTR s_ = nullptr;  // owned
};

class CVariant {
public:
    CVariant() { VariantInit(&v_); }
    ~CVariant() { VariantClear(&v_); }
    CVariant(const CVariant&) = delete;
    CVariant& operator=(const CVariant&) = delete;
    VARIANT* Get() { return &v_; }

private:
    VARIANT v_;
};

std::wstring TextOf(VARIANT* v, size_t fieldChars) {
    if (V_VT(v) != VT_BSTR || V_BSTR(v) == nullptr) return {};
    std::wstring text(V_BSTR(v), SysStringLen(V_BSTR(v)));
    const size_t end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    if (text.size() > fieldChars - 1) text.resize(fieldChars - 1);
    return text;
}

uint32_t NumberOf(VARIANT* v) {
    CVariant converted;
    if (FAILED(VariantChangeType(converted.Get(), v, 0, VT_UI4))) return 0;
    return V_UI4(converted.Get());
}

void TakeProperty(ProcessorRecord& record, const wchar_t* name, VARIANT* value) {
    if (lstrcmpiW(name, L"Name") == 0) {
        record.name = TextOf(value, ProcessorRecord::kNameChars);
    } else if (lstrcmpiW(name, L"ProcessorId") == 0) {
        record.processorId = TextOf(value, ProcessorRecord::kProcessorIdChars);
    } else if (lstrcmpiW(name, L"MaxClockSpeed") == 0) {
        record.maxClockMHz = NumberOf(value);
    } else if (lstrcmpiW(name, L"CurrentClockSpeed") == 0) {
        record.currentClockMHz = NumberOf(value);
    } else if (lstrcmpiW(name, L"CurrentVoltage") == 0) {
        record.currentVoltage = static_cast<uint16_t>(NumberOf(value));
    }
}

}  // namespace

int ReadProcessorInfo(IWbemServices* services, std::vector<ProcessorRecord>* records) {
    if (!services || !records) return 0;
    CBstr language(L"WQL");
    CBstr query(L"Select * From Win32_Processor");
    CComRef<IEnumWbemClassObject> enumerator;
    if (FAILED(services->ExecQuery(language.Get(), query.Get(),
                                   WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                   enumerator.Out())) ||
        !enumerator)
        return 0;
    for (;;) {
        CComRef<IWbemClassObject> object;
        ULONG returned = 0;
        const HRESULT hr = enumerator->Next(WBEM_INFINITE, 1, object.Out(), &returned);
        if (FAILED(hr) || returned == 0 || !object) break;
        ProcessorRecord record;
        if (SUCCEEDED(object->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY))) {
            for (;;) {
                CBstr name;
                CVariant value;
                if (object->Next(0, name.Out(), value.Get(), nullptr, nullptr) != WBEM_S_NO_ERROR) break;
                if (name.Get()) TakeProperty(record, name.Get(), value.Get());
            }
            object->EndEnumeration();
        }
        records->push_back(std::move(record));
    }
    return 1;
}

struct CWmiSession::Impl {
    CComRef<IWbemLocator> locator;
    CComRef<IWbemServices> services;
};

CWmiSession::CWmiSession() : impl_(std::make_unique<Impl>()) {}

CWmiSession::~CWmiSession() = default;

int CWmiSession::Connect() {
    impl_->services.Reset();
    impl_->locator.Reset();
    if (FAILED(CoCreateInstance(kClsidWbemLocator, nullptr, CLSCTX_INPROC_SERVER, kIidWbemLocator,
                                reinterpret_cast<void**>(impl_->locator.Out()))) ||
        !impl_->locator)
        return 0;
    CBstr ns(L"ROOT\\CIMV2");
    if (FAILED(impl_->locator->ConnectServer(ns.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                             impl_->services.Out())) ||
        !impl_->services)
        return 0;
    if (FAILED(CoSetProxyBlanket(impl_->services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                 RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE))) {
        impl_->services.Reset();
        return 0;
    }
    return 1;
}

IWbemServices* CWmiSession::Services() const { return impl_->services.Get(); }
