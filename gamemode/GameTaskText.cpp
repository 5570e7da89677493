#include "GameTaskText.h"

#include <cwchar>
#include <cwctype>

namespace gametext {

namespace {

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::towlower(text[i]) != std::towlower(prefix[i])) return false;
    return true;
}

bool EndsWithNoCase(const std::wstring& text, const std::wstring& suffix) {
    return text.size() >= suffix.size() && StartsWithNoCase(text.substr(text.size() - suffix.size()), suffix);
}

bool IsReservedDeviceName(const std::wstring& name) {
    // The device name counts with any extension: "con.txt" is still CON.
    std::wstring stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    for (auto& c : stem) c = static_cast<wchar_t>(std::towupper(c));
    if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL") return true;
    // The console's own two, which CreateFile opens as devices too.
    if (stem == L"CONIN$" || stem == L"CONOUT$") return true;
    // COM and LPT with 0 to 9 or a superscript one, two or three: Windows
    // takes those superscripts for the digits.
    if (stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0))
        return (stem[3] >= L'0' && stem[3] <= L'9') || stem[3] == L'\u00B9' || stem[3] == L'\u00B2' ||
               stem[3] == L'\u00B3';
    return false;
}

const wchar_t kRowPrefix[GameTaskRecord::kRows][20] = {L"                1.", L"                2.",
                                                       L"                3."};
const wchar_t kIndent[] = L"                ";

}  // namespace

std::wstring FileNameOfPath(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring FolderOfPath(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return std::wstring();
    // "D:" alone names the current folder on D:, not its root.
    if (slash == 2 && path[1] == L':') return path.substr(0, 3);
    return path.substr(0, slash);
}

std::wstring DefaultGameTaskName(const std::wstring& programPath) {
    std::wstring name = FileNameOfPath(programPath);
    if (EndsWithNoCase(name, L".exe")) name.resize(name.size() - 4);
    return name;
}

std::wstring SafeFileNamePart(const std::wstring& name) {
    std::wstring out = name;
    for (auto& c : out) {
        if (c < 0x20 || c == 0x7F || wcschr(L"\\/:*?\"<>|", c)) c = L'_';
    }
    // Windows drops trailing dots and blanks from a file name, so "a." and
    // "a" would be one file; keep them distinct and visible instead.
    for (size_t i = out.size(); i > 0 && (out[i - 1] == L'.' || out[i - 1] == L' '); --i) out[i - 1] = L'_';
    if (out.empty()) return L"_";
    if (IsReservedDeviceName(out)) out.insert(out.begin(), L'_');
    return out;
}

std::wstring IconFileName(const std::wstring& name) { return SafeFileNamePart(name) + L".ico"; }

std::wstring ShortcutFileName(const std::wstring& name) {
    return L"游戏模式-" + SafeFileNamePart(name) + L".lnk";
}

std::wstring ShortcutArguments(int id) { return L"GameTaskID_" + std::to_wstring(id); }

std::wstring WebAddressToOpen(const std::wstring& address) {
    if (StartsWithNoCase(address, L"http://") || StartsWithNoCase(address, L"https://")) return address;
    return L"http://" + address;
}

std::wstring ProgramCommandLine(const std::wstring& programPath) { return L"\"" + programPath + L"\""; }

std::wstring BuildOverviewText(const GameTaskRecord& t) {
    std::wstring s = L"游戏模式概览:\n\n";
    if (t.appletStatus) {
        s += L"        应用程序:开启\n";
        for (int i = 0; i < GameTaskRecord::kRows; ++i) {
            if (!t.applet[i].status) continue;
            s += kRowPrefix[i];
            s += t.applet[i].type ? L"打开" : L"关闭";
            s += FileNameOfPath(Field(t.applet[i].path)) + L"\n";
        }
    } else {
        s += L"        应用程序:关闭\n";
    }
    s += L"\n";
    if (t.webSetStatus) {
        s += L"        网页访问:开启\n";
        for (int i = 0; i < GameTaskRecord::kRows; ++i) {
            if (!t.webSet[i].status) continue;
            s += kRowPrefix[i] + Field(t.webSet[i].path) + L"\n";
        }
    } else {
        s += L"        网页访问:关闭\n";
    }
    s += L"\n";
    if (t.lightStatus)
        s += L"        灯光设置:开启\n" + std::wstring(kIndent) + Field(t.lightName) + L"\n";
    else
        s += L"        灯光设置:关闭\n";
    s += L"\n";
    s += L"        启动游戏:\n" + std::wstring(kIndent) + Field(t.path) + L"\n";
    return s;
}

std::wstring GameTaskCountText(size_t count) { return std::to_wstring(count) + L"种"; }

void FillNewGameTask(GameTaskRecord* task, const std::wstring& programPath) {
    const int32_t id = task->id;
    *task = GameTaskRecord{};
    task->id = id;
    SetField(task->name, DefaultGameTaskName(programPath));
    SetField(task->path, programPath);
    for (auto& row : task->applet) row.type = 1;
}

}  // namespace gametext
