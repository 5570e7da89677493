#pragma once
// The game-mode table (GameTaskConfig.ini, table GameTaskConfig): one record
// per game mode, 21 columns in the order of GameTaskRecord's fields. Owned by
// COVSystemConfig, which seeds the working file from the shipped copy before
// opening it. GUI thread only.
#include <cstdint>
#include <memory>
#include <string>

#include "GameTaskRecord.h"
#include "INIFormatTableCtrl.h"

class CGameTaskStore {
public:
    CGameTaskStore();
    virtual ~CGameTaskStore();
    CGameTaskStore(const CGameTaskStore&) = delete;
    CGameTaskStore& operator=(const CGameTaskStore&) = delete;

    // Opens the table on this file (created empty when missing). 1/0; on 0,
    // LastOpenOutcome says why (CINIFormatTableCtrl::OpenOutcome).
    int Open(const std::wstring& path);
    int LastOpenOutcome() const { return openOutcome_; }
    void Close();
    int IsOpen() const { return table_ ? 1 : 0; }

    // Appends newly allocated records in table order.
    int Load(GameTaskList* tasks);
    // Adds the game mode as a new record and sets its id.
    int Add(GameTaskRecord* task);
    // Writes all 21 columns under the game mode's id.
    int Update(const GameTaskRecord& task);
    int Remove(int32_t id);

    // The column list in stored order.
    static INIColumnList Columns();

private:
    std::unique_ptr<CINIFormatTableCtrl> table_;  // owned; set only once open
    int openOutcome_ = CINIFormatTableCtrl::kOpenOk;
};
