// The real Ventaro.exe under Wine with the controller simulator, the web
// stand-in and the updater and flashing tool stand-ins (build\bin is its
// program folder), driven by real mouse input at the dump's rectangles.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <map>
#include <string>

#include "ProgramRunner.h"
#include "SimulatedController.h"
#include "TestPaths.h"
#include "UiDump.h"
#include "StandInLog.h"
#include "WebServiceStub.h"
#include "XDoTool.h"

namespace {

const testing::Environment* const kController =
    testing::AddGlobalTestEnvironment(new e2e::SimulatedControllerEnvironment);

// The program's paced second (VENTARO_PACE_MS): the silent check comes on
// the 30th tick, the flash and the restart wait a few of them.
constexpr DWORD kPaceMs = 100;

constexpr wchar_t kUpToDate[] = L"   已经是最新版本!                               ";

std::wstring VentaroExe() { return testpaths::BinaryDir() + L"\\bin\\Ventaro.exe"; }

std::wstring UnixShot(const std::wstring& name) {
    const char* dir = std::getenv("VENTARO_BINARY_DIR");
    std::wstring out;
    for (const char* p = dir ? dir : "/tmp"; *p; ++p) out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return out + L"/tests/update_shots/e2e_" + name + L".png";
}

std::map<std::string, std::string> ReadLog(const std::wstring& path) { return standin::ParseLog(e2e::ReadFileText(path)); }

int DescriptionRequests() {
    int n = 0;
    for (const auto& r : webstub::Traffic()) n += r.path == "/data/soft/host_drive/Refrescor.xml";
    return n;
}

simharness::CSimProcess* Sim() { return e2e::SimulatedControllerEnvironment::Sim(); }
int SimCount(const char* key) { return std::atoi(Sim()->Value(key).c_str()); }

class UpdateEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(FindWindowW(L"VentaroClass", L"Ventaro"), nullptr) << "another Ventaro runs";
        ASSERT_NE(webstub::Port(), 0) << "stand-in not running (VENTARO_WEB_PORT_FILE)";
        webstub::Reset();
        e2e::SimulatedControllerEnvironment::Point();
        CreateDirectoryW((testpaths::BinaryDir() + L"\\tests\\update_shots").c_str(), nullptr);
        const std::wstring dir = testpaths::MakeTempDir(L"updatee2e");
        dumpPath_ = dir + L"ui.txt";
        refrescoLog_ = dir + L"refresco.log";
        flashLog_ = dir + L"zentaflash.log";
        control_ = Sim()->StatePath().substr(0, Sim()->StatePath().size() - 9) + L"control.txt";
        simharness::WriteFileText(control_, "none\nversion=VENTARO-CTL105\n");
        const std::wstring host = webstub::HostPortText();
        for (const wchar_t* name : {L"VENTARO_ACCOUNT_HOST", L"VENTARO_DOWNLOAD_HOST", L"VENTARO_SWITCH_HOST",
                                    L"VENTARO_MEMBER_SITE"})
            SetEnvironmentVariableW(name, host.c_str());
        SetEnvironmentVariableW(L"VENTARO_UI_DUMP", dumpPath_.c_str());
        SetEnvironmentVariableW(L"VENTARO_PACE_MS", std::to_wstring(kPaceMs).c_str());
        SetEnvironmentVariableW(L"REFRESCO_LOG", refrescoLog_.c_str());
        SetEnvironmentVariableW(L"ZENTAFLASH_LOG", flashLog_.c_str());
        SetEnvironmentVariableW(L"ZENTAFLASH_SIM_STATE", Sim()->StatePath().c_str());
        SetEnvironmentVariableW(L"ZENTAFLASH_SIM_CONTROL", control_.c_str());
        SetEnvironmentVariableW(L"ZENTAFLASH_NEW_VERSION", L"VENTARO-CTL106");
        SetEnvironmentVariableW(L"ZENTAFLASH_EXIT", nullptr);
        SetEnvironmentVariableW(L"ZENTAFLASH_DELAY_MS", nullptr);
        wchar_t local[MAX_PATH] = {};
        GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
        firmwareFile_ = std::wstring(local) + L"\\Ventaro\\Firmware.hex";
        DeleteFileW(firmwareFile_.c_str());
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"VENTARO_UI_DUMP", nullptr);
        if (window_ && IsWindow(window_)) PostMessageW(window_, WM_COMMAND, 7002, 0);  // ID_EXIT
        if (program_.WaitExit(30000) < 0) program_.Kill();
        e2e::DeleteRunValue();
    }

    // noController: the start-up's "控制器连接失败!" system box is answered.
    void Launch(const std::wstring& arguments = L"", bool noController = false) {
        ASSERT_TRUE(program_.Start(VentaroExe(), L"\"" + VentaroExe() + L"\"" + arguments));
        window_ = e2e::WaitForVentaroWindow(program_.Pid(), 20000);
        ASSERT_NE(window_, nullptr);
        if (arguments == L" auto") return;  // hidden: nothing is drawn, so nothing is dumped yet
        ASSERT_TRUE(e2e::WaitFor([&] {
            if (noController) DismissSystemBox(0);  // the dump comes after it
            return uidump::Read(dumpPath_, &dump_);
        }, 30000));
        // The silent check of the 30th paced tick is let through first (it
        // finds nothing newer and shows nothing), so that it neither meets a
        // test's own offer nor counts in its traffic.
        ASSERT_TRUE(e2e::WaitFor([] { return DescriptionRequests() > 0; }, 30 * kPaceMs + 30000))
            << "no silent check";
        webstub::Clear();
    }
    // Home view -> update page.
    void OpenUpdatePage() {
        ASSERT_TRUE(Click(L"UpdateButton", L"软件升级"));
        ASSERT_TRUE(WaitShown(L"EnterButton", L"进入"));
        ASSERT_TRUE(Click(L"EnterButton", L"进入"));
        ASSERT_TRUE(WaitShown(L"UpdateButton", L"检查更新"));
    }
    bool WaitShown(const std::wstring& style, const std::wstring& text, DWORD ms = 10000) {
        return uidump::WaitFor(dumpPath_, [&](const uidump::Dump& d) { return d.Shown(style, text) != nullptr; }, ms,
                               &dump_);
    }
    bool WaitGone(const std::wstring& style, const std::wstring& text, DWORD ms = 10000) {
        return uidump::WaitFor(dumpPath_, [&](const uidump::Dump& d) { return d.Shown(style, text) == nullptr; }, ms,
                               &dump_);
    }
    // A message box's text on screen.
    bool WaitMessage(const std::wstring& text, DWORD ms = 15000) { return WaitShown(L"OVLabel", text, ms); }
    bool Click(const std::wstring& style, const std::wstring& text) {
        if (!WaitShown(style, text)) return false;
        const uidump::Row* row = dump_.Shown(style, text);
        RECT r{};
        GetWindowRect(window_, &r);
        const auto [x, y] = row->Centre();
        const bool ok = xdo::Click(r.left + x, r.top + y);
        xdo::MoveTo(5, 1000);  // no hover look left behind for the screenshots
        return ok;
    }
    void Shot(const std::wstring& name) {
        Sleep(300);
        EXPECT_TRUE(xdo::Screenshot(UnixShot(name)));
    }
    // The dismissed box is gone before the next click.
    void Dismiss(const std::wstring& button, const std::wstring& text) {
        ASSERT_TRUE(Click(L"OVButton", button));
        ASSERT_TRUE(WaitGone(L"OVLabel", text));
    }
    // The system's own "信息" box that the controller link shows when it
    // cannot open the controller: answered with its OK button.
    bool DismissSystemBox(DWORD ms) {
        return e2e::WaitFor([&] {
            HWND box = FindWindowW(nullptr, L"信息");
            if (!box) return false;
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return true;
        }, ms);
    }
    void FlashOnce(const std::wstring& expected) {
        ASSERT_TRUE(Click(L"UpdateFanLedButton", L"固件升级"));
        ASSERT_TRUE(WaitMessage(L"检测到最新固件版本:106已发布!\n\n是否要进行固件升级?"));
        ASSERT_TRUE(Click(L"OVButton", L"是"));
        ASSERT_TRUE(WaitMessage(expected, 40000));
    }

    e2e::Program program_;
    HWND window_ = nullptr;
    uidump::Dump dump_;
    std::wstring dumpPath_, refrescoLog_, flashLog_, control_, firmwareFile_;
};

}  // namespace

TEST_F(UpdateEndToEnd, SoftwareCheckUpToDateThenNewerDeclinedThenAcceptedEndsVentaro) {
    Launch();
    OpenUpdatePage();
    Shot(L"software_view");
    ASSERT_TRUE(Click(L"UpdateButton", L"检查更新"));
    ASSERT_TRUE(WaitMessage(kUpToDate));
    Shot(L"up_to_date");
    Dismiss(L"确定", kUpToDate);

    webstub::Control(L"versions?list=1.0.09,1.1.01,1.1.02");
    const std::wstring offer = L"检测到最新版本:1.1.02,是否现在进行更新?";
    ASSERT_TRUE(Click(L"UpdateButton", L"检查更新"));
    ASSERT_TRUE(WaitMessage(offer));
    Shot(L"software_offer");
    Dismiss(L"否", offer);
    Sleep(500);
    EXPECT_TRUE(program_.Running());
    EXPECT_FALSE(e2e::FileExists(refrescoLog_));

    // The tray's "检查更新", the same check, accepted this time.
    PostMessageW(window_, WM_COMMAND, 7003, 0);
    ASSERT_TRUE(WaitMessage(offer));
    ASSERT_TRUE(Click(L"OVButton", L"是"));
    EXPECT_EQ(program_.WaitExit(20000), 0) << "Ventaro closes after starting the updater";
    // The stand-in makes its log before it writes the line.
    EXPECT_TRUE(e2e::WaitFor([&] { return ReadLog(refrescoLog_).count("cmdline") != 0; }, 10000))
        << "the updater was started and told its command line";
    int descriptions = 0;
    for (const auto& r : webstub::Traffic()) descriptions += r.path == "/data/soft/host_drive/Refrescor.xml";
    EXPECT_EQ(descriptions, 3);
}

TEST_F(UpdateEndToEnd, SilentCheckAtTheThirtiethSecondShowsTheHiddenWindowOnlyForANewerVersion) {
    // Nothing newer: the check runs, the window stays hidden.
    Launch(L" auto");
    EXPECT_TRUE(e2e::WaitFor([] {
        for (const auto& r : webstub::Traffic())
            if (r.path == "/data/soft/host_drive/Refrescor.xml") return true;
        return false;
    }, 45000)) << "the silent check asked for the description";
    Sleep(1000);
    EXPECT_FALSE(IsWindowVisible(window_));
    PostMessageW(window_, WM_COMMAND, 7002, 0);
    ASSERT_GE(program_.WaitExit(20000), 0);
    window_ = nullptr;

    // A newer one: the window comes up on the update page with the offer.
    webstub::Control(L"versions?list=1.1.05");
    Launch(L" auto");
    Sleep(15 * kPaceMs);  // half-way to the check
    EXPECT_FALSE(IsWindowVisible(window_));
    ASSERT_TRUE(WaitMessage(L"检测到最新版本:1.1.05,是否现在进行更新?", 45000));
    EXPECT_TRUE(IsWindowVisible(window_));
    EXPECT_NE(dump_.Shown(L"UpdateButton", L"检查更新"), nullptr);
    Shot(L"silent_offer");
}

TEST_F(UpdateEndToEnd, FirmwareUpdateFrom105To106) {
    webstub::Control(L"firmware?version=106");
    Launch();
    OpenUpdatePage();
    ASSERT_TRUE(Click(L"UpdateFirmwareOptionButton", L"固件更新"));
    ASSERT_TRUE(WaitShown(L"OVLabel", L"当前固件版本:105"));
    Shot(L"firmware_view");
    EXPECT_EQ(Sim()->Value("connections"), "1");

    ASSERT_TRUE(Click(L"UpdateFanLedButton", L"固件升级"));
    ASSERT_TRUE(WaitMessage(L"检测到最新固件版本:106已发布!\n\n是否要进行固件升级?"));
    Shot(L"firmware_offer");
    webstub::Clear();
    ASSERT_TRUE(Click(L"OVButton", L"是"));
    ASSERT_TRUE(WaitShown(L"OVLabel", L"正在更新"));
    EXPECT_EQ(dump_.Shown(L"UpdateFanLedButton", L"固件升级"), nullptr);
    EXPECT_TRUE(e2e::WaitFor([] { return Sim()->Value("connections") == "0"; }, 20000))
        << "released while the tool runs";
    Shot(L"flash_progress_1");
    Sleep(2 * kPaceMs);
    Shot(L"flash_progress_2");
    ASSERT_TRUE(WaitMessage(L"固件更新成功!", 30000));
    Shot(L"flash_done");
    EXPECT_NE(dump_.Shown(L"OVLabel", L"当前固件版本:106"), nullptr);
    Dismiss(L"确定", L"固件更新成功!");
    EXPECT_NE(dump_.Shown(L"UpdateFanLedButton", L"固件升级"), nullptr);
    EXPECT_EQ(dump_.Shown(L"OVLabel", L"正在更新"), nullptr);
    EXPECT_EQ(Sim()->Value("connections"), "1");
    EXPECT_EQ(Sim()->Value("version"), "VENTARO-CTL106");

    // The traffic and the file the tool got, byte for byte what was served.
    const auto traffic = webstub::Traffic();
    ASSERT_EQ(traffic.size(), 1u);
    EXPECT_EQ(traffic[0].verb, "GET");
    EXPECT_EQ(traffic[0].path, "/fw/Firmware.hex");
    int ok = 0;
    const std::string served = webstub::Call(L"GET", L"/fw/Firmware.hex", {}, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(webstub::ReadFileBytes(firmwareFile_), served);
    auto log = ReadLog(flashLog_);
    EXPECT_EQ(log["size"], std::to_string(served.size()));
    EXPECT_EQ(log["connections"], "0");
    EXPECT_EQ(log["exit"], "1");
    EXPECT_NE(log["cmdline"].find(" silence reset "), std::string::npos);

    // Now current: the next request says so.
    ASSERT_TRUE(Click(L"UpdateFanLedButton", L"固件升级"));
    ASSERT_TRUE(WaitMessage(L"当前固件已经是最新版本!"));
}

TEST_F(UpdateEndToEnd, FailedDownloadsAndAFailingToolFlashNothingAndKeepTheController) {
    webstub::Control(L"firmware?version=106&tail=1");
    // The tool, once reached, ends with 0 and leaves its helper behind.
    SetEnvironmentVariableW(L"ZENTAFLASH_EXIT", L"0");
    SetEnvironmentVariableW(L"ZENTAFLASH_LINGER", L"1");
    Launch();
    OpenUpdatePage();
    ASSERT_TRUE(Click(L"UpdateFirmwareOptionButton", L"固件更新"));
    const std::wstring failed = L"固件更新失败!请重启软件后再试!";

    for (const wchar_t* fault : {L"mode=404&path=/fw/", L"mode=short&path=/fw/"}) {
        SCOPED_TRACE(testing::Message() << fault);
        webstub::Fault(fault);
        FlashOnce(failed);
        Shot(std::wstring(L"flash_failed_") + (fault[5] == L'4' ? L"404" : L"short"));
        Dismiss(L"确定", failed);
        EXPECT_FALSE(e2e::FileExists(flashLog_)) << "the tool never ran";
        EXPECT_FALSE(e2e::FileExists(firmwareFile_));
        EXPECT_EQ(Sim()->Value("connections"), "1");
        EXPECT_NE(dump_.Shown(L"OVLabel", L"当前固件版本:105"), nullptr);
        EXPECT_NE(dump_.Shown(L"ResetFanLedButton", L"重启控制器"), nullptr);
    }

    // The failing tool and its helper are ended, the controller is taken
    // back and still reports 105.
    FlashOnce(failed);
    SetEnvironmentVariableW(L"ZENTAFLASH_LINGER", nullptr);
    auto log = ReadLog(flashLog_);
    EXPECT_EQ(log["exit"], "0");
    EXPECT_NE(log["helper"], "");
    EXPECT_TRUE(e2e::ProcessesNamed(L"Flit.exe").empty());
    EXPECT_TRUE(e2e::ProcessesNamed(L"Zentaflash.exe").empty());
    EXPECT_EQ(Sim()->Value("connections"), "1");
    EXPECT_EQ(Sim()->Value("version"), "VENTARO-CTL105");
    Dismiss(L"确定", failed);
}

TEST_F(UpdateEndToEnd, RestartAndFactoryResetReachTheController) {
    Launch();
    OpenUpdatePage();
    ASSERT_TRUE(Click(L"UpdateFirmwareOptionButton", L"固件更新"));
    const int restarts = SimCount("restarts"), resets = SimCount("resets");

    ASSERT_TRUE(Click(L"ResetFanLedButton", L"重启控制器"));
    ASSERT_TRUE(WaitMessage(L"确定要重启设备控制器吗?"));
    ASSERT_TRUE(Click(L"OVButton", L"是"));
    ASSERT_TRUE(WaitMessage(L"设备控制器重启成功!"));
    EXPECT_EQ(SimCount("restarts"), restarts + 1);
    Dismiss(L"确定", L"设备控制器重启成功!");

    ASSERT_TRUE(Click(L"FactoryFanLedButton", L"恢复出厂设置"));
    ASSERT_TRUE(WaitMessage(L"确定控制设备要恢复出厂设置吗?"));
    Shot(L"reset_ask");
    ASSERT_TRUE(Click(L"OVButton", L"是"));
    ASSERT_TRUE(WaitMessage(L"设备控制器恢复出厂设置成功!"));
    EXPECT_EQ(SimCount("resets"), resets + 1);
    EXPECT_EQ(Sim()->Value("connections"), "1");
}

TEST_F(UpdateEndToEnd, RestartAndFactoryResetWithoutAControllerSayTheyFailed) {
    SetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", L"\\\\.\\pipe\\ventaro_update_no_controller");
    Launch(L"", true);
    OpenUpdatePage();
    ASSERT_TRUE(Click(L"UpdateFirmwareOptionButton", L"固件更新"));
    ASSERT_TRUE(WaitShown(L"OVLabel", L"固件版本"));

    ASSERT_TRUE(Click(L"ResetFanLedButton", L"重启控制器"));
    ASSERT_TRUE(Click(L"OVButton", L"是"));
    EXPECT_TRUE(DismissSystemBox(20000));  // the reopen fails the same way
    ASSERT_TRUE(WaitMessage(L"设备控制器重启失败!"));
    Dismiss(L"确定", L"设备控制器重启失败!");

    ASSERT_TRUE(Click(L"FactoryFanLedButton", L"恢复出厂设置"));
    ASSERT_TRUE(Click(L"OVButton", L"是"));
    EXPECT_TRUE(DismissSystemBox(20000));
    ASSERT_TRUE(WaitMessage(L"设备控制器恢复出厂设置失败!"));
    Shot(L"reset_failed");
}
