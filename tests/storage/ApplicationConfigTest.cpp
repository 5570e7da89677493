#include <gtest/gtest.h>

#include "ApplicationConfigFile.h"
#include "PrivateProfileCtrl.h"
#include "StorageTestFiles.h"

using namespace storagetest;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = testpaths::MakeTempDir(L"settings");
        path_ = dir_ + L"OVCLIENT.ini";
    }
    std::wstring dir_, path_;
};

const wchar_t kDefaults[] =
    L"[OVConfig]\r\nOVFanAutoAdjust=FALSE\r\nOVFanSpeedValue=80\r\nOVLightSelect=Orvane\r\n"
    L"AutoLoginStatus=FALSE\r\nAutoLoginParam=\r\n";

}  // namespace

TEST_F(SettingsFile, FirstRunWritesExactlyTheFiveDefaults) {
    CApplicationConfigFile c;
    EXPECT_EQ(c.GetFanSpeedValue(), 1);  // before the file is read or created
    ASSERT_EQ(c.Initialise(dir_), 1);
    EXPECT_EQ(c.GetFilePath(), path_);
    EXPECT_EQ(c.GetFanAutoAdjust(), 0);
    EXPECT_EQ(c.GetFanSpeedValue(), 80);
    EXPECT_EQ(c.GetLightSelect(), L"Orvane");
    EXPECT_EQ(c.GetAutoLoginStatus(), 0);
    EXPECT_EQ(c.GetAutoLoginParam(), L"");
    const std::string bytes = ReadBytes(path_);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ReadText(path_), kDefaults);

    // The folder may be given without its trailing "\".
    const std::wstring other = testpaths::MakeTempDir(L"settings");
    CApplicationConfigFile d;
    ASSERT_EQ(d.Initialise(other.substr(0, other.size() - 1)), 1);
    EXPECT_EQ(ReadText(other + L"OVCLIENT.ini"), kDefaults);
}

TEST_F(SettingsFile, ExistingFileIsLoadedNotRepaired) {
    ASSERT_TRUE(WriteBytes(path_, "[OVConfig]\r\nOVFanAutoAdjust=true\r\nOVLightSelect=Blue\r\n"));
    const std::string before = ReadBytes(path_);
    CApplicationConfigFile c;
    ASSERT_EQ(c.Initialise(dir_), 1);
    EXPECT_EQ(c.GetFanAutoAdjust(), 1);
    EXPECT_EQ(c.GetFanSpeedValue(), 0);  // missing key
    EXPECT_EQ(c.GetLightSelect(), L"Blue");
    EXPECT_EQ(c.GetAutoLoginStatus(), 0);
    EXPECT_EQ(c.GetAutoLoginParam(), L"");
    EXPECT_EQ(ReadBytes(path_), before);
}

TEST_F(SettingsFile, BooleanSpellings) {
    const std::pair<const char*, int> cases[] = {{"true", 1}, {"1", 1}, {"TRUE", 1}, {"yes", 0}, {"", 0}, {"on", 0}};
    for (const auto& [text, expected] : cases) {
        ASSERT_TRUE(WriteBytes(path_, std::string("[OVConfig]\r\nOVFanAutoAdjust=") + text + "\r\nAutoLoginStatus=" +
                                          text + "\r\n"));
        CApplicationConfigFile c;
        ASSERT_EQ(c.Initialise(dir_), 1);
        EXPECT_EQ(c.GetFanAutoAdjust(), expected) << text;
        EXPECT_EQ(c.GetAutoLoginStatus(), expected) << text;
    }
}

TEST_F(SettingsFile, SettersWriteThroughOneKeyEach) {
    CApplicationConfigFile c;
    ASSERT_EQ(c.Initialise(dir_), 1);
    EXPECT_EQ(c.SetFanSpeedValue(-5), 1);
    EXPECT_EQ(c.SetFanAutoAdjust(1), 1);
    EXPECT_EQ(c.SetLightSelect(L"我的新主题"), 1);
    EXPECT_EQ(c.SetAutoLoginParam(L"dXNlcg=="), 1);
    EXPECT_EQ(c.SetAutoLoginStatus(1), 1);
    EXPECT_EQ(ReadText(path_),
              L"[OVConfig]\r\nOVFanAutoAdjust=TRUE\r\nOVFanSpeedValue=-5\r\nOVLightSelect=我的新主题\r\n"
              L"AutoLoginStatus=TRUE\r\nAutoLoginParam=dXNlcg==\r\n");
    // Setting the same value again rewrites only that key.
    const std::wstring before = ReadText(path_);
    EXPECT_EQ(c.SetLightSelect(L"我的新主题"), 1);
    EXPECT_EQ(ReadText(path_), before);

    // Another process start reads back what was set, Chinese included.
    CApplicationConfigFile again;
    ASSERT_EQ(again.Initialise(dir_), 1);
    EXPECT_EQ(again.GetFanSpeedValue(), -5);
    EXPECT_EQ(again.GetFanAutoAdjust(), 1);
    EXPECT_EQ(again.GetLightSelect(), L"我的新主题");
    EXPECT_EQ(again.GetAutoLoginStatus(), 1);
    EXPECT_EQ(again.GetAutoLoginParam(), L"dXNlcg==");
}

TEST_F(SettingsFile, LoadPicksUpAReplacedFile) {
    CApplicationConfigFile c;
    ASSERT_EQ(c.Initialise(dir_), 1);
    // A downloaded copy written over the file, as the account page does.
    ASSERT_TRUE(WriteUtf16(path_, L"[OVConfig]\r\nOVFanSpeedValue=35\r\nOVLightSelect=极光\r\nAutoLoginStatus=TRUE\r\n"));
    ASSERT_EQ(c.Load(), 1);
    EXPECT_EQ(c.GetFanSpeedValue(), 35);
    EXPECT_EQ(c.GetLightSelect(), L"极光");
    EXPECT_EQ(c.GetAutoLoginStatus(), 1);
    EXPECT_EQ(c.GetFanAutoAdjust(), 0);
    EXPECT_EQ(c.GetAutoLoginParam(), L"");
}

TEST_F(SettingsFile, OverlongValueComesBackCut) {
    CApplicationConfigFile c;
    ASSERT_EQ(c.Initialise(dir_), 1);
    c.SetAutoLoginParam(std::wstring(3000, L'Q'));
    EXPECT_EQ(c.GetAutoLoginParam().size(), 3000u);  // memory keeps what was set
    CApplicationConfigFile again;
    ASSERT_EQ(again.Initialise(dir_), 1);
    EXPECT_EQ(again.GetAutoLoginParam(), std::wstring(2047, L'Q'));
    EXPECT_EQ(again.GetLightSelect(), L"Orvane");
}

TEST_F(SettingsFile, UnwritableFolderRunsFromMemory) {
    const std::wstring folder = UnwritableFolder(dir_);
    CApplicationConfigFile c;
    EXPECT_EQ(c.Initialise(folder), 1);  // documented: the program still starts
    EXPECT_EQ(c.GetFanSpeedValue(), 80);
    EXPECT_EQ(c.GetLightSelect(), L"Orvane");
    EXPECT_EQ(c.SetFanSpeedValue(42), 1);
    EXPECT_EQ(c.GetFanSpeedValue(), 42);
    EXPECT_FALSE(Exists(folder + L"OVCLIENT.ini"));
    EXPECT_EQ(ReadBytes(dir_ + L"blocked"), "not a folder");  // nothing else was touched
}

TEST_F(SettingsFile, RandomBytesFileGivesEmptySettingsAndStaysUsable) {
    ASSERT_TRUE(WriteBytes(path_, RandomBytes(16 * 1024, 77)));
    CApplicationConfigFile c;
    ASSERT_EQ(c.Initialise(dir_), 1);
    EXPECT_LE(c.GetLightSelect().size(), 2047u);
    c.SetFanSpeedValue(60);
    c.SetLightSelect(L"Orvane");
    CApplicationConfigFile again;
    ASSERT_EQ(again.Initialise(dir_), 1);
    EXPECT_EQ(again.GetFanSpeedValue(), 60);
    EXPECT_EQ(again.GetLightSelect(), L"Orvane");
}

TEST_F(SettingsFile, EmptyFolderIsRefused) {
    CApplicationConfigFile c;
    EXPECT_EQ(c.Initialise(L""), 0);
    EXPECT_EQ(c.SetFanSpeedValue(3), 1);  // still safe to use
    EXPECT_EQ(c.Release(), 1);
}
