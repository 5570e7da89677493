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

TEST(TemperatureFile, FirstLineInDegrees) {
    int t = 0;
    struct Case {
        const char* text;
        int ok;
        int celsius;
    };
    const Case cases[] = {
        {"65", 1, 65},          {"65\n", 1, 65},       {" 45 \r\n12\n", 1, 45}, {"\xEF\xBB\xBF" "30\r\n", 1, 30},
        {"-5", 1, -5},          {"+7", 1, 7},           {"61.9", 1, 61},        {"0", 1, 0},
        {"100", 1, 100},        {"9999", 1, 9999},      {"", 0, 0},             {"\n65", 0, 0},
        {"abc", 0, 0},          {"65C", 0, 0},          {"6 5", 0, 0},          {"-", 0, 0},
        {"12345", 0, 0},        {"99999999999999", 0, 0}, {".5", 0, 0},        {"--5", 0, 0},
    };
    for (const Case& c : cases) {
        t = -12345;
        EXPECT_EQ(c.ok, ParseTemperatureLine(c.text, &t)) << c.text;
        EXPECT_EQ(c.ok ? c.celsius : -12345, t) << c.text << " (untouched on failure)";
    }
}

TEST(Texts, PieSweepStaysWithinTheCircle) {
    EXPECT_FLOAT_EQ(0.0f, TemperaturePieSweep(0));
    EXPECT_FLOAT_EQ(180.0f, TemperaturePieSweep(50));
    EXPECT_FLOAT_EQ(234.0f, TemperaturePieSweep(65));
    EXPECT_FLOAT_EQ(360.0f, TemperaturePieSweep(100));
    for (int t : {-27, -1, 101, 127, 9999, INT_MAX, INT_MIN}) {
        const float sweep = TemperaturePieSweep(t);
        EXPECT_GE(sweep, 0.0f) << t;
        EXPECT_LE(sweep, 360.0f) << t;
    }
}

TEST(Texts, FanModeForTheAccountPage) {
    EXPECT_EQ(L"自动  80%", FanModeText(1, 80));
    EXPECT_EQ(L"手动  80%", FanModeText(0, 80));
    EXPECT_EQ(L"手动  0%", FanModeText(0, 0));
    EXPECT_EQ(L"55%", SpeedText(55));
}

}  // namespace
