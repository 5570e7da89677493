// Two threads share one controller handle, as the interface thread and the
// fan page's sensing thread do: 5,000 exchanges each, and the simulator must
// see nothing but well-formed requests while every reply fits its request.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "OVFanLedDevice.h"
#include "SimHarness.h"

TEST(DeviceStress, TwoThreadsShareOneHandle) {
    simharness::CSimProcess sim;
    ASSERT_TRUE(sim.Ready());
    COVFanLedDevice device;
    device.UseDevicePath(sim.PipePath());
    ASSERT_EQ(1, device.OpenDevice());
    // A loaded machine may stall the simulator for a moment; a time-out here
    // would be a false alarm, not a mixed-up reply.
    device.SetReplyTimeout(10000);
    constexpr int kPerThread = 5000;
    std::atomic<int> mismatches{0}, failures{0};

    // Fans: each reply must echo the index this request sent.
    std::thread fans([&] {
        for (int i = 0; i < kPerThread; ++i) {
            const uint8_t payload[2] = {static_cast<uint8_t>(i % 4), static_cast<uint8_t>(6 + i % 10)};
            uint8_t code = 0, reply[250] = {};
            size_t length = 0;
            if (!device.Transact(0x52, payload, 2, &code, reply, &length)) {
                ++failures;
                continue;
            }
            if (code != 0xD2 || length != 2 || reply[0] == 0 || reply[1] != payload[0]) ++mismatches;
        }
    });
    // Lights and version: each reply must carry this command's code and shape.
    std::thread lights([&] {
        for (int i = 0; i < kPerThread; ++i) {
            uint8_t code = 0, reply[250] = {};
            size_t length = 0;
            if (i % 2) {
                if (!device.Transact(0x01, nullptr, 0, &code, reply, &length)) {
                    ++failures;
                    continue;
                }
                if (code != 0x81 || std::string(reinterpret_cast<char*>(reply), length) != "VENTARO-CTL105") ++mismatches;
            } else {
                const uint8_t rgb[3] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), 7};
                if (!device.Transact(0x0A, rgb, 3, &code, reply, &length)) {
                    ++failures;
                    continue;
                }
                if (code != 0x8A || length != 1 || reply[0] == 0) ++mismatches;
            }
        }
    });
    fans.join();
    lights.join();
    EXPECT_EQ(0, failures.load());
    EXPECT_EQ(0, mismatches.load());
    auto s = sim.State();
    EXPECT_EQ("0", s["malformed_frames"]);
    EXPECT_EQ(std::to_string(2 * kPerThread), s["good_frames"]);
    EXPECT_EQ(std::to_string(2 * kPerThread), s["exchanges"]);
}
