#include "FanLevelSender.h"

#include "OVFanLedDevice.h"

int CFanLevelSender::SendToAllFans(uint8_t level) {
    if (!device_) return 0;
    std::lock_guard<std::mutex> set(setLock_);
    return SendLocked(level);
}

int CFanLevelSender::SendToAllFansIf(uint8_t level, const std::atomic<int>& stillWanted) {
    if (!device_) return 0;
    std::lock_guard<std::mutex> set(setLock_);
    if (!stillWanted.load()) return 0;
    return SendLocked(level);
}

int CFanLevelSender::SendLocked(uint8_t level) {
    int confirmed = 0;
    for (int fan = 0; fan < kFanCount; ++fan)
        confirmed += device_->SetFanLevel(static_cast<uint8_t>(fan), level) ? 1 : 0;
    return confirmed == kFanCount ? 1 : 0;
}
