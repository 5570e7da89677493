#pragma once
// The scene's parameter lock, taken for the length of one scope:
//   CDUI_ParamLock lock(control);
//   if (!lock.Ok()) return 0;   // lock missing or the wait failed: skip
// A control outside any scene is not locked at all. The lock is a Win32
// mutex, recursive for its owner: nested scopes on the owning thread do not
// deadlock (and do not wait on the mutex again, see CDUI_UIScene).
class CDUI_UIControl;
class CDUI_UIScene;

class CDUI_ParamLock {
public:
    explicit CDUI_ParamLock(CDUI_UIControl* control);
    ~CDUI_ParamLock();
    CDUI_ParamLock(const CDUI_ParamLock&) = delete;
    CDUI_ParamLock& operator=(const CDUI_ParamLock&) = delete;

    // 1 when the guarded operation may run.
    int Ok() const { return ok_; }

private:
    CDUI_UIScene* held_ = nullptr;  // the scene whose lock this scope holds, or nullptr
    int ok_ = 0;
};

// Shown when waiting for the lock fails.
constexpr const wchar_t* kDuiParamLockFailedText = L"DUI RequestParamMutex Failed!";
