// Native fuzz harness for the controller's plain wire-format code and the
// simulator's request checker (no Windows needed). Two ways to build it, from
// the repository root, outputs kept out of the tree:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -Idevice -Itools/ControllerSim \
//     tests/device/fuzz/DeviceProtocolFuzz.cpp device/OVDeviceProtocol.cpp \
//     tools/ControllerSim/SimController.cpp -o /tmp/device_fuzz && /tmp/device_fuzz -max_total_time=60
//   g++ -std=c++20 -g -O1 -fsanitize=address,undefined -DDEVICE_FUZZ_STANDALONE -Idevice -Itools/ControllerSim \
//     tests/device/fuzz/DeviceProtocolFuzz.cpp device/OVDeviceProtocol.cpp \
//     tools/ControllerSim/SimController.cpp -o /tmp/device_fuzz && /tmp/device_fuzz 2000000
// Every check aborts on a broken invariant, so the sanitizers and the
// invariants both count as findings.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "OVDeviceProtocol.h"
#include "SimController.h"

using namespace ovproto;

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// Reads the input as a stream of small decisions.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return pos_ >= size_; }
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    // Up to `n` bytes, exactly as many as are left when fewer.
    std::vector<uint8_t> Bytes(size_t n) {
        const size_t take = n < size_ - pos_ ? n : size_ - pos_;
        std::vector<uint8_t> out(data_ + pos_, data_ + pos_ + take);
        pos_ += take;
        return out;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Input reports of fuzzed sizes and contents through the reassembler, then
// the frame parser on whatever was collected.
void FuzzAssembly(Reader& in) {
    COVReplyAssembler assembler;
    for (int i = 0; i < 64 && !in.Empty() && assembler.GetState() == COVReplyAssembler::kNeedMore; ++i) {
        const size_t size = in.Byte() % (kInputReportSize + 1);
        // Exactly `size` bytes on the heap, so an overread is caught.
        std::vector<uint8_t> bytes = in.Bytes(size);
        std::unique_ptr<uint8_t[]> report(new uint8_t[bytes.size() ? bytes.size() : 1]);
        if (!bytes.empty()) std::memcpy(report.get(), bytes.data(), bytes.size());
        assembler.AddReport(bytes.empty() ? nullptr : report.get(), bytes.size());
        Require(assembler.Count() <= kReplyBufferSize, "count within the buffer");
        if (assembler.ExpectedTotal()) Require(assembler.Count() <= assembler.ExpectedTotal(), "count within the total");
    }
    ReplyFrame reply;
    if (ParseReplyFrame(assembler.Frame(), assembler.Count(), &reply)) {
        Require(assembler.GetState() == COVReplyAssembler::kComplete || assembler.Count() >= 6, "parsed frame size");
        Require(reply.payloadLength + 6 == assembler.Count(), "payload length agrees with L");
        IsStatusReplyOk(reply.code & 0x7F, reply);
        IsFanReplyOk(reply.payload[1], reply);
        IsVersionReplyOk(reply);
        VersionTextFromBytes(reply.payload, reply.payloadLength);
    }
}

// Raw bytes as a reply frame, exactly sized.
void FuzzParse(const uint8_t* data, size_t size) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(copy.get(), data, size);
    ReplyFrame reply;
    if (ParseReplyFrame(copy.get(), size, &reply)) {
        Require(size >= 6 && copy[0] == kStartByte && copy[size - 1] == kEndByte, "accepted frame shape");
        Require(reply.payloadLength == static_cast<size_t>(copy[1]) - 1, "payload length from L");
    }
    const std::wstring text = VersionTextFromBytes(copy.get(), size);
    Require(text.size() <= size, "version text no longer than its bytes");
}

// A fuzzed request must come out byte-exact, be accepted by the simulator,
// and its reply must reassemble and parse to the request's reply code.
void FuzzRoundTrip(Reader& in, sim::CControllerModel& model) {
    const uint8_t command = in.Byte();
    std::vector<uint8_t> payload = in.Bytes(in.Byte() % (kMaxRequestPayload + 2));
    uint8_t report[kOutputReportSize];
    const size_t n = BuildRequestReport(command, payload.data(), payload.size(), report);
    if (payload.size() > kMaxRequestPayload) {
        Require(n == 0, "long payload refused");
        return;
    }
    Require(n == kOutputReportSize, "report built");
    Require(report[1] == payload.size() + 6, "N");
    const std::vector<uint8_t> frame = EncodeFrame(command, payload.data(), payload.size());
    Require(std::memcmp(report + 2, frame.data(), frame.size()) == 0, "encoder agrees");

    const unsigned long long malformedBefore = model.MalformedFrames();
    sim::Fault fault;
    sim::ParseFault(in.Byte() % 2 ? "split" : "none", &fault);
    const auto replies = model.HandleRequest(report, sizeof report, fault);
    Require(model.MalformedFrames() == malformedBefore, "simulator accepts a built request");
    if (replies.empty()) return;  // a command the controller does not know
    COVReplyAssembler assembler;
    for (const auto& r : replies) assembler.AddReport(r.data(), r.size());
    Require(assembler.GetState() == COVReplyAssembler::kComplete, "reply reassembled");
    ReplyFrame reply;
    Require(ParseReplyFrame(assembler.Frame(), assembler.Count(), &reply) == 1, "reply parsed");
    Require(reply.code == ReplyCodeFor(command), "reply code");

    // The same report with one flipped byte is malformed for the simulator.
    const size_t at = in.Byte() % kOutputReportSize;
    report[at] ^= static_cast<uint8_t>(1 + in.Byte() % 255);
    const unsigned long long before = model.MalformedFrames();
    Require(model.HandleRequest(report, sizeof report, fault).empty(), "corrupted request not answered");
    Require(model.MalformedFrames() == before + 1, "corrupted request counted");
}

// Fuzzed paths through the controller path choice.
void FuzzPaths(Reader& in) {
    std::vector<std::wstring> paths;
    while (!in.Empty() && paths.size() < 8) {
        std::wstring path;
        for (size_t len = in.Byte() % 24; len > 0; --len) {
            const uint8_t b = in.Byte();
            // Bias towards the interesting letters.
            static const wchar_t kAlphabet[] = L"2c5d01CD#&_\\?x";
            path += b < 200 ? kAlphabet[b % 14] : static_cast<wchar_t>(b | (b << 8));
        }
        paths.push_back(path);
    }
    const std::wstring chosen = SelectControllerPath(paths);
    if (!chosen.empty()) Require(chosen.find(L"2c25") != std::wstring::npos && chosen.find(L"d001") != std::wstring::npos,
                                 "chosen path matches");
}

// Simulator fault names and arbitrary request bytes.
void FuzzSimulator(const uint8_t* data, size_t size, sim::CControllerModel& model) {
    sim::Fault fault;
    sim::ParseFault(std::string(reinterpret_cast<const char*>(data), size < 24 ? size : 24), &fault);
    if (fault.kind == sim::FaultKind::kDisconnect || fault.kind == sim::FaultKind::kDelay) fault = sim::Fault{};
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size ? size : 1]);
    if (size) std::memcpy(copy.get(), data, size);
    for (const auto& r : model.HandleRequest(size ? copy.get() : nullptr, size, fault))
        Require(r.size() == kInputReportSize, "simulator reports are 20 bytes");
    model.StateText(fault);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static sim::CControllerModel model("VENTARO-CTL105");
    if (size == 0) return 0;
    Reader selector(data, 1);
    const uint8_t which = selector.Byte() % 5;
    Reader in(data + 1, size - 1);
    switch (which) {
    case 0: FuzzAssembly(in); break;
    case 1: FuzzParse(data + 1, size - 1); break;
    case 2: FuzzRoundTrip(in, model); break;
    case 3: FuzzPaths(in); break;
    case 4: FuzzSimulator(data + 1, size - 1, model); break;
    }
    return 0;
}

#ifdef DEVICE_FUZZ_STANDALONE
// Without libFuzzer: random inputs from a fixed seed, biased towards
// well-formed frames so that the deeper paths are reached.
#include <random>

int main(int argc, char** argv) {
    const long rounds = argc > 1 ? std::atol(argv[1]) : 1000000;
    std::mt19937 rng(argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 20261207u);
    std::vector<uint8_t> input;
    for (long i = 0; i < rounds; ++i) {
        input.assign(rng() % 300, 0);
        for (auto& b : input) b = static_cast<uint8_t>(rng());
        if (input.size() > 8 && rng() % 2) {
            // Plant a plausible reply frame in the first report.
            input[1] = 20;
            input[2] = 0;
            input[3] = static_cast<uint8_t>(rng() % 19);
            input[4] = kStartByte;
            input[5] = static_cast<uint8_t>(rng() % 20);
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%ld inputs, no finding\n", rounds);
    return 0;
}
#endif
