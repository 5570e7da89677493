// Refresco stand-in: the updater Ventaro hands over to. It logs its command
// line (REFRESCO_LOG) and that it ran, then exits.
#include "StandInLog.h"

int wmain(int, wchar_t**) {
    const std::wstring log = standin::Env(L"REFRESCO_LOG");
    standin::AppendLine(log, L"cmdline=" + std::wstring(GetCommandLineW()));
    standin::AppendLine(log, L"pid=" + std::to_wstring(GetCurrentProcessId()));
    return 0;
}
