#include "UiDumpFormat.h"

std::wstring EscapeDumpText(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
        case L'\\':
            out += L"\\\\";
            break;
        case L'\t':
            out += L"\\t";
            break;
        case L'\n':
            out += L"\\n";
            break;
        case L'\r':
            out += L"\\r";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

std::string DumpUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = static_cast<uint16_t>(text[i]);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
            const uint32_t low = static_cast<uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::string FormatDumpLine(const UiDumpRow& row) {
    std::string line;
    auto field = [&line](const std::string& value) {
        line += value;
        line += '\t';
    };
    // Kind and style names come from the skin; escaped like the text so a
    // stray tab there cannot shift the columns.
    field(std::to_string(row.id));
    field(DumpUtf8(EscapeDumpText(row.kind)));
    field(DumpUtf8(EscapeDumpText(row.style)));
    field(std::to_string(row.x));
    field(std::to_string(row.y));
    field(std::to_string(row.width));
    field(std::to_string(row.height));
    field(row.visible ? "1" : "0");
    field(row.enabled ? "1" : "0");
    field(row.checked ? "1" : "0");
    line += DumpUtf8(EscapeDumpText(row.text));
    line += '\n';
    return line;
}
