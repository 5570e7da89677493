#include "LaunchProxy.h"

int wmain(int argc, wchar_t** argv) { return RunLaunchProxy(argc > 1 ? argv[1] : nullptr); }
