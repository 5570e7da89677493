#pragma once
// Owners for the few raw handles of the application shell, so every handle
// is closed exactly once by the object that opened it.
#include <windows.h>

#include <utility>

// In a namespace: other folders keep handle owners of the same name.
namespace shell {

class CUniqueHandle {
public:
    CUniqueHandle() = default;
    explicit CUniqueHandle(HANDLE h) : m_h(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    CUniqueHandle(CUniqueHandle&& o) noexcept : m_h(std::exchange(o.m_h, nullptr)) {}
    CUniqueHandle& operator=(CUniqueHandle&& o) noexcept {
        if (this != &o) Reset(std::exchange(o.m_h, nullptr));
        return *this;
    }
    virtual ~CUniqueHandle() { Reset(); }

    HANDLE Get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }
    void Reset(HANDLE h = nullptr) {
        if (m_h) CloseHandle(m_h);
        m_h = h;
    }

private:
    HANDLE m_h = nullptr;
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

}  // namespace shell
