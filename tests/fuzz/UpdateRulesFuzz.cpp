// The update description (TinyXML-2), the firmware version reply, the
// controller's version text and the firmware file check.
#include "FuzzCommon.h"
#include "UpdateRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace updaterules;
    const std::string_view bytes = fuzz::Bytes(data, size);
    std::wstring version;
    if (FindNewerVersion(bytes, &version) == DescriptionResult::Newer)
        fuzz::Require(!version.empty(), "a newer version has a name");
    uint32_t number = 0;
    std::wstring address;
    if (ParseFirmwareReply(bytes, &number, &address))
        fuzz::Require(address.find(L'/') == std::wstring::npos, "slashes removed from the address");
    const std::wstring text = fuzz::Widened(data, size);
    const std::wstring release = ControllerRelease(text);
    fuzz::Require(text.size() > 11 || release.empty(), "short version texts have no release");
    if (text.size() <= 11) fuzz::Require(ControllerReleaseNumber(text) == 0, "short version texts count as 0");
    FlashCommandLine(text);
    if (IsFlashableFirmware(bytes))
        fuzz::Require(bytes.front() == ':' && bytes.size() <= kFirmwareMaxBytes, "firmware is Intel HEX records");
    return 0;
}
