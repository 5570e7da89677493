// Flit stand-in: a helper of the flashing tool that lingers after the tool
// itself has gone, until it is ended from outside (at most ten minutes).
#include "StandInLog.h"

int wmain(int, wchar_t**) {
    standin::AppendLine(standin::Env(L"ZENTAFLASH_LOG"), L"flit=" + std::to_wstring(GetCurrentProcessId()));
    Sleep(600000);
    return 0;
}
