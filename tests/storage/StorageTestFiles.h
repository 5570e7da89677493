#pragma once
// Raw file access for the storage suites: what a profile file really holds,
// byte for byte, independent of the code under test.
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>

#include "TestPaths.h"

namespace storagetest {

inline std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
        std::fclose(f);
    }
    return bytes;
}

inline bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// A UTF-16LE file with byte-order mark holding the given text.
inline bool WriteUtf16(const std::wstring& path, const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return WriteBytes(path, bytes);
}

// The text of a profile file: UTF-16LE after a BOM, else bytes as Latin-1
// (enough to look for ASCII keys and "?" replacements).
inline std::wstring ReadText(const std::wstring& path) {
    const std::string b = ReadBytes(path);
    std::wstring text;
    if (b.size() >= 2 && static_cast<unsigned char>(b[0]) == 0xFF && static_cast<unsigned char>(b[1]) == 0xFE) {
        for (size_t i = 2; i + 1 < b.size(); i += 2)
            text += static_cast<wchar_t>(static_cast<unsigned char>(b[i]) | (static_cast<unsigned char>(b[i + 1]) << 8));
    } else {
        for (char c : b) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return text;
}

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 gen(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(gen() & 0xFF);
    return bytes;
}

// A data folder that cannot be written under Wine: a plain file stands where
// the folder should be, so every file below it fails to open.
inline std::wstring UnwritableFolder(const std::wstring& tempDir) {
    const std::wstring blocker = tempDir + L"blocked";
    WriteBytes(blocker, "not a folder");
    return blocker + L"\\";
}

}  // namespace storagetest
