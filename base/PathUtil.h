#pragma once
#include <string>
#include <string_view>
#include <vector>

// The text after the last "\"; the whole text when there is none.
std::wstring FileNameOfPath(std::wstring_view path);
// The text up to and including the last "\"; empty when there is none.
std::wstring FolderOfPath(std::wstring_view path);

// The Run value: the path in quotes so a path with blanks (the usual
// "C:\Program Files\...") names this program and nothing else, then " auto".
std::wstring AutostartCommand(std::wstring_view programPath);

// Every folder along path, shortest first, each with its trailing "\":
// "C:\a\b\" gives "C:\", "C:\a\", "C:\a\b\". UNC roots ("\\server\share\")
// come as one level.
std::vector<std::wstring> FolderLevels(std::wstring_view path);
