#pragma once
// Whole-file reads and all-or-nothing replacement of the profile files that
// the settings sync carries. A replaced file is never seen half-written: the
// new bytes go to a temporary file beside it, which then takes its place in
// one rename.
#include <string>
#include <string_view>

namespace settingsfiles {

// The whole file as raw bytes; 0 when it is missing or cannot be read.
int ReadWholeFile(const std::wstring& path, std::string* bytes);

// Writes bytes to a temporary file in the same folder, flushes it to disk and
// renames it over path. On failure path keeps its old content and no
// temporary file is left behind.
int ReplaceFileAtomically(const std::wstring& path, std::string_view bytes);

// Replaces two files together: both temporary files are written first, so a
// full disk or a locked folder changes nothing; should the second rename
// fail after the first, the first file gets its old bytes back.
int ReplaceFilePair(const std::wstring& firstPath, std::string_view firstBytes, const std::wstring& secondPath,
                    std::string_view secondBytes);

}  // namespace settingsfiles
