#include "WorkerTask.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

namespace {

constexpr UINT kRunEnded = WM_APP + 0x31;  // wParam: the run's id
constexpr UINT_PTR kDeadlineTimer = 1;
const wchar_t kSinkClass[] = L"VentaroWorkerTaskSink";

std::atomic<int> g_pending{0};
std::atomic<uint64_t> g_nextRun{0};

}  // namespace

struct CWorkerTask::Shared {
    std::function<void()> work;
    std::atomic<int> cancelled{0};
    ULONGLONG deadline = 0;  // GetTickCount64 value
    HWND sink = nullptr;
    uint64_t runId = 0;
};

namespace {
// The run whose worker this thread is (none on every other thread).
thread_local const CWorkerTask::Shared* t_current = nullptr;
}  // namespace

struct CWorkerTaskSink {
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* task = reinterpret_cast<CWorkerTask*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (task && message == kRunEnded) {
            task->Deliver(static_cast<uint64_t>(wParam), 1);
            return 0;
        }
        if (task && message == WM_TIMER && wParam == kDeadlineTimer) {
            task->Deliver(task->runId_, 0);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    static DWORD WINAPI Worker(void* arg) {
        std::unique_ptr<std::shared_ptr<CWorkerTask::Shared>> owned(static_cast<std::shared_ptr<CWorkerTask::Shared>*>(arg));
        const std::shared_ptr<CWorkerTask::Shared> run = *owned;
        t_current = run.get();
        if (!run->cancelled) run->work();
        t_current = nullptr;
        // A sink that is gone (the owner cancelled and went away) refuses the
        // post; the result then simply goes with this thread.
        if (!run->cancelled) PostMessageW(run->sink, kRunEnded, static_cast<WPARAM>(run->runId), 0);
        return 0;
    }
};

CWorkerTask::CWorkerTask() = default;

CWorkerTask::~CWorkerTask() {
    Cancel();
    // At exit a worker that is about to end may do so before the process
    // goes; one held in a network step is let go.
    if (letGo_) {
        WaitForSingleObject(static_cast<HANDLE>(letGo_), kJoinMs);
        CloseHandle(static_cast<HANDLE>(letGo_));
    }
    if (sink_) {
        // Nothing may reach this object through the window any more, even if
        // it is destroyed from another thread than its own (then it fails).
        SetWindowLongPtrW(static_cast<HWND>(sink_), GWLP_USERDATA, 0);
        DestroyWindow(static_cast<HWND>(sink_));
    }
}

int CWorkerTask::Stopped() {
    const Shared* run = t_current;
    return run && (run->cancelled.load() || GetTickCount64() >= run->deadline) ? 1 : 0;
}

int CWorkerTask::Wait(uint32_t ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        if (Stopped()) return 0;
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return 1;
        Sleep(static_cast<DWORD>(std::min<ULONGLONG>(end - now, 50)));
    }
}

int CWorkerTask::Pending() { return g_pending.load(); }

int CWorkerTask::EnsureSink() {
    if (sink_) return 1;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance, kSinkClass, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &CWorkerTaskSink::Proc;
        wc.hInstance = instance;
        wc.lpszClassName = kSinkClass;
        if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return 0;
    }
    // A message-only window of the calling (the owner's) thread: results
    // arrive through that thread's own message loop.
    HWND sink = CreateWindowExW(0, kSinkClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (!sink) return 0;
    SetWindowLongPtrW(sink, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    sink_ = sink;
    return 1;
}

int CWorkerTask::Start(std::function<void()> work, std::function<void(int)> finish, uint32_t deadlineMs) {
    if (busy_ || !EnsureSink()) return 0;
    auto run = std::make_shared<Shared>();
    run->work = std::move(work);
    run->deadline = GetTickCount64() + deadlineMs;
    run->sink = static_cast<HWND>(sink_);
    run->runId = ++g_nextRun;
    auto* arg = new std::shared_ptr<Shared>(run);
    HANDLE thread = CreateThread(nullptr, 0, &CWorkerTaskSink::Worker, arg, 0, nullptr);
    if (!thread) {
        delete arg;
        return 0;
    }
    thread_ = thread;
    run_ = std::move(run);
    finish_ = std::move(finish);
    runId_ = run_->runId;
    busy_ = 1;
    ++g_pending;
    SetTimer(static_cast<HWND>(sink_), kDeadlineTimer, deadlineMs ? deadlineMs : 1, nullptr);
    return 1;
}

void CWorkerTask::Deliver(uint64_t runId, int completed) {
    if (!busy_ || runId != runId_) return;  // a run that was dropped
    KillTimer(static_cast<HWND>(sink_), kDeadlineTimer);
    // Past the deadline the worker is told to give up and let go; its
    // result, should it still come, is no longer wanted.
    if (!completed && run_) run_->cancelled = 1;
    if (thread_ && !completed) {
        // Still going: kept like a dropped one, for the owner's end to wait on.
        if (letGo_) CloseHandle(static_cast<HANDLE>(letGo_));
        letGo_ = thread_;
    } else if (thread_) {
        CloseHandle(static_cast<HANDLE>(thread_));
    }
    thread_ = nullptr;
    run_.reset();
    busy_ = 0;
    --g_pending;
    // Taken out first: finish may start the next run of this same task.
    std::function<void(int)> finish = std::move(finish_);
    finish_ = nullptr;
    if (finish) finish(completed);
}

int CWorkerTask::CancelAndWait(uint32_t ms) {
    Cancel();
    if (!letGo_) return 1;
    if (WaitForSingleObject(static_cast<HANDLE>(letGo_), ms) != WAIT_OBJECT_0) return 0;
    CloseHandle(static_cast<HANDLE>(letGo_));
    letGo_ = nullptr;
    return 1;
}

void CWorkerTask::Cancel() {
    if (!busy_) return;
    if (run_) run_->cancelled = 1;
    if (sink_) KillTimer(static_cast<HWND>(sink_), kDeadlineTimer);
    busy_ = 0;
    --g_pending;
    finish_ = nullptr;
    // No wait here: closing a dialog or hiding a page must not hold the
    // window's thread. The worker owns all it touches and ends by itself;
    // only the owner's end (exit) gives it a short while.
    if (thread_) {
        if (letGo_) CloseHandle(static_cast<HANDLE>(letGo_));
        letGo_ = thread_;
        thread_ = nullptr;
    }
    run_.reset();
}
