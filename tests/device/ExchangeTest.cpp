// Exchanges and commands against a scripted controller: the exact request
// bytes of every command, each command's success rule, stale input, time-outs,
// and that two threads never interleave their exchanges.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "FakeTransport.h"
#include "OVFanLedDevice.h"

using Bytes = std::vector<uint8_t>;

namespace {

// A device open on a fake that answers every request with `payload`.
struct FakeDevice {
    COVFanLedDevice device;
    CFakeTransport* fake = nullptr;  // borrowed: the device owns it

    explicit FakeDevice(CFakeTransport::Responder responder) {
        auto t = std::make_unique<CFakeTransport>();
        t->responder = std::move(responder);
        fake = t.get();
        device.OpenWithTransport(std::move(t));
    }
    Bytes Frame(size_t i) const { return Bytes(fake->written.at(i).begin() + 2, fake->written.at(i).begin() + 2 + fake->written.at(i)[1]); }
};

CFakeTransport::Responder Answer(Bytes payload) {
    return [payload](const Bytes& req) { return CFakeTransport::GoodReply(req, payload); };
}

Bytes Req(uint8_t cmd, Bytes payload) {
    Bytes f = ovproto::EncodeFrame(cmd, payload.data(), payload.size());
    return f;
}

}  // namespace

TEST(Commands, RequestsAreByteExact) {
    FakeDevice d(Answer({1}));
    d.device.SetLightMode(3);
    d.device.SetLightColor(0x12, 0x34, 0x56);
    d.device.SetLightInterval(5000);
    d.device.SetLightInterval(60000);
    d.device.SetLightBrightness(80);
    d.device.FactoryReset();
    d.device.RestartController();
    d.device.SetFanLevel(2, 10);
    std::wstring v;
    d.device.QueryVersion(&v);
    ASSERT_EQ(9u, d.fake->written.size());
    for (const Bytes& r : d.fake->written) ASSERT_EQ(17u, r.size());
    EXPECT_EQ(Req(0x08, {3}), d.Frame(0));
    EXPECT_EQ(Req(0x0A, {0x12, 0x34, 0x56}), d.Frame(1));
    EXPECT_EQ(Req(0x0C, {0x88, 0x13}), d.Frame(2));
    EXPECT_EQ(Req(0x0C, {0x60, 0xEA}), d.Frame(3));
    EXPECT_EQ(Req(0x62, {80}), d.Frame(4));
    EXPECT_EQ(Req(0x7A, {}), d.Frame(5));
    EXPECT_EQ(Req(0x7B, {}), d.Frame(6));
    EXPECT_EQ((Bytes{0x00, 0x08, 0xAA, 0x03, 0xAD, 0x52, 0x02, 0x0A, 0x5E, 0x55, 0, 0, 0, 0, 0, 0, 0}), d.fake->written[7]);
    EXPECT_EQ(Req(0x01, {}), d.Frame(8));
}

TEST(Commands, IntervalAboveSixteenBitsSaturates) {
    FakeDevice d(Answer({1}));
    d.device.SetLightInterval(70000);  // would wrap to 4464 ms
    EXPECT_EQ(Req(0x0C, {0xFF, 0xFF}), d.Frame(0));
}

TEST(Commands, StatusCommandsFollowTheirRules) {
    FakeDevice ok(Answer({1}));
    EXPECT_EQ(1, ok.device.SetLightMode(1));
    EXPECT_EQ(1, ok.device.SetLightColor(1, 2, 3));
    EXPECT_EQ(1, ok.device.SetLightInterval(10000));
    EXPECT_EQ(1, ok.device.SetLightBrightness(100));
    EXPECT_EQ(1, ok.device.FactoryReset());
    EXPECT_EQ(1, ok.device.RestartController());

    FakeDevice zero(Answer({0}));
    EXPECT_EQ(0, zero.device.SetLightMode(1));
    EXPECT_EQ(0, zero.device.RestartController());
    FakeDevice longer(Answer({1, 1}));
    EXPECT_EQ(0, longer.device.SetLightBrightness(5));
    FakeDevice empty(Answer({}));
    EXPECT_EQ(0, empty.device.FactoryReset());
    FakeDevice wrongCode([](const Bytes& req) {
        return CFakeTransport::Reports(ovproto::EncodeFrame(req[5], Bytes{1}.data(), 1));
    });
    EXPECT_EQ(0, wrongCode.device.SetLightColor(1, 2, 3));
}

TEST(Commands, FanLevelNeedsTheEchoedIndex) {
    FakeDevice echo([](const Bytes& req) { return CFakeTransport::GoodReply(req, {1, req[6]}); });
    for (uint8_t i = 0; i < 4; ++i) EXPECT_EQ(1, echo.device.SetFanLevel(i, 12));
    FakeDevice other([](const Bytes& req) { return CFakeTransport::GoodReply(req, {1, uint8_t(req[6] + 1)}); });
    EXPECT_EQ(0, other.device.SetFanLevel(1, 12));
    FakeDevice refused([](const Bytes& req) { return CFakeTransport::GoodReply(req, {0, req[6]}); });
    EXPECT_EQ(0, refused.device.SetFanLevel(1, 12));
    FakeDevice shortReply(Answer({1}));
    EXPECT_EQ(0, shortReply.device.SetFanLevel(0, 12));
}

TEST(Commands, VersionTextAndItsFailures) {
    FakeDevice d(Answer({'V', 'E', 'N', 'T', 'A', 'R', 'O', '-', 'C', 'T', 'L', '1', '0', '5'}));
    std::wstring text = L"old";
    EXPECT_EQ(1, d.device.QueryVersion(&text));
    EXPECT_EQ(L"VENTARO-CTL105", text);
    FakeDevice empty(Answer({}));
    EXPECT_EQ(1, empty.device.QueryVersion(&text));
    EXPECT_EQ(L"", text);
    FakeDevice wrong([](const Bytes&) { return CFakeTransport::Reports(ovproto::EncodeFrame(0x82, Bytes{'x'}.data(), 1)); });
    text = L"keep";
    EXPECT_EQ(0, wrong.device.QueryVersion(&text));
    EXPECT_EQ(L"keep", text);
}

TEST(Commands, ClosedDeviceFailsAtOnce) {
    COVFanLedDevice device;
    std::wstring text = L"untouched";
    EXPECT_EQ(0, device.QueryVersion(&text));
    EXPECT_EQ(L"untouched", text);
    EXPECT_EQ(0, device.SetFanLevel(0, 10));
    EXPECT_EQ(OVExchangeError::kNotOpen, COVFanLedDevice::GetLastExchangeError());
    EXPECT_EQ(0, device.IsOpen());
    EXPECT_EQ(0, device.OpenDevice());  // no path: failure, no message
    EXPECT_EQ(1, device.CloseDevice());

    FakeDevice d(Answer({1}));
    EXPECT_EQ(1, d.device.IsOpen());
    EXPECT_EQ(1, d.device.CloseDevice());
    EXPECT_EQ(0, d.device.SetLightMode(1));
}

TEST(Exchange, StaleInputIsDrainedBeforeTheRequest) {
    FakeDevice d(Answer({'1', '0', '5'}));
    // A late reply of an earlier exchange is already waiting.
    for (auto& r : CFakeTransport::Reports(ovproto::EncodeFrame(0x88, Bytes{1}.data(), 1))) d.fake->input.push_back(r);
    std::wstring text;
    EXPECT_EQ(1, d.device.QueryVersion(&text));
    EXPECT_EQ(L"105", text);
    EXPECT_EQ(1u, d.fake->discarded);
}

TEST(Exchange, SilenceIsATimeoutNotAHang) {
    FakeDevice d([](const Bytes&) { return std::vector<Bytes>{}; });
    d.device.SetReplyTimeout(250);
    EXPECT_EQ(0, d.device.SetLightMode(1));
    EXPECT_EQ(OVExchangeError::kTimedOut, COVFanLedDevice::GetLastExchangeError());
    EXPECT_LE(d.fake->lastTimeout, 250u);
    // Half a reply then silence.
    FakeDevice half([](const Bytes& req) {
        auto r = CFakeTransport::GoodReply(req, Bytes(14, 'v'));
        r.pop_back();
        return r;
    });
    std::wstring text = L"same";
    EXPECT_EQ(0, half.device.QueryVersion(&text));
    EXPECT_EQ(L"same", text);
}

TEST(Exchange, WriteAndReadFailuresFailTheCommand) {
    FakeDevice w(Answer({1}));
    w.fake->failWrite = true;
    EXPECT_EQ(0, w.device.SetLightMode(1));
    EXPECT_EQ(OVExchangeError::kWriteFailed, COVFanLedDevice::GetLastExchangeError());
    FakeDevice r(Answer({1}));
    r.fake->failRead = true;
    EXPECT_EQ(0, r.device.SetLightMode(1));
    EXPECT_EQ(OVExchangeError::kReadFailed, COVFanLedDevice::GetLastExchangeError());
}

TEST(Exchange, EndlessEmptyReportsAreCut) {
    FakeDevice d([](const Bytes&) { return std::vector<Bytes>(500, Bytes(20, 0)); });
    EXPECT_EQ(0, d.device.SetLightMode(1));
    EXPECT_EQ(OVExchangeError::kMalformedReply, COVFanLedDevice::GetLastExchangeError());
    EXPECT_LE(d.fake->reads, 64);
}

TEST(Exchange, OversizeAndOverlongRepliesFail) {
    FakeDevice over([](const Bytes& req) {
        auto r = CFakeTransport::GoodReply(req, {1});
        r[0][1] = 19;
        return r;
    });
    EXPECT_EQ(0, over.device.SetLightMode(1));
    EXPECT_EQ(OVExchangeError::kMalformedReply, COVFanLedDevice::GetLastExchangeError());
    FakeDevice overlong([](const Bytes& req) {
        auto r = CFakeTransport::GoodReply(req, {1});
        r[0][3] = 0xFF;
        return r;
    });
    EXPECT_EQ(0, overlong.device.SetLightMode(1));
    EXPECT_EQ(OVExchangeError::kMalformedReply, COVFanLedDevice::GetLastExchangeError());
    FakeDevice badEnd([](const Bytes& req) {
        auto r = CFakeTransport::GoodReply(req, {1});
        r[0][2 + 6] = 0x54;
        return r;
    });
    EXPECT_EQ(0, badEnd.device.SetLightMode(1));
    EXPECT_EQ(OVExchangeError::kRejectedFrame, COVFanLedDevice::GetLastExchangeError());
}

TEST(Exchange, TransactHandsBackCodeAndPayload) {
    FakeDevice d(Answer({9, 8, 7}));
    uint8_t code = 0, payload[250] = {};
    size_t length = 0;
    const uint8_t req[2] = {0x11, 0x22};
    EXPECT_EQ(1, d.device.Transact(0x40, req, 2, &code, payload, &length));
    EXPECT_EQ(0xC0, code);
    EXPECT_EQ(3u, length);
    EXPECT_EQ(7, payload[2]);
    const uint8_t tooLong[10] = {};
    EXPECT_EQ(0, d.device.Transact(0x40, tooLong, 10, &code, payload, &length));
    EXPECT_EQ(OVExchangeError::kBadRequest, COVFanLedDevice::GetLastExchangeError());
}

// The fake notices when a second exchange begins before the first one's
// reply was read to its end.
TEST(Exchange, TwoThreadsNeverInterleave) {
    std::atomic<int> busy{0}, overlaps{0};
    // Wraps the fake: an exchange starts at its drain and ends when the
    // last report of its reply was taken.
    struct Watch : COVReportTransport {
        CFakeTransport inner;
        std::atomic<int>* busy = nullptr;
        std::atomic<int>* overlaps = nullptr;
        OVIoResult WriteReport(const uint8_t* r, size_t n, unsigned ms) override {
            std::this_thread::yield();
            return inner.WriteReport(r, n, ms);
        }
        OVIoResult ReadReport(uint8_t* r, size_t cap, unsigned ms, size_t* got) override {
            std::this_thread::yield();
            OVIoResult res = inner.ReadReport(r, cap, ms, got);
            std::lock_guard<std::mutex> g(inner.lock);
            if (inner.input.empty()) busy->store(0);
            return res;
        }
        size_t DiscardPendingInput() override {
            if (busy->exchange(1)) ++*overlaps;
            return inner.DiscardPendingInput();
        }
    };
    auto watch = std::make_unique<Watch>();
    Watch* w = watch.get();  // borrowed: the device owns it
    w->busy = &busy;
    w->overlaps = &overlaps;
    w->inner.responder = [](const Bytes& req) {
        return CFakeTransport::GoodReply(req, req[5] == 0x52 ? Bytes{1, req[6]} : Bytes(14, 'v'));
    };
    COVFanLedDevice device;
    device.OpenWithTransport(std::move(watch));
    std::atomic<int> failures{0};
    auto run = [&](bool fans) {
        for (int i = 0; i < 2000; ++i) {
            if (fans) {
                if (!device.SetFanLevel(static_cast<uint8_t>(i % 4), 10)) ++failures;
            } else {
                std::wstring v;
                if (!device.QueryVersion(&v) || v != L"vvvvvvvvvvvvvv") ++failures;
            }
        }
    };
    std::thread a(run, true), b(run, false);
    a.join();
    b.join();
    EXPECT_EQ(0, overlaps.load());
    EXPECT_EQ(0, failures.load());
    EXPECT_EQ(4000u, w->inner.written.size());
    EXPECT_EQ(0u, w->inner.discarded);
}
