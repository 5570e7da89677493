#include "OVHidTransport.h"

#include <windows.h>

#include <utility>

#include "WinHandles.h"

namespace {

// The errors a handle gives once its device has gone: a HID interface that
// was unplugged or re-enumerated (after a resume), or a pipe whose server
// ended. Anything else (a stalled report, a time-out) leaves the handle usable.
bool IsRemovalError(DWORD error) {
    switch (error) {
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_BAD_COMMAND:  // HID class driver after a surprise removal
    case ERROR_GEN_FAILURE:
    case ERROR_INVALID_HANDLE:
    case ERROR_HANDLE_EOF:
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
    case ERROR_PIPE_NOT_CONNECTED:
        return true;
    default:
        return false;
    }
}

OVIoResult Failure(DWORD error) { return IsRemovalError(error) ? OVIoResult::kGone : OVIoResult::kFailed; }

class CHidReportTransport : public COVReportTransport {
public:
    CHidReportTransport(win::CUniqueHandle file, win::CUniqueHandle event)
        : file_(std::move(file)), event_(std::move(event)) {}

    OVIoResult WriteReport(const uint8_t* report, size_t size, unsigned timeoutMs) override {
        DWORD done = 0;
        OVERLAPPED ov{};
        ov.hEvent = event_.Get();
        ResetEvent(event_.Get());
        if (!WriteFile(file_.Get(), report, static_cast<DWORD>(size), nullptr, &ov)) {
            const DWORD err = GetLastError();
            if (err != ERROR_IO_PENDING) return Failure(err);
        }
        const OVIoResult r = Finish(&ov, timeoutMs, &done);
        if (r != OVIoResult::kOk) return r;
        return done == size ? OVIoResult::kOk : OVIoResult::kFailed;
    }

    OVIoResult ReadReport(uint8_t* report, size_t capacity, unsigned timeoutMs, size_t* got) override {
        DWORD done = 0;
        *got = 0;
        OVERLAPPED ov{};
        ov.hEvent = event_.Get();
        ResetEvent(event_.Get());
        if (!ReadFile(file_.Get(), report, static_cast<DWORD>(capacity), nullptr, &ov)) {
            const DWORD err = GetLastError();
            if (err == ERROR_MORE_DATA) {
                // A longer message than any report: the chunk count decides.
                GetOverlappedResult(file_.Get(), &ov, &done, TRUE);
                *got = capacity;
                return OVIoResult::kOk;
            }
            if (err != ERROR_IO_PENDING) return Failure(err);
        }
        const OVIoResult r = Finish(&ov, timeoutMs, &done);
        if (r == OVIoResult::kOk) *got = done;
        return r;
    }

    size_t DiscardPendingInput() override {
        size_t discarded = 0;
        // Bounded: the HID driver keeps a few dozen reports at most.
        for (int i = 0; i < 256; ++i) {
            uint8_t report[ovproto::kInputReportSize];
            size_t got = 0;
            if (ReadReport(report, sizeof report, 0, &got) != OVIoResult::kOk) break;
            ++discarded;
        }
        return discarded;
    }

private:
    // Waits for an overlapped operation; on time-out cancels it and collects
    // its completion (it may have completed in the meantime).
    OVIoResult Finish(OVERLAPPED* ov, unsigned timeoutMs, DWORD* done) {
        const DWORD wait = WaitForSingleObject(event_.Get(), timeoutMs);
        if (wait == WAIT_OBJECT_0) {
            if (GetOverlappedResult(file_.Get(), ov, done, FALSE)) return OVIoResult::kOk;
            const DWORD err = GetLastError();
            return err == ERROR_MORE_DATA ? OVIoResult::kOk : Failure(err);
        }
        CancelIoEx(file_.Get(), ov);
        if (GetOverlappedResult(file_.Get(), ov, done, TRUE)) return OVIoResult::kOk;
        const DWORD err = GetLastError();
        if (err == ERROR_MORE_DATA) return OVIoResult::kOk;
        return err == ERROR_OPERATION_ABORTED ? OVIoResult::kTimedOut : Failure(err);
    }

    win::CUniqueHandle file_;
    win::CUniqueHandle event_;
};

}  // namespace

std::unique_ptr<COVReportTransport> OpenHidReportTransport(const std::wstring& path, unsigned long* lastError) {
    if (lastError) *lastError = 0;
    win::CUniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr));
    if (!file) {
        if (lastError) *lastError = GetLastError();
        return nullptr;
    }
    // Manual-reset, so a completion seen by the wait stays visible to
    // GetOverlappedResult.
    win::CUniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event) {
        if (lastError) *lastError = GetLastError();
        return nullptr;
    }
    return std::make_unique<CHidReportTransport>(std::move(file), std::move(event));
}
