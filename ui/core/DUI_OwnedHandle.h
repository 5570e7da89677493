#pragma once
// Owns one kernel handle (mutex, event, thread, file) and closes it when it
// goes, so no code path can leak or double-close it.
#include <windows.h>

#include <utility>

class DUIOwnedHandle {
public:
    DUIOwnedHandle() = default;
    // INVALID_HANDLE_VALUE (a failed CreateFile) is kept as "no handle".
    explicit DUIOwnedHandle(HANDLE handle) { Reset(handle); }
    ~DUIOwnedHandle() { Reset(); }
    DUIOwnedHandle(const DUIOwnedHandle&) = delete;
    DUIOwnedHandle& operator=(const DUIOwnedHandle&) = delete;
    DUIOwnedHandle(DUIOwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    DUIOwnedHandle& operator=(DUIOwnedHandle&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }

    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    void Reset(HANDLE handle = nullptr) {
        if (handle_) CloseHandle(handle_);
        handle_ = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
    }

private:
    HANDLE handle_ = nullptr;
};
