#pragma once
// The Windows side of game modes: starting and closing programs, opening
// addresses, the open-file dialog, program icons, icon files and shell links.
#include <windows.h>

#include <string>

#include "GameTaskRun.h"

// CreateProcessW with the quoted path as the whole command line and the
// program's own folder as its working folder (games find their data files
// there). 0 for an empty path or a failed start.
int StartProgramInFolder(const std::wstring& path);

// Asks every process whose image name equals imageName (any case) to close:
// WM_CLOSE to each of its top-level windows, the polite "taskkill /im" way.
// No command processor is involved, so no character of the name is ever
// interpreted. Returns the number of processes found.
int CloseProgramsByImageName(const std::wstring& imageName);

// ShellExecuteW "open" of the address. 1/0.
int OpenWebAddress(const std::wstring& address);

// GetOpenFileNameW; filter as "描述|*.exe" ("|" separates). 1 and the full
// path, or 0 when cancelled.
int ChooseFileToOpen(HWND owner, const std::wstring& title, const std::wstring& initialFolder,
                     const std::wstring& filter, std::wstring* path);

// The first icon of a program, large 64 and small 32 pixels; the caller
// destroys what it gets. 1 when a large icon was found.
int ExtractProgramIcon(const std::wstring& path, HICON* large, HICON* small);

// A one-image .ico file of the icon at bitsPerPixel (1, 4, 8, 24 or 32). 1/0.
int SaveIconToFile(HICON icon, int bitsPerPixel, const std::wstring& file);

// A shell link: target, arguments, icon (index 0), show command
// SW_SHOWMINNOACTIVE, saved to linkFile. 1/0.
int CreateShellLink(const std::wstring& target, const std::wstring& arguments, const std::wstring& iconFile,
                    const std::wstring& linkFile);

// The user's desktop folder (CSIDL_DESKTOPDIRECTORY), without a trailing "\".
std::wstring DesktopFolder();

// The actions of a running game mode on the real system; the light theme
// goes to the given callback holder.
class CGameTaskSystemActions : public IGameTaskActions {
public:
    // applyTheme: called for the light step; may be null (no lighting page).
    using ThemeApplier = int (*)(const std::wstring& name, void* user);
    CGameTaskSystemActions(ThemeApplier applyTheme, void* user) : applyTheme_(applyTheme), user_(user) {}
    int StartProgram(const std::wstring& path) override { return StartProgramInFolder(path); }
    int CloseProgram(const std::wstring& imageName) override { return CloseProgramsByImageName(imageName) > 0; }
    int OpenAddress(const std::wstring& address) override { return OpenWebAddress(address); }
    int ApplyLightTheme(const std::wstring& name) override { return applyTheme_ ? applyTheme_(name, user_) : 0; }

private:
    ThemeApplier applyTheme_;
    void* user_;
};
