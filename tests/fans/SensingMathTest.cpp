#include <gtest/gtest.h>

#include <climits>

#include "SensingMath.h"

namespace {

// The readout sits in bits 16 to 22 of the low half.
uint32_t Readout(uint32_t value) { return value << 16; }

TEST(Temperature, ReadoutIsDistanceBelowOneHundred) {
    EXPECT_EQ(65, TemperatureFromReadout(Readout(35)));
    EXPECT_EQ(kNoTemperature, TemperatureFromReadout(Readout(0)));
    EXPECT_EQ(kNoTemperature, TemperatureFromReadout(0));
    EXPECT_EQ(1, TemperatureFromReadout(Readout(99)));
}

TEST(Temperature, OnlySevenReadoutBitsCount) {
    // Bits outside 16..22 (status flags, the valid bit 31) do not change it.
    EXPECT_EQ(65, TemperatureFromReadout(Readout(35) | 0x8000FFFFu | (1u << 23)));
    EXPECT_EQ(100 - 127, TemperatureFromReadout(Readout(0x7F)));
}

TEST(Temperature, ReadoutAboveOneHundredIsNegativeAndCountsAsHot) {
    const int t = TemperatureFromReadout(Readout(110));
    EXPECT_EQ(-10, t);
    EXPECT_EQ(15, AutoFanLevel(t));
}

TEST(FanLevels, AutomaticThresholds) {
    EXPECT_EQ(6, AutoFanLevel(0));
    EXPECT_EQ(6, AutoFanLevel(39));
    EXPECT_EQ(10, AutoFanLevel(40));
    EXPECT_EQ(10, AutoFanLevel(60));
    EXPECT_EQ(15, AutoFanLevel(61));
    EXPECT_EQ(15, AutoFanLevel(99));
    EXPECT_EQ(15, AutoFanLevel(-1));
}

TEST(FanLevels, ManualSpeeds) {
    EXPECT_EQ(6, ManualFanLevel(0));
    EXPECT_EQ(6, ManualFanLevel(15));
    EXPECT_EQ(6, ManualFanLevel(19));
    EXPECT_EQ(7, ManualFanLevel(20));
    EXPECT_EQ(8, ManualFanLevel(39));
    EXPECT_EQ(14, ManualFanLevel(99));
    EXPECT_EQ(15, ManualFanLevel(100));
    // A speed typed into the settings file by hand stays within 6 to 15.
    EXPECT_EQ(15, ManualFanLevel(101));
    EXPECT_EQ(15, ManualFanLevel(1000));
    EXPECT_EQ(15, ManualFanLevel(INT_MAX));
    EXPECT_EQ(6, ManualFanLevel(-50));
    EXPECT_EQ(6, ManualFanLevel(INT_MIN));
}

TEST(Load, FormulaIsShareOfNonIdleTime) {
    LoadSamplerState s;
    s.idle = 1000;
    s.kernel = 2000;  // includes idle
    s.user = 500;
    // 600 idle of 800 kernel + 200 user since the previous sample: 40 % busy.
    EXPECT_EQ(40, ComputeLoad(s, 1600, 2800, 700));
    EXPECT_EQ(1600, s.idle);
    EXPECT_EQ(2800, s.kernel);
    EXPECT_EQ(700, s.user);
    // Truncated, not rounded: 1 - 2/3 = 33.3 %.
    EXPECT_EQ(33, ComputeLoad(s, 1600 + 200, 2800 + 250, 700 + 50));
}

TEST(Load, FirstCallMeasuresSinceSystemStart) {
    LoadSamplerState s;  // previous values 0
    EXPECT_EQ(75, ComputeLoad(s, 250, 800, 200));
}

TEST(Load, ZeroIntervalRepeatsThePreviousLoad) {
    LoadSamplerState s;
    EXPECT_EQ(75, ComputeLoad(s, 250, 800, 200));
    // Same tick: no time passed at all.
    EXPECT_EQ(75, ComputeLoad(s, 250, 800, 200));
    // Fresh state with zero times.
    LoadSamplerState fresh;
    EXPECT_EQ(0, ComputeLoad(fresh, 0, 0, 0));
}

TEST(Load, ResultStaysWithinZeroToHundred) {
    LoadSamplerState s;
    // Idle sampled a moment after busy: more idle than busy time.
    EXPECT_EQ(0, ComputeLoad(s, 1200, 1000, 0));
    // Counters that went backwards.
    EXPECT_EQ(0, ComputeLoad(s, 1100, 900, 0));
    EXPECT_EQ(100, ComputeLoad(s, 900, 1900, 100));
}

TEST(Load, SystemTimeHalvesCombine) {
    EXPECT_DOUBLE_EQ(4294967296.0 * 2 + 5, SystemTimeToDouble(5, 2));
    EXPECT_DOUBLE_EQ(4294967295.0, SystemTimeToDouble(0xFFFFFFFFu, 0));
}

TEST(Texts, WhatTheFanPageShows) {
    EXPECT_EQ(L"3600M", MaxClockText(3600));
    EXPECT_EQ(L"12V", VoltageText(12));
    EXPECT_EQ(L"-1%", LoadText(-1));
    EXPECT_EQ(L"65℃\nCPU", TemperatureText(65));
}

TEST(Texts, ClockRatio) {
    EXPECT_EQ(50, ClockRatioPercent(1800, 3600));
    EXPECT_EQ(33, ClockRatioPercent(1, 3));
    EXPECT_EQ(0, ClockRatioPercent(2000, 0));  // unknown maximum: no division by zero
    EXPECT_EQ(100, ClockRatioPercent(0xFFFFFFFFu, 0xFFFFFFFFu));
}

}  // namespace
