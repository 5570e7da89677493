// Flit stand-in: a helper of the flashing tool that lingers after the tool
// itself has gone, until it is ended from outside (at most ten minutes).
#include "StandInLog.h"

int wmain(int, wchar_t**) {
    Sleep(600000);
    return 0;
}
