// The Windows side of game modes against the stand-ins: programs started in
// their own folder, closing by image name without a command processor, the
// browser, icon files byte for byte and shell links read back.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "GameShellOps.h"
#include "GameStandIns.h"
#include "WinHandles.h"

using namespace gamestandins;

namespace {

TEST(GameShellPrograms, StartInOwnFolderWithQuotedPath) {
    StandIns s;
    const std::wstring helper = s.CopyStub(L"my helper.exe");
    const std::wstring chinese = s.CopyStub(L"语音助手.exe");
    ASSERT_EQ(StartProgramInFolder(helper), 1);
    ASSERT_EQ(StartProgramInFolder(chinese), 1);
    ASSERT_TRUE(s.WaitForLogLines(2));
    const auto lines = s.StubLog();
    for (const std::wstring& path : {helper, chinese}) {
        const StubLine* line = FindStart(lines, path);
        ASSERT_NE(line, nullptr) << Narrow(path);
        EXPECT_EQ(line->commandLine, L"\"" + path + L"\"");
        EXPECT_EQ(TrimSlash(line->folder), TrimSlash(s.ProgramFolder()));
    }
    EXPECT_EQ(StartProgramInFolder(L""), 0);
    EXPECT_EQ(StartProgramInFolder(s.ProgramFolder() + L"missing.exe"), 0);
    s.CloseAll();
}

TEST(GameShellPrograms, CloseByImageNameRunsNothingElse) {
    StandIns s;
    const std::wstring helper = s.CopyStub(L"helper.exe");
    const std::wstring other = s.CopyStub(L"other.exe");
    ASSERT_EQ(StartProgramInFolder(helper), 1);
    ASSERT_EQ(StartProgramInFolder(other), 1);
    ASSERT_TRUE(s.WaitForWindow(L"helper.exe"));
    ASSERT_TRUE(s.WaitForWindow(L"other.exe"));
    // Any case of the name matches; only that program closes.
    EXPECT_EQ(CloseProgramsByImageName(L"HELPER.EXE"), 1);
    EXPECT_TRUE(s.WaitForWindowGone(L"helper.exe"));
    EXPECT_NE(FindWindowW(nullptr, L"other.exe"), nullptr);
    // A name that a command processor would split runs nothing: no folder
    // appears and nothing is closed.
    const std::wstring marker = s.Root() + L"injected";
    EXPECT_EQ(CloseProgramsByImageName(L"x&mkdir \"" + marker + L"\"&.exe"), 0);
    EXPECT_EQ(CloseProgramsByImageName(L"other.exe|mkdir " + marker), 0);
    Sleep(500);
    EXPECT_EQ(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(FindWindowW(nullptr, L"other.exe"), nullptr);
    EXPECT_EQ(CloseProgramsByImageName(L"other.exe"), 1);
    EXPECT_TRUE(s.WaitForWindowGone(L"other.exe"));
    const auto lines = s.StubLog();
    EXPECT_EQ(CountEvents(lines, L"close"), 2u);
}

TEST(GameShellPrograms, AddressesReachTheBrowser) {
    StandIns s;
    ASSERT_EQ(OpenWebAddress(L"http://www.example.com/一?a=1&b=2"), 1);
    ASSERT_EQ(OpenWebAddress(L"https://secure.example.com"), 1);
    ASSERT_TRUE(s.WaitForBrowserLines(2));
    const auto lines = s.BrowserLog();
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"http://www.example.com/一?a=1&b=2"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"https://secure.example.com"), lines.end());
}

std::vector<unsigned char> ReadBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<unsigned char> bytes;
    if (h == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = GetFileSize(h, nullptr), got = 0;
    bytes.resize(size);
    ReadFile(h, bytes.data(), size, &got, nullptr);
    CloseHandle(h);
    return bytes;
}

uint32_t U32(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
uint16_t U16(const std::vector<unsigned char>& b, size_t at) { return uint16_t(b[at] | (b[at + 1] << 8)); }

TEST(GameShellIcons, IconFileLayoutAndPixels) {
    StandIns s;
    const std::wstring stub = s.CopyStub(L"StubGame.exe");
    HICON large = nullptr, small = nullptr;
    ASSERT_EQ(ExtractProgramIcon(stub, &large, &small), 1);
    ASSERT_NE(small, nullptr);
    const std::wstring ico = s.Root() + L"game.ico";
    ASSERT_EQ(SaveIconToFile(large, 32, ico), 1);
    const auto b = ReadBytes(ico);
    const uint32_t colourBytes = 64 * 64 * 4, maskBytes = 8 * 64;
    ASSERT_EQ(b.size(), 22u + 40u + colourBytes + maskBytes);
    EXPECT_EQ(U16(b, 0), 0);   // reserved
    EXPECT_EQ(U16(b, 2), 1);   // icon
    EXPECT_EQ(U16(b, 4), 1);   // one image
    EXPECT_EQ(b[6], 64);       // width
    EXPECT_EQ(b[7], 64);       // height
    EXPECT_EQ(b[8], 0);        // colour count
    EXPECT_EQ(U16(b, 12), 32);                                 // bit count
    EXPECT_EQ(U32(b, 14), 40u + colourBytes + maskBytes);      // image size
    EXPECT_EQ(U32(b, 18), 22u);                                // offset
    EXPECT_EQ(U32(b, 22), 40u);                                // BITMAPINFOHEADER
    EXPECT_EQ(int32_t(U32(b, 26)), 64);
    EXPECT_EQ(int32_t(U32(b, 30)), 128);                       // doubled height
    EXPECT_EQ(U16(b, 36), 32);
    EXPECT_EQ(U32(b, 42), colourBytes + maskBytes);
    // The picture survived: the centre row holds the accent orange
    // (BGRA FF6A00) left of the play triangle; a corner is transparent.
    const size_t pixels = 62;
    auto at = [&](int x, int yTop) { return pixels + size_t((63 - yTop) * 64 + x) * 4; };
    EXPECT_NEAR(b[at(12, 32) + 2], 0xFF, 8);
    EXPECT_NEAR(b[at(12, 32) + 1], 0x6A, 8);
    EXPECT_NEAR(b[at(12, 32) + 0], 0x00, 8);
    EXPECT_EQ(b[at(0, 0) + 3], 0);
    // Windows reads the file back as an icon of the same size.
    HICON back = static_cast<HICON>(LoadImageW(nullptr, ico.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
    EXPECT_NE(back, nullptr);
    if (back) DestroyIcon(back);
    // A 4-bit file carries a 16-entry colour table and says so.
    const std::wstring ico4 = s.Root() + L"game4.ico";
    ASSERT_EQ(SaveIconToFile(large, 4, ico4), 1);
    const auto b4 = ReadBytes(ico4);
    EXPECT_EQ(b4[8], 16);
    EXPECT_EQ(U16(b4, 12), 4);
    EXPECT_EQ(b4.size(), 22u + 40u + 16u * 4 + 32u * 64 + maskBytes);
    EXPECT_EQ(SaveIconToFile(nullptr, 32, s.Root() + L"none.ico"), 0);
    EXPECT_EQ(SaveIconToFile(large, 32, s.Root() + L"no\\such\\folder\\x.ico"), 0);
    DestroyIcon(large);
    DestroyIcon(small);
    // A file without an icon gives none.
    EXPECT_EQ(ExtractProgramIcon(ico + L".missing", &large, nullptr), 0);
}

TEST(GameShellLinks, ReadBackThroughIShellLink) {
    StandIns s;
    const std::wstring link = s.Root() + L"游戏模式-星际.lnk";
    // Wine keeps a link's target as a path in the ANSI code page only, so
    // the target lies in a folder whose name every code page can hold; the
    // link's own name and the icon path are Chinese.
    const std::wstring target = s.Root() + L"Pexilo.exe";
    const std::wstring icon = s.ProgramFolder() + L"星际.ico";
    ASSERT_EQ(CreateShellLink(target, L"GameTaskID_7", icon, link), 1);
    win::CComApartment com(COINIT_APARTMENTTHREADED);
    win::CComRef<IShellLinkW> sl;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(sl.Out()))));
    win::CComRef<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(sl->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out()))));
    ASSERT_TRUE(SUCCEEDED(file->Load(link.c_str(), STGM_READ)));
    wchar_t text[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(sl->GetPath(text, MAX_PATH, nullptr, 0)));
    EXPECT_EQ(_wcsicmp(text, target.c_str()), 0) << Narrow(text);
    ASSERT_TRUE(SUCCEEDED(sl->GetArguments(text, MAX_PATH)));
    EXPECT_STREQ(text, L"GameTaskID_7");
    int index = -1;
    ASSERT_TRUE(SUCCEEDED(sl->GetIconLocation(text, MAX_PATH, &index)));
    EXPECT_EQ(_wcsicmp(text, icon.c_str()), 0) << Narrow(text);
    EXPECT_EQ(index, 0);
    // The show command: Wine's loader does not hand the stored value back
    // through GetShowCmd, so it is read from the link header (offset 0x3C).
    const auto bytes = ReadBytes(link);
    ASSERT_GE(bytes.size(), 0x4Cu);
    EXPECT_EQ(U32(bytes, 0), 0x4Cu);
    EXPECT_EQ(U32(bytes, 0x3C), uint32_t{SW_SHOWMINNOACTIVE});
    // A folder that does not exist: no link, and the call says so.
    EXPECT_EQ(CreateShellLink(target, L"GameTaskID_7", icon, s.Root() + L"no\\such\\x.lnk"), 0);
}

}  // namespace
