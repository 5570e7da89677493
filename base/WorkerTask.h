#pragma once
// A piece of slow work (a web request, a download) that runs on a worker
// thread while the window's thread goes on answering, and whose result comes
// back to the window's thread through a posted message.
//
// One CWorkerTask is one slot of its owner (a page): one run at a time. The
// owner starts a run from the window's thread; `work` runs on a new thread
// and must touch nothing the owner owns (it gets values, returns a value);
// `finish` runs later on the window's thread with the result, or with nullptr
// when the run's deadline passed first (the late result is then dropped).
// Cancel() and the destructor drop a running run: its finish never runs, so
// no callback reaches a page that is gone. The worker itself is asked to stop
// (Stopped() below) and not waited for, but briefly by the destructor (at
// exit); a worker still inside a network step ends on its own, touching
// only its own data.
#include <cstdint>
#include <functional>
#include <memory>

class CWorkerTask {
public:
    struct Shared;  // one run, shared by the owner and its worker

    CWorkerTask();
    virtual ~CWorkerTask();
    CWorkerTask(const CWorkerTask&) = delete;
    CWorkerTask& operator=(const CWorkerTask&) = delete;

    // Starts work on a worker; 0 (nothing started) while a run is busy or
    // when no worker could be started. deadlineMs bounds the whole run.
    template <typename Result>
    int Run(std::function<Result()> work, std::function<void(const Result*)> finish, uint32_t deadlineMs) {
        auto result = std::make_shared<Result>();
        return Start([work = std::move(work), result] { *result = work(); },
                     [finish = std::move(finish), result](int completed) { finish(completed ? result.get() : nullptr); },
                     deadlineMs);
    }

    int IsBusy() const { return busy_; }
    // Drops the running run (its finish will not run) and lets its worker go.
    void Cancel();
    // Cancel, then waits up to ms for the dropped worker to end: for work
    // that touches what the page borrows (the controller), at the page's
    // shut-down. The work checks Stopped() between its steps, so this waits
    // for one step, never for a deadline. 1 when no worker of this task runs.
    int CancelAndWait(uint32_t ms);

    // On a worker of this mechanism: 1 once its run was cancelled or its
    // deadline passed; loops that wait on the network give up then. 0 on
    // any other thread.
    static int Stopped();
    // On a worker of this mechanism: sleeps ms, cut short once Stopped().
    // 1 when the whole time passed.
    static int Wait(uint32_t ms);
    // Runs started (by any owner) whose finish has neither run nor been
    // dropped. Lets a harness wait for the window's thread to settle.
    static int Pending();
    // How long the destructor waits for a dropped worker to end before
    // letting it go: enough for one that has its answer (it only posts it),
    // while one held in a network step would not end in any short wait and
    // only keeps the exit waiting.
    static constexpr uint32_t kJoinMs = 100;

private:
    int Start(std::function<void()> work, std::function<void(int completed)> finish, uint32_t deadlineMs);
    friend struct CWorkerTaskSink;
    int EnsureSink();
    // On the owner's thread: the run ended (completed 1) or hit its deadline (0).
    void Deliver(uint64_t runId, int completed);

    void* sink_ = nullptr;  // message-only window of the owner's thread (HWND)
    std::shared_ptr<Shared> run_;
    void* thread_ = nullptr;  // HANDLE of the running worker
    void* letGo_ = nullptr;   // HANDLE of the last dropped worker
    std::function<void(int)> finish_;
    uint64_t runId_ = 0;
    int busy_ = 0;
};
