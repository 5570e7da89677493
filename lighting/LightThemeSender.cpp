#include "LightThemeSender.h"

#include "LightThemeMath.h"
#include "OVFanLedDevice.h"

int LightSendTheme(COVFanLedDevice* device, const LightThemeRecord& theme) {
    if (!device) return 0;
    for (const LightCommand& c : LightCommandsFor(theme)) {
        switch (c.kind) {
            case LightCommand::kInterval: device->SetLightInterval(c.value); break;
            case LightCommand::kMode: device->SetLightMode(static_cast<uint8_t>(c.value)); break;
            case LightCommand::kColor: device->SetLightColor(c.rgb.red, c.rgb.green, c.rgb.blue); break;
            case LightCommand::kBrightness: device->SetLightBrightness(static_cast<uint8_t>(c.value)); break;
        }
    }
    return 1;
}
