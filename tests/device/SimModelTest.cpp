// The simulated controller's own rules: it must catch every malformed
// request, or the link tests against it prove nothing.
#include <gtest/gtest.h>

#include "OVDeviceProtocol.h"
#include "SimController.h"

using Bytes = std::vector<uint8_t>;

namespace {

Bytes Request(uint8_t cmd, Bytes payload) {
    Bytes r(17);
    ovproto::BuildRequestReport(cmd, payload.data(), payload.size(), r.data());
    return r;
}

Bytes Reassemble(const std::vector<Bytes>& reports) {
    Bytes frame;
    for (const Bytes& r : reports) frame.insert(frame.end(), r.begin() + 2, r.begin() + 2 + std::min<size_t>(r[1], 18));
    return frame;
}

sim::Fault FaultOf(const std::string& text) {
    sim::Fault f;
    EXPECT_TRUE(sim::ParseFault(text, &f)) << text;
    return f;
}

}  // namespace

TEST(SimModel, EveryCorruptedRequestByteIsCaught) {
    sim::CControllerModel model("VENTARO-CTL105");
    const Bytes good = Request(0x52, {1, 9});
    for (size_t i = 0; i < good.size(); ++i) {
        Bytes bad = good;
        bad[i] ^= 0x01;
        EXPECT_TRUE(model.HandleRequest(bad.data(), bad.size(), sim::Fault{}).empty()) << "byte " << i;
    }
    EXPECT_EQ(17u, model.MalformedFrames());
    Bytes shortReport(good.begin(), good.end() - 1);
    model.HandleRequest(shortReport.data(), shortReport.size(), sim::Fault{});
    EXPECT_EQ(18u, model.MalformedFrames());
    EXPECT_EQ(6, model.State().fans[1]);
    EXPECT_EQ(2u, model.HandleRequest(good.data(), good.size(), sim::Fault{}).size() + 1);
    EXPECT_EQ(9, model.State().fans[1]);
    EXPECT_EQ(18u, model.MalformedFrames());
}

TEST(SimModel, RepliesAndState) {
    sim::CControllerModel model("VENTARO-CTL105");
    Bytes r = Request(0x0C, {0x60, 0xEA});
    Bytes frame = Reassemble(model.HandleRequest(r.data(), 17, sim::Fault{}));
    EXPECT_EQ(ovproto::EncodeFrame(0x8C, Bytes{1}.data(), 1), frame);
    EXPECT_EQ(60000u, model.State().interval);
    r = Request(0x01, {});
    auto reports = model.HandleRequest(r.data(), 17, sim::Fault{});
    EXPECT_EQ(2u, reports.size());  // 20 bytes do not fit one report
    frame = Reassemble(reports);
    EXPECT_EQ(std::string("VENTARO-CTL105"), std::string(frame.begin() + 4, frame.end() - 2));
    r = Request(0x08, {5});  // no such mode
    EXPECT_EQ(0, Reassemble(model.HandleRequest(r.data(), 17, sim::Fault{}))[4]);
    r = Request(0x7A, {});
    model.HandleRequest(r.data(), 17, sim::Fault{});
    EXPECT_EQ(5000u, model.State().interval);
    EXPECT_EQ(1u, model.State().resets);
    const std::string text = model.StateText(sim::Fault{});
    EXPECT_NE(std::string::npos, text.find("fan0=6\n"));
    EXPECT_NE(std::string::npos, text.find("resets=1\n"));
    EXPECT_NE(std::string::npos, text.find("malformed_frames=0\n"));
}

TEST(SimModel, FaultsShapeTheReply) {
    sim::CControllerModel model("V");
    const Bytes fan = Request(0x52, {3, 12});
    auto split = model.HandleRequest(fan.data(), 17, FaultOf("split"));
    ASSERT_EQ(2u, split.size());
    EXPECT_EQ(ovproto::EncodeFrame(0xD2, Bytes{1, 3}.data(), 2), Reassemble(split));
    EXPECT_EQ(0x52, Reassemble(model.HandleRequest(fan.data(), 17, FaultOf("bad-code")))[3]);
    EXPECT_EQ(0, Reassemble(model.HandleRequest(fan.data(), 17, FaultOf("bad-echo")))[5]);
    EXPECT_TRUE(model.HandleRequest(fan.data(), 17, FaultOf("no-reply")).empty());
    EXPECT_EQ(19, model.HandleRequest(fan.data(), 17, FaultOf("oversize"))[0][1]);
    EXPECT_EQ(0xFF, Reassemble(model.HandleRequest(fan.data(), 17, FaultOf("overlong")))[1]);
    const Bytes mode = Request(0x08, {2});
    Bytes a = Reassemble(model.HandleRequest(mode.data(), 17, FaultOf("bad-frame")));
    Bytes b = Reassemble(model.HandleRequest(mode.data(), 17, FaultOf("bad-frame")));
    EXPECT_TRUE((a.front() != 0xAA) != (b.front() != 0xAA));
    EXPECT_TRUE((a.back() != 0x55) != (b.back() != 0x55));
    EXPECT_EQ(0, Reassemble(model.HandleRequest(mode.data(), 17, FaultOf("zero-status")))[4]);
}

TEST(SimModel, FaultNames) {
    sim::Fault f;
    EXPECT_TRUE(sim::ParseFault("disconnect:3", &f));
    EXPECT_EQ(sim::FaultKind::kDisconnect, f.kind);
    EXPECT_EQ(3u, f.value);
    EXPECT_TRUE(sim::ParseFault("delay:1500", &f));
    EXPECT_EQ(1500u, f.value);
    EXPECT_FALSE(sim::ParseFault("delay:", &f));
    EXPECT_FALSE(sim::ParseFault("delay:x", &f));
    EXPECT_FALSE(sim::ParseFault("split:2", &f));
    EXPECT_FALSE(sim::ParseFault("wobble", &f));
}
