// The settings sync's payload and file handling, without network: what is
// uploaded, which downloads are accepted, and that the files are replaced
// whole or not at all. The profile-file edits are checked against the
// system's own profile functions.
#include <gtest/gtest.h>

#include <algorithm>

#include <windows.h>

#include "SettingsFiles.h"
#include "SettingsSync.h"
#include "TestPaths.h"
#include "WebServiceStub.h"

namespace {

using settingssync::BuildUploadPayload;
using settingssync::KeepLocalAutoLogin;
using settingssync::SplitDownloadedPayload;

std::string Utf16File(const std::wstring& text) {
    std::string out = "\xFF\xFE";
    for (wchar_t c : text) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

const std::wstring kSettingsText =
    L"[OVConfig]\r\nOVFanAutoAdjust=FALSE\r\nOVFanSpeedValue=80\r\nOVLightSelect=我的主题\r\n"
    L"AutoLoginStatus=TRUE\r\nAutoLoginParam=ZGVtbyNAI2RlbW8xMjM0\r\n";
const std::wstring kThemesText =
    L"[LightSetConfig]\r\nRecordBaseID=7\r\n[RID_7]\r\nLightSetName=我的新主题\r\nLightSetStatus=true\r\n";

std::wstring ProfileRead(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[256] = {};
    GetPrivateProfileStringW(section, key, L"<none>", buffer, 256, file.c_str());
    return buffer;
}

TEST(SettingsSyncPayload, UploadBlanksOnlyTheParameterAndRoundTrips) {
    const std::string settings = Utf16File(kSettingsText);
    const std::string themes = Utf16File(kThemesText);
    std::string payload;
    ASSERT_EQ(BuildUploadPayload(settings, themes, &payload), 1);

    std::wstring blankedText = kSettingsText;
    blankedText.replace(blankedText.find(L"ZGVt"), 20, L"");
    EXPECT_EQ(payload, Utf16File(blankedText) + "#$#" + themes);
    EXPECT_EQ(payload.find("Z\0G\0V\0t", 0, 8), std::string::npos);

    std::string gotSettings, gotThemes;
    ASSERT_EQ(SplitDownloadedPayload(payload, &gotSettings, &gotThemes), 1);
    EXPECT_EQ(gotSettings, Utf16File(blankedText));
    EXPECT_EQ(gotThemes, themes);

    // An ANSI file (a hand-made or older one) keeps its bytes and line ends.
    const std::string ansi = "[OVConfig]\nOVLightSelect=Orvane\n  autologinparam = abc=\nOther=1\n";
    ASSERT_EQ(BuildUploadPayload(ansi, "[LightSetConfig]\nRecordBaseID=0\n", &payload), 1);
    EXPECT_EQ(payload, "[OVConfig]\nOVLightSelect=Orvane\nAutoLoginParam=\nOther=1\n#$#[LightSetConfig]\nRecordBaseID=0\n");

    // Without the key nothing is added; an empty or missing theme file still
    // gives the two-part form.
    ASSERT_EQ(BuildUploadPayload("[OVConfig]\r\nA=1\r\n", "", &payload), 1);
    EXPECT_EQ(payload, "[OVConfig]\r\nA=1\r\n#$#");

    // A parameter of the same name in another section is not the setting.
    ASSERT_EQ(BuildUploadPayload("[Other]\nAutoLoginParam=x\n[OVConfig]\nAutoLoginParam=y\n", "", &payload), 1);
    EXPECT_EQ(payload, "[Other]\nAutoLoginParam=x\n[OVConfig]\nAutoLoginParam=\n#$#");

    // A file that holds the separator could never come back as two parts.
    payload = "unchanged";
    EXPECT_EQ(BuildUploadPayload(settings, "[LightSetConfig]\nLightSetName=a#$#b\n", &payload), 0);
    EXPECT_EQ(BuildUploadPayload("[OVConfig]\nOVLightSelect=#$#\n", themes, &payload), 0);
    // Nor could settings ending in "#$": with the separator they read "#$#$#",
    // cut two bytes early. In UTF-16 that is a last character U+2423 ("␣").
    EXPECT_EQ(BuildUploadPayload("[OVConfig]\r\nOVLightSelect=a#$", themes, &payload), 0);
    EXPECT_EQ(BuildUploadPayload(Utf16File(L"[OVConfig]\r\nOVLightSelect=\u2423"), themes, &payload), 0);
    EXPECT_EQ(payload, "unchanged");
    // A "#" or "$" alone at either end is no separator.
    ASSERT_EQ(BuildUploadPayload("[OVConfig]\r\nOVLightSelect=a#", "$#[LightSetConfig]\r\n", &payload), 1);
    EXPECT_EQ(payload, "[OVConfig]\r\nOVLightSelect=a##$#$#[LightSetConfig]\r\n");
    // The same character followed by the line end the program writes is fine.
    const std::string lineEnded = Utf16File(L"[OVConfig]\r\nOVLightSelect=\u2423\r\n");
    ASSERT_EQ(BuildUploadPayload(lineEnded, themes, &payload), 1);
    ASSERT_EQ(SplitDownloadedPayload(payload, &gotSettings, &gotThemes), 1);
    EXPECT_EQ(gotSettings, lineEnded);
    EXPECT_EQ(gotThemes, themes);
}

TEST(SettingsSyncPayload, OnlyATwoPartPayloadWithBothTablesIsAccepted) {
    const std::string settings = Utf16File(kSettingsText);
    const std::string themes = Utf16File(kThemesText);
    const std::string ansiThemes = "; shipped\r\n\r\n[lightsetconfig]\r\nRecordBaseID = 3\r\n";
    struct Case {
        const char* what;
        std::string payload;
        int accepted;
    };
    const Case cases[] = {
        {"both UTF-16", settings + "#$#" + themes, 1},
        {"ANSI themes with a comment first, name in other case", settings + "#$#" + ansiThemes, 1},
        {"one part", settings, 0},
        {"three parts", settings + "#$#" + themes + "#$#" + themes, 0},
        {"empty", "", 0},
        {"only the separator", "#$#", 0},
        {"parts swapped", themes + "#$#" + settings, 0},
        {"settings without OVConfig", "[Other]\nA=1\n#$#" + ansiThemes, 0},
        {"table-less theme part", settings + "#$#" + "[RID_1]\nLightSetName=x\n", 0},
        {"table not first", settings + "#$#" + "[RID_1]\nA=1\n[LightSetConfig]\nRecordBaseID=3\n", 0},
        {"table without counter", settings + "#$#" + "[LightSetConfig]\n[RID_1]\nRecordBaseID=3\n", 0},
        {"empty counter", settings + "#$#" + "[LightSetConfig]\nRecordBaseID=\n", 0},
        {"garbled", std::string("\x9c\x01\xff#$#\x00\x00garbage", 15), 0},
    };
    for (const Case& c : cases) {
        std::string gotSettings = "old settings", gotThemes = "old themes";
        EXPECT_EQ(SplitDownloadedPayload(c.payload, &gotSettings, &gotThemes), c.accepted) << c.what;
        if (!c.accepted) {
            EXPECT_EQ(gotSettings, "old settings") << c.what;
            EXPECT_EQ(gotThemes, "old themes") << c.what;
        }
    }
}

TEST(SettingsSyncPayload, DownloadKeepsTheLocalAutoLoginKeysAsTheSystemReadsThem) {
    const std::wstring dir = testpaths::MakeTempDir(L"sync");
    struct Case {
        const char* what;
        std::string downloaded;
    };
    // The downloaded copy carries another machine's keys, blank ones, or none.
    const Case cases[] = {
        {"UTF-16 with foreign keys", Utf16File(kSettingsText)},
        {"UTF-16 blanked", Utf16File(L"[OVConfig]\r\nOVFanSpeedValue=55\r\nAutoLoginStatus=FALSE\r\nAutoLoginParam=\r\n")},
        {"ANSI without the keys, more sections after",
         "[OVConfig]\nOVFanSpeedValue=55\n\n[Extra]\nAutoLoginParam=keep\n"},
        {"last line unterminated", "[OVConfig]\r\nOVFanSpeedValue=55"},
        {"last line ending in a lone CR", "[OVConfig]\r\nOVFanSpeedValue=55\r"},
        {"section missing", "OVFanSpeedValue=55\r\n"},
    };
    for (const Case& c : cases) {
        for (int status : {0, 1}) {
            const std::wstring param = status ? L"bG9jYWwjQCNwYXNz" : L"";
            const std::string merged = KeepLocalAutoLogin(c.downloaded, status, param);
            const std::wstring file = dir + L"merged.ini";
            ASSERT_EQ(settingsfiles::ReplaceFileAtomically(file, merged), 1);
            EXPECT_EQ(ProfileRead(file, L"OVConfig", L"AutoLoginStatus"), status ? L"TRUE" : L"FALSE") << c.what;
            EXPECT_EQ(ProfileRead(file, L"OVConfig", L"AutoLoginParam"), param) << c.what;
            std::wstring value;
            ASSERT_EQ(settingssync::ReadProfileValue(merged, L"OVConfig", L"AutoLoginParam", &value), 1) << c.what;
            EXPECT_EQ(value, param);
            if (c.downloaded.find("[OVConfig]") != std::string::npos) {
                EXPECT_EQ(ProfileRead(file, L"OVConfig", L"OVFanSpeedValue"), L"55") << c.what;
                ASSERT_EQ(settingssync::ReadProfileValue(merged, L"OVConfig", L"OVFanSpeedValue", &value), 1);
                EXPECT_EQ(value, L"55") << c.what;
            }
            if (c.downloaded.find("[Extra]") != std::string::npos) {
                EXPECT_EQ(ProfileRead(file, L"Extra", L"AutoLoginParam"), L"keep") << c.what;
            }
        }
    }
    // Everything else of the downloaded file stays as it came.
    std::wstring expected = kSettingsText;
    expected.replace(expected.find(L"AutoLoginStatus=TRUE"), 20, L"AutoLoginStatus=FALSE");
    expected.replace(expected.find(L"ZGVt"), 20, L"");
    EXPECT_EQ(KeepLocalAutoLogin(Utf16File(kSettingsText), 0, L""), Utf16File(expected));
    EXPECT_EQ(settingssync::FirstSectionName(Utf16File(kThemesText)), L"LightSetConfig");
    // A lone "\r" ending the file is a line end: the header before it keeps
    // its name, even one without "]", and new keys land in that section.
    for (const char* downloaded : {"[OVConfig\r", "X=1\r"}) {
        const std::string merged = KeepLocalAutoLogin(downloaded, 1, L"cGFyYW0=");
        EXPECT_EQ(merged.find("\r\r"), std::string::npos) << downloaded;
        std::wstring value;
        ASSERT_EQ(settingssync::ReadProfileValue(merged, L"OVConfig", L"AutoLoginStatus", &value), 1) << downloaded;
        EXPECT_EQ(value, L"TRUE");
        EXPECT_EQ(std::count(merged.begin(), merged.end(), '['), 1) << downloaded;
    }
}

TEST(SettingsSyncFiles, ReplacementIsWholeOrNothing) {
    const std::wstring dir = testpaths::MakeTempDir(L"syncfiles");
    const std::wstring a = dir + L"OVCLIENT.ini", b = dir + L"LightSetConfig.ini";
    ASSERT_EQ(settingsfiles::ReplaceFileAtomically(a, "old a"), 1);
    ASSERT_EQ(settingsfiles::ReplaceFileAtomically(b, "old b"), 1);
    std::string bytes;
    ASSERT_EQ(settingsfiles::ReadWholeFile(a, &bytes), 1);
    EXPECT_EQ(bytes, "old a");

    // A pair whose second file cannot be replaced (a folder stands in its
    // place) leaves the first one as it was.
    const std::wstring blocked = dir + L"blocked";
    ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
    EXPECT_EQ(settingsfiles::ReplaceFilePair(a, "new a", blocked, "new b"), 0);
    EXPECT_EQ(webstub::ReadFileBytes(a), "old a");
    // A second file in a folder that does not exist: nothing is touched.
    EXPECT_EQ(settingsfiles::ReplaceFilePair(a, "new a", dir + L"missing\\x.ini", "new b"), 0);
    EXPECT_EQ(webstub::ReadFileBytes(a), "old a");

    ASSERT_EQ(settingsfiles::ReplaceFilePair(a, std::string("new\0a", 5), b, ""), 1);
    EXPECT_EQ(webstub::ReadFileBytes(a), std::string("new\0a", 5));
    EXPECT_EQ(webstub::ReadFileBytes(b), "");

    // No temporary file is left behind by any of it.
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((dir + L"*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> names;
    do {
        if (found.cFileName[0] != L'.') names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"LightSetConfig.ini", L"OVCLIENT.ini", L"blocked"}));

    EXPECT_EQ(settingsfiles::ReadWholeFile(dir + L"none.ini", &bytes), 0);
    EXPECT_EQ(settingsfiles::ReplaceFileAtomically(dir + L"missing\\x.ini", "x"), 0);
}

}  // namespace
