// ControllerSim: a stand-in for the USB fan-and-light controller. It serves a
// message-mode named pipe that behaves like the controller's HID interface
// (one 17-byte write per request, 20-byte input reports back), keeps the
// controller's state, and can misbehave on request.
//
//   ControllerSim --pipe NAME [--version TEXT] [--state FILE] [--fault KIND]
//                 [--control FILE]
//
// The control file's first line, when it names a fault, is the fault in force;
// a line "version=TEXT" anywhere in it changes the reported version (a
// firmware flashed by another program). The state file's "connections" key
// counts the clients connected right now.
#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "SimController.h"
#include "WinHandles.h"
#include "TextConv.h"

namespace {

struct Options {
    std::wstring pipe;
    std::string version = "VENTARO-CTL105";  // 11 characters of model, then the release
    std::wstring stateFile;
    std::wstring controlFile;
    sim::Fault fault;
};

std::mutex g_lock;  // one exchange at a time across all connections; guards the globals below
Options g_options;
sim::CControllerModel* g_model = nullptr;
std::string g_activeFault = "";
unsigned g_exchangesUnderFault = 0;
unsigned g_connections = 0;

void Usage() {
    std::fprintf(stderr,
                 "usage: ControllerSim --pipe NAME [--version TEXT] [--state FILE] [--fault KIND] [--control FILE]\n"
                 "  KIND: none split bad-code zero-status bad-echo no-reply bad-frame oversize overlong\n"
                 "        delay:MS disconnect:N\n");
}

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// Reads the control file (when there is one): the fault in force for this
// exchange is its first line when that names a valid fault, else the command
// line's; a "version=TEXT" line sets the reported version.
sim::Fault CurrentFault() {
    if (g_options.controlFile.empty()) return g_options.fault;
    FILE* f = _wfopen(g_options.controlFile.c_str(), L"rb");
    if (!f) return g_options.fault;
    std::string content;
    char chunk[512];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0 && content.size() < 65536;) content.append(chunk, n);
    std::fclose(f);
    sim::Fault fault = g_options.fault;
    bool first = true;
    for (size_t start = 0; start <= content.size();) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        const std::string line = Trim(content.substr(start, end - start));
        if (line.rfind("version=", 0) == 0) {
            if (line.size() > 8 && line.substr(8) != g_model->Version()) g_model->SetVersion(line.substr(8));
        } else if (first && !line.empty()) {
            sim::Fault named;
            if (sim::ParseFault(line, &named)) fault = named;
        }
        first = false;
        start = end + 1;
    }
    return fault;
}

void WriteStateFile(const std::string& text) {
    if (g_options.stateFile.empty()) return;
    // Written aside and moved over, so a reader never sees half a state.
    const std::wstring temp = g_options.stateFile + L".tmp";
    FILE* f = _wfopen(temp.c_str(), L"wb");
    if (!f) return;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    if (!MoveFileExW(temp.c_str(), g_options.stateFile.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        f = _wfopen(g_options.stateFile.c_str(), L"wb");
        if (f) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
        DeleteFileW(temp.c_str());
    }
}

// The model's state plus what only this program knows. Called under g_lock.
std::string StateText(const sim::Fault& fault) {
    return g_model->StateText(fault) + "connections=" + std::to_string(g_connections) + "\n";
}

// A client came or went: the state file shows the count at once.
void CountConnection(int delta) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_connections += delta;
    const sim::Fault fault = CurrentFault();
    WriteStateFile(StateText(fault));
}

// Serves one connection until the client goes away (ends or is killed) or a
// disconnect fault.
void Serve(HANDLE pipe) {
    for (;;) {
        uint8_t request[64];
        DWORD got = 0;
        if (!ReadFile(pipe, request, sizeof request, &got, nullptr)) {
            if (GetLastError() != ERROR_MORE_DATA) break;
            // Longer than any report: swallow the rest and count it malformed.
            uint8_t rest[256];
            DWORD more = 0;
            while (!ReadFile(pipe, rest, sizeof rest, &more, nullptr) && GetLastError() == ERROR_MORE_DATA) {
            }
            got = 0;
        }
        std::vector<std::vector<uint8_t>> replies;
        sim::Fault fault;
        bool disconnect = false;
        {
            std::lock_guard<std::mutex> guard(g_lock);
            fault = CurrentFault();
            if (fault.text != g_activeFault) {
                g_activeFault = fault.text;
                g_exchangesUnderFault = 0;
            }
            replies = g_model->HandleRequest(request, got, fault);
            ++g_exchangesUnderFault;
            disconnect = fault.kind == sim::FaultKind::kDisconnect && g_exchangesUnderFault >= fault.value;
            WriteStateFile(StateText(fault));
        }
        if (fault.kind == sim::FaultKind::kDelay) Sleep(fault.value);
        bool broken = false;
        for (const auto& r : replies) {
            DWORD written = 0;
            if (!WriteFile(pipe, r.data(), static_cast<DWORD>(r.size()), &written, nullptr)) {
                broken = true;
                break;
            }
        }
        if (broken || disconnect) break;
    }
}

constexpr int kListeners = 4;

HANDLE CreateInstance(const std::wstring& name) {
    HANDLE pipe = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT,
                                   PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "ControllerSim: cannot create %ls (error %lu)\n", name.c_str(), GetLastError());
        ExitProcess(1);
    }
    return pipe;
}

// Waits for a client on the instance, serves it, and starts over on a new
// instance. The first instance comes made, so that all listeners exist as
// soon as a client can see the pipe.
void Listen(std::wstring name, HANDLE first) {
    for (HANDLE next = first;; next = CreateInstance(name)) {
        // Closing an instance without DisconnectNamedPipe lets the client
        // still read what was sent; its next read or write fails.
        win::CUniqueHandle pipe(next);
        if (!ConnectNamedPipe(pipe.Get(), nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) {
            Sleep(10);  // a client that came and went before the connect
            continue;
        }
        CountConnection(1);
        Serve(pipe.Get());
        CountConnection(-1);
    }
}

bool ParseArgs(int argc, wchar_t** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        if (i + 1 >= argc) return false;
        const std::wstring v = argv[++i];
        if (a == L"--pipe") g_options.pipe = v;
        else if (a == L"--version") g_options.version = textconv::WideToUtf8(v);
        else if (a == L"--state") g_options.stateFile = v;
        else if (a == L"--control") g_options.controlFile = v;
        else if (a == L"--fault") {
            if (!sim::ParseFault(textconv::WideToUtf8(v), &g_options.fault)) return false;
        } else return false;
    }
    return !g_options.pipe.empty();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!ParseArgs(argc, argv)) {
        Usage();
        return 2;
    }
    sim::CControllerModel model(g_options.version);
    g_model = &model;
    g_activeFault = g_options.fault.text;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        WriteStateFile(StateText(g_options.fault));
    }
    const std::wstring name = L"\\\\.\\pipe\\" + g_options.pipe;
    // Several listeners, so that a client reopening right after a close (or a
    // second client) always finds a free instance instead of a busy pipe.
    std::vector<HANDLE> instances;
    for (int i = 0; i < kListeners; ++i) instances.push_back(CreateInstance(name));
    std::vector<std::thread> listeners;
    for (HANDLE instance : instances) listeners.emplace_back(Listen, name, instance);
    std::fprintf(stderr, "ControllerSim: serving %ls\n", name.c_str());
    for (auto& t : listeners) t.join();
    return 1;
}
