#pragma once
// The program's few global settings, file OVCLIENT.ini (section OVConfig) in
// the per-user data folder. Loaded into memory once; every setter writes its
// key through to the file at once. Used from the GUI thread only.
#include <memory>
#include <string>

class CPrivateProfileCtrl;

class CApplicationConfigFile {
public:
    static constexpr const wchar_t* kFileName = L"OVCLIENT.ini";
    static constexpr const wchar_t* kSection = L"OVConfig";

    CApplicationConfigFile();
    virtual ~CApplicationConfigFile();
    CApplicationConfigFile(const CApplicationConfigFile&) = delete;
    CApplicationConfigFile& operator=(const CApplicationConfigFile&) = delete;

    // dataFolder: the per-user data folder (a trailing "\" is added when
    // missing). Loads an existing file; creates a missing one and writes the
    // defaults. 0 for an empty folder or an existing file that cannot be
    // opened. A folder that cannot be written still gives 1: the settings
    // then live in memory only for this run.
    int Initialise(const std::wstring& dataFolder);
    // Reads all five keys again (after the file was replaced by a download).
    int Load();
    // Drops the profile-file object (program end).
    int Release();

    int GetFanAutoAdjust() const { return fanAutoAdjust_; }
    int GetFanSpeedValue() const { return fanSpeedValue_; }
    std::wstring GetLightSelect() const { return lightSelect_; }
    int GetAutoLoginStatus() const { return autoLoginStatus_; }
    std::wstring GetAutoLoginParam() const { return autoLoginParam_; }
    const std::wstring& GetFilePath() const { return filePath_; }

    // Each stores the value in memory, then writes that one key. The file
    // write's outcome is not the caller's concern: they always return 1.
    int SetFanAutoAdjust(int on);
    int SetFanSpeedValue(int percent);
    int SetLightSelect(const std::wstring& themeName);
    int SetAutoLoginStatus(int on);
    int SetAutoLoginParam(const std::wstring& param);

private:
    int ReadKey(const wchar_t* key, std::wstring* text);
    void WriteKey(const wchar_t* key, const std::wstring& text);

    std::wstring filePath_;
    std::unique_ptr<CPrivateProfileCtrl> profile_;  // owned
    int fanAutoAdjust_ = 0;
    int fanSpeedValue_ = 1;  // until the file is read or created
    std::wstring lightSelect_;
    int autoLoginStatus_ = 0;
    std::wstring autoLoginParam_;
};
