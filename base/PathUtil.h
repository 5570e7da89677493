#pragma once
#include <string>
#include <string_view>

// The text after the last "\"; the whole text when there is none.
std::wstring FileNameOfPath(std::wstring_view path);
// The text up to and including the last "\"; empty when there is none.
std::wstring FolderOfPath(std::wstring_view path);
