#include "services/DriverThread.h"

#include <algorithm>

DriverThread::DriverThread() : m_thread([this] { Loop(); }) {}

DriverThread::~DriverThread() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

bool DriverThread::Later(const Job& a, const Job& b) {
    return a.due != b.due ? a.due > b.due : a.order > b.order;
}

void DriverThread::Post(Clock::duration delay, std::function<void()> job) {
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(Job{Clock::now() + delay, m_posted++, std::move(job)});
        std::push_heap(m_jobs.begin(), m_jobs.end(), Later);
    }
    m_wake.notify_all();
}

void DriverThread::RunAndWait(std::function<void()> job) {
    if (IsCurrentThread()) {
        job();
        return;
    }
    bool done = false;
    Post(Clock::duration::zero(), [&] {
        job();
        std::lock_guard lock(m_mutex);
        done = true;
        m_ran.notify_all();
    });
    std::unique_lock lock(m_mutex);
    m_ran.wait(lock, [&] { return done; });
}

bool DriverThread::IsCurrentThread() const {
    return std::this_thread::get_id() == m_thread.get_id();
}

void DriverThread::Loop() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (m_jobs.empty()) {
            m_wake.wait(lock);
            continue;
        }
        const Clock::time_point due = m_jobs.front().due;
        if (Clock::now() < due) {
            m_wake.wait_until(lock, due);
            continue;
        }
        std::pop_heap(m_jobs.begin(), m_jobs.end(), Later);
        Job job = std::move(m_jobs.back());
        m_jobs.pop_back();
        lock.unlock();
        job.run();
        lock.lock();
    }
}
