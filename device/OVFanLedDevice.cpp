#include "OVFanLedDevice.h"

#include <windows.h>
// SetupAPI and the HID class GUID.
#include <setupapi.h>
extern "C" {
#include <hidsdi.h>
}

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "OVHidTransport.h"
#include "SystemMessage.h"

namespace {

thread_local OVExchangeError t_lastError = OVExchangeError::kNone;

// Owns a device information set.
class CDevInfoList {
public:
    explicit CDevInfoList(HDEVINFO set) : set_(set) {}
    ~CDevInfoList() {
        if (set_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set_);
    }
    CDevInfoList(const CDevInfoList&) = delete;
    CDevInfoList& operator=(const CDevInfoList&) = delete;
    HDEVINFO Get() const { return set_; }

private:
    HDEVINFO set_;
};

// The interface paths of the present HID interfaces, in enumeration order.
std::vector<std::wstring> EnumerateHidInterfacePaths() {
    std::vector<std::wstring> paths;
    GUID hidGuid{};
    HidD_GetHidGuid(&hidGuid);
    CDevInfoList set(SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (set.Get() == INVALID_HANDLE_VALUE) return paths;
    for (DWORD index = 0; index < 64; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!SetupDiEnumDeviceInterfaces(set.Get(), nullptr, &hidGuid, index, &data)) {
            if (GetLastError() == ERROR_NO_MORE_ITEMS) break;
            continue;
        }
        DWORD needed = 0;
        SetupDiGetDeviceInterfaceDetailW(set.Get(), &data, nullptr, 0, &needed, nullptr);
        if (needed < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) || needed > 64 * 1024) continue;
        // 8-byte aligned, zeroed block; the size field is that of the fixed
        // part in this process's layout (8 on 64-bit Windows, not 6).
        std::vector<unsigned long long> block((needed + 7) / 8, 0);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(block.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (SetupDiGetDeviceInterfaceDetailW(set.Get(), &data, detail, needed, nullptr, nullptr) == TRUE) {
            const size_t maxChars = (needed - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath)) / sizeof(wchar_t);
            paths.emplace_back(detail->DevicePath, wcsnlen(detail->DevicePath, maxChars));
        }
    }
    return paths;
}

std::wstring ControllerPathFromEnvironment() {
    wchar_t buffer[1024];
    const DWORD n = GetEnvironmentVariableW(L"VENTARO_CONTROLLER_PATH", buffer, 1024);
    if (n == 0 || n >= 1024) return {};
    return std::wstring(buffer, n);
}

// The deployment setting's path, else the first matching HID interface.
std::wstring FindControllerPath() {
    std::wstring path = ControllerPathFromEnvironment();
    if (path.empty()) path = ovproto::SelectControllerPath(EnumerateHidInterfacePaths());
    return path;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

// Which of the user's settings a command carries (SentSinceReturn).
int StateOfCommand(uint8_t command) {
    switch (command) {
    case ovproto::kSetFanLevel:
        return COVFanLedDevice::kFanStateSent;
    case ovproto::kSetLightMode:
    case ovproto::kSetLightColor:
    case ovproto::kSetLightInterval:
    case ovproto::kSetLightBrightness:
        return COVFanLedDevice::kLightStateSent;
    default:
        return 0;
    }
}

}  // namespace

COVFanLedDevice::COVFanLedDevice() = default;

COVFanLedDevice::~COVFanLedDevice() { CloseDevice(); }

int COVFanLedDevice::Discover() {
    const std::wstring path = FindControllerPath();
    {
        std::lock_guard<std::mutex> guard(lock_);
        path_ = path;
        discovered_ = 1;
    }
    if (path.empty()) ShowSystemMessage(L"未找到设备控制器!", L"信息");
    return 1;
}

int COVFanLedDevice::UseDevicePath(const std::wstring& path) {
    std::lock_guard<std::mutex> guard(lock_);
    path_ = path;
    discovered_ = 1;
    return 1;
}

int COVFanLedDevice::OpenDevice() {
    std::wstring path;
    int lostBefore = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        lostBefore = wanted_ && !transport_;
        wanted_ = 1;
        lastLook_ = Clock::now();  // the next lookup is a second away
        if (transport_) return 1;
        path = path_;
    }
    LinkNews news;
    news.settled = !lostBefore;  // wanted from now on, and not open
    int opened = 0;
    if (!path.empty()) {
        std::unique_ptr<COVReportTransport> transport = OpenHidReportTransport(path);
        if (transport) {
            std::lock_guard<std::mutex> guard(lock_);
            if (!transport_) transport_ = std::move(transport);
            news.settled = lostBefore != 0;
            opened = 1;
        } else {
            ShowSystemMessage(L"控制器连接失败!", L"信息");
        }
    }
    Tell(news);
    return opened;
}

int COVFanLedDevice::OpenWithTransport(std::unique_ptr<COVReportTransport> transport) {
    if (!transport) return 0;
    std::lock_guard<std::mutex> guard(lock_);
    transport_ = std::move(transport);
    wanted_ = 1;
    lastLook_ = Clock::now();
    return 1;
}

int COVFanLedDevice::CloseDevice() {
    std::unique_ptr<COVReportTransport> closing;
    LinkNews news;
    {
        std::lock_guard<std::mutex> guard(lock_);
        news.settled = wanted_ && !transport_;
        closing = std::move(transport_);
        wanted_ = 0;
    }
    closing.reset();  // closes the handle here, outside the lock
    Tell(news);
    return 1;
}

void COVFanLedDevice::SetLinkObserver(LinkObserver observer) {
    std::lock_guard<std::mutex> guard(lock_);
    observer_ = std::move(observer);
}

int COVFanLedDevice::LookForControllerNow() {
    LinkNews news;
    int open = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!transport_ && wanted_) LookUpLocked(&news);
        open = transport_ ? 1 : 0;
    }
    Tell(news);
    return open;
}

void COVFanLedDevice::OnInterfaceRemoved(const std::wstring& path) {
    LinkNews news;
    std::unique_ptr<COVReportTransport> closing;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!transport_ || !SamePath(path, path_)) return;
        closing = std::move(transport_);
        lastLook_ = Clock::now();
        news.lost = wanted_ != 0;
    }
    closing.reset();
    Tell(news);
}

int COVFanLedDevice::IsLinkLost() const {
    std::lock_guard<std::mutex> guard(lock_);
    return wanted_ && !transport_ ? 1 : 0;
}

unsigned COVFanLedDevice::GetLookupCount() const {
    std::lock_guard<std::mutex> guard(lock_);
    return lookups_;
}

int COVFanLedDevice::SentSinceReturn() const {
    std::lock_guard<std::mutex> guard(lock_);
    return sentSinceReturn_;
}

int COVFanLedDevice::LookUpLocked(LinkNews* news) {
    ++lookups_;
    lastLook_ = Clock::now();
    // The controller usually comes back under its old path; a new one (another
    // port) is found by the search, and the development path by its setting.
    std::wstring path = FindControllerPath();
    if (path.empty()) path = path_;
    if (path.empty()) return 0;
    std::unique_ptr<COVReportTransport> transport = OpenHidReportTransport(path);
    if (!transport) return 0;
    path_ = path;
    discovered_ = 1;
    transport_ = std::move(transport);
    sentSinceReturn_ = 0;
    news->returned = true;
    return 1;
}

void COVFanLedDevice::NoteFailureLocked(OVExchangeError error, LinkNews* news) {
    if (error != OVExchangeError::kDeviceGone || !transport_) return;
    // A dead handle fails every later exchange: close it and look again later.
    transport_.reset();
    lastLook_ = Clock::now();
    news->lost = wanted_ != 0;
}

void COVFanLedDevice::Tell(const LinkNews& news) {
    if (!news.lost && !news.returned && !news.settled) return;
    LinkObserver observer;
    {
        std::lock_guard<std::mutex> guard(lock_);
        observer = observer_;
    }
    if (!observer) return;
    if (news.returned) observer(OVLinkEvent::kReturned);
    if (news.lost) observer(OVLinkEvent::kLost);
    if (news.settled) observer(OVLinkEvent::kSettled);
}

int COVFanLedDevice::IsDiscovered() const {
    std::lock_guard<std::mutex> guard(lock_);
    return discovered_;
}

int COVFanLedDevice::IsOpen() const {
    std::lock_guard<std::mutex> guard(lock_);
    return transport_ ? 1 : 0;
}

std::wstring COVFanLedDevice::GetDevicePath() const {
    std::lock_guard<std::mutex> guard(lock_);
    return path_;
}

void COVFanLedDevice::SetReplyTimeout(unsigned milliseconds) {
    std::lock_guard<std::mutex> guard(lock_);
    replyTimeoutMs_ = milliseconds;
}

unsigned COVFanLedDevice::GetReplyTimeout() const {
    std::lock_guard<std::mutex> guard(lock_);
    return replyTimeoutMs_;
}

int COVFanLedDevice::BuildFrame(uint8_t command, const uint8_t* payload, size_t payloadLength, uint8_t* report,
                                size_t* bytesToWrite) {
    const size_t n = ovproto::BuildRequestReport(command, payload, payloadLength, report);
    if (bytesToWrite) *bytesToWrite = n;
    return n == ovproto::kOutputReportSize ? 1 : 0;
}

int COVFanLedDevice::ReadReply(uint8_t* buffer, size_t* count) {
    if (count) *count = 0;
    LinkNews news;
    ovproto::COVReplyAssembler assembler;
    int ok = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!transport_) {
            t_lastError = OVExchangeError::kNotOpen;
            return 0;
        }
        OVExchangeError error = OVExchangeError::kNone;
        ok = ReadReplyReports(*transport_, replyTimeoutMs_, &assembler, &error);
        t_lastError = error;
        if (!ok) NoteFailureLocked(error, &news);
    }
    Tell(news);
    if (!ok) return 0;
    if (buffer) std::memcpy(buffer, assembler.Frame(), assembler.Count());
    if (count) *count = assembler.Count();
    return 1;
}

int COVFanLedDevice::ParseFrame(const uint8_t* bytes, size_t count, uint8_t* replyCode, uint8_t* payload,
                                size_t* payloadLength) {
    ovproto::ReplyFrame frame;
    if (!ovproto::ParseReplyFrame(bytes, count, &frame)) return 0;
    if (replyCode) *replyCode = frame.code;
    if (payload) std::memcpy(payload, frame.payload, frame.payloadLength);
    if (payloadLength) *payloadLength = frame.payloadLength;
    return 1;
}

int COVFanLedDevice::Exchange(uint8_t command, const uint8_t* payload, size_t payloadLength, ovproto::ReplyFrame* reply) {
    LinkNews news;
    int ok = 0;
    {
        std::lock_guard<std::mutex> guard(lock_);
        // A lost controller is looked for on a command, at most once a
        // second: a flood of commands while it is away costs no more.
        if (!transport_ && wanted_ &&
            Clock::now() - lastLook_ >= std::chrono::milliseconds(kLookupIntervalMs))
            LookUpLocked(&news);
        if (!transport_) {
            t_lastError = OVExchangeError::kNotOpen;
        } else {
            OVExchangeError error = OVExchangeError::kNone;
            ok = RunExchange(*transport_, command, payload, payloadLength, replyTimeoutMs_, reply, &error);
            t_lastError = error;
            if (ok) sentSinceReturn_ |= StateOfCommand(command);
            else NoteFailureLocked(error, &news);
        }
    }
    Tell(news);
    return ok;
}

int COVFanLedDevice::Transact(uint8_t command, const uint8_t* payload, size_t payloadLength, uint8_t* replyCode,
                              uint8_t* replyPayload, size_t* replyPayloadLength) {
    ovproto::ReplyFrame reply;
    if (!Exchange(command, payload, payloadLength, &reply)) return 0;
    if (replyCode) *replyCode = reply.code;
    if (replyPayload) std::memcpy(replyPayload, reply.payload, reply.payloadLength);
    if (replyPayloadLength) *replyPayloadLength = reply.payloadLength;
    return 1;
}

OVExchangeError COVFanLedDevice::GetLastExchangeError() { return t_lastError; }

int COVFanLedDevice::SendStatusCommand(uint8_t command, const uint8_t* payload, size_t payloadLength) {
    ovproto::ReplyFrame reply;
    return Exchange(command, payload, payloadLength, &reply) && ovproto::IsStatusReplyOk(command, reply);
}

int COVFanLedDevice::QueryVersion(std::wstring* versionText) {
    ovproto::ReplyFrame reply;
    if (!Exchange(ovproto::kQueryVersion, nullptr, 0, &reply) || !ovproto::IsVersionReplyOk(reply)) return 0;
    if (versionText) *versionText = ovproto::VersionTextFromBytes(reply.payload, reply.payloadLength);
    return 1;
}

int COVFanLedDevice::SetLightMode(uint8_t mode) { return SendStatusCommand(ovproto::kSetLightMode, &mode, 1); }

int COVFanLedDevice::SetLightColor(uint8_t red, uint8_t green, uint8_t blue) {
    const uint8_t payload[3] = {red, green, blue};
    return SendStatusCommand(ovproto::kSetLightColor, payload, 3);
}

int COVFanLedDevice::SetLightInterval(unsigned milliseconds) {
    const unsigned value = milliseconds > 0xFFFF ? 0xFFFF : milliseconds;
    const uint8_t payload[2] = {static_cast<uint8_t>(value & 0xFF), static_cast<uint8_t>(value >> 8)};
    return SendStatusCommand(ovproto::kSetLightInterval, payload, 2);
}

int COVFanLedDevice::SetFanLevel(uint8_t fanIndex, uint8_t level) {
    const uint8_t payload[2] = {fanIndex, level};
    ovproto::ReplyFrame reply;
    return Exchange(ovproto::kSetFanLevel, payload, 2, &reply) && ovproto::IsFanReplyOk(fanIndex, reply);
}

int COVFanLedDevice::SetLightBrightness(uint8_t brightness) {
    return SendStatusCommand(ovproto::kSetLightBrightness, &brightness, 1);
}

int COVFanLedDevice::FactoryReset() { return SendStatusCommand(ovproto::kFactoryReset, nullptr, 0); }

int COVFanLedDevice::RestartController() { return SendStatusCommand(ovproto::kRestartController, nullptr, 0); }
