#pragma once
// Sends one fan level to the controller's four fan channels as one set.
//
// The interface thread (confirm) and the sensing thread (automatic step) both
// set the fans. The device keeps each exchange whole, but two sets could
// still interleave fan by fan and leave the fans at different levels; a set
// therefore holds this object's lock from the first command to the last.
#include <atomic>
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
    // The same, but only when stillWanted is still on once this set holds the
    // lock: a set decided before a newer choice (the user's confirm) waited
    // for that choice's set and must not follow it. 0 when skipped.
    int SendToAllFansIf(uint8_t level, const std::atomic<int>& stillWanted);

private:
    int SendLocked(uint8_t level);  // with setLock_ held

    COVFanLedDevice* device_;  // borrowed; may be null
    std::mutex setLock_;
};
