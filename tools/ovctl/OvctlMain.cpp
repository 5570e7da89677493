// ovctl: sends one controller command from the command line.
//   ovctl [--device PATH] [--timeout MS] version | fan LEVEL | fan INDEX LEVEL |
//         mode N | color RRGGBB | interval MS | brightness N | restart | reset
// Exit code 0 on success, 1 on failure (with one line on stderr).
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "OVFanLedDevice.h"
#include "SystemMessage.h"
#include "TextConv.h"

namespace {

void Usage() {
    std::fprintf(stderr,
                 "usage: ovctl [--device PATH] [--timeout MS] version | fan LEVEL | fan INDEX LEVEL | mode N |\n"
                 "             color RRGGBB | interval MS | brightness N | restart | reset\n");
}

// A decimal number within [0, max]; false for anything else.
bool ParseNumber(const std::wstring& text, unsigned long max, unsigned long* value) {
    if (text.empty() || text.size() > 9) return false;
    unsigned long v = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        v = v * 10 + static_cast<unsigned long>(c - L'0');
    }
    if (v > max) return false;
    *value = v;
    return true;
}

bool ParseColour(const std::wstring& text, uint8_t rgb[3]) {
    std::wstring t = text;
    if (!t.empty() && t[0] == L'#') t.erase(0, 1);
    if (t.size() != 6) return false;
    for (int i = 0; i < 3; ++i) {
        unsigned v = 0;
        for (int j = 0; j < 2; ++j) {
            const wchar_t c = t[i * 2 + j];
            unsigned d;
            if (c >= L'0' && c <= L'9') d = c - L'0';
            else if (c >= L'a' && c <= L'f') d = c - L'a' + 10;
            else if (c >= L'A' && c <= L'F') d = c - L'A' + 10;
            else return false;
            v = v * 16 + d;
        }
        rgb[i] = static_cast<uint8_t>(v);
    }
    return true;
}

int Failed(const std::string& what) {
    const OVExchangeError error = COVFanLedDevice::GetLastExchangeError();
    // A complete exchange that still failed: the reply broke the command's rule.
    const char* why = error == OVExchangeError::kNone ? "reply refused or not matching the request"
                                                      : OVExchangeErrorText(error);
    std::fprintf(stderr, "ovctl: %s failed: %s\n", what.c_str(), why);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // The library's message boxes become lines on stderr in a console tool.
    SetSystemMessageHandler([](const std::wstring& text, const std::wstring&) {
        std::fprintf(stderr, "ovctl: %s\n", textconv::WideToUtf8(text).c_str());
    });
    std::vector<std::wstring> args(argv + 1, argv + argc);
    std::wstring device;
    unsigned long timeout = COVFanLedDevice::kDefaultReplyTimeoutMs;
    while (!args.empty() && args[0].rfind(L"--", 0) == 0) {
        if (args.size() < 2) {
            Usage();
            return 1;
        }
        if (args[0] == L"--device") device = args[1];
        else if (args[0] == L"--timeout") {
            if (!ParseNumber(args[1], 600000, &timeout)) {
                Usage();
                return 1;
            }
        } else {
            Usage();
            return 1;
        }
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) {
        Usage();
        return 1;
    }
    const std::wstring cmd = args[0];
    const size_t n = args.size() - 1;
    unsigned long a = 0, b = 0;
    uint8_t rgb[3] = {};
    bool valid = false;
    if (cmd == L"version" || cmd == L"restart" || cmd == L"reset") valid = n == 0;
    else if (cmd == L"fan") valid = (n == 1 && ParseNumber(args[1], 255, &b)) ||
                                    (n == 2 && ParseNumber(args[1], 255, &a) && ParseNumber(args[2], 255, &b));
    else if (cmd == L"mode" || cmd == L"brightness") valid = n == 1 && ParseNumber(args[1], 255, &a);
    else if (cmd == L"interval") valid = n == 1 && ParseNumber(args[1], 65535, &a);
    else if (cmd == L"color") valid = n == 1 && ParseColour(args[1], rgb);
    if (!valid) {
        Usage();
        return 1;
    }

    COVFanLedDevice controller;
    if (device.empty()) controller.Discover();
    else controller.UseDevicePath(device);
    if (controller.GetDevicePath().empty()) return 1;  // the message said why
    controller.SetReplyTimeout(timeout);
    if (!controller.OpenDevice()) return 1;

    const std::string what = textconv::WideToUtf8(cmd);
    if (cmd == L"version") {
        std::wstring text;
        if (!controller.QueryVersion(&text)) return Failed(what);
        std::printf("%s\n", textconv::WideToUtf8(text).c_str());
        return 0;
    }
    if (cmd == L"fan" && n == 1) {
        // Like the fan page: all four channels, in order, each one tried.
        int ok = 1;
        for (uint8_t i = 0; i < 4; ++i)
            if (!controller.SetFanLevel(i, static_cast<uint8_t>(b))) ok = 0;
        return ok ? 0 : Failed("fan");
    }
    int ok = 0;
    if (cmd == L"fan") ok = controller.SetFanLevel(static_cast<uint8_t>(a), static_cast<uint8_t>(b));
    else if (cmd == L"mode") ok = controller.SetLightMode(static_cast<uint8_t>(a));
    else if (cmd == L"brightness") ok = controller.SetLightBrightness(static_cast<uint8_t>(a));
    else if (cmd == L"interval") ok = controller.SetLightInterval(static_cast<unsigned>(a));
    else if (cmd == L"color") ok = controller.SetLightColor(rgb[0], rgb[1], rgb[2]);
    else if (cmd == L"restart") ok = controller.RestartController();
    else if (cmd == L"reset") ok = controller.FactoryReset();
    return ok ? 0 : Failed(what);
}
