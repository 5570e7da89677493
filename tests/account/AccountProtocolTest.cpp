// The account API's wire format without a network: form bodies, reply
// reading, escapes, the login record, configuration and automatic-login
// decoding, and a fuzz run of the reply reader.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <random>

#include "AccountProtocol.h"
#include "TextConv.h"

namespace {

using namespace account;


TEST(FormBodies, LoginNameUsesItsOwnEncoding) {
    EXPECT_EQ(FormLoginName(L"张三"), "%E5%BC%A0%E4%B8%89");
    EXPECT_EQ(FormLoginName(L"a b"), "a+b");
    EXPECT_EQ(FormLoginName(L"a-b"), "a%2Db");
    EXPECT_EQ(LoginBody(L"张三", L"pw", L""),
              "key=pc&member_name=%E5%BC%A0%E4%B8%89&member_passwd=pw&terminal_code=&app_key=492718");
}

TEST(FormBodies, ValuesArePercentEncodedFromTheirChsBytes) {
    // "&", "=", "+" and "%" in a password would otherwise split or change the form.
    EXPECT_EQ(FormText(L"a&b=c+d%e f"), "a%26b%3Dc%2Bd%25e+f");
    // 张三 in code page 936 is D5 C5 C8 FD.
    EXPECT_EQ(FormText(L"张三"), "%D5%C5%C8%FD");
    EXPECT_EQ(FormText(L""), "");
    // Only the space may become "+": a form decoder turns "+" into a space, so
    // a tab or a line break must travel as itself.
    EXPECT_EQ(FormText(L"a\tb\r\nc\vd\fe"), "a%09b%0D%0Ac%0Bd%0Ce");
    // The login name keeps its own encoding, where all white space is "+".
    EXPECT_EQ(FormLoginName(L"a\tb"), "a+b");
    EXPECT_EQ(LoginBody(L"demo", L"p&w=1", L"00-1A-2B-3C-4D-5E"),
              "key=pc&member_name=demo&member_passwd=p%26w%3D1&terminal_code=00%2D1A%2D2B%2D3C%2D4D%2D5E"
              "&app_key=492718");
}

TEST(FormBodies, EveryOperationHasItsFieldsInOrder) {
    EXPECT_EQ(LogoutBody(L"abc"), "key=pc&open_id=abc");
    EXPECT_EQ(ChangePasswordBody(L"id", L"old&", L"n=w"),
              "key=pc&open_id=id&oldpassword=old%26&newpassword=n%3Dw&newrepassword=n%3Dw");
    EXPECT_EQ(AddComputerBody(L"AA-BB"), "mac_address=AA%2DBB");
    EXPECT_EQ(AddComputerBody(L""), "mac_address=");
    EXPECT_EQ(DownloadConfigBody(L"id", L"T"), "open_id=id&mac_address=T");
    // base64 of FB FF FE is "+//+": each "+", "/" and "=" must survive form decoding.
    EXPECT_EQ(UploadConfigBody(L"id", L"T", std::string("\xFB\xFF\xFE", 3)),
              "open_id=id&mac_address=T&config=%2B%2F%2F%2B");
    EXPECT_EQ(FormBase64("a"), "YQ%3D%3D");
}

TEST(TerminalCode, FirstPciEthernetOrWirelessAdapterWins) {
    std::vector<AdapterInfo> list = {
        {"Loopback", 24, {1, 2, 3, 4, 5, 6}},
        {"Tunnel", 131, {9, 9, 9, 9, 9, 9}},
        {"Intel PCI-E Network", 999, {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}},
        {"eth", 6, {0xff, 0xff, 0xff, 0xff, 0xff, 0xff}},
    };
    EXPECT_EQ(ChooseTerminalCode(list), L"00-1A-2B-3C-4D-5E");
    list.erase(list.begin() + 2);
    EXPECT_EQ(ChooseTerminalCode(list), L"FF-FF-FF-FF-FF-FF");
    EXPECT_EQ(ChooseTerminalCode({{"wlan", 71, {0xab, 0xcd, 0xef, 1, 2, 3, 4, 5}}}), L"AB-CD-EF-01-02-03");
    EXPECT_EQ(ChooseTerminalCode({{"Loopback", 24, {1, 2, 3, 4, 5, 6}}}), L"");
    EXPECT_EQ(ChooseTerminalCode({}), L"");
    // A short address is padded rather than read past its end.
    EXPECT_EQ(ChooseTerminalCode({{"x", 6, {1, 2}}}), L"01-02-00-00-00-00");
}

TEST(Replies, RefusalCarriesTheDecodedMessage) {
    std::wstring message;
    auto items = SplitReplyItems(ReplyText(R"({"ret_num":"1","ret_msg":"\u5bc6\u7801\u9519\u8bef","data":""})"));
    EXPECT_EQ(ReadReplyStatus(items, &message), ReplyStatus::Refused);
    EXPECT_EQ(message, L"密码错误");
    // As the last item, the message keeps the reply's closing brace.
    items = SplitReplyItems(ReplyText(R"({"ret_num":"1","ret_msg":"\u5bc6\u7801\u9519\u8bef"})"));
    EXPECT_EQ(ReadReplyStatus(items, &message), ReplyStatus::Refused);
    EXPECT_EQ(message, L"密码错误}");
}

TEST(Replies, MessageEndsAtACommaAndTheValueMayHoldColons) {
    std::wstring message;
    auto items = SplitReplyItems(L"{\"ret_num\":\"0\",\"ret_msg\":\"first, second\",\"t\":\"10:20:30\"}");
    EXPECT_EQ(ReadReplyStatus(items, &message), ReplyStatus::Succeeded);
    EXPECT_EQ(message, L"first");
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[2].key, L" second");
    EXPECT_EQ(items[3].key, L"t");
    EXPECT_EQ(items[3].value, L"10:20:30}");
}

TEST(Replies, DamagedShapesAreRecognised) {
    std::wstring message = L"old";
    EXPECT_EQ(ReadReplyStatus(SplitReplyItems(L" {\"ret_num\":\"0\",\"ret_msg\":\"ok\"}"), &message),
              ReplyStatus::Damaged);
    EXPECT_EQ(message, L"接收数据破损!");
    for (const wchar_t* bad : {L"", L"{ret_num:0", L"{\"ret_msg\":\"x\",\"ret_num\":\"0\"}", L"<html>404</html>",
                               L"{\"ret_num\":\"0\" \"ret_msg\":\"x\"}"}) {
        message.clear();
        EXPECT_EQ(ReadReplyStatus(SplitReplyItems(bad), &message), ReplyStatus::Damaged) << bad;
        EXPECT_EQ(message, L"接收数据破损!");
    }
    // ret_num must be exactly "0".
    EXPECT_EQ(ReadReplyStatus(SplitReplyItems(L"{ret_num:00,ret_msg:x}"), &message), ReplyStatus::Refused);
    EXPECT_EQ(ReadReplyStatus(SplitReplyItems(L"{ret_num:,ret_msg:}"), &message), ReplyStatus::Refused);
    EXPECT_EQ(message, L"}");
    EXPECT_EQ(ReadReplyStatus(SplitReplyItems(L"{ret_num:1,ret_msg"), &message), ReplyStatus::Refused);
    EXPECT_EQ(message, L"");
}

TEST(Replies, BodyIsReadUpToTheFirstZeroByteAsChs) {
    EXPECT_EQ(ReplyText(std::string("{ret_num:0\0tail", 15)), L"{ret_num:0");
    EXPECT_EQ(ReplyText("\xD5\xC5\xC8\xFD"), L"张三");
    EXPECT_EQ(ReplyText(""), L"");
}

TEST(Escapes, FourHexDigitsInEitherCase) {
    EXPECT_EQ(DecodeEscapes(L"\\u5bc6\\u7801\\u9519\\u8BEF"), L"密码错误");
    EXPECT_EQ(DecodeEscapes(L"a\\u0041b"), L"aAb");
}

TEST(Escapes, AnythingElseStaysUnchanged) {
    EXPECT_EQ(DecodeEscapes(L"\\u0000"), L"\\u0000");
    EXPECT_EQ(DecodeEscapes(L"\\u12"), L"\\u12");
    EXPECT_EQ(DecodeEscapes(L"\\u12g4x"), L"\\u12g4x");
    EXPECT_EQ(DecodeEscapes(L"http:\\\\H\\x"), L"http:\\\\H\\x");
    EXPECT_EQ(DecodeEscapes(L"\\"), L"\\");
    EXPECT_EQ(DecodeEscapes(L"\\\\u0041"), L"\\A");
    EXPECT_EQ(DecodeEscapes(L""), L"");
}

TEST(LoginRecord, EachKeyGetsItsTreatment) {
    const std::string reply =
        R"({"ret_num":"0","ret_msg":"\u767b\u5f55\u6210\u529f","user":{"memberid":"10001","username":"\u5f20\u4e09",)"
        R"("realname":"\u6f14\u793a","mobile":"138","address":"\u5317\u4eac","email":"a@b.c","usertype":"1",)"
        R"("sex":"2","birthday":"1990-01-01","regtime":"2026-01-01 10:00:00","header":"http:\/\/H\/u\/1.png",)"
        R"("game":"g","regip":"1.2.3.4","open_id":"abc123","updateTime":"2026-06-01 12:00:00","level":"3"}})";
    const auto items = SplitReplyItems(ReplyText(reply));
    std::wstring message;
    ASSERT_EQ(ReadReplyStatus(items, &message), ReplyStatus::Succeeded);
    EXPECT_EQ(message, L"登录成功");
    UserRecord user;
    user.password = L"kept";
    ApplyLoginItems(items, &user);
    EXPECT_EQ(user.memberid, L"10001");
    EXPECT_EQ(user.username, L"张三");
    EXPECT_EQ(user.realname, L"演示");
    EXPECT_EQ(user.address, L"\\u5317\\u4eac");  // stored as sent
    EXPECT_EQ(user.mobile, L"138");
    EXPECT_EQ(user.email, L"a@b.c");
    EXPECT_EQ(user.usertype, L"1");
    EXPECT_EQ(user.sex, L"2");
    EXPECT_EQ(user.birthday, L"1990-01-01");
    EXPECT_EQ(user.regtime, L"2026-01-01 10:00:00");
    EXPECT_EQ(user.header, L"http:\\\\H\\u\\1.png");
    EXPECT_EQ(user.game, L"g");
    EXPECT_EQ(user.regip, L"1.2.3.4");
    EXPECT_EQ(user.open_id, L"abc123");
    EXPECT_EQ(user.updateTime, L"2026-06-01 12:00:00");
    EXPECT_EQ(user.level, L"3}}");  // the last item keeps the closing braces
    EXPECT_EQ(user.password, L"kept");
}

TEST(Config, CleanValueDecodesToExactlyItsBytes) {
    std::string payload;
    ASSERT_EQ(DecodeConfigValue(L"QUJD}", &payload), 1);
    EXPECT_EQ(payload, "ABC");
    ASSERT_EQ(DecodeConfigValue(L"Kz8\\/}", &payload), 1);  // "+?/" with "/" escaped
    EXPECT_EQ(payload, "+??");
    ASSERT_EQ(DecodeConfigValue(L"}", &payload), 1);
    EXPECT_EQ(payload, "");

    std::string big(20 * 1024, '\0');
    std::mt19937 rng(7);
    for (char& c : big) c = static_cast<char>(rng());
    const std::string b64 = textconv::Base64Encode(big) + "}";
    ASSERT_EQ(DecodeConfigValue(std::wstring(b64.begin(), b64.end()), &payload), 1);
    EXPECT_EQ(payload, big);  // no 4096-byte ceiling
}

TEST(Config, UncleanValuesFailAndLeaveThePayloadAlone) {
    std::string payload = "untouched";
    for (const wchar_t* bad : {L"", L"QUJD", L"QUJ}", L"QU=D}", L"QUJD====}", L"QU JD}", L"QUJD\"}", L"Q*JD}",
                               L"QUJD}}", L"\\}"}) {
        EXPECT_EQ(DecodeConfigValue(bad, &payload), 0) << bad;
    }
    EXPECT_EQ(payload, "untouched");
}

TEST(AutoLoginParam, RoundTripsNameAndPassword) {
    const std::wstring param = MakeAutoLoginParam(L"张三", L"p#@#w");
    std::wstring name, password;
    ASSERT_EQ(DecodeAutoLoginParam(param, &name, &password), 1);
    EXPECT_EQ(name, L"张三");
    EXPECT_EQ(password, L"p#@#w");  // split at the first separator only
    EXPECT_EQ(MakeAutoLoginParam(L"a", L"b"), L"YSNAI2I=");
}

TEST(AutoLoginParam, LongParametersAreNotCutAt300Bytes) {
    const std::wstring longName(400, L'n');
    std::wstring name, password;
    ASSERT_EQ(DecodeAutoLoginParam(MakeAutoLoginParam(longName, L"pw"), &name, &password), 1);
    EXPECT_EQ(name, longName);
    EXPECT_EQ(password, L"pw");
}

TEST(AutoLoginParam, CorruptParametersAreRefused) {
    std::wstring name = L"n", password = L"p";
    for (const wchar_t* bad : {L"", L"!!!!", L"YSNAI2I", L"YSNA I2I=", L"张三张三", L"YSNAI2I=YQ"}) {
        EXPECT_EQ(DecodeAutoLoginParam(bad, &name, &password), 0) << bad;
    }
    ASSERT_EQ(DecodeAutoLoginParam(L"YWJj", &name, &password), 1);  // "abc": no separator
    EXPECT_EQ(name, L"abc");
    EXPECT_EQ(password, L"");
}

// Test bytes placed so that they end exactly where an inaccessible page
// begins: reading one element past the end faults at once instead of going
// unnoticed.
class CGuardedCopy {
public:
    CGuardedCopy() {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page_ = info.dwPageSize;
        base_ = static_cast<char*>(VirtualAlloc(nullptr, kRoom + page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        if (base_ && !VirtualProtect(base_ + kRoom, page_, PAGE_NOACCESS, &old)) {
            VirtualFree(base_, 0, MEM_RELEASE);
            base_ = nullptr;
        }
    }
    ~CGuardedCopy() {
        if (base_) VirtualFree(base_, 0, MEM_RELEASE);
    }
    CGuardedCopy(const CGuardedCopy&) = delete;
    CGuardedCopy& operator=(const CGuardedCopy&) = delete;
    bool Ready() const { return base_ != nullptr; }

    std::string_view Bytes(std::string_view bytes) { return {Place(bytes.data(), bytes.size()), bytes.size()}; }
    std::wstring_view Wide(std::wstring_view text) {
        const char* at = Place(text.data(), text.size() * sizeof(wchar_t));
        return {reinterpret_cast<const wchar_t*>(at), text.size()};
    }

private:
    static constexpr size_t kRoom = 64 * 1024;
    const char* Place(const void* data, size_t size) {
        char* at = base_ + kRoom - size;
        std::memcpy(at, data, size);
        return at;
    }
    char* base_ = nullptr;
    size_t page_ = 0;
};

// Thousands of random and truncated replies through the whole reading path,
// every input ending at an inaccessible page.
TEST(ReplyFuzz, RandomAndTruncatedRepliesAreReadSafely) {
    const std::string samples[] = {
        R"({"ret_num":"0","ret_msg":"\u767b\u5f55","user":{"memberid":"1","username":"\u5f20","header":"http:\/\/H\/u\/1.png","open_id":"x","level":"1"}})",
        R"({"ret_num":"0","ret_msg":"ok","config":"QUJDRA\/\/+w==}")",
        R"({"ret_num":"1","ret_msg":"\u5bc6\u7801\u9519\u8bef"})",
    };
    const char alphabet[] = "{}\":,\\u0123456789abcdefABCDEF/ret_nummsgconfig\xD5\xC5\x80\xFF\x00";
    CGuardedCopy guard;
    ASSERT_TRUE(guard.Ready());
    std::mt19937 rng(12345);
    size_t succeeded = 0;
    auto run = [&](const std::string& body) {
        const std::wstring text = ReplyText(guard.Bytes(body));
        ASSERT_LE(text.size(), body.size());
        const auto items = SplitReplyItems(guard.Wide(text));
        std::wstring message;
        const ReplyStatus status = ReadReplyStatus(items, &message);
        if (status == ReplyStatus::Succeeded) {
            ++succeeded;
            ASSERT_EQ(items[0].value, L"0");
        }
        if (status != ReplyStatus::Damaged) {
            ASSERT_LE(message.size(), items[1].value.size());
        }
        UserRecord user;
        ApplyLoginItems(items, &user);
        for (const auto& item : items) {
            const std::wstring decoded = DecodeEscapes(guard.Wide(item.value));
            ASSERT_LE(decoded.size(), item.value.size());
        }
        if (items.size() > 2) {
            std::string payload;
            DecodeConfigValue(guard.Wide(items[2].value), &payload);
        }
        std::wstring name, password;
        DecodeAutoLoginParam(guard.Wide(std::wstring(body.begin(), body.end())), &name, &password);
    };
    for (const std::string& s : samples)
        for (size_t n = 0; n <= s.size(); ++n) run(s.substr(0, n));
    for (int i = 0; i < 5000; ++i) {
        std::string body(rng() % 300, '\0');
        for (char& c : body) c = alphabet[rng() % (sizeof(alphabet) - 1)];
        if (i % 3 == 0) {
            const std::string& sample = samples[(i / 3) % 3];
            body = sample.substr(0, rng() % sample.size()) + body;
        }
        run(body);
        // Fully random bytes, too.
        for (char& c : body) c = static_cast<char>(rng());
        run(body);
    }
    EXPECT_GT(succeeded, 0u);  // the truncations of good replies did get through
}

}  // namespace
