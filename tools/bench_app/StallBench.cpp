// bench_app --stalls: how long the window's thread of Ventaro.exe stops
// answering while its web requests meet a host that never answers (hang)
// or sends its reply a byte at a time (trickle), while the upload and the
// download are answered, and while the controller restarts or is reset to
// its factory settings. Drives the real program
// through posted mouse and key messages at the rectangles of its inspection
// dump, against a running web stand-in (tools/webservice); a second thread
// sends the window WM_NULL every 20 ms and keeps the longest time an answer
// took. Prints one line per scenario. Figures only, not a test.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "HTTPClientWTPCtrl.h"
#include "UiDump.h"

namespace {

constexpr UINT kCheckUpdate = 7003;  // ID_CHECKUPDATE, the tray's "检查更新"
constexpr UINT kExit = 7002;         // ID_EXIT
constexpr int kMessageBox = -100;    // the dump's id of a message box
constexpr int kLoginWindow = 7300, kAccountBox = 7310, kPasswordBox = 7320, kLoginButton = 7333;
constexpr int kAccountWindow = 7400, kLogoutLink = 7412, kUploadButton = 7430, kDownloadButton = 7431;

const wchar_t kLoginPath[] = L"/api_new/website/api.php/v2_1/user/login";
const wchar_t kUploadPath[] = L"/api_new/website/api.php/v2_1/computer/uploadComputerConfig";
const wchar_t kDownloadPath[] = L"/api_new/website/api.php/v2_1/computer/downloadComputerConfig";
const wchar_t kFirmwarePath[] = L"/api_new/website/api.php/v1_1/version/getnewversion";
const wchar_t kDescriptionPath[] = L"/data/soft/host_drive/Refrescor.xml";

// One control request to the stand-in.
bool Control(uint16_t port, const std::wstring& what) {
    CHTTPClientWTPCtrl c;
    bool ok = c.Open() && c.Connect(L"127.0.0.1", port) && c.OpenRequest(1, L"/__control/" + what, L"", 0) &&
              c.SendRequest(nullptr, 0);
    if (ok) {
        std::vector<char> headers(8192, 0), body(4096, 0);
        uint32_t length = static_cast<uint32_t>(body.size());
        ok = c.ReceiveResponse(headers.data(), static_cast<uint32_t>(headers.size())) && c.ReadBody(body.data(), &length);
    }
    return ok;
}

// Keeps asking the window's thread to answer and remembers the longest wait.
class CStallMeter {
public:
    explicit CStallMeter(HWND window) : window_(window), thread_([this] { Run(); }) {}
    ~CStallMeter() {
        stop_ = true;
        thread_.join();
    }
    void Reset() { longest_ = 0; }
    uint32_t Longest() const { return longest_; }

private:
    void Run() {
        while (!stop_) {
            const ULONGLONG start = GetTickCount64();
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &ignored);
            const uint32_t took = static_cast<uint32_t>(GetTickCount64() - start);
            uint32_t seen = longest_;
            while (took > seen && !longest_.compare_exchange_weak(seen, took)) {
            }
            Sleep(20);
        }
    }
    HWND window_;
    std::atomic<bool> stop_{false};
    std::atomic<uint32_t> longest_{0};
    std::thread thread_;
};

class CDriver {
public:
    CDriver(HWND window, std::wstring dump) : window_(window), dumpPath_(std::move(dump)) {}

    bool Wait(const std::function<bool(const uidump::Dump&)>& cond, DWORD ms = 10000) {
        return uidump::WaitFor(dumpPath_, cond, ms, &dump_);
    }
    bool Shown(int id, bool shown = true) {
        return Wait([&](const uidump::Dump& d) { return d.ById(id) && d.ById(id)->visible == shown; });
    }
    // Posted, never sent: a click whose handler blocks must not block the bench.
    void ClickRow(const uidump::Row& row) {
        const auto [x, y] = row.Centre();
        PostMessageW(window_, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        PostMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageW(window_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    bool ClickId(int id) {
        if (!Shown(id)) return false;
        ClickRow(*dump_.ById(id));
        return true;
    }
    bool ClickStyle(const std::wstring& style, const std::wstring& text = L"") {
        if (!Wait([&](const uidump::Dump& d) { return d.Shown(style, text) != nullptr; })) return false;
        ClickRow(*dump_.Shown(style, text));
        return true;
    }
    bool Type(int id, const std::wstring& text) {
        if (!ClickId(id)) return false;
        for (wchar_t c : text) PostMessageW(window_, WM_CHAR, c, 1);
        return Wait([&](const uidump::Dump& d) { return d.ById(id) && d.ById(id)->text.size() == text.size(); });
    }
    static bool BoxShown(const uidump::Dump& d) {
        for (const auto& r : d.rows)
            if (r.visible && r.id == kMessageBox && !r.text.empty()) return true;
        return false;
    }
    // Answers the message box on screen with its first button of that text.
    bool Answer(const wchar_t* button = L"确定") {
        if (!Wait(&BoxShown, 60000)) return false;
        if (!ClickStyle(L"OVButton", button)) return false;
        return Wait([](const uidump::Dump& d) { return !BoxShown(d); });
    }
    HWND Window() const { return window_; }

private:
    HWND window_;
    std::wstring dumpPath_;
    uidump::Dump dump_;
};

// One scenario without a fault: the action, then its message box; prints
// the longest stall in the same form. 1 when it ran to its message.
bool MeasureAnswered(CDriver& ui, CStallMeter& meter, const char* what, const std::function<bool()>& act) {
    meter.Reset();
    const ULONGLONG start = GetTickCount64();
    const bool ok = act() && ui.Wait(&CDriver::BoxShown, 60000);
    Sleep(100);
    const uint32_t longest = meter.Longest();
    if (!ok) {
        std::printf("%-34s %-8s did not run to its message\n", what, "");
    } else {
        std::printf("%-34s %-8s longest stall of the window's thread: %u ms (answer after %.1f s)\n", what, "",
                    longest, double(GetTickCount64() - start) / 1000.0);
    }
    std::fflush(stdout);
    ui.Answer();
    return ok;
}

// Requests that succeed: what the window's thread does with a good answer
// (the download writes both files and reloads the pages' settings).
int RunAnsweredAccountScenarios(CDriver& ui, CStallMeter& meter) {
    int failures = 0;
    failures += !MeasureAnswered(ui, meter, "upload, answered", [&] { return ui.ClickId(kUploadButton); });
    failures += !MeasureAnswered(ui, meter, "download, answered", [&] { return ui.ClickId(kDownloadButton); });
    return failures;
}

// The controller's restart and factory reset on the firmware view: a
// confirmation, then two seconds of pauses and three exchanges.
int RunMaintenanceScenarios(CDriver& ui, CStallMeter& meter) {
    int failures = 0;
    const struct {
        const char* what;
        const wchar_t* button;
    } runs[] = {{"restart (重启控制器)", L"ResetFanLedButton"}, {"factory reset (恢复出厂设置)", L"FactoryFanLedButton"}};
    for (const auto& run : runs) {
        failures += !MeasureAnswered(ui, meter, run.what, [&] {
            if (!ui.ClickStyle(run.button)) return false;
            if (!ui.Wait(&CDriver::BoxShown)) return false;
            // The confirmation's 是; the box that counts is the one after it.
            if (!ui.ClickStyle(L"OVButton", L"是")) return false;
            return ui.Wait([](const uidump::Dump& d) { return !CDriver::BoxShown(d); });
        });
    }
    return failures;
}

}  // namespace

// The scenarios against the running program. 0 when every one ran.
int RunStallScenarios(HWND window, const std::wstring& dumpPath, uint16_t port) {
    CDriver ui(window, dumpPath);
    CStallMeter meter(window);
    int failures = 0;
    const struct {
        const wchar_t* query;
        const char* name;
    } faults[] = {{L"mode=hang&delay=20", "hang"}, {L"mode=trickle&delay=20", "trickle"}};

    // Each scenario: the fault on one path, the action, then the wait for the
    // message box that ends it.
    auto scenario = [&](const char* what, const wchar_t* path, const std::function<bool()>& act) {
        for (const auto& f : faults) {
            Control(port, L"clear");
            Control(port, std::wstring(L"fault?") + f.query + L"&path=" + path);
            meter.Reset();
            const ULONGLONG start = GetTickCount64();
            const bool ok = act() && ui.Wait(&CDriver::BoxShown, 60000);
            Sleep(100);
            const uint32_t longest = meter.Longest();
            const double seconds = double(GetTickCount64() - start) / 1000.0;
            if (!ok) {
                ++failures;
                std::printf("%-34s %-8s did not run to its message\n", what, f.name);
            } else {
                std::printf("%-34s %-8s longest stall of the window's thread: %u ms (answer after %.1f s)\n", what,
                            f.name, longest, seconds);
            }
            std::fflush(stdout);
            ui.Answer();
        }
        Control(port, L"clear");
    };

    // The control figure: the same measure over 10 s with nothing to do.
    meter.Reset();
    Sleep(10000);
    std::printf("%-34s %-8s longest stall of the window's thread: %u ms\n", "idle, no request", "", meter.Longest());

    // Logged out first, whatever an earlier run left.
    if (!ui.ClickStyle(L"ConfigButton")) return 1;
    if (ui.Shown(kAccountWindow) && ui.ClickId(kLogoutLink)) {
        ui.Answer(L"是");
        ui.Shown(kAccountWindow, false);
        ui.ClickStyle(L"ConfigButton");
    }
    if (!ui.Shown(kLoginWindow)) {
        std::fprintf(stderr, "bench_app: the login page did not come up\n");
        return 1;
    }
    if (!ui.Type(kAccountBox, L"demo") || !ui.Type(kPasswordBox, L"demo1234")) {
        std::fprintf(stderr, "bench_app: typing into the login page did not arrive\n");
        ui.Wait([](const uidump::Dump& d) {
            for (const auto& r : d.rows)
                if (r.visible && r.x < 900 && r.y > 200 && r.y < 600)
                    std::fprintf(stderr, "  %d %ls %d,%d %dx%d '%ls'\n", r.id, r.style.c_str(), r.x, r.y, r.width,
                                 r.height, r.text.c_str());
            return true;
        });
        return 1;
    }
    scenario("log in (登录)", kLoginPath, [&] { return ui.ClickId(kLoginButton); });
    // Logged in for real, for the account page.
    ui.ClickId(kLoginButton);
    if (!ui.Shown(kLoginWindow, false) || !ui.ClickStyle(L"ConfigButton") || !ui.Shown(kAccountWindow)) {
        std::fprintf(stderr, "bench_app: the login did not succeed\n");
        return 1;
    }
    scenario("upload (上传我的方案)", kUploadPath, [&] { return ui.ClickId(kUploadButton); });
    scenario("download (下载我的方案)", kDownloadPath, [&] { return ui.ClickId(kDownloadButton); });
    failures += RunAnsweredAccountScenarios(ui, meter);
    ui.ClickId(kAccountWindow + 91);  // its close button
    ui.Shown(kAccountWindow, false);

    scenario("check for updates (tray)", kDescriptionPath, [&] {
        return PostMessageW(window, WM_COMMAND, kCheckUpdate, 0) != 0;
    });
    scenario("check for updates (检查更新)", kDescriptionPath, [&] {
        return ui.ClickStyle(L"UpdateButton", L"检查更新");
    });
    ui.ClickStyle(L"UpdateFirmwareOptionButton");
    scenario("firmware version (固件升级)", kFirmwarePath, [&] { return ui.ClickStyle(L"UpdateFanLedButton"); });
    failures += RunMaintenanceScenarios(ui, meter);
    // For the exit that follows: the next check meets a host that never answers.
    Control(port, std::wstring(L"fault?mode=hang&delay=60&path=") + kDescriptionPath);
    return failures ? 1 : 0;
}
