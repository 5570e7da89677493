#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>

#include "CpuSensingCtrl.h"
#include "FakeSensing.h"
#include "TemperatureSource.h"
#include "TestPaths.h"

namespace {

using Clock = std::chrono::steady_clock;

MsrSourceFactory Readouts(std::deque<uint32_t> values) {
    return [values] { return std::make_unique<CFakeMsrSource>(values); };
}

TEST(Sensing, ReportsIdentityLoadTemperatureAndAutoSteps) {
    // 35 -> 65 C (hot), 0 -> no reading, 110 -> -10 C (counts as hot),
    // 55 -> 45 C, 70 -> 30 C, then the reads fail.
    CCpuSensingCtrl sensing(Readouts({35, 0, 110, 55, 70}), 20);
    CRecordingSink sink(1);
    ASSERT_EQ(1, sensing.StartSensing(&sink));
    EXPECT_EQ(1, sensing.IsRunning());
    ASSERT_TRUE(sink.WaitForLoads(8));
    EXPECT_EQ(1, sensing.StopSensing());
    EXPECT_EQ(0, sensing.IsRunning());

    sink.Read([&] {
        ASSERT_EQ(1u, sink.processors.size());
        EXPECT_FALSE(sink.processors[0].name.empty());
        EXPECT_EQ((std::vector<int>{65, -10, 45, 30}), sink.temperatures);
        EXPECT_EQ((std::vector<int>{15, 15, 10, 6}), sink.autoLevels);
        for (int load : sink.loads) {
            EXPECT_GE(load, 0);
            EXPECT_LE(load, 100);
        }
    });
}

TEST(Sensing, ManualModeShowsTemperatureButNeverStepsFans) {
    CCpuSensingCtrl sensing(Readouts({35, 45}), 20);
    CRecordingSink sink(0);
    ASSERT_EQ(1, sensing.StartSensing(&sink));
    ASSERT_TRUE(sink.WaitForLoads(3));
    // Nobody wants readings (a hidden window, manual fans): none come, until woken.
    sink.wants = 0;
    Sleep(100);
    const size_t paused = sink.Read([&] { return sink.loads.size(); });
    Sleep(200);
    EXPECT_EQ(paused, sink.Read([&] { return sink.loads.size(); }));
    sink.wants = 1;
    sensing.Wake();
    EXPECT_TRUE(sink.WaitForLoads(paused + 1, std::chrono::seconds(5)));
    sensing.StopSensing();
    sink.Read([&] {
        EXPECT_EQ((std::vector<int>{65, 55}), sink.temperatures);
        EXPECT_TRUE(sink.autoLevels.empty());
    });
}

TEST(Sensing, WithoutDriverTheThreadStillReportsLoad) {
    // The product's source: the suites' folder has no "help.sys".
    CCpuSensingCtrl sensing;
    CRecordingSink sink(1);
    ASSERT_EQ(1, sensing.StartSensing(&sink));
    ASSERT_TRUE(sink.WaitForLoads(2));
    const auto before = Clock::now();
    sensing.StopSensing();
    const auto stopMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - before).count();
    std::printf("StopSensing with the driver path took %lld ms\n", static_cast<long long>(stopMs));
    sink.Read([&] {
        EXPECT_TRUE(sink.temperatures.empty());
        EXPECT_TRUE(sink.autoLevels.empty());
        EXPECT_GE(sink.loads.size(), 2u);
    });
}

TEST(Sensing, StopDoesNotWaitOutTheInterval) {
    // With a 60 s interval, a stop that slept the interval out would take a
    // minute; it must end the wait at once.
    CCpuSensingCtrl sensing(Readouts({35}), 60000);
    CRecordingSink sink(0);
    ASSERT_EQ(1, sensing.StartSensing(&sink));
    ASSERT_TRUE(sink.WaitForLoads(1));
    // Not for correctness: give the thread time to finish its reads and enter
    // the wait, so that a stop which only clears the running flag is caught.
    Sleep(500);
    const auto before = Clock::now();
    sensing.StopSensing();
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(30));
}

TEST(Sensing, StartStopEdges) {
    CCpuSensingCtrl sensing(Readouts({}), 20);
    EXPECT_EQ(0, sensing.StartSensing(nullptr));
    EXPECT_EQ(0, sensing.IsRunning());
    EXPECT_EQ(1, sensing.StopSensing());  // nothing to stop

    CRecordingSink sink(1);
    ASSERT_EQ(1, sensing.StartSensing(&sink));
    EXPECT_EQ(1, sensing.StartSensing(&sink));  // already running: no second thread
    ASSERT_TRUE(sink.WaitForLoads(2));
    sensing.StopSensing();
    // Restart after a stop works and identifies the processor again.
    CRecordingSink again(1);
    ASSERT_EQ(1, sensing.StartSensing(&again));
    ASSERT_TRUE(again.WaitForLoads(1));
    sensing.StopSensing();
    again.Read([&] { EXPECT_EQ(1u, again.processors.size()); });
}

TEST(Sensing, NoSourceAndDestructionStops) {
    CRecordingSink sink(1);
    {
        CCpuSensingCtrl sensing([] { return std::unique_ptr<CMsrSource>(); }, 20);
        ASSERT_EQ(1, sensing.StartSensing(&sink));
        ASSERT_TRUE(sink.WaitForLoads(2));
    }  // the destructor ends the thread before the sink goes
    const size_t seen = sink.Read([&] { return sink.loads.size(); });
    Sleep(100);
    EXPECT_EQ(seen, sink.Read([&] { return sink.loads.size(); }));
    sink.Read([&] { EXPECT_TRUE(sink.temperatures.empty()); });
}

TEST(Sensing, HungWmiNeitherHoldsTheStartNorTheStop) {
    // WMI that answers only when told to, as a hung service would.
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto sink = std::make_unique<CRecordingSink>(1);
    {
        CCpuSensingCtrl sensing(Readouts({35, 35, 35}), 20);
        sensing.SetWmiConnector([release](CWmiSession* wmi) {
            WaitForSingleObject(release, INFINITE);
            return wmi->Connect();
        });
        const auto t0 = Clock::now();
        EXPECT_EQ(1, sensing.StartSensing(sink.get())) << "the thread keeps trying; the figures stay empty";
        EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(CCpuSensingCtrl::kSetupWaitMs + 2000));
        const auto t1 = Clock::now();
        EXPECT_EQ(1, sensing.StopSensing());
        EXPECT_LT(Clock::now() - t1, std::chrono::milliseconds(CCpuSensingCtrl::kStopWaitMs + 2000));
    }
    // WMI answers late: the thread left behind must never reach the sink,
    // which may be gone by now (the page at exit).
    SetEvent(release);
    Sleep(500);
    sink->Read([&] {
        EXPECT_TRUE(sink->processors.empty());
        EXPECT_TRUE(sink->loads.empty());
    });
    CloseHandle(release);
}

TEST(Sensing, TemperatureFileIsReadEverySecondAndAbsenceIsNoReading) {
    const std::wstring path = testpaths::MakeTempDir(L"tempfile") + L"cpu.txt";
    auto write = [&](const char* text) {
        FILE* f = _wfopen(path.c_str(), L"wb");
        ASSERT_NE(nullptr, f);
        std::fputs(text, f);
        std::fclose(f);
    };
    // The product's own choice of source, through the environment.
    SetEnvironmentVariableW(kTemperatureFileVariable, path.c_str());
    CCpuSensingCtrl sensing;
    CRecordingSink sink(1);
    ASSERT_EQ(1, sensing.StartSensing(&sink));
    ASSERT_TRUE(sink.WaitForLoads(2));
    sink.Read([&] { EXPECT_TRUE(sink.temperatures.empty()) << "no file, no reading"; });

    write("65\r\n");
    ASSERT_TRUE(sink.WaitForLoads(4));
    write("garbage");
    ASSERT_TRUE(sink.WaitForLoads(6));
    write("-3");
    ASSERT_TRUE(sink.WaitForLoads(8));
    sensing.StopSensing();
    SetEnvironmentVariableW(kTemperatureFileVariable, nullptr);
    DeleteFileW(path.c_str());

    sink.Read([&] {
        // Each value for the seconds it stood in the file, nothing for the garbage.
        ASSERT_FALSE(sink.temperatures.empty());
        std::vector<int> distinct;
        for (int t : sink.temperatures)
            if (distinct.empty() || distinct.back() != t) distinct.push_back(t);
        EXPECT_EQ((std::vector<int>{65, -3}), distinct);
        EXPECT_EQ(sink.temperatures.size(), sink.autoLevels.size());
        EXPECT_EQ(15, sink.autoLevels.back());
    });
}

TEST(Sensing, FileSourceReadsFreshAtEveryCall) {
    const std::wstring path = testpaths::MakeTempDir(L"tempfile") + L"cpu.txt";
    auto source = FileTemperatureSource(path);
    int t = 0;
    EXPECT_EQ(0, source->ReadTemperature(&t));
    // Held open for writing by someone else, as a script rewriting it would.
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    DWORD n = 0;
    WriteFile(writer, "42\n", 3, &n, nullptr);
    EXPECT_EQ(1, source->ReadTemperature(&t));
    EXPECT_EQ(42, t);
    SetFilePointer(writer, 0, nullptr, FILE_BEGIN);
    WriteFile(writer, "71\n", 3, &n, nullptr);
    EXPECT_EQ(1, source->ReadTemperature(&t));
    EXPECT_EQ(71, t);
    CloseHandle(writer);
    DeleteFileW(path.c_str());
    EXPECT_EQ(0, source->ReadTemperature(&t));
}

}  // namespace
