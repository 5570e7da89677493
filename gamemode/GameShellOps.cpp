#include "GameShellOps.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <cwctype>
#include <vector>

#include "FileIOCtrl.h"
#include "GameTaskText.h"
#include "ProcessOps.h"
#include "WinHandles.h"

namespace {

bool SameNameNoCase(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return i == a.size() && !b[i];
}

struct WindowsOf {
    DWORD processId;
    int closed;
};

BOOL CALLBACK CloseWindowOf(HWND hwnd, LPARAM lParam) {
    auto* target = reinterpret_cast<WindowsOf*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == target->processId) {
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        ++target->closed;
    }
    return TRUE;
}

// Owner of an icon's two bitmaps.
struct IconBitmaps {
    ICONINFO info{};
    ~IconBitmaps() {
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
};

struct ScreenDC {
    HDC dc = GetDC(nullptr);
    ~ScreenDC() {
        if (dc) ReleaseDC(nullptr, dc);
    }
};

DWORD RowBytes(LONG width, int bitsPerPixel) { return static_cast<DWORD>(((width * bitsPerPixel + 31) / 32) * 4); }

// The bits of a bitmap at a depth, with the colour table GetDIBits fills for
// depths below 24.
bool ReadBits(HDC dc, HBITMAP bitmap, LONG width, LONG height, int bitsPerPixel, std::vector<RGBQUAD>* table,
              std::vector<BYTE>* bits) {
    const size_t colours = bitsPerPixel < 24 ? (size_t{1} << bitsPerPixel) : 0;
    std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* bmi = reinterpret_cast<BITMAPINFO*>(info.data());
    bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi->bmiHeader.biWidth = width;
    bmi->bmiHeader.biHeight = height;
    bmi->bmiHeader.biPlanes = 1;
    bmi->bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    bmi->bmiHeader.biCompression = BI_RGB;
    bits->assign(static_cast<size_t>(RowBytes(width, bitsPerPixel)) * height, 0);
    if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), bits->data(), bmi, DIB_RGB_COLORS) != height) return false;
    table->assign(bmi->bmiColors, bmi->bmiColors + colours);
    return true;
}

}  // namespace

int StartProgramInFolder(const std::wstring& path) {
    if (path.empty()) return 0;
    return StartProcess(path, gametext::ProgramCommandLine(path), 1, nullptr, 0, nullptr, gametext::FolderOfPath(path));
}

int CloseProgramsByImageName(const std::wstring& imageName) {
    if (imageName.empty()) return 0;
    win::CUniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    std::vector<DWORD> matches;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        if (SameNameNoCase(imageName, entry.szExeFile)) matches.push_back(entry.th32ProcessID);
    for (DWORD pid : matches) {
        WindowsOf target{pid, 0};
        EnumWindows(&CloseWindowOf, reinterpret_cast<LPARAM>(&target));
    }
    return static_cast<int>(matches.size());
}

int OpenWebAddress(const std::wstring& address) {
    if (address.empty()) return 0;
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOW));
    return result > 32 ? 1 : 0;
}

int ChooseFileToOpen(HWND owner, const std::wstring& title, const std::wstring& initialFolder,
                     const std::wstring& filter, std::wstring* path) {
    if (!path) return 0;
    std::wstring filterText = filter;
    for (auto& c : filterText)
        if (c == L'|') c = L'\0';
    filterText.append(2, L'\0');
    std::vector<wchar_t> result(300, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filterText.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = result.data();
    ofn.nMaxFile = static_cast<DWORD>(result.size());
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameW(&ofn)) return 0;
    *path = result.data();
    return 1;
}

int ExtractProgramIcon(const std::wstring& path, HICON* large, HICON* small) {
    HICON big = nullptr, little = nullptr;
    if (path.empty() || FAILED(SHDefExtractIconW(path.c_str(), 0, 0, &big, &little, MAKELONG(64, 32)))) big = little = nullptr;
    if (large)
        *large = big;
    else if (big)
        DestroyIcon(big);
    if (small)
        *small = little;
    else if (little)
        DestroyIcon(little);
    return big ? 1 : 0;
}

int SaveIconToFile(HICON icon, int bitsPerPixel, const std::wstring& file) {
    if (!icon || file.empty()) return 0;
    if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32)
        return 0;
    IconBitmaps bitmaps;
    if (!GetIconInfo(icon, &bitmaps.info) || !bitmaps.info.hbmColor || !bitmaps.info.hbmMask) return 0;
    BITMAP colour{};
    if (!GetObjectW(bitmaps.info.hbmColor, sizeof colour, &colour)) return 0;
    const LONG width = colour.bmWidth, height = colour.bmHeight;
    ScreenDC screen;
    std::vector<RGBQUAD> table, maskTable;
    std::vector<BYTE> colourBits, maskBits;
    if (!ReadBits(screen.dc, bitmaps.info.hbmColor, width, height, bitsPerPixel, &table, &colourBits)) return 0;
    if (!ReadBits(screen.dc, bitmaps.info.hbmMask, width, height, 1, &maskTable, &maskBits)) return 0;

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height * 2;  // colour and mask one above the other
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(bitsPerPixel);
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(colourBits.size() + maskBits.size());
    const DWORD imageSize =
        static_cast<DWORD>(sizeof header + table.size() * sizeof(RGBQUAD) + colourBits.size() + maskBits.size());

    std::vector<BYTE> out;
    auto put = [&out](const void* p, size_t n) {
        out.insert(out.end(), static_cast<const BYTE*>(p), static_cast<const BYTE*>(p) + n);
    };
    const WORD fileHeader[3] = {0, 1, 1};  // reserved, type icon, one image
    put(fileHeader, sizeof fileHeader);
    BYTE entry[16] = {};
    entry[0] = static_cast<BYTE>(width);  // 256 wraps to 0, as the format wants
    entry[1] = static_cast<BYTE>(height);
    entry[2] = bitsPerPixel == 4 ? 16 : 0;
    const WORD bitCount = static_cast<WORD>(bitsPerPixel);
    const DWORD offset = 22;
    memcpy(entry + 6, &bitCount, 2);
    memcpy(entry + 8, &imageSize, 4);
    memcpy(entry + 12, &offset, 4);
    put(entry, sizeof entry);
    put(&header, sizeof header);
    put(table.data(), table.size() * sizeof(RGBQUAD));
    put(colourBits.data(), colourBits.size());
    put(maskBits.data(), maskBits.size());

    CFileIOCtrl f;
    if (!f.Open(file, GENERIC_WRITE, CREATE_ALWAYS)) return 0;
    uint32_t count = 0;
    int written = f.Write(out.data(), static_cast<uint32_t>(out.size()), &count) && count == out.size();
    if (!f.Close()) written = 0;
    if (!written) DeleteFileW(file.c_str());
    return written ? 1 : 0;
}

int CreateShellLink(const std::wstring& target, const std::wstring& arguments, const std::wstring& iconFile,
                    const std::wstring& linkFile) {
    win::CComApartment com(COINIT_APARTMENTTHREADED);
    if (!com.Usable()) return 0;
    win::CComRef<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.Out()))))
        return 0;
    if (FAILED(link->SetArguments(arguments.c_str())) || FAILED(link->SetIconLocation(iconFile.c_str(), 0)) ||
        FAILED(link->SetPath(target.c_str())) || FAILED(link->SetShowCmd(SW_SHOWMINNOACTIVE)))
        return 0;
    win::CComRef<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out())))) return 0;
    return SUCCEEDED(file->Save(linkFile.c_str(), TRUE)) ? 1 : 0;
}

std::wstring DesktopFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, folder))) return {};
    std::wstring s = folder;
    while (!s.empty() && s.back() == L'\\') s.pop_back();
    return s;
}
