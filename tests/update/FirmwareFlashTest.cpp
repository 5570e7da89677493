// The firmware update's work end to end below the page: the version request
// and the download against the web stand-in, the controller simulator's
// connection, and the Zentaflash stand-in as the tool.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include <map>
#include <mutex>
#include <vector>

#include "FirmwareFlash.h"
#include "OVFanLedDevice.h"
#include "SimHarness.h"
#include "UpdateChecks.h"
#include "UpdateRules.h"
#include "TextConv.h"
#include "StandInLog.h"
#include "WebServiceStub.h"

namespace {

// Intel HEX with CR LF line ends: any text-mode handling on the way to the
// tool would show in its size or hash.
std::string FirmwareBytes() {
    std::string hex;
    char text[16];
    for (unsigned address = 0; address < 640 * 16; address += 16) {
        unsigned sum = 16 + (address >> 8) + (address & 0xFF);
        std::snprintf(text, sizeof text, ":10%04X00", address);
        hex += text;
        for (unsigned i = 0; i < 16; ++i) {
            const unsigned byte = ((address + i) * 7) & 0xFF;
            sum += byte;
            std::snprintf(text, sizeof text, "%02X", byte);
            hex += text;
        }
        std::snprintf(text, sizeof text, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
        hex += text;
    }
    return hex + ":00000001FF\r\n";
}

uint64_t Fnv1a(const std::string& bytes) {
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return h;
}

std::map<std::string, std::string> ReadLog(const std::wstring& path) { return standin::ParseLog(simharness::ReadFileText(path)); }

int CountProcesses(const wchar_t* image) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W e{};
    e.dwSize = sizeof e;
    int n = 0;
    for (BOOL more = Process32FirstW(snap, &e); more; more = Process32NextW(snap, &e)) {
        const wchar_t* name = e.szExeFile;
        for (const wchar_t* p = e.szExeFile; *p; ++p)
            if (*p == L'\\') name = p + 1;
        if (lstrcmpiW(name, image) == 0) ++n;
    }
    CloseHandle(snap);
    return n;
}

// Records what the flash does to the interface and the controller; waits are
// short so a test does not sit through seven seconds.
class RecordingHost : public IFlashHost {
public:
    explicit RecordingHost(COVFanLedDevice* device, simharness::CSimProcess* sim) : device_(device), sim_(sim) {}
    void SetProgress(uint32_t percent) override {
        std::lock_guard<std::mutex> g(lock_);
        steps.push_back("progress " + std::to_string(percent));
    }
    void CloseController() override {
        device_->CloseDevice();
        std::lock_guard<std::mutex> g(lock_);
        steps.push_back("close");
    }
    int OpenController() override {
        // The simulator must have seen the connection go while the tool ran.
        const int ok = device_->OpenDevice();
        std::lock_guard<std::mutex> g(lock_);
        steps.push_back(ok ? "open" : "open failed");
        return ok;
    }
    void Wait(uint32_t milliseconds) override {
        Sleep(milliseconds / 20);
        std::lock_guard<std::mutex> g(lock_);
        steps.push_back("wait " + std::to_string(milliseconds));
    }
    int Cancelled() override { return cancelled; }
    std::vector<std::string> steps;
    int cancelled = 0;

private:
    std::mutex lock_;
    COVFanLedDevice* device_;
    simharness::CSimProcess* sim_;
};

class FirmwareFlash : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(webstub::Port(), 0) << "stand-in not running (VENTARO_WEB_PORT_FILE)";
        webstub::Reset();
        ASSERT_TRUE(sim_.Ready());
        // A data folder with a blank in its name, as under "C:\Users\Li Lei\".
        dir_ = testpaths::MakeTempDir(L"flash") + L"data folder\\";
        CreateDirectoryW(dir_.c_str(), nullptr);
        files_.firmwareFile = dir_ + updaterules::kFirmwareFile;
        files_.toolFile = simharness::BinPath(L"Zentaflash.exe");
        log_ = dir_ + L"zentaflash.log";
        control_ = sim_.StatePath().substr(0, sim_.StatePath().size() - 9) + L"control.txt";
        SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", webstub::HostPortText().c_str());
        SetEnvironmentVariableW(L"ZENTAFLASH_LOG", log_.c_str());
        SetEnvironmentVariableW(L"ZENTAFLASH_SIM_STATE", sim_.StatePath().c_str());
        SetEnvironmentVariableW(L"ZENTAFLASH_SIM_CONTROL", control_.c_str());
        SetEnvironmentVariableW(L"ZENTAFLASH_NEW_VERSION", L"VENTARO-CTL106");
        SetEnvironmentVariableW(L"ZENTAFLASH_EXIT", nullptr);
        SetEnvironmentVariableW(L"ZENTAFLASH_LINGER", nullptr);
        device_.UseDevicePath(sim_.PipePath());
        ASSERT_EQ(device_.OpenDevice(), 1);
        webstub::Control(L"file?path=/fw/Firmware.hex", firmware_);
    }

    std::wstring Address() {
        uint32_t version = 0;
        std::wstring address;
        EXPECT_EQ(QueryNewFirmware(&version, &address), 1);
        return address;
    }

    // The controller is still (or again) ours: a query goes through.
    std::wstring ControllerVersion() {
        std::wstring text;
        return device_.QueryVersion(&text) ? text : L"<no answer>";
    }

    simharness::CSimProcess sim_;
    COVFanLedDevice device_;
    RecordingHost host_{&device_, &sim_};
    FlashFiles files_;
    std::wstring dir_, log_, control_;
    const std::string firmware_ = FirmwareBytes();
};

}  // namespace

TEST_F(FirmwareFlash, VersionRequestTrafficAndBothReplyShapes) {
    uint32_t version = 0;
    std::wstring address;
    webstub::Control(L"firmware?version=106");
    ASSERT_EQ(QueryNewFirmware(&version, &address), 1);
    EXPECT_EQ(version, 106u);
    EXPECT_EQ(address, L"http:\\\\" + webstub::HostPortText() + L"\\fw\\Firmware.hex");

    webstub::Control(L"firmware?version=107&tail=1");
    ASSERT_EQ(QueryNewFirmware(&version, &address), 1);
    EXPECT_EQ(version, 107u);
    EXPECT_EQ(address, L"http:\\\\" + webstub::HostPortText() + L"\\fw\\Firmware.hex");

    const auto traffic = webstub::Traffic();
    ASSERT_EQ(traffic.size(), 2u);
    EXPECT_EQ(traffic[0].verb, "POST");
    EXPECT_EQ(traffic[0].path, "/api_new/website/api.php/v1_1/version/getnewversion");
    EXPECT_EQ(traffic[0].body, "key=pc&softType=200");
    EXPECT_EQ(traffic[0].Header("Content-Type"), std::vector<std::string>{"application/x-www-form-urlencoded"});

    // An error page or an empty reply is a failed request, not "no newer version".
    webstub::Fault(L"mode=500&path=/api_new/");
    EXPECT_EQ(QueryNewFirmware(&version, &address), 0);
    webstub::Fault(L"mode=empty&path=/api_new/");
    EXPECT_EQ(QueryNewFirmware(&version, &address), 0);
}

TEST_F(FirmwareFlash, SuccessHandsTheToolTheExactFileWithTheControllerReleased) {
    webstub::Control(L"firmware?version=106&tail=1");
    const std::wstring address = Address();
    webstub::Clear();
    EXPECT_EQ(sim_.Value("connections"), "1");

    ASSERT_EQ(FlashFirmware(address, files_, &host_), 1);

    const auto traffic = webstub::Traffic();
    ASSERT_EQ(traffic.size(), 1u);
    EXPECT_EQ(traffic[0].verb, "GET");
    EXPECT_EQ(traffic[0].path, "/fw/Firmware.hex");

    auto log = ReadLog(log_);
    EXPECT_EQ(log["cmdline"].find(" silence reset \""), 0u) << log["cmdline"];
    EXPECT_EQ(log["file"], textconv::WideToUtf8(files_.firmwareFile));
    EXPECT_EQ(log["size"], std::to_string(firmware_.size()));
    char hash[32];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(firmware_)));
    EXPECT_EQ(log["fnv"], hash);
    EXPECT_EQ(log["connections"], "0");  // nobody held the controller while it flashed
    EXPECT_EQ(log["exit"], "1");

    const std::vector<std::string> expected = {
        "progress 20", "close",       "wait 1000",   "progress 30", "wait 1000",    "progress 40",
        "wait 1000",   "progress 50", "wait 1000",   "progress 60", "wait 1000",    "progress 70",
        "wait 1000",   "progress 80", "wait 1000",   "progress 90", "progress 100", "wait 1000",
        "open"};
    EXPECT_EQ(host_.steps, expected);
    EXPECT_EQ(ControllerVersion(), L"VENTARO-CTL106");
    EXPECT_EQ(sim_.Value("connections"), "1");
}

TEST_F(FirmwareFlash, FailedDownloadsNeverReachTheToolNorReleaseTheController) {
    const std::wstring address = Address();
    for (const wchar_t* fault : {L"mode=404&path=/fw/", L"mode=short&path=/fw/", L"mode=500&path=/fw/"}) {
        SCOPED_TRACE(testing::Message() << fault);
        webstub::Fault(fault);
        simharness::WriteFileText(files_.firmwareFile, "stale firmware of an earlier run");
        EXPECT_EQ(FlashFirmware(address, files_, &host_), 0);
        EXPECT_TRUE(host_.steps.empty());
        EXPECT_FALSE(webstub::FileExists(files_.firmwareFile));
        EXPECT_FALSE(webstub::FileExists(log_));  // the tool never ran
        EXPECT_EQ(ControllerVersion(), L"VENTARO-CTL105");
        EXPECT_EQ(sim_.Value("connections"), "1");
    }
    // Whatever arrives whole but is not firmware, or is announced too large.
    std::string broken = firmware_;
    broken[broken.size() - 20] ^= 1;  // one checksum no longer adds up
    for (const std::string& body : {std::string("<html>maintenance</html>"), broken}) {
        webstub::Control(L"file?path=/fw/Firmware.hex", body);
        EXPECT_EQ(FlashFirmware(address, files_, &host_), 0);
        EXPECT_FALSE(webstub::FileExists(files_.firmwareFile));
    }
    const std::wstring tooLarge = L"http:\\\\" + webstub::HostPortText() + L"\\gen\\4194305.bin";
    EXPECT_EQ(FlashFirmware(tooLarge, files_, &host_), 0);
    EXPECT_FALSE(webstub::FileExists(files_.firmwareFile));
    EXPECT_TRUE(host_.steps.empty());
    EXPECT_FALSE(webstub::FileExists(log_));
    EXPECT_EQ(ControllerVersion(), L"VENTARO-CTL105");
    // A host that does not answer at all.
    EXPECT_EQ(FlashFirmware(L"http:\\\\127.0.0.1:1\\fw\\Firmware.hex", files_, &host_), 0);
    EXPECT_EQ(FlashFirmware(L"", files_, &host_), 0);
    EXPECT_TRUE(host_.steps.empty());
    EXPECT_FALSE(webstub::FileExists(log_));
}

TEST_F(FirmwareFlash, FailingToolIsCleanedUpByImageNameAndTheControllerComesBack) {
    const std::wstring address = Address();
    SetEnvironmentVariableW(L"ZENTAFLASH_EXIT", L"0");
    SetEnvironmentVariableW(L"ZENTAFLASH_LINGER", L"1");
    ASSERT_EQ(FlashFirmware(address, files_, &host_), 0);
    auto log = ReadLog(log_);
    EXPECT_EQ(log["exit"], "0");
    EXPECT_NE(log["helper"], "") << "the helper was started";
    EXPECT_EQ(CountProcesses(L"Flit.exe"), 0) << "the lingering helper was ended";
    ASSERT_FALSE(host_.steps.empty());
    EXPECT_EQ(host_.steps.back(), "open");
    EXPECT_EQ(ControllerVersion(), L"VENTARO-CTL105");  // not flashed

    // A hung tool is ended once the longest flash is over.
    host_.steps.clear();
    files_.toolTimeoutMs = 1500;
    SetEnvironmentVariableW(L"ZENTAFLASH_DELAY_MS", L"60000");
    const DWORD t0 = GetTickCount();
    EXPECT_EQ(FlashFirmware(address, files_, &host_), 0);
    EXPECT_LT(GetTickCount() - t0, 30000u);
    SetEnvironmentVariableW(L"ZENTAFLASH_DELAY_MS", nullptr);
    EXPECT_EQ(CountProcesses(L"Zentaflash.exe"), 0);
    ASSERT_FALSE(host_.steps.empty());
    EXPECT_EQ(host_.steps.back(), "open");
    EXPECT_EQ(ControllerVersion(), L"VENTARO-CTL105");

    // The program ending before the tool started: no tool, the controller stays.
    DeleteFileW(log_.c_str());
    host_.steps.clear();
    host_.cancelled = 1;
    EXPECT_EQ(FlashFirmware(address, files_, &host_), 0);
    EXPECT_FALSE(webstub::FileExists(log_));
    EXPECT_TRUE(host_.steps.empty());
    EXPECT_EQ(ControllerVersion(), L"VENTARO-CTL105");
    host_.cancelled = 0;

    // A tool that is not there fails the same way and still gives the controller back.
    host_.steps.clear();
    files_.toolFile = dir_ + L"Zentaflash.exe";
    EXPECT_EQ(FlashFirmware(address, files_, &host_), 0);
    ASSERT_FALSE(host_.steps.empty());
    EXPECT_EQ(host_.steps.back(), "open");
    EXPECT_EQ(ControllerVersion(), L"VENTARO-CTL105");
}
