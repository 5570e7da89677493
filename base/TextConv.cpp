#include "TextConv.h"

#include <windows.h>

namespace textconv {
namespace {
constexpr unsigned kChsCodePage = 936;

std::string WideToCodePage(unsigned cp, std::wstring_view text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::wstring CodePageToWide(unsigned cp, std::string_view bytes) {
    if (bytes.empty()) return {};
    const int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
    return out;
}

}  // namespace

std::string WideToChs(std::wstring_view text) { return WideToCodePage(kChsCodePage, text); }
std::wstring ChsToWide(std::string_view bytes) { return CodePageToWide(kChsCodePage, bytes); }
std::string WideToUtf8(std::wstring_view text) { return WideToCodePage(CP_UTF8, text); }
std::wstring Utf8ToWide(std::string_view bytes) { return CodePageToWide(CP_UTF8, bytes); }

std::string PercentEncodeE(std::wstring_view text) {
    const std::string chs = WideToChs(text);
    std::string utf;
    utf.reserve(chs.size() * 2);
    for (size_t i = 0; i < chs.size();) {
        const auto c = static_cast<unsigned char>(chs[i]);
        if (c < 0x80) {
            utf += static_cast<char>(c);
            ++i;
            continue;
        }
        if (i + 1 >= chs.size()) break;  // a lead byte without its trail byte carries no character
        // The pair is read back with 936, the code page it was made with, so
        // the result does not depend on the system's ANSI code page.
        wchar_t u = 0;
        if (MultiByteToWideChar(kChsCodePage, MB_ERR_INVALID_CHARS, chs.data() + i, 2, &u, 1) != 1) u = L'?';
        utf += static_cast<char>(0xE0 | (u >> 12));
        utf += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        utf += static_cast<char>(0x80 | (u & 0x3F));
        i += 2;
    }
    return PercentEncodeBytes(utf);
}

}  // namespace textconv
