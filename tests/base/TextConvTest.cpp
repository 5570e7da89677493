#include <gtest/gtest.h>

#include <random>

#include "TextConv.h"

using namespace textconv;

TEST(Chs, ChineseRoundTripsThroughCodePage936) {
    const std::string bytes = WideToChs(L"张三");
    EXPECT_EQ(bytes, "\xD5\xC5\xC8\xFD");
    EXPECT_EQ(ChsToWide(bytes), L"张三");
    EXPECT_EQ(WideToChs(L"abc 123"), "abc 123");
    EXPECT_EQ(ChsToWide(""), L"");
    EXPECT_EQ(WideToChs(L""), "");
}

TEST(Chs, CharactersOutsideTheCodePageDoNotBreakTheRest) {
    // U+1F600 has no 936 form; the neighbours must survive.
    const std::string bytes = WideToChs(L"a\U0001F600b");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.front(), 'a');
    EXPECT_EQ(bytes.back(), 'b');
}

TEST(Chs, TruncatedMultibyteInputStillConverts) {
    const std::wstring w = ChsToWide("ab\xD5");
    ASSERT_GE(w.size(), 2u);
    EXPECT_EQ(w.substr(0, 2), L"ab");
}

TEST(Utf8, RoundTrip) {
    EXPECT_EQ(WideToUtf8(L"张三"), "\xE5\xBC\xA0\xE4\xB8\x89");
    EXPECT_EQ(Utf8ToWide("\xE5\xBC\xA0\xE4\xB8\x89"), L"张三");
}

TEST(Base64, EncodesStandardVectors) {
    EXPECT_EQ(Base64Encode(""), "");
    EXPECT_EQ(Base64Encode("f"), "Zg==");
    EXPECT_EQ(Base64Encode("fo"), "Zm8=");
    EXPECT_EQ(Base64Encode("foo"), "Zm9v");
    EXPECT_EQ(Base64Encode("foobar"), "Zm9vYmFy");
    const unsigned char high[] = {0xFB, 0xFF, 0xBF};
    EXPECT_EQ(Base64Encode(high, 3), "+/+/");
}

static std::string Decode(std::string_view text) {
    auto v = Base64DecodeTolerant(text);
    return std::string(v.begin(), v.end());
}

TEST(Base64, TolerantDecoderSkipsForeignCharactersAndHonoursPadding) {
    EXPECT_EQ(Decode("Zm9vYmFy"), "foobar");
    EXPECT_EQ(Decode("Zg=="), "f");
    EXPECT_EQ(Decode("Zm8="), "fo");
    EXPECT_EQ(Decode("Zm\r\n9v}"), "foo");
    EXPECT_EQ(Decode("Z m 9 v Y m F y"), "foobar");
    EXPECT_EQ(Decode(""), "");
    EXPECT_EQ(Decode("!!!"), "");
    // A partial trailing group yields its whole bytes only.
    EXPECT_EQ(Decode("Zm9vYg"), "foob");
    EXPECT_EQ(Decode("Z"), "");
}

TEST(Base64, BoundedDecoderNeverWritesPastItsCapacity) {
    uint8_t buf[8];
    std::fill(std::begin(buf), std::end(buf), 0xEE);
    size_t n = 99;
    EXPECT_EQ(Base64DecodeTolerant("Zm9vYmFy", buf, 4, &n), 0);
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 4), "foob");
    EXPECT_EQ(buf[4], 0xEE);
    EXPECT_EQ(Base64DecodeTolerant("Zm9vYmFy", buf, 6, &n), 1);
    EXPECT_EQ(n, 6u);
    EXPECT_EQ(Base64DecodeTolerant("Zm9v", nullptr, 0, &n), 0);
    EXPECT_EQ(n, 0u);
}

TEST(Base64, RandomBytesRoundTripAndStrictnessCheck) {
    std::mt19937 rng(7);
    for (int len = 0; len < 300; ++len) {
        std::string s(static_cast<size_t>(len), '\0');
        for (auto& c : s) c = static_cast<char>(rng());
        const std::string enc = Base64Encode(s);
        EXPECT_TRUE(Base64IsStrict(enc));
        EXPECT_EQ(Decode(enc), s);
    }
    EXPECT_FALSE(Base64IsStrict("Zm9"));
    EXPECT_FALSE(Base64IsStrict("Zm9v}"));
    EXPECT_FALSE(Base64IsStrict("Z=9v"));
    EXPECT_FALSE(Base64IsStrict("Zm9v\r\n"));
    EXPECT_TRUE(Base64IsStrict(""));
}

TEST(PercentE, ExamplesOfTheAccountApi) {
    EXPECT_EQ(PercentEncodeE(L"张三"), "%E5%BC%A0%E4%B8%89");
    EXPECT_EQ(PercentEncodeE(L"a b"), "a+b");
    EXPECT_EQ(PercentEncodeE(L"a-b"), "a%2Db");
    EXPECT_EQ(PercentEncodeE(L"User_01.x~"), "User%5F01%2Ex%7E");
    EXPECT_EQ(PercentEncodeE(L"a\tb\r\n"), "a+b++");
    EXPECT_EQ(PercentEncodeE(L""), "");
}

TEST(PercentE, ByteStepEncodesEveryNonAlphanumericByte) {
    EXPECT_EQ(PercentEncodeBytes("p&w=1+2%"), "p%26w%3D1%2B2%25");
    EXPECT_EQ(PercentEncodeBytes(std::string("\xD5\xC5", 2)), "%D5%C5");
    EXPECT_EQ(PercentEncodeBytes("a b\tc\n"), "a+b+c+");
    EXPECT_EQ(PercentEncodeBytes("a b\tc\n", PlusFor::SpaceOnly), "a+b%09c%0A");
}

#include <cstdlib>
#include <windows.h>

// The suites run twice, under a Western and a Chinese system code page; make
// sure the harness really delivers the one it promises.
TEST(Harness, SystemCodePageFollowsTheLocaleOfTheRun) {
    const char* lang = std::getenv("LANG");
    if (!lang) GTEST_SKIP();
    const unsigned expected = std::string(lang).rfind("zh_CN", 0) == 0 ? 936u : 1252u;
    EXPECT_EQ(GetACP(), expected);
}
