#pragma once
// Sends one fan level to the controller's four fan channels as one set.
//
// The interface thread (confirm) and the sensing thread (automatic step) both
// set the fans. The device keeps each exchange whole, but two sets could
// still interleave fan by fan and leave the fans at different levels; a set
// therefore holds this object's lock from the first command to the last.
#include <cstdint>
#include <mutex>

class COVFanLedDevice;

class CFanLevelSender {
public:
    static constexpr int kFanCount = 4;

    explicit CFanLevelSender(COVFanLedDevice* device) : device_(device) {}
    CFanLevelSender(const CFanLevelSender&) = delete;
    CFanLevelSender& operator=(const CFanLevelSender&) = delete;

    // SetFanLevel(i, level) for i = 0 to 3 in order, all four even when one
    // fails. 1 when the controller confirmed all four, else 0 (also without
    // a device).
    int SendToAllFans(uint8_t level);

private:
    COVFanLedDevice* device_;  // borrowed; may be null
    std::mutex setLock_;
};
