#include <gtest/gtest.h>

#include <set>

#include "OVSystemConfig.h"
#include "PrivateProfileCtrl.h"
#include "StoreFolders.h"

using namespace storagetest;
using profiletext::FieldText;

namespace {

class LightStore : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dirs_.ShipBoth()) << "build/bin lacks the shipped .dat files"; }
    std::wstring Ini() const { return dirs_.data + L"LightSetConfig.ini"; }
    std::wstring Dat() const { return dirs_.program + L"LightSetConfig.dat"; }
    LightThemeList Load(COVSystemConfig& s) {
        LightThemeList themes;
        EXPECT_EQ(s.LoadThemes(&themes), 1);
        return themes;
    }
    StoreFolders dirs_;
};

LightThemeRecord NewUserTheme(const std::wstring& name) {
    LightThemeRecord t;
    profiletext::CopyToField(t.name, name);
    t.status = 1;
    t.color = 0x00FF0000;
    t.interval = 5000;
    t.brightness = 100;
    t.mode = 1;
    t.preset = 0;
    return t;
}

}  // namespace

TEST(ShippedThemes, AreAFullSetOfRecommendedThemesWithOrvane) {
    const std::wstring dat = ShippedFile(L"LightSetConfig.dat");
    const std::string bytes = ReadBytes(dat);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");  // UTF-16LE: Chinese names on any code page

    StoreFolders dirs;
    ASSERT_TRUE(dirs.ShipBoth());
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs.data, dirs.program), 1);
    LightThemeList presets;
    ASSERT_EQ(s.LoadPresetThemes(&presets), 1);
    ASSERT_GE(presets.size(), 6u);
    ASSERT_LE(presets.size(), 10u);
    std::set<std::wstring> names;
    int orvane = 0, chinese = 0;
    for (size_t i = 0; i < presets.size(); ++i) {
        const LightThemeRecord& t = *presets[i];
        const std::wstring name = FieldText(t.name);
        SCOPED_TRACE(testing::PrintToString(name));
        EXPECT_EQ(t.recordNumber, static_cast<int32_t>(i + 1));
        EXPECT_FALSE(name.empty());
        EXPECT_EQ(name.find(L'?'), std::wstring::npos);
        EXPECT_TRUE(names.insert(name).second) << "duplicate name";
        EXPECT_EQ(t.preset, 1);
        EXPECT_GE(t.mode, 1);
        EXPECT_LE(t.mode, 4);
        EXPECT_TRUE(t.interval == 5000 || t.interval == 10000 || t.interval == 30000 || t.interval == 60000);
        EXPECT_GE(t.brightness, 0);
        EXPECT_LE(t.brightness, 100);
        EXPECT_EQ(t.color >> 24, 0u);  // alpha 0, as the page stores colours
        if (name == L"Orvane") {
            ++orvane;
            EXPECT_EQ(t.status, 1);
        }
        if (name[0] >= 0x4E00 && name[0] <= 0x9FFF) ++chinese;
    }
    EXPECT_EQ(orvane, 1);
    EXPECT_GE(chinese, 5);
    EXPECT_NE(ReadText(dat).find(L"RecordBaseID=" + std::to_wstring(presets.size()) + L"\r\n"), std::wstring::npos);
}

TEST_F(LightStore, FirstRunSeedsAByteCopyOfTheShippedThemes) {
    COVSystemConfig s;
    EXPECT_EQ(s.IsReady(), 0);
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    EXPECT_EQ(s.IsReady(), 1);
    EXPECT_EQ(s.LightFilePath(), Ini());
    EXPECT_EQ(ReadBytes(Ini()), ReadBytes(Dat()));
    EXPECT_EQ(ReadBytes(dirs_.data + L"GameTaskConfig.ini"), ReadBytes(dirs_.program + L"GameTaskConfig.dat"));

    LightThemeList themes = Load(s), presets;
    ASSERT_EQ(s.LoadPresetThemes(&presets), 1);
    ASSERT_EQ(themes.size(), presets.size());
    for (size_t i = 0; i < themes.size(); ++i) {
        EXPECT_EQ(themes[i]->recordNumber, presets[i]->recordNumber);
        EXPECT_EQ(FieldText(themes[i]->name), FieldText(presets[i]->name));
        EXPECT_EQ(themes[i]->preset, 1);
        EXPECT_EQ(themes[i]->color, presets[i]->color);
    }

    // A second start neither copies again nor changes anything.
    const std::string before = ReadBytes(Ini());
    COVSystemConfig again;
    ASSERT_EQ(again.Initialise(dirs_.data.substr(0, dirs_.data.size() - 1), dirs_.program), 1);
    EXPECT_EQ(ReadBytes(Ini()), before);
}

TEST_F(LightStore, EditedPresetKeepsItsNumberAndFlagAndTheShippedCopy) {
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    const std::string shipped = ReadBytes(Dat());
    LightThemeList themes = Load(s);
    ASSERT_GE(themes.size(), 2u);
    LightThemeRecord& t = *themes[1];
    const int32_t number = t.recordNumber;
    t.color = 0x0000FF00;
    t.brightness = 33;
    t.mode = 4;
    profiletext::CopyToField(t.name, L"改过的主题");
    ASSERT_EQ(s.UpdateTheme(t), 1);

    LightThemeList after = Load(s);
    ASSERT_EQ(after.size(), themes.size());
    EXPECT_EQ(after[1]->recordNumber, number);
    EXPECT_EQ(after[1]->preset, 1);
    EXPECT_EQ(after[1]->color, 0x0000FF00u);
    EXPECT_EQ(after[1]->brightness, 33);
    EXPECT_EQ(after[1]->mode, 4);
    EXPECT_EQ(FieldText(after[1]->name), L"改过的主题");
    EXPECT_NE(ReadText(Ini()).find(L"LightSetPreSet=true"), std::wstring::npos);

    // The shipped values are untouched and still found by number.
    EXPECT_EQ(ReadBytes(Dat()), shipped);
    LightThemeList presets;
    ASSERT_EQ(s.LoadPresetThemes(&presets), 1);
    EXPECT_EQ(presets[1]->recordNumber, number);
    EXPECT_NE(presets[1]->color, 0x0000FF00u);
}

TEST_F(LightStore, UserThemesGetNumbersAboveAnyEverUsed) {
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    const int32_t shippedCount = static_cast<int32_t>(Load(s).size());

    LightThemeRecord a = NewUserTheme(L"我的新主题");
    ASSERT_EQ(s.AddTheme(&a), 1);
    EXPECT_EQ(a.recordNumber, shippedCount + 1);
    ASSERT_EQ(s.DeleteTheme(a.recordNumber), 1);
    LightThemeRecord b = NewUserTheme(L"我的新主题");
    ASSERT_EQ(s.AddTheme(&b), 1);
    EXPECT_EQ(b.recordNumber, shippedCount + 2);

    // After a restart too.
    COVSystemConfig again;
    ASSERT_EQ(again.Initialise(dirs_.data, dirs_.program), 1);
    LightThemeRecord c = NewUserTheme(L"第三个");
    ASSERT_EQ(again.AddTheme(&c), 1);
    EXPECT_EQ(c.recordNumber, shippedCount + 3);

    LightThemeList themes = Load(again);
    ASSERT_EQ(themes.size(), static_cast<size_t>(shippedCount + 2));
    EXPECT_EQ(FieldText(themes[shippedCount]->name), L"我的新主题");
    EXPECT_EQ(themes[shippedCount]->preset, 0);
    EXPECT_EQ(themes[shippedCount]->status, 1);
    EXPECT_EQ(themes[shippedCount]->color, 0x00FF0000u);
    EXPECT_EQ(themes[shippedCount]->interval, 5000);
    EXPECT_EQ(themes[shippedCount]->brightness, 100);
    EXPECT_EQ(themes[shippedCount]->mode, 1);
    EXPECT_EQ(ReadText(Ini()).find(L"RID_" + std::to_wstring(shippedCount + 1) + L"]"), std::wstring::npos);
}

TEST_F(LightStore, OverlongNameComesBackAt199) {
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    LightThemeRecord t = NewUserTheme(L"");
    CPrivateProfileCtrl raw;
    ASSERT_EQ(raw.OpenExisting(Ini()), 1);
    ASSERT_EQ(s.AddTheme(&t), 1);
    raw.WriteValue(L"RID_" + std::to_wstring(t.recordNumber), L"LightSetName", std::wstring(250, L'光'));
    LightThemeList themes = Load(s);
    EXPECT_EQ(FieldText(themes.back()->name), std::wstring(199, L'光'));
}

TEST_F(LightStore, RecordWithMissingKeysLoadsEmpty) {
    ASSERT_TRUE(WriteUtf16(Ini(), L"[LightSetConfig]\r\nRecordBaseID=3\r\n[RID_3]\r\nLightSetName=半条\r\n"));
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    LightThemeList themes = Load(s);
    ASSERT_EQ(themes.size(), 1u);
    const LightThemeRecord& t = *themes[0];
    EXPECT_EQ(t.recordNumber, 3);
    EXPECT_EQ(FieldText(t.name), L"半条");
    EXPECT_EQ(t.status, 0);
    EXPECT_EQ(t.color, 0u);
    EXPECT_EQ(t.interval, 0);
    EXPECT_EQ(t.brightness, 0);
    EXPECT_EQ(t.mode, 0);
    EXPECT_EQ(t.preset, 0);
}

TEST_F(LightStore, MissingShippedCopyStartsEmptyAndCreatesOne) {
    DeleteFileW(Dat().c_str());
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    EXPECT_EQ(ReadText(Ini()), L"[LightSetConfig]\r\nRecordBaseID=0\r\n");
    EXPECT_EQ(ReadText(Dat()), L"[LightSetConfig]\r\nRecordBaseID=0\r\n");
    EXPECT_TRUE(Load(s).empty());
    LightThemeList presets;
    EXPECT_EQ(s.LoadPresetThemes(&presets), 1);
    EXPECT_TRUE(presets.empty());
}

TEST_F(LightStore, MissingShippedCopyInAnUnwritableProgramFolderFailsStartUp) {
    const std::wstring program = UnwritableFolder(dirs_.program);
    COVSystemConfig s;
    EXPECT_EQ(s.Initialise(dirs_.data, program), 0);
    EXPECT_EQ(s.IsReady(), 0);
    EXPECT_FALSE(Exists(dirs_.data + L"GameTaskConfig.ini"));  // later steps never ran
}

TEST_F(LightStore, DamagedWorkingFileIsKeptAsideAndTheShippedCopyReturns) {
    ASSERT_TRUE(WriteUtf16(Ini(), L"[RID_1]\r\nLightSetName=孤儿\r\n"));
    const std::pair<const char*, std::string> damages[] = {
        {"no counter", ReadBytes(Ini())}, {"empty", ""}, {"UTF-16 garbage", "\xFF\xFE" + RandomBytes(3000, 40)}};
    for (const auto& [file, shipped] : {std::pair{Ini(), Dat()},
                                        std::pair{dirs_.data + L"GameTaskConfig.ini",
                                                  dirs_.program + L"GameTaskConfig.dat"}}) {
        std::set<std::wstring> kept;
        for (const auto& [what, bytes] : damages) {
            SCOPED_TRACE(testing::Message() << what << " in " << testing::PrintToString(file));
            ASSERT_TRUE(WriteBytes(file, bytes));
            COVSystemConfig s;
            ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1) << testing::PrintToString(s.StartUpFailure());
            const std::wstring notice = s.StartUpNotice();
            const size_t at = notice.find(L"已损坏,已恢复默认设置。原文件已保存为 ");
            ASSERT_NE(at, std::wstring::npos) << testing::PrintToString(notice);
            const std::wstring keptName = notice.substr(at + 20);
            EXPECT_EQ((dirs_.data + keptName).rfind(file + L".damaged-", 0), 0u) << testing::PrintToString(keptName);
            EXPECT_TRUE(kept.insert(keptName).second) << "an earlier kept file was written over";
            EXPECT_EQ(ReadBytes(dirs_.data + keptName), bytes);
            EXPECT_EQ(ReadBytes(file), ReadBytes(shipped));  // as on a first run

            COVSystemConfig again;
            ASSERT_EQ(again.Initialise(dirs_.data, dirs_.program), 1);
            EXPECT_EQ(again.StartUpNotice(), L"");
        }
    }
}

TEST_F(LightStore, FilesThatCannotBeReadOrRenamedNowAreNeverTouched) {
    const std::string damaged = RandomBytes(3000, 7);
    ASSERT_TRUE(WriteBytes(Ini(), damaged));
    auto expectFailure = [&](const std::wstring& text) {
        COVSystemConfig s;
        EXPECT_EQ(s.Initialise(dirs_.data, dirs_.program), 0);
        EXPECT_NE(s.StartUpFailure().find(text), std::wstring::npos) << testing::PrintToString(s.StartUpFailure());
    };
    // Locked by another program: not damaged.
    HANDLE lock = CreateFileW(Ini().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    expectFailure(L"启动失败:无法读取灯光方案文件,文件可能正被其他程序使用。\n" + Ini());
    CloseHandle(lock);
    // Damaged, but held by a reader so that it cannot be renamed (as in a
    // read-only folder), or marked read-only.
    HANDLE reader = CreateFileW(Ini().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    expectFailure(L"启动失败:灯光方案文件已损坏,且无法改名保存。");
    CloseHandle(reader);
    ASSERT_TRUE(SetFileAttributesW(Ini().c_str(), FILE_ATTRIBUTE_READONLY));
    expectFailure(L"启动失败:灯光方案文件已损坏,且无法改名保存。");
    SetFileAttributesW(Ini().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(Ini()), damaged);
    WIN32_FIND_DATAW found{};
    EXPECT_EQ(FindFirstFileW((dirs_.data + L"*.damaged-*").c_str(), &found), INVALID_HANDLE_VALUE);
}

TEST_F(LightStore, DamagedShippedCopyGivesWhatItStillHoldsAndIsNeverTouched) {
    ASSERT_TRUE(WriteUtf16(Dat(), L"[RID_2]\r\nLightSetName=残留\r\n"));
    const std::string shipped = ReadBytes(Dat());
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    EXPECT_EQ(s.StartUpNotice(), L"推荐灯光方案文件已损坏,只能使用其中能读取的方案。");
    LightThemeList presets;
    s.LoadPresetThemes(&presets);
    ASSERT_EQ(presets.size(), 1u);
    EXPECT_EQ(FieldText(presets[0]->name), L"残留");
    EXPECT_TRUE(Load(s).empty()) << "a first run never starts from a damaged copy";
    EXPECT_EQ(ReadBytes(Dat()), shipped);
}

TEST_F(LightStore, UnwritableDataFolderFailsStartUpAndTouchesNothing) {
    const std::wstring data = UnwritableFolder(dirs_.data);
    const std::string shipped = ReadBytes(Dat());
    COVSystemConfig s;
    EXPECT_EQ(s.Initialise(data, dirs_.program), 0);
    EXPECT_EQ(s.IsReady(), 0);
    EXPECT_EQ(ReadBytes(Dat()), shipped);
    EXPECT_EQ(ReadBytes(dirs_.data + L"blocked"), "not a folder");
    EXPECT_EQ(s.StartUpFailure(), L"启动失败:无法写入灯光方案文件。\n" + data + L"LightSetConfig.ini");
    LightThemeRecord t = NewUserTheme(L"x");
    EXPECT_EQ(s.AddTheme(&t), 0);

    COVSystemConfig noDrive;
    EXPECT_EQ(noDrive.Initialise(L"Q:\\NoSuchDrive\\Ventaro\\", dirs_.program), 0);
}

TEST_F(LightStore, ReadOnlyShippedCopySeedsAWritableFile) {
    ASSERT_TRUE(SetFileAttributesW(Dat().c_str(), FILE_ATTRIBUTE_READONLY));
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    const DWORD attributes = GetFileAttributesW(Ini().c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(attributes & FILE_ATTRIBUTE_READONLY, 0u);
    LightThemeRecord t = NewUserTheme(L"能保存");
    EXPECT_EQ(s.AddTheme(&t), 1);
    SetFileAttributesW(Dat().c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(LightStore, OperationsAfterShutDownFail) {
    COVSystemConfig s;
    ASSERT_EQ(s.Initialise(dirs_.data, dirs_.program), 1);
    ASSERT_EQ(s.ShutDown(), 1);
    EXPECT_EQ(s.IsReady(), 0);
    LightThemeList themes;
    EXPECT_EQ(s.LoadThemes(&themes), 0);
    LightThemeRecord t = NewUserTheme(L"x");
    EXPECT_EQ(s.AddTheme(&t), 0);
    EXPECT_EQ(s.Initialise(L"", dirs_.program), 0);
}
