#pragma once
// A file object over one Win32 file handle. The handle is shared for reading
// and writing so that a download can be inspected while it is written.
#include <cstdint>
#include <string>

class CFileIOCtrl {
public:
    CFileIOCtrl() = default;
    virtual ~CFileIOCtrl();
    CFileIOCtrl(const CFileIOCtrl&) = delete;
    CFileIOCtrl& operator=(const CFileIOCtrl&) = delete;

    // access: GENERIC_READ / GENERIC_WRITE bits; disposition: CREATE_ALWAYS,
    // OPEN_EXISTING, ... Closes a file that is already open first.
    int Open(const std::wstring& path, uint32_t access, uint32_t disposition);
    int Read(void* buffer, uint32_t size, uint32_t* read);
    int Write(const void* data, uint32_t size, uint32_t* written);
    int SetPosition(int64_t offset);
    // Position at size, then end of file there.
    int SetSize(int64_t size);
    int GetSize(int64_t* size) const;
    int Flush();
    // Flushes, then closes. Safe to call when nothing is open.
    int Close();
    int IsOpen() const { return handle_ != nullptr ? 1 : 0; }

private:
    void* handle_ = nullptr;  // owned HANDLE, nullptr when closed
};
