#include "PathUtil.h"

std::wstring FileNameOfPath(std::wstring_view path) {
    const size_t pos = path.rfind(L'\\');
    return std::wstring(pos == std::wstring_view::npos ? path : path.substr(pos + 1));
}

std::wstring FolderOfPath(std::wstring_view path) {
    const size_t pos = path.rfind(L'\\');
    return pos == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, pos + 1));
}

std::wstring AutostartCommand(std::wstring_view programPath) {
    std::wstring value = L"\"";
    value += programPath;
    value += L"\" auto";
    return value;
}

std::vector<std::wstring> FolderLevels(std::wstring_view path) {
    std::vector<std::wstring> levels;
    size_t start = 0;
    if (path.substr(0, 2) == L"\\\\") {
        // \\server\share\ is the root of a UNC path; it cannot be created.
        size_t server = path.find(L'\\', 2);
        size_t share = server == std::wstring_view::npos ? server : path.find(L'\\', server + 1);
        if (share == std::wstring_view::npos) return levels;
        start = share + 1;
        levels.emplace_back(path.substr(0, start));
    }
    for (size_t pos = path.find(L'\\', start); pos != std::wstring_view::npos; pos = path.find(L'\\', pos + 1)) {
        if (pos == 0 || path[pos - 1] == L'\\') continue;  // no empty levels from doubled separators
        levels.emplace_back(path.substr(0, pos + 1));
    }
    if (!path.empty() && path.back() != L'\\') levels.emplace_back(std::wstring(path) + L'\\');
    return levels;
}
