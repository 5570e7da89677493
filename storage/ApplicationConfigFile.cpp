#include "ApplicationConfigFile.h"

#include <io.h>

#include "PrivateProfileCtrl.h"
#include "ProfileText.h"

namespace {

const wchar_t kFanAutoAdjust[] = L"OVFanAutoAdjust";
const wchar_t kFanSpeedValue[] = L"OVFanSpeedValue";
const wchar_t kLightSelect[] = L"OVLightSelect";
const wchar_t kAutoLoginStatus[] = L"AutoLoginStatus";
const wchar_t kAutoLoginParam[] = L"AutoLoginParam";

std::wstring BoolText(int on) { return on == 1 ? L"TRUE" : L"FALSE"; }

}  // namespace

CApplicationConfigFile::CApplicationConfigFile() = default;

CApplicationConfigFile::~CApplicationConfigFile() = default;

int CApplicationConfigFile::Initialise(const std::wstring& dataFolder) {
    if (dataFolder.empty()) return 0;
    filePath_ = dataFolder;
    if (filePath_.back() != L'\\' && filePath_.back() != L'/') filePath_ += L'\\';
    filePath_ += kFileName;
    profile_ = std::make_unique<CPrivateProfileCtrl>();

    if (_waccess(filePath_.c_str(), 0) == 0) {
        const int opened = profile_->OpenExisting(filePath_);
        Load();
        return opened;
    }
    const int created = profile_->Create(filePath_);
    if (created) {
        SetFanAutoAdjust(0);
        SetFanSpeedValue(80);
        SetLightSelect(L"Orvane");
        SetAutoLoginStatus(0);
        SetAutoLoginParam(L"");
    }
    return created;
}

int CApplicationConfigFile::ReadKey(const wchar_t* key, std::wstring* text) {
    text->clear();
    return profile_ ? profile_->ReadValue(kSection, key, text) : 0;
}

void CApplicationConfigFile::WriteKey(const wchar_t* key, const std::wstring& text) {
    if (profile_) profile_->WriteValue(kSection, key, text);
}

int CApplicationConfigFile::Load() {
    std::wstring text;
    ReadKey(kFanAutoAdjust, &text);
    fanAutoAdjust_ = profiletext::ParseBool(text);
    ReadKey(kFanSpeedValue, &text);
    fanSpeedValue_ = profiletext::ParseInt(text);
    ReadKey(kLightSelect, &text);
    lightSelect_ = text;
    ReadKey(kAutoLoginStatus, &text);
    autoLoginStatus_ = profiletext::ParseBool(text);
    ReadKey(kAutoLoginParam, &text);
    autoLoginParam_ = text;
    return 1;
}

int CApplicationConfigFile::Release() {
    profile_.reset();
    return 1;
}

int CApplicationConfigFile::SetFanAutoAdjust(int on) {
    fanAutoAdjust_ = on;
    WriteKey(kFanAutoAdjust, BoolText(on));
    return 1;
}

int CApplicationConfigFile::SetFanSpeedValue(int percent) {
    fanSpeedValue_ = percent;
    WriteKey(kFanSpeedValue, std::to_wstring(percent));
    return 1;
}

int CApplicationConfigFile::SetLightSelect(const std::wstring& themeName) {
    lightSelect_ = themeName;
    WriteKey(kLightSelect, themeName);
    return 1;
}

int CApplicationConfigFile::SetAutoLoginStatus(int on) {
    autoLoginStatus_ = on;
    WriteKey(kAutoLoginStatus, BoolText(on));
    return 1;
}

int CApplicationConfigFile::SetAutoLoginParam(const std::wstring& param) {
    autoLoginParam_ = param;
    WriteKey(kAutoLoginParam, param);
    return 1;
}
