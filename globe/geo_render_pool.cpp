#include "globe/geo_render_pool.h"

#include <algorithm>
#include <exception>

namespace zimbalo::globe {

GeoRenderPool::GeoRenderPool(int threads) {
    if (threads <= 0) {
        threads = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 8);
    }
    for (int i = 1; i < threads; ++i) {
        m_workers.emplace_back([this]() { workerLoop(); });
    }
}

GeoRenderPool::~GeoRenderPool() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread& t : m_workers) {
        t.join();
    }
}

void GeoRenderPool::runTasks() {
    // Called with the mutex held; takes tasks one by one until none is left.
    std::unique_lock<std::mutex> lock(m_mutex, std::adopt_lock);
    while (m_next < m_tasks) {
        const int i = m_next++;
        const std::function<void(int)>& task = *m_task;
        lock.unlock();
        try {
            task(i);
        } catch (...) {
            lock.lock();
            if (!m_error) {
                m_error = std::current_exception();
            }
            continue;
        }
        lock.lock();
    }
    lock.release();
}

void GeoRenderPool::workerLoop() {
    unsigned seen = 0;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&]() { return m_stop || m_job != seen; });
        if (m_stop) {
            return;
        }
        seen = m_job;
        ++m_running;
        lock.release();
        runTasks();
        lock = std::unique_lock<std::mutex>(m_mutex, std::adopt_lock);
        if (--m_running == 0) {
            m_done.notify_all();
        }
    }
}

void GeoRenderPool::Run(int tasks, const std::function<void(int)>& task) {
    if (tasks <= 0) {
        return;
    }
    if (m_workers.empty() || tasks == 1) {
        for (int i = 0; i < tasks; ++i) {
            task(i);
        }
        return;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_task = &task;
    m_tasks = tasks;
    m_next = 0;
    m_error = nullptr;
    ++m_job;
    m_wake.notify_all();
    lock.release();
    runTasks();
    lock = std::unique_lock<std::mutex>(m_mutex, std::adopt_lock);
    // Every task was handed out; wait for the workers still inside one.
    m_done.wait(lock, [&]() { return m_running == 0; });
    m_task = nullptr;
    m_tasks = 0;
    std::exception_ptr error = m_error;
    m_error = nullptr;
    lock.unlock();
    if (error) {
        std::rethrow_exception(error);
    }
}

}  // namespace zimbalo::globe
