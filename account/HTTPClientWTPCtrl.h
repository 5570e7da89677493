#pragma once
// The one HTTP client of the program: a thin synchronous wrapper over WinHTTP
// carrying one session, one connection and one request at a time. Every web
// operation creates its own object, drives it step by step and discards it.
#include <cstdint>
#include <memory>
#include <string>

class CHTTPClientWTPCtrl {
public:
    static constexpr uint32_t kTransferSize = 4096;
    // Largest file DownloadToFile takes unless SetDownloadLimit says otherwise:
    // the file is sized to what the server announces before the first byte.
    static constexpr uint32_t kDefaultDownloadLimit = 16u << 20;

    CHTTPClientWTPCtrl();
    virtual ~CHTTPClientWTPCtrl();
    CHTTPClientWTPCtrl(const CHTTPClientWTPCtrl&) = delete;
    CHTTPClientWTPCtrl& operator=(const CHTTPClientWTPCtrl&) = delete;

    // Session with the user agent "Microsoft Internet Explorer", default proxy
    // configuration, synchronous mode; allocates the transfer buffer.
    int Open();
    // Closes request, connection and session; frees the transfer buffer.
    int Close();
    // Applies to handles opened afterwards; name resolution is bounded like
    // the connection, so a dead name server cannot hold a request either.
    int SetTimeouts(int32_t connectMs, int32_t sendMs, int32_t receiveMs);
    int Connect(const std::wstring& host, uint16_t port);
    int CloseConnection();
    // Verb POST when post is non-zero, else GET; the path as given.
    int OpenRequest(int post, const std::wstring& path, const std::wstring& referrer, uint32_t flags);
    int CloseRequest();
    // Adds (never replaces) the header line(s).
    int AddHeaders(const std::wstring& headers);
    // No body when body or length is zero.
    int SendRequest(const void* body, uint32_t length);
    // Waits for the response and copies the raw header block (UTF-16, CR LF
    // separated) into headerBuffer of bufferBytes bytes.
    int ReceiveResponse(void* headerBuffer, uint32_t bufferBytes);
    // *length: in the capacity of buffer, out the bytes kept. Body bytes beyond
    // the capacity are read and dropped, or with drainRest 0 left unread (the
    // caller then closes the request).
    int ReadBody(void* buffer, uint32_t* length, int drainRest = 1);
    int QueryContentLength(uint32_t* length);
    // The status code of the received response (200, 404, ...).
    int QueryStatusCode(uint32_t* status);
    int QueryContentRange(uint32_t* total, uint32_t* first, uint32_t* last);
    // GET path on the open connection into localFile: fresh when resumeOffset is
    // 0 (file created at its full size first), else resumed at the first byte
    // of the server's Content-Range in the existing file. Succeeds only for
    // status 200 (fresh) or 206 (resumed) and the whole announced body; a
    // failed fresh download leaves no file behind.
    // A body announced larger than the download limit is refused before
    // anything is written.
    int DownloadToFile(const std::wstring& path, const std::wstring& localFile, int32_t resumeOffset);
    void SetDownloadLimit(uint32_t bytes) { downloadLimit_ = bytes; }

private:
    struct HandleCloser {
        void operator()(void* handle) const;
    };
    using InternetHandle = std::unique_ptr<void, HandleCloser>;

    int QueryHeaderText(uint32_t query, wchar_t* text, uint32_t units);
    int StreamBodyToFile(class CFileIOCtrl& file, uint64_t* bytesWritten);

    int open_ = 0;
    int32_t responseTimeoutMs_ = -1;  // set by SetTimeouts, applied to each request
    uint32_t downloadLimit_ = kDefaultDownloadLimit;
    InternetHandle session_;     // owned
    InternetHandle connection_;  // owned
    InternetHandle request_;     // owned
    std::unique_ptr<uint8_t[]> transfer_;  // kTransferSize bytes while open
};
