#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "RemoteSwitch.h"
#include "SilentPort.h"
#include "WebServiceStub.h"

namespace {

using Clock = std::chrono::steady_clock;
// Far above the check's 3 s time-outs, well below the platform's defaults.
constexpr long long kWithinTimeoutMs = 15000;

int MayRun() {
    int mayRun = -1;
    EXPECT_EQ(1, CheckRemoteSwitchAt(L"127.0.0.1", webstub::Port(), &mayRun));
    return mayRun;
}

TEST(SwitchBody, MarkerAnywhereExactAndCaseSensitive) {
    const std::string on = "[Orvane]\r\nVentaro=TRUE\r\n";
    const std::string off = "<html>404 ... Ventaro=FALSE ... </html>";
    EXPECT_EQ(0, BodySaysSwitchedOff(on.data(), on.size()));
    EXPECT_EQ(1, BodySaysSwitchedOff(off.data(), off.size()));
    EXPECT_EQ(1, BodySaysSwitchedOff("Ventaro=FALSE", 13));
    EXPECT_EQ(0, BodySaysSwitchedOff("ventaro=false", 13));
    EXPECT_EQ(0, BodySaysSwitchedOff("Ventaro = FALSE", 15));
    EXPECT_EQ(0, BodySaysSwitchedOff("", 0));
    EXPECT_EQ(0, BodySaysSwitchedOff(nullptr, 10));
}

TEST(SwitchBody, LengthBoundsTheSearch) {
    // The marker cut by the reported length does not count, and nothing past
    // it is read (a full buffer has no terminator).
    const std::string body = "xxVentaro=FALSE";
    EXPECT_EQ(0, BodySaysSwitchedOff(body.data(), body.size() - 1));
    // A zero byte before the marker does not hide it.
    const std::string withZero("a\0b Ventaro=FALSE", 17);
    EXPECT_EQ(1, BodySaysSwitchedOff(withZero.data(), withZero.size()));
}

class RemoteSwitch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(0, webstub::Port()) << "no stand-in web service";
        webstub::Reset();
    }
};

TEST_F(RemoteSwitch, SwitchedOnRuns) { EXPECT_EQ(1, MayRun()); }

TEST_F(RemoteSwitch, SwitchedOffStopsWithOneGetOfTheFile) {
    webstub::Control(L"switch?state=off");
    webstub::Clear();
    EXPECT_EQ(0, MayRun());
    const auto traffic = webstub::Traffic();
    ASSERT_EQ(1u, traffic.size());
    EXPECT_EQ("GET", traffic[0].verb);
    EXPECT_EQ("/OrvaneSwitch.cfg", traffic[0].path);
    EXPECT_TRUE(traffic[0].body.empty());
}

TEST_F(RemoteSwitch, EmptyBodyRuns) {
    webstub::Fault(L"mode=empty&path=/OrvaneSwitch.cfg");
    EXPECT_EQ(1, MayRun());
}

TEST_F(RemoteSwitch, SmallLettersRun) {
    webstub::Fault(L"mode=body&path=/OrvaneSwitch.cfg", "[Orvane]\r\nventaro=false\r\n");
    EXPECT_EQ(1, MayRun());
}

TEST_F(RemoteSwitch, MarkerInsideErrorPagesStops) {
    webstub::Fault(L"mode=404&path=/OrvaneSwitch.cfg", "<html><body>not here Ventaro=FALSE really</body></html>");
    EXPECT_EQ(0, MayRun());
    webstub::Fault(L"mode=500&path=/OrvaneSwitch.cfg", "<html><body>oops Ventaro=FALSE</body></html>");
    EXPECT_EQ(0, MayRun());
}

TEST_F(RemoteSwitch, OnlyTheFirst2048BytesCount) {
    std::string early(2000, 'x');
    early += "Ventaro=FALSE";
    early += std::string(5000, 'y');
    webstub::Fault(L"mode=body&path=/OrvaneSwitch.cfg", early);
    EXPECT_EQ(0, MayRun());

    std::string late(2040, 'x');  // the marker straddles the end of the buffer
    late += "Ventaro=FALSE";
    webstub::Fault(L"mode=body&path=/OrvaneSwitch.cfg", late);
    EXPECT_EQ(1, MayRun());
}

TEST_F(RemoteSwitch, BrokenRepliesRun) {
    webstub::Fault(L"mode=garbage&path=/OrvaneSwitch.cfg");
    EXPECT_EQ(1, MayRun());
    webstub::Fault(L"mode=drop&path=/OrvaneSwitch.cfg");
    EXPECT_EQ(1, MayRun());
}

TEST_F(RemoteSwitch, ServerThatNeverAnswersRunsAfterTheReceiveTimeout) {
    webstub::Fault(L"mode=hang&delay=60&path=/OrvaneSwitch.cfg");
    const auto t0 = Clock::now();
    EXPECT_EQ(1, MayRun());
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
    std::printf("switch check against a server that never answers: %lld ms\n", static_cast<long long>(ms));
    // Ended by the 3 s time-out, not by the server giving up after 60 s; the
    // bound leaves room for a loaded machine.
    EXPECT_LT(ms, kWithinTimeoutMs);
}

TEST_F(RemoteSwitch, AHostThatTricklesItsAnswerCannotHoldTheStart) {
    // Every read gets a byte before its time-out; only the overall bound ends it.
    webstub::Fault(L"mode=trickle&delay=60&path=/OrvaneSwitch.cfg");
    const auto t0 = Clock::now();
    EXPECT_EQ(1, MayRun());
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
    std::printf("switch check against a trickling host: %lld ms\n", static_cast<long long>(ms));
    EXPECT_LT(ms, kSwitchTotalMs + 3000);
}

TEST(RemoteSwitchNoServer, NobodyListeningRuns) {
    int mayRun = -1;
    const auto t0 = Clock::now();
    EXPECT_EQ(1, CheckRemoteSwitchAt(L"127.0.0.1", 1, &mayRun));
    EXPECT_EQ(1, mayRun);
    std::printf("switch check with nobody listening: %lld ms\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count()));
}

TEST(RemoteSwitchNoServer, UnreachableHostRuns) {
    // An address nobody answers (TEST-NET-1): the connect time-out ends it.
    int mayRun = -1;
    const auto t0 = Clock::now();
    EXPECT_EQ(1, CheckRemoteSwitchAt(L"192.0.2.1", 80, &mayRun));
    EXPECT_EQ(1, mayRun);
    std::printf("switch check with an unreachable host: %lld ms\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count()));
}

TEST(RemoteSwitchNoServer, SilentHostDelaysTheStartBySecondsAtMost) {
    CSilentPort silent;
    ASSERT_NE(0, silent.Port());
    int mayRun = -1;
    const auto t0 = Clock::now();
    EXPECT_EQ(1, CheckRemoteSwitchAt(L"127.0.0.1", silent.Port(), &mayRun));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
    EXPECT_EQ(1, mayRun);
    // Without the 3 s connect time-out the platform would wait 20 s or more.
    EXPECT_LT(ms, kWithinTimeoutMs);
    std::printf("switch check with a host that never answers the connection: %lld ms\n",
                static_cast<long long>(ms));
}

TEST(RemoteSwitchNoServer, UnknownHostNameRuns) {
    int mayRun = -1;
    EXPECT_EQ(1, CheckRemoteSwitchAt(L"storage.ventaro.invalid", 80, &mayRun));
    EXPECT_EQ(1, mayRun);
}

}  // namespace
