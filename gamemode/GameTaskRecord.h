#pragma once
// One game mode: a record of the game-mode table (GameTaskConfig.ini),
// section RID_<id>. Plain data with fixed-width text fields; the fields
// follow the table's 21 columns in order (kept by CGameTaskStore,
// GameTaskStore.h). Clear a whole record before filling it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct GameTaskRecord {
    static constexpr size_t kNameWidth = 200;  // name and light name: at most 199 characters
    static constexpr size_t kPathWidth = 300;  // paths and addresses: at most 299 characters
    static constexpr int kRows = 3;            // web addresses and companion programs

    struct WebSet {
        wchar_t path[kPathWidth];  // GameTaskWebSetPathN: address without scheme
        int32_t status;            // GameTaskWebSetStatN: row enabled
    };
    struct Applet {
        wchar_t path[kPathWidth];  // GameTaskAppletPathN: full path of the program
        int32_t type;              // GameTaskAppletTypeN: 1 = start it, 0 = close it
        int32_t status;            // GameTaskAppletStatN: row enabled
    };

    int32_t id;
    wchar_t name[kNameWidth];       // GameTaskName
    wchar_t path[kPathWidth];       // GameTaskPath: full path of the game
    int32_t lightStatus;            // GameTaskLightStatus: apply a light theme
    wchar_t lightName[kNameWidth];  // GameTaskLightName
    int32_t webSetStatus;           // GameTaskWebSetStatus: open web pages
    WebSet webSet[kRows];
    int32_t appletStatus;           // GameTaskAppletStatus: handle companion programs
    Applet applet[kRows];
    void* listItem;                 // the game page's list entry; never stored
};

// A load's result; the list owns its records.
using GameTaskList = std::vector<std::unique_ptr<GameTaskRecord>>;

// A zeroed record ready to be filled.
inline std::unique_ptr<GameTaskRecord> NewGameTaskRecord() { return std::make_unique<GameTaskRecord>(GameTaskRecord{}); }
