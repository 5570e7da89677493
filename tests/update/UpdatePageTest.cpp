// The update page in process: the real engine on the product skin, the
// controller simulator, the web stand-in and the updater and flashing tool
// stand-ins in build\bin (the harness's program folder).
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

#include "ApplicationEnv.h"
#include "ClientPageHarness.h"
#include "OVFanLedDevice.h"
#include "SimHarness.h"
#include "TextConv.h"
#include "UpdateCtrlPage.h"
#include "UpdateRules.h"
#include "StandInLog.h"
#include "WebServiceStub.h"
#include "controls/DUI_Label.h"
#include "controls/DUI_MessageBox.h"
#include "controls/DUI_Progress.h"
#include "scene/DUI_UIScene.h"

namespace {

using pageharness::CClientPageHarness;

std::wstring ShotDir() {
    const std::wstring dir = testpaths::BinaryDir() + L"\\tests\\update_shots\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::map<std::string, std::string> ReadLog(const std::wstring& path) { return standin::ParseLog(simharness::ReadFileText(path)); }

// Runs the host window's posted messages (a close request among them).
void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

class UpdatePage : public ::testing::Test {
protected:
    void SetUp() override { SetUpWith(CClientPageHarness::Options{}); }

    void SetUpWith(const CClientPageHarness::Options& options) {
        ASSERT_NE(webstub::Port(), 0) << "stand-in not running (VENTARO_WEB_PORT_FILE)";
        webstub::Reset();
        h_ = std::make_unique<CClientPageHarness>(options);
        ASSERT_TRUE(h_->Ready());
        // The controller reports release 105 again, whatever an earlier test flashed.
        control_ = h_->Sim()->StatePath().substr(0, h_->Sim()->StatePath().size() - 9) + L"control.txt";
        simharness::WriteFileText(control_, "none\nversion=VENTARO-CTL105\n");
        const std::wstring host = webstub::HostPortText();
        SetEnvironmentVariableW(L"VENTARO_DOWNLOAD_HOST", host.c_str());
        SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", host.c_str());
        logDir_ = testpaths::MakeTempDir(L"updatelogs");
        refrescoLog_ = logDir_ + L"refresco.log";
        flashLog_ = logDir_ + L"zentaflash.log";
        SetEnvironmentVariableW(L"REFRESCO_LOG", refrescoLog_.c_str());
        SetEnvironmentVariableW(L"ZENTAFLASH_LOG", flashLog_.c_str());
        SetEnvironmentVariableW(L"ZENTAFLASH_SIM_STATE", h_->Sim()->StatePath().c_str());
        SetEnvironmentVariableW(L"ZENTAFLASH_SIM_CONTROL", control_.c_str());
        SetEnvironmentVariableW(L"ZENTAFLASH_NEW_VERSION", L"VENTARO-CTL106");
        SetEnvironmentVariableW(L"ZENTAFLASH_EXIT", nullptr);
        SetEnvironmentVariableW(L"ZENTAFLASH_DELAY_MS", nullptr);
        // The flash's steps and the restart's waits at a fifth of their length.
        SetEnvironmentVariableW(L"VENTARO_PACE_MS", L"200");
        page_ = h_->AddPage<CUpdateCtrlPage>(ClientPageId::Update);
        ASSERT_NE(page_, nullptr);
        h_->SetUpdateLink(page_);
        h_->Host().ShowPage(ClientPageId::Update);
    }

    void TearDown() override {
        h_.reset();  // shuts the page down: waits for a running flash
    }

    CDUI_MessageBox* Box() { return static_cast<CDUI_MessageBox*>(page_->Control(L"UpdateMessageBox")); }
    bool BoxShown() { return Box() && Box()->GetShown(); }
    std::wstring BoxText() { return BoxShown() && Box()->GetLabel() ? Box()->GetLabel()->GetText() : L"<no box>"; }
    // Presses a button of the open box ("确定", "是", "否").
    bool Answer(const std::wstring& button) {
        return BoxShown() && h_->Click(h_->Find(L"OVButton", button));
    }
    std::wstring VersionLabel() { return page_->Control(L"UpdateVersionLabel")->GetText(); }
    bool Shown(const wchar_t* name) { return CClientPageHarness::OnScreen(page_->Control(name)); }
    bool ClickControl(const wchar_t* name) { return h_->Click(page_->Control(name)); }
    uint32_t Progress() { return static_cast<CDUI_Progress*>(page_->Control(L"UpdateProgress"))->GetProgress(); }

    // The update thread has ended its work and put up its closing message
    // (the two happen under the parameter lock, which this thread does not take).
    bool WaitForFlashEnd(int seconds = 60) {
        for (int i = 0; i < seconds * 20 && (page_->IsFirmwareUpdateRunning() || !BoxShown()); ++i) {
            Pump();
            Sleep(50);
        }
        return !page_->IsFirmwareUpdateRunning() && BoxShown();
    }

    std::unique_ptr<CClientPageHarness> h_;
    CUpdateCtrlPage* page_ = nullptr;
    std::wstring control_, logDir_, refrescoLog_, flashLog_;
};

}  // namespace

TEST_F(UpdatePage, ViewsShowTheirOwnVersionAndButtons) {
    EXPECT_EQ(page_->GetViewFlag(), 0);
    EXPECT_EQ(VersionLabel(), L"当前软件版本:1.1.00");
    EXPECT_TRUE(Shown(L"UpdateButton"));
    EXPECT_FALSE(Shown(L"UpdateFanLedButton"));
    EXPECT_FALSE(Shown(L"ResetFanLedButton"));
    EXPECT_FALSE(Shown(L"FactoryFanLedButton"));
    EXPECT_FALSE(Shown(L"UpdateProgress"));
    EXPECT_FALSE(Shown(L"UpdatingLabel"));
    EXPECT_TRUE(page_->Control(L"UpdateSoftwareOptionButton")->GetChecked());
    h_->SaveScreenshot(ShotDir() + L"software_view.png");

    ASSERT_TRUE(ClickControl(L"UpdateFirmwareOptionButton"));
    EXPECT_EQ(page_->GetViewFlag(), 1);
    EXPECT_EQ(VersionLabel(), L"当前固件版本:105");
    EXPECT_FALSE(Shown(L"UpdateButton"));
    EXPECT_TRUE(Shown(L"UpdateFanLedButton"));
    EXPECT_TRUE(Shown(L"ResetFanLedButton"));
    EXPECT_TRUE(Shown(L"FactoryFanLedButton"));
    h_->SaveScreenshot(ShotDir() + L"firmware_view.png");

    // The controller stops answering: the view keeps the firmware version it
    // knew and never shows the software version under the firmware tab.
    ASSERT_TRUE(ClickControl(L"UpdateSoftwareOptionButton"));
    EXPECT_EQ(VersionLabel(), L"当前软件版本:1.1.00");
    h_->Device()->CloseDevice();
    ASSERT_TRUE(ClickControl(L"UpdateFirmwareOptionButton"));
    EXPECT_EQ(VersionLabel(), L"当前固件版本:105");
    ASSERT_EQ(h_->Device()->OpenDevice(), 1);

    // Showing the page again starts in the software view.
    h_->Host().ShowPage(ClientPageId::Update);
    EXPECT_EQ(page_->GetViewFlag(), 0);
    EXPECT_TRUE(page_->Control(L"UpdateSoftwareOptionButton")->GetChecked());
    EXPECT_TRUE(Shown(L"UpdateButton"));

    ASSERT_TRUE(ClickControl(L"UpdateReturnButton"));
    EXPECT_EQ(h_->HomeViewRequests(), 1);
    EXPECT_FALSE(Shown(L"UpdatePanel"));
}

TEST_F(UpdatePage, SoftwareCheckSaysUpToDateOrThatItFailed) {
    ShowWindow(h_->HostWindow(), SW_HIDE);
    ASSERT_TRUE(ClickControl(L"UpdateButton"));
    EXPECT_EQ(BoxText(), updaterules::kUpToDateText);
    EXPECT_TRUE(IsWindowVisible(h_->HostWindow()));
    h_->SaveScreenshot(ShotDir() + L"up_to_date.png");
    auto traffic = webstub::Traffic();
    ASSERT_EQ(traffic.size(), 1u);
    EXPECT_EQ(traffic[0].verb, "GET");
    EXPECT_EQ(traffic[0].path, "/data/soft/host_drive/Refrescor.xml");
    ASSERT_TRUE(Answer(L"确定"));
    EXPECT_FALSE(BoxShown());

    // The description cannot be fetched (404) or is no XML: said so, not "newest".
    webstub::Fault(L"mode=404&path=/data/");
    ASSERT_TRUE(ClickControl(L"UpdateButton"));
    EXPECT_EQ(BoxText(), L"检查更新失败,请检查网络连接!");
    EXPECT_FALSE(webstub::FileExists(h_->ProgramFolder() + L"Refrescor.xml"));
    ASSERT_TRUE(Answer(L"确定"));
    webstub::Fault(L"mode=body&path=/data/", "<html><body>maintenance</body>");
    ASSERT_TRUE(ClickControl(L"UpdateButton"));
    EXPECT_EQ(BoxText(), L"检查更新失败,请检查网络连接!");
    ASSERT_TRUE(Answer(L"确定"));

    // A host that takes the request and never answers: the check gives up
    // in seconds and says so.
    webstub::Fault(L"mode=hang&delay=60&path=/data/");
    const ULONGLONG start = GetTickCount64();
    ASSERT_TRUE(ClickControl(L"UpdateButton"));
    EXPECT_LT(GetTickCount64() - start, 20000u);
    EXPECT_EQ(BoxText(), L"检查更新失败,请检查网络连接!");
    ASSERT_TRUE(Answer(L"确定"));

    // The silent check says nothing about either, and leaves the window hidden.
    ShowWindow(h_->HostWindow(), SW_HIDE);
    webstub::Fault(L"mode=404&path=/data/");
    EXPECT_EQ(page_->CheckForUpdate(1), 1);
    ASSERT_TRUE(h_->Settle());
    EXPECT_FALSE(BoxShown());
    EXPECT_EQ(page_->CheckForUpdate(1), 1);  // up to date
    ASSERT_TRUE(h_->Settle());
    EXPECT_FALSE(BoxShown());
    EXPECT_FALSE(IsWindowVisible(h_->HostWindow()));

    // In the firmware view the check button is not there to press.
    ASSERT_TRUE(ClickControl(L"UpdateFirmwareOptionButton"));
    EXPECT_FALSE(h_->Click(page_->Control(L"UpdateButton")));
}

TEST_F(UpdatePage, NewerSoftwareOfferedDeclinedThenAcceptedHandsOverAndCloses) {
    webstub::Control(L"versions?list=1.0.09,1.1.01,1.1.02,1.0.10");
    h_->Host().ShowHomeView();
    ShowWindow(h_->HostWindow(), SW_HIDE);
    const size_t requestsBefore = h_->PageRequests().size();

    // The silent check at the 30th second: window shown, update page, the offer.
    EXPECT_EQ(page_->CheckForUpdate(1), 1);
    ASSERT_TRUE(h_->Settle());
    EXPECT_TRUE(IsWindowVisible(h_->HostWindow()));
    ASSERT_EQ(h_->PageRequests().size(), requestsBefore + 1);
    EXPECT_EQ(h_->PageRequests().back(), ClientPageId::Update);
    EXPECT_TRUE(Shown(L"UpdatePanel"));
    EXPECT_EQ(BoxText(), L"检测到最新版本:1.1.02,是否现在进行更新?");
    h_->SaveScreenshot(ShotDir() + L"software_offer.png");

    ASSERT_TRUE(Answer(L"否"));
    Pump();
    EXPECT_FALSE(webstub::FileExists(refrescoLog_));
    EXPECT_TRUE(IsWindow(h_->HostWindow()));

    // Accepted through the tray's check: the updater starts and the program closes.
    EXPECT_EQ(page_->CheckForUpdate(0), 1);
    ASSERT_TRUE(h_->Settle());
    ASSERT_TRUE(Answer(L"是"));
    for (int i = 0; i < 100 && !webstub::FileExists(refrescoLog_); ++i) Sleep(50);
    auto log = ReadLog(refrescoLog_);
    // Its one item is its own full path, quoted: a folder with blanks stays one word.
    EXPECT_EQ(log["cmdline"], "\"" + textconv::WideToUtf8(h_->Env()->GetProgramFolder() + L"Refresco.exe") + "\"");
    Pump();
    EXPECT_FALSE(IsWindow(h_->HostWindow())) << "the close request reached the main window";
}

TEST_F(UpdatePage, MissingUpdaterIsReportedAndTheDescriptionIsReadThroughAWidePath) {
    webstub::Control(L"versions?list=1.2.00");
    // A program folder no Western code page can spell: the description is
    // still read back from it (this suite runs under code page 1252).
    const std::wstring emptyFolder = testpaths::MakeTempDir(L"noupdater") + L"升级 程序\\";
    ASSERT_TRUE(CreateDirectoryW(emptyFolder.c_str(), nullptr));
    h_->Env()->InitializeFolders(GetModuleHandleW(nullptr), emptyFolder, h_->DataFolder());
    ASSERT_TRUE(ClickControl(L"UpdateButton"));
    EXPECT_EQ(BoxText(), L"检测到最新版本:1.2.00,是否现在进行更新?");
    ASSERT_TRUE(Answer(L"是"));
    EXPECT_EQ(BoxText(), L"启动升级程序失败!");
    Pump();
    EXPECT_TRUE(IsWindow(h_->HostWindow()));
    // The description was read from the program folder it was stored in.
    EXPECT_TRUE(webstub::FileExists(emptyFolder + L"Refrescor.xml"));
}

TEST_F(UpdatePage, FirmwareChecksReportFailureNewestAndTheOffer) {
    ASSERT_TRUE(ClickControl(L"UpdateFirmwareOptionButton"));

    webstub::Fault(L"mode=500&path=/api_new/");
    ASSERT_TRUE(ClickControl(L"UpdateFanLedButton"));
    EXPECT_EQ(BoxText(), L"获取固件版本信息失败!");
    ASSERT_TRUE(Answer(L"确定"));

    webstub::Control(L"firmware?version=105");
    ASSERT_TRUE(ClickControl(L"UpdateFanLedButton"));
    EXPECT_EQ(BoxText(), L"当前固件已经是最新版本!");
    ASSERT_TRUE(Answer(L"确定"));

    // A controller whose version text has no release: version 0, any is newer.
    simharness::WriteFileText(control_, "none\nversion=VENTARO-CTL\n");
    webstub::Control(L"firmware?version=1");
    ASSERT_TRUE(ClickControl(L"UpdateFanLedButton"));
    EXPECT_EQ(BoxText(), L"检测到最新固件版本:1已发布!\n\n是否要进行固件升级?");
    ASSERT_TRUE(Answer(L"否"));
    EXPECT_FALSE(page_->IsFirmwareUpdateRunning());
    EXPECT_FALSE(webstub::FileExists(flashLog_));
}

TEST_F(UpdatePage, FirmwareUpdateRunsWithTheButtonsAsideAndEndsOnTheNewVersion) {
    webstub::Control(L"firmware?version=106&tail=1");
    // The tool takes a while, so the controller is still released when looked at below.
    SetEnvironmentVariableW(L"ZENTAFLASH_DELAY_MS", L"3000");
    ASSERT_TRUE(ClickControl(L"UpdateFirmwareOptionButton"));
    ASSERT_TRUE(ClickControl(L"UpdateFanLedButton"));
    EXPECT_EQ(BoxText(), L"检测到最新固件版本:106已发布!\n\n是否要进行固件升级?");
    h_->SaveScreenshot(ShotDir() + L"firmware_offer.png");
    webstub::Clear();
    ASSERT_TRUE(Answer(L"是"));
    ASSERT_TRUE(page_->IsFirmwareUpdateRunning());

    // While it runs: progress and "正在更新" shown, every action button gone,
    // and the software check (tray, timer) ignored.
    EXPECT_TRUE(Shown(L"UpdateProgress"));
    EXPECT_TRUE(Shown(L"UpdatingLabel"));
    for (const wchar_t* b : {L"UpdateButton", L"UpdateFanLedButton", L"ResetFanLedButton", L"FactoryFanLedButton"})
        EXPECT_FALSE(Shown(b)) << textconv::WideToUtf8(b);
    ASSERT_TRUE(ClickControl(L"UpdateSoftwareOptionButton"));
    EXPECT_FALSE(Shown(L"UpdateButton"));
    ASSERT_TRUE(ClickControl(L"UpdateFirmwareOptionButton"));
    EXPECT_FALSE(Shown(L"UpdateFanLedButton"));
    page_->CheckForUpdate(0);
    page_->OfferFirmwareUpdate();
    page_->AskRestart();
    EXPECT_FALSE(BoxShown());
    // Closing now is refused with a word why; log-off is held with a reason.
    std::wstring reason;
    EXPECT_EQ(page_->IsExitBlocked(&reason), 1);
    EXPECT_EQ(reason, L"固件升级中,请勿关机或注销!");
    page_->ExplainExitBlocked();
    EXPECT_EQ(BoxText(), L"固件升级中,请勿关闭程序!");
    h_->SaveScreenshot(ShotDir() + L"flash_exit_refused.png");
    ASSERT_TRUE(Answer(L"确定"));

    // The bar climbs: seen at two points, with screenshots of both.
    uint32_t first = 0, second = 0;
    for (int i = 0; i < 200 && Progress() < 30; ++i) Sleep(50);
    first = Progress();
    h_->SaveScreenshot(ShotDir() + L"flash_progress_early.png");
    for (int i = 0; i < 200 && Progress() < 70; ++i) Sleep(50);
    second = Progress();
    h_->SaveScreenshot(ShotDir() + L"flash_progress_late.png");
    EXPECT_GE(first, 20u);
    EXPECT_GT(second, first);
    EXPECT_EQ(h_->Sim()->Value("connections"), "0") << "the controller is released during the flash";

    ASSERT_TRUE(WaitForFlashEnd());
    EXPECT_EQ(BoxText(), L"固件更新成功!");
    EXPECT_EQ(page_->IsExitBlocked(nullptr), 0);
    h_->SaveScreenshot(ShotDir() + L"flash_done.png");
    EXPECT_EQ(VersionLabel(), L"当前固件版本:106");
    EXPECT_FALSE(Shown(L"UpdateProgress"));
    EXPECT_FALSE(Shown(L"UpdatingLabel"));
    EXPECT_TRUE(Shown(L"UpdateFanLedButton"));
    EXPECT_TRUE(Shown(L"ResetFanLedButton"));
    EXPECT_FALSE(Shown(L"UpdateButton"));
    EXPECT_EQ(h_->Sim()->Value("connections"), "1");

    const auto traffic = webstub::Traffic();
    ASSERT_EQ(traffic.size(), 1u);
    EXPECT_EQ(traffic[0].path, "/fw/Firmware.hex");
    const auto log = ReadLog(flashLog_);
    EXPECT_EQ(log.at("connections"), "0");
    EXPECT_EQ(log.at("file"), textconv::WideToUtf8(h_->DataFolder() + L"Firmware.hex"));
    const std::string served = webstub::ReadFileBytes(h_->DataFolder() + L"Firmware.hex");
    EXPECT_EQ(log.at("size"), std::to_string(served.size()));
    EXPECT_GT(served.size(), 100u);
}

TEST_F(UpdatePage, FailedFirmwareUpdatesSaySoAndKeepTheController) {
    webstub::Control(L"firmware?version=106");
    ASSERT_TRUE(ClickControl(L"UpdateFirmwareOptionButton"));

    // The firmware file is missing on the server: nothing is flashed.
    webstub::Fault(L"mode=404&path=/fw/");
    ASSERT_TRUE(ClickControl(L"UpdateFanLedButton"));
    ASSERT_TRUE(Answer(L"是"));
    ASSERT_TRUE(WaitForFlashEnd());
    EXPECT_EQ(BoxText(), L"固件更新失败!请重启软件后再试!");
    EXPECT_FALSE(webstub::FileExists(flashLog_));
    EXPECT_FALSE(webstub::FileExists(h_->DataFolder() + L"Firmware.hex"));
    EXPECT_EQ(VersionLabel(), L"当前固件版本:105");
    EXPECT_TRUE(Shown(L"UpdateFanLedButton"));
    std::wstring text;
    EXPECT_EQ(h_->Device()->QueryVersion(&text), 1);
    ASSERT_TRUE(Answer(L"确定"));

    // The tool fails: the controller comes back, the version stays.
    SetEnvironmentVariableW(L"ZENTAFLASH_EXIT", L"0");
    ASSERT_TRUE(ClickControl(L"UpdateFanLedButton"));
    ASSERT_TRUE(Answer(L"是"));
    ASSERT_TRUE(WaitForFlashEnd());
    EXPECT_EQ(BoxText(), L"固件更新失败!请重启软件后再试!");
    EXPECT_EQ(ReadLog(flashLog_)["exit"], "0");
    EXPECT_EQ(h_->Device()->QueryVersion(&text), 1);
    EXPECT_EQ(text, L"VENTARO-CTL105");
    EXPECT_EQ(VersionLabel(), L"当前固件版本:105");
    EXPECT_TRUE(Shown(L"FactoryFanLedButton"));
}

TEST_F(UpdatePage, RestartAndFactoryResetReachTheController) {
    ASSERT_TRUE(ClickControl(L"UpdateFirmwareOptionButton"));
    const int restarts = std::stoi(h_->Sim()->Value("restarts"));
    const int resets = std::stoi(h_->Sim()->Value("resets"));

    ASSERT_TRUE(ClickControl(L"ResetFanLedButton"));
    EXPECT_EQ(BoxText(), L"确定要重启设备控制器吗?");
    ASSERT_TRUE(Answer(L"否"));
    EXPECT_EQ(std::stoi(h_->Sim()->Value("restarts")), restarts);

    ASSERT_TRUE(ClickControl(L"ResetFanLedButton"));
    // The two seconds of the restart pass on a worker, the button busy.
    ASSERT_TRUE(h_->Press(h_->Find(L"OVButton", L"是")));
    Pump();
    EXPECT_FALSE(BoxShown());
    EXPECT_EQ(page_->Control(L"ResetFanLedButton")->GetText(), L"重启中…");
    EXPECT_EQ(page_->Control(L"ResetFanLedButton")->GetEnabled(), 0);
    EXPECT_EQ(page_->Control(L"FactoryFanLedButton")->GetEnabled(), 0);
    EXPECT_EQ(page_->Control(L"UpdateFanLedButton")->GetEnabled(), 0);
    h_->SaveScreenshot(ShotDir() + L"restart_busy.png");
    ASSERT_TRUE(h_->Settle());
    EXPECT_EQ(BoxText(), L"设备控制器重启成功!");
    EXPECT_EQ(page_->Control(L"ResetFanLedButton")->GetText(), L"重启控制器");
    EXPECT_EQ(page_->Control(L"FactoryFanLedButton")->GetEnabled(), 1);
    EXPECT_EQ(page_->Control(L"UpdateFanLedButton")->GetEnabled(), 1);
    EXPECT_EQ(std::stoi(h_->Sim()->Value("restarts")), restarts + 1);
    EXPECT_TRUE(h_->Device()->IsOpen());
    ASSERT_TRUE(Answer(L"确定"));

    ASSERT_TRUE(ClickControl(L"FactoryFanLedButton"));
    EXPECT_EQ(BoxText(), L"确定控制设备要恢复出厂设置吗?");
    h_->SaveScreenshot(ShotDir() + L"reset_ask.png");
    ASSERT_TRUE(Answer(L"是"));
    EXPECT_EQ(BoxText(), L"设备控制器恢复出厂设置成功!");
    EXPECT_EQ(std::stoi(h_->Sim()->Value("resets")), resets + 1);
    EXPECT_TRUE(h_->Device()->IsOpen());
}

TEST_F(UpdatePage, RestartAndFactoryResetWithoutAControllerFail) {
    h_.reset();
    CClientPageHarness::Options options;
    options.openController = 0;
    SetUpWith(options);
    ASSERT_TRUE(ClickControl(L"UpdateFirmwareOptionButton"));
    EXPECT_EQ(VersionLabel(), L"固件版本");

    ASSERT_TRUE(ClickControl(L"ResetFanLedButton"));
    ASSERT_TRUE(Answer(L"是"));
    EXPECT_EQ(BoxText(), L"设备控制器重启失败!");
    ASSERT_TRUE(Answer(L"确定"));

    ASSERT_TRUE(ClickControl(L"FactoryFanLedButton"));
    ASSERT_TRUE(Answer(L"是"));
    EXPECT_EQ(BoxText(), L"设备控制器恢复出厂设置失败!");
    h_->SaveScreenshot(ShotDir() + L"reset_failed.png");
}

// The program ends while the flashing tool runs, from inside an event (the
// parameter lock held): the shut-down waits for the tool to finish, the
// update thread never waits for the interface, and the controller is taken back.
TEST_F(UpdatePage, ExitDuringAFlashWaitsForItWithoutDeadlock) {
    webstub::Control(L"firmware?version=106");
    SetEnvironmentVariableW(L"ZENTAFLASH_DELAY_MS", L"4000");
    ASSERT_TRUE(ClickControl(L"UpdateFirmwareOptionButton"));
    ASSERT_TRUE(ClickControl(L"UpdateFanLedButton"));
    ASSERT_TRUE(Answer(L"是"));
    ASSERT_TRUE(page_->IsFirmwareUpdateRunning());
    for (int i = 0; i < 400 && !webstub::FileExists(flashLog_); ++i) Sleep(50);  // the tool runs

    HANDLE lock = h_->Scene()->GetParamMutex();
    ASSERT_EQ(WaitForSingleObject(lock, 5000), WAIT_OBJECT_0);
    const ULONGLONG start = GetTickCount64();
    page_->Shutdown();
    const ULONGLONG waited = GetTickCount64() - start;
    ReleaseMutex(lock);
    SetEnvironmentVariableW(L"ZENTAFLASH_DELAY_MS", nullptr);

    EXPECT_FALSE(page_->IsFirmwareUpdateRunning());
    EXPECT_GE(waited, 2000u) << "the flash was not cut off";
    EXPECT_LT(waited, 30000u);
    EXPECT_EQ(ReadLog(flashLog_)["exit"], "1");
    // The program is ending, and the window lets the controller go first:
    // the flash does not take it back (a failed reopen would ask the user).
    EXPECT_FALSE(h_->Device()->IsOpen());
    // Nothing was shown after the shut-down began.
    EXPECT_FALSE(BoxShown());
}

// Ending before the tool started (its seven seconds' wait) starts no tool.
TEST_F(UpdatePage, ExitBeforeTheToolStartedCancelsTheFlash) {
    SetEnvironmentVariableW(L"VENTARO_PACE_MS", nullptr);  // the seven seconds as shipped
    webstub::Control(L"firmware?version=106");
    ASSERT_TRUE(ClickControl(L"UpdateFirmwareOptionButton"));
    ASSERT_TRUE(ClickControl(L"UpdateFanLedButton"));
    ASSERT_TRUE(Answer(L"是"));
    Sleep(1500);
    const ULONGLONG start = GetTickCount64();
    page_->Shutdown();
    EXPECT_LT(GetTickCount64() - start, 3000u) << "the rest of the wait and the tool were waited for";
    EXPECT_FALSE(webstub::FileExists(flashLog_));
    EXPECT_FALSE(BoxShown());
}
