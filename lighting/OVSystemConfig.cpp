#include "OVSystemConfig.h"

#include <windows.h>

#include <io.h>

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

// A table, configured on the file and opened; nullptr when it does not open.
std::unique_ptr<CINIFormatTableCtrl> OpenTable(const wchar_t* tableName, const std::wstring& path,
                                               const INIColumnList& columns) {
    auto table = std::make_unique<CINIFormatTableCtrl>();
    table->Configure(tableName, path, columns);
    if (!table->Open()) return nullptr;
    return table;
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
    if (dataFolder.empty() || programFolder.empty()) return 0;
    const std::wstring data = WithSlash(dataFolder);
    const std::wstring program = WithSlash(programFolder);
    lightPath_ = data + kLightFileName;
    lightSeedPath_ = program + kLightSeedName;
    gameTaskPath_ = data + kGameTaskFileName;

    // A failed copy is no failure here: the table is then created empty.
    SeedFromShippedCopy(lightSeedPath_, lightPath_);
    lightTable_ = OpenTable(kLightTableName, lightPath_, LightThemeColumns());
    if (!lightTable_) return 0;
    presetTable_ = OpenTable(kLightTableName, lightSeedPath_, LightThemeColumns());
    if (!presetTable_) return 0;
    if (!OpenGameTasks(program)) return 0;
    ready_ = 1;
    return 1;
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
    SeedFromShippedCopy(programFolder + kGameTaskSeedName, gameTaskPath_);
    return gameTasks_.Open(gameTaskPath_);
}
