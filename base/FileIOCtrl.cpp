#include "FileIOCtrl.h"

#include <windows.h>

CFileIOCtrl::~CFileIOCtrl() { Close(); }

int CFileIOCtrl::Open(const std::wstring& path, uint32_t access, uint32_t disposition) {
    Close();
    HANDLE h = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    handle_ = h;
    return 1;
}

int CFileIOCtrl::Read(void* buffer, uint32_t size, uint32_t* read) {
    DWORD got = 0;
    if (!handle_ || !ReadFile(handle_, buffer, size, &got, nullptr)) {
        if (read) *read = 0;
        return 0;
    }
    if (read) *read = got;
    return 1;
}

int CFileIOCtrl::Write(const void* data, uint32_t size, uint32_t* written) {
    DWORD put = 0;
    if (!handle_ || !WriteFile(handle_, data, size, &put, nullptr)) {
        if (written) *written = 0;
        return 0;
    }
    if (written) *written = put;
    return put == size ? 1 : 0;
}

int CFileIOCtrl::SetPosition(int64_t offset) {
    if (!handle_) return 0;
    LARGE_INTEGER li;
    li.QuadPart = offset;
    return SetFilePointerEx(handle_, li, nullptr, FILE_BEGIN) ? 1 : 0;
}

int CFileIOCtrl::SetSize(int64_t size) {
    if (!SetPosition(size)) return 0;
    return SetEndOfFile(handle_) ? 1 : 0;
}

int CFileIOCtrl::GetSize(int64_t* size) const {
    LARGE_INTEGER li;
    if (!handle_ || !GetFileSizeEx(handle_, &li)) return 0;
    if (size) *size = li.QuadPart;
    return 1;
}

int CFileIOCtrl::Flush() {
    if (!handle_) return 0;
    return FlushFileBuffers(handle_) ? 1 : 0;
}

int CFileIOCtrl::Close() {
    if (!handle_) return 1;
    FlushFileBuffers(handle_);
    int ok = CloseHandle(handle_) ? 1 : 0;
    handle_ = nullptr;
    return ok;
}
