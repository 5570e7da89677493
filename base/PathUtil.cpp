#include "PathUtil.h"

std::wstring FileNameOfPath(std::wstring_view path) {
    const size_t pos = path.rfind(L'\\');
    return std::wstring(pos == std::wstring_view::npos ? path : path.substr(pos + 1));
}

std::wstring FolderOfPath(std::wstring_view path) {
    const size_t pos = path.rfind(L'\\');
    return pos == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, pos + 1));
}
