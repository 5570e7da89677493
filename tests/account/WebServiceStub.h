#pragma once
// Access to the stand-in web service that the ctest fixture started for this
// suite: its port, its control endpoints and its record of the traffic.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "HTTPClientWTPCtrl.h"
#include "TestPaths.h"

namespace webstub {

struct Request {
    std::string verb;
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // Every value of the header name (case-insensitive).
    std::vector<std::string> Header(const std::string& name) const {
        std::vector<std::string> out;
        for (const auto& [n, v] : headers)
            if (_stricmp(n.c_str(), name.c_str()) == 0) out.push_back(v);
        return out;
    }
};

// The port the fixture wrote (VENTARO_WEB_PORT_FILE, a Unix path); 0 when absent.
inline uint16_t Port() {
    const char* file = std::getenv("VENTARO_WEB_PORT_FILE");
    if (!file) return 0;
    std::ifstream in(std::filesystem::path(testpaths::UnixToWine(file)));
    unsigned port = 0;
    in >> port;
    return static_cast<uint16_t>(port);
}

inline std::wstring HostPortText() { return L"127.0.0.1:" + std::to_wstring(Port()); }

// One request to the stand-in through the client under test; returns the body.
inline std::string Call(const std::wstring& verb, const std::wstring& path, const std::string& body = {},
                        int* ok = nullptr) {
    CHTTPClientWTPCtrl c;
    std::string out;
    int good = c.Open() && c.Connect(L"127.0.0.1", Port()) && c.OpenRequest(verb == L"POST", path, L"", 0) &&
               c.SendRequest(body.empty() ? nullptr : body.data(), static_cast<uint32_t>(body.size()));
    if (good) {
        std::vector<char> headers(8192, 0);
        good = c.ReceiveResponse(headers.data(), static_cast<uint32_t>(headers.size()));
    }
    if (good) {
        std::vector<char> buf(4 << 20, 0);
        uint32_t len = static_cast<uint32_t>(buf.size());
        good = c.ReadBody(buf.data(), &len);
        if (good) out.assign(buf.data(), len);
    }
    if (ok) *ok = good;
    return out;
}

inline std::string Control(const std::wstring& what, const std::string& body = {}) {
    return Call(L"POST", L"/__control/" + what, body);
}

inline void Clear() { Control(L"clear"); }
inline void Reset() { Control(L"reset"); }
inline void Fault(const std::wstring& query, const std::string& body = {}) { Control(L"fault?" + query, body); }

inline int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

inline std::vector<Request> Traffic() {
    const std::string text = Call(L"GET", L"/__control/traffic");
    std::vector<Request> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        const std::string line = text.substr(pos, eol - pos);
        pos = eol + 1;
        if (line.rfind("REQUEST ", 0) == 0) {
            out.emplace_back();
        } else if (out.empty()) {
            continue;
        } else if (line.rfind("LINE ", 0) == 0) {
            const size_t a = line.find(' ', 5);
            const size_t b = line.rfind(' ');
            out.back().verb = line.substr(5, a - 5);
            out.back().path = line.substr(a + 1, b - a - 1);
        } else if (line.rfind("HEADER ", 0) == 0) {
            const size_t colon = line.find(": ", 7);
            out.back().headers.emplace_back(line.substr(7, colon - 7),
                                            colon == std::string::npos ? "" : line.substr(colon + 2));
        } else if (line.rfind("BODY ", 0) == 0) {
            for (size_t i = 5; i + 1 < line.size(); i += 2)
                out.back().body += static_cast<char>(HexDigit(line[i]) * 16 + HexDigit(line[i + 1]));
        }
    }
    return out;
}

// The stand-in's test files: byte i of /gen/N.bin is i mod 251.
inline std::string Pattern(size_t n, size_t from = 0) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((from + i) % 251);
    return s;
}

inline std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace webstub
