#include "GameTaskRun.h"

#include "GameTaskText.h"

int RunGameTaskSteps(const GameTaskRecord& task, IGameTaskActions* actions) {
    using gametext::Field;
    if (!actions) return 0;
    if (task.appletStatus) {
        for (const auto& row : task.applet) {
            const std::wstring path = Field(row.path);
            if (!row.status || path.empty()) continue;
            if (row.type)
                actions->StartProgram(path);
            else
                actions->CloseProgram(gametext::FileNameOfPath(path));
        }
    }
    if (task.webSetStatus) {
        for (const auto& row : task.webSet) {
            const std::wstring address = Field(row.path);
            if (!row.status || address.empty()) continue;
            actions->OpenAddress(gametext::WebAddressToOpen(address));
        }
    }
    const std::wstring light = Field(task.lightName);
    if (task.lightStatus && !light.empty()) actions->ApplyLightTheme(light);
    actions->StartProgram(Field(task.path));
    return 1;
}
