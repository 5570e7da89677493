#pragma once
// The plain text rules of game modes: names from program paths, file names
// made from a game mode's name, the addresses a mode opens, command lines,
// the overview shown on the game page and the account page's count. No
// Windows calls here.
#include <cstddef>
#include <string>

#include "GameTaskRecord.h"

namespace gametext {

// The text after the last "\"; the whole text when there is none.
std::wstring FileNameOfPath(const std::wstring& path);
// The folder part of a path, without the last "\" (a drive's root keeps it:
// "D:\"); empty when there is none.
std::wstring FolderOfPath(const std::wstring& path);
// A game mode's default name: the program's file name without a trailing
// ".exe" (any case). Any other name is kept whole.
std::wstring DefaultGameTaskName(const std::wstring& programPath);

// A name made safe as one file name: characters Windows refuses in file
// names (\ / : * ? " < > | and control characters) become "_", as do
// trailing dots and blanks; a name Windows reserves for a device (CON, PRN,
// AUX, NUL, CONIN$, CONOUT$, COM0-COM9, LPT0-LPT9, COM¹-COM³, LPT¹-LPT³; any
// case, any extension) gets a "_" in front; an empty result becomes "_".
// The record keeps the name as typed; only the icon and shortcut files use
// this.
std::wstring SafeFileNamePart(const std::wstring& name);
// "<name>.ico" in the data folder and "游戏模式-<name>.lnk" on the desktop.
std::wstring IconFileName(const std::wstring& name);
std::wstring ShortcutFileName(const std::wstring& name);
// The shortcut's argument: "GameTaskID_" + id.
std::wstring ShortcutArguments(int id);

// The address a web row opens: as stored when it already starts with
// "http://" or "https://" (any case), else "http://" in front.
std::wstring WebAddressToOpen(const std::wstring& address);

// The command line a program is started with: its quoted path, so a path
// with blanks is one word and the program finds itself in argv[0].
std::wstring ProgramCommandLine(const std::wstring& programPath);

// The overview of panel 3.
std::wstring BuildOverviewText(const GameTaskRecord& task);
// The account page's summary: count + "种".
std::wstring GameTaskCountText(size_t count);

// A fixed-width field's text, and a text copied into one (cut to fit).
template <size_t N>
std::wstring Field(const wchar_t (&field)[N]) {
    size_t n = 0;
    while (n < N && field[n]) ++n;
    return std::wstring(field, n);
}
template <size_t N>
void SetField(wchar_t (&field)[N], const std::wstring& text) {
    const size_t n = text.size() < N - 1 ? text.size() : N - 1;
    text.copy(field, n);
    field[n] = L'\0';
}

// A fresh record for a game program: the defaults of a newly added game
// (name from the file name, nothing enabled, companion rows set to start).
void FillNewGameTask(GameTaskRecord* task, const std::wstring& programPath);

}  // namespace gametext
