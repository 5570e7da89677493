#include "RemoteSwitch.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <vector>

#include "HTTPClientWTPCtrl.h"
#include "WebHosts.h"

int BodySaysSwitchedOff(const char* body, size_t length) {
    if (!body) return 0;
    const std::string_view text(body, length);
    return text.find(kSwitchOffMarker) != std::string_view::npos ? 1 : 0;
}

int CheckRemoteSwitchAt(const std::wstring& host, uint16_t port, int* mayRun) {
    int run = 1;
    auto client = std::make_unique<CHTTPClientWTPCtrl>();
    if (client->Open()) {
        client->SetTimeouts(kSwitchTimeoutMs, kSwitchTimeoutMs, kSwitchTimeoutMs);
        if (client->Connect(host, port)) {
            if (client->OpenRequest(0, kSwitchPath, L"", 0)) {
                if (client->SendRequest(nullptr, 0)) {
                    std::vector<char> buffer(kSwitchBufferBytes, 0);
                    if (client->ReceiveResponse(buffer.data(), kSwitchBufferBytes)) {
                        std::fill(buffer.begin(), buffer.end(), 0);
                        uint32_t length = kSwitchBufferBytes;
                        if (client->ReadBody(buffer.data(), &length) &&
                            BodySaysSwitchedOff(buffer.data(), std::min<uint32_t>(length, kSwitchBufferBytes)))
                            run = 0;
                    }
                }
                client->CloseRequest();
            }
            client->CloseConnection();
        }
        client->Close();
    }
    if (mayRun) *mayRun = run;
    return 1;
}

int CheckRemoteSwitch(int* mayRun) {
    const httptext::HostPort where = webhosts::SwitchHost();
    return CheckRemoteSwitchAt(where.host, where.port, mayRun);
}
