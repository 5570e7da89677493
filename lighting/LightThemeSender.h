#pragma once
// Applying one theme to the controller: the commands of LightCommandsFor, one
// exchange each, in order. Shared by the lighting page's apply button and
// ApplyThemeByName (game modes).
#include "LightThemeRecord.h"

class COVFanLedDevice;

// Command results are not the caller's concern (an absent controller shows
// nothing); 0 only without a device object.
int LightSendTheme(COVFanLedDevice* device, const LightThemeRecord& theme);
