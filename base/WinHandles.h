#pragma once
// Owners for raw Win32 handles and COM pointers, so that every exit path
// closes what it opened exactly once.
#include <windows.h>
#include <objbase.h>

#include <utility>

namespace win {

class CUniqueHandle {
public:
    CUniqueHandle() = default;
    explicit CUniqueHandle(HANDLE h) : handle_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~CUniqueHandle() { Reset(); }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    CUniqueHandle(CUniqueHandle&& o) noexcept : handle_(std::exchange(o.handle_, nullptr)) {}
    CUniqueHandle& operator=(CUniqueHandle&& o) noexcept {
        if (this != &o) {
            Reset();
            handle_ = std::exchange(o.handle_, nullptr);
        }
        return *this;
    }
    void Reset(HANDLE h = nullptr) {
        if (handle_) CloseHandle(handle_);
        handle_ = (h == INVALID_HANDLE_VALUE) ? nullptr : h;
    }
    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HANDLE handle_ = nullptr;  // owned; nullptr when none (never INVALID_HANDLE_VALUE)
};

class CServiceHandle {
public:
    explicit CServiceHandle(SC_HANDLE h = nullptr) : handle_(h) {}
    ~CServiceHandle() {
        if (handle_) CloseServiceHandle(handle_);
    }
    CServiceHandle(const CServiceHandle&) = delete;
    CServiceHandle& operator=(const CServiceHandle&) = delete;
    SC_HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    SC_HANDLE handle_;  // owned
};

template <class T>
class CComRef {
public:
    CComRef() = default;
    ~CComRef() { Reset(); }
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    CComRef(CComRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    CComRef& operator=(CComRef&& o) noexcept {
        if (this != &o) {
            Reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    void Reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    T** Out() {
        Reset();
        return &p_;
    }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;  // one owned reference
};

// COM for the current thread; balanced only when this object's call took.
class CComApartment {
public:
    explicit CComApartment(DWORD model) : hr_(CoInitializeEx(nullptr, model)) {}
    ~CComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;
    HRESULT Result() const { return hr_; }
    // Usable: this call initialised COM, or it was already initialised in
    // the other model.
    bool Usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT hr_;
};

class CUniqueRegKey {
public:
    CUniqueRegKey() = default;
    CUniqueRegKey(const CUniqueRegKey&) = delete;
    CUniqueRegKey& operator=(const CUniqueRegKey&) = delete;
    virtual ~CUniqueRegKey() {
        if (m_key) RegCloseKey(m_key);
    }
    HKEY* Receive() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

}  // namespace win
