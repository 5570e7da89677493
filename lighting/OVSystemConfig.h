#pragma once
// The record stores of Ventaro: the user's light themes (LightSetConfig.ini),
// the shipped recommended themes (LightSetConfig.dat in the program folder)
// and the game modes (GameTaskConfig.ini). The user's files are seeded from
// the shipped .dat copies when missing. Every load reads the file again; a
// returned list is a snapshot owned by the caller. GUI thread only.
//
// Light-theme part: here; game-mode table: CGameTaskStore (gamemode/).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "GameTaskStore.h"
#include "INIFormatTableCtrl.h"
#include "LightThemeRecord.h"

class COVSystemConfig {
public:
    static constexpr const wchar_t* kLightFileName = L"LightSetConfig.ini";
    static constexpr const wchar_t* kLightSeedName = L"LightSetConfig.dat";
    static constexpr const wchar_t* kGameTaskFileName = L"GameTaskConfig.ini";
    static constexpr const wchar_t* kGameTaskSeedName = L"GameTaskConfig.dat";
    static constexpr const wchar_t* kLightTableName = L"LightSetConfig";
    static constexpr const wchar_t* kGameTaskTableName = L"GameTaskConfig";

    COVSystemConfig();
    virtual ~COVSystemConfig();
    COVSystemConfig(const COVSystemConfig&) = delete;
    COVSystemConfig& operator=(const COVSystemConfig&) = delete;

    // dataFolder: the per-user data folder; programFolder: the folder of the
    // running program (a trailing "\" is added to either when missing).
    // Seeds and opens the light table, opens the preset table, seeds and
    // opens the game-mode table; 1 and ready when all three are open.
    // A user's file that is damaged is set aside (DamagedFile.h) and starts
    // again from the shipped copy; a damaged preset file is used for what it
    // still holds. Either is told in StartUpNotice. On 0, StartUpFailure says
    // what failed (empty for bad arguments).
    int Initialise(const std::wstring& dataFolder, const std::wstring& programFolder);
    // What the user should be told once the window stands, or "".
    const std::wstring& StartUpNotice() const { return notice_; }
    // Why the last Initialise failed, for the user, or "".
    const std::wstring& StartUpFailure() const { return failure_; }
    // Closes the tables (program end).
    int ShutDown();
    int IsReady() const { return ready_; }

    const std::wstring& LightFilePath() const { return lightPath_; }
    const std::wstring& LightSeedPath() const { return lightSeedPath_; }
    const std::wstring& GameTaskFilePath() const { return gameTaskPath_; }

    // Light themes. Loads append to the list, in the order of the file.
    int LoadThemes(LightThemeList* themes);
    int LoadPresetThemes(LightThemeList* themes);
    // Writes all seven columns under the theme's record number.
    int UpdateTheme(const LightThemeRecord& theme);
    // Adds the theme as a new record and sets its record number.
    int AddTheme(LightThemeRecord* theme);
    int DeleteTheme(int32_t recordNumber);

    // Game modes. The load appends newly allocated records in table order.
    int LoadGameTasks(GameTaskList* tasks) { return gameTasks_.Load(tasks); }
    // Adds the game mode as a new record and sets its id.
    int AddGameTask(GameTaskRecord* task) { return gameTasks_.Add(task); }
    // Writes all 21 columns under the game mode's id.
    int UpdateGameTask(const GameTaskRecord& task) { return gameTasks_.Update(task); }
    int RemoveGameTask(int32_t id) { return gameTasks_.Remove(id); }

    // The column lists of the two table kinds, in stored order.
    static INIColumnList LightThemeColumns();
    static INIColumnList GameTaskColumns() { return CGameTaskStore::Columns(); }

private:
    static int SeedFromShippedCopy(const std::wstring& shipped, const std::wstring& working);
    static int LoadThemesFrom(CINIFormatTableCtrl* table, LightThemeList* themes);
    int OpenUserFile(const wchar_t* what, const std::wstring& path, const std::wstring& seed,
                     const std::function<int()>& open);
    int OpenPresets();
    int OpenGameTasks(const std::wstring& programFolder);
    void AddNotice(const std::wstring& text);

    int ready_ = 0;
    std::wstring lightPath_, lightSeedPath_, gameTaskPath_;
    std::wstring notice_, failure_;
    std::unique_ptr<CINIFormatTableCtrl> lightTable_;     // owned; set only once open
    std::unique_ptr<CINIFormatTableCtrl> presetTable_;    // owned; set only once open
    CGameTaskStore gameTasks_;
};
