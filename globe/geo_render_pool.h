#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zimbalo::globe {

/// Worker threads that live with a globe and share the work of one picture: Run hands out tasks
/// 0 .. n - 1 to the workers and the calling thread and returns when all are done. Tasks must
/// write disjoint memory (bands of the picture), so the picture does not depend on the threads.
class GeoRenderPool {
public:
    /// A pool running tasks on `threads` threads in all, the calling thread included (0: one per
    /// processor core, at most 8; 1: no worker, everything on the calling thread).
    explicit GeoRenderPool(int threads = 0);
    ~GeoRenderPool();

    GeoRenderPool(const GeoRenderPool&) = delete;
    GeoRenderPool& operator=(const GeoRenderPool&) = delete;

    /// Threads that run tasks, the calling thread included.
    int Threads() const { return static_cast<int>(m_workers.size()) + 1; }

    /// Runs task(i) for i = 0 .. tasks - 1, each exactly once, and waits for all of them. An
    /// exception of a task is passed on to the caller after the others finished.
    void Run(int tasks, const std::function<void(int)>& task);

private:
    void workerLoop();
    void runTasks();

    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    const std::function<void(int)>* m_task = nullptr;
    int m_tasks = 0;
    int m_next = 0;
    int m_running = 0;   ///< workers inside the current job
    unsigned m_job = 0;  ///< counts jobs, so that a worker joins each one once
    std::exception_ptr m_error;
    bool m_stop = false;
};

}  // namespace zimbalo::globe
