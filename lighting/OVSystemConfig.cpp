#include "OVSystemConfig.h"

#include <windows.h>

#include <io.h>

#include "DamagedFile.h"
#include "PathUtil.h"
#include "PrivateProfileCtrl.h"
#include "ProfileText.h"

namespace {

const wchar_t kName[] = L"LightSetName";
const wchar_t kStatus[] = L"LightSetStatus";
const wchar_t kColor[] = L"LightSetColor";
const wchar_t kInterval[] = L"LightSetInterval";
const wchar_t kBrightness[] = L"LightSetBrightness";
const wchar_t kMode[] = L"LightSetMode";
const wchar_t kPreSet[] = L"LightSetPreSet";

std::wstring WithSlash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder;
}

bool FileExists(const std::wstring& path) { return _waccess(path.c_str(), 0) == 0; }

// What the user calls the three files.
const wchar_t kLightFileText[] = L"灯光方案文件";
const wchar_t kPresetFileText[] = L"推荐灯光方案文件";
const wchar_t kGameTaskFileText[] = L"游戏模式文件";

// Why a file stopped the start, with the file's path on a line of its own.
std::wstring FailureText(int outcome, const std::wstring& what, const std::wstring& path) {
    std::wstring text = L"启动失败:";
    switch (outcome) {
    case CINIFormatTableCtrl::kOpenDamaged: text += what + L"已损坏,且无法改名保存。"; break;
    case CINIFormatTableCtrl::kOpenUnreadable: text += L"无法读取" + what + L",文件可能正被其他程序使用。"; break;
    default: text += L"无法写入" + what + L"。"; break;
    }
    return text + L"\n" + path;
}

// Whether a shipped copy is a table a user's file can start from: a damaged
// one would only be set aside again, so it counts as missing.
bool HoldsTable(const std::wstring& path, const wchar_t* tableName) {
    CPrivateProfileCtrl file;
    std::wstring base;
    return file.OpenExisting(path) && file.ReadValue(tableName, L"RecordBaseID", &base);
}

INIRecordValues ThemeValues(const LightThemeRecord& t) {
    return {profiletext::FieldText(t.name), int32_t{t.status}, uint32_t{t.color}, int32_t{t.interval},
            int32_t{t.brightness}, int32_t{t.mode}, int32_t{t.preset}};
}

}  // namespace

// Seeds the user's copy of a store from the shipped file when it is missing.
// The shipped file may carry the read-only attribute, which the copy takes
// over; the user's copy must stay writable or no change could ever be saved.
int COVSystemConfig::SeedFromShippedCopy(const std::wstring& shipped, const std::wstring& working) {
    if (FileExists(working)) return 1;
    if (!CopyFileW(shipped.c_str(), working.c_str(), TRUE)) return 0;
    const DWORD attributes = GetFileAttributesW(working.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(working.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return 1;
}

COVSystemConfig::COVSystemConfig() = default;

COVSystemConfig::~COVSystemConfig() = default;

INIColumnList COVSystemConfig::LightThemeColumns() {
    using namespace profiletext;
    return {{kName, kColumnText},  {kStatus, kColumnBool}, {kColor, kColumnUnsigned}, {kInterval, kColumnInt},
            {kBrightness, kColumnInt}, {kMode, kColumnInt}, {kPreSet, kColumnBool}};
}

int COVSystemConfig::Initialise(const std::wstring& dataFolder, const std::wstring& programFolder) {
    ShutDown();
    notice_.clear();
    failure_.clear();
    if (dataFolder.empty() || programFolder.empty()) return 0;
    const std::wstring data = WithSlash(dataFolder);
    const std::wstring program = WithSlash(programFolder);
    lightPath_ = data + kLightFileName;
    lightSeedPath_ = program + kLightSeedName;
    gameTaskPath_ = data + kGameTaskFileName;

    // A failed copy is no failure here: the table is then created empty.
    const std::wstring lightSeed = HoldsTable(lightSeedPath_, kLightTableName) ? lightSeedPath_ : L"";
    if (!OpenUserFile(kLightFileText, lightPath_, lightSeed, [this] {
            auto table = std::make_unique<CINIFormatTableCtrl>();
            table->Configure(kLightTableName, lightPath_, LightThemeColumns());
            if (!table->Open()) return table->LastOpenOutcome();
            lightTable_ = std::move(table);
            return int{CINIFormatTableCtrl::kOpenOk};
        }))
        return 0;
    if (!OpenPresets()) return 0;
    if (!OpenGameTasks(program)) return 0;
    ready_ = 1;
    return 1;
}

void COVSystemConfig::AddNotice(const std::wstring& text) {
    if (!notice_.empty()) notice_ += L"\n";
    notice_ += text;
}

// One of the user's files. open() opens it and returns the table's open
// outcome. A damaged file is set aside and the file starts again from the
// shipped copy (or empty when there is none); anything else that keeps the
// file from opening fails the start, and the file stays untouched.
int COVSystemConfig::OpenUserFile(const wchar_t* what, const std::wstring& path, const std::wstring& seed,
                                  const std::function<int()>& open) {
    if (!seed.empty()) SeedFromShippedCopy(seed, path);
    int outcome = open();
    if (outcome == CINIFormatTableCtrl::kOpenDamaged) {
        std::wstring keptAs;
        if (!SetDamagedFileAside(path, &keptAs)) {
            failure_ = FailureText(outcome, what, path);
            return 0;
        }
        if (!seed.empty()) SeedFromShippedCopy(seed, path);
        outcome = open();
        if (outcome == CINIFormatTableCtrl::kOpenOk)
            AddNotice(std::wstring(what) + L"已损坏,已恢复默认设置。原文件已保存为 " + FileNameOfPath(keptAs));
    }
    if (outcome == CINIFormatTableCtrl::kOpenOk) return 1;
    failure_ = FailureText(outcome, what, path);
    return 0;
}

// The shipped themes lie in the program folder, which is not the user's to
// change: a damaged or unreadable copy is used for what it still holds and
// never renamed. Only a missing one that cannot be created fails the start.
int COVSystemConfig::OpenPresets() {
    presetTable_ = std::make_unique<CINIFormatTableCtrl>();
    presetTable_->Configure(kLightTableName, lightSeedPath_, LightThemeColumns());
    if (presetTable_->Open()) return 1;
    switch (presetTable_->LastOpenOutcome()) {
    case CINIFormatTableCtrl::kOpenDamaged:
        AddNotice(std::wstring(kPresetFileText) + L"已损坏,只能使用其中能读取的方案。");
        return 1;
    case CINIFormatTableCtrl::kOpenUnreadable:
        AddNotice(std::wstring(kPresetFileText) + L"暂时无法读取,推荐方案暂不可用。");
        return 1;
    default:
        failure_ = FailureText(presetTable_->LastOpenOutcome(), kPresetFileText, lightSeedPath_);
        presetTable_.reset();
        return 0;
    }
}

int COVSystemConfig::ShutDown() {
    ready_ = 0;
    lightTable_.reset();
    presetTable_.reset();
    gameTasks_.Close();
    return 1;
}

int COVSystemConfig::LoadThemesFrom(CINIFormatTableCtrl* table, LightThemeList* themes) {
    if (!table || !themes) return 0;
    std::vector<uint32_t> numbers;
    const int listed = table->ListRecordNumbers(&numbers);
    for (uint32_t n : numbers) {
        auto theme = std::make_unique<LightThemeRecord>();
        theme->recordNumber = static_cast<int32_t>(n);
        std::wstring name;
        table->ReadText(n, kName, &name);
        profiletext::CopyToField(theme->name, name);
        table->ReadBool(n, kPreSet, &theme->preset);
        table->ReadBool(n, kStatus, &theme->status);
        table->ReadUnsigned(n, kColor, &theme->color);
        table->ReadInt(n, kInterval, &theme->interval);
        table->ReadInt(n, kBrightness, &theme->brightness);
        table->ReadInt(n, kMode, &theme->mode);
        themes->push_back(std::move(theme));
    }
    return listed;
}

int COVSystemConfig::LoadThemes(LightThemeList* themes) { return LoadThemesFrom(lightTable_.get(), themes); }

int COVSystemConfig::LoadPresetThemes(LightThemeList* themes) { return LoadThemesFrom(presetTable_.get(), themes); }

int COVSystemConfig::UpdateTheme(const LightThemeRecord& theme) {
    if (!lightTable_ || theme.recordNumber <= 0) return 0;
    return lightTable_->WriteRecord(static_cast<uint32_t>(theme.recordNumber), ThemeValues(theme));
}

int COVSystemConfig::AddTheme(LightThemeRecord* theme) {
    if (!lightTable_ || !theme) return 0;
    uint32_t number = 0;
    if (!lightTable_->InsertRecord(&number, ThemeValues(*theme))) return 0;
    theme->recordNumber = static_cast<int32_t>(number);
    return 1;
}

int COVSystemConfig::DeleteTheme(int32_t recordNumber) {
    if (!lightTable_ || recordNumber <= 0) return 0;
    return lightTable_->DeleteRecord(static_cast<uint32_t>(recordNumber));
}

int COVSystemConfig::OpenGameTasks(const std::wstring& programFolder) {
    // A missing working file is restored from the shipped one at every start;
    // without that too, the table starts empty.
    const std::wstring shipped = programFolder + kGameTaskSeedName;
    return OpenUserFile(kGameTaskFileText, gameTaskPath_, HoldsTable(shipped, kGameTaskTableName) ? shipped : L"",
                        [this] {
                            gameTasks_.Open(gameTaskPath_);
                            return gameTasks_.LastOpenOutcome();
                        });
}
