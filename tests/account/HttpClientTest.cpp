// CHTTPClientWTPCtrl against the stand-in web service (started by the ctest
// fixture of this suite).
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "HTTPClientWTPCtrl.h"
#include "WebServiceStub.h"

namespace {

class HttpClient : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(webstub::Port(), 0) << "stand-in not running (VENTARO_WEB_PORT_FILE)";
        webstub::Reset();
        dir_ = testpaths::MakeTempDir(L"http");
    }

    // The form sequence every account operation runs; returns ReadBody's result.
    int FormRequest(const std::wstring& path, const std::string& body, std::vector<char>* buffer, uint32_t* length) {
        CHTTPClientWTPCtrl c;
        if (!c.Open() || !c.Connect(L"127.0.0.1", webstub::Port()) || !c.OpenRequest(1, path, L"", 0) ||
            !c.AddHeaders(L"Content-Type: application/x-www-form-urlencoded") ||
            !c.SendRequest(body.data(), static_cast<uint32_t>(body.size())))
            return 0;
        std::vector<char> headers(4096, 0);
        if (!c.ReceiveResponse(headers.data(), 4096)) return 0;
        std::fill(buffer->begin(), buffer->end(), 0);
        *length = static_cast<uint32_t>(buffer->size());
        const int ok = c.ReadBody(buffer->data(), length);
        c.CloseRequest();
        c.CloseConnection();
        c.Close();
        return ok;
    }

    int Download(const std::wstring& path, const std::wstring& file, int32_t offset) {
        CHTTPClientWTPCtrl c;
        if (!c.Open() || !c.Connect(L"127.0.0.1", webstub::Port())) return 0;
        const int ok = c.DownloadToFile(path, file, offset);
        c.CloseConnection();
        c.Close();
        return ok;
    }

    static void WriteFile(const std::wstring& path, const std::string& bytes) {
        std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    std::wstring dir_;
};

TEST_F(HttpClient, LongReplyKeepsExactlyCapacityAndDrainsTheRest) {
    webstub::Fault(L"mode=big&size=10000");
    std::vector<char> buf(4096);
    uint32_t len = 0;
    ASSERT_EQ(FormRequest(L"/api_new/website/api.php/v2_1/user/login", "key=pc", &buf, &len), 1);
    EXPECT_EQ(len, 4096u);
    std::string expected;
    for (int i = 0; i < 4096; ++i) expected += static_cast<char>('A' + i % 26);
    EXPECT_EQ(std::string(buf.data(), len), expected);

    // A body exactly the capacity long is kept whole.
    webstub::Fault(L"mode=big&size=4096");
    ASSERT_EQ(FormRequest(L"/x", "", &buf, &len), 1);
    EXPECT_EQ(len, 4096u);
}

TEST_F(HttpClient, EmptyBodyGivesLengthZeroAndSuccess) {
    webstub::Fault(L"mode=empty");
    std::vector<char> buf(4096);
    uint32_t len = 99;
    ASSERT_EQ(FormRequest(L"/api_new/website/api.php/v2_1/user/logout", "key=pc", &buf, &len), 1);
    EXPECT_EQ(len, 0u);
}

TEST_F(HttpClient, HeaderBlockLargerThanTheBufferFailsWithoutOverrun) {
    webstub::Fault(L"mode=bigheaders&size=6000");
    CHTTPClientWTPCtrl c;
    ASSERT_EQ(c.Open(), 1);
    ASSERT_EQ(c.Connect(L"127.0.0.1", webstub::Port()), 1);
    ASSERT_EQ(c.OpenRequest(0, L"/OrvaneSwitch.cfg", L"", 0), 1);
    ASSERT_EQ(c.SendRequest(nullptr, 0), 1);
    // The block needs about 12000 bytes as UTF-16; only 2048 are offered.
    std::vector<char> headers(16384, '\x5A');
    EXPECT_EQ(c.ReceiveResponse(headers.data(), 2048), 0);
    EXPECT_EQ(std::string(headers.begin() + 2048, headers.end()), std::string(16384 - 2048, '\x5A'));
    // The body is still there to read.
    std::vector<char> body(64, 0);
    uint32_t len = 64;
    ASSERT_EQ(c.ReadBody(body.data(), &len), 1);
    EXPECT_EQ(std::string(body.data(), len), "[Orvane]\r\nVentaro=TRUE\r\n");
}

TEST_F(HttpClient, StatusIsNotExaminedErrorBodiesAreRead) {
    webstub::Fault(L"mode=500", "server says no");
    std::vector<char> buf(4096);
    uint32_t len = 0;
    ASSERT_EQ(FormRequest(L"/api_new/anything", "a=1", &buf, &len), 1);
    EXPECT_EQ(std::string(buf.data(), len), "server says no");
}

TEST_F(HttpClient, FormTrafficShowsAgentVerbPathHeaderBodyAndPort) {
    std::vector<char> buf(4096);
    uint32_t len = 0;
    const std::string body = "key=pc&member_name=a%2Db&x=\xD5\xC5";
    ASSERT_EQ(FormRequest(L"/api_new/website/api.php/v2_1/user/logout", body, &buf, &len), 1);

    CHTTPClientWTPCtrl get;
    ASSERT_EQ(get.Open(), 1);
    ASSERT_EQ(get.Connect(L"127.0.0.1", webstub::Port()), 1);
    ASSERT_EQ(get.OpenRequest(0, L"/OrvaneSwitch.cfg", L"", 0), 1);
    ASSERT_EQ(get.SendRequest(nullptr, 0), 1);
    std::vector<char> headers(2048, 0);
    ASSERT_EQ(get.ReceiveResponse(headers.data(), 2048), 1);
    // The raw header block is UTF-16 with CR LF separated lines.
    const std::wstring block(reinterpret_cast<const wchar_t*>(headers.data()));
    EXPECT_EQ(block.rfind(L"HTTP/1.1 200", 0), 0u) << std::string(block.begin(), block.end());
    EXPECT_NE(block.find(L"\r\nContent-Length: 24\r\n"), std::wstring::npos);
    get.Close();

    const auto traffic = webstub::Traffic();
    ASSERT_EQ(traffic.size(), 2u);
    const auto& post = traffic[0];
    EXPECT_EQ(post.verb, "POST");
    EXPECT_EQ(post.path, "/api_new/website/api.php/v2_1/user/logout");
    EXPECT_EQ(post.body, body);
    EXPECT_EQ(post.Header("User-Agent"), std::vector<std::string>{"Microsoft Internet Explorer"});
    EXPECT_EQ(post.Header("Content-Type"), std::vector<std::string>{"application/x-www-form-urlencoded"});
    EXPECT_EQ(post.Header("Content-Length"), std::vector<std::string>{std::to_string(body.size())});
    EXPECT_EQ(post.Header("Host"), std::vector<std::string>{"127.0.0.1:" + std::to_string(webstub::Port())});
    EXPECT_TRUE(post.Header("Referer").empty());
    const auto& g = traffic[1];
    EXPECT_EQ(g.verb, "GET");
    EXPECT_EQ(g.path, "/OrvaneSwitch.cfg");
    EXPECT_EQ(g.body, "");
    EXPECT_EQ(g.Header("User-Agent"), std::vector<std::string>{"Microsoft Internet Explorer"});
}

TEST_F(HttpClient, FreshDownloadSizesTheFileBeforeTheFirstBodyByte) {
    const std::wstring file = dir_ + L"fresh.bin";
    WriteFile(file, std::string(20000, 'x'));  // replaced, not appended to
    webstub::Fault(L"mode=holdbody&path=/gen/");
    int result = -1;
    std::thread worker([&] { result = Download(L"/gen/10000.bin", file, 0); });

    // The server holds the body back until released: the file must already be
    // there at its full size, still zero-filled.
    std::string seen;
    for (int i = 0; i < 600; ++i) {
        seen = webstub::ReadFileBytes(file);
        if (seen.size() == 10000) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(seen, std::string(10000, '\0'));
    webstub::Control(L"release");
    worker.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(webstub::ReadFileBytes(file), webstub::Pattern(10000));
}

TEST_F(HttpClient, ABodyAnnouncedBeyondTheLimitIsRefusedBeforeAnythingIsWritten) {
    const std::wstring file = dir_ + L"capped.bin";
    WriteFile(file, "earlier copy");
    CHTTPClientWTPCtrl c;
    ASSERT_TRUE(c.Open() && c.Connect(L"127.0.0.1", webstub::Port()));
    c.SetDownloadLimit(9999);
    EXPECT_EQ(c.DownloadToFile(L"/gen/10000.bin", file, 0), 0);
    EXPECT_FALSE(webstub::FileExists(file));
    EXPECT_EQ(c.DownloadToFile(L"/gen/9999.bin", file, 0), 1);
    EXPECT_EQ(webstub::ReadFileBytes(file), webstub::Pattern(9999));
}

TEST_F(HttpClient, ResumeSendsOneRangeLineAndWritesFromTheServersFirstByte) {
    const std::wstring file = dir_ + L"resume.bin";
    WriteFile(file, std::string(10000, '\xEE'));
    // The server answers from byte 4000 although 5000 was asked for.
    webstub::Fault(L"mode=rangefrom&offset=4000&path=/gen/");
    ASSERT_EQ(Download(L"/gen/10000.bin", file, 5000), 1);
    EXPECT_EQ(webstub::ReadFileBytes(file), std::string(4000, '\xEE') + webstub::Pattern(6000, 4000));

    const auto traffic = webstub::Traffic();
    ASSERT_EQ(traffic.size(), 1u);
    EXPECT_EQ(traffic[0].verb, "GET");
    EXPECT_EQ(traffic[0].path, "/gen/10000.bin");
    EXPECT_EQ(traffic[0].Header("Range"), std::vector<std::string>{"bytes=5000-"});
}

TEST_F(HttpClient, ResumeOfAPartFileCompletesIt) {
    const std::wstring file = dir_ + L"part.bin";
    WriteFile(file, webstub::Pattern(5000));
    ASSERT_EQ(Download(L"/gen/12000.bin", file, 5000), 1);
    EXPECT_EQ(webstub::ReadFileBytes(file), webstub::Pattern(12000));
}

TEST_F(HttpClient, FreshDownloadSendsNoRangeHeader) {
    ASSERT_EQ(Download(L"/gen/100.bin", dir_ + L"a.bin", 0), 1);
    const auto traffic = webstub::Traffic();
    ASSERT_EQ(traffic.size(), 1u);
    EXPECT_TRUE(traffic[0].Header("Range").empty());
}

TEST_F(HttpClient, ResumeWithoutLocalFileFailsAndCreatesNothing) {
    const std::wstring file = dir_ + L"missing.bin";
    EXPECT_EQ(Download(L"/gen/10000.bin", file, 5000), 0);
    EXPECT_FALSE(webstub::FileExists(file));
}

TEST_F(HttpClient, ResumeAgainstServerWithoutContentRangeFails) {
    const std::wstring file = dir_ + L"norange.bin";
    WriteFile(file, std::string(5000, 'k'));
    webstub::Fault(L"mode=norange&path=/gen/");
    EXPECT_EQ(Download(L"/gen/10000.bin", file, 5000), 0);
    EXPECT_EQ(webstub::ReadFileBytes(file), std::string(5000, 'k'));
}

// An error page is never taken for the file: the download fails and no file
// is left, not even an earlier copy of it.
TEST_F(HttpClient, ErrorStatusIsAFailedDownloadAndLeavesNoFile) {
    const std::wstring file = dir_ + L"404.bin";
    WriteFile(file, "an earlier copy");
    EXPECT_EQ(Download(L"/no/such/file.png", file, 0), 0);
    EXPECT_FALSE(webstub::FileExists(file));

    // A whole body under 500 is still an error page.
    webstub::Fault(L"mode=500&path=/gen/");
    EXPECT_EQ(Download(L"/gen/100.bin", file, 0), 0);
    EXPECT_FALSE(webstub::FileExists(file));

    // A resumed download needs 206; a 200 with the whole file is refused
    // and the part already there stays as it was.
    WriteFile(file, std::string(50, 'p'));
    webstub::Fault(L"mode=norange&path=/gen/");
    EXPECT_EQ(Download(L"/gen/100.bin", file, 50), 0);
    EXPECT_EQ(webstub::ReadFileBytes(file), std::string(50, 'p'));

    CHTTPClientWTPCtrl c;
    uint32_t status = 0;
    EXPECT_EQ(c.QueryStatusCode(&status), 0);  // no request yet
    ASSERT_TRUE(c.Open() && c.Connect(L"127.0.0.1", webstub::Port()) && c.OpenRequest(0, L"/nothing", L"", 0) &&
                c.SendRequest(nullptr, 0));
    std::vector<char> headers(4096, 0);
    ASSERT_EQ(c.ReceiveResponse(headers.data(), 4096), 1);
    ASSERT_EQ(c.QueryStatusCode(&status), 1);
    EXPECT_EQ(status, 404u);
}

TEST_F(HttpClient, BodyEndingShortOfItsLengthIsAFailedDownloadAndLeavesNoFile) {
    const std::wstring file = dir_ + L"short.bin";
    webstub::Fault(L"mode=short&path=/gen/");
    EXPECT_EQ(Download(L"/gen/10000.bin", file, 0), 0);
    EXPECT_FALSE(webstub::FileExists(file));
}

TEST_F(HttpClient, DownloadIntoAnUnwritablePlaceFails) {
    EXPECT_EQ(Download(L"/gen/100.bin", dir_ + L"no\\such\\folder\\x.bin", 0), 0);
}

TEST_F(HttpClient, ServerThatNeverAnswersCostsNoMoreThanTheTimeouts) {
    webstub::Fault(L"mode=hang&delay=60");
    CHTTPClientWTPCtrl c;
    ASSERT_EQ(c.Open(), 1);
    ASSERT_EQ(c.SetTimeouts(1500, 1500, 1500), 1);
    ASSERT_EQ(c.Connect(L"127.0.0.1", webstub::Port()), 1);
    ASSERT_EQ(c.OpenRequest(0, L"/OrvaneSwitch.cfg", L"", 0), 1);
    const auto start = std::chrono::steady_clock::now();
    int ok = c.SendRequest(nullptr, 0);
    std::vector<char> headers(2048, 0);
    if (ok) ok = c.ReceiveResponse(headers.data(), 2048);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(ok, 0);
    // The server would hold the request for 60 s; the generous bound covers a loaded machine.
    EXPECT_LT(seconds, 30);
    c.CloseRequest();
    c.CloseConnection();
    c.Close();
}

TEST_F(HttpClient, DroppedConnectionAndDeadPortFailSafely) {
    webstub::Fault(L"mode=drop");
    std::vector<char> buf(4096);
    uint32_t len = 0;
    EXPECT_EQ(FormRequest(L"/api_new/website/api.php/v2_1/user/login", "key=pc", &buf, &len), 0);

    // A port nobody listens on: take a free one from the system and let it go.
    CHTTPClientWTPCtrl c;
    ASSERT_EQ(c.Open(), 1);
    ASSERT_EQ(c.SetTimeouts(3000, 3000, 3000), 1);
    ASSERT_EQ(c.Connect(L"127.0.0.1", 1), 1);  // WinHTTP connects lazily
    ASSERT_EQ(c.OpenRequest(0, L"/", L"", 0), 1);
    EXPECT_EQ(c.SendRequest(nullptr, 0), 0);
    EXPECT_EQ(c.DownloadToFile(L"/x", dir_ + L"dead.bin", 0), 0);
    EXPECT_FALSE(webstub::FileExists(dir_ + L"dead.bin"));
}

TEST_F(HttpClient, OperationsOutOfOrderFailAndClosingIsAlwaysSafe) {
    CHTTPClientWTPCtrl c;
    EXPECT_EQ(c.SetTimeouts(1, 1, 1), 0);
    EXPECT_EQ(c.Connect(L"127.0.0.1", webstub::Port()), 0);
    EXPECT_EQ(c.OpenRequest(0, L"/", L"", 0), 0);
    EXPECT_EQ(c.AddHeaders(L"X-A: 1"), 0);
    EXPECT_EQ(c.SendRequest("a", 1), 0);
    uint32_t n = 10;
    char buf[10];
    EXPECT_EQ(c.ReadBody(buf, &n), 0);
    EXPECT_EQ(c.QueryContentLength(&n), 0);
    uint32_t a, b, d;
    EXPECT_EQ(c.QueryContentRange(&a, &b, &d), 0);
    EXPECT_EQ(c.DownloadToFile(L"/gen/1.bin", dir_ + L"x.bin", 0), 0);
    EXPECT_EQ(c.CloseRequest(), 1);
    EXPECT_EQ(c.CloseConnection(), 1);
    EXPECT_EQ(c.Close(), 1);

    ASSERT_EQ(c.Open(), 1);
    EXPECT_EQ(c.OpenRequest(0, L"/", L"", 0), 0);  // no connection yet
    ASSERT_EQ(c.Connect(L"127.0.0.1", webstub::Port()), 1);
    EXPECT_EQ(c.AddHeaders(L"X-A: 1"), 0);  // no request yet
    EXPECT_EQ(c.Close(), 1);
    EXPECT_EQ(c.Close(), 1);
}

TEST_F(HttpClient, ARequestCanBeOpenedAgainOnTheSameConnection) {
    CHTTPClientWTPCtrl c;
    ASSERT_EQ(c.Open(), 1);
    ASSERT_EQ(c.Connect(L"127.0.0.1", webstub::Port()), 1);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(c.OpenRequest(0, L"/gen/300.bin", L"", 0), 1);
        ASSERT_EQ(c.SendRequest(nullptr, 0), 1);
        std::vector<char> headers(4096, 0);
        ASSERT_EQ(c.ReceiveResponse(headers.data(), 4096), 1);
        uint32_t length = 0;
        ASSERT_EQ(c.QueryContentLength(&length), 1);
        EXPECT_EQ(length, 300u);
        std::vector<char> buf(1000, 0);
        uint32_t len = 1000;
        ASSERT_EQ(c.ReadBody(buf.data(), &len), 1);
        EXPECT_EQ(std::string(buf.data(), len), webstub::Pattern(300));
        c.CloseRequest();
    }
    EXPECT_EQ(webstub::Traffic().size(), 2u);
}

}  // namespace
