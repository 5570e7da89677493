#include "RemoteSwitch.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
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

namespace {

// One GET of the switch file; 0 when a body that holds the marker was read.
int AskSwitchHost(const std::wstring& host, uint16_t port) {
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
                        // Only the first bytes count; the rest is never read.
                        if (client->ReadBody(buffer.data(), &length, 0) &&
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
    return run;
}

}  // namespace

int CheckRemoteSwitchAt(const std::wstring& host, uint16_t port, int* mayRun) {
    // Each step has its own time-out, but a host that trickles its answer
    // byte by byte would pass them all; the whole check runs on its own
    // thread and the start waits for it only so long. A thread still
    // waiting then is left behind with its own copy of everything it uses.
    struct Verdict {
        std::mutex lock;
        std::condition_variable done;
        bool finished = false;
        int run = 1;
    };
    auto verdict = std::make_shared<Verdict>();
    int run = 1;
    try {
        std::thread([verdict, host, port] {
            const int answer = AskSwitchHost(host, port);
            std::lock_guard<std::mutex> hold(verdict->lock);
            verdict->run = answer;
            verdict->finished = true;
            verdict->done.notify_all();
        }).detach();
        std::unique_lock<std::mutex> wait(verdict->lock);
        if (verdict->done.wait_for(wait, std::chrono::milliseconds(kSwitchTotalMs), [&] { return verdict->finished; }))
            run = verdict->run;
    } catch (...) {
        run = AskSwitchHost(host, port);  // no thread to be had: ask on this one
    }
    if (mayRun) *mayRun = run;
    return 1;
}

int CheckRemoteSwitch(int* mayRun) {
    const httptext::HostPort where = webhosts::SwitchHost();
    return CheckRemoteSwitchAt(where.host, where.port, mayRun);
}
