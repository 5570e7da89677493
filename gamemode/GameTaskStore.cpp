#include "GameTaskStore.h"

#include "ProfileText.h"

namespace {

using profiletext::kColumnBool;
using profiletext::kColumnText;

const wchar_t kTableName[] = L"GameTaskConfig";
const wchar_t kName[] = L"GameTaskName";
const wchar_t kPath[] = L"GameTaskPath";
const wchar_t kLightStatus[] = L"GameTaskLightStatus";
const wchar_t kLightName[] = L"GameTaskLightName";
const wchar_t kWebSetStatus[] = L"GameTaskWebSetStatus";
const wchar_t kAppletStatus[] = L"GameTaskAppletStatus";

std::wstring RowKey(const wchar_t* stem, int row) { return stem + std::to_wstring(row + 1); }

// Column values in stored order, from a record.
INIRecordValues GameTaskValues(const GameTaskRecord& t) {
    using profiletext::FieldText;
    INIRecordValues v;
    v.reserve(21);
    v.emplace_back(FieldText(t.name));
    v.emplace_back(FieldText(t.path));
    v.emplace_back(int32_t{t.lightStatus});
    v.emplace_back(FieldText(t.lightName));
    v.emplace_back(int32_t{t.webSetStatus});
    for (const auto& row : t.webSet) {
        v.emplace_back(FieldText(row.path));
        v.emplace_back(int32_t{row.status});
    }
    v.emplace_back(int32_t{t.appletStatus});
    for (const auto& row : t.applet) {
        v.emplace_back(FieldText(row.path));
        v.emplace_back(int32_t{row.type});
        v.emplace_back(int32_t{row.status});
    }
    return v;
}

template <size_t N>
void ReadTextInto(CINIFormatTableCtrl& table, uint32_t id, const std::wstring& key, wchar_t (&field)[N]) {
    std::wstring text;
    table.ReadText(id, key, &text);
    profiletext::CopyToField(field, text);
}

void ReadGameTask(CINIFormatTableCtrl& table, uint32_t id, GameTaskRecord* t) {
    ReadTextInto(table, id, kName, t->name);
    ReadTextInto(table, id, kPath, t->path);
    table.ReadBool(id, kLightStatus, &t->lightStatus);
    ReadTextInto(table, id, kLightName, t->lightName);
    table.ReadBool(id, kWebSetStatus, &t->webSetStatus);
    for (int i = 0; i < GameTaskRecord::kRows; ++i) {
        ReadTextInto(table, id, RowKey(L"GameTaskWebSetPath", i), t->webSet[i].path);
        table.ReadBool(id, RowKey(L"GameTaskWebSetStat", i), &t->webSet[i].status);
    }
    table.ReadBool(id, kAppletStatus, &t->appletStatus);
    for (int i = 0; i < GameTaskRecord::kRows; ++i) {
        ReadTextInto(table, id, RowKey(L"GameTaskAppletPath", i), t->applet[i].path);
        table.ReadBool(id, RowKey(L"GameTaskAppletType", i), &t->applet[i].type);
        table.ReadBool(id, RowKey(L"GameTaskAppletStat", i), &t->applet[i].status);
    }
}

}  // namespace

CGameTaskStore::CGameTaskStore() = default;

CGameTaskStore::~CGameTaskStore() = default;

INIColumnList CGameTaskStore::Columns() {
    INIColumnList c = {{kName, kColumnText}, {kPath, kColumnText}, {kLightStatus, kColumnBool},
                       {kLightName, kColumnText}, {kWebSetStatus, kColumnBool}};
    for (int i = 0; i < GameTaskRecord::kRows; ++i) {
        c.emplace_back(RowKey(L"GameTaskWebSetPath", i), kColumnText);
        c.emplace_back(RowKey(L"GameTaskWebSetStat", i), kColumnBool);
    }
    c.emplace_back(kAppletStatus, kColumnBool);
    for (int i = 0; i < GameTaskRecord::kRows; ++i) {
        c.emplace_back(RowKey(L"GameTaskAppletPath", i), kColumnText);
        c.emplace_back(RowKey(L"GameTaskAppletType", i), kColumnBool);
        c.emplace_back(RowKey(L"GameTaskAppletStat", i), kColumnBool);
    }
    return c;
}

int CGameTaskStore::Open(const std::wstring& path) {
    Close();
    auto table = std::make_unique<CINIFormatTableCtrl>();
    table->Configure(kTableName, path, Columns());
    const int opened = table->Open();
    openOutcome_ = table->LastOpenOutcome();
    if (!opened) return 0;
    table_ = std::move(table);
    return 1;
}

void CGameTaskStore::Close() { table_.reset(); }

int CGameTaskStore::Load(GameTaskList* tasks) {
    if (!table_ || !tasks) return 0;
    std::vector<uint32_t> ids;
    if (!table_->ListRecordNumbers(&ids)) return 0;
    for (uint32_t id : ids) {
        auto task = NewGameTaskRecord();
        task->id = static_cast<int32_t>(id);
        ReadGameTask(*table_, id, task.get());
        tasks->push_back(std::move(task));
    }
    return 1;
}

int CGameTaskStore::Add(GameTaskRecord* task) {
    if (!table_ || !task) return 0;
    uint32_t id = 0;
    if (!table_->InsertRecord(&id, GameTaskValues(*task))) return 0;
    task->id = static_cast<int32_t>(id);
    return 1;
}

int CGameTaskStore::Update(const GameTaskRecord& task) {
    if (!table_ || task.id <= 0) return 0;
    return table_->WriteRecord(static_cast<uint32_t>(task.id), GameTaskValues(task));
}

int CGameTaskStore::Remove(int32_t id) {
    if (!table_ || id <= 0) return 0;
    return table_->DeleteRecord(static_cast<uint32_t>(id));
}
