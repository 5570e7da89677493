// The update page's plain rules: the update description, version order, the
// firmware version reply, the controller's version text, the tool's command line.
#include <gtest/gtest.h>

#include "HttpText.h"
#include "UpdateRules.h"

using namespace updaterules;

namespace {

std::string Description(const std::string& children) {
    return "<?xml version=\"1.0\"?>\r\n<Refrescor>\r\n  <UpgradeInfo>\r\n" + children + "  </UpgradeInfo>\r\n</Refrescor>\r\n";
}

}  // namespace

TEST(UpdateDescription, TheLastListedNewerVersionWins) {
    std::wstring v;
    EXPECT_EQ(FindNewerVersion(Description("<V name=\"1.0.09\"/><V name=\"1.1.01\"/><V name=\"1.1.02\"/>"), &v),
              DescriptionResult::Newer);
    EXPECT_EQ(v, L"1.1.02");
    // Walked from the last child back: an older entry listed last is skipped.
    v.clear();
    EXPECT_EQ(FindNewerVersion(Description("<V name=\"1.1.05\"/><V name=\"1.1.03\"/><V name=\"1.0.01\"/>"), &v),
              DescriptionResult::Newer);
    EXPECT_EQ(v, L"1.1.03");
    // Children without a name and other elements do not stop the walk.
    EXPECT_EQ(FindNewerVersion(Description("<V name=\"1.2\"/><V file=\"x\"/><!-- c --><V/>"), &v),
              DescriptionResult::Newer);
    EXPECT_EQ(v, L"1.2");
}

TEST(UpdateDescription, NothingNewerOrNoUpgradeInfoIsNoUpdateButBrokenXmlIsUnreadable) {
    std::wstring v = L"untouched";
    EXPECT_EQ(FindNewerVersion(Description("<V name=\"1.0.09\"/><V name=\"1.1.00\"/>"), &v),
              DescriptionResult::NoUpdate);
    EXPECT_EQ(FindNewerVersion(Description(""), &v), DescriptionResult::NoUpdate);
    // Nested deeper than the first element's own children: not found.
    EXPECT_EQ(FindNewerVersion("<R><Box><UpgradeInfo><V name=\"9.9\"/></UpgradeInfo></Box></R>", &v),
              DescriptionResult::NoUpdate);
    // Only the first "UpgradeInfo" counts.
    EXPECT_EQ(FindNewerVersion("<R><UpgradeInfo/><UpgradeInfo><V name=\"9.9\"/></UpgradeInfo></R>", &v),
              DescriptionResult::NoUpdate);
    EXPECT_EQ(v, L"untouched");
    EXPECT_EQ(FindNewerVersion("", &v), DescriptionResult::Unreadable);
    EXPECT_EQ(FindNewerVersion("<html><body>404 Not Found</body>", &v), DescriptionResult::Unreadable);
    EXPECT_EQ(FindNewerVersion("not xml at all", &v), DescriptionResult::Unreadable);
}

TEST(UpdateDescription, VersionsCompareByteWise) {
    EXPECT_FALSE(IsNewerVersion("1.1.00"));
    EXPECT_TRUE(IsNewerVersion("1.1.00a"));
    EXPECT_TRUE(IsNewerVersion("1.2"));
    EXPECT_TRUE(IsNewerVersion("1.10.0"));
    EXPECT_FALSE(IsNewerVersion("1.09"));
    EXPECT_FALSE(IsNewerVersion("1.1.0"));
    EXPECT_FALSE(IsNewerVersion(""));
    EXPECT_FALSE(IsNewerVersion(nullptr));
    EXPECT_TRUE(IsNewerVersion("\xC8\xFD"));  // bytes above 0x7F sort high, as unsigned
}

TEST(FirmwareReply, VersionAndAddressInBothShapes) {
    // download_path last: the closing brace rides on it and is dropped.
    const std::string last =
        "{\"ret_num\":\"0\",\"ret_msg\":\"\\u6210\\u529f\",\"version\":\"106\",\"update_time\":\"2026-06-01\","
        "\"download_path\":\"http:\\/\\/127.0.0.1:8080\\/fw\\/Firmware.hex\"}";
    uint32_t version = 0;
    std::wstring address;
    ASSERT_EQ(ParseFirmwareReply(last, &version, &address), 1);
    EXPECT_EQ(version, 106u);
    EXPECT_EQ(address, L"http:\\\\127.0.0.1:8080\\fw\\Firmware.hex");
    std::wstring host, path;
    httptext::SplitServedAddress(address, &host, &path);
    EXPECT_EQ(host, L"127.0.0.1:8080");
    EXPECT_EQ(path, L"/fw/Firmware.hex");

    // An item after it: nothing to drop, and a "}" inside an address that is
    // not last stays.
    const std::string tail =
        "{\"ret_num\":\"0\",\"ret_msg\":\"ok\",\"version\":\"107\",\"update_time\":\"x\","
        "\"download_path\":\"http:\\/\\/H\\/fw\\/a}.hex\",\"file_size\":\"1234\"}";
    ASSERT_EQ(ParseFirmwareReply(tail, &version, &address), 1);
    EXPECT_EQ(version, 107u);
    EXPECT_EQ(address, L"http:\\\\H\\fw\\a}.hex");
}

TEST(FirmwareReply, FailedShapes) {
    uint32_t version = 5;
    std::wstring address = L"kept";
    EXPECT_EQ(ParseFirmwareReply("", &version, &address), 0);
    EXPECT_EQ(ParseFirmwareReply("{\"ret_num\":\"404\",\"ret_msg\":\"x\",\"data\":\"\"}", &version, &address), 0);
    EXPECT_EQ(ParseFirmwareReply("<html><body>Error 500</body></html>", &version, &address), 0);
    EXPECT_EQ(version, 5u);
    EXPECT_EQ(address, L"kept");
    // Five items but item 2 is not the version: no version found.
    EXPECT_EQ(ParseFirmwareReply("{a:1,b:2,c:3,d:4,download_path:x}", &version, &address), 0);
    // Version read as the C runtime does: leading digits only.
    EXPECT_EQ(ParseFirmwareReply("{a:1,b:2,version:12x,d:4,e:5}", &version, &address), 1);
    EXPECT_EQ(version, 12u);
}

TEST(ControllerVersion, ReleaseFromTheTwelfthCharacterAndNoReadPastShortTexts) {
    EXPECT_EQ(ControllerRelease(L"VENTARO-CTL105"), L"105");
    EXPECT_EQ(ControllerReleaseNumber(L"VENTARO-CTL105"), 105u);
    EXPECT_EQ(ControllerReleaseNumber(L"ABCDEFGHIJK106"), 106u);
    // Exactly 11 characters, or fewer: version 0, so any server version is newer.
    EXPECT_EQ(ControllerRelease(L"VENTARO-CTL"), L"");
    EXPECT_EQ(ControllerReleaseNumber(L"VENTARO-CTL"), 0u);
    EXPECT_EQ(ControllerReleaseNumber(L"CTL"), 0u);
    EXPECT_EQ(ControllerReleaseNumber(L""), 0u);
    EXPECT_EQ(ControllerReleaseNumber(L"VENTARO-CTLv2"), 0u);
}

TEST(FlashTool, CommandLineQuotesAPathWithBlanks) {
    EXPECT_EQ(FlashCommandLine(L"C:\\Data\\Firmware.hex"), L" silence reset C:\\Data\\Firmware.hex");
    EXPECT_EQ(FlashCommandLine(L"C:\\Users\\Li Lei\\AppData\\Local\\Ventaro\\Firmware.hex"),
              L" silence reset \"C:\\Users\\Li Lei\\AppData\\Local\\Ventaro\\Firmware.hex\"");
}

TEST(FlashTool, OnlyWellFormedIntelHexIsFlashed) {
    const std::string data = ":10010000214601360121470136007EFE09D2190140\r\n", end = ":00000001FF\r\n";
    EXPECT_TRUE(IsFlashableFirmware(data + end));
    EXPECT_TRUE(IsFlashableFirmware(":0100000041BE\n:00000001FF"));  // LF alone, no last line end
    EXPECT_TRUE(IsFlashableFirmware(data + ":020000040800F2\r\n" + data + end + "\r\n"));
    for (const std::string& bad : {std::string(), end, data, data + end + data, std::string("<html>404</html>"),
                                  ":10010000214601360121470136007EFE09D2190141\r\n" + end,  // checksum
                                  ":11010000214601360121470136007EFE09D2190140\r\n" + end,  // byte count
                                  ":1001000021460136012147013600 7EFE09D219014\r\n" + end,  // not hex
                                  "10010000214601360121470136007EFE09D2190140\r\n" + end,   // no colon
                                  ":00000006FA\r\n" + data + end,                            // type 06
                                  data + "\r\n" + end})                                      // empty line
        EXPECT_FALSE(IsFlashableFirmware(bad)) << bad;
    std::string big;
    while (big.size() <= kFirmwareMaxBytes) big += data;
    EXPECT_FALSE(IsFlashableFirmware(big + end));
}

TEST(UpdateTexts, OffersReadAsTheProgramShowsThem) {
    EXPECT_EQ(SoftwareOfferText(L"1.1.02"), L"检测到最新版本:1.1.02,是否现在进行更新?");
    EXPECT_EQ(FirmwareOfferText(106), L"检测到最新固件版本:106已发布!\n\n是否要进行固件升级?");
    EXPECT_EQ(std::wstring(kUpToDateText).size(), 3u + 8u + 31u);
}
