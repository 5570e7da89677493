// Plain text handling of the HTTP client and the deployment settings.
#include <gtest/gtest.h>

#include <windows.h>

#include "HttpText.h"
#include "WebHosts.h"

namespace {

TEST(HostPort, HostAloneMeansPort80AndAPortIsTaken) {
    httptext::HostPort hp;
    ASSERT_EQ(httptext::ParseHostPort(L"api.example.com", &hp), 1);
    EXPECT_EQ(hp.host, L"api.example.com");
    EXPECT_EQ(hp.port, 80);
    ASSERT_EQ(httptext::ParseHostPort(L"127.0.0.1:8080", &hp), 1);
    EXPECT_EQ(hp.host, L"127.0.0.1");
    EXPECT_EQ(hp.port, 8080);
    ASSERT_EQ(httptext::ParseHostPort(L"h:65535", &hp), 1);
    EXPECT_EQ(hp.port, 65535);
}

TEST(HostPort, BrokenValuesAreRefusedAndLeaveTheOutputAlone) {
    httptext::HostPort hp{L"keep", 81};
    for (const wchar_t* bad : {L"", L":80", L"h:", L"h:0", L"h:65536", L"h:8o", L"h:123456", L"a:b:80", L"h:-1"}) {
        EXPECT_EQ(httptext::ParseHostPort(bad, &hp), 0) << bad;
    }
    EXPECT_EQ(hp.host, L"keep");
    EXPECT_EQ(hp.port, 81);
}

TEST(ContentRange, SplitsFirstLastAndTotal) {
    uint32_t total = 9, first = 9, last = 9;
    httptext::SplitContentRange(L"bytes 5000-9999/10000", &total, &first, &last);
    EXPECT_EQ(first, 5000u);
    EXPECT_EQ(last, 9999u);
    EXPECT_EQ(total, 10000u);
}

TEST(ContentRange, NonNumbersAndMissingPartsGiveZero) {
    uint32_t total = 9, first = 9, last = 9;
    httptext::SplitContentRange(L"bytes */10000", &total, &first, &last);
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(last, 0u);
    EXPECT_EQ(total, 10000u);
    httptext::SplitContentRange(L"bytes 7-", &total, &first, &last);
    EXPECT_EQ(first, 7u);
    EXPECT_EQ(last, 0u);
    EXPECT_EQ(total, 0u);
    httptext::SplitContentRange(L"garbage", &total, &first, &last);
    EXPECT_EQ(first + last + total, 0u);
    httptext::SplitContentRange(L"bytes 99999999999-1/x", &total, &first, &last);
    EXPECT_EQ(first, 0xFFFFFFFFu);  // saturates instead of wrapping
    httptext::SplitContentRange(L"", nullptr, nullptr, nullptr);
}

TEST(RangeHeader, IsTheResumeLine) {
    EXPECT_EQ(httptext::RangeHeaderLine(5000), L"Range:bytes=5000-\r\n");
    EXPECT_EQ(httptext::RangeHeaderLine(2147483647), L"Range:bytes=2147483647-\r\n");
}

TEST(ServedAddress, DropsSchemeAndTurnsBackslashesIntoSlashes) {
    std::wstring host, path;
    httptext::SplitServedAddress(L"http:\\\\H\\u\\1.png", &host, &path);
    EXPECT_EQ(host, L"H");
    EXPECT_EQ(path, L"/u/1.png");
    httptext::SplitServedAddress(L"http:\\\\127.0.0.1:8080\\fw\\a.hex", &host, &path);
    EXPECT_EQ(host, L"127.0.0.1:8080");
    EXPECT_EQ(path, L"/fw/a.hex");
    httptext::SplitServedAddress(L"", &host, &path);
    EXPECT_EQ(host, L"");
    EXPECT_EQ(path, L"/");
    httptext::SplitServedAddress(L"hostonly", &host, &path);
    EXPECT_EQ(host, L"hostonly");
    EXPECT_EQ(path, L"/");
}

TEST(WebHosts, EnvironmentOverridesTheCompiledInHost) {
    SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", nullptr);
    const httptext::HostPort compiled = webhosts::AccountApiHost();
    EXPECT_FALSE(compiled.host.empty());
    EXPECT_EQ(compiled.port, 80);

    SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", L"127.0.0.1:18080");
    EXPECT_EQ(webhosts::AccountApiHost().host, L"127.0.0.1");
    EXPECT_EQ(webhosts::AccountApiHost().port, 18080);
    SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", L"api.other");
    EXPECT_EQ(webhosts::AccountApiHost().host, L"api.other");
    EXPECT_EQ(webhosts::AccountApiHost().port, 80);
    // A value that does not parse falls back to the compiled-in host.
    SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", L"api.other:http");
    EXPECT_EQ(webhosts::AccountApiHost().host, compiled.host);
    SetEnvironmentVariableW(L"VENTARO_ACCOUNT_HOST", nullptr);

    SetEnvironmentVariableW(L"VENTARO_DOWNLOAD_HOST", L"d:1");
    SetEnvironmentVariableW(L"VENTARO_SWITCH_HOST", L"s:2");
    SetEnvironmentVariableW(L"VENTARO_MEMBER_SITE", L"m:3");
    EXPECT_EQ(webhosts::DownloadHost().port, 1);
    EXPECT_EQ(webhosts::SwitchHost().host, L"s");
    EXPECT_EQ(webhosts::MemberSiteHost().port, 3);
    EXPECT_EQ(webhosts::MemberSiteAddress(L"index.php?mod=login&fun=register"),
              L"http://m:3/index.php?mod=login&fun=register");
    SetEnvironmentVariableW(L"VENTARO_MEMBER_SITE", L"www.m.example");
    EXPECT_EQ(webhosts::MemberSiteAddress(L"index.php?mod=login&fun=forget_password"),
              L"http://www.m.example/index.php?mod=login&fun=forget_password");
    SetEnvironmentVariableW(L"VENTARO_DOWNLOAD_HOST", nullptr);
    SetEnvironmentVariableW(L"VENTARO_SWITCH_HOST", nullptr);
    SetEnvironmentVariableW(L"VENTARO_MEMBER_SITE", nullptr);
}

TEST(WebHosts, HostsNamedInRepliesKeepTheirPort) {
    EXPECT_EQ(webhosts::ServedHost(L"127.0.0.1:9000").port, 9000);
    EXPECT_EQ(webhosts::ServedHost(L"pic.example").port, 80);
    EXPECT_EQ(webhosts::ServedHost(L"odd:name:x").host, L"odd:name:x");
}

}  // namespace
