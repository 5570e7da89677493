#include "AccountRequest.h"

#include <memory>
#include <vector>

#include "HTTPClientWTPCtrl.h"
#include "WebHosts.h"

namespace account {

int PostAccountForm(const std::wstring& path, const std::string& body, std::string* reply, int* overLimit) {
    if (overLimit) *overLimit = 0;
    const httptext::HostPort host = webhosts::AccountApiHost();
    auto client = std::make_unique<CHTTPClientWTPCtrl>();
    // A dead network or a silent host ends each step within seconds; the
    // request runs on a worker, whose deadline ends a trickling reply.
    int ok = client->Open() && client->SetTimeouts(kRequestTimeoutMs, kRequestTimeoutMs, kRequestTimeoutMs) &&
             client->Connect(host.host, host.port) && client->OpenRequest(1, path, L"", 0) &&
             client->AddHeaders(L"Content-Type: application/x-www-form-urlencoded") &&
             client->SendRequest(body.data(), static_cast<uint32_t>(body.size()));
    if (ok) {
        // Only the body counts: a header block too long for this buffer must
        // not fail the request. A response that never came fails the body read.
        std::vector<char> headers(4096, 0);
        client->ReceiveResponse(headers.data(), static_cast<uint32_t>(headers.size()));
        // One byte more than the bound tells a reply at the bound from a longer one.
        std::vector<char> buffer(kReplyLimit + 1, 0);
        uint32_t length = static_cast<uint32_t>(buffer.size());
        ok = client->ReadBody(buffer.data(), &length) && length != 0;
        if (ok && length > kReplyLimit) {
            if (overLimit) *overLimit = 1;
            ok = 0;
        }
        if (ok && reply) reply->assign(buffer.data(), length);
    }
    client->CloseRequest();
    client->CloseConnection();
    client->Close();
    return ok;
}

}  // namespace account
