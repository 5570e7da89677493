// The fuzz driver used where libFuzzer is not installed (g++ builds): runs
// every seed of the corpus folder, then random inputs and mutations of the
// seeds until the time is up, and prints the executions. A crash (a failed
// invariant, a signal, a sanitizer report) saves the input being run as
// <target>.crash in the current folder, to be replayed with
//   <target> <target>.crash
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" void __sanitizer_set_death_callback(void (*callback)(void));

namespace {

std::vector<uint8_t> g_current;
std::string g_crashPath = "fuzz.crash";

void SaveCurrent() {
    if (FILE* f = std::fopen(g_crashPath.c_str(), "wb")) {
        if (!g_current.empty()) std::fwrite(g_current.data(), 1, g_current.size(), f);
        std::fclose(f);
        std::fprintf(stderr, "fuzz: crash input (%zu bytes) saved to %s\n", g_current.size(), g_crashPath.c_str());
    }
}

void OnSignal(int sig) {
    SaveCurrent();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Run(const std::vector<uint8_t>& input) {
    g_current = input;
    // Exactly sized on the heap, so an overread of the input is caught too.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[input.size() ? input.size() : 1]);
    if (!input.empty()) std::memcpy(copy.get(), input.data(), input.size());
    LLVMFuzzerTestOneInput(copy.get(), input.size());
}

}  // namespace

// usage: target SECONDS CORPUS_DIR   or   target FILE (replay one input)
int main(int argc, char** argv) {
    const std::string self = std::filesystem::path(argv[0]).filename().string();
    g_crashPath = self + ".crash";
    __sanitizer_set_death_callback(&SaveCurrent);
    for (int sig : {SIGABRT, SIGSEGV, SIGFPE, SIGILL, SIGBUS}) std::signal(sig, &OnSignal);

    if (argc == 2) {
        Run(ReadFile(argv[1]));
        std::printf("%s: replayed %s without a crash\n", self.c_str(), argv[1]);
        return 0;
    }
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    std::vector<std::vector<uint8_t>> seeds;
    if (argc > 2 && std::filesystem::is_directory(argv[2])) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[2]))
            if (entry.is_regular_file()) seeds.push_back(ReadFile(entry.path()));
    }
    long long runs = 0;
    for (const auto& seed : seeds) {
        Run(seed);
        ++runs;
    }
    std::mt19937_64 random(0x5eed);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::vector<uint8_t> input;
    while (std::chrono::steady_clock::now() < end) {
        for (int batch = 0; batch < 256; ++batch) {
            if (!seeds.empty() && random() % 4 != 0) {
                input = seeds[random() % seeds.size()];
                // A few byte flips, inserts, deletes and splices.
                const int edits = 1 + static_cast<int>(random() % 8);
                for (int e = 0; e < edits; ++e) {
                    const size_t at = input.empty() ? 0 : random() % (input.size() + 1);
                    switch (random() % 5) {
                    case 0:
                        if (at < input.size()) input[at] ^= static_cast<uint8_t>(1u << (random() % 8));
                        break;
                    case 1:
                        input.insert(input.begin() + static_cast<long>(at), static_cast<uint8_t>(random()));
                        break;
                    case 2:
                        if (at < input.size()) input.erase(input.begin() + static_cast<long>(at));
                        break;
                    case 3: {
                        const auto& other = seeds[random() % seeds.size()];
                        if (!other.empty()) {
                            const size_t from = random() % other.size();
                            const size_t len = std::min<size_t>(other.size() - from, 1 + random() % 16);
                            input.insert(input.begin() + static_cast<long>(at), other.begin() + static_cast<long>(from),
                                         other.begin() + static_cast<long>(from + len));
                        }
                        break;
                    }
                    default:
                        if (at < input.size()) input[at] = static_cast<uint8_t>("\"\\,:{}<>=/0x#@u%+"[random() % 17]);
                        break;
                    }
                }
            } else {
                input.resize(random() % 512);
                for (auto& b : input) b = static_cast<uint8_t>(random());
            }
            Run(input);
            ++runs;
        }
    }
    std::printf("%s: %lld executions in %.0f s, %zu seeds, no crash\n", self.c_str(), runs, seconds, seeds.size());
    return 0;
}
