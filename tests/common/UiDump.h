#pragma once
// Reading Ventaro's inspection dump (VENTARO_UI_DUMP) in end-to-end tests:
// one control per line, tab-separated
//   id kind style x y width height visible enabled checked text
// with "\\", "\t", "\n", "\r" escapes in the text. Typical use with xdotool:
//
//   uidump::Dump dump;
//   ASSERT_TRUE(uidump::WaitFor(path, [](const uidump::Dump& d) { return d.Shown(L"EnterButton"); }, 10000, &dump));
//   const uidump::Row* enter = dump.Shown(L"EnterButton");
//   auto [x, y] = dump.PixelCentre(*enter);  // window client pixels; add the window's origin for xdotool
//
// The first line "# scale S" gives the drawing scale; the rows are logical
// units, S pixels each. The second, "# frame N T", the first frame that
// showed this state: its number and the end of its present (system time in
// ms, GetSystemTimeAsFileTime / 10000).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace uidump {

struct Row {
    int id = 0;
    std::wstring kind, style;
    int x = 0, y = 0, width = 0, height = 0;
    bool visible = false, enabled = false, checked = false;
    std::wstring text;
    std::pair<int, int> Centre() const { return {x + width / 2, y + height / 2}; }
};

inline std::wstring FromUtf8(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

inline std::wstring Unescape(const std::wstring& s) {
    std::wstring out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'\\' && i + 1 < s.size()) {
            const wchar_t c = s[++i];
            out += c == L't' ? L'\t' : c == L'n' ? L'\n' : c == L'r' ? L'\r' : c;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Parses one line; false when it does not have the eleven fields.
inline bool ParseLine(const std::wstring& line, Row* row) {
    std::vector<std::wstring> f;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find(L'\t', start);
        if (tab == std::wstring::npos || f.size() == 10) {
            f.push_back(line.substr(start));
            break;
        }
        f.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    if (f.size() != 11) return false;
    row->id = _wtoi(f[0].c_str());
    row->kind = Unescape(f[1]);
    row->style = Unescape(f[2]);
    row->x = _wtoi(f[3].c_str());
    row->y = _wtoi(f[4].c_str());
    row->width = _wtoi(f[5].c_str());
    row->height = _wtoi(f[6].c_str());
    row->visible = f[7] == L"1";
    row->enabled = f[8] == L"1";
    row->checked = f[9] == L"1";
    row->text = Unescape(f[10]);
    return true;
}

struct Dump {
    std::vector<Row> rows;
    double scale = 1.0;
    unsigned long long frame = 0, frameAtMs = 0;

    // A row's centre in the window's client pixels.
    std::pair<int, int> PixelCentre(const Row& r) const {
        return {static_cast<int>((r.x + r.width / 2.0) * scale), static_cast<int>((r.y + r.height / 2.0) * scale)};
    }

    bool Empty() const { return rows.empty(); }
    // The first row of that style (and text, when given); nullptr when none.
    const Row* Find(const std::wstring& style, const std::wstring& text = L"", bool visibleOnly = false) const {
        for (const Row& r : rows) {
            if (r.style == style && (text.empty() || r.text == text) && (!visibleOnly || r.visible)) return &r;
        }
        return nullptr;
    }
    const Row* Shown(const std::wstring& style, const std::wstring& text = L"") const {
        return Find(style, text, true);
    }
    const Row* ById(int id) const {
        for (const Row& r : rows) {
            if (r.id == id) return &r;
        }
        return nullptr;
    }
    int CountShown(const std::wstring& style) const {
        int n = 0;
        for (const Row& r : rows) n += (r.style == style && r.visible) ? 1 : 0;
        return n;
    }
};

// Reads and parses the file; false when it is missing or empty.
inline bool Read(const std::wstring& path, Dump* dump) {
    dump->rows.clear();
    dump->scale = 1.0;
    dump->frame = dump->frameAtMs = 0;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return false;
    std::string bytes;
    char buffer[8192];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
    std::fclose(file);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        Row row;
        if (bytes.compare(start, 8, "# scale ") == 0) dump->scale = std::atof(bytes.substr(start + 8, end - start - 8).c_str());
        if (bytes.compare(start, 8, "# frame ") == 0)
            std::sscanf(bytes.c_str() + start + 8, "%llu %llu", &dump->frame, &dump->frameAtMs);
        if (ParseLine(FromUtf8(bytes.substr(start, end - start)), &row)) dump->rows.push_back(std::move(row));
        start = end + 1;
    }
    return !dump->rows.empty();
}

// Polls the dump every 100 ms until cond holds for it or ms pass; the last
// read is left in *dump.
inline bool WaitFor(const std::wstring& path, const std::function<bool(const Dump&)>& cond, DWORD ms, Dump* dump) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        if (Read(path, dump) && cond(*dump)) return true;
        if (GetTickCount64() > end) return false;
        Sleep(100);
    }
}

}  // namespace uidump
