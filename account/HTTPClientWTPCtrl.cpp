#include "HTTPClientWTPCtrl.h"

#include <windows.h>
#include <winhttp.h>

#include <cstring>

#include "FileIOCtrl.h"
#include "HttpText.h"
#include "WorkerTask.h"

void CHTTPClientWTPCtrl::HandleCloser::operator()(void* handle) const {
    if (handle) WinHttpCloseHandle(handle);
}

CHTTPClientWTPCtrl::CHTTPClientWTPCtrl() = default;

CHTTPClientWTPCtrl::~CHTTPClientWTPCtrl() { Close(); }

int CHTTPClientWTPCtrl::Open() {
    Close();
    transfer_.reset(new (std::nothrow) uint8_t[kTransferSize]);
    if (!transfer_) return 0;
    HINTERNET session = WinHttpOpen(L"Microsoft Internet Explorer", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session) {
        transfer_.reset();
        return 0;
    }
    session_.reset(session);
    open_ = 1;
    return 1;
}

int CHTTPClientWTPCtrl::Close() {
    open_ = 0;
    responseTimeoutMs_ = -1;
    // Children first: a session is not closed under a live request.
    request_.reset();
    connection_.reset();
    session_.reset();
    transfer_.reset();
    return 1;
}

int CHTTPClientWTPCtrl::SetTimeouts(int32_t connectMs, int32_t sendMs, int32_t receiveMs) {
    if (!session_) return 0;
    if (!WinHttpSetTimeouts(session_.get(), connectMs, connectMs, sendMs, receiveMs)) return 0;
    // The wait for the response headers has a time-out of its own, which some
    // WinHTTP versions leave unlimited; the receive time-out bounds it too.
    responseTimeoutMs_ = receiveMs;
    DWORD value = static_cast<DWORD>(receiveMs);
    WinHttpSetOption(session_.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &value, sizeof(value));
    return 1;
}

int CHTTPClientWTPCtrl::Connect(const std::wstring& host, uint16_t port) {
    if (!session_) return 0;
    CloseConnection();
    HINTERNET c = WinHttpConnect(session_.get(), host.c_str(), port, 0);
    if (!c) return 0;
    connection_.reset(c);
    return 1;
}

int CHTTPClientWTPCtrl::CloseConnection() {
    request_.reset();
    connection_.reset();
    return 1;
}

int CHTTPClientWTPCtrl::OpenRequest(int post, const std::wstring& path, const std::wstring& referrer,
                                    uint32_t flags) {
    if (!connection_) return 0;
    CloseRequest();
    HINTERNET r = WinHttpOpenRequest(connection_.get(), post ? L"POST" : L"GET", path.c_str(), nullptr,
                                     referrer.empty() ? WINHTTP_NO_REFERER : referrer.c_str(),
                                     WINHTTP_DEFAULT_ACCEPT_TYPES, flags);
    if (!r) return 0;
    request_.reset(r);
    if (responseTimeoutMs_ >= 0) {
        DWORD value = static_cast<DWORD>(responseTimeoutMs_);
        WinHttpSetOption(r, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &value, sizeof(value));
    }
    return 1;
}

int CHTTPClientWTPCtrl::CloseRequest() {
    request_.reset();
    return 1;
}

int CHTTPClientWTPCtrl::AddHeaders(const std::wstring& headers) {
    if (!request_) return 0;
    return WinHttpAddRequestHeaders(request_.get(), headers.c_str(), static_cast<DWORD>(-1L),
                                    WINHTTP_ADDREQ_FLAG_ADD)
               ? 1
               : 0;
}

int CHTTPClientWTPCtrl::SendRequest(const void* body, uint32_t length) {
    if (!request_) return 0;
    const bool withBody = body != nullptr && length != 0;
    const BOOL ok = WinHttpSendRequest(request_.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                       withBody ? const_cast<void*>(body) : WINHTTP_NO_REQUEST_DATA,
                                       withBody ? length : 0, withBody ? length : 0,
                                       reinterpret_cast<DWORD_PTR>(this));
    return ok == TRUE ? 1 : 0;
}

int CHTTPClientWTPCtrl::ReceiveResponse(void* headerBuffer, uint32_t bufferBytes) {
    if (!request_ || !WinHttpReceiveResponse(request_.get(), nullptr)) return 0;
    DWORD size = bufferBytes;
    return WinHttpQueryHeaders(request_.get(), WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                               headerBuffer, &size, WINHTTP_NO_HEADER_INDEX)
               ? 1
               : 0;
}

int CHTTPClientWTPCtrl::ReadBody(void* buffer, uint32_t* length, int drainRest) {
    if (!request_ || !length) return 0;
    const uint32_t capacity = buffer ? *length : 0;
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t total = 0;
    uint8_t drain[kTransferSize];
    for (;;) {
        // A host that trickles its bytes holds no step long enough to time
        // out: the request's overall deadline ends it here.
        if (CWorkerTask::Stopped()) return 0;
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request_.get(), &available)) return 0;
        if (available == 0) break;
        const uint32_t room = capacity - total;
        if (room == 0 && !drainRest) break;
        DWORD got = 0;
        if (room > 0) {
            const DWORD want = available <= room ? available : room;
            if (!WinHttpReadData(request_.get(), out + total, want, &got)) return 0;
            total += got;
        } else {
            // Full: the rest of the body is read and dropped so the request ends cleanly.
            const DWORD want = available < sizeof(drain) ? available : static_cast<DWORD>(sizeof(drain));
            if (!WinHttpReadData(request_.get(), drain, want, &got)) return 0;
        }
        if (got == 0) break;  // the peer ended the body early
    }
    *length = total;
    return 1;
}

int CHTTPClientWTPCtrl::QueryHeaderText(uint32_t query, wchar_t* text, uint32_t units) {
    if (!open_ || !request_) return 0;
    DWORD size = units * sizeof(wchar_t);
    std::memset(text, 0, size);
    if (!WinHttpQueryHeaders(request_.get(), query, WINHTTP_HEADER_NAME_BY_INDEX, text, &size,
                             WINHTTP_NO_HEADER_INDEX))
        return 0;
    text[units - 1] = L'\0';
    return 1;
}

int CHTTPClientWTPCtrl::QueryContentLength(uint32_t* length) {
    wchar_t text[31];
    if (!QueryHeaderText(WINHTTP_QUERY_CONTENT_LENGTH, text, 31)) return 0;
    if (length) *length = httptext::LeadingUnsigned(text);
    return 1;
}

int CHTTPClientWTPCtrl::QueryStatusCode(uint32_t* status) {
    if (!open_ || !request_) return 0;
    DWORD code = 0;
    DWORD size = sizeof(code);
    if (!WinHttpQueryHeaders(request_.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX))
        return 0;
    if (status) *status = code;
    return 1;
}

int CHTTPClientWTPCtrl::QueryContentRange(uint32_t* total, uint32_t* first, uint32_t* last) {
    wchar_t text[51];
    if (!QueryHeaderText(WINHTTP_QUERY_CONTENT_RANGE, text, 51)) return 0;
    httptext::SplitContentRange(text, total, first, last);
    return 1;
}

int CHTTPClientWTPCtrl::StreamBodyToFile(CFileIOCtrl& file, uint64_t* bytesWritten) {
    *bytesWritten = 0;
    for (;;) {
        if (CWorkerTask::Stopped()) return 0;  // past the overall deadline, see ReadBody
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request_.get(), &available)) return 0;
        if (available == 0) return 1;
        const DWORD want = available < kTransferSize ? available : kTransferSize;
        std::memset(transfer_.get(), 0, kTransferSize);
        DWORD got = 0;
        if (!WinHttpReadData(request_.get(), transfer_.get(), want, &got)) return 0;
        if (got == 0) return 1;
        uint32_t put = 0;
        // A write that fails (disk full, file gone) is a failed download, not a short one.
        if (!file.Write(transfer_.get(), got, &put)) return 0;
        *bytesWritten += got;
    }
}

int CHTTPClientWTPCtrl::DownloadToFile(const std::wstring& path, const std::wstring& localFile,
                                       int32_t resumeOffset) {
    if (!open_ || !session_) return 0;
    if (!OpenRequest(0, path, L"", 0)) return 0;
    if (resumeOffset != 0 && !AddHeaders(httptext::RangeHeaderLine(resumeOffset))) {
        CloseRequest();
        return 0;
    }
    if (!SendRequest(nullptr, 0) || !WinHttpReceiveResponse(request_.get(), nullptr)) {
        CloseRequest();
        return 0;
    }

    // An error page is not the file: a 404 body flashed as firmware or read
    // as the update description would be worse than no download at all.
    uint32_t status = 0;
    if (!QueryStatusCode(&status) || status != (resumeOffset != 0 ? 206u : 200u)) {
        CloseRequest();
        // The fresh file would have replaced any earlier copy: none is left.
        if (resumeOffset == 0) DeleteFileW(localFile.c_str());
        return 0;
    }

    CFileIOCtrl file;
    uint64_t expected = 0;
    if (resumeOffset != 0) {
        uint32_t total = 0, first = 0, last = 0;
        if (!QueryContentRange(&total, &first, &last) ||
            !file.Open(localFile, GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING) || !file.SetPosition(first)) {
            CloseRequest();
            return 0;
        }
        expected = last >= first ? uint64_t(last) - first + 1 : 0;
        if (uint64_t(first) + expected > downloadLimit_) {
            file.Close();
            CloseRequest();
            return 0;
        }
    } else {
        uint32_t length = 0;
        // Not even created when the announced size is beyond the limit.
        if (!QueryContentLength(&length) || length > downloadLimit_) {
            CloseRequest();
            DeleteFileW(localFile.c_str());
            return 0;
        }
        if (!file.Open(localFile, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS) || !file.SetSize(length) ||
            !file.SetPosition(0)) {
            file.Close();
            DeleteFileW(localFile.c_str());
            CloseRequest();
            return 0;
        }
        expected = length;
    }

    uint64_t written = 0;
    int ok = StreamBodyToFile(file, &written);
    // A body that stops short of what the server announced is a broken
    // download, even when the connection ended without an error.
    if (ok && written != expected) ok = 0;
    CloseRequest();
    file.Flush();
    file.Close();
    // A fresh file that is not whole (already sized to the full length, with
    // zeros where the body stopped) must not be mistaken for the download.
    if (!ok && resumeOffset == 0) DeleteFileW(localFile.c_str());
    return ok;
}
