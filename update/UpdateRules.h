#pragma once
// The update page's rules that need no platform: reading the update
// description, comparing versions, reading the firmware version reply and the
// controller's version text, and the flashing tool's command line.
#include <cstdint>
#include <string>
#include <string_view>

#include "VentaroVersion.h"

namespace updaterules {

// The version compiled into this program (the project version, "1.1.00").
inline constexpr const wchar_t* kCurrentVersion = VENTARO_VERSION_WTEXT;
inline constexpr const char* kCurrentVersionBytes = VENTARO_VERSION_TEXT;

inline constexpr const wchar_t* kDescriptionPath = L"/data/soft/host_drive/Refrescor.xml";
inline constexpr const wchar_t* kDescriptionFile = L"Refrescor.xml";
inline constexpr const wchar_t* kUpdaterFile = L"Refresco.exe";
inline constexpr const wchar_t* kFirmwareVersionPath = L"/api_new/website/api.php/v1_1/version/getnewversion";
inline constexpr const char* kFirmwareVersionBody = "key=pc&softType=200";
inline constexpr const wchar_t* kFirmwareFile = L"Firmware.hex";
inline constexpr const wchar_t* kFlashToolFile = L"Zentaflash.exe";
// Processes a failed flash may leave behind, ended by image name.
inline constexpr const wchar_t* kFlashToolImages[] = {L"Zentaflash.exe", L"Flit.exe"};

// Texts the page shows.
inline constexpr const wchar_t* kSoftwareLabelPrefix = L"当前软件版本:";
inline constexpr const wchar_t* kFirmwareLabelPrefix = L"当前固件版本:";
inline constexpr const wchar_t* kFirmwareLabelInitial = L"固件版本";
inline constexpr const wchar_t* kUpdatingText = L"正在更新";
inline constexpr const wchar_t* kUpToDateText = L"   已经是最新版本!                               ";
inline constexpr const wchar_t* kCheckFailedText = L"检查更新失败,请检查网络连接!";
inline constexpr const wchar_t* kUpdaterFailedText = L"启动升级程序失败!";
inline constexpr const wchar_t* kFirmwareNewestText = L"当前固件已经是最新版本!";
inline constexpr const wchar_t* kFirmwareQueryFailedText = L"获取固件版本信息失败!";
inline constexpr const wchar_t* kFlashSucceededText = L"固件更新成功!";
inline constexpr const wchar_t* kFlashFailedText = L"固件更新失败!请重启软件后再试!";
inline constexpr const wchar_t* kExitDuringFlashText = L"固件升级中,请勿关闭程序!";
inline constexpr const wchar_t* kFlashBlocksLogOffText = L"固件升级中,请勿关机或注销!";
inline constexpr const wchar_t* kRestartAskText = L"确定要重启设备控制器吗?";
inline constexpr const wchar_t* kRestartDoneText = L"设备控制器重启成功!";
inline constexpr const wchar_t* kRestartFailedText = L"设备控制器重启失败!";
inline constexpr const wchar_t* kResetAskText = L"确定控制设备要恢复出厂设置吗?";
inline constexpr const wchar_t* kResetDoneText = L"设备控制器恢复出厂设置成功!";
inline constexpr const wchar_t* kResetFailedText = L"设备控制器恢复出厂设置失败!";

// "检测到最新版本:" + version + ",是否现在进行更新?"
std::wstring SoftwareOfferText(std::wstring_view version);
// "检测到最新固件版本:" + number + "已发布!\n\n是否要进行固件升级?"
std::wstring FirmwareOfferText(uint32_t version);

// Byte-wise comparison of zero-terminated texts, as strcmp: 1 when candidate
// sorts after the current version ("1.10.0" does, "1.09" does not).
int IsNewerVersion(const char* candidate);

enum class DescriptionResult { Unreadable, NoUpdate, Newer };
// The update description: the document's first element, its first child
// "UpgradeInfo", and of that element's children, walked from the last to the
// first, the first whose attribute "name" is newer. Unreadable for bytes
// that do not parse as XML.
DescriptionResult FindNewerVersion(std::string_view xml, std::wstring* version);

// The firmware version reply, cut into items as the account replies are
// (quotes removed, cut at ","): item 2 "version" gives the number, item 4
// "download_path" the address with every "/" removed and without the "}"
// that ends the reply when it is the last item. Returns 1 when the version
// was found; a reply of fewer than five items is a failed request.
int ParseFirmwareReply(std::string_view body, uint32_t* version, std::wstring* address);

// The controller's version text: 11 characters of model, then the release.
// What follows the 11th character ("" for a shorter text).
std::wstring ControllerRelease(std::wstring_view versionText);
// The release as an unsigned decimal number (leading digits); 0 for a text of
// 11 characters or fewer.
uint32_t ControllerReleaseNumber(std::wstring_view versionText);

// The largest firmware file the tool is ever given (the controller's flash
// is a small fraction of it); a download announced larger is refused.
inline constexpr uint32_t kFirmwareMaxBytes = 4u << 20;

// Whether bytes are a firmware file worth handing to the flashing tool: not
// empty, at most kFirmwareMaxBytes, and well-formed Intel HEX. Every line
// (ended by CR LF or LF) is a record ":" + hex pairs: byte count, address
// (two bytes), type 00 to 05, the data, a checksum that brings the sum of
// all its bytes to 0 modulo 256; the byte count matches the data. At least
// one data record; the end-of-file record (type 01, no data, as ":00000001FF")
// is the last record.
bool IsFlashableFirmware(std::string_view bytes);

// " silence reset " + the firmware file, quoted when it holds a blank so the
// tool sees one argument.
std::wstring FlashCommandLine(std::wstring_view firmwareFile);

}  // namespace updaterules
