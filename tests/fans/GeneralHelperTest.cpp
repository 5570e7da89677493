#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "FakeSensing.h"
#include "GeneralHelper.h"
#include "ProcessorInfo.h"
#include "TestPaths.h"
#include "WinHandles.h"

using win::CComApartment;
using win::CServiceHandle;

namespace {

TEST(GeneralHelper, MissingDriverFileReturnsZeroAndReadsFail) {
    const std::wstring empty = testpaths::MakeTempDir(L"nodriver");
    CGeneralHelper helper(empty);
    EXPECT_EQ(0, helper.StartDriver());
    EXPECT_EQ(empty + L"help.sys", helper.DriverPath());
    EXPECT_EQ(0, helper.IsDeviceOpen());
    uint32_t low = 7, high = 7;
    EXPECT_EQ(0, helper.ReadMsr(kThermalStatusMsr, &low, &high));
    EXPECT_EQ(7u, low);
    EXPECT_EQ(kNoTemperature, ReadCpuTemperature(helper));
}

TEST(GeneralHelper, ProgramFolderIsTheDefault) {
    // The suites' folder ships no driver.
    CGeneralHelper helper;
    EXPECT_EQ(0, helper.StartDriver());
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self);
    folder.resize(folder.find_last_of(L'\\'));
    EXPECT_EQ(folder + L"\\help.sys", helper.DriverPath());
}

TEST(GeneralHelper, StopDriverWithoutServiceIsNoError) {
    CGeneralHelper helper;
    EXPECT_EQ(1, helper.StopDriver());
    EXPECT_EQ(1, helper.StopDriver());
}

TEST(GeneralHelper, DriverFileThatIsNoDriverLeavesReadsFailing) {
    // The device cannot be opened, the service is tried and fails to start;
    // StartDriver still reports the file, every read fails, and StopDriver
    // leaves no service behind.
    const std::wstring dir = testpaths::MakeTempDir(L"baddriver");
    {
        HANDLE f = CreateFileW((dir + L"help.sys").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, f);
        DWORD written = 0;
        WriteFile(f, "not a driver", 12, &written, nullptr);
        CloseHandle(f);
    }
    CGeneralHelper helper(dir);
    helper.StopDriver();
    EXPECT_EQ(1, helper.StartDriver());
    EXPECT_EQ(0, helper.IsDeviceOpen());
    uint32_t low = 0, high = 0;
    EXPECT_EQ(0, helper.ReadMsr(kThermalStatusMsr, &low, &high));
    EXPECT_EQ(1, helper.StopDriver());

    CServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    ASSERT_TRUE(manager);
    CServiceHandle left(OpenServiceW(manager.Get(), CGeneralHelper::kServiceName, SERVICE_QUERY_STATUS));
    EXPECT_FALSE(left);
}

TEST(GeneralHelper, ReadMsrNeedsBothOutputs) {
    CGeneralHelper helper;
    uint32_t low = 0;
    EXPECT_EQ(0, helper.ReadMsr(kThermalStatusMsr, &low, nullptr));
    EXPECT_EQ(0, helper.ReadMsr(kThermalStatusMsr, nullptr, &low));
}

TEST(Temperature, ReadOnProcessorZeroAndAffinityRestored) {
    DWORD_PTR processMask = 0, systemMask = 0;
    ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask));
    HANDLE thread = GetCurrentThread();
    const DWORD_PTR original = SetThreadAffinityMask(thread, processMask);

    CFakeMsrSource source({35});
    EXPECT_EQ(65, ReadCpuTemperature(source));
    EXPECT_EQ(kThermalStatusMsr, source.lastIndex);
    EXPECT_EQ(static_cast<DWORD_PTR>(1), source.maskDuringRead);
    EXPECT_EQ(processMask, SetThreadAffinityMask(thread, processMask));
    // Out of readouts: the failed read gives no reading.
    EXPECT_EQ(kNoTemperature, ReadCpuTemperature(source));

    SetThreadAffinityMask(thread, original);
}

TEST(Load, SystemLoadIsAPercentage) {
    int load = -5;
    EXPECT_EQ(1, ReadSystemLoad(&load));
    EXPECT_GE(load, 0);
    EXPECT_LE(load, 100);
    // Two calls within one tick must not divide by zero.
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(1, ReadSystemLoad(&load));
        EXPECT_GE(load, 0);
        EXPECT_LE(load, 100);
    }
    CGeneralHelper helper;
    EXPECT_EQ(1, helper.ReadLoad(&load));
    EXPECT_GE(load, 0);
    EXPECT_LE(load, 100);
}

TEST(Wmi, ReturnsAProcessorWithAName) {
    CComApartment com(COINIT_MULTITHREADED);
    ASSERT_TRUE(com.Usable());
    CWmiSession wmi;
    ASSERT_EQ(1, wmi.Connect());
    std::vector<ProcessorRecord> processors;
    ASSERT_EQ(1, ReadProcessorInfo(wmi.Services(), &processors));
    ASSERT_GE(processors.size(), 1u);
    for (const ProcessorRecord& p : processors) {
        EXPECT_FALSE(p.name.empty());
        EXPECT_LT(p.name.size(), ProcessorRecord::kNameChars);
        EXPECT_LT(p.processorId.size(), ProcessorRecord::kProcessorIdChars);
    }
    // Appends: a second query doubles the list.
    const size_t first = processors.size();
    ASSERT_EQ(1, ReadProcessorInfo(wmi.Services(), &processors));
    EXPECT_EQ(first * 2, processors.size());
}

TEST(Wmi, NoServicesIsAFailure) {
    std::vector<ProcessorRecord> processors;
    EXPECT_EQ(0, ReadProcessorInfo(nullptr, &processors));
    EXPECT_TRUE(processors.empty());
}

}  // namespace
