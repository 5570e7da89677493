#include <windows.h>

#include "VentaroApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand) {
    return RunVentaro(instance, commandLine, showCommand);
}
