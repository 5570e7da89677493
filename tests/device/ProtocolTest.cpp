// The controller's wire format without any handle: request reports byte for
// byte, reply reassembly, frame parsing, the command rules, path choice, and
// random or truncated input reports.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "OVDeviceProtocol.h"
#include "OVFanLedDevice.h"

using namespace ovproto;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes Report(uint8_t command, Bytes payload) {
    Bytes r(kOutputReportSize, 0xEE);
    EXPECT_EQ(kOutputReportSize, BuildRequestReport(command, payload.data(), payload.size(), r.data()));
    return r;
}

// An input report carrying `chunk` (C = its size), zero-filled to 20 bytes.
Bytes InputReport(const Bytes& chunk, uint8_t reportId = 0) {
    Bytes r(kInputReportSize, 0);
    r[0] = reportId;
    r[1] = static_cast<uint8_t>(chunk.size());
    std::memcpy(r.data() + 2, chunk.data(), chunk.size() < 18 ? chunk.size() : 18);
    return r;
}

}  // namespace

TEST(RequestFrame, SetFanLevelWorkedExample) {
    const Bytes r = Report(kSetFanLevel, {2, 10});
    const Bytes expected = {0x00, 0x08, 0xAA, 0x03, 0xAD, 0x52, 0x02, 0x0A, 0x5E, 0x55, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(expected, r);
}

TEST(RequestFrame, NoPayloadRequestIsSixBytes) {
    for (uint8_t cmd : {kQueryVersion, kFactoryReset, kRestartController}) {
        const Bytes r = Report(cmd, {});
        const uint8_t x = 0xAA ^ 0x01 ^ 0xAB ^ cmd;
        const Bytes expected = {0x00, 0x06, 0xAA, 0x01, 0xAB, cmd, x, 0x55, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        EXPECT_EQ(expected, r) << int(cmd);
    }
    EXPECT_EQ(0x7B ^ 0xAA ^ 0x01 ^ 0xAB, Report(kRestartController, {})[6]);
}

TEST(RequestFrame, IntervalBytesAreLittleEndian) {
    // 5000 ms (also what a theme's 3000 ms becomes: the sender raises it).
    const Bytes r5000 = Report(kSetLightInterval, {0x88, 0x13});
    EXPECT_EQ((Bytes{0x00, 0x08, 0xAA, 0x03, 0xAD, 0x0C, 0x88, 0x13, uint8_t(0xAA ^ 0x03 ^ 0xAD ^ 0x0C ^ 0x88 ^ 0x13), 0x55}),
              Bytes(r5000.begin(), r5000.begin() + 10));
    const Bytes r60000 = Report(kSetLightInterval, {0x60, 0xEA});
    EXPECT_EQ(0x60, r60000[6]);
    EXPECT_EQ(0xEA, r60000[7]);
}

TEST(RequestFrame, LongestPayloadFillsTheReportAndLongerIsRefused) {
    const Bytes nine = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    const Bytes r = Report(0x33, nine);
    EXPECT_EQ(15, r[1]);
    EXPECT_EQ(10, r[3]);                      // L
    EXPECT_EQ(uint8_t(0xAA + 10), r[4]);      // header check
    EXPECT_EQ(0x55, r[16]);                   // end byte is the report's last byte
    uint8_t out[kOutputReportSize];
    const Bytes ten(10, 1);
    EXPECT_EQ(0u, BuildRequestReport(0x33, ten.data(), ten.size(), out));
    EXPECT_EQ(0u, BuildRequestReport(0x33, nullptr, 2, out));
    size_t n = 99;
    EXPECT_EQ(0, COVFanLedDevice::BuildFrame(0x33, ten.data(), ten.size(), out, &n));
    EXPECT_EQ(0u, n);
    EXPECT_EQ(1, COVFanLedDevice::BuildFrame(0x33, ten.data(), 9, out, &n));
    EXPECT_EQ(17u, n);
}

TEST(RequestFrame, EveryPayloadLengthChecksOut) {
    std::mt19937 rng(7);
    for (size_t p = 0; p <= kMaxRequestPayload; ++p) {
        Bytes payload(p);
        for (auto& b : payload) b = static_cast<uint8_t>(rng());
        const uint8_t cmd = static_cast<uint8_t>(rng());
        const Bytes r = Report(cmd, payload);
        EXPECT_EQ(p + 6, r[1]);
        uint8_t x = 0;
        for (size_t i = 0; i < 4 + p; ++i) x ^= r[2 + i];
        EXPECT_EQ(x, r[2 + 4 + p]);
        for (size_t i = 2 + 6 + p; i < kOutputReportSize; ++i) EXPECT_EQ(0, r[i]) << "zero fill at " << i;
        // The simulator's encoder agrees with the request builder.
        EXPECT_EQ(EncodeFrame(cmd, payload.data(), p), Bytes(r.begin() + 2, r.begin() + 8 + p));
    }
}

TEST(ReplyAssembly, OneReportCompletesAFrame) {
    const Bytes frame = EncodeFrame(0xD2, Bytes{1, 2}.data(), 2);
    COVReplyAssembler a;
    EXPECT_EQ(COVReplyAssembler::kComplete, a.AddReport(InputReport(frame, 0x77).data(), kInputReportSize));
    EXPECT_EQ(frame, Bytes(a.Frame(), a.Frame() + a.Count()));
}

TEST(ReplyAssembly, SplitReplyIsReassembled) {
    Bytes payload(14);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>('A' + i);
    const Bytes frame = EncodeFrame(0x81, payload.data(), payload.size());  // 20 bytes
    for (size_t first = 1; first < frame.size() && first <= 18; ++first) {
        COVReplyAssembler a;
        EXPECT_EQ(COVReplyAssembler::kNeedMore, a.AddReport(InputReport(Bytes(frame.begin(), frame.begin() + first)).data(), 20));
        const Bytes rest(frame.begin() + first, frame.end());
        if (rest.size() > 18) continue;
        EXPECT_EQ(COVReplyAssembler::kComplete, a.AddReport(InputReport(rest).data(), 20)) << first;
        EXPECT_EQ(frame, Bytes(a.Frame(), a.Frame() + a.Count()));
    }
}

TEST(ReplyAssembly, EmptyReportsWaitForData) {
    const Bytes frame = EncodeFrame(0x88, Bytes{1}.data(), 1);
    COVReplyAssembler a;
    EXPECT_EQ(COVReplyAssembler::kNeedMore, a.AddReport(InputReport({}).data(), 20));
    EXPECT_EQ(COVReplyAssembler::kComplete, a.AddReport(InputReport(frame).data(), 20));
}

TEST(ReplyAssembly, ChunkCountBeyondTheReportIsMalformed) {
    Bytes r = InputReport(EncodeFrame(0x88, Bytes{1}.data(), 1));
    r[1] = 19;
    COVReplyAssembler a;
    EXPECT_EQ(COVReplyAssembler::kMalformed, a.AddReport(r.data(), 20));
    r[1] = 0xFF;
    a.Reset();
    EXPECT_EQ(COVReplyAssembler::kMalformed, a.AddReport(r.data(), 20));
    // A short read cannot carry what its count claims.
    r[1] = 7;
    a.Reset();
    EXPECT_EQ(COVReplyAssembler::kMalformed, a.AddReport(r.data(), 8));
    a.Reset();
    EXPECT_EQ(COVReplyAssembler::kMalformed, a.AddReport(r.data(), 1));
    // More than 18 is never valid, even from a longer read.
    Bytes longer = InputReport(EncodeFrame(0x81, Bytes(14, 'v').data(), 14));
    longer.resize(24, 0);
    longer[1] = 20;
    a.Reset();
    EXPECT_EQ(COVReplyAssembler::kMalformed, a.AddReport(longer.data(), longer.size()));
}

TEST(ReplyAssembly, AnnouncedTotalBeyondTheBufferIsMalformed) {
    Bytes frame = EncodeFrame(0x81, Bytes(16, 'x').data(), 16);
    for (uint8_t length : {uint8_t(251), uint8_t(255)}) {
        frame[1] = length;  // total L + 5 > 255
        COVReplyAssembler a;
        EXPECT_EQ(COVReplyAssembler::kMalformed, a.AddReport(InputReport(Bytes(frame.begin(), frame.begin() + 18)).data(), 20));
    }
    // 250 + 5 = 255 still fits: fifteen reports fill the buffer exactly.
    Bytes big = EncodeFrame(0x81, Bytes(249, 'v').data(), 249);
    ASSERT_EQ(255u, big.size());
    COVReplyAssembler a;
    size_t off = 0;
    while (off < big.size()) {
        const size_t c = std::min<size_t>(18, big.size() - off);
        a.AddReport(InputReport(Bytes(big.begin() + off, big.begin() + off + c)).data(), 20);
        off += c;
    }
    EXPECT_EQ(COVReplyAssembler::kComplete, a.GetState());
    EXPECT_EQ(255u, a.Count());
}

TEST(ReplyAssembly, ChunkRunningPastTheTotalIsMalformed) {
    Bytes frame = EncodeFrame(0x88, Bytes{1}.data(), 1);  // 7 bytes
    frame.push_back(0x00);                                // one byte too many in the same report
    COVReplyAssembler a;
    EXPECT_EQ(COVReplyAssembler::kMalformed, a.AddReport(InputReport(frame).data(), 20));
    // ... or in the second report.
    const Bytes version = EncodeFrame(0x81, Bytes(14, 'a').data(), 14);  // 20 bytes
    a.Reset();
    a.AddReport(InputReport(Bytes(version.begin(), version.begin() + 18)).data(), 20);
    EXPECT_EQ(COVReplyAssembler::kMalformed, a.AddReport(InputReport(Bytes{version[18], version[19], 0x00}).data(), 20));
}

TEST(ReplyFrameParse, AcceptsAndExtracts) {
    const Bytes frame = EncodeFrame(0xD2, Bytes{1, 3}.data(), 2);
    ReplyFrame reply;
    ASSERT_EQ(1, ParseReplyFrame(frame.data(), frame.size(), &reply));
    EXPECT_EQ(0xD2, reply.code);
    EXPECT_EQ(2u, reply.payloadLength);
    EXPECT_EQ(1, reply.payload[0]);
    EXPECT_EQ(3, reply.payload[1]);
    uint8_t code = 0, payload[kPayloadBufferSize] = {};
    size_t length = 0;
    EXPECT_EQ(1, COVFanLedDevice::ParseFrame(frame.data(), frame.size(), &code, payload, &length));
    EXPECT_EQ(0xD2, code);
    EXPECT_EQ(2u, length);
}

TEST(ReplyFrameParse, HeaderCheckAndXorAreNotVerified) {
    Bytes frame = EncodeFrame(0x88, Bytes{1}.data(), 1);
    frame[2] ^= 0x5A;
    frame[5] ^= 0xA5;
    ReplyFrame reply;
    EXPECT_EQ(1, ParseReplyFrame(frame.data(), frame.size(), &reply));
}

TEST(ReplyFrameParse, RejectsBadStartEndAndLength) {
    const Bytes good = EncodeFrame(0x88, Bytes{1}.data(), 1);
    ReplyFrame reply;
    Bytes f = good;
    f[0] = 0xAB;
    EXPECT_EQ(0, ParseReplyFrame(f.data(), f.size(), &reply));
    f = good;
    f.back() = 0x54;
    EXPECT_EQ(0, ParseReplyFrame(f.data(), f.size(), &reply));
    f = good;
    f[1] = 0;  // would be a payload length of -1
    EXPECT_EQ(0, ParseReplyFrame(f.data(), f.size(), &reply));
    f = good;
    f[1] = 3;  // disagrees with the byte count
    EXPECT_EQ(0, ParseReplyFrame(f.data(), f.size(), &reply));
    EXPECT_EQ(0, ParseReplyFrame(good.data(), 5, &reply));
    EXPECT_EQ(0, ParseReplyFrame(nullptr, 7, &reply));
}

TEST(CommandRules, StatusFanAndVersionReplies) {
    auto parse = [](uint8_t code, Bytes payload) {
        ReplyFrame r;
        Bytes f = EncodeFrame(code, payload.data(), payload.size());
        EXPECT_EQ(1, ParseReplyFrame(f.data(), f.size(), &r));
        return r;
    };
    EXPECT_EQ(1, IsStatusReplyOk(kSetLightMode, parse(0x88, {1})));
    EXPECT_EQ(1, IsStatusReplyOk(kSetLightMode, parse(0x88, {0x7F})));
    EXPECT_EQ(0, IsStatusReplyOk(kSetLightMode, parse(0x88, {0})));
    EXPECT_EQ(0, IsStatusReplyOk(kSetLightMode, parse(0x08, {1})));
    EXPECT_EQ(0, IsStatusReplyOk(kSetLightMode, parse(0x8A, {1})));
    EXPECT_EQ(0, IsStatusReplyOk(kSetLightMode, parse(0x88, {1, 1})));
    EXPECT_EQ(0, IsStatusReplyOk(kSetLightMode, parse(0x88, {})));
    for (uint8_t cmd : {kSetLightColor, kSetLightInterval, kSetLightBrightness, kFactoryReset, kRestartController})
        EXPECT_EQ(1, IsStatusReplyOk(cmd, parse(ReplyCodeFor(cmd), {1}))) << int(cmd);
    EXPECT_EQ(0xE2, ReplyCodeFor(kSetLightBrightness));
    EXPECT_EQ(0xFA, ReplyCodeFor(kFactoryReset));
    EXPECT_EQ(0xFB, ReplyCodeFor(kRestartController));

    EXPECT_EQ(1, IsFanReplyOk(2, parse(0xD2, {1, 2})));
    EXPECT_EQ(0, IsFanReplyOk(2, parse(0xD2, {1, 3})));  // another fan echoed
    EXPECT_EQ(0, IsFanReplyOk(2, parse(0xD2, {0, 2})));
    EXPECT_EQ(0, IsFanReplyOk(2, parse(0xD2, {1})));
    EXPECT_EQ(0, IsFanReplyOk(2, parse(0x52, {1, 2})));

    EXPECT_EQ(1, IsVersionReplyOk(parse(0x81, {})));
    EXPECT_EQ(1, IsVersionReplyOk(parse(0x81, Bytes(40, 'v'))));
    EXPECT_EQ(0, IsVersionReplyOk(parse(0x01, {'1'})));
}

TEST(VersionText, BytesBecomeText) {
    const char* v = "VENTARO-CTL105";
    EXPECT_EQ(L"VENTARO-CTL105", VersionTextFromBytes(reinterpret_cast<const uint8_t*>(v), 14));
    const uint8_t withZero[] = {'1', '0', 0, '5'};
    EXPECT_EQ(L"10", VersionTextFromBytes(withZero, 4));
    EXPECT_EQ(L"", VersionTextFromBytes(withZero, 0));
    EXPECT_EQ(L"", VersionTextFromBytes(nullptr, 3));
}

TEST(PathChoice, FirstMatchingPathWinsInLowerCase) {
    const std::vector<std::wstring> paths = {
        L"\\\\?\\hid#vid_046d&pid_c077#7&1&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
        L"\\\\?\\HID#VID_2C25&PID_D001&MI_00#8&AB&0&0000#{4D1E55B2-F16F-11CF-88CB-001111000030}",
        L"\\\\?\\hid#vid_2c25&pid_d001&mi_01#8&cd&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
    };
    EXPECT_EQ(L"\\\\?\\hid#vid_2c25&pid_d001&mi_00#8&ab&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
              SelectControllerPath(paths));
}

TEST(PathChoice, BothTextsAreNeeded) {
    EXPECT_EQ(L"", SelectControllerPath({}));
    EXPECT_EQ(L"", SelectControllerPath({L"\\\\?\\hid#vid_2c25&pid_0001", L"\\\\?\\hid#vid_1234&pid_d001"}));
    // Anywhere in the path, in either order.
    EXPECT_EQ(L"x_d001_y_2c25", SelectControllerPath({L"X_D001_Y_2C25"}));
    EXPECT_EQ(L"abc", LowerAscii(L"AbC"));
}

// Random and truncated input reports: the assembler stays in its buffer,
// never trusts a count it cannot hold, and finishes with a consistent frame.
TEST(ReplyFuzz, RandomReportsNeverOverrunAndCompleteConsistently) {
    std::mt19937 rng(20261207);
    int completed = 0, malformed = 0;
    for (int round = 0; round < 20000; ++round) {
        COVReplyAssembler a;
        for (int i = 0; i < 40 && a.GetState() == COVReplyAssembler::kNeedMore; ++i) {
            const size_t size = rng() % 4 == 0 ? rng() % 21 : 20;
            Bytes r(size);
            for (auto& b : r) b = static_cast<uint8_t>(rng());
            if (size >= 2 && rng() % 2) r[1] = static_cast<uint8_t>(rng() % 19);
            if (size >= 4 && i == 0 && rng() % 2) r[3] = static_cast<uint8_t>(rng() % 40);
            a.AddReport(r.data(), r.size());
            ASSERT_LE(a.Count(), kReplyBufferSize);
            if (a.ExpectedTotal()) {
                ASSERT_LE(a.Count(), a.ExpectedTotal());
            }
        }
        if (a.GetState() == COVReplyAssembler::kComplete) {
            ++completed;
            ASSERT_EQ(a.ExpectedTotal(), a.Count());
            ASSERT_EQ(size_t(a.Frame()[1]) + 5, a.Count());
            ReplyFrame reply;
            if (ParseReplyFrame(a.Frame(), a.Count(), &reply)) {
                ASSERT_EQ(a.Frame()[0], 0xAA);
                ASSERT_EQ(size_t(a.Frame()[1]) - 1, reply.payloadLength);
            }
        } else if (a.GetState() == COVReplyAssembler::kMalformed) {
            ++malformed;
        }
    }
    EXPECT_GT(completed, 100);
    EXPECT_GT(malformed, 100);
}

TEST(ReplyFuzz, RandomSplitsOfValidFramesReassembleExactly) {
    std::mt19937 rng(99);
    for (int round = 0; round < 5000; ++round) {
        Bytes payload(rng() % 250);
        for (auto& b : payload) b = static_cast<uint8_t>(rng());
        const Bytes frame = EncodeFrame(static_cast<uint8_t>(rng()), payload.data(), payload.size());
        COVReplyAssembler a;
        size_t off = 0;
        while (off < frame.size()) {
            const size_t c = std::min<size_t>(rng() % 19, frame.size() - off);
            a.AddReport(InputReport(Bytes(frame.begin() + off, frame.begin() + off + c)).data(), 20);
            off += c;
            ASSERT_NE(COVReplyAssembler::kMalformed, a.GetState());
        }
        ASSERT_EQ(COVReplyAssembler::kComplete, a.GetState());
        ReplyFrame reply;
        ASSERT_EQ(1, ParseReplyFrame(a.Frame(), a.Count(), &reply));
        ASSERT_EQ(payload, Bytes(reply.payload, reply.payload + reply.payloadLength));
    }
}

TEST(ReplyFuzz, TruncatedFramesNeverParse) {
    const Bytes frame = EncodeFrame(0x81, Bytes(30, 'q').data(), 30);
    ReplyFrame reply;
    for (size_t n = 0; n < frame.size(); ++n) EXPECT_EQ(0, ParseReplyFrame(frame.data(), n, &reply)) << n;
    EXPECT_EQ(1, ParseReplyFrame(frame.data(), frame.size(), &reply));
}
